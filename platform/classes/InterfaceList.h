// A thread-safe list of interface references: each item holds one
// reference, released when it leaves the list or the list goes.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <mutex>
#include <vector>

#include "platform/classes/Lists.h"

namespace vcl {

class TInterfaceList : public TInterfacedObject {
  QN_CLASS(TInterfaceList, TInterfacedObject)
 public:
  TInterfaceList() = default;
  ~TInterfaceList() override;

  // Appends; answers the new item's index.
  Integer Add(const TIntf<IInterface>& Item);
  // Raises EListError for an index outside 0..Count.
  void Insert(Integer Index, const TIntf<IInterface>& Item);
  // Removes the first item that is the same object; its index or -1.
  Integer Remove(const TIntf<IInterface>& Item);
  // Raises EListError for an index outside the list.
  void Delete(Integer Index);
  // Compares objects, not interface pointers: another interface of the same
  // object is found too.
  Integer IndexOf(const TIntf<IInterface>& Item);
  Integer Count();
  TIntf<IInterface> Items(Integer Index);
  void SetItems(Integer Index, const TIntf<IInterface>& Item);
  TIntf<IInterface> First();
  TIntf<IInterface> Last();
  void Clear();
  void Exchange(Integer Index1, Integer Index2);
  // Holds the list for a sequence of calls from one thread.
  void Lock() { FLock.lock(); }
  void Unlock() { FLock.unlock(); }

 private:
  void CheckIndex(Integer Index, Integer Limit);
  std::recursive_mutex FLock;
  std::vector<TIntf<IInterface>> FList;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
