// uQuarnButton: the concrete buttons on the button base — the image button
// that shows its strips as they are, the push button with a nine-sliced
// face, the flat tool button with an icon and a glowing caption, the
// animated button that plays a strip forwards while hot and backwards
// after the pointer leaves — and the link button, a label with a hot font
// and a hand cursor.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/uQnCustomButton.h"
#include "skin/controls/uQuarnLabel.h"

namespace qn {

class TQuarnImageButton : public TQuarnCustomButton {
  QN_CLASS_CREATE(TQuarnImageButton, TQuarnCustomButton, TComponent)
 public:
  explicit TQuarnImageButton(TComponent* AOwner) : TQuarnCustomButton(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnImageButton) {
    QN_BUTTON_COMMON_PROPS(P);
    QN_PROP(Streach).Default(false);
    QN_PROP(Pictures);
    QN_PROP(LayerMode).Default(false);
    QN_PROP(Layers);
    QN_PROP(LayersOffset);
    QN_PROP(CaptionVisible).Default(false);
    QN_PROP(CaptionOffset);
    QN_PROP(ImageOffset);
    QN_PROP(DropdownMenu);
  }
};

class TQuarnButton : public TQuarnCustomButton {
  QN_CLASS_CREATE(TQuarnButton, TQuarnCustomButton, TComponent)
 public:
  explicit TQuarnButton(TComponent* AOwner);

  QN_PUBLISHED_DECL(TQuarnButton) {
    QN_BUTTON_COMMON_PROPS(P);
    QN_PROP(DropdownMenu);
    QN_PROP(Pictures);
    QN_PROP(CaptionVisible).Default(true);
    QN_PROP(LayerMode).Default(false);
    QN_PROP(Layers);
    QN_PROP(LayersOffset);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
};

class TQuarnToolButton : public TQuarnCustomButton {
  QN_CLASS_CREATE(TQuarnToolButton, TQuarnCustomButton, TComponent)
 public:
  explicit TQuarnToolButton(TComponent* AOwner);

  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  TQnLightClass* Light() const { return FLight.get(); }
  void SetLight(TQnLightClass* Value) {
    if (Value) FLight->Assign(Value);
  }

  QN_PUBLISHED_DECL(TQuarnToolButton) {
    QN_BUTTON_COMMON_PROPS(P);
    QN_PROP(DropdownMenu);
    QN_PROP(Pictures);
    QN_PROP(LayerMode).Default(false);
    QN_PROP(Layers);
    QN_PROP(LayersOffset);
    QN_PROP(CaptionVisible).Default(false);
    QN_PROP(CaptionOffset);
    QN_PROP(ImageOffset);
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(Light);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;

  TQnResID FImage;
  std::unique_ptr<TQnLightClass> FLight;
};

// The animation strip: an image id and how many frames lie side by side.
class TQnAnimatePicture : public TPersistent {
  QN_CLASS(TQnAnimatePicture, TPersistent)
 public:
  TQnAnimatePicture() = default;
  void Assign(TPersistent* Source) override;

  TQnResID Picture() const { return FPicture; }
  void SetPicture(const TQnResID& Value);
  Integer Count() const { return FCount; }
  void SetCount(Integer Value);
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQnAnimatePicture) {
    QN_PROP(Picture).TypeName(u"TQnResID");
    QN_PROP(Count).Default(0);
  }

 protected:
  virtual void DoChanged();

 private:
  TQnResID FPicture;
  Integer FCount = 0;
  TNotifyEvent FOnChanged;
};

class TQuarnAnimateButton : public TQuarnCustomButton {
  QN_CLASS_CREATE(TQuarnAnimateButton, TQuarnCustomButton, TComponent)
 public:
  explicit TQuarnAnimateButton(TComponent* AOwner);
  ~TQuarnAnimateButton() override;

  TQnAnimatePicture* Animate() const { return FAnimate.get(); }
  void SetAnimate(TQnAnimatePicture* Value) {
    if (Value) FAnimate->Assign(Value);
  }
  Cardinal AnimateSpeed() const { return FAnimateSpeed; }
  void SetAnimateSpeed(Cardinal Value);
  // State of the animation, for hosts and tests.
  Integer AnimateIndex() const { return FAnimateIndex; }
  TTimer* Timer() const { return FTimer.get(); }
  Integer FrameCount() const { return static_cast<Integer>(FDynImg.size()); }
  TQuarnImage* CurrentImage() const { return FCurrentImg; }
  void ScaleControlsForDpi(Integer NewPPI) override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnAnimateButton) {
    QN_BUTTON_COMMON_PROPS(P);
    QN_PROP(CaptionOffset);
    QN_PROP(CaptionVisible).Default(false);
    QN_PROP(Animate);
    QN_PROP(AnimateSpeed).Default(80u);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;

  Integer FAnimateIndex = 0;
  std::unique_ptr<TTimer> FTimer;
  std::unique_ptr<TQnAnimatePicture> FAnimate;
  TDynQuarnImage FDynImg;
  TQuarnImage* FCurrentImg = nullptr;  // one of FDynImg's frames
  Cardinal FAnimateSpeed = 80;

 private:
  void AnimateChanged(TObject* Sender);
  void BuildFrames();
  void Step(TObject* Sender);
};

class TQnURLButton : public TQuarnLabel {
  QN_CLASS_CREATE(TQnURLButton, TQuarnLabel, TComponent)
 public:
  explicit TQnURLButton(TComponent* AOwner);

  TFont* FontHot() const { return FFontHot.get(); }
  void SetFontHot(TFont* Value) { FFontHot->Assign(Value); }
  bool MouseIn() const { return FMouseIn; }
  void Click() override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQnURLButton) {
    QN_PROP(FontHot);
    P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).TypeName(u"TCursor").Default(crHandPoint);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;

  bool FMouseIn = false;
  std::unique_ptr<TFont> FFontHot;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
