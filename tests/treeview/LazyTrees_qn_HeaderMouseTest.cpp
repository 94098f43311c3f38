// Mouse input on the tree's header, driven through the input driver on the
// virtual clock: the splitter band, width and height tracking with their
// limits and cancellation, column dragging with its drop arithmetic, clicks
// that sort and check, the pop-up menu, hot cells that go after leaving and
// the split cursors.
#include <gtest/gtest.h>

#include <vector>

#include "examples/gallery/TreeHeaderMouseSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_header_mouse_test {

using namespace qn;

namespace {

class LazyTrees_qn_HeaderMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    ClearScreenOverlay();
    Mouse->SetDragThreshold(5);
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 520, 420);
    T = new TLazyStringTree_qn(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 400, 300);
    T->Font()->SetName(u"DejaVu Sans");
    T->Font()->SetSize(9);
    const char16_t* names[] = {u"A", u"B", u"C"};
    Integer widths[] = {120, 100, 110};
    for (int i = 0; i < 3; ++i) {
      TLazyTreeColumn* c = T->Header()->Columns()->Add();
      c->SetText(names[i]);
      c->SetWidth(widths[i]);
    }
    T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible, hoHotTrack});
    T->SetRootNodeCount(20);
    T->OnHeaderClick = [this](TVTHeader*, const TVTHeaderHitInfo& H) { Clicks.push_back(H); };
    T->OnAfterColumnWidthTracking = [this](TVTHeader*, TColumnIndex) { ++AfterWidth; };
    T->OnAfterHeaderHeightTracking = [this](TVTHeader*) { ++AfterHeight; };
    T->OnHeaderDragged = [this](TVTHeader*, TColumnIndex, Integer) { ++Dragged; };
    T->OnHeaderDraggedOut = [this](TVTHeader*, TColumnIndex, TPoint) { ++DraggedOut; };
    Form->Show();
    T->HandleNeeded();
    Pump();
  }
  void TearDown() override {
    ResetInput();
    delete Form;
    ClearScreenOverlay();
    ResetSystemSettings();
  }
  static void Pump() { Application->ProcessMessages(); }
  TVTHeader* H() { return T->Header(); }
  TLazyTreeColumns* Cols() { return T->Header()->Columns(); }
  Integer HeaderY() { return -H()->Height() / 2; }
  // The splitter right of a column: the first pixel right of it.
  Integer Splitter(TColumnIndex C) {
    Integer l = 0, r = 0;
    Cols()->GetColumnBounds(C, l, r);
    return r;
  }
  Integer Middle(TColumnIndex C) {
    Integer l = 0, r = 0;
    Cols()->GetColumnBounds(C, l, r);
    return (l + r) / 2;
  }
  void MoveTo(TPoint Client) {
    TPoint s = T->ClientToScreen(Client);
    InputMouseMove(s.X, s.Y);
    Pump();
  }
  void Press(TPoint Client) {
    AdvanceClock(1000);
    MoveTo(Client);
    InputMouseDown(VK_LBUTTON);
    Pump();
  }
  void Release() {
    InputMouseUp(VK_LBUTTON);
    Pump();
  }
  void Click(TPoint Client) {
    Press(Client);
    Release();
  }
  std::vector<TColumnPosition> Positions() {
    std::vector<TColumnPosition> p;
    for (Integer i = 0; i < Cols()->Count(); ++i) p.push_back(Cols()->Items(i)->Position());
    return p;
  }

  TForm* Form = nullptr;
  TLazyStringTree_qn* T = nullptr;
  std::vector<TVTHeaderHitInfo> Clicks;
  int AfterWidth = 0, AfterHeight = 0, Dragged = 0, DraggedOut = 0;
};

