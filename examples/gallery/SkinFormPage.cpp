// Gallery page "skinform": skinned forms on a desktop. Top: the active form
// with its title gradient, a rounded double frame and a translucent skinned
// card taking the form's picture; beside it an inactive form with a flat
// title band and a square, flat frame. Below: a landscape picture filling
// four forms by tiling, stretching, nine-slicing and the blurred cover, all
// tinted. skinform.png.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/PngImage.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace gallery {

namespace {

using namespace qn;

// A translucent rounded card with a heading and a line of text, drawn over
// whatever its parent shows.
class TCard : public TQuarnCustomControl {
  QN_CLASS(TCard, TQuarnCustomControl)
 public:
  TCard(TComponent* AOwner, TColor32 Body, TColor32 Ink, String Heading, String Text)
      : TQuarnCustomControl(AOwner), FBody(Body), FInk(Ink), FHeading(std::move(Heading)), FText(std::move(Text)) {}

 protected:
  void DrawBody(TBitmap32* B) override {
    const TFloatRect r(0.5f, 0.5f, B->Width() - 0.5f, B->Height() - 0.5f);
    PolygonFS(B, RoundRect(r, 8), FBody, TPolyFillMode::pfNonZero);
    PolylineFS(B, RoundRect(r, 8), 0x90FFFFFFu, true, 1.0f, TJoinStyle::jsRound);
    B->Font()->SetName(u"DejaVu Sans");
    B->Font()->SetHeight(-13);
    B->Font()->SetStyle({TFontStyle::fsBold});
    B->RenderText(12, 10, FHeading, 2, FInk);
    B->Font()->SetStyle({});
    B->Font()->SetHeight(-11);
    Integer y = 30;
    for (const String& line : Lines(FText)) {
      B->RenderText(12, y, line, 2, (FInk & 0x00FFFFFFu) | 0xC0000000u);
      y += 16;
    }
  }

 private:
  static std::vector<String> Lines(const String& S) {
    std::vector<String> out(1);
    for (Char c : S)
      if (c == u'\n') out.emplace_back();
      else out.back() += c;
    return out;
  }
  TColor32 FBody, FInk;
  String FHeading, FText;
};

}  // namespace

// A small landscape: sky, sun, two hill ranges and a lake, as PNG. The sun,
// the hills and the lake's ripples are anti-aliased vector fills.
vcl::String MakeLandscape(const std::string& FileName) {
  using namespace qn;
  const int W = 240, H = 150;
  TBitmap32 b;
  b.SetSize(W, H);
  // Sky: deep blue at the top to warm haze at the horizon.
  for (int y = 0; y < H; ++y) {
    const double t = y / double(H);
    b.HorzLineS(0, y, W - 1, Color32(Byte(40 + 190 * t), Byte(90 + 120 * t), Byte(190 + 20 * t)));
  }
  // The sun in a soft glow of fading rings.
  for (int k = 0; k < 6; ++k)
    PolygonFS(&b, Circle(170, 48, 40.0f - k * 4, 64), Color32(255, 226, 150, Byte(20 + k * 4)),
              TPolyFillMode::pfNonZero);
  PolygonFS(&b, Circle(170, 48, 16, 64), Color32(255, 226, 130), TPolyFillMode::pfNonZero);
  // A range of hills: the outline traced along the width, closed below.
  auto hills = [&](auto&& Top, TColor32 Colour) {
    TArrayOfFloatPoint shape;
    for (int x = -1; x <= W + 1; ++x) shape.push_back({TFloat(x), TFloat(Top(x))});
    shape.push_back({TFloat(W + 1), TFloat(H)});
    shape.push_back({-1.0f, TFloat(H)});
    PolygonFS(&b, shape, Colour, TPolyFillMode::pfNonZero);
  };
  hills([](int x) { return 78 + 14 * std::sin(x / 23.0) + 7 * std::sin(x / 9.0 + 1); }, Color32(88, 112, 150));
  hills([](int x) { return 100 + 12 * std::sin(x / 31.0 + 2) + 5 * std::sin(x / 11.0); }, Color32(58, 128, 72));
  hills([](int x) { return 112 + 8 * std::sin(x / 19.0 + 4); }, Color32(72, 142, 70, 200));
  // The lake with light ripples.
  b.FillRectS(0, 126, W, H, Color32(70, 130, 190));
  for (int row = 0; row < 4; ++row)
    for (int x0 = (row % 2) * 14; x0 < W; x0 += 28) {
      const TFloat y = 131.0f + row * 5;
      PolylineFS(&b, {{TFloat(x0), y}, {TFloat(x0 + 7), y - 1.2f}, {TFloat(x0 + 14), y}}, Color32(170, 210, 240, 150),
                 false, 1.2f);
    }
  TPngImage png(COLOR_RGB, 8, W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      // The image's rows hold blue, green, red.
      const TColor32 c = b.GetPixel(x, y);
      Byte* p = png.Scanline(y) + x * 3;
      p[2] = Byte(c >> 16), p[1] = Byte(c >> 8), p[0] = Byte(c);
    }
  const String name = FromUtf8(FileName);
  png.SaveToFile(name);
  return name;
}

