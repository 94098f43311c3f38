#include <gtest/gtest.h>

#include <vector>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_well_formed_test {

using namespace qn;

namespace {

struct TResult {
  std::unique_ptr<TPlainXml> Doc = std::make_unique<TPlainXml>(nullptr);
  TsdWarnStyle Worst = wsInfo;
  std::vector<std::string> Reports;
};

TResult Load(const std::string& text) {
  TResult r;
  r.Doc->SetOnDebugOut(TsdDebugEvent([&r](TObject*, TsdWarnStyle w, const UTF8String& m) {
    if (w > r.Worst) r.Worst = w;
    r.Reports.push_back(m);
  }));
  r.Doc->ReadFromString(text);
  r.Doc->SetOnDebugOut(nullptr);
  return r;
}

// Every node reachable from the root list has its parent set right, and
// every container's counters fit its list.
void ExpectConsistent(TPlainXml& d) {
  for (TXmlNode* n = d.FindFirst(); n; n = d.FindNext(n)) {
    for (Integer i = 0; i < n->GetNodeCount(); ++i) ASSERT_EQ(n->GetNodes(i)->Parent(), n);
    if (n->Is<TsdContainerNode>()) {
      auto* c = static_cast<TsdContainerNode*>(n);
      ASSERT_LE(c->GetDirectNodeCount(), c->GetNodeCount());
      for (Integer i = 0; i < c->GetDirectNodeCount(); ++i)
        ASSERT_TRUE(c->GetNodes(i)->Is<TsdAttribute>() || c->GetNodes(i)->ElementType() == xeWhiteSpace);
      if (c->ValueIndex() >= 0) {
        ASSERT_LT(c->ValueIndex(), c->GetNodeCount());
        ASSERT_TRUE(c->GetNodes(c->ValueIndex())->Is<TsdCharData>());
      }
    }
  }
}

}  // namespace

TEST(PlainXml_qn_WellFormed, WellFormedTextLoadsQuietlyAndWritesBack) {
  const std::vector<std::string> docs = {
      "<a/>",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<a b=\"&lt;&amp;&gt;\" c='&quot;'>t&#233;xt &#x1F600;</a>",
      "<!DOCTYPE note SYSTEM \"note.dtd\">\r\n<note><to>x</to></note>",
      "<!DOCTYPE r [\r\n<!ELEMENT r (#PCDATA)>\r\n<!ATTLIST r a CDATA \"x>y\">\r\n]>\r\n<r/>",
      "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\r\n<r><?target data?><!-- c --><![CDATA[ ]]></r>",
      "<r>\r\n\t<a>1</a>\r\n\t<b>\r\n\t\t<c>2</c>\r\n\t</b>\r\n</r>\r\n",
      "<r xmlns:p=\"urn:x\"><p:e p:a=\"1\">mixed <b>bold</b> text</p:e></r>",
  };
  for (const auto& text : docs) {
    TResult r = Load(text);
    EXPECT_LE(r.Worst, wsHint) << text << " : " << (r.Reports.empty() ? "" : r.Reports.back());
    ExpectConsistent(*r.Doc);
    EXPECT_EQ(r.Doc->WriteToString(), text);
    TResult again = Load(r.Doc->WriteToString());
    EXPECT_TRUE(again.Doc->Root()->IsEqualTo(r.Doc->Root(), xcAll()));
  }
}

TEST(PlainXml_qn_WellFormed, MalformedTextIsReportedAndLeavesAWholeDocument) {
  const std::vector<std::string> bad = {
      "<a><b></a>", "<a><b></c>", "<a x=1/>", "<a x=\"1>", "<a>", "<", "<!", "<!x>", "<a></a></b>",
      "<a><!-- open", "<a><![CDATA[ open", "<?pi", "<a b=\"1\" \"c\"/>", "</a>", "<a/ >", "<a><b/></a><c>",
      "\xEF\xBB\xBF<a>\xFF\xFE</a>", "<a>&unknown;</a>", "<a><b><c></a></b></c>",
  };
  for (const auto& text : bad) {
    for (bool repair : {false, true}) {
      TPlainXml d(nullptr);
      d.SetFixStructuralErrors(repair);
      d.ReadFromString(text);
      ExpectConsistent(d);
      if (HasFatalFailure()) return;
      std::string saved = d.WriteToString();
      TPlainXml back(nullptr);
      back.ReadFromString(saved);
      if (d.Root()) {
        EXPECT_TRUE(back.Root() && back.Root()->IsEqualTo(d.Root(), {xcNodeName, xcChildCount, xcChildNames}))
            << text;
      }
    }
  }
}

TEST(PlainXml_qn_WellFormed, NestingIsBounded) {
  auto nested = [](int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "<a>";
    for (int i = 0; i < depth; ++i) s += "</a>";
    return s;
  };
  TResult ok = Load(nested(4096));
  EXPECT_LE(ok.Worst, wsHint);
  TResult over = Load(nested(4097));
  ASSERT_FALSE(over.Reports.empty());
  EXPECT_EQ(over.Worst, wsFail);
  EXPECT_NE(std::find(over.Reports.begin(), over.Reports.end(), "maximum nesting depth exceeded"), over.Reports.end());
  ExpectConsistent(*over.Doc);
  std::string deep(3000000, '<');
  for (size_t i = 1; i < deep.size(); i += 3) deep[i] = 'a', deep[i + 1] = '>';
  TResult huge = Load(deep);  // a million unclosed levels
  EXPECT_NE(std::find(huge.Reports.begin(), huge.Reports.end(), "maximum nesting depth exceeded"), huge.Reports.end());
  ExpectConsistent(*huge.Doc);
  EXPECT_FALSE(huge.Doc->WriteToString().empty());
}

}  // namespace t_plain_xml_well_formed_test
