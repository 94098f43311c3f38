// Gallery page "nonvisual": the palette's components that have no window
// of their own, each at work on one skinned form. The palette's pop-up menu
// opened by a right click, an image list's pictures with their ids, a
// colour pop-up that a press outside closes as it would a menu, and the
// form file that keeps a form's empty marker component. The menu and the
// pop-up are caught open one after the other and shown together.
// Saved as nonvisual.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/extended/uQnLikeMenuDlg.h"
#include "skin/extended/uQuarnPng.h"
#include "skin/forms/uQuarnMenu.h"
#include "skin/foundation/uQuarnResManager.h"

namespace gallery {

namespace {

using namespace qn;

const TColor kPanelColor = TColor(RGB(250, 251, 253));
const TColor32 kPanelColor32 = 0xFFFAFBFDu;
const TColor32 kInk32 = 0xFF2E3A46u;

TQuarnPanel* Panel(TWinControl* Parent, const TRect& R) {
  auto* p = new TQuarnPanel(Parent);
  p->SetParent(Parent);
  p->SetBoundsRect(R);
  p->SetAlpha(255);
  p->SetColor(kPanelColor);
  return p;
}

// The image list's pictures in a row, each over its id, blended onto the
// panel's colour as the skinned controls draw them.
class TImageListView : public TCustomControl {
  QN_CLASS(TImageListView, TCustomControl)
 public:
  explicit TImageListView(TComponent* AOwner) : TCustomControl(AOwner) {}
  TQuarnImageList* List = nullptr;

 protected:
  void Paint() override {
    const Integer w = ClientWidth(), h = ClientHeight();
    if (w <= 0 || h <= 0) return;
    TBitmap32 b;
    b.SetSize(w, h);
    b.Clear(kPanelColor32);
    b.Font()->SetName(u"DejaVu Sans");
    b.Font()->SetHeight(-11);
    // Two columns of three rows: the picture, then its index and id.
    const Integer cellW = w / 2, cellH = h / 3;
    for (Integer i = 0; List && i < List->Bitmaps()->Count() && i < 6; ++i) {
      TQuarnBitmapItem* item = List->Bitmaps()->Items(i);
      TQuarnImage* img = item->Bitmap();
      const Integer x = (i / 3) * cellW, y = (i % 3) * cellH;
      if (img) img->DrawTo(&b, x + 8 + (40 - img->Width()) / 2, y + (cellH - img->Height()) / 2);
      b.RenderText(x + 58, y + cellH / 2 - 7, IntToStr(i) + u"  " + item->ResID(), -1, kInk32);
    }
    b.DrawTo(Canvas()->Handle(), 0, 0);
  }
};

}  // namespace

std::vector<std::string> NonVisualPage(const std::string& outDir) {
  SetScreenSize(960, 640);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  ResetInput();
  const std::string path = outDir + "/nonvisual.png";

  auto form = NewSkinnedForm(TRect(40, 50, 920, 610), u"Non-visual components");
  TForm* f = form.get();

  // 1: the palette's pop-up menu, bound to a panel.
  PageLabel(f, 24, 44, u"1  TQuarnMenu: the palette's pop-up menu", true);
  TQuarnPanel* menuPanel = Panel(f, TRect(24, 70, 424, 250));
  PageLabel(menuPanel, 16, 14, u"Right click here: the menu opens at the pointer,");
  PageLabel(menuPanel, 16, 32, u"drawn as every other menu on the desktop.");
  auto* menu = new TQuarnMenu(f);
  for (const char16_t* caption : {u"Open", u"Rename", u"Duplicate", u"-", u"Delete"}) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    item->SetDefault(String(caption) == u"Open");
    menu->Items()->Add(item);
  }
  menuPanel->SetPopupMenu(menu);

  // 2: an image list holding six pictures of the default skin.
  PageLabel(f, 456, 44, u"2  TQuarnImageList: pictures kept in the form file", true);
  TQuarnPanel* listPanel = Panel(f, TRect(456, 70, 856, 250));
  auto* images = new TQuarnImageList(f);
  TQuarnResManager* store = TQuarnResManagerObj();
  for (const char16_t* id : {u"QuarnMsgIcon_Info", u"QuarnMsgIcon_OK", u"QuarnMsgIcon_Question",
                             u"QuarnMsgIcon_Error", u"QuarnCalendar_18_N", u"QuarnSearch_icon"}) {
    TQuarnImage* img = store->GetImageByName(id);
    if (!img) continue;
    TQuarnBitmapItem* item = images->Bitmaps()->Add();
    item->SetResID(id);
    item->SetBitmap(img);
  }
  auto* view = new TImageListView(f);
  view->SetParent(listPanel);
  view->SetBounds(8, 8, 384, 126);
  view->List = images;
  PageLabel(listPanel, 16, 144, u"Bitmaps: " + IntToStr(images->Bitmaps()->Count()) +
                                    u" items, each a 32-bit picture with its image id");

  // 3: a colour pop-up that closes like a menu.
  PageLabel(f, 24, 272, u"3  TQnLikeMenuDlg: a pop-up that closes like a menu", true);
  TQuarnPanel* popPanel = Panel(f, TRect(24, 298, 424, 478));
  auto* pick = new TQuarnButton(popPanel);
  pick->SetParent(popPanel);
  pick->SetBounds(16, 16, 120, 28);
  pick->SetCaption(u"Colour \u25BE");
  PageLabel(popPanel, 152, 16, u"The button opens the pop-up; a press");
  PageLabel(popPanel, 152, 34, u"anywhere outside it reports through");
  PageLabel(popPanel, 152, 52, u"OnMouseClickOutside, which hides it.");
  TQuarnLabel* report = PageLabel(popPanel, 152, 104, u"");

