// A window with six paint boxes, each drawing its picture into its back
// buffer through OnPaintBuffer: gradients, anti-aliased lines, polygons and
// text. Two of them change afterwards and are invalidated through the
// message queue; one draws in direct mode, so its change reaches the window
// at once. The window is saved as paintbox.png.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Single Pi = 3.14159265f;

// The window's client area: a soft vertical wash behind the boxes.
class TSheet : public TCustomControl {
  QN_CLASS(TSheet, TCustomControl)
 public:
  explicit TSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    for (Integer y = 0; y < r.Height(); ++y) {
      const Integer t = y * 24 / std::max(1, r.Height());
      Canvas()->Pen()->SetColor(TColor(RGB(Byte(232 - t), Byte(236 - t), Byte(242 - t / 2))));
      Canvas()->MoveTo(0, y);
      Canvas()->LineTo(r.Width(), y);
    }
  }
};

void VerticalGradient(TBitmap32* B, const TRect& R, const TColor32Gradient& G) {
  for (Integer y = R.Top; y < R.Bottom; ++y)
    B->HorzLineS(R.Left, y, R.Right - 1, G.GetColorAt(Single(y - R.Top) / Single(std::max(1, R.Height() - 1))));
}

void RadialGradient(TBitmap32* B, const TRect& R, Single Cx, Single Cy, Single Radius, const TColor32Gradient& G) {
  TColor32LookupTable lut(9);
  G.FillColorLookUpTable(&lut);
  for (Integer y = R.Top; y < R.Bottom; ++y) {
    PColor32Array row = B->ScanLine(y);
    for (Integer x = R.Left; x < R.Right; ++x) {
      const Single d = std::hypot(x + 0.5f - Cx, y + 0.5f - Cy) / Radius;
      row[x] = lut.GetColor32(Integer(std::min(1.0f, d) * Single(lut.Size() - 1)));
    }
  }
}

