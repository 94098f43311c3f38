// Faults that real documents showed: texts of a page with a shift state cut
// into blocks, character references in entity literals, documents cut short,
// and saves that another XML processor has to accept.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/rtl/Kernel.h"
#include "platform/rtl/MultiByteDecoder.h"
#include "tests/common/TestSupport.h"
#include "xml/PlainXml_qn.h"

namespace t_plain_xml_real_documents_test {

using namespace qn;

namespace {

// Hands out its bytes in pieces of 1 to 7 bytes and does not know its size.
class TDripStream : public TStream {
 public:
  TDripStream(std::string data, unsigned seed) : FData(std::move(data)), FRng(seed) {}
  Integer Read(void* Buffer, Integer Count) override {
    size_t n = std::min<size_t>({FData.size() - FPos, static_cast<size_t>(Count), 1 + FRng() % 7});
    std::memcpy(Buffer, FData.data() + FPos, n);
    FPos += n;
    return static_cast<Integer>(n);
  }
  Integer Write(const void*, Integer) override { return 0; }
  Int64 Seek(Int64, TSeekOrigin) override { return static_cast<Int64>(FPos); }
  Int64 Size() override { return -1; }

 private:
  std::string FData;
  size_t FPos = 0;
  std::mt19937 FRng;
};

struct TLoad {
  std::vector<std::string> Reports;
  TsdWarnStyle Worst = wsInfo;
  std::unique_ptr<TPlainXml> Doc = std::make_unique<TPlainXml>(nullptr);
  explicit TLoad(bool handler = false) {
    Doc->SetOnDebugOut(TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) {
      Reports.push_back(std::string("[") + cWarnStyleNames(w) + "] " + m);
      if (w > Worst) Worst = w;
    }));
    // A node handler makes the parser take its slower road, one step at a
    // time.
    if (handler) Doc->SetOnNodeNew(TsdXmlNodeEvent([](TObject*, TXmlNode*) {}));
  }
  bool Said(const std::string& part) const {
    return std::any_of(Reports.begin(), Reports.end(), [&](const std::string& r) { return r.find(part) != r.npos; });
  }
  std::string All() const {
    std::string s;
    for (const auto& r : Reports) s += r + "\n";
    return s;
  }
};

std::unique_ptr<TLoad> LoadFrom(TStream& s, bool handler = false) {
  auto l = std::make_unique<TLoad>(handler);
  l->Doc->LoadFromStream(&s);
  return l;
}

std::unique_ptr<TLoad> LoadBytes(const std::string& bytes, bool handler = false) {
  TsdStringStream s(bytes);
  return LoadFrom(s, handler);
}

// The tree as UTF-8 text, the declaration left out.
std::string Tree(TPlainXml& d) {
  if (TXmlNode* first = d.RootNodeList()->GetItems(0); first && first->ElementType() == xeDeclaration)
    d.RootNodeList()->Delete(0);
  return d.WriteToLocalString();
}

// Equal texts, or where they part (the texts are long).
::testing::AssertionResult SameText(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
  size_t from = at < 40 ? 0 : at - 40;
  return ::testing::AssertionFailure() << "texts part at byte " << at << " of " << got.size() << "/" << want.size()
                                       << ":\n got: " << got.substr(from, 80) << "\nwant: " << want.substr(from, 80);
}

std::string Encode(const std::u16string& w, UINT cp) {
  if (w.empty()) return {};
  int n = vcl::WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string r(static_cast<size_t>(n), '\0');
  vcl::WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), r.data(), n, nullptr, nullptr);
  return r;
}

std::u16string Decode(const std::string& s, UINT cp) {
  if (s.empty()) return {};
  int n = vcl::MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::u16string r(static_cast<size_t>(n), u'\0');
  vcl::MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), r.data(), n);
  return r;
}

std::u16string W(const std::string& u8) { return sdUtf8ToWide(u8); }

constexpr UINT kIso2022Jp = 50220;

// Kana, and characters whose two JIS bytes hold '<', '>', '&', '"', '\'' or
// '/', which read as ASCII make other markup.
std::u16string JisPool() {
  std::u16string pool;
  for (char16_t c = 0x3042; c <= 0x3093; c += 3) pool += c;  // hiragana
  for (char16_t c = 0x30A2; c <= 0x30F3; c += 5) pool += c;  // katakana
  for (unsigned char lead : {0x3C, 0x3E, 0x26, 0x22, 0x27, 0x2F, 0x30, 0x46}) {
    for (unsigned char trail = 0x21; trail <= 0x7E; trail += 3) {
      std::string b = "\x1B$B";
      b += static_cast<char>(lead);
      b += static_cast<char>(trail);
      b += "\x1B(B";
      std::u16string w = Decode(b, kIso2022Jp);
      if (w.size() == 1 && w[0] >= 0x80 && w[0] != 0xFFFD) pool += w;
    }
  }
  return pool;
}

