#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Blend_qn.h"
#include "tests/graphics/raster/RasterTestSupport.h"

namespace t_pix32_blend_test {

using namespace qn;

namespace {

// ---- Scalar models of the documented arithmetic, written independently ----

int C(TColor32 c, int i) { return (c >> (8 * i)) & 0xFF; }  // i: 0 blue, 1 green, 2 red, 3 alpha
TColor32 Make(const int v[4]) {
  TColor32 r = 0;
  for (int i = 0; i < 4; ++i) r |= TColor32(v[i] & 0xFF) << (8 * i);
  return r;
}
// Round(a*b/255): never a tie, since 255 is odd.
int Div8(int a, int b) { return (2 * a * b + 255) / 510; }
// Round(b*255/a), ties to even, low 8 bits.
int Rc(int a, int b) {
  if (a == 0) return 0;
  int n = b * 255, q = n / a, r = n % a;
  if (2 * r > a || (2 * r == a && (q & 1))) ++q;
  return q & 0xFF;
}
TColor32 OverW(TColor32 F, TColor32 B, int w, int alpha) {
  int v[4];
  for (int i = 0; i < 3; ++i) v[i] = Div8(w, C(F, i)) + Div8(255 - w, C(B, i));
  v[3] = alpha;
  return Make(v);
}
TColor32 InterpM(TColor32 F, TColor32 B, int a) {
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = (C(B, i) * 256 + 128 + (C(F, i) - C(B, i)) * a) >> 8;
  return Make(v);
}
TColor32 OverSSE(TColor32 F, TColor32 B) {
  const int fa = C(F, 3), ba = C(B, 3);
  int v[4];
  for (int i = 0; i < 3; ++i) v[i] = ((C(F, i) * fa + 128) >> 8) + C(B, i) - ((C(B, i) * fa + 128) >> 8);
  v[3] = std::min(255, fa + ba - ((ba * fa + 128) >> 8));
  return Make(v);
}

TColor32 BlendRegPlain(TColor32 F, TColor32 B) {
  int a = C(F, 3);
  return a == 0 ? B : a == 255 ? F : OverW(F, B, a, C(B, 3));
}
TColor32 BlendRegExPlain(TColor32 F, TColor32 B, int M) {
  int a = Div8(M, C(F, 3));
  return a == 0 ? B : a == 255 ? F : OverW(F, B, a, C(B, 3));
}
TColor32 BlendRegExSSE(TColor32 F, TColor32 B, int M) {
  int a = ((M + 1) * C(F, 3)) >> 8;
  return (C(F, 3) == 0 || a == 0) ? B : InterpM(F, B, a);
}
TColor32 BlendMemSSE(TColor32 F, TColor32 B) {
  int a = C(F, 3);
  return a == 0 ? B : a == 255 ? F : InterpM(F, B, a);
}
TColor32 CombinePlain(TColor32 X, TColor32 Y, int W) { return W == 0 ? Y : W >= 255 ? X : OverW(X, Y, W, C(X, 3)); }
TColor32 CombineMemSSE(TColor32 X, TColor32 Y, int W) { return W == 0 ? Y : W == 255 ? X : InterpM(X, Y, W); }
TColor32 LineExSSE(TColor32 F, TColor32 B, int M) {
  if (C(F, 3) == 0) return B;
  int a = ((C(F, 3) + 1) * M) >> 8;
  return a == 0 ? B : InterpM(F, B, a);
}
// The compositing merge, with the plain BlendReg for opaque backgrounds.
TColor32 MergePlain(TColor32 F, TColor32 B) {
  const int fa = C(F, 3), ba = C(B, 3);
  if (fa == 0) return B;
  if (ba == 255) return BlendRegPlain(F, B) | 0xFF000000u;
  if (fa == 255 || ba == 0) return F;
  const int xa = fa + ba - Div8(ba, fa);
  int v[4];
  for (int i = 0; i < 3; ++i) {
    int b = Div8(ba, C(B, i)), d = C(F, i) - b;
    int w = d >= 0 ? b + Div8(fa, d) : b - Div8(fa, -d);
    v[i] = Rc(xa, w);
  }
  v[3] = xa;
  return Make(v);
}
TColor32 MergeTable(TColor32 F, TColor32 B) {
  const int fa = C(F, 3), ba = C(B, 3);
  if (fa == 255) return F;
  if (fa == 0) return B;
  if (ba == 0) return F;
  const int xa = 255 - Div8(255 - fa, 255 - ba);
  return OverW(F, B, Rc(xa, fa), xa);
}
TColor32 ScaleAlphaM(TColor32 F, int M) { return (F & 0xFFFFFFu) | TColor32(Div8(M, C(F, 3))) << 24; }

template <class Op>
TColor32 PerChannel(TColor32 a, TColor32 b, Op op) {
  int v[4];
  for (int i = 0; i < 4; ++i) v[i] = op(C(a, i), C(b, i));
  return Make(v);
}
TColor32 ColorOpModel(Integer id, TColor32 a, TColor32 b) {
  switch (id) {
    case FID_COLORMAX: return PerChannel(a, b, [](int x, int y) { return std::max(x, y); });
    case FID_COLORMIN: return PerChannel(a, b, [](int x, int y) { return std::min(x, y); });
    case FID_COLORADD: return PerChannel(a, b, [](int x, int y) { return std::min(x + y, 255); });
    case FID_COLORSUB: return PerChannel(a, b, [](int x, int y) { return std::max(x - y, 0); });
    case FID_COLORDIV: return PerChannel(a, b, [](int x, int y) { return x == 0 ? 255 : std::min(y * 256 / x, 255); });
    case FID_COLORMODULATE: return PerChannel(a, b, [](int x, int y) { return (x * y) >> 8; });
    case FID_COLORDIFFERENCE: return PerChannel(a, b, [](int x, int y) { return std::abs(x - y); });
    case FID_COLOREXCLUSION: return PerChannel(a, b, [](int x, int y) { return x + y - ((x * y) >> 7); });
    case FID_COLORAVERAGE: return PerChannel(a, b, [](int x, int y) { return (x + y) / 2; });
  }
  ADD_FAILURE() << "no model for " << id;
  return 0;
}
TColor32 RGBModel(TColor32 F, TColor32 B, TColor32 W, bool sse) {
  int v[4];
  const int w[3] = {C(W, 2), C(W, 1), C(W, 0)};  // blue, green, red weights: bytes 2, 1, 0
  for (int i = 0; i < 3; ++i)
    v[i] = sse ? (C(B, i) * 256 + 128 + (C(F, i) - C(B, i)) * w[i]) >> 8 : C(B, i) + (C(F, i) - C(B, i)) * w[i] / 255;
  v[3] = C(B, 3);
  return Make(v);
}

// ---- Inputs that reach the shortcuts and the extremes ----

struct Gen {
  std::mt19937 rng{12345};
  int Byte() {
    static const int edges[] = {0, 1, 127, 128, 254, 255};
    return rng() % 3 == 0 ? edges[rng() % 6] : static_cast<int>(rng() & 0xFF);
  }
  TColor32 Pixel() {
    TColor32 c = rng();
    if (rng() % 4 == 0) c = (c & 0x00FFFFFFu) | (rng() % 2 ? 0xFF000000u : 0u);
    if (rng() % 8 == 0) c ^= 0x00FFFFFFu & (rng() % 2 ? 0 : 0x00FFFFFFu);
    return (c & 0x00FFFFFFu) | TColor32(Byte()) << 24;
  }
};

bool IsPlain(PFunctionInfo i) { return std::strcmp(i->Name, "plain") == 0; }

// Binds `info` for its ID and the plain form everywhere else, so a variant
// is checked alone; the default binding comes back at scope exit.
class Isolate {
 public:
  explicit Isolate(PFunctionInfo info) {
    BlendRegistry->RebindAll([info](PFunctionInfo i) {
      if (i->FunctionID == info->FunctionID) return i == info ? 0 : INVALID_PRIORITY;
      return IsPlain(i) ? 0 : INVALID_PRIORITY;
    });
  }
  ~Isolate() { BlendRegistry->RebindAll(); }
};

std::string Label(PFunctionInfo i) { return std::to_string(i->FunctionID) + "/" + i->Name; }
constexpr int kRuns = 1000000;

}  // namespace

TEST(Pix32_Blend_qn, PlainExamples) {
  Isolate plainBlend(rastertest::Variants(BlendRegistry, FID_BLENDREG)[0]);
  EXPECT_EQ(BlendReg(0x80FF0000u, 0xFF0000FFu), 0xFF80007Fu);
  EXPECT_EQ(BlendReg(0x00123456u, 0x80654321u), 0x80654321u);
  EXPECT_EQ(BlendReg(0xFF123456u, 0x80654321u), 0xFF123456u);
  EXPECT_EQ(MergeReg(0x80FF0000u, 0x000000FFu), 0x80FF0000u);
  EXPECT_EQ(MergeReg(0x80FF0000u, 0xFF0000FFu), BlendReg(0x80FF0000u, 0xFF0000FFu) | 0xFF000000u);
  EXPECT_EQ(ColorDiv(0, 0x12345678u), 0xFFFFFFFFu);
  EXPECT_EQ(ColorAdd(0xFF808080u, 0xFF808080u), 0xFFFFFFFFu);
  EXPECT_EQ(CombineReg(0x11223344u, 0x55667788u, 0), 0x55667788u);
  EXPECT_EQ(CombineReg(0x11223344u, 0x55667788u, 255), 0x11223344u);
  EXPECT_EQ(RcTable[2][1], 128);
  EXPECT_EQ(DivTable[255][255], 255);
  EXPECT_EQ(DivTable[128][1], 1);
  EXPECT_EQ(Lighten(0x80FE0201u, 3), 0x80FF0504u);
  EXPECT_EQ(Lighten(0x80FE0201u, -2), 0x80FC0000u);
  // The tables reach the routines bound now.
  EXPECT_EQ(*BLEND_REG[static_cast<int>(TCombineMode::cmMerge)], MergeReg);
  EXPECT_EQ(*BLEND_LINE_EX[static_cast<int>(TCombineMode::cmBlend)], BlendLineEx);
}

TEST(Pix32_Blend_qn, TablesMatchTheirDefinition) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      ASSERT_EQ(DivTable[a][b], Div8(a, b));
      ASSERT_EQ(RcTable[a][b], Rc(a, b));
    }
  ASSERT_NE(alpha_ptr, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(alpha_ptr) % 16, 0u);
  EXPECT_EQ(alpha_ptr[200 * 8 + 5], 200);
  EXPECT_EQ(bias_ptr[3], 128);
}

