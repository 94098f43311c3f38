#include <gtest/gtest.h>

#include <vector>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_writer_test {

using namespace qn;

namespace {

// One small document built through the API.
std::unique_ptr<TPlainXml> Sample() {
  auto d = std::make_unique<TPlainXml>("root", nullptr);
  TXmlNode* r = d->Root();
  r->AttributeAdd("a", "1");
  TXmlNode* item = r->NodeNew("item");
  item->SetValue("x < y");
  item->AttributeAdd("k", "v");
  r->NodeNew("empty");
  TXmlNode* list = r->NodeNew("list");
  list->NodeNew("e")->SetValue("1");
  list->NodeNew("e")->SetValue("2");
  return d;
}

std::vector<std::string> Failures(TPlainXml& d, std::function<void()> f) {
  std::vector<std::string> got;
  d.SetOnDebugOut(TsdDebugEvent([&](TObject*, TsdWarnStyle w, const UTF8String& m) {
    if (w == wsFail) got.push_back(m);
  }));
  f();
  d.SetOnDebugOut(nullptr);
  return got;
}

}  // namespace

TEST(PlainXml_qn_Writer, Layouts) {
  auto d = Sample();
  const std::string decl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  EXPECT_EQ(d->WriteToString(),
            decl + "<root a=\"1\"><item k=\"v\">x &lt; y</item><empty/><list><e>1</e><e>2</e></list></root>");
  d->SetXmlFormat(xfCompact);
  EXPECT_EQ(d->WriteToString(),
            decl + "<root a=\"1\"><item k=\"v\">x &lt; y</item><empty/><list><e>1</e><e>2</e></list></root>");
  d->SetXmlFormat(xfReadable);
  EXPECT_EQ(d->WriteToString(), decl +
                                    "<root a=\"1\">\r\n"
                                    "\t<item k=\"v\">x &lt; y</item>\r\n"
                                    "\t<empty/>\r\n"
                                    "\t<list>\r\n"
                                    "\t\t<e>1</e>\r\n"
                                    "\t\t<e>2</e>\r\n"
                                    "\t</list>\r\n"
                                    "</root>\r\n");
  d->SetEolStyle(esLF);
  d->SetIndentString("  ");
  d->SetDirectCloseTag(" />");
  EXPECT_EQ(d->WriteToString(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root a=\"1\">\n  <item k=\"v\">x &lt; y</item>\n"
                                "  <empty />\n  <list>\n    <e>1</e>\n    <e>2</e>\n  </list>\n</root>\n");
  d->SetEolStyle(esCR);
  EXPECT_EQ(d->WriteToString().substr(0, 42), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r<ro");
  // Full closing: empty elements get their end tag at once.
  d->SetXmlFormat(xfPreserve);
  d->SetNodeClosingStyle(ncFull);
  EXPECT_NE(d->WriteToString().find("<empty></empty>"), std::string::npos);
  // With ncDefault each element's own style counts.
  d->SetNodeClosingStyle(ncDefault);
  static_cast<TsdElement*>(d->Root()->NodeByName("empty"))->SetNodeClosingStyle(ncClose);
  EXPECT_NE(d->WriteToString().find("<empty />"), std::string::npos);
}

TEST(PlainXml_qn_Writer, SpecialTextAndDeepTrees) {
  TPlainXml d("r", nullptr);
  auto* cd = new TsdCData(&d);
  cd->SetValue("a]]>b");
  d.Root()->NodeAdd(cd);
  EXPECT_NE(d.WriteToString().find("<![CDATA[a]]]]><![CDATA[>b]]>"), std::string::npos);
  // The split sections read back as the text they carry.
  TPlainXml back(nullptr);
  back.ReadFromString(d.WriteToString());
  std::string joined;
  for (Integer i = 0; i < back.Root()->GetNodeCount(); ++i) joined += back.Root()->GetNodes(i)->GetValue();
  EXPECT_EQ(joined, "a]]>b");

  auto* c = new TsdComment(&d);
  c->SetCoreValue("bad -- comment");
  d.Root()->NodeAdd(c);
  auto* pi = new TsdInstruction(&d);
  pi->SetCoreValue("x ?> y");
  d.Root()->NodeAdd(pi);
  EXPECT_EQ(Failures(d, [&] { d.WriteToString(); }),
            (std::vector<std::string>{"comment contains \"--\"", "instruction contains \"?>\""}));

  // A tree deeper than any parse allows still saves.
  TPlainXml deep(nullptr);
  TXmlNode* n = deep.Root();
  n->SetName("a");
  for (int i = 0; i < 200000; ++i) n = n->NodeNew("a");
  std::string text = deep.WriteToLocalString();
  EXPECT_EQ(text.size(), 200000u * 7 + 4);  // "<a>" and "</a>" per level, "<a/>" at the bottom
}

TEST(PlainXml_qn_Writer, WhiteSpaceBetweenAttributesSurvives) {
  const std::string text = "<r a=\"1\"\r\n    b=\"2\"  c='3'/>";
  TPlainXml d(nullptr);
  d.ReadFromString(text);
  EXPECT_EQ(d.WriteToString(), text);
  // A single space is not stored.
  d.ReadFromString("<r a=\"1\" b=\"2\"/>");
  EXPECT_EQ(d.Root()->GetNodeCount(), 2);
  // Without preserving, the blanks go.
  d.SetXmlFormat(xfCompact);
  d.ReadFromString(text);
  EXPECT_EQ(d.WriteToString(), "<r a=\"1\" b=\"2\" c='3'/>");
}

}  // namespace t_plain_xml_writer_test
