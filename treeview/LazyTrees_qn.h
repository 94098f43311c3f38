// The lazy tree: a tree, list and grid control that holds no data of its
// own. It allocates node records (each followed by internal data areas of
// the tree classes and a user-data area whose size the host picks) and asks
// the host through events for whatever a node shows the first time it is
// needed. TBaseLazyTree_qn holds the node model, the structure operations,
// batching and change notification, expanding and collapsing, the walks
// over the nodes and the position cache that one process-wide worker thread
// rebuilds for large trees.
//
// The class is large, so its source is split by topic:
//   LazyTrees_qn.cpp             unit set-up, options, construction, small accessors
//   LazyTrees_qn_Nodes.cpp       allocation, initialization, structure, totals
//   LazyTrees_qn_Batches.cpp     batches, change events, tree states, long operations
//   LazyTrees_qn_Toggle.cpp      expand, collapse, full expand and collapse
//   LazyTrees_qn_Navigation.cpp  walks, subtree iteration, enumerations
//   LazyTrees_qn_Cache.cpp       position cache and the validation worker
//   LazyTrees_qn_Appearance.cpp  colours, background, themes, frame, blending
//   LazyTrees_qn_Decorations.cpp tree lines, buttons, check image indices
//   LazyTrees_qn_Scroll.cpp      offsets, ranges, scroll bars, auto scroll,
//                                wheel and wheel panning
//   LazyTrees_qn_Hooks.cpp       neutral answers of the hint, search and
//                                clipboard hooks
//   LazyTrees_qn_Editing.cpp     in-place editing: the flow against the edit
//                                link (LazyTrees_qn_EditLink.h: the default one)
//   LazyTrees_qn_Stream.cpp      the node stream (files, moves and copies
//                                between trees); the header's own stream is
//                                in LazyTrees_qn_HeaderStream.cpp
//   LazyTrees_qn_Messages.cpp    remaining window messages, edit actions,
//                                tree-view queries, accessibility requests
#pragma once
#include "platform/rtl/MacroShield.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Threads.h"
#include "platform/ole/ActiveX.h"
#include "platform/ole/OleAcc.h"
#include "platform/shell/ShellAPI.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"

namespace vcl {
class TPrinter;
}

namespace qn {
using namespace vcl;

class TBaseLazyTree_qn;

// ---------------------------------------------------------------------------
// A set of up to 16 (or 8) flags packed into the width the node record has
// for it; TSet would take 32 bytes per node. The bits are read and written
// as relaxed atomics: the validation worker reads a node's flags while the
// main thread may mark the same node (initialized, data handed out), and
// such marks never change what the worker looks at.

template <class E, class W>
struct TPackedSet {
  W Bits = 0;
  constexpr TPackedSet() = default;
  constexpr TPackedSet(std::initializer_list<E> es) {
    for (E e : es) Bits = W(Bits | Bit(e));
  }
  constexpr TPackedSet(E e) : Bits(Bit(e)) {}  // NOLINT: [e]
  TPackedSet(const TPackedSet& o) : Bits(o.Load()) {}
  TPackedSet& operator=(const TPackedSet& o) {
    Store(o.Load());
    return *this;
  }
  static constexpr W Bit(E e) { return W(W(1) << static_cast<unsigned>(e)); }
  W Load() const { return std::atomic_ref<W>(const_cast<W&>(Bits)).load(std::memory_order_relaxed); }
  void Store(W Value) { std::atomic_ref<W>(Bits).store(Value, std::memory_order_relaxed); }
  TPackedSet& Include(E e) {
    std::atomic_ref<W>(Bits).fetch_or(Bit(e), std::memory_order_relaxed);
    return *this;
  }
  TPackedSet& Exclude(E e) {
    std::atomic_ref<W>(Bits).fetch_and(W(~Bit(e)), std::memory_order_relaxed);
    return *this;
  }
  bool Contains(E e) const { return (Load() & Bit(e)) != 0; }
  bool Empty() const { return Load() == 0; }
  static TPackedSet FromBits(W Value) {
    TPackedSet s;
    s.Bits = Value;
    return s;
  }
  friend TPackedSet operator+(const TPackedSet& a, const TPackedSet& b) { return FromBits(W(a.Load() | b.Load())); }
  friend TPackedSet operator-(const TPackedSet& a, const TPackedSet& b) { return FromBits(W(a.Load() & ~b.Load())); }
  friend TPackedSet operator*(const TPackedSet& a, const TPackedSet& b) { return FromBits(W(a.Load() & b.Load())); }
  TPackedSet& operator+=(const TPackedSet& b) {
    std::atomic_ref<W>(Bits).fetch_or(b.Load(), std::memory_order_relaxed);
    return *this;
  }
  TPackedSet& operator-=(const TPackedSet& b) {
    std::atomic_ref<W>(Bits).fetch_and(W(~b.Load()), std::memory_order_relaxed);
    return *this;
  }
  friend bool operator==(const TPackedSet& a, const TPackedSet& b) { return a.Load() == b.Load(); }
  // a <= b: a is a subset of b.
  friend bool operator<=(const TPackedSet& a, const TPackedSet& b) { return (a.Load() & ~b.Load()) == 0; }
};

// ---------------------------------------------------------------------------
// Node record and node flags

enum class TLazyNodeState : Byte {
  vsInitialized, vsChecking, vsCutOrCopy, vsDisabled, vsDeleting, vsExpanded, vsHasChildren, vsVisible,
  vsSelected, vsOnFreeNodeCallRequired, vsAllChildrenHidden, vsClearing, vsMultiline, vsHeightMeasured,
  vsToggling, vsFiltered
};
using enum TLazyNodeState;
using TLazyNodeStates = TPackedSet<TLazyNodeState, Word>;

enum class TLazyNodeInitState : Byte {
  ivsDisabled, ivsExpanded, ivsHasChildren, ivsMultiline, ivsSelected, ivsFiltered, ivsReInit
};
using enum TLazyNodeInitState;
using TLazyNodeInitStates = TPackedSet<TLazyNodeInitState, Byte>;

enum class TCheckType : Byte { ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton };
using enum TCheckType;
enum class TCheckState : Byte {
  csUncheckedNormal, csUncheckedPressed, csCheckedNormal, csCheckedPressed, csMixedNormal, csMixedPressed
};
using enum TCheckState;

// A check state's pressed and normal (unpressed) forms, by state.
inline constexpr TCheckState PressedCheckStates[6] = {csUncheckedPressed, csUncheckedPressed, csCheckedPressed,
                                                      csCheckedPressed,   csMixedPressed,     csMixedPressed};
inline constexpr TCheckState NormalCheckStates[6] = {csUncheckedNormal, csUncheckedNormal, csCheckedNormal,
                                                     csCheckedNormal,   csMixedNormal,     csMixedNormal};

struct TLazyNode;
using PLazyNode = TLazyNode*;

// One node. Links are machine pointers, so the fixed part is 64 bytes; the
// internal data areas and the user data follow it in the same block.
struct TLazyNode {
  Cardinal Index;        // position among the siblings
  Cardinal ChildCount;   // children linked now
  Word NodeHeight;       // own row, pixels
  TLazyNodeStates States;
  Byte Align;            // vertical position of lines and button, 0..100
  TCheckState CheckState;
  TCheckType CheckType;
  Byte Dummy;            // keeps the totals 4-aligned
  Cardinal TotalCount;   // this node plus every descendant
  Cardinal TotalHeight;  // own row plus visible children while expanded
  // The hidden root's Parent holds the tree object itself.
  PLazyNode Parent;
  PLazyNode PrevSibling;
  PLazyNode NextSibling;
  PLazyNode FirstChild;
  PLazyNode LastChild;
};
inline constexpr Cardinal TreeNodeSize = sizeof(TLazyNode);
static_assert(TreeNodeSize % 8 == 0, "user data must stay pointer-aligned");

using TNodeArray = std::vector<PLazyNode>;
using TColumnIndex = Integer;      // -1 no column, -2 invalid
using TColumnPosition = Cardinal;  // display position, left to right
inline constexpr TColumnIndex NoColumn = -1;
inline constexpr TColumnIndex InvalidColumn = -2;

// The tree a node belongs to: walks up to the hidden root (the only node
// that is its own NextSibling) and answers what the root's Parent holds.
TBaseLazyTree_qn* TreeFromNode(PLazyNode Node);

// ---------------------------------------------------------------------------
// Tree-wide enumerations

enum class TVTNodeAttachMode : Byte { amNoWhere, amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast };
using enum TVTNodeAttachMode;

enum class TChangeReason : Byte {
  crIgnore, crAccumulated, crChildAdded, crChildDeleted, crNodeAdded, crNodeCopied, crNodeMoved
};
using enum TChangeReason;

enum class TVTUpdateState : Byte { usBegin, usBeginSynch, usSynch, usUpdate, usEnd, usEndSynch };
using enum TVTUpdateState;

enum class TSortDirection : Byte { sdAscending, sdDescending };
using enum TSortDirection;

enum class TVTOperationKind : Byte { okAutoFitColumns, okGetMaxColumnWidth, okSortNode, okSortTree };
using enum TVTOperationKind;
using TVTOperationKinds = TSet<TVTOperationKind>;

enum class TLazyTreeState : Byte {
  tsCancelHintAnimation, tsChangePending, tsCheckPropagation, tsCollapsing, tsToggleFocusedSelection,
  tsClearPending, tsClipboardFlushing, tsCopyPending, tsCutPending, tsDrawSelPending, tsDrawSelecting,
  tsEditing, tsEditPending, tsExpanding, tsNodeHeightTracking, tsNodeHeightTrackPending, tsHint,
  tsInAnimation, tsIncrementalSearching, tsIncrementalSearchPending, tsIterating, tsKeyCheckPending,
  tsLeftButtonDown, tsLeftDblClick, tsMouseCheckPending, tsMiddleButtonDown, tsMiddleDblClick,
  tsNeedRootCountUpdate, tsOLEDragging, tsOLEDragPending, tsPainting, tsRightButtonDown, tsRightDblClick,
  tsPopupMenuShown, tsScrolling, tsScrollPending, tsSizing, tsStopValidation, tsStructureChangePending,
  tsSynchMode, tsThumbTracking, tsToggling, tsUpdateHiddenChildrenNeeded, tsUpdating, tsUseCache,
  tsUserDragObject, tsUseThemes, tsValidating, tsValidationNeeded, tsVCLDragging, tsVCLDragPending,
  tsVCLDragFinished, tsWheelPanning, tsWheelScrolling, tsWindowCreating, tsUseExplorerTheme
};
using enum TLazyTreeState;
using TLazyTreeStates = TSet<TLazyTreeState>;

// The compact form of the four validation states that crosses threads in
// WM_CHANGESTATE.
enum class TChangeState : Byte { csStopValidation, csUseCache, csValidating, csValidationNeeded };
using enum TChangeState;
using TChangeStates = TPackedSet<TChangeState, Byte>;
inline constexpr UINT WM_CHANGESTATE = WM_APP + 32;

// Window timers of the tree.
inline constexpr UINT_PTR ExpandTimer = 1, EditTimer = 2, HeaderTimer = 3, ScrollTimer = 4, ChangeTimer = 5,
                          StructureChangeTimer = 6, SearchTimer = 7, ThemeChangedTimer = 8;

// Visible nodes between two position-cache entries.
inline constexpr Cardinal CacheThreshold = 2000;

struct TCacheEntry {
  PLazyNode Node;
  Cardinal AbsoluteTop;
};
using TCache = std::vector<TCacheEntry>;

// ---------------------------------------------------------------------------
// Options

enum class TVTPaintOption : Byte {
  toHideFocusRect, toHideSelection, toHotTrack, toPopupMode, toShowBackground, toShowButtons,
  toShowDropmark, toShowHorzGridLines, toShowRoot, toShowTreeLines, toShowVertGridLines, toThemeAware,
  toUseBlendedImages, toGhostedIfUnfocused, toFullVertGridLines, toAlwaysHideSelection,
  toUseBlendedSelection, toStaticBackground, toChildrenAbove, toFixedIndent, toUseExplorerTheme,
  toHideTreeLinesIfThemed, toShowFilteredNodes
};
using enum TVTPaintOption;
using TVTPaintOptions = TSet<TVTPaintOption>;

enum class TVTAnimationOption : Byte { toAnimatedToggle, toAdvancedAnimatedToggle };
using enum TVTAnimationOption;
using TVTAnimationOptions = TSet<TVTAnimationOption>;

// --- Toggle animation
// How a region of the window moves while a toggle is animated.
enum class TToggleAnimationMode : Byte { tamScrollUp, tamScrollDown, tamNoScroll };
using enum TToggleAnimationMode;
// What an animated toggle hands to its step callback: the window's device
// context, the background brush and up to two regions that move, the second
// ScaleFactor times as fast as the first, its fractions of a pixel carried
// in MissedSteps.
struct TToggleAnimationData {
  HWND Window = nullptr;
  HDC DC = nullptr;
  HBRUSH Brush = nullptr;
  TRect R1, R2;
  TToggleAnimationMode Mode1 = tamNoScroll, Mode2 = tamNoScroll;
  double ScaleFactor = 0;
  double MissedSteps = 0;
};
// One step of an animation; False ends it early. The last call has Step and
// StepSize 0.
using TVTAnimationCallback = std::function<bool(Integer Step, Integer StepSize, Pointer Data)>;
// --- end of toggle animation

enum class TVTAutoOption : Byte {
  toAutoDropExpand, toAutoExpand, toAutoScroll, toAutoScrollOnExpand, toAutoSort, toAutoSpanColumns,
  toAutoTristateTracking, toAutoHideButtons, toAutoDeleteMovedNodes, toDisableAutoscrollOnFocus,
  toAutoChangeScale, toAutoFreeOnCollapse, toDisableAutoscrollOnEdit, toAutoBidiColumnOrdering
};
using enum TVTAutoOption;
using TVTAutoOptions = TSet<TVTAutoOption>;

enum class TVTSelectionOption : Byte {
  toDisableDrawSelection, toExtendedFocus, toFullRowSelect, toLevelSelectConstraint, toMiddleClickSelect,
  toMultiSelect, toRightClickSelect, toSiblingSelectConstraint, toCenterScrollIntoView,
  toSimpleDrawSelection
};
using enum TVTSelectionOption;
using TVTSelectionOptions = TSet<TVTSelectionOption>;

enum class TVTMiscOption : Byte {
  toAcceptOLEDrop, toCheckSupport, toEditable, toFullRepaintOnResize, toGridExtensions, toInitOnSave,
  toReportMode, toToggleOnDblClick, toWheelPanning, toReadOnly, toVariableNodeHeight, toFullRowDrag,
  toNodeHeightResize, toNodeHeightDblClickResize, toEditOnClick, toEditOnDblClick,
  toReverseFullExpandHotKey
};
using enum TVTMiscOption;
using TVTMiscOptions = TSet<TVTMiscOption>;

enum class TVTExportMode : Byte { emAll, emChecked, emUnchecked };
using enum TVTExportMode;

// Name tables: form files store the sets by their element names.
QN_ENUM_NAMES(TVTPaintOption, toHideFocusRect, toHideSelection, toHotTrack, toPopupMode, toShowBackground,
              toShowButtons, toShowDropmark, toShowHorzGridLines, toShowRoot, toShowTreeLines,
              toShowVertGridLines, toThemeAware, toUseBlendedImages, toGhostedIfUnfocused, toFullVertGridLines,
              toAlwaysHideSelection, toUseBlendedSelection, toStaticBackground, toChildrenAbove, toFixedIndent,
              toUseExplorerTheme, toHideTreeLinesIfThemed, toShowFilteredNodes)
QN_ENUM_NAMES(TVTAnimationOption, toAnimatedToggle, toAdvancedAnimatedToggle)
QN_ENUM_NAMES(TVTAutoOption, toAutoDropExpand, toAutoExpand, toAutoScroll, toAutoScrollOnExpand, toAutoSort,
              toAutoSpanColumns, toAutoTristateTracking, toAutoHideButtons, toAutoDeleteMovedNodes,
              toDisableAutoscrollOnFocus, toAutoChangeScale, toAutoFreeOnCollapse, toDisableAutoscrollOnEdit,
              toAutoBidiColumnOrdering)
QN_ENUM_NAMES(TVTSelectionOption, toDisableDrawSelection, toExtendedFocus, toFullRowSelect,
              toLevelSelectConstraint, toMiddleClickSelect, toMultiSelect, toRightClickSelect,
              toSiblingSelectConstraint, toCenterScrollIntoView, toSimpleDrawSelection)
QN_ENUM_NAMES(TVTMiscOption, toAcceptOLEDrop, toCheckSupport, toEditable, toFullRepaintOnResize, toGridExtensions,
              toInitOnSave, toReportMode, toToggleOnDblClick, toWheelPanning, toReadOnly, toVariableNodeHeight,
              toFullRowDrag, toNodeHeightResize, toNodeHeightDblClickResize, toEditOnClick, toEditOnDblClick,
              toReverseFullExpandHotKey)
QN_ENUM_NAMES(TVTExportMode, emAll, emChecked, emUnchecked)
QN_TYPE_NAME(TVTPaintOptions)
QN_TYPE_NAME(TVTAnimationOptions)
QN_TYPE_NAME(TVTAutoOptions)
QN_TYPE_NAME(TVTSelectionOptions)
QN_TYPE_NAME(TVTMiscOptions)

// The defaults of a new tree (and of the published option properties).
inline constexpr TVTPaintOptions DefaultPaintOptions{toShowButtons, toShowDropmark, toShowRoot, toShowTreeLines,
                                                     toThemeAware, toUseBlendedImages};
inline constexpr TVTAnimationOptions DefaultAnimationOptions{};
inline constexpr TVTAutoOptions DefaultAutoOptions{toAutoDropExpand, toAutoScrollOnExpand, toAutoSort,
                                                   toAutoTristateTracking, toAutoDeleteMovedNodes,
                                                   toAutoChangeScale};
inline constexpr TVTSelectionOptions DefaultSelectionOptions{};
inline constexpr TVTMiscOptions DefaultMiscOptions{toAcceptOLEDrop, toFullRepaintOnResize, toInitOnSave,
                                                   toToggleOnDblClick, toWheelPanning, toEditOnClick};

// The single option set of older form files; each name maps to the flag
// of the same name in whichever of the five sets holds it now.
enum class TOldVTOption : Byte {
  voAcceptOLEDrop, voAnimatedToggle, voAutoDropExpand, voAutoExpand, voAutoScroll, voAutoSort,
  voAutoSpanColumns, voAutoTristateTracking, voCheckSupport, voDisableDrawSelection, voEditable,
  voExtendedFocus, voFullRowSelect, voGridExtensions, voHideFocusRect, voHideSelection, voHotTrack,
  voInitOnSave, voLevelSelectConstraint, voMiddleClickSelect, voMultiSelect, voRightClickSelect, voPopupMode,
  voShowBackground, voShowButtons, voShowDropmark, voShowHorzGridLines, voShowRoot, voShowTreeLines,
  voShowVertGridLines, voSiblingSelectConstraint, voToggleOnDblClick
};
using enum TOldVTOption;
QN_ENUM_NAMES(TOldVTOption, voAcceptOLEDrop, voAnimatedToggle, voAutoDropExpand, voAutoExpand, voAutoScroll,
              voAutoSort, voAutoSpanColumns, voAutoTristateTracking, voCheckSupport, voDisableDrawSelection,
              voEditable, voExtendedFocus, voFullRowSelect, voGridExtensions, voHideFocusRect, voHideSelection,
              voHotTrack, voInitOnSave, voLevelSelectConstraint, voMiddleClickSelect, voMultiSelect,
              voRightClickSelect, voPopupMode, voShowBackground, voShowButtons, voShowDropmark,
              voShowHorzGridLines, voShowRoot, voShowTreeLines, voShowVertGridLines, voSiblingSelectConstraint,
              voToggleOnDblClick)

class TCustomLazyTreeOptions : public TPersistent {
  QN_CLASS_CREATE(TCustomLazyTreeOptions, TPersistent, TObject)
 public:
  explicit TCustomLazyTreeOptions(TBaseLazyTree_qn* AOwner);
  // The form of the constructor that class references create through; the
  // object must be a tree.
  explicit TCustomLazyTreeOptions(TObject* AOwner);

