#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "graphics/raster/Pix32_Backends_Generic_qn.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/vector/Pix32_Brushes_qn.h"
#include "graphics/vector/Pix32_Paths_qn.h"
#include "graphics/vector/Pix32_Text_VCL_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/User.h"
#include "platform/vcl/Graphics.h"

namespace t_pix32_paths_test {

using namespace qn;

namespace {

// A renderer that records what it is asked to fill.
class TRecordingRenderer : public TPolygonRenderer32 {
 public:
  using TPolygonRenderer32::PolyPolygonFS;
  std::vector<TArrayOfArrayOfFloatPoint> Calls;
  std::vector<TColor32> Colors;
  void PolyPolygonFS(const TArrayOfArrayOfFloatPoint& Points, const TFloatRect&) override {
    Calls.push_back(Points);
    Colors.push_back(FColor);
  }
};

struct TCounter {
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};

Integer Drawn(TCustomBitmap32& B, TColor32 Ground) {
  Integer N = 0;
  for (Integer I = 0; I < B.Width() * B.Height(); ++I) N += B.ScanLine(0)[I] != Ground;
  return N;
}

TArrayOfFloatPoint Square(float L, float T, float S) { return {{L, T}, {L + S, T}, {L + S, T + S}, {L, T + S}}; }

}  // namespace

// ---------------------------------------------------------------------------
// Brushes

TEST(Pix32_Brushes_qn, CollectionOrderIndexAndReports) {
  TBrushCollection Brushes(nullptr);
  TCounter Reports;
  Brushes.SetOnChange(MakeEvent(&Reports, &TCounter::Changed));
  auto* A = static_cast<TStrokeBrush*>(Brushes.Add(TStrokeBrush::StaticClass()));
  auto* B = Brushes.Add(TSolidBrush::StaticClass());
  auto* C = Brushes.Insert(1, TGrowBrush::StaticClass());
  // Adding, inserting and moving are not reported.
  EXPECT_EQ(Reports.Count, 0);
  ASSERT_EQ(Brushes.Count(), 3);
  EXPECT_EQ(Brushes.GetItem(0), A);
  EXPECT_EQ(Brushes.GetItem(1), C);
  EXPECT_EQ(Brushes.GetItem(2), B);
  EXPECT_EQ(C->BrushCollection(), &Brushes);

  // A new stroke brush: width 1, miter joins at limit 4, butt ends, opaque
  // black, even-odd.
  EXPECT_EQ(A->StrokeWidth(), 1.0f);
  EXPECT_EQ(A->JoinStyle(), TJoinStyle::jsMiter);
  EXPECT_EQ(A->MiterLimit(), 4.0f);
  EXPECT_EQ(A->EndStyle(), TEndStyle::esButt);
  EXPECT_EQ(A->FillColor(), 0xFF000000u);
  EXPECT_EQ(A->FillMode(), TPolyFillMode::pfEvenOdd);

  B->SetIndex(-5);
  EXPECT_EQ(B->Index(), 0);
  B->SetIndex(99);
  EXPECT_EQ(B->Index(), 2);
  EXPECT_EQ(Reports.Count, 0);

  A->SetStrokeWidth(1.0f);
  EXPECT_EQ(Reports.Count, 0) << "an unchanged value reports nothing";
  A->SetStrokeWidth(2.5f);
  EXPECT_EQ(Reports.Count, 1);
  A->SetVisible(false);
  EXPECT_EQ(Reports.Count, 2);

  // A freed brush leaves its collection, which stays consistent.
  delete C;
  ASSERT_EQ(Brushes.Count(), 2);
  EXPECT_EQ(A->Index(), 0);
  EXPECT_EQ(B->Index(), 1);
  Brushes.Delete(0);
  ASSERT_EQ(Brushes.Count(), 1);
  EXPECT_EQ(B->Index(), 0);
  EXPECT_THROW(Brushes.GetItem(3), EListError);
  EXPECT_THROW(Brushes.SetItem(0, B), EConvertError);
  TSolidBrush Loose;
  EXPECT_EQ(Loose.Index(), -1);
  Loose.SetIndex(3);  // no collection: nothing
  EXPECT_EQ(Loose.Index(), -1);
}

TEST(Pix32_Brushes_qn, BrushesDrawTheirOutlines) {
  TRecordingRenderer R;
  const TFloatRect Clip{0, 0, 100, 100};
  const TArrayOfArrayOfFloatPoint Path{Square(10, 10, 20)};

  // A solid brush needs a renderer of 32-bit pixels.
  TSolidBrush Solid;
  TCustomPolygonRenderer Plain;
  EXPECT_THROW(Solid.PolyPolygonFS(&Plain, Path, Clip, nullptr, true), EInvalidCast);

  Solid.SetFillColor(0xFF112233u);
  Solid.PolyPolygonFS(&R, Path, Clip, nullptr, true);
  ASSERT_EQ(R.Calls.size(), 1u);
  EXPECT_EQ(R.Calls[0], Path);
  EXPECT_EQ(R.Colors[0], 0xFF112233u);

  // Stroke: the outline of the stroke, as the line builder makes it.
  R.Calls.clear();
  TStrokeBrush Stroke;
  Stroke.SetStrokeWidth(3);
  Stroke.PolyPolygonFS(&R, Path, Clip, nullptr, true);
  ASSERT_EQ(R.Calls.size(), 1u);
  EXPECT_EQ(R.Calls[0], BuildPolyPolyLine(Path, true, 3.0f, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f));

  // Grow 0 hands the nested brushes the same closed outlines; the nested
  // brush draws its visible brushes, not a fill of its own.
  R.Calls.clear();
  R.Colors.clear();
  TGrowBrush Grow;
  auto* Inner = static_cast<TSolidBrush*>(Grow.Brushes()->Add(TSolidBrush::StaticClass()));
  auto* Hidden = Grow.Brushes()->Add(TSolidBrush::StaticClass());
  Hidden->SetVisible(false);
  Inner->SetFillColor(0xFF00FF00u);
  Grow.PolyPolygonFS(&R, Path, Clip, nullptr, true);
  ASSERT_EQ(R.Calls.size(), 1u);
  ASSERT_EQ(R.Calls[0].size(), 1u);
  EXPECT_EQ(R.Colors[0], 0xFF00FF00u);
  for (const TFloatPoint& P : Path[0]) {
    bool Found = false;
    for (const TFloatPoint& Q : R.Calls[0][0]) Found |= std::fabs(P.X - Q.X) < 1e-3f && std::fabs(P.Y - Q.Y) < 1e-3f;
    EXPECT_TRUE(Found) << P.X << "," << P.Y;
  }

  // A default dashed brush has no pattern: the line is drawn whole, once
  // per outline, and nothing hangs.
  R.Calls.clear();
  TDashedBrush Dashed;
  Dashed.PolyPolygonFS(&R, {Square(0, 0, 10), Square(20, 20, 10)}, Clip, nullptr, true);
  ASSERT_EQ(R.Calls.size(), 2u);
  EXPECT_EQ(R.Calls[0], BuildPolyPolyLine(BuildDashedLine(Square(0, 0, 10), {}, 0, true), false, 1.0f));
  // A dash pattern cuts it.
  R.Calls.clear();
  Dashed.SetDashArray({2, 2});
  Dashed.PolyPolygonFS(&R, {Square(0, 0, 10)}, Clip, nullptr, true);
  ASSERT_EQ(R.Calls.size(), 1u);
  EXPECT_EQ(R.Calls[0].size(), 10u);
}

// ---------------------------------------------------------------------------
// Paths

TEST(Pix32_Paths_qn, PenMovesAndOutlines) {
  TFlattenedPath P;
  P.MoveTo(10, 10);
  P.LineTo(20, 10);
  P.LineTo(20, 20);
  P.ClosePath();
  ASSERT_EQ(P.Path().size(), 1u);
  EXPECT_EQ(P.Path()[0].size(), 3u);
  EXPECT_EQ(P.CurrentPoint(), FloatPoint(10, 10));
  EXPECT_TRUE(P.Points().empty());

  // A second move closes a one-point outline; relative commands after a
  // move start from the move point.
  P.BeginPath();
  P.MoveTo(1, 1);
  P.MoveTo(5, 5);
  ASSERT_EQ(P.Path().size(), 1u);
  EXPECT_EQ(P.Path()[0], TArrayOfFloatPoint{FloatPoint(1, 1)});
  P.LineToRelative(2, 3);
  EXPECT_EQ(P.Points(), (TArrayOfFloatPoint{{5, 5}, {7, 8}}));
  P.HorizontalLineToRelative(-1);
  P.VerticalLineTo(0);
  EXPECT_EQ(P.Points().back(), FloatPoint(6, 0));

  // A straight cubic adds exactly its start (already there) and its end.
  P.BeginPath();
  P.MoveTo(0, 0);
  P.CurveTo(FloatPoint(10, 0), FloatPoint(20, 0), FloatPoint(30, 0));
  EXPECT_EQ(P.Points().size(), 3u);

  // The smooth cubic after a quadratic takes the current point as its
  // first control, not the quadratic's reflected control.
  TFlattenedPath A, B;
  for (TFlattenedPath* Q : {&A, &B}) {
    Q->MoveTo(0, 0);
    Q->ConicTo(FloatPoint(50, 80), FloatPoint(100, 0));
  }
  A.CurveTo(FloatPoint(150, 60), FloatPoint(200, 0));
  B.CurveTo(FloatPoint(100, 0), FloatPoint(150, 60), FloatPoint(200, 0));
  EXPECT_EQ(A.Points(), B.Points());
  EXPECT_EQ(A.ControlPointOrigin(), TControlPointOrigin::cpCubic);
  // ...and after a cubic, the reflection.
  A.CurveTo(FloatPoint(300, 0), FloatPoint(300, 50));
  B.CurveTo(FloatPoint(250, -60), FloatPoint(300, 0), FloatPoint(300, 50));
  EXPECT_EQ(A.Points(), B.Points());

  // An empty polygon adds nothing and fires nothing.
  TCounter Ends;
  A.SetOnEndPath(MakeEvent(&Ends, &TCounter::Changed));
  A.Polygon({});
  EXPECT_EQ(Ends.Count, 0);
  EXPECT_FALSE(A.Points().empty());
}

TEST(Pix32_Paths_qn, FlatteningIsCloseAndBounded) {
  // A quarter circle as a cubic: every flattened point within 0.3 px of
  // the circle (the cubic itself strays about 0.027 % of the radius).
  const float R = 200, K = 0.5522847f * R;
  TFlattenedPath P;
  P.MoveTo(R, 0);
  P.CurveTo(FloatPoint(R, K), FloatPoint(K, R), FloatPoint(0, R));
  const TArrayOfFloatPoint Pts = P.Points();
  ASSERT_GT(Pts.size(), 8u);
  for (const TFloatPoint& Q : Pts) EXPECT_NEAR(std::hypot(Q.X, Q.Y), R, 0.3) << Q.X << "," << Q.Y;
  // The chords too: each midpoint stays within 0.3 px.
  for (size_t I = 1; I < Pts.size(); ++I)
    EXPECT_NEAR(std::hypot((Pts[I].X + Pts[I - 1].X) / 2, (Pts[I].Y + Pts[I - 1].Y) / 2), R, 0.3);

  // Controls that are not numbers, infinite or enormous end with a bounded
  // number of points.
  const float Nan = std::numeric_limits<float>::quiet_NaN(), Inf = std::numeric_limits<float>::infinity();
  for (float Bad : {Nan, Inf, 1e15f}) {
    TFlattenedPath Q;
    Q.MoveTo(0, 0);
    Q.CurveTo(FloatPoint(Bad, 0), FloatPoint(10, Bad), FloatPoint(20, 20));
    Q.ConicTo(FloatPoint(Bad, Bad), FloatPoint(30, 30));
    EXPECT_LE(Q.Points().size(), size_t(2 * 65536 + 8)) << Bad;
    EXPECT_EQ(Q.Points().back(), FloatPoint(30, 30));
  }
}

TEST(Pix32_Paths_qn, CanvasDrawsWithItsBrushes) {
  TBitmap32 B;
  B.SetSize(60, 60);
  B.Clear(0xFFFFFFFFu);
  TCanvas32 Canvas(&B);
  // No brushes: nothing drawn.
  Canvas.Path()->Rectangle(FloatRect(10, 10, 50, 50));
  EXPECT_EQ(Drawn(B, 0xFFFFFFFFu), 0);

  auto* Fill = static_cast<TSolidBrush*>(Canvas.Brushes()->Add(TSolidBrush::StaticClass()));
  Fill->SetFillColor(0xFFFF0000u);
  Fill->SetVisible(false);
  Canvas.Path()->Rectangle(FloatRect(10, 10, 50, 50));
  EXPECT_EQ(Drawn(B, 0xFFFFFFFFu), 0) << "invisible brushes draw nothing";

  // A shape draws at once and leaves no outline for the next path.
  Fill->SetVisible(true);
  Canvas.Path()->Rectangle(FloatRect(10, 10, 20, 20));
  EXPECT_EQ(B.ScanLine(15)[15], 0xFFFF0000u);
  EXPECT_TRUE(Canvas.Path()->Path().empty() || Canvas.Path()->Path().size() == 1u);
  Canvas.Path()->Circle(40, 40, 5);
  EXPECT_EQ(B.ScanLine(40)[40], 0xFFFF0000u);
  EXPECT_EQ(Canvas.Path()->Path().size(), 1u) << "the rectangle's outline is gone";

  // An open path is stroked as an open line after the closed outlines.
  auto* Stroke = static_cast<TStrokeBrush*>(Canvas.Brushes()->Add(TStrokeBrush::StaticClass()));
  Stroke->SetFillColor(0xFF0000FFu);
  Stroke->SetStrokeWidth(2);
  Canvas.Path()->BeginPath();
  Canvas.Path()->MoveTo(5, 55);
  Canvas.Path()->LineTo(55, 55);
  Canvas.Path()->EndPath();
  EXPECT_EQ(B.ScanLine(55)[30], 0xFF0000FFu);
  EXPECT_EQ(B.ScanLine(30)[5], 0xFFFFFFFFu) << "the open line is not closed";

  // Renderers by exact name; an unknown name is ignored.
  EXPECT_EQ(Canvas.RendererClassName(), u"TPolygonRenderer32VPR");
  Canvas.SetRendererClassName(u"TPolygonRenderer32LCD2");
  EXPECT_EQ(Canvas.RendererClassName(), u"TPolygonRenderer32LCD2");
  Canvas.SetRendererClassName(u"tpolygonrenderer32lcd");
  Canvas.SetRendererClassName(u"NoSuchRenderer");
  EXPECT_EQ(Canvas.RendererClassName(), u"TPolygonRenderer32LCD2");
  Canvas.Path()->Rectangle(FloatRect(30, 5, 40, 9));
  EXPECT_NE(B.ScanLine(7)[35], 0xFFFFFFFFu);

  // Canvases do not assign to each other; nothing is drawn on the target.
  TBitmap32 Other;
  Other.SetSize(10, 10);
  Other.Clear(0xFFFFFFFFu);
  TCanvas32 Target(&Other);
  Target.Brushes()->Add(TSolidBrush::StaticClass());
  EXPECT_THROW(Target.Assign(&Canvas), EConvertError);
  EXPECT_EQ(Drawn(Other, 0xFFFFFFFFu), 0);
}

TEST(Pix32_Paths_qn, TextNeedsABackendWithOutlines) {
  TCustomBitmap32 B(TMemoryBackend::StaticClass());
  B.SetSize(20, 20);
  TCanvas32 Canvas(&B);
  try {
    Canvas.RenderText(0, 0, u"A");
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), u"Inpropriate Backend");
  }
  EXPECT_THROW(Canvas.MeasureText(FloatRect(0, 0, 10, 10), u"A", 0), Exception);
}

