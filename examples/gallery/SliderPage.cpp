// Gallery page "slider": on a skinned form, an image slider caught in the
// middle of a slide and another in the middle of a fade (arrow buttons and
// dots showing), skin pictures cut into circles and an oval, and markers of
// each kind drawn onto a device context. Saved as slider.png.
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQuarnCircleShape.h"
#include "skin/extended/uQuarnImageSlider.h"
#include "skin/extended/uQuarnMarker.h"

namespace gallery {

namespace {

using namespace qn;

// Pictures the page serves to the skin store by id.
struct TPagePictures {
  std::map<String, std::unique_ptr<TBitmap32>> Pictures;
  void Get(TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
    auto It = Pictures.find(Id);
    if (It == Pictures.end()) return;
    Image->Assign(It->second.get());
    Handled = true;
  }
};

TColor32 Mix(TColor32 A, TColor32 B, double T) {
  auto Ch = [&](int S) { return Byte(std::lround(((A >> S) & 0xFF) * (1 - T) + ((B >> S) & 0xFF) * T)); };
  return Color32(Ch(16), Ch(8), Ch(0));
}

// A landscape: sky from Top to Horizon colour, a sun, two ranges of hills
// and a lake; 480 x 260.
std::unique_ptr<TBitmap32> Scene(TColor32 Top, TColor32 Horizon, TColor32 Sun, TColor32 Far, TColor32 Near,
                                 TColor32 Lake, double SunX) {
  auto B = std::make_unique<TBitmap32>();
  const Integer W = 480, H = 260;
  B->SetSize(W, H);
  for (Integer y = 0; y < H; ++y) B->HorzLineS(0, y, W - 1, Mix(Top, Horizon, std::min(1.0, y / 170.0)));
  PolygonFS(B.get(), Circle(TFloat(SunX), 92, 26), Sun);
  auto Hills = [&](double Base, double Amp, double Freq, double Phase, TColor32 C) {
    TArrayOfFloatPoint P;
    P.push_back(FloatPoint(0, TFloat(H)));
    for (Integer x = 0; x <= W; x += 8)
      P.push_back(FloatPoint(TFloat(x), TFloat(Base - Amp * std::sin(x * Freq + Phase) - Amp * 0.4 * std::sin(x * Freq * 2.7))));
    P.push_back(FloatPoint(TFloat(W), TFloat(H)));
    PolygonFS(B.get(), P, C);
  };
  Hills(150, 22, 0.013, 0.5, Far);
  Hills(185, 16, 0.021, 2.0, Near);
  B->FillRectS(0, 215, W, H, Lake);
  for (Integer y = 222; y < H; y += 9) B->HorzLineS(40 + (y * 37) % 120, y, 200 + (y * 53) % 200, Mix(Lake, 0xFFFFFFFFu, 0.35));
  return B;
}

// An avatar: a head and shoulders on a coloured ground (transparent ground
// when Clear), 96 x 96.
std::unique_ptr<TBitmap32> Avatar(TColor32 Ground, TColor32 Figure, bool Clear) {
  auto B = std::make_unique<TBitmap32>();
  B->SetSize(96, 96);
  B->Clear(Clear ? 0x00000000u : Ground);
  PolygonFS(B.get(), Ellipse(48, 100, 36, 30), Figure);
  PolygonFS(B.get(), Circle(48, 42, 19), Figure);
  B->SetDrawMode(Clear ? TDrawMode::dmBlend : TDrawMode::dmOpaque);
  return B;
}

// A slider that keeps how one frame of its transitions looked, so the page
// can show that moment once the transition is over.
class TPosedSlider : public TQuarnImageSlider {
  QN_CLASS(TPosedSlider, TQuarnImageSlider)
 public:
  TPosedSlider(TComponent* AOwner, Integer Frame) : TQuarnImageSlider(AOwner), FFrame(Frame) {}
  void Pose() {
    FDisplayRect = FPosedRect;
    FSliderAlphaValue = FPosedAlpha;
    Invalidate();
  }
  Integer PosedAlpha() const { return FPosedAlpha; }

