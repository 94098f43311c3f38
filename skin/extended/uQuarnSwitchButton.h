// uQuarnSwitchButton: an on/off toggle drawn from one of two skin strips
// (normal, hot and pressed frames each). A press toggles it at once; so does
// Space while it has the focus.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// Drawing after the frame, into the finished back buffer.
using TSWBCustomDraw = TEvent<void(TObject* Sender, TBitmap32* Buffer)>;

class TQuarnSwitchButton : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnSwitchButton, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnSwitchButton(TComponent* AOwner);
  ~TQuarnSwitchButton() override;

  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool CanFocused() const { return FCanFocused; }
  // Only stores.
  void SetCanFocused(bool Value) { FCanFocused = Value; }
  TPngPictures* ImageON() const { return FImageON.get(); }
  void SetImageON(TPngPictures* Value) { FImageON->Assign(Value); }
  TPngPictures* ImageOFF() const { return FImageOFF.get(); }
  void SetImageOFF(TPngPictures* Value) { FImageOFF->Assign(Value); }
  const TSWBCustomDraw& CustomDraw() const { return FCustomDraw; }
  void SetCustomDraw(const TSWBCustomDraw& Value) { FCustomDraw = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnSwitchButton) {
    QN_PROP(Checked).Default(false);
    QN_PROP(CanFocused).Default(true);
    QN_PROP(ImageON);
    QN_PROP(ImageOFF);
    QN_PROP(CustomDraw).TypeName(u"TSWBCustomDraw");
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored).Default(bdLeftToRight);
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
  }

 protected:
  virtual void DoChange();
  void DrawBody(TBitmap32* Buffer) override;
  void WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);

  std::unique_ptr<TPngPictures> FImageOFF;
  std::unique_ptr<TPngPictures> FImageON;
  TNotifyEvent FOnChanged;
  bool FChecked = false;
  bool FCanFocused = true;
  TSWBCustomDraw FCustomDraw;
  bool FMouseIn = false;
  bool FMouseDown = false;
};

void InitQuarnSwitchButton();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
