#include "skin/controls/uQuarnBoxCtrls_ComboBox.h"

#include <algorithm>

#include "platform/gdi/GdiText.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

constexpr UINT_PTR AutoScrollTimer = 1;
constexpr UINT AutoScrollInterval = 25;
// Type-ahead in the list style collects letters typed closer than this.
constexpr Cardinal TypeAheadPause = 500;
// The editor completes at most once in this time, so fast typing is not
// fought by completions of every intermediate prefix.
constexpr Cardinal CompletionPause = 200;
constexpr TColor DisabledFontColor = static_cast<TColor>(0x00CCCCCC);

TObject* ColorObject(TColor Color) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(Color)); }
TColor ObjectColor(TObject* Object) { return static_cast<TColor>(reinterpret_cast<intptr_t>(Object)); }

}  // namespace

// ================================================================ combo box

TQuarnCustomComboBox::TQuarnCustomComboBox(TComponent* AOwner) : TQuarnBorderPanel(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable});
  TQuarnBorderPanel::SetColor(static_cast<TColor>(0x00FFFFFF));
  SetTabStop(true);
  SetBounds(Left(), Top(), 140, 26);

  FListBox = new TQnPopupListBox(this);
  FListBox->SetVisible(false);
  if (!Designing()) FListBox->SetParent(this);
  FListBox->ListBox->SetTabStop(false);
  FListBox->ListBox->SetOnMouseMove(TMouseMoveEvent(this, &TQuarnCustomComboBox::ListBoxMouseMove));
  FListBoxWindowProc = FListBox->ListBox->WindowProc();
  FListBox->ListBox->SetWindowProc([this](TMessage& M) { ListBoxWindowProc(M); });
  FListBox->SetOnCheckButtonClick(TNotifyEvent(this, &TQuarnCustomComboBox::ListBoxCheckButtonClick));
  FItemHeight = FListBox->DefaultItemHeight();

  SetStyle(csDropDown);
  CalcRects();
  FValues = std::make_unique<TStringList>();
  FValues->OnChange = TNotifyEvent(this, &TQuarnCustomComboBox::ValuesChange);
  SetAlpha(255);
  SetTransparent(false);
  SetCMMouse(false);
}

TQuarnCustomComboBox::~TQuarnCustomComboBox() = default;

// Before the base frees the children: the inner list gets its own procedure
// back and the editor its own, so neither calls into a combo that is going.
void TQuarnCustomComboBox::BeforeDestruction() {
  if (FListBox) {
    if (HandleAllocated()) KillTimer(Handle(), AutoScrollTimer);
    FListBox->ListBox->SetWindowProc(FListBoxWindowProc);
    FListBox->ListBox->SetOnMouseMove(TMouseMoveEvent());
  }
  if (FValues) FValues->OnChange = TNotifyEvent();
  HideEditor();
  delete FListBox;
  FListBox = nullptr;
  TQuarnBorderPanel::BeforeDestruction();
}

// The list and the editor are made by the combo itself: neither is a child
// in a form file.
void TQuarnCustomComboBox::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == FListBox || c == FEdit || c->Owner() != Root) continue;
    Proc(c);
  }
}

HWND TQuarnCustomComboBox::InnerListHandle() const { return FListBox->ListBox->Handle(); }

// ------------------------------------------------------------- properties

void TQuarnCustomComboBox::SetDropArrowHot(const TQnResID& Value) {
  if (FDropArrowHot == Value) return;
  FDropArrowHot = Value;
  Invalidate();
}

void TQuarnCustomComboBox::SetDropArrowNormal(const TQnResID& Value) {
  if (FDropArrowNormal == Value) return;
  FDropArrowNormal = Value;
  CalcRects();
  Invalidate();
}

void TQuarnCustomComboBox::SetComboTabStop(bool Value) {
  if (FEdit && !Designing()) FEdit->SetTabStop(Value);
  else SetTabStop(Value);
}

Integer TQuarnCustomComboBox::ItemIndex() {
  if (!Designing()) FItemIndex = FListBox->ItemIndex();
  return FItemIndex;
}

void TQuarnCustomComboBox::SetItemIndex(Integer Value) {
  FItemIndex = Value;
  if (!Designing()) FListBox->SetItemIndex(Value);
  const Integer index = FListBox->ItemIndex();
  SetText(index >= 0 && index < Items()->Count() ? Items()->Strings(index) : String());
  FOldItemIndex = FListBox->ItemIndex();
  if (!FEdit) Invalidate();
  if (!ComponentState().Contains(csLoading)) {
    FireClick();
    Change();
  }
}

// ------------------------------------------------------------------ values

String TQuarnCustomComboBox::GetItemValue(Integer Index) {
  if (Index >= 0 && Index < FValues->Count() && !FValues->Strings(Index).empty()) return FValues->Strings(Index);
  if (Index >= 0 && Index < Items()->Count()) return Items()->Strings(Index);
  return String();
}

