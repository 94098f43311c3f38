// The tree at the keyboard, its help chain and the node popup menu.
#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

// ---------------------------------------------------------------------------
// The node popup menu

TPopupMenu* TBaseLazyTree_qn::DoGetPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position) {
  TPopupMenu* menu = nullptr;
  if (!Assigned(OnGetPopupMenu)) return nullptr;
  bool askParent = true;
  if (!Node) {
    OnGetPopupMenu(this, nullptr, NoColumn, Position, askParent, menu);
    return menu;
  }
  for (PLazyNode run = Node; run && run != FRoot && !menu && askParent; run = run->Parent)
    OnGetPopupMenu(this, run, Column, Position, askParent, menu);
  return menu;
}

void TBaseLazyTree_qn::DoPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position) {
  TPopupMenu* menu = DoGetPopupMenu(Node, Column, Position);
  if (!menu) return;
  DoStateChange({tsPopupMenuShown});
  StopTimer(EditTimer);
  menu->SetPopupComponent(this);
  TPoint p = ClientToScreen(Position);
  menu->Popup(p.X, p.Y);
}

bool TBaseLazyTree_qn::HasPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position) {
  return PopupMenu() != nullptr || DoGetPopupMenu(Node, Column, Position) != nullptr;
}

// ---------------------------------------------------------------------------
// Keys

bool TBaseLazyTree_qn::DoKeyAction(Word& CharCode, TShiftState& Shift) {
  bool result = true;
  if (Assigned(FOnKeyAction)) FOnKeyAction(this, CharCode, Shift, result);
  return result;
}

bool TBaseLazyTree_qn::KeyboardDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
      WMKeyDown(Message);
      return true;
    case WM_SYSKEYDOWN:
      // With Alt held the platform reports keys as system keys; of the key
      // table only Shift+Alt+PageUp/PageDown (column pages) wants them. Every
      // other Alt combination stays the platform's (menus, Alt+Space).
      if ((Message.WParam == VK_PRIOR || Message.WParam == VK_NEXT) && GetKeyState(VK_SHIFT) < 0) {
        WMKeyDown(Message);
        return true;
      }
      return false;
    case WM_KEYUP:
      WMKeyUp(Message);
      return true;
    case WM_CHAR:
      WMChar(Message);
      return true;
    case WM_GETDLGCODE:
      WMGetDlgCode(Message);
      return true;
    default:
      return false;
  }
}

void TBaseLazyTree_qn::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FWantTabs) Message.Result |= DLGC_WANTTAB;
}

void TBaseLazyTree_qn::WMKeyDown(TMessage& Message) {
  // The platform's part first: OnKeyDown, which may swallow the key. F1
  // shows the control's help there, unless the tree asks its nodes for a
  // topic itself (below), which falls back to the same help contexts.
  if (DoKeyDown(Message)) return;
  if (Message.WParam == VK_F1 && !Assigned(FOnGetHelpContext) && KeyboardStateToShiftState().Empty())
    InvokeHelp();
  else DefaultHandler(Message);

  Word charCode = Word(Message.WParam);
  TShiftState shift = KeyDataToShiftState(Integer(Message.LParam));
  if (!DoKeyAction(charCode, shift)) return;

  if (FStates.Contains(tsKeyCheckPending) && charCode != VK_SPACE) DropKeyCheck();

  bool navigation = charCode == VK_BACK || charCode == VK_TAB || (charCode >= VK_PRIOR && charCode <= VK_DOWN);
  if (navigation && FRoot->ChildCount > 0) KeyNavigate(charCode, shift);
  else KeyOther(charCode, shift, Message.LParam);
}

void TBaseLazyTree_qn::DropKeyCheck() {
  DoStateChange({}, {tsKeyCheckPending});
  if (!FCheckNode) return;
  FCheckNode->CheckState = NormalCheckStates[Integer(FCheckNode->CheckState)];
  RepaintNode(FCheckNode);
  FCheckNode = nullptr;
}

