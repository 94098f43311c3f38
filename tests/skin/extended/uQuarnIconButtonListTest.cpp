// The icon button list driven by the input driver and the virtual clock,
// with a fixed random seed: its grid geometry against simple references,
// the scroll bar, hot tracking, checks and clicks, edit mode (badges, the
// shake, deletion), drag reordering, partial repaints and a golden grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "skin/extended/uQuarnIconButtonList.h"
#include "skin/foundation/uQuarnResManager.h"
#include "tests/common/Golden.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_icon_button_list_test {

using namespace qn;

namespace {

std::unique_ptr<TBitmap> Square(Integer Size, uint32_t Colour) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(Size, Size);
  for (Integer y = 0; y < Size; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (Integer x = 0; x < Size; ++x) row[x] = (x < 2 || y < 2) ? 0x00FF00FFu : Colour;
  }
  return b;
}

class uQuarnIconButtonList : public skintest::RootTest {
 protected:
  void SetUp() override {
    skintest::RootTest::SetUp();
    RandSeed = 12345;
  }
  TQuarnIconButtonList* List(Integer W, Integer H, Integer Count) {
    auto* L = Make<TQuarnIconButtonList>(10, 10, W, H);
    L->SetOnCustomDraw([this](TObject*, TBitmap32*) { ++Paints; });
    for (Integer i = 0; i < Count; ++i) L->Items()->Add()->SetCaption(u"I" + IntToStr(i));
    usertest::Pump();
    Picture(L);
    return L;
  }
  TImageList* Icons() {
    auto* I = new TImageList(FRoot.get());
    I->SetSize(24, 24);
    const uint32_t colours[] = {0x00C03020u, 0x0020A040u, 0x002040C0u, 0x00808080u};
    for (uint32_t c : colours) I->AddMasked(Square(24, c).get(), TColor(0xFF00FF));
    return I;
  }
  TPoint Centre(TQnIconButtonItem* I) {
    const TRect& r = I->Rect();
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // Far enough apart in time never to make a double click.
  void ClickAt(TControl* C, TPoint P) {
    AdvanceClock(1000);
    MoveTo(C, P.X, P.Y);
    Press();
    Release();
  }
  std::vector<String> Captions(TQuarnIconButtonList* L) {
    std::vector<String> out;
    for (Integer i = 0; i < L->Items()->Count(); ++i) out.push_back(L->Items()->Items(i)->Caption());
    return out;
  }
  int Paints = 0;
};

// Blending an opaque badge may round a channel by a level.
bool Close(TColor32 A, TColor32 B) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > 2) return false;
  return true;
}

// The number of cells of Pitch whose run fits between the margins.
Integer Fit(Integer Span, Integer M, Integer Pitch) {
  Integer n = 0;
  while ((n + 1) * Pitch <= Span - 2 * M) ++n;
  return n;
}

}  // namespace

