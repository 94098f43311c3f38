// The vector sheet: anti-aliased fills and strokes of the polygon entry
// points over a checker: rounded rectangles, the three joins under the three
// caps, dashes in two colours, and a self-crossing star under both fill
// rules. Shared by the gallery page and its golden-image test.
#pragma once

#include <cmath>
#include <cstring>

#include "graphics/raster/Pix32_qn_Bitmap.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

class TVectorSheet {
 public:
  static constexpr int kWidth = 640, kHeight = 560;

  // Renders the sheet into an opaque image.
  static vcl::TScreenImage Render() {
    using namespace qn;
    TCustomBitmap32 b;
    b.SetSize(kWidth, kHeight);
    Draw(b);
    vcl::TScreenImage img;
    img.Width = kWidth;
    img.Height = kHeight;
    img.Pixels.resize(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) img.Pixels[size_t(y) * kWidth + size_t(x)] = b.ScanLine(y)[x] | 0xFF000000u;
    return img;
  }

  static void Draw(qn::TCustomBitmap32& b) {
    using namespace qn;
    // The checker shows where translucent paint lets the ground through.
    for (Integer y = 0; y < b.Height(); ++y)
      for (Integer x = 0; x < b.Width(); ++x)
        b.ScanLine(y)[x] = ((x / 16 + y / 16) & 1) ? 0xFFD4D8DCu : 0xFFF4F6F8u;

    // Row 1: rounded rectangles with radii 0, 5 and half the height,
    // translucent fills under opaque outlines.
    const TColor32 fills[3] = {0xB0E8603Cu, 0xB03C9A5Au, 0xB03A6FD8u};
    const TColor32 edges[3] = {0xFF8A2A12u, 0xFF1C5A30u, 0xFF1A3A80u};
    for (int i = 0; i < 3; ++i) {
      const TFloatRect r(20.0f + i * 205, 20.0f, 20.0f + i * 205 + 190, 120.0f);
      const TFloat radius = i == 0 ? 0.0f : i == 1 ? 5.0f : (r.Bottom - r.Top) / 2;
      const TArrayOfFloatPoint shape = RoundRect(r, radius);
      PolygonFS(&b, shape, fills[i], TPolyFillMode::pfNonZero);
      PolylineFS(&b, shape, edges[i], true, 2.5f, TJoinStyle::jsRound);
    }

    // Rows 2-4: a bent stroke 18 wide in every join (rows: miter, bevel,
    // round) and cap (columns: butt, square, round), its path drawn thin on top.
    const TJoinStyle joins[3] = {TJoinStyle::jsMiter, TJoinStyle::jsBevel, TJoinStyle::jsRound};
    const TEndStyle caps[3] = {TEndStyle::esButt, TEndStyle::esSquare, TEndStyle::esRound};
    for (int j = 0; j < 3; ++j)
      for (int c = 0; c < 3; ++c) {
        const TFloat x = 40.0f + c * 205, y = 146.0f + j * 80;
        const TArrayOfFloatPoint path = {{x, y + 58}, {x + 34, y + 10}, {x + 68, y + 58}, {x + 150, y + 26}};
        PolylineFS(&b, path, 0xE0F0A030u, false, 18.0f, joins[j], caps[c], 4.0f);
        PolylineFS(&b, path, 0xFF303030u, false, 1.0f, TJoinStyle::jsMiter, TEndStyle::esButt);
      }

    // Row 5, left: two-colour dashes along a wave and round a circle.
    TArrayOfFloatPoint wave;
    for (int i = 0; i <= 60; ++i) {
      const TFloat t = static_cast<TFloat>(i) / 60;
      wave.push_back({30.0f + 360 * t, 430.0f + 22 * std::sin(t * 4 * 3.14159265f)});
    }
    DashLineFS(&b, wave, {18, 8}, 0xFFFFD040u, 0xFF604000u, false, 10.0f, 1.5f);
    DashLineFS(&b, wave, {6, 6}, 0xFF2060C0u, false, 2.0f);
    DashLineFS(&b, Circle(120, 505, 38, 48), {14, 6, 4, 6}, 0xFF60D0F0u, 0xFF10506Au, true, 8.0f, 1.5f);
    DashLineFS(&b, Rectangle(FloatRect(195, 472, 385, 538)), {10, 5}, 0xFFE04080u, 0xFF701030u, true, 7.0f, 1.5f);

    // Row 5, right: a self-crossing star even-odd (hollow middle) and
    // non-zero (solid), outlined.
    for (int k = 0; k < 2; ++k) {
      const TFloat cx = 470.0f + k * 110, cy = 475.0f, rr = 58.0f;
      TArrayOfFloatPoint star;
      for (int i = 0; i < 5; ++i) {
        const TFloat a = -3.14159265f / 2 + i * 4 * 3.14159265f / 5;
        star.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
      }
      PolygonFS(&b, star, k == 0 ? 0xD0C03080u : 0xD03080C0u,
                k == 0 ? TPolyFillMode::pfEvenOdd : TPolyFillMode::pfNonZero);
      PolylineFS(&b, star, 0xFF202020u, true, 1.5f, TJoinStyle::jsMiter);
    }
  }
};

}  // namespace gallery
