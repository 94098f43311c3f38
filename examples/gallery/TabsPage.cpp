// Gallery page "tabs": skinned page controls over a picture, one for each
// side the tabs can take. Their sheets lay a colour over the picture at an
// opacity of their own, and the labels on them see through both. On top,
// tabs with the sheets' images and the pointer resting on a tab (its hot
// picture); below, captions with a glow on tabs sharing the width; at the
// sides, tabs standing out to the left and to the right. The application
// turns the skin's tab pictures for the bottom and the sides through the
// resource manager's image hook. Saved as tabs.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnTabs.h"
#include "skin/foundation/uQuarnResManager.h"

namespace gallery {

namespace {

using namespace qn;

// The skin's tab pictures open at the bottom; the other sides get them
// mirrored or turned: "GalleryTab_<side>_<state>".
struct TTurnedTabs : TObject {
  void GetImage(TObject*, const TQnResID& ResID, TQuarnImage* Image, bool& Handled) {
    const String prefix = u"GalleryTab_";
    if (ResID.rfind(prefix, 0) != 0) return;
    const String rest = ResID.substr(prefix.size());
    const size_t cut = rest.find(u'_');
    if (cut == String::npos) return;
    const String side = rest.substr(0, cut), state = rest.substr(cut + 1);
    TQuarnImage* src = TQuarnResManagerObj()->GetImageByName(u"QuarnTab_button_" + state);
    if (!src || src->Empty()) return;
    const Integer w = src->Width(), h = src->Height();
    const bool across = side == u"left" || side == u"right";
    Image->SetSize(across ? h : w, across ? w : h);
    for (Integer y = 0; y < Image->Height(); ++y)
      for (Integer x = 0; x < Image->Width(); ++x) {
        Integer sx = x, sy = y;
        if (side == u"bottom") sy = h - 1 - y;
        else if (side == u"left") sx = y, sy = x;
        else if (side == u"right") sx = y, sy = h - 1 - x;
        Image->ScanLine(y)[x] = src->ScanLine(sy)[sx];
      }
    Image->SetDrawMode(src->DrawMode());
    Image->Changed();
    Handled = true;
  }
};

struct SheetText {
  const char16_t* Caption;
  const char16_t* Heading;
  const char16_t* Lines;
};

TQuarnTabSheet* AddSheet(TQuarnPageControl* pc, const SheetText& t, TColor Ink) {
  auto* s = new TQuarnTabSheet(pc->Owner());
  s->SetPageControl(pc);
  s->SetCaption(t.Caption);
  auto* head = new TQuarnLabel(pc->Owner());
  head->SetParent(s);
  head->SetLeft(16);
  head->SetTop(14);
  head->Font()->SetSize(11);
  head->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  head->Font()->SetColor(Ink);
  head->SetCaption(t.Heading);
  auto* body = new TQuarnLabel(pc->Owner());
  body->SetParent(s);
  body->SetAutoSize(false);
  body->SetWordWap(true);
  body->SetBounds(16, 40, 250, 120);
  body->Font()->SetColor(Ink);
  body->SetCaption(t.Lines);
  return s;
}

TQuarnPageControl* MakePages(TWinControl* Parent, Integer X, Integer Y, Integer W, Integer H, TTabPosition Pos,
                             const String& Side) {
  auto* pc = new TQuarnPageControl(Parent);
  pc->SetParent(Parent);
  pc->SetBounds(X, Y, W, H);
  pc->SetTabPosition(Pos);
  if (!Side.empty()) {
    pc->SetTabNormalPicture(u"GalleryTab_" + Side + u"_normal");
    pc->SetTabHotPicture(u"GalleryTab_" + Side + u"_hot");
    pc->SetTabDownPicture(u"GalleryTab_" + Side + u"_down");
  }
  pc->FontActive()->SetStyle(TFontStyles{TFontStyle::fsBold});
  pc->FontActive()->SetColor(TColor(RGB(15, 95, 150)));
  pc->FontHot()->SetColor(TColor(RGB(22, 138, 203)));
  return pc;
}

void AddSheets(TQuarnPageControl* pc, const SheetText (&Texts)[3], TColor Ink, Byte Alpha, TColor Tint,
               Integer Active) {
  for (const SheetText& t : Texts) {
    auto* s = AddSheet(pc, t, Ink);
    s->SetAlpha(Alpha);
    s->SetColor(Tint);
  }
  pc->SetActivePageIndex(Active);
}

// Tabs at a side: 34 long, 96 across, the caption across them.
void StandOut(TQuarnPageControl* pc, Integer CaptionX) {
  pc->SetTabWidth(34);
  pc->SetDefaultItemHeight(96);
  pc->TabCaptionOffset()->SetX(CaptionX);
  pc->TabCaptionOffset()->SetY(9);
}

void Glow(TQuarnPageControl* pc, TColor Colour) {
  pc->CaptionLight()->SetActive(true);
  pc->CaptionLight()->SetColor(Colour);
  pc->CaptionLight()->SetBlurRadius(3);
}

}  // namespace

std::vector<std::string> TabsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnTabsPage";
  RegisterClassExW(&wc);
  const Integer w = 860, h = 640;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnTabsPage", u"Page controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  TTurnedTabs turned;
  TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent(&turned, &TTurnedTabs::GetImage));
  auto sheet = std::make_unique<TPictureSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  const TColor ink = TColor(RGB(40, 52, 64));

  // Top: fixed-width tabs with the sheets' images; the pointer rests on one.
  auto* top = MakePages(sheet.get(), 20, 20, 400, 285, tpTop, u"");
  top->SetTabWidth(108);
  top->TabImageOffset()->SetX(9);
  top->TabImageOffset()->SetY(4);
  top->TabCaptionOffset()->SetX(33);
  top->TabCaptionOffset()->SetY(6);
  const char16_t* images[3][2] = {{u"QuarnCalendar_18_N", u"QuarnCalendar_18_H"},
                                  {u"QuarnSearch_icon", u"QuarnSearch_icon"},
                                  {u"QuarnKeyboard", u"QuarnKeyboard"}};
  const SheetText topText[3] = {
      {u"Diary", u"Harbour diary", u"Tender trials at the east pier from nine. The pilot boat returns at noon."},
      {u"Search", u"Find a vessel", u"Search by name, berth or skipper. Recent searches stay on this sheet."},
      {u"Notes", u"Notes", u"Keep the slipway clear on Thursday for the lifeboat's yearly lift."}};
  for (Integer i = 0; i < 3; ++i) {
    auto* s = AddSheet(top, topText[i], ink);
    s->SetTabNormalImage(images[i][0]);
    s->SetTabHotImage(images[i][1]);
    s->SetTabDownImage(images[i][1]);
    s->SetAlpha(200);
  }
  top->SetActivePageIndex(0);

  // Bottom: tabs sharing the width, their captions centred and glowing.
  auto* bottom = MakePages(sheet.get(), 440, 20, 400, 285, tpBottom, u"bottom");
  bottom->SetTabWidthAutoSize(true);
  bottom->TabCaptionOffset()->SetX(0);
  bottom->TabCaptionOffset()->SetY(0);
  Glow(bottom, TColor(RGB(120, 205, 255)));
  const SheetText bottomText[3] = {
      {u"Morning", u"Morning tide", u"High water 06:42, 4.1 m. Light airs from the south-west."},
      {u"Evening", u"Evening tide", u"High water 19:05, 3.8 m. The breeze backs westerly and freshens."},
      {u"Week", u"The week ahead", u"Springs on Saturday: moor long and check the warps twice a day."}};
  AddSheets(bottom, bottomText, ink, 150, clWhite, 1);

  // Left: tabs standing out to the left, lightly tinted sheets.
  auto* left = MakePages(sheet.get(), 20, 325, 400, 295, tpLeft, u"left");
  StandOut(left, 14);
  const SheetText leftText[3] = {{u"Sloops", u"Sloops", u"Kittiwake, Tern and the visiting Marram lie on the A pontoon."},
                                 {u"Trawlers", u"Trawlers", u"Morning Star lands at six; Harvester is on the slip."},
                                 {u"Launches", u"Launches", u"Grey Heron and Skerry run the ferry to the island."}};
  AddSheets(left, leftText, ink, 170, TColor(RGB(236, 246, 255)), 0);

  // Right: tabs out to the right, glowing, over a nearly opaque sheet.
  auto* right = MakePages(sheet.get(), 440, 325, 400, 295, tpRight, u"right");
  StandOut(right, 12);
  Glow(right, TColor(RGB(255, 214, 110)));
  const SheetText rightText[3] = {
      {u"Crew", u"Crew list", u"Twelve hands signed on for the regatta; two more are wanted."},
      {u"Stores", u"Stores", u"Diesel, water and ice at the fuel berth until six in the evening."},
      {u"Charts", u"Charts", u"New soundings for the bar are pinned up in the harbour office."}};
  AddSheets(right, rightText, ink, 225, TColor(RGB(255, 251, 240)), 2);

  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  // The pointer over the second tab on top: drawn with its hot picture.
  const TRect hot = top->GetItemRect(1);
  const TPoint at = top->ClientToScreen(TPoint(hot.Left + hot.Width() / 2, hot.Top + hot.Height() / 2));
  InputMouseMove(at.X, at.Y);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  const std::string path = outDir + "/tabs.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its windows are closed
  ResetInput();
  sheet.reset();
  TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent());
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
