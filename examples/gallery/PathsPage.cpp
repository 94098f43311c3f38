// Gallery page "paths": icons of cubic and quadratic curves drawn by the
// path canvas with fill, stroke, dashed, grow and nested brushes; one path
// through the three renderers chosen by name; a wrapped, justified
// paragraph of glyph outlines.
#include <cmath>
#include <string>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_qn.h"
#include "graphics/vector/Pix32_Brushes_qn.h"
#include "graphics/vector/Pix32_Paths_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer W = 960, H = 880;

void Label(TBitmap32& B, Integer X, Integer Y, const String& Text) {
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetHeight(-13);
  B.Font()->SetColor(static_cast<TColor>(0x00504840));
  B.Textout(X, Y, Text);
}

// A heart of two cubics, scaled into a box at (X, Y) of size S.
void Heart(TFlattenedPath* P, TFloat X, TFloat Y, TFloat S) {
  auto Pt = [&](TFloat U, TFloat V) { return FloatPoint(X + U * S, Y + V * S); };
  P->BeginPath();
  P->MoveTo(Pt(0.5f, 0.25f));
  P->CurveTo(Pt(0.5f, 0.0f), Pt(0.0f, 0.0f), Pt(0.05f, 0.35f));
  P->CurveTo(Pt(0.1f, 0.6f), Pt(0.5f, 0.95f));
  P->CurveTo(Pt(0.9f, 0.6f), Pt(0.95f, 0.35f));
  P->CurveTo(Pt(1.0f, 0.0f), Pt(0.5f, 0.0f), Pt(0.5f, 0.25f));
  P->ClosePath();
  P->EndPath();
}

// A leaf of quadratic curves with a smooth continuation and a vein cut out.
void Leaf(TFlattenedPath* P, TFloat X, TFloat Y, TFloat S) {
  auto Pt = [&](TFloat U, TFloat V) { return FloatPoint(X + U * S, Y + V * S); };
  P->BeginPath();
  P->MoveTo(Pt(0.1f, 0.9f));
  P->ConicTo(Pt(0.05f, 0.2f), Pt(0.55f, 0.1f));
  P->ConicTo(Pt(0.95f, 0.05f));
  P->ConicTo(Pt(0.85f, 0.55f), Pt(0.45f, 0.75f));
  P->ConicTo(Pt(0.1f, 0.9f));
  P->ClosePath();
  P->MoveTo(Pt(0.2f, 0.8f));
  P->ConicTo(Pt(0.5f, 0.45f), Pt(0.85f, 0.15f));
  P->ConicTo(Pt(0.5f, 0.5f), Pt(0.2f, 0.8f));
  P->ClosePath();
  P->EndPath();
}

// A gear-like badge: a rounded outline of cubics with a round hole.
void Badge(TFlattenedPath* P, TFloat X, TFloat Y, TFloat S) {
  const TFloat Cx = X + S / 2, Cy = Y + S / 2;
  P->BeginPath();
  const int N = 8;
  for (int I = 0; I <= N; ++I) {
    const TFloat A = I * 2 * 3.14159265f / N, R = S * 0.46f, Rin = S * 0.34f;
    const TFloatPoint Tip = FloatPoint(Cx + R * std::cos(A), Cy + R * std::sin(A));
    if (I == 0) {
      P->MoveTo(Tip);
      continue;
    }
    const TFloat Am = A - 3.14159265f / N;
    P->CurveTo(FloatPoint(Cx + Rin * std::cos(Am - 0.2f), Cy + Rin * std::sin(Am - 0.2f)),
               FloatPoint(Cx + Rin * std::cos(Am + 0.2f), Cy + Rin * std::sin(Am + 0.2f)), Tip);
  }
  P->ClosePath();
  // The hole, drawn the other way round.
  const TFloat Rh = S * 0.14f, K = 0.5523f * Rh;
  P->MoveTo(Cx + Rh, Cy);
  P->CurveTo(Cx + Rh, Cy - K, Cx + K, Cy - Rh, Cx, Cy - Rh);
  P->CurveTo(Cx - K, Cy - Rh, Cx - Rh, Cy - K, Cx - Rh, Cy);
  P->CurveTo(Cx - Rh, Cy + K, Cx - K, Cy + Rh, Cx, Cy + Rh);
  P->CurveTo(Cx + K, Cy + Rh, Cx + Rh, Cy + K, Cx + Rh, Cy);
  P->ClosePath();
  P->EndPath();
}

using TIcon = void (*)(TFlattenedPath*, TFloat, TFloat, TFloat);

void SaveBitmap(TBitmap32& B, const std::string& Path) {
  B.ResetAlpha();
  vcl::TScreenImage Img;
  Img.Width = B.Width();
  Img.Height = B.Height();
  Img.Pixels.assign(B.Bits(), B.Bits() + size_t(B.Width()) * B.Height());
  vcl::SavePng(Img, Path);
}

}  // namespace

