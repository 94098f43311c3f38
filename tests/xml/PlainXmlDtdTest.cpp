#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_dtd_test {

using namespace qn;

namespace {

struct TLoaded {
  std::unique_ptr<TPlainXml> Doc = std::make_unique<TPlainXml>(nullptr);
  std::vector<std::string> Reports;
  TsdWarnStyle Worst = wsInfo;
  explicit TLoaded(const std::string& text, TXmlFormatType format = xfPreserve) {
    Doc->SetXmlFormat(format);
    Doc->SetOnDebugOut(TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) {
      Reports.push_back(std::string("[") + cWarnStyleNames(w) + "] " + m);
      if (w > Worst) Worst = w;
    }));
    Doc->ReadFromString(text);
  }
  bool Has(const std::string& report) const {
    return std::find(Reports.begin(), Reports.end(), report) != Reports.end();
  }
  bool HasPrefix(const std::string& report) const {
    for (const auto& r : Reports)
      if (r.compare(0, report.size(), report) == 0) return true;
    return false;
  }
  std::string All() const {
    std::string r;
    for (const auto& x : Reports) r += x + "\n";
    return r;
  }
};

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";

}  // namespace

TEST(PlainXml_qn_Dtd, DocumentTypesRoundTrip) {
  const std::string docs[] = {
      kDecl + "<!DOCTYPE note SYSTEM \"note.dtd\">\r\n<note/>",
      kDecl + "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\"\r\n  'http://x/strict.dtd'>\r\n<html/>",
      kDecl +
          "<!DOCTYPE r [\r\n"
          "  <!ELEMENT r (a|b)*>\r\n"
          "  <!ATTLIST a t CDATA \"x>y\" u (p|q) 'p'>\r\n"
          "  <!ENTITY e \"x<b/>y\">\r\n"
          "  <!ENTITY % pe 'a &#37; b'>\r\n"
          "  <!ENTITY logo SYSTEM \"logo.gif\" NDATA gif>\r\n"
          "  <!NOTATION gif PUBLIC \"image/gif\">\r\n"
          "  <!-- a comment -->\r\n"
          "  <?pi data?>\r\n"
          "  %pe;\r\n"
          "]  >\r\n"
          "<r>&e;</r>",
      "<!DOCTYPE  r  SYSTEM  'a.dtd'  [ <!ELEMENT  r  ANY> ] ><r/>",
  };
  for (const std::string& text : docs) {
    TLoaded l(text);
    EXPECT_LE(l.Worst, wsHint) << text << "\n" << (l.Reports.empty() ? "" : l.Reports.back());
    EXPECT_EQ(l.Doc->WriteToString(), text);
  }
  TLoaded sub(docs[2]);
  TsdDocType* dt = sub.Doc->DocType();
  ASSERT_NE(dt, nullptr);
  EXPECT_EQ(dt->GetName(), "r");
  std::vector<TsdElementType> kinds;
  for (Integer i = 0; i < dt->GetNodeCount(); ++i)
    if (dt->GetNodes(i)->ElementType() != xeWhiteSpace) kinds.push_back(dt->GetNodes(i)->ElementType());
  EXPECT_EQ(kinds, (std::vector<TsdElementType>{xeDtdElement, xeDtdAttList, xeDtdEntity, xeDtdEntity, xeDtdEntity,
                                                xeDtdNotation, xeComment, xeInstruction, xeCharData}));
  // Only the internal general entity has replacement text.
  TsdEntityMap ents = dt->Entities();
  ASSERT_EQ(ents.size(), 1u);
  EXPECT_EQ(ents["e"], "x<b/>y");
  EXPECT_TRUE(dt->HasExternalParts());
  TLoaded pub(docs[1]);
  EXPECT_EQ(pub.Doc->DocType()->ExternalID()->GetCoreValue(), "PUBLIC");
  EXPECT_EQ(pub.Doc->DocType()->PubIDLiteral()->GetCoreValue(), "-//W3C//DTD XHTML 1.0 Strict//EN");
  EXPECT_EQ(pub.Doc->DocType()->SystemLiteral()->QuoteStyle(), qsApos);
}

