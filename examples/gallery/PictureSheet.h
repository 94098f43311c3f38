// The picture the see-through pages put behind their skinned controls: a
// sky with hills and a sun, painted by a plain platform control, so every
// translucent body above it shows which part of the picture it covers.
#pragma once

#include <algorithm>

#include "platform/vcl/Controls.h"

namespace gallery {

namespace picture_sheet {

using namespace vcl;

class TPictureSheet : public TCustomControl {
  QN_CLASS(TPictureSheet, TCustomControl)
 public:
  explicit TPictureSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    for (Integer y = 0; y < r.Height(); ++y) {
      const Integer t = y * 255 / std::max(1, r.Height());
      Canvas()->Pen()->SetColor(TColor(RGB(Byte(70 + t / 3), Byte(150 + t / 4), Byte(235 - t / 5))));
      Canvas()->MoveTo(0, y);
      Canvas()->LineTo(r.Width(), y);
    }
    for (Integer i = 0; i < 7; ++i) {
      Canvas()->Brush()->SetColor(TColor(RGB(Byte(40 + i * 20), Byte(140 + i * 12), Byte(60 + i * 8))));
      Canvas()->Pen()->SetColor(Canvas()->Brush()->Color());
      Canvas()->Ellipse(-80 + i * 110, r.Height() - 120 + (i % 2) * 30, 120 + i * 110, r.Height() + 120);
    }
    Canvas()->Brush()->SetColor(TColor(RGB(255, 214, 90)));
    Canvas()->Pen()->SetColor(TColor(RGB(255, 214, 90)));
    Canvas()->Ellipse(520, 30, 600, 110);
  }
};

}  // namespace picture_sheet

using picture_sheet::TPictureSheet;

}  // namespace gallery
