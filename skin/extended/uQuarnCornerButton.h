// uQuarnCornerButton: a colour button whose corners are rounded one by one
// and whose border has a width of its own, so that buttons set edge to edge
// make a bar with rounded ends.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/extended/uQuarnColorButton.h"

namespace qn {

class TQuarnCustomCornerButton : public TQuarnCustomColorButton {
  QN_CLASS_CREATE(TQuarnCustomCornerButton, TQuarnCustomColorButton, TComponent)
 public:
  explicit TQuarnCustomCornerButton(TComponent* AOwner);

  TQnCorners Corners() const { return FCorners; }
  void SetCorners(TQnCorners Value);
  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer Value);

 protected:
  void DrawBody(TBitmap32* Buffer) override;

  TQnCorners FCorners;
  Integer FBorderWidth = 1;
};

class TQuarnCornerButton : public TQuarnCustomCornerButton {
  QN_CLASS_CREATE(TQuarnCornerButton, TQuarnCustomCornerButton, TComponent)
 public:
  using TQuarnCustomCornerButton::TQuarnCustomCornerButton;

  QN_PUBLISHED_DECL(TQuarnCornerButton) {
    QN_BUTTON_COMMON_PROPS(P);
    QN_PROP(Alpha).Default(Byte(255));
    QN_PROP(NormalColor).TypeName(u"TColor").Default(TColor(0x00FFFFFF));
    QN_PROP(HotColor).TypeName(u"TColor").Default(TColor(0x00CF9354));
    QN_PROP(PressedColor).TypeName(u"TColor").Default(TColor(0x00FF7A0A));
    QN_PROP(BorderColor).TypeName(u"TColor").Default(TColor(0x00FF7A0A));
    QN_PROP(BorderSides).Default(TSides{sdLeft, sdTop, sdRight, sdBottom});
    QN_PROP(RoundFrame).Default(true);
    QN_PROP(RoundSize).Default(10);
    QN_PROP(SmoothRound).Default(true);
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(HotImage).TypeName(u"TQnResID");
    QN_PROP(CaptionVisible).Default(true);
    QN_PROP(CaptionOffset);
    QN_PROP(ImageOffset);
    QN_PROP(PressedOffset).Default(0);
    QN_PROP(Corners).Default(
        TQnCorners{TQnCorner::TopLeft, TQnCorner::TopRight, TQnCorner::BottomLeft, TQnCorner::BottomRight});
    QN_PROP(BorderWidth).Default(1);
  }
};

void InitQuarnCornerButton();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
