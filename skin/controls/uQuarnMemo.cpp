#include "skin/controls/uQuarnMemo.h"

#include <memory>

#include "platform/user/Edit.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

namespace {

// Sets a flag for the length of a scope and puts the old value back.
class TFlagScope {
 public:
  TFlagScope(bool& Flag, bool Value) : FFlag(Flag), FOld(Flag) { Flag = Value; }
  ~TFlagScope() { FFlag = FOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& FFlag;
  bool FOld;
};

// SB_THUMBPOSITION carries its position in a 16-bit word.
constexpr Integer MaxThumbWord = 0xFFFF;

}  // namespace

TQuarnCustomMemo::TQuarnCustomMemo(TComponent* AOwner) : TCustomMemo(AOwner) {
  // Every pixel is laid by DoPaint, so nobody needs to erase under it.
  SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
  FTransparent = false;
  SetBorderStyle(bsNone);
  SetScrollBars(ssNone);
  FStopDraw = false;
}

TQuarnCustomMemo::~TQuarnCustomMemo() {
  // The bars are not ours and may outlive the memo: they must not keep a
  // handler into it.
  if (FVScrollBar && FVScrollBar->OnChange() == TNotifyEvent(this, &TQuarnCustomMemo::VScrollBarChange))
    FVScrollBar->SetOnChange(TNotifyEvent());
  if (FHScrollBar && FHScrollBar->OnChange() == TNotifyEvent(this, &TQuarnCustomMemo::HScrollBarChange))
    FHScrollBar->SetOnChange(TNotifyEvent());
}

void TQuarnCustomMemo::UpdateNativeBars() {
  // The window keeps scroll information only for the bars it was made with.
  if (FVScrollBar && FHScrollBar) SetScrollBars(ssBoth);
  else if (FVScrollBar) SetScrollBars(ssVertical);
  else if (FHScrollBar) SetScrollBars(TScrollStyle::ssHorizontal);
}

void TQuarnCustomMemo::SetVScrollBar(TQuarnScrollBar* Value) {
  if (FVScrollBar == Value) return;
  if (FVScrollBar) FVScrollBar->RemoveFreeNotification(this);
  FVScrollBar = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  Value->SetMin(0);
  Value->SetMax(0);
  Value->SetPosition(0);
  Value->SetOnChange(TNotifyEvent(this, &TQuarnCustomMemo::VScrollBarChange));
  UpdateNativeBars();
  UpDateScrollRange();
}

void TQuarnCustomMemo::SetHScrollBar(TQuarnScrollBar* Value) {
  if (FHScrollBar == Value) return;
  if (FHScrollBar) FHScrollBar->RemoveFreeNotification(this);
  FHScrollBar = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  Value->SetMin(0);
  Value->SetMax(0);
  Value->SetPosition(0);
  Value->SetOnChange(TNotifyEvent(this, &TQuarnCustomMemo::HScrollBarChange));
  UpdateNativeBars();
  UpDateScrollRange();
}

void TQuarnCustomMemo::SetQuarnBorderPanel(TQuarnBorderPanel* Value) {
  if (FQuarnBorderPanel == Value) return;
  if (FQuarnBorderPanel) FQuarnBorderPanel->RemoveFreeNotification(this);
  FQuarnBorderPanel = Value;
  if (Value) Value->FreeNotification(this);
}

void TQuarnCustomMemo::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TQuarnCustomMemo::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
  if (AComponent == FQuarnBorderPanel) FQuarnBorderPanel = nullptr;
}

void TQuarnCustomMemo::Loaded() {
  inherited::Loaded();
  UpDateScrollRange();
}

