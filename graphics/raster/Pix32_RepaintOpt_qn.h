// The contract between a paint box and whatever decides which parts of its
// back buffer reach the window: the abstract optimizer, created through its
// class reference with the buffer and the invalid list it fills, and the
// rectangle growth every area-tracking caller uses.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

class TRectList;
class TCustomRepaintOptimizer;

// Grows Area by Dx and Dy on every side. A reversed rectangle (the end points
// of a line drawn right to left or bottom to top) grows outwards too.
void InflateArea(TRect& Area, Integer Dx, Integer Dy);

// An optimizer class reference: the platform's virtual constructors take one
// argument, an optimizer needs two, so the family carries its own factory.
struct TRepaintOptimizerClassRec {
  TClass Class;
  TCustomRepaintOptimizer* (*Create)(TBitmap32* Buffer, TRectList* InvalidRects);
};
using TCustomRepaintOptimizerClass = const TRepaintOptimizerClassRec*;

// Declares an optimizer class with its class reference: Cls::OptimizerClass().
#define QN_REPAINT_OPTIMIZER_CLASS(Cls, Parent)                                               \
  QN_CLASS(Cls, Parent)                                                                       \
                                                                                              \
 public:                                                                                      \
  static ::qn::TCustomRepaintOptimizerClass OptimizerClass() noexcept {                       \
    static const ::qn::TRepaintOptimizerClassRec rec{                                         \
        StaticClass(), [](::qn::TBitmap32* b, ::qn::TRectList* r) -> ::qn::TCustomRepaintOptimizer* { \
          return new Cls(b, r);                                                               \
        }};                                                                                   \
    return &rec;                                                                              \
  }                                                                                           \
                                                                                              \
 private:

class TCustomRepaintOptimizer : public TObject {
  QN_CLASS(TCustomRepaintOptimizer, TObject)
 public:
  TCustomRepaintOptimizer(TBitmap32* Buffer, TRectList* InvalidRects);
  // Detaches from every collection still registered.
  ~TCustomRepaintOptimizer() override;

  bool Enabled() { return GetEnabled(); }
  virtual bool GetEnabled() { return FEnabled; }
  virtual void SetEnabled(bool Value) { FEnabled = Value; }

  // A registered collection reports its list changes (and, in optimizers
  // that want them, its layer and area changes) here. The collections are
  // not owned; each stays registered until it unregisters.
  virtual void RegisterLayerCollection(TLayerCollection* Layers);
  virtual void UnregisterLayerCollection(TLayerCollection* Layers);
  virtual void LayerCollectionNotifyHandler(TLayerCollection* Sender, TLayerListNotification Action,
                                            TCustomLayer* Layer, Integer Index) = 0;
  virtual void LayerUpdateHandler(TObject* Sender, TCustomLayer* Layer) = 0;
  const std::vector<TLayerCollection*>& LayerCollections() const { return FLayerCollections; }

  // Around every paint of the paint box.
  virtual void BeginPaint() {}
  virtual void EndPaint() {}
  // Around the redrawing of the buffer by an image control.
  virtual void BeginPaintBuffer() {}
  virtual void EndPaintBuffer() {}

  // Forget everything collected (a full repaint comes).
  virtual void Reset() = 0;
  // Whether collected changes wait to be painted.
  virtual bool UpdatesAvailable() = 0;
  // Fills the invalid list with what must be copied.
  virtual void PerformOptimization() = 0;
  // The buffer's area-changed handler in optimizer mode.
  virtual void AreaUpdateHandler(TObject* Sender, const TRect& Area, Cardinal Info) = 0;
  virtual void BufferResizedHandler(Integer NewWidth, Integer NewHeight) = 0;

  TBitmap32* Buffer() const { return FBuffer; }
  TRectList* InvalidRects() const { return FInvalidRects; }

 protected:
  bool FEnabled = false;
  std::vector<TLayerCollection*> FLayerCollections;
  TRectList* FInvalidRects;
  TBitmap32* FBuffer;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
