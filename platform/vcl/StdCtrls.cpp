#include "platform/vcl/StdCtrls.h"

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrlsInternal.h"

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

namespace vcl {

// ---------------------------------------------------------------------------
// TListBoxStrings

namespace {
LRESULT LB(TCustomListBox* l, UINT msg, WPARAM wp, LPARAM lp) { return l->Perform(msg, wp, lp); }
}  // namespace

Integer TListBoxStrings::GetCount() {
  if (!ListBox->HandleAllocated()) return ListBox->FSaveItems->Count();
  return Integer(LB(ListBox, LB_GETCOUNT, 0, 0));
}

String TListBoxStrings::Get(Integer Index) {
  if (ListBox->Virtual()) return ListBox->ItemText(Index);
  if (!ListBox->HandleAllocated()) return ListBox->FSaveItems->Strings(Index);
  // The buffer is sized from the item's own length.
  LRESULT len = LB(ListBox, LB_GETTEXTLEN, WPARAM(Index), 0);
  if (len < 0) Error(u"List index out of bounds (%d)", Index);
  String s(size_t(len) + 1, u'\0');
  LRESULT n = LB(ListBox, LB_GETTEXT, WPARAM(Index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(size_t(std::max<LRESULT>(0, std::min(n, len))));
  return s;
}

Integer TListBoxStrings::IndexOf(const String& S) {
  if (ListBox->Virtual()) return ListBox->FOnDataFind ? ListBox->FOnDataFind(ListBox, S) : -1;
  return TStrings::IndexOf(S);
}

TObject* TListBoxStrings::GetObject(Integer Index) {
  if (ListBox->Virtual()) {
    // A virtual list's objects come from OnDataObject.
    TObject* o = nullptr;
    if (Index < 0 || Index >= GetCount()) Error(u"List index out of bounds (%d)", Index);
    if (ListBox->FOnDataObject) ListBox->FOnDataObject(ListBox, Index, o);
    return o;
  }
  if (!ListBox->HandleAllocated()) return ListBox->FSaveItems->Objects(Index);
  LRESULT d = LB(ListBox, LB_GETITEMDATA, WPARAM(Index), 0);
  if (d == LB_ERR) Error(u"List index out of bounds (%d)", Index);
  return reinterpret_cast<TObject*>(d);
}

void TListBoxStrings::PutObject(Integer Index, TObject* AObject) {
  if (!ListBox->HandleAllocated()) {
    ListBox->FSaveItems->SetObjects(Index, AObject);
    return;
  }
  if (LB(ListBox, LB_SETITEMDATA, WPARAM(Index), reinterpret_cast<LPARAM>(AObject)) == LB_ERR)
    Error(u"List index out of bounds (%d)", Index);
}

Integer TListBoxStrings::Add(const String& S) {
  if (!ListBox->HandleAllocated()) return ListBox->FSaveItems->Add(S);
  LRESULT r = LB(ListBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (r < 0) throw EOutOfResources(u"Insufficient memory for this operation");
  return Integer(r);
}

void TListBoxStrings::Insert(Integer Index, const String& S) {
  if (!ListBox->HandleAllocated()) {
    ListBox->FSaveItems->Insert(Index, S);
    return;
  }
  if (LB(ListBox, LB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
    Error(u"List index out of bounds (%d)", Index);
}

void TListBoxStrings::Delete(Integer Index) {
  if (!ListBox->HandleAllocated()) {
    ListBox->FSaveItems->Delete(Index);
    return;
  }
  if (LB(ListBox, LB_DELETESTRING, WPARAM(Index), 0) == LB_ERR) Error(u"List index out of bounds (%d)", Index);
}

void TListBoxStrings::Clear() {
  if (!ListBox->HandleAllocated()) {
    ListBox->FSaveItems->Clear();
    return;
  }
  LB(ListBox, LB_RESETCONTENT, 0, 0);
}

// A new text keeps the item's object and its selection.
void TListBoxStrings::Put(Integer Index, const String& S) {
  if (!ListBox->HandleAllocated()) {
    ListBox->FSaveItems->SetStrings(Index, S);
    return;
  }
  Integer sel = ListBox->ItemIndex();
  bool picked = ListBox->MultiSelect() && ListBox->Selected(Index);
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
  if (picked) ListBox->SetSelected(Index, true);
  if (!ListBox->MultiSelect() && sel == Index) ListBox->SetItemIndex(Index);
}

void TListBoxStrings::SetUpdateState(bool Updating) {
  if (!ListBox->HandleAllocated()) return;
  LB(ListBox, WM_SETREDRAW, Updating ? 0 : 1, 0);
  if (!Updating) ListBox->Invalidate();
}

// ---------------------------------------------------------------------------
// TCustomListBox

TCustomListBox::TCustomListBox(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FItems = std::make_unique<TListBoxStrings>(this);
  FSaveItems = std::make_unique<TStringList>();
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TCustomListBox::~TCustomListBox() { FCanvas->FreeHandle(); }

void TCustomListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, WC_LISTBOX);
  static const DWORD styles[] = {0, LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE, LBS_OWNERDRAWFIXED | LBS_NODATA,
                                 LBS_OWNERDRAWFIXED | LBS_NODATA};
  // Columns scroll sideways only.
  Params.Style |= (FColumns > 0 ? 0 : WS_VSCROLL) | LBS_NOTIFY | styles[size_t(FStyle)];
  if (!Virtual()) Params.Style |= LBS_HASSTRINGS;
  if (FSorted && !Virtual()) Params.Style |= LBS_SORT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FColumns > 0) Params.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
  else if (FScrollWidth > 0) Params.Style |= WS_HSCROLL;
  if (FTabWidth > 0) Params.Style |= LBS_USETABSTOPS;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  HWND h = WindowHandle();
  if (FStyle != lbStandard) SendMessageW(h, LB_SETITEMHEIGHT, 0, FItemHeight);
  if (FColumns > 0) SendMessageW(h, LB_SETCOLUMNWIDTH, WPARAM(std::max(1, ClientWidth() / FColumns)), 0);
  if (FTabWidth > 0) SendMessageW(h, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&FTabWidth));
  if (FScrollWidth > 0 && FColumns == 0) SendMessageW(h, LB_SETHORIZONTALEXTENT, WPARAM(FScrollWidth), 0);
  if (Virtual()) {
    SendMessageW(h, LB_SETCOUNT, WPARAM(FSaveCount), 0);
  } else if (FSaveItems->Count() > 0) {
    // The saved items go in as messages too, so a WindowProc sees them.
    TStringList saved;
    saved.Assign(FSaveItems.get());
    FSaveItems->Clear();
    for (Integer i = 0; i < saved.Count(); ++i) FItems->AddObject(saved.Strings(i), saved.Objects(i));
  }
  FSaveItems->Clear();
  if (FSaveIndex >= 0) SetItemIndex(FSaveIndex);
  if (FSaveTop > 0) SetTopIndex(FSaveTop);
}

void TCustomListBox::DestroyWnd() {
  HWND h = WindowHandle();
  FSaveIndex = FMultiSelect ? -1 : Integer(SendMessageW(h, LB_GETCURSEL, 0, 0));
  FSaveTop = Integer(SendMessageW(h, LB_GETTOPINDEX, 0, 0));
  FSaveCount = Integer(SendMessageW(h, LB_GETCOUNT, 0, 0));
  TStringList items;
  if (!Virtual())
    for (Integer i = 0; i < FSaveCount; ++i) items.AddObject(FItems->Strings(i), FItems->Objects(i));
  inherited::DestroyWnd();
  FSaveItems->Assign(&items);
}

void TCustomListBox::SetTabWidth(Integer Value) {
  Value = std::max<Integer>(0, Value);
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  RecreateWnd();
}

Integer TCustomListBox::ScrollWidth() {
  if (!HandleAllocated() || FColumns > 0) return FScrollWidth;
  return Integer(SendMessageW(WindowHandle(), LB_GETHORIZONTALEXTENT, 0, 0));
}

void TCustomListBox::SetScrollWidth(Integer Value) {
  Value = std::max<Integer>(0, Value);
  if (FScrollWidth == Value) return;
  bool bar = (FScrollWidth > 0) != (Value > 0);
  FScrollWidth = Value;
  // The window needs WS_HSCROLL for a bar at all.
  if (bar) RecreateWnd();
  else if (HandleAllocated() && FColumns == 0) SendMessageW(WindowHandle(), LB_SETHORIZONTALEXTENT, WPARAM(Value), 0);
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

Integer TCustomListBox::ItemHeight() {
  if (HandleAllocated() && FStyle == lbStandard) return Integer(SendMessageW(WindowHandle(), LB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(Integer Value) {
  if (Value <= 0 || Value > 255 || Value == FItemHeight) return;
  FItemHeight = Value;
  if (HandleAllocated() && FStyle != lbStandard) RecreateWnd();
}

Integer TCustomListBox::ItemIndex() {
  if (!HandleAllocated()) return FSaveIndex;
  if (FMultiSelect) return Integer(SendMessageW(WindowHandle(), LB_GETCARETINDEX, 0, 0));
  return Integer(SendMessageW(WindowHandle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(Integer Value) {
  if (!HandleAllocated()) {
    FSaveIndex = Value;
    return;
  }
  HWND h = WindowHandle();
  if (FMultiSelect) {
    SendMessageW(h, LB_SETSEL, 0, -1);
    if (Value >= 0) {
      SendMessageW(h, LB_SETSEL, 1, Value);
      SendMessageW(h, LB_SETCARETINDEX, WPARAM(Value), 0);
    }
    return;
  }
  SendMessageW(h, LB_SETCURSEL, WPARAM(intptr_t(Value)), 0);
}

void TCustomListBox::SetMultiSelect(bool Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  RecreateWnd();
}

bool TCustomListBox::Selected(Integer Index) {
  LRESULT r = SendMessageW(Handle(), LB_GETSEL, WPARAM(Index), 0);
  if (r < 0) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return r != 0;
}

void TCustomListBox::SetSelected(Integer Index, bool Value) {
  if (FMultiSelect) {
    if (SendMessageW(Handle(), LB_SETSEL, Value ? 1 : 0, Index) == LB_ERR)
      throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

Integer TCustomListBox::SelCount() { return Integer(SendMessageW(Handle(), LB_GETSELCOUNT, 0, 0)); }

void TCustomListBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (!HandleAllocated()) {
    FSaveItems->SetSorted(Value);
    return;
  }
  // The window sorts its items only as they arrive: they go in again.
  RecreateWnd();
}

void TCustomListBox::SetColumns(Integer Value) {
  Value = std::max<Integer>(0, Value);
  if (FColumns == Value) return;
  bool styleChange = (FColumns == 0) != (Value == 0);
  FColumns = Value;
  if (!HandleAllocated()) return;
  if (styleChange) RecreateWnd();
  else SendMessageW(WindowHandle(), LB_SETCOLUMNWIDTH, WPARAM(std::max(1, ClientWidth() / FColumns)), 0);
}

Integer TCustomListBox::TopIndex() {
  return HandleAllocated() ? Integer(SendMessageW(WindowHandle(), LB_GETTOPINDEX, 0, 0)) : FSaveTop;
}

void TCustomListBox::SetTopIndex(Integer Value) {
  if (!HandleAllocated()) {
    FSaveTop = Value;
    return;
  }
  SendMessageW(WindowHandle(), LB_SETTOPINDEX, WPARAM(Value), 0);
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (Value != bsNone) Value = bsSingle;
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

Integer TCustomListBox::Count() {
  if (Virtual()) return HandleAllocated() ? Integer(SendMessageW(WindowHandle(), LB_GETCOUNT, 0, 0)) : FSaveCount;
  return FItems->Count();
}

void TCustomListBox::SetCount(Integer Value) {
  if (!Virtual()) throw EListError(u"Setting the count requires a virtual list box");
  FSaveCount = std::max<Integer>(0, Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), LB_SETCOUNT, WPARAM(FSaveCount), 0);
}

Integer TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing) {
  LRESULT r = SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(Pos.X, Pos.Y));
  if (HIWORD(uintptr_t(r)) == 0 && Count() > 0) return LOWORD(uintptr_t(r));
  return Existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(Integer Index) {
  RECT r{};
  if (SendMessageW(Handle(), LB_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r)) == LB_ERR) return TRect();
  return TRect(r.Left, r.Top, r.Right, r.Bottom);
}

void TCustomListBox::Clear() {
  if (Virtual()) SetCount(0);
  else FItems->Clear();
}

void TCustomListBox::ClearSelection() {
  if (FMultiSelect) SendMessageW(Handle(), LB_SETSEL, 0, -1);
  else SetItemIndex(-1);
}

void TCustomListBox::SelectAll() {
  if (FMultiSelect) SendMessageW(Handle(), LB_SETSEL, 1, -1);
}

void TCustomListBox::DeleteSelected() {
  if (FMultiSelect) {
    for (Integer i = FItems->Count() - 1; i >= 0; --i)
      if (Selected(i)) FItems->Delete(i);
  } else if (Integer i = ItemIndex(); i >= 0) {
    FItems->Delete(i);
  }
}

void TCustomListBox::AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

String TCustomListBox::ItemText(Integer Index) {
  String s;
  if (FOnData) FOnData(this, Index, s);
  return s;
}

void TCustomListBox::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (!FAutoComplete || Key < 0x20 || Virtual() || !HandleAllocated()) return;
  // Letters typed within half a second of each other search together.
  DWORD now = GetTickCount();
  if (now - FLastTime > 500) FFilter.clear();
  FLastTime = now;
  FFilter += Key;
  LRESULT i = SendMessageW(WindowHandle(), LB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(FFilter.c_str()));
  if (i != LB_ERR) {
    if (i != ItemIndex()) {
      SetItemIndex(Integer(i));
      Click();
    }
    Key = 0;
  }
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) {
  if (FOnMeasureItem) FOnMeasureItem(this, Index, Height);
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (FOnDrawItem) {
    FOnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < Count()) {
    String t = Virtual() ? ItemText(Index) : FItems->Strings(Index);
    FCanvas->TextOut(Rect.Left + 2, Rect.Top, t);
  }
}

namespace stdctrls_detail {

void OwnerDrawItem(TControlCanvas* Canvas, TFont* Font, TBrush* Brush, TMessage& Message,
                   const std::function<void(Integer Index, TRect Rect, TOwnerDrawState State)>& Draw) {
  auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  TOwnerDrawState state;
  static const std::pair<UINT, TOwnerDrawStateItem> map[] = {
      {ODS_SELECTED, odSelected}, {ODS_GRAYED, odGrayed},   {ODS_DISABLED, odDisabled},
      {ODS_CHECKED, odChecked},   {ODS_FOCUS, odFocused},   {ODS_DEFAULT, odDefault},
      {ODS_COMBOBOXEDIT, odComboBoxEdit}};
  for (auto& [bit, item] : map)
    if (di->itemState & bit) state.Include(item);
  Canvas->Lock();
  Canvas->FreeHandle();
  Canvas->SetHandle(di->hDC);
  Canvas->Font()->Assign(Font);
  Canvas->Brush()->Assign(Brush);
  if (state.Contains(odSelected)) {
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->Font()->SetColor(clHighlightText);
  }
  TRect r(di->rcItem.Left, di->rcItem.Top, di->rcItem.Right, di->rcItem.Bottom);
  try {
    if (Integer(di->itemID) >= 0) Draw(Integer(di->itemID), r, state);
    else Canvas->FillRect(r);
    if (state.Contains(odFocused)) DrawFocusRect(di->hDC, &di->rcItem);
  } catch (...) {
    Canvas->SetHandle(nullptr);
    Canvas->Unlock();
    throw;
  }
  Canvas->SetHandle(nullptr);
  Canvas->Unlock();
  Message.Result = 1;
}

}  // namespace stdctrls_detail

void TCustomListBox::CNDrawItem(TMessage& Message) {
  stdctrls_detail::OwnerDrawItem(FCanvas.get(), Font(), Brush(), Message,
                                 [this](Integer Index, TRect Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      switch (HIWORD(Message.WParam)) {
        case LBN_SELCHANGE:
          Click();
          break;
        case LBN_DBLCLK:
          DblClick();
          break;
        default:
          break;
      }
      return;
    case CN_DRAWITEM:
      CNDrawItem(Message);
      return;
    case CN_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      Integer h = FItemHeight;
      if (FStyle == lbOwnerDrawVariable) MeasureItem(Integer(mi->itemID), h);
      mi->itemHeight = UINT(std::max<Integer>(1, h));
      Message.Result = 1;
      return;
    }
    case WM_SIZE:
      inherited::Dispatch(Message);
      if (FColumns > 0 && HandleAllocated())
        SendMessageW(WindowHandle(), LB_SETCOLUMNWIDTH, WPARAM(std::max(1, ClientWidth() / FColumns)), 0);
      return;
    default:
      break;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TButton)
QN_PUBLISHED_IMPL(vcl::TEdit)
QN_PUBLISHED_IMPL(vcl::TMemo)
QN_PUBLISHED_IMPL(vcl::TListBox)