std::u16string JisWord(std::mt19937& rng, const std::u16string& pool, size_t most) {
  std::u16string w;
  for (size_t k = 0, n = 1 + rng() % most; k < n; ++k) w += pool[rng() % pool.size()];
  return w;
}

// A document in the page's characters: its head (the declaration naming
// Charset and the root's start tag) and its body (elements, attributes and
// text, closed by the root's end tag). Both start and end in ASCII.
struct TJisDocument {
  std::u16string Head, Body;
};

TJisDocument MakeJisDocument(unsigned seed, const std::string& charset) {
  std::mt19937 rng(seed);
  const std::u16string pool = JisPool();
  TJisDocument d;
  std::u16string root = JisWord(rng, pool, 4);
  d.Head = W("<?xml version=\"1.0\" encoding=\"" + charset + "\"?>\n<") + root + u" " + JisWord(rng, pool, 3) +
           u"=\"" + JisWord(rng, pool, 6) + u"\">";
  for (int i = 0; i < 12; ++i) {
    std::u16string name = JisWord(rng, pool, 5);
    d.Body += u"<" + name + u" a" + JisWord(rng, pool, 2) + u"=\"" + JisWord(rng, pool, 8) + u"\">" +
              JisWord(rng, pool, 12) + W(" x ") + JisWord(rng, pool, 4) + u"</" + name + u">\n";
  }
  d.Body += u"</" + root + u">";
  return d;
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(PlainXml_qn_ShiftState, EscapesAtEveryOffsetAroundTheBlockEdge) {
  // Loads read 64 KB blocks: the body's first escape is placed at each
  // offset around the first edge, behind a padding of ASCII.
  constexpr size_t kBlock = 65536;
  for (unsigned seed : {1u, 2u}) {
    TJisDocument doc = MakeJisDocument(seed, "iso-2022-jp");
    std::string head = Encode(doc.Head, kIso2022Jp), body = Encode(doc.Body, kIso2022Jp);
    ASSERT_EQ(body.compare(1, 3, "\x1B$B"), 0) << "the body starts with '<' and a name in JIS";
    for (int d = -9; d <= 9; ++d) {
      size_t pad = kBlock + static_cast<size_t>(d) - head.size() - 9;  // "<!--", "-->\n", '<' of the body
      std::string padding = "<!--" + std::string(pad, 'p') + "-->\n";
      std::string bytes = head + padding + body;
      ASSERT_EQ(bytes.compare(kBlock + static_cast<size_t>(d), 3, "\x1B$B"), 0);
      std::string twin = sdWideToUtf8(doc.Head) + padding + sdWideToUtf8(doc.Body);
      twin.replace(twin.find("iso-2022-jp"), 11, "utf-8");
      auto want = LoadBytes(twin);
      auto got = LoadBytes(bytes);
      EXPECT_LE(got->Worst, wsHint) << got->All();
      std::string expected = Tree(*want->Doc);
      EXPECT_TRUE(SameText(Tree(*got->Doc), expected)) << "escape at block offset " << d;
      if (d == 0) {
        // The same from a file.
        std::string file = qntest::MakeTempDir("shiftstate") + "/jis.xml";
        {
          TFileStream f(FromUtf8(file), fmCreate);
          f.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
        }
        TLoad fromFile;
        fromFile.Doc->LoadFromFile(FromUtf8(file));
        EXPECT_TRUE(SameText(Tree(*fromFile.Doc), expected));
      }
    }
  }
}

TEST(PlainXml_qn_ShiftState, DrippedStreamsOfUnknownSizeGiveTheWholeText) {
  // Seven bytes at most per read, blocks of the smallest size: escapes and
  // the two bytes of a character fall across the edges everywhere.
  for (unsigned seed = 1; seed <= 6; ++seed) {
    TJisDocument doc = MakeJisDocument(seed, "iso-2022-jp");
    std::string bytes = Encode(doc.Head + doc.Body, kIso2022Jp);
    std::string twin = sdWideToUtf8(doc.Head + doc.Body);
    twin.replace(twin.find("iso-2022-jp"), 11, "utf-8");
    auto want = LoadBytes(twin);
    std::string expected = Tree(*want->Doc);
    for (bool handler : {false, true}) {
      TDripStream s(bytes, seed * 7 + handler);
      auto got = LoadFrom(s, handler);
      EXPECT_LE(got->Worst, wsHint) << got->All();
      EXPECT_TRUE(SameText(Tree(*got->Doc), expected)) << "seed " << seed;
    }
    auto whole = LoadBytes(bytes);
    EXPECT_TRUE(SameText(Tree(*whole->Doc), expected));
  }
}

TEST(PlainXml_qn_ShiftState, OtherStatefulPagesKeepTheirStateToo) {
  // Korean in ISO-2022-KR (shift out and in after one designation) and
  // text in UTF-7 (base64 runs), dripped.
  struct TCase {
    const char* Charset;
    UINT CodePage;
    std::u16string Text;
  };
  const TCase cases[] = {
      {"iso-2022-kr", 50225, u"한국어 텍스트와 이름 가나다라마바사"},
      {"utf-7", 65000, u"Grüße, 日本語 und ∑ plus Ωmega"},
  };
  for (const TCase& c : cases) {
    std::u16string root = c.Text.substr(0, 3), attr = c.Text.substr(4, 3);
    // The declaration in ASCII, then the text (ISO-2022-KR opens it with
    // its designation, a line of its own).
    std::string declaration = std::string("<?xml version=\"1.0\" encoding=\"") + c.Charset + "\"?>\n";
    std::u16string text = u"<r" + root + u" a" + attr + u"=\"" + c.Text + u"\">";
    for (int i = 0; i < 40; ++i) text += u"<e" + attr + u">" + c.Text + u"</e" + attr + u">\n";
    text += u"</r" + root + u">";
    std::string bytes = declaration + Encode(text, c.CodePage);
    std::string twin = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + sdWideToUtf8(text);
    std::string expected = Tree(*LoadBytes(twin)->Doc);
    for (unsigned seed = 1; seed <= 3; ++seed) {
      TDripStream s(bytes, seed);
      auto got = LoadFrom(s);
      EXPECT_LE(got->Worst, wsHint) << c.Charset << "\n" << got->All();
      EXPECT_TRUE(SameText(Tree(*got->Doc), expected)) << c.Charset;
    }
  }
}

TEST(PlainXml_qn_ShiftState, DecoderPiecesGiveTheWholeDecoding) {
  // The host's decoder against the whole text's conversion, the text cut
  // at random places, for pages with and without a shift state.
  std::mt19937 rng(5);
  const std::u16string text = u"Aa あいう 漢字テキスト ＜＞ Ω Жж 한글 é – ” 0123 ";
  for (UINT cp : {50220u, 50221u, 50222u, 50225u, 65000u, 932u, 51932u, 54936u, 1252u, 65001u}) {
    std::u16string sample;
    for (char16_t ch : text)
      if (Decode(Encode(std::u16string(1, ch), cp), cp) == std::u16string(1, ch)) sample += ch;
    std::u16string all;
    for (int i = 0; i < 20; ++i) all += sample;
    std::string bytes = Encode(all, cp);
    ASSERT_EQ(Decode(bytes, cp), all) << cp;
    for (int round = 0; round < 20; ++round) {
      vcl::TMultiByteDecoder dec(cp);
      ASSERT_TRUE(dec.Valid()) << cp;
      std::u16string out;
      std::string pending;
      for (size_t at = 0; at < bytes.size();) {
        size_t n = std::min<size_t>(bytes.size() - at, 1 + rng() % 9);
        pending.append(bytes, at, n);
        at += n;
        int used = dec.Decode(pending.data(), static_cast<int>(pending.size()), out, at == bytes.size());
        pending.erase(0, static_cast<size_t>(used));
      }
      EXPECT_TRUE(pending.empty()) << cp;
      EXPECT_EQ(out, all) << cp;
    }
  }
  vcl::TMultiByteDecoder unknown(12345);
  EXPECT_FALSE(unknown.Valid());
}

// ---------------------------------------------------------------------------

namespace {

// Root's content after loading Text: the element written as UTF-8.
std::string RootText(TPlainXml& d) { return d.Root() ? d.Root()->WriteToString() : std::string("(no root)"); }

// Text with the markup characters of literal S written as character
// references, chosen at random among the decimal and hexadecimal forms.
std::string AsReferences(const std::string& s, std::mt19937& rng) {
  std::string r;
  for (char c : s) {
    bool markup = c == '<' || c == '>' || c == '"' || c == '%';
    if (!markup && (c != 'x' || rng() % 2)) {
      r += c;
      continue;
    }
    unsigned v = static_cast<unsigned char>(c);
    char buf[16];
    if (rng() % 2) std::snprintf(buf, sizeof buf, "&#%u;", v);
    else std::snprintf(buf, sizeof buf, rng() % 2 ? "&#x%X;" : "&#x%x;", v);
    r += buf;
  }
  return r;
}

}  // namespace

TEST(PlainXml_qn_ShiftState, OnlyTheOpeningDeclarationSwitchesTheDecoding) {
  // A declaration further on is kept but decodes nothing anew; one whose
  // page would read the bytes already parsed otherwise (UTF-7 takes "+" as
  // the start of a base64 run) is ignored, and the text stays whole. Either
  // way the saves, UTF-8 and UTF-16, load back as the same tree, whole and
  // dripped.
  const std::string later = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a>x</a>"
                            "<?xml version=\"1.0\" encoding=\"utf-7\"?>\n<b c=\"Gr+AHw-\">\xE9+AGQ-</b>";
  const std::string plus = "<?xml version=\"1.0\" encoding=\"utf-7\" standalone=\"y+es\"?>\n<r a=\"Gr+AHw-\">t</r>";
  const std::string notFirst = "<!-- c --><?xml version=\"1.0\" encoding=\"utf-7\"?><r>+AGQ-</r>";
  struct TCase {
    std::string Bytes, Text;
  } cases[] = {
      {later, "\xC3\xA9+AGQ-</b>"},  // windows-1252 for the whole text
      {plus, "Gr+AHw-"},
      {notFirst, "<r>+AGQ-</r>"},
  };
  for (const TCase& c : cases) {
    auto whole = LoadBytes(c.Bytes);
    EXPECT_TRUE(whole->Said("does not match the text, ignored")) << c.Bytes << "\n" << whole->All();
    std::string tree = whole->Doc->WriteToLocalString();
    EXPECT_NE(tree.find(c.Text), std::string::npos) << tree;
    for (unsigned seed = 1; seed <= 3; ++seed) {
      TDripStream s(c.Bytes, seed);
      EXPECT_EQ(LoadFrom(s, seed == 2)->Doc->WriteToLocalString(), tree) << c.Bytes;
    }
    for (Integer cp : {65001, 1200}) {
      whole->Doc->SetExternalCodepage(cp);
      auto back = LoadBytes(whole->Doc->WriteToString());
      ASSERT_TRUE(back->Doc->Root() && whole->Doc->Root());
      EXPECT_TRUE(back->Doc->Root()->IsEqualTo(whole->Doc->Root(), xcAll())) << c.Bytes << " saved in " << cp;
    }
  }
}

TEST(PlainXml_qn_EntityLiterals, CharacterReferencesAreMarkupOnceDeclared) {
  // Replacement texts of balanced content: the literal writes its markup
  // characters as character references, the twin writes the text in place.
  // Both load without a report above a hint and canonicalize alike.
  const char* pieces[] = {"<foo></foo>", "<foo/>", "<b x=\"1\">t</b>", "<![CDATA[a<b]]>", "<!-- c -->", "<?pi x?>",
                          "text x", "<i><j>x</j></i>", "&amp;", "&#38;#60;"};
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    std::string replacement;
    for (int k = 0, n = 1 + static_cast<int>(rng() % 4); k < n; ++k) replacement += pieces[rng() % 10];
    // "&#38;#60;" in the literal is "&#60;" in the replacement text: an
    // escaped '<' in the content.
    std::string content = replacement;
    for (size_t at; (at = content.find("&#38;#60;")) != std::string::npos;) content.replace(at, 9, "&#60;");
    std::string literal = AsReferences(replacement, rng);
    TLoad viaEntity;
    viaEntity.Doc->SetNodeClosingStyle(ncDefault);
    viaEntity.Doc->ReadFromString("<!DOCTYPE doc [<!ENTITY e \"" + literal + "\">]><doc>&e;</doc>");
    EXPECT_LE(viaEntity.Worst, wsHint) << literal << "\n" << viaEntity.All();
    viaEntity.Doc->Canonicalize();
    TLoad twin;
    twin.Doc->SetNodeClosingStyle(ncDefault);
    twin.Doc->ReadFromString("<doc>" + content + "</doc>");
    twin.Doc->Canonicalize();
    EXPECT_EQ(RootText(*viaEntity.Doc), RootText(*twin.Doc)) << literal;
  }
  // The cases as they came: valid once expanded, and reported as markup.
  TLoad e;
  e.Doc->SetNodeClosingStyle(ncDefault);
  e.Doc->ReadFromString("<!DOCTYPE doc [<!ENTITY e \"&#60;foo></foo>\">]><doc>&e;</doc>");
  EXPECT_FALSE(e.Said("not balanced")) << e.All();
  e.Doc->Canonicalize();
  EXPECT_EQ(RootText(*e.Doc), "<doc><foo></foo></doc>");
  TLoad slash;
  slash.Doc->ReadFromString("<!DOCTYPE doc [<!ENTITY e \"<foo/&#62;\">]><doc>&e;</doc>");
  EXPECT_FALSE(slash.Said("not balanced")) << slash.All();
  // Not well-formed once expanded, however the literal hides it.
  for (const char* bad : {"&#60;foo>", "&#60;![CDATA[", "&#60;!--", "&#x3c;a>&#x3C;/b>", "<a>&#60;/b>"}) {
    TLoad l;
    l.Doc->ReadFromString(std::string("<!DOCTYPE doc [<!ENTITY e \"") + bad + "\">]><doc>&e;</doc>");
    EXPECT_TRUE(l.Said("entity \"e\" is not balanced markup")) << bad << "\n" << l.All();
  }
  // References in content stay escaped: "&#60;" written in the document is
  // a character, not markup.
  TLoad content;
  content.Doc->ReadFromString("<!DOCTYPE doc [<!ENTITY e \"x\">]><doc>&#60;foo&gt;&e;</doc>");
  content.Doc->Canonicalize();
  EXPECT_EQ(RootText(*content.Doc), "<doc>&#60;foo&gt;x</doc>");
}

