// One test picture drawn through every transformation: affine with each
// resampler and super-sampled, projective, twirl, bloat, disturbance,
// fish-eye, polar, path and remap; then the five kernel filters.
#include <cmath>
#include <memory>
#include <string>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/Math.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer PW = 150, PH = 112, Gap = 12, LabelH = 22, Cols = 6, Rows = 3;
constexpr Single kPi = 3.14159265f;

// Checks under a colour ramp, a circle and a thin diagonal: aliasing,
// bending and blur all show.
void TestPicture(TBitmap32& b) {
  b.SetSize(PW, PH);
  for (Integer y = 0; y < PH; ++y)
    for (Integer x = 0; x < PW; ++x) {
      const bool check = ((x / 10) ^ (y / 10)) & 1;
      TColor32 c = check ? Color32(Byte(60 + x), Byte(80 + y), 200) : Color32(250, Byte(200 - y), Byte(70 + x / 2));
      const Single dx = x - PW / 2.0f, dy = y - PH / 2.0f;
      const Single r = std::sqrt(dx * dx + dy * dy);
      if (r > 30 && r < 36) c = 0xFF202830;
      if (std::abs(x - y * 4 / 3) < 1) c = 0xFFFFFFFF;
      b.SetPixel(x, y, c);
    }
}

}  // namespace

