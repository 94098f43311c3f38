// Gallery page "gradients": every gradient sampler in clamp, repeat and
// mirror; the linear gradient filler; the five sparse-point samplers;
// progress rings built from arc points, rotation and SimpleFill.
#include <cmath>
#include <numbers>
#include <string>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer W = 960, H = 980, CellW = 116, CellH = 96;

void Label(TBitmap32& B, Integer X, Integer Y, const String& Text) {
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetHeight(-12);
  B.Font()->SetColor(static_cast<TColor>(0x00504840));
  B.Textout(X, Y, Text);
}

void Stops(TColor32Gradient& G) {
  G.ClearColorStops();
  G.AddColorStop(0.0f, 0xFF1E3A8Au);
  G.AddColorStop(0.35f, 0xFF38BDF8u);
  G.AddColorStop(0.7f, 0xFFFDE68Au);
  G.AddColorStop(1.0f, 0xFFF97316u);
}

// A ring from 0 to 359 degrees with the value's part in the progress
// colour, as a dial draws it: arc points, stroked, rotated to start at 12
// o'clock, filled.
void Ring(TBitmap32& B, TFloat X, TFloat Y, TFloat Size, Integer Value) {
  const TFloatRect R = FloatRect(X + 8, Y + 8, X + Size - 8, Y + Size - 8);
  const TFloatPoint C = FloatPoint(X + Size / 2, Y + Size / 2);
  auto Stroke = [&](Single From, Single To) {
    return BuildPolyline(FloatPoints(GetArcPoints(R, From, To)), 10, TJoinStyle::jsMiter, TEndStyle::esRound, 4.0f);
  };
  SimpleFill(&B, Stroke(0, 359), 0xFFD7DEE8u, 0xFFD7DEE8u, TPolyFillMode::pfNonZero);
  if (Value > 0) {
    // Clockwise from 3 o'clock over the value's share, then turned a
    // quarter counter-clockwise so that it starts at 12 o'clock.
    TArrayOfFixedPoint P = FixedPoints(Stroke(0, -3.59f * Value));
    RotatePoints(P, FixedPoint(C.X, C.Y), std::numbers::pi_v<Single> / 2);
    SimpleFill(&B, P, 0xFF2563EBu, 0xFF2563EBu, TPolyFillMode::pfNonZero);
  }
  Label(B, Integer(C.X) - 12, Integer(C.Y) - 8, IntToStr(Value) + u"%");
}

}  // namespace

