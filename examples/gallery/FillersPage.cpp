// Gallery page "fillers": small glyph-like shapes through the exact-area
// and the two subpixel renderers, magnified; pattern fills at several
// offsets and master alphas; an invert filler over a picture; a sampler
// fill; a callback drawing stripes.
#include <cmath>
#include <string>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer W = 960, H = 720;
constexpr TFloat kPi = 3.14159265f;

void Label(TBitmap32& B, Integer X, Integer Y, const String& Text) {
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetHeight(-13);
  B.Font()->SetColor(static_cast<TColor>(0x00504840));
  B.Textout(X, Y, Text);
}

// Glyph-like outlines about 11 pixels tall: a slanted stem with a bar (an
// "A"), a ring (an "o") and a narrow diagonal stroke.
TArrayOfArrayOfFloatPoint Glyphs(TFloat X, TFloat Y) {
  TArrayOfArrayOfFloatPoint G;
  G.push_back({{X + 0.3f, Y + 11}, {X + 3.6f, Y + 0.5f}, {X + 5.4f, Y + 0.5f}, {X + 8.7f, Y + 11}, {X + 7.0f, Y + 11},
               {X + 6.1f, Y + 8}, {X + 2.9f, Y + 8}, {X + 2.0f, Y + 11}});
  G.push_back({{X + 3.4f, Y + 6.5f}, {X + 5.6f, Y + 6.5f}, {X + 4.5f, Y + 2.9f}});
  G.push_back(Ellipse(X + 14.2f, Y + 7.2f, 3.6f, 3.9f));
  G.push_back(ReversePolygon(Ellipse(X + 14.2f, Y + 7.2f, 2.1f, 2.5f)));
  G.push_back({{X + 19.6f, Y + 11}, {X + 24.4f, Y + 0.5f}, {X + 25.8f, Y + 0.5f}, {X + 21.0f, Y + 11}});
  return G;
}

// Nearest-neighbour magnification of Src into Dst at (X, Y).
void Magnify(TBitmap32& Dst, TCustomBitmap32& Src, Integer X, Integer Y, Integer Scale) {
  for (Integer Sy = 0; Sy < Src.Height(); ++Sy)
    for (Integer Sx = 0; Sx < Src.Width(); ++Sx) {
      const TColor32 C = Src.ScanLine(Sy)[Sx];
      for (Integer Dy = 0; Dy < Scale; ++Dy)
        for (Integer Dx = 0; Dx < Scale; ++Dx) Dst.ScanLine(Y + Sy * Scale + Dy)[X + Sx * Scale + Dx] = C;
    }
}

// A colour wheel around a centre, brighter outwards.
class TWheelSampler : public TCustomSampler {
 public:
  TWheelSampler(TFloat Cx, TFloat Cy) : FCx(Cx), FCy(Cy) {}
  TColor32 GetSampleInt(Integer X, Integer Y) override {
    const TFloat Dx = X - FCx, Dy = Y - FCy;
    const TFloat Hue = (std::atan2(Dy, Dx) + kPi) / (2 * kPi);
    const TFloat R = std::min(1.0f, std::sqrt(Dx * Dx + Dy * Dy) / 90);
    return HSLtoRGB(Hue, 0.75f, 0.35f + 0.3f * R);
  }

 private:
  TFloat FCx, FCy;
};

struct TStripes {
  void FillLine(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues) {
    for (Integer I = 0; I < Length; ++I) {
      // Diagonal bands, 8 pixels wide, in two colours.
      const TColor32 C = ((DstX + I + DstY) / 8) % 2 ? 0xFFE8A030u : 0xFF3050A0u;
      BlendMemEx(C, Dst[I], AlphaValues[I] & 0xFF);
    }
    EMMS();
  }
};

}  // namespace

