// uQuarnBoxCtrls: the group box, a transparent container with a caption row
// on top: a line that fades away from the caption, or a thin box around the
// whole control, and an optional check box that switches every hosted
// control on or off; the skinned list box (uQuarnBoxCtrls_ListBox.h); and
// the combo boxes (uQuarnBoxCtrls_ComboBox.h).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/uQuarnBoxCtrls_ComboBox.h"
#include "skin/controls/uQuarnBoxCtrls_ListBox.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

enum class TGroupBoxFrameStyle { fsLine, fsBox };
QN_ENUM_NAMES(TGroupBoxFrameStyle, fsLine, fsBox)
using enum TGroupBoxFrameStyle;

class TQuarnCustomGroupBox;

// The caption's check box; it lives with its group box and is streamed
// with it.
class TGroupBoxCheckBox : public TPersistent {
  QN_CLASS(TGroupBoxCheckBox, TPersistent)
 public:
  explicit TGroupBoxCheckBox(TQuarnCustomGroupBox* GroupBox) : FGroupBox(GroupBox) {}
  // Takes the state of another check box through the setters, so the
  // group box's children follow a changed Checked.
  void Assign(TPersistent* Source) override;

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TQnResID Pictures() const { return FPictures; }
  void SetPictures(const TQnResID& Value);
  bool IsPicturesStored() const { return FPictures != u"QuarnCheckBox"; }
  // Hover state and hit rectangle (group-box client coordinates, set while
  // painting).
  bool MouseInControl() const { return FMouseInControl; }
  const TRect& HitRect() const { return FRect; }

  QN_PUBLISHED_DECL(TGroupBoxCheckBox) {
    QN_PROP(Visible).Default(false);
    QN_PROP(Checked).Default(true);
    QN_PROP(Pictures).TypeName(u"TQnResID").Stored(&TGroupBoxCheckBox::IsPicturesStored);
  }

 protected:
  virtual void DoChanged();

 private:
  friend class TQuarnCustomGroupBox;
  TQuarnCustomGroupBox* FGroupBox;
  bool FVisible = false;
  bool FChecked = true;
  TQnResID FPictures = u"QuarnCheckBox";
  bool FMouseInControl = false;
  TRect FRect;
};

class TQuarnCustomGroupBox : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnCustomGroupBox, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnCustomGroupBox(TComponent* AOwner);
  ~TQuarnCustomGroupBox() override;

  // The group box's own caption; the control's text stays unused.
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TAlignment CaptionAlignment() const { return FCaptionAlignment; }
  void SetCaptionAlignment(TAlignment Value);
  Integer CaptionHeight() const { return FCaptionHeight; }
  void SetCaptionHeight(Integer Value);
  TQnLightClass* CaptionLight() const { return FCaptionLight.get(); }
  void SetCaptionLight(TQnLightClass* Value);
  TGroupBoxCheckBox* CheckBox() const { return FCheckBox.get(); }
  void SetCheckBox(TGroupBoxCheckBox* Value);
  TGroupBoxFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TGroupBoxFrameStyle Value);
  TColor LineStartColor() const { return FLineStartColor; }
  void SetLineStartColor(TColor Value);
  TColor LineStopColor() const { return FLineStopColor; }
  void SetLineStopColor(TColor Value);
  bool Light() const { return FLight; }
  void SetLight(bool Value);

  virtual void EnabledControls(bool Value);
  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoPaintBuffer() override;
  void DrawBody(TBitmap32* Buffer) override;
  void WMMove(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void CMControlChange(TMessage& Message);

  String FCaption;
  TColor FLineStopColor = static_cast<TColor>(0x00FEFBF6);
  TColor FLineStartColor = static_cast<TColor>(0x00CFA753);
  bool FLight = false;
  Integer FCaptionHeight = 15;
  std::unique_ptr<TQnLightClass> FCaptionLight;
  TGroupBoxFrameStyle FFrameStyle = fsLine;
  std::unique_ptr<TGroupBoxCheckBox> FCheckBox;
  TAlignment FCaptionAlignment = taLeftJustify;

 private:
  template <class T>
  void Change(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Invalidate();
  }
  // The fading line under the caption row and its shine.
  void LineBand(TBitmap32* Buffer, Integer X1, Integer X2, Integer Y, TColor From, TColor To);
};

class TQuarnGroupBox : public TQuarnCustomGroupBox {
  QN_CLASS_CREATE(TQuarnGroupBox, TQuarnCustomGroupBox, TComponent)
 public:
  explicit TQuarnGroupBox(TComponent* AOwner) : TQuarnCustomGroupBox(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnGroupBox) {
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(CaptionAlignment).Default(taLeftJustify);
    QN_PROP(CaptionHeight).Default(15);
    QN_PROP(CaptionLight);
    QN_PROP(CheckBox);
    QN_PROP(FrameStyle).Default(fsLine);
    QN_PROP(LineStartColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00CFA753));
    QN_PROP(LineStopColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00FEFBF6));
    QN_PROP(Light).Default(false);
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
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

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