// The canonical form the XML conformance cases are written in: start and
// end tags (an empty element as both), and the characters of the text with
// '&', '<', '>' and '"' as entity references and TAB, LF and CR as character
// references.
std::string ConformanceForm(TXmlNode* Node) {
  if (Node->ElementType() == xeCharData) {
    std::string out;
    for (char c : sdReplaceString(static_cast<TsdCharData*>(Node)->GetCoreValue())) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: out += c;
      }
    }
    return out;
  }
  if (Node->ElementType() != xeElement) return std::string();
  std::string out = "<" + Node->GetName() + ">";
  for (Integer i = 0; i < Node->GetNodeCount(); ++i) out += ConformanceForm(Node->GetNodes(i));
  return out + "</" + Node->GetName() + ">";
}

// A carriage return that a character reference carries into the content,
// directly or through an entity's literal, stays in the canonical form
// ("&#13;" in the conformance form), and the canonical document written out
// reads back to the same form.
TEST(PlainXml_qn_EntityLiterals, CarriageReturnsFromReferencesStayInTheCanonicalForm) {
  const struct {
    const char* Document;
    const char* Canonical;
  } cases[] = {
      {"<doc>&#13;</doc>", "<doc>&#13;</doc>"},
      {"<doc>&#xD;</doc>", "<doc>&#13;</doc>"},
      {"<doc>a&#13;b</doc>", "<doc>a&#13;b</doc>"},
      {"<doc>&#13;&#10;x&#13;</doc>", "<doc>&#13;&#10;x&#13;</doc>"},
      {"<!DOCTYPE doc [<!ENTITY e \"&#13;\">]><doc>&e;</doc>", "<doc>&#13;</doc>"},
      {"<!DOCTYPE doc [<!ENTITY e \"x&#13;y\">]><doc>&e;</doc>", "<doc>x&#13;y</doc>"},
      {"<!DOCTYPE doc [<!ENTITY e \"&#13;&#10;\">]><doc>a&e;&#13;</doc>", "<doc>a&#13;&#10;&#13;</doc>"},
      {"<!DOCTYPE doc [<!ENTITY e \"&#13;<b/>&#13;\">]><doc>&e;</doc>", "<doc>&#13;<b></b>&#13;</doc>"},
      {"<!DOCTYPE doc [<!ENTITY e \"x&#38;#13;y\">]><doc>&e;</doc>", "<doc>x&#13;y</doc>"},
  };
  for (const auto& c : cases) {
    TLoad l;
    l.Doc->ReadFromString(c.Document);
    EXPECT_LE(l.Worst, wsHint) << c.Document << "\n" << l.All();
    l.Doc->Canonicalize();
    ASSERT_TRUE(l.Doc->Root()) << c.Document;
    EXPECT_EQ(ConformanceForm(l.Doc->Root()), c.Canonical) << c.Document;
    TLoad back;
    back.Doc->ReadFromString(RootText(*l.Doc));
    ASSERT_TRUE(back.Doc->Root()) << c.Document;
    EXPECT_EQ(ConformanceForm(back.Doc->Root()), c.Canonical) << c.Document << " written as " << RootText(*l.Doc);
  }
}

