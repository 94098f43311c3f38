// Pix32_Layers_qn: a stack of layers drawn over an image's bitmap. The
// collection owns the layers in painting order (index 0 at the bottom),
// finds the layer under the mouse, routes presses, moves and releases to it
// (the pressed layer keeps the mouse until its last button is up) and
// reports every change to its host through events. Positioned layers float
// at a rectangle in bitmap or viewport space; the bitmap layer shows a
// bitmap there; the rubber band is a frame with handles the user drags to
// move or resize another positioned layer.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/vcl/Controls.h"

namespace vcl {
class TCanvas;
}

namespace qn {

// Layer option bits; the low bits are left to descendants and hosts.
constexpr Cardinal LAYER_OPT_VISIBLE = 0x80000000u;
constexpr Cardinal LAYER_OPT_GDI_OVERLAY = 0x40000000u;
constexpr Cardinal LAYER_OPT_MOUSE_EVENTS = 0x20000000u;
constexpr Cardinal LAYER_OPT_NO_UPDATE = 0x10000000u;
constexpr Cardinal LAYER_OPT_NO_CAPTURE = 0x08000000u;
constexpr Cardinal LAYER_OPT_INVALID = 0x04000000u;
constexpr Cardinal LAYER_OPT_FORCE_UPDATE = 0x02000000u;

enum class TLayerListNotification : Byte { lnLayerAdded, lnLayerInserted, lnLayerDeleted, lnCleared };
QN_ENUM_NAMES(TLayerListNotification, lnLayerAdded, lnLayerInserted, lnLayerDeleted, lnCleared)
using enum TLayerListNotification;

enum class TLayerState : Byte { lsMouseLeft, lsMouseRight, lsMouseMiddle };
QN_ENUM_NAMES(TLayerState, lsMouseLeft, lsMouseRight, lsMouseMiddle)
using enum TLayerState;
using TLayerStates = TSet<TLayerState>;

enum class TRBDragState : Byte {
  dsNone, dsMove, dsSizeL, dsSizeT, dsSizeR, dsSizeB, dsSizeTL, dsSizeTR, dsSizeBL, dsSizeBR
};
QN_ENUM_NAMES(TRBDragState, dsNone, dsMove, dsSizeL, dsSizeT, dsSizeR, dsSizeB, dsSizeTL, dsSizeTR, dsSizeBL,
              dsSizeBR)
using enum TRBDragState;

enum class TRBHandle : Byte {
  rhCenter, rhSides, rhCorners, rhFrame, rhNotLeftSide, rhNotRightSide, rhNotTopSide, rhNotBottomSide,
  rhNotTLCorner, rhNotTRCorner, rhNotBLCorner, rhNotBRCorner
};
QN_ENUM_NAMES(TRBHandle, rhCenter, rhSides, rhCorners, rhFrame, rhNotLeftSide, rhNotRightSide, rhNotTopSide,
              rhNotBottomSide, rhNotTLCorner, rhNotTRCorner, rhNotBLCorner, rhNotBRCorner)
using enum TRBHandle;
using TRBHandles = TSet<TRBHandle>;

enum class TRBOption : Byte { roProportional, roConstrained, roQuantized };
QN_ENUM_NAMES(TRBOption, roProportional, roConstrained, roQuantized)
using enum TRBOption;
using TRBOptions = TSet<TRBOption>;

class TLayerCollection;
class TCustomLayer;
class TPositionedLayer;

using TLayerClass = TClass;
using TLayerListNotifyEvent =
    TEvent<void(TLayerCollection* Sender, TLayerListNotification Action, TCustomLayer* Layer, Integer Index)>;
using TLayerUpdateEvent = TEvent<void(TObject* Sender, TCustomLayer* Layer)>;
using TGetScaleEvent = TEvent<void(TObject* Sender, Single& ScaleX, Single& ScaleY)>;
using TGetShiftEvent = TEvent<void(TObject* Sender, Single& ShiftX, Single& ShiftY)>;
using TPaintLayerEvent = TEvent<void(TObject* Sender, TBitmap32* Buffer)>;
using THitTestEvent = TEvent<void(TObject* Sender, Integer X, Integer Y, bool& Passed)>;
using TRBResizingEvent = TEvent<void(TObject* Sender, const TFloatRect& OldLocation, TFloatRect& NewLocation,
                                     TRBDragState DragState, TShiftState Shift)>;

// The host's crop rectangle for cropped bitmap layers (the image control's
// bitmap rectangle, while it paints to itself); false when Owner does not
// crop. The image control installs it.
using TLayerCropRectFunc = bool (*)(TPersistent* Owner, TRect& Rect);
extern TLayerCropRectFunc LayerCropHook;

// Walks a collection bottom to top: MoveNext/Current as the platform's
// enumerators do, and as a C++ iterator for range-based loops.
class TLayerEnum {
 public:
  explicit TLayerEnum(TLayerCollection* ALayerCollection, Integer AIndex = -1)
      : FIndex(AIndex), FLayerCollection(ALayerCollection) {}
  bool MoveNext();
  TCustomLayer* GetCurrent() const;
  TCustomLayer* Current() const { return GetCurrent(); }

