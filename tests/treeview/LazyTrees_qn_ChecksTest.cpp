#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_checks_test {

using namespace treetest;

namespace {

struct TCheckTree {
  std::unique_ptr<TBaseLazyTree_qn> Owner{new TBaseLazyTree_qn(nullptr)};
  TBaseLazyTree_qn* T = Owner.get();
  int Checking = 0, Checked = 0;
  std::function<bool(PLazyNode, TCheckState&)> Veto;
  TCheckTree() {
    T->OnChecking = [this](TBaseLazyTree_qn*, PLazyNode Node, TCheckState& State, bool& Allowed) {
      ++Checking;
      if (Veto && Veto(Node, State)) Allowed = false;
    };
    T->OnChecked = [this](TBaseLazyTree_qn*, PLazyNode) { ++Checked; };
  }
};

TEST(LazyTrees_qn_Checks, NextStateTable) {
  TCheckTree c;
  const TCheckState all[] = {csUncheckedNormal, csUncheckedPressed, csCheckedNormal,
                             csCheckedPressed,  csMixedNormal,      csMixedPressed};
  for (TCheckState s : all) {
    TCheckState box = s == csCheckedNormal ? csUncheckedNormal : csCheckedNormal;
    EXPECT_EQ(c.T->DetermineNextCheckState(ctCheckBox, s), box);
    EXPECT_EQ(c.T->DetermineNextCheckState(ctTriStateCheckBox, s), box);
    EXPECT_EQ(c.T->DetermineNextCheckState(ctRadioButton, s), csCheckedNormal);
    EXPECT_EQ(c.T->DetermineNextCheckState(ctButton, s), csUncheckedNormal);
  }
}

TEST(LazyTrees_qn_Checks, TriStateParentWithThreeBoxes) {
  TCheckTree c;
  TBaseLazyTree_qn* t = c.T;
  t->SetRootNodeCount(1);
  PLazyNode p = t->GetFirst();
  t->SetChildCount(p, 3);
  t->SetCheckType(p, ctTriStateCheckBox);
  std::vector<PLazyNode> kids;
  for (PLazyNode k = t->GetFirstChild(p); k; k = t->GetNextSibling(k)) {
    t->SetCheckType(k, ctCheckBox);
    kids.push_back(k);
  }
  c.Checking = c.Checked = 0;
  t->SetCheckState(p, csCheckedNormal);
  EXPECT_EQ(c.Checking, 4);  // the parent and its three children
  EXPECT_EQ(c.Checked, 4);
  EXPECT_EQ(t->GetCheckState(p), csCheckedNormal);
  for (PLazyNode k : kids) EXPECT_EQ(t->GetCheckState(k), csCheckedNormal);
  EXPECT_EQ(t->CheckedCount(), 4u);

  t->SetCheckState(kids[1], csUncheckedNormal);
  EXPECT_EQ(t->GetCheckState(p), csMixedNormal);
  t->SetCheckState(kids[0], csUncheckedNormal);
  t->SetCheckState(kids[2], csUncheckedNormal);
  EXPECT_EQ(t->GetCheckState(p), csUncheckedNormal);
  EXPECT_FALSE(t->TreeStates().Contains(tsCheckPropagation));

  // A vetoed child leaves the parent mixed.
  c.Veto = [&](PLazyNode n, TCheckState&) { return n == kids[2]; };
  t->SetCheckState(p, csCheckedNormal);
  EXPECT_EQ(t->GetCheckState(kids[2]), csUncheckedNormal);
  EXPECT_EQ(t->GetCheckState(p), csMixedNormal);

  // A parent that refuses its computed state keeps it; the child keeps its
  // new one but reports no OnChecked.
  c.Veto = [&](PLazyNode n, TCheckState&) { return n == p; };
  c.Checked = 0;
  t->SetCheckState(kids[0], csUncheckedNormal);
  EXPECT_EQ(t->GetCheckState(kids[0]), csUncheckedNormal);
  EXPECT_EQ(t->GetCheckState(p), csMixedNormal);
  EXPECT_EQ(c.Checked, 0);

  // A mixed node made a plain check box is unchecked.
  c.Veto = nullptr;
  t->SetCheckType(p, ctCheckBox);
  EXPECT_EQ(t->GetCheckState(p), csUncheckedNormal);
}

TEST(LazyTrees_qn_Checks, RadioSiblingsAndReadOnly) {
  TCheckTree c;
  TBaseLazyTree_qn* t = c.T;
  t->SetRootNodeCount(4);
  std::vector<PLazyNode> n = AllNodes(t);
  for (int i = 0; i < 3; ++i) t->SetCheckType(n[size_t(i)], ctRadioButton);
  t->SetCheckType(n[3], ctCheckBox);
  t->SetCheckState(n[3], csCheckedNormal);
  t->SetCheckState(n[0], csCheckedNormal);
  c.Checking = c.Checked = 0;
  t->SetCheckState(n[1], csCheckedNormal);
  EXPECT_EQ(c.Checking, 1);
  EXPECT_EQ(c.Checked, 1);
  EXPECT_EQ(t->GetCheckState(n[0]), csUncheckedNormal) << "radio siblings change without events";
  EXPECT_EQ(t->GetCheckState(n[3]), csCheckedNormal) << "other types are left alone";

  t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + TVTMiscOptions{toReadOnly});
  c.Checking = 0;
  t->SetCheckState(n[2], csCheckedNormal);
  EXPECT_EQ(c.Checking, 0);
  EXPECT_EQ(t->GetCheckState(n[2]), csUncheckedNormal);
  // Disabled nodes refuse as well.
  TCheckTree d;
  d.T->SetRootNodeCount(1);
  PLazyNode x = d.T->GetFirst();
  d.T->SetCheckType(x, ctCheckBox);
  d.T->SetDisabled(x, true);
  d.T->SetCheckState(x, csCheckedNormal);
  EXPECT_EQ(d.T->GetCheckState(x), csUncheckedNormal);
  EXPECT_EQ(d.Checking, 0);
}

