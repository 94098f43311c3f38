// The balloon hint: the window class and pauses it installs and gives
// back, size and place of a one-line hint, the direction chosen near the
// edges of the control's monitor, the cursor placement, a direction event
// for one hint, a custom picture, the arrow drawn for each direction, a
// repeated paint, and hints after the component or its form went.
#include <gtest/gtest.h>

#include "platform/vcl/ExtCtrls.h"
#include "skin/extended/uQuarnHint.h"
#include "tests/skin/extended/AlphaFormTestSupport.h"

namespace t_u_quarn_hint_test {

using namespace qn;
using alphatest::Near;

namespace {

uint32_t Rgb(TColor C) {
  const Cardinal c = Cardinal(ColorToRGB(C));
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

class TDirectionAnswer : public TObject {
 public:
  THintDirection Answer = hdRight;
  Integer Calls = 0;
  void Select(TControl*, TPoint, THintDirection& D) {
    ++Calls;
    D = Answer;
  }
};

class TPictureSource : public TObject {
 public:
  TControl* AskedFor = nullptr;
  void Make(TControl* C, TBitmap32*& Image) {
    AskedFor = C;
    Image = new TBitmap32();
    Image->SetSize(50, 30);
    Image->Clear(0xFFC02020u);
  }
};

class uQuarnHint : public alphatest::AlphaTest {
 protected:
  void SetUp() override {
    AlphaTest::SetUp();
    FSavedClass = HintWindowClass;
    Application->SetShowHint(true);
  }
  void TearDown() override {
    Application->CancelHint();
    AlphaTest::TearDown();
    HintWindowClass = FSavedClass;
  }
  // A form at (X, Y) with the balloon component and a 100 x 30 panel with
  // a hint at (PX, PY) of its client.
  TPanel* MakeForm(Integer X, Integer Y, Integer W, Integer H, Integer PX, Integer PY) {
    FForm = NewForm(X, Y, W, H);
    FForm->SetBorderStyle(bsNone);
    FForm->SetColor(TColor(0x00303030));
    FHint = new TQuarnHint(FForm);
    FPanel = NewPanel(FForm, PX, PY);
    Show(FForm);
    return FPanel;
  }
  static TPanel* NewPanel(TForm* F, Integer X, Integer Y) {
    auto* p = new TPanel(F);
    p->SetParent(F);
    p->SetBounds(X, Y, 100, 30);
    p->SetHint(u"Saves the order");
    p->SetShowHint(true);
    return p;
  }
  // Rests the pointer on the control until its hint is up.
  TQuarnHintWindow* Hover(TControl* C) {
    const TPoint away = FForm->ClientToScreen(TPoint(2, 2));
    InputMouseMove(away.X, away.Y);
    usertest::Pump();
    Application->CancelHint();
    const TPoint p = C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2));
    InputMouseMove(p.X, p.Y);
    usertest::Pump();
    Wait(Application->HintPause() + 2);
    return dynamic_cast<TQuarnHintWindow*>(Application->ActiveHintWindow());
  }
  static TRect Bounds(TWinControl* W) {
    TRect r;
    GetWindowRect(W->Handle(), &r);
    return r;
  }
  // The hint font's measure of Text, as the balloon measures it.
  static TSize Measure(TFont* Font, const String& Text) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font->Handle());
    RECT r{0, 0, 1000, 0};
    DrawTextW(dc, Text.c_str(), int(Text.size()), &r, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    DeleteDC(dc);
    return TSize{r.Right - r.Left, r.Bottom - r.Top};
  }
  TForm* FForm = nullptr;
  TQuarnHint* FHint = nullptr;
  TPanel* FPanel = nullptr;
  TClass FSavedClass = nullptr;
};

}  // namespace

