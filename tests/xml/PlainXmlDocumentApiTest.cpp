#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <vector>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WinInet.h"
#include "xml/PlainXml_qn.h"

namespace t_plain_xml_document_api_test {

using namespace qn;

TEST(PlainXml_qn_DocumentApi, FactoriesKeepOrderAndFillDefaults) {
  TPlainXml d(nullptr);
  TXmlNode* ex = nullptr;
  TXmlNode* n = d.NodeNewTextTypeAttrEx("item", "a < b", xeElement, {d.AttrInt("z", 1), d.AttrText("a", "x&y")}, ex,
                                       {d.NodeNewInt("n", -7), d.NodeNewText("t", "v"), d.NodeNew("e")});
  EXPECT_EQ(ex, n);
  EXPECT_EQ(n->Parent(), nullptr);
  EXPECT_EQ(d.Root()->GetNodeCount(), 0);  // free: not added anywhere
  // Attributes first in their order, then the value, then the sub-nodes.
  EXPECT_EQ(n->WriteToString(), "<item z=\"1\" a=\"x&amp;y\">a &lt; b<n>-7</n><t>v</t><e/></item>");
  d.Root()->NodeAdd(n);
  EXPECT_EQ(d.Root()->GetNodeCount(), 1);

  TXmlNode* c = nullptr;
  d.NodeNewTextTypeEx("", "note", xeComment, c);
  EXPECT_EQ(c->WriteToString(), "<!--note-->");
  std::unique_ptr<TXmlNode> free1(d.NodeNewIntType("", 42, xeCharData));
  EXPECT_EQ(free1->GetValue(), "42");
  std::unique_ptr<TXmlNode> free2(d.NodeNewIntAttr("x", 5, {d.AttrBool("b", true)}));
  EXPECT_EQ(free2->WriteToString(), "<x b=\"true\">5</x>");
  EXPECT_THROW(d.NodeNewType("x", xeEndTag), Exception);
  delete c;

  // Attribute texts: hexadecimal padding, the unit's float defaults.
  std::unique_ptr<TXmlNode> a(d.AttrHex("h", 255, 4));
  EXPECT_EQ(a->GetValue(), "$00FF");
  a.reset(d.AttrHex("h", -1, 2));
  EXPECT_EQ(a->GetValue(), "$FFFFFFFF");
  a.reset(d.AttrHex("h", Int64(0x1234567890LL), 12));
  EXPECT_EQ(a->GetValue(), "$001234567890");
  d.SetFloatSignificantDigits(2);
  d.SetFloatAllowScientific(false);
  a.reset(d.AttrFloat("f", 3.14159));
  EXPECT_EQ(a->GetValue(), "3.14159");
  a.reset(d.AttrFloat("f", 3.14159, 3, true));
  EXPECT_EQ(a->GetValue(), "3.14");
  a.reset(d.AttrInt64("i", -9000000000LL));
  EXPECT_EQ(a->GetValue(), "-9000000000");
  d.SetSplitSecondDigits(3);
  a.reset(d.AttrDateTime("t", EncodeDateTime(2010, 3, 7, 14, 5, 9, 120)));
  EXPECT_EQ(a->GetValue(), "2010-03-07T14:05:09.120Z");
}

TEST(PlainXml_qn_DocumentApi, TopLevelContent) {
  EXPECT_TRUE(TPlainXml(nullptr).IsEmpty());
  EXPECT_TRUE(TPlainXml(nullptr, false, false, false, "").IsEmpty());
  TPlainXml d("root", nullptr);
  EXPECT_FALSE(d.IsEmpty());
  EXPECT_EQ(d.CommentString(), "");
  d.SetCommentString("made by hand");
  EXPECT_EQ(d.RootNodes(1)->ElementType(), xeComment);
  d.SetCommentString("changed");
  EXPECT_EQ(d.CommentString(), "changed");
  TsdStyleSheet* s = d.StyleSheet();
  EXPECT_EQ(d.RootNodes(1), s);
  EXPECT_EQ(d.StyleSheet(), s);
  s->AttributeAdd("href", "a.css");
  EXPECT_EQ(d.WriteToLocalString(),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<?xml-stylesheet href=\"a.css\"?><!--changed--><root/>");
  EXPECT_EQ(d.RootContainerCount(), 3);
  EXPECT_EQ(d.RootContainers(2), d.Root());
  EXPECT_EQ(d.RootContainers(3), nullptr);
  EXPECT_EQ(d.LineFeed(), "\n");
  d.SetXmlFormat(xfReadable);
  EXPECT_EQ(d.LineFeed(), "\r\n");

  // The style sheet of a shorter list goes to its end.
  TPlainXml bare(nullptr, false, false, false, "");
  bare.StyleSheet();
  EXPECT_EQ(bare.RootNodeCount(), 1);

  // ForEach walks in document order; nothing without a sender.
  TPlainXml w(nullptr);
  w.ReadFromString("<a x=\"1\"><b>t</b><c/></a>");
  std::vector<std::string> seen;
  TsdXmlNodeEvent visit([&](TObject*, TXmlNode* n) { seen.push_back(n->GetName()); });
  w.ForEach(&w, visit);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "x", "b", "CharData", "c"}));
  w.ForEach(nullptr, visit);
  EXPECT_EQ(seen.size(), 5u);

  // Base64 with line layout, and a decoding failure reported, not raised.
  RawByteString bytes(100, 'x');
  UTF8String text = TPlainXml::EncodeBase64(bytes, "\r\n");
  EXPECT_EQ(text.find("\r\n"), 76u);
  EXPECT_EQ(TPlainXml::DecodeBase64(text, nullptr), bytes);
  std::vector<std::string> reports;
  EXPECT_EQ(TPlainXml::DecodeBase64("@@@", TsdDebugEvent([&](TObject* s, TsdWarnStyle st, const UTF8String& m) {
                                      EXPECT_EQ(s, nullptr);
                                      EXPECT_EQ(st, wsFail);
                                      reports.push_back(m);
                                    })),
            "");
  EXPECT_EQ(reports, std::vector<std::string>{"error while calculating streamlength"});
}

