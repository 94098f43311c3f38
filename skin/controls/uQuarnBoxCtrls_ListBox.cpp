#include "skin/controls/uQuarnBoxCtrls_ListBox.h"

#include <memory>
#include <vector>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {

// Frees a scroll bar that was hidden while one of its own events ran, once
// that event and the bar's code around it have returned.
constexpr UINT CWM_FREERETIREDBAR = WM_APP + 0x41;

}  // namespace

// ---------------------------------------------------------------- inner list

TQnListBox::TQnListBox(TComponent* AOwner) : TListBox(AOwner) {
  SetCtl3D(false);
  SetBorderStyle(bsNone);
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks});
}

void TQnListBox::CreateParams(TCreateParams& Params) {
  TListBox::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER);
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  Params.Style |= WS_TABSTOP;
  Params.WindowClass.style = CS_DBLCLKS;
}

void TQnListBox::CreateWnd() {
  FRedrawOff = false;
  TListBox::CreateWnd();
  if (SkinListBox) SkinListBox->ListBoxCreateWnd();
}

void TQnListBox::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TQnListBox::PaintWindow(HDC DC) { TListBox::PaintWindow(DC); }

void TQnListBox::WndProc(TMessage& Message) {
  if (SkinListBox) {
    bool callDefault = false;
    SkinListBox->ListBoxWProc(Message, callDefault);
    if (!callDefault) return;
  }
  switch (Message.Msg) {
    // The native bars stay on for their scroll information but take no room.
    case WM_NCCALCSIZE: Message.Result = 0; return;
    case WM_NCHITTEST: Message.Result = HTCLIENT; return;
    case CN_DRAWITEM: CNDrawItem(Message); return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (FPopupListBox) {
        PopupPress(Message);
        return;
      }
      break;
    default: break;
  }
  switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
      TListBox::WndProc(Message);
      if (SkinListBox) SkinListBox->ListBoxDblClick();
      return;
    case WM_ERASEBKGND:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
      TListBox::WndProc(Message);
      if (SkinListBox) SkinListBox->UpDateScrollBar();
      return;
    case WM_MOUSEWHEEL: Wheel(Message); return;
    case WM_SETREDRAW:
      FRedrawOff = Message.WParam == 0;
      TListBox::WndProc(Message);
      return;
    case CM_ENTER:
      TListBox::WndProc(Message);
      if (SkinListBox) SkinListBox->ListBoxEnter();
      return;
    case CM_EXIT:
      TListBox::WndProc(Message);
      if (SkinListBox) SkinListBox->ListBoxExit();
      return;
    case CM_MOUSEENTER:
      TListBox::WndProc(Message);
      if (SkinListBox) SkinListBox->ListBoxMouseEnter();
      return;
    case CM_MOUSELEAVE:
      TListBox::WndProc(Message);
      if (SkinListBox) SkinListBox->ListBoxMouseLeave();
      return;
    default: TListBox::WndProc(Message);
  }
}

// The two moves of a notch are drawn as one: every row that stays is moved
// once and the rows scrolled in are painted once. A single column only:
// columns move sideways by whole columns, drawn as the platform does.
void TQnListBox::Wheel(TMessage& Message) {
  TQuarnCustomListBox* frame = SkinListBox;
  const bool merge = frame && frame->ScrollBar && HandleAllocated() && Columns() < 1 && !FRedrawOff;
  const Integer top = merge ? TopIndex() : 0;
  FHoldWheel = merge;
  TListBox::WndProc(Message);
  FHoldWheel = false;
  frame = SkinListBox;
  const bool more = frame && frame->ScrollBar && HandleAllocated();
  if (more) {
    const auto delta = static_cast<SmallInt>(HIWORD(Message.WParam));
    SendMessageW(Handle(), WM_VSCROLL, delta <= 0 ? SB_LINEDOWN : SB_LINEUP, 0);
  }
  if (FWheelHeld) {
    FWheelHeld = false;
    if (HandleAllocated()) {
      TMessage on{WM_SETREDRAW, 1, 0, 0};
      TListBox::DefaultHandler(on);
      // Where the old top row stands now is how far the rows moved.
      RECT r{};
      if (TopIndex() != top && SendMessageW(Handle(), LB_GETITEMRECT, WPARAM(top), LPARAM(&r)) != LB_ERR)
        ScrollWindowEx(Handle(), 0, r.Top, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }
  }
  if (more) frame->UpDateScrollBar();
}

// The platform's own handling of a notch, with its redrawing held when the
// notch is to be drawn as one move.
void TQnListBox::DefaultHandler(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL && FHoldWheel && !FWheelHeld && HandleAllocated()) {
    TMessage off{WM_SETREDRAW, 0, 0, 0};
    TListBox::DefaultHandler(off);
    FWheelHeld = true;
  }
  TListBox::DefaultHandler(Message);
}