TEST_F(uQuarnHint, InstallsItsWindowClassAndPausesAndGivesThemBack) {
  Application->SetHintPause(100);
  Application->SetHintHidePause(100);
  FForm = NewForm(0, 0, 200, 200);
  auto* first = new TQuarnHint(FForm);
  EXPECT_EQ(Application->HintPause(), 600);
  EXPECT_EQ(Application->HintHidePause(), 2000);
  EXPECT_EQ(HintWindowClass, TQuarnHintWindow::StaticClass());
  first->SetHintPauseTime(750);
  first->SetHintHidePauseTime(3000);
  EXPECT_EQ(Application->HintPause(), 750);
  EXPECT_EQ(Application->HintHidePause(), 3000);
  EXPECT_EQ(first->HintFont()->Size(), 9);
  EXPECT_EQ(first->HintFont()->Color(), TColor(0x2E415A));
  // Only a form (or nothing) may own it; a refused one leaves no trace.
  TPanel owner(nullptr);
  EXPECT_THROW(TQuarnHint bad(&owner), EInvalidCast);
  EXPECT_EQ(owner.ComponentCount(), 0);
  auto* second = new TQuarnHint(nullptr);
  delete first;
  EXPECT_EQ(HintWindowClass, TQuarnHintWindow::StaticClass());
  delete second;
  EXPECT_EQ(HintWindowClass, FSavedClass);
}

TEST_F(uQuarnHint, OneLineHintSitsCentredBelowItsControl) {
  TPanel* p = MakeForm(100, 100, 500, 400, 150, 100);
  TQuarnHintWindow* w = Hover(p);
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(IsWindowVisible(w->Handle()));
  EXPECT_EQ(w->Direction(), hdDown);
  EXPECT_EQ(w->HintControl(), p);
  EXPECT_EQ(w->QnHint(), FHint);
  const TSize t = Measure(FHint->HintFont(), p->Hint());
  const TRect r = Bounds(w), c = Bounds(p);
  EXPECT_EQ(r.Width(), t.cx + 18);
  EXPECT_EQ(r.Height(), t.cy + 20);
  EXPECT_EQ(r.Left, c.Left + (c.Width() - r.Width()) / 2);
  EXPECT_EQ(r.Top, c.Bottom + 1);
  // Topmost, without a border of its own, without activation.
  EXPECT_TRUE(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongPtrW(w->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_NE(GetActiveWindow(), w->Handle());
}

TEST_F(uQuarnHint, ArrowBodyAndCornersForEachDirection) {
  TPanel* p = MakeForm(100, 100, 600, 500, 250, 200);
  FHint->SetAutoPosition(false);
  const uint32_t fill = Rgb(FHint->HintColor()), frame = Rgb(FHint->FrameColor());
  for (THintDirection d : {hdDown, hdUp, hdLeft, hdRight}) {
    FHint->SetHintDirection(d);
    TQuarnHintWindow* w = Hover(p);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->Direction(), d);
    const TRect r = Bounds(w);
    const Integer W = r.Width(), H = r.Height(), cx = W / 2, cy = H / 2;
    const TScreenImage s = CaptureScreen();
    auto at = [&](Integer x, Integer y) { return s.Pixel(r.Left + x, r.Top + y) & 0xFFFFFFu; };
    // Inside the arrow near its tip, beside the arrow (the screen that was
    // there), the frame of the body, and the opening under the arrow.
    struct {
      TPoint Tip, Beside, Frame, Opening, Body;
    } probe;
    switch (d) {
      case hdDown: probe = {{cx, 5}, {cx - 8, 3}, {2, 8}, {cx, 8}, {3, H - 3}}; break;
      case hdUp: probe = {{cx, H - 5}, {cx - 8, H - 3}, {2, H - 8}, {cx, H - 8}, {3, 3}}; break;
      case hdLeft: probe = {{W - 5, cy}, {W - 3, cy - 8}, {W - 8, 2}, {W - 8, cy}, {3, H - 3}}; break;
      case hdRight: probe = {{5, cy}, {3, cy - 8}, {8, 2}, {8, cy}, {W - 3, H - 3}}; break;
    }
    EXPECT_EQ(at(probe.Tip.X, probe.Tip.Y), fill) << int(d);
    // Beside the arrow: the screen as it was under the window.
    const uint32_t under = w->Background()->GetPixel(probe.Beside.X, probe.Beside.Y) & 0xFFFFFFu;
    EXPECT_EQ(at(probe.Beside.X, probe.Beside.Y), under) << int(d);
    EXPECT_NE(under, fill);
    EXPECT_EQ(at(probe.Frame.X, probe.Frame.Y), frame) << int(d);
    EXPECT_EQ(at(probe.Opening.X, probe.Opening.Y), fill) << int(d);
    EXPECT_EQ(at(probe.Body.X, probe.Body.Y), fill) << int(d);
    // The text is there, in the font's colour, somewhere in the body.
    Integer ink = 0;
    for (Integer y = 0; y < H; ++y)
      for (Integer x = 0; x < W; ++x) ink += Near(at(x, y), Rgb(FHint->HintFont()->Color()), 40);
    EXPECT_GT(ink, 10) << int(d);
  }
}

TEST_F(uQuarnHint, DirectionFollowsTheEdgesOfTheControlsMonitor) {
  struct {
    Integer PX, PY;
    THintDirection Want;
  } cases[] = {{300, 200, hdDown}, {300, 725, hdUp}, {900, 200, hdLeft}, {900, 725, hdLeft}};
  for (const auto& c : cases) {
    TPanel* p = MakeForm(0, 0, 1024, 768, c.PX, c.PY);
    TQuarnHintWindow* w = Hover(p);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Direction(), c.Want) << c.PX << "," << c.PY;
    // Placed on the chosen side.
    const TRect r = Bounds(w), b = Bounds(p);
    if (c.Want == hdUp) {
      EXPECT_EQ(r.Bottom, b.Top - 1);
    }
    if (c.Want == hdLeft) {
      EXPECT_EQ(r.Right, b.Left - 1);
    }
    FForms.clear();
    usertest::Pump();
  }
  // Room below for the text but not for the whole balloon (its margins
  // and arrow): above.
  {
    TFont f;
    f.SetSize(9);
    const Integer th = Measure(&f, u"Saves the order").cy;
    TPanel* p = MakeForm(0, 0, 1024, 768, 300, 768 - 30 - th - 15);
    TQuarnHintWindow* w = Hover(p);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Direction(), hdUp);
    EXPECT_GE(Bounds(w).Top, 0);
    FForms.clear();
    usertest::Pump();
  }
  // A second monitor left of the first: its own right and bottom edges
  // count, not the size of the first one from (0, 0).
  SetScreenConfiguration({{TRect(0, 0, 1024, 768), TRect(), true}, {TRect(-800, 0, 0, 600), TRect(), false}});
  TPanel* p = MakeForm(-800, 0, 800, 600, 650, 100);
  TQuarnHintWindow* w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Direction(), hdLeft);
  FForms.clear();
  usertest::Pump();
  p = MakeForm(-800, 0, 800, 600, 300, 555);
  w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Direction(), hdUp);
  ResetScreenConfiguration();
}