String TQuarnCustomComboBox::Value() {
  Integer index;
  if (FStyle == csDropDown) index = Text().empty() ? -1 : Items()->IndexOf(Text());
  else index = ItemIndex();
  if (index >= 0 && index < FValues->Count() && !FValues->Strings(index).empty()) {
    FValue = FValues->Strings(index);
    return FValue;
  }
  return Text();
}

void TQuarnCustomComboBox::SetValue(const String& Value) {
  if (FInSetValue || (Value == FValue && !FForceSetValue)) return;
  FInSetValue = true;
  Integer found = -1;
  for (Integer i = 0; i < Items()->Count(); ++i)
    if (GetItemValue(i) == Value) {
      found = i;
      break;
    }
  // A forced re-selection that lands where the selection already is
  // reports no click: nothing was chosen.
  if (!FForceSetValue || found != ItemIndex()) SetItemIndex(found);
  FValue = Value;
  FInSetValue = false;
}

void TQuarnCustomComboBox::ValuesChange(TObject*) {
  if (FInSetValue) return;
  FForceSetValue = true;
  SetValue(Value());
  FForceSetValue = false;
}

// Values shorter than the items are padded, so a value always lands beside
// its own item.
void TQuarnCustomComboBox::AddItemValue(const String& Item, const String& Value) {
  InsertItemValue(Items()->Count(), Item, Value);
}

void TQuarnCustomComboBox::InsertItemValue(Integer Index, const String& Item, const String& Value) {
  Index = std::clamp(Index, 0, Items()->Count());
  Items()->Insert(Index, Item);
  FValues->BeginUpdate();
  while (FValues->Count() < Index) FValues->Add(String());
  FValues->Insert(Index, Value);
  FValues->EndUpdate();
}

void TQuarnCustomComboBox::DeleteItemValue(Integer Index) {
  if (Index < 0 || Index >= Items()->Count()) return;
  Items()->Delete(Index);
  if (Index < FValues->Count()) FValues->Delete(Index);
}

void TQuarnCustomComboBox::ClearItemsValues() {
  Items()->Clear();
  FValues->Clear();
}

// ------------------------------------------------------------------ editor

// An editor that exists already is set up again rather than replaced, so
// nothing that still holds it (a form reader restoring a failed load, an
// event of the editor's own) is left with a freed object.
void TQuarnCustomComboBox::ShowEditor() {
  if (!FEdit) {
    FEdit = new TQuarnEdit(this);
    FEdit->SetParent(this);
    FEditWindowProc = FEdit->WindowProc();
    FEdit->SetWindowProc([this](TMessage& M) { EditWindowProc(M); });
  }
  FEdit->SetBorderVisible(false);
  FEdit->SetColor(Color());
  FEdit->SetVisible(true);
  FEdit->SetOnChange(TNotifyEvent(this, &TQuarnCustomComboBox::EditChange));
  FEdit->Space()->SetActive(false);
  FEdit->SetOnDblClick(TNotifyEvent(this, &TQuarnCustomComboBox::EditDblClick));
  FEdit->SetOnKeyDown(TKeyEvent(this, &TQuarnCustomComboBox::EditKeyDown));
  FEdit->SetOnKeyPress(TKeyPressEvent(this, &TQuarnCustomComboBox::EditKeyPress));
  FEdit->SetOnKeyUp(TKeyEvent(this, &TQuarnCustomComboBox::EditKeyUp));
  RenewEditor();
}

void TQuarnCustomComboBox::HideEditor() {
  if (!FEdit) return;
  TQuarnEdit* edit = FEdit;
  FEdit = nullptr;
  FMouseInEdit = false;
  edit->SetWindowProc(FEditWindowProc);
  edit->SetOnChange(TNotifyEvent());
  edit->SetVisible(false);
  delete edit;
}

// The editor takes the new font in place instead of being made anew: a font
// set from one of the editor's own events would otherwise free the editor
// under its running code.
void TQuarnCustomComboBox::RenewEditor() {
  FEdit->Font()->SetName(Font()->Name());
  FEdit->Font()->SetStyle(Font()->Style());
  FEdit->Font()->SetColor(Font()->Color());
  FEdit->Font()->SetSize(Font()->Size());
  FEdit->SetText(Text());
  AdjustEditPos();
}

// While loading only stored: Loaded applies it, so a failed load never
// finds the editor it saw freed.
void TQuarnCustomComboBox::SetStyle(TQuarnCustomComboBoxStyle Value) {
  if (ComponentState().Contains(csLoading)) {
    FStyle = Value;
    return;
  }
  if (Value == FStyle && (FEdit != nullptr) == (Value == csDropDown && !Designing())) return;
  FStyle = Value;
  if (Value == csDropDown) {
    if (!Designing()) {
      const bool hadTabStop = FEdit ? FEdit->TabStop() : TabStop();
      ShowEditor();
      SetTabStop(false);
      FEdit->SetTabStop(hadTabStop);
      FEdit->SetText(Text());
      if (Focused() && FEdit->CanFocus()) FEdit->SetFocus();
    }
  } else if (FEdit) {
    // The tab stop the editor held goes back to the combo, or a combo that
    // lost its editor could never be tabbed to again.
    const bool tabStop = FEdit->TabStop();
    const bool focused = FEdit->Focused();
    HideEditor();
    SetTabStop(tabStop);
    if (focused && CanFocus()) SetFocus();
  }
  CalcRects();
  if (HandleAllocated()) RecreateWnd();
  Invalidate();
}

