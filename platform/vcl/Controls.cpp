// TControl: geometry, size negotiation, text, appearance, windowless mouse
// handling and hover tracking; the margins and constraints objects; the
// unit's global state (window-to-control map, capture, hover, canvases).
#include "platform/vcl/Controls.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/vcl/Menus.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Unit state

namespace controls_detail {

TState& State() {
  static TState s;
  return s;
}

void RegisterHandle(HWND h, TWinControl* c) {
  std::lock_guard<std::mutex> lk(State().Lock);
  State().Windows[h] = c;
}

void UnregisterHandle(HWND h) {
  std::lock_guard<std::mutex> lk(State().Lock);
  State().Windows.erase(h);
}

TWinControl* LookUp(HWND h) {
  std::lock_guard<std::mutex> lk(State().Lock);
  auto it = State().Windows.find(h);
  return it == State().Windows.end() ? nullptr : it->second;
}

// Forgets a control that goes: capture, hover and the canvases pointing at it.
void ControlDestroyed(TControl* c) {
  TState& s = State();
  if (s.CaptureControl == c) {
    // The parent's window holds the capture on its behalf: let it go.
    s.CaptureControl = nullptr;
    ReleaseCapture();
  }
  if (s.MouseControl == c) s.MouseControl = nullptr;
  DragControlDestroyed(c);
}

}  // namespace controls_detail

using namespace controls_detail;

void SetApplicationHandleException(std::function<void(TObject* Sender)> Handler) {
  State().HandleException = std::move(Handler);
}

void SetControlCursorHandler(std::function<bool(TCursor Cursor)> Handler) {
  State().CursorHandler = std::move(Handler);
}

void SetHintMouseHandler(std::function<void(TControl* Control, TMessage& Message)> Handler) {
  State().HintMouseHandler = std::move(Handler);
}

TAnchors AnchorAlign(TAlign Align) {
  switch (Align) {
    case alTop: return TAnchors{akLeft, akTop, akRight};
    case alBottom: return TAnchors{akLeft, akRight, akBottom};
    case alLeft: return TAnchors{akLeft, akTop, akBottom};
    case alRight: return TAnchors{akRight, akTop, akBottom};
    case alClient: return TAnchors{akLeft, akTop, akRight, akBottom};
    default: return TAnchors{akLeft, akTop};
  }
}

TShiftState KeysToShiftState(Word Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(Integer KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & 0x20000000) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

bool IsAccel(Word VK, const String& Str) {
  for (size_t i = 0; i + 1 < Str.size(); ++i) {
    if (Str[i] != u'&') continue;
    if (Str[i + 1] == u'&') {
      ++i;
      continue;
    }
    return AnsiUpperCase(String(1, Str[i + 1])) == AnsiUpperCase(String(1, static_cast<Char>(VK)));
  }
  return false;
}

// ---------------------------------------------------------------------------
// TMargins

TMargins::TMargins(TControl* Control) : FControl(Control) {}

void TMargins::Assign(TPersistent* Source) {
  if (auto* m = dynamic_cast<TMargins*>(Source)) {
    FLeft = m->FLeft;
    FTop = m->FTop;
    FRight = m->FRight;
    FBottom = m->FBottom;
    Change();
    return;
  }
  inherited::Assign(Source);
}

void TMargins::AssignTo(TPersistent* Dest) {
  if (auto* m = dynamic_cast<TMargins*>(Dest)) {
    m->Assign(this);
    return;
  }
  inherited::AssignTo(Dest);
}

TPersistent* TMargins::GetOwner() { return FControl; }

void TMargins::Change() {
  if (OnChange) OnChange(this);
}

void TMargins::SetMargin(Integer& Field, Integer Value) {
  if (Field == Value) return;
  Field = Value;
  Change();
}

void TMargins::SetBounds(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  if (FLeft == ALeft && FTop == ATop && FRight == ARight && FBottom == ABottom) return;
  FLeft = ALeft;
  FTop = ATop;
  FRight = ARight;
  FBottom = ABottom;
  Change();
}

Integer TMargins::ControlLeft() const {
  return FControl->AlignWithMargins() ? FControl->Left() - FLeft : FControl->Left();
}
Integer TMargins::ControlTop() const {
  return FControl->AlignWithMargins() ? FControl->Top() - FTop : FControl->Top();
}
Integer TMargins::ControlWidth() const {
  return FControl->AlignWithMargins() ? FControl->Width() + FLeft + FRight : FControl->Width();
}
Integer TMargins::ControlHeight() const {
  return FControl->AlignWithMargins() ? FControl->Height() + FTop + FBottom : FControl->Height();
}

// ---------------------------------------------------------------------------
// TSizeConstraints

TSizeConstraints::TSizeConstraints(TControl* Control) : FControl(Control) {}

void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TSizeConstraints*>(Source)) {
    FMinHeight = c->FMinHeight;
    FMaxHeight = c->FMaxHeight;
    FMinWidth = c->FMinWidth;
    FMaxWidth = c->FMaxWidth;
    Change();
    return;
  }
  inherited::Assign(Source);
}

