// Gallery page "edits": the library-drawn edit family in its states, each
// captured from the screen right after the input driver put it there: hint,
// hot and focus borders, caret, selection, in-box items, the check box, a
// scrolled and a disabled edit; spin edits with a hot and a pressed button,
// search edits, password edits hidden, selected and shown. Saved as
// edits.png.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnPasswordEdit.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "skin/controls/uQuarnSpinEdit.h"

namespace gallery {

namespace {

using namespace qn;

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void Press(int Vk, bool Shift = false) {
  if (Shift) InputKeyDown(VK_SHIFT);
  InputKeyDown(Vk);
  InputKeyUp(Vk);
  if (Shift) InputKeyUp(VK_SHIFT);
  Pump();
}

void PointAt(TControl* C, Integer X, Integer Y) {
  const TPoint p = C->ClientToScreen(TPoint(X, Y));
  InputMouseMove(p.X, p.Y);
  Pump();
}

// Somewhere on the form that is no control, so nothing stays hot.
void PointAway(TForm* Form) { PointAt(Form, 4, 4); }

struct TShot {
  Integer Column;
  const char16_t* Caption;
  const char16_t* Note;
  TQuarnPngEdit* Edit;
  std::function<void()> Arrange;
  std::function<void()> After;
};

constexpr TColor32 kSheet = 0xFFF4F1EB;

}  // namespace

std::vector<std::string> EditsPage(const std::string& outDir) {
  SetScreenSize(1024, 768);
  SetVirtualClock(true);
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 900, 640);
  form->SetColor(TColor(RGB(0xF4, 0xF1, 0xEB)));

  Integer nextY = 10;
  const auto place = [&](TQuarnPngEdit* E, Integer W) {
    E->SetParent(form.get());
    E->SetBounds(20, nextY, W, 26);
    E->Font()->SetName(u"Tahoma");
    E->Font()->SetSize(9);
    E->FontHint()->SetName(u"Tahoma");
    nextY += 40;
    return E;
  };
  const auto edit = [&](Integer W = 200) { return place(new TQuarnEdit(form.get()), W); };

  TQuarnPngEdit* hint = edit();
  hint->SetTextHint(u"Your name");
  TQuarnPngEdit* hot = edit();
  hot->SetTextHint(u"Pointer over it");
  TQuarnPngEdit* focus = edit();
  focus->SetText(u"Caret after Quarn");
  TQuarnPngEdit* sel = edit();
  sel->SetText(u"Select a word here");
  TQuarnPngEdit* items = edit();
  items->SetText(u"72.5");
  {
    TQnEditItem* unit = items->EdItems()->Add();
    unit->SetKind(ikText);
    unit->SetText(u"kg");
    unit->Font()->SetName(u"Tahoma");
    unit->Font()->SetSize(9);
    unit->Font()->SetColor(TColor(RGB(0x8A, 0x96, 0xA0)));
    unit->Pos()->SetAlign(agRight);
    unit->Pos()->SetX(46);
    unit->Pos()->SetY(6);
    TQnEditItem* drop = items->EdItems()->Add();
    drop->SetKind(ikButton);
    drop->SetImage(u"QuarnDrop_arrow_normal");
    drop->SetImageHot(u"QuarnDrop_arrow_hot");
    drop->Pos()->SetAlign(agRight);
    drop->Pos()->SetX(24);
    drop->Pos()->SetY(4);
  }
  TQuarnPngEdit* check = edit();
  check->SetShowCheckBox(true);
  check->Space()->SetLeft(4);
  check->SetText(u"Remember this device");
  check->SetChecked(true);
  TQuarnPngEdit* scrolled = edit();
  scrolled->SetText(u"A line much longer than the box it is typed into");
  TQuarnPngEdit* disabled = edit();
  disabled->SetText(u"Read-only look");
  disabled->SetEnabled(false);

  nextY = 10;
  const auto right = [&](TQuarnPngEdit* E, Integer W) {
    place(E, W);
    E->SetLeft(440);
    return E;
  };
  auto* spinHot = static_cast<TQuarnSpinEdit*>(right(new TQuarnSpinEdit(form.get()), 110));
  spinHot->SetValue(42);
  auto* spinDown = static_cast<TQuarnSpinEdit*>(right(new TQuarnSpinEdit(form.get()), 110));
  spinDown->SetMinValue(-10);
  spinDown->SetValue(8);
  TQuarnPngEdit* search = right(new TQuarnSearchEdit(form.get()), 200);
  TQuarnPngEdit* searchText = right(new TQuarnSearchEdit(form.get()), 200);
  searchText->SetText(u"quarterly report");
  auto* pwd = static_cast<TQuarnPasswordEdit*>(right(new TQuarnPasswordEdit(form.get()), 200));
  pwd->SetText(u"correct horse");
  auto* pwdSel = static_cast<TQuarnPasswordEdit*>(right(new TQuarnPasswordEdit(form.get()), 200));
  pwdSel->SetText(u"battery staple");
  auto* pwdShown = static_cast<TQuarnPasswordEdit*>(right(new TQuarnPasswordEdit(form.get()), 200));
  pwdShown->SetText(u"correct horse");
  pwdShown->SetShowPassword(true);
  auto* pwdEmpty = static_cast<TQuarnPasswordEdit*>(right(new TQuarnPasswordEdit(form.get()), 200));
  pwdEmpty->SetTextHint(u"Password");

