// The options object and its side effects on the tree, the scroll-bar
// options, window creation as the options shape it, and the tree's
// component persistence (loading, old option sets, notifications,
// assignment between trees).
#include <algorithm>

#include "platform/classes/Streaming.h"
#include "platform/rtl/Kernel.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Themes.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

bool IsWinVistaOrAbove() { return Win32MajorVersion() >= 6; }

// ---------------------------------------------------------------------------
// Options

TCustomLazyTreeOptions::TCustomLazyTreeOptions(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {}

TCustomLazyTreeOptions::TCustomLazyTreeOptions(TObject* AOwner)
    : TCustomLazyTreeOptions(dynamic_cast<TBaseLazyTree_qn*>(AOwner)) {
  TreeAssert(FOwner != nullptr, STreeMustNotBeNil);
}

TPersistent* TCustomLazyTreeOptions::GetOwner() { return FOwner; }

void TCustomLazyTreeOptions::SetPaintOptions(TVTPaintOptions Value) {
  if (Value == FPaintOptions) return;
  TBaseLazyTree_qn* t = FOwner;
  // The worker reads the paint options on every node it passes.
  t->InterruptValidation();
  TVTPaintOptions old = FPaintOptions;
  if (Value.Contains(toFixedIndent)) Value.Include(toShowRoot);
  FPaintOptions = Value;
  TVTPaintOptions set = Value - old, cleared = old - Value;
  bool loading = t->ComponentState().Contains(csLoading);

  if ((set + cleared).Contains(toShowFilteredNodes) && !loading) {
    bool show = Value.Contains(toShowFilteredNodes);
    bool batch = t->HandleAllocated();
    if (batch) t->BeginUpdate();
    t->InterruptValidation();
    for (PLazyNode n = t->GetFirstNoInit(false); n; n = t->GetNextNoInit(n, false)) {
      if (!n->States.Contains(vsFiltered)) continue;
      if (t->GetFullyVisible(n)) t->FVisibleCount += show ? 1 : Cardinal(-1);
      t->AdjustTotalHeight(n, show ? Integer(n->NodeHeight) : -Integer(n->NodeHeight), true);
    }
    // Which children count as shown has changed with the option.
    if (t->FUpdateCount > 0) t->DoStateChange({tsUpdateHiddenChildrenNeeded});
    else t->DetermineHiddenChildrenFlagAllNodes();
    t->InvalidateCache();
    if (batch) t->EndUpdate();
    else if (t->FUpdateCount == 0) t->ValidateCache();
  }

  if (t->HandleAllocated()) {
    bool themed = t->FStates.Contains(tsUseThemes) ||
                  (set.Contains(toThemeAware) && ThemeServices()->Enabled());
    if (IsWinVistaOrAbove() && themed && (set + cleared).Contains(toUseExplorerTheme)) {
      if (set.Contains(toUseExplorerTheme)) {
        t->SetWindowTheme(u"explorer");
        t->DoStateChange({tsUseExplorerTheme});
      } else {
        t->SetWindowTheme(String());
        t->DoStateChange({}, {tsUseExplorerTheme});
      }
    }
  }

  if (!loading && ((set + cleared).Contains(toThemeAware) || (set + cleared).Contains(toUseExplorerTheme))) {
    if (set.Contains(toThemeAware) && ThemeServices()->Enabled()) t->DoStateChange({tsUseThemes});
    else if (cleared.Contains(toThemeAware)) t->DoStateChange({}, {tsUseThemes});
    t->PrepareBitmaps(true, false);
    if (t->HandleAllocated()) RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_VALIDATE | RDW_FRAME);
  }

  if ((set + cleared).Contains(toChildrenAbove)) {
    t->InvalidateCache();
    if (t->FUpdateCount == 0) t->ValidateCache();
    if (t->HandleAllocated()) t->Invalidate();
  }
}

void TCustomLazyTreeOptions::SetAnimationOptions(TVTAnimationOptions Value) { FAnimationOptions = Value; }

void TCustomLazyTreeOptions::SetAutoOptions(TVTAutoOptions Value) {
  if (Value == FAutoOptions) return;
  bool span = Value.Contains(toAutoSpanColumns) != FAutoOptions.Contains(toAutoSpanColumns);
  FAutoOptions = Value;
  if (span && !FOwner->ComponentState().Contains(csLoading) && FOwner->HandleAllocated()) FOwner->Invalidate();
}