void TSizeConstraints::AssignTo(TPersistent* Dest) {
  if (auto* c = dynamic_cast<TSizeConstraints*>(Dest)) {
    c->Assign(this);
    return;
  }
  inherited::AssignTo(Dest);
}

TPersistent* TSizeConstraints::GetOwner() { return FControl; }

void TSizeConstraints::Change() {
  if (OnChange) OnChange(this);
}

// A maximum below the minimum pulls the minimum down with it, and the other
// way round, so the pair always describes a size that exists.
void TSizeConstraints::SetMaxHeight(TConstraintSize Value) {
  if (Value < 0) Value = 0;
  if (Value == FMaxHeight) return;
  FMaxHeight = Value;
  if (Value > 0 && Value < FMinHeight) FMinHeight = Value;
  Change();
}
void TSizeConstraints::SetMaxWidth(TConstraintSize Value) {
  if (Value < 0) Value = 0;
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  if (Value > 0 && Value < FMinWidth) FMinWidth = Value;
  Change();
}
void TSizeConstraints::SetMinHeight(TConstraintSize Value) {
  if (Value < 0) Value = 0;
  if (Value == FMinHeight) return;
  FMinHeight = Value;
  if (FMaxHeight > 0 && Value > FMaxHeight) FMaxHeight = Value;
  Change();
}
void TSizeConstraints::SetMinWidth(TConstraintSize Value) {
  if (Value < 0) Value = 0;
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  if (FMaxWidth > 0 && Value > FMaxWidth) FMaxWidth = Value;
  Change();
}

// ---------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FWindowProc = [this](TMessage& m) { WndProc(m); };
  FMargins = std::make_unique<TMargins>(this);
  FMargins->OnChange = TNotifyEvent(this, &TControl::MarginsChanged);
  FConstraints = std::make_unique<TSizeConstraints>(this);
  FConstraints->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
  FFont = std::make_unique<TFont>();
  FFont->OnChange = TNotifyEvent(this, &TControl::FontChanged);
}

void TControl::BeforeDestruction() {
  inherited::BeforeDestruction();
  ControlDestroyed(this);
  if (FParent) SetParent(nullptr);
}

TControl::TFreeWatch::TFreeWatch(TControl* Control) : FControl(Control), FNext(Control->FFreeWatches) {
  Control->FFreeWatches = this;
}

TControl::TFreeWatch::~TFreeWatch() {
  if (!FControl) return;
  for (TFreeWatch** w = &FControl->FFreeWatches; *w; w = &(*w)->FNext)
    if (*w == this) {
      *w = FNext;
      break;
    }
}

TControl::~TControl() {
  for (TFreeWatch* w = FFreeWatches; w; w = w->FNext) w->FControl = nullptr;
  FFreeWatches = nullptr;
  ControlDestroyed(this);
  if (FParent) FParent->RemoveControl(this);
  FFont->OnChange = nullptr;
  FMargins->OnChange = nullptr;
  FConstraints->OnChange = nullptr;
}

