// Gallery page "alphaform": over a desktop picture, a layered alpha form
// whose translucent glass skin lets the wallpaper through, with an icon,
// a close button and a marquee caught mid-scroll in its title; a skinned
// form with a marquee in its title bar; and a balloon hint pointing up at
// a button near the bottom of the screen. Saved as alphaform.png.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/extended/uQuarnAlphaForm.h"
#include "skin/extended/uQuarnHint.h"
#include "skin/extended/uQuarnNCMessage.h"

namespace gallery {

namespace {

using namespace qn;

constexpr Integer kScreenW = 1000, kScreenH = 604;
const TColor kInk = TColor(0x00463A2E);     // the pages' dark slate
const TColor kChip = TColor(0x00F6F1EA);    // light caption chips

struct TCaption {
  TRect Box;
  const char16_t* Text;
};

// The desktop picture, with the names of the parts on light chips where no
// window covers them.
class TWallpaper : public TForm {
  QN_CLASS(TWallpaper, TForm)
 public:
  explicit TWallpaper(TComponent* AOwner) : TForm(AOwner) {}
  std::vector<TCaption> Captions;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    for (Integer y = 0; y < r.Height(); ++y) {
      const double t = y / double(std::max(1, r.Height()));
      c->Pen()->SetColor(TColor(RGB(Byte(30 + 120 * t), Byte(80 + 90 * t), Byte(150 + 60 * t))));
      c->MoveTo(0, y);
      c->LineTo(r.Width(), y);
    }
    for (Integer i = 0; i < 6; ++i) {
      const TColor k = TColor(RGB(Byte(50 + i * 18), Byte(110 + i * 14), Byte(80 + i * 6)));
      c->Brush()->SetColor(k);
      c->Pen()->SetColor(k);
      c->Ellipse(-120 + i * 220, r.Height() - 240 + (i % 2) * 50, 200 + i * 220, r.Height() + 200);
    }
    // A sun behind the glass form, so its translucency shows.
    c->Brush()->SetColor(TColor(0x0040C8F8));
    c->Pen()->SetColor(TColor(0x0040C8F8));
    c->Ellipse(300, 194, 420, 314);
    for (const TCaption& k : Captions) {
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      c->Brush()->SetColor(kChip);
      c->Pen()->SetColor(TColor(0x00C9BBA8));
      c->RoundRect(k.Box.Left, k.Box.Top, k.Box.Right, k.Box.Bottom, 8, 8);
      c->Font()->SetName(u"DejaVu Sans");
      c->Font()->SetSize(8);
      c->Font()->SetStyle(TFontStyles{});
      c->Font()->SetColor(kInk);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      TRect t = k.Box;
      InflateRect(t, -8, -3);
      DrawTextW(c->Handle(), k.Text, -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
  }
};

// The glass skin of the alpha form: a rounded 60 x 60 panel at 70 %
// opacity under a deeper title band, clear outside its corners.
void MakeGlass(TQuarnImage* B) {
  B->SetSize(60, 60);
  B->Clear(0);
  for (Integer y = 0; y < 60; ++y)
    for (Integer x = 0; x < 60; ++x) {
      const double dx = std::max({0.0, 10.0 - x - 0.5, x + 0.5 - 50.0});
      const double dy = std::max({0.0, 10.0 - y - 0.5, y + 0.5 - 50.0});
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d > 10) continue;
      const double edge = std::clamp(10 - d, 0.0, 1.0);
      const bool border = d > 9 || x == 0 || y == 0 || x == 59 || y == 59;
      Cardinal a, rgb;
      if (border) a = 230, rgb = 0x1E3C58;
      else if (y < 20) a = 225, rgb = y < 19 ? 0x2F6690 : 0x1E3C58;
      else a = 180, rgb = 0xF4F8FB;
      a = Cardinal(std::lround(a * edge));
      B->SetPixel(x, y, (a << 24) | rgb);
    }
}

void Step(Integer Ms) {
  for (Integer i = 0; i < Ms; ++i) {
    AdvanceClock(1);
    PumpMessages();
  }
}

TQuarnNCMessage* Marquee(TForm* F, const String& Text, Integer Right, Integer Y, Integer Width, TColor Color) {
  auto* m = new TQuarnNCMessage(F);
  m->Font()->SetName(u"DejaVu Sans");
  m->Font()->SetSize(9);
  m->Font()->SetStyle({TFontStyle::fsBold});
  m->Font()->SetColor(Color);
  m->Pos()->SetXValue(Right);
  m->Pos()->SetYValue(Y);
  m->SetWidth(Width);
  m->SetSpeed(20);
  m->SetStep(3);
  m->SetText(Text);
  return m;
}

}  // namespace

std::vector<std::string> AlphaFormPage(const std::string& outDir) {
  SetScreenSize(kScreenW, kScreenH);
  SetVirtualClock(true);
  TQuarnResManagerObj()->SetOnGetImage([](TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
    if (Id != u"GalleryGlass_bkg") return;
    MakeGlass(Image);
    Handled = true;
  });

  auto wall = std::make_unique<TWallpaper>(nullptr);
  wall->SetBorderStyle(bsNone);
  wall->SetPosition(poDesigned);
  wall->SetBounds(0, 0, kScreenW, kScreenH);
  wall->Captions = {
      {TRect(30, 32, 128, 52), u"title-bar icon"},
      {TRect(134, 32, 380, 52), u"Layered alpha form, glass skin at 70 %"},
      {TRect(386, 32, 470, 52), u"close button"},
      {TRect(30, 394, 470, 414), u"Title-bar marquee, mid-scroll (left of the close button)"},
      {TRect(520, 32, 970, 52), u"Skinned form with a marquee in its title bar"},
      {TRect(520, 302, 970, 322), u"Balloon hint: near the screen's bottom it opens above its button"},
  };
  wall->Show();
  PumpMessages();

  // --- the layered alpha form ---------------------------------------------
  auto alpha = std::make_unique<TForm>(nullptr);
  alpha->SetPosition(poDesigned);
  alpha->SetBounds(30, 56, 440, 330);
  auto* layered = new TQuarnAlphaForm(alpha.get());
  layered->SetBackground(u"GalleryGlass_bkg");
  auto* icon = new TQuarnNCImage(alpha.get());
  icon->SetImage(u"QuarnCalendar_18_N");
  icon->Pos()->SetUseDefault(false);
  icon->Pos()->SetAlign(TNCCtrlAlign::caLeft);
  icon->Pos()->SetXValue(12);
  icon->Pos()->SetYValue(1);
  auto* close = new TQuarnSystemButton(alpha.get());
  close->Pos()->SetUseDefault(false);
  close->Pos()->SetXValue(12 + close->GetSize().cx);
  close->Pos()->SetYValue(1);
  TQuarnNCMessage* glassNews =
      Marquee(alpha.get(), u"Build 2041 passed all 3112 tests \u2014 release notes are ready", 60, 2, 330,
              clWhite);

  // --- a skinned form with a marquee --------------------------------------
  auto skinned = NewSkinnedForm(TRect(520, 54, 970, 274), u"Inbox");
  TQuarnNCMessage* news = Marquee(skinned.get(), u"3 new messages from the build server", 44, 8, 250, clWhite);
  PageLabel(skinned.get(), 20, 20, u"The marquee scrolls between the caption and the close button;", false);
  PageLabel(skinned.get(), 20, 40, u"each step redraws only its stretch of the title bar.", false);

  // --- a balloon hint near the bottom of the screen -----------------------
  auto bottom = NewSkinnedForm(TRect(520, 324, 970, 594), u"Order 1042");
  auto* balloon = new TQuarnHint(bottom.get());
  balloon->HintFont()->SetName(u"DejaVu Sans");
  PageLabel(bottom.get(), 20, 20, u"The button sits near the screen's bottom edge, so its", false);
  PageLabel(bottom.get(), 20, 40, u"balloon opens above it, arrow pointing down at it.", false);
  auto* save = new TQuarnButton(bottom.get());
  save->SetParent(bottom.get());
  save->SetBounds(40, 196, 110, 28);
  save->SetCaption(u"Save order");
  save->SetHint(u"Saves the order and mails the receipt");
  save->SetShowHint(true);
  Application->SetShowHint(true);

  alpha->Show();
  skinned->Show();
  bottom->Show();
  PumpMessages();
  Step(120);
  // Mid-scroll: both texts part way through their stretches.
  Step(20 * 70);
  glassNews->StopScroll();
  news->StopScroll();
  (void)close;

  // The hint: the pointer rests on the button until the pause has passed.
  const TPoint p = save->ClientToScreen(TPoint(55, 14));
  InputMouseMove(p.X, p.Y);
  PumpMessages();
  Step(Application->HintPause() + 5);

  const std::string path = outDir + "/alphaform.png";
  SaveScreenSnapshot(path);
  Hold();

  Application->CancelHint();
  PumpMessages();
  ResetInput();
  bottom.reset();
  skinned.reset();
  alpha.reset();
  wall.reset();
  PumpMessages();
  TQuarnResManagerObj()->SetOnGetImage(nullptr);
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
