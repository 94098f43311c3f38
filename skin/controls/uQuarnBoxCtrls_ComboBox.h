// The skinned combo box: a border-panel frame with a drop arrow, a
// library-drawn edit in the csDropDown style, and the pop-up list of the list
// box unit as its drop-down. The combo owns neither the edit's nor the inner
// list's message procedure, so it steers both through hooks of their window
// procedures: it swallows the list's presses, keeps the mouse captured while
// a press is being tracked across the list, and keeps the form's activation.
// The colour combo box lists the platform's named colours in the list style.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/Dialogs.h"
#include "skin/controls/uQuarnBoxCtrls_ListBox.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

class TQuarnCustomComboBox : public TQuarnBorderPanel, public IQnPopupListColors {
  QN_CLASS_CREATE(TQuarnCustomComboBox, TQuarnBorderPanel, TComponent)
 public:
  explicit TQuarnCustomComboBox(TComponent* AOwner);
  ~TQuarnCustomComboBox() override;
  void BeforeDestruction() override;

  // ---- virtual slots, in this order
  virtual void ShowEditor();
  virtual void Change() {}
  virtual void DropDown();

  // ---- items, values and selection
  TStrings* Items() const { return FListBox->Items(); }
  void SetItems(TStrings* Value) { FListBox->SetItems(Value); }
  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  TStrings* Values() const { return FValues.get(); }
  void SetValues(TStrings* Value) { FValues->Assign(Value); }
  String Value();
  void SetValue(const String& Value);
  void AddItemValue(const String& Item, const String& Value);
  void InsertItemValue(Integer Index, const String& Item, const String& Value);
  void DeleteItemValue(Integer Index);
  void ClearItemsValues();
  String GetItemValue(Integer Index);

