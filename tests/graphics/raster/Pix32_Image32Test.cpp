// The image control and its view: the paint stages, placement and scale of
// the bitmap, what each repaint mode brings to the window (against a full
// render of the same scene), adaptive precision measured on the virtual
// clock, layer mouse routing, the scroll bars and size grip of the view,
// form files, and the bitmap list.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <string>
#include <typeinfo>
#include <vector>

#include "graphics/raster/Pix32_Image_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_pix32_image32_test {

using namespace qn;

namespace {

// An image that shows its protected parts.
class TProbeImage : public TImage32 {
  QN_CLASS(TProbeImage, TImage32)
 public:
  explicit TProbeImage(TComponent* AOwner) : TImage32(AOwner) {}
  using TCustomImage32_qn::SetXForm;
};

// An optimizer that keeps every area reported to it.
class TAreaLog : public TMicroTilesRepaintOptimizer {
  QN_REPAINT_OPTIMIZER_CLASS(TAreaLog, TMicroTilesRepaintOptimizer)
 public:
  TAreaLog(TBitmap32* Buffer, TRectList* InvalidRects) : TMicroTilesRepaintOptimizer(Buffer, InvalidRects) {}
  std::vector<TRect> Areas;
  void AreaUpdateHandler(TObject* Sender, const TRect& Area, Cardinal Info) override {
    Areas.push_back(Area);
    TMicroTilesRepaintOptimizer::AreaUpdateHandler(Sender, Area, Info);
  }
};

TColor32 Pattern(Integer X, Integer Y) {
  return Color32(Byte(X * 7 + Y), Byte(Y * 5), Byte((X ^ Y) * 3), 255);
}

void FillPattern(TBitmap32* B, Integer W, Integer H) {
  B->SetSize(W, H);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) B->SetPixel(x, y, Pattern(x, y));
}

// A shown form for the controls of a test, on the screen of 1024 x 768.
class TFormTest : public usertest::InputServerTest {
 protected:
  void OpenForm(const TRect& Bounds, TFormBorderStyle Border) {
    SetScreenSize(1024, 768);
    FForm = std::make_unique<TForm>(nullptr);
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(Border);
    FForm->SetBoundsRect(Bounds);
    FForm->Show();
    usertest::Pump();
  }
  void TearDown() override {
    ReleaseCapture();
    FForm.reset();
    FreeDeviceContexts();
    usertest::InputServerTest::TearDown();
  }
  std::unique_ptr<TForm> FForm;
};

class Pix32_Image_qn_Image : public TFormTest {
 protected:
  void SetUp() override {
    TFormTest::SetUp();
    SetVirtualClock(false);
    OpenForm(TRect(30, 30, 550, 450), bsNone);
  }
  template <class T = TProbeImage>
  T* Make(TRect R) {
    auto* img = new T(FForm.get());
    img->SetParent(FForm.get());
    img->SetBoundsRect(R);
    usertest::Pump();
    return img;
  }
  // The control as a full render of its scene would show it: background,
  // bitmap in its place, visible layers on top.
  static std::unique_ptr<TBitmap32> Reference(TCustomImage32_qn* Img) {
    auto ref = std::make_unique<TBitmap32>();
    ref->SetSize(Img->Width(), Img->Height());
    ref->Clear(Color32(Img->Color()));
    const TRect r = Img->GetBitmapRect();
    if (!Img->Bitmap()->Empty() && !IsRectEmpty(r)) Img->Bitmap()->DrawTo(ref.get(), r);
    for (Integer i = 0; i < Img->Layers()->Count(); ++i)
      if (Img->Layers()->Items(i)->Visible()) Img->Layers()->Items(i)->DoPaint(ref.get());
    return ref;
  }
  // Pixels of the window that differ from the reference.
  static Integer Mismatches(TCustomImage32_qn* Img, const TBitmap32& Ref) {
    const TScreenImage shot = CaptureWindow(Img->Handle(), true);
    Integer bad = 0;
    for (Integer y = 0; y < Img->Height(); ++y)
      for (Integer x = 0; x < Img->Width(); ++x)
        if ((shot.Pixel(x, y) & 0xFFFFFFu) != (Ref.GetPixel(x, y) & 0xFFFFFFu)) ++bad;
    return bad;
  }
  void Click(TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    usertest::Pump();
  }
};

}  // namespace

TEST_F(Pix32_Image_qn_Image, DefaultStagesPaintBackgroundBitmapAndVisibleLayers) {
  auto* img = Make(TRect(10, 10, 110, 90));
  TPaintStages* st = img->PaintStages();
  ASSERT_EQ(st->Count(), 5);
  const Cardinal kinds[] = {StageClearBackground, StageControlFrame, StageDrawBitmap, StageBitmapFrame,
                            StageDrawLayers};
  const bool run[] = {true, false, true, false, true};
  for (Integer i = 0; i < 5; ++i) {
    EXPECT_EQ(st->Items(i)->Stage, kinds[i]) << i;
    EXPECT_TRUE(st->Items(i)->DsgnTime) << i;
    EXPECT_EQ(st->Items(i)->RunTime, run[i]) << i;
  }
  EXPECT_EQ(st->Items(4)->Parameter, LAYER_OPT_VISIBLE);
  EXPECT_EQ(img->RepaintMode(), rmFull);
  {
    TImage32 loose(nullptr);
    EXPECT_EQ(loose.Color(), clWindow);
    EXPECT_TRUE(loose.ParentColor());
  }

  img->SetColor(TColor(RGB(10, 200, 30)));
  FillPattern(img->Bitmap(), 40, 30);
  auto* shown = img->Layers()->Add<TBitmapLayer>();
  shown->Bitmap()->SetSize(10, 10);
  shown->Bitmap()->Clear(0xFFFF0000u);
  shown->SetLocation(TFloatRect(60, 40, 70, 50));
  auto* hidden = img->Layers()->Add<TBitmapLayer>();
  hidden->Bitmap()->SetSize(10, 10);
  hidden->Bitmap()->Clear(0xFF0000FFu);
  hidden->SetLocation(TFloatRect(80, 40, 90, 50));
  hidden->SetVisible(false);
  usertest::Pump();
  const TScreenImage shot = CaptureWindow(img->Handle(), true);
  EXPECT_EQ(shot.Pixel(5, 5) & 0xFFFFFFu, Pattern(5, 5) & 0xFFFFFFu);
  EXPECT_EQ(shot.Pixel(0, 0) & 0xFFFFFFu, Pattern(0, 0) & 0xFFFFFFu);  // no control frame at run time
  EXPECT_EQ(shot.Pixel(50, 20) & 0xFFFFFFu, 0x0AC81Eu);                // background right of the bitmap
  EXPECT_EQ(shot.Pixel(65, 45) & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(shot.Pixel(85, 45) & 0xFFFFFFu, 0x0AC81Eu);
  EXPECT_EQ(Mismatches(img, *Reference(img)), 0);

  // The list's own rules.
  st->Insert(99)->Stage = StageCustom;
  EXPECT_EQ(st->Count(), 6);
  EXPECT_EQ(st->Items(5)->Stage, StageCustom);
  st->Insert(-3);
  EXPECT_EQ(st->Items(0)->Stage, 0u);
  EXPECT_TRUE(st->Items(0)->RunTime);
  EXPECT_FALSE(st->Items(0)->DsgnTime);
  st->Delete(0);
  try {
    st->Delete(6);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"Invalid stage index");
  }
  EXPECT_THROW(st->Delete(-1), EListError);
}

