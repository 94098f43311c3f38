// Loading binary XML: raw bytes, or one of a few documents saved in binary
// form and then damaged by the input. No exception escapes a load, the
// document is whole afterwards, and a load that reported no failure gives a
// document that saves (in binary and as text) and loads back equal.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xml/PlainXml_qn.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Whole(TPlainXml& d) {
  sdWalkNodes(*d.RootNodeList(), [](TXmlNode* n) {
    for (Integer i = 0; i < n->GetNodeCount(); ++i) Check(n->GetNodes(i)->Parent() == n);
    if (n->Is<TsdContainerNode>()) {
      auto* c = static_cast<TsdContainerNode*>(n);
      Check(c->GetDirectNodeCount() <= c->GetNodeCount());
      for (Integer i = 0; i < c->GetNodeCount(); ++i)
        if (c->GetNodes(i)->ElementType() == xeAttribute) Check(i < c->GetDirectNodeCount());
      Check(c->ValueIndex() < c->GetNodeCount());
      if (c->ValueIndex() >= 0) Check(c->GetNodes(c->ValueIndex())->Is<TsdCharData>());
    }
    return true;
  });
}

const char* const kTexts[] = {
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<r a=\"1\"  b='2'><i>t &amp; u</i><i/><![CDATA[c]]><!--x--><?p q?></r>",
    "<!DOCTYPE r SYSTEM \"r.dtd\" [<!ELEMENT r ANY><!ENTITY e \"v\"><!ATTLIST r a CDATA 'x'>]><r>&e;</r>",
    "<a><b><c><d>deep</d></c></b><b>again</b></a>",
};

std::string SavedBinary(int i) {
  TPlainXml d(nullptr);
  d.ReadFromString(kTexts[i % 3]);
  TsdStringStream s("");
  d.SaveToBinaryStream(&s);
  return s.DataString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool init = (InitPlainXml(), true);
  (void)init;
  if (size < 1) return 0;
  std::string bytes;
  if (data[0] & 1) {
    // A saved document, damaged: pairs of (position, xor) bytes.
    bytes = SavedBinary(data[0] >> 1);
    for (size_t i = 1; i + 1 < size; i += 2) bytes[data[i] % bytes.size()] ^= static_cast<char>(data[i + 1]);
    if (size % 2 == 0) bytes.resize(data[size - 1] % (bytes.size() + 1));
  } else {
    bytes.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  }
  TPlainXml d(nullptr);
  d.SetMaxNestingDepth(256);
  bool failed = false;
  d.SetOnDebugOut(TsdDebugEvent([&failed](TObject*, TsdWarnStyle w, const UTF8String&) {
    if (w == wsFail) failed = true;
  }));
  TsdStringStream s(bytes);
  d.LoadFromBinaryStream(&s);
  Whole(d);
  std::string text = d.WriteToLocalString();
  if (failed) return 0;
  TsdStringStream bin("");
  d.SaveToBinaryStream(&bin);
  TPlainXml b(nullptr);
  TsdStringStream in(bin.DataString());
  b.LoadFromBinaryStream(&in);
  Whole(b);
  Check(b.WriteToLocalString() == text);
  return 0;
}
