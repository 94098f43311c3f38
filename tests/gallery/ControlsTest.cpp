// The standard-controls form played through as a person would: every step
// must run, the form must end in the state the steps left, and the form
// written back to text must read into a form that paints the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "examples/gallery/ControlsForm.h"
#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQnHLSTrackBar.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/controls/uQuarnExpandBox.h"
#include "skin/controls/uQuarnHtmlLabel.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQuarnListView.h"
#include "skin/controls/uQuarnRadioBox.h"
#include "skin/controls/uQuarnScrollBox.h"
#include "skin/controls/uQuarnTabs.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_controls_test {

namespace {

using namespace gallery;
using namespace qn;

class Gallery_Controls : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1100, 780);
  }
  void TearDown() override {
    TControlsDriver::Pump();
    usertest::InputServerTest::TearDown();
  }
  // Every control below Parent made to rebuild its picture, windowless ones
  // included, and the form repainted.
  static void RepaintAll(TWinControl* Parent) {
    Parent->Invalidate();
    for (Integer i = 0; i < Parent->ControlCount(); ++i) {
      TControl* c = Parent->Controls(i);
      c->Invalidate();
      if (auto* w = dynamic_cast<TWinControl*>(c)) RepaintAll(w);
    }
  }
  // Where a failing step leaves its picture.
  static std::string FailureShot(int Step) {
    char name[48];
    std::snprintf(name, sizeof name, "controls-failed-%02d.png", Step);
    return qntest::FailureFile(name);
  }
};

TEST_F(Gallery_Controls, ScriptedInteractionEndsInTheStateItsStepsLeft) {
  std::unique_ptr<TControlsForm> form = LoadControlsForm();
  form->Show();
  TControlsDriver d(form.get());
  d.Wait(200);
  auto* memo = form->Get<TQuarnPanel>(u"PnlNotes");
  const Integer notesHeight = memo->Height();
  auto* progress = form->Get<TQuarnProgressBar>(u"PrgUpload");
  const Integer progressBefore = progress->Value();
  auto* hue = form->Get<TQnHLSTrackBar>(u"TrkHue");
  const Integer hueBefore = hue->Value();

  String selectedAfterTyping;
  int n = 0;
  for (const TControlsStep& step : ControlsScript()) {
    ++n;
    try {
      step.Run(d);
    } catch (const std::exception& e) {
      SaveScreenSnapshot(FailureShot(n));
      FAIL() << "step " << n << " (" << step.Name << ") raised: " << e.what() << "; picture in "
             << FailureShot(n);
    }
    // The selection goes when the focus moves on: looked at right away.
    if (std::string(step.Name).starts_with("type into the edit"))
      selectedAfterTyping = form->Get<TQuarnEdit>(u"EdName")->SelText();
    if (::testing::Test::HasFailure()) {
      SaveScreenSnapshot(FailureShot(n));
      FAIL() << "step " << n << " (" << step.Name << ") failed; picture in " << FailureShot(n);
    }
  }

  EXPECT_EQ(form->CancelClicks, 1);
  EXPECT_TRUE(d.MenuShown);
  auto* edit = form->Get<TQuarnEdit>(u"EdName");
  EXPECT_EQ(edit->Text(), u"Grace Hopper");
  EXPECT_EQ(selectedAfterTyping, u"Hopper");
  auto* city = form->Get<TQuarnComboBox>(u"CmbCity");
  EXPECT_EQ(city->Text(), u"Ljubljana");
  EXPECT_EQ(city->ItemIndex(), city->Items()->IndexOf(u"Ljubljana"));
  auto* sort = form->Get<TQuarnComboBox>(u"CmbSort");
  EXPECT_EQ(sort->ItemIndex(), 3);
  EXPECT_EQ(sort->Text(), u"By area");
  EXPECT_FALSE(sort->IsPopupVisible());
  auto* list = form->Get<TQuarnListBox>(u"LstCities");
  // Three notches and a thumb drag of 30 pixels went down the list.
  EXPECT_GT(list->ListBox->TopIndex(), 3);
  EXPECT_EQ(list->ScrollBar->Position(), list->ListBox->TopIndex());
  EXPECT_TRUE(form->Get<TQuarnCheckBox>(u"ChkSpell")->Checked());
  EXPECT_TRUE(form->Get<TQuarnCheckBox>(u"ChkWrap")->Checked());
  EXPECT_TRUE(form->Get<TQuarnRadioBox>(u"RadLarge")->Checked());
  EXPECT_FALSE(form->Get<TQuarnRadioBox>(u"RadMedium")->Checked());
  auto* pages = form->Get<TQuarnPageControl>(u"PgSettings");
  EXPECT_EQ(pages->ActivePage(), form->Get<TQuarnTabSheet>(u"TabDisplay"));
  EXPECT_EQ(memo->Height(), notesHeight + 40);
  EXPECT_LT(hue->Value(), hueBefore);
  EXPECT_GT(progress->Value(), progressBefore);
  EXPECT_FALSE(form->Get<TQuarnExpandBox>(u"ExpDetails")->Expand());
  EXPECT_EQ(form->Get<TQuarnHtmlLabel>(u"HtmlInfo")->Cursor(), crHandPoint);
  // The scroll box was scrolled by its own bar until the check box at its
  // bottom came wholly into view.
  auto* box = form->Get<TQuarnScrollBox>(u"BoxScroll");
  EXPECT_EQ(box->VScrollBar(), form->Get<TQuarnScrollBar>(u"SbVert"));
  EXPECT_EQ(box->HScrollBar(), form->Get<TQuarnScrollBar>(u"SbHorz"));
  auto* found = form->Get<TQuarnCheckBox>(u"ChkScroll");
  EXPECT_GE(found->Top(), 0);
  EXPECT_LE(found->Top() + found->Height(), box->ClientHeight());
}

