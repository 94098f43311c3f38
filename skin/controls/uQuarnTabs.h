// uQuarnTabs: the page control with every pixel of its window painted by us
// and its translucent tab sheets. The native tab control keeps the tab
// geometry, the selection and the keyboard; each tab is a nine-sliced skin
// picture by state with an optional sheet image, a caption in a state font
// and an optional glow. The area around the sheets is what lies behind the
// control (or a colour), and each sheet lays its colour over that picture at
// an opacity and hands the result to the skinned controls on it.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ComCtrls.h"
#include "skin/controls/uQnCustomButton.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

class TQuarnPageControl;
class TQuarnTabSheet;

// Asked before the active sheet changes; TabSheet is the sheet that would
// become active, nil when it is not one of ours or is not known.
using TQnTabChangingEvent = TEvent<void(TObject* Sender, TQuarnTabSheet* TabSheet, bool& AllowChange)>;
// Drawing of the user's on top of a finished tab; Bmp32's origin is the
// tab's top-left corner.
using TQnDrawTabEvent =
    TEvent<void(Integer TabIndex, const TRect& ARect, bool Active, bool MouseIn, TBitmap32* Bmp32)>;

// The caption offset of a tab, 5 in and 5 down unless told otherwise.
class TQnTabCaptionOffset : public TQnBtnItemOffset {
  QN_CLASS(TQnTabCaptionOffset, TQnBtnItemOffset)
 public:
  explicit TQnTabCaptionOffset(TControl* AOwner) : TQnBtnItemOffset(AOwner, 5, 5) {}
  QN_PUBLISHED_DECL(TQnTabCaptionOffset) {
    QN_PROP(X).Default(5);
    QN_PROP(Y).Default(5);
  }
};

class TQuarnCustomTabSheet : public TTabSheet, public IQnBackgroundProvider {
  QN_CLASS_CREATE(TQuarnCustomTabSheet, TTabSheet, TComponent)
 public:
  explicit TQuarnCustomTabSheet(TComponent* AOwner);
  ~TQuarnCustomTabSheet() override;

  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value);
  TQnResID TabNormalImage() const { return FTabNormalImage; }
  void SetTabNormalImage(const TQnResID& Value);
  TQnResID TabHotImage() const { return FTabHotImage; }
  void SetTabHotImage(const TQnResID& Value);
  TQnResID TabDownImage() const { return FTabDownImage; }
  void SetTabDownImage(const TQnResID& Value);
  // Store only: the next paint shows them.
  bool FrameVisible() const { return FFrameVisible; }
  void SetFrameVisible(bool Value) { FFrameVisible = Value; }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  // The sheet's picture: the page control's background (or the sheet's
  // colour) with the colour laid over it at Alpha; the frame too once the
  // sheet has painted.
  TBitmap32* GetBackgroundPicture() override;
  // Sizes the two pictures and takes the page control's background into
  // FParentBg (the sheet's colour where there is none to see through).
  virtual void CheckParentBg();
  void DrawSheetBackGround(HDC DC);
  void RefreshBackground() { Invalidate(); }
  // For image-change notices: the page control shows the tab images.
  void ImageChanged(TObject* Sender);
  // Whether the sheet repainted since the page control last asked for it.
  bool UpdateChanged() const { return FUpdateChanged; }

  void Dispatch(TMessage& Message) override;
  void CWMCheckParentBg(TMessage& Message);

 protected:
  friend class TQuarnPageControl;
  void CreateParams(TCreateParams& Params) override;

  bool FUpdateChanged = false;
  std::unique_ptr<TBitmap32> FBgBitmap;
  std::unique_ptr<TBitmap32> FParentBg;
  Byte FAlpha = 192;
  TQnResID FTabNormalImage, FTabHotImage, FTabDownImage;
  bool FFrameVisible = true;
  TColor FFrameColor = TColor(0x00CBC5B6);

 private:
  // FParentBg at the sheet's place in the page control with the colour over it.
  void ComposeBackground();
  bool Designing() const { return ComponentState().Contains(csDesigning); }
};

