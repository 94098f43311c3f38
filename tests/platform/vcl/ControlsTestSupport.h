// Small controls for the control-framework tests: a windowed container that
// paints itself in its colour, a windowless one that does the same, and a
// host window for roots to sit on.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/Controls.h"
#include "tests/platform/user/UserTestSupport.h"

namespace controlstest {

using namespace vcl;

// A windowed container; Log collects what its handlers saw.
class TBox : public TCustomControl {
  QN_CLASS(TBox, TCustomControl)
 public:
  explicit TBox(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }
  bool PaintFrame = false;
  DWORD ExtraStyle = 0, ExtraExStyle = 0;

 protected:
  void CreateParams(TCreateParams& Params) override {
    inherited::CreateParams(Params);
    Params.Style |= ExtraStyle;
    Params.ExStyle |= ExtraExStyle;
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    if (PaintFrame) {
      Canvas()->Brush()->SetColor(clBlack);
      Canvas()->FrameRect(ClientRect());
    }
  }
};

// A windowless control filled with its colour.
class TSpot : public TGraphicControl {
  QN_CLASS(TSpot, TGraphicControl)
 public:
  explicit TSpot(TComponent* AOwner) : TGraphicControl(AOwner) {}

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

class ControlsTest : public usertest::ServerTest {
 protected:
  void TearDown() override {
    ResetInput();
    FreeDeviceContexts();
    usertest::ServerTest::TearDown();
  }
  // A top-level window at (x, y) to put a root control on.
  HWND Host(int x = 100, int y = 100, int w = 400, int h = 300) {
    return usertest::MakeTop(x, y, w, h, WS_POPUP | WS_VISIBLE);
  }
  static int Pump() { return usertest::Pump(); }
};

}  // namespace controlstest
