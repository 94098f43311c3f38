// The skinned list box: a border-panel frame around an owner-drawn system
// list box that has no non-client area, and a skinned scroll bar that exists
// only while the items overflow. The frame republishes the inner list's
// properties and relays its events under ListBox names.
//
// The same list as a top-most pop-up that never takes activation is the
// drop-down list of the combo box.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

class TQuarnCustomListBox;

// The inner list: the platform's list box, owner-drawn in the frame's font
// and the item colours, reporting clicks, keys, mouse, focus and hover to the
// frame (SkinListBox; none when used alone).
class TQnListBox : public TListBox {
  QN_CLASS_CREATE(TQnListBox, TListBox, TComponent)
 public:
  explicit TQnListBox(TComponent* AOwner);

  TQuarnCustomListBox* SkinListBox = nullptr;

  bool PopupListBox() const { return FPopupListBox; }
  void SetPopupListBox(bool Value) { FPopupListBox = Value; }
  TColor ItemSelectedColor() const { return FItemSelectedColor; }
  void SetItemSelectedColor(TColor Value) { FItemSelectedColor = Value; }
  TColor ItemSelectedFontColor() const { return FItemSelectedFontColor; }
  void SetItemSelectedFontColor(TColor Value) { FItemSelectedFontColor = Value; }
  TColor ItemBackgroundColor() const { return FItemBackgroundColor; }
  void SetItemBackgroundColor(TColor Value) { FItemBackgroundColor = Value; }
  TColor ItemNormalFontColor() const { return FItemNormalFontColor; }
  void SetItemNormalFontColor(TColor Value) { FItemNormalFontColor = Value; }
  bool StopDraw() const { return FStopDraw; }
  void SetStopDraw(bool Value) { FStopDraw = Value; }
  Integer HorizontalExtentValue() const { return FHorizontalExtentValue; }

  void WndProc(TMessage& Message) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Click() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void CNDrawItem(TMessage& Message);
  void PopupPress(TMessage& Message);
  void DefaultHandler(TMessage& Message) override;
  void Wheel(TMessage& Message);

  bool FPopupListBox = false;
  TColor FItemSelectedColor = clHighlight;
  TColor FItemSelectedFontColor = clHighlightText;
  TColor FItemBackgroundColor = clWindow;
  TColor FItemNormalFontColor = clBlack;
  bool FStopDraw = false;
  Integer FHorizontalExtentValue = 0;

 private:
  // The picture a row is drawn in before it goes to the list, kept from row
  // to row: a notch of the wheel draws a few rows, and a new bitmap for each
  // cost more than drawing the row.
  std::unique_ptr<TBitmap> FRowPicture;
  // A wheel notch moves the rows twice (the platform's lines, then one
  // more); the platform draws neither move while FHoldWheel holds its
  // redrawing, and the list moves the pixels once for both. FRedrawOff
  // follows WM_SETREDRAW from outside, whose state is left alone.
  bool FHoldWheel = false, FWheelHeld = false, FRedrawOff = false;
};

class TQuarnCustomListBox : public TQuarnBorderPanel {
  QN_CLASS_CREATE(TQuarnCustomListBox, TQuarnBorderPanel, TComponent)
 public:
  explicit TQuarnCustomListBox(TComponent* AOwner);
  ~TQuarnCustomListBox() override;
  void BeforeDestruction() override;

  TQnListBox* ListBox = nullptr;
  // Created while the items overflow, freed when they fit again.
  TQuarnScrollBar* ScrollBar = nullptr;
  // Nothing creates a second bar; kept for callers that test it.
  TQuarnScrollBar* HScrollBar = nullptr;

