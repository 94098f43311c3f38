// Gallery page "lists-tabs": list boxes and page controls on a form. A
// sorted list scrolled part way with a selection, an owner-drawn list of
// colour swatches, a multi-column list and an extended multi-selection on
// the left; page controls with their tabs on each of the four sides, one of
// them in two rows, and a tab control of flat buttons on the right. Picked
// through the input driver where a user would. Saved as lists-tabs.png.
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PlainControls.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

TPlainCaption* Caption(TWinControl* parent, TComponent* owner, Integer x, Integer y, const String& text,
                       bool bold = true) {
  auto* c = MakePlain<TPlainCaption>(parent, owner, x, y, 200, 18);
  c->SetCaption(text);
  if (bold) c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  return c;
}

struct Swatch {
  const char16_t* Name;
  COLORREF Color;
};
const Swatch kSwatches[] = {
    {u"Harbour blue", RGB(38, 92, 160)}, {u"Moss", RGB(96, 132, 70)},     {u"Brick", RGB(170, 70, 50)},
    {u"Saffron", RGB(236, 176, 40)},     {u"Slate", RGB(96, 108, 124)},   {u"Heather", RGB(150, 110, 170)},
    {u"Sea glass", RGB(120, 190, 170)},  {u"Charcoal", RGB(52, 54, 60)},  {u"Sand", RGB(222, 200, 160)},
};

// Draws the swatch list's rows: a framed colour chip and its name.
class TSwatchPainter : public TObject {
 public:
  void Draw(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State) {
    auto* list = static_cast<TListBox*>(Control);
    TCanvas* c = list->Canvas();
    c->FillRect(Rect);
    const Swatch& s = kSwatches[size_t(Index) % std::size(kSwatches)];
    TRect chip(Rect.Left + 4, Rect.Top + 3, Rect.Left + 30, Rect.Bottom - 3);
    c->Brush()->SetColor(TColor(s.Color));
    c->Pen()->SetColor(State.Contains(odSelected) ? clHighlightText : clGray);
    c->Rectangle(chip);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->TextOut(Rect.Left + 38, Rect.Top + (Rect.Height() - c->TextHeight(u"Wg")) / 2, s.Name);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

TPageControl* MakePages(TWinControl* parent, TComponent* owner, Integer x, Integer y, Integer w, Integer h,
                        TTabPosition pos, std::initializer_list<const char16_t*> captions, int active) {
  auto* pages = MakePlain<TPageControl>(parent, owner, x, y, w, h);
  pages->SetTabPosition(pos);
  std::vector<TTabSheet*> sheets;
  for (auto c : captions) {
    auto* s = new TTabSheet(owner);
    s->SetCaption(c);
    s->SetPageControl(pages);
    sheets.push_back(s);
  }
  pages->SetActivePage(sheets[size_t(active)]);
  return pages;
}

// A few controls on a sheet so it reads as a page of settings.
void FillSheet(TTabSheet* sheet, TComponent* owner, const String& title, const String& a, const String& b) {
  Caption(sheet, owner, 10, 8, title);
  Caption(sheet, owner, 10, 34, a, false);
  auto* e = MakePlain<TEdit>(sheet, owner, 10, 54, 140, 21);
  e->SetText(b);
}

}  // namespace

std::vector<std::string> ListsTabsPage(const std::string& outDir) {
  SetScreenSize(1000, 700);
  SetVirtualClock(true);
  std::string path = outDir + "/lists-tabs.png";

  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"Lists and tabs");
  form->SetBounds(30, 30, 100, 100);
  form->SetClientWidth(900);
  form->SetClientHeight(560);

  // Left: four list boxes.
  Caption(form, form, 16, 10, u"Sorted, scrolled");
  auto* towns = MakePlain<TListBox>(form, form, 16, 30, 190, 214);
  towns->SetSorted(true);
  for (auto t : {u"Whitby", u"Aberdeen", u"Penzance", u"Tobermory", u"Harwich", u"Oban", u"Kirkwall", u"Dover",
                 u"Falmouth", u"Lerwick", u"Mallaig", u"Ullapool", u"Stornoway", u"Scarborough", u"Portree",
                 u"Plymouth", u"Ramsgate", u"Ilfracombe"})
    towns->Items()->Add(t);

