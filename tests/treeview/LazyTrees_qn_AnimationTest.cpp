// Animated expanding and collapsing: the step timer on the virtual clock,
// the branches the toggle takes (checked by the modes it hands to its
// callback), end pixels equal to those of a toggle without animation, and
// the column colours in the strips that open up.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "examples/gallery/TreeToggleSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_Header.h"

namespace t_lazy_trees_qn_animation_test {

using namespace qn;

namespace {

class TAnimTree : public TBaseLazyTree_qn {
  QN_CLASS(TAnimTree, TBaseLazyTree_qn)
 public:
  explicit TAnimTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  using TBaseLazyTree_qn::Animate;
  using TBaseLazyTree_qn::ToggleCallback;
  // What each animation handed to its callback: the modes, and per step the
  // step size; OnStep runs after a step was drawn.
  struct TRun {
    TToggleAnimationMode Mode1 = tamNoScroll, Mode2 = tamNoScroll;
    std::vector<Integer> Sizes;
  };
  std::vector<TRun> Runs;
  int AnimateCalls = 0;
  std::function<void(const TToggleAnimationData&)> OnStep;
  void Animate(Cardinal Steps, Cardinal Duration, const TVTAnimationCallback& Callback, Pointer Data) override {
    ++AnimateCalls;
    bool recorded = false;
    TBaseLazyTree_qn::Animate(
        Steps, Duration,
        [&](Integer Step, Integer StepSize, Pointer P) {
          if (!recorded) {
            auto* d = static_cast<TToggleAnimationData*>(P);
            Runs.push_back(d ? TRun{d->Mode1, d->Mode2, {}} : TRun{});
            recorded = true;
          }
          Runs.back().Sizes.push_back(StepSize);
          bool go = Callback(Step, StepSize, P);
          if (OnStep && StepSize > 0 && P) OnStep(*static_cast<TToggleAnimationData*>(P));
          return go;
        },
        Data);
  }
  // A bar per cell coloured by node and column, so rows that land in the
  // wrong place show.
  void DoPaintNode(TVTPaintInfo& Info) override {
    TRect r = Info.ContentRect;
    r.Right = std::min(r.Right, r.Left + 50);
    r.Top += 3;
    r.Bottom -= 3;
    Info.Canvas->Brush()->SetColor(TColor(RGB(Byte(40 + Info.Node->Index * 23), Byte(60 + GetNodeLevel(Info.Node) * 70),
                                              Byte(AbsoluteIndex(Info.Node) * 7))));
    Info.Canvas->FillRect(r);
  }
};

// One setup of a toggle: options, what happens before it, and the node.
struct TCase {
  const char* Name;
  TVTAnimationOptions Animation;
  bool AutoScrollOnExpand = false;
  bool ChildrenAbove = false;
  // Prepares the tree and answers the node to toggle.
  std::function<PLazyNode(TAnimTree*)> Setup;
  // The modes the animation must use (as a set: a two-region animation may
  // swap its regions).
  std::multiset<TToggleAnimationMode> Modes;
};

class LazyTrees_qn_Animation : public ::testing::Test {
 protected:
  void SetUp() override { SetVirtualClock(true); }
  void TearDown() override { Form.reset(); }
  static void Pump() { Application->ProcessMessages(); }
  // A fresh form and tree: 30 top-level nodes of 18 pixels with 6 children
  // each, in a 260 x 200 client.
  TAnimTree* NewTree(const TCase& C, bool Animated) {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 400, 320);
    auto* t = new TAnimTree(Form.get());
    t->SetParent(Form.get());
    t->SetBorderStyle(bsNone);
    t->SetBounds(10, 10, 260, 200);
    t->SetColor(clWhite);
    t->SetDefaultNodeHeight(18);
    TVTAnimationOptions a = C.Animation;
    if (Animated) a.Include(toAnimatedToggle);
    else a.Exclude(toAnimatedToggle);
    t->TreeOptions()->SetAnimationOptions(a);
    TVTAutoOptions au = t->TreeOptions()->AutoOptions();
    if (C.AutoScrollOnExpand) au.Include(toAutoScrollOnExpand);
    else au.Exclude(toAutoScrollOnExpand);
    t->TreeOptions()->SetAutoOptions(au);
    if (C.ChildrenAbove)
      t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() + TVTPaintOptions{toChildrenAbove});
    Form->Show();
    t->HandleNeeded();
    t->SetRootNodeCount(30);
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) t->SetChildCount(n, 6);
    Pump();
    return t;
  }
  TAnimTree* NewTree(bool Animated) { return NewTree(TCase{"plain", {}, false, false, nullptr, {}}, Animated); }
  static TScreenImage Shot(TAnimTree* T) {
    UpdateWindow(T->Handle());
    return CaptureWindow(T->Handle(), true);
  }
  std::unique_ptr<TForm> Form;
};

PLazyNode Top(TAnimTree* T, Cardinal I) {
  PLazyNode n = T->GetFirst();
  while (I-- > 0) n = T->GetNextSibling(n);
  return n;
}

}  // namespace

