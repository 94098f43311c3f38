// Check states: the events that let the host veto or watch a change, and
// the tri-state tracking that pushes a change down to the children and up
// to the parents.
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

bool TBaseLazyTree_qn::ChangeCheckState(PLazyNode Node, TCheckState Value) {
  if (Node->States.Contains(vsChecking)) return false;
  Node->States.Include(vsChecking);
  if (!Node->States.Contains(vsInitialized)) InitNode(Node);
  if (FCheckPropagationCount == 0) DoStateChange({tsCheckPropagation});
  ++FCheckPropagationCount;
  struct TLeave {
    TBaseLazyTree_qn* T;
    PLazyNode N;
    ~TLeave() {
      N->States.Exclude(vsChecking);
      if (--T->FCheckPropagationCount == 0) T->DoStateChange({}, {tsCheckPropagation});
    }
  } leave{this, Node};

  bool tracking = FOptions->AutoOptions().Contains(toAutoTristateTracking);
  if (Node->CheckType == ctTriStateCheckBox && tracking &&
      (Value == csCheckedNormal || Value == csUncheckedNormal) && Node->ChildCount > 0) {
    Cardinal unchecked = 0, checked = 0, mixed = 0;
    for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling) {
      if (!IsCheckBox(c->CheckType)) continue;
      SetCheckState(c, Value);
      switch (c->CheckState) {
        case csUncheckedNormal: ++unchecked; break;
        case csCheckedNormal: ++checked; break;
        case csMixedNormal: ++mixed; break;
        default: break;
      }
    }
    if (mixed > 0) Value = csMixedNormal;
    else if (checked > 0) Value = unchecked > 0 ? csMixedNormal : csCheckedNormal;
  }
  if (Node->CheckType == ctRadioButton && Value == csCheckedNormal) {
    // Radio siblings give way silently.
    for (PLazyNode c = Node->Parent->FirstChild; c; c = c->NextSibling)
      if (c != Node && c->CheckType == ctRadioButton) c->CheckState = csUncheckedNormal;
    if (HandleAllocated()) Invalidate();
  }
  Node->CheckState = Value;

  bool result = true;
  PLazyNode parent = Node->Parent;
  if (parent != FRoot && !parent->States.Contains(vsInitialized)) InitNode(parent);
  if (tracking && !parent->States.Contains(vsChecking) && !parent->States.Contains(vsDisabled) &&
      IsCheckBox(Node->CheckType) && parent != FRoot && parent->CheckType == ctTriStateCheckBox)
    result = CheckParentCheckState(Node, Value);
  InvalidateNode(Node);
  return result;
}

bool TBaseLazyTree_qn::CheckParentCheckState(PLazyNode Node, TCheckState NewCheckState) {
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
  TCheckState state;
  if (checked == 0 && !mixed) state = csUncheckedNormal;
  else if (checked < counted) state = csMixedNormal;
  else state = csCheckedNormal;
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
