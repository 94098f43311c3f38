#include "graphics/raster/Pix32_Containers_qn.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace qn {

// ---------------------------------------------------------------------------
// TPointerMap

TPointerMap::~TPointerMap() { Clear(); }

PPData TPointerMap::Add(PItem NewItem) {
  bool dummy;
  return Add(NewItem, nullptr, dummy);
}

PPData TPointerMap::Add(PItem NewItem, bool& IsNew) { return Add(NewItem, nullptr, IsNew); }

PPData TPointerMap::Add(PItem NewItem, PData NewData) {
  bool dummy;
  return Add(NewItem, NewData, dummy);
}

PPData TPointerMap::Add(PItem NewItem, PData NewData, bool& IsNew) {
  Integer b, i;
  if (Exists(NewItem, b, i)) {
    IsNew = false;
    return &FBuckets[b].Items[i].Data;
  }
  TPointerBucket& bucket = FBuckets[b];
  const Integer len = static_cast<Integer>(bucket.Items.size());
  if (bucket.Count == len) {
    // Small steps while a bucket is small, so that sparse maps stay small.
    const Integer delta = len < 9 ? 4 : (len <= 64 ? 16 : len / 4);
    bucket.Items.resize(static_cast<size_t>(len + delta));
  }
  TPointerBucketItem& slot = bucket.Items[bucket.Count];
  slot.Item = NewItem;
  slot.Data = NewData;
  ++bucket.Count;
  ++FCount;
  IsNew = true;
  return &slot.Data;
}

PData TPointerMap::Delete(Integer BucketIndex, Integer ItemIndex) {
  TPointerBucket& bucket = FBuckets[BucketIndex];
  PData result = bucket.Items[ItemIndex].Data;
  if (FCount == 0) return result;
  if (--bucket.Count == 0) {
    TPointerBucketItemArray().swap(bucket.Items);
  } else {
    for (Integer k = ItemIndex; k < bucket.Count; ++k) bucket.Items[k] = bucket.Items[k + 1];
  }
  --FCount;
  return result;
}

PData TPointerMap::Remove(PItem Item) {
  Integer b, i;
  if (Exists(Item, b, i)) return Delete(b, i);
  return nullptr;
}

void TPointerMap::Clear() {
  // With the count at 0 the base Delete changes nothing; descendants use the
  // calls to release their data.
  FCount = 0;
  for (Integer b = 0; b < 256; ++b) {
    for (Integer i = FBuckets[b].Count - 1; i >= 0; --i) Delete(b, i);
    FBuckets[b].Count = 0;
    TPointerBucketItemArray().swap(FBuckets[b].Items);
  }
}

bool TPointerMap::Exists(PItem Item, Integer& BucketIndex, Integer& ItemIndex) {
  BucketIndex = BucketOf(Item);
  const TPointerBucket& bucket = FBuckets[BucketIndex];
  for (Integer i = 0; i < bucket.Count; ++i)
    if (bucket.Items[i].Item == Item) {
      ItemIndex = i;
      return true;
    }
  return false;
}

bool TPointerMap::Contains(PItem Item) {
  Integer b, i;
  return Exists(Item, b, i);
}

bool TPointerMap::Find(PItem Item, PPData& Data) {
  Integer b, i;
  if (!Exists(Item, b, i)) return false;
  Data = &FBuckets[b].Items[i].Data;
  return true;
}

PData TPointerMap::GetData(PItem Item) {
  Integer b, i;
  if (!Exists(Item, b, i)) TList::Error(u"Item not found ($0%x)", reinterpret_cast<NativeInt>(Item));
  return FBuckets[b].Items[i].Data;
}

void TPointerMap::SetData(PItem Item, PData NewData) {
  Integer b, i;
  if (!Exists(Item, b, i)) TList::Error(u"Item not found ($0%x)", reinterpret_cast<NativeInt>(Item));
  FBuckets[b].Items[i].Data = NewData;
}

bool TPointerMapIterator::Next() {
  if (FCurItemIndex > 0) {
    --FCurItemIndex;
  } else {
    Integer b = FCurBucketIndex + 1;
    while (b < 256 && FSrcPointerMap->FBuckets[b].Count == 0) ++b;
    if (b >= 256) {
      FCurBucketIndex = 256;
      return false;
    }
    FCurBucketIndex = b;
    FCurItemIndex = FSrcPointerMap->FBuckets[b].Count - 1;
  }
  const TPointerBucketItem& it = FSrcPointerMap->FBuckets[FCurBucketIndex].Items[FCurItemIndex];
  FItem = it.Item;
  FData = it.Data;
  return true;
}

