// Gallery page "gradients": every gradient sampler in clamp, repeat and
// mirror; the linear gradient filler; the five sparse-point samplers; the
// circle-progress and speedometer dials built from arc points, rotation,
// SimpleFill and the linear gradient filler.
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

constexpr Integer W = 960, H = 1230, CellW = 116, CellH = 96;

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

// The two dials of the gauges, drawn as the controls draw them: arcs from
// GetArcPoints stroked by BuildPolyline, turned by RotatePoints about the
// centre and filled by SimpleFill; the speedometer's needle through the
// linear gradient filler.
TArrayOfFloatPoint Turn(const TArrayOfFloatPoint& P, const TFloatPoint& C, Integer A) {
  TArrayOfFixedPoint F = FixedPoints(P);
  RotatePoints(F, FixedPoint(C.X, C.Y), static_cast<Single>(std::numbers::pi * -A / 180));
  return FloatPoints(F);
}

TArrayOfFloatPoint Arc(const TFloatRect& R, Single From, Single To, TFloat Width, TEndStyle Ends) {
  return BuildPolyline(FloatPoints(GetArcPoints(R, From, To)), Width, TJoinStyle::jsMiter, Ends, 4.0f);
}

// The ring square of a dial of Size at (X, Y) with thickness T.
TFloatRect RingRect(TFloat X, TFloat Y, Integer Size, Integer T, TFloat& D) {
  D = static_cast<TFloat>(Size - T - static_cast<Integer>(std::nearbyint(0.8 * T)));
  return FloatRect(X + (Size - D) / 2, Y + (Size - D) / 2, X + (Size + D) / 2, Y + (Size + D) / 2);
}

void CircleDial(TBitmap32& B, TFloat X, TFloat Y, Integer Size, Integer Value) {
  constexpr Integer T = 14;
  constexpr TColor32 Normal = 0xFFD7DEE8u, Progress = 0xFF2563EBu, Dot = 0xFFF97316u;
  const double S = 359 - Value * 359 / 100.0;
  TFloat D;
  const TFloatRect R = RingRect(X, Y, Size, T, D);
  const TFloatPoint C = FloatPoint(X + Size / 2.0f, Y + Size / 2.0f);
  SimpleFill(&B, Arc(R, 0, 359, T, TEndStyle::esRound), Normal, Normal, TPolyFillMode::pfNonZero);
  if (Value > 0)
    SimpleFill(&B, Turn(Arc(R, static_cast<Single>(S), 359, T, TEndStyle::esRound), C, -90), Progress, Progress,
               TPolyFillMode::pfNonZero);
  const TFloat Rd = 0.58f * T / 2;
  const Integer N = static_cast<Integer>(std::trunc(std::numbers::pi / std::acos(Rd / (Rd + 0.125))));
  SimpleFill(&B, Turn(Circle(FloatPoint(C.X, C.Y + D / 2), Rd, N), C, static_cast<Integer>(std::nearbyint((359 - S) + 180))),
             Dot, Dot, TPolyFillMode::pfNonZero);
  const String Text = IntToStr(Value);
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetHeight(-26);
  B.Font()->SetColor(static_cast<TColor>(0x00403830));
  const Integer Wn = B.TextWidth(Text), Hn = B.TextHeight(Text);
  B.Font()->SetHeight(-11);
  const Integer Wc = B.TextWidth(u"%");
  const Integer Tx = Integer(X) + (Size - Wn - Wc) / 2, Ty = Integer(Y) + (Size - Hn) / 2;
  B.Font()->SetHeight(-26);
  B.RenderText(Tx, Ty, Text, 2, 0xFF303840u);
  B.Font()->SetHeight(-11);
  B.RenderText(Tx + Wn + 1, Ty + 4, u"%", 2, 0xFF607080u);
}