TEST_F(Pix32_Image_qn_Image, PlacementScaleAndMapping) {
  auto* img = Make(TRect(0, 0, 15, 15));
  img->Bitmap()->SetSize(10, 10);
  img->SetBitmapAlign(baCenter);
  EXPECT_EQ(img->GetBitmapRect(), TRect(2, 2, 12, 12));
  EXPECT_EQ(img->BitmapToControl(TPoint(0, 0)), TPoint(2, 2));
  EXPECT_EQ(img->ControlToBitmap(TPoint(2, 3)), TPoint(0, 1));

  img->SetScale(0);
  EXPECT_FLOAT_EQ(img->Scale(), 0.001f);
  img->SetScale(-5);
  EXPECT_FLOAT_EQ(img->ScaleY(), 0.001f);

  // Scaled: a 10 px bitmap at 2.5 in the custom place (10.4, 3.6).
  img->SetBounds(0, 0, 100, 60);
  img->SetScaleMode(smScale);
  img->SetScale(2.5f);
  img->SetBitmapAlign(baCustom);
  img->SetOffsetHorz(10.4f);
  img->SetOffsetVert(3.6f);
  EXPECT_EQ(img->GetBitmapRect(), TRect(10, 4, 35, 29));
  EXPECT_EQ(img->BitmapToControl(TPoint(4, 4)), TPoint(20, 14));
  EXPECT_EQ(img->ControlToBitmap(TPoint(19, 4)), TPoint(3, 0));
  EXPECT_EQ(img->ControlToBitmap(TPoint(9, 3)), TPoint(-1, -1));  // floors, not truncates
  const TFloatPoint f = img->ControlToBitmap(TFloatPoint(15, 9));
  EXPECT_FLOAT_EQ(f.X, 2.0f);
  EXPECT_FLOAT_EQ(f.Y, 2.0f);

  // No room: the scale is 0 and the way back has no answer.
  img->SetScaleMode(smStretch);
  img->SetBounds(0, 0, 0, 60);
  EXPECT_EQ(img->GetBitmapSize(), TSize(0, 0));
  EXPECT_EQ(img->ControlToBitmap(TPoint(5, 5)).X, 0x7FFFFFFF);
  EXPECT_FLOAT_EQ(img->ControlToBitmap(TFloatPoint(5, 5)).X, 2147483648.0f);
  img->SetXForm(0, 0, 1, 0);
  EXPECT_EQ(img->ControlToBitmap(TPoint(5, 5)), TPoint(5, 0x7FFFFFFF));  // per axis
}

TEST_F(Pix32_Image_qn_Image, ScaleModesSizeTheBitmap) {
  auto* img = Make(TRect(0, 0, 100, 100));
  struct TCase {
    TScaleMode Mode;
    Integer W, H;
    TSize Want;
  };
  img->SetScale(2);
  const TCase cases[] = {
      {smNormal, 300, 150, TSize(300, 150)},       {smStretch, 30, 20, TSize(100, 100)},
      {smScale, 30, 20, TSize(60, 40)},            {smResize, 30, 20, TSize(100, 67)},
      {smResize, 20, 40, TSize(50, 100)},          {smOptimal, 50, 30, TSize(50, 30)},
      {smOptimal, 300, 150, TSize(100, 50)},       {smOptimal, 100, 101, TSize(99, 100)},
      {smOptimalScaled, 50, 30, TSize(100, 60)},   {smOptimalScaled, 60, 30, TSize(100, 50)},
  };
  for (const TCase& c : cases) {
    img->SetScaleMode(c.Mode);
    img->Bitmap()->SetSize(c.W, c.H);
    EXPECT_EQ(img->GetBitmapSize(), c.Want) << int(c.Mode) << " " << c.W << "x" << c.H;
  }
  img->Bitmap()->SetSize(0, 0);
  EXPECT_EQ(img->GetBitmapRect(), TRect(0, 0, 0, 0));
}

TEST_F(Pix32_Image_qn_Image, TiledBitmapReportsEveryTileItTouches) {
  const TCustomRepaintOptimizerClass old = PaintBoxOptimizerClass;
  PaintBoxOptimizerClass = TAreaLog::OptimizerClass();
  auto* img = Make(TRect(0, 0, 25, 25));
  PaintBoxOptimizerClass = old;
  auto* log = static_cast<TAreaLog*>(img->RepaintOptimizer());
  img->Bitmap()->SetSize(10, 10);
  img->SetBitmapAlign(baTile);
  img->SetRepaintMode(rmOptimizer);
  usertest::Pump();
  log->Areas.clear();
  img->Bitmap()->FillRectS(4, 4, 6, 6, 0xFF00FF00u);
  // Every tile position of the buffer, the half-visible ones at 20..30 too,
  // gets the changed area grown by the resampler's reach.
  const Integer cols = img->Buffer()->Width() / 10 + 1, rows = img->Buffer()->Height() / 10 + 1;
  std::set<std::tuple<Integer, Integer, Integer, Integer>> seen;
  for (const TRect& a : log->Areas) seen.insert({a.Left, a.Top, a.Right, a.Bottom});
  ASSERT_EQ(Integer(seen.size()), cols * rows);
  for (Integer y = 0; y < rows; ++y)
    for (Integer x = 0; x < cols; ++x)
      EXPECT_TRUE(seen.count({2 + 10 * x, 2 + 10 * y, 8 + 10 * x, 8 + 10 * y})) << x << "," << y;
  usertest::Pump();
  const TScreenImage shot = CaptureWindow(img->Handle(), true);
  for (const TPoint p : {TPoint(5, 5), TPoint(15, 5), TPoint(24, 24), TPoint(5, 24)})
    EXPECT_EQ(shot.Pixel(p.X, p.Y) & 0xFFFFFFu, 0x00FF00u) << p.X << "," << p.Y;

  // A control without room has no tiles: nothing reported, nothing divided
  // by zero.
  img->SetBounds(0, 0, 0, 25);
  usertest::Pump();
  log->Areas.clear();
  img->Bitmap()->FillRectS(0, 0, 2, 2, 0xFF0000FFu);
  EXPECT_TRUE(log->Areas.empty());
}

