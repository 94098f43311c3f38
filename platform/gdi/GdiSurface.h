// Host-internal: the 32-bit surfaces GDI draws into, and the DCs the window
// server and the desktop make over them. Not for code above platform/.
//
// A surface holds 32-bit pixels, one uint32_t each: 0xAARRGGBB in memory
// order B, G, R, A, rows top-down. A window, its DCs and the desktop share a
// surface through std::shared_ptr; a DIB section or compatible bitmap owns one.
#pragma once

#include <pixman.h>

#include <memory>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace vcl {

struct TGdiSurface {
  Integer Width = 0;
  Integer Height = 0;
  // Bytes from the start of one row to the start of the row below; negative
  // when the memory is bottom-up (a bottom-up DIB section).
  NativeInt Stride = 0;
  // The first pixel of the top row.
  Byte* Bits = nullptr;
  // Pixels are only 0x00000000 or 0x00FFFFFF: a 1-bit bitmap. Colours drawn
  // into it map to black or white.
  bool Monochrome = false;
  // A 1-bit DIB section carries its colour table: read into colour, index 0
  // and 1 are these colours. A device-dependent monochrome bitmap has no
  // table and takes the destination's text and background colours instead.
  bool MonoTable = false;
  uint32_t MonoColors[2] = {0, 0x00FFFFFF};
  // The colour a monochrome pixel becomes in a colour destination whose
  // text colour is fg and background colour bg.
  uint32_t MonoToColor(uint32_t p, uint32_t fg, uint32_t bg) const {
    bool set = (p & 0x00FFFFFF) != 0;
    if (MonoTable) return MonoColors[set ? 1 : 0];
    return set ? bg : fg;
  }
  // Keeps the pixel memory alive (owned storage or a caller's section).
  std::shared_ptr<void> Storage;

  uint32_t* Scanline(Integer y) const { return reinterpret_cast<uint32_t*>(Bits + Stride * y); }
  uint32_t& Pixel(Integer x, Integer y) const { return Scanline(y)[x]; }
  TRect BoundsRect() const { return TRect(0, 0, Width, Height); }

  // A zero-filled top-down surface; raises EOutOfMemory for sizes that do not fit.
  static std::shared_ptr<TGdiSurface> Create(Integer width, Integer height);
  // A surface over memory kept alive by storage.
  static std::shared_ptr<TGdiSurface> Wrap(Byte* bits, Integer width, Integer height, NativeInt stride,
                                           std::shared_ptr<void> storage);
};
using TGdiSurfacePtr = std::shared_ptr<TGdiSurface>;

// A DC drawing into part of a surface: device point (0, 0) is surface point
// deviceOrigin, and nothing outside visibleRegion (surface coordinates,
// copied; nullptr = the whole surface) is touched. Window DCs, whole-window
// DCs and the screen DC are such DCs. DeleteDC frees one (ReleaseDC of the
// window server calls it); a class or own DC can instead be kept and moved
// with SetSurfaceDCOrigin when its window changes.
HDC CreateSurfaceDC(TGdiSurfacePtr surface, TPoint deviceOrigin, HRGN visibleRegion);
// The same for a visible region that is one rectangle (or empty), which
// needs no region object of its own.
HDC CreateSurfaceDC(TGdiSurfacePtr surface, TPoint deviceOrigin, const TRect& visibleRect);
// Replaces the visible region (copied; nullptr = whole surface) and origin.
// The DC's own clip region, kept in device coordinates, is not changed.
BOOL SetSurfaceDCOrigin(HDC dc, TPoint deviceOrigin, HRGN visibleRegion);
// Points the DC at another surface (a window that was resized), keeping its state.
BOOL SetSurfaceDCSurface(HDC dc, TGdiSurfacePtr surface, TPoint deviceOrigin, HRGN visibleRegion);
// True for a DC made by CreateSurfaceDC.
bool IsSurfaceDC(HDC dc);
// Where a surface DC may have drawn since it was made or last asked (surface
// coordinates; the clip of each drawing call), stored into rgn and
// forgotten. False, rgn unchanged, when it drew nothing.
bool TakeDCWrittenRegion(HDC dc, HRGN rgn);
// The part of its surface a DC may draw on (surface coordinates): the
// visible region of a surface DC, the bitmap of a memory DC, the page of a
// printer DC. Stored into rgn; 1, or 0 when empty, or -1 for a bad DC or region.
int GetDCVisibleRegion(HDC dc, HRGN rgn);

// A window DC the window server keeps between a ReleaseDC and the next
// GetDC of the same window. Parking withdraws the handle at once (the old
// handle then fails as after DeleteDC) and sets every state a caller may
// change back to a new DC's; the surface, origin and visible region stay.
// Unparking hands the same object out under a new handle. Dropping the
// pointer frees a parked DC.
namespace gdi {
struct TDCObj;
}
using TParkedDC = std::shared_ptr<gdi::TDCObj>;
// nullptr for anything but a surface DC.
TParkedDC ParkSurfaceDC(HDC dc);
HDC UnparkSurfaceDC(TParkedDC dc);

// The surface a DC draws into (a memory DC: its selected bitmap's surface),
// and where device (0, 0) lies on it. nullptr for an invalid DC.
TGdiSurfacePtr GetDCSurface(HDC dc);
TPoint GetDCDeviceOrigin(HDC dc);
// The surface of a bitmap (32-bit and monochrome ones), nullptr otherwise.
TGdiSurfacePtr GetBitmapSurface(HBITMAP bmp);
// Makes a bitmap over an existing surface (shared, not copied).
HBITMAP CreateBitmapFromSurface(TGdiSurfacePtr surface);
// AlphaBlend of the whole of src, 1:1, to (x, y) of dst, as from a memory DC
// with a bitmap over src selected: the same pixels without making either.
BOOL AlphaBlendSurface(HDC dst, int x, int y, const TGdiSurface& src, BLENDFUNCTION bf);

// The colour table a palette depth starts with (GetDIBits reports it too):
// black and white, the 16 VGA colours, or those followed by a 6x6x6 cube and
// greys. Empty above 8 bits per pixel.
std::vector<RGBQUAD> DefaultColorTable(int bpp);

// The pixman region behind a region handle (nullptr for an invalid handle).
// The pointer stays valid until the region is changed or deleted.
const pixman_region32_t* GetRegionPixman(HRGN rgn);
// The region's rectangles, y-x banded, in ascending order.
std::vector<TRect> GetRegionRects(HRGN rgn);
// Replaces a region's contents with a copy of a pixman region.
BOOL SetRegionPixman(HRGN rgn, const pixman_region32_t* src);

// Colour conversions between COLORREF (0x00BBGGRR) and surface pixels.
constexpr uint32_t ColorRefToPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF PixelToColorRef(uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

}  // namespace vcl

namespace vcl {
// CreateDIBSection with a section handle asks this mapper for the memory
// (the kernel's file mappings register it); without one such calls fail.
using TDIBSectionMapper = Byte* (*)(HANDLE section, DWORD offset, size_t size);
void SetDIBSectionMapper(TDIBSectionMapper mapper);
}  // namespace vcl
