// The drag manager: one drag at a time, run in the ordinary message loop. A
// hidden window holds the mouse capture and hears the pointer; past the
// threshold every move finds the control under the pointer, tells it and
// the one it left (CM_DRAG), and shows the cursor and drag image its answer
// calls for. The release drops on an accepting target or cancels; Escape
// cancels. Controls that go during a drag are forgotten: a source cancels
// the drag, a target is simply no longer told anything.
#include <cmath>

#include "platform/vcl/Controls.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"

namespace vcl {

using namespace controls_detail;

namespace {

enum class TDragOperation { dopNone, dopDrag };

struct TDragManagerState {
  TDragObject* Object = nullptr;   // the drag that runs
  TDragObject* Finishing = nullptr;  // the drag whose end is being told
  TControl* Control = nullptr;     // the control whose drag it is
  HWND Capture = nullptr;          // kept for the process, reused by every drag
  TPoint StartPos;
  Integer Threshold = 0;
  HCURSOR SaveCursor = nullptr;
  TDragOperation Active = TDragOperation::dopNone;
  TDragImageList* Images = nullptr;
  bool ImageShown = false;
};

TDragManagerState& D() {
  static TDragManagerState d;
  return d;
}

LRESULT DragMessage(HWND Handle, TDragMessage Msg, TDragObject* Source, TControl* Target, const TPoint& Pos) {
  if (!Handle || !IsWindow(Handle)) return 0;
  TDragRec rec;
  rec.Pos = Pos;
  rec.Source = Source;
  rec.Target = Target;
  return SendMessageW(Handle, CM_DRAG, WPARAM(Msg), reinterpret_cast<LPARAM>(&rec));
}

bool DoDragOver(TDragMessage Msg) {
  TDragObject* o = D().Object;
  if (!o || !o->DragTarget()) return false;
  return DragMessage(o->DragHandle(), Msg, o, o->DragTarget(), o->DragPos()) != 0;
}

// The nearest window of a control under the point.
HWND DragFindWindow(const TPoint& Pos) {
  HWND h = WindowFromPoint(Pos);
  while (h && !FindControl(h)) h = GetParent(h);
  return h;
}

TControl* DragFindTarget(const TPoint& Pos, HWND& Handle) {
  Handle = DragFindWindow(Pos);
  return reinterpret_cast<TControl*>(DragMessage(Handle, dmFindTarget, D().Object, nullptr, Pos));
}

void SetDragCursor(TCursor Cursor) {
  if (Screen) ::vcl::SetCursor(Screen->Cursors(Cursor));
}

void StartImages(const TPoint& Pos) {
  TDragManagerState& d = D();
  TDragImageList* images = d.Object ? d.Object->GetDragImages() : nullptr;
  if (images && images->BeginDrag(nullptr, Pos.X, Pos.Y)) {
    d.Images = images;
    d.ImageShown = true;
  }
}

void EndImages() {
  TDragManagerState& d = D();
  if (d.Images) d.Images->EndDrag();
  d.Images = nullptr;
  d.ImageShown = false;
}

void DragTo(const TPoint& Pos) {
  TDragManagerState& d = D();
  TDragObject* o = d.Object;
  if (!o) return;
  if (d.Active == TDragOperation::dopNone && std::abs(d.StartPos.X - Pos.X) < d.Threshold &&
      std::abs(d.StartPos.Y - Pos.Y) < d.Threshold)
    return;
  HWND handle = nullptr;
  TControl* target = DragFindTarget(Pos, handle);
  if (d.Active == TDragOperation::dopNone) {
    d.Active = TDragOperation::dopDrag;
    StartImages(Pos);
  }
  if (target != o->DragTarget()) {
    DoDragOver(dmDragLeave);
    if (d.Object != o) return;
    o->SetDragTarget(target);
    o->SetDragHandle(handle);
    o->SetDragPos(Pos);
    DoDragOver(dmDragEnter);
    if (d.Object != o) return;
  }
  o->SetDragPos(Pos);
  if (o->DragTarget()) o->SetDragTargetPos(o->DragTarget()->ScreenToClient(Pos));
  bool accepted = DoDragOver(dmDragMove);
  if (d.Object != o) return;
  TCursor cursor = o->GetDragCursor(accepted, Pos.X, Pos.Y);
  if (d.Images) {
    TControl* t = o->DragTarget();
    if (!t || o->AlwaysShowDragImages() || t->ControlStyle().Contains(csDisplayDragImage)) {
      d.Images->DragMove(Pos.X, Pos.Y);
      if (!d.ImageShown) {
        o->ShowDragImage();
        d.ImageShown = true;
      }
    } else if (d.ImageShown) {
      o->HideDragImage();
      d.ImageShown = false;
    }
  }
  SetDragCursor(cursor);
}

LRESULT DragWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  TDragObject* o = D().Object;
  if (!o || h != D().Capture) return DefWindowProcW(h, msg, wp, lp);
  TMessage m;
  m.Msg = msg;
  m.WParam = wp;
  m.LParam = lp;
  m.Result = 0;
  o->MainWndProc(m);
  return m.Result;
}

// The hidden window that holds the capture during a drag: message-only, of
// a class of our own, kept from one drag to the next.
HWND DragWindow() {
  static const char16_t* kClass = u"QnDragCaptureWindow";
  HWND& h = D().Capture;
  if (h && IsWindow(h)) return h;
  WNDCLASSEXW wc;
  if (!GetClassInfoExW(nullptr, kClass, &wc)) {
    WNDCLASSEXW nc;
    nc.lpfnWndProc = DragWindowProc;
    nc.lpszClassName = kClass;
    RegisterClassExW(&nc);
  }
  h = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, u"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  return h;
}

void DragInit(TDragObject* Object, bool Immediate, Integer Threshold, TControl* Control) {
  TDragManagerState& d = D();
  d.Object = Object;
  d.Control = Control;
  Object->SetDragTarget(nullptr);
  Object->SetDragHandle(nullptr);
  Object->SetCancelling(false);
  POINT p;
  GetCursorPos(&p);
  d.StartPos = p;
  Object->SetDragPos(p);
  if (TControl* c = Control) {
    TPoint local = c->ScreenToClient(p);
    if (c->Width() > 0 && c->Height() > 0) Object->SetMouseDelta(Double(local.X) / c->Width(), Double(local.Y) / c->Height());
  }
  d.SaveCursor = GetCursor();
  DragWindow();
  d.Threshold = std::max<Integer>(Threshold, 0);
  d.Active = TDragOperation::dopNone;
  SetCapture(d.Capture);
  // An immediate drag (or one without a threshold) begins with the press.
  if (Immediate || d.Threshold == 0) {
    d.Active = TDragOperation::dopDrag;
    StartImages(d.StartPos);
    DragTo(d.StartPos);
  }
}

void DragInitControl(TControl* Control, bool Immediate, Integer Threshold, TDragObject* Object) {
  if (!Object) Object = new TDragControlObjectEx(Control);
  DragInit(Object, Immediate, Threshold, Control);
}

}  // namespace