namespace {

// A scene for the fault catcher: a patterned bitmap in the middle of the
// control and alpha layers of random sizes, some stretched.
struct TScene {
  std::mt19937 Rng{77};
  TCustomImage32_qn* Img;
  explicit TScene(TCustomImage32_qn* AImg) : Img(AImg) {
    // Drawn at 1.5 through the linear resampler: a changed pixel reaches
    // its neighbours on the window.
    FillPattern(Img->Bitmap(), 120, 90);
    new TLinearResampler(Img->Bitmap());
    Img->SetScaleMode(smScale);
    Img->SetScale(1.5f);
    Img->SetBitmapAlign(baCenter);
    Img->SetColor(TColor(RGB(30, 40, 60)));
    for (int i = 0; i < 6; ++i) AddLayer();
  }
  TBitmapLayer* AddLayer() {
    auto* l = Img->Layers()->Add<TBitmapLayer>();
    l->Bitmap()->SetSize(8 + Integer(Rng() % 40), 8 + Integer(Rng() % 40));
    l->Bitmap()->Clear(0x90000000u | (Rng() & 0xFFFFFF));
    l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
    if (Rng() % 3 == 0) new TLinearResampler(l->Bitmap());
    const float s = (Rng() % 3 == 0) ? 1.5f : 1.0f;
    const float x = float(Integer(Rng() % 220) - 20), y = float(Integer(Rng() % 160) - 20);
    l->SetLocation(TFloatRect(x, y, x + l->Bitmap()->Width() * s, y + l->Bitmap()->Height() * s));
    return l;
  }
  std::string Step() {
    TLayerCollection* layers = Img->Layers();
    const Integer count = layers->Count();
    auto* l = count ? static_cast<TBitmapLayer*>(layers->Items(Integer(Rng() % unsigned(count)))) : nullptr;
    const int op = int(Rng() % 10);
    if (!l || op == 0) {
      AddLayer();
      return "add";
    }
    if (op == 1 && count > 2) {
      delete l;
      return "delete";
    }
    if (op == 2) {
      const TFloatRect r = l->Location();
      const float dx = float(Integer(Rng() % 31) - 15), dy = float(Integer(Rng() % 31) - 15);
      l->SetLocation(TFloatRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy));
      return "move";
    }
    if (op == 3) {
      l->SetVisible(!l->Visible());
      return "visibility";
    }
    if (op == 4) {
      l->SetIndex(Integer(Rng() % unsigned(count + 2)) - 1);
      return "index";
    }
    if (op == 5) {
      l->Bitmap()->FillRectS(1, 1, 6, 5, 0xFFFFFF00u);
      return "layer fill";
    }
    if (op == 6) {
      l->Bitmap()->LineS(0, 0, l->Bitmap()->Width() - 1, l->Bitmap()->Height() - 1, 0xFF00FFFFu);
      return "layer line";
    }
    if (op == 9) {
      // Window pixels spoilt behind the control's back and handed back to
      // it as an exposure, while a layer moves: the optimizer's paint and
      // the window's own one fall on the same message.
      const Integer x = Integer(Rng() % 200), y = Integer(Rng() % 160);
      const TRect spoilt(x, y, x + 1 + Integer(Rng() % 40), y + 1 + Integer(Rng() % 40));
      const HDC dc = GetDC(Img->Handle());
      const HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
      FillRect(dc, &spoilt, brush);
      DeleteObject(brush);
      ReleaseDC(Img->Handle(), dc);
      InvalidateRect(Img->Handle(), &spoilt, false);
      const TFloatRect r = l->Location();
      l->SetLocation(TFloatRect(r.Left + 2, r.Top, r.Right + 2, r.Bottom));
      return "exposure";
    }
    if (op == 7) {
      const Integer x = Integer(Rng() % 120), y = Integer(Rng() % 90);
      Img->Bitmap()->LineAS(x, y, Integer(Rng() % 120), Integer(Rng() % 90), 0xFFFF40FFu);
      return "bitmap line";
    }
    const Integer x = Integer(Rng() % 110), y = Integer(Rng() % 80);
    Img->Bitmap()->FillRectS(x, y, x + 9, y + 7, 0xFF20E040u);
    return "bitmap fill";
  }
};

}  // namespace

TEST_F(Pix32_Image_qn_Image, OptimizedAndDirectRepaintsMatchAFullRender) {
  for (TRepaintMode mode : {rmOptimizer, rmDirect}) {
    auto* img = Make(TRect(20, 20, 240, 200));
    TScene scene(img);
    img->SetRepaintMode(mode);
    usertest::Pump();
    ASSERT_EQ(Mismatches(img, *Reference(img)), 0);
    for (int step = 0; step < 160; ++step) {
      const std::string what = scene.Step();
      usertest::Pump();
      ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << int(mode) << " step " << step << " " << what;
    }
    delete img;
  }
}

namespace {

// A bitmap layer that also draws a bar at a fixed place of the buffer, far
// from its own place; it declares no class reference of its own.
class TBarLayer : public TBitmapLayer {
 public:
  using TBitmapLayer::TBitmapLayer;

 protected:
  void Paint(TBitmap32* Buffer) override {
    TBitmapLayer::Paint(Buffer);
    Buffer->FillRectS(TRect(150, 4, 190, 12), 0xFF2080FFu);
  }
};

// A paint handler that draws a mark at a fixed place, and one that moves
// another layer while the layers are being drawn.
struct TMarker {
  void Mark(TObject*, TBitmap32* Buffer) { Buffer->FillRectS(TRect(4, 150, 30, 170), 0xFFE0C020u); }
};
struct TMover {
  TBitmapLayer* Other = nullptr;
  void Move(TObject*, TBitmap32*) {
    if (!Other) return;
    const TFloatRect r = Other->Location();
    Other->SetLocation(TFloatRect(r.Left + 1, r.Top, r.Right + 1, r.Bottom));
    Other = nullptr;
  }
};

}  // namespace

