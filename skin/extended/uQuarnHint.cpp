#include "skin/extended/uQuarnHint.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Units.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/extended/uQuarnAlphaForm.h"

namespace qn {

namespace {

constexpr UINT kMeasureFlags = DT_CALCRECT | DT_WORDBREAK;  // 0x410
constexpr UINT kShowFlags = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW;  // 0x51
constexpr DWORD kSaveBits = 0x800, kDropShadow = 0x20000;

// The TQuarnHint components alive at run time, oldest first: the form of
// the newest is the one hint windows fall back on.
std::vector<TQuarnHint*>& LiveHints() {
  static std::vector<TQuarnHint*> v;
  return v;
}
// The class the application used before the first balloon was installed.
TClass GOldHintWindowClass = nullptr;
bool GClassSaved = false;

TCustomForm* RememberedForm() {
  const auto& v = LiveHints();
  for (auto it = v.rbegin(); it != v.rend(); ++it)
    if (auto* f = dynamic_cast<TCustomForm*>((*it)->Owner())) return f;
  return nullptr;
}

TQuarnHint* FirstHintOn(TComponent* Form) {
  if (!Form) return nullptr;
  for (Integer i = 0; i < Form->ComponentCount(); ++i)
    if (auto* h = dynamic_cast<TQuarnHint*>(Form->Components(i)))
      if (!h->ComponentState().Contains(csDestroying)) return h;
  return nullptr;
}

template <class F>
void ForEachHintWindow(F&& Fn) {
  if (!Application) return;
  for (Integer i = 0; i < Application->ComponentCount(); ++i)
    if (auto* w = dynamic_cast<TQuarnHintWindow*>(Application->Components(i))) Fn(w);
}

TComponent* FormOrNothing(TComponent* AOwner) {
  if (AOwner && !dynamic_cast<TCustomForm*>(AOwner)) throw EInvalidCast(u"Invalid class typecast");
  return AOwner;
}

void DefaultFont(TFont* F) {
  F->SetSize(TQuarnHint::kFontSize);
  F->SetColor(TQuarnHint::kFontColor);
}

}  // namespace

// ---------------------------------------------------------------------------
// TQuarnHint

TQuarnHint::TQuarnHint(TComponent* AOwner) : TComponent(FormOrNothing(AOwner)), FHintFont(new TFont()) {
  DefaultFont(FHintFont.get());
  FHintFont->SetOnChange(TNotifyEvent(this, &TQuarnHint::HintFontChanged));
  if (Application) {
    Application->SetHintPause(kHintPause);
    Application->SetHintHidePause(kHintHidePause);
  }
  if (!Running()) return;
  LiveHints().push_back(this);
  Install();
}

TQuarnHint::~TQuarnHint() {
  auto& v = LiveHints();
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  ForEachHintWindow([this](TQuarnHintWindow* w) { w->QnHintFreed(this); });
  if (!FInstalled) return;
  // The last balloon gone: the application's hints look as before.
  const bool others = std::any_of(v.begin(), v.end(), [](TQuarnHint* h) { return h->FInstalled; });
  if (!others && GClassSaved) {
    if (HintWindowClass == TQuarnHintWindow::StaticClass()) HintWindowClass = GOldHintWindowClass;
    GClassSaved = false;
    GOldHintWindowClass = nullptr;
  }
}

bool TQuarnHint::Running() const {
  return !ComponentState().Contains(csDesigning) && !(Owner() && Owner()->ComponentState().Contains(csDesigning));
}

void TQuarnHint::Install() {
  if (!Running()) return;
  if (HintWindowClass != TQuarnHintWindow::StaticClass()) {
    if (!GClassSaved) {
      GOldHintWindowClass = HintWindowClass;
      GClassSaved = true;
    }
    HintWindowClass = TQuarnHintWindow::StaticClass();
  }
  FInstalled = true;
  SetNewHintFont();
}

void TQuarnHint::Loaded() {
  TComponent::Loaded();
  Install();
}

void TQuarnHint::SetHintFont(TFont* Value) {
  FHintFont->Assign(Value);
  SetNewHintFont();
}

void TQuarnHint::HintFontChanged(TObject*) { SetNewHintFont(); }

void TQuarnHint::CMFontChanged(TMessage&) { SetNewHintFont(); }

void TQuarnHint::SetNewHintFont() {
  if (!Application) return;
  for (Integer i = 0; i < Application->ComponentCount(); ++i)
    if (auto* w = dynamic_cast<TQuarnHintWindow*>(Application->Components(i))) {
      w->Canvas()->Font()->Assign(FHintFont.get());
      return;
    }
}

void TQuarnHint::SetHintPauseTime(Integer Value) {
  if (Value == FHintPauseTime) return;
  FHintPauseTime = Value;
  if (Application) Application->SetHintPause(Value);
}

void TQuarnHint::SetHintHidePauseTime(Integer Value) {
  if (Value == FHintHidePauseTime) return;
  FHintHidePauseTime = Value;
  if (Application) Application->SetHintHidePause(Value);
}

// ---------------------------------------------------------------------------
// TQuarnHintWindow

TQuarnHintWindow::TQuarnHintWindow(TComponent* AOwner) : THintWindow(AOwner), FFont(new TFont()) {
  SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
  Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  Canvas()->Brush()->SetColor(clBackground);
  DefaultFont(FFont.get());
  FHintDirection = hdDown;
}

TQuarnHintWindow::~TQuarnHintWindow() { SetHintControl(nullptr); }

void TQuarnHintWindow::CreateParams(TCreateParams& Params) {
  THintWindow::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER);
  Params.WindowClass.style = (Params.WindowClass.style | kSaveBits) & ~kDropShadow;
}

