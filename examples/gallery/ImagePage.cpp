// Gallery page "image": image controls showing one landscape in each scale
// mode and a small badge in each alignment; an image view scrolled away
// from the centre, with its bars and size grip; and an image in optimizer
// mode whose balloon layers were moved by script, with the invalid
// rectangles of its last paint outlined on the window. Saved as image.png.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

using namespace qn;

struct TLabel {
  Integer X, Y;
  String Text;
  bool Heading;
};

// The page's client area: a light sheet with section headings and the
// names under the controls.
class TImageSheet : public TCustomControl {
  QN_CLASS(TImageSheet, TCustomControl)
 public:
  explicit TImageSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  std::vector<TLabel> Labels;

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    Canvas()->Brush()->SetColor(TColor(RGB(243, 244, 247)));
    Canvas()->FillRect(r);
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetName(u"DejaVu Sans");
    for (const TLabel& l : Labels) {
      Canvas()->Font()->SetHeight(l.Heading ? -13 : -11);
      Canvas()->Font()->SetStyle(l.Heading ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
      Canvas()->Font()->SetColor(l.Heading ? TColor(RGB(40, 48, 62)) : TColor(RGB(92, 100, 114)));
      Canvas()->TextOut(l.X, l.Y, l.Text);
    }
  }
};

void Gradient(TBitmap32* B, const TRect& R, const TColor32Gradient& G) {
  for (Integer y = R.Top; y < R.Bottom; ++y)
    B->HorzLineS(R.Left, y, R.Right - 1, G.GetColorAt(Single(y - R.Top) / Single(std::max(1, R.Height() - 1))));
}

// Dusk over hills and a lake, W x H.
void Landscape(TBitmap32* B, Integer W, Integer H) {
  B->SetSize(W, H);
  const Single w = Single(W), h = Single(H);
  Gradient(B, TRect(0, 0, W, H),
           TColor32Gradient({Color32GradientStop(0, Color32(38, 58, 120)), Color32GradientStop(0.45f, Color32(214, 120, 120)),
                             Color32GradientStop(0.7f, Color32(250, 196, 140)), Color32GradientStop(1, Color32(250, 210, 160))}));
  for (Integer i = 4; i >= 1; --i)
    PolygonFS(B, Circle(w * 0.7f, h * 0.42f, h * (0.07f + 0.035f * i)), Color32(255, 226, 160, Byte(20 * (5 - i))));
  PolygonFS(B, Circle(w * 0.7f, h * 0.42f, h * 0.08f), Color32(255, 240, 200));
  TArrayOfFloatPoint far{{0, h * 0.62f}};
  TArrayOfFloatPoint nearHills{{0, h * 0.76f}};
  for (Integer x = 0; x <= 40; ++x) {
    const Single t = x / 40.0f;
    far.push_back({w * t, h * (0.56f + 0.05f * std::sin(t * 9.0f) + 0.03f * std::sin(t * 23.0f + 1))});
    nearHills.push_back({w * t, h * (0.7f + 0.05f * std::sin(t * 6.0f + 2) + 0.02f * std::sin(t * 17.0f))});
  }
  far.push_back({w, h});
  far.push_back({0, h});
  nearHills.push_back({w, h});
  nearHills.push_back({0, h});
  PolygonFS(B, far, Color32(96, 86, 132));
  PolygonFS(B, nearHills, Color32(52, 62, 84));
  Gradient(B, TRect(0, Integer(h * 0.84f), W, H),
           TColor32Gradient(Color32(214, 150, 150), Color32(70, 70, 110)));
  for (Integer i = 0; i < 6; ++i) {
    const Single y = h * (0.87f + 0.02f * i);
    B->LineFS(w * (0.58f + 0.01f * i), y, w * (0.82f - 0.012f * i), y, Color32(255, 230, 190, 150));
  }
}

// A rounded badge with a star, used to show the alignments.
void Badge(TBitmap32* B) {
  B->SetSize(56, 42);
  B->Clear(0);
  B->SetDrawMode(TDrawMode::dmBlend);
  PolygonFS(B, RoundRect(TFloatRect(1, 1, 55, 41), 9), Color32(44, 96, 170));
  PolygonFS(B, RoundRect(TFloatRect(3, 3, 53, 21), 7), Color32(255, 255, 255, 50));
  TArrayOfFloatPoint star;
  for (Integer i = 0; i < 10; ++i) {
    const Single a = -3.14159265f / 2 + i * 3.14159265f / 5, r = (i & 1) ? 6.0f : 14.0f;
    star.push_back({28 + r * std::cos(a), 22 + r * std::sin(a)});
  }
  PolygonFS(B, star, Color32(255, 206, 70));
}