  TCustomLayer* operator*() const { return GetCurrent(); }
  TLayerEnum& operator++() { ++FIndex; return *this; }
  bool operator==(const TLayerEnum& Other) const { return FIndex == Other.FIndex; }

 private:
  Integer FIndex;
  TLayerCollection* FLayerCollection;
};

class TLayerCollection : public TPersistent {
  QN_CLASS(TLayerCollection, TPersistent)
 public:
  explicit TLayerCollection(TPersistent* AOwner);
  ~TLayerCollection() override;

  // Creates a layer of ItemClass (a TCustomLayer class) on top.
  TCustomLayer* Add(TLayerClass ItemClass);
  template <class T>
  T* Add() { return static_cast<T*>(Add(T::StaticClass())); }
  TCustomLayer* Insert(Integer Index, TLayerClass ItemClass);
  void Delete(Integer Index);
  void Clear();
  void Assign(TPersistent* Source) override;

  // Inline: a paint asks for every layer once per rectangle repainted.
  TCustomLayer* Items(Integer Index) const {
    if (static_cast<size_t>(static_cast<unsigned>(Index)) >= FItems.size()) IndexError(Index);
    return FItems[static_cast<size_t>(Index)];
  }
  TCustomLayer* GetItem(Integer Index) const { return Items(Index); }
  void SetItem(Integer Index, TCustomLayer* Value);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer IndexOf(const TCustomLayer* Layer) const;
  TPersistent* Owner() const { return FOwner; }
  TPersistent* GetOwner() override { return FOwner; }

  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }
  void Changing();
  void Changed();
  void GDIUpdate();
  void DoUpdateArea(const TRect& Rect);
  void DoUpdateLayer(TCustomLayer* Layer);

  // The top-most layer with one of OptionsMask's bits that is hit.
  TCustomLayer* FindLayerAtPos(Integer X, Integer Y, Cardinal OptionsMask);

  // A layer's place as a paint would round it, where the layer is a plain
  // bitmap layer without a paint handler: such a layer draws nothing in a
  // clip rectangle its place does not touch.
  struct TPaintPlace {
    TRect Rect;
    bool Known;
  };
  // The places of all layers, in list order, brought up to date with the
  // layers changed since the last call. A partial repaint asks every layer
  // for every rectangle; this answers for most of them from one compact
  // array instead of from the layers themselves. Valid while PlacesStamp()
  // stays the same.
  const TPaintPlace* PaintPlaces();
  Cardinal PlacesStamp() const { return FPlacesStamp; }
  // A layer's place, paint handler or list position may have changed.
  void PlaceChanged(TCustomLayer* Layer);
  void PlacesChanged();
  virtual void GetViewportScale(Single& ScaleX, Single& ScaleY);
  virtual void GetViewportShift(Single& ShiftX, Single& ShiftY);
  TFloatPoint LocalToViewport(const TFloatPoint& APoint, bool AScaled);
  TFloatPoint ViewportToLocal(const TFloatPoint& APoint, bool AScaled);

  // The host's mouse input; each returns the layer it went to.
  TCustomLayer* MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  TCustomLayer* MouseMove(TShiftState Shift, Integer X, Integer Y);
  TCustomLayer* MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  TCustomLayer* MouseListener() const { return FMouseListener; }
  void SetMouseListener(TCustomLayer* Value);
  bool MouseEvents() const { return FMouseEvents; }
  void SetMouseEvents(bool Value);

