// The abstract node and the character-data kinds: names, values, typed
// values, look-up, the node list and everything a node does through the
// virtual list operations of its class.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/rtl/Kernel.h"
#include "xml/PlainXml_qn.h"

namespace qn {

namespace {

const char* const kTypeNames[] = {"Element",     "Attribute",  "CharData",  "Comment",    "CData",
                                  "ConditionalSection", "Declaration", "Stylesheet", "DocType",  "DtdElement",
                                  "DtdAttList",  "DtdEntity",  "DtdNotation", "Instruction", "WhiteSpace",
                                  "QuotedText",  "EndTag",     "Error"};

bool SameText(std::string_view a, std::string_view b) {
  // Mostly a name asked for as it is written.
  if (a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0)) return true;
  return Utf8CompareText(a, b) == 0;
}

}  // namespace

const char* ElementTypeName(TsdElementType AType) {
  auto i = static_cast<size_t>(AType);
  return i < sizeof(kTypeNames) / sizeof(kTypeNames[0]) ? kTypeNames[i] : "";
}

TClass cNodeClass(TsdElementType AType) {
  switch (AType) {
    case xeElement: return TsdElement::StaticClass();
    case xeAttribute: return TsdAttribute::StaticClass();
    case xeCharData: return TsdCharData::StaticClass();
    case xeComment: return TsdComment::StaticClass();
    case xeCData: return TsdCData::StaticClass();
    case xeCondSection: return TsdConditionalSection::StaticClass();
    case xeDeclaration: return TsdDeclaration::StaticClass();
    case xeStylesheet: return TsdStyleSheet::StaticClass();
    case xeDocType: return TsdDocType::StaticClass();
    case xeDtdElement: return TsdDtdElement::StaticClass();
    case xeDtdAttList: return TsdDtdAttList::StaticClass();
    case xeDtdEntity: return TsdDtdEntity::StaticClass();
    case xeDtdNotation: return TsdDtdNotation::StaticClass();
    case xeInstruction: return TsdInstruction::StaticClass();
    case xeWhiteSpace: return TsdWhiteSpace::StaticClass();
    case xeQuotedText: return TsdQuotedText::StaticClass();
    default: return nullptr;
  }
}

TXmlNode* NewParsedNode(TsdElementType AType, TPlainXml* Doc) {
  TsdNodeArena* a = Doc ? Doc->NodeArena() : nullptr;
  switch (AType) {
    case xeElement: return TsdNodeArena::Make<TsdElement>(a, Doc);
    case xeCharData: return TsdNodeArena::Make<TsdCharData>(a, Doc);
    case xeComment: return TsdNodeArena::Make<TsdComment>(a, Doc);
    case xeCData: return TsdNodeArena::Make<TsdCData>(a, Doc);
    case xeDeclaration: return TsdNodeArena::Make<TsdDeclaration>(a, Doc);
    case xeStylesheet: return TsdNodeArena::Make<TsdStyleSheet>(a, Doc);
    case xeInstruction: return TsdNodeArena::Make<TsdInstruction>(a, Doc);
    case xeWhiteSpace: return TsdNodeArena::Make<TsdWhiteSpace>(a, Doc);
    case xeQuotedText: return TsdNodeArena::Make<TsdQuotedText>(a, Doc);
    default: {
      // Kinds that own more than a list and a value come from the pools.
      TClass cls = cNodeClass(AType);
      return cls ? static_cast<TXmlNode*>(cls->Create(Doc)) : nullptr;
    }
  }
}

TXmlCompareOptions xcAll() {
  return {xcNodeName, xcNodeType, xcNodeValue, xcAttribCount, xcAttribNames, xcAttribValues,
          xcChildCount, xcChildNames, xcChildValues, xcRecursive};
}

TComponent* DocumentAsOwner(TPlainXml* ADocument) { return ADocument; }

// ---------------------------------------------------------------------------
// Node list

TsdNodeList::~TsdNodeList() { Clear(); }

void TsdNodeList::Release() {
  if (FItems != FInline) sdNodeFree(FItems);
  FItems = FInline;
  FCapacity = kInline;
  FCount = 0;
}

// Only the parser adds nodes knowing where the list stands; any other
// addition may bring a node from elsewhere into the tree, or an arena node
// into a list outside it.
void TsdNodeList::NoteAdded(TXmlNode* ANode) {
  TPlainXml* d = ANode ? ANode->Document() : nullptr;
  if (TsdNodeArena* a = d ? d->NodeArena() : nullptr) a->Dirty = true;
}

void TsdNodeList::NoteRemoved(TXmlNode* ANode) {
  TPlainXml* d = ANode ? ANode->Document() : nullptr;
  if (TsdNodeArena* a = d ? d->NodeArena() : nullptr) a->Dirty = true;
}

void TsdNodeList::Grow(TXmlNode* ANode) {
  // Short lists grow by four: an element with a dozen children (or the
  // white space between them) then moves its list twice, not four times.
  Integer cap = FCapacity < 64 ? FCapacity * 4 : FCapacity * 2;
  size_t bytes = static_cast<size_t>(cap) * sizeof(TXmlNode*);
  auto* items = static_cast<TXmlNode**>(ANode && ANode->InArena() ? TsdNodeArena::Of(ANode)->Alloc(bytes)
                                                                   : sdNodeAlloc(bytes));
  std::memcpy(items, FItems, static_cast<size_t>(FCount) * sizeof(TXmlNode*));
  if (FItems != FInline) sdNodeFree(FItems);
  FItems = items;
  FCapacity = cap;
}