// A soft balloon with a highlight, straight alpha.
void Balloon(TBitmap32* B, TColor32 Color) {
  const Integer S = 56;
  B->SetSize(S, S);
  for (Integer y = 0; y < S; ++y)
    for (Integer x = 0; x < S; ++x) {
      const Single d = std::hypot(x + 0.5f - S / 2.0f, y + 0.5f - S / 2.0f) / (S / 2.0f - 1);
      const Single hl = std::hypot(x + 0.5f - S * 0.36f, y + 0.5f - S * 0.33f) / (S * 0.2f);
      const Single a = std::clamp((1 - d) * 14.0f, 0.0f, 1.0f) * 0.88f;
      const Single k = std::max(0.0f, 1 - hl) * 0.55f;
      const TColor32 c = Color32(Byte(RedComponent(Color) + (255 - RedComponent(Color)) * k),
                                 Byte(GreenComponent(Color) + (255 - GreenComponent(Color)) * k),
                                 Byte(BlueComponent(Color) + (255 - BlueComponent(Color)) * k), Byte(a * 255));
      B->SetPixel(x, y, c);
    }
  B->SetDrawMode(TDrawMode::dmBlend);
  new TLinearResampler(B);
}

// Outlines the invalid rectangles of the optimizer's paints on the window,
// after each copy, once armed; the last list is kept, so a full repaint
// shows it again.
struct TDamageOverlay : TObject {
  bool Armed = false;
  std::vector<TRect> Last;
  void Overlay(TObject* Sender) {
    if (!Armed) return;
    auto* img = static_cast<TImage32*>(Sender);
    if (img->InvalidRects()->Count() > 0) {
      Last.clear();
      for (Integer i = 0; i < img->InvalidRects()->Count(); ++i) Last.push_back(*img->InvalidRects()->Items(i));
    }
    TCanvas* c = img->Canvas();
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    for (const TRect& r : Last) {
      c->Pen()->SetWidth(1);
      c->Pen()->SetStyle(TPenStyle::psSolid);
      c->Pen()->SetColor(TColor(RGB(20, 24, 34)));
      c->Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
      c->Pen()->SetColor(TColor(RGB(255, 214, 64)));
      c->Rectangle(r);
    }
  }
};

TImage32* AddImage(TImageSheet* Sheet, const TRect& R) {
  auto* img = new TImage32(Sheet);
  img->SetParent(Sheet);
  img->SetBoundsRect(R);
  img->SetColor(TColor(RGB(208, 214, 224)));
  return img;
}

}  // namespace

