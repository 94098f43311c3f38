// Title-bar controls on a skinned form: adoption on the virtual clock,
// stale and foreign adoption requests, removal, the default layout and
// explicit positions, and the mouse driven through the input queue.
#include <gtest/gtest.h>

#include <memory>

#include "platform/desktop/Desktop.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_ncctrl_base_test {

using namespace qn;

namespace {

// Counts the frame-repaint requests the form gets.
class TInvalidateCounter : public TQnHookWindowProc {
  QN_CLASS(TInvalidateCounter, TQnHookWindowProc)
 public:
  explicit TInvalidateCounter(TComponent* AOwner) : TQnHookWindowProc(AOwner) {}
  Integer Count = 0;

 protected:
  void NewWndProc(TMessage& Message) override {
    if (Message.Msg == MM_INVALIDATE) ++Count;
    inherited::NewWndProc(Message);
  }
};

class uQuarnNCCtrlBase : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
  }
  void TearDown() override {
    FForm.reset();
    FOther.reset();
    gHookedCursor = false;
    usertest::InputServerTest::TearDown();
  }
  TForm* NewForm(bool Show = true) {
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsSizeable);
    FForm->SetBounds(100, 80, 400, 300);
    FSkin = new TQuarnForm(FForm.get());
    if (Show) FForm->Show();
    usertest::Pump();
    return FForm.get();
  }
  template <class T>
  T* Add() {
    auto* c = new T(FForm.get());
    usertest::Pump();
    return c;
  }
  HWND Wnd() const { return FForm->Handle(); }
  TRect WindowRect() const {
    TRect r;
    GetWindowRect(Wnd(), &r);
    return r;
  }
  // Moves the pointer to window point (X, Y) of the form.
  void MoveTo(Integer X, Integer Y) {
    const TRect w = WindowRect();
    InputMouseMove(w.Left + X, w.Top + Y);
    usertest::Pump();
  }
  void Press() {
    InputMouseDown(VK_LBUTTON);
    usertest::Pump();
  }
  void Release() {
    InputMouseUp(VK_LBUTTON);
    usertest::Pump();
  }
  static TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

  std::unique_ptr<TForm> FForm, FOther;
  TQuarnForm* FSkin = nullptr;
};

}  // namespace

TEST_F(uQuarnNCCtrlBase, AdoptedWithinOnePumpAndRequestsStop) {
  NewForm();
  auto* b = Add<TQuarnSystemButton>();
  ASSERT_EQ(FSkin->NCCtrlCount(), 1);
  EXPECT_TRUE(b->FHooked);
  EXPECT_EQ(b->FForm, FForm.get());
  // Later ticks ask no more: still one entry after a second of timer.
  for (int i = 0; i < 10; ++i) {
    AdvanceClock(100);
    usertest::Pump();
  }
  EXPECT_EQ(FSkin->NCCtrlCount(), 1);
}

TEST_F(uQuarnNCCtrlBase, CreatedBeforeTheWindowIsAdoptedOnceItExists) {
  NewForm(false);
  auto* b = Add<TQuarnNCLabel>();
  EXPECT_FALSE(b->FHooked);
  FForm->Show();
  usertest::Pump();
  AdvanceClock(100);
  usertest::Pump();
  EXPECT_TRUE(b->FHooked);
  EXPECT_EQ(FSkin->NCCtrlCount(), 1);
}

