// TWinControl: the window and its life cycle, children, alignment, focus,
// key routing and painting.
#include <algorithm>
#include <atomic>
#include <unordered_set>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/user/Notify.h"

namespace vcl {

using namespace controls_detail;

namespace {

// The control whose window CreateWindowExW is making: its first messages
// (WM_NCCREATE, WM_CREATE, WM_SIZE...) arrive before the handle is known.
thread_local TWinControl* tCreationControl = nullptr;

// Ids for child windows, unique among the windows alive in practice and
// within the 16 bits WM_COMMAND carries.
intptr_t NextChildId() {
  static std::atomic<uint32_t> next{0x100};
  uint32_t v = next.fetch_add(1);
  return intptr_t(v % 0xFF00 + 0x100);
}

// The control of a native child window named in a notification.
TWinControl* ChildControl(TWinControl* Self, HWND h) {
  TWinControl* c = h ? FindControl(h) : nullptr;
  return c != Self ? c : nullptr;
}

[[noreturn]] void RaiseNoParent(const String& Name) {
  throw EInvalidOperation::CreateFmt(u"Control '%s' has no parent window", {Name});
}

}  // namespace

LRESULT ControlWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* c = LookUp(h);
  if (!c && tCreationControl) {
    c = tCreationControl;
    tCreationControl = nullptr;
    c->FHandle = h;
    RegisterHandle(h, c);
  }
  if (!c) return DefWindowProcW(h, msg, wp, lp);
  TMessage m;
  m.Msg = msg;
  m.WParam = wp;
  m.LParam = lp;
  m.Result = 0;
  // A copy: the handler may free the control (and its WindowProc) under us.
  TWndMethod proc = c->WindowProc();
  TState& s = State();
  ++s.MessageDepth;
  try {
    proc(m);
  } catch (...) {
    --s.MessageDepth;
    if (!s.HandleException) throw;
    s.HandleException(c);
    return m.Result;
  }
  if (--s.MessageDepth == 0) FreeDeviceContexts();
  return m.Result;
}

namespace controls_detail {

void UnregisterControlClasses() {
  for (const String& name : State().Classes) UnregisterClassW(name.c_str(), nullptr);
  State().Classes.clear();
}

}  // namespace controls_detail

// ---------------------------------------------------------------------------
// Life cycle

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FBrush = std::make_unique<TBrush>();
  FBrush->SetColor(Color());
}

void TWinControl::BeforeDestruction() {
  inherited::BeforeDestruction();
  // Children go with their parent, whoever owns them, while the parent is
  // still whole.
  while (ControlCount() > 0) delete Controls(ControlCount() - 1);
  if (FHandle) DestroyWindowHandle();
}

TWinControl::~TWinControl() {
  while (ControlCount() > 0) delete Controls(ControlCount() - 1);
  if (FParent) FParent->RemoveControl(this);
  if (FHandle) DestroyWindowHandle();
  if (State().CaptureControl && State().CaptureControl->Parent() == this) State().CaptureControl = nullptr;
}

TControl* TWinControl::Controls(Integer Index) const {
  size_t n = FControls.size();
  if (Index < 0 || size_t(Index) >= n + FWinControls.size())
    throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return size_t(Index) < n ? FControls[size_t(Index)] : FWinControls[size_t(Index) - n];
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  bool anchored = FDesignSize.X > 0 && FDesignSize.Y > 0;
  for (TControl* c : FControls) anchored = anchored || c->Anchors() != TAnchors{akLeft, akTop};
  for (TWinControl* c : FWinControls) anchored = anchored || c->Anchors() != TAnchors{akLeft, akTop};
  Filer->DefineProperty(
      u"DesignSize",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        const Integer w = Reader->ReadInteger();
        const Integer h = Reader->ReadInteger();
        Reader->ReadListEnd();
        FDesignSize = TPoint(w, h);
      },
      [this](TWriter* Writer) {
        Writer->WriteListBegin();
        Writer->WriteInteger(ClientWidth());
        Writer->WriteInteger(ClientHeight());
        Writer->WriteListEnd();
      },
      anchored);
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!ComponentState().Contains(csDesigning) && !Enabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcW;
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const Char* ControlClassName) {
  WNDCLASSEXW wc;
  if (GetClassInfoExW(nullptr, ControlClassName, &wc)) {
    UINT keep = Params.WindowClass.style & (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
    Params.WindowClass = wc;
    Params.WindowClass.style = wc.style | keep;
  }
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  ApplyCtl3D(params);
  if (!params.WndParent && (params.Style & WS_CHILD)) RaiseNoParent(Name());
  FDefWndProc = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcW;
  WNDCLASSEXW existing;
  bool registered = GetClassInfoExW(nullptr, params.WinClassName.c_str(), &existing);
  if (!registered || existing.lpfnWndProc != ControlWindowProc) {
    if (registered) UnregisterClassW(params.WinClassName.c_str(), nullptr);
    WNDCLASSEXW wc = params.WindowClass;
    wc.lpfnWndProc = ControlWindowProc;
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassExW(&wc))
      throw EOSError(u"Cannot register the window class " + params.WinClassName, GetLastError());
    State().Classes.insert(params.WinClassName);
  }
  tCreationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    tCreationControl = nullptr;
    throw;
  }
  tCreationControl = nullptr;
  if (!FHandle) throw EOSError(u"Cannot create a window for " + ClassName(), GetLastError());
  if ((GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrW(FHandle, GWLP_ID) == 0)
    SetWindowLongPtrW(FHandle, GWLP_ID, HwndValue(FHandle) & 0x7FFFFFFF);
  UpdateBounds();
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 1);
  if (AutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  // A child has its id from the start: a native control may notify its
  // parent (WM_MEASUREITEM by CtlID) before CreateWindowExW returns.
  HMENU id = (Params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(NextChildId()) : nullptr;
  HWND h = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                           Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, id, nullptr,
                           Params.Param);
  if (h && !FHandle) {
    FHandle = h;
    RegisterHandle(h, this);
  }
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  if (FParent)
    SetWindowPos(FHandle, FParent->PrecedingWindow(this), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (TControl* c : FControls) c->UpdateAnchorRules();
  for (TControl* c : FWinControls) c->UpdateAnchorRules();
}

HWND TWinControl::PrecedingWindow(TWinControl* Control) {
  auto it = std::find(FWinControls.begin(), FWinControls.end(), Control);
  if (it != FWinControls.end())
    for (++it; it != FWinControls.end(); ++it)
      if ((*it)->FHandle) return (*it)->FHandle;
  return HWND_TOP;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* w : FWinControls) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  // The window holds the text while it exists; keep it for the next one.
  FText = GetText();
  FreeDeviceContexts();
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  HWND h = FHandle;
  if (!h) return;
  FControlState.Include(csDestroyingHandle);
  DestroyWindow(h);
  FControlState.Exclude(csDestroyingHandle);
  FreeHandleState();
}