void TsdNodeList::Clear() {
  if (!FOwnsObjects || FCount == 0) {
    if (FCount > 0) NoteRemoved(FItems[0]);
    Release();
    return;
  }
  // Take every node out first, then free the subtrees with a work list, so
  // that a deep tree costs no stack.
  std::vector<TXmlNode*> work(FItems, FItems + FCount);
  Release();
  while (!work.empty()) {
    TXmlNode* n = work.back();
    work.pop_back();
    if (!n) continue;
    if (n->GetNodeCount() > 0 && n->Is<TsdContainerNode>()) {
      TsdNodeList& kids = static_cast<TsdContainerNode*>(n)->Nodes();
      work.insert(work.end(), kids.FItems, kids.FItems + kids.FCount);
      kids.Release();
    }
    delete n;
  }
}

TXmlNode* TsdNodeList::Items(Integer Index) const {
  if (Index < 0 || Index >= FCount) vcl::TList::Error(u"List index out of bounds (%d)", Index);
  return FItems[Index];
}

void TsdNodeList::Insert(Integer Index, TXmlNode* ANode) {
  if (Index < 0 || Index > FCount) vcl::TList::Error(u"List index out of bounds (%d)", Index);
  NoteAdded(ANode);
  InsertArenaNode(Index, ANode);
}

void TsdNodeList::InsertArenaNode(Integer Index, TXmlNode* ANode) {
  if (FCount == FCapacity) Grow(ANode);
  std::memmove(FItems + Index + 1, FItems + Index, static_cast<size_t>(FCount - Index) * sizeof(TXmlNode*));
  FItems[Index] = ANode;
  ++FCount;
}

void TsdNodeList::Delete(Integer Index) {
  TXmlNode* n = Items(Index);
  std::memmove(FItems + Index, FItems + Index + 1, static_cast<size_t>(FCount - Index - 1) * sizeof(TXmlNode*));
  --FCount;
  if (FOwnsObjects) delete n;
  else NoteRemoved(n);
}

Integer TsdNodeList::Remove(TXmlNode* ANode) {
  Integer i = IndexOf(ANode);
  if (i >= 0) Delete(i);
  return i;
}

Integer TsdNodeList::IndexOf(TXmlNode* ANode) const {
  for (Integer i = 0; i < FCount; ++i)
    if (FItems[i] == ANode) return i;
  return -1;
}

void TsdNodeList::Exchange(Integer Index1, Integer Index2) {
  Items(Index1);
  Items(Index2);
  std::swap(FItems[Index1], FItems[Index2]);
}

TXmlNode* TsdNodeList::ByType(TsdElementType AType) const {
  for (Integer i = 0; i < Count(); ++i)
    if (GetItems(i)->ElementType() == AType) return GetItems(i);
  return nullptr;
}

TXmlNode* TsdNodeList::GetNextSiblingOf(TXmlNode* ANode) const {
  if (!ANode) return nullptr;
  if (ANode->Parent()) return ANode->Parent()->NextSibling(ANode);
  Integer i = IndexOf(ANode);
  if (i < 0) throw Exception(u"index must be >= 0");
  return GetItems(i + 1);
}

TXmlNode* TsdNodeList::GetLastSiblingOf(TXmlNode* ANode) const {
  if (!ANode) return nullptr;
  if (TXmlNode* p = ANode->Parent()) return p->GetNodes(p->GetNodeCount() - 1);
  return GetItems(Count() - 1);
}

