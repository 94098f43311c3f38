#include "graphics/raster/Pix32_RangeBars_qn.h"

#include <algorithm>

#include "graphics/raster/Pix32_XPThemes_qn.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

TColor Resolved(TColor C) { return ColorToRGB(C); }

Byte R_(TColor C) { return Byte(Cardinal(C) & 0xFF); }
Byte G_(TColor C) { return Byte((Cardinal(C) >> 8) & 0xFF); }
Byte B_(TColor C) { return Byte((Cardinal(C) >> 16) & 0xFF); }

bool Contains(const TRect& R, Integer X, Integer Y) {
  return R.Left <= X && X < R.Right && R.Top <= Y && Y < R.Bottom;
}

bool EmptyBox(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

void FillSolid(TCanvas* C, const TRect& R, TColor Color) {
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(Color);
  C->FillRect(R);
}

void HLine(TCanvas* C, Integer X1, Integer X2, Integer Y, TColor Color) {
  if (X2 <= X1) return;
  FillSolid(C, TRect(X1, Y, X2, Y + 1), Color);
}

void VLine(TCanvas* C, Integer X, Integer Y1, Integer Y2, TColor Color) {
  if (Y2 <= Y1) return;
  FillSolid(C, TRect(X, Y1, X + 1, Y2), Color);
}

TRBDirection Opposite(TRBDirection D) {
  switch (D) {
    case drLeft: return drRight;
    case drUp: return drDown;
    case drRight: return drLeft;
    default: return drUp;
  }
}

TRBDirections AllBut(TRBDirection D) {
  TRBDirections s{drLeft, drUp, drRight, drDown};
  s.Exclude(Opposite(D));
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Flat-style helpers

TColor OffsetColor(TColor Color, Integer Delta) {
  const TColor c = Resolved(Color);
  auto ch = [Delta](Byte v) { return static_cast<Cardinal>(std::clamp<Integer>(v + Delta, 0, 255)); };
  return static_cast<TColor>(ch(R_(c)) | (ch(G_(c)) << 8) | (ch(B_(c)) << 16));
}

TColor MixColors(TColor C1, TColor C2, Integer W) {
  Assert(W < 256, u"Assertion failure");
  const TColor a = Resolved(C1), b = Resolved(C2);
  auto ch = [W](Byte x, Byte y) { return static_cast<Cardinal>((x * W + y * (255 - W)) >> 8); };
  return static_cast<TColor>(ch(R_(a), R_(b)) | (ch(G_(a), G_(b)) << 8) | (ch(B_(a), B_(b)) << 16));
}

void DrawSides(TCanvas* Canvas, TRect& R, TRBDirections Sides, TColor Color) {
  if (Sides.Contains(drUp)) {
    HLine(Canvas, R.Left, R.Right, R.Top, Color);
    ++R.Top;
  }
  if (Sides.Contains(drDown)) {
    HLine(Canvas, R.Left, R.Right, R.Bottom - 1, Color);
    --R.Bottom;
  }
  if (Sides.Contains(drLeft)) {
    VLine(Canvas, R.Left, R.Top, R.Bottom, Color);
    ++R.Left;
  }
  if (Sides.Contains(drRight)) {
    VLine(Canvas, R.Right - 1, R.Top, R.Bottom, Color);
    --R.Right;
  }
}

void DrawFrame3D(TCanvas* Canvas, TRect& R, TColor TopLeftColor, TColor BottomRightColor, bool Inset) {
  HLine(Canvas, R.Left, R.Right - 1, R.Top, TopLeftColor);
  VLine(Canvas, R.Left, R.Top, R.Bottom - 1, TopLeftColor);
  HLine(Canvas, R.Left, R.Right, R.Bottom - 1, BottomRightColor);
  VLine(Canvas, R.Right - 1, R.Top, R.Bottom - 1, BottomRightColor);
  if (Inset) InflateRect(R, -1, -1);
}

void PaintArrowTriangle(TCanvas* Canvas, const TRect& R, TRBDirection Direction, TColor Color) {
  const Integer cx = (R.Left + R.Right - 1) / 2, cy = (R.Top + R.Bottom - 1) / 2;
  Integer s = std::min(cx - R.Left, cy - R.Top) * 3 / 4;
  if (s != 1) --s;
  const Integer t = (Direction == drRight || Direction == drDown) ? s / 3 : (s + 1) / 3;
  TPoint p[3];
  switch (Direction) {
    case drLeft: p[0] = TPoint(cx + t, cy + s), p[1] = TPoint(cx + t - s, cy), p[2] = TPoint(cx + t, cy - s); break;
    case drUp: p[0] = TPoint(cx + s, cy + t), p[1] = TPoint(cx, cy + t - s), p[2] = TPoint(cx - s, cy + t); break;
    case drRight: p[0] = TPoint(cx - t, cy + s), p[1] = TPoint(cx - t + s, cy), p[2] = TPoint(cx - t, cy - s); break;
    case drDown: p[0] = TPoint(cx + s, cy - t), p[1] = TPoint(cx, cy - t + s), p[2] = TPoint(cx - s, cy - t); break;
  }
  Canvas->Pen()->SetStyle(TPenStyle::psSolid);
  Canvas->Pen()->SetColor(Color);
  Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->Polygon(p, 3);
}

void DrawRangeHandle(TCanvas* Canvas, TRect R, TColor HandleColor, TColor BorderColor, bool Horz, bool ShowGrip,
                     bool Pushed) {
  const TColor hi = OffsetColor(HandleColor, 24), lo = OffsetColor(HandleColor, -24);
  DrawFrame3D(Canvas, R, BorderColor, BorderColor, true);
  if (Pushed)
    DrawFrame3D(Canvas, R, lo, HandleColor, true);
  else
    DrawFrame3D(Canvas, R, hi, MixColors(BorderColor, HandleColor, 96), true);
  FillSolid(Canvas, R, HandleColor);
  if (!ShowGrip) return;
  if (Pushed) OffsetRect(R, 1, 1);
  const Integer len = Horz ? R.Right - R.Left : R.Bottom - R.Top;
  const Integer mid = Horz ? (R.Left + R.Right) / 2 : (R.Top + R.Bottom) / 2;
  for (Integer off : {-5, -2, 1, 4}) {
    if ((off == -5 || off == 4) && len + 4 <= 10) continue;  // + 4: the frames drawn above
    TRect g = Horz ? TRect(mid + off, R.Top + 1, mid + off + 2, R.Bottom - 1)
                   : TRect(R.Left + 1, mid + off, R.Right - 1, mid + off + 2);
    DrawFrame3D(Canvas, g, hi, lo, false);
  }
}

// ---------------------------------------------------------------------------
// TArrowBar

TArrowBar::TArrowBar(TComponent* AOwner) : TCustomControl(AOwner), Timer(std::make_unique<TTimer>(nullptr)) {
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls, csDoubleClicks} +
                  TControlStyle{csOpaque, csCaptureMouse, csClickEvents});
  SetParentColor(false);
  SetColor(clScrollBar);
  Timer->SetEnabled(false);
  Timer->SetOnTimer(MakeEvent(this, &TArrowBar::TimerHandler));
  SetBounds(Left(), Top(), 100, 16);
}

