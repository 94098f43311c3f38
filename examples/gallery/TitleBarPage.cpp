// Gallery page "titlebar": title-bar controls on skinned forms over a
// desktop picture. A main form with the soft layered border, an image and
// a glowing label on the left, the three system buttons on the right
// (the maximise button hot, the minimise button held down) and a button of
// the application's own beside them; beside it a
// dialog-style form with the small tips close button. titlebar.png.
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
#include "skin/forms/uQnFormBorder.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace gallery {

namespace {

using namespace qn;

// The desktop picture: a full-screen window under everything.
class TWallpaper : public TForm {
  QN_CLASS(TWallpaper, TForm)
 public:
  explicit TWallpaper(TComponent* AOwner) : TForm(AOwner) {}

 protected:
  void Paint() override {
    // Anti-aliased hills over a vertical gradient, drawn by the library's
    // vector fills and copied to the canvas.
    const TRect r = ClientRect();
    if (r.Width() <= 0 || r.Height() <= 0) return;
    TBitmap32 b;
    b.SetSize(r.Width(), r.Height());
    for (Integer y = 0; y < r.Height(); ++y) {
      const double t = y / double(std::max(1, r.Height()));
      b.HorzLineS(0, y, r.Width() - 1, Color32(Byte(40 + 150 * t), Byte(90 + 90 * t), Byte(160 + 40 * t)));
    }
    const TFloat h = TFloat(r.Height());
    for (Integer i = 0; i < 6; ++i)
      PolygonFS(&b, Ellipse(40.0f + i * 220, h + 10 + (i % 2) * 20.0f, 160, 190 - (i % 2) * 20.0f, 128),
                Color32(Byte(50 + i * 18), Byte(110 + i * 14), Byte(80 + i * 6)), TPolyFillMode::pfNonZero);
    b.DrawTo(Canvas()->Handle(), 0, 0);
  }
};

}  // namespace

std::vector<std::string> TitleBarPage(const std::string& outDir) {
  SetScreenSize(1000, 620);
  SetVirtualClock(true);
  auto wall = std::make_unique<TWallpaper>(nullptr);
  wall->SetBorderStyle(bsNone);
  wall->SetPosition(poDesigned);
  wall->SetBounds(0, 0, 1000, 620);
  wall->Show();
  PumpMessages();

  auto border = std::make_unique<TQnFormLayerBorder>(nullptr);
  border->SetBorderWidth(14);

  // The main form.
  auto main = std::make_unique<TForm>(nullptr);
  main->SetPosition(poDesigned);
  main->SetBorderStyle(bsSizeable);
  main->SetBounds(60, 60, 560, 300);
  auto* skin = new TQuarnForm(main.get());
  skin->SetTitleHeight(32);
  skin->SetImageBorder(border.get());
  auto* image = new TQuarnNCImage(main.get());
  image->SetImage(u"QuarnCalendar_18_N");
  auto* label = new TQuarnNCLabel(main.get());
  label->Font()->SetName(u"DejaVu Sans");
  label->Font()->SetSize(10);
  label->Font()->SetStyle({TFontStyle::fsBold});
  label->Font()->SetColor(clWhite);
  label->Light()->SetActive(true);
  label->Light()->SetColor(TColor(0xB07A30));
  label->Light()->SetBlurRadius(4);
  label->SetCaption(u"Order 1042 \u2014 Customer details");
  auto* close = new TQuarnSystemButton(main.get());
  auto* max = new TQuarnSystemButton(main.get());
  max->SetKind(TQnSystemButtonKind::sbkMaximize);
  auto* min = new TQuarnSystemButton(main.get());
  min->SetKind(TQnSystemButtonKind::sbkMinimize);
  // The application's own title-bar button: no strip, so its caption on a
  // faint plate.
  auto* help = new TQuarnNCButton(main.get());
  help->SetCaption(u"Help");
  (void)close;

  // A dialog-style form with the small close button.
  auto dialog = std::make_unique<TForm>(nullptr);
  dialog->SetPosition(poDesigned);
  dialog->SetBorderStyle(bsDialog);
  dialog->SetBounds(660, 180, 280, 140);
  auto* dskin = new TQuarnForm(dialog.get());
  dskin->SetTitleHeight(24);
  dskin->SetRoundWindow(true);
  dskin->SetTitlerColor(TColor(0x6E5A3A));
  auto* tipsClose = new TQuarnSystemButton(dialog.get());
  tipsClose->SetCloseImage(u"QuarnTips_close");
  auto* dlabel = new TQuarnNCLabel(dialog.get());
  dlabel->Font()->SetName(u"DejaVu Sans");
  dlabel->Font()->SetSize(9);
  dlabel->Font()->SetColor(clWhite);
  dlabel->SetCaption(u"Tip of the day");

  // What each form shows, in its client area.
  const struct {
    Integer Y;
    const char16_t* Text;
    bool Heading;
  } notes[] = {{24, u"The title bar of this form holds", true},
               {48, u"\u2022 left: a title-bar image (the calendar icon)", false},
               {68, u"\u2022 left: a title-bar label with a soft blue glow", false},
               {88, u"\u2022 right: three system buttons \u2014 minimise held down", false},
               {108, u"   by the mouse, maximise hot under it, close at rest", false},
               {128, u"\u2022 right: a title-bar button \u201cHelp\u201d of the application's own", false},
               {160, u"Around the form", true},
               {184, u"\u2022 a soft 14-pixel layered border window", false}};
  for (const auto& n : notes) PageLabel(main.get(), 24, n.Y, n.Text, n.Heading);
  PageLabel(dialog.get(), 16, 14, u"A dialog-style form", true);
  PageLabel(dialog.get(), 16, 38, u"round corners, its own title colour,");
  PageLabel(dialog.get(), 16, 56, u"a title label and the tips' small");
  PageLabel(dialog.get(), 16, 74, u"close button");

  dialog->Show();
  main->Show();
  SetActiveWindow(main->Handle());
  PumpMessages();
  AdvanceClock(100);
  PumpMessages();

  // The application's button just left of the system buttons, centred on
  // them.
  {
    const TRect first = min->GetRect();
    const TSize size = help->GetSize();
    help->Pos()->SetUseDefault(false);
    help->Pos()->SetAlign(TNCCtrlAlign::caRight);
    help->Pos()->SetXValue(main->Width() - (first.Left - 8 - size.cx));
    help->Pos()->SetYValue(first.Top + (first.Height() - size.cy) / 2);
  }
  // The minimise button held down under the pointer, the maximise button hot.
  skin->PaintFrame();
  const TRect mr = min->GetRect();
  InputMouseMove(60 + (mr.Left + mr.Right) / 2, 60 + (mr.Top + mr.Bottom) / 2);
  PumpMessages();
  InputMouseDown(VK_LBUTTON);
  PumpMessages();
  max->FMouseEnter = true;
  max->Invalidate();
  PumpMessages();

  const std::string path = outDir + "/titlebar.png";
  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed

  // Let go outside so nothing fires.
  InputMouseMove(300, 300);
  InputMouseUp(VK_LBUTTON);
  PumpMessages();
  max->FMouseEnter = false;
  border->FreeLayerWindow();
  main.reset();
  dialog.reset();
  border.reset();
  wall.reset();
  PumpMessages();
  ResetInput();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