TXmlNode* TsdNodeList::FindNext(TXmlNode* ANode) const {
  if (!ANode) return nullptr;
  if (ANode->GetNodeCount() > 0) return ANode->GetNodes(0);
  for (TXmlNode* n = ANode; n; n = n->Parent()) {
    TXmlNode* next = GetNextSiblingOf(n);
    if (next) return next;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// TXmlNode

namespace detail {
thread_local const void* tsdKnownDocument = nullptr;
}  // namespace detail

TDebugComponent* TXmlNode::CheckOwner(TComponent* AOwner) {
  if (!AOwner || !AOwner->Is<TPlainXml>()) throw Exception(u"XML owner is not assigned");
  return static_cast<TDebugComponent*>(AOwner);
}

// ---------------------------------------------------------------------------
// Node memory. Each block carries its size class in the eight bytes before
// the node, so both ways a node is deleted (through a node pointer, or
// through an object pointer and the virtual destructor) find its list.
// Freed blocks go to the freeing thread's list; blocks are carved from
// slabs that stay for the process, bounded by the most nodes ever alive at
// once. Sanitizer builds take every node from the heap so that use after
// free and leaks stay visible.

namespace {

// The field order of the node classes keeps the blocks of the nodes a parse
// makes most of at 96 bytes (elements), 56 (attributes) and 40 (text).
static_assert(sizeof(void*) != 8 || (sizeof(TsdElement) <= 88 && sizeof(TsdAttribute) <= 48 &&
                                     sizeof(TsdCharData) <= 32 && sizeof(TsdWhiteSpace) <= 32),
              "node fields no longer fill the room behind their base's");

constexpr size_t kNodeHeader = kXmlNodeHeader;
constexpr UInt64 kHeapBlock = 0xFFFF;  // above it: the arena the block belongs to

#ifndef QN_XML_HEAP_NODES
constexpr size_t kNodeStep = 16;
constexpr size_t kNodeClasses = 24;  // blocks up to 384 bytes; larger nodes use the heap
constexpr size_t kSlabBytes = 64 * 1024;
struct TNodePool {
  void* Free[kNodeClasses] = {};
};
thread_local TNodePool tNodePool;  // trivially destructible: nothing runs at thread exit

[[gnu::noinline]] void RefillPool(size_t cls) {
  size_t block = (cls + 1) * kNodeStep;
  size_t count = kSlabBytes / block;
  char* slab = static_cast<char*>(::operator new(count * block));
  void* head = tNodePool.Free[cls];
  for (size_t i = count; i-- > 0;) {
    void* b = slab + i * block;
    *static_cast<void**>(b) = head;
    head = b;
  }
  tNodePool.Free[cls] = head;
}
#endif

}  // namespace

void* sdNodeAlloc(std::size_t n) {
  size_t need = n + kNodeHeader;
#ifndef QN_XML_HEAP_NODES
  size_t cls = (need + kNodeStep - 1) / kNodeStep - 1;
  if (cls < kNodeClasses) {
    if (!tNodePool.Free[cls]) RefillPool(cls);
    void* b = tNodePool.Free[cls];
    tNodePool.Free[cls] = *static_cast<void**>(b);
    *static_cast<UInt64*>(b) = cls;
    return static_cast<char*>(b) + kNodeHeader;
  }
#endif
  void* b = ::operator new(need);
  *static_cast<UInt64*>(b) = kHeapBlock;
  return static_cast<char*>(b) + kNodeHeader;
}

void sdNodeFree(void* p) {
  if (!p) return;
  void* b = static_cast<char*>(p) - kNodeHeader;
  UInt64 cls = *static_cast<UInt64*>(b);
#ifndef QN_XML_HEAP_NODES
  if (cls < kNodeClasses) {
    *static_cast<void**>(b) = tNodePool.Free[cls];
    tNodePool.Free[cls] = b;
    return;
  }
#endif
  if (cls > kHeapBlock) {
    reinterpret_cast<TsdNodeArena*>(cls & ~UInt64(1))->Free(b, cls & 1);
    return;
  }
  ::operator delete(b);
}

// ---------------------------------------------------------------------------
// Node arena

#ifndef QN_XML_HEAP_NODES
namespace {
constexpr size_t kArenaBlock = 256 * 1024;
constexpr size_t kArenaLarge = 8 * 1024;  // larger blocks get a heap block of their own
}  // namespace
#endif

void* TsdNodeArena::AllocSlow(std::size_t n) {
  size_t need = (n + kNodeHeader + 7) & ~size_t(7);
  char* b;
  UInt64 tag = 0;
#ifdef QN_XML_HEAP_NODES
  b = static_cast<char*>(::operator new(need));
  reinterpret_cast<UInt64*>(b)[1] = FLarge.size();
  FLarge.push_back(b);
#else
  if (need > kArenaLarge) {
    b = static_cast<char*>(::operator new(need));
    FLarge.push_back(b);
    tag = 1;
  } else {
    if (static_cast<size_t>(FEnd - FCur) < need) {
      if (FCur) ++FBlock;
      if (FBlock == FBlocks.size()) FBlocks.push_back(static_cast<char*>(::operator new(kArenaBlock)));
      FCur = FBlocks[FBlock];
      FEnd = FCur + kArenaBlock;
    }
    b = FCur;
    FCur += need;
  }
#endif
  *reinterpret_cast<UInt64*>(b) = reinterpret_cast<UInt64>(this) | tag;
  ++Live;
  return b + kNodeHeader;
}

void TsdNodeArena::Free(void* Block, bool Large) {
#ifdef QN_XML_HEAP_NODES
  (void)Large;
  FLarge[reinterpret_cast<UInt64*>(Block)[1]] = nullptr;
  ::operator delete(Block);
#else
  // Small blocks wait for the reset; large ones go now.
  if (Large) {
    auto it = std::find(FLarge.rbegin(), FLarge.rend(), Block);
    if (it != FLarge.rend()) {
      *it = FLarge.back();
      FLarge.pop_back();
    }
    ::operator delete(Block);
  }
#endif
  if (--Live == 0 && Orphan) delete this;
}

void TsdNodeArena::Reset() {
  for (void* b : FLarge)
    if (b) ::operator delete(b);
  FLarge.clear();
  FBlock = 0;
#ifndef QN_XML_HEAP_NODES
  FCur = FBlocks.empty() ? nullptr : FBlocks[0];
  FEnd = FCur ? FCur + kArenaBlock : nullptr;
#endif
  Live = 0;
  Dirty = false;
}

TsdNodeArena::~TsdNodeArena() {
  Reset();
  for (char* b : FBlocks) ::operator delete(b);
}

void* TXmlNode::operator new(std::size_t n) { return sdNodeAlloc(n); }

void TXmlNode::operator delete(void* p) { sdNodeFree(p); }

void TXmlNode::operator delete(TXmlNode* p, std::destroying_delete_t) {
  void* whole = dynamic_cast<void*>(p);
  try {
    p->BeforeDestruction();
  } catch (...) {
    // A failing override must not leak the node or leave it half-freed.
  }
  p->~TXmlNode();
  sdNodeFree(whole);
}

TXmlNode::~TXmlNode() = default;



UTF8String TXmlNode::GetString(Integer ID) const {
  TPlainXml* d = Document();
  return d && d->SymbolTable() ? d->SymbolTable()->GetString(ID) : UTF8String();
}

UTF8String TXmlNode::GetName() { return {}; }
UTF8String TXmlNode::GetValue() { return {}; }
void TXmlNode::SetName(const UTF8String&) { throw Exception(u"cannot set name on this type of element"); }
void TXmlNode::SetValue(const UTF8String&) { throw Exception(u"cannot set value on this type of element"); }

void TXmlNode::RaiseNoNodes() const { throw Exception(u"cannot manipulate nodes in this type of element"); }

Integer TXmlNode::NodeAdd(TXmlNode*) { throw Exception(u"cannot add node to this type of element"); }
void TXmlNode::NodeInsert(Integer, TXmlNode*) { throw Exception(u"cannot add node to this type of element"); }
void TXmlNode::NodeDelete(Integer) { RaiseNoNodes(); }
TXmlNode* TXmlNode::NodeExtract(TXmlNode*) { RaiseNoNodes(); }
void TXmlNode::NodeExchange(Integer, Integer) { RaiseNoNodes(); }
void TXmlNode::NodesClear() { RaiseNoNodes(); }
void TXmlNode::Clear() {}
Integer TXmlNode::NodeIndexOf(TXmlNode*) const { return -1; }
TXmlNode* TXmlNode::NodeNew(const UTF8String&) { throw Exception(u"cannot add node to this type of element"); }
TXmlNode* TXmlNode::NodeNewAtIndex(Integer, const UTF8String&) {
  throw Exception(u"cannot add node to this type of element");
}
TsdAttribute* TXmlNode::AttributeAdd(TsdAttribute*) { throw Exception(u"cannot add node to this type of element"); }

Integer TXmlNode::GetContainerCount() const {
  Integer n = 0;
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->Is<TsdContainerNode>()) ++n;
  return n;
}

TsdContainerNode* TXmlNode::GetContainers(Integer Index) const {
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->Is<TsdContainerNode>() && Index-- == 0) return static_cast<TsdContainerNode*>(GetNodes(i));
  return nullptr;
}

