// uQuarnSplitter: a thin bar aligned beside another aligned control that
// resizes it by dragging. While the button is held only an inverted line
// follows the pointer over the parent; the sibling takes its new size on
// release. Escape, through the key handler the splitter borrows from the
// form's active control, ends the drag without a change.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnCtrls.h"

namespace qn {

using TSplitterCanResizeEvent = TEvent<void(TObject* Sender, Integer& NewSize, bool& Accept)>;

enum class TQnResizeType : Byte { rtDot, rtNone };
QN_ENUM_NAMES(TQnResizeType, rtDot, rtNone)
using enum TQnResizeType;

class TQuarnSplitter : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnSplitter, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnSplitter(TComponent* AOwner);
  ~TQuarnSplitter() override;

  bool AutoSnap() const { return FAutoSnap; }
  void SetAutoSnap(bool Value) { FAutoSnap = Value; }
  Integer MinSize() const { return FMinSize; }
  // Sizes start at 1: a smaller one is taken as 1.
  void SetMinSize(Integer Value) { FMinSize = Value < 1 ? 1 : Value; }
  TQnResizeType ResizeType() const { return FResizeType; }
  void SetResizeType(TQnResizeType Value);
  TColor DotColor() const { return FDotColor; }
  void SetDotColor(TColor Value);
  const TSplitterCanResizeEvent& OnCanResize() const { return FOnCanResize; }
  void SetOnCanResize(const TSplitterCanResizeEvent& Value) { FOnCanResize = Value; }
  const TNotifyEvent& OnMoved() const { return FOnMoved; }
  void SetOnMoved(const TNotifyEvent& Value) { FOnMoved = Value; }

  // The drag's state, for tests and descendants.
  TControl* SizedControl() const { return FControl; }
  bool LineVisible() const { return FLineVisible; }
  Integer MaxSize() const { return FMaxSize; }
  Integer NewSize() const { return FNewSize; }
  Integer Split() const { return FSplit; }

  QN_PUBLISHED_DECL(TQuarnSplitter) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alLeft);
    QN_PROP(AutoSnap).Default(true);
    QN_PROP(ResizeType).Default(rtDot);
    P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).TypeName(u"TCursor").Default(crHSplit);
    QN_PROP(MinSize).Default(30);
    P.Property(u"Width", &TControl::Width, &TControl::SetWidth).Default(3);
    QN_PROP(DotColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00E18C29));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Hint", &TControl::Hint, &TControl::SetHint);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
    P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
    QN_PROP(OnCanResize).TypeName(u"TSplitterCanResizeEvent");
    QN_PROP(OnMoved).TypeName(u"TNotifyEvent");
  }

 protected:
  using TQuarnCustomControl::CanResize;
  using TQuarnCustomControl::DoCanResize;
  virtual bool CanResize(Integer& NewSize);
  virtual bool DoCanResize(Integer& NewSize);
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  virtual void StopSizing();
  void RequestAlign() override;
  void DrawBody(TBitmap32* Buffer) override;

  TWinControl* FActiveControl = nullptr;
  bool FAutoSnap = true;
  TControl* FControl = nullptr;
  TPoint FDownPos;
  Integer FMinSize = 30;
  Integer FMaxSize = 0;
  Integer FNewSize = 0;
  TKeyEvent FOldKeyDown;
  Integer FOldSize = -1;
  HBRUSH FPrevBrush = nullptr;
  Integer FSplit = 0;
  TSplitterCanResizeEvent FOnCanResize;
  TNotifyEvent FOnMoved;
  TQnResizeType FResizeType = rtDot;
  TColor FDotColor = static_cast<TColor>(0x00E18C29);
  HDC FLineDC = nullptr;
  bool FLineVisible = false;
  std::unique_ptr<TBrush> FBrush;

 private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  TControl* FindControl();
  void CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split);
  void UpdateSize(Integer X, Integer Y);
  void UpdateControlSize();
  void AllocateLineDC();
  void ReleaseLineDC();
  void DrawLine();
  void FocusKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  HBITMAP FPatternBitmap = nullptr;
};

void InitQuarnSplitter();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
