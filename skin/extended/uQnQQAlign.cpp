#include "skin/extended/uQnQQAlign.h"

#include <algorithm>

#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

constexpr Integer kStrip = 2;  // what stays on screen of a hidden form
constexpr Cardinal kPollMs = 30;

}  // namespace

TQnQQAlign::TQnQQAlign(TComponent* AOwner) : TComponent(AOwner) {
  FForm = dynamic_cast<TCustomForm*>(AOwner);
  if (!FForm) throw EComponentError(u"TQnQQAlign docks its owner, which must be a form");
  Ftimer = std::make_unique<TTimer>(nullptr);
  Ftimer->SetEnabled(false);
  Ftimer->SetInterval(kPollMs);
  Ftimer->SetOnTimer(TNotifyEvent(this, &TQnQQAlign::fOnTimer));
  // In the designer the form is only drawn: no hook, no poll.
  if (!ComponentState().Contains(csDesigning))
    FOldWndMethod = HookWindowProc(FForm, [this](TMessage& M) { WndProc(M); });
  // A form already on screen is judged where it stands.
  if (FForm->HandleAllocated() && IsWindowVisible(FForm->Handle())) Reevaluate();
}

TQnQQAlign::~TQnQQAlign() {
  Ftimer.reset();
  // Only this link leaves the form's chain; hooks installed after it stay.
  if (FOldWndMethod) FOldWndMethod->Remove();
}

void TQnQQAlign::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

bool TQnQQAlign::Polling() const { return Ftimer && Ftimer->Enabled(); }

void TQnQQAlign::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  // Switched back on, the form is judged where it stands now.
  if (FActive && FForm->HandleAllocated() && IsWindowVisible(FForm->Handle())) Reevaluate();
  UpdateTimer();
}

void TQnQQAlign::SetAnchors(TAnchors Value) { FAnchors = Value; }

void TQnQQAlign::UpdateTimer() {
  if (!Ftimer) return;
  const bool run = FActive && !FCurAnchors.Empty() && !ComponentState().Contains(csDesigning) &&
                   !ComponentState().Contains(csLoading);
  Ftimer->SetEnabled(run);
}

bool TQnQQAlign::Bypassed() {
  if (!FActive || ComponentState().Contains(csDesigning)) return true;
  if (FForm->WindowState() != wsNormal) return true;
  if (FForm->HandleAllocated() && (IsIconic(FForm->Handle()) || IsZoomed(FForm->Handle()))) return true;
  return false;
}

void TQnQQAlign::Reevaluate() {
  if (!FForm->HandleAllocated()) return;
  // Through the form's own chain, as a drag reports it; the answer is not
  // applied, only the docked edges are taken from it.
  TRect r;
  GetWindowRect(FForm->Handle(), &r);
  SendMessageW(FForm->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
}

void TQnQQAlign::WndProc(TMessage& Message) {
  // Held here: a handler on the way may free this component.
  const std::shared_ptr<TWindowProcHook> next = FOldWndMethod;
  if (!Bypassed()) {
    switch (Message.Msg) {
      case WM_MOVING:
        WMMoving(Message);
        return;
      case WM_SHOWWINDOW: Reevaluate(); break;
      default: break;
    }
  }
  if (next) next->CallNext(Message);
}

void TQnQQAlign::WMMoving(TMessage& Message) {
  auto* r = reinterpret_cast<TRect*>(Message.LParam);
  if (r) DoAlign(*r);
  Message.Result = 1;
}

void TQnQQAlign::DoAlign(TRect& R) {
  const Integer W = FForm->Width(), H = FForm->Height();
  // The monitor the rectangle lies on; the form's own when that fails.
  TRect wa;
  RECT probe(R.Left, R.Top, R.Right, R.Bottom);
  MONITORINFO info;
  if (HMONITOR m = MonitorFromRect(&probe, MONITOR_DEFAULTTONEAREST); m && GetMonitorInfoW(m, &info))
    wa = TRect(info.rcWork.Left, info.rcWork.Top, info.rcWork.Right, info.rcWork.Bottom);
  else
    wa = GetMonitorWorkArea(FForm->HandleAllocated() ? FForm->Handle() : nullptr, true);

  // A clamped edge moves the whole rectangle, so the size stays and the
  // opposite edge holds too.
  if (FAnchors.Contains(akLeft)) {
    R.Left = std::min(std::max(wa.Left, R.Left), wa.Right - W);
    R.Right = R.Left + W;
  }
  if (FAnchors.Contains(akTop)) {
    R.Top = std::min(std::max(wa.Top, R.Top), wa.Bottom - H);
    R.Bottom = R.Top + H;
  }
  if (FAnchors.Contains(akRight)) {
    R.Right = std::min(std::max(wa.Left + W, R.Right), wa.Right);
    R.Left = R.Right - W;
  }

  TAnchors cur;
  if (R.Left == wa.Left) cur.Include(akLeft);
  if (R.Right == wa.Right) cur.Include(akRight);
  // The top counts only away from the corners: there the side edge wins.
  if (R.Top == wa.Top && R.Left != wa.Left && R.Right != wa.Right) cur.Include(akTop);
  else if (R.Left == wa.Left) cur.Include(akLeft);
  else if (R.Right == wa.Right || wa.Right < FForm->Left() + W) cur.Include(akRight);
  FCurAnchors = cur;
  FDockArea = wa;
  UpdateTimer();
}

HWND TQnQQAlign::FindCurHWMD(const TPoint& P) {
  if (FForm->HandleAllocated()) {
    const TPoint o = FForm->ClientOrigin();
    if (P.X >= o.X && P.Y >= o.Y && P.X < o.X + FForm->ClientWidth() && P.Y < o.Y + FForm->ClientHeight())
      return FForm->Handle();
  }
  return WindowFromPoint(POINT(P.X, P.Y));
}

void TQnQQAlign::fOnTimer(TObject*) {
  // A minimised, maximised or hidden form is left where it is.
  if (Bypassed() || !FForm->HandleAllocated() || !IsWindowVisible(FForm->Handle())) return;
  POINT p;
  GetCursorPos(&p);
  const HWND h = FindCurHWMD(TPoint(p.X, p.Y));
  const TAnchors edges = FCurAnchors * FAnchors;
  const Integer W = FForm->Width(), H = FForm->Height();
  const TRect& wa = FDockArea;
  const bool away = h != FForm->Handle();
  if (edges.Contains(akLeft)) FForm->SetLeft(away ? wa.Left + kStrip - W : wa.Left);
  if (edges.Contains(akTop)) FForm->SetTop(away ? wa.Top + kStrip - H : wa.Top);
  if (edges.Contains(akRight)) FForm->SetLeft(away ? wa.Right - kStrip : wa.Right - W);
}

void InitQnQQAlign() { RegisterClasses({TQnQQAlign::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnQQAlign)