void TBaseLazyTree_qn::KeyNavigate(Word CharCode, TShiftState Shift) {
  const TVTSelectionOptions selection = FOptions->SelectionOptions();
  const TVTMiscOptions& misc = FOptions->MiscOptions();
  const bool multiSelect = selection.Contains(toMultiSelect);
  const bool grid = misc.Contains(toGridExtensions);
  const bool extendedFocus = selection.Contains(toExtendedFocus);
  const bool editing = IsEditing();
  const bool ctrl = Shift.Contains(ssCtrl);
  TLazyTreeColumns* columns = FHeader->Columns();

  const bool extendSelection = Shift.Contains(ssShift) && multiSelect && !editing;
  bool rangeSelect = extendSelection && !editing &&
                     (CharCode == VK_PRIOR || CharCode == VK_NEXT || CharCode == VK_END || CharCode == VK_HOME);
  const bool clearPending = Shift.Empty() || (grid && !Shift.Contains(ssShift)) || !multiSelect ||
                            CharCode == VK_BACK || CharCode == VK_TAB;
  const bool needInvalidate = rangeSelect || FSelectionCount > 1;
  PLazyNode lastFocused = FFocusedNode;
  if (!lastFocused && !Shift.Empty()) lastFocused = GetFirstVisible(nullptr, true);
  if (!FRangeAnchor) {
    FRangeAnchor = GetFirstSelected();
    if (!FRangeAnchor) FRangeAnchor = GetFirst();
  }
  const Integer dir = UseRightToLeftAlignment() ? -1 : 1;

  switch (CharCode) {
    case VK_BACK:
      if (FStates.Contains(tsIncrementalSearching)) DoStateChange({tsIncrementalSearchPending});
      else if (FFocusedNode && FFocusedNode->Parent != FRoot) SetFocusedNode(FFocusedNode->Parent);
      break;
    case VK_TAB:
      // Without extended focus the dialog manager moves the input focus
      // (unless WantTabs keeps the key here, where it then does nothing).
      if (extendedFocus && FHeader->UseColumns()) KeyTab(Shift.Contains(ssShift));
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      const bool up = CharCode == VK_PRIOR;
      if (Shift == TShiftState{ssShift, ssCtrl}) SetOffsetX(FOffsetX + (up ? 1 : -1) * ClientWidth());
      else if (Shift == TShiftState{ssShift, ssAlt}) KeyPageColumns(up);
      else if (ctrl) SetOffsetY(FOffsetY + (up ? 1 : -1) * ClientHeight());
      else if (!FFocusedNode) SetFocusedNode(up ? GetFirstVisible(nullptr, true) : GetLastVisible(nullptr, true));
      else {
        // A page up counts each node it reaches and tests with the node it
        // stands on; a page down counts each node it leaves.
        PLazyNode node = FFocusedNode;
        Integer sum = 0;
        for (;;) {
          PLazyNode step = up ? GetPreviousVisible(node, true) : GetNextVisible(node, true);
          if (!step || ClientHeight() <= sum + Integer(GetNodeHeight(node))) break;
          if (up) {
            node = step;
            sum += Integer(GetNodeHeight(node));
          } else {
            sum += Integer(GetNodeHeight(node));
            node = step;
          }
        }
        SetFocusedNode(node);
      }
      break;
    }
    case VK_HOME:
    case VK_END:
      KeyHomeEnd(CharCode, Shift);
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = CharCode == VK_LEFT;
      if (ctrl) {
        SetOffsetX(FOffsetX + (left ? dir : -dir) * columns->GetScrollWidth());
      } else if (extendedFocus && grid) {
        TColumnIndex c = left ? columns->GetPreviousVisibleColumn(FFocusedColumn, true)
                              : columns->GetNextVisibleColumn(FFocusedColumn, true);
        if (c > NoColumn) SetFocusedColumn(c);
      } else if (FFocusedNode && FFocusedNode->States.Contains(vsHasChildren) && Shift.Empty() &&
                 FFocusedNode->States.Contains(vsExpanded) == left) {
        ToggleNode(FFocusedNode);
      } else if (!FFocusedNode) {
        SetFocusedNode(GetFirstVisible(nullptr, true));
      } else if (left) {
        PLazyNode parent = FFocusedNode->Parent;
        if (parent != FRoot) {
          if (extendSelection) {
            if (FFocusedNode->Index > 0) rangeSelect = true;
            else if (CompareNodePositions(parent, FRangeAnchor) > 0) RemoveFromSelection(FFocusedNode);
          }
          SetFocusedNode(parent);
        }
      } else if (PLazyNode child = GetFirstVisibleChild(FFocusedNode)) {
        if (extendSelection && CompareNodePositions(child, FRangeAnchor) < 0) RemoveFromSelection(FFocusedNode);
        SetFocusedNode(child);
      }
      break;
    }
    case VK_UP:
    case VK_DOWN: {
      const bool up = CharCode == VK_UP;
      if (ctrl) {
        SetOffsetY(FOffsetY + (up ? 1 : -1) * Integer(FDefaultNodeHeight));
        break;
      }
      PLazyNode target = FFocusedNode ? (up ? GetPreviousVisible(FFocusedNode, true) : GetNextVisible(FFocusedNode, true))
                                      : (up ? GetLastVisible(nullptr, true) : GetFirstVisible(nullptr, true));
      if (!target) {
        if (FFocusedNode) InvalidateNode(FFocusedNode);
        break;
      }
      EndEditNode();
      if (extendSelection && FFocusedNode) {
        // Moving back towards the anchor gives up the node just left.
        Integer side = CompareNodePositions(lastFocused, FRangeAnchor);
        if (up ? side > 0 : side < 0) RemoveFromSelection(FFocusedNode);
      }
      if (FFocusedColumn < 0) FFocusedColumn = HeaderMainColumn();
      SetFocusedNode(target);
      break;
    }
    default:
      break;
  }

  bool cleared = false;
  if (clearPending && (lastFocused != FFocusedNode || FSelectionCount != 1)) {
    ClearSelection();
    cleared = true;
  }
  if (Shift.Empty()) {
    FRangeAnchor = FFocusedNode;
    FLastSelectionLevel = FFocusedNode ? Integer(GetNodeLevel(FFocusedNode)) : -1;
  }
  if (FFocusedNode) {
    if (rangeSelect && lastFocused) ToggleSelection(lastFocused, FFocusedNode);
    if (cleared || FFocusedNode != lastFocused) AddToSelection(FFocusedNode);
  }
  if (needInvalidate) Invalidate();
}

