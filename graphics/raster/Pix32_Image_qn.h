// Pix32_Image_qn: the double-buffered windowed control. A paint box owns a
// back buffer (a TBitmap32 over device-context pixels) that descendants draw
// into in DoPaintBuffer; each paint message copies the buffer, or only its
// invalid rectangles, to the window through the backend's paint support.
// Every skinned control draws its whole look this way.
//
// The image control shows one bitmap, scaled and aligned, with a stack of
// layers on top; its buffer is built by a list of paint stages, run once
// per invalid rectangle with the buffer clipped to it. The image view adds
// two range bars and a size grip; the bitmap list is a component holding a
// collection of bitmaps.
//
// Lock order: the control's canvas first, then the buffer. Paint runs inside
// the canvas lock the paint message takes and locks the buffer for the copy;
// Flush takes both in the same order. The buffer lock is held only while
// pixels are copied or the storage changes, never across the buffer's change
// notifications or a repaint (ResizeBuffer resizes through SetSizeLocked).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include <vector>

#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_RangeBars_qn.h"
#include "graphics/raster/Pix32_RepaintOpt_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Collection.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Menus.h"

namespace qn {

// How changes of the buffer reach the screen: the whole viewport on every
// paint, each changed area at once, or through the repaint optimizer.
enum class TRepaintMode : Byte { rmFull, rmDirect, rmOptimizer };
QN_ENUM_NAMES(TRepaintMode, rmFull, rmDirect, rmOptimizer)
using enum TRepaintMode;

enum class TPaintBoxOption : Byte { pboWantArrowKeys, pboAutoFocus };
QN_ENUM_NAMES(TPaintBoxOption, pboWantArrowKeys, pboAutoFocus)
using enum TPaintBoxOption;
using TPaintBoxOptions = TSet<TPaintBoxOption>;
QN_TYPE_NAME(TPaintBoxOptions)

class TCustomPaintBox32_qn : public TCustomControl {
  QN_CLASS_CREATE(TCustomPaintBox32_qn, TCustomControl, TComponent)
 public:
  explicit TCustomPaintBox32_qn(TComponent* AOwner);
  ~TCustomPaintBox32_qn() override;

  // Copies the viewport (or SrcRect of the buffer, moved by the viewport's
  // top-left) to the window at once, outside the paint cycle.
  void Flush();
  void Flush(const TRect& SrcRect);
  void Invalidate() override;
  // Drops what the optimizer collected and makes the next paint rebuild
  // the buffer and copy the whole viewport.
  virtual void ForceFullInvalidate();
  void Loaded() override;
  void Resize() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // The part of the control the buffer is shown in; descendants that keep
  // room for scroll bars answer less.
  virtual TRect GetViewportRect();
  // Follows the viewport's size with the oversize hysteresis.
  void ResizeBuffer();

  TBitmap32* Buffer() const { return FBuffer.get(); }
  Integer BufferOversize() const { return FBufferOversize; }
  void SetBufferOversize(Integer Value);
  bool BufferValid() const { return FBufferValid; }
  void SetBufferValid(bool Value) { FBufferValid = Value; }
  bool MouseInControl() const { return FMouseInControl; }
  TPaintBoxOptions Options() const { return FOptions; }
  void SetOptions(TPaintBoxOptions Value) { FOptions = Value; }
  TRepaintMode RepaintMode() const { return FRepaintMode; }
  virtual void SetRepaintMode(TRepaintMode Value);
  TRectList* InvalidRects() const { return FInvalidRects.get(); }
  TCustomRepaintOptimizer* RepaintOptimizer() const { return FRepaintOptimizer.get(); }
  bool ForceFullRepaint() const { return FForceFullRepaint; }

  const TNotifyEvent& OnGDIOverlay() const { return FOnGDIOverlay; }
  void SetOnGDIOverlay(const TNotifyEvent& Value) { FOnGDIOverlay = Value; }
  // The device context of the window's paint under way, which the canvas
  // holds meanwhile; null outside one.
  HDC PaintDC() const { return FPaintDC; }