// The optimizer's partial repaints pass over the layers that lie outside a
// repainted rectangle by places the layer list keeps between paints. Every
// change that moves a place or lets a layer paint beyond it must reach those
// places: scaled layers under a changing viewport, scaling switched, paint
// handlers set and cleared, descendants that paint elsewhere, copies,
// reordering, and a handler that moves another layer during the paint.
TEST_F(Pix32_Image_qn_Image, KeptLayerPlacesFollowEveryChange) {
  auto* img = Make(TRect(10, 10, 250, 200));
  FillPattern(img->Bitmap(), 100, 80);
  img->SetBitmapAlign(baCustom);
  img->SetScaleMode(smScale);
  img->SetColor(TColor(RGB(30, 40, 60)));
  std::mt19937 rng(91);
  TMarker marker;
  TMover mover;
  auto add = [&](bool Bar) {
    auto* l = Bar ? new TBarLayer(img->Layers()) : img->Layers()->Add<TBitmapLayer>();
    l->Bitmap()->SetSize(6 + Integer(rng() % 30), 6 + Integer(rng() % 30));
    l->Bitmap()->Clear(0xA0000000u | (rng() & 0xFFFFFF));
    l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
    const float x = float(Integer(rng() % 260) - 30), y = float(Integer(rng() % 210) - 30);
    l->SetLocation(TFloatRect(x, y, x + float(l->Bitmap()->Width()), y + float(l->Bitmap()->Height())));
    l->SetScaled(rng() % 2 == 0);
    return l;
  };
  for (int i = 0; i < 8; ++i) add(false);
  img->SetRepaintMode(rmOptimizer);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0);
  std::set<std::string> seen;
  for (int step = 0; step < 200; ++step) {
    TLayerCollection* layers = img->Layers();
    auto* l = static_cast<TBitmapLayer*>(layers->Items(Integer(rng() % unsigned(layers->Count()))));
    std::string what;
    switch (rng() % 11) {
      case 0: {
        const TFloatRect r = l->Location();
        const float dx = float(Integer(rng() % 41) - 20), dy = float(Integer(rng() % 41) - 20);
        l->SetLocation(TFloatRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy));
        what = "move";
        break;
      }
      case 1:
        l->SetScaled(!l->Scaled());
        what = "scaled";
        break;
      case 2:
        img->SetScale(std::vector<float>{0.75f, 1.0f, 1.5f, 2.0f}[rng() % 4]);
        what = "image scale";
        break;
      case 3:
        img->SetOffsetHorz(float(Integer(rng() % 81) - 40));
        img->SetOffsetVert(float(Integer(rng() % 61) - 30));
        what = "image offset";
        break;
      case 4:
        // A handler set or cleared is not a change the control repaints
        // for: a full repaint shows it, and the partial ones after it must
        // keep drawing it wherever they pass over its mark.
        l->SetOnPaint(Assigned(l->OnPaint()) ? TPaintLayerEvent() : MakeEvent(&marker, &TMarker::Mark));
        img->ForceFullInvalidate();
        what = "paint handler";
        break;
      case 5:
        l->SetIndex(Integer(rng() % unsigned(layers->Count())));
        what = "index";
        break;
      case 6:
        if (layers->Count() < 14) add(true);
        what = "descendant";
        break;
      case 7:
        if (layers->Count() > 3) delete l;
        what = "delete";
        break;
      case 8:
        l->Assign(layers->Items(Integer(rng() % unsigned(layers->Count()))));
        what = "assign";
        break;
      case 9:
        l->SetVisible(!l->Visible());
        what = "visibility";
        break;
      default: {
        // The handler moves another layer in the middle of the paint; a
        // partial repaint starts it by moving the handler's own layer.
        auto* other = static_cast<TBitmapLayer*>(layers->Items(Integer(rng() % unsigned(layers->Count()))));
        if (other == l || typeid(*l) != typeid(TBitmapLayer)) break;
        mover.Other = other;
        l->SetOnPaint(MakeEvent(&mover, &TMover::Move));
        const TFloatRect r = l->Location();
        l->SetLocation(TFloatRect(r.Left + 2, r.Top, r.Right + 2, r.Bottom));
        usertest::Pump();
        l->SetOnPaint(TPaintLayerEvent());
        mover.Other = nullptr;
        what = "moved while painting";
        break;
      }
    }
    usertest::Pump();
    if (!what.empty()) seen.insert(what);
    ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "step " << step << " " << what;
  }
  EXPECT_GE(seen.size(), 10u);
}

namespace {

// A layer picture in runs of clear, opaque and partly covered pixels.
void FillRuns(TBitmap32* B, Integer W, Integer H, std::mt19937& Rng) {
  B->SetSize(W, H);
  TColor32 a = 0;
  Integer left = 0;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) {
      if (left-- <= 0) {
        const unsigned kind = Rng() % 3;
        a = kind == 0 ? 0 : kind == 1 ? 255 : 1 + Rng() % 254;
        left = Integer(Rng() % 12);
      }
      B->SetPixel(x, y, a << 24 | (Rng() & 0xFFFFFFu));
    }
}

}  // namespace

// Where the bitmap is drawn 1:1 and opaque and the first layer painting in a
// repainted rectangle is a plain bitmap layer blended 1:1 over the bitmap,
// that layer is blended from the bitmap straight into the buffer. Small moves
// (most of the repainted rectangle under the moved layer) mixed with changes
// that take each of those conditions away and give it back, on the plain
// control class: the window matches a full render after every step.
TEST_F(Pix32_Image_qn_Image, FirstLayerBlendedFromTheBitmapMatchesAFullRender) {
  auto* img = Make<TImage32>(TRect(10, 10, 250, 200));
  std::mt19937 rng(123);
  FillPattern(img->Bitmap(), 210, 165);
  // Partly covered bitmap pixels show whether it is drawn opaque or blended.
  img->Bitmap()->FillRectS(40, 30, 120, 60, 0x60C03050u);
  img->SetBitmapAlign(baCustom);
  img->SetScaleMode(smScale);
  img->SetOffsetHorz(10);
  img->SetOffsetVert(10);
  img->SetColor(TColor(RGB(30, 40, 60)));
  TMarker marker;
  auto add = [&](bool Bar) {
    auto* l = Bar ? new TBarLayer(img->Layers()) : img->Layers()->Add<TBitmapLayer>();
    FillRuns(l->Bitmap(), 5 + Integer(rng() % 40), 5 + Integer(rng() % 40), rng);
    l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
    const float x = float(Integer(rng() % 200) - 5), y = float(Integer(rng() % 150) - 5);
    l->SetLocation(TFloatRect(x, y, x + float(l->Bitmap()->Width()), y + float(l->Bitmap()->Height())));
    return l;
  };
  for (int i = 0; i < 7; ++i) add(false);
  img->SetRepaintMode(rmOptimizer);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0);
  std::set<std::string> seen;
  for (int step = 0; step < 240; ++step) {
    TLayerCollection* layers = img->Layers();
    auto* l = static_cast<TBitmapLayer*>(layers->Items(Integer(rng() % unsigned(layers->Count()))));
    TBitmap32* b = l->Bitmap();
    const TFloatRect loc = l->Location();
    std::string what;
    // A change that takes a condition of the straight blend away is shown,
    // checked and then undone, so that most steps can still take it.
    auto checkThenUndo = [&](const char* What, const std::function<void()>& Undo) {
      usertest::Pump();
      EXPECT_EQ(Mismatches(img, *Reference(img)), 0) << "step " << step << " " << What;
      Undo();
      what = What;
    };
    switch (rng() % 19) {
      case 0: case 1: case 2: case 3: case 4: case 5: {
        const float dx = float(Integer(rng() % 9) - 4), dy = float(Integer(rng() % 5) - 2);
        l->SetLocation(TFloatRect(loc.Left + dx, loc.Top + dy, loc.Right + dx, loc.Bottom + dy));
        what = "move";
        break;
      }
      case 6:
        b->SetDrawMode(rng() % 2 ? TDrawMode::dmOpaque : TDrawMode::dmTransparent);
        l->Changed();
        checkThenUndo("layer draw mode", [&] {
          b->SetDrawMode(TDrawMode::dmBlend);
          l->Changed();
        });
        break;
      case 7:
        b->SetMasterAlpha(Cardinal(rng() % 255));
        l->Changed();
        checkThenUndo("master alpha", [&] {
          b->SetMasterAlpha(255);
          l->Changed();
        });
        break;
      case 8:
        b->SetCombineMode(TCombineMode::cmMerge);
        l->Changed();
        checkThenUndo("combine mode", [&] {
          b->SetCombineMode(TCombineMode::cmBlend);
          l->Changed();
        });
        break;
      case 9:
        l->SetLocation(TFloatRect(loc.Left, loc.Top, loc.Left + float(b->Width()) * 1.5f,
                                  loc.Top + float(b->Height()) * 1.5f));
        checkThenUndo("stretch", [&] { l->SetLocation(loc); });
        break;
      case 10:
        l->SetCropped(true);
        checkThenUndo("cropped", [&] { l->SetCropped(false); });
        break;
      case 11:
        l->SetOnPaint(MakeEvent(&marker, &TMarker::Mark));
        img->ForceFullInvalidate();
        checkThenUndo("paint handler", [&] {
          l->SetOnPaint(TPaintLayerEvent());
          img->ForceFullInvalidate();
        });
        break;
      case 12:
        l->SetVisible(!l->Visible());
        what = "visibility";
        break;
      case 13:
        l->SetIndex(Integer(rng() % unsigned(layers->Count())));
        what = "index";
        break;
      case 14:
        if (layers->Count() < 12) add(false);
        else if (layers->Count() > 3) delete l;
        what = "add or delete";
        break;
      case 17: {
        // A descendant painting beyond its place, under or over the others.
        TBitmapLayer* bar = add(true);
        bar->SetIndex(Integer(rng() % unsigned(layers->Count())));
        checkThenUndo("descendant", [&] { delete bar; });
        break;
      }
      case 15:
        img->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
        img->ForceFullInvalidate();
        checkThenUndo("bitmap draw mode", [&] {
          img->Bitmap()->SetDrawMode(TDrawMode::dmOpaque);
          img->ForceFullInvalidate();
        });
        break;
      case 16:
        img->SetScale(1.5f);
        checkThenUndo("image scale", [&] { img->SetScale(1.0f); });
        break;
      default:
        if (rng() % 3 == 0) {
          img->SetBitmapAlign(img->BitmapAlign() == baCustom ? baCenter : baCustom);
          what = "alignment";
        } else {
          // Layers near the edge hang off the bitmap or come back onto it.
          img->SetOffsetHorz(float(Integer(rng() % 31) - 5));
          img->SetOffsetVert(float(Integer(rng() % 31) - 5));
          what = "offset";
        }
        break;
    }
    usertest::Pump();
    seen.insert(what);
    ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "step " << step << " " << what;
  }
  EXPECT_GE(seen.size(), 14u);
}