void TWinControl::FreeHandleState() {
  if (FHandle) UnregisterHandle(FHandle);
  FHandle = nullptr;
  FShowing = false;
  // Children's windows went with this one.
  for (TWinControl* w : FWinControls)
    if (w->FHandle && !IsWindow(w->FHandle)) w->FreeHandleState();
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  // The focus may be on a window below this one: it comes back there.
  TWinControl* focused = FindControl(GetFocus());
  if (focused && !ContainsControl(focused)) focused = nullptr;
  FControlState.Include(csRecreating);
  DestroyHandle();
  UpdateControlState();
  // A control that had a window only because someone asked for its handle
  // gets one again too.
  if (!FHandle) HandleNeeded();
  FControlState.Exclude(csRecreating);
  if (focused && focused->FHandle) ::vcl::SetFocus(focused->FHandle);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || FParentWindow == Value) return;
  if (FHandle && Value) {
    FParentWindow = Value;
    ::vcl::SetParent(FHandle, Value);
  } else {
    DestroyHandle();
    FParentWindow = Value;
  }
  UpdateControlState();
}

void TWinControl::UpdateBounds() {
  if (!FHandle) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) {
    HWND p = GetParent(FHandle);
    if (p) MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  }
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Width();
  FHeight = r.Height();
  UpdateAnchorRules();
}

void TWinControl::UpdateShowing() {
  bool show = (FVisible || (ComponentState().Contains(csDesigning) && !FControlStyle.Contains(csNoDesignVisible))) &&
              !FControlState.Contains(csReadingState);
  if (show) {
    if (!FHandle) CreateHandle();
    // A child's window coming into being may make further children here
    // (a list that finds it needs a scroll bar once its items are in):
    // those are shown in the same pass, while this control is not yet
    // showing and so could not show them itself.
    // The live list is read each time: a child may also free or move a
    // sibling while it shows.
    std::unordered_set<TWinControl*> done;
    for (bool more = true; more;) {
      more = false;
      for (size_t i = 0; i < FWinControls.size(); ++i) {
        TWinControl* w = FWinControls[i];
        if (!done.insert(w).second) continue;
        w->UpdateShowing();
        more = true;
      }
    }
  }
  if (FHandle && FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      FShowing = !show;
      throw;
    }
  }
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->FParent) {
    c = c->FParent;
    if (!c->Showing()) return;
  }
  if (c->AsCustomForm() || c->FParentWindow) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

// ---------------------------------------------------------------------------
// Children

void TWinControl::Insert(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FWinControls.push_back(w);
    FTabList.push_back(w);
    if (w->FTabOrder >= 0) {
      TTabOrder t = w->FTabOrder;
      w->FTabOrder = -1;
      w->SetTabOrder(t);
    }
  } else {
    FControls.push_back(AControl);
  }
  AControl->FParent = this;
}

void TWinControl::Remove(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), w), FWinControls.end());
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
  } else {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  }
  AControl->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  if (AControl == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->ContainsControl(this))
    throw EInvalidOperation(u"A control cannot have one of its children as its parent");
  Perform(CM_CONTROLLISTCHANGING, reinterpret_cast<WPARAM>(AControl), 1);
  Insert(AControl);
  if (!AControl->ComponentState().Contains(csReading)) {
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    AControl->Perform(CM_PARENTDOUBLEBUFFEREDCHANGED, 0, 0);
    AControl->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (dynamic_cast<TWinControl*>(AControl)) UpdateControlState();
    else if (FHandle) AControl->Invalidate();
    AlignControl(AControl);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (!AControl || AControl->FParent != this) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (TWinControl* root = RootWinControl()) root->DefocusControl(w, true);
    w->DestroyHandle();
  } else if (FHandle) {
    AControl->InvalidateControl(AControl->Visible(), false);
  }
  if (State().CaptureControl == AControl) State().CaptureControl = nullptr;
  Remove(AControl);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (!ComponentState().Contains(csDestroying)) Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls, bool AllLevels) {
  auto hit = [&](TControl* c) {
    bool visible = c->Visible() ||
                   (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible));
    if (!visible || !(c->Enabled() || AllowDisabled)) return false;
    if (!PtInRect(c->BoundsRect(), Pos)) return false;
    return c->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.X - c->Left(), Pos.Y - c->Top())) != 0;
  };
  TControl* result = nullptr;
  // Windows lie above the windowless children.
  if (AllowWinControls)
    for (auto it = FWinControls.rbegin(); it != FWinControls.rend() && !result; ++it)
      if (hit(*it)) result = *it;
  for (auto it = FControls.rbegin(); it != FControls.rend() && !result; ++it)
    if (hit(*it)) result = *it;
  if (AllLevels) {
    if (auto* w = dynamic_cast<TWinControl*>(result)) {
      TPoint p = w->ParentToClient(Pos, this);
      if (TControl* deeper = w->ControlAtPos(p, AllowDisabled, true, true)) result = deeper;
    }
  }
  return result;
}

