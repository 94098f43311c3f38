// uQuarnCheckBox: a windowed, focusable check box drawn from a four-frame
// skin image with a caption and an optional glow; it toggles on every press
// or Space.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/StdCtrls.h"  // BM_GETCHECK and BM_SETCHECK, which the boxes answer
#include "skin/controls/uQnCustomButton.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// The drawing both state-image boxes share: frame Index of the four-frame
// image Pictures at the left (or, right-to-left, the right) edge, the
// caption beside it with its glow, greyed when disabled. Nothing but the
// background without the image.
void DrawStateBoxFace(TControl* Control, TBitmap32* Buffer, const TQnResID& Pictures, Integer Index,
                      TQnLightClass* Light);

// The hover, focus and accelerator handling both boxes share: every one of
// these messages only repaints or focuses, and the accelerator brings the
// focus without changing the state.
void StateBoxMessage(TQuarnCustomControl* Box, TMessage& Message, bool& MouseInControl, bool Pressed);

// The published properties both boxes share besides their own.
#define QN_STATE_BOX_COMMON_PROPS(P)                                                                             \
  QN_PROP(About).Default(aiQuarnComponent);                                                                     \
  P.Property(u"Action", &TControl::Action, &TControl::SetAction);                                               \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                                  \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});          \
  P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored).Default(bdLeftToRight);                  \
  P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");                      \
  P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);                                \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);                              \
  P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);                                                     \
  P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);                     \
  P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);         \
  P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);                          \
  P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);                          \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);                       \
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);                        \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                              \
  P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);                                            \
  P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);                                   \
  P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);                       \
  P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);                                      \
  P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);                                        \
  P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);                                \
  P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);                             \
  P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);                                      \
  P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);                                \
  P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);                                \
  P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);                                      \
  P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);                             \
  P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave)

class TQuarnCheckBox : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCheckBox, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCheckBox(TComponent* AOwner);

  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TQnResID Pictures() const { return FPictures; }
  void SetPictures(const TQnResID& Value);
  bool IsPicturesStored() const { return FPictures != u"QuarnCheckBox"; }
  TQnLightClass* Light() const { return FLight.get(); }
  void SetLight(TQnLightClass* Value) {
    if (Value) FLight->Assign(Value);
  }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}
  bool MouseInControl() const { return FMouseInControl; }
  // The frame the current state shows.
  Integer FrameIndex() const;

  void Click() override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnCheckBox) {
    QN_PROP(Pictures).TypeName(u"TQnResID").Stored(&TQuarnCheckBox::IsPicturesStored);
    QN_PROP(Checked).Default(false);
    QN_PROP(Light);
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    QN_STATE_BOX_COMMON_PROPS(P);
  }

 protected:
  virtual void DoChanged();
  void CreateWnd() override;
  void DrawBody(TBitmap32* Buffer) override;
  void BMSetCheck(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void CMDialogChar(TMessage& Message);

  bool FChecked = false;
  TQnResID FPictures = u"QuarnCheckBox";
  bool FMouseInControl = false;
  bool FPressed = false;
  bool FFocused = false;
  std::unique_ptr<TQnLightClass> FLight;
  TNotifyEvent FOnChanged;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
