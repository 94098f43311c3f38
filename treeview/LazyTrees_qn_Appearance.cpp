// The tree's appearance state: the colour set, the background picture laid
// under the nodes, theme use, the non-client frame and the setters of the
// appearance properties.
#include "treeview/LazyTrees_qn_Appearance.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

void InitLazyTreeBlending();
void DoneLazyTreeBlending();

void InitLazyTreeAppearance() { InitLazyTreeBlending(); }
void DoneLazyTreeAppearance() { DoneLazyTreeBlending(); }

// ---------------------------------------------------------------------------
// Colours

namespace {
constexpr TColor DefaultTreeColors[TVTColors::ColorCount] = {
    clBtnShadow,      // DisabledColor
    clHighlight,      // DropMarkColor
    clHighlight,      // DropTargetColor
    clHighlight,      // FocusedSelectionColor
    clBtnFace,        // GridLineColor
    clBtnShadow,      // TreeLineColor
    clBtnFace,        // UnfocusedSelectionColor
    clBtnFace,        // BorderColor
    clWindowText,     // HotColor
    clHighlight,      // FocusedSelectionBorderColor
    clBtnFace,        // UnfocusedSelectionBorderColor
    clHighlight,      // DropTargetBorderColor
    clHighlight,      // SelectionRectangleBlendColor
    clHighlight,      // SelectionRectangleBorderColor
    clBtnShadow,      // HeaderHotColor
    clHighlightText,  // SelectionTextColor
};
}  // namespace

void TVTColorsDeleter::operator()(TVTColors* Colors) const { delete Colors; }

TVTColors* TBaseLazyTree_qn::MakeColors(TBaseLazyTree_qn* Owner) { return new TVTColors(Owner); }

TVTColors::TVTColors(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {
  std::copy(std::begin(DefaultTreeColors), std::end(DefaultTreeColors), FColors);
}

TPersistent* TVTColors::GetOwner() { return FOwner; }

TColor TVTColors::GetColor(Integer Index) const {
  return Index >= 0 && Index < ColorCount ? FColors[Index] : clNone;
}

void TVTColors::SetColor(Integer Index, TColor Value) {
  if (Index < 0 || Index >= ColorCount || FColors[Index] == Value) return;
  FColors[Index] = Value;
  if (!FOwner || FOwner->ComponentState().Contains(csLoading) || !FOwner->HandleAllocated()) return;
  if (Index == TreeLineColorIndex) {
    // The buttons' frames are drawn in the line colour.
    FOwner->PrepareBitmaps(true, false);
    FOwner->Invalidate();
  } else if (Index == BorderColorIndex) {
    // An empty region: the frame is asked for, the client is left alone
    // (without one the whole client would be invalidated as well).
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    RedrawWindow(FOwner->Handle(), nullptr, none, RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME);
    DeleteObject(none);
  } else {
    FOwner->Invalidate();
  }
}

TColor TVTColors::GetBackgroundColor() const { return FOwner ? FOwner->Color() : clWindow; }
TColor TVTColors::GetHeaderFontColor() const {
  return FOwner && FOwner->Header() ? FOwner->Header()->Font()->Color() : clWindowText;
}
TColor TVTColors::GetNodeFontColor() const { return FOwner ? FOwner->Font()->Color() : clWindowText; }

void TVTColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TVTColors*>(Source)) {
    std::copy(std::begin(s->FColors), std::end(s->FColors), FColors);
    if (FOwner && FOwner->UpdateCount() == 0) FOwner->Invalidate();
    return;
  }
  inherited::Assign(Source);
}

void TBaseLazyTree_qn::SetColors(TVTColors* Value) { FColors->Assign(Value); }

// ---------------------------------------------------------------------------
// Setters of the appearance properties

namespace {
bool Loading(const TBaseLazyTree_qn* T) { return T->ComponentState().Contains(csLoading); }
}  // namespace