namespace {
struct TPaintCount {
  Integer Count = 0;
  void On(TObject*) { ++Count; }
};
}  // namespace

// A layer change posts one paint, and that paint shows the change once: the
// window's own paint cycle, with nothing in its update region, adds none.
TEST_F(Pix32_Image_qn_Image, LayerChangePaintsTheWindowOnce) {
  auto* img = Make(TRect(10, 10, 210, 160));
  FillPattern(img->Bitmap(), 200, 150);
  auto* l = img->Layers()->Add<TBitmapLayer>();
  l->Bitmap()->SetSize(20, 20);
  l->Bitmap()->Clear(0x80FF0000u);
  l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  l->SetLocation(TFloatRect(30, 30, 50, 50));
  img->SetRepaintMode(rmOptimizer);
  usertest::Pump();
  TPaintCount paints;
  img->SetOnGDIOverlay(MakeEvent(&paints, &TPaintCount::On));
  for (int i = 1; i <= 3; ++i) {
    l->SetLocation(TFloatRect(30.0f + 3 * i, 30, 50.0f + 3 * i, 50));
    usertest::Pump();
    EXPECT_EQ(paints.Count, i);
    EXPECT_EQ(Mismatches(img, *Reference(img)), 0);
  }
}

TEST_F(Pix32_Image_qn_Image, AdaptiveLevelsFollowMeasuredPaints) {
  SetVirtualClock(true);
  auto* img = Make(TRect(10, 10, 300, 200));
  FillPattern(img->Bitmap(), 280, 180);
  auto* layer = img->Layers()->Add<TBitmapLayer>();
  layer->Bitmap()->SetSize(20, 20);
  layer->Bitmap()->Clear(0xFFE04020u);
  layer->SetLocation(TFloatRect(20, 20, 40, 40));
  // Each run of the stage costs time on the clock: a full paint 10 ms, a
  // partial one PartialMs per invalid rectangle.
  DWORD partialMs = 30;
  Integer partialPaints = 0, fullPaints = 0;
  img->PaintStages()->Add()->Stage = StageCustom;
  img->SetOnPaintStage([&](TObject*, TBitmap32*, Cardinal) {
    if (img->InvalidRects()->Count() > 0) {
      ++partialPaints;
      AdvanceClock(partialMs);
    } else {
      ++fullPaints;
      AdvanceClock(10);
    }
  });
  img->SetRepaintMode(rmOptimizer);
  auto* opt = static_cast<TMicroTilesRepaintOptimizer*>(img->RepaintOptimizer());
  auto move = [&] {
    const TFloatRect r = layer->Location();
    layer->SetLocation(TFloatRect(r.Left + 3, r.Top, r.Right + 3, r.Bottom));
    usertest::Pump();
    ASSERT_EQ(Mismatches(img, *Reference(img)), 0);
  };
  usertest::Pump();
  EXPECT_EQ(opt->PerformanceLevel(), 0);
  move();  // slower than the full paint: whole tiles
  EXPECT_EQ(opt->PerformanceLevel(), 1);
  // Partial paints stay slower: the level climbs to 2 (a due retry may
  // take it down a step first).
  for (int i = 0; i < 3 && opt->PerformanceLevel() < 2; ++i) move();
  EXPECT_EQ(opt->PerformanceLevel(), 2);
  const Integer partialBefore = partialPaints;
  move();  // level 2 drops the list: a full paint
  EXPECT_EQ(partialPaints, partialBefore);
  EXPECT_EQ(opt->PerformanceLevel(), 2);
  // The timed retry comes after a wrap of the tick count too.
  AdvanceClock(0x7FFFFFFFu);
  AdvanceClock(0x7FFFFFFFu);
  AdvanceClock(3000);
  partialMs = 1;  // now partial paints are cheap
  move();
  EXPECT_EQ(opt->PerformanceLevel(), 1);
  EXPECT_GT(partialPaints, partialBefore);
  EXPECT_GT(fullPaints, 0);
  SetVirtualClock(false);
}

