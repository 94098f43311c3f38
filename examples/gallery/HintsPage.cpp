// Hints, dialogs and theme elements on one screen: a form whose tool
// buttons carry hints (one showing after the pointer rested on it), a
// question box over the form, the colour dialog opened full beside it, and
// below them a sheet of every element the theme library draws. hints.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Themes.h"

namespace gallery {

namespace {

using namespace vcl;

struct TElementRow {
  const char16_t* Title;
  std::vector<TThemedElementDetails> Items;
  Integer Width, Height;
  // Drawn through this class of the flat interface instead of the
  // services (the explorer look is a class of its own).
  const Char* FlatClass = nullptr;
  // The states left to right, under the row.
  const char16_t* States = u"";
};

// Draws every theme element in rows, each row with its title.
struct TThemeSheet {
  TForm* Form = nullptr;
  std::vector<TElementRow> Rows;

  void Paint(TObject*) {
    TCanvas* c = Form->Canvas();
    // A face colour behind, so elements drawn in white still show.
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Form->ClientRect());
    c->Font()->SetColor(clWindowText);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    HDC dc = c->Handle();
    Integer y = 12;
    for (auto& row : Rows) {
      c->TextOut(14, y + (row.Height - 15) / 2, row.Title);
      Integer x = 150;
      HTHEME flat = row.FlatClass ? OpenThemeData(Form->Handle(), row.FlatClass) : nullptr;
      for (auto& d : row.Items) {
        TRect r(x, y, x + row.Width, y + row.Height);
        if (flat) {
          RECT fr = r;
          DrawThemeBackground(flat, dc, d.Part, d.State, &fr, nullptr);
        } else {
          ThemeServices()->DrawElement(dc, d, r);
        }
        x += row.Width + 6;
      }
      if (flat) CloseThemeData(flat);
      c->Font()->SetColor(TColor(RGB(72, 80, 92)));
      c->Font()->SetSize(7);
      c->TextOut(150, y + row.Height + 1, row.States);
      c->Font()->SetSize(8);
      c->Font()->SetColor(clWindowText);
      y += row.Height + 22;
    }
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

template <class E>
std::vector<TThemedElementDetails> Run(E first, E last) {
  std::vector<TThemedElementDetails> v;
  for (int i = int(first); i <= int(last); ++i) v.push_back(ThemeServices()->GetElementDetails(E(i)));
  return v;
}

}  // namespace

std::vector<std::string> HintsPage(const std::string& outDir) {
  SetScreenSize(1120, 870);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  SetThemeMode(TThemeMode::Present);
  ThemeServices()->ApplyThemeChange();
  std::string path = outDir + "/hints.png";

  // The sheet of theme elements along the bottom.
  TThemeSheet sheet;
  sheet.Rows = {
      {u"Tree items", Run(ttItemNormal, ttItemHotSelected), 60, 20, nullptr,
       u"normal, hot, selected, disabled, selected without focus, hot selected"},
      {u"Explorer items", Run(ttItemNormal, ttItemHotSelected), 60, 20, u"Explorer::TreeView",
       u"the same states in the explorer look"},
      {u"Tree glyphs", Run(ttGlyphClosed, ttHotGlyphOpened), 20, 20, nullptr,
       u"closed, opened, branch, hot closed, hot opened"},
      {u"Explorer glyphs", Run(ttGlyphClosed, ttHotGlyphOpened), 20, 20, u"Explorer::TreeView",
       u"the same glyphs in the explorer look"},
      {u"Header", Run(thHeaderItemNormal, thHeaderSortArrowSortedDown), 48, 22, nullptr,
       u"item, left item, right item: normal, hot, pressed; sort arrows up and down"},
      {u"Push buttons", Run(tbPushButtonNormal, tbPushButtonDefaulted), 70, 24, nullptr,
       u"normal, hot, pressed, disabled, default"},
      {u"Radio, check", Run(tbRadioButtonUncheckedNormal, tbCheckBoxMixedDisabled), 20, 20, nullptr,
       u"radio unchecked, checked; check box unchecked, checked, mixed: each normal, hot, pressed, disabled"},
      {u"Tool tips", Run(tttStandardNormal, tttBaloonTitleLink), 84, 30, nullptr,
       u"standard, standard title, balloon, balloon title: each normal and link"},
      {u"Edit borders", Run(teEditTextNormal, teEditTextReadOnly), 84, 22, nullptr,
       u"normal, hot, selected, disabled, focused, read-only"},
  };
  std::unique_ptr<TForm> themes(new TForm(nullptr));
  themes->SetPosition(poDesigned);
  themes->SetBorderStyle(bsSingle);
  themes->SetCaption(u"Theme elements");
  themes->SetBounds(20, 400, 1080, 450);
  sheet.Form = themes.get();
  themes->SetOnPaint(TNotifyEvent(&sheet, &TThemeSheet::Paint));
  themes->Show();

  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSingle);
  form->SetCaption(u"Order 1042");
  form->SetBounds(20, 20, 560, 370);
  form->SetShowHint(true);
  TPanel* bar = new TPanel(form.get());
  bar->SetParent(form.get());
  bar->SetAlign(alTop);
  bar->SetHeight(44);
  bar->SetBevelOuter(bvNone);
  struct Tool {
    const char16_t* Caption;
    const char16_t* Hint;
  };
  const Tool tools[] = {{u"New", u"New order|Starts an empty order"},
                        {u"Open", u"Open an order|Opens an order from the archive"},
                        {u"Save", u"Save the order|Writes the order to the archive"},
                        {u"Print", u"Print|Prints the order with its delivery note"}};
  std::vector<TButton*> buttons;
  for (int i = 0; i < 4; ++i) {
    auto* b = new TButton(form.get());
    b->SetParent(bar);
    b->SetBounds(10 + i * 86, 9, 80, 26);
    b->SetCaption(tools[i].Caption);
    b->SetHint(tools[i].Hint);
    buttons.push_back(b);
  }
  TPanel* body = new TPanel(form.get());
  body->SetParent(form.get());
  body->SetAlign(alClient);
  body->SetBevelOuter(bvLowered);
  body->SetColor(clWindow);
  body->SetCaption(u"Three items, 214.50 in all");
  form->Show();
  Application->ProcessMessages();

