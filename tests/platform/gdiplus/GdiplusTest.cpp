// The GDI+ flat interface on memory DCs: coverage of fills and strokes
// against geometric references, fill rules, clipping, the DC's own clip and
// origins, alpha handling, text placement and image decoding.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "platform/gdi/Gdi.h"
#include "platform/gdiplus/GdiPlus.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Jpeg.h"
#include "platform/vcl/PngImage.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace t_gdiplus_test {

using namespace vcl;

namespace {

using gditest::TDib;

// A graphics, brush, pen and path released at the end of a test.
struct TGp {
  explicit TGp(HDC dc) { EXPECT_EQ(GdipCreateFromHDC(dc, &G), Status::Ok); }
  ~TGp() {
    if (Path) GdipDeletePath(Path);
    if (Brush) GdipDeleteBrush(AsBrush(Brush));
    if (Pen) GdipDeletePen(Pen);
    GdipDeleteGraphics(G);
  }
  GpPath* NewPath(GpFillMode mode = FillModeAlternate) {
    if (Path) GdipDeletePath(Path);
    EXPECT_EQ(GdipCreatePath(mode, &Path), Status::Ok);
    return Path;
  }
  GpBrush* NewBrush(ARGB c) {
    if (Brush) GdipDeleteBrush(AsBrush(Brush));
    EXPECT_EQ(GdipCreateSolidFill(c, &Brush), Status::Ok);
    return AsBrush(Brush);
  }
  GpPen* NewPen(ARGB c, REAL w) {
    if (Pen) GdipDeletePen(Pen);
    EXPECT_EQ(GdipCreatePen1(c, w, UnitPixel, &Pen), Status::Ok);
    return Pen;
  }
  GpGraphics* G = nullptr;
  GpPath* Path = nullptr;
  GpSolidFill* Brush = nullptr;
  GpPen* Pen = nullptr;
};

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr ARGB kRed = 0xFFFF0000u;

}  // namespace

TEST(Platform_Gdiplus, FilledRectangleCoversPixelCentresAndAntialiasesOnlyItsEdges) {
  TDib d(24, 24, kWhite);
  TGp g(d.DC);
  GdipAddPathRectangle(g.NewPath(), 2, 3, 10, 6);
  ASSERT_EQ(GdipFillPath(g.G, g.NewBrush(kRed), g.Path), Status::Ok);
  // Pixel centres on integers: columns 2..11, rows 3..8, nothing else.
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x)
      ASSERT_EQ(d.At(x, y), (x >= 2 && x < 12 && y >= 3 && y < 9) ? 0xFFFF0000u : kWhite) << x << "," << y;

  TDib a(24, 24, 0xFF000000u);
  TGp ga(a.DC);
  GdipSetSmoothingMode(ga.G, SmoothingModeAntiAlias);
  GdipAddPathRectangle(ga.NewPath(), 2, 3, 10, 6);
  GdipFillPath(ga.G, ga.NewBrush(0xFFFFFFFFu), ga.Path);
  // Interior full, the outline's pixels half covered, outside untouched.
  EXPECT_EQ(a.At(6, 6), 0xFFFFFFFFu);
  for (auto [x, y] : {std::pair{2, 6}, {12, 6}, {6, 3}, {6, 9}}) {
    const int v = int(a.At(x, y) & 0xFF);
    EXPECT_NEAR(v, 128, 3) << x << "," << y;
  }
  EXPECT_EQ(a.At(1, 6), 0xFF000000u);
  EXPECT_EQ(a.At(13, 6), 0xFF000000u);
}

