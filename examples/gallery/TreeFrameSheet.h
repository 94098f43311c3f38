// The tree's frame and background sheet: trees framed by every bevel kind,
// a BorderWidth band in BorderColor, Ctl3D on and off; backgrounds tiled at
// negative and positive offsets and scroll positions and a transparent
// picture placed once; the four blend modes over a gradient. The trees'
// clients show only their background (nodes are not painted here). Shared
// by the gallery page and its golden-image test.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>

#include "examples/gallery/SheetImage.h"
#include "examples/gallery/SheetBase.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace gallery {

// A tree whose client shows its background: tiled, or placed once with
// toStaticBackground, as if scrolled to ScrollPos; plain Color without one.
class TFrameDemoTree : public qn::TBaseLazyTree_qn {
  QN_CLASS(TFrameDemoTree, qn::TBaseLazyTree_qn)
 public:
  explicit TFrameDemoTree(vcl::TComponent* AOwner) : qn::TBaseLazyTree_qn(AOwner) {}
  vcl::TPoint ScrollPos;
  bool Static = false;

 protected:
  void Paint() override {
    using namespace vcl;
    TRect r = ClientRect();
    TGraphic* g = Background()->Graphic();
    if (g && !g->Empty()) {
      TBitmap* pic = Background()->Bitmap();
      if (Static) StaticBackground(pic, Canvas(), ScrollPos, r);
      else TileBackground(pic, Canvas(), ScrollPos, r);
      return;
    }
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(r);
  }
};

class TTreeFrameSheet {
 public:
  static constexpr int kWidth = 800, kHeight = 560;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();

    auto form = NewSheetForm(kWidth, 400);

    // --- Frames
    SheetHeading(c, 16, 12, u"Frames: bevel kinds, BorderWidth in BorderColor, Ctl3D");
    struct TFrame {
      const char16_t* Caption;
      TBevelKind Kind;
      TBevelCut Inner, Outer;
      Integer BevelWidth, BorderWidth;
      bool Ctl3D;
      TBorderStyle Style;
      TColor Border;
    };
    const TColor amber = TColor(RGB(232, 160, 48)), teal = TColor(RGB(46, 140, 150));
    const TFrame frames[] = {
        {u"client edge", bkNone, bvNone, bvNone, 1, 0, true, bsSingle, clBtnFace},
        {u"flat, no Ctl3D", bkNone, bvNone, bvNone, 1, 0, false, bsSingle, clBtnFace},
        {u"tile, raised in", bkTile, bvRaised, bvLowered, 1, 0, true, bsNone, clBtnFace},
        {u"soft, raised", bkSoft, bvNone, bvRaised, 2, 0, true, bsNone, clBtnFace},
        {u"flat, lowered", bkFlat, bvNone, bvLowered, 1, 0, true, bsNone, clBtnFace},
        {u"tile, mono", bkTile, bvRaised, bvLowered, 1, 0, false, bsNone, clBtnFace},
        {u"BorderWidth 6", bkNone, bvNone, bvNone, 1, 6, true, bsSingle, amber},
        {u"tile + border 4", bkTile, bvLowered, bvRaised, 1, 4, true, bsSingle, teal},
    };
    const int fw = 86, fh = 70, fgap = 12;
    for (int i = 0; i < 8; ++i) {
      const TFrame& f = frames[i];
      auto* t = NewTree(form.get(), TRect(16 + i * (fw + fgap), 36, 16 + i * (fw + fgap) + fw, 36 + fh));
      t->SetColor(TColor(RGB(226, 233, 243)));
      // Small boxes: the frame is what they show.
      t->ScrollBarOptions()->SetScrollBars(ssNone);
      t->SetBorderStyle(f.Style);
      t->SetCtl3D(f.Ctl3D);
      t->SetBevelKind(f.Kind);
      t->SetBevelInner(f.Inner);
      t->SetBevelOuter(f.Outer);
      t->SetBevelWidth(f.BevelWidth);
      t->SetBorderWidth(f.BorderWidth);
      t->Colors()->SetBorderColor(f.Border);
      SheetLabel(c, 16 + i * (fw + fgap), 36 + fh + 6, f.Caption);
    }