TArrowBar::~TArrowBar() { Timer->SetEnabled(false); }

#define QN_ARROWBAR_SETTER(T, N, F)  \
  void TArrowBar::Set##N(T Value) {  \
    if (F == Value) return;          \
    F = Value;                       \
    Invalidate();                    \
  }
QN_ARROWBAR_SETTER(TRBBackgnd, Backgnd, FBackgnd)
QN_ARROWBAR_SETTER(Integer, ButtonSize, FButtonSize)
QN_ARROWBAR_SETTER(TColor, HandleColor, FHandleColor)
QN_ARROWBAR_SETTER(TColor, ButtonColor, FButtoncolor)
QN_ARROWBAR_SETTER(TColor, HighLightColor, FHighLightColor)
QN_ARROWBAR_SETTER(TColor, ShadowColor, FShadowColor)
QN_ARROWBAR_SETTER(TColor, BorderColor, FBorderColor)
QN_ARROWBAR_SETTER(bool, ShowArrows, FShowArrows)
QN_ARROWBAR_SETTER(bool, ShowHandleGrip, FShowHandleGrip)
#undef QN_ARROWBAR_SETTER

void TArrowBar::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TArrowBar::SetStyle(TRBStyle Value) {
  FStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TArrowBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

Integer TArrowBar::GetButtonSize() {
  if (!FShowArrows) return 0;
  const TRect c = ClientRect();
  const Integer across = Horz() ? c.Height() : c.Width();
  const Integer along = Horz() ? c.Width() : c.Height();
  Integer s = FButtonSize != 0 ? FButtonSize : std::min(across, 32);
  if (along <= 2 * s) s = along / 2;
  if (FStyle == rbsMac) --s;
  return s < 2 ? 0 : s;
}

TRect TArrowBar::GetTrackBoundary() {
  TRect r = ClientRect();
  const Integer b = GetButtonSize();
  if (Horz())
    InflateRect(r, -b, 0);
  else
    InflateRect(r, 0, -b);
  return r;
}

TRBZone TArrowBar::GetZone(Integer X, Integer Y) {
  const TRect c = ClientRect();
  if (!Contains(c, X, Y)) return zNone;
  const Integer b = GetButtonSize();
  const Integer p = Horz() ? X : Y, extent = Horz() ? c.Width() : c.Height();
  if (p < b) return zBtnPrev;
  if (p >= extent - b) return zBtnNext;
  const TRect h = GetHandleRect();
  if (Contains(h, X, Y)) return zHandle;
  const Integer hs = Horz() ? h.Left : h.Top, he = Horz() ? h.Right : h.Bottom;
  if (p >= 1 && p < hs) return zTrackPrev;
  if (p < he) return zNone;
  if (p >= extent - 1) return zNone;
  return zTrackNext;
}

TRect TArrowBar::GetZoneRect(TRBZone Zone) {
  const TRect c = ClientRect();
  const Integer b = GetButtonSize();
  switch (Zone) {
    case zNone: return TRect(0, 0, 0, 0);
    case zBtnPrev: return Horz() ? TRect(c.Left, c.Top, c.Left + b, c.Bottom) : TRect(c.Left, c.Top, c.Right, c.Top + b);
    case zBtnNext:
      return Horz() ? TRect(c.Right - b, c.Top, c.Right, c.Bottom) : TRect(c.Left, c.Bottom - b, c.Right, c.Bottom);
    default: break;
  }
  const TRect t = GetTrackBoundary();
  TRect h = GetHandleRect();
  if (!DrawEnabled() || EmptyBox(h)) {
    const Integer mx = (t.Left + t.Right) / 2, my = (t.Top + t.Bottom) / 2;
    h = TRect(mx, my, mx, my);
  }
  if (Zone == zHandle) return h;
  if (Zone == zTrackPrev) return Horz() ? TRect(t.Left, t.Top, h.Left, t.Bottom) : TRect(t.Left, t.Top, t.Right, h.Top);
  return Horz() ? TRect(h.Right, t.Top, t.Right, t.Bottom) : TRect(t.Left, h.Bottom, t.Right, t.Bottom);
}

void TArrowBar::DoChange() {
  if (FOnChange) FOnChange(this);
  if (GenChange && FOnUserChange) FOnUserChange(this);
}

void TArrowBar::Paint() {
  const bool e = DrawEnabled();
  if (FShowArrows) {
    DoDrawButton(GetZoneRect(zBtnPrev), Horz() ? drLeft : drUp, DragZone == zBtnPrev, e, HotZone == zBtnPrev);
    DoDrawButton(GetZoneRect(zBtnNext), Horz() ? drRight : drDown, DragZone == zBtnNext, e, HotZone == zBtnNext);
  }
  const TRect h = e ? GetHandleRect() : TRect(0, 0, 0, 0);
  DoDrawTrack(GetZoneRect(zTrackPrev), Horz() ? drLeft : drUp, DragZone == zTrackPrev, e, HotZone == zTrackPrev);
  DoDrawTrack(GetZoneRect(zTrackNext), Horz() ? drRight : drDown, DragZone == zTrackNext, e, HotZone == zTrackNext);
  if (!EmptyBox(h)) DoDrawHandle(h, Horz(), DragZone == zHandle, HotZone == zHandle);
}

void TArrowBar::FillTrackPattern(const TRect& R, TColor C1, TColor C2) {
  const TColor a = Resolved(C1), b = Resolved(C2);
  if (a == b) {
    FillSolid(Canvas(), R, a);
    return;
  }
  // The platform's 8 x 8 checker of the two colours as a pattern brush.
  uint32_t bits[64];
  auto px = [](TColor c) { return uint32_t(B_(c)) | (uint32_t(G_(c)) << 8) | (uint32_t(R_(c)) << 16); };
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) bits[y * 8 + x] = ((x + y) & 1) ? px(b) : px(a);
  HBITMAP bmp = CreateBitmap(8, 8, 1, 32, bits);
  HBRUSH brush = CreatePatternBrush(bmp);
  RECT r = R;
  FillRect(Canvas()->Handle(), &r, brush);
  DeleteObject(brush);
  DeleteObject(bmp);
}

