// uQnComm, the routines over the GDI+ object layer. uQnComm.h includes this
// header; it stands alone so that code drawing only through GDI+ need not
// pull in the raster library.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/GraphicsColor.h"

namespace qn {

using namespace vcl;

class TGpGraphicsPath;
class TGpImage;
struct TGPRect;

// A closed path of four quarter arcs joined by the sides; the caller frees
// it. Radius <= 0 gives the rectangle; a radius over half the smaller side
// is held there.
TGpGraphicsPath* CreateRoundRectangle(const TGPRect& Rect, Integer Radius);

// Image drawn into Rect, clipped to the ellipse of Rect, smoothed, with a
// one-pixel ring in BorderColor; a nil image draws the ring only.
void DrawImageInCircle(HDC DC, const TRect& Rect, TGpImage* Image, TColor BorderColor);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
