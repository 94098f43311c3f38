#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_binary_test {

using namespace qn;

namespace {

struct TDoc {
  std::unique_ptr<TPlainXml> Doc = std::make_unique<TPlainXml>(nullptr);
  std::vector<std::string> Reports;
  TDoc() {
    Doc->SetOnDebugOut(TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) {
      Reports.push_back(std::string("[") + cWarnStyleNames(w) + "] " + m);
    }));
  }
  bool HasPrefix(const std::string& report) const {
    for (const auto& r : Reports)
      if (r.compare(0, report.size(), report) == 0) return true;
    return false;
  }
};

std::string Binary(TPlainXml& d) {
  TsdStringStream s("");
  d.SaveToBinaryStream(&s);
  return s.DataString();
}

void LoadBinary(TPlainXml& d, const std::string& bytes) {
  TsdStringStream s(bytes);
  d.LoadFromBinaryStream(&s);
}

// Parents, start-tag counts and value indices all fit their lists.
void ExpectConsistent(TPlainXml& d) {
  sdWalkNodes(*d.RootNodeList(), [&](TXmlNode* n) {
    for (Integer i = 0; i < n->GetNodeCount(); ++i) EXPECT_EQ(n->GetNodes(i)->Parent(), n);
    if (n->Is<TsdContainerNode>()) {
      auto* c = static_cast<TsdContainerNode*>(n);
      EXPECT_LE(c->GetDirectNodeCount(), c->GetNodeCount());
      for (Integer i = 0; i < c->GetNodeCount(); ++i)
        EXPECT_EQ(i < c->GetDirectNodeCount(),
                  c->GetNodes(i)->ElementType() == xeAttribute ||
                      (i < c->GetDirectNodeCount() && c->GetNodes(i)->ElementType() == xeWhiteSpace));
      if (c->ValueIndex() >= 0) {
        EXPECT_LT(c->ValueIndex(), c->GetNodeCount());
        EXPECT_TRUE(c->GetNodes(c->ValueIndex())->Is<TsdCharData>());
      }
    }
    return true;
  });
}

const std::vector<std::string>& Corpus() {
  static const std::vector<std::string> c = {
      "<a/>",
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- top -->\r\n<r a=\"1\"   b='x &amp; y'>\r\n  <i id=\"1\">t\xC3\xA9xt</i>"
      "<![CDATA[raw <x>]]><?pi d?>\r\n  <e/><f/>\r\n</r>\r\n",
      "<!DOCTYPE r PUBLIC \"-//x//y\" 'r.dtd' [\r\n <!ELEMENT r ANY>\r\n <!ATTLIST r a CDATA \"x>y\">\r\n"
      " <!ENTITY e \"v\">\r\n <!ENTITY % p 'q'>\r\n %p;\r\n]>\r\n<r>&e;</r>",
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<?xml-stylesheet href=\"s.css\"?>\r\n<r>caf\xE9</r>",
  };
  return c;
}

}  // namespace

TEST(PlainXml_qn_Binary, LayoutAndStringTable) {
  TDoc d;
  d.Doc->ReadFromString("<r><a k=\"shared\">shared</a><b>once</b></r>");
  std::string bin = Binary(*d.Doc);
  EXPECT_EQ(bin.substr(0, 10), std::string("\x24\x42\x58\x4D\x02\x6E\x6F\x6E\x65\x0A", 10));
  // The table holds the one string used twice; "once" stands inline.
  EXPECT_EQ(bin.substr(10, 9), std::string("\x01\x00\x06shared", 9));
  EXPECT_EQ(d.Doc->SymbolTable()->PluralSymbolCount(), 1);
  size_t once = bin.find("once");
  ASSERT_NE(once, std::string::npos);
  EXPECT_EQ(bin.substr(once - 3, 3), std::string("\x00\x00\x04", 3));  // reference 0, style, length
  EXPECT_EQ(bin.back(), '\x10');
  TsdBinaryXml coder(nullptr);
  EXPECT_EQ(coder.ElementTypeCount(xeElement), 0u);

  // Cardinals: 127, 128, 300 and the five-group values round-trip; a fifth
  // group with bits beyond 32 does not.
  for (Cardinal v : {0u, 127u, 128u, 300u, 1u << 28, 0xFFFFFFFFu}) {
    TsdFastMemStream m;
    coder.WriteCardinal(&m, v);
    m.SetPosition(0);
    EXPECT_EQ(coder.ReadCardinal(&m), v);
  }
  TsdStringStream big(std::string("\xFF\xFF\xFF\xFF\x1F", 5));
  EXPECT_EQ(coder.ReadCardinal(&big), 0u);
}