// ---------------------------------------------------------------------------
// Text layout with a box font: every glyph a box of advance 10 (space 5),
// 12 high above the baseline; 20 between lines, ascent 16.

namespace {

class TBoxFont : public TGlyphSource {
 public:
  Integer Advance = 10, Space = 5, Wide = 0;  // Wide: advance of 'W'
  std::vector<UINT> Asked;
  bool TextMetrics(TEXTMETRICW& Tm) override {
    Tm = TEXTMETRICW{};
    Tm.tmHeight = 20;
    Tm.tmAscent = 16;
    return true;
  }
  DWORD GlyphOutline(UINT Ch, UINT Format, GLYPHMETRICS* Gm, DWORD Size, void* Buffer, const MAT2* M) override {
    const double Sx = FixedToDouble(M->eM11);
    const Integer W = Ch == u' ' ? Space : (Ch == u'W' && Wide ? Wide : Advance);
    *Gm = GLYPHMETRICS{};
    Gm->gmCellIncX = short(std::lround(W * Sx));
    if ((Format & 0xFF) == GGO_METRICS || Ch == u' ') return Ch == u' ' ? 0 : 1;
    if (Buffer) Asked.push_back(Ch);
    // One polygon: start (1, 0) and a line record of three points, in the
    // matrix's units (x stretched, y mirrored).
    std::vector<Byte> Rec(16 + 4 + 3 * 8);
    auto Put = [&](size_t At, double X, double Y) {
      POINTFX P{FixedFromDouble(X * Sx), FixedFromDouble(-Y)};
      std::memcpy(&Rec[At], &P, sizeof P);
    };
    const DWORD Cb = DWORD(Rec.size()), Type = TT_POLYGON_TYPE;
    std::memcpy(&Rec[0], &Cb, 4);
    std::memcpy(&Rec[4], &Type, 4);
    Put(8, 1, 0);
    const WORD Kind = TT_PRIM_LINE, Count = 3;
    std::memcpy(&Rec[16], &Kind, 2);
    std::memcpy(&Rec[18], &Count, 2);
    Put(20, W - 1, 0);
    Put(28, W - 1, 12);
    Put(36, 1, 12);
    if (!Buffer || Size == 0) return Cb;
    if (Size < Cb) return GDI_ERROR;
    std::memcpy(Buffer, Rec.data(), Cb);
    return Cb;
  }
};

// The left edges and baselines of the laid-out boxes, in order.
std::vector<std::pair<float, float>> Boxes(const TFlattenedPath& P) {
  std::vector<std::pair<float, float>> R;
  for (const auto& O : P.Path()) R.push_back({O[0].X - 1, O[0].Y});
  return R;
}

using TBoxes = std::vector<std::pair<float, float>>;

}  // namespace