std::vector<std::string> GradientsPage(const std::string& outDir) {
  TBitmap32 B;
  B.SetSize(W, H);
  B.Clear(0xFFEEF1F4u);
  TColor32Gradient G;
  Stops(G);

  const char16_t* Names[7] = {u"conic", u"radial", u"diamond", u"X", u"XY", u"XY sqrt", u"linear"};
  const char16_t* Modes[3] = {u"clamp", u"repeat", u"mirror"};
  const TWrapMode Wraps[3] = {TWrapMode::wmClamp, TWrapMode::wmRepeat, TWrapMode::wmMirror};
  for (int M = 0; M < 3; ++M) Label(B, 8, 40 + M * (CellH + 28) + CellH / 2, Modes[M]);
  for (int K = 0; K < 7; ++K) {
    const Integer X0 = 70 + K * (CellW + 8);
    Label(B, X0, 10, Names[K]);
    for (int M = 0; M < 3; ++M) {
      const Integer Y0 = 32 + M * (CellH + 28);
      const TFloatPoint C = FloatPoint(X0 + CellW / 2.0f, Y0 + CellH / 2.0f);
      TConicGradientSampler Conic(&G);
      TRadialGradientSampler Radial(&G);
      TDiamondGradientSampler Diamond(&G);
      TXGradientSampler XS(&G);
      TXYGradientSampler XY(&G);
      TXYSqrtGradientSampler XYSqrt(&G);
      TLinearGradientSampler Linear(&G);
      TCustomGradientSampler* S[7] = {&Conic, &Radial, &Diamond, &XS, &XY, &XYSqrt, &Linear};
      Conic.SetCenter(C);
      Conic.SetAngle(0.4f);
      for (TCustomCenterRadiusLutGradientSampler* R :
           {static_cast<TCustomCenterRadiusLutGradientSampler*>(&Radial), static_cast<TCustomCenterRadiusLutGradientSampler*>(&Diamond),
            static_cast<TCustomCenterRadiusLutGradientSampler*>(&XS), static_cast<TCustomCenterRadiusLutGradientSampler*>(&XY),
            static_cast<TCustomCenterRadiusLutGradientSampler*>(&XYSqrt)}) {
        R->SetCenter(C);
        R->SetRadius(30);
      }
      Diamond.SetAngle(0.3f);
      XS.SetAngle(std::numbers::pi_v<float> / 2);
      XY.SetRadius(22);
      Linear.SetPoints(FloatPoint(C.X - 25, C.Y - 15), FloatPoint(C.X + 15, C.Y + 20));
      S[K]->SetWrapMode(Wraps[M]);
      TSamplerFiller F(S[K]);
      PolygonFS(&B, RoundRect(FloatRect(X0, Y0, X0 + CellW, Y0 + CellH), 10), &F, TPolyFillMode::pfNonZero);
    }
  }

  // The linear gradient filler: table in three wrap modes, and per pixel.
  const Integer Y1 = 32 + 3 * (CellH + 28) + 8;
  for (int M = 0; M < 4; ++M) {
    const Integer X0 = 16 + M * 236;
    Label(B, X0, Y1 - 20, M < 3 ? String(u"linear filler, table, ") + Modes[M] : String(u"linear filler, per pixel"));
    TLinearGradientPolygonFiller F(&G);
    F.SetStartPoint(FloatPoint(X0 + 70, Y1));
    F.SetEndPoint(FloatPoint(X0 + 150, Y1 + 40));
    if (M < 3)
      F.SetWrapMode(Wraps[M]);
    else
      F.SetUseLookUpTable(false);
    PolygonFS(&B, Star(FloatPoint(X0 + 110, Y1 + 80), 40, 82, 7, -std::numbers::pi_v<float> / 2), &F,
              TPolyFillMode::pfNonZero);
  }

  // The sparse-point samplers, each over its own few coloured points,
  // marked by small dots.
  const Integer Ys = Y1 + 196, Sw = 172, Sh = 150;
  const TColor32 Palette[6] = {0xFFE11D48u, 0xFFF59E0Bu, 0xFF10B981u, 0xFF3B82F6u, 0xFF8B5CF6u, 0xFF22D3EEu};
  const char16_t* SparseNames[5] = {u"barycentric", u"bilinear", u"inverse distance", u"Voronoi", u"Delaunay, Gouraud"};
  for (int K = 0; K < 5; ++K) {
    const TFloat X0 = TFloat(16 + K * (Sw + 14)), Y0 = TFloat(Ys);
    Label(B, Integer(X0), Ys - 20, SparseNames[K]);
    auto At = [&](TFloat U, TFloat V) { return FloatPoint(X0 + U * Sw, Y0 + V * Sh); };
    TBarycentricGradientSampler Bary(Color32FloatPoint(Palette[0], At(0.5f, 0.04f)),
                                     Color32FloatPoint(Palette[2], At(0.96f, 0.92f)),
                                     Color32FloatPoint(Palette[3], At(0.04f, 0.8f)));
    TBilinearGradientSampler Bil;
    Bil.SetColorPoints({At(0.08f, 0.1f), At(0.9f, 0.04f), At(0.96f, 0.94f), At(0.2f, 0.86f)},
                       {Palette[0], Palette[1], Palette[3], Palette[4]});
    // The same scattered points for the three arbitrary samplers.
    // The corners are among them, so that the triangles cover the cell.
    const TFloatPoint Scatter[8] = {At(0.03f, 0.04f), At(0.6f, 0.03f), At(0.97f, 0.04f), At(0.38f, 0.45f),
                                    At(0.78f, 0.62f), At(0.03f, 0.96f), At(0.52f, 0.96f), At(0.97f, 0.96f)};
    TInvertedDistanceWeightingSampler Idw;
    TVoronoiSampler Vor;
    TGourandShadedDelaunayTrianglesSampler Del;
    for (int I = 0; I < 8; ++I) Idw.Add(Scatter[I], Palette[(I * 5) % 6]);
    Idw.SetPower(2.5f);
    Vor.Assign(&Idw);
    Del.Assign(&Idw);
    TCustomSparsePointGradientSampler* S[5] = {&Bary, &Bil, &Idw, &Vor, &Del};
    TSamplerFiller F(S[K]);
    PolygonFS(&B, RoundRect(FloatRect(X0, Y0, X0 + Sw, Y0 + Sh), 8), &F, TPolyFillMode::pfNonZero);
    for (Integer I = 0; I < S[K]->Count(); ++I) {
      const TFloatPoint P = S[K]->GetPoint(I);
      SimpleFill(&B, Circle(P.X, P.Y, 3.5f), 0xFF1F2937u, 0xFFFFFFFFu, TPolyFillMode::pfNonZero);
    }
  }

  // Progress rings drawn with arc points, rotation and SimpleFill.
  const Integer Y2 = Ys + Sh + 40;
  Label(B, 16, Y2 - 20, u"rings: GetArcPoints, RotatePoints, SimpleFill");
  const Integer Values[4] = {0, 25, 50, 100};
  for (int K = 0; K < 4; ++K) Ring(B, TFloat(16 + K * 180), TFloat(Y2), 150, Values[K]);

  B.ResetAlpha();
  vcl::TScreenImage Img;
  Img.Width = B.Width();
  Img.Height = B.Height();
  Img.Pixels.assign(B.Bits(), B.Bits() + size_t(B.Width()) * B.Height());
  const std::string Path = outDir + "/gradients.png";
  vcl::SavePng(Img, Path);
  return {Path};
}

}  // namespace gallery
