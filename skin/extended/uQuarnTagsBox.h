// uQuarnTagsBox: short texts shown as rounded chips that flow into rows on a
// panel, each with an optional round delete button; the whole list reads
// and writes as one comma text. Rows that do not fit scroll through an
// owned skinned scroll bar, as in the icon button list.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/extended/uQuarnColorControls.h"
#include "skin/extended/uQuarnIconButtonList.h"

namespace qn {

class TQnTagsBoxItemData;
class TQuarnCustomTagsBox;

using TQnTagsBoxItemDrawEnvent = TEvent<void(TObject* Sender, TBitmap32* Bmp32, TQnTagsBoxItemData* ItemData)>;

class TTBItemColors : public TPersistent {
  QN_CLASS_CREATE(TTBItemColors, TPersistent, TObject)
 public:
  TTBItemColors() = default;
  explicit TTBItemColors(TObject*) {}
  void Assign(TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { Change(FColor, Value); }
  TColor HotColor() const { return FHotColor; }
  void SetHotColor(TColor Value) { Change(FHotColor, Value); }
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor Value) { Change(FFontColor, Value); }
  TColor HotFontColor() const { return FHotFontColor; }
  void SetHotFontColor(TColor Value) { Change(FHotFontColor, Value); }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TTBItemColors) {
    QN_PROP(Color).TypeName(u"TColor").Default(static_cast<TColor>(0x00EAEAEA));
    QN_PROP(HotColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00BBBBBB));
    QN_PROP(FontColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00434343));
    QN_PROP(HotFontColor).TypeName(u"TColor").Default(static_cast<TColor>(0x003A3A3A));
  }

 protected:
  virtual void DoChanged() {
    if (FOnChanged) FOnChanged(this);
  }

  TNotifyEvent FOnChanged;
  TColor FColor = static_cast<TColor>(0x00EAEAEA);
  TColor FHotColor = static_cast<TColor>(0x00BBBBBB);
  TColor FFontColor = static_cast<TColor>(0x00434343);
  TColor FHotFontColor = static_cast<TColor>(0x003A3A3A);

 private:
  void Change(TColor& Field, TColor Value) {
    if (Field == Value) return;
    Field = Value;
    DoChanged();
  }
};

class TQnTagsBoxItem : public TCollectionItem {
  QN_CLASS_CREATE(TQnTagsBoxItem, TCollectionItem, TCollection)
 public:
  explicit TQnTagsBoxItem(TCollection* Collection);
  ~TQnTagsBoxItem() override;

  // Copies the caption and the colours.
  void Assign(TPersistent* Source) override;
  // OnClick, then the box's DoClickItem.
  void Click();
  void Invalidate();

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  TTBItemColors* Colors() const { return FColors.get(); }
  void SetColors(TTBItemColors* Value) { FColors->Assign(Value); }
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  Pointer Data() const { return FData; }
  void SetData(Pointer Value) { FData = Value; }
  // Written by each paint.
  const TRect& Rect() const { return FRect; }
  const TRect& DeleteBtnRect() const { return FDeleteBtnRect; }

  QN_PUBLISHED_DECL(TQnTagsBoxItem) {
    QN_PROP(Visible).Default(true);
    QN_PROP(Enabled).Default(true);
    QN_PROP(Caption);
    QN_PROP(Tag).Default(0);
    QN_PROP(Colors);
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
  }

 protected:
  friend class TQuarnCustomTagsBox;
  TQuarnCustomTagsBox* Box() const;
  void ColorsChanged(TObject*) { Changed(false); }

  String FCaption = u"Caption";
  bool FEnabled = true;
  bool FVisible = true;
  Integer FTag = 0;
  TRect FRect;
  TNotifyEvent FOnClick;
  Pointer FData = nullptr;
  TRect FDeleteBtnRect;
  std::unique_ptr<TTBItemColors> FColors;
};

class TQnTagsBoxItemData : public TQnTagsBoxItem {
  QN_CLASS_CREATE(TQnTagsBoxItemData, TQnTagsBoxItem, TCollection)
 public:
  explicit TQnTagsBoxItemData(TCollection* Collection) : TQnTagsBoxItem(Collection) {}
};

class TQnTagsBoxItems : public TCollection {
  QN_CLASS(TQnTagsBoxItems, TCollection)
 public:
  explicit TQnTagsBoxItems(TQuarnCustomTagsBox* Box);