TEST(Pix32_Text_VCL_qn, LayoutWithABoxFont) {
  TBoxFont F;
  TFlattenedPath P;
  auto Lay = [&](const String& Text, TFloatRect R, Cardinal Flags) {
    LayoutText(F, &P, R, Text, Flags);
    return R;
  };
  // Two words that do not fit together: the second wraps and its space is
  // dropped; the second baseline is tmHeight lower.
  Lay(u"A B", FloatRect(0, 0, 22, 100), 0x10);
  EXPECT_EQ(Boxes(P), (TBoxes{{0, 16}, {0, 36}}));
  // Wide enough: one line, the space taken.
  Lay(u"A B", FloatRect(0, 0, 30, 100), 0x10);
  EXPECT_EQ(Boxes(P), (TBoxes{{0, 16}, {15, 16}}));

  // A line feed starts a line; a carriage return is ignored.
  Lay(u"A\r\nB", FloatRect(5, 0, 100, 100), 0);
  EXPECT_EQ(Boxes(P), (TBoxes{{5, 16}, {5, 36}}));
  // Single line: the line feed is a space, and alignment has no effect.
  Lay(u"A\nB", FloatRect(0, 0, 100, 100), 0x20 | 2);
  EXPECT_EQ(Boxes(P), (TBoxes{{0, 16}, {15, 16}}));
  // Left = Right never wraps.
  Lay(u"AAAA AAAA AAAA", FloatRect(0, 0, 0, 100), 0x10);
  EXPECT_EQ(Boxes(P).back(), std::make_pair(120.0f, 16.0f));

  // Centre and right: the line moves by the rounded free space less one.
  Lay(u"AB", FloatRect(0, 0, 51, 100), 1);
  EXPECT_EQ(Boxes(P), (TBoxes{{15, 16}, {25, 16}}));
  Lay(u"AB", FloatRect(0, 0, 51, 100), 2);
  EXPECT_EQ(Boxes(P), (TBoxes{{30, 16}, {40, 16}}));
  // Justified: the wrapped first line spreads its words to the edge, the
  // last line stays as it is.
  Lay(u"A A A AAAA", FloatRect(0, 0, 61, 100), 0x10 | 3);
  const TBoxes J = Boxes(P);
  ASSERT_EQ(J.size(), 7u);
  // First line "A A A" is 40 wide; 61 - 40 - 1 = 20 over 2 spaces.
  EXPECT_EQ(J[0], std::make_pair(0.0f, 16.0f));
  EXPECT_EQ(J[1], std::make_pair(25.0f, 16.0f));
  EXPECT_EQ(J[2], std::make_pair(50.0f, 16.0f));
  EXPECT_EQ(J[3], std::make_pair(0.0f, 36.0f));

  // Vertical centre (4 together with 8 centres too) and bottom.
  Lay(u"A", FloatRect(0, 0, 100, 100), 4 | 8);
  EXPECT_EQ(Boxes(P), (TBoxes{{0, 16 + 40}}));  // (100 - 20) / 2
  Lay(u"A", FloatRect(0, 0, 100, 100), 8);
  EXPECT_EQ(Boxes(P), (TBoxes{{0, 16 + 80}}));

  // A glyph wider than the line ends the layout; what came before stays.
  F.Wide = 80;
  Lay(u"AWA", FloatRect(0, 0, 50, 100), 0x10);
  EXPECT_EQ(Boxes(P), (TBoxes{{0, 16}}));
  F.Wide = 0;

  // Measuring: the laid-out bounds, and no outline fetched.
  F.Asked.clear();
  TFloatRect M = FloatRect(3.4f, 2.0f, 200, 200);
  LayoutText(F, nullptr, M, u"AB A", 0);
  EXPECT_TRUE(F.Asked.empty());
  EXPECT_FLOAT_EQ(M.Right, 3.4f + 35);
  EXPECT_FLOAT_EQ(M.Bottom, 2 + 20);
}

