// XML parsing and writing against two peer libraries on the same bytes:
//   config  a skin-configuration-sized document (about 2 KB)
//   10mb    a generated 10 MB document: element-, attribute- and text-heavy
//           parts, references, non-ASCII text, comments, CDATA, CR LF
//           indentation
// Parse = building the tree from memory, freeing the previous one included;
// write = serialising to memory without added layout. Before timing, ours
// must write each input back byte for byte and both peers must parse our
// output. Prints MB/s per engine and one ratio line per case and peer
// (above 1: ours is faster).
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <pugixml.hpp>
#include <random>
#include <string>

#include "bench/BestRate.h"
#include "package/Quarn.h"
#include "xml/PlainXml_qn.h"

using namespace qn;

namespace {

// A read-only stream over bytes that stay where they are.
class TMemoryView : public TStream {
 public:
  TMemoryView(const char* Data, size_t Size) : FData(Data), FSize(Size) {}
  Integer Read(void* Buffer, Integer Count) override {
    size_t n = std::min(static_cast<size_t>(Count), FSize - FPos);
    std::memcpy(Buffer, FData + FPos, n);
    FPos += n;
    return static_cast<Integer>(n);
  }
  Integer Write(const void*, Integer) override { return 0; }
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    Int64 p = Origin == soBeginning ? Offset : Origin == soCurrent ? Int64(FPos) + Offset : Int64(FSize) + Offset;
    FPos = static_cast<size_t>(std::clamp<Int64>(p, 0, Int64(FSize)));
    return Int64(FPos);
  }

 private:
  const char* FData;
  size_t FSize;
  size_t FPos = 0;
};

std::string ConfigDocument() {
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<QuarnRes>\r\n  <Config>\r\n    <Custom>\r\n";
  const char* names[] = {"Form", "FormBg", "TitleColor", "FramWidth", "Tint", "Alpha", "Shadow", "Round"};
  for (int i = 0; i < 48; ++i)
    s += "      <" + std::string(names[i % 8]) + std::to_string(i) + " kind=\"int\">" + std::to_string(i * 37) + "</" +
         names[i % 8] + std::to_string(i) + ">\r\n";
  s += "    </Custom>\r\n  </Config>\r\n</QuarnRes>";
  return s;
}

std::string BigDocument() {
  std::mt19937 rng(5);
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<catalog>\r\n";
  const char* words[] = {"alpha", "beta", "gamma", "delta", "Gr\xC3\xBC\xC3\x9F\x65", "\xE6\x97\xA5\xE6\x9C\xAC",
                         "caf\xC3\xA9", "na\xC3\xAFve", "&amp;", "&lt;tag&gt;"};
  int id = 0;
  while (s.size() < 10 * 1024 * 1024) {
    switch (rng() % 4) {
      case 0:  // element-heavy
        s += "  <group n=\"" + std::to_string(id++) + "\">\r\n";
        for (int i = 0; i < 8; ++i) s += "    <e><f><g/></f></e>\r\n";
        s += "  </group>\r\n";
        break;
      case 1:  // attribute-heavy
        s += "  <rec";
        for (int i = 0; i < 6; ++i) s += " a" + std::to_string(i) + "=\"" + words[rng() % 10] + "\"";
        s += "/>\r\n";
        break;
      case 2: {  // text-heavy
        s += "  <text lang=\"x\">";
        for (int i = 0; i < 40; ++i) s += std::string(words[rng() % 10]) + " ";
        s += "</text>\r\n";
        break;
      }
      default:
        s += "  <!-- note " + std::to_string(id) + " -->\r\n  <raw><![CDATA[if (a < b && c > d) return;]]></raw>\r\n";
    }
  }
  s += "</catalog>";
  return s;
}

const std::map<std::string, std::string>& Inputs() {
  static const std::map<std::string, std::string> m{{"config", ConfigDocument()}, {"10mb", BigDocument()}};
  return m;
}

void ParseOurs(benchmark::State& st, const std::string& c) {
  const std::string& in = Inputs().at(c);
  TPlainXml doc(nullptr);
  for (auto _ : st) {
    TMemoryView v(in.data(), in.size());
    doc.LoadFromStream(&v);
    benchmark::DoNotOptimize(doc.Root());
  }
  st.counters["MB/s"] = benchmark::Counter(double(st.iterations()) * in.size() / 1e6, benchmark::Counter::kIsRate);
}

void ParsePugi(benchmark::State& st, const std::string& c) {
  const std::string& in = Inputs().at(c);
  pugi::xml_document doc;
  for (auto _ : st) {
    doc.load_buffer(in.data(), in.size(), pugi::parse_full | pugi::parse_ws_pcdata);
    benchmark::DoNotOptimize(doc.first_child());
  }
  st.counters["MB/s"] = benchmark::Counter(double(st.iterations()) * in.size() / 1e6, benchmark::Counter::kIsRate);
}