// The drop-down list never takes the focus: its own window would then
// activate the pop-up and take the focus from the combo box's form. A press
// selects the item under the pointer here instead of in the native list.
void TQnListBox::PopupPress(TMessage& Message) {
  const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
  const Integer index = ItemAtPos(p, true);
  if (index >= 0 && index != ItemIndex()) {
    SetItemIndex(index);
    Click();
  }
  TShiftState shift = KeysToShiftState(Word(Message.WParam));
  if (Message.Msg == WM_LBUTTONDBLCLK) shift.Include(ssDouble);
  MouseDown(mbLeft, shift, p.X, p.Y);
  if (Message.Msg == WM_LBUTTONDBLCLK && SkinListBox) SkinListBox->ListBoxDblClick();
  Message.Result = 0;
}

void TQnListBox::Click() {
  TListBox::Click();
  if (SkinListBox) SkinListBox->ListBoxClick();
}

void TQnListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (SkinListBox) SkinListBox->ListBoxMouseDown(Button, Shift, X, Y);
  TListBox::MouseDown(Button, Shift, X, Y);
}

void TQnListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (SkinListBox) SkinListBox->ListBoxMouseMove(Shift, X, Y);
  TListBox::MouseMove(Shift, X, Y);
}

void TQnListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (SkinListBox) SkinListBox->ListBoxMouseUp(Button, Shift, X, Y);
  TListBox::MouseUp(Button, Shift, X, Y);
}

void TQnListBox::KeyDown(Word& Key, TShiftState Shift) {
  if (SkinListBox) SkinListBox->ListBoxKeyDown(Key, Shift);
  TListBox::KeyDown(Key, Shift);
}

void TQnListBox::KeyPress(Char& Key) {
  if (SkinListBox) SkinListBox->ListBoxKeyPress(Key);
  TListBox::KeyPress(Key);
}

void TQnListBox::KeyUp(Word& Key, TShiftState Shift) {
  if (SkinListBox) SkinListBox->ListBoxKeyUp(Key, Shift);
  TListBox::KeyUp(Key, Shift);
}