TEST_F(uQuarnIconButtonList, OriginsCentreAndRightAlignTheRowBetweenTheMargins) {
  auto* L = List(361, 281, 0);
  for (Integer count : {1, 2, 3, 7, 20}) {
    L->Items()->Clear();
    for (Integer i = 0; i < count; ++i) L->Items()->Add();
    for (Integer width : {150, 200, 221, 290, 361}) {
      L->SetBounds(10, 10, width, 281);
      const Integer W = L->ItemWidth(), S = L->ItemSpaceSize(), M = L->MarginBorderSize();
      const Integer n = std::min(Fit(width, M, W + S), count);
      const Integer span = n * W + (n - 1) * S;
      L->SetAlignWithItems(ihaCenter);
      const Integer c = L->GridOrigin().X;
      // The row's two outer gaps differ by at most the rounding.
      EXPECT_LE(std::abs((c - M) - (width - M - (c + span))), 1 + S) << count << " " << width;
      EXPECT_GE(c, M);
      L->SetAlignWithItems(ihaRight);
      EXPECT_EQ(L->GridOrigin().X + span, width - M) << count << " " << width;
      L->SetAlignWithItems(ihaLeft);
      EXPECT_EQ(L->GridOrigin().X, M);
    }
  }
  // Narrower than one cell and its margins: no grid origin.
  L->SetBounds(10, 10, 79, 281);
  L->SetAlignWithItems(ihaCenter);
  EXPECT_EQ(L->GridOrigin().X, 0);
  L->SetAlignWithItems(ihaRight);
  EXPECT_EQ(L->GridOrigin().X, 0);
  // Spacing that cancels or exceeds the cell never divides.
  for (Integer s : {-60, -61, -200}) {
    L->SetItemSpaceSize(s);
    L->SetBounds(10, 10, 361, 281);
    L->SetAlignWithItems(ihaCenter);
    EXPECT_EQ(L->GridOrigin().X, 0);
    L->SetAlignVerticalWithItems(ihavBottom);
    L->SetItemHeight(61);
    EXPECT_EQ(L->GridOrigin().Y, s == -60 ? L->GridOrigin().Y : 0);
    Picture(L);
  }
}

TEST_F(uQuarnIconButtonList, VerticalAlignmentCentresTheRowsInTheHeight) {
  auto* L = List(361, 281, 2);
  L->SetAlignVerticalWithItems(ihavCenter);
  const Integer H = L->ItemHeight(), S = L->ItemSpaceSize(), M = L->MarginBorderSize();
  const Integer n = std::min(Fit(281, M, H + S), 2);
  const Integer span = n * H + (n - 1) * S;
  const Integer y = L->GridOrigin().Y;
  EXPECT_LE(std::abs((y - M) - (281 - M - (y + span))), 1 + S);
  L->SetAlignVerticalWithItems(ihavBottom);
  EXPECT_EQ(L->GridOrigin().Y + span, 281 - M);
}

TEST_F(uQuarnIconButtonList, ARowEndingAtTheMarginStaysInThePaintButCountsANewRowInTheHeight) {
  // Cells at 10, 80 and 150 end at 210 = Width - M.
  auto* L = List(220, 281, 3);
  auto* I = L->Items();
  EXPECT_EQ(I->Items(2)->Rect().Right, 210);
  EXPECT_EQ(I->Items(2)->Rect().Top, I->Items(0)->Rect().Top);
  EXPECT_EQ(L->CalcItemsHeight(), 10 + (10 + 90) + 90 - 10);
  // One pixel narrower, the paint wraps too.
  L->SetBounds(10, 10, 219, 281);
  Picture(L);
  EXPECT_EQ(I->Items(2)->Rect().Left, 10);
  EXPECT_EQ(I->Items(2)->Rect().Top, I->Items(0)->Rect().Bottom + 10);
  // Nothing shown has no height.
  for (Integer i = 0; i < 3; ++i) I->Items(i)->SetVisible(false);
  EXPECT_EQ(L->CalcItemsHeight(), 0);
}