void TQuarnCustomMemo::SyncBar(TQuarnScrollBar* Bar, int Which) {
  if (!Bar) return;
  if (!Enabled()) {
    Bar->SetEnabled(false);
    return;
  }
  if (!HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(WindowHandle(), Which, &si)) return;
  // The vertical range counts lines from 0, so a page of nMax + 1 lines
  // shows them all; the horizontal one is in pixels up to the widest line.
  const Int64 page = si.nPage, max = si.nMax;
  const bool fits = Which == SB_VERT ? page >= max + 1 : page >= max;
  if (fits) {
    Bar->SetRange(0, 0, 0, 0);
    if (Bar->Enabled()) Bar->SetEnabled(false);
  } else {
    Bar->SetRange(0, si.nMax, si.nPos, static_cast<Integer>(si.nPage));
    if (!Bar->Enabled()) Bar->SetEnabled(true);
  }
}

void TQuarnCustomMemo::UpDateScrollRange() {
  SyncBar(FVScrollBar, SB_VERT);
  SyncBar(FHScrollBar, SB_HORZ);
}

void TQuarnCustomMemo::VScrollBarChange(TObject* Sender) {
  if (!FVScrollBar) return;
  const Integer pos = FVScrollBar->Position();
  if (pos <= MaxThumbWord || !HandleAllocated()) {
    Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, Word(pos)), 0);
  } else {
    // Past what the scroll message can carry: move by the difference.
    const LRESULT first = SendMessageW(WindowHandle(), EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageW(WindowHandle(), WM_SETREDRAW, 0, 0);
    SendMessageW(WindowHandle(), EM_LINESCROLL, 0, LPARAM(pos - Integer(first)));
    SendMessageW(WindowHandle(), WM_SETREDRAW, 1, 0);
    Invalidate();
    UpDateScrollRange();
  }
  if (FOnScrollBarChange) FOnScrollBarChange(Sender);
}

void TQuarnCustomMemo::HScrollBarChange(TObject* Sender) {
  if (!FHScrollBar) return;
  Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, Word(FHScrollBar->Position())), 0);
  if (FOnScrollBarChange) FOnScrollBarChange(Sender);
}

void TQuarnCustomMemo::RedrawOn() {
  if (!FIsScroll) return;
  FIsScroll = false;
  if (!HandleAllocated()) return;
  SendMessageW(WindowHandle(), WM_SETREDRAW, 1, 0);
  // The edit kept still while redraw was off; this is the one repaint that
  // shows where it went.
  Invalidate();
}

void TQuarnCustomMemo::Change() {
  TFlagScope scroll(FIsCanScroll, true);
  inherited::Change();
  RedrawOn();
  DoPaint();
  UpDateScrollRange();
}