Integer TXmlNode::GetElementCount() const {
  Integer n = 0;
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->ElementType() == xeElement) ++n;
  return n;
}

TXmlNode* TXmlNode::GetElements(Integer Index) const {
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->ElementType() == xeElement && Index-- == 0) return GetNodes(i);
  return nullptr;
}

Integer TXmlNode::GetAttributeCount() const {
  Integer n = 0;
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->Is<TsdAttribute>()) ++n;
  return n;
}

TsdAttribute* TXmlNode::GetAttributes(Integer Index) const {
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->Is<TsdAttribute>() && Index-- == 0) return static_cast<TsdAttribute*>(GetNodes(i));
  return nullptr;
}

void TXmlNode::NodeRemove(TXmlNode* ANode) {
  Integer i = NodeIndexOf(ANode);
  if (i >= 0) NodeDelete(i);
}

void TXmlNode::NodeRemoveEx(TXmlNode* ANode) {
  Integer i = NodeIndexOf(ANode);
  if (i < 0) return;
  NodeDelete(i);
  while (i > 0 && GetNodes(i - 1)->ElementType() == xeWhiteSpace) NodeDelete(--i);
}

TXmlNode* TXmlNode::NodeFindOrCreate(const UTF8String& AName) {
  TXmlNode* n = NodeByName(AName);
  return n ? n : NodeNew(AName);
}

TsdAttribute* TXmlNode::AttributeAdd(const UTF8String& AName, const UTF8String& AValue) {
  auto a = std::make_unique<TsdAttribute>(Document(), AName, AValue);
  TsdAttribute* r = AttributeAdd(a.get());
  if (r) a.release();
  return r;
}

void TXmlNode::AttributesAdd(const std::vector<TsdAttribute*>& AAttributes) {
  for (TsdAttribute* a : AAttributes) AttributeAdd(a);
}

void TXmlNode::NodesAdd(const std::vector<TXmlNode*>& ANodes) {
  for (TXmlNode* n : ANodes) NodeAdd(n);
}

TXmlNode* TXmlNode::FirstNodeByType(TsdElementType AType) const {
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (GetNodes(i)->ElementType() == AType) return GetNodes(i);
  return nullptr;
}

TXmlNode* TXmlNode::NextSibling(TXmlNode* ANode) const {
  Integer i = NodeIndexOf(ANode);
  return i >= 0 ? GetNodes(i + 1) : nullptr;
}

void TXmlNode::Delete() {
  if (FParent) FParent->NodeRemove(this);
}

void TXmlNode::DeleteEmptyNodes() {
  // Every descendant in pre-order; walking that backwards meets each node
  // after its whole subtree and later siblings before earlier ones.
  std::vector<TXmlNode*> order;
  std::vector<TXmlNode*> stack{this};
  while (!stack.empty()) {
    TXmlNode* n = stack.back();
    stack.pop_back();
    if (n != this) order.push_back(n);
    for (Integer i = n->GetNodeCount() - 1; i >= 0; --i) stack.push_back(n->GetNodes(i));
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    TXmlNode* n = *it;
    if (n->IsEmpty() && n->FParent) n->FParent->NodeRemove(n);
  }
}

bool TXmlNode::IsEmpty() { return GetNodeCount() == 0 && GetValue().empty(); }
bool TXmlNode::IsClear() { return IsEmpty() && GetName().empty(); }

void TXmlNode::AttributesClear() {
  for (Integer i = GetAttributeCount() - 1; i >= 0; --i) AttributeDelete(i);
}

void TXmlNode::AttributeDelete(Integer Index) {
  if (TsdAttribute* a = GetAttributes(Index)) NodeRemove(a);
}

void TXmlNode::ElementsClear() {
  for (Integer i = GetElementCount() - 1; i >= 0; --i) ElementDelete(i);
}

void TXmlNode::ElementDelete(Integer Index) {
  if (TXmlNode* e = GetElements(Index)) NodeRemove(e);
}

Integer TXmlNode::IndexInParent() const { return FParent ? FParent->NodeIndexOf(const_cast<TXmlNode*>(this)) : -1; }

Integer TXmlNode::TreeDepth() const {
  Integer d = 0;
  for (TXmlNode* p = FParent; p; p = p->FParent) ++d;
  return d;
}

TXmlNode* TXmlNode::GetParentNode(Integer Level) const {
  const TXmlNode* n = this;
  for (Integer i = 0; i < Level && n; ++i) n = n->FParent;
  return const_cast<TXmlNode*>(n);
}

UTF8String TXmlNode::GetParentNodeName(Integer Level) const {
  TXmlNode* n = GetParentNode(Level);
  return n ? n->GetName() : UTF8String();
}

// ---------------------------------------------------------------------------
// Look-up

TXmlNode* TXmlNode::NodeByName(const UTF8String& AName) const {
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (SameText(GetNodes(i)->GetName(), AName)) return GetNodes(i);
  return nullptr;
}

void TXmlNode::NodesByName(const UTF8String& AName, std::vector<TXmlNode*>* AList) const {
  if (!AList) return;
  AList->clear();
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (SameText(GetNodes(i)->GetName(), AName)) AList->push_back(GetNodes(i));
}