TEST(PlainXml_qn_DocumentApi, WhiteSpaceRemovalAndMoves) {
  const std::string text = "  <r a=\"1\"  b=\"2\">\r\n  <x> padded </x>\r\n  <y>  </y> tail </r>\r\n";
  TPlainXml d(nullptr);
  d.ReadFromString(text);
  EXPECT_EQ(d.WriteToString(), text);
  d.SetXmlFormat(xfCompact);
  EXPECT_EQ(d.WriteToString(), "<r a=\"1\" b=\"2\"><x>padded</x><y/>tail</r>");
  EXPECT_EQ(d.Root()->GetValue(), "tail");
  EXPECT_EQ(d.Root()->GetAttributeValueByName("b"), "2");
  std::string once = d.WriteToString();
  d.SetXmlFormat(xfReadable);
  d.SetXmlFormat(xfCompact);
  EXPECT_EQ(d.WriteToString(), once);  // nothing left to remove
  d.SetPreserveWhiteSpace(false);
  EXPECT_EQ(d.XmlFormat(), xfCompact);
  d.SetPreserveWhiteSpace(true);
  EXPECT_EQ(d.XmlFormat(), xfPreserve);

  // Moving some children of one element to another keeps both consistent.
  TPlainXml m(nullptr);
  m.ReadFromString("<r><from k=\"v\">text<a/><b/><c/></from><to/></r>");
  TXmlNode* from = m.Root()->GetNodes(0);
  TXmlNode* to = m.Root()->GetNodes(1);
  m.MoveSubNodes({from->GetNodes(4), from->GetNodes(2), to}, from, to);
  EXPECT_EQ(m.Root()->WriteToString(), "<r><from k=\"v\">text<b/></from><to><c/><a/></to></r>");
  EXPECT_EQ(from->GetValue(), "text");
  m.MoveSubNodes({}, from, to);
  m.MoveSubNodes({from->GetNodes(2)}, nullptr, to);
  EXPECT_EQ(from->GetNodeCount(), 3);

  // A million siblings: every list is compacted once, not node by node.
  std::string wide = "<r>";
  for (int i = 0; i < 1000000; ++i) wide += " <e/>";
  wide += "</r>";
  TPlainXml big(nullptr);
  big.ReadFromString(wide);
  EXPECT_EQ(big.Root()->GetNodeCount(), 2000000);
  auto t0 = std::chrono::steady_clock::now();
  big.SetXmlFormat(xfCompact);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(30));
  EXPECT_EQ(big.Root()->GetNodeCount(), 1000000);
}

TEST(PlainXml_qn_DocumentApi, LoadFromURL) {
  const std::string text = "<?xml version=\"1.0\"?>\r\n<r>" + std::string(5000, 'x') + "</r>";
  std::string path = "/tmp/qn_xml_url_" + std::to_string(getpid()) + ".xml";
  {
    TsdStringStream s(text);
    TFileStream f(FromUtf8(path), fmCreate);
    f.CopyFrom(&s, 0);
  }
  std::vector<std::string> fails;
  auto watch = [&](TPlainXml& d) {
    d.SetOnDebugOut(TsdDebugEvent([&](TObject*, TsdWarnStyle w, const UTF8String& m) {
      if (w == wsFail) fails.push_back(m);
    }));
  };
  TPlainXml d(nullptr);
  watch(d);
  EXPECT_EQ(d.LoadFromURL("file://" + path), Int64(text.size()));
  EXPECT_EQ(d.WriteToString(), text);
  DeleteFile(FromUtf8(path));

  // A fetcher that hands its body out in odd pieces.
  auto old = SetInternetFetcher(
      [&](const std::string& url, std::string& body) {
        if (url != "http://example.invalid/doc.xml") return false;
        body = text;
        return true;
      },
      7);
  TPlainXml h(nullptr);
  watch(h);
  EXPECT_EQ(h.LoadFromURL("http://example.invalid/doc.xml"), Int64(text.size()));
  EXPECT_EQ(h.WriteToString(), text);

  // Failures load nothing.
  TPlainXml f(nullptr);
  watch(f);
  f.ReadFromString("<keep/>");
  EXPECT_EQ(f.LoadFromURL("http://example.invalid/missing"), 0);
  EXPECT_EQ(f.LoadFromURL("file:///nonexistent/qn.xml"), 0);
  SetInternetAvailable(false);
  EXPECT_EQ(f.LoadFromURL("file://" + path), 0);
  SetInternetAvailable(true);
  SetInternetFetcher(old);
  EXPECT_EQ(f.WriteToString(), "<keep/>");
  EXPECT_EQ(fails, (std::vector<std::string>{"Cannot open URL http://example.invalid/missing",
                                             "Cannot open URL file:///nonexistent/qn.xml",
                                             "Unable to initialize WinInet"}));
}

}  // namespace t_plain_xml_document_api_test
