// Gallery page "geometry": a noisy line thinned at three tolerances, Delaunay
// triangulations of scattered and of co-circular points, segment crossings,
// and a point-in-polygon grid over a star.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_Geometry_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer W = 960, H = 660;
constexpr TFloat kPi = 3.14159265f;

void Dot(TBitmap32& B, TFloatPoint P, TFloat R, TColor32 C) { PolygonFS(&B, Circle(P, R, 16), C); }

void Line(TBitmap32& B, TFloatPoint A, TFloatPoint Z, TColor32 C, TFloat Width = 1.0f) {
  PolylineFS(&B, {A, Z}, C, false, Width);
}

void Panel(TBitmap32& B, const TFloatRect& R, const String& Title) {
  PolygonFS(&B, RoundRect(R, 8), 0xFFFFFFFFu);
  PolylineFS(&B, RoundRect(R, 8), 0xFFC8CED6u, true, 1.0f);
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetHeight(-13);
  B.Font()->SetColor(static_cast<TColor>(0x00504840));
  B.Textout(Integer(R.Left) + 12, Integer(R.Top) + 8, Title);
}

void Triangulation(TBitmap32& B, const TArrayOfFloatPoint& P, TColor32 Fill, TColor32 Edge) {
  const TArrayOfTriangleVertexIndices T = DelaunayTriangulation(P);
  for (size_t I = 0; I < T.size(); ++I) {
    const TArrayOfFloatPoint Tri{P[T[I].A], P[T[I].B], P[T[I].C]};
    // Neighbouring triangles in slightly different tints show the cells.
    const TColor32 Tint = (Fill & 0x00FFFFFFu) | (Cardinal(0x30 + (I * 37) % 0x50) << 24);
    PolygonFS(&B, Tri, Tint);
    PolylineFS(&B, Tri, Edge, true, 1.0f, TJoinStyle::jsRound);
  }
  for (const TFloatPoint& Q : P) Dot(B, Q, 2.0f, 0xFF303840u);
}

}  // namespace