void TWinControl::Broadcast(TMessage& Message) {
  std::vector<TControl*> kids;
  for (Integer i = 0; i < ControlCount(); ++i) kids.push_back(Controls(i));
  for (TControl* c : kids) {
    if (!ContainsControl(c) || c->Parent() != this) continue;  // removed meanwhile
    c->WindowProc()(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m;
  m.Msg = Msg;
  Broadcast(m);
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
}

void TWinControl::SetParent(TWinControl* AParent) { inherited::SetParent(AParent); }

TWinControl* TWinControl::RootWinControl() { return GetRootControl(this); }

// ---------------------------------------------------------------------------
// Geometry

TRect TWinControl::GetClientRect() {
  if (FHandle) {
    RECT r;
    ::vcl::GetClientRect(FHandle, &r);
    return r;
  }
  return inherited::GetClientRect();
}

TPoint TWinControl::GetClientOrigin() {
  if (FHandle) {
    POINT p(0, 0);
    ::vcl::ClientToScreen(FHandle, &p);
    return p;
  }
  if (FParent) return inherited::GetClientOrigin();
  POINT p(FLeft, FTop);
  if (FParentWindow) ::vcl::ClientToScreen(FParentWindow, &p);
  return p;
}

void TWinControl::SetClientSize(const TPoint& Value) { inherited::SetClientSize(Value); }

void TWinControl::ChangeScale(Integer M, Integer D) {
  if (M <= 0 || D <= 0) throw EArgumentOutOfRangeException(u"Scaling needs a positive multiplier and divisor.");
  if (M == D) return;
  // The control first and its children in it, laid out once at the end:
  // anchored children then keep their distances, scaled.
  DisableAlign();
  try {
    inherited::ChangeScale(M, D);
    ScaleControls(M, D);
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

void TWinControl::ScaleControls(Integer M, Integer D) {
  if (FDesignSize.X > 0 && FDesignSize.Y > 0)
    FDesignSize = TPoint(MulDiv(FDesignSize.X, M, D), MulDiv(FDesignSize.Y, M, D));
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle && !IsIconic(FHandle)) {
    // WM_WINDOWPOSCHANGED brings the new bounds back (UpdateBounds), and
    // WM_SIZE realigns the children.
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FHandle) SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // Without a window nothing reports the new size: lay the children out now.
    else if (sized) Realign();
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
  DisableAlign();
  for (TControl* c : FControls) {
    c->FLeft += DeltaX;
    c->FTop += DeltaY;
  }
  auto kids = FWinControls;
  for (TWinControl* w : kids) {
    if (w->FHandle)
      SetWindowPos(w->FHandle, nullptr, w->FLeft + DeltaX, w->FTop + DeltaY, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    else {
      w->FLeft += DeltaX;
      w->FTop += DeltaY;
    }
  }
  if (FHandle) InvalidateRect(FHandle, nullptr, true);
  FControlState.Exclude(csAlignmentNeeded);
  EnableAlign();
}

// ---------------------------------------------------------------------------
// Alignment

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (ComponentState().Contains(csDestroying)) return;
  if (FAlignLevel != 0 || ComponentState().Contains(csLoading)) {
    FControlState.Include(csAlignmentNeeded);
    return;
  }
  DisableAlign();
  try {
    TRect r = GetClientRect();
    AlignControls(AControl, r);
  } catch (...) {
    FControlState.Exclude(csAlignmentNeeded);
    --FAlignLevel;
    throw;
  }
  FControlState.Exclude(csAlignmentNeeded);
  --FAlignLevel;
}

void TWinControl::AdjustClientRect(TRect& Rect) {}

void TWinControl::CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                      Integer& NewHeight, TRect& AlignRect) {
  if (FOnAlignPosition) FOnAlignPosition(this, Control, NewLeft, NewTop, NewWidth, NewHeight, AlignRect);
}

namespace {

bool InsertBefore(TWinControl* Parent, TControl* C1, TControl* C2, TAlign AAlign,
                  bool (*custom)(TWinControl*, TControl*, TControl*)) {
  TMargins* m1 = C1->Margins();
  TMargins* m2 = C2->Margins();
  switch (AAlign) {
    case alTop: return m1->ControlTop() < m2->ControlTop();
    case alBottom: return m1->ControlTop() + m1->ControlHeight() >= m2->ControlTop() + m2->ControlHeight();
    case alLeft: return m1->ControlLeft() < m2->ControlLeft();
    case alRight: return m1->ControlLeft() + m1->ControlWidth() >= m2->ControlLeft() + m2->ControlWidth();
    case alCustom: return custom(Parent, C1, C2);
    default: return false;
  }
}

}  // namespace

void TWinControl::DoPosition(TControl* C, TAlign AAlign, TRect& R) {
  if (AAlign == alNone || C->Anchors() != AnchorAlign(AAlign)) {
    if (C->FOriginalParentSize.X != 0 && C->FOriginalParentSize.Y != 0) {
      Integer l = C->FLeft, t = C->FTop, w = C->FWidth, h = C->FHeight;
      TPoint ps = GetClientRect().BottomRight();
      TAnchors a = C->Anchors();
      if (a.Contains(akRight)) {
        if (a.Contains(akLeft)) w = ps.X - C->FOriginalParentSize.X + C->FAnchorRules.X;
        else l = ps.X - C->FOriginalParentSize.X + C->FAnchorRules.X;
      } else if (!a.Contains(akLeft)) {
        l = static_cast<Integer>(Int64(C->FAnchorRules.X) * ps.X / C->FOriginalParentSize.X) - w / 2;
      }
      if (a.Contains(akBottom)) {
        if (a.Contains(akTop)) h = ps.Y - C->FOriginalParentSize.Y + C->FAnchorRules.Y;
        else t = ps.Y - C->FOriginalParentSize.Y + C->FAnchorRules.Y;
      } else if (!a.Contains(akTop)) {
        t = static_cast<Integer>(Int64(C->FAnchorRules.Y) * ps.Y / C->FOriginalParentSize.Y) - h / 2;
      }
      // A parent smaller than the one the control was laid out in leaves it
      // empty, never of negative size; the rules still give its size back
      // when the parent grows again.
      w = std::max(0, w);
      h = std::max(0, h);
      C->FAnchorMove = true;
      try {
        C->SetBounds(l, t, w, h);
      } catch (...) {
        C->FAnchorMove = false;
        throw;
      }
      C->FAnchorMove = false;
    }
    if (AAlign == alNone) return;
  }
  Integer ml = 0, mt = 0, mr = 0, mb = 0;
  if (C->AlignWithMargins()) {
    ml = C->Margins()->Left();
    mt = C->Margins()->Top();
    mr = C->Margins()->Right();
    mb = C->Margins()->Bottom();
  }
  // Outer sizes: the control with its margins.
  Integer nw = R.Width();
  if (nw < 0 || AAlign == alLeft || AAlign == alRight || AAlign == alCustom) nw = C->Width() + ml + mr;
  Integer nh = R.Height();
  if (nh < 0 || AAlign == alTop || AAlign == alBottom || AAlign == alCustom) nh = C->Height() + mt + mb;
  Integer nl = R.Left, nt = R.Top;
  const TRect outer = R;
  switch (AAlign) {
    case alBottom: nt = R.Bottom - nh; break;
    case alRight: nl = R.Right - nw; break;
    case alCustom: {
      nl = C->Left() - ml;
      nt = C->Top() - mt;
      CustomAlignPosition(C, nl, nt, nw, nh, R);
      break;
    }
    default: break;
  }
  C->FAnchorMove = true;
  C->FControlState.Include(csAligning);
  auto done = [&] {
    C->FControlState.Exclude(csAligning);
    C->FAnchorMove = false;
  };
  try {
    C->SetBounds(nl + ml, nt + mt, std::max(0, nw - ml - mr), std::max(0, nh - mt - mb));
    // A size the control would not take (constraints, CanResize): the
    // control keeps its own, stays flush with the edge it is aligned to,
    // and the rest of the layout uses the room it really takes.
    Integer aw = C->Width() + ml + mr, ah = C->Height() + mt + mb;
    TPoint want(nl + ml, nt + mt);
    if (AAlign == alBottom) want.Y = outer.Bottom - ah + mt;
    if (AAlign == alRight) want.X = outer.Right - aw + ml;
    if (AAlign != alCustom && (C->Left() != want.X || C->Top() != want.Y))
      C->SetBounds(want.X, want.Y, C->Width(), C->Height());
    switch (AAlign) {
      case alTop: R.Top = outer.Top + ah; break;
      case alBottom: R.Bottom = outer.Bottom - ah; break;
      case alLeft: R.Left = outer.Left + aw; break;
      case alRight: R.Right = outer.Right - aw; break;
      default: break;
    }
  } catch (...) {
    done();
    throw;
  }
  done();
}

void TWinControl::DoAlign(TAlign AAlign, TControl* AControl, TRect& Rect) {
  std::vector<TControl*> list;
  auto eligible = [&](TControl* c) {
    return c->Align() == AAlign &&
           (AAlign == alNone || c->Visible() ||
            (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible)));
  };
  auto custom = [](TWinControl* p, TControl* a, TControl* b) { return p->CustomAlignInsertBefore(a, b); };
  if (AControl && AControl->Parent() == this && eligible(AControl)) list.push_back(AControl);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == AControl || !eligible(c)) continue;
    size_t j = 0;
    while (j < list.size() && !InsertBefore(this, c, list[j], AAlign, custom)) ++j;
    list.insert(list.begin() + std::ptrdiff_t(j), c);
  }
  for (TControl* c : list) DoPosition(c, AAlign, Rect);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  AdjustClientRect(Rect);
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone}) DoAlign(a, AControl, Rect);
  ControlsAligned();
  if (AutoSize() && !FControlState.Contains(csAligning)) AdjustSize();
}