Integer TXmlNode::NodeIndexByName(const UTF8String& AName) const {
  for (Integer i = 0; i < GetNodeCount(); ++i)
    if (SameText(GetNodes(i)->GetName(), AName)) return i;
  return -1;
}

Integer TXmlNode::AttributeIndexByName(const UTF8String& AName) const {
  for (Integer i = 0; i < GetDirectNodeCount() && i < GetNodeCount(); ++i)
    if (SameText(GetNodes(i)->GetName(), AName)) return i;
  return -1;
}

UTF8String TXmlNode::GetFullPath() {
  std::vector<TXmlNode*> chain;
  for (TXmlNode* n = this; n; n = n->FParent) chain.push_back(n);
  UTF8String r;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) r += "/" + (*it)->GetName();
  return r;
}

bool TXmlNode::CompareNodeName(const UTF8String& NodeName) {
  if (!NodeName.empty() && NodeName[0] == '/') return SameText(GetFullPath(), NodeName);
  return SameText(GetName(), NodeName);
}

namespace {
// Pre-order walk over the descendants of root; visit returns false to stop.
// Only children count: the start-tag part (attributes and the blanks
// between them) is not searched, so a name finds elements, not attributes.
template <class F>
void WalkDescendants(const TXmlNode* root, F&& visit) {
  struct Frame {
    const TXmlNode* Node;
    Integer Next;
  };
  std::vector<Frame> stack{{root, root->GetDirectNodeCount()}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next >= f.Node->GetNodeCount()) {
      stack.pop_back();
      continue;
    }
    TXmlNode* child = f.Node->GetNodes(f.Next++);
    if (!visit(child)) return;
    if (child->GetNodeCount() > 0) stack.push_back({child, child->GetDirectNodeCount()});
  }
}
}  // namespace

TXmlNode* TXmlNode::FindNode(const UTF8String& AName) const {
  TXmlNode* found = nullptr;
  WalkDescendants(this, [&](TXmlNode* n) {
    if (n->CompareNodeName(AName)) {
      found = n;
      return false;
    }
    return true;
  });
  return found;
}

void TXmlNode::FindNodes(const UTF8String& AName, std::vector<TXmlNode*>* AList) const {
  if (!AList) return;
  AList->clear();
  WalkDescendants(this, [&](TXmlNode* n) {
    if (n->CompareNodeName(AName)) AList->push_back(n);
    return true;
  });
}

TsdAttribute* TXmlNode::GetAttributeByName(const UTF8String& AName) const {
  for (Integer i = 0; i < GetNodeCount(); ++i) {
    TXmlNode* n = GetNodes(i);
    if (!n->Is<TsdAttribute>()) continue;
    auto* a = static_cast<TsdAttribute*>(n);
    // A plain attribute's name is compared where its document's table
    // holds it, without a copy; a kind of attribute of its own may name
    // itself otherwise, and an id the table does not hold is reported by
    // the way GetName takes.
    TPlainXml* d = a->Document();
    TsdSymbolTable* t = d ? d->SymbolTable() : nullptr;
    bool same = a->ClassType() == TsdAttribute::StaticClass() && t && a->NameID() <= t->GetSymbolCount()
                    ? SameText(t->GetView(a->NameID()), AName)
                    : SameText(a->GetName(), AName);
    if (same) return a;
  }
  return nullptr;
}

UTF8String TXmlNode::GetAttributeName(Integer Index) const {
  TsdAttribute* a = GetAttributes(Index);
  return a ? a->GetName() : UTF8String();
}

UTF8String TXmlNode::GetAttributeValue(Integer Index) const {
  TsdAttribute* a = GetAttributes(Index);
  return a ? a->GetValue() : UTF8String();
}

UTF8String TXmlNode::GetAttributeValueByName(const UTF8String& AName) const {
  TsdAttribute* a = GetAttributeByName(AName);
  return a ? a->GetValue() : UTF8String();
}

Integer TXmlNode::GetAttributeValueAsInteger(Integer Index) const {
  return StrToIntDef(FromUtf8(GetAttributeValue(Index)), 0);
}

bool TXmlNode::HasAttribute(const UTF8String& AName) const {
  for (Integer i = 0; i < GetNodeCount(); ++i) {
    TXmlNode* n = GetNodes(i);
    if (n->Is<TsdAttribute>() && n->GetName() == AName) return true;
  }
  return false;
}

void TXmlNode::SetAttributeValueByName(const UTF8String& AName, const UTF8String& AValue) {
  if (TsdAttribute* a = GetAttributeByName(AName)) a->SetValue(AValue);
  else AttributeAdd(AName, AValue);
}

void TXmlNode::SetAttributeName(Integer Index, const UTF8String& AName) {
  if (TsdAttribute* a = GetAttributes(Index)) a->SetName(AName);
}

void TXmlNode::SetAttributeValue(Integer Index, const UTF8String& AValue) {
  if (TsdAttribute* a = GetAttributes(Index)) a->SetValue(AValue);
}

void TXmlNode::SetAttributeValueAsInteger(Integer Index, Integer AValue) {
  SetAttributeValue(Index, sdIntToString(AValue));
}

String TXmlNode::GetAttributeValueByNameWide(const UTF8String& AName) const {
  return sdUtf8ToWide(GetAttributeValueByName(AName));
}
void TXmlNode::SetAttributeValueByNameWide(const UTF8String& AName, const String& AValue) {
  SetAttributeValueByName(AName, sdWideToUtf8(AValue));
}
String TXmlNode::GetAttributeNameWide(Integer Index) const { return sdUtf8ToWide(GetAttributeName(Index)); }
void TXmlNode::SetAttributeNameWide(Integer Index, const String& AName) { SetAttributeName(Index, sdWideToUtf8(AName)); }
String TXmlNode::GetAttributeValueWide(Integer Index) const { return sdUtf8ToWide(GetAttributeValue(Index)); }
void TXmlNode::SetAttributeValueWide(Integer Index, const String& AValue) {
  SetAttributeValue(Index, sdWideToUtf8(AValue));
}

