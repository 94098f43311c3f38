#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/platform/gdi/TextTestSupport.h"

namespace t_glyph_outline_test {

using namespace vcl;
using namespace gditest;

namespace {

MAT2 Mat(double m11, double m12, double m21, double m22) {
  return {FixedFromDouble(m11), FixedFromDouble(m12), FixedFromDouble(m21), FixedFromDouble(m22)};
}
const MAT2 kIdentity = Mat(1, 0, 0, 1);

struct TSeg {
  int Kind;  // 1 line, 2 conic, 3 cubic
  TOutlinePoint P[3];
};
struct TContour {
  TOutlinePoint Start;
  std::vector<TSeg> Segs;
};
int gLongestSpline = 0;  // most points in one quadratic spline record parsed
TOutlinePoint Pt(const POINTFX& p) { return {FixedToDouble(p.x), FixedToDouble(p.y)}; }
TOutlinePoint Mid(const TOutlinePoint& a, const TOutlinePoint& b) { return {(a.X + b.X) / 2, (a.Y + b.Y) / 2}; }

// Parses native or Bézier records, checking their framing, into segments
// (quadratic splines unfolded at their implied midpoints).
std::vector<TContour> Parse(const std::vector<Byte>& buf, bool bezier) {
  std::vector<TContour> out;
  size_t at = 0;
  while (at < buf.size()) {
    TTPOLYGONHEADER h;
    EXPECT_LE(at + sizeof h, buf.size());
    if (at + sizeof h > buf.size()) break;
    std::memcpy(&h, buf.data() + at, sizeof h);
    EXPECT_EQ(h.dwType, TT_POLYGON_TYPE);
    EXPECT_LE(at + h.cb, buf.size());
    EXPECT_GT(h.cb, sizeof h);
    if (at + h.cb > buf.size() || h.cb <= sizeof h) break;
    TContour c;
    c.Start = Pt(h.pfxStart);
    size_t p = at + sizeof h, end = at + h.cb;
    while (p < end) {
      WORD type, n;
      std::memcpy(&type, buf.data() + p, 2);
      std::memcpy(&n, buf.data() + p + 2, 2);
      EXPECT_GE(n, 1);
      EXPECT_LE(p + 4 + 8 * size_t(n), end);
      if (n < 1 || p + 4 + 8 * size_t(n) > end) return out;
      std::vector<TOutlinePoint> pts(n);
      for (int i = 0; i < n; ++i) {
        POINTFX f;
        std::memcpy(&f, buf.data() + p + 4 + 8 * size_t(i), sizeof f);
        pts[size_t(i)] = Pt(f);
      }
      if (type == TT_PRIM_LINE) {
        for (auto& q : pts) c.Segs.push_back({1, {q}});
      } else if (type == TT_PRIM_QSPLINE && !bezier) {
        EXPECT_GE(n, 2);
        gLongestSpline = std::max(gLongestSpline, int(n));
        for (int k = 0; k + 1 < n; ++k) {
          TOutlinePoint e = k + 2 == n ? pts[size_t(k + 1)] : Mid(pts[size_t(k)], pts[size_t(k + 1)]);
          c.Segs.push_back({2, {pts[size_t(k)], e}});
        }
      } else if (type == TT_PRIM_CSPLINE && bezier) {
        EXPECT_EQ(n % 3, 0);
        for (int k = 0; k + 2 < n; k += 3) c.Segs.push_back({3, {pts[size_t(k)], pts[size_t(k + 1)], pts[size_t(k + 2)]}});
      } else {
        ADD_FAILURE() << "record type " << type;
        return out;
      }
      p += 4 + 8 * size_t(n);
    }
    EXPECT_EQ(p, end);
    out.push_back(std::move(c));
    at = end;
  }
  EXPECT_EQ(at, buf.size());
  return out;
}

std::vector<Byte> Outline(HDC dc, UINT ch, UINT format, const MAT2& m, GLYPHMETRICS* gm = nullptr) {
  GLYPHMETRICS g;
  DWORD need = GetGlyphOutlineW(dc, ch, format, gm ? gm : &g, 0, nullptr, &m);
  EXPECT_NE(need, GDI_ERROR);
  if (need == GDI_ERROR || need == 0) return {};
  std::vector<Byte> buf(need);
  EXPECT_EQ(GetGlyphOutlineW(dc, ch, format, &g, need, buf.data(), &m), need);
  EXPECT_EQ(GetGlyphOutlineW(dc, ch, format, &g, need - 1, buf.data(), &m), GDI_ERROR);
  return buf;
}

// FreeType's own decomposition of a glyph of an installed family.
std::vector<TContour> FreeTypeContours(const char* family, int px, char32_t ch, FT_Int32 flags, bool cubic) {
  std::vector<TContour> out;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, pat, &r);
  FcChar8* file = nullptr;
  int index = 0;
  FcPatternGetString(m, FC_FILE, 0, &file);
  FcPatternGetInteger(m, FC_INDEX, 0, &index);
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face face;
  if (FT_New_Face(lib, reinterpret_cast<const char*>(file), index, &face) == 0) {
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(px));
    FT_Load_Char(face, ch, flags);
    struct TCtx {
      std::vector<TContour>* Out;
      bool Cubic;
      TOutlinePoint Cur;
    } ctx{&out, cubic, {}};
    FT_Outline_Funcs f{};
    f.move_to = [](const FT_Vector* to, void* u) {
      auto* c = static_cast<TCtx*>(u);
      c->Out->push_back({{to->x / 64.0, to->y / 64.0}, {}});
      c->Cur = c->Out->back().Start;
      return 0;
    };
    f.line_to = [](const FT_Vector* to, void* u) {
      auto* c = static_cast<TCtx*>(u);
      c->Cur = {to->x / 64.0, to->y / 64.0};
      c->Out->back().Segs.push_back({1, {c->Cur}});
      return 0;
    };
    f.conic_to = [](const FT_Vector* ct, const FT_Vector* to, void* u) {
      auto* c = static_cast<TCtx*>(u);
      TOutlinePoint q{ct->x / 64.0, ct->y / 64.0}, e{to->x / 64.0, to->y / 64.0};
      if (c->Cubic) {
        TOutlinePoint c1{c->Cur.X + (q.X - c->Cur.X) * 2 / 3, c->Cur.Y + (q.Y - c->Cur.Y) * 2 / 3};
        TOutlinePoint c2{e.X + (q.X - e.X) * 2 / 3, e.Y + (q.Y - e.Y) * 2 / 3};
        c->Out->back().Segs.push_back({3, {c1, c2, e}});
      } else {
        c->Out->back().Segs.push_back({2, {q, e}});
      }
      c->Cur = e;
      return 0;
    };
    f.cubic_to = [](const FT_Vector*, const FT_Vector*, const FT_Vector*, void*) { return 1; };
    FT_Outline_Decompose(&face->glyph->outline, &f, &ctx);
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  FcPatternDestroy(m);
  FcPatternDestroy(pat);
  return out;
}

void ExpectSameContours(const std::vector<TContour>& got, const std::vector<TContour>& want, double tol) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_NEAR(got[i].Start.X, want[i].Start.X, tol);
    EXPECT_NEAR(got[i].Start.Y, want[i].Start.Y, tol);
    ASSERT_EQ(got[i].Segs.size(), want[i].Segs.size()) << "contour " << i;
    for (size_t k = 0; k < got[i].Segs.size(); ++k) {
      ASSERT_EQ(got[i].Segs[k].Kind, want[i].Segs[k].Kind);
      for (int j = 0; j < got[i].Segs[k].Kind; ++j) {
        EXPECT_NEAR(got[i].Segs[k].P[j].X, want[i].Segs[k].P[j].X, tol) << i << "/" << k << "/" << j;
        EXPECT_NEAR(got[i].Segs[k].P[j].Y, want[i].Segs[k].P[j].Y, tol) << i << "/" << k << "/" << j;
      }
    }
  }
}

}  // namespace

