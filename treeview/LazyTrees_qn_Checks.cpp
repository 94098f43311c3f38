// Check states: the events that let the host veto or watch a change, and
// the tri-state tracking that pushes a change down to the children and up
// to the parents.
#include <vector>

#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {
inline bool IsCheckBox(TCheckType Type) { return Type == ctCheckBox || Type == ctTriStateCheckBox; }
}  // namespace

TCheckState TBaseLazyTree_qn::DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState) {
  switch (CheckType) {
    case ctTriStateCheckBox:
    case ctCheckBox: return CheckState == csCheckedNormal ? csUncheckedNormal : csCheckedNormal;
    case ctRadioButton: return csCheckedNormal;
    case ctButton: return csUncheckedNormal;
    case ctNone: break;
  }
  return CheckState;
}

bool TBaseLazyTree_qn::DoChecking(PLazyNode Node, TCheckState& NewCheckState) {
  if (FOptions->MiscOptions().Contains(toReadOnly)) return false;
  bool allowed = true;
  if (Assigned(OnChecking)) OnChecking(this, Node, NewCheckState, allowed);
  return allowed;
}

void TBaseLazyTree_qn::DoChecked(PLazyNode Node) {
  if (Assigned(OnChecked)) OnChecked(this, Node);
  if (HasAccessibleItem() && HandleAllocated()) NotifyWinEvent(0x800A, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

void TBaseLazyTree_qn::DoCheckClick(PLazyNode Node, TCheckState NewCheckState) {
  if (ChangeCheckState(Node, NewCheckState)) DoChecked(Node);
}

void TBaseLazyTree_qn::SetCheckState(PLazyNode Node, TCheckState Value) {
  if (!Node || Node == FRoot || Value == Node->CheckState || Node->States.Contains(vsDisabled)) return;
  if (DoChecking(Node, Value)) DoCheckClick(Node, Value);
}

namespace {
// One node's change while the change spreads: the propagation pushes a level
// for a child it changes on the way down and for a parent it changes on the
// way up, instead of a call per level, so a chain of a million nodes needs a
// million of these on the heap rather than a million frames on the stack.
struct TCheckLevel {
  enum TStage : Byte { csEnter, csChildren, csSelf, csParentDone, csLeave };
  // How the level was reached, which decides what follows its end: the
  // caller, a parent pushing its state down, or a child pushing it up.
  enum TReached : Byte { crCaller, crFromParent, crFromChild };
  PLazyNode Node;
  TCheckState Value;
  TReached Reached;
  TStage Stage = csEnter;
  bool Entered = false;
  bool Counted = false;
  bool Tracking = false;
  bool Result = true;
  PLazyNode Child = nullptr;  // the child being changed on the way down
  Cardinal Unchecked = 0, Checked = 0, Mixed = 0;
};
}  // namespace

// The order is that of the recursive description: a node's children are
// changed (each with its checking event, its own subtree and its checked
// event) before the node takes its state; then its parent is asked and
// changed; the node's checked event follows once all that is done.
bool TBaseLazyTree_qn::ChangeCheckState(PLazyNode Node, TCheckState Value) {
  std::vector<TCheckLevel> levels;
  levels.push_back({Node, Value, TCheckLevel::crCaller});
  bool returned = false;  // the value the level just finished gives back
  auto leave = [this](TCheckLevel& L) {
    L.Entered = false;
    L.Node->States.Exclude(vsChecking);
    if (L.Counted) {
      L.Counted = false;
      if (--FCheckPropagationCount == 0) DoStateChange({}, {tsCheckPropagation});
    }
  };
  try {
    for (;;) {
      TCheckLevel& l = levels.back();
      PLazyNode node = l.Node;
      switch (l.Stage) {
        case TCheckLevel::csEnter: {
          if (node->States.Contains(vsChecking)) {
            returned = false;
            break;
          }
          node->States.Include(vsChecking);
          // From here a failure takes the mark back.
          l.Entered = true;
          if (!node->States.Contains(vsInitialized)) InitNode(node);
          if (FCheckPropagationCount == 0) DoStateChange({tsCheckPropagation});
          ++FCheckPropagationCount;
          l.Counted = true;
          l.Tracking = FOptions->AutoOptions().Contains(toAutoTristateTracking);
          if (node->CheckType == ctTriStateCheckBox && l.Tracking &&
              (l.Value == csCheckedNormal || l.Value == csUncheckedNormal) && node->ChildCount > 0) {
            l.Stage = TCheckLevel::csChildren;
            l.Child = nullptr;
          } else {
            l.Stage = TCheckLevel::csSelf;
          }
          continue;
        }
        case TCheckLevel::csChildren: {
          // Child is the one just changed (or nil before the first).
          PLazyNode c = l.Child ? l.Child->NextSibling : node->FirstChild;
          if (l.Child) {
            switch (l.Child->CheckState) {
              case csUncheckedNormal: ++l.Unchecked; break;
              case csCheckedNormal: ++l.Checked; break;
              case csMixedNormal: ++l.Mixed; break;
              default: break;
            }
          }
          while (c && !IsCheckBox(c->CheckType)) c = c->NextSibling;
          if (!c) {
            if (l.Mixed > 0) l.Value = csMixedNormal;
            else if (l.Checked > 0) l.Value = l.Unchecked > 0 ? csMixedNormal : csCheckedNormal;
            l.Stage = TCheckLevel::csSelf;
            continue;
          }
          l.Child = c;
          // SetCheckState(c, Value), its click going one level down.
          TCheckState v = l.Value;
          if (c != FRoot && v != c->CheckState && !c->States.Contains(vsDisabled) && DoChecking(c, v))
            levels.push_back({c, v, TCheckLevel::crFromParent});
          continue;
        }
        case TCheckLevel::csSelf: {
          if (node->CheckType == ctRadioButton && l.Value == csCheckedNormal) {
            // Radio siblings give way silently.
            for (PLazyNode c = node->Parent->FirstChild; c; c = c->NextSibling)
              if (c != node && c->CheckType == ctRadioButton) c->CheckState = csUncheckedNormal;
            if (HandleAllocated()) Invalidate();
          }
          node->CheckState = l.Value;
          l.Result = true;
          l.Stage = TCheckLevel::csLeave;
          PLazyNode parent = node->Parent;
          if (parent != FRoot && !parent->States.Contains(vsInitialized)) InitNode(parent);
          if (l.Tracking && !parent->States.Contains(vsChecking) && !parent->States.Contains(vsDisabled) &&
              IsCheckBox(node->CheckType) && parent != FRoot && parent->CheckType == ctTriStateCheckBox) {
            // CheckParentCheckState(node, Value): the parent's state from its
            // children's, the parent's click one level up.
            TCheckState state = ParentCheckStateOf(node, l.Value);
            l.Result = DoChecking(parent, state);
            if (l.Result) {
              l.Stage = TCheckLevel::csParentDone;
              levels.push_back({parent, state, TCheckLevel::crFromChild});
            }
          }
          continue;
        }
        case TCheckLevel::csParentDone:
          l.Stage = TCheckLevel::csLeave;
          continue;
        case TCheckLevel::csLeave:
          InvalidateNode(node);
          leave(l);
          returned = l.Result;
          break;
      }
      // The level is done: what its caller does with the answer.
      TCheckLevel::TReached reached = l.Reached;
      levels.pop_back();
      if (reached == TCheckLevel::crCaller) return returned;
      // Both ways in were a click (DoCheckClick), which reports a change made.
      if (returned) DoChecked(node);
    }
  } catch (...) {
    for (size_t i = levels.size(); i-- > 0;)
      if (levels[i].Entered) leave(levels[i]);
    throw;
  }
}

TCheckState TBaseLazyTree_qn::ParentCheckStateOf(PLazyNode Node, TCheckState NewCheckState) {
  PLazyNode parent = Node->Parent;
  Cardinal counted = 0, checked = 0;
  bool mixed = false;
  for (PLazyNode c = parent->FirstChild; c; c = c->NextSibling) {
    if (!IsCheckBox(c->CheckType)) continue;
    TCheckState state = c == Node ? NewCheckState : c->CheckState;
    ++counted;
    if (state == csCheckedNormal || state == csCheckedPressed) ++checked;
    if (state == csMixedNormal) mixed = true;
  }
  if (checked == 0 && !mixed) return csUncheckedNormal;
  if (checked < counted) return csMixedNormal;
  return csCheckedNormal;
}

bool TBaseLazyTree_qn::CheckParentCheckState(PLazyNode Node, TCheckState NewCheckState) {
  PLazyNode parent = Node->Parent;
  TCheckState state = ParentCheckStateOf(Node, NewCheckState);
  bool allowed = DoChecking(parent, state);
  if (allowed) DoCheckClick(parent, state);
  return allowed;
}

void TBaseLazyTree_qn::SetCheckType(PLazyNode Node, TCheckType Value) {
  if (!Node || Node == FRoot || Node->CheckType == Value || FOptions->MiscOptions().Contains(toReadOnly)) return;
  Node->CheckType = Value;
  if (Value != ctTriStateCheckBox && (Node->CheckState == csMixedNormal || Node->CheckState == csMixedPressed))
    Node->CheckState = csUncheckedNormal;
  PLazyNode parent = Node->Parent;
  if (FOptions->AutoOptions().Contains(toAutoTristateTracking) && IsCheckBox(Value) && parent != FRoot) {
    if (!parent->States.Contains(vsInitialized)) InitNode(parent);
    if (parent->CheckType == ctTriStateCheckBox &&
        (parent->CheckState == csUncheckedNormal || parent->CheckState == csCheckedNormal))
      SetCheckState(Node, parent->CheckState);
  }
  InvalidateNode(Node);
}

Cardinal TBaseLazyTree_qn::GetCheckedCount() {
  Cardinal count = 0;
  for (PLazyNode n = GetFirstChecked(csCheckedNormal); n; n = GetNextChecked(n, csCheckedNormal)) ++count;
  return count;
}

void TBaseLazyTree_qn::ClearChecked() {
  for (PLazyNode n = FRoot->FirstChild; n; n = GetNextNoInit(n))
    if (n->CheckState != csUncheckedNormal) SetCheckState(n, csUncheckedNormal);
}

}  // namespace qn