TEST(PlainXml_qn_EntityLiterals, ReferencesInsideSectionsOfReplacementTextAreText) {
  TLoad l;
  l.Doc->ReadFromString("<!DOCTYPE doc [<!ENTITY e \"<![CDATA[&foo;]]>\">]><doc>&e;</doc>");
  EXPECT_FALSE(l.Said("undeclared")) << l.All();
  // Declared or not, what a section, a comment or an instruction holds is
  // not expanded.
  TLoad d;
  d.Doc->ReadFromString(
      "<!DOCTYPE doc [<!ENTITY foo \"bar\"><!ENTITY e \"&foo;<![CDATA[&foo;]]><!--&foo;--><?p &foo;?>\">]>"
      "<doc>&e;</doc>");
  EXPECT_LE(d.Worst, wsHint) << d.All();
  d.Doc->Canonicalize();
  EXPECT_EQ(RootText(*d.Doc), "<doc>bar<![CDATA[&foo;]]><!--&foo;--><?p &foo;?></doc>");
  // Outside them, an undeclared one is still reported.
  TLoad u;
  u.Doc->ReadFromString("<!DOCTYPE doc [<!ENTITY e \"<![CDATA[x]]>&nope;\">]><doc>&e;</doc>");
  EXPECT_TRUE(u.Said("undeclared entity \"nope\"")) << u.All();
}