TEST_F(uQuarnHint, AtTheCursorWithoutAutoPositionAndAnEventForOneHint) {
  TPanel* p = MakeForm(100, 100, 500, 400, 150, 100);
  FHint->SetAutoPosition(false);
  FHint->SetHintDirection(hdRight);
  TQuarnHintWindow* w = Hover(p);
  ASSERT_NE(w, nullptr);
  POINT cur;
  GetCursorPos(&cur);
  EXPECT_EQ(Bounds(w).TopLeft(), TPoint(cur.X, cur.Y));
  EXPECT_EQ(w->Direction(), hdRight);
  const TSize t = Measure(FHint->HintFont(), p->Hint());
  EXPECT_EQ(Bounds(w).Width(), t.cx + 22);
  EXPECT_EQ(Bounds(w).Height(), t.cy + 12);

  // Placed by the control again; the event's answer is used for this hint
  // only, and beside the control.
  FHint->SetAutoPosition(true);
  FHint->SetHintDirection(hdDown);
  TDirectionAnswer answer;
  FHint->SetOnSelectHintDirection(TOnSelectHintDirection(&answer, &TDirectionAnswer::Select));
  w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_GE(answer.Calls, 1);
  EXPECT_EQ(w->Direction(), hdRight);
  EXPECT_EQ(FHint->HintDirection(), hdDown);
  EXPECT_EQ(Bounds(w).Left, Bounds(p).Right + 1);
  FHint->SetOnSelectHintDirection(nullptr);
  w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Direction(), hdDown);
}

