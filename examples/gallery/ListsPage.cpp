// Gallery page "lists": skinned list boxes on a form — one scrolled by its
// skinned bar, a multi-column list with the bar along the bottom, an
// owner-drawn list of colour swatches, one focused with its frame hot — and
// the drop-down list window open over the form below an edit. Saved as
// lists.png, cut from the screen so the pop-up shows with the form.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinSelection.h"
#include "examples/gallery/SkinnedForm.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnLabel.h"

namespace gallery {

namespace {

using namespace qn;

const char16_t* const kCities[] = {u"Amsterdam", u"Athens",   u"Barcelona", u"Berlin",   u"Bordeaux", u"Bruges",
                                   u"Budapest",  u"Cork",     u"Dresden",   u"Dublin",   u"Edinburgh", u"Florence",
                                   u"Geneva",    u"Ghent",    u"Granada",   u"Hamburg",  u"Helsinki", u"Krakow",
                                   u"Lisbon",    u"Ljubljana", u"Lyon",     u"Madrid",   u"Marseille", u"Milan",
                                   u"Munich",    u"Naples",   u"Oslo",      u"Porto",    u"Prague",   u"Riga"};

struct TSwatch {
  const char16_t* Name;
  COLORREF Colour;
};
const TSwatch kSwatches[] = {{u"Coral", RGB(255, 127, 80)},     {u"Saffron", RGB(244, 196, 48)},
                             {u"Sage", RGB(156, 175, 136)},     {u"Teal", RGB(0, 128, 128)},
                             {u"Cornflower", RGB(100, 149, 237)}, {u"Plum", RGB(142, 69, 133)}};

// Rows of a colour swatch with its name and hex value.
void DrawSwatch(TObject*, TCanvas* C, Integer Index, Integer W, Integer H, TRect Txt, TOwnerDrawState State) {
  const TSwatch& s = kSwatches[Index];
  C->Brush()->SetStyle(TBrushStyle::bsSolid);
  C->Brush()->SetColor(TColor(s.Colour));
  C->Pen()->SetColor(State.Contains(odSelected) ? clWhite : TColor(RGB(90, 90, 90)));
  C->RoundRect(Txt.Left + 4, 5, Txt.Left + 34, H - 5, 6, 6);
  C->Brush()->SetStyle(TBrushStyle::bsClear);
  C->TextOut(Txt.Left + 44, (H - C->TextHeight(u"Ag")) / 2, s.Name);
  const String hex = u"#" + IntToHex(Integer(GetRValue(s.Colour)), 2) + IntToHex(Integer(GetGValue(s.Colour)), 2) +
                     IntToHex(Integer(GetBValue(s.Colour)), 2);
  C->TextOut(W - 12 - C->TextWidth(hex), (H - C->TextHeight(hex)) / 2, hex);
}

}  // namespace

std::vector<std::string> ListsPage(const std::string& outDir) {
  SetVirtualClock(true);
  // A skinned form, like the controls on it.
  auto form = NewSkinnedForm(TRect(40, 40, 840, 470), u"Skinned list boxes");

  auto caption = [&](Integer X, Integer Y, const String& Text) {
    auto* l = new TQuarnLabel(form.get());
    l->SetParent(form.get());
    l->SetLeft(X);
    l->SetTop(Y);
    l->Font()->SetColor(TColor(RGB(40, 52, 78)));
    l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->SetCaption(Text);
    return l;
  };
  auto list = [&](Integer X, Integer Y, Integer W, Integer H) {
    auto* l = new TQuarnListBox(form.get());
    l->SetParent(form.get());
    l->SetBounds(X, Y, W, H);
    return l;
  };

  caption(20, 16, u"Scrolled by its skinned bar");
  TQuarnListBox* cities = list(20, 40, 170, 182);
  for (const char16_t* c : kCities) cities->Items()->Add(c);

  caption(210, 16, u"Three columns");
  TQuarnListBox* columns = list(210, 40, 330, 142);
  columns->SetColumns(3);
  for (Integer i = 0; i < 24; ++i) columns->Items()->Add(kCities[i]);

  caption(560, 16, u"Owner-drawn");
  TQuarnListBox* swatches = list(560, 40, 220, 190);
  swatches->SetDefaultItemHeight(30);
  for (const TSwatch& s : kSwatches) swatches->Items()->Add(s.Name);
  swatches->SetOnDrawItem(TQnDrawSkinItemEvent(&DrawSwatch));

  caption(20, 240, u"Focused: the frame is hot");
  TQuarnListBox* focused = list(20, 264, 170, 106);
  for (Integer i = 0; i < 4; ++i) focused->Items()->Add(kCities[10 + i]);

  caption(210, 200, u"Drop-down list");
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(210, 224, 200, 22);
  edit->SetText(u"Ljubljana");

  UseSkinSelection(form.get());
  form->Show();
  MSG m;
  auto pump = [&] {
    for (int round = 0; round < 4; ++round) {
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      AdvanceClock(60);
    }
  };
  pump();
  cities->ScrollBar->SetPosition(8);
  cities->SetItemIndex(11);
  columns->SetItemIndex(7);
  swatches->SetItemIndex(3);
  focused->SetItemIndex(1);
  focused->ListBox->SetFocus();
  pump();

  // The drop-down list: a child control of the form for painting, a window of
  // its own on top of everything.
  auto popup = std::make_unique<TQnPopupListBox>(form.get());
  popup->SetParent(form.get());
  popup->SetBounds(0, 0, 200, 124);
  for (Integer i = 16; i < 30; ++i) popup->Items()->Add(kCities[i]);
  popup->SetItemIndex(3);
  UseSkinSelection(popup.get());
  popup->Show(edit->ClientToScreen(TPoint(0, edit->Height())));
  pump();
  popup->ListBox->SetTopIndex(1);
  pump();

  // The form and the pop-up hanging below it, cut from the composed screen.
  const TScreenImage shot = CutWindows({form->Handle(), popup->Handle()});
  const std::string path = outDir + "/lists.png";
  SavePng(shot, path);

  popup->Hide();
  popup.reset();
  Hold();  // live: the lists stay up until the form is closed
  form.reset();
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