TEST(Platform_Gdiplus, EllipsesMatchTheAnalyticShapeWithAndWithoutSmoothing) {
  std::mt19937 rng(46);
  std::uniform_real_distribution<double> pos(2, 30), size(3, 40);
  for (int run = 0; run < 40; ++run) {
    const bool aa = run % 2 == 1;
    TDib d(80, 80, kWhite);
    TGp g(d.DC);
    if (aa) GdipSetSmoothingMode(g.G, SmoothingModeAntiAlias);
    const double x = pos(rng), y = pos(rng), w = size(rng), h = size(rng);
    ASSERT_EQ(GdipFillEllipse(g.G, g.NewBrush(0xFF000000u), REAL(x), REAL(y), REAL(w), REAL(h)), Status::Ok);
    const double cx = x + w / 2, cy = y + h / 2, rx = w / 2, ry = h / 2;
    for (int py = 0; py < 80; ++py)
      for (int px = 0; px < 80; ++px) {
        // Distance from the curve in pixels, roughly: radial excess times the radius.
        const double q = std::hypot((px - cx) / rx, (py - cy) / ry);
        const double dist = (q - 1) * std::min(rx, ry);
        const uint32_t v = d.At(px, py);
        if (dist < -0.8) {
          ASSERT_EQ(v, 0xFF000000u) << run << ": " << px << "," << py;
        } else if (dist > 0.8 * std::max(rx, ry) / std::min(rx, ry)) {
          ASSERT_EQ(v, kWhite) << run << ": " << px << "," << py;
        } else if (!aa) {
          // Unsmoothed edges are either painted or not.
          ASSERT_TRUE(v == 0xFF000000u || v == kWhite) << run << ": " << px << "," << py;
        }
      }
  }
}

TEST(Platform_Gdiplus, UnsmoothedOnePixelPenOnAnIntegerRowCoversThatRowOnly) {
  TDib d(20, 12, kWhite);
  TGp g(d.DC);
  GdipAddPathLine(g.NewPath(), 2, 5, 15, 5);
  ASSERT_EQ(GdipDrawPath(g.G, g.NewPen(0xFF0000FFu, 1), g.Path), Status::Ok);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(d.At(x, y), (y == 5 && x >= 2 && x < 15) ? 0xFF0000FFu : kWhite) << x << "," << y;
}

TEST(Platform_Gdiplus, LineJoinsShapeTheOuterCornerOfAWideStroke) {
  // An L: down from (20, 40) to (20, 20), then right to (40, 20); 7 pixels wide.
  // The outer corner lies up and left of (20, 20).
  auto corner = [](GpLineJoin join, TDib& d) {
    TGp g(d.DC);
    GdipSetSmoothingMode(g.G, SmoothingModeAntiAlias);
    GdipAddPathLine(g.NewPath(), 20, 40, 20, 20);
    GdipAddPathLine(g.Path, 20, 20, 40, 20);
    GpPen* pen = g.NewPen(0xFF000000u, 7);
    GdipSetPenLineJoin(pen, join);
    EXPECT_EQ(GdipDrawPath(g.G, pen, g.Path), Status::Ok);
  };
  TDib round(60, 60, kWhite), miter(60, 60, kWhite), bevel(60, 60, kWhite);
  corner(LineJoinRound, round);
  corner(LineJoinMiter, miter);
  corner(LineJoinBevel, bevel);
  // Along the diagonal out of the corner, coverage ends at radius 3.5 for the
  // round join: a pixel at distance 2.8 is ink, one at 4.2 is clear.
  auto ink = [](TDib& d, double dist) {
    const int k = int(std::lround(dist / std::sqrt(2.0)));
    return 255 - int(d.At(20 - k, 20 - k) & 0xFF);
  };
  EXPECT_GT(ink(round, 2.8), 200);
  EXPECT_EQ(ink(round, 4.2), 0);
  // The miter fills the square corner out to (16.5, 16.5); the bevel cuts it
  // at half the diagonal.
  EXPECT_EQ(miter.At(17, 17), 0xFF000000u);
  EXPECT_EQ(bevel.At(17, 17), kWhite);
  EXPECT_EQ(round.At(17, 17), kWhite);
  // Every join draws the legs alike.
  for (TDib* d : {&round, &miter, &bevel}) {
    EXPECT_EQ(d->At(20, 30), 0xFF000000u);
    EXPECT_EQ(d->At(30, 20), 0xFF000000u);
  }
}

