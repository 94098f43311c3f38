// uQuarnIntf: the small types every skinned control publishes or passes
// around, the custom messages forms and controls share, and the value
// objects skinned controls own and copy: state strips (TPngPictures), glow
// (TQnLightClass), captions and offsets.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/classes/Persistent.h"
#include "platform/classes/PropInfo.h"
#include "platform/user/User.h"
#include "platform/vcl/Canvas.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// ---------------------------------------------------------------------------
// Messages shared by forms and controls.

// The parent's picture changed: re-take the background and repaint.
inline constexpr UINT CWM_CHECKPARENTBG = 0x0BD1;
// Repaint the non-client area.
inline constexpr UINT MM_INVALIDATE = 0x0BD3;
inline constexpr UINT MM_REFRESHSKIN = 0x0BD4;
inline constexpr UINT MM_SKINRESCHANGED = 0x0BD5;
inline constexpr UINT MM_ADDNCCTRL = 0x0BD6;
inline constexpr UINT MM_REMOVENCCTRL = 0x0BD7;
inline constexpr UINT MM_TRAYNOTIFY = 0x0BD8;
inline constexpr UINT MM_POPUPMENUCLOSED = 0xCB59;
inline constexpr UINT MM_ENTERMENULOOP = 0xCB5A;
inline constexpr UINT MM_EXITMENULOOP = 0xCB5B;

// ---------------------------------------------------------------------------
// Enumerations and records.

enum class TQnTextKind { tkAll, tkEN, tkNumInt, tkNumReal, tkENandNum };
QN_ENUM_NAMES(TQnTextKind, tkAll, tkEN, tkNumInt, tkNumReal, tkENandNum)
using enum TQnTextKind;

enum class TQuarnCustomComboBoxStyle { csDropDown, csDropDownList };
QN_ENUM_NAMES(TQuarnCustomComboBoxStyle, csDropDown, csDropDownList)
using enum TQuarnCustomComboBoxStyle;

// The drop button of the combo box.
struct TQnCBButtonX {
  TRect R;
  Boolean MouseIn = false;
  Boolean Down = false;
};

// The face item of the combo box.
struct TQnCBItem {
  TRect R;
  TOwnerDrawState State;
};

using TQnDrawSkinItemEvent = TEvent<void(TObject* Sender, TCanvas* Cnvs, Integer Index, Integer ItemWidth,
                                         Integer ItemHeight, TRect TxtRect, TOwnerDrawState State)>;

enum class TQnColorBoxStylesRec {
  qncbStandardColors, qncbExtendedColors, qncbSystemColors, qncbIncludeNone, qncbIncludeDefault,
  qncbCustomColor, qncbPrettyNames
};
QN_ENUM_NAMES(TQnColorBoxStylesRec, qncbStandardColors, qncbExtendedColors, qncbSystemColors, qncbIncludeNone,
              qncbIncludeDefault, qncbCustomColor, qncbPrettyNames)
using enum TQnColorBoxStylesRec;
using TQnColorBoxStyles = TSet<TQnColorBoxStylesRec>;
QN_TYPE_NAME(TQnColorBoxStyles)

enum class TQnPngFillType { ftNormal, ftTile, ftAutoStretch, ftCenter, ftStretch, ftGradient };
QN_ENUM_NAMES(TQnPngFillType, ftNormal, ftTile, ftAutoStretch, ftCenter, ftStretch, ftGradient)
using enum TQnPngFillType;

// Corner names would shadow TRect's members if brought into the namespace;
// they are spelled TQnCorner::TopLeft.
enum class TQnCorner { TopLeft, TopRight, BottomLeft, BottomRight };
QN_ENUM_NAMES(TQnCorner, TopLeft, TopRight, BottomLeft, BottomRight)
using TQnCorners = TSet<TQnCorner>;
QN_TYPE_NAME(TQnCorners)