class TQuarnTabSheet : public TQuarnCustomTabSheet {
  QN_CLASS_CREATE(TQuarnTabSheet, TQuarnCustomTabSheet, TComponent)
 public:
  explicit TQuarnTabSheet(TComponent* AOwner) : TQuarnCustomTabSheet(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnTabSheet) {
    QN_PROP(Alpha).Default(192);
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(TColor(0x00FFFFFF));
    QN_PROP(TabNormalImage).TypeName(u"TQnResID");
    QN_PROP(TabHotImage).TypeName(u"TQnResID");
    QN_PROP(TabDownImage).TypeName(u"TQnResID");
    QN_PROP(FrameVisible).Default(true);
    QN_PROP(FrameColor).TypeName(u"TColor").NoDefault();
    QN_PROP(About).Stored(false);
  }
};

class TQuarnPageControl : public TPageControl, public IQnBackgroundProvider {
  QN_CLASS_CREATE(TQuarnPageControl, TPageControl, TComponent)
 public:
  explicit TQuarnPageControl(TComponent* AOwner);
  ~TQuarnPageControl() override;

  TQnResID TabNormalPicture() const { return FTabNormalPicture; }
  void SetTabNormalPicture(const TQnResID& Value);
  TQnResID TabHotPicture() const { return FTabHotPicture; }
  void SetTabHotPicture(const TQnResID& Value);
  TQnResID TabDownPicture() const { return FTabDownPicture; }
  void SetTabDownPicture(const TQnResID& Value);
  TQnBtnItemOffset* TabCaptionOffset() const { return FTabCaptionOffset.get(); }
  void SetTabCaptionOffset(TQnBtnItemOffset* Value) { FTabCaptionOffset->Assign(Value); }
  TQnBtnItemOffset* TabImageOffset() const { return FTabImageOffset.get(); }
  void SetTabImageOffset(TQnBtnItemOffset* Value) { FTabImageOffset->Assign(Value); }
  TQnBtnItemOffset* TabsOffset() const { return FTabsOffset.get(); }
  void SetTabsOffset(TQnBtnItemOffset* Value) { FTabsOffset->Assign(Value); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool TabWidthAutoSize() const { return FTabWidthAutoSize; }
  void SetTabWidthAutoSize(bool Value);
  Integer DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(Integer Value);
  bool TextInHorizontal() const { return FTextInHorizontal; }
  void SetTextInHorizontal(bool Value);
  TFont* FontActive() const { return FFontActive.get(); }
  void SetFontActive(TFont* Value) { FFontActive->Assign(Value); }
  TFont* FontHot() const { return FFontHot.get(); }
  void SetFontHot(TFont* Value) { FFontHot->Assign(Value); }
  TQnLightClass* CaptionLight() const { return FCaptionLight.get(); }
  void SetCaptionLight(TQnLightClass* Value) { FCaptionLight->Assign(Value); }
  const TQnTabChangingEvent& OnQnTabChanging() const { return FOnQnTabChanging; }
  void SetOnQnTabChanging(const TQnTabChangingEvent& Value) { FOnQnTabChanging = Value; }
  const TQnDrawTabEvent& OnQnDrawTab() const { return FOnQnDrawTab; }
  void SetOnQnDrawTab(const TQnDrawTabEvent& Value) { FOnQnDrawTab = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}
  bool IsColorStored() const { return Color() != clWindow; }
  bool IsTabNormalPictureStored() const { return FTabNormalPicture != u"QuarnTab_button_normal"; }
  bool IsTabHotPictureStored() const { return FTabHotPicture != u"QuarnTab_button_hot"; }
  bool IsTabDownPictureStored() const { return FTabDownPicture != u"QuarnTab_button_down"; }

  // The hot tab under the mouse: page index and visible-tab index, -1 none.
  Integer ActiveTab() const { return FActiveTab; }
  Integer ActiveTabIndex() const { return FActiveTabIndex; }
  // The sheet the last change question was about.
  TQuarnTabSheet* NewTabSheet() const { return FNewTabSheet; }
  bool TabsHidden() const { return FHideTabs; }

  // Hides the tab strip (one pixel high on top) and brings it back.
  void HideTabs();
  void ShowTabs();
  // The item size from TabHeight, or DefaultItemHeight without one.
  void UpDateTabs();
  // TCM_SETITEMSIZE; auto-sized tabs share the width; a height of 0 or less
  // is DefaultItemHeight.
  void SetItemSize(Integer W, Integer H);
  // The rectangle of the visible tab Index as this control places it.
  TRect GetItemRect(Integer Index);
  // Marks every sheet stale and tells the active one to repaint.
  void RefreshSheets();
  // The picture behind the control, as last taken.
  TBitmap32* GetBackgroundPicture() override;
  void DrawTabs(TBitmap32* Bmp);
  using TPageControl::DrawTab;
  void DrawTab(Integer TabIndex, const TRect& Rect, bool Active, bool MouseIn, HDC DC);
  void DrawSelfBackGround(TBitmap32* Bmp);
  // Hot tracking: which visible tab is under (X, Y), repainting when that
  // changed; IsDown for a press.
  void TestActive(Integer X, Integer Y, bool IsDown);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // TCM_SETCURSEL: the native selection, then a repaint.
  void WMCHANGE(TMessage& Message);
  void CWMCheckParentBg(TMessage& Message);

  QN_PUBLISHED_DECL(TQuarnPageControl) {
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored)
        .TypeName(u"TColor")
        .NoDefault()
        .Stored(&TQuarnPageControl::IsColorStored);
    QN_PROP(TabNormalPicture).TypeName(u"TQnResID").Stored(&TQuarnPageControl::IsTabNormalPictureStored);
    QN_PROP(TabHotPicture).TypeName(u"TQnResID").Stored(&TQuarnPageControl::IsTabHotPictureStored);
    QN_PROP(TabDownPicture).TypeName(u"TQnResID").Stored(&TQuarnPageControl::IsTabDownPictureStored);
    QN_PROP(TabCaptionOffset);
    QN_PROP(TabImageOffset);
    QN_PROP(TabsOffset);
    QN_PROP(Transparent).Default(true);
    QN_PROP(TabWidthAutoSize).Default(false);
    QN_PROP(DefaultItemHeight).Default(26);
    QN_PROP(TextInHorizontal).NoDefault();
    QN_PROP(FontActive);
    QN_PROP(FontHot);
    QN_PROP(CaptionLight);
    QN_PROP(OnQnTabChanging).TypeName(u"TQnTabChangingEvent");
    QN_PROP(OnQnDrawTab).TypeName(u"TQnDrawTabEvent");
    QN_PROP(About).Stored(false);
  }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool CanChange() override;
  void Change() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