TEST(Pix32_Blend_qn, ProcessorFormsAreBoundOnX86_64) {
#if defined(__x86_64__)
  for (Integer b = 0; b < BlendRegistry->BindingCount(); ++b) {
    const PFunctionInfo info = BlendRegistry->BoundInfo(b);
    ASSERT_NE(info, nullptr);
    const bool hasForm = rastertest::Variants(BlendRegistry, info->FunctionID).size() > 1 &&
                         info->FunctionID != FID_MERGEREG;
    if (hasForm) {
      EXPECT_FALSE(IsPlain(info)) << BlendRegistry->Bindings(b)->Name;
    }
  }
  EXPECT_STREQ(BlendRegistry->BoundInfo(FID_MERGEREG)->Name, "plain");
#endif
}

TEST(Pix32_Blend_qn, RegisterAndMemoryFormsMatchTheirModels) {
  for (Integer id : {FID_BLENDREG, FID_BLENDMEM, FID_MERGEREG, FID_MERGEMEM, FID_BLENDREGEX, FID_BLENDMEMEX,
                     FID_MERGEREGEX, FID_MERGEMEMEX, FID_COMBINEREG, FID_COMBINEMEM, FID_BLENDREGRGB,
                     FID_BLENDMEMRGB}) {
    for (PFunctionInfo info : rastertest::Variants(BlendRegistry, id)) {
      Isolate bind(info);
      const bool plain = IsPlain(info), table = std::strcmp(info->Name, "table") == 0;
      Gen g;
      for (int n = 0; n < kRuns; ++n) {
        const TColor32 F = g.Pixel(), B = g.Pixel();
        const int M = g.Byte();
        TColor32 got = 0, want = 0, mem = B;
        switch (id) {
          case FID_BLENDREG: got = BlendReg(F, B); want = plain ? BlendRegPlain(F, B) : InterpM(F, B, C(F, 3)); break;
          case FID_BLENDMEM: BlendMem(F, mem); got = mem; want = plain ? BlendRegPlain(F, B) : BlendMemSSE(F, B); break;
          case FID_MERGEREG: got = MergeReg(F, B); want = table ? MergeTable(F, B) : MergePlain(F, B); break;
          case FID_MERGEMEM: MergeMem(F, mem); got = mem; want = MergePlain(F, B); break;
          case FID_BLENDREGEX: got = BlendRegEx(F, B, M); want = plain ? BlendRegExPlain(F, B, M) : BlendRegExSSE(F, B, M); break;
          case FID_BLENDMEMEX: BlendMemEx(F, mem, M); got = mem; want = plain ? BlendRegExPlain(F, B, M) : BlendRegExSSE(F, B, M); break;
          case FID_MERGEREGEX: got = MergeRegEx(F, B, M); want = MergePlain(ScaleAlphaM(F, M), B); break;
          case FID_MERGEMEMEX: MergeMemEx(F, mem, M); got = mem; want = MergePlain(ScaleAlphaM(F, M), B); break;
          case FID_COMBINEREG: got = CombineReg(F, B, M); want = plain ? CombinePlain(F, B, M) : InterpM(F, B, M); break;
          case FID_COMBINEMEM: CombineMem(F, mem, M); got = mem; want = plain ? CombinePlain(F, B, M) : CombineMemSSE(F, B, M); break;
          case FID_BLENDREGRGB: {
            const TColor32 W = g.rng() % 4 == 0 ? 0xFFFFFFFFu : g.rng();
            got = BlendRegRGB(F, B, W); want = RGBModel(F, B, W, !plain);
            break;
          }
          case FID_BLENDMEMRGB: {
            const TColor32 W = g.rng() % 4 == 0 ? 0xFFFFFFFFu : g.rng();
            BlendMemRGB(F, mem, W); got = mem; want = RGBModel(F, B, W, !plain);
            break;
          }
        }
        ASSERT_EQ(got, want) << Label(info) << std::hex << " F=" << F << " B=" << B << " M=" << M;
      }
    }
  }
}

