// Gallery page "tips": a sign-up form on the screen with a titled tip
// (close button hot under the pointer) beside its user-name field, a red
// edit tip right of the password field, and a centred tip at a screen
// rectangle of its own. Saved as tips.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnEditTips.h"

namespace gallery {

namespace {

using namespace qn;

// A white field with a thin frame that looks like an edit box.
TPanel* Field(TForm* Form, Integer X, Integer Y, const String& Text) {
  auto* p = new TPanel(Form);
  p->SetParent(Form);
  p->SetBounds(X, Y, 220, 26);
  p->SetBevelOuter(bvLowered);
  p->SetColor(clWindow);
  p->SetAlignment(taLeftJustify);
  p->SetCaption(u"  " + Text);
  return p;
}

void Caption(TForm* Form, Integer X, Integer Y, const String& Text) {
  auto* p = new TPanel(Form);
  p->SetParent(Form);
  p->SetBounds(X, Y, 100, 26);
  p->SetBevelOuter(bvNone);
  p->SetAlignment(taRightJustify);
  p->SetCaption(Text);
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

}  // namespace

std::vector<std::string> TipsPage(const std::string& outDir) {
  SetScreenSize(900, 520);
  SetDesktopColor(RGB(70, 104, 140));
  SetVirtualClock(true);
  const std::string path = outDir + "/tips.png";

  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSingle);
  form->SetCaption(u"New account");
  form->SetBounds(40, 40, 420, 280);
  Caption(form.get(), 10, 30, u"User name");
  TPanel* user = Field(form.get(), 120, 30, u"jo");
  Caption(form.get(), 10, 72, u"E-mail");
  Field(form.get(), 120, 72, u"jo@example.org");
  Caption(form.get(), 10, 114, u"Password");
  TPanel* password = Field(form.get(), 120, 114, u"\u2022\u2022\u2022\u2022");
  auto* create = new TButton(form.get());
  create->SetParent(form.get());
  create->SetBounds(240, 190, 100, 28);
  create->SetCaption(u"Create");
  form->Show();
  Pump();

  // A titled tip beside the user-name field, with its close button.
  TQuarnTips tips(nullptr);
  tips.SetPauseTime(0);
  tips.TipsFont()->SetName(u"Tahoma");
  tips.TitleFont()->SetName(u"Tahoma");
  // Dark ink on the yellow body: the default orange reads poorly there.
  tips.TipsFont()->SetColor(TColor(RGB(92, 60, 8)));
  tips.TitleFont()->SetColor(TColor(RGB(150, 36, 24)));
  TRect beside(120 + 220 + 12, 4, 120 + 220 + 12 + 250, 4 + 30);
  HWND titled = tips.Show(u"User name", u"Three letters at least; letters, digits and dots only.", user, &beside,
                          hdCustom);

  // The edit tip right of the password field (the field owns it).
  auto* editTips = new TQuarnEditTips(password);
  editTips->SetPauseTime(0);
  editTips->TipsFont()->SetName(u"Tahoma");
  editTips->Show(u"Eight characters or more, please.");

  // A tip at a rectangle of the screen, its text centred on one line.
  TQuarnTips notes(nullptr);
  notes.SetPauseTime(0);
  notes.SetCloseButtonVisible(false);
  notes.SetTipsColor(TColor(RGB(236, 246, 255)));
  notes.SetFrameColor(TColor(RGB(70, 140, 210)));
  notes.TipsFont()->SetName(u"Tahoma");
  notes.TipsFont()->SetColor(TColor(RGB(30, 70, 120)));
  notes.TitleFont()->SetName(u"Tahoma");
  notes.TitleFont()->SetColor(TColor(RGB(20, 90, 170)));
  notes.SetAlignmentHorizontal(taCenter);
  notes.SetAlignmentVertical(taVerticalCenter);
  TRect corner(560, 380, 860, 420);
  notes.Show(u"Sync", u"Your settings were saved to the server.", nullptr, &corner);
  Pump();

  // The pointer rests on the titled tip's close button: it shows hot.
  auto* tw = static_cast<TQuarnTipsWindow*>(tips.List()->Last());
  RECT twr;
  GetWindowRect(titled, &twr);
  const TRect b = tw->CloseButtonRect();
  InputMouseMove(twr.Left + (b.Left + b.Right) / 2, twr.Top + (b.Top + b.Bottom) / 2);
  Pump();
  const bool hot = tw->MouseInTips() == itCloseButton;

  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed
  ResetInput();
  notes.CloseSubTipsWindow();
  tips.CloseSubTipsWindow();
  form.reset();
  Pump();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (!hot) throw Exception(u"the tips page's close button is not under the pointer");
  return {path};
}

}  // namespace gallery
