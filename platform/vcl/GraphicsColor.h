// Colours of the Graphics unit: TColor is $00BBGGRR like a COLORREF, with
// two kinds of special value. $80000000 + COLOR_* names a system colour,
// resolved through GetSysColor when drawing; clNone and clDefault are
// markers that never reach GDI as themselves.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/Gdi.h"
#include "platform/rtl/System.h"

namespace vcl {

using TColor = Integer;
using TColorRef = COLORREF;

constexpr TColor TColorConst(Cardinal v) { return static_cast<TColor>(v); }

constexpr TColor clSystemColor = TColorConst(0x80000000u);

constexpr TColor clScrollBar = TColorConst(0x80000000u | COLOR_SCROLLBAR);
constexpr TColor clBackground = TColorConst(0x80000000u | COLOR_BACKGROUND);
constexpr TColor clActiveCaption = TColorConst(0x80000000u | COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = TColorConst(0x80000000u | COLOR_INACTIVECAPTION);
constexpr TColor clMenu = TColorConst(0x80000000u | COLOR_MENU);
constexpr TColor clWindow = TColorConst(0x80000000u | COLOR_WINDOW);
constexpr TColor clWindowFrame = TColorConst(0x80000000u | COLOR_WINDOWFRAME);
constexpr TColor clMenuText = TColorConst(0x80000000u | COLOR_MENUTEXT);
constexpr TColor clWindowText = TColorConst(0x80000000u | COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = TColorConst(0x80000000u | COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = TColorConst(0x80000000u | COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = TColorConst(0x80000000u | COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = TColorConst(0x80000000u | COLOR_APPWORKSPACE);
constexpr TColor clHighlight = TColorConst(0x80000000u | COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = TColorConst(0x80000000u | COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = TColorConst(0x80000000u | COLOR_BTNFACE);
constexpr TColor clBtnShadow = TColorConst(0x80000000u | COLOR_BTNSHADOW);
constexpr TColor clGrayText = TColorConst(0x80000000u | COLOR_GRAYTEXT);
constexpr TColor clBtnText = TColorConst(0x80000000u | COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = TColorConst(0x80000000u | COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = TColorConst(0x80000000u | COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = TColorConst(0x80000000u | COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = TColorConst(0x80000000u | COLOR_3DLIGHT);
constexpr TColor clInfoText = TColorConst(0x80000000u | COLOR_INFOTEXT);
constexpr TColor clInfoBk = TColorConst(0x80000000u | COLOR_INFOBK);
constexpr TColor clHotLight = TColorConst(0x80000000u | COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = TColorConst(0x80000000u | COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = TColorConst(0x80000000u | COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = TColorConst(0x80000000u | COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = TColorConst(0x80000000u | COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// A system colour becomes its current GetSysColor value; anything else is
// returned as it is (clNone and clDefault included: callers decide).
TColor ColorToRGB(TColor Color);
// $00BBGGRR for GDI: ColorToRGB without the markers' high bits.
inline COLORREF ColorToColorRef(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)) & 0x00FFFFFF; }

// The names of the named colours, "clBlack" ... "clWindowText".
bool ColorToIdent(Integer Color, String& Ident);
// Case-insensitive, as the platform compares identifiers.
bool IdentToColor(const String& Ident, Integer& Color);
// The colour's name, or "$00BBGGRR" in hexadecimal for unnamed colours.
String ColorToString(TColor Color);
// A colour name, or a number in any form StrToInt takes (decimal or $hex);
// EConvertError for anything else.
TColor StringToColor(const String& S);

using TGetStrProc = TEvent<void(const String& S)>;
// Calls Proc with each colour name, in the order of the platform's table:
// the 16 basic colours, the four extra ones, then the system colours with
// clDefault and clNone among them.
void GetColorValues(const TGetStrProc& Proc);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
