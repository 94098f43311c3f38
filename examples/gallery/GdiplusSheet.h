// The GDI+ sheet: the object layer drawing into a memory DC — the four line
// joins on a wide bent stroke, a self-crossing star under both fill modes,
// ellipses with and without smoothing, centred and wrapped text on rounded
// plates, and a decoded picture clipped into a ringed circle. Shared by the
// gallery page and its golden-image test.
#pragma once

#include <cmath>
#include <memory>
#include <numbers>

#include "examples/gallery/SheetImage.h"
#include "gdiplus/Gdiplus_qn.h"
#include "platform/vcl/PngImage.h"

namespace gallery {

class TGdiplusSheet {
 public:
  static constexpr int kWidth = 640, kHeight = 470;

  // Renders the sheet into an opaque image.
  static vcl::TScreenImage Render() {
    using namespace vcl;
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    std::fill(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + kWidth * kHeight, 0xFFF3F4F6u);
    Draw(dc);
    SelectObject(dc, old);
    TScreenImage img = BitmapImage(dc, bmp, kWidth, kHeight);
    DeleteDC(dc);
    DeleteObject(bmp);
    return img;
  }

 private:
  static constexpr qn::ARGB kInk = 0xFF2B3440u, kMuted = 0xFF7A8494u, kAccent = 0xFF2F6FDBu,
                            kWarm = 0xFFE2673Au, kPanel = 0xFFFFFFFFu, kLine = 0xFFD5DAE1u;

  // A rounded rectangle of four arcs, closed.
  static std::unique_ptr<qn::TGpGraphicsPath> Round(float x, float y, float w, float h, float r) {
    auto p = std::make_unique<qn::TGpGraphicsPath>();
    const float d = 2 * r;
    p->AddArc(x, y, d, d, 180.0f, 90.0f);
    p->AddArc(x + w - d, y, d, d, 270.0f, 90.0f);
    p->AddArc(x + w - d, y + h - d, d, d, 0.0f, 90.0f);
    p->AddArc(x, y + h - d, d, d, 90.0f, 90.0f);
    p->CloseFigure();
    return p;
  }

  static void Panel(qn::TGpGraphics& g, float x, float y, float w, float h) {
    qn::TGpSolidBrush fill(kPanel);
    qn::TGpPen edge(kLine, 1);
    auto p = Round(x, y, w, h, 8);
    g.FillPath(&fill, p.get());
    g.DrawPath(&edge, p.get());
  }

  static void Caption(qn::TGpGraphics& g, const vcl::String& text, float x, float y, float w) {
    qn::TGpFont font(u"Tahoma", 8, vcl::FontStyleRegular, vcl::UnitPoint);
    qn::TGpStringFormat fmt;
    fmt.SetAlignment(vcl::StringAlignmentCenter);
    qn::TGpSolidBrush ink(kMuted);
    g.DrawString(text, &font, qn::GdipTypes_qn::MakeRect(x, y, w, 16.0f), &fmt, &ink);
  }

  static void Heading(qn::TGpGraphics& g, const vcl::String& text, float x, float y) {
    qn::TGpFont font(u"Tahoma", 10, vcl::FontStyleBold, vcl::UnitPoint);
    qn::TGpSolidBrush ink(kInk);
    g.DrawString(text, &font, qn::GdipTypes_qn::MakeRect(x, y, 300.0f, 20.0f), nullptr, &ink);
  }

  // A small landscape, encoded as PNG into a stream the way skin images are.
  static std::unique_ptr<vcl::TMemoryStream> Landscape(int n) {
    using namespace vcl;
    TPngImage png(COLOR_RGBALPHA, 8, n, n);
    for (int y = 0; y < n; ++y) {
      Byte* c = png.Scanline(y);
      Byte* a = png.AlphaScanline(y);
      for (int x = 0; x < n; ++x) {
        const double fy = double(y) / n, fx = double(x) / n;
        double r = 90 + 120 * fy, gg = 160 + 60 * fy, b = 235 - 40 * fy;  // sky
        const double sun = std::hypot(fx - 0.68, fy - 0.34);
        if (sun < 0.13) r = 255, gg = 214, b = 90;
        const double hill1 = 0.62 + 0.08 * std::sin(fx * 5.5), hill2 = 0.74 + 0.06 * std::sin(fx * 8 + 1.3);
        if (fy > hill1) r = 70, gg = 150, b = 90;
        if (fy > hill2) r = 40, gg = 110, b = 70;
        c[x * 3] = Byte(b), c[x * 3 + 1] = Byte(gg), c[x * 3 + 2] = Byte(r);
        a[x] = 255;
      }
    }
    auto s = std::make_unique<TMemoryStream>();
    png.SaveToStream(s.get());
    s->SetPosition(0);
    return s;
  }

