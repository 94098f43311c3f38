// The order in which each rasterizer visits the pixels of one picture,
// shown as a heat map (dark blue first, through green and yellow, to white
// last), the progressive rasterizer's picture after its first pass, and a
// vector field read back from a mesh file shown as colour (hue the
// direction, brightness the length).
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Rasterizers_qn.h"
#include "graphics/raster/Pix32_Transforms_qn.h"
#include "graphics/raster/Pix32_VectorMaps_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer PW = 160, PH = 120, Gap = 12, LabelH = 22, Cols = 4, Rows = 2;

// A picture with soft rings and a diagonal band, for the contour
// rasterizer to follow.
TColor32 PictureAt(Integer X, Integer Y) {
  const Single dx = X - PW * 0.35f, dy = Y - PH * 0.45f;
  const Single r = std::sqrt(dx * dx + dy * dy);
  const Byte ring = Byte(127 + 127 * std::sin(r * 0.25f));
  const Byte band = (X + Y) / 12 % 2 ? 200 : 90;
  return Color32(ring, band, Byte(255 - ring / 2));
}

// Samples the picture and keeps the order in which pixels were asked for.
class TOrderSampler : public TCustomSampler {
 public:
  std::vector<Integer> Order = std::vector<Integer>(size_t(PW) * PH, -1);
  std::atomic<Integer> Count{0};
  TColor32 GetSampleInt(Integer X, Integer Y) override {
    const Integer n = Count.fetch_add(1);
    if (X >= 0 && Y >= 0 && X < PW && Y < PH) Order[size_t(Y) * PW + X] = n;
    return PictureAt(X, Y);
  }
  TColor32 GetSampleFixed(TFixed X, TFixed Y) override { return GetSampleInt(X >> 16, Y >> 16); }
};

TColor32 Heat(Single t) {
  // Dark blue, blue, green, yellow, white.
  static const Single stops[5][3] = {{20, 20, 90}, {40, 90, 220}, {60, 190, 90}, {250, 220, 40}, {255, 255, 255}};
  t = std::fmin(std::fmax(t, 0.0f), 1.0f) * 4;
  const Integer i = std::min(Integer(t), 3);
  const Single f = t - Single(i);
  auto mix = [&](Integer c) { return Byte(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f); };
  return Color32(mix(0), mix(1), mix(2));
}

}  // namespace