  void Dispatch(TMessage& Message) override;

 protected:
  // True when the optimizer can serve the next paint from what it collected.
  virtual bool CustomRepaint();
  virtual bool InvalidRectsAvailable();
  virtual void DoPrepareInvalidRects();
  // Descendants draw the buffer here and then call this (or set
  // BufferValid themselves).
  virtual void DoPaintBuffer();
  virtual void DoPaintGDIOverlay();
  virtual void DoBufferResized(Integer OldWidth, Integer OldHeight);
  // The platform's enter/leave handling calls these for the control's own
  // enter and leave (not for those of controls inside it).
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  void PaintWindow(HDC DC) override;
  void AssignTo(TPersistent* Dest) override;
  void ResetInvalidRects();

  std::unique_ptr<TBitmap32> FBuffer;
  Integer FBufferOversize = 40;
  bool FBufferValid = false;
  TRepaintMode FRepaintMode = rmFull;
  std::unique_ptr<TRectList> FInvalidRects;
  bool FForceFullRepaint = true;
  std::unique_ptr<TCustomRepaintOptimizer> FRepaintOptimizer;
  TPaintBoxOptions FOptions;
  TNotifyEvent FOnGDIOverlay;
  bool FMouseInControl = false;

 private:
  HDC FPaintDC = nullptr;
  void DirectAreaUpdateHandler(TObject* Sender, const TRect& Area, Cardinal Info);
  void WMPaint(TMessage& Message);
  // The window has a non-client frame.
  bool HasFrame();

  // The window to which a paint message has been posted and not yet
  // retrieved: further invalidations ride on that one.
  HWND FPaintPostedTo = nullptr;
};

class TPaintBox32 : public TCustomPaintBox32_qn {
  QN_CLASS_CREATE(TPaintBox32, TCustomPaintBox32_qn, TComponent)
 public:
  explicit TPaintBox32(TComponent* AOwner) : TCustomPaintBox32_qn(AOwner) {}

  const TNotifyEvent& OnPaintBuffer() const { return FOnPaintBuffer; }
  void SetOnPaintBuffer(const TNotifyEvent& Value) { FOnPaintBuffer = Value; }

  QN_PUBLISHED_DECL(TPaintBox32) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
    P.Property(u"Options", &TCustomPaintBox32_qn::Options, &TCustomPaintBox32_qn::SetOptions)
        .Default(TPaintBoxOptions{});
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    P.Property(u"RepaintMode", &TCustomPaintBox32_qn::RepaintMode, &TCustomPaintBox32_qn::SetRepaintMode)
        .Default(rmFull);
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
    P.Property(u"OnGDIOverlay", &TCustomPaintBox32_qn::OnGDIOverlay, &TCustomPaintBox32_qn::SetOnGDIOverlay);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
    P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
    P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
    P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
    QN_PROP(OnPaintBuffer);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  }

 protected:
  void DoPaintBuffer() override;

 private:
  TNotifyEvent FOnPaintBuffer;
};

// ---------------------------------------------------------------------------
// The image control

enum class TBitmapAlign : Byte { baTopLeft, baCenter, baTile, baCustom };
QN_ENUM_NAMES(TBitmapAlign, baTopLeft, baCenter, baTile, baCustom)
using enum TBitmapAlign;

enum class TScaleMode : Byte { smNormal, smStretch, smScale, smResize, smOptimal, smOptimalScaled };
QN_ENUM_NAMES(TScaleMode, smNormal, smStretch, smScale, smResize, smOptimal, smOptimalScaled)
using enum TScaleMode;

enum class TScrollBarVisibility : Byte { svAlways, svHidden, svAuto };
QN_ENUM_NAMES(TScrollBarVisibility, svAlways, svHidden, svAuto)
using enum TScrollBarVisibility;