void TBaseLazyTree_qn::KeyTab(bool Backward) {
  TLazyTreeColumns* columns = FHeader->Columns();
  auto step = [&](TColumnIndex c) {
    return Backward ? columns->GetPreviousVisibleColumn(c, true) : columns->GetNextVisibleColumn(c, true);
  };
  PLazyNode node = FFocusedNode;
  TColumnIndex column;
  if (node) {
    column = step(FFocusedColumn);
  } else {
    node = Backward ? GetLastVisible(nullptr, true) : GetFirstVisible(nullptr, true);
    column = Backward ? columns->GetLastVisibleColumn(true) : columns->GetFirstVisibleColumn(true);
  }
  while (node) {
    while (column > NoColumn && !DoFocusChanging(FFocusedNode, node, FFocusedColumn, column)) column = step(column);
    if (column > NoColumn) {
      SetFocusedNodeAndColumn(node, column);
      return;
    }
    node = Backward ? GetPreviousVisible(node, true) : GetNextVisible(node, true);
    column = Backward ? columns->GetLastVisibleColumn(true) : columns->GetFirstVisibleColumn(true);
  }
}

void TBaseLazyTree_qn::KeyPageColumns(bool Backward) {
  TLazyTreeColumns* columns = FHeader->Columns();
  TColumnIndex column;
  if (FFocusedColumn <= NoColumn) {
    column = columns->GetFirstVisibleColumn();
  } else {
    // Move by what fits beside the fixed columns, never onto a fixed one.
    Integer width = columns->GetVisibleFixedWidth();
    column = FFocusedColumn;
    for (;;) {
      TColumnIndex next =
          Backward ? columns->GetPreviousVisibleColumn(column) : columns->GetNextVisibleColumn(column);
      if (next < 0 || ClientWidth() <= width + columns->Items(column)->Width() ||
          columns->Items(next)->Options().Contains(coFixed))
        break;
      width += columns->Items(column)->Width();
      column = next;
    }
  }
  SetFocusedColumn(column);
}

