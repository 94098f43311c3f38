// Exact pixel sets of the classic figures, pens and the alpha rule.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "tests/platform/gdi/GdiTestSupport.h"

namespace t_gdi_draw_test {

using namespace vcl;
using namespace gditest;

namespace {

constexpr uint32_t kBack = 0xFF102030u;  // opaque background
constexpr COLORREF kPenColor = RGB(255, 0, 0), kBrushColor = RGB(0, 0, 255);
constexpr uint32_t kPenPixel = 0x00FF0000u, kBrushPixel = 0x000000FFu;

using TPixels = std::set<std::pair<int, int>>;

struct TPainted {
  TPixels Pen, Brush, Other;
};

// Draws with a red pen (style, width) and a blue brush and sorts the touched pixels.
TPainted Draw(int w, int h, int penStyle, int penWidth, const std::function<void(HDC)>& f) {
  TDib dib(w, h, kBack);
  HPEN pen = CreatePen(penStyle, penWidth, kPenColor);
  HBRUSH brush = CreateSolidBrush(kBrushColor);
  HGDIOBJ op = SelectObject(dib.DC, pen), ob = SelectObject(dib.DC, brush);
  f(dib.DC);
  SelectObject(dib.DC, op);
  SelectObject(dib.DC, ob);
  DeleteObject(pen);
  DeleteObject(brush);
  TPainted p;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint32_t v = dib.At(x, y);
      if (v == kBack) continue;
      (v == kPenPixel ? p.Pen : v == kBrushPixel ? p.Brush : p.Other).insert({x, y});
    }
  return p;
}

TPixels Union(const TPixels& a, const TPixels& b) {
  TPixels r = a;
  r.insert(b.begin(), b.end());
  return r;
}

TPixels Minus(const TPixels& a, const TPixels& b) {
  TPixels r;
  for (auto& p : a)
    if (!b.count(p)) r.insert(p);
  return r;
}

TPixels FromRows(std::initializer_list<const char*> rows, int x0 = 0, int y0 = 0) {
  TPixels s;
  int y = y0;
  for (const char* r : rows) {
    for (int x = 0; r[x]; ++x)
      if (r[x] == '#') s.insert({x0 + x, y});
    ++y;
  }
  return s;
}

bool Symmetric(const TPixels& s, int l, int t, int r, int b) {
  for (auto& p : s) {
    if (!s.count({l + r - 1 - p.first, p.second})) return false;
    if (!s.count({p.first, t + b - 1 - p.second})) return false;
  }
  return true;
}

}  // namespace

TEST(Platform_Gdi, RectangleLeavesOutRightAndBottomAndNullPenShrinksIt) {
  auto p = Draw(12, 10, PS_SOLID, 1, [](HDC dc) { Rectangle(dc, 2, 2, 8, 6); });
  EXPECT_EQ(Union(p.Pen, p.Brush), RectSet(2, 2, 8, 6));
  EXPECT_EQ(p.Brush, RectSet(3, 3, 7, 5));
  EXPECT_TRUE(p.Other.empty());
  auto n = Draw(12, 10, PS_NULL, 1, [](HDC dc) { Rectangle(dc, 2, 2, 8, 6); });
  EXPECT_TRUE(n.Pen.empty());
  EXPECT_EQ(n.Brush, RectSet(2, 2, 7, 5));
  // Swapped corners draw the same figure.
  auto s = Draw(12, 10, PS_SOLID, 1, [](HDC dc) { Rectangle(dc, 8, 6, 2, 2); });
  EXPECT_EQ(s.Pen, p.Pen);
}

