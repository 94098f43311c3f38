// uQuarnIconButtonList: a grid of equal icon cells with captions on a
// translucent panel. Rows wrap at the control's width and scroll through an
// owned skinned scroll bar; presses check and focus, releases click. In
// edit mode every cell carries a delete badge, may shake, and can be
// dragged to a new place.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Collection.h"
#include "platform/classes/Lists.h"
#include "platform/vcl/ImgList.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"

namespace qn {

class TQuarnCustomIconButtonList;
class TQnIconButtonItem;
class TQnIconButtonItemData;

enum class TQnItemHAlign { ihaLeft, ihaCenter, ihaRight };
QN_ENUM_NAMES(TQnItemHAlign, ihaLeft, ihaCenter, ihaRight)
using enum TQnItemHAlign;
enum class TQnItemVAlign { ihavTop, ihavCenter, ihavBottom };
QN_ENUM_NAMES(TQnItemVAlign, ihavTop, ihavCenter, ihavBottom)
using enum TQnItemVAlign;

using TItemIndexEvent = TEvent<void(TObject* Sender, Integer ItemIndex)>;
using TQnIconButtonItemDrawEnvent = TEvent<void(TObject* Sender, TBitmap32* Bmp32, TQnIconButtonItemData* ItemData)>;
using TItemDeleteEvent = TEvent<void(TObject* Sender, Integer ItemIndex, bool& CanDelete)>;
using TQnGetCursorEvent = TEvent<void(TObject* Sender, TCursor& Cursor)>;
using TItemHotIndexEvent = TEvent<void(TObject* Sender, Integer OldIndex, Integer NewIndex)>;
using TStateChangeIndexEvent = TEvent<void(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow)>;
using TQnFreeItemEvent = TEvent<void(TObject* Sender, TQnIconButtonItem* Item)>;

// The window timers on the list's own handle.
inline constexpr UINT_PTR QnIconListScrollTimerID = 7002;
inline constexpr UINT_PTR QnIconListShakeTimerID = 7003;

class TQnIconButtonItem : public TCollectionItem {
  QN_CLASS_CREATE(TQnIconButtonItem, TCollectionItem, TCollection)
 public:
  explicit TQnIconButtonItem(TCollection* Collection);

  void Assign(TPersistent* Source) override;
  // OnClick, then the list's DoClickItem.
  void Click();
  // Queues the cell for a partial repaint of only its rectangle.
  void Invalidate();

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  const String& CaptionHint() const { return FCaptionHint; }
  void SetCaptionHint(const String& Value) { FCaptionHint = Value; }
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value) { FOwnerDraw = Value; }
  Integer ImageNormalIndex() const { return FImageNormalIndex; }
  void SetImageNormalIndex(Integer Value) { SetIndexField(FImageNormalIndex, Value); }
  Integer ImageHotIndex() const { return FImageHotIndex; }
  void SetImageHotIndex(Integer Value) { SetIndexField(FImageHotIndex, Value); }
  Integer ImagePressedIndex() const { return FImagePressedIndex; }
  void SetImagePressedIndex(Integer Value) { SetIndexField(FImagePressedIndex, Value); }
  Integer ImageDisibleIndex() const { return FImageDisibleIndex; }
  void SetImageDisibleIndex(Integer Value) { SetIndexField(FImageDisibleIndex, Value); }
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  Pointer Data() const { return FData; }
  void SetData(Pointer Value) { FData = Value; }

  // Written by the paint: the cell and its badge in control coordinates.
  const TRect& Rect() const { return FRect; }
  const TRect& DeleteBtnRect() const { return FDeleteBtnRect; }
  Single Angle() const { return FAngle; }
  bool AngleReverse() const { return FAngleReverse; }

  QN_PUBLISHED_DECL(TQnIconButtonItem) {
    QN_PROP(Visible).Default(true);
    QN_PROP(Enabled).Default(true);
    QN_PROP(Caption);
    QN_PROP(CaptionHint);
    QN_PROP(Tag).Default(0);
    QN_PROP(Checked).Default(false);
    QN_PROP(ReadOnly);
    QN_PROP(OwnerDraw).Default(false);
    QN_PROP(ImageNormalIndex).Default(-1);
    QN_PROP(ImageHotIndex).Default(-1);
    QN_PROP(ImagePressedIndex).Default(-1);
    QN_PROP(ImageDisibleIndex).Default(-1);
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
  }

 protected:
  friend class TQuarnCustomIconButtonList;
  TQuarnCustomIconButtonList* List() const;
  void SetIndexField(Integer& Field, Integer Value);