TQuarnHint* TQuarnHintWindow::FindQuarnHint() {
  if (Application)
    if (TQuarnHint* h = FirstHintOn(Application->MainForm())) return h;
  return FirstHintOn(RememberedForm());
}

void TQuarnHintWindow::QnHintFreed(TQuarnHint* Hint) {
  if (FQnHint == Hint) FQnHint = nullptr;
}

void TQuarnHintWindow::SetHintControl(TControl* Control) {
  if (Control == FHintControl) return;
  if (FHintControl) FHintControl->RemoveFreeNotification(this);
  FHintControl = Control;
  if (Control) Control->FreeNotification(this);
}

void TQuarnHintWindow::Notification(TComponent* AComponent, TOperation Operation) {
  THintWindow::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FHintControl) FHintControl = nullptr;
}

void TQuarnHintWindow::TakeSettings() {
  FQnHint = FindQuarnHint();
  if (FQnHint) {
    FColor = FQnHint->HintColor();
    FFrame = FQnHint->FrameColor();
    FFont->Assign(FQnHint->HintFont());
    FAutoPosition = FQnHint->AutoPosition();
    FPropertyDirection = FQnHint->HintDirection();
    return;
  }
  // None in reach: the component's defaults.
  FColor = TQuarnHint::kHintColor;
  FFrame = TQuarnHint::kFrameColor;
  TFont plain;
  FFont->Assign(&plain);
  DefaultFont(FFont.get());
  FAutoPosition = true;
  FPropertyDirection = hdDown;
}

TRect TQuarnHintWindow::CalcHintRect(Integer MaxWidth, const String& AHint, void*) {
  TakeSettings();
  RECT r{0, 0, MaxWidth, 0};
  HDC dc = Canvas()->Handle();
  HGDIOBJ old = SelectObject(dc, FFont->Handle());
  DrawTextW(dc, AHint.c_str(), int(AHint.size()), &r, kMeasureFlags);
  SelectObject(dc, old);
  return TRect(r.Left, r.Top, r.Right, r.Bottom);
}