TEST_F(uQuarnIconButtonList, TheScrollBarComesAndGoesWithTheContentAndCoalescesRepaints) {
  auto* L = List(220, 200, 4);
  EXPECT_EQ(L->ScrollBar(), nullptr);
  while (L->CalcItemsHeight() < L->ClientHeight()) L->Items()->Add();
  usertest::Pump();
  ASSERT_NE(L->ScrollBar(), nullptr);
  EXPECT_EQ(L->ScrollBar()->Width(), 10);
  EXPECT_EQ(L->ScrollBar()->Align(), alRight);
  EXPECT_EQ(L->ScrollBar()->Max(), L->CalcItemsHeight());
  EXPECT_EQ(L->ScrollBar()->SmallChange(), 30);
  // Twenty moves within 5 ms: one repaint.
  Picture(L);
  Paints = 0;
  for (Integer p = 1; p <= 20; ++p) L->ScrollBar()->SetPosition(p);
  usertest::Pump();
  EXPECT_EQ(Paints, 0);
  Wait(10);
  EXPECT_EQ(Paints, 1);
  EXPECT_EQ(L->DispOffset().Y, L->MarginBorderSize() - 20);
  EXPECT_EQ(L->Items()->Items(0)->Rect().Top, L->MarginBorderSize() - 20);
  // The wheel moves by ScrollSize, clamped at both ends.
  L->ScrollBar()->SetPosition(0);
  MoveTo(L, 100, 50);
  Press();
  Release();
  InputMouseWheel(-120);
  usertest::Pump();
  EXPECT_EQ(L->ScrollBar()->Position(), 30);
  InputMouseWheel(120);
  InputMouseWheel(120);
  usertest::Pump();
  EXPECT_EQ(L->ScrollBar()->Position(), 0);
  // Fewer items again: the bar goes and the grid is back at the margin.
  while (L->Items()->Count() > 2) L->Items()->Delete(L->Items()->Count() - 1);
  usertest::Pump();
  EXPECT_EQ(L->ScrollBar(), nullptr);
  EXPECT_EQ(L->DispOffset(), TPoint(10, 10));
  L->SetHideScrollbar(true);
  for (Integer i = 0; i < 20; ++i) L->Items()->Add();
  EXPECT_EQ(L->ScrollBar(), nullptr);
}

TEST_F(uQuarnIconButtonList, HotTrackingSkipsDisabledItemsAndReports) {
  auto* L = List(361, 281, 3);
  std::vector<std::pair<Integer, Integer>> hot;
  L->SetOnHotChanged([&](TObject*, Integer O, Integer N) { hot.push_back({O, N}); });
  L->Items()->Items(1)->SetEnabled(false);
  Picture(L);
  const TPoint a = Centre(L->Items()->Items(0)), b = Centre(L->Items()->Items(1));
  MoveTo(L, a.X, a.Y);
  EXPECT_EQ(L->HotItemIndex(), 0);
  MoveTo(L, b.X, b.Y);
  EXPECT_EQ(L->HotItemIndex(), -1);
  MoveTo(L, a.X, a.Y);
  MoveTo(L, 355, 270);
  const std::vector<std::pair<Integer, Integer>> want{{-1, 0}, {0, -1}, {-1, 0}, {0, -1}};
  EXPECT_EQ(hot, want);
}

TEST_F(uQuarnIconButtonList, ClicksFireOnlyOnAReleaseOverThePressedItem) {
  auto* L = List(361, 281, 3);
  std::vector<Integer> clicks;
  int itemClicks = 0;
  L->SetOnClickItem([&](TObject*, Integer I) { clicks.push_back(I); });
  L->Items()->Items(1)->SetOnClick([&](TObject*) { ++itemClicks; });
  ClickAt(L, Centre(L->Items()->Items(1)));
  EXPECT_EQ(clicks, std::vector<Integer>{1});
  EXPECT_EQ(itemClicks, 1);
  EXPECT_EQ(L->FocusItemIndex(), 1);
  // Pressed on one, released on another or outside: nothing.
  const TPoint a = Centre(L->Items()->Items(0)), c = Centre(L->Items()->Items(2));
  MoveTo(L, a.X, a.Y);
  Press();
  EXPECT_TRUE(L->MousePressed());
  MoveTo(L, c.X, c.Y);
  Release();
  MoveTo(L, a.X, a.Y);
  Press();
  MoveTo(L, 355, 270);
  Release();
  EXPECT_EQ(clicks, std::vector<Integer>{1});
}

