#include "platform/vcl/StdCtrls.h"

#include "platform/vcl/Forms.h"

namespace vcl {

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner) {
  // No csDoubleClicks: a quick second press is a second click.
  FControlStyle = TControlStyle{csSetCaption, csClickEvents, csCaptureMouse, csOpaque};
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TButton::SetDefault(bool Value) {
  if (FDefault == Value) return;
  FDefault = Value;
  // Without a focused button the default one is the one Enter clicks.
  TWinControl* root = GetRootControl(this);
  TWinControl* focused = root ? root->FocusedControl() : nullptr;
  if (!::vcl::Is<TButton>(focused)) {
    FActive = Value;
    Invalidate();
  }
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TButton::SetPressed(bool Value) {
  if (FPressed == Value) return;
  FPressed = Value;
  Invalidate();
}

void TButton::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == VK_SPACE) {
    FSpaceDown = true;
    SetPressed(true);
  }
}

void TButton::KeyUp(Word& Key, TShiftState Shift) {
  inherited::KeyUp(Key, Shift);
  if (Key == VK_SPACE && FSpaceDown) {
    FSpaceDown = false;
    SetPressed(false);
    Click();
  }
}

void TButton::DoEnter() {
  inherited::DoEnter();
  Invalidate();
}

void TButton::DoExit() {
  FSpaceDown = false;
  SetPressed(false);
  inherited::DoExit();
  Invalidate();
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    FMouseDown = true;
    if (CanFocus() && !Focused()) SetFocus();
    SetPressed(true);
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  // Pushed in only while the pointer is over it.
  if (FMouseDown) SetPressed(X >= 0 && Y >= 0 && X < Width() && Y < Height());
  inherited::MouseMove(Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    FMouseDown = false;
    SetPressed(false);
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  RECT r(0, 0, Width(), Height());
  bool focused = Focused();
  // The button Enter would click wears a dark frame.
  if (FActive) {
    c->Brush()->SetColor(clWindowFrame);
    c->FrameRect(TRect(r.Left, r.Top, r.Right, r.Bottom));
    InflateRect(r, -1, -1);
  }
  UINT state = DFCS_BUTTONPUSH | (FPressed ? DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE);
  DrawFrameControl(dc, &r, DFC_BUTTON, state);
  RECT text = r;
  if (FPressed) OffsetRect(text, 1, 1);
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  String caption = Caption();
  // Through the canvas, so the font and the transparent background are
  // selected into the DC first.
  const TTextFormat fmt{TTextFormats::tfCenter, TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine};
  auto draw = [&](const RECT& where) {
    TRect r2 = where;
    String t = caption;
    c->TextRect(r2, t, fmt);
  };
  if (Enabled()) {
    draw(text);
  } else {
    // Disabled text is embossed: a highlight one pixel down-right, the
    // shadow colour over it.
    RECT hi = text;
    OffsetRect(hi, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    draw(hi);
    c->Font()->SetColor(clBtnShadow);
    draw(text);
  }
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  if (focused) {
    RECT f = r;
    InflateRect(f, -4, -4);
    DrawFocusRect(c->Handle(), &f);
  }
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      // A button keeps no key from dialog navigation; Enter goes to the
      // form, which gives it to the active button.
      Message.Result = DLGC_BUTTON | (FActive ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return;
    case CM_DIALOGKEY: {
      TWMKey key(Message);
      if (((key.CharCode() == VK_RETURN && FActive) || (key.CharCode() == VK_ESCAPE && FCancel)) &&
          KeyDataToShiftState(key.KeyData()).Empty() && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR: {
      TWMKey key(Message);
      if (IsAccel(key.CharCode(), Caption()) && CanFocus()) {
        Click();
        Message.Result = 1;
        return;
      }
      break;
    }
    case CM_FOCUSCHANGED: {
      // A focused button is the one Enter clicks; otherwise the default.
      TControl* sender = MessageControl(Message);
      bool active = ::vcl::Is<TButton>(sender) ? sender == this : FDefault;
      if (active != FActive) {
        FActive = active;
        Invalidate();
      }
      break;
    }
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
      Invalidate();
      break;
    default: break;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl

namespace vcl {

// ---------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetAutoSize(true);
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, WC_EDIT);
  static const DWORD cases[] = {0, ES_UPPERCASE, ES_LOWERCASE};
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | cases[size_t(FCharCase)];
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) Params.Style |= ES_OEMCONVERT;
  if (FNumbersOnly) Params.Style |= ES_NUMBER;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (FBorderStyle == bsSingle) {
    if (FCtl3D) Params.ExStyle |= WS_EX_CLIENTEDGE;
    else Params.Style |= WS_BORDER;
  }
}

void TCustomEdit::CreateWnd() {
  FCreating = true;
  try {
    inherited::CreateWnd();
  } catch (...) {
    FCreating = false;
    throw;
  }
  FCreating = false;
  HWND h = WindowHandle();
  SendMessageW(h, EM_LIMITTEXT, WPARAM(FMaxLength), 0);
  SendMessageW(h, EM_SETMODIFY, FModified ? 1 : 0, 0);
  if (FPasswordChar) SendMessageW(h, EM_SETPASSWORDCHAR, WPARAM(FPasswordChar), 0);
}

void TCustomEdit::DestroyWnd() {
  FModified = SendMessageW(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
  inherited::DestroyWnd();
}

bool TCustomEdit::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  (void)NewWidth;
  // One line of the font, a pixel above and below it, and the border.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICW tm;
  bool ok = GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (!ok) return false;
  Integer border = 0;
  if (FBorderStyle == bsSingle) border = FCtl3D ? 2 * GetSystemMetrics(SM_CYEDGE) : 2 * GetSystemMetrics(SM_CYBORDER);
  NewHeight = tm.tmHeight + 2 + border;
  return true;
}

void TCustomEdit::Change() {
  inherited::Changed();
  if (FOnChange) FOnChange(this);
}

void TCustomEdit::CMEnter(TMessage& Message) {
  if (FAutoSelect && !FControlState.Contains(csLButtonDown) && HandleAllocated() &&
      !(GetWindowLongW(WindowHandle(), GWL_STYLE) & ES_MULTILINE))
    SelectAll();
  inherited::Dispatch(Message);
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_CHANGE && !FCreating) Change();
      return;
    case CM_TEXTCHANGED:
      inherited::Dispatch(Message);
      // The native multi-line edit does not report WM_SETTEXT; a control
      // without a window has nobody to report it.
      if (!HandleAllocated() || (GetWindowLongW(WindowHandle(), GWL_STYLE) & ES_MULTILINE)) Change();
      return;
    case CM_ENTER:
      CMEnter(Message);
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      if (AutoSize()) AdjustSize();
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

void TCustomEdit::SetMaxLength(Integer Value) {
  FMaxLength = std::max<Integer>(0, Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_LIMITTEXT, WPARAM(FMaxLength), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETREADONLY, Value ? 1 : 0, 0);
}

void TCustomEdit::SetPasswordChar(Char Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  if (HandleAllocated()) {
    SendMessageW(WindowHandle(), EM_SETPASSWORDCHAR, WPARAM(Value), 0);
    Invalidate();
  }
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomEdit::SetNumbersOnly(bool Value) {
  if (FNumbersOnly == Value) return;
  FNumbersOnly = Value;
  if (HandleAllocated()) {
    LONG st = GetWindowLongW(WindowHandle(), GWL_STYLE);
    SetWindowLongW(WindowHandle(), GWL_STYLE, Value ? st | LONG(ES_NUMBER) : st & ~LONG(ES_NUMBER));
  }
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value != bsNone) Value = bsSingle;
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
  if (AutoSize()) AdjustSize();
}

void TCustomEdit::SetCtl3D(bool Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  RecreateWnd();
  if (AutoSize()) AdjustSize();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomEdit::SetOEMConvert(bool Value) {
  if (FOEMConvert == Value) return;
  FOEMConvert = Value;
  RecreateWnd();
}

bool TCustomEdit::Modified() {
  if (HandleAllocated()) FModified = SendMessageW(WindowHandle(), EM_GETMODIFY, 0, 0) != 0;
  return FModified;
}

void TCustomEdit::SetModified(bool Value) {
  FModified = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETMODIFY, Value ? 1 : 0, 0);
}

bool TCustomEdit::CanUndo() { return HandleAllocated() && SendMessageW(WindowHandle(), EM_CANUNDO, 0, 0) != 0; }

Integer TCustomEdit::SelStart() {
  if (!HandleAllocated()) return 0;
  DWORD s = 0, e = 0;
  SendMessageW(WindowHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return Integer(s);
}

void TCustomEdit::SetSelStart(Integer Value) {
  SendMessageW(Handle(), EM_SETSEL, WPARAM(Value), LPARAM(Value));
}

Integer TCustomEdit::SelLength() {
  if (!HandleAllocated()) return 0;
  DWORD s = 0, e = 0;
  SendMessageW(WindowHandle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return Integer(e - s);
}

void TCustomEdit::SetSelLength(Integer Value) {
  DWORD s = 0, e = 0;
  SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  SendMessageW(Handle(), EM_SETSEL, WPARAM(s), LPARAM(Integer(s) + Value));
  SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

String TCustomEdit::SelText() {
  Integer s = SelStart(), n = SelLength();
  String t = Text();
  if (s >= Integer(t.size())) return String();
  return t.substr(size_t(s), size_t(n));
}

void TCustomEdit::SetSelText(const String& Value) {
  SendMessageW(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

Integer TCustomEdit::GetSelTextBuf(Char* Buffer, Integer BufSize) {
  if (!Buffer || BufSize <= 0) return 0;
  String s = SelText();
  Integer n = std::min<Integer>(BufSize - 1, Integer(s.size()));
  std::copy_n(s.data(), n, Buffer);
  Buffer[n] = 0;
  return n;
}

void TCustomEdit::Clear() { SetText(String()); }

void TCustomEdit::ClearSelection() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), WM_CLEAR, 0, 0);
}

void TCustomEdit::CopyToClipboard() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), WM_COPY, 0, 0);
}

void TCustomEdit::CutToClipboard() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), WM_CUT, 0, 0);
}