bool TWinControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  // The size that holds every visible child where it is (with its margins).
  bool any = false;
  Integer right = 0, bottom = 0;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() == alClient) continue;
    any = true;
    TMargins* m = c->Margins();
    right = std::max(right, m->ControlLeft() + m->ControlWidth());
    bottom = std::max(bottom, m->ControlTop() + m->ControlHeight());
  }
  if (!any) return false;
  TRect cr = GetClientRect();
  NewWidth = right + (FWidth - cr.Width());
  NewHeight = bottom + (FHeight - cr.Height());
  return true;
}

// ---------------------------------------------------------------------------
// Focus and tab order

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    LONG st = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, Value ? (st | LONG(WS_TABSTOP)) : (st & ~LONG(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

TTabOrder TWinControl::TabOrder() const {
  if (!FParent) return FTabOrder;
  auto& v = FParent->FTabList;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? TTabOrder(-1) : TTabOrder(it - v.begin());
}

void TWinControl::SetTabOrder(TTabOrder Value) {
  // While the form is read the siblings after this one are not there yet:
  // the number is kept, and the parent sorts its list once it is read.
  if (!FParent || FControlState.Contains(csReadingState)) {
    FTabOrder = Value;
    return;
  }
  auto& v = FParent->FTabList;
  auto it = std::find(v.begin(), v.end(), this);
  if (it == v.end()) return;
  v.erase(it);
  size_t at = Value < 0 || size_t(Value) > v.size() ? v.size() : size_t(Value);
  v.insert(v.begin() + std::ptrdiff_t(at), this);
}

void TWinControl::FixupTabList() {
  // A control read with a number takes that place; those read without one
  // (or there before the read) fill the places left, in the order they
  // were made. Equal numbers go in the order the controls were made.
  std::vector<TWinControl*> numbered, rest;
  for (TWinControl* w : FTabList) (w->FTabOrder >= 0 ? numbered : rest).push_back(w);
  if (numbered.empty()) return;
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const TWinControl* a, const TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
  size_t a = 0, b = 0;
  for (size_t p = 0; p < FTabList.size(); ++p) {
    if (a < numbered.size() && (size_t(numbered[a]->FTabOrder) <= p || b == rest.size())) FTabList[p] = numbered[a++];
    else FTabList[p] = rest[b++];
  }
  for (TWinControl* w : numbered) w->FTabOrder = -1;
}

void TWinControl::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  FixupTabList();
  if (FParent) {
    Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    // Read on its own into a parent that is not being read: nobody sorts
    // the parent's list, so the number read takes its place now.
    if (FTabOrder >= 0 && !FParent->FControlState.Contains(csReadingState)) {
      const TTabOrder t = FTabOrder;
      FTabOrder = -1;
      SetTabOrder(t);
    }
  }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* w : FTabList) {
    List.push_back(w);
    w->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  Integer n = Integer(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  Integer start = it == list.end() ? (GoForward ? n - 1 : 0) : Integer(it - list.begin());
  Integer i = start;
  do {
    if (GoForward) {
      if (++i == n) i = 0;
    } else {
      if (i == 0) i = n;
      --i;
    }
    TWinControl* c = list[size_t(i)];
    if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (c) c->SetFocus();
}

void TWinControl::SelectFirst() {
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (!c) c = FindNextControl(nullptr, true, false, false);
  if (c) c->SetFocus();
}

bool TWinControl::CanFocus() {
  TWinControl* root = RootWinControl();
  for (TWinControl* c = this; c && c != root; c = c->FParent)
    if (!c->FVisible || !c->Enabled()) return false;
  return root == this ? (FVisible && Enabled()) || FParentWindow != nullptr : true;
}

bool TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TWinControl* root = RootWinControl();
  if (root) root->FocusControl(this);
}

void TWinControl::FocusControl(TWinControl* Control) {
  if (!Control->CanFocus()) throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  ::vcl::SetFocus(Control->Handle());
}

bool TWinControl::SetFocusedControl(TWinControl* Control) {
  if (!Control || Control->FControlState.Contains(csFocusing)) return false;
  ++FFocusCount;
  Control->FControlState.Include(csFocusing);
  struct Guard {
    TWinControl* C;
    ~Guard() { C->FControlState.Exclude(csFocusing); }
  } guard{Control};
  // Each notification may move the focus again; a count that changed
  // meanwhile means a newer focus change is in charge.
  auto send = [this](TWinControl* c, UINT msg) {
    Integer saved = FFocusCount;
    c->Perform(msg, 0, 0);
    return saved == FFocusCount;
  };
  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl == Control) return true;
  while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
    TWinControl* leaving = FFocusedControl;
    FFocusedControl = leaving->FParent;
    if (!send(leaving, CM_EXIT)) return false;
  }
  if (!FFocusedControl) FFocusedControl = this;
  while (FFocusedControl != Control) {
    TWinControl* t = Control;
    while (t && t->FParent != FFocusedControl) t = t->FParent;
    if (!t) return false;  // not below this root
    FFocusedControl = t;
    if (!send(t, CM_ENTER)) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, ControlParam(Control));
  return true;
}

void TWinControl::DefocusControl(TWinControl* Control, bool Removing) {
  if (!FFocusedControl || !Control->ContainsControl(FFocusedControl)) return;
  bool hadFocus = Control->HandleAllocated() && (Control->Focused() || IsChild(Control->FHandle, GetFocus()));
  if (Removing || Control != this) FFocusedControl = Control == this ? nullptr : Control->FParent;
  // The window focus must not stay on a window that goes or hides.
  if (hadFocus && Control != this && FHandle) ::vcl::SetFocus(FHandle);
}

void TWinControl::CancelMode(TControl* Sender) {
  if (FFocusedControl) FFocusedControl->Perform(CM_CANCELMODE, 0, ControlParam(Sender));
}

void TWinControl::DoEnter() {
  if (FOnEnter) FOnEnter(this);
}

void TWinControl::DoExit() {
  if (FOnExit) FOnExit(this);
}

// ---------------------------------------------------------------------------
// Keys

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (FOnKeyDown) FOnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(Char& Key) {
  if (FOnKeyPress) FOnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (FOnKeyUp) FOnKeyUp(this, Key, Shift);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  TWinControl* root = RootWinControl();
  if (root && root != this && root->PreviewKeys() && root->DoKeyDown(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  Word key = static_cast<Word>(Message.WParam);
  KeyDown(key, KeyDataToShiftState(static_cast<Integer>(Message.LParam)));
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TWinControl* root = RootWinControl();
  if (root && root != this && root->PreviewKeys() && root->DoKeyPress(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  Char key = static_cast<Char>(Message.WParam);
  KeyPress(key);
  Message.WParam = key;
  return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TWinControl* root = RootWinControl();
  if (root && root != this && root->PreviewKeys() && root->DoKeyUp(Message)) return true;
  if (FControlStyle.Contains(csNoStdEvents)) return false;
  Word key = static_cast<Word>(Message.WParam);
  KeyUp(key, KeyDataToShiftState(static_cast<Integer>(Message.LParam)));
  Message.WParam = key;
  return key == 0;
}

// A key as a shortcut: the popup menus of the control and its parents, then
// the form's action lists.
bool TWinControl::IsMenuKey(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) return false;
  TWMKey key(Message);
  for (TControl* c = this; c; c = c->Parent())
    if (TPopupMenu* m = c->GetPopupMenu())
      if (m->IsShortCut(key)) return true;
  TCustomForm* form = GetParentForm(this);
  return form && form->IsShortCut(key);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  if (IsMenuKey(Message)) return;
  if (!ComponentState().Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.WParam, ControlParam(this)) != 0) return;
    LRESULT mask = 0;
    switch (Message.WParam) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_ESCAPE:
      case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
      default: break;
    }
    if (mask && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
      TWinControl* root = RootWinControl();
      if (root && root->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if (!ComponentState().Contains(csDesigning) && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TWinControl* root = RootWinControl();
    if (root && root->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

// ---------------------------------------------------------------------------
// Painting

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::SetZOrder(bool TopMost) {
  if (FParent) {
    auto& v = FParent->FWinControls;
    auto it = std::find(v.begin(), v.end(), this);
    if (it != v.end()) {
      v.erase(it);
      if (TopMost) v.push_back(this);
      else v.insert(v.begin(), this);
    }
  }
  if (FHandle) {
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Whatever changed places shows its new overlap: repaint the area.
    if (FParent && FParent->FHandle) {
      TRect r = BoundsRect();
      RedrawWindow(FParent->FHandle, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
  }
}

void TWinControl::SetDoubleBuffered(bool Value) {
  if (FDoubleBuffered == Value) return;
  FDoubleBuffered = Value;
  Perform(CM_DOUBLEBUFFEREDCHANGED, 0, 0);
}

void TWinControl::SetParentBackground(bool Value) {
  if (ParentBackground() == Value) return;
  if (Value) FControlStyle.Include(csParentBackground);
  else FControlStyle.Exclude(csParentBackground);
  Invalidate();
}

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
  WindowHandle = Handle();
  HDC dc = GetDC(WindowHandle);
  if (!dc) throw EOSError(u"Out of system resources", GetLastError());
  return dc;
}

void TWinControl::PaintWindow(HDC DC) {
  // A plain window has nothing of its own beyond the erased background; a
  // native one paints itself into the DC it is given.
  if (FDefWndProc && FDefWndProc != DefWindowProcW) {
    TMessage m;
    m.Msg = WM_PAINT;
    m.WParam = reinterpret_cast<WPARAM>(DC);
    DefaultHandler(m);
  }
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  size_t start = 0;
  if (First) {
    auto it = std::find(FControls.begin(), FControls.end(), First);
    if (it != FControls.end()) start = size_t(it - FControls.begin());
  }
  auto kids = FControls;
  for (size_t i = start; i < kids.size(); ++i) {
    TControl* c = kids[i];
    bool visible = c->Visible() ||
                   (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible));
    if (!visible) continue;
    TRect b = c->BoundsRect();
    if (!RectVisible(DC, &b)) continue;
    int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, c->Left(), c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, saved);
  }
  // A framed windowed child gets a sunken line around it, drawn by us.
  for (TWinControl* w : FWinControls) {
    if (!w->Visible() || !w->ControlStyle().Contains(csFramed)) continue;
    TRect r = w->BoundsRect();
    InflateRect(r, 1, 1);
    DrawEdge(DC, &r, BDR_SUNKENOUTER, BF_RECT);
  }
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps;
  bool own = !dc;
  // The paint may free the control: its window is ended by the copy.
  const HWND handle = FHandle;
  TFreeWatch watch(this);
  if (own) dc = BeginPaint(handle, &ps);
  try {
    if (FControls.empty()) {
      PaintWindow(dc);
    } else {
      int saved = SaveDC(dc);
      // Opaque windowless children cover their area completely; the window
      // need not paint under them.
      for (TControl* c : FControls)
        if (c->Visible() && c->ControlStyle().Contains(csOpaque))
          ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
      PaintWindow(dc);
      RestoreDC(dc, saved);
      if (!watch.Freed()) PaintControls(dc, nullptr);
    }
  } catch (...) {
    if (own) EndPaint(handle, &ps);
    throw;
  }
  if (own) EndPaint(handle, &ps);
}

void TWinControl::WMPaint(TMessage& Message) {
  if (!FDoubleBuffered || Message.WParam) {
    PaintHandler(Message);
    return;
  }
  // Double buffered: the whole client area is drawn into a memory bitmap
  // and copied in one go, so the window never shows a half-drawn state.
  PAINTSTRUCT ps;
  const HWND handle = FHandle;
  TFreeWatch watch(this);
  HDC dc = BeginPaint(handle, &ps);
  TRect cr = GetClientRect();
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1, cr.Width()), std::max(1, cr.Height()));
  HGDIOBJ old = SelectObject(mem, bmp);
  auto cleanup = [&] {
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(handle, &ps);
  };
  try {
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
    TMessage m;
    m.Msg = WM_PAINT;
    m.WParam = reinterpret_cast<WPARAM>(mem);
    if (!watch.Freed()) PaintHandler(m);
    if (!watch.Freed()) BitBlt(dc, 0, 0, cr.Width(), cr.Height(), mem, 0, 0, SRCCOPY);
  } catch (...) {
    cleanup();
    throw;
  }
  cleanup();
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  Message.Result = 1;
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  // A double-buffered control erases only into its buffer (WParam = LParam).
  if (FDoubleBuffered && Message.WParam != WPARAM(Message.LParam)) return;
  if (ParentBackground() && FParent) {
    TPoint o = ClientToParent(TPoint(0, 0));
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -o.X, -o.Y, nullptr);
    FParent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    RestoreDC(dc, saved);
    return;
  }
  TRect r = GetClientRect();
  FillRect(dc, &r, FBrush->Handle());
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y) {
  FControlState.Include(csPaintCopy);
  int saved = SaveDC(DC);
  OffsetViewportOrgEx(DC, X, Y, nullptr);
  IntersectClipRect(DC, 0, 0, FWidth, FHeight);
  if (FHandle) {
    RECT wr, cr;
    GetWindowRect(FHandle, &wr);
    ::vcl::GetClientRect(FHandle, &cr);
    POINT co(0, 0);
    ::vcl::ClientToScreen(FHandle, &co);
    co.X -= wr.Left;
    co.Y -= wr.Top;
    // The frame, as the window server draws it.
    if (co.X != 0 || co.Y != 0 || cr.Width() != wr.Width() || cr.Height() != wr.Height())
      SendMessageW(FHandle, WM_PRINT, reinterpret_cast<WPARAM>(DC), PRF_NONCLIENT);
    OffsetViewportOrgEx(DC, co.X, co.Y, nullptr);
    IntersectClipRect(DC, 0, 0, cr.Width(), cr.Height());
  }
  try {
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    // Windowed children bottom first, in the order their windows stack.
    std::vector<TWinControl*> order;
    if (FHandle) {
      for (HWND h = GetWindow(FHandle, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (TWinControl* w = FindControl(h); w && w->FParent == this) order.push_back(w);
      std::reverse(order.begin(), order.end());
    } else {
      order = FWinControls;
    }
    for (TWinControl* w : order)
      if (w->Visible()) w->PaintTo(DC, w->Left(), w->Top());
  } catch (...) {
    RestoreDC(DC, saved);
    FControlState.Exclude(csPaintCopy);
    throw;
  }
  RestoreDC(DC, saved);
  FControlState.Exclude(csPaintCopy);
}

void TWinControl::PaintTo(TCanvas* Canvas, Integer X, Integer Y) {
  Canvas->Lock();
  try {
    PaintTo(Canvas->Handle(), X, Y);
  } catch (...) {
    Canvas->Unlock();
    throw;
  }
  Canvas->Unlock();
}

// ---------------------------------------------------------------------------
// Messages

void TWinControl::SetEnabledValue(bool Value) { inherited::SetEnabledValue(Value); }

String TWinControl::GetText() const { return inherited::GetText(); }

void TWinControl::FontChanged(TObject* Sender) { inherited::FontChanged(Sender); }

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* c = nullptr;
  if (FHandle && GetCapture() == FHandle) {
    TControl* cc = State().CaptureControl;
    if (cc && cc->Parent() == this) c = cc;
  } else {
    c = ControlAtPos(TWMMouse(Message).Pos(), false);
  }
  if (!c) return false;
  TPoint p = TWMMouse(Message).Pos();
  Message.Result = c->Perform(Message.Msg, Message.WParam, MAKELPARAM(p.X - c->Left(), p.Y - c->Top()));
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  // While a drag runs its keys (Escape) are the drag's.
  if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST && DragKeyMessage(Message)) return;
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TWinControl* root = RootWinControl();
      if (root && !root->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_MOUSEMOVE:
      if (FHandle) {
        POINT p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        ::vcl::ClientToScreen(FHandle, &p);
        TrackMouseAt(p);
      }
      break;
    case WM_MOUSELEAVE:
      DoMouseIdle();
      break;
    default:
      break;
  }
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
      Message.Msg != WM_MOUSEHWHEEL) {
    if (IsControlMouseMsg(Message)) {
      // The windowless child had its say; the window itself still gets the
      // default treatment (capture release, context menus...).
      if (Message.Result == 0 && FHandle) DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  inherited::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CONTEXTMENU: {
      // A windowless child under the point has the first say.
      TPoint pos(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      if (!(pos.X == -1 && pos.Y == -1) && HandleAllocated()) {
        if (TControl* c = ControlAtPos(ScreenToClient(pos), false)) {
          Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
          if (Message.Result != 0) return;
        }
      }
      break;
    }
    case WM_PAINT:
      WMPaint(Message);
      return;
    case WM_ERASEBKGND:
      WMEraseBkgnd(Message);
      return;
    case WM_PRINTCLIENT:
      if (Message.LParam & PRF_CLIENT) {
        FControlState.Include(csPrintClient);
        TMessage m;
        m.Msg = WM_PAINT;
        m.WParam = Message.WParam;
        try {
          PaintHandler(m);
        } catch (...) {
          FControlState.Exclude(csPrintClient);
          throw;
        }
        FControlState.Exclude(csPrintClient);
      }
      return;
    case WM_WINDOWPOSCHANGED:
      UpdateBounds();
      DefaultHandler(Message);
      return;
    case WM_SIZE:
      UpdateBounds();
      DefaultHandler(Message);
      Realign();
      if (!ComponentState().Contains(csLoading)) Resize();
      return;
    case WM_NCDESTROY:
      DefaultHandler(Message);
      FreeHandleState();
      return;
    case WM_SETCURSOR: {
      TState& s = State();
      if (s.CursorHandler && LOWORD(uintptr_t(Message.LParam)) == HTCLIENT &&
          reinterpret_cast<HWND>(Message.WParam) == FHandle) {
        TControl* c = this;
        POINT p;
        if (GetCursorPos(&p)) {
          POINT cp = p;
          ::vcl::ScreenToClient(FHandle, &cp);
          if (TControl* sub = ControlAtPos(cp, false)) c = sub;
        }
        if (s.CursorHandler(c->Cursor())) {
          Message.Result = 1;
          return;
        }
      }
      DefaultHandler(Message);
      return;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      if (Message.Msg == WM_KEYDOWN && Message.WParam == WPARAM(VK_F1) && KeyboardStateToShiftState().Empty() &&
          InvokeHelp())
        return;
      DefaultHandler(Message);
      return;
    case WM_NCCALCSIZE:
      WMNCCalcSize(Message);
      return;
    case WM_NCPAINT:
      WMNCPaint(Message);
      return;
    case WM_MOUSEACTIVATE: {
      TMouseActivateRec rec;
      rec.HitTest = static_cast<int16_t>(LOWORD(uintptr_t(Message.LParam)));
      UINT mouseMsg = HIWORD(uintptr_t(Message.LParam));
      rec.Button = (mouseMsg == WM_RBUTTONDOWN || mouseMsg == WM_NCRBUTTONDOWN)   ? mbRight
                   : (mouseMsg == WM_MBUTTONDOWN || mouseMsg == WM_NCMBUTTONDOWN) ? mbMiddle
                                                                                  : mbLeft;
      rec.ShiftState = KeyboardStateToShiftState();
      POINT p;
      GetCursorPos(&p);
      rec.MousePos = FHandle ? ScreenToClient(p) : TPoint(p);
      rec.TopLevel = reinterpret_cast<HWND>(Message.WParam);
      Message.Result = Perform(CM_MOUSEACTIVATE, 0, reinterpret_cast<LPARAM>(&rec));
      if (Message.Result == LRESULT(maDefault)) DefaultHandler(Message);
      return;
    }
    case CM_CTL3DCHANGED:
      NotifyControls(CM_PARENTCTL3DCHANGED);
      // The window's border follows Ctl3D (client edge or flat line).
      if (FHandle && (GetWindowLongW(FHandle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE || HasFlatBorder())) RecreateWnd();
      else FrameChanged();
      return;
    case CM_PARENTCTL3DCHANGED:
      if (FParentCtl3D && FParent) {
        SetCtl3D(FParent->Ctl3D());
        FParentCtl3D = true;
      }
      return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (!DoKeyUp(Message)) DefaultHandler(Message);
      return;
    case WM_CHAR:
      if (!DoKeyPress(Message)) DefaultHandler(Message);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      CNKeyDown(Message);
      return;
    case CN_CHAR:
      CNChar(Message);
      return;
    case CN_SYSCHAR:
      if (Message.WParam != VK_SPACE && !ComponentState().Contains(csDesigning)) {
        TWinControl* root = RootWinControl();
        if (root) Message.Result = root->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
      }
      return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
      Broadcast(Message);
      return;
    case CM_CHILDKEY:
      if (FParent) Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
      return;
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case CM_SHOWINGCHANGED:
      CMShowingChanged(Message);
      return;
    case CM_VISIBLECHANGED:
      if (!FVisible && FParent)
        if (TWinControl* root = RootWinControl()) root->DefocusControl(this, false);
      if (!ComponentState().Contains(csDesigning)) UpdateControlState();
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled() && FParent)
        if (TWinControl* root = RootWinControl()) root->DefocusControl(this, false);
      if (FHandle && !ComponentState().Contains(csDesigning)) EnableWindow(FHandle, Enabled());
      return;
    case CM_COLORCHANGED:
      FBrush->SetColor(Color());
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      if (FHandle) Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
      NotifyControls(CM_PARENTFONTCHANGED);
      Invalidate();
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_BIDIMODECHANGED:
      NotifyControls(CM_PARENTBIDIMODECHANGED);
      Invalidate();
      return;
    case CM_SYSCOLORCHANGE:
      NotifyControls(CM_SYSCOLORCHANGE);
      Invalidate();
      return;
    case CM_INVALIDATE:
      if (FHandle) {
        if (FParent) FParent->Perform(CM_INVALIDATE, 1, 0);
        if (Message.WParam == 0) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
      }
      return;
    case CM_RECREATEWND:
      CMRecreateWnd(Message);
      return;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // Notifications from a native child go back to the child's control.
      if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam)); c && c != this) {
        Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_NOTIFY:
      if (auto* nm = reinterpret_cast<NMHDR*>(Message.LParam))
        if (TWinControl* c = ChildControl(this, nm->hwndFrom)) {
          Message.Result = c->Perform(CN_NOTIFY, Message.WParam, Message.LParam);
          return;
        }
      break;
    case WM_DRAWITEM:
      // Menus draw through their owner window, not through a control.
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam); d && d->CtlType != ODT_MENU)
        if (TWinControl* c = ChildControl(this, d->hwndItem)) {
          Message.Result = c->Perform(CN_DRAWITEM, Message.WParam, Message.LParam);
          return;
        }
      break;
    case WM_MEASUREITEM:
      if (auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam); m && m->CtlType != ODT_MENU && FHandle)
        if (TWinControl* c = ChildControl(this, GetDlgItem(FHandle, int(m->CtlID)))) {
          Message.Result = c->Perform(CN_MEASUREITEM, Message.WParam, Message.LParam);
          return;
        }
      break;
    case WM_DELETEITEM:
      if (auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam))
        if (TWinControl* c = ChildControl(this, d->hwndItem)) {
          Message.Result = c->Perform(CN_DELETEITEM, Message.WParam, Message.LParam);
          return;
        }
      break;
    case WM_COMPAREITEM:
      if (auto* d = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam))
        if (TWinControl* c = ChildControl(this, d->hwndItem)) {
          Message.Result = c->Perform(CN_COMPAREITEM, Message.WParam, Message.LParam);
          return;
        }
      break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      // A native control paints in the control's font colour on its brush.
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
      SetBkColor(dc, COLORREF(ColorToRGB(FBrush->Color())));
      Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
      return;
    }
    default:
      break;
  }
  inherited::Dispatch(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle) {
    Message.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, Message.Msg,
                                     Message.WParam, Message.LParam);
    return;
  }
  inherited::DefaultHandler(Message);
}

}  // namespace vcl
