#include "graphics/raster/Pix32_RepaintOpt_qn.h"

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

}  // namespace qn