std::vector<std::string> TransformsPage(const std::string& outDir) {
  TBitmap32 sheet;
  sheet.SetSize(Gap + Cols * (PW + Gap), Gap + Rows * (LabelH + PH + Gap));
  sheet.Clear(0xFFF4F4F2);
  sheet.Font()->SetName(u"DejaVu Sans");
  sheet.Font()->SetHeight(-12);
  sheet.Font()->SetColor(static_cast<TColor>(0x00403A36));
  Integer index = 0;
  auto panel = [&](const String& label, TCustomBitmap32& b) {
    const Integer x = Gap + (index % Cols) * (PW + Gap), y = Gap + (index / Cols) * (LabelH + PH + Gap);
    ++index;
    sheet.Textout(x, y + 3, label);
    b.SetDrawMode(TDrawMode::dmBlend);
    sheet.Draw(x, y + LabelH, &b);
  };

  TBitmap32 src;
  TestPicture(src);
  src.SetOuterColor(0);
  src.SetDrawMode(TDrawMode::dmBlend);
  const TFloatRect srcRect = FloatRect(src.BoundsRect());
  auto frame = [] {
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(PW, PH);
    b->Clear(0xFFFFFFFF);
    return b;
  };

  // Affine: rotated 25 degrees and enlarged about the centre, with each
  // resampler, then reduced and super-sampled.
  auto affine = [&](Single angle, Single scale) {
    auto t = std::make_unique<TAffineTransformation>();
    t->SetSrcRect(srcRect);
    t->Translate(-PW / 2.0f, -PH / 2.0f);
    t->Rotate(angle);
    t->Scale(scale);
    t->Translate(PW / 2.0f, PH / 2.0f);
    return t;
  };
  {
    auto t = affine(25, 1.6f);
    new TNearestResampler(&src);
    auto b = frame();
    Transform(b.get(), &src, t.get());
    panel(u"Affine, nearest", *b);
    new TLinearResampler(&src);
    b = frame();
    Transform(b.get(), &src, t.get());
    panel(u"Affine, linear", *b);
    (new TKernelResampler(&src))->SetKernelClassName(u"TLanczosKernel");
    b = frame();
    Transform(b.get(), &src, t.get());
    panel(u"Affine, Lanczos", *b);
    // Reduced to a third: plain nearest aliases, 4 x 4 super-sampling does not.
    new TNearestResampler(&src);
    auto small = affine(25, 0.33f);
    b = frame();
    Transform(b.get(), &src, small.get());
    panel(u"Reduced, nearest", *b);
    b = frame();
    TTransformer transformer(src.Resampler(), small.get());
    TSuperSampler super(&transformer);
    TRegularRasterizer r;
    r.SetSampler(&super);
    r.Rasterize(b.get(), b->BoundsRect(), &src);
    panel(u"Reduced, super-sampled", *b);
  }
  new TLinearResampler(&src);
  {
    TProjectiveTransformation p;
    p.SetSrcRect(srcRect);
    p.SetX0(30), p.SetY0(14), p.SetX1(124), p.SetY1(4), p.SetX2(146), p.SetY2(106), p.SetX3(6), p.SetY3(88);
    auto b = frame();
    Transform(b.get(), &src, &p);
    panel(u"Projective", *b);
  }
  {
    TTwirlTransformation t;
    t.SetSrcRect(srcRect);
    t.SetTwirl(0.025f);
    auto b = frame();
    Transform(b.get(), &src, &t, b->BoundsRect());
    panel(u"Twirl 0.025", *b);
  }
  {
    TBloatTransformation t;
    t.SetSrcRect(srcRect);
    t.SetBloatPower(0.12f);
    auto b = frame();
    Transform(b.get(), &src, &t);
    panel(u"Bloat 0.12", *b);
  }
  {
    RandSeed = 5;
    TDisturbanceTransformation t;
    t.SetSrcRect(srcRect);
    t.SetDisturbance(6);
    auto b = frame();
    Transform(b.get(), &src, &t);
    panel(u"Disturbance 6", *b);
  }
  {
    TFishEyeTransformation t;
    t.SetSrcRect(srcRect);
    auto b = frame();
    Transform(b.get(), &src, &t);
    panel(u"Fish-eye", *b);
  }
  {
    TPolarTransformation t;
    t.SetSrcRect(srcRect);
    t.SetDstRect(TFloatRect(20, 1, 130, 111));
    t.SetPhase(0.5f);
    auto b = frame();
    Transform(b.get(), &src, &t);
    panel(u"Polar", *b);
  }
  {
    // Drawn by its forward mapping: the path class has no reverse one, so
    // each destination pixel is found through a sampled vector map.
    TPathTransformation path;
    path.SetSrcRect(srcRect);
    TArrayOfFloatPoint top, bottom;
    for (Integer i = 0; i <= 20; ++i) {
      const Single u = i / 20.0f;
      top.emplace_back(8 + u * 134, 20 + 14 * std::sin(u * 2 * kPi));
      bottom.emplace_back(8 + u * 134, 92 + 14 * std::sin(u * 2 * kPi));
    }
    path.SetTopCurve(top);
    path.SetBottomCurve(bottom);
    auto b = frame();
    for (Integer y = 0; y < PH * 2; ++y)
      for (Integer x = 0; x < PW * 2; ++x) {
        const TFloatPoint d = path.Transform(TFloatPoint(x * 0.5f, y * 0.5f));
        b->SetPixelFS(d.X, d.Y, src.GetPixel(x / 2, y / 2));
      }
    panel(u"Path (forward)", *b);
  }
  {
    // A remap whose map holds a swirl of displacements.
    TRemapTransformation t;
    t.SetSrcRect(srcRect);
    t.SetMappingRect(srcRect);
    TVectorMap* m = t.VectorMap();
    m->SetSize(PW, PH);
    for (Integer y = 0; y < PH; ++y)
      for (Integer x = 0; x < PW; ++x)
        m->SetFloatVector(x, y, TFloatPoint(6 * std::sin(y * 0.12f), 6 * std::cos(x * 0.1f)));
    auto b = frame();
    Transform(b.get(), &src, &t);
    panel(u"Remap (waves)", *b);
  }
  // The kernel filters.
  new TNearestResampler(&src);
  src.SetDrawMode(TDrawMode::dmOpaque);
  {
    TIntegerMap blur(5, 5);
    for (Integer j = 0; j < 5; ++j)
      for (Integer i = 0; i < 5; ++i) blur.SetValue(i, j, (3 - std::abs(i - 2)) * (3 - std::abs(j - 2)) * 256 / 81);
    Integer sum = 0;
    for (Integer k = 0; k < 25; ++k) sum += blur.Bits()[k];
    blur.SetValue(2, 2, blur.Value(2, 2) + 256 - sum);
    TBitmap32 b;
    Convolve(&src, &b, &blur, 2, 2);
    panel(u"Convolve (blur)", b);
    TIntegerMap disc(5, 5);
    for (Integer j = 0; j < 5; ++j)
      for (Integer i = 0; i < 5; ++i) disc.SetValue(i, j, (i - 2) * (i - 2) + (j - 2) * (j - 2) <= 4 ? 0 : -255);
    Dilate(&src, &b, &disc, 2, 2);
    panel(u"Dilate", b);
    TIntegerMap erode(5, 5);
    for (Integer j = 0; j < 5; ++j)
      for (Integer i = 0; i < 5; ++i) erode.SetValue(i, j, (i - 2) * (i - 2) + (j - 2) * (j - 2) <= 4 ? 0 : -255);
    Erode(&src, &b, &erode, 2, 2);
    panel(u"Erode", b);
    TIntegerMap grow(3, 3);
    grow.Clear(256);
    Expand(&src, &b, &grow, 1, 1);
    panel(u"Expand", b);
    Contract(&src, &b, &grow, 1, 1);
    panel(u"Contract", b);
  }

  sheet.ResetAlpha();
  vcl::TScreenImage img;
  img.Width = sheet.Width();
  img.Height = sheet.Height();
  img.Pixels.assign(sheet.Bits(), sheet.Bits() + size_t(img.Width) * img.Height);
  const std::string path = outDir + "/transforms.png";
  vcl::SavePng(img, path);
  return {path};
}

}  // namespace gallery