void TControl::SetWindowProc(TWndMethod Value) {
  if (Value) FWindowProc = std::move(Value);
  else FWindowProc = [this](TMessage& m) { WndProc(m); };
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  m.Result = 0;
  FWindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  UINT msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL) {
    // Without csDoubleClicks a second press is just a press.
    if (!FControlStyle.Contains(csDoubleClicks)) {
      if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK)
        Message.Msg = msg - (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
    }
    switch (Message.Msg) {
      case WM_MOUSEMOVE:
        // Every move is the application's chance to start, move or cancel a hint.
        if (!ComponentState().Contains(csDesigning) && State().HintMouseHandler)
          State().HintMouseHandler(this, Message);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        // An automatic drag takes the press over.
        if (FDragMode == dmAutomatic && FDragKind == dkDrag && !ComponentState().Contains(csDesigning)) {
          BeginAutoDrag();
          return;
        }
        FControlState.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP:
        FControlState.Exclude(csLButtonDown);
        break;
      default:
        break;
    }
  }
  Dispatch(Message);
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(Message);
  MouseDown(Button, KeysToShiftState(static_cast<Word>(m.Keys())) + Shift, m.XPos(), m.YPos());
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TWMMouse m(Message);
  MouseUp(Button, KeysToShiftState(static_cast<Word>(m.Keys())), m.XPos(), m.YPos());
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      bool dbl = Message.Msg == WM_LBUTTONDBLCLK;
      SendCancelMode(this);
      DefaultHandler(Message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (dbl) {
        if (FControlStyle.Contains(csClickEvents)) DblClick();
        DoMouseDown(Message, mbLeft, TShiftState{ssDouble});
      } else {
        if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
        DoMouseDown(Message, mbLeft, TShiftState());
      }
      return;
    }
    case WM_LBUTTONUP: {
      DefaultHandler(Message);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      if (FControlState.Contains(csClicked)) {
        FControlState.Exclude(csClicked);
        // A release outside the control is a change of mind, not a click.
        if (PtInRect(ClientRect(), TWMMouse(Message).Pos())) Click();
      }
      DoMouseUp(Message, mbLeft);
      return;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      SendCancelMode(this);
      DefaultHandler(Message);
      DoMouseDown(Message, mbRight, Message.Msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState());
      return;
    case WM_RBUTTONUP:
      DefaultHandler(Message);
      DoMouseUp(Message, mbRight);
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      SendCancelMode(this);
      DefaultHandler(Message);
      DoMouseDown(Message, mbMiddle, Message.Msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState());
      return;
    case WM_MBUTTONUP:
      DefaultHandler(Message);
      DoMouseUp(Message, mbMiddle);
      return;
    case WM_MOUSEMOVE: {
      DefaultHandler(Message);
      if (!FControlStyle.Contains(csNoStdEvents)) {
        TWMMouse m(Message);
        MouseMove(KeysToShiftState(static_cast<Word>(m.Keys())), m.XPos(), m.YPos());
      }
      return;
    }
    case WM_MOUSEWHEEL: {
      Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
      if (Message.Result == 0) DefaultHandler(Message);
      return;
    }
    case CM_MOUSEWHEEL: {
      TWMMouseWheel m(Message);
      TShiftState shift = KeysToShiftState(static_cast<Word>(m.Keys()));
      Message.Result = 0;
      if (DoMouseWheel(shift, m.WheelDelta(), m.Pos())) Message.Result = 1;
      else if (FParent) Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
      return;
    }
    case WM_CANCELMODE:
      if (MouseCapture()) {
        SetMouseCapture(false);
        if (FControlState.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
      } else {
        FControlState.Exclude(csLButtonDown);
      }
      FControlState.Exclude(csClicked);
      return;
    case WM_CONTEXTMENU: {
      if (Message.Result != 0) return;
      TPoint pos(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      bool keyboard = pos.X == -1 && pos.Y == -1;
      TPoint client = keyboard ? pos : ScreenToClient(pos);
      bool handled = false;
      DoContextPopup(client, handled);
      if (handled) {
        Message.Result = 1;
        return;
      }
      if (ComponentState().Contains(csDesigning)) return;
      TPopupMenu* menu = GetPopupMenu();
      if (menu && menu->AutoPopup()) {
        SendCancelMode(nullptr);
        menu->SetPopupComponent(this);
        // From the keyboard the menu opens at the control's centre.
        if (keyboard) {
          TRect r = ClientRect();
          pos = ClientToScreen(TPoint(r.Width() / 2, r.Height() / 2));
        }
        menu->Popup(pos.X, pos.Y);
        Message.Result = 1;
        return;
      }
      DefaultHandler(Message);
      return;
    }
    case CM_DRAG:
      CMDrag(Message);
      return;
    case CM_MOUSEACTIVATE:
      CMMouseActivate(Message);
      return;
    case CM_MOUSEENTER:
      HandleMouseEnterLeave(Message, true);
      return;
    case CM_MOUSELEAVE:
      HandleMouseEnterLeave(Message, false);
      return;
    case CM_HITTEST:
      Message.Result = HTCLIENT;
      return;
    case CM_VISIBLECHANGED:
      InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
      return;
    case CM_ENABLEDCHANGED:
      Invalidate();
      return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
    case CM_BORDERCHANGED:
      Invalidate();
      return;
    case CM_PARENTFONTCHANGED:
      CMParentFontChanged(Message);
      return;
    case CM_PARENTCOLORCHANGED:
      CMParentColorChanged(Message);
      return;
    case CM_PARENTSHOWHINTCHANGED:
      // A container passes what it took on to its own children.
      if (FParentShowHint && FParent && FShowHint != FParent->ShowHint()) {
        FShowHint = FParent->ShowHint();
        Perform(CM_SHOWHINTCHANGED, 0, 0);
      }
      return;
    case CM_PARENTBIDIMODECHANGED:
      if (FParentBiDiMode && FParent) {
        FBiDiMode = FParent->BiDiMode();
        FParentBiDiMode = true;
        Perform(CM_BIDIMODECHANGED, 0, 0);
      }
      return;
    case CM_SYSCOLORCHANGE:
    case CM_BIDIMODECHANGED:
      Invalidate();
      return;
    case WM_WINDOWPOSCHANGED:
      DefaultHandler(Message);
      return;
    default:
      DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<Char*>(Message.LParam);
      Integer size = static_cast<Integer>(Message.WParam);
      if (!buf || size <= 0) {
        Message.Result = 0;
        return;
      }
      Integer n = std::min<Integer>(size - 1, static_cast<Integer>(FText.size()));
      std::copy_n(FText.data(), n, buf);
      buf[n] = 0;
      Message.Result = n;
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      return;
    case WM_SETTEXT: {
      auto* s = reinterpret_cast<const Char*>(Message.LParam);
      FText = s ? String(s) : String();
      Message.Result = 1;
      return;
    }
    default:
      Message.Result = 0;
  }
}

void TControl::CMMouseActivate(TMessage& Message) {
  auto* rec = reinterpret_cast<TMouseActivateRec*>(Message.LParam);
  if (!rec) return;
  Message.Result = LRESULT(MouseActivate(rec->Button, rec->ShiftState, rec->MousePos.X, rec->MousePos.Y, rec->HitTest));
}

TMouseActivate TControl::MouseActivate(TMouseButton Button, TShiftState Shift, Integer X, Integer Y, Integer HitTest) {
  TMouseActivate result = maDefault;
  if (FOnMouseActivate) FOnMouseActivate(this, Button, Shift, X, Y, HitTest, result);
  return result;
}

void TControl::SetHelpContext(THelpContext Value) {
  FHelpContext = Value;
  if (!ComponentState().Contains(csLoading)) FHelpType = htContext;
}

void TControl::SetHelpKeyword(const String& Value) {
  FHelpKeyword = Value;
  if (!ComponentState().Contains(csLoading)) FHelpType = htKeyword;
}

void TControl::HandleMouseEnterLeave(TMessage& Message, bool Enter) {
  TControl* which = Message.LParam ? MessageControl(Message) : this;
  if (Message.LParam == 0) {
    if (Enter) MouseEnter();
    else MouseLeave();
  }
  if (FParent) FParent->Perform(Enter ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, ControlParam(which));
}

void TControl::MouseEnter() {
  if (FOnMouseEnter) FOnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (FOnMouseLeave) FOnMouseLeave(this);
}

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!FParentFont) return;
  TFont* src = Message.WParam ? reinterpret_cast<TFont*>(Message.LParam) : (FParent ? FParent->Font() : nullptr);
  if (!src) return;
  FFont->Assign(src);
  FParentFont = true;
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!FParentColor) return;
  TColor c = Message.WParam ? static_cast<TColor>(Message.LParam) : (FParent ? FParent->Color() : FColor);
  SetColor(c);
  FParentColor = true;
}