void TCustomLazyTreeOptions::SetSelectionOptions(TVTSelectionOptions Value) {
  if (Value == FSelectionOptions) return;
  TBaseLazyTree_qn* t = FOwner;
  TVTSelectionOptions old = FSelectionOptions;
  FSelectionOptions = Value;
  TVTSelectionOptions set = Value - old, cleared = old - Value;
  if ((set + cleared).Contains(toMultiSelect) || set.Contains(toLevelSelectConstraint) ||
      set.Contains(toSiblingSelectConstraint))
    t->ClearSelection();
  if (!Value.Contains(toExtendedFocus)) {
    // Without extended focus only the main column takes the focus.
    TColumnIndex main = t->HeaderMainColumn();
    if (cleared.Contains(toExtendedFocus) && t->FFocusedColumn > 0 && t->HandleAllocated()) {
      t->FFocusedColumn = main;
      t->Invalidate();
    }
    t->FFocusedColumn = main;
  }
}

void TCustomLazyTreeOptions::SetMiscOptions(TVTMiscOptions Value) {
  if (Value == FMiscOptions) return;
  TBaseLazyTree_qn* t = FOwner;
  TVTMiscOptions old = FMiscOptions;
  FMiscOptions = Value;
  TVTMiscOptions set = Value - old, cleared = old - Value;
  if (t->ComponentState().Contains(csLoading) || !t->HandleAllocated()) return;
  if ((set + cleared).Contains(toCheckSupport)) t->Invalidate();
  if (t->ComponentState().Contains(csDesigning)) return;
  if ((set + cleared).Contains(toFullRepaintOnResize)) t->RecreateWnd();
  if (set.Contains(toAcceptOLEDrop)) t->RegisterDropTarget(true);
  else if (cleared.Contains(toAcceptOLEDrop)) t->RegisterDropTarget(false);
}

void TCustomLazyTreeOptions::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TCustomLazyTreeOptions*>(Dest)) {
    // Through the setters, so the destination's tree sees every change.
    d->SetPaintOptions(FPaintOptions);
    d->SetAnimationOptions(FAnimationOptions);
    d->SetAutoOptions(FAutoOptions);
    d->SetSelectionOptions(FSelectionOptions);
    d->SetMiscOptions(FMiscOptions);
    return;
  }
  inherited::AssignTo(Dest);
}

// ---------------------------------------------------------------------------
// Scroll-bar options

TScrollBarOptions::TScrollBarOptions(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {}

TScrollBarOptions::TScrollBarOptions(TObject* AOwner)
    : TScrollBarOptions(dynamic_cast<TBaseLazyTree_qn*>(AOwner)) {
  TreeAssert(FOwner != nullptr, STreeMustNotBeNil);
}

TPersistent* TScrollBarOptions::GetOwner() { return FOwner; }

void TScrollBarOptions::RecreateOwnerWindow() {
  if (FOwner->HandleAllocated() && !FOwner->ComponentState().Contains(csLoading)) FOwner->RecreateWnd();
}

void TScrollBarOptions::SetAlwaysVisible(bool Value) {
  if (FAlwaysVisible == Value) return;
  FAlwaysVisible = Value;
  RecreateOwnerWindow();
}

void TScrollBarOptions::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateOwnerWindow();
}

