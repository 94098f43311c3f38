// Host-internal helpers the OLE units share. Not for code above platform/.
#pragma once

#include "platform/ole/ActiveX.h"

namespace vcl::ole {

// A 32-bit copy of a bitmap; nullptr when it cannot be read.
HBITMAP CopyBitmap(HBITMAP source);
// A new moveable block holding a copy of the source block (its GlobalSize).
HGLOBAL CopyBlock(HGLOBAL source);
// A new moveable block with the whole content of a stream (from 0; the
// stream's position is kept). nullptr when the stream fails or lies about
// what it read.
HGLOBAL BlockFromStream(IStream* stream);
// Whether a medium another object handed out holds what was asked: one
// tymed among the ones asked for, and a handle.
bool MediumValid(const STGMEDIUM& medium, DWORD tymedAsked);
// The checks every served format shares: E_INVALIDARG for nil, else S_OK
// or the DV_E_ code of the first field that does not fit (ptd not nil,
// aspect, lindex).
HRESULT CheckPlainFormat(const FORMATETC* fe);
// The calling thread has OleInitialize in force.
bool OleStarted();
// The calling thread's clipboard window, made by its first OleInitialize
// and destroyed (after a flush) by its last OleUninitialize.
void StartThreadClipboard();
void EndThreadClipboard();
// Drop targets and the drag loop: the registry's hook on destroyed windows.
void StartDragDrop();

}  // namespace vcl::ole