TEST(PlainXml_qn_Dtd, LayoutsAndMalformedDeclarations) {
  // Other layouts write the standard separators.
  TLoaded l("<!DOCTYPE r SYSTEM \"r.dtd\" [<!ELEMENT r ANY><!ENTITY e \"v\">]><r/>", xfReadable);
  EXPECT_EQ(l.Doc->WriteToLocalString(),
            "<!DOCTYPE r SYSTEM \"r.dtd\" [\r\n\t<!ELEMENT r ANY>\r\n\t<!ENTITY e \"v\">\r\n]>\r\n<r/>\r\n");
  // A fresh document type: SYSTEM and an empty literal.
  TPlainXml fresh(nullptr, false, true, true, "top");
  EXPECT_EQ(fresh.WriteToLocalString(), "<!DOCTYPE top SYSTEM \"\" ><top/>");
  // Broken declarations report and leave a document that saves and reloads.
  const std::pair<std::string, std::string> broken[] = {
      {"<!DOCTYPE r FOO \"x\"><r/>", "[warn] illegal tag (\"FOO\") at pos 15"},
      {"<!DOCTYPE r [<!ENTITY e \"v\" />]><r/>", "[fail] illegal end tag (\"/\") at line "},
      {"<!DOCTYPE r [<!ELEMENT r ANY", "[fail] stream terminated prematurely at pos 28"},
      {"<!DOCTYPE r [<!BOGUS>]><r/>", "[warn] illegal tag (\"Error\") at pos 16"},
  };
  for (const auto& [text, report] : broken) {
    TLoaded b(text);
    EXPECT_TRUE(b.HasPrefix(report)) << text << ":\n" << b.All();
    TLoaded again(b.Doc->WriteToString());
    EXPECT_EQ(again.Doc->WriteToString(), b.Doc->WriteToString()) << text;
  }
}

TEST(PlainXml_qn_Dtd, CanonicalizeExpandsEntities) {
  TLoaded l(kDecl + "<!DOCTYPE r [<!ENTITY e \"x<b/>y\">]><r>a&e;b</r>");
  l.Reports.clear();
  l.Doc->Canonicalize();
  EXPECT_EQ(l.Doc->RootNodes(0)->ElementType(), xeDocType);  // the declaration is gone, the type stays
  EXPECT_EQ(l.Doc->Root()->WriteToString(), "<r>ax<b/>yb</r>");
  EXPECT_EQ(l.Doc->Root()->GetValue(), "ax");
  EXPECT_TRUE(l.Has("[info] total node count: 3, chardata count: 1, references count: 1")) << l.All();
  EXPECT_TRUE(l.Has("[info] C14N created"));

  // Escaped markup stays text; references to itself stay references.
  TLoaded t("<!DOCTYPE r [<!ENTITY e \"x<b/>y\"><!ENTITY s \"(&s;)\">]><r>1 &lt; 2&e;&s;</r>");
  t.Doc->Canonicalize();
  EXPECT_EQ(t.Doc->Root()->WriteToString(), "<r>1 &lt; 2x<b/>y(&s;)</r>");
  EXPECT_EQ(t.Doc->Root()->GetValue(), "1 < 2x");

  // Nothing to do: nothing changes, the counts are still told.
  std::string plain = "<r a=\"1\"><s>t &amp; u</s></r>";
  TLoaded p(plain);
  p.Doc->Canonicalize();
  EXPECT_EQ(p.Doc->WriteToString(), plain);
  EXPECT_TRUE(p.Has("[info] total node count: 4, chardata count: 1, references count: 0")) << p.All();
}

TEST(PlainXml_qn_Dtd, CanonicalizeStaysWithinItsBound) {
  // 100,000 entities, each referenced once: one map, no list scans.
  std::string text = "<!DOCTYPE r [";
  for (int i = 0; i < 100000; ++i) text += "<!ENTITY e" + std::to_string(i) + " \"v" + std::to_string(i) + "\">";
  text += "]><r>";
  for (int i = 0; i < 100000; ++i) text += "<i>&e" + std::to_string(i) + ";</i>";
  text += "</r>";
  TLoaded big(text);
  auto t0 = std::chrono::steady_clock::now();
  big.Doc->Canonicalize();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(60));
  EXPECT_EQ(big.Doc->Root()->GetNodes(99999)->GetValue(), "v99999");

  // Fan-out: ten levels of ten references each would be 10^10 bytes.
  std::string bomb = "<!DOCTYPE r [<!ENTITY l0 \"ha\">";
  for (int i = 1; i <= 10; ++i) {
    bomb += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) bomb += "&l" + std::to_string(i - 1) + ";";
    bomb += "\">";
  }
  bomb += "]><r>&l10;</r>";
  TLoaded b(bomb);
  b.Doc->Canonicalize();
  EXPECT_TRUE(b.Has("[fail] entity expansion limit exceeded"));
  EXPECT_LT(b.Doc->WriteToString().size(), 2u << 20);
  // A small fan-out expands in full.
  TLoaded s("<!DOCTYPE r [<!ENTITY a \"xy\"><!ENTITY b \"&a;&a;&a;\">]><r>&b;&b;</r>");
  s.Doc->Canonicalize();
  EXPECT_EQ(s.Doc->Root()->GetValue(), "xyxyxyxyxyxy");
}