// ---------------------------------------------------------------------------

namespace {

// A document of elements, attributes in either quote, text with
// references, comments, sections, instructions, empty elements and blanks.
std::string MakeDocument(unsigned seed, size_t& RootStart) {
  std::mt19937 rng(seed);
  auto pick = [&](std::initializer_list<const char*> l) { return std::string(l.begin()[rng() % l.size()]); };
  std::string s = pick({"", "<?xml version=\"1.0\"?>\n", "<?xml version=\"1.0\" encoding=\"utf-8\"?>"});
  s += pick({"", "<!-- top -->", "<!DOCTYPE root [<!ENTITY e \"v\">]>\n"});
  RootStart = s.size();
  std::function<std::string(int)> element = [&](int depth) {
    std::string name = pick({"a", "bb", "root", "x-y", "é"});
    std::string e = "<" + name;
    for (int k = 0, n = static_cast<int>(rng() % 3); k < n; ++k)
      e += pick({" ", "  ", "\n"}) + "k" + std::to_string(k) + "=" + pick({"\"v 1\"", "'w'", "\"&amp;&lt;\""});
    if (rng() % 4 == 0) return e + pick({"/>", " />"});
    e += ">";
    for (int k = 0, n = depth < 3 ? static_cast<int>(rng() % 4) : 0; k < n; ++k) {
      switch (rng() % 7) {
        case 0: e += "text &amp; more"; break;
        case 1: e += "<!-- note -->"; break;
        case 2: e += "<![CDATA[ <raw> ]]>"; break;
        case 3: e += "<?pi data?>"; break;
        case 4: e += "\n  "; break;
        default: e += element(depth + 1); break;
      }
    }
    return e + "</" + name + pick({">", " >"});
  };
  s += element(0);
  return s;
}

}  // namespace