  TQnTagsBoxItem* Add() { return static_cast<TQnTagsBoxItem*>(TCollection::Add()); }
  TQnTagsBoxItem* AddItem(TQnTagsBoxItem* Item, Integer Index);
  TQnTagsBoxItem* Insert(Integer Index) { return AddItem(nullptr, Index); }
  TQnTagsBoxItem* Items(Integer Index) const { return static_cast<TQnTagsBoxItem*>(GetItem(Index)); }
  TQuarnCustomTagsBox* TagsBox() const { return FBox; }
  TPersistent* GetOwner() override;

 protected:
  void Added(TCollectionItem* Item) override;
  void Deleting(TCollectionItem* Item) override;
  void Update(TCollectionItem* Item) override;

  TQuarnCustomTagsBox* FBox = nullptr;
};

class TQuarnCustomTagsBox : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCustomTagsBox, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCustomTagsBox(TComponent* AOwner);
  ~TQuarnCustomTagsBox() override;

  // The captions as one strict comma text.
  String Text();
  void SetText(const String& Value);
  TQnTagsBoxItem* GetItemAt(const TPoint& P);
  void UpdateScrollBar();
  Integer CalcItemsHeight();
  // The delete button's size for the current chip height.
  Integer DeleteButtonSize();

  TQnTagsBoxItems* Items() const { return FItems.get(); }
  void SetItems(TQnTagsBoxItems* Value) { FItems->Assign(Value); }
  Integer RoundRadius() const { return FRoundRadius; }
  void SetRoundRadius(Integer Value) { Change(FRoundRadius, Value); }
  TQuarnColorControls_DeleteButton* DeleteButton() const { return FDeleteButton.get(); }
  void SetDeleteButton(TQuarnColorControls_DeleteButton* Value) { FDeleteButton->Assign(Value); }
  Integer ItemMinWidth() const { return FItemMinWidth; }
  void SetItemMinWidth(Integer Value) {
    if (Value >= 1) Change(FItemMinWidth, Value);
  }
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value) {
    if (Value >= 1) Change(FItemHeight, Value);
  }
  Integer ItemSpaceSize() const { return FItemSpaceSize; }
  void SetItemSpaceSize(Integer Value) { Change(FItemSpaceSize, Value); }
  Integer MarginBorderSize() const { return FMarginBorderSize; }
  void SetMarginBorderSize(Integer Value);
  Integer ScrollSize() const { return FScrollSize; }
  void SetScrollSize(Integer Value) { FScrollSize = Value; }
  bool HideScrollbar() const { return FHideScrollbar; }
  void SetHideScrollbar(bool Value);
  bool MousePressed() const { return FMousePressed; }
  Integer HotItemIndex() const { return FHotItemIndex; }
  Integer FocusItemIndex() const { return FFocusItemIndex; }
  void SetFocusItemIndex(Integer Value);
  TQuarnScrollBar* ScrollBar() const { return FScrollBar; }
  bool MouseInDeleteButton() const { return FMouseInDeleteButton; }

  const TItemIndexEvent& OnClickItem() const { return FOnClickItem; }
  void SetOnClickItem(const TItemIndexEvent& Value) { FOnClickItem = Value; }
  const TQnTagsBoxItemDrawEnvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TQnTagsBoxItemDrawEnvent& Value) { FOnDrawItem = Value; }
  const TItemDeleteEvent& OnDeleteClick() const { return FOnDeleteClick; }
  void SetOnDeleteClick(const TItemDeleteEvent& Value) { FOnDeleteClick = Value; }
  const TQnGetCursorEvent& OnGetCursor() const { return FOnGetCursor; }
  void SetOnGetCursor(const TQnGetCursorEvent& Value) { FOnGetCursor = Value; }
  const TItemHotIndexEvent& OnHotChanged() const { return FOnHotChanged; }
  void SetOnHotChanged(const TItemHotIndexEvent& Value) { FOnHotChanged = Value; }
  const TStateChangeIndexEvent& OnFocusChanging() const { return FOnFocusChanging; }
  void SetOnFocusChanging(const TStateChangeIndexEvent& Value) { FOnFocusChanging = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  const TEvent<void(TObject*, TQnTagsBoxItem*)>& OnFreeItem() const { return FOnFreeItem; }
  void SetOnFreeItem(const TEvent<void(TObject*, TQnTagsBoxItem*)>& Value) { FOnFreeItem = Value; }

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TQnTagsBoxItem;
  friend class TQnTagsBoxItems;

  virtual void DoDrawItem(TBitmap32* Buffer, TQnTagsBoxItem* Item);
  virtual void DoHotChanged(Integer OldIndex, Integer NewIndex);
  virtual void DoClickItem(TObject* Sender, Integer Index);
  virtual void DoFreeItem(TObject* Sender, TQnTagsBoxItem* Item);
  virtual void DoFocusChanging(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow);
  virtual void DoChanged();
  virtual void DoGetCursor(TCursor& Cursor);

  void CreateHandle() override;
  void DrawBody(TBitmap32* Buffer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave() override;
  void HitTest(Integer X, Integer Y);
  void DoShowScrollBar();
  void DoHideScrollBar();
  void ScrollBarChange(TObject* Sender);
  void DeleteButtonChanged(TObject*) { Invalidate(); }
  bool ValidIndex(Integer I) const { return I >= 0 && I < FItems->Count(); }

  std::unique_ptr<TQnTagsBoxItems> FItems;
  Integer FItemSpaceSize = 10;
  Integer FItemHeight = 25;
  Integer FItemMinWidth = 60;
  Integer FHotItemIndex = -1, FFocusItemIndex = -1;
  Integer FItemBeginIndex = -1, FItemEndIndex = -1;
  bool FMouseInDeleteButton = false;
  TQuarnScrollBar* FScrollBar = nullptr;
  TPoint FDispOffset;
  bool FMousePressed = false;
  Integer FMarginBorderSize = 10;
  Integer FScrollSize = 30;
  bool FHideScrollbar = false;
  bool FResetScrollbarSize = true;
  Integer FRoundRadius = 12;
  std::unique_ptr<TQuarnColorControls_DeleteButton> FDeleteButton;
  TItemIndexEvent FOnClickItem;
  TQnTagsBoxItemDrawEnvent FOnDrawItem;
  TItemDeleteEvent FOnDeleteClick;
  TQnGetCursorEvent FOnGetCursor;
  TItemHotIndexEvent FOnHotChanged;
  TEvent<void(TObject*, TQnTagsBoxItem*)> FOnFreeItem;
  TStateChangeIndexEvent FOnFocusChanging;
  TNotifyEvent FOnChanged;

 private:
  void Change(Integer& Field, Integer Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }
};

class TQuarnTagsBox : public TQuarnCustomTagsBox {
  QN_CLASS_CREATE(TQuarnTagsBox, TQuarnCustomTagsBox, TComponent)
 public:
  explicit TQuarnTagsBox(TComponent* AOwner) : TQuarnCustomTagsBox(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnTagsBox) {
    QN_PROP(RoundRadius).Default(12);
    QN_PROP(DeleteButton);
    QN_PROP(Items);
    QN_PROP(ItemMinWidth).Default(60);
    QN_PROP(ItemHeight).Default(25);
    QN_PROP(ItemSpaceSize).Default(10);
    QN_PROP(MarginBorderSize).Default(10);
    QN_PROP(ScrollSize).Default(30);
    QN_PROP(HideScrollbar).Default(false);
    QN_PROP(OnClickItem).TypeName(u"TItemIndexEvent");
    QN_PROP(OnDrawItem).TypeName(u"TQnTagsBoxItemDrawEnvent");
    QN_PROP(OnDeleteClick).TypeName(u"TItemDeleteEvent");
    QN_PROP(OnGetCursor).TypeName(u"TQnGetCursorEvent");
    QN_PROP(OnHotChanged).TypeName(u"TItemHotIndexEvent");
    QN_PROP(OnFocusChanging).TypeName(u"TStateChangeIndexEvent");
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    QN_PROP(Font);
    // Declared with what the constructor sets, so every other value is
    // written and read back.
    QN_PROP(Alpha).Default(255);
    QN_PROP(BorderSides).Default(TSides{sdLeft, sdTop, sdRight, sdBottom});
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(BackgroundFillType).Default(ftNormal);
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(DoubleBorder).Default(true);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }
};

void InitQuarnTagsBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
