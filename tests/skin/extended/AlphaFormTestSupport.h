// What the alpha form, marquee and balloon hint tests share: the input
// queue on the virtual clock, a plain desktop of a known colour, forms at
// known places, and test skin images ("Solid<AARRGGBB>": a 30 x 30 square
// of that colour).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "skin/extended/uQuarnAlphaForm.h"
#include "skin/forms/uQuarnForm.h"
#include "tests/platform/user/UserTestSupport.h"

namespace alphatest {

using namespace qn;

inline constexpr COLORREF kDesktop = 0x00FF0000;  // blue

class AlphaTest : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    SetDesktopColor(kDesktop);
    TQuarnResManagerObj()->SetOnGetImage([](TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
      if (Id.rfind(u"Solid", 0) != 0 || Id.size() != 13) return;
      const TColor32 c = TColor32(std::stoul(std::string(Id.begin() + 5, Id.end()), nullptr, 16));
      Image->SetSize(30, 30);
      Image->Clear(c);
      Handled = true;
    });
  }
  void TearDown() override {
    FForms.clear();
    usertest::Pump();
    gHookedCursor = false;
    TQuarnResManagerObj()->SetOnGetImage(nullptr);
    usertest::InputServerTest::TearDown();
  }
  // A form at (X, Y) of W x H, not yet shown.
  TForm* NewForm(Integer X, Integer Y, Integer W, Integer H) {
    FForms.push_back(std::make_unique<TForm>(nullptr));
    TForm* f = FForms.back().get();
    f->SetPosition(poDesigned);
    f->SetBounds(X, Y, W, H);
    return f;
  }
  void Show(TForm* F) {
    F->Show();
    usertest::Pump();
  }
  static TRect WindowRect(TForm* F) {
    TRect r;
    GetWindowRect(F->Handle(), &r);
    return r;
  }
  // The pointer at window point (X, Y) of F.
  static void MoveTo(TForm* F, Integer X, Integer Y) {
    const TRect w = WindowRect(F);
    InputMouseMove(w.Left + X, w.Top + Y);
    usertest::Pump();
  }
  static void Press() {
    InputMouseDown(VK_LBUTTON);
    usertest::Pump();
  }
  static void Release() {
    InputMouseUp(VK_LBUTTON);
    usertest::Pump();
  }
  // The clock in 1-ms steps, so every timer fires when due.
  static void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; ++i) {
      AdvanceClock(1);
      usertest::Pump();
    }
  }
  static uint32_t ScreenAt(Integer X, Integer Y) { return CaptureScreen().Pixel(X, Y) & 0xFFFFFFu; }

  std::vector<std::unique_ptr<TForm>> FForms;
};

// Channels of two 0xRRGGBB colours within Tol of each other.
inline bool Near(uint32_t A, uint32_t B, int Tol = 1) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(int((A >> s) & 0xFF) - int((B >> s) & 0xFF)) > Tol) return false;
  return true;
}

}  // namespace alphatest
