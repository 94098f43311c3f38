// The tree's remaining window messages (window destruction, enabling, the
// context menu, reading direction, scaling, non-client presses), the
// standard edit actions, the hint animation choice, the tree-view query
// messages other programs send to read nodes, and the accessibility
// request that hands out the factory's objects.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/comctl/CommCtrl.h"
#include "platform/ole/ActiveX.h"
#include "platform/vcl/StdActns.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/VTAccessibilityFactory_qn.h"

namespace qn {

std::atomic<bool> HintWindowDestroyed{true};

namespace {

// Sent by code that wants to subclass a control's window; the tree refuses.
constexpr UINT CM_DENYSUBCLASSING = 0xB7D0;

// The whole window with its frame (the header lives in the frame), without
// erasing and without the children.
constexpr UINT EnableRedrawFlags = RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME;

// An image index as the 4-bit field of a tree-view item state: index + 1,
// 0 for none and for indexes the field cannot hold.
UINT ImageField(Integer Index) { return Index >= 0 && Index < 15 ? UINT(Index + 1) : 0; }

}  // namespace

bool TBaseLazyTree_qn::IsLiveNode(const void* Node) const { return FNodePool.Contains(Node); }

bool TBaseLazyTree_qn::MessagesDispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCDESTROY: WMNCDestroy(Message); return true;
    case WM_ENABLE: WMEnable(Message); return true;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return true;
    case WM_CONTEXTMENU: WMContextMenu(Message); return true;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); return true;
    case CM_DENYSUBCLASSING: CMDenySubclassing(Message); return true;
    case WM_GETOBJECT: WMGetObject(Message); return true;
    case WM_COPY: WMCopy(Message); return true;
    case WM_CUT: WMCut(Message); return true;
    case WM_PASTE: WMPaste(Message); return true;
    case CM_DRAG: return CMDrag(Message);
    case TVM_GETITEMW: TVMGetItem(Message); return true;
    case TVM_GETITEMRECT: TVMGetItemRect(Message); return true;
    case TVM_GETNEXTITEM: TVMGetNextItem(Message); return true;
    default: return false;
  }
}

// ---------------------------------------------------------------------------
// Focus and the non-client area

void TBaseLazyTree_qn::FocusOnNonClientPress(const TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
      if (!Focused() && CanFocus()) SetFocus();
      break;
    default: break;
  }
}

void TBaseLazyTree_qn::HandOverFocusToEmbeddedObject() {
  TCustomForm* form = GetParentForm(this);
  if (!form || form->ActiveControl() != this) return;
  DWORD position = GetMessagePos();
  POINT p(GET_X_LPARAM(LPARAM(position)), GET_Y_LPARAM(LPARAM(position)));
  TWinControl* control = FindControl(WindowFromPoint(p));
  if (control && control != this && Supports(control, IOleClientSite::IID)) form->SetActiveControl(nullptr);
}

void TBaseLazyTree_qn::DoEnter() { inherited::DoEnter(); }

// ---------------------------------------------------------------------------
// Window messages

void TBaseLazyTree_qn::WMNCDestroy(TMessage& Message) {
  InterruptValidation();
  StopTimer(ChangeTimer);
  StopTimer(StructureChangeTimer);
  if (!ComponentState().Contains(csDesigning) && FOptions->MiscOptions().Contains(toAcceptOLEDrop) &&
      HandleAllocated()) {
    RevokeDragDrop(Handle());
    FDropTargetRegistered = false;
  }
  // Made again on the next paint that needs it.
  if (FDottedBrush.Handle) DeleteObject(FDottedBrush.Handle);
  FDottedBrush.Handle = nullptr;
  if (FStates.Contains(tsInAnimation)) HintWindowDestroyed = true;
  inherited::Dispatch(Message);
}

void TBaseLazyTree_qn::WMEnable(TMessage& Message) {
  inherited::Dispatch(Message);
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, EnableRedrawFlags);
}

void TBaseLazyTree_qn::CMEnabledChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  // At run time WM_ENABLE does this; the designer does not enable windows.
  if (ComponentState().Contains(csDesigning) && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, EnableRedrawFlags);
}

void TBaseLazyTree_qn::WMContextMenu(TMessage& Message) {
  DoStateChange({}, {tsClearPending, tsEditPending, tsOLEDragPending, tsVCLDragPending});
  // The node's own menu has just been shown; the control's menu would
  // follow it otherwise.
  if (!FStates.Contains(tsPopupMenuShown)) inherited::Dispatch(Message);
}