enum class TSizeGripStyle : Byte { sgAuto, sgNone, sgAlways };
QN_ENUM_NAMES(TSizeGripStyle, sgAuto, sgNone, sgAlways)
using enum TSizeGripStyle;

class TCustomImage32_qn;

using TImgMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y,
                                   TCustomLayer* Layer)>;
using TImgMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer)>;
using TPaintStageEvent = TEvent<void(TObject* Sender, TBitmap32* Buffer, Cardinal StageNum)>;
using TPaintStageHandler = void (TCustomImage32_qn::*)(TBitmap32* Dest, Integer StageNum);

// Stage kinds; a stage of any other kind is skipped.
constexpr Cardinal StageCustom = 1;           // fires OnPaintStage
constexpr Cardinal StageClearBuffer = 2;      // the whole buffer in the control's colour
constexpr Cardinal StageClearBackground = 3;  // what the bitmap leaves uncovered
constexpr Cardinal StageDrawBitmap = 4;
constexpr Cardinal StageDrawLayers = 5;       // layers sharing an option bit with Parameter
constexpr Cardinal StageControlFrame = 6;     // focus rectangle round the control
constexpr Cardinal StageBitmapFrame = 7;      // focus rectangle round the bitmap

struct TPaintStage {
  bool DsgnTime = false;
  bool RunTime = true;
  Cardinal Stage = 0;
  Cardinal Parameter = 0;
};
using PPaintStage = TPaintStage*;

class TPaintStages : public TObject {
  QN_CLASS(TPaintStages, TObject)
 public:
  TPaintStages() = default;
  ~TPaintStages() override { Clear(); }

  // Each returns the new record in place; it stays valid until the list
  // next grows or shrinks.
  PPaintStage Add();
  PPaintStage Insert(Integer Index);
  void Delete(Integer Index);
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // Unchecked, as the record is used in place.
  PPaintStage Items(Integer Index) { return &FItems[static_cast<size_t>(Index)]; }
  PPaintStage GetItem(Integer Index) { return Items(Index); }

 private:
  std::vector<TPaintStage> FItems;
};

class TCustomImage32_qn : public TCustomPaintBox32_qn {
  QN_CLASS_CREATE(TCustomImage32_qn, TCustomPaintBox32_qn, TComponent)
 public:
  explicit TCustomImage32_qn(TComponent* AOwner);
  ~TCustomImage32_qn() override;

  virtual void BeginUpdate();
  virtual void EndUpdate();
  // Repaints when no update bracket is open, and fires OnChange.
  void Changed() override;
  // Reports Rect, in control coordinates, to the optimizer.
  using TControl::Update;
  virtual void Update(const TRect& Rect);
  void Invalidate() override;
  // Drops the cached bitmap placement; the optimizer forgets what it held.
  void InvalidateCache();
  virtual void BitmapChanged(const TRect& Area);

  TPoint BitmapToControl(const TPoint& APoint);
  TFloatPoint BitmapToControl(const TFloatPoint& APoint);
  TPoint ControlToBitmap(const TPoint& APoint);
  TFloatPoint ControlToBitmap(const TFloatPoint& APoint);
  virtual TRect GetBitmapRect();
  virtual TSize GetBitmapSize();
  // Renders the stages that run at run time into Dest, the bitmap fitted
  // to DestRect.
  virtual void PaintTo(TBitmap32* Dest, const TRect& DestRect);
  // Sizes the bitmap to the viewport, cleared when asked.
  virtual void SetupBitmap(bool DoClear = false, TColor32 ClearColor = 0xFF000000u);
  void Loaded() override;
  void Resize() override;
  void SetRepaintMode(TRepaintMode Value) override;
  void UpdateCacheNow() { UpdateCache(); }

