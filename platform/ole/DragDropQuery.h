// What the drag loop tells code beside it (host-internal, not for code
// above platform/): whether a window has a drop target (the shell's file
// drops go only to windows without one), and a watcher that sees every drag
// begin, move and end (the shell's drag-image helper moves its picture with
// the pointer).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/ole/ActiveX.h"

namespace vcl {

// Whether a drop target is registered for the window.
bool IsDragDropRegistered(HWND hwnd);

enum class TDragPhase { Begin, Move, End };
// Called on the dragging thread with the drag's data object and the pointer
// (screen): once at the start, after each step the loop tracks, and once
// at the end however the loop ended (also by an exception). One watcher;
// nullptr removes it.
using TDragWatcher = void (*)(TDragPhase phase, IDataObject* obj, POINTL pt);
void SetDragWatcher(TDragWatcher watcher);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