enum class TSide { sdLeft, sdTop, sdRight, sdBottom };
QN_ENUM_NAMES(TSide, sdLeft, sdTop, sdRight, sdBottom)
using enum TSide;
using TSides = TSet<TSide>;
QN_TYPE_NAME(TSides)

enum class TEllipsisPosition { epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis };
QN_ENUM_NAMES(TEllipsisPosition, epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis)
using enum TEllipsisPosition;

enum class TGradientDirection { gdHorizontal, gdVertical };
QN_ENUM_NAMES(TGradientDirection, gdHorizontal, gdVertical)
using enum TGradientDirection;

enum class TQuarnStyle { ssColor, ssPicture };
QN_ENUM_NAMES(TQuarnStyle, ssColor, ssPicture)
using enum TQuarnStyle;

enum class TQnFillStyle { mfsBlur, mfsTile, mfsStretch, mfs9Block };
QN_ENUM_NAMES(TQnFillStyle, mfsBlur, mfsTile, mfsStretch, mfs9Block)
using enum TQnFillStyle;

// The design-time "About" entry; a property of this type is never stored.
enum class TQnAboutInfo { aiQuarnComponent };
QN_ENUM_NAMES(TQnAboutInfo, aiQuarnComponent)
using enum TQnAboutInfo;

// Frames cut from a skin image; the holder frees them (FreeDynImg).
using TDynQuarnImage = std::vector<TQuarnImage*>;
void FreeDynImg(TDynQuarnImage& Images);

// ---------------------------------------------------------------------------
// TPngPictures: one skin image cut into Count equal frames (side by side, or
// stacked with MultiLineMode) for the normal, hot, pressed and disabled
// states. Callers test Active themselves.

class TPngPictures : public TPersistent {
  QN_CLASS(TPngPictures, TPersistent)
 public:
  TPngPictures();

  void Assign(TPersistent* Source) override;

  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  Integer Count() const { return FCount; }
  void SetCount(Integer Value);
  Integer Normal() const { return FNormal; }
  void SetNormal(Integer Value);
  Integer Hot() const { return FHot; }
  void SetHot(Integer Value);
  Integer Pressed() const { return FPressed; }
  void SetPressed(Integer Value);
  Integer Disable() const { return FDisable; }
  void SetDisable(Integer Value);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool MultiLineMode() const { return FMultiLineMode; }
  void SetMultiLineMode(bool Value);
  // Fired once for every change that takes effect.
  TNotifyEvent PicturesChanged() const { return FPicturesChanged; }
  void SetPicturesChanged(const TNotifyEvent& Value) { FPicturesChanged = Value; }

  // Copies that state's frame into Image (resized to one frame). False, and
  // Image untouched, when the source or Image is missing, the frame is
  // empty or the state's index lies outside 0..Count-1.
  bool GetNormalImage(TQuarnImage* Image) { return GetFrame(FNormal, Image); }
  bool GetHotImage(TQuarnImage* Image) { return GetFrame(FHot, Image); }
  bool GetPressedImage(TQuarnImage* Image) { return GetFrame(FPressed, Image); }
  bool GetDisableImage(TQuarnImage* Image) { return GetFrame(FDisable, Image); }
  bool GetFrame(Integer Index, TQuarnImage* Image);
  // Where that frame lies in the strip, without copying it: the strip
  // (borrowed) and the frame's rectangle in it. False as GetFrame is.
  bool FrameRect(Integer Index, TQuarnImage*& Strip, TRect& Rect);
  // One frame's size; 0 without a source or frames.
  Integer GetSingleWidth();
  Integer GetSingleHeight();
  // The whole strip as the store has it now (borrowed), or nil.
  TQuarnImage* Source();

  QN_PUBLISHED_DECL(TPngPictures) {
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(Count).Default(3);
    QN_PROP(Normal).Default(0);
    QN_PROP(Hot).Default(1);
    QN_PROP(Pressed).Default(2);
    QN_PROP(Disable).Default(0);
    QN_PROP(Active).Default(false);
    QN_PROP(MultiLineMode).Default(false);
  }

