// Gallery page "messages": a skinned application form with a message box
// open over it (question icon, the don't-show-again check box, three
// buttons, captions from a message-box style) and three notifications
// stacked at the bottom-right corner of the work area: the lowest with a
// button, the newest still fading in. The screen is taken inside the box's
// modal loop. messages.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/extended/uQuarnMessageBox.h"
#include "skin/extended/uQuarnPopupMessage.h"

namespace gallery {

namespace {

using namespace qn;

// The clock in 1-ms steps, every timer served on time.
void Wait(int Ms) {
  for (int i = 0; i < Ms; ++i) {
    AdvanceClock(1);
    PumpMessages();
  }
}

void UseFont(TFont* F, int Size, bool Bold, TColor Color) {
  F->SetName(u"DejaVu Sans");
  F->SetSize(Size);
  F->SetStyle(Bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
  F->SetColor(Color);
}

TQuarnLabel* Text(TWinControl* Parent, int X, int Y, const String& S, int Size, bool Bold, TColor Color) {
  auto* l = new TQuarnLabel(Parent);
  l->SetParent(Parent);
  UseFont(l->Font(), Size, Bold, Color);
  l->SetCaption(S);
  l->SetLeft(X);
  l->SetTop(Y);
  return l;
}

constexpr TColor kInk = TColor(0x00463A2E);

}  // namespace

std::vector<std::string> MessagesPage(const std::string& outDir) {
  SetScreenSize(1120, 720);
  SetDesktopColor(RGB(46, 62, 84));
  SetVirtualClock(true);
  const std::string path = outDir + "/messages.png";
  bool shot = false;
  Integer answer = 0;
  bool dontAsk = true;
  bool midFade = false;
  {
    // The application's form, with the picture's legend.
    auto form = NewSkinnedForm(TRect(24, 24, 850, 660), u"Notes \u2014 unsaved changes");
    TForm* f = form.get();
    const int lx = 24, ly = 24;
    Text(f, lx, ly, u"Message box (centre of the screen)", 9, true, kInk);
    Text(f, lx + 14, ly + 22, u"\u2022 Title bar: the dialog's own skin with the small close button", 9, false, kInk);
    Text(f, lx + 14, ly + 42, u"\u2022 Question icon, text beside it; Ctrl+C copies title and text", 9, false, kInk);
    Text(f, lx + 14, ly + 62, u"\u2022 Don't-show-again check box, left; buttons right-aligned beside it", 9, false,
         kInk);
    Text(f, lx + 14, ly + 82, u"\u2022 Save (the Yes button) is the default for Enter, Cancel answers Escape", 9,
         false, kInk);
    Text(f, lx + 14, ly + 102, u"\u2022 Captions and fonts come from a message-box style component", 9, false, kInk);
    const int ny = 470;
    Text(f, lx, ny, u"Notifications (right, bottom to top)", 9, true, kInk);
    Text(f, lx + 14, ny + 22, u"\u2022 Oldest, lowest: carries a button, closes when it is pressed", 9, false, kInk);
    Text(f, lx + 14, ny + 42, u"\u2022 Middle: shown, waiting out its pause at full opacity", 9, false, kInk);
    Text(f, lx + 14, ny + 62, u"\u2022 Newest, top: still fading in, at half opacity", 9, false, kInk);
    Text(f, lx + 14, ny + 82, u"\u2022 Each sits one pixel above the one before; none takes the focus", 9, false,
         kInk);
    form->Show();
    PumpMessages();

    // The box's look: English captions and the gallery's font.
    TQuarnMessageBoxStyle style(nullptr);
    style.SetDefineYesButtonText(u"Save");
    style.SetDefineNoButtonText(u"Discard");
    style.SetDefineCancelButtonText(u"Cancel");
    style.SetDefineDonotShowAgainText(u"Don't ask me again");
    UseFont(style.CaptionFont(), 9, true, kInk);
    UseFont(style.MessageFont(), 9, false, kInk);
    UseFont(style.ButtonFont(), 9, false, kInk);
    UseFont(style.ButtonHotFont(), 9, false, TColor(0x00A05A1E));
    style.Form()->SetActiveGradient(false);

    // Three notifications: the first with a button, the last caught in its
    // fade-in.
    TQuarnPopupMessage notes(nullptr);
    notes.SetClosePause(0);
    UseFont(notes.TitleFont(), 9, true, kInk);
    UseFont(notes.TextFont(), 9, false, kInk);
    notes.Button()->SetVisible(true);
    notes.Button()->SetCaption(u"Install");
    UseFont(notes.Button()->Font(), 9, false, kInk);
    UseFont(notes.Button()->HotFont(), 9, false, TColor(0x00A05A1E));
    notes.Popup(u"Update ready", u"Version 2.4 can be installed now. It takes about a minute.", miInformation);
    notes.Button()->SetVisible(false);
    Wait(300);
    notes.Popup(u"Backup complete", u"All 1,204 files were copied to the archive disk.", miSuccess);
    Wait(300);
    TQuarnPopupForm* fading =
        notes.Popup(u"Sync failed", u"The server did not answer. The next try is in five minutes.", miFailue);
    Wait(125);
    midFade = fading->AlphaBlendValue() > 60 && fading->AlphaBlendValue() < 200;

    // Inside the box's modal loop: the pointer rests on Save, the screen is
    // taken, then Save is pressed. Live, the person answers the box.
    TModalIdleHook old;
    if (!Live())
      old = SetModalIdleHook([&] {
        if (shot) return false;
        for (Integer i = 0; i < Screen->FormCount(); ++i) {
          auto* box = dynamic_cast<TQuarnMessageForm*>(Screen->Forms(i));
          if (!box || !box->Visible()) continue;
          TQuarnButton* save = box->Buttons(mbYes);
          const TPoint p = save->ClientToScreen(TPoint(save->Width() / 2, save->Height() / 2));
          InputMouseMove(p.X, p.Y);
          PumpMessages();
          SaveScreenSnapshot(path);
          shot = true;
          InputMouseDown(VK_LBUTTON);
          InputMouseUp(VK_LBUTTON);
          return true;
        }
        return false;
      });
    answer = QnMessageBox(u"Close document",
                          u"The document \"Notes\" has unsaved changes.\r\nSave them before closing?", biConfirmation,
                          {mbYes, mbNo, mbCancel}, true, dontAsk);
    if (Live()) {
      SaveScreenSnapshot(path);
      shot = true;
      answer = mrYes;
      Hold();  // the form and the notifications stay until they are closed
      return {path};
    }
    SetModalIdleHook(old);
    ResetInput();
  }
  PumpMessages();
  SetVirtualClock(false);
  if (!shot) throw Exception(u"the messages page missed its picture inside the box's loop");
  if (!midFade) throw Exception(u"the messages page's newest notification is not mid-fade");
  if (answer != mrYes) throw Exception(u"the messages page's box did not answer Save");
  return {path};
}

}  // namespace gallery
