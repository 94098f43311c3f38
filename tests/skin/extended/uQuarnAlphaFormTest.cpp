// The layered alpha form: the sizing bands against a plain reference, the
// form dragged by a free spot but not by a control, adoption and removal
// of title-bar controls on the clock, the skin picture kept, skipped and
// copied, translucent skin composed over the desktop, sizing by a band,
// and a compose that lets no message through.
#include <gtest/gtest.h>

#include <random>

#include "tests/skin/extended/AlphaFormTestSupport.h"

namespace t_u_quarn_alpha_form_test {

using namespace qn;
using alphatest::Near;

namespace {

// Counts one message on its way to the form.
class TMessageCounter : public TQnHookWindowProc {
  QN_CLASS(TMessageCounter, TQnHookWindowProc)
 public:
  TMessageCounter(TComponent* AOwner, UINT Msg) : TQnHookWindowProc(AOwner), FMsg(Msg) {}
  Integer Count = 0;

 protected:
  void NewWndProc(TMessage& Message) override {
    if (Message.Msg == FMsg) ++Count;
    inherited::NewWndProc(Message);
  }

 private:
  UINT FMsg;
};

// A title-bar control that posts a message to its form while it paints.
class TPostingCtrl : public TQuarnNCCtrlBase {
  QN_CLASS(TPostingCtrl, TQuarnNCCtrlBase)
 public:
  explicit TPostingCtrl(TComponent* AOwner) : TQuarnNCCtrlBase(AOwner) {}
  void Paint(TBitmap32*) override { PostMessageW(OwnerForm()->Handle(), WM_APP + 7, 0, 0); }
};

class uQuarnAlphaForm : public alphatest::AlphaTest {
 protected:
  TForm* NewAlpha(TQnResID Background = u"SolidFF408060") {
    TForm* f = NewForm(100, 100, 400, 300);
    FAlpha = new TQuarnAlphaForm(f);
    FAlpha->SetBackground(Background);
    Show(f);
    return f;
  }
  TQuarnNCImage* NewImage(TForm* F, Integer X, Integer Y, bool Capture) {
    auto* c = new TQuarnNCImage(F);
    c->SetImage(u"SolidFF00FF00");
    c->Pos()->SetUseDefault(false);
    c->Pos()->SetAlign(TNCCtrlAlign::caLeft);
    c->Pos()->SetXValue(X);
    c->Pos()->SetYValue(Y);
    c->SetCaptureMouse(Capture);
    return c;
  }
  LRESULT HitTest(TForm* F, Integer X, Integer Y) {
    const TRect w = WindowRect(F);
    return SendMessageW(F->Handle(), WM_NCHITTEST, 0, MAKELPARAM(w.Left + X, w.Top + Y));
  }
  TQuarnAlphaForm* FAlpha = nullptr;
};

// The simple reference: which edges a point is near, then the code.
LRESULT Band(Integer X, Integer Y, Integer W, Integer H, Integer B) {
  const bool l = X < B, r = X >= W - B, t = Y < B, b = Y >= H - B;
  if (t && l) return HTTOPLEFT;
  if (t && r) return HTTOPRIGHT;
  if (b && r) return HTBOTTOMRIGHT;
  if (b && l) return HTBOTTOMLEFT;
  if (t) return HTTOP;
  if (b) return HTBOTTOM;
  if (l) return HTLEFT;
  if (r) return HTRIGHT;
  return HTCLIENT;
}

}  // namespace

TEST_F(uQuarnAlphaForm, RunTimeWindowIsBorderlessLayeredWithoutSystemMenu) {
  TForm* f = NewAlpha();
  EXPECT_EQ(f->BorderStyle(), bsNone);
  EXPECT_FALSE(f->Scaled());
  EXPECT_TRUE(GetWindowLongPtrW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_FALSE(GetWindowLongPtrW(f->Handle(), GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(FAlpha->HitTestWidth(), 10);
  EXPECT_TRUE(FAlpha->EnabledMove());
  // The window shows the skin colour (opaque) at its centre.
  EXPECT_TRUE(Near(ScreenAt(300, 250), 0x408060));
}

TEST_F(uQuarnAlphaForm, HitTestBandsMatchTheReferenceAndVanishWhenMaximised) {
  TForm* f = NewAlpha();
  for (Integer B : {10, 4, 25}) {
    FAlpha->SetHitTestWidth(B);
    std::mt19937 rng{unsigned(B)};
    // Every corner and edge strip, and random points anywhere.
    std::vector<TPoint> pts = {{0, 0}, {B - 1, B - 1}, {B, 0}, {399, 0}, {399, 299}, {0, 299}, {B, B}, {399 - B, 150}};
    for (int i = 0; i < 400; ++i) pts.emplace_back(Integer(rng() % 400), Integer(rng() % 300));
    for (const TPoint& p : pts)
      ASSERT_EQ(HitTest(f, p.X, p.Y), Band(p.X, p.Y, 400, 300, B)) << "B " << B << " at " << p.X << "," << p.Y;
  }
  FAlpha->SetHitTestWidth(10);
  ShowWindow(f->Handle(), SW_MAXIMIZE);
  usertest::Pump();
  ASSERT_TRUE(IsZoomed(f->Handle()));
  EXPECT_EQ(HitTest(f, 0, 0), HTCLIENT);
  EXPECT_EQ(HitTest(f, 5, 200), HTCLIENT);
  EXPECT_EQ(FAlpha->HitTestAt(TPoint(0, 0)), HTNOWHERE);
}

TEST_F(uQuarnAlphaForm, PressOnAFreeSpotDragsTheFormButNotOnAControl) {
  TForm* f = NewAlpha();
  auto* taker = NewImage(f, 40, 40, true);
  auto* passer = NewImage(f, 120, 40, false);
  Integer clicks = 0;
  struct TClicks : TObject {
    Integer* N;
    void Click(TObject*) { ++*N; }
  } sink;
  sink.N = &clicks;
  taker->SetOnClick(TNotifyEvent(&sink, &TClicks::Click));
  Wait(60);
  ASSERT_EQ(FAlpha->NCCtrlCount(), 2);

  // A free spot: the move loop takes the queued drag.
  MoveTo(f, 200, 150);
  const TRect before = WindowRect(f);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(before.Left + 230, before.Top + 170);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  TRect after = WindowRect(f);
  EXPECT_EQ(after.Left - before.Left, 30);
  EXPECT_EQ(after.Top - before.Top, 20);
  EXPECT_EQ(after.Width(), 400);

  // On the control that captures the mouse: no move, a click.
  MoveTo(f, 50, 50);
  ASSERT_TRUE(taker->FMouseEnter);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(after.Left + 55, after.Top + 52);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(f).TopLeft(), after.TopLeft());
  EXPECT_EQ(clicks, 1);

  // A picture that does not capture the mouse lets the drag through.
  MoveTo(f, 125, 45);
  ASSERT_TRUE(passer->FMouseEnter);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(after.Left + 115, after.Top + 45);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(f).Left - after.Left, -10);

  // Off the form, nothing stays hot.
  MoveTo(f, 50, 50);
  ASSERT_TRUE(taker->FMouseEnter);
  InputMouseMove(700, 600);
  usertest::Pump();
  EXPECT_FALSE(taker->FMouseEnter);

  // EnabledMove off: a free spot stays put.
  FAlpha->SetEnabledMove(false);
  after = WindowRect(f);
  MoveTo(f, 200, 200);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(after.Left + 260, after.Top + 240);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(f).TopLeft(), after.TopLeft());
}

TEST_F(uQuarnAlphaForm, AdoptedControlIsPaintedWithin50MsAndRemovalFreesIt) {
  TForm* f = NewAlpha();
  const TRect w = WindowRect(f);
  const Integer composed = FAlpha->ComposeCount();
  auto* c = NewImage(f, 60, 70, true);
  usertest::Pump();
  ASSERT_EQ(FAlpha->NCCtrlCount(), 1);
  EXPECT_TRUE(c->FHooked);
  EXPECT_TRUE(Near(ScreenAt(w.Left + 70, w.Top + 80), 0x408060));
  Wait(49);
  EXPECT_EQ(FAlpha->ComposeCount(), composed);
  Wait(1);
  EXPECT_EQ(FAlpha->ComposeCount(), composed + 1);
  EXPECT_TRUE(Near(ScreenAt(w.Left + 70, w.Top + 80), 0x00FF00));
  // Later requests of the same control adopt nothing more.
  PostMessageW(f->Handle(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(c), 0);
  usertest::Pump();
  EXPECT_EQ(FAlpha->NCCtrlCount(), 1);

  // Removal frees it (ASan watches) and the picture goes with it.
  SendMessageW(f->Handle(), MM_REMOVENCCTRL, reinterpret_cast<WPARAM>(c), 0);
  EXPECT_EQ(FAlpha->NCCtrlCount(), 0);
  EXPECT_EQ(f->ComponentCount(), 1);
  Wait(50);
  EXPECT_TRUE(Near(ScreenAt(w.Left + 70, w.Top + 80), 0x408060));
  // A stale pointer, or one of another form, is left alone.
  SendMessageW(f->Handle(), MM_REMOVENCCTRL, reinterpret_cast<WPARAM>(c), 0);
  PostMessageW(f->Handle(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(c), 0);
  TForm* other = NewForm(600, 100, 100, 100);
  auto* foreign = NewImage(other, 0, 0, false);
  PostMessageW(f->Handle(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(foreign), 0);
  usertest::Pump();
  EXPECT_EQ(FAlpha->NCCtrlCount(), 0);

  // A control freed while adopted leaves the list by itself.
  auto* gone = NewImage(f, 10, 10, true);
  usertest::Pump();
  ASSERT_EQ(FAlpha->NCCtrlCount(), 1);
  delete gone;
  EXPECT_EQ(FAlpha->NCCtrlCount(), 0);
  Wait(60);
}

TEST_F(uQuarnAlphaForm, BackgroundKeptSkippedAndCopied) {
  NewAlpha();
  const Integer composed = FAlpha->ComposeCount();
  // A missing image: no compose, the last picture stays.
  FAlpha->SetBackground(u"NoSuchSkinImage");
  EXPECT_EQ(FAlpha->ComposeCount(), composed);
  EXPECT_TRUE(Near(ScreenAt(300, 250), 0x408060));
  // The same id again does nothing; a new one composes once.
  FAlpha->SetBackground(u"NoSuchSkinImage");
  TBitmap32 saved;
  FAlpha->SetSaveBitmap(&saved);
  FAlpha->SetBackground(u"QuarnPreview_bkg");
  EXPECT_EQ(FAlpha->ComposeCount(), composed + 1);
  FAlpha->SetBackground(u"QuarnPreview_bkg");
  EXPECT_EQ(FAlpha->ComposeCount(), composed + 1);
  // The copy is the skin image nine-sliced to the form, in straight alpha:
  // corners 1:1, the middle of the image all over the middle.
  ASSERT_EQ(saved.Width(), 400);
  ASSERT_EQ(saved.Height(), 300);
  TBitmap32* img = TQuarnResManagerObj()->GetImageByName(u"QuarnPreview_bkg");
  const Integer iw = img->Width(), ih = img->Height();
  for (Integer i = 0; i < iw / 3; ++i) {
    EXPECT_EQ(saved.GetPixel(i, i), img->GetPixel(i, i));
    EXPECT_EQ(saved.GetPixel(399 - i, 299 - i), img->GetPixel(iw - 1 - i, ih - 1 - i));
    EXPECT_EQ(saved.GetPixel(399 - i, i), img->GetPixel(iw - 1 - i, i));
  }
  EXPECT_EQ(saved.GetPixel(200, 150), img->GetPixel(iw / 2, ih / 2));
  EXPECT_EQ(saved.GetPixel(200, 150) >> 24, 255u);
  // FormToBitmap32's route: set, compose, get.
  FAlpha->SetSaveBitmap(nullptr);
  FAlpha->DrawSelf();
  EXPECT_EQ(FAlpha->ComposeCount(), composed + 2);
}

TEST_F(uQuarnAlphaForm, TranslucentSkinComposesOverTheDesktop) {
  // 50 % red over the blue desktop; the picture is premultiplied on the
  // way, so the edge is not too bright.
  NewAlpha(u"Solid80FF0000");
  const uint32_t under = ScreenAt(10, 10);
  ASSERT_EQ(under, 0x0000FFu);
  const uint32_t at = ScreenAt(300, 250);
  EXPECT_TRUE(Near(at, 0x80007F, 2)) << std::hex << at;
  // Fully clear skin shows the desktop alone.
  FAlpha->SetBackground(u"Solid00FFFFFF");
  EXPECT_EQ(ScreenAt(300, 250), 0x0000FFu);
}

TEST_F(uQuarnAlphaForm, SizingFromABandRecomposesEachStep) {
  TForm* f = NewAlpha();
  TBitmap32 saved;
  FAlpha->SetSaveBitmap(&saved);
  const TRect w = WindowRect(f);
  MoveTo(f, 397, 150);
  const Integer composed = FAlpha->ComposeCount();
  InputMouseDown(VK_LBUTTON);
  for (Integer dx : {10, 20, 30}) InputMouseMove(w.Right - 3 + dx, w.Top + 150);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(f).Width(), 430);
  EXPECT_GE(FAlpha->ComposeCount(), composed + 3);
  EXPECT_EQ(saved.Width(), 430);
  // The new right edge is skin on the screen.
  EXPECT_TRUE(Near(ScreenAt(w.Left + 425, w.Top + 150), 0x408060));
  FAlpha->SetSaveBitmap(nullptr);
}

TEST_F(uQuarnAlphaForm, AMessagePostedDuringTheComposeStaysQueued) {
  TForm* f = NewAlpha();
  auto* counter = new TMessageCounter(f, WM_APP + 7);
  auto* c = new TPostingCtrl(f);
  usertest::Pump();
  counter->Count = 0;
  FAlpha->DrawSelf();
  EXPECT_EQ(counter->Count, 0);
  MSG m;
  EXPECT_TRUE(PeekMessageW(&m, f->Handle(), WM_APP + 7, WM_APP + 7, PM_NOREMOVE));
  usertest::Pump();
  EXPECT_EQ(counter->Count, 1);
  delete c;
}

TEST_F(uQuarnAlphaForm, ComponentGoneTheFormShowsItsOwnSurface) {
  TForm* f = NewAlpha();
  delete FAlpha;
  FAlpha = nullptr;
  usertest::Pump();
  EXPECT_FALSE(GetWindowLongPtrW(f->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  // Messages still reach the form without the hook.
  EXPECT_EQ(HitTest(f, 0, 0), HTCLIENT);
}

}  // namespace t_u_quarn_alpha_form_test
