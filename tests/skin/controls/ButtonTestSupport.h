// Shared fixture of the button suites: a shown form with an opaque
// one-colour skinned sheet on it, the virtual clock, the input driver, and
// synthetic state strips whose frames are solid colours, so a face tells
// which frame it shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uQuarnResManager.h"

namespace buttontest {

using namespace qn;

// The sheet's colour and the strips' frame colours (opaque).
inline constexpr TColor32 SheetColour = 0xFF204060u;
inline TColor32 FrameColour(Integer K) {
  static const TColor32 c[6] = {0xFFE01010u, 0xFF10C010u, 0xFF1010E0u, 0xFFC0C010u, 0xFFC010C0u, 0xFF10C0C0u};
  return c[K % 6];
}

class TSheet : public TQuarnCustomControl {
  QN_CLASS(TSheet, TQuarnCustomControl)
 public:
  explicit TSheet(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    SetTransparent(false);
  }

 protected:
  void DrawBody(TBitmap32* B) override { B->Clear(SheetColour); }
};

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInput();
    SetVirtualClock(true);
    SetModalIdleHook([this] {
      ++IdleGiveUps;
      return false;
    });
    // "Strip<N>": N frames of 10 x 12, frame k solid in FrameColour(k);
    // "Clear<N>": N fully transparent frames.
    TQuarnResManagerObj()->SetOnGetImage(
        [](TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
          const bool strip = Id.rfind(u"Strip", 0) == 0, clear = Id.rfind(u"Clear", 0) == 0;
          if (!strip && !clear) return;
          const Integer n = Integer(Id[5] - u'0');
          Image->SetSize(10 * n, 12);
          for (Integer k = 0; k < n; ++k) Image->FillRectS(k * 10, 0, k * 10 + 10, 12, clear ? 0u : FrameColour(k));
          Handled = true;
        });
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsNone);
    FForm->SetBounds(100, 100, 400, 300);
    FSheet = new TSheet(FForm.get());
    FSheet->SetParent(FForm.get());
    FSheet->SetBounds(0, 0, 400, 300);
    FForm->Show();
    Pump();
  }
  void TearDown() override {
    FForm.reset();
    Pump();
    TQuarnResManagerObj()->SetOnGetImage(nullptr);
    SetModalIdleHook(nullptr);
    ReleaseCapture();
    SetFocus(nullptr);
    ResetInput();
    SetVirtualClock(false);
  }

 public:
  static void Pump() {
    MSG m;
    for (int i = 0; i < 2000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&m);
  }

 protected:
  template <class T>
  T* Make(Integer X, Integer Y, Integer W, Integer H, const String& Caption = String()) {
    auto* c = new T(FForm.get());
    c->SetParent(FSheet);
    c->SetBounds(X, Y, W, H);
    if (!Caption.empty()) c->SetCaption(Caption);
    Pump();
    return c;
  }
  // The pointer at (X, Y) of a control.
  static void MoveTo(TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    Pump();
  }
  // Presses wait out the double-click time, so each is a press of its own.
  static void Press() {
    AdvanceClock(600);
    InputMouseDown(VK_LBUTTON);
    Pump();
  }
  static void Release() {
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
  static void ClickOn(TControl* C, Integer X = -1, Integer Y = -1) {
    MoveTo(C, X < 0 ? C->Width() / 2 : X, Y < 0 ? C->Height() / 2 : Y);
    Press();
    Release();
  }
  // The clock in 1-ms steps, so every timer fires when due.
  static void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; ++i) {
      AdvanceClock(1);
      Pump();
    }
  }
  static TBitmap32* Paint(TQuarnCustomControl* C) {
    C->Invalidate();
    Pump();
    return C->Buffer();
  }
  static TColor32 Rgb(TColor32 c) { return c & 0xFFFFFFu; }
  static TColor32 Rgb(TColor c) { return Color32(ColorToRGB(c)) & 0xFFFFFFu; }

 public:
  // Equal colours, give or take the rounding of a blend at full opacity.
  static bool Near(TColor32 A, TColor32 B) {
    for (int s = 0; s < 24; s += 8)
      if (std::abs(Integer((A >> s) & 255) - Integer((B >> s) & 255)) > 2) return false;
    return true;
  }

 protected:
  // Pixels of the buffer within R that have colour C.
  static Integer Count(TBitmap32* B, const TRect& R, TColor32 C) {
    Integer n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) n += Near(B->GetPixel(x, y), C);
    return n;
  }
  // Pixels within R that are neither of the two colours.
  static Integer Other(TBitmap32* B, const TRect& R, TColor32 A, TColor32 C) {
    Integer n = 0;
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) {
        const TColor32 p = B->GetPixel(x, y);
        n += !Near(p, A) && !Near(p, C);
      }
    return n;
  }

  std::unique_ptr<TForm> FForm;
  TSheet* FSheet = nullptr;
  int IdleGiveUps = 0;
};

class TCounter : public TObject {
 public:
  Integer Clicks = 0, Changes = 0, Repeats = 0;
  void Click(TObject*) { ++Clicks; }
  void Changed(TObject*) { ++Changes; }
  void Repeat(TObject*) { ++Repeats; }
};

}  // namespace buttontest