void TArrowBar::DoDrawButton(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool Hot) {
  if (EmptyBox(R)) return;
  TCanvas* c = Canvas();
  if (FStyle == rbsDefault && Pix32_XPThemes_qn::USE_THEMES) {
    static const int kBase[4] = {ABS_LEFTNORMAL, ABS_UPNORMAL, ABS_RIGHTNORMAL, ABS_DOWNNORMAL};
    const int state = kBase[static_cast<int>(Direction)] + (!Enabled ? 3 : Pushed ? 2 : Hot ? 1 : 0);
    RECT r = R;
    Pix32_XPThemes_qn::DrawThemeBackground(Pix32_XPThemes_qn::SCROLLBAR_THEME, c->Handle(), SBP_ARROWBTN, state, &r,
                                           nullptr);
    return;
  }
  if (FStyle == rbsDefault) {
    static const UINT kDir[4] = {DFCS_SCROLLLEFT, DFCS_SCROLLUP, DFCS_SCROLLRIGHT, DFCS_SCROLLDOWN};
    UINT state = kDir[static_cast<int>(Direction)];
    if (!Enabled) state |= DFCS_INACTIVE;
    if (Pushed) state |= DFCS_PUSHED | DFCS_FLAT;
    RECT r = R;
    DrawFrameControl(c->Handle(), &r, DFC_SCROLL, state);
    (void)Hot;
    return;
  }
  const TRBDirections sides = AllBut(Direction);
  if (Enabled) {
    DrawSides(c, R, sides, FBorderColor);
    if (Pushed) {
      FillSolid(c, R, FButtoncolor);
      // The arrow sinks: one pixel right and down, one smaller.
      OffsetRect(R, 1, 1);
      InflateRect(R, -1, -1);
    } else {
      DrawFrame3D(c, R, FHighLightColor, FShadowColor, true);
      FillSolid(c, R, FButtoncolor);
    }
    PaintArrowTriangle(c, R, Direction, FBorderColor);
  } else {
    DrawSides(c, R, sides, FShadowColor);
    FillSolid(c, R, FButtoncolor);
    InflateRect(R, -1, -1);
    TRect shifted = R;
    OffsetRect(shifted, 1, 1);
    PaintArrowTriangle(c, shifted, Direction, FHighLightColor);
    PaintArrowTriangle(c, R, Direction, FShadowColor);
  }
}