  const TVTPaintOptions& PaintOptions() const { return FPaintOptions; }
  void SetPaintOptions(TVTPaintOptions Value);
  TVTAnimationOptions AnimationOptions() const { return FAnimationOptions; }
  void SetAnimationOptions(TVTAnimationOptions Value);
  const TVTAutoOptions& AutoOptions() const { return FAutoOptions; }
  void SetAutoOptions(TVTAutoOptions Value);
  TVTSelectionOptions SelectionOptions() const { return FSelectionOptions; }
  void SetSelectionOptions(TVTSelectionOptions Value);
  const TVTMiscOptions& MiscOptions() const { return FMiscOptions; }
  void SetMiscOptions(TVTMiscOptions Value);
  TVTExportMode ExportMode() const { return FExportMode; }
  void SetExportMode(TVTExportMode Value) { FExportMode = Value; }
  TBaseLazyTree_qn* Owner() const { return FOwner; }
  TPersistent* GetOwner() override;

 protected:
  friend class TBaseLazyTree_qn;
  void AssignTo(TPersistent* Dest) override;
  // When the tree swaps its options object for one of its own class, the
  // new object takes over what its class adds beyond the five sets.
  virtual void TakeOwnOptions(const TCustomLazyTreeOptions* Old) { (void)Old; }

 private:
  TBaseLazyTree_qn* FOwner;
  TVTPaintOptions FPaintOptions = DefaultPaintOptions;
  TVTAnimationOptions FAnimationOptions = DefaultAnimationOptions;
  TVTAutoOptions FAutoOptions = DefaultAutoOptions;
  TVTSelectionOptions FSelectionOptions = DefaultSelectionOptions;
  TVTMiscOptions FMiscOptions = DefaultMiscOptions;
  TVTExportMode FExportMode = emAll;
};
using TTreeOptionsClass = TClass;

// The five sets and the export mode as every published options class
// streams them, with the defaults of a new tree.
#define QN_LAZY_TREE_OPTIONS_PROPS                                \
  QN_PROP(AnimationOptions).Default(DefaultAnimationOptions);     \
  QN_PROP(AutoOptions).Default(DefaultAutoOptions);               \
  QN_PROP(ExportMode).Default(emAll);                             \
  QN_PROP(MiscOptions).Default(DefaultMiscOptions);               \
  QN_PROP(PaintOptions).Default(DefaultPaintOptions);             \
  QN_PROP(SelectionOptions).Default(DefaultSelectionOptions);

// The options class of the draw tree.
class TLazyTreeOptions : public TCustomLazyTreeOptions {
  QN_CLASS_CREATE(TLazyTreeOptions, TCustomLazyTreeOptions, TObject)
 public:
  explicit TLazyTreeOptions(TBaseLazyTree_qn* AOwner) : TCustomLazyTreeOptions(AOwner) {}
  explicit TLazyTreeOptions(TObject* AOwner) : TCustomLazyTreeOptions(AOwner) {}

  QN_PUBLISHED_DECL(TLazyTreeOptions) { QN_LAZY_TREE_OPTIONS_PROPS }
};

// ---------------------------------------------------------------------------
// Scroll-bar options

enum class TScrollBarStyle : Byte { sbmRegular, sbm3D };
using enum TScrollBarStyle;
QN_ENUM_NAMES(TScrollBarStyle, sbmRegular, sbm3D)
using TVTScrollIncrement = Word;

class TScrollBarOptions : public TPersistent {
  QN_CLASS_CREATE(TScrollBarOptions, TPersistent, TObject)
 public:
  explicit TScrollBarOptions(TBaseLazyTree_qn* AOwner);
  explicit TScrollBarOptions(TObject* AOwner);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  bool AlwaysVisible() const { return FAlwaysVisible; }
  void SetAlwaysVisible(bool Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TScrollBarStyle ScrollBarStyle() const { return FScrollBarStyle; }
  void SetScrollBarStyle(TScrollBarStyle Value) { FScrollBarStyle = Value; }
  TVTScrollIncrement HorizontalIncrement() const { return FIncrementX; }
  void SetHorizontalIncrement(TVTScrollIncrement Value) { FIncrementX = Value; }
  TVTScrollIncrement VerticalIncrement() const { return FIncrementY; }
  void SetVerticalIncrement(TVTScrollIncrement Value) { FIncrementY = Value; }

  QN_PUBLISHED_DECL(TScrollBarOptions) {
    QN_PROP(AlwaysVisible).Default(false);
    QN_PROP(HorizontalIncrement).Default(20);
    QN_PROP(ScrollBars).Default(ssBoth);
    QN_PROP(ScrollBarStyle).Default(sbmRegular);
    QN_PROP(VerticalIncrement).Default(20);
  }

 private:
  void RecreateOwnerWindow();
  bool FAlwaysVisible = false;
  TBaseLazyTree_qn* FOwner;
  TScrollStyle FScrollBars = ssBoth;
  TScrollBarStyle FScrollBarStyle = sbmRegular;
  TVTScrollIncrement FIncrementX = 20;
  TVTScrollIncrement FIncrementY = 20;
};

// How check boxes are drawn; the custom kind uses CustomCheckImages.
enum class TCheckImageKind : Byte {
  ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP, ckCustom, ckSystemFlat, ckSystemDefault
};
using enum TCheckImageKind;
QN_ENUM_NAMES(TCheckImageKind, ckLightCheck, ckDarkCheck, ckLightTick, ckDarkTick, ckFlat, ckXP, ckCustom,
              ckSystemFlat, ckSystemDefault)

// Whether the host reports a system with the newer visual styles (version
// 6 or later); read at each use, so a changed version report counts.
bool IsWinVistaOrAbove();

// ---------------------------------------------------------------------------
// Exceptions and messages

class ELazyTreeError : public Exception {
  QN_CLASS(ELazyTreeError, Exception)
 public:
  ELazyTreeError(const String& Msg, Integer AHelpContext) : Exception(Msg), HelpContext(AHelpContext) {}
  Integer HelpContext = 0;
};

inline constexpr const char16_t* SWrongMoveError = u"Target node cannot be a child node of the node to be moved.";
inline constexpr const char16_t* SWrongStreamFormat = u"Unable to load tree structure, the format is wrong.";
inline constexpr const char16_t* SWrongStreamVersion = u"Unable to load tree structure, the version is unknown.";
inline constexpr const char16_t* SStreamTooSmall = u"Unable to load tree structure, not enough data available.";
inline constexpr const char16_t* SCorruptStream1 = u"Stream data corrupt. A node's anchor chunk is missing.";
inline constexpr const char16_t* SCorruptStream2 = u"Stream data corrupt. Unexpected data after node's end position.";
inline constexpr const char16_t* SClipboardFailed = u"Clipboard operation failed.";
inline constexpr const char16_t* SCannotSetUserData =
    u"Cannot set initial user data because there is not enough user data space allocated.";
inline constexpr Integer hcTFEWrongMove = 2001, hcTFEWrongStreamFormat = 2002, hcTFEWrongStreamVersion = 2003,
                         hcTFEStreamTooSmall = 2004, hcTFECorruptStream1 = 2005, hcTFECorruptStream2 = 2006,
                         hcTFEClipboardFailed = 2007, hcTFECannotSetUserData = 2008;

// Assertion messages of the node model and the walks.
inline constexpr const char16_t* SNodeNilOrRoot = u"Node must neither be nil nor the root node.";
inline constexpr const char16_t* SDeleteWhileIterating = u"Deleting nodes during tree iteration leads to invalid pointers.";
inline constexpr const char16_t* SInternalDataTooLate = u"Internal data allocation must be done before any node is created.";
inline constexpr const char16_t* SNodeDataSizeNotSet = u"NodeDataSize not initialized.";
inline constexpr const char16_t* SInvalidParameter = u"Invalid parameter.";
inline constexpr const char16_t* SInvalidParameters = u"Invalid parameters.";
inline constexpr const char16_t* SEndOperationUnbalanced = u"EndOperation must not be called when no operation in progress.";
inline constexpr const char16_t* SNodeMustNotBeNil = u"Node must not be nil.";
inline constexpr const char16_t* SNodeIsHiddenRoot = u"Node must not be the hidden root node.";
inline constexpr const char16_t* SNodesNeverNil = u"Nodes must never be nil.";
inline constexpr const char16_t* SBothNodesAssigned = u"Both nodes must be Assigned.";
inline constexpr const char16_t* STreeMustNotBeNil = u"Tree must not be nil.";

// Checks first: the walks assert on every step, and the message only needs
// to become a string when the check fails.
inline void TreeAssert(bool Condition, const char16_t* Message) {
  if (!Condition) Assert(false, Message);
}

// ---------------------------------------------------------------------------
// Events

using TVTInitNodeEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode ParentNode, PLazyNode Node, TLazyNodeInitStates& InitialStates)>;
using TVTInitChildrenEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, Cardinal& ChildCount)>;
using TVTGetNodeDataSizeEvent = TEvent<void(TBaseLazyTree_qn* Sender, Integer& NodeDataSize)>;
using TVTFreeNodeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node)>;
using TVTChangeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node)>;
using TVTStructureChangeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TChangeReason Reason)>;
using TVTChangingEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, bool& Allowed)>;
using TVTUpdatingEvent = TEvent<void(TBaseLazyTree_qn* Sender, TVTUpdateState State)>;
using TVTStateChangeEvent = TEvent<void(TBaseLazyTree_qn* Sender, TLazyTreeStates Enter, TLazyTreeStates Leave)>;
using TVTOperationEvent = TEvent<void(TBaseLazyTree_qn* Sender, TVTOperationKind OperationKind)>;
using TVTAddToSelectionEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node)>;
using TVTRemoveFromSelectionEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node)>;
using TVTFocusChangingEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode OldNode, PLazyNode NewNode,
                                          TColumnIndex OldColumn, TColumnIndex NewColumn, bool& Allowed)>;
using TVTFocusChangeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column)>;
using TVTCheckChangingEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TCheckState& NewState, bool& Allowed)>;
using TVTCompareEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node1, PLazyNode Node2, TColumnIndex Column, Integer& Result)>;
using TVTNodeMovingEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, PLazyNode Target, bool& Allowed)>;
using TVTNodeCopyingEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, PLazyNode Target, bool& Allowed)>;
using TVTMeasureItemEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, Integer& NodeHeight)>;
// Callback of IterateSubtree.
using TVTGetNodeProc = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, Pointer Data, bool& Abort)>;

// ---------------------------------------------------------------------------
// Enumerations over nodes (range-based for works on them)

enum class TVZLazyNodeEnumerationMode : Byte {
  vneAll, vneChecked, vneChild, vneCutCopy, vneInitialized, vneLeaf, vneLevel, vneNoInit, vneSelected,
  vneVisible, vneVisibleChild, vneVisibleNoInitChild, vneVisibleNoInit
};
using enum TVZLazyNodeEnumerationMode;

struct TVTLazyNodeEnumeration;

struct TVTLazyNodeEnumerator {
  PLazyNode FNode = nullptr;
  bool FCanModeNext = true;
  const TVTLazyNodeEnumeration* FEnumeration = nullptr;

  bool MoveNext();
  PLazyNode Current() const { return FNode; }

  // Range-based for: begin() has already moved to the first node.
  PLazyNode operator*() const { return FNode; }
  TVTLazyNodeEnumerator& operator++() { MoveNext(); return *this; }
  bool operator!=(std::nullptr_t) const { return FNode != nullptr; }
};

struct TVTLazyNodeEnumeration {
  TVZLazyNodeEnumerationMode FMode = vneAll;
  TBaseLazyTree_qn* FTree = nullptr;
  bool FConsiderChildrenAbove = false;
  PLazyNode FNode = nullptr;
  Cardinal FNodeLevel = 0;
  TCheckState FState = csCheckedNormal;
  bool FIncludeFiltered = false;

  TVTLazyNodeEnumerator GetEnumerator() const;
  PLazyNode GetNext(PLazyNode Node) const;

  TVTLazyNodeEnumerator begin() const {
    TVTLazyNodeEnumerator e = GetEnumerator();
    e.MoveNext();
    return e;
  }
  std::nullptr_t end() const { return nullptr; }
};

// ---------------------------------------------------------------------------
// The tree

class TWorkerThread;
class TVTHeader;
class TVTDragImage;
class TLazyTreeColumn;
class TLazyTreeColumns;
struct TVTHeaderHitInfo;
enum class TSmartAutoFitType : Byte;

using TVTHeaderNotifyEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column)>;
using TVTColumnClickEvent = TEvent<void(TBaseLazyTree_qn* Sender, TColumnIndex Column, TShiftState Shift)>;
using TVTColumnDblClickEvent = TVTColumnClickEvent;
using TVTCanSplitterResizeColumnEvent =
    TEvent<void(TVTHeader* Sender, TPoint P, TColumnIndex Column, bool& Allowed)>;
using TVTCanSplitterResizeHeaderEvent = TEvent<void(TVTHeader* Sender, TPoint P, bool& Allowed)>;
using TVTGetCellIsEmptyEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, bool& IsEmpty)>;
using TVTHeaderClickEvent = TEvent<void(TVTHeader* Sender, const TVTHeaderHitInfo& HitInfo)>;
using TVTHeaderMouseEvent =
    TEvent<void(TVTHeader* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TVTHeaderMouseMoveEvent = TEvent<void(TVTHeader* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TVTHeaderDraggingEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column, bool& Allowed)>;
using TVTHeaderDraggedEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column, Integer OldPosition)>;
using TVTHeaderDraggedOutEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column, TPoint DropPosition)>;
using TVTGetHeaderCursorEvent = TEvent<void(TVTHeader* Sender, HCURSOR& Cursor)>;
using TVTBeforeAutoFitColumnsEvent = TEvent<void(TVTHeader* Sender, TSmartAutoFitType& SmartAutoFitType)>;
using TVTBeforeAutoFitColumnEvent =
    TEvent<void(TVTHeader* Sender, TColumnIndex Column, TSmartAutoFitType& SmartAutoFitType, bool& Allowed)>;
using TVTAfterAutoFitColumnsEvent = TEvent<void(TVTHeader* Sender)>;
using TVTColumnWidthTrackingEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column, TShiftState Shift,
                                                TPoint& TrackPoint, TPoint P, bool& Allowed)>;
using TVTBeforeColumnWidthTrackingEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column, TShiftState Shift)>;
using TVTAfterColumnWidthTrackingEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column)>;
using TVTBeforeHeaderHeightTrackingEvent = TEvent<void(TVTHeader* Sender, TShiftState Shift)>;
using TVTHeaderHeightTrackingEvent = TEvent<void(TVTHeader* Sender, TPoint& P, TShiftState Shift, bool& Allowed)>;
using TVTAfterHeaderHeightTrackingEvent = TEvent<void(TVTHeader* Sender)>;
using TVTHeaderHeightDblClickResizeEvent =
    TEvent<void(TVTHeader* Sender, TPoint& P, TShiftState Shift, bool& Allowed)>;
using TVTColumnWidthDblClickResizeEvent =
    TEvent<void(TVTHeader* Sender, TColumnIndex Column, TShiftState Shift, TPoint P, bool& Allowed)>;
using TVTPopupEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, TPoint P,
                                  bool& AskParent, TPopupMenu*& PopupMenu)>;
using TVTBeforeGetMaxColumnWidthEvent =
    TEvent<void(TVTHeader* Sender, TColumnIndex Column, bool& UseSmartColumnWidth)>;
using TVTAfterGetMaxColumnWidthEvent = TEvent<void(TVTHeader* Sender, TColumnIndex Column, Integer& MaxWidth)>;

// --- Header painting (LazyTrees_qn_HeaderPaint.cpp)
enum class TVTDropMarkMode : Byte { dmmNone, dmmLeft, dmmRight };
using enum TVTDropMarkMode;
// The parts of a header cell an application may draw itself.
enum class THeaderPaintElement : Byte { hpeBackground, hpeDropMark, hpeHeaderGlyph, hpeSortGlyph, hpeText };
using enum THeaderPaintElement;
using THeaderPaintElements = TSet<THeaderPaintElement>;
// One header cell (Column nil: the area right of the last column) as the
// advanced owner-draw events see it.
struct THeaderPaintInfo {
  TCanvas* TargetCanvas = nullptr;
  TLazyTreeColumn* Column = nullptr;
  TRect PaintRectangle;
  TRect TextRectangle;
  bool IsHoverIndex = false;
  bool IsDownIndex = false;
  bool IsEnabled = false;
  bool ShowHeaderGlyph = false;
  bool ShowSortGlyph = false;
  bool ShowRightBorder = false;
  TVTDropMarkMode DropMark = dmmNone;
  TPoint GlyphPos;
  TPoint SortGlyphPos;
};
using TVTHeaderPaintEvent = TEvent<void(TVTHeader* Sender, TCanvas* HeaderCanvas, TLazyTreeColumn* Column,
                                        const TRect& R, bool Hover, bool Pressed, TVTDropMarkMode DropMark)>;
using TVTHeaderPaintQueryElementsEvent =
    TEvent<void(TVTHeader* Sender, THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements)>;
using TVTAdvancedHeaderPaintEvent =
    TEvent<void(TVTHeader* Sender, THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements)>;

