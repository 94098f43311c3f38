// Gallery page "datetimepicker": a date-time picker edit with its drop-down
// form open under it — steppers, a December with the greyed days of its
// neighbouring months, the focus day, and the hour box opened from the time
// row — each part named beside it; and a second picker showing a date only,
// through a format of its own. The form is opened and the hour box popped
// up by the input driver. Saved as datetimepicker.png, cut from the screen
// so the drop-down shows with the page.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/DateUtils.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnDatetimePicker.h"

namespace gallery {

namespace {

using namespace qn;

constexpr TColor kInk = TColor(0x00463A2E);
constexpr TColor kNote = TColor(0x006E625A);

class TPickerSheet : public TCustomControl {
  QN_CLASS(TPickerSheet, TCustomControl)
 public:
  explicit TPickerSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    TCanvas* c = Canvas();
    c->Brush()->SetColor(TColor(RGB(250, 247, 244)));
    c->FillRect(r);
    // Leaders from the names on the right to the parts of the drop-down.
    c->Pen()->SetColor(TColor(RGB(168, 148, 130)));
    for (const TPoint& p : FLeaders) {
      c->MoveTo(p.X, p.Y);
      c->LineTo(FLeaderEnd, p.Y);
    }
  }

 public:
  std::vector<TPoint> FLeaders;
  Integer FLeaderEnd = 0;
};

}  // namespace

std::vector<std::string> DateTimePickerPage(const std::string& outDir) {
  SetVirtualClock(true);
  ResetInput();
  const Integer w = 790, h = 342;
  auto form = std::make_unique<TForm>(nullptr);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsNone);
  form->SetBounds(40, 40, w, h);
  auto* s = new TPickerSheet(form.get());
  s->SetParent(form.get());
  s->SetAlign(alClient);

  auto label = [&](Integer X, Integer Y, const String& Text, int Size = 9, bool Bold = false, TColor C = kInk) {
    auto* l = new TQuarnLabel(s);
    l->SetParent(s);
    l->Font()->SetName(u"DejaVu Sans");
    l->Font()->SetSize(Size);
    l->Font()->SetColor(C);
    if (Bold) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->SetLeft(X);
    l->SetTop(Y);
    l->SetCaption(Text);
    return l;
  };
  // The open picker, English texts throughout.
  label(15, 12, u"Date and time, system format", 9, true);
  label(15, 28, u"its icon pressed: the drop-down below", 8, false, kNote);
  auto* open = new TQuarnDatetimePicker(s);
  open->SetParent(s);
  open->SetBounds(15, 46, 180, 26);
  open->SetDefineHourText(u"Hour");
  open->SetDefineMinuteText(u"Minute");
  open->SetDefineSecondsText(u"Second");
  open->SetDefineClearText(u"Clear");
  open->SetDefineTodayText(u"Today");
  open->SetDefineOKText(u"OK");
  open->SetDefineTimeText(u"Time");
  open->SetDefineSuText(u"Su");
  open->SetDefineMoText(u"Mo");
  open->SetDefineTuText(u"Tu");
  open->SetDefineWeText(u"We");
  open->SetDefineThText(u"Th");
  open->SetDefineFrText(u"Fr");
  open->SetDefineSaText(u"Sa");
  open->SetDateTime(EncodeDateTime(2026, 12, 10, 9, 41, 7, 0));

  // The drop-down's top-left in the sheet, and its parts' rows.
  const Integer fx = 16, fy = 46 + 26 + 1;
  const Integer nx = 300;
  s->FLeaderEnd = nx - 6;
  struct TPart {
    Integer Y;
    Integer FromX;
    const char16_t* Name;
    const char16_t* Note;
  };
  const TPart parts[] = {
      {fy + 20, fx + 240, u"Year and month steppers", u"a click on a number edits it in place"},
      {fy + 50, fx + 240, u"Weekday header", u"the day names the picker hands over"},
      {fy + 95, fx + 225, u"Focus day", u"10 December, shaded"},
      {fy + 161, fx + 225, u"Neighbouring month, greyed", u"a click on 1 January picks it at once"},
      {fy + 212, fx + 240, u"Time row and buttons", u"hour : minute : second, Clear, Today, OK"},
  };
  for (const TPart& p : parts) {
    s->FLeaders.push_back(TPoint(p.FromX, p.Y));
    label(nx, p.Y - 8, p.Name, 8, true);
    label(nx + 190, p.Y - 8, p.Note, 8, false, kNote);
  }

  // The hour box hangs over the calendar's left half: named below the form.
  label(fx, fy + 232 + 8, u"Hour box", 8, true);
  label(fx + 62, fy + 232 + 8, u"over the calendar, opened from the time row's hour; 9 is its focus", 8, false, kNote);

  // A second picker: the date alone, in a format of its own.
  label(540, 12, u"Date only, with a format", 9, true);
  label(540, 28, u"tkDate, format 'ddd d mmm yyyy'", 8, false, kNote);
  auto* dated = new TQuarnDatetimePicker(s);
  dated->SetParent(s);
  dated->SetBounds(540, 46, 170, 26);
  dated->SetKind(tkDate);
  dated->SetFormat(u"ddd d mmm yyyy");
  dated->SetDateTime(EncodeDateTime(2027, 3, 21, 0, 0, 0, 0));

  form->Show();
  PumpRounds();

  // The icon pressed, then the hour of the time row.
  auto click = [](TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    PumpRounds(2);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    PumpRounds(2);
  };
  const TRect icon = open->EdItems()->Items(0)->GetRect();
  click(open, (icon.Left + icon.Right) / 2, (icon.Top + icon.Bottom) / 2);
  TQnDateTimePickerForm* drop = open->DropDownForm();
  std::vector<std::string> written;
  if (drop) {
    click(drop->lblHour, drop->lblHour->Width() / 2, drop->lblHour->Height() / 2);
    PumpRounds();
    const TScreenImage shot = CutWindows({form->Handle(), drop->Handle()});
    const std::string path = outDir + "/datetimepicker.png";
    SavePng(shot, path);
    written.push_back(path);
  }
  // Live, the form stays up for the person, its picker open where the
  // script opened it.
  Hold();
  // The drop-down frees itself once it closes, as it may have while live.
  bool dropped = false;
  for (Integer i = 0; drop && i < Screen->FormCount() && !dropped; ++i) dropped = Screen->Forms(i) == drop;
  if (dropped) drop->QnLikeMenuDlg1->Stop();
  PumpRounds(2);
  form.reset();
  PumpRounds(1);
  ResetInput();
  SetVirtualClock(false);
  return written;
}

}  // namespace gallery
