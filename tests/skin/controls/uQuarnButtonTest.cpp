// The concrete buttons' faces, probed against synthetic strips whose frames
// are solid colours: every state of each class, the greyed caption, the
// push button's arrow area, the flat button's rest while disabled; the
// animated button's frames on the virtual clock; the link button; form
// files.
#include <gtest/gtest.h>

#include "platform/classes/FormText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/controls/uQuarnButton.h"
#include "tests/skin/controls/ButtonTestSupport.h"

namespace t_u_quarn_button_test {

using namespace qn;
using namespace buttontest;

namespace {

class uQuarnButton : public ButtonTest {};

// The state a face shows, read from its middle pixel.
Integer StateOf(TBitmap32* B, Integer X, Integer Y) {
  for (Integer k = 0; k < 6; ++k)
    if (ButtonTest::Near(B->GetPixel(X, Y), FrameColour(k))) return k;
  return -1;
}

TEST_F(uQuarnButton, EveryStateOfEachClass) {
  auto* push = Make<TQuarnButton>(10, 10, 75, 27);
  push->SetCaptionVisible(false);
  push->Pictures()->SetImage(u"Strip5");
  auto* tool = Make<TQuarnToolButton>(100, 10, 22, 22);
  tool->Pictures()->SetImage(u"Strip3");
  auto* image = Make<TQuarnImageButton>(140, 10, 10, 12);
  image->Pictures()->SetImage(u"Strip4");
  image->Pictures()->SetCount(4);
  image->Pictures()->SetDisable(3);
  image->Pictures()->SetActive(true);
  struct Case {
    TQuarnCustomButton* B;
    Integer Normal, Hot, Pressed, Disabled;
  };
  // The push button's fifth frame is never shown; the flat button has no
  // disabled frame and rests instead.
  for (const Case& c : {Case{push, 0, 1, 2, 3}, Case{tool, 0, 1, 2, 0}, Case{image, 0, 1, 2, 3}}) {
    const Integer mx = c.B->Width() / 2, my = c.B->Height() / 2;
    EXPECT_EQ(StateOf(Paint(c.B), mx, my), c.Normal);
    MoveTo(c.B, mx, my);
    EXPECT_EQ(StateOf(Paint(c.B), mx, my), c.Hot);
    Press();
    EXPECT_EQ(StateOf(Paint(c.B), mx, my), c.Pressed);
    Release();
    MoveTo(FSheet, 390, 290);
    c.B->SetEnabled(false);
    EXPECT_EQ(StateOf(Paint(c.B), mx, my), c.Disabled);
    c.B->SetEnabled(true);
  }
  // Off, the image button's strip draws nothing: only the background.
  image->Pictures()->SetActive(false);
  TBitmap32* b = Paint(image);
  EXPECT_EQ(Count(b, TRect(0, 0, 10, 12), SheetColour), 120);
  // Stretched, the frame covers the whole face.
  image->SetBounds(140, 10, 40, 40);
  image->Pictures()->SetActive(true);
  image->SetStreach(true);
  b = Paint(image);
  EXPECT_EQ(Count(b, TRect(0, 0, 40, 40), FrameColour(0)), 1600);
}

TEST_F(uQuarnButton, CaptionGreyedAndClearOfTheArrow) {
  auto* push = Make<TQuarnButton>(10, 10, 120, 27, u"WWWWWWWWWWWWWWWWWWWW");
  push->Pictures()->SetImage(u"Strip5");
  push->DropdownMenuPictures()->SetImage(u"Clear4");
  auto* menu = new TPopupMenu(FForm.get());
  push->SetDropdownMenu(menu);
  push->Font()->SetColor(clBlack);
  const TRect arrow = push->DropdownMenuRect();
  ASSERT_EQ(arrow.Width(), 12);
  TBitmap32* b = Paint(push);
  const TColor32 face = FrameColour(0);
  EXPECT_GT(Other(b, TRect(0, 0, arrow.Left, 27), face, face), 50);
  // The long caption is cut at the arrow area.
  EXPECT_EQ(Count(b, arrow, face), arrow.Width() * arrow.Height());
  push->SetEnabled(false);
  b = Paint(push);
  EXPECT_GT(Count(b, TRect(0, 0, arrow.Left, 27), 0x00B2B2B2u), 0);
  EXPECT_EQ(Count(b, TRect(0, 0, arrow.Left, 27), 0), 0);
}

TEST_F(uQuarnButton, ToolButtonIconAndCaption) {
  auto* tool = Make<TQuarnToolButton>(10, 10, 80, 22, u"Tool");
  tool->Pictures()->SetImage(u"Clear3");
  tool->SetImage(u"Strip1");
  tool->ImageOffset()->SetX(3);
  tool->ImageOffset()->SetY(5);
  TBitmap32* b = Paint(tool);
  EXPECT_EQ(Count(b, TRect(3, 5, 13, 17), FrameColour(0)), 120);
  EXPECT_EQ(Count(b, TRect(0, 0, 80, 22), FrameColour(0)), 120);
  // Pressed, the icon moves right by PressedOffset.
  MoveTo(tool, 40, 10);
  Press();
  b = Paint(tool);
  EXPECT_EQ(Count(b, TRect(4, 5, 14, 17), FrameColour(0)), 120);
  Release();
  // A visible caption is written from CaptionOffset.
  tool->SetCaptionVisible(true);
  tool->CaptionOffset()->SetX(30);
  MoveTo(FSheet, 390, 290);
  b = Paint(tool);
  EXPECT_EQ(Other(b, TRect(14, 0, 28, 22), SheetColour, SheetColour), 0);
  EXPECT_GT(Other(b, TRect(30, 0, 80, 22), SheetColour, SheetColour), 20);
}

TEST_F(uQuarnButton, AnimatedButtonFrames) {
  auto* a = Make<TQuarnAnimateButton>(10, 10, 48, 48);
  EXPECT_EQ(a->AnimateSpeed(), 80u);
  // Nothing to play: no frames, no picture.
  TBitmap32* b = Paint(a);
  EXPECT_EQ(Count(b, TRect(0, 0, 48, 48), SheetColour), 48 * 48);
  a->Animate()->SetPicture(u"Strip6");
  a->Animate()->SetCount(6);
  a->SetAnimateSpeed(30);
  EXPECT_EQ(a->FrameCount(), 6);
  EXPECT_EQ(a->Timer()->Interval(), 5u);
  // The window timer under it ticks at most every 10 ms, as the platform's do.
  EXPECT_EQ(StateOf(Paint(a), 5, 5), 0);
  MoveTo(a, 5, 5);
  EXPECT_TRUE(a->Timer()->Enabled());
  Integer seen = 0;
  for (Integer step = 0; step < 8; ++step) {
    Wait(10);
    seen = std::max(seen, a->AnimateIndex());
    EXPECT_EQ(StateOf(Paint(a), 5, 5), std::min<Integer>(step, 5)) << step;
  }
  EXPECT_EQ(seen, 5);
  EXPECT_FALSE(a->Timer()->Enabled());
  // Leaving plays it back to frame 0 and stops there.
  MoveTo(FSheet, 390, 290);
  Wait(60);
  EXPECT_EQ(a->AnimateIndex(), 0);
  EXPECT_FALSE(a->Timer()->Enabled());
  EXPECT_EQ(StateOf(Paint(a), 5, 5), 0);
  // Changing the strip in the middle of a run drops the borrowed frame.
  MoveTo(a, 5, 5);
  Wait(12);
  EXPECT_NE(a->CurrentImage(), nullptr);
  a->Animate()->SetCount(3);
  EXPECT_EQ(a->CurrentImage(), nullptr);
  EXPECT_LT(a->AnimateIndex(), 3);
  Paint(a);
  Wait(30);
  a->Animate()->SetCount(0);
  EXPECT_EQ(a->FrameCount(), 0);
  Wait(30);
  b = Paint(a);
  EXPECT_EQ(Count(b, TRect(0, 0, 48, 48), SheetColour), 48 * 48);
}

TEST_F(uQuarnButton, LinkButtonHotFontAndClick) {
  auto* u = Make<TQnURLButton>(10, 100, 10, 10, u"Open the page");
  EXPECT_EQ(u->Cursor(), crHandPoint);
  EXPECT_EQ(u->FontHot()->Color(), static_cast<TColor>(0x00FF0000));
  u->Font()->SetColor(clBlack);
  TBitmap32* b = Paint(u);
  const TRect all(0, 0, u->Width(), u->Height());
  EXPECT_GT(Count(b, all, 0), 0);
  TCounter c;
  u->SetOnClick(TNotifyEvent(&c, &TCounter::Click));
  MoveTo(u, 3, 3);
  EXPECT_TRUE(u->MouseIn());
  b = Paint(u);
  EXPECT_EQ(Count(b, all, 0), 0);
  EXPECT_GT(Count(b, all, Rgb(static_cast<TColor>(0x00FF0000))), 0);
  Press();
  Release();
  EXPECT_EQ(c.Clicks, 1);
  EXPECT_TRUE(u->Focused());
}

TEST_F(uQuarnButton, FormFileRoundTrip) {
  TQuarnButton a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"PressedOffset", "CaptionVisible", "DropdownMenuOffset", "TabStop", "CanFocused", "Down"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetGroupIndex(2);
  a.SetAllowAllUp(true);
  a.SetModalResult(mrOk);
  a.DropdownMenuOffset()->SetX(3);
  a.SetCaption(u"Go");
  const std::string text = ComponentToText(&a);
  for (const char* name : {"GroupIndex = 2", "AllowAllUp = True", "ModalResult = 1", "DropdownMenuOffset.X = 3",
                           "Caption = 'Go'"})
    EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
  TQuarnButton b(nullptr);
  TextToComponent(text, &b);
  EXPECT_EQ(ComponentToText(&b), text);

  TQuarnImageButton i(nullptr);
  i.SetStreach(true);
  i.Pictures()->SetImage(u"Face");
  i.LayersOffset()->SetY(4);
  TQuarnAnimateButton an(nullptr);
  an.Animate()->SetPicture(u"Spin");
  an.Animate()->SetCount(8);
  TQuarnToolButton t(nullptr);
  t.SetImage(u"Icon");
  t.Light()->SetActive(true);
  const std::string itext = ComponentToText(&i), atext = ComponentToText(&an), ttext = ComponentToText(&t);
  EXPECT_NE(itext.find("Streach = True"), std::string::npos) << itext;
  EXPECT_NE(itext.find("Pictures.Image = 'Face'"), std::string::npos) << itext;
  EXPECT_NE(itext.find("LayersOffset.Y = 4"), std::string::npos) << itext;
  EXPECT_NE(atext.find("Animate.Count = 8"), std::string::npos) << atext;
  EXPECT_NE(ttext.find("Image = 'Icon'"), std::string::npos) << ttext;
  EXPECT_NE(ttext.find("Light.Active = True"), std::string::npos) << ttext;
  TQuarnImageButton i2(nullptr);
  TextToComponent(itext, &i2);
  EXPECT_TRUE(i2.Streach());
  TQuarnAnimateButton a2(nullptr);
  TextToComponent(atext, &a2);
  EXPECT_EQ(a2.Animate()->Count(), 8);
}

}  // namespace

}  // namespace t_u_quarn_button_test
