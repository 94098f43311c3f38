// Walks over deep trees: a chain of a million levels is expanded, painted,
// validated, re-initialized, sorted, checked, iterated, collapsed and freed
// on a thread with a 1 MB stack; and on a small tree every walk that no
// longer recurses calls the host in the order it always did.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "tests/treeview/LazyTreeTestSupport.h"
#include "treeview/LazyTrees_qn.h"

namespace t_lazy_trees_qn_deep_tree_test {

using namespace qn;

namespace {

// ---------------------------------------------------------------------------
// The order of the host's calls on a small tree

// The host's tree: a(a0, a1(a1x, a1y), a2), b(b0). Every node is a tri-state
// check box.
struct THost {
  std::vector<std::string> Names{"", "a", "b", "a0", "a1", "a2", "a1x", "a1y", "b0"};
  std::vector<std::vector<int>> Kids{{1, 2}, {3, 4, 5}, {8}, {}, {6, 7}, {}, {}, {}, {}};
  std::string Log;
  std::string VetoChecking;  // the node whose checking event says no

  std::unique_ptr<TBaseLazyTree_qn> Make() {
    auto t = std::make_unique<TBaseLazyTree_qn>(nullptr);
    TBaseLazyTree_qn* tree = t.get();
    t->SetNodeDataSize(Integer(sizeof(int)));
    t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + TVTMiscOptions{toCheckSupport});
    t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoTristateTracking});
    t->OnInitNode = [this](TBaseLazyTree_qn* S, PLazyNode Parent, PLazyNode Node, TLazyNodeInitStates& States) {
      int id = Kids[Parent ? size_t(*S->GetNodeData<int>(Parent)) : 0][Node->Index];
      *S->GetNodeData<int>(Node) = id;
      Node->CheckType = ctTriStateCheckBox;
      if (!Kids[size_t(id)].empty()) States.Include(ivsHasChildren);
      Log += "I:" + Names[size_t(id)] + " ";
    };
    t->OnInitChildren = [this](TBaseLazyTree_qn* S, PLazyNode Node, Cardinal& Count) {
      Count = Cardinal(Kids[size_t(*S->GetNodeData<int>(Node))].size());
      Log += "C:" + Name(S, Node) + " ";
    };
    t->OnExpanding = [this](TBaseLazyTree_qn* S, PLazyNode N, bool&) { Log += "X?:" + Name(S, N) + " "; };
    t->OnExpanded = [this](TBaseLazyTree_qn* S, PLazyNode N) { Log += "X:" + Name(S, N) + " "; };
    t->OnCollapsing = [this](TBaseLazyTree_qn* S, PLazyNode N, bool&) { Log += "K?:" + Name(S, N) + " "; };
    t->OnCollapsed = [this](TBaseLazyTree_qn* S, PLazyNode N) { Log += "K:" + Name(S, N) + " "; };
    t->OnCompareNodes = [this](TBaseLazyTree_qn* S, PLazyNode A, PLazyNode B, TColumnIndex, Integer& R) {
      Log += "cmp:" + Name(S, A) + "," + Name(S, B) + " ";
      R = *S->GetNodeData<int>(A) - *S->GetNodeData<int>(B);
    };
    t->OnChecking = [this](TBaseLazyTree_qn* S, PLazyNode N, TCheckState& State, bool& Allowed) {
      Log += "chk?:" + Name(S, N) + "=" + std::to_string(int(State)) + " ";
      if (Name(S, N) == VetoChecking) Allowed = false;
    };
    t->OnChecked = [this](TBaseLazyTree_qn* S, PLazyNode N) { Log += "chk:" + Name(S, N) + " "; };
    t->SetRootNodeCount(2);
    (void)tree;
    return t;
  }
  std::string Name(TBaseLazyTree_qn* S, PLazyNode N) {
    if (!N || N == S->RootNode()) return "root";
    if (!N->States.Contains(vsInitialized)) return "?";
    return Names[size_t(*S->GetNodeData<int>(N))];
  }
  PLazyNode Find(TBaseLazyTree_qn* S, const std::string& Wanted) {
    for (PLazyNode n = S->GetFirstNoInit(); n; n = S->GetNextNoInit(n))
      if (Name(S, n) == Wanted) return n;
    return nullptr;
  }
  // What the tree keeps about the nodes afterwards, in pre-order.
  std::string Shape(TBaseLazyTree_qn* S) {
    std::string r = "| vis " + std::to_string(S->VisibleCount()) + " h " +
                    std::to_string(S->RootNode()->TotalHeight) + " n " + std::to_string(S->RootNode()->TotalCount);
    for (PLazyNode n = S->GetFirstNoInit(); n; n = S->GetNextNoInit(n)) {
      r += " " + Name(S, n) + "/" + std::to_string(n->TotalHeight);
      if (n->States.Contains(vsExpanded)) r += "+";
      if (n->CheckState != csUncheckedNormal) r += "c" + std::to_string(int(n->CheckState));
    }
    return r;
  }
};

