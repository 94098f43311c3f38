// Gallery page "calendar": three months — one plain with its focus day, one
// with a range whose outside days are disabled and a hot cell, one with the
// default weekday names and red weekends — and the hour, minute and second
// boxes, one with a hot cross and two with a hot cell. The hot looks are
// brought about by the input driver one at a time and laid into the window
// picture. Saved as calendar.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnCalendar.h"
#include "skin/extended/uQuarnTimeBox.h"

namespace gallery {

namespace {

using namespace qn;

constexpr TColor kInk = TColor(0x00463A2E);
constexpr TColor kNote = TColor(0x006E625A);

class TCalendarSheet : public TCustomControl {
  QN_CLASS(TCalendarSheet, TCustomControl)
 public:
  explicit TCalendarSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    TCanvas* c = Canvas();
    c->Brush()->SetColor(TColor(RGB(250, 247, 244)));
    c->FillRect(r);
  }
};

void Pump() {
  MSG m;
  for (int i = 0; i < 5000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&m);
}

struct TShot {
  Integer X, Y;
  std::unique_ptr<TBitmap32> Picture;
};

}  // namespace

std::vector<std::string> CalendarPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnCalendarPage";
  RegisterClassExW(&wc);
  const Integer w = 790, h = 412;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnCalendarPage", u"Calendar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(),
                              wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TCalendarSheet>(nullptr);
  TCalendarSheet* s = sheet.get();
  s->SetBounds(0, 0, w, h);
  s->SetParentWindow(host);

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
  auto calendar = [&](Integer X, const String& Title, const String& Note, Word Y, Word M, Word D) {
    label(X, 12, Title, 9, true);
    label(X, 28, Note, 8, false, kNote);
    auto* c = new TQuarnCalendar(s);
    c->SetParent(s);
    c->SetBounds(X, 48, 232, 157);
    c->SetDate(EncodeDate(Y, M, D));
    return c;
  };
  const char16_t* names[7] = {u"Su", u"Mo", u"Tu", u"We", u"Th", u"Fr", u"Sa"};
  auto english = [&](TQuarnCalendar* c) {
    c->SetTextSu(names[0]);
    c->SetTextMo(names[1]);
    c->SetTextTu(names[2]);
    c->SetTextWe(names[3]);
    c->SetTextTh(names[4]);
    c->SetTextFr(names[5]);
    c->SetTextSa(names[6]);
  };
  auto* plain = calendar(15, u"May 2015", u"focus day 13, April and June in grey", 2015, 5, 13);
  english(plain);
  auto* ranged = calendar(277, u"February 2015, a range", u"8th to 21st only; the 17th hot", 2015, 2, 12);
  english(ranged);
  ranged->SetRange(EncodeDate(2015, 2, 8), EncodeDate(2015, 2, 21));
  auto* weekend = calendar(539, u"December 2026", u"default day names, weekends red", 2026, 12, 24);
  weekend->SetHolidayTextColor(TColor(0x002030C0));

  auto box = [&](Integer X, TQnBoxKind Kind, Integer W, const String& Title, const String& Note) {
    label(X, 232, Title, 9, true);
    label(X, 248, Note, 8, false, kNote);
    auto* b = new TQuarnTimeBox(s);
    b->SetParent(s);
    b->SetBounds(X, 268, W, 128);
    b->SetKind(Kind);
    b->SetTextHour(u"Hour");
    b->SetTextMinute(u"Minute");
    b->SetTextSecond(u"Second");
    return b;
  };
  auto* hours = box(15, bkHour, 128, u"Hour box", u"focus 9, the cross hot");
  hours->SetFocusNum(9);
  auto* minutes = box(183, bkMinute, 262, u"Minute box", u"focus 30, 47 hot");
  minutes->SetFocusNum(30);
  auto* seconds = box(485, bkSecond, 262, u"Second box", u"focus 5, 12 hot");
  seconds->SetFocusNum(5);
  Pump();

  ResetInput();
  SetVirtualClock(true);
  std::vector<TShot> shots;
  auto pointAt = [&](TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    Pump();
  };
  auto shoot = [&](TQuarnCustomControl* C) {
    C->Invalidate();
    Pump();
    auto pic = std::make_unique<TBitmap32>();
    pic->Assign(C->Buffer());
    shots.push_back({C->Left(), C->Top(), std::move(pic)});
  };
  auto centre = [](const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); };
  ranged->UpdateCells();
  const TPoint day17 = centre(ranged->DayCells()[2][2].Rect);
  pointAt(ranged, day17.X, day17.Y);
  shoot(ranged);
  pointAt(hours, hours->Width() - 11, 11);
  shoot(hours);
  minutes->UpdateCells();
  const TPoint m47 = centre(minutes->MinuteCell(7, 4).Rect);
  pointAt(minutes, m47.X, m47.Y);
  shoot(minutes);
  seconds->UpdateCells();
  const TPoint s12 = centre(seconds->MinuteCell(2, 1).Rect);
  pointAt(seconds, s12.X, s12.Y);
  shoot(seconds);
  pointAt(s, w - 5, h - 5);
  SetVirtualClock(false);
  ResetInput();

  const std::string path = outDir + "/calendar.png";
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();
  TBitmap32 page;
  LoadPNGintoBitmap32(&page, String(path.begin(), path.end()));
  for (TShot& shot : shots) {
    shot.Picture->SetDrawMode(TDrawMode::dmOpaque);
    shot.Picture->DrawTo(&page, shot.X, shot.Y);
  }
  SaveBitmap32ToPNG(&page, false, 0, String(path.begin(), path.end()), 6);
  sheet.reset();
  DestroyWindow(host);
  Pump();
  return {path};
}

}  // namespace gallery