std::vector<std::string> PathsPage(const std::string& outDir) {
  TBitmap32 B;
  B.SetSize(W, H);
  B.Clear(0xFFEEF1F4u);
  const TIcon Icons[3] = {Heart, Leaf, Badge};

  // Row 1: each brush kind on the three icons.
  const char16_t* Kinds[5] = {u"fill", u"fill + stroke", u"dashed", u"grow (nested)", u"nested pair"};
  for (int K = 0; K < 5; ++K) {
    const Integer X0 = 16 + K * 188;
    Label(B, X0, 10, Kinds[K]);
    TCanvas32 C(&B);
    switch (K) {
      case 0: {
        auto* F = static_cast<TSolidBrush*>(C.Brushes()->Add(TSolidBrush::StaticClass()));
        F->SetFillColor(0xFFD0483Cu);
        break;
      }
      case 1: {
        auto* F = static_cast<TSolidBrush*>(C.Brushes()->Add(TSolidBrush::StaticClass()));
        F->SetFillColor(0xFF7FB8E0u);
        auto* S = static_cast<TStrokeBrush*>(C.Brushes()->Add(TStrokeBrush::StaticClass()));
        S->SetFillColor(0xFF1F3A5Au);
        S->SetStrokeWidth(3);
        S->SetJoinStyle(TJoinStyle::jsRound);
        S->SetFillMode(TPolyFillMode::pfNonZero);
        break;
      }
      case 2: {
        auto* D = static_cast<TDashedBrush*>(C.Brushes()->Add(TDashedBrush::StaticClass()));
        D->SetFillColor(0xFF2E7D4Fu);
        D->SetStrokeWidth(2.5f);
        D->SetEndStyle(TEndStyle::esRound);
        D->SetFillMode(TPolyFillMode::pfNonZero);
        D->SetDashArray({9, 5, 2, 5});
        break;
      }
      case 3: {
        // A soft halo grown around the shape, then the shape itself.
        auto* G = static_cast<TGrowBrush*>(C.Brushes()->Add(TGrowBrush::StaticClass()));
        G->SetGrowAmount(6);
        G->SetJoinStyle(TJoinStyle::jsRound);
        auto* Halo = static_cast<TSolidBrush*>(G->Brushes()->Add(TSolidBrush::StaticClass()));
        Halo->SetFillColor(0x60E0A020u);
        Halo->SetFillMode(TPolyFillMode::pfNonZero);
        auto* F = static_cast<TSolidBrush*>(C.Brushes()->Add(TSolidBrush::StaticClass()));
        F->SetFillColor(0xFFB86E10u);
        break;
      }
      case 4: {
        // A nested brush holding a fill and a dark outline.
        auto* N = static_cast<TNestedBrush*>(C.Brushes()->Add(TNestedBrush::StaticClass()));
        auto* F = static_cast<TSolidBrush*>(N->Brushes()->Add(TSolidBrush::StaticClass()));
        F->SetFillColor(0xFF8A5CC0u);
        auto* S = static_cast<TStrokeBrush*>(N->Brushes()->Add(TStrokeBrush::StaticClass()));
        S->SetFillColor(0xFF3C1F66u);
        S->SetStrokeWidth(2.5f);
        S->SetFillMode(TPolyFillMode::pfNonZero);
        break;
      }
    }
    for (int I = 0; I < 3; ++I) Icons[I](C.Path(), TFloat(X0 + 10), TFloat(36 + I * 140), 120);
  }

  // Row 2: one path through the three renderers, chosen by name, magnified.
  const char16_t* Names[3] = {u"TPolygonRenderer32VPR", u"TPolygonRenderer32LCD", u"TPolygonRenderer32LCD2"};
  for (int K = 0; K < 3; ++K) {
    const Integer X0 = 16 + K * 312, Y0 = 482;
    Label(B, X0, Y0 - 22, String(Names[K]) + u" (6x)");
    TBitmap32 Small;
    Small.SetSize(48, 40);
    Small.Clear(0xFFFFFFFFu);
    TCanvas32 C(&Small);
    C.SetRendererClassName(Names[K]);
    auto* F = static_cast<TSolidBrush*>(C.Brushes()->Add(TSolidBrush::StaticClass()));
    F->SetFillColor(0xFF202020u);
    F->SetFillMode(TPolyFillMode::pfNonZero);
    Leaf(C.Path(), 2, 2, 34);
    Heart(C.Path(), 30, 20, 16);
    for (Integer Y = 0; Y < Small.Height(); ++Y)
      for (Integer X = 0; X < Small.Width(); ++X)
        for (Integer Dy = 0; Dy < 6; ++Dy)
          for (Integer Dx = 0; Dx < 6; ++Dx) B.ScanLine(Y0 + Y * 6 + Dy)[X0 + X * 6 + Dx] = Small.ScanLine(Y)[X];
  }

  // Row 3: a justified paragraph of glyph outlines.
  Label(B, 16, 740, u"RenderText: word break, justified, DejaVu Sans 15 px");
  const String Para =
      u"Glyph outlines come from the font engine as lines and quadratic splines, are flattened into the "
      u"path and filled by the canvas's brushes, so text takes every fill, stroke and renderer the shapes "
      u"above use. This paragraph wraps at word boundaries and spreads each full line to the right edge; "
      u"the last line keeps its natural spacing.";
  {
    TCanvas32 C(&B);
    B.Font()->SetName(u"DejaVu Sans");
    B.Font()->SetHeight(-15);
    auto* F = static_cast<TSolidBrush*>(C.Brushes()->Add(TSolidBrush::StaticClass()));
    F->SetFillColor(0xFF28303Cu);
    F->SetFillMode(TPolyFillMode::pfNonZero);
    const TFloatRect Box = FloatRect(16, 764, 624, 860);
    PolylineFS(&B, Rectangle(FloatRect(Box.Left - 4.5f, Box.Top - 4.5f, Box.Right + 4.5f, Box.Bottom + 4.5f)),
               0xFFB0B8C4u, true, 1.0f);
    C.RenderText(Box, Para, 0x10 | 3);
  }
  const std::string Path = outDir + "/paths.png";
  SaveBitmap(B, Path);
  return {Path};
}

}  // namespace gallery