// Every item goes through a work bitmap of its own size, so the fill and the
// text reach the list in one block and never show apart.
void TQnListBox::CNDrawItem(TMessage& Message) {
  auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  Message.Result = 1;
  TCanvas* canvas = Canvas();
  canvas->Lock();
  canvas->SetHandle(di->hDC);
  canvas->Font()->Assign(Font());
  canvas->Brush()->Assign(Brush());
  const Integer index = Integer(di->itemID);
  if (index >= 0 && index <= Items()->Count() - 1) {
    const TRect r(di->rcItem.Left, di->rcItem.Top, di->rcItem.Right, di->rcItem.Bottom);
    TOwnerDrawState state;
    static const std::pair<UINT, TOwnerDrawStateItem> bits[] = {
        {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed}, {ODS_DISABLED, odDisabled},
        {ODS_CHECKED, odChecked},   {ODS_FOCUS, odFocused}, {ODS_DEFAULT, odDefault}};
    for (auto& [bit, item] : bits)
      if (di->itemState & bit) state.Include(item);
    // An application's drawing handler may leave anything set on the
    // canvas, so it gets a new picture for every row; the list's own drawing
    // sets all it uses and reuses one.
    std::unique_ptr<TBitmap> fresh;
    TBitmap* work;
    if (SkinListBox && SkinListBox->FOnDrawItem) {
      fresh = std::make_unique<TBitmap>();
      work = fresh.get();
    } else {
      if (!FRowPicture) FRowPicture = std::make_unique<TBitmap>();
      work = FRowPicture.get();
    }
    if (work->Width() != r.Width() || work->Height() != r.Height()) work->SetSize(r.Width(), r.Height());
    TRect item(0, 0, work->Width(), work->Height());
    TCanvas* c = work->Canvas();
    // The column the drop-down leaves out is white, a light rule beside the
    // bar; the item's colour covers the rest.
    if (FPopupListBox) {
      item.Right -= 1;
      c->Brush()->SetColor(clWhite);
      c->FillRect(TRect(item.Right, 0, work->Width(), work->Height()));
    }
    TFont* face = SkinListBox ? SkinListBox->Font() : Font();
    c->Font()->SetName(face->Name());
    c->Font()->SetStyle(face->Style());
    c->Font()->SetSize(face->Size());
    c->Font()->SetCharset(face->Charset());
    const bool selected = state.Contains(odSelected);
    c->Brush()->SetColor(selected ? FItemSelectedColor : FItemBackgroundColor);
    c->Font()->SetColor(selected ? FItemSelectedFontColor : FItemNormalFontColor);
    c->FillRect(item);
    const TRect text(item.Left + 2, item.Top, item.Right - 2, item.Bottom);
    if (SkinListBox && SkinListBox->FOnDrawItem) {
      SkinListBox->FOnDrawItem(this, c, index, work->Width(), work->Height(), text, state);
    } else {
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      const String s = Items()->Strings(index);
      if (!s.empty()) {
        // The host measures a line's height by the font alone, so one
        // character gives it without measuring the whole row's text.
        Integer y = text.Top + text.Height() / 2 - c->TextHeight(s.substr(0, 1)) / 2;
        if (c->Font()->Height() % 2 != 0) --y;
        c->TextRect(text, text.Left + 2, y, s);
      }
    }
    // The list's own picture is an opaque bitmap of the row's size: a plain
    // copy puts it in place without the canvas selecting its tools.
    if (fresh)
      canvas->Draw(r.Left, r.Top, work);
    else
      BitBlt(di->hDC, r.Left, r.Top, work->Width(), work->Height(), c->Handle(), 0, 0, SRCCOPY);
  }
  canvas->SetHandle(nullptr);
  canvas->Unlock();
}

// --------------------------------------------------------------------- frame

TQuarnCustomListBox::TQuarnCustomListBox(TComponent* AOwner) : TQuarnBorderPanel(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks,
                                csReplicatable});
  Font()->SetName(u"Tahoma");
  Font()->SetColor(clWindowText);
  Font()->SetStyle(TFontStyles{});
  ListBox = new TQnListBox(this);
  ListBox->SkinListBox = this;
  ListBox->SetParent(this);
  ListBox->SetStyle(lbOwnerDrawFixed);
  ListBox->SetItemHeight(FDefaultItemHeight);
  ListBox->SetVisible(true);
  SetColor(static_cast<TColor>(0x00FFFFFF));
  SetBounds(Left(), Top(), 120, 120);
  SetAlpha(255);
  SetTransparent(false);
  CalcRects();
}

TQuarnCustomListBox::~TQuarnCustomListBox() = default;

// Before the base lets go of the children in whatever order they stand: the
// bar and the inner list go first, and the list forgets its frame so its
// last focus and hover messages reach nobody.
void TQuarnCustomListBox::BeforeDestruction() {
  FreeRetiredBars();
  delete ScrollBar;
  ScrollBar = nullptr;
  if (ListBox) ListBox->SkinListBox = nullptr;
  delete ListBox;
  ListBox = nullptr;
  TQuarnBorderPanel::BeforeDestruction();
}

