// The GDI+ object layer: its one status check, colour conversions, start-up
// by the unit, constructors that fail cleanly, and the drawing the skin
// layers build on (an image clipped into a ringed circle, a soft shine).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "gdiplus/Gdiplus_qn.h"
#include "platform/vcl/PngImage.h"

namespace t_gdiplus_qn_test {

using namespace qn;
using namespace qn::GdipTypes_qn;

namespace {

struct TDib {
  TDib(int w, int h, uint32_t fill) : W(w), H(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    Bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    Bits = static_cast<uint32_t*>(p);
    DC = CreateCompatibleDC(nullptr);
    Old = SelectObject(DC, Bmp);
    std::fill(Bits, Bits + w * h, fill);
  }
  ~TDib() {
    SelectObject(DC, Old);
    DeleteDC(DC);
    DeleteObject(Bmp);
  }
  uint32_t At(int x, int y) const { return Bits[y * W + x]; }
  int W, H;
  HBITMAP Bmp;
  HDC DC;
  HGDIOBJ Old;
  uint32_t* Bits;
};

// A PNG of one opaque colour in a memory stream.
std::unique_ptr<TMemoryStream> SolidPng(int w, int h, Byte r, Byte g, Byte b) {
  TPngImage png(COLOR_RGB, 8, w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Byte* p = png.Scanline(y) + x * 3;
      p[0] = b, p[1] = g, p[2] = r;
    }
  auto s = std::make_unique<TMemoryStream>();
  png.SaveToStream(s.get());
  return s;
}

String MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EGdiplusException& e) {
    return e.Message();
  }
  return u"(nothing raised)";
}

}  // namespace

TEST(Gdiplus_qn, FailingCallsRaiseWithTheStatusName) {
  TDib d(8, 8, 0xFFFFFFFFu);
  TGpGraphics g(d.DC);
  TGpGraphicsPath path;
  path.AddRectangle(MakeRect(1, 1, 4, 4));
  EXPECT_EQ(MessageOf([&] { g.FillPath(nullptr, &path); }), u"Gdiplus Error: InvalidParameter");
  EXPECT_EQ(MessageOf([&] { g.SetClip(&path, 9); }), u"Gdiplus Error: InvalidParameter");
  EXPECT_EQ(MessageOf([&] { path.AddEllipse(0.0f, 0.0f, -3.0f, 2.0f); }), u"Gdiplus Error: InvalidParameter");
  // The exception is one of the library's own, straight under the platform's base.
  EXPECT_EQ(EGdiplusException::StaticClass()->ClassParent(), Exception::StaticClass());
}

TEST(Gdiplus_qn, FailingConstructorsRaiseAndLeaveNothingAllocated) {
  const int before = vcl::LiveGraphicsObjectCount();
  auto png = SolidPng(10, 10, 1, 2, 3);
  // Cut the picture short.
  png->SetSize(png->Size() / 2);
  png->SetPosition(0);
  TIntf<IStream> stream(new TStreamAdapter(png.get()));
  std::unique_ptr<TGpImage> img;
  const String msg = MessageOf([&] { img.reset(new TGpImage(stream.get())); });
  EXPECT_EQ(msg.substr(0, 15), u"Gdiplus Error: ");
  EXPECT_FALSE(img);
  EXPECT_EQ(MessageOf([&] { TGpFont f(u"", 12); }), u"Gdiplus Error: InvalidParameter");
  EXPECT_EQ(MessageOf([&] { TGpPen p(0xFF000000u, -1.0f); }), u"Gdiplus Error: InvalidParameter");
  EXPECT_EQ(MessageOf([&] { TGpGraphics g(nullptr); }), u"Gdiplus Error: InvalidParameter");
  EXPECT_EQ(vcl::LiveGraphicsObjectCount(), before);
}

TEST(Gdiplus_qn, ColoursConvertToArgbWithSystemColoursResolved) {
  const int idx = COLOR_BTNFACE;
  const COLORREF mine = RGB(0x12, 0x34, 0x56);
  SetSysColors(1, &idx, &mine);
  EXPECT_EQ(ARGBFromTColor(clBtnFace), 0xFF123456u);
  EXPECT_EQ(ARGBFromTColor(0x80, clBtnFace), 0x80123456u);
  ResetSysColors();
  EXPECT_EQ(ARGBFromTColor(clBtnFace), 0xFF000000u | ((GetSysColor(COLOR_BTNFACE) & 0xFF) << 16) |
                                           (GetSysColor(COLOR_BTNFACE) & 0xFF00) |
                                           ((GetSysColor(COLOR_BTNFACE) >> 16) & 0xFF));
  // Red and blue trade places: $00BBGGRR becomes AARRGGBB.
  EXPECT_EQ(ARGBFromTColor(0x7F, TColor(0x00112233)), 0x7F332211u);
  EXPECT_EQ(Argb(1, 2, 3, 4), 0x01020304u);
}