TEST(Platform_Gdiplus, ClippedMiterStopsAtTheLimitWhereAPlainMiterBevels) {
  // A sharp turn whose miter is far longer than 10 widths.
  auto draw = [](GpLineJoin join, TDib& d) {
    TGp g(d.DC);
    GdipAddPathLine(g.NewPath(), 10, 30, 150, 34);
    GdipAddPathLine(g.Path, 150, 34, 10, 38);
    GpPen* pen = g.NewPen(0xFF000000u, 2);
    GdipSetPenLineJoin(pen, join);
    GdipDrawPath(g.G, pen, g.Path);
  };
  TDib clipped(200, 70, kWhite), plain(200, 70, kWhite);
  draw(LineJoinMiterClipped, clipped);
  draw(LineJoinMiter, plain);
  auto rightmost = [](TDib& d) {
    int r = -1;
    for (int y = 0; y < d.H; ++y)
      for (int x = 0; x < d.W; ++x)
        if (d.At(x, y) != kWhite) r = std::max(r, x);
    return r;
  };
  // The plain miter falls back to a bevel (ends near 151); the clipped one
  // reaches 10 half-widths past the vertex (160).
  EXPECT_LE(rightmost(plain), 152);
  EXPECT_NEAR(rightmost(clipped), 159, 1);
}

TEST(Platform_Gdiplus, FillModesDecideTheCentreOfASelfCrossingStar) {
  auto star = [](GpFillMode mode) {
    TDib d(100, 100, kWhite);
    TGp g(d.DC);
    GpPath* p = g.NewPath(mode);
    GpPointF pts[5];
    for (int i = 0; i < 5; ++i) {
      const double a = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
      pts[i] = {REAL(50 + 40 * std::cos(a)), REAL(50 + 40 * std::sin(a))};
    }
    for (int i = 0; i < 5; ++i) GdipAddPathLine(p, pts[i].X, pts[i].Y, pts[(i + 1) % 5].X, pts[(i + 1) % 5].Y);
    GdipClosePathFigure(p);
    GdipFillPath(g.G, g.NewBrush(0xFF000000u), p);
    return std::pair{d.At(50, 52), d.At(50, 16)};
  };
  const auto [evenCentre, evenTip] = star(FillModeAlternate);
  const auto [windCentre, windTip] = star(FillModeWinding);
  EXPECT_EQ(evenCentre, kWhite);
  EXPECT_EQ(windCentre, 0xFF000000u);
  EXPECT_EQ(evenTip, 0xFF000000u);
  EXPECT_EQ(windTip, 0xFF000000u);
}

TEST(Platform_Gdiplus, FourArcRoundedRectangleHasTheAnalyticArea) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> side(20, 120), radius(2, 30);
  for (int run = 0; run < 12; ++run) {
    const int w = side(rng), h = side(rng), r = std::min({radius(rng), w / 2, h / 2});
    TDib d(140, 140, 0xFF000000u);
    TGp g(d.DC);
    GdipSetSmoothingMode(g.G, SmoothingModeAntiAlias);
    GpPath* p = g.NewPath();
    const int x = 5, y = 7, dd = 2 * r;
    GdipAddPathArcI(p, x, y, dd, dd, 180, 90);
    GdipAddPathArcI(p, x + w - dd, y, dd, dd, 270, 90);
    GdipAddPathArcI(p, x + w - dd, y + h - dd, dd, dd, 0, 90);
    GdipAddPathArcI(p, x, y + h - dd, dd, dd, 90, 90);
    GdipClosePathFigure(p);
    ASSERT_EQ(GdipFillPath(g.G, g.NewBrush(0xFFFFFFFFu), p), Status::Ok);
    double area = 0;
    for (int i = 0; i < d.W * d.H; ++i) area += (d.Bits[i] & 0xFF) / 255.0;
    const double expected = double(w) * h - (4 - std::numbers::pi) * r * r;
    EXPECT_NEAR(area, expected, expected * 0.01) << w << "x" << h << " r" << r;
  }
}

