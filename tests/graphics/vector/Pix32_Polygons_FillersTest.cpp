#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"

namespace t_pix32_polygons_fillers_test {

using namespace qn;

namespace {

std::vector<TColor32> Row(TCustomBitmap32& B, Integer Y) { return {B.ScanLine(Y), B.ScanLine(Y) + B.Width()}; }

std::vector<TColor32> Pixels(TCustomBitmap32& B) {
  return {B.ScanLine(0), B.ScanLine(0) + size_t(B.Width()) * B.Height()};
}

void RandomFill(TCustomBitmap32& B, std::mt19937& Rng, bool Opaque = false) {
  for (Integer Y = 0; Y < B.Height(); ++Y)
    for (Integer X = 0; X < B.Width(); ++X) B.ScanLine(Y)[X] = Rng() | (Opaque ? 0xFF000000u : 0u);
}

Integer PosMod(Integer V, Integer N) { return ((V % N) + N) % N; }

// A sampler that answers a colour made of its coordinates and counts every
// question, and the prepare and finalise calls around them.
class TCountingSampler : public TCustomSampler {
 public:
  std::map<std::pair<Integer, Integer>, int> Asked;
  int Prepared = 0, Finalized = 0;
  bool Open = false;
  TColor32 GetSampleInt(Integer X, Integer Y) override {
    EXPECT_TRUE(Open) << "sampled outside a prepare/finalise bracket";
    ++Asked[{X, Y}];
    return Color(X, Y);
  }
  static TColor32 Color(Integer X, Integer Y) { return 0x40000000u | (Cardinal(X & 0xFF) << 16) | (Cardinal(Y & 0xFF) << 8) | 0x5A; }
  void PrepareSampling() override {
    ++Prepared;
    Open = true;
  }
  void FinalizeSampling() override {
    ++Finalized;
    Open = false;
  }
};

struct TSpanLog {
  struct TCall {
    PColor32 Dst;
    Integer X, Y, Len;
    std::vector<Cardinal> Weights;
  };
  std::vector<TCall> Calls;
  void FillLine(PColor32 Dst, Integer DstX, Integer DstY, Integer Length, PColor32 AlphaValues) {
    TCall C{Dst, DstX, DstY, Length, {}};
    for (Integer I = 0; I < Length; ++I) C.Weights.push_back(AlphaValues[I] & 0xFF);
    Calls.push_back(C);
    // Stripes: every other row of the span gets the stripe colour.
    if (DstY % 4 < 2)
      for (Integer I = 0; I < Length; ++I) Dst[I] = 0xFF204080u;
  }
};

}  // namespace

TEST(Pix32_Polygons_qn, PatternTilesFromItsOffset) {
  TCustomBitmap32 Pattern;
  Pattern.SetSize(5, 3);
  for (Integer Y = 0; Y < 3; ++Y)
    for (Integer X = 0; X < 5; ++X) Pattern.ScanLine(Y)[X] = 0x40000000u | Cardinal(Y << 8) | Cardinal(X);
  Pattern.SetDrawMode(TDrawMode::dmOpaque);
  TBitmapPolygonFiller Filler;
  Filler.SetPattern(&Pattern);
  Filler.SetOffsetX(3);
  Filler.SetOffsetY(1);

  // Without weights the opaque routine copies the pattern, alpha included.
  std::vector<TColor32> Line(40);
  for (Integer DstY : {-7, -1, 0, 1, 5}) {
    Filler.GetFillLine()(Line.data(), -17, DstY, 40, nullptr);
    for (Integer I = 0; I < 40; ++I)
      ASSERT_EQ(Line[I], Pattern.ScanLine(PosMod(DstY - 1, 3))[PosMod(-17 + I - 3, 5)]) << DstY << " " << I;
  }
  TCustomBitmap32 B;
  B.SetSize(12, 6);
  B.Clear(0xFF000000u);
  FillBitmap(&B, &Filler);
  // Column 3 shows pattern column 0, column 2 the last one; with weights
  // the pattern counts as opaque.
  EXPECT_EQ(B.ScanLine(1)[3], 0xFF000000u);
  EXPECT_EQ(B.ScanLine(1)[2], 0xFF000004u);
  EXPECT_EQ(B.ScanLine(0)[3], 0xFF000200u);
  for (Integer Y = 0; Y < 6; ++Y)
    for (Integer X = 0; X < 12; ++X) ASSERT_EQ(B.ScanLine(Y)[X], Pattern.ScanLine(PosMod(Y - 1, 3))[PosMod(X - 3, 5)] | 0xFF000000u);
}

TEST(Pix32_Polygons_qn, PatternLineRoutinesFollowThePerPixelBlends) {
  std::mt19937 Rng(31);
  TCustomBitmap32 Pattern;
  Pattern.SetSize(7, 5);
  RandomFill(Pattern, Rng);
  TBitmapPolygonFiller Filler;
  Filler.SetPattern(&Pattern);
  Filler.SetOffsetX(-2);
  Filler.SetOffsetY(9);
  const Integer N = 61, DstX = 4, DstY = 3;
  const TColor32* PatRow = Pattern.ScanLine(PosMod(DstY - 9, 5));
  auto P = [&](Integer I) { return PatRow[PosMod(DstX + I + 2, 7)]; };

  for (int Trial = 0; Trial < 40; ++Trial) {
    // Weights in runs, as a renderer makes them: empty, full and partial.
    std::vector<TColor32> Weights(N);
    for (Integer I = 0; I < N;) {
      const Integer Len = 1 + Integer(Rng() % 9);
      const Cardinal W = (Rng() % 3 == 0) ? 255u : (Rng() % 4 == 0 ? 0u : Rng() % 256);
      for (Integer K = I; K < std::min(N, I + Len); ++K) Weights[K] = W | 0xABCDEF00u;
      I += Len;
    }
    std::vector<TColor32> Dst(N);
    for (auto& D : Dst) D = Rng();
    const TCombineMode Mode = Trial % 2 ? TCombineMode::cmMerge : TCombineMode::cmBlend;
    Pattern.SetCombineMode(Mode);
    TBlendMem* const Mem = *BLEND_MEM[int(Mode)];
    TBlendMemEx* const MemEx = *BLEND_MEM_EX[int(Mode)];

    for (const Cardinal M : {255u, 254u, 128u}) {
      Pattern.SetDrawMode(TDrawMode::dmBlend);
      Pattern.SetMasterAlpha(M);
      for (bool WithWeights : {false, true}) {
        std::vector<TColor32> Got = Dst, Want = Dst;
        Filler.GetFillLine()(Got.data(), DstX, DstY, N, WithWeights ? Weights.data() : nullptr);
        for (Integer I = 0; I < N; ++I) {
          const Cardinal A = Weights[I] & 0xFF;
          if (M == 255)
            WithWeights ? MemEx(P(I), Want[I], A) : Mem(P(I), Want[I]);
          else
            MemEx(P(I), Want[I], WithWeights ? (A * M * 32897u) >> 23 : M);
        }
        EMMS();
        ASSERT_EQ(Got, Want) << "trial " << Trial << " master alpha " << M << " weights " << WithWeights;
      }
    }
    Pattern.SetMasterAlpha(255);

    // Opaque with weights: the pattern pixel made opaque, blended by weight.
    Pattern.SetDrawMode(TDrawMode::dmOpaque);
    std::vector<TColor32> Got = Dst, Want = Dst;
    Filler.GetFillLine()(Got.data(), DstX, DstY, N, Weights.data());
    // Full weight on the opaque pixel is that pixel; the blenders would
    // round it a step short.
    for (Integer I = 0; I < N; ++I)
      (Weights[I] & 0xFF) == 255 ? void(Want[I] = P(I) | 0xFF000000u) : MemEx(P(I) | 0xFF000000u, Want[I], Weights[I] & 0xFF);
    EMMS();
    ASSERT_EQ(Got, Want) << "opaque, trial " << Trial;

    // Custom: the handler sees the pattern pixel and the scaled weight.
    Pattern.SetDrawMode(TDrawMode::dmCustom);
    Pattern.SetMasterAlpha(200);
    std::vector<std::pair<TColor32, Cardinal>> Seen;
    struct THandler {
      std::vector<std::pair<TColor32, Cardinal>>* Seen;
      void Combine(TColor32 F, TColor32& B, TColor32 W) {
        Seen->push_back({F, W});
        B = F ^ W;
      }
    } Handler{&Seen};
    Pattern.SetOnPixelCombine(MakeEvent(&Handler, &THandler::Combine));
    Got = Dst;
    Filler.GetFillLine()(Got.data(), DstX, DstY, N, Weights.data());
    ASSERT_EQ(Seen.size(), size_t(N));
    for (Integer I = 0; I < N; ++I) {
      ASSERT_EQ(Seen[I].first, P(I));
      ASSERT_EQ(Seen[I].second, ((Weights[I] & 0xFF) * 200u * 32897u) >> 23);
      ASSERT_EQ(Got[I], P(I) ^ Seen[I].second);
    }
    Pattern.SetOnPixelCombine({});
    Pattern.SetMasterAlpha(255);
  }
}

TEST(Pix32_Polygons_qn, PatternsWithoutARoutineDrawNothing) {
  TCustomBitmap32 B;
  B.SetSize(20, 20);
  B.Clear(0xFF102030u);
  const std::vector<TColor32> Before = Pixels(B);
  const TArrayOfFloatPoint Square{{2, 2}, {18, 2}, {18, 18}, {2, 18}};

  TBitmapPolygonFiller Filler;
  EXPECT_FALSE(Assigned(Filler.GetFillLine()));
  PolygonFS(&B, Square, &Filler);

  TCustomBitmap32 Pattern;
  Filler.SetPattern(&Pattern);  // assigned but empty
  EXPECT_FALSE(Assigned(Filler.GetFillLine()));
  PolygonFS(&B, Square, &Filler);
  FillBitmap(&B, &Filler);

  Pattern.SetSize(4, 4);
  Pattern.Clear(0xFFFF0000u);
  Pattern.SetDrawMode(TDrawMode::dmTransparent);
  EXPECT_FALSE(Assigned(Filler.GetFillLine()));
  PolygonFS(&B, Square, &Filler);
  Pattern.SetDrawMode(TDrawMode::dmCustom);
  EXPECT_FALSE(Assigned(Filler.GetFillLine()));
  PolygonFS(&B, Square, &Filler);
  EXPECT_EQ(Pixels(B), Before);

  TCallbackPolygonFiller Unset;
  PolygonFS(&B, Square, &Unset);
  FillBitmap(&B, &Unset);
  EXPECT_EQ(Pixels(B), Before);
}

TEST(Pix32_Polygons_qn, SamplerFillerSamplesEachCoveredPixelOnce) {
  TCountingSampler Sampler;
  TSamplerFiller Filler(&Sampler);
  TCustomBitmap32 B;
  B.SetSize(24, 16);
  B.Clear(0xFF000000u);
  PolygonFS(&B, TArrayOfFloatPoint{{3, 2}, {20, 2}, {20, 11}, {3, 11}}, &Filler);
  EXPECT_EQ(Sampler.Prepared, 1);
  EXPECT_EQ(Sampler.Finalized, 1);
  for (Integer Y = 0; Y < 16; ++Y)
    for (Integer X = 0; X < 24; ++X) {
      const bool In = X >= 3 && X < 20 && Y >= 2 && Y < 11;
      ASSERT_EQ(B.ScanLine(Y)[X], In ? TCountingSampler::Color(X, Y) | 0xFF000000u : 0xFF000000u) << X << "," << Y;
      if (In) {
        ASSERT_EQ(Sampler.Asked[std::make_pair(X, Y)], 1) << X << "," << Y;
      }
    }
  // Uncovered pixels at the ends of a span may be asked too, but no pixel
  // twice.
  for (const auto& [Pos, Times] : Sampler.Asked) ASSERT_EQ(Times, 1);

  // Without weights every pixel takes its sample.
  std::vector<TColor32> Line(5, 0);
  Sampler.PrepareSampling();
  Filler.GetFillLine()(Line.data(), 7, 4, 5, nullptr);
  Sampler.FinalizeSampling();
  for (Integer I = 0; I < 5; ++I) EXPECT_EQ(Line[I], TCountingSampler::Color(7 + I, 4) | 0xFF000000u);
}

TEST(Pix32_Polygons_qn, SamplerFillerWithoutSamplerFailsFirst) {
  TSamplerFiller Filler;
  TCustomBitmap32 B;
  B.SetSize(8, 8);
  B.Clear(0xFF112233u);
  try {
    FillBitmap(&B, &Filler);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), u"No sampler specified!");
  }
  for (Integer Y = 0; Y < 8; ++Y)
    for (Integer X = 0; X < 8; ++X) ASSERT_EQ(B.ScanLine(Y)[X], 0xFF112233u);
  EXPECT_THROW(Filler.EndRendering(), Exception);
}