// The inner list and the bar are made by the constructor and by the bar
// synchronisation: neither is a child in a form file.
void TQuarnCustomListBox::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == ListBox || c == ScrollBar || c->Owner() != Root) continue;
    Proc(c);
  }
}

void TQuarnCustomListBox::SetColumns(Integer Value) {
  ListBox->SetColumns(Value);
  UpDateScrollBar();
}

void TQuarnCustomListBox::SetRowCount(Integer Value) {
  FRowCount = Value;
  FitRowCount();
  UpDateScrollBar();
}

void TQuarnCustomListBox::FitRowCount() {
  if (FRowCount != 0) SetHeight(ListBox->ItemHeight() * FRowCount + 4);
}

void TQuarnCustomListBox::SetDefaultItemHeight(Integer Value) {
  FDefaultItemHeight = Value;
  ListBox->SetItemHeight(Value);
}

void TQuarnCustomListBox::SetItems(TStrings* Value) {
  ListBox->Items()->Assign(Value);
  UpDateScrollBar();
}

void TQuarnCustomListBox::Clear() {
  ListBox->Clear();
  UpDateScrollBar();
}

void TQuarnCustomListBox::CalcRects() {
  const Integer n = FNCSize, w = Width(), h = Height();
  TRect inner(n + 1, n + 1, w - n - 1, h - n - 1);
  if (ScrollBar && ScrollBar->Visible()) {
    const Integer b = ScrollBar->GetRealSize();
    if (ListBox->Columns() < 1) {
      ScrollBar->SetBounds(w - b - 2 * n + 1, n + 1, b, h - 2 * n - 2);
      inner = TRect(n + 1, n + 1, ScrollBar->Left(), h - n - 1);
    } else {
      ScrollBar->SetBounds(n + 1, h - b - 2 * n + 1, w - 2 * n - 2, b);
      inner = TRect(n + 1, n + 1, w - 2, ScrollBar->Top());
    }
  }
  if (!FResizeing) ListBox->SetBounds(inner.Left, inner.Top, inner.Width(), inner.Height());
}

void TQuarnCustomListBox::UpDateScrollBar() {
  if (!ListBox || !ListBox->HandleAllocated()) return;
  HWND h = ListBox->Handle();
  const Integer count = ListBox->Items()->Count();
  const Integer itemHeight = std::max<Integer>(1, ListBox->ItemHeight());
  int mn = 0, mx = 0;
  if (ListBox->Columns() < 1) {
    if (FRowCount > 0 && FRowCount == count) {
      if (ScrollBar) HideScrollBar();
      return;
    }
    GetScrollRange(h, SB_VERT, &mn, &mx);
    const int pos = GetScrollPos(h, SB_VERT);
    const Integer rows = ListBox->Height() / itemHeight;
    if (mx > mn && pos <= mx && rows < count) {
      if (!ScrollBar) ShowScrollBar();
      ScrollBar->SetRange(mn, mx, pos, rows);
      ScrollBar->SetLargeChange(rows);
      return;
    }
  } else {
    GetScrollRange(h, SB_HORZ, &mn, &mx);
    const int pos = GetScrollPos(h, SB_HORZ);
    const Integer c = ListBox->Columns();
    if (mx > mn && pos <= mx && c <= mx && (ListBox->Height() / itemHeight) * c < count) {
      if (!ScrollBar) ShowScrollBar();
      ScrollBar->SetRange(mn, mx, pos, c);
      return;
    }
  }
  if (ScrollBar) HideScrollBar();
}