TEST(Platform_Gdiplus, ArcAnglesArePolarAnglesOfTheEndPoints) {
  // On a wide ellipse the parameter and the polar angle differ: the arc from
  // 0 to 45 degrees must end on the ray y = x from the centre. A pie of it
  // filled shows where the arc ends.
  TDib e(220, 80, kWhite);
  TGp g(e.DC);
  GpPath* pie = g.NewPath();
  GdipAddPathLine(pie, 100, 25, 200, 25);
  GdipAddPathArc(pie, 0, 0, 200, 50, 0, 45);
  GdipClosePathFigure(pie);
  GdipFillPath(g.G, g.NewBrush(0xFF000000u), pie);
  // The ray y - 25 = x - 100 meets the ellipse at about (122.4, 47.4).
  const double t = 1 / std::sqrt(1 / (100.0 * 100) + 1 / (25.0 * 25));
  EXPECT_EQ(e.At(int(100 + t * 0.8), int(25 + t * 0.8)), 0xFF000000u);
  EXPECT_EQ(e.At(int(100 + t * 0.8) - 4, int(25 + t * 0.8)), kWhite);  // beyond the ray: outside the pie
}

TEST(Platform_Gdiplus, ClipPathLeavesPixelsOutsideUntouched) {
  TDib d(60, 60, 0x12345678u);
  TGp g(d.DC);
  GdipAddPathEllipse(g.NewPath(), 10, 10, 40, 30);
  ASSERT_EQ(GdipSetClipPath(g.G, g.Path, CombineModeReplace), Status::Ok);
  GdipSetSmoothingMode(g.G, SmoothingModeAntiAlias);
  GpPath* all = nullptr;
  GdipCreatePath(FillModeAlternate, &all);
  GdipAddPathRectangle(all, -5, -5, 70, 70);
  ASSERT_EQ(GdipFillPath(g.G, g.NewBrush(0xFF00FF00u), all), Status::Ok);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) {
      const double q = std::hypot((x - 30) / 20.0, (y - 25) / 15.0);
      if (q > 1.05) {
        ASSERT_EQ(d.At(x, y), 0x12345678u) << x << "," << y;
      }
      if (q < 0.95) {
        ASSERT_EQ(d.At(x, y), 0xFF00FF00u) << x << "," << y;
      }
    }
  // Reset lifts the clip.
  GdipResetClip(g.G);
  GdipFillPath(g.G, g.Brush ? AsBrush(g.Brush) : nullptr, all);
  EXPECT_EQ(d.At(0, 0), 0xFF00FF00u);
  GdipDeletePath(all);
}

TEST(Platform_Gdiplus, ClipCombinationsFollowSetLogicOnPixelCentres) {
  // Random sequences of rectangles and ellipses combined in every mode; a
  // fill of everything must paint exactly the pixels whose centres the set
  // expression keeps (pixels within a hair of an ellipse are not judged).
  std::mt19937 rng(2026);
  std::uniform_int_distribution<int> coord(0, 40), size(4, 30), mode(0, 5), kind(0, 1), steps(1, 4);
  for (int run = 0; run < 60; ++run) {
    struct TShape {
      bool Ellipse;
      double X, Y, W, H;
      CombineMode Mode;
    };
    std::vector<TShape> shapes;
    const int n = steps(rng);
    for (int i = 0; i < n; ++i)
      shapes.push_back({kind(rng) == 1, coord(rng) + 0.5, coord(rng) + 0.5, double(size(rng)), double(size(rng)),
                        CombineMode(mode(rng))});
    TDib d(64, 64, kWhite);
    TGp g(d.DC);
    for (const TShape& s : shapes) {
      GpPath* p = g.NewPath();
      if (s.Ellipse)
        GdipAddPathEllipse(p, REAL(s.X), REAL(s.Y), REAL(s.W), REAL(s.H));
      else
        GdipAddPathRectangle(p, REAL(s.X), REAL(s.Y), REAL(s.W), REAL(s.H));
      ASSERT_EQ(GdipSetClipPath(g.G, p, s.Mode), Status::Ok);
    }
    GdipAddPathRectangle(g.NewPath(), -1, -1, 70, 70);
    ASSERT_EQ(GdipFillPath(g.G, g.NewBrush(0xFF000000u), g.Path), Status::Ok);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        bool in = true, judged = true;
        for (const TShape& s : shapes) {
          bool p;
          if (s.Ellipse) {
            const double q = std::hypot((x - s.X - s.W / 2) / (s.W / 2), (y - s.Y - s.H / 2) / (s.H / 2));
            if (std::abs(q - 1) < 0.06) judged = false;
            p = q < 1;
          } else {
            p = x > s.X && x < s.X + s.W && y > s.Y && y < s.Y + s.H;
          }
          switch (s.Mode) {
            case CombineModeReplace: in = p; break;
            case CombineModeIntersect: in = in && p; break;
            case CombineModeUnion: in = in || p; break;
            case CombineModeXor: in = in != p; break;
            case CombineModeExclude: in = in && !p; break;
            case CombineModeComplement: in = p && !in; break;
          }
        }
        if (!judged) continue;
        ASSERT_EQ(d.At(x, y), in ? 0xFF000000u : kWhite) << "run " << run << " at " << x << "," << y;
      }
  }
}

