// uQuarnToolbar: a translucent panel with a row (or, multi-line, a column)
// of items. An item is a button or a spacer; a button shows a state frame,
// an image-list image, a glowing text, a drop-down arrow, and can stay down
// like a radio button among the items of its group or follow an action.
// Items that do not fit scroll behind two scroll buttons.
//
// Layout runs inside the paint, item by item, so the item rectangles, the
// content end and the overflow flag are those of the last paint; hit-tests
// and scroll steps work on them until the next one.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQnCustomButton.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/foundation/uQuarnIntf.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

enum class TToolbarItemKind { tkButton, tkSpacer };
QN_ENUM_NAMES(TToolbarItemKind, tkButton, tkSpacer)
using enum TToolbarItemKind;

enum class TToolbarItemLayout { ilBottom, ilTop, ilLeft, ilRight };
QN_ENUM_NAMES(TToolbarItemLayout, ilBottom, ilTop, ilLeft, ilRight)
using enum TToolbarItemLayout;

enum class TOtherButtonKind { gbNone, gbBack, gbFront, gbMenu };
QN_ENUM_NAMES(TOtherButtonKind, gbNone, gbBack, gbFront, gbMenu)
using enum TOtherButtonKind;

class TQuarnCustomToolbar;
class TQuarnToolbarItem;
class TQuarnToolbarItems;
class TQuarnToolbarItem;
using TQuarnToolbarItemData = TQuarnToolbarItem;

using TToolbarClickEvent = TEvent<void(TObject* Sender, const Integer Index)>;
using TQnToolbarItemDrawEnvent = TEvent<void(TObject* Sender, TBitmap32* Buffer, TQuarnToolbarItemData* Item)>;
using TToolbarButtonWidthEvent = TEvent<void(TObject* Sender, Integer& Width)>;

// An item's link to its action: text, Enabled, Visible and OnClick follow
// the action while the item still holds the action's value.
class TToolbarItemActionLink : public TActionLink {
  QN_CLASS_CREATE(TToolbarItemActionLink, TActionLink, TObject)
 public:
  explicit TToolbarItemActionLink(TObject* AClient);

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const String& Value) override;
  void SetEnabled(bool Value) override;
  void SetVisible(bool Value) override;

 protected:
  void AssignClient(TObject* AClient) override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  TQuarnToolbarItem* FClient = nullptr;
};

class TQuarnToolbarItem : public TCollectionItem {
  QN_CLASS_CREATE(TQuarnToolbarItem, TCollectionItem, TCollection)
 public:
  explicit TQuarnToolbarItem(TCollection* Collection);
  ~TQuarnToolbarItem() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value) { FGroupIndex = Value; }
  String Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Integer ImageHotIndex() const { return FImageHotIndex; }
  void SetImageHotIndex(Integer Value);
  Integer ImageDownIndex() const { return FImageDownIndex; }
  void SetImageDownIndex(Integer Value);
  Integer ImageDisableIndex() const { return FImageDisableIndex; }
  void SetImageDisableIndex(Integer Value);
  TToolbarItemKind Kind() const { return FKind; }
  void SetKind(TToolbarItemKind Value);
  TColor LineColor() const { return FLineColor; }
  void SetLineColor(TColor Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  TQnTextObj* Text() const { return FText.get(); }
  void SetText(TQnTextObj* Value) { FText->Assign(Value); }
  TToolbarItemLayout TextLayout() const { return FTextLayout; }
  void SetTextLayout(TToolbarItemLayout Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  TQuarnCustomToolbar* Toolbar() const { return GetToolbar(); }
  TQuarnCustomToolbar* GetToolbar() const;
  // The user's own pointer; the toolbar never reads it.
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  // Where the last paint put the item and its drop-down arrow area.
  const TRect& Rect() const { return FRect; }
  const TRect& MenuButtonRect() const { return FMenuButtonRect; }
  TToolbarItemActionLink* ActionLink() const { return FActionLink.get(); }

  // The focus moves here, then OnClick (else the drop-down menu), then the
  // toolbar's OnItemClick.
  virtual void Click();
  virtual void InitiateAction();

  QN_PUBLISHED_DECL(TQuarnToolbarItem) {
    QN_PROP(Action);
    QN_PROP(AllowAllUp).Default(false);
    QN_PROP(Down).Default(false);
    QN_PROP(DropdownMenu);
    QN_PROP(Enabled).Default(true);
    QN_PROP(GroupIndex).Default(0);
    QN_PROP(Hint);
    QN_PROP(ImageIndex).Default(-1);
    QN_PROP(ImageHotIndex).Default(-1);
    QN_PROP(ImageDownIndex).Default(-1);
    QN_PROP(ImageDisableIndex).Default(-1);
    QN_PROP(Kind).Default(tkButton);
    QN_PROP(LineColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00848484));
    QN_PROP(Tag).Default(0);
    QN_PROP(Text);
    QN_PROP(TextLayout).Default(ilBottom);
    QN_PROP(Visible).Default(true);
    QN_PROP(OnClick);
  }

 protected:
  String GetDisplayName() override;
  virtual TClass GetActionLinkClass() const { return TToolbarItemActionLink::StaticClass(); }
  virtual void ActionChanged(TObject* Action, bool CheckDefaults);
  void DoActionChange(TObject* Sender);

 private:
  friend class TQuarnCustomToolbar;
  friend class TQuarnToolbarItems;
  friend class TToolbarItemActionLink;
  // Stores and announces a change of the whole collection.
  template <class T>
  void Change(T& Field, const T& Value);
  void TextChanged(TObject* Sender);
  void SetTextString(const String& Value);

  std::unique_ptr<TToolbarItemActionLink> FActionLink;
  TToolbarItemKind FKind = tkButton;
  Integer FImageIndex = -1;
  TNotifyEvent FOnClick;
  bool FEnabled = true;
  bool FVisible = true;
  TPopupMenu* FDropdownMenu = nullptr;
  std::unique_ptr<TQnTextObj> FText;
  TRect FRect;
  bool FDown = false;
  Integer FGroupIndex = 0;
  TToolbarItemLayout FTextLayout = ilBottom;
  TRect FMenuButtonRect;
  Integer FTag = 0;
  TColor FLineColor = static_cast<TColor>(0x00848484);
  Integer FImageHotIndex = -1;
  Integer FImageDownIndex = -1;
  bool FAllowAllUp = false;
  Integer FImageDisableIndex = -1;
  void* FData = nullptr;
  String FHint;
};