void TBaseLazyTree_qn::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (!Loading(this)) Invalidate();
}

void TBaseLazyTree_qn::SetBackground(TPicture* Value) {
  FBackground->Assign(Value);
  Invalidate();
}

void TBaseLazyTree_qn::SetBackgroundOffset(Integer Index, Integer Value) {
  Integer& field = Index == 0 ? FBackgroundOffsetX : FBackgroundOffsetY;
  if (field == Value) return;
  field = Value;
  Invalidate();
}

void TBaseLazyTree_qn::SetButtonFillMode(TVTButtonFillMode Value) {
  if (FButtonFillMode == Value) return;
  FButtonFillMode = Value;
  if (!Loading(this)) {
    PrepareBitmaps(true, false);
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseLazyTree_qn::SetButtonStyle(TVTButtonStyle Value) {
  if (FButtonStyle == Value) return;
  FButtonStyle = Value;
  if (!Loading(this)) {
    PrepareBitmaps(true, false);
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseLazyTree_qn::SetLineStyle(TVTLineStyle Value) {
  if (FLineStyle == Value) return;
  FLineStyle = Value;
  if (!Loading(this)) {
    PrepareBitmaps(false, true);
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseLazyTree_qn::SetLineMode(TVTLineMode Value) {
  if (FLineMode == Value) return;
  FLineMode = Value;
  if (HandleAllocated() && !Loading(this)) Invalidate();
}

void TBaseLazyTree_qn::SetMargin(Integer Value) {
  if (FMargin == Value) return;
  FMargin = Value;
  if (HandleAllocated() && !Loading(this)) Invalidate();
}

void TBaseLazyTree_qn::SetIndent(Cardinal Value) {
  if (FIndent == Value) return;
  FIndent = Value;
  if (!Loading(this) && FUpdateCount == 0 && HandleAllocated()) {
    UpdateScrollBars(true);
    Invalidate();
  }
}

void TBaseLazyTree_qn::SetNodeAlignment(TVTNodeAlignment Value) {
  if (FNodeAlignment == Value) return;
  FNodeAlignment = Value;
  if (HandleAllocated() && !ComponentState().Contains(csReading)) Invalidate();
}

void TBaseLazyTree_qn::SetTextMargin(Integer Value) {
  if (FTextMargin == Value) return;
  FTextMargin = Value;
  if (!Loading(this)) Invalidate();
}

void TBaseLazyTree_qn::SetEmptyListMessage(const String& Value) {
  if (FEmptyListMessage == Value) return;
  FEmptyListMessage = Value;
  Invalidate();
}

// ---------------------------------------------------------------------------
// Background

void TBaseLazyTree_qn::TileBackground(TBitmap* Source, TCanvas* Target, TPoint Offset, const TRect& R) {
  Integer pw = Source ? Source->Width() : 0, ph = Source ? Source->Height() : 0;
  // A picture without pixels is no picture: there is nothing to tile with.
  if (pw <= 0 || ph <= 0 || R.Right <= R.Left || R.Bottom <= R.Top) return;
  HDC src = Source->Canvas()->Handle();
  HDC dst = Target->Handle();
  auto wrap = [](Integer v, Integer m) {
    Integer r = v % m;
    return r < 0 ? r + m : r;
  };
  Integer sourceY = wrap(R.Top + Offset.Y + FBackgroundOffsetY, ph);
  for (Integer y = R.Top; y < R.Bottom;) {
    Integer sourceX = wrap(R.Left + Offset.X + FBackgroundOffsetX, pw);
    Integer h = std::min(R.Bottom - y, ph - sourceY);
    for (Integer x = R.Left; x < R.Right;) {
      Integer w = std::min(R.Right - x, pw - sourceX);
      BitBlt(dst, x, y, w, h, src, sourceX, sourceY, SRCCOPY);
      x += pw - sourceX;
      sourceX = 0;
    }
    y += ph - sourceY;
    sourceY = 0;
  }
}

void TBaseLazyTree_qn::StaticBackground(TBitmap* Source, TCanvas* Target, TPoint Offset, const TRect& R) {
  HDC dst = Target->Handle();
  {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
    RECT fill = R;
    FillRect(dst, &fill, brush);
    DeleteObject(brush);
  }
  Integer pw = Source ? Source->Width() : 0, ph = Source ? Source->Height() : 0;
  if (pw <= 0 || ph <= 0) return;
  TRect pic(FBackgroundOffsetX, FBackgroundOffsetY, FBackgroundOffsetX + pw, FBackgroundOffsetY + ph);
  TRect area = R;
  OffsetRect(area, Offset.X, Offset.Y);
  TRect draw;
  if (!IntersectRect(draw, pic, area)) return;
  Integer x = draw.Left - Offset.X, y = draw.Top - Offset.Y, w = draw.Right - draw.Left, h = draw.Bottom - draw.Top;
  Integer sx = draw.Left - pic.Left, sy = draw.Top - pic.Top;
  HDC src = Source->Canvas()->Handle();
  if (!Source->Transparent()) {
    BitBlt(dst, x, y, w, h, src, sx, sy, SRCCOPY);
    return;
  }
  // The mask holds 1 where the picture shows and 0 where its transparent
  // colour lets the colour beneath stay.
  COLORREF key = ColorToRGB(Source->TransparentColor()) & 0xFFFFFF;
  std::vector<Byte> bits(std::size_t((pw + 15) / 16 * 2) * std::size_t(ph), 0);
  Integer stride = (pw + 15) / 16 * 2;
  for (Integer row = 0; row < ph; ++row)
    for (Integer col = 0; col < pw; ++col)
      if ((GetPixel(src, col, row) & 0xFFFFFF) != key) bits[std::size_t(row * stride + col / 8)] |= Byte(0x80 >> (col % 8));
  HBITMAP mask = CreateBitmap(pw, ph, 1, 1, bits.data());
  MaskBlt(dst, x, y, w, h, src, sx, sy, mask, sx, sy, MAKEROP4(SRCCOPY, 0x00AA0029));
  DeleteObject(mask);
}

// ---------------------------------------------------------------------------
// Themes

void TBaseLazyTree_qn::SetWindowTheme(const String& Theme) {
  FChangingTheme = true;
  // An empty name gives the window its default theme back.
  ::vcl::SetWindowTheme(Handle(), Theme.empty() ? nullptr : Theme.c_str(), nullptr);
}

void TBaseLazyTree_qn::WMThemeChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  if (TreeThemes::Enabled() && FOptions->PaintOptions().Contains(toThemeAware)) DoStateChange({tsUseThemes});
  else DoStateChange({}, {tsUseThemes});
  if (!FChangingTheme && HandleAllocated()) SetTimer(Handle(), ThemeChangedTimer, 500, nullptr);
  FChangingTheme = false;
}

// ---------------------------------------------------------------------------
// Messages

bool TBaseLazyTree_qn::AppearanceDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_COLORCHANGED: CMColorChange(Message); return true;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); return true;
    case CM_FONTCHANGED: CMFontChanged(Message); return true;
    case CM_SYSCOLORCHANGE: CMSysColorChange(Message); return true;
    case WM_NCPAINT: WMNCPaint(Message); return true;
    case WM_THEMECHANGED: WMThemeChanged(Message); return true;
    default: return false;
  }
}

void TBaseLazyTree_qn::CMColorChange(TMessage& Message) {
  inherited::Dispatch(Message);
  if (!Loading(this)) {
    PrepareBitmaps(true, false);
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseLazyTree_qn::CMCtl3DChanged(TMessage& Message) {
  // The inherited handling recreates a window with a client edge already.
  inherited::Dispatch(Message);
  if (FBorderStyle == bsSingle && HandleAllocated() && !(GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) &&
      !HasFlatBorder())
    RecreateWnd();
}

void TBaseLazyTree_qn::CMFontChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  SyncHeaderFont();
  if (!Loading(this)) {
    PrepareBitmaps(true, false);
    if (HandleAllocated()) Invalidate();
  }
}

void TBaseLazyTree_qn::CMSysColorChange(TMessage& Message) {
  inherited::Dispatch(Message);
  // The mapped check sets carry system colours in their pixels.
  ReloadMappedCheckImages();
  TMessage m = Message;
  m.Msg = WM_SYSCOLORCHANGE;
  DefaultHandler(m);
}

TSize TBaseLazyTree_qn::GetBorderDimensions() {
  TSize result(0, 0);
  if (!HandleAllocated()) return result;
  LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE), ex = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  if (style & WS_BORDER) {
    result.cx -= 1;
    result.cy -= 1;
  }
  if (style & WS_THICKFRAME) {
    result.cx -= GetSystemMetrics(SM_CXFRAME);
    result.cy -= GetSystemMetrics(SM_CYFRAME);
  }
  if (ex & WS_EX_CLIENTEDGE) {
    result.cx -= GetSystemMetrics(SM_CXEDGE);
    result.cy -= GetSystemMetrics(SM_CYEDGE);
  }
  return result;
}

void TBaseLazyTree_qn::WMNCPaint(TMessage& Message) {
  HWND h = Handle();
  HRGN given = reinterpret_cast<HRGN>(Message.WParam);
  bool whole = Message.WParam == 1 || Message.WParam == 0;
  if (FStates.Contains(tsUseThemes) && (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
    // The default frame only inside the themed edge, which the theme
    // services paint below.
    RECT wr;
    GetWindowRect(h, &wr);
    Integer ex = GetSystemMetrics(SM_CXEDGE), ey = GetSystemMetrics(SM_CYEDGE);
    HRGN rgn = CreateRectRgn(wr.Left + ex, wr.Top + ey, wr.Right - ex, wr.Bottom - ey);
    if (!whole) CombineRgn(rgn, rgn, given, RGN_AND);
    TMessage m = Message;
    m.WParam = reinterpret_cast<WPARAM>(rgn);
    DefaultHandler(m);
    DeleteObject(rgn);
  } else {
    inherited::Dispatch(Message);
  }
  HDC dc = whole ? GetDCEx(h, nullptr, 0x200013) : GetDCEx(h, given, 0x200093);
  if (dc) {
    if (FHeader->Options().Contains(hoVisible)) FHeader->Columns()->PaintHeader(dc, FHeaderRect, -FEffectiveOffsetX);
    OriginalWMNCPaint(dc);
    ReleaseDC(h, dc);
  }
  if (FStates.Contains(tsUseThemes)) TreeThemes::PaintBorder(this, false);
  Message.Result = 0;
}

namespace {
UINT InnerEdgeOf(TBevelCut C) { return C == bvLowered ? BDR_SUNKENINNER : C == bvRaised ? BDR_RAISEDINNER : 0; }
UINT OuterEdgeOf(TBevelCut C) { return C == bvLowered ? BDR_SUNKENOUTER : C == bvRaised ? BDR_RAISEDOUTER : 0; }
}  // namespace

void TBaseLazyTree_qn::OriginalWMNCPaint(HDC DC) {
  if (BevelKind() == bkNone && BorderWidth() <= 0) return;
  TRect rc(0, 0, Width(), Height());
  TSize border = GetBorderDimensions();
  InflateRect(rc, border.cx, border.cy);
  TRect rw = rc;
  if (BevelKind() != bkNone) {
    TBevelEdges edges = BevelEdges();
    UINT flags = 0;
    if (edges.Contains(beLeft)) flags |= BF_LEFT;
    if (edges.Contains(beTop)) flags |= BF_TOP;
    if (edges.Contains(beRight)) flags |= BF_RIGHT;
    if (edges.Contains(beBottom)) flags |= BF_BOTTOM;
    if (BevelKind() == bkSoft) flags |= BF_SOFT;
    if (BevelKind() == bkFlat) flags |= BF_FLAT;
    if (!Ctl3D()) flags |= BF_MONO;
    RECT er = rc;
    DrawEdge(DC, &er, InnerEdgeOf(BevelInner()) | OuterEdgeOf(BevelOuter()), flags);
    Integer bevels = (BevelInner() != bvNone ? 1 : 0) + (BevelOuter() != bvNone ? 1 : 0);
    Integer room = BevelWidth() * bevels;
    if (edges.Contains(beLeft)) rc.Left += room;
    if (edges.Contains(beTop)) rc.Top += room;
    if (edges.Contains(beRight)) rc.Right -= room;
    if (edges.Contains(beBottom)) rc.Bottom -= room;
  }
  IntersectClipRect(DC, rc.Left, rc.Top, rc.Right, rc.Bottom);
  InflateRect(rc, -BorderWidth(), -BorderWidth());
  ExcludeClipRect(DC, rc.Left, rc.Top, rc.Right, rc.Bottom);
  HBRUSH brush = CreateSolidBrush(ColorToRGB(FColors->BorderColor()));
  RECT fill = rw;
  FillRect(DC, &fill, brush);
  DeleteObject(brush);
}

// ---------------------------------------------------------------------------
// Font changes inside event handlers

void TBaseLazyTree_qn::RedirectFontChangeEvent(TCanvas* Canvas) {
  TNotifyEvent mine(this, &TBaseLazyTree_qn::FontChanged);
  if (Canvas->Font()->OnChange != mine) {
    FOldFontChange = Canvas->Font()->OnChange;
    Canvas->Font()->OnChange = mine;
  }
  FTrackedFont = Canvas->Font();
  FFontChanged = false;
}

void TBaseLazyTree_qn::RestoreFontChangeEvent(TCanvas* Canvas) {
  Canvas->Font()->OnChange = FOldFontChange;
  FOldFontChange = TNotifyEvent();
  FTrackedFont = nullptr;
}

void TBaseLazyTree_qn::FontChanged(TObject* Sender) {
  if (Sender && Sender == FTrackedFont) {
    FFontChanged = true;
    if (Assigned(FOldFontChange)) FOldFontChange(Sender);
    return;
  }
  inherited::FontChanged(Sender);
}

// ---------------------------------------------------------------------------
// Theme adapter

namespace TreeThemes {
bool Enabled() { return ThemeServices()->Enabled(); }
bool DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags) {
  return ThemeServices()->DrawEdge(DC, Details, R, Edge, Flags);
}
bool DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R, const TRect* ClipRect) {
  return ThemeServices()->DrawElement(DC, Details, R, ClipRect);
}
TThemedElementDetails GetElementDetails(TThemedHeader Detail) { return ThemeServices()->GetElementDetails(Detail); }
TThemedElementDetails GetElementDetails(TThemedTreeview Detail) { return ThemeServices()->GetElementDetails(Detail); }
TThemedElementDetails GetElementDetails(TThemedButton Detail) { return ThemeServices()->GetElementDetails(Detail); }
bool GetElementSize(HDC DC, const TThemedElementDetails& Details, const TRect& R, TElementSize ElementSize,
                    TSize& Size) {
  return ThemeServices()->GetElementSize(DC, Details, R, ElementSize, Size);
}
void PaintBorder(TWinControl* Control, bool EraseLRCorner) { ThemeServices()->PaintBorder(Control, EraseLRCorner); }
void PaintBorderOn(TWinControl* Control, HDC DC) { ThemeServices()->PaintBorder(Control, false, DC); }
}  // namespace TreeThemes

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TVTColors)