void TCustomEdit::PasteFromClipboard() { SendMessageW(Handle(), WM_PASTE, 0, 0); }

void TCustomEdit::Undo() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), WM_UNDO, 0, 0);
}

void TCustomEdit::ClearUndo() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_EMPTYUNDOBUFFER, 0, 0);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), EM_SETSEL, 0, -1);
}

// ---------------------------------------------------------------------------
// TMemoStrings

namespace {
const String kCRLF = u"\r\n";

// Line starts of a text without a window: hard line breaks only.
std::vector<Integer> TextLineStarts(const String& t) {
  std::vector<Integer> v{0};
  for (size_t i = 0; i + 1 < t.size(); ++i)
    if (t[i] == u'\r' && t[i + 1] == u'\n') v.push_back(Integer(i + 2));
  return v;
}
}  // namespace

Integer TMemoStrings::LineCount() {
  if (Memo->HandleAllocated()) return Integer(SendMessageW(Memo->Handle(), EM_GETLINECOUNT, 0, 0));
  return Integer(TextLineStarts(Memo->Text()).size());
}

Integer TMemoStrings::LineIndex(Integer Line) {
  if (Memo->HandleAllocated()) return Integer(SendMessageW(Memo->Handle(), EM_LINEINDEX, WPARAM(Line), 0));
  auto v = TextLineStarts(Memo->Text());
  return Line >= 0 && size_t(Line) < v.size() ? v[size_t(Line)] : -1;
}

