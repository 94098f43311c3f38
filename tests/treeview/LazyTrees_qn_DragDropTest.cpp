// OLE drag and drop between trees through the modal drag loop, driven by
// queued input on the virtual clock: suggested effects and the keys held,
// drop modes, the application's drop with ProcessDrop, cancelling by Escape
// or the second button, refused drops, a drag manager that outlives its
// tree, and the tree's own published drag events.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/TreeDragDropSheet.h"
#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/ole/ActiveX.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/common/Golden.h"
#include "tests/treeview/LazyTrees_qn_StreamTestSupport.h"
#include "treeview/LazyTrees_qn.h"

namespace t_lazy_trees_qn_drag_drop_test {

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
    OnDragOver = [this](TBaseLazyTree_qn*, TObject*, TShiftState, TDragState State, TPoint, TDropMode,
                        DWORD& Effect, bool& Accept) {
      if (State != dsDragLeave) Offered.push_back(Effect);
      else ++Leaves;
      Accept = AcceptDrops;
    };
    OnDragDrop = [this](TBaseLazyTree_qn*, TObject* Source, IDataObject* Data, const TFormatArray& Formats,
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
  Integer Leaves = 0;
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
  // Presses on the source's first node, queues the keys held, the moves and
  // the release, and runs the drag loop; the keys go up after it.
  void Drag(std::vector<TPoint> Path, bool Release = true, std::vector<int> Keys = {}) {
    TPoint start = Src->At(Src->Nth(0), 0.5);
    InputMouseMove(start.X, start.Y);
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
    for (int k : Keys) InputKeyDown(k);
    for (TPoint p : Path) InputMouseMove(p.X, p.Y);
    if (Release) InputMouseUp(VK_LBUTTON);
    Src->ClearSelection();
    Src->AddToSelection(Src->Nth(0));
    Src->SetFocusedNode(Src->Nth(0));
    Src->DoDragging(TPoint(0, 0));
    for (int k : Keys) InputKeyUp(k);
    Application->ProcessMessages();
  }
  void NewTrees() {
    ResetInput();
    delete Dst;
    delete Src;
    Src = new TDragTree(0);
    Dst = new TDragTree(500);
    Application->ProcessMessages();
  }
  TDragTree* Src = nullptr;
  TDragTree* Dst = nullptr;
};

// A form with handlers of the tree's drag events and one of the control's
// drag event, bound by name from its form file.
class TDropForm : public TForm {
  QN_CLASS_CREATE(TDropForm, TForm, TComponent)
 public:
  explicit TDropForm(TComponent* AOwner) : TForm(AOwner) {}
  void TreeDragOver(TBaseLazyTree_qn* Sender, TObject*, TShiftState, TDragState State, TPoint, TDropMode,
                    DWORD& Effect, bool& Accept) {
    Overs.push_back({Sender, State, Effect});
    Accept = true;
  }
  void TreeDragDrop(TBaseLazyTree_qn*, TObject* Source, IDataObject* Data, const TFormatArray&, TShiftState, TPoint,
                    DWORD& Effect, TDropMode) {
    DroppedFrom = Source;
    DroppedData = Data;
    DropEffect = Effect;
  }
  void ControlDragOver(TObject*, TObject*, Integer, Integer, TDragState, bool& Accept) { Accept = true; }
  struct TOver {
    TBaseLazyTree_qn* Sender;
    TDragState State;
    DWORD Effect;
  };
  std::vector<TOver> Overs;
  TObject* DroppedFrom = nullptr;
  IDataObject* DroppedData = nullptr;
  DWORD DropEffect = DROPEFFECT_NONE;
  QN_PUBLISHED(TDropForm) {
    QN_METHOD(TreeDragOver);
    QN_METHOD(TreeDragDrop);
    QN_METHOD(ControlDragOver);
  }
};

std::string DropFormText(const char* DragOverHandler) {
  return std::string("object DropForm: TDropForm\n"
                     "  Left = 500\n"
                     "  Top = 20\n"
                     "  ClientHeight = 200\n"
                     "  ClientWidth = 300\n"
                     "  Position = poDesigned\n"
                     "  object Tree: TLazyStringTree_qn\n"
                     "    Left = 8\n"
                     "    Top = 8\n"
                     "    Width = 280\n"
                     "    Height = 180\n"
                     "    RootNodeCount = 3\n"
                     "    OnDragOver = ") +
         DragOverHandler +
         "\n"
         "    OnDragDrop = TreeDragDrop\n"
         "  end\n"
         "end\n";
}

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

// Real drags through the loop with keys held: the effect the target's
// handler sees, what the source is told, and where the nodes end up. A move
// that ProcessDrop carried out itself tells the source nothing is left to
// delete.
TEST_F(LazyTrees_qn_DragDrop, KeysHeldDuringTheDragPickTheEffect) {
  struct TCase {
    const char* Name;
    bool OwnTree;
    std::vector<int> Keys;
    DWORD Dropped, SourceGets;
    std::vector<Cardinal> SrcIds, DstIds;
  };
  const std::vector<Cardinal> untouched{1, 2, 3, 4}, copied{1, 2, 3, 1, 4}, moved{2, 3, 4}, movedOwn{2, 3, 1, 4};
  for (const TCase& c : std::vector<TCase>{
           {"other tree", false, {}, DROPEFFECT_COPY, DROPEFFECT_COPY, untouched, copied},
           {"other tree, Ctrl", false, {VK_CONTROL}, DROPEFFECT_COPY, DROPEFFECT_COPY, untouched, copied},
           {"other tree, Shift", false, {VK_SHIFT}, DROPEFFECT_MOVE, DROPEFFECT_NONE, moved, copied},
           {"other tree, Ctrl+Shift", false, {VK_CONTROL, VK_SHIFT}, DROPEFFECT_LINK, DROPEFFECT_LINK, untouched,
            untouched},
           {"other tree, Alt", false, {VK_MENU}, DROPEFFECT_LINK, DROPEFFECT_LINK, untouched, untouched},
           {"own tree", true, {}, DROPEFFECT_MOVE, DROPEFFECT_NONE, movedOwn, untouched},
           {"own tree, Ctrl", true, {VK_CONTROL}, DROPEFFECT_COPY, DROPEFFECT_COPY, copied, untouched},
           {"own tree, Ctrl+Shift", true, {VK_CONTROL, VK_SHIFT}, DROPEFFECT_LINK, DROPEFFECT_LINK, untouched,
            untouched},
       }) {
    SCOPED_TRACE(c.Name);
    NewTrees();
    Src->SetDragOperations({doCopy, doMove, doLink});
    TDragTree* target = c.OwnTree ? Src : Dst;
    PLazyNode third = target->Nth(2);
    Drag({target->At(third, 0.5, false), target->At(third, 0.8, false)}, true, c.Keys);
    ASSERT_EQ(target->Drops.size(), 1u);
    EXPECT_EQ(target->Drops[0].Source, Src);
    EXPECT_EQ(target->Drops[0].Effect, c.Dropped);
    EXPECT_EQ(target->Drops[0].Mode, dmBelow);
    EXPECT_EQ(Src->LastDragEffect(), c.SourceGets);
    EXPECT_EQ(Src->TopIds(), c.SrcIds);
    EXPECT_EQ(Dst->TopIds(), c.DstIds);
    EXPECT_FALSE(Src->TreeStates().Contains(tsOLEDragging));
    EXPECT_EQ(target->DropTargetNode(), nullptr);
  }
}

// Pressing the second button while dragging cancels at once: the target is
// told to leave, the later release drops nothing.
TEST_F(LazyTrees_qn_DragDrop, TheSecondButtonCancelsTheDrag) {
  TPoint start = Src->At(Src->Nth(0), 0.5);
  InputMouseMove(start.X, start.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  TPoint over = Dst->At(Dst->Nth(1), 0.5, false);
  InputMouseMove(over.X, over.Y);
  InputMouseMove(over.X, over.Y + 2);
  InputMouseDown(VK_RBUTTON);
  TPoint further = Dst->At(Dst->Nth(2), 0.8, false);
  InputMouseMove(further.X, further.Y);
  InputMouseUp(VK_RBUTTON);
  InputMouseUp(VK_LBUTTON);
  Src->AddToSelection(Src->Nth(0));
  Src->SetFocusedNode(Src->Nth(0));
  Src->DoDragging(TPoint(0, 0));
  EXPECT_FALSE(Dst->Offered.empty()) << "the drag reached the target before the cancel";
  EXPECT_EQ(Dst->Leaves, 1);
  EXPECT_TRUE(Dst->Drops.empty());
  EXPECT_EQ(Dst->DropTargetNode(), nullptr);
  EXPECT_EQ(Src->LastDragEffect(), DROPEFFECT_NONE);
  EXPECT_FALSE(Src->TreeStates().Contains(tsOLEDragging));
  Application->ProcessMessages();
  EXPECT_EQ(Dst->TopIds(), (std::vector<Cardinal>{1, 2, 3, 4}));
  EXPECT_EQ(Src->TopIds(), (std::vector<Cardinal>{1, 2, 3, 4}));
  EXPECT_TRUE(Dst->Drops.empty()) << "the release after the cancel drops nothing";
}

// A drag that enters the tree right over a node's caption or beside a row
// shows the highlight or the drop mark at once, not only after the pointer
// moved to another node; a tree with columns that never had the focus
// focuses its main column, where the highlight is drawn.
TEST_F(LazyTrees_qn_DragDrop, EnteringOverANodePaintsItAsTheTarget) {
  for (bool label : {true, false}) {
    SCOPED_TRACE(label ? "on the caption" : "beside the row");
    NewTrees();
    Dst->Header()->Columns()->Add()->SetWidth(300);
    Dst->Header()->SetOptions(Dst->Header()->Options() + TVTHeaderOptions{hoVisible});
    Application->ProcessMessages();
    ASSERT_EQ(Dst->FocusedColumn(), NoColumn);
    PLazyNode node = Dst->Nth(1);
    Integer paintedAsTarget = 0;
    Dst->SetOnPaintText([&](TBaseLazyTree_qn*, TCanvas*, PLazyNode Painted, TColumnIndex, TVSTTextType) {
      if (Painted == node && Dst->DropTargetNode() == node) ++paintedAsTarget;
    });
    TPoint start = Src->At(Src->Nth(0), 0.5);
    InputMouseMove(start.X, start.Y);
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
    TPoint over = Dst->At(node, 0.25, label);
    InputMouseMove(over.X, over.Y);
    InputPause(200);
    InputKeyDown(VK_ESCAPE);
    InputKeyUp(VK_ESCAPE);
    InputMouseUp(VK_LBUTTON);
    Src->AddToSelection(Src->Nth(0));
    Src->DoDragging(TPoint(0, 0));
    EXPECT_EQ(Dst->LastDropMode(), label ? dmOnNode : dmAbove);
    EXPECT_GT(paintedAsTarget, 0);
    EXPECT_EQ(Dst->FocusedColumn(), 0);
  }
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

// The published OnDragOver and OnDragDrop are the tree's own events: a form
// file binds them to handlers of the tree's kind, refuses one of the
// control's kind, writes them back by name, and a drag of the class library
// arriving through CM_DRAG reaches them.
TEST_F(LazyTrees_qn_DragDrop, PublishedDragEventsAreTheTreesOwn) {
  RegisterClasses({TDropForm::StaticClass(), TLazyStringTree_qn::StaticClass()});
  std::unique_ptr<TDropForm> form(new TDropForm(nullptr));
  TextToComponent(DropFormText("TreeDragOver"), form.get());
  auto* tree = dynamic_cast<TLazyStringTree_qn*>(form->FindComponent(u"Tree"));
  ASSERT_NE(tree, nullptr);
  ASSERT_TRUE(Assigned(tree->OnDragOver));
  ASSERT_TRUE(Assigned(tree->OnDragDrop));
  const std::string written = ComponentToText(form.get());
  EXPECT_NE(written.find("OnDragOver = TreeDragOver"), std::string::npos) << written;
  EXPECT_NE(written.find("OnDragDrop = TreeDragDrop"), std::string::npos) << written;

  form->Show();
  Application->ProcessMessages();
  auto* list = new TListBox(form.get());
  list->SetParent(form.get());
  TDragControlObject drag(list);
  TDragRec rec;
  rec.Source = &drag;
  TRect row = tree->GetDisplayRect(tree->GetFirst()->NextSibling, NoColumn, false);
  rec.Pos = tree->ClientToScreen(TPoint(row.Right - 4, row.Top + 2));
  auto send = [&](TDragMessage Kind) {
    return tree->Perform(CM_DRAG, WPARAM(Kind), reinterpret_cast<LPARAM>(&rec));
  };
  send(dmDragEnter);
  EXPECT_EQ(send(dmDragMove), LRESULT(DROPEFFECT_COPY));
  send(dmDragDrop);
  send(dmDragLeave);
  ASSERT_EQ(form->Overs.size(), 3u);
  EXPECT_EQ(form->Overs[0].Sender, tree);
  EXPECT_EQ(form->Overs[0].State, dsDragEnter);
  EXPECT_EQ(form->Overs[1].Effect, DROPEFFECT_COPY);
  EXPECT_EQ(form->Overs[2].State, dsDragLeave);
  EXPECT_EQ(form->DroppedFrom, list);
  EXPECT_EQ(form->DroppedData, nullptr);
  EXPECT_EQ(form->DropEffect, DROPEFFECT_COPY);
  // The control's own drag events are hidden, not merely unused: a
  // handler of their kind does not fit.
  std::unique_ptr<TDropForm> wrong(new TDropForm(nullptr));
  try {
    TextToComponent(DropFormText("ControlDragOver"), wrong.get());
    ADD_FAILURE() << "a handler of the control's kind was bound";
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find(u"does not fit the event"), String::npos) << ToUtf8(e.Message());
  }
  form.reset();
  Application->ProcessMessages();
}

TEST_F(LazyTrees_qn_DragDrop, GallerySheetMatchesItsGoldenImage) {
  // The sheet brings its own trees and form.
  delete Dst;
  Dst = nullptr;
  delete Src;
  Src = nullptr;
  Application->ProcessMessages();
  vcl::TScreenImage sheet = gallery::TTreeDragDropSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-dragdrop", 8,
                              gallery::TTreeDragDropSheet::kWidth * gallery::TTreeDragDropSheet::kHeight / 200);
}

}  // namespace t_lazy_trees_qn_drag_drop_test
