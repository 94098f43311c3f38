// The drawable part of a DC's surface, for the window server's GetRandomRgn.
#include "platform/gdi/GdiInternal.h"

namespace vcl {

using namespace gdi;

int GetDCVisibleRegion(HDC dc, HRGN rgn) {
  auto d = LookupDC(dc);
  auto r = LookupRgn(rgn);
  if (!d || !r) return -1;
  auto* s = d->Surface();
  TRegion vis(s ? s->BoundsRect() : TRect());
  if (d->VisRgn) vis.Intersect(*d->VisRgn);
  r->Rgn = vis;
  return vis.Empty() ? 0 : 1;
}

}  // namespace vcl