TEST(Platform_Gdi, EllipseHasTheClassicShape) {
  auto p = Draw(8, 8, PS_SOLID, 1, [](HDC dc) { Ellipse(dc, 1, 1, 6, 6); });
  EXPECT_EQ(Union(p.Pen, p.Brush), FromRows({".###.", "#####", "#####", "#####", ".###."}, 1, 1));
  EXPECT_EQ(p.Brush, RectSet(2, 2, 5, 5));
  for (int size : {3, 4, 7, 10, 15, 24, 31}) {
    for (int h : {size, size / 2 + 2}) {
      auto e = Draw(40, 40, PS_SOLID, 1, [&](HDC dc) { Ellipse(dc, 3, 4, 3 + size, 4 + h); });
      TPixels all = Union(e.Pen, e.Brush);
      SCOPED_TRACE(testing::Message() << size << "x" << h);
      EXPECT_TRUE(Symmetric(all, 3, 4, 3 + size, 4 + h));
      // It touches every side of its box and stays inside it.
      int minX = 99, maxX = -1, minY = 99, maxY = -1;
      for (auto& q : all) {
        minX = std::min(minX, q.first), maxX = std::max(maxX, q.first);
        minY = std::min(minY, q.second), maxY = std::max(maxY, q.second);
      }
      EXPECT_EQ(minX, 3);
      EXPECT_EQ(maxX, 3 + size - 1);
      EXPECT_EQ(minY, 4);
      EXPECT_EQ(maxY, 4 + h - 1);
      // The outline is the border: every pen pixel has a 4-neighbour outside,
      // every brush pixel has none.
      for (auto& q : e.Pen) {
        int out = 0;
        for (auto d : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
          out += !all.count({q.first + d.first, q.second + d.second});
        EXPECT_GT(out, 0);
      }
      for (auto& q : e.Brush)
        for (auto d : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
          EXPECT_TRUE(all.count({q.first + d.first, q.second + d.second}));
      // With the null pen the figure is one pixel smaller each way.
      auto n = Draw(40, 40, PS_NULL, 1, [&](HDC dc) { Ellipse(dc, 3, 4, 3 + size, 4 + h); });
      EXPECT_TRUE(Symmetric(n.Brush, 3, 4, 3 + size - 1, 4 + h - 1));
      for (auto& q : n.Brush) EXPECT_TRUE(q.first < 3 + size - 1 && q.second < 4 + h - 1);
    }
  }
}

TEST(Platform_Gdi, RoundRectCutsItsCornersSymmetrically) {
  auto p = Draw(30, 30, PS_SOLID, 1, [](HDC dc) { RoundRect(dc, 2, 3, 22, 17, 8, 6); });
  TPixels all = Union(p.Pen, p.Brush);
  EXPECT_TRUE(Symmetric(all, 2, 3, 22, 17));
  EXPECT_FALSE(all.count({2, 3}));
  EXPECT_TRUE(all.count({12, 3}));
  EXPECT_TRUE(all.count({2, 10}));
  EXPECT_TRUE(all.count({21, 16}) == 0);
  // Without a corner ellipse it is the rectangle.
  auto r = Draw(30, 30, PS_SOLID, 1, [](HDC dc) { RoundRect(dc, 2, 3, 22, 17, 0, 0); });
  auto q = Draw(30, 30, PS_SOLID, 1, [](HDC dc) { Rectangle(dc, 2, 3, 22, 17); });
  EXPECT_EQ(r.Pen, q.Pen);
  EXPECT_EQ(r.Brush, q.Brush);
  // Its filled shape is the round-rect region's.
  HRGN rgn = CreateRoundRectRgn(2, 3, 22, 17, 8, 6);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) EXPECT_EQ(bool(PtInRegion(rgn, x, y)), bool(all.count({x, y}))) << x << "," << y;
  DeleteObject(rgn);
}

TEST(Platform_Gdi, PolygonFillModes) {
  // A right triangle: rows shrink by one, right and bottom edges left out.
  POINT tri[3] = {{0, 0}, {8, 0}, {0, 8}};
  auto t = Draw(12, 12, PS_NULL, 1, [&](HDC dc) { Polygon(dc, tri, 3); });
  TPixels expect;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8 - y; ++x) expect.insert({x, y});
  EXPECT_EQ(t.Brush, expect);
  // With a pen the outline covers the vertices and the edges.
  auto o = Draw(12, 12, PS_SOLID, 1, [&](HDC dc) { Polygon(dc, tri, 3); });
  for (auto v : {std::pair{0, 0}, {8, 0}, {0, 8}, {4, 4}}) EXPECT_TRUE(o.Pen.count(v));

  POINT star[5] = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
  auto alt = Draw(41, 40, PS_NULL, 1, [&](HDC dc) {
    SetPolyFillMode(dc, ALTERNATE);
    Polygon(dc, star, 5);
  });
  auto wind = Draw(41, 40, PS_NULL, 1, [&](HDC dc) {
    SetPolyFillMode(dc, WINDING);
    Polygon(dc, star, 5);
  });
  EXPECT_FALSE(alt.Brush.count({20, 20}));
  EXPECT_TRUE(wind.Brush.count({20, 20}));
  EXPECT_TRUE(alt.Brush.count({20, 4}));
  EXPECT_TRUE(wind.Brush.count({20, 4}));
  for (auto& q : alt.Brush) EXPECT_TRUE(wind.Brush.count(q));
  // The pentagon in the middle is the only difference.
  TPixels diff = Minus(wind.Brush, alt.Brush);
  EXPECT_GT(diff.size(), 50u);
  for (auto& q : diff) EXPECT_TRUE(q.second >= 14 && q.second < 30);
}

