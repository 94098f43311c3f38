// What the tests of the slider-like skinned controls share: a shown form
// in one colour, so what a control leaves undrawn is known, input at
// control points, and the virtual clock in 1-ms steps.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "tests/platform/user/UserTestSupport.h"

namespace skintest {

using namespace qn;

class RootTest : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    FRoot = std::make_unique<TForm>(nullptr);
    FRoot->SetPosition(poDesigned);
    FRoot->SetBorderStyle(BorderStyle());
    FRoot->SetBounds(40, 40, 500, 300);
    FRoot->SetColor(static_cast<TColor>(0x00204060));
    FRoot->Show();
    usertest::Pump();
  }
  virtual TFormBorderStyle BorderStyle() const { return bsNone; }
  void TearDown() override {
    ReleaseCapture();
    FRoot.reset();
    FreeDeviceContexts();
    usertest::InputServerTest::TearDown();
  }
  template <class T>
  T* Make(Integer X, Integer Y, Integer W, Integer H) {
    auto* c = new T(FRoot.get());
    c->SetParent(FRoot.get());
    c->SetBounds(X, Y, W, H);
    usertest::Pump();
    return c;
  }
  // The pointer at (X, Y) of Control.
  void MoveTo(TControl* Control, Integer X, Integer Y) {
    const TPoint p = Control->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
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
  void Key(int VK) {
    InputKeyDown(VK);
    InputKeyUp(VK);
    usertest::Pump();
  }
  // The clock in steps of 1 ms, so every timer fires when it is due.
  void Wait(Integer Ms) {
    for (Integer i = 0; i < Ms; ++i) {
      AdvanceClock(1);
      usertest::Pump();
    }
  }
  // The control's finished picture, brought up to date.
  TBitmap32* Picture(TQuarnCustomControl* C) {
    C->Invalidate();
    usertest::Pump();
    return C->Buffer();
  }
  TColor32 RootColour() const { return Color32(ColorToRGB(FRoot->Color())) & 0xFFFFFFu; }

  std::unique_ptr<TForm> FRoot;
};

}  // namespace skintest