  String FCaption = u"Caption";
  bool FEnabled = true;
  bool FVisible = true;
  Integer FTag = 0;
  TRect FRect;
  TNotifyEvent FOnClick;
  String FCaptionHint = u"CaptionHint";
  bool FChecked = false;
  Integer FImageNormalIndex = -1;
  Pointer FData = nullptr;
  Integer FImageDisibleIndex = -1;
  Integer FImagePressedIndex = -1;
  Integer FImageHotIndex = -1;
  Single FAngle = 0;
  bool FAngleReverse = false;
  TRect FDeleteBtnRect;
  bool FReadOnly = false;
  bool FOwnerDraw = false;
};

// The item type the draw event names.
class TQnIconButtonItemData : public TQnIconButtonItem {
  QN_CLASS_CREATE(TQnIconButtonItemData, TQnIconButtonItem, TCollection)
 public:
  explicit TQnIconButtonItemData(TCollection* Collection) : TQnIconButtonItem(Collection) {}
};

class TQnIconButtonItems : public TCollection {
  QN_CLASS(TQnIconButtonItems, TCollection)
 public:
  explicit TQnIconButtonItems(TQuarnCustomIconButtonList* List);

  TQnIconButtonItem* Add() { return static_cast<TQnIconButtonItem*>(TCollection::Add()); }
  // Item (or, when nil, one the list makes) moved into this collection at
  // Index (the end when Index < 0).
  TQnIconButtonItem* AddItem(TQnIconButtonItem* Item, Integer Index);
  TQnIconButtonItem* Insert(Integer Index) { return AddItem(nullptr, Index); }
  TQnIconButtonItem* Items(Integer Index) const { return static_cast<TQnIconButtonItem*>(GetItem(Index)); }
  TQnIconButtonItem* operator[](Integer Index) const { return Items(Index); }
  TQuarnCustomIconButtonList* IconButtonList() const { return FIconButtonList; }
  TPersistent* GetOwner() override;

 protected:
  void Update(TCollectionItem* Item) override;
  void Deleting(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

  TQuarnCustomIconButtonList* FIconButtonList = nullptr;
};

// Items waiting for a repaint of only their cells.
class TRedrawList : public TList {
  QN_CLASS(TRedrawList, TList)
};

class TQnItemDragObject : public TDragObjectEx {
  QN_CLASS(TQnItemDragObject, TDragObjectEx)
 public:
  explicit TQnItemDragObject(TQuarnCustomIconButtonList* List);
  ~TQnItemDragObject() override;

  TQuarnCustomIconButtonList* List() const { return FList; }
  // The dragged cell, built once per drag.
  TDragImageList* GetDragImages() override;
  const TNotifyEvent& OnFinished() const { return FOnFinished; }
  void SetOnFinished(const TNotifyEvent& Value) { FOnFinished = Value; }

 protected:
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
  void ForgetControl(TControl* C) override;

  friend class TQuarnCustomIconButtonList;
  TQuarnCustomIconButtonList* FList = nullptr;
  std::unique_ptr<TDragImageList> FDragImages;
  TNotifyEvent FOnFinished;
};

class TQuarnCustomIconButtonList : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCustomIconButtonList, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCustomIconButtonList(TComponent* AOwner);
  ~TQuarnCustomIconButtonList() override;

  void EnterEdit();
  void ExitEdit();
  void SetFocusItemIndex(Integer Value);
  void ResetFocusItemIndex() { FFocusItemIndex = -1; }
  TQnIconButtonItem* GetItemAt(const TPoint& P);
  void LockBuffer();
  Integer CalcItemsHeight();
  void UpdateScrollBar();
  void DoShowScrollBar();
  void DoHideScrollBar();
  void GetHitTest(Integer X, Integer Y);
  TQnIconButtonItem* CreateIconButtonItem();
  // The grid's origin for the current size and alignments.
  TPoint GridOrigin();