namespace {

struct TSkinnedForm {
  std::unique_ptr<TForm> Form;
  TQuarnForm* Skin = nullptr;
};

TSkinnedForm MakeForm(Integer X, Integer Y, Integer W, Integer H, const String& Caption) {
  TSkinnedForm f;
  f.Form.reset(new TForm(nullptr));
  f.Form->SetCaption(Caption);
  f.Form->SetPosition(poDesigned);
  f.Form->SetBorderStyle(bsSizeable);
  f.Form->SetBounds(X, Y, W, H);
  f.Skin = new TQuarnForm(f.Form.get());
  // The caption and the close button, as every skinned page's form has them.
  auto* title = new TQuarnNCLabel(f.Form.get());
  GalleryTitleStyle(title);
  title->SetCaption(Caption);
  new TQuarnSystemButton(f.Form.get());
  return f;
}

TCard* AddCard(TForm* Form, Integer X, Integer Y, Integer W, Integer H, TColor32 Body, TColor32 Ink,
               const String& Heading, const String& Text) {
  auto* c = new TCard(Form, Body, Ink, Heading, Text);
  c->SetParent(Form);
  c->SetBounds(X, Y, W, H);
  return c;
}

}  // namespace

std::vector<std::string> SkinFormPage(const std::string& outDir) {
  SetScreenSize(1200, 800);
  SetDesktopColor(RGB(38, 52, 70));
  SetVirtualClock(true);
  const String landscape = MakeLandscape(WorkFolder() + "/skinform-landscape.png");
  gHSB = THSB{};

  // The inactive form first, so the active one is shown last and keeps the
  // activation.
  TSkinnedForm inactive = MakeForm(640, 28, 520, 170, u"Inactive form");
  inactive.Skin->SetRoundWindow(false);
  inactive.Skin->SetFlatFrame(true);
  inactive.Skin->SetTitlerColor(0x8A6A3C);
  inactive.Skin->SetColor(0xF4F1EE);
  AddCard(inactive.Form.get(), 18, 18, 480, 92, 0xFFFFFFFFu, 0xFF2C3440u, u"Inactive, square and flat",
          u"Without the activation the title is a flat band of the title colour.\n"
          u"No window region: square corners; the flat frame keeps one edge line.");

  TSkinnedForm active = MakeForm(40, 28, 560, 330, u"Active form");
  AddCard(active.Form.get(), 18, 58, 520, 96, 0x66FFFFFFu, 0xFF1E2A36u, u"Active, rounded, double frame",
          u"The title colour runs down into the form colour over 168 rows.\n"
          u"This card is a transparent skinned control: it takes the form's\n"
          u"picture through the client background and lays its glass over it.");
  AddCard(active.Form.get(), 18, 170, 250, 110, 0x40FFC446u, 0xFF1E2A36u, u"Tinted glass",
          u"A second card in the title colour,\nmostly see-through.");
  AddCard(active.Form.get(), 286, 170, 252, 110, 0xE0FFFFFFu, 0xFF1E2A36u, u"Nearly opaque",
          u"White at 88 % over the\ngradient's lower rows.");

  inactive.Form->Show();
  active.Form->Show();
  SetActiveWindow(active.Form->Handle());
  PumpMessages();

  // The picture fills, all under one tint: hue turned back by 15 degrees,
  // saturation and brightness up a little: a warmer evening.
  struct Fill {
    TQnFillStyle Style;
    const char16_t* Name;
    const char16_t* Note;
  };
  const Fill fills[] = {
      {mfsTile, u"Tile", u"Repeated from the\ntop-left corner."},
      {mfsStretch, u"Stretch", u"Scaled to the window,\nproportions ignored."},
      {mfs9Block, u"Nine-slice", u"Corners kept, edges\nand middle stretched."},
      {mfsBlur, u"Blurred cover", u"Covers the window,\nthen softly blurred."},
  };
  std::vector<TSkinnedForm> pictureForms;
  Integer x = 40;
  for (const Fill& f : fills) {
    TSkinnedForm p = MakeForm(x, 392, 260, 370, f.Name);
    p.Skin->SetStyle(ssPicture);
    p.Skin->SetCustomPicture(landscape);
    p.Skin->SetFillStyle(f.Style);
    p.Skin->SetTitlerColor(0x6E5A3A);
    AddCard(p.Form.get(), 14, 232, 228, 88, 0xB0FFFFFFu, 0xFF1E2A36u, f.Name, f.Note);
    p.Form->Show();
    pictureForms.push_back(std::move(p));
    x += 284;
  }
  SetActiveWindow(active.Form->Handle());
  PumpMessages();
  gHSB = THSB{-15, 8, 4};
  for (auto& p : pictureForms) SendMessageW(p.Form->Handle(), MM_REFRESHSKIN, 0, 0);
  PumpMessages();

  const std::string path = outDir + "/skinform.png";
  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed

  gHSB = THSB{};
  pictureForms.clear();
  active.Form.reset();
  inactive.Form.reset();
  PumpMessages();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