 protected:
  void DoPicturesChanged();

 private:
  template <class T>
  void Store(T& Field, const T& Value);
  void LookUp();

  TQnResID FImage;
  Integer FCount = 3;
  Integer FNormal = 0;
  Integer FHot = 1;
  Integer FPressed = 2;
  Integer FDisable = 0;
  bool FActive = false;
  bool FMultiLineMode = false;
  TNotifyEvent FPicturesChanged;
  // The store's image is borrowed: it is looked up again once the store's
  // generation has moved past the one it was found in.
  TQuarnImage* FSource = nullptr;
  Cardinal FSourceGeneration = 0;
  Integer FUpdating = 0;
  bool FChangedWhileUpdating = false;
};

// ---------------------------------------------------------------------------
// Glow, captions and offsets. Setters of sub-objects copy (Assign).

class TQnLightClass : public TPersistent {
  QN_CLASS(TQnLightClass, TPersistent)
 public:
  TQnLightClass() = default;
  void Assign(TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  Integer BlurRadius() const { return FBlurRadius; }
  void SetBlurRadius(Integer Value);
  TNotifyEvent OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  QN_PUBLISHED_DECL(TQnLightClass) {
    QN_PROP(Active).Default(false);
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(BlurRadius).Default(3);
  }

 private:
  void Changed();
  bool FActive = false;
  TColor FColor = clWhite;
  Integer FBlurRadius = 3;
  TNotifyEvent FOnChange;
};

class TQnTextObj : public TPersistent {
  QN_CLASS(TQnTextObj, TPersistent)
 public:
  TQnTextObj();
  ~TQnTextObj() override;
  void Assign(TPersistent* Source) override;

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  String Text() const { return FText; }
  void SetText(const String& Value);
  TQnLightClass* Light() const { return FLight.get(); }
  void SetLight(TQnLightClass* Value) { FLight->Assign(Value); }
  TNotifyEvent OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQnTextObj) {
    QN_PROP(Visible).Default(true);
    QN_PROP(Text);
    QN_PROP(Light);
  }

 protected:
  virtual void DoChanged();
  void SubObjectChanged(TObject* Sender) { DoChanged(); }
  // Copies run as one change.
  Integer FAssigning = 0;
  bool FAssignChanged = false;

 private:
  bool FVisible = true;
  String FText;
  std::unique_ptr<TQnLightClass> FLight;
  TNotifyEvent FOnChanged;
};

class TQnCaption : public TQnTextObj {
  QN_CLASS(TQnCaption, TQnTextObj)
 public:
  TQnCaption();
  ~TQnCaption() override;
  void Assign(TPersistent* Source) override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  Integer OffsetX() const { return FOffsetX; }
  void SetOffsetX(Integer Value);
  Integer OffsetY() const { return FOffsetY; }
  void SetOffsetY(Integer Value);

  QN_PUBLISHED_DECL(TQnCaption) {
    QN_PROP(Font);
    QN_PROP(OffsetX).Default(0);
    QN_PROP(OffsetY).Default(0);
  }

 private:
  std::unique_ptr<TFont> FFont;
  Integer FOffsetX = 0;
  Integer FOffsetY = 0;
};

class TQnOffset : public TPersistent {
  QN_CLASS(TQnOffset, TPersistent)
 public:
  TQnOffset() = default;
  void Assign(TPersistent* Source) override;

  Integer X() const { return FX; }
  void SetX(Integer Value);
  Integer Y() const { return FY; }
  void SetY(Integer Value);
  TNotifyEvent OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQnOffset) {
    QN_PROP(X).Default(0);
    QN_PROP(Y).Default(0);
  }

 private:
  void Changed();
  Integer FX = 0;
  Integer FY = 0;
  TNotifyEvent FOnChanged;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
