// What the date-time picker tests share: a picker edit on the shown root
// form, clicks at the centres of controls through the input driver, and the
// drop-down form the picker opened.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/CommonDialogs.h"
#include "skin/extended/frmQnDateTimePicker.h"
#include "skin/extended/uQuarnDatetimePicker.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace pickertest {

using namespace qn;

class TCounter : public TObject {
 public:
  Integer Count = 0;
  void Hit(TObject*) { ++Count; }
};

class PickerTest : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    FOldResponder = SetMessageBoxResponder([this](const TMessageBoxCall& Call) {
      FBoxes.push_back(Call);
      return IDOK;
    });
  }
  void TearDown() override {
    SetMessageBoxResponder(FOldResponder);
    RootTest::TearDown();
    EXPECT_EQ(QnDateTimePickerForm, nullptr);
  }
  TQuarnDatetimePicker* MakePicker(Integer X = 20, Integer Y = 20) {
    auto* p = Make<TQuarnDatetimePicker>(X, Y, 145, 26);
    return p;
  }
  // A click at (X, Y) of Control. A click near the last one waits out the
  // double-click time first, so it is a click of its own.
  void ClickAt(TControl* Control, Integer X, Integer Y) {
    const TPoint p = Control->ClientToScreen(TPoint(X, Y));
    if (FClicked && GetTickCount() - FLastTick <= GetDoubleClickTime() &&
        std::abs(p.X - FLast.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        std::abs(p.Y - FLast.Y) <= GetSystemMetrics(SM_CYDOUBLECLK))
      AdvanceClock(GetDoubleClickTime() + 1);
    MoveTo(Control, X, Y);
    Press();
    Release();
    FClicked = true;
    FLast = p;
    FLastTick = GetTickCount();
  }
  void Click(TControl* Control) { ClickAt(Control, Control->Width() / 2, Control->Height() / 2); }
  // DX moves the click left or right of the icon's centre.
  void ClickIcon(TQuarnDatetimePicker* P, Integer DX = 0) {
    const TRect r = P->EdItems()->Items(0)->GetRect();
    ClickAt(P, (r.Left + r.Right) / 2 + DX, (r.Top + r.Bottom) / 2);
  }
  // The form's picture brought up to date: paints run, so the calendar's
  // year and month reach their labels.
  void Paint(TCustomForm* F) {
    F->Invalidate();
    for (Integer i = 0; i < F->ComponentCount(); ++i)
      if (auto* c = dynamic_cast<TControl*>(F->Components(i))) c->Invalidate();
    usertest::Pump();
  }
  // Opens the picker's form and lets it settle.
  TQnDateTimePickerForm* Open(TQuarnDatetimePicker* P) {
    ClickIcon(P);
    TQnDateTimePickerForm* f = P->DropDownForm();
    if (f) Paint(f);
    return f;
  }
  // The centre of a day cell of the calendar, by date.
  TDayCell* CellOf(TQuarnCalendar* C, TDate D) {
    C->UpdateCells();
    for (auto& col : const_cast<TDayCells&>(C->DayCells()))
      for (TDayCell& cell : col)
        if (cell.Date == D) return &cell;
    return nullptr;
  }
  void ClickCell(TQuarnCalendar* C, TDate D) {
    TDayCell* cell = CellOf(C, D);
    ASSERT_NE(cell, nullptr);
    ClickAt(C, (cell->Rect.Left + cell->Rect.Right) / 2, (cell->Rect.Top + cell->Rect.Bottom) / 2);
  }
  // Dispatches what is waiting with key messages translated, so typed
  // keys arrive as characters too.
  static void PumpKeys() {
    MSG m;
    for (int i = 0; i < 1000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  void Type(const String& Text) {
    InputType(Text);
    PumpKeys();
  }
  void Key(int VK) {
    InputKeyDown(VK);
    InputKeyUp(VK);
    PumpKeys();
  }
  static TDateTime DT(Word Y, Word M, Word D, Word H = 0, Word N = 0, Word S = 0, Word Ms = 0) {
    return EncodeDateTime(Y, M, D, H, N, S, Ms);
  }

  bool FClicked = false;
  TPoint FLast;
  DWORD FLastTick = 0;
  std::vector<TMessageBoxCall> FBoxes;
  TMessageBoxResponder FOldResponder;
};

}  // namespace pickertest
