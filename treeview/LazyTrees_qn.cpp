// Unit set-up, the options object, construction and destruction of the tree,
// the node pool and the tree's small accessors.
#include "treeview/LazyTrees_qn.h"

#include "platform/vcl/ControlMessages.h"
#include "treeview/LazyTrees_qn_Internal.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QN_TREE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QN_TREE_ASAN 1
#endif
#ifdef QN_TREE_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace qn {

namespace {
TCriticalSection* GLock = nullptr;
}  // namespace

TCriticalSection* LazyTreesLock() { return GLock; }

void InitLazyTreeAppearance();
void DoneLazyTreeAppearance();

void InitLazyTrees() {
  InitLazyTreeAppearance();
  // The module's bitmaps and cursors; the set-up itself waits for the
  // first tree.
  RegisterLazyTreeResources();
  if (!GLock) GLock = new TCriticalSection;
}

void DoneLazyTrees() {
  FinalizeGlobalStructures();
  DoneLazyTreeAppearance();
  delete GLock;
  GLock = nullptr;
}

TBaseLazyTree_qn* TreeFromNode(PLazyNode Node) {
  TreeAssert(Node != nullptr, SNodeMustNotBeNil);
  while (Node->NextSibling != Node) Node = Node->Parent;
  return reinterpret_cast<TBaseLazyTree_qn*>(Node->Parent);
}

// ---------------------------------------------------------------------------
// Node pool

TBaseLazyTree_qn::TNodePool::~TNodePool() {
  for (void* s : FSlabs) std::free(s);
}

void* TBaseLazyTree_qn::TNodePool::Allocate(Cardinal Size) {
  // A pool serves one block size; the size is fixed by the first node and
  // only changes once every node has gone (the data size is set before
  // nodes exist, and changing it clears the tree).
  if (FBlockSize != Size) {
    if (FLive != 0) {
      void* p = std::calloc(1, Size);
      if (!p) throw EOutOfMemory(u"Out of memory");
      return p;
    }
    for (void* s : FSlabs) std::free(s);
    FSlabs.clear();
    FFree = nullptr;
    FCursor = FSlabEnd = nullptr;
    FBlockSize = Size;
  }
  void* block;
  if (FFree) {
    block = FFree;
#ifdef QN_TREE_ASAN
    ASAN_UNPOISON_MEMORY_REGION(block, Size);
#endif
    FFree = FFree->Next;
  } else {
    if (FCursor == nullptr || FCursor + Size > FSlabEnd) {
      // Slabs grow with the tree so that big trees pay few allocations
      // and small ones waste little.
      size_t count = SlabBlocks(FSlabs.size());
      auto* slab = static_cast<Byte*>(std::malloc(count * Size));
      if (!slab) throw EOutOfMemory(u"Out of memory");
      FSlabs.push_back(slab);
      FCursor = slab;
      FSlabEnd = slab + count * Size;
#ifdef QN_TREE_ASAN
      ASAN_POISON_MEMORY_REGION(slab, count * Size);
#endif
    }
    block = FCursor;
    FCursor += Size;
#ifdef QN_TREE_ASAN
    ASAN_UNPOISON_MEMORY_REGION(block, Size);
#endif
  }
  std::memset(block, 0, Size);
  ++FLive;
  return block;
}

bool TBaseLazyTree_qn::TNodePool::Contains(const void* Block) const {
  auto p = reinterpret_cast<uintptr_t>(Block);
  if (p == 0 || FBlockSize == 0) return false;
  // Only addresses inside the slabs are ever read; anything else is
  // answered from the comparison alone.
  for (size_t i = 0; i < FSlabs.size(); ++i) {
    auto start = reinterpret_cast<uintptr_t>(FSlabs[i]);
    uintptr_t end = i + 1 == FSlabs.size() ? reinterpret_cast<uintptr_t>(FCursor) : start + SlabBlocks(i) * FBlockSize;
    if (p < start || p >= end) continue;
    if ((p - start) % FBlockSize != 0) return false;
    uintptr_t mark;
    std::memcpy(&mark, static_cast<const Byte*>(Block) + offsetof(TFreeBlock, Mark), sizeof mark);
    return mark != (p ^ FreeMark);
  }
  return false;
}