TEST(Gdiplus_qn, UnitStartsAndStopsTheFlatInterface) {
  DoneGdiplus();
  EXPECT_EQ(MessageOf([] { TGpGraphicsPath p; }), u"Gdiplus Error: GdiplusNotInitialized");
  InitGdiplus();
  TGpGraphicsPath p;
  p.AddLine(GpPoint(0, 0), GpPoint(5, 5));
  EXPECT_EQ(p.GetPointCount(), 2);
}

TEST(Gdiplus_qn, ImageClippedToARingedCircle) {
  // What the circle image of the skin does: decode from a stream through the
  // adapter, clip to the rectangle's ellipse, draw, ring it.
  TDib d(60, 40, 0xFF202020u);
  auto png = SolidPng(30, 30, 0xE0, 0x40, 0x30);
  png->SetPosition(0);
  TIntf<IStream> stream(new TStreamAdapter(png.get()));
  TGpImage img(stream.get(), false);
  EXPECT_EQ(img.Width(), 30u);
  {
    TGpGraphics g(d.DC);
    g.SetSmoothingMode(vcl::SmoothingModeAntiAlias);
    TGpGraphicsPath clip;
    clip.AddEllipse(MakeRect(0, 0, 60, 40));
    g.SetClip(&clip);
    g.DrawImage(&img, MakeRect(0, 0, 60, 40));
    g.ResetClip();
    TGpPen ring(ARGBFromTColor(clWhite), 2);
    g.DrawEllipse(&ring, MakeRectF(MakeRect(1, 1, 58, 38)));
  }
  EXPECT_EQ(d.At(30, 20), 0xFFE04030u);   // the picture in the middle
  EXPECT_EQ(d.At(1, 1), 0xFF202020u);     // corners keep the ground
  EXPECT_EQ(d.At(58, 38), 0xFF202020u);
  EXPECT_EQ(d.At(30, 1) & 0xFF, 0xFFu);   // the ring at the top, white
  EXPECT_GT((d.At(30, 1) >> 8) & 0xFF, 0xC0u);
}

TEST(Gdiplus_qn, SevenPassShineStaysSoftAndBrightensTheBand) {
  // A line stroked with widths 1..7 in white at alpha 18: the middle row is
  // the brightest, the band fades outwards, nothing becomes white.
  TDib d(40, 20, 0xFF000000u);
  TGpGraphics g(d.DC);
  TGpSolidBrush brush(Argb(18, 255, 255, 255));
  TGpPen pen(&brush, 1);
  pen.SetLineJoin(vcl::LineJoinRound);
  TGpGraphicsPath line;
  line.AddLine(GpPoint(0, 10), GpPoint(40, 11));
  for (int w = 1; w <= 7; ++w) {
    pen.SetWidth(Single(w));
    g.DrawPath(&pen, &line);
  }
  const auto level = [&](int y) { return int(d.At(20, y) & 0xFF); };
  EXPECT_GT(level(10), level(8));
  EXPECT_GT(level(8), level(5));
  EXPECT_EQ(level(2), 0);
  EXPECT_LT(level(10), 160);
  EXPECT_GT(level(10), 60);
}

TEST(Gdiplus_qn, CentredTextThroughTheWrappers) {
  TDib d(120, 40, 0xFFFFFFFFu);
  TGpGraphics g(d.DC);
  TGpFont font(u"Tahoma", 9, vcl::FontStyleRegular, vcl::UnitPoint);
  TGpStringFormat fmt;
  fmt.SetAlignment(vcl::StringAlignmentCenter);
  fmt.SetLineAlignment(vcl::StringAlignmentCenter);
  TGpSolidBrush ink(ARGBFromTColor(clBlack));
  g.DrawString(u"12", &font, MakeRect(0.0f, 0.0f, 120.0f, 40.0f), &fmt, &ink);
  int left = 120, right = -1, top = 40, bottom = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x)
      if ((d.At(x, y) & 0xFF) < 0x80) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                                      bottom = std::max(bottom, y);
  ASSERT_GE(right, left);
  EXPECT_NEAR((left + right + 1) / 2.0, 60.5, 1.0);
  EXPECT_NEAR((top + bottom + 1) / 2.0, 20.5, 2.5);
  EXPECT_EQ(font.GetHeight(), 12.0f);
}

}  // namespace t_gdiplus_qn_test