// A form shown and saved at once must already carry its title controls:
// no timer tick and a single pump, and the button is on the screen.
TEST_F(uQuarnNCCtrlBase, MadeWithTheFormTheyAreOnItsFirstPicture) {
  NewForm(false);
  auto* close = Add<TQuarnSystemButton>();
  auto* label = Add<TQuarnNCLabel>();
  label->SetCaption(u"Orders");
  EXPECT_FALSE(close->FHooked);
  FForm->Show();
  usertest::Pump();
  ASSERT_TRUE(close->FHooked);
  EXPECT_TRUE(label->FHooked);
  EXPECT_EQ(FSkin->NCCtrlCount(), 2);
  // On screen the button's box is not bare title: its glyph's two strokes
  // differ from the title between the caption and the button, more pixels
  // than the box has rows.
  const TScreenImage s = CaptureScreen();
  const TRect w = WindowRect(), b = close->GetRect();
  ASSERT_GT(b.Width(), 4);
  Integer marked = 0;
  for (Integer y = b.Top; y < b.Bottom; ++y) {
    const uint32_t bare = s.Pixel(w.Left + b.Left - 40, w.Top + y) & 0xFFFFFFu;
    for (Integer x = b.Left; x < b.Right; ++x)
      if ((s.Pixel(w.Left + x, w.Top + y) & 0xFFFFFFu) != bare) ++marked;
  }
  EXPECT_GT(marked, b.Height());
}