TEST(Platform_GlyphOutline, NativeRecordsParseAndTraceFreeTypeContours) {
  TDib dib(4, 4);
  TUseFont use(dib.DC, MakeFont(u"Tahoma", -40));
  for (char16_t ch : std::u16string(u"AgQ@&S8e")) {
    SCOPED_TRACE(ToUtf8(std::u16string(1, ch)));
    auto unhinted = Parse(Outline(dib.DC, ch, GGO_NATIVE | GGO_UNHINTED, kIdentity), false);
    ASSERT_FALSE(unhinted.empty());
    ExpectSameContours(unhinted, FreeTypeContours("DejaVu Sans", 40, ch, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING, false),
                       1.0 / 64);
    auto hinted = Parse(Outline(dib.DC, ch, GGO_NATIVE, kIdentity), false);
    ExpectSameContours(hinted, FreeTypeContours("DejaVu Sans", 40, ch, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL, false),
                       1.0 / 64);
    auto bezier = Parse(Outline(dib.DC, ch, GGO_BEZIER | GGO_UNHINTED, kIdentity), true);
    ExpectSameContours(bezier, FreeTypeContours("DejaVu Sans", 40, ch, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING, true),
                       1.0 / 64);
  }
  // Runs of off-curve points share one record, as the format intends.
  EXPECT_GT(gLongestSpline, 3);
}