namespace controls_detail {

void DragControlDestroyed(TControl* c) {
  TDragManagerState& d = D();
  for (TDragObject* o : {d.Object, d.Finishing}) {
    if (!o) continue;
    if (o->DragTarget() == c) {
      o->SetDragTarget(nullptr);
      o->SetDragHandle(nullptr);
    }
    o->ForgetControl(c);
  }
  if (d.Control == c) {
    d.Control = nullptr;
    if (d.Object) DragDone(false);
  }
}

void DragImagesDestroyed(TDragImageList* Images) {
  if (D().Images == Images) {
    D().Images = nullptr;
    D().ImageShown = false;
  }
}

bool DragKeyMessage(TMessage& Message) {
  TDragObject* o = D().Object;
  if (!o) return false;
  o->MainWndProc(Message);
  return true;
}

void DoneDragManager() {
  if (D().Object) DragDone(false);
  if (D().Capture && IsWindow(D().Capture)) DestroyWindow(D().Capture);
  D().Capture = nullptr;
  UnregisterClassW(u"QnDragCaptureWindow", nullptr);
}

}  // namespace controls_detail

// ---------------------------------------------------------------------------
// The manager's entry points

void DragDone(bool Drop) {
  TDragManagerState& d = D();
  TDragObject* o = d.Object;
  if (!o || o->Cancelling()) return;
  o->SetCancelling(true);
  o->FDropped = Drop;
  if (d.Capture && GetCapture() == d.Capture) ReleaseCapture();
  TPoint targetPos = o->DragTarget() ? o->DragTarget()->ScreenToClient(o->DragPos()) : o->DragPos();
  // The target hears the leave whether or not this is a drop; its answer
  // decides whether a drop is accepted.
  bool leaveAccepts = d.Active != TDragOperation::dopNone && DoDragOver(dmDragLeave);
  bool accepted = leaveAccepts && Drop;
  EndImages();
  ::vcl::SetCursor(d.SaveCursor);
  d.Object = nullptr;
  d.Control = nullptr;
  d.Active = TDragOperation::dopNone;
  d.Finishing = o;
  struct TFinish {
    TDragObject* O;
    ~TFinish() {
      if (D().Finishing == O) D().Finishing = nullptr;
      O->SetCancelling(false);
      if (O->AutoFree()) delete O;
    }
  } finish{o};
  if (o->DragTarget()) {
    TDragMessage msg = accepted ? dmDragDrop : dmDragCancel;
    DragMessage(o->DragHandle(), msg, o, o->DragTarget(), o->DragPos());
  }
  o->SetCancelling(false);
  // The drop handler may have freed the target: it was forgotten then.
  if (!o->DragTarget()) accepted = false;
  o->Finished(o->DragTarget(), targetPos.X, targetPos.Y, accepted);
}

