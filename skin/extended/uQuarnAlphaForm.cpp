#include "skin/extended/uQuarnAlphaForm.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Units.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

constexpr WPARAM kMoveByPress = 0xF011;  // SC_MOVE, started by the mouse
constexpr COLORREF kNoColorKey = 0x1FFFFFFF;

// Layered windows take premultiplied colours; a skin image is straight.
// Each channel becomes round(v * a / 255), by the exact shift form of that
// division (v * a / 255 is never half way, so the rounding is the same).
void Premultiply(TBitmap32* B) {
  TColor32* p = B->Bits();
  for (Integer i = 0, n = B->Width() * B->Height(); i < n; ++i) {
    const TColor32 c = p[i];
    const Cardinal a = c >> 24;
    if (a == 255) continue;
    auto ch = [a](Cardinal v) {
      const Cardinal t = v * a + 128;
      return (t + (t >> 8)) >> 8;
    };
    p[i] = (a << 24) | ch((c >> 16) & 0xFF) << 16 | ch((c >> 8) & 0xFF) << 8 | ch(c & 0xFF);
  }
}

bool Holds(const TRect& R, const TPoint& P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

}  // namespace

TQuarnAlphaForm::TQuarnAlphaForm(TComponent* AOwner) : TQnHookWindowProc(AOwner), FPicture(new TBitmap32()) {
  if (!Hooked()) return;
  FDestForm->SetScaled(false);
  FDestForm->SetBorderStyle(bsNone);
  if (!FDestForm->HandleAllocated()) return;
  // A form shown before this component arrived: take it over now.
  FStyledWindow = FDestForm->Handle();
  ApplyWindowStyles();
  AdoptOwnedNCCtrls();
  DrawSelf();
}

TQuarnAlphaForm::~TQuarnAlphaForm() {
  // Adopted controls outlive this host: they forget it.
  for (TQuarnNCCtrlBase* c : FNCCtrlList) {
    c->FHost = nullptr;
    c->FHooked = false;
  }
  FNCCtrlList.clear();
  if (!Hooked()) return;
  const bool live = !static_cast<TComponent*>(FDestForm)->ComponentState().Contains(csDestroying) &&
                    FDestForm->HandleAllocated();
  Unhook();
  if (!live) return;
  // The form lives on: it shows its own painted surface again.
  const HWND h = FDestForm->Handle();
  KillTimer(h, kAdoptTimer);
  SetWindowLongPtrW(h, GWL_EXSTYLE, GetWindowLongPtrW(h, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_LAYERED));
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool TQuarnAlphaForm::Running() const {
  return Hooked() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying) &&
         !static_cast<TComponent*>(FDestForm)->ComponentState().Contains(csDestroying);
}

HWND TQuarnAlphaForm::FormHandle() const {
  return FDestForm && FDestForm->HandleAllocated() ? FDestForm->Handle() : nullptr;
}

bool TQuarnAlphaForm::ApplyWindowStyles() {
  const HWND h = FormHandle();
  // Changing a style sends messages that come back here.
  if (!h || FApplying) return false;
  FApplying = true;
  // A sizing style lets the window server run its size loop from the bands;
  // the frame it would bring takes no room (WM_NCCALCSIZE).
  const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
  const LONG_PTR want = (style & ~LONG_PTR(WS_SYSMENU)) | WS_THICKFRAME;
  if (want != style) {
    SetWindowLongPtrW(h, GWL_STYLE, want);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
  if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
  FApplying = false;
  return !(ex & WS_EX_LAYERED);
}

void TQuarnAlphaForm::SetBackground(const TQnResID& Value) {
  if (Value == FBackground) return;
  FBackground = Value;
  DrawSelf();
}

void TQuarnAlphaForm::DrawSelf() {
  // Re-entry (a control asking for a repaint while it paints, the window
  // resized by the push itself) would compose on a half-made picture.
  if (!Running() || FDrawing) return;
  const HWND h = FormHandle();
  if (!h) return;
  TQuarnImage* img = FBackground.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FBackground);
  if (!img || img->Empty()) return;
  TRect wr;
  GetWindowRect(h, &wr);
  const Integer W = wr.Width(), H = wr.Height();
  if (W <= 0 || H <= 0) return;
  FDrawing = true;
  // Kept between pictures: live sizing makes one per step.
  TBitmap32& pic = *FPicture;
  // The nine-slice stretch of StretchBitmap, copied rather than blended
  // (blending onto a clear picture would square the skin's alpha), covers
  // every pixel of a picture at least the image's size; a new or smaller
  // picture is cleared first.
  if (pic.Width() != W || pic.Height() != H || W < img->Width() || H < img->Height()) {
    pic.SetSize(W, H);
    pic.Clear(0);
  }
  NineSliceTransfer(img, img->BoundsRect(), ThirdCaps(img->Width(), img->Height()), &pic, pic.BoundsRect(), true);
  // No messages are processed here: a close or another compose in between
  // could free the form or its controls under this loop.
  for (Integer i = 0; i < FDestForm->ComponentCount(); ++i) {
    auto* c = dynamic_cast<TQuarnNCCtrlBase*>(FDestForm->Components(i));
    if (c && c->Visible() && !c->ComponentState().Contains(csDestroying)) c->Paint(&pic);
  }
  if (FSaveBitmap) FSaveBitmap->Assign(&pic);
  Premultiply(&pic);
  POINT dst(wr.Left, wr.Top), src(0, 0);
  SIZE size{W, H};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(h, nullptr, &dst, &size, pic.GetHDC(), &src, kNoColorKey, &blend, ULW_ALPHA);
  ++FComposeCount;
  FDrawing = false;
}

