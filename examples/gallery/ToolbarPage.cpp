// Gallery page "toolbar": skinned toolbars over a picture. A row with each
// place the text can take beside its image, a row with a radio group held
// down, a drop-down item, a spacer and a disabled item, a row too long for
// its width with its scroll buttons, a row sized to its captions with
// glowing text, and a column with text beside the images. Saved as
// toolbar.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnToolbar.h"

namespace gallery {

namespace {

using namespace qn;

// Five 20 x 20 pictograms drawn with the canvas, fuchsia as the mask:
// house, star, folder, gear, envelope; a sixth is the grey of a disabled one.
TCustomImageList* MakeIcons(TComponent* Owner) {
  auto* list = new TCustomImageList(Owner);
  list->SetSize(20, 20);
  const TColor mask = clFuchsia;
  for (Integer i = 0; i < 6; ++i) {
    TBitmap b;
    b.SetSize(20, 20);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(mask);
    c->FillRect(TRect(0, 0, 20, 20));
    const TColor ink[6] = {TColor(RGB(40, 120, 200)), TColor(RGB(235, 170, 30)), TColor(RGB(210, 150, 60)),
                           TColor(RGB(90, 100, 115)), TColor(RGB(200, 70, 70)), TColor(RGB(160, 160, 160))};
    c->Brush()->SetColor(ink[i]);
    c->Pen()->SetColor(TColor(RGB(30, 40, 50)));
    switch (i) {
      case 0: {
        const TPoint roof[3] = {TPoint(2, 10), TPoint(10, 2), TPoint(18, 10)};
        c->Polygon(roof, 3);
        c->Rectangle(5, 10, 16, 18);
        break;
      }
      case 1: {
        const TPoint star[10] = {TPoint(10, 1),  TPoint(12, 7),  TPoint(19, 7), TPoint(13, 11), TPoint(15, 18),
                                 TPoint(10, 14), TPoint(5, 18),  TPoint(7, 11), TPoint(1, 7),   TPoint(8, 7)};
        c->Polygon(star, 10);
        break;
      }
      case 2:
        c->Rectangle(2, 4, 9, 8);
        c->Rectangle(2, 6, 18, 17);
        break;
      case 3:
        c->Ellipse(2, 2, 18, 18);
        c->Brush()->SetColor(mask);
        c->Ellipse(7, 7, 13, 13);
        break;
      case 4:
      case 5:
        c->Rectangle(2, 4, 18, 16);
        c->MoveTo(2, 4);
        c->LineTo(10, 11);
        c->LineTo(18, 4);
        break;
    }
    list->AddMasked(&b, mask);
  }
  return list;
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

TQuarnToolbar* MakeBar(TWinControl* Parent, TCustomImageList* Icons, Integer X, Integer Y, Integer W, Integer H) {
  auto* b = new TQuarnToolbar(Parent);
  b->SetParent(Parent);
  b->SetAlign(alNone);
  b->SetBounds(X, Y, W, H);
  b->SetImages(Icons);
  b->SetAlpha(210);
  b->SetBorderSides(TSides{sdLeft, sdTop, sdRight, sdBottom});
  b->Font()->SetColor(TColor(RGB(30, 40, 56)));
  b->FontHot()->SetColor(TColor(RGB(15, 95, 170)));
  b->FontDown()->SetColor(TColor(RGB(150, 40, 20)));
  b->FontDown()->SetStyle(TFontStyles{TFontStyle::fsBold});
  return b;
}

TQuarnToolbarItem* Add(TQuarnToolbar* B, const String& Text, Integer Image) {
  TQuarnToolbarItem* it = B->Items()->Add();
  it->Text()->SetText(Text);
  it->SetImageIndex(Image);
  return it;
}

}  // namespace

std::vector<std::string> ToolbarPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnToolbarPage";
  RegisterClassExW(&wc);
  const Integer w = 760, h = 510;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnToolbarPage", u"Toolbars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(),
                              wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TPictureSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  TCustomImageList* icons = MakeIcons(sheet.get());
  auto* menu = new TPopupMenu(sheet.get());


