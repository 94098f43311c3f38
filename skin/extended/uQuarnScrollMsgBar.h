// uQuarnScrollMsgBar: a one-line ticker. Each message (text and optional
// icon) is a positioned layer of the layered image control; every
// ScrollInterval the shown one slides up and out while the next slides in
// from below along an ease-in curve. The slide runs its own short message
// loop, so everything it holds is checked again after every step: handlers
// run meanwhile may delete items or free the bar.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "graphics/raster/Pix32_Layers_qn.h"
#include "platform/vcl/ExtCtrls.h"
#include "skin/foundation/uQnAnimateEasing.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

enum class TAnimateEasing : Byte { aeQuad, aeCirc, aeBack, aeBounce, aeCubic, aeElastic, aeExpo, aeQuart, aeQuint, aeSine };
QN_ENUM_NAMES(TAnimateEasing, aeQuad, aeCirc, aeBack, aeBounce, aeCubic, aeElastic, aeExpo, aeQuart, aeQuint, aeSine)
using enum TAnimateEasing;

enum class TMouseInObject : Byte { ioNone, ioText };
QN_ENUM_NAMES(TMouseInObject, ioNone, ioText)
using enum TMouseInObject;

class TScrollMsgBarItem;
class TCustomQuarnScrollMsgBar;

using TSMItemClickEvent = TEvent<void(TObject* Sender, TScrollMsgBarItem* Item)>;
using TSMItemDrawEvent = TEvent<void(TObject* Sender, TScrollMsgBarItem* Item, TBitmap32* Buffer)>;

// An item's text with its two fonts and its place in the item.
class TLayerTextObj : public TPersistent {
  QN_CLASS(TLayerTextObj, TPersistent)
 public:
  explicit TLayerTextObj(TScrollMsgBarItem* AOwner);
  ~TLayerTextObj() override;
  // Another text object gives its fonts, text and rectangle.
  void Assign(TPersistent* Source) override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TFont* FontHot() const { return FFontHot.get(); }
  void SetFontHot(TFont* Value) { FFontHot->Assign(Value); }
  const String& Text() const { return FText; }
  void SetText(const String& Value);
  // x in control coordinates, y from the item's top.
  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& Value) { FRect = Value; }

 protected:
  virtual void DoChanged();
  void FontChanged(TObject* Sender);

  TScrollMsgBarItem* FOwner;
  std::unique_ptr<TFont> FFont;
  String FText;
  std::unique_ptr<TFont> FFontHot;
  TRect FRect;
};

class TScrollMsgBarItemLayer : public TPositionedLayer {
  QN_CLASS_CREATE(TScrollMsgBarItemLayer, TPositionedLayer, TLayerCollection)
 public:
  using TPositionedLayer::TPositionedLayer;
};

class TScrollMsgBarItem : public TScrollMsgBarItemLayer {
  QN_CLASS_CREATE(TScrollMsgBarItem, TScrollMsgBarItemLayer, TLayerCollection)
 public:
  explicit TScrollMsgBarItem(TLayerCollection* ALayerCollection);
  ~TScrollMsgBarItem() override;

  TLayerTextObj* Text() const { return FText.get(); }
  void SetText(TLayerTextObj* Value) { FText->Assign(Value); }
  TBitmap32* Icon() const { return FIcon.get(); }
  void SetIcon(TBitmap32* Value) { FIcon->Assign(Value); }
  void* Data() const { return FData; }
  void SetData(void* Value);
  // Takes part in the rotation (the layer itself stays shown).
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TMouseInObject MouseInObject() const { return FMouseInObject; }
  void SetMouseInObject(TMouseInObject Value);
  TCustomQuarnScrollMsgBar* Owner() const { return FOwner; }
  const TRect& IconRect() const { return FIconRect; }
  const TSize& IconSize() const { return FIconSize; }
  const TSize& ItemSize() const { return FItemSize; }
  // The top the item stands at while shown.
  Integer OriginalY() const { return FOriginalY; }
  // Lays the item out for the bar's size and parks it below the bar.
  void ResetSize();
  // Whether (X, Y), in control coordinates, lies on the text where it is
  // drawn now.
  bool TextHit(Integer X, Integer Y);
  // False once the item is gone; the slide holds it across its messages.
  std::weak_ptr<bool> Token() const { return FAlive; }

  virtual void DoInvalidate();
  virtual void DoChanged();

 protected:
  friend class TCustomQuarnScrollMsgBar;
  void Paint(TBitmap32* Buffer) override;
  void DoIconChanged(TObject* Sender);

