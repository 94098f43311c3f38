// Gallery page "rangebars": range and gauge bars drawn by the library, in
// the themed system look, the classic one and the flat look, horizontal and
// vertical, at rest, hot, pressed and disabled. Saved as rangebars.png.
// Page "layers": a paint box showing a picture with alpha bitmap layers and
// a rubber band that scripted mouse input moved and resized. Saved as
// layers.png.
#include <memory>
#include <string>
#include <vector>

#include <algorithm>
#include <cmath>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/vector/Pix32_ColorGradients_qn.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "graphics/raster/Pix32_RangeBars_qn.h"
#include "graphics/raster/Pix32_XPThemes_qn.h"
#include "platform/desktop/Desktop.h"

namespace gallery {

namespace {

using namespace qn;

struct TNote {
  Integer X, Y;
  const char16_t* Text;
  bool Bold;
};

class TBarsSheet : public TCustomControl {
  QN_CLASS(TBarsSheet, TCustomControl)
 public:
  explicit TBarsSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  std::vector<TNote> Notes;
  std::vector<Integer> Bands{0};

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    Canvas()->Brush()->SetColor(TColor(RGB(244, 245, 247)));
    Canvas()->FillRect(r);
    Canvas()->Brush()->SetColor(TColor(RGB(226, 230, 236)));
    for (Integer y : Bands) Canvas()->FillRect(TRect(0, y, r.Width(), y + 34));
    Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
    Canvas()->Font()->SetName(u"DejaVu Sans");
    for (const TNote& n : Notes) {
      Canvas()->Font()->SetHeight(n.Bold ? -13 : -11);
      Canvas()->Font()->SetStyle(n.Bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
      Canvas()->Font()->SetColor(TColor(RGB(50, 58, 70)));
      Canvas()->TextOut(n.X, n.Y, n.Text);
    }
  }
};

// Shows a zone hot or pressed without a pointer holding it.
template <class B>
class TStaged : public B {
 public:
  explicit TStaged(TComponent* AOwner) : B(AOwner) {}
  void Stage(TRBZone Hot, TRBZone Pressed) {
    this->HotZone = Hot;
    this->DragZone = Pressed;
  }

 protected:
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_MOUSELEAVE) return;
    B::Dispatch(M);
  }
};

// The rows of range and gauge bars in the three looks, from top down; the
// bars of the classic column are collected so that they can be painted
// after the theme library is switched off.
void AddBarRows(TBarsSheet* sheet, Integer top, std::vector<TArrowBar*>& classic) {
  sheet->Notes.push_back({20, top + 10, u"System look, themed", true});
  sheet->Notes.push_back({275, top + 10, u"System look, classic", true});
  sheet->Notes.push_back({530, top + 10, u"Flat", true});

  struct TRow {
    const char16_t* Name;
    TRBZone Hot, Pressed;
    bool Enabled;
  };
  const TRow rows[] = {{u"range bar at rest", zNone, zNone, true},
                       {u"hot next button", zBtnNext, zNone, true},
                       {u"pressed handle", zHandle, zHandle, true},
                       {u"pressed track", zNone, zTrackNext, true},
                       {u"disabled", zNone, zNone, false}};
  const Integer cols[3] = {20, 275, 530};
  Integer y = top + 48;
  for (const TRow& row : rows) {
    for (int col = 0; col < 3; ++col) {
      const bool flat = col == 2;
      const Integer x = cols[col];
      sheet->Notes.push_back({x, y, row.Name, false});
      auto* b = new TStaged<TRangeBar>(sheet);
      b->SetParent(sheet);
      b->SetBounds(x, y + 16, 190, 17);
      if (col == 1) classic.push_back(b);
      if (flat) {
        b->SetStyle(rbsMac);
        b->SetColor(TColor(RGB(236, 239, 243)));
        b->SetHandleColor(TColor(RGB(150, 170, 196)));
        b->SetBorderColor(TColor(RGB(96, 110, 128)));
      }
      b->SetParams(1000, 180);
      b->SetPosition(320);
      b->SetEnabled(row.Enabled);
      b->Stage(row.Hot, row.Pressed);
    }
    y += 50;
  }
  sheet->Notes.push_back({20, y, u"gauge 0..100 at 65, and vertical", false});
  sheet->Notes.push_back({275, y, u"gauge 0..100 at 65, and vertical", false});
  sheet->Notes.push_back({530, y, u"gauges, flat, solid track", false});
  for (int col = 0; col < 3; ++col) {
    const bool flat = col == 2;
    const Integer x = cols[col];
    auto* g = new TStaged<TGaugeBar>(sheet);
    g->SetParent(sheet);
    g->SetBounds(x, y + 16, 190, 17);
    g->SetPosition(65);
    auto* v = new TStaged<TGaugeBar>(sheet);
    v->SetParent(sheet);
    v->SetKind(sbVertical);
    v->SetBounds(x + 205, top + 48, 17, 300);
    if (col == 1) {
      classic.push_back(g);
      classic.push_back(v);
    }
    v->SetHandleSize(40);
    v->SetPosition(30);
    if (flat) {
      for (TArrowBar* b : {static_cast<TArrowBar*>(g), static_cast<TArrowBar*>(v)}) {
        b->SetStyle(rbsMac);
        b->SetBackgnd(bgSolid);
        b->SetColor(TColor(RGB(236, 239, 243)));
        b->SetHandleColor(TColor(RGB(150, 170, 196)));
        b->SetBorderColor(TColor(RGB(96, 110, 128)));
      }
    }
  }
}