TEST(PlainXml_qn_Truncation, EveryCutInsideTheRootIsReported) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    size_t root = 0;
    std::string doc = MakeDocument(seed, root);
    auto whole = LoadBytes(doc);
    ASSERT_LE(whole->Worst, wsHint) << doc << "\n" << whole->All();
    for (size_t cut = root + 1; cut < doc.size(); ++cut) {
      for (bool handler : {false, true}) {
        auto l = LoadBytes(doc.substr(0, cut), handler);
        EXPECT_TRUE(l->Said("stream terminated prematurely")) << "cut at " << cut << ": " << doc.substr(0, cut);
      }
    }
  }
  // The cases as they came.
  EXPECT_TRUE(LoadBytes("<a><b>x</b")->Said("[fail] stream terminated prematurely"));
  EXPECT_TRUE(LoadBytes("<a><b>x</b>")->Said("[fail] stream terminated prematurely"));
  EXPECT_FALSE(LoadBytes("<a><b>x</b></a>")->Said("prematurely"));
  // Said once, by the innermost element left open.
  auto deep = LoadBytes("<a><b><c>x</c");
  EXPECT_EQ(std::count_if(deep->Reports.begin(), deep->Reports.end(),
                          [](const std::string& r) { return r.find("[fail] stream terminated") != r.npos; }),
            1)
      << deep->All();
}

// ---------------------------------------------------------------------------

namespace {

// The bytes as another processor reads them: its root's name and text, or
// why it refused them.
struct TOtherReading {
  bool Ok = false;
  std::string Root, Text, Error;
};

TOtherReading ReadElsewhere(const std::string& bytes) {
  TOtherReading r;
  xmlResetLastError();
  xmlDocPtr d = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "saved.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!d) {
    const xmlError* e = xmlGetLastError();
    r.Error = e && e->message ? e->message : "refused";
    return r;
  }
  xmlNodePtr root = xmlDocGetRootElement(d);
  if (root) {
    r.Root = reinterpret_cast<const char*>(root->name);
    xmlChar* t = xmlNodeGetContent(root);
    r.Text = t ? reinterpret_cast<const char*>(t) : "";
    xmlFree(t);
  }
  r.Ok = true;
  xmlFreeDoc(d);
  return r;
}

// Characters the page holds, so that the text survives the save.
std::string SampleFor(UINT cp) {
  const std::u16string candidates = u"é ü ß Ω Ж א ع ก 日本 한 中 € ñ";
  std::u16string kept;
  for (char16_t c : candidates)
    if (cp == 65001 || cp == 1200 || cp == 1201 || Decode(Encode(std::u16string(1, c), cp), cp) == std::u16string(1, c))
      kept += c;
  return sdWideToUtf8(kept);
}

}  // namespace