TEST(Pix32_Polygons_qn, InvertAndCallbackFillers) {
  std::mt19937 Rng(8);
  TCustomBitmap32 B;
  B.SetSize(33, 9);
  RandomFill(B, Rng, true);
  const std::vector<TColor32> Before = Pixels(B);
  TInvertPolygonFiller Invert;
  FillBitmap(&B, &Invert);
  // Full weight on an opaque picture: each channel flips, to within the
  // blenders' rounding.
  for (size_t I = 0; I < Before.size(); ++I)
    for (int S : {0, 8, 16}) {
      const int Was = (Before[I] >> S) & 0xFF, Now = (B.ScanLine(0)[I] >> S) & 0xFF;
      ASSERT_NEAR(Now, 255 - Was, 1) << I;
    }
  // Without weights the same as full weight.
  std::vector<TColor32> Line(Before.begin(), Before.begin() + 33);
  Invert.GetFillLine()(Line.data(), 0, 0, 33, nullptr);
  EXPECT_EQ(Line, Row(B, 0));

  // The callback sees every span with its position, weights and pixels.
  TSpanLog Log;
  TCallbackPolygonFiller Callback;
  Callback.SetFillLineEvent(MakeEvent(&Log, &TSpanLog::FillLine));
  TCustomBitmap32 C;
  C.SetSize(40, 20);
  C.Clear(0xFFFFFFFFu);
  PolygonFS(&C, TArrayOfFloatPoint{{5, 2}, {30.5f, 2}, {30.5f, 18}, {5, 18}}, &Callback);
  ASSERT_EQ(Log.Calls.size(), 16u);
  for (const auto& Call : Log.Calls) {
    EXPECT_EQ(Call.Dst, C.ScanLine(Call.Y) + Call.X);
    EXPECT_EQ(Call.X, 5);
    ASSERT_GE(Call.Len, 26);
    EXPECT_EQ(Call.Weights.front(), 255u);
    EXPECT_EQ(Call.Weights[24], 255u);
    EXPECT_GT(Call.Weights[25], 0u);
    EXPECT_LT(Call.Weights[25], 255u);
  }
  EXPECT_EQ(C.ScanLine(4)[10], 0xFF204080u);
  EXPECT_EQ(C.ScanLine(6)[10], 0xFFFFFFFFu);
}