  Integer Columns() const { return ListBox->Columns(); }
  void SetColumns(Integer Value);
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  Integer DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(Integer Value);
  TStrings* Items() const { return ListBox->Items(); }
  void SetItems(TStrings* Value);
  Integer ItemIndex() const { return ListBox->ItemIndex(); }
  void SetItemIndex(Integer Value) { ListBox->SetItemIndex(Value); }
  bool MultiSelect() const { return ListBox->MultiSelect(); }
  void SetMultiSelect(bool Value) { ListBox->SetMultiSelect(Value); }
  TFont* ListBoxFont() const { return ListBox->Font(); }
  void SetListBoxFont(TFont* Value) { ListBox->SetFont(Value); }
  TTabOrder ListBoxTabOrder() const { return ListBox->TabOrder(); }
  void SetListBoxTabOrder(TTabOrder Value) { ListBox->SetTabOrder(Value); }
  bool ListBoxTabStop() const { return ListBox->TabStop(); }
  void SetListBoxTabStop(bool Value) { ListBox->SetTabStop(Value); }
  TDragMode ListBoxDragMode() const { return ListBox->DragMode(); }
  void SetListBoxDragMode(TDragMode Value) { ListBox->SetDragMode(Value); }
  TDragKind ListBoxDragKind() const { return ListBox->DragKind(); }
  void SetListBoxDragKind(TDragKind Value) { ListBox->SetDragKind(Value); }
  TCursor ListBoxDragCursor() const { return ListBox->DragCursor(); }
  void SetListBoxDragCursor(TCursor Value) { ListBox->SetDragCursor(Value); }
  TPopupMenu* ListBoxPopupMenu() const { return ListBox->PopupMenu(); }
  void SetListBoxPopupMenu(TPopupMenu* Value) { ListBox->SetPopupMenu(Value); }
  const TDragDropEvent& OnListBoxDragDrop() const { return ListBox->OnDragDrop(); }
  void SetOnListBoxDragDrop(const TDragDropEvent& Value) { ListBox->SetOnDragDrop(Value); }
  const TDragOverEvent& OnListBoxDragOver() const { return ListBox->OnDragOver(); }
  void SetOnListBoxDragOver(const TDragOverEvent& Value) { ListBox->SetOnDragOver(Value); }
  const TStartDragEvent& OnListBoxStartDrag() const { return ListBox->OnStartDrag(); }
  void SetOnListBoxStartDrag(const TStartDragEvent& Value) { ListBox->SetOnStartDrag(Value); }
  const TEndDragEvent& OnListBoxEndDrag() const { return ListBox->OnEndDrag(); }
  void SetOnListBoxEndDrag(const TEndDragEvent& Value) { ListBox->SetOnEndDrag(Value); }