void Caption(TBitmap32* B, const String& Text, TColor32 Color, Integer Size = 13, bool Bold = true) {
  B->Font()->SetName(u"DejaVu Sans");
  B->Font()->SetSize(Size);
  B->Font()->SetStyle(Bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
  B->RenderText(12, 9, Text, 2, Color);
}

// The pictures. Each handler draws the whole buffer of its box.
struct TPictures : TObject {
  Integer SunsetPhase = 0;
  Integer ChartStep = 0;

  void Sunset(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    TColor32Gradient sky({Color32GradientStop(0, Color32(28, 32, 86)), Color32GradientStop(0.55f, Color32(196, 86, 110)),
                          Color32GradientStop(1, Color32(255, 190, 120))});
    VerticalGradient(b, TRect(0, 0, w, h), sky);
    const Single sunY = h * (0.62f - 0.12f * SunsetPhase);
    for (Integer i = 4; i >= 1; --i)
      PolygonFS(b, Circle(w * 0.68f, sunY, 16.0f + i * 7.0f), Color32(255, 220, 150, Byte(18 * (5 - i))));
    PolygonFS(b, Circle(w * 0.68f, sunY, 18.0f), Color32(255, 236, 190));
    const TArrayOfFloatPoint far{{0, Single(h) * 0.72f}, {w * 0.22f, h * 0.5f}, {w * 0.4f, h * 0.66f},
                                 {w * 0.62f, h * 0.46f}, {w * 0.86f, h * 0.64f}, {Single(w), h * 0.56f},
                                 {Single(w), Single(h)}, {0, Single(h)}};
    PolygonFS(b, far, Color32(70, 44, 96, 230));
    const TArrayOfFloatPoint nearHills{{0, h * 0.86f}, {w * 0.3f, h * 0.7f}, {w * 0.55f, h * 0.84f},
                                       {w * 0.8f, h * 0.74f}, {Single(w), h * 0.82f},
                                       {Single(w), Single(h)}, {0, Single(h)}};
    PolygonFS(b, nearHills, Color32(34, 22, 54));
    Caption(b, u"Gradient sky", Color32(255, 255, 255, 235));
  }

  void Radial(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    TColor32Gradient g({Color32GradientStop(0, Color32(255, 250, 220)), Color32GradientStop(0.35f, Color32(120, 200, 210)),
                        Color32GradientStop(1, Color32(18, 54, 92))});
    RadialGradient(b, TRect(0, 0, w, h), w * 0.5f, h * 0.55f, std::max(w, h) * 0.62f, g);
    // A star of two rings of points.
    TArrayOfFloatPoint star;
    for (Integer i = 0; i < 10; ++i) {
      const Single a = -Pi / 2 + i * Pi / 5, r = (i & 1) ? 22.0f : 52.0f;
      star.push_back(TFloatPoint(w * 0.5f + r * std::cos(a), h * 0.57f + r * std::sin(a)));
    }
    PolygonFS(b, TranslatePolygon(star, 3, 4), Color32(0, 0, 0, 60));
    PolygonFS(b, star, Color32(255, 196, 40));
    b->SetStipple({});
    for (size_t i = 0; i < star.size(); ++i) {
      const TFloatPoint& p = star[i];
      const TFloatPoint& q = star[(i + 1) % star.size()];
      b->LineFS(p.X, p.Y, q.X, q.Y, Color32(150, 80, 0));
    }
    Caption(b, u"Radial gradient", Color32(255, 255, 255, 240));
  }

  void Rays(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    b->FillRectS(TRect(0, 0, w, h), Color32(20, 22, 30));
    const Single cx = w * 0.5f, cy = h * 0.58f;
    for (Integer i = 0; i < 72; ++i) {
      const Single a = 2 * Pi * i / 72.0f;
      const Single len = 40.0f + 22.0f * std::sin(a * 5);
      const TColor32 c = HSLtoRGB(Single(i) / 72.0f, 0.85f, 0.6f);
      b->LineAS(Round(cx), Round(cy), Round(cx + len * std::cos(a)), Round(cy + len * std::sin(a)), c);
    }
    PolygonFS(b, Circle(cx, cy, 9.0f), Color32(255, 255, 255));
    Caption(b, u"Anti-aliased lines", Color32(230, 236, 255));
  }

  void Chart(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    TColor32Gradient back(Color32(252, 252, 255), Color32(222, 230, 242));
    VerticalGradient(b, TRect(0, 0, w, h), back);
    const Integer base = h - 22, left = 18, n = 6, step = (w - 2 * left) / n;
    for (Integer y = base; y > 36; y -= 22) b->HorzLineTS(left - 6, y, w - left + 4, Color32(60, 80, 120, 50));
    static const Integer values[2][6] = {{40, 64, 52, 86, 72, 98}, {58, 46, 80, 70, 94, 84}};
    for (Integer i = 0; i < n; ++i) {
      const Single x0 = left + i * step + 5.0f, x1 = x0 + step - 10.0f;
      const Single top = base - Single(values[ChartStep & 1][i]);
      TColor32Gradient bar(HSLtoRGB(0.58f - i * 0.04f, 0.7f, 0.62f), HSLtoRGB(0.6f - i * 0.04f, 0.75f, 0.38f));
      for (Integer y = Integer(top); y < base; ++y) {
        const Single t = (y - top) / std::max(1.0f, base - top);
        b->HorzLineTS(Integer(x0), y, Integer(x1), bar.GetColorAt(t));
      }
      const TArrayOfFloatPoint cap{{x0, top}, {x1, top}, {x1, top + 3}, {x0, top + 3}};
      PolygonFS(b, cap, Color32(255, 255, 255, 110));
    }
    b->HorzLineS(left - 6, base, w - left + 4, Color32(40, 50, 70));
    Caption(b, ChartStep ? u"Bars (updated)" : u"Bars", Color32(36, 48, 72), 13);
  }

  void Type(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    TColor32Gradient paper(Color32(255, 250, 238), Color32(246, 236, 214));
    VerticalGradient(b, TRect(0, 0, w, h), paper);
    Caption(b, u"Text", Color32(120, 60, 20));
    b->Font()->SetName(u"DejaVu Serif");
    b->Font()->SetStyle(TFontStyles{TFontStyle::fsItalic});
    b->Font()->SetSize(22);
    b->RenderText(14, 34, u"Quarn", 3, Color32(150, 40, 30));
    b->Font()->SetName(u"DejaVu Sans");
    b->Font()->SetStyle(TFontStyles{});
    b->Font()->SetSize(10);
    b->RenderText(14, 76, u"anti-aliased, blended", 2, Color32(60, 40, 20, 220));
    b->Font()->SetColor(clNavy);
    b->Textout(14, 98, u"GDI text through Textout");
    b->RenderText(14, 120, u"Half-transparent overlay", 2, Color32(0, 90, 140, 128));
    // GDI text leaves alpha at 0; the whole picture is opaque.
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x) b->SetPixel(x, y, b->GetPixel(x, y) | 0xFF000000u);
  }

  void Rosette(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    TColor32Gradient back(Color32(36, 40, 52), Color32(14, 16, 22));
    VerticalGradient(b, TRect(0, 0, w, h), back);
    const Single cx = w * 0.5f, cy = h * 0.58f;
    for (Integer i = 0; i < 8; ++i) {
      const Single a = i * Pi / 8;
      TArrayOfFloatPoint e = Ellipse(0, 0, 46, 14);
      for (auto& p : e) {
        const Single x = p.X * std::cos(a) - p.Y * std::sin(a), y = p.X * std::sin(a) + p.Y * std::cos(a);
        p = TFloatPoint(cx + x, cy + y);
      }
      PolygonFS(b, e, SetAlpha(HSLtoRGB(0.5f + i / 16.0f, 0.8f, 0.6f), 70));
    }
    PolygonFS(b, Circle(cx, cy, 6.0f), Color32(255, 255, 255, 230));
    Caption(b, u"Blended polygons", Color32(230, 236, 255));
  }
};

}  // namespace

