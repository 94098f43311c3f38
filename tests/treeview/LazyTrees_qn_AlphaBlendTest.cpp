// Blending of 32-bit DIB sections: every byte triple of each line routine
// against a reference written from the formulas, the SSE2 forms against the
// plain ones, and AlphaBlend on real sections (both row orders, clipping,
// the assertions). Also the drag image's update rectangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/gdi/FileMapping.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Kernel.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace t_lazy_trees_qn_alpha_blend_test {

using namespace qn;

namespace {

// The blended byte as the formulas give it: a weighted mean of S and D
// (weights A and 256 - A, rounded down), then the bias, kept to a byte.
int RefChannel(int S, int D, int A, int B) {
  int mean = (S * A + D * (256 - A)) / 256;
  return std::clamp(mean + B, 0, 255);
}

// Runs one line routine over rows covering every (S, D) pair for each A;
// Check(s, d, a, got) sees each result byte of the blue lane.
template <class Fill, class Check>
void EveryTriple(TAlphaLineProc Line, Integer Param, Integer Bias, Fill MakeSource, Check Expect) {
  std::vector<Cardinal> src(256), dst(256);
  for (int a = 0; a < 256; ++a)
    for (int s = 0; s < 256; ++s) {
      for (int d = 0; d < 256; ++d) {
        src[d] = MakeSource(s, a);
        dst[d] = Cardinal(d) * 0x01010101u;
      }
      Line(src.data(), dst.data(), 256, Param == -1 ? a : Param, Bias);
      for (int d = 0; d < 256; ++d)
        if (!Expect(s, d, a, int(dst[d] & 0xFF), dst[d])) return;
    }
}

struct TLineForms {
  const char* Name;
  TAlphaLineSet Set;
};

std::vector<TLineForms> Forms() { return {{"plain", PlainAlphaLines()}, {"SSE2", SSE2AlphaLines()}}; }

}  // namespace

TEST(LazyTrees_qn_AlphaBlend, EveryByteTripleOfEachModeFollowsTheFormulas) {
  for (const TLineForms& f : Forms()) {
    SCOPED_TRACE(f.Name);
    int failures = 0;
    auto report = [&](const char* mode, int s, int d, int a, int got, int want) {
      if (got == want) return true;
      ADD_FAILURE() << mode << " S=" << s << " D=" << d << " A=" << a << " got " << got << " want " << want;
      return ++failures < 5;
    };
    // Constant alpha, with a bias.
    EveryTriple(f.Set.ConstantAlpha, -1, 3, [](int s, int) { return Cardinal(s) * 0x01010101u; },
                [&](int s, int d, int a, int got, Cardinal) {
                  return report("constant", s, d, a, got, RefChannel(s, d, a, 3));
                });
    // Per pixel: the source's own alpha byte weighs it; the colour lanes
    // carry S.
    EveryTriple(f.Set.PerPixelAlpha, 0, -2, [](int s, int a) { return (Cardinal(a) << 24) | Cardinal(s) * 0x010101u; },
                [&](int s, int d, int a, int got, Cardinal px) {
                  bool ok = report("per pixel", s, d, a, got, RefChannel(s, d, a, -2));
                  return ok && report("per pixel alpha", a, d, a, int(px >> 24), RefChannel(a, d, a, -2));
                });
    // Master alpha scales the source alpha first.
    for (int master : {255, 128, 7}) {
      EveryTriple(f.Set.MasterAlpha, master, 0,
                  [](int s, int a) { return (Cardinal(a) << 24) | Cardinal(s) * 0x010101u; },
                  [&](int s, int d, int a, int got, Cardinal) {
                    return report("master", s, d, a, got, RefChannel(s, d, a * master / 256, 0));
                  });
    }
    // A colour over the destination: C in every colour lane, alpha lane 0.
    for (int a = 0; a < 256; ++a)
      for (int c = 0; c < 256; c += 1) {
        std::vector<Cardinal> dst(256);
        for (int d = 0; d < 256; ++d) dst[d] = Cardinal(d) * 0x01010101u;
        f.Set.MasterAndColor(nullptr, dst.data(), 256, a, Integer(Cardinal(c) * 0x010101u));
        for (int d = 0; d < 256 && failures < 5; ++d) {
          report("colour", c, d, a, int(dst[d] & 0xFF), (d * (256 - a) + c * a) >> 8);
          report("colour alpha", 0, d, a, int(dst[d] >> 24), (d * (256 - a)) >> 8);
        }
      }
    EXPECT_EQ(failures, 0);
  }
}

