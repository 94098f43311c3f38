// The StdCtrls unit of the host layer: the push button, the edit and memo
// over the window server's "EDIT" class, and the list box over "LISTBOX".
//
// The button draws itself (the window server has no native button class)
// and behaves as the platform's: a click on press and release inside, on
// Space, on Enter when it is the default (or focused) button, on Escape when
// it is the cancel button, and on its accelerator.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Strings.h"
#include "platform/user/Edit.h"
#include "platform/user/ListBox.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ExtCtrls.h"  // TAlignment
#include "platform/vcl/Forms.h"     // bsNone, bsSingle

namespace vcl {

// Orientation of a scroll bar.
enum class TScrollBarKind : Byte { sbHorizontal, sbVertical };
QN_ENUM_NAMES(TScrollBarKind, sbHorizontal, sbVertical)
using enum TScrollBarKind;

// How an owner-drawn item is to be drawn (list boxes, combo boxes, menus).
enum class TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
  odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
QN_ENUM_NAMES(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
              odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using enum TOwnerDrawStateItem;
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
QN_TYPE_NAME(TOwnerDrawState)

class TButton : public TCustomControl {
  QN_CLASS_CREATE(TButton, TCustomControl, TComponent)
 public:
  explicit TButton(TComponent* AOwner);

  // Enter clicks the default button unless another button has the focus.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Escape clicks the cancel button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Set on the parent form when clicked (ending its modal loop when not
  // mrNone).
  Integer ModalResult() const { return FModalResult; }
  void SetModalResult(Integer Value) { FModalResult = Value; }
  // Whether Enter clicks it now: it has the focus, or it is the default
  // button and no other button has the focus.
  bool Active() const { return FActive; }

  void Click() override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TButton) {
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    QN_PROP(Cancel).Default(false);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    QN_PROP(Default).Default(false);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(ModalResult).Default(0);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
  }

 protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  void SetPressed(bool Value);
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
  bool FPressed = false;    // drawn pushed in
  bool FSpaceDown = false;  // Space went down while focused
  bool FMouseDown = false;  // the left button went down on it
  Integer FModalResult = 0;
};

// ---------------------------------------------------------------------------
// Edit and memo

// An edit's border: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;

enum class TEditCharCase : Byte { ecNormal, ecUpperCase, ecLowerCase };
QN_ENUM_NAMES(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
using enum TEditCharCase;

enum class TScrollStyle : Byte { ssNone, ssHorizontal, ssVertical, ssBoth };
QN_ENUM_NAMES(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
// ssHorizontal is also a shift state, so that one stays qualified
// (TScrollStyle::ssHorizontal).
inline constexpr TScrollStyle ssNone = TScrollStyle::ssNone, ssVertical = TScrollStyle::ssVertical,
                              ssBoth = TScrollStyle::ssBoth;

// A text box over the native edit. Without a window the text is the
// control's own; the selection, undo and modified state live in the window.
class TCustomEdit : public TWinControl {
  QN_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  Char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(Char Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool NumbersOnly() const { return FNumbersOnly; }
  void SetNumbersOnly(bool Value);
  // Entering the control by the keyboard selects all its text (single line only).
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // bsSingle draws a sunken client edge with Ctl3D, a plain line without.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  bool Modified();
  void SetModified(bool Value);
  bool CanUndo();

  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  String SelText();
  void SetSelText(const String& Value);
  // Copies the selection and a terminator, at most BufSize characters in all.
  Integer GetSelTextBuf(Char* Buffer, Integer BufSize);

  virtual void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void ClearUndo();
  void SelectAll();

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  // Fires OnChange: after the native edit's EN_CHANGE, and straight from a
  // text change of a control without a window or of a multi-line edit.
  virtual void Change();
  bool Creating() const { return FCreating; }

 private:
  void CMEnter(TMessage& Message);
  Integer FMaxLength = 0;
  bool FReadOnly = false;
  Char FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FNumbersOnly = false;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  bool FCtl3D = true;
  bool FHideSelection = true;
  bool FOEMConvert = false;
  bool FModified = false;
  bool FCreating = false;
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
  QN_CLASS_CREATE(TEdit, TCustomEdit, TComponent)
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

  QN_PUBLISHED_DECL(TEdit) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    QN_PROP(AutoSelect).Default(true);
    P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(true);
    P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored);
    QN_PROP(BorderStyle).Default(bsSingle);
    QN_PROP(CharCase).Default(ecNormal);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clWindow);
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    QN_PROP(Ctl3D).Default(true);
    P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered).Default(false);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(HideSelection).Default(true);
    QN_PROP(MaxLength).Default(0);
    QN_PROP(NumbersOnly).Default(false);
    QN_PROP(OEMConvert).Default(false);
    P.Property(u"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    QN_PROP(PasswordChar).Default(0);
    QN_PROP(ReadOnly).Default(false);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Text", &TControl::Text, &TControl::SetText).TypeName(u"TCaption");
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(OnChange);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }
};

class TCustomMemo;

// A memo's Lines: the display lines of its window (EM_GETLINE, EM_LINEINDEX,
// EM_REPLACESEL), or of its text split at line breaks while it has none.
class TMemoStrings : public TStrings {
 public:
  explicit TMemoStrings(TCustomMemo* AMemo) : Memo(AMemo) {}
  void Insert(Integer Index, const String& S) override;
  void Delete(Integer Index) override;
  void Clear() override;
  void SetTextStr(const String& Value) override;
  String Get(Integer Index) override;
  void Put(Integer Index, const String& S) override;
  Integer GetCount() override;

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  // The line table of the window, or of the control's text.
  Integer LineCount();
  Integer LineIndex(Integer Line);  // -1 past the last line
  Integer LineLength(Integer Start);
  void ReplaceRange(Integer From, Integer To, const String& S);
  void CheckIndex(Integer Index, Integer Count);
  TCustomMemo* Memo;
};

class TCustomMemo : public TCustomEdit {
  QN_CLASS(TCustomMemo, TCustomEdit)
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  // Wrapping takes ES_AUTOHSCROLL away; a horizontal bar brings it back.
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  // The caret as X = column and Y = line (display lines).
  TPoint CaretPos();
  void SetCaretPos(const TPoint& Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(Char& Key) override;

 private:
  std::unique_ptr<TMemoStrings> FLines;
  TAlignment FAlignment = taLeftJustify;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
  QN_CLASS_CREATE(TMemo, TCustomMemo, TComponent)
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}

