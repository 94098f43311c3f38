#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tests/common/TestSupport.h"
#include "xml/PlainXml_qn.h"

namespace t_plain_xml_document_test {

using namespace qn;

namespace {

struct TReports {
  std::vector<std::string> All;
  TsdDebugEvent Event() {
    return TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) {
      All.push_back(std::string("[") + cWarnStyleNames(w) + "] " + m);
    });
  }
};

// A corpus of documents with non-ASCII text, attributes, comments, CDATA
// and nesting; each is loaded, saved in an encoding and read back.
std::vector<std::string> Corpus() {
  return {
      "<?xml version=\"1.0\"?>\r\n<a x=\"1\" y=\"caf\xC3\xA9\"><b>text</b><c/><!--c--><![CDATA[<d>]]></a>",
      "<?xml version=\"1.0\"?>\r\n<QuarnRes><Config><Custom><Form>12</Form><FormBg/></Custom></Config></QuarnRes>",
      "<?xml version=\"1.0\"?>\r\n<r>\r\n  <s k=\"\xE2\x82\xAC\">one &amp; two</s>\r\n  <s k='q'>\xC3\xBC</s>\r\n</r>",
  };
}

}  // namespace

TEST(PlainXml_qn_Document, NewDocumentBytesAndByteOrderMarks) {
  TPlainXml d(nullptr);
  d.New();
  TsdStringStream s("");
  d.SaveToStream(&s);
  EXPECT_EQ(s.DataString(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<></>");
  EXPECT_FALSE(d.ExternalBomInfo().HasBOM);
  d.SetExternalEncoding(seUTF16LE);
  EXPECT_EQ(d.WriteToString().substr(0, 4), std::string("\xFF\xFE<\0", 4));
  EXPECT_EQ(d.Declaration()->Encoding(), "utf-16");
  d.SetExternalEncoding(seUTF16BE);
  EXPECT_EQ(d.WriteToString().substr(0, 4), std::string("\xFE\xFF\0<", 4));
  EXPECT_TRUE(d.ExternalBomInfo().HasBOM);
}

TEST(PlainXml_qn_Document, RefusedEncodingsAndCodePages) {
  TPlainXml d("r", nullptr);
  TReports rep;
  d.SetOnDebugOut(rep.Event());
  d.SetExternalEncoding(seAnsi);
  d.SetExternalEncoding(seUTF32LE);  // cannot be written: refused up front
  d.SetExternalCodepage(1);
  d.SetExternalCodepage(12000);
  EXPECT_EQ(rep.All, (std::vector<std::string>{
                         "[fail] external encoding \"ansi\" is not allowed (use ExternalCodepage)",
                         "[fail] external encoding \"utf-32\" is not allowed (use ExternalCodepage)",
                         "[fail] external codepage \"1\" not found", "[fail] external codepage \"12000\" not found"}));
  EXPECT_EQ(d.ExternalEncoding(), seUTF8);
  d.SetExternalCodepage(1252);
  EXPECT_EQ(d.ExternalEncoding(), seAnsi);
  EXPECT_EQ(d.Charset(), "windows-1252");
  d.Root()->SetValue("\xE2\x82\xAC");
  EXPECT_EQ(d.WriteToString(), "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r>\x80</r>");
  d.SetCharset("utf-8");
  EXPECT_EQ(d.ExternalEncoding(), seUTF8);
  EXPECT_EQ(d.ExternalCodepage(), 65001);
  EXPECT_EQ(d.VersionString(), "1.0");
  d.SetVersionString("1.1");
  EXPECT_EQ(d.Declaration()->Version(), "1.1");

  // Without a root element, strict documents refuse to be written.
  TPlainXml none(nullptr, true, false, false, "");
  none.SetParserWarnings(true);
  EXPECT_THROW(none.WriteToString(), EFilerError);
}

TEST(PlainXml_qn_Document, CorpusReloadsEqualInEveryEncoding) {
  for (const auto& text : Corpus()) {
    TPlainXml src(nullptr);
    src.ReadFromString(text);
    for (Integer cp : {65001, 1200, 1201, 1252}) {
      src.SetExternalCodepage(cp);
      std::string bytes = src.WriteToString();
      TPlainXml back(nullptr);
      back.ReadFromString(bytes);
      std::vector<TXmlNode*> bad;
      ASSERT_TRUE(back.Root()->IsEqualTo(src.Root(), xcAll(), &bad)) << cp << " " << text;
      EXPECT_EQ(back.ExternalCodepage(), cp);
    }
  }
}

TEST(PlainXml_qn_Document, FilesAndBlanks) {
  std::string dir = qntest::MakeTempDir("xmldoc");
  String file = FromUtf8(dir + "/doc.xml");
  TPlainXml d("r", nullptr);
  d.Root()->WriteInteger("n", 5);
  d.SaveToFile(file);
  TPlainXml e(nullptr);
  e.LoadFromFile(file);
  EXPECT_EQ(e.Root()->ReadInteger("n"), 5);
  // A save that cannot be made leaves the old file alone.
  TReports rep;
  d.SetOnDebugOut(rep.Event());
  d.Root()->WriteInteger("n", 6);
  // (UTF-32 cannot be chosen any more, so a failing stream stands in.)
  EXPECT_THROW(d.SaveToFile(FromUtf8(dir + "/missing/dir/doc.xml")), Exception);
  e.LoadFromFile(file);
  EXPECT_EQ(e.Root()->ReadInteger("n"), 5);
  // Saving over an existing file replaces it.
  d.SaveToFile(file);
  e.LoadFromFile(file);
  EXPECT_EQ(e.Root()->ReadInteger("n"), 6);

  // Blanks around the root: kept as text only when preserving.
  TPlainXml p(nullptr);
  p.ReadFromString("  <r/>  ");
  EXPECT_EQ(p.RootNodeCount(), 3);
  EXPECT_EQ(p.RootNodes(0)->ElementType(), xeCharData);
  TPlainXml q(nullptr);
  q.SetXmlFormat(xfCompact);
  q.ReadFromString("  <r/>  ");
  EXPECT_EQ(q.RootNodeCount(), 1);

  // Comments at the top level can be dropped while parsing.
  TPlainXml c(nullptr);
  c.SetDropCommentsOnParse(true);
  c.ReadFromString("<!--x--><r/>");
  EXPECT_EQ(c.RootNodeCount(), 1);
  EXPECT_EQ(c.WriteToLocalUnicodeString(), u"<r/>");
}

TEST(PlainXml_qn_Document, RecordedReportsForBrokenInput) {
  auto run = [](const std::string& text, bool repair) {
    TPlainXml d(nullptr);
    d.SetFixStructuralErrors(repair);
    TReports rep;
    d.SetOnDebugOut(rep.Event());
    d.ReadFromString(text);
    // Whatever happened, the document is whole: it saves and reloads equal.
    TPlainXml back(nullptr);
    back.ReadFromString(d.WriteToString());
    EXPECT_TRUE(!d.Root() || back.Root()->IsEqualTo(d.Root(), xcAll())) << text;
    std::vector<std::string> r;
    for (auto& m : rep.All)
      if (m.rfind("[info]", 0) != 0 && m != "[hint] unknown encoding") r.push_back(m);
    return r;
  };
  EXPECT_EQ(run("<a><b></a>", false),
            (std::vector<std::string>{"[warn] begin and end tag mismatch: \"b\" and \"a\" at line 0 (pos 10)",
                                      "[fail] stream terminated prematurely at pos 10"}));
  EXPECT_EQ(run("<a><b></a>", true),
            (std::vector<std::string>{"[warn] begin and end tag mismatch: \"b\" and \"a\" at line 0 (pos 10)",
                                      "[warn] parent0 = \"a\", this endtag = \"a\": maybe \"b\" should be closed",
                                      "[warn] level mismatch between subnode \"b\" and endnode \"a\" at line 0 (pos 10)"}));
  EXPECT_EQ(run("<a><b></c>", true),
            (std::vector<std::string>{"[warn] begin and end tag mismatch: \"b\" and \"c\" at line 0 (pos 10)",
                                      "[warn] level mismatch between subnode \"b\" and endnode \"a\" at line 0 (pos 10)"}));
  EXPECT_EQ(run("<a x=1/>", false),
            (std::vector<std::string>{"[warn] quote char expected at pos 6"}));
  EXPECT_EQ(run("<a><b>text", false),
            (std::vector<std::string>{"[fail] stream terminated prematurely at pos 10"}));
}

// A load frees the previous tree at once when it holds only parsed nodes,
// and node by node otherwise; either way nodes the caller took out of the
// tree stay whole (sanitizer builds give every node its own heap block, so
// a node freed too early, or one never freed, is caught).
TEST(PlainXml_qn_Document, ReloadKeepsNodesTakenOutOfTheTree) {
  const UTF8String text = "<r a=\"1\"><b x='y'>one</b>\r\n<c><d/><e>two</e></c><!--n--></r>";
  auto* d = new TPlainXml(nullptr);
  for (int i = 0; i < 3; ++i) d->ReadFromString(text);  // freed whole, twice
  EXPECT_EQ(d->WriteToString(), text);

  // Taken out, then the document moves on twice and goes away.
  TXmlNode* c = d->Root()->NodeByName("c");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(d->Root()->NodeExtract(c), c);
  d->ReadFromString("<other><x/></other>");
  d->ReadFromString(text);
  EXPECT_EQ(d->WriteToString(), text);
  ASSERT_EQ(c->GetNodeCount(), 2);
  EXPECT_EQ(c->GetNodes(1)->GetNodeCount(), 1);
  EXPECT_EQ(c->GetNodes(1)->GetNodes(0)->ElementType(), xeCharData);
  delete d;
  EXPECT_EQ(c->GetNodes(0)->ElementType(), xeElement);
  delete c;

  // Nodes made by calls, inside a parsed tree, are freed with it; parsed
  // nodes deleted one by one leave the rest whole.
  TPlainXml e(nullptr);
  e.ReadFromString(text);
  e.Root()->NodeNew("added")->NodeNew("deeper");
  e.Root()->NodeByName("b")->Delete();
  EXPECT_EQ(e.WriteToString(), "<r a=\"1\">\r\n<c><d/><e>two</e></c><!--n--><added><deeper/></added></r>");
  e.ReadFromString(text);
  e.Root()->NodeByName("c")->NodesClear();
  EXPECT_EQ(e.WriteToString(), "<r a=\"1\"><b x='y'>one</b>\r\n<c/><!--n--></r>");
  e.ReadFromString(text);
  EXPECT_EQ(e.WriteToString(), text);

  // A node moved within the tree, and the root list used directly.
  e.Root()->NodeByName("c")->NodeAdd(e.Root()->NodeByName("b"));
  EXPECT_EQ(e.WriteToString(), "<r a=\"1\">\r\n<c><d/><e>two</e><b x='y'>one</b></c><!--n--></r>");
  e.RootNodeList()->SetOwnsObjects(false);
  TXmlNode* root = e.Root();
  e.RootNodeList()->Remove(root);
  e.RootNodeList()->SetOwnsObjects(true);
  e.ReadFromString(text);
  EXPECT_EQ(root->GetNodeCount(), 4);
  delete root;
  EXPECT_EQ(e.WriteToString(), text);
}

namespace {

// A document that takes its messages itself, without a handler.
class TTakesMessages : public TPlainXml {
 public:
  using TPlainXml::TPlainXml;
  void DoDebugOut(TObject*, TsdWarnStyle w, const UTF8String& m) override {
    Got.push_back(std::string("[") + cWarnStyleNames(w) + "] " + m);
  }
  std::vector<std::string> Got;
};

}  // namespace

TEST(PlainXml_qn_Document, DeclarationReportReachesEveryListener) {
  const UTF8String text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<r a=\"1\"/>";
  const std::string info = "[info] declaration with encoding \"utf-8\" and codepage 65001";
  // A handler on an owner up the chain, then on the document itself.
  TDebugComponent owner(nullptr);
  TReports up, own;
  owner.SetOnDebugOut(up.Event());
  auto* d = new TPlainXml(&owner);
  EXPECT_TRUE(d->HasDebugHandler());
  d->ReadFromString(text);
  EXPECT_EQ(up.All, std::vector<std::string>{info});
  d->SetOnDebugOut(own.Event());
  d->ReadFromString(text);
  EXPECT_EQ(own.All, std::vector<std::string>{info});
  EXPECT_EQ(up.All.size(), 1u);
  // A class of its own hears it without any handler.
  TTakesMessages t(nullptr);
  EXPECT_FALSE(t.HasDebugHandler());
  t.ReadFromString(text);
  EXPECT_EQ(t.Got, std::vector<std::string>{info});
  EXPECT_EQ(t.WriteToString(), text);
}

TEST(PlainXml_qn_Document, DeclaredEncodingIsTheFirstAttributeOfThatNameInAnyCase) {
  // The encoding a load goes by is the declaration's Encoding(): the first
  // attribute named "encoding" in any case, its references replaced, also
  // where another spelling, a name of the same length or a non-ASCII name
  // stands before it. The report tells what the load went by, Encoding()
  // what the declaration says.
  struct TCase {
    std::string Attributes, Encoding;
    Integer CodePage;
  };
  const TCase cases[] = {
      {"version=\"1.0\" encoding=\"utf-8\"", "utf-8", 65001},
      {"version=\"1.0\" Encoding=\"windows-1252\" encoding=\"utf-8\"", "windows-1252", 1252},
      {"encoding=\"windows-1252\" ENCODING=\"utf-8\"", "windows-1252", 1252},
      {"version=\"1.0\" encodinG=\"iso-8859-1\"", "iso-8859-1", 28591},
      {"version=\"1.0\" encoding=\"utf&#45;8\"", "utf-8", 65001},
      {"standalone=\"yes\" encodinx=\"x\" encoding=\"windows-1252\"", "windows-1252", 1252},
      {"v\xC3\xA9rsion=\"1\" encoding=\"utf-8\"", "utf-8", 65001},
      // A page that reads the declaration's own bytes otherwise cannot be
      // switched to without moving the parser off its place: ignored.
      {"v\xC3\xA9rsion=\"1\" encoding=\"windows-1252\"", "windows-1252", 65001},
      {"version=\"1.0\"", "", 65001},
  };
  for (const TCase& c : cases) {
    TPlainXml d(nullptr);
    TReports rep;
    d.SetOnDebugOut(rep.Event());
    d.ReadFromString("<?xml " + c.Attributes + "?>\r\n<r>\xC3\xA9</r>");
    ASSERT_NE(d.Declaration(), nullptr) << c.Attributes;
    EXPECT_EQ(d.Declaration()->Encoding(), c.Encoding) << c.Attributes;
    EXPECT_EQ(d.ExternalCodepage(), c.CodePage) << c.Attributes;
    const std::string info =
        "[info] declaration with encoding \"" + c.Encoding + "\" and codepage " + std::to_string(c.CodePage);
    EXPECT_NE(std::find(rep.All.begin(), rep.All.end(), info), rep.All.end()) << c.Attributes;
  }
}

TEST(PlainXml_qn_Document, SingleTagNamesOnlyDuringAParseThatFixesErrors) {
  // The list of single tags a fixing parse meets is there for the parse
  // (handlers can look at it) and gone after it; without the option there
  // is none. A parse that fixes a single tag gives its children back.
  for (bool fix : {false, true}) {
    TPlainXml d(nullptr);
    d.SetFixStructuralErrors(fix);
    std::vector<bool> seen;
    d.SetOnNodeLoaded(TsdXmlNodeEvent([&](TObject*, TXmlNode*) { seen.push_back(d.SingleTagNames() != nullptr); }));
    d.ReadFromString("<r><br><p>x</p></r>");
    EXPECT_EQ(d.SingleTagNames(), nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(std::count(seen.begin(), seen.end(), fix), static_cast<long>(seen.size())) << fix;
    if (fix) { EXPECT_EQ(d.WriteToLocalString(), d.WriteToLocalString()); }
  }
  TPlainXml d(nullptr);
  d.SetFixStructuralErrors(true);
  d.ReadFromString("<r><br><p>x</p></r>");
  ASSERT_NE(d.Root(), nullptr);
  EXPECT_EQ(d.Root()->GetNodeCount(), 2);
}

TEST(PlainXml_qn_Document, ReloadsOfEverySizeReadAsAFreshDocument) {
  // Small, nested past the parser's in-place levels, several chunks, and
  // one text longer than the blocks a document keeps between loads.
  std::string deep, deepEnd;
  for (int i = 0; i < 70; ++i) {
    deep += "<n" + std::to_string(i) + " k=\"" + std::to_string(i) + "\">\r\n";
    deepEnd = "</n" + std::to_string(i) + ">" + deepEnd;
  }
  std::string chunks = "<?xml version=\"1.0\"?>\r\n<list>";
  for (int i = 0; chunks.size() < 150000; ++i)
    chunks += "\r\n  <e i=\"" + std::to_string(i) + "\">caf\xC3\xA9 &amp; " + std::to_string(i * 7) + "</e>";
  chunks += "\r\n</list>";
  const std::vector<std::string> texts = {
      "<a x=\"1\"><b>text</b><c/></a>",
      deep + "leaf" + deepEnd,
      chunks,
      "<big>" + std::string(1100000, 'w') + "\r\nz</big>",
  };
  TPlainXml d(nullptr);
  for (size_t k : {0, 3, 0, 1, 2, 3, 1, 2, 0}) {
    d.ReadFromString(texts[k]);
    TPlainXml fresh(nullptr);
    fresh.ReadFromString(texts[k]);
    std::vector<TXmlNode*> bad;
    // The long ones are compared as written (node by node takes long).
    if (k < 2) {
      ASSERT_TRUE(d.Root()->IsEqualTo(fresh.Root(), xcAll(), &bad)) << k;
    }
    EXPECT_EQ(d.WriteToString(), fresh.WriteToString()) << k;
    EXPECT_EQ(d.Root()->GetName(), fresh.Root()->GetName()) << k;
  }
  // The deep document's innermost element and its text.
  d.ReadFromString(texts[1]);
  TXmlNode* n = d.Root();
  for (int i = 1; i < 70 && n; ++i) n = n->NodeByName("n" + std::to_string(i));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->GetValue(), "leaf");
}

TEST(PlainXml_qn_Document, TopLevelTextAndNamesAskedForInAnyCase) {
  const UTF8String text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n \t stray \r\n<r caf\xC3\xA9=\"1\" Kind='2'/>\r\n tail ";
  for (bool preserve : {true, false}) {
    TPlainXml d(nullptr);
    if (!preserve) d.SetXmlFormat(xfCompact);
    d.ReadFromString(text);
    std::vector<std::string> values;
    for (Integer i = 0; i < d.RootNodeList()->Count(); ++i) {
      TXmlNode* n = d.RootNodeList()->GetItems(i);
      if (n->ElementType() == xeCharData) values.push_back(n->GetValue());
    }
    // The declaration takes the line break behind it; the rest stands as
    // read (values give line breaks as CR LF), trimmed where white space is
    // not kept.
    const std::vector<std::string> kept{" \t stray \r\n", "\r\n tail "}, trimmed{"stray", "tail"};
    EXPECT_EQ(values, preserve ? kept : trimmed) << preserve;
    EXPECT_EQ(d.Declaration()->Encoding(), "utf-8");
    TXmlNode* r = d.Root();
    for (const char* name : {"caf\xC3\xA9", "CAF\xC3\x89", "Caf\xC3\xA9", "kind", "KIND", "Kind"})
      EXPECT_NE(r->GetAttributeByName(name), nullptr) << name;
    for (const char* name : {"caf", "cafe", "kin", "kinds", ""}) EXPECT_EQ(r->GetAttributeByName(name), nullptr) << name;
  }
}

TEST(PlainXml_qn_Document, SubstitutedElementsOutsideTheArenaNestAndGo) {
  // Content parsed in place of a node has an element of its own making on
  // top, outside the document's arena, while the elements nested in it
  // come from the arena: they join their lists through the checked path,
  // and the tree, written, loaded again and released, stays whole.
  TPlainXml d(nullptr);
  d.ReadFromString("<r><x/><y k=\"1\">v</y></r>");
  TXmlNode* x = d.Root()->GetNodes(0);
  ASSERT_NE(x, nullptr);
  TXmlNode* first = d.ParseSubstituteContentFromNode(x, "<a q='2'><b><c/>t</b>\r\n  <d>u</d></a>");
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->InArena());
  EXPECT_TRUE(first->GetNodes(1)->InArena());
  EXPECT_EQ(d.Root()->WriteToString(), "<r><a q='2'><b><c/>t</b>\r\n  <d>u</d></a><y k=\"1\">v</y></r>");
  EXPECT_EQ(first->NodeByName("b")->NodeByName("c")->Parent()->GetName(), "b");
  d.ReadFromString("<s>w</s>");
  EXPECT_EQ(d.WriteToString(), "<s>w</s>");
}

}  // namespace t_plain_xml_document_test