void TBaseLazyTree_qn::TNodePool::Free(void* Block, Cardinal Size) {
  ++FFreed;
  if (Size != FBlockSize) {
    std::free(Block);
    return;
  }
  auto* f = static_cast<TFreeBlock*>(Block);
  f->Next = FFree;
  f->Mark = reinterpret_cast<uintptr_t>(Block) ^ FreeMark;
  FFree = f;
  --FLive;
#ifdef QN_TREE_ASAN
  // A node used after it was freed shows up as a fault instead of reading
  // whatever the next node stored there.
  ASAN_POISON_MEMORY_REGION(static_cast<Byte*>(Block) + sizeof(TFreeBlock), Size - sizeof(TFreeBlock));
#endif
}

Cardinal TBaseLazyTree_qn::NodeBlockSize() const {
  Cardinal size = TreeNodeSize + FTotalInternalDataSize;
  if (!ComponentState().Contains(csDesigning) && FNodeDataSize > 0) size += Cardinal(FNodeDataSize);
  // Blocks sit back to back in the slabs; a user-data size that is not a
  // multiple of 8 would leave the next node's links misaligned.
  return (size + 7) & ~Cardinal(7);
}

// ---------------------------------------------------------------------------
// Construction and destruction

TBaseLazyTree_qn::TBaseLazyTree_qn(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  // Double clicks toggle, edit and reset node heights.
  style += TControlStyle{csCaptureMouse, csOpaque, csReplicatable, csDisplayDragImage, csReflector, csDoubleClicks};
  style.Exclude(csSetCaption);
  SetControlStyle(style);
  SetBounds(Left(), Top(), 200, 100);
  SetTabStop(true);
  SetParentColor(false);
  SetDoubleBuffered(false);
  FOptions.reset(new TCustomLazyTreeOptions(this));
  FScrollBarOptions.reset(new TScrollBarOptions(this));
  FHeader.reset(new TVTHeader(this));
  FClipboardFormats.reset(new TClipboardFormats(this));
  FDragImage.reset(new TVTDragImage(this));
  for (auto* link : {&FImageChangeLink, &FStateChangeLink, &FCustomCheckChangeLink}) {
    link->reset(new TChangeLink);
    (*link)->OnChange = [this](TObject* Sender) { ImageListChange(Sender); };
  }
  InitializeGlobalStructures();
  FCheckImages = SharedCheckImages(FCheckImageKind);
  AddThreadReference();
  AfterConstruction();
  lazytrees_internal::RememberLiveTree(this);
}

void TBaseLazyTree_qn::AfterConstruction() {
  if (!FRoot) InitRootNode(0);
}

void TBaseLazyTree_qn::BeforeDestruction() {
  // A tree going during its own drag gives the screen back under the
  // picture before anything else goes.
  if (FDragImage) FDragImage->EndDrag();
  // The accessible objects may outlive the tree in a client's hands; they
  // are let go while the tree is still whole.
  FAccessibleItem = nullptr;
  FAccessible = nullptr;
  // Data objects in other hands stop rendering from a tree that is going;
  // our own leaves the clipboard.
  lazytrees_internal::ForgetLiveTree(this);
  try {
    ReleaseClipboardObject();
  } catch (...) {
  }
  // A drag manager others still hold refuses from now on.
  if (FDragManager) FDragManager->DetachOwner();
  FDragManager = nullptr;
  FDragManagerRef = nullptr;
  StopWheelPanning();
  InterruptValidation();
  TVTMiscOptions misc = FOptions->MiscOptions();
  misc.Exclude(toReadOnly);
  FOptions->SetMiscOptions(misc);
  ReleaseThreadReference(this);
  inherited::BeforeDestruction();
  StopTimer(ChangeTimer);
  StopTimer(StructureChangeTimer);
  DoCancelEdit();
  // Nothing may escape destruction; a raising OnFreeNode handler loses the
  // rest of its notifications but not the memory.
  try {
    Clear();
  } catch (...) {
  }
  FTornDown = true;
}