LRESULT TQuarnAlphaForm::HitTestAt(TPoint P) const {
  const HWND h = Running() ? FormHandle() : nullptr;
  if (!h || IsZoomed(h)) return HTNOWHERE;
  TRect wr;
  GetWindowRect(h, &wr);
  const Integer B = FHitTestWidth, W = wr.Width(), H = wr.Height();
  if (B <= 0) return HTNOWHERE;
  const struct {
    TRect R;
    LRESULT Code;
  } bands[] = {{TRect(0, 0, B, B), HTTOPLEFT},
               {TRect(B, 0, W - B, B), HTTOP},
               {TRect(W - B, 0, W, B), HTTOPRIGHT},
               {TRect(W - B, B, W, H - B), HTRIGHT},
               {TRect(W - B, H - B, W, H), HTBOTTOMRIGHT},
               {TRect(B, H - B, W - B, H), HTBOTTOM},
               {TRect(0, H - B, B, H), HTBOTTOMLEFT},
               {TRect(0, B, B, H - B), HTLEFT}};
  for (const auto& b : bands)
    if (Holds(b.R, P)) return b.Code;
  return HTNOWHERE;
}

bool TQuarnAlphaForm::DoNCLButton(bool Down) {
  if (!Running()) return false;
  TQuarnNCCtrlBase* taker = nullptr;
  for (TQuarnNCCtrlBase* c : FNCCtrlList) {
    if (!c->Visible() || !c->FMouseEnter) continue;
    // A picture takes presses only when asked to; otherwise the press is
    // the form's (a drag).
    if (auto* img = dynamic_cast<TQuarnNCImage*>(c); img && !img->CaptureMouse()) continue;
    taker = c;
    break;
  }
  if (taker) {
    if (Down) taker->LMouseDown(TPoint());
    else taker->LMouseUp(TPoint());
  }
  // The handler may have closed the form or freed this component's control.
  if (Running()) DrawSelf();
  return taker != nullptr;
}

void TQuarnAlphaForm::RemoveNCCtrl(TQuarnNCCtrlBase* Ctrl) {
  for (auto it = FNCCtrlList.rbegin(); it != FNCCtrlList.rend(); ++it)
    if (*it == Ctrl) {
      delete Ctrl;  // leaves the list through NCCtrlFreed
      return;
    }
}

void TQuarnAlphaForm::NCCtrlFreed(TQuarnNCCtrlBase* Ctrl) {
  auto it = std::find(FNCCtrlList.begin(), FNCCtrlList.end(), Ctrl);
  if (it == FNCCtrlList.end()) return;
  FNCCtrlList.erase(it);
  // The control is still among the form's components while it goes: the
  // picture without it is composed a moment later.
  ScheduleCompose();
}

bool TQuarnAlphaForm::Adopt(TQuarnNCCtrlBase* Ctrl) {
  // The pointer came by message: it may have been freed since, or belong
  // to another form.
  if (!TQuarnNCCtrlBase::IsLive(Ctrl) || Ctrl->Owner() != FDestForm || Ctrl->FHooked ||
      std::find(FNCCtrlList.begin(), FNCCtrlList.end(), Ctrl) != FNCCtrlList.end())
    return false;
  FNCCtrlList.push_back(Ctrl);
  Ctrl->FHooked = true;
  Ctrl->FForm = FDestForm;
  Ctrl->FHost = this;
  return true;
}