void SpeedDial(TBitmap32& B, TFloat X, TFloat Y, Integer Size, Integer Value) {
  constexpr Integer T = 16, A = 10;
  constexpr TColor32 Normal = 0xFFD7DEE8u, Progress = 0xFF0EA5E9u;
  const double S = 300 - Value * 300 / 100.0;
  TFloat D;
  const TFloatRect R = RingRect(X, Y, Size, T, D);
  const TFloatPoint C = FloatPoint(X + Size / 2.0f, Y + Size / 2.0f);
  const Integer R0 = static_cast<Integer>(D) / 2;
  auto Draw = [&](const TFloatRect& Rc, Single From, Single To, TFloat Width, TColor32 Color) {
    SimpleFill(&B, Turn(Arc(Rc, From, To, Width, TEndStyle::esButt), C, 60), Color, Color, TPolyFillMode::pfNonZero);
  };
  Draw(R, 0, 300, T, Normal);
  TFloatRect Marks = R;
  InflateRect(Marks, -T / 1.7f, -T / 1.7f);
  Draw(Marks, -0.12f, 4, T / 2.0f, Value == 100 ? Progress : Normal);
  Draw(Marks, 296, 300.12f, T / 2.0f, Value > 0 ? Progress : Normal);
  // Tick labels around the inside, 0 at the lower left to 100 at the lower
  // right.
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetHeight(-10);
  const Integer L = B.TextWidth(u"100");
  for (Integer I = 1; I <= 12; ++I) {
    if (I == 6) continue;
    const Integer K = I <= 5 ? I + 5 : I - 7, Label = K * 10;
    const double Th = ((I - 1) * 30 - 60) * std::numbers::pi / 180;
    const String Text = IntToStr(Label);
    const double Ax = std::cos(Th) * (R0 - L) + C.X, Ay = std::sin(Th) * (R0 - L) + C.Y;
    double Oy = (-B.TextHeight(Text)) / 2;
    if (I == 5 || I == 7) Oy -= T / 2.0;
    const TColor32 Col = Value >= Label && Value > 0 ? 0xFF0EA5E9u : 0xFF8090A0u;
    B.RenderText(static_cast<Integer>(std::nearbyint(Ax + (-B.TextWidth(Text)) / 2)),
                 static_cast<Integer>(std::nearbyint(Ay + Oy)), Text, 2, Col);
  }
  if (Value > 0) Draw(R, static_cast<Single>(S), 300, T, Progress);
  const TArrayOfFloatPoint Needle =
      Turn(BuildPolyline(Line(C, FloatPoint(C.X, C.Y + R0 * 2.0f / 3)), A, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f), C,
           static_cast<Integer>(std::nearbyint((300 - S) + 30)));
  TColor32Gradient G;
  G.AddColorStop(0.2f, 0xFF334155u);
  G.AddColorStop(0.8f, 0xFFEF4444u);
  TLinearGradientPolygonFiller F(&G);
  F.SetUseLookUpTable(false);
  F.SetStartPoint(Needle[0]);
  F.SetEndPoint(Needle[1]);
  PolygonFS(&B, Needle, &F, TPolyFillMode::pfEvenOdd);
  SimpleFill(&B, Circle(C, A * 0.8f), 0xFF334155u, 0xFF334155u, TPolyFillMode::pfNonZero);
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

  // The gauges' dials at 0, 25, 50 and 100, drawn with the helpers above.
  const Integer Y2 = Ys + Sh + 40;
  const Integer Values[4] = {0, 25, 50, 100};
  Label(B, 16, Y2 - 20, u"circle progress: GetArcPoints, RotatePoints, SimpleFill");
  for (int K = 0; K < 4; ++K) CircleDial(B, TFloat(16 + K * 236), TFloat(Y2), 170, Values[K]);
  const Integer Y3 = Y2 + 170 + 30;
  Label(B, 16, Y3 - 20, u"speedometer: the same, with a needle through the linear gradient filler");
  for (int K = 0; K < 4; ++K) SpeedDial(B, TFloat(8 + K * 236), TFloat(Y3), 220, Values[K]);

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