 protected:
  void FrameMessages() override {
    if (++FSeen == FFrame) {
      FPosedRect = FDisplayRect;
      FPosedAlpha = FSliderAlphaValue;
    }
    TQuarnImageSlider::FrameMessages();
  }

 private:
  Integer FFrame;
  Integer FSeen = 0;
  TRect FPosedRect;
  Integer FPosedAlpha = 255;
};

// Markers laid out in a row on the parent's picture.
class TMarkerBoard : public TQuarnCustomControl {
  QN_CLASS(TMarkerBoard, TQuarnCustomControl)
 public:
  using TQuarnCustomControl::TQuarnCustomControl;
  std::vector<TQuarnMarker*> Markers;

 protected:
  void DrawBody(TBitmap32* Buffer) override {
    for (TQuarnMarker* M : Markers) M->Draw(Buffer->Canvas()->Handle());
    // GDI+ leaves the picture's alpha as it was; the board is opaque.
    Buffer->ResetAlpha();
  }
};

TPosedSlider* NewSlider(TForm* F, Integer X, Integer Y, Integer Frame, Integer Items) {
  auto* S = new TPosedSlider(F, Frame);
  S->SetParent(F);
  S->SetBounds(X, Y, 448, 250);
  S->SetAutoSlider(false);
  S->SetSliderSpeed(20);
  for (Integer i = 0; i < Items; ++i) S->Images()->Add()->SetImage(u"GallerySlide" + IntToStr(i));
  S->ImagesChanged();
  return S;
}

}  // namespace

std::vector<std::string> SliderPage(const std::string& outDir) {
  SetScreenSize(1000, 820);
  SetVirtualClock(true);
  TPagePictures Pictures;
  Pictures.Pictures[u"GallerySlide0"] = Scene(0xFF4F8FD8u, 0xFFCDE4F6u, 0xFFFFF2B0u, 0xFF6A9A62u, 0xFF3F7A45u,
                                              0xFF5C94C8u, 360);
  Pictures.Pictures[u"GallerySlide1"] = Scene(0xFF2E3C78u, 0xFFF2A65Au, 0xFFFFD27Au, 0xFF7A5A70u, 0xFF4A3A52u,
                                              0xFF6E6290u, 120);
  Pictures.Pictures[u"GallerySlide2"] = Scene(0xFF0F1A3Au, 0xFF34507Au, 0xFFE8ECF4u, 0xFF2A3A5Au, 0xFF1C2840u,
                                              0xFF23406Au, 400);
  Pictures.Pictures[u"GallerySlide3"] = Scene(0xFF87C6E8u, 0xFFF4F0D8u, 0xFFFFFFE0u, 0xFFC8B27Au, 0xFFA08850u,
                                              0xFF4FA8B8u, 240);
  Pictures.Pictures[u"GalleryAvatar0"] = Avatar(0xFF3A7BD5u, 0xFFF2D6B8u, false);
  Pictures.Pictures[u"GalleryAvatar1"] = Avatar(0xFFE0875Au, 0xFF5A3A2Au, false);
  Pictures.Pictures[u"GalleryAvatar2"] = Avatar(0, 0xFF2E8B57u, true);
  TQuarnResManager* Store = TQuarnResManagerObj();
  const TQnGetImageEvent Saved = Store->OnGetImage();
  Store->SetOnGetImage(TQnGetImageEvent(&Pictures, &TPagePictures::Get));

  auto form = NewSkinnedForm(TRect(20, 20, 1000 - 20, 750), u"Image slider, circle image shape and markers");
  TForm* f = form.get();
  form->Show();
  PumpMessages();

  // --- sliders ------------------------------------------------------------------
  PageLabel(f, 24, 40, u"Sliding from the first image to the second (frame 6 of 20)", true);
  TPosedSlider* slide = NewSlider(f, 24, 64, 6, 3);
  PageLabel(f, 488, 40, u"Fading in the third image (frame 16 of 20)", true);
  TPosedSlider* fade = NewSlider(f, 488, 64, 16, 4);
  fade->SetSliderType(stFade);
  PumpMessages();
  slide->SetHotItemIndex(1);
  fade->SetHotItemIndex(1);
  fade->SetHotItemIndex(2);
  slide->Pose();
  fade->Pose();
  PageLabel(f, 24, 320, u"the strip window between images 1 and 2; the dots already mark the second");
  PageLabel(f, 488, 320, u"image 3 at alpha " + IntToStr(fade->PosedAlpha()) +
                             u" over the white panel; pointer on the right arrow (hot frame)");
  PumpMessages();

  // --- circle shapes ------------------------------------------------------------
  PageLabel(f, 24, 356, u"Circle image shape: skin pictures cut into the control's ellipse with a ring", true);
  const struct {
    const char16_t* Picture;
    Integer W, H;
    TColor Ring;
    const char16_t* Text;
  } shapes[] = {{u"GalleryAvatar0", 110, 110, TColor(0x00EBB71C), u"square, default ring"},
                {u"GalleryAvatar1", 110, 110, TColor(0x00FFFFFF), u"square, white ring"},
                {u"GalleryAvatar2", 110, 110, TColor(0x00463A2E), u"PNG with alpha"},
                {u"GalleryAvatar0", 200, 110, TColor(0x00EBB71C), u"oval control"},
                {u"GalleryAvatar1", 80, 140, TColor(0x003050D0), u"tall oval, red ring"}};
  Integer x = 24;
  for (const auto& s : shapes) {
    auto* c = new TQuarnCircleShape(f);
    c->SetParent(f);
    c->SetBounds(x, 384, s.W, s.H);
    c->SetColor(s.Ring);
    c->SetPicture(s.Picture);
    PageLabel(f, x, 384 + s.H + 8, s.Text);
    x += s.W + 60;
  }

  // --- markers -------------------------------------------------------------------
  PageLabel(f, 24, 570, u"Markers drawn through GDI+ onto the page's device context", true);
  auto* board = new TMarkerBoard(f);
  board->SetParent(f);
  board->SetBounds(24, 596, 900, 60);
  const char16_t* names[] = {u"default", u"Alpha 128", u"clear brush", u"clear pen", u"RoundSize 4",
                             u"red, 28 x 19", u"large, 12 pt"};
  for (Integer i = 0; i < 7; ++i) {
    auto* m = new TQuarnCircleMarker(f);
    m->SetX(24 + i * 124);
    m->SetY(10);
    m->Font()->SetName(u"DejaVu Sans");
    switch (i) {
      case 1: m->SetAlpha(128); m->SetText(u"5"); break;
      case 2:
        m->Brush()->SetStyle(TBrushStyle::bsClear);
        m->Font()->SetColor(TColor(0x00463A2E));
        m->SetText(u"7");
        break;
      case 3: m->Pen()->SetStyle(TPenStyle::psClear); m->SetText(u"3"); break;
      case 4: m->SetRoundSize(4); m->SetWidth(34); m->SetText(u"new"); m->Font()->SetSize(7); break;
      case 5:
        m->SetWidth(28);
        m->Brush()->SetColor(TColor(0x003040E0));
        m->Pen()->SetColor(TColor(0x00202090));
        m->SetText(u"99");
        break;
      case 6:
        m->SetWidth(34);
        m->SetHeight(34);
        m->Font()->SetSize(12);
        m->SetText(u"12");
        break;
      default: break;
    }
    board->Markers.push_back(m);
    PageLabel(f, 24 + i * 124, 596 + 62, names[i]);
  }
  PumpMessages();

  // The pointer on the fade slider's right arrow.
  const TRect r = fade->ButtonRightRect();
  const TPoint p = fade->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  ResetInput();
  InputMouseMove(p.X, p.Y);
  PumpMessages();

  // The caption band gives the page's sentence: the content moves up into its room.
  LiftContent(f, 24);
  PumpMessages();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  const std::string path = outDir + "/slider.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();
  form.reset();
  PumpMessages();
  ResetInput();
  Store->SetOnGetImage(Saved);
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
