// Check and radio boxes: the frame tables through synthetic strips, the
// toggle and group rules with their events, BM_SETCHECK, right-to-left
// placement, a missing image, form files.
#include <gtest/gtest.h>

#include "platform/classes/FormText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/controls/uQuarnRadioBox.h"
#include "tests/skin/controls/ButtonTestSupport.h"

namespace t_u_quarn_check_box_test {

using namespace qn;
using namespace buttontest;

namespace {

class uQuarnCheckBox : public ButtonTest {};
class uQuarnRadioBox : public ButtonTest {};

// The frame shown, from the pixel in the middle of the image's place.
template <class T>
Integer ShownFrame(T* C) {
  C->Invalidate();
  ButtonTest::Pump();
  const TColor32 p = C->Buffer()->GetPixel(5, C->Height() / 2);
  for (Integer k = 0; k < 4; ++k)
    if (ButtonTest::Near(p, FrameColour(k))) return k;
  return -1;
}

TEST_F(uQuarnCheckBox, FrameTableToggleAndEvents) {
  auto* c = Make<TQuarnCheckBox>(10, 10, 113, 17, u"Check");
  EXPECT_EQ(TQuarnCheckBox(nullptr).Width(), 113);
  EXPECT_EQ(c->Pictures(), u"QuarnCheckBox");
  c->SetPictures(u"Strip4");
  TCounter n;
  c->SetOnChanged(TNotifyEvent(&n, &TCounter::Changed));
  c->SetOnClick(TNotifyEvent(&n, &TCounter::Click));
  EXPECT_EQ(ShownFrame(c), 0);
  MoveTo(c, 5, 8);
  EXPECT_EQ(ShownFrame(c), 1);
  // The toggle happens on the press; the click follows the release.
  Press();
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(n.Changes, 1);
  EXPECT_EQ(n.Clicks, 0);
  Release();
  EXPECT_EQ(n.Clicks, 1);
  EXPECT_EQ(ShownFrame(c), 3);
  MoveTo(FSheet, 390, 290);
  EXPECT_EQ(ShownFrame(c), 2);
  EXPECT_TRUE(c->Focused());
  InputKeyDown(VK_SPACE);
  Pump();
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(n.Changes, 2);
  // Code changes report OnChanged, never OnClick.
  c->SetChecked(true);
  c->SetChecked(true);
  EXPECT_EQ(n.Changes, 3);
  EXPECT_EQ(n.Clicks, 1);
  // BM_SETCHECK answers the state whatever it is asked.
  for (WPARAM w : {WPARAM(0), WPARAM(1), WPARAM(2)}) EXPECT_EQ(c->Perform(BM_SETCHECK, w, 0), 1);
  EXPECT_TRUE(c->Checked());
  c->SetChecked(false);
  EXPECT_EQ(SendMessageW(c->Handle(), BM_SETCHECK, 1, 0), 0);
  EXPECT_FALSE(c->Checked());
  // The accelerator only focuses.
  FSheet->SetFocus();
  c->SetCaption(u"&Accept");
  EXPECT_EQ(c->Perform(CM_DIALOGCHAR, u'a', 0), 1);
  EXPECT_TRUE(c->Focused());
  EXPECT_FALSE(c->Checked());
}

TEST_F(uQuarnCheckBox, LayoutRightToLeftDisabledAndMissingImage) {
  auto* c = Make<TQuarnCheckBox>(10, 10, 113, 17, u"Caption text");
  c->SetPictures(u"Strip4");
  c->Font()->SetColor(clBlack);
  TBitmap32* b = Paint(c);
  const TColor32 f0 = FrameColour(0);
  EXPECT_EQ(Count(b, TRect(0, 2, 10, 14), f0), 120);
  // Text begins three pixels after the frame.
  EXPECT_EQ(Other(b, TRect(10, 0, 13, 17), SheetColour, f0), 0);
  EXPECT_GT(Other(b, TRect(13, 0, 113, 17), SheetColour, f0), 20);
  EXPECT_GT(Count(b, TRect(13, 0, 113, 17), 0), 0);
  // Right to left: the frame at the right edge, the text ending three
  // pixels before it.
  c->SetBiDiMode(bdRightToLeft);
  b = Paint(c);
  EXPECT_EQ(Count(b, TRect(103, 2, 113, 14), f0), 120);
  EXPECT_EQ(Other(b, TRect(100, 0, 103, 17), SheetColour, f0), 0);
  EXPECT_GT(Other(b, TRect(40, 0, 100, 17), SheetColour, f0), 20);
  EXPECT_EQ(Other(b, TRect(0, 0, 30, 17), SheetColour, f0), 0);
  // Disabled: the caption greyed.
  c->SetEnabled(false);
  b = Paint(c);
  EXPECT_EQ(Count(b, TRect(0, 0, 100, 17), 0), 0);
  EXPECT_GT(Count(b, TRect(0, 0, 100, 17), 0x00D1D1D1u), 0);
  // No image: only the background, not even the caption.
  c->SetPictures(u"NoSuchPicture");
  b = Paint(c);
  EXPECT_EQ(Count(b, TRect(0, 0, 113, 17), SheetColour), 113 * 17);
}

TEST_F(uQuarnRadioBox, FrameTableGroupsAndEvents) {
  TCounter n[3];
  TQuarnRadioBox* r[3];
  for (Integer i = 0; i < 3; ++i) {
    r[i] = Make<TQuarnRadioBox>(10, 10 + i * 20, 113, 17, u"Option");
    r[i]->SetPictures(u"Strip4");
    r[i]->SetOnChanged(TNotifyEvent(&n[i], &TCounter::Changed));
    r[i]->SetOnClick(TNotifyEvent(&n[i], &TCounter::Click));
  }
  auto* other = Make<TQuarnRadioBox>(10, 80, 113, 17, u"Elsewhere");
  other->SetGroupIndex(1);
  other->SetChecked(true);
  EXPECT_EQ(ShownFrame(r[0]), 0);
  MoveTo(r[0], 5, 8);
  EXPECT_EQ(ShownFrame(r[0]), 3);
  Press();
  Release();
  EXPECT_TRUE(r[0]->Checked());
  EXPECT_EQ(n[0].Clicks, 1);
  EXPECT_EQ(n[0].Changes, 1);
  EXPECT_EQ(ShownFrame(r[0]), 2);
  // A click on the checked box: nothing.
  Press();
  Release();
  EXPECT_TRUE(r[0]->Checked());
  EXPECT_EQ(n[0].Clicks, 1);
  EXPECT_EQ(n[0].Changes, 1);
  MoveTo(FSheet, 390, 290);
  EXPECT_EQ(ShownFrame(r[0]), 1);
  // Checking by code puts the group out and reports their changes, but
  // clicks nothing.
  r[2]->SetChecked(true);
  EXPECT_FALSE(r[0]->Checked());
  EXPECT_EQ(n[0].Changes, 2);
  EXPECT_EQ(n[2].Changes, 1);
  for (auto& c : n) EXPECT_EQ(c.Clicks, &c == &n[0] ? 1 : 0);
  EXPECT_TRUE(other->Checked());
  // A press on another member moves the check, one click.
  ClickOn(r[1]);
  EXPECT_TRUE(r[1]->Checked());
  EXPECT_FALSE(r[2]->Checked());
  EXPECT_EQ(n[1].Clicks, 1);
  EXPECT_EQ(n[2].Changes, 2);
  // Space checks, BM_SETCHECK only answers, the command notification checks.
  r[0]->SetFocus();
  InputKeyDown(VK_SPACE);
  InputKeyUp(VK_SPACE);
  Pump();
  EXPECT_TRUE(r[0]->Checked());
  EXPECT_EQ(r[2]->Perform(BM_SETCHECK, 1, 0), 0);
  EXPECT_FALSE(r[2]->Checked());
  r[2]->Perform(CN_COMMAND, MAKEWPARAM(0, 0), 0);
  EXPECT_TRUE(r[2]->Checked());
  EXPECT_FALSE(r[0]->Checked());
  EXPECT_EQ(n[2].Clicks, 0);
}

TEST_F(uQuarnRadioBox, RightToLeftAndMissingImage) {
  auto* r = Make<TQuarnRadioBox>(10, 10, 113, 17, u"Right to left");
  r->SetPictures(u"Strip4");
  r->SetBiDiMode(bdRightToLeft);
  r->SetChecked(true);
  TBitmap32* b = Paint(r);
  EXPECT_EQ(Count(b, TRect(103, 2, 113, 14), FrameColour(1)), 120);
  EXPECT_EQ(Other(b, TRect(100, 0, 103, 17), SheetColour, FrameColour(1)), 0);
  r->SetPictures(u"");
  b = Paint(r);
  EXPECT_EQ(Count(b, TRect(0, 0, 113, 17), SheetColour), 113 * 17);
}

TEST_F(uQuarnRadioBox, FormFileRoundTrip) {
  TQuarnRadioBox a(nullptr);
  TQuarnCheckBox c(nullptr);
  const std::string plain = ComponentToText(&a) + ComponentToText(&c);
  for (const char* name : {"Pictures", "Checked", "GroupIndex", "TabStop"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetGroupIndex(3);
  a.SetChecked(true);
  a.Light()->SetActive(true);
  c.SetPictures(u"MyBox");
  c.SetChecked(true);
  const std::string text = ComponentToText(&a), ctext = ComponentToText(&c);
  for (const char* name : {"GroupIndex = 3", "Checked = True", "Light.Active = True"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  EXPECT_NE(ctext.find("Pictures = 'MyBox'"), std::string::npos) << ctext;
  TQuarnRadioBox b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(ComponentToText(&b), text);
  TQuarnCheckBox d(nullptr);
  TextToComponent(ctext, &d);
  EXPECT_TRUE(d.Checked());
  EXPECT_EQ(d.Pictures(), u"MyBox");
}

}  // namespace

}  // namespace t_u_quarn_check_box_test