  const TNotifyEvent& OnListBoxClick() const { return FOnListBoxClick; }
  void SetOnListBoxClick(const TNotifyEvent& Value) { FOnListBoxClick = Value; }
  const TNotifyEvent& OnListBoxDblClick() const { return FOnListBoxDblClick; }
  void SetOnListBoxDblClick(const TNotifyEvent& Value) { FOnListBoxDblClick = Value; }
  const TMouseEvent& OnListBoxMouseDown() const { return FOnListBoxMouseDown; }
  void SetOnListBoxMouseDown(const TMouseEvent& Value) { FOnListBoxMouseDown = Value; }
  const TMouseMoveEvent& OnListBoxMouseMove() const { return FOnListBoxMouseMove; }
  void SetOnListBoxMouseMove(const TMouseMoveEvent& Value) { FOnListBoxMouseMove = Value; }
  const TMouseEvent& OnListBoxMouseUp() const { return FOnListBoxMouseUp; }
  void SetOnListBoxMouseUp(const TMouseEvent& Value) { FOnListBoxMouseUp = Value; }
  const TKeyEvent& OnListBoxKeyDown() const { return FOnListBoxKeyDown; }
  void SetOnListBoxKeyDown(const TKeyEvent& Value) { FOnListBoxKeyDown = Value; }
  const TKeyPressEvent& OnListBoxKeyPress() const { return FOnListBoxKeyPress; }
  void SetOnListBoxKeyPress(const TKeyPressEvent& Value) { FOnListBoxKeyPress = Value; }
  const TKeyEvent& OnListBoxKeyUp() const { return FOnListBoxKeyUp; }
  void SetOnListBoxKeyUp(const TKeyEvent& Value) { FOnListBoxKeyUp = Value; }
  const TQnDrawSkinItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TQnDrawSkinItemEvent& Value) { FOnDrawItem = Value; }
  const TNotifyEvent& OnUpButtonClick() const { return FOnUpButtonClick; }
  void SetOnUpButtonClick(const TNotifyEvent& Value) { FOnUpButtonClick = Value; }
  const TNotifyEvent& OnDownButtonClick() const { return FOnDownButtonClick; }
  void SetOnDownButtonClick(const TNotifyEvent& Value) { FOnDownButtonClick = Value; }
  const TNotifyEvent& OnCheckButtonClick() const { return FOnCheckButtonClick; }
  void SetOnCheckButtonClick(const TNotifyEvent& Value) { FOnCheckButtonClick = Value; }

  void Clear();
  Integer ItemAtPos(const TPoint& Pos, bool Existing) { return ListBox->ItemAtPos(Pos, Existing); }
  TRect ItemRect(Integer Index) { return ListBox->ItemRect(Index); }
  Integer SelCount() { return ListBox->SelCount(); }
  bool Selected(Integer Index) { return ListBox->Selected(Index); }
  void SetSelected(Integer Index, bool Value) { ListBox->SetSelected(Index, Value); }
  Integer TopIndex() { return ListBox->TopIndex(); }
  void SetTopIndex(Integer Value) { ListBox->SetTopIndex(Value); }

  // Places the inner list and the bar inside the frame.
  virtual void CalcRects();
  virtual void ListBoxMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void ListBoxMouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void ListBoxMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void ListBoxClick();
  virtual void ListBoxDblClick();
  virtual void ListBoxKeyDown(Word& Key, TShiftState Shift);
  virtual void ListBoxKeyUp(Word& Key, TShiftState Shift);
  virtual void ListBoxKeyPress(Char& Key);
  virtual void ListBoxEnter();
  virtual void ListBoxExit();
  virtual void ListBoxMouseEnter();
  virtual void ListBoxMouseLeave();
  virtual void ListBoxCreateWnd();
  // First look at every message of the inner list; leaving CallDefault
  // false swallows the message.
  virtual void ListBoxWProc(TMessage& Message, bool& CallDefault);

  // The inner list's native scroll information into the bar: created while
  // the items overflow, hidden and freed when they fit.
  void UpDateScrollBar();
  void ScaleControlsForDpi(Integer NewPPI) override;
  void Dispatch(TMessage& Message) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  friend class TQnListBox;
  void DrawBody(TBitmap32* Buffer) override;
  void ShowScrollBar();
  void HideScrollBar();
  void SBChange(TObject* Sender);
  void FitRowCount();
  // Frees the bars hidden since the last call.
  void FreeRetiredBars();

  Integer FRowCount = 0;
  Integer FDefaultItemHeight = 20;
  TAlignment FAlignment = taLeftJustify;
  bool FResizeing = false;
  TNotifyEvent FOnListBoxClick, FOnListBoxDblClick;
  TMouseEvent FOnListBoxMouseDown, FOnListBoxMouseUp;
  TMouseMoveEvent FOnListBoxMouseMove;
  TKeyEvent FOnListBoxKeyDown, FOnListBoxKeyUp;
  TKeyPressEvent FOnListBoxKeyPress;
  TQnDrawSkinItemEvent FOnDrawItem;
  TNotifyEvent FOnUpButtonClick, FOnDownButtonClick, FOnCheckButtonClick;

 private:
  std::vector<TQuarnScrollBar*> FRetiredBars;
};