TEST(Pix32_Text_VCL_qn, HintingStretchesAndRestores) {
  TBoxFont F;
  TFlattenedPath P;
  SetHinting(TTextHinting::thNoHorz);
  EXPECT_EQ(GetHinting(), TTextHinting::thNoHorz);
  TFloatRect R = FloatRect(2, 0, 100, 100);
  LayoutText(F, &P, R, u"AB", 0);
  SetHinting(TTextHinting::thNone);
  EXPECT_EQ(GetHinting(), TTextHinting::thNone);
  // Requested 16 times wider, divided by 16 at the end.
  EXPECT_EQ(Boxes(P), (TBoxes{{2, 16}, {12, 16}}));
  EXPECT_FLOAT_EQ(P.Path()[0][1].X, 2 + 9.0f);
  SetHinting(TTextHinting::thHinting);
  EXPECT_EQ(GetHinting(), TTextHinting::thHinting);
  SetHinting(TTextHinting::thNone);
}

namespace {
// A source whose outline records lie about their sizes.
class TBadRecords : public TBoxFont {
 public:
  int Mode = 0;
  DWORD GlyphOutline(UINT Ch, UINT Format, GLYPHMETRICS* Gm, DWORD Size, void* Buffer, const MAT2* M) override {
    if ((Format & 0xFF) == GGO_METRICS) return TBoxFont::GlyphOutline(Ch, Format, Gm, Size, Buffer, M);
    std::vector<Byte> Good(44);
    TBoxFont::GlyphOutline(Ch, Format, Gm, 44, Good.data(), M);
    DWORD Cb, N = 44;
    switch (Mode) {
      case 0: Cb = 4000; std::memcpy(&Good[0], &Cb, 4); break;            // polygon longer than the data
      case 1: { WORD C = 900; std::memcpy(&Good[18], &C, 2); } break;    // curve count past the polygon
      case 2: N = 30; break;                                              // truncated buffer
      case 3: *Gm = GLYPHMETRICS{}; Gm->gmCellIncX = 999; return GDI_ERROR;  // failure with garbage
    }
    if (!Buffer || Size == 0) return N;
    std::memcpy(Buffer, Good.data(), std::min<DWORD>(N, Size));
    return N;
  }
};
}  // namespace