std::vector<std::string> ImagePage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnImagePage";
  RegisterClassExW(&wc);
  const Integer clientW = 980, clientH = 684;
  RECT wr(0, 0, clientW, clientH);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnImagePage", u"Image controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30,
                              wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TImageSheet>(nullptr);
  sheet->SetBounds(0, 0, clientW, clientH);
  sheet->SetParentWindow(host);

  TBitmap32 landscape;
  Landscape(&landscape, 240, 150);
  new TLinearResampler(&landscape);
  TBitmap32 badge;
  Badge(&badge);

  // Scale modes: the 240 x 150 landscape in 150 x 100 controls.
  const Integer cw = 150, ch = 100, gap = 12, left = 16;
  sheet->Labels.push_back({left, 12, u"Scale modes: a 240 x 150 picture in 150 x 100 controls", true});
  struct TModeCase {
    TScaleMode Mode;
    Single Scale;
    const char16_t* Name;
  };
  const TModeCase modes[] = {{smNormal, 1, u"smNormal"},          {smStretch, 1, u"smStretch"},
                             {smScale, 0.5f, u"smScale 0.5"},     {smResize, 1, u"smResize"},
                             {smOptimal, 1, u"smOptimal"},        {smOptimalScaled, 0.55f, u"smOptimalScaled 0.55"}};
  for (Integer i = 0; i < 6; ++i) {
    const Integer x = left + i * (cw + gap);
    TImage32* img = AddImage(sheet.get(), TRect(x, 34, x + cw, 34 + ch));
    img->SetBitmap(&landscape);
    img->SetScaleMode(modes[i].Mode);
    img->SetScale(modes[i].Scale);
    img->SetBitmapAlign(baCenter);
    sheet->Labels.push_back({x, 34 + ch + 5, modes[i].Name, false});
  }

  // Alignments of the badge.
  const Integer alignTop = 188;
  sheet->Labels.push_back({left, alignTop - 22, u"Bitmap alignment: a 56 x 42 badge", true});
  struct TAlignCase {
    TBitmapAlign Align;
    const char16_t* Name;
  };
  const TAlignCase aligns[] = {{baTopLeft, u"baTopLeft"}, {baCenter, u"baCenter"}, {baTile, u"baTile"},
                               {baCustom, u"baCustom at (78, 44)"}};
  for (Integer i = 0; i < 4; ++i) {
    const Integer x = left + i * (cw + gap);
    TImage32* img = AddImage(sheet.get(), TRect(x, alignTop, x + cw, alignTop + ch));
    img->SetBitmap(&badge);
    img->SetBitmapAlign(aligns[i].Align);
    img->SetOffsetHorz(78);
    img->SetOffsetVert(44);
    sheet->Labels.push_back({x, alignTop + ch + 5, aligns[i].Name, false});
  }
  // The same badge stretched, and at twice its size, for comparison.
  {
    const Integer x = left + 4 * (cw + gap);
    TImage32* img = AddImage(sheet.get(), TRect(x, alignTop, x + cw, alignTop + ch));
    img->SetBitmap(&badge);
    new TLinearResampler(img->Bitmap());
    img->SetScaleMode(smResize);
    img->SetBitmapAlign(baCenter);
    sheet->Labels.push_back({x, alignTop + ch + 5, u"smResize, linear resampler", false});
    const Integer x2 = left + 5 * (cw + gap);
    TImage32* img2 = AddImage(sheet.get(), TRect(x2, alignTop, x2 + cw, alignTop + ch));
    img2->SetBitmap(&badge);
    img2->SetScaleMode(smScale);
    img2->SetScale(2);
    img2->SetBitmapAlign(baCenter);
    sheet->Labels.push_back({x2, alignTop + ch + 5, u"smScale 2, nearest", false});
  }

  // The view: a bigger landscape at 1.5, a margin round it, scrolled past
  // the sun to the right end, where the margin shows.
  const Integer lowTop = 352, lowH = 300, viewW = 470;
  sheet->Labels.push_back({left, lowTop - 22, u"TImgView32 at 1.5, OverSize 16, scrolled to the right end", true});
  auto* view = new TImgView32(sheet.get());
  view->SetParent(sheet.get());
  view->SetBounds(left, lowTop, viewW, lowH);
  view->SetColor(TColor(RGB(64, 70, 84)));
  view->SetSizeGrip(sgAlways);
  view->SetOverSize(16);
  Landscape(view->Bitmap(), 480, 300);
  new TLinearResampler(view->Bitmap());
  view->SetScale(1.5f);
  view->ScrollToCenter(470, 110);

  // Optimizer mode: balloons over a landscape, moved by script.
  const Integer optLeft = left + viewW + 18, optW = clientW - optLeft - left;
  sheet->Labels.push_back({optLeft, lowTop - 22, u"rmOptimizer: invalid rectangles of the last paint", true});
  TImage32* opt = AddImage(sheet.get(), TRect(optLeft, lowTop, optLeft + optW, lowTop + lowH));
  Landscape(opt->Bitmap(), optW, lowH);
  opt->SetRepaintMode(rmOptimizer);
  TDamageOverlay overlay;
  opt->SetOnGDIOverlay(MakeEvent(&overlay, &TDamageOverlay::Overlay));
  const TColor32 colours[] = {Color32(224, 64, 86), Color32(60, 170, 120), Color32(70, 130, 220), Color32(240, 170, 40)};
  const TFloatRect starts[] = {{40, 40, 96, 96}, {170, 120, 226, 176}, {300, 60, 356, 116}, {120, 200, 176, 256}};
  std::vector<TBitmapLayer*> balloons;
  for (Integer i = 0; i < 4; ++i) {
    auto* b = opt->Layers()->Add<TBitmapLayer>();
    Balloon(b->Bitmap(), colours[i]);
    b->SetLocation(starts[i]);
    balloons.push_back(b);
  }
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  // First script step, painted on its own.
  balloons[0]->SetLocation(TFloatRect(70, 24, 126, 80));
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  // The last paint, outlined: one balloon drifts, one grows to 1.4 times its size,
  // one is hidden.
  overlay.Armed = true;
  balloons[1]->SetLocation(TFloatRect(204, 104, 260, 160));
  balloons[2]->SetLocation(TFloatRect(296, 50, 374, 128));
  balloons[3]->SetVisible(false);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const Integer rects = Integer(overlay.Last.size());
  sheet->Labels.push_back({optLeft, lowTop + lowH + 6,
                           Format(u"%d rectangles; the rest of the window was not copied", {rects}), false});
  const RECT note(optLeft, lowTop + lowH + 2, optLeft + optW, lowTop + lowH + 24);
  InvalidateRect(sheet->Handle(), &note, true);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  const std::string path = outDir + "/image.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