// A straight-alpha picture drawn per pixel from a coverage function.
template <class F>
void PaintAlpha(TBitmap32* B, Integer W, Integer H, F Cover) {
  B->SetSize(W, H);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) B->SetPixel(x, y, Cover(x + 0.5f, y + 0.5f));
}

Byte Edge(float d) { return Byte(std::clamp(0.5f - d, 0.0f, 1.0f) * 255.0f + 0.5f); }

TColor32 WithAlpha(TColor32 C, Integer A) { return (C & 0x00FFFFFFu) | Cardinal(std::clamp(A, 0, 255)) << 24; }

// The scene of the layers page: a background picture drawn into the box's
// buffer, then every layer of the collection on top.
struct TLayerScene : TObject {
  TLayerCollection* Layers = nullptr;
  void PaintBuffer(TObject* Sender) {
    auto* box = static_cast<TPaintBox32*>(Sender);
    TBitmap32* b = box->Buffer();
    const Integer w = box->Width(), h = box->Height();
    TColor32Gradient sky({Color32GradientStop(0, Color32(52, 92, 150)), Color32GradientStop(0.6f, Color32(150, 186, 214)),
                          Color32GradientStop(1, Color32(232, 226, 206))});
    for (Integer y = 0; y < h; ++y) b->HorzLineS(0, y, w - 1, sky.GetColorAt(Single(y) / Single(std::max(1, h - 1))));
    const TArrayOfFloatPoint far{{0, h * 0.70f}, {w * 0.18f, h * 0.52f}, {w * 0.37f, h * 0.64f},
                                 {w * 0.58f, h * 0.48f}, {w * 0.8f, h * 0.62f}, {Single(w), h * 0.54f},
                                 {Single(w), Single(h)}, {0, Single(h)}};
    PolygonFS(b, far, Color32(88, 120, 112));
    const TArrayOfFloatPoint nearHills{{0, h * 0.86f}, {w * 0.3f, h * 0.74f}, {w * 0.55f, h * 0.86f},
                                       {w * 0.8f, h * 0.76f}, {Single(w), h * 0.84f},
                                       {Single(w), Single(h)}, {0, Single(h)}};
    PolygonFS(b, nearHills, Color32(52, 78, 66));
    b->ResetClipRect();
    for (TCustomLayer* l : *Layers) l->DoPaint(b);
  }
};

// Faint dashes where the rubber band started, to show how far it went.
struct TGhost : TObject {
  TFloatRect Start;
  void Paint(TObject*, TBitmap32* B) {
    const TRect r = MakeRect(Start);
    B->SetStipple({0xB0FFFFFFu, 0xB0FFFFFFu, 0xB0FFFFFFu, 0, 0, 0});
    B->SetStippleStep(1);
    B->SetStippleCounter(0);
    B->FrameRectTSP(r.Left, r.Top, r.Right, r.Bottom);
    B->Font()->SetName(u"DejaVu Sans");
    B->Font()->SetSize(8);
    B->RenderText(r.Left + 6, r.Top + 4, u"start", 2, 0xE0FFFFFFu);
  }
};

}  // namespace

