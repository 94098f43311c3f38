// The start-up of the component and OLE libraries. Each thread keeps its own
// counts: the first successful call on a thread answers S_OK, every further
// one S_FALSE, and each needs its own uninitialise call. A thread stays in
// the apartment model its first call chose; asking for the other one fails
// with RPC_E_CHANGED_MODE and counts nothing. OleInitialize starts the
// component library too (single-threaded), so it fails on a thread that
// chose the multithreaded model. A thread's first OleInitialize also makes
// its clipboard window; its last OleUninitialize flushes what the thread put
// on the OLE clipboard and destroys the window.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/System.h"

namespace vcl {

constexpr DWORD COINIT_MULTITHREADED = 0x0, COINIT_APARTMENTTHREADED = 0x2, COINIT_DISABLE_OLE1DDE = 0x4,
                COINIT_SPEED_OVER_MEMORY = 0x8;
constexpr HRESULT RPC_E_CHANGED_MODE = static_cast<HRESULT>(0x80010106u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);

HRESULT CoInitializeEx(void* reserved, DWORD coInit);
inline HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }
void CoUninitialize();
HRESULT OleInitialize(void* reserved);
void OleUninitialize();

// Our own, for tests: the calling thread's outstanding counts.
Integer CoInitializeCount();
Integer OleInitializeCount();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