TEST(LazyTrees_qn_AlphaBlend, SSE2EqualsPlainOnRandomRunsOfEveryLength) {
  std::mt19937 rng(73);
  TAlphaLineSet plain = PlainAlphaLines(), sse = SSE2AlphaLines();
  TAlphaLineProc TAlphaLineSet::*lines[] = {&TAlphaLineSet::ConstantAlpha, &TAlphaLineSet::PerPixelAlpha,
                                            &TAlphaLineSet::MasterAlpha, &TAlphaLineSet::MasterAndColor};
  for (int round = 0; round < 2000; ++round) {
    int count = int(rng() % 19);
    std::vector<Cardinal> src(count + 1), d1(count + 1), d2;
    for (auto& v : src) v = rng();
    for (auto& v : d1) v = rng();
    d2 = d1;
    auto which = lines[round % 4];
    Integer alpha = Integer(rng() % 256);
    Integer bias = round % 4 == 3 ? Integer(rng() & 0xFFFFFF) : Integer(rng() % 601) - 300;
    (plain.*which)(src.data(), d1.data(), count, alpha, bias);
    (sse.*which)(src.data(), d2.data(), count, alpha, bias);
    ASSERT_EQ(d1, d2) << "routine " << round % 4 << " count " << count;
  }
}

TEST(LazyTrees_qn_AlphaBlend, EdgeValuesOfAlphaAndBias) {
  for (const TLineForms& f : Forms()) {
    SCOPED_TRACE(f.Name);
    Cardinal src[4] = {0xFF102030, 0x80FFFFFF, 0x00000000, 0x7F7F7F7F};
    // Alpha 0: the destination stays; alpha 255: the source, at most one
    // step below.
    Cardinal dst[4] = {0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF00};
    Cardinal keep[4];
    std::memcpy(keep, dst, sizeof dst);
    f.Set.ConstantAlpha(src, dst, 4, 0, 0);
    EXPECT_EQ(0, std::memcmp(keep, dst, sizeof dst));
    f.Set.ConstantAlpha(src, dst, 4, 255, 0);
    for (int i = 0; i < 4; ++i)
      for (int sh = 0; sh < 32; sh += 8) {
        int s = int((src[i] >> sh) & 0xFF), d = int((dst[i] >> sh) & 0xFF);
        EXPECT_TRUE(d == s || d == s - 1) << i << ":" << sh;
      }
    // Black at alpha 128 over white: 127 in every byte.
    Cardinal white[3] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    f.Set.MasterAndColor(nullptr, white, 3, 128, 0);
    EXPECT_EQ(white[0], 0x7F7F7F7Fu);
    EXPECT_EQ(white[2], 0x7F7F7F7Fu);
    // Biases darken and lighten and saturate; a bias far beyond 16 bits
    // saturates instead of wrapping round.
    for (Integer bias : {-40, -1000, 40, 1000, 100000, -100000}) {
      Cardinal mid[3] = {0x80808080, 0x10101010, 0xF0F0F0F0};
      Cardinal same[3] = {0x80808080, 0x10101010, 0xF0F0F0F0};
      f.Set.ConstantAlpha(same, mid, 3, 200, bias);
      for (int i = 0; i < 3; ++i) {
        int base = int(same[i] & 0xFF);
        EXPECT_EQ(int(mid[i] & 0xFF), std::clamp(base + bias, 0, 255)) << "bias " << bias;
      }
    }
  }
}

namespace {

// A 32-bit DIB section selected into a memory DC, rows bottom-up or top-down.
struct TSection {
  HDC DC = nullptr;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ Old = nullptr;
  Cardinal* Bits = nullptr;
  int W, H;
  bool TopDown;
  TSection(int w, int h, bool topDown, HANDLE mapping = nullptr, DWORD offset = 0, int bpp = 32)
      : W(w), H(h), TopDown(topDown) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = topDown ? -h : h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = WORD(bpp);
    void* bits = nullptr;
    Bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, mapping, offset);
    Bits = static_cast<Cardinal*>(bits);
    DC = CreateCompatibleDC(nullptr);
    Old = SelectObject(DC, Bitmap);
  }
  ~TSection() {
    SelectObject(DC, Old);
    DeleteDC(DC);
    DeleteObject(Bitmap);
  }
  // Pixel (x, y) with y counted from the top of the picture.
  Cardinal& At(int x, int y) { return Bits[std::size_t(TopDown ? y : H - 1 - y) * W + x]; }
};

}  // namespace