TEST_F(uQuarnIconButtonList, ChecksToggleInMultiModeAndStayExclusiveInSingleMode) {
  auto* L = List(361, 281, 3);
  auto* I = L->Items();
  ClickAt(L, Centre(I->Items(0)));
  ClickAt(L, Centre(I->Items(1)));
  EXPECT_TRUE(I->Items(0)->Checked());
  EXPECT_TRUE(I->Items(1)->Checked());
  ClickAt(L, Centre(I->Items(1)));
  EXPECT_FALSE(I->Items(1)->Checked());
  I->Items(0)->SetChecked(false);
  L->SetMultiChecked(false);
  ClickAt(L, Centre(I->Items(2)));
  EXPECT_TRUE(I->Items(2)->Checked());
  ClickAt(L, Centre(I->Items(0)));
  EXPECT_FALSE(I->Items(2)->Checked());
  EXPECT_TRUE(I->Items(0)->Checked());
  // Again on the same one: unchecked first, toggled back on.
  ClickAt(L, Centre(I->Items(0)));
  EXPECT_TRUE(I->Items(0)->Checked());
  // A veto keeps the focus and the checks.
  L->SetOnFocusChanging([](TObject*, Integer, Integer N, bool& Allow) { Allow = N != 1; });
  ClickAt(L, Centre(I->Items(1)));
  EXPECT_EQ(L->FocusItemIndex(), 0);
  EXPECT_FALSE(I->Items(1)->Checked());
  L->SetFocusItemIndex(1);
  EXPECT_EQ(L->FocusItemIndex(), 0);
  L->SetFocusItemIndex(2);
  EXPECT_EQ(L->FocusItemIndex(), 2);
}

TEST_F(uQuarnIconButtonList, EditModeBadgesLightUpAndDeleteWithoutAClick) {
  TQuarnImage* N = TQuarnResManagerObj()->GetImageByName(u"QuarnCancel_18_Normal");
  TQuarnImage* Hh = TQuarnResManagerObj()->GetImageByName(u"QuarnCancel_18_Hot");
  ASSERT_TRUE(N && Hh);
  auto* L = List(361, 281, 3);
  L->SetAlpha(255);
  auto* I = L->Items();
  I->Items(2)->SetReadOnly(true);
  int clicks = 0;
  bool allow = false;
  std::vector<Integer> asked;
  L->SetOnClickItem([&](TObject*, Integer) { ++clicks; });
  L->SetOnDeleteClick([&](TObject*, Integer Index, bool& Can) {
    asked.push_back(Index);
    Can = allow;
  });
  L->EnterEdit();
  TBitmap32* B = Picture(L);
  const TRect r0 = I->Items(0)->DeleteBtnRect();
  EXPECT_EQ(r0, TRect(I->Items(0)->Rect().Left, I->Items(0)->Rect().Top, I->Items(0)->Rect().Left + N->Width(),
                      I->Items(0)->Rect().Top + N->Height()));
  // An opaque point where the two badges differ.
  Integer px = -1, py = -1;
  for (Integer y = 0; y < N->Height() && px < 0; ++y)
    for (Integer x = 0; x < N->Width(); ++x)
      if ((N->GetPixel(x, y) >> 24) == 255 && (Hh->GetPixel(x, y) >> 24) == 255 &&
          (N->GetPixel(x, y) & 0xFFFFFF) != (Hh->GetPixel(x, y) & 0xFFFFFF)) {
        px = x;
        py = y;
        break;
      }
  ASSERT_GE(px, 0);
  const TPoint at(r0.Left + 1 + px, r0.Top + 1 + py);
  EXPECT_TRUE(Close(B->GetPixel(at.X, at.Y), N->GetPixel(px, py)));
  MoveTo(L, r0.Left + 5, r0.Top + 5);
  EXPECT_TRUE(L->MouseInDeleteButton());
  B = Picture(L);
  EXPECT_TRUE(Close(B->GetPixel(at.X, at.Y), Hh->GetPixel(px, py)));
  // The other badge stays normal.
  const TRect r1 = I->Items(1)->DeleteBtnRect();
  EXPECT_TRUE(Close(B->GetPixel(r1.Left + 1 + px, r1.Top + 1 + py), N->GetPixel(px, py)));
  // A refused deletion keeps the item and clicks nothing.
  Press();
  Release();
  EXPECT_EQ(asked, std::vector<Integer>{0});
  EXPECT_EQ(I->Count(), 3);
  allow = true;
  MoveTo(L, r0.Left + 6, r0.Top + 6);
  Press();
  Release();
  EXPECT_EQ(I->Count(), 2);
  EXPECT_EQ(I->Items(0)->Caption(), u"I1");
  EXPECT_EQ(clicks, 0);
  // A read-only item has no badge: its corner is no deletion.
  Picture(L);
  const TRect ro = I->Items(1)->Rect();
  MoveTo(L, ro.Left + 5, ro.Top + 5);
  EXPECT_FALSE(L->MouseInDeleteButton());
  Press();
  Release();
  EXPECT_EQ(I->Count(), 2);
  EXPECT_EQ(B->GetPixel(ro.Left + 1 + px, ro.Top + 1 + py) & 0xFFFFFF,
            Picture(L)->GetPixel(ro.Left + 1 + px, ro.Top + 1 + py) & 0xFFFFFF);
  L->ExitEdit();
  // Outside edit mode the same corner clicks.
  ClickAt(L, TPoint(ro.Left + 5, ro.Top + 5));
  EXPECT_EQ(clicks, 1);
}

TEST_F(uQuarnIconButtonList, ItemsShakeBetweenTwoDegreesWhileTheHotOneStandsStill) {
  auto* L = List(361, 281, 3);
  for (Integer i = 0; i < 3; ++i) {
    const Single a = L->Items()->Items(i)->Angle();
    EXPECT_TRUE(a >= -3 && a <= 2 && a == Single(Integer(a)));
  }
  L->SetShakeInEdit(true);
  L->EnterEdit();
  usertest::Pump();
  const TPoint hot = Centre(L->Items()->Items(1));
  MoveTo(L, hot.X, hot.Y);
  const Single hotAngle = L->Items()->Items(1)->Angle();
  // The reference: a step of one degree, turning at the bounds after one
  // repeated value.
  Single ref = L->Items()->Items(0)->Angle();
  bool up = L->Items()->Items(0)->AngleReverse();
  std::vector<Single> seen;
  for (int tick = 0; tick < 16; ++tick) {
    Wait(10);
    if (up) {
      ref += 1;
      if (ref > 2) ref = 2, up = false;
    } else {
      ref -= 1;
      if (ref < -2) ref = -2, up = true;
    }
    EXPECT_EQ(L->Items()->Items(0)->Angle(), ref) << tick;
    seen.push_back(L->Items()->Items(0)->Angle());
  }
  EXPECT_EQ(L->Items()->Items(1)->Angle(), hotAngle);
  // A full swing: both bounds twice in a row.
  auto has = [&](Single v) {
    for (size_t i = 1; i < seen.size(); ++i)
      if (seen[i] == v && seen[i - 1] == v) return true;
    return false;
  };
  EXPECT_TRUE(has(2) && has(-2));
  L->ExitEdit();
  // Switched on inside edit mode: one repaint, no ticking.
  L->SetShakeInEdit(false);
  L->EnterEdit();
  Picture(L);
  Paints = 0;
  L->SetShakeInEdit(true);
  Wait(60);
  EXPECT_EQ(Paints, 1);
}

TEST_F(uQuarnIconButtonList, DraggingAnItemBeforeTheFirstReordersAndLeavesThePlaceholderEmpty) {
  auto* L = List(361, 281, 3);
  L->SetAlpha(255);
  L->SetImages(Icons());
  for (Integer i = 0; i < 3; ++i) L->Items()->Items(i)->SetImageNormalIndex(i);
  L->EnterEdit();
  Picture(L);
  const TPoint src = Centre(L->Items()->Items(2));
  const TRect first = L->Items()->Items(0)->Rect();
  MoveTo(L, src.X, src.Y + 20);
  Press();
  EXPECT_FALSE(L->Items()->Items(2)->Visible());
  MoveTo(L, src.X - 20, src.Y + 20);
  MoveTo(L, first.Left + 5, first.Top + 40);
  ASSERT_NE(L->DestDragButtonItem(), nullptr);
  EXPECT_EQ(L->DestDragButtonItem()->Index(), 0);
  // The placeholder's cell shows the bare panel, as empty space does.
  TBitmap32* B = Picture(L);
  const TRect ph = L->DestDragButtonItem()->Rect();
  EXPECT_EQ(B->GetPixel(ph.Left + 30, ph.Top + 30), B->GetPixel(330, 200));
  // Leaving during the drag keeps the hot item.
  const Integer hot = L->HotItemIndex();
  MoveTo(L, 400, 40);
  EXPECT_EQ(L->HotItemIndex(), hot);
  MoveTo(L, first.Left + 5, first.Top + 40);
  Release();
  usertest::Pump();
  EXPECT_EQ(Captions(L), (std::vector<String>{u"I2", u"I0", u"I1"}));
  EXPECT_TRUE(L->Items()->Items(0)->Visible());
  EXPECT_EQ(L->DestDragButtonItem(), nullptr);
  // The right half of a cell puts the item after it.
  Picture(L);
  const TPoint s2 = Centre(L->Items()->Items(0));
  const TRect last = L->Items()->Items(2)->Rect();
  MoveTo(L, s2.X, s2.Y + 20);
  Press();
  MoveTo(L, s2.X + 20, s2.Y + 20);
  MoveTo(L, last.Right - 5, last.Top + 40);
  Release();
  EXPECT_EQ(Captions(L), (std::vector<String>{u"I0", u"I1", u"I2"}));
}

TEST_F(uQuarnIconButtonList, AnItemDeletedDuringItsDragIsNeverTouchedAgain) {
  auto* L = List(361, 281, 3);
  L->EnterEdit();
  Picture(L);
  const TPoint src = Centre(L->Items()->Items(1));
  MoveTo(L, src.X, src.Y + 20);
  Press();
  MoveTo(L, src.X + 30, src.Y + 20);
  TQnIconButtonItem* dragged = L->SourceDragButtonItem();
  ASSERT_NE(dragged, nullptr);
  delete dragged;
  EXPECT_EQ(L->SourceDragButtonItem(), nullptr);
  // The placeholder too.
  delete L->DestDragButtonItem();
  MoveTo(L, 30, 40);
  Release();
  usertest::Pump();
  // The placeholder of the last move goes with the drag.
  EXPECT_EQ(Captions(L), (std::vector<String>{u"I0", u"I2"}));
  for (Integer i = 0; i < L->Items()->Count(); ++i) EXPECT_TRUE(L->Items()->Items(i)->Visible());
  EXPECT_EQ(L->DestDragButtonItem(), nullptr);
}

TEST_F(uQuarnIconButtonList, FastDrawModeRepaintsOnlyTheInvalidatedCell) {
  auto* L = List(361, 281, 6);
  L->SetFastDrawMode(true);
  std::vector<Integer> drawn;
  TColor32 mark = 0xFF00A000;
  L->SetOnDrawItem([&](TObject*, TBitmap32* B, TQnIconButtonItemData* D) {
    drawn.push_back(D->Index());
    const TRect& r = D->Rect();
    B->FillRectS(r.Left + 20, r.Top + 20, r.Left + 40, r.Top + 40, D->Index() == 3 ? mark : 0xFF000000u);
  });
  TBitmap32* B = Picture(L);
  std::vector<TColor32> before(B->Bits(), B->Bits() + B->Width() * B->Height());
  drawn.clear();
  mark = 0xFFA00000;
  L->Items()->Items(3)->Invalidate();
  usertest::Pump();
  B = L->Buffer();
  EXPECT_EQ(drawn, std::vector<Integer>{3});
  const TRect r = L->Items()->Items(3)->Rect();
  EXPECT_EQ(B->GetPixel(r.Left + 30, r.Top + 30), mark);
  Integer changedOutside = 0;
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x)
      if (!(x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) && B->GetPixel(x, y) != before[y * B->Width() + x])
        ++changedOutside;
  EXPECT_EQ(changedOutside, 0);
  // Hot changes repaint nothing in this mode.
  Paints = 0;
  const TPoint c = Centre(L->Items()->Items(0));
  MoveTo(L, c.X, c.Y);
  EXPECT_EQ(L->HotItemIndex(), 0);
  EXPECT_EQ(Paints, 0);
}