TEST(Pix32_Blend_qn, ColourArithmeticMatchesItsModels) {
  for (Integer id : {FID_COLORMAX, FID_COLORMIN, FID_COLORAVERAGE, FID_COLORADD, FID_COLORSUB, FID_COLORDIV,
                     FID_COLORMODULATE, FID_COLORDIFFERENCE, FID_COLOREXCLUSION, FID_COLORSCALE, FID_LIGHTEN}) {
    for (PFunctionInfo info : rastertest::Variants(BlendRegistry, id)) {
      Isolate bind(info);
      Gen g;
      for (int n = 0; n < kRuns; ++n) {
        const TColor32 a = g.Pixel(), b = g.Pixel();
        if (id == FID_COLORSCALE) {
          const Cardinal w = g.rng() % 8 == 0 ? g.rng() % 100000 : static_cast<Cardinal>(g.Byte());
          const TColor32 want = PerChannel(a, 0, [w](int x, int) { return static_cast<int>(std::min<UInt64>((UInt64(x) * w) >> 8, 255)); });
          ASSERT_EQ(ColorScale(a, w), want) << Label(info) << std::hex << " " << a << " " << w;
        } else if (id == FID_LIGHTEN) {
          const Integer amount = static_cast<Integer>(g.rng() % 701) - 350;
          int v[4];
          for (int i = 0; i < 3; ++i) v[i] = std::clamp(C(a, i) + amount, 0, 255);
          v[3] = C(a, 3);
          ASSERT_EQ(LightenReg(a, amount), Make(v)) << Label(info) << std::hex << " " << a << " " << amount;
        } else {
          TColorOp* op = *reinterpret_cast<TColorOp**>(BlendRegistry->Bindings(id)->BindVariable);
          ASSERT_EQ(op(a, b), ColorOpModel(id, a, b)) << Label(info) << std::hex << " " << a << " " << b;
        }
      }
    }
  }
}

