// uQuarnRadioBox: the radio box, drawn like the check box; a press or
// Space checks it and puts every sibling of its group out.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnCheckBox.h"

namespace qn {

class TQuarnRadioBox : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnRadioBox, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnRadioBox(TComponent* AOwner);

  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TQnResID Pictures() const { return FPictures; }
  void SetPictures(const TQnResID& Value);
  bool IsPicturesStored() const { return FPictures != u"QuarnRadiobtn"; }
  TQnLightClass* Light() const { return FLight.get(); }
  void SetLight(TQnLightClass* Value) {
    if (Value) FLight->Assign(Value);
  }
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value) { FGroupIndex = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}
  bool MouseInControl() const { return FMouseInControl; }
  Integer FrameIndex() const;

  virtual void TurnSiblingsOff();
  void Click() override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnRadioBox) {
    QN_PROP(Pictures).TypeName(u"TQnResID").Stored(&TQuarnRadioBox::IsPicturesStored);
    QN_PROP(Checked).Default(false);
    QN_PROP(Light);
    QN_PROP(GroupIndex).Default(0);
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
  void CNCommand(TMessage& Message);

  bool FChecked = false;
  bool FOldChecked = false;
  TQnResID FPictures = u"QuarnRadiobtn";
  bool FMouseInControl = false;
  bool FPressed = false;
  bool FFocused = false;
  std::unique_ptr<TQnLightClass> FLight;
  Integer FGroupIndex = 0;
  TNotifyEvent FOnChanged;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