// Title-bar controls made with the form are complete by the time its
// window exists: taken then, the first picture already shows them.
void TQuarnAlphaForm::AdoptOwnedNCCtrls() {
  for (Integer i = 0, n = FDestForm->ComponentCount(); i < n; ++i)
    if (auto* c = dynamic_cast<TQuarnNCCtrlBase*>(FDestForm->Components(i))) Adopt(c);
}

void TQuarnAlphaForm::ScheduleCompose() {
  // A form on its way out is only half a form: nothing of the window is asked.
  if (!Running()) return;
  if (const HWND h = FormHandle()) SetTimer(h, kAdoptTimer, kAdoptDelay, nullptr);
}

void TQuarnAlphaForm::LeaveControls() {
  for (TQuarnNCCtrlBase* c : std::vector<TQuarnNCCtrlBase*>(FNCCtrlList))
    if (TQuarnNCCtrlBase::IsLive(c) && c->FMouseEnter) {
      c->FMouseEnter = false;
      c->MouseLeave();
    }
}

void TQuarnAlphaForm::MMINVALIDATE(TMessage& Message) {
  DrawSelf();
  Message.Result = 0;
}

void TQuarnAlphaForm::NewWndProc(TMessage& Message) {
  if (Message.Msg == WM_NCCALCSIZE && Running()) {
    // The whole window is client: the skin picture is all there is.
    Message.Result = 0;
    return;
  }
  if (Message.Msg == WM_SETCURSOR && gHookedCursor && Running() &&
      reinterpret_cast<HWND>(Message.WParam) == FormHandle()) {
    // A title-bar control shows a cursor of its own: the form leaves it.
    Message.Result = 1;
    return;
  }
  OldWndProc(Message);
  if (!Running()) return;
  const HWND h = FormHandle();
  if (!h) return;
  if (h != FStyledWindow) {
    // A new window (the first, or one made again for a new border style).
    FStyledWindow = h;
    AdoptOwnedNCCtrls();
  }
  // The form sets its own layering (from AlphaBlend) after it made its
  // window; the layered style is put back, and a window that became layered
  // shows nothing until it gets a picture.
  if (ApplyWindowStyles() && Message.Msg != WM_SIZE) DrawSelf();
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      if (!DoNCLButton(true) && FEnabledMove && Running()) {
        ReleaseCapture();
        SendMessageW(h, WM_SYSCOMMAND, kMoveByPress, 0);
      }
      break;
    case WM_LBUTTONUP: DoNCLButton(false); break;
    case WM_MOUSEMOVE: {
      const TPoint p = FDestForm->ClientToScreen(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
      for (TQuarnNCCtrlBase* c : std::vector<TQuarnNCCtrlBase*>(FNCCtrlList))
        if (TQuarnNCCtrlBase::IsLive(c)) c->NCMouseMove(p);
      break;
    }
    case CM_MOUSELEAVE:
      // Off the form: nothing stays hot.
      if (Message.LParam == 0 || Message.LParam == reinterpret_cast<LPARAM>(FDestForm)) LeaveControls();
      break;
    case WM_SIZE: DrawSelf(); break;
    case WM_NCHITTEST: {
      TRect wr;
      GetWindowRect(h, &wr);
      const LRESULT band =
          HitTestAt(TPoint(GET_X_LPARAM(Message.LParam) - wr.Left, GET_Y_LPARAM(Message.LParam) - wr.Top));
      if (band != HTNOWHERE) Message.Result = band;
      break;
    }
    case WM_TIMER:
      if (Message.WParam == kAdoptTimer) {
        KillTimer(h, kAdoptTimer);
        DrawSelf();
      }
      break;
    case MM_INVALIDATE: MMINVALIDATE(Message); break;
    case MM_ADDNCCTRL:
      if (Adopt(reinterpret_cast<TQuarnNCCtrlBase*>(Message.WParam))) ScheduleCompose();
      Message.Result = 0;
      break;
    case MM_REMOVENCCTRL:
      RemoveNCCtrl(reinterpret_cast<TQuarnNCCtrlBase*>(Message.WParam));
      Message.Result = 0;
      break;
    default: break;
  }
}

void InitQuarnAlphaForm() { RegisterClasses({TQuarnAlphaForm::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnAlphaForm)