std::vector<std::string> LayersPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnLayersPage";
  RegisterClassExW(&wc);
  // The layers alone: the bars have a page of their own.
  const Integer boxTop = 44, boxH = 300;
  const Integer w = 780, h = boxTop + boxH + 20;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnLayersPage", u"Bitmap layers", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              40, 40, wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TBarsSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  sheet->Bands = {0};
  sheet->Notes.push_back({20, 10, u"Alpha bitmap layers and a rubber band moved and resized by scripted input", true});

  TLayerScene scene;
  TLayerCollection layers(nullptr);
  scene.Layers = &layers;
  auto* box = new TPaintBox32(sheet.get());
  box->SetParent(sheet.get());
  box->SetBounds(20, boxTop, w - 40, boxH);
  box->SetOnPaintBuffer(MakeEvent(&scene, &TLayerScene::PaintBuffer));

  // A soft sun: radial alpha, stretched from 64 to 132 pixels.
  auto* sun = layers.Add<TBitmapLayer>();
  PaintAlpha(sun->Bitmap(), 64, 64, [](float x, float y) {
    const float d = std::hypot(x - 32, y - 32) / 32;
    const float a = d < 0.45f ? 1.0f : std::max(0.0f, 1.0f - (d - 0.45f) / 0.55f);
    return WithAlpha(Color32(255, 226, 150), Integer(a * a * 255));
  });
  new TLinearResampler(sun->Bitmap());
  sun->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  sun->SetLocation(TFloatRect(70, 18, 202, 150));

  // A frosted card with a soft rim.
  auto* card = layers.Add<TBitmapLayer>();
  PaintAlpha(card->Bitmap(), 180, 100, [](float x, float y) {
    const float qx = std::max(std::abs(x - 90) - 78, 0.0f), qy = std::max(std::abs(y - 50) - 38, 0.0f);
    const float d = std::hypot(qx, qy) - 12;
    const Integer inside = Edge(d), rim = Edge(std::abs(d + 1.5f) - 1.0f);
    const TColor32 c = rim > 0 ? Color32(255, 255, 255) : Color32(236, 242, 250);
    return WithAlpha(c, std::max<Integer>(inside * 150 / 255, rim * 230 / 255));
  });
  card->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  card->SetLocation(TFloatRect(250, 120, 430, 220));
  card->SetAlphaHit(true);

  // A ring, half transparent, drawn at one and a half times its size.
  auto* ring = layers.Add<TBitmapLayer>();
  PaintAlpha(ring->Bitmap(), 80, 80, [](float x, float y) {
    const float d = std::abs(std::hypot(x - 40, y - 40) - 30) - 7;
    return WithAlpha(Color32(214, 70, 96), Edge(d) * 200 / 255);
  });
  new TLinearResampler(ring->Bitmap());
  ring->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  ring->SetLocation(TFloatRect(560, 40, 680, 160));

  TGhost ghost;
  ghost.Start = card->Location();
  auto* ghostLayer = layers.Insert(2, TCustomLayer::StaticClass());
  ghostLayer->SetOnPaint(MakeEvent(&ghost, &TGhost::Paint));

  auto* band = layers.Add<TRubberbandLayer>();
  band->SetChildLayer(card);
  band->SetHandleSize(4);
  band->SetOptions({roQuantized});
  band->SetQuantized(4);
  // Scripted input: grab the card's middle and move it, then pull the
  // bottom-right handle out.
  layers.MouseMove({}, 340, 170);
  layers.MouseDown(TMouseButton::mbLeft, {ssLeft}, 340, 170);
  layers.MouseMove({ssLeft}, 380, 186);
  layers.MouseMove({ssLeft}, 402, 190);
  layers.MouseUp(TMouseButton::mbLeft, {}, 402, 190);
  const TRect moved = MakeRect(band->Location());
  layers.MouseMove({}, moved.Right - 1, moved.Bottom - 1);
  layers.MouseDown(TMouseButton::mbLeft, {ssLeft}, moved.Right - 1, moved.Bottom - 1);
  layers.MouseMove({ssLeft}, moved.Right + 60, moved.Bottom + 34);
  layers.MouseUp(TMouseButton::mbLeft, {}, moved.Right + 60, moved.Bottom + 34);
  box->Invalidate();

  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const std::string path = outDir + "/layers.png";
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the band can be moved and sized until the window is closed
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

std::vector<std::string> RangeBarsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnRangeBarsPage";
  RegisterClassExW(&wc);
  const Integer w = 780, h = 388;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnRangeBarsPage", u"Range and gauge bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                              40, wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TBarsSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  // The classic column is painted after the theme library is switched off.
  std::vector<TArrowBar*> classic;
  AddBarRows(sheet.get(), 0, classic);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const TThemeMode mode = ThemeMode();
  SetThemeMode(TThemeMode::Absent);
  for (TArrowBar* b : classic) b->Repaint();
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const std::string path = outDir + "/rangebars.png";
  vcl::SaveWindowSnapshot(host, path);
  Hold();  // live: the page stays up until its windows are closed
  SetThemeMode(mode);
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
