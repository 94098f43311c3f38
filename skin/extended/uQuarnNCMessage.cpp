#include "skin/extended/uQuarnNCMessage.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Units.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

constexpr WPARAM kMoveByCaption = 0xF012;  // SC_MOVE | HTCAPTION

// Copies the part Src of From into To at (DstX, DstY) unblended, clipped to
// both bitmaps; what lies outside From is left as it was in To.
void CopyClipped(TBitmap32* From, TRect Src, TBitmap32* To, Integer DstX, Integer DstY) {
  // Clip the source to its bitmap, moving the destination with it.
  if (Src.Left < 0) DstX -= Src.Left, Src.Left = 0;
  if (Src.Top < 0) DstY -= Src.Top, Src.Top = 0;
  Src.Right = std::min(Src.Right, From->Width());
  Src.Bottom = std::min(Src.Bottom, From->Height());
  // Then the destination to its bitmap.
  if (DstX < 0) Src.Left -= DstX, DstX = 0;
  if (DstY < 0) Src.Top -= DstY, DstY = 0;
  const Integer w = std::min(Src.Right - Src.Left, To->Width() - DstX);
  const Integer h = std::min(Src.Bottom - Src.Top, To->Height() - DstY);
  if (w <= 0 || h <= 0) return;
  for (Integer y = 0; y < h; ++y)
    std::copy_n(From->ScanLine(Src.Top + y) + Src.Left, w, To->ScanLine(DstY + y) + DstX);
  To->Changed();
}

bool Blank(const String& S) { return Trim(S).empty(); }

}  // namespace

TCustomQuarnNCMessage::TCustomQuarnNCMessage(TComponent* AOwner)
    : TQuarnNCCtrlBase(AOwner),
      FTimerObj(new uSimpleTimer::TSimpleTimer()),
      FFont(new TFont()),
      FHotFont(new TFont()),
      FText(u"TQuarnNCMessage"),
      FBgCanvas(new TBitmap32()),
      FTextCanvas(new TBitmap32()) {
  FHotFont->SetColor(TColor(0xFF0000));
  FFont->SetOnChange(TNotifyEvent(this, &TCustomQuarnNCMessage::DoFontChanged));
  FHotFont->SetOnChange(TNotifyEvent(this, &TCustomQuarnNCMessage::DoFontChanged));
  FTimerObj->SetEnabled(false);
  FTimerObj->SetInterval(FSpeed);
  FTimerObj->SetOnTimer(TNotifyEvent(this, &TCustomQuarnNCMessage::DoTimerProc));
  Pos()->SetAlign(TNCCtrlAlign::caRight);
  Pos()->SetUseDefault(false);
  Pos()->SetXValue(150);
  Pos()->SetYValue(5);
  StartScroll();
}

TCustomQuarnNCMessage::~TCustomQuarnNCMessage() { FTimerObj->SetEnabled(false); }

bool TCustomQuarnNCMessage::Running() const { return !ComponentState().Contains(csDesigning); }

void TCustomQuarnNCMessage::StartScroll() {
  if (!Running()) return;
  FRestart = true;
  DoChanged();
  FTimerObj->SetEnabled(true);
}

void TCustomQuarnNCMessage::StopScroll() { FTimerObj->SetEnabled(false); }

void TCustomQuarnNCMessage::DoChanged() {
  DoResetSize();
  Invalidate();
}

void TCustomQuarnNCMessage::DoResetSize() {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FFont->Handle());
  FTextWidth = CalcTextWidthW(dc, FText);
  FTextHeight = CalcTextHeightW(dc, FText);
  SelectObject(dc, old);
  DeleteDC(dc);
}

void TCustomQuarnNCMessage::DoFontChanged(TObject*) { DoChanged(); }

void TCustomQuarnNCMessage::SetActiveScroll(Boolean Value) {
  if (Value == FActiveScroll) return;
  FActiveScroll = Value;
  if (Value) StartScroll();
  else StopScroll();
}

void TCustomQuarnNCMessage::SetText(const String& Value) {
  if (Value == FText) return;
  FText = Value;
  StartScroll();
}

void TCustomQuarnNCMessage::SetWidth(Integer Value) {
  if (Value == FWidth) return;
  if (Value < 0) throw EArgumentOutOfRangeException(u"The marquee's width cannot be negative (" + IntToStr(Value) + u")");
  FWidth = Value;
  StartScroll();
}

void TCustomQuarnNCMessage::SetSpeed(Cardinal Value) {
  if (Value == FSpeed) return;
  FSpeed = Value;
  FTimerObj->SetInterval(Value);
}

void TCustomQuarnNCMessage::SetState(TNCButtonState Value) {
  if (Value == FState) return;
  FState = Value;
  // The frame shows the other font at once.
  Invalidate();
}

void TCustomQuarnNCMessage::Click() {
  if (FOnClick) FOnClick(this);
}