Integer TMemoStrings::LineLength(Integer Start) {
  if (Memo->HandleAllocated()) return Integer(SendMessageW(Memo->Handle(), EM_LINELENGTH, WPARAM(Start), 0));
  String t = Memo->Text();
  size_t e = t.find(kCRLF, size_t(Start));
  return Integer((e == String::npos ? t.size() : e) - size_t(Start));
}

void TMemoStrings::ReplaceRange(Integer From, Integer To, const String& S) {
  if (Memo->HandleAllocated()) {
    HWND h = Memo->Handle();
    SendMessageW(h, EM_SETSEL, WPARAM(From), LPARAM(To));
    SendMessageW(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(S.c_str()));
    return;
  }
  String t = Memo->Text();
  t.replace(size_t(From), size_t(To - From), S);
  Memo->SetText(t);
}

void TMemoStrings::CheckIndex(Integer Index, Integer Count) {
  if (Index < 0 || Index >= Count) Error(u"List index out of bounds (%d)", Index);
}

// The empty line after a final line break is not a line of the list.
Integer TMemoStrings::GetCount() {
  Integer n = LineCount();
  if (n > 0 && LineLength(LineIndex(n - 1)) == 0 && LineIndex(n - 1) == Memo->GetTextLen()) {
    Integer start = LineIndex(n - 1);
    if (n > 1 || start > 0) --n;
    else n = 0;
  }
  return n;
}