void TArrowBar::DoDrawHandle(TRect R, bool Horz, bool Pushed, bool Hot) {
  if (EmptyBox(R)) return;
  if (FStyle == rbsDefault && Pix32_XPThemes_qn::USE_THEMES) {
    const int state = !Enabled() ? SCRBS_DISABLED : Pushed ? SCRBS_PRESSED : Hot ? SCRBS_HOT : SCRBS_NORMAL;
    RECT r = R;
    HDC dc = Canvas()->Handle();
    Pix32_XPThemes_qn::DrawThemeBackground(Pix32_XPThemes_qn::SCROLLBAR_THEME, dc,
                                           Horz ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT, state, &r, nullptr);
    if (FShowHandleGrip)
      Pix32_XPThemes_qn::DrawThemeBackground(Pix32_XPThemes_qn::SCROLLBAR_THEME, dc,
                                             Horz ? SBP_GRIPPERHORZ : SBP_GRIPPERVERT, 0, &r, nullptr);
    return;
  }
  if (FStyle == rbsDefault) {
    RECT r = R;
    DrawEdge(Canvas()->Handle(), &r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    (void)Pushed;
    (void)Hot;
    return;
  }
  DrawRangeHandle(Canvas(), R, FHandleColor, FBorderColor, Horz, FShowHandleGrip, Pushed);
}

void TArrowBar::DoDrawTrack(TRect R, TRBDirection Direction, bool Pushed, bool Enabled, bool Hot) {
  if (EmptyBox(R)) return;
  TCanvas* c = Canvas();
  (void)Hot;
  if (FStyle == rbsDefault && Pix32_XPThemes_qn::USE_THEMES) {
    static const int kPart[4] = {SBP_LOWERTRACKHORZ, SBP_LOWERTRACKVERT, SBP_UPPERTRACKHORZ, SBP_UPPERTRACKVERT};
    RECT r = R;
    Pix32_XPThemes_qn::DrawThemeBackground(Pix32_XPThemes_qn::SCROLLBAR_THEME, c->Handle(),
                                           kPart[static_cast<int>(Direction)], Pushed ? SCRBS_PRESSED : SCRBS_NORMAL,
                                           &r, nullptr);
    return;
  }
  if (FStyle == rbsDefault) {
    if (Pushed)
      FillSolid(c, R, Resolved(clWindowFrame));
    else
      FillTrackPattern(R, clBtnHighlight, Color());
    return;
  }
  DrawSides(c, R, AllBut(Direction), Enabled ? FBorderColor : FShadowColor);
  if (EmptyBox(R)) return;
  if (Pushed) {
    FillSolid(c, R, FBorderColor);
  } else if (Enabled) {
    const TColor shade = MixColors(FBorderColor, MixColors(FHighLightColor, Color(), 127), 32);
    if (Direction == drLeft || Direction == drUp) {
      VLine(c, R.Left, R.Top, R.Bottom, shade);
      HLine(c, R.Left, R.Right, R.Top, shade);
      ++R.Left;
      ++R.Top;
    } else if (Direction == drRight) {
      HLine(c, R.Left, R.Right, R.Top, shade);
      ++R.Top;
    } else {
      VLine(c, R.Left, R.Top, R.Bottom, shade);
      ++R.Left;
    }
    if (EmptyBox(R)) return;
    if (FBackgnd == bgPattern)
      FillTrackPattern(R, FHighLightColor, Color());
    else
      FillSolid(c, R, Color());
  } else {
    FillSolid(c, R, FButtoncolor);
  }
}

void TArrowBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft) return;
  DragZone = GetZone(X, Y);
  Invalidate();
  StoredX = X;
  StoredY = Y;
  StartDragTracking();
}

void TArrowBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (DragZone != zNone || !DrawEnabled()) return;
  const TRBZone z = GetZone(X, Y);
  if (z == HotZone) return;
  HotZone = z;
  if (z != zNone) StartHotTracking();
  Invalidate();
}

void TArrowBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  DragZone = zNone;
  Invalidate();
  StopDragTracking();
}

void TArrowBar::StartDragTracking() {
  Timer->SetInterval(600);
  TimerMode = 2;
  TimerHandler(this);
  // A step that could not move the position switched to hot tracking.
  if (TimerMode != 2) return;
  TimerMode = 1;
  Timer->SetEnabled(true);
}

void TArrowBar::StopDragTracking() { StartHotTracking(); }

void TArrowBar::StartHotTracking() {
  Timer->SetInterval(150);
  TimerMode = 3;
  Timer->SetEnabled(true);
}

void TArrowBar::StopHotTracking() {
  Timer->SetEnabled(false);
  TimerMode = 0;
  HotZone = zNone;
  Invalidate();
}

void TArrowBar::MouseLeft() { StopHotTracking(); }

void TArrowBar::TimerHandler(TObject*) {
  switch (TimerMode) {
    case 1:
      Timer->SetInterval(100);
      TimerMode = 2;
      break;
    case 3: {
      POINT p;
      GetCursorPos(&p);
      const TPoint c = ScreenToClient(TPoint(p.X, p.Y));
      if (!Contains(ClientRect(), c.X, c.Y)) StopHotTracking();
      break;
    }
    default: break;
  }
}

void TArrowBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = -1; return;
    case WM_NCCALCSIZE: {
      TCustomControl::Dispatch(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      const Integer b = GetBorderSize();
      if (r && b) InflateRect(*r, -b, -b);
      return;
    }
    case WM_NCPAINT:
      if (FBorderStyle == bsSingle && HandleAllocated()) {
        HDC dc = GetWindowDC(Handle());
        RECT r;
        GetWindowRect(Handle(), &r);
        OffsetRect(r, -r.Left, -r.Top);
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        ReleaseDC(Handle(), dc);
      }
      return;
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      Invalidate();
      return;
    case CM_MOUSELEAVE:
      MouseLeft();
      TCustomControl::Dispatch(Message);
      return;
    default: TCustomControl::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------
// TCustomRangeBar

void TCustomRangeBar::UpdateEffectiveWindow() {
  FEffectiveWindow = FWindow > 0 ? FWindow : (Horz() ? Width() : Height());
}

void TCustomRangeBar::AdjustPosition() {
  if (FPosition > FRange - FEffectiveWindow) FPosition = Single(FRange - FEffectiveWindow);
  if (FPosition < 0) FPosition = 0;
}

bool TCustomRangeBar::DrawEnabled() { return Enabled() && FRange > FEffectiveWindow; }

void TCustomRangeBar::Center(Integer OldWindow, Integer OldRange) {
  if (!FCentered || FRange <= FEffectiveWindow) return;
  const double c = (OldWindow < OldRange && OldRange != 0) ? (OldWindow * 0.5 + FPosition) / OldRange : 0.5;
  FPosition = Single(FRange * c - FEffectiveWindow * 0.5);
}

void TCustomRangeBar::SetParams(Integer NewRange, Integer NewWindow) {
  if (NewRange < 0) NewRange = 0;
  if (NewWindow < 0) NewWindow = 0;
  // Compared with Window itself: a Window equal to the control's extent
  // while Window was 0 is a change all the same.
  if (NewRange == FRange && NewWindow == FWindow) return;
  UpdateEffectiveWindow();
  const Integer oldWindow = FEffectiveWindow, oldRange = FRange;
  FRange = NewRange;
  FWindow = NewWindow;
  UpdateEffectiveWindow();
  Center(oldWindow, oldRange);
  AdjustPosition();
  Invalidate();
}

void TCustomRangeBar::SetPosition(Single Value) {
  if (Value == FPosition) return;
  const Single old = FPosition;
  FPosition = Value;
  AdjustPosition();
  if (FPosition != old) {
    Invalidate();
    DoChange();
  }
}

void TCustomRangeBar::Resize() {
  const Integer oldWindow = FEffectiveWindow;
  UpdateEffectiveWindow();
  if (FCentered) Center(oldWindow, FRange);
  AdjustPosition();
  TArrowBar::Resize();
}

bool TCustomRangeBar::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TArrowBar::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  SetPosition(FPosition + Single(FIncrement) * WheelDelta / 120);
  return true;
}