// Rows made of runs of transparent, opaque and mixed sources, long enough
// for whole vector blocks of each, over destination bytes around 128: the
// line forms' shortcuts for such blocks give the model's bytes.
TEST(Pix32_Blend_qn, BlendLineOnRunsOfOpaqueAndTransparentSources) {
  Gen g;
  for (PFunctionInfo info : rastertest::Variants(BlendRegistry, FID_BLENDLINE)) {
    Isolate bind(info);
    const bool plain = IsPlain(info);
    for (int trial = 0; trial < 300; ++trial) {
      const int n = 1 + static_cast<int>(g.rng() % 200), d0 = static_cast<int>(g.rng() % 8);
      std::vector<TColor32> src(static_cast<size_t>(n)), dst(static_cast<size_t>(d0 + n));
      for (int i = 0; i < n;) {
        const int run = 1 + static_cast<int>(g.rng() % 40);
        const unsigned kind = g.rng() % 3;
        for (int k = 0; k < run && i < n; ++k, ++i) {
          const TColor32 a = kind == 0 ? 0 : kind == 1 ? 255 : TColor32(g.Byte());
          src[size_t(i)] = (g.Pixel() & 0x00FFFFFFu) | a << 24;
        }
      }
      for (auto& p : dst) {
        p = g.Pixel();
        if (g.rng() % 2) p = (p & 0xFF808080u) | (g.rng() % 2 ? 0x00010101u * (g.rng() % 2) : 0x007F7F7Fu);
      }
      const std::vector<TColor32> before = dst;
      BlendLine(src.data(), dst.data() + d0, n);
      for (int i = 0; i < d0; ++i) ASSERT_EQ(dst[size_t(i)], before[size_t(i)]);
      for (int i = 0; i < n; ++i) {
        const TColor32 F = src[size_t(i)], B = before[size_t(d0 + i)];
        ASSERT_EQ(dst[size_t(d0 + i)], plain ? BlendRegPlain(F, B) : OverSSE(F, B))
            << Label(info) << " trial " << trial << " i " << i << std::hex << " F=" << F << " B=" << B;
      }
    }
  }
}