  QN_PUBLISHED_DECL(TMemo) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    QN_PROP(Alignment).Default(taLeftJustify);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored);
    QN_PROP(BorderStyle).Default(bsSingle);
    QN_PROP(CharCase).Default(ecNormal);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clWindow);
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    QN_PROP(Ctl3D).Default(true);
    P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered).Default(false);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(HideSelection).Default(true);
    QN_PROP(Lines);
    QN_PROP(MaxLength).Default(0);
    QN_PROP(OEMConvert).Default(false);
    P.Property(u"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    QN_PROP(ReadOnly).Default(false);
    QN_PROP(ScrollBars).Default(ssNone);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(WantReturns).Default(true);
    QN_PROP(WantTabs).Default(false);
    QN_PROP(WordWrap).Default(true);
    QN_PROP(OnChange);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }
};

// ---------------------------------------------------------------------------
// List box

enum class TListBoxStyle : Byte { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
QN_ENUM_NAMES(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw)
using enum TListBoxStyle;

using TDrawItemEvent = TEvent<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TLBGetDataEvent = TEvent<void(TWinControl* Control, Integer Index, String& Data)>;
using TLBGetDataObjectEvent = TEvent<void(TWinControl* Control, Integer Index, TObject*& DataObject)>;
using TLBFindDataEvent = TEvent<Integer(TWinControl* Control, String FindString)>;

class TCustomListBox;

// A list box's Items: LB_* messages through the control's window procedure
// (so a replaced WindowProc sees every one), a string list of the control's
// while it has no window.
class TListBoxStrings : public TStrings {
 public:
  explicit TListBoxStrings(TCustomListBox* AListBox) : ListBox(AListBox) {}
  Integer Add(const String& S) override;
  void Insert(Integer Index, const String& S) override;
  void Delete(Integer Index) override;
  void Clear() override;
  String Get(Integer Index) override;
  void Put(Integer Index, const String& S) override;
  TObject* GetObject(Integer Index) override;
  void PutObject(Integer Index, TObject* AObject) override;
  Integer GetCount() override;
  // A virtual list asks OnDataFind.
  Integer IndexOf(const String& S) override;

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  TCustomListBox* ListBox;
};

class TCustomListBox : public TWinControl {
  QN_CLASS(TCustomListBox, TWinControl)
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  // Positive only; 0 or less is ignored.
  Integer ItemHeight();
  void SetItemHeight(Integer Value);
  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool Selected(Integer Index);
  void SetSelected(Integer Index, bool Value);
  // LB_GETSELCOUNT: -1 for a single-selection list, as on the platform.
  Integer SelCount();
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  Integer TopIndex();
  void SetTopIndex(Integer Value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Tab stops every TabWidth dialog units (a quarter of the average
  // character width each); 0: tabs show as blanks.
  Integer TabWidth() const { return FTabWidth; }
  void SetTabWidth(Integer Value);
  // The width in pixels the items may reach; wider than the window it gives
  // a horizontal scroll bar. 0: none.
  Integer ScrollWidth();
  void SetScrollWidth(Integer Value);
  // Type-ahead over several letters typed within half a second.
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  // The items; for the virtual styles the count the list shows (LB_SETCOUNT).
  Integer Count();
  void SetCount(Integer Value);
  // The item at Pos (client coordinates); outside the items -1 with
  // Existing, else Count.
  Integer ItemAtPos(const TPoint& Pos, bool Existing);
  TRect ItemRect(Integer Index);
  void Clear();
  void ClearSelection();
  void SelectAll();
  void DeleteSelected();
  void AddItem(const String& Item, TObject* AObject);
  // Valid while an item is drawn (CN_DRAWITEM), and outside painting on a DC of the window.
  TCanvas* Canvas() const { return FCanvas.get(); }

  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMeasureItemEvent& Value) { FOnMeasureItem = Value; }
  const TLBGetDataEvent& OnData() const { return FOnData; }
  void SetOnData(const TLBGetDataEvent& Value) { FOnData = Value; }
  const TLBGetDataObjectEvent& OnDataObject() const { return FOnDataObject; }
  void SetOnDataObject(const TLBGetDataObjectEvent& Value) { FOnDataObject = Value; }
  const TLBFindDataEvent& OnDataFind() const { return FOnDataFind; }
  void SetOnDataFind(const TLBFindDataEvent& Value) { FOnDataFind = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TListBoxStrings;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyPress(Char& Key) override;
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  bool Virtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
  // The text of an item, from OnData for the virtual styles.
  String ItemText(Integer Index);

 private:
  void CNDrawItem(TMessage& Message);
  std::unique_ptr<TListBoxStrings> FItems;
  std::unique_ptr<TStringList> FSaveItems;  // the items while there is no window
  std::unique_ptr<TControlCanvas> FCanvas;
  TListBoxStyle FStyle = lbStandard;
  Integer FItemHeight = 16;
  Integer FSaveIndex = -1, FSaveTop = 0, FSaveCount = 0;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FSorted = false;
  Integer FColumns = 0;
  bool FIntegralHeight = false;
  TBorderStyle FBorderStyle = bsSingle;
  bool FAutoComplete = true;
  String FFilter;
  DWORD FLastTime = 0;
  TDrawItemEvent FOnDrawItem;
  TMeasureItemEvent FOnMeasureItem;
  TLBGetDataEvent FOnData;
  TLBGetDataObjectEvent FOnDataObject;
  TLBFindDataEvent FOnDataFind;
  Integer FTabWidth = 0, FScrollWidth = 0;
};

class TListBox : public TCustomListBox {
  QN_CLASS_CREATE(TListBox, TCustomListBox, TComponent)
 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

  QN_PUBLISHED_DECL(TListBox) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    QN_PROP(AutoComplete).Default(true);
    QN_PROP(BorderStyle).Default(bsSingle);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clWindow);
    QN_PROP(Columns).Default(0);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    QN_PROP(ExtendedSelect).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(IntegralHeight).Default(false);
    P.Property(u"ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight).Default(16);
    QN_PROP(Items);
    QN_PROP(MultiSelect).Default(false);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    QN_PROP(Sorted).Default(false);
    QN_PROP(ScrollWidth).Default(0);
    QN_PROP(Style).Default(lbStandard);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    QN_PROP(TabWidth).Default(0);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    QN_PROP(OnData);
    QN_PROP(OnDataFind);
    QN_PROP(OnDataObject);
    QN_PROP(OnDrawItem);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    QN_PROP(OnMeasureItem);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }
};

// ---------------------------------------------------------------------------
// Combo box

// The enumeration's names are also those of other combo boxes of the
// library, so they stay qualified (TComboBoxStyle::csDropDown).
enum class TComboBoxStyle : Byte { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
QN_ENUM_NAMES(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)

class TCustomComboBox;

// A combo box's Items: CB_* messages while it has a window, a string list
// of the control's while it has none (and across RecreateWnd).
class TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TCustomComboBox* AComboBox) : ComboBox(AComboBox) {}
  Integer Add(const String& S) override;
  void Insert(Integer Index, const String& S) override;
  void Delete(Integer Index) override;
  void Clear() override;
  String Get(Integer Index) override;
  void Put(Integer Index, const String& S) override;
  TObject* GetObject(Integer Index) override;
  void PutObject(Integer Index, TObject* AObject) override;
  Integer GetCount() override;
  Integer IndexOf(const String& S) override;

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  TCustomComboBox* ComboBox;
};

// A combo box over the window server's "COMBOBOX": an edit (or a static
// text for the list styles) with a list that drops down.
class TCustomComboBox : public TWinControl {
  QN_CLASS(TCustomComboBox, TWinControl)
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  // Setting it selects without OnChange or OnSelect, as CB_SETCURSEL does.
  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Rows the list shows before it scrolls.
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  // The list's rows (the owner-draw styles take it as given).
  Integer ItemHeight();
  void SetItemHeight(Integer Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  // Typing in a list style picks the item the letters typed so far begin.
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  String SelText();
  void SelectAll();
  void Clear();
  void AddItem(const String& Item, TObject* AObject);
  // The edit child (nil for the list styles) and the list window.
  HWND EditHandle();
  HWND ListHandle();
  // Valid while an item is drawn.
  TCanvas* Canvas() const { return FCanvas.get(); }

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnSelect() const { return FOnSelect; }
  void SetOnSelect(const TNotifyEvent& Value) { FOnSelect = Value; }
  const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(const TNotifyEvent& Value) { FOnDropDown = Value; }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }
  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMeasureItemEvent& Value) { FOnMeasureItem = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TComboBoxStrings;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  bool OwnerDraw() const;

 private:
  void CNCommand(TMessage& Message);
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  std::unique_ptr<TComboBoxStrings> FItems;
  std::unique_ptr<TStringList> FSaveItems;  // the items while there is no window
  std::unique_ptr<TControlCanvas> FCanvas;
  TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
  Integer FSaveIndex = -1;
  Integer FItemHeight = 16;
  Integer FDropDownCount = 8;
  Integer FMaxLength = 0;
  bool FSorted = false;
  bool FAutoComplete = true;
  TEditCharCase FCharCase = ecNormal;
  TNotifyEvent FOnChange, FOnSelect, FOnDropDown, FOnCloseUp;
  TDrawItemEvent FOnDrawItem;
  TMeasureItemEvent FOnMeasureItem;
};

class TComboBox : public TCustomComboBox {
  QN_CLASS_CREATE(TComboBox, TCustomComboBox, TComponent)
 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

