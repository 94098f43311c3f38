// A question about the drop-target registry for code beside the drag loop
// (the shell's file drops go only to windows without a target).
#pragma once

#include "platform/ole/ActiveX.h"

namespace vcl {

// Whether a drop target is registered for the window.
bool IsDragDropRegistered(HWND hwnd);

}  // namespace vcl