// --- Appearance types (the appearance code: LazyTrees_qn_Appearance.h/.cpp)
enum class TVTButtonFillMode : Byte { fmTreeColor, fmWindowColor, fmShaded, fmTransparent };
using enum TVTButtonFillMode;
QN_ENUM_NAMES(TVTButtonFillMode, fmTreeColor, fmWindowColor, fmShaded, fmTransparent)
enum class TVTButtonStyle : Byte { bsRectangle, bsTriangle };
using enum TVTButtonStyle;
QN_ENUM_NAMES(TVTButtonStyle, bsRectangle, bsTriangle)
enum class TVTDrawSelectionMode : Byte { smDottedRectangle, smBlendedRectangle };
using enum TVTDrawSelectionMode;
QN_ENUM_NAMES(TVTDrawSelectionMode, smDottedRectangle, smBlendedRectangle)
enum class TVTLineMode : Byte { lmNormal, lmBands };
using enum TVTLineMode;
QN_ENUM_NAMES(TVTLineMode, lmNormal, lmBands)
enum class TVTLineStyle : Byte { lsCustomStyle, lsDotted, lsSolid };
using enum TVTLineStyle;
QN_ENUM_NAMES(TVTLineStyle, lsCustomStyle, lsDotted, lsSolid)
enum class TVTNodeAlignment : Byte { naFromBottom, naFromTop, naProportional };
using enum TVTNodeAlignment;
QN_ENUM_NAMES(TVTNodeAlignment, naFromBottom, naFromTop, naProportional)
// --- Node decorations (LazyTrees_qn_Decorations.cpp)
enum class TVTLineType : Byte {
  ltNone, ltBottomRight, ltTopDown, ltTopDownRight, ltRight, ltTopRight, ltLeft, ltLeftBottom
};
using enum TVTLineType;
// One entry per indentation level of a row, level 0 first.
using TLineImage = std::vector<TVTLineType>;
enum class TVTImageKind : Byte { ikNormal, ikSelected, ikState, ikOverlay };
using enum TVTImageKind;
enum class TVTImageInfoIndex : Byte { iiNormal, iiState, iiCheck, iiOverlay };
using enum TVTImageInfoIndex;
struct TVTImageInfo {
  Integer Index = -1;
  Integer XPos = 0, YPos = 0;
  bool Ghosted = false;
  TCustomImageList* Images = nullptr;
};
enum class TVTInternalPaintOption : Byte {
  poBackground, poColumnColor, poDrawFocusRect, poDrawSelection, poDrawDropMark, poGridLines, poMainOnly,
  poSelectedOnly, poUnbuffered
};
using enum TVTInternalPaintOption;
using TVTInternalPaintOptions = TSet<TVTInternalPaintOption>;
// What every cell-painting routine receives.
struct TVTPaintInfo {
  TCanvas* Canvas = nullptr;
  TVTInternalPaintOptions PaintOptions;
  PLazyNode Node = nullptr;
  TColumnIndex Column = NoColumn;
  TColumnPosition Position = 0;
  TRect CellRect;
  TRect ContentRect;
  Integer NodeWidth = 0;
  TAlignment Alignment = taLeftJustify;
  TAlignment CaptionAlignment = taLeftJustify;
  TBiDiMode BidiMode = bdLeftToRight;
  // Keeps the dotted patterns of adjacent rows in phase.
  TPoint BrushOrigin;
  TVTImageInfo ImageInfo[4];
};
// --- Painting (LazyTrees_qn_Paint.cpp)
enum class TVTCellPaintMode : Byte { cpmPaint, cpmGetContentMargin };
using enum TVTCellPaintMode;
enum class TVTEraseAction : Byte { eaColor, eaDefault, eaNone };
using enum TVTEraseAction;
enum class TVTCellContentMarginType : Byte { ccmtAllSides, ccmtTopLeftOnly, ccmtBottomRightOnly };
using enum TVTCellContentMarginType;
enum class TDropMode : Byte { dmNowhere, dmAbove, dmOnNode, dmBelow };
using enum TDropMode;
using TVTPaintEvent = TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas)>;
using TVTBeforeItemPaintEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, const TRect& ItemRect,
                bool& CustomDraw)>;
using TVTAfterItemPaintEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, const TRect& ItemRect)>;
using TVTBeforeItemEraseEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, const TRect& ItemRect,
                TColor& ItemColor, TVTEraseAction& EraseAction)>;
using TVTAfterItemEraseEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, const TRect& ItemRect)>;
using TVTBeforeCellPaintEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node, TColumnIndex Column,
                TVTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect)>;
using TVTAfterCellPaintEvent = TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, PLazyNode Node,
                                           TColumnIndex Column, const TRect& CellRect)>;
using TVTBackgroundPaintEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* TargetCanvas, const TRect& R, bool& Handled)>;
using TVTBeforeDrawLineImageEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, Integer Level, Integer& PosX)>;
using TVTGetLineStyleEvent = TEvent<void(TBaseLazyTree_qn* Sender, Pointer& Bits)>;
using TVTGetImageEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TVTImageKind Kind,
                                     TColumnIndex Column, bool& Ghosted, Integer& ImageIndex)>;
using TVTGetImageExEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TVTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                Integer& ImageIndex, TCustomImageList*& ImageList)>;
using TVTGetImageTextEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TVTImageKind Kind, TColumnIndex Column, String& ImageText)>;

// --- Settings and events of the hint, drag, clipboard, editing, search,
// export, stream and input code. They are published and stream with the
// tree now; what they switch arrives with that code.
enum class TVTHintMode : Byte { hmDefault, hmHint, hmHintAndDefault, hmTooltip };
using enum TVTHintMode;
QN_ENUM_NAMES(TVTHintMode, hmDefault, hmHint, hmHintAndDefault, hmTooltip)
enum class TVTHintKind : Byte { vhkText, vhkOwnerDraw };
using enum TVTHintKind;
enum class TVTTooltipLineBreakStyle : Byte { hlbDefault, hlbForceSingleLine, hlbForceMultiLine };
using enum TVTTooltipLineBreakStyle;
enum class TVTHintAnimationType : Byte { hatNone, hatFade, hatSlide, hatSystemDefault };
using enum TVTHintAnimationType;
QN_ENUM_NAMES(TVTHintAnimationType, hatNone, hatFade, hatSlide, hatSystemDefault)
using THintAnimationType = TVTHintAnimationType;
enum class TVTIncrementalSearch : Byte { isAll, isNone, isInitializedOnly, isVisibleOnly };
QN_ENUM_NAMES(TVTIncrementalSearch, isAll, isNone, isInitializedOnly, isVisibleOnly)
enum class TVTSearchDirection : Byte { sdForward, sdBackward };
using enum TVTSearchDirection;
QN_ENUM_NAMES(TVTSearchDirection, sdForward, sdBackward)
enum class TVTSearchStart : Byte { ssAlwaysStartOver, ssLastHit, ssFocusedNode };
using enum TVTSearchStart;
QN_ENUM_NAMES(TVTSearchStart, ssAlwaysStartOver, ssLastHit, ssFocusedNode)
enum class TVTDragImageKind : Byte { diComplete, diMainColumnOnly, diNoImage };
using enum TVTDragImageKind;
QN_ENUM_NAMES(TVTDragImageKind, diComplete, diMainColumnOnly, diNoImage)
enum class TDragOperation : Byte { doCopy, doMove, doLink };
using enum TDragOperation;
QN_ENUM_NAMES(TDragOperation, doCopy, doMove, doLink)
using TDragOperations = TSet<TDragOperation>;
QN_TYPE_NAME(TDragOperations)
enum class TVTDragType : Byte { dtOLE, dtVCL };
using enum TVTDragType;
QN_ENUM_NAMES(TVTDragType, dtOLE, dtVCL)
QN_ENUM_NAMES(TVTNodeAttachMode, amNoWhere, amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast)
enum class TVTExportType : Byte { etRTF, etHTML, etText, etExcel, etWord, etCustom };
using enum TVTExportType;
enum class THitPosition : Byte {
  hiAbove, hiBelow, hiNowhere, hiOnItem, hiOnItemButton, hiOnItemButtonExact, hiOnItemCheckbox, hiOnItemIndent,
  hiOnItemLabel, hiOnItemLeft, hiOnItemRight, hiOnNormalIcon, hiOnStateIcon, hiToLeft, hiToRight,
  hiUpperSplitter, hiLowerSplitter
};
using enum THitPosition;
using THitPositions = TSet<THitPosition>;
struct THitInfo {
  PLazyNode HitNode = nullptr;
  THitPositions HitPositions;
  TColumnIndex HitColumn = NoColumn;
};
// What a tree hint shows: the tree keeps one and hands its address to the
// hint window as the hint data.
struct TVTHintData {
  TBaseLazyTree_qn* Tree = nullptr;
  PLazyNode Node = nullptr;
  TColumnIndex Column = NoColumn;
  TRect HintRect;  // an owner-drawn hint's size, empty otherwise
  String DefaultHint;  // the control's or the column's hint
  String HintText;  // the node hint or tooltip
  TBiDiMode BidiMode = TBiDiMode::bdLeftToRight;
  TAlignment Alignment = taLeftJustify;
  TVTTooltipLineBreakStyle LineBreakStyle = hlbDefault;
};
class TLazyTreeHintWindow;
using TVTHintKindEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, TVTHintKind& Kind)>;
using TVTGetHintSizeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, TRect& R)>;
using TVTDrawHintEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TCanvas* HintCanvas, PLazyNode Node, const TRect& R, TColumnIndex Column)>;
using TVTIncrementalSearchEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, const String& SearchText, Integer& Result)>;
using TVTColumnExportEvent = TEvent<void(TBaseLazyTree_qn* Sender, TVTExportType ExportType, TColumnIndex Column)>;
using TVTNodeExportEvent = TEvent<bool(TBaseLazyTree_qn* Sender, TVTExportType ExportType, PLazyNode Node)>;
using TVTTreeExportEvent = TEvent<void(TBaseLazyTree_qn* Sender, TVTExportType ExportType)>;
// The interfaces of the data object, drag manager and edit link are asked
// for by the clipboard, drag and editing code from what the handler returns.
using TVTCreateDataObjectEvent = TEvent<void(TBaseLazyTree_qn* Sender, TIntf<IInterface>& IDataObject)>;
using TVTCreateDragManagerEvent = TEvent<void(TBaseLazyTree_qn* Sender, TIntf<IInterface>& DragManager)>;
using TVTCreateEditorEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, TIntf<IInterface>& EditLink)>;
using TFormatArray = std::vector<Word>;
using TVTDragOverEvent = TEvent<void(TBaseLazyTree_qn* Sender, TObject* Source, TShiftState Shift, TDragState State,
                                     TPoint Pt, TDropMode Mode, DWORD& Effect, bool& Accept)>;
using TVTDragDropEvent = TEvent<void(TBaseLazyTree_qn* Sender, TObject* Source, IDataObject* DataObject,
                                     const TFormatArray& Formats, TShiftState Shift, TPoint Pt, DWORD& Effect,
                                     TDropMode Mode)>;
class TVTDragManager;
// A tree's drag manager as others see it.
struct IVTDragManager : virtual IUnknown {
  static constexpr TGUID IID = MakeGUID("{C4B25559-14DA-446B-8901-0C879000EB16}");
  virtual void ForceDragLeave() = 0;
  virtual TIntf<IDataObject> GetDataObject() = 0;
  virtual TBaseLazyTree_qn* GetDragSource() = 0;
  virtual bool GetDropTargetHelperSupported() = 0;
  virtual bool GetIsDropTarget() = 0;
  TIntf<IDataObject> DataObject() { return GetDataObject(); }
  TBaseLazyTree_qn* DragSource() { return GetDragSource(); }
  bool DropTargetHelperSupported() { return GetDropTargetHelperSupported(); }
  bool IsDropTarget() { return GetIsDropTarget(); }
};
using TVTDragAllowedEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, bool& Allowed)>;
using TVTEditChangingEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, bool& Allowed)>;
using TVTEditChangeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column)>;
using TVTEditCancelEvent = TEvent<void(TBaseLazyTree_qn* Sender, TColumnIndex Column)>;
// What the tree asks of an in-place editor. PrepareEdit and BeginEdit may
// refuse, which leaves the tree idle; EndEdit and CancelEdit may refuse,
// which keeps the edit running. An editor of a node that is deleted or
// reset is cancelled even when it refuses.
struct IVTEditLink : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{6F3C2A71-94D8-4B0E-A53C-1E7D28B4C905}");
  virtual bool BeginEdit() = 0;
  virtual bool CancelEdit() = 0;
  virtual bool EndEdit() = 0;
  virtual bool PrepareEdit(TBaseLazyTree_qn* Tree, PLazyNode Node, TColumnIndex Column) = 0;
  virtual TRect GetBounds() = 0;
  virtual void ProcessMessage(TMessage& Message) = 0;
  virtual void SetBounds(TRect R) = 0;
};
// Asks the default editor to size itself to its text again.
inline constexpr UINT CM_AUTOADJUST = 0xB000 + 2005;
using TVTGetCursorEvent = TEvent<void(TBaseLazyTree_qn* Sender, TCursor& Cursor)>;
using TVTHelpContextEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, Integer& HelpContext)>;
// The formats and media of OLE data exchange are the host's records; the
// short names stay for the event types.
using TFormatEtcArray = std::vector<TFormatEtc>;
using TVTGetUserClipboardFormatsEvent = TEvent<void(TBaseLazyTree_qn* Sender, TFormatEtcArray& Formats)>;
using TVTRenderOLEDataEvent = TEvent<void(TBaseLazyTree_qn* Sender, const TFormatEtc& FormatEtcIn, TStgMedium& Medium,
                                          bool ForClipboard, HRESULT& Result)>;
using TVTHotNodeChangeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode OldNode, PLazyNode NewNode)>;
using TVTKeyActionEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, Word& CharCode, TShiftState& Shift, bool& DoDefault)>;
using TVTSaveNodeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TStream* Stream)>;
using TVTSaveTreeEvent = TEvent<void(TBaseLazyTree_qn* Sender, TStream* Stream)>;
using TVTNodeClickEvent = TEvent<void(TBaseLazyTree_qn* Sender, const THitInfo& HitInfo)>;
using TVTCanSplitterResizeNodeEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, TPoint P, PLazyNode Node, TColumnIndex Column, bool& Allowed)>;
using TVTNodeHeightTrackingEvent =
    TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint,
                TPoint P, bool& Allowed)>;
using TVTNodeHeightDblClickResizeEvent = TEvent<void(TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex Column,
                                                     TShiftState Shift, TPoint P, bool& Allowed)>;

// The formats a tree offers on the clipboard and in drags, by description.
class TClipboardFormats : public TStringList {
  QN_CLASS(TClipboardFormats, TStringList)
 public:
  explicit TClipboardFormats(TBaseLazyTree_qn* AOwner);
  TBaseLazyTree_qn* Owner() const { return FOwner; }
  // Only registered names whose tree class the owner inherits get in; Add
  // answers -1 for the others.
  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Insert(Integer Index, const String& S) override;

 private:
  bool Accepts(const String& S) const;
  TBaseLazyTree_qn* FOwner;
};

// --- Scrolling (LazyTrees_qn_Scroll.cpp)
// The directions of automatic scrolling. The names are qualified where
// used: the skin library's sides share the short ones.
enum class TScrollDirection : Byte { sdLeft, sdUp, sdRight, sdDown };
using TScrollDirections = TSet<TScrollDirection>;
// What a move of the view updates besides the offsets.
enum class TScrollUpdateOption : Byte { suoRepaintHeader, suoRepaintScrollbars, suoScrollClientArea, suoUpdateNCArea };
using enum TScrollUpdateOption;
using TScrollUpdateOptions = TSet<TScrollUpdateOption>;
inline constexpr TScrollUpdateOptions DefaultScrollUpdateFlags{suoRepaintHeader, suoRepaintScrollbars,
                                                               suoScrollClientArea, suoUpdateNCArea};
// Milliseconds between two auto-scroll steps, 1 to 1000.
using TAutoScrollInterval = Word;
using TVTScrollEvent = TEvent<void(TBaseLazyTree_qn* Sender, Integer DeltaX, Integer DeltaY)>;
using TVTScrollBarShowEvent = TEvent<void(TBaseLazyTree_qn* Sender, Integer Bar, bool Show)>;

class TVTColors;
struct TVTColorsDeleter {
  void operator()(TVTColors* Colors) const;
};

// The class a data member belongs to, and its type.
template <class M> struct TMemberOwner;
template <class C, class T> struct TMemberOwner<T C::*> {
  using Class = C;
  using Type = T;
};

class TBaseLazyTree_qn : public TCustomControl {
  QN_CLASS(TBaseLazyTree_qn, TCustomControl)
  // --- Appearance: colours, background, themes, border
 public:
  TVTColors* Colors() const { return FColors.get(); }
  void SetColors(TVTColors* Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TPicture* Background() const { return FBackground.get(); }
  void SetBackground(TPicture* Value);
  Integer BackgroundOffsetX() const { return FBackgroundOffsetX; }
  void SetBackgroundOffsetX(Integer Value) { SetBackgroundOffset(0, Value); }
  Integer BackgroundOffsetY() const { return FBackgroundOffsetY; }
  void SetBackgroundOffsetY(Integer Value) { SetBackgroundOffset(1, Value); }
  void SetBackgroundOffset(Integer Index, Integer Value);
  TVTButtonFillMode ButtonFillMode() const { return FButtonFillMode; }
  void SetButtonFillMode(TVTButtonFillMode Value);
  TVTButtonStyle ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TVTButtonStyle Value);
  TVTDrawSelectionMode DrawSelectionMode() const { return FDrawSelectionMode; }
  void SetDrawSelectionMode(TVTDrawSelectionMode Value) { FDrawSelectionMode = Value; }
  const String& EmptyListMessage() const { return FEmptyListMessage; }
  void SetEmptyListMessage(const String& Value);
  void SetIndent(Cardinal Value);
  TVTLineMode LineMode() const { return FLineMode; }
  void SetLineMode(TVTLineMode Value);
  TVTLineStyle LineStyle() const { return FLineStyle; }
  void SetLineStyle(TVTLineStyle Value);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  TVTNodeAlignment NodeAlignment() const { return FNodeAlignment; }
  void SetNodeAlignment(TVTNodeAlignment Value);
  Byte SelectionBlendFactor() const { return FSelectionBlendFactor; }
  void SetSelectionBlendFactor(Byte Value) { FSelectionBlendFactor = Value; }
  Integer TextMargin() const { return FTextMargin; }
  void SetTextMargin(Integer Value);
  // The tree buffers every row itself, so it always counts as buffered.
  bool DoubleBuffered() const { return GetDoubleBuffered(); }
  bool GetDoubleBuffered() const { return true; }
  void SetDoubleBuffered(bool) {}
  // The theme change this causes starts no theme-changed timer.
  void SetWindowTheme(const String& Theme);
  void VclStyleChanged() { FVclStyleEnabled = false; }
  bool VclStyleEnabled() const { return FVclStyleEnabled; }
  // The (negative) sizes of the window's own frame.
  TSize GetBorderDimensions();
  void StaticBackground(TBitmap* Source, TCanvas* Target, TPoint OffsetPosition, const TRect& R);
  void TileBackground(TBitmap* Source, TCanvas* Target, TPoint OffsetPosition, const TRect& R);
  void RedirectFontChangeEvent(TCanvas* Canvas);
  void RestoreFontChangeEvent(TCanvas* Canvas);
  bool FontChangedDuringEvent() const { return FFontChanged; }

