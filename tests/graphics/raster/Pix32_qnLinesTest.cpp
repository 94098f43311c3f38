#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace t_pix32_qn_lines_test {

using namespace qn;

namespace {

constexpr TColor32 Bg = 0xFF102030u;

// A large canvas that holds every test line unclipped; the small bitmap
// sits at offset (Off, Off) in it.
constexpr Integer Big = 200, Off = 60, Small = 80;

struct TReport {
  TRect Area;
  Cardinal Info;
};

struct TRecorder {
  std::vector<TReport> Reports;
  void Handler(TObject*, const TRect& Area, Cardinal Info) { Reports.push_back({Area, Info}); }
};

void Fill(TCustomBitmap32& b, Integer w, Integer h) {
  b.SetSize(w, h);
  b.Clear(Bg);
}

// The small bitmap against the big one restricted to the clip rectangle
// (in small coordinates): outside it the small one must be untouched.
::testing::AssertionResult SameRestricted(const TCustomBitmap32& big, const TCustomBitmap32& small,
                                          const TRect& clip) {
  for (Integer y = 0; y < Small; ++y)
    for (Integer x = 0; x < Small; ++x) {
      const bool in = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
      const TColor32 want = in ? big.GetPixel(x + Off, y + Off) : Bg;
      if (small.GetPixel(x, y) != want)
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                             << small.GetPixel(x, y) << ", want " << want;
    }
  return ::testing::AssertionSuccess();
}

struct TCase {
  Integer X1, Y1, X2, Y2;
  bool L;
  TRect Clip;
};

TCase RandomCase(std::mt19937& rng) {
  // End points reach well outside the small bitmap on every side; the clip
  // rectangle is any sub-rectangle, empty ones included.
  std::uniform_int_distribution<Integer> p(-Off + 1, Small + Off - 2), c(0, Small);
  TCase t;
  t.X1 = p(rng);
  t.Y1 = p(rng);
  t.X2 = p(rng);
  t.Y2 = p(rng);
  if (rng() % 8 == 0) t.Y2 = t.Y1;
  if (rng() % 8 == 0) t.X2 = t.X1;
  if (rng() % 8 == 0) {
    const Integer d = t.X2 - t.X1;
    if (t.Y1 + d >= -Off + 1 && t.Y1 + d <= Small + Off - 2) t.Y2 = t.Y1 + d;
    else if (t.Y1 - d >= -Off + 1 && t.Y1 - d <= Small + Off - 2) t.Y2 = t.Y1 - d;
  }
  t.L = rng() & 1;
  Integer l = c(rng), r = c(rng), tp = c(rng), bt = c(rng);
  if (l > r) std::swap(l, r);
  if (tp > bt) std::swap(tp, bt);
  t.Clip = TRect(l, tp, r, bt);
  return t;
}

}  // namespace

TEST(Pix32_qn_Lines, ClippedLinesAreTheUnclippedLineRestricted) {
  std::mt19937 rng(12);
  TCustomBitmap32 big, small;
  for (int n = 0; n < 12000; ++n) {
    const TCase t = RandomCase(rng);
    const bool blend = n & 1;
    const TColor32 c = blend ? 0x80FF8040u : 0xFFFFFFFFu;
    Fill(big, Big, Big);
    Fill(small, Small, Small);
    small.SetClipRect(t.Clip);
    if (blend) {
      big.LineT(t.X1 + Off, t.Y1 + Off, t.X2 + Off, t.Y2 + Off, c, t.L);
      small.LineTS(t.X1, t.Y1, t.X2, t.Y2, c, t.L);
    } else {
      big.Line(t.X1 + Off, t.Y1 + Off, t.X2 + Off, t.Y2 + Off, c, t.L);
      small.LineS(t.X1, t.Y1, t.X2, t.Y2, c, t.L);
    }
    ASSERT_TRUE(SameRestricted(big, small, small.ClipRect()))
        << (blend ? "LineTS" : "LineS") << " (" << t.X1 << ", " << t.Y1 << ")-(" << t.X2 << ", " << t.Y2
        << ") L=" << t.L << " clip " << t.Clip.Left << "," << t.Clip.Top << "," << t.Clip.Right << ","
        << t.Clip.Bottom;
  }
}