// The form as a reader sees it: the title's white letters stand on a glow
// dark enough to read (4.5:1 against the ground right around the strokes,
// where the bare title bar gives about 2:1), and the list view's columns
// fit its width, so no value is cut.
TEST_F(Gallery_Controls, TitleReadsAndListColumnsFit) {
  std::unique_ptr<TControlsForm> form = LoadControlsForm();
  form->Show();
  TControlsDriver d(form.get());
  d.Wait(200);
  const TScreenImage img = CaptureWindow(form->Handle());
  ASSERT_GT(img.Width, 320);
  auto luminance = [](uint32_t px) {
    auto channel = [](uint32_t v) {
      const double c = v / 255.0;
      return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((px >> 16) & 0xFF) + 0.7152 * channel((px >> 8) & 0xFF) + 0.0722 * channel(px & 0xFF);
  };
  auto white = [&](int x, int y) {
    const uint32_t p = img.Pixel(x, y);
    return ((p >> 16) & 0xFF) >= 245 && ((p >> 8) & 0xFF) >= 245 && (p & 0xFF) >= 245;
  };
  // The title's letters: white pixels in the title bar left of the buttons;
  // their ground: the pixels two steps from a letter that are not letters.
  std::vector<double> ground;
  int letters = 0;
  for (int y = 2; y < 28; ++y)
    for (int x = 30; x < 300; ++x) {
      if (!white(x, y)) continue;
      ++letters;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
          if (std::max(std::abs(dx), std::abs(dy)) == 2 && !white(x + dx, y + dy))
            ground.push_back(luminance(img.Pixel(x + dx, y + dy)));
    }
  ASSERT_GT(letters, 100);
  std::nth_element(ground.begin(), ground.begin() + ground.size() / 2, ground.end());
  EXPECT_GE(1.05 / (ground[ground.size() / 2] + 0.05), 4.5);

  auto* view = form->Get<TQuarnListView>(u"LvCities");
  Integer columns = 0;
  for (Integer i = 0; i < view->Columns()->Count(); ++i) columns += view->Column(i)->Width();
  EXPECT_LE(columns, view->ClientWidth());
}

TEST_F(Gallery_Controls, FormWrittenBackReadsIntoTheSamePicture) {
  std::string text;
  TScreenImage first;
  {
    std::unique_ptr<TControlsForm> form = LoadControlsForm();
    form->Show();
    TControlsDriver d(form.get());
    d.Wait(200);
    first = CaptureWindow(form->Handle());
    // Saved as a designer saves it: not on the screen.
    form->Hide();
    text = ComponentToText(form.get());
  }
  TControlsDriver::Pump();
  const std::string file = qntest::TempFile("controls-roundtrip.dfm");
  {
    std::FILE* f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  auto again = std::make_unique<TControlsForm>(nullptr);
  LoadFormFile(FromUtf8(file), again.get());
  again->SetPosition(poDesigned);
  again->Show();
  TControlsDriver d(again.get());
  d.Wait(200);
  const TScreenImage second = CaptureWindow(again->Handle());
  ASSERT_EQ(first.Width, second.Width);
  ASSERT_EQ(first.Height, second.Height);
  size_t differ = 0;
  for (size_t i = 0; i < first.Pixels.size(); ++i) differ += first.Pixels[i] != second.Pixels[i];
  EXPECT_EQ(differ, 0u);
  if (differ) {
    SavePng(first, qntest::FailureFile("controls-written.png"));
    SavePng(second, qntest::FailureFile("controls-read-back.png"));
  }
  // Nothing is lost on the way: the text read back writes the same text.
  again->Hide();
  EXPECT_EQ(ComponentToText(again.get()), text);
}

// The paint caches (stretched frames, character advances) change no pixel:
// after every step of the script the form repainted from the caches is the
// form repainted with them off, hot, pressed and focused looks included.
TEST_F(Gallery_Controls, CachesChangeNoPixel) {
  ASSERT_TRUE(SkinCachesEnabled());
  std::unique_ptr<TControlsForm> form = LoadControlsForm();
  form->Show();
  TControlsDriver d(form.get());
  d.Wait(200);
  auto compare = [&](const std::string& when) -> bool {
    // Twice with the caches on: the second paint takes what the first kept.
    RepaintAll(form.get());
    TControlsDriver::Pump();
    RepaintAll(form.get());
    TControlsDriver::Pump();
    const TScreenImage on = CaptureWindow(form->Handle());
    EXPECT_GT(StretchCacheCount(), 0) << when;
    SetSkinCachesEnabled(false);
    RepaintAll(form.get());
    TControlsDriver::Pump();
    const TScreenImage off = CaptureWindow(form->Handle());
    SetSkinCachesEnabled(true);
    EXPECT_EQ(on.Pixels.size(), off.Pixels.size()) << when;
    if (on.Pixels.size() != off.Pixels.size()) return false;
    size_t differ = 0;
    for (size_t i = 0; i < on.Pixels.size(); ++i) differ += on.Pixels[i] != off.Pixels[i];
    EXPECT_EQ(differ, 0u) << when;
    if (differ) {
      SavePng(on, qntest::FailureFile("controls-cached.png"));
      SavePng(off, qntest::FailureFile("controls-uncached.png"));
    }
    return differ == 0;
  };
  if (!compare("at the start")) return;
  for (const TControlsStep& step : ControlsScript()) {
    step.Run(d);
    if (!compare(std::string("after ") + step.Name)) return;
  }
}

}  // namespace

}  // namespace t_controls_test