  QN_PUBLISHED_DECL(TComboBox) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    QN_PROP(AutoComplete).Default(true);
    QN_PROP(CharCase).Default(ecNormal);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clWindow);
    QN_PROP(DropDownCount).Default(8);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).Default(16);
    P.Property(u"ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
    QN_PROP(Items);
    QN_PROP(MaxLength).Default(0);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    QN_PROP(Sorted).Default(false);
    QN_PROP(Style).Default(TComboBoxStyle::csDropDown);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Text", &TControl::Text, &TControl::SetText).TypeName(u"TCaption");
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(OnChange);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    QN_PROP(OnCloseUp);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    QN_PROP(OnDrawItem);
    QN_PROP(OnDropDown);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    QN_PROP(OnMeasureItem);
    QN_PROP(OnSelect);
  }
};

// ---------------------------------------------------------------------------
// Label

enum class TTextLayout : Byte { tlTop, tlCenter, tlBottom };
QN_ENUM_NAMES(TTextLayout, tlTop, tlCenter, tlBottom)
using enum TTextLayout;

// Text painted on its parent. "&" marks the accelerator (unless
// ShowAccelChar is off), which focuses FocusControl. With AutoSize the
// label takes the size of its text (word-wrapped at its width with
// WordWrap).
class TCustomLabel : public TGraphicControl {
  QN_CLASS(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  void SetAutoSize(bool Value) override;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void AdjustBounds();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The text as DrawText is to format it, and the flags it needs.
  virtual UINT DrawTextFlags() const;
  void DoDrawText(TRect& Rect, UINT Flags);
  void DoDrawText(HDC DC, TRect& Rect, UINT Flags);

 private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FShowAccelChar = true;
  bool FWordWrap = false;
  bool FTransparent = false;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  QN_CLASS_CREATE(TLabel, TCustomLabel, TComponent)
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}