void TQuarnCustomComboBox::Loaded() {
  TQuarnBorderPanel::Loaded();
  const TQuarnCustomComboBoxStyle style = FStyle;
  FStyle = style == csDropDown ? csDropDownList : csDropDown;
  SetStyle(style);
}

void TQuarnCustomComboBox::EditChange(TObject*) {
  FromEdit = true;
  const String text = FEdit->Text();
  const Integer current = FListBox->ItemIndex();
  // A text that already is the selected item keeps that item, even where an
  // earlier item begins with the same letters.
  const bool isCurrent = current >= 0 && current < Items()->Count() && Items()->Strings(current) == text;
  if (!text.empty() && !isCurrent) {
    HWND list = InnerListHandle();
    const auto found = SendMessageW(list, LB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (found != LB_ERR) {
      if (FAutoComplete) SendMessageW(list, LB_SETCURSEL, WPARAM(found), 0);
      else SendMessageW(list, LB_SETTOPINDEX, WPARAM(found), 0);
    }
  }
  SetText(text);
  FromEdit = false;
}

void TQuarnCustomComboBox::EditDblClick(TObject*) {
  if (OnDblClick()) OnDblClick()(this);
}

void TQuarnCustomComboBox::EditKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (OnKeyDown()) OnKeyDown()(this, Key, Shift);
}

void TQuarnCustomComboBox::EditKeyPress(TObject*, Char& Key) {
  if (OnKeyPress()) OnKeyPress()(this, Key);
}

void TQuarnCustomComboBox::EditKeyUp(TObject*, Word& Key, TShiftState Shift) {
  if (OnKeyUp()) OnKeyUp()(this, Key, Shift);
}

void TQuarnCustomComboBox::EditUp(bool Select) {
  const Integer index = ItemIndex();
  if (index <= 0) return;
  // The ItemIndex write reports the step (OnClick and Change) once.
  SetItemIndex(index - 1);
  if (Select && FEdit) {
    SetText(Items()->Strings(index - 1));
    FEdit->SelectAll();
  }
}

void TQuarnCustomComboBox::EditDown(bool Select) {
  const Integer index = ItemIndex();
  if (index + 1 >= Items()->Count()) return;
  FListBox->SetItemIndex(index + 1);
  if (Select) {
    SetText(Items()->Strings(index + 1));
    if (FEdit) FEdit->SelectAll();
    FireClick();
  }
}

bool TQuarnCustomComboBox::WideCharset() const {
  const TFontCharset c = Font()->Charset();
  return c == SHIFTJIS_CHARSET || c == GB2312_CHARSET || c == CHINESEBIG5_CHARSET;
}

void TQuarnCustomComboBox::CompletionStep(TMessage& Message) {
  const Word key = Word(Message.WParam);
  const bool qualifies = WideCharset() ? key != VK_DELETE && key != VK_BACK : key > 47;
  if (!qualifies || !FEdit) {
    FEditWindowProc(Message);
    return;
  }
  FEdit->ClearSelection();
  FEditWindowProc(Message);
  if (!FEdit || !FAutoComplete) return;
  const Cardinal now = GetTickCount();
  if (FCompleted && now - FLastTime < CompletionPause) return;
  const String text = FEdit->Text();
  if (text.empty()) return;
  // One letter steps on from the item chosen before it was typed, so the
  // first match is not skipped when the typing itself selected it.
  const Integer from = text.size() == 1 ? FTypedFrom : -1;
  const auto found =
      SendMessageW(InnerListHandle(), LB_FINDSTRING, WPARAM(from), reinterpret_cast<LPARAM>(text.c_str()));
  FLastTime = now;
  FCompleted = true;
  if (found == LB_ERR) return;
  SetItemIndex(Integer(found));
  if (!FEdit) return;
  FEdit->SetSelStart(Integer(text.size()));
  FEdit->SetSelLength(Integer(FEdit->Text().size()) - Integer(text.size()));
}

void TQuarnCustomComboBox::EditWindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
      FTypedFrom = FListBox->ItemIndex();
      switch (Message.WParam) {
        case VK_UP: EditUp(true); return;
        case VK_DOWN: EditDown(true); return;
        default: ListKey(Word(Message.WParam), true); break;
      }
      break;
    case WM_KEYUP: CompletionStep(Message); return;
    case WM_SYSKEYUP:
      if (WideCharset()) {
        CompletionStep(Message);
        return;
      }
      break;
    case WM_SETFOCUS:
      UpdateFrame(true, true);
      FMouseInEdit = true;
      break;
    case WM_KILLFOCUS:
      UpdateFrame(true, false);
      if (FDropDown) CloseUp(false);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (FDropDown) CloseUp(false);
      break;
    case WM_MOUSEWHEEL:
      if (static_cast<SmallInt>(HIWORD(Message.WParam)) < 0) EditDown(!FDropDown);
      else EditUp(!FDropDown);
      Message.Result = 1;
      return;
    case CM_MOUSEENTER:
      UpdateFrame(true, true);
      FMouseInEdit = true;
      break;
    case CM_MOUSELEAVE: FMouseInEdit = false; break;
    case CM_CANCELMODE:
      if (FDropDown && !IsOwnPart(MessageControl(Message))) CloseUp(false);
      break;
    default: break;
  }
  FEditWindowProc(Message);
}

