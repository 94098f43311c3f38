// Gallery page "combos": skinned combo boxes on a form — the editor style
// with typed text, the list style, one hot under the pointer, one disabled —
// an editor-style combo with its list open and scrolled, its skinned bar
// showing, and a colour combo open on its swatches down to "Custom...".
// Saved as combos.png, cut from the screen so the pop-ups show with the form.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinSelection.h"
#include "examples/gallery/SkinnedForm.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnLabel.h"

namespace gallery {

namespace {

using namespace qn;

const char16_t* const kCities[] = {u"Amsterdam", u"Athens",   u"Barcelona", u"Berlin",    u"Bordeaux",
                                   u"Bruges",    u"Budapest", u"Cork",      u"Dresden",   u"Dublin",
                                   u"Edinburgh", u"Florence", u"Geneva",    u"Ghent",     u"Granada",
                                   u"Hamburg",   u"Helsinki", u"Krakow",    u"Lisbon",    u"Ljubljana"};

}  // namespace

std::vector<std::string> CombosPage(const std::string& outDir) {
  SetVirtualClock(true);
  // A skinned form, like the controls on it.
  auto form = NewSkinnedForm(TRect(40, 40, 800, 380), u"Skinned combo boxes");

  auto caption = [&](Integer X, Integer Y, const String& Text) {
    auto* l = new TQuarnLabel(form.get());
    l->SetParent(form.get());
    l->SetLeft(X);
    l->SetTop(Y);
    l->Font()->SetColor(TColor(RGB(40, 52, 78)));
    l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->SetCaption(Text);
  };
  auto combo = [&](Integer X, Integer Y, Integer W, TQuarnCustomComboBoxStyle Style) {
    auto* c = new TQuarnComboBox(form.get());
    c->SetParent(form.get());
    c->SetBounds(X, Y, W, 26);
    c->SetStyle(Style);
    for (const char16_t* s : kCities) c->Items()->Add(s);
    return c;
  };

  caption(20, 16, u"Editor style");
  TQuarnComboBox* typed = combo(20, 40, 200, csDropDown);
  caption(20, 84, u"List style");
  TQuarnComboBox* listed = combo(20, 108, 200, csDropDownList);
  caption(20, 152, u"Hot under the pointer");
  TQuarnComboBox* hot = combo(20, 176, 200, csDropDownList);
  caption(20, 220, u"Disabled");
  TQuarnComboBox* off = combo(20, 244, 200, csDropDown);

  caption(260, 16, u"Open, scrolled");
  TQuarnComboBox* open = combo(260, 40, 200, csDropDown);

  caption(500, 16, u"Colour box, open at \"Custom...\"");
  auto* colours = new TQuarnColorComboBox(form.get());
  colours->SetParent(form.get());
  colours->SetBounds(500, 40, 220, 26);

  UseSkinSelection(form.get());
  form->Show();
  const auto pump = [] { PumpRounds(); };
  pump();
  typed->SetText(u"Ljubljana");
  listed->SetItemIndex(9);
  hot->SetItemIndex(12);
  off->SetItemIndex(4);
  off->SetEnabled(false);
  colours->SetExStyle(TQnColorBoxStyles{qncbStandardColors, qncbExtendedColors, qncbCustomColor, qncbPrettyNames});
  colours->SetSelected(TColor(RGB(218, 112, 64)));
  pump();

  // The hot combo: the pointer over its drop arrow.
  const TQnCBButtonX& b = hot->DropButton();
  const TPoint over = hot->ClientToScreen(TPoint((b.R.Left + b.R.Right) / 2, b.R.Height() / 2));
  InputMouseMove(over.X, over.Y);
  pump();

  // The open lists: the editor combo's first (its editor takes the focus),
  // then the colour list beside it.
  open->SetItemIndex(11);
  open->DropDown();
  pump();
  open->ListBox()->SetTopIndex(8);
  pump();
  colours->DropDown();
  pump();
  colours->ListBox()->SetTopIndex(colours->Items()->Count() - colours->DropDownCount());
  pump();

  // The form and the pop-ups hanging below it, cut from the composed screen.
  const TScreenImage shot = CutWindows({form->Handle(), open->ListBox()->Handle(), colours->ListBox()->Handle()});
  const std::string path = outDir + "/combos.png";
  SavePng(shot, path);
  Hold();  // live: the page stays up until its windows are closed

  open->CloseUp(false);
  colours->CloseUp(false);
  form.reset();
  PumpRounds(1);
  ResetInput();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