TXmlNode* TXmlNode::NodeByAttributeValue(const UTF8String& NodeName, const UTF8String& AttribName,
                                         const UTF8String& AttribValue, bool ShouldRecurse) const {
  struct Frame {
    const TXmlNode* Node;
    Integer Next;
  };
  std::vector<Frame> stack{{this, 0}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.Next >= f.Node->GetNodeCount()) {
      stack.pop_back();
      continue;
    }
    TXmlNode* child = f.Node->GetNodes(f.Next++);
    if (SameText(child->GetName(), NodeName) && child->HasAttribute(AttribName) &&
        SameText(child->GetAttributeValueByName(AttribName), AttribValue))
      return child;
    if (ShouldRecurse && child->GetNodeCount() > 0) stack.push_back({child, 0});
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Typed values

bool TXmlNode::HasNonStandardReferences() {
  if (!Is<TsdCharData>()) return false;
  bool nonStd = false;
  sdReplaceString(static_cast<TsdCharData*>(this)->GetCoreValue(), nonStd);
  return nonStd;
}

namespace {
bool DocUseLocalBias(const TXmlNode* n) { return n->Document() && n->Document()->UseLocalBias(); }
Integer DocSplitSeconds(const TXmlNode* n) { return n->Document() ? n->Document()->SplitSecondDigits() : 0; }

UTF8String FloatText(const TXmlNode* n, double v) {
  TPlainXml* d = n->Document();
  return d ? sdFloatToString(v, d->FloatSignificantDigits(), d->FloatAllowScientific()) : sdFloatToString(v);
}
UTF8String DateTimeText(const TXmlNode* n, TDateTime v) {
  return sdDateTimeToString(v, true, true, DocSplitSeconds(n), DocUseLocalBias(n));
}
double FloatDef(const UTF8String& s, double def) {
  Double v;
  return TryStrToFloat(FromUtf8(sdCommaToDot(s)), v, cXmlFormatSettings) ? v : def;
}
}  // namespace

bool TXmlNode::GetValueAsBool() { return StrToBool(FromUtf8(GetValue())); }
double TXmlNode::GetValueAsFloat() { return sdFloatFromString(GetValue()); }
TDateTime TXmlNode::GetValueAsDateTime() { return sdStringToDateTime(GetValue(), DocUseLocalBias(this)); }
Integer TXmlNode::GetValueAsInteger() { return sdIntFromString(GetValue()); }
Int64 TXmlNode::GetValueAsInt64() { return sdInt64FromString(GetValue()); }
bool TXmlNode::GetValueAsBoolDef(bool ADefault) { return StrToBoolDef(FromUtf8(GetValue()), ADefault); }
double TXmlNode::GetValueAsFloatDef(double ADefault) { return FloatDef(GetValue(), ADefault); }
TDateTime TXmlNode::GetValueAsDateTimeDef(TDateTime ADefault) {
  return sdStringToDateTimeDef(GetValue(), ADefault, DocUseLocalBias(this));
}
Integer TXmlNode::GetValueAsIntegerDef(Integer ADefault) { return StrToIntDef(FromUtf8(GetValue()), ADefault); }
Int64 TXmlNode::GetValueAsInt64Def(Int64 ADefault) { return StrToInt64Def(FromUtf8(GetValue()), ADefault); }
void TXmlNode::SetValueAsBool(bool AValue) { SetValue(sdBoolToString(AValue)); }
void TXmlNode::SetValueAsFloat(double AValue) { SetValue(FloatText(this, AValue)); }
void TXmlNode::SetValueAsDate(TDateTime AValue) { SetValue(sdDateTimeToString(AValue, true, false, 0, false)); }
void TXmlNode::SetValueAsTime(TDateTime AValue) {
  SetValue(sdDateTimeToString(AValue, false, true, DocSplitSeconds(this), DocUseLocalBias(this)));
}
void TXmlNode::SetValueAsDateTime(TDateTime AValue) { SetValue(DateTimeText(this, AValue)); }
void TXmlNode::SetValueAsInteger(Integer AValue) { SetValue(sdIntToString(AValue)); }
void TXmlNode::SetValueAsInt64(Int64 AValue) { SetValue(sdInt64ToString(AValue)); }

bool TXmlNode::ReadBool(const UTF8String& AName, bool ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? n->GetValueAsBoolDef(ADefault) : ADefault;
}
TDateTime TXmlNode::ReadDateTime(const UTF8String& AName, TDateTime ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? n->GetValueAsDateTimeDef(ADefault) : ADefault;
}
double TXmlNode::ReadFloat(const UTF8String& AName, double ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? n->GetValueAsFloatDef(ADefault) : ADefault;
}
Integer TXmlNode::ReadInteger(const UTF8String& AName, Integer ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? n->GetValueAsIntegerDef(ADefault) : ADefault;
}
Int64 TXmlNode::ReadInt64(const UTF8String& AName, Int64 ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? n->GetValueAsInt64Def(ADefault) : ADefault;
}
UTF8String TXmlNode::ReadString(const UTF8String& AName, const UTF8String& ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? n->GetValue() : ADefault;
}
String TXmlNode::ReadUnicodeString(const UTF8String& AName, const String& ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? sdUtf8ToWide(n->GetValue()) : ADefault;
}
AnsiString TXmlNode::ReadAnsiString(const UTF8String& AName, const AnsiString& ADefault) {
  TXmlNode* n = NodeByName(AName);
  return n ? sdUtf8ToAnsi(n->GetValue(), CP_ACP) : ADefault;
}

bool TXmlNode::ReadAttributeBool(const UTF8String& AName, bool ADefault) {
  return StrToBoolDef(FromUtf8(GetAttributeValueByName(AName)), ADefault);
}
Integer TXmlNode::ReadAttributeInteger(const UTF8String& AName, Integer ADefault) {
  return StrToIntDef(FromUtf8(GetAttributeValueByName(AName)), ADefault);
}
Int64 TXmlNode::ReadAttributeInt64(const UTF8String& AName, Int64 ADefault) {
  return StrToInt64Def(FromUtf8(GetAttributeValueByName(AName)), ADefault);
}
double TXmlNode::ReadAttributeFloat(const UTF8String& AName, double ADefault) {
  return FloatDef(GetAttributeValueByName(AName), ADefault);
}
UTF8String TXmlNode::ReadAttributeString(const UTF8String& AName, const UTF8String& ADefault) {
  TsdAttribute* a = GetAttributeByName(AName);
  return a ? a->GetValue() : ADefault;
}
String TXmlNode::ReadAttributeUnicodeString(const UTF8String& AName, const String& ADefault) {
  TsdAttribute* a = GetAttributeByName(AName);
  return a ? sdUtf8ToWide(a->GetValue()) : ADefault;
}
AnsiString TXmlNode::ReadAttributeAnsiString(const UTF8String& AName, const AnsiString& ADefault) {
  TsdAttribute* a = GetAttributeByName(AName);
  return a ? sdUtf8ToAnsi(a->GetValue(), CP_ACP) : ADefault;
}
TDateTime TXmlNode::ReadAttributeDateTime(const UTF8String& AName, TDateTime ADefault) {
  return sdStringToDateTimeDef(GetAttributeValueByName(AName), ADefault, DocUseLocalBias(this));
}

bool TXmlNode::GetWriteOnDefault() const { return Document() && Document()->WriteOnDefault(); }
void TXmlNode::SetWriteOnDefault(bool Value) {
  if (Document()) Document()->SetWriteOnDefault(Value);
}

TXmlNode* TXmlNode::WriteValue(const UTF8String& AName, const UTF8String& AValue) {
  TXmlNode* n = NodeFindOrCreate(AName);
  if (n) n->SetValue(AValue);
  return n;
}

namespace {
// The attribute's SetValue, or a new attribute.
void PutAttribute(TXmlNode* n, const UTF8String& AName, const UTF8String& text) {
  if (TsdAttribute* a = n->GetAttributeByName(AName)) a->SetValue(text);
  else n->AttributeAdd(AName, text);
}
}  // namespace

void TXmlNode::WriteBool(const UTF8String& AName, bool AValue, bool ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, sdBoolToString(AValue));
}
void TXmlNode::WriteDateTime(const UTF8String& AName, TDateTime AValue, TDateTime ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, DateTimeText(this, AValue));
}
void TXmlNode::WriteFloat(const UTF8String& AName, double AValue, double ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, FloatText(this, AValue));
}
void TXmlNode::WriteHex(const UTF8String& AName, Integer AValue, Integer ADigits, Integer ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, "$" + ToUtf8(IntToHex(AValue, ADigits)));
}
void TXmlNode::WriteInteger(const UTF8String& AName, Integer AValue, Integer ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, sdIntToString(AValue));
}
void TXmlNode::WriteInt64(const UTF8String& AName, Int64 AValue, Int64 ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, sdInt64ToString(AValue));
}
void TXmlNode::WriteString(const UTF8String& AName, const UTF8String& AValue, const UTF8String& ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, AValue);
}
void TXmlNode::WriteUnicodeString(const UTF8String& AName, const String& AValue, const String& ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, sdWideToUtf8(AValue));
}
void TXmlNode::WriteAnsiString(const UTF8String& AName, const AnsiString& AValue, const AnsiString& ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) WriteValue(AName, sdAnsiToUtf8(AValue, CP_ACP));
}
void TXmlNode::WriteAttributeInteger(const UTF8String& AName, Integer AValue, Integer ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, sdIntToString(AValue));
}
void TXmlNode::WriteAttributeInt64(const UTF8String& AName, Int64 AValue, Int64 ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, sdInt64ToString(AValue));
}
void TXmlNode::WriteAttributeFloat(const UTF8String& AName, double AValue, double ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, FloatText(this, AValue));
}
void TXmlNode::WriteAttributeString(const UTF8String& AName, const UTF8String& AValue, const UTF8String& ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, AValue);
}
void TXmlNode::WriteAttributeUnicodeString(const UTF8String& AName, const String& AValue, const String& ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, sdWideToUtf8(AValue));
}
void TXmlNode::WriteAttributeAnsiString(const UTF8String& AName, const AnsiString& AValue, const AnsiString& ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, sdAnsiToUtf8(AValue, CP_ACP));
}
void TXmlNode::WriteAttributeDateTime(const UTF8String& AName, TDateTime AValue, TDateTime ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, DateTimeText(this, AValue));
}
void TXmlNode::WriteAttributeBool(const UTF8String& AName, bool AValue, bool ADefault) {
  if (GetWriteOnDefault() || AValue != ADefault) PutAttribute(this, AName, sdBoolToString(AValue));
}