void CancelDrag() {
  if (D().Object) DragDone(false);
}

bool IsDragObject(TObject* Sender) { return dynamic_cast<TDragObject*>(Sender) != nullptr; }

TDragObject* CurrentDragObject() { return D().Object; }

bool DragInProgress() { return D().Object && D().Active != TDragOperation::dopNone; }

// ---------------------------------------------------------------------------
// Drag objects

TDragObject::~TDragObject() {
  // An object freed while its drag runs ends that drag first (and is not
  // freed a second time by it).
  if (D().Object == this) {
    FAutoFree = false;
    SetCancelling(false);
    DragDone(false);
  }
  if (D().Finishing == this) D().Finishing = nullptr;
}

void TDragObject::Assign(TDragObject* Source) {
  if (!Source) return;
  FDragTarget = Source->FDragTarget;
  FDragHandle = Source->FDragHandle;
  FDragPos = Source->FDragPos;
  FDragTargetPos = Source->FDragTargetPos;
  FMouseDeltaX = Source->FMouseDeltaX;
  FMouseDeltaY = Source->FMouseDeltaY;
  FRightClickCancels = Source->FRightClickCancels;
}

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer) { return Accepted ? crDrag : crNoDrop; }

void TDragObject::SetMouseDelta(Double X, Double Y) {
  FMouseDeltaX = X;
  FMouseDeltaY = Y;
}

void TDragObject::WndProc(TMessage& Msg) {
  switch (Msg.Msg) {
    case WM_MOUSEMOVE: {
      POINT p(GET_X_LPARAM(Msg.LParam), GET_Y_LPARAM(Msg.LParam));
      ClientToScreen(D().Capture, &p);
      DragTo(p);
      return;
    }
    case WM_CAPTURECHANGED:
      // Someone else took the pointer: the drag cannot go on.
      if (reinterpret_cast<HWND>(Msg.LParam) != D().Capture) DragDone(false);
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (!FRightClickCancels || Msg.Msg == WM_LBUTTONUP) DragDone(true);
      else CancelDrag();
      return;
    case WM_RBUTTONDOWN:
      if (FRightClickCancels) CancelDrag();
      return;
    case WM_SETCURSOR:
      Msg.Result = 1;
      return;
    case WM_KEYDOWN:
      if (Msg.WParam == WPARAM(VK_ESCAPE)) {
        Msg.Result = 1;
        DragDone(false);
      } else if (Msg.WParam == WPARAM(VK_CONTROL)) {
        DragTo(FDragPos);
      }
      return;
    case WM_KEYUP:
      if (Msg.WParam == WPARAM(VK_CONTROL)) DragTo(FDragPos);
      return;
    default:
      if (Msg.Msg >= WM_KEYFIRST && Msg.Msg <= WM_KEYLAST) return;  // keys belong to the drag while it runs
      Msg.Result = D().Capture ? DefWindowProcW(D().Capture, Msg.Msg, Msg.WParam, Msg.LParam) : 0;
  }
}

