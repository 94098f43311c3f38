// The uQnComm routines over the GDI+ object layer: rounded-rectangle paths
// and images clipped to circles, probed in a plain device context.
#include <gtest/gtest.h>

#include <memory>

#include "gdiplus/Gdiplus_qn.h"
#include "platform/classes/ComStreams.h"
#include "platform/vcl/PngImage.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnComm_Gdip.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"

namespace t_u_qn_comm_gdip_test {

using namespace qn;

namespace {

// A 32-bit DIB section selected into a memory DC, for reading pixels back.
struct TSurface {
  HDC DC = nullptr;
  HBITMAP Bmp = nullptr;
  HGDIOBJ Old = nullptr;
  uint32_t* Bits = nullptr;
  int W, H;
  TSurface(int w, int h, uint32_t fill) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    DC = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    Bmp = CreateDIBSection(DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Bits = static_cast<uint32_t*>(bits);
    Old = SelectObject(DC, Bmp);
    for (int i = 0; i < w * h; ++i) Bits[i] = fill;
  }
  ~TSurface() {
    SelectObject(DC, Old);
    DeleteObject(Bmp);
    DeleteDC(DC);
  }
  uint32_t At(int x, int y) const { return Bits[y * W + x] & 0xFFFFFFu; }
};

TEST(uQnComm, RoundRectanglePathsAreClosedArcsAndFillRounded) {
  std::unique_ptr<TGpGraphicsPath> rect(CreateRoundRectangle(GdipTypes_qn::MakeRect(10, 10, 60, 40), 0));
  std::unique_ptr<TGpGraphicsPath> round(CreateRoundRectangle(GdipTypes_qn::MakeRect(10, 10, 60, 40), 12));
  std::unique_ptr<TGpGraphicsPath> huge(CreateRoundRectangle(GdipTypes_qn::MakeRect(10, 10, 60, 40), 500));
  EXPECT_EQ(rect->GetPointCount(), 4);
  // Four arcs of Bezier segments: more points than a rectangle, and a
  // radius over half the height is held at half of it.
  EXPECT_GT(round->GetPointCount(), 12);
  EXPECT_GT(huge->GetPointCount(), 12);

  for (auto* path : {round.get(), huge.get()}) {
    TSurface s(80, 60, 0xFFFFFFFFu);
    {
      TGpGraphics g(s.DC);
      TGpSolidBrush brush(0xFF0000FFu);
      g.FillPath(&brush, path);
    }
    EXPECT_EQ(s.At(40, 30), 0x0000FFu);  // middle
    EXPECT_EQ(s.At(11, 11), 0xFFFFFFu);  // a corner cut off
    EXPECT_EQ(s.At(68, 48), 0xFFFFFFu);
    EXPECT_EQ(s.At(40, 11), 0x0000FFu);  // a straight side stays
  }
  TSurface s(80, 60, 0xFFFFFFFFu);
  {
    TGpGraphics g(s.DC);
    TGpSolidBrush brush(0xFF0000FFu);
    g.FillPath(&brush, rect.get());
  }
  EXPECT_EQ(s.At(11, 11), 0x0000FFu);
}

TEST(uQnComm, ImagesInCirclesKeepTheCornersAndGetARing) {
  TPngImage png(COLOR_RGB, 8, 40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      Byte* p = png.Scanline(y) + x * 3;
      p[0] = 0x20, p[1] = 0xC0, p[2] = 0x20;  // green
    }
  TMemoryStream ms;
  png.SaveToStream(&ms);
  ms.SetPosition(0);
  TIntf<IStream> stream(new TStreamAdapter(&ms));
  TGpImage image(stream.get());

  TSurface s(60, 60, 0xFF808080u);
  DrawImageInCircle(s.DC, TRect(10, 10, 50, 50), &image, 0x000000FF);  // red ring
  EXPECT_EQ(s.At(30, 30), 0x20C020u);   // the picture inside
  EXPECT_EQ(s.At(11, 11), 0x808080u);   // corners of Rect untouched
  EXPECT_EQ(s.At(48, 48), 0x808080u);
  EXPECT_EQ(s.At(5, 30), 0x808080u);    // outside Rect untouched
  // The ring on the circle's left edge: red laid over the grey.
  const uint32_t ring = s.At(10, 30);
  EXPECT_GT((ring >> 16) & 0xFF, 0x80u + 8);
  EXPECT_LT((ring >> 8) & 0xFF, 0x80u - 8);

  TSurface t(60, 60, 0xFF808080u);
  DrawImageInCircle(t.DC, TRect(10, 10, 50, 50), nullptr, 0x000000FF);
  EXPECT_EQ(t.At(30, 30), 0x808080u);  // ring only
  EXPECT_GT((t.At(10, 30) >> 16) & 0xFF, 0x80u + 8);
}

}  // namespace

// Both layers in one file: the raster MakeRect takes edges, the GDI+ one an
// origin and a size; the same area filled through each covers the same
// pixels.
TEST(uQnComm, RasterAndGdipRectanglesMeetInOneFile) {
  const TRect edges = qn::MakeRect(12, 8, 52, 38);
  const TGPRect sized = GdipTypes_qn::MakeRect(12, 8, 40, 30);
  TSurface a(64, 48, 0xFFFFFFFFu), b(64, 48, 0xFFFFFFFFu);
  {
    TBitmap32 bmp;
    bmp.SetSize(64, 48);
    bmp.Clear(0xFFFFFFFFu);
    bmp.FillRectS(edges, 0xFF0000FFu);
    bmp.DrawTo(a.DC, 0, 0);
  }
  {
    TGpGraphics g(b.DC);
    TGpSolidBrush brush(0xFF0000FFu);
    TGpGraphicsPath path;
    path.AddRectangle(sized);
    g.FillPath(&brush, &path);
  }
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
  EXPECT_EQ(a.At(12, 8), 0x0000FFu);
  EXPECT_EQ(a.At(51, 37), 0x0000FFu);
  EXPECT_EQ(a.At(52, 38), 0xFFFFFFu);
}

}  // namespace t_u_qn_comm_gdip_test