TEST(Platform_GlyphOutline, MetricsMatrixSpaceAndErrors) {
  const char32_t missing = CodePointsNoFontCovers();
  ASSERT_NE(missing, 0u) << "the fonts cover the whole private-use area";
  TDib dib(4, 4);
  TUseFont use(dib.DC, MakeFont(u"Tahoma", -20));
  GLYPHMETRICS gm;
  int wA = 0, wSpace = 0;
  GetCharWidth32W(dib.DC, 'A', 'A', &wA);
  GetCharWidth32W(dib.DC, ' ', ' ', &wSpace);
  ASSERT_NE(GetGlyphOutlineW(dib.DC, 'A', GGO_METRICS, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(gm.gmCellIncX, wA);
  EXPECT_EQ(gm.gmCellIncY, 0);
  ABC abc;
  GetCharABCWidthsW(dib.DC, 'A', 'A', &abc);
  EXPECT_EQ(gm.gmptGlyphOrigin.X, abc.abcA);
  EXPECT_EQ(gm.gmBlackBoxX, abc.abcB);
  TEXTMETRICW tm;
  GetTextMetricsW(dib.DC, &tm);
  EXPECT_LE(gm.gmptGlyphOrigin.Y, tm.tmAscent);
  EXPECT_GT(gm.gmptGlyphOrigin.Y, tm.tmAscent / 2);

  // A space has no outline but has metrics.
  std::vector<Byte> buf(64);
  EXPECT_EQ(GetGlyphOutlineW(dib.DC, ' ', GGO_NATIVE, &gm, 64, buf.data(), &kIdentity), 0u);
  EXPECT_EQ(gm.gmCellIncX, wSpace);
  EXPECT_EQ(gm.gmBlackBoxX, 1u);
  EXPECT_EQ(gm.gmBlackBoxY, 1u);

  // Lone surrogates fail; a missing character gives the default glyph (glyph 0).
  EXPECT_EQ(GetGlyphOutlineW(dib.DC, 0xD800, GGO_METRICS, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(dib.DC, 0xDC05, GGO_NATIVE, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
  EXPECT_EQ(Outline(dib.DC, missing, GGO_NATIVE, kIdentity), Outline(dib.DC, 0, GGO_NATIVE | GGO_GLYPH_INDEX, kIdentity));
  EXPECT_FALSE(Outline(dib.DC, missing, GGO_NATIVE, kIdentity).empty());
  EXPECT_EQ(GetGlyphOutlineW(dib.DC, 'A', GGO_NATIVE, &gm, 0, nullptr, nullptr), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(nullptr, 'A', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), GDI_ERROR);

  // eM22 = -1 mirrors y.
  auto up = Parse(Outline(dib.DC, 'g', GGO_NATIVE | GGO_UNHINTED, kIdentity), false);
  auto down = Parse(Outline(dib.DC, 'g', GGO_NATIVE | GGO_UNHINTED, Mat(1, 0, 0, -1)), false);
  ASSERT_EQ(up.size(), down.size());
  for (size_t i = 0; i < up.size(); ++i) {
    EXPECT_DOUBLE_EQ(up[i].Start.X, down[i].Start.X);
    EXPECT_DOUBLE_EQ(up[i].Start.Y, -down[i].Start.Y);
  }
  // Sixteen times wider: advances keep sixteenths of a pixel.
  GLYPHMETRICS wide;
  GetGlyphOutlineW(dib.DC, 'A', GGO_METRICS, &gm, 0, nullptr, &kIdentity);
  GetGlyphOutlineW(dib.DC, 'A', GGO_METRICS, &wide, 0, nullptr, &kIdentity);
  MAT2 m16 = Mat(16, 0, 0, -1);
  GetGlyphOutlineW(dib.DC, 'A', GGO_METRICS, &wide, 0, nullptr, &m16);
  EXPECT_NEAR(wide.gmCellIncX, 16 * gm.gmCellIncX, 16);
  EXPECT_NEAR(double(wide.gmBlackBoxX), 16.0 * gm.gmBlackBoxX, 24);
  EXPECT_NEAR(double(wide.gmBlackBoxY), double(gm.gmBlackBoxY), 1);
  EXPECT_LT(wide.gmptGlyphOrigin.Y, 1);  // y points down now: the top is the most negative
  // A turned matrix turns the advance.
  MAT2 rot = Mat(0, 1, -1, 0);
  GetGlyphOutlineW(dib.DC, 'A', GGO_METRICS, &wide, 0, nullptr, &rot);
  EXPECT_EQ(wide.gmCellIncX, 0);
  EXPECT_EQ(wide.gmCellIncY, gm.gmCellIncX);
  // Other formats are not offered.
  EXPECT_EQ(GetGlyphOutlineW(dib.DC, 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
}

namespace {

// A font whose every glyph is a circle of four cubic arcs.
class TCircleInstance : public TFontInstance {
 public:
  TFontFaceMetrics M;
  TGlyphImage Img;
  TCircleInstance() {
    M.Ascent = 40;
    M.Descent = 10;
    M.EmHeight = 50;
    M.AveCharWidth = M.MaxCharWidth = 50;
    M.FamilyName = u"Circle";
  }
  const TFontFaceMetrics& Metrics() const override { return M; }
  int Escapement() const override { return 0; }
  int Advance(char32_t) override { return 50; }
  const TGlyphImage& Image(char32_t) override { return Img; }
  bool HasChar(char32_t) override { return true; }
  String FamilyFor(char32_t) override { return M.FamilyName; }
  bool Outline(char32_t, bool, bool, const TOutlineMatrix&, TGlyphOutline& out) override {
    const double k = 0.5522847498 * 20, cx = 25, cy = 20, r = 20;
    out = TGlyphOutline{};
    out.AdvanceX = 50;
    TOutlineContour c;
    c.Start = {cx + r, cy};
    auto arc = [&](TOutlinePoint c1, TOutlinePoint c2, TOutlinePoint e) {
      TOutlineSeg s;
      s.Kind = TOutlineSegKind::Cubic;
      s.P[0] = c1;
      s.P[1] = c2;
      s.P[2] = e;
      c.Segs.push_back(s);
    };
    arc({cx + r, cy + k}, {cx + k, cy + r}, {cx, cy + r});
    arc({cx - k, cy + r}, {cx - r, cy + k}, {cx - r, cy});
    arc({cx - r, cy - k}, {cx - k, cy - r}, {cx, cy - r});
    arc({cx + k, cy - r}, {cx + r, cy - k}, {cx + r, cy});
    out.Contours.push_back(c);
    out.BoxLeft = 5;
    out.BoxRight = 45;
    out.BoxBottom = 0;
    out.BoxTop = 40;
    return true;
  }
};
class TCircleProvider : public TGlyphProvider {
 public:
  TFontInstancePtr Realize(const LOGFONTW&) override { return std::make_shared<TCircleInstance>(); }
};

}  // namespace

TEST(Platform_GlyphOutline, CubicOutlinesBecomeQuadraticsWithinASixtyFourth) {
  TGlyphProviderPtr old = SetGlyphProvider(std::make_shared<TCircleProvider>());
  TDib dib(4, 4);
  auto native = Parse(Outline(dib.DC, 'o', GGO_NATIVE, kIdentity), false);
  ASSERT_EQ(native.size(), 1u);
  EXPECT_GT(native[0].Segs.size(), 4u);
  TOutlinePoint cur = native[0].Start;
  for (const TSeg& s : native[0].Segs) {
    ASSERT_EQ(s.Kind, 2);
    for (int i = 0; i <= 16; ++i) {
      double t = i / 16.0, u = 1 - t;
      double x = u * u * cur.X + 2 * u * t * s.P[0].X + t * t * s.P[1].X;
      double y = u * u * cur.Y + 2 * u * t * s.P[0].Y + t * t * s.P[1].Y;
      // The cubic arcs themselves stray from the circle by about 0.006 px.
      EXPECT_NEAR(std::hypot(x - 25, y - 20), 20.0, 1.0 / 64 + 0.006);
    }
    cur = s.P[1];
  }
  EXPECT_NEAR(cur.X, 45, 1e-4);
  EXPECT_NEAR(cur.Y, 20, 1e-4);
  // Bézier records carry the cubics as they are.
  auto bezier = Parse(Outline(dib.DC, 'o', GGO_BEZIER, kIdentity), true);
  ASSERT_EQ(bezier.size(), 1u);
  EXPECT_EQ(bezier[0].Segs.size(), 4u);
  SetGlyphProvider(old);
}

TEST(Platform_GlyphOutline, TheBoxProviderStandsInForLayoutTests) {
  TBoxFonts box;
  TDib dib(4, 4);
  TUseFont use(dib.DC, MakeFont(u"Tahoma", -16));
  GLYPHMETRICS gm;
  auto rec = Parse(Outline(dib.DC, 'W', GGO_NATIVE, kIdentity, &gm), false);
  ASSERT_EQ(rec.size(), 1u);
  ASSERT_EQ(rec[0].Segs.size(), 4u);
  EXPECT_EQ(gm.gmBlackBoxX, 6u);
  EXPECT_EQ(gm.gmBlackBoxY, 11u);
  EXPECT_EQ(gm.gmptGlyphOrigin, TPoint(1, 11));
  EXPECT_EQ(gm.gmCellIncX, 8);
  EXPECT_EQ(Extent(dib.DC, u"Wide").cx, 32);
  WCHAR name[16];
  GetTextFaceW(dib.DC, 16, name);
  EXPECT_EQ(std::u16string(name), u"Box");
}

}  // namespace t_glyph_outline_test