 protected:
  friend class TVTColors;
  // The appearance messages; true when the message was handled there.
  bool AppearanceDispatch(TMessage& Message);
  void CMColorChange(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMThemeChanged(TMessage& Message);
  void OriginalWMNCPaint(HDC DC);
  // The tracked canvas font's changes set FFontChanged; the tree's own
  // font goes the control's way.
  void FontChanged(TObject* Sender) override;
  static TVTColors* MakeColors(TBaseLazyTree_qn* Owner);
  std::unique_ptr<TVTColors, TVTColorsDeleter> FColors{MakeColors(this)};
  std::unique_ptr<TPicture> FBackground = std::make_unique<TPicture>();
  Integer FBackgroundOffsetX = 0;
  Integer FBackgroundOffsetY = 0;
  bool FChangingTheme = false;
  bool FVclStyleEnabled = false;
  TNotifyEvent FOldFontChange;
  bool FFontChanged = false;
  TFont* FTrackedFont = nullptr;
  TAlignment FAlignment = taLeftJustify;
  TVTButtonFillMode FButtonFillMode = fmTreeColor;
  TVTButtonStyle FButtonStyle = bsRectangle;
  TVTDrawSelectionMode FDrawSelectionMode = smDottedRectangle;
  String FEmptyListMessage;
  TVTLineMode FLineMode = lmNormal;
  TVTLineStyle FLineStyle = lsDotted;
  Integer FMargin = 4;
  TVTNodeAlignment FNodeAlignment = naProportional;
  Byte FSelectionBlendFactor = 128;
  Integer FTextMargin = 4;

  // --- Node decorations: tree lines, buttons, check images
 public:
  // Fills the line image of Node's row; answers the number of selected
  // ancestors.
  virtual Integer DetermineLineImageAndSelectLevel(PLazyNode Node, TLineImage& LineImage);
  bool HasVisibleNextSibling(PLazyNode Node);
  bool HasVisiblePreviousSibling(PLazyNode Node);
  bool IsFirstVisibleChild(PLazyNode Parent, PLazyNode Node);
  bool IsLastVisibleChild(PLazyNode Parent, PLazyNode Node);
  virtual Integer GetCheckImage(PLazyNode Node, TCheckType ImgCheckType = ctNone,
                                TCheckState ImgCheckState = csUncheckedNormal, bool ImgEnabled = true);
  Byte GetVerticalAlignment(PLazyNode Node) const { return Node ? Node->Align : 0; }
  void SetVerticalAlignment(PLazyNode Node, Byte Value);
  const TVTBeforeDrawLineImageEvent& OnBeforeDrawTreeLine() const { return FOnBeforeDrawLineImage; }
  void SetOnBeforeDrawTreeLine(const TVTBeforeDrawLineImageEvent& Value) { FOnBeforeDrawLineImage = Value; }
  TVTGetLineStyleEvent OnGetLineStyle;

  // --- Painting and display rectangles (LazyTrees_qn_Paint.cpp)
  // Paints Window (tree coordinates, scrolled-away parts included) onto
  // TargetCanvas with its top-left at Target.
  virtual void PaintTree(TCanvas* TargetCanvas, TRect Window, TPoint Target, TVTInternalPaintOptions PaintOptions,
                         TPixelFormat PixelFormat = TPixelFormat::pfDevice);
  // Where the node (the cell of Column, or its text) lies in the client
  // area; empty for a node that is not shown.
  TRect GetDisplayRect(PLazyNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped = false,
                       bool ApplyCellContentMargin = false);
  virtual Cardinal GetMaxRightExtend();
  void InvalidateChildren(PLazyNode Node, bool Recursive);
  // Paints the node's row at once.
  void RepaintNode(PLazyNode Node);
  bool IsMouseSelecting() const { return FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting); }
  // The rows of a running rubber-band selection (tree coordinates), and
  // where a drop would land on the drop target.
  void SetNewSelRect(const TRect& R) { FNewSelRect = R; }
  void SetDropTarget(PLazyNode Node, TDropMode Mode) {
    FDropTargetNode = Node;
    FLastDropMode = Mode;
  }
  void SetCurrentHot(PLazyNode Node, TColumnIndex Column) {
    FCurrentHotNode = Node;
    FCurrentHotColumn = Column;
  }
  const TRect& UpdateRect() const { return FUpdateRect; }
  TVTPaintEvent OnBeforePaint;
  TVTPaintEvent OnAfterPaint;
  TVTBeforeItemPaintEvent OnBeforeItemPaint;
  TVTAfterItemPaintEvent OnAfterItemPaint;
  TVTBeforeItemEraseEvent OnBeforeItemErase;
  TVTAfterItemEraseEvent OnAfterItemErase;
  TVTBeforeCellPaintEvent OnBeforeCellPaint;
  TVTAfterCellPaintEvent OnAfterCellPaint;
  TVTBackgroundPaintEvent OnPaintBackground;

