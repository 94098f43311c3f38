// uQuarnColorButton: a flat button painted from colours instead of skin
// frames — a fill for each state, border lines on chosen sides, a rounded
// shape either anti-aliased or cut by a window region, an image with a hot
// variant and the caption. The behaviour (hover, press, Down, click, the
// drop-down menu, offsets and focus) is the button base's.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQnCustomButton.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

class TQuarnCustomColorButton : public TQuarnCustomButton {
  QN_CLASS_CREATE(TQuarnCustomColorButton, TQuarnCustomButton, TComponent)
 public:
  explicit TQuarnCustomColorButton(TComponent* AOwner);

  Byte Alpha() const { return FAlpha; }
  void SetAlpha(Byte Value);
  TColor NormalColor() const { return FNormalColor; }
  void SetNormalColor(TColor Value);
  TColor HotColor() const { return FHotColor; }
  void SetHotColor(TColor Value);
  TColor PressedColor() const { return FPressedColor; }
  void SetPressedColor(TColor Value);
  TColor BorderColor() const { return FBorderColor; }
  // Only stored: the next paint shows it.
  void SetBorderColor(TColor Value) { FBorderColor = Value; }
  TSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TSides Value);
  bool RoundFrame() const { return FRoundFrame; }
  void SetRoundFrame(bool Value);
  Integer RoundSize() const { return FRoundSize; }
  void SetRoundSize(Integer Value);
  bool SmoothRound() const { return FSmoothRound; }
  void SetSmoothRound(bool Value);
  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  TQnResID HotImage() const { return FHotImage; }
  void SetHotImage(const TQnResID& Value);

  // The radius drawing and the window region use: RoundSize kept within
  // 0 .. half the smaller side, so a large value cannot turn the shape
  // inside out.
  Integer DrawRoundSize() const;
  // The face's state. A press inside counts as hot (the pointer is over
  // it) while pressed shifts the content; Down set from outside, or a press
  // that has left the button, shows the pressed colour.
  bool FaceHot() const { return FMouseIn && (FMouseDown || !FDown); }
  bool FacePressed() const { return FMouseDown || FDown; }
  // The fill colour of the current state.
  TColor FaceColor() const;

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateHandle() override;
  void DrawBody(TBitmap32* Buffer) override;
  void DrawFocusFrame(TBitmap32* Buffer) override;
  // The window region of a rounded shape without anti-aliasing, made
  // again for the current size and settings, or removed when not wanted.
  void UpdateRegion();
  // The image and the caption of the state over a finished body, then the
  // design-time frame; the focus frame when FocusFrame.
  void DrawContent(TBitmap32* Temp, bool DropDownPart, bool FocusFrame);

  TQnResID FImage, FHotImage;
  TColor FHotColor, FNormalColor, FPressedColor, FBorderColor;
  Byte FAlpha = 255;
  bool FRoundFrame = false;
  bool FSmoothRound = true;
  Integer FRoundSize = 3;
  TSides FBorderSides;

 private:
  bool FHasRegion = false;
};

class TQuarnColorButton : public TQuarnCustomColorButton {
  QN_CLASS_CREATE(TQuarnColorButton, TQuarnCustomColorButton, TComponent)
 public:
  using TQuarnCustomColorButton::TQuarnCustomColorButton;

  QN_PUBLISHED_DECL(TQuarnColorButton) {
    QN_BUTTON_COMMON_PROPS(P);
    QN_PROP(Alpha).Default(Byte(255));
    QN_PROP(NormalColor).TypeName(u"TColor").Default(TColor(0x003854FF));
    QN_PROP(HotColor).TypeName(u"TColor").Default(TColor(0x004343E0));
    QN_PROP(PressedColor).TypeName(u"TColor").Default(TColor(0x00DA9956));
    QN_PROP(BorderColor).TypeName(u"TColor").Default(TColor(0x00DFCBBB));
    QN_PROP(BorderSides).Default(TSides{});
    QN_PROP(RoundFrame).Default(false);
    QN_PROP(RoundSize).Default(3);
    QN_PROP(SmoothRound).Default(true);
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(HotImage).TypeName(u"TQnResID");
    QN_PROP(CaptionVisible).Default(true);
    QN_PROP(CaptionOffset);
    QN_PROP(ImageOffset);
    QN_PROP(DropdownMenu);
  }
};

void InitQuarnColorButton();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