std::vector<std::string> FillersPage(const std::string& outDir) {
  TBitmap32 B;
  B.SetSize(W, H);
  B.Clear(0xFFEEF1F4u);

  // Row 1: the same small shapes through each renderer, 8x.
  const char16_t* Names[3] = {u"VPR", u"LCD", u"LCD2"};
  for (int K = 0; K < 3; ++K) {
    TCustomBitmap32 Small;
    Small.SetSize(34, 14);
    Small.Clear(0xFFFFFFFFu);
    const TArrayOfArrayOfFloatPoint G = Glyphs(2.3f, 1.4f);
    if (K == 0)
      PolyPolygonFS(&Small, G, 0xFF202020u, TPolyFillMode::pfNonZero);
    else if (K == 1)
      PolyPolygonFS_LCD(&Small, G, 0xFF202020u, TPolyFillMode::pfNonZero);
    else
      PolyPolygonFS_LCD2(&Small, G, 0xFF202020u, TPolyFillMode::pfNonZero);
    const Integer X = 16 + K * 312;
    Label(B, X, 12, String(Names[K]) + u" renderer, 8x");
    Magnify(B, Small, X, 34, 8);
    // And at its real size beside the label.
    for (Integer Y = 0; Y < Small.Height(); ++Y)
      for (Integer Xs = 0; Xs < Small.Width(); ++Xs) B.ScanLine(10 + Y)[X + 240 + Xs] = Small.ScanLine(Y)[Xs];
  }

  // Row 2: a translucent pattern tiled at four offsets and master alphas.
  TCustomBitmap32 Pattern;
  Pattern.SetSize(16, 16);
  for (Integer Y = 0; Y < 16; ++Y)
    for (Integer X = 0; X < 16; ++X) {
      const TFloat D = std::hypot(X - 7.5f, Y - 7.5f);
      const Cardinal A = D < 6 ? 255 : (D < 7.5f ? Cardinal(255 * (7.5f - D) / 1.5f) : 0);
      Pattern.ScanLine(Y)[X] = (A << 24) | (X < 8 ? 0xD03C3Cu : 0x2C7AD0u);
    }
  Pattern.SetDrawMode(TDrawMode::dmBlend);
  TBitmapPolygonFiller PatternFiller;
  PatternFiller.SetPattern(&Pattern);
  const Integer Offsets[4][2] = {{0, 0}, {8, 0}, {4, 8}, {-3, 5}};
  const Cardinal Alphas[4] = {255, 255, 160, 80};
  for (int K = 0; K < 4; ++K) {
    const TFloat X = 16 + K * 236.0f, Y = 176;
    Label(B, Integer(X), Integer(Y),
          u"pattern at " + IntToStr(Offsets[K][0]) + u"," + IntToStr(Offsets[K][1]) + u", alpha " +
              IntToStr(Integer(Alphas[K])));
    PatternFiller.SetOffsetX(Integer(X) + Offsets[K][0]);
    PatternFiller.SetOffsetY(Integer(Y) + 24 + Offsets[K][1]);
    Pattern.SetMasterAlpha(Alphas[K]);
    const TArrayOfFloatPoint Shape = RoundRect(FloatRect(X, Y + 24, X + 220, Y + 224), 24);
    PolygonFS(&B, Shape, 0xFFFFFFFFu);
    PolygonFS(&B, Shape, &PatternFiller);
    PolylineFS(&B, Shape, 0xFF8090A0u, true, 1.0f);
  }

  // Row 3, left: a picture with a star inverted through it.
  const TFloatRect Photo(16, 440, 316, 700);
  Label(B, 16, 418, u"invert filler over a picture");
  for (Integer Y = Integer(Photo.Top); Y < Integer(Photo.Bottom); ++Y)
    for (Integer X = Integer(Photo.Left); X < Integer(Photo.Right); ++X) {
      // A sky, a sun and hills: enough shape for the inversion to read.
      const TFloat U = (X - Photo.Left) / 300, V = (Y - Photo.Top) / 260;
      TColor32 C = HSLtoRGB(0.58f - 0.1f * V, 0.6f, 0.75f - 0.25f * V);
      if (std::hypot(U - 0.72f, V - 0.28f) < 0.12f) C = 0xFFFFD860u;
      if (V > 0.62f + 0.08f * std::sin(U * 9)) C = HSLtoRGB(0.3f, 0.5f, 0.32f + 0.1f * U);
      B.ScanLine(Y)[X] = C;
    }
  TInvertPolygonFiller Invert;
  PolygonFS(&B, Star(TFloatPoint{166, 570}, 50, 115, 5, -kPi / 2), &Invert, TPolyFillMode::pfNonZero);

  // Row 3, middle: a sampler fill of a colour wheel.
  Label(B, 332, 418, u"sampler filler");
  TWheelSampler Wheel(482, 570);
  TSamplerFiller Sampled(&Wheel);
  PolygonFS(&B, Circle(482, 570, 118), &Sampled);
  PolygonFS(&B, Circle(482, 570, 40), 0xFFEEF1F4u);

  // Row 3, right: a callback drawing stripes through a ring of petals.
  Label(B, 648, 418, u"callback filler");
  TStripes Stripes;
  TCallbackPolygonFiller Callback;
  Callback.SetFillLineEvent(MakeEvent(&Stripes, &TStripes::FillLine));
  TArrayOfFloatPoint Flower;
  for (int I = 0; I < 240; ++I) {
    const TFloat A = I * 2 * kPi / 240, R = 80 + 36 * std::cos(6 * A);
    Flower.push_back({798 + R * std::cos(A), 570 + R * std::sin(A)});
  }
  PolygonFS(&B, Flower, &Callback);
  PolylineFS(&B, Flower, 0xFF303848u, true, 1.5f);

  B.ResetAlpha();
  vcl::TScreenImage Img;
  Img.Width = B.Width();
  Img.Height = B.Height();
  Img.Pixels.assign(B.Bits(), B.Bits() + size_t(B.Width()) * B.Height());
  const std::string Path = outDir + "/fillers.png";
  vcl::SavePng(Img, Path);
  return {Path};
}

}  // namespace gallery