void TBaseDragControlObject::Assign(TDragObject* Source) {
  inherited::Assign(Source);
  if (auto* b = dynamic_cast<TBaseDragControlObject*>(Source)) FControl = b->FControl;
}

void TBaseDragControlObject::EndDrag(TObject* Target, Integer X, Integer Y) {
  if (FControl) FControl->DoEndDrag(Target, X, Y);
}

void TBaseDragControlObject::Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {
  // A source that went during the drag hears nothing more.
  if (!FControl) return;
  if (!Accepted) {
    FControl->DragCanceled();
    Target = nullptr;
  }
  EndDrag(Target, X, Y);
}

TCursor TDragControlObject::GetDragCursor(bool Accepted, Integer X, Integer Y) {
  if (Accepted && Control()) return Control()->DragCursor();
  return inherited::GetDragCursor(Accepted, X, Y);
}

TDragImageList* TDragControlObject::GetDragImages() { return Control() ? Control()->GetDragImages() : nullptr; }

void TDragControlObject::HideDragImage() {
  if (TDragImageList* images = GetDragImages()) images->HideDragImage();
}

void TDragControlObject::ShowDragImage() {
  if (TDragImageList* images = GetDragImages()) images->ShowDragImage();
}

// ---------------------------------------------------------------------------
// TControl's part

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
  // Docking is not done: a dkDock drag starts nothing.
  if (FDragKind != dkDrag || ComponentState().Contains(csDesigning) || D().Object) return;
  if (FControlState.Contains(csLButtonDown)) {
    // The press ends here (capture and pressed state), but it is no click.
    FControlState.Exclude(csClicked);
    POINT p;
    GetCursorPos(&p);
    TPoint c = ScreenToClient(p);
    Perform(WM_LBUTTONUP, 0, MAKELPARAM(c.X, c.Y));
  }
  if (Threshold < 0) Threshold = Mouse ? Mouse->DragThreshold() : 5;
  TDragObject* object = nullptr;
  DoStartDrag(object);
  if (D().Object) return;  // the handler started another drag
  DragInitControl(this, Immediate, Threshold, object);
}

void TControl::BeginAutoDrag() {
  BeginDrag(Mouse ? Mouse->DragImmediate() : true, Mouse ? Mouse->DragThreshold() : 5);
}

void TControl::EndDrag(bool Drop) {
  if (Dragging()) DragDone(Drop);
}

bool TControl::Dragging() const { return D().Object && D().Control == this; }

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  if (FOnDragDrop) FOnDragDrop(this, Source, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Accept = Assigned(FOnDragOver);
  if (Accept) FOnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (FOnStartDrag) FOnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) {
  if (FOnEndDrag) FOnEndDrag(this, Target, X, Y);
}

void TControl::CMDrag(TMessage& Message) {
  TCMDrag m(Message);
  TDragRec* rec = m.DragRec();
  if (!rec) return;
  switch (m.DragMessage()) {
    case dmFindTarget: {
      TControl* found = this;
      if (auto* w = dynamic_cast<TWinControl*>(this))
        if (TControl* c = w->ControlAtPos(ScreenToClient(rec->Pos), false)) found = c;
      Message.Result = reinterpret_cast<LRESULT>(found);
      return;
    }
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove:
    case dmDragDrop:
      if (rec->Target) rec->Target->DoDragMsg(Message);
      return;
    default:
      return;
  }
}

void TControl::DoDragMsg(TMessage& Message) {
  TCMDrag m(Message);
  TDragRec* rec = m.DragRec();
  TObject* source = rec->Source;
  if (auto* b = dynamic_cast<TBaseDragControlObject*>(rec->Source); b && b->Control()) source = b->Control();
  TPoint p = ScreenToClient(rec->Pos);
  switch (m.DragMessage()) {
    case dmDragDrop:
      DragDrop(source, p.X, p.Y);
      return;
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      bool accept = true;
      DragOver(source, p.X, p.Y, static_cast<TDragState>(m.DragMessage()), accept);
      Message.Result = accept ? 1 : 0;
      return;
    }
    default:
      return;
  }
}

}  // namespace vcl