TEST(Platform_Gdi, LineToLeavesOutItsLastPoint) {
  auto h = Draw(10, 10, PS_SOLID, 1, [](HDC dc) {
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 6, 1);
    POINT p;
    GetCurrentPositionEx(dc, &p);
    EXPECT_EQ(p, TPoint(6, 1));
  });
  EXPECT_EQ(h.Pen, RectSet(1, 1, 6, 2));
  auto d = Draw(10, 10, PS_SOLID, 1, [](HDC dc) {
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 4, 4);
  });
  EXPECT_EQ(d.Pen, (TPixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  // Steep and shallow lines in every direction: one pixel per step of the
  // major axis, 8-connected, starting at the start point.
  for (auto e : {std::pair{9, 3}, {3, 9}, {-7, 2}, {-2, -9}, {5, -8}, {0, -6}}) {
    auto l = Draw(30, 30, PS_SOLID, 1, [&](HDC dc) {
      MoveToEx(dc, 15, 15, nullptr);
      LineTo(dc, 15 + e.first, 15 + e.second);
    });
    EXPECT_EQ(int(l.Pen.size()), std::max(std::abs(e.first), std::abs(e.second)));
    EXPECT_TRUE(l.Pen.count({15, 15}));
    EXPECT_FALSE(l.Pen.count({15 + e.first, 15 + e.second}));
  }
  // A line and its reverse cover the same pixels, apart from the end left out.
  std::mt19937 rng(9);
  for (int i = 0; i < 200; ++i) {
    TPoint a(int(rng() % 30), int(rng() % 30)), b(int(rng() % 30), int(rng() % 30));
    if (a == b) continue;
    auto fwd = Draw(30, 30, PS_SOLID, 1, [&](HDC dc) {
      MoveToEx(dc, a.X, a.Y, nullptr);
      LineTo(dc, b.X, b.Y);
    });
    auto back = Draw(30, 30, PS_SOLID, 1, [&](HDC dc) {
      MoveToEx(dc, b.X, b.Y, nullptr);
      LineTo(dc, a.X, a.Y);
    });
    fwd.Pen.insert({b.X, b.Y});
    back.Pen.insert({a.X, a.Y});
    ASSERT_EQ(fwd.Pen, back.Pen) << a.X << "," << a.Y << " - " << b.X << "," << b.Y;
  }
  // A polyline draws every vertex but the last.
  POINT pts[4] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
  auto pl = Draw(10, 10, PS_SOLID, 1, [&](HDC dc) { Polyline(dc, pts, 4); });
  EXPECT_EQ(pl.Pen.size(), 12u);
  EXPECT_FALSE(pl.Pen.count({1, 5}));
}

TEST(Platform_Gdi, WidePensAreCentredAndInsideFrameStaysInside) {
  auto l = Draw(16, 12, PS_SOLID, 3, [](HDC dc) {
    MoveToEx(dc, 2, 5, nullptr);
    LineTo(dc, 10, 5);
  });
  EXPECT_EQ(l.Pen, RectSet(1, 4, 12, 7));
  auto r = Draw(30, 30, PS_SOLID, 3, [](HDC dc) { Rectangle(dc, 10, 10, 20, 20); });
  EXPECT_EQ(r.Pen, Minus(RectSet(9, 9, 21, 21), RectSet(12, 12, 18, 18)));
  EXPECT_EQ(r.Brush, RectSet(12, 12, 18, 18));
  auto i = Draw(40, 40, PS_INSIDEFRAME, 5, [](HDC dc) { Rectangle(dc, 10, 10, 30, 30); });
  EXPECT_EQ(Union(i.Pen, i.Brush), RectSet(10, 10, 30, 30));
  EXPECT_EQ(i.Brush, RectSet(15, 15, 25, 25));
  auto e = Draw(40, 40, PS_INSIDEFRAME, 4, [](HDC dc) { Ellipse(dc, 5, 5, 35, 25); });
  for (auto& q : Union(e.Pen, e.Brush)) EXPECT_TRUE(q.first >= 5 && q.first < 35 && q.second >= 5 && q.second < 25);
  EXPECT_TRUE(Symmetric(Union(e.Pen, e.Brush), 5, 5, 35, 25));
  // An even width covers that many rows.
  auto w2 = Draw(16, 12, PS_SOLID, 2, [](HDC dc) {
    MoveToEx(dc, 2, 5, nullptr);
    LineTo(dc, 10, 5);
  });
  std::set<int> rows;
  for (auto& q : w2.Pen) rows.insert(q.second);
  EXPECT_EQ(rows.size(), 2u);
}

TEST(Platform_Gdi, StyledPensAndTheirGaps) {
  TDib dib(40, 4, kBack);
  HPEN dot = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
  SelectObject(dib.DC, dot);
  SetBkColor(dib.DC, RGB(0, 255, 0));
  SetBkMode(dib.DC, OPAQUE);
  MoveToEx(dib.DC, 0, 1, nullptr);
  LineTo(dib.DC, 30, 1);
  SetBkMode(dib.DC, TRANSPARENT);
  MoveToEx(dib.DC, 0, 2, nullptr);
  LineTo(dib.DC, 30, 2);
  for (int x = 0; x < 30; ++x) {
    bool on = (x / 3) % 2 == 0;
    EXPECT_EQ(dib.At(x, 1), on ? 0x00FF0000u : 0x0000FF00u) << x;
    EXPECT_EQ(dib.At(x, 2), on ? 0x00FF0000u : kBack) << x;
  }
  EXPECT_EQ(dib.At(30, 1), kBack);
  SelectObject(dib.DC, GetStockObject(BLACK_PEN));
  DeleteObject(dot);
  // Styles exist for cosmetic pens only.
  HPEN wide = CreatePen(PS_DASH, 3, 0);
  LOGPEN lp;
  ASSERT_EQ(GetObject(wide, sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, PS_SOLID);
  DeleteObject(wide);
}

TEST(Platform_Gdi, ArcsPiesAndChords) {
  // A quarter arc from the right to the top stays in the top-right quadrant.
  auto a = Draw(40, 40, PS_SOLID, 1, [](HDC dc) { Arc(dc, 0, 0, 31, 31, 31, 15, 15, 0); });
  ASSERT_FALSE(a.Pen.empty());
  for (auto& q : a.Pen) EXPECT_TRUE(q.first >= 15 && q.second <= 15) << q.first << "," << q.second;
  EXPECT_TRUE(a.Pen.count({30, 15}));
  EXPECT_TRUE(a.Pen.count({15, 0}));
  EXPECT_TRUE(a.Brush.empty());
  // The same rays the other way round give the other three quarters.
  auto b = Draw(40, 40, PS_SOLID, 1, [](HDC dc) { Arc(dc, 0, 0, 31, 31, 15, 0, 31, 15); });
  auto e = Draw(40, 40, PS_SOLID, 1, [](HDC dc) { Ellipse(dc, 0, 0, 31, 31); });
  EXPECT_EQ(Union(a.Pen, b.Pen), e.Pen);
  // A pie is filled between its radii, a chord on the arc's side of its chord.
  auto p = Draw(40, 40, PS_SOLID, 1, [](HDC dc) { Pie(dc, 0, 0, 31, 31, 31, 15, 15, 0); });
  EXPECT_TRUE(p.Brush.count({20, 10}));
  EXPECT_FALSE(p.Brush.count({10, 20}));
  EXPECT_TRUE(p.Pen.count({15, 15}));
  // Clockwise is the same curve with start and end exchanged.
  auto cw = Draw(40, 40, PS_SOLID, 1, [](HDC dc) {
    SetArcDirection(dc, AD_CLOCKWISE);
    Arc(dc, 0, 0, 31, 31, 15, 0, 31, 15);
  });
  EXPECT_EQ(cw.Pen, a.Pen);
  auto c = Draw(40, 40, PS_SOLID, 1, [](HDC dc) { Chord(dc, 0, 0, 31, 31, 31, 15, 0, 15); });
  EXPECT_TRUE(c.Brush.count({15, 8}));
  EXPECT_FALSE(c.Brush.count({15, 22}));
}

TEST(Platform_Gdi, AlphaRule) {
  TDib dib(20, 20, 0xFF808080u);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
  SelectObject(dib.DC, pen);
  MoveToEx(dib.DC, 2, 5, nullptr);
  LineTo(dib.DC, 12, 5);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(dib.At(x, y), (y == 5 && x >= 2 && x < 12) ? 0x00010203u : 0xFF808080u) << x << "," << y;
  // Fills too; a copy carries the source's alpha.
  RECT r{0, 10, 4, 14};
  FillRect(dib.DC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(dib.At(0, 10), 0x00FFFFFFu);
  TDib src(4, 4, 0x7F123456u);
  BitBlt(dib.DC, 10, 10, 4, 4, src.DC, 0, 0, SRCCOPY);
  EXPECT_EQ(dib.At(10, 10), 0x7F123456u);
  SetPixel(dib.DC, 19, 19, RGB(9, 9, 9));
  EXPECT_EQ(dib.At(19, 19), 0x00090909u);
  SelectObject(dib.DC, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(Platform_Gdi, EveryRop2OnKnownPenAndDestination) {
  const uint32_t d = 0x00C3A55Au, pcol = 0x0096F00Fu;
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
    TDib dib(4, 1, 0xFF000000u | d);
    HPEN pen = CreatePen(PS_SOLID, 1, PixelToColorRef(pcol));
    SelectObject(dib.DC, pen);
    SetROP2(dib.DC, rop);
    MoveToEx(dib.DC, 0, 0, nullptr);
    LineTo(dib.DC, 2, 0);
    uint32_t p = pcol, e = 0;
    switch (rop) {
      case R2_BLACK: e = 0; break;
      case R2_NOTMERGEPEN: e = ~(p | d); break;
      case R2_MASKNOTPEN: e = ~p & d; break;
      case R2_NOTCOPYPEN: e = ~p; break;
      case R2_MASKPENNOT: e = p & ~d; break;
      case R2_NOT: e = ~d; break;
      case R2_XORPEN: e = p ^ d; break;
      case R2_NOTMASKPEN: e = ~(p & d); break;
      case R2_MASKPEN: e = p & d; break;
      case R2_NOTXORPEN: e = ~(p ^ d); break;
      case R2_NOP: e = d; break;
      case R2_MERGENOTPEN: e = ~p | d; break;
      case R2_COPYPEN: e = p; break;
      case R2_MERGEPENNOT: e = p | ~d; break;
      case R2_MERGEPEN: e = p | d; break;
      case R2_WHITE: e = ~0u; break;
    }
    uint32_t expected = rop == R2_NOP ? (0xFF000000u | d) : (e & 0x00FFFFFFu);
    EXPECT_EQ(dib.At(0, 0), expected) << "rop2 " << rop;
    EXPECT_EQ(dib.At(2, 0), 0xFF000000u | d);
    SelectObject(dib.DC, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

TEST(Platform_Gdi, FocusRectAndPatInvertUndoThemselves) {
  TDib dib(24, 20, 0);
  for (int i = 0; i < 24 * 20; ++i) dib.Bits[i] = 0x9E000000u | uint32_t(i * 2654435761u >> 8);
  std::vector<uint32_t> before(dib.Bits, dib.Bits + 24 * 20);
  RECT r{3, 2, 19, 15};
  DrawFocusRect(dib.DC, &r);
  int changed = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x) {
      bool onFrame = (x >= 3 && x < 19 && y >= 2 && y < 15) && (x == 3 || x == 18 || y == 2 || y == 14);
      bool differs = dib.At(x, y) != before[size_t(y * 24 + x)];
      if (differs) {
        ++changed;
        EXPECT_TRUE(onFrame) << x << "," << y;
        EXPECT_EQ((x + y) % 2, 0);
        EXPECT_EQ(dib.At(x, y), before[size_t(y * 24 + x)] ^ 0x00FFFFFFu);
      }
    }
  EXPECT_EQ(changed, (16 * 2 + 11 * 2) / 2);
  DrawFocusRect(dib.DC, &r);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), dib.Bits));

  HBITMAP checker = AllocPatternBitmap();
  HBRUSH brush = CreatePatternBrush(checker);
  SelectObject(dib.DC, brush);
  SetBrushOrgEx(dib.DC, 1, 0, nullptr);
  PatBlt(dib.DC, 1, 1, 20, 17, PATINVERT);
  EXPECT_FALSE(std::equal(before.begin(), before.end(), dib.Bits));
  PatBlt(dib.DC, 1, 1, 20, 17, PATINVERT);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), dib.Bits));
  SelectObject(dib.DC, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
  DeleteObject(checker);
}

TEST(Platform_Gdi, BrushesHatchesAndPatterns) {
  TDib dib(16, 16, kBack);
  HBRUSH h = CreateHatchBrush(HS_CROSS, RGB(255, 0, 0));
  SetBkColor(dib.DC, RGB(0, 0, 255));
  SetBkMode(dib.DC, TRANSPARENT);
  SelectObject(dib.DC, GetStockObject(NULL_PEN));
  SelectObject(dib.DC, h);
  Rectangle(dib.DC, 0, 0, 9, 9);
  int red = 0, other = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) (dib.At(x, y) == 0x00FF0000u ? red : dib.At(x, y) == kBack ? other : other += 100)++;
  EXPECT_EQ(red, 15);
  EXPECT_EQ(other, 49);
  // Opaque mode fills the gaps with the background colour.
  SetBkMode(dib.DC, OPAQUE);
  Rectangle(dib.DC, 0, 0, 9, 9);
  EXPECT_EQ(dib.At(0, 0), 0x000000FFu);
  // The checker pattern takes the text and background colours.
  HBITMAP checker = AllocPatternBitmap();
  HBRUSH pb = CreatePatternBrush(checker);
  SetTextColor(dib.DC, RGB(0, 255, 0));
  SetBkColor(dib.DC, RGB(255, 255, 0));
  RECT r{8, 8, 16, 16};
  FillRect(dib.DC, &r, pb);
  for (int y = 8; y < 16; ++y)
    for (int x = 8; x < 16; ++x) EXPECT_EQ(dib.At(x, y), (x + y) % 2 ? 0x0000FF00u : 0x00FFFF00u);
  SelectObject(dib.DC, GetStockObject(WHITE_BRUSH));
  DeleteObject(h);
  DeleteObject(pb);
  DeleteObject(checker);
  // System colour indexes work as brushes.
  RECT s{0, 0, 1, 1};
  FillRect(dib.DC, &s, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(PixelToColorRef(dib.At(0, 0)), GetSysColor(COLOR_BTNFACE));
}

TEST(Platform_Gdi, DCStateOriginsAndClipping) {
  TDib dib(30, 30, kBack);
  HDC dc = dib.DC;
  SetViewportOrgEx(dc, 10, 5, nullptr);
  SetWindowOrgEx(dc, 2, 1, nullptr);
  SetPixel(dc, 2, 1, RGB(255, 255, 255));
  EXPECT_EQ(dib.At(10, 5), 0x00FFFFFFu);
  int saved = SaveDC(dc);
  EXPECT_EQ(saved, 1);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  HBRUSH b = CreateSolidBrush(RGB(9, 9, 9));
  SelectObject(dc, b);
  IntersectClipRect(dc, 5, 5, 15, 15);
  ExcludeClipRect(dc, 8, 8, 10, 10);
  RECT box;
  EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
  EXPECT_EQ(box, TRect(5, 5, 15, 15));
  RECT all{0, 0, 30, 30};
  FillRect(dc, &all, b);
  EXPECT_EQ(dib.At(5, 5), 0x00090909u);
  EXPECT_EQ(dib.At(4, 5), kBack);
  EXPECT_EQ(dib.At(8, 8), kBack);
  EXPECT_FALSE(PtVisible(dc, 9, 9));
  EXPECT_TRUE(PtVisible(dc, 14, 14));
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, got), 1);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetClipRgn(dc, got), 0);
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  EXPECT_NE(GetCurrentObject(dc, OBJ_BRUSH), static_cast<HGDIOBJ>(b));
  POINT vo;
  GetViewportOrgEx(dc, &vo);
  EXPECT_EQ(vo, TPoint(10, 5));
  EXPECT_FALSE(RestoreDC(dc, -1));
  EXPECT_TRUE(DeleteObject(b));
  DeleteObject(got);
}

