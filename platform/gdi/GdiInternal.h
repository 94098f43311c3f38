// Internal to platform/gdi: the objects behind the handles, the handle
// table, and the painting core shared by the drawing and transfer units.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/GdiSurface.h"

namespace vcl {
class TFontInstance;
}

namespace vcl::gdi {

// RAII over pixman_region32_t.
class TRegion {
 public:
  TRegion() { pixman_region32_init(&R); }
  explicit TRegion(const TRect& r) {
    if (r.IsEmpty()) {
      pixman_region32_init(&R);
    } else {
      pixman_box32_t b{r.Left, r.Top, r.Right, r.Bottom};
      pixman_region32_init_with_extents(&R, &b);
    }
  }
  TRegion(const TRegion& o) { pixman_region32_init(&R); pixman_region32_copy(&R, const_cast<pixman_region32_t*>(&o.R)); }
  TRegion& operator=(const TRegion& o) {
    if (this != &o) pixman_region32_copy(&R, const_cast<pixman_region32_t*>(&o.R));
    return *this;
  }
  ~TRegion() { pixman_region32_fini(&R); }
  pixman_region32_t* get() { return &R; }
  const pixman_region32_t* get() const { return &R; }
  pixman_region32_t* mut() const { return const_cast<pixman_region32_t*>(&R); }

  bool Empty() const { return !pixman_region32_not_empty(mut()); }
  int Count() const { return pixman_region32_n_rects(mut()); }
  TRect Box() const;
  std::vector<TRect> Rects() const;
  void Intersect(const TRegion& o) { pixman_region32_intersect(&R, &R, o.mut()); }
  void IntersectRect(const TRect& r);
  void Union(const TRegion& o) { pixman_region32_union(&R, &R, o.mut()); }
  void Subtract(const TRegion& o) { pixman_region32_subtract(&R, &R, o.mut()); }
  void Translate(int dx, int dy) { pixman_region32_translate(&R, dx, dy); }
  void Clear() { pixman_region32_clear(&R); }
  // The platform's region type of the contents.
  int Kind() const { return Empty() ? NULLREGION : Count() == 1 ? SIMPLEREGION : COMPLEXREGION; }
  // Builds from 1-pixel-high runs (y, x0, x1 exclusive), in any order.
  static TRegion FromRects(const std::vector<pixman_box32_t>& boxes);

