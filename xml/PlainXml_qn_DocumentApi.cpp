// The document's surface beyond loading and saving: top-level content, white
// space removal, walks, node and attribute factories and Base64 helpers.
#include <cstdio>

#include "xml/PlainXml_qn.h"

namespace qn {

void sdWalkNodes(const TsdNodeList& Roots, const std::function<bool(TXmlNode*)>& Visit) {
  // Positions in each open list instead of asking a node for its next
  // sibling, which costs a search of the parent's list.
  struct Level {
    const TsdNodeList* List;
    Integer Next;
  };
  std::vector<Level> stack{{&Roots, 0}};
  while (!stack.empty()) {
    Level& l = stack.back();
    if (l.Next >= l.List->Count()) {
      stack.pop_back();
      continue;
    }
    TXmlNode* n = l.List->GetItems(l.Next++);
    if (Visit(n) && n->GetNodeCount() > 0 && n->Is<TsdContainerNode>())
      stack.push_back({&static_cast<TsdContainerNode*>(n)->Nodes(), 0});
  }
}

// ---------------------------------------------------------------------------
// Top-level content

TsdStyleSheet* TPlainXml::StyleSheet() {
  if (TXmlNode* n = FRootNodes->ByType(xeStylesheet)) return static_cast<TsdStyleSheet*>(n);
  auto* s = new TsdStyleSheet(this);
  FRootNodes->Insert(FRootNodes->Count() < 1 ? FRootNodes->Count() : 1, s);
  return s;
}

UTF8String TPlainXml::CommentString() const {
  TXmlNode* c = FRootNodes->ByType(xeComment);
  return c ? c->GetValue() : UTF8String();
}

void TPlainXml::SetCommentString(const UTF8String& Value) {
  if (TXmlNode* c = FRootNodes->ByType(xeComment)) {
    c->SetValue(Value);
    return;
  }
  if (Value.empty()) return;
  auto* c = new TsdComment(this);
  c->SetValue(Value);
  FRootNodes->Insert(FRootNodes->Count() < 1 ? FRootNodes->Count() : 1, c);
}

TsdContainerNode* TPlainXml::GetRootContainers(Integer Index) const {
  for (Integer i = 0; i < FRootNodes->Count(); ++i) {
    TXmlNode* n = FRootNodes->GetItems(i);
    if (n->Is<TsdContainerNode>() && Index-- == 0) return static_cast<TsdContainerNode*>(n);
  }
  return nullptr;
}

Integer TPlainXml::GetRootContainerCount() const {
  Integer n = 0;
  for (Integer i = 0; i < FRootNodes->Count(); ++i)
    if (FRootNodes->GetItems(i)->Is<TsdContainerNode>()) ++n;
  return n;
}

bool TPlainXml::IsEmpty() const {
  TsdElement* r = Root();
  return !r || r->IsClear();
}

UTF8String TPlainXml::LineFeed() const { return FXmlFormat == xfReadable ? "\r\n" : "\n"; }

void TPlainXml::SetXmlFormat(TXmlFormatType Value) {
  if (Value == FXmlFormat) return;
  if (FXmlFormat == xfPreserve) RemoveWhitespace();
  FXmlFormat = Value;
}

void TPlainXml::SetPreserveWhiteSpace(bool Value) {
  if (Value) SetXmlFormat(xfPreserve);
}

void TPlainXml::RemoveWhitespace() {
  // Each list is compacted in one pass: deleting nodes one by one from the
  // middle of a long list would cost its length every time.
  auto compact = [](TsdContainerNode* c) {
    TsdNodeList& list = c->Nodes();
    Integer n = list.Count();
    Integer direct = c->GetDirectNodeCount(), value = c->ValueIndex();
    Integer newDirect = 0, newValue = -1, kept = 0;
    std::vector<TXmlNode*> dropped;
    TXmlNode** items = list.List();
    for (Integer i = 0; i < n; ++i) {
      TXmlNode* x = items[i];
      bool drop = false;
      TClass cls = x->ClassType();
      if (cls == TsdWhiteSpace::StaticClass()) {
        drop = true;
      } else if (cls == TsdCharData::StaticClass()) {
        auto* t = static_cast<TsdCharData*>(x);
        const std::string_view v = t->GetCoreView(), core = sdTrimView(v);
        if (core.empty()) drop = true;
        else if (core.size() < v.size()) t->SetCoreValue(UTF8String(core));
      }
      if (drop) {
        dropped.push_back(x);
        continue;
      }
      if (i < direct) ++newDirect;
      if (i == value) newValue = kept;
      items[kept++] = x;
    }
    c->SetCounters(kept, newDirect, newValue);
    for (TXmlNode* x : dropped) delete x;
  };
  std::vector<TsdContainerNode*> containers;
  sdWalkNodes(*FRootNodes, [&](TXmlNode* n) {
    if (n->Is<TsdContainerNode>()) containers.push_back(static_cast<TsdContainerNode*>(n));
    return true;
  });
  for (TsdContainerNode* c : containers) compact(c);
  // Top-level text goes as a whole.
  Integer kept = 0;
  std::vector<TXmlNode*> dropped;
  TXmlNode** items = FRootNodes->List();
  for (Integer i = 0, n = FRootNodes->Count(); i < n; ++i) {
    TXmlNode* x = items[i];
    if (x->ClassType() == TsdCharData::StaticClass() || x->ClassType() == TsdWhiteSpace::StaticClass()) dropped.push_back(x);
    else items[kept++] = x;
  }
  FRootNodes->Truncate(kept);
  for (TXmlNode* x : dropped) delete x;
}

void TPlainXml::ForEach(TObject* Sender, const TsdXmlNodeEvent& Method) {
  if (!Assigned(Method) || !Sender) return;
  sdWalkNodes(*FRootNodes, [&](TXmlNode* n) {
    Method(Sender, n);
    return true;
  });
}

void TPlainXml::MoveSubNodes(const std::vector<TXmlNode*>& List, TXmlNode* FromNode, TXmlNode* ToNode) {
  if (List.empty() || !FromNode || !ToNode || !FromNode->Is<TsdContainerNode>() || !ToNode->Is<TsdContainerNode>()) return;
  auto* from = static_cast<TsdContainerNode*>(FromNode);
  auto* to = static_cast<TsdContainerNode*>(ToNode);
  std::vector<TXmlNode*> moving;
  for (TXmlNode* n : List)
    if (n && n->Parent() == FromNode && n != ToNode) moving.push_back(n);
  if (moving.empty()) return;
  // Taken out of the source list in one pass, then added in list order.
  std::sort(moving.begin(), moving.end());
  moving.erase(std::unique(moving.begin(), moving.end()), moving.end());
  std::vector<TXmlNode*> order;
  TsdNodeList& list = from->Nodes();
  Integer direct = from->GetDirectNodeCount(), value = from->ValueIndex();
  Integer kept = 0, newDirect = 0, newValue = -1;
  TXmlNode** items = list.List();
  for (Integer i = 0, n = list.Count(); i < n; ++i) {
    TXmlNode* x = items[i];
    if (std::binary_search(moving.begin(), moving.end(), x)) {
      order.push_back(x);
      continue;
    }
    if (i < direct) ++newDirect;
    if (i == value) newValue = kept;
    items[kept++] = x;
  }
  from->SetCounters(kept, newDirect, newValue);
  // Keep the caller's order of the list.
  std::vector<TXmlNode*> byList;
  for (TXmlNode* n : List)
    if (std::find(order.begin(), order.end(), n) != order.end() &&
        std::find(byList.begin(), byList.end(), n) == byList.end())
      byList.push_back(n);
  for (TXmlNode* n : byList) {
    TsdContainerNode::Unlink(n);
    to->NodeAdd(n);
  }
}

// ---------------------------------------------------------------------------
// Node factories

TXmlNode* TPlainXml::NodeNewTextTypeAttr(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                                          const TAttributeArray& Attributes, const TNodeArray& SubNodes) {
  TClass cls = cNodeClass(AType);
  if (!cls) throw Exception(u"cannot create node of type " + FromUtf8(ElementTypeName(AType)));
  std::unique_ptr<TXmlNode> n(static_cast<TXmlNode*>(cls->Create(this)));
  n->SetName(AName);
  if (!AValue.empty()) n->SetValue(AValue);
  for (TsdAttribute* a : Attributes)
    if (a) n->AttributeAdd(a);
  for (TXmlNode* s : SubNodes)
    if (s) n->NodeAdd(s);
  return n.release();
}

TXmlNode* TPlainXml::NodeNew(const UTF8String& AName, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, "", xeElement, {}, SubNodes);
}
TXmlNode* TPlainXml::NodeNewType(const UTF8String& AName, TsdElementType AType, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, "", AType, {}, SubNodes);
}
TXmlNode* TPlainXml::NodeNewAttr(const UTF8String& AName, const TAttributeArray& Attributes, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, "", xeElement, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewText(const UTF8String& AName, const UTF8String& AValue, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, AValue, xeElement, {}, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTextType(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                                     const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, AValue, AType, {}, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTextAttr(const UTF8String& AName, const UTF8String& AValue,
                                     const TAttributeArray& Attributes, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, AValue, xeElement, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewInt(const UTF8String& AName, Integer AValue, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, sdIntToString(AValue), xeElement, {}, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntType(const UTF8String& AName, Integer AValue, TsdElementType AType,
                                    const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, sdIntToString(AValue), AType, {}, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntAttr(const UTF8String& AName, Integer AValue, const TAttributeArray& Attributes,
                                    const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, sdIntToString(AValue), xeElement, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntTypeAttr(const UTF8String& AName, Integer AValue, TsdElementType AType,
                                        const TAttributeArray& Attributes, const TNodeArray& SubNodes) {
  return NodeNewTextTypeAttr(AName, sdIntToString(AValue), AType, Attributes, SubNodes);
}

TXmlNode* TPlainXml::NodeNewEx(const UTF8String& AName, TXmlNode*& ANode, const TNodeArray& SubNodes) {
  return ANode = NodeNew(AName, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTypeEx(const UTF8String& AName, TsdElementType AType, TXmlNode*& ANode,
                                   const TNodeArray& SubNodes) {
  return ANode = NodeNewType(AName, AType, SubNodes);
}
TXmlNode* TPlainXml::NodeNewAttrEx(const UTF8String& AName, const TAttributeArray& Attributes, TXmlNode*& ANode,
                                   const TNodeArray& SubNodes) {
  return ANode = NodeNewAttr(AName, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTextEx(const UTF8String& AName, const UTF8String& AValue, TXmlNode*& ANode,
                                   const TNodeArray& SubNodes) {
  return ANode = NodeNewText(AName, AValue, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTextTypeEx(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                                       TXmlNode*& ANode, const TNodeArray& SubNodes) {
  return ANode = NodeNewTextType(AName, AValue, AType, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTextAttrEx(const UTF8String& AName, const UTF8String& AValue,
                                       const TAttributeArray& Attributes, TXmlNode*& ANode,
                                       const TNodeArray& SubNodes) {
  return ANode = NodeNewTextAttr(AName, AValue, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewTextTypeAttrEx(const UTF8String& AName, const UTF8String& AValue, TsdElementType AType,
                                           const TAttributeArray& Attributes, TXmlNode*& ANode,
                                           const TNodeArray& SubNodes) {
  return ANode = NodeNewTextTypeAttr(AName, AValue, AType, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntEx(const UTF8String& AName, Integer AValue, TXmlNode*& ANode,
                                  const TNodeArray& SubNodes) {
  return ANode = NodeNewInt(AName, AValue, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntTypeEx(const UTF8String& AName, Integer AValue, TsdElementType AType, TXmlNode*& ANode,
                                      const TNodeArray& SubNodes) {
  return ANode = NodeNewIntType(AName, AValue, AType, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntAttrEx(const UTF8String& AName, Integer AValue, const TAttributeArray& Attributes,
                                      TXmlNode*& ANode, const TNodeArray& SubNodes) {
  return ANode = NodeNewIntAttr(AName, AValue, Attributes, SubNodes);
}
TXmlNode* TPlainXml::NodeNewIntTypeAttrEx(const UTF8String& AName, Integer AValue, TsdElementType AType,
                                          const TAttributeArray& Attributes, TXmlNode*& ANode,
                                          const TNodeArray& SubNodes) {
  return ANode = NodeNewIntTypeAttr(AName, AValue, AType, Attributes, SubNodes);
}

// ---------------------------------------------------------------------------
// Attribute factories

TsdAttribute* TPlainXml::AttrText(const UTF8String& AName, const UTF8String& AValue) {
  auto* a = new TsdAttribute(this);
  a->SetName(AName);
  a->SetValue(AValue);
  return a;
}

TsdAttribute* TPlainXml::AttrInt(const UTF8String& AName, Integer AValue) { return AttrText(AName, sdIntToString(AValue)); }

TsdAttribute* TPlainXml::AttrInt64(const UTF8String& AName, Int64 AValue) {
  return AttrText(AName, sdInt64ToString(AValue));
}

namespace {
UTF8String HexText(UInt64 v, Integer digits) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
  UTF8String d = buf;
  if (digits > 64) digits = 64;
  if (static_cast<Integer>(d.size()) < digits) d.insert(0, static_cast<size_t>(digits) - d.size(), '0');
  return "$" + d;
}
}  // namespace

TsdAttribute* TPlainXml::AttrHex(const UTF8String& AName, Integer AValue, Integer ADigits) {
  return AttrText(AName, HexText(static_cast<Cardinal>(AValue), ADigits));
}

TsdAttribute* TPlainXml::AttrHex(const UTF8String& AName, Int64 AValue, Integer ADigits) {
  return AttrText(AName, HexText(static_cast<UInt64>(AValue), ADigits));
}

TsdAttribute* TPlainXml::AttrFloat(const UTF8String& AName, double AValue) {
  return AttrText(AName, sdFloatToString(AValue, 6, true));
}

TsdAttribute* TPlainXml::AttrFloat(const UTF8String& AName, double AValue, Integer SignificantDigits,
                                   bool AllowScientific) {
  return AttrText(AName, sdFloatToString(AValue, SignificantDigits, AllowScientific));
}

TsdAttribute* TPlainXml::AttrDateTime(const UTF8String& AName, TDateTime AValue) {
  return AttrText(AName, sdDateTimeToString(AValue, true, true, FSplitSecondDigits, FUseLocalBias));
}

TsdAttribute* TPlainXml::AttrBool(const UTF8String& AName, bool AValue) { return AttrText(AName, sdBoolToString(AValue)); }

// ---------------------------------------------------------------------------
// Base64

UTF8String TPlainXml::EncodeBase64(const RawByteString& Source, const UTF8String& ControlChars) {
  return sdAddControlChars(qn::EncodeBase64(Source), ControlChars, 76);
}

RawByteString TPlainXml::DecodeBase64(const UTF8String& Source, const TsdDebugEvent& OnDebug) {
  try {
    return qn::DecodeBase64(Source);
  } catch (const EFilerError&) {
    if (Assigned(OnDebug)) OnDebug(nullptr, wsFail, "error while calculating streamlength");
    return {};
  }
}

}  // namespace qn