// ---------------------------------------------------------------- geometry

void TQuarnCustomComboBox::CalcRects() {
  TQuarnImage* arrow = FDropArrowNormal.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FDropArrowNormal);
  const Integer w = arrow ? arrow->Width() + 1 : 1;
  Button.R = TRect(Width() - w, 0, Width(), Height());
  FCBItem.R = TRect(3, 3, Button.R.Left - 1, Height() - 1);
  AdjustEditPos();
}

void TQuarnCustomComboBox::AdjustEditPos() {
  if (!FEdit) return;
  FEdit->SetBounds(FCBItem.R.Left - 2, 2, FCBItem.R.Width(), Height() - 4);
  FEdit->Space()->SetLeft(2);
  FEdit->Space()->SetTop(4);
  FEdit->Space()->SetBottom(4);
}

// ------------------------------------------------------------- the list

void TQuarnCustomComboBox::DropDown() {
  const Integer count = Items()->Count();
  if (count == 0) return;
  const Integer h = std::max(1, GetDPIScaledPixels(this, FItemHeight));
  WasInLB = false;
  StopAutoScroll();
  if (FOnDropDown) FOnDropDown(this);
  FListBox->SetWidth(FListBoxWidth > 0 ? FListBoxWidth - 1 : Width() - 1);
  const Integer rows = std::min(count, FDropDownCount);
  // The row height first, so the list sizes itself for the rows it shows.
  FListBox->SetDefaultItemHeight(h);
  FListBox->SetRowCount(rows);
  TPoint p(Left() + 1, Top() + Height());
  if (Parent()) p = Parent()->ClientToScreen(p);
  const TRect work = GetMonitorWorkArea(Handle(), true);
  const Integer listHeight = rows * h + 5;
  if (p.Y + listHeight > work.Bottom) p.Y = p.Y - Height() - listHeight;
  if (FEdit && FEdit->CanFocus() && !FEdit->Focused()) FEdit->SetFocus();
  FListBox->Font()->Assign(Font());
  FOldItemIndex = FListBox->ItemIndex();
  if (FOldItemIndex == 0 && count > 1) {
    FListBox->SetItemIndex(1);
    FListBox->SetItemIndex(0);
  }
  FDropDown = true;
  FListBox->SetTopIndex(std::max(0, FListBox->ItemIndex()));
  FListBox->Show(p);
  FListBox->UpDateScrollBar();
}

void TQuarnCustomComboBox::CloseUp(bool Accept) {
  StopAutoScroll();
  if (!FListBox->Visible()) return;
  FListBox->Hide();
  const Integer index = FListBox->ItemIndex();
  if (Accept && index >= 0 && index < Items()->Count()) {
    const String item = Items()->Strings(index);
    if (FEdit) {
      FEdit->SetText(item);
      FEdit->SelectAll();
    } else {
      SetText(item);
      Invalidate();
    }
    FireClick();
    Change();
  } else {
    FListBox->SetItemIndex(FOldItemIndex);
  }
  FDropDown = false;
  Invalidate();
  if (FOnCloseUp) FOnCloseUp(Accept ? this : nullptr);
}

bool TQuarnCustomComboBox::CanCancelDropDown() {
  if (!FDropDown) return false;
  POINT p;
  GetCursorPos(&p);
  return !PtInRect(ClientRect(), ScreenToClient(TPoint(p.X, p.Y)));
}

void TQuarnCustomComboBox::ListBoxDrawItem(TObject*, TCanvas* Cnvs, Integer Index, Integer ItemWidth,
                                           Integer ItemHeight, TRect TxtRect, TOwnerDrawState State) {
  if (const auto& e = FListBox->OnDrawItem()) e(this, Cnvs, Index, ItemWidth, ItemHeight, TxtRect, State);
}

bool TQuarnCustomComboBox::IsOwnPart(TControl* Control) const {
  if (!Control) return false;
  return Control == this || Control == FListBox || Control == FListBox->ListBox ||
         (FListBox->ScrollBar && Control == FListBox->ScrollBar) ||
         (FListBox->HScrollBar && Control == FListBox->HScrollBar);
}

void TQuarnCustomComboBox::MoveListSelection(Integer Index) {
  if (Index < 0 || Index >= Items()->Count()) return;
  FListBox->SetItemIndex(Index);
  FListBox->UpDateScrollBar();
}

void TQuarnCustomComboBox::StartAutoScroll(Integer Mode) {
  if (TimerMode == Mode) return;
  TimerMode = Mode;
  SetTimer(Handle(), AutoScrollTimer, AutoScrollInterval, nullptr);
}

