// Small containers of the graphics library: a pointer-to-pointer hash map,
// a growable rectangle array, a registry of classes found by name, a doubly
// linked list of untyped data, and SmartAssign over published properties.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Lists.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/Strings.h"

namespace qn {

using PItem = Pointer;
using PData = Pointer;
using PPItem = PItem*;
using PPData = PData*;

struct TPointerBucketItem {
  PItem Item = nullptr;
  PData Data = nullptr;
};
// Its length is the bucket's capacity; Count says how many are in use.
using TPointerBucketItemArray = std::vector<TPointerBucketItem>;

struct TPointerBucket {
  Integer Count = 0;
  TPointerBucketItemArray Items;
};
using TPointerBucketArray = std::array<TPointerBucket, 256>;

// A hash map from pointer to pointer. The bucket is the second-lowest byte
// of the address: heap blocks of one size class differ there first.
class TPointerMap : public TObject {
  QN_CLASS(TPointerMap, TObject)
 public:
  TPointerMap() = default;
  ~TPointerMap() override;

  static Integer BucketOf(PItem Item) { return static_cast<Integer>((reinterpret_cast<NativeUInt>(Item) >> 8) & 0xFF); }

  // Returns the existing item's data slot (IsNew false, data kept) or the
  // new item's slot. Slots move when their bucket grows.
  PPData Add(PItem NewItem);
  PPData Add(PItem NewItem, bool& IsNew);
  PPData Add(PItem NewItem, PData NewData);
  PPData Add(PItem NewItem, PData NewData, bool& IsNew);
  PData Remove(PItem Item);
  void Clear();
  bool Contains(PItem Item);
  bool Find(PItem Item, PPData& Data);
  bool Exists(PItem Item, Integer& BucketIndex, Integer& ItemIndex);

  Integer Count() const { return FCount; }
  // Raises EListError for an item not in the map.
  PData GetData(PItem Item);
  void SetData(PItem Item, PData NewData);
  PData Data(PItem Item) { return GetData(Item); }

  const TPointerBucket& Bucket(Integer Index) const { return FBuckets[Index]; }

 protected:
  // Descendants free the data of the slot here, then call this.
  virtual PData Delete(Integer BucketIndex, Integer ItemIndex);

 private:
  friend class TPointerMapIterator;
  TPointerBucketArray FBuckets;
  Integer FCount = 0;
};

// Walks a map: buckets in increasing order, items in a bucket last to first.
// The map must not change during the walk.
class TPointerMapIterator : public TObject {
  QN_CLASS(TPointerMapIterator, TObject)
 public:
  explicit TPointerMapIterator(TPointerMap* SrcPointerMap) : FSrcPointerMap(SrcPointerMap) {}
  bool Next();
  PItem Item() const { return FItem; }
  PData Data() const { return FData; }

 private:
  TPointerMap* FSrcPointerMap;
  PItem FItem = nullptr;
  PData FData = nullptr;
  Integer FCurBucketIndex = -1;
  Integer FCurItemIndex = -1;
};

using PRect = TRect*;
using PPolyRects = TRect*;

// Rectangles in one contiguous block. Indices of Delete, Insert, Exchange
// and Move are trusted; Get answers nil outside the list.
class TRectList : public TObject {
  QN_CLASS(TRectList, TObject)
 public:
  TRectList() = default;
  ~TRectList() override;

  Integer Add(const TRect& Rect);
  // Count rectangles at the end in one copy; the index of the first.
  Integer AddRects(const TRect* Rects, Integer Count);
  virtual void Clear();
  void Delete(Integer Index);
  void Exchange(Integer Index1, Integer Index2);
  Integer IndexOf(const TRect& Rect) const;
  void Insert(Integer Index, const TRect& Rect);
  void Move(Integer CurIndex, Integer NewIndex);
  Integer Remove(const TRect& Rect);
  void Pack();

