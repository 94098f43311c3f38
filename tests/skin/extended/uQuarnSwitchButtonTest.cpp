// The switch button driven by the input driver on a plain form: when it
// toggles and reports, the focus and keyboard rules, and which frame of
// which strip shows, by probes against the skin's own strips.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/classes/FormText.h"
#include "skin/extended/uQuarnSwitchButton.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_switch_button_test {

using namespace qn;

namespace {

// Blending an opaque frame may round a channel by a level.
bool Close(TColor32 A, TColor32 B, int Tol) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > Tol) return false;
  return true;
}

class uQuarnSwitchButton : public skintest::RootTest {
 protected:
  TQuarnSwitchButton* Switch() {
    auto* S = Make<TQuarnSwitchButton>(20, 20, 34, 18);
    S->SetOnChanged([this](TObject*) { ++Changes; });
    return S;
  }
  // A point of frame Frame of the strip that is opaque and differs from the
  // strip's other frames there, and its colour.
  static bool Marker(const TQnResID& Strip, Integer Frame, Integer& X, Integer& Y, TColor32& C) {
    TQuarnImage* I = TQuarnResManagerObj()->GetImageByName(Strip);
    if (!I) return false;
    const Integer W = I->Width() / 3;
    for (Y = 0; Y < I->Height(); ++Y)
      for (X = 0; X < W; ++X) {
        C = I->GetPixel(Frame * W + X, Y);
        if ((C >> 24) != 255) continue;
        bool Unique = true;
        for (Integer K = 0; K < 3; ++K)
          if (K != Frame && Close(I->GetPixel(K * W + X, Y), C, 8)) Unique = false;
        // The other strip must differ there too, so the probe tells the state.
        TQuarnImage* O = TQuarnResManagerObj()->GetImageByName(Strip == u"QuarnSwitch_on" ? u"QuarnSwitch_off"
                                                                                          : u"QuarnSwitch_on");
        if (O && Close(O->GetPixel(Frame * W + X, Y), C, 8)) Unique = false;
        if (Unique) return true;
      }
    return false;
  }
  bool Shows(TQuarnSwitchButton* S, const TQnResID& Strip, Integer Frame) {
    Integer X, Y;
    TColor32 C;
    if (!Marker(Strip, Frame, X, Y, C)) return false;
    usertest::Pump();
    return Close(S->Buffer()->GetPixel(X, Y), C, 2);
  }
  int Changes = 0;
};

}  // namespace

TEST_F(uQuarnSwitchButton, APressTogglesAtOnceAndADoubleClickOnce) {
  auto* S = Switch();
  EXPECT_EQ(S->ControlStyle(), (TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks}));
  EXPECT_EQ(S->Width(), 34);
  EXPECT_EQ(S->Height(), 18);
  EXPECT_TRUE(S->TabStop());
  MoveTo(S, 10, 8);
  EXPECT_TRUE(Shows(S, u"QuarnSwitch_off", 1));
  Press();
  EXPECT_TRUE(S->Checked());
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(GetFocus(), S->Handle());
  // Held and moved off: the pressed frame of the new state.
  MoveTo(S, 60, 40);
  EXPECT_TRUE(Shows(S, u"QuarnSwitch_on", 2));
  Release();
  EXPECT_EQ(Changes, 1);
  EXPECT_TRUE(Shows(S, u"QuarnSwitch_on", 0));
  MoveTo(S, 10, 8);
  EXPECT_TRUE(Shows(S, u"QuarnSwitch_on", 1));
  Wait(600);
  Press();
  Release();
  Press();
  Release();
  EXPECT_EQ(Changes, 2);
  EXPECT_FALSE(S->Checked());
  // Setting the state it has reports nothing.
  S->SetChecked(false);
  EXPECT_EQ(Changes, 2);
  S->SetChecked(true);
  EXPECT_EQ(Changes, 3);
}

