#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "xml/PlainXml_qn.h"

namespace t_plain_xml_nodes_test {

using namespace qn;

namespace {

struct TRecorder {
  std::vector<std::pair<TsdWarnStyle, UTF8String>> Got;
  TsdDebugEvent Event() {
    return TsdDebugEvent([this](TObject*, TsdWarnStyle w, const UTF8String& m) { Got.push_back({w, m}); });
  }
};

template <class F>
std::string ThrownText(F&& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}

// The container's list as the reference sees it: nodes in order, how many
// belong to the start tag, and which node carries the value.
struct TModel {
  std::vector<TXmlNode*> Nodes;
  Integer Direct = 0;
  TXmlNode* ValueNode = nullptr;
  UTF8String Value;
};

void CheckAgainst(TsdElement* e, const TModel& m) {
  ASSERT_EQ(e->GetNodeCount(), static_cast<Integer>(m.Nodes.size()));
  for (Integer i = 0; i < e->GetNodeCount(); ++i) {
    ASSERT_EQ(e->GetNodes(i), m.Nodes[static_cast<size_t>(i)]) << i;
    ASSERT_EQ(e->GetNodes(i)->Parent(), e);
  }
  ASSERT_EQ(e->GetDirectNodeCount(), m.Direct);
  auto it = std::find(m.Nodes.begin(), m.Nodes.end(), m.ValueNode);
  ASSERT_EQ(e->ValueIndex(), m.ValueNode ? static_cast<Integer>(it - m.Nodes.begin()) : -1);
  ASSERT_EQ(e->GetValue(), m.Value);
  // The split: only attributes in the start tag, none after it.
  for (Integer i = 0; i < e->GetNodeCount(); ++i)
    ASSERT_EQ(e->GetNodes(i)->Is<TsdAttribute>(), i < m.Direct) << i;
}

}  // namespace

TEST(PlainXml_qn_Nodes, ListOperationsKeepTheStartTagAndValueNodeRight) {
  std::mt19937 rng(12);
  TPlainXml doc(nullptr);
  for (int round = 0; round < 40; ++round) {
    TsdElement* e = static_cast<TsdElement*>(doc.Root()->NodeNew("e"));
    TModel m;
    int serial = 0;
    auto name = [&] { return "n" + std::to_string(rng() % 7) + "_" + std::to_string(serial++); };
    for (int step = 0; step < 150; ++step) {
      Integer count = static_cast<Integer>(m.Nodes.size());
      switch (rng() % 10) {
        case 0: {  // a child element at the end
          TXmlNode* n = e->NodeNew(name());
          m.Nodes.push_back(n);
          break;
        }
        case 1: {  // a node inserted anywhere: attributes join the start tag, the rest stays after it
          bool attr = rng() % 2;
          TXmlNode* n = attr ? static_cast<TXmlNode*>(new TsdAttribute(&doc, name(), "v"))
                             : static_cast<TXmlNode*>(new TsdElement(&doc, name()));
          Integer at = static_cast<Integer>(rng() % static_cast<unsigned>(count + 3)) - 1;
          e->NodeInsert(at, n);
          Integer want = std::clamp<Integer>(at, 0, count);
          if (attr) want = std::min(want, m.Direct++);
          else want = std::max(want, m.Direct);
          m.Nodes.insert(m.Nodes.begin() + want, n);
          break;
        }
        case 2: {
          Integer at = static_cast<Integer>(rng() % static_cast<unsigned>(count + 1));
          TXmlNode* n = e->NodeNewAtIndex(at, name());
          m.Nodes.insert(m.Nodes.begin() + std::max(at, m.Direct), n);
          break;
        }
        case 3:
          if (count) {
            Integer at = static_cast<Integer>(rng() % static_cast<unsigned>(count));
            TXmlNode* n = m.Nodes[static_cast<size_t>(at)];
            if (at < m.Direct) --m.Direct;
            if (n == m.ValueNode) { m.ValueNode = nullptr; m.Value.clear(); }
            m.Nodes.erase(m.Nodes.begin() + at);
            e->NodeDelete(at);
          }
          break;
        case 4:
          if (count) {
            Integer at = static_cast<Integer>(rng() % static_cast<unsigned>(count));
            TXmlNode* n = m.Nodes[static_cast<size_t>(at)];
            if (at < m.Direct) --m.Direct;
            if (n == m.ValueNode) { m.ValueNode = nullptr; m.Value.clear(); }
            m.Nodes.erase(m.Nodes.begin() + at);
            ASSERT_EQ(e->NodeExtract(n), n);
            EXPECT_EQ(n->Parent(), nullptr);
            delete n;
          }
          break;
        case 5:
          if (count) {
            Integer i = static_cast<Integer>(rng() % static_cast<unsigned>(count));
            Integer j = static_cast<Integer>(rng() % static_cast<unsigned>(count));
            e->NodeExchange(i, j);
            if ((i < m.Direct) == (j < m.Direct)) std::swap(m.Nodes[static_cast<size_t>(i)], m.Nodes[static_cast<size_t>(j)]);
          }
          break;
        case 6: {
          TsdAttribute* a = e->AttributeAdd(name(), "x");
          m.Nodes.insert(m.Nodes.begin() + m.Direct++, a);
          break;
        }
        case 7: {
          UTF8String v = rng() % 3 ? "value" + std::to_string(rng() % 100) : "";
          e->SetValue(v);
          if (v.empty()) {
            if (m.ValueNode) m.Nodes.erase(std::find(m.Nodes.begin(), m.Nodes.end(), m.ValueNode));
            m.ValueNode = nullptr;
          } else if (!m.ValueNode) {
            m.ValueNode = e->GetNodes(m.Direct);
            m.Nodes.insert(m.Nodes.begin() + m.Direct, m.ValueNode);
          }
          m.Value = v;
          break;
        }
        case 8: {
          e->SortChildNodes();
          std::vector<TXmlNode*> kids(m.Nodes.begin() + m.Direct, m.Nodes.end());
          std::vector<TXmlNode*> got;
          for (Integer i = m.Direct; i < e->GetNodeCount(); ++i) got.push_back(e->GetNodes(i));
          std::vector<TXmlNode*> a = kids, b = got;
          std::sort(a.begin(), a.end());
          std::sort(b.begin(), b.end());
          ASSERT_EQ(a, b);  // the same children, now ordered by name
          for (size_t i = 1; i < got.size(); ++i) ASSERT_LE(Utf8CompareText(got[i - 1]->GetName(), got[i]->GetName()), 0);
          std::copy(got.begin(), got.end(), m.Nodes.begin() + m.Direct);
          break;
        }
        default: {  // plain character data added: not the value
          auto* c = new TsdCharData(&doc);
          c->SetValue("text");
          e->NodeAdd(c);
          m.Nodes.push_back(c);
        }
      }
      CheckAgainst(e, m);
      if (HasFatalFailure()) return;
    }
    e->Delete();
  }
}

TEST(PlainXml_qn_Nodes, ValuesNamesAndLookUp) {
  TPlainXml doc("QuarnRes", nullptr);
  TsdElement* root = doc.Root();
  TXmlNode* config = root->NodeNew("Config");
  TXmlNode* custom = config->NodeNew("Custom");
  TXmlNode* form = custom->NodeNew("FORM");
  form->SetValueAsInteger(12);
  // Empty, then non-empty values: the value node goes and comes back after the attributes.
  custom->AttributeAdd("form", "attr");
  custom->SetValue("x");
  EXPECT_EQ(custom->GetNodes(1)->ElementType(), xeCharData);
  custom->SetValue("");
  EXPECT_EQ(custom->GetValue(), "");
  EXPECT_EQ(custom->GetNodeCount(), 2);
  custom->SetValue("");  // nothing to remove, nothing added
  EXPECT_EQ(custom->GetNodeCount(), 2);
  custom->SetValue("again");
  EXPECT_EQ(static_cast<TsdElement*>(custom)->ValueIndex(), 1);

  EXPECT_EQ(root->FindNode("form"), form);  // any case, any depth, attributes are not descendants
  EXPECT_EQ(root->FindNode("/quarnres/config"), config);
  EXPECT_EQ(root->FindNode("/QuarnRes/Config/Custom/Form"), form);
  EXPECT_EQ(root->FindNode("Nothing"), nullptr);
  EXPECT_EQ(custom->NodeByName("Form")->ElementType(), xeAttribute);  // attributes come first
  EXPECT_TRUE(custom->HasAttribute("form"));
  EXPECT_FALSE(custom->HasAttribute("Form"));  // exact bytes
  EXPECT_EQ(custom->GetAttributeByName("FORM")->GetValue(), "attr");
  EXPECT_EQ(form->GetFullPath(), "/QuarnRes/Config/Custom/FORM");
  EXPECT_EQ(form->TreeDepth(), 3);
  EXPECT_EQ(form->GetParentNodeName(2), "Config");

  EXPECT_EQ(form->GetValueAsInteger(), 12);
  form->SetValue("12x");
  EXPECT_THROW(form->GetValueAsInteger(), EConvertError);
  EXPECT_EQ(form->GetValueAsIntegerDef(7), 7);
  form->SetValue("1,5");
  EXPECT_THROW(form->GetValueAsFloat(), EConvertError);
  EXPECT_EQ(form->GetValueAsFloatDef(0), 1.5);

  // Escaping, line breaks and references round the stored form.
  auto* c = new TsdCharData(&doc, "", "a < b & \"c\"\r\nd");
  root->NodeAdd(c);
  EXPECT_EQ(c->GetCoreValue(), "a &lt; b &amp; &quot;c&quot;\nd");
  EXPECT_EQ(c->GetValue(), "a < b & \"c\"\r\nd");  // the document's CR LF
  doc.SetEolStyle(esLF);
  EXPECT_EQ(c->GetValue(), "a < b & \"c\"\nd");
  auto* cd = new TsdCData(&doc, "", "raw <&> text");
  root->NodeAdd(cd);
  EXPECT_EQ(cd->GetCoreValue(), "raw <&> text");
  c->SetCoreValue("&custom; &#65;");
  EXPECT_TRUE(c->HasNonStandardReferences());
  EXPECT_EQ(c->GetValue(), "&custom; A");
  c->SetCoreValue("  x ");
  EXPECT_TRUE(c->IsWhiteSpace());

  TRecorder rec;
  doc.SetOnDebugOut(rec.Event());
  c->SetName("ignored");
  ASSERT_EQ(rec.Got.size(), 1u);
  EXPECT_EQ(rec.Got[0], std::make_pair(wsHint, UTF8String("cannot set name on this type of element")));
  EXPECT_EQ(c->GetName(), "CharData");

  // Node-by-attribute search, direct and recursive.
  TXmlNode* list = root->NodeNew("list");
  for (int i = 0; i < 3; ++i) list->NodeNew("item")->AttributeAdd("id", "k" + std::to_string(i));
  list->GetNodes(1)->NodeNew("item")->AttributeAdd("id", "deep");
  EXPECT_EQ(list->NodeByAttributeValue("ITEM", "id", "K2"), list->GetNodes(2));
  EXPECT_EQ(list->NodeByAttributeValue("item", "id", "deep"), nullptr);
  EXPECT_EQ(list->NodeByAttributeValue("item", "id", "deep", true), list->GetNodes(1)->GetNodes(1));
}

TEST(PlainXml_qn_Nodes, MisuseRaisesTheLibrarysTexts) {
  TPlainXml doc(nullptr);
  TComponent plain(nullptr);
  EXPECT_EQ(ThrownText([&] { TsdElement e(&plain); }), "XML owner is not assigned");
  EXPECT_EQ(ThrownText([&] { TsdElement e(nullptr); }), "XML owner is not assigned");
  EXPECT_EQ(ThrownText([&] { TsdElement e(&doc, static_cast<TXmlNode*>(nullptr)); }), "XML parent is not assigned");
  TsdCharData c(&doc);
  EXPECT_EQ(ThrownText([&] { c.NodeNew("x"); }), "cannot add node to this type of element");
  EXPECT_EQ(ThrownText([&] { c.NodeDelete(0); }), "cannot manipulate nodes in this type of element");
  TsdDeclaration decl(&doc);
  EXPECT_EQ(ThrownText([&] { decl.SetName("x"); }), "cannot set name on this type of element");
  EXPECT_EQ(ThrownText([&] { decl.SetValue("x"); }), "cannot set value on this type of element");
  EXPECT_EQ(ThrownText([&] { c.CopyFrom(&plain); }), "CopyFrom can only be used with TXmlNode descendants");
  EXPECT_EQ(ThrownText([&] { doc.Root()->NodeAdd(doc.Root()); }), "cannot add a node below itself");
  TXmlNode* child = doc.Root()->NodeNew("child");
  EXPECT_EQ(ThrownText([&] { child->NodeAdd(doc.Root()); }), "cannot add a node below itself");
  EXPECT_EQ(ThrownText([&] { doc.RootNodeList()->GetNextSiblingOf(&c); }), "index must be >= 0");

  // A node of another document is refused (its ids belong to another table).
  TRecorder rec;
  doc.SetOnDebugOut(rec.Event());
  TPlainXml other(nullptr);
  auto* foreign = new TsdAttribute(&other, "a", "b");
  EXPECT_EQ(doc.Root()->AttributeAdd(foreign), nullptr);
  EXPECT_EQ(doc.Root()->NodeAdd(foreign), -1);
  ASSERT_EQ(rec.Got.size(), 2u);
  EXPECT_EQ(rec.Got[0], std::make_pair(wsFail, UTF8String("XML owner is not assigned")));
  delete foreign;

  // The constructor forms with parent and neighbour.
  auto* a = new TsdElement(&doc, doc.Root());
  auto* b = new TsdElement(&doc, doc.Root(), a, true);
  auto* d = new TsdElement(&doc, doc.Root(), a, false);
  EXPECT_EQ(doc.Root()->NodeIndexOf(b), 1);
  EXPECT_EQ(doc.Root()->NodeIndexOf(a), 2);
  EXPECT_EQ(doc.Root()->NodeIndexOf(d), 3);
  // Moving a node takes it out of its old parent first.
  d->NodeAdd(child);
  EXPECT_EQ(doc.Root()->NodeIndexOf(child), -1);
  EXPECT_EQ(child->Parent(), d);
}

TEST(PlainXml_qn_Nodes, TypedReadersAndWriters) {
  TPlainXml doc(nullptr);
  TXmlNode* r = doc.Root();
  r->WriteHex("Color", 255, 4);
  EXPECT_EQ(r->ReadString("Color"), "$00FF");
  EXPECT_EQ(r->ReadInteger("color"), 255);
  r->WriteInteger("Count", 5);
  r->WriteBool("On", true);
  r->WriteFloat("Ratio", 0.25);
  EXPECT_EQ(r->ReadString("Ratio"), ".25");
  EXPECT_EQ(r->ReadFloat("Ratio"), 0.25);
  EXPECT_TRUE(r->ReadBool("on"));
  EXPECT_EQ(r->ReadInteger("Missing", 9), 9);
  doc.SetWriteOnDefault(false);
  r->WriteInteger("Count", 0, 0);  // equal to its default: the old value stays
  EXPECT_EQ(r->ReadInteger("Count"), 5);
  r->WriteInteger("Fresh", 0, 0);
  EXPECT_EQ(r->NodeByName("Fresh"), nullptr);
  r->WriteAttributeInteger("w", 3, 3);
  EXPECT_FALSE(r->HasAttribute("w"));
  doc.SetWriteOnDefault(true);
  r->WriteAttributeInteger("w", 3, 3);
  r->WriteAttributeBool("b", true);
  r->WriteAttributeFloat("f", 1e10);
  EXPECT_EQ(r->ReadAttributeInteger("W"), 3);
  EXPECT_TRUE(r->ReadAttributeBool("b"));
  EXPECT_EQ(r->GetAttributeValueByName("f"), "1.00000E10");
  EXPECT_EQ(r->ReadAttributeInteger("none", -1), -1);
  r->WriteUnicodeString("Name", u"Gr\u00FC\u00DFe");
  EXPECT_EQ(r->ReadUnicodeString("Name"), u"Gr\u00FC\u00DFe");
  EXPECT_EQ(r->ReadAnsiString("Name"), "Gr\xFC\xDF" "e");
  TDateTime when = EncodeDate(2010, 3, 7) + EncodeTime(14, 5, 9, 0);
  r->WriteDateTime("When", when);
  EXPECT_EQ(r->ReadString("When"), "2010-03-07T14:05:09Z");
  EXPECT_EQ(r->ReadDateTime("When"), when);
  // Attributes come first, children after, whatever the order of writing.
  EXPECT_EQ(r->GetDirectNodeCount(), 3);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(r->GetNodes(i)->ElementType(), xeAttribute);
}

TEST(PlainXml_qn_Nodes, BinaryValues) {
  std::mt19937 rng(6);
  for (bool readable : {false, true}) {
    TPlainXml doc(nullptr);
    doc.SetXmlFormat(readable ? xfReadable : xfPreserve);
    TXmlNode* n = doc.Root()->NodeNew("a")->NodeNew("b");
    for (int len = 0; len <= 300; len += 1 + len / 10) {
      std::string bytes(static_cast<size_t>(len), '\0');
      for (auto& c : bytes) c = static_cast<char>(rng());
      n->BufferWrite(bytes.data(), len);
      EXPECT_EQ(n->BufferLength(), len);
      std::string back(static_cast<size_t>(len), '\0');
      n->BufferRead(back.data(), len);
      ASSERT_EQ(back, bytes) << len;
      ASSERT_EQ(n->GetBinaryString(), bytes);
      // Readable output breaks the text after every 76 characters, at the
      // node's own indent.
      UTF8String v = n->GetValue();
      if (readable && len > 57) {
        EXPECT_EQ(v.substr(76, 4), "\r\n\t\t");
      }
      if (!readable) {
        EXPECT_EQ(v.find('\n'), UTF8String::npos);
      }
    }
  }
  TPlainXml doc(nullptr);
  doc.Root()->SetValue("abc");
  EXPECT_THROW(doc.Root()->BufferLength(), EFilerError);
  doc.Root()->SetValue("0A0b");
  EXPECT_EQ(doc.Root()->GetBinaryString(xbeBinHex), "\x0A\x0B");
}

TEST(PlainXml_qn_Nodes, CopyCompareAndWalk) {
  TPlainXml a("r", nullptr), b("r", nullptr);
  TXmlNode* ra = a.Root();
  ra->AttributeAdd("k", "1");
  ra->NodeNew("x")->SetValue("one");
  ra->NodeNew("y")->NodeNew("z")->SetValue("deep");
  b.Root()->CopyFrom(ra);  // across documents: text re-interned
  TXmlNode* rb = b.Root();
  EXPECT_TRUE(rb->IsEqualTo(ra, xcAll()));
  ra->NodeByName("x")->SetValue("changed");  // independence
  EXPECT_EQ(rb->NodeByName("x")->GetValue(), "one");

  std::vector<TXmlNode*> bad;
  EXPECT_FALSE(rb->IsEqualTo(ra, {xcChildValues}, &bad));
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_EQ(bad[0], rb->NodeByName("x"));
  ra->NodeByName("x")->SetValue("ONE");  // values compare case-blind
  bad.clear();
  EXPECT_TRUE(rb->IsEqualTo(ra, {xcNodeName, xcAttribCount, xcChildCount, xcChildNames}, &bad));
  ra->NodeByName("y")->NodeByName("z")->SetValue("other");
  EXPECT_TRUE(rb->IsEqualTo(ra, {xcChildValues}, &bad));  // not recursive: z not looked at
  EXPECT_FALSE(rb->IsEqualTo(ra, {xcChildValues, xcRecursive}, &bad));
  EXPECT_EQ(bad.back(), rb->NodeByName("y")->NodeByName("z"));
  bad.clear();
  ra->SetAttributeValueByName("k", "2");
  EXPECT_FALSE(rb->IsEqualTo(ra, {xcAttribValues}, &bad));
  EXPECT_EQ(bad, std::vector<TXmlNode*>{rb->GetAttributeByName("k")});
  rb->NodeNew("extra");
  bad.clear();
  EXPECT_FALSE(rb->IsEqualTo(ra, {xcChildCount}, &bad));
  EXPECT_EQ(bad, std::vector<TXmlNode*>{rb});
  EXPECT_FALSE(rb->IsEqualTo(nullptr, xcAll()));

  // Copying an ancestor copies what it was; copying itself changes nothing.
  TXmlNode* z = rb->NodeByName("y")->NodeByName("z");
  z->CopyFrom(rb);
  EXPECT_EQ(z->NodeByName("y")->NodeByName("z")->GetValue(), "deep");
  rb->CopyFrom(rb);
  EXPECT_EQ(rb->NodeByName("x")->GetValue(), "one");

  // Document order.
  TPlainXml w("top", nullptr);
  TXmlNode* t = w.Root();
  t->AttributeAdd("at", "v");
  TXmlNode* p = t->NodeNew("p");
  p->NodeNew("q");
  t->NodeNew("s");
  std::vector<UTF8String> names;
  for (TXmlNode* n = w.FindFirst(); n; n = w.FindNext(n)) names.push_back(n->GetName());
  EXPECT_EQ(names, (std::vector<UTF8String>{"xml", "version", "encoding", "top", "at", "p", "q", "s"}));
}

TEST(PlainXml_qn_Nodes, MillionDeepChain) {
  TPlainXml doc(nullptr);
  TXmlNode* n = doc.Root();
  for (int i = 0; i < 1000000; ++i) n = n->NodeNew(i == 999999 ? "bottom" : "level");
  EXPECT_EQ(doc.Root()->FindNode("bottom"), n);
  std::vector<TXmlNode*> all;
  doc.Root()->FindNodes("level", &all);
  EXPECT_EQ(all.size(), 999999u);
  TPlainXml copy(nullptr);
  copy.Root()->CopyFrom(doc.Root());
  EXPECT_TRUE(copy.Root()->IsEqualTo(doc.Root(), xcAll()));
  n->SetValue("x");
  EXPECT_FALSE(copy.Root()->IsEqualTo(doc.Root(), xcAll()));
  copy.Root()->DeleteEmptyNodes();  // every level empties in turn
  EXPECT_EQ(copy.Root()->GetNodeCount(), 0);
  doc.Root()->DeleteEmptyNodes();  // the bottom has a value: nothing goes
  EXPECT_EQ(doc.Root()->FindNode("bottom"), n);
}

TEST(PlainXml_qn_Nodes, DocumentSkeletonAndDefaults) {
  TPlainXml plain(nullptr);
  ASSERT_EQ(plain.RootNodeCount(), 1);
  EXPECT_EQ(plain.Root()->GetName(), "");
  EXPECT_EQ(plain.Declaration(), nullptr);
  plain.New();
  ASSERT_EQ(plain.RootNodeCount(), 2);
  ASSERT_NE(plain.Declaration(), nullptr);
  EXPECT_EQ(plain.Declaration()->Version(), "1.0");
  EXPECT_EQ(plain.Declaration()->Encoding(), "utf-8");
  EXPECT_EQ(plain.GetOrCreateDeclarationNode(), plain.Declaration());

  TPlainXml named("Config", nullptr);
  EXPECT_EQ(named.Root()->GetName(), "Config");
  EXPECT_NE(named.Declaration(), nullptr);
  TPlainXml full(nullptr, true, true, true, "doc");
  ASSERT_NE(full.DocType(), nullptr);
  EXPECT_EQ(full.DocType()->GetName(), "doc");
  EXPECT_EQ(full.DocType()->ExternalID()->GetCoreValue(), "SYSTEM");
  EXPECT_EQ(full.RootNodes(1), full.DocType());

  EXPECT_EQ(plain.DirectCloseTag(), "/>");
  EXPECT_EQ(plain.EolStyle(), esCRLF);
  EXPECT_EQ(plain.IndentString(), "\t");
  EXPECT_EQ(plain.NodeClosingStyle(), ncClose);
  EXPECT_EQ(plain.XmlFormat(), xfPreserve);
  EXPECT_TRUE(plain.PreserveWhiteSpace());
  EXPECT_EQ(plain.FloatSignificantDigits(), 6);
  EXPECT_TRUE(plain.FloatAllowScientific());
  EXPECT_TRUE(plain.WriteOnDefault());
  EXPECT_FALSE(plain.FixStructuralErrors());
  EXPECT_EQ(plain.ExternalEncoding(), seUTF8);
  EXPECT_EQ(plain.ExternalCodepage(), 0);
  EXPECT_EQ(plain.AesKeyHex().size(), 32u);

  // Clear drops text from the table as well as the nodes.
  plain.Root()->NodeNew("child")->SetValue("text");
  Integer before = plain.SymbolTable()->GetSymbolCount();
  plain.Clear();
  EXPECT_LT(plain.SymbolTable()->GetSymbolCount(), before);
  EXPECT_EQ(plain.Root()->GetNodeCount(), 0);

  // Created by class name, as the designer does.
  TClass cls = GetClass(u"TPlainXml");
  ASSERT_NE(cls, nullptr);
  std::unique_ptr<TObject> made(cls->Create(nullptr));
  ASSERT_TRUE(made->Is<TPlainXml>());
  EXPECT_NE(static_cast<TPlainXml*>(made.get())->Root(), nullptr);

  // Events reach the document's handlers.
  std::vector<TXmlNode*> seen;
  plain.SetOnNodeNew(TsdXmlNodeEvent([&](TObject*, TXmlNode* n) { seen.push_back(n); }));
  plain.Root()->DoNodeNew(plain.Root());
  EXPECT_EQ(seen, std::vector<TXmlNode*>{plain.Root()});
  EXPECT_STREQ(ElementTypeName(xeCondSection), "ConditionalSection");
  EXPECT_EQ(cNodeClass(xeEndTag), nullptr);
  TsdConditionalSection cs(&plain);
  EXPECT_EQ(cs.ElementType(), xeComment);
}

}  // namespace t_plain_xml_nodes_test