  // ---- editor
  TQuarnCustomComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TQuarnCustomComboBoxStyle Value);
  void HideEditor();
  TQuarnEdit* Edit() const { return FEdit; }
  Integer SelStart() const { return FEdit ? FEdit->SelStart() : 0; }
  void SetSelStart(Integer Value) {
    if (FEdit) FEdit->SetSelStart(Value);
  }
  Integer SelLength() const { return FEdit ? FEdit->SelLength() : 0; }
  void SetSelLength(Integer Value) {
    if (FEdit) FEdit->SetSelLength(Value);
  }
  // The combo's tab stop belongs to the editor while there is one.
  bool ComboTabStop() const { return FEdit && !Designing() ? FEdit->TabStop() : TabStop(); }
  void SetComboTabStop(bool Value);

  // ---- the list
  TQnPopupListBox* ListBox() const { return FListBox; }
  bool IsPopupVisible() const { return FListBox->Visible(); }
  bool CanCancelDropDown();
  void CloseUp(bool Accept);
  void ListBoxDrawItem(TObject* Sender, TCanvas* Cnvs, Integer Index, Integer ItemWidth, Integer ItemHeight,
                       TRect TxtRect, TOwnerDrawState State);
  void CalcRects();
  void AdjustEditPos();
  void EditUp(bool Select);
  void EditDown(bool Select);

  // ---- published
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  // Stored only; the list takes it when it opens.
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value) { FItemHeight = Value; }
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer Value) {
    if (Value >= 1) FDropDownCount = Value;
  }
  // 0: the combo's width.
  Integer ListBoxWidth() const { return FListBoxWidth; }
  void SetListBoxWidth(Integer Value) { FListBoxWidth = std::max(0, Value); }
  TQnResID DropArrowHot() const { return FDropArrowHot; }
  void SetDropArrowHot(const TQnResID& Value);
  TQnResID DropArrowNormal() const { return FDropArrowNormal; }
  void SetDropArrowNormal(const TQnResID& Value);
  bool IsDropArrowHotStored() const { return FDropArrowHot != u"QuarnDrop_arrow_hot"; }
  bool IsDropArrowNormalStored() const { return FDropArrowNormal != u"QuarnDrop_arrow_normal"; }
  TColor MenuFrameColor() const override { return FMenuFrameColor; }
  void SetMenuFrameColor(TColor Value) { FMenuFrameColor = Value; }
  TColor MenuItemSeletedColor() const override { return FMenuItemSeletedColor; }
  void SetMenuItemSeletedColor(TColor Value) { FMenuItemSeletedColor = Value; }
  TColor MenuItemBackgroudColor() const override { return FMenuItemBackgroudColor; }
  void SetMenuItemBackgroudColor(TColor Value) { FMenuItemBackgroudColor = Value; }
  TColor MenuItemSeletedFontColor() const override { return FMenuItemSeletedFontColor; }
  void SetMenuItemSeletedFontColor(TColor Value) { FMenuItemSeletedFontColor = Value; }
  TColor MenuItemNormalFontColor() const override { return FMenuItemNormalFontColor; }
  void SetMenuItemNormalFontColor(TColor Value) { FMenuItemNormalFontColor = Value; }
  // The list's rows are drawn by this handler with the inner list box as
  // Sender; ListBoxDrawItem fires it with the combo instead.
  const TQnDrawSkinItemEvent& OnListBoxDrawItem() const { return FListBox->OnDrawItem(); }
  void SetOnListBoxDrawItem(const TQnDrawSkinItemEvent& Value) { FListBox->SetOnDrawItem(Value); }
  const TQnDrawSkinItemEvent& OnComboBoxDrawItem() const { return FOnComboBoxDrawItem; }
  void SetOnComboBoxDrawItem(const TQnDrawSkinItemEvent& Value) { FOnComboBoxDrawItem = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }
  const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(const TNotifyEvent& Value) { FOnDropDown = Value; }

  // Read by tests and by painting: the drop button and the face item.
  const TQnCBButtonX& DropButton() const { return Button; }
  const TQnCBItem& FaceItem() const { return FCBItem; }
  bool Dropped() const { return FDropDown; }

  void Dispatch(TMessage& Message) override;
  void UpdateFrame(bool Over, bool Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void Loaded() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton AButton, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton AButton, TShiftState Shift, Integer X, Integer Y) override;
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMTimer(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMCancelMode(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);

  // The hooked procedures of the inner list and the editor.
  void ListBoxWindowProc(TMessage& Message);
  void EditWindowProc(TMessage& Message);
  void ListBoxMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void ListBoxCheckButtonClick(TObject* Sender) { CloseUp(true); }
  void EditChange(TObject* Sender);
  void EditDblClick(TObject* Sender);
  void EditKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void EditKeyPress(TObject* Sender, Char& Key);
  void EditKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void ValuesChange(TObject* Sender);
  // Key release in the editor: clears its selection, lets it see the key and
  // completes the typed text from the list.
  void CompletionStep(TMessage& Message);
  bool WideCharset() const;
  // Whether the control is the combo, its list or a part of the list.
  bool IsOwnPart(TControl* Control) const;
  // Enter and Escape end an open list; Page Up and Page Down step a page:
  // the open list's highlight only (Highlight), else the selection. False
  // for any other key.
  bool ListKey(Word Key, bool Highlight);
  void StartAutoScroll(Integer Mode);
  void StopAutoScroll();
  void MoveListSelection(Integer Index);
  void FireClick() {
    if (OnClick()) OnClick()(this);
  }
  // The combo's font, text and place into the editor.
  void RenewEditor();
  HWND InnerListHandle() const;

  TQnPopupListBox* FListBox = nullptr;
  TQuarnEdit* FEdit = nullptr;
  TQuarnCustomComboBoxStyle FStyle = csDropDownList;
  TQnCBButtonX Button;
  TQnCBItem FCBItem;
  Integer FItemIndex = -1;
  Integer FOldItemIndex = -1;
  Integer FItemHeight = 20;
  Integer FDropDownCount = 8;
  Integer FListBoxWidth = 0;
  bool FDropDown = false;
  bool FLBDown = false;
  bool WasInLB = false;
  bool FSetCapture = false;
  Integer TimerMode = 0;
  bool FAutoComplete = true;
  String FFilter;
  Cardinal FLastTime = 0;
  bool FMouseIn = false;
  bool FMouseInEdit = false;
  bool FromEdit = false;
  std::unique_ptr<TStringList> FValues;
  String FValue;
  bool FInSetValue = false;
  bool FForceSetValue = false;
  TColor FOldFontColor = clBlack;
  TWndMethod FListBoxWindowProc;
  TWndMethod FEditWindowProc;

  TQnResID FDropArrowHot = u"QuarnDrop_arrow_hot";
  TQnResID FDropArrowNormal = u"QuarnDrop_arrow_normal";
  TColor FMenuFrameColor = static_cast<TColor>(0x00F9B937);
  TColor FMenuItemSeletedColor = clHighlight;
  TColor FMenuItemBackgroudColor = clWindow;
  TColor FMenuItemSeletedFontColor = clHighlightText;
  TColor FMenuItemNormalFontColor = clBlack;
  TQnDrawSkinItemEvent FOnComboBoxDrawItem;
  TNotifyEvent FOnChange, FOnCloseUp, FOnDropDown;

 private:
  // The list selection before the typed text moved it: a one-letter
  // completion steps on from there.
  Integer FTypedFrom = -1;
  bool FCompleted = false;
};

