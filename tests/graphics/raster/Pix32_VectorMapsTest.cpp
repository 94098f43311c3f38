#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "platform/rtl/SysUtils.h"

namespace t_pix32_vector_maps_test {

using namespace qn;

namespace {

std::string TempPath(const char* name) { return testing::TempDir() + name; }

std::vector<char> ReadAll(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), {});
}

void WriteAll(const std::string& p, const std::vector<char>& d) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(d.data(), std::streamsize(d.size()));
}

String U(const std::string& s) { return String(s.begin(), s.end()); }

}  // namespace

TEST(Pix32_VectorMaps_qn, ReadsAndWrites) {
  TVectorMap m(3, 2);
  EXPECT_FALSE(m.Empty());
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 3; ++x) m.SetFixedVector(x, y, TFixedPoint(Fixed(x * 10), Fixed(y * 100)));
  EXPECT_EQ(m.GetFixedVectorS(-1, 0), TFixedPoint());
  EXPECT_EQ(m.GetFixedVectorX(Fixed(3), 0), TFixedPoint());
  EXPECT_EQ(m.GetFixedVectorX(Fixed(1), Fixed(1)), TFixedPoint(Fixed(10), Fixed(100)));
  // Halfway between cells, and past the last column the cell itself.
  EXPECT_EQ(m.GetFixedVectorX(0x8000, 0x8000), TFixedPoint(Fixed(5), Fixed(50)));
  EXPECT_EQ(m.GetFixedVectorX(Fixed(2) + 0x8000, 0), TFixedPoint(Fixed(20), 0));
  // The safe form counts outside cells as zero.
  EXPECT_EQ(m.GetFixedVectorXS(Fixed(2) + 0x8000, 0), TFixedPoint(Fixed(10), 0));
  EXPECT_FLOAT_EQ(m.GetFloatVectorF(1.5f, 0).X, 15.0f);

  // A splat at (-1, -1) + 0.5 reaches only cell (0, 0).
  TVectorMap s(3, 3);
  s.SetFixedVectorXS(-0x8000, -0x8000, TFixedPoint(Fixed(8), Fixed(-8)));
  for (Integer y = 0; y < 3; ++y)
    for (Integer x = 0; x < 3; ++x)
      if (x || y) {
        EXPECT_EQ(s.GetFixedVector(x, y), TFixedPoint());
      }
  EXPECT_NEAR(s.GetFixedVector(0, 0).X, Fixed(2), 2);
  // The nearest cell takes most of the value.
  s.Clear();
  s.SetFixedVectorX(0x4000, 0x4000, TFixedPoint(Fixed(16), 0));
  EXPECT_GT(s.GetFixedVector(0, 0).X, s.GetFixedVector(1, 1).X);
  EXPECT_NEAR(s.GetFixedVector(0, 0).X, Fixed(9), 64);
  s.SetFixedVectorXS(Fixed(3), 0, TFixedPoint(1, 1));  // outside: nothing
  EXPECT_EQ(s.GetTrimmedBounds(), TRect(0, 0, 2, 2));
  s.Clear();
  EXPECT_EQ(s.GetTrimmedBounds(), TRect(0, 0, 0, 0));
  s.SetFixedVector(2, 1, TFixedPoint(0, 1));
  EXPECT_EQ(s.GetTrimmedBounds(), TRect(2, 1, 3, 2));
}

