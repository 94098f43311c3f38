// Text on a 32-bit bitmap over a gradient: GDI text through Textout, then
// RenderText at every anti-aliasing level from -1 (the font engine's own
// smoothing) through 0 (none) to 4 (sixteen by sixteen supersamples), in
// opaque white and in half-transparent gold.
#include <string>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/GdiText.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer W = 600, RowH = 54, Top = 14, Left = 120;
const char16_t* const Sample = u"Skinned text: Quick brown fox 0123";

void Gradient(TBitmap32& b) {
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x) {
      const Integer t = x * 255 / (b.Width() - 1), u = y * 255 / (b.Height() - 1);
      // Deep blue at the top left, warm purple to the right, lighter below.
      b.SetPixel(x, y, Color32(Byte(16 + t / 2 + u / 8), Byte(28 + u / 4), Byte(72 + u / 5 - t / 6), 255));
    }
}

}  // namespace

std::vector<std::string> BitmapTextPage(const std::string& outDir) {
  TBitmap32 b;
  b.SetSize(W, Top + 7 * RowH + 8);
  Gradient(b);

  auto label = [&](Integer row, const String& text) {
    b.Font()->SetName(u"DejaVu Sans");
    b.Font()->SetHeight(-12);
    b.Font()->SetStyle({});
    b.Font()->SetColor(static_cast<TColor>(0x00E0E0E0));
    b.Textout(14, Top + row * RowH + 6, text);
  };
  auto sampleFont = [&] {
    b.Font()->SetName(u"DejaVu Sans");
    b.Font()->SetHeight(-19);
    b.Font()->SetStyle({});
  };

  label(0, u"Textout");
  b.Font()->SetHeight(-11);
  b.Font()->SetColor(static_cast<TColor>(0x00C8C8C8));
  b.Textout(14, Top + 24, u"GDI, alpha 0");
  sampleFont();
  b.Font()->SetColor(clWhite);
  b.Textout(Left, Top + 2, Sample);
  b.Font()->SetColor(static_cast<TColor>(0x0040D0FF));
  b.Textout(Left, Top + 24, u"GDI text: its pixels keep alpha 0");

  const Integer levels[] = {-1, 0, 1, 2, 3, 4};
  for (Integer i = 0; i < 6; ++i) {
    const Integer row = i + 1, y = Top + row * RowH;
    label(row, u"RenderText " + IntToStr(levels[i]));
    static const char16_t* const kHow[] = {u"font's own", u"no smoothing", u"2 x 2 samples", u"4 x 4 samples",
                                           u"8 x 8 samples", u"16 x 16 samples"};
    b.Font()->SetHeight(-11);
    b.Font()->SetColor(static_cast<TColor>(0x00C8C8C8));
    b.Textout(14, y + 24, kHow[i]);
    sampleFont();
    b.RenderText(Left, y, Sample, levels[i], 0xFFFFFFFFu);
    b.RenderText(Left, y + 24, u"half-transparent gold, same level", levels[i], 0x90FFD040u);
  }
  // GDI leaves alpha 0 where it drew; the page shows the bitmap as a window
  // would, opaque.
  b.ResetAlpha();

  vcl::TScreenImage img;
  img.Width = b.Width();
  img.Height = b.Height();
  img.Pixels.assign(b.Bits(), b.Bits() + size_t(b.Width()) * b.Height());
  const std::string path = outDir + "/bitmap-text.png";
  vcl::SavePng(img, path);
  return {path};
}

}  // namespace gallery