String TMemoStrings::Get(Integer Index) {
  CheckIndex(Index, GetCount());
  if (Memo->HandleAllocated()) {
    Integer len = LineLength(LineIndex(Index));
    String s(size_t(std::max<Integer>(len, 1)) + 1, u'\0');
    WORD size = WORD(std::min<Integer>(len + 1, 0xFFFF));
    std::memcpy(s.data(), &size, sizeof size);
    Integer n = Integer(SendMessageW(Memo->Handle(), EM_GETLINE, WPARAM(Index), reinterpret_cast<LPARAM>(s.data())));
    s.resize(size_t(std::max<Integer>(0, n)));
    return s;
  }
  Integer start = LineIndex(Index);
  return Memo->Text().substr(size_t(start), size_t(LineLength(start)));
}

void TMemoStrings::Put(Integer Index, const String& S) {
  CheckIndex(Index, GetCount());
  Integer start = LineIndex(Index);
  ReplaceRange(start, start + LineLength(start), S);
}

void TMemoStrings::Insert(Integer Index, const String& S) {
  if (Index < 0 || Index > GetCount()) Error(u"List index out of bounds (%d)", Index);
  Integer start = LineIndex(Index);
  if (start >= 0) {
    ReplaceRange(start, start, S + kCRLF);
    return;
  }
  // Past the last line: a break after it, then the new line.
  Integer prev = LineIndex(Index - 1);
  Integer end = prev + LineLength(prev);
  ReplaceRange(end, end, kCRLF + S);
}

void TMemoStrings::Delete(Integer Index) {
  CheckIndex(Index, GetCount());
  Integer start = LineIndex(Index);
  Integer next = LineIndex(Index + 1);
  ReplaceRange(start, next >= 0 ? next : start + LineLength(start), String());
}

void TMemoStrings::Clear() { Memo->SetText(String()); }

void TMemoStrings::SetTextStr(const String& Value) {
  if (Value != Memo->Text()) Memo->SetText(Value);
}

void TMemoStrings::SetUpdateState(bool Updating) {
  if (!Memo->HandleAllocated()) return;
  SendMessageW(Memo->Handle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
  if (!Updating) {
    Memo->Invalidate();
    Memo->Perform(CM_TEXTCHANGED, 0, 0);
  }
}

// ---------------------------------------------------------------------------
// TCustomMemo

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  FControlStyle.Exclude(csFixedHeight);
  SetAutoSize(false);
  SetBounds(0, 0, 185, 89);
  FLines = std::make_unique<TMemoStrings>(this);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  static const DWORD aligns[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  static const DWORD bars[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  if (FWordWrap) Params.Style &= ~ES_AUTOHSCROLL;
  Params.Style |= ES_MULTILINE | aligns[size_t(FAlignment)] | bars[size_t(FScrollBars)];
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

TPoint TCustomMemo::CaretPos() {
  if (!HandleAllocated()) return TPoint();
  HWND h = WindowHandle();
  DWORD s = 0, e = 0;
  SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  // The caret is the end that moved: for a selection made backwards the start.
  Integer line = Integer(SendMessageW(h, EM_LINEFROMCHAR, WPARAM(e), 0));
  Integer col = Integer(e) - Integer(SendMessageW(h, EM_LINEINDEX, WPARAM(line), 0));
  return TPoint(col, line);
}

void TCustomMemo::SetCaretPos(const TPoint& Value) {
  HWND h = Handle();
  LRESULT start = SendMessageW(h, EM_LINEINDEX, WPARAM(std::max<Integer>(0, Value.Y)), 0);
  if (start < 0) start = GetTextLen();
  Integer len = Integer(SendMessageW(h, EM_LINELENGTH, WPARAM(start), 0));
  Integer pos = Integer(start) + std::clamp<Integer>(Value.X, 0, len);
  SendMessageW(h, EM_SETSEL, WPARAM(pos), LPARAM(pos));
  SendMessageW(h, EM_SCROLLCARET, 0, 0);
}

void TCustomMemo::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (Key == Char(VK_RETURN) && !FWantReturns) Key = 0;
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    inherited::Dispatch(Message);
    if (FWantTabs) Message.Result |= DLGC_WANTTAB;
    else Message.Result &= ~DLGC_WANTTAB;
    if (!FWantReturns) Message.Result &= ~DLGC_WANTALLKEYS;
    return;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl
