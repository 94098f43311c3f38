// OLE drag and drop between trees through the modal drag loop, driven by
// queued input on the virtual clock: suggested effects, drop modes, the
// application's drop with ProcessDrop, cancelling, refused drops and a
// drag manager that outlives its tree.
#include <gtest/gtest.h>

#include <vector>

#include "platform/desktop/Desktop.h"
#include "platform/ole/ActiveX.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"
#include "treeview/LazyTrees_qn.h"

using namespace qn;
using namespace streamtest;

namespace {

class TDragTree : public THostTree {
  QN_CLASS(TDragTree, THostTree)
 public:
  using TBaseLazyTree_qn::DetermineDropMode;
  using TBaseLazyTree_qn::DoDragging;
  using TBaseLazyTree_qn::SuggestDropEffect;
  TDragTree(Integer Left) {
    SetMulti(true);
    ClipboardFormats()->Add(u"Lazy Tree Data");
    auto* form = static_cast<TForm*>(Parent());
    form->SetPosition(poDesigned);
    form->SetBounds(Left, 20, 400, 300);
    form->Show();
    HandleNeeded();
    for (Cardinal id = 1; id <= 4; ++id) {
      PLazyNode n = AddChild(nullptr);
      InitNode(n);
      SetId(n, id);
      Captions[id] = u"Node number " + IntToStr(Integer(id));
    }
    OnTreeDragOver = [this](TBaseLazyTree_qn*, TObject*, TShiftState, TDragState State, TPoint, TDropMode,
                            DWORD& Effect, bool& Accept) {
      if (State != dsDragLeave) Offered.push_back(Effect);
      Accept = AcceptDrops;
    };
    OnTreeDragDrop = [this](TBaseLazyTree_qn*, TObject* Source, IDataObject* Data, const TFormatArray& Formats,
                            TShiftState, TPoint, DWORD& Effect, TDropMode Mode) {
      Drops.push_back({Source, Effect, Mode, Formats});
      TVTNodeAttachMode m = Mode == dmAbove ? amInsertBefore : Mode == dmBelow ? amInsertAfter : amAddChildLast;
      Integer e = Integer(CopyOnly ? DROPEFFECT_COPY : Effect);
      ProcessDrop(Data, DropTargetNode(), e, m);
      if (!CopyOnly) Effect = DWORD(e);
    };
  }
  struct TDrop {
    TObject* Source;
    DWORD Effect;
    TDropMode Mode;
    TFormatArray Formats;
  };
  std::vector<DWORD> Offered;
  std::vector<TDrop> Drops;
  bool AcceptDrops = true;
  // Copies what comes and leaves the effect: a move's source deletes.
  bool CopyOnly = false;
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = RootNode()->FirstChild;
    while (n && I-- > 0) n = n->NextSibling;
    return n;
  }
  std::vector<Cardinal> TopIds() {
    std::vector<Cardinal> ids;
    for (PLazyNode n = RootNode()->FirstChild; n; n = n->NextSibling) ids.push_back(Id(n));
    return ids;
  }
  // The screen point at the given height fraction of a node's row, on its
  // caption or, with Label false, right of it.
  TPoint At(PLazyNode Node, double Fraction, bool Label = true) {
    TRect r = GetDisplayRect(Node, NoColumn, true);
    TRect row = GetDisplayRect(Node, NoColumn, false);
    Integer x = Label ? (r.Left + 4) : (ClientWidth() - 4);
    Integer y = row.Top + Integer(Fraction * (row.Bottom - row.Top));
    return ClientToScreen(TPoint(x, y));
  }
};

