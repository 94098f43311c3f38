// TCustomComboBox over the window server's combo box.
#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/user/ComboBox.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/StdCtrlsInternal.h"

namespace vcl {

namespace {
LRESULT CB(TCustomComboBox* c, UINT msg, WPARAM wp, LPARAM lp) { return c->Perform(msg, wp, lp); }
}  // namespace

// ---------------------------------------------------------------------------
// TComboBoxStrings

Integer TComboBoxStrings::GetCount() {
  if (!ComboBox->HandleAllocated()) return ComboBox->FSaveItems->Count();
  return Integer(CB(ComboBox, CB_GETCOUNT, 0, 0));
}

String TComboBoxStrings::Get(Integer Index) {
  if (!ComboBox->HandleAllocated()) return ComboBox->FSaveItems->Strings(Index);
  LRESULT len = CB(ComboBox, CB_GETLBTEXTLEN, WPARAM(Index), 0);
  if (len < 0) Error(u"List index out of bounds (%d)", Index);
  String s(size_t(len) + 1, u'\0');
  LRESULT n = CB(ComboBox, CB_GETLBTEXT, WPARAM(Index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(size_t(std::max<LRESULT>(0, std::min(n, len))));
  return s;
}

Integer TComboBoxStrings::IndexOf(const String& S) {
  if (!ComboBox->HandleAllocated()) return ComboBox->FSaveItems->IndexOf(S);
  return Integer(CB(ComboBox, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

TObject* TComboBoxStrings::GetObject(Integer Index) {
  if (!ComboBox->HandleAllocated()) return ComboBox->FSaveItems->Objects(Index);
  LRESULT d = CB(ComboBox, CB_GETITEMDATA, WPARAM(Index), 0);
  if (d == CB_ERR && (Index < 0 || Index >= GetCount())) Error(u"List index out of bounds (%d)", Index);
  return reinterpret_cast<TObject*>(d);
}

void TComboBoxStrings::PutObject(Integer Index, TObject* AObject) {
  if (!ComboBox->HandleAllocated()) {
    ComboBox->FSaveItems->SetObjects(Index, AObject);
    return;
  }
  if (CB(ComboBox, CB_SETITEMDATA, WPARAM(Index), reinterpret_cast<LPARAM>(AObject)) == CB_ERR)
    Error(u"List index out of bounds (%d)", Index);
}

Integer TComboBoxStrings::Add(const String& S) {
  if (!ComboBox->HandleAllocated()) {
    if (ComboBox->FSorted) {
      // Kept in the order the window will give them.
      Integer at = 0;
      while (at < ComboBox->FSaveItems->Count() && AnsiCompareText(ComboBox->FSaveItems->Strings(at), S) <= 0) ++at;
      ComboBox->FSaveItems->Insert(at, S);
      return at;
    }
    return ComboBox->FSaveItems->Add(S);
  }
  LRESULT r = CB(ComboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (r < 0) throw EOutOfResources(u"Insufficient memory for this operation");
  return Integer(r);
}

void TComboBoxStrings::Insert(Integer Index, const String& S) {
  if (!ComboBox->HandleAllocated()) {
    ComboBox->FSaveItems->Insert(Index, S);
    return;
  }
  if (CB(ComboBox, CB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
    Error(u"List index out of bounds (%d)", Index);
}

void TComboBoxStrings::Delete(Integer Index) {
  if (!ComboBox->HandleAllocated()) {
    ComboBox->FSaveItems->Delete(Index);
    return;
  }
  if (CB(ComboBox, CB_DELETESTRING, WPARAM(Index), 0) == CB_ERR) Error(u"List index out of bounds (%d)", Index);
}

void TComboBoxStrings::Clear() {
  if (!ComboBox->HandleAllocated()) {
    ComboBox->FSaveItems->Clear();
    return;
  }
  String text = ComboBox->Text();
  CB(ComboBox, CB_RESETCONTENT, 0, 0);
  // A typed text outlives the items.
  if (ComboBox->Style() == TComboBoxStyle::csDropDown || ComboBox->Style() == TComboBoxStyle::csSimple)
    ComboBox->SetText(text);
}

void TComboBoxStrings::Put(Integer Index, const String& S) {
  if (!ComboBox->HandleAllocated()) {
    ComboBox->FSaveItems->SetStrings(Index, S);
    return;
  }
  Integer sel = ComboBox->ItemIndex();
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
  if (sel == Index) ComboBox->SetItemIndex(Index);
}

void TComboBoxStrings::SetUpdateState(bool Updating) {
  if (!ComboBox->HandleAllocated()) return;
  CB(ComboBox, WM_SETREDRAW, Updating ? 0 : 1, 0);
  if (!Updating) ComboBox->Invalidate();
}

// ---------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FItems = std::make_unique<TComboBoxStrings>(this);
  FSaveItems = std::make_unique<TStringList>();
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
}

TCustomComboBox::~TCustomComboBox() { FCanvas->FreeHandle(); }

bool TCustomComboBox::OwnerDraw() const {
  return FStyle == TComboBoxStyle::csOwnerDrawFixed || FStyle == TComboBoxStyle::csOwnerDrawVariable;
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, WC_COMBOBOX);
  static const DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                                 CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE};
  static const DWORD cases[] = {0, CBS_UPPERCASE, CBS_LOWERCASE};
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | styles[size_t(FStyle)] | cases[size_t(FCharCase)];
  if (FSorted) Params.Style |= CBS_SORT;
}

void TCustomComboBox::CreateWnd() {
  // The text set before the window is the edit's first text.
  String text = Text();
  inherited::CreateWnd();
  HWND h = WindowHandle();
  SendMessageW(h, CB_SETMINVISIBLE, WPARAM(FDropDownCount), 0);
  if (FStyle != TComboBoxStyle::csDropDown && FStyle != TComboBoxStyle::csSimple)
    SendMessageW(h, CB_SETITEMHEIGHT, 0, FItemHeight);
  if (FMaxLength > 0) SendMessageW(h, CB_LIMITTEXT, WPARAM(FMaxLength), 0);
  if (FSaveItems->Count() > 0) {
    TStringList saved;
    saved.Assign(FSaveItems.get());
    FSaveItems->Clear();
    for (Integer i = 0; i < saved.Count(); ++i) FItems->AddObject(saved.Strings(i), saved.Objects(i));
  }
  FSaveItems->Clear();
  if (FSaveIndex >= 0) {
    SendMessageW(h, CB_SETCURSEL, WPARAM(FSaveIndex < FItems->Count() ? FSaveIndex : -1), 0);
    FSaveIndex = -1;
  } else if (!text.empty() && (FStyle == TComboBoxStyle::csDropDown || FStyle == TComboBoxStyle::csSimple)) {
    SetWindowTextW(h, text.c_str());
  }
}

void TCustomComboBox::DestroyWnd() {
  HWND h = WindowHandle();
  FSaveIndex = Integer(SendMessageW(h, CB_GETCURSEL, 0, 0));
  Integer n = Integer(SendMessageW(h, CB_GETCOUNT, 0, 0));
  TStringList items;
  for (Integer i = 0; i < n; ++i) items.AddObject(FItems->Strings(i), FItems->Objects(i));
  inherited::DestroyWnd();
  FSaveItems->Assign(&items);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  RecreateWnd();
}

void TCustomComboBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (Value && !HandleAllocated()) FSaveItems->Sort();
  RecreateWnd();
}

void TCustomComboBox::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomComboBox::SetDropDownCount(Integer Value) {
  if (Value < 1) throw EInvalidOperation(u"DropDownCount must be at least 1");
  FDropDownCount = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETMINVISIBLE, WPARAM(Value), 0);
}

void TCustomComboBox::SetMaxLength(Integer Value) {
  FMaxLength = std::max<Integer>(0, Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_LIMITTEXT, WPARAM(FMaxLength), 0);
}

Integer TCustomComboBox::ItemIndex() {
  if (!HandleAllocated()) return FSaveIndex;
  return Integer(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(Integer Value) {
  if (!HandleAllocated()) {
    // A form file may give the index before the items: it is taken as it
    // is then and checked when the window is made.
    if (ComponentState().Contains(csLoading)) {
      FSaveIndex = std::max<Integer>(-1, Value);
      return;
    }
    if (Value < -1 || Value >= FSaveItems->Count()) Value = -1;
    FSaveIndex = Value;
    TControl::SetText(Value >= 0 ? FSaveItems->Strings(Value) : String());
    return;
  }
  if (ItemIndex() == Value) return;
  SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(Value), 0);
}

Integer TCustomComboBox::ItemHeight() {
  if (HandleAllocated() && !OwnerDraw()) return Integer(SendMessageW(WindowHandle(), CB_GETITEMHEIGHT, 0, 0));
  return FItemHeight;
}

void TCustomComboBox::SetItemHeight(Integer Value) {
  if (Value <= 0) return;
  FItemHeight = Value;
  if (HandleAllocated() && FStyle != TComboBoxStyle::csDropDown && FStyle != TComboBoxStyle::csSimple)
    SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, 0, Value);
}

bool TCustomComboBox::DroppedDown() {
  return HandleAllocated() && SendMessageW(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool Value) {
  if (Value && !HandleAllocated()) HandleNeeded();
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SHOWDROPDOWN, Value ? 1 : 0, 0);
}

HWND TCustomComboBox::EditHandle() {
  COMBOBOXINFO ci;
  if (!HandleAllocated() || !GetComboBoxInfo(WindowHandle(), &ci)) return nullptr;
  return ci.hwndItem;
}

HWND TCustomComboBox::ListHandle() {
  COMBOBOXINFO ci;
  if (!HandleAllocated() || !GetComboBoxInfo(WindowHandle(), &ci)) return nullptr;
  return ci.hwndList;
}

Integer TCustomComboBox::SelStart() {
  if (!HandleAllocated()) return 0;
  DWORD s = 0;
  SendMessageW(WindowHandle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), 0);
  return Integer(s);
}

void TCustomComboBox::SetSelStart(Integer Value) {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(Value, Value));
}

Integer TCustomComboBox::SelLength() {
  if (!HandleAllocated()) return 0;
  DWORD s = 0, e = 0;
  SendMessageW(WindowHandle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  return Integer(e - s);
}

void TCustomComboBox::SetSelLength(Integer Value) {
  Integer s = SelStart();
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(s, s + Value));
}

String TCustomComboBox::SelText() {
  String t = Text();
  Integer s = std::clamp<Integer>(SelStart(), 0, Integer(t.size()));
  return t.substr(size_t(s), size_t(std::clamp<Integer>(SelLength(), 0, Integer(t.size()) - s)));
}

void TCustomComboBox::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  SetText(String());
}

void TCustomComboBox::AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

void TCustomComboBox::Change() {
  inherited::Changed();
  if (FOnChange) FOnChange(this);
}

void TCustomComboBox::Select() {
  if (FOnSelect) FOnSelect(this);
}

void TCustomComboBox::DropDown() {
  if (FOnDropDown) FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (FOnCloseUp) FOnCloseUp(this);
}

void TCustomComboBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (FOnDrawItem) {
    FOnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index >= 0 && Index < FItems->Count()) FCanvas->TextOut(Rect.Left + 2, Rect.Top, FItems->Strings(Index));
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
  if (FOnMeasureItem) FOnMeasureItem(this, Index, Height);
}

void TCustomComboBox::CNCommand(TMessage& Message) {
  switch (HIWORD(Message.WParam)) {
    case CBN_SELCHANGE:
      Click();
      Change();
      Select();
      break;
    case CBN_EDITCHANGE: Change(); break;
    case CBN_DROPDOWN: DropDown(); break;
    case CBN_CLOSEUP: CloseUp(); break;
    default: break;
  }
}

void TCustomComboBox::CNDrawItem(TMessage& Message) {
  stdctrls_detail::OwnerDrawItem(FCanvas.get(), Font(), Brush(), Message,
                                 [this](Integer Index, TRect Rect, TOwnerDrawState State) { DrawItem(Index, Rect, State); });
}

void TCustomComboBox::CNMeasureItem(TMessage& Message) {
  auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  Integer h = FItemHeight;
  if (FStyle == TComboBoxStyle::csOwnerDrawVariable && Integer(mi->itemID) >= 0) MeasureItem(Integer(mi->itemID), h);
  mi->itemHeight = UINT(std::max<Integer>(1, h));
  Message.Result = 1;
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); return;
    case CN_DRAWITEM: CNDrawItem(Message); return;
    case CN_MEASUREITEM: CNMeasureItem(Message); return;
    default: break;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TComboBox)
