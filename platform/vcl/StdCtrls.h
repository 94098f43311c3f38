// The StdCtrls unit of the host layer: the push button. It draws itself
// (the window server has no native button class) and behaves as the
// platform's: a click on press and release inside, on Space, on Enter when
// it is the default (or focused) button, on Escape when it is the cancel
// button, and on its accelerator.
#pragma once

#include "platform/vcl/Controls.h"

namespace vcl {

// Orientation of a scroll bar.
enum class TScrollBarKind : Byte { sbHorizontal, sbVertical };
QN_ENUM_NAMES(TScrollBarKind, sbHorizontal, sbVertical)
using enum TScrollBarKind;

// How an owner-drawn item is to be drawn (list boxes, combo boxes, menus).
enum class TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
  odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
QN_ENUM_NAMES(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
              odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using enum TOwnerDrawStateItem;
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
QN_TYPE_NAME(TOwnerDrawState)

class TButton : public TCustomControl {
  QN_CLASS_CREATE(TButton, TCustomControl, TComponent)
 public:
  explicit TButton(TComponent* AOwner);

  // Enter clicks the default button unless another button has the focus.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Escape clicks the cancel button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Set on the parent form when clicked (ending its modal loop when not
  // mrNone).
  Integer ModalResult() const { return FModalResult; }
  void SetModalResult(Integer Value) { FModalResult = Value; }
  // Whether Enter clicks it now: it has the focus, or it is the default
  // button and no other button has the focus.
  bool Active() const { return FActive; }

  void Click() override;
  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED(TButton) {
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    QN_PROP(Cancel).Default(false);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    QN_PROP(Default).Default(false);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont);
    QN_PROP(ModalResult).Default(0);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
  }

 protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  void SetPressed(bool Value);
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;
  bool FPressed = false;    // drawn pushed in
  bool FSpaceDown = false;  // Space went down while focused
  bool FMouseDown = false;  // the left button went down on it
  Integer FModalResult = 0;
};

}  // namespace vcl