 private:
  pixman_region32_t R;
};

// Collects runs of pixels and turns them into a region once.
class TSpanList {
 public:
  void Add(int y, int x0, int x1) {
    if (x1 > x0) Boxes.push_back({x0, y, x1, y + 1});
  }
  void AddRect(const TRect& r) {
    if (!r.IsEmpty()) Boxes.push_back({r.Left, r.Top, r.Right, r.Bottom});
  }
  void Point(int x, int y) {
    if (!Boxes.empty()) {
      auto& b = Boxes.back();
      if (b.y1 == y && b.y2 == y + 1 && b.x2 == x) { ++b.x2; return; }
      if (b.y1 == y && b.y2 == y + 1 && b.x1 == x + 1) { --b.x1; return; }
    }
    Boxes.push_back({x, y, x + 1, y + 1});
  }
  TRegion Region() const { return TRegion::FromRects(Boxes); }
  std::vector<pixman_box32_t> Boxes;
};

enum class TKind : uint8_t { Pen = 1, Brush = 2, DC = 3, Palette = 5, Font = 6, Bitmap = 7, Region = 8, MemDC = 10 };

struct TGdiObject {
  virtual ~TGdiObject() = default;
  TKind Kind = TKind::Pen;
  bool Stock = false;
  HGDIOBJ Handle = nullptr;
  int SelectCount = 0;  // DCs that have it selected (bitmaps)
};
using TObjectPtr = std::shared_ptr<TGdiObject>;

struct TPenObj : TGdiObject {
  LOGPEN Log;
  bool DCPen = false;  // DC_PEN: colour comes from the DC
};

struct TBrushObj : TGdiObject {
  LOGBRUSH Log;
  bool DCBrush = false;
  // BS_PATTERN: the pattern's pixels; monochrome ones use the DC's colours.
  std::array<uint32_t, 64> Pattern{};
  bool MonoPattern = false;
};

struct TFontObj : TGdiObject {
  LOGFONTW Log;
  // The glyph provider's instance for Log, kept while the provider that made
  // it stands (see DCFontInstance): text drawn a piece at a time would
  // otherwise look the instance up by its description for every piece.
  std::shared_ptr<TFontInstance> Realized;
  unsigned RealizedEpoch = 0;
};

struct TPaletteObj : TGdiObject {
  std::vector<PALETTEENTRY> Entries;
};

struct TBitmapObj : TGdiObject {
  TGdiSurfacePtr Surface;
  bool IsDIB = false;
  int BitCount = 32;                 // depth the caller sees
  BITMAPINFOHEADER Info;             // DIB sections
  std::vector<RGBQUAD> Colors;       // colour table of a DIB section below 16 bpp
  DWORD Masks[3] = {0, 0, 0};        // 16/32 bpp bitfields
  Byte* UserBits = nullptr;          // DIB bits the caller sees, for depths other than 32
  NativeInt UserStride = 0;          // signed, top row first
  std::shared_ptr<void> UserStorage;
  HANDLE Section = nullptr;
  DWORD Offset = 0;
  const void* SelectedIn = nullptr;  // the DC holding it while SelectCount > 0
  // For DIBs whose caller-visible format is not the surface's: copy in
  // before GDI reads or writes, and back after it wrote.
  // Rows [first, last) only; the default is every row.
  void SyncIn(int first = 0, int last = INT32_MAX);
  void SyncOut(int first = 0, int last = INT32_MAX);
  bool Shadowed() const { return UserBits != nullptr; }
};

struct TRegionObj : TGdiObject {
  TRegion Rgn;
};

struct TDCState {
  TPoint ViewportOrg, WindowOrg, BrushOrg, CurPos;
  TObjectPtr Pen, Brush, Font, Palette, Bitmap;
  std::optional<TRegion> ClipRgn;  // device coordinates
  int Rop2 = R2_COPYPEN;
  COLORREF TextColor = 0;
  COLORREF BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  int StretchMode = BLACKONWHITE;
  int PolyFillMode = ALTERNATE;
  int ArcDirection = AD_COUNTERCLOCKWISE;
  COLORREF DCBrushColor = 0xFFFFFF;
  COLORREF DCPenColor = 0;
  UINT TextAlign = 0;      // TA_* (GdiText.cpp)
  int TextCharExtra = 0;   // SetTextCharacterExtra
};

// A printer DC's device and document (GdiPrinter.cpp).
struct TPrinterDC;
int PrinterDeviceCaps(const TPrinterDC& p, int index);

struct TDCObj : TGdiObject {
  bool Memory = true;
  std::shared_ptr<TPrinterDC> Printer;  // set for printer DCs and information contexts
  TGdiSurfacePtr Target;       // surface DCs; memory DCs use their bitmap's
  TPoint DeviceOrigin;
  std::optional<TRegion> VisRgn;  // surface coordinates
  TDCState State;
  std::vector<TDCState> Saved;
  // Clip in surface coordinates, rebuilt when anything it depends on changes.
  bool ClipValid = false;
  TRegion Clip;
  // Surface DCs gather where they may have drawn, for the window server,
  // which takes it when the DC is released: a window's paint overwrites the
  // screen there. Fills and block transfers note the area they wrote; any
  // other drawing call its whole clip, once per clip.
  TRegion Written;
  bool ClipWritten = false;  // the current clip is in Written
  int WriteScopes = 0;       // writing TDrawScopes open on the DC
  bool AreaNoted = false;    // the outermost one's call noted its area
  void NoteWrite() {
    if (Memory || ClipWritten) return;
    Written.Union(EffectiveClip());
    ClipWritten = true;
  }
  void NoteWriteArea(const TRegion& area) {
    AreaNoted = true;
    if (Memory) return;
    Written.Union(area);
    // Many small fills (a grid painted cell by cell) make the bounds of
    // them, so that each later one costs no more.
    if (Written.Count() > 32) Written = TRegion(Written.Box());
  }