  Caption(form, form, 222, 10, u"Owner-drawn swatches");
  TSwatchPainter painter;
  auto* swatches = MakePlain<TListBox>(form, form, 222, 30, 190, 214);
  swatches->SetStyle(lbOwnerDrawFixed);
  swatches->SetItemHeight(23);
  swatches->SetOnDrawItem(TDrawItemEvent(&painter, &TSwatchPainter::Draw));
  for (auto& s : kSwatches) swatches->Items()->Add(s.Name);

  Caption(form, form, 16, 262, u"Three columns");
  auto* months = MakePlain<TListBox>(form, form, 16, 282, 396, 110);
  months->SetColumns(3);
  for (auto m : {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August", u"September",
                 u"October", u"November", u"December", u"Spring", u"Summer", u"Autumn", u"Winter", u"Solstice",
                 u"Equinox", u"Harvest", u"Midwinter", u"Lammas", u"Candlemas"})
    months->Items()->Add(m);

  Caption(form, form, 16, 408, u"Extended multi-select");
  auto* crew = MakePlain<TListBox>(form, form, 16, 428, 396, 116);
  crew->SetMultiSelect(true);
  crew->SetColumns(2);
  for (auto c : {u"Captain", u"First mate", u"Navigator", u"Boatswain", u"Engineer", u"Cook", u"Deckhand",
                 u"Radio officer", u"Carpenter", u"Lookout"})
    crew->Items()->Add(c);

  // Right: page controls with tabs on every side, and a tab strip of buttons.
  Caption(form, form, 432, 10, u"Tabs on top, two rows");
  auto* top = MakePages(form, form, 432, 30, 220, 214, tpTop,
                        {u"General", u"Display", u"Sound", u"Network", u"Privacy", u"Updates"}, 1);
  top->SetMultiLine(true);
  FillSheet(top->Pages(1), form, u"Display", u"Resolution", u"1920 x 1080");

  Caption(form, form, 668, 10, u"Tabs below");
  auto* bottom = MakePages(form, form, 668, 30, 216, 214, tpBottom, {u"Summary", u"Details", u"History"}, 0);
  FillSheet(bottom->Pages(0), form, u"Summary", u"Owner", u"Harbour trust");

  Caption(form, form, 432, 262, u"Tabs on the left");
  auto* left = MakePages(form, form, 432, 282, 220, 200, tpLeft, {u"Mail", u"Calendar", u"Contacts"}, 0);
  FillSheet(left->Pages(0), form, u"Mail", u"Server", u"mail.example.org");

  Caption(form, form, 668, 262, u"Tabs on the right");
  auto* right = MakePages(form, form, 668, 282, 216, 200, tpRight, {u"Layers", u"Brushes", u"Colours"}, 2);
  FillSheet(right->Pages(2), form, u"Colours", u"Foreground", u"#1F4E79");

  Caption(form, form, 432, 496, u"Flat buttons");
  auto* flat = MakePlain<TTabControl>(form, form, 432, 516, 452, 30);
  flat->SetStyle(tsFlatButtons);
  for (auto t : {u"All", u"Unread", u"Flagged", u"Archived"}) flat->Tabs()->Add(t);

  form->Show();
  Application->ProcessMessages();

  // Pick as a user would: scroll the towns and choose one, a swatch, a
  // month, a few crew members with Ctrl, and the third flat button.
  auto click = [](TWinControl* c, Integer x, Integer y, bool ctrl = false) {
    TPoint p = c->ClientToScreen(TPoint(x, y));
    if (ctrl) InputKeyDown(VK_CONTROL);
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    if (ctrl) InputKeyUp(VK_CONTROL);
    Application->ProcessMessages();
  };
  towns->SetTopIndex(4);
  click(towns, 40, towns->ItemRect(7).Top + 4);
  click(swatches, 60, swatches->ItemRect(3).Top + 6);
  months->SetFocus();
  months->SetItemIndex(4);
  click(crew, 30, crew->ItemRect(1).Top + 4);
  click(crew, 30, crew->ItemRect(4).Top + 4, true);
  click(crew, 30, crew->ItemRect(6).Top + 4, true);
  TRect ft = flat->TabRect(2);
  click(flat, ft.Left + 6, ft.Top + 6);
  swatches->SetFocus();
  Application->ProcessMessages();
  form->Update();
  SaveWindowSnapshot(form->Handle(), path);
  Hold();  // live: the form stays up until it is closed

  delete form;
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path};
}

}  // namespace gallery