  std::unique_ptr<TLayerTextObj> FText;
  void* FData = nullptr;
  TCustomQuarnScrollMsgBar* FOwner = nullptr;
  bool FVisible = true;
  std::unique_ptr<TBitmap32> FIcon;
  TMouseInObject FMouseInObject = ioNone;
  TRect FIconRect;
  TSize FIconSize;
  TSize FItemSize;
  Integer FOriginalY = 0;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TCustomQuarnScrollMsgBar : public TQuarnCustomLayerControl {
  QN_CLASS_CREATE(TCustomQuarnScrollMsgBar, TQuarnCustomLayerControl, TComponent)
 public:
  // 350 × 36, white, a slide every 3 s in 15 steps; the timer runs from
  // here on, in the designer too.
  explicit TCustomQuarnScrollMsgBar(TComponent* AOwner);
  ~TCustomQuarnScrollMsgBar() override;

  // A new item at the end, laid out and parked below the bar.
  TScrollMsgBarItem* AddItem();
  // Frees the item; the shown index stays as it is.
  void Delete(Integer Index);
  void Clear();
  // One slide to the next (previous) visible item. CheckMouse pauses while
  // the pointer rests on the shown text. Called during a slide, both return
  // at once.
  void Next(bool CheckMouse = false);
  void Prev();
  // The first visible item becomes the shown index; nothing moves.
  void ReStart();
  // Nil outside the list.
  TScrollMsgBarItem* GetItem(Integer Index) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer ItemIndex() const { return FItemIndex; }
  // Stores only; nothing moves.
  void SetItemIndex(Integer Value) { FItemIndex = Value; }
  Integer GetFirstVisibleItem() const;
  Integer GetLastVisibleItem() const;
  Integer GetNextVisibleItem(Integer Index) const;
  Integer GetPrevVisibleItem(Integer Index) const;
  bool Scrolling() const { return FScrolling; }
  UInt64 LastScrollTime() const { return FLastScrollTime; }

  Integer ScrollInterval() const { return FScrollInterval; }
  void SetScrollInterval(Integer Value) { FScrollInterval = Value; }
  Integer AnimateStep() const { return FAnimateStep; }
  void SetAnimateStep(Integer Value) { FAnimateStep = Value; }
  TAnimateEasing AnimateEasing() const { return FAnimateEasing; }
  void SetAnimateEasing(TAnimateEasing Value) { FAnimateEasing = Value; }
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool Value);
  bool LoopMode() const { return FLoopMode; }
  void SetLoopMode(bool Value) { FLoopMode = Value; }
  bool AllowClick() const { return FAllowClick; }
  void SetAllowClick(bool Value) { FAllowClick = Value; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  Integer Space() const { return FSpace; }
  void SetSpace(Integer Value);
  const TSMItemClickEvent& OnItemClick() const { return FOnItemClick; }
  void SetOnItemClick(const TSMItemClickEvent& Value) { FOnItemClick = Value; }
  const TSMItemDrawEvent& OnItemPaint() const { return FOnItemPaint; }
  void SetOnItemPaint(const TSMItemDrawEvent& Value) { FOnItemPaint = Value; }

  virtual void DoChanged() {}
  virtual TEasingType GetAnimateEasing();
  virtual TCustomLayer* FindLayerAtPos(Integer X, Integer Y);
  virtual TScrollMsgBarItem* FindItemAtPos(Integer X, Integer Y);
  virtual void DoItemClick(TObject* Sender, TScrollMsgBarItem* Item);

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TScrollMsgBarItem;
  void DoTimer(TObject* Sender);
  // Between two steps of a slide: a short sleep, then the application's
  // pending messages (paints, input, timers).
  virtual void SlideStepMessages();
  // Slides to Target; Up for Next, down for Prev.
  void Slide(Integer Target, bool Up);
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void Click() override;
  void WMSize(TMessage& Message);

  bool FAllowClick = true;
  Integer FScrollInterval = 3000;
  std::vector<TScrollMsgBarItem*> FItems;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
  TAlignment FAlignment = taLeftJustify;
  Integer FSpace = 5;
  Integer FItemIndex = -1;
  bool FLoopMode = true;
  bool FAutoScroll = true;
  TAnimateEasing FAnimateEasing = aeQuad;
  TSMItemClickEvent FOnItemClick;
  UInt64 FLastScrollTime = 0;
  Integer FAnimateStep = 15;
  bool FScrolling = false;
  TSMItemDrawEvent FOnItemPaint;
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TQuarnScrollMsgBar : public TCustomQuarnScrollMsgBar {
  QN_CLASS_CREATE(TQuarnScrollMsgBar, TCustomQuarnScrollMsgBar, TComponent)
 public:
  using TCustomQuarnScrollMsgBar::TCustomQuarnScrollMsgBar;

  QN_PUBLISHED_DECL(TQuarnScrollMsgBar) {
    QN_PROP(ScrollInterval).Default(3000);
    QN_PROP(AnimateStep).Default(15);
    QN_PROP(AnimateEasing).Default(aeQuad);
    QN_PROP(AutoScroll).Default(true);
    QN_PROP(LoopMode).Default(true);
    QN_PROP(AllowClick).Default(true);
    QN_PROP(Alignment).Default(taLeftJustify);
    QN_PROP(Space).Default(5);
    P.Property(u"RepaintMode", &TCustomPaintBox32_qn::RepaintMode, &TCustomPaintBox32_qn::SetRepaintMode)
        .Default(rmOptimizer);
    QN_PROP(OnItemClick).TypeName(u"TSMItemClickEvent");
    QN_PROP(OnItemPaint).TypeName(u"TSMItemDrawEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Cursor", &TControl::Cursor, &TControl::SetCursor).TypeName(u"TCursor").Default(crDefault);
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnChange", &TCustomImage32_qn::OnChange, &TCustomImage32_qn::SetOnChange);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    P.Property(u"OnMouseDown", &TCustomImage32_qn::OnMouseDown, &TCustomImage32_qn::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TCustomImage32_qn::OnMouseMove, &TCustomImage32_qn::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TCustomImage32_qn::OnMouseUp, &TCustomImage32_qn::SetOnMouseUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
    P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
    P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
  }
};

void InitQuarnScrollMsgBar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