  TGdiSurface* Surface() const;
  TBitmapObj* Bitmap() const;
  const TRegion& EffectiveClip();
  void InvalidateClip() {
    ClipValid = false;
    ClipWritten = false;
  }
  // Logical point to surface point.
  TPoint Offset() const {
    return {State.ViewportOrg.X - State.WindowOrg.X + DeviceOrigin.X,
            State.ViewportOrg.Y - State.WindowOrg.Y + DeviceOrigin.Y};
  }
};

// Handle table.
HGDIOBJ AddObject(TObjectPtr obj);
TObjectPtr Lookup(HGDIOBJ h);
template <class T>
std::shared_ptr<T> LookupAs(HGDIOBJ h, TKind kind) {
  auto o = Lookup(h);
  if (!o || o->Kind != kind) return nullptr;
  return std::static_pointer_cast<T>(o);
}
std::shared_ptr<TDCObj> LookupDC(HDC dc);
std::shared_ptr<TRegionObj> LookupRgn(HRGN r);
std::shared_ptr<TBitmapObj> LookupBitmap(HBITMAP b);
std::shared_ptr<TBrushObj> LookupBrush(HBRUSH b);
std::shared_ptr<TPenObj> LookupPen(HPEN p);
TObjectPtr StockObject(int index);
std::shared_ptr<TBitmapObj> DefaultBitmap();

// While alive: the DC's shadowed DIB is in its 32-bit form; written back at the end.
class TDrawScope {
 public:
  explicit TDrawScope(HDC dc, bool writes = true);
  // Only logical row y is read or written (SetPixel, GetPixel): a shadowed
  // DIB converts that row alone.
  TDrawScope(HDC dc, bool writes, int y);
  ~TDrawScope();
  TDrawScope(const TDrawScope&) = delete;
  TDrawScope& operator=(const TDrawScope&) = delete;
  explicit operator bool() const { return DC != nullptr && S != nullptr; }
  std::shared_ptr<TDCObj> DC;
  TGdiSurface* S = nullptr;
  TBitmapObj* Bmp = nullptr;
  bool Writes = true;
  int First = 0, Last = INT32_MAX;
};

// Painting. A paint source gives a 32-bit value per surface pixel (the pen
// colour, the brush pattern, or the DC background); the ROP2 variant writes
// colour bytes with alpha 0, the blt variant all 32 bits.
struct TPaint {
  bool Solid = true;
  uint32_t Color = 0;                   // alpha 0
  std::array<uint32_t, 64> Pat{};       // 8x8, alpha 0
  uint64_t PatMask = ~uint64_t(0);      // 1: pixel painted (hatches in transparent mode)
  TPoint PatOrg;                        // surface coordinates of pattern (0, 0)
  bool Null = false;                    // nothing painted
  uint32_t At(int x, int y) const { return Solid ? Color : Pat[((y - PatOrg.Y) & 7) * 8 + ((x - PatOrg.X) & 7)]; }
  bool Painted(int x, int y) const {
    return Solid || ((PatMask >> (((y - PatOrg.Y) & 7) * 8 + ((x - PatOrg.X) & 7))) & 1);
  }
};

// Maps a colour for a monochrome target: white or black by intensity.
uint32_t MonoPixel(uint32_t p);
// The same for a given monochrome surface: a 1-bit DIB section takes the
// nearer of its two table colours, so a colour drawn from its own table
// lands on that entry whatever the order of the table.
uint32_t MonoPixel(const TGdiSurface& s, uint32_t p);
// Paint for the DC's brush (or another brush), its pen, a solid colour.
TPaint BrushPaint(TDCObj& dc, const TBrushObj* brush, bool forBlt);
TPaint SolidPaint(TDCObj& dc, COLORREF c);
// ROP2 over a region (surface coordinates), clipped to the DC.
void PaintRegionRop2(TDCObj& dc, TGdiSurface& s, const TRegion& rgn, const TPaint& paint, int rop2);
// Ternary ROP with pattern and destination only (PatBlt), over a region.
void PaintRegionRop3(TDCObj& dc, TGdiSurface& s, const TRegion& rgn, const TPaint& paint, DWORD rop);

// Shapes. Each gives one [x0, x1) run per row of its box, top to bottom,
// for the rows of the box inside [y0, y1) only, so a huge figure costs no
// more than its visible rows.
struct TRows {
  int Top = 0;
  std::vector<std::pair<int, int>> Spans;
  bool Contains(int x, int y) const {
    int i = y - Top;
    return i >= 0 && i < int(Spans.size()) && x >= Spans[size_t(i)].first && x < Spans[size_t(i)].second;
  }
};
// The classic ellipse fitted in a box: pixel centres l..r-1 span it, the
// curve bulging a quarter pixel past them so the extreme rows are not empty.
std::pair<int, int> EllipseRow(int l, int t, int r, int b, int y);
TRows EllipseRows(int l, int t, int r, int b, int y0 = INT32_MIN, int y1 = INT32_MAX);
// A rectangle with corners cut by quarters of an ew x eh ellipse.
TRows RoundRectRows(int l, int t, int r, int b, int ew, int eh, int y0 = INT32_MIN, int y1 = INT32_MAX);
TRegion RowsRegion(const TRows& rows);
// Runs of a polygon set over pixel centres; right and bottom edges are left out.
void PolygonSpans(const TPoint* pts, const int* counts, int polys, int fillMode, TSpanList& out,
                  int y0 = INT32_MIN, int y1 = INT32_MAX);

// Device coordinates stay within 27 bits, as on the platform; figures
// outside fail instead of overflowing.
constexpr int kMaxCoord = 1 << 27;
constexpr bool CoordOk(Int64 v) { return v >= -kMaxCoord && v <= kMaxCoord; }
constexpr bool CoordOk(const TPoint& p) { return CoordOk(p.X) && CoordOk(p.Y); }
constexpr bool CoordOk(Int64 x, Int64 y, Int64 w, Int64 h) {
  return CoordOk(x) && CoordOk(y) && CoordOk(x + w) && CoordOk(y + h);
}
constexpr bool CoordOk(const TRect& r) { return CoordOk(r.Left) && CoordOk(r.Top) && CoordOk(r.Right) && CoordOk(r.Bottom); }

uint32_t Rop2(int code, uint32_t p, uint32_t d);
uint32_t Rop3(DWORD rop, uint32_t p, uint32_t s, uint32_t d);
bool RopUsesSource(DWORD rop);
bool RopUsesPattern(DWORD rop);

}  // namespace vcl::gdi