bool TCustomQuarnNCMessage::ComposeFrame() {
  if (!FBgSaved || Blank(FText) || FTextHeight <= 0) return false;
  const TRect& r = FMessageRect;
  const Integer w = FDispX < r.Left ? FWidth : std::min(FWidth, r.Right - FDispX);
  if (w <= 0) return false;
  FTextCanvas->SetSize(w, FTextHeight);
  FTextCanvas->Clear(0);
  CopyClipped(FBgCanvas.get(), TRect(FWidth - w, 0, FWidth, FTextHeight), FTextCanvas.get(), 0, 0);
  TFont* font = FState == TNCButtonState::bsHot ? FHotFont.get() : FFont.get();
  FTextCanvas->Font()->Assign(font);
  const Integer x = FDispX <= r.Left ? FDispX - r.Left : 0;
  // Drawn with its own alpha, so a layered host shows the text too.
  FTextCanvas->RenderTextW(x, 0, FText, -1, Color32(ColorToRGB(font->Color())) | 0xFF000000u);
  FNewX = x < 0 ? r.Left : FDispX;
  FHasFrame = true;
  return true;
}

void TCustomQuarnNCMessage::DoTimerProc(TObject*) {
  // Nothing to step over before a repaint saved the title bar.
  if (Blank(FText) || !FBgSaved) return;
  const TRect& r = FMessageRect;
  // A start with the text outside the stretch (the first, or after it
  // scrolled out without LoopMode) brings it in from the right edge;
  // otherwise a stretch the text had already left would stop it at once.
  if (FRestart && (!FHasFrame || FDispX + FTextWidth < r.Left || FDispX > r.Right)) FDispX = r.Right;
  FRestart = false;
  FDispX -= FStep;
  if (FDispX + FTextWidth < r.Left) {
    if (FLoopMode) {
      FDispX = r.Right;
    } else {
      StopScroll();
      FHasFrame = false;
      Invalidate();
      return;
    }
  } else if (FDispX > r.Right) {
    FDispX = r.Right;
  }
  if (!ComposeFrame()) return;
  ++FFramesDrawn;
  if (!FForm || !FForm->HandleAllocated()) return;
  const HWND h = FForm->Handle();
  // A layered window does not show what is drawn on its device context:
  // its host composes the whole picture again instead.
  if (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED) {
    Invalidate();
    return;
  }
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  FTextCanvas->DrawTo(dc, FNewX, Pos()->GetY());
  ReleaseDC(h, dc);
}

void TCustomQuarnNCMessage::Paint(TBitmap32* Buffer) {
  TQuarnNCCtrlBase::Paint(Buffer);
  DoResetSize();
  const Integer X = Pos()->GetX(), Y = Pos()->GetY();
  FMessageRect = TRect(X - FWidth, Y, X, Y + FTextHeight);
  // What lies under the stretch; outside the picture (a form narrower
  // than the stretch) stays clear.
  FBgCanvas->SetSize(std::max(FWidth, 0), std::max(FTextHeight, 0));
  FBgCanvas->Clear(0);
  CopyClipped(Buffer, FMessageRect, FBgCanvas.get(), 0, 0);
  FBgSaved = true;
  // The current frame is made again over the new background (the title
  // bar may have changed under it since the last step).
  if (FHasFrame && FNewX >= FMessageRect.Left && FNewX <= FMessageRect.Right && ComposeFrame())
    CopyClipped(FTextCanvas.get(), FTextCanvas->BoundsRect(), Buffer, FNewX, Y);
}

void TCustomQuarnNCMessage::LMouseDown(TPoint P) {
  if (!FAllowClick) {
    TForm* f = FForm ? FForm : OwnerForm();
    if (!f || !f->HandleAllocated()) return;
    ReleaseCapture();
    SendMessageW(f->Handle(), WM_SYSCOMMAND, kMoveByCaption, 0);
    return;
  }
  SetState(TNCButtonState::bsHot);
  TQuarnNCCtrlBase::LMouseDown(P);
}

void TCustomQuarnNCMessage::LMouseUp(TPoint P) {
  if (!Visible() || !FAllowClick) {
    TQuarnNCCtrlBase::LMouseUp(P);
    return;
  }
  SetState(TNCButtonState::bsHot);
  TQuarnNCCtrlBase::LMouseUp(P);
  // A press dragged off the text and let go elsewhere is no click.
  if (FMouseEnter) Click();
}

void TCustomQuarnNCMessage::MouseEnter() {
  if (Visible() && FAllowClick) {
    SetState(TNCButtonState::bsHot);
    if (FCursor != 0 && Screen) {
      ::vcl::SetCursor(Screen->Cursors(FCursor));
      gHookedCursor = true;
    }
  }
  TQuarnNCCtrlBase::MouseEnter();
}

void TCustomQuarnNCMessage::MouseMove(TPoint P) {
  if (Visible() && FAllowClick && FCursor != 0 && Screen) {
    const HCURSOR want = Screen->Cursors(FCursor);
    if (::vcl::GetCursor() != want) {
      gHookedCursor = false;
      ::vcl::SetCursor(want);
      gHookedCursor = true;
    }
  }
  TQuarnNCCtrlBase::MouseMove(P);
}

void TCustomQuarnNCMessage::MouseLeave() {
  if (Visible() && FAllowClick) {
    SetState(TNCButtonState::bsNormal);
    if (gHookedCursor) {
      gHookedCursor = false;
      if (Screen) ::vcl::SetCursor(Screen->Cursors(crDefault));
    }
  }
  TQuarnNCCtrlBase::MouseLeave();
}

void InitQuarnNCMessage() { RegisterClasses({TQuarnNCMessage::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnNCMessage)
