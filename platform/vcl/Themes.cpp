#include "platform/vcl/Themes.h"

#include "platform/vcl/Controls.h"

namespace vcl {

namespace {

TThemeServices* gServices = nullptr;

const Char* const kClassNames[] = {u"BUTTON", u"EDIT", u"HEADER", u"TOOLTIP", u"TREEVIEW"};

TThemedElementDetails Details(TThemedElement e, Integer part, Integer state) { return {e, part, state}; }

}  // namespace

TThemeServices::TThemeServices() = default;

TThemeServices::~TThemeServices() { CloseThemes(); }

bool TThemeServices::Available() const { return IsThemeActive(); }

bool TThemeServices::Enabled() const { return IsThemeActive() && IsAppThemed(); }

TThemedElementDetails TThemeServices::GetElementDetails(TThemedButton Detail) const {
  int d = int(Detail);
  if (Detail <= tbButtonRoot) return Details(teButton, 0, 0);
  if (Detail <= tbPushButtonDefaulted) return Details(teButton, BP_PUSHBUTTON, d - int(tbPushButtonNormal) + 1);
  if (Detail <= tbRadioButtonCheckedDisabled)
    return Details(teButton, BP_RADIOBUTTON, d - int(tbRadioButtonUncheckedNormal) + 1);
  return Details(teButton, BP_CHECKBOX, d - int(tbCheckBoxUncheckedNormal) + 1);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedEdit Detail) const {
  if (Detail <= teEditRoot) return Details(teEdit, 0, 0);
  return Details(teEdit, EP_EDITTEXT, int(Detail) - int(teEditTextNormal) + 1);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedHeader Detail) const {
  if (Detail <= thHeaderRoot) return Details(teHeader, 0, 0);
  if (Detail >= thHeaderSortArrowSortedUp)
    return Details(teHeader, HP_HEADERSORTARROW, int(Detail) - int(thHeaderSortArrowSortedUp) + 1);
  int i = int(Detail) - int(thHeaderItemNormal);
  return Details(teHeader, HP_HEADERITEM + i / 3, i % 3 + 1);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedToolTip Detail) const {
  if (Detail <= tttToolTipRoot) return Details(teToolTip, 0, 0);
  int i = int(Detail) - int(tttStandardNormal);
  return Details(teToolTip, TTP_STANDARD + i / 2, i % 2 + 1);
}

TThemedElementDetails TThemeServices::GetElementDetails(TThemedTreeview Detail) const {
  switch (Detail) {
    case ttTreeviewDontCare:
    case ttTreeviewRoot: return Details(teTreeview, 0, 0);
    case ttGlyphClosed: return Details(teTreeview, TVP_GLYPH, GLPS_CLOSED);
    case ttGlyphOpened: return Details(teTreeview, TVP_GLYPH, GLPS_OPENED);
    case ttBranch: return Details(teTreeview, TVP_BRANCH, 0);
    case ttHotGlyphClosed: return Details(teTreeview, TVP_HOTGLYPH, HGLPS_CLOSED);
    case ttHotGlyphOpened: return Details(teTreeview, TVP_HOTGLYPH, HGLPS_OPENED);
    default: return Details(teTreeview, TVP_TREEITEM, int(Detail) - int(ttItemNormal) + 1);
  }
}

HTHEME TThemeServices::Theme(TThemedElement Element) {
  if (!Enabled()) return nullptr;
  HTHEME& h = FThemes[int(Element)];
  if (!h) h = OpenThemeData(nullptr, kClassNames[int(Element)]);
  return h;
}

void TThemeServices::CloseThemes() {
  for (HTHEME& h : FThemes) {
    if (h) CloseThemeData(h);
    h = nullptr;
  }
}

void TThemeServices::ApplyThemeChange() {
  CloseThemes();
  if (OnThemeChange) OnThemeChange(this);
}

bool TThemeServices::DrawElement(HDC DC, const TThemedElementDetails& D, const TRect& R, const TRect* ClipRect) {
  HTHEME h = Theme(D.Element);
  if (!h) return false;
  RECT r = R;
  RECT clip = ClipRect ? RECT(*ClipRect) : RECT();
  return DrawThemeBackground(h, DC, D.Part, D.State, &r, ClipRect ? &clip : nullptr) == S_OK;
}

bool TThemeServices::DrawEdge(HDC DC, const TThemedElementDetails& D, const TRect& R, UINT Edge, UINT Flags,
                              TRect* ContentRect) {
  HTHEME h = Theme(D.Element);
  if (!h) return false;
  RECT r = R, content;
  if (DrawThemeEdge(h, DC, D.Part, D.State, &r, Edge, Flags, &content) != S_OK) return false;
  if (ContentRect) *ContentRect = content;
  return true;
}

bool TThemeServices::GetElementSize(HDC DC, const TThemedElementDetails& D, TElementSize ElementSize, TSize& Size) {
  return GetElementSize(DC, D, TRect(0, 0, 100, 100), ElementSize, Size);
}

bool TThemeServices::GetElementSize(HDC DC, const TThemedElementDetails& D, const TRect& Rect,
                                    TElementSize ElementSize, TSize& Size) {
  HTHEME h = Theme(D.Element);
  if (!h) return false;
  THEMESIZE kind = ElementSize == esMinimum ? TS_MIN : ElementSize == esActual ? TS_TRUE : TS_DRAW;
  RECT r = Rect;
  SIZE s;
  if (GetThemePartSize(h, DC, D.Part, D.State, &r, kind, &s) != S_OK) return false;
  Size = s;
  return true;
}

void TThemeServices::PaintBorder(TWinControl* Control, bool EraseLRCorner) {
  if (!Enabled() || !Control || !Control->HandleAllocated()) return;
  HWND h = Control->Handle();
  if (!(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  PaintBorder(Control, EraseLRCorner, dc);
  ReleaseDC(h, dc);
}

void TThemeServices::PaintBorder(TWinControl* Control, bool EraseLRCorner, HDC DC) {
  if (!Enabled() || !Control || !Control->HandleAllocated() || !DC) return;
  HWND h = Control->Handle();
  LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE), style = GetWindowLongPtrW(h, GWL_STYLE);
  if (!(ex & WS_EX_CLIENTEDGE)) return;
  RECT wr;
  GetWindowRect(h, &wr);
  TRect whole(0, 0, wr.Right - wr.Left, wr.Bottom - wr.Top);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  RECT cr;
  GetClientRect(h, &cr);
  TRect client(origin.X - wr.Left, origin.Y - wr.Top, origin.X - wr.Left + cr.Right, origin.Y - wr.Top + cr.Bottom);
  Integer ex2 = GetSystemMetrics(SM_CXEDGE), ey2 = GetSystemMetrics(SM_CYEDGE);
  TRect inner(whole.Left + ex2, whole.Top + ey2, whole.Right - ex2, whole.Bottom - ey2);
  int saved = SaveDC(DC);
  // Only the frame: the scroll bars and the client area keep their pixels.
  ExcludeClipRect(DC, inner.Left, inner.Top, inner.Right, inner.Bottom);
  TThemedEdit state = !Control->Enabled() ? teEditTextDisabled : teEditTextNormal;
  DrawElement(DC, GetElementDetails(state), whole);
  RestoreDC(DC, saved);
  if (EraseLRCorner && (style & WS_HSCROLL) && (style & WS_VSCROLL)) {
    RECT corner{client.Right, client.Bottom, client.Right + GetSystemMetrics(SM_CXVSCROLL),
                client.Bottom + GetSystemMetrics(SM_CYHSCROLL)};
    FillRect(DC, &corner, GetSysColorBrush(COLOR_BTNFACE));
  }
}

TThemeServices* ThemeServices() {
  if (!gServices) gServices = new TThemeServices;
  return gServices;
}

TThemeServices* StyleServices() { return ThemeServices(); }

void DoneThemes() { FreeAndNil(gServices); }

}  // namespace vcl