TEST(PlainXml_qn_Binary, CorpusRoundTrips) {
  for (const std::string& text : Corpus()) {
    TDoc a;
    a.Doc->ReadFromString(text);
    std::string bin = Binary(*a.Doc);
    EXPECT_EQ(a.Doc->WriteToString(), text);  // saving binary renumbers strings, nothing else
    TDoc b;
    b.Doc->ReadFromString(bin);  // handed over by the text loader
    ExpectConsistent(*b.Doc);
    EXPECT_EQ(b.Doc->WriteToString(), text);
    ASSERT_EQ(a.Doc->RootNodeCount(), b.Doc->RootNodeCount());
    for (Integer i = 0; i < a.Doc->RootNodeCount(); ++i) {
      std::vector<TXmlNode*> bad;
      EXPECT_TRUE(a.Doc->RootNodes(i)->IsEqualTo(b.Doc->RootNodes(i), xcAll(), &bad)) << text;
    }
    EXPECT_EQ(Binary(*b.Doc).size(), bin.size());  // strings of equal use may change places
  }
  // Encoding after a binary load follows the declaration.
  TDoc c;
  c.Doc->ReadFromString(Binary(*TDoc().Doc));
  LoadBinary(*c.Doc, [] {
    TDoc x;
    x.Doc->ReadFromString(Corpus()[3]);
    return Binary(*x.Doc);
  }());
  EXPECT_EQ(c.Doc->ExternalCodepage(), 1252);
}

TEST(PlainXml_qn_Binary, HostileStreamsFailCleanly) {
  TDoc src;
  src.Doc->ReadFromString(Corpus()[1]);
  std::string bin = Binary(*src.Doc);
  // Refused before anything is touched.
  std::string v3 = bin;
  v3[4] = 3;
  std::string coded = bin;
  coded.replace(5, 4, "zlib");
  for (const std::string& s : {v3, coded, std::string("$BX")}) {
    TDoc d;
    std::string before = d.Doc->WriteToString();
    LoadBinary(*d.Doc, s);
    EXPECT_EQ(d.Doc->WriteToString(), before);
    EXPECT_TRUE(d.HasPrefix("[fail] ")) << d.Reports.size();
  }
  TDoc v;
  LoadBinary(*v.Doc, v3);
  EXPECT_TRUE(v.HasPrefix("[fail] incompatible binary version"));
  TDoc u;
  LoadBinary(*u.Doc, coded);
  EXPECT_TRUE(u.HasPrefix("[fail] OnDecode event unassigned"));

  // Every truncation, and random damage: no exception, a whole document.
  for (size_t n = 0; n < bin.size(); ++n) {
    TDoc d;
    LoadBinary(*d.Doc, bin.substr(0, n));
    EXPECT_TRUE(d.HasPrefix("[fail] ")) << n;
    ExpectConsistent(*d.Doc);
    TDoc again;
    again.Doc->ReadFromString(d.Doc->WriteToString());
  }
  std::mt19937 rng(3);
  for (int round = 0; round < 2000; ++round) {
    std::string s = bin;
    for (int k = 0; k < 3; ++k) s[10 + rng() % (s.size() - 10)] = static_cast<char>(rng());
    TDoc d;
    LoadBinary(*d.Doc, s);
    ExpectConsistent(*d.Doc);
    TDoc again;
    LoadBinary(*again.Doc, Binary(*d.Doc));
    EXPECT_EQ(again.Doc->WriteToLocalString(), d.Doc->WriteToLocalString());
  }
}