// --- Geometry

TRect TControl::GetClientRect() { return TRect(0, 0, FWidth, FHeight); }

TPoint TControl::GetClientOrigin() {
  if (!FParent) throw EInvalidOperation::CreateFmt(u"Control '%s' has no parent window", {Name()});
  TPoint p = FParent->ClientOrigin();
  return TPoint(p.X + FLeft, p.Y + FTop);
}

void TControl::SetClientSize(const TPoint& Value) {
  TRect r = ClientRect();
  SetBounds(FLeft, FTop, FWidth - r.Width() + Value.X, FHeight - r.Height() + Value.Y);
}

TPoint TControl::ClientToScreen(const TPoint& Point) {
  TPoint o = ClientOrigin();
  return TPoint(Point.X + o.X, Point.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& Point) {
  TPoint o = ClientOrigin();
  return TPoint(Point.X - o.X, Point.Y - o.Y);
}

TPoint TControl::ClientToParent(const TPoint& Point, TWinControl* AParent) {
  if (!AParent) AParent = FParent;
  if (!AParent) throw EInvalidOperation::CreateFmt(u"Control '%s' has no parent window", {Name()});
  TPoint p = Point;
  TControl* c = this;
  while (c && c != AParent) {
    if (c != this) {
      TPoint o = c->ClientRect().TopLeft();
      p.X += o.X;
      p.Y += o.Y;
    }
    p.X += c->FLeft;
    p.Y += c->FTop;
    c = c->FParent;
  }
  if (!c) throw EInvalidOperation::CreateFmt(u"Control '%s' has no parent window", {Name()});
  return p;
}

TPoint TControl::ParentToClient(const TPoint& Point, TWinControl* AParent) {
  TPoint z = ClientToParent(TPoint(0, 0), AParent);
  return TPoint(Point.X - z.X, Point.Y - z.Y);
}

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight) {
  bool ok = true;
  if (FOnCanResize) FOnCanResize(this, NewWidth, NewHeight, ok);
  return ok;
}

bool TControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) { return true; }

void TControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  if (FOnConstrainedResize) FOnConstrainedResize(this, MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TControl::DoConstrainedResize(Integer& NewWidth, Integer& NewHeight) {
  Integer minW = FConstraints->MinWidth(), minH = FConstraints->MinHeight();
  Integer maxW = FConstraints->MaxWidth(), maxH = FConstraints->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && NewWidth > maxW) NewWidth = maxW;
  else if (minW > 0 && NewWidth < minW) NewWidth = minW;
  if (maxH > 0 && NewHeight > maxH) NewHeight = maxH;
  else if (minH > 0 && NewHeight < minH) NewHeight = minH;
}

bool TControl::DoCanResize(Integer& NewWidth, Integer& NewHeight) {
  if (!CanResize(NewWidth, NewHeight)) return false;
  DoConstrainedResize(NewWidth, NewHeight);
  return true;
}

bool TControl::DoCanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  Integer w = NewWidth, h = NewHeight;
  if (FAlign == alClient || !CanAutoSize(w, h)) return true;
  // An aligned side belongs to the parent's layout, not to the content.
  if (FAlign != alTop && FAlign != alBottom) NewWidth = w;
  if (FAlign != alLeft && FAlign != alRight) NewHeight = h;
  return true;
}

bool TControl::CheckNewSize(Integer& NewWidth, Integer& NewHeight) {
  Integer w = NewWidth, h = NewHeight;
  if (!DoCanResize(w, h)) return false;
  // While the control is read its size is the one stored: the content's
  // size waits for Loaded, once the text and font are final.
  if (FAutoSize && !FControlState.Contains(csAligning) && !ComponentState().Contains(csLoading)) {
    Integer w2 = w, h2 = h;
    if (!DoCanAutoSize(w2, h2)) return false;
    if (w2 != w || h2 != h) {
      // The content wants another size: that one passes the checks again.
      if (!DoCanResize(w2, h2)) return false;
    }
    w = w2;
    h = h2;
  }
  NewWidth = w;
  NewHeight = h;
  return true;
}

void TControl::ChangeScale(Integer M, Integer D) {
  if (M <= 0 || D <= 0) throw EArgumentOutOfRangeException(u"Scaling needs a positive multiplier and divisor.");
  if (M == D) return;
  // The limits first, so that they do not hold the new bounds to the old
  // scale.
  TSizeConstraints limits(this);
  limits.SetMaxWidth(MulDiv(FConstraints->MaxWidth(), M, D));
  limits.SetMinWidth(MulDiv(FConstraints->MinWidth(), M, D));
  limits.SetMaxHeight(MulDiv(FConstraints->MaxHeight(), M, D));
  limits.SetMinHeight(MulDiv(FConstraints->MinHeight(), M, D));
  FConstraints->Assign(&limits);
  TMargins* m = Margins();
  m->SetBounds(MulDiv(m->Left(), M, D), MulDiv(m->Top(), M, D), MulDiv(m->Right(), M, D), MulDiv(m->Bottom(), M, D));
  SetBounds(MulDiv(FLeft, M, D), MulDiv(FTop, M, D), MulDiv(FWidth, M, D), MulDiv(FHeight, M, D));
  // A font of its own is measured in pixels too; one taken from the parent
  // follows the parent's.
  if (!FParentFont) FFont->SetHeight(MulDiv(FFont->Height(), M, D));
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (!CheckNewSize(AWidth, AHeight)) return;
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  InvalidateControl(IsVisible(), false);
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  UpdateAnchorRules();
  Invalidate();
  RequestAlign();
  Resize();
}

void TControl::Resize() {
  if (FOnResize) FOnResize(this);
}

void TControl::ConstraintsChanged(TObject*) {
  SetBounds(FLeft, FTop, FWidth, FHeight);
}

void TControl::MarginsChanged(TObject*) {
  if (FAlignWithMargins) RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent) FParent->AlignControl(this);
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || ComponentState().Contains(csLoading)) return;
  if (FAnchors == TAnchors{akLeft, akTop}) {
    FOriginalParentSize = TPoint();
    return;
  }
  // A parent with no room (a page not laid out yet, a window squeezed to
  // nothing) tells nothing of where the control belongs: the rules it has
  // bring it back when the parent grows.
  if (FParent && FOriginalParentSize.X != 0 && FOriginalParentSize.Y != 0) {
    const TRect room = FParent->ClientRect();
    if (room.Width() <= 0 || room.Height() <= 0) return;
  }
  if (FAnchors.Contains(akRight))
    FAnchorRules.X = FAnchors.Contains(akLeft) ? FWidth : FLeft;
  else
    FAnchorRules.X = FLeft + FWidth / 2;
  if (FAnchors.Contains(akBottom))
    FAnchorRules.Y = FAnchors.Contains(akTop) ? FHeight : FTop;
  else
    FAnchorRules.Y = FTop + FHeight / 2;
  if (FParent) FOriginalParentSize = FParent->ClientRect().BottomRight();
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  FAnchors = AnchorAlign(Value);
  UpdateAnchorRules();
  RequestAlign();
}