void TScrollBarOptions::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TScrollBarOptions*>(Source)) {
    SetAlwaysVisible(s->FAlwaysVisible);
    SetScrollBars(s->FScrollBars);
    SetScrollBarStyle(s->FScrollBarStyle);
    FIncrementX = s->FIncrementX;
    FIncrementY = s->FIncrementY;
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------------------
// The tree's options and image lists

TCustomLazyTreeOptions* TBaseLazyTree_qn::TreeOptions() const {
  TClass want = GetOptionsClass();
  if (FOptions->ClassType() != want && want->InheritsFrom(TCustomLazyTreeOptions::StaticClass()) &&
      want->CanCreate()) {
    auto* self = const_cast<TBaseLazyTree_qn*>(this);
    std::unique_ptr<TCustomLazyTreeOptions> fresh(
        static_cast<TCustomLazyTreeOptions*>(want->Create(static_cast<TObject*>(self))));
    TCustomLazyTreeOptions* cur = FOptions.get();
    // The same sets carry over as they are: nothing changes for the tree.
    fresh->FPaintOptions = cur->FPaintOptions;
    fresh->FAnimationOptions = cur->FAnimationOptions;
    fresh->FAutoOptions = cur->FAutoOptions;
    fresh->FSelectionOptions = cur->FSelectionOptions;
    fresh->FMiscOptions = cur->FMiscOptions;
    fresh->FExportMode = cur->FExportMode;
    fresh->TakeOwnOptions(cur);
    self->InterruptValidation();
    FOptions = std::move(fresh);
  }
  return FOptions.get();
}

TTreeOptionsClass TBaseLazyTree_qn::GetOptionsClass() const { return TCustomLazyTreeOptions::StaticClass(); }

void TBaseLazyTree_qn::SetOptions(TCustomLazyTreeOptions* Value) { TreeOptions()->Assign(Value); }

void TBaseLazyTree_qn::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated() && !ComponentState().Contains(csLoading)) RecreateWnd();
}

namespace {
// Moves one image-list reference: the change link and the free notification
// follow the list.
void SwapImageList(TBaseLazyTree_qn* Tree, TCustomImageList*& Field, TCustomImageList* Value, TChangeLink* Link) {
  // A list being destroyed has already dropped its links (Sender is nil).
  if (Link->Sender()) Link->Sender()->UnRegisterChanges(Link);
  if (Field) Field->RemoveFreeNotification(Tree);
  Field = Value;
  if (Value) {
    Value->RegisterChanges(Link);
    Value->FreeNotification(Tree);
  }
}
}  // namespace

void TBaseLazyTree_qn::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  SwapImageList(this, FImages, Value, FImageChangeLink.get());
  if (HandleAllocated() && !ComponentState().Contains(csLoading)) Invalidate();
}

void TBaseLazyTree_qn::SetStateImages(TCustomImageList* Value) {
  if (FStateImages == Value) return;
  SwapImageList(this, FStateImages, Value, FStateChangeLink.get());
  if (HandleAllocated() && !ComponentState().Contains(csLoading)) Invalidate();
}

void TBaseLazyTree_qn::SetCustomCheckImages(TCustomImageList* Value) {
  if (FCustomCheckImages == Value) return;
  // A list that goes must not stay the active check set.
  if (FCheckImages == FCustomCheckImages) FCheckImages = nullptr;
  SwapImageList(this, FCustomCheckImages, Value, FCustomCheckChangeLink.get());
  if (FCheckImageKind == ckCustom) FCheckImages = Value;
  else FCheckImages = GetCheckImageListFor(FCheckImageKind);
  if (HandleAllocated() && !ComponentState().Contains(csLoading)) Invalidate();
}

void TBaseLazyTree_qn::ImageListChange(TObject*) {
  if (HandleAllocated() && !ComponentState().Contains(csDestroying)) Invalidate();
}

void TBaseLazyTree_qn::RegisterDropTarget(bool Register) {
  if (!HandleAllocated()) {
    FDropTargetRegistered = Register;
    return;
  }
  if (Register) {
    if (!FDropTargetRegistered)
      FDropTargetRegistered = vcl::RegisterDragDrop(Handle(), static_cast<IDropTarget*>(DragManager())) == S_OK;
  } else {
    if (FDropTargetRegistered) vcl::RevokeDragDrop(Handle());
    FDropTargetRegistered = false;
  }
}

// ---------------------------------------------------------------------------
// Window creation

void TBaseLazyTree_qn::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (FScrollBarOptions->ScrollBars()) {
    case TScrollStyle::ssNone: break;
    case TScrollStyle::ssHorizontal: Params.Style |= WS_HSCROLL; break;
    case TScrollStyle::ssVertical: Params.Style |= WS_VSCROLL; break;
    case TScrollStyle::ssBoth: Params.Style |= WS_HSCROLL | WS_VSCROLL; break;
  }
  if (FOptions->MiscOptions().Contains(toFullRepaintOnResize)) {
    Params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
  } else {
    Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
    // A window class is registered once with its styles; trees that keep
    // their contents on resizing use a class of their own, so switching
    // the option really changes the class of the new window.
    Params.WinClassName += u"NoFullRepaint";
  }
  if (FBorderStyle != bsSingle) {
    Params.Style &= ~DWORD(WS_BORDER);
  } else if (Ctl3D()) {
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  } else {
    Params.Style |= WS_BORDER;
  }
  if (UseRightToLeftReading()) Params.ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment()) Params.ExStyle |= WS_EX_RIGHT;
}