// Random trees of tri-state and plain boxes, random clicks: every
// tri-state parent follows the rule from its boxed children.
TEST(LazyTrees_qn_Checks, TriStatePropertyAfterRandomClicks) {
  for (uint32_t seed : {3u, 17u, 2024u}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    TCheckTree c;
    TBaseLazyTree_qn* t = c.T;
    t->SetRootNodeCount(4);
    std::vector<PLazyNode> level = AllNodes(t);
    for (int depth = 0; depth < 3; ++depth) {
      std::vector<PLazyNode> next;
      for (PLazyNode n : level) {
        Cardinal kids = std::uniform_int_distribution<Cardinal>(0, 4)(rng);
        if (kids) t->SetChildCount(n, kids);
        for (PLazyNode k = n->FirstChild; k; k = k->NextSibling) next.push_back(k);
      }
      level = next;
    }
    std::vector<PLazyNode> all = AllNodes(t);
    // Types from the leaves up, so a new box under a tri-state parent does
    // not take a state before its own children are typed.
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      t->SetCheckType(*it, (*it)->ChildCount > 0 || rng() % 2 ? ctTriStateCheckBox : ctCheckBox);
    for (int click = 0; click < 300; ++click) {
      PLazyNode n = all[std::uniform_int_distribution<size_t>(0, all.size() - 1)(rng)];
      t->SetCheckState(n, t->DetermineNextCheckState(n->CheckType, n->CheckState));
      for (PLazyNode p : all) {
        if (p->CheckType != ctTriStateCheckBox || p->ChildCount == 0) continue;
        Cardinal counted = 0, checked = 0;
        bool mixed = false;
        for (PLazyNode k = p->FirstChild; k; k = k->NextSibling) {
          ++counted;
          checked += k->CheckState == csCheckedNormal;
          mixed |= k->CheckState == csMixedNormal;
        }
        TCheckState expect = checked == counted ? csCheckedNormal
                             : (checked == 0 && !mixed) ? csUncheckedNormal
                                                        : csMixedNormal;
        ASSERT_EQ(p->CheckState, expect) << "click " << click;
      }
    }
    t->ClearChecked();
    for (PLazyNode n : all) EXPECT_EQ(n->CheckState, csUncheckedNormal);
  }
}

}  // namespace

}  // namespace t_lazy_trees_qn_checks_test