    // --- Backgrounds
    SheetHeading(c, 16, 140, u"Backgrounds: tiles follow offsets and scrolling; a transparent picture placed once");
    auto tile = MakeTile();
    auto badge = MakeBadge();
    struct TBack {
      const char16_t* Caption;
      bool Static;
      TPoint Offset, Scroll;
    };
    const TBack backs[] = {
        {u"tiles, offset 0, 0", false, TPoint(0, 0), TPoint(0, 0)},
        {u"tiles, offset -13, -7", false, TPoint(-13, -7), TPoint(0, 0)},
        {u"offset 9, 21, scrolled 40, 75", false, TPoint(9, 21), TPoint(40, 75)},
        {u"static at 24, 14", true, TPoint(24, 14), TPoint(0, 0)},
    };
    const int bw = 180, bh = 120, bgap = 16;
    for (int i = 0; i < 4; ++i) {
      const TBack& b = backs[i];
      auto* t = NewTree(form.get(), TRect(16 + i * (bw + bgap), 164, 16 + i * (bw + bgap) + bw, 164 + bh));
      t->SetColor(TColor(RGB(236, 242, 250)));
      TPicture pic;
      pic.SetBitmap(b.Static ? badge.get() : tile.get());
      t->SetBackground(&pic);
      t->SetBackgroundOffsetX(b.Offset.X);
      t->SetBackgroundOffsetY(b.Offset.Y);
      t->ScrollPos = b.Scroll;
      t->Static = b.Static;
      SheetLabel(c, 16 + i * (bw + bgap), 164 + bh + 6, b.Caption);
    }