TEST_F(uQuarnHint, ACustomPictureShowsAtItsSizeWithoutText) {
  TPanel* p = MakeForm(100, 100, 500, 400, 150, 100);
  TPictureSource source;
  FHint->SetOnCustomHint(TOnCustomHint(&source, &TPictureSource::Make));
  TQuarnHintWindow* w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(source.AskedFor, p);
  const TRect r = Bounds(w);
  EXPECT_EQ(r.Width(), 50);
  EXPECT_EQ(r.Height(), 30);
  EXPECT_EQ(r.Top, Bounds(p).Bottom + 1);
  const TScreenImage s = CaptureScreen();
  for (Integer y = 0; y < 30; ++y)
    for (Integer x = 0; x < 50; ++x) ASSERT_TRUE(Near(s.Pixel(r.Left + x, r.Top + y) & 0xFFFFFFu, 0xC02020u));
}

TEST_F(uQuarnHint, ASecondPaintRepaintsTheSame) {
  TPanel* p = MakeForm(100, 100, 500, 400, 150, 100);
  TQuarnHintWindow* w = Hover(p);
  ASSERT_NE(w, nullptr);
  const TScreenImage first = CaptureWindow(w->Handle());
  InvalidateRect(w->Handle(), nullptr, true);
  UpdateWindow(w->Handle());
  const TScreenImage second = CaptureWindow(w->Handle());
  ASSERT_EQ(first.Pixels.size(), second.Pixels.size());
  EXPECT_TRUE(first.Pixels == second.Pixels);
  // The component goes while its balloon is up: the balloon keeps what it
  // took and paints the same.
  delete FHint;
  FHint = nullptr;
  EXPECT_EQ(w->QnHint(), nullptr);
  InvalidateRect(w->Handle(), nullptr, true);
  UpdateWindow(w->Handle());
  EXPECT_TRUE(CaptureWindow(w->Handle()).Pixels == first.Pixels);
}

TEST_F(uQuarnHint, NoneInReachUsesTheDefaultsAndHintsGoOnAfterTheFormWent) {
  // A component owned by nothing installs the balloon but is in no
  // form's reach: the table's defaults apply.
  TQuarnHint* loose = new TQuarnHint(nullptr);
  loose->SetHintColor(TColor(0x00FF00));
  FForm = NewForm(100, 100, 500, 400);
  FForm->SetBorderStyle(bsNone);
  TPanel* p = NewPanel(FForm, 150, 100);
  Show(FForm);
  TQuarnHintWindow* w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->QnHint(), nullptr);
  const TRect r = Bounds(w);
  EXPECT_EQ(CaptureScreen().Pixel(r.Left + r.Width() / 4, r.Top + r.Height() / 2) & 0xFFFFFFu,
            Rgb(TQuarnHint::kHintColor));
  delete loose;

  // The balloon's form goes; hovering a control elsewhere is safe and
  // shows the application's plain hint again.
  TForm* holder = NewForm(700, 500, 100, 100);
  new TQuarnHint(holder);
  Show(holder);
  EXPECT_EQ(HintWindowClass, TQuarnHintWindow::StaticClass());
  w = Hover(p);
  ASSERT_NE(w, nullptr);
  EXPECT_NE(w->QnHint(), nullptr);
  FForms.pop_back();
  usertest::Pump();
  EXPECT_EQ(HintWindowClass, FSavedClass);
  Hover(p);
  EXPECT_NE(Application->ActiveHintWindow(), nullptr);
  EXPECT_EQ(dynamic_cast<TQuarnHintWindow*>(Application->ActiveHintWindow()), nullptr);
}

TEST_F(uQuarnHint, FormToBitmap32TakesTheAlphaFormsPictureOrTheFormsImage) {
  TForm* plain = NewForm(100, 100, 200, 120);
  plain->SetBorderStyle(bsNone);
  plain->SetColor(TColor(0x00336699));
  Show(plain);
  std::unique_ptr<TBitmap32> b = FormToBitmap32(plain);
  ASSERT_EQ(b->Width(), plain->ClientWidth());
  EXPECT_EQ(b->GetPixel(50, 50) & 0xFFFFFFu, 0x996633u);
  TForm* layered = NewForm(400, 100, 200, 120);
  auto* a = new TQuarnAlphaForm(layered);
  a->SetBackground(u"SolidFF112233");
  Show(layered);
  b = FormToBitmap32(layered);
  ASSERT_EQ(b->Width(), 200);
  EXPECT_EQ(b->GetPixel(100, 60), 0xFF112233u);
  EXPECT_EQ(a->SaveBitmap(), nullptr);
}

}  // namespace t_u_quarn_hint_test
