// Gallery page "stdctrls": the host's standard controls on one form:
// labels (aligned, wrapped, with an accelerator), check boxes in their three
// states, radio buttons in group boxes, and a combo box of each style, one
// of them dropped down over the form. Saved as stdctrls.png.
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PlainControls.h"
#include "examples/gallery/SkinnedForm.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/user/ComboBox.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

TLabel* Heading(TWinControl* parent, TComponent* owner, Integer x, Integer y, const String& text) {
  auto* l = new TLabel(owner);
  l->SetParent(parent);
  l->SetLeft(x);
  l->SetTop(y);
  l->SetCaption(text);
  l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  return l;
}

TComboBox* Combo(TWinControl* parent, TComponent* owner, Integer x, Integer y, TComboBoxStyle style) {
  auto* c = MakePlain<TComboBox>(parent, owner, x, y, 200, 24);
  c->SetStyle(style);
  for (const char16_t* s : {u"Harbour", u"Lighthouse", u"Breakwater", u"Dunes", u"Cliffs", u"Pier"})
    c->Items()->Add(s);
  return c;
}

}  // namespace

std::vector<std::string> StdCtrlsPage(const std::string& outDir) {
  SetScreenSize(1000, 700);
  SetVirtualClock(true);
  std::string path = outDir + "/stdctrls.png";

  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"Standard controls");
  form->SetBounds(40, 40, 100, 100);
  form->SetClientWidth(760);
  form->SetClientHeight(444);

  // Labels.
  Heading(form, form, 16, 76, u"Labels");
  auto* accel = new TLabel(form);
  accel->SetParent(form);
  accel->SetBounds(16, 102, 60, 17);
  accel->SetCaption(u"&Name:");
  auto* name = MakePlain<TEdit>(form, form, 80, 98, 150, 21);
  name->SetText(u"Ada Lovelace");
  accel->SetFocusControl(name);
  auto* right = new TLabel(form);
  right->SetParent(form);
  right->SetAutoSize(false);
  right->SetBounds(16, 128, 214, 17);
  right->SetAlignment(taRightJustify);
  right->SetCaption(u"Right-aligned: 1,284.50");
  auto* wrapped = new TLabel(form);
  wrapped->SetParent(form);
  wrapped->SetBounds(16, 152, 214, 17);
  wrapped->SetWordWrap(true);
  wrapped->SetCaption(u"A word-wrapped label sizes its height to the text at the width it was given.");
  auto* shaded = new TLabel(form);
  shaded->SetParent(form);
  shaded->SetAutoSize(false);
  shaded->SetBounds(16, 206, 214, 40);
  shaded->SetColor(TColor(0xF5E6D2));
  shaded->SetAlignment(taCenter);
  shaded->SetLayout(tlCenter);
  shaded->SetCaption(u"Centred both ways, on its colour");
  auto* off = new TLabel(form);
  off->SetParent(form);
  off->SetLeft(16);
  off->SetTop(254);
  off->SetCaption(u"A disabled label");
  off->SetEnabled(false);

  // Check boxes.
  Heading(form, form, 256, 76, u"Check boxes");
  auto* c1 = MakePlain<TCheckBox>(form, form, 256, 100, 200, 20);
  c1->SetCaption(u"&Unchecked");
  auto* c2 = MakePlain<TCheckBox>(form, form, 256, 124, 200, 20);
  c2->SetCaption(u"Checked");
  c2->SetChecked(true);
  auto* c3 = MakePlain<TCheckBox>(form, form, 256, 148, 200, 20);
  c3->SetCaption(u"Grayed (three-state)");
  c3->SetAllowGrayed(true);
  c3->SetState(cbGrayed);
  auto* c4 = MakePlain<TCheckBox>(form, form, 256, 172, 200, 20);
  c4->SetCaption(u"Caption on the left");
  c4->SetAlignment(taLeftJustify);
  c4->SetChecked(true);
  auto* c5 = MakePlain<TCheckBox>(form, form, 256, 196, 200, 20);
  c5->SetCaption(u"Disabled, checked");
  c5->SetChecked(true);
  c5->SetEnabled(false);

  // Radio buttons in group boxes.
  auto* g1 = MakePlain<TGroupBox>(form, form, 256, 228, 200, 100);
  g1->SetCaption(u"&Weather");
  const char16_t* weather[] = {u"Sunny", u"Fog", u"Storm"};
  for (int i = 0; i < 3; ++i) {
    auto* r = MakePlain<TRadioButton>(g1, form, 12, 22 + 24 * i, 170, 20);
    r->SetCaption(weather[i]);
    if (i == 1) r->SetChecked(true);
  }
  auto* g2 = MakePlain<TGroupBox>(form, form, 256, 336, 200, 70);
  g2->SetCaption(u"Tide");
  auto* high = MakePlain<TRadioButton>(g2, form, 12, 22, 80, 20);
  high->SetCaption(u"High");
  auto* low = MakePlain<TRadioButton>(g2, form, 100, 22, 80, 20);
  low->SetCaption(u"Low");
  low->SetChecked(true);

  // Combo boxes.
  Heading(form, form, 484, 76, u"Combo boxes");
  auto caption = [&](Integer y, const String& t) {
    auto* l = new TLabel(form);
    l->SetParent(form);
    l->SetLeft(484);
    l->SetTop(y);
    l->SetCaption(t);
  };
  caption(100, u"csDropDown (typed)");
  auto* down = Combo(form, form, 484, 118, TComboBoxStyle::csDropDown);
  down->SetText(u"Old harbour");
  caption(150, u"csDropDownList");
  auto* list = Combo(form, form, 484, 168, TComboBoxStyle::csDropDownList);
  list->SetItemIndex(2);
  caption(200, u"csOwnerDrawFixed (swatches)");
  auto* owner = Combo(form, form, 484, 218, TComboBoxStyle::csOwnerDrawFixed);
  owner->SetItemHeight(18);
  owner->SetOnDrawItem([owner](TWinControl*, Integer i, TRect r, TOwnerDrawState s) {
    static const TColor colours[] = {TColor(0x9C6B2E), TColor(0x2E6BD4), TColor(0x4F9C3A), TColor(0x3AB4E8),
                                     TColor(0x5A5A8C), TColor(0x8C8C8C)};
    TCanvas* c = owner->Canvas();
    c->FillRect(r);
    c->Brush()->SetColor(colours[i % 6]);
    c->FillRect(TRect(r.Left + 3, r.Top + 3, r.Left + 27, r.Bottom - 3));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetColor(s.Contains(odSelected) ? clHighlightText : clWindowText);
    c->TextOut(r.Left + 34, r.Top + 2, owner->Items()->Strings(i));
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  });
  owner->SetItemIndex(1);
  caption(250, u"csSimple (list always shown)");
  auto* simple = MakePlain<TComboBox>(form, form, 484, 268, 200, 110);
  simple->SetStyle(TComboBoxStyle::csSimple);
  for (const char16_t* s : {u"North", u"East", u"South", u"West"}) simple->Items()->Add(s);
  simple->SetItemIndex(3);
  caption(386, u"Dropped: the list hangs below");
  auto* dropped = Combo(form, form, 484, 404, TComboBoxStyle::csDropDownList);
  dropped->SetItemIndex(0);

  LiftContent(form, 60);
  form->Show();
  Application->ProcessMessages();
  list->SetFocus();
  SendMessageW(dropped->Handle(), CB_SETMINVISIBLE, 4, 0);
  dropped->SetDroppedDown(true);
  PumpRounds();
  form->Update();
  HWND dropList = dropped->ListHandle();
  UpdateWindow(dropList);
  SavePng(CutWindows({form->Handle(), dropList}), path);
  Hold();  // live: the page stays up until its windows are closed
  dropped->SetDroppedDown(false);

  delete form;
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path};
}

}  // namespace gallery
