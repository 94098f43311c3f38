// uQuarnAnimation: a frame animation that plays the images of an image list
// centred over the skinned background, forwards, backwards once, looping or
// back and forth.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ImgList.h"
#include "skin/foundation/uQnSimpleTimer.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace qn {

class TQuarnCustomAnimation : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomAnimation, TQuarnCustomControl, TComponent)
 public:
  // 105 × 105, stopped at frame 0, 68 ms per frame, looping, sized to the
  // image list when one is set.
  explicit TQuarnCustomAnimation(TComponent* AOwner);
  ~TQuarnCustomAnimation() override;

  // Starts the clock at Delay; the frame begins at 0, or past the last
  // image when playing backwards once.
  virtual void Start();
  // Stops at frame 0 (no repaint).
  virtual void Stop();
  // Stops and keeps the frame.
  virtual void Pause();
  bool Playing() const { return FTimer->Enabled(); }

  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  Integer Delay() const { return FDelay; }
  void SetDelay(Integer Value) { FDelay = Value; }
  bool Loop() const { return FLoop; }
  void SetLoop(bool Value) { FLoop = Value; }
  bool Reverse() const { return FReverse; }
  void SetReverse(bool Value) { FReverse = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) override { FAutoSize = Value; }
  Integer CurrentFrame() const { return FCurFrame; }
  void SetCurrentFrame(Integer Value) { FCurFrame = Value; }
  // The frame a paint shows: the current one brought into the list, or -1
  // when there is nothing to show.
  Integer ShownFrame();
  const TNotifyEvent& OnProcess() const { return FOnProcess; }
  void SetOnProcess(const TNotifyEvent& Value) { FOnProcess = Value; }
  const TNotifyEvent& OnFinish() const { return FOnFinish; }
  void SetOnFinish(const TNotifyEvent& Value) { FOnFinish = Value; }

 protected:
  void DrawBody(TBitmap32* Buffer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ImagesChange(TObject* Sender);
  void DoOnTimer(TObject* Sender);

  std::unique_ptr<uQnSimpleTimer::TSimpleTimer> FTimer;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImagesChangeLink;
  TNotifyEvent FOnProcess;
  bool FLoop = true;
  TNotifyEvent FOnFinish;
  Integer FDelay = 68;
  bool FAutoSize = true;
  Integer FCurFrame = 0;
  bool FReverse = false;
  bool FForth = true;
};

class TQuarnAnimation : public TQuarnCustomAnimation {
  QN_CLASS_CREATE(TQuarnAnimation, TQuarnCustomAnimation, TComponent)
 public:
  using TQuarnCustomAnimation::TQuarnCustomAnimation;

  QN_PUBLISHED_DECL(TQuarnAnimation) {
    QN_PROP(Images);
    QN_PROP(Delay).Default(68);
    QN_PROP(Loop).Default(true);
    QN_PROP(Reverse).Default(false);
    QN_PROP(AutoSize).Default(true);
    QN_PROP(CurrentFrame).Default(0);
    QN_PROP(OnProcess).TypeName(u"TNotifyEvent");
    QN_PROP(OnFinish).TypeName(u"TNotifyEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }
};

void InitQuarnAnimation();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