// ---------------------------------------------------------------------------
// TRectList

TRectList::~TRectList() {
  SetCount(0);
  SetCapacity(0);
}

Integer TRectList::Add(const TRect& Rect) {
  if (FCount == FCapacity) Grow();
  FList[FCount] = Rect;
  return FCount++;
}

void TRectList::Grow() {
  const Integer delta = FCapacity <= 8 ? 8 : (FCapacity <= 128 ? 32 : FCapacity / 4);
  SetCapacity(FCapacity + delta);
}

void TRectList::SetCapacity(Integer Value) {
  if (Value == FCapacity) return;
  if (Value < FCount) FCount = Value < 0 ? 0 : Value;
  if (Value <= 0) {
    std::free(static_cast<void*>(FList));
    FList = nullptr;
    FCapacity = 0;
    return;
  }
  void* p = std::realloc(static_cast<void*>(FList), static_cast<size_t>(Value) * sizeof(TRect));
  if (!p) throw EOutOfMemory(u"Out of memory");
  FList = static_cast<PPolyRects>(p);
  FCapacity = Value;
}

Integer TRectList::AddRects(const TRect* Rects, Integer Count) {
  const Integer at = FCount;
  if (Count <= 0) return at;
  if (at + Count > FCapacity) SetCapacity(at + Count);
  std::memcpy(static_cast<void*>(FList + at), Rects, static_cast<size_t>(Count) * sizeof(TRect));
  FCount = at + Count;
  return at;
}

void TRectList::SetCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > FCapacity) SetCapacity(Value);
  for (Integer i = FCount; i < Value; ++i) FList[i] = TRect();
  FCount = Value;
}

void TRectList::Clear() {
  SetCount(0);
  SetCapacity(10);
}

void TRectList::Delete(Integer Index) {
  --FCount;
  if (Index < FCount)
    std::memmove(static_cast<void*>(FList + Index), FList + Index + 1, static_cast<size_t>(FCount - Index) * sizeof(TRect));
}

void TRectList::Insert(Integer Index, const TRect& Rect) {
  if (FCount == FCapacity) Grow();
  if (Index < FCount)
    std::memmove(static_cast<void*>(FList + Index + 1), FList + Index, static_cast<size_t>(FCount - Index) * sizeof(TRect));
  FList[Index] = Rect;
  ++FCount;
}

void TRectList::Exchange(Integer Index1, Integer Index2) { std::swap(FList[Index1], FList[Index2]); }

void TRectList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  const TRect r = FList[CurIndex];
  Delete(CurIndex);
  Insert(NewIndex, r);
}

Integer TRectList::IndexOf(const TRect& Rect) const {
  for (Integer i = 0; i < FCount; ++i)
    if (EqualRect(FList[i], Rect)) return i;
  return -1;
}

Integer TRectList::Remove(const TRect& Rect) {
  const Integer i = IndexOf(Rect);
  if (i >= 0) Delete(i);
  return i;
}

// An entry inside the list always has an address, so nothing is removed;
// kept for callers written against the list interface.
void TRectList::Pack() {
  for (Integer i = FCount - 1; i >= 0; --i)
    if (!Get(i)) Delete(i);
}

PRect TRectList::Get(Integer Index) const {
  if (Index < 0 || Index >= FCount) return nullptr;
  return FList + Index;
}

// ---------------------------------------------------------------------------
// TClassList

TClass TClassList::Find(const String& AClassName) const {
  for (Integer i = 0; i < Count(); ++i) {
    TClass c = Items(i);
    if (c && c->ClassName() == AClassName) return c;
  }
  return nullptr;
}

void TClassList::GetClassNames(TStrings* Strings) const {
  for (Integer i = 0; i < Count(); ++i)
    if (TClass c = Items(i)) Strings->Add(c->ClassName());
}

// ---------------------------------------------------------------------------
// TLinkedList

void Advance(PLinkedNode& Node, Integer Steps) {
  for (; Steps > 0 && Node; --Steps) Node = Node->Next;
  for (; Steps < 0 && Node; ++Steps) Node = Node->Prev;
}

TLinkedList::~TLinkedList() { Clear(); }

PLinkedNode TLinkedList::Add() {
  auto* node = new TLinkedNode;
  if (!FHead) {
    FHead = node;
    FTail = node;
  } else {
    node->Prev = FTail;
    FTail->Next = node;
    FTail = node;
  }
  ++FCount;
  return node;
}