TEST(Pix32_Blend_qn, LineFormsMatchTheirModelsAndStayInsideCount) {
  Gen g;
  for (Integer id : {FID_BLENDLINE, FID_BLENDLINEEX, FID_COMBINELINE, FID_MERGELINE, FID_MERGELINEEX, FID_BLENDMEMS}) {
    for (PFunctionInfo info : rastertest::Variants(BlendRegistry, id)) {
      Isolate bind(info);
      const bool plain = IsPlain(info);
      for (int count = -2; count <= 67; ++count) {
        for (int so = 0; so < 8; ++so) {
          for (int d0 = 0; d0 < 8; ++d0) {
            const int n = std::max(count, 0);
            // Exact-size blocks: a byte touched past Count is an ASan report.
            std::vector<TColor32> src(so + n), dst(d0 + n);
            for (auto& p : src) p = g.Pixel();
            for (auto& p : dst) p = g.Pixel();
            const std::vector<TColor32> before = dst;
            const int m = (count % 5 == 0) ? (count % 10 == 0 ? 255 : 0) : g.Byte();
            const TColor32 fill = g.Pixel();
            const TColor32* s = src.data() + so;
            TColor32* d = dst.data() + d0;
            switch (id) {
              case FID_BLENDLINE: BlendLine(s, d, count); break;
              case FID_BLENDLINEEX: BlendLineEx(s, d, count, m); break;
              case FID_COMBINELINE: CombineLine(s, d, count, m); break;
              case FID_MERGELINE: MergeLine(s, d, count); break;
              case FID_MERGELINEEX: MergeLineEx(s, d, count, m); break;
              case FID_BLENDMEMS: BlendMems(fill, d, count); break;
            }
            for (int i = 0; i < d0; ++i) ASSERT_EQ(dst[i], before[i]);
            for (int i = 0; i < n; ++i) {
              const TColor32 F = src[so + i], B = before[d0 + i];
              TColor32 want = 0;
              switch (id) {
                case FID_BLENDLINE: want = plain ? BlendRegPlain(F, B) : OverSSE(F, B); break;
                case FID_BLENDLINEEX: want = plain ? BlendRegExPlain(F, B, m) : LineExSSE(F, B, m); break;
                case FID_COMBINELINE: want = plain ? CombinePlain(F, B, m) : CombineMemSSE(F, B, m); break;
                case FID_MERGELINE: want = MergePlain(F, B); break;
                case FID_MERGELINEEX: want = MergePlain(ScaleAlphaM(F, m), B); break;
                case FID_BLENDMEMS: want = plain ? BlendRegPlain(fill, B) : BlendMemSSE(fill, B); break;
              }
              ASSERT_EQ(dst[d0 + i], want) << Label(info) << " count " << count << " i " << i << std::hex
                                           << " F=" << F << " B=" << B << " m=" << m;
            }
          }
        }
      }
    }
  }
}

