#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_System_qn.h"
#include "xml/PlainXml_qn.h"

namespace t_plain_xml_parser_test {

using namespace qn;

namespace {

// Hands out its bytes in random pieces of 1 to 256 bytes.
class TTrickleStream : public TStream {
 public:
  TTrickleStream(std::string data, unsigned seed) : FData(std::move(data)), FRng(seed) {}
  Integer Read(void* Buffer, Integer Count) override {
    size_t left = FData.size() - FPos;
    size_t n = std::min<size_t>({left, static_cast<size_t>(Count), 1 + FRng() % 256});
    std::memcpy(Buffer, FData.data() + FPos, n);
    FPos += n;
    return static_cast<Integer>(n);
  }
  Integer Write(const void*, Integer) override { return 0; }
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override {
    Int64 p = Origin == soBeginning ? Offset : Origin == soCurrent ? Int64(FPos) + Offset : Int64(FData.size()) + Offset;
    FPos = static_cast<size_t>(std::clamp<Int64>(p, 0, static_cast<Int64>(FData.size())));
    return static_cast<Int64>(FPos);
  }

 private:
  std::string FData;
  size_t FPos = 0;
  std::mt19937 FRng;
};

struct TLoad {
  std::vector<std::string> Reports;
  TsdWarnStyle Worst = wsInfo;
  std::unique_ptr<TPlainXml> Doc = std::make_unique<TPlainXml>(nullptr);
  TLoad() {
    Doc->SetOnDebugOut(TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) {
      Reports.push_back(std::string("[") + cWarnStyleNames(w) + "] " + m);
      if (w > Worst) Worst = w;
    }));
  }
};

std::unique_ptr<TLoad> Load(const std::string& bytes, bool preserve = true) {
  auto l = std::make_unique<TLoad>();
  if (!preserve) l->Doc->SetXmlFormat(xfCompact);
  TsdStringStream s(bytes);
  l->Doc->LoadFromStream(&s);
  return l;
}

// The bytes parsed through a parser that reads Chunk bytes at a time.
std::unique_ptr<TLoad> ParseInChunks(const std::string& bytes, Integer Chunk) {
  auto l = std::make_unique<TLoad>();
  TsdStringStream s(bytes);
  TsdXmlParser parser(&s, Chunk);
  parser.SetOwner(l->Doc.get());
  l->Doc->RootNodeList()->Clear();
  l->Doc->ParseStream(&parser);
  return l;
}

// Random text for the generated documents: one of the pieces, and a run of
// up to Most of them.
struct TPick {
  std::mt19937& Rng;
  std::string operator()(std::initializer_list<const char*> l) const { return l.begin()[Rng() % l.size()]; }
};
struct TRun {
  TPick Pick;
  std::string operator()(std::initializer_list<const char*> l, size_t most) const {
    std::string s;
    for (size_t k = 0, n = Pick.Rng() % (most + 1); k < n; ++k) s += Pick(l);
    return s;
  }
};

std::string Utf16(const std::string& utf8, bool be, bool bom) {
  String w = sdUtf8ToWide(utf8);
  std::string r;
  if (bom) r += be ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
  for (char16_t c : w) {
    char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    r += be ? hi : lo;
    r += be ? lo : hi;
  }
  return r;
}

}  // namespace


namespace {
// A document using every construct the reader keeps, in the layout a
// preserving save writes back byte for byte.
const std::string kSample =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<!-- top comment -->\r\n"
    "<root a=\"1\"   b='x &amp; y'\tc=\"\xC3\xA9\">\r\n"
    "  <item id=\"1\">first &lt;one&gt; \xE2\x82\xAC</item>\r\n"
    "  <item id=\"2\"/>\r\n"
    "  <empty/>\r\n"
    "  <![CDATA[raw <text> & more]]>\r\n"
    "  <?pi some data?>\r\n"
    "  <!-- inner\r\n comment -->\r\n"
    "  <deep><deeper><deepest>\xF0\x9F\x98\x80</deepest></deeper></deep>\r\n"
    "</root>\r\n";
}  // namespace

TEST(PlainXml_qn_Parser, ReadSizesChangeNothing) {
  // The same text, whether the stream gives it whole or in random pieces.
  std::string padded = kSample;
  for (int i = 0; i < 40; ++i) padded.insert(padded.size() - 9, "  <x n=\"" + std::to_string(i) + "\">\xE6\x97\xA5\xE6\x9C\xAC</x>\r\n");
  auto whole = Load(padded);
  std::string expect = whole->Doc->WriteToString();
  EXPECT_EQ(expect, padded);
  for (unsigned seed = 0; seed < 30; ++seed) {
    TLoad l;
    TTrickleStream s(padded, seed);
    l.Doc->LoadFromStream(&s);
    ASSERT_EQ(l.Doc->WriteToString(), expect) << seed;
    ASSERT_EQ(l.Reports, whole->Reports);
    std::vector<TXmlNode*> bad;
    ASSERT_TRUE(l.Doc->Root()->IsEqualTo(whole->Doc->Root(), xcAll(), &bad)) << bad[0]->GetName();
  }
}

TEST(PlainXml_qn_Parser, BlockSizesChangeNothing) {
  // Documents load in blocks of their own size; any block size must give the
  // same tree and the same reports, whatever the encoding and however the
  // blocks cut characters, CR LF pairs and markup (reports included, on
  // malformed text too).
  std::string cp1252 = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r a=\"\xE9\">caf\xE9\r\n\x80</r>";
  std::string broken = "<a><b x='1' y=\"2\r\n\"><c>text</a>\r\n<!-- open";
  // Ends of comments, sections and instructions after bytes that begin them.
  std::string nearEnds = "<r><!-- a - b -x- c- --><![CDATA[ x ] y ]] z ]]]><?p ? q >?></r><!--- -- ->";
  const std::string docs[] = {kSample, Utf16(kSample, true, true), Utf16(kSample, false, false), cp1252, broken,
                              nearEnds};
  for (const std::string& text : docs) {
    auto whole = Load(text);
    std::vector<std::string> reports = whole->Reports;
    std::string expect = whole->Doc->WriteToLocalString();
    for (Integer chunk : {1, 2, 3, 5, 16, 255, 256, 4096}) {
      auto l = ParseInChunks(text, chunk);
      ASSERT_EQ(l->Reports, reports) << chunk;
      ASSERT_EQ(l->Doc->WriteToLocalString(), expect) << chunk;
    }
  }
}