void TQuarnCustomComboBox::StopAutoScroll() {
  if (TimerMode == 0) return;
  TimerMode = 0;
  if (HandleAllocated()) KillTimer(Handle(), AutoScrollTimer);
}

void TQuarnCustomComboBox::WMTimer(TMessage& Message) {
  if (Message.WParam != AutoScrollTimer) {
    TQuarnBorderPanel::Dispatch(Message);
    return;
  }
  const Integer index = FListBox->ItemIndex();
  if (TimerMode == 1 && index > 0) MoveListSelection(index - 1);
  else if (TimerMode == 2 && index + 1 < Items()->Count()) MoveListSelection(index + 1);
}

// Presses in the list belong to the combo's tracking: the list never sees
// them, so it never takes the focus or the activation.
void TQuarnCustomComboBox::ListBoxWindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      FLBDown = true;
      WasInLB = true;
      SetCapture(Handle());
      FSetCapture = true;
      Message.Result = 0;
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: Message.Result = 0; return;
    case WM_MOUSEACTIVATE:
      FListBoxWindowProc(Message);
      Message.Result = MA_NOACTIVATE;
      return;
    default: FListBoxWindowProc(Message);
  }
}

void TQuarnCustomComboBox::ListBoxMouseMove(TObject*, TShiftState, Integer X, Integer Y) {
  const Integer index = FListBox->ItemAtPos(TPoint(X, Y), true);
  if (index >= 0 && index != FListBox->ItemIndex()) FListBox->SetItemIndex(index);
}

// ------------------------------------------------------------------- mouse

void TQuarnCustomComboBox::MouseDown(TMouseButton AButton, TShiftState Shift, Integer X, Integer Y) {
  TQuarnBorderPanel::MouseDown(AButton, Shift, X, Y);
  if (!FEdit && !Focused() && CanFocus()) SetFocus();
  const TPoint p(X, Y);
  if (PtInRect(Button.R, p)) Button.MouseIn = true;
  if (AButton == mbLeft && (Button.MouseIn || (!FEdit && PtInRect(FCBItem.R, p)))) {
    Button.Down = true;
    Invalidate();
    if (!FDropDown) {
      WasInLB = false;
      FLBDown = true;
      DropDown();
    } else {
      CloseUp(false);
    }
  } else if (AButton == mbLeft && FDropDown) {
    CloseUp(false);
  }
}

void TQuarnCustomComboBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TQuarnBorderPanel::MouseMove(Shift, X, Y);
  if (!FLBDown) {
    const bool in = PtInRect(Button.R, TPoint(X, Y));
    if (in != Button.MouseIn) {
      Button.MouseIn = in;
      Invalidate();
    }
    return;
  }
  if (!FDropDown) return;
  TQnListBox* inner = FListBox->ListBox;
  const TPoint p = inner->ScreenToClient(ClientToScreen(TPoint(X, Y)));
  if (p.Y < 0) {
    if (FListBox->ScrollBar && WasInLB) StartAutoScroll(1);
  } else if (p.Y > inner->Height()) {
    if (FListBox->ScrollBar && WasInLB) StartAutoScroll(2);
  } else {
    StopAutoScroll();
    const Integer index = inner->ItemAtPos(TPoint(1, p.Y), true);
    if (index >= 0 && index != FListBox->ItemIndex()) FListBox->SetItemIndex(index);
    WasInLB = true;
  }
}

void TQuarnCustomComboBox::MouseUp(TMouseButton AButton, TShiftState Shift, Integer X, Integer Y) {
  if (FLBDown && WasInLB) {
    if (FSetCapture) {
      FSetCapture = false;
      ReleaseCapture();
    }
    FLBDown = false;
    POINT cursor;
    GetCursorPos(&cursor);
    const bool overList = FListBox->ListBox->HandleAllocated() && WindowFromPoint(cursor) == InnerListHandle();
    CloseUp(overList);
  } else {
    FLBDown = false;
  }
  StopAutoScroll();
  TQuarnBorderPanel::MouseUp(AButton, Shift, X, Y);
  if (Button.Down) {
    Button.Down = false;
    Invalidate();
  }
}

// -------------------------------------------------------------------- keys

void TQuarnCustomComboBox::KeyDown(Word& Key, TShiftState Shift) {
  TQuarnBorderPanel::KeyDown(Key, Shift);
  if (FEdit) return;
  if (ListKey(Key, false)) return;
  const Integer count = Items()->Count();
  const Integer index = FListBox->ItemIndex();
  const bool alt = Shift.Contains(ssAlt);
  switch (Key) {
    case VK_LEFT:
    case VK_UP:
      if (alt) {
        if (FDropDown) CloseUp(false);
      } else if (index > 0) {
        SetItemIndex(index - 1);
      }
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (alt) {
        if (!FDropDown) DropDown();
      } else if (index + 1 < count) {
        SetItemIndex(index + 1);
      }
      break;
    default: break;
  }
}