TEST_F(LazyTrees_qn_HeaderMouse, SplitterBandTracksAndOutsideItPressesTheCell) {
  // Left to right: the band is SP - 2 ... SP + 4 around column A's right edge.
  Integer sp = Splitter(0);
  for (Integer d = -3; d <= 5; ++d) {
    Press(TPoint(sp + d, HeaderY()));
    bool inBand = d >= -2 && d <= 4;
    EXPECT_EQ(H()->States().Contains(hsColumnWidthTrackPending), inBand) << d;
    if (!inBand) { EXPECT_EQ(Cols()->DownIndex(), d < 0 ? 0 : 1) << d; }
    Release();
    EXPECT_TRUE(H()->States().Empty()) << d;
  }
  // A splitter that cannot resize is not grabbed: the cell is pressed.
  Cols()->Items(0)->SetOptions(Cols()->Items(0)->Options() - TVTColumnOptions{coResizable});
  Press(TPoint(sp, HeaderY()));
  EXPECT_FALSE(H()->States().Contains(hsColumnWidthTrackPending));
  EXPECT_EQ(Cols()->DownIndex(), 1);
  Release();
  Cols()->Items(0)->SetOptions(Cols()->Items(0)->Options() + TVTColumnOptions{coResizable});
  T->OnCanSplitterResizeColumn = [](TVTHeader*, TPoint, TColumnIndex Column, bool& Allowed) {
    if (Column == 0) Allowed = false;
  };
  Press(TPoint(sp - 1, HeaderY()));
  EXPECT_FALSE(H()->States().Contains(hsColumnWidthTrackPending));
  EXPECT_EQ(Cols()->DownIndex(), 0);
  Release();
  T->OnCanSplitterResizeColumn = nullptr;

  // Right to left the band lies around the column's left edge: SP - 4 ... SP + 2.
  T->SetBiDiMode(bdRightToLeft);
  Pump();
  Integer l = 0, r = 0;
  Cols()->GetColumnBounds(1, l, r);
  for (Integer d = -5; d <= 3; ++d) {
    Press(TPoint(l + d, HeaderY()));
    bool inBand = d >= -4 && d <= 2;
    EXPECT_EQ(H()->States().Contains(hsColumnWidthTrackPending), inBand) << "rtl " << d;
    if (inBand) { EXPECT_EQ(Cols()->TrackIndex(), 1) << d; }
    Release();
  }
}

TEST_F(LazyTrees_qn_HeaderMouse, TheFixedAreasEdgeIsGrabbedOverTheNodeRows) {
  Cols()->Items(0)->SetOptions(Cols()->Items(0)->Options() + TVTColumnOptions{coFixed});
  Integer sp = Splitter(0);
  Press(TPoint(sp + 1, 30));
  EXPECT_TRUE(H()->States().Contains(hsColumnWidthTrackPending));
  MoveTo(TPoint(sp + 10, 30));
  MoveTo(TPoint(sp + 21, 30));
  Release();
  // The width follows the mouse from the column's left edge.
  EXPECT_EQ(Cols()->Items(0)->Width(), sp + 21);
  EXPECT_EQ(AfterWidth, 1);
  // The edge of a column that is not fixed is not grabbed below the header.
  Press(TPoint(Splitter(1), 30));
  EXPECT_TRUE(H()->States().Empty());
  Release();
}

TEST_F(LazyTrees_qn_HeaderMouse, WidthTrackingKeepsLimitsNeighboursAndEscape) {
  TLazyTreeColumn* a = Cols()->Items(0);
  a->SetMinWidth(40);
  a->SetMaxWidth(200);
  Integer sp = Splitter(0);
  Press(TPoint(sp, HeaderY()));
  MoveTo(TPoint(sp + 1, HeaderY()));  // starts tracking
  EXPECT_TRUE(H()->States().Contains(hsColumnWidthTracking));
  MoveTo(TPoint(sp + 30, HeaderY()));
  EXPECT_EQ(a->Width(), 150);
  MoveTo(TPoint(5, HeaderY()));
  EXPECT_EQ(a->Width(), 40);
  MoveTo(TPoint(380, HeaderY()));
  EXPECT_EQ(a->Width(), 200);
  MoveTo(TPoint(sp + 10, HeaderY()));
  EXPECT_EQ(a->Width(), 130);
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  Pump();
  EXPECT_EQ(AfterWidth, 1);
  EXPECT_TRUE(H()->States().Empty());
  EXPECT_EQ(a->Width(), 130);
  Release();
  EXPECT_EQ(AfterWidth, 1);
  EXPECT_EQ(a->Width(), 130);

  // The auto-size column fills the client: its neighbour takes the change.
  H()->SetAutoSizeIndex(0);
  H()->SetOptions(H()->Options() + TVTHeaderOptions{hoAutoResize});
  Pump();
  Integer total = Cols()->TotalWidth();
  Integer b = Cols()->Items(1)->Width();
  sp = Splitter(0);
  Press(TPoint(sp, HeaderY()));
  MoveTo(TPoint(sp + 1, HeaderY()));
  MoveTo(TPoint(sp + 20, HeaderY()));
  Release();
  EXPECT_EQ(Cols()->Items(1)->Width(), b - 20);
  EXPECT_EQ(Cols()->TotalWidth(), total);
}