TEST_F(uQuarnIconButtonList, CursorWidthAndImageListRules) {
  auto* L = List(361, 281, 2);
  L->SetOnGetCursor([](TObject*, TCursor& C) { C = crHandPoint; });
  L->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(L->Handle()), HTCLIENT);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  L->SetItemWidth(0);
  L->SetItemWidth(-5);
  EXPECT_EQ(L->ItemWidth(), 60);
  L->SetItemHeight(90);
  EXPECT_EQ(L->Items()->Items(0)->Rect().Bottom - L->Items()->Items(0)->Rect().Top, 80);
  Picture(L);
  EXPECT_EQ(L->Items()->Items(0)->Rect().Bottom - L->Items()->Items(0)->Rect().Top, 90);
  TImageList* I = Icons();
  L->SetImages(I);
  delete I;
  EXPECT_EQ(L->Images(), nullptr);
  Picture(L);
  std::vector<TQnIconButtonItem*> freed;
  L->SetOnFreeItem([&](TObject*, TQnIconButtonItem* It) { freed.push_back(It); });
  TQnIconButtonItem* first = L->Items()->Items(0);
  L->Items()->Delete(0);
  EXPECT_EQ(freed, std::vector<TQnIconButtonItem*>{first});
  L->SetOnFreeItem(nullptr);
  // New items: a whole angle from -3 to 2, every one of them in time.
  std::set<Integer> angles;
  for (int i = 0; i < 200; ++i) angles.insert(Integer(L->Items()->Add()->Angle()));
  EXPECT_EQ(angles, (std::set<Integer>{-3, -2, -1, 0, 1, 2}));
}

TEST_F(uQuarnIconButtonList, GoldenGridWithWrappedAndSingleLineCaptions) {
  auto* L = List(230, 290, 0);
  L->SetImages(Icons());
  L->SetAlpha(255);
  L->SetBounds(0, 0, 230, 290);
  const char16_t* caps[] = {u"One", u"Two words", u"A much longer caption", u"Four", u"Five",
                            u"Six", u"Seven", u"Eight", u"Nine"};
  for (Integer i = 0; i < 9; ++i) {
    auto* it = L->Items()->Add();
    it->SetCaption(caps[i]);
    it->SetImageNormalIndex(i % 4);
  }
  L->Items()->Items(4)->SetEnabled(false);
  L->Items()->Items(4)->SetImageDisibleIndex(3);
  L->SetCaptionWordWarp(true);
  Picture(L);
  FRoot->Repaint();
  usertest::Pump();
  TScreenImage Shot = CaptureWindow(FRoot->Handle(), true);
  L->SetCaptionWordWarp(false);
  Picture(L);
  FRoot->Repaint();
  usertest::Pump();
  TScreenImage Shot2 = CaptureWindow(FRoot->Handle(), true);
  TScreenImage Part;
  Part.Width = 460;
  Part.Height = 290;
  for (Integer Y = 0; Y < Part.Height; ++Y)
    for (Integer X = 0; X < Part.Width; ++X) Part.Pixels.push_back(X < 230 ? Shot.Pixel(X, Y) : Shot2.Pixel(X - 230, Y));
  qntest::ExpectMatchesGolden(Part, "icon-button-list", 2, 8);
}

}  // namespace t_u_quarn_icon_button_list_test
