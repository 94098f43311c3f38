// The hue, saturation and brightness track bar: the ranges of each kind,
// the range setters, the strips' colours at the segment ends, and the thumb
// driven by drag, held track clicks and keys on the virtual clock.
#include "platform/classes/FormText.h"
#include "skin/controls/uQnHLSTrackBar.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_qn_hlstrack_bar_test {

using namespace qn;

namespace {

class uQnHLSTrackBar : public skintest::RootTest {
 protected:
  TQnHLSTrackBar* Bar(Integer W = 230) {
    auto* b = Make<TQnHLSTrackBar>(20, 20, W, 28);
    b->SetOnChange([this](TObject*) { ++FChanges; });
    Picture(b);
    return b;
  }
  Integer FChanges = 0;
};

TEST_F(uQnHLSTrackBar, KindsSetTheirRangesAndLeaveTheValue) {
  TQnHLSTrackBar lone(nullptr);
  EXPECT_EQ(lone.Width(), 230);
  EXPECT_EQ(lone.Height(), 28);
  EXPECT_TRUE(lone.TabStop());
  EXPECT_EQ(lone.Kind(), hlsH);
  EXPECT_EQ(lone.Max(), 10);  // the hue's range comes only from SetKind
  auto* b = Bar();
  b->SetMax(200);
  b->SetValue(150);
  b->SetKind(hlsS);
  EXPECT_EQ(b->Min(), -100);
  EXPECT_EQ(b->Max(), 100);
  EXPECT_EQ(b->Value(), 150);
  b->SetKind(hlsH);
  EXPECT_EQ(b->Min(), -180);
  EXPECT_EQ(b->Max(), 180);
  b->SetKind(hlsB);
  EXPECT_EQ(b->Max(), 100);
  EXPECT_EQ(b->Value(), 150);
  FChanges = 0;
  b->SetValue(150);  // clamped now, and always reported
  EXPECT_EQ(b->Value(), 100);
  b->SetValue(100);
  EXPECT_EQ(FChanges, 2);
  b->Lock();
  b->SetValue(5);
  b->UnLock();
  EXPECT_EQ(FChanges, 2);
}

TEST_F(uQnHLSTrackBar, RangeSettersKeepMinBelowMax) {
  auto* b = Bar();
  b->SetMax(0);  // Max := Min
  EXPECT_EQ(b->Max(), 1);
  b->SetMin(7);
  EXPECT_EQ(b->Min(), 0);
  b->SetValue(1);
  b->SetMax(50);
  b->SetMin(20);
  EXPECT_EQ(b->Value(), 20);
  b->SetMax(30);
  b->SetValue(30);
  FChanges = 0;
  b->SetMax(25);
  EXPECT_EQ(b->Value(), 25);
  EXPECT_EQ(FChanges, 1);
}

TEST_F(uQnHLSTrackBar, StripColoursAreExactAtTheSegmentEnds) {
  auto* b = Bar(230);  // track 5..225, inside 6..224: six segments of 36
  ASSERT_EQ(b->TrackRect(), TRect(5, 0, 225, 8));
  TBitmap32* p = Picture(b);
  auto rgb = [](TColor C) { return Color32(C) & 0xFFFFFFu; };
  EXPECT_EQ(p->GetPixel(5, 4), 0xFF909090u);
  EXPECT_EQ(p->GetPixel(100, 0), 0xFF909090u);
  EXPECT_EQ(p->GetPixel(100, 7), 0xFF909090u);
  const TColor pairs[6][2] = {{TColor(0x0000FF), TColor(0x00FFFF)}, {TColor(0x00FFFF), TColor(0x00FC7C)},
                              {TColor(0x00FC7C), TColor(0xFFFF00)}, {TColor(0xFFFF00), TColor(0xFF0000)},
                              {TColor(0xFF0000), TColor(0xFF00FF)}, {TColor(0xFF00FF), TColor(0x0000FF)}};
  for (Integer i = 0; i < 6; ++i) {
    const Integer l = 6 + i * 36, r = i == 5 ? 224 : l + 36;
    for (Integer y = 1; y < 7; ++y) {
      EXPECT_EQ(p->GetPixel(l, y), 0xFF000000u | rgb(pairs[i][0])) << "segment " << i;
      EXPECT_EQ(p->GetPixel(r - 1, y), 0xFF000000u | rgb(pairs[i][1])) << "segment " << i;
    }
  }
  b->SetKind(hlsS);
  p = Picture(b);
  EXPECT_EQ(p->GetPixel(6, 3) & 0xFFFFFFu, 0x7F7F7Fu);
  EXPECT_EQ(p->GetPixel(223, 3) & 0xFFFFFFu, 0xFF0000u);
  b->SetKind(hlsB);
  p = Picture(b);
  EXPECT_EQ(p->GetPixel(6, 3) & 0xFFFFFFu, 0x000000u);
  EXPECT_EQ(p->GetPixel(223, 3) & 0xFFFFFFu, 0xFFFFFFu);
  // The thumb hangs from y 4 at Trunc((Width - 12) * (Value - Min) / range).
  b->SetValue(0);
  Picture(b);
  EXPECT_EQ(b->ThumbRect(), TRect(109, 4, 121, 24));
  // A missing thumb image keeps the strip and the last thumb rectangle.
  b->SetThumb(u"NoSuchThumb");
  b->SetValue(100);
  p = Picture(b);
  EXPECT_EQ(b->ThumbRect(), TRect(109, 4, 121, 24));
  EXPECT_EQ(p->GetPixel(223, 3) & 0xFFFFFFu, 0xFFFFFFu);
}

TEST_F(uQnHLSTrackBar, DragReportsOnceOnRelease) {
  auto* b = Bar(230);
  b->SetMax(100);
  b->SetValue(50);
  Picture(b);
  FChanges = 0;
  const TRect t = b->ThumbRect();  // 109..121
  MoveTo(b, t.Left + 6, 14);       // the thumb's centre: no grab offset
  Press();
  EXPECT_TRUE(b->Focused());
  MoveTo(b, 5 + 66, 14);  // 66 of 220 pixels: 30
  EXPECT_EQ(b->Value(), 30);
  MoveTo(b, 500, 14);
  EXPECT_EQ(b->Value(), 100);
  MoveTo(b, 5 + 110, 14);
  EXPECT_EQ(b->Value(), 50);
  EXPECT_EQ(FChanges, 0);
  Release();
  EXPECT_EQ(FChanges, 1);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(uQnHLSTrackBar, HeldClickBesideTheThumbWalksToMax) {
  auto* b = Bar(230);
  b->SetValue(5);  // 0..10: thumb at 109
  Picture(b);
  FChanges = 0;
  MoveTo(b, 222, 2);  // on the strip, above the thumb's reach, at the far end
  Press();
  EXPECT_EQ(b->Value(), 6);
  Wait(199);
  EXPECT_EQ(b->Value(), 6);
  Wait(1);
  EXPECT_EQ(b->Value(), 7);
  Wait(100);
  EXPECT_EQ(b->Value(), 8);
  Wait(1000);
  EXPECT_EQ(b->Value(), 10);  // stops at Max
  EXPECT_EQ(FChanges, 0);     // paging moves the field only
  Release();
  EXPECT_EQ(FChanges, 1);
  EXPECT_FALSE(b->RepeatTimer()->Enabled());
  EXPECT_EQ(b->RepeatTimer()->Interval(), 200u);
  // Left of the thumb, down to Min.
  MoveTo(b, 7, 2);
  Press();
  EXPECT_EQ(b->Value(), 9);
  Wait(2000);
  EXPECT_EQ(b->Value(), 0);
  Release();
}

TEST_F(uQnHLSTrackBar, EveryKeyReports) {
  auto* b = Bar();
  b->SetFocus();
  usertest::Pump();
  EXPECT_EQ(b->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  const struct {
    int VK;
    Integer Want;
  } steps[] = {{VK_RIGHT, 1}, {VK_ADD, 2}, {VK_UP, 3}, {VK_LEFT, 2}, {VK_SUBTRACT, 1}, {VK_DOWN, 0},
               {VK_DOWN, 0},  {VK_END, 10}, {VK_PRIOR, 10}, {VK_NEXT, 9}, {VK_HOME, 0}, {'A', 0}};
  Integer n = 0;
  for (const auto& s : steps) {
    Key(s.VK);
    ++n;
    EXPECT_EQ(b->Value(), s.Want) << "key " << s.VK;
    EXPECT_EQ(FChanges, n) << "key " << s.VK;
  }
}

TEST_F(uQnHLSTrackBar, TenPixelControlIgnoresDrags) {
  auto* b = Bar(10);
  b->SetValue(4);
  Picture(b);
  b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Word(b->ThumbRect().Left + 6), 10));
  b->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(9, 10));
  b->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(0, 10));
  b->Perform(WM_LBUTTONUP, 0, MAKELPARAM(0, 10));
  EXPECT_EQ(b->Value(), 4);
}

TEST_F(uQnHLSTrackBar, FormTextByName) {
  TQnHLSTrackBar b(nullptr);
  b.SetName(u"Hue");
  b.SetKind(hlsS);
  b.SetValue(-20);
  const std::string text = ComponentToText(&b);
  EXPECT_NE(text.find("hlsS"), std::string::npos);
  EXPECT_EQ(text.find("About"), std::string::npos);
  EXPECT_EQ(text.find("Thumb"), std::string::npos);
  TQnHLSTrackBar c(nullptr);
  TextToComponent(text, &c);
  EXPECT_EQ(c.Kind(), hlsS);
  EXPECT_EQ(c.Min(), -100);
  EXPECT_EQ(c.Value(), -20);
}

}  // namespace

}  // namespace t_u_qn_hlstrack_bar_test
