// The tray icon component on the shell's taskbar: two icons, one cycling
// through its image list, a balloon with title, icon and text, and the
// icon's pop-up menu opened by a right click. tray.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/rtl/SysUtils.h"
#include "skin/extended/uQnTrayIcon.h"

namespace gallery {

namespace {

using namespace vcl;
using namespace qn;

// A 16 x 16 picture: a disc in the colour with a light mark turned by the
// step, on the mask colour.
TBitmap* Frame(COLORREF c, int step) {
  auto* b = new TBitmap;
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(16, 16);
  TCanvas* k = b->Canvas();
  k->Brush()->SetColor(clFuchsia);
  k->FillRect(TRect(0, 0, 16, 16));
  k->Brush()->SetColor(TColor(c));
  k->Pen()->SetColor(TColor(c));
  k->Ellipse(1, 1, 15, 15);
  static const TPoint marks[] = {TPoint(7, 3), TPoint(10, 7), TPoint(7, 10), TPoint(3, 7)};
  k->Brush()->SetColor(clWhite);
  k->Pen()->SetColor(clWhite);
  const TPoint m = marks[step % 4];
  k->Ellipse(m.X, m.Y, m.X + 4, m.Y + 4);
  return b;
}

}  // namespace

std::vector<std::string> TrayPage(const std::string& outDir) {
  SetScreenSize(640, 400);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  ResetInput();
  const std::string path = outDir + "/tray.png";

  std::unique_ptr<TForm> owner(new TForm(nullptr));
  owner->SetBounds(20, 20, 200, 100);
  owner->HandleNeeded();

  // The syncing icon cycles through four frames every 250 ms.
  auto* frames = new TCustomImageList(owner.get());
  frames->SetSize(16, 16);
  for (int i = 0; i < 4; ++i) {
    std::unique_ptr<TBitmap> b(Frame(RGB(40, 110, 210), i));
    frames->AddMasked(b.get(), clFuchsia);
  }
  auto* sync = new TQnTrayIcon(owner.get());
  sync->SetHint(u"Sync: 3 files waiting");
  sync->SetIconList(frames);
  sync->SetCycleInterval(250);
  sync->SetCycleIcons(true);
  sync->SetIconVisible(true);

  auto* backup = new TQnTrayIcon(owner.get());
  {
    std::unique_ptr<TBitmap> b(Frame(RGB(210, 60, 50), 0));
    TIcon icon;
    backup->BitmapToIcon(b.get(), &icon, clFuchsia);
    backup->SetIcon(&icon);
  }
  backup->SetHint(u"Backup");
  backup->SetBehavior(bhWin2000);
  backup->SetIconVisible(true);

  auto* menu = new TPopupMenu(owner.get());
  for (const char16_t* caption : {u"Open backup", u"Back up now", u"-", u"Pause for an hour", u"Exit"}) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    item->SetDefault(String(caption) == u"Open backup");
    menu->Items()->Add(item);
  }
  backup->SetPopupMenu(menu);

  // Mid-cycle: two steps on, the third frame shows.
  for (int i = 0; i < 2 * 250 + 10; ++i) {
    // Live, the clock is real and the steps pass in earnest.
    if (IsVirtualClock()) AdvanceClock(1);
    else Sleep(1);
    Application->ProcessMessages();
  }
  const Integer shownFrame = sync->IconIndex();
  backup->ShowBalloonHint(u"Backup finished", u"3 files copied to D:\\Backup.", bitInfo, 10);
  Application->ProcessMessages();
  const bool balloonShown = backup->GetBalloonHintHandle() != nullptr;
  const TScreenImage balloonShot = CaptureScreen();
  backup->HideBalloonHint();
  Application->ProcessMessages();

  // A right click on the backup icon opens its menu; photographed from
  // inside the menu loop.
  NOTIFYICONIDENTIFIER ni;
  ni.hWnd = backup->IconData().hWnd;
  ni.uID = backup->IconID();
  RECT cell;
  Shell_NotifyIconGetRect(&ni, &cell);
  const TPoint at((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  TScreenImage menuShot;
  bool menuFor = false;
  SetMenuResponder([&](HMENU, UINT&) {
    menuShot = CaptureScreen();
    menuFor = menu->PopupComponent() == backup;
    return false;
  });
  InputMouseMove(at.X, at.Y);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  Application->ProcessMessages();
  SetMenuResponder(nullptr);
  if (!menuShot.Pixels.empty()) DrawCursor(menuShot, LoadCursorW(nullptr, IDC_ARROW), at);

  // The sheet: the balloon and the menu side by side, the frames below.
  const int gap = 40, cropW = 300, cropH = 170, top = 24;
  const int width = gap * 2 + cropW * 2 + 20, height = top + cropH + 150;
  auto sheet = NewSheetBitmap(width, height);
  TCanvas* c = sheet->Canvas();
  const TRect trayPart(640 - cropW, 400 - cropH, 640, 400);
  BlitImage(c->Handle(), CropImage(balloonShot, trayPart), gap, top);
  BlitImage(c->Handle(), CropImage(menuShot, trayPart), gap + cropW + 20, top);
  SheetHeading(c, gap, top + cropH + 10, u"Balloon");
  SheetLabel(c, gap, top + cropH + 28, u"ShowBalloonHint: title, info icon and text");
  SheetHeading(c, gap + cropW + 20, top + cropH + 10, u"Pop-up menu");
  SheetLabel(c, gap + cropW + 20, top + cropH + 28, u"Right click on the red icon: the menu at the pointer");
  SheetHeading(c, gap, top + cropH + 60, u"Cycling");
  SheetLabel(c, gap, top + cropH + 78, u"The blue icon steps through its image list every 250 ms; shown: image " +
                                          IntToStr(shownFrame + 1) + u" of 4.");
  for (int i = 0; i < 4; ++i) {
    const int x = gap + i * 40, y = top + cropH + 102;
    if (i == shownFrame) {
      c->Brush()->SetColor(TColor(RGB(40, 110, 210)));
      c->FrameRect(TRect(x - 4, y - 4, x + 20, y + 20));
    }
    frames->Draw(c, x, y, i);
  }
  SavePng(BitmapImage(c->Handle(), sheet->Handle(), width, height), path);
  if (Live()) {
    // Live, the icons stay on the taskbar while a small form says what they
    // answer; closing it ends the page.
    owner->SetCaption(u"Tray icons");
    owner->SetBounds(40, 40, 360, 150);
    PageLabel(owner.get(), 16, 14, u"On the taskbar, bottom right:", true);
    PageLabel(owner.get(), 16, 40, u"\u2022 the blue icon steps through its four pictures");
    PageLabel(owner.get(), 16, 60, u"\u2022 a right click on the red icon opens its menu");
    PageLabel(owner.get(), 16, 80, u"\u2022 hover either for its hint");
    owner->Show();
    Hold();
  }

  owner.reset();
  Application->ProcessMessages();
  RestartShell();
  Application->ProcessMessages();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  // Live, the real clock may have moved the cycle on by another frame.
  if (!balloonShown || !menuFor || menuShot.Pixels.empty() || (shownFrame != 2 && !Live()))
    throw Exception(u"the tray page did not come together");
  return {path};
}

}  // namespace gallery