void TBaseLazyTree_qn::CMBiDiModeChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  FEffectiveOffsetX = UseRightToLeftAlignment() ? FRangeX - ClientWidth() + FOffsetX : -FOffsetX;
  if (FEffectiveOffsetX < 0) FEffectiveOffsetX = 0;
  if (FOptions->AutoOptions().Contains(toAutoBidiColumnOrdering))
    FHeader->Columns()->ReorderColumns(UseRightToLeftAlignment());
  FHeader->Invalidate(nullptr);
}

void TBaseLazyTree_qn::CMDenySubclassing(TMessage& Message) { Message.Result = 1; }

void TBaseLazyTree_qn::ChangeScale(Integer M, Integer D) {
  inherited::ChangeScale(M, D);
  if (M != D && FOptions->AutoOptions().Contains(toAutoChangeScale)) {
    SetDefaultNodeHeight(Cardinal(MulDiv(Integer(FDefaultNodeHeight), M, D)));
    FHeader->ChangeScale(M, D);
  }
}

// ---------------------------------------------------------------------------
// Hint animation

THintAnimationType TBaseLazyTree_qn::DoGetAnimationType() {
  THintAnimationType result = FAnimationType;
  if (result == hatSystemDefault) {
    BOOL animation = FALSE, fade = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
    if (!animation) {
      result = hatNone;
    } else {
      SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
      result = fade ? hatFade : hatSlide;
    }
  }
  // Fading blends every frame; without the blending routines it slides.
  if (result == hatFade && !MMXAvailable) result = hatSlide;
  return result;
}

// ---------------------------------------------------------------------------
// Edit actions

bool TBaseLazyTree_qn::UpdateAction(TBasicAction* Action) {
  auto* action = dynamic_cast<TCustomAction*>(Action);
  if (!action || !Focused()) return inherited::UpdateAction(Action);
  if (dynamic_cast<TEditCut*>(Action) || dynamic_cast<TEditCopy*>(Action)) {
    action->SetEnabled(FSelectionCount > 0 && ClipboardFormatList() && ClipboardFormatList()->Count() > 0);
  } else if (dynamic_cast<TEditDelete*>(Action)) {
    action->SetEnabled(FSelectionCount > 0);
  } else if (dynamic_cast<TEditPaste*>(Action)) {
    action->SetEnabled(true);
  } else if (dynamic_cast<TEditSelectAll*>(Action)) {
    action->SetEnabled(FOptions->SelectionOptions().Contains(toMultiSelect) && FVisibleCount > 0);
  } else {
    return inherited::UpdateAction(Action);
  }
  return true;
}

