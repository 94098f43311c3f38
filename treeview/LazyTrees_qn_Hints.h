// The tree's own hint window: node hints, tooltips that show a cut-off cell
// text in full right over the cell, owner-drawn hints and column hints,
// painted once into a buffer and faded or slid in over a copy of the
// screen below.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

class TLazyTreeHintWindow : public THintWindow {
  QN_CLASS_CREATE(TLazyTreeHintWindow, THintWindow, TComponent)
 public:
  explicit TLazyTreeHintWindow(TComponent* AOwner);
  ~TLazyTreeHintWindow() override;
  void ActivateHint(TRect Rect, const String& AHint) override;
  bool IsHintMsg(const MSG& Msg) override;
  TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData) override;
  void Dispatch(TMessage& Message) override;

  // What the window shows now (empty while hidden).
  const TVTHintData& HintData() const { return FHintData; }
  // The finished picture, the screen copied from under the window, and the
  // frame a fade step blends.
  TBitmap* DrawBuffer() const { return FDrawBuffer.get(); }
  TBitmap* Background() const { return FBackground.get(); }
  TBitmap* Target() const { return FTarget.get(); }
  Integer TextHeight() const { return FTextHeight; }
  // The animation of the hint shown last.
  THintAnimationType AnimationType() const { return FAnimation; }
  // Drops the hint data when it belongs to Tree (the tree goes away).
  void ForgetTree(TBaseLazyTree_qn* Tree);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  bool AnimationCallback(Integer Step, Integer StepSize, Pointer Data);
  // Step 0 builds the picture and shows it (a fade shows nothing yet);
  // later steps show a slide or fade frame.
  void InternalPaint(Integer Step, Integer StepSize);
  THintAnimationType FAnimation = hatNone;

 private:
  void WMShowWindow(TMessage& Message);
  void ClearHintData();

  TVTHintData FHintData;
  std::unique_ptr<TBitmap> FBackground, FDrawBuffer, FTarget;
  Integer FTextHeight = 0;
  // The tree's life while it is the hint's tree, and this window's own:
  // both may end while an animation pumps messages.
  std::weak_ptr<int> FTreeAlive;
  std::shared_ptr<int> FSelfAlive = std::make_shared<int>(0);
  bool FActivating = false;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
