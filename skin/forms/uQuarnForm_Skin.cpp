// TQuarnForm: the skinned frame, title band, region and client background.
#include <algorithm>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

// The rounding of a skinned window: the ellipse of its corners.
constexpr Integer kCornerEllipse = 9;

// The rounded outline of a W x H window. This host's round rectangles
// cover their right and bottom edges exactly like the left and top ones,
// so the window's own size gives four equal corners.
HRGN RoundWindowRgn(Integer W, Integer H) { return CreateRoundRectRgn(0, 0, W, H, kCornerEllipse, kCornerEllipse); }

TColor32 Opaque(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }

// Each channel of C at Percent of its value, rounded.
TColor32 Darker(TColor C, Integer Percent) {
  const TColor32 c = Opaque(C);
  auto ch = [&](int shift) { return ((((c >> shift) & 0xFF) * Cardinal(Percent) + 50) / 100) << shift; };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

TColor32 Over(TColor32 Fore, Cardinal Alpha, TColor32 Back) {
  auto ch = [&](int shift) {
    const Cardinal f = (Fore >> shift) & 0xFF, b = (Back >> shift) & 0xFF;
    return ((f * Alpha + b * (255 - Alpha) + 127) / 255) << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

}  // namespace

// ---------------------------------------------------------------------------
// TQnFormOptions

void TQnFormOptions::Assign(TPersistent* Source) {
  if (auto* o = dynamic_cast<TQnFormOptions*>(Source)) {
    SetMinimizeToTaskbar(o->FMinimizeToTaskbar);
    return;
  }
  TPersistent::Assign(Source);
}

void TQnFormOptions::SetMinimizeToTaskbar(Boolean Value) {
  if (Value == FMinimizeToTaskbar) return;
  FMinimizeToTaskbar = Value;
  if (FOwner) FOwner->ApplyTaskbarStyle();
}

// ---------------------------------------------------------------------------
// TQuarnForm

TQuarnForm::TQuarnForm(TComponent* AOwner)
    : TQnHookWindowProc(AOwner),
      FOptions(new TQnFormOptions(this)),
      FSkinResLink(new TQnFreeLink(TNotifyEvent(this, &TQuarnForm::SkinResFreed))),
      FBorderLink(new TQnFreeLink(TNotifyEvent(this, &TQuarnForm::BorderFreed))),
      FPicture(new TBitmap32),
      FClientPicture(new TBitmap32),
      FFrameBuffer(new TBitmap32) {
  if (!Hooked()) return;
  TQnFormSkinHelperObj()->Add(FDestForm, this);
  // Skinned controls on the form take their background from the picture
  // the erase below lays, not through a paint of the form.
  SetWindowBackground(FDestForm, this, [this]() -> TBitmap32* {
    return FEraseBackGround && Hooked() ? GetBackgroundPicture() : nullptr;
  });
  if (!FDestForm->HandleAllocated()) return;
  // A form shown before its skin arrived: take over its frame now.
  const HWND h = FormHandle();
  FActive = GetActiveWindow() == h;
  ApplyTaskbarStyle();
  AdoptOwnedNCCtrls();
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateRegion();
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

TQuarnForm::~TQuarnForm() {
  // Adopted controls outlive the skin: they forget their host.
  for (TQuarnNCCtrlBase* c : FNCCtrls) {
    c->FHost = nullptr;
    c->FHooked = false;
  }
  FNCCtrls.clear();
  SetWindowBackground(FDestForm, this, nullptr);
  if (!Hooked()) return;
  TQnFormSkinHelperObj()->Remove(this);
  // Freed with its form, the form is already half gone: only the
  // component part may be asked.
  const bool live = FDestForm && !static_cast<TComponent*>(FDestForm)->ComponentState().Contains(csDestroying) &&
                    FDestForm->HandleAllocated();
  Unhook();
  if (!live) return;
  if (FImageBorder) FImageBorder->Release(FDestForm);
  // The form lives on without a skin: the platform's frame comes back.
  const HWND h = FormHandle();
  SetWindowRgn(h, nullptr, false);
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool TQuarnForm::Running() const {
  return Hooked() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying) &&
         !static_cast<TComponent*>(FDestForm)->ComponentState().Contains(csDestroying);
}

HWND TQuarnForm::FormHandle() const {
  return FDestForm && FDestForm->HandleAllocated() ? FDestForm->Handle() : nullptr;
}

// --- settings ---------------------------------------------------------------

void TQuarnForm::SetActiveGradient(Boolean Value) {
  if (Value == FActiveGradient) return;
  FActiveGradient = Value;
  Changed(false, false);
}
void TQuarnForm::SetDoubleFrame(Boolean Value) {
  if (Value == FDoubleFrame) return;
  FDoubleFrame = Value;
  Changed(false, false);
}
void TQuarnForm::SetFlatFrame(Boolean Value) {
  if (Value == FFlatFrame) return;
  FFlatFrame = Value;
  Changed(false, false);
}
void TQuarnForm::SetRoundWindow(Boolean Value) {
  if (Value == FRoundWindow) return;
  FRoundWindow = Value;
  Changed(false, false);
}
void TQuarnForm::SetFillStyle(TQnFillStyle Value) {
  if (Value == FFillStyle) return;
  FFillStyle = Value;
  Changed(false, false);
}
void TQuarnForm::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed(false, true);
}
void TQuarnForm::SetTitlerColor(TColor Value) {
  if (Value == FTitlerColor) return;
  FTitlerColor = Value;
  Changed(false, true);
}
void TQuarnForm::SetCustomPicture(const TQnResID& Value) {
  if (Value == FCustomPicture) return;
  FCustomPicture = Value;
  Changed(false, true);
}
void TQuarnForm::SetFramWidth(Integer Value) {
  if (Value < 0 || Value == FFramWidth) return;
  FFramWidth = Value;
  Changed(true, true);
}
void TQuarnForm::SetHitTestWidth(Integer Value) {
  if (Value < 0 || Value == FHitTestWidth) return;
  FHitTestWidth = Value;
  Changed(false, true);
}
void TQuarnForm::SetTitleHeight(Integer Value) {
  if (Value < 0 || Value == FTitleHeight) return;
  FTitleHeight = Value;
  Changed(true, false);
}
void TQuarnForm::SetGradientHeight(Integer Value) {
  if (Value == FGradientHeight) return;
  FGradientHeight = Value;
  Changed(false, false);
}
void TQuarnForm::SetStyle(TQuarnStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed(false, true);
}
void TQuarnForm::SetImageBorder(TQnFormLayerBorder* Value) {
  if (Value == FImageBorder) return;
  if (FImageBorder && FDestForm) FImageBorder->Release(FDestForm);
  FImageBorder = Value;
  FBorderLink->Watch(Value);
  Changed(false, false);
}
void TQuarnForm::SetEraseBackGround(Boolean Value) {
  if (Value == FEraseBackGround) return;
  FEraseBackGround = Value;
  if (Running() && FormHandle()) InvalidateRect(FormHandle(), nullptr, true);
}
void TQuarnForm::SetSkinRes(TQnCustomSkinRes* Value) {
  FSkinRes = Value;
  FSkinResLink->Watch(Value);
}

void TQuarnForm::SkinResFreed(TObject*) { FSkinRes = nullptr; }
void TQuarnForm::BorderFreed(TObject*) { FImageBorder = nullptr; }

void TQuarnForm::Changed(bool Metrics, bool GlobalStyle) {
  FPictureValid = false;
  if (!Running()) return;
  if (Metrics && FormHandle())
    SetWindowPos(FormHandle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RefreshSkin();
  if (GlobalStyle) ResetGQnFormStyle();
}

void TQuarnForm::Loaded() {
  TQnHookWindowProc::Loaded();
  if (!Running()) return;
  ResetGQnFormStyle();
  RefreshSkin();
}

void TQuarnForm::ApplyTaskbarStyle() {
  const HWND h = Hooked() ? FormHandle() : nullptr;
  if (!h) return;
  const LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
  const LONG_PTR want = FOptions->MinimizeToTaskbar() ? (ex | WS_EX_APPWINDOW) : (ex & ~LONG_PTR(WS_EX_APPWINDOW));
  if (want != ex) SetWindowLongPtrW(h, GWL_EXSTYLE, want);
}

void TQuarnForm::UseMainSkin() {
  if (FSkinRes) {
    if (TQnFormSkinRes* f = FSkinRes->Form()) {
      FColor = f->Color();
      FCustomPicture = f->CustomPicture();
      FGradientHeight = f->GradientHeight();
      FStyle = f->Style();
      FTitlerColor = f->TitlerColor();
    }
  }
  FPictureValid = false;
  if (Running()) RefreshSkin();
}

void TQuarnForm::ResetGQnFormStyle() {
  if (Tag() == QnPrivateFormSkinTag || !gQnFormStyle) return;
  gQnFormStyle->BeginUpdate();
  gQnFormStyle->SetColor(FColor);
  gQnFormStyle->SetCustomPicture(FCustomPicture);
  gQnFormStyle->SetFramWidth(FFramWidth);
  gQnFormStyle->SetHitTestWidth(FHitTestWidth);
  gQnFormStyle->SetStyle(FStyle);
  gQnFormStyle->SetTitlerColor(FTitlerColor);
  gQnFormStyle->EndUpdate();
}

// --- geometry ---------------------------------------------------------------

TRect TQuarnForm::ClientRectFor(Integer W, Integer H) const {
  // A window too small for frame and title keeps an empty client at the
  // frame's inner edge, never an inverted rectangle.
  W = std::max(W, 0), H = std::max(H, 0);
  TRect r;
  r.Left = std::min(FFramWidth, W);
  r.Right = std::max(r.Left, W - FFramWidth);
  r.Top = std::min(FTitleHeight, H);
  r.Bottom = std::max(r.Top, H - FFramWidth);
  return r;
}

LRESULT TQuarnForm::HitTestAt(TPoint P) {
  const HWND h = FormHandle();
  if (!h) return HTNOWHERE;
  TRect wr;
  GetWindowRect(h, &wr);
  const Integer W = wr.Right - wr.Left, H = wr.Bottom - wr.Top;
  if (P.X < 0 || P.Y < 0 || P.X >= W || P.Y >= H) return HTNOWHERE;
  const bool sizeable = (GetWindowLongPtrW(h, GWL_STYLE) & WS_THICKFRAME) != 0 && !IsZoomed(h);
  if (sizeable && FHitTestWidth > 0) {
    const Integer k = FHitTestWidth;
    const bool l = P.X < k, r = P.X >= W - k, t = P.Y < k, b = P.Y >= H - k;
    if (t && l) return HTTOPLEFT;
    if (t && r) return HTTOPRIGHT;
    if (b && l) return HTBOTTOMLEFT;
    if (b && r) return HTBOTTOMRIGHT;
    if (l) return HTLEFT;
    if (r) return HTRIGHT;
    if (t) return HTTOP;
    if (b) return HTBOTTOM;
  }
  if (P.Y < FTitleHeight) return HTCAPTION;
  const TRect c = ClientRectFor(W, H);
  if (P.X >= c.Left && P.X < c.Right && P.Y >= c.Top && P.Y < c.Bottom) return HTCLIENT;
  return HTBORDER;
}

void TQuarnForm::UpdateRegion() {
  const HWND h = FormHandle();
  if (!h) return;
  if (!FRoundWindow || IsZoomed(h)) {
    SetWindowRgn(h, nullptr, true);
    return;
  }
  TRect wr;
  GetWindowRect(h, &wr);
  SetWindowRgn(h, RoundWindowRgn(wr.Right - wr.Left, wr.Bottom - wr.Top), true);
}

// --- the picture ------------------------------------------------------------

TBitmap32* TQuarnForm::Picture() {
  Integer W = FDestForm ? FDestForm->Width() : 0, H = FDestForm ? FDestForm->Height() : 0;
  if (const HWND h = FormHandle()) {
    TRect wr;
    GetWindowRect(h, &wr);
    W = wr.Right - wr.Left, H = wr.Bottom - wr.Top;
  }
  if (!FPictureValid || FPicture->Width() != W || FPicture->Height() != H || FPictureTint.H != gHSB.H ||
      FPictureTint.S != gHSB.S || FPictureTint.B != gHSB.B)
    BuildPicture(W, H);
  return FPicture.get();
}

TBitmap32* TQuarnForm::GetBackgroundPicture() {
  Picture();
  return FClientPicture.get();
}

void TQuarnForm::BuildPicture(Integer W, Integer H) {
  FPictureValid = true;
  FPictureTint = gHSB;
  TBitmap32* b = FPicture.get();
  b->SetSize(std::max(W, 0), std::max(H, 0));
  FClientPicture->SetSize(0, 0);
  if (b->Empty()) return;

  bool painted = false;
  if (FStyle == ssPicture && !FCustomPicture.empty()) {
    TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(FCustomPicture);
    if (img && !img->Empty()) {
      b->Clear(Opaque(FColor));
      switch (FFillStyle) {
        case mfsTile: TileBitmap(img, b); break;
        case mfsStretch: DrawImage(img, b, ftStretch); break;
        case mfs9Block: StretchBitmap(img, b, false); break;
        case mfsBlur:
          // A soft backdrop: the picture covers the window and is blurred
          // so the form's contents stay readable over it.
          AutoStretchBitmap(img, b, false);
          for (int i = 0; i < 3; ++i) BoxBlurBitmap(b, 6);
          break;
      }
      painted = true;
    }
  }
  if (!painted) {
    b->Clear(Opaque(FColor));
    if (FActiveGradient && FActive && FGradientHeight > 0) {
      FillGradient(b->Canvas(), FTitlerColor, FColor, TRect(0, 0, W, FGradientHeight), false);
    } else if (FTitleHeight > 0) {
      b->FillRectS(TRect(0, 0, W, std::min(FTitleHeight, H)), Opaque(FTitlerColor));
    }
  }
  // The platform's drawing leaves alpha at zero; the picture is opaque.
  b->ResetAlpha();
  TintBitmapHSB(b, gHSB.H, gHSB.S, gHSB.B);
  FillFrameLines(b);

  const TRect c = ClientRectFor(W, H);
  FClientPicture->SetSize(c.Right - c.Left, c.Bottom - c.Top);
  if (!FClientPicture->Empty())
    for (Integer y = 0; y < FClientPicture->Height(); ++y)
      std::copy_n(b->ScanLine(c.Top + y) + c.Left, FClientPicture->Width(), FClientPicture->ScanLine(y));
  FClientPicture->Changed();
  b->Changed();
  NotifyChildren();
}

void TQuarnForm::FillFrameLines(TBitmap32* B) {
  const Integer W = B->Width(), H = B->Height();
  // The inside of the window row by row: the rounded corners follow the
  // window region so the lines trace the visible outline.
  std::vector<Integer> L(size_t(H), 0), R(size_t(H), W);
  const HWND h = FormHandle();
  if (FRoundWindow && !(h && IsZoomed(h))) {
    HRGN rgn = RoundWindowRgn(W, H);
    for (Integer y = 0; y < H; ++y) {
      if (y > kCornerEllipse && y < H - 1 - kCornerEllipse) continue;
      Integer l = 0;
      while (l < W && !PtInRegion(rgn, l, y)) ++l;
      Integer r = W;
      while (r > l && !PtInRegion(rgn, r - 1, y)) --r;
      L[size_t(y)] = l, R[size_t(y)] = r;
    }
    DeleteObject(rgn);
  }
  auto inside = [&](Integer x, Integer y) { return y >= 0 && y < H && x >= L[size_t(y)] && x < R[size_t(y)]; };
  auto edge = [&](Integer x, Integer y) {
    return inside(x, y) && !(inside(x - 1, y) && inside(x + 1, y) && inside(x, y - 1) && inside(x, y + 1));
  };
  const TColor32 line = Darker(FTitlerColor, 60);
  const bool inner = FDoubleFrame && !FFlatFrame;
  const Integer band = kCornerEllipse + 2;
  for (Integer y = 0; y < H; ++y) {
    TColor32* row = B->ScanLine(y);
    const bool nearTopOrBottom = y < band || y >= H - band;
    for (Integer x = 0; x < W; ++x) {
      if (!nearTopOrBottom && x >= band && x < W - band) {
        x = W - band - 1;
        continue;
      }
      if (!inside(x, y)) continue;
      if (edge(x, y)) {
        row[x] = line;
      } else if (inner && (edge(x - 1, y) || edge(x + 1, y) || edge(x, y - 1) || edge(x, y + 1))) {
        row[x] = Over(0xFFFFFFFFu, 96, row[x]);
      }
    }
  }
}

void TQuarnForm::NotifyChildren() {
  if (!FDestForm) return;
  for (Integer i = 0; i < FDestForm->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(FDestForm->Controls(i)); w && w->HandleAllocated())
      PostMessageW(w->Handle(), CWM_CHECKPARENTBG, 0, 0);
}

void TQuarnForm::RefreshSkin() {
  FPictureValid = false;
  const HWND h = FormHandle();
  if (!Hooked() || !h) return;
  UpdateRegion();
  Picture();
  PaintFrame();
  InvalidateRect(h, nullptr, true);
}

void TQuarnForm::PaintFrame() {
  const HWND h = FormHandle();
  if (!h) return;
  TBitmap32* pic = Picture();
  if (pic->Empty()) return;
  FFrameBuffer->SetSize(pic->Width(), pic->Height());
  for (Integer y = 0; y < pic->Height(); ++y) std::copy_n(pic->ScanLine(y), pic->Width(), FFrameBuffer->ScanLine(y));
  FFrameBuffer->Changed();
  PaintTitleBar(FFrameBuffer.get());
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  const TRect c = ClientRectFor(pic->Width(), pic->Height());
  if (c.Right > c.Left && c.Bottom > c.Top) ExcludeClipRect(dc, c.Left, c.Top, c.Right, c.Bottom);
  FFrameBuffer->DrawTo(dc, 0, 0);
  ReleaseDC(h, dc);
  if (FImageBorder) FImageBorder->UpdateFor(FDestForm);
}

// --- messages ---------------------------------------------------------------

void TQuarnForm::WMNCCalcSize(TMessage& Message) {
  RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                           : reinterpret_cast<RECT*>(Message.LParam);
  if (!r) return;
  const TRect c = ClientRectFor(r->Right - r->Left, r->Bottom - r->Top);
  const Integer x = r->Left, y = r->Top;
  *r = TRect(x + c.Left, y + c.Top, x + c.Right, y + c.Bottom);
  Message.Result = 0;
}

// --- title-bar controls ------------------------------------------------------

void TQuarnForm::NCCtrlFreed(TQuarnNCCtrlBase* Ctrl) {
  auto it = std::find(FNCCtrls.begin(), FNCCtrls.end(), Ctrl);
  if (it == FNCCtrls.end()) return;
  FNCCtrls.erase(it);
  if (FPressed == Ctrl) FPressed = nullptr;
  if (Running()) PaintFrame();
}

void TQuarnForm::LayoutNCCtrls(Integer W) {
  auto centred = [&](const TSize& s) { return (FTitleHeight - s.cy) / 2; };
  // System buttons from the right: close, then maximise, then minimise.
  Integer right = W - FFramWidth - 2;
  for (TQnSystemButtonKind k :
       {TQnSystemButtonKind::sbkClose, TQnSystemButtonKind::sbkMaximize, TQnSystemButtonKind::sbkMinimize})
    for (TQuarnNCCtrlBase* c : FNCCtrls) {
      auto* b = dynamic_cast<TQuarnSystemButton*>(c);
      if (!b || b->Kind() != k || !b->Visible() || !b->Pos()->UseDefault()) continue;
      const TSize s = b->GetSize();
      b->FDefaultOrigin = TPoint(right - s.cx, centred(s));
      right -= s.cx + 2;
    }
  // The form's own buttons continue that row to the left, so a button left at
  // the default position never lands on the icon or the caption.
  for (TQuarnNCCtrlBase* c : FNCCtrls) {
    if (!dynamic_cast<TQuarnNCButton*>(c) || !c->Visible() || !c->Pos()->UseDefault()) continue;
    const TSize s = c->GetSize();
    c->FDefaultOrigin = TPoint(right - s.cx, centred(s));
    right -= s.cx + 2;
  }
  // Images from the left, labels after them.
  Integer left = FFramWidth + 6;
  for (int pass = 0; pass < 2; ++pass)
    for (TQuarnNCCtrlBase* c : FNCCtrls) {
      const bool want = pass == 0 ? dynamic_cast<TQuarnNCImage*>(c) != nullptr : dynamic_cast<TQuarnNCLabel*>(c) != nullptr;
      if (!want || !c->Visible() || !c->Pos()->UseDefault()) continue;
      const TSize s = c->GetSize();
      c->FDefaultOrigin = TPoint(left, centred(s));
      left += s.cx + 4;
    }
}

void TQuarnForm::PaintTitleBar(TBitmap32* Buffer) {
  LayoutNCCtrls(Buffer->Width());
  for (TQuarnNCCtrlBase* c : std::vector<TQuarnNCCtrlBase*>(FNCCtrls))
    if (c->Visible()) c->Paint(Buffer);
}

TQuarnNCCtrlBase* TQuarnForm::PressTaker() const {
  for (TQuarnNCCtrlBase* c : FNCCtrls) {
    if (!c->Visible() || !c->FMouseEnter) continue;
    // A picture takes presses only when asked to; otherwise the press
    // goes on to the title (a drag).
    if (auto* img = dynamic_cast<TQuarnNCImage*>(c); img && !img->CaptureMouse()) continue;
    return c;
  }
  return nullptr;
}

bool TQuarnForm::Adopt(TQuarnNCCtrlBase* Ctrl) {
  if (!TQuarnNCCtrlBase::IsLive(Ctrl) || Ctrl->Owner() != FDestForm || Ctrl->FHooked ||
      std::find(FNCCtrls.begin(), FNCCtrls.end(), Ctrl) != FNCCtrls.end())
    return false;
  FNCCtrls.push_back(Ctrl);
  Ctrl->FHooked = true;
  Ctrl->FForm = FDestForm;
  Ctrl->FHost = this;
  return true;
}

// Title controls made with the form (a form file, the form's constructor)
// are complete by the time its window exists: taking them then means the
// first picture of the frame already shows them, without waiting for the
// requests they post.
void TQuarnForm::AdoptOwnedNCCtrls() {
  if (!FDestForm) return;
  for (Integer i = 0, n = FDestForm->ComponentCount(); i < n; ++i)
    if (auto* c = dynamic_cast<TQuarnNCCtrlBase*>(FDestForm->Components(i))) Adopt(c);
}

bool TQuarnForm::NCCtrlMessage(TMessage& Message) {
  const HWND h = FormHandle();
  switch (Message.Msg) {
    case MM_ADDNCCTRL: {
      auto* c = reinterpret_cast<TQuarnNCCtrlBase*>(Message.WParam);
      // The pointer was posted: it may have been freed since, or belong
      // to another form.
      if (Adopt(c)) PaintFrame();
      Message.Result = 0;
      return true;
    }
    case MM_REMOVENCCTRL: {
      auto* c = reinterpret_cast<TQuarnNCCtrlBase*>(Message.WParam);
      if (std::find(FNCCtrls.begin(), FNCCtrls.end(), c) != FNCCtrls.end()) delete c;  // leaves through NCCtrlFreed
      Message.Result = 0;
      return true;
    }
    case MM_INVALIDATE:
      PaintFrame();
      Message.Result = 0;
      return true;
    case WM_NCMOUSEMOVE:
      if (!FNCTracking) {
        TRACKMOUSEEVENT t{};
        t.cbSize = sizeof t;
        t.dwFlags = TME_LEAVE | TME_NONCLIENT;
        t.hwndTrack = h;
        TrackMouseEvent(&t);
        FNCTracking = true;
      }
      for (TQuarnNCCtrlBase* c : std::vector<TQuarnNCCtrlBase*>(FNCCtrls))
        if (TQuarnNCCtrlBase::IsLive(c)) c->NCMouseMove(TPoint());
      return false;
    case WM_NCMOUSELEAVE:
      FNCTracking = false;
      if (FPressed) return false;
      for (TQuarnNCCtrlBase* c : std::vector<TQuarnNCCtrlBase*>(FNCCtrls))
        if (TQuarnNCCtrlBase::IsLive(c) && c->FMouseEnter) {
          c->FMouseEnter = false;
          c->MouseLeave();
        }
      return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      // The second press of a quick pair is a press too when a control
      // takes it (and then no maximise of the title).
      if (TQuarnNCCtrlBase* c = PressTaker()) {
        // Taken: no move loop; the capture brings the release back here.
        FPressed = c;
        SetCapture(h);
        c->LMouseDown(TPoint());
        Message.Result = 0;
        return true;
      }
      return false;
    case WM_MOUSEMOVE:
      if (FPressed) {
        FPressed->NCMouseMove(TPoint());
        Message.Result = 0;
        return true;
      }
      return false;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
      if (TQuarnNCCtrlBase* c = FPressed) {
        FPressed = nullptr;
        if (GetCapture() == h) ReleaseCapture();
        c->NCMouseMove(TPoint());
        if (TQuarnNCCtrlBase::IsLive(c)) c->LMouseUp(TPoint());
        Message.Result = 0;
        return true;
      }
      return false;
    case WM_CAPTURECHANGED:
      if (FPressed && reinterpret_cast<HWND>(Message.LParam) != h) FPressed = nullptr;
      return false;
    case WM_SETCURSOR:
      if (gHookedCursor && reinterpret_cast<HWND>(Message.WParam) == h) {
        Message.Result = 1;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void TQuarnForm::NewWndProc(TMessage& Message) {
  if (NCCtrlMessage(Message)) return;
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      WMNCCalcSize(Message);
      return;
    case WM_NCHITTEST: {
      TRect wr;
      GetWindowRect(FormHandle(), &wr);
      Message.Result = HitTestAt(TPoint(GET_X_LPARAM(Message.LParam) - wr.Left, GET_Y_LPARAM(Message.LParam) - wr.Top));
      return;
    }
    case WM_NCPAINT:
      PaintFrame();
      Message.Result = 0;
      return;
    case WM_NCACTIVATE: {
      // The platform keeps its activation state but draws nothing (-1).
      TMessage m = Message;
      m.LParam = -1;
      OldWndProc(m);
      const bool active = Message.WParam != 0;
      if (active != FActive) {
        FActive = active;
        FPictureValid = false;
        // The gradient reaches into the client: the whole form changes.
        if (FActiveGradient && FGradientHeight > FTitleHeight) RefreshSkin();
        else PaintFrame();
      }
      Message.Result = 1;
      return;
    }
    case WM_NCLBUTTONDBLCLK:
      if (Message.WParam == WPARAM(HTCAPTION)) {
        const HWND h = FormHandle();
        if (IsZoomed(h)) SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, Message.LParam);
        else if (FDestForm->BorderIcons().Contains(biMaximize) && (GetWindowLongPtrW(h, GWL_STYLE) & WS_THICKFRAME))
          SendMessageW(h, WM_SYSCOMMAND, SC_MAXIMIZE, Message.LParam);
        Message.Result = 0;
        return;
      }
      break;
    case WM_GETMINMAXINFO: {
      OldWndProc(Message);
      // Maximised, the skinned window fills the work area exactly: it has
      // no frame that could hang off the screen.
      if (auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam)) {
        const TRect work = GetMonitorWorkArea(FormHandle(), true);
        mmi->ptMaxPosition = TPoint(0, 0);
        mmi->ptMaxSize = TPoint(work.Right - work.Left, work.Bottom - work.Top);
      }
      return;
    }
    case WM_SIZE:
      OldWndProc(Message);
      FPictureValid = false;
      UpdateRegion();
      if (const HWND h = FormHandle())
        RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
      return;
    case WM_ERASEBKGND:
      if (FEraseBackGround && Message.WParam) {
        TBitmap32* c = GetBackgroundPicture();
        if (!c->Empty()) c->DrawTo(reinterpret_cast<HDC>(Message.WParam), 0, 0);
        Message.Result = 1;
        return;
      }
      break;
    case WM_CREATE:
      OldWndProc(Message);
      ApplyTaskbarStyle();
      AdoptOwnedNCCtrls();
      return;
    case WM_WINDOWPOSCHANGED:
      OldWndProc(Message);
      // The border follows moves, sizes and showing or hiding.
      if (FImageBorder && Running()) FImageBorder->UpdateFor(FDestForm);
      return;
    case MM_REFRESHSKIN:
      RefreshSkin();
      return;
    case MM_SKINRESCHANGED:
      UseMainSkin();
      return;
    default:
      break;
  }
  OldWndProc(Message);
}

}  // namespace qn
