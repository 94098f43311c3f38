// Gallery page "edit": the native edit and memo on a form. Single-line
// edits with the caret, with a selection and with a password; a word-wrapped
// memo with a vertical bar scrolled to its middle; a read-only memo; and a
// transparent memo over a picture, painted on the parent's NULL_BRUSH.
// Typed and selected through the input driver. Saved as edit.png.
#include <cmath>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PlainControls.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

// A dusk sky with hills, drawn for any part of the picture panel: the panel
// paints it whole, the transparent memo the part under itself.
void DrawPicture(HDC dc, Integer dx, Integer dy, Integer w, Integer h, Integer fullW, Integer fullH) {
  for (Integer y = 0; y < h; ++y) {
    Integer py = y + dy;
    double t = double(py) / std::max(1, fullH);
    COLORREF c = RGB(Byte(250 - 90 * t), Byte(190 - 60 * t), Byte(120 + 60 * t));
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, y, w, y + 1};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  // Two rows of hills, each column a vertical run.
  for (int layer = 0; layer < 2; ++layer) {
    HBRUSH b = CreateSolidBrush(layer ? RGB(48, 86, 70) : RGB(92, 128, 96));
    for (Integer x = 0; x < w; ++x) {
      double px = x + dx;
      double top = fullH * (layer ? 0.72 : 0.58) +
                   std::sin(px / (layer ? 37.0 : 53.0) + layer * 2) * (layer ? 14 : 22) +
                   std::sin(px / 17.0) * 4;
      RECT r{x, Integer(top) - dy, x + 1, h};
      if (r.Top < h) FillRect(dc, &r, b);
    }
    DeleteObject(b);
  }
  (void)fullW;
}

class TPicturePanel : public TCustomControl {
  QN_CLASS(TPicturePanel, TCustomControl)
 public:
  explicit TPicturePanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
  }

 protected:
  void Paint() override { DrawPicture(Canvas()->Handle(), 0, 0, Width(), Height(), Width(), Height()); }
};

// A memo that lets the parent's picture through: its background is the part
// of the picture under it, and the edit draws its text on the null brush.
class TClearMemo : public TMemo {
  QN_CLASS(TClearMemo, TMemo)
 public:
  explicit TClearMemo(TComponent* AOwner) : TMemo(AOwner) {}
  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case CN_CTLCOLOREDIT:
      case CN_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(Message.WParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(20, 30, 60));
        Message.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return;
      }
      case WM_ERASEBKGND: {
        TControl* p = Parent();
        DrawPicture(reinterpret_cast<HDC>(Message.WParam), Left(), Top(), Width(), Height(), p->Width(), p->Height());
        Message.Result = 1;
        return;
      }
      default:
        break;
    }
    inherited::Dispatch(Message);
  }
};

TPlainCaption* Caption(TWinControl* parent, TComponent* owner, Integer x, Integer y, const String& text) {
  auto* c = MakePlain<TPlainCaption>(parent, owner, x, y, 236, 18);
  c->SetCaption(text);
  c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  return c;
}

const char16_t* kStory =
    u"The lighthouse keeper kept a log of every ship that passed the headland. "
    u"Some nights the fog was so thick that only the horn told him where the sea began.\r\n"
    u"In spring the gulls returned, loud and hungry, and the path to the lamp room was "
    u"white with feathers by May.\r\n"
    u"He painted the railings twice a year, ordered oil by the barrel and wrote long "
    u"letters to his sister in the city, who never once came to visit.\r\n"
    u"When the lamp was finally replaced by an automatic beacon, he stayed on as the "
    u"caretaker, because nobody else knew where the spare wicks were kept.";

}  // namespace