  TQnIconButtonItems* Items() const { return FItems.get(); }
  void SetItems(TQnIconButtonItems* Value) { FItems->Assign(Value); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  Integer ItemWidth() const { return FItemWidth; }
  void SetItemWidth(Integer Value);
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Integer ItemSpaceSize() const { return FItemSpaceSize; }
  void SetItemSpaceSize(Integer Value);
  Integer MarginBorderSize() const { return FMarginBorderSize; }
  void SetMarginBorderSize(Integer Value);
  TQnItemHAlign AlignWithItems() const { return FAlignWithItems; }
  void SetAlignWithItems(TQnItemHAlign Value);
  TQnItemVAlign AlignVerticalWithItems() const { return FAlignVWithItems; }
  void SetAlignVerticalWithItems(TQnItemVAlign Value) { FAlignVWithItems = Value; }
  bool CaptionVisible() const { return FCaptionVisible; }
  void SetCaptionVisible(bool Value);
  bool CaptionWordWarp() const { return FCaptionWordwarp; }
  void SetCaptionWordWarp(bool Value);
  TQnResID ItemHotImage() const { return FItemHotImage; }
  void SetItemHotImage(const TQnResID& Value);
  bool MultiChecked() const { return FMultiChecked; }
  void SetMultiChecked(bool Value) { FMultiChecked = Value; }
  bool ShakeInEdit() const { return FShakeInEdit; }
  void SetShakeInEdit(bool Value);
  Integer ScrollSize() const { return FScrollSize; }
  void SetScrollSize(Integer Value) { FScrollSize = Value; }
  Integer PressedOffset() const { return FPressedOffset; }
  void SetPressedOffset(Integer Value) { FPressedOffset = Value; }
  bool HideScrollbar() const { return FHideScrollbar; }
  void SetHideScrollbar(bool Value) { FHideScrollbar = Value; }
  bool AutoDrag() const { return FAutoDrag; }
  void SetAutoDrag(bool Value) { FAutoDrag = Value; }
  bool FastDrawMode() const { return FFastDrawMode; }
  void SetFastDrawMode(bool Value) { FFastDrawMode = Value; }
  Integer FocusItemIndex() const { return FFocusItemIndex; }
  Integer HotItemIndex() const { return FHotItemIndex; }
  bool Editing() const { return FEditing; }
  bool MousePressed() const { return FMousePressed; }
  TRedrawList* RedrawItems() const { return FRedrawItems.get(); }
  TQuarnScrollBar* ScrollBar() const { return FScrollBar; }
  TPoint DispOffset() const { return FDispOffset; }
  Integer ItemBeginIndex() const { return FItemBeginIndex; }
  Integer ItemEndIndex() const { return FItemEndIndex; }
  bool MouseInDeleteButton() const { return FMouseInDeleteButton; }
  // The running reorder drag's item and placeholder, nil outside one.
  TQnIconButtonItem* SourceDragButtonItem() const { return FSourceDragButtonItem; }
  TQnIconButtonItem* DestDragButtonItem() const { return FDestDragButtonItem; }

  const TItemIndexEvent& OnClickItem() const { return FOnClickItem; }
  void SetOnClickItem(const TItemIndexEvent& Value) { FOnClickItem = Value; }
  const TQnIconButtonItemDrawEnvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TQnIconButtonItemDrawEnvent& Value) { FOnDrawItem = Value; }
  const TItemDeleteEvent& OnDeleteClick() const { return FOnDeleteClick; }
  void SetOnDeleteClick(const TItemDeleteEvent& Value) { FOnDeleteClick = Value; }
  const TQnGetCursorEvent& OnGetCursor() const { return FOnGetCursor; }
  void SetOnGetCursor(const TQnGetCursorEvent& Value) { FOnGetCursor = Value; }
  const TItemHotIndexEvent& OnHotChanged() const { return FOnHotChanged; }
  void SetOnHotChanged(const TItemHotIndexEvent& Value) { FOnHotChanged = Value; }
  const TStateChangeIndexEvent& OnFocusChanging() const { return FOnFocusChanging; }
  void SetOnFocusChanging(const TStateChangeIndexEvent& Value) { FOnFocusChanging = Value; }
  const TQnFreeItemEvent& OnFreeItem() const { return FOnFreeItem; }
  void SetOnFreeItem(const TQnFreeItemEvent& Value) { FOnFreeItem = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TQnIconButtonItem;
  friend class TQnIconButtonItems;
  friend class TQnItemDragObject;

  virtual void DoDrawItem(TBitmap32* Buffer, TQnIconButtonItem* Item);
  virtual void DoHotChanged(Integer OldIndex, Integer NewIndex);
  virtual void DoClickItem(TObject* Sender, Integer Index);
  virtual void DoFreeItem(TObject* Sender, TQnIconButtonItem* Item);
  virtual void DoFocusChanging(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow);
  virtual void DoGetCursor(TCursor& Cursor);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateHandle() override;
  void MouseLeave() override;
  void DrawBody(TBitmap32* Buffer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;

  void WMMouseMove(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMTimer(TMessage& Message);
  void WMSetCursor(TMessage& Message);

  // One cell's icon, caption, badge and shake on the work bitmap.
  void DrawItemFace(TBitmap32* Work, TQnIconButtonItem* Item, Integer Index, const TRect& R);
  bool ValidIndex(Integer Index) const { return Index >= 0 && Index < FItems->Count(); }
  bool DragRunning() const;
  void ScrollBarChange(TObject* Sender);
  void ImagesChange(TObject* Sender);
  void DragFinished(TObject* Sender);
  void StartItemDrag(Integer Index, Integer X, Integer Y);
  void ForgetDragObject(TQnItemDragObject* O);

  std::unique_ptr<TChangeLink> FImagesChangeLink;
  std::unique_ptr<TQnIconButtonItems> FItems;
  TCustomImageList* FImages = nullptr;
  Integer FItemSpaceSize = 10;
  Integer FItemHeight = 80, FItemWidth = 60;
  Integer FHotItemIndex = -1;
  Integer FFocusItemIndex = -1;
  Integer FItemBeginIndex = -1, FItemEndIndex = -1;
  Integer FDragItemIndex = -1;
  bool FMouseInDeleteButton = false;
  TQuarnScrollBar* FScrollBar = nullptr;
  TPoint FDispOffset;
  bool FMousePressed = false;
  bool FCaptionVisible = true;
  bool FEditing = false;
  Integer FMarginBorderSize = 10;
  TQnResID FPngDeleteNormal = u"QuarnCancel_18_Normal";
  TQnResID FPngDeleteHot = u"QuarnCancel_18_Hot";
  TQnItemDragObject* FDragObject = nullptr;
  bool FAutoDrag = true;
  TQnIconButtonItem* FSourceDragButtonItem = nullptr;
  TQnIconButtonItem* FDestDragButtonItem = nullptr;
  bool FShakeInEdit = false;
  bool FMultiChecked = true;
  Integer FScrollSize = 30;
  std::unique_ptr<TBitmap32> FItemsBuffer;
  std::unique_ptr<TRedrawList> FRedrawItems;
  bool FFastDrawMode = false;
  TQnItemHAlign FAlignWithItems = ihaLeft;
  bool FHideScrollbar = false;
  bool FCaptionWordwarp = true;
  TQnResID FItemHotImage;
  Integer FPressedOffset = 1;
  TQnItemVAlign FAlignVWithItems = ihavTop;

  TItemIndexEvent FOnClickItem;
  TQnIconButtonItemDrawEnvent FOnDrawItem;
  TItemDeleteEvent FOnDeleteClick;
  TQnGetCursorEvent FOnGetCursor;
  TItemHotIndexEvent FOnHotChanged;
  TStateChangeIndexEvent FOnFocusChanging;
  TQnFreeItemEvent FOnFreeItem;

 private:
  template <class T>
  void Change(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }
};

class TQuarnIconButtonList : public TQuarnCustomIconButtonList {
  QN_CLASS_CREATE(TQuarnIconButtonList, TQuarnCustomIconButtonList, TComponent)
 public:
  explicit TQuarnIconButtonList(TComponent* AOwner) : TQuarnCustomIconButtonList(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnIconButtonList) {
    QN_PROP(Items);
    QN_PROP(Images);
    QN_PROP(ItemWidth);
    QN_PROP(ItemHeight);
    QN_PROP(ItemSpaceSize).Default(10);
    QN_PROP(MarginBorderSize).Default(10);
    QN_PROP(AlignWithItems).Default(ihaLeft);
    QN_PROP(CaptionVisible).Default(true);
    QN_PROP(CaptionWordWarp).Default(true);
    QN_PROP(ItemHotImage).TypeName(u"TQnResID");
    QN_PROP(MultiChecked).Default(true);
    QN_PROP(ShakeInEdit).Default(false);
    QN_PROP(ScrollSize).Default(30);
    QN_PROP(PressedOffset).Default(1);
    QN_PROP(HideScrollbar).Default(false);
    QN_PROP(AutoDrag).Default(true);
    QN_PROP(OnClickItem).TypeName(u"TItemIndexEvent");
    QN_PROP(OnDrawItem).TypeName(u"TQnIconButtonItemDrawEnvent");
    QN_PROP(OnDeleteClick).TypeName(u"TItemDeleteEvent");
    QN_PROP(OnGetCursor).TypeName(u"TQnGetCursorEvent");
    QN_PROP(OnHotChanged).TypeName(u"TItemHotIndexEvent");
    QN_PROP(OnFocusChanging).TypeName(u"TStateChangeIndexEvent");
    QN_PROP(Font);
    QN_PROP(Alpha).Default(192);
    QN_PROP(BorderSides).Default(TSides{sdLeft, sdTop, sdRight, sdBottom});
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(DoubleBorder).Default(true);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
    P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
    P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
  }
};

void InitQuarnIconButtonList();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