THintDirection TQuarnHintWindow::SelectProperHintDirection(const TRect& Rect) {
  POINT p;
  if (!GetCursorPos(&p)) return FHintDirection;
  FHintPos = TPoint(p.X, p.Y);
  const THintDirection d = FPropertyDirection;
  SetHintControl(FindDragTarget(FHintPos, true));
  THintDirection answer = d;
  if (FQnHint && FQnHint->OnSelectHintDirection()) FQnHint->OnSelectHintDirection()(FHintControl, FHintPos, answer);
  TControl* c = FHintControl;
  if (!FAutoPosition || answer != d || !c) return answer;
  FHintPos = TPoint(c->Left(), c->Top());
  const TPoint s = c->Parent() ? c->Parent()->ClientToScreen(FHintPos) : FHintPos;
  // The edges of the monitor the control is on: a control on a monitor
  // left of or below the first one is judged by its own screen.
  TRect m(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (Screen)
    if (TMonitor* mon = Screen->MonitorFromRect(TRect(s.X, s.Y, s.X + c->Width(), s.Y + c->Height())))
      m = mon->BoundsRect();
  THintDirection choice = hdDown;
  if (m.Bottom < Rect.Height() + s.Y + c->Height() + 5) choice = hdUp;
  if (m.Right < Rect.Width() + s.X + c->Width() + 5) choice = hdLeft;
  return choice;
}

void TQuarnHintWindow::SelectCustomHint() {
  FCustomImage.reset();
  if (!FQnHint || !FQnHint->OnCustomHint()) return;
  TBitmap32* picture = nullptr;
  FQnHint->OnCustomHint()(FHintControl, picture);
  FCustomImage.reset(picture);
  if (FCustomImage && FCustomImage->Empty()) FCustomImage.reset();
}

void TQuarnHintWindow::ActivateHint(TRect Rect, const String& AHint) {
  FBackground = std::make_unique<TBitmap32>();
  SetCaption(AHint);
  TakeSettings();
  // The balloon is the text plus its margins and arrow: whether it fits
  // below or beside its control depends on that size, not the text's.
  FHintDirection = SelectProperHintDirection(TRect(0, 0, Rect.Width() + 22, Rect.Height() + 20));
  SelectCustomHint();
  Integer w = 0, h = 0;
  if (FCustomImage) {
    w = FCustomImage->Width();
    h = FCustomImage->Height();
    FHintDirection = SelectProperHintDirection(TRect(0, 0, w, h));
  } else {
    RECT t{0, 0, std::max<Integer>(Rect.Width(), 1), std::max<Integer>(Rect.Height(), 0)};
    HDC dc = Canvas()->Handle();
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    DrawTextW(dc, AHint.c_str(), int(AHint.size()), &t, kMeasureFlags);
    SelectObject(dc, old);
    const Integer tw = t.Right - t.Left, th = t.Bottom - t.Top;
    const bool vertical = FHintDirection == hdDown || FHintDirection == hdUp;
    w = tw + (vertical ? 18 : 22);
    h = th + (vertical ? 20 : 12);
  }
  TPoint at = FHintPos;
  if (TControl* c = FHintControl; c && FAutoPosition) {
    TPoint p;
    switch (FHintDirection) {
      case hdDown: p = TPoint(c->Left() + (c->Width() - w) / 2, c->Top() + c->Height() + 1); break;
      case hdUp: p = TPoint(c->Left() + (c->Width() - w) / 2, c->Top() - h - 1); break;
      case hdLeft: p = TPoint(c->Left() - w - 1, c->Top() + (c->Height() - h) / 2); break;
      case hdRight: p = TPoint(c->Left() + c->Width() + 1, c->Top() + (c->Height() - h) / 2); break;
    }
    at = c->Parent() ? c->Parent()->ClientToScreen(p) : p;
  }
  const HWND wnd = Handle();
  // The screen under the window must not show the previous balloon.
  if (IsWindowVisible(wnd)) ShowWindow(wnd, SW_HIDE);
  SetBounds(at.X, at.Y, w, h);
  FBackground->SetSize(w, h);
  HDC screen = GetDC(nullptr);
  BitBlt(FBackground->GetHDC(), 0, 0, w, h, screen, at.X, at.Y, SRCCOPY);
  SetWindowPos(wnd, HWND_TOPMOST, at.X, at.Y, 0, 0, kShowFlags);
  HDC dc = GetDC(wnd);
  FBackground->DrawTo(dc, 0, 0);
  ReleaseDC(wnd, dc);
  ReleaseDC(nullptr, screen);
  Invalidate();
}

void TQuarnHintWindow::DrawBalloon(TBitmap32* B) {
  const Integer W = B->Width(), H = B->Height(), cx = W / 2, cy = H / 2;
  POINT P[3];
  TRect body;
  TRect text = TRect(0, 0, W, H);
  text.Left += 9;
  text.Top += 5;
  switch (FHintDirection) {
    case hdDown:
      P[0] = POINT(cx - 4, 8), P[1] = POINT(cx, 0), P[2] = POINT(cx + 4, 8);
      body = TRect(0, 8, W, H);
      text.Top += 8;
      break;
    case hdUp:
      P[0] = POINT(cx - 4, H - 8), P[1] = POINT(cx, H), P[2] = POINT(cx + 4, H - 8);
      body = TRect(0, 0, W, H - 7);
      text.Bottom -= 7;
      break;
    case hdLeft:
      P[0] = POINT(W - 8, cy - 4), P[1] = POINT(W, cy), P[2] = POINT(W - 8, cy + 4);
      body = TRect(0, 0, W - 7, H);
      text.Right -= 7;
      break;
    case hdRight:
      P[0] = POINT(8, cy - 4), P[1] = POINT(0, cy), P[2] = POINT(8, cy + 4);
      body = TRect(8, 0, W, H);
      text.Left += 8;
      break;
  }
  TCanvas* cv = B->Canvas();
  cv->Pen()->SetStyle(TPenStyle::psSolid);
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetColor(FFrame);
  cv->Brush()->SetStyle(TBrushStyle::bsSolid);
  cv->Brush()->SetColor(FColor);
  cv->Rectangle(body.Left, body.Top, body.Right, body.Bottom);
  HRGN rgn = CreatePolygonRgn(P, 3, WINDING);
  FillRgn(cv->Handle(), rgn, cv->Brush()->Handle());
  DeleteObject(rgn);
  // The frame opens under the arrow.
  cv->Pen()->SetColor(FColor);
  cv->MoveTo(P[2].X, P[2].Y);
  cv->LineTo(P[0].X, P[0].Y);
  const TColor32 frame = Color32(ColorToRGB(FFrame)) | 0xFF000000u;
  B->LineFS(Single(P[1].X), Single(P[1].Y), Single(P[0].X), Single(P[0].Y), frame);
  B->LineFS(Single(P[1].X), Single(P[1].Y), Single(P[2].X), Single(P[2].Y), frame);
  cv->Font()->Assign(FFont.get());
  cv->Brush()->SetStyle(TBrushStyle::bsClear);
  HDC dc = cv->Handle();
  HGDIOBJ old = SelectObject(dc, cv->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, COLORREF(ColorToRGB(FFont->Color())));
  const String s = Caption();
  RECT tr = text;
  DrawTextW(dc, s.c_str(), int(s.size()), &tr, DT_WORDBREAK);
  SelectObject(dc, old);
}

void TQuarnHintWindow::Paint() {
  if (!FBackground || FBackground->Empty()) return;
  // Drawn on a copy: the background stays for the next paint.
  TBitmap32 work;
  work.Assign(FBackground.get());
  if (FCustomImage) {
    FCustomImage->SetDrawMode(TDrawMode::dmBlend);
    FCustomImage->SetCombineMode(TCombineMode::cmBlend);
    work.Draw(0, 0, FCustomImage.get());
  } else {
    DrawBalloon(&work);
  }
  work.DrawTo(Canvas()->Handle(), 0, 0);
}

void TQuarnHintWindow::Dispatch(TMessage& Message) {
  // Hidden, the window needs its pictures no more.
  if (Message.Msg == WM_SHOWWINDOW && Message.WParam == 0) {
    FBackground.reset();
    FCustomImage.reset();
  }
  THintWindow::Dispatch(Message);
}

// ---------------------------------------------------------------------------

std::unique_ptr<TBitmap32> FormToBitmap32(TCustomForm* Form) {
  auto b = std::make_unique<TBitmap32>();
  if (!Form) return b;
  for (Integer i = 0; i < Form->ComponentCount(); ++i)
    if (auto* a = dynamic_cast<TQuarnAlphaForm*>(Form->Components(i))) {
      TBitmap32* old = a->SaveBitmap();
      a->SetSaveBitmap(b.get());
      a->DrawSelf();
      a->SetSaveBitmap(old);
      if (!b->Empty()) return b;
      break;
    }
  std::unique_ptr<TBitmap> image(Form->GetFormImage());
  if (image) b->Assign(image.get());
  return b;
}

void InitQuarnHint() { RegisterClasses({TQuarnHint::StaticClass()}); }

void DoneQuarnHint() {
  if (GClassSaved && HintWindowClass == TQuarnHintWindow::StaticClass()) HintWindowClass = GOldHintWindowClass;
  GClassSaved = false;
  GOldHintWindowClass = nullptr;
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnHint)