  TBitmap32* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap32* Value);
  TBitmapAlign BitmapAlign() const { return FBitmapAlign; }
  void SetBitmapAlign(TBitmapAlign Value);
  TLayerCollection* Layers() const { return FLayers.get(); }
  void SetLayers(TLayerCollection* Value);
  Single OffsetHorz() const { return FOffsetHorz; }
  void SetOffsetHorz(Single Value);
  Single OffsetVert() const { return FOffsetVert; }
  void SetOffsetVert(Single Value);
  TPaintStages* PaintStages() const { return FPaintStages.get(); }
  Single Scale() const { return FScaleX; }
  void SetScale(Single Value);
  bool IsScaleStored() const { return FScaleX != 1.0f; }
  Single ScaleX() const { return FScaleX; }
  void SetScaleX(Single Value);
  Single ScaleY() const { return FScaleY; }
  void SetScaleY(Single Value);
  TScaleMode ScaleMode() const { return FScaleMode; }
  virtual void SetScaleMode(TScaleMode Value);
  Integer UpdateCount() const { return FUpdateCount; }
  bool IsPaintToMode() const { return PaintToMode; }
  const TRect& CachedRect() const { return CachedBitmapRect; }

  const TPixelCombineEvent& OnPixelCombine() const { return FBitmap->OnPixelCombine(); }
  void SetOnPixelCombine(const TPixelCombineEvent& Value);
  const TNotifyEvent& OnBitmapResize() const { return FOnBitmapResize; }
  void SetOnBitmapResize(const TNotifyEvent& Value) { FOnBitmapResize = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnInitStages() const { return FOnInitStages; }
  void SetOnInitStages(const TNotifyEvent& Value) { FOnInitStages = Value; }
  const TNotifyEvent& OnScaleChange() const { return FOnScaleChange; }
  void SetOnScaleChange(const TNotifyEvent& Value) { FOnScaleChange = Value; }
  const TImgMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(const TImgMouseEvent& Value) { FOnMouseDown = Value; }
  const TImgMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(const TImgMouseMoveEvent& Value) { FOnMouseMove = Value; }
  const TImgMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(const TImgMouseEvent& Value) { FOnMouseUp = Value; }
  const TPaintStageEvent& OnPaintStage() const { return FOnPaintStage; }
  void SetOnPaintStage(const TPaintStageEvent& Value) { FOnPaintStage = Value; }

 protected:
  virtual void BitmapResized();
  virtual void DoInitStages();
  virtual void DoScaleChange();
  virtual void InitDefaultStages();
  // The layer-aware mouse hooks; each fires its event.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer);
  virtual void UpdateCache();
  void SetXForm(Single ShiftX, Single ShiftY, Single ScaleX, Single ScaleY);

  virtual void ExecBitmapFrame(TBitmap32* Dest, Integer StageNum);
  virtual void ExecClearBuffer(TBitmap32* Dest, Integer StageNum);
  virtual void ExecClearBackgnd(TBitmap32* Dest, Integer StageNum);
  virtual void ExecControlFrame(TBitmap32* Dest, Integer StageNum);
  virtual void ExecCustom(TBitmap32* Dest, Integer StageNum);
  virtual void ExecDrawBitmap(TBitmap32* Dest, Integer StageNum);
  virtual void ExecDrawLayers(TBitmap32* Dest, Integer StageNum);

  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  bool InvalidRectsAvailable() override;
  bool CustomRepaint() override;
  void DoPrepareInvalidRects() override;
  void DoPaintBuffer() override;
  void DoPaintGDIOverlay() override;
  void MouseLeave() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

  std::unique_ptr<TBitmap32> FBitmap;
  TBitmapAlign FBitmapAlign = baTopLeft;
  std::unique_ptr<TLayerCollection> FLayers;
  Single FOffsetHorz = 0;
  Single FOffsetVert = 0;
  std::unique_ptr<TPaintStages> FPaintStages;
  std::vector<TPaintStageHandler> FPaintStageHandlers;
  std::vector<Integer> FPaintStageNum;
  Single FScaleX = 1.0f;
  Single FScaleY = 1.0f;
  TScaleMode FScaleMode = smNormal;
  Integer FUpdateCount = 0;
  TNotifyEvent FOnBitmapResize;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnInitStages;
  TNotifyEvent FOnScaleChange;
  TImgMouseEvent FOnMouseDown;
  TImgMouseEvent FOnMouseUp;
  TImgMouseMoveEvent FOnMouseMove;
  TPaintStageEvent FOnPaintStage;
  TRect CachedBitmapRect;
  Single CachedShiftX = 0, CachedShiftY = 0;
  Single CachedScaleX = 1, CachedScaleY = 1;
  Single CachedRecScaleX = 1, CachedRecScaleY = 1;
  bool CacheValid = false;
  Integer OldSzX = 0, OldSzY = 0;
  bool PaintToMode = false;
  // The placement changed since the optimizer last measured the layers.
  bool FPlacementChanged = false;

 private:
  // Measures the layers again for the optimizer after a placement change.
  void MeasureNewPlacement();
  // The mapped area of a bitmap change, once or once per visible tile.
  template <class F>
  void ForEachMappedArea(const TRect& Area, F Report);
  void BitmapAreaChangeHandler(TObject* Sender, const TRect& Area, Cardinal Info);
  void BitmapDirectAreaChangeHandler(TObject* Sender, const TRect& Area, Cardinal Info);
  void BitmapChangeHandler(TObject* Sender);
  void BitmapResizeHandler(TObject* Sender);
  void LayerCollectionChangeHandler(TObject* Sender);
  void LayerCollectionGDIUpdateHandler(TObject* Sender);
  void LayerCollectionGetViewportScaleHandler(TObject* Sender, Single& ScaleX, Single& ScaleY);
  void LayerCollectionGetViewportShiftHandler(TObject* Sender, Single& ShiftX, Single& ShiftY);
  void RunStages(TBitmap32* Dest);
  TSize ShownSize();
  // Sets the scale of the named axes; the one of X, or else Y, decides
  // whether anything changed.
  void ApplyScale(Single Value, bool X, bool Y);
  // The handler of a stage kind; nil for kinds that are skipped.
  static TPaintStageHandler StageHandler(Cardinal Stage);
};

