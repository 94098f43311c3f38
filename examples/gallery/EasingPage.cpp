// Gallery page "easing": the 28 easing curves as GenerateValues gives them
// in 60 steps, each in a small plot with its name, and a five-frame strip
// cut by TPngPictures from a side-by-side and from a stacked picture.
#include <algorithm>
#include <cmath>

#include "examples/gallery/Gallery.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "skin/foundation/uQnAnimateEasing.h"
#include "skin/foundation/uQuarnIntf.h"

using namespace qn;

namespace gallery {

namespace {

constexpr Integer kCols = 7, kCellW = 180, kCellH = 170, kPad = 14, kTop = 44;
constexpr Integer kPlotW = 150, kPlotH = 84;

// Five frames told apart by colour and a bar whose length is the frame
// number, so a frame cut from the wrong place shows at once.
void PaintStrip(TBitmap32& B, bool Stacked) {
  const Integer fw = 40, fh = 30;
  B.SetSize(Stacked ? fw : fw * 5, Stacked ? fh * 5 : fh);
  B.Clear(0);
  const TColor32 colours[5] = {0xFF46C4FFu, 0xFF3CB371u, 0xFFF0A030u, 0xFFE05060u, 0xFF8A7CF0u};
  for (Integer k = 0; k < 5; ++k) {
    const Integer x = Stacked ? 0 : k * fw, y = Stacked ? k * fh : 0;
    PolygonFS(&B, RoundRect(TFloatRect(x + 2.0f, y + 2.0f, x + fw - 2.0f, y + fh - 2.0f), 6), colours[k],
              TPolyFillMode::pfNonZero);
    B.FillRectS(x + 8, y + fh / 2 - 2, x + 8 + 5 * (k + 1), y + fh / 2 + 2, 0xFFFFFFFFu);
  }
}

}  // namespace

std::vector<std::string> EasingPage(const std::string& outDir) {
  const Integer rows = (28 + kCols - 1) / kCols;
  TBitmap32 b;
  b.SetSize(kPad * 2 + kCols * kCellW, kTop + rows * kCellH + 190);
  b.Clear(0xFFF7F9FBu);
  b.Font()->SetName(u"DejaVu Sans");
  b.Font()->SetHeight(-15);
  b.Font()->SetStyle({TFontStyle::fsBold});
  b.RenderText(kPad, 12, u"Easing curves: GenerateValues(100, 60, curve), t from 0 to 59/60", -1, 0xFF23313Bu);
  b.Font()->SetStyle({});
  b.Font()->SetHeight(-11);

  for (Integer e = 0; e < 28; ++e) {
    const auto type = static_cast<TEasingType>(e);
    const Integer cx = kPad + (e % kCols) * kCellW, cy = kTop + (e / kCols) * kCellH;
    b.RenderText(cx, cy, EnumName(type), -1, 0xFF23313Bu);
    // Plot frame: values 0 and 100 at the dashed lines; a curve that
    // overshoots further than the room above and below is scaled down so
    // all of it shows.
    const TResultArray v = TQnAnimateEasing::GenerateValues(100, 60, type);
    double lo = -28.0 * 100 / kPlotH, hi = 100 + 28.0 * 100 / kPlotH;
    for (const auto& x : v) lo = std::min(lo, double(x) - 4), hi = std::max(hi, double(x) + 4);
    const double scale = (kPlotH + 56) / (hi - lo);
    const Integer top = cy + 18, px = cx + 6;
    auto yOf = [&](double value) { return top + (hi - value) * scale; };
    b.FillRectS(px - 6, top, px + kPlotW + 6, top + kPlotH + 56, 0xFFFFFFFFu);
    b.FrameRectS(px - 6, top, px + kPlotW + 6, top + kPlotH + 56, 0xFFD5DDE3u);
    for (Integer x = px; x < px + kPlotW; x += 6) {
      b.HorzLineS(x, Round(yOf(0)), x + 2, 0xFFB9C6D0u);
      b.HorzLineS(x, Round(yOf(100)), x + 2, 0xFFB9C6D0u);
    }
    TArrayOfFloatPoint line;
    for (size_t i = 0; i < v.size(); ++i)
      line.push_back({static_cast<TFloat>(px + kPlotW * static_cast<double>(i) / 60),
                      static_cast<TFloat>(yOf(static_cast<double>(v[i])))});
    PolylineFS(&b, line, 0xFF1F9CDDu, false, 1.8f, TJoinStyle::jsRound, TEndStyle::esRound);
    for (const auto& p : line) PolygonFS(&b, Circle(p.X, p.Y, 1.4f, 8), 0xFF0F6DA3u);
  }

  // The strips: each frame cut by the state strip and drawn apart.
  const Integer sy = kTop + rows * kCellH + 10;
  b.Font()->SetHeight(-13);
  b.RenderText(kPad, sy, u"TPngPictures: five frames cut side by side (top) and stacked (bottom)", -1, 0xFF23313Bu);
  TBitmap32 wide, tall;
  PaintStrip(wide, false);
  PaintStrip(tall, true);
  struct THook {
    TBitmap32 *Wide, *Tall;
    void Get(TObject*, const TQnResID& ID, TQuarnImage* Image, bool& Handled) {
      if (ID == u"GalleryStripWide") Image->Assign(Wide), Handled = true;
      if (ID == u"GalleryStripTall") Image->Assign(Tall), Handled = true;
    }
  } hook{&wide, &tall};
  TQuarnResManager* store = TQuarnResManagerObj();
  const TQnGetImageEvent saved = store->OnGetImage();
  store->SetOnGetImage(TQnGetImageEvent(&hook, &THook::Get));
  b.Font()->SetHeight(-11);
  for (int row = 0; row < 2; ++row) {
    TPngPictures strip;
    strip.SetCount(5);
    strip.SetMultiLineMode(row == 1);
    strip.SetImage(row == 0 ? u"GalleryStripWide" : u"GalleryStripTall");
    // The sources on the left, the frames the strip cut on the right.
    const Integer y = sy + 26 + row * 80;
    TBitmap32* src = row == 0 ? &wide : &tall;
    src->SetDrawMode(TDrawMode::dmBlend);
    src->DrawTo(&b, row == 0 ? kPad : kPad + 220, sy + 26);
    TQuarnImage frame;
    for (Integer k = 0; k < 5; ++k) {
      if (!strip.GetFrame(k, &frame)) continue;
      const Integer fx = kPad + 320 + k * 70;
      frame.DrawTo(&b, fx, y);
      b.RenderText(fx + 16, y + 34, u"frame " + IntToStr(k), -1, 0xFF5A6A76u);
    }
  }
  store->SetOnGetImage(saved);
  b.ResetAlpha();

  vcl::TScreenImage shot;
  shot.Width = b.Width();
  shot.Height = b.Height();
  shot.Pixels.assign(b.Bits(), b.Bits() + size_t(b.Width()) * b.Height());
  const std::string path = outDir + "/easing.png";
  vcl::SavePng(shot, path);
  return {path};
}

}  // namespace gallery