TEST(LazyTrees_qn_AlphaBlend, BottomUpAndTopDownSectionsGiveTheSamePicture) {
  std::mt19937 rng(5);
  for (TBlendMode mode : {bmConstantAlpha, bmPerPixelAlpha, bmMasterAlpha, bmConstantAlphaAndColor}) {
    TSection s1(13, 9, false), s2(13, 9, true), d1(17, 11, false), d2(17, 11, true);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 13; ++x) s1.At(x, y) = s2.At(x, y) = rng();
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 17; ++x) d1.At(x, y) = d2.At(x, y) = rng();
    TRect r(2, 1, 11, 8);
    AlphaBlend(s1.DC, d1.DC, r, TPoint(5, 3), mode, 150, mode == bmConstantAlphaAndColor ? 0x00336699 : 12);
    AlphaBlend(s2.DC, d2.DC, r, TPoint(5, 3), mode, 150, mode == bmConstantAlphaAndColor ? 0x00336699 : 12);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 17; ++x) ASSERT_EQ(d1.At(x, y), d2.At(x, y)) << int(mode) << " at " << x << "," << y;
    // The blend lands where asked: the colour mode on R itself, the others
    // at Target.
    if (mode == bmConstantAlphaAndColor) {
      TSection probe(17, 11, true);
      for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 17; ++x) probe.At(x, y) = 0xFFFFFFFF;
      AlphaBlend(nullptr, probe.DC, r, TPoint(0, 0), mode, 128, 0x00000000);
      EXPECT_EQ(probe.At(2, 1), 0x7F7F7F7Fu);
      EXPECT_EQ(probe.At(10, 7), 0x7F7F7F7Fu);
      EXPECT_EQ(probe.At(11, 7), 0xFFFFFFFFu);
      EXPECT_EQ(probe.At(2, 0), 0xFFFFFFFFu);
      // COLORREF red lowest becomes the DIB's red byte.
      AlphaBlend(nullptr, probe.DC, TRect(0, 0, 1, 1), TPoint(0, 0), mode, 255, 0x000000FF);
      EXPECT_EQ(probe.At(0, 0), 0x00FF0000u);
    } else {
      TSection probe(17, 11, false);
      TSection one(13, 9, false);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) one.At(x, y) = 0xFF000000u | Cardinal(x * 16 + y);
      AlphaBlend(one.DC, probe.DC, r, TPoint(5, 3), mode, 255, 0);
      // Source (2, 1) lands on (5, 3); with A = 255 on black the byte is just below.
      Cardinal want = one.At(2, 1);
      int got = int(probe.At(5, 3) & 0xFF), s = int(want & 0xFF);
      EXPECT_TRUE(got == s || got == s - 1 || (mode == bmMasterAlpha && got >= s - 2)) << got << " vs " << s;
      EXPECT_EQ(probe.At(4, 3), 0u);
      EXPECT_EQ(probe.At(5, 2), 0u);
    }
  }
}

TEST(LazyTrees_qn_AlphaBlend, RectanglesLargerThanBothBitmapsStayInside) {
  // The destination's pixels sit between guard bytes in one mapping.
  const int w = 6, h = 5, guard = 64;
  DWORD size = DWORD(guard + w * h * 4 + guard);
  HANDLE mapping = CreateFileMappingW(INVALID_FILE_HANDLE, nullptr, PAGE_READWRITE, 0, size, nullptr);
  ASSERT_NE(mapping, nullptr);
  auto* view = static_cast<Byte*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  std::memset(view, 0xA5, size);
  {
    for (bool topDown : {false, true}) {
      TSection dst(w, h, topDown, mapping, guard);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dst.At(x, y) = 0;
      TSection src(4, 3, !topDown);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) src.At(x, y) = 0xFFFFFFFF;
      // Rectangles reaching past every side of both bitmaps, with targets
      // before and after the destination's origin.
      for (TBlendMode mode : {bmConstantAlpha, bmPerPixelAlpha, bmMasterAlpha}) {
        AlphaBlend(src.DC, dst.DC, TRect(-20, -20, 40, 40), TPoint(-17, -19), mode, 255, 0);
        AlphaBlend(src.DC, dst.DC, TRect(-3, -2, 400, 300), TPoint(3, 2), mode, 255, 0);
      }
      // The first call put source (0, 0) on (3, 1); the second maps it to
      // (6, 4), just outside.
      EXPECT_NE(dst.At(3, 2), 0u);
      EXPECT_NE(dst.At(3, 1), 0u);
      EXPECT_EQ(dst.At(0, 0), 0u);
      AlphaBlend(nullptr, dst.DC, TRect(-20, -20, 40, 40), TPoint(0, 0), bmConstantAlphaAndColor, 255, 0x00FFFFFF);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) EXPECT_NE(dst.At(x, y), 0u) << x << "," << y;
    }
    for (int i = 0; i < guard; ++i) {
      ASSERT_EQ(view[i], 0xA5) << "before, byte " << i;
      ASSERT_EQ(view[guard + w * h * 4 + i], 0xA5) << "after, byte " << i;
    }
  }
  UnmapViewOfFile(view);
  CloseFileMappingHandle(mapping);
}