TEST(Platform_Gdiplus, DeviceContextClipRegionAndViewportOriginAreHonoured) {
  TDib d(40, 40, kWhite);
  SetViewportOrgEx(d.DC, 10, 20, nullptr);
  IntersectClipRect(d.DC, 0, 0, 3, 40);  // logical, i.e. device columns 10..12
  TGp g(d.DC);
  GdipAddPathRectangle(g.NewPath(), 0, 0, 5, 5);
  ASSERT_EQ(GdipFillPath(g.G, g.NewBrush(kRed), g.Path), Status::Ok);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(d.At(x, y), (x >= 10 && x < 13 && y >= 20 && y < 25) ? 0xFFFF0000u : kWhite) << x << "," << y;
}

TEST(Platform_Gdiplus, TranslucentPaintKeepsStraightColourOverTransparentPixels) {
  TDib d(10, 10, 0x00000000u);
  TGp g(d.DC);
  GdipAddPathRectangle(g.NewPath(), 0, 0, 5, 5);
  GdipFillPath(g.G, g.NewBrush(0x80FF8040u), g.Path);
  const uint32_t p = d.At(2, 2);
  EXPECT_EQ(p >> 24, 0x80u);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 0xFF, 1);
  EXPECT_NEAR(int((p >> 8) & 0xFF), 0x80, 1);
  EXPECT_NEAR(int(p & 0xFF), 0x40, 1);
  // Over an opaque pixel the same paint blends and stays opaque.
  d.At(7, 7) = 0xFF0000FFu;
  GdipAddPathRectangle(g.NewPath(), 7, 7, 1, 1);
  GdipFillPath(g.G, AsBrush(g.Brush), g.Path);
  EXPECT_EQ(d.At(7, 7) >> 24, 0xFFu);
  EXPECT_NEAR(int((d.At(7, 7) >> 16) & 0xFF), 0x80, 1);
  EXPECT_NEAR(int(d.At(7, 7) & 0xFF), (0xFF * 127 + 0x40 * 128) / 255, 1);
  // Untouched translucent pixels are not rounded through premultiplication.
  d.At(9, 9) = 0x0A0B0C0Du;
  GdipFillPath(g.G, AsBrush(g.Brush), g.Path);
  EXPECT_EQ(d.At(9, 9), 0x0A0B0C0Du);
}