  TLayerEnum GetEnumerator() { return TLayerEnum(this); }
  TLayerEnum begin() { return TLayerEnum(this, 0); }
  TLayerEnum end() { return TLayerEnum(this, Count()); }

  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TNotifyEvent& Value) { FOnChanging = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnGDIUpdate() const { return FOnGDIUpdate; }
  void SetOnGDIUpdate(const TNotifyEvent& Value) { FOnGDIUpdate = Value; }
  const TLayerListNotifyEvent& OnListNotify() const { return FOnListNotify; }
  void SetOnListNotify(const TLayerListNotifyEvent& Value) { FOnListNotify = Value; }
  const TLayerUpdateEvent& OnLayerUpdated() const { return FOnLayerUpdated; }
  void SetOnLayerUpdated(const TLayerUpdateEvent& Value) { FOnLayerUpdated = Value; }
  const TAreaChangedEvent& OnAreaUpdated() const { return FOnAreaUpdated; }
  void SetOnAreaUpdated(const TAreaChangedEvent& Value) { FOnAreaUpdated = Value; }
  const TGetScaleEvent& OnGetViewportScale() const { return FOnGetViewportScale; }
  void SetOnGetViewportScale(const TGetScaleEvent& Value) { FOnGetViewportScale = Value; }
  const TGetShiftEvent& OnGetViewportShift() const { return FOnGetViewportShift; }
  void SetOnGetViewportShift(const TGetShiftEvent& Value) { FOnGetViewportShift = Value; }

 protected:
  void InsertItem(TCustomLayer* Item);
  void RemoveItem(TCustomLayer* Item);
  void Notify(TLayerListNotification Action, TCustomLayer* Layer, Integer Index);

 private:
  friend class TCustomLayer;

  std::vector<TCustomLayer*> FItems;
  [[noreturn, gnu::cold]] static void IndexError(Integer Index);
  void UpdatePlace(size_t Index);
  // The kept places, the layers changed since they were worked out, and
  // what else they were worked out with: the viewport (for scaled layers)
  // and the rounding mode.
  std::vector<TPaintPlace> FPlaces;
  std::vector<TCustomLayer*> FChangedPlaces;
  bool FPlacesValid = false;
  bool FPlacesScaled = false;
  Cardinal FPlacesStamp = 0;
  Cardinal FPlacesRounding = 0;
  Single FPlacesViewport[4] = {};
  bool FMouseEvents = true;
  TCustomLayer* FMouseListener = nullptr;
  Integer FUpdateCount = 0;
  TPersistent* FOwner;
  TNotifyEvent FOnChanging;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnGDIUpdate;
  TLayerListNotifyEvent FOnListNotify;
  TLayerUpdateEvent FOnLayerUpdated;
  TAreaChangedEvent FOnAreaUpdated;
  TGetScaleEvent FOnGetViewportScale;
  TGetShiftEvent FOnGetViewportShift;
};

class TCustomLayer : public TNotifiablePersistent {
  QN_CLASS_CREATE(TCustomLayer, TNotifiablePersistent, TLayerCollection)
 public:
  explicit TCustomLayer(TLayerCollection* ALayerCollection);
  ~TCustomLayer() override;
  // Tells the free-notification partners and leaves the collection while
  // the layer is still its whole self, so the host can read its location.
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  void AddNotification(TCustomLayer* ALayer);
  void RemoveNotification(TCustomLayer* ALayer);

  void Changing();
  void Changed() override;
  void Changed(const TRect& Rect);
  void Update();
  void Update(const TRect& Rect);

  bool HitTest(Integer X, Integer Y);
  void DoPaint(TBitmap32* Buffer);
  virtual void PaintGDI(TCanvas* Canvas);

  Integer Index() const;
  Integer GetIndex() const { return Index(); }
  virtual void SetIndex(Integer Value);
  void BringToFront();
  void SendToBack();
  TLayerCollection* LayerCollection() const { return FLayerCollection; }
  virtual void SetLayerCollection(TLayerCollection* Value);

  Cardinal LayerOptions() const { return FLayerOptions; }
  virtual void SetLayerOptions(Cardinal Value);
  TLayerStates LayerStates() const { return FLayerStates; }
  bool MouseEvents() const { return (FLayerOptions & LAYER_OPT_MOUSE_EVENTS) != 0; }
  void SetMouseEvents(bool Value);
  bool Visible() const { return (FLayerOptions & LAYER_OPT_VISIBLE) != 0; }
  void SetVisible(bool Value);
  bool Invalid() const { return (FLayerOptions & LAYER_OPT_INVALID) != 0; }
  void SetInvalid(bool Value);
  bool ForceUpdate() const { return (FLayerOptions & LAYER_OPT_FORCE_UPDATE) != 0; }
  void SetForceUpdate(bool Value);