void TControl::SetAlignWithMargins(bool Value) {
  if (FAlignWithMargins == Value) return;
  FAlignWithMargins = Value;
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (FAnchors == Value) return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading)) SetBounds(FLeft, FTop, FWidth, FHeight);
}

// --- Parent and visibility

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation(u"A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) {
    AParent->InsertControl(this);
    UpdateAnchorRules();
  }
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  VisibleChanging();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::Show() {
  if (FParent) FParent->Show();
  SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

bool TControl::IsVisible() const {
  if (!FVisible) return false;
  if (!FParent) return true;
  return FParent->IsVisible();
}

void TControl::SetEnabledValue(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

// --- Text

String TControl::GetText() const {
  Integer len = GetTextLen();
  String s(size_t(len) + 1, u'\0');
  Integer n = GetTextBuf(s.data(), len + 1);
  s.resize(size_t(std::max<Integer>(0, n)));
  return s;
}

Integer TControl::GetTextLen() const {
  return static_cast<Integer>(const_cast<TControl*>(this)->Perform(WM_GETTEXTLENGTH, 0, 0));
}

Integer TControl::GetTextBuf(Char* Buffer, Integer BufSize) const {
  return static_cast<Integer>(
      const_cast<TControl*>(this)->Perform(WM_GETTEXT, static_cast<WPARAM>(BufSize), reinterpret_cast<LPARAM>(Buffer)));
}

void TControl::SetTextBuf(const Char* Buffer) {
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetText(const TCaption& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value.c_str());
}

// --- Appearance

void TControl::FontChanged(TObject*) {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && Value && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) {
    FParentColor = false;
    return;
  }
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && Value && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  if (FShowHint == Value) return;
  FShowHint = Value;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (FParent && Value) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  FParentBiDiMode = false;
  if (FBiDiMode == Value) return;
  FBiDiMode = Value;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (FParentBiDiMode == Value) return;
  FParentBiDiMode = Value;
  if (FParent && Value) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

void TControl::ChangeName(const TComponentName& NewName) {
  auto loading = [](TComponent* c) { return c && c->ComponentState().Contains(csLoading); };
  bool follow = FControlStyle.Contains(csSetCaption) && !loading(this) && Name() == GetText() &&
                !(dynamic_cast<TControl*>(Owner()) && loading(Owner()));
  inherited::ChangeName(NewName);
  if (follow) SetText(NewName);
}

void TControl::SetPopupMenuComponent(TComponent* Component, TPopupMenu* Menu) {
  if (FPopupMenuComponent == Component) return;
  if (FPopupMenuComponent) FPopupMenuComponent->RemoveFreeNotification(this);
  FPopupMenuComponent = Component;
  FPopupMenu = Menu;
  if (Component) Component->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenuComponent) {
    FPopupMenuComponent = nullptr;
    FPopupMenu = nullptr;
  }
  // An action that goes has cleared its links already; the link is left empty.
  if (Operation == opRemove && FActionLink && (!FActionLink->Action() || AComponent == FActionLink->Action())) {
    FActionLink.reset();
    FControlStyle.Exclude(csActionClient);
  }
}

// --- Mouse

void TControl::Click() {
  TBasicAction* a = Action();
  // A copy keeps the handler alive should it free this control.
  TNotifyEvent onClick = FOnClick;
  // The control's own handler when it is not the action's; else the action.
  if (onClick && a && !(onClick == a->OnExecute())) onClick(this);
  else if (!ComponentState().Contains(csDesigning) && FActionLink && a) FActionLink->Execute(this);
  else if (onClick) onClick(this);
}

TPopupMenu* TControl::GetPopupMenu() { return FPopupMenu; }

TBasicAction* TControl::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    if (FActionLink) {
      if (TBasicAction* a = FActionLink->Action()) a->RemoveFreeNotification(this);
      FActionLink.reset();
    }
    FControlStyle.Exclude(csActionClient);
    return;
  }
  if (!FActionLink) FActionLink.reset(CreateActionLink());
  if (FActionLink->Action() == Value) return;
  if (TBasicAction* a = FActionLink->Action()) a->RemoveFreeNotification(this);
  FActionLink->SetAction(Value);
  FActionLink->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  ActionChange(Value, ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
  FControlStyle.Include(csActionClient);
}

void TControl::DoActionChange(TObject*) {
  // Each property reached the control through its link already.
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(a->Caption());
  if (!CheckDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !FOnClick) FOnClick = a->OnExecute();
}

void TControl::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

void TControl::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOnMouseDown) FOnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FOnMouseMove) FOnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOnMouseUp) FOnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (FOnMouseWheel) FOnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    if (WheelDelta < 0) handled = DoMouseWheelDown(Shift, MousePos);
    else if (WheelDelta > 0) handled = DoMouseWheelUp(Shift, MousePos);
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (FOnMouseWheelDown) FOnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (FOnMouseWheelUp) FOnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (FOnContextPopup) FOnContextPopup(this, MousePos, Handled);
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}