std::vector<std::string> RasterizersPage(const std::string& outDir) {
  TBitmap32 sheet;
  constexpr Integer LegendH = 44;
  sheet.SetSize(Gap + Cols * (PW + Gap), Gap + Rows * (LabelH + PH + Gap) + LegendH);
  sheet.Clear(0xFF2B2F36);
  sheet.Font()->SetName(u"DejaVu Sans");
  sheet.Font()->SetHeight(-12);
  sheet.Font()->SetColor(static_cast<TColor>(0x00E8E8E8));
  auto panel = [&](Integer i, const String& label, const TCustomBitmap32& b) {
    const Integer x = Gap + (i % Cols) * (PW + Gap), y = Gap + (i / Cols) * (LabelH + PH + Gap);
    sheet.Textout(x, y + 2, label);
    for (Integer j = 0; j < PH; ++j)
      for (Integer k = 0; k < PW; ++k) sheet.SetPixel(x + k, y + LabelH + j, b.GetPixel(k, j));
  };
  auto heatOf = [](const TOrderSampler& s) {
    auto h = std::make_unique<TBitmap32>();
    h->SetSize(PW, PH);
    const Single total = Single(std::max<Integer>(s.Count.load() - 1, 1));
    for (Integer i = 0; i < PW * PH; ++i) h->Bits()[i] = Heat(Single(s.Order[size_t(i)]) / total);
    return h;
  };
  struct TEntry {
    TClass Class;
    const char16_t* Name;
  };
  const TEntry entries[] = {{TRegularRasterizer::StaticClass(), u"Regular"},
                            {TSwizzlingRasterizer::StaticClass(), u"Swizzling"},
                            {TProgressiveRasterizer::StaticClass(), u"Progressive"},
                            {TTesseralRasterizer::StaticClass(), u"Tesseral"},
                            {TContourRasterizer::StaticClass(), u"Contour"},
                            {TMultithreadedRegularRasterizer::StaticClass(), u"Multithreaded (4)"}};
  const Integer savedProcessors = NumberOfProcessors;
  NumberOfProcessors = 4;
  Integer i = 0;
  for (const TEntry& e : entries) {
    TOrderSampler s;
    TBitmap32 scratch;
    scratch.SetSize(PW, PH);
    std::unique_ptr<TRasterizer> r(static_cast<TRasterizer*>(e.Class->Create(nullptr)));
    if (auto* sw = dynamic_cast<TSwizzlingRasterizer*>(r.get())) sw->SetBlockSize(4);
    if (auto* p = dynamic_cast<TProgressiveRasterizer*>(r.get())) p->SetSteps(3);
    r->SetSampler(&s);
    r->Rasterize(&scratch);
    panel(i++, e.Name, *heatOf(s));
    if (e.Class == TProgressiveRasterizer::StaticClass()) {
      // The same rasterizer stopped when its first, coarse pass is done.
      TOrderSampler first;
      TBitmap32 coarse;
      coarse.SetSize(PW, PH);
      TProgressiveRasterizer p;
      p.SetSteps(3);
      p.SetUpdateRows(false);
      p.SetSampler(&first);
      struct TFirstPassDone {};
      coarse.SetOnAreaChanged([](TObject*, const TRect&, Cardinal) { throw TFirstPassDone{}; });
      try {
        p.Rasterize(&coarse);
      } catch (const TFirstPassDone&) {
      }
      panel(i++, u"Progressive, first pass", coarse);
    }
  }
  NumberOfProcessors = savedProcessors;

  // A twirl's displacements sampled into a map, kept in a mesh file and
  // read back.
  TVectorMap field(PW, PH);
  TTwirlTransformation twirl;
  twirl.SetSrcRect(TFloatRect(0, 0, PW, PH));
  twirl.SetTwirl(0.02f);
  RasterizeTransformation(&field, &twirl, field.BoundsRect(), TVectorCombineMode::vcmReplace, nullptr);
  const std::string mesh = WorkFolder() + "/rasterizers-field.msh";
  field.SaveToFile(String(mesh.begin(), mesh.end()));
  TVectorMap loaded;
  loaded.LoadFromFile(String(mesh.begin(), mesh.end()));
  std::remove(mesh.c_str());
  TBitmap32 colours;
  colours.SetSize(PW, PH);
  for (Integer y = 0; y < PH; ++y)
    for (Integer x = 0; x < PW; ++x) {
      const TFloatPoint v = loaded.GetFloatVector(x, y);
      const Single hue = (std::atan2(v.Y, v.X) + 3.14159265f) / (2 * 3.14159265f);
      const Single len = std::fmin(std::sqrt(v.X * v.X + v.Y * v.Y) / 40.0f, 1.0f);
      colours.SetPixel(x, y, HSLtoRGB(hue, 0.8f, 0.12f + 0.5f * len));
    }
  panel(i++, u"Vector field (.msh)", colours);

  // The legend: the heat map's colours from the first pixel visited to the
  // last, and how the vector field's colours read.
  {
    const Integer y = Gap + Rows * (LabelH + PH + Gap), barW = 2 * PW + Gap;
    sheet.Textout(Gap, y, u"Heat map: order of visits");
    for (Integer x = 0; x < barW; ++x)
      for (Integer j = 0; j < 10; ++j) sheet.SetPixel(Gap + x, y + 18 + j, Heat(Single(x) / Single(barW - 1)));
    sheet.Textout(Gap + barW + 8, y + 14, u"first \u2192 last");
    sheet.Textout(Gap + 3 * (PW + Gap), y, u"Field: hue = direction,");
    sheet.Textout(Gap + 3 * (PW + Gap), y + 16, u"brightness = length");
  }
  sheet.ResetAlpha();
  vcl::TScreenImage img;
  img.Width = sheet.Width();
  img.Height = sheet.Height();
  img.Pixels.assign(sheet.Bits(), sheet.Bits() + size_t(img.Width) * img.Height);
  const std::string path = outDir + "/rasterizers.png";
  vcl::SavePng(img, path);
  return {path};
}

}  // namespace gallery