void TBaseLazyTree_qn::CreateWnd() {
  DoStateChange({tsWindowCreating});
  try {
    inherited::CreateWnd();
  } catch (...) {
    DoStateChange({}, {tsWindowCreating});
    throw;
  }
  DoStateChange({}, {tsWindowCreating});
  if (ThemeServices()->Enabled() && FOptions->PaintOptions().Contains(toThemeAware)) {
    DoStateChange({tsUseThemes});
    if (FOptions->PaintOptions().Contains(toUseExplorerTheme) && IsWinVistaOrAbove()) {
      DoStateChange({tsUseExplorerTheme});
      SetWindowTheme(u"explorer");
    } else {
      DoStateChange({}, {tsUseExplorerTheme});
    }
  } else {
    DoStateChange({}, {tsUseThemes, tsUseExplorerTheme});
  }
  HeaderWindowCreated();
  PrepareBitmaps(true, true);
  if (FOptions->MiscOptions().Contains(toAcceptOLEDrop) && !ComponentState().Contains(csDesigning))
    RegisterDropTarget(true);
  UpdateScrollBars(true);
}

// ---------------------------------------------------------------------------
// Persistence

void TBaseLazyTree_qn::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  // Forms of older versions stored a single option set under this name; it
  // is read and never written.
  Filer->DefineProperty(
      u"Options", [this](TReader* Reader) { ReadOldOptions(Reader); }, TWriterProc(), false);
  // The columns are written unless an ancestor form holds equal ones.
  bool columns = FHeader->CanWriteColumns();
  if (columns && Filer->Ancestor()) {
    if (auto* ancestor = dynamic_cast<TBaseLazyTree_qn*>(Filer->Ancestor()))
      columns = !FHeader->Columns()->Equals(ancestor->FHeader->Columns());
  }
  Filer->DefineProperty(
      u"Columns", [this](TReader* Reader) { FHeader->ReadColumns(Reader); },
      [this](TWriter* Writer) { FHeader->WriteColumns(Writer); }, columns);
}

namespace {
template <class E>
bool AddOptionByName(const String& Name, TSet<E>& Set) {
  E e;
  if (!TryEnumValue<E>(Name, e)) return false;
  Set.Include(e);
  return true;
}
}  // namespace

void TBaseLazyTree_qn::ReadOldOptions(TReader* Reader) {
  UpdateDesigner();
  // Anything but a set is read past, so the reader stays in step with the
  // rest of the form and nothing changes.
  if (Reader->NextValue() != vaSet) {
    Reader->SkipValue();
    return;
  }
  TCustomLazyTreeOptions* o = TreeOptions();
  TVTPaintOptions paint;
  TVTAnimationOptions animation;
  TVTAutoOptions autoOptions;
  TVTSelectionOptions selection;
  TVTMiscOptions misc;
  o->SetMiscOptions(misc);
  o->SetAnimationOptions(animation);
  o->SetAutoOptions(autoOptions);
  o->SetSelectionOptions(selection);
  o->SetPaintOptions(paint);
  for (const String& name : Reader->ReadSetNames()) {
    TOldVTOption old;
    if (!TryEnumValue<TOldVTOption>(name, old)) continue;
    String current = u"to" + EnumName(old).substr(2);
    if (AddOptionByName(current, misc)) o->SetMiscOptions(misc);
    else if (AddOptionByName(current, animation)) o->SetAnimationOptions(animation);
    else if (AddOptionByName(current, autoOptions)) o->SetAutoOptions(autoOptions);
    else if (AddOptionByName(current, selection)) o->SetSelectionOptions(selection);
    else if (AddOptionByName(current, paint)) o->SetPaintOptions(paint);
  }
}