std::vector<std::string> EditPage(const std::string& outDir) {
  SetScreenSize(900, 600);
  SetVirtualClock(true);
  std::string path = outDir + "/edit.png";

  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"Edits and memos");
  form->SetBounds(40, 40, 100, 100);
  form->SetClientWidth(760);
  form->SetClientHeight(376);

  // Left column: single-line edits.
  Caption(form, form, 16, 12, u"Name (typed, caret at the end)");
  auto* name = MakePlain<TEdit>(form, form, 16, 32, 220, 21);
  Caption(form, form, 16, 64, u"Address (a selection)");
  auto* address = MakePlain<TEdit>(form, form, 16, 84, 220, 21);
  address->SetText(u"12 Harbour Street, Portsmouth");
  address->SetHideSelection(false);
  Caption(form, form, 16, 116, u"Password");
  auto* password = MakePlain<TEdit>(form, form, 16, 136, 220, 21);
  password->SetPasswordChar(u'\x2022');
  password->SetText(u"lantern");
  Caption(form, form, 16, 168, u"Upper case, read-only");
  auto* code = MakePlain<TEdit>(form, form, 16, 188, 220, 21);
  code->SetCharCase(ecUpperCase);
  code->SetText(u"qn-2026-edit");
  code->SetReadOnly(true);
  code->SetColor(clBtnFace);
  Caption(form, form, 16, 220, u"Disabled");
  auto* off = MakePlain<TEdit>(form, form, 16, 240, 220, 21);
  off->SetText(u"Not available");
  off->SetEnabled(false);

  // Middle: a wrapped memo scrolled to its middle, and a read-only one.
  Caption(form, form, 256, 12, u"Word-wrapped, scrolled halfway");
  auto* story = MakePlain<TMemo>(form, form, 256, 32, 240, 150);
  story->SetScrollBars(ssVertical);
  story->SetText(kStory);
  story->SetHideSelection(false);
  Caption(form, form, 256, 196, u"Read-only memo");
  auto* notes = MakePlain<TMemo>(form, form, 256, 216, 240, 96);
  notes->SetReadOnly(true);
  notes->SetColor(clBtnFace);
  notes->Lines()->Add(u"Opening hours");
  notes->Lines()->Add(u"Mon-Fri\t9:00 - 17:30");
  notes->Lines()->Add(u"Saturday\t10:00 - 14:00");
  notes->Lines()->Add(u"Sunday\tclosed");
  int stop = 56;  // dialog units: a quarter of the average character width
  SendMessageW(notes->Handle(), EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
  Caption(form, form, 16, 280, u"Right-aligned memo");
  auto* right = MakePlain<TMemo>(form, form, 16, 300, 220, 60);
  right->SetAlignment(taRightJustify);
  right->SetText(u"Total 1,284.50\r\nVAT 256.90");

  // Right: a transparent memo over a picture.
  Caption(form, form, 516, 12, u"Transparent, over a picture");
  auto* picture = MakePlain<TPicturePanel>(form, form, 516, 32, 228, 280);
  auto* clear = MakePlain<TClearMemo>(picture, form, 14, 14, 200, 150);
  clear->SetBorderStyle(bsNone);
  clear->SetText(u"Evening on the headland.\r\n\r\nThe text of this memo is drawn straight onto the "
                 u"picture: the edit fills nothing behind it.");

  form->Show();
  Application->ProcessMessages();

  // Type into the first edit; select a word of the address with the mouse
  // (a double click), then scroll the story and pick a phrase in it.
  name->SetFocus();
  InputType(u"Ada Lovelace");
  Application->ProcessMessages();
  address->SetSelStart(3);
  address->SetSelLength(7);
  SendMessageW(story->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 4), 0);
  LRESULT start = SendMessageW(story->Handle(), EM_LINEINDEX, 5, 0);
  SendMessageW(story->Handle(), EM_SETSEL, WPARAM(start + 3), LPARAM(start + 19));
  Application->ProcessMessages();
  form->Update();
  SaveWindowSnapshot(form->Handle(), path);
  Hold();  // live: the page stays up until its windows are closed

  delete form;
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path};
}

}  // namespace gallery