// Publishes the properties the image and its view share.
#define QN_IMAGE32_PUBLISHED                                                                                        \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                                      \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});               \
  P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);                              \
  P.Property(u"Bitmap", &TCustomImage32_qn::Bitmap, &TCustomImage32_qn::SetBitmap);                                 \
  P.Property(u"BitmapAlign", &TCustomImage32_qn::BitmapAlign, &TCustomImage32_qn::SetBitmapAlign)                   \
      .Default(baTopLeft);                                                                                          \
  P.Property(u"Color", &TControl::Color, &TControl::SetColor).TypeName(u"TColor").Default(clWindow);                \
  P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);                                    \
  P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).TypeName(u"TCursor").Default(crDrag); \
  P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);                           \
  P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);                      \
  P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);             \
  P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);                              \
  P.Property(u"RepaintMode", &TCustomPaintBox32_qn::RepaintMode, &TCustomPaintBox32_qn::SetRepaintMode)             \
      .Default(rmFull);                                                                                             \
  P.Property(u"Scale", &TCustomImage32_qn::Scale, &TCustomImage32_qn::SetScale)       \
      .Stored(&TCustomImage32_qn::IsScaleStored);                                 \
  P.Property(u"ScaleMode", &TCustomImage32_qn::ScaleMode, &TCustomImage32_qn::SetScaleMode).Default(smNormal);      \
  P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint);                                             \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);                           \
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);                           \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                                  \
  P.Property(u"OnBitmapResize", &TCustomImage32_qn::OnBitmapResize, &TCustomImage32_qn::SetOnBitmapResize);         \
  P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);                                    \
  P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);                                                \
  P.Property(u"OnChange", &TCustomImage32_qn::OnChange, &TCustomImage32_qn::SetOnChange);                           \
  P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);                                       \
  P.Property(u"OnGDIOverlay", &TCustomPaintBox32_qn::OnGDIOverlay, &TCustomPaintBox32_qn::SetOnGDIOverlay);         \
  P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);                                       \
  P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);                                       \
  P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag);                                          \
  P.Property(u"OnInitStages", &TCustomImage32_qn::OnInitStages, &TCustomImage32_qn::SetOnInitStages);               \
  P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);                                    \
  P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);                                 \
  P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);                                          \
  P.Property(u"OnMouseDown", &TCustomImage32_qn::OnMouseDown, &TCustomImage32_qn::SetOnMouseDown);                  \
  P.Property(u"OnMouseMove", &TCustomImage32_qn::OnMouseMove, &TCustomImage32_qn::SetOnMouseMove);                  \
  P.Property(u"OnMouseUp", &TCustomImage32_qn::OnMouseUp, &TCustomImage32_qn::SetOnMouseUp);                        \
  P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);                                 \
  P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);                     \
  P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);                           \
  P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);                                 \
  P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);                                 \
  P.Property(u"OnPaintStage", &TCustomImage32_qn::OnPaintStage, &TCustomImage32_qn::SetOnPaintStage);               \
  P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);                                             \
  P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);

