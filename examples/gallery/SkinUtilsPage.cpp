// Gallery page "skinutils": the shared drawing utilities at work on the
// default skin: nine- and three-slice stretching at several sizes, the six
// fill types, gradients, glow behind text at strengths 1 to 10, shaken
// pictures and pictures in circles.
#include <cstdint>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "gdiplus/Gdiplus_qn.h"
#include "platform/classes/ComStreams.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/PngImage.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnPix32Lib.h"

using namespace qn;

namespace gallery {

namespace {

// Pixels (0x00RRGGBB, W x H) as a GDI+ image drawn into Rect of DC, clipped
// to its circle, with a ring in Border.
void DrawCircleImage(vcl::HDC DC, const vcl::TRect& Rect, const std::vector<uint32_t>& Pixels, int W, int H,
                     vcl::TColor Border) {
  TPngImage png(COLOR_RGB, 8, W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint32_t c = Pixels[size_t(y) * W + x];
      Byte* p = png.Scanline(y) + x * 3;
      p[0] = Byte(c), p[1] = Byte(c >> 8), p[2] = Byte(c >> 16);
    }
  TMemoryStream ms;
  png.SaveToStream(&ms);
  ms.SetPosition(0);
  TIntf<IStream> stream(new TStreamAdapter(&ms));
  TGpImage image(stream.get());
  DrawImageInCircle(DC, Rect, &image, Border);
}

constexpr Integer kW = 1000, kPad = 16;
const TColor32 kInk = 0xFF23313Bu, kSoft = 0xFF5A6A76u;

void Heading(TBitmap32& B, Integer Y, const String& Text) {
  B.Font()->SetHeight(-14);
  B.Font()->SetStyle({TFontStyle::fsBold});
  B.RenderText(kPad, Y, Text, -1, kInk);
  B.Font()->SetStyle({});
  B.Font()->SetHeight(-11);
}

// A frame of a strip of the skin, as a control would take it.
std::unique_ptr<TQuarnImage> Frame(const String& ID, Integer Count, Integer Index) {
  TPngPictures strip;
  strip.SetImage(ID);
  strip.SetCount(Count);
  auto f = std::make_unique<TQuarnImage>();
  if (!strip.GetFrame(Index, f.get())) f->SetSize(0, 0);
  return f;
}

// Src laid over Dst at (X, Y) as it draws (blended for skin images).
void Put(TBitmap32& Dst, TBitmap32* Src, Integer X, Integer Y) {
  if (Src && !Src->Empty()) Src->DrawTo(&Dst, X, Y);
}

}  // namespace

std::vector<std::string> SkinUtilsPage(const std::string& outDir) {
  TBitmap32 b;
  b.SetSize(kW, 806);
  b.Clear(0xFFE1ECF2u);
  b.Font()->SetName(u"DejaVu Sans");
  TQuarnResManager* store = TQuarnResManagerObj();

  // Nine-slice: the push button's frames and the edit frame at several sizes.
  Integer y = 14;
  Heading(b, y, u"Nine-slice StretchBitmap: button frames 0-3, edit frame, tab-set tab");
  y += 26;
  const TSize sizes[] = {{40, 20}, {75, 27}, {140, 40}, {230, 64}};
  Integer x = kPad;
  for (Integer k = 0; k < 4; ++k) {
    auto face = Frame(u"QuarnButton", 5, k);
    TBitmap32 cell;
    cell.SetSize(sizes[k].cx, sizes[k].cy);
    cell.Clear(0xFFE1ECF2u);
    StretchBitmap(face.get(), &cell, false);
    Put(b, &cell, x, y);
    b.RenderText(x, y + sizes[k].cy + 4, IntToStr(sizes[k].cx) + u" x " + IntToStr(sizes[k].cy), -1, kSoft);
    x += sizes[k].cx + 18;
  }
  {
    TBitmap32 cell;
    cell.SetSize(150, 30);
    cell.Clear(0xFFE1ECF2u);
    StretchBitmap(store->GetImageByName(u"QuarnBorderHot"), &cell, false);
    Put(b, &cell, x, y);
    b.RenderText(x, y + 34, u"QuarnBorderHot 150 x 30", -1, kSoft);
    auto tab = Frame(u"QuarnColor_tabs", 3, 2);
    TBitmap32 t;
    t.SetSize(90, 30);
    t.Clear(0xFFE1ECF2u);
    StretchBitmap(tab.get(), &t, false);
    Put(b, &t, x + 170, y);
    b.RenderText(x + 170, y + 34, u"tab 90 x 30", -1, kSoft);
  }

  // Three-slice: the progress bar and the scroll-bar track.
  y += 100;
  Heading(b, y, u"Three-slice ResizeHorzImg / ResizeVertImg: progress groove and bar (ends of 6), scroll track");
  y += 26;
  TQuarnImage* groove = store->GetImageByName(u"QuarnBar_base");
  TQuarnImage* bar = store->GetImageByName(u"QuarnBar_cur");
  for (Integer k = 0; k < 3; ++k) {
    const Integer w = 100 + 110 * k;
    std::unique_ptr<TQuarnImage> g(ResizeImg(groove, 360, groove->Height()));
    std::unique_ptr<TQuarnImage> p(ResizeHorzImg(bar, w, 6));
    Put(b, g.get(), kPad, y + k * 22);
    Put(b, p.get(), kPad, y + k * 22);
    b.RenderText(kPad + 372, y + k * 22 - 2, IntToStr(w) + u" of 360", -1, kSoft);
  }
  std::unique_ptr<TQuarnImage> track(ResizeVertImg(store->GetImageByName(u"QuarnScrollbar_bkg"), 70));
  Put(b, track.get(), kPad + 470, y - 4);
  std::unique_ptr<TQuarnImage> thumb(ResizeVertImg(store->GetImageByName(u"QuarnScrollbar_bar_highlight"), 34));
  Put(b, thumb.get(), kPad + 470, y + 12);
  b.RenderText(kPad + 490, y + 8, u"scroll track 70 high,", -1, kSoft);
  b.RenderText(kPad + 490, y + 24, u"hot thumb 34 high", -1, kSoft);

  // Fill types.
  y += 90;
  Heading(b, y, u"DrawImage fill types of QuarnMsgIcon_OK (40 x 40) in 130 x 84");
  y += 26;
  const TQnPngFillType fills[] = {ftNormal, ftTile, ftAutoStretch, ftCenter, ftStretch, ftGradient};
  TQuarnImage* icon = store->GetImageByName(u"QuarnMsgIcon_OK");
  for (Integer k = 0; k < 6; ++k) {
    TBitmap32 cell;
    cell.SetSize(130, 84);
    cell.Clear(0xFFFFFFFFu);
    DrawImage(icon, &cell, fills[k]);
    cell.FrameRectS(0, 0, 130, 84, 0xFFB9C6D0u);
    Put(b, &cell, kPad + k * 160, y);
    b.RenderText(kPad + k * 160, y + 88, EnumName(fills[k]) + (fills[k] == ftGradient ? u" (no picture)" : u""), -1,
                 kSoft);
  }

  // Gradients.
  y += 120;
  Heading(b, y, u"FillGradient: left to right and top to bottom, system colours resolved");
  y += 26;
  FillGradient(b.Canvas(), 0x00FFC446, 0x00F2ECE1, TRect(kPad, y, kPad + 300, y + 50), true);
  FillGradient(b.Canvas(), 0x00335CE8, 0x0040D0FF, TRect(kPad + 320, y, kPad + 620, y + 50), true);
  FillGradient(b.Canvas(), clBtnFace, clHighlight, TRect(kPad + 640, y, kPad + 800, y + 50), false);
  FillGradient(b.Canvas(), 0x00FFFFFF, 0x00000000, TRect(kPad + 820, y, kPad + 960, y + 50), false);
  b.RenderText(kPad, y + 52, u"horizontal: sky blue to pale grey", -1, kSoft);
  b.RenderText(kPad + 320, y + 52, u"horizontal: red to amber", -1, kSoft);
  b.RenderText(kPad + 640, y + 52, u"vertical: clBtnFace to clHighlight", -1, kSoft);
  b.RenderText(kPad + 820, y + 66, u"vertical: white to black", -1, kSoft);

  // Glow.
  y += 88;
  Heading(b, y, u"DrawEffectText: glow at strengths 1, 2, 4, 6, 8, 10 (the text is drawn on top by the caller)");
  y += 26;
  b.FillRectS(kPad, y, kW - kPad, y + 70, 0xFF1E2A33u);
  b.Canvas()->Font()->SetName(u"DejaVu Sans");
  b.Canvas()->Font()->SetSize(12);
  b.Canvas()->Font()->SetStyle({TFontStyle::fsBold});
  b.Canvas()->Font()->SetColor(clWhite);
  const Integer strengths[] = {1, 2, 4, 6, 8, 10};
  for (Integer k = 0; k < 6; ++k) {
    const TRect r(kPad + 12 + k * 160, y + 20, kPad + 12 + k * 160 + 130, y + 50);
    const String text = u"Glow " + IntToStr(strengths[k]);
    DrawEffectText(b.Canvas(), r, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, 0x00FFC446, strengths[k], false);
    SetBkMode(b.Canvas()->Handle(), TRANSPARENT);
    SetTextColor(b.Canvas()->Handle(), 0x00FFFFFF);
    RECT rr(r.Left, r.Top, r.Right, r.Bottom);
    DrawTextW(b.Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &rr,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

  // Shaken pictures and pictures in circles.
  y += 96;
  Heading(b, y, u"ShakeBitmap at -12, -6, 6, 12 degrees (seeded), and DrawImageInCircle with rings");
  y += 26;
  TBitmap32 photo;
  photo.SetSize(96, 96);
  for (Integer py = 0; py < 96; ++py)
    for (Integer px = 0; px < 96; ++px) {
      const Cardinal r = 70 + px, g = 140 + py, bl = ((px / 12 + py / 12) & 1) ? 240 : 200;
      photo.SetPixel(px, py, 0xFF000000u | (r << 16) | (std::min<Cardinal>(g, 255) << 8) | bl);
    }
  TQuarnImage* ok = store->GetImageByName(u"QuarnMsgIcon_Info");
  ok->DrawTo(&photo, 28, 28);
  RandSeed = 47;
  const Single amounts[] = {-12, -6, 6, 12};
  for (Integer k = 0; k < 4; ++k) {
    TBitmap32 s;
    s.Assign(&photo);
    ShakeBitmap(&s, amounts[k]);
    Put(b, &s, kPad + k * 112, y);
  }
  std::vector<uint32_t> pixels(96 * 96);
  for (Integer i = 0; i < 96 * 96; ++i) pixels[i] = photo.Bits()[i] & 0xFFFFFFu;
  DrawCircleImage(b.Canvas()->Handle(), TRect(kPad + 470, y, kPad + 566, y + 96), pixels, 96, 96, 0x00FFC446);
  DrawCircleImage(b.Canvas()->Handle(), TRect(kPad + 590, y + 16, kPad + 654, y + 80), pixels, 96, 96, 0x00FFFFFF);
  DrawCircleImage(b.Canvas()->Handle(), TRect(kPad + 680, y + 28, kPad + 720, y + 68), pixels, 96, 96, 0x004050E0);
  for (Integer k = 0; k < 4; ++k)
    b.RenderText(kPad + k * 112 + 30, y + 100, FloatToStr(amounts[k]) + u"\u00B0", -1, kSoft);
  b.RenderText(kPad + 470, y + 100, u"96 px, sky-blue ring", -1, kSoft);
  b.RenderText(kPad + 590, y + 86, u"64, white", -1, kSoft);
  b.RenderText(kPad + 680, y + 72, u"40, red", -1, kSoft);
  b.ResetAlpha();

  vcl::TScreenImage shot;
  shot.Width = b.Width();
  shot.Height = b.Height();
  shot.Pixels.assign(b.Bits(), b.Bits() + size_t(b.Width()) * b.Height());
  const std::string path = outDir + "/skinutils.png";
  vcl::SavePng(shot, path);
  return {path};
}

}  // namespace gallery
