#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "platform/classes/Streams.h"

namespace t_pix32_color_gradients_test {

using namespace qn;

namespace {
constexpr TColor32 A = 0xFF102030u, B = 0x80F0E0D0u;

std::vector<TColor32GradientStop> Stops(const TColor32Gradient& g) { return g.GradientColors(); }
bool Same(const std::vector<TColor32GradientStop>& x, const std::vector<TColor32GradientStop>& y) {
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i)
    if (std::memcmp(&x[i], &y[i], sizeof(TColor32GradientStop)) != 0) return false;
  return true;
}

TBytes StreamBytes(std::initializer_list<Integer> words, const char* magic = "Grad") {
  TBytes b(magic, magic + std::strlen(magic));
  for (Integer w : words) {
    Byte raw[4];
    std::memcpy(raw, &w, 4);
    b.insert(b.end(), raw, raw + 4);
  }
  return b;
}
Integer Bits(Single s) {
  Integer i;
  std::memcpy(&i, &s, 4);
  return i;
}

struct Counter {
  int n = 0;
  void Changed(TObject*) { ++n; }
};
}  // namespace

TEST(Pix32_ColorGradients_qn, StopsAreInsertedAfterEqualOffsets) {
  TColor32Gradient g;
  Counter c;
  g.SetOnGradientColorsChanged(MakeEvent(&c, &Counter::Changed));
  g.AddColorStop(0.5f, 2);
  g.AddColorStop(0.2f, 1);
  g.AddColorStop(0.5f, 3);
  g.AddColorStop(Color32GradientStop(0.9f, 4));
  ASSERT_EQ(g.GradientCount(), 4);
  EXPECT_EQ(g.GetGradientEntry(1).Color32, 2u);
  EXPECT_EQ(g.GetGradientEntry(2).Color32, 3u);
  EXPECT_EQ(c.n, 4);
  EXPECT_THROW(g.GetGradientEntry(4), Exception);
  EXPECT_THROW(g.GetGradientEntry(-1), Exception);
  g.ClearColorStops(A);
  EXPECT_EQ(g.GradientCount(), 1);
  EXPECT_EQ(g.StartColor(), A);
}

TEST(Pix32_ColorGradients_qn, ColoursAtOffsetsAndStopBoundaries) {
  TColor32Gradient g;
  g.AddColorStop(0.2f, A);
  g.AddColorStop(0.8f, B);
  EXPECT_EQ(g.GetColorAt(0.2f), A);
  EXPECT_EQ(g.GetColorAt(0.1f), A);
  EXPECT_EQ(g.GetColorAt(0.8f), B);
  EXPECT_EQ(g.GetColorAt(0.9f), B);
  // Just inside a stop the weight rounds to the stop's own colour.
  EXPECT_EQ(g.GetColorAt(0.2001f), CombineReg(B, A, 0));
  EXPECT_EQ(g.GetColorAt(0.7999f), CombineReg(B, A, 255));
  TColor32Gradient two(A, B);
  EXPECT_EQ(two.GetColorAt(0.5f), CombineReg(B, A, 128));
  EXPECT_EQ(TColor32Gradient().GetColorAt(0.5f), 0u);
  // Three stops: the interval holding the offset is used.
  two.AddColorStop(0.5f, 0xFF00FF00u);
  EXPECT_EQ(two.GetColorAt(0.75f), CombineReg(B, 0xFF00FF00u, 128));
}

TEST(Pix32_ColorGradients_qn, LookupTableFill) {
  TColor32Gradient g;
  g.AddColorStop(0.2f, A);
  g.AddColorStop(0.8f, B);
  TColor32LookupTable t(9);
  ASSERT_EQ(t.Size(), 512u);
  g.FillColorLookUpTable(&t);
  for (int i = 0; i <= 102; ++i) ASSERT_EQ(t.GetColor32(i), A) << i;
  for (int i = 410; i <= 511; ++i) ASSERT_EQ(t.GetColor32(i), B) << i;
  bool between = false;
  for (int i = 104; i < 408; ++i) between |= t.GetColor32(i) != A && t.GetColor32(i) != B;
  EXPECT_TRUE(between);
  EXPECT_EQ(t.GetColor32(256), CombineReg(B, A, static_cast<TColor32>(Round(255 * ((257.0f / 512 - 0.2f) * (1 / 0.6f))))));
  // One stop: that colour everywhere.
  TColor32Gradient one;
  one.SetColors(TArrayOfColor32{A});
  EXPECT_EQ(one.GetGradientEntry(0).Offset, 0.0f);
  TArrayOfColor32 lut(16, 0);
  one.FillColorLookUpTable(lut);
  for (TColor32 c : lut) EXPECT_EQ(c, A);
}

TEST(Pix32_ColorGradients_qn, LeadingRunStopsBeforeTheLastEntry) {
  for (Single first : {1.0f, 1.5f, 15.0f / 16}) {
    TColor32Gradient g;
    g.SetColors(TArrayOfColor32GradientStop{{first, A}, {first + 1, B}});
    TArrayOfColor32 lut(16, 0);  // exact size: a write past the end is an ASan report
    g.FillColorLookUpTable(lut.data(), 16);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(lut[i], A) << first << " " << i;
    EXPECT_EQ(lut[15], B);
  }
}