void ParseLibxml2(benchmark::State& st, const std::string& c) {
  const std::string& in = Inputs().at(c);
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  xmlDocPtr doc = nullptr;
  for (auto _ : st) {
    if (doc) xmlFreeDoc(doc);
    doc = xmlCtxtReadMemory(ctxt, in.data(), static_cast<int>(in.size()), nullptr, nullptr, 0);
    benchmark::DoNotOptimize(doc);
  }
  if (doc) xmlFreeDoc(doc);
  xmlFreeParserCtxt(ctxt);
  st.counters["MB/s"] = benchmark::Counter(double(st.iterations()) * in.size() / 1e6, benchmark::Counter::kIsRate);
}

void WriteOurs(benchmark::State& st, const std::string& c) {
  const std::string& in = Inputs().at(c);
  TPlainXml doc(nullptr);
  doc.ReadFromString(in);
  for (auto _ : st) {
    UTF8String out = doc.WriteToString();
    benchmark::DoNotOptimize(out.data());
  }
  st.counters["MB/s"] = benchmark::Counter(double(st.iterations()) * in.size() / 1e6, benchmark::Counter::kIsRate);
}

void WriteLibxml2(benchmark::State& st, const std::string& c) {
  const std::string& in = Inputs().at(c);
  xmlDocPtr doc = xmlReadMemory(in.data(), static_cast<int>(in.size()), nullptr, nullptr, 0);
  for (auto _ : st) {
    xmlChar* mem = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &mem, &size);
    benchmark::DoNotOptimize(mem);
    xmlFree(mem);
  }
  xmlFreeDoc(doc);
  st.counters["MB/s"] = benchmark::Counter(double(st.iterations()) * in.size() / 1e6, benchmark::Counter::kIsRate);
}

// Ours writes each input back unchanged, and both peers read what ours wrote.
bool SameWork() {
  bool ok = true;
  for (const auto& [name, in] : Inputs()) {
    TPlainXml doc(nullptr);
    doc.ReadFromString(in);
    UTF8String out = doc.WriteToString();
    if (out != in) {
      std::printf("check %s: ours does not write the input back byte for byte\n", name.c_str());
      ok = false;
    }
    pugi::xml_document p;
    if (!p.load_buffer(out.data(), out.size(), pugi::parse_full | pugi::parse_ws_pcdata)) {
      std::printf("check %s: pugixml cannot parse our output\n", name.c_str());
      ok = false;
    }
    xmlDocPtr x = xmlReadMemory(out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
    if (!x) {
      std::printf("check %s: libxml2 cannot parse our output\n", name.c_str());
      ok = false;
    }
    xmlFreeDoc(x);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  xmlInitParser();
  if (!SameWork()) std::printf("the engines do not do the same work; ratios below compare unlike things\n");
  // Five runs of each, taking turns, so that a change in the load of a
  // shared machine falls on all engines alike; a ratio compares the best
  // run of ours with the best run of the peer.
  for (const char* c : {"config", "10mb"}) {
    const std::string n = c;
    for (int round = 0; round < 5; ++round) {
      benchmark::RegisterBenchmark(("parse-" + n + "/ours").c_str(), [n](benchmark::State& st) { ParseOurs(st, n); });
      benchmark::RegisterBenchmark(("parse-" + n + "/pugixml").c_str(), [n](benchmark::State& st) { ParsePugi(st, n); });
      benchmark::RegisterBenchmark(("parse-" + n + "/libxml2").c_str(),
                                   [n](benchmark::State& st) { ParseLibxml2(st, n); });
      benchmark::RegisterBenchmark(("write-" + n + "/ours").c_str(), [n](benchmark::State& st) { WriteOurs(st, n); });
      benchmark::RegisterBenchmark(("write-" + n + "/libxml2").c_str(),
                                   [n](benchmark::State& st) { WriteLibxml2(st, n); });
    }
  }
  benchmark::Initialize(&argc, argv);
  BestRateReporter reporter("MB/s");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& r = reporter.rates;
  auto ratio = [&](const std::string& cs, const char* peer) {
    double ours = r[cs + "/ours"], other = r[cs + "/" + peer];
    if (ours > 0 && other > 0) std::printf("ratio %s-%s: %.2f (%s)\n", cs.c_str(), peer, ours / other, peer);
  };
  ratio("parse-config", "libxml2");
  ratio("parse-config", "pugixml");
  ratio("parse-10mb", "libxml2");
  ratio("parse-10mb", "pugixml");
  ratio("write-config", "libxml2");
  ratio("write-10mb", "libxml2");
  xmlCleanupParser();
  qn::Finalize();
  return 0;
}