namespace {

// The ink box of the pixels that differ from the ground.
TRect InkBox(TDib& d, uint32_t ground) {
  TRect r(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
  for (int y = 0; y < d.H; ++y)
    for (int x = 0; x < d.W; ++x)
      if ((d.At(x, y) & 0xFFFFFF) != (ground & 0xFFFFFF)) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

struct TText {
  TText(const char16_t* family, REAL size, GpUnit unit) {
    EXPECT_EQ(GdipCreateFontFamilyFromName(family, nullptr, &Family), Status::Ok);
    EXPECT_EQ(GdipCreateFont(Family, size, FontStyleRegular, unit, &Font), Status::Ok);
    EXPECT_EQ(GdipCreateStringFormat(0, 0, &Format), Status::Ok);
  }
  ~TText() {
    GdipDeleteFont(Font);
    GdipDeleteFontFamily(Family);
    GdipDeleteStringFormat(Format);
  }
  GpFontFamily* Family = nullptr;
  GpFont* Font = nullptr;
  GpStringFormat* Format = nullptr;
};

}  // namespace

TEST(Platform_Gdiplus, CentredStringSitsInTheMiddleOfItsRectangle) {
  TText t(u"Tahoma", 12, UnitPoint);
  GdipSetStringFormatAlign(t.Format, StringAlignmentCenter);
  GdipSetStringFormatLineAlign(t.Format, StringAlignmentCenter);
  for (const char16_t* s : {u"Centre", u"Wide text line", u"IIII", u"g,y"}) {
    TDib d(200, 80, kWhite);
    TGp g(d.DC);
    const GpRectF rc{20, 10, 160, 60};
    ASSERT_EQ(GdipDrawString(g.G, s, -1, t.Font, &rc, t.Format, g.NewBrush(0xFF000000u)), Status::Ok);
    const TRect ink = InkBox(d, kWhite);
    // Horizontally the ink is centred (pixel edges lie half a unit before
    // the coordinates' pixel centres); vertically the line box is, so the
    // ink sits within the line's extent around the middle.
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 20 + 80 + 0.5, 1.0) << ToUtf8(s);
    EXPECT_GT(ink.Top, 10 + 60 / 2 - 16);
    EXPECT_LT(ink.Bottom, 10 + 60 / 2 + 16);
  }
  // Capital letters without descenders: the ink is centred both ways within 1 px
  // once the line box is placed on the ascent and descent.
  TDib d(200, 80, kWhite);
  TGp g(d.DC);
  const GpRectF rc{0, 0, 200, 80};
  GdipDrawString(g.G, u"HHHH", -1, t.Font, &rc, t.Format, g.NewBrush(0xFF000000u));
  const TRect ink = InkBox(d, kWhite);
  EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 100.5, 1.0);
  EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 40.5, 3.0);
}

TEST(Platform_Gdiplus, TwelvePointTextIsAsTallAsGdiText) {
  // GDI at -16 pixels (12 pt at 96 DPI) and GDI+ at 12 pt draw the same face.
  TDib gdi(120, 40, kWhite);
  HFONT f = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, u"Tahoma");
  HGDIOBJ old = SelectObject(gdi.DC, f);
  SetBkMode(gdi.DC, TRANSPARENT);
  TextOutW(gdi.DC, 5, 5, u"Hxgl", 4);
  SelectObject(gdi.DC, old);
  DeleteObject(f);
  const TRect a = InkBox(gdi, kWhite);

  TDib gp(120, 40, kWhite);
  TGp g(gp.DC);
  TText t(u"Tahoma", 12, UnitPoint);
  const GpRectF rc{5, 5, 0, 0};
  GdipDrawString(g.G, u"Hxgl", -1, t.Font, &rc, nullptr, g.NewBrush(0xFF000000u));
  const TRect b = InkBox(gp, kWhite);
  EXPECT_NEAR(b.Bottom - b.Top, a.Bottom - a.Top, 1);
  EXPECT_NEAR(b.Right - b.Left, a.Right - a.Left, 2);
  WCHAR name[LF_FACESIZE];
  ASSERT_EQ(GdipGetFamilyName(t.Family, name, 0), Status::Ok);
  WCHAR gdiName[LF_FACESIZE];
  HFONT f2 = CreateFontW(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, u"Tahoma");
  old = SelectObject(gdi.DC, f2);
  GetTextFaceW(gdi.DC, LF_FACESIZE, gdiName);
  SelectObject(gdi.DC, old);
  DeleteObject(f2);
  EXPECT_EQ(String(name), String(gdiName));
}

TEST(Platform_Gdiplus, StringsWrapAtSpacesAndClipToTheLayoutRectangle) {
  TText t(u"Tahoma", 10, UnitPixel);
  TDib d(200, 100, kWhite);
  TGp g(d.DC);
  const GpRectF narrow{10, 10, 70, 60};
  GpRectF box;
  INT fitted = 0, lines = 0;
  const char16_t* text = u"one two three four five";
  ASSERT_EQ(GdipMeasureString(g.G, text, -1, t.Font, &narrow, nullptr, &box, &fitted, &lines), Status::Ok);
  EXPECT_GT(lines, 1);
  EXPECT_EQ(fitted, 23);
  EXPECT_LE(box.Width, 70.01f);
  GpRectF wide{10, 10, 0, 0}, one;
  GdipMeasureString(g.G, text, -1, t.Font, &wide, nullptr, &one, nullptr, &lines);
  EXPECT_EQ(lines, 1);
  EXPECT_GT(one.Width, 70);
  // A rectangle too short for the text: nothing is drawn below it.
  const GpRectF shortRc{10, 10, 70, 12};
  GdipDrawString(g.G, text, -1, t.Font, &shortRc, nullptr, g.NewBrush(0xFF000000u));
  const TRect ink = InkBox(d, kWhite);
  EXPECT_LE(ink.Bottom, 22 + 1);
  EXPECT_LE(ink.Right, 80 + 1);
}

