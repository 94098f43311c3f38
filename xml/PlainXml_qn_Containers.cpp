// Containers: the node list with its start-tag part and value node, elements,
// declarations and the document type; copying, comparing and sorting trees
// without recursion.
#include "xml/PlainXml_qn.h"

namespace qn {


TsdContainerNode::~TsdContainerNode() = default;

void TsdContainerNode::AdoptNode(TXmlNode* ANode) {
  // Only a node with children can be an ancestor; fresh nodes skip the walk,
  // so building a deep chain stays linear.
  if (ANode == this) throw Exception(u"cannot add a node below itself");
  if (ANode->GetNodeCount() > 0)
    for (TXmlNode* p = FParent; p; p = p->FParent)
      if (p == ANode) throw Exception(u"cannot add a node below itself");
  if (TXmlNode* old = ANode->FParent) {
    old->NodeExtract(ANode);
  } else if (TPlainXml* d = ANode->Document()) {
    // A root-level node has no parent but sits in the document's list.
    TsdNodeList* roots = d->RootNodeList();
    if (roots && roots->IndexOf(ANode) >= 0) {
      roots->SetOwnsObjects(false);
      roots->Remove(ANode);
      roots->SetOwnsObjects(true);
    }
  }
}

Integer TsdContainerNode::NodeAdd(TXmlNode* ANode) {
  if (!ANode) return -1;
  if (ANode->Document() != Document()) {
    // Its ids belong to another string table.
    DoDebugOut(this, wsFail, "XML owner is not assigned");
    return -1;
  }
  AdoptNode(ANode);
  Integer i = FNodes.Add(ANode);
  ANode->FParent = this;
  return i;
}

void TsdContainerNode::NodeInsert(Integer Index, TXmlNode* ANode) {
  if (!ANode) return;
  if (ANode->Document() != Document()) {
    DoDebugOut(this, wsFail, "XML owner is not assigned");
    return;
  }
  AdoptNode(ANode);
  Integer count = FNodes.Count();
  if (Index < 0) Index = 0;
  if (Index > count) Index = count;
  // Attributes join the start tag; anything else stays after it.
  if (ANode->Is<TsdAttribute>()) {
    if (Index > FDirectNodeCount) Index = FDirectNodeCount;
    ++FDirectNodeCount;
  } else if (Index < FDirectNodeCount) {
    Index = FDirectNodeCount;
  }
  FNodes.Insert(Index, ANode);
  ANode->FParent = this;
  if (FValueIndex >= Index) ++FValueIndex;
}

void TsdContainerNode::DropFromCounters(Integer Index) {
  if (Index < FDirectNodeCount) --FDirectNodeCount;
  if (FValueIndex == Index) FValueIndex = -1;
  else if (FValueIndex > Index) --FValueIndex;
}

void TsdContainerNode::NodeDelete(Integer Index) {
  if (Index < 0 || Index >= FNodes.Count()) return;
  DropFromCounters(Index);
  FNodes.Delete(Index);
}

TXmlNode* TsdContainerNode::NodeExtract(TXmlNode* ANode) {
  Integer i = FNodes.IndexOf(ANode);
  if (i < 0) return nullptr;
  DropFromCounters(i);
  FNodes.SetOwnsObjects(false);
  FNodes.Delete(i);
  FNodes.SetOwnsObjects(true);
  ANode->FParent = nullptr;
  return ANode;
}

void TsdContainerNode::NodeExchange(Integer Index1, Integer Index2) {
  Integer n = FNodes.Count();
  if (Index1 < 0 || Index2 < 0 || Index1 >= n || Index2 >= n || Index1 == Index2) return;
  // A swap across the end of the start tag would put a child among the
  // attributes: refused.
  if ((Index1 < FDirectNodeCount) != (Index2 < FDirectNodeCount)) return;
  FNodes.Exchange(Index1, Index2);
  if (FValueIndex == Index1) FValueIndex = Index2;
  else if (FValueIndex == Index2) FValueIndex = Index1;
}

void TsdContainerNode::NodesClear() {
  for (Integer i = FNodes.Count() - 1; i >= 0; --i) FNodes.Delete(i);
  FDirectNodeCount = 0;
  FValueIndex = -1;
}

void TsdContainerNode::Clear() {
  FNodes.Clear();
  FDirectNodeCount = 0;
  FValueIndex = -1;
}

TXmlNode* TsdContainerNode::NodeNew(const UTF8String& AName) {
  TClass cls = cNodeClass(ElementType());
  if (!cls) return nullptr;
  std::unique_ptr<TXmlNode> n(static_cast<TXmlNode*>(cls->Create(Document())));
  n->SetName(AName);
  if (NodeAdd(n.get()) < 0) return nullptr;
  return n.release();
}

TXmlNode* TsdContainerNode::NodeNewAtIndex(Integer Index, const UTF8String& AName) {
  TClass cls = cNodeClass(ElementType());
  if (!cls) return nullptr;
  std::unique_ptr<TXmlNode> n(static_cast<TXmlNode*>(cls->Create(Document())));
  n->SetName(AName);
  NodeInsert(Index, n.get());
  if (n->Parent() != this) return nullptr;
  return n.release();
}

TsdAttribute* TsdContainerNode::AttributeAdd(TsdAttribute* AAttribute) {
  if (!AAttribute) return nullptr;
  if (AAttribute->Document() != Document()) {
    DoDebugOut(this, wsFail, "XML owner is not assigned");
    return nullptr;
  }
  AdoptNode(AAttribute);
  FNodes.Insert(FDirectNodeCount, AAttribute);
  AAttribute->FParent = this;
  if (FValueIndex >= FDirectNodeCount) ++FValueIndex;
  ++FDirectNodeCount;
  return AAttribute;
}

bool TsdContainerNode::HasSubContainers() const {
  TXmlNode* const* items = FNodes.List();
  for (Integer i = FDirectNodeCount, n = FNodes.Count(); i < n; ++i) {
    switch (items[i]->ElementType()) {
      case xeElement: case xeDeclaration: case xeStylesheet: case xeDocType:
      case xeDtdElement: case xeDtdAttList: case xeDtdEntity: case xeDtdNotation:
        return true;
      default: break;
    }
  }
  return false;
}

TsdNodeClosingStyle TsdContainerNode::GetNodeClosingStyle() const {
  TPlainXml* d = Document();
  if (d && d->NodeClosingStyle() != ncDefault) return d->NodeClosingStyle();
  return FNodeClosingStyle;
}

void TsdContainerNode::WriteAttributeList(TStream* S, Integer Count) {
  if (Count > FNodes.Count()) Count = FNodes.Count();
  for (Integer i = 0; i < Count; ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    if (n->Is<TsdAttribute>()) {
      auto* a = static_cast<TsdAttribute*>(n);
      bool afterBlank = i > 0 && FNodes.GetItems(i - 1)->Is<TsdCharData>();
      const char* quote = a->ValueQuote() == qsApos ? "'" : "\"";
      sdWriteToStream(S, (afterBlank ? "" : " ") + a->GetName() + "=" + quote +
                             sdUnNormaliseEol(UTF8String(a->ValueView()), a->GetEolStyle()) + quote);
    } else if (n->Is<TsdCharData>()) {
      sdWriteToStream(S, static_cast<TsdCharData*>(n)->GetPlatformValue());
    }
  }
}

void TsdContainerNode::CopyOwnData(TXmlNode* ASource) {
  if (ASource->Is<TsdContainerNode>()) FNodeClosingStyle = static_cast<TsdContainerNode*>(ASource)->FNodeClosingStyle;
}

// ---------------------------------------------------------------------------
// Elements

TsdCharData* TsdElement::ValueNode() const {
  TXmlNode* n = FNodes.GetItems(FValueIndex);
  return n && n->Is<TsdCharData>() ? static_cast<TsdCharData*>(n) : nullptr;
}

UTF8String TsdElement::GetValue() {
  TsdCharData* v = ValueNode();
  return v ? v->GetValue() : UTF8String();
}

void TsdElement::SetValue(const UTF8String& Value) {
  TsdCharData* v = ValueNode();
  if (Value.empty()) {
    if (v) NodeDelete(FValueIndex);
    return;
  }
  if (v) {
    v->SetValue(Value);
    return;
  }
  auto c = std::make_unique<TsdCharData>(Document());
  c->SetValue(Value);
  Integer at = FDirectNodeCount;
  FNodes.Insert(at, c.get());
  LinkParent(c.release(), this);
  if (FValueIndex >= at) ++FValueIndex;
  FValueIndex = at;
}

void TsdElement::CopyOwnData(TXmlNode* ASource) {
  TsdContainerNode::CopyOwnData(ASource);
  SetName(ASource->GetName());
}

// ---------------------------------------------------------------------------
// Document type

TsdDocType::~TsdDocType() = default;

void TsdDocType::MakeParts() {
  if (FExternalID) return;
  FExternalID = std::make_unique<TsdCharData>(Document());
  FSystemLiteral = std::make_unique<TsdQuotedText>(Document());
  FPubIDLiteral = std::make_unique<TsdQuotedText>(Document());
  FExternalID->FParent = this;
  FSystemLiteral->FParent = this;
  FPubIDLiteral->FParent = this;
}

TsdCharData* TsdDocType::ExternalID() {
  MakeParts();
  return FExternalID.get();
}
TsdQuotedText* TsdDocType::SystemLiteral() {
  MakeParts();
  return FSystemLiteral.get();
}
TsdQuotedText* TsdDocType::PubIDLiteral() {
  MakeParts();
  return FPubIDLiteral.get();
}

void TsdDocType::CopyOwnData(TXmlNode* ASource) {
  TsdContainerNode::CopyOwnData(ASource);
  if (!ASource->Is<TsdDocType>()) return;
  auto* d = static_cast<TsdDocType*>(ASource);
  SetName(d->GetName());
  static_cast<TXmlNode*>(ExternalID())->CopyOwnData(d->ExternalID());
  static_cast<TXmlNode*>(SystemLiteral())->CopyOwnData(d->SystemLiteral());
  static_cast<TXmlNode*>(PubIDLiteral())->CopyOwnData(d->PubIDLiteral());
  for (int i = 0; i < 6; ++i) FBlanks[i] = d->FBlanks[i];
  FHasSubset = d->FHasSubset;
}

// ---------------------------------------------------------------------------
// Copy, compare, sort

void TXmlNode::Assign(TPersistent* Source) {
  if (Source && Source->Is<TXmlNode>()) CopyFrom(Source);
  else TDebugPersistent::Assign(Source);
}

void TXmlNode::CopyFrom(TObject* ASource) {
  if (!ASource || !ASource->Is<TXmlNode>()) throw Exception(u"CopyFrom can only be used with TXmlNode descendants");
  auto* src = static_cast<TXmlNode*>(ASource);
  if (src == this) return;
  for (TXmlNode* p = FParent; p; p = p->FParent) {
    if (p == src) {
      // Clearing this node would change the source: copy a snapshot.
      std::unique_ptr<TXmlNode> snap(static_cast<TXmlNode*>(src->ClassType()->Create(Document())));
      snap->CopyFrom(src);
      CopyFrom(snap.get());
      return;
    }
  }
  Clear();
  CopyOwnData(src);
  if (!Is<TsdContainerNode>() || !src->Is<TsdContainerNode>()) return;
  std::vector<std::pair<TsdContainerNode*, TsdContainerNode*>> work{
      {static_cast<TsdContainerNode*>(src), static_cast<TsdContainerNode*>(this)}};
  while (!work.empty()) {
    auto [from, to] = work.back();
    work.pop_back();
    for (Integer i = 0; i < from->FNodes.Count(); ++i) {
      TXmlNode* s = from->FNodes.GetItems(i);
      auto* n = static_cast<TXmlNode*>(s->ClassType()->Create(to->Document()));
      to->FNodes.Add(n);
      n->FParent = to;
      n->CopyOwnData(s);
      if (s->Is<TsdContainerNode>()) work.push_back({static_cast<TsdContainerNode*>(s), static_cast<TsdContainerNode*>(n)});
    }
    to->FDirectNodeCount = from->FDirectNodeCount;
    to->FValueIndex = from->FValueIndex;
  }
}

bool TXmlNode::IsEqualTo(TXmlNode* ANode, TXmlCompareOptions Options, std::vector<TXmlNode*>* MismatchNodes) {
  if (!ANode) return false;
  bool subStage = Options.Contains(xcAttribNames) || Options.Contains(xcAttribValues) ||
                  Options.Contains(xcChildNames) || Options.Contains(xcChildValues);
  bool result = true;
  auto mismatch = [&](TXmlNode* n) {
    if (MismatchNodes) MismatchNodes->push_back(n);
    result = false;
  };
  // Each frame compares one pair: the node stage first, then its sub-nodes
  // one at a time, descending (with xcRecursive) before the next sub-node,
  // exactly as a recursive comparison would.
  struct Frame {
    TXmlNode* A;
    TXmlNode* B;
    Integer Next;
  };
  std::vector<Frame> stack;
  auto start = [&](TXmlNode* a, TXmlNode* b) {
    bool ok = true;
    if (Options.Contains(xcNodeName) && Utf8CompareText(a->GetName(), b->GetName()) != 0) ok = false;
    if (ok && Options.Contains(xcNodeType) && a->ElementType() != b->ElementType()) ok = false;
    if (ok && Options.Contains(xcNodeValue) && Utf8CompareText(a->GetValue(), b->GetValue()) != 0) ok = false;
    if (ok && Options.Contains(xcAttribCount) && a->GetAttributeCount() != b->GetAttributeCount()) ok = false;
    if (ok && Options.Contains(xcChildCount) && a->GetContainerCount() != b->GetContainerCount()) ok = false;
    if (!ok) mismatch(a);
    if (subStage) stack.push_back({a, b, 0});
  };
  start(this, ANode);
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next >= f.A->GetNodeCount()) {
      stack.pop_back();
      continue;
    }
    TXmlNode* s = f.A->GetNodes(f.Next++);
    bool isAttr = s->ElementType() == xeAttribute, isElem = s->ElementType() == xeElement;
    if (!isAttr && !isElem) continue;
    // The k-th node of a name is matched with the other's k-th of that name,
    // so repeated names (list items) compare pairwise, not all against the first.
    UTF8String sname = s->GetName();
    Integer k = 0;
    for (Integer i = 0; i < f.Next - 1; ++i)
      if (Utf8CompareText(f.A->GetNodes(i)->GetName(), sname) == 0) ++k;
    TXmlNode* o = nullptr;
    for (Integer i = 0; i < f.B->GetNodeCount() && !o; ++i)
      if (Utf8CompareText(f.B->GetNodes(i)->GetName(), sname) == 0 && k-- == 0) o = f.B->GetNodes(i);
    if (!o) {
      if (Options.Contains(xcAttribNames) || Options.Contains(xcChildNames)) mismatch(s);
      continue;
    }
    if ((Options.Contains(xcAttribValues) || Options.Contains(xcChildValues)) &&
        Utf8CompareText(s->GetValue(), o->GetValue()) != 0)
      mismatch(s);
    if (Options.Contains(xcRecursive)) start(s, o);
  }
  return result;
}

