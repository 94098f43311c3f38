#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"

namespace t_pix32_transforms_test {

using namespace qn;

namespace {
void ExpectMapsTo(TTransformation& t, Single x, Single y, Single ex, Single ey, Single tol = 1e-4f) {
  const TFloatPoint p = t.Transform(TFloatPoint(x, y));
  EXPECT_NEAR(p.X, ex, tol);
  EXPECT_NEAR(p.Y, ey, tol);
}
}  // namespace

TEST(Pix32_Transforms_qn, MatrixArithmetic) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> d(-3, 3);
  for (int n = 0; n < 500; ++n) {
    TFloatMatrix m;
    for (auto& c : m)
      for (auto& v : c) v = d(rng);
    if (std::fabs(Determinant(m)) < 0.1f) continue;
    TFloatMatrix inv = m;
    Invert(inv);
    const TFloatMatrix p = Mult(m, inv);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) ASSERT_NEAR(p[i][j], i == j ? 1.0f : 0.0f, 2e-3f);
    // Mult maps as the second matrix first.
    const TVector3f v{d(rng), d(rng), 1};
    const TVector3f a = VectorTransform(Mult(m, inv), v);
    const TVector3f b = VectorTransform(m, VectorTransform(inv, v));
    for (int i = 0; i < 3; ++i) ASSERT_NEAR(a[i], b[i], 1e-3f);
  }
  TFloatMatrix s = IdentityMatrix;
  Scale(s, 0.0f);
  Invert(s);
  EXPECT_EQ(s, IdentityMatrix);  // singular: the identity
  TFloatMatrix t = IdentityMatrix;
  t[2][0] = 1.5f;
  const TFixedMatrix f = FixedMatrix(t);
  EXPECT_EQ(f[2][0], 0x18000);
  EXPECT_EQ(f[0][0], 0x10000);
  EXPECT_EQ(FloatMatrix(f), t);
  EXPECT_FLOAT_EQ(Determinant(IdentityMatrix), 1);
}

TEST(Pix32_Transforms_qn, IdentityInEveryForm) {
  TAffineTransformation t;
  for (Integer v : {-7, 0, 3, 1000}) {
    EXPECT_EQ(t.Transform(TPoint(v, -v)), TPoint(v, -v));
    EXPECT_EQ(t.ReverseTransform(TPoint(v, 2 * v)), TPoint(v, 2 * v));
    EXPECT_EQ(t.Transform(TFixedPoint(v * 12345, 777)), TFixedPoint(v * 12345, 777));
    EXPECT_EQ(t.ReverseTransform(TFixedPoint(v, v)), TFixedPoint(v, v));
    EXPECT_EQ(t.Transform(TFloatPoint(v * 0.5f, 2.25f)), TFloatPoint(v * 0.5f, 2.25f));
    EXPECT_EQ(t.ReverseTransform(TFloatPoint(v * 0.5f, 2.25f)), TFloatPoint(v * 0.5f, 2.25f));
  }
  EXPECT_TRUE(t.TransformValid);
}

TEST(Pix32_Transforms_qn, AffineModifiersCompose) {
  TAffineTransformation t;
  int changes = 0;
  t.SetOnChange([&](TObject*) { ++changes; });
  t.Rotate(90);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(t.TransformValid);
  ExpectMapsTo(t, 1, 0, 0, -1);
  ExpectMapsTo(t, 0, 1, 1, 0);
  const TFloatPoint back = t.ReverseTransform(TFloatPoint(0, -1));
  EXPECT_NEAR(back.X, 1, 1e-5f);
  EXPECT_NEAR(back.Y, 0, 1e-5f);

  t.Clear();
  t.Rotate(10, 10, 90);
  ExpectMapsTo(t, 10, 10, 10, 10);
  ExpectMapsTo(t, 11, 10, 10, 9);

  // Later steps apply after earlier ones.
  t.Clear();
  t.Translate(1, 0);
  t.Scale(2, 3);
  ExpectMapsTo(t, 1, 1, 4, 3);
  t.Clear();
  t.Scale(2);
  t.Translate(1, 0);
  ExpectMapsTo(t, 1, 1, 3, 2);
  t.Clear();
  t.Skew(0.5f, 0.25f);
  ExpectMapsTo(t, 2, 4, 4, 4.5f);

  // A degenerate scale reverses to no change at all.
  t.Clear();
  t.Scale(0);
  EXPECT_EQ(t.ReverseTransform(TFloatPoint(3, 4)), TFloatPoint(3, 4));

  // Exact halves: 16.16 keeps them, integers round them down.
  t.Clear();
  t.Translate(1.5f, 0);
  t.PrepareTransform();
  TFixed fx, fy;
  t.TransformFixed(0, 0, fx, fy);
  EXPECT_EQ(fx, 0x18000);
  EXPECT_EQ(fy, 0);
  Integer ix, iy;
  t.TransformInt(0, 0, ix, iy);
  EXPECT_EQ(ix, 1);
  EXPECT_EQ(iy, 0);
}