  bool FHideTabs = false;
  TTabPosition FOLdTabPosition = tpTop;
  bool FOldMultiLine = false;
  Integer FOldTabHeight = -1;
  Integer FActiveTab = -1, FActiveTabIndex = -1;
  Integer FOldActiveTab = -1, FOldActiveTabIndex = -1;
  Integer FDefaultItemHeight = 26;
  bool FTextInHorizontal = false;
  TQnResID FTabNormalPicture, FTabHotPicture, FTabDownPicture;
  std::unique_ptr<TQnBtnItemOffset> FTabCaptionOffset, FTabImageOffset, FTabsOffset;
  bool FTransparent = true;
  bool FTabWidthAutoSize = false;
  TQnTabChangingEvent FOnQnTabChanging;
  TQuarnTabSheet* FNewTabSheet = nullptr;
  std::unique_ptr<TBitmap32> FBgBit;
  TQnDrawTabEvent FOnQnDrawTab;
  std::unique_ptr<TQnLightClass> FCaptionLight;
  std::unique_ptr<TFont> FFontActive, FFontHot;

 private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // The width and height TCM_SETITEMSIZE finally carries.
  LPARAM ItemSizeParam(Integer W, Integer H);
  // The shift of the tab strip that clicks are corrected by: none unless
  // one of the offsets is positive.
  TPoint InputShift() const;
  // The visible tab a key press is moving the selection to; -1 otherwise.
  Integer FKeyTab = -1;
  // FBgBit holds the picture behind the control at its present size.
  bool FBgTaken = false;
};

// Registers the classes for form files (the unit's initialisation).
void InitQuarnTabs();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