// ---------------------------------------------------------------------------
// Images

namespace {

TBytes PngBytes(int w, int h, std::vector<uint32_t>& argb) {
  TPngImage png(COLOR_RGBALPHA, 8, w, h);
  argb.resize(size_t(w * h));
  for (int y = 0; y < h; ++y) {
    Byte* c = png.Scanline(y);
    Byte* a = png.AlphaScanline(y);
    for (int x = 0; x < w; ++x) {
      const uint32_t p = (uint32_t(x * 40 + y) & 0xFF) << 24 | uint32_t(x * 17) << 16 | uint32_t(y * 29) << 8 | 0x5A;
      argb[size_t(y * w + x)] = p;
      c[x * 3] = Byte(p), c[x * 3 + 1] = Byte(p >> 8), c[x * 3 + 2] = Byte(p >> 16);
      a[x] = Byte(p >> 24);
    }
  }
  TBytesStream s;
  png.SaveToStream(&s);
  return s.Bytes();
}

Status Load(const TBytes& bytes, GpImage** img, Int64 skip = 0) {
  TBytesStream s(bytes);
  s.SetPosition(skip);
  TIntf<IStream> st(new TStreamAdapter(&s));
  return GdipLoadImageFromStream(st.get(), img);
}

}  // namespace

TEST(Platform_Gdiplus, PngFromAMemoryStreamKeepsItsPixelsAndAlpha) {
  std::vector<uint32_t> ref;
  const TBytes bytes = PngBytes(6, 5, ref);
  // Some bytes before the picture: decoding starts at the stream's position.
  TBytes padded(bytes.size() + 3, 0xEE);
  std::copy(bytes.begin(), bytes.end(), padded.begin() + 3);
  GpImage* img = nullptr;
  ASSERT_EQ(Load(padded, &img, 3), Status::Ok);
  UINT w = 0, h = 0;
  GdipGetImageWidth(img, &w);
  GdipGetImageHeight(img, &h);
  EXPECT_EQ(w, 6u);
  EXPECT_EQ(h, 5u);
  const uint32_t* px = nullptr;
  ASSERT_EQ(GdipGetImagePixels(img, &px), Status::Ok);
  for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(px[i], ref[i]) << i;

  // Drawn at its own size it composes pixel for pixel over an opaque ground.
  TDib d(10, 10, 0xFF000000u);
  TGp g(d.DC);
  ASSERT_EQ(GdipDrawImageRectI(g.G, img, 2, 3, 6, 5), Status::Ok);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      SCOPED_TRACE(std::to_string(d.At(2 + x, 3 + y)));
      const uint32_t s = ref[size_t(y * 6 + x)], a = s >> 24, o = d.At(2 + x, 3 + y);
      EXPECT_EQ(o >> 24, 0xFFu);
      EXPECT_NEAR(int((o >> 16) & 0xFF), int(((s >> 16) & 0xFF) * a / 255), 2) << x << "," << y;
    }
  EXPECT_EQ(d.At(1, 3), 0xFF000000u);
  GdipDisposeImage(img);
}