  TCursor Cursor() const { return FCursor; }
  virtual void SetCursor(TCursor Value);
  void SetAsMouseListener();
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }

  const THitTestEvent& OnHitTest() const { return FOnHitTest; }
  void SetOnHitTest(const THitTestEvent& Value) { FOnHitTest = Value; }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(const TMouseEvent& Value) { FOnMouseDown = Value; }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(const TMouseMoveEvent& Value) { FOnMouseMove = Value; }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(const TMouseEvent& Value) { FOnMouseUp = Value; }
  const TPaintLayerEvent& OnPaint() const { return FOnPaint; }
  void SetOnPaint(const TPaintLayerEvent& Value) {
    FOnPaint = Value;
    if (FLayerCollection) FLayerCollection->PlaceChanged(this);
  }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(const TNotifyEvent& Value) { FOnDestroy = Value; }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(const TNotifyEvent& Value) { FOnDblClick = Value; }
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

 protected:
  friend class TLayerCollection;
  friend class TRubberbandLayer;

  virtual bool DoHitTest(Integer X, Integer Y);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void Notification(TCustomLayer* ALayer);
  virtual void Paint(TBitmap32* Buffer);
  void Click();
  void DblClick();
  // Sets the screen cursor when the host has a screen.
  static void SetScreenCursor(TCursor Value);

  TCursor FCursor = crDefault;
  std::unique_ptr<std::vector<TCustomLayer*>> FFreeNotifies;
  TLayerCollection* FLayerCollection = nullptr;
  TLayerStates FLayerStates;
  Cardinal FLayerOptions = 0;
  Integer FTag = 0;
  bool FClicked = false;
  THitTestEvent FOnHitTest;
  TMouseEvent FOnMouseDown;
  TMouseMoveEvent FOnMouseMove;
  TMouseEvent FOnMouseUp;
  TPaintLayerEvent FOnPaint;
  TNotifyEvent FOnDestroy;
  TNotifyEvent FOnDblClick;
  TNotifyEvent FOnClick;
  // The flag of the innermost paint under way, set when the layer goes.
  bool* FFreedInPaint = nullptr;

 private:
  void LeaveAll();
  bool FLeft = false;
};

class TPositionedLayer : public TCustomLayer {
  QN_CLASS_CREATE(TPositionedLayer, TCustomLayer, TLayerCollection)
 public:
  explicit TPositionedLayer(TLayerCollection* ALayerCollection);
  void Assign(TPersistent* Source) override;

  const TFloatRect& Location() const { return FLocation; }
  void SetLocation(const TFloatRect& Value);
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value);
  // The rectangle in viewport pixels: R through the host's scale and shift
  // when the layer is scaled and in a collection.
  virtual TFloatRect GetAdjustedRect(const TFloatRect& R);
  TFloatRect GetAdjustedLocation() { return GetAdjustedRect(FLocation); }

 protected:
  bool DoHitTest(Integer X, Integer Y) override;
  virtual void DoSetLocation(const TFloatRect& NewLocation);

  TFloatRect FLocation{0, 0, 64, 64};
  bool FScaled = false;
};

class TBitmapLayer : public TPositionedLayer {
  QN_CLASS_CREATE(TBitmapLayer, TPositionedLayer, TLayerCollection)
 public:
  explicit TBitmapLayer(TLayerCollection* ALayerCollection);
  ~TBitmapLayer() override;
  void Assign(TPersistent* Source) override;

  TBitmap32* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap32* Value);
  bool AlphaHit() const { return FAlphaHit; }
  void SetAlphaHit(bool Value) { FAlphaHit = Value; }
  bool Cropped() const { return FCropped; }
  void SetCropped(bool Value);

 protected:
  virtual void BitmapAreaChanged(TObject* Sender, const TRect& Area, Cardinal Info);
  bool DoHitTest(Integer X, Integer Y) override;
  void Paint(TBitmap32* Buffer) override;

  std::unique_ptr<TBitmap32> FBitmap;
  bool FAlphaHit = false;
  bool FCropped = false;
};

class TRubberbandLayer;

// Where a rubber band sends the presses and releases it receives, besides
// acting on them itself.
class TRubberbandPassMouse : public TPersistent {
  QN_CLASS(TRubberbandPassMouse, TPersistent)
 public:
  explicit TRubberbandPassMouse(TRubberbandLayer* AOwner) : FOwner(AOwner) {}
  TPersistent* GetOwner() override;
  void Assign(TPersistent* Source) override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool ToChild() const { return FToChild; }
  void SetToChild(bool Value) { FToChild = Value; }
  bool ToLayerUnderCursor() const { return FLayerUnderCursor; }
  void SetToLayerUnderCursor(bool Value) { FLayerUnderCursor = Value; }
  bool CancelIfPassed() const { return FCancelIfPassed; }
  void SetCancelIfPassed(bool Value) { FCancelIfPassed = Value; }

 private:
  TRubberbandLayer* FOwner;
  bool FEnabled = false;
  bool FToChild = false;
  bool FLayerUnderCursor = false;
  bool FCancelIfPassed = false;
};

