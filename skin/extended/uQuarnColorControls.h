// uQuarnColorControls: small vector-drawn parts that colour-driven controls
// share; the round delete button with a cross that the tags box puts on
// its chips.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Persistent.h"
#include "platform/vcl/Graphics.h"

namespace qn {

enum class TDeleteButtonState { bsNormal, bsHot };
QN_ENUM_NAMES(TDeleteButtonState, bsNormal, bsHot)
using enum TDeleteButtonState;

class TQuarnColorControls_DeleteButton : public TPersistent {
  QN_CLASS_CREATE(TQuarnColorControls_DeleteButton, TPersistent, TObject)
 public:
  TQuarnColorControls_DeleteButton() = default;
  explicit TQuarnColorControls_DeleteButton(TObject*) {}

  // Copies the five published values from another delete button.
  void Assign(TPersistent* Source) override;
  // The circle and its cross in Rect, in the colours of the current state.
  void Draw(TBitmap32* Buffer, const TRect& Rect);

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { Change(FVisible, Value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { Change(FColor, Value); }
  TColor HotColor() const { return FHotColor; }
  void SetHotColor(TColor Value) { Change(FHotColor, Value); }
  TColor XColor() const { return FXColor; }
  void SetXColor(TColor Value) { Change(FXColor, Value); }
  TColor XHotColor() const { return FXHotColor; }
  void SetXHotColor(TColor Value) { Change(FXHotColor, Value); }
  // Set by the owner as the pointer comes and goes; fires nothing.
  TDeleteButtonState State() const { return FState; }
  void SetState(TDeleteButtonState Value) { FState = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  QN_PUBLISHED_DECL(TQuarnColorControls_DeleteButton) {
    QN_PROP(Visible).Default(true);
    QN_PROP(Color).TypeName(u"TColor").Default(static_cast<TColor>(0x006A6A6A));
    QN_PROP(HotColor).TypeName(u"TColor").Default(static_cast<TColor>(0x000000FF));
    QN_PROP(XColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00EAEAEA));
    QN_PROP(XHotColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00FFFFFF));
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
  }

 private:
  template <class T>
  void Change(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    if (FOnChanged) FOnChanged(this);
  }

  TColor FColor = static_cast<TColor>(0x006A6A6A);
  TColor FHotColor = static_cast<TColor>(0x000000FF);
  TColor FXColor = static_cast<TColor>(0x00EAEAEA);
  TColor FXHotColor = static_cast<TColor>(0x00FFFFFF);
  bool FVisible = true;
  TNotifyEvent FOnChanged;
  TDeleteButtonState FState = bsNormal;
};

// A filled anti-aliased circle in Rect with a cross of two strokes.
void DrawCloseBtn(TBitmap32* Buffer, const TRect& Rect, TColor Circle, TColor Cross);

void InitQuarnColorControls();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