void TBaseLazyTree_qn::Loaded() {
  inherited::Loaded();
  // The header's fix-ups: the main column in range, the positions read with
  // the columns turned into the position array, the bidi order, the scale
  // and the auto-size column.
  FHeader->UpdateMainColumn();
  FHeader->Columns()->FixPositions();
  if (FOptions->AutoOptions().Contains(toAutoBidiColumnOrdering))
    FHeader->Columns()->ReorderColumns(UseRightToLeftAlignment());
  FHeader->RescaleHeader();
  if (FHeader->Options().Contains(hoAutoResize)) FHeader->Columns()->AdjustAutoSize(InvalidColumn, true);
  if (!FStates.Contains(tsNeedRootCountUpdate)) return;
  DoStateChange({}, {tsNeedRootCountUpdate});
  Cardinal count = FRoot->ChildCount;
  if (count == 0) return;
  // The stored count becomes nodes even in a read-only tree: the form
  // describes the tree as it is to be.
  TVTMiscOptions misc = FOptions->MiscOptions();
  bool readOnly = misc.Contains(toReadOnly);
  if (readOnly) FOptions->FMiscOptions.Exclude(toReadOnly);
  try {
    FRoot->ChildCount = 0;
    SetChildCount(FRoot, count);
  } catch (...) {
    if (readOnly) FOptions->FMiscOptions.Include(toReadOnly);
    throw;
  }
  if (readOnly) FOptions->FMiscOptions.Include(toReadOnly);
}

void TBaseLazyTree_qn::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent != this) {
    bool repaint = !ComponentState().Contains(csDestroying);
    if (AComponent == FImages) {
      SetImages(nullptr);
      if (repaint) Invalidate();
    }
    if (AComponent == FStateImages) {
      SetStateImages(nullptr);
      if (repaint) Invalidate();
    }
    if (AComponent == FCustomCheckImages) {
      SetCustomCheckImages(nullptr);
      SetCheckImageKind(ckSystemDefault);
      if (repaint) Invalidate();
    }
    if (AComponent == FHeader->Images()) FHeader->SetImages(nullptr);
    if (AComponent == FHeader->PopupMenu()) FHeader->SetPopupMenu(nullptr);
    // The tree's pop-up menu is dropped by the control's own notification.
  }
  inherited::Notification(AComponent, Operation);
}

void TBaseLazyTree_qn::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBaseLazyTree_qn*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  if (FOptions->MiscOptions().Contains(toReadOnly)) return;
  // The control's common properties.
  SetAlign(s->Align());
  SetAnchors(s->Anchors());
  SetBevelEdges(s->BevelEdges());
  SetBevelInner(s->BevelInner());
  SetBevelKind(s->BevelKind());
  SetBevelOuter(s->BevelOuter());
  SetBevelWidth(s->BevelWidth());
  SetBorderStyle(s->BorderStyle());
  SetBorderWidth(s->BorderWidth());
  SetColor(s->Color());
  SetCtl3D(s->Ctl3D());
  SetFont(s->Font());
  SetDragCursor(s->DragCursor());
  SetDragKind(s->DragKind());
  SetDragMode(s->DragMode());
  SetHint(s->Hint());
  SetShowHint(s->ShowHint());
  SetParentShowHint(s->ParentShowHint());
  SetPopupMenu(s->PopupMenu());
  SetTabOrder(s->TabOrder());
  SetTabStop(s->TabStop());
  TControl::SetVisible(s->Visible());
  // The tree's own.
  SetChangeDelay(s->ChangeDelay());
  SetCheckImageKind(s->CheckImageKind());
  SetCustomCheckImages(s->CustomCheckImages());
  SetDefaultNodeHeight(s->DefaultNodeHeight());
  SetImages(s->Images());
  SetStateImages(s->StateImages());
  SetSelectionCurveRadius(s->SelectionCurveRadius());
  SetScrollBarOptions(s->ScrollBarOptions());
  SetHeader(s->Header());
  SetMargin(s->Margin());
  SetOptions(s->TreeOptions());
  FIndent = s->FIndent;
  // Nodes are not copied: the tree gets as many fresh, uninitialized root
  // nodes as the source has, whatever it held before.
  Clear();
  SetNodeDataSize(s->NodeDataSize());
  SetRootNodeCount(s->RootNodeCount());
}

}  // namespace qn