  QN_PUBLISHED_DECL(TLabel) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    QN_PROP(Alignment).Default(taLeftJustify);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clBtnFace);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    QN_PROP(FocusControl);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(Layout).Default(tlTop);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    QN_PROP(ShowAccelChar).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    QN_PROP(Transparent).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(WordWrap).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }
};

// ---------------------------------------------------------------------------
// Check box, radio button, group box

// BM_* messages the self-drawn buttons answer.
constexpr UINT BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1, BM_GETSTATE = 0x00F2, BM_SETSTATE = 0x00F3,
               BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2;

enum class TCheckBoxState : Byte { cbUnchecked, cbChecked, cbGrayed };
QN_ENUM_NAMES(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
using enum TCheckBoxState;

using TLeftRight = TAlignment;  // taLeftJustify or taRightJustify

// The base of the buttons that hold a checked state. They draw themselves:
// the themed element while themes are on, a plain frame control otherwise;
// the caption's "&" marks the accelerator.
class TButtonControl : public TCustomControl {
  QN_CLASS(TButtonControl, TCustomControl)
 public:
  explicit TButtonControl(TComponent* AOwner);
  // Caption on the right of the mark (taRightJustify) or on its left.
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  void Dispatch(TMessage& Message) override;

 protected:
  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool Value) = 0;
  // What a click (mouse, Space, accelerator, BM_CLICK) does to the state.
  virtual void Toggle() = 0;
  virtual bool IsRadio() const { return false; }
  virtual TCheckBoxState DrawnState() = 0;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoEnter() override;
  void DoExit() override;
  // Set while a state change that came from a click is applied: the click
  // then fires OnClick itself.
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  // The square (or circle) of the mark, in client coordinates.
  TRect MarkRect();

 private:
  void SetPressed(bool Value);
  TLeftRight FAlignment = taRightJustify;
  bool FWordWrap = false;
  bool FPressed = false;
  bool FMouseDown = false;
  bool FSpaceDown = false;
  bool FClicksDisabled = false;
};