bool TQuarnCustomComboBox::ListKey(Word Key, bool Highlight) {
  switch (Key) {
    case VK_RETURN:
    case VK_ESCAPE:
      if (FDropDown) CloseUp(Key == VK_RETURN);
      return true;
    case VK_PRIOR:
    case VK_NEXT: {
      const Integer count = Items()->Count(), index = FListBox->ItemIndex();
      if (count == 0 || (Highlight && !FDropDown)) return true;
      const Integer to = Key == VK_PRIOR ? std::max(0, index - FDropDownCount - 1)
                                         : std::min(count - 1, index + FDropDownCount - 1);
      if (Highlight) MoveListSelection(to);
      else SetItemIndex(to);
      return true;
    }
    default: return false;
  }
}

void TQuarnCustomComboBox::KeyPress(Char& Key) {
  TQuarnBorderPanel::KeyPress(Key);
  if (FEdit || Key < u' ') return;
  const Cardinal now = GetTickCount();
  String search;
  if (FAutoComplete) {
    // Unsigned: the difference stays right across the tick counter's wrap.
    if (now - FLastTime >= TypeAheadPause) FFilter.clear();
    FFilter += Key;
    search = FFilter;
  } else {
    search = String(1, Key);
  }
  FLastTime = now;
  const WPARAM from = search.size() == 1 ? WPARAM(ItemIndex()) : WPARAM(-1);
  const auto found = SendMessageW(InnerListHandle(), LB_FINDSTRING, from, reinterpret_cast<LPARAM>(search.c_str()));
  if (found != LB_ERR) SetItemIndex(Integer(found));
}

// ---------------------------------------------------------------- painting

void TQuarnCustomComboBox::DrawBody(TBitmap32* Buffer) {
  TQuarnBorderPanel::DrawBody(Buffer);
  const TQnResID& id = Button.MouseIn ? FDropArrowHot : FDropArrowNormal;
  if (TQuarnImage* arrow = id.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(id))
    arrow->DrawTo(Buffer, Button.R.Left + (Button.R.Width() - arrow->Width()) / 2,
                  Button.R.Top + (Button.R.Height() - arrow->Height()) / 2);
  if (FEdit) return;

  const Integer w = FCBItem.R.Width(), h = FCBItem.R.Height() - 2;
  if (w <= 0 || h <= 0) return;
  auto face = std::make_unique<TBitmap32>();
  face->SetSize(w, h);
  TCanvas* canvas = face->Canvas();
  canvas->Font()->Assign(Font());
  const bool focused = Focused();
  TColor back = Color(), fore = Font()->Color();
  if (focused && Alpha() > 0) {
    back = FMenuItemSeletedColor;
    fore = FMenuItemSeletedFontColor;
  }
  if (Alpha() > 0) face->Clear(Color32(ColorToRGB(back)));
  else Buffer->DrawTo(face.get(), 0, 0, FCBItem.R);
  canvas->Font()->SetColor(fore);
  const Integer index = FDropDown ? FOldItemIndex : FListBox->ItemIndex();
  FCBItem.State = focused ? TOwnerDrawState{odFocused} : TOwnerDrawState{};
  if (index >= 0 && index < Items()->Count()) {
    const TRect r(0, 0, w, h);
    if (FOnComboBoxDrawItem) {
      FOnComboBoxDrawItem(this, canvas, index, w, h, r, FCBItem.State);
    } else {
      canvas->Brush()->SetStyle(TBrushStyle::bsClear);
      const String text = Items()->Strings(index);
      canvas->TextOut(2, (h - canvas->TextHeight(text)) / 2, text);
    }
  }
  // GDI leaves the alpha of what it drew at 0; the face is opaque.
  TColor32* bits = face->Bits();
  for (Integer i = 0, n = w * h; i < n; ++i)
    if ((bits[i] >> 24) == 0) bits[i] |= 0xFF000000u;
  face->DrawTo(Buffer, FCBItem.R.Left, FCBItem.R.Top);
}

// ------------------------------------------------------- focus and hover

void TQuarnCustomComboBox::UpdateFrame(bool Over, bool Value) { TQuarnBorderPanel::UpdateFrame(Over, Value); }

void TQuarnCustomComboBox::WMSetFocus(TMessage& Message) {
  if (FEdit) {
    if (FEdit->CanFocus()) FEdit->SetFocus();
    return;
  }
  TQuarnBorderPanel::Dispatch(Message);
  Invalidate();
}

void TQuarnCustomComboBox::WMKillFocus(TMessage& Message) {
  TQuarnBorderPanel::Dispatch(Message);
  if (!FEdit && FDropDown) CloseUp(false);
  Invalidate();
  UpdateFrame(true, false);
}

void TQuarnCustomComboBox::CMMouseLeave(TMessage& Message) {
  TQuarnBorderPanel::Dispatch(Message);
  if (Designing()) return;
  FMouseIn = false;
  if (Button.MouseIn) {
    Button.MouseIn = false;
    Invalidate();
  }
  if (FEdit ? !FEdit->Focused() && !FMouseInEdit : !Focused()) UpdateFrame(true, false);
}

void TQuarnCustomComboBox::CMCancelMode(TMessage& Message) {
  TQuarnBorderPanel::Dispatch(Message);
  if (FDropDown && !IsOwnPart(MessageControl(Message))) CloseUp(false);
}