TRect TCustomRangeBar::GetHandleRect() {
  TRect r = GetTrackBoundary();
  const Integer s = Horz() ? r.Width() : r.Height();
  if (s < 18) return TRect(0, 0, 0, 0);
  if (FEffectiveWindow >= FRange) return r;
  Integer h = Integer(Round(double(s) * FEffectiveWindow / FRange));
  Integer p;
  if (h < 17) {
    h = 17;
    p = Integer(Round((s - 17) * double(FPosition) / (FRange - FEffectiveWindow)));
  } else {
    p = Integer(Round(s * double(FPosition) / FRange));
  }
  if (Horz()) {
    r.Left += p;
    r.Right = r.Left + h;
  } else {
    r.Top += p;
    r.Bottom = r.Top + h;
  }
  return r;
}

void TCustomRangeBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  UpdateEffectiveWindow();
  if (FRange <= FEffectiveWindow) {
    DragZone = zNone;
    return;
  }
  TArrowBar::MouseDown(Button, Shift, X, Y);
  if (DragZone == zHandle) {
    StopDragTracking();
    PosBeforeDrag = FPosition;
  }
}

void TCustomRangeBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TArrowBar::MouseMove(Shift, X, Y);
  if (DragZone != zHandle || FRange <= FEffectiveWindow) return;
  const Integer d = Horz() ? X - StoredX : Y - StoredY;
  const TRect c = ClientRect();
  Integer s = (Horz() ? c.Width() : c.Height()) - 2 * GetButtonSize();
  if (FBorderStyle == bsSingle) s -= 2;
  if (s <= 0) return;
  const double w = Round(double(s) * FEffectiveWindow / FRange);
  double dp;
  if (w < 17) {
    // A track too short for the smallest handle has nothing to drag along.
    if (s - 17 <= 0) return;
    dp = double(Round((double(FRange) - FEffectiveWindow) * d / (s - 17)));
  } else {
    dp = double(FRange) * d / s;
  }
  GenChange = true;
  SetPosition(Single(PosBeforeDrag + dp));
  GenChange = false;
}

TRBZone TArrowBar::CursorZone() {
  POINT p;
  GetCursorPos(&p);
  TPoint c = ScreenToClient(TPoint(p.X, p.Y));
  const TRect r = ClientRect();
  c.X = std::clamp(c.X, r.Left, std::max(r.Left, r.Right - 1));
  c.Y = std::clamp(c.Y, r.Top, std::max(r.Top, r.Bottom - 1));
  return GetZone(c.X, c.Y);
}

void TCustomRangeBar::TimerHandler(TObject* Sender) {
  TArrowBar::TimerHandler(Sender);
  GenChange = true;
  const Single old = FPosition;
  switch (DragZone) {
    case zBtnPrev:
      SetPosition(FPosition - FIncrement);
      if (FPosition == old) StopDragTracking();
      break;
    case zBtnNext:
      SetPosition(FPosition + FIncrement);
      if (FPosition == old) StopDragTracking();
      break;
    case zTrackPrev: {
      const TRBZone z = CursorZone();
      if (z == zBtnPrev || z == zTrackPrev) SetPosition(FPosition - FEffectiveWindow);
      break;
    }
    case zTrackNext: {
      const TRBZone z = CursorZone();
      if (z == zTrackNext || z == zBtnNext) SetPosition(FPosition + FEffectiveWindow);
      break;
    }
    default: break;
  }
  GenChange = false;
}

// ---------------------------------------------------------------------------
// TCustomGaugeBar