void TXmlNode::SortChildNodes(const TXmlNodeCompareFunction& Compare) {
  if (!Is<TsdContainerNode>()) return;
  auto* c = static_cast<TsdContainerNode*>(this);
  TsdNodeList& list = c->FNodes;
  Integer first = c->FDirectNodeCount;
  Integer last = list.Count() - 1;
  if (last - first < 1) return;
  TXmlNode* valueNode = list.GetItems(c->FValueIndex);
  auto cmp = [&](Integer i, Integer j) {
    TXmlNode* a = list.GetItems(i);
    TXmlNode* b = list.GetItems(j);
    return Compare ? Compare(a, b) : Utf8CompareText(a->GetName(), b->GetName());
  };
  // Hoare partitioning around the middle item, the pivot index following
  // its item; the larger part waits on a stack, the smaller is sorted first.
  struct Range {
    Integer L, R;
  };
  std::vector<Range> todo{{first, last}};
  while (!todo.empty()) {
    Range r = todo.back();
    todo.pop_back();
    while (r.L < r.R) {
      Integer i = r.L, j = r.R, p = (r.L + r.R) / 2;
      do {
        while (cmp(i, p) < 0) ++i;
        while (cmp(j, p) > 0) --j;
        if (i <= j) {
          if (i != j) list.Exchange(i, j);
          if (p == i) p = j;
          else if (p == j) p = i;
          ++i;
          --j;
        }
      } while (i <= j);
      if (j - r.L < r.R - i) {
        if (i < r.R) todo.push_back({i, r.R});
        r.R = j;
      } else {
        if (r.L < j) todo.push_back({r.L, j});
        r.L = i;
      }
    }
  }
  if (valueNode) c->FValueIndex = list.IndexOf(valueNode);
}

}  // namespace qn
