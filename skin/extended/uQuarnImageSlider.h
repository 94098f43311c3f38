// uQuarnImageSlider: a carousel. One image of a list shows at a time, with
// arrow buttons, a row of dots (one per image) and an automatic advance every
// SliderInterval milliseconds. A change of image slides the strip of images
// sideways or fades the new one in along an eased table, in a short message
// loop of its own (5 ms a frame) that keeps input, paints and timers going.
// Whatever runs in that loop may free the slider or change its items, so the
// loop checks both after every frame and leaves when either went.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/classes/Collection.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

enum class TCursorOnItem { coNone, coLeftButton, coRightButton, coDotButton };
QN_ENUM_NAMES(TCursorOnItem, coNone, coLeftButton, coRightButton, coDotButton)
using enum TCursorOnItem;

enum class TSliderType { stLeftRight, stFade };
QN_ENUM_NAMES(TSliderType, stLeftRight, stFade)
using enum TSliderType;

enum class TImageSliderOption { soLeftRightButtonVisible, soDotButtonVisible };
QN_ENUM_NAMES(TImageSliderOption, soLeftRightButtonVisible, soDotButtonVisible)
using enum TImageSliderOption;
using TImageSliderOptions = TSet<TImageSliderOption>;
QN_TYPE_NAME(TImageSliderOptions)

class TQuarnSliderItem;
class TQuarnCustomImageSlider;

using TItemClickEvent = TEvent<void(TObject* Sender, TQuarnSliderItem* Item)>;

class TQuarnSliderItem : public TCollectionItem {
  QN_CLASS_CREATE(TQuarnSliderItem, TCollectionItem, TCollection)
 public:
  explicit TQuarnSliderItem(TCollection* Collection) : TCollectionItem(Collection) {}

  // Setters only store; the slider's next paint takes a new image.
  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value) { FImage = Value; }
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  const String& Description() const { return FDescription; }
  void SetDescription(const String& Value) { FDescription = Value; }
  // The item's dot cell as the last paint laid it out.
  const TRect& DotButtonRect() const { return FDotButtonRect; }

  // The application's own pointer, never touched by the slider.
  Pointer Data = nullptr;

  QN_PUBLISHED_DECL(TQuarnSliderItem) {
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(Title);
    QN_PROP(Description);
  }

 protected:
  friend class TQuarnCustomImageSlider;
  // Data, title, description and image go to another slider item.
  void AssignTo(TPersistent* Dest) override;

  String FDescription;
  String FTitle;
  TQnResID FImage;
  TRect FDotButtonRect;
};

class TQuarnSliderItemCollection : public TCollection {
  QN_CLASS(TQuarnSliderItemCollection, TCollection)
 public:
  explicit TQuarnSliderItemCollection(TQuarnCustomImageSlider* AOwner);

  TQuarnSliderItem* Add() { return static_cast<TQuarnSliderItem*>(TCollection::Add()); }
  TQuarnSliderItem* Items(Integer Index) const { return static_cast<TQuarnSliderItem*>(GetItem(Index)); }
  TQuarnSliderItem* operator[](Integer Index) const { return Items(Index); }
  TPersistent* GetOwner() override;

 protected:
  // Both tell the slider, outside update brackets, to take the new list.
  void Update(TCollectionItem* Item) override;
  void Deleting(TCollectionItem* Item) override;
  bool Reports();

  TQuarnCustomImageSlider* FOwner;
};

// The images side by side, each scaled to the control's size. Kept as one
// page per image with the pixels a single strip would have: one bitmap of a
// hundred full-screen images would take most of a gigabyte.
class TSliderStrip {
 public:
  Integer Count() const { return static_cast<Integer>(FPages.size()); }
  // The strip as one picture: Count pages of PageWidth side by side.
  Integer Width() const { return FPageWidth * Count(); }
  Integer Height() const { return FHeight; }
  Integer PageWidth() const { return FPageWidth; }
  TBitmap32* Page(Integer Index) const { return FPages[static_cast<size_t>(Index)].Bitmap.get(); }
  // The image id a page was made from.
  const TQnResID& PageImage(Integer Index) const { return FPages[static_cast<size_t>(Index)].Image; }
  void Clear();
  void SetPageSize(Integer Width, Integer Height);
  // A page of image Id at the end (Index < 0) or in place of page Index:
  // the image scaled to cover the page, centred, on opaque white.
  void SetPage(Integer Index, const TQnResID& Id);
  // Rect of the strip copied opaquely to (X, Y) of Dst; parts outside the
  // strip are left alone.
  void DrawTo(TBitmap32* Dst, Integer X, Integer Y, const TRect& Rect) const;