TEST(PlainXml_qn_Parser, LargeDocumentsReportLinesAndPositionsAcrossCompaction) {
  // The decoded text is compacted as it is read: elements, indentation and a
  // text longer than the buffer is ever let grow before it compacts, then a
  // mismatched end tag far into the document. Its report names the line and
  // position of the whole text, and every block size gives the same reports
  // and tree.
  std::string text = "<?xml version=\"1.0\"?>\r\n<r>\r\n";
  for (int i = 0; text.size() < 200000; ++i)
    text += "  <e n=\"" + std::to_string(i) + "\"><f>caf\xC3\xA9 " + std::to_string(i) + "</f></e>\r\n";
  text += "  <long>";
  for (int i = 0; i < 30000; ++i) text += "word" + std::to_string(i % 7) + (i % 10 == 9 ? "\r\n" : " ");
  text += "</long>\r\n";
  for (int i = 0; text.size() < 700000; ++i) text += "  <g><h a='" + std::to_string(i) + "'/></g>\r\n";
  size_t bad = text.size();
  text += "  <x></y>\r\n</r>";
  std::string normalised = sdNormaliseEol(text);
  size_t badInNormalised = normalised.rfind("<x></y>");
  Int64 line = std::count(normalised.begin(), normalised.begin() + static_cast<std::ptrdiff_t>(badInNormalised), '\n');
  Int64 pos = static_cast<Int64>(badInNormalised + 7);
  ASSERT_GT(bad, 600000u);
  auto whole = Load(text);
  std::vector<std::string> reports = whole->Reports;
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], "[warn] begin and end tag mismatch: \"x\" and \"y\" at line " + std::to_string(line) +
                            " (pos " + std::to_string(pos) + ")");
  std::string expect = whole->Doc->WriteToString();
  for (Integer chunk : {Integer(977), Integer(4096), Integer(65536), static_cast<Integer>(text.size() + 1)}) {
    auto l = ParseInChunks(text, chunk);
    ASSERT_EQ(l->Reports, reports) << chunk;
    ASSERT_EQ(l->Doc->WriteToString(), expect) << chunk;
  }
}

TEST(PlainXml_qn_Parser, EncodingDetection) {
  const std::string body = "<?xml version=\"1.0\"?><r>\xC3\xA9</r>";
  // With and without BOM, every entry the reader can decode.
  struct Case {
    std::string Bytes;
    TsdStringEncoding Enc;
    bool Bom;
  } cases[] = {
      {body, seUTF8, false},
      {"\xEF\xBB\xBF" + body, seUTF8, true},
      {Utf16(body, false, true), seUTF16LE, true},
      {Utf16(body, true, true), seUTF16BE, true},
      {Utf16(body, false, false), seUTF16LE, false},
      {Utf16(body, true, false), seUTF16BE, false},
  };
  for (const auto& c : cases) {
    auto l = Load(c.Bytes);
    ASSERT_NE(l->Doc->Root(), nullptr);
    EXPECT_EQ(l->Doc->Root()->GetValue(), "\xC3\xA9");
    EXPECT_EQ(l->Doc->ExternalEncoding(), c.Enc);
    EXPECT_EQ(l->Doc->ExternalBomInfo().HasBOM, c.Bom);
    EXPECT_LE(l->Worst, wsInfo) << l->Reports.back();
  }
  // The entries of encodings that cannot be read: refused, nothing loaded.
  const char* refused[][2] = {{"\x00\x00\xFE\xFF", "utf-32BE"}, {"\xFF\xFE\x00\x00", "utf-32"},
                              {"\x00\x00\xFF\xFE", "ucs4_2143"}, {"\xFE\xFF\x00\x00", "ucs4_3412"},
                              {"\x00\x00\x00\x3C", "utf-32BE"}, {"\x3C\x00\x00\x00", "utf-32"},
                              {"\x00\x00\x3C\x00", "ucs4_2143"}, {"\x00\x3C\x00\x00", "ucs4_3412"},
                              {"\x4C\x6F\xA7\x94", "ebcdic"}};
  for (auto& r : refused) {
    auto l = Load(std::string(r[0], 4) + std::string(20, 'x'));
    EXPECT_EQ(l->Doc->RootNodeCount(), 0);
    ASSERT_FALSE(l->Reports.empty());
    EXPECT_EQ(l->Reports[0], std::string("[fail] unsupported encoding (") + r[1] + ")");
  }
  // No declaration and no BOM: UTF-8, kept on save.
  auto plain = Load("<r>\xC3\xA9</r>");
  EXPECT_EQ(plain->Reports, std::vector<std::string>{"[hint] unknown encoding"});
  EXPECT_EQ(plain->Doc->ExternalEncoding(), seUTF8);
  EXPECT_EQ(plain->Doc->WriteToString(), "<r>\xC3\xA9</r>");
  // Four bytes are still a document.
  auto tiny = Load("<a/>");
  ASSERT_NE(tiny->Doc->Root(), nullptr);
  EXPECT_EQ(tiny->Doc->Root()->GetName(), "a");
  // "<?xmlfoo?>" is an instruction, "<?XML-STYLESHEET" a style sheet.
  auto pi = Load("<?xmlfoo bar?><?XML-STYLESHEET href=\"s\"?><r/>");
  EXPECT_EQ(pi->Doc->RootNodes(0)->ElementType(), xeInstruction);
  EXPECT_EQ(pi->Doc->RootNodes(1)->ElementType(), xeStylesheet);
}