class TImage32 : public TCustomImage32_qn {
  QN_CLASS_CREATE(TImage32, TCustomImage32_qn, TComponent)
 public:
  explicit TImage32(TComponent* AOwner) : TCustomImage32_qn(AOwner) {}

  QN_PUBLISHED_DECL(TImage32) { QN_IMAGE32_PUBLISHED }
};

// ---------------------------------------------------------------------------
// The image view

class TCustomImgView32;

// The view's two range bars' appearance, their step and size, and when
// they show.
class TIVScrollProperties : public TArrowBarAccess {
  QN_CLASS(TIVScrollProperties, TArrowBarAccess)
 public:
  explicit TIVScrollProperties(TCustomImgView32* AImgView = nullptr) : FImgView(AImgView) {}

  TCustomImgView32* ImgView() const { return FImgView; }
  void SetImgView(TCustomImgView32* Value) { FImgView = Value; }
  Integer Increment() const;
  void SetIncrement(Integer Value);
  Integer Size() const;
  void SetSize(Integer Value);
  TScrollBarVisibility Visibility() const;
  void SetVisibility(TScrollBarVisibility Value);

  QN_PUBLISHED_DECL(TIVScrollProperties) {
    QN_PROP(Increment).Default(8);
    QN_PROP(Size).Default(0);
    QN_PROP(Visibility).Default(svAlways);
  }

 private:
  TCustomImgView32* FImgView;
};

class TCustomImgView32 : public TCustomImage32_qn {
  QN_CLASS_CREATE(TCustomImgView32, TCustomImage32_qn, TComponent)
 public:
  explicit TCustomImgView32(TComponent* AOwner);
  ~TCustomImgView32() override;

  TRect GetViewportRect() override;
  bool GetScrollBarsVisible();
  Integer GetScrollBarSize();
  TRect GetSizeGripRect();
  bool IsSizeGripVisible();
  // Places the bars along the bottom and right of the viewport.
  void AlignAll();
  void Loaded() override;
  void Scroll(Integer Dx, Integer Dy);
  void ScrollToCenter(Integer X, Integer Y);
  void Recenter();
  void SetScaleMode(TScaleMode Value) override;

  bool Centered() const { return FCentered; }
  void SetCentered(bool Value);
  Integer OverSize() const { return FOverSize; }
  void SetOverSize(Integer Value);
  TIVScrollProperties* ScrollBars() const { return FScrollBars.get(); }
  void SetScrollBars(TIVScrollProperties* Value);
  TSizeGripStyle SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(TSizeGripStyle Value);
  TCustomRangeBar* HorzScrollBar() const { return HScroll; }
  TCustomRangeBar* VertScrollBar() const { return VScroll; }
  const TNotifyEvent& OnScroll() const { return FOnScroll; }
  void SetOnScroll(const TNotifyEvent& Value) { FOnScroll = Value; }

 protected:
  friend class TIVScrollProperties;