TEST(Pix32_ColorGradients_qn, SettersAndColourLists) {
  TColor32Gradient g;
  Counter c;
  g.SetOnGradientColorsChanged(MakeEvent(&c, &Counter::Changed));
  g.SetEndColor(B);
  ASSERT_EQ(g.GradientCount(), 2);
  EXPECT_EQ(g.GetGradientEntry(0).Color32, 0u);
  EXPECT_EQ(g.GetGradientEntry(1).Offset, 1.0f);
  EXPECT_EQ(g.EndColor(), B);
  EXPECT_EQ(c.n, 1);
  g.SetEndColor(B);
  EXPECT_EQ(c.n, 1);  // nothing changed, nothing reported
  g.SetStartColor(A);
  EXPECT_EQ(g.StartColor(), A);
  EXPECT_EQ(c.n, 2);
  g.SetColors(TArrayOfColor32{1, 2, 3});
  EXPECT_EQ(g.GetGradientEntry(1).Offset, 0.5f);
  const TVarRec values[] = {TColor32(5), Integer(6)};
  g.SetColors(values, 2);
  EXPECT_EQ(g.GetGradientEntry(1).Color32, 6u);
  const TVarRec bad[] = {1.5};
  EXPECT_THROW(g.SetColors(bad, 1), EAssertionFailed);
  TPalette32 pal{};
  pal[255] = B;
  g.SetColors(&pal);
  ASSERT_EQ(g.GradientCount(), 256);
  EXPECT_EQ(g.GetGradientEntry(1).Offset, 1.0f / 255);
  EXPECT_EQ(g.EndColor(), B);
  const int before = c.n;
  TColor32Gradient empty;
  empty.SetOnGradientColorsChanged(MakeEvent(&c, &Counter::Changed));
  empty.SetColors(TArrayOfColor32{});
  EXPECT_EQ(c.n, before);
  TColor32Gradient copy;
  copy.Assign(&g);
  EXPECT_TRUE(Same(Stops(copy), Stops(g)));
}

TEST(Pix32_ColorGradients_qn, LookupTableOrderAndIndexing) {
  TColor32LookupTable t(4);
  int fired = 0;
  t.SetOnOrderChanged([&fired](TObject*) { ++fired; });
  t.SetColor32(3, A);
  EXPECT_EQ(t.GetColor32(16 + 3), A);
  EXPECT_THROW(t.SetColor32(16, A), Exception);
  EXPECT_THROW(t.SetColor32(-1, A), Exception);
  try {
    t.SetOrder(17);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Index out of bounds (17)");
  }
  EXPECT_EQ(t.Order(), 4);
  EXPECT_EQ(fired, 0);
  t.SetOrder(5);
  EXPECT_EQ(t.Mask(), 31u);
  EXPECT_EQ(fired, 1);
  t.SetColor32(31, B);
  TColor32LookupTable u(2);
  u.Assign(&t);
  EXPECT_EQ(u.Size(), 32u);
  EXPECT_EQ(u.GetColor32(31), B);
  EXPECT_THROW(TColor32LookupTable(40), Exception);
}

TEST(Pix32_ColorGradients_qn, StreamRoundTrip) {
  TColor32Gradient g;
  g.AddColorStop(0.25f, A);
  g.AddColorStop(0.75f, B);
  g.AddColorStop(-3.5f, 7);
  TMemoryStream s;
  g.SaveToStream(&s);
  EXPECT_EQ(s.Size(), 4 + 4 + 3 * 8);
  s.SetPosition(0);
  TColor32Gradient h;
  Counter c;
  h.SetOnGradientColorsChanged(MakeEvent(&c, &Counter::Changed));
  h.LoadFromStream(&s);
  EXPECT_TRUE(Same(Stops(h), Stops(g)));
  EXPECT_EQ(c.n, 1);
}

TEST(Pix32_ColorGradients_qn, MalformedStreamsLeaveTheStopsUnchanged) {
  TColor32Gradient g(A, B);
  const auto before = Stops(g);
  const std::vector<TBytes> inputs = {
      StreamBytes({1, Bits(0.5f), 5}, "Grid"),        // bad magic
      StreamBytes({}, "Gr"),                          // truncated magic
      StreamBytes({}),                                // no count
      StreamBytes({-1}),                              // negative count
      StreamBytes({0x7FFFFFFF, Bits(0.5f), 5}),       // huge count
      StreamBytes({2, Bits(0.5f), 5, Bits(0.7f)}),    // truncated stops
  };
  for (const TBytes& in : inputs) {
    TBytesStream s(in);
    try {
      g.LoadFromStream(&s);
      ADD_FAILURE() << "accepted a malformed stream of " << in.size() << " bytes";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Wrong format");
    }
    EXPECT_TRUE(Same(Stops(g), before));
  }
  TBytesStream empty(StreamBytes({0}));
  g.LoadFromStream(&empty);
  EXPECT_EQ(g.GradientCount(), 0);
}

}  // namespace t_pix32_color_gradients_test
