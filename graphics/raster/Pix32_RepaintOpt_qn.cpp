#include "graphics/raster/Pix32_RepaintOpt_qn.h"

#include <algorithm>

namespace qn {

void InflateArea(TRect& Area, Integer Dx, Integer Dy) {
  if (Area.Left > Area.Right) Dx = -Dx;
  if (Area.Top > Area.Bottom) Dy = -Dy;
  Area.Left -= Dx;
  Area.Top -= Dy;
  Area.Right += Dx;
  Area.Bottom += Dy;
}

TCustomRepaintOptimizer::TCustomRepaintOptimizer(TBitmap32* Buffer, TRectList* InvalidRects)
    : FInvalidRects(InvalidRects), FBuffer(Buffer) {}

TCustomRepaintOptimizer::~TCustomRepaintOptimizer() {
  // Unregistering through the virtual would reach a descendant already
  // destroyed; only the base's own hook is undone here.
  for (TLayerCollection* layers : FLayerCollections) layers->SetOnListNotify({});
  FLayerCollections.clear();
}

void TCustomRepaintOptimizer::RegisterLayerCollection(TLayerCollection* Layers) {
  if (!Layers) return;
  if (std::find(FLayerCollections.begin(), FLayerCollections.end(), Layers) != FLayerCollections.end()) return;
  FLayerCollections.push_back(Layers);
  Layers->SetOnListNotify(MakeEvent(this, &TCustomRepaintOptimizer::LayerCollectionNotifyHandler));
}

void TCustomRepaintOptimizer::UnregisterLayerCollection(TLayerCollection* Layers) {
  if (!Layers) return;
  Layers->SetOnListNotify({});
  auto it = std::find(FLayerCollections.begin(), FLayerCollections.end(), Layers);
  if (it != FLayerCollections.end()) FLayerCollections.erase(it);
}

}  // namespace qn