  // The pointer rests on "Open" for half a second: its hint comes up.
  TPoint p = buttons[1]->ClientToScreen(TPoint(40, 14));
  InputMouseMove(p.X, p.Y);
  Application->ProcessMessages();
  // Live, the clock is real and the pause passes in earnest.
  if (IsVirtualClock()) AdvanceClock(500);
  else Sleep(600);
  Application->ProcessMessages();
  bool hintShown = Application->ActiveHintWindow() && IsWindowVisible(Application->ActiveHintWindow()->Handle());

  // A question over the form; while it waits, the colour dialog opens full
  // on the right, and the screen is taken with all of them up.
  bool shot = false;
  TColorDialog colours(nullptr);
  colours.SetColor(static_cast<TColor>(ColorDialogBasicColors()[26]));
  colours.SetOptions(TColorDialogOptions{cdFullOpen});
  colours.CustomColors()->Add(u"ColorA=E08C2A");
  colours.CustomColors()->Add(u"ColorB=71B33C");
  auto oldColour = SetColorDialogResponder([&](TColorDialogCall& call) {
    HWND d = ActiveDialogWindow();
    SetWindowPos(d, nullptr, 600, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(d);
    SaveScreenSnapshot(path);
    shot = true;
    call.Ok = false;
    return true;
  });
  auto oldBox = SetMessageBoxResponder([&](const TMessageBoxCall&) {
    colours.Execute(ActiveDialogWindow());
    return IDCANCEL;
  });
  TModalIdleHook savedIdle = SetModalIdleHook([] { return false; });
  Integer answer = MessageBoxW(form->Handle(), u"The order has changed since it was opened.\nSave the changes before closing?",
                               u"Order 1042", MB_YESNOCANCEL | MB_ICONQUESTION);
  SetModalIdleHook(savedIdle);
  SetMessageBoxResponder(oldBox);
  SetColorDialogResponder(oldColour);
  Application->CancelHint();
  if (Live()) {
    // Live, the buttons show their hints at the pointer; Save asks the
    // question and Open opens the colour dialog, as in the picture.
    buttons[2]->SetOnClick([&](TObject*) {
      MessageBoxW(form->Handle(), u"The order has changed since it was opened.\nSave the changes before closing?",
                  u"Order 1042", MB_YESNOCANCEL | MB_ICONQUESTION);
    });
    buttons[1]->SetOnClick([&](TObject*) { colours.Execute(form->Handle()); });
    Hold();
  }
  form.reset();
  themes.reset();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (!hintShown || !shot || answer != IDCANCEL) throw Exception(u"the hints page did not come together");
  return {path};
}

}  // namespace gallery
