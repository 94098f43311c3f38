// Collections: lists of items of one class that the collection creates
// through the item class's virtual constructor, numbers with IDs that are
// never reused, and reports on through overridable hooks:
//
//   Add / Insert:  Notify(Item, cnAdded) -> Added(Item), then Update(nil)
//   Delete:        Notify(Item, cnDeleting) -> Deleting(Item), then the item
//                  leaves: Notify(Item, cnExtracting), then Update(nil)
//   Item.Index:    Update(nil);  Item.Changed(False): Update(Item)
//   Clear:         Delete of every item, last first, in an update bracket
//
// Update is deferred while UpdateCount > 0 and runs once, with nil, at the
// outermost EndUpdate. Items made by Add and Insert are announced once fully
// constructed; an item constructed directly with a collection is announced
// from TCollectionItem's constructor. Deleting an item (or the collection)
// runs these hooks before any destructor, so they see the real classes.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/classes/Persistent.h"

namespace vcl {

class TCollectionItem;

enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };
inline constexpr TCollectionNotification cnAdded = TCollectionNotification::cnAdded;
inline constexpr TCollectionNotification cnExtracting = TCollectionNotification::cnExtracting;
inline constexpr TCollectionNotification cnDeleting = TCollectionNotification::cnDeleting;

// A class reference whose Create(collection) makes an item.
using TCollectionItemClass = TClass;

class TCollection : public TPersistent {
  QN_CLASS(TCollection, TPersistent)
 public:
  // Raises EInvalidCast when ItemClass is not a TCollectionItem class.
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;
  void BeforeDestruction() override;

  TCollectionItem* Add();
  // Add, then moved to Index.
  TCollectionItem* Insert(Integer Index);
  void Delete(Integer Index);
  void Clear();
  // Clear, and the next item gets ID 0 again.
  void ClearAndResetID();
  void Move(Integer CurIndex, Integer NewIndex);
  TCollectionItem* FindItemID(Integer ID) const;

  TCollectionItem* Items(Integer Index) const { return GetItem(Index); }
  TCollectionItem* GetItem(Integer Index) const;
  // Assigns Value to the item at Index.
  void SetItem(Integer Index, TCollectionItem* Value);
  TCollectionItem* operator[](Integer Index) const { return GetItem(Index); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

  virtual void BeginUpdate();
  virtual void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  TCollectionItemClass ItemClass() const { return FItemClass; }
  TPersistent* Owner() { return GetOwner(); }
  // Clears and copies Source's items (each through Assign) in one bracket.
  void Assign(TPersistent* Source) override;
  String GetNamePath() override;
  // The name of the owner's property that holds this collection, for name
  // paths and streaming (set by whoever publishes it).
  const String& PropName() const { return FPropName; }
  void SetPropName(const String& Value) { FPropName = Value; }

 protected:
  // Kept for the platform's descendants that still override it.
  virtual void Added(TCollectionItem* Item);
  virtual void Deleting(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  // Item changed (nil: the whole collection).
  virtual void Update(TCollectionItem* Item);
  virtual void SetItemName(TCollectionItem* Item);
  // Update(nil) unless inside an update bracket.
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void Announce(TCollectionItem* Item);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount = 0;
  Integer FNextID = 0;
  bool FDeferAnnounce = false;
  String FPropName;
};

class TCollectionItem : public TPersistent {
  QN_CLASS_CREATE(TCollectionItem, TPersistent, TCollection)
 public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;
  void BeforeDestruction() override;

  TCollection* Collection() const { return FCollection; }
  // Moves the item to another collection (nil: out of any).
  virtual void SetCollection(TCollection* Value);
  Integer ID() const { return FID; }
  Integer Index() const { return GetIndex(); }
  virtual Integer GetIndex() const;
  // Moves the item within its collection, then Changed(True).
  virtual void SetIndex(Integer Value);
  String DisplayName() { return GetDisplayName(); }
  virtual void SetDisplayName(const String& Value);
  TPersistent* GetOwner() override;
  // "<collection path>[<index>]", or the class name outside a collection.
  String GetNamePath() override;

 protected:
  // The class name unless a descendant has something better.
  virtual String GetDisplayName();
  // Reports a change: Update(this), or Update(nil) for AllItems; nothing
  // inside an update bracket.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
  bool FAnnounced = false;
};

// A collection that names an owner (for name paths and streaming).
class TOwnedCollection : public TCollection {
  QN_CLASS(TOwnedCollection, TCollection)
 public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(ItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