bool TBaseLazyTree_qn::ExecuteAction(TBasicAction* Action) {
  if (inherited::ExecuteAction(Action)) return true;
  if (dynamic_cast<TEditSelectAll*>(Action)) {
    SelectAll(false);
    return true;
  }
  if (dynamic_cast<TEditCopy*>(Action)) {
    CopyToClipBoard();
    return true;
  }
  // The rest change the tree.
  if (FOptions->MiscOptions().Contains(toReadOnly)) return false;
  if (dynamic_cast<TEditCut*>(Action)) {
    CutToClipBoard();
    return true;
  }
  if (dynamic_cast<TEditPaste*>(Action)) {
    PasteFromClipboard();
    return true;
  }
  if (dynamic_cast<TEditDelete*>(Action)) {
    DeleteSelectedNodes();
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Tree-view queries. Node pointers stand for item handles; every handle
// that arrives is checked against the node pool before it is read.

void TBaseLazyTree_qn::TVMGetItem(TMessage& Message) {
  Message.Result = 0;
  auto* item = reinterpret_cast<TVITEMW*>(Message.LParam);
  if (!item || !(item->mask & TVIF_HANDLE) || !item->hItem || !IsLiveNode(item->hItem)) return;
  auto node = reinterpret_cast<PLazyNode>(item->hItem);
  Message.Result = 1;
  // The host describes a node only once it has initialized it.
  if (!node->States.Contains(vsInitialized)) InitNode(node);
  bool ghosted = false;
  if (item->mask & TVIF_CHILDREN) item->cChildren = int(GetChildCount(node));
  if (item->mask & TVIF_IMAGE) {
    Integer index = -1;
    DoGetImageIndex(node, ikNormal, NoColumn, ghosted, index);
    item->iImage = index;
  }
  if (item->mask & TVIF_SELECTEDIMAGE) {
    Integer index = -1;
    DoGetImageIndex(node, ikSelected, NoColumn, ghosted, index);
    item->iSelectedImage = index;
  }
  if (item->mask & TVIF_STATE) {
    item->stateMask = 0xFF2F;
    UINT state = 0;
    if (node == FFocusedNode) state |= TVIS_FOCUSED;
    if (node->States.Contains(vsSelected)) state |= TVIS_SELECTED;
    if (node->States.Contains(vsCutOrCopy)) state |= TVIS_CUT;
    if (node == FDropTargetNode) state |= TVIS_DROPHILITED;
    if (node->States.Contains(vsExpanded)) state |= TVIS_EXPANDED;
    Integer overlay = -1, stateImage = -1;
    DoGetImageIndex(node, ikOverlay, NoColumn, ghosted, overlay);
    DoGetImageIndex(node, ikState, NoColumn, ghosted, stateImage);
    state |= INDEXTOOVERLAYMASK(ImageField(overlay)) | (ImageField(stateImage) << 12);
    item->state = state;
  }
  if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
    auto font = std::make_unique<TFont>();
    TRect r;
    String text;
    GetTextInfo(node, NoColumn, font.get(), r, text);
    size_t n = std::min(text.size(), size_t(item->cchTextMax - 1));
    std::memcpy(item->pszText, text.data(), n * sizeof(WCHAR));
    item->pszText[n] = 0;
  }
}

void TBaseLazyTree_qn::TVMGetItemRect(TMessage& Message) {
  Message.Result = 0;
  auto* rect = reinterpret_cast<TRect*>(Message.LParam);
  if (!rect) return;
  // The item handle fills the rectangle's first bytes, as wide as a pointer.
  HTREEITEM handle;
  std::memcpy(&handle, rect, sizeof handle);
  if (!handle || !IsLiveNode(handle)) return;
  auto node = reinterpret_cast<PLazyNode>(handle);
  // A node that is not shown has no rectangle to report.
  if (!GetFullyVisible(node) || GetEffectivelyFiltered(node)) return;
  *rect = GetDisplayRect(node, NoColumn, Message.WParam != 0);
  Message.Result = 1;
}

void TBaseLazyTree_qn::TVMGetNextItem(TMessage& Message) {
  Message.Result = 0;
  WPARAM relation = Message.WParam;
  if (relation > TVGN_LASTVISIBLE) return;
  auto node = reinterpret_cast<PLazyNode>(Message.LParam);
  switch (relation) {
    case TVGN_NEXT:
    case TVGN_PREVIOUS:
    case TVGN_PARENT:
    case TVGN_CHILD:
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE:
      if (!node || !IsLiveNode(node)) return;
      break;
    default: break;
  }
  PLazyNode result = nullptr;
  switch (relation) {
    case TVGN_ROOT: result = GetFirst(); break;
    case TVGN_NEXT: result = GetNextSibling(node); break;
    case TVGN_PREVIOUS: result = GetPreviousSibling(node); break;
    case TVGN_PARENT: result = node->Parent == FRoot ? nullptr : node->Parent; break;
    case TVGN_CHILD: result = GetFirstChild(node); break;
    case TVGN_FIRSTVISIBLE: result = GetFirstVisible(); break;
    case TVGN_NEXTVISIBLE: result = GetNextVisible(node); break;
    case TVGN_PREVIOUSVISIBLE: result = GetPreviousVisible(node); break;
    case TVGN_DROPHILITE: result = FDropTargetNode; break;
    case TVGN_CARET: result = FFocusedNode; break;
    case TVGN_LASTVISIBLE: result = GetLastVisible(); break;
    default: break;
  }
  Message.Result = reinterpret_cast<LRESULT>(result);
}

// ---------------------------------------------------------------------------
// Accessibility

void TBaseLazyTree_qn::WMGetObject(TMessage& Message) {
  TVTAccessibilityFactory* factory = GetAccessibilityFactory();
  if (!factory) return;
  // The first call makes the tree's object; with that one set, the second
  // makes the item's.
  if (!FAccessible) FAccessible = factory->CreateIAccessible(this);
  if (!FAccessibleItem) FAccessibleItem = factory->CreateIAccessible(this);
  if (LONG(Message.LParam) == OBJID_CLIENT)
    Message.Result = FAccessible ? LresultFromObject(IID_IAccessible, Message.WParam, FAccessible.get()) : 0;
}

}  // namespace qn
