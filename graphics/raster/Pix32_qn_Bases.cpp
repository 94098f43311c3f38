#include "graphics/raster/Pix32_qn_Bases.h"

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Graphic.h"

namespace qn {

HRESULT TPlainInterfacedPersistent::QueryInterface(const TGUID& IID, void** Obj) {
  if (!Obj) return E_POINTER;
  *Obj = nullptr;
  return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
}

Integer TPlainInterfacedPersistent::_AddRef() {
  if (!FRefCounted) return -1;
  return FRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

Integer TPlainInterfacedPersistent::_Release() {
  if (!FRefCounted) return -1;
  const Integer r = FRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (r == 0) delete this;
  return r;
}

void TPlainInterfacedPersistent::Free() {
  if (FRefCounted && FRefCount.load(std::memory_order_acquire) != 0)
    throw Exception(u"Unmatched reference counting.");
  delete this;
}

void TPlainInterfacedPersistent::BeforeDestruction() { inherited::BeforeDestruction(); }

void TNotifiablePersistent::Changed() {
  if (FUpdateCount == 0 && FOnChange) FOnChange(this);
}

void TNotifiablePersistent::BeginUpdate() { ++FUpdateCount; }

void TNotifiablePersistent::EndUpdate() {
  Assert(FUpdateCount > 0, u"Unpaired TThreadPersistent.EndUpdate");
  --FUpdateCount;
}

void TThreadPersistent::Lock() {
  FLockCount.fetch_add(1, std::memory_order_relaxed);
  FLock.lock();
}

void TThreadPersistent::Unlock() {
  FLock.unlock();
  FLockCount.fetch_sub(1, std::memory_order_relaxed);
}

TCustomMap::TCustomMap(Integer Width, Integer Height) { SetSize(Width, Height); }

void TCustomMap::SetWidth(Integer NewWidth) { SetSize(NewWidth, FHeight); }
void TCustomMap::SetHeight(Integer NewHeight) { SetSize(FWidth, NewHeight); }
void TCustomMap::Delete() { SetSize(0, 0); }
bool TCustomMap::Empty() const { return FWidth == 0 || FHeight == 0; }

void TCustomMap::Resized() {
  if (FOnResize) FOnResize(this);
}

bool TCustomMap::SetSize(Integer NewWidth, Integer NewHeight) {
  if (NewWidth < 0) NewWidth = 0;
  if (NewHeight < 0) NewHeight = 0;
  if (NewWidth == FWidth && NewHeight == FHeight) return false;
  ChangeSize(FWidth, FHeight, NewWidth, NewHeight);
  Changed();
  Resized();
  return true;
}

bool TCustomMap::SetSizeLocked(Integer NewWidth, Integer NewHeight) {
  if (NewWidth < 0) NewWidth = 0;
  if (NewHeight < 0) NewHeight = 0;
  Lock();
  const bool change = NewWidth != FWidth || NewHeight != FHeight;
  try {
    if (change) ChangeSize(FWidth, FHeight, NewWidth, NewHeight);
  } catch (...) {
    Unlock();
    throw;
  }
  Unlock();
  if (!change) return false;
  Changed();
  Resized();
  return true;
}

void TCustomMap::ChangeSize(Integer& Width, Integer& Height, Integer NewWidth, Integer NewHeight) {
  Width = NewWidth;
  Height = NewHeight;
}

void TCustomMap::SetSizeFrom(TPersistent* Source) {
  // Platform controls join this list once the host layer has them.
  if (auto* map = dynamic_cast<TCustomMap*>(Source)) SetSize(map->Width(), map->Height());
  else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) SetSize(graphic->Width(), graphic->Height());
  else if (!Source) SetSize(0, 0);
  else throw Exception::CreateFmt(u"Can't set size from '%s'", {Source->ClassName()});
}

}  // namespace qn