TEST(PlainXml_qn_SavesOthersRead, EveryEncodingTheLibraryWrites) {
  // Documents without a declaration, or with one that has version and
  // standalone only: the encoding chosen creates or completes it, and what
  // is saved must be XML to another processor, with the same text.
  std::vector<std::pair<std::string, std::function<void(TPlainXml&)>>> choices = {
      {"utf-8", [](TPlainXml& d) { d.SetExternalEncoding(seUTF8); }},
      {"utf-16le", [](TPlainXml& d) { d.SetExternalEncoding(seUTF16LE); }},
      {"utf-16be", [](TPlainXml& d) { d.SetExternalEncoding(seUTF16BE); }},
  };
  Integer count = 0;
  const TsdCharsetRow* rows = cCharsetTable(count);
  for (Integer i = 0; i < count; ++i) {
    Integer cp = rows[i].CodePage;
    choices.push_back({std::string(rows[i].Name) + "/" + std::to_string(cp), [cp](TPlainXml& d) {
                         d.SetExternalCodepage(cp);
                       }});
  }
  Integer written = 0;
  for (auto& [label, choose] : choices) {
    for (const char* head : {"", "<?xml version=\"1.0\" standalone=\"yes\"?>"}) {
      TLoad l;
      l.Doc->ReadFromString(std::string(head) + "<root a=\"1\">x</root>");
      l.Reports.clear();
      l.Worst = wsInfo;
      choose(*l.Doc);
      if (l.Worst == wsFail) continue;  // a page this host cannot write
      Integer cp = l.Doc->ExternalCodepage();
      std::string text = "Text " + SampleFor(static_cast<UINT>(cp)) + " end";
      l.Doc->Root()->SetValue(text);
      std::string bytes = l.Doc->WriteToString();
      EXPECT_LE(l.Worst, wsHint) << label << "\n" << l.All();
      TOtherReading other = ReadElsewhere(bytes);
      EXPECT_TRUE(other.Ok) << label << " (" << head << "): " << other.Error << "\n"
                            << bytes.substr(0, std::min<size_t>(bytes.size(), 80));
      if (!other.Ok) continue;
      EXPECT_EQ(other.Root, "root") << label;
      EXPECT_EQ(other.Text, text) << label;
      // And this library reads its own save back (EBCDIC it does not read).
      if (bytes.compare(0, 4, "\x4C\x6F\xA7\x94") != 0) {
        auto back = LoadBytes(bytes);
        EXPECT_LE(back->Worst, wsHint) << label << "\n" << back->All();
        EXPECT_EQ(back->Doc->Root() ? back->Doc->Root()->GetValue() : "", text) << label;
      }
      ++written;
    }
  }
  EXPECT_GT(written, 140);  // more than 70 pages in all
}

TEST(PlainXml_qn_SavesOthersRead, DeclarationsCreatedOrCompleted) {
  // A declaration made by an encoding setter has a version; an encoding
  // added to one with standalone comes before it.
  TPlainXml d(nullptr);
  d.ReadFromString("<r/>");
  d.SetExternalEncoding(seUTF16LE);
  EXPECT_EQ(d.WriteToLocalString(), "<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<r/>");
  d.ReadFromString("<r/>");
  d.SetExternalCodepage(1252);
  EXPECT_EQ(d.WriteToLocalString(), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r/>");
  d.ReadFromString("<?xml version=\"1.0\"   standalone=\"no\"?><r/>");
  d.SetExternalCodepage(28591);
  EXPECT_EQ(d.WriteToLocalString(), "<?xml version=\"1.0\"   encoding=\"iso-8859-1\" standalone=\"no\"?>\r\n<r/>");
  d.ReadFromString("<?xml standalone=\"no\"?><r/>");
  d.SetVersionString("1.0");
  d.SetCharset("utf-8");
  EXPECT_EQ(d.WriteToLocalString(), "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\r\n<r/>");
}

TEST(PlainXml_qn_SavesOthersRead, Utf16BigEndianSavesAsUtf16AndReadsBack) {
  TLoad l;
  l.Doc->ReadFromString("<r>Grüße 日本</r>");
  l.Doc->SetExternalEncoding(seUTF16BE);
  std::string bytes = l.Doc->WriteToString();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFE\xFF");
  std::u16string w;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    w += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]));
  EXPECT_EQ(sdWideToUtf8(w), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<r>Grüße 日本</r>");
  // Read back by this library: big-endian, no report of a contradiction.
  auto back = LoadBytes(bytes);
  EXPECT_LE(back->Worst, wsInfo) << back->All();
  EXPECT_EQ(back->Doc->ExternalEncoding(), seUTF16BE);
  EXPECT_EQ(RootText(*back->Doc), "<r>Grüße 日本</r>");
  // The old name still reads, and messages still use it.
  std::string old = "\xFE\xFF";
  for (char16_t c : W("<?xml version=\"1.0\" encoding=\"unicodeFFFE\"?><r>x</r>")) {
    old += static_cast<char>(c >> 8);
    old += static_cast<char>(c & 0xFF);
  }
  auto legacy = LoadBytes(old);
  EXPECT_LE(legacy->Worst, wsInfo) << legacy->All();
  EXPECT_TRUE(legacy->Said("BOM with encoding unicodeFFFE"));
  EXPECT_EQ(RootText(*legacy->Doc), "<r>x</r>");
}

// ---------------------------------------------------------------------------

