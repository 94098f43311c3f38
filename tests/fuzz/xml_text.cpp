// Loading XML text: whatever the bytes, no exception escapes a load, the
// document is whole afterwards (parents and counters right), it saves as
// UTF-8 and UTF-16 and those saves load back whole, and the sizes in which
// the stream hands out its bytes change nothing, nor does a node handler,
// which makes the parser read one step at a time. Text that loaded without
// a report above a hint also loads back equal.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "xml/PlainXml_qn.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class TTrickle : public TStream {
 public:
  TTrickle(const std::string& d, uint32_t seed) : FData(d), FSeed(seed | 1) {}
  Integer Read(void* Buffer, Integer Count) override {
    FSeed = FSeed * 1103515245u + 12345u;
    size_t n = std::min<size_t>({FData.size() - FPos, static_cast<size_t>(Count), 1 + (FSeed >> 16) % 64});
    std::memcpy(Buffer, FData.data() + FPos, n);
    FPos += n;
    return static_cast<Integer>(n);
  }
  Integer Write(const void*, Integer) override { return 0; }
  Int64 Seek(Int64, TSeekOrigin Origin) override { return Origin == soEnd ? Int64(FData.size()) : Int64(FPos); }

 private:
  std::string FData;
  size_t FPos = 0;
  uint32_t FSeed;
};

std::string Utf16(const std::string& u8, bool be, bool bom) {
  String w = sdUtf8ToWide(u8);
  std::string r;
  if (bom) r += be ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : w) {
    char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    r += be ? hi : lo;
    r += be ? lo : hi;
  }
  return r;
}

void Whole(TPlainXml& d) {
  for (TXmlNode* n = d.FindFirst(); n; n = d.FindNext(n)) {
    for (Integer i = 0; i < n->GetNodeCount(); ++i) Check(n->GetNodes(i)->Parent() == n);
    if (n->Is<TsdContainerNode>()) {
      auto* c = static_cast<TsdContainerNode*>(n);
      Check(c->GetDirectNodeCount() <= c->GetNodeCount());
      Check(c->ValueIndex() < c->GetNodeCount());
      if (c->ValueIndex() >= 0) Check(c->GetNodes(c->ValueIndex())->Is<TsdCharData>());
    }
  }
}

// Names as XML allows them: no blanks, controls or markup characters. The
// reader keeps whatever stands where a name should be, which cannot always
// be written back as the same structure.
bool PlainNames(TPlainXml& d) {
  for (TXmlNode* n = d.FindFirst(); n; n = d.FindNext(n)) {
    if (n->ElementType() != xeElement && n->ElementType() != xeAttribute) continue;
    for (unsigned char c : n->GetName())
      if (c <= 32 || std::strchr("<>\"'=&/?![]", c)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool init = (InitPlainXml(), true);
  (void)init;
  if (size < 2) return 0;
  std::string body(reinterpret_cast<const char*>(data + 2), size - 2);
  std::string text;
  switch (data[0] % 8) {
    case 0: text = body; break;
    case 1: text = "\xEF\xBB\xBF" + body; break;
    case 2: text = Utf16(body, false, true); break;
    case 3: text = Utf16(body, true, true); break;
    case 4: text = Utf16("<?xml version=\"1.0\"?>" + body, false, false); break;
    case 5: text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + body; break;
    case 6: text = "<?xml version=\"1.0\" encoding=\"shift_jis\"?>" + body; break;
    default: text = "<?xml version=\"1.0\" encoding=\"GB18030\"?>" + body; break;
  }
  uint8_t opts = data[1];
  auto setup = [&](TPlainXml& d) {
    d.SetXmlFormat(opts & 1 ? xfPreserve : opts & 2 ? xfReadable : xfCompact);
    d.SetFixStructuralErrors(opts & 4);
    d.SetDropCommentsOnParse(opts & 8);
    d.SetMaxNestingDepth(opts & 16 ? 64 : 4096);
  };
  TPlainXml d(nullptr);
  setup(d);
  TsdWarnStyle worst = wsInfo;
  d.SetOnDebugOut(TsdDebugEvent([&worst](TObject*, TsdWarnStyle w, const UTF8String&) {
    if (w > worst) worst = w;
  }));
  TsdStringStream s(text);
  d.LoadFromStream(&s);
  // Binary XML holds any value, also characters text XML cannot carry (a
  // lone NUL reads back as a blank), so only text loads must read back equal.
  bool binary = text.compare(0, 4, "$BXM") == 0;
  Whole(d);
  std::string first = d.WriteToLocalString();

  TPlainXml t(nullptr);
  setup(t);
  if (opts & 32) t.SetOnProgress(TXmlProgressEvent([](TObject*, Int64) {}));
  TTrickle tr(text, static_cast<uint32_t>(size));
  t.LoadFromStream(&tr);
  Check(t.WriteToLocalString() == first);

  for (Integer cp : {65001, 1200}) {
    d.SetExternalCodepage(cp);
    std::string saved = d.WriteToString();
    TPlainXml back(nullptr);
    setup(back);
    back.ReadFromString(saved);
    Whole(back);
    // Text whose first bytes are the binary signature is read as binary.
    bool signature = saved.compare(0, 4, "$BXM") == 0;
    // XML text cannot carry NUL either: UTF-8 output has no byte-order mark,
    // so a NUL among its first four bytes makes them one of the patterns by
    // which a reader tells UTF-16 or UTF-32 without a mark.
    bool unmarkedNul = cp == 65001 && saved.find('\0') < 4;
    if (worst <= wsHint && !binary && d.Root() && PlainNames(d) && !signature && !unmarkedNul)
      Check(back.Root() && back.Root()->IsEqualTo(d.Root(), xcAll()));
  }
  return 0;
}