class TCustomCheckBox : public TButtonControl {
  QN_CLASS(TCustomCheckBox, TButtonControl)
 public:
  explicit TCustomCheckBox(TComponent* AOwner);
  bool Checked() { return FState == cbChecked; }
  // Setting it (in code too) fires OnClick when it changes.
  void SetChecked(bool Value) override;
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }

 protected:
  bool GetChecked() override { return Checked(); }
  void Toggle() override;
  TCheckBoxState DrawnState() override { return FState; }

 private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
};

class TCheckBox : public TCustomCheckBox {
  QN_CLASS_CREATE(TCheckBox, TCustomCheckBox, TComponent)
 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}

  QN_PUBLISHED_DECL(TCheckBox) {
    QN_PROP(Alignment).Default(taRightJustify);
    QN_PROP(AllowGrayed).Default(false);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Default(false);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clBtnFace);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    QN_PROP(State).Default(cbUnchecked);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(WordWrap).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }
};

// Checking one unchecks the radio buttons beside it (same parent); only
// the checked one of a group is a tab stop.
class TRadioButton : public TButtonControl {
  QN_CLASS_CREATE(TRadioButton, TButtonControl, TComponent)
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() { return FChecked; }
  void SetChecked(bool Value) override;

  QN_PUBLISHED_DECL(TRadioButton) {
    QN_PROP(Alignment).Default(taRightJustify);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clBtnFace);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    QN_PROP(WordWrap).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }

 protected:
  bool GetChecked() override { return FChecked; }
  void Toggle() override;
  bool IsRadio() const override { return true; }
  TCheckBoxState DrawnState() override { return FChecked ? cbChecked : cbUnchecked; }
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  bool FChecked = false;
};

// A container with its caption on an etched frame.
class TCustomGroupBox : public TCustomControl {
  QN_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner);
  void Dispatch(TMessage& Message) override;

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  QN_CLASS_CREATE(TGroupBox, TCustomGroupBox, TComponent)
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}

  QN_PUBLISHED_DECL(TGroupBox) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clBtnFace);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
  }
};

// Registers the published control classes for form files (the unit's
// initialisation calls it).
void RegisterStdCtrlsClasses();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
