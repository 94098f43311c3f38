// Polygon drawing: the styles strokes are built with. The outline builders
// in Pix32_VectorUtils_qn take them, so they live here where the polygon
// renderers will find them too.
#pragma once

#include "graphics/raster/QnBase.h"

namespace qn {

enum class TJoinStyle : Byte { jsMiter, jsBevel, jsRound };
enum class TEndStyle : Byte { esButt, esSquare, esRound };

}  // namespace qn
