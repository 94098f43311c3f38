// Shared fixture of the Forms tests: a fresh Application and Screen for
// every test, the virtual clock, and a server left as it was found.
#pragma once

#include <gtest/gtest.h>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"

namespace formstest {

using namespace vcl;

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DoneForms();
    InitForms();
    ResetInput();
    SetVirtualClock(true);
    // A modal loop that runs out of input gives up (and cancels) instead
    // of waiting for ever; tests count how often.
    SetModalIdleHook([this] {
      ++IdleGiveUps;
      return false;
    });
  }
  int IdleGiveUps = 0;
  void TearDown() override {
    SetModalIdleHook(nullptr);
    DoneForms();
    InitForms();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    ReleaseCapture();
    SetFocus(nullptr);
    ResetInput();
    SetVirtualClock(false);
    ResetScreenConfiguration();
    ResetSystemSettings();
  }
};

}  // namespace formstest
