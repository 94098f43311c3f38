// uQuarnHint: balloon hints. A TQuarnHint on a form makes the application
// show its hints in TQuarnHintWindow: a box with a one-pixel frame and a
// small arrow pointing at the control the hint belongs to, placed below,
// above, left or right of it so that it fits on its monitor. The window's
// corners show the screen as it was when the hint appeared, so the balloon
// looks shaped without a window region. Application code may hand it a
// finished picture instead of text. The component also sets the
// application's hint pauses.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_qn.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

namespace qn {

// Where the hint lies relative to its control.
enum class THintDirection { hdDown, hdUp, hdLeft, hdRight };
QN_ENUM_NAMES(THintDirection, hdDown, hdUp, hdLeft, hdRight)
using enum THintDirection;

// May change the direction of one hint.
using TOnSelectHintDirection = TEvent<void(TControl* HintControl, TPoint HintPos, THintDirection& HintDirection)>;
// May supply a picture to show instead of the text; the hint window owns
// what it gets (a new TBitmap32) and frees it.
using TOnCustomHint = TEvent<void(TControl* HintControl, TBitmap32*& SourceImage)>;

class TQuarnHint : public TComponent {
  QN_CLASS_CREATE(TQuarnHint, TComponent, TComponent)
 public:
  // The defaults a hint window uses when no TQuarnHint is in reach.
  static constexpr TColor kHintColor = TColor(0xE2F7FC);
  static constexpr TColor kFrameColor = TColor(0x56D2F0);
  static constexpr TColor kFontColor = TColor(0x2E415A);
  static constexpr Integer kFontSize = 9;
  static constexpr Integer kHintPause = 600;
  static constexpr Integer kHintHidePause = 2000;

  // EInvalidCast for an owner that is not a form.
  explicit TQuarnHint(TComponent* AOwner);
  ~TQuarnHint() override;

  Boolean AutoPosition() const { return FAutoPosition; }
  void SetAutoPosition(Boolean Value) { FAutoPosition = Value; }
  THintDirection HintDirection() const { return FHintDirection; }
  void SetHintDirection(THintDirection Value) { FHintDirection = Value; }
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value) { FHintColor = Value; }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TFont* HintFont() const { return FHintFont.get(); }
  void SetHintFont(TFont* Value);
  // Written to the application's HintPause / HintHidePause when changed.
  Integer HintPauseTime() const { return FHintPauseTime; }
  void SetHintPauseTime(Integer Value);
  Integer HintHidePauseTime() const { return FHintHidePauseTime; }
  void SetHintHidePauseTime(Integer Value);
  TOnCustomHint OnCustomHint() const { return FOnCustomHint; }
  void SetOnCustomHint(const TOnCustomHint& Value) { FOnCustomHint = Value; }
  TOnSelectHintDirection OnSelectHintDirection() const { return FOnSelectHintDirection; }
  void SetOnSelectHintDirection(const TOnSelectHintDirection& Value) { FOnSelectHintDirection = Value; }

  // Gives the application's balloon hint window the HintFont.
  void SetNewHintFont();
  void CMFontChanged(TMessage& Message);

  QN_PUBLISHED_DECL(TQuarnHint) {
    QN_PROP(AutoPosition).Default(true);
    QN_PROP(HintDirection).Default(hdDown);
    QN_PROP(HintColor).TypeName(u"TColor").Default(kHintColor);
    QN_PROP(FrameColor).TypeName(u"TColor").Default(kFrameColor);
    QN_PROP(HintFont);
    QN_PROP(HintPauseTime).Default(kHintPause);
    QN_PROP(HintHidePauseTime).Default(kHintHidePause);
    QN_PROP(OnCustomHint).TypeName(u"TOnCustomHint");
    QN_PROP(OnSelectHintDirection).TypeName(u"TOnSelectHintDirection");
  }

 protected:
  void Loaded() override;

 private:
  bool Running() const;
  void Install();
  void HintFontChanged(TObject*);
  THintDirection FHintDirection = hdDown;
  TColor FHintColor = kHintColor;
  std::unique_ptr<TFont> FHintFont;
  Integer FHintPauseTime = kHintPause;
  TOnSelectHintDirection FOnSelectHintDirection;
  TColor FFrameColor = kFrameColor;
  TOnCustomHint FOnCustomHint;
  Integer FHintHidePauseTime = kHintHidePause;
  Boolean FAutoPosition = true;
  bool FInstalled = false;
};

class TQuarnHintWindow : public THintWindow {
  QN_CLASS_CREATE(TQuarnHintWindow, THintWindow, TComponent)
 public:
  explicit TQuarnHintWindow(TComponent* AOwner);
  ~TQuarnHintWindow() override;

  // Measures AHint in the balloon's font.
  TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) override;
  // Sizes and places the balloon for the control under the cursor, takes
  // the screen under it and shows it topmost without activation.
  void ActivateHint(TRect Rect, const String& AHint) override;
  // The first TQuarnHint on the main form, else on the form of the most
  // recent TQuarnHint; nil when there is none.
  static TQuarnHint* FindQuarnHint();
  // The direction for a hint of Rect's size (see the unit's comment).
  THintDirection SelectProperHintDirection(const TRect& Rect);
  // Asks OnCustomHint for a picture to show instead of the text.
  void SelectCustomHint();

  THintDirection Direction() const { return FHintDirection; }
  TControl* HintControl() const { return FHintControl; }
  TQuarnHint* QnHint() const { return FQnHint; }
  // The screen as it was under the window, and the custom picture shown;
  // both kept until the next hint, a hide or destruction.
  TBitmap32* Background() const { return FBackground.get(); }
  TBitmap32* CustomImage() const { return FCustomImage.get(); }
  // A TQuarnHint that goes leaves the windows that used it.
  void QnHintFreed(TQuarnHint* Hint);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

  TQuarnHint* FQnHint = nullptr;
  THintDirection FHintDirection = hdDown;
  TControl* FHintControl = nullptr;

 private:
  // The settings in force, copied from FQnHint (or the defaults) when a
  // hint is activated.
  void TakeSettings();
  void DrawBalloon(TBitmap32* B);
  void SetHintControl(TControl* Control);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::unique_ptr<TBitmap32> FBackground, FCustomImage;
  std::unique_ptr<TFont> FFont;
  TColor FColor = TQuarnHint::kHintColor, FFrame = TQuarnHint::kFrameColor;
  bool FAutoPosition = true;
  THintDirection FPropertyDirection = hdDown;
  TPoint FHintPos;
};

// A new bitmap with the form's picture: a TQuarnAlphaForm on it composes
// into the bitmap, any other form gives its image.
std::unique_ptr<TBitmap32> FormToBitmap32(TCustomForm* Form);

void InitQuarnHint();
void DoneQuarnHint();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