  static void Draw(vcl::HDC dc) {
    using namespace qn;
    using namespace qn::GdipTypes_qn;
    TGpGraphics g(dc);
    g.SetSmoothingMode(vcl::SmoothingModeAntiAlias);

    // Row 1: joins, with the spine of the path drawn thin on top.
    Heading(g, u"Line joins", 20, 12);
    const GpLineJoin joins[4] = {vcl::LineJoinMiter, vcl::LineJoinBevel, vcl::LineJoinRound,
                                 vcl::LineJoinMiterClipped};
    const char16_t* joinNames[4] = {u"Miter", u"Bevel", u"Round", u"Miter clipped at 1.5"};
    for (int i = 0; i < 4; ++i) {
      const float x = 20.0f + i * 152;
      Panel(g, x, 36, 140, 130);
      TGpGraphicsPath bent;
      bent.AddLine(x + 24, 140.0f, x + 52, 64.0f);
      bent.AddLine(x + 52, 64.0f, x + 86, 128.0f);
      bent.AddLine(x + 86, 128.0f, x + 118, 78.0f);
      TGpPen wide(Argb(0xD0, 0x2F, 0x6F, 0xDB), 16);
      wide.SetLineJoin(joins[i]);
      // The clipped miter gets a low limit, so its cut shows at these angles.
      if (joins[i] == vcl::LineJoinMiterClipped) wide.SetMiterLimit(1.5f);
      g.DrawPath(&wide, &bent);
      TGpPen spine(0xFFFFFFFFu, 1);
      g.DrawPath(&spine, &bent);
      Caption(g, joinNames[i], x, 146, 140);
    }

    // Row 2: fill modes and smoothing.
    Heading(g, u"Fill modes and smoothing", 20, 178);
    for (int k = 0; k < 2; ++k) {
      const float x = 20.0f + k * 152;
      Panel(g, x, 202, 140, 130);
      TGpGraphicsPath star(k == 0 ? vcl::FillModeAlternate : vcl::FillModeWinding);
      TGPPointF pts[5];
      for (int i = 0; i < 5; ++i) {
        const double a = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        pts[i] = {float(x + 70 + 48 * std::cos(a)), float(262 + 48 * std::sin(a))};
      }
      for (int i = 0; i < 5; ++i) star.AddLine(pts[i], pts[(i + 1) % 5]);
      star.CloseFigure();
      TGpSolidBrush fill(Argb(0xFF, 0xE2, 0x67, 0x3A));
      TGpPen edge(Argb(0xFF, 0x8A, 0x33, 0x18), 1.5f);
      edge.SetLineJoin(vcl::LineJoinRound);
      g.FillPath(&fill, &star);
      g.DrawPath(&edge, &star);
      Caption(g, k == 0 ? u"Alternate" : u"Winding", x, 312, 140);
    }
    for (int k = 0; k < 2; ++k) {
      const float x = 324.0f + k * 152;
      Panel(g, x, 202, 140, 130);
      g.SetSmoothingMode(k == 0 ? vcl::SmoothingModeNone : vcl::SmoothingModeAntiAlias);
      TGpSolidBrush fill(Argb(0x90, 0x2F, 0x6F, 0xDB));
      TGpPen ring(kAccent, 2);
      g.FillEllipse(&fill, MakeRect(x + 22, 220.0f, 96.0f, 76.0f));
      g.DrawEllipse(&ring, MakeRect(x + 22, 220.0f, 96.0f, 76.0f));
      TGpSolidBrush dot(kWarm);
      g.FillEllipse(&dot, MakeRect(x + 54, 242.0f, 32.0f, 32.0f));
      Caption(g, k == 0 ? u"No smoothing" : u"Anti-aliased", x, 312, 140);
    }
    g.SetSmoothingMode(vcl::SmoothingModeAntiAlias);

    // Row 3: text on rounded plates, and a picture in a ringed circle.
    Heading(g, u"Text and images", 20, 344);
    {
      auto plate = Round(20, 368, 180, 40, 20);
      TGpSolidBrush fill(kAccent);
      g.FillPath(&fill, plate.get());
      TGpFont font(u"Tahoma", 11, vcl::FontStyleBold, vcl::UnitPoint);
      TGpStringFormat fmt;
      fmt.SetAlignment(vcl::StringAlignmentCenter);
      fmt.SetLineAlignment(vcl::StringAlignmentCenter);
      TGpSolidBrush white(0xFFFFFFFFu);
      g.DrawString(u"Centred label", &font, MakeRect(20.0f, 368.0f, 180.0f, 40.0f), &fmt, &white);
      TGpFont small(u"Tahoma", 8, vcl::FontStyleRegular, vcl::UnitPoint);
      TGpSolidBrush muted(kMuted);
      g.DrawString(u"11 pt bold, centred both ways", &small, MakeRect(20.0f, 414.0f, 180.0f, 16.0f), &fmt, &muted);
    }
    {
      Panel(g, 212, 368, 256, 88);
      TGpFont font(u"Tahoma", 9, vcl::FontStyleRegular, vcl::UnitPoint);
      TGpSolidBrush ink(kInk);
      g.DrawString(u"Text wraps at spaces inside its layout rectangle and is clipped to it, "
                   u"so a long paragraph never spills over the plate it sits on.",
                   &font, MakeRect(220.0f, 376.0f, 240.0f, 72.0f), nullptr, &ink);
    }
    {
      auto stream = Landscape(96);
      TIntf<IStream> adapter(new TStreamAdapter(stream.get()));
      TGpImage img(adapter.get(), false);
      const TGPRect r = MakeRect(500, 352, 104, 104);
      TGpGraphicsPath circle;
      circle.AddEllipse(r);
      g.SetClip(&circle);
      g.SetInterpolationMode(vcl::InterpolationModeHighQualityBicubic);
      g.DrawImage(&img, r);
      g.ResetClip();
      TGpPen ring(kAccent, 3);
      g.DrawEllipse(&ring, MakeRectF(r));
    }
  }
};

}  // namespace gallery
