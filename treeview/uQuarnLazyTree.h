// uQuarnLazyTree: the string tree and the owner-draw tree in the skin's
// look. The tree draws no border and no native scroll bars: a skinned
// border panel frames it and two skinned scroll bars beside it follow its
// scroll state and scroll it when they move. Both trees share one body, a
// template over their parent class.
//
// The tree keeps its window's native scroll information (the base tree's
// range code writes it) but never lets the native bars take room: the
// style bits are cleared at creation and again before every non-client
// size calculation. After each native update the information is copied to
// the skinned bar; a bar that moves sets the tree's offset directly, with
// 32-bit positions.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "treeview/LazyTrees_qn_DrawTree.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace qn {

template <class TParent>
class TQuarnLazyTree : public TParent {
 public:
  using inherited = TParent;

  explicit TQuarnLazyTree(TComponent* AOwner);
  ~TQuarnLazyTree() override;

  TQuarnScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TQuarnScrollBar* Value) { SetBar(FVScrollBar, Value, true); }
  TQuarnScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TQuarnScrollBar* Value) { SetBar(FHScrollBar, Value, false); }
  TQuarnBorderPanel* QuarnBorderPanel() const { return FQuarnBorderPanel; }
  void SetQuarnBorderPanel(TQuarnBorderPanel* Value);
  const TNotifyEvent& OnScrollBarChange() const { return FOnScrollBarChange; }
  void SetOnScrollBarChange(const TNotifyEvent& Value) { FOnScrollBarChange = Value; }
  TQnAboutInfo About() const { return FAboutInfo; }
  void SetAbout(TQnAboutInfo) {}

  // Both bars from the tree's current scroll state.
  void UpDateScrollRanges();

  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void DoScroll(Integer DeltaX, Integer DeltaY) override;
  void UpdateHorizontalScrollBar(bool DoRepaint) override;
  void UpdateVerticalScrollBar(bool DoRepaint) override;
  // The bars' OnChange handlers.
  void VScrollBarChange(TObject* Sender);
  void HScrollBarChange(TObject* Sender);

  bool FLockUpdate = false;
  TNotifyEvent FOnScrollBarChange;
  TQuarnScrollBar* FVScrollBar = nullptr;
  TQuarnScrollBar* FHScrollBar = nullptr;
  TQuarnBorderPanel* FQuarnBorderPanel = nullptr;
  TQnAboutInfo FAboutInfo = aiQuarnComponent;

 private:
  bool Designing() const { return this->ComponentState().Contains(csDesigning); }
  TNotifyEvent ChangeHandler(bool Vertical);
  void SetBar(TQuarnScrollBar*& Field, TQuarnScrollBar* Value, bool Vertical);
  // Copies the native scroll information of Bar (SB_VERT or SB_HORZ) to
  // the skinned bar.
  void SyncBar(TQuarnScrollBar* Skinned, int Bar);
  void BarChanged(TQuarnScrollBar* Bar, TObject* Sender, bool Vertical);
};

extern template class TQuarnLazyTree<TLazyStringTree_qn>;
extern template class TQuarnLazyTree<TLazyDrawTree_qn>;

// The skinned trees' own published entries, after their parent's lists.
#define QN_QUARN_LAZY_TREE_PROPS                        \
  QN_PROP(About).Stored(false);                         \
  QN_PROP(QuarnBorderPanel);                            \
  QN_PROP(VScrollBar);                                  \
  QN_PROP(HScrollBar);                                  \
  QN_PROP(OnScrollBarChange).TypeName(u"TNotifyEvent");

class TQuarnLazyStringTree : public TQuarnLazyTree<TLazyStringTree_qn> {
  QN_CLASS_CREATE(TQuarnLazyStringTree, TQuarnLazyTree<TLazyStringTree_qn>, TComponent)
 public:
  explicit TQuarnLazyStringTree(TComponent* AOwner) : inherited(AOwner) {}
  QN_PUBLISHED_DECL(TQuarnLazyStringTree) { QN_QUARN_LAZY_TREE_PROPS }
};

class TQuarnLazyDrawTree : public TQuarnLazyTree<TLazyDrawTree_qn> {
  QN_CLASS_CREATE(TQuarnLazyDrawTree, TQuarnLazyTree<TLazyDrawTree_qn>, TComponent)
 public:
  explicit TQuarnLazyDrawTree(TComponent* AOwner) : inherited(AOwner) {}
  QN_PUBLISHED_DECL(TQuarnLazyDrawTree) { QN_QUARN_LAZY_TREE_PROPS }
};

#undef QN_QUARN_LAZY_TREE_PROPS

// Registers both classes for form files (the unit's initialisation).
void InitQuarnLazyTree();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