void TQuarnCustomComboBox::CMEnabledChanged(TMessage& Message) {
  TQuarnBorderPanel::Dispatch(Message);
  if (Designing()) return;
  if (!Enabled()) {
    FOldFontColor = Font()->Color() == DisabledFontColor ? clBlack : Font()->Color();
    Font()->SetColor(DisabledFontColor);
  } else {
    Font()->SetColor(FOldFontColor);
  }
  if (FEdit) FEdit->Font()->SetColor(Font()->Color());
  Invalidate();
}

void TQuarnCustomComboBox::CMFontChanged(TMessage& Message) {
  TQuarnBorderPanel::Dispatch(Message);
  if (FStyle == csDropDown && FEdit) RenewEditor();
}

void TQuarnCustomComboBox::CMTextChanged(TMessage& Message) {
  TQuarnBorderPanel::Dispatch(Message);
  if (FEdit && !FromEdit) FEdit->SetText(Text());
  if (FOnChange) FOnChange(this);
  if (FromEdit) Change();
}

void TQuarnCustomComboBox::WMMouseWheel(TMessage& Message) {
  if (FEdit) {
    TQuarnBorderPanel::Dispatch(Message);
    return;
  }
  const bool down = static_cast<SmallInt>(HIWORD(Message.WParam)) < 0;
  const Integer index = FListBox->ItemIndex();
  const Integer next = down ? index + 1 : index - 1;
  Message.Result = 1;
  if (next < 0 || next >= Items()->Count()) return;
  if (FDropDown) MoveListSelection(next);
  else SetItemIndex(next);
}

void TQuarnCustomComboBox::Dispatch(TMessage& Message) {
  if (!FListBox) {
    TQuarnBorderPanel::Dispatch(Message);
    return;
  }
  switch (Message.Msg) {
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_KILLFOCUS: WMKillFocus(Message); return;
    case WM_SIZE:
      TQuarnBorderPanel::Dispatch(Message);
      CalcRects();
      return;
    case WM_TIMER: WMTimer(Message); return;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); return;
    case CM_TEXTCHANGED: CMTextChanged(Message); return;
    case CM_MOUSEENTER:
      TQuarnBorderPanel::Dispatch(Message);
      if (!Designing()) FMouseIn = true;
      return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case CM_CANCELMODE: CMCancelMode(Message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
    case CM_WANTSPECIALKEY:
      switch (Message.WParam) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: Message.Result = 1; return;
        default: TQuarnBorderPanel::Dispatch(Message); return;
      }
    case CM_FONTCHANGED: CMFontChanged(Message); return;
    default: TQuarnBorderPanel::Dispatch(Message);
  }
}

// ============================================================ colour combo

TQuarnColorComboBox::TQuarnColorComboBox(TComponent* AOwner) : TQuarnCustomComboBox(AOwner) {
  SetStyle(csDropDownList);
  SetOnListBoxDrawItem(TQnDrawSkinItemEvent(this, &TQuarnColorComboBox::DrawColorItem));
  SetOnComboBoxDrawItem(TQnDrawSkinItemEvent(this, &TQuarnColorComboBox::DrawColorItem));
  SetOnCloseUp(TNotifyEvent(this, &TQuarnColorComboBox::CustomColorCheck));
}

String QnPrettyColorName(const String& Name) {
  String s = Name.rfind(u"cl", 0) == 0 ? Name.substr(2) : Name;
  String out;
  for (Char c : s) {
    if (c >= u'A' && c <= u'Z' && !out.empty()) out += u' ';
    out += c;
  }
  return out;
}

bool TQuarnColorComboBox::HasCustomEntry() {
  return FExStyle.Contains(qncbCustomColor) && Items()->Count() > 0;
}

TColor TQuarnColorComboBox::GetColor(Integer Index) {
  if (Index < 0 || Index >= Items()->Count()) return QnNoColor;
  return ObjectColor(Items()->Objects(Index));
}

TColor TQuarnColorComboBox::Selected() {
  if (!Designing() && HandleAllocated()) {
    const Integer index = ItemIndex();
    return index == -1 ? QnNoColor : GetColor(index);
  }
  return FSelectedColor;
}

void TQuarnColorComboBox::SetSelected(TColor Value) {
  if (HandleAllocated()) {
    Integer index = -1;
    for (Integer i = 0; i < Items()->Count(); ++i)
      if (GetColor(i) == Value) {
        index = i;
        break;
      }
    if (index == -1 && HasCustomEntry() && Value != QnNoColor) {
      index = Items()->Count() - 1;
      Items()->SetObjects(index, ColorObject(Value));
    }
    SetItemIndex(index);
  }
  FSelectedColor = Value;
}

void TQuarnColorComboBox::SetExStyle(TQnColorBoxStyles Value) {
  FExStyle = Value;
  SetEnabled(Value.Contains(qncbStandardColors) || Value.Contains(qncbExtendedColors) ||
             Value.Contains(qncbSystemColors) || Value.Contains(qncbCustomColor));
  PopulateList();
  if (Items()->Count() > 0 && ItemIndex() == -1) SetItemIndex(0);
}