void TControl::SendCancelMode(TControl* Sender) {
  TWinControl* root = GetRootControl(this);
  if (root) root->CancelMode(Sender);
}

// --- Painting

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || !FParent || !FParent->HandleAllocated()) return;
  TRect r = BoundsRect();
  InvalidateRect(FParent->WindowHandle(), &r, !(IsOpaque || FParent->ControlStyle().Contains(csOpaque)));
}

void TControl::Invalidate() { InvalidateControl(IsVisible(), FControlStyle.Contains(csOpaque)); }

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  if (FControlStyle.Contains(csOpaque)) {
    HDC dc = GetDC(FParent->WindowHandle());
    int saved = SaveDC(dc);
    IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    FParent->PaintControls(dc, this);
    RestoreDC(dc, saved);
    ReleaseDC(FParent->WindowHandle(), dc);
  } else {
    Invalidate();
    Update();
  }
}

void TControl::SetZOrder(bool TopMost) {
  if (!FParent) return;
  auto& v = FParent->FControls;
  auto it = std::find(v.begin(), v.end(), this);
  if (it == v.end()) return;
  v.erase(it);
  if (TopMost) v.push_back(this);
  else v.insert(v.begin(), this);
  Invalidate();
}

void TControl::Changed() { Perform(CM_CHANGED, 0, ControlParam(this)); }

HDC TControl::GetDeviceContext(HWND& WindowHandle) {
  if (!FParent) throw EInvalidOperation::CreateFmt(u"Control '%s' has no parent window", {Name()});
  HDC dc = FParent->GetDeviceContext(WindowHandle);
  SetViewportOrgEx(dc, FLeft, FTop, nullptr);
  IntersectClipRect(dc, 0, 0, FWidth, FHeight);
  return dc;
}

// --- Component plumbing

TComponent* TControl::GetParentComponent() { return FParent; }
bool TControl::HasParent() { return true; }

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::Loaded() {
  inherited::Loaded();
  // Sizing to the content waited for the text and font the control ends
  // with (a parent's font arrives after the control's own values).
  if (FAutoSize) AdjustSize();
  UpdateAnchorRules();
  // Anchors were laid out against the parent's size in the designer: the
  // difference to its size now moves the control as a resize would.
  if (FParent && FParent->FDesignSize.X > 0 && FParent->FDesignSize.Y > 0 && FAnchors != TAnchors{akLeft, akTop})
    FOriginalParentSize = FParent->FDesignSize;
  RequestAlign();
}

void TControl::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  static const char16_t* const kNames[4] = {u"ExplicitLeft", u"ExplicitTop", u"ExplicitWidth", u"ExplicitHeight"};
  const Integer bounds[4] = {FLeft, FTop, FWidth, FHeight};
  for (int i = 0; i < 4; ++i) {
    Filer->DefineProperty(
        kNames[i], [this, i](TReader* Reader) { FExplicit[i] = Reader->ReadInteger(); },
        [this, i](TWriter* Writer) { Writer->WriteInteger(FExplicit[i]); },
        FExplicit[i] != INT32_MIN && FExplicit[i] != bounds[i]);
  }
}

void TControl::ReadState(TReader* Reader) {
  FControlState.Include(csReadingState);
  try {
    if (auto* p = dynamic_cast<TWinControl*>(Reader->Parent())) SetParent(p);
    inherited::ReadState(Reader);
  } catch (...) {
    FControlState.Exclude(csReadingState);
    throw;
  }
  FControlState.Exclude(csReadingState);
  // The parent was set while the control was being read, which hands
  // nothing down; with its own values in, it takes what it still shares
  // with the parent. Its children were read (and notified) first: they
  // follow through the change notifications this sends.
  if (FParent) {
    Perform(CM_PARENTCOLORCHANGED, 0, 0);
    Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
  }
}

// ---------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (FControl == Value) return;
  FreeHandle();
  FControl = Value;
}

void TControlCanvas::CreateHandle() {
  if (!FControl) return;
  if (!FDeviceContext) {
    FDeviceContext = FControl->GetDeviceContext(FWindowHandle);
    controls_detail::State().Canvases.push_back(this);
  }
  SetHandle(FDeviceContext);
}

void TControlCanvas::FreeHandle() {
  if (!FDeviceContext) return;
  Lock();
  SetHandle(nullptr);
  ReleaseDC(FWindowHandle, FDeviceContext);
  FDeviceContext = nullptr;
  FWindowHandle = nullptr;
  auto& v = controls_detail::State().Canvases;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  Unlock();
}

