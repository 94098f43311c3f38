// Gallery page "tabset": a toolbar and a tab set with close buttons. Saved
// twice: tabset.png while a tab is being dragged (the dragged tab hidden, a
// blank placeholder where it will land, its picture at the pointer), and
// tabset-menu.png with a toolbar item's drop-down menu open from its arrow.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnTabset.h"

namespace gallery {

namespace {

using namespace qn;

void Flush() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

TQuarnLabel* Caption(TWinControl* Parent, Integer X, Integer Y, const String& Text, bool Title = false) {
  auto* l = new TQuarnLabel(Parent);
  l->SetParent(Parent);
  l->SetLeft(X);
  l->SetTop(Y);
  l->Font()->SetColor(TColor(RGB(20, 32, 48)));
  if (Title) {
    l->Font()->SetSize(13);
    l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  }
  l->SetCaption(Text);
  return l;
}

// The screen over the window's rectangle: the menu and the drag picture are
// windows of their own.
void SaveScreenArea(HWND Host, const std::string& Path) {
  const TScreenImage screen = CaptureScreen();
  RECT r;
  GetWindowRect(Host, &r);
  TScreenImage out;
  out.Width = r.Right - r.Left;
  out.Height = r.Bottom - r.Top;
  for (Integer y = r.Top; y < r.Bottom; ++y)
    for (Integer x = r.Left; x < r.Right; ++x)
      out.Pixels.push_back(x >= 0 && y >= 0 && x < screen.Width && y < screen.Height ? screen.Pixel(x, y) : 0u);
  SavePng(out, Path);
}

}  // namespace

std::vector<std::string> TabsetPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnTabsetPage";
  RegisterClassExW(&wc);
  const Integer w = 700, h = 370;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnTabsetPage", u"Tab set", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(),
                              wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TPictureSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);


  Caption(sheet.get(), 20, 16, u"\"Open\" has a drop-down menu behind its arrow (open in tabset-menu.png)");
  auto* bar = new TQuarnToolbar(sheet.get());
  bar->SetParent(sheet.get());
  bar->SetAlign(alNone);
  bar->SetBounds(20, 36, 300, 52);
  bar->SetBorderSides(TSides{sdLeft, sdTop, sdRight, sdBottom});
  bar->SetButtonWidth(70);
  auto* menu = new TPopupMenu(sheet.get());
  for (const char16_t* t : {u"Recent file", u"From the harbour office", u"From a chart"}) {
    auto* mi = new TMenuItem(menu);
    mi->SetCaption(t);
    menu->Items()->Add(mi);
  }
  for (const char16_t* t : {u"New", u"Open", u"Save"}) bar->Items()->Add()->Text()->SetText(t);
  bar->Items()->Items(1)->SetDropdownMenu(menu);

  // The tab set's captions say what each picture shows: at rest while the
  // menu is open, then the drag.
  TQuarnLabel* tabsTitle =
      Caption(sheet.get(), 20, 186, u"Tabs with close buttons, \"Moorings\" chosen; the menu picture shows them at rest");
  auto* tabs = new TQuarnTabset(sheet.get());
  tabs->SetParent(sheet.get());
  tabs->SetAlign(alNone);
  tabs->SetBounds(20, 206, 660, 38);
  tabs->SetCloseButtonVisible(true);
  tabs->SetAllowDragTab(true);
  for (const char16_t* t : {u"Harbour", u"Moorings", u"Charts", u"Weather", u"Crew"}) {
    TQuarnToolbarItem* it = tabs->Items()->Add();
    it->Text()->SetText(t);
    it->SetGroupIndex(1);
  }
  tabs->Items()->Items(1)->SetDown(true);
  TQuarnLabel* tabsHow =
      Caption(sheet.get(), 20, 260, u"Tabs can be dragged to a new place (tabset.png catches \"Charts\" on its way).");

  Flush();
  Sleep(30);
  Flush();
  // The menu, pictured while its loop runs: pointer on the arrow, pressed,
  // released.
  const std::string menuPath = outDir + "/tabset-menu.png";
  NotePicture(menuPath, "the toolbar's Open item with its drop-down menu open");
  SetMenuResponder([&](HMENU, UINT&) {
    Flush();
    SaveScreenArea(host, menuPath);
    return false;
  });
  const TRect arrow = bar->Items()->Items(1)->MenuButtonRect();
  TPoint p = bar->ClientToScreen(TPoint(arrow.Left + 6, arrow.Top + 24));
  InputMouseMove(p.X, p.Y);
  Flush();
  InputMouseDown(VK_LBUTTON);
  Flush();
  InputMouseUp(VK_LBUTTON);
  Flush();
  // The drag: "Charts" pressed and pulled over "Harbour", still held.
  tabsTitle->SetCaption(u"Tabs with close buttons; \"Charts\" is dragged in front of \"Harbour\"");
  tabsHow->SetCaption(u"Dragged: the tab hides, a blank placeholder stands first, its picture follows the pointer.");
  Flush();
  const std::string path = outDir + "/tabset.png";
  NotePicture(path, "a tab dragged: hidden in its place, a blank placeholder where it lands, its picture at the pointer");
  const TRect charts = tabs->Items()->Items(2)->Rect();
  p = tabs->ClientToScreen(TPoint(charts.Left + 40, charts.Top + 20));
  InputMouseMove(p.X, p.Y);
  Flush();
  InputMouseDown(VK_LBUTTON);
  Flush();
  for (Integer x : {60, 20, -80, -160, -190}) {
    p = tabs->ClientToScreen(TPoint(charts.Left + x, charts.Top + 20));
    InputMouseMove(p.X, p.Y);
    Flush();
  }
  SaveScreenArea(host, path);
  InputMouseUp(VK_LBUTTON);
  Flush();
  SetMenuResponder(nullptr);
  Hold();
  ResetInput();
  sheet.reset();
  DestroyWindow(host);
  Flush();
  return {path, menuPath};
}

}  // namespace gallery