TEST(PlainXml_qn_Parser, DeclaredCodePagesAndContradictions) {
  // A page named by the declaration also decodes the chunk that held it.
  auto latin = Load("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><r>\xE9t\xE9</r>");
  EXPECT_EQ(latin->Doc->Root()->GetValue(), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(latin->Doc->ExternalEncoding(), seAnsi);
  EXPECT_EQ(latin->Doc->ExternalCodepage(), 28591);
  EXPECT_EQ(latin->Doc->WriteToString(), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<r>\xE9t\xE9</r>");

  // shift_jis with its double-byte characters cut by the chunk border at
  // every offset.
  const std::string jp = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67";  // 日本語のテキスト
  for (int pad = 0; pad < 20; ++pad) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"shift_jis\"?><r><!--" + std::string(200 + pad, '-').replace(0, 1, "x") +
                      "-->" + jp + "</r>";
    auto l = Load(doc);
    ASSERT_EQ(l->Doc->Root()->GetValue(),
              "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88")
        << pad;
  }

  // UTF-16 text declaring "UTF-16": read as what its bytes are, past the
  // first chunk too.
  std::string longText(600, 'a');
  auto be = Load(Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>" + longText + "\xC3\xA9</r>", true, false));
  EXPECT_EQ(be->Doc->Root()->GetValue(), longText + "\xC3\xA9");
  EXPECT_EQ(be->Doc->ExternalEncoding(), seUTF16BE);
  // A UTF-16LE BOM declaring "utf-8": the BOM wins, the declaration earns a hint.
  auto le = Load(Utf16("<?xml version=\"1.0\" encoding=\"utf-8\"?><r>\xC3\xA9</r>", false, true));
  EXPECT_EQ(le->Doc->Root()->GetValue(), "\xC3\xA9");
  EXPECT_EQ(le->Worst, wsHint);

  // CR LF cut by the chunk border is one line break.
  for (int pad = 240; pad < 260; ++pad) {
    std::string doc = "<r>" + std::string(static_cast<size_t>(pad), 'a') + "\r\nb</r>";
    auto l = Load(doc);
    ASSERT_EQ(l->Doc->Root()->GetValue(), std::string(static_cast<size_t>(pad), 'a') + "\r\nb");
    ASSERT_EQ(static_cast<TsdCharData*>(l->Doc->Root()->GetNodes(0))->GetCoreValue().find('\r'), UTF8String::npos);
  }
}

TEST(PlainXml_qn_Parser, DecodedTextMatchesWholeTextConversion) {
  // Random UTF-8-ish bytes (ASCII, CR, LF, valid sequences of every length,
  // stray and cut-off bytes) read character by character through chunks of
  // any size: the text is what converting the whole input at once gives,
  // and the line count and position follow it across compactions.
  std::mt19937 rng(11);
  const std::string pieces[] = {"a", "xyz ", "\r", "\n", "\r\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                "\x80", "\xC3", "\xE2\x82", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\xC0\xAF",
                                "0123456789abcdef0123456789"};
  for (int round = 0; round < 300; ++round) {
    bool valid = round % 2 == 0;
    std::string text = "<r>";
    for (int k = 0, n = 1 + static_cast<int>(rng() % 120); k < n; ++k) {
      size_t pick = rng() % 15;
      if (valid && pick >= 8 && pick <= 13) pick = 14;
      text += pieces[pick];
    }
    std::string expect = valid ? sdNormaliseEol(text) : sdWideToUtf8(sdUtf8ToWide(text));
    Integer chunk = 4 + static_cast<Integer>(rng() % 300);
    TsdStringStream s(text);
    TsdXmlParser p(&s, chunk);
    p.ReadBOM();
    std::string got;
    for (;;) {
      char c = p.NextChar();
      if (c == 0 && p.EndOfStream()) break;
      got += c;
      if (rng() % 16 == 0) {
        p.Flush(true);
        ASSERT_EQ(p.GetLineNumber(), std::count(got.begin(), got.end(), '\n'));
        ASSERT_EQ(p.GetPosition(), static_cast<Int64>(got.size()));
      }
    }
    ASSERT_EQ(got, expect) << round << " chunk " << chunk;
  }
}

TEST(PlainXml_qn_Parser, StartTagsInOneGoMatchPiecewiseReads) {
  // Start tags wholly in the decoded text are read in one go; cut by the end
  // of a small block they are read piece by piece. Random tags, plain and
  // malformed (odd blanks, missing "=" or quotes, stray quotes, "?>" and
  // "!>" ends, tags cut by the end of the text), with end tags that match
  // or not, give the same tree, the
  // same reports and the same events in the same order with the same
  // positions, whatever the block size.
  std::mt19937 rng(29);
  TPick pick{rng};
  auto tag = [&]() {
    std::string t = "<" + pick({"a", "b", "item", "x1", "", "\xC3\xA9t", "n[1]"});
    for (int k = 0, n = static_cast<int>(rng() % 4); k < n; ++k) {
      t += pick({" ", " ", " ", "", "  ", "\t", "\r\n", " \n"});
      t += pick({"k", "id", "a b", "\x01v", "", "'", "\""});
      t += pick({"=", "=", "=", " = ", "=\n", ""});
      std::string q = pick({"\"", "\"", "'", "", "`"});
      t += q + pick({"1", "", "x > y", "a='b'", "&amp;", "\xE2\x82\xAC", "l1\nl2"}) + q;
    }
    return t + pick({">", ">", ">", "/>", "/>", " />", "/ >", "?>", "!>", ""});
  };
  for (int round = 0; round < 400; ++round) {
    std::string text = "<?xml version=\"1.0\"?>\r\n<r>";
    for (int k = 0, n = 1 + static_cast<int>(rng() % 12); k < n; ++k) {
      text += pick({"", "\r\n  ", "text ", " &lt;"}) + tag();
      // End tags: the element's own name (matched in place), blanks
      // around it, a prefix of it, and names of other levels.
      if (rng() % 2)
        text += pick({"</a>", "</b>", "</item>", "</x1>", "</>", "</r>", "</a >", "</ a>", "</it>", "</item\r\n>",
                      "</\xC3\xA9t>", "</n[1]>"});
    }
    if (rng() % 4) text += "</r>";
    bool fix = round % 3 == 0;
    std::vector<std::string> reference;
    for (Integer chunk : {static_cast<Integer>(text.size() + 1), Integer(1), Integer(2), Integer(7), Integer(64)}) {
      TLoad l;
      TPlainXml* d = l.Doc.get();
      d->SetFixStructuralErrors(fix);
      std::vector<std::string> trace;
      d->SetOnNodeNew(TsdXmlNodeEvent(
          [&](TObject*, TXmlNode* n) { trace.push_back("new " + n->ElementTypeName()); }));
      d->SetOnNodeLoaded(TsdXmlNodeEvent([&](TObject*, TXmlNode* n) {
        trace.push_back("loaded " + n->ElementTypeName() + " " + n->GetName() + "=" + n->GetValue());
      }));
      d->SetOnProgress(TXmlProgressEvent([&](TObject*, Int64 pos) { trace.push_back("at " + std::to_string(pos)); }));
      TsdStringStream s(text);
      TsdXmlParser parser(&s, chunk);
      parser.SetOwner(d);
      d->RootNodeList()->Clear();
      d->ParseStream(&parser);
      for (const std::string& r : l.Reports) trace.push_back(r);
      trace.push_back(d->WriteToString());
      // Attribute values read in one go keep no node until one is asked
      // for: the text and quote before, the node's after, the binary form
      // (which renumbers symbols) and the text written once every value has
      // its node are those of values read piece by piece.
      std::vector<TsdAttribute*> attributes;
      sdWalkNodes(*d->RootNodeList(), [&](TXmlNode* n) {
        if (n->ElementType() == xeAttribute) attributes.push_back(static_cast<TsdAttribute*>(n));
        return true;
      });
      TsdFastMemStream binary;
      d->SaveToBinaryStream(&binary);
      for (TsdAttribute* a : attributes) {
        std::string before = a->GetName() + "=" + std::string(a->ValueView()) + (a->ValueQuote() == qsApos ? "'" : "\"");
        TsdQuotedText* q = a->CoreValue();
        ASSERT_EQ(a->GetName() + "=" + q->GetCoreValue() + (q->QuoteStyle() == qsApos ? "'" : "\""), before);
        trace.push_back(before + " " + a->GetValue());
      }
      trace.push_back(d->WriteToString());
      binary.SetPosition(0);
      TLoad back;
      back.Doc->LoadFromBinaryStream(&binary);
      trace.push_back(back.Doc->WriteToString());
      if (reference.empty()) reference = trace;
      else ASSERT_EQ(trace, reference) << "round " << round << " chunk " << chunk << "\n" << text;
    }
  }
}

namespace {

// Well-formed UTF-8 by the table of byte ranges of the Unicode standard.
bool ReferenceUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    unsigned c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) len = 2;
    else if (c == 0xE0) len = 3, lo = 0xA0;
    else if (c == 0xED) len = 3, hi = 0x9F;
    else if (c >= 0xE1 && c <= 0xEF) len = 3;
    else if (c == 0xF0) len = 4, lo = 0x90;
    else if (c == 0xF4) len = 4, hi = 0x8F;
    else if (c >= 0xF1 && c <= 0xF3) len = 4;
    else return false;
    if (i + len > s.size()) return false;
    unsigned b = static_cast<unsigned char>(s[i + 1]);
    if (b < lo || b > hi) return false;
    for (size_t k = 2; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

}  // namespace

TEST(PlainXml_qn_Parser, Utf8CheckAgreesWithTheByteRanges) {
  // Both ways of checking (32 bytes at a time where the processor can, and
  // byte by byte) against the standard's table: every pair of bytes and
  // many triples placed across a 32-byte boundary, then random texts of
  // valid sequences at the edges of their ranges, stray bytes, cut-off
  // sequences and single changed bytes, with ASCII runs of every length
  // between them.
  auto check = [](const std::string& s) {
    bool want = ReferenceUtf8(s);
    ASSERT_EQ(sdIsUtf8(s.data(), s.size(), false), want) << testing::PrintToString(s);
    ASSERT_EQ(sdIsUtf8(s.data(), s.size(), true), want) << testing::PrintToString(s);
  };
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      std::string s(30, 'x');
      s += static_cast<char>(a);
      s += static_cast<char>(b);
      check(s);
      s += 'y';
      check(s);
    }
  const int seconds[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0};
  for (int lead = 0xC0; lead < 0x100; ++lead)
    for (int second : seconds)
      for (int third : seconds)
        for (size_t at : {28u, 29u, 30u, 31u, 62u}) {
          std::string s(at, 'q');
          s += static_cast<char>(lead);
          s += static_cast<char>(second);
          s += static_cast<char>(third);
          check(s);
          check(s + "\x80");
          check(s + "\x80z");
        }
  const std::string pieces[] = {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF",
                                "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "\xC3\xA9", "\xE6\x97\xA5"};
  std::mt19937 rng(41);
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    for (int k = 0, n = static_cast<int>(rng() % 12); k < n; ++k) {
      s += std::string(rng() % 40, static_cast<char>('a' + rng() % 26));
      s += pieces[rng() % 10];
    }
    switch (round % 4) {
      case 0: break;
      case 1:
        if (!s.empty()) s[rng() % s.size()] = static_cast<char>(rng());
        break;
      case 2:
        if (!s.empty()) s.resize(rng() % s.size());
        break;
      default: s.insert(rng() % (s.size() + 1), 1, static_cast<char>(0x80 + rng() % 0x80));
    }
    check(s);
  }
}

TEST(PlainXml_qn_Parser, LineCountsOfLongRunsOnEitherProcessor) {
  // Line breaks are counted many bytes a step when text is compacted or a
  // line is asked for: runs of lengths around those steps, with breaks at
  // random places or in every byte (the longest run, counted in one go,
  // would wrap a byte's counter), give the count of the text itself, on
  // this processor and on one that reports no vector extensions.
  static const TCPUIDSource kNoCPUID{
      [] { return false; }, [](Cardinal, Cardinal, Cardinal r[4]) { r[0] = r[1] = r[2] = r[3] = 0; },
      [] { return UInt64(0); }};
  auto check = [] {
    std::mt19937 rng(3);
    for (int len : {0, 1, 15, 16, 17, 127, 128, 129, 255, 300, 4095, 16600}) {
      for (int dense = len > 5000 ? 2 : 0; dense <= 2; ++dense) {
        std::string text(static_cast<size_t>(len), 'a');
        for (char& c : text)
          if (dense == 2 || (dense == 1 && rng() % 3 == 0)) c = '\n';
        TsdStringStream s(text);
        TsdXmlParser p(&s, 997);
        p.ReadBOM();
        Int64 seen = 0;
        for (char c; !((c = p.NextChar()) == 0 && p.EndOfStream());) {
          ++seen;
          if (len < 5000 && seen % 1003 == 0) p.Flush(true);
        }
        EXPECT_EQ(p.GetLineNumber(), std::count(text.begin(), text.end(), '\n')) << len << " " << dense;
      }
    }
  };
  check();
  SetCPUIDSource(&kNoCPUID);
  check();
  SetCPUIDSource(nullptr);
}

TEST(PlainXml_qn_Parser, LineBreaksAtEveryPlaceOfABlock) {
  // CR LF, lone CR and CR CR LF at every offset from a block start (text is
  // copied 16 or 32 bytes a step), in ASCII and in text with multi-byte
  // sequences, and at the end of a chunk: the stored text has LF only, on
  // this processor and on one that reports no vector extensions.
  static const TCPUIDSource kNoCPUID{
      [] { return false; }, [](Cardinal, Cardinal, Cardinal r[4]) { r[0] = r[1] = r[2] = r[3] = 0; },
      [] { return UInt64(0); }};
  const std::string fills[] = {"a", "\xC3\xA9"};
  const std::string breaks[] = {"\r\n", "\r", "\r\r\n", "\n\r"};
  auto mismatches = [&] {
    int bad = 0;
    for (const std::string& fill : fills)
      for (const std::string& br : breaks)
        for (int at = 0; at < 70; ++at) {
          std::string text;
          for (int k = 0; k < at; ++k) text += k % 7 == 3 ? fill : "b";
          text += br + std::string(40, 'c') + br;
          std::string doc = "<r>" + text + "</r>";
          std::string expect = "<r>" + sdNormaliseEol(text) + "</r>";
          for (Integer chunk : {4, 37, 65536}) {
            TsdStringStream s(doc);
            TsdXmlParser p(&s, chunk);
            p.ReadBOM();
            std::string got;
            for (char c; !((c = p.NextChar()) == 0 && p.EndOfStream());) got += c;
            if (got != expect) {
              ADD_FAILURE() << testing::PrintToString(doc) << " chunk " << chunk;
              ++bad;
            }
          }
        }
    return bad;
  };
  EXPECT_EQ(mismatches(), 0);
  SetCPUIDSource(&kNoCPUID);
  EXPECT_FALSE(CPUFeatures().Contains(TCPUInstructionSet::ciAVX2));
  int plainBad = mismatches();
  SetCPUIDSource(nullptr);
  EXPECT_EQ(plainBad, 0);
}

TEST(PlainXml_qn_Parser, DenseLineBreaksInLongText) {
  // Blocks with no, one or many line breaks of every kind, runs of CR, CR
  // LF split between blocks and between chunks: the decoded text is the
  // whole text normalised at once, read in chunks of any size.
  std::mt19937 rng(53);
  const std::string pieces[] = {"\r\n", "\r", "\n", "x", "yz", "\r\r", "0123456789abcdefghijklmnopqrstuvwxyz"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    int dense = 1 + static_cast<int>(rng() % 6);  // how much of the text is breaks
    for (int k = 0, n = 20 + static_cast<int>(rng() % 400); k < n; ++k)
      text += pieces[rng() % 7 < static_cast<unsigned>(dense) ? rng() % 3 + (rng() % 4 == 0 ? 3 : 0) : 6];
    std::string doc = "<r>" + text + "</r>";
    std::string expect = "<r>" + sdNormaliseEol(text) + "</r>";
    Integer chunk = round % 4 == 0 ? static_cast<Integer>(doc.size() + 1) : 4 + static_cast<Integer>(rng() % 200);
    TsdStringStream s(doc);
    TsdXmlParser p(&s, chunk);
    p.ReadBOM();
    std::string got;
    for (char c; !((c = p.NextChar()) == 0 && p.EndOfStream());) got += c;
    ASSERT_EQ(got, expect) << round << " chunk " << chunk;
  }
}

TEST(PlainXml_qn_Parser, DecodedTextIsTheSameOnEitherProcessor) {
  // UTF-8 is checked and copied in one pass, 32 bytes a step, the last
  // block read whole (cut to the text) where the processor can: texts of
  // ASCII, multi-byte sequences, line breaks of every kind and, in some,
  // a stray, cut-off or overlong byte, of lengths around the block size
  // and read in chunks of many sizes, decode to the same text as on a
  // processor without vector extensions, and valid text to the text
  // itself with its line breaks made LF.
  static const TCPUIDSource kNoCPUID{
      [] { return false; }, [](Cardinal, Cardinal, Cardinal r[4]) { r[0] = r[1] = r[2] = r[3] = 0; },
      [] { return UInt64(0); }};
  const std::string pieces[] = {"a", "bc", "\r\n", "\r", "\n", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x98\x80",
                                "0123456789abcdefghijklmnopqrstuv", "\t "};
  const std::string faults[] = {"\x80", "\xC3", "\xE6\x97", "\xC0\xAF", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\xFF"};
  auto decode = [](const std::string& text, Integer chunk) {
    TsdStringStream s(text);
    TsdXmlParser p(&s, chunk);
    p.ReadBOM();
    std::string got;
    for (char c; !((c = p.NextChar()) == 0 && p.EndOfStream());) got += c;
    return got;
  };
  std::mt19937 rng(77);
  for (int round = 0; round < 1500; ++round) {
    std::string text;
    const size_t want = rng() % 140;
    while (text.size() < want) text += pieces[rng() % 10];
    const bool broken = round % 3 == 0;
    if (broken) text.insert(rng() % (text.size() + 1), faults[rng() % 7]);
    const Integer chunks[] = {4, 5 + static_cast<Integer>(rng() % 60), static_cast<Integer>(text.size() + 1)};
    for (Integer chunk : chunks) {
      std::string wide = decode(text, chunk);
      SetCPUIDSource(&kNoCPUID);
      std::string plain = decode(text, chunk);
      SetCPUIDSource(nullptr);
      ASSERT_EQ(wide, plain) << testing::PrintToString(text) << " chunk " << chunk;
      if (!broken) { ASSERT_EQ(wide, sdNormaliseEol(text)) << testing::PrintToString(text) << " chunk " << chunk; }
    }
  }
}

namespace {
// Everything a parse shows: the events in order with their positions, the
// reports, and the document written back.
std::vector<std::string> ParseTrace(const std::string& text, Integer chunk, bool preserve, bool fix) {
  TLoad l;
  TPlainXml* d = l.Doc.get();
  d->SetFixStructuralErrors(fix);
  if (!preserve) d->SetXmlFormat(xfCompact);
  std::vector<std::string> trace;
  d->SetOnNodeNew(TsdXmlNodeEvent([&](TObject*, TXmlNode* n) { trace.push_back("new " + n->ElementTypeName()); }));
  d->SetOnNodeLoaded(TsdXmlNodeEvent([&](TObject*, TXmlNode* n) {
    trace.push_back("loaded " + n->ElementTypeName() + " " + n->GetName() + "=" + n->GetValue());
  }));
  d->SetOnProgress(TXmlProgressEvent([&](TObject*, Int64 pos) { trace.push_back("at " + std::to_string(pos)); }));
  TsdStringStream s(text);
  TsdXmlParser parser(&s, chunk);
  parser.SetOwner(d);
  d->RootNodeList()->Clear();
  d->ParseStream(&parser);
  for (const std::string& r : l.Reports) trace.push_back(r);
  // The tree node by node: white space and text runs as they were split.
  sdWalkNodes(*d->RootNodeList(), [&](TXmlNode* n) {
    trace.push_back(n->ElementTypeName() + " [" + n->GetName() + "] [" + n->GetValue() + "]");
    return true;
  });
  trace.push_back(d->WriteToString());
  return trace;
}
}  // namespace

TEST(PlainXml_qn_Parser, MarkupKindsToldAtHandAsPiecewise) {
  // "<?xml" followed by a blank or "?" is a declaration in any case,
  // "<!--" a comment and "<![CDATA[" a section with its letters in any
  // case, told from the text at hand where enough bytes are there, else
  // read on: every chunk size gives the same nodes, reports and output,
  // near misses and cut-off markup included.
  const std::string docs[] = {
      "<?xml?><r/>",          "<?XmL version=\"1.0\"?><r/>", "<?xml\tversion='1.0'?>\r\n<r/>",
      "<?xmL-stylesheet href=\"s\"?><r/>", "<?xm?><r/>",      "<?x?><r/>",
      "<?xmlns a?><r/>",      "<?xml",                          "<?xm",
      "<?XML\nencoding=\"utf-8\"?><r>\xC3\xA9</r>",
      "<r><!--c--><![CDATA[<x>]]><![cDaTa[y]]></r>",
      "<r><!-x--></r>",       "<r><![CDATA{x]]></r>",          "<r><![CDAT[x]]></r>",
      "<r><![C\xC4\x84TA[x]]></r>", "<r><!DOCTYPE r></r>",     "<r><!--",
      "<r><![CDATA[",         "<r><!E></r>",                   "<!--a--><r/><![CDATA[b]]>"};
  for (const std::string& doc : docs) {
    const auto whole = ParseTrace(doc, static_cast<Integer>(doc.size() + 1), true, false);
    for (Integer chunk : {4, 5, 6, 7, 8})
      EXPECT_EQ(ParseTrace(doc, chunk, true, false), whole) << testing::PrintToString(doc) << " chunk " << chunk;
  }
}

TEST(PlainXml_qn_Parser, NamesTextAndEndTagsAtHandMatchPiecewiseReads) {
  // Names, the text and blanks between tags and end tags that repeat the
  // name are read from the decoded text 16 bytes at a time where 16 bytes
  // are at hand, and byte by byte where a block of one byte leaves none.
  // Names and runs of every length around 16, with the byte that ends them
  // (or spoils the end tag) at every place: a blank, another control byte,
  // '/', '>', '[', a quote, a byte of a multi-byte character.
  std::mt19937 rng(53);
  TPick pick{rng};
  TRun run{pick};
  auto name = [&]() {
    std::string n = "n" + run({"a", "b", "Z", "9", "-", "_", ".", "\xC3\xA9", "\x01", "\x1F"}, 34);
    if (rng() % 8 == 0) n.insert(rng() % (n.size() + 1), pick({" ", "\t", "/", ">", "[", "\r\n", "\x7F", "\"", "<"}));
    return n;
  };
  auto blanks = [&]() { return run({" ", " ", "\r\n", "\n", "\t", "\r", "\x01", "\x1F", "\x7F"}, 40); };
  auto text = [&]() {
    return blanks() + run({"x", "0", "1", "&amp;", " ", "\xE2\x82\xAC", "\x02", "\t", "]", "'", ">", "\r\n"}, 40) +
           blanks();
  };
  auto endTag = [&](const std::string& n) {
    switch (rng() % 10) {
      case 0: {  // a byte of the name changed, at any place
        std::string m = n;
        m[rng() % m.size()] = pick({"a", "\x01", " ", ">", "x"})[0];
        return "</" + m + ">";
      }
      case 1: return "</" + n.substr(0, rng() % n.size()) + ">";  // a prefix
      case 2: return "</" + n + pick({"a", " ", "\t", "\r\n", "\x01", "/"}) + ">";
      case 3: return "</" + pick({" ", "\t", "\x01"}) + n + ">";
      case 4: return "</" + n;  // cut off
      default: return "</" + n + ">";
    }
  };
  for (int round = 0; round < 300; ++round) {
    // Declarations are read as start tags are: attributes in one go up to
    // the first that would report or read on.
    std::string doc = pick({"<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                            "<?xml version='1.0'  standalone=\"yes\"?>", "<?xml\tversion=\"1.0\"?>",
                            "<?xml version=\"1.0\" ?>", "<?xml version = \"1.0\"encoding=\"utf-8\"?>",
                            "<?xml version=\"1.0\" \"x\"?>", "<?xml version=\"1.0\"/>", "<?xml version=1.0?>",
                            "<?xml version=\"1.0\" a=\"b>c\"?>", "<?xml version=\"1.0\"\r\n encoding=\"utf-8\"?>"}) +
                      blanks() + "<r>";
    std::vector<std::string> open;
    for (int k = 0, n = 1 + static_cast<int>(rng() % 16); k < n; ++k) {
      doc += rng() % 3 ? blanks() : text();
      if (!open.empty() && rng() % 3 == 0) {
        doc += endTag(open.back());
        open.pop_back();
        continue;
      }
      std::string nm = name();
      doc += "<" + nm + pick({"", " a=\"1\"", " k='v'", "  b=\"2\""}) + pick({">", ">", ">", "/>"});
      if (doc.back() == '/' || doc.compare(doc.size() - 2, 2, "/>") == 0) continue;
      if (rng() % 2) {
        // The common leaf: text and its end tag.
        doc += text() + endTag(nm);
      } else {
        open.push_back(nm);
      }
    }
    while (!open.empty() && rng() % 5) {
      doc += blanks() + endTag(open.back());
      open.pop_back();
    }
    doc += blanks() + (rng() % 4 ? "</r>" : "");
    bool preserve = round % 2 == 0, fix = round % 3 == 0;
    std::vector<std::string> piecewise = ParseTrace(doc, 1, preserve, fix);
    for (Integer chunk : {static_cast<Integer>(doc.size() + 1), Integer(17), Integer(64)})
      ASSERT_EQ(ParseTrace(doc, chunk, preserve, fix), piecewise) << "round " << round << " chunk " << chunk << "\n"
                                                                   << doc;
  }
}

TEST(PlainXml_qn_Parser, EndTagInPlaceOnlyForTheWholeName) {
  // SkipEndTagOf takes Name and '>' only when ReadViewUntilChar('>') would
  // give Name itself: for names of every length up to 20 with a '>' or a
  // blank at each place, before text that ends at once or goes on.
  TsdSymbolTable symbols(nullptr);
  for (size_t len = 1; len <= 20; ++len) {
    for (size_t at = 0; at <= len; ++at) {
      for (const char* odd : {">", " ", "\t", "x"}) {
        std::string name(len, 'n');
        if (at < len) name[at] = odd[0];
        for (const std::string& body : {name + ">", name + "> and more text behind it", name + "x>", name + " >",
                                        name.substr(0, len - 1) + ">" + std::string(20, 'y')}) {
          auto blank = [](char c) { return c == ' ' || c == '\t'; };
          bool expect = body.compare(0, len + 1, name + ">") == 0 && name.find('>') == std::string::npos &&
                        !blank(name.front()) && !blank(name.back());
          std::string text = "<x/>" + body;
          TsdStringStream s(text);
          TsdXmlParser p(&s, static_cast<Integer>(text.size() + 1));
          p.ReadBOM();
          for (int k = 0; k < 4; ++k) p.NextChar();
          ASSERT_EQ(p.SkipEndTagOf(name), expect) << "[" << name << "] [" << body << "]";
          ASSERT_EQ(p.GetPosition(), expect ? Int64(4 + len + 1) : Int64(4));
          // The same for the name as the string table holds it, compared
          // in one step.
          TsdStringStream s2(text);
          TsdXmlParser p2(&s2, static_cast<Integer>(text.size() + 1));
          p2.ReadBOM();
          for (int k = 0; k < 4; ++k) p2.NextChar();
          ASSERT_EQ(p2.SkipEndTagOfSymbol(symbols.GetView(symbols.AddString(name))), expect)
              << "[" << name << "] [" << body << "]";
          ASSERT_EQ(p2.GetPosition(), expect ? Int64(4 + len + 1) : Int64(4));
        }
      }
    }
  }
}

TEST(PlainXml_qn_Parser, HandlersSetDuringAParseSeeEveryEventFromThenOn) {
  // The parser leaves the node events out while no handler is set, asking
  // again after anything that may run a handler: one set by another handler
  // part way through, or by a report's handler, sees every event from then
  // on that a parse with all of them set from the start shows.
  const std::string texts[] = {
      "<?xml version=\"1.0\"?>\r\n<r a=\"1\" b='2'>\r\n  <x>t</x>\r\n  <y k=\"v\"/>\r\n  <z>  pad  </z><e></e>\r\n</r>",
      "<r><a><b c=\"d\" e=\"f\">text &amp; more</b><b/></a>tail<!-- c --><![CDATA[x]]><q>  </q></r>",
      "<r><a x=\"1\">v</a><b></c><d y='2'>w</d><f z=\"3\"/></r>",
  };
  // InstallAt: the "new" event whose handler sets the other two handlers (0:
  // all set from the start; -k: the k-th report's handler sets all three).
  auto parse = [](const std::string& text, Integer chunk, int installAt) {
    TLoad l;
    TPlainXml* d = l.Doc.get();
    std::vector<std::string> trace;
    int news = 0, reports = 0;
    auto others = [&]() {
      d->SetOnNodeLoaded(TsdXmlNodeEvent([&](TObject*, TXmlNode* n) {
        trace.push_back("loaded " + n->ElementTypeName() + " " + n->GetName() + "=" + n->GetValue());
      }));
      d->SetOnProgress(TXmlProgressEvent([&](TObject*, Int64 pos) { trace.push_back("at " + std::to_string(pos)); }));
    };
    auto onNew = TsdXmlNodeEvent([&](TObject*, TXmlNode* n) {
      trace.push_back("new " + n->ElementTypeName());
      if (++news == installAt) others();
    });
    d->SetOnDebugOut(TsdDebugEvent([&](TObject*, TsdWarnStyle, const UTF8String& m) {
      trace.push_back("report " + m);
      if (installAt < 0 && ++reports == -installAt) {
        d->SetOnNodeNew(onNew);
        others();
      }
    }));
    if (installAt >= 0) d->SetOnNodeNew(onNew);
    if (installAt == 0) others();
    TsdStringStream s(text);
    TsdXmlParser parser(&s, chunk);
    parser.SetOwner(d);
    d->RootNodeList()->Clear();
    d->ParseStream(&parser);
    trace.push_back(d->WriteToString());
    return trace;
  };
  for (const std::string& text : texts)
    for (Integer chunk : {static_cast<Integer>(text.size() + 1), Integer(3)}) {
      std::vector<std::string> full = parse(text, chunk, 0);
      int newCount = 0;
      for (const std::string& t : full) newCount += t.rfind("new ", 0) == 0;
      ASSERT_GT(newCount, 5);
      for (int k = 1; k <= newCount; ++k) {
        // Up to the k-th "new" only the "new" events and reports, then all.
        std::vector<std::string> expect;
        size_t i = 0;
        for (int seen = 0; i < full.size() && seen < k; ++i) {
          bool isNew = full[i].rfind("new ", 0) == 0;
          seen += isNew;
          if (isNew || full[i].rfind("report ", 0) == 0) expect.push_back(full[i]);
        }
        expect.insert(expect.end(), full.begin() + static_cast<std::ptrdiff_t>(i), full.end());
        ASSERT_EQ(parse(text, chunk, k), expect) << text << " chunk " << chunk << " from new " << k;
      }
      // Up to the k-th report only the reports, then all.
      int k = 0;
      std::vector<std::string> before;
      for (auto at = full.begin(); at != full.end(); ++at)
        if (at->rfind("report ", 0) == 0) {
          ++k;
          std::vector<std::string> expect = before;
          expect.insert(expect.end(), at, full.end());
          ASSERT_EQ(parse(text, chunk, -k), expect) << text << " chunk " << chunk << " from report " << k;
          before.push_back(*at);
        }
      ASSERT_GT(k, 0);
    }
}

namespace {
// What a parse leaves: reports, the tree with its counts, the string table
// in id order, the nesting count and the abort flag, and the text it writes.
// With Handlers, a progress handler that does nothing makes the parser take
// its loop one step at a time.
std::vector<std::string> ParseOutcome(const std::string& text, Integer chunk, bool preserve, bool fix, Integer depth,
                                      bool handlers) {
  TLoad l;
  TPlainXml* d = l.Doc.get();
  d->SetFixStructuralErrors(fix);
  d->SetMaxNestingDepth(depth);
  if (!preserve) d->SetXmlFormat(xfCompact);
  if (handlers) d->SetOnProgress(TXmlProgressEvent([](TObject*, Int64) {}));
  TsdStringStream s(text);
  TsdXmlParser parser(&s, chunk);
  parser.SetOwner(d);
  d->RootNodeList()->Clear();
  d->ParseStream(&parser);
  std::vector<std::string> trace = l.Reports;
  sdWalkNodes(*d->RootNodeList(), [&](TXmlNode* n) {
    std::string t = n->ElementTypeName() + " [" + n->GetName() + "] [" + n->GetValue() + "] " +
                    std::to_string(n->GetNodeCount()) + "/" + std::to_string(n->GetDirectNodeCount());
    if (auto* c = dynamic_cast<TsdContainerNode*>(n)) t += " v" + std::to_string(c->ValueIndex());
    trace.push_back(t + " in " + (n->Parent() ? n->Parent()->GetName() : std::string("-")));
    return true;
  });
  TsdSymbolTable* table = d->SymbolTable();
  for (Integer id = 1; id <= table->GetSymbolCount(); ++id) trace.push_back("#" + std::string(table->GetView(id)));
  trace.push_back("level " + std::to_string(d->NestingLevel()) + (d->AbortParsing() ? " aborted" : ""));
  trace.push_back(d->WriteToString());
  return trace;
}
}  // namespace

TEST(PlainXml_qn_Parser, RunsOverTheTextAtHandMatchTheStepwiseLoop) {
  // Without node handlers the usual markup is read in one loop over the
  // decoded text; with one, a step at a time. Random documents of elements,
  // attributes, text, blanks and end tags, well-formed for the most part
  // but with every kind of fault the stepwise reads report and repair,
  // markup of other kinds in between, nesting up to and past a small
  // maximum, in blocks of every size: the same tree, table, reports and
  // output either way.
  std::mt19937 rng(71);
  TPick pick{rng};
  TRun run{pick};
  auto name = [&]() {
    std::string n = pick({"a", "b", "item", "x1", "n"}) + run({"a", "Z", "9", "-", ".", "\xC3\xA9"}, rng() % 4 ? 3 : 20);
    if (rng() % 16 == 0) n.insert(rng() % (n.size() + 1), pick({" ", "\t", "/", ">", "[", "\x01", "\"", "<", "="}));
    return n;
  };
  auto attributes = [&]() {
    std::string t;
    for (int k = 0, n = static_cast<int>(rng() % 4); k < n; ++k) {
      bool odd = rng() % 8 == 0;
      t += odd ? pick({"", "  ", "\t", "\r\n", " \n"}) : " ";
      t += odd ? pick({"k", "a b", "\x01v", "", "'", "\""}) : pick({"k", "id", "lang", "a0"});
      t += odd ? pick({" = ", "=\n", ""}) : "=";
      std::string q = odd ? pick({"\"", "'", "", "`"}) : pick({"\"", "'"});
      t += q + pick({"1", "", "x > y", "a='b'", "&amp;", "\xE2\x82\xAC", "l1\r\nl2", "0123456789abcdefghij"}) + q;
    }
    return t;
  };
  auto blanks = [&]() { return run({" ", " ", "\r\n", "\n", "\t", "\r", "\x01"}, 12); };
  auto text = [&]() {
    return blanks() + run({"x", "0", "&amp;", " ", "\xE2\x82\xAC", "\t", "]", ">", "\r\n", "word "}, 30) + blanks();
  };
  auto other = [&]() {
    // A NUL behind '<' as a piece of its own: a C string cannot hold it.
    if (rng() % 12 == 0) return std::string("<\0x>", 4);
    return pick({"<!-- c -->", "<![CDATA[x<y]]>", "<?pi d?>", "<!DOCTYPE x>", "<? ?>", "<!-x-->", "< a>", "<", "<!--",
                 "<![CDATA[", "</"});
  };
  for (int round = 0; round < 500; ++round) {
    std::string doc = pick({"", "<?xml version=\"1.0\"?>\r\n", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"}) + "<r>";
    std::vector<std::string> open;
    for (int k = 0, n = 1 + static_cast<int>(rng() % 24); k < n; ++k) {
      doc += rng() % 3 ? blanks() : text();
      switch (rng() % 12) {
        case 0:
          doc += other();
          continue;
        case 1:
          doc += "</" + (open.empty() ? std::string("r") : name()) + ">";  // another name
          continue;
        case 2:
        case 3:
        case 4:
          if (!open.empty()) {
            doc += "</" + open.back() + pick({">", ">", ">", " >", ""}) ;
            open.pop_back();
            continue;
          }
          break;
        default:
          break;
      }
      std::string nm = name();
      doc += "<" + nm + attributes();
      std::string close = rng() % 10 ? pick({">", ">", "/>"}) : pick({" />", "/ >", "?>", "!>", "", "/"});
      doc += close;
      if (close != ">") continue;
      if (rng() % 2) doc += text() + "</" + nm + ">";  // a leaf
      else open.push_back(nm);
    }
    while (!open.empty() && rng() % 6) {
      doc += blanks() + "</" + open.back() + ">";
      open.pop_back();
    }
    doc += blanks() + (rng() % 4 ? "</r>" : "") + (rng() % 4 ? "" : "\r\n<after/>");
    const bool preserve = round % 2 == 0, fix = round % 3 == 0;
    const Integer depth = round % 5 == 0 ? 3 : 4096;
    for (Integer chunk : {static_cast<Integer>(doc.size() + 1), Integer(1), Integer(17), Integer(64)})
      ASSERT_EQ(ParseOutcome(doc, chunk, preserve, fix, depth, false),
                ParseOutcome(doc, chunk, preserve, fix, depth, true))
          << "round " << round << " chunk " << chunk << "\n"
          << testing::PrintToString(doc);
  }
}

}  // namespace t_plain_xml_parser_test