// The declared type of the item OnDrawItem hands over. It adds nothing to
// the item, and the object handed over is the item itself, so it is the
// item's own type under a second name rather than a class no item is of.
class TQuarnCustomToolbar : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCustomToolbar, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCustomToolbar(TComponent* AOwner);
  ~TQuarnCustomToolbar() override;
  void Assign(TPersistent* Source) override;

  TQuarnToolbarItems* Items() const { return FItems.get(); }
  void SetItems(TQuarnToolbarItems* Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TPngPictures* ButtonImage() const { return FButtonImage.get(); }
  void SetButtonImage(TPngPictures* Value) { FButtonImage->Assign(Value); }
  Integer ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(Integer Value);
  Integer ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(Integer Value);
  Integer SpaceSize() const { return FSpaceSize; }
  void SetSpaceSize(Integer Value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  bool AutoButtonWidth() const { return FAutoButtonWidth; }
  void SetAutoButtonWidth(bool Value);
  Integer ScrollSize() const { return FScrollSize; }
  void SetScrollSize(Integer Value) { FScrollSize = Value; }
  bool ScrollButtonVisible() const { return FScrollButtonVisible; }
  void SetScrollButtonVisible(bool Value);
  Integer MarginSize() const { return FMarginSize; }
  void SetMarginSize(Integer Value);
  Integer MarginTextSize() const { return FMarginTextSize; }
  void SetMarginTextSize(Integer Value);
  TQnBtnItemOffset* TextOffset() const { return FTextOffset.get(); }
  void SetTextOffset(TQnBtnItemOffset* Value) { FTextOffset->Assign(Value); }
  TQnBtnItemOffset* DropdownMenuOffset() const { return FDropdownMenuOffset.get(); }
  void SetDropdownMenuOffset(TQnBtnItemOffset* Value) { FDropdownMenuOffset->Assign(Value); }
  TFont* FontHot() const { return FFontHot.get(); }
  void SetFontHot(TFont* Value) { FFontHot->Assign(Value); }
  TFont* FontDown() const { return FFontDown.get(); }
  void SetFontDown(TFont* Value) { FFontDown->Assign(Value); }
  bool AllowArrowKeys() const { return FAllowArrowKeys; }
  // Also the tab stop, and whether the control wants the arrow keys.
  void SetAllowArrowKeys(bool Value);
  const TToolbarClickEvent& OnItemClick() const { return FOnItemClick; }
  void SetOnItemClick(const TToolbarClickEvent& Value) { FOnItemClick = Value; }
  const TToolbarClickEvent& OnItemDown() const { return FOnItemDown; }
  void SetOnItemDown(const TToolbarClickEvent& Value) { FOnItemDown = Value; }
  const TNotifyEvent& OnItemFocusChanged() const { return FOnItemFocusChanged; }
  void SetOnItemFocusChanged(const TNotifyEvent& Value) { FOnItemFocusChanged = Value; }
  const TQnToolbarItemDrawEnvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TQnToolbarItemDrawEnvent& Value) { FOnDrawItem = Value; }
  const TToolbarButtonWidthEvent& OnButtonWidthChanged() const { return FOnButtonWidthChanged; }
  void SetOnButtonWidthChanged(const TToolbarButtonWidthEvent& Value) { FOnButtonWidthChanged = Value; }

  // The item and area under the mouse, the item last pressed or chosen.
  Integer HotItemIndex() const { return FHotItemIndex; }
  void SetHotItemIndex(Integer Value) { FHotItemIndex = Value; }
  Integer FocusItemIndex() const { return FFocusItemIndex; }
  void SetFocusItemIndex(Integer Value);
  TOtherButtonKind HotOtherBtn() const { return FHotOtherBtn; }
  // The scroll state of the last paint.
  TPoint DispOffset() const { return FDispOffset; }
  TPoint ContentEnd() const { return TPoint(FDispX, FDispY); }
  bool EnabledScroll() const { return FEnabledScroll; }
  bool StopScroll() const { return FStopScroll; }
  const TRect& GoBackBtnRect() const { return FGoBackBtnRect; }
  const TRect& GoFrontBtnRect() const { return FGoFrontBtnRect; }
  // How often the three button frames were nine-sliced anew.
  Integer FrameCacheBuilds() const { return FFrameCacheBuilds; }

  virtual TClass GetToolbarItemClass() const { return TQuarnToolbarItem::StaticClass(); }
  virtual TClass GetToolbarItemsClass() const;
  TQuarnToolbarItem* CreateToolbarItem();
  Integer VisibleItemCount() const;
  void ResetDispOffset() { FDispOffset = TPoint(0, 0); }
  void RezieButtonImage() { FRezieButtonImage = true; }
  // The first visible item whose last rectangle holds P, or -1.
  Integer GetItemAt(const TPoint& P) const;
  // One scroll step with that button as the hot area.
  void ScrollBack();
  void ScrollFront();

  void InitiateAction() override;
  void ScaleControlsForDpi(Integer NewPPI) override;
  TBitmap32* GetDoubleBuffer() override { return FBodyBuffer.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual bool DoClickGoBackButton();
  virtual bool DoClickGoFrontButton();
  virtual void DoSetItemDown();
  virtual void DoDrawItem(TBitmap32* Buffer, TQuarnToolbarItemData* ItemData);
  virtual void DoItemClick(Integer Index);
  virtual Integer GetExWidth() { return 0; }
  virtual void DoItemsChanged();
  virtual void DoButtonWidthChanged(TObject* Sender, Integer& Width);
  // An item is on its way out (deleted, or freed by the collection).
  virtual void ItemDestroying(TQuarnToolbarItem* Item) {}

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DrawBody(TBitmap32* Buffer) override;
  void ImagesChange(TObject* Sender);
  void DoOnTimer(TObject* Sender);
  void WMSize(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void CMHintShow(TMessage& Message);
  // Re-creates the collection through GetToolbarItemsClass; a descendant
  // with items of its own calls it from its constructor.
  void CreateItems();

  std::unique_ptr<TChangeLink> FImagesChangeLink;
  std::unique_ptr<TQuarnToolbarItems> FItems;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TPngPictures> FButtonImage;
  std::unique_ptr<TPngPictures> FGoBackBtnPng, FGoFrontBtnPng;
  std::unique_ptr<TPngPictures> FGoUpBtnPng, FGoDownBtnPng;
  std::unique_ptr<TPngPictures> FDropdownMenuPictures;
  Integer FButtonHeight = 48, FButtonWidth = 48, FSpaceSize = 3;
  Integer FHotItemIndex = -1;
  Integer FFocusItemIndex = -1;
  TOtherButtonKind FHotOtherBtn = gbNone;
  std::unique_ptr<TQuarnImage> FHotImage, FDownImage, FNormalImage;
  TPoint FDispOffset{0, 0};
  bool FMultiLine = false;
  TRect FGoBackBtnRect, FGoFrontBtnRect;
  bool FDownOtherBtn = false;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  bool FStopScroll = false;
  bool FEnabledScroll = false;
  bool FRezieButtonImage = true;
  Integer FScrollSize = 15;
  std::unique_ptr<TQnDropdownOffset> FDropdownMenuOffset;
  Integer FMenuBtnWidth = 16;
  std::unique_ptr<TBitmap32> FBodyBuffer;
  TToolbarClickEvent FOnItemDown, FOnItemClick;
  Integer FMarginSize = 20;
  std::unique_ptr<TFont> FFontDown, FFontHot;
  TColor FFontColor = clBlack;
  Integer FMarginTextSize = 2;
  TQnToolbarItemDrawEnvent FOnDrawItem;
  TNotifyEvent FOnItemFocusChanged;
  std::unique_ptr<TQnBtnItemOffset> FTextOffset;
  Integer FDispX = 0, FDispY = 0;
  bool FScrollButtonVisible = true;
  bool FAutoButtonWidth = false;
  TToolbarButtonWidthEvent FOnButtonWidthChanged;
  bool FAllowArrowKeys = false;

 private:
  friend class TQuarnToolbarItem;
  friend class TQuarnToolbarItems;
  struct TPaintState;
  void PaintItem(TBitmap32* Buffer, TQuarnToolbarItem* Item, TPaintState& S);
  void RebuildFrameCache(Integer W, Integer H);
  // One of the cached frames (0 normal, 1 hot, 2 pressed), sliced to the
  // cache's size the first time it is asked for after a rebuild; nil when
  // the button image has no such frame.
  TQuarnImage* CachedFrame(Integer Which);
  void PaintScrollButtons(TBitmap32* Buffer);
  void PlaceScrollButtons();
  void SelectFont(TBitmap32* Buffer, TFont* Font, TPaintState& S);
  void ButtonImageChanged(TObject* Sender);
  // Whether another item than Except still uses Menu.
  bool MenuInUse(TPopupMenu* Menu, const TQuarnToolbarItem* Except) const;
  Integer FFrameCacheBuilds = 0;
  TSize FFrameSize{0, 0};
  bool FFrameSliced[3] = {false, false, false};
  std::unique_ptr<TQuarnImage> FFrameSource;
  Cardinal FStoreGeneration = 0;
};

class TQuarnToolbarItems : public TOwnedCollection {
  QN_CLASS_CREATE(TQuarnToolbarItems, TOwnedCollection, TQuarnCustomToolbar)
 public:
  explicit TQuarnToolbarItems(TQuarnCustomToolbar* Toolbar);

  TQuarnToolbarItem* Add() { return static_cast<TQuarnToolbarItem*>(TCollection::Add()); }
  // Item (or a new one from the toolbar when nil) placed at Index, or last
  // for Index < 0; nil when there is neither.
  TQuarnToolbarItem* AddItem(TQuarnToolbarItem* Item, Integer Index);
  TQuarnToolbarItem* Insert(Integer Index) { return AddItem(nullptr, Index); }
  TQuarnToolbarItem* Items(Integer Index) const { return GetItems(Index); }
  TQuarnToolbarItem* GetItems(Integer Index) const { return static_cast<TQuarnToolbarItem*>(GetItem(Index)); }
  void SetItems(Integer Index, TQuarnToolbarItem* Value) { SetItem(Index, Value); }
  TQuarnToolbarItem* operator[](Integer Index) const { return GetItems(Index); }
  TQuarnCustomToolbar* Toolbar() const { return FToolbar; }
  TPersistent* GetOwner() override;

 protected:
  void Added(TCollectionItem* Item) override;
  void Deleting(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  void Update(TCollectionItem* Item) override;

 private:
  bool ToolbarAlive() const;
  TQuarnCustomToolbar* FToolbar;
};

class TQuarnToolbar : public TQuarnCustomToolbar {
  QN_CLASS_CREATE(TQuarnToolbar, TQuarnCustomToolbar, TComponent)
 public:
  explicit TQuarnToolbar(TComponent* AOwner) : TQuarnCustomToolbar(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnToolbar) {
    QN_PROP(Items);
    QN_PROP(Images);
    QN_PROP(ButtonImage);
    QN_PROP(ButtonWidth).Default(48);
    QN_PROP(ButtonHeight).Default(48);
    QN_PROP(SpaceSize).Default(3);
    QN_PROP(MultiLine).Default(false);
    QN_PROP(AutoButtonWidth).Default(false);
    QN_PROP(ScrollSize).Default(15);
    QN_PROP(ScrollButtonVisible).Default(true);
    QN_PROP(MarginSize).Default(20);
    QN_PROP(MarginTextSize).Default(2);
    QN_PROP(TextOffset);
    QN_PROP(DropdownMenuOffset);
    QN_PROP(FontHot);
    QN_PROP(FontDown);
    QN_PROP(AllowArrowKeys).Default(false);
    QN_PROP(DelayRefresh).Default(true);
    QN_PROP(Alpha).Default(192);
    QN_PROP(BorderSides).Default(TSides{});
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundFillType).Default(ftNormal);
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(DoubleBorder).Default(true);
    QN_PROP(OnCustomDraw).TypeName(u"TQnCustomDrawEvent");
    QN_PROP(OnItemClick).TypeName(u"TToolbarClickEvent");
    QN_PROP(OnItemDown).TypeName(u"TToolbarClickEvent");
    QN_PROP(OnItemFocusChanged).TypeName(u"TNotifyEvent");
    QN_PROP(OnDrawItem).TypeName(u"TQnToolbarItemDrawEnvent");
    QN_PROP(OnButtonWidthChanged).TypeName(u"TToolbarButtonWidthEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alTop);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }
};

void InitQuarnToolbar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
