// Pointer lists: TList with its Notify hook, TObjectList that may own its
// objects, TThreadList guarded by a re-entrant lock, and small typed lists
// in namespace vcl::Generics (kept apart because their names are the same
// as the untyped ones).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/rtl/System.h"

namespace vcl {

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };
inline constexpr TListNotification lnAdded = TListNotification::lnAdded;
inline constexpr TListNotification lnExtracted = TListNotification::lnExtracted;
inline constexpr TListNotification lnDeleted = TListNotification::lnDeleted;

enum class TDuplicates { dupIgnore, dupAccept, dupError };
inline constexpr TDuplicates dupIgnore = TDuplicates::dupIgnore;
inline constexpr TDuplicates dupAccept = TDuplicates::dupAccept;
inline constexpr TDuplicates dupError = TDuplicates::dupError;

using TListSortCompare = Integer (*)(Pointer Item1, Pointer Item2);

class TList : public TObject {
  QN_CLASS(TList, TObject)
 public:
  TList() = default;
  ~TList() override;

  Integer Add(Pointer Item);
  void Insert(Integer Index, Pointer Item);
  void Delete(Integer Index);
  // Removes the first occurrence; returns its former index or -1.
  Integer Remove(Pointer Item);
  // Takes Item out without the lnDeleted notification (lnExtracted instead).
  Pointer Extract(Pointer Item);
  Integer IndexOf(Pointer Item) const;
  void Exchange(Integer Index1, Integer Index2);
  void Move(Integer CurIndex, Integer NewIndex);
  // Sorts stably; Compare returns <0, 0, >0 as the platform's compare does.
  void Sort(TListSortCompare Compare);
  void SortBy(const std::function<Integer(Pointer, Pointer)>& Compare);
  // Drops nil items.
  void Pack();
  virtual void Clear();
  TList* Expand() { return this; }

  Pointer First() const { return Get(0); }
  Pointer Last() const { return Get(Count() - 1); }
  Pointer Get(Integer Index) const;
  void Put(Integer Index, Pointer Item);
  Pointer Items(Integer Index) const { return Get(Index); }
  void SetItem(Integer Index, Pointer Item) { Put(Index, Item); }
  Pointer operator[](Integer Index) const { return Get(Index); }

  Integer Count() const { return static_cast<Integer>(FList.size()); }
  // Shrinking deletes from the end (with notifications); growing adds nils.
  void SetCount(Integer NewCount);
  Integer Capacity() const { return static_cast<Integer>(FList.capacity()); }
  void SetCapacity(Integer NewCapacity);
  Pointer* List() { return FList.data(); }

  auto begin() const { return FList.begin(); }
  auto end() const { return FList.end(); }

  // Raises EListError with Msg formatted with Data ("%d").
  [[noreturn]] static void Error(const String& Msg, NativeInt Data);

 protected:
  virtual void Notify(Pointer Ptr, TListNotification Action);

 private:
  void CheckIndex(Integer Index) const;
  std::vector<Pointer> FList;
};

// A list of objects that frees them on deletion while OwnsObjects is true.
class TObjectList : public TList {
  QN_CLASS(TObjectList, TList)
 public:
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  ~TObjectList() override;

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  TObject* Items(Integer Index) const { return static_cast<TObject*>(Get(Index)); }
  void SetItem(Integer Index, TObject* AObject) { Put(Index, AObject); }
  TObject* operator[](Integer Index) const { return Items(Index); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  // Index of the first object of exactly AClass (or a descendant unless
  // AExact), searching from AStartAt; -1 when none.
  Integer FindInstanceOf(TClass AClass, bool AExact = true, Integer AStartAt = 0) const;

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override;

 private:
  bool FOwnsObjects;
};

// A TList behind a re-entrant lock; LockList/UnlockList bracket direct use.
class TThreadList : public TObject {
  QN_CLASS(TThreadList, TObject)
 public:
  TThreadList() = default;
  void Add(Pointer Item);
  void Remove(Pointer Item);
  void Clear();
  TList* LockList();
  void UnlockList();
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }

 private:
  std::recursive_mutex FLock;
  TList FList;
  TDuplicates FDuplicates = dupIgnore;
};

namespace Generics {

// A typed list of values, with the untyped list's index checks and messages.
template <class T>
class TList {
 public:
  Integer Add(const T& Item) { FItems.push_back(Item); return Count() - 1; }
  void Insert(Integer Index, const T& Item) {
    if (Index < 0 || Index > Count()) vcl::TList::Error(u"List index out of bounds (%d)", Index);
    FItems.insert(FItems.begin() + Index, Item);
  }
  void Delete(Integer Index) { Check(Index); FItems.erase(FItems.begin() + Index); }
  Integer Remove(const T& Item) {
    Integer i = IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
  }
  Integer IndexOf(const T& Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
  }
  bool Contains(const T& Item) const { return IndexOf(Item) >= 0; }
  void Exchange(Integer A, Integer B) { Check(A); Check(B); std::swap(FItems[A], FItems[B]); }
  void Move(Integer Cur, Integer New) {
    Check(Cur); Check(New);
    T v = std::move(FItems[Cur]);
    FItems.erase(FItems.begin() + Cur);
    FItems.insert(FItems.begin() + New, std::move(v));
  }
  template <class Less>
  void Sort(Less less) { std::stable_sort(FItems.begin(), FItems.end(), less); }
  void Clear() { FItems.clear(); }
  const T& Items(Integer Index) const { Check(Index); return FItems[Index]; }
  void SetItem(Integer Index, const T& Item) { Check(Index); FItems[Index] = Item; }
  const T& operator[](Integer Index) const { return Items(Index); }
  const T& First() const { return Items(0); }
  const T& Last() const { return Items(Count() - 1); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  void Check(Integer Index) const {
    if (Index < 0 || Index >= Count()) vcl::TList::Error(u"List index out of bounds (%d)", Index);
  }
  std::vector<T> FItems;
};

// A typed list of objects it owns (unless OwnsObjects is false).
template <class T>
class TObjectList {
 public:
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  ~TObjectList() { Clear(); }
  Integer Add(T* Item) { return FItems.Add(Item); }
  void Insert(Integer Index, T* Item) { FItems.Insert(Index, Item); }
  void Delete(Integer Index) {
    T* item = FItems.Items(Index);
    FItems.Delete(Index);
    if (FOwnsObjects) delete item;
  }
  Integer Remove(T* Item) {
    Integer i = FItems.IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
  }
  T* Extract(T* Item) {
    Integer i = FItems.IndexOf(Item);
    if (i < 0) return nullptr;
    FItems.Delete(i);
    return Item;
  }
  void Clear() {
    while (Count() > 0) Delete(Count() - 1);
  }
  Integer IndexOf(T* Item) const { return FItems.IndexOf(Item); }
  void Exchange(Integer A, Integer B) { FItems.Exchange(A, B); }
  void Move(Integer Cur, Integer New) { FItems.Move(Cur, New); }
  template <class Less>
  void Sort(Less less) { FItems.Sort(less); }
  T* Items(Integer Index) const { return FItems.Items(Index); }
  T* operator[](Integer Index) const { return Items(Index); }
  T* First() const { return FItems.First(); }
  T* Last() const { return FItems.Last(); }
  Integer Count() const { return FItems.Count(); }
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  TList<T*> FItems;
  bool FOwnsObjects;
};

}  // namespace Generics

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