TEST(Pix32_qn_Lines, ClippedAntiAliasedLinesAreTheUnclippedLineRestricted) {
  std::mt19937 rng(13);
  TCustomBitmap32 big, small;
  for (int n = 0; n < 12000; ++n) {
    const TCase t = RandomCase(rng);
    const TColor32 c = n & 1 ? 0xC0FF8040u : 0xFF40C0FFu;
    Fill(big, Big, Big);
    Fill(small, Small, Small);
    small.SetClipRect(t.Clip);
    big.LineA(t.X1 + Off, t.Y1 + Off, t.X2 + Off, t.Y2 + Off, c, t.L);
    small.LineAS(t.X1, t.Y1, t.X2, t.Y2, c, t.L);
    ASSERT_TRUE(SameRestricted(big, small, small.ClipRect()))
        << "LineAS (" << t.X1 << ", " << t.Y1 << ")-(" << t.X2 << ", " << t.Y2 << ") L=" << t.L << " clip "
        << t.Clip.Left << "," << t.Clip.Top << "," << t.Clip.Right << "," << t.Clip.Bottom;
  }
}

TEST(Pix32_qn_Lines, EndPixelOnlyWithL) {
  TCustomBitmap32 b;
  for (bool l : {false, true}) {
    Fill(b, 16, 16);
    b.LineS(0, 0, 10, 0, 0xFFFFFFFFu, l);
    for (Integer x = 0; x <= 10; ++x) EXPECT_EQ(b.GetPixel(x, 0) == 0xFFFFFFFFu, x < 10 || l) << x;
    Fill(b, 16, 16);
    b.LineS(2, 3, 9, 12, 0xFFFFFFFFu, l);
    EXPECT_EQ(b.GetPixel(2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(b.GetPixel(9, 12) == 0xFFFFFFFFu, l);
    Fill(b, 16, 16);
    b.LineAS(2, 3, 13, 9, 0xFFFFFFFFu, l);
    EXPECT_EQ(b.GetPixel(2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(b.GetPixel(13, 9) != Bg, l);
  }
}

TEST(Pix32_qn_Lines, PolylineJointIsDrawnOnce) {
  TCustomBitmap32 b;
  Fill(b, 8, 8);
  b.SetPenColor(0x80FF0000u);
  b.MoveTo(0, 0);
  b.LineToTS(5, 0);
  b.LineToTS(5, 5);
  TCustomBitmap32 once;
  Fill(once, 1, 1);
  once.SetPixelT(0, 0, 0x80FF0000u);
  EXPECT_EQ(b.GetPixel(5, 0), once.GetPixel(0, 0));
  EXPECT_EQ(b.GetPixel(4, 0), once.GetPixel(0, 0));
  EXPECT_EQ(b.GetPixel(5, 5), Bg);
  EXPECT_EQ(b.RasterX, 5);
  EXPECT_EQ(b.RasterY, 5);
}

TEST(Pix32_qn_Lines, RunReportsCoverEveryDrawnPixel) {
  TCustomBitmap32 b;
  Fill(b, 20, 20);
  TRecorder rec;
  b.SetOnAreaChanged(TAreaChangedEvent(&rec, &TRecorder::Handler));
  b.HorzLineS(15, 3, 2, 0xFFFFFFFFu);
  b.VertLineTS(4, 30, -5, 0xFFFFFFFFu);
  b.SetStipple({0xFFFF0000u});
  b.HorzLineTSP(12, 7, 5);
  b.VertLineTSP(6, 1, 25);
  b.HorzLineS(0, 25, 5, 0xFFFFFFFFu);  // outside: no report
  ASSERT_EQ(rec.Reports.size(), 4u);
  EXPECT_EQ(rec.Reports[0].Area, TRect(2, 3, 16, 4));
  EXPECT_EQ(rec.Reports[1].Area, TRect(4, 0, 5, 20));
  EXPECT_EQ(rec.Reports[2].Area, TRect(5, 7, 13, 8));
  EXPECT_EQ(rec.Reports[3].Area, TRect(6, 1, 7, 20));
  for (auto& r : rec.Reports) EXPECT_EQ(r.Info, AREA_RECT_FLAG);
  // Every pixel that changed lies inside a report.
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 20; ++x)
      if (b.GetPixel(x, y) != Bg) {
        bool in = false;
        for (auto& r : rec.Reports) in |= PtInRect(r.Area, TPoint(x, y));
        EXPECT_TRUE(in) << x << "," << y;
      }
}

TEST(Pix32_qn_Lines, MeasuringReportsWithoutDrawing) {
  TCustomBitmap32 b;
  Fill(b, 10, 10);
  TRecorder rec;
  b.BeginMeasuring(TAreaChangedEvent(&rec, &TRecorder::Handler));
  b.LineS(-5, -5, 20, 8, 0xFFFFFFFFu);
  b.LineAS(1, 1, 8, 3, 0xFFFFFFFFu);
  b.HorzLineS(8, 2, 1, 0xFFFFFFFFu);
  b.EndMeasuring();
  ASSERT_EQ(rec.Reports.size(), 3u);
  EXPECT_EQ(rec.Reports[0].Area, TRect(-5, -5, 20, 8));
  EXPECT_EQ(rec.Reports[0].Info, AREA_LINE_FLAG + 2);
  EXPECT_EQ(rec.Reports[2].Area, TRect(1, 2, 9, 3));
  for (Integer i = 0; i < 100; ++i) EXPECT_EQ(b.Bits()[i], Bg);
}

TEST(Pix32_qn_Lines, LineOutsideTheClipDrawsAndReportsNothing) {
  TCustomBitmap32 b;
  Fill(b, 10, 10);
  TRecorder rec;
  b.SetOnAreaChanged(TAreaChangedEvent(&rec, &TRecorder::Handler));
  b.LineS(-20, 5, 5, 30, 0xFFFFFFFFu, true);
  b.LineAS(-20, 5, 5, 30, 0xFFFFFFFFu, true);
  EXPECT_TRUE(rec.Reports.empty());
  for (Integer i = 0; i < 100; ++i) EXPECT_EQ(b.Bits()[i], Bg);
}

TEST(Pix32_qn_Lines, StippleSequences) {
  constexpr TColor32 Red = 0xFFFF0000u, Blue = 0xFF0000FFu;
  TCustomBitmap32 b;
  b.SetStipple({Red, Blue});
  EXPECT_EQ(b.GetStippleColor(), Red);
  EXPECT_EQ(b.GetStippleColor(), Blue);
  EXPECT_EQ(b.GetStippleColor(), Red);
  b.SetStipple({Red, Blue});
  b.SetStippleStep(0.5f);
  EXPECT_EQ(b.GetStippleColor(), Red);
  const TColor32 mid = CombineReg(Red, Blue, 127);
  EMMS();
  EXPECT_EQ(b.GetStippleColor(), mid);
  EXPECT_EQ(b.GetStippleColor(), Blue);
  b.SetStipple(TArrayOfColor32{});
  EXPECT_EQ(b.GetStippleColor(), 0xFF000000u);
  // A counter far out of range still wraps.
  b.SetStipple({Red, Blue});
  b.SetStippleCounter(3.0e9f);
  b.GetStippleColor();
  EXPECT_LT(b.StippleCounter(), 3.0f);
}

// The counter's position in the pattern; a counter of N is the same as 0.
double Phase(const TCustomBitmap32& b) {
  const double n = static_cast<double>(b.StipplePattern().size());
  return std::fmod(std::fmod(static_cast<double>(b.StippleCounter()), n) + n, n);
}

TEST(Pix32_qn_Lines, StippledRunKeepsTheCounterWhenClipped) {
  TCustomBitmap32 a, b;
  Fill(a, 40, 4);
  Fill(b, 40, 4);
  b.SetClipRect(TRect(10, 0, 25, 4));
  const TArrayOfColor32 pat{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  for (Single step : {1.0f, 0.5f, 0.25f}) {
    for (auto run : {std::pair{2, 35}, std::pair{35, 2}, std::pair{12, 30}, std::pair{0, 5}}) {
      a.SetStipple(pat);
      b.SetStipple(pat);
      a.SetStippleStep(step);
      b.SetStippleStep(step);
      a.HorzLineTSP(run.first, 1, run.second);
      b.HorzLineTSP(run.first, 1, run.second);
      EXPECT_NEAR(Phase(a), Phase(b), 1e-4) << run.first << "->" << run.second;
      for (Integer x = 10; x < 25; ++x) EXPECT_EQ(a.GetPixel(x, 1), b.GetPixel(x, 1)) << x;
      a.VertLineTSP(3, 5, -2);
      b.VertLineTSP(3, 5, -2);
      EXPECT_NEAR(Phase(a), Phase(b), 1e-4);
    }
  }
}

TEST(Pix32_qn_Lines, SubPixelLineShorterThanAStepDrawsNothingButReports) {
  TCustomBitmap32 b;
  Fill(b, 10, 10);
  TRecorder rec;
  b.SetOnAreaChanged(TAreaChangedEvent(&rec, &TRecorder::Handler));
  b.LineX(Fixed(3) + 100, Fixed(3), Fixed(3) + 200, Fixed(3) + 100, 0xFFFFFFFFu);
  ASSERT_EQ(rec.Reports.size(), 1u);
  EXPECT_EQ(rec.Reports[0].Info, AREA_LINE_FLAG + 2);
  EXPECT_EQ(rec.Reports[0].Area, TRect(3, 3, 3, 3));
  for (Integer i = 0; i < 100; ++i) EXPECT_EQ(b.Bits()[i], Bg);
  // The clipped form stops silently.
  b.LineXS(Fixed(3) + 100, Fixed(3), Fixed(3) + 200, Fixed(3) + 100, 0xFFFFFFFFu);
  EXPECT_EQ(rec.Reports.size(), 1u);
}

// Every channel within Tol of the wanted colour's: the sub-pixel writers
// round their weights.
::testing::AssertionResult Near(TColor32 c, TColor32 want, Integer Tol = 4) {
  for (int s = 0; s < 32; s += 8)
    if (std::abs(Integer((c >> s) & 255) - Integer((want >> s) & 255)) > Tol)
      return ::testing::AssertionFailure() << std::hex << c << " is not near " << want;
  return ::testing::AssertionSuccess();
}

TEST(Pix32_qn_Lines, SubPixelLineOnPixelCentresIsSolid) {
  TCustomBitmap32 b;
  Fill(b, 20, 6);
  b.LineX(Fixed(2), Fixed(3), Fixed(12), Fixed(3), 0xFFFFFFFFu);
  for (Integer x = 2; x < 12; ++x) EXPECT_TRUE(Near(b.GetPixel(x, 3), 0xFFFFFFFFu)) << x;
  for (Integer x = 0; x < 20; ++x) {
    EXPECT_EQ(b.GetPixel(x, 2), Bg) << x;
    EXPECT_EQ(b.GetPixel(x, 4), Bg) << x;
  }
  EXPECT_EQ(b.GetPixel(13, 3), Bg);
  // The clipped form draws the same where the clip lets it.
  TCustomBitmap32 c;
  Fill(c, 20, 6);
  c.SetClipRect(TRect(5, 0, 9, 6));
  c.LineXS(Fixed(2), Fixed(3), Fixed(12), Fixed(3), 0xFFFFFFFFu);
  for (Integer x = 0; x < 20; ++x) EXPECT_TRUE(Near(c.GetPixel(x, 3), x >= 5 && x < 9 ? 0xFFFFFFFFu : Bg, x >= 5 && x < 9 ? 4 : 0)) << x;
}

TEST(Pix32_qn_Lines, FractionalRunsCoverTheirSpan) {
  TCustomBitmap32 b;
  Fill(b, 12, 12);
  b.HorzLineX(Fixed(7), Fixed(3), Fixed(2), 0xFFFFFFFFu);
  b.VertLineX(Fixed(9), Fixed(1), Fixed(6), 0xFFFFFFFFu);
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 12; ++x) {
      const bool on = (y == 3 && x >= 2 && x < 7) || (x == 9 && y >= 1 && y < 6);
      EXPECT_TRUE(Near(b.GetPixel(x, y), on ? 0xFFFFFFFFu : Bg)) << x << "," << y;
    }
  // Half a pixel down: two rows share the run.
  Fill(b, 12, 12);
  b.HorzLineX(Fixed(2), Fixed(3) + 32768, Fixed(7), 0xFFFFFFFFu);
  EXPECT_TRUE(Near(b.GetPixel(4, 3), b.GetPixel(4, 4), 2));
  EXPECT_NE(b.GetPixel(4, 3), Bg);
}

TEST(Pix32_qn_Lines, SafeSubPixelFormsStayInsideTheClip) {
  std::mt19937 rng(14);
  std::uniform_int_distribution<Integer> p(-8 * 65536, 40 * 65536), c(0, 32);
  TCustomBitmap32 b;
  for (int n = 0; n < 3000; ++n) {
    Fill(b, 32, 32);
    Integer l = c(rng), r = c(rng), t = c(rng), bt = c(rng);
    if (l > r) std::swap(l, r);
    if (t > bt) std::swap(t, bt);
    b.SetClipRect(TRect(l, t, r, bt));
    b.SetStipple({0xFFFF0000u, 0xFF00FF00u});
    const TFixed x1 = p(rng), y1 = p(rng), x2 = p(rng), y2 = p(rng);
    switch (n % 5) {
      case 0: b.LineXS(x1, y1, x2, y2, 0xFFFFFFFFu, n & 8); break;
      case 1: b.LineXSP(x1, y1, x2, y2, n & 8); break;
      case 2: b.HorzLineXS(x1, y1, x2, 0xFFFFFFFFu); break;
      case 3: b.VertLineXS(x1, y1, y2, 0xFFFFFFFFu); break;
      default: b.LineFS(x1 / 65536.0f, y1 / 65536.0f, x2 / 65536.0f, y2 / 65536.0f, 0xFFFFFFFFu); break;
    }
    for (Integer y = 0; y < 32; ++y)
      for (Integer x = 0; x < 32; ++x)
        if (!(x >= l && x < r && y >= t && y < bt)) {
          ASSERT_EQ(b.GetPixel(x, y), Bg) << n << ": " << x << "," << y;
        }
  }
}

TEST(Pix32_qn_Lines, InvisibleStippledLineAdvancesByItsLength) {
  TCustomBitmap32 b;
  Fill(b, 10, 10);
  b.SetStipple({0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu, 0xFF000000u});
  b.LineXSP(Fixed(-30), Fixed(-5), Fixed(-27), Fixed(-1));  // length 5
  EXPECT_NEAR(Phase(b), 0.0, 1e-4);
  b.LineXSP(Fixed(-30), Fixed(-5), Fixed(-28), Fixed(-5));  // length 2
  EXPECT_NEAR(Phase(b), 2.0, 1e-4);
  for (Integer i = 0; i < 100; ++i) EXPECT_EQ(b.Bits()[i], Bg);
}

TEST(Pix32_qn_Lines, ClippedStippledLineKeepsThePatternInStep) {
  // The visible part of a clipped stippled line shows the pattern where the
  // unclipped line shows it, give or take the partial steps at the cuts.
  TCustomBitmap32 a, b;
  Fill(a, 40, 5);
  Fill(b, 40, 5);
  b.SetClipRect(TRect(10, 0, 30, 5));
  const TArrayOfColor32 pat{0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu};
  a.SetStipple(pat);
  b.SetStipple(pat);
  a.LineXSP(Fixed(1), Fixed(2), Fixed(38), Fixed(2));
  b.LineXSP(Fixed(1), Fixed(2), Fixed(38), Fixed(2));
  Integer same = 0;
  for (Integer x = 12; x < 28; ++x) same += a.GetPixel(x, 2) == b.GetPixel(x, 2);
  EXPECT_GE(same, 12);
  EXPECT_NEAR(Phase(a), Phase(b), 1.01);
}

TEST(Pix32_qn_Lines, SafeFormsTakeAnyCoordinates) {
  constexpr Integer Lo = std::numeric_limits<Integer>::min(), Hi = std::numeric_limits<Integer>::max();
  const Integer v[] = {Lo, Lo + 1, -70000, -3, 0, 5, 9, 70000, Hi - 1, Hi};
  TCustomBitmap32 b;
  Fill(b, 12, 12);
  b.SetClipRect(TRect(2, 2, 10, 10));
  b.SetStipple({0xFFFF0000u, 0xFF0000FFu});
  for (Integer x1 : v)
    for (Integer y1 : v)
      for (Integer x2 : {Lo, 4, Hi})
        for (Integer y2 : {Lo, 6, Hi}) {
          b.LineS(x1, y1, x2, y2, 0xFFFFFFFFu, true);
          b.LineTS(x1, y1, x2, y2, 0x80FFFFFFu, true);
          b.LineAS(x1, y1, x2, y2, 0xFFFFFFFFu, true);
          b.LineXS(x1, y1, x2, y2, 0xFFFFFFFFu, true);
          b.LineXSP(x1, y1, x2, y2, true);
          b.HorzLineXS(x1, y1, x2, 0xFFFFFFFFu);
          b.VertLineXS(x1, y1, y2, 0xFFFFFFFFu);
          b.HorzLineTSP(x1, y1, x2);
          b.VertLineTSP(x1, y1, y2);
        }
  for (Integer y = 0; y < 12; ++y)
    for (Integer x = 0; x < 12; ++x)
      if (x < 2 || x >= 10 || y < 2 || y >= 10) {
        EXPECT_EQ(b.GetPixel(x, y), Bg) << x << "," << y;
      }
}

}  // namespace t_pix32_qn_lines_test