TEST(Pix32_Polygons_qn, WrappingLinearSamplesAtWholePixelsAreThePixels) {
  // The sampler filler asks for whole pixels; there the linear resampler's
  // shortcut must give what its bilinear read gives.
  std::mt19937 Rng(5);
  for (const auto& Size : {std::pair{64, 64}, std::pair{5, 3}, std::pair{16, 7}}) {
    TCustomBitmap32 P;
    P.SetSize(Size.first, Size.second);
    RandomFill(P, Rng);
    for (TWrapMode Mode : {TWrapMode::wmRepeat, TWrapMode::wmMirror, TWrapMode::wmClamp}) {
      P.SetWrapMode(Mode);
      auto* R = new TLinearResampler(&P);  // owned by the bitmap
      R->SetPixelAccessMode(TPixelAccessMode::pamWrap);
      R->PrepareSampling();
      std::uniform_int_distribution<Integer> C(-300, 300);
      for (int K = 0; K < 2000; ++K) {
        const Integer X = C(Rng), Y = C(Rng);
        ASSERT_EQ(R->GetSampleInt(X, Y), R->GetSampleFixed(X << 16, Y << 16)) << X << "," << Y;
      }
      R->FinalizeSampling();
    }
  }
}

TEST(Pix32_Polygons_qn, RowSamplingEqualsPixelSampling) {
  // Rows fetched at once must be the pixels GetSampleInt gives, for the
  // linear resampler's repeating shortcut and for the modes it hands back.
  std::mt19937 Rng(17);
  for (const auto& Size : {std::pair{64, 64}, std::pair{5, 3}, std::pair{16, 7}}) {
    TCustomBitmap32 P;
    P.SetSize(Size.first, Size.second);
    RandomFill(P, Rng);
    for (TWrapMode Mode : {TWrapMode::wmRepeat, TWrapMode::wmMirror}) {
      P.SetWrapMode(Mode);
      for (TPixelAccessMode Access : {TPixelAccessMode::pamWrap, TPixelAccessMode::pamSafe}) {
        auto* R = new TLinearResampler(&P);  // owned by the bitmap
        R->SetPixelAccessMode(Access);
        R->PrepareSampling();
        std::uniform_int_distribution<Integer> C(-300, 300), L(0, 300);
        for (int K = 0; K < 300; ++K) {
          // Near the top of the integer range the positions wrap around
          // (only the repeating tile is defined that far out).
          const bool Far = K % 50 == 0 && Mode == TWrapMode::wmRepeat && Access == TPixelAccessMode::pamWrap;
          const Integer X = Far ? std::numeric_limits<Integer>::max() - L(Rng) % 20 : C(Rng);
          const Integer Y = C(Rng), N = L(Rng);
          std::vector<TColor32> Got(size_t(N) + 1, 0x12345678u);
          R->GetSampleSpanInt(X, Y, N, Got.data());
          for (Integer I = 0; I < N; ++I)
            ASSERT_EQ(Got[I], R->GetSampleInt(Integer(Cardinal(X) + Cardinal(I)), Y)) << X << "+" << I << "," << Y;
          ASSERT_EQ(Got[N], 0x12345678u) << "wrote past the row";
        }
        R->FinalizeSampling();
      }
    }
  }
}