TEST(Platform_Gdiplus, BmpAndJpegDecodeOpaque) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) static_cast<uint32_t*>(b.ScanLine(y))[x] = 0x00102030u + uint32_t(x * 16 + y);
  TBytesStream s;
  b.SaveToStream(&s);
  GpImage* img = nullptr;
  ASSERT_EQ(Load(s.Bytes(), &img), Status::Ok);
  const uint32_t* px = nullptr;
  GdipGetImagePixels(img, &px);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(px[y * 4 + x], 0xFF102030u + uint32_t(x * 16 + y));
  GdipDisposeImage(img);

  TJPEGImage j;
  TBitmap src(16, 8);
  src.Canvas()->Brush()->SetColor(0x3060C0);
  src.Canvas()->FillRect(TRect(0, 0, 16, 8));
  j.Assign(&src);
  TBytesStream js;
  j.SaveToStream(&js);
  ASSERT_EQ(Load(js.Bytes(), &img), Status::Ok);
  GdipGetImagePixels(img, &px);
  UINT w = 0;
  GdipGetImageWidth(img, &w);
  EXPECT_EQ(w, 16u);
  EXPECT_EQ(px[0] >> 24, 0xFFu);
  EXPECT_NEAR(int((px[0] >> 16) & 0xFF), 0xC0, 8);
  EXPECT_NEAR(int(px[0] & 0xFF), 0x30, 8);
  GdipDisposeImage(img);
}

TEST(Platform_Gdiplus, BadImageDataIsRefusedAndLeavesTheHandleAlone) {
  std::vector<uint32_t> ref;
  const TBytes png = PngBytes(8, 8, ref);
  const int before = LiveGraphicsObjectCount();
  GpImage* img = reinterpret_cast<GpImage*>(uintptr_t(0x1234));
  EXPECT_EQ(Load(TBytes(png.begin(), png.begin() + 40), &img), Status::InvalidParameter);
  EXPECT_EQ(Load(TBytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}, &img), Status::UnknownImageFormat);
  EXPECT_EQ(Load(TBytes{}, &img), Status::UnknownImageFormat);
  TBytes bmp{'B', 'M', 1, 2, 3};
  EXPECT_EQ(Load(bmp, &img), Status::InvalidParameter);
  EXPECT_EQ(img, reinterpret_cast<GpImage*>(uintptr_t(0x1234)));
  EXPECT_EQ(LiveGraphicsObjectCount(), before);
}

TEST(Platform_Gdiplus, NilStaleAndNonFiniteArgumentsAreInvalidParameters) {
  TDib d(8, 8, kWhite);
  TGp g(d.DC);
  GpPath* p = g.NewPath();
  const REAL nan = std::nanf("");
  EXPECT_EQ(GdipFillPath(g.G, nullptr, p), Status::InvalidParameter);
  EXPECT_EQ(GdipFillPath(nullptr, g.NewBrush(kRed), p), Status::InvalidParameter);
  EXPECT_EQ(GdipAddPathLine(p, nan, 0, 1, 1), Status::InvalidParameter);
  EXPECT_EQ(GdipAddPathEllipse(p, 0, 0, -1, 4), Status::InvalidParameter);
  EXPECT_EQ(GdipFillEllipse(g.G, AsBrush(g.Brush), 0, 0, 4, INFINITY), Status::InvalidParameter);
  EXPECT_EQ(GdipCreatePen1(kRed, -2, UnitPixel, &g.Pen), Status::InvalidParameter);
  EXPECT_EQ(GdipSetSmoothingMode(g.G, 9), Status::InvalidParameter);
  EXPECT_EQ(GdipCreateFromHDC(nullptr, &g.G), Status::InvalidParameter);
  GpFontFamily* fam = nullptr;
  EXPECT_EQ(GdipCreateFontFamilyFromName(u"", nullptr, &fam), Status::InvalidParameter);
  // A face that is not installed falls back like GDI text and still draws.
  ASSERT_EQ(GdipCreateFontFamilyFromName(u"No Such Face 42", nullptr, &fam), Status::Ok);
  GpFont* font = nullptr;
  EXPECT_EQ(GdipCreateFont(fam, 10, 0, UnitDisplay, &font), Status::InvalidParameter);
  EXPECT_EQ(GdipCreateFont(fam, 0, 0, UnitPoint, &font), Status::InvalidParameter);
  // A deleted object is no longer accepted.
  GpSolidFill* b = nullptr;
  GdipCreateSolidFill(kRed, &b);
  GdipDeleteBrush(AsBrush(b));
  EXPECT_EQ(GdipFillPath(g.G, AsBrush(b), p), Status::InvalidParameter);
  EXPECT_EQ(GdipDeleteFontFamily(fam), Status::Ok);
  EXPECT_EQ(GdipDeleteFontFamily(fam), Status::InvalidParameter);
}

}  // namespace t_gdiplus_test