TEST(PlainXml_qn_Dtd, EntityRulesJoinWellFormedness) {
  // Undeclared: reported unless declarations may live elsewhere.
  TLoaded none("<r>a &x; b</r>");
  EXPECT_TRUE(none.Has("[warn] undeclared entity \"x\"")) << none.All();
  TLoaded declared("<!DOCTYPE r [<!ENTITY x \"y\">]><r a=\"&x;\">&x;&lt;&#65;</r>");
  EXPECT_LE(declared.Worst, wsHint) << declared.All();
  TLoaded external("<!DOCTYPE r SYSTEM \"r.dtd\"><r>&x;</r>");
  EXPECT_LE(external.Worst, wsHint) << external.All();
  TLoaded pe("<!DOCTYPE r [<!ENTITY % p SYSTEM \"p.ent\"> %p;]><r>&x;</r>");
  EXPECT_LE(pe.Worst, wsHint) << pe.All();
  // Replacement text that is not balanced markup, or refers to itself.
  TLoaded open("<!DOCTYPE r [<!ENTITY o \"<b>\">]><r>&o;</r>");
  EXPECT_TRUE(open.Has("[warn] entity \"o\" is not balanced markup")) << open.All();
  TLoaded loop("<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"x&a;\">]><r>&a;&a;</r>");
  EXPECT_TRUE(loop.Has("[warn] entity \"a\" refers to itself")) << loop.All();
  EXPECT_EQ(std::count_if(loop.Reports.begin(), loop.Reports.end(),
                          [](const std::string& r) { return r.find("refers to itself") != std::string::npos; }),
            1);  // checked once
  // Text in comments and sections is no reference.
  TLoaded quiet("<r><!-- &c; --><![CDATA[&d;]]></r>");
  EXPECT_LE(quiet.Worst, wsHint) << quiet.All();
  // Two million '&' before one ';': the look for references stays linear
  // (searching on to the ';' from each '&' would not finish), and only the
  // last '&' starts a name.
  TLoaded amps("<r>" + std::string(2000000, '&') + "x;</r>");
  EXPECT_TRUE(amps.Has("[warn] undeclared entity \"x\"")) << amps.All();
  EXPECT_EQ(amps.Doc->Root()->GetNodes(0)->WriteToString().size(), 2000002u);
}

TEST(PlainXml_qn_Dtd, ReferencesFoundAtEveryPlaceOfAText) {
  // A reference, a usual one ("&amp;", "&lt;", "&gt;") or the start of one
  // at every offset of the first two 32-byte steps of the search, with the
  // bytes behind it reaching past a step or not, before a
  // reference or nothing; texts of one document stand back to back in the
  // string table, and a joint of two that reads as a reference is none.
  struct TPiece {
    const char* Text;
    const char* Name;  // the undeclared entity it names, if any
  };
  const TPiece pieces[] = {{"&amp;", nullptr}, {"&lt;", nullptr}, {"&gt;", nullptr}, {"&x;", "x"},
                           {"&ampx;", "ampx"}, {"&amp", nullptr},  {"&lt", nullptr},  {"&g", nullptr},
                           {"&", nullptr},     {"&x", nullptr},    {"x;", nullptr}};
  auto undeclared = [](const TLoaded& t) {
    std::vector<std::string> names;
    for (const auto& r : t.Reports)
      if (r.rfind("[warn] undeclared entity \"", 0) == 0) names.push_back(r.substr(26, r.size() - 27));
    std::sort(names.begin(), names.end());
    return names;
  };
  for (const TPiece& piece : pieces)
    for (int lead = 0; lead <= 70; ++lead)
      for (int tail : {0, 3, 33})
        for (bool then : {false, true}) {
          std::string text = std::string(static_cast<size_t>(lead), 'a') + piece.Text +
                             std::string(static_cast<size_t>(tail), 'b') + (then ? "&x;" : "");
          std::vector<std::string> want;
          if (piece.Name) want.push_back(piece.Name);
          if (then && (want.empty() || want[0] != "x")) want.push_back("x");
          std::sort(want.begin(), want.end());
          TLoaded t("<r>" + text + "</r>");
          EXPECT_EQ(undeclared(t), want) << text << "\n" << t.All();
          if (tail) continue;
          // As an attribute's value after other strings, the text ";"
          // next: their joint reads "&x;" for "&x".
          TLoaded a("<r k=\"" + text + "\">;</r>");
          EXPECT_EQ(undeclared(a), want) << text << "\n" << a.All();
        }
}