  virtual void DoDrawSizeGrip(const TRect& R);
  virtual void DoScroll();
  virtual void ScrollHandler(TObject* Sender);
  virtual void UpdateImage();
  virtual void UpdateScrollBars();
  void BitmapResized() override;
  void DoScaleChange() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void Resize() override;
  // The bars are components of the view and may go first.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The bars belong to the view's own make-up: never written as controls
  // placed on it.
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  using TCustomImage32_qn::MouseDown;
  using TCustomImage32_qn::MouseMove;

  bool FCentered = true;
  Integer FScrollBarSize = 0;
  TScrollBarVisibility FScrollBarVisibility = svAlways;
  std::unique_ptr<TIVScrollProperties> FScrollBars;
  TSizeGripStyle FSizeGrip = sgAuto;
  TNotifyEvent FOnScroll;
  Integer FOverSize = 0;
  bool DisableScrollUpdate = false;
  TCustomRangeBar* HScroll = nullptr;
  TCustomRangeBar* VScroll = nullptr;

 private:
  // The grip, or a plain square where it would be, onto the window.
  void PaintGripCorner();
};

class TImgView32 : public TCustomImgView32 {
  QN_CLASS_CREATE(TImgView32, TCustomImgView32, TComponent)
 public:
  explicit TImgView32(TComponent* AOwner) : TCustomImgView32(AOwner) {}

  QN_PUBLISHED_DECL(TImgView32) {
    QN_IMAGE32_PUBLISHED
    P.Property(u"ScaleMode", &TCustomImage32_qn::ScaleMode, &TCustomImage32_qn::SetScaleMode).Default(smScale);
    P.Property(u"BitmapAlign", &TCustomImage32_qn::BitmapAlign, &TCustomImage32_qn::SetBitmapAlign)
        .Default(baCustom);
    QN_PROP(Centered).Default(true);
    QN_PROP(OverSize).Default(0);
    QN_PROP(ScrollBars);
    QN_PROP(SizeGrip).Default(sgAuto);
    QN_PROP(OnScroll);
  }
};

// ---------------------------------------------------------------------------
// The bitmap list

class TBitmap32Item : public TCollectionItem {
  QN_CLASS_CREATE(TBitmap32Item, TCollectionItem, TCollection)
 public:
  explicit TBitmap32Item(TCollection* Collection);
  ~TBitmap32Item() override;

  TBitmap32* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBitmap32* Value);

  QN_PUBLISHED_DECL(TBitmap32Item) { QN_PROP(Bitmap); }

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  std::unique_ptr<TBitmap32> FBitmap;
};

class TBitmap32Collection : public TCollection {
  QN_CLASS(TBitmap32Collection, TCollection)
 public:
  TBitmap32Collection(TPersistent* AOwner, TCollectionItemClass ItemClass);
  TBitmap32Item* Add() { return static_cast<TBitmap32Item*>(TCollection::Add()); }
  TBitmap32Item* Items(Integer Index) const { return static_cast<TBitmap32Item*>(GetItem(Index)); }
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};

class TBitmap32List : public TComponent {
  QN_CLASS_CREATE(TBitmap32List, TComponent, TComponent)
 public:
  explicit TBitmap32List(TComponent* AOwner);
  ~TBitmap32List() override;

  TBitmap32* Bitmap(Integer Index) const;
  void SetBitmap(Integer Index, TBitmap32* Value);
  TBitmap32Collection* Bitmaps() const { return FBitmap32Collection.get(); }
  // Copies Value's items; the list keeps its own collection.
  void SetBitmaps(TBitmap32Collection* Value);

  QN_PUBLISHED_DECL(TBitmap32List) { QN_PROP(Bitmaps); }

 private:
  std::unique_ptr<TBitmap32Collection> FBitmap32Collection;
};

// The optimizer class every paint box creates.
extern TCustomRepaintOptimizerClass PaintBoxOptimizerClass;

void InitPix32Image();
void DonePix32Image();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