std::vector<std::string> GeometryPage(const std::string& outDir) {
  TBitmap32 B;
  B.SetSize(W, H);
  B.Clear(0xFFEEF1F4u);
  std::mt19937 Rng(20261207);

  // Top left: one noisy line, thinned at three tolerances.
  const TFloatRect R1(16, 16, 472, 322);
  Panel(B, R1, u"VertexReduction at 1, 4 and 12 px");
  TArrayOfFloatPoint Noisy;
  std::normal_distribution<float> Noise(0, 1.6f);
  for (int I = 0; I <= 220; ++I) {
    const TFloat X = 36 + I * 1.9f;
    Noisy.push_back({X, 18 * std::sin(I * 0.07f) + 10 * std::sin(I * 0.023f) + Noise(Rng)});
  }
  const TFloat Eps[3] = {1, 4, 12};
  const TColor32 Colors[3] = {0xFF2A7FD4u, 0xFF2FA060u, 0xFFD8642Au};
  for (int K = 0; K < 3; ++K) {
    const TFloat Y0 = 90 + K * 80.0f;
    TArrayOfFloatPoint Row;
    for (const TFloatPoint& P : Noisy) Row.push_back({P.X, P.Y + Y0});
    PolylineFS(&B, Row, 0x70808890u, false, 1.0f);
    const TArrayOfFloatPoint Reduced = VertexReduction(Row, Eps[K]);
    PolylineFS(&B, Reduced, Colors[K], false, 2.0f, TJoinStyle::jsRound, TEndStyle::esRound);
    for (const TFloatPoint& P : Reduced) Dot(B, P, 2.6f, Colors[K]);
    B.Font()->SetHeight(-11);
    B.Font()->SetColor(static_cast<TColor>(0x00707070));
    B.Textout(36, Integer(Y0) + 28,
              String(u"ε ") + IntToStr(Integer(Eps[K])) + u": " + IntToStr(Integer(Reduced.size())) + u" of " +
                  IntToStr(Integer(Row.size())) + u" points");
  }

  // Top right: 200 scattered points.
  const TFloatRect R2(488, 16, 944, 322);
  Panel(B, R2, u"DelaunayTriangulation of 200 random points");
  std::uniform_real_distribution<float> Ux(R2.Left + 20, R2.Right - 20), Uy(R2.Top + 40, R2.Bottom - 16);
  TArrayOfFloatPoint Scatter(200);
  for (TFloatPoint& P : Scatter) P = {Ux(Rng), Uy(Rng)};
  Triangulation(B, Scatter, 0xFF3A78D8u, 0xC0284C80u);

  // Bottom left: co-circular rings around a centre.
  const TFloatRect R3(16, 338, 320, 644);
  Panel(B, R3, u"Co-circular points");
  TArrayOfFloatPoint Rings{{168, 500}};
  for (int I = 0; I < 32; ++I) Rings.push_back(GetPointAtAngleFromPoint(TFloatPoint{168, 500}, I * kPi / 16, 120));
  for (int I = 0; I < 16; ++I)
    Rings.push_back(GetPointAtAngleFromPoint(TFloatPoint{168, 500}, (I + 0.5f) * kPi / 8, 60));
  Triangulation(B, Rings, 0xFF2FA060u, 0xC0206040u);

  // Bottom middle: random segments with their crossings.
  const TFloatRect R4(336, 338, 640, 644);
  Panel(B, R4, u"SegmentIntersect crossings");
  std::uniform_real_distribution<float> Sx(R4.Left + 16, R4.Right - 16), Sy(R4.Top + 40, R4.Bottom - 16);
  std::vector<std::pair<TFloatPoint, TFloatPoint>> Segs(14);
  for (auto& S : Segs) {
    S.first = {Sx(Rng), Sy(Rng)};
    const TFloat A = std::uniform_real_distribution<float>(0, 2 * kPi)(Rng);
    S.second = GetPointAtAngleFromPoint(S.first, A, 110);
    S.second.X = std::clamp(S.second.X, R4.Left + 8, R4.Right - 8);
    S.second.Y = std::clamp(S.second.Y, R4.Top + 36, R4.Bottom - 8);
    Line(B, S.first, S.second, 0xFF506070u, 1.5f);
  }
  for (size_t I = 0; I < Segs.size(); ++I)
    for (size_t J = I + 1; J < Segs.size(); ++J) {
      TFloatPoint X;
      if (SegmentIntersect(Segs[I].first, Segs[I].second, Segs[J].first, Segs[J].second, X)) {
        Dot(B, X, 4.5f, 0xFFE04040u);
        Dot(B, X, 2.0f, 0xFFFFFFFFu);
      }
    }

  // Bottom right: a grid of dots, red inside the star, grey outside.
  const TFloatRect R5(656, 338, 944, 644);
  Panel(B, R5, u"PointInPolygon over a star");
  const TArrayOfFloatPoint StarShape = Star(TFloatPoint{800, 500}, 50, 128, 7, -kPi / 2);
  PolygonFS(&B, StarShape, 0x18E04040u);
  PolylineFS(&B, StarShape, 0xFFB03030u, true, 1.5f);
  for (TFloat Y = R5.Top + 44; Y < R5.Bottom - 8; Y += 9)
    for (TFloat X = R5.Left + 12; X < R5.Right - 8; X += 9) {
      const bool In = PointInPolygon(TFloatPoint{X, Y}, StarShape);
      Dot(B, {X, Y}, In ? 2.6f : 1.6f, In ? 0xFFD83030u : 0xFFA8B0B8u);
    }

  B.ResetAlpha();
  vcl::TScreenImage Img;
  Img.Width = B.Width();
  Img.Height = B.Height();
  Img.Pixels.assign(B.Bits(), B.Bits() + size_t(B.Width()) * B.Height());
  const std::string Path = outDir + "/geometry.png";
  vcl::SavePng(Img, Path);
  return {Path};
}

}  // namespace gallery
