// The skinned page control: display and tab rectangles per tab position
// against the plain page control, the tab strip's offset in paint and in
// clicks, hot tracking that repaints only when the hot tab changes, the
// change question by mouse, keys and Ctrl+Tab (with pages without a tab and
// plain sheets), the design-time look, and the sheets' translucent picture
// as the screen and a skinned child on it see it.
#include <gtest/gtest.h>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnTabs.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_tabs_test {

using namespace qn;
using namespace skintest;

namespace {

// A skinned control that draws nothing of its own: its buffer is the
// picture it took from its parent.
class TSeeThrough : public TQuarnCustomControl {
  QN_CLASS(TSeeThrough, TQuarnCustomControl)
 public:
  explicit TSeeThrough(TComponent* AOwner) : TQuarnCustomControl(AOwner) {}
};

// Records the change questions and the tab drawing; tab i is filled with
// Fill(i) when Paint is on.
struct Sink : TObject {
  std::vector<TQuarnTabSheet*> Asked;
  bool Allow = true;
  bool PaintTabs = false;
  Integer Drawn = 0;
  static TColor32 Fill(Integer i) { return 0xFF000000u | (0x30u + 0x40u * Cardinal(i)) << 16 | 0x00C0u; }
  void Changing(TObject*, TQuarnTabSheet* s, bool& allow) {
    Asked.push_back(s);
    allow = Allow;
  }
  void Draw(Integer TabIndex, const TRect&, bool, bool, TBitmap32* b) {
    ++Drawn;
    if (PaintTabs) b->Clear(Fill(TabIndex));
  }
};

class uQuarnTabs : public RootTest {
 protected:
  TQuarnPageControl* MakePages(Integer n, Integer W = 400, Integer H = 220) {
    auto* pc = Make<TQuarnPageControl>(10, 10, W, H);
    for (Integer i = 0; i < n; ++i) AddSheet(pc, u"Page " + IntToStr(i));
    pc->SetActivePageIndex(0);
    usertest::Pump();
    return pc;
  }
  TQuarnTabSheet* AddSheet(TQuarnPageControl* pc, const String& caption) {
    auto* s = new TQuarnTabSheet(FRoot.get());
    s->SetPageControl(pc);
    s->SetCaption(caption);
    return s;
  }
  uint32_t ScreenAt(TControl* c, Integer x, Integer y) {
    const TPoint p = c->ClientToScreen(TPoint(x, y));
    return CaptureScreen().Pixel(p.X, p.Y) & 0xFFFFFFu;
  }
  static uint32_t Rgb(TColor c) { return Color32(ColorToRGB(c)) & 0xFFFFFFu; }
  static TRect Rect(RECT r) { return TRect(r.Left, r.Top, r.Right, r.Bottom); }
  void Click(TControl* c, Integer x, Integer y) {
    MoveTo(c, x, y);
    Press();
    Release();
  }
};

// Our rewrite of the native answers, from the plain page control's.
TRect Adjusted(TTabPosition pos, TRect r, Integer W, Integer H) {
  switch (pos) {
    case tpTop: return TRect(0, r.Top - 7, W, H);
    case tpBottom: return TRect(0, 1, W, r.Bottom + 3);
    case tpLeft: return TRect(r.Left - 3, r.Top - 5, W - 1, H - 1);
    case tpRight: return TRect(r.Left - 3, r.Top - 5, r.Right + 3, H - 1);
  }
  return r;
}

TRect ItemAdjusted(TTabPosition pos, TRect r) {
  switch (pos) {
    case tpTop: return TRect(r.Left - 2, r.Top - 2, r.Right - 2, r.Bottom - 2);
    case tpBottom: return TRect(r.Left - 2, r.Top + 2, r.Right - 2, r.Bottom + 2);
    case tpLeft: return TRect(r.Left - 2, r.Top, r.Right - 2, r.Bottom);
    case tpRight: return TRect(r.Left + 2, r.Top, r.Right + 2, r.Bottom);
  }
  return r;
}

TEST_F(uQuarnTabs, DisplayAndTabRectsPerPositionAgainstThePlainPageControl) {
  auto* pc = MakePages(3);
  auto* plain = Make<TPageControl>(10, 10, 400, 220);
  plain->SetTabHeight(26);  // our default item height
  for (Integer i = 0; i < 3; ++i) {
    auto* s = new TTabSheet(FRoot.get());
    s->SetPageControl(plain);
    s->SetCaption(u"Page " + IntToStr(i));
  }
  for (TTabPosition pos : {tpTop, tpBottom, tpLeft, tpRight}) {
    SCOPED_TRACE(int(pos));
    pc->SetTabPosition(pos);
    plain->SetTabPosition(pos);
    usertest::Pump();
    EXPECT_EQ(pc->DisplayRect(), Adjusted(pos, plain->DisplayRect(), 400, 220));
    EXPECT_EQ(pc->ActivePage()->BoundsRect(), pc->DisplayRect());
    for (Integer i = 0; i < 3; ++i) EXPECT_EQ(pc->GetItemRect(i), ItemAdjusted(pos, plain->TabRect(i))) << i;
  }
  // On top the strip starts at the corner and the sheets overlap the tabs'
  // last row by one.
  pc->SetTabPosition(tpTop);
  usertest::Pump();
  EXPECT_EQ(pc->GetItemRect(0).Left, 0);
  EXPECT_EQ(pc->GetItemRect(0).Top, 0);
  EXPECT_EQ(pc->GetItemRect(0).Height(), 26);
  EXPECT_EQ(pc->DisplayRect().Top, 25);
  // A tab that is not there keeps the empty answer.
  EXPECT_EQ(pc->GetItemRect(7), TRect(0, 0, 0, 0));

  // Hidden: a one-pixel strip, left and right tabs brought to the top.
  pc->SetTabPosition(tpLeft);
  pc->HideTabs();
  usertest::Pump();
  EXPECT_TRUE(pc->TabsHidden());
  EXPECT_EQ(pc->TabPosition(), tpTop);
  plain->SetTabPosition(tpTop);
  plain->SetTabHeight(1);
  usertest::Pump();
  EXPECT_EQ(pc->DisplayRect(), Adjusted(tpTop, plain->DisplayRect(), 400, 220));
  pc->ShowTabs();
  usertest::Pump();
  EXPECT_EQ(pc->TabPosition(), tpLeft);
  EXPECT_EQ(pc->GetItemRect(0).Width(), 26);  // the default height again, across
}

TEST_F(uQuarnTabs, AutoSizedTabsShareTheWidthAndTheLastReachesTheEdge) {
  auto* pc = MakePages(3, 301);
  pc->SetTabWidthAutoSize(true);
  usertest::Pump();
  EXPECT_EQ(pc->GetItemRect(0).Width(), 301 / 3 - 1);
  EXPECT_EQ(pc->GetItemRect(1).Width(), 301 / 3 - 1);
  EXPECT_EQ(pc->GetItemRect(2).Right, 301);
  EXPECT_EQ(pc->GetItemRect(2).Height(), 26);
  // A resize keeps the default height and shares the new width.
  pc->SetWidth(400);
  usertest::Pump();
  EXPECT_EQ(pc->GetItemRect(0).Width(), 400 / 3 - 1);
  EXPECT_EQ(pc->GetItemRect(0).Height(), 26);
  EXPECT_EQ(pc->GetItemRect(2).Right, 400);
  // Pages coming and going share the width anew.
  AddSheet(pc, u"Fourth");
  usertest::Pump();
  EXPECT_EQ(pc->GetItemRect(0).Width(), 400 / 4 - 1);
  EXPECT_EQ(pc->GetItemRect(3).Right, 400);
  delete pc->Pages(0);
  usertest::Pump();
  EXPECT_EQ(pc->GetItemRect(0).Width(), 400 / 3 - 1);

  // Without pages the width is divided by one and nothing is drawn.
  auto* empty = Make<TQuarnPageControl>(10, 240, 200, 50);
  empty->SetTabWidthAutoSize(true);
  empty->SetItemSize(0, 0);
  empty->Invalidate();
  usertest::Pump();
  auto* first = AddSheet(empty, u"Only");
  usertest::Pump();
  EXPECT_EQ(empty->GetItemRect(0).Right, 200);
  EXPECT_EQ(first->TabIndex(), 0);
}

TEST_F(uQuarnTabs, TabsOffsetMovesPaintAndCorrectsOnlyPositiveClicks) {
  auto* pc = MakePages(3);
  Sink sink;
  sink.PaintTabs = true;
  pc->SetOnQnDrawTab(TQnDrawTabEvent(&sink, &Sink::Draw));
  const TRect r0 = pc->GetItemRect(1);
  pc->TabsOffset()->SetX(5);
  pc->TabsOffset()->SetY(3);
  usertest::Pump();
  const TRect r5 = pc->GetItemRect(1);
  EXPECT_EQ(r5, TRect(r0.Left + 5, r0.Top + 3, r0.Right + 5, r0.Bottom + 3));
  EXPECT_EQ(ScreenAt(pc, r5.Left + 1, r5.Top + 1), Sink::Fill(1) & 0xFFFFFFu);
  EXPECT_EQ(ScreenAt(pc, r5.Right - 1, r5.Top + 12), Sink::Fill(1) & 0xFFFFFFu);
  EXPECT_NE(ScreenAt(pc, r0.Left + 1, r0.Top + 1), Sink::Fill(1) & 0xFFFFFFu);
  // The last columns of the shifted tab lie over the native next tab; the
  // click still picks the tab painted there.
  Click(pc, r5.Right - 1, r5.Top + 10);
  EXPECT_EQ(pc->ActivePageIndex(), 1);

  // Negative: painted to the left, clicks go where the native tabs are.
  pc->SetActivePageIndex(0);
  pc->TabsOffset()->SetX(-5);
  pc->TabsOffset()->SetY(0);
  usertest::Pump();
  const TRect rn = pc->GetItemRect(1);
  EXPECT_EQ(rn.Left, r0.Left - 5);
  EXPECT_EQ(ScreenAt(pc, rn.Left + 1, rn.Top + 1), Sink::Fill(1) & 0xFFFFFFu);
  const TRect t2 = pc->GetItemRect(2);
  ASSERT_EQ(ScreenAt(pc, t2.Left + 1, t2.Top + 10), Sink::Fill(2) & 0xFFFFFFu);
  Click(pc, t2.Left + 1, t2.Top + 10);  // painted tab 2, native tab 1
  EXPECT_EQ(pc->ActivePageIndex(), 1);
}

TEST_F(uQuarnTabs, HotTrackingRepaintsOnlyWhenTheHotTabChanges) {
  auto* pc = MakePages(3);
  Sink sink;
  pc->SetOnQnDrawTab(TQnDrawTabEvent(&sink, &Sink::Draw));
  auto paints = [&] {
    usertest::Pump();
    const Integer n = sink.Drawn / 3;
    sink.Drawn = 0;
    return n;
  };
  paints();
  const TRect t1 = pc->GetItemRect(1), t0 = pc->GetItemRect(0);
  MoveTo(pc, t1.Left + 4, t1.Top + 5);
  EXPECT_EQ(pc->ActiveTab(), 1);
  EXPECT_EQ(paints(), 1);
  MoveTo(pc, t1.Left + 8, t1.Top + 9);  // the same tab
  EXPECT_EQ(paints(), 0);
  MoveTo(pc, t0.Left + 4, t0.Top + 5);  // to the selected tab: tab 1 goes cold
  EXPECT_EQ(pc->ActiveTabIndex(), 0);
  EXPECT_EQ(paints(), 1);
  MoveTo(pc, 200, 150);  // off the selected tab onto the sheet: nothing to show
  EXPECT_EQ(pc->ActiveTab(), -1);
  EXPECT_EQ(paints(), 0);
  MoveTo(pc, t1.Left + 4, t1.Top + 5);
  EXPECT_EQ(paints(), 1);
  MoveTo(FRoot.get(), 480, 290);  // leaving the control
  EXPECT_EQ(pc->ActiveTab(), -1);
  EXPECT_EQ(paints(), 1);
}

TEST_F(uQuarnTabs, ChangeQuestionNamesTheSheetByMouseKeysAndCtrlTab) {
  auto* pc = MakePages(0);
  auto* a = AddSheet(pc, u"Alpha");
  auto* hidden = AddSheet(pc, u"Hidden");
  auto* c = AddSheet(pc, u"Gamma");
  auto* plain = new TTabSheet(FRoot.get());
  plain->SetPageControl(pc);
  plain->SetCaption(u"Plain");
  hidden->SetTabVisible(false);
  pc->SetActivePage(a);
  usertest::Pump();
  Sink sink;
  pc->SetOnQnTabChanging(TQnTabChangingEvent(&sink, &Sink::Changing));

  // The second visible tab is the third page.
  const TRect t1 = pc->GetItemRect(1);
  Click(pc, t1.Left + 6, t1.Top + 8);
  ASSERT_EQ(sink.Asked.size(), 1u);
  EXPECT_EQ(sink.Asked[0], c);
  EXPECT_EQ(pc->ActivePage(), c);
  EXPECT_TRUE(c->UpdateChanged());

  // A plain sheet is not named.
  const TRect t2 = pc->GetItemRect(2);
  Click(pc, t2.Left + 6, t2.Top + 8);
  ASSERT_EQ(sink.Asked.size(), 2u);
  EXPECT_EQ(sink.Asked[1], nullptr);
  EXPECT_EQ(pc->ActivePage(), plain);

  // Keys: the sheet the arrow moves to, wherever the mouse is.
  pc->SetFocus();
  usertest::Pump();
  MoveTo(pc, t2.Left + 6, t2.Top + 8);
  Key(VK_HOME);
  ASSERT_EQ(sink.Asked.size(), 3u);
  EXPECT_EQ(sink.Asked[2], a);
  EXPECT_EQ(pc->ActivePage(), a);
  Key(VK_RIGHT);
  EXPECT_EQ(sink.Asked.back(), c);
  EXPECT_EQ(pc->ActivePage(), c);

  // Refused: the page stays, for clicks, keys and Ctrl+Tab alike.
  auto* edit = new TEdit(FRoot.get());
  edit->SetParent(c);
  edit->SetBounds(10, 10, 80, 22);
  sink.Allow = false;
  const TRect t0 = pc->GetItemRect(0);
  Click(pc, t0.Left + 6, t0.Top + 8);
  EXPECT_EQ(sink.Asked.back(), a);
  EXPECT_EQ(pc->ActivePage(), c);
  pc->SetFocus();
  Key(VK_LEFT);
  EXPECT_EQ(pc->ActivePage(), c);
  const size_t before = sink.Asked.size();
  edit->SetFocus();
  usertest::Pump();
  // Dialog keys are found by the application's message loop.
  auto ctrlTab = [](bool shift) {
    InputKeyDown(VK_CONTROL);
    if (shift) InputKeyDown(VK_SHIFT);
    InputKeyDown(VK_TAB);
    InputKeyUp(VK_TAB);
    if (shift) InputKeyUp(VK_SHIFT);
    InputKeyUp(VK_CONTROL);
    Application->ProcessMessages();
  };
  ctrlTab(false);
  ASSERT_EQ(sink.Asked.size(), before + 1);
  EXPECT_EQ(sink.Asked.back(), nullptr);  // the plain sheet comes next
  EXPECT_EQ(pc->NewTabSheet(), nullptr);
  EXPECT_EQ(pc->ActivePage(), c);
  sink.Allow = true;
  ctrlTab(true);
  EXPECT_EQ(sink.Asked.back(), a);  // backwards past the page without a tab
  EXPECT_EQ(pc->ActivePage(), a);
}

TEST_F(uQuarnTabs, SheetsBlendTheirColourOverWhatLiesBehind) {
  auto* pc = MakePages(2);
  auto* s = static_cast<TQuarnTabSheet*>(pc->Pages(0));
  usertest::Pump();
  // White at 192 over the root's colour, channel by channel.
  const uint32_t root = RootColour();
  auto mix = [](uint32_t c, uint32_t d, uint32_t a) {
    uint32_t r = 0;
    for (int sh : {0, 8, 16}) r |= ((((c >> sh) & 0xFF) * a + ((d >> sh) & 0xFF) * (255 - a) + 127) / 255) << sh;
    return r;
  };
  const uint32_t blended = mix(0xFFFFFF, root, 192);
  EXPECT_EQ(ScreenAt(s, 20, 20), blended);
  EXPECT_EQ(ScreenAt(s, 0, 20), Rgb(s->FrameColor()));
  EXPECT_EQ(ScreenAt(s, s->Width() - 1, 20), Rgb(s->FrameColor()));
  EXPECT_EQ(ScreenAt(s, 20, s->Height() - 1), Rgb(s->FrameColor()));

  // A transparent skinned control on the sheet sees the same picture.
  auto* probe = new TSeeThrough(FRoot.get());
  probe->SetParent(s);
  probe->SetBounds(30, 30, 40, 20);
  usertest::Pump();
  EXPECT_EQ(Picture(probe)->ScanLine(5)[5] & 0xFFFFFFu, blended);
  EXPECT_EQ(ScreenAt(probe, 5, 5), blended);

  // Opaque colour hides what is behind; a page control that is not
  // transparent shows its colour under the sheet instead of the root.
  s->SetColor(clRed);
  s->SetAlpha(255);
  usertest::Pump();
  EXPECT_EQ(ScreenAt(s, 20, 20), Rgb(clRed));
  s->SetAlpha(128);
  s->SetColor(clWhite);
  pc->SetTransparent(false);
  pc->SetColor(clBlue);
  usertest::Pump();
  EXPECT_EQ(ScreenAt(s, 20, 20), mix(0xFFFFFF, 0xFFFFFF, 128));  // the sheet's colour under itself
  EXPECT_EQ(ScreenAt(pc, pc->Width() - 3, 5), Rgb(clBlue));  // past the tabs
}

TEST_F(uQuarnTabs, DesignTimeTabsShowTheTwoFillsWithoutImages) {
  auto* pc = MakePages(2);
  pc->SetDesigning(true);
  pc->Invalidate();
  usertest::Pump();
  const TRect t0 = pc->GetItemRect(0), t1 = pc->GetItemRect(1);
  EXPECT_EQ(ScreenAt(pc, t0.Left + 1, t0.Top + 1), Rgb(TColor(0x0000C7F9)));
  EXPECT_EQ(ScreenAt(pc, t1.Left + 1, t1.Top + 1), Rgb(TColor(0x00D4CEC1)));
  EXPECT_EQ(ScreenAt(pc, t1.Right - 2, t1.Bottom - 2), Rgb(TColor(0x00D4CEC1)));
  // No picture is taken from behind: the colour fills the rest.
  EXPECT_EQ(ScreenAt(pc, pc->Width() - 3, 5), Rgb(clBtnFace));
  // The caption is drawn: some pixel of the tab differs from the fill.
  bool ink = false;
  const TScreenImage shot = CaptureScreen();
  const TPoint o = pc->ClientToScreen(TPoint(0, 0));
  for (Integer y = t1.Top; y < t1.Bottom; ++y)
    for (Integer x = t1.Left; x < t1.Right; ++x)
      ink |= (shot.Pixel(o.X + x, o.Y + y) & 0xFFFFFFu) != Rgb(TColor(0x00D4CEC1));
  EXPECT_TRUE(ink);
}

TEST_F(uQuarnTabs, RunTimeTabsUseTheSkinPicturesByState) {
  auto* pc = MakePages(3);
  const TRect t0 = pc->GetItemRect(0), t1 = pc->GetItemRect(1);
  // The selected tab's picture has the accent line on top; the others not.
  const uint32_t top0 = ScreenAt(pc, t0.Left + t0.Width() / 2, t0.Top + 2);
  const uint32_t top1 = ScreenAt(pc, t1.Left + t1.Width() / 2, t1.Top + 2);
  EXPECT_NE(top0, top1);
  MoveTo(pc, t1.Left + 3, t1.Top + 12);
  const uint32_t hot = ScreenAt(pc, t1.Left + t1.Width() / 2, t1.Top);
  EXPECT_NE(hot, ScreenAt(pc, pc->GetItemRect(2).Left + 10, t1.Top));
  // A sheet's image for the state goes at the image offset.
  auto* s = static_cast<TQuarnTabSheet*>(pc->Pages(1));
  s->SetTabHotImage(u"QuarnCalendar_18_H");
  pc->TabImageOffset()->SetX(2);
  pc->TabImageOffset()->SetY(2);
  pc->Invalidate();
  usertest::Pump();
  TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(u"QuarnCalendar_18_H");
  ASSERT_NE(img, nullptr);
  Integer ix = -1, iy = -1;
  for (Integer y = 0; y < img->Height() && ix < 0; ++y)
    for (Integer x = 0; x < img->Width(); ++x)
      if ((img->ScanLine(y)[x] >> 24) == 0xFF) {
        ix = x;
        iy = y;
        break;
      }
  ASSERT_GE(ix, 0);
  // Blended at full opacity: each channel within one of the image's.
  const uint32_t got = ScreenAt(pc, t1.Left + 2 + ix, t1.Top + 2 + iy), want = img->ScanLine(iy)[ix];
  for (int sh : {0, 8, 16}) EXPECT_NEAR(Integer((got >> sh) & 0xFF), Integer((want >> sh) & 0xFF), 1) << sh;
}

TEST_F(uQuarnTabs, FormFileKeepsTheAlwaysStoredValuesAndTheClassesAreRegistered) {
  EXPECT_NE(GetClass(u"TQuarnPageControl"), nullptr);
  EXPECT_NE(GetClass(u"TQuarnTabSheet"), nullptr);
  auto* pc = Make<TQuarnPageControl>(10, 10, 300, 200);
  pc->SetName(u"Pages");
  pc->TabsOffset()->SetX(4);
  pc->SetDefaultItemHeight(30);
  pc->CaptionLight()->SetActive(true);
  auto* s = new TQuarnTabSheet(pc);
  s->SetName(u"First");
  s->SetPageControl(pc);
  s->SetAlpha(100);
  auto* s2 = new TQuarnTabSheet(pc);
  s2->SetName(u"Second");
  s2->SetPageControl(pc);
  s2->SetCaption(u"Two");
  pc->SetActivePage(s2);
  const std::string text = ComponentToText(pc);
  for (const char* want : {"TextInHorizontal = False", "TabsOffset.X = 4", "DefaultItemHeight = 30",
                           "CaptionLight.Active = True", "\n  Color = ", "FrameColor = ", "Alpha = 100"})
    EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
  for (const char* absent : {"TabNormalPicture", "TabCaptionOffset", "About", "Transparent"})
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;

  auto* back = new TQuarnPageControl(FRoot.get());
  back->SetParent(FRoot.get());
  pc->SetName(u"Before");
  TextToComponent(text, back);
  usertest::Pump();
  EXPECT_EQ(back->TabsOffset()->X(), 4);
  EXPECT_EQ(back->DefaultItemHeight(), 30);
  EXPECT_TRUE(back->CaptionLight()->Active());
  EXPECT_EQ(back->TabCaptionOffset()->X(), 5);
  ASSERT_EQ(back->PageCount(), 2);
  auto* bs = dynamic_cast<TQuarnTabSheet*>(back->Pages(0));
  ASSERT_NE(bs, nullptr);
  EXPECT_EQ(bs->Alpha(), 100);
  EXPECT_EQ(back->ActivePage(), back->Pages(1));
  EXPECT_EQ(back->Pages(1)->Caption(), u"Two");
  EXPECT_TRUE(back->Pages(1)->Visible());
  EXPECT_FALSE(bs->Visible());
  EXPECT_EQ(back->GetItemRect(0).Height(), 30);
}

}  // namespace

}  // namespace t_u_quarn_tabs_test