TEST_F(LazyTrees_qn_HeaderMouse, HeightTrackingAndTheDoubleClickOnTheLowerEdge) {
  H()->SetOptions(H()->Options() + TVTHeaderOptions{hoHeightResize, hoHeightDblClickResize});
  H()->SetMinHeight(14);
  Integer h0 = H()->Height();
  Press(TPoint(200, -1));
  EXPECT_TRUE(H()->States().Contains(hsHeightTrackPending));
  MoveTo(TPoint(200, 0));
  EXPECT_TRUE(H()->States().Contains(hsHeightTracking));
  MoveTo(TPoint(200, 12));
  Release();
  // The first move only starts tracking; the second grows the header by
  // its distance below the client's top.
  EXPECT_EQ(H()->Height(), h0 + 12);
  EXPECT_EQ(AfterHeight, 1);
  EXPECT_TRUE(H()->States().Empty());

  AdvanceClock(1000);
  MoveTo(TPoint(200, -1));
  for (int i = 0; i < 2; ++i) {
    InputMouseDown(VK_LBUTTON);
    Pump();
    InputMouseUp(VK_LBUTTON);
    Pump();
    AdvanceClock(50);
  }
  EXPECT_EQ(H()->Height(), 14);
}

TEST_F(LazyTrees_qn_HeaderMouse, SmallMovesClickAndDropsFollowTheArithmetic) {
  H()->SetOptions(H()->Options() + TVTHeaderOptions{hoDrag});
  // Three pixels under a threshold of five stay a click.
  Press(TPoint(Middle(0), HeaderY()));
  MoveTo(TPoint(Middle(0) + 3, HeaderY()));
  EXPECT_TRUE(H()->States().Contains(hsDragPending));
  Release();
  ASSERT_EQ(Clicks.size(), 1u);
  EXPECT_EQ(Clicks[0].Column, 0);
  EXPECT_EQ(Positions(), (std::vector<TColumnPosition>{0, 1, 2}));

  auto drag = [&](TColumnIndex From, TPoint To) {
    Press(TPoint(Middle(From), HeaderY()));
    MoveTo(TPoint(Middle(From) + 8, HeaderY()));
    EXPECT_TRUE(H()->States().Contains(hsDragging));
    EXPECT_TRUE(H()->DragImage()->GetVisible());
    MoveTo(To);
  };
  // A before C: position 1.
  Integer l = 0, r = 0;
  Cols()->GetColumnBounds(2, l, r);
  drag(0, TPoint(l + 5, HeaderY()));
  EXPECT_EQ(Cols()->DropTarget(), 2);
  EXPECT_TRUE(Cols()->DropBefore());
  Release();
  EXPECT_FALSE(H()->DragImage()->GetVisible());
  EXPECT_EQ(Cols()->Items(0)->Position(), 1u);
  EXPECT_EQ(Dragged, 1);
  // Back to the start, then A after C: position 2.
  Cols()->Items(0)->SetPosition(0);
  Pump();
  Cols()->GetColumnBounds(2, l, r);
  drag(0, TPoint(r - 5, HeaderY()));
  EXPECT_FALSE(Cols()->DropBefore());
  Release();
  EXPECT_EQ(Cols()->Items(0)->Position(), 2u);
  EXPECT_EQ(Cols()->Items(2)->Position(), 1u);
  // Outside the window: dragged out, nothing moves.
  Cols()->Items(0)->SetPosition(0);
  Pump();
  std::vector<TColumnPosition> before = Positions();
  drag(0, TPoint(Middle(2), HeaderY()));
  MoveTo(TPoint(Middle(2), 360));
  Release();
  EXPECT_EQ(DraggedOut, 1);
  EXPECT_EQ(Positions(), before);
  EXPECT_TRUE(H()->States().Empty());
  EXPECT_EQ(Cols()->DropTarget(), NoColumn);
}