  auto popup = std::make_unique<TForm>(nullptr);
  popup->SetPosition(poDesigned);
  popup->SetBorderStyle(bsNone);
  popup->SetColor(TColor(RGB(255, 255, 255)));
  popup->SetBounds(0, 0, 122, 92);
  const COLORREF swatches[6] = {RGB(214, 69, 65), RGB(242, 156, 56), RGB(247, 202, 24),
                                RGB(38, 166, 91),  RGB(52, 120, 198), RGB(142, 68, 173)};
  for (Integer i = 0; i < 6; ++i) {
    auto* s = new TQuarnPanel(popup.get());
    s->SetParent(popup.get());
    s->SetBounds(8 + (i % 3) * 36, 8 + (i / 3) * 40, 32, 34);
    s->SetAlpha(255);
    s->SetColor(TColor(swatches[i]));
  }
  auto* watch = new TQnLikeMenuDlg(popup.get());
  Integer outsidePresses = 0;
  watch->SetOnMouseClickOutside(TNotifyEvent([&](TObject*) {
    ++outsidePresses;
    popup->Hide();
  }));
  pick->SetOnClick(TNotifyEvent([&](TObject*) {
    const TPoint at = pick->ClientToScreen(TPoint(0, pick->Height() + 2));
    popup->SetLeft(at.X);
    popup->SetTop(at.Y);
    popup->Show();
    watch->Capture(popup.get());
  }));

  // 4: the form file of a form carrying the empty marker component.
  PageLabel(f, 456, 272, u"4  TQuarnPng: only name and tag reach the form file", true);
  TQuarnPanel* filePanel = Panel(f, TRect(456, 298, 856, 478));
  String fileText;
  {
    TForm holder(nullptr);
    holder.SetName(u"Form1");
    auto* marker = new TQuarnPng(&holder);
    marker->SetName(u"QuarnPng1");
    marker->SetTag(3);
    auto* dlg = new TQnLikeMenuDlg(&holder);
    dlg->SetName(u"QnLikeMenuDlg1");
    const std::string text = ComponentToText(&holder);
    // The form's own lines are the host's; the components' blocks are the point.
    const size_t from = text.find("  object QuarnPng1");
    fileText = FromUtf8(text.substr(from == std::string::npos ? 0 : from));
  }
  auto* file = PageLabel(filePanel, 16, 14, u"");
  file->Font()->SetName(u"DejaVu Sans Mono");
  file->SetCaption(u"object Form1: TForm\r\n  ...\r\n" + fileText);
  PageLabel(f, 24, 494, u"Each number names the component that the panel below it shows at work.");

  LiftContent(f, 24);
  form->Show();
  PumpMessages();

  // The pop-up opened and closed by a press outside, as a person would.
  const TPoint button = pick->ClientToScreen(TPoint(60, 14));
  InputMouseMove(button.X, button.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  PumpMessages();
  const bool opened = popup->Visible();
  const TPoint away = popPanel->ClientToScreen(TPoint(300, 120));
  InputMouseMove(away.X, away.Y);
  for (Integer ms = 0; ms < 60; ++ms) {
    AdvanceClock(1);
    PumpMessages();
  }
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  PumpMessages();
  const bool closedOutside = opened && !popup->Visible() && outsidePresses == 1;
  report->SetCaption(u"Scripted: opened, then pressed outside;\r\nOnMouseClickOutside came " +
                     IntToStr(outsidePresses) + u" time and the\r\npop-up hid. Shown: opened again.");

  // The menu, photographed from inside its loop.
  TScreenImage menuShot;
  bool menuFor = false;
  SetMenuResponder([&](HMENU, UINT&) {
    menuShot = CaptureScreen();
    menuFor = menu->PopupComponent() == menuPanel;
    return false;
  });
  const TPoint at = menuPanel->ClientToScreen(TPoint(60, 64));
  InputMouseMove(at.X, at.Y);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  PumpMessages();
  SetMenuResponder(nullptr);

  // The pop-up open again for the picture, the menu's panel laid in from
  // its own moment.
  InputMouseMove(button.X, button.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  PumpMessages();
  const TPoint rest = pick->ClientToScreen(TPoint(100, 20));
  InputMouseMove(rest.X, rest.Y);
  PumpMessages();
  TScreenImage shot = CaptureScreen();
  const bool popupShown = popup->Visible();
  const Integer imageCount = images->Bitmaps()->Count();
  if (!menuShot.Pixels.empty()) {
    DrawCursor(menuShot, LoadCursorW(nullptr, IDC_ARROW), at);
    const TPoint tl = menuPanel->ClientToScreen(TPoint(0, 0));
    for (Integer y = tl.Y; y < tl.Y + menuPanel->Height() && y < shot.Height; ++y)
      for (Integer x = tl.X; x < tl.X + menuPanel->Width() && x < shot.Width; ++x)
        shot.Pixels[size_t(y) * size_t(shot.Width) + size_t(x)] = menuShot.Pixels[size_t(y) * size_t(shot.Width) + size_t(x)];
  }
  DrawCursor(shot, LoadCursorW(nullptr, IDC_ARROW), rest);
  SavePng(shot, path);
  Hold();

  watch->Capture(nullptr);
  popup.reset();
  form.reset();
  PumpMessages();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (!closedOutside || !menuFor || menuShot.Pixels.empty() || !popupShown || imageCount != 6)
    throw Exception(u"the non-visual components page did not come together");
  return {path};
}

}  // namespace gallery