TEST(PlainXml_qn_Dtd, EntityReferenceTestAgreesWithAPlainSearch) {
  // The test the string table runs on each new text, against a plain
  // reading: each '&' with a ';' after it names what lies between, unless
  // that is empty, standard, numeric or holds a blank, '&' or '<'; the
  // first '&' without a ';' after it ends the search. Texts of pieces that
  // start, end and spoil references, at every length around the 32-byte
  // steps, with garbage behind them that may complete a reference.
  auto plain = [](const std::string& t) {
    for (size_t i = t.find('&'); i != std::string::npos; i = t.find('&', i + 1)) {
      size_t semi = t.find(';', i + 1);
      if (semi == std::string::npos) return false;
      std::string name = t.substr(i + 1, semi - i - 1);
      if (name.empty() || name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos" ||
          name[0] == '#' || name.find_first_of(" \t\r\n&<") != std::string::npos)
        continue;
      return true;
    }
    return false;
  };
  const char* pieces[] = {"&", "amp;", "lt;", "gt;", ";", "a", "m", "p", "l", "t", "x", " ", "#", "quot;", "&amp;"};
  const char* behind[] = {"", ";", "p;", "mp;", "t;", "x;"};
  std::mt19937 rng(41);
  std::vector<char> buf(256);
  size_t found = 0;
  for (int round = 0; round < 40000; ++round) {
    std::string t;
    const size_t want = rng() % 80;
    while (t.size() < want) t += pieces[rng() % (rng() % 2 ? 15 : 5)];
    const size_t at = rng() % 32;
    std::fill(buf.begin(), buf.end(), 'z');
    std::memcpy(buf.data() + at, t.data(), t.size());
    const char* after = behind[rng() % 6];
    std::memcpy(buf.data() + at + t.size(), after, std::strlen(after));
    const bool expect = plain(t);
    found += expect;
    for (bool wide : {false, true})
      ASSERT_EQ(sdHasEntityReference(std::string_view(buf.data() + at, t.size()), wide), expect)
          << t << " | " << after << " wide " << wide;
  }
  EXPECT_GT(found, 1000u);  // the texts are not all of one kind
}

TEST(PlainXml_qn_Dtd, EntityReportsOverLoadsIntoOneDocument) {
  // One document loaded again and again, as an application reloads its
  // files: what was found out about a text once holds for the same text in
  // the next document, and each document is judged by its own declarations.
  TLoaded t("<r/>");
  auto load = [&](const std::string& text) {
    t.Reports.clear();
    t.Doc->ReadFromString(text);
    return std::count(t.Reports.begin(), t.Reports.end(), std::string("[warn] undeclared entity \"x\""));
  };
  const std::string plain = "<r a=\"&amp;\">a &x; b<s>&lt;&gt;</s></r>";
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(load(plain), 1) << round << t.All();
    EXPECT_EQ(load("<!DOCTYPE r [<!ENTITY x \"y\">]>" + plain), 0) << round << t.All();
    EXPECT_EQ(load("<r>&amp;&lt;</r>"), 0) << round << t.All();
    EXPECT_EQ(load("<r>b</r>"), 0) << round << t.All();
    // The text with the reference now comes second, after the same texts.
    EXPECT_EQ(load("<r a=\"&amp;\"><s>&lt;&gt;</s>a &x; b</r>"), 1) << round << t.All();
  }
  // A document read from the binary form brings its own table.
  TPlainXml src(nullptr);
  src.ReadFromString(plain);
  TsdFastMemStream bin;
  src.SaveToBinaryStream(&bin);
  for (int round = 0; round < 2; ++round) {
    t.Reports.clear();
    bin.SetPosition(0);
    t.Doc->LoadFromBinaryStream(&bin);
    EXPECT_EQ(t.Doc->WriteToString(), src.WriteToString());
    EXPECT_EQ(load(plain), 1) << round << t.All();
  }
}

}  // namespace t_plain_xml_dtd_test
