// uQnCBTM: an object's method as a plain callback for the platform's hook
// functions, which take bare function pointers. No code is generated: a
// fixed set of ordinary functions each serves one slot of a registry of
// bound methods, and the token handed out is that function.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/QnBase.h"
#include "platform/user/User.h"

namespace qn {

// The WinEvent callback with the object bound in.
using TQnWinEventMethod = TEvent<void(HWINEVENTHOOK Hook, DWORD Event, HWND Wnd, LONG IdObject, LONG IdChild,
                                      DWORD EventThread, DWORD EventTime)>;

// A callback the platform's SetWinEventHook takes, calling Method; nil when
// Method is empty or every slot is taken.
WINEVENTPROC MakeInstruction(const TQnWinEventMethod& Method);
// Gives the slot back; unknown or already freed tokens are ignored.
void FreeInstruction(WINEVENTPROC P);
// Slots in use, and how many there are.
Integer InstructionCount();
inline constexpr Integer MaxInstructions = 64;

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