// Strings in a binary stream that are not UTF-8 are read as U+FFFD, as text
// from a file would be, so the document writes back as text that reads the same.
TEST(PlainXml_qn_Binary, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  const std::string bin("\x24\x42\x58\x4D\x02\x6E\x6F\x6E\x65\x0A\x00\x00\x02\x01\x02\x00\x00\x01\x72\x01\x01\x00\x00\x01\x61\x00\x41\x01\x31\x00\x02\x00\x00\x01\xDE\x10", 36);
  TDoc d;
  LoadBinary(*d.Doc, bin);
  ASSERT_NE(d.Doc->Root(), nullptr);
  EXPECT_EQ(d.Doc->Root()->GetValue(), "\xEF\xBF\xBD");
  for (Integer cp : {65001, 1200}) {
    d.Doc->SetExternalCodepage(cp);
    TDoc back;
    back.Doc->ReadFromString(d.Doc->WriteToString());
    ASSERT_NE(back.Doc->Root(), nullptr);
    EXPECT_TRUE(back.Doc->Root()->IsEqualTo(d.Doc->Root(), xcAll())) << cp;
  }
  EXPECT_EQ(sdValidUtf8("a\xC3\xA9\xF0\x9F\x98\x80"), "a\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(sdValidUtf8("a\xC0\xAF" "b"), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
}

TEST(PlainXml_qn_Binary, CoderEvents) {
  // A coder that flips every bit, to see the payload pass through it.
  auto flip = [](TStream* src, TStream* dst) {
    std::string b(static_cast<size_t>(src->Size() - src->Position()), '\0');
    src->ReadBuffer(b.data(), static_cast<Integer>(b.size()));
    for (char& c : b) c = static_cast<char>(~c);
    dst->WriteBuffer(b.data(), static_cast<Integer>(b.size()));
  };
  TDoc a;
  a.Doc->ReadFromString(Corpus()[1]);
  TsdBinaryXml enc(a.Doc.get());
  enc.SetDocument(a.Doc.get());
  enc.SetOnEncode(TXmlCoderEvent([&](TObject*, TStream* s, TStream* d, Int64, UTF8String& name) {
    flip(s, d);
    name = "flip";
  }));
  TsdFastMemStream m;
  enc.SaveToStream(&m);
  std::string bin(reinterpret_cast<char*>(m.Memory()), static_cast<size_t>(m.Size()));
  EXPECT_EQ(bin.substr(5, 4), "flip");
  TDoc b;
  TsdBinaryXml dec(b.Doc.get());
  dec.SetDocument(b.Doc.get());
  dec.SetOnDecode(TXmlCoderEvent([&](TObject*, TStream* s, TStream* d, Int64, UTF8String&) { flip(s, d); }));
  TsdStringStream in(bin);
  dec.LoadFromStream(&in);
  EXPECT_EQ(in.DataString(), bin);  // the caller's stream is left as it was
  EXPECT_EQ(b.Doc->WriteToString(), Corpus()[1]);
  EXPECT_TRUE(b.HasPrefix("[info] coder name: flip, compressed size: "));
  // A coder must name itself in four bytes.
  TsdBinaryXml bad(a.Doc.get());
  bad.SetDocument(a.Doc.get());
  bad.SetOnEncode(TXmlCoderEvent([&](TObject*, TStream* s, TStream* d, Int64, UTF8String& name) {
    flip(s, d);
    name = "toolong";
  }));
  TsdFastMemStream m2;
  a.Reports.clear();
  bad.SaveToStream(&m2);
  EXPECT_TRUE(a.HasPrefix("[fail] coder name length <> 4"));
  // The document's own path refuses other methods.
  a.Doc->SetBinaryMethod(bmZlib);
  a.Reports.clear();
  TsdFastMemStream m3;
  a.Doc->SaveToBinaryStream(&m3);
  EXPECT_TRUE(a.HasPrefix("[warn] binary method not available (check compiler defines)"));
}

TEST(PlainXml_qn_Binary, SmallerThanText) {
  std::mt19937 rng(5);
  const char* words[] = {"alpha", "beta", "gamma", "caf\xC3\xA9", "&amp;", "&lt;t&gt;"};
  std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<catalog>\r\n";
  for (int i = 0; s.size() < 1000000; ++i) {
    s += "  <rec n=\"" + std::to_string(i) + "\" a=\"" + words[rng() % 6] + "\"><e><f/></e>";
    for (int k = 0; k < 8; ++k) s += std::string(words[rng() % 6]) + " ";
    s += "</rec>\r\n";
  }
  s += "</catalog>";
  TDoc d;
  d.Doc->ReadFromString(s);
  std::string bin = Binary(*d.Doc);
  EXPECT_LT(bin.size(), s.size());
  TDoc b;
  LoadBinary(*b.Doc, bin);
  EXPECT_EQ(b.Doc->WriteToString(), s);
}

}  // namespace t_plain_xml_binary_test
