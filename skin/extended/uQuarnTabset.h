// uQuarnTabset: a toolbar whose items are tabs. On top of the toolbar it
// draws a small close button at each tab's top right (which an event may
// veto tab by tab) and lets tabs be dragged to a new place: the dragged tab
// hides and a blank placeholder tab shows where it will land.
//
// Selection is the toolbar's down state: a tab that should stay selected
// after the release needs a GroupIndex other than 0.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/Controls.h"
#include "skin/extended/uQuarnToolbar.h"

namespace qn {

// Show enters True; False hides that tab's close button and its hit area.
using TPaintCloseButtonEvent = TEvent<void(TObject* Sender, TQuarnToolbarItem* Item, bool& Show)>;

class TQuarnCustomTabset;

// The close button's distance from the tab's right and top edges, with its
// own defaults so form files leave them out.
class TQnCloseButtonOffset : public TQnOffset {
  QN_CLASS(TQnCloseButtonOffset, TQnOffset)
 public:
  TQnCloseButtonOffset() {
    SetX(4);
    SetY(3);
  }
  QN_PUBLISHED_DECL(TQnCloseButtonOffset) {
    QN_PROP(X).Default(4);
    QN_PROP(Y).Default(3);
  }
};

class TQnTabsetItemDragObject : public TDragObjectEx {
  QN_CLASS(TQnTabsetItemDragObject, TDragObjectEx)
 public:
  explicit TQnTabsetItemDragObject(TQuarnCustomTabset* Tabset);
  ~TQnTabsetItemDragObject() override;
  // The dragged tab's picture, made on the first request; nil without a
  // valid dragged tab.
  TDragImageList* GetDragImages() override;
  void HideDragImage() override;
  void ShowDragImage() override;
  TQuarnCustomTabset* Tabset() const { return FTabset; }
  TNotifyEvent OnFinished() const { return FOnFinished; }
  void SetOnFinished(const TNotifyEvent& Value) { FOnFinished = Value; }

 protected:
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;

 private:
  friend class TQuarnCustomTabset;
  std::unique_ptr<TDragImageList> FDragImages;
  TQuarnCustomTabset* FTabset;
  TNotifyEvent FOnFinished;
};

class TQuarnCustomTabset : public TQuarnCustomToolbar {
  QN_CLASS_CREATE(TQuarnCustomTabset, TQuarnCustomToolbar, TComponent)
 public:
  explicit TQuarnCustomTabset(TComponent* AOwner);
  ~TQuarnCustomTabset() override;

  TPngPictures* CloseButton() const { return FCloseButton.get(); }
  void SetCloseButton(TPngPictures* Value) { FCloseButton->Assign(Value); }
  bool CloseButtonVisible() const { return FCloseButtonVisible; }
  void SetCloseButtonVisible(bool Value);
  TQnOffset* CloseButtonOffset() const { return FCloseButtonOffset.get(); }
  void SetCloseButtonOffset(TQnOffset* Value) { FCloseButtonOffset->Assign(Value); }
  bool AllowDragTab() const { return FAllowDragTab; }
  void SetAllowDragTab(bool Value) { FAllowDragTab = Value; }
  const TToolbarClickEvent& OnCloseButtonClick() const { return FOnCloseButtonClick; }
  void SetOnCloseButtonClick(const TToolbarClickEvent& Value) { FOnCloseButtonClick = Value; }
  const TPaintCloseButtonEvent& OnPaintCloseButton() const { return FOnPaintCloseButton; }
  void SetOnPaintCloseButton(const TPaintCloseButtonEvent& Value) { FOnPaintCloseButton = Value; }

  // The tab whose close button is under the mouse, -1 for none.
  Integer CBHotIndex() const { return FCBHotIndex; }
  Integer DragItemIndex() const { return FDragItemIndex; }
  // The dragged tab and its placeholder while a drag runs.
  TQuarnToolbarItem* SourceDragItem() const { return FSourceDragToolbarItem; }
  TQuarnToolbarItem* PlaceholderItem() const { return FDestDragToolbarItem; }
  TQnTabsetItemDragObject* DragObject() const { return FDragObject; }
  // Where Item's close button is drawn and hit.
  TRect CloseButtonRect(const TQuarnToolbarItem* Item);
  // Whether Item shows a close button now (visible ones, not vetoed).
  bool ShowsCloseButton(TQuarnToolbarItem* Item);

  // The width reserved at a tab's right end for its close button.
  Integer GetExWidth() override;
  void Dispatch(TMessage& Message) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;

 protected:
  virtual void DoOnCloseButtonClick(Integer Index);
  void MouseEnter() override;
  void MouseLeave() override;
  void DoDrawItem(TBitmap32* Buffer, TQuarnToolbarItemData* ItemData) override;
  void DoButtonWidthChanged(TObject* Sender, Integer& Width) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ItemDestroying(TQuarnToolbarItem* Item) override;
  void GetHitTest(Integer X, Integer Y);
  void DoOnDragFinished(TObject* Sender);

  std::unique_ptr<TPngPictures> FCloseButton;
  bool FCloseButtonVisible = false;
  Integer FCBHotIndex = -1;
  Integer FDragItemIndex = -1;
  bool FMousePressed = false;
  TToolbarClickEvent FOnCloseButtonClick;
  TPaintCloseButtonEvent FOnPaintCloseButton;
  std::unique_ptr<TQnCloseButtonOffset> FCloseButtonOffset;
  bool FAllowDragTab = false;
  bool FMouseHooked = false;
  TQuarnToolbarItem* FSourceDragToolbarItem = nullptr;
  TQuarnToolbarItem* FDestDragToolbarItem = nullptr;
  TQnTabsetItemDragObject* FDragObject = nullptr;
  TPoint FOldMouseDownPt;

 private:
  friend class TQnTabsetItemDragObject;
  void RepaintOnChange(TObject*) { Invalidate(); }
  // Whether Item is still one of the tabs.
  bool IsItem(const TQuarnToolbarItem* Item) const;
  void FreePlaceholder();
};

class TQuarnTabset : public TQuarnCustomTabset {
  QN_CLASS_CREATE(TQuarnTabset, TQuarnCustomTabset, TComponent)
 public:
  explicit TQuarnTabset(TComponent* AOwner) : TQuarnCustomTabset(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnTabset) {
    QN_PROP(Items);
    QN_PROP(Images);
    QN_PROP(ButtonImage);
    QN_PROP(ButtonWidth).Default(110);
    QN_PROP(ButtonHeight).Default(38);
    QN_PROP(SpaceSize).Default(0);
    QN_PROP(MultiLine).Default(false);
    QN_PROP(AutoButtonWidth).Default(false);
    QN_PROP(ScrollSize).Default(15);
    QN_PROP(MarginSize).Default(20);
    QN_PROP(MarginTextSize).Default(2);
    QN_PROP(TextOffset);
    QN_PROP(FontHot);
    QN_PROP(FontDown);
    QN_PROP(CloseButton);
    QN_PROP(CloseButtonVisible).Default(false);
    QN_PROP(CloseButtonOffset);
    QN_PROP(AllowDragTab).Default(false);
    QN_PROP(DelayRefresh).Default(true);
    QN_PROP(Alpha).Default(255);
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
    QN_PROP(OnCloseButtonClick).TypeName(u"TToolbarClickEvent");
    QN_PROP(OnPaintCloseButton).TypeName(u"TPaintCloseButtonEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alTop);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }
};

void InitQuarnTabset();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
