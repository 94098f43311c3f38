// Per-thread start-up counts of the component and OLE libraries.
#include "platform/ole/Ole2.h"
#include "platform/ole/OleAcc.h"

#include "platform/ole/OleInternal.h"

namespace vcl {

namespace {

enum class TApartment { None, Single, Multi };

struct TThreadOle {
  Integer CoCount = 0;
  Integer OleCount = 0;
  TApartment Model = TApartment::None;
};

thread_local TThreadOle tOle;

}  // namespace

HRESULT CoInitializeEx(void* reserved, DWORD coInit) {
  if (reserved) return E_INVALIDARG;
  TApartment want = (coInit & COINIT_APARTMENTTHREADED) ? TApartment::Single : TApartment::Multi;
  if (tOle.CoCount > 0 && tOle.Model != want) return RPC_E_CHANGED_MODE;
  tOle.Model = want;
  return tOle.CoCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  // An unbalanced call does nothing rather than driving the count negative.
  if (tOle.CoCount == 0) return;
  if (--tOle.CoCount == 0) tOle.Model = TApartment::None;
}

HRESULT OleInitialize(void* reserved) {
  if (reserved) return E_INVALIDARG;
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (Failed(hr)) return hr;
  if (tOle.OleCount++ > 0) return S_FALSE;
  ole::StartDragDrop();
  ole::StartThreadClipboard();
  return S_OK;
}

void OleUninitialize() {
  if (tOle.OleCount == 0) return;
  // The clipboard keeps what this thread put there: it is rendered before
  // the thread's clipboard window goes.
  if (tOle.OleCount == 1) ole::EndThreadClipboard();
  if (--tOle.OleCount == 0) ReleaseThreadObjectCookies();
  CoUninitialize();
}

Integer CoInitializeCount() { return tOle.CoCount; }
Integer OleInitializeCount() { return tOle.OleCount; }

}  // namespace vcl