TEST_F(Pix32_Image_qn_Image, PaintToRendersElsewhereAndRestoresTheControl) {
  auto* img = Make(TRect(0, 0, 80, 60));
  FillPattern(img->Bitmap(), 20, 10);
  img->SetRepaintMode(rmOptimizer);
  auto* l = img->Layers()->Add<TBitmapLayer>();
  l->Bitmap()->SetSize(4, 4);
  l->Bitmap()->Clear(0xFF0000FFu);
  l->SetScaled(true);
  l->SetLocation(TFloatRect(10, 0, 14, 4));
  TBitmap32 dest;
  dest.SetSize(100, 50);
  dest.Clear(0xFF000000u);
  img->PaintTo(&dest, TRect(0, 0, 40, 20));
  EXPECT_EQ(img->RepaintMode(), rmOptimizer);
  EXPECT_FALSE(img->IsPaintToMode());
  EXPECT_EQ(dest.GetPixel(1, 1), Pattern(0, 0));         // the bitmap at twice its size
  EXPECT_EQ(dest.GetPixel(21, 7), 0xFF0000FFu);          // the scaled layer follows
  EXPECT_EQ(dest.GetPixel(21, 9), Pattern(10, 4));
  EXPECT_EQ(img->BitmapToControl(TPoint(10, 0)), TPoint(10, 0));  // the control's own placement is back

  // A stage that raises leaves the control as it was all the same.
  img->PaintStages()->Add()->Stage = StageCustom;
  img->SetOnPaintStage([](TObject*, TBitmap32*, Cardinal) { throw Exception(u"stage failed"); });
  EXPECT_THROW(img->PaintTo(&dest, TRect(0, 0, 40, 20)), Exception);
  EXPECT_EQ(img->RepaintMode(), rmOptimizer);
  EXPECT_FALSE(img->IsPaintToMode());
  EXPECT_EQ(img->BitmapToControl(TPoint(10, 0)), TPoint(10, 0));
}

TEST_F(Pix32_Image_qn_Image, UpdateBracketsAndTheUnpairedEnd) {
  auto* img = Make(TRect(0, 0, 50, 50));
  Integer changes = 0;
  img->SetOnChange([&](TObject*) { ++changes; });
  img->BeginUpdate();
  img->SetBitmapAlign(baCenter);
  img->SetScaleMode(smStretch);
  EXPECT_EQ(changes, 0);
  img->EndUpdate();
  img->Changed();
  EXPECT_EQ(changes, 1);
  try {
    img->EndUpdate();
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find(u"Unpaired EndUpdate call"), String::npos);
  }
  // The count was not left below zero: changes are still reported.
  EXPECT_EQ(img->UpdateCount(), 0);
  img->Changed();
  EXPECT_EQ(changes, 2);
}

TEST_F(Pix32_Image_qn_Image, LayersGetTheMouseAndKeepItWhileHeld) {
  auto* img = Make(TRect(20, 20, 220, 170));
  auto* layer = img->Layers()->Add<TBitmapLayer>();
  layer->Bitmap()->SetSize(40, 40);
  layer->Bitmap()->Clear(0xFF336699u);
  layer->SetLocation(TFloatRect(50, 50, 90, 90));
  layer->SetCursor(crHandPoint);
  struct TEvent {
    char Kind;
    Integer X, Y;
    TCustomLayer* Layer;
  };
  std::vector<TEvent> events;
  img->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, Integer X, Integer Y, TCustomLayer* L) {
    events.push_back({'d', X, Y, L});
  });
  img->SetOnMouseMove([&](TObject*, TShiftState, Integer X, Integer Y, TCustomLayer* L) {
    events.push_back({'m', X, Y, L});
  });
  img->SetOnMouseUp([&](TObject*, TMouseButton, TShiftState, Integer X, Integer Y, TCustomLayer* L) {
    events.push_back({'u', X, Y, L});
  });
  Integer layerMoves = 0;
  layer->SetOnMouseMove([&](TObject*, TShiftState, Integer, Integer) { ++layerMoves; });

  // Pressed on the layer, dragged out of the control, released there.
  TPoint p = img->ClientToScreen(TPoint(60, 60));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(GetCapture(), img->Handle());
  EXPECT_EQ(img->Layers()->MouseListener(), layer);
  p = img->ClientToScreen(TPoint(260, 200));
  InputMouseMove(p.X, p.Y);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events[1].Kind, 'd');
  EXPECT_EQ(events[1].Layer, layer);
  const TEvent& dragged = events[events.size() - 2];
  EXPECT_EQ(dragged.Kind, 'm');
  EXPECT_EQ(dragged.X, 260);
  EXPECT_EQ(dragged.Layer, layer);  // held, though far outside it
  EXPECT_EQ(events.back().Kind, 'u');
  EXPECT_EQ(events.back().Layer, layer);
  EXPECT_GE(layerMoves, 2);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(img->Layers()->MouseListener(), nullptr);

  // Over the bare bitmap there is no layer; leaving resets the cursor.
  events.clear();
  Click(img, 10, 10);
  ASSERT_FALSE(events.empty());
  for (const TEvent& e : events) EXPECT_EQ(e.Layer, nullptr);
  Screen->SetCursor(crHandPoint);
  p = img->ClientToScreen(TPoint(300, 300));
  InputMouseMove(p.X, p.Y);
  usertest::Pump();
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(Pix32_Image_qn_Image, AutoSizeFollowsTheBitmap) {
  auto* img = Make(TRect(0, 0, 50, 50));
  Integer resizes = 0;
  img->SetOnBitmapResize([&](TObject*) { ++resizes; });
  img->SetAutoSize(true);
  img->Bitmap()->SetSize(70, 30);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(img->Width(), 70);
  EXPECT_EQ(img->Height(), 30);
  img->SetScaleMode(smScale);
  img->SetScale(2);
  img->Bitmap()->SetSize(20, 10);
  EXPECT_EQ(img->Width(), 40);
  EXPECT_EQ(img->Height(), 20);
  img->SetAlign(alTop);
  img->Bitmap()->SetSize(30, 25);
  EXPECT_EQ(img->Height(), 50);
  EXPECT_EQ(img->Width(), FForm->ClientWidth());
}