TEST(Pix32_Polygons_qn, SamplerFillerRowsFollowThePerPixelBlend) {
  // The row form (samples fetched per span, blends four at a time) against
  // sampling and blending pixel by pixel, for a sampler with a row shortcut
  // and one without, over spans longer than the filler's sample buffer.
  std::mt19937 Rng(23);
  TCustomBitmap32 P;
  P.SetSize(7, 5);
  RandomFill(P, Rng);
  P.SetWrapMode(TWrapMode::wmRepeat);
  auto* Linear = new TLinearResampler(&P);  // owned by the bitmap
  Linear->SetPixelAccessMode(TPixelAccessMode::pamWrap);
  TCountingSampler Counting;
  for (TCustomSampler* S : {static_cast<TCustomSampler*>(Linear), static_cast<TCustomSampler*>(&Counting)}) {
    TSamplerFiller Filler(S);
    Filler.BeginRendering();
    for (int Trial = 0; Trial < 30; ++Trial) {
      const Integer N = 1 + Integer(Rng() % 700), DstX = Integer(Rng() % 200) - 100, DstY = Integer(Rng() % 50) - 25;
      std::vector<TColor32> Weights(N), Dst(N);
      for (Integer I = 0; I < N;) {
        const Integer Len = 1 + Integer(Rng() % 9);
        const Cardinal W = (Rng() % 3 == 0) ? 255u : (Rng() % 4 == 0 ? 0u : Rng() % 256);
        for (Integer K = I; K < std::min(N, I + Len); ++K) Weights[K] = W | 0xABCDEF00u;
        I += Len;
      }
      for (auto& D : Dst) D = Rng();
      for (bool WithWeights : {true, false}) {
        std::vector<TColor32> Got = Dst, Want = Dst;
        Filler.GetFillLine()(Got.data(), DstX, DstY, N, WithWeights ? Weights.data() : nullptr);
        for (Integer I = 0; I < N; ++I) {
          const TColor32 C = S->GetSampleInt(DstX + I, DstY) | 0xFF000000u;
          const Cardinal A = WithWeights ? Weights[I] & 0xFF : 255u;
          if (A == 255)
            Want[I] = C;
          else if (A != 0)
            BlendMemEx(C, Want[I], A);
        }
        EMMS();
        ASSERT_EQ(Got, Want) << "trial " << Trial << " weights " << WithWeights;
      }
    }
    Filler.EndRendering();
  }
}

}  // namespace t_pix32_polygons_fillers_test