void FreeDeviceContexts() {
  auto v = State().Canvases;
  for (TControlCanvas* c : v)
    if (c->LockCount() == 0) c->FreeHandle();
}

// ---------------------------------------------------------------------------
// TGraphicControl and TCustomControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl() { FCanvas->FreeHandle(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    TWMPaint m(Message);
    if (!m.DC()) return;
    FCanvas->Lock();
    FCanvas->FreeHandle();
    FCanvas->SetHandle(m.DC());
    try {
      Paint();
    } catch (...) {
      FCanvas->SetHandle(nullptr);
      FCanvas->Unlock();
      throw;
    }
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    return;
  }
  inherited::Dispatch(Message);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl() { FCanvas->FreeHandle(); }

void TCustomControl::PaintWindow(HDC DC) {
  FCanvas->Lock();
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  TFreeWatch watch(this);
  try {
    Paint();
  } catch (...) {
    if (watch.Freed()) throw;
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  if (watch.Freed()) return;  // a paint handler freed the control, canvas and all
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

// ---------------------------------------------------------------------------
// Capture, hover and look-ups

TWinControl* FindControl(HWND Handle) { return Handle ? LookUp(Handle) : nullptr; }

TWinControl* FindVCLWindow(const TPoint& Pos) {
  HWND h = WindowFromPoint(Pos);
  while (h) {
    if (TWinControl* c = FindControl(h)) return c;
    h = GetParent(h);
  }
  return nullptr;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  TWinControl* w = FindVCLWindow(Pos);
  if (!w) return nullptr;
  TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled);
  return c ? c : w;
}

TWinControl* GetRootControl(TControl* Control) {
  if (!Control) return nullptr;
  TControl* c = Control;
  while (c->Parent()) c = c->Parent();
  return dynamic_cast<TWinControl*>(c);
}

TCustomForm* GetParentForm(TControl* Control, bool TopForm) {
  TCustomForm* found = nullptr;
  for (TControl* c = Control; c; c = c->Parent()) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (TCustomForm* f = w->AsCustomForm()) {
        found = f;
        if (!TopForm) return found;
      }
    }
  }
  return found;
}

TControl* GetCaptureControl() {
  TControl* c = FindControl(GetCapture());
  TControl* cc = State().CaptureControl;
  if (c && cc && cc->Parent() == c) return cc;
  return c;
}

void SetCaptureControl(TControl* Control) {
  State().CaptureControl = nullptr;
  ReleaseCapture();
  if (!Control) return;
  TWinControl* w = dynamic_cast<TWinControl*>(Control);
  if (!w) {
    if (!Control->Parent()) return;
    State().CaptureControl = Control;
    w = Control->Parent();
  }
  SetCapture(w->Handle());
}

TControl* MouseControl() { return State().MouseControl; }

namespace controls_detail {

void SetMouseControl(TControl* Control) {
  TState& s = State();
  if (s.MouseControl == Control) return;
  TControl* old = s.MouseControl;
  s.MouseControl = Control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  // The leave handler may have moved things; enter only what is still hovered.
  if (Control && s.MouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
}

void TrackMouseAt(const TPoint& ScreenPos) {
  TControl* c = FindDragTarget(ScreenPos, true);
  if (c) {
    // Ask the window to report when the pointer leaves it, so leaving every
    // window is noticed without waiting for idle.
    TControl* wc = c;
    while (wc && !dynamic_cast<TWinControl*>(wc)) wc = wc->Parent();
    if (auto* w = dynamic_cast<TWinControl*>(wc); w && w->HandleAllocated()) {
      TRACKMOUSEEVENT tme;
      tme.dwFlags = TME_LEAVE;
      tme.hwndTrack = w->Handle();
      TrackMouseEvent(&tme);
    }
  }
  SetMouseControl(c);
}

}  // namespace controls_detail

void DoMouseIdle() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  TrackMouseAt(p);
}

bool IsControlKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  if (CurrentDragObject()) {
    // While a drag runs its keys are the drag's, before any dialog key
    // handling sees them.
    TMessage m;
    m.Msg = Msg.message;
    m.WParam = Msg.wParam;
    m.LParam = Msg.lParam;
    m.Result = 0;
    DragKeyMessage(m);
    return true;
  }
  HWND h = GetCapture();
  if (h) {
    if (!FindControl(h)) return false;
  } else {
    h = Msg.hwnd;
    // The nearest window of a control: a foreign window inside one would
    // not know the reflected messages.
    while (h && !FindControl(h)) h = GetParent(h);
    if (!h) return false;
  }
  return SendMessageW(h, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

void InitControls() {}

void DoneControls() {
  DoneDragManager();
  FreeDeviceContexts();
  UnregisterControlClasses();
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TMargins)
QN_PUBLISHED_IMPL(vcl::TSizeConstraints)
QN_PUBLISHED_IMPL(vcl::TControl)