TEST_F(Pix32_Image_qn_Image, FormFileKeepsBitmapAndSettings) {
  auto* img = Make<TImage32>(TRect(5, 6, 105, 86));
  img->SetName(u"Image1");
  FillPattern(img->Bitmap(), 12, 9);
  img->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  img->SetBitmapAlign(baTile);
  img->SetScaleMode(smScale);
  img->SetScale(1.5f);
  img->SetRepaintMode(rmOptimizer);
  img->SetColor(TColor(RGB(1, 2, 3)));
  const std::string text = ComponentToText(FForm.get());
  img->SetName(u"Written");
  EXPECT_NE(text.find("BitmapAlign = baTile"), std::string::npos) << text;
  EXPECT_NE(text.find("RepaintMode = rmOptimizer"), std::string::npos) << text;

  TForm again(nullptr);
  TextToComponent(text, &again);
  auto* back = dynamic_cast<TImage32*>(again.FindComponent(u"Image1"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Parent(), &again);
  EXPECT_EQ(back->BoundsRect(), TRect(5, 6, 105, 86));
  EXPECT_EQ(back->BitmapAlign(), baTile);
  EXPECT_EQ(back->ScaleMode(), smScale);
  EXPECT_FLOAT_EQ(back->Scale(), 1.5f);
  EXPECT_EQ(back->RepaintMode(), rmOptimizer);
  EXPECT_EQ(back->Color(), TColor(RGB(1, 2, 3)));
  ASSERT_EQ(back->Bitmap()->Width(), 12);
  ASSERT_EQ(back->Bitmap()->Height(), 9);
  EXPECT_EQ(back->Bitmap()->DrawMode(), TDrawMode::dmBlend);
  EXPECT_EQ(std::memcmp(back->Bitmap()->Bits(), img->Bitmap()->Bits(), 12 * 9 * 4), 0);
  // Defaults stay out of the file.
  auto* plain = Make<TImage32>(TRect(0, 0, 30, 30));
  const std::string plainText = ComponentToText(plain);
  EXPECT_EQ(plainText.find("Scale ="), std::string::npos) << plainText;
  EXPECT_EQ(plainText.find("RepaintMode"), std::string::npos) << plainText;
}

TEST_F(Pix32_Image_qn_Image, BitmapListCopiesWhatItIsGiven) {
  TBitmap32List list(nullptr);
  FillPattern(list.Bitmaps()->Add()->Bitmap(), 3, 2);
  {
    TBitmap32Collection foreign(nullptr, TBitmap32Item::StaticClass());
    FillPattern(foreign.Add()->Bitmap(), 5, 4);
    foreign.Add()->Bitmap()->SetSize(1, 1);
    list.SetBitmaps(&foreign);
    ASSERT_EQ(list.Bitmaps()->Count(), 2);
    EXPECT_NE(list.Bitmap(0), foreign.Items(0)->Bitmap());
    EXPECT_EQ(list.Bitmap(0)->GetPixel(4, 3), Pattern(4, 3));
  }  // the foreign collection is gone; the list still holds its own copies
  EXPECT_EQ(list.Bitmap(1)->Width(), 1);
  TBitmap32 b;
  b.SetSize(7, 7);
  list.SetBitmap(1, &b);
  EXPECT_EQ(list.Bitmap(1)->Width(), 7);
  EXPECT_EQ(list.Bitmaps()->GetOwner(), &list);
  list.Bitmaps()->Items(0)->Assign(list.Bitmaps()->Items(1));
  EXPECT_EQ(list.Bitmap(0)->Width(), 7);
  list.SetBitmaps(nullptr);
  EXPECT_EQ(list.Bitmaps()->Count(), 0);
}

// ---------------------------------------------------------------------------
// The image view

namespace {

class Pix32_Image_qn_View : public TFormTest {
 protected:
  void SetUp() override {
    TFormTest::SetUp();
    OpenForm(TRect(40, 40, 460, 360), bsSizeable);
  }
  TImgView32* Make(TRect R) {
    auto* v = new TImgView32(FForm.get());
    v->SetParent(FForm.get());
    v->SetBoundsRect(R);
    usertest::Pump();
    return v;
  }
};

}  // namespace

TEST_F(Pix32_Image_qn_View, ScrollRangesCentringAndOverSize) {
  auto* v = Make(TRect(0, 0, 216, 166));
  const Integer bar = GetSystemMetrics(SM_CYHSCROLL);
  EXPECT_EQ(v->ScaleMode(), smScale);
  EXPECT_EQ(v->BitmapAlign(), baCustom);
  EXPECT_EQ(v->GetViewportRect(), TRect(0, 0, 216 - bar, 166 - bar));
  EXPECT_EQ(v->HorzScrollBar()->BoundsRect(), TRect(0, 166 - bar, 216 - bar, 166));
  EXPECT_EQ(v->VertScrollBar()->BoundsRect(), TRect(216 - bar, 0, 216, 166 - bar));

  FillPattern(v->Bitmap(), 400, 300);
  EXPECT_EQ(v->HorzScrollBar()->Range(), 400);
  EXPECT_EQ(v->VertScrollBar()->Range(), 300);
  // Centred on the bitmap's middle.
  const TRect vp = v->GetViewportRect();
  auto near = [](TPoint A, TPoint B) { return std::abs(A.X - B.X) <= 1 && std::abs(A.Y - B.Y) <= 1; };
  EXPECT_TRUE(near(v->ControlToBitmap(TPoint(vp.Width() / 2, vp.Height() / 2)), TPoint(200, 150)));

  v->SetOverSize(20);
  v->SetScale(2);
  EXPECT_EQ(v->HorzScrollBar()->Range(), 800 + 80);
  EXPECT_EQ(v->VertScrollBar()->Range(), 600 + 80);
  v->ScrollToCenter(100, 50);
  EXPECT_TRUE(near(v->ControlToBitmap(TPoint(vp.Width() / 2, vp.Height() / 2)), TPoint(100, 50)));
  Integer scrolls = 0;
  v->SetOnScroll([&](TObject*) { ++scrolls; });
  const TPoint before = v->BitmapToControl(TPoint(100, 50));
  v->Scroll(10, -6);
  EXPECT_EQ(v->BitmapToControl(TPoint(100, 50)), TPoint(before.X - 10, before.Y + 6));
  EXPECT_EQ(scrolls, 0);  // programmatic scrolls are not the user's
  // Scrolled to the top-left end, the margin shows before the bitmap.
  v->HorzScrollBar()->SetPosition(0);
  v->VertScrollBar()->SetPosition(0);
  v->Scroll(0, 0);
  EXPECT_EQ(v->GetBitmapRect().TopLeft(), TPoint(40, 40));

  // A bitmap smaller than the viewport sits in its middle.
  v->SetScale(1);
  v->Bitmap()->SetSize(50, 40);
  EXPECT_EQ(v->GetBitmapRect(), TRect((vp.Width() - 50) / 2, (vp.Height() - 40) / 2, (vp.Width() - 50) / 2 + 50,
                                      (vp.Height() - 40) / 2 + 40));
  v->SetCentered(false);
  EXPECT_EQ(v->GetBitmapRect().TopLeft(), TPoint(20, 20));
}

TEST_F(Pix32_Image_qn_View, AutomaticBarsShowOnlyWhenNeeded) {
  auto* v = Make(TRect(0, 0, 216, 166));
  v->ScrollBars()->SetVisibility(svAuto);
  v->Bitmap()->SetSize(100, 80);
  v->SetBounds(0, 0, 217, 166);
  EXPECT_FALSE(v->HorzScrollBar()->Visible());
  EXPECT_EQ(v->GetViewportRect(), TRect(0, 0, 217, 166));
  EXPECT_EQ(v->GetScrollBarSize(), 0);
  v->Bitmap()->SetSize(500, 80);
  v->SetBounds(0, 0, 216, 166);
  EXPECT_TRUE(v->HorzScrollBar()->Visible());
  EXPECT_TRUE(v->VertScrollBar()->Visible());
  EXPECT_EQ(v->GetScrollBarSize(), GetSystemMetrics(SM_CYHSCROLL));
  v->ScrollBars()->SetSize(11);
  EXPECT_EQ(v->GetViewportRect(), TRect(0, 0, 205, 155));
  v->ScrollBars()->SetVisibility(svHidden);
  EXPECT_FALSE(v->VertScrollBar()->Visible());
  v->ScrollBars()->SetIncrement(5);
  EXPECT_EQ(v->VertScrollBar()->Increment(), 5);
}

TEST_F(Pix32_Image_qn_View, UserScrollAndGripPress) {
  auto* v = Make(TRect(0, 0, 10, 10));
  v->SetAlign(alClient);
  usertest::Pump();
  FillPattern(v->Bitmap(), 900, 700);
  usertest::Pump();
  EXPECT_TRUE(v->IsSizeGripVisible());
  v->SetSizeGrip(sgNone);
  EXPECT_FALSE(v->IsSizeGripVisible());
  v->SetSizeGrip(sgAuto);
  Integer scrolls = 0;
  v->SetOnScroll([&](TObject*) { ++scrolls; });

  // A press on the bar's next button scrolls the picture.
  const TPoint before = v->BitmapToControl(TPoint(450, 350));
  TCustomRangeBar* h = v->HorzScrollBar();
  TPoint p = h->ClientToScreen(TPoint(h->Width() - 3, h->Height() / 2));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_GE(scrolls, 1);
  EXPECT_LT(v->BitmapToControl(TPoint(450, 350)).X, before.X);

  // The grip in the corner drags the form's bottom-right corner.
  const TRect grip = v->GetSizeGripRect();
  EXPECT_EQ(grip.Width(), GetSystemMetrics(SM_CYHSCROLL));
  const TRect form0 = FForm->BoundsRect();
  p = v->ClientToScreen(TPoint(grip.Left + 4, grip.Top + 4));
  InputMouseMove(p.X, p.Y);
  InputMouseDown(VK_LBUTTON);
  usertest::IdleHook hook([&](int n) {
    if (n == 1) InputMouseMove(p.X + 60, p.Y + 40);
    else if (n == 2) InputMouseUp(VK_LBUTTON);
    else return false;
    return true;
  });
  usertest::Pump();
  EXPECT_EQ(FForm->BoundsRect(), TRect(form0.Left, form0.Top, form0.Right + 60, form0.Bottom + 40));
  EXPECT_EQ(v->Width(), FForm->ClientWidth());
  EXPECT_EQ(v->GetSizeGripRect().BottomRight(), TPoint(v->Width(), v->Height()));
  const TScreenImage shot = CaptureWindow(v->Handle(), true);
  const COLORREF face = ColorToRGB(clBtnFace);
  EXPECT_EQ(shot.Pixel(v->Width() - 1, v->Height() - 1) & 0xFFFFFFu,
            Cardinal(GetRValue(face)) << 16 | Cardinal(GetGValue(face)) << 8 | GetBValue(face));
}

TEST_F(Pix32_Image_qn_View, FormFileKeepsTheViewSettings) {
  auto* v = Make(TRect(0, 0, 200, 150));
  v->SetName(u"View1");
  FillPattern(v->Bitmap(), 30, 20);
  v->SetOverSize(12);
  v->SetCentered(false);
  v->SetSizeGrip(sgAlways);
  v->ScrollBars()->SetVisibility(svAuto);
  v->ScrollBars()->SetIncrement(3);
  const std::string text = ComponentToText(FForm.get());
  EXPECT_EQ(text.find("TCustomRangeBar"), std::string::npos) << text;
  v->SetName(u"Written");
  TForm again(nullptr);
  TextToComponent(text, &again);
  auto* back = dynamic_cast<TImgView32*>(again.FindComponent(u"View1"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->OverSize(), 12);
  EXPECT_FALSE(back->Centered());
  EXPECT_EQ(back->SizeGrip(), sgAlways);
  EXPECT_EQ(back->ScrollBars()->Visibility(), svAuto);
  EXPECT_EQ(back->ScrollBars()->Increment(), 3);
  EXPECT_EQ(back->Bitmap()->Width(), 30);
  EXPECT_EQ(text.find("ScaleMode"), std::string::npos) << text;
}

// A change of the image's scale or offset moves every scaled layer; the
// place a layer leaves afterwards is where it stood after that change.
TEST_F(Pix32_Image_qn_Image, ScaledLayersLeaveTheirPlaceAfterAViewportChange) {
  auto* img = Make(TRect(10, 10, 250, 200));
  FillPattern(img->Bitmap(), 100, 80);
  img->SetBitmapAlign(baCustom);
  img->SetScaleMode(smScale);
  auto* l = img->Layers()->Add<TBitmapLayer>();
  l->Bitmap()->SetSize(16, 12);
  l->Bitmap()->Clear(0xC0E04020u);
  l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
  l->SetLocation(TFloatRect(10, 10, 26, 22));
  l->SetScaled(true);
  img->SetRepaintMode(rmOptimizer);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0);
  struct TChange {
    const char* What;
    std::function<void()> Apply;
  };
  const TChange changes[] = {
      {"scale", [&] { img->SetScale(2.0f); }},
      {"offset", [&] { img->SetOffsetHorz(30); }},
      {"scale x", [&] { img->SetScaleX(1.25f); }},
      {"align", [&] { img->SetBitmapAlign(baCenter); }},
      {"size", [&] { img->SetBounds(10, 10, 200, 180); }},
  };
  for (const TChange& c : changes) {
    c.Apply();
    usertest::Pump();
    ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << c.What;
    const TFloatRect r = l->Location();
    l->SetLocation(TFloatRect(r.Left + 7, r.Top + 5, r.Right + 7, r.Bottom + 5));
    usertest::Pump();
    ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "moved after " << c.What;
  }
}

// A copy takes over the source's place and look but stays a layer of its
// own for the optimizer: the place it leaves is repainted whether it ends
// up shown or hidden, and so are its own changes after the copy.
TEST_F(Pix32_Image_qn_Image, CopiedLayersRepaintThePlacesTheyLeave) {
  auto* img = Make(TRect(10, 10, 250, 200));
  FillPattern(img->Bitmap(), 200, 150);
  TBitmapLayer* l[3];
  for (int i = 0; i < 3; ++i) {
    l[i] = img->Layers()->Add<TBitmapLayer>();
    l[i]->Bitmap()->SetSize(20 + 4 * i, 16);
    l[i]->Bitmap()->Clear(0xB0000000u | (0x3060C0u << i));
    l[i]->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
    l[i]->SetLocation(TFloatRect(20.0f + 60 * i, 30, 40.0f + 64 * i, 46));
  }
  img->SetRepaintMode(rmOptimizer);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0);
  auto move = [](TBitmapLayer* L, float Dx, float Dy) {
    const TFloatRect r = L->Location();
    L->SetLocation(TFloatRect(r.Left + Dx, r.Top + Dy, r.Right + Dx, r.Bottom + Dy));
  };
  // The source has a change pending when it is copied.
  move(l[0], 5, 40);
  l[1]->Assign(l[0]);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "copy of a changed layer";
  move(l[1], 30, 20);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "the copy moved";
  move(l[0], -3, 9);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "the source moved";
  // A copy of a hidden layer is hidden: the place it showed is cleared.
  l[2]->SetVisible(false);
  usertest::Pump();
  l[1]->Assign(l[2]);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "copy of a hidden layer";
  l[1]->SetVisible(true);
  usertest::Pump();
  ASSERT_EQ(Mismatches(img, *Reference(img)), 0) << "shown again";
}

}  // namespace t_pix32_image32_test