void TQuarnCustomMemo::PaintThrough(HDC Target) {
  const Integer w = Width(), h = Height();
  HDC mem = CreateCompatibleDC(Target);
  // One pixel more each way than is copied, so the edit's right and bottom
  // edges never touch the end of the bitmap.
  HBITMAP bmp = CreateCompatibleBitmap(Target, w + 1, h + 1);
  HGDIOBJ old = SelectObject(mem, bmp);
  {
    TFlagScope stop(FStopDraw, true);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  }
  BitBlt(Target, 0, 0, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
}

void TQuarnCustomMemo::DoPaint() {
  if (!HandleAllocated()) return;
  HWND h = WindowHandle();
  TFlagScope stop(FStopDraw, true);
  HideCaret(h);
  HDC dc = GetDC(h);
  PaintThrough(dc);
  ReleaseDC(h, dc);
  ShowCaret(h);
}

void TQuarnCustomMemo::DoPaint2(HDC DC) {
  if (!DC) return;
  TFlagScope stop(FStopDraw, true);
  PaintThrough(DC);
}

void TQuarnCustomMemo::DrawMemoBackGround(HDC DC) {
  const TRect cr = GetClientRect();
  if (cr.Width() <= 0 || cr.Height() <= 0) return;
  auto bmp = std::make_unique<TBitmap32>();
  bmp->SetSize(Width(), Height());
  if (FTransparent) DrawParentImage(this, bmp.get(), BoundsRect());
  else bmp->Clear(Color32(ColorToRGB(Color())));
  bmp->DrawTo(DC, 0, 0);
}

void TQuarnCustomMemo::WMPaint(TMessage& Message) {
  HWND h = WindowHandle();
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps;
  const bool own = !dc;
  if (own) dc = BeginPaint(h, &ps);
  HideCaret(h);
  DoPaint2(dc);
  ShowCaret(h);
  if (own) EndPaint(h, &ps);
}

void TQuarnCustomMemo::Dispatch(TMessage& Message) {
  const UINT msg = Message.Msg;
  // Every control-colour reflection: the background is already laid, the
  // edit must fill nothing.
  if (msg >= CN_CTLCOLORMSGBOX && msg <= CN_CTLCOLORSTATIC) {
    inherited::Dispatch(Message);
    if (FTransparent && (msg == CN_CTLCOLOREDIT || msg == CN_CTLCOLORMSGBOX || msg == CN_CTLCOLORSTATIC))
      SetBkMode(reinterpret_cast<HDC>(Message.WParam), TRANSPARENT);
    Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    return;
  }
  switch (msg) {
    case WM_NCCALCSIZE:
      // No frame and no room for the native bars: the client is the window.
      Message.Result = 0;
      return;
    case WM_NCPAINT:
      return;
    case WM_NCHITTEST:
      Message.Result = HTCLIENT;
      return;
    case WM_ERASEBKGND: {
      if (Designing()) break;
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      if (dc) {
        if (FStopDraw) DrawMemoBackGround(dc);
        else DoPaint();
      }
      Message.Result = 1;
      return;
    }
    case WM_PAINT:
      if (FStopDraw) break;
      WMPaint(Message);
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (Message.LParam == 0 && HandleAllocated()) {
        SendMessageW(WindowHandle(), WM_SETREDRAW, 0, 0);
        inherited::Dispatch(Message);
        SendMessageW(WindowHandle(), WM_SETREDRAW, 1, 0);
        // Redraw was off while the edit moved; show where it went.
        Invalidate();
        UpDateScrollRange();
        return;
      }
      break;
    case WM_MOUSEWHEEL: {
      // One line per notch, whatever the system's wheel setting.
      const auto delta = static_cast<int16_t>(HIWORD(Message.WParam));
      Perform(WM_VSCROLL, delta <= 0 ? SB_LINEDOWN : SB_LINEUP, 0);
      Message.Result = 0;
      return;
    }
    case WM_KEYDOWN: {
      if (ReadOnly() && Message.WParam == VK_DELETE) return;
      TFlagScope scroll(FIsCanScroll, true);
      inherited::Dispatch(Message);
      RedrawOn();
      UpDateScrollRange();
      return;
    }
    case WM_KEYUP:
      inherited::Dispatch(Message);
      RedrawOn();
      UpDateScrollRange();
      return;
    case WM_CHAR:
      // Ctrl+C still copies out of a read-only memo.
      if (ReadOnly() && Message.WParam != 3) {
        UpDateScrollRange();
        return;
      }
      inherited::Dispatch(Message);
      UpDateScrollRange();
      return;
    case WM_LBUTTONDOWN: {
      {
        TFlagScope scroll(FIsCanScroll, true);
        inherited::Dispatch(Message);
      }
      FIsDown = true;
      return;
    }
    case WM_LBUTTONUP:
      inherited::Dispatch(Message);
      FIsDown = false;
      RedrawOn();
      return;
    case WM_MOUSEMOVE: {
      TFlagScope scroll(FIsCanScroll, FIsDown || FIsCanScroll);
      inherited::Dispatch(Message);
      RedrawOn();
      return;
    }
    case WM_TIMER:
      // The edit scrolls on its own timer while a selection is dragged
      // outside it; the bars follow.
      inherited::Dispatch(Message);
      UpDateScrollRange();
      return;
    case CN_COMMAND: {
      inherited::Dispatch(Message);
      const Word code = HIWORD(Message.WParam);
      if (code == EN_HSCROLL || code == EN_VSCROLL) {
        UpDateScrollRange();
        if (FIsCanScroll && HandleAllocated()) {
          FIsScroll = true;
          SendMessageW(WindowHandle(), WM_SETREDRAW, 0, 0);
        }
      }
      return;
    }
    case WM_SIZE:
      if (Designing()) break;
      inherited::Dispatch(Message);
      // After the edit has laid out its lines again, so the bars get the
      // new page.
      RedrawOn();
      Invalidate();
      UpDateScrollRange();
      return;
    case WM_SETTEXT:
      inherited::Dispatch(Message);
      UpDateScrollRange();
      return;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      if (ReadOnly()) return;
      inherited::Dispatch(Message);
      UpDateScrollRange();
      return;
    case CWM_CHECKPARENTBG:
      Invalidate();
      return;
    case WM_MOVE:
      inherited::Dispatch(Message);
      if (!Designing()) Invalidate();
      return;
    case CM_PARENTCOLORCHANGED:
      inherited::Dispatch(Message);
      if (FTransparent) Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      // Back to the left edge first, so a disabled memo shows the start of its lines.
      if (HandleAllocated()) Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
      inherited::Dispatch(Message);
      UpDateScrollRange();
      return;
    case CM_ENTER:
    case CM_EXIT:
      inherited::Dispatch(Message);
      if (FQuarnBorderPanel) FQuarnBorderPanel->UpdateFrame(false, msg == CM_ENTER);
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (FQuarnBorderPanel) FQuarnBorderPanel->UpdateFrame(true, msg == CM_MOUSEENTER);
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------

TQuarnMemoEx::TQuarnMemoEx(TComponent* AOwner) : TQuarnBorderPanel(AOwner) {
  // The memo reports hover; the panel's own enter and leave would fight it.
  SetCMMouse(false);
  FMemo = new TQuarnMemo(this);
  FMemo->SetSubComponent(true);
  FMemo->SetParent(this);
  FMemo->SetAlign(alClient);
  FMemo->SetAlignWithMargins(true);
  FMemo->Margins()->SetBounds(0, 2, 0, 2);
  SetAlpha(255);
  SetTransparent(false);
  FVScrollBar = new TQuarnScrollBar(nullptr);
  FVScrollBar->SetParent(this);
  FVScrollBar->SetKind(sbVertical);
  FVScrollBar->SetAlign(alRight);
  FVScrollBar->SetAutoHide(true);
  FVScrollBar->SetTransparent(false);
  FHScrollBar = new TQuarnScrollBar(nullptr);
  FHScrollBar->SetParent(this);
  FHScrollBar->SetAlign(alBottom);
  FHScrollBar->SetAutoHide(true);
  FHScrollBar->SetTransparent(false);
  FMemo->SetVScrollBar(FVScrollBar);
  FMemo->SetHScrollBar(FHScrollBar);
  FMemo->SetQuarnBorderPanel(this);
}

TQuarnMemoEx::~TQuarnMemoEx() = default;

void TQuarnMemoEx::BeforeDestruction() {
  // Before the base frees the children in whatever order they stand: the
  // memo lets go of its bars first.
  delete FMemo;
  FMemo = nullptr;
  delete FHScrollBar;
  FHScrollBar = nullptr;
  delete FVScrollBar;
  FVScrollBar = nullptr;
  TQuarnBorderPanel::BeforeDestruction();
}

void TQuarnMemoEx::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  // The memo is stored as the Memo property and the bars are made again by
  // the constructor: none of them is a child in a form file.
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == FMemo || c == FVScrollBar || c == FHScrollBar) continue;
    if (c->Owner() == Root) Proc(c);
  }
}

void TQuarnMemoEx::DoPaintBuffer() {
  TQuarnBorderPanel::DoPaintBuffer();
  // A transparent memo shows this panel's picture, which just changed; the
  // base only tells its own kind of children.
  if (FMemo && FMemo->Transparent() && FMemo->HandleAllocated())
    PostMessageW(FMemo->Handle(), CWM_CHECKPARENTBG, 0, 0);
}

}  // namespace qn

namespace qn {

void InitQuarnMemo() { RegisterClasses({TQuarnMemo::StaticClass(), TQuarnMemoEx::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCustomMemo)
QN_PUBLISHED_IMPL(qn::TQuarnMemo)
QN_PUBLISHED_IMPL(qn::TQuarnMemoEx)