 private:
  struct TPage {
    std::unique_ptr<TBitmap32> Bitmap;
    TQnResID Image;
  };
  std::vector<TPage> FPages;
  Integer FPageWidth = 0;
  Integer FHeight = 0;
};

class TQuarnCustomImageSlider : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCustomImageSlider, TQuarnCustomPanel, TComponent)
 public:
  // 632 × 340, opaque, without border; the 100 ms timer runs from here on,
  // in the designer too, where it does nothing.
  explicit TQuarnCustomImageSlider(TComponent* AOwner);
  ~TQuarnCustomImageSlider() override;

  bool AutoImageSize() const { return FAutoImageSize; }
  void SetAutoImageSize(bool Value) { FAutoImageSize = Value; }
  bool AutoSlider() const { return FAutoSlider; }
  // Switching it on counts the interval from now.
  void SetAutoSlider(bool Value);
  TPngPictures* ButtonLeft() const { return FButtonLeft.get(); }
  void SetButtonLeft(TPngPictures* Value) { FButtonLeft->Assign(Value); }
  TPngPictures* ButtonRight() const { return FButtonRight.get(); }
  void SetButtonRight(TPngPictures* Value) { FButtonRight->Assign(Value); }
  TQuarnSliderItemCollection* Images() const { return FImages.get(); }
  void SetImages(TQuarnSliderItemCollection* Value) { FImages->Assign(Value); }
  Integer SliderInterval() const { return FSliderInterval; }
  void SetSliderInterval(Integer Value) { FSliderInterval = Value; }
  Integer SliderSpeed() const { return FSliderSpeed; }
  void SetSliderSpeed(Integer Value) { FSliderSpeed = Value; }
  TSliderType SliderType() const { return FSliderType; }
  void SetSliderType(TSliderType Value) { FSliderType = Value; }
  TImageSliderOptions Options() const { return FOptions; }
  void SetOptions(TImageSliderOptions Value);
  const TNotifyEvent& OnLeftButtonClick() const { return FOnLeftButtonClick; }
  void SetOnLeftButtonClick(const TNotifyEvent& Value) { FOnLeftButtonClick = Value; }
  const TNotifyEvent& OnRightButtonClick() const { return FOnRightButtonClick; }
  void SetOnRightButtonClick(const TNotifyEvent& Value) { FOnRightButtonClick = Value; }
  const TNotifyEvent& OnDotButtonClick() const { return FOnDotButtonClick; }
  void SetOnDotButtonClick(const TNotifyEvent& Value) { FOnDotButtonClick = Value; }
  const TItemClickEvent& OnItemClick() const { return FOnItemClick; }
  void SetOnItemClick(const TItemClickEvent& Value) { FOnItemClick = Value; }
  const TNotifyEvent& OnSliderPageChanged() const { return FOnSliderPageChanged; }
  void SetOnSliderPageChanged(const TNotifyEvent& Value) { FOnSliderPageChanged = Value; }

  // The image shown, -1 for none. Setting it runs the transition; it is
  // ignored while one runs and when the index does not change.
  Integer HotItemIndex() const { return FHotItemIndex; }
  void SetHotItemIndex(Integer Value);
  // The strip's rectangle of image Index; empty outside the list.
  TRect ImageIndexRect(Integer Index) const;
  bool Slideing() const { return FSlideing; }
  const TRect& DisplayRect() const { return FDisplayRect; }
  Integer SliderAlphaValue() const { return FSliderAlphaValue; }
  TCursorOnItem CursorOnItem() const { return FCursorOnItem; }
  Integer DotButtonCursorHotIndex() const { return FDotButtonCursorHotIndex; }
  const TRect& ButtonLeftRect() const { return FButtonLeftRect; }
  const TRect& ButtonRightRect() const { return FButtonRightRect; }
  Int64 LastAutoSlider() const { return FLastAutoSlider; }
  const TSliderStrip* BufferImage() const { return FBufferImage.get(); }
  bool LeftButtonVisible() const;
  bool RightButtonVisible() const;
  bool DotButtonVisible() const;

  // Finds what lies under (X, Y); a change sets the cursor and repaints.
  virtual void DoMouseHit(Integer X, Integer Y);
  // The transition to image Index (which HotItemIndex already names).
  virtual void SlideItem(Integer Index);
  // The list changed: the strip is built anew and the first image shows.
  virtual void ImagesChanged();

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // Between the repaint of a frame and its check: the application's pending
  // messages.
  virtual void FrameMessages();
  void StitchingImages();
  void CheckImageSize();
  // Pages whose item names another image since they were made.
  void UpdatePages();
  void DoOnTimer(TObject* Sender);
  void ButtonsChanged(TObject* Sender);
  // Draws the dots and records each item's cell.
  void DrawDots(TBitmap32* Buffer);
  // The row of dots with its first cell at (-First, 0).
  void PaintDots(TBitmap32* Target, Integer First = 0) const;

  TCursorOnItem FCursorOnItem = coNone;
  std::unique_ptr<TSliderStrip> FBufferImage;
  Integer FHotItemIndex = -1;
  Integer FOldHotItemIndex = -1;
  std::unique_ptr<TQuarnSliderItemCollection> FImages;
  std::unique_ptr<TPngPictures> FButtonLeft;
  std::unique_ptr<TPngPictures> FButtonRight;
  TRect FButtonLeftRect, FButtonRightRect, FDisplayRect;
  bool FSlideing = false;
  bool FLeftToRight = true;
  TSliderType FSliderType = stLeftRight;
  Integer FSliderSpeed = 50;
  Integer FSliderAlphaValue = 255;
  Integer FSliderInterval = 3000;
  bool FAutoSlider = true;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  Int64 FLastAutoSlider = 0;
  Integer FDotButtonCursorHotIndex = -1;
  TImageSliderOptions FOptions{soLeftRightButtonVisible, soDotButtonVisible};
  bool FAutoImageSize = true;
  TNotifyEvent FOnRightButtonClick;
  TNotifyEvent FOnLeftButtonClick;
  TNotifyEvent FOnSliderPageChanged;
  TNotifyEvent FOnDotButtonClick;
  TItemClickEvent FOnItemClick;
  // The dots as last painted, for FDotsCount images with FDotsHot shown.
  std::unique_ptr<TBitmap32> FDots;
  Integer FDotsCount = -1;
  Integer FDotsHot = -1;
  // Moves with every rebuild of the list, so a transition sees that its
  // items changed under it.
  Integer FImagesGeneration = 0;
  // Expires with the slider; held across every message loop.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TQuarnImageSlider : public TQuarnCustomImageSlider {
  QN_CLASS_CREATE(TQuarnImageSlider, TQuarnCustomImageSlider, TComponent)
 public:
  explicit TQuarnImageSlider(TComponent* AOwner) : TQuarnCustomImageSlider(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnImageSlider) {
    QN_PROP(AutoImageSize).Default(true);
    QN_PROP(AutoSlider).Default(true);
    QN_PROP(ButtonLeft);
    QN_PROP(ButtonRight);
    QN_PROP(Images);
    QN_PROP(SliderInterval).Default(3000);
    QN_PROP(SliderSpeed).Default(50);
    QN_PROP(SliderType).Default(stLeftRight);
    QN_PROP(Options).Default(TImageSliderOptions{soLeftRightButtonVisible, soDotButtonVisible});
    QN_PROP(OnLeftButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnRightButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnDotButtonClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnItemClick).TypeName(u"TItemClickEvent");
    QN_PROP(OnSliderPageChanged).TypeName(u"TNotifyEvent");
    // The panel's, declared with what the constructor sets.
    QN_PROP(Alpha).Default(255);
    QN_PROP(BorderAlpha).Default(255);
    QN_PROP(BorderSides).Default(TSides{});
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(DoubleBorder).Default(false);
    QN_PROP(BackgroundFillType).Default(ftNormal);
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(OnCustomDraw).TypeName(u"TQnCustomDrawEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
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

void InitQuarnImageSlider();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