std::vector<std::string> PaintBoxPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
  wc.lpszClassName = u"QnPaintBoxPage";
  RegisterClassExW(&wc);
  const Integer cols = 3, rows = 2, cw = 230, ch = 160, gap = 12;
  const Integer clientW = cols * cw + (cols + 1) * gap, clientH = rows * ch + (rows + 1) * gap;
  RECT wr(0, 0, clientW, clientH);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnPaintBoxPage", u"Paint boxes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TSheet>(nullptr);
  sheet->SetBounds(0, 0, clientW, clientH);
  sheet->SetParentWindow(host);

  TPictures pictures;
  using THandler = void (TPictures::*)(TObject*);
  const THandler handlers[] = {&TPictures::Sunset, &TPictures::Radial, &TPictures::Rays,
                               &TPictures::Chart,  &TPictures::Type,   &TPictures::Rosette};
  std::vector<TPaintBox32*> boxes;
  for (Integer i = 0; i < cols * rows; ++i) {
    auto* box = new TPaintBox32(sheet.get());
    box->SetBounds(gap + (i % cols) * (cw + gap), gap + (i / cols) * (ch + gap), cw, ch);
    box->SetOnPaintBuffer(MakeEvent(&pictures, handlers[i]));
    box->SetParent(sheet.get());
    boxes.push_back(box);
  }
  // The chart repaints the changed areas of its buffer as they are drawn.
  boxes[3]->SetRepaintMode(rmDirect);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  // Later: the sun rises and the bars get new values. Both boxes are only
  // marked; the paints come through the message queue.
  pictures.SunsetPhase = 1;
  pictures.ChartStep = 1;
  boxes[0]->Invalidate();
  boxes[3]->Invalidate();
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  const std::string path = outDir + "/paintbox.png";
  vcl::SaveWindowSnapshot(host, path);
  Hold();  // live: the page stays up until its windows are closed
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
