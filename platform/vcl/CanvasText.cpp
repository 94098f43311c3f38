// TCanvas text output over the GDI layer's text functions.
#include "platform/vcl/Canvas.h"

namespace vcl {

namespace {

constexpr TCanvasState kTextState{TCanvasStates::csHandleValid, TCanvasStates::csFontValid,
                                  TCanvasStates::csBrushValid};

UINT DrawTextFormat(TTextFormat f) {
  static const UINT kFlags[] = {DT_BOTTOM, DT_CALCRECT, DT_CENTER, DT_EDITCONTROL, DT_END_ELLIPSIS,
                                DT_PATH_ELLIPSIS, DT_EXPANDTABS, DT_EXTERNALLEADING, DT_LEFT, DT_MODIFYSTRING,
                                DT_NOCLIP, DT_NOPREFIX, DT_RIGHT, DT_RTLREADING, DT_SINGLELINE, DT_TOP,
                                DT_VCENTER, DT_WORDBREAK, DT_HIDEPREFIX, DT_NOFULLWIDTHCHARBREAK,
                                DT_PREFIXONLY, DT_TABSTOP, DT_WORD_ELLIPSIS, 0};
  UINT r = 0;
  for (int i = 0; i <= int(TTextFormats::tfComposited); ++i)
    if (f.Contains(TTextFormats(i))) r |= kFlags[i];
  return r;
}

}  // namespace

void TCanvas::TextOut(Integer X, Integer Y, const String& Text) {
  Changing();
  RequiredState(kTextState);
  ExtTextOutW(FHandle, X, Y, UINT(FTextFlags), nullptr, Text.c_str(), UINT(Text.size()), nullptr);
  MoveTo(X + TextWidth(Text), Y);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text) {
  Changing();
  RequiredState(kTextState);
  UINT options = ETO_CLIPPED | UINT(FTextFlags);
  if (Brush()->Style() != TBrushStyle::bsClear) options |= ETO_OPAQUE;
  RECT r = Rect;
  ExtTextOutW(FHandle, X, Y, options, &r, Text.c_str(), UINT(Text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& Rect, String& Text, TTextFormat TextFormat) {
  UINT format = DrawTextFormat(TextFormat);
  bool modify = TextFormat.Contains(TTextFormats::tfModifyString);
  // DrawText may write up to four more characters and a terminator.
  std::u16string buf = Text;
  buf.resize(Text.size() + 5, u'\0');
  Changing();
  RequiredState(kTextState);
  int oldMode = GetBkMode(FHandle);
  if (Brush()->Style() == TBrushStyle::bsClear) SetBkMode(FHandle, TRANSPARENT);
  DrawTextW(FHandle, buf.data(), int(Text.size()), &Rect, format);
  SetBkMode(FHandle, oldMode);
  if (modify) Text = String(buf.c_str());
  Changed();
}

TSize TCanvas::TextExtent(const String& Text) {
  RequiredState({TCanvasStates::csHandleValid, TCanvasStates::csFontValid});
  SIZE s;
  if (!GetTextExtentPoint32W(FHandle, Text.c_str(), int(Text.size()), &s)) s = SIZE();
  return s;
}

}  // namespace vcl