TEST(LazyTrees_qn_AlphaBlend, ClippedBlendEqualsTheUnclippedPartOfAPixelReference) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    int sw = 1 + int(rng() % 12), sh = 1 + int(rng() % 12), dw = 1 + int(rng() % 12), dh = 1 + int(rng() % 12);
    TSection src(sw, sh, rng() % 2), dst(dw, dh, rng() % 2);
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw; ++x) src.At(x, y) = rng();
    std::vector<Cardinal> ref(std::size_t(dw * dh));
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) ref[std::size_t(y * dw + x)] = dst.At(x, y) = rng();
    TRect r(int(rng() % 20) - 8, int(rng() % 20) - 8, 0, 0);
    r.Right = r.Left + int(rng() % 20);
    r.Bottom = r.Top + int(rng() % 20);
    TPoint t(int(rng() % 20) - 8, int(rng() % 20) - 8);
    Integer alpha = Integer(rng() % 256), bias = Integer(rng() % 41) - 20;
    AlphaBlend(src.DC, dst.DC, r, t, bmConstantAlpha, alpha, bias);
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        int tx = t.X + x - r.Left, ty = t.Y + y - r.Top;
        if (x < 0 || y < 0 || x >= sw || y >= sh || tx < 0 || ty < 0 || tx >= dw || ty >= dh) continue;
        Cardinal s = src.At(x, y), d = ref[std::size_t(ty * dw + tx)], out = 0;
        for (int b = 0; b < 32; b += 8)
          out |= Cardinal(RefChannel(int((s >> b) & 0xFF), int((d >> b) & 0xFF), alpha, bias)) << b;
        ref[std::size_t(ty * dw + tx)] = out;
      }
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) ASSERT_EQ(dst.At(x, y), ref[std::size_t(y * dw + x)]) << round;
  }
}

TEST(LazyTrees_qn_AlphaBlend, BitmapsThatAreNot32BitDIBSectionsFailTheAssertions) {
  TSection ok(4, 4, false);
  TSection deep(4, 4, false, nullptr, 0, 24);
  HDC plain = CreateCompatibleDC(nullptr);  // holds its 1x1 monochrome stock bitmap
  auto message = [](auto&& F) {
    try {
      F();
    } catch (const Exception& e) {
      return e.Message();
    }
    return String(u"(nothing raised)");
  };
  auto has = [](const String& m, const char16_t* text) { return m.find(text) != String::npos; };
  EXPECT_TRUE(has(message([&] { AlphaBlend(deep.DC, ok.DC, TRect(0, 0, 2, 2), TPoint(0, 0), bmConstantAlpha, 9, 0); }),
                  u"Alpha blending error: bitmap must use 32 bpp."));
  EXPECT_TRUE(has(message([&] { AlphaBlend(ok.DC, plain, TRect(0, 0, 2, 2), TPoint(0, 0), bmConstantAlpha, 9, 0); }),
                  u"Alpha blending DC error: no bitmap available."));
  // An empty rectangle looks at nothing.
  EXPECT_EQ(message([&] { AlphaBlend(deep.DC, plain, TRect(3, 3, 3, 9), TPoint(0, 0), bmConstantAlpha, 9, 0); }),
            u"(nothing raised)");
  DeleteDC(plain);
}

TEST(LazyTrees_qn_AlphaBlend, BindingAndTheProcessorFlag) {
  RebindAlphaLines(true);
  EXPECT_EQ(AlphaLines().ConstantAlpha, PlainAlphaLines().ConstantAlpha);
  EXPECT_EQ(AlphaLines().MasterAndColor, PlainAlphaLines().MasterAndColor);
  RebindAlphaLines();
  if (IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE)) {
    EXPECT_EQ(AlphaLines().PerPixelAlpha, SSE2AlphaLines().PerPixelAlpha);
  }
  SetProcessorFeatureOverride(PF_MMX_INSTRUCTIONS_AVAILABLE, false);
  EXPECT_FALSE(DetectMMX());
  SetProcessorFeatureOverride(PF_MMX_INSTRUCTIONS_AVAILABLE, true);
  EXPECT_TRUE(DetectMMX());
  ResetProcessorFeatureOverrides();
}