TEST(Platform_Gdi, ClipRegionModes) {
  TDib dib(20, 10, kBack);
  HDC dc = dib.DC;
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 0, 15, 10), got = CreateRectRgn(0, 0, 0, 0);
  RECT box;
  // Without a clip region the whole device takes part.
  EXPECT_EQ(ExtSelectClipRgn(dc, a, RGN_XOR), SIMPLEREGION);
  GetClipBox(dc, &box);
  EXPECT_EQ(box, TRect(10, 0, 20, 10));
  EXPECT_EQ(SelectObject(dc, a), reinterpret_cast<HGDIOBJ>(intptr_t(SIMPLEREGION)));
  EXPECT_EQ(ExtSelectClipRgn(dc, b, RGN_OR), SIMPLEREGION);
  GetClipBox(dc, &box);
  EXPECT_EQ(box, TRect(0, 0, 15, 10));
  EXPECT_EQ(ExtSelectClipRgn(dc, b, RGN_DIFF), SIMPLEREGION);
  GetClipBox(dc, &box);
  EXPECT_EQ(box, TRect(0, 0, 5, 10));
  EXPECT_EQ(ExtSelectClipRgn(dc, b, RGN_AND), NULLREGION);
  EXPECT_EQ(ExtSelectClipRgn(dc, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(SelectClipRgn(dc, nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(dc, got), 0);
  // The clip region is in device units: a viewport origin does not move it.
  SelectClipRgn(dc, a);
  SetViewportOrgEx(dc, 5, 0, nullptr);
  GetClipBox(dc, &box);
  EXPECT_EQ(box, TRect(-5, 0, 5, 10));
  EXPECT_EQ(OffsetClipRgn(dc, 2, 0), SIMPLEREGION);
  GetClipRgn(dc, got);
  GetRgnBox(got, &box);
  EXPECT_EQ(box, TRect(2, 0, 12, 10));
  RECT r{-5, 0, 15, 10};
  EXPECT_TRUE(RectVisible(dc, &r));
  RECT off{10, 0, 15, 10};
  EXPECT_FALSE(RectVisible(dc, &off));
  for (HRGN h : {a, b, got}) DeleteObject(h);
}

TEST(Platform_Gdi, ObjectsSelectionAndLifetime) {
  int before = GdiObjectCount();
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  // A fresh memory DC holds a 1x1 monochrome bitmap, so compatible bitmaps are monochrome.
  HBITMAP mono = CreateCompatibleBitmap(a, 5, 5);
  BITMAP bm;
  ASSERT_EQ(GetObject(mono, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 5, 5);
  GetObject(colour, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  HGDIOBJ old = SelectObject(a, colour);
  EXPECT_EQ(GetObjectType(old), DWORD(OBJ_BITMAP));
  EXPECT_EQ(SelectObject(b, colour), nullptr);  // already in a
  EXPECT_FALSE(DeleteObject(colour));            // selected
  EXPECT_EQ(SelectObject(a, old), static_cast<HGDIOBJ>(colour));
  EXPECT_TRUE(DeleteObject(colour));
  EXPECT_EQ(GetObjectType(colour), 0u);
  EXPECT_EQ(SelectObject(a, colour), nullptr);  // stale handle
  // Stock objects survive deletion; a selected pen stays usable after its handle goes.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), DWORD(OBJ_BRUSH));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 1, 1));
  SelectObject(a, pen);
  EXPECT_TRUE(DeleteObject(pen));
  LOGBRUSH lb;
  EXPECT_EQ(GetObject(GetStockObject(LTGRAY_BRUSH), sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbColor, RGB(192, 192, 192));
  LOGFONTW lf;
  EXPECT_EQ(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf), int(sizeof lf));
  EXPECT_EQ(GetObjectType(GetStockObject(SYSTEM_FONT)), DWORD(OBJ_FONT));
  EXPECT_EQ(GetObjectType(a), DWORD(OBJ_MEMDC));
  EXPECT_EQ(GetObject(nullptr, 0, nullptr), 0);
  EXPECT_EQ(GetStockObject(99), nullptr);
  DeleteObject(mono);
  DeleteDC(a);
  DeleteDC(b);
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST(Platform_Gdi, FloodFillStopsAtBordersAndClip) {
  TDib dib(20, 20, 0xFFFFFFFFu);
  SelectObject(dib.DC, GetStockObject(NULL_BRUSH));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  SelectObject(dib.DC, pen);
  Rectangle(dib.DC, 2, 2, 12, 12);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(dib.DC, red);
  EXPECT_TRUE(ExtFloodFill(dib.DC, 5, 5, RGB(0, 0, 0), FLOODFILLBORDER));
  EXPECT_EQ(dib.Changed(0xFFFFFFFFu).size(), 100u);  // the outline and its inside
  for (auto& p : RectSet(3, 3, 11, 11)) EXPECT_EQ(dib.At(p.first, p.second), 0x00FF0000u);
  EXPECT_EQ(dib.At(2, 5), 0x00000000u);
  // The surface variant fills the connected pixels of one colour.
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(dib.DC, blue);
  IntersectClipRect(dib.DC, 0, 0, 15, 20);
  EXPECT_TRUE(ExtFloodFill(dib.DC, 0, 0, RGB(255, 255, 255), FLOODFILLSURFACE));
  EXPECT_EQ(dib.At(14, 19), 0x000000FFu);
  EXPECT_EQ(dib.At(15, 0), 0xFFFFFFFFu);  // clipped
  EXPECT_EQ(dib.At(5, 5), 0x00FF0000u);
  EXPECT_FALSE(ExtFloodFill(dib.DC, 2, 2, RGB(0, 0, 0), FLOODFILLBORDER));
  EXPECT_FALSE(ExtFloodFill(dib.DC, 16, 0, RGB(255, 255, 255), FLOODFILLSURFACE));
  SelectObject(dib.DC, GetStockObject(BLACK_PEN));
  SelectObject(dib.DC, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(red);
  DeleteObject(blue);
}

TEST(Platform_Gdi, HugeFiguresCostOnlyTheirVisiblePart) {
  TDib dib(20, 20, kBack);
  HDC dc = dib.DC;
  HBRUSH brush = CreateSolidBrush(kBrushColor);
  SelectObject(dc, brush);
  // The middle of a huge ellipse covers the whole bitmap.
  EXPECT_TRUE(Ellipse(dc, -50000000, -50000000, 50000000, 50000000));
  EXPECT_EQ(dib.At(0, 0), kBrushPixel);
  EXPECT_EQ(dib.At(19, 19), kBrushPixel);
  HPEN wide = CreatePen(PS_SOLID, 5, kPenColor);
  HGDIOBJ old = SelectObject(dc, wide);
  EXPECT_TRUE(RoundRect(dc, -60000000, 10, 60000000, 60000000, 4000000, 4000000));
  EXPECT_EQ(dib.At(10, 10), kPenPixel);
  EXPECT_EQ(dib.At(10, 15), kBrushPixel);
  SelectObject(dc, old);
  HPEN dash = CreatePen(PS_DASH, 1, kPenColor);
  SelectObject(dc, dash);
  MoveToEx(dc, -100000000, 3, nullptr);
  EXPECT_TRUE(LineTo(dc, 100000000, 3));
  int pen = 0;
  for (int x = 0; x < 20; ++x) pen += dib.At(x, 3) == kPenPixel;
  EXPECT_GT(pen, 10);  // mostly a dash: 18 on, 6 off
  POINT tri[3] = {{-90000000, -90000000}, {90000000, 0}, {-90000000, 90000000}};
  EXPECT_TRUE(Polygon(dc, tri, 3));
  EXPECT_TRUE(Pie(dc, -70000000, -70000000, 70000000, 70000000, 1, 0, 0, 1));
  // Beyond the 27-bit device space figures fail rather than overflow.
  EXPECT_FALSE(Rectangle(dc, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
  EXPECT_FALSE(Ellipse(dc, 0, 0, INT32_MAX, 10));
  MoveToEx(dc, INT32_MIN, 0, nullptr);
  EXPECT_FALSE(LineTo(dc, INT32_MAX, 0));
  TDib src(4, 4);
  EXPECT_FALSE(StretchBlt(dc, 0, 0, INT32_MAX, INT32_MAX, src.DC, 0, 0, 4, 4, SRCCOPY));
  SetStretchBltMode(dc, HALFTONE);
  EXPECT_TRUE(StretchBlt(dc, 0, 0, 20, 20, src.DC, 0, 0, 100000000, 100000000, SRCCOPY));  // nothing inside the source
  EXPECT_EQ(CreateEllipticRgn(0, 0, 100000000, 100000000), nullptr);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(wide);
  DeleteObject(dash);
  DeleteObject(brush);
}

TEST(Platform_Gdi, DeviceCapsDescribeTheTarget) {
  TDib dib(30, 20);
  EXPECT_EQ(GetDeviceCaps(dib.DC, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dib.DC, HORZRES), 30);
  EXPECT_EQ(GetDeviceCaps(dib.DC, VERTRES), 20);
  EXPECT_EQ(GetDeviceCaps(dib.DC, LOGPIXELSY), 96);
  HDC mem = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 1);
  DeleteDC(mem);
  EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 0);
  EXPECT_EQ(SetMapMode(dib.DC, MM_TEXT), MM_TEXT);
  EXPECT_EQ(SetMapMode(dib.DC, 8), 0);
  EXPECT_EQ(GetMapMode(dib.DC), MM_TEXT);
  auto surface = TGdiSurface::Create(10, 10);
  HDC win = CreateSurfaceDC(surface, {3, 4}, nullptr);
  POINT org;
  EXPECT_TRUE(GetDCOrgEx(win, &org));
  EXPECT_EQ(org, TPoint(3, 4));
  EXPECT_EQ(GetDeviceCaps(win, HORZRES), 10);
  DeleteDC(win);
}

TEST(Platform_Gdi, SystemColoursHaveClassicDefaultsAndCanBeOverridden) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(-1), 0u);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  int idx = COLOR_BTNFACE;
  COLORREF c = RGB(1, 2, 3);
  SetSysColors(1, &idx, &c);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), c);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  LOGBRUSH lb;
  GetObject(face, sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, c);
  ResetSysColors();
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_TRUE(DeleteObject(face));
  EXPECT_EQ(GetObjectType(face), DWORD(OBJ_BRUSH));
}

TEST(Platform_Gdi, DrawEdgeAndFrameControls) {
  TDib dib(40, 40, kBack);
  auto col = [&](int x, int y) { return PixelToColorRef(dib.At(x, y)); };
  RECT r{2, 2, 22, 22};
  EXPECT_TRUE(DrawEdge(dib.DC, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST));
  EXPECT_EQ(r, TRect(4, 4, 20, 20));
  EXPECT_EQ(col(2, 2), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(col(21, 21), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(col(3, 3), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(col(20, 20), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(col(10, 10), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(col(2, 21), GetSysColor(COLOR_3DDKSHADOW));  // the bottom row owns the corner
  EXPECT_EQ(dib.At(1, 1), kBack);
  RECT s{24, 2, 38, 16};
  DrawEdge(dib.DC, &s, EDGE_SUNKEN, BF_RECT);
  EXPECT_EQ(col(24, 2), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(col(25, 3), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(col(37, 15), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(dib.At(30, 8), kBack);  // no BF_MIDDLE

  TDib box(20, 20, kBack);
  RECT c{0, 0, 13, 13};
  DrawFrameControl(box.DC, &c, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  int marks = 0;
  for (int y = 2; y < 11; ++y)
    for (int x = 2; x < 11; ++x) marks += PixelToColorRef(box.At(x, y)) == GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_EQ(marks, 21);
  // The indeterminate three-state box: a grey check on the face colour.
  DrawFrameControl(box.DC, &c, DFC_BUTTON, DFCS_BUTTON3STATE | DFCS_CHECKED);
  int grey = 0;
  for (int y = 2; y < 11; ++y)
    for (int x = 2; x < 11; ++x) grey += PixelToColorRef(box.At(x, y)) == GetSysColor(COLOR_BTNSHADOW);
  EXPECT_EQ(grey, 21);
  EXPECT_EQ(PixelToColorRef(box.At(2, 2)), GetSysColor(COLOR_BTNFACE));
  RECT u{0, 0, 13, 13};
  DrawFrameControl(box.DC, &u, DFC_BUTTON, DFCS_BUTTONCHECK);
  for (int y = 2; y < 11; ++y)
    for (int x = 2; x < 11; ++x) EXPECT_EQ(PixelToColorRef(box.At(x, y)), GetSysColor(COLOR_WINDOW));
  // A scroll arrow is a raised button with a centred triangle.
  RECT a{0, 0, 16, 16};
  DrawFrameControl(box.DC, &a, DFC_SCROLL, DFCS_SCROLLUP);
  TPixels arrow;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (PixelToColorRef(box.At(x, y)) == GetSysColor(COLOR_BTNTEXT)) arrow.insert({x, y});
  EXPECT_EQ(arrow.size(), 16u);  // 7 + 5 + 3 + 1
  int minX = 99, maxX = 0;
  for (auto& q : arrow) minX = std::min(minX, q.first), maxX = std::max(maxX, q.first);
  EXPECT_EQ(maxX - minX, 6);
  for (auto& q : arrow) EXPECT_TRUE(arrow.count({minX + maxX - q.first, q.second}));
  EXPECT_FALSE(DrawFrameControl(box.DC, &a, 99, 0));
  // Push buttons have the soft edge, sunken when pushed.
  RECT pb{0, 0, 20, 12};
  DrawFrameControl(box.DC, &pb, DFC_BUTTON, DFCS_BUTTONPUSH);
  EXPECT_EQ(PixelToColorRef(box.At(0, 0)), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(PixelToColorRef(box.At(19, 11)), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelToColorRef(box.At(1, 1)), GetSysColor(COLOR_3DLIGHT));
  DrawFrameControl(box.DC, &pb, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
  EXPECT_EQ(PixelToColorRef(box.At(0, 0)), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelToColorRef(box.At(19, 11)), GetSysColor(COLOR_3DHILIGHT));
}

}  // namespace t_gdi_draw_test