// ---------------------------------------------------------------------------
// Binary data

Integer TXmlNode::BufferLength() {
  UTF8String s = sdRemoveControlChars(GetValue());
  if (s.size() % 4 != 0) throw EFilerError(u"error while calculating streamlength");
  if (s.empty()) return 0;
  Integer n = static_cast<Integer>(s.size() / 4 * 3);
  if (s[s.size() - 1] == '=') --n;
  if (s[s.size() - 2] == '=') --n;
  return n;
}

void TXmlNode::BufferRead(void* Buffer, Integer Count, TsdBinaryEncoding BinaryEncoding) {
  UTF8String s = GetValue();
  if (BinaryEncoding == xbeBinHex) DecodeBinhexBuf(s, Buffer, Count);
  else DecodeBase64Buf(s, Buffer, Count);
}

void TXmlNode::BufferWrite(const void* Buffer, Integer Count) {
  UTF8String s = EncodeBase64Buf(Buffer, Count);
  UTF8String eol = GetEndOfLine();
  if (!eol.empty()) s = sdAddControlChars(s, eol + GetIndent(), 76);
  SetValue(s);
}

RawByteString TXmlNode::GetBinaryString(TsdBinaryEncoding BinaryEncoding) {
  return BinaryEncoding == xbeBinHex ? DecodeBinHex(GetValue()) : DecodeBase64(GetValue());
}

