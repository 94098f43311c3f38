// Gallery page "skin": every image the store answers for the default skin's
// ids, enlarged twice on a checker so alpha shows, labelled with its id and
// the number of each frame.
#include <algorithm>
#include <cstdlib>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/foundation/uQuarnResManager.h"

using namespace qn;

namespace gallery {

namespace {

// QN_SKIN_ZOOM=<n> enlarges more, for a close look at single pixels.
const Integer kZoom = [] {
  const char* z = std::getenv("QN_SKIN_ZOOM");
  const int v = z ? std::atoi(z) : 0;
  return v >= 1 && v <= 8 ? v : 2;
}();
const Integer kSheetWidth = 640 * kZoom;
constexpr Integer kPad = 14;
constexpr Integer kLabelH = 18;
constexpr Integer kNumberH = 15;

// The caption buttons are white glyphs made for the accent title bar; they
// are shown on its colour, everything else on a light checker.
TColor32 Checker(Integer X, Integer Y, bool TitleBar) {
  if (TitleBar) return ((X / 6 + Y / 6) & 1) ? 0xFF3DB6F0u : 0xFF46C4FFu;
  return ((X / 6 + Y / 6) & 1) ? 0xFFD9DEE3u : 0xFFF7F9FAu;
}

// Src enlarged by kZoom at (X, Y) over the checker, without resampling, so
// each pixel of the image can be judged.
void DrawZoomed(TBitmap32& Dst, TBitmap32* Src, Integer X, Integer Y, bool TitleBar) {
  for (Integer y = 0; y < Src->Height() * kZoom; ++y)
    for (Integer x = 0; x < Src->Width() * kZoom; ++x) {
      const TColor32 s = Src->GetPixel(x / kZoom, y / kZoom);
      const TColor32 b = Checker(x, y, TitleBar);
      const Cardinal a = s >> 24;
      auto ch = [&](int shift) {
        const Cardinal fs = (s >> shift) & 0xFF, bs = (b >> shift) & 0xFF;
        return ((fs * a + bs * (255 - a) + 127) / 255) << shift;
      };
      Dst.SetPixelS(X + x, Y + y, 0xFF000000u | ch(16) | ch(8) | ch(0));
    }
}

}  // namespace

std::vector<std::string> SkinPage(const std::string& outDir) {
  const auto& infos = QnDefaultSkinImages();

  // Flow layout: cells left to right, a new row when the sheet is full.
  struct Cell {
    Integer X, Y, W, H;
  };
  std::vector<Cell> cells;
  TBitmap32 measure;
  measure.SetSize(4, 4);
  measure.Font()->SetName(u"DejaVu Sans");
  measure.Font()->SetHeight(-11);
  Integer x = kPad, y = 52, rowH = 0;
  for (const auto& info : infos) {
    const Integer w = std::max(info.Width * kZoom + (info.Stacked ? 22 : 0), measure.TextWidth(info.ResID));
    const Integer h = kLabelH + info.Height * kZoom + (info.Frames > 1 && !info.Stacked ? kNumberH : 4);
    if (x + w > kSheetWidth - kPad) {
      x = kPad;
      y += rowH + kPad;
      rowH = 0;
    }
    cells.push_back({x, y, w, h});
    x += w + 22;
    rowH = std::max(rowH, h);
  }

  TBitmap32 b;
  b.SetSize(kSheetWidth, y + rowH + kPad);
  b.Clear(0xFFE1ECF2u);  // the default form colour
  b.Font()->SetName(u"DejaVu Sans");
  b.Font()->SetHeight(-15);
  b.Font()->SetStyle({TFontStyle::fsBold});
  b.RenderText(kPad, 14, u"Default skin: " + IntToStr(static_cast<Integer>(infos.size())) +
                             u" images, frames numbered as the strips count them", -1, 0xFF23313Bu);
  b.Font()->SetHeight(-11);
  b.Font()->SetStyle({});

  TQuarnResManager* store = TQuarnResManagerObj();
  for (size_t i = 0; i < infos.size(); ++i) {
    const auto& info = infos[i];
    const Cell& c = cells[i];
    b.RenderText(c.X, c.Y, info.ResID, -1, 0xFF23313Bu);
    TQuarnImage* img = store->GetImageByName(info.ResID);
    if (!img) {
      b.RenderText(c.X, c.Y + kLabelH, u"(missing)", -1, 0xFFC03030u);
      continue;
    }
    const Integer ix = c.X, iy = c.Y + kLabelH;
    const String id = info.ResID;
    DrawZoomed(b, img, ix, iy, id.rfind(u"QuarnBtn_", 0) == 0 || id == u"QuarnTips_close");
    if (info.Frames > 1) {
      for (Integer k = 0; k < info.Frames; ++k) {
        if (info.Stacked) {
          const Integer fh = img->Height() / info.Frames * kZoom;
          b.RenderText(ix + img->Width() * kZoom + 6, iy + k * fh + fh / 2 - 7, IntToStr(k), -1, 0xFF5A6A76u);
          if (k) b.HorzLineTS(ix, iy + k * fh, ix + img->Width() * kZoom - 1, 0x60FF4080u);
        } else {
          const Integer fw = img->Width() / info.Frames * kZoom;
          b.RenderText(ix + k * fw + fw / 2 - 3, iy + img->Height() * kZoom + 1, IntToStr(k), -1, 0xFF5A6A76u);
          if (k) b.VertLineTS(ix + k * fw, iy, iy + img->Height() * kZoom - 1, 0x60FF4080u);
        }
      }
    }
  }
  b.ResetAlpha();

  vcl::TScreenImage shot;
  shot.Width = b.Width();
  shot.Height = b.Height();
  shot.Pixels.assign(b.Bits(), b.Bits() + size_t(b.Width()) * b.Height());
  const std::string path = outDir + "/skin.png";
  vcl::SavePng(shot, path);
  return {path};
}

}  // namespace gallery