TEST_F(uQuarnNCCtrlBase, StaleAndForeignRequestsAreIgnoredRemovalFreesOnlyListed) {
  NewForm();
  FOther.reset(new TForm(nullptr));
  auto* foreign = new TQuarnNCImage(FOther.get());
  SendMessageW(Wnd(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(foreign), 0);
  EXPECT_EQ(FSkin->NCCtrlCount(), 0);

  auto* gone = new TQuarnNCImage(FForm.get());
  delete gone;
  SendMessageW(Wnd(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(gone), 0);
  usertest::Pump();
  EXPECT_EQ(FSkin->NCCtrlCount(), 0);

  auto* a = Add<TQuarnSystemButton>();
  auto* l = Add<TQuarnNCLabel>();
  ASSERT_EQ(FSkin->NCCtrlCount(), 2);
  // Twice the same request: one entry.
  SendMessageW(Wnd(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(a), 0);
  EXPECT_EQ(FSkin->NCCtrlCount(), 2);
  // Removing a control that is not listed does nothing (and frees nothing).
  SendMessageW(Wnd(), MM_REMOVENCCTRL, reinterpret_cast<WPARAM>(foreign), 0);
  EXPECT_TRUE(TQuarnNCCtrlBase::IsLive(foreign));
  SendMessageW(Wnd(), MM_REMOVENCCTRL, reinterpret_cast<WPARAM>(a), 0);
  EXPECT_FALSE(TQuarnNCCtrlBase::IsLive(a));
  EXPECT_EQ(FSkin->NCCtrlCount(), 1);
  EXPECT_EQ(FSkin->NCCtrls(0), l);
  // A control freed by its owner leaves the list.
  delete l;
  EXPECT_EQ(FSkin->NCCtrlCount(), 0);
}

TEST_F(uQuarnNCCtrlBase, DefaultLayoutAndExplicitPosition) {
  NewForm();
  auto* close = Add<TQuarnSystemButton>();
  FSkin->PaintFrame();
  const TSize s = close->GetSize();
  ASSERT_GT(s.cx, 0);
  const Integer W = 400, F = FSkin->FramWidth(), T = FSkin->TitleHeight();
  EXPECT_EQ(close->GetRect(), TRect(W - F - 2 - s.cx, (T - s.cy) / 2, W - F - 2, (T - s.cy) / 2 + s.cy));
  // Minimise added before maximise still sits left of it.
  auto* min = Add<TQuarnSystemButton>();
  min->SetKind(TQnSystemButtonKind::sbkMinimize);
  auto* max = Add<TQuarnSystemButton>();
  max->SetKind(TQnSystemButtonKind::sbkMaximize);
  auto* label = Add<TQuarnNCLabel>();
  label->SetCaption(u"Orders");
  auto* image = Add<TQuarnNCImage>();
  image->SetImage(u"QuarnTips_close");
  SendMessageW(Wnd(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(max->GetRect().Right, close->GetRect().Left - 2);
  EXPECT_EQ(min->GetRect().Right, max->GetRect().Left - 2);
  EXPECT_EQ(image->GetRect().Left, F + 6);
  EXPECT_EQ(label->GetRect().Left, image->GetRect().Right + 4);
  EXPECT_GT(label->GetRect().Right, label->GetRect().Left);
  // The form's own buttons line up left of the system buttons, each centred.
  auto* help = Add<TQuarnNCButton>();
  help->SetCaption(u"Help");
  auto* back = Add<TQuarnNCButton>();
  back->SetCaption(u"Back");
  SendMessageW(Wnd(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(help->GetRect().Right, min->GetRect().Left - 2);
  EXPECT_EQ(back->GetRect().Right, help->GetRect().Left - 2);
  EXPECT_EQ(help->GetRect().Top, (T - help->GetSize().cy) / 2);
  EXPECT_GT(back->GetRect().Left, label->GetRect().Right);

  close->Pos()->SetUseDefault(false);
  close->Pos()->SetXValue(22);
  close->Pos()->SetYValue(4);
  EXPECT_EQ(close->GetRect().TopLeft(), TPoint(W - 22, 4));
  close->Pos()->SetAlign(TNCCtrlAlign::caLeft);
  EXPECT_EQ(close->GetRect().TopLeft(), TPoint(22, 4));
}

TEST_F(uQuarnNCCtrlBase, CaptionChangeAsksOneRepaint) {
  NewForm();
  auto* label = Add<TQuarnNCLabel>();
  auto* counter = new TInvalidateCounter(FForm.get());
  label->SetCaption(u"Hello");
  EXPECT_EQ(counter->Count, 1);
  label->SetCaption(u"Hello");
  EXPECT_EQ(counter->Count, 1);
  const Integer w = label->GetSize().cx;
  label->Font()->SetSize(label->Font()->Size() * 2);
  EXPECT_GT(label->GetSize().cx, w);
  delete counter;
}

TEST_F(uQuarnNCCtrlBase, HoverPressAndReleaseOnTheCloseButton) {
  NewForm();
  auto* close = Add<TQuarnSystemButton>();
  FSkin->PaintFrame();
  const TPoint c = Centre(close->GetRect());
  MoveTo(c.X, c.Y);
  EXPECT_EQ(close->State(), TNCButtonState::bsHot);
  // Pressed, then released outside: nothing happens.
  Press();
  EXPECT_EQ(close->State(), TNCButtonState::bsPressed);
  MoveTo(200, 150);
  EXPECT_EQ(close->State(), TNCButtonState::bsNormal);
  Release();
  EXPECT_TRUE(IsWindowVisible(Wnd()));
  EXPECT_EQ(WindowRect(), TRect(100, 80, 500, 380));
  // Leaving the title clears the hot state.
  MoveTo(c.X, c.Y);
  EXPECT_EQ(close->State(), TNCButtonState::bsHot);
  MoveTo(200, 150);
  EXPECT_EQ(close->State(), TNCButtonState::bsNormal);
  // Pressed and released over it: the form closes.
  MoveTo(c.X, c.Y);
  Press();
  Release();
  EXPECT_FALSE(IsWindowVisible(Wnd()));
}

TEST_F(uQuarnNCCtrlBase, MaximiseThenRestore) {
  NewForm();
  auto* max = Add<TQuarnSystemButton>();
  max->SetKind(TQnSystemButtonKind::sbkMaximize);
  FSkin->PaintFrame();
  TPoint c = Centre(max->GetRect());
  MoveTo(c.X, c.Y);
  Press();
  Release();
  EXPECT_TRUE(IsZoomed(Wnd()));
  FSkin->PaintFrame();
  c = Centre(max->GetRect());
  MoveTo(c.X, c.Y);
  Press();
  Release();
  EXPECT_FALSE(IsZoomed(Wnd()));
  EXPECT_EQ(WindowRect(), TRect(100, 80, 500, 380));
}

TEST_F(uQuarnNCCtrlBase, ImageDragsTheFormUnlessItCapturesTheMouse) {
  NewForm();
  auto* image = Add<TQuarnNCImage>();
  image->SetImage(u"QuarnTips_close");
  FSkin->PaintFrame();
  Integer clicks = 0;
  struct TClick {
    Integer* N;
    void Click(TObject*) { ++*N; }
  } click{&clicks};
  image->SetOnClick(TNotifyEvent(&click, &TClick::Click));
  TPoint c = Centre(image->GetRect());
  MoveTo(c.X, c.Y);
  // The move loop reads the queued input itself.
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(100 + c.X + 30, 80 + c.Y + 20);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(), TRect(130, 100, 530, 400));
  EXPECT_EQ(clicks, 0);

  image->SetCaptureMouse(true);
  c = Centre(image->GetRect());
  MoveTo(c.X, c.Y);
  Press();
  Release();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(WindowRect(), TRect(130, 100, 530, 400));
}

TEST_F(uQuarnNCCtrlBase, CursorLeftAloneWhileHooked) {
  NewForm();
  gHookedCursor = true;
  EXPECT_EQ(SendMessageW(Wnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Wnd()), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)), 1);
  // A control that had set it and goes away clears it.
  auto* b = Add<TQuarnSystemButton>();
  b->FMouseEnter = true;
  delete b;
  EXPECT_FALSE(gHookedCursor);
}

TEST_F(uQuarnNCCtrlBase, ButtonShowsItsStripFrameByStateAndClicksOnRelease) {
  NewForm();
  auto* b = Add<TQuarnNCButton>();
  b->SetImage(u"QuarnBtn_close");
  TQuarnImage* strip = TQuarnResManagerObj()->GetImageByName(u"QuarnBtn_close");
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(b->GetSize().cx, strip->Width() / 3);
  EXPECT_EQ(b->GetSize().cy, strip->Height());
  FSkin->PaintFrame();
  Integer clicks = 0;
  struct TClick {
    Integer* N;
    void Click(TObject*) { ++*N; }
  } click{&clicks};
  b->SetOnClick(TNotifyEvent(&click, &TClick::Click));

  // Each state paints its own third of the strip.
  auto painted = [&](TNCButtonState expected) {
    EXPECT_EQ(b->State(), expected);
    const TRect r = b->GetRect();
    TBitmap32 buf;
    buf.SetSize(r.Right + 4, r.Bottom + 4);
    buf.Clear(0xFF000000);
    b->Paint(&buf);
    TBitmap32 want;
    want.SetSize(r.Right + 4, r.Bottom + 4);
    want.Clear(0xFF000000);
    const Integer fw = strip->Width() / 3, f = static_cast<Integer>(expected);
    strip->DrawTo(&want, r.Left, r.Top, TRect(f * fw, 0, f * fw + fw, strip->Height()));
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x) ASSERT_EQ(buf.GetPixel(x, y), want.GetPixel(x, y)) << x << "," << y;
  };
  painted(TNCButtonState::bsNormal);
  const TPoint c = Centre(b->GetRect());
  MoveTo(c.X, c.Y);
  painted(TNCButtonState::bsHot);
  Press();
  painted(TNCButtonState::bsPressed);
  // Released away from it: no click.
  MoveTo(200, 150);
  Release();
  EXPECT_EQ(clicks, 0);
  MoveTo(c.X, c.Y);
  Press();
  Release();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(IsWindowVisible(Wnd()));  // a button of the application's, not a system command

  // Without a strip the caption sets the size, and hovering lights the plate.
  b->SetImage(u"");
  EXPECT_EQ(b->GetSize().cx, 0);
  b->SetCaption(u"Help");
  EXPECT_GT(b->GetSize().cx, 12);
  EXPECT_GE(b->GetSize().cy, 20);
}

}  // namespace t_u_quarn_ncctrl_base_test