void TQuarnCustomListBox::ShowScrollBar() {
  ScrollBar = new TQuarnScrollBar(this);
  ScrollBar->SetKind(ListBox->Columns() < 1 ? sbVertical : sbHorizontal);
  ScrollBar->SetHeight(100);
  ScrollBar->SetWidth(20);
  ScrollBar->SetPageSize(0);
  ScrollBar->SetTransparent(false);
  ScrollBar->SetMin(0);
  ScrollBar->SetPosition(0);
  ScrollBar->SetOnChange(TNotifyEvent(this, &TQuarnCustomListBox::SBChange));
  ScrollBar->SetParent(this);
  CalcRects();
  ScrollBar->SetColor(Color());
  ScrollBar->SetVisible(true);
  Invalidate();
}

// The bar may be hidden from inside one of its own events (a change or click
// handler that clears the items) with its code still running further up the
// stack, so it only leaves the layout here; it is freed by a message of its
// own, once whatever ran it has returned.
void TQuarnCustomListBox::HideScrollBar() {
  TQuarnScrollBar* bar = ScrollBar;
  if (!bar) return;
  bar->SetVisible(false);
  bar->SetOnChange(TNotifyEvent());
  ScrollBar = nullptr;
  CalcRects();
  if (!HandleAllocated()) {
    delete bar;
    return;
  }
  FRetiredBars.push_back(bar);
  PostMessageW(Handle(), CWM_FREERETIREDBAR, 0, 0);
}

void TQuarnCustomListBox::FreeRetiredBars() {
  std::vector<TQuarnScrollBar*> bars;
  bars.swap(FRetiredBars);
  for (TQuarnScrollBar* b : bars) delete b;
}

// A position above the 16 bits of the scroll message's high word is set as
// the top row directly, so long lists scroll to the right place.
void TQuarnCustomListBox::SBChange(TObject* Sender) {
  if (!ScrollBar || !ListBox->HandleAllocated()) return;
  const Integer pos = ScrollBar->Position();
  HWND h = ListBox->Handle();
  const bool vertical = ListBox->Columns() < 1;
  if (pos > 0xFFFF) {
    const Integer rows = std::max<Integer>(1, ListBox->Height() / std::max<Integer>(1, ListBox->ItemHeight()));
    SendMessageW(h, LB_SETTOPINDEX, WPARAM(vertical ? pos : pos * rows), 0);
  } else {
    SendMessageW(h, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
  }
}

void TQuarnCustomListBox::ListBoxMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOnListBoxMouseDown) FOnListBoxMouseDown(this, Button, Shift, X, Y);
}

void TQuarnCustomListBox::ListBoxMouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FOnListBoxMouseMove) FOnListBoxMouseMove(this, Shift, X, Y);
}

void TQuarnCustomListBox::ListBoxMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FOnListBoxMouseUp) FOnListBoxMouseUp(this, Button, Shift, X, Y);
}

void TQuarnCustomListBox::ListBoxClick() {
  if (FOnListBoxClick) FOnListBoxClick(this);
}

void TQuarnCustomListBox::ListBoxDblClick() {
  if (FOnListBoxDblClick) FOnListBoxDblClick(this);
}

void TQuarnCustomListBox::ListBoxKeyDown(Word& Key, TShiftState Shift) {
  if (FOnListBoxKeyDown) FOnListBoxKeyDown(this, Key, Shift);
}

void TQuarnCustomListBox::ListBoxKeyUp(Word& Key, TShiftState Shift) {
  if (FOnListBoxKeyUp) FOnListBoxKeyUp(this, Key, Shift);
}

void TQuarnCustomListBox::ListBoxKeyPress(Char& Key) {
  if (FOnListBoxKeyPress) FOnListBoxKeyPress(this, Key);
}

void TQuarnCustomListBox::ListBoxEnter() { UpdateFrame(false, true); }
void TQuarnCustomListBox::ListBoxExit() { UpdateFrame(false, false); }
void TQuarnCustomListBox::ListBoxMouseEnter() { UpdateFrame(true, true); }
void TQuarnCustomListBox::ListBoxMouseLeave() { UpdateFrame(true, false); }
void TQuarnCustomListBox::ListBoxCreateWnd() {}

