// OLE drag and drop: the drag manager that is the tree's drop source and
// drop target, the source side that runs the drag loop, and the target side
// that finds the drop place, suggests an effect, scrolls, expands and hands
// the drop to the application.
//
// Nothing here lets an exception reach the OLE runtime: it only understands
// result codes.
#include "platform/ole/ActiveX.h"
#include "platform/shell/ShellAPI.h"
#include "platform/user/User.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Internal.h"

namespace qn {

// ---------------------------------------------------------------------------
// TVTDragManager

TVTDragManager::TVTDragManager(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {
  void* helper = nullptr;
  if (CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IDropTargetHelper::IID, &helper) ==
          S_OK &&
      helper)
    FDropTargetHelper.Attach(static_cast<IDropTargetHelper*>(helper));
}

TVTDragManager::~TVTDragManager() {
  if (FOwner && FOwner->FDragManager == this) FOwner->FDragManager = nullptr;
}

void TVTDragManager::ForceDragLeave() {
  if (FDropTargetHelper && FFullDragging) FDropTargetHelper->DragLeave();
}

TIntf<IDataObject> TVTDragManager::GetDataObject() {
  if (FDataObject) return FDataObject;
  if (!FOwner) return nullptr;
  TIntf<IDataObject> made = FOwner->DoCreateDataObject();
  if (!made) made = TIntf<IDataObject>(new TVTDataObject(FOwner, false));
  return made;
}

TBaseLazyTree_qn* TVTDragManager::GetDragSource() {
  // Resolved each time through the data object: a source tree that went
  // during the drag is nobody.
  if (!FOwner || !FDataObject) return nullptr;
  return FOwner->GetTreeFromDataObject(FDataObject.get());
}

HRESULT TVTDragManager::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) {
  const bool left = grfKeyState & MK_LBUTTON, right = grfKeyState & MK_RBUTTON;
  if (fEscapePressed || (left && right)) return DRAGDROP_S_CANCEL;
  if (left || right) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT TVTDragManager::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

HRESULT TVTDragManager::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
  if (!pdwEffect) return E_INVALIDARG;
  if (!FOwner) {
    *pdwEffect = DROPEFFECT_NONE;
    return S_OK;
  }
  try {
    FDataObject = TIntf<IDataObject>(pDataObj);
    FIsDropTarget = true;
    BOOL full = TRUE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    FFullDragging = full;
    if (!FFullDragging) LockWindowUpdate(nullptr);
    POINT p{pt.x, pt.y};
    if (FDropTargetHelper && FFullDragging)
      FDropTargetHelper->DragEnter(FOwner->HandleAllocated() ? FOwner->Handle() : nullptr, pDataObj, &p, *pdwEffect);
    FDragSource = FOwner->GetTreeFromDataObject(pDataObj);
    return FOwner->DragEnter(Integer(grfKeyState), TPoint(pt.x, pt.y), *pdwEffect);
  } catch (...) {
    *pdwEffect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TVTDragManager::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
  if (!pdwEffect) return E_INVALIDARG;
  if (!FOwner) {
    *pdwEffect = DROPEFFECT_NONE;
    return S_OK;
  }
  try {
    POINT p{pt.x, pt.y};
    if (FDropTargetHelper && FFullDragging) FDropTargetHelper->DragOver(&p, *pdwEffect);
    return FOwner->DragOver(GetDragSource(), Integer(grfKeyState), dsDragMove, TPoint(pt.x, pt.y), *pdwEffect);
  } catch (...) {
    *pdwEffect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT TVTDragManager::DragLeave() {
  try {
    if (FDropTargetHelper && FFullDragging) FDropTargetHelper->DragLeave();
    if (FOwner) FOwner->DragLeave();
  } catch (...) {
  }
  FDragSource = nullptr;
  FIsDropTarget = false;
  FDataObject = nullptr;
  return S_OK;
}

HRESULT TVTDragManager::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
  if (!pdwEffect) return E_INVALIDARG;
  HRESULT result = S_OK;
  if (!FOwner) {
    *pdwEffect = DROPEFFECT_NONE;
    result = S_OK;
  } else {
    try {
      POINT p{pt.x, pt.y};
      if (FDropTargetHelper && FFullDragging) FDropTargetHelper->Drop(pDataObj, &p, *pdwEffect);
      result = FOwner->DragDrop(pDataObj, Integer(grfKeyState), TPoint(pt.x, pt.y), *pdwEffect);
    } catch (...) {
      *pdwEffect = DROPEFFECT_NONE;
      result = E_UNEXPECTED;
    }
  }
  FDragSource = nullptr;
  FIsDropTarget = false;
  FDataObject = nullptr;
  return result;
}

// ---------------------------------------------------------------------------
// The tree: source side

TVTDragManager* TBaseLazyTree_qn::DragManager() {
  if (!FDragManager) {
    TIntf<IVTDragManager> made = DoCreateDragManager();
    auto* manager = made ? dynamic_cast<TVTDragManager*>(made.get()) : nullptr;
    if (!manager) {
      manager = new TVTDragManager(this);
      made = TIntf<IVTDragManager>(manager);
    }
    FDragManagerRef = made;
    FDragManager = manager;
  }
  return FDragManager;
}

TIntf<IVTDragManager> TBaseLazyTree_qn::DoCreateDragManager() {
  if (!Assigned(OnCreateDragManager)) return nullptr;
  TIntf<IInterface> made;
  OnCreateDragManager(this, made);
  return IntfCast<IVTDragManager>(made);
}

void TBaseLazyTree_qn::DragAndDrop(DWORD AllowedEffects, IDataObject* DataObject, DWORD& DragEffect) {
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = vcl::DoDragDrop(DataObject, static_cast<IDropSource*>(DragManager()), AllowedEffects, &effect);
  DragEffect = hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

void TBaseLazyTree_qn::DragFinished() {
  if (!FStates.Contains(tsOLEDragging) && !FStates.Contains(tsVCLDragPending) && !FStates.Contains(tsVCLDragging) &&
      !FStates.Contains(tsVCLDragFinished))
    return;
  DoStateChange({}, {tsVCLDragPending, tsVCLDragging, tsUserDragObject, tsVCLDragFinished});
  if (!HandleAllocated()) return;
  TPoint p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  const LPARAM pos = LPARAM((p.Y & 0xFFFF) << 16 | (p.X & 0xFFFF));
  const UINT msg = FStates.Contains(tsRightButtonDown)    ? WM_RBUTTONUP
                   : FStates.Contains(tsMiddleButtonDown) ? WM_MBUTTONUP
                                                          : WM_LBUTTONUP;
  SendMessageW(Handle(), msg, 0, pos);
}

// ---------------------------------------------------------------------------
// The tree: target side

namespace {

TShiftState ShiftOf(Integer KeyState, TLazyTreeStates States) {
  TShiftState shift = KeysToShiftState(Word(KeyState));
  if (KeyState & MK_ALT) shift.Include(ssAlt);
  if (States.Contains(tsLeftButtonDown)) shift.Include(ssLeft);
  if (States.Contains(tsMiddleButtonDown)) shift.Include(ssMiddle);
  if (States.Contains(tsRightButtonDown)) shift.Include(ssRight);
  return shift;
}

}  // namespace

bool TBaseLazyTree_qn::IsDropTarget() { return FDragManager && FDragManager->GetIsDropTarget(); }

DWORD TBaseLazyTree_qn::SuggestDropEffect(TObject* Source, TShiftState Shift, TPoint, DWORD AllowedEffects) {
  DWORD result = AllowedEffects;
  auto pick = [&](DWORD e) {
    if (AllowedEffects & e) result = e;
  };
  if (Source == this) pick(DROPEFFECT_MOVE);
  else pick(DROPEFFECT_COPY);
  const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt);
  if (ctrl && shift) pick(DROPEFFECT_LINK);
  else if (ctrl) pick(DROPEFFECT_COPY);
  else if (shift) pick(DROPEFFECT_MOVE);
  else if (alt) pick(DROPEFFECT_LINK);
  return result;
}

TDropMode TBaseLazyTree_qn::DetermineDropMode(TPoint P, THitInfo& HitInfo, const TRect& NodeRect) {
  const bool imageHit =
      HitInfo.HitPositions.Contains(hiOnNormalIcon) || HitInfo.HitPositions.Contains(hiOnStateIcon);
  const bool labelHit = HitInfo.HitPositions.Contains(hiOnItemLabel);
  const bool itemHit = HitInfo.HitPositions.Contains(hiOnItem) &&
                       (FOptions->MiscOptions().Contains(toFullRowDrag) ||
                        FOptions->SelectionOptions().Contains(toFullRowSelect));
  if (FOptions->MiscOptions().Contains(toReportMode) && !itemHit &&
      !((labelHit || imageHit) && HitInfo.HitColumn == HeaderMainColumn()))
    HitInfo.HitNode = nullptr;
  if (!HitInfo.HitNode) return dmNowhere;
  if (labelHit || imageHit || !FOptions->PaintOptions().Contains(toShowDropmark)) return dmOnNode;
  const Integer mid = (NodeRect.Top + NodeRect.Bottom) / 2;
  return P.Y < mid ? dmAbove : dmBelow;
}

bool TBaseLazyTree_qn::DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt, TDropMode Mode,
                                  DWORD& Effect) {
  bool accept = false;
  if (Assigned(OnDragOver)) OnDragOver(this, Source, Shift, State, Pt, Mode, Effect, accept);
  return accept;
}

void TBaseLazyTree_qn::DoDragDrop(TObject* Source, IDataObject* DataObject, const TFormatArray& Formats,
                                  TShiftState Shift, TPoint Pt, DWORD& Effect, TDropMode Mode) {
  if (Assigned(OnDragDrop)) OnDragDrop(this, Source, DataObject, Formats, Shift, Pt, Effect, Mode);
}

HRESULT TBaseLazyTree_qn::DragEnter(Integer KeyState, TPoint Pt, DWORD& Effect) {
  try {
    FDragScrollStart = 0;
    TShiftState shift = ShiftOf(KeyState, FStates);
    TPoint client = HandleAllocated() ? ScreenToClient(Pt) : Pt;
    TBaseLazyTree_qn* source = FDragManager ? FDragManager->GetDragSource() : nullptr;
    Effect = SuggestDropEffect(source, shift, client, Effect);
    if (!DoDragOver(source, shift, dsDragEnter, client, FLastDropMode, Effect)) {
      Effect = DROPEFFECT_NONE;
    } else {
      THitInfo hit;
      GetHitTestInfoAt(client.X, client.Y, true, hit);
      if (hit.HitNode) {
        FDropTargetNode = hit.HitNode;
        // Painted now, in a focused column: the moves that follow repaint
        // only on a change.
        if (FFocusedColumn <= NoColumn) FFocusedColumn = HeaderMainColumn();
        InvalidateNode(FDropTargetNode);
        // Entering right over a parent waits for its expansion as moving
        // onto it would.
        StopTimer(ExpandTimer);
        if (FOptions->AutoOptions().Contains(toAutoDropExpand) && FDropTargetNode->States.Contains(vsHasChildren) &&
            HandleAllocated())
          SetTimer(Handle(), ExpandTimer, FAutoExpandDelay, nullptr);
        TRect r = GetDisplayRect(hit.HitNode, HeaderMainColumn(), false);
        const bool full = FOptions->MiscOptions().Contains(toFullRowDrag) ||
                          FOptions->SelectionOptions().Contains(toFullRowSelect);
        if (hit.HitPositions.Contains(hiOnItemLabel) || (hit.HitPositions.Contains(hiOnItem) && full))
          FLastDropMode = dmOnNode;
        else
          FLastDropMode = client.Y < (r.Top + r.Bottom) / 2 ? dmAbove : dmBelow;
      } else {
        FLastDropMode = dmNowhere;
      }
    }
    // The source's picture shows over this tree from where the pointer is.
    if (TBaseLazyTree_qn* tree = DragImageSource(source)) {
      tree->FDragImage->DragTo(Pt, false);
      tree->FDragImage->ShowDragImage();
    }
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT TBaseLazyTree_qn::DragOver(TObject* Source, Integer KeyState, TDragState DragState, TPoint Pt,
                                   DWORD& Effect) {
  try {
    // With the source's picture drawn here, the window never scrolls under
    // it: everything is repainted around the picture instead.
    TBaseLazyTree_qn* tree = DragImageSource(Source);
    TPoint client = HandleAllocated() ? ScreenToClient(Pt) : Pt;
    bool scrolled = false;
    FScrollDirections = DetermineScrollDirections(client.X, client.Y);
    if (!FScrollDirections.Empty()) {
      Integer dx = 0, dy = 0;
      const Integer vInc = Integer(FDefaultNodeHeight), hInc = Integer(FIndent);
      if (FScrollDirections.Contains(TScrollDirection::sdUp) && FOffsetY != 0) dy = std::min(vInc, ClientHeight());
      if (FScrollDirections.Contains(TScrollDirection::sdDown) && ClientHeight() - FOffsetY != Integer(FRangeY))
        dy = -std::min(vInc, ClientHeight());
      if (FScrollDirections.Contains(TScrollDirection::sdLeft) && FEffectiveOffsetX != 0) dx = hInc;
      if (FScrollDirections.Contains(TScrollDirection::sdRight) && ClientWidth() + FEffectiveOffsetX != Integer(FRangeX)) dx = -hInc;
      if (dx != 0 || dy != 0)
        scrolled = DoSetOffsetXY(TPoint(FOffsetX + dx, FOffsetY + dy),
                                 tree ? TScrollUpdateOptions{suoUpdateNCArea}
                                      : TScrollUpdateOptions{suoRepaintHeader, suoRepaintScrollbars,
                                                             suoScrollClientArea, suoUpdateNCArea});
    }
    TShiftState shift = ShiftOf(KeyState, FStates);
    THitInfo hit;
    GetHitTestInfoAt(client.X, client.Y, true, hit);
    TRect r = hit.HitNode ? GetDisplayRect(hit.HitNode, NoColumn, false) : TRect();
    TDropMode mode = DetermineDropMode(client, hit, r);
    const bool willMove = tree && tree->FDragImage->WillMove(Pt);
    if (hit.HitNode != FDropTargetNode || mode != FLastDropMode) {
      FLastDropMode = mode;
      if (hit.HitNode != FDropTargetNode) {
        StopTimer(ExpandTimer);
        TRect both = r;
        if (FDropTargetNode && tree) UnionRect(both, both, GetDisplayRect(FDropTargetNode, NoColumn, false));
        if (FDropTargetNode && !tree) InvalidateNode(FDropTargetNode);
        FDropTargetNode = hit.HitNode;
        if (FFocusedColumn <= NoColumn) FFocusedColumn = HeaderMainColumn();
        if (tree) UpdateWindowAndDragImage(tree, scrolled ? ClientRect() : both, scrolled, !willMove);
        else if (FDropTargetNode) InvalidateNode(FDropTargetNode);
        if (FDropTargetNode && FOptions->AutoOptions().Contains(toAutoDropExpand) &&
            FDropTargetNode->States.Contains(vsHasChildren) && HandleAllocated())
          SetTimer(Handle(), ExpandTimer, FAutoExpandDelay, nullptr);
      } else if (tree) {
        UpdateWindowAndDragImage(tree, scrolled ? ClientRect() : r, scrolled, !willMove);
      } else if (FDropTargetNode) {
        InvalidateNode(FDropTargetNode);
      }
    } else if (scrolled && tree) {
      UpdateWindowAndDragImage(tree, ClientRect(), true, !willMove);
    }
    if (HandleAllocated()) UpdateWindow(Handle());
    if (willMove) MoveDragImageOver(tree, Pt);
    Effect = SuggestDropEffect(Source, shift, client, Effect);
    if (!DoDragOver(Source, shift, DragState, client, FLastDropMode, Effect)) Effect = DROPEFFECT_NONE;
    if (scrolled) Effect |= DROPEFFECT_SCROLL;
    return S_OK;
  } catch (...) {
    Effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

void TBaseLazyTree_qn::DragLeave() {
  StopTimer(ExpandTimer);
  HideDragImageOver(DragImageSource(FDragManager ? FDragManager->GetDragSource() : nullptr));
  if (FDropTargetNode) InvalidateNode(FDropTargetNode);
  FDropTargetNode = nullptr;
  if (HandleAllocated()) UpdateWindow(Handle());
  DWORD effect = 0;
  DoDragOver(nullptr, {}, dsDragLeave, TPoint(0, 0), FLastDropMode, effect);
}

HRESULT TBaseLazyTree_qn::DragDrop(IDataObject* DataObject, Integer KeyState, TPoint Pt, DWORD& Effect) {
  StopTimer(ExpandTimer);
  StopTimer(ScrollTimer);
  DoStateChange({}, {tsScrollPending, tsScrolling});
  TBaseLazyTree_qn* source = GetTreeFromDataObject(DataObject);
  HRESULT result = DragOver(source, KeyState, dsDragMove, Pt, Effect);
  // The tree may change with the drop: the picture goes first, giving back
  // the screen as it was under it.
  HideDragImageOver(DragImageSource(source));
  if (result != S_OK || (Effect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE) {
    result = E_FAIL;
  } else {
    try {
      TShiftState shift = ShiftOf(KeyState, FStates);
      TPoint client = HandleAllocated() ? ScreenToClient(Pt) : Pt;
      TFormatArray formats;
      IEnumFORMATETC* raw = nullptr;
      if (DataObject && DataObject->EnumFormatEtc(DATADIR_GET, &raw) == S_OK && raw) {
        TIntf<IEnumFORMATETC> e;
        e.Attach(raw);
        if (e->Reset() == S_OK) {
          FORMATETC f;
          ULONG got = 0;
          // A lying enumerator is not followed for ever.
          while (formats.size() < 4096 && e->Next(1, &f, &got) == S_OK && got == 1) formats.push_back(f.cfFormat);
        }
      }
      Effect &= ~DROPEFFECT_SCROLL;
      DoDragDrop(source, DataObject, formats, shift, client, Effect, FLastDropMode);
    } catch (...) {
      try {
        if (Application) Application->HandleException(this);
      } catch (...) {
      }
      result = E_UNEXPECTED;
    }
  }
  if (FDropTargetNode) InvalidateNode(FDropTargetNode);
  FDropTargetNode = nullptr;
  return result;
}

// ---------------------------------------------------------------------------
// The class library's dragging

bool TBaseLazyTree_qn::CMDrag(TMessage& Message) {
  TCMDrag m(Message);
  TDragRec* rec = m.DragRec();
  if (!rec || !rec->Source || rec->Docking || dynamic_cast<TDragDockObject*>(rec->Source)) return false;
  TObject* source = rec->Source;
  // A control's drag object stands for the control, unless the application
  // made its own object for a drag of ours.
  if (!FStates.Contains(tsUserDragObject))
    if (auto* control = dynamic_cast<TBaseDragControlObject*>(rec->Source); control && control->Control())
      source = control->Control();
  const Integer keyState =
      (GetKeyState(VK_SHIFT) < 0 ? Integer(MK_SHIFT) : 0) | (GetKeyState(VK_CONTROL) < 0 ? Integer(MK_CONTROL) : 0);
  const TPoint client = HandleAllocated() ? ScreenToClient(rec->Pos) : rec->Pos;
  switch (m.DragMessage()) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      TDragState state = dsDragMove;
      if (m.DragMessage() == dmDragEnter) {
        DoStateChange({tsVCLDragging});
        state = dsDragEnter;
      } else if (m.DragMessage() == dmDragLeave) {
        DoStateChange({tsVCLDragFinished}, {tsVCLDragging});
        state = dsDragLeave;
      } else {
        DoAutoScroll(client.X, client.Y);
      }
      DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
      DragOver(source, keyState, state, rec->Pos, effect);
      effect &= ~DROPEFFECT_SCROLL;
      FLastVCLDragTarget = FDropTargetNode;
      FVCLDragEffect = effect;
      if (state == dsDragLeave) {
        if (FDropTargetNode) InvalidateNode(FDropTargetNode);
        FDropTargetNode = nullptr;
      }
      m.Result() = LRESULT(effect);
      return true;
    }
    case dmDragDrop: {
      TShiftState shift = ShiftOf(keyState, FStates);
      if (FDropTargetNode) InvalidateNode(FDropTargetNode);
      FDropTargetNode = FLastVCLDragTarget;
      try {
        DWORD effect = FVCLDragEffect;
        DoDragDrop(source, nullptr, TFormatArray(), shift, client, effect, FLastDropMode);
        FVCLDragEffect = effect;
      } catch (...) {
        if (FDropTargetNode) InvalidateNode(FDropTargetNode);
        FDropTargetNode = nullptr;
        throw;
      }
      if (FDropTargetNode) InvalidateNode(FDropTargetNode);
      FDropTargetNode = nullptr;
      return true;
    }
    case dmFindTarget: {
      TControl* found = ControlAtPos(client, false);
      m.Result() = reinterpret_cast<LRESULT>(found ? found : static_cast<TControl*>(this));
      if (FStates.Contains(tsVCLDragPending))
        DoStateChange({tsVCLDragging}, {tsVCLDragPending, tsEditPending, tsClearPending});
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qn
