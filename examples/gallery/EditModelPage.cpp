// Gallery page "editmodel": a scripted typing run through the input driver
// into the library-drawn edit, one row per step. Each row shows the whole
// text in character cells drawn from the edit's state: the part the edit
// displays (its horizontal scroll), the selection and the caret, then the
// edit's own picture at that moment. Saved as editmodel.png.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnEdit.h"

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

void Press(int Vk, bool Shift = false, bool Ctrl = false) {
  if (Ctrl) InputKeyDown(VK_CONTROL);
  if (Shift) InputKeyDown(VK_SHIFT);
  InputKeyDown(Vk);
  InputKeyUp(Vk);
  if (Shift) InputKeyUp(VK_SHIFT);
  if (Ctrl) InputKeyUp(VK_CONTROL);
  Pump();
}

struct TStep {
  const char16_t* Caption;
  std::function<void()> Do;
};

}  // namespace

std::vector<std::string> EditModelPage(const std::string& outDir) {
  SetVirtualClock(true);
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsNone);
  form->SetBounds(10, 10, 220, 60);
  form->SetColor(clWhite);
  auto* edit = new TQuarnEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 10, 170, 28);
  edit->Font()->SetName(u"Tahoma");
  edit->Font()->SetSize(10);
  edit->SetTextHint(u"Type here");
  form->Show();
  Pump();
  edit->SetFocus();
  Pump();

  const std::vector<TStep> steps = {
      {u"start: empty, hint shown", [] {}},
      {u"type \"Quarn edits one line\"", [] {
         InputType(u"Quarn edits one line");
         Pump();
       }},
      {u"Home", [] { Press(VK_HOME); }},
      {u"Ctrl+Right twice", [] {
         Press(VK_RIGHT, false, true);
         Press(VK_RIGHT, false, true);
       }},
      {u"Shift+Right x3", [] {
         for (int i = 0; i < 3; ++i) Press(VK_RIGHT, true);
       }},
      {u"type \"a single\" over it", [] {
         InputType(u"a single");
         Pump();
       }},
      {u"Ctrl+V of two lines", [] {
         Clipboard()->SetAsText(u" (pasted)\r\nnot this line");
         Press('V', false, true);
       }},
      {u"Backspace x4", [] {
         for (int i = 0; i < 4; ++i) Press(VK_BACK);
       }},
      {u"Ctrl+Left, Shift+End", [] {
         Press(VK_LEFT, false, true);
         Press(VK_END, true);
       }},
      {u"Delete", [] { Press(VK_DELETE); }},
      {u"Home, Shift+Ctrl+Right", [] {
         Press(VK_HOME);
         Press(VK_RIGHT, true, true);
       }},
  };

  const Integer rowH = 46, top = 54, W = 1100;
  TBitmap32 sheet;
  sheet.SetSize(W, top + Integer(steps.size()) * rowH + 16);
  sheet.Clear(Color32(250, 249, 246));
  sheet.Font()->SetName(u"Tahoma");
  sheet.Font()->SetSize(10);
  sheet.Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  sheet.Font()->SetColor(TColor(RGB(40, 60, 90)));
  sheet.Textout(16, 14, u"Step");
  sheet.Textout(250, 14, u"Model: whole text, shown part, selection, caret");
  sheet.Textout(900, 14, u"The edit");
  sheet.FillRectS(12, 40, W - 12, 41, Color32(200, 205, 214));

  const Integer cell = 12, strip = 250;
  for (size_t k = 0; k < steps.size(); ++k) {
    steps[k].Do();
    AdvanceClock(10);
    Pump();
    const Integer y = top + Integer(k) * rowH;
    if (k % 2) sheet.FillRectS(12, y - 4, W - 12, y + rowH - 6, Color32(242, 240, 234));
    sheet.Font()->SetStyle(TFontStyles());
    sheet.Font()->SetColor(TColor(RGB(50, 54, 60)));
    sheet.Textout(16, y + 4, IntToStr(Integer(k + 1)) + u". " + steps[k].Caption);

    // The state the edit holds.
    const String& text = edit->Text();
    const Integer len = Integer(text.size());
    const Integer first = edit->FirstDisplayChar();
    const Integer selStart = edit->SelStart(), selEnd = edit->SelStart() + edit->SelLength();
    // The last character shown: the edit's own walk over the text area.
    const Integer right = edit->Width() - (edit->Space()->Right() + edit->RightOffset());
    Integer x = edit->Space()->Left() + edit->LeftOffset(), last = first - 1;
    for (Integer i = first; i <= len; ++i) {
      x += edit->GetTextWidth(i, 1, text);
      last = i;
      if (x >= right) break;
    }
    // Cells: the shown part on a pale band, the selection in the accent.
    sheet.Font()->SetName(u"Courier New");
    for (Integer i = 1; i <= len; ++i) {
      const Integer cx = strip + (i - 1) * cell;
      const bool shown = len > 0 && i >= first && i <= last;
      const bool selected = i > selStart && i <= selEnd;
      TColor32 back = shown ? Color32(214, 232, 250) : Color32(236, 236, 236);
      if (selected) back = Color32(51, 122, 214);
      sheet.FillRectS(cx, y + 2, cx + cell - 1, y + 24, back);
      sheet.Font()->SetColor(selected ? clWhite : (shown ? TColor(RGB(20, 30, 50)) : TColor(RGB(150, 150, 150))));
      sheet.Textout(cx + 2, y + 5, text.substr(size_t(i - 1), 1));
    }
    if (len > 0) {
      // Brackets under the displayed window.
      const Integer bx0 = strip + (first - 1) * cell, bx1 = strip + last * cell - 1;
      sheet.FillRectS(bx0, y + 26, bx1, y + 28, Color32(90, 150, 220));
    }
    // The caret: a red bar on the cell boundary.
    const Integer caretX = strip + edit->CursorPos() * cell - 1;
    sheet.FillRectS(caretX - 1, y, caretX + 1, y + 27, Color32(220, 50, 50));
    sheet.Font()->SetName(u"Tahoma");
    sheet.Font()->SetSize(8);
    sheet.Font()->SetColor(TColor(RGB(110, 116, 126)));
    sheet.Textout(strip, y + 29,
                  u"caret " + IntToStr(edit->CursorPos()) + u"   selection " + IntToStr(selStart) + u"+" +
                      IntToStr(edit->SelLength()) + u"   first shown " + IntToStr(first));
    sheet.Font()->SetSize(10);

    // The edit as it paints itself.
    const TScreenImage shot = CaptureWindow(edit->Handle());
    for (Integer yy = 0; yy < shot.Height; ++yy)
      for (Integer xx = 0; xx < shot.Width; ++xx)
        sheet.SetPixelS(900 + xx, y + yy - 2, shot.Pixel(xx, yy) | 0xFF000000u);
  }

  const std::string path = outDir + "/editmodel.png";
  // Text drawn through GDI left its pixels' alpha at 0; the sheet is opaque.
  sheet.ResetAlpha();
  vcl::TScreenImage img;
  img.Width = sheet.Width();
  img.Height = sheet.Height();
  img.Pixels.assign(sheet.Bits(), sheet.Bits() + size_t(sheet.Width()) * sheet.Height());
  vcl::SavePng(img, path);
  if (Live()) {
    // Live, the edit sits on its last row, in the state the steps left it.
    edit->SetBounds(900, top + Integer(steps.size() - 1) * rowH - 2, edit->Width(), edit->Height());
    HoldSheet(form.get(), img);
  }
  form.reset();
  ResetInput();
  Pump();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
