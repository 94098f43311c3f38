#include "skin/extended/uQnLikeMenuDlg.h"

namespace qn {

TQnLikeMenuDlg::TQnLikeMenuDlg(TComponent* AOwner) : TComponent(AOwner) {
  FOwnerForm = dynamic_cast<TCustomForm*>(AOwner);
  FOutsideCapture = std::make_unique<TTimer>(nullptr);
  FOutsideCapture->SetEnabled(false);
  FOutsideCapture->SetInterval(20);
  FOutsideCapture->SetOnTimer(TNotifyEvent(this, &TQnLikeMenuDlg::DoOnOutsideCaputerTimer));
  FDoStop = std::make_unique<TTimer>(nullptr);
  FDoStop->SetEnabled(false);
  FDoStop->SetInterval(200);
  FDoStop->SetOnTimer(TNotifyEvent(this, &TQnLikeMenuDlg::DoOnDoStopTimer));
}

TQnLikeMenuDlg::~TQnLikeMenuDlg() {
  FOutsideCapture->SetEnabled(false);
  FDoStop->SetEnabled(false);
  Release();
}

void TQnLikeMenuDlg::Restart(TTimer* Timer) {
  Timer->SetEnabled(false);
  Timer->SetEnabled(true);
}

void TQnLikeMenuDlg::ReleaseHeldCapture() {
  // Only a capture this watch took, and only while its window still has it.
  if (FCaptured && FDestWin && FDestWin->HandleAllocated() && GetCapture() == FDestWin->Handle()) ReleaseCapture();
  FCaptured = false;
}

void TQnLikeMenuDlg::Release() {
  ReleaseHeldCapture();
  if (FOldWindowProc) {
    FOldWindowProc->Remove();
    FOldWindowProc.reset();
  }
  if (FDestWin) FDestWin->RemoveFreeNotification(this);
  FDestWin = nullptr;
}

void TQnLikeMenuDlg::Capture(TWinControl* Win) {
  Release();
  FDoStop->SetEnabled(false);
  FCaptured = false;
  FStop = false;
  if (!Win) {
    FOutsideCapture->SetEnabled(false);
    return;
  }
  FDestWin = Win;
  Win->FreeNotification(this);
  FOldWindowProc = HookWindowProc(Win, [this](TMessage& M) { NewWndProc(M); });
  Restart(FOutsideCapture.get());
}

void TQnLikeMenuDlg::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FDestWin) return;
  // The control goes with its hooks; the watch simply ends.
  FOutsideCapture->SetEnabled(false);
  FDoStop->SetEnabled(false);
  if (FOldWindowProc) FOldWindowProc->Remove();
  FOldWindowProc.reset();
  FDestWin = nullptr;
  FCaptured = false;
}

bool TQnLikeMenuDlg::MouseIn() const {
  if (!FDestWin || !FDestWin->HandleAllocated()) return false;
  POINT p;
  GetCursorPos(&p);
  const TPoint c = FDestWin->ScreenToClient(TPoint(p.X, p.Y));
  const TRect r = FDestWin->ClientRect();
  return c.X >= r.Left && c.Y >= r.Top && c.X < r.Right && c.Y < r.Bottom;
}

void TQnLikeMenuDlg::DoCapture() {
  if (FCaptured || !FDestWin || !FDestWin->HandleAllocated()) return;
  SetCapture(FDestWin->Handle());
  FCaptured = true;
}

void TQnLikeMenuDlg::DoOnOutsideCaputerTimer(TObject*) {
  if (FStop || !FDestWin) return;
  if (!MouseIn()) DoCapture();
  else if (FCaptured) ReleaseHeldCapture();
}

void TQnLikeMenuDlg::Stop() {
  FStop = true;
  FOutsideCapture->SetEnabled(false);
  ReleaseHeldCapture();
  // Last: the handler may free this component.
  if (FOnMouseClickOutside) FOnMouseClickOutside(this);
}

void TQnLikeMenuDlg::DoOnDoStopTimer(TObject*) {
  FDoStop->SetEnabled(false);
  Stop();
}

void TQnLikeMenuDlg::NewWndProc(TMessage& Message) {
  // Held here: a report may free this component, the message still goes on.
  const std::shared_ptr<TWindowProcHook> next = FOldWindowProc;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_NCACTIVATE:
      if (MouseIn()) Restart(FOutsideCapture.get());
      else if (FStop) Restart(FDoStop.get());
      else Stop();
      break;
    case WM_MOUSEMOVE: Restart(FOutsideCapture.get()); break;
    default: break;
  }
  if (next) next->CallNext(Message);
}

void InitQnLikeMenuDlg() { RegisterClasses({TQnLikeMenuDlg::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnLikeMenuDlg)
