// A star of every line kind over a checker, each drawn once unclipped and
// once clipped to an inner rectangle (outlined in grey) with rays that reach
// far past the bitmap.
#include <cmath>
#include <cstdio>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetImage.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer Cell = 180, Kinds = 6, Rays = 24;

void Checker(TCustomBitmap32& b) {
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x) b.SetPixel(x, y, ((x / 10 + y / 10) & 1) ? 0xFFD8D8D8u : 0xFFF4F4F4u);
}

TColor32 RayColor(Integer i, Byte Alpha) {
  return (HSLtoRGB(static_cast<Single>(i) / Rays, 0.8f, 0.4f) & 0x00FFFFFFu) | (Cardinal(Alpha) << 24);
}

void DrawStar(TCustomBitmap32& b, Integer Kind, bool Clipped) {
  const Single c = Cell / 2.0f, len = Clipped ? 160.0f : 80.0f;
  b.SetStipple({0xFFE02020u, 0xFFE02020u, 0xFFE02020u, 0x00000000u, 0xFF2020E0u, 0xFF2020E0u, 0x00000000u});
  b.SetDrawMode(TDrawMode::dmBlend);
  for (Integer i = 0; i < Rays; ++i) {
    const Single a = 2 * 3.14159265f * static_cast<Single>(i) / Rays + 0.05f;
    const Single x2 = c + len * std::cos(a), y2 = c + len * std::sin(a);
    const Integer ix1 = Round(c), iy1 = Round(c), ix2 = Round(x2), iy2 = Round(y2);
    switch (Kind) {
      case 0: Clipped ? b.LineS(ix1, iy1, ix2, iy2, RayColor(i, 255)) : b.Line(ix1, iy1, ix2, iy2, RayColor(i, 255)); break;
      case 1:
        Clipped ? b.LineTS(ix1, iy1, ix2, iy2, RayColor(i, 128)) : b.LineT(ix1, iy1, ix2, iy2, RayColor(i, 128));
        break;
      case 2: Clipped ? b.LineAS(ix1, iy1, ix2, iy2, RayColor(i, 255)) : b.LineA(ix1, iy1, ix2, iy2, RayColor(i, 255)); break;
      case 3:
        Clipped ? b.LineFS(c + 0.3f, c + 0.6f, x2, y2, RayColor(i, 255))
                : b.LineF(c + 0.3f, c + 0.6f, x2, y2, RayColor(i, 255));
        break;
      case 4: Clipped ? b.LineFSP(c, c, x2, y2) : b.LineFP(c, c, x2, y2); break;
      default:
        if (i < 8) {
          const Single o = 20.0f + 18.5f * static_cast<Single>(i) + 0.25f * i;
          const Single lo = Clipped ? -40.0f : 15.0f, hi = Clipped ? Cell + 40.0f : Cell - 15.0f;
          if (Clipped) {
            b.HorzLineXS(Fixed(lo), Fixed(o), Fixed(hi), RayColor(i * 3, 255));
            b.VertLineXS(Fixed(o), Fixed(lo), Fixed(hi), RayColor(i * 3 + 1, 255));
          } else {
            b.HorzLineX(Fixed(lo), Fixed(o), Fixed(hi), RayColor(i * 3, 255));
            b.VertLineX(Fixed(o), Fixed(lo), Fixed(hi), RayColor(i * 3 + 1, 255));
          }
        } else if (i < 12) {
          const Integer y = 44 + 4 * (i - 8);
          b.HorzLineTSP(Clipped ? -30 : 5, y, Clipped ? Cell + 30 : Cell - 5);
        }
        break;
    }
  }
}

}  // namespace

std::vector<std::string> LinesPage(const std::string& outDir) {
  // Each row: one line kind, named above its two stars.
  static const char16_t* const kKinds[Kinds] = {
      u"Line and LineS: opaque, 1 px",
      u"LineT and LineTS: blended at alpha 128",
      u"LineA and LineAS: anti-aliased",
      u"LineF and LineFS: fixed-point ends",
      u"LineFP and LineFSP: stippled red and blue",
      u"HorzLineX, VertLineX, HorzLineTSP"};
  constexpr Integer Head = 24, Caption = 18;
  vcl::TScreenImage img;
  img.Width = Cell * 2 + 30;
  img.Height = Head + (Caption + Cell + 10) * Kinds;
  img.Pixels.assign(size_t(img.Width) * img.Height, 0xFFFFFFFFu);
  std::vector<TImageLabel> labels{{10, 6, u"unclipped", true}, {Cell + 20, 6, u"clipped to the grey frame", true}};
  const TRect clip(40, 40, Cell - 40, Cell - 40);
  for (Integer k = 0; k < Kinds; ++k) {
    const Integer rowTop = Head + k * (Caption + Cell + 10);
    labels.push_back({10, rowTop, kKinds[k]});
    for (Integer col = 0; col < 2; ++col) {
      TCustomBitmap32 b;
      b.SetSize(Cell, Cell);
      Checker(b);
      if (col == 1) {
        b.HorzLineS(clip.Left - 1, clip.Top - 1, clip.Right, 0xFF909090u);
        b.HorzLineS(clip.Left - 1, clip.Bottom, clip.Right, 0xFF909090u);
        b.VertLineS(clip.Left - 1, clip.Top - 1, clip.Bottom, 0xFF909090u);
        b.VertLineS(clip.Right, clip.Top - 1, clip.Bottom, 0xFF909090u);
        b.SetClipRect(clip);
      }
      DrawStar(b, k, col == 1);
      const Integer ox = 10 + col * (Cell + 10), oy = rowTop + Caption;
      for (Integer y = 0; y < Cell; ++y)
        for (Integer x = 0; x < Cell; ++x) img.Pixels[size_t(oy + y) * img.Width + ox + x] = b.GetPixel(x, y);
    }
  }
  const std::string path = outDir + "/lines.png";
  vcl::SavePng(WithLabels(img, labels), path);
  return {path};
}

}  // namespace gallery