TEST_F(LazyTrees_qn_HeaderMouse, VetoedDragsAndColumnsDeletedMidDrag) {
  H()->SetOptions(H()->Options() + TVTHeaderOptions{hoDrag});
  T->OnHeaderDragging = [](TVTHeader*, TColumnIndex, bool& Allowed) { Allowed = false; };
  Press(TPoint(Middle(0), HeaderY()));
  MoveTo(TPoint(Middle(0) + 60, HeaderY()));
  MoveTo(TPoint(Middle(2), HeaderY()));
  EXPECT_FALSE(H()->States().Contains(hsDragging));
  Release();
  EXPECT_EQ(Positions(), (std::vector<TColumnPosition>{0, 1, 2}));
  T->OnHeaderDragging = nullptr;

  // The drop target goes: the drop is aimed at nothing and moves nothing.
  Press(TPoint(Middle(0), HeaderY()));
  MoveTo(TPoint(Middle(0) + 8, HeaderY()));
  MoveTo(TPoint(Middle(2), HeaderY()));
  EXPECT_EQ(Cols()->DropTarget(), 2);
  Cols()->Delete(2);
  EXPECT_EQ(Cols()->DropTarget(), NoColumn);
  Release();
  EXPECT_EQ(Dragged, 0);
  EXPECT_EQ(DraggedOut, 1);
  EXPECT_EQ(Positions(), (std::vector<TColumnPosition>{0, 1}));
  DraggedOut = 0;
  // The dragged column goes: the drag ends at once, the release is harmless.
  Press(TPoint(Middle(1), HeaderY()));
  MoveTo(TPoint(Middle(1) - 8, HeaderY()));
  MoveTo(TPoint(Middle(0), HeaderY()));
  ASSERT_TRUE(H()->States().Contains(hsDragging));
  Cols()->Delete(1);
  EXPECT_FALSE(H()->States().Contains(hsDragging));
  EXPECT_FALSE(H()->DragImage()->GetVisible());
  EXPECT_EQ(Cols()->DragIndex(), NoColumn);
  Release();
  EXPECT_EQ(Dragged + DraggedOut, 0);
  EXPECT_EQ(Cols()->Count(), 1);
  // Clearing the columns ends a drag as well.
  Cols()->Add()->SetWidth(80);
  Pump();
  Press(TPoint(Middle(0), HeaderY()));
  MoveTo(TPoint(Middle(0) + 20, HeaderY()));
  ASSERT_TRUE(H()->States().Contains(hsDragging));
  Cols()->Clear();
  EXPECT_TRUE(H()->States().Empty());
  EXPECT_EQ(Cols()->DropTarget(), NoColumn);
  EXPECT_EQ(Cols()->DragIndex(), NoColumn);
  Release();
}