TEST(PlainXml_qn_DtdLayout, InternalSubsetsWriteBackByteForByte) {
  const char* docs[] = {
      "<!DOCTYPE r [<!ENTITY e \"x\" >]><r/>",
      "<!DOCTYPE r [<!ENTITY e \"x\"  >]><r/>",
      "<!DOCTYPE r [<!ENTITY  e  \"x\"\n>\n<!ENTITY % p \"y\" >]><r/>",
      "<!DOCTYPE r [\n  <!ENTITY e SYSTEM \"e.txt\" >\n  <!ENTITY f PUBLIC \"-//x\" 'f.txt' >\n]><r/>",
      "<!DOCTYPE r [<!ENTITY e \"a\"><!ELEMENT r (#PCDATA) ><!ATTLIST r a CDATA \"x>y\" >]><r/>",
      "<!DOCTYPE  r  SYSTEM  \"r.dtd\"  [ <!NOTATION n SYSTEM \"n\" > ] ><r/>",
      "<!DOCTYPE r PUBLIC \"-//p\"\n \"r.dtd\"><r/>",
  };
  for (const char* text : docs) {
    auto l = LoadBytes(text);
    l->Doc->SetEolStyle(esLF);
    EXPECT_EQ(l->Doc->WriteToString(), text);
  }
}

TEST(PlainXml_qn_DtdLayout, BinaryFormNormalisesDtdSpacingOnly) {
  // Text, binary, text: declarations with the usual single spaces come
  // back byte for byte, other spacing inside a declaration as single
  // spaces (what lies between declarations as it was), and a second trip
  // changes nothing more.
  struct TCase {
    const char* Text;
    const char* AfterBinary;
  };
  const TCase cases[] = {
      {"<!DOCTYPE r [<!ENTITY e \"x\"><!ELEMENT r (#PCDATA)>]><r>&e;</r>",
       "<!DOCTYPE r [<!ENTITY e \"x\"><!ELEMENT r (#PCDATA)>]><r>&e;</r>"},
      {"<!DOCTYPE r SYSTEM \"r.dtd\" [\n <!ENTITY e \"x\" >\n]><r/>",
       "<!DOCTYPE r SYSTEM \"r.dtd\" [\n <!ENTITY e \"x\" >\n]><r/>"},
      {"<!DOCTYPE  r  SYSTEM  \"r.dtd\"  [<!ELEMENT  r  ANY>] ><r/>",
       "<!DOCTYPE r SYSTEM \"r.dtd\" [<!ELEMENT r ANY>]><r/>"},
  };
  for (const TCase& c : cases) {
    auto l = LoadBytes(c.Text);
    TsdFastMemStream bin;
    l->Doc->SaveToBinaryStream(&bin);
    bin.SetPosition(0);
    TPlainXml back(nullptr);
    back.SetEolStyle(esLF);
    back.LoadFromBinaryStream(&bin);
    EXPECT_EQ(back.WriteToString(), c.AfterBinary);
    TsdFastMemStream again;
    back.SaveToBinaryStream(&again);
    again.SetPosition(0);
    TPlainXml twice(nullptr);
    twice.SetEolStyle(esLF);
    twice.LoadFromBinaryStream(&again);
    EXPECT_EQ(twice.WriteToString(), c.AfterBinary);
  }
}

TEST(PlainXml_qn_DtdLayout, GeneratedSubsetsWriteBackByteForByte) {
  // Every separator of the document type and its declarations drawn from
  // blanks of several kinds, where XML allows them.
  std::mt19937 rng(11);
  auto gap = [&](bool may) {
    static const char* const kinds[] = {" ", "  ", "\n", " \n\t", "\t"};
    return may && rng() % 3 == 0 ? std::string() : std::string(kinds[rng() % 5]);
  };
  for (int round = 0; round < 300; ++round) {
    std::string t = "<!DOCTYPE" + gap(false) + "r";
    switch (rng() % 3) {
      case 0: t += gap(true); break;
      case 1: t += gap(false) + "SYSTEM" + gap(false) + "\"r.dtd\"" + gap(true); break;
      default: t += gap(false) + "PUBLIC" + gap(false) + "'-//p'" + gap(false) + "\"r.dtd\"" + gap(true); break;
    }
    t += "[" + gap(true);
    for (int k = 0, n = static_cast<int>(rng() % 4); k < n; ++k) {
      switch (rng() % 5) {
        case 0: t += "<!ENTITY" + gap(false) + "e" + std::to_string(k) + gap(false) + "\"v\"" + gap(true) + ">"; break;
        case 1:
          t += "<!ENTITY" + gap(false) + "%" + gap(false) + "p" + std::to_string(k) + gap(false) + "SYSTEM" + gap(false) +
               "'p.ent'" + gap(true) + ">";
          break;
        case 2: t += "<!ELEMENT" + gap(false) + "r" + gap(false) + "(#PCDATA)" + gap(true) + ">"; break;
        case 3: t += "<!ATTLIST" + gap(false) + "r" + gap(false) + "a CDATA \"x\"" + gap(true) + ">"; break;
        default: t += "<!--" + gap(true) + "c" + gap(true) + "-->"; break;
      }
      t += gap(true);
    }
    t += "]" + gap(true) + "><r/>";
    auto l = LoadBytes(t);
    l->Doc->SetEolStyle(esLF);
    EXPECT_EQ(l->Doc->WriteToString(), t);
  }
}

}  // namespace t_plain_xml_real_documents_test
