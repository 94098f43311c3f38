// Pix32_qn, base classes of every stateful object in the graphics library:
// optional interface counting, change notification with update brackets, a
// lock, and a width and height with a resize protocol.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <atomic>
#include <mutex>

#include "graphics/raster/QnBase.h"
#include "platform/classes/Persistent.h"

namespace qn {

// A persistent object that answers interface queries. Counting is off unless
// a derived constructor switches it on, and then such a constructor also
// takes the first reference itself, which keeps the object alive while it
// hands out references to itself.
class TPlainInterfacedPersistent : public TPersistent, public virtual IInterface {
  QN_CLASS(TPlainInterfacedPersistent, TPersistent)
 public:
  TPlainInterfacedPersistent() = default;

  HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
  Integer _AddRef() override;
  Integer _Release() override;

  // The explicit free path. A counted object with references outstanding
  // raises "Unmatched reference counting." and stays alive: raising from a
  // destructor could not keep it so.
  void Free();
  void BeforeDestruction() override;

  bool RefCounted() const { return FRefCounted; }
  Integer RefCount() const { return FRefCount.load(std::memory_order_relaxed); }

 protected:
  bool FRefCounted = false;
  std::atomic<Integer> FRefCount{0};
};

// Change notification. Inside BeginUpdate .. EndUpdate, Changed is dropped
// (not deferred), and EndUpdate reports nothing itself: whole-object
// operations call Changed after their bracket.
class TNotifiablePersistent : public TPlainInterfacedPersistent {
  QN_CLASS(TNotifiablePersistent, TPlainInterfacedPersistent)
 public:
  TNotifiablePersistent() = default;

  virtual void Changed();
  virtual void BeginUpdate();
  virtual void EndUpdate();

  Integer UpdateCount() const { return FUpdateCount; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 protected:
  Integer FUpdateCount = 0;
  TNotifyEvent FOnChange;
};

// A notifiable object with a re-entrant lock for callers that share it
// between threads; nothing here takes the lock implicitly.
class TThreadPersistent : public TNotifiablePersistent {
  QN_CLASS_CREATE(TThreadPersistent, TNotifiablePersistent, TObject)
 public:
  TThreadPersistent() = default;
  explicit TThreadPersistent(TObject*) {}

  void Lock();
  void Unlock();
  Integer LockCount() const { return FLockCount.load(std::memory_order_relaxed); }

 protected:
  std::atomic<Integer> FLockCount{0};
  std::recursive_mutex FLock;
};

// A two-dimensional store: width and height, never negative.
class TCustomMap : public TThreadPersistent {
  QN_CLASS(TCustomMap, TThreadPersistent)
 public:
  TCustomMap() = default;
  // Sizes through this class's own ChangeSize: C++ does not dispatch to a
  // descendant during construction, so descendants call SetSize themselves.
  TCustomMap(Integer Width, Integer Height);

  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  virtual void SetWidth(Integer NewWidth);
  virtual void SetHeight(Integer NewHeight);
  virtual void Delete();
  virtual bool Empty() const;
  virtual void Resized();
  // True when the size changed (negative values count as 0).
  virtual bool SetSize(Integer NewWidth, Integer NewHeight);
  // SetSize for a map other threads draw into: the storage changes under the
  // map's lock, and Changed and Resized run after the lock is let go, so a
  // listener that repaints or takes another lock never nests inside it.
  bool SetSizeLocked(Integer NewWidth, Integer NewHeight);
  // Takes the size of another map or of a platform graphic (nil: 0 x 0); raises "Can't set size from
  // '%s'" for anything else and leaves the size as it was.
  void SetSizeFrom(TPersistent* Source);

  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(const TNotifyEvent& Value) { FOnResize = Value; }

 protected:
  // Descendants reallocate their storage here and store the sizes they got.
  virtual void ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight);

  Integer FHeight = 0;
  Integer FWidth = 0;
  TNotifyEvent FOnResize;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