class TQuarnListBox : public TQuarnCustomListBox {
  QN_CLASS_CREATE(TQuarnListBox, TQuarnCustomListBox, TComponent)
 public:
  explicit TQuarnListBox(TComponent* AOwner) : TQuarnCustomListBox(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnListBox) {
    QN_PROP(Columns).Default(0);
    QN_PROP(RowCount).Default(0);
    QN_PROP(Alignment).Default(taLeftJustify);
    QN_PROP(DefaultItemHeight).Default(20);
    QN_PROP(Items);
    QN_PROP(ItemIndex).Default(-1);
    QN_PROP(MultiSelect).Default(false);
    QN_PROP(ListBoxFont);
    QN_PROP(ListBoxTabOrder).Default(0);
    QN_PROP(ListBoxTabStop).Default(true);
    QN_PROP(ListBoxDragMode).Default(dmManual);
    QN_PROP(ListBoxDragKind).Default(dkDrag);
    QN_PROP(ListBoxDragCursor).Default(crDrag);
    P.Property(u"ListBoxPopupMenu", &TQuarnCustomListBox::ListBoxPopupMenu,
               &TQuarnCustomListBox::SetListBoxPopupMenu);
    QN_PROP(OnListBoxDragDrop);
    QN_PROP(OnListBoxDragOver);
    QN_PROP(OnListBoxStartDrag);
    QN_PROP(OnListBoxEndDrag);
    QN_PROP(OnListBoxClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnListBoxDblClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnListBoxMouseDown);
    QN_PROP(OnListBoxMouseMove);
    QN_PROP(OnListBoxMouseUp);
    QN_PROP(OnListBoxKeyDown);
    QN_PROP(OnListBoxKeyPress);
    QN_PROP(OnListBoxKeyUp);
    QN_PROP(OnDrawItem);
    QN_PROP(OnUpButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnDownButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnCheckButtonClick).TypeName(u"TNotifyEvent");
    P.Property(u"DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(false);
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
    P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
    P.Property(u"OnConstrainedResize", &TControl::OnConstrainedResize, &TControl::SetOnConstrainedResize);
    P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
    P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
    P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag);
    P.Property(u"OnDockDrop", &TWinControl::OnDockDrop, &TWinControl::SetOnDockDrop);
    P.Property(u"OnDockOver", &TWinControl::OnDockOver, &TWinControl::SetOnDockOver);
    P.Property(u"OnStartDock", &TControl::OnStartDock, &TControl::SetOnStartDock);
    P.Property(u"OnEndDock", &TControl::OnEndDock, &TControl::SetOnEndDock);
    P.Property(u"OnUnDock", &TWinControl::OnUnDock, &TWinControl::SetOnUnDock);
    P.Property(u"OnGetSiteInfo", &TWinControl::OnGetSiteInfo, &TWinControl::SetOnGetSiteInfo);
  }
};

// What the drop-down list reads of the combo box that owns it: the menu
// colours of its items and frame.
class IQnPopupListColors {
 public:
  virtual ~IQnPopupListColors() = default;
  virtual TColor MenuItemSeletedColor() const = 0;
  virtual TColor MenuItemSeletedFontColor() const = 0;
  virtual TColor MenuItemBackgroudColor() const = 0;
  virtual TColor MenuItemNormalFontColor() const = 0;
  virtual TColor MenuFrameColor() const = 0;
};

// The list as a top-most pop-up without activation: the combo box's
// drop-down. Clicking it never takes the focus from the combo box's form.
class TQnPopupListBox : public TQuarnListBox {
  QN_CLASS_CREATE(TQnPopupListBox, TQuarnListBox, TComponent)
 public:
  explicit TQnPopupListBox(TComponent* AOwner);

  // The combo box that owns the list (the constructor's owner); an owner that
  // gives no menu colours leaves the list its own.
  TComponent* FCustomComboBox = nullptr;

  // At P (screen), keeping the size, shown without activation.
  void Show(const TPoint& P);
  void Hide();
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void DrawBody(TBitmap32* Buffer) override;
};

// The frame colour of a drop-down list whose owner gives none.
inline constexpr TColor QnPopupListFrameColor = static_cast<TColor>(0x00F9B937);

void InitQuarnListBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