TBaseLazyTree_qn::~TBaseLazyTree_qn() {
  if (FDragImage) FDragImage->EndDrag();
  ReleaseHints();
  lazytrees_internal::ForgetLiveTree(this);
  try {
    ReleaseClipboardObject();
  } catch (...) {
  }
  // A drag manager others still hold refuses from now on.
  if (FDragManager) FDragManager->DetachOwner();
  FDragManager = nullptr;
  FDragManagerRef = nullptr;
  if (!FTornDown) {
    // Objects not deleted through the destroying delete skip
    // BeforeDestruction; the worker must still let go of this tree, and
    // the batches closed below must not report to handlers any more.
    Destroying();
    FAccessibleItem = nullptr;
    FAccessible = nullptr;
    StopWheelPanning();
    InterruptValidation();
    ReleaseThreadReference(this);
    try {
      Clear();
    } catch (...) {
    }
  }
  // Nodes still linked (a handler raised during Clear) are freed without
  // events.
  if (FRoot) {
    std::vector<PLazyNode> stack;
    for (PLazyNode c = FRoot->FirstChild; c; c = c->NextSibling) stack.push_back(c);
    while (!stack.empty()) {
      PLazyNode n = stack.back();
      stack.pop_back();
      for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) stack.push_back(c);
      FreeNodeBlock(n);
    }
    std::free(FRoot);
    FRoot = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Small operations

Pointer TBaseLazyTree_qn::InternalData(PLazyNode) { return nullptr; }
Integer TBaseLazyTree_qn::DoGetNodeWidth(PLazyNode, TColumnIndex, TCanvas*) { return 0; }
Integer TBaseLazyTree_qn::DoGetNodeExtraWidth(PLazyNode, TColumnIndex, TCanvas*) { return 0; }

TRect TBaseLazyTree_qn::GetTreeRect() {
  TRect r = ClientRect();
  return TRect(0, 0, std::max(r.Width(), FRangeX), std::max(r.Height(), FRangeY));
}

void TBaseLazyTree_qn::SetSelectionCurveRadius(Integer Value) {
  if (FSelectionCurveRadius == Value) return;
  FSelectionCurveRadius = Value;
  if (HandleAllocated() && !ComponentState().Contains(csLoading)) Invalidate();
}

void TBaseLazyTree_qn::UpdateDesigner() {
  // Changes the tree makes itself at design time (columns resized or added
  // by its own code) would otherwise not be saved with the form.
  if (!ComponentState().Contains(csDesigning) || ComponentState().Contains(csUpdating)) return;
  TCustomForm* form = GetParentForm(this);
  if (form && form->Designer()) form->Designer()->Modified();
}

bool TBaseLazyTree_qn::CanFocus() {
  bool result = inherited::CanFocus();
  if (result && !ComponentState().Contains(csDesigning)) {
    TCustomForm* form = GetParentForm(this);
    if (form) result = form->CanFocus() && form->Visible();
  }
  return result;
}

void TBaseLazyTree_qn::SetAnimationDuration(Cardinal Value) {
  FAnimationDuration = Value;
  TVTAnimationOptions a = FOptions->AnimationOptions();
  if (Value == 0) a.Exclude(toAnimatedToggle);
  else a.Include(toAnimatedToggle);
  FOptions->SetAnimationOptions(a);
}

void TBaseLazyTree_qn::Dispatch(TMessage& Message) {
  if (AppearanceDispatch(Message) || HeaderAreaDispatch(Message)) return;
  if (TimerDispatch(Message) || PaintDispatch(Message) || ScrollDispatch(Message)) return;
  if (KeyboardDispatch(Message)) return;
  if (MouseDispatch(Message) || MessagesDispatch(Message) || HintsDispatch(Message)) return;
  switch (Message.Msg) {
    case CM_PARENTFONTCHANGED:
      inherited::Dispatch(Message);
      SyncHeaderFont();
      return;
    case WM_CHANGESTATE:
      WMChangeState(Message);
      return;
  }
  inherited::Dispatch(Message);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TLazyTreeOptions)
QN_PUBLISHED_IMPL(qn::TScrollBarOptions)