TEST(Pix32_VectorMaps_qn, MergeModesWithClipping) {
  TVectorMap base(4, 4), src(3, 3);
  for (Integer i = 0; i < 9; ++i) src.Vectors()[size_t(i)] = TFixedPoint(Fixed(i + 1), Fixed(-(i + 1)));
  TVectorMap empty;
  EXPECT_THROW(base.Merge(0, 0, &empty, TRect(0, 0, 1, 1)), Exception);
  EXPECT_THROW(empty.Merge(0, 0, &src, TRect(0, 0, 1, 1)), Exception);

  // vcmAdd at (-1, 2): source cell (1, 0) lands on (0, 2).
  src.SetVectorCombineMode(TVectorCombineMode::vcmAdd);
  base.Merge(-1, 2, &src, src.BoundsRect());
  base.Merge(-1, 2, &src, src.BoundsRect());
  EXPECT_EQ(base.GetFixedVector(0, 2), TFixedPoint(Fixed(4), Fixed(-4)));
  EXPECT_EQ(base.GetFixedVector(1, 3), TFixedPoint(Fixed(12), Fixed(-12)));
  EXPECT_EQ(base.GetFixedVector(2, 2), TFixedPoint());
  src.SetVectorCombineMode(TVectorCombineMode::vcmReplace);
  base.Merge(-1, 2, &src, src.BoundsRect());
  EXPECT_EQ(base.GetFixedVector(1, 3), TFixedPoint(Fixed(6), Fixed(-6)));

  // Custom: weights run -1 .. +1 across the merged cells; one column gets 0.
  src.SetVectorCombineMode(TVectorCombineMode::vcmCustom);
  std::vector<TFixedPoint> weights;
  src.SetOnVectorCombine([&](const TFixedPoint&, const TFixedPoint& P, TFixedPoint& B) {
    weights.push_back(P);
    B = P;
  });
  base.Merge(1, 0, &src, src.BoundsRect());
  ASSERT_EQ(weights.size(), 9u);
  EXPECT_EQ(weights[0], TFixedPoint(-0x10000, -0x10000));
  EXPECT_EQ(weights[8], TFixedPoint(0x10000, 0x10000));
  weights.clear();
  base.Merge(3, 0, &src, TRect(0, 0, 1, 2));
  ASSERT_EQ(weights.size(), 2u);
  EXPECT_EQ(weights[1], TFixedPoint(-0x10000, 0x10000));
}

TEST(Pix32_VectorMaps_qn, MeshFiles) {
  const std::string p = TempPath("quarn_mesh.msh");
  TVectorMap m(2, 2);
  m.SetFloatVector(0, 0, TFloatPoint(1.5f, -2.25f));
  m.SetFloatVector(1, 1, TFloatPoint(100, 0.125f));
  m.SaveToFile(U(p));
  auto bytes = ReadAll(p);
  ASSERT_EQ(bytes.size(), 72u);
  TVectorMap n;
  n.LoadFromFile(U(p));
  EXPECT_EQ(n.Width(), 2);
  EXPECT_EQ(n.GetVectors(), m.GetVectors());

  // The identifier is compared without case.
  bytes[4] = 'Y';
  bytes[18] = 'm';
  WriteAll(p, bytes);
  TVectorMap c;
  c.LoadFromFile(U(p));
  EXPECT_EQ(c.GetVectors(), m.GetVectors());

  TVectorMap keep(1, 1);
  keep.SetFixedVector(0, 0, TFixedPoint(7, 7));
  auto rejected = [&](std::vector<char> d) {
    WriteAll(p, d);
    try {
      keep.LoadFromFile(U(p));
      return false;
    } catch (const Exception& e) {
      return e.Message() == u"Bad format - Photoshop .msh expected!" && keep.Width() == 1 &&
             keep.GetFixedVector(0, 0) == TFixedPoint(7, 7);
    }
  };
  EXPECT_TRUE(rejected(std::vector<char>(bytes.begin(), bytes.begin() + 40)));  // truncated
  auto neg = bytes;
  neg[27] = char(0x80);  // negative width
  EXPECT_TRUE(rejected(neg));
  auto huge = bytes;
  huge[24] = huge[25] = huge[26] = char(0xFF);
  huge[27] = 0x7F;
  huge[28] = huge[29] = 0x40;  // width x height x 8 wraps 32 bits
  EXPECT_TRUE(rejected(huge));
  auto bad = bytes;
  bad[6] = 'x';
  EXPECT_TRUE(rejected(bad));
  std::remove(p.c_str());
  try {
    keep.LoadFromFile(U(p));
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"File not found!");
  }
}

}  // namespace t_pix32_vector_maps_test