void TBaseLazyTree_qn::KeyHomeEnd(Word CharCode, TShiftState Shift) {
  const bool rtl = UseRightToLeftAlignment();
  const bool forward = (CharCode == VK_HOME) != rtl;
  const TVTMiscOptions& misc = FOptions->MiscOptions();
  const bool grid = misc.Contains(toGridExtensions);
  TLazyTreeColumns* columns = FHeader->Columns();
  PLazyNode node = forward ? GetFirstVisible(nullptr, true) : GetLastVisible(nullptr, true);
  TColumnIndex column = NoColumn;
  if (FHeader->UseColumns()) {
    column = forward ? columns->GetFirstVisibleColumn() : columns->GetLastVisibleColumn();
    while (column > NoColumn && !DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, column))
      column = forward ? columns->GetNextVisibleColumn(column) : columns->GetPreviousVisibleColumn(column);
  }
  if (column < NoColumn) return;
  if (Shift == TShiftState{ssCtrl} && !grid) {
    // Scrolls to the start or end without moving the focus.
    ScrollIntoView(node, FOptions->SelectionOptions().Contains(toCenterScrollIntoView),
                   !FOptions->AutoOptions().Contains(toDisableAutoscrollOnFocus));
    SetOffsetX(CharCode == VK_HOME && !rtl ? 0 : -2147483647);
    return;
  }
  if (!grid || Shift.Contains(ssCtrl)) SetFocusedNode(node);
  if (grid && !FOptions->SelectionOptions().Contains(toFullRowSelect)) SetFocusedColumn(column);
}

void TBaseLazyTree_qn::KeyOther(Word CharCode, TShiftState Shift, LPARAM KeyData) {
  // The signs of the main keyboard act like the keypad's: whatever key
  // gives "*", "+", "-" or "/" (Ctrl left out, so Ctrl+Shift+= is a plus).
  Byte keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0;
  keys[VK_LCONTROL] = 0;
  keys[VK_RCONTROL] = 0;
  WORD chars[2] = {};
  if (ToAscii(CharCode, UINT((KeyData >> 16) & 0xFF), keys, chars, 0) == 1) {
    switch (chars[0]) {
      case '*': CharCode = VK_MULTIPLY; break;
      case '+': CharCode = VK_ADD; break;
      case '-': CharCode = VK_SUBTRACT; break;
      case '/': CharCode = VK_DIVIDE; break;
      default: break;
    }
  }

  const bool searching = FStates.Contains(tsIncrementalSearching);
  const bool ctrl = Shift.Contains(ssCtrl);
  const bool reverseHotKey = FOptions->MiscOptions().Contains(toReverseFullExpandHotKey);
  auto searchKey = [this] { DoStateChange({tsIncrementalSearchPending}); };
  switch (CharCode) {
    case VK_MULTIPLY:
      if (searching) searchKey();
      else if (FFocusedNode) FullExpand(FFocusedNode);
      break;
    case VK_ADD:
      if (searching) searchKey();
      else if (ctrl) {
        if (!reverseHotKey && Shift.Contains(ssShift)) FullExpand(nullptr);
        else FHeader->AutoFitColumns(true, smaUseColumnOption, -1, -1);
      } else if (FFocusedNode && !FFocusedNode->States.Contains(vsExpanded)) ToggleNode(FFocusedNode);
      break;
    case VK_SUBTRACT:
      if (searching) searchKey();
      else if (ctrl) {
        if (!reverseHotKey && Shift.Contains(ssShift)) FullCollapse(nullptr);
        else FHeader->RestoreColumns();
      } else if (FFocusedNode && FFocusedNode->States.Contains(vsExpanded)) ToggleNode(FFocusedNode);
      break;
    case VK_DIVIDE:
      if (searching) searchKey();
      else if (FFocusedNode) FullCollapse(FFocusedNode);
      break;
    case VK_ESCAPE:
      if (IsMouseSelecting()) {
        DoStateChange({}, {tsDrawSelPending, tsDrawSelecting});
        Invalidate();
      } else if (IsEditing()) {
        CancelEditNode();
      }
      break;
    case VK_SPACE:
      if (FOptions->MiscOptions().Contains(toCheckSupport) && FFocusedNode && FFocusedNode->CheckType != ctNone)
        KeySpaceDown();
      else searchKey();
      break;
    case VK_APPS:
      if (FFocusedNode) {
        // The menu opens at the middle of the focused cell's text.
        TRect r = GetDisplayRect(FFocusedNode, FFocusedColumn, true);
        Integer width = DoGetNodeWidth(FFocusedNode, FFocusedColumn, nullptr);
        if (FHeader->Columns()->IsValidColumn(FFocusedColumn))
          width = std::min(width, FHeader->Columns()->Items(FFocusedColumn)->Width());
        else width = std::min(width, ClientWidth());
        DoPopupMenu(FFocusedNode, FFocusedColumn, TPoint(r.Left + width / 2, (r.Top + r.Bottom) / 2));
      }
      break;
    case 'A':
      // The letter's key code only: 0x61, its lower-case character code,
      // is the keypad's 1 among key codes.
      if (ctrl) SelectAll(true);
      else searchKey();
      break;
    case VK_F1:
      if (Assigned(FOnGetHelpContext)) KeyShowHelp();
      break;
    case VK_F2:
      if (Shift.Empty() && FFocusedNode && CanEdit(FFocusedNode, FFocusedColumn)) {
        FEditColumn = FFocusedColumn;
        DoEdit();
      }
      break;
    default:
      if (!ctrl && !Shift.Contains(ssAlt) && CharCode >= 32) searchKey();
      break;
  }
}

