#include "platform/vcl/GraphicsColor.h"

#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {
struct TColorName {
  TColor Value;
  const char16_t* Name;
};

// The platform's table; its order is what GetColorValues reports.
constexpr TColorName kColors[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
};
}  // namespace

TColor ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<TColor>(GetSysColor(Color & 0xFF));
  return Color;
}

bool ColorToIdent(Integer Color, String& Ident) {
  for (const auto& c : kColors)
    if (c.Value == Color) {
      Ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToColor(const String& Ident, Integer& Color) {
  for (const auto& c : kColors)
    if (SameText(Ident, c.Name)) {
      Color = c.Value;
      return true;
    }
  return false;
}

String ColorToString(TColor Color) {
  String s;
  if (ColorToIdent(Color, s)) return s;
  return u"$" + IntToHex(static_cast<Cardinal>(Color), 8);
}

TColor StringToColor(const String& S) {
  Integer c;
  if (IdentToColor(S, c)) return c;
  return StrToInt(S);
}

void GetColorValues(const TGetStrProc& Proc) {
  for (const auto& c : kColors) Proc(c.Name);
}

}  // namespace vcl