void TQuarnColorComboBox::PopulateList() {
  if (!HandleAllocated()) return;
  TStrings* items = Items();
  items->BeginUpdate();
  // Only a custom entry hands its colour on: the last colour of a list that
  // had none is not a custom colour.
  const Integer last = items->Count() - 1;
  const TColor custom =
      HasCustomEntry() && items->Strings(last) == QnCustomColorCaption ? GetColor(last) : clBlack;
  const TColor sel = FSelectedColor;
  items->Clear();
  const bool pretty = FExStyle.Contains(qncbPrettyNames);
  GetColorValues([&](const String& Name) {
    Integer color = 0;
    if (!IdentToColor(Name, color)) return;
    items->AddObject(pretty ? QnPrettyColorName(Name) : Name, ColorObject(color));
  });
  const auto removeColor = [&](TColor Color) {
    const Integer i = items->IndexOfObject(ColorObject(Color));
    if (i >= 0) items->Delete(i);
  };
  const auto removeRange = [&](Integer From, Integer To) {
    for (Integer i = std::min(To, items->Count() - 1); i >= From; --i) items->Delete(i);
  };
  if (!FExStyle.Contains(qncbIncludeNone)) removeColor(clNone);
  if (!FExStyle.Contains(qncbIncludeDefault)) removeColor(clDefault);
  if (!FExStyle.Contains(qncbSystemColors)) removeRange(20, items->Count() - 1);
  if (!FExStyle.Contains(qncbExtendedColors)) removeRange(16, 19);
  if (!FExStyle.Contains(qncbStandardColors)) removeRange(0, 15);
  if (FExStyle.Contains(qncbCustomColor)) items->AddObject(QnCustomColorCaption, ColorObject(custom));
  SetSelected(sel);
  items->EndUpdate();
}

void TQuarnColorComboBox::Loaded() {
  TQuarnCustomComboBox::Loaded();
  // A list already filled while loading ends with its custom entry.
  const Integer n = Items()->Count();
  if (FExStyle.Contains(qncbCustomColor) && (n == 0 || Items()->Strings(n - 1) != QnCustomColorCaption))
    Items()->AddObject(QnCustomColorCaption, ColorObject(clBlack));
}

void TQuarnColorComboBox::CreateWnd() {
  TQuarnCustomComboBox::CreateWnd();
  PopulateList();
}

void TQuarnColorComboBox::KeyDown(Word& Key, TShiftState Shift) {
  // With the list open Enter closes it accepting, and the close runs the
  // dialog; taking the key here would open the dialog over an open list.
  if (Key == VK_RETURN && !FDropDown && HasCustomEntry() && ItemIndex() == Items()->Count() - 1) {
    PickCustomColor();
    Key = 0;
  }
  TQuarnCustomComboBox::KeyDown(Key, Shift);
}

void TQuarnColorComboBox::CustomColorCheck(TObject* Sender) {
  if (Sender && HasCustomEntry() && ItemIndex() == Items()->Count() - 1) PickCustomColor();
}

void TQuarnColorComboBox::PickCustomColor() {
  if (!HasCustomEntry()) return;
  const Integer last = Items()->Count() - 1;
  auto dialog = std::make_unique<TColorDialog>(this);
  dialog->SetOptions(TColorDialogOptions{cdFullOpen});
  dialog->SetColor(ColorToRGB(GetColor(last)));
  if (!dialog->Execute()) return;
  Items()->SetObjects(last, ColorObject(dialog->Color()));
  Invalidate();
  FireClick();
  if (FOnChange) FOnChange(this);
}

void TQuarnColorComboBox::DrawColorItem(TObject* Sender, TCanvas* Canvas, Integer Index, Integer, Integer,
                                        TRect Rect, TOwnerDrawState) {
  if (Designing()) return;
  const bool custom = FExStyle.Contains(qncbCustomColor) && Index == Items()->Count() - 1;
  const Integer l = Rect.Left, t = Rect.Top, r = Rect.Right, b = Rect.Bottom, h = Rect.Height();
  TRect swatch;
  if (Sender == FListBox->ListBox) swatch = custom ? TRect(l - 1, t + 1, l + h - 1, b - 1) : TRect(l - 1, t + 1, r + 1, b - 1);
  else swatch = TRect(l + 1, t + 1, r - 1, b - 1);
  Canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  Canvas->Brush()->SetColor(GetColor(Index));
  Canvas->FillRect(swatch);
  Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  if (!custom) return;
  const TRect text(l + swatch.Width() + 5, t, r - 2, b);
  const String caption = Items()->Strings(Items()->Count() - 1);
  Integer y = text.Top + text.Height() / 2 - Canvas->TextHeight(caption) / 2;
  if (Canvas->Font()->Height() % 2 != 0) --y;
  Canvas->TextRect(text, text.Left + 2, y, caption);
}

void InitQuarnComboBox() {
  RegisterClasses(
      {TQuarnCustomComboBox::StaticClass(), TQuarnComboBox::StaticClass(), TQuarnColorComboBox::StaticClass()});
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnComboBox)
QN_PUBLISHED_IMPL(qn::TQuarnColorComboBox)