void TBaseLazyTree_qn::KeySpaceDown() {
  // A check that is pressed already (by the key or the mouse) stays as it
  // is; a disabled node takes no check.
  if (FStates.Contains(tsKeyCheckPending) || FStates.Contains(tsMouseCheckPending) ||
      FFocusedNode->States.Contains(vsDisabled))
    return;
  TCheckState next = DetermineNextCheckState(FFocusedNode->CheckType, FFocusedNode->CheckState);
  if (!DoChecking(FFocusedNode, next)) return;
  DoStateChange({tsKeyCheckPending});
  FCheckNode = FFocusedNode;
  FPendingCheckState = next;
  FCheckNode->CheckState = PressedCheckStates[Integer(FCheckNode->CheckState)];
  RepaintNode(FCheckNode);
}

void TBaseLazyTree_qn::KeyShowHelp() {
  // The innermost node with a topic, else the tree or the nearest parent
  // control with one.
  THelpContext context = 0;
  TColumnIndex column = FFocusedColumn > NoColumn ? FFocusedColumn : 0;
  for (PLazyNode run = FFocusedNode; run && run != FRoot && context == 0; run = run->Parent)
    FOnGetHelpContext(this, run, column, context);
  for (TControl* c = this; c && context == 0; c = c->Parent()) context = c->HelpContext();
  if (context != 0 && Application) Application->HelpContext(context);
}

void TBaseLazyTree_qn::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
  switch (Message.WParam) {
    case VK_TAB:
      EnsureNodeFocused();
      break;
    case VK_SPACE:
      if (FStates.Contains(tsKeyCheckPending)) {
        // Applied on release only while the pressed node still has the
        // focus; otherwise it goes back to its normal form.
        if (FCheckNode && FCheckNode == FFocusedNode) {
          PLazyNode node = FCheckNode;
          DoStateChange({}, {tsKeyCheckPending});
          FCheckNode = nullptr;
          node->CheckState = NormalCheckStates[Integer(node->CheckState)];
          DoCheckClick(node, FPendingCheckState);
          InvalidateNode(node);
        } else {
          DropKeyCheck();
        }
      }
      break;
    default:
      break;
  }
}

void TBaseLazyTree_qn::WMChar(TMessage& Message) {
  if (FStates.Contains(tsIncrementalSearchPending)) {
    HandleIncrementalSearch(Word(Message.WParam));
    DoStateChange({}, {tsIncrementalSearchPending});
  }
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

}  // namespace qn