TEST_F(LazyTrees_qn_Animation, StepTimerOnTheVirtualClock) {
  TAnimTree* t = NewTree(false);
  struct TExpect {
    Cardinal Steps, Duration;
    size_t Calls;
    Integer Size;
  };
  for (TExpect e : {TExpect{100, 200, 100, 1}, TExpect{1000, 200, 200, 5}, TExpect{3, 200, 3, 1},
                    TExpect{7, 1, 1, 7}}) {
    std::vector<std::pair<Integer, Integer>> calls;
    DWORD start = timeGetTime();
    t->Animate(e.Steps, e.Duration,
               [&](Integer Step, Integer StepSize, Pointer) {
                 EXPECT_TRUE(t->TreeStates().Contains(tsInAnimation));
                 calls.push_back({Step, StepSize});
                 return true;
               },
               nullptr);
    EXPECT_EQ(timeGetTime() - start, e.Duration) << e.Steps;
    ASSERT_EQ(calls.size(), e.Calls + 1) << e.Steps;
    EXPECT_EQ(calls.back(), std::make_pair(0, 0));
    Integer sum = 0;
    for (size_t i = 0; i < e.Calls; ++i) {
      EXPECT_EQ(calls[i].second, e.Size);
      EXPECT_EQ(calls[i].first, Integer(i) * e.Size) << e.Steps << " call " << i;
      sum += calls[i].second;
    }
    EXPECT_EQ(sum, Integer(e.Steps));
    EXPECT_FALSE(t->TreeStates().Contains(tsInAnimation));
  }
  // Duration 0 calls nothing; a callback that says stop gets only the
  // closing call; an animation inside an animation does nothing.
  int calls = 0, inner = 0;
  t->Animate(50, 0, [&](Integer, Integer, Pointer) { return ++calls, true; }, nullptr);
  EXPECT_EQ(calls, 0);
  t->Animate(50, 100,
             [&](Integer, Integer StepSize, Pointer) {
               ++calls;
               if (StepSize > 0) t->Animate(10, 10, [&](Integer, Integer, Pointer) { return ++inner, true; }, nullptr);
               return false;
             },
             nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(inner, 0);
}

TEST_F(LazyTrees_qn_Animation, DurationSwitchesTheAnimatedToggle) {
  TAnimTree* t = NewTree(true);
  EXPECT_TRUE(t->TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  t->SetAnimationDuration(0);
  EXPECT_FALSE(t->TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  t->ToggleNode(Top(t, 1));
  EXPECT_TRUE(t->Runs.empty());
  t->SetAnimationDuration(120);
  EXPECT_TRUE(t->TreeOptions()->AnimationOptions().Contains(toAnimatedToggle));
  DWORD start = timeGetTime();
  t->ToggleNode(Top(t, 1));
  EXPECT_EQ(t->Runs.size(), 1u);
  EXPECT_EQ(timeGetTime() - start, 120u);
}

TEST_F(LazyTrees_qn_Animation, AnimatedTogglesEndInTheSamePixels) {
  TVTAnimationOptions advanced{toAdvancedAnimatedToggle};
  auto expandFirst = [](Cardinal I) {
    return [I](TAnimTree* T) {
      T->ToggleNode(Top(T, I));
      return Top(T, I);
    };
  };
  const std::vector<TCase> cases{
      {"collapse in the middle", {}, false, false, expandFirst(2), {tamScrollUp}},
      {"collapse near the end", advanced, false, false,
       [](TAnimTree* T) {
         T->ToggleNode(Top(T, 28));
         T->SetOffsetY(-100000);
         return Top(T, 28);
       },
       {tamScrollDown}},
      {"expand, one region", {}, false, false, [](TAnimTree* T) { return Top(T, 1); }, {tamScrollDown}},
      {"expand, one region without advanced", {}, true, false, [](TAnimTree* T) { return Top(T, 8); },
       {tamScrollDown}},
      {"expand, two regions", advanced, true, false,
       [](TAnimTree* T) {
         T->SetChildCount(Top(T, 5), 12);
         return Top(T, 5);
       },
       {tamScrollUp, tamScrollDown}},
      {"children above: expand, one region", {}, false, true,
       [](TAnimTree* T) {
         T->SetOffsetY(-90);
         return Top(T, 9);
       },
       {tamScrollUp}},
      {"children above: expand, two regions", advanced, true, true,
       [](TAnimTree* T) { return Top(T, 4); }, {tamScrollUp, tamScrollDown}},
      {"children above: collapse", {}, false, true,
       [](TAnimTree* T) {
         T->ToggleNode(Top(T, 6));
         T->SetOffsetY(-150);
         return Top(T, 6);
       },
       {tamScrollDown}},
  };
  for (const TCase& c : cases) {
    TAnimTree* plain = NewTree(c, false);
    PLazyNode n = c.Setup(plain);
    Shot(plain);
    plain->ToggleNode(n);
    TScreenImage want = Shot(plain);
    Integer wantOffset = plain->OffsetY();
    // Whatever the toggle left unpainted shows against a full repaint.
    InvalidateRect(plain->Handle(), nullptr, false);
    EXPECT_TRUE(Shot(plain).Pixels == want.Pixels) << c.Name;
    EXPECT_TRUE(plain->Runs.empty()) << c.Name;

    TAnimTree* anim = NewTree(c, true);
    n = c.Setup(anim);
    Shot(anim);
    anim->Runs.clear();
    anim->ToggleNode(n);
    TScreenImage got = Shot(anim);
    EXPECT_EQ(anim->OffsetY(), wantOffset) << c.Name;
    ASSERT_EQ(anim->Runs.size(), 1u) << c.Name;
    std::multiset<TToggleAnimationMode> modes{anim->Runs[0].Mode1};
    if (anim->Runs[0].Mode2 != tamNoScroll) modes.insert(anim->Runs[0].Mode2);
    EXPECT_EQ(modes, c.Modes) << c.Name;
    EXPECT_GT(anim->Runs[0].Sizes.size(), 1u) << c.Name;
    ASSERT_EQ(got.Pixels.size(), want.Pixels.size());
    size_t differ = 0;
    for (size_t k = 0; k < got.Pixels.size(); ++k) differ += got.Pixels[k] != want.Pixels[k];
    EXPECT_EQ(differ, 0u) << c.Name;
  }
}

TEST_F(LazyTrees_qn_Animation, StripsTakeTheColumnColours) {
  TAnimTree* t = NewTree(true);
  TLazyTreeColumns* cols = t->Header()->Columns();
  TColor colours[] = {TColor(RGB(250, 240, 220)), TColor(RGB(225, 240, 255)), clNone};
  for (int i = 0; i < 3; ++i) {
    TLazyTreeColumn* c = cols->Add();
    c->SetWidth(80);
    if (colours[i] != clNone) {
      c->SetColor(colours[i]);
      c->SetOptions(c->Options() - TVTColumnOptions{coParentColor});
    }
  }
  t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible});
  Pump();
  // Expanding pushes the rows below down; the strip under the node shows
  // each column's colour (the third takes the tree's) while it slides.
  int probes = 0;
  t->OnStep = [&](const TToggleAnimationData& D) {
    TScreenImage img = CaptureWindow(t->Handle(), true);
    Integer y = D.R1.Top + 1;
    auto at = [&](Integer x) { return img.Pixels[size_t(y) * size_t(img.Width) + size_t(x)] & 0xFFFFFF; };
    auto rgb = [](TColor c) {
      COLORREF v = ColorToRGB(c);
      return uint32_t(GetRValue(v)) << 16 | uint32_t(GetGValue(v)) << 8 | GetBValue(v);
    };
    EXPECT_EQ(at(40), rgb(colours[0]));
    EXPECT_EQ(at(120), rgb(colours[1]));
    EXPECT_EQ(at(200), rgb(clWhite));
    EXPECT_EQ(at(t->ClientWidth() - 1), rgb(clWhite));  // right of the last column
    ++probes;
  };
  ASSERT_GT(t->ClientWidth(), 240);
  t->ToggleNode(Top(t, 2));
  EXPECT_GT(probes, 2);
}

TEST_F(LazyTrees_qn_Animation, ToggleDuringAnAnimationIsAppliedAtOnce) {
  TAnimTree* t = NewTree(true);
  PLazyNode other = Top(t, 5);
  bool done = false;
  t->OnStep = [&](const TToggleAnimationData&) {
    if (done) return;
    done = true;
    t->ToggleNode(other);
  };
  t->ToggleNode(Top(t, 1));
  t->OnStep = nullptr;
  EXPECT_TRUE(t->Expanded(Top(t, 1)));
  EXPECT_TRUE(t->Expanded(other));
  EXPECT_EQ(t->AnimateCalls, 2);
  EXPECT_EQ(t->Runs.size(), 1u);  // the nested one drew no step
  EXPECT_EQ(t->VisibleCount(), 30u + 12u);
}

TEST_F(LazyTrees_qn_Animation, GallerySheetMatchesItsGoldenImage) {
  vcl::TScreenImage sheet = gallery::TTreeToggleSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-toggle", 8,
                              gallery::TTreeToggleSheet::kWidth * gallery::TTreeToggleSheet::kHeight / 200);
}

TEST_F(LazyTrees_qn_Animation, CollapsingWithChildrenAboveKeepsTheNodeInPlace) {
  TAnimTree* t = NewTree(TCase{"above", {}, false, true, nullptr, {}}, false);
  PLazyNode n = Top(t, 6);
  t->ToggleNode(n);
  t->SetOffsetY(-150);
  Integer before = t->GetDisplayRect(n, NoColumn, false).Top;
  t->ToggleNode(n);
  EXPECT_EQ(t->GetDisplayRect(n, NoColumn, false).Top, before);
  EXPECT_EQ(t->OffsetY(), -150 + 6 * 18);
}

}  // namespace t_lazy_trees_qn_animation_test