    form->Show();
    Application->ProcessMessages();
    for (int i = 0; i < form->ControlCount(); ++i) {
      auto* t = static_cast<TFrameDemoTree*>(form->Controls(i));
      RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    Application->ProcessMessages();
    HDC sdc = c->Handle();
    for (int i = 0; i < form->ControlCount(); ++i) {
      auto* t = static_cast<TFrameDemoTree*>(form->Controls(i));
      TScreenImage img = CaptureWindow(t->Handle());
      for (int y = 0; y < img.Height; ++y)
        for (int x = 0; x < img.Width; ++x) {
          uint32_t p = img.Pixel(x, y);
          SetPixel(sdc, t->Left() + x, t->Top() + y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
        }
    }

    // --- Blending
    SheetHeading(c, 16, 320, u"Alpha blending on 32-bit DIB sections");
    const char16_t* modes[] = {u"constant alpha 128", u"per-pixel alpha", u"master alpha 160 x per-pixel",
                               u"constant colour, alpha 150"};
    for (int i = 0; i < 4; ++i) {
      int x0 = 16 + i * (bw + bgap), y0 = 344;
      BlendPanel(sdc, x0, y0, bw, 150, TBlendMode(i));
      SheetLabel(c, x0, y0 + 156, modes[i]);
    }
    // Live, the framed trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static TFrameDemoTree* NewTree(vcl::TForm* form, const vcl::TRect& r) {
    auto* t = new TFrameDemoTree(form);
    t->SetParent(form);
    t->SetBoundsRect(r);
    return t;
  }


  // A 28 x 28 tile: a soft diagonal weave, so seams would show.
  static std::unique_ptr<vcl::TBitmap> MakeTile() {
    using namespace vcl;
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(28, 28);
    for (int y = 0; y < 28; ++y) {
      auto* row = static_cast<uint32_t*>(b->ScanLine(y));
      for (int x = 0; x < 28; ++x) {
        int d = (x + y) % 28, e = (x - y + 28) % 28;
        bool stripe = d < 4, cross = e < 2;
        uint32_t base = ((x / 14 + y / 14) % 2) ? 0xEAF1FA : 0xF6F9FD;
        row[x] = stripe ? 0xB9D3EE : cross ? 0xD4E2F2 : base;
      }
    }
    return b;
  }

  // A round badge on a fuchsia ground that the picture's transparency drops.
  static std::unique_ptr<vcl::TBitmap> MakeBadge() {
    using namespace vcl;
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(72, 72);
    for (int y = 0; y < 72; ++y) {
      auto* row = static_cast<uint32_t*>(b->ScanLine(y));
      for (int x = 0; x < 72; ++x) {
        double dx = x - 35.5, dy = y - 35.5, r = std::sqrt(dx * dx + dy * dy);
        uint32_t p = 0xFF00FF;
        if (r < 34) p = 0x2F6FB8;
        if (r < 30) p = 0x4A8FD8;
        if (r < 30 && std::fabs(dx) < 5 && std::fabs(dy) < 18) p = 0xFFFFFF;
        if (r < 30 && std::fabs(dy) < 5 && std::fabs(dx) < 18) p = 0xFFFFFF;
        row[x] = p;
      }
    }
    b->SetTransparentColor(clFuchsia);
    b->SetTransparent(true);
    return b;
  }

  // A hue gradient with one blend mode laid over its middle.
  static void BlendPanel(vcl::HDC sheet, int x0, int y0, int w, int h, qn::TBlendMode mode) {
    using namespace vcl;
    auto dst = Section(w, h);
    auto src = Section(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double t = double(x) / (w - 1);
        int r = int(250 - 200 * t), g = int(120 + 100 * std::sin(t * 3.14159)), b = int(60 + 180 * t);
        dst.Bits[y * w + x] = 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        // The source: a deep navy block whose alpha falls from top to bottom.
        uint32_t a = uint32_t(255 - y * 255 / (h - 1));
        src.Bits[y * w + x] = (a << 24) | 0x1E2A5A;
      }
    TRect r(16, 20, w - 16, h - 20);
    switch (mode) {
      case qn::bmConstantAlpha: qn::AlphaBlend(src.DC, dst.DC, r, TPoint(16, 20), mode, 128, 0); break;
      case qn::bmPerPixelAlpha: qn::AlphaBlend(src.DC, dst.DC, r, TPoint(16, 20), mode, 0, 0); break;
      case qn::bmMasterAlpha: qn::AlphaBlend(src.DC, dst.DC, r, TPoint(16, 20), mode, 160, 0); break;
      case qn::bmConstantAlphaAndColor:
        qn::AlphaBlend(nullptr, dst.DC, r, TPoint(0, 0), mode, 150, Integer(RGB(255, 255, 255)));
        break;
    }
    BitBlt(sheet, x0, y0, w, h, dst.DC, 0, 0, SRCCOPY);
  }

  struct TSection {
    vcl::HDC DC = nullptr;
    vcl::HBITMAP Bitmap = nullptr;
    vcl::HGDIOBJ Old = nullptr;
    uint32_t* Bits = nullptr;
    TSection() = default;
    TSection(TSection&& o) noexcept : DC(o.DC), Bitmap(o.Bitmap), Old(o.Old), Bits(o.Bits) { o.DC = nullptr; }
    ~TSection() {
      if (!DC) return;
      vcl::SelectObject(DC, Old);
      vcl::DeleteDC(DC);
      vcl::DeleteObject(Bitmap);
    }
  };
  static TSection Section(int w, int h) {
    using namespace vcl;
    TSection s;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    s.Bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    s.Bits = static_cast<uint32_t*>(bits);
    s.DC = CreateCompatibleDC(nullptr);
    s.Old = SelectObject(s.DC, s.Bitmap);
    return s;
  }
};

}  // namespace gallery