TEST_F(LazyTrees_qn_HeaderMouse, ClicksSortChecksAndPopUpTheMenu) {
  H()->SetOptions(H()->Options() + TVTHeaderOptions{hoHeaderClickAutoSort, hoShowImages});
  Click(TPoint(Middle(1), HeaderY()));
  EXPECT_EQ(H()->SortColumn(), 1);
  EXPECT_EQ(H()->SortDirection(), sdAscending);
  Click(TPoint(Middle(1), HeaderY()));
  EXPECT_EQ(H()->SortDirection(), sdDescending);
  Cols()->Items(2)->SetDefaultSortDirection(sdDescending);
  Click(TPoint(Middle(2), HeaderY()));
  EXPECT_EQ(H()->SortColumn(), 2);
  EXPECT_EQ(H()->SortDirection(), sdDescending);

  // The check box of column A toggles and does not sort.
  TLazyTreeColumn* a = Cols()->Items(0);
  a->SetCheckBox(true);
  Pump();
  ASSERT_TRUE(a->HasImage());
  TRect box = a->ImageRect();
  Clicks.clear();
  Click(TPoint((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2 - H()->Height()));
  EXPECT_EQ(a->CheckState(), csCheckedNormal);
  EXPECT_EQ(H()->SortColumn(), 2);
  ASSERT_EQ(Clicks.size(), 1u);
  EXPECT_TRUE(Clicks[0].HitPosition.Contains(hhiOnCheckbox));

  // Right click: the header's own menu, else the one OnGetPopupMenu gives.
  TPopupMenu own(nullptr), asked(nullptr);
  own.Items()->Add(NewItem(u"Own", 0, false, true, nullptr, 0, u"OwnItem"));
  asked.Items()->Add(NewItem(u"Asked", 0, false, true, nullptr, 0, u"AskedItem"));
  std::vector<TComponent*> shown;
  own.SetOnPopup([&](TObject*) { shown.push_back(own.PopupComponent()); });
  asked.SetOnPopup([&](TObject*) { shown.push_back(nullptr); });
  TMenuResponder old = SetMenuResponder([](HMENU, UINT&) { return false; });
  T->OnGetPopupMenu = [&](TBaseLazyTree_qn*, PLazyNode, TColumnIndex Column, TPoint, bool&, TPopupMenu*& Menu) {
    EXPECT_EQ(Column, 1);
    Menu = &asked;
  };
  AdvanceClock(1000);
  MoveTo(TPoint(Middle(1), HeaderY()));
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  Pump();
  H()->SetPopupMenu(&own);
  AdvanceClock(1000);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  Pump();
  H()->SetPopupMenu(nullptr);
  SetMenuResponder(old);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], nullptr);
  EXPECT_EQ(shown[1], T);
}

TEST_F(LazyTrees_qn_HeaderMouse, HotCellLeavesWithTheTimerAndSplittersShowTheirCursors) {
  MoveTo(TPoint(Middle(1), HeaderY()));
  MoveTo(TPoint(Middle(1) + 1, HeaderY()));
  EXPECT_EQ(Cols()->HoverIndex(), 1);
  MoveTo(TPoint(Middle(1), 40));
  // Still hot until the header timer finds the mouse gone.
  EXPECT_EQ(Cols()->HoverIndex(), 1);
  for (int i = 0; i < 6; ++i) {
    AdvanceClock(10);
    Pump();
  }
  EXPECT_EQ(Cols()->HoverIndex(), NoColumn);

  auto cursorAt = [&](TPoint P) {
    MoveTo(P);
    MoveTo(TPoint(P.X, P.Y));
    return GetCursor();
  };
  EXPECT_EQ(cursorAt(TPoint(Splitter(0) + 1, HeaderY())), Screen->Cursors(crHeaderSplit));
  H()->SetOptions(H()->Options() + TVTHeaderOptions{hoHeightResize});
  EXPECT_EQ(cursorAt(TPoint(Middle(1), -1)), Screen->Cursors(crVertSplit));
  EXPECT_NE(cursorAt(TPoint(Middle(1), HeaderY())), Screen->Cursors(crHeaderSplit));
  HCURSOR mine = Screen->Cursors(crHandPoint);
  T->OnGetHeaderCursor = [&](TVTHeader*, HCURSOR& Cursor) { Cursor = mine; };
  EXPECT_EQ(cursorAt(TPoint(Splitter(0) + 1, HeaderY())), mine);
}

TEST_F(LazyTrees_qn_HeaderMouse, GallerySheetMatchesItsGoldenImage) {
  vcl::TScreenImage sheet = gallery::TTreeHeaderMouseSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-headermouse", 8, sheet.Width * sheet.Height / 200);
}

}  // namespace

}  // namespace t_lazy_trees_qn_header_mouse_test