TEST(Pix32_Text_VCL_qn, BadRecordsAreSkipped) {
  for (int Mode = 0; Mode < 4; ++Mode) {
    TBadRecords F;
    F.Mode = Mode;
    TFlattenedPath P;
    GLYPHMETRICS Gm;
    AddGlyphOutline(F, &P, u'A', 0, 1000, 0, Gm);
    for (const auto& O : P.Path())
      for (const TFloatPoint& Q : O) EXPECT_TRUE(std::fabs(Q.X) < 20 && std::fabs(Q.Y) < 20) << Mode;
    if (Mode == 3) {
      EXPECT_EQ(Gm.gmCellIncX, 0) << "a failed request has no advance";
    }
  }
}

TEST(Pix32_Text_VCL_qn, DejaVuOutlinesAndCanvasText) {
  TFont Font;
  Font.SetName(u"DejaVu Sans");
  Font.SetSize(30);
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Font.Handle());
  TEXTMETRICW Tm{};
  GetTextMetricsW(DC, &Tm);
  TDCGlyphSource Source(DC);
  TFlattenedPath P;
  TFloatRect R = FloatRect(0, 0, 0, 0);
  LayoutText(Source, &P, R, u"Ag", 0);
  GLYPHMETRICS A{}, G{};
  const MAT2 Id{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  GetGlyphOutlineW(DC, u'A', GGO_METRICS, &A, 0, nullptr, &Id);
  GetGlyphOutlineW(DC, u'g', GGO_METRICS, &G, 0, nullptr, &Id);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  // Closed contours (A: 2, g: 2), all above the descent line and within the
  // advance of both glyphs.
  ASSERT_GE(P.Path().size(), 3u);
  for (const auto& O : P.Path()) {
    ASSERT_GE(O.size(), 3u);
    for (const TFloatPoint& Q : O) {
      EXPECT_GE(Q.Y, 0.0f);
      EXPECT_LE(Q.Y, float(Tm.tmHeight));
      EXPECT_GE(Q.X, -2.0f);
      EXPECT_LE(Q.X, float(A.gmCellIncX + G.gmCellIncX) + 2);
    }
  }
  EXPECT_NEAR(R.Right, A.gmCellIncX + G.gmCellIncX, 0.01);

  // Through the canvas and the bitmap's backend.
  TBitmap32 B;
  B.SetSize(80, 50);
  B.Clear(0xFFFFFFFFu);
  B.Font()->SetName(u"DejaVu Sans");
  B.Font()->SetSize(20);
  TCanvas32 Canvas(&B);
  Canvas.Brushes()->Add(TSolidBrush::StaticClass());
  const TFloatRect M = Canvas.MeasureText(FloatRect(0, 0, 80, 50), u"Ag", 0);
  EXPECT_GT(M.Right, 20);
  EXPECT_LT(M.Right, 60);
  Canvas.RenderText(FloatRect(0, 0, 80, 50), u"Ag", 0);
  EXPECT_GT(Drawn(B, 0xFFFFFFFFu), 100);
}

}  // namespace t_pix32_paths_test