 protected:
  void Paint() override;
  // The paint messages; true when the message was handled there.
  bool PaintDispatch(TMessage& Message);
  virtual void AdjustPaintCellRect(TVTPaintInfo& PaintInfo, TColumnIndex& NextNonEmpty);
  virtual void AdjustImageBorder(TCustomImageList* Images, TBiDiMode BidiMode, Integer VAlign, TRect& R,
                                 TVTImageInfo& ImageInfo);
  virtual void AdjustCoordinatesByIndent(TVTPaintInfo& PaintInfo, Integer Indent);
  virtual void PrepareCell(TVTPaintInfo& PaintInfo, Integer WindowOrgX, Integer MaxWidth);
  virtual void ClearNodeBackground(TVTPaintInfo& PaintInfo, bool UseBackground, bool Floating, TRect R);
  virtual void PaintSelectionRectangle(TCanvas* Target, Integer WindowOrgX, const TRect& SelectionRect,
                                       TRect TargetRect);
  virtual void DoPaintDropMark(TCanvas* Canvas, PLazyNode Node, const TRect& R);
  virtual void CalculateVerticalAlignments(bool ShowImages, bool ShowStateImages, PLazyNode Node, Integer& VAlign,
                                           Integer& VButtonAlign);
  // The node's content; the string and draw trees paint it.
  virtual void DoPaintNode(TVTPaintInfo& PaintInfo);
  virtual void DoBeforePaint(TCanvas* Canvas);
  virtual void DoAfterPaint(TCanvas* Canvas);
  virtual bool DoBeforeItemPaint(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect);
  virtual void DoAfterItemPaint(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect);
  virtual void DoBeforeItemErase(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect, TColor& Color,
                                 TVTEraseAction& EraseAction);
  virtual void DoAfterItemErase(TCanvas* Canvas, PLazyNode Node, const TRect& ItemRect);
  virtual void DoBeforeCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column,
                                 TVTCellPaintMode CellPaintMode, const TRect& CellRect, TRect& ContentRect);
  virtual void DoAfterCellPaint(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const TRect& CellRect);
  virtual bool DoPaintBackground(TCanvas* Canvas, const TRect& R);
  // How much of the cell the content margin of OnBeforeCellPaint takes.
  virtual TPoint DoGetCellContentMargin(PLazyNode Node, TColumnIndex Column,
                                        TVTCellContentMarginType CellContentMarginType = ccmtAllSides,
                                        TCanvas* Canvas = nullptr);
  // Sets the first visible column, its position and the cell's right edge.
  void InitializeFirstColumnValues(TVTPaintInfo& PaintInfo);
  void SyncHeaderFont();
  TRect FUpdateRect;
  TRect FNewSelRect;
  TDropMode FLastDropMode = dmNowhere;
  TColumnIndex FCurrentHotColumn = NoColumn;
  TColumnIndex FEditColumn = NoColumn;

 private:
  void PaintCell(TVTPaintInfo& Info, const TRect& Window, const TRect& TargetRow, Integer MaximumBottom,
                 Integer NodeTop, Integer NodeHeight, const TLineImage& LineImage, Integer IndentSize, Integer VAlign,
                 Integer ButtonX, Integer ButtonY, bool IsMainColumn, bool ShowImages, bool ShowStateImages,
                 bool ShowCheckImages, bool EditedCell);

 public:
  // --- Node images and check images (LazyTrees_qn_Images.cpp)
  // Whether the node has an image of that kind (initialising it first).
  bool HasImage(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column);
  // The normal image list's image size (0 x 0 without a list).
  virtual TSize GetNodeImageSize(PLazyNode Node);
  virtual TCustomImageList* GetCheckImageListFor(TCheckImageKind Kind);
  // The active check image list: a shared set, or CustomCheckImages.
  TCustomImageList* CheckImages() const { return FCheckImages; }
  const TVTGetImageEvent& OnGetImageIndex() const { return FOnGetImage; }
  void SetOnGetImageIndex(const TVTGetImageEvent& Value) { FOnGetImage = Value; }
  const TVTGetImageExEvent& OnGetImageIndexEx() const { return FOnGetImageEx; }
  void SetOnGetImageIndexEx(const TVTGetImageExEvent& Value) { FOnGetImageEx = Value; }
  TVTGetImageTextEvent OnGetImageText;

 protected:
  virtual void GetImageIndex(TVTPaintInfo& Info, TVTImageKind Kind, TVTImageInfoIndex InfoIndex,
                             TCustomImageList* DefaultImages);
  // Asks OnGetImageIndexEx (which may name a list), else OnGetImageIndex;
  // the list the handler named, nil for the default one.
  virtual TCustomImageList* DoGetImageIndex(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                                            Integer& Index);
  virtual void DoGetImageText(PLazyNode Node, TVTImageKind Kind, TColumnIndex Column, String& ImageText);
  virtual void PaintImage(TVTPaintInfo& PaintInfo, TVTImageInfoIndex ImageInfoIndex, bool DoOverlay);
  virtual void PaintCheckImage(TCanvas* Canvas, const TVTImageInfo& ImageInfo, bool Selected);
  TCustomImageList* FCheckImages = nullptr;

  // --- Scrolling: offsets, ranges, scroll bars, auto scroll, wheel and
  // panning (LazyTrees_qn_Scroll.cpp)
 public:
  // The canvas position relative to the client area: 0 or negative.
  Integer OffsetX() const { return FOffsetX; }
  Integer OffsetY() const { return FOffsetY; }
  TPoint OffsetXY() const { return TPoint(FOffsetX, FOffsetY); }
  void SetOffsetX(Integer Value);
  void SetOffsetY(Integer Value);
  void SetOffsetXY(TPoint Value);
  // The horizontal scroll position counted from the canvas's left edge.
  Integer EffectiveOffsetX() const { return FEffectiveOffsetX; }
  // Measured on demand while a full expand or collapse has it pending.
  Integer RangeX() const;
  Integer RangeY() const { return FRangeY > 0 ? FRangeY : 0; }
  Cardinal BottomSpace() const { return FBottomSpace; }
  void SetBottomSpace(Cardinal Value);
  TAutoScrollInterval AutoScrollInterval() const { return FAutoScrollInterval; }
  void SetAutoScrollInterval(TAutoScrollInterval Value);
  Cardinal AutoScrollDelay() const { return FAutoScrollDelay; }
  void SetAutoScrollDelay(Cardinal Value) { FAutoScrollDelay = Value; }
  // The nodes at the client's top and bottom row; setting one scrolls it
  // there, expanding its parents first.
  PLazyNode TopNode();
  void SetTopNode(PLazyNode Node);
  PLazyNode BottomNode();
  void SetBottomNode(PLazyNode Node);
  virtual bool ScrollIntoView(PLazyNode Node, bool Center, bool Horizontally = false);
  bool ScrollIntoView(TColumnIndex Column, bool Center);
  virtual void UpdateScrollBars(bool DoRepaint);
  virtual void UpdateHorizontalScrollBar(bool DoRepaint);
  virtual void UpdateVerticalScrollBar(bool DoRepaint);
  void UpdateRanges();
  virtual void UpdateHorizontalRange();
  void SettleRangeX();
  virtual void UpdateVerticalRange();
  // How far right-to-left content is shifted right: the header's room
  // beyond the canvas width (less the vertical bar when told to).
  virtual Integer ComputeRTLOffset(bool ExcludeScrollBar = false);
  TVTScrollEvent OnScroll;
  TVTScrollBarShowEvent OnShowScrollbar;

 protected:
  // The one routine that moves the view; true when anything moved.
  // ClipRect (client coordinates) limits what the platform scrolls.
  virtual bool DoSetOffsetXY(TPoint Value, TScrollUpdateOptions Options, const TRect* ClipRect = nullptr);
  virtual void DoScroll(Integer DeltaX, Integer DeltaY);
  virtual void DoShowScrollbar(Integer Bar, bool Show);
  Integer SetScrollBarInfo(Integer Bar, Integer Range, Integer Position, Integer Client, bool DoRepaint);
  virtual bool CanAutoScroll();
  virtual TScrollDirections DetermineScrollDirections(Integer X, Integer Y);
  virtual void DoAutoScroll(Integer X, Integer Y);
  virtual bool DoTimerScroll();
  virtual void StartWheelPanning(TPoint Position);
  virtual void StopWheelPanning();
  virtual void AdjustPanningCursor(Integer X, Integer Y);
  virtual void PanningWindowProc(TMessage& Message);
  // The scroll timer's expiry.
  void ScrollTimerExpired();
  // The scrolling messages; true when the message was handled there.
  bool ScrollDispatch(TMessage& Message);
  void WMHScroll(TMessage& Message);
  void WMVScroll(TMessage& Message);
  void CMMouseWheel(TMessage& Message);
  void WMSize(TMessage& Message);
  // Hot tracking at a client point, and the rubber band's selection update
  // (LazyTrees_qn_Mouse.cpp).
  virtual void HandleHotTrack(Integer X, Integer Y);
  virtual bool HandleDrawSelection(Integer X, Integer Y);
  // Moves the rubber band's free corner to the client point; true when the
  // band changed.
  bool CalculateSelectionRect(Integer X, Integer Y);
  // Whether a drag of the drag manager hovers over the tree (none exists
  // yet: false).
  virtual bool IsDropTarget();
  Cardinal FBottomSpace = 0;
  TScrollDirections FScrollDirections;
  TAutoScrollInterval FAutoScrollInterval = 1;
  Cardinal FAutoScrollDelay = 1000;
  DWORD FDragScrollStart = 0;
  HWND FPanningWindow = nullptr;
  WNDPROC FPanningWindowProc = nullptr;
  HCURSOR FPanningCursor = nullptr;
  std::unique_ptr<TBitmap> FPanningImage;
  TPoint FLastClickPos;
  TRect FLastSelRect;

  // --- Mouse handling, hit testing, hot tracking, node height tracking and
  // rubber-band selection (LazyTrees_qn_Mouse.cpp)
 public:
  // What lies under (X, Y): client coordinates with Relative, else tree
  // coordinates.
  virtual void GetHitTestInfoAt(Integer X, Integer Y, bool Relative, THitInfo& HitInfo);
  // Pixels the mouse must move before a pending OLE drag starts.
  Integer DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(Integer Value) { FDragThreshold = Value; }
  // Starts dragging nodes: the platform's drag with dtVCL; with dtOLE at
  // once (Immediate) or when the mouse has moved Threshold pixels (-1: the
  // platform's threshold).
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  // Left presses of an automatically dragged tree go to the tree's own
  // handlers: the tree decides when a drag starts.
  void WndProc(TMessage& Message) override;

 protected:
  virtual void DetermineHitPositionLTR(THitInfo& HitInfo, Integer Offset, Integer Right, TAlignment Alignment);
  virtual void DetermineHitPositionRTL(THitInfo& HitInfo, Integer Offset, Integer Right, TAlignment Alignment);
  virtual void HandleMouseDown(TMessage& Message, const THitInfo& HitInfo);
  virtual void HandleMouseUp(TMessage& Message, const THitInfo& HitInfo);
  virtual void HandleMouseDblClick(TMessage& Message, const THitInfo& HitInfo);
  virtual void DoHotChange(PLazyNode Old, PLazyNode New);
  bool CanSplitterResizeNode(TPoint P, PLazyNode Node, TColumnIndex Column);
  virtual bool DoCanSplitterResizeNode(TPoint P, PLazyNode Node, TColumnIndex Column, bool Allowed);
  virtual bool DoNodeHeightTracking(PLazyNode Node, TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint,
                                    TPoint P);
  virtual bool DoNodeHeightDblClickResize(PLazyNode Node, TColumnIndex Column, TShiftState Shift, TPoint P);
  virtual void DoNodeClick(const THitInfo& HitInfo);
  virtual void DoNodeDblClick(const THitInfo& HitInfo);
  virtual void DoGetCursor(TCursor& Cursor);
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  // Whether a mouse-down on Node may start a drag (OnDragAllowed).
  virtual bool DoBeforeDrag(PLazyNode Node, TColumnIndex Column);
  // The start of an OLE drag from P; the drag-and-drop code runs the loop.
  virtual void DoDragging(TPoint P);

  // --- The picture of dragged nodes (LazyTrees_qn_DragImageTree.cpp)
  // Paints the selected nodes around HotSpot (client coordinates) into the
  // drag image and hands it the data object of the drag.
  virtual void PrepareDragImage(TPoint HotSpot, IDataObject* DataObject);
  virtual bool CanShowDragImage();
  // The source tree whose picture this tree draws while Source drags over
  // it: nobody when the shell's target helper shows pictures.
  TBaseLazyTree_qn* DragImageSource(TObject* Source);
  // Hides Tree's picture over this tree, whose window then repaints what
  // lay under it.
  void HideDragImageOver(TBaseLazyTree_qn* Tree);
  // Moves Tree's picture over this tree to Pt (screen); the window catches
  // up where the picture no longer covers it.
  void MoveDragImageOver(TBaseLazyTree_qn* Tree, TPoint Pt);
  // Paints the client part Part onto Canvas at Target as the window shows
  // it (fixed columns stay put).
  void PaintClientPart(TCanvas* Canvas, const TRect& Part, TPoint Target, TVTInternalPaintOptions Options);

 public:
  // This tree under the pointer repaints TreeRect (client coordinates) for
  // a drag from Tree: the part under Tree's picture only into the saved
  // background, the rest on the window.
  virtual void UpdateWindowAndDragImage(TBaseLazyTree_qn* Tree, TRect TreeRect, bool UpdateNCArea,
                                        bool ReshowDragImage);
  TVTDragImage* DragImage() const { return FDragImage.get(); }

 private:
  // The picture recaptures its background through PaintClientPart.
  friend class TVTDragImage;
  std::unique_ptr<TVTDragImage> FDragImage;

 protected:
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  // The collectors of the rubber band: find the nodes whose inside-state
  // differs between the two rectangles (tree coordinates) and update the
  // selection; true when any did.
  virtual bool CollectSelectedNodesLTR(TColumnIndex MainColumn, Integer NodeLeft, Integer NodeRight,
                                       TAlignment Alignment, const TRect& OldRect, const TRect& NewRect);
  virtual bool CollectSelectedNodesRTL(TColumnIndex MainColumn, Integer NodeLeft, Integer NodeRight,
                                       TAlignment Alignment, const TRect& OldRect, const TRect& NewRect);
  // The mouse messages; true when the message was handled there.
  bool MouseDispatch(TMessage& Message);
  void WMLButtonDown(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMRButtonDown(TMessage& Message);
  void WMRButtonUp(TMessage& Message);
  void WMRButtonDblClk(TMessage& Message);
  void WMMButtonDown(TMessage& Message);
  void WMMButtonUp(TMessage& Message);
  void WMMButtonDblClk(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  TColumnIndex FHeightTrackColumn = NoColumn;
  TPoint FHeightTrackPoint;
  TShiftState FDrawSelShiftState;
  Integer FDragThreshold = 5;

 private:
  // Invalidates the rubber band's new rectangle, and the old one with it.
  void InvalidateSelectionBands(bool WithLast = true);
  // The hit test at a mouse message's client point.
  THitInfo MessageHitInfo(TMessage& Message);
  // The positions of a cell before its text, Offset counted from the
  // cell's start edge; true when settled there, else TextStart is where the
  // text's room begins.
  bool HitBeforeText(THitInfo& HitInfo, Integer Offset, Integer& TextStart);
  // Presses the check box of a hit node (mouse-down and double click
  // alike); true when the check is now pending.
  bool PressCheckBox(const THitInfo& HitInfo);
  // Where one node's content lies for the rubber band, and whether it
  // lies inside R.
  bool DrawSelectionHits(PLazyNode Node, Integer RowTop, TColumnIndex MainColumn, Integer NodeLeft,
                         Integer NodeRight, TAlignment Alignment, bool RTL, const TRect& R);
  bool CollectSelectedNodes(TColumnIndex MainColumn, Integer NodeLeft, Integer NodeRight, TAlignment Alignment,
                            const TRect& OldRect, const TRect& NewRect, bool RTL);

 public:

 protected:
  virtual void PaintTreeLines(const TVTPaintInfo& PaintInfo, Integer VAlign, Integer IndentSize,
                              const TLineImage& LineImage);
  void DrawLineImage(const TVTPaintInfo& PaintInfo, Integer X, Integer Y, Integer H, Integer VAlign,
                     TVTLineType Style, bool Reverse);
  virtual void DrawDottedHLine(const TVTPaintInfo& PaintInfo, Integer Left, Integer Right, Integer Top);
  virtual void DrawDottedVLine(const TVTPaintInfo& PaintInfo, Integer Top, Integer Bottom, Integer Left);
  virtual void PaintNodeButton(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const TRect& R, Integer ButtonX,
                               Integer ButtonY, TBiDiMode BidiMode);
  virtual void DoBeforeDrawLineImage(PLazyNode Node, Integer Level, Integer& XPos);
  virtual void DoGetLineStyle(Pointer& Bits);
  // The button pictures (collapsed, expanded, and their hot twins).
  std::unique_ptr<TBitmap> FPlusBM = std::make_unique<TBitmap>();
  std::unique_ptr<TBitmap> FMinusBM = std::make_unique<TBitmap>();
  std::unique_ptr<TBitmap> FHotPlusBM = std::make_unique<TBitmap>();
  std::unique_ptr<TBitmap> FHotMinusBM = std::make_unique<TBitmap>();
  struct TOwnedBrush {
    HBRUSH Handle = nullptr;
    ~TOwnedBrush();
  };
  // The 8 x 8 pattern of every tree and grid line.
  TOwnedBrush FDottedBrush;
  bool FHotNodeButtonHit = false;

 public:
  explicit TBaseLazyTree_qn(TComponent* AOwner);
  ~TBaseLazyTree_qn() override;
  // Everything that calls descendants' hooks (freeing nodes fires
  // DoFreeNode overrides) runs here, while the object is whole.
  void BeforeDestruction() override;
  // Creates the hidden root when none exists; the constructor calls it last.
  void AfterConstruction();

  // --- Node data
  Pointer GetNodeData(PLazyNode Node);
  template <class T>
  T* GetNodeData(PLazyNode Node) { return static_cast<T*>(GetNodeData(Node)); }
  Integer NodeDataSize() const { return FNodeDataSize; }
  void SetNodeDataSize(Integer Value);
  Cardinal TotalInternalDataSize() const { return FTotalInternalDataSize; }
  // The byte offset of the user-data area within a node.
  Cardinal UserDataOffset() const { return TreeNodeSize + FTotalInternalDataSize; }

  // --- Structure
  PLazyNode RootNode() const { return FRoot; }
  Cardinal RootNodeCount() const { return GetRootNodeCount(); }
  void SetRootNodeCount(Cardinal Value);
  Cardinal GetChildCount(PLazyNode Node) const;
  void SetChildCount(PLazyNode Node, Cardinal NewChildCount);
  Cardinal ChildCount(PLazyNode Node) const { return GetChildCount(Node); }
  virtual PLazyNode AddChild(PLazyNode Parent, Pointer UserData = nullptr);
  PLazyNode InsertNode(PLazyNode Node, TVTNodeAttachMode Mode, Pointer UserData = nullptr);
  void DeleteNode(PLazyNode Node, bool Reindex = true);
  void DeleteChildren(PLazyNode Node, bool ResetHasChildren = false);
  virtual void DeleteSelectedNodes();
  virtual void Clear();
  Cardinal TotalCount() { return GetTotalCount(); }
  Cardinal VisibleCount() const { return FVisibleCount; }

  // --- Initialization
  void ValidateNode(PLazyNode Node, bool Recursive);
  void ValidateChildren(PLazyNode Node, bool Recursive);
  virtual void ReinitNode(PLazyNode Node, bool Recursive);
  virtual void ReinitChildren(PLazyNode Node, bool Recursive);
  virtual void ResetNode(PLazyNode Node);

  // --- Node properties
  bool GetVisible(PLazyNode Node);
  void SetVisible(PLazyNode Node, bool Value);
  bool GetFiltered(PLazyNode Node) const;
  void SetFiltered(PLazyNode Node, bool Value);
  bool GetDisabled(PLazyNode Node) const;
  void SetDisabled(PLazyNode Node, bool Value);
  bool GetMultiline(PLazyNode Node) const;
  void SetMultiline(PLazyNode Node, bool Value);
  bool GetHasChildren(PLazyNode Node) const;
  void SetHasChildren(PLazyNode Node, bool Value);
  Cardinal GetNodeHeight(PLazyNode Node);
  void SetNodeHeight(PLazyNode Node, Cardinal Value);
  PLazyNode GetNodeParent(PLazyNode Node) const;
  void SetNodeParent(PLazyNode Node, PLazyNode Value);
  // Moves Source (with its subtree) to Target; the node keeps its data.
  void MoveTo(PLazyNode Source, PLazyNode Target, TVTNodeAttachMode Mode, bool ChildrenOnly = false);
  void MoveTo(PLazyNode Node, TBaseLazyTree_qn* Tree, TVTNodeAttachMode Mode, bool ChildrenOnly = false);
  // Copies Source (or its children) to Target of any tree through the node
  // stream; the new node (Target for ChildrenOnly), nil when refused.
  PLazyNode CopyTo(PLazyNode Source, PLazyNode Target, TVTNodeAttachMode Mode, bool ChildrenOnly = false);
  PLazyNode CopyTo(PLazyNode Source, TBaseLazyTree_qn* Tree, TVTNodeAttachMode Mode, bool ChildrenOnly = false);

  // --- Node stream (LazyTrees_qn_Stream.cpp)
  virtual void SaveToStream(TStream* Stream, PLazyNode Node = nullptr);
  void SaveToFile(const String& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void LoadFromFile(const String& FileName);
  void AddFromStream(TStream* Stream, PLazyNode TargetNode);
  // Writes Node's chunk with its whole subtree, level by level on a stack
  // of its own: a node's children go first, then its WriteChunks, once the
  // base chunk and the children stand in the stream. An override of
  // WriteChunks calls the inherited one first and appends its own chunks.
  virtual void WriteNode(TStream* Stream, PLazyNode Node);
  virtual void WriteChunks(TStream* Stream, PLazyNode Node);
  virtual void FinishChunkHeader(TStream* Stream, Integer StartPos, Integer EndPos);
  virtual void ReadNode(TStream* Stream, Integer Version, PLazyNode Node);
  virtual bool ReadChunk(TStream* Stream, Integer Version, PLazyNode Node, Integer ChunkType, Integer ChunkSize);
  virtual void SkipNode(TStream* Stream);
  virtual void InternalAddFromStream(TStream* Stream, Integer Version, PLazyNode Node);
  virtual void DoSaveUserData(PLazyNode Node, TStream* Stream);
  virtual void DoLoadUserData(PLazyNode Node, TStream* Stream);

  // --- Check states
  TCheckState GetCheckState(PLazyNode Node) const { return Node->CheckState; }
  void SetCheckState(PLazyNode Node, TCheckState Value);
  TCheckType GetCheckType(PLazyNode Node) const { return Node->CheckType; }
  void SetCheckType(PLazyNode Node, TCheckType Value);
  virtual TCheckState DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState);
  Cardinal CheckedCount() { return GetCheckedCount(); }
  Cardinal GetCheckedCount();
  void ClearChecked();

  // --- Sorting and cut/copy marks
  virtual void Sort(PLazyNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
  virtual void SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit = true);
  TColumnIndex SortColumn() const { return FSortColumn; }
  TSortDirection SortDirection() const { return FSortDirection; }
  // The header's sort column and direction (the tree's own until a header
  // holds them).
  void SetSortColumn(TColumnIndex Value) { FSortColumn = Value; }
  void SetSortDirection(TSortDirection Value) { FSortDirection = Value; }
  virtual void MarkCutCopyNodes();
  void CancelCutOrCopy();
  void FinishCutOrCopy();
  Cardinal CutCopyCount() { return GetCutCopyCount(); }
  Cardinal GetCutCopyCount();
  TNodeArray GetSortedCutCopySet(bool Resolve);
  bool GetVisiblePath(PLazyNode Node) const;
  void SetVisiblePath(PLazyNode Node, bool Value);
  bool GetFullyVisible(PLazyNode Node) const;
  void SetFullyVisible(PLazyNode Node, bool Value);
  bool FullyVisible(PLazyNode Node) const { return GetFullyVisible(Node); }
  bool GetEffectivelyVisible(PLazyNode Node) const;
  bool GetEffectivelyFiltered(PLazyNode Node) const;
  bool GetChildrenInitialized(PLazyNode Node) const;
  bool GetExpanded(PLazyNode Node) const;
  void SetExpanded(PLazyNode Node, bool Value);
  bool Expanded(PLazyNode Node) const { return GetExpanded(Node); }
  Cardinal DefaultNodeHeight() const { return FDefaultNodeHeight; }
  void SetDefaultNodeHeight(Cardinal Value);
  // Measures a node once (toVariableNodeHeight) through OnMeasureItem.
  void MeasureItemHeight(TCanvas* Canvas, PLazyNode Node);

  // --- Expanding and collapsing
  void ToggleNode(PLazyNode Node);
  virtual void FullExpand(PLazyNode Node = nullptr);
  virtual void FullCollapse(PLazyNode Node = nullptr);
  Cardinal AnimationDuration() const { return FAnimationDuration; }
  void SetAnimationDuration(Cardinal Value);

  // --- Batches and change notification
  virtual void BeginUpdate();
  virtual void EndUpdate();
  void BeginSynch();
  void EndSynch();
  Cardinal UpdateCount() const { return FUpdateCount; }
  Cardinal ChangeDelay() const { return FChangeDelay; }
  void SetChangeDelay(Cardinal Value) { FChangeDelay = Value; }
  TLazyTreeStates TreeStates() const { return FStates; }
  void StartOperation(TVTOperationKind OperationKind);
  void EndOperation(TVTOperationKind OperationKind);
  void CancelOperation();
  bool OperationCanceled() const { return GetOperationCanceled(); }
  bool GetOperationCanceled() const;

  // --- Options
  // The options object, of the class GetOptionsClass names (a descendant's
  // class takes over the sets the constructor's object held on first use:
  // C++ constructors cannot reach a descendant's class function).
  TCustomLazyTreeOptions* TreeOptions() const;
  void SetOptions(TCustomLazyTreeOptions* Value);
  virtual TTreeOptionsClass GetOptionsClass() const;
  TScrollBarOptions* ScrollBarOptions() const { return FScrollBarOptions.get(); }
  void SetScrollBarOptions(TScrollBarOptions* Value) { FScrollBarOptions->Assign(Value); }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

  // --- Image lists the tree paints from
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* StateImages() const { return FStateImages; }
  void SetStateImages(TCustomImageList* Value);
  TCustomImageList* CustomCheckImages() const { return FCustomCheckImages; }
  void SetCustomCheckImages(TCustomImageList* Value);
  TCheckImageKind CheckImageKind() const { return FCheckImageKind; }
  void SetCheckImageKind(TCheckImageKind Value);

  // --- Header
  TVTHeader* Header() const { return FHeader.get(); }
  void SetHeader(TVTHeader* Value);
  virtual TClass GetColumnClass() const;
  const TRect& HeaderRect() const { return FHeaderRect; }
  void UpdateHeaderRect();
  Integer GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth = false);
  void UpdateColumnCheckState(TLazyTreeColumn* Column);

  // --- Component persistence
  void Assign(TPersistent* Source) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  Cardinal Indent() const { return FIndent; }
  Integer SelectionCurveRadius() const { return FSelectionCurveRadius; }
  void SetSelectionCurveRadius(Integer Value);
  Cardinal SelectionCount() const { return Cardinal(FSelectionCount); }

  // --- Selection (kept ascending by node address; vsSelected mirrors it)
  bool GetSelected(PLazyNode Node) const { return Node && Node->States.Contains(vsSelected); }
  void SetSelected(PLazyNode Node, bool Value);
  Integer SelectedCount() const { return FSelectionCount; }
  virtual void AddToSelection(PLazyNode Node);
  virtual void AddToSelection(const TNodeArray& NewItems, Integer NewLength, bool ForceInsert = false);
  virtual void RemoveFromSelection(PLazyNode Node);
  void ClearSelection();
  virtual void SelectNodes(PLazyNode StartNode, PLazyNode EndNode, bool AddOnly);
  virtual void ToggleSelection(PLazyNode StartNode, PLazyNode EndNode);
  virtual void UnselectNodes(PLazyNode StartNode, PLazyNode EndNode);
  void SelectAll(bool VisibleOnly);
  void InvertSelection(bool VisibleOnly);
  TNodeArray GetSortedSelection(bool Resolve);
  // While locked, the single-node and range operations leave the
  // selection alone (the bulk add does not look at the lock).
  bool SelectionLocked() const { return FSelectionLocked; }
  void SetSelectionLocked(bool Value) { FSelectionLocked = Value; }
  PLazyNode RangeAnchor() const { return FRangeAnchor; }
  Integer LastSelectionLevel() const { return FLastSelectionLevel; }
  // The valid entries of the selection array, in address order.
  const TNodeArray& SelectionArray() const { return FSelection; }
  void HandleClickSelection(PLazyNode LastFocused, PLazyNode NewNode, TShiftState Shift, bool DragPending);

  // --- Focus
  TColumnIndex FocusedColumn() const { return FFocusedColumn; }
  void SetFocusedColumn(TColumnIndex Value);
  virtual void SetFocusedNodeAndColumn(PLazyNode Node, TColumnIndex Column);
  virtual void EnsureNodeFocused();

  // --- Navigation (pre-order; post-order with toChildrenAbove and
  // ConsiderChildrenAbove)
  PLazyNode GetFirst(bool ConsiderChildrenAbove = false);
  PLazyNode GetFirstNoInit(bool ConsiderChildrenAbove = false);
  PLazyNode GetNext(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetNextNoInit(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetPrevious(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetPreviousNoInit(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetLast(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true);
  PLazyNode GetLastNoInit(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true);
  PLazyNode GetFirstChild(PLazyNode Node);
  PLazyNode GetFirstChildNoInit(PLazyNode Node);
  PLazyNode GetLastChild(PLazyNode Node);
  PLazyNode GetLastChildNoInit(PLazyNode Node);
  PLazyNode GetNextSibling(PLazyNode Node);
  PLazyNode GetNextSiblingNoInit(PLazyNode Node);
  PLazyNode GetPreviousSibling(PLazyNode Node);
  PLazyNode GetPreviousSiblingNoInit(PLazyNode Node);
  PLazyNode GetFirstVisible(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true, bool IncludeFiltered = false);
  PLazyNode GetFirstVisibleNoInit(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                  bool IncludeFiltered = false);
  PLazyNode GetNextVisible(PLazyNode Node, bool ConsiderChildrenAbove = true);
  PLazyNode GetNextVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove = true);
  PLazyNode GetPreviousVisible(PLazyNode Node, bool ConsiderChildrenAbove = true);
  PLazyNode GetPreviousVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove = true);
  PLazyNode GetLastVisible(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true, bool IncludeFiltered = false);
  PLazyNode GetLastVisibleNoInit(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                 bool IncludeFiltered = false);
  PLazyNode GetFirstVisibleChild(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetFirstVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetLastVisibleChild(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetLastVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetNextVisibleSibling(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetNextVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetPreviousVisibleSibling(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetPreviousVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetVisibleParent(PLazyNode Node, bool IncludeFiltered = false);
  PLazyNode GetFirstLeaf();
  PLazyNode GetNextLeaf(PLazyNode Node);
  PLazyNode GetPreviousLeaf(PLazyNode Node);
  PLazyNode GetFirstLevel(Cardinal NodeLevel);
  PLazyNode GetNextLevel(PLazyNode Node, Cardinal NodeLevel);
  PLazyNode GetPreviousLevel(PLazyNode Node, Cardinal NodeLevel);
  PLazyNode GetFirstInitialized(bool ConsiderChildrenAbove = false);
  PLazyNode GetNextInitialized(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetPreviousInitialized(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetLastInitialized(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = false);
  PLazyNode GetFirstSelected(bool ConsiderChildrenAbove = false);
  PLazyNode GetNextSelected(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetPreviousSelected(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetFirstChecked(TCheckState State = csCheckedNormal, bool ConsiderChildrenAbove = false);
  PLazyNode GetNextChecked(PLazyNode Node, TCheckState State = csCheckedNormal, bool ConsiderChildrenAbove = false);
  PLazyNode GetPreviousChecked(PLazyNode Node, TCheckState State = csCheckedNormal,
                               bool ConsiderChildrenAbove = false);
  PLazyNode GetFirstCutCopy(bool ConsiderChildrenAbove = false);
  PLazyNode GetNextCutCopy(PLazyNode Node, bool ConsiderChildrenAbove = false);
  PLazyNode GetPreviousCutCopy(PLazyNode Node, bool ConsiderChildrenAbove = false);
  Cardinal GetNodeLevel(PLazyNode Node) const;
  bool HasAsParent(PLazyNode Node, PLazyNode PotentialParent) const;
  Cardinal AbsoluteIndex(PLazyNode Node);
  Integer CompareNodePositions(PLazyNode Node1, PLazyNode Node2, bool ConsiderChildrenAbove = false) const;
  Integer CountLevelDifference(PLazyNode Node1, PLazyNode Node2) const;
  PLazyNode IterateSubtree(PLazyNode Node, const TVTGetNodeProc& Callback, Pointer Data,
                           TLazyNodeStates Filter = {}, bool DoInit = false, bool ChildNodesOnly = false);

  TVTLazyNodeEnumeration Nodes(bool ConsiderChildrenAbove = false);
  TVTLazyNodeEnumeration CheckedNodes(TCheckState State = csCheckedNormal, bool ConsiderChildrenAbove = false);
  TVTLazyNodeEnumeration ChildNodes(PLazyNode Node);
  TVTLazyNodeEnumeration CutCopyNodes(bool ConsiderChildrenAbove = false);
  TVTLazyNodeEnumeration InitializedNodes(bool ConsiderChildrenAbove = false);
  TVTLazyNodeEnumeration LeafNodes();
  TVTLazyNodeEnumeration LevelNodes(Cardinal NodeLevel);
  TVTLazyNodeEnumeration NoInitNodes(bool ConsiderChildrenAbove = false);
  TVTLazyNodeEnumeration SelectedNodes(bool ConsiderChildrenAbove = false);
  TVTLazyNodeEnumeration VisibleNodes(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                      bool IncludeFiltered = false);
  TVTLazyNodeEnumeration VisibleChildNodes(PLazyNode Node, bool IncludeFiltered = false);
  TVTLazyNodeEnumeration VisibleChildNoInitNodes(PLazyNode Node, bool IncludeFiltered = false);
  TVTLazyNodeEnumeration VisibleNoInitNodes(PLazyNode Node = nullptr, bool ConsiderChildrenAbove = true,
                                            bool IncludeFiltered = false);

  // --- Position cache
  PLazyNode GetNodeAt(Integer X, Integer Y, bool Relative, Integer& NodeTop);
  PLazyNode GetNodeAt(Integer X, Integer Y);
  PLazyNode GetNodeAt(const TPoint& P);
  void InvalidateCache();
  virtual void ValidateCache();
  void InterruptValidation();
  Integer CalculateCacheEntryCount() const;
  PLazyNode FindInPositionCache(PLazyNode Node, Cardinal& CurrentPos) const;
  PLazyNode FindInPositionCache(Cardinal Position, Cardinal& CurrentPos) const;
  const TCache& PositionCache() const { return FPositionCache; }

  // --- Small operations of the tree class
  TRect GetTreeRect();
  // Prints every visible node (under the header with PrintHeader and a
  // visible header) at the screen's scale of the printer's text, over as
  // many pages across and down as it takes. Nothing for a nil printer.
  void Print(TPrinter* Printer, bool PrintHeader);
  PLazyNode FocusedNode() const { return FFocusedNode; }
  void SetFocusedNode(PLazyNode Node);
  bool CanFocus() override;
  virtual void UpdateDesigner();

  // --- Events
  TVTInitNodeEvent OnInitNode;
  TVTInitChildrenEvent OnInitChildren;
  TVTGetNodeDataSizeEvent OnGetNodeDataSize;
  TVTFreeNodeEvent OnFreeNode;
  TVTChangeEvent OnResetNode;
  TVTChangeEvent OnChange;
  TVTStructureChangeEvent OnStructureChange;
  TVTUpdatingEvent OnUpdating;
  TVTStateChangeEvent OnStateChange;
  TVTOperationEvent OnStartOperation;
  TVTOperationEvent OnEndOperation;
  TVTMeasureItemEvent OnMeasureItem;
  TVTChangingEvent OnExpanding;
  TVTChangingEvent OnCollapsing;
  TVTChangeEvent OnExpanded;
  TVTChangeEvent OnCollapsed;
  TVTCheckChangingEvent OnChecking;
  TVTChangeEvent OnChecked;
  TVTCompareEvent OnCompareNodes;
  TVTNodeMovingEvent OnNodeMoving;
  TVTChangeEvent OnNodeMoved;
  TVTNodeCopyingEvent OnNodeCopying;
  TVTChangeEvent OnNodeCopied;
  TVTFocusChangingEvent OnFocusChanging;
  TVTColumnClickEvent OnColumnClick;
  TVTColumnDblClickEvent OnColumnDblClick;
  TVTCanSplitterResizeColumnEvent OnCanSplitterResizeColumn;
  TVTCanSplitterResizeHeaderEvent OnCanSplitterResizeHeader;
  TVTGetCellIsEmptyEvent OnGetCellIsEmpty;
  TVTHeaderNotifyEvent OnColumnResize;
  TVTHeaderClickEvent OnHeaderClick;
  TVTHeaderClickEvent OnHeaderDblClick;
  TVTHeaderMouseEvent OnHeaderMouseDown;
  TVTHeaderMouseEvent OnHeaderMouseUp;
  TVTHeaderMouseMoveEvent OnHeaderMouseMove;
  TVTHeaderDraggingEvent OnHeaderDragging;
  TVTHeaderDraggedEvent OnHeaderDragged;
  TVTHeaderDraggedOutEvent OnHeaderDraggedOut;
  TVTGetHeaderCursorEvent OnGetHeaderCursor;
  TVTBeforeAutoFitColumnsEvent OnBeforeAutoFitColumns;
  TVTBeforeAutoFitColumnEvent OnBeforeAutoFitColumn;
  TVTHeaderNotifyEvent OnAfterAutoFitColumn;
  TVTAfterAutoFitColumnsEvent OnAfterAutoFitColumns;
  TVTBeforeColumnWidthTrackingEvent OnBeforeColumnWidthTracking;
  TVTColumnWidthTrackingEvent OnColumnWidthTracking;
  TVTAfterColumnWidthTrackingEvent OnAfterColumnWidthTracking;
  TVTBeforeHeaderHeightTrackingEvent OnBeforeHeaderHeightTracking;
  TVTHeaderHeightTrackingEvent OnHeaderHeightTracking;
  TVTAfterHeaderHeightTrackingEvent OnAfterHeaderHeightTracking;
  TVTHeaderHeightDblClickResizeEvent OnHeaderHeightDblClickResize;
  TVTColumnWidthDblClickResizeEvent OnColumnWidthDblClickResize;
  TVTPopupEvent OnGetPopupMenu;
  TVTBeforeGetMaxColumnWidthEvent OnBeforeGetMaxColumnWidth;
  TVTAfterGetMaxColumnWidthEvent OnAfterGetMaxColumnWidth;
  TVTFocusChangeEvent OnFocusChanged;
  TVTAddToSelectionEvent OnAddToSelection;
  TVTRemoveFromSelectionEvent OnRemoveFromSelection;
  TVTHeaderPaintEvent OnHeaderDraw;
  TVTHeaderPaintQueryElementsEvent OnHeaderDrawQueryElements;
  TVTAdvancedHeaderPaintEvent OnAdvancedHeaderDraw;

  // --- Settings and events of the hint, drag, clipboard, editing, search,
  // export, stream, scrolling and input code (see their types above)
  const String& AccessibleName() const { return FAccessibleName; }
  void SetAccessibleName(const String& Value) { FAccessibleName = Value; }
  Cardinal AutoExpandDelay() const { return FAutoExpandDelay; }
  void SetAutoExpandDelay(Cardinal Value) { FAutoExpandDelay = Value; }
  TClipboardFormats* ClipboardFormats() const { return FClipboardFormats.get(); }
  void SetClipboardFormats(TClipboardFormats* Value);
  TVTNodeAttachMode DefaultPasteMode() const { return FDefaultPasteMode; }
  void SetDefaultPasteMode(TVTNodeAttachMode Value) { FDefaultPasteMode = Value; }
  Integer DragHeight() const { return FDragHeight; }
  void SetDragHeight(Integer Value) { FDragHeight = Value; }
  Integer DragWidth() const { return FDragWidth; }
  void SetDragWidth(Integer Value) { FDragWidth = Value; }
  TVTDragImageKind DragImageKind() const { return FDragImageKind; }
  void SetDragImageKind(TVTDragImageKind Value) { FDragImageKind = Value; }
  TDragOperations DragOperations() const { return FDragOperations; }
  void SetDragOperations(TDragOperations Value) { FDragOperations = Value; }
  TVTDragType DragType() const { return FDragType; }
  void SetDragType(TVTDragType Value) { FDragType = Value; }
  Cardinal EditDelay() const { return FEditDelay; }
  void SetEditDelay(Cardinal Value) { FEditDelay = Value; }
  TVTHintAnimationType HintAnimation() const { return FAnimationType; }
  void SetHintAnimation(TVTHintAnimationType Value) { FAnimationType = Value; }
  TVTHintMode HintMode() const { return FHintMode; }
  void SetHintMode(TVTHintMode Value) { FHintMode = Value; }
  TCursor HotCursor() const { return FHotCursor; }
  void SetHotCursor(TCursor Value) { FHotCursor = Value; }
  TVTIncrementalSearch IncrementalSearch() const { return FIncrementalSearch; }
  void SetIncrementalSearch(TVTIncrementalSearch Value) { SetSearchOption(Value); }
  TVTSearchDirection IncrementalSearchDirection() const { return FSearchDirection; }
  void SetIncrementalSearchDirection(TVTSearchDirection Value) { FSearchDirection = Value; }
  TVTSearchStart IncrementalSearchStart() const { return FSearchStart; }
  void SetIncrementalSearchStart(TVTSearchStart Value) { FSearchStart = Value; }
  Cardinal IncrementalSearchTimeout() const { return FSearchTimeout; }
  void SetIncrementalSearchTimeout(Cardinal Value) { FSearchTimeout = Value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  // The hint kind a node gets when OnGetHintKind does not say.
  virtual TVTHintKind GetDefaultHintKind() const { return vhkText; }
  // 0 when Node matches SearchText (OnIncrementalSearch decides; without
  // it every node matches here, descendants compare their text).
  virtual Integer DoIncrementalSearch(PLazyNode Node, const String& Text);
  void SetSearchOption(TVTIncrementalSearch Value);
  // The hint and tooltip text of a cell (empty unless a descendant has one).
  virtual String DoGetNodeHint(PLazyNode Node, TColumnIndex Column, TVTTooltipLineBreakStyle& LineBreakStyle);
  virtual String DoGetNodeTooltip(PLazyNode Node, TColumnIndex Column, TVTTooltipLineBreakStyle& LineBreakStyle);
  // The editor's text geometry of a cell: an empty rectangle and text, the
  // tree's font; the string tree fills them in.
  virtual void GetTextInfo(PLazyNode Node, TColumnIndex Column, TFont* AFont, TRect& R, String& Text);
  TVTHintKindEvent OnGetHintKind;
  TVTGetHintSizeEvent OnGetHintSize;
  TVTDrawHintEvent OnDrawHint;
  TVTIncrementalSearchEvent OnIncrementalSearch;
  TVTTreeExportEvent OnBeforeTreeExport, OnAfterTreeExport, OnBeforeHeaderExport, OnAfterHeaderExport;
  TVTColumnExportEvent OnBeforeColumnExport, OnColumnExport, OnAfterColumnExport;
  TVTNodeExportEvent OnBeforeNodeExport, OnNodeExport, OnAfterNodeExport;
  TVTCreateDataObjectEvent OnCreateDataObject;
  TVTCreateDragManagerEvent OnCreateDragManager;
  const TVTCreateEditorEvent& OnCreateEditor() const { return FOnCreateEditor; }
  void SetOnCreateEditor(const TVTCreateEditorEvent& Value) { FOnCreateEditor = Value; }
  TVTDragAllowedEvent OnDragAllowed;
  const TVTEditChangingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(const TVTEditChangingEvent& Value) { FOnEditing = Value; }
  const TVTEditChangeEvent& OnEdited() const { return FOnEdited; }
  void SetOnEdited(const TVTEditChangeEvent& Value) { FOnEdited = Value; }
  const TVTEditCancelEvent& OnEditCancelled() const { return FOnEditCancelled; }
  void SetOnEditCancelled(const TVTEditCancelEvent& Value) { FOnEditCancelled = Value; }
  TVTGetCursorEvent OnGetCursor;
  const TVTHelpContextEvent& OnGetHelpContext() const { return FOnGetHelpContext; }
  void SetOnGetHelpContext(const TVTHelpContextEvent& Value) { FOnGetHelpContext = Value; }
  TVTGetUserClipboardFormatsEvent OnGetUserClipboardFormats;
  TVTRenderOLEDataEvent OnRenderOLEData;
  TVTHotNodeChangeEvent OnHotChange;
  const TVTKeyActionEvent& OnKeyAction() const { return FOnKeyAction; }
  void SetOnKeyAction(const TVTKeyActionEvent& Value) { FOnKeyAction = Value; }
  TVTSaveNodeEvent OnSaveNode, OnLoadNode;
  TVTSaveTreeEvent OnSaveTree, OnLoadTree;
  TVTNodeClickEvent OnNodeClick, OnNodeDblClick;
  TVTCanSplitterResizeNodeEvent OnCanSplitterResizeNode;
  TVTNodeHeightTrackingEvent OnNodeHeightTracking;
  TVTNodeHeightDblClickResizeEvent OnNodeHeightDblClickResize;

  // Published access to the event members (Field: a pointer to an event
  // member of this class or a descendant the object belongs to).
  template <auto Field>
  const auto& GetPublishedEvent() const {
    using Owner = typename TMemberOwner<decltype(Field)>::Class;
    return static_cast<const Owner*>(this)->*Field;
  }
  template <auto Field>
  void SetPublishedEvent(const typename TMemberOwner<decltype(Field)>::Type& Value) {
    using Owner = typename TMemberOwner<decltype(Field)>::Class;
    static_cast<Owner*>(this)->*Field = Value;
  }
  // A 3D look taken from the parent is not written (the other values taken
  // from the parent follow the control's own rules).
  bool IsCtl3DStored() const { return !ParentCtl3D(); }

 protected:
  String FAccessibleName;
  Cardinal FAutoExpandDelay = 1000;
  std::unique_ptr<TClipboardFormats> FClipboardFormats;
  TVTNodeAttachMode FDefaultPasteMode = amAddChildLast;
  Integer FDragHeight = 350;
  Integer FDragWidth = 200;
  TVTDragImageKind FDragImageKind = diComplete;
  TDragOperations FDragOperations{doCopy, doMove};
  TVTDragType FDragType = dtOLE;
  Cardinal FEditDelay = 1000;
  TVTHintAnimationType FAnimationType = hatSystemDefault;
  TVTHintMode FHintMode = hmDefault;
  TCursor FHotCursor = crDefault;
  TVTIncrementalSearch FIncrementalSearch = TVTIncrementalSearch::isNone;
  TVTSearchDirection FSearchDirection = sdForward;
  TVTSearchStart FSearchStart = ssFocusedNode;
  Cardinal FSearchTimeout = 1000;
  bool FWantTabs = false;
  TVTBeforeDrawLineImageEvent FOnBeforeDrawLineImage;
  TVTGetImageEvent FOnGetImage;
  TVTGetImageExEvent FOnGetImageEx;
  TVTCreateEditorEvent FOnCreateEditor;
  TVTEditChangingEvent FOnEditing;
  TVTEditChangeEvent FOnEdited;
  TVTEditCancelEvent FOnEditCancelled;
  TVTHelpContextEvent FOnGetHelpContext;
  TVTKeyActionEvent FOnKeyAction;

 public:
  void Dispatch(TMessage& Message) override;

  // The worker thread runs this (never initializes or measures a node).
  virtual bool DoValidateCache();

 protected:
  friend class TCustomLazyTreeOptions;
  friend class TVTHeader;
  friend class TLazyTreeColumns;
  friend class TLazyTreeHintWindow;
  friend class TLazyTreeColumn;
  friend class TWorkerThread;
  friend struct TVTLazyNodeEnumeration;

  // --- Allocation and initialization
  PLazyNode MakeNewNode();
  void InitRootNode(Cardinal OldSize = 0);
  virtual Cardinal AllocateInternalDataArea(Cardinal Size);
  virtual void InitNode(PLazyNode Node);
  virtual void InitChildren(PLazyNode Node);
  virtual void DoInitNode(PLazyNode Parent, PLazyNode Node, TLazyNodeInitStates& InitStates);
  virtual void DoInitChildren(PLazyNode Node, Cardinal& ChildCount);
  virtual void ValidateNodeDataSize(Integer& Size);
  virtual void DoFreeNode(PLazyNode Node);
  virtual void DoReset(PLazyNode Node);
  virtual void DoMeasureItem(TCanvas* TargetCanvas, PLazyNode Node, Integer& NodeHeight);
  virtual Pointer InternalData(PLazyNode Node);
  virtual Integer DoGetNodeWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);
  virtual Integer DoGetNodeExtraWidth(PLazyNode Node, TColumnIndex Column, TCanvas* Canvas = nullptr);

  // --- Structure internals
  Cardinal GetRootNodeCount() const;
  Cardinal GetTotalCount();
  virtual void InternalConnectNode(PLazyNode Node, PLazyNode Destination, TBaseLazyTree_qn* Target,
                                   TVTNodeAttachMode Mode);
  virtual void InternalDisconnectNode(PLazyNode Node, bool KeepFocus, bool Reindex = true);
  void AdjustTotalCount(PLazyNode Node, Integer Value, bool Relative = false);
  void AdjustTotalHeight(PLazyNode Node, Integer Value, bool Relative = false);
  // What a toggle does to the totals and asks of the view, cheaper while a
  // full expand or collapse walks the tree (LazyTrees_qn_Toggle.cpp).
  struct TDeferredHeights;
  TDeferredHeights* FDeferredHeights = nullptr;
  void AdjustToggledHeight(PLazyNode Node, Integer Value, bool Relative);
  bool FullyVisibleInWalk(PLazyNode Node) const;
  void FixupTotalCount(PLazyNode Node);
  void FixupTotalHeight(PLazyNode Node);
  virtual Cardinal CountVisibleChildren(PLazyNode Node);
  // The walks of the recursive ValidateNode/ValidateChildren and
  // ReinitNode/ReinitChildren over Node's descendants.
  void ValidateSubtree(PLazyNode Node);
  void ReinitOne(PLazyNode Node);
  void ReinitSubtree(PLazyNode Node);
  virtual void DetermineHiddenChildrenFlag(PLazyNode Node);
  virtual void DetermineHiddenChildrenFlagAllNodes();
  void InternalCacheNode(PLazyNode Node);
  void ClearTempCache();
  // The row height a node adds to its own total (0 while filtered out).
  Cardinal OwnRowHeight(PLazyNode Node) const;

  // --- Batches and notification
  void SetUpdateState(bool Updating);
  virtual void DoUpdating(TVTUpdateState State);
  virtual void StructureChange(PLazyNode Node, TChangeReason Reason);
  virtual void Change(PLazyNode Node);
  virtual void AdviseChangeEvent(bool StructureChange, PLazyNode Node, TChangeReason Reason);
  virtual void DoChange(PLazyNode Node);
  virtual void DoStructureChange(PLazyNode Node, TChangeReason Reason);
  virtual void DoStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave = {});
  virtual void DoStartOperation(TVTOperationKind OperationKind);
  virtual void DoEndOperation(TVTOperationKind OperationKind);
  void StopTimer(UINT_PTR ID);
  void WMTimer(TMessage& Message);

  // --- Incremental search and the window timers
  // One search step for a typed character (0 only restarts the time-out).
  virtual void HandleIncrementalSearch(Word CharCode);
  // The delayed work of the expand timer.
  virtual void DoDragExpand();
  // Focus loss and cancel mode end searches, pending edits, drags and the
  // timers that would act on them later.
  void WMKillFocus(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  bool TimerDispatch(TMessage& Message);
  void StartSearchTimer();
  void EndIncrementalSearch();
  void RepaintForFocusChange();
  // --- end of incremental search and timers

  void WMChangeState(TMessage& Message);

  // --- Expanding and collapsing
  virtual bool DoExpanding(PLazyNode Node);
  virtual bool DoCollapsing(PLazyNode Node);
  virtual void DoExpanded(PLazyNode Node);
  virtual void DoCollapsed(PLazyNode Node);

  // --- Toggle animation
  // Calls Callback Steps / StepSize times spread over Duration milliseconds,
  // then once with (0, 0); nothing while another animation runs.
  virtual void Animate(Cardinal Steps, Cardinal Duration, const TVTAnimationCallback& Callback, Pointer Data);
  // Moves the regions of a TToggleAnimationData by one step.
  bool ToggleCallback(Integer Step, Integer StepSize, Pointer Data);
  // --- end of toggle animation

  // --- Window creation and persistence
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DefineProperties(TFiler* Filer) override;
  void ReadOldOptions(TReader* Reader);
  // The column the header names main (no column without columns).
  virtual TColumnIndex HeaderMainColumn() const;
  // Rebuilds the expand/collapse button pictures (the decoration code).
  virtual void PrepareBitmaps(bool NeedButtons, bool NeedLines);
  // The header's part of window creation: rescaling, auto-sized columns
  // and its rectangle.
  virtual void HeaderWindowCreated();
  // Registers the tree as drop target of its window, or takes it back.
  virtual void RegisterDropTarget(bool Register);
  void ImageListChange(TObject* Sender);

  // --- Hooks whose full behaviour lives with the display, input, selection
  // and editing code; the base tree answers their neutral defaults.
  // The node's row rectangle, invalidated without erasing.
  virtual TRect InvalidateNode(PLazyNode Node);
  virtual void InvalidateToBottom(PLazyNode Node);

  // --- In-place editing (LazyTrees_qn_Editing.cpp)
 public:
  // Focuses Node and edits its cell in Column; true when an editor opened.
  bool EditNode(PLazyNode Node, TColumnIndex Column);
  // Accept or drop the running edit; false when the editor keeps it.
  bool EndEditNode();
  bool CancelEditNode();

 protected:
  friend class TVTEdit;
  friend class TStringEditLink;
  virtual bool DoEndEdit();
  virtual bool DoCancelEdit();
  // OnEditing has the last word, also against the options.
  virtual void DoCanEdit(PLazyNode Node, TColumnIndex Column, bool& Allowed);
  // The editor OnCreateEditor supplies (nil when it gives none).
  virtual TIntf<IVTEditLink> DoCreateEditor(PLazyNode Node, TColumnIndex Column);
  // Lays the editor over the edited cell again after its geometry changed.
  virtual void UpdateEditBounds();
  TIntf<IVTEditLink> FEditLink;

 private:
  // Ends the edit of a node that is going, whatever the editor answers.
  void AbandonEdit();

  // --- Keyboard, help and the node popup menu (LazyTrees_qn_Keyboard.cpp)
 public:
  // The key action hook: OnKeyAction may change the key and the shift
  // state or swallow the key (False).
  virtual bool DoKeyAction(Word& CharCode, TShiftState& Shift);
  virtual bool IsEditing() const { return FStates.Contains(tsEditing); }
  // toEditable, an enabled tree and no toReadOnly, then OnEditing.
  virtual bool CanEdit(PLazyNode Node, TColumnIndex Column);
  // Starts editing the focused node in FEditColumn (F2, the edit timer).
  virtual void DoEdit();
  // Whether a right click or the Apps key on the cell would show a menu:
  // the control's PopupMenu or one that OnGetPopupMenu hands out.
  virtual bool HasPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position);

 protected:
  // The node's menu from OnGetPopupMenu, asking the ancestors in turn while
  // the handler lets it; Position is in client coordinates.
  virtual TPopupMenu* DoGetPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position);
  // Pops that menu up at Position (client coordinates) for the tree.
  virtual void DoPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position);
  // The keyboard messages; true when the message was handled there.
  bool KeyboardDispatch(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);

 private:
  // The key table's two halves: keys that move focus and selection, and
  // the rest (signs, Escape, Space, Apps, Ctrl+A, F1, F2, the search).
  void KeyNavigate(Word CharCode, TShiftState Shift);
  void KeyOther(Word CharCode, TShiftState Shift, LPARAM KeyData);
  void KeyTab(bool Backward);
  void KeyPageColumns(bool Backward);
  void KeyHomeEnd(Word CharCode, TShiftState Shift);
  void KeySpaceDown();
  void KeyShowHelp();
  // Puts a check pressed with the space bar back to its normal form.
  void DropKeyCheck();
  // --- end of keyboard block

  // --- Window messages, edit actions, tree-view queries and accessibility
  // (LazyTrees_qn_Messages.cpp)
 public:
  void ChangeScale(Integer M, Integer D) override;
  // The standard edit actions (cut, copy, delete, paste, select all) act on
  // the tree's nodes while it has the focus.
  bool UpdateAction(TBasicAction* Action) override;
  bool ExecuteAction(TBasicAction* Action) override;
  TAlignment GetControlsAlignment() const { return FAlignment; }
  // The hint animation to use: HintAnimation with the system's choice
  // resolved, and a slide where blending is unavailable.
  virtual THintAnimationType DoGetAnimationType();
  // --- Hints (LazyTrees_qn_Hints.cpp)
  virtual void DoGetHintKind(PLazyNode Node, TColumnIndex Column, TVTHintKind& Kind);
  virtual void DoGetHintSize(PLazyNode Node, TColumnIndex Column, TRect& R);
  virtual void DoDrawHint(TCanvas* Canvas, PLazyNode Node, const TRect& R, TColumnIndex Column);
  virtual TClass GetHintWindowClass();
  void CMHintShow(TMessage& Message);
  void CMHintShowPause(TMessage& Message);
  bool HintsDispatch(TMessage& Message);
  // Hides this tree's hint and lets go of the hint window's data; run when
  // the tree goes.
  void ReleaseHints();
  TVTHintData FHintData;
  TRect FLastHintRect;
  // Lives exactly as long as the tree: a hint animation that pumps
  // messages holds a weak reference and stops once the tree is gone.
  std::shared_ptr<int> FLifeToken = std::make_shared<int>(0);
  // --- end of hints
  // The clipboard work of the edit actions; the base tree has no transfer
  // of its own and does nothing (PasteFromClipboard: False).
  virtual void CutToClipBoard();
  virtual void CopyToClipBoard();
  virtual bool PasteFromClipboard();

  // --- Clipboard transfer and drop processing (LazyTrees_qn_Clipboard.cpp)
  // Renders this tree's pending copy or cut into the clipboard for good, so
  // that it outlives the tree; the marks go.
  void FlushClipboard();
  // Inserts the nodes of a dropped data object at TargetNode; applications
  // call it from OnDragDrop. Effect comes back DROPEFFECT_NONE when the
  // nodes were moved here already or nothing could be inserted.
  bool ProcessDrop(IDataObject* DataObject, PLazyNode TargetNode, Integer& Effect, TVTNodeAttachMode Mode);
  // The insertion both paste and drop use: an optimized transfer moves the
  // source tree's nodes themselves, else copies are read from the data.
  bool ProcessOLEData(TBaseLazyTree_qn* Source, IDataObject* DataObject, PLazyNode TargetNode,
                      TVTNodeAttachMode Mode, bool Optimized);
  void WMCopy(TMessage& Message);
  void WMCut(TMessage& Message);
  void WMPaste(TMessage& Message);
  // The nodes of a running drag, sorted; a node freed meanwhile leaves it.
  TNodeArray FDragSelection;

  // --- Drag and drop (LazyTrees_qn_DragDrop.cpp)
  // The tree's OLE drop source and drop target, made on first use.
  TVTDragManager* DragManager();
  TVTDragManager* GetDragManager() { return DragManager(); }
  virtual TIntf<IVTDragManager> DoCreateDragManager();
  // Runs the OLE drag loop with the allowed effects; DragEffect the result.
  virtual void DragAndDrop(DWORD AllowedEffects, IDataObject* DataObject, DWORD& DragEffect);
  // Target side, called by the drag manager (Pt in screen coordinates).
  virtual HRESULT DragEnter(Integer KeyState, TPoint Pt, DWORD& Effect);
  using inherited::DragOver;
  virtual HRESULT DragOver(TObject* Source, Integer KeyState, TDragState DragState, TPoint Pt, DWORD& Effect);
  virtual void DragLeave();
  using inherited::DragDrop;
  virtual HRESULT DragDrop(IDataObject* DataObject, Integer KeyState, TPoint Pt, DWORD& Effect);
  virtual bool DoDragOver(TObject* Source, TShiftState Shift, TDragState State, TPoint Pt, TDropMode Mode,
                          DWORD& Effect);
  virtual void DoDragDrop(TObject* Source, IDataObject* DataObject, const TFormatArray& Formats, TShiftState Shift,
                          TPoint Pt, DWORD& Effect, TDropMode Mode);
  // Where a drop at P (client coordinates) would go.
  virtual TDropMode DetermineDropMode(TPoint P, THitInfo& HitInfo, const TRect& NodeRect);
  virtual DWORD SuggestDropEffect(TObject* Source, TShiftState Shift, TPoint Pt, DWORD AllowedEffects);
  // Ends the button state a drag left behind.
  virtual void DragFinished();
  // The class library's own dragging (CM_DRAG); False leaves the message to
  // the control's default handling.
  bool CMDrag(TMessage& Message);
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
  void DragCanceled() override;
  TDropMode LastDropMode() const { return FLastDropMode; }
  PLazyNode DropTargetNode() const { return FDropTargetNode; }
  DWORD LastDragEffect() const { return FLastDragEffect; }
  // The tree's own drag events: the effect, the drop mode and, on a drop,
  // the data object with its formats. They hide the control's events of the
  // same names, which a tree never fires: its drags of either kind end in
  // DoDragOver and DoDragDrop. The setters hide the control's as well, so a
  // handler of the control's kind cannot be set where nothing would call it.
  TVTDragOverEvent OnDragOver;
  TVTDragDropEvent OnDragDrop;
  void SetOnDragOver(const TVTDragOverEvent& Value) { OnDragOver = Value; }
  void SetOnDragDrop(const TVTDragDropEvent& Value) { OnDragDrop = Value; }

 private:
  friend class TVTDragManager;
  TIntf<IVTDragManager> FDragManagerRef;
  TVTDragManager* FDragManager = nullptr;
  DWORD FLastDragEffect = DROPEFFECT_NONE;
  DWORD FVCLDragEffect = DROPEFFECT_NONE;

 private:
  // Takes this tree's own object off the clipboard if it is still there.
  void ReleaseClipboardObject();
  TIntf<IDataObject> FClipboardObject;

 public:

  // --- OLE data transfer (LazyTrees_qn_DataObject.cpp)
  // The registry's formats of this class that ClipboardFormats names, in
  // priority order, then the application's.
  virtual void GetNativeClipboardFormats(TFormatEtcArray& Formats);
  virtual void DoGetUserClipboardFormats(TFormatEtcArray& Formats);
  // The application's data object (nil without OnCreateDataObject).
  virtual TIntf<IDataObject> DoCreateDataObject();
  virtual HRESULT RenderOLEData(const TFormatEtc& FormatEtcIn, TStgMedium& Medium, bool ForClipboard);
  virtual HRESULT DoRenderOLEData(const TFormatEtc& FormatEtcIn, TStgMedium& Medium, bool ForClipboard);
  // The live tree of this process a data object refers to, else nil.
  virtual TBaseLazyTree_qn* GetTreeFromDataObject(IDataObject* DataObject);
  // Whether Node is a node of this tree that exists now (the hidden root
  // is not one). Node is only compared, never read, unless it is one of
  // the tree's own blocks: handles from other programs may be anything.
  bool IsLiveNode(const void* Node) const;
  // The accessible objects of the tree and of its focused item, made
  // through the accessibility factory on the first WM_GETOBJECT.
  IAccessible* Accessible() const { return FAccessible.get(); }
  IAccessible* AccessibleItem() const { return FAccessibleItem.get(); }

 protected:
  // The remaining window messages; true when the message was handled there.
  bool MessagesDispatch(TMessage& Message);
  void DoEnter() override;
  void WMNCDestroy(TMessage& Message);
  void WMEnable(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMDenySubclassing(TMessage& Message);
  void WMGetObject(TMessage& Message);
  void TVMGetItem(TMessage& Message);
  void TVMGetItemRect(TMessage& Message);
  void TVMGetNextItem(TMessage& Message);
  // A press on the frame or the header focuses the tree first.
  void FocusOnNonClientPress(const TMessage& Message);
  // The end of focus loss: an embedded OLE object that took the focus keeps
  // it (the form forgets the tree as its active control).
  void HandOverFocusToEmbeddedObject();
  TIntf<IAccessible> FAccessible;
  TIntf<IAccessible> FAccessibleItem;

 protected:

  // --- Selection and focus internals
  virtual void DoFocusNode(PLazyNode Node, bool Ask);
  virtual bool DoFocusChanging(PLazyNode OldNode, PLazyNode NewNode, TColumnIndex OldColumn, TColumnIndex NewColumn);
  virtual void DoFocusChange(PLazyNode Node, TColumnIndex Column);
  virtual void DoRemoveFromSelection(PLazyNode Node);
  virtual void ResetRangeAnchor();
  bool InternalAddToSelection(PLazyNode Node, bool ForceInsert);
  virtual bool InternalAddToSelection(const TNodeArray& NewItems, Integer NewLength, bool ForceInsert);
  virtual void InternalRemoveFromSelection(PLazyNode Node);
  virtual void InternalClearSelection();
  virtual bool FindNodeInSelection(PLazyNode P, Integer& Index, Integer LowBound, Integer HighBound);
  // Removes the marked entries of the first Count; -1 for an empty array,
  // else the number kept. The form without arguments packs the selection.
  static Integer PackArray(TNodeArray& TheArray, Integer Count);
  Integer PackArray() { return PackArray(FSelection, FSelectionCount); }
  // Whether an accessible object of the tree's item exists (made on a
  // screen reader's first request).
  virtual bool HasAccessibleItem() const { return FAccessibleItem != nullptr; }
  // The column rules of the header as focus and selection see them.
  virtual bool HeaderUsesColumns() const;
  virtual bool HeaderAllowsFocus(TColumnIndex Column) const;
  virtual bool HeaderColumnValid(TColumnIndex Column) const;
  virtual bool HeaderColumnVisible(TColumnIndex Column) const;
  virtual TColumnIndex HeaderFirstVisibleFocusColumn() const;
  // --- Column and header relays
  virtual void DoColumnClick(TColumnIndex Column, TShiftState Shift);
  virtual void DoColumnDblClick(TColumnIndex Column, TShiftState Shift);
  virtual bool ColumnIsEmpty(PLazyNode Node, TColumnIndex Column);
  virtual void DoColumnResize(TColumnIndex Column);
  virtual void MainColumnChanged();
  virtual void DoHeaderClick(const TVTHeaderHitInfo& HitInfo);
  virtual void DoHeaderDblClick(const TVTHeaderHitInfo& HitInfo);
  virtual void DoHeaderMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void DoHeaderMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void DoHeaderMouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual bool DoHeaderDragging(TColumnIndex Column);
  virtual void DoHeaderDragged(TColumnIndex Column, Integer OldPosition);
  virtual void DoHeaderDraggedOut(TColumnIndex Column, TPoint DropPosition);
  virtual void DoGetHeaderCursor(HCURSOR& Cursor);
  virtual void DoHeaderDraw(TCanvas* Canvas, TLazyTreeColumn* Column, const TRect& R, bool Hover, bool Pressed,
                            TVTDropMarkMode DropMark);
  virtual void DoHeaderDrawQueryElements(THeaderPaintInfo& PaintInfo, THeaderPaintElements& Elements);
  virtual void DoAdvancedHeaderDraw(THeaderPaintInfo& PaintInfo, const THeaderPaintElements& Elements);
  // The header's share of the non-client area: its band above the client
  // area, border hit-testing over it, and its picture in printed windows.
  // True when the message was handled there.
  bool HeaderAreaDispatch(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMPrint(TMessage& Message);
  // Where the header asked for a repaint (window coordinates); the header
  // painting code repaints from it.
  virtual void NoteHeaderInvalidated(const TRect& R) { (void)R; }

  virtual void InvalidateColumn(TColumnIndex Column);
  // Check state changes with their events and propagation.
  virtual bool DoChecking(PLazyNode Node, TCheckState& NewCheckState);
  virtual void DoCheckClick(PLazyNode Node, TCheckState NewCheckState);
  virtual void DoChecked(PLazyNode Node);
  bool ChangeCheckState(PLazyNode Node, TCheckState Value);
  virtual bool CheckParentCheckState(PLazyNode Node, TCheckState NewCheckState);
  // The state Node's parent takes from its check-box children, Node counted
  // with NewCheckState.
  TCheckState ParentCheckStateOf(PLazyNode Node, TCheckState NewCheckState);
  // Moving, copying and comparing.
  virtual bool DoNodeMoving(PLazyNode Node, PLazyNode Target);
  virtual void DoNodeMoved(PLazyNode Node);
  virtual bool DoNodeCopying(PLazyNode Node, PLazyNode Target);
  virtual void DoNodeCopied(PLazyNode Node);
  virtual Integer DoCompare(PLazyNode Node1, PLazyNode Node2, TColumnIndex Column);
  // Whether the tree can compare nodes at all: OnCompareNodes is assigned.
  // A descendant that compares in DoCompare answers true here.
  virtual bool CanCompareNodes() const { return Assigned(OnCompareNodes); }
  // Automatic sorting is on, a sort column is set and nodes can be compared.
  bool AutoSortAllowed() const;
  void CancelHintAndLeave();
  void EmptyClipboardMarks();

  // One load of top-level node chunks into this tree (a stream, a move, a
  // copy, a paste; LazyTrees_qn_Stream.cpp). A load that is not committed
  // takes its nodes away again, so one that fails leaves the tree as it
  // was; the selected nodes read join the selection in one go at the end,
  // since merging them top-level node by top-level node costs the size of
  // the selection each time.
  class TNodeLoad {
   public:
    explicit TNodeLoad(TBaseLazyTree_qn* Tree);
    ~TNodeLoad();
    TNodeLoad(const TNodeLoad&) = delete;
    TNodeLoad& operator=(const TNodeLoad&) = delete;
    // A new node connected to Target by Mode and read from Stream.
    PLazyNode Read(TStream* Stream, Integer Version, PLazyNode Target, TVTNodeAttachMode Mode);
    // Deletes the node read last again (a refused copy).
    void DropLast();
    void Commit();
    const TNodeArray& Added() const { return FAdded; }

   private:
    TBaseLazyTree_qn* FTree;
    TNodeArray* FOuter;
    TNodeArray FAdded;
    TNodeArray FSelected;
    // Where each added node's selected nodes start in FSelected.
    std::vector<size_t> FFirstSelected;
    // Nodes freed while the load ran, not by the load itself: a handler
    // deleted nodes, and the lists may hold nodes that are gone.
    bool HostFreedNodes() const;
    UInt64 FFreedBefore;
    UInt64 FFreedByLoad = 0;
    bool FDone = false;
  };

  // --- Fields (the node model's, in declaration order, then the others)
  PLazyNode FRoot = nullptr;
  Cardinal FDefaultNodeHeight = 18;
  Cardinal FIndent = 18;
  mutable std::unique_ptr<TCustomLazyTreeOptions> FOptions;
  Cardinal FUpdateCount = 0;
  Cardinal FSynchUpdateCount = 0;
  Integer FNodeDataSize = -1;
  TLazyTreeStates FStates;
  PLazyNode FLastSelected = nullptr;
  PLazyNode FFocusedNode = nullptr;
  TChangeReason FLastStructureChangeReason = crIgnore;
  PLazyNode FLastStructureChangeNode = nullptr;
  PLazyNode FLastChangedNode = nullptr;
  PLazyNode FCurrentHotNode = nullptr;
  Cardinal FChangeDelay = 0;
  Cardinal FVisibleCount = 0;
  TNodeArray FSelection;
  Integer FSelectionCount = 0;
  bool FSelectionLocked = false;
  Integer FLastSelectionLevel = -1;
  PLazyNode FRangeAnchor = nullptr;
  PLazyNode FCheckNode = nullptr;
  TNodeArray FTempNodeCache;
  Cardinal FTempNodeCount = 0;
  PLazyNode FDropTargetNode = nullptr;
  PLazyNode FLastVCLDragTarget = nullptr;
  PLazyNode FLastSearchNode = nullptr;
  String FSearchBuffer;
  Integer FOffsetX = 0;
  Integer FOffsetY = 0;
  Integer FEffectiveOffsetX = 0;
  TNodeArray FSingletonNodeArray = TNodeArray(1);
  Cardinal FTotalInternalDataSize = 0;
  Cardinal FOperationCount = 0;
  bool FOperationCanceled = false;
  // The node reader running now (LazyTrees_qn_Stream.cpp), nil outside one.
  struct TNodeStreamReader* FStreamReader = nullptr;
  // The node whose base chunk and children WriteNode has written already,
  // for WriteChunks to finish; nil outside one.
  struct TWrittenNode* FWrittenNode = nullptr;
  // Deleting a subtree level by level with its own stack instead of the
  // native one (LazyTrees_qn_Nodes.cpp).
  struct TNodeDeletion;
  struct TChildDeletion;
  bool BeginNodeDeletion(TNodeDeletion& Step);
  void EndNodeDeletion(TNodeDeletion& Step, bool Reindex);
  bool BeginChildDeletion(TChildDeletion& Frame, const TChildDeletion* Outer);
  void EndChildDeletion(TChildDeletion& Frame);
  // The selected nodes the running load has read (TNodeLoad), nil outside one.
  TNodeArray* FLoadedSelection = nullptr;

  std::unique_ptr<TScrollBarOptions> FScrollBarOptions;
  std::unique_ptr<TVTHeader> FHeader;
  TRect FHeaderRect;

  TBorderStyle FBorderStyle = bsSingle;
  TCustomImageList* FImages = nullptr;
  TCustomImageList* FStateImages = nullptr;
  TCustomImageList* FCustomCheckImages = nullptr;
  TCheckImageKind FCheckImageKind = ckSystemDefault;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  std::unique_ptr<TChangeLink> FStateChangeLink;
  std::unique_ptr<TChangeLink> FCustomCheckChangeLink;
  // The drop target registration of the current window.
  bool FDropTargetRegistered = false;

  PLazyNode FHeightTrackNode = nullptr;
  PLazyNode FEditNode = nullptr;
  TColumnIndex FFocusedColumn = NoColumn;
  TColumnIndex FSortColumn = NoColumn;
  TSortDirection FSortDirection = sdAscending;
  TCheckState FPendingCheckState = csUncheckedNormal;
  Cardinal FCheckPropagationCount = 0;
  Cardinal FAnimationDuration = 200;
  Integer FSelectionCurveRadius = 0;
  Integer FRangeX = 0;
  bool FRangeXPending = false;
  Integer FRangeY = 0;
  Cardinal FStartIndex = 0;
  TCache FPositionCache;
  // Rows between two marks of the finer index the worker builds beside
  // the cache (see DoValidateCache).
  static constexpr Cardinal RowIndexStep = 32;
  TCache FRowIndex;
  // What the worker reads while the main thread runs: the stop request
  // mirrors tsStopValidation.
  std::atomic<bool> FStopValidation{false};
  // The window the worker sends its state changes to (set when the tree is
  // queued, cleared before the window goes).
  std::atomic<HWND> FValidationWindow{nullptr};
  void DestroyWnd() override;

 private:
  // Takes a selected node out of the array at once, lock or not (a node
  // that is being deleted must not stay in it).
  void RemoveSelectedNode(PLazyNode Node);
  void FreeNodeBlock(PLazyNode Node);
  void ClearReferencesTo(PLazyNode Node);
  // Where a toggled node sat in the view before the change, and how its
  // children fit there.
  struct TToggleView {
    bool Shown = false;  // a window, no batch, the node fully visible
    TRect R;             // the node's row, client coordinates
    Integer ClientHeight = 0;
    bool Holdable = false, InView = false, Fits = false, BottomIn = false;
    bool FullRepaint = false;
  };
  void ToggleExpand(PLazyNode Node, bool& NeedUpdate, Integer& HeightDelta, TToggleView& View);
  void ToggleCollapse(PLazyNode Node, bool& NeedUpdate, Integer& HeightDelta, TToggleView& View);
  void AnimateCollapse(PLazyNode Node, Integer HeightDelta, TToggleView& View);
  void AnimateExpand(PLazyNode Node, Integer HeightDelta, const TToggleView& View);
  void RunToggleAnimation(TToggleAnimationData& Data, Integer Amount1, Integer Amount2);
  void MoveAnimatedRegion(const TToggleAnimationData& Data, const TRect& R, TToggleAnimationMode Mode, Integer N);
  PLazyNode NextSiblingOfSubtree(PLazyNode Node) const;
  // The shown row at Position, walking from a shown node whose top is known.
  PLazyNode RowAt(PLazyNode Start, Cardinal StartTop, Cardinal Position, Cardinal& RowTop) const;
  // The same, walking back from a shown node below the position.
  PLazyNode RowBefore(PLazyNode Start, Cardinal StartTop, Cardinal Position, Cardinal& RowTop) const;

  // The walks, each written once for the initializing (Init = true) and
  // the NoInit form.
  bool ChildrenAbove(bool Consider) const;
  template <bool Init> void Touch(PLazyNode Node);
  template <bool Init> void Populate(PLazyNode Node);
  template <bool Init> PLazyNode WalkFirst(bool Above);
  template <bool Init> PLazyNode WalkNext(PLazyNode Node, bool Above);
  template <bool Init> PLazyNode WalkPrevious(PLazyNode Node, bool Above);
  template <bool Init> PLazyNode WalkLast(PLazyNode Node, bool Above);
  template <bool Init> PLazyNode FirstShownChild(PLazyNode Node);
  template <bool Init> PLazyNode LastShownChild(PLazyNode Node);
  template <bool Init> PLazyNode NextShownSibling(PLazyNode Node);
  template <bool Init> PLazyNode PrevShownSibling(PLazyNode Node);
  template <bool Init> PLazyNode ShownAfterSubtree(PLazyNode Node);
  template <bool Init> PLazyNode ShownBeforeSubtree(PLazyNode Node);
  template <bool Init> PLazyNode ShownDescend(PLazyNode Node);
  template <bool Init> PLazyNode ShownNext(PLazyNode Node, bool Above);
  // GetNextVisibleNoInit for a node the caller knows is shown (the previous
  // step of its walk gave it): the same node, without climbing to the root
  // to check, which made a walk over the rows of a deep tree quadratic.
  PLazyNode NextShownNoInit(PLazyNode Node);
  template <bool Init> PLazyNode ShownPrevious(PLazyNode Node, bool Above);
  template <bool Init> PLazyNode VisibleNext(PLazyNode Node, bool Above);
  template <bool Init> PLazyNode VisiblePrevious(PLazyNode Node, bool Above);
  template <bool Init> PLazyNode VisibleFirst(PLazyNode Node, bool Above, bool IncludeFiltered);
  template <bool Init> PLazyNode VisibleLast(PLazyNode Node, bool Above, bool IncludeFiltered);
  template <bool Init> PLazyNode VisibleChild(PLazyNode Node, bool Last, bool IncludeFiltered);
  template <bool Init> PLazyNode VisibleSibling(PLazyNode Node, bool Forward, bool IncludeFiltered);
  // The deepest fully visible ancestor of a node that is not shown, and the
  // node's ancestor (or the node) just below it.
  void FindShownAnchor(PLazyNode Node, PLazyNode& Shown, PLazyNode& Below) const;

  // Nodes live in fixed-size slabs: one allocation per node would cost the
  // allocator's header on top of every record and a call per node.
  class TNodePool {
   public:
    ~TNodePool();
    void* Allocate(Cardinal Size);  // zero-filled
    void Free(void* Block, Cardinal Size);
    Cardinal LiveCount() const { return FLive; }
    // Blocks freed since the pool was made: a running load tells by it
    // whether the host freed nodes while it ran.
    UInt64 FreedCount() const { return FFreed; }
    // Whether Block is a block of this pool handed out and not freed.
    bool Contains(const void* Block) const;

   private:
    // A freed block carries a mark made from its own address where a live
    // node keeps its height and flags; a live node whose bytes happened to
    // equal the mark would only be taken for a freed one, never the reverse.
    struct TFreeBlock {
      TFreeBlock* Next;
      uintptr_t Mark;
    };
    static constexpr uintptr_t FreeMark = uintptr_t(0x5A17F4EE0DDB10C5ULL);
    static size_t SlabBlocks(size_t SlabIndex) { return SlabIndex < 8 ? size_t(64) << SlabIndex : 16384; }
    Cardinal FBlockSize = 0;
    Cardinal FLive = 0;
    UInt64 FFreed = 0;
    TFreeBlock* FFree = nullptr;
    Byte* FCursor = nullptr;
    Byte* FSlabEnd = nullptr;
    std::vector<void*> FSlabs;
  };
  TNodePool FNodePool;
  Cardinal FRootSize = 0;
  bool FTornDown = false;

 public:
  // Node blocks handed out and not freed yet (the root included).
  Cardinal LiveNodeBlocks() const { return FNodePool.LiveCount() + (FRoot ? 1 : 0); }
  // The block size of every non-root node.
  Cardinal NodeBlockSize() const;
};

// ---------------------------------------------------------------------------
// The validation worker (one per process while any tree exists)

class TWorkerThread : public TThread {
  QN_CLASS(TWorkerThread, TThread)
 public:
  explicit TWorkerThread(bool CreateSuspended);
  ~TWorkerThread() override;

  void AddTree(TBaseLazyTree_qn* Tree);
  void RemoveTree(TBaseLazyTree_qn* Tree);
  void ChangeTreeStates(TChangeStates EnterStates, TChangeStates LeaveStates);
  void WaitForValidationTermination(TBaseLazyTree_qn* Tree);
  TBaseLazyTree_qn* CurrentTree() const { return FCurrentTree.load(); }
  Cardinal RefCount() const { return FRefCount; }

 protected:
  void Execute() override;

 private:
  friend void AddThreadReference();
  friend void ReleaseThreadReference(TBaseLazyTree_qn* Tree);
  std::atomic<TBaseLazyTree_qn*> FCurrentTree{nullptr};
  std::unique_ptr<TThreadList> FWaiterList;
  Cardinal FRefCount = 0;
};

void AddThreadReference();
void ReleaseThreadReference(TBaseLazyTree_qn* Tree);
// The worker while one exists (nil otherwise), and the event it waits on.
TWorkerThread* WorkerThread();
HANDLE WorkEvent();

// Set while a tree's window goes away during an animation: a running hint
// animation sees it and stops drawing into a window that no longer exists.
extern std::atomic<bool> HintWindowDestroyed;
bool GetHintWindowDestroyed();

// The unit-level lock that guards the shared check-image lists.
TCriticalSection* LazyTreesLock();

// ---------------------------------------------------------------------------
// Process-wide resources (LazyTrees_qn_Resources.cpp)

// The clipboard format numbers the tree registers.
extern Word CF_LAZYTREE, CF_VTREFERENCE, CF_HTML, CF_VRTF, CF_VRTFNOOBJS, CF_CSV;
// The screen's cursor ids of the header's column and height splitters.
inline constexpr Integer crHeaderSplit = 63, crVertSplit = 62;

// --- Clipboard formats and the OLE data object (LazyTrees_qn_Resources.cpp,
// LazyTrees_qn_DataObject.cpp)

// A class reference of TBaseLazyTree_qn or a descendant.
using TLazyTreeClass = TClass;

// The names of the predefined formats, for registering them by number.
struct TClipboardFormatEntry {
  Word ID = 0;
  String Description;
};

// One registered clipboard format: trees of TreeClass or a descendant offer
// it; lower priorities come first.
struct TClipboardFormatListEntry {
  String Description;
  TLazyTreeClass TreeClass = nullptr;
  Cardinal Priority = 0;
  TFormatEtc FormatEtc;
  bool OfferedBy(TClass ATreeClass) const;
};

// The process-wide table of the tree's clipboard formats, kept sorted by
// priority. Look-ups by name ignore case and take the last match.
class TClipboardFormatList {
 public:
  void Add(const String& FormatString, TLazyTreeClass AClass, Cardinal Priority, const TFormatEtc& AFormatEtc);
  void Clear() { FList.clear(); }
  Integer Count() const { return Integer(FList.size()); }
  const TClipboardFormatListEntry& Items(Integer Index) const { return FList.at(std::size_t(Index)); }
  // The entries TreeClass offers, in priority order; with AllowedFormats
  // only those it names.
  void EnumerateFormats(TLazyTreeClass TreeClass, TFormatEtcArray& Formats,
                        TStrings* AllowedFormats = nullptr) const;
  void EnumerateFormats(TLazyTreeClass TreeClass, TStrings* Formats) const;
  const TClipboardFormatListEntry* FindFormat(const String& FormatString) const;
  TLazyTreeClass FindFormat(const String& FormatString, Word& Fmt) const;
  const TClipboardFormatListEntry* FindFormat(Word Format) const;
  TLazyTreeClass FindFormat(Word Fmt, String& Description) const;

 private:
  std::vector<TClipboardFormatListEntry> FList;
};
TClipboardFormatList* ClipboardFormatList();
// Registers Description with the platform and adds it to the table; the id.
Word RegisterVTClipboardFormat(const String& Description, TLazyTreeClass TreeClass, Cardinal Priority,
                               DWORD tymed = TYMED_HGLOBAL, DVTARGETDEVICE* ptd = nullptr,
                               DWORD dwAspect = DVASPECT_CONTENT, LONG lindex = -1);
// Adds a predefined format by its number (named from the table), or a
// registered one by the platform's name of it; 0 and numbers without a name add
// nothing.
void RegisterVTClipboardFormat(Word AFormat, TLazyTreeClass TreeClass, Cardinal Priority);
void EnumerateVTClipboardFormats(TLazyTreeClass TreeClass, TStrings* List);
void EnumerateVTClipboardFormats(TLazyTreeClass TreeClass, TFormatEtcArray& Formats);
String GetVTClipboardFormatDescription(Word AFormat);

// What "Lazy Tree Reference" carries: the process and a token of the
// source tree (never its address, which neither fits nor may be trusted).
struct TVTReference {
  DWORD Process = 0;
  DWORD Tree = 0;
};

// A medium stored into a data object by SetData.
struct TInternalStgMedium {
  CLIPFORMAT Format = 0;
  TStgMedium Medium;
};
using TInternalStgMediumArray = std::vector<TInternalStgMedium>;

// The data object of every transfer out of a tree: it renders its formats
// from the tree when asked. A tree that goes away detaches its objects,
// which then serve only what SetData stored.
// A read-only stream over memory that belongs to somebody else (a locked
// clipboard block): reading only, writes raise EStreamError.
class TOLEMemoryStream : public TCustomMemoryStream {
  QN_CLASS(TOLEMemoryStream, TCustomMemoryStream)
 public:
  TOLEMemoryStream(const void* Memory, Int64 Size);
  using TCustomMemoryStream::Write;
  Integer Write(const void* Buffer, Integer Count) override;
};

// One per tree: the OLE drop source and drop target, forwarding to the
// tree's drag methods. A tree that goes detaches it; it then refuses.
class TVTDragManager : public TInterfacedObject,
                       public virtual IVTDragManager,
                       public virtual IDropSource,
                       public virtual IDropTarget {
  QN_CLASS(TVTDragManager, TInterfacedObject)
  QN_INTERFACES(IVTDragManager, IDropSource, IDropTarget)
 public:
  explicit TVTDragManager(TBaseLazyTree_qn* AOwner);
  ~TVTDragManager() override;
  void ForceDragLeave() override;
  TIntf<IDataObject> GetDataObject() override;
  TBaseLazyTree_qn* GetDragSource() override;
  bool GetDropTargetHelperSupported() override { return FDropTargetHelper != nullptr; }
  bool GetIsDropTarget() override { return FIsDropTarget; }
  HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
  HRESULT GiveFeedback(DWORD dwEffect) override;
  HRESULT DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
  void DetachOwner() { FOwner = nullptr; }

 private:
  TBaseLazyTree_qn* FOwner;
  TBaseLazyTree_qn* FDragSource = nullptr;
  bool FIsDropTarget = false;
  TIntf<IDataObject> FDataObject;
  TIntf<IDropTargetHelper> FDropTargetHelper;
  bool FFullDragging = true;
};

class TVTDataObject : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TVTDataObject, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  TVTDataObject(TBaseLazyTree_qn* AOwner, bool ForClipboard);
  ~TVTDataObject() override;
  HRESULT DAdvise(const FORMATETC* FormatEtc, DWORD advf, IAdviseSink* advSink, DWORD* dwConnection) override;
  HRESULT DUnadvise(DWORD dwConnection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** enumAdvise) override;
  HRESULT EnumFormatEtc(DWORD Direction, IEnumFORMATETC** EnumFormatEtc) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC* FormatEtc, FORMATETC* FormatEtcOut) override;
  HRESULT GetData(const FORMATETC* FormatEtcIn, STGMEDIUM* Medium) override;
  HRESULT GetDataHere(const FORMATETC* FormatEtc, STGMEDIUM* Medium) override;
  HRESULT QueryGetData(const FORMATETC* FormatEtc) override;
  HRESULT SetData(const FORMATETC* FormatEtc, STGMEDIUM* Medium, BOOL DoRelease) override;
  TBaseLazyTree_qn* Owner() const { return FOwner; }
  bool ForClipboard() const { return FForClipboard; }
  const TFormatEtcArray& FormatEtcArray() const { return FFormatEtcArray; }
  // The tree is going away: nothing is rendered from it any more.
  void DetachOwner() { FOwner = nullptr; }

  static bool EqualFormatEtc(const TFormatEtc& FormatEtc1, const TFormatEtc& FormatEtc2);
  // Out := In with the handle copied (CopyInMedium) or shared under
  // DataObject as release object.
  static HRESULT StgMediumIncRef(const TStgMedium& InStgMedium, TStgMedium& OutStgMedium, bool CopyInMedium,
                                 IDataObject* DataObject);

 protected:
  Integer FindFormatEtc(const TFormatEtc& AFormatEtc) const;
  TStgMedium* FindInternalStgMedium(CLIPFORMAT Format);

 private:
  TBaseLazyTree_qn* FOwner;
  bool FForClipboard;
  TFormatEtcArray FFormatEtcArray;
  TInternalStgMediumArray FInternalStgMediumArray;
  TIntf<IDataAdviseHolder> FAdviseHolder;
};

// Enumerates its own copy of a data object's formats.
class TEnumFormatEtc : public TInterfacedObject, public virtual IEnumFORMATETC {
  QN_CLASS(TEnumFormatEtc, TInterfacedObject)
  QN_INTERFACES(IEnumFORMATETC)
 public:
  TEnumFormatEtc(TBaseLazyTree_qn* Tree, const TFormatEtcArray& AFormatEtcArray);
  HRESULT Next(ULONG celt, FORMATETC* elt, ULONG* pceltFetched) override;
  HRESULT Skip(ULONG celt) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumFORMATETC** Enum) override;

 private:
  TBaseLazyTree_qn* FTree;
  TFormatEtcArray FFormatEtcArray;
  Integer FCurrentIndex = 0;
};

// Loads a strip of square images from a bitmap resource into List (the
// side is the bitmap's height, the top-left pixel the mask colour); Mapped
// turns white, silver, grey and black into the window and button colours.
// An assertion names a missing or empty bitmap.
void LoadLazyTreeImageSet(TCustomImageList* List, const String& ResName, bool Mapped);
// The shared check set of a kind (nil for ckCustom or before the set-up),
// and the utility glyphs.
TCustomImageList* SharedCheckImages(TCheckImageKind Kind);
TCustomImageList* UtilityImages();
// Reloads the colour-mapped sets in place after the system colours changed.
void ReloadMappedCheckImages();
// The bitmaps and cursors the tree draws with, into the resource table.
void RegisterLazyTreeResources();
// The set-up the first tree runs (once per process), and its end.
void InitializeGlobalStructures();
void FinalizeGlobalStructures();
bool GlobalStructuresInitialized();
// Whether the set-up started OLE (and the finalization will stop it).
bool LazyTreesOleInitialized();

// Text helpers of the unit. ShortenString cuts S to the longest prefix that
// fits Width together with an ellipsis (EllipsisWidth 0: measured on DC);
// WrapString breaks S into lines of Bounds' width joined by line feeds;
// GetStringDrawRect grows Bounds from its top-left corner to the rectangle
// DrawText needs for S.
String ShortenString(HDC DC, const String& S, Integer Width, Integer EllipsisWidth = 0);
String WrapString(HDC DC, const String& S, const TRect& Bounds, bool RTL, Cardinal DrawFormat);
void GetStringDrawRect(HDC DC, const String& S, TRect& Bounds, Cardinal DrawFormat);

void InitLazyTrees();
void DoneLazyTrees();

}  // namespace qn

#include "treeview/LazyTrees_qn_Header.h"

#include "platform/rtl/MacroShieldEnd.h"
