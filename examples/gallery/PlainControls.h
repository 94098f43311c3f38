// What the pages of the host's plain controls share: a caption drawn with
// the control's font, left and vertically centred on one line, and a
// control made at a place in one step.
#pragma once

#include "platform/vcl/Controls.h"

namespace gallery {

class TPlainCaption : public vcl::TGraphicControl {
  QN_CLASS(TPlainCaption, vcl::TGraphicControl)
 public:
  explicit TPlainCaption(vcl::TComponent* AOwner) : vcl::TGraphicControl(AOwner) {}

 protected:
  void Paint() override {
    using namespace vcl;
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    TRect r(0, 0, Width(), Height());
    String t = Caption();
    c->TextRect(r, t, TTextFormat{TTextFormats::tfLeft, TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine});
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

template <class T>
T* MakePlain(vcl::TWinControl* parent, vcl::TComponent* owner, vcl::Integer x, vcl::Integer y, vcl::Integer w,
             vcl::Integer h) {
  T* c = new T(owner);
  static_cast<vcl::TControl*>(c)->SetParent(parent);
  c->SetBounds(x, y, w, h);
  return c;
}

}  // namespace gallery