TEST(Pix32_Transforms_qn, TransformedBounds) {
  TAffineTransformation t;
  t.Rotate(5, 5, 45);
  const TFloatRect r = t.GetTransformedBounds(FloatRect(0, 0, 10, 10));
  EXPECT_NEAR(r.Right - r.Left, 14.142f, 1e-3f);
  EXPECT_NEAR(r.Bottom - r.Top, 14.142f, 1e-3f);
  EXPECT_NEAR((r.Left + r.Right) / 2, 5, 1e-4f);
  EXPECT_NEAR((r.Top + r.Bottom) / 2, 5, 1e-4f);
  t.SetSrcRect(FloatRect(0, 0, 2, 2));
  EXPECT_NEAR(t.GetTransformedBounds().Right - t.GetTransformedBounds().Left, 2.828f, 1e-3f);
  TTransformation bare;
  const TFloatRect same = bare.GetTransformedBounds(FloatRect(1, 2, 3, 4));
  EXPECT_EQ(same.Right, 3);
  EXPECT_TRUE(bare.HasTransformedBounds());
}

TEST(Pix32_Transforms_qn, BareTransformationRaisesWithItsClassName) {
  TTransformation t;
  Single x, y;
  try {
    t.TransformFloat(1, 2, x, y);
    FAIL() << "no exception";
  } catch (const ETransformNotImplemented& e) {
    EXPECT_EQ(e.Message(), u"Forward transformation is not implemented in TTransformation.");
  }
  try {
    t.ReverseTransform(TPoint(1, 1));
    FAIL() << "no exception";
  } catch (const ETransformNotImplemented& e) {
    EXPECT_EQ(e.Message(), u"Reverse transformation is not implemented in TTransformation.");
  }
  EXPECT_FALSE(t.TransformValid);
}

TEST(Pix32_Transforms_qn, TransformPointsPreparesOnce) {
  TAffineTransformation t;
  t.Translate(2, -1);
  EXPECT_TRUE(TransformPoints({}, &t).empty());
  const TArrayOfArrayOfFixedPoint in = {{FixedPoint(1, 1), FixedPoint(0, 0)}, {}, {FixedPoint(-3, 4)}};
  const auto out = TransformPoints(in, &t);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_TRUE(out[1].empty());
  EXPECT_EQ(out[0][0], FixedPoint(3, 0));
  EXPECT_EQ(out[2][0], FixedPoint(-1, 3));
  EXPECT_TRUE(t.TransformValid);
}

TEST(Pix32_Transforms_qn, DeterminantBindingsPreferExtended) {
  ASSERT_NE(Det2x2Single, nullptr);
  ASSERT_NE(Det2x2Double, nullptr);
  EXPECT_EQ(Det2x2Single(2, 3, 4, 5), -2.0f);
  EXPECT_EQ(Det2x2Double(2, 3, 4, 5), -2.0);
  EXPECT_STREQ(TransformsRegistry->BoundInfo(0)->Name, "extended");
  EXPECT_STREQ(TransformsRegistry->BoundInfo(1)->Name, "extended");
}

}  // namespace t_pix32_transforms_test