void TQuarnCustomListBox::ListBoxWProc(TMessage&, bool& CallDefault) { CallDefault = true; }

void TQuarnCustomListBox::ScaleControlsForDpi(Integer NewPPI) {
  FResizeing = true;
  TQuarnBorderPanel::ScaleControlsForDpi(NewPPI);
  FResizeing = false;
}

void TQuarnCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TQuarnBorderPanel::Dispatch(Message);
      CalcRects();
      UpDateScrollBar();
      if (ScrollBar) ScrollBar->Invalidate();
      return;
    case CWM_FREERETIREDBAR: FreeRetiredBars(); return;
    default: TQuarnBorderPanel::Dispatch(Message);
  }
}

void TQuarnCustomListBox::DrawBody(TBitmap32* Buffer) { TQuarnBorderPanel::DrawBody(Buffer); }

// ----------------------------------------------------------- drop-down list

TQnPopupListBox::TQnPopupListBox(TComponent* AOwner) : TQuarnListBox(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csNoDesignVisible, csReplicatable});
  FCustomComboBox = AOwner;
  SetVisible(false);
  SetActiveHotFrame(false);
  ListBox->SetPopupListBox(true);
  FNCSize = 1;
  CalcRects();
}

void TQnPopupListBox::CreateParams(TCreateParams& Params) {
  TQuarnListBox::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WindowClass.style &= ~UINT(CS_DROPSHADOW);
  Params.WndParent = nullptr;
}

void TQnPopupListBox::Show(const TPoint& P) {
  SetWindowPos(Handle(), nullptr, P.X, P.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
}

void TQnPopupListBox::Hide() {
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  SetVisible(false);
}

void TQnPopupListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  TQuarnListBox::Dispatch(Message);
}

void TQnPopupListBox::DrawBody(TBitmap32* Buffer) {
  TColor frameColor = QnPopupListFrameColor;
  if (auto* colors = dynamic_cast<IQnPopupListColors*>(FCustomComboBox)) {
    ListBox->SetItemSelectedColor(colors->MenuItemSeletedColor());
    ListBox->SetItemSelectedFontColor(colors->MenuItemSeletedFontColor());
    ListBox->SetItemBackgroundColor(colors->MenuItemBackgroudColor());
    ListBox->SetItemNormalFontColor(colors->MenuItemNormalFontColor());
    frameColor = colors->MenuFrameColor();
  }
  const Integer w = Width(), h = Height();
  const Integer a = ScrollBar && ScrollBar->Visible() ? 1 : 2, b = 2;
  Buffer->BeginUpdate();
  if (HandleAllocated()) {
    HDC screen = GetDC(nullptr);
    if (screen) {
      const TPoint origin = ClientToScreen(TPoint(0, 0));
      BitBlt(Buffer->Canvas()->Handle(), 0, 0, w, h, screen, origin.X, origin.Y, SRCCOPY);
      ReleaseDC(nullptr, screen);
      // What GDI copies carries no alpha; the picture under the list is opaque.
      TColor32* p = Buffer->Bits();
      for (Integer i = 0, n = w * h; i < n; ++i) p[i] |= 0xFF000000u;
    }
  }
  const TColor32 white = 0xFFFFFFFFu, frame = Color32(ColorToRGB(frameColor));
  Buffer->LineS(0, 1, w - a, 1, white);
  Buffer->LineS(1, h - b, 1, 0, white);
  Buffer->LineS(0, 0, w - a, 0, frame);
  Buffer->LineS(w - a, 0, w - a, h - b, frame);
  Buffer->LineS(w - a, h - b, 0, h - b, frame);
  Buffer->LineS(0, h - b, 0, 0, frame);
  Buffer->EndUpdate();
}

void InitQuarnListBox() {
  RegisterClasses({TQnListBox::StaticClass(), TQuarnListBox::StaticClass(), TQnPopupListBox::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnListBox)