  // 1: where the text stands beside the image.
  Caption(sheet.get(), 20, 16, u"Text below, above, left and right of the image; the pointer rests on \"Left\"");
  TQuarnToolbar* layouts = MakeBar(sheet.get(), icons, 20, 36, 440, 56);
  layouts->SetButtonWidth(100);
  const TToolbarItemLayout places[4] = {ilBottom, ilTop, ilLeft, ilRight};
  const char16_t* placeNames[4] = {u"Below", u"Above", u"Left", u"Right"};
  for (Integer i = 0; i < 4; ++i) Add(layouts, placeNames[i], i)->SetTextLayout(places[i]);
  layouts->SetHotItemIndex(2);

  // 2: a radio group, a toggle, a drop-down item, a spacer, a disabled item.
  Caption(sheet.get(), 20, 106, u"Group 1 (\"Day\" down), a down toggle, a drop-down, a spacer, a disabled item");
  TQuarnToolbar* group = MakeBar(sheet.get(), icons, 20, 126, 520, 56);
  group->SetButtonWidth(66);
  for (const char16_t* t : {u"Day", u"Week", u"Month"}) Add(group, t, 1)->SetGroupIndex(1);
  TQuarnToolbarItem* toggle = Add(group, u"Pin", 3);
  toggle->SetAllowAllUp(true);
  toggle->SetDown(true);
  group->Items()->Items(0)->SetDown(true);
  Add(group, u"Open", 2)->SetDropdownMenu(menu);
  group->Items()->Add()->SetKind(tkSpacer);
  TQuarnToolbarItem* off = Add(group, u"Mail", 4);
  off->SetEnabled(false);
  off->SetImageDisableIndex(5);

  // 3: more items than room: the scroll buttons at the right, scrolled once.
  Caption(sheet.get(), 20, 196, u"Twelve items in 400 pixels: the back and front scroll buttons, scrolled one step");
  TQuarnToolbar* scroll = MakeBar(sheet.get(), icons, 20, 216, 400, 56);
  for (Integer i = 0; i < 12; ++i) Add(scroll, u"Item " + IntToStr(i + 1), i % 5);

  // 4: widths from the captions, glowing text, no frames.
  Caption(sheet.get(), 20, 286, u"Automatic widths from the captions, white text glowing blue, button frames off");
  TQuarnToolbar* glow = MakeBar(sheet.get(), icons, 20, 306, 520, 44);
  glow->SetAutoButtonWidth(true);
  glow->SetButtonHeight(36);
  glow->ButtonImage()->SetActive(false);
  glow->Font()->SetSize(10);
  glow->Font()->SetColor(clWhite);
  glow->FontHot()->Assign(glow->Font());
  glow->SetAlpha(40);
  for (const char16_t* t : {u"Harbour", u"Tide tables", u"Moorings", u"Weather"}) {
    TQuarnToolbarItem* it = Add(glow, t, -1);
    it->Text()->Light()->SetActive(true);
    it->Text()->Light()->SetColor(TColor(RGB(10, 50, 130)));
    it->Text()->Light()->SetBlurRadius(3);
  }

  // 5: a column with text right of the images, the second item down.
  Caption(sheet.get(), 570, 16, u"A column, side text");
  TQuarnToolbar* column = MakeBar(sheet.get(), icons, 570, 36, 170, 240);
  column->SetMultiLine(true);
  column->SetButtonWidth(150);
  column->SetButtonHeight(36);
  column->SetMarginSize(6);
  const char16_t* columnNames[5] = {u"Home", u"Favourites", u"Documents", u"Settings", u"Messages"};
  for (Integer i = 0; i < 5; ++i) Add(column, columnNames[i], i)->SetTextLayout(ilRight);
  column->Items()->Items(1)->SetDown(true);

  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  // Past the refresh held back after the toolbars were sized.
  Sleep(30);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  scroll->Invalidate();
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  scroll->ScrollFront();
  layouts->Invalidate();
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  const std::string path = outDir + "/toolbar.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its windows are closed
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