  Integer Count() const { return FCount; }
  void SetCount(Integer Value);
  Integer Capacity() const { return FCapacity; }
  void SetCapacity(Integer Value);
  PRect Get(Integer Index) const;
  PRect Items(Integer Index) const { return Get(Index); }
  PPolyRects List() const { return FList; }

 protected:
  virtual void Grow();

 private:
  PPolyRects FList = nullptr;
  Integer FCount = 0;
  Integer FCapacity = 0;
};

// A list of class references, searched by exact class name.
class TClassList : public TList {
  QN_CLASS(TClassList, TList)
 public:
  TClassList() = default;
  Integer Add(TClass AClass) { return TList::Add(P(AClass)); }
  TClass Extract(TClass Item) { return C(TList::Extract(P(Item))); }
  Integer Remove(TClass AClass) { return TList::Remove(P(AClass)); }
  Integer IndexOf(TClass AClass) const { return TList::IndexOf(P(AClass)); }
  void Insert(Integer Index, TClass AClass) { TList::Insert(Index, P(AClass)); }
  TClass First() const { return C(TList::First()); }
  TClass Last() const { return C(TList::Last()); }
  TClass Items(Integer Index) const { return C(Get(Index)); }
  void SetItem(Integer Index, TClass AClass) { Put(Index, P(AClass)); }
  // Case-sensitive; nil when none.
  TClass Find(const String& AClassName) const;
  void GetClassNames(TStrings* Strings) const;

 private:
  static Pointer P(TClass c) { return const_cast<TMetaClass*>(c); }
  static TClass C(Pointer p) { return static_cast<TClass>(p); }
};

struct TLinkedNode;
using PLinkedNode = TLinkedNode*;
struct TLinkedNode {
  PLinkedNode Prev = nullptr;
  PLinkedNode Next = nullptr;
  Pointer Data = nullptr;
};

using TIteratorProc = void (*)(PLinkedNode Node, Integer Index);
using TFreeDataEvent = TEvent<void(Pointer Data)>;

// Moves Node Steps forward (or -Steps back), stopping at nil.
void Advance(PLinkedNode& Node, Integer Steps = 1);

// A doubly linked list that owns its nodes, not their data: OnFreeData is
// told when a node's data goes.
class TLinkedList : public TObject {
  QN_CLASS(TLinkedList, TObject)
 public:
  TLinkedList() = default;
  ~TLinkedList() override;

  PLinkedNode Add();
  void Remove(PLinkedNode Node);
  Integer IndexOf(PLinkedNode Node) const;
  PLinkedNode GetNode(Integer Index) const;
  void Exchange(PLinkedNode Node1, PLinkedNode Node2);
  void InsertBefore(PLinkedNode Node, PLinkedNode NewNode);
  void InsertAfter(PLinkedNode Node, PLinkedNode NewNode);
  void Clear();
  void IterateList(TIteratorProc CallBack);

  Integer Count() const { return FCount; }
  PLinkedNode Head() const { return FHead; }
  PLinkedNode Tail() const { return FTail; }
  const TFreeDataEvent& OnFreeData() const { return FOnFreeData; }
  void SetOnFreeData(const TFreeDataEvent& Value) { FOnFreeData = Value; }

 protected:
  virtual void DoFreeData(Pointer Data);

 private:
  Integer FCount = 0;
  PLinkedNode FHead = nullptr;
  PLinkedNode FTail = nullptr;
  TFreeDataEvent FOnFreeData;
};

using TTypeKinds = TSet<TTypeKind>;
// Every kind but events and unknown ones: what copying an object's settings
// means throughout this library.
inline const TTypeKinds tkSmartAssignKinds = {
    tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkWChar, tkLString,
    tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray, tkUString};

// Copies the published properties of Src of the given kinds into the
// properties of Dst with the same name. Sub-objects are assigned (both must
// be assigned); properties Dst does not publish, or cannot write, are left.
void SmartAssign(TPersistent* Src, TPersistent* Dst, const TTypeKinds& TypeKinds = tkSmartAssignKinds);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