void TLinkedList::Remove(PLinkedNode Node) {
  if (!Node) return;
  DoFreeData(Node->Data);
  if (Node->Prev) Node->Prev->Next = Node->Next;
  else FHead = Node->Next;
  if (Node->Next) Node->Next->Prev = Node->Prev;
  else FTail = Node->Prev;
  delete Node;
  --FCount;
}

Integer TLinkedList::IndexOf(PLinkedNode Node) const {
  PLinkedNode n = FHead;
  for (Integer i = 0; i < FCount && n; ++i, n = n->Next)
    if (n == Node) return i;
  return -1;
}

PLinkedNode TLinkedList::GetNode(Integer Index) const {
  PLinkedNode n = FHead;
  Advance(n, Index);
  return n;
}

void TLinkedList::Exchange(PLinkedNode Node1, PLinkedNode Node2) {
  if (!Node1 || !Node2 || Node1 == Node2) return;
  if (Node2->Next == Node1) std::swap(Node1, Node2);
  PLinkedNode p1 = Node1->Prev, x1 = Node1->Next, p2 = Node2->Prev, x2 = Node2->Next;
  if (x1 == Node2) {
    // Neighbours: p1 Node1 Node2 x2 becomes p1 Node2 Node1 x2.
    Node2->Prev = p1;
    Node2->Next = Node1;
    Node1->Prev = Node2;
    Node1->Next = x2;
    if (p1) p1->Next = Node2;
    else FHead = Node2;
    if (x2) x2->Prev = Node1;
    else FTail = Node1;
    return;
  }
  Node1->Prev = p2;
  Node1->Next = x2;
  Node2->Prev = p1;
  Node2->Next = x1;
  if (p1) p1->Next = Node2;
  else FHead = Node2;
  if (x1) x1->Prev = Node2;
  else FTail = Node2;
  if (p2) p2->Next = Node1;
  else FHead = Node1;
  if (x2) x2->Prev = Node1;
  else FTail = Node1;
}

void TLinkedList::InsertBefore(PLinkedNode Node, PLinkedNode NewNode) {
  if (!Node || !NewNode) return;
  NewNode->Next = Node;
  NewNode->Prev = Node->Prev;
  if (Node->Prev) Node->Prev->Next = NewNode;
  Node->Prev = NewNode;
  if (Node == FHead) FHead = NewNode;
  ++FCount;
}

void TLinkedList::InsertAfter(PLinkedNode Node, PLinkedNode NewNode) {
  if (!Node || !NewNode) return;
  NewNode->Prev = Node;
  NewNode->Next = Node->Next;
  if (Node->Next) Node->Next->Prev = NewNode;
  Node->Next = NewNode;
  if (Node == FTail) FTail = NewNode;
  ++FCount;
}

void TLinkedList::Clear() {
  PLinkedNode n = FHead;
  while (n) {
    PLinkedNode next = n->Next;
    DoFreeData(n->Data);
    delete n;
    n = next;
  }
  FHead = nullptr;
  FTail = nullptr;
  FCount = 0;
}

void TLinkedList::IterateList(TIteratorProc CallBack) {
  PLinkedNode n = FHead;
  for (Integer i = 0; i < FCount && n; ++i, n = n->Next) CallBack(n, i);
}

void TLinkedList::DoFreeData(Pointer Data) {
  if (FOnFreeData) FOnFreeData(Data);
}

// ---------------------------------------------------------------------------
// SmartAssign

void SmartAssign(TPersistent* Src, TPersistent* Dst, const TTypeKinds& TypeKinds) {
  if (!Src || !Dst) return;
  for (const TPropInfo* info : GetPropInfos(Src)) {
    if (!TypeKinds.Contains(info->Kind())) continue;
    const TPropInfo* target = GetPropInfo(Dst, info->Name());
    if (!target || target->Kind() != info->Kind()) continue;
    if (info->Kind() == tkClass) {
      auto* dstObj = dynamic_cast<TPersistent*>(target->GetValue(Dst).Object);
      if (!dstObj) continue;
      auto* srcObj = dynamic_cast<TPersistent*>(info->GetValue(Src).Object);
      if (srcObj) dstObj->Assign(srcObj);
    } else if (target->IsWritable()) {
      target->SetValue(Dst, info->GetValue(Src));
    }
  }
}

}  // namespace qn