struct TOrderCase {
  const char* Name;
  // Prepares the tree (its calls are not recorded), then runs the walk.
  std::function<void(THost&, TBaseLazyTree_qn*)> Setup, Run;
  const char* Expected;
};

void ValidateAll(THost&, TBaseLazyTree_qn* T) { T->ValidateNode(nullptr, true); }
void ExpandAll(THost&, TBaseLazyTree_qn* T) { T->FullExpand(); }

const TOrderCase kOrderCases[] = {
    {"ValidateNode", nullptr, ValidateAll, 
     "C:a I:a0 I:a1 I:a2 cmp:a1,a2 cmp:a0,a1 C:a1 I:a1x I:a1y cmp:a1x,a1y C:b I:b0 | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
    {"ValidateChildren", [](THost&, TBaseLazyTree_qn* T) { T->GetFirst(); },
     [](THost& H, TBaseLazyTree_qn* T) { T->ValidateChildren(H.Find(T, "a"), true); }, 
     "C:a I:a0 I:a1 I:a2 cmp:a1,a2 cmp:a0,a1 C:a1 I:a1x I:a1y cmp:a1x,a1y | vis 2 h 54 n 8 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18"},
    {"ReinitNode", ValidateAll, [](THost&, TBaseLazyTree_qn* T) { T->ReinitNode(nullptr, true); }, 
     "I:a C:a I:a0 I:a1 C:a1 I:a1x I:a1y I:a2 I:b C:b I:b0 | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
    {"ReinitChildren", ValidateAll,
     [](THost& H, TBaseLazyTree_qn* T) { T->ReinitChildren(H.Find(T, "a"), true); }, 
     "C:a I:a0 I:a1 C:a1 I:a1x I:a1y I:a2 | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
    {"InvalidateChildren", nullptr, [](THost&, TBaseLazyTree_qn* T) { T->InvalidateChildren(nullptr, true); }, 
     "C:a I:a0 I:a1 I:a2 cmp:a1,a2 cmp:a0,a1 C:a1 I:a1x I:a1y cmp:a1x,a1y C:b I:b0 | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
    {"FullExpand", nullptr, ExpandAll, 
     "X?:a C:a cmp:?,? cmp:?,? X:a I:a0 X?:a0 I:a1 X?:a1 C:a1 cmp:?,? X:a1 I:a1x X?:a1x I:a1y X?:a1y I:a2 X?:a2 X?:b C:b X:b I:b0 X?:b0 cmp:a,b cmp:a1,a2 cmp:a0,a1 cmp:a1x,a1y | vis 8 h 162 n 9 a/108+ a0/18 a1/54+ a1x/18 a1y/18 a2/18 b/36+ b0/18"},
    {"FullExpandSubtree", [](THost&, TBaseLazyTree_qn* T) { T->GetFirst(); },
     [](THost& H, TBaseLazyTree_qn* T) { T->FullExpand(H.Find(T, "a")); }, 
     "X?:a C:a cmp:?,? cmp:?,? X:a I:a0 X?:a0 I:a1 X?:a1 C:a1 cmp:?,? X:a1 I:a1x X?:a1x I:a1y X?:a1y I:a2 X?:a2 cmp:a,b cmp:a1,a2 cmp:a0,a1 cmp:a1x,a1y | vis 7 h 144 n 8 a/108+ a0/18 a1/54+ a1x/18 a1y/18 a2/18 b/18"},
    {"FullCollapse", ExpandAll, [](THost&, TBaseLazyTree_qn* T) { T->FullCollapse(); }, 
     "K?:b K:b K?:a1 K:a1 K?:a K:a cmp:a,b | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
    {"FullCollapseSubtree", ExpandAll,
     [](THost& H, TBaseLazyTree_qn* T) { T->FullCollapse(H.Find(T, "a")); }, 
     "K?:a1 K:a1 K?:a K:a cmp:a,b | vis 3 h 72 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/36+ b0/18"},
    {"ToggleExpanded", ExpandAll, [](THost& H, TBaseLazyTree_qn* T) { T->ToggleNode(H.Find(T, "a")); }, 
     "K?:a K:a | vis 3 h 72 n 9 a/18 a0/18 a1/54+ a1x/18 a1y/18 a2/18 b/36+ b0/18"},
    {"SortTree", ExpandAll,
     [](THost&, TBaseLazyTree_qn* T) { T->SortTree(NoColumn, TSortDirection::sdDescending); }, 
     "cmp:a,b cmp:a1,a2 cmp:a0,a2 cmp:a0,a1 cmp:a1x,a1y | vis 8 h 162 n 9 b/36+ b0/18 a/108+ a2/18 a1/54+ a1y/18 a1x/18 a0/18"},
    {"CheckUp", ValidateAll,
     [](THost& H, TBaseLazyTree_qn* T) { T->SetCheckState(H.Find(T, "a1x"), csCheckedNormal); }, 
     "chk?:a1x=2 chk?:a1=4 chk?:a=4 chk:a chk:a1 chk:a1x | vis 2 h 54 n 9 a/18c4 a0/18 a1/18c4 a1x/18c2 a1y/18 a2/18 b/18 b0/18"},
    {"CheckUpAllChildren", ValidateAll,
     [](THost& H, TBaseLazyTree_qn* T) {
       T->SetCheckState(H.Find(T, "a1x"), csCheckedNormal);
       T->SetCheckState(H.Find(T, "a1y"), csCheckedNormal);
     },
     
     "chk?:a1x=2 chk?:a1=4 chk?:a=4 chk:a chk:a1 chk:a1x chk?:a1y=2 chk?:a1=2 chk?:a=4 chk:a chk:a1 chk:a1y | vis 2 h 54 n 9 a/18c4 a0/18 a1/18c2 a1x/18c2 a1y/18c2 a2/18 b/18 b0/18"},
    {"CheckDown", ValidateAll, [](THost& H, TBaseLazyTree_qn* T) { T->SetCheckState(H.Find(T, "a"), csCheckedNormal); },
     
     "chk?:a=2 chk?:a0=2 chk:a0 chk?:a1=2 chk?:a1x=2 chk:a1x chk?:a1y=2 chk:a1y chk:a1 chk?:a2=2 chk:a2 chk:a | vis 2 h 54 n 9 a/18c2 a0/18c2 a1/18c2 a1x/18c2 a1y/18c2 a2/18c2 b/18 b0/18"},
    {"CheckVetoedAbove",
     [](THost& H, TBaseLazyTree_qn* T) {
       ValidateAll(H, T);
       H.VetoChecking = "a";
     },
     [](THost& H, TBaseLazyTree_qn* T) { T->SetCheckState(H.Find(T, "a1x"), csCheckedNormal); }, 
     "chk?:a1x=2 chk?:a1=4 chk?:a=4 chk:a1x | vis 2 h 54 n 9 a/18 a0/18 a1/18c4 a1x/18c2 a1y/18 a2/18 b/18 b0/18"},
    {"CheckVetoedBelow",
     [](THost& H, TBaseLazyTree_qn* T) {
       ValidateAll(H, T);
       H.VetoChecking = "a1y";
     },
     [](THost& H, TBaseLazyTree_qn* T) { T->SetCheckState(H.Find(T, "a"), csCheckedNormal); }, 
     "chk?:a=2 chk?:a0=2 chk:a0 chk?:a1=2 chk?:a1x=2 chk:a1x chk?:a1y=2 chk:a1 chk?:a2=2 chk:a2 chk:a | vis 2 h 54 n 9 a/18c4 a0/18c2 a1/18c4 a1x/18c2 a1y/18 a2/18c2 b/18 b0/18"},
    {"IterateSubtree", nullptr,
     [](THost& H, TBaseLazyTree_qn* T) {
       T->IterateSubtree(
           nullptr, [&H](TBaseLazyTree_qn* S, PLazyNode N, Pointer, bool&) { H.Log += "it:" + H.Name(S, N) + " "; },
           nullptr, {}, true);
     },
     
     "it:a C:a I:a0 I:a1 I:a2 cmp:a1,a2 cmp:a0,a1 it:a0 it:a1 C:a1 I:a1x I:a1y cmp:a1x,a1y it:a1x it:a1y it:a2 it:b C:b I:b0 it:b0 | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
    {"Levels", ValidateAll,
     [](THost& H, TBaseLazyTree_qn* T) {
       for (PLazyNode n = T->GetFirstLevel(2); n; n = T->GetNextLevel(n, 2)) H.Log += "L2:" + H.Name(T, n) + " ";
       for (PLazyNode n = T->GetLast(); n; n = T->GetPreviousLevel(n, 1)) H.Log += "P1:" + H.Name(T, n) + " ";
       for (PLazyNode n = T->GetFirstLevel(0); n; n = T->GetNextLevel(n, 0)) H.Log += "L0:" + H.Name(T, n) + " ";
     },
     
     "L2:a1x L2:a1y P1:b0 P1:a2 P1:a1 P1:a0 L0:a L0:b | vis 2 h 54 n 9 a/18 a0/18 a1/18 a1x/18 a1y/18 a2/18 b/18 b0/18"},
};

void PrintTo(const TOrderCase& C, std::ostream* Out) { *Out << C.Name; }

class LazyTrees_qn_DeepWalkOrder : public ::testing::TestWithParam<TOrderCase> {};

TEST_P(LazyTrees_qn_DeepWalkOrder, HostCallsAndResultsAsTheRecursiveWalks) {
  const TOrderCase& c = GetParam();
  THost host;
  auto tree = host.Make();
  if (c.Setup) c.Setup(host, tree.get());
  host.Log.clear();
  c.Run(host, tree.get());
  EXPECT_EQ(host.Log + host.Shape(tree.get()), std::string(c.Expected)) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Walks, LazyTrees_qn_DeepWalkOrder, ::testing::ValuesIn(kOrderCases),
                         [](const ::testing::TestParamInfo<TOrderCase>& I) { return std::string(I.param.Name); });

// A handler that raises in the middle of a change spreading down and up
// leaves no node marked as being checked and the tree out of propagation.
TEST(LazyTrees_qn_DeepWalkChecks, ARaisingHandlerLeavesEveryLevel) {
  for (const char* raiser : {"a1y", "a", "a1"}) {
    THost host;
    auto tree = host.Make();
    TBaseLazyTree_qn* t = tree.get();
    t->ValidateNode(nullptr, true);
    std::string who = raiser;
    t->OnChecking = [&](TBaseLazyTree_qn* S, PLazyNode N, TCheckState&, bool&) {
      if (host.Name(S, N) == who) throw std::runtime_error("no");
    };
    PLazyNode start = host.Find(t, who == "a" ? "a1x" : "a");
    EXPECT_THROW(t->SetCheckState(start, csCheckedNormal), std::runtime_error) << raiser;
    for (PLazyNode n = t->GetFirstNoInit(); n; n = t->GetNextNoInit(n))
      EXPECT_FALSE(n->States.Contains(vsChecking)) << raiser << " " << host.Name(t, n);
    EXPECT_FALSE(t->TreeStates().Contains(tsCheckPropagation)) << raiser;
  }
}

// ---------------------------------------------------------------------------
// A chain a million levels deep

constexpr Cardinal kDepth = 1000000;
constexpr uint32_t kInk = 0x1E1E1E;

// Paints a 40 by 4 pixel block where a node's content starts.
class TDeepTree : public TBaseLazyTree_qn {
  QN_CLASS(TDeepTree, TBaseLazyTree_qn)
 public:
  TDeepTree() : TBaseLazyTree_qn(nullptr) {}
  Integer DoGetNodeWidth(PLazyNode, TColumnIndex, TCanvas*) override { return 40; }
  void DoPaintNode(TVTPaintInfo& Info) override {
    TRect r = Info.ContentRect;
    r.Right = r.Left + 40;
    r.Top += 6;
    r.Bottom = r.Top + 4;
    Info.Canvas->Brush()->SetColor(TColor(RGB(30, 30, 30)));
    Info.Canvas->FillRect(r);
  }
};

// How long each step took, printed for the record (not judged).
struct TStopwatch {
  std::chrono::steady_clock::time_point Start = std::chrono::steady_clock::now();
  void Lap(const char* What) {
    auto now = std::chrono::steady_clock::now();
    std::printf("[deep chain] %-22s %7.3f s\n", What, std::chrono::duration<double>(now - Start).count());
    std::fflush(stdout);
    Start = now;
  }
};

// Every node of the chain from the top: its level, its height total and its
// check state agree with a chain of Depth nodes of 18 pixels whose first
// Shown nodes are shown.
void ExpectChain(TBaseLazyTree_qn* T, Cardinal Depth, Cardinal Shown, TCheckState State, const char* Where) {
  PLazyNode run = T->GetFirstNoInit();
  Cardinal level = 0, bad = 0;
  for (; run; run = run->FirstChild, ++level) {
    Cardinal below = level + 1 < Shown ? Shown - level - 1 : 0;
    if (run->TotalHeight != 18 * (below + 1) || run->TotalCount != Depth - level || run->CheckState != State) ++bad;
    if (!run->FirstChild) break;
  }
  EXPECT_EQ(level + 1, Depth) << Where;
  EXPECT_EQ(bad, 0u) << Where;
  EXPECT_EQ(T->VisibleCount(), Shown) << Where;
  EXPECT_EQ(T->RootNode()->TotalHeight, 18 * (Shown + 1)) << Where;
}

TEST(LazyTrees_qn_DeepChain, AMillionLevelsOnAOneMegabyteStack) {
  treetest::RunOnSmallStack([] {
    TStopwatch clock;
    auto tree = std::make_unique<TDeepTree>();
    TDeepTree* t = tree.get();
    t->SetBounds(0, 0, 240, 200);
    long inits = 0, checked = 0;
    t->OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode Node, TLazyNodeInitStates&) {
      ++inits;
      Node->CheckType = ctTriStateCheckBox;
    };
    t->OnChecked = [&](TBaseLazyTree_qn*, PLazyNode) { ++checked; };
    t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + TVTMiscOptions{toCheckSupport});
    // Sorted whole by SortTree below, not as nodes are expanded.
    t->TreeOptions()->SetAutoOptions(t->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoTristateTracking} -
                                     TVTAutoOptions{toAutoSort});

    PLazyNode top = treetest::BuildChain(t, kDepth);
    PLazyNode deepest = top;
    while (deepest->FirstChild) deepest = deepest->FirstChild;
    clock.Lap("built");
    ExpectChain(t, kDepth, 1, csUncheckedNormal, "built");

    t->FullExpand();
    clock.Lap("FullExpand");
    ExpectChain(t, kDepth, kDepth, csUncheckedNormal, "expanded");

    // The deepest row and its parent's, painted where they lie once the view
    // shows them (the width of the tree is that of the rows in view).
    TRect r = t->GetDisplayRect(deepest, NoColumn, true);
    t->SetOffsetY(-(r.Top - 18));
    t->UpdateRanges();
    TRect window(r.Left - 20, r.Top - 18, r.Left + 100, r.Top + 18);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf32bit);
    bitmap->SetSize(120, 36);
    t->PaintTree(bitmap->Canvas(), window, TPoint(0, 0), {poBackground, poDrawSelection, poGridLines},
                 TPixelFormat::pf32bit);
    auto at = [&](int x, int y) { return static_cast<uint32_t*>(bitmap->ScanLine(y))[x] & 0xFFFFFF; };
    EXPECT_EQ(r.Top, Integer(18 * (kDepth - 1)));
    EXPECT_EQ(at(22, 18 + 8), kInk);       // the deepest node's content
    EXPECT_NE(at(22 + 45, 18 + 8), kInk);  // and nothing after it
    EXPECT_EQ(at(4, 8), kInk);             // its parent's, one level left
    clock.Lap("painted");

    t->ValidateNode(nullptr, true);
    EXPECT_EQ(inits, long(kDepth));
    t->ReinitNode(nullptr, true);
    EXPECT_EQ(inits, 2 * long(kDepth));
    t->InvalidateChildren(nullptr, true);
    clock.Lap("validated, reinit");

    // The deepest node gets three children in reverse order.
    for (int i = 0; i < 3; ++i) t->AddChild(deepest);
    std::vector<PLazyNode> kids{deepest->FirstChild, deepest->FirstChild->NextSibling, deepest->LastChild};
    t->OnCompareNodes = [&](TBaseLazyTree_qn*, PLazyNode A, PLazyNode B, TColumnIndex, Integer& R) {
      auto index = [&](PLazyNode N) { return Integer(std::find(kids.begin(), kids.end(), N) - kids.begin()); };
      R = index(A) - index(B);
    };
    t->SortTree(NoColumn, TSortDirection::sdDescending);
    EXPECT_EQ(deepest->FirstChild, kids[2]);
    EXPECT_EQ(deepest->LastChild, kids[0]);
    t->DeleteChildren(deepest);
    clock.Lap("sorted");

    t->SetCheckState(deepest, csCheckedNormal);
    EXPECT_EQ(checked, long(kDepth));
    EXPECT_EQ(top->CheckState, csCheckedNormal);
    t->SetCheckState(top, csUncheckedNormal);
    EXPECT_EQ(deepest->CheckState, csUncheckedNormal);
    clock.Lap("checked up and down");

    long visited = 0;
    t->IterateSubtree(nullptr, [&](TBaseLazyTree_qn*, PLazyNode, Pointer, bool&) { ++visited; }, nullptr);
    EXPECT_EQ(visited, long(kDepth));
    EXPECT_EQ(t->GetFirstLevel(kDepth - 1), deepest);
    EXPECT_EQ(t->GetPreviousLevel(deepest, 0), top);
    clock.Lap("iterated");

    // Collapsing the top counts every row that goes; expanding it again
    // brings them back.
    t->ToggleNode(top);
    EXPECT_EQ(t->VisibleCount(), 1u);
    t->ToggleNode(top);
    ExpectChain(t, kDepth, kDepth, csUncheckedNormal, "toggled");
    t->FullCollapse();
    clock.Lap("collapsed");
    ExpectChain(t, kDepth, 1, csUncheckedNormal, "collapsed");

    // Copied whole into another tree (through the node stream, whose load
    // sums up the totals of what it read), which then is cleared.
    auto copy = std::make_unique<TDeepTree>();
    t->CopyTo(top, copy.get(), amAddChildLast, false);
    ExpectChain(copy.get(), kDepth, 1, csUncheckedNormal, "copied");
    copy->Clear();
    EXPECT_EQ(copy->RootNode()->TotalCount, 1u);
    clock.Lap("copied, cleared");

    tree.reset();
    clock.Lap("freed");
  });
}

}  // namespace
}  // namespace t_lazy_trees_qn_deep_tree_test
