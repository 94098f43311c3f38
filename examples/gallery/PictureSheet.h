// The picture the see-through pages put behind their skinned controls: a
// sky with hills and a sun, painted by a plain platform control, so every
// translucent body above it shows which part of the picture it covers.
#pragma once

#include <algorithm>

#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
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
    using namespace qn;
    const TRect r = ClientRect();
    if (r.Width() <= 0 || r.Height() <= 0) return;
    // Painted with the library's anti-aliased fills, then copied to the
    // canvas: the hills' and the sun's edges are smooth.
    TBitmap32 b;
    b.SetSize(r.Width(), r.Height());
    for (Integer y = 0; y < r.Height(); ++y) {
      const Integer t = y * 255 / std::max(1, r.Height());
      b.HorzLineS(0, y, r.Width() - 1, Color32(Byte(70 + t / 3), Byte(150 + t / 4), Byte(235 - t / 5)));
    }
    const TFloat h = TFloat(r.Height());
    for (Integer i = 0; i < 7; ++i)
      PolygonFS(&b, Ellipse(20.0f + i * 110, h + (i % 2) * 15.0f, 100, 120 - (i % 2) * 15.0f, 96),
                Color32(Byte(40 + i * 20), Byte(140 + i * 12), Byte(60 + i * 8)), TPolyFillMode::pfNonZero);
    PolygonFS(&b, Circle(560, 70, 40, 96), Color32(255, 214, 90), TPolyFillMode::pfNonZero);
    b.DrawTo(Canvas()->Handle(), 0, 0);
  }
};

// The box's inscribed ellipse as a polygon, for the vector fills.
inline qn::TArrayOfFloatPoint EllipseIn(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  return qn::Ellipse((X1 + X2) / 2.0f, (Y1 + Y2) / 2.0f, (X2 - X1) / 2.0f, (Y2 - Y1) / 2.0f, 128);
}

// Lets Draw paint anti-aliased over what the canvas holds in Area: the
// pixels go into a 32-bit bitmap, Draw fills on it, and the result goes back.
template <class F>
void DrawSmooth(TCanvas* Canvas, const TRect& Area, F&& Draw) {
  using namespace qn;
  if (Area.Width() <= 0 || Area.Height() <= 0) return;
  TBitmap32 b;
  b.SetSize(Area.Width(), Area.Height());
  BitBlt(b.Canvas()->Handle(), 0, 0, Area.Width(), Area.Height(), Canvas->Handle(), Area.Left, Area.Top, SRCCOPY);
  b.ResetAlpha();  // GDI leaves alpha at 0
  Draw(b);
  b.DrawTo(Canvas->Handle(), Area.Left, Area.Top);
}

}  // namespace picture_sheet

using picture_sheet::DrawSmooth;
using picture_sheet::EllipseIn;
using picture_sheet::TPictureSheet;

}  // namespace gallery