// ---------------------------------------------------------------------------
// Drag image update rectangles

TEST(LazyTrees_qn_DragRects, TheNineMovesAndTheirEdgeCases) {
  const int W = 40, H = 30;
  struct Row {
    int DX, DY;
    TRect R[6];
  };
  // dx = 5, dy = 3 in magnitude.
  const Row rows[] = {
      {5, 3, {{0, 0, W, H}, {0, 0, W - 5, H - 3}, {0, 0, 5, H}, {5, 0, W - 5, 3}, {0, H - 3, W - 5, 3}, {W - 5, 0, 5, H}}},
      {5, 0, {{0, 0, W, H}, {0, 0, W - 5, H}, {0, 0, 5, H}, {0, 0, 0, 0}, {W - 5, 0, 5, H}, {0, 0, 0, 0}}},
      {5, -3, {{0, 0, W, H}, {0, 3, W - 5, H}, {0, 0, 5, H}, {5, H - 3, W - 5, 3}, {0, 0, W - 5, 3}, {W - 5, 0, 5, H}}},
      {0, 3, {{0, 0, W, H}, {0, 0, W, H - 3}, {0, 0, 0, 0}, {0, 0, W, 3}, {0, 0, 0, 0}, {0, H - 3, W, 3}}},
      {0, 0, {{0, 0, W, H}, {0, 0, W, H}, {0, 0, 0, 0}, {0, 0, W, 0}, {0, 0, 0, 0}, {0, H, W, 0}}},
      {0, -3, {{0, 0, W, H}, {0, 3, W, H}, {0, 0, 0, 0}, {0, H - 3, W, 3}, {0, 0, 0, 0}, {0, 0, W, 3}}},
      {-5, 3, {{0, 0, W, H}, {5, 0, W, H}, {0, 0, W - 5, 3}, {W - 5, 0, 5, H}, {0, 0, 5, H}, {5, H - 3, W - 5, 3}}},
      {-5, 0, {{0, 0, W, H}, {5, 0, W, H}, {W - 5, 0, 5, H}, {0, 0, 0, 0}, {0, 0, 5, H}, {0, 0, 0, 0}}},
      {-5, -3, {{0, 0, W, H}, {5, 3, W, H}, {0, H - 3, W - 5, 3}, {W - 5, 0, 5, H}, {0, 0, 5, H}, {5, 0, W - 5, 3}}},
  };
  for (const Row& row : rows) {
    TRect r[6];
    // Garbage in the outputs must not survive.
    for (TRect& x : r) x = TRect(99, 99, 99, 99);
    GetDragImageUpdateRects(W, H, row.DX, row.DY, r[0], r[1], r[2], r[3], r[4], r[5]);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r[i], row.R[i]) << "move " << row.DX << "," << row.DY << " R" << i + 1;
  }
  // No move: R2 is R1, R3 and R5 are empty, R4 and R6 have no height.
  TRect r[6];
  GetDragImageUpdateRects(17, 9, 0, 0, r[0], r[1], r[2], r[3], r[4], r[5]);
  EXPECT_EQ(r[1], r[0]);
  EXPECT_TRUE(r[2].Right == 0 && r[2].Bottom == 0 && r[4].Right == 0 && r[4].Bottom == 0);
  EXPECT_EQ(r[3].Bottom, 0);
  EXPECT_EQ(r[5].Bottom, 0);
  // Purely horizontal moves leave R4 and R6 zero; vertical ones R3 and R5.
  for (int d : {-7, 7}) {
    GetDragImageUpdateRects(17, 9, d, 0, r[0], r[1], r[2], r[3], r[4], r[5]);
    EXPECT_EQ(r[3], TRect(0, 0, 0, 0));
    EXPECT_EQ(r[5], TRect(0, 0, 0, 0));
    GetDragImageUpdateRects(17, 9, 0, d, r[0], r[1], r[2], r[3], r[4], r[5]);
    EXPECT_EQ(r[2], TRect(0, 0, 0, 0));
    EXPECT_EQ(r[4], TRect(0, 0, 0, 0));
  }
}

}  // namespace t_lazy_trees_qn_alpha_blend_test