void TXmlNode::SetBinaryString(const RawByteString& Value) {
  BufferWrite(Value.data(), static_cast<Integer>(Value.size()));
}

// ---------------------------------------------------------------------------
// Layout settings and events

TsdEolStyle TXmlNode::GetEolStyle() const { return Document() ? Document()->EolStyle() : cDefaultEolStyle; }
TXmlFormatType TXmlNode::GetXmlFormat() const { return Document() ? Document()->XmlFormat() : cDefaultXmlFormat; }

UTF8String TXmlNode::GetIndent() const {
  if (!Document() || GetXmlFormat() != xfReadable) return {};
  UTF8String r;
  for (Integer i = TreeDepth(); i > 0; --i) r += Document()->IndentString();
  return r;
}

UTF8String TXmlNode::GetEndOfLine() const { return GetXmlFormat() == xfReadable ? GetSeparator() : UTF8String(); }

UTF8String TXmlNode::GetSeparator() const {
  switch (GetEolStyle()) {
    case esCRLF: return "\r\n";
    case esCR: return "\r";
    default: return "\n";
  }
}


// ---------------------------------------------------------------------------
// Parent links

void TXmlNode::AttachTo(TXmlNode* AParent) {
  if (!AParent) throw Exception(u"XML parent is not assigned");
  AParent->NodeAdd(this);
}

void TXmlNode::NodeInsertNear(TXmlNode* AParent, TXmlNode* ANode, bool ABefore) {
  if (!AParent || !AParent->Is<TsdContainerNode>()) throw Exception(u"XML parent is not assigned");
  Integer i = AParent->NodeIndexOf(ANode);
  if (i < 0) AParent->NodeAdd(this);
  else AParent->NodeInsert(ABefore ? i : i + 1, this);
}

// ---------------------------------------------------------------------------
// Character data

UTF8String TsdCharData::GetValue() { return sdReplaceString(sdUnNormaliseEol(GetCoreValue(), GetEolStyle())); }

void TsdCharData::SetName(const UTF8String& Value) {
  if (!Value.empty()) DoDebugOut(this, wsHint, "cannot set name on this type of element");
}

void TsdCharData::SetValue(const UTF8String& Value) { SetCoreValue(sdEscapeString(sdNormaliseEol(Value))); }

std::string_view TsdCharData::GetCoreView() const {
  TPlainXml* d = Document();
  return d && d->SymbolTable() ? d->SymbolTable()->GetView(FValueID) : std::string_view();
}

UTF8String TsdCharData::GetPlatformValue() const { return sdUnNormaliseEol(GetCoreValue(), GetEolStyle()); }

bool TsdCharData::IsWhiteSpace() const {
  std::string_view v = GetCoreView();
  return !v.empty() && (static_cast<unsigned char>(v.front()) <= 32 || static_cast<unsigned char>(v.back()) <= 32);
}

UTF8String TsdCharData::GetValueUsingReferences(const TsdEntityMap& Entities) const {
  bool nonStd = false;
  return sdReplaceString(sdUnNormaliseEol(GetCoreValue(), GetEolStyle()), nonStd, Entities);
}

void TsdCharData::CopyOwnData(TXmlNode* ASource) {
  if (ASource->Is<TsdCharData>()) SetCoreValue(static_cast<TsdCharData*>(ASource)->GetCoreValue());
}

void TsdQuotedText::CopyOwnData(TXmlNode* ASource) {
  TsdCharData::CopyOwnData(ASource);
  if (ASource->Is<TsdQuotedText>()) FQuoteStyle = static_cast<TsdQuotedText*>(ASource)->FQuoteStyle;
}

// ---------------------------------------------------------------------------
// Attributes

TsdAttribute::~TsdAttribute() = default;

TsdQuotedText* TsdAttribute::CoreValue() {
  if (!FCoreValue) {
    // A parsed attribute's value comes from the arena the attribute came
    // from, like every node of a parsed tree, so that the tree can still go
    // with one reset of the arena.
    if (FInArena) FCoreValue.reset(TsdNodeArena::Make<TsdQuotedText>(TsdNodeArena::Of(this), Document()));
    else FCoreValue = std::make_unique<TsdQuotedText>(Document());
    FCoreValue->FParent = this;
    FCoreValue->FValueID = FParsedValueID;
    FCoreValue->SetQuoteStyle(FParsedQuote);
  }
  return FCoreValue.get();
}

std::string_view TsdAttribute::ValueView() const {
  if (FCoreValue) return FCoreValue->GetCoreView();
  TPlainXml* d = Document();
  return d && d->SymbolTable() ? d->SymbolTable()->GetView(FParsedValueID) : std::string_view();
}

UTF8String TsdAttribute::GetValue() { return sdReplaceString(UTF8String(ValueView())); }

void TsdAttribute::SetValue(const UTF8String& Value) { CoreValue()->SetCoreValue(sdEscapeString(Value)); }

void TsdAttribute::CopyOwnData(TXmlNode* ASource) {
  if (!ASource->Is<TsdAttribute>()) return;
  auto* a = static_cast<TsdAttribute*>(ASource);
  SetName(a->GetName());
  static_cast<TXmlNode*>(CoreValue())->CopyOwnData(a->CoreValue());
}

}  // namespace qn
