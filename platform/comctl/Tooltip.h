// The tooltip class "tooltips_class32" as far as the shell's notification
// area uses it: a pop-up that shows its window text, plainly or, with
// TTS_BALLOON, as a rounded balloon with a title and a title icon
// (TTM_SETTITLEW). A click on it tells the owner window through WM_NOTIFY
// with NM_CLICK. It takes no tools: whoever shows it places and sizes it,
// with TooltipContentSize for the size its content needs.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/comctl/CommCtrl.h"
#include "platform/comctl/Header.h"

namespace vcl {

constexpr const char16_t* TOOLTIPS_CLASSW = u"tooltips_class32";
constexpr DWORD TTS_ALWAYSTIP = 0x01, TTS_NOPREFIX = 0x02, TTS_NOANIMATE = 0x10, TTS_NOFADE = 0x20,
                TTS_BALLOON = 0x40, TTS_CLOSE = 0x80;
// wParam: a TTI_* icon or an HICON (the caller keeps it); lParam: the title.
constexpr UINT TTM_SETTITLEW = WM_USER + 33, TTM_POPUP = WM_USER + 34;
constexpr WPARAM TTI_NONE = 0, TTI_INFO = 1, TTI_WARNING = 2, TTI_ERROR = 3;
// The longest line a balloon lays its text out in before wrapping.
constexpr int TooltipBalloonTextWidth = 240;

void RegisterTooltipClass();
// The window size the text, title and icon need (our own helper).
SIZE TooltipContentSize(HWND tip);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