TEST(Pix32_Blend_qn, MergeLineFollowsTheBoundBlendReg) {
  // Opaque backgrounds go through BlendReg: every MergeLine form must give
  // what the bound MergeReg gives, whichever BlendReg is bound.
  Gen g;
  for (PFunctionInfo blend : rastertest::Variants(BlendRegistry, FID_BLENDREG)) {
    rastertest::ForceVariant forceBlend(BlendRegistry, blend);
    for (PFunctionInfo merge : rastertest::Variants(BlendRegistry, FID_MERGELINE)) {
      rastertest::ForceVariant forceMerge(BlendRegistry, merge);
      for (int n = 0; n < 2000; ++n) {
        std::vector<TColor32> src(37), dst(37);
        for (auto& p : src) p = g.Pixel();
        for (auto& p : dst) p = n % 3 ? g.Pixel() | 0xFF000000u : g.Pixel();
        std::vector<TColor32> want(dst);
        for (size_t i = 0; i < want.size(); ++i) want[i] = MergeReg(src[i], dst[i]);
        MergeLine(src.data(), dst.data(), 37);
        ASSERT_EQ(dst, want) << Label(blend) << " " << Label(merge);
      }
    }
  }
}

namespace {
// Sources in runs of clear, opaque and partly covered pixels, so that whole
// vector blocks of each kind occur as well as mixed ones.
std::vector<TColor32> SourceRuns(Gen& g, int N) {
  std::vector<TColor32> v(static_cast<size_t>(N));
  for (int i = 0; i < N;) {
    const int run = 1 + static_cast<int>(g.rng() % 20);
    const unsigned kind = g.rng() % 3;
    for (int k = 0; k < run && i < N; ++k, ++i) {
      const TColor32 a = kind == 0 ? 0 : kind == 1 ? 255 : TColor32(g.Byte());
      v[size_t(i)] = (g.Pixel() & 0x00FFFFFFu) | a << 24;
    }
  }
  return v;
}
}  // namespace