  form->Show();
  Pump();
  PointAway(form.get());
  // The form gives its first edit the focus; the plain rows are shown
  // without it.
  focus->SetFocus();
  Pump();

  const auto focusOn = [&](TQuarnPngEdit* E) {
    E->SetFocus();
    Pump();
  };
  const std::vector<TShot> shots = {
      {0, u"Hint", u"grey while the text is empty", hint, [] {}, nullptr},
      {0, u"Hot border", u"the pointer is over the edit", hot, [&] { PointAt(hot, 60, 12); }, [&] {
         PointAway(form.get());
       }},
      {0, u"Focus and caret", u"focused; caret after \"Quarn\"", focus, [&] {
         focusOn(focus);
         Press(VK_END);
       }, nullptr},
      {0, u"Selection", u"Shift+Right four times over \"word\"", sel, [&] {
         focusOn(sel);
         Press(VK_HOME);
         for (int i = 0; i < 9; ++i) Press(VK_RIGHT);
         for (int i = 0; i < 4; ++i) Press(VK_RIGHT, true);
       }, nullptr},
      {0, u"In-box items", u"text item, hot button at the right", items, [&] {
         PointAt(items, items->Width() - 14, 12);
       }, [&] { PointAway(form.get()); }},
      {0, u"Check box", u"an item; a click toggles it", check, [] {}, nullptr},
      {0, u"Scrolled", u"caret at the end of a long line", scrolled, [&] {
         focusOn(scrolled);
         Press(VK_END);
       }, nullptr},
      {0, u"Disabled", u"the text greyed", disabled, [] {}, nullptr},
      {1, u"Spin edit", u"pointer over the up button", spinHot, [&] {
         PointAt(spinHot, spinHot->Width() - 14, 6);
       }, [&] { PointAway(form.get()); }},
      {1, u"Spin edit", u"down button held: 8 steps to 7", spinDown, [&] {
         PointAt(spinDown, spinDown->Width() - 14, 19);
         InputMouseDown(VK_LBUTTON);
         Pump();
       }, [&] {
         InputMouseUp(VK_LBUTTON);
         Pump();
         PointAway(form.get());
       }},
      {1, u"Search edit", u"hint right of the icon", search, [] {}, nullptr},
      {1, u"Search edit", u"with text, focused", searchText, [&] {
         focusOn(searchText);
         Press(VK_END);
       }, nullptr},
      {1, u"Password", u"hidden: one image per character", pwd, [&] {
         focusOn(pwd);
         Press(VK_END);
       }, nullptr},
      {1, u"Password", u"hidden, the first word selected", pwdSel, [&] {
         focusOn(pwdSel);
         Press(VK_HOME);
         for (int i = 0; i < 7; ++i) Press(VK_RIGHT, true);
       }, nullptr},
      {1, u"Password", u"ShowPassword: the real text", pwdShown, [] {}, nullptr},
      {1, u"Password", u"empty, with its hint", pwdEmpty, [] {}, nullptr},
  };

  const Integer W = 940, top = 20, rowH = 50;
  TBitmap32 sheet;
  sheet.SetSize(W, top + 8 * rowH + 20);
  sheet.Clear(kSheet);
  sheet.Font()->SetName(u"Tahoma");
  sheet.Font()->SetSize(9);

  Integer row[2] = {0, 0};
  std::vector<std::pair<TQuarnPngEdit*, TPoint>> placed;
  for (const TShot& s : shots) {
    s.Arrange();
    AdvanceClock(20);
    Pump();
    s.Edit->Invalidate();
    Pump();
    const Integer x0 = s.Column == 0 ? 24 : 484;
    const Integer y = top + row[s.Column]++ * rowH;
    sheet.Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    sheet.Font()->SetColor(TColor(RGB(50, 60, 72)));
    sheet.Textout(x0, y + 2, s.Caption);
    sheet.Font()->SetStyle(TFontStyles());
    sheet.Font()->SetSize(8);
    sheet.Font()->SetColor(TColor(RGB(128, 134, 142)));
    sheet.Textout(x0, y + 19, s.Note);
    sheet.Font()->SetSize(9);
    const TScreenImage shot = CaptureWindow(s.Edit->Handle());
    const Integer ex = x0 + 200;
    placed.push_back({s.Edit, TPoint(ex, y)});
    for (Integer yy = 0; yy < shot.Height; ++yy)
      for (Integer xx = 0; xx < shot.Width; ++xx) sheet.SetPixelS(ex + xx, y + yy, shot.Pixel(xx, yy) | 0xFF000000u);
    if (s.After) s.After();
  }

  const std::string path = outDir + "/edits.png";
  sheet.ResetAlpha();
  vcl::TScreenImage img;
  img.Width = sheet.Width();
  img.Height = sheet.Height();
  img.Pixels.assign(sheet.Bits(), sheet.Bits() + size_t(sheet.Width()) * sheet.Height());
  vcl::SavePng(img, path);
  if (Live()) {
    // Live, each edit sits where its picture is, to be typed into.
    for (const auto& [e, at] : placed) e->SetBounds(at.X, at.Y, e->Width(), e->Height());
    HoldSheet(form.get(), img);
  }
  form.reset();
  ResetInput();
  Pump();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