class LazyTrees_qn_DragDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(OleInitialize(nullptr), 0);
    SetVirtualClock(true);
    ResetInput();
    Src = new TDragTree(0);
    Dst = new TDragTree(500);
    Application->ProcessMessages();
  }
  void TearDown() override {
    ResetInput();
    delete Dst;
    delete Src;
    Application->ProcessMessages();
    OleUninitialize();
  }
  // Presses on the source's first node, queues the moves and the release,
  // and runs the drag loop.
  void Drag(std::vector<TPoint> Path, bool Release = true) {
    TPoint start = Src->At(Src->Nth(0), 0.5);
    InputMouseMove(start.X, start.Y);
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
    for (TPoint p : Path) InputMouseMove(p.X, p.Y);
    if (Release) InputMouseUp(VK_LBUTTON);
    Src->ClearSelection();
    Src->AddToSelection(Src->Nth(0));
    Src->SetFocusedNode(Src->Nth(0));
    Src->DoDragging(TPoint(0, 0));
  }
  TDragTree* Src = nullptr;
  TDragTree* Dst = nullptr;
};

}  // namespace

TEST_F(LazyTrees_qn_DragDrop, EffectsSuggestedForSourcesAndModifiers) {
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  struct TCase {
    bool Own;
    TShiftState Shift;
    DWORD Allowed, Expected;
  };
  for (const TCase& c : std::vector<TCase>{
           {true, {}, all, DROPEFFECT_MOVE},
           {false, {}, all, DROPEFFECT_COPY},
           {true, {ssCtrl}, all, DROPEFFECT_COPY},
           {false, {ssShift}, all, DROPEFFECT_MOVE},
           {true, {ssCtrl, ssShift}, all, DROPEFFECT_LINK},
           {false, {ssAlt}, all, DROPEFFECT_LINK},
           // A modifier whose effect is not allowed keeps the plain choice.
           {false, {ssAlt}, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
           {true, {ssCtrl}, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
           // Nothing allowed that fits: the allowed set as it came.
           {false, {}, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE | DROPEFFECT_LINK},
       }) {
    EXPECT_EQ(Dst->SuggestDropEffect(c.Own ? Dst : Src, c.Shift, TPoint(0, 0), c.Allowed), c.Expected);
  }
}

TEST_F(LazyTrees_qn_DragDrop, DropModesAboveOnBelowAndNowhere) {
  PLazyNode n = Dst->Nth(1);
  TRect row = Dst->GetDisplayRect(n, NoColumn, false);
  THitInfo hit;
  hit.HitNode = n;
  hit.HitPositions = {hiOnItem, hiOnItemRight};
  const Integer mid = (row.Top + row.Bottom) / 2;
  EXPECT_EQ(Dst->DetermineDropMode(TPoint(200, mid - 1), hit, row), dmAbove);
  EXPECT_EQ(Dst->DetermineDropMode(TPoint(200, mid), hit, row), dmBelow) << "the exact middle is below";
  hit.HitPositions = {hiOnItem, hiOnItemLabel};
  EXPECT_EQ(Dst->DetermineDropMode(TPoint(20, row.Top), hit, row), dmOnNode);
  hit.HitPositions = {hiOnItem, hiOnItemRight};
  auto paint = Dst->TreeOptions()->PaintOptions();
  paint.Exclude(toShowDropmark);
  Dst->TreeOptions()->SetPaintOptions(paint);
  EXPECT_EQ(Dst->DetermineDropMode(TPoint(200, row.Top), hit, row), dmOnNode);
  // Report mode: only the main column's label or images count.
  Dst->SetMisc(toReportMode, true);
  hit.HitPositions = {hiOnItem, hiOnItemLabel};
  hit.HitColumn = 1;
  EXPECT_EQ(Dst->DetermineDropMode(TPoint(200, row.Top), hit, row), dmNowhere);
  EXPECT_EQ(hit.HitNode, nullptr);
  THitInfo none;
  EXPECT_EQ(Dst->DetermineDropMode(TPoint(0, 0), none, TRect()), dmNowhere);
}

TEST_F(LazyTrees_qn_DragDrop, DragIntoAnotherTreeCopiesBelowTheNode) {
  Drag({Dst->At(Dst->Nth(1), 0.5, false), Dst->At(Dst->Nth(1), 0.8, false)});
  ASSERT_EQ(Dst->Drops.size(), 1u);
  EXPECT_EQ(Dst->Drops[0].Source, Src);
  EXPECT_EQ(Dst->Drops[0].Effect & ~DROPEFFECT_SCROLL, DROPEFFECT_COPY);
  EXPECT_EQ(Dst->Drops[0].Mode, dmBelow);
  EXPECT_FALSE(Dst->Drops[0].Formats.empty());
  EXPECT_EQ(Dst->TopIds(), (std::vector<Cardinal>{1, 2, 1, 3, 4}));
  EXPECT_EQ(Src->TopIds(), (std::vector<Cardinal>{1, 2, 3, 4}));
  EXPECT_EQ(Src->LastDragEffect(), DROPEFFECT_COPY);
  EXPECT_FALSE(Src->TreeStates().Contains(tsOLEDragging));
  EXPECT_EQ(Dst->DropTargetNode(), nullptr);
}

TEST_F(LazyTrees_qn_DragDrop, DragInsideOneTreeMovesAndEmptyOperationsOfferAll) {
  Src->SetDragOperations({});
  Drag({Src->At(Src->Nth(2), 0.5, false), Src->At(Src->Nth(2), 0.7, false)});
  ASSERT_EQ(Src->Drops.size(), 1u);
  ASSERT_FALSE(Src->Offered.empty());
  EXPECT_EQ(Src->Drops[0].Effect & ~DROPEFFECT_SCROLL, DROPEFFECT_MOVE);
  EXPECT_EQ(Src->TopIds(), (std::vector<Cardinal>{2, 3, 1, 4}));
}

TEST_F(LazyTrees_qn_DragDrop, EscapeCancelsAndARefusedDropIsNoDrop) {
  // Escape while the button is still down.
  TPoint start = Src->At(Src->Nth(0), 0.5);
  InputMouseMove(start.X, start.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  TPoint over = Dst->At(Dst->Nth(0), 0.5, false);
  InputMouseMove(over.X, over.Y);
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  InputMouseUp(VK_LBUTTON);
  Src->AddToSelection(Src->Nth(0));
  Src->DoDragging(TPoint(0, 0));
  EXPECT_TRUE(Dst->Drops.empty());
  EXPECT_EQ(Src->LastDragEffect(), DROPEFFECT_NONE);
  EXPECT_EQ(Dst->TopIds(), (std::vector<Cardinal>{1, 2, 3, 4}));
  ResetInput();
  // A target that refuses: the drop answers E_FAIL and nobody hears of it.
  Dst->AcceptDrops = false;
  Drag({Dst->At(Dst->Nth(1), 0.5, false)});
  EXPECT_TRUE(Dst->Drops.empty());
  EXPECT_EQ(Src->LastDragEffect(), DROPEFFECT_NONE);
  TIntf<IDataObject> data(new TVTDataObject(Src, false));
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(Dst->DragDrop(data.get(), 0, Dst->At(Dst->Nth(1), 0.5), effect), E_FAIL);
  EXPECT_TRUE(Dst->Drops.empty());
}

TEST_F(LazyTrees_qn_DragDrop, TheDropSourceAndAManagerThatOutlivesItsTree) {
  TVTDragManager* m = Src->DragManager();
  EXPECT_EQ(m->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(m->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
  EXPECT_EQ(m->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(m->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(m->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(m->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_TRUE(m->GetDataObject()) << "a fresh data object outside a drag";
  TIntf<IDropTarget> held(static_cast<IDropTarget*>(Dst->DragManager()));
  delete Dst;
  Dst = nullptr;
  TIntf<IDataObject> data(new TVTDataObject(Src, false));
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(held->DragEnter(data.get(), MK_LBUTTON, POINTL{600, 60}, &effect), S_OK);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(held->Drop(data.get(), 0, POINTL{600, 60}, &effect), S_OK);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST_F(LazyTrees_qn_DragDrop, HoveringExpandsAndAMovedSelectionIsDeletedAtTheSource) {
  PLazyNode parent = Dst->Nth(2);
  PLazyNode child = Dst->AddChild(parent);
  Dst->InitNode(child);
  Dst->SetId(child, 9);
  ASSERT_FALSE(Dst->Expanded(parent));
  Dst->SetAutoExpandDelay(300);
  Src->SetMisc(toReadOnly, false);
  auto autoOptions = Src->TreeOptions()->AutoOptions();
  autoOptions.Include(toAutoDeleteMovedNodes);
  Src->TreeOptions()->SetAutoOptions(autoOptions);
  Dst->CopyOnly = true;
  TPoint start = Src->At(Src->Nth(0), 0.5);
  InputMouseMove(start.X, start.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  TPoint over = Dst->At(parent, 0.5);
  InputMouseMove(over.X, over.Y);
  InputPause(200);
  InputMouseMove(over.X + 1, over.Y);
  InputPause(200);
  InputKeyDown(VK_SHIFT);
  TPoint below = Dst->At(Dst->Nth(3), 0.8, false);
  InputMouseMove(below.X, below.Y);
  InputMouseUp(VK_LBUTTON);
  Src->ClearSelection();
  Src->AddToSelection(Src->Nth(0));
  Src->SetFocusedNode(Src->Nth(0));
  Src->DoDragging(TPoint(0, 0));
  InputKeyUp(VK_SHIFT);
  EXPECT_TRUE(Dst->Expanded(parent)) << "held over a parent past the delay";
  ASSERT_EQ(Dst->Drops.size(), 1u);
  EXPECT_EQ(Dst->Drops[0].Effect, DROPEFFECT_MOVE);
  EXPECT_EQ(Src->LastDragEffect(), DROPEFFECT_MOVE);
  EXPECT_EQ(Src->TopIds(), (std::vector<Cardinal>{2, 3, 4})) << "the source let the moved node go";
  // The expansion moved the rows: the point aimed at the row below the
  // parent now lies on its child, and the copy lands after that child.
  EXPECT_EQ(Dst->TopIds(), (std::vector<Cardinal>{1, 2, 3, 4}));
  ASSERT_EQ(parent->ChildCount, 2u);
  EXPECT_EQ(Dst->Id(parent->LastChild), 1u);
}

TEST_F(LazyTrees_qn_DragDrop, ALibraryDragFromAListBoxArrivesAsItsControl) {
  auto* list = new TListBox(static_cast<TForm*>(Dst->Parent()));
  list->SetParent(static_cast<TForm*>(Dst->Parent()));
  list->SetBounds(310, 10, 80, 100);
  TDragControlObject drag(list);
  TDragRec rec;
  rec.Source = &drag;
  rec.Pos = Dst->At(Dst->Nth(1), 0.5);
  auto send = [&](TDragMessage Kind) {
    return Dst->Perform(CM_DRAG, WPARAM(Kind), reinterpret_cast<LPARAM>(&rec));
  };
  EXPECT_NE(send(dmDragEnter), 0);
  EXPECT_TRUE(Dst->TreeStates().Contains(tsVCLDragging));
  EXPECT_EQ(send(dmDragMove), LRESULT(DROPEFFECT_COPY))
      << "a foreign source suggests a copy";
  EXPECT_EQ(Dst->DropTargetNode(), Dst->Nth(1));
  send(dmDragDrop);
  ASSERT_EQ(Dst->Drops.size(), 1u);
  EXPECT_EQ(Dst->Drops[0].Source, list);
  EXPECT_TRUE(Dst->Drops[0].Formats.empty());
  EXPECT_EQ(Dst->Drops[0].Mode, dmOnNode);
  EXPECT_EQ(Dst->DropTargetNode(), nullptr);
  EXPECT_EQ(Dst->TopIds(), (std::vector<Cardinal>{1, 2, 3, 4})) << "no data object, nothing inserted";
  // Leaving ends the library's drag state; the finder names the tree.
  send(dmDragLeave);
  EXPECT_FALSE(Dst->TreeStates().Contains(tsVCLDragging));
  EXPECT_EQ(reinterpret_cast<TControl*>(send(dmFindTarget)), static_cast<TControl*>(Dst));
}