class TRubberbandLayer : public TPositionedLayer {
  QN_CLASS_CREATE(TRubberbandLayer, TPositionedLayer, TLayerCollection)
 public:
  explicit TRubberbandLayer(TLayerCollection* ALayerCollection);
  ~TRubberbandLayer() override;

  TPositionedLayer* ChildLayer() const { return FChildLayer; }
  void SetChildLayer(TPositionedLayer* Value);
  void SetLayerOptions(Cardinal Value) override;
  void SetFrameStipple(const TArrayOfColor32& Value);
  const TArrayOfColor32& FrameStipplePattern() const { return FFrameStipplePattern; }
  void Quantize();
  void SetDragState(TRBDragState Value, Integer X = 0, Integer Y = 0);
  TRBDragState DragState() const { return FDragState; }
  bool IsDragging() const { return FIsDragging; }
  virtual TRBDragState GetDragState(Integer X, Integer Y);

  TColor32 HandleFill() const { return FHandleFill; }
  void SetHandleFill(TColor32 Value);
  TColor32 HandleFrame() const { return FHandleFrame; }
  void SetHandleFrame(TColor32 Value);
  TRBHandles Handles() const { return FHandles; }
  void SetHandles(TRBHandles Value);
  Integer HandleSize() const { return FHandleSize; }
  void SetHandleSize(Integer Value);
  Single FrameStippleStep() const { return FFrameStippleStep; }
  void SetFrameStippleStep(Single Value);
  Single FrameStippleCounter() const { return FFrameStippleCounter; }
  void SetFrameStippleCounter(Single Value);
  Single MinWidth() const { return FMinWidth; }
  void SetMinWidth(Single Value) { FMinWidth = Value; }
  Single MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Single Value) { FMaxWidth = Value; }
  Single MinHeight() const { return FMinHeight; }
  void SetMinHeight(Single Value) { FMinHeight = Value; }
  Single MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(Single Value) { FMaxHeight = Value; }
  TRBOptions Options() const { return FOptions; }
  void SetOptions(TRBOptions Value) { FOptions = Value; }
  Integer Quantized() const { return FQuantized; }
  void SetQuantized(Integer Value);
  TRubberbandPassMouse* PassMouseToChild() const { return FPassMouse.get(); }

  const TNotifyEvent& OnUserChange() const { return FOnUserChange; }
  void SetOnUserChange(const TNotifyEvent& Value) { FOnUserChange = Value; }
  const TRBResizingEvent& OnResizing() const { return FOnResizing; }
  void SetOnResizing(const TRBResizingEvent& Value) { FOnResizing = Value; }
  const TRBResizingEvent& OnConstrain() const { return FOnConstrain; }
  void SetOnConstrain(const TRBResizingEvent& Value) { FOnConstrain = Value; }

 protected:
  virtual void DoResizing(const TFloatRect& OldLocation, TFloatRect& NewLocation, TRBDragState DragState,
                          TShiftState Shift);
  virtual void DoConstrain(const TFloatRect& OldLocation, TFloatRect& NewLocation, TRBDragState DragState,
                           TShiftState Shift);
  bool DoHitTest(Integer X, Integer Y) override;
  void DoSetLocation(const TFloatRect& NewLocation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Notification(TCustomLayer* ALayer) override;
  void Paint(TBitmap32* Buffer) override;

  TPositionedLayer* FChildLayer = nullptr;
  TArrayOfColor32 FFrameStipplePattern;
  Single FFrameStippleStep = 1.0f;
  Single FFrameStippleCounter = 0;
  TColor32 FHandleFrame = 0xFF000000u;
  TColor32 FHandleFill = 0xFFFFFFFFu;
  TRBHandles FHandles{rhCenter, rhSides, rhCorners, rhFrame};
  Integer FHandleSize = 3;
  Single FMinWidth = 10;
  Single FMaxHeight = 0;
  Single FMinHeight = 10;
  Single FMaxWidth = 0;
  TNotifyEvent FOnUserChange;
  TRBResizingEvent FOnResizing;
  TRBResizingEvent FOnConstrain;
  TRBOptions FOptions;
  Integer FQuantized = 8;
  std::unique_ptr<TRubberbandPassMouse> FPassMouse;
  bool FIsDragging = false;
  TRBDragState FDragState = dsNone;
  TFloatRect FOldLocation;
  TFloatPoint FMouseShift;

 private:
  // Hands a press or release on to the child or the layer under the
  // cursor; true when the rubber band itself should then do nothing.
  bool PassMouse(bool Down, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