TEST_F(uQuarnSwitchButton, FocusAndSpaceOnlyWhileCanFocused) {
  auto* S = Switch();
  MoveTo(S, 10, 8);
  Press();
  Release();
  ASSERT_EQ(GetFocus(), S->Handle());
  Key(VK_SPACE);
  EXPECT_FALSE(S->Checked());
  EXPECT_EQ(Changes, 2);

  auto* T = Make<TQuarnSwitchButton>(100, 20, 34, 18);
  T->SetCanFocused(false);
  T->SetOnChanged([this](TObject*) { ++Changes; });
  MoveTo(T, 10, 8);
  Wait(600);
  Press();
  Release();
  EXPECT_TRUE(T->Checked());
  EXPECT_EQ(Changes, 3);
  EXPECT_EQ(GetFocus(), S->Handle());
  T->SetFocus();
  ASSERT_EQ(GetFocus(), T->Handle());
  Key(VK_SPACE);
  EXPECT_TRUE(T->Checked());
  EXPECT_EQ(Changes, 3);
  EXPECT_TRUE(T->TabStop());
}

TEST_F(uQuarnSwitchButton, MissingImagesAndFramesDrawNothing) {
  auto* S = Switch();
  int Draws = 0;
  S->SetCustomDraw([&](TObject*, TBitmap32*) { ++Draws; });
  Picture(S);
  EXPECT_GE(Draws, 1);
  EXPECT_TRUE(Shows(S, u"QuarnSwitch_off", 0));

  // A frame index past the strip: frames were cut, so the hook still runs.
  S->ImageOFF()->SetNormal(3);
  Draws = 0;
  TBitmap32* B = Picture(S);
  EXPECT_GE(Draws, 1);
  for (Integer Y = 0; Y < 17; ++Y)
    for (Integer X = 0; X < 34; ++X) ASSERT_EQ(B->GetPixel(X, Y) & 0xFFFFFF, RootColour()) << X << "," << Y;

  // No image at all: nothing drawn and no hook.
  S->ImageON()->SetImage(u"NoSuchImage");
  S->SetChecked(true);
  Draws = 0;
  B = Picture(S);
  EXPECT_EQ(Draws, 0);
  for (Integer Y = 0; Y < 17; ++Y)
    for (Integer X = 0; X < 34; ++X) ASSERT_EQ(B->GetPixel(X, Y) & 0xFFFFFF, RootColour());
}

TEST_F(uQuarnSwitchButton, FormFileRoundTrip) {
  auto* S = Make<TQuarnSwitchButton>(0, 0, 34, 18);
  S->SetName(u"Switch1");
  S->SetChecked(true);
  S->SetCanFocused(false);
  S->ImageON()->SetHot(2);
  auto* T = new TQuarnSwitchButton(nullptr);
  TextToComponent(ComponentToText(S), T);
  EXPECT_TRUE(T->Checked());
  EXPECT_FALSE(T->CanFocused());
  EXPECT_EQ(T->ImageON()->Hot(), 2);
  EXPECT_EQ(T->ImageON()->Image(), u"QuarnSwitch_on");
  EXPECT_TRUE(T->ImageOFF()->Active());
  delete T;
}

TEST_F(uQuarnSwitchButton, GoldenPicture) {
  auto* A = Make<TQuarnSwitchButton>(10, 10, 34, 18);
  auto* B = Make<TQuarnSwitchButton>(60, 10, 34, 18);
  B->SetChecked(true);
  usertest::Pump();
  FRoot->Repaint();
  usertest::Pump();
  TScreenImage Shot = CaptureWindow(FRoot->Handle(), true);
  TScreenImage Part;
  Part.Width = 100;
  Part.Height = 38;
  for (Integer Y = 0; Y < Part.Height; ++Y)
    for (Integer X = 0; X < Part.Width; ++X) Part.Pixels.push_back(Shot.Pixel(X, Y));
  qntest::ExpectMatchesGolden(Part, "switch-button", 2, 4);
  (void)A;
}

}  // namespace t_u_quarn_switch_button_test