// A blend onto a background read from elsewhere gives, whatever BlendLine is
// bound, the bytes of copying the background into place and blending there:
// every length up to 70 and some long rows, each operand misaligned on its
// own, the destination its own background, and rows apart by strides. No
// pixel outside Count is written (exact-size blocks: ASan catches a read).
TEST(Pix32_Blend_qn, BlendFromABackgroundGivesTheBytesOfCopyThenBlend) {
  Gen g;
  std::vector<int> counts;
  for (int n = 0; n <= 70; ++n) counts.push_back(n);
  for (int n : {127, 255, 256, 257, 300, 531}) counts.push_back(n);
  for (PFunctionInfo info : rastertest::Variants(BlendRegistry, FID_BLENDLINE)) {
    rastertest::ForceVariant bind(BlendRegistry, info);
    for (int n : counts) {
      for (int so = 0; so < 8; ++so) {
        for (int d0 = 0; d0 < 8; ++d0) {
          const int b0 = (so * 3 + d0 + n) % 8;
          std::vector<TColor32> src(static_cast<size_t>(so)), back(static_cast<size_t>(b0 + n)),
              dst(static_cast<size_t>(d0 + n));
          const std::vector<TColor32> runs = SourceRuns(g, n);
          src.insert(src.end(), runs.begin(), runs.end());
          for (auto& p : back) p = g.Pixel();
          for (auto& p : dst) p = g.Pixel();
          const std::vector<TColor32> backBefore = back, dstBefore = dst;
          // The two steps.
          std::vector<TColor32> want(back.begin() + b0, back.end());
          BlendLine(src.data() + so, want.data(), n);

          BlendLineFrom(src.data() + so, back.data() + b0, dst.data() + d0, n);
          ASSERT_EQ(back, backBefore);
          for (int i = 0; i < d0; ++i) ASSERT_EQ(dst[size_t(i)], dstBefore[size_t(i)]);
          for (int i = 0; i < n; ++i)
            ASSERT_EQ(dst[size_t(d0 + i)], want[size_t(i)])
                << Label(info) << " count " << n << " so " << so << " d0 " << d0 << " i " << i;

          // In place: the destination is the background.
          std::vector<TColor32> self = backBefore;
          BlendLineFrom(src.data() + so, self.data() + b0, self.data() + b0, n);
          for (int i = 0; i < b0; ++i) ASSERT_EQ(self[size_t(i)], backBefore[size_t(i)]);
          for (int i = 0; i < n; ++i)
            ASSERT_EQ(self[size_t(b0 + i)], want[size_t(i)]) << Label(info) << " in place, count " << n << " i " << i;
        }
      }
    }
    // Rows: each operand with its own stride, the gaps between rows kept.
    for (int trial = 0; trial < 200; ++trial) {
      const int n = static_cast<int>(g.rng() % 80), rows = 1 + static_cast<int>(g.rng() % 6);
      const size_t ss = size_t(n) + g.rng() % 9, bs = size_t(n) + g.rng() % 9, ds = size_t(n) + g.rng() % 9;
      const std::vector<TColor32> src = SourceRuns(g, static_cast<int>(ss) * rows);
      std::vector<TColor32> back(bs * size_t(rows)), dst(ds * size_t(rows));
      for (auto& p : back) p = g.Pixel();
      for (auto& p : dst) p = g.Pixel();
      std::vector<TColor32> want = dst;
      for (int y = 0; y < rows; ++y) {
        std::copy_n(back.begin() + std::ptrdiff_t(bs * size_t(y)), n, want.begin() + std::ptrdiff_t(ds * size_t(y)));
        BlendLine(src.data() + ss * size_t(y), want.data() + ds * size_t(y), n);
      }
      BlendRowsFrom(src.data(), ss, back.data(), bs, dst.data(), ds, n, rows);
      ASSERT_EQ(dst, want) << Label(info) << " trial " << trial << " count " << n << " rows " << rows;
    }
  }
}

}  // namespace t_pix32_blend_test