void TCustomGaugeBar::SetPosition(Integer Value) {
  Value = std::clamp(Value, std::min(FMin, FMax), FMax);
  if (Value == FPosition) return;
  FPosition = Value;
  Invalidate();
  DoChange();
}

void TCustomGaugeBar::SetMin(Integer Value) {
  if (!Loading() && Value >= FMax) Value = FMax - 1;
  if (Value == FMin) return;
  FMin = Value;
  AdjustPosition();
  Invalidate();
}

void TCustomGaugeBar::SetMax(Integer Value) {
  if (!Loading() && Value <= FMin) Value = FMin + 1;
  if (Value == FMax) return;
  FMax = Value;
  AdjustPosition();
  Invalidate();
}

void TCustomGaugeBar::SetHandleSize(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value == FHandleSize) return;
  FHandleSize = Value;
  Invalidate();
}

Integer TCustomGaugeBar::GetHandleSize() {
  const TRect c = ClientRect();
  Integer s = FHandleSize != 0 ? FHandleSize : (Horz() ? c.Height() : c.Width());
  const TRect t = GetTrackBoundary();
  const Integer l = Horz() ? t.Width() : t.Height();
  if (l - s < 1) s = l - 1;
  return s < 0 ? 0 : s;
}

TRect TCustomGaugeBar::GetHandleRect() {
  TRect t = GetTrackBoundary();
  const Integer s = GetHandleSize();
  const Integer l = Horz() ? t.Width() : t.Height();
  // Equal bounds (possible while loading) put the handle at the start.
  const Integer range = FMax - FMin;
  const Integer offset = range == 0 ? 0 : Integer(Round(double(l - s) * (FPosition - FMin) / range));
  if (Horz()) {
    t.Left += offset;
    t.Right = t.Left + s;
  } else {
    t.Top += offset;
    t.Bottom = t.Top + s;
  }
  return t;
}

bool TCustomGaugeBar::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TArrowBar::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  SetPosition(FPosition + FSmallChange * WheelDelta / 120);
  return true;
}

void TCustomGaugeBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TArrowBar::MouseDown(Button, Shift, X, Y);
  if (DragZone == zHandle) {
    StopDragTracking();
    PosBeforeDrag = Single(FPosition);
  }
}

void TCustomGaugeBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TArrowBar::MouseMove(Shift, X, Y);
  if (DragZone != zHandle) return;
  const Integer d = Horz() ? X - StoredX : Y - StoredY;
  const TRect t = GetTrackBoundary();
  const Integer span = (Horz() ? t.Width() : t.Height()) - GetHandleSize();
  // A handle as long as its track has nowhere to go.
  if (span <= 0) return;
  GenChange = true;
  SetPosition(Integer(Round(PosBeforeDrag + double(FMax - FMin) * d / span)));
  GenChange = false;
}

void TCustomGaugeBar::TimerHandler(TObject* Sender) {
  TArrowBar::TimerHandler(Sender);
  GenChange = true;
  const Integer old = FPosition;
  switch (DragZone) {
    case zBtnPrev:
      SetPosition(FPosition - FSmallChange);
      if (FPosition == old) StopDragTracking();
      break;
    case zBtnNext:
      SetPosition(FPosition + FSmallChange);
      if (FPosition == old) StopDragTracking();
      break;
    case zTrackPrev: {
      const TRBZone z = CursorZone();
      if (z == zBtnPrev || z == zTrackPrev) SetPosition(FPosition - FLargeChange);
      break;
    }
    case zTrackNext: {
      const TRBZone z = CursorZone();
      if (z == zTrackNext || z == zBtnNext) SetPosition(FPosition + FLargeChange);
      break;
    }
    default: break;
  }
  GenChange = false;
}

void InitPix32RangeBars() {
  RegisterClasses({TRangeBar::StaticClass(), TGaugeBar::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TRangeBar)
QN_PUBLISHED_IMPL(qn::TGaugeBar)
QN_PUBLISHED_IMPL(qn::TArrowBarAccess)