// The platform's usual control properties both published combos have.
#define QN_COMBO_CONTROL_PROPS(P)                                                                 \
  P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);                             \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);               \
  P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);           \
  P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);           \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);        \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);               \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                   \
  P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored)

class TQuarnComboBox : public TQuarnCustomComboBox {
  QN_CLASS_CREATE(TQuarnComboBox, TQuarnCustomComboBox, TComponent)
 public:
  explicit TQuarnComboBox(TComponent* AOwner) : TQuarnCustomComboBox(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnComboBox) {
    QN_PROP(AutoComplete).Default(true);
    P.Property(u"TabStop", &TQuarnCustomComboBox::ComboTabStop, &TQuarnCustomComboBox::SetComboTabStop)
        .Default(true);
    P.Property(u"Text", &TControl::Text, &TControl::SetText).TypeName(u"TCaption");
    QN_PROP(Items);
    QN_PROP(ItemIndex).Default(-1);
    QN_PROP(ItemHeight).Default(20);
    QN_PROP(DropDownCount).Default(8);
    QN_PROP(DropArrowHot).TypeName(u"TQnResID").Stored(&TQuarnCustomComboBox::IsDropArrowHotStored);
    QN_PROP(DropArrowNormal).TypeName(u"TQnResID").Stored(&TQuarnCustomComboBox::IsDropArrowNormalStored);
    QN_PROP(Values);
    QN_PROP(Style).Default(csDropDown);
    QN_PROP(MenuFrameColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00F9B937));
    QN_PROP(MenuItemSeletedColor).TypeName(u"TColor").Default(clHighlight);
    QN_PROP(MenuItemBackgroudColor).TypeName(u"TColor").Default(clWindow);
    QN_PROP(MenuItemSeletedFontColor).TypeName(u"TColor").Default(clHighlightText);
    QN_PROP(MenuItemNormalFontColor).TypeName(u"TColor").Default(clBlack);
    QN_PROP(OnListBoxDrawItem);
    QN_PROP(OnComboBoxDrawItem);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_PROP(OnCloseUp).TypeName(u"TNotifyEvent");
    QN_PROP(OnDropDown).TypeName(u"TNotifyEvent");
    QN_COMBO_CONTROL_PROPS(P);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
  }
};

// ------------------------------------------------------------ colour combo

// The text of the last entry while qncbCustomColor is set.
inline constexpr const char16_t* QnCustomColorCaption = u"Custom...";
// What Selected reads with nothing chosen.
inline constexpr TColor QnNoColor = static_cast<TColor>(0xFF000000);

class TQuarnColorComboBox : public TQuarnCustomComboBox {
  QN_CLASS_CREATE(TQuarnColorComboBox, TQuarnCustomComboBox, TComponent)
 public:
  explicit TQuarnColorComboBox(TComponent* AOwner);

  virtual void PickCustomColor();

  TQnColorBoxStyles ExStyle() const { return FExStyle; }
  void SetExStyle(TQnColorBoxStyles Value);
  TColor Selected();
  void SetSelected(TColor Value);
  // The colour of the item at Index; QnNoColor outside the list.
  TColor GetColor(Integer Index);
  void PopulateList();
  void DrawColorItem(TObject* Sender, TCanvas* Canvas, Integer Index, Integer ItemWidth, Integer ItemHeight,
                     TRect Rect, TOwnerDrawState State);

  QN_PUBLISHED_DECL(TQuarnColorComboBox) {
    QN_PROP(ExStyle).Default(TQnColorBoxStyles{qncbStandardColors});
    QN_PROP(Selected).TypeName(u"TColor").Default(clBlack);
    QN_PROP(AutoComplete).Default(true);
    QN_PROP(ItemIndex).Default(-1);
    QN_PROP(DropDownCount).Default(8);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_COMBO_CONTROL_PROPS(P);
  }

 protected:
  void Loaded() override;
  void CreateWnd() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void CustomColorCheck(TObject* Sender);
  bool HasCustomEntry();

  TQnColorBoxStyles FExStyle{qncbStandardColors};
  TColor FSelectedColor = clBlack;
};

// "MoneyGreen" from "clMoneyGreen": no "cl", a space before each capital
// that follows other text.
String QnPrettyColorName(const String& Name);

void InitQuarnComboBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
