// Handles, object lifetime, stock objects, surfaces and the DC objects.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/rtl/System.h"
#include "platform/rtl/Units.h"

namespace vcl {

using namespace gdi;

// ---------------------------------------------------------------------------
// Surfaces

std::shared_ptr<TGdiSurface> TGdiSurface::Create(Integer width, Integer height) {
  if (width < 0 || height < 0 || (width > 0 && Int64(height) > (Int64(1) << 31) / 4 / width))
    throw EOutOfMemory(u"Out of memory");
  auto s = std::make_shared<TGdiSurface>();
  s->Width = width;
  s->Height = height;
  s->Stride = NativeInt(width) * 4;
  size_t n = size_t(width) * size_t(height);
  std::shared_ptr<uint32_t[]> mem(new uint32_t[n ? n : 1]());
  s->Bits = reinterpret_cast<Byte*>(mem.get());
  s->Storage = std::shared_ptr<void>(mem, mem.get());
  return s;
}

std::shared_ptr<TGdiSurface> TGdiSurface::Wrap(Byte* bits, Integer width, Integer height, NativeInt stride,
                                               std::shared_ptr<void> storage) {
  auto s = std::make_shared<TGdiSurface>();
  s->Width = width;
  s->Height = height;
  s->Stride = stride;
  s->Bits = bits;
  s->Storage = std::move(storage);
  return s;
}

namespace gdi {

// ---------------------------------------------------------------------------
// Regions

TRect TRegion::Box() const {
  if (Empty()) return {};
  auto* b = pixman_region32_extents(mut());
  return {b->x1, b->y1, b->x2, b->y2};
}

std::vector<TRect> TRegion::Rects() const {
  int n = 0;
  auto* b = pixman_region32_rectangles(mut(), &n);
  std::vector<TRect> out;
  out.reserve(size_t(n));
  for (int i = 0; i < n; ++i) out.emplace_back(b[i].x1, b[i].y1, b[i].x2, b[i].y2);
  return out;
}

void TRegion::IntersectRect(const TRect& r) {
  if (r.IsEmpty()) { Clear(); return; }
  TRegion box(r);
  pixman_region32_intersect(&R, &R, box.get());
}

TRegion TRegion::FromRects(const std::vector<pixman_box32_t>& boxes) {
  TRegion r;
  if (boxes.empty()) return r;
  // pixman wants y-x banded input for init_rects to be cheap; it validates
  // (and so accepts) any order, overlaps included.
  pixman_region32_fini(&r.R);
  pixman_region32_init_rects(&r.R, reinterpret_cast<const pixman_box32_t*>(boxes.data()), int(boxes.size()));
  return r;
}

// ---------------------------------------------------------------------------
// Handle table. A handle encodes slot index, a generation and the object
// type, so stale handles are refused and small integers (COLOR_* + 1 passed
// as brushes) never collide with real ones.

namespace {
struct TSlot {
  TObjectPtr Obj;
  uint32_t Gen = 0;
};
struct THandleTable {
  std::mutex Lock;
  std::vector<TSlot> Slots{TSlot{}};  // slot 0 unused
  std::vector<uint32_t> Free;
};
THandleTable& Table() {
  static THandleTable t;
  return t;
}

bool Decode(HGDIOBJ h, uint32_t& index, uint32_t& gen) {
  auto v = reinterpret_cast<uintptr_t>(h);
  if constexpr (sizeof(uintptr_t) >= 8) {
    index = uint32_t((v >> 8) & 0xFFFFFF);
    gen = uint32_t(uint64_t(v) >> 32);
  } else {
    index = uint32_t((v >> 8) & 0xFFFF);
    gen = uint32_t(v >> 24);
  }
  return index != 0 && gen != 0;
}
}  // namespace

HGDIOBJ AddObject(TObjectPtr obj) {
  auto& t = Table();
  std::lock_guard g(t.Lock);
  uint32_t index;
  if (!t.Free.empty()) {
    index = t.Free.back();
    t.Free.pop_back();
  } else {
    if (t.Slots.size() >= (sizeof(uintptr_t) >= 8 ? 0xFFFFFFu : 0xFFFFu)) throw EOutOfMemory(u"Out of GDI handles");
    index = uint32_t(t.Slots.size());
    t.Slots.push_back({});
  }
  auto& slot = t.Slots[index];
  uint32_t limit = sizeof(uintptr_t) >= 8 ? 0xFFFFFFFFu : 0xFFu;
  slot.Gen = slot.Gen >= limit ? 1 : slot.Gen + 1;
  uintptr_t v;
  if constexpr (sizeof(uintptr_t) >= 8)
    v = (uintptr_t(slot.Gen) << 32) | (uintptr_t(index) << 8) | uintptr_t(obj->Kind);
  else
    v = (uintptr_t(slot.Gen) << 24) | (uintptr_t(index) << 8) | uintptr_t(obj->Kind);
  obj->Handle = reinterpret_cast<HGDIOBJ>(v);
  slot.Obj = std::move(obj);
  return slot.Obj->Handle;
}

TObjectPtr Lookup(HGDIOBJ h) {
  uint32_t index, gen;
  if (!Decode(h, index, gen)) return nullptr;
  auto& t = Table();
  std::lock_guard g(t.Lock);
  if (index >= t.Slots.size() || t.Slots[index].Gen != gen) return nullptr;
  return t.Slots[index].Obj;
}

// Takes an object (of the given kind, when one is given) out of the table,
// the handle failing from then on; the object lives on with its caller.
static TObjectPtr TakeObject(HGDIOBJ h, std::optional<TKind> kind = std::nullopt) {
  uint32_t index, gen;
  if (!Decode(h, index, gen)) return nullptr;
  auto& t = Table();
  std::lock_guard g(t.Lock);
  if (index >= t.Slots.size() || t.Slots[index].Gen != gen || !t.Slots[index].Obj ||
      (kind && t.Slots[index].Obj->Kind != *kind))
    return nullptr;
  TObjectPtr o = std::move(t.Slots[index].Obj);
  t.Slots[index].Obj.reset();
  t.Free.push_back(index);
  return o;
}

// The object taken out is released here, outside the table's lock.
static bool RemoveObject(HGDIOBJ h) { return TakeObject(h) != nullptr; }

std::shared_ptr<TDCObj> LookupDC(HDC dc) {
  auto o = Lookup(dc);
  if (!o || (o->Kind != TKind::DC && o->Kind != TKind::MemDC)) return nullptr;
  return std::static_pointer_cast<TDCObj>(o);
}
std::shared_ptr<TRegionObj> LookupRgn(HRGN r) { return LookupAs<TRegionObj>(r, TKind::Region); }
std::shared_ptr<TBitmapObj> LookupBitmap(HBITMAP b) { return LookupAs<TBitmapObj>(b, TKind::Bitmap); }
std::shared_ptr<TBrushObj> LookupBrush(HBRUSH b) { return LookupAs<TBrushObj>(b, TKind::Brush); }
std::shared_ptr<TPenObj> LookupPen(HPEN p) { return LookupAs<TPenObj>(p, TKind::Pen); }

// ---------------------------------------------------------------------------
// Stock objects, made on first use.

namespace {
struct TStock {
  std::array<TObjectPtr, 20> Objects;
  std::shared_ptr<TBitmapObj> Bitmap;
};

std::shared_ptr<TBrushObj> NewBrush(UINT style, COLORREF c) {
  auto b = std::make_shared<TBrushObj>();
  b->Kind = TKind::Brush;
  b->Log.lbStyle = style;
  b->Log.lbColor = c;
  return b;
}
std::shared_ptr<TPenObj> NewPen(UINT style, int width, COLORREF c) {
  auto p = std::make_shared<TPenObj>();
  p->Kind = TKind::Pen;
  p->Log.lopnStyle = style;
  p->Log.lopnWidth = {width, 0};
  p->Log.lopnColor = c;
  return p;
}
std::shared_ptr<TFontObj> NewFont(const char16_t* face, int height, int weight, BYTE pitch) {
  auto f = std::make_shared<TFontObj>();
  f->Kind = TKind::Font;
  f->Log.lfHeight = height;
  f->Log.lfWeight = weight;
  f->Log.lfPitchAndFamily = pitch;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) f->Log.lfFaceName[i] = face[i];
  return f;
}

TStock& Stock() {
  static TStock* s = [] {
    auto* st = new TStock;
    auto put = [&](int i, TObjectPtr o) {
      o->Stock = true;
      AddObject(o);
      st->Objects[size_t(i)] = std::move(o);
    };
    put(WHITE_BRUSH, NewBrush(BS_SOLID, RGB(255, 255, 255)));
    put(LTGRAY_BRUSH, NewBrush(BS_SOLID, RGB(192, 192, 192)));
    put(GRAY_BRUSH, NewBrush(BS_SOLID, RGB(128, 128, 128)));
    put(DKGRAY_BRUSH, NewBrush(BS_SOLID, RGB(64, 64, 64)));
    put(BLACK_BRUSH, NewBrush(BS_SOLID, RGB(0, 0, 0)));
    put(NULL_BRUSH, NewBrush(BS_NULL, 0));
    put(WHITE_PEN, NewPen(PS_SOLID, 0, RGB(255, 255, 255)));
    put(BLACK_PEN, NewPen(PS_SOLID, 0, RGB(0, 0, 0)));
    put(NULL_PEN, NewPen(PS_NULL, 0, 0));
    put(OEM_FIXED_FONT, NewFont(u"Terminal", 12, 400, 1));
    put(ANSI_FIXED_FONT, NewFont(u"Courier", 13, 400, 1));
    put(ANSI_VAR_FONT, NewFont(u"MS Sans Serif", 13, 400, 2));
    put(SYSTEM_FONT, NewFont(u"System", 16, 700, 2));
    put(DEVICE_DEFAULT_FONT, NewFont(u"System", 16, 700, 2));
    auto pal = std::make_shared<TPaletteObj>();
    pal->Kind = TKind::Palette;
    const Byte base[20][3] = {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
                              {0, 0, 128},     {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
                              {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
                              {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
                              {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    for (auto& e : base) pal->Entries.push_back({e[0], e[1], e[2], 0});
    put(DEFAULT_PALETTE, pal);
    put(SYSTEM_FIXED_FONT, NewFont(u"Fixedsys", 15, 400, 1));
    put(DEFAULT_GUI_FONT, NewFont(u"MS Shell Dlg", -11, 400, 0));
    auto dcb = NewBrush(BS_SOLID, RGB(255, 255, 255));
    dcb->DCBrush = true;
    put(DC_BRUSH, dcb);
    auto dcp = NewPen(PS_SOLID, 0, 0);
    dcp->DCPen = true;
    put(DC_PEN, dcp);
    auto bmp = std::make_shared<TBitmapObj>();
    bmp->Kind = TKind::Bitmap;
    bmp->Surface = TGdiSurface::Create(1, 1);
    bmp->Surface->Monochrome = true;
    bmp->BitCount = 1;
    bmp->Stock = true;
    AddObject(bmp);
    st->Bitmap = bmp;
    return st;
  }();
  return *s;
}
}  // namespace

TObjectPtr StockObject(int index) {
  if (index < 0 || index >= 20) return nullptr;
  return Stock().Objects[size_t(index)];
}
std::shared_ptr<TBitmapObj> DefaultBitmap() { return Stock().Bitmap; }

// ---------------------------------------------------------------------------
// DC objects

TGdiSurface* TDCObj::Surface() const {
  if (!Memory) return Target.get();
  auto* b = Bitmap();
  return b ? b->Surface.get() : nullptr;
}

TBitmapObj* TDCObj::Bitmap() const {
  return Memory && State.Bitmap ? static_cast<TBitmapObj*>(State.Bitmap.get()) : nullptr;
}

const TRegion& TDCObj::EffectiveClip() {
  if (ClipValid) return Clip;
  auto* s = Surface();
  TRect bounds = s ? s->BoundsRect() : TRect{};
  if (VisRgn) {
    Clip = *VisRgn;
    Clip.IntersectRect(bounds);
  } else {
    Clip = TRegion(bounds);
  }
  if (State.ClipRgn) {
    TRegion c = *State.ClipRgn;
    c.Translate(DeviceOrigin.X, DeviceOrigin.Y);
    Clip.Intersect(c);
  }
  ClipValid = true;
  return Clip;
}

TDrawScope::TDrawScope(HDC dc, bool writes) : DC(LookupDC(dc)), Writes(writes) {
  if (!DC) return;
  if (writes && DC->WriteScopes++ == 0) DC->AreaNoted = false;
  S = DC->Surface();
  Bmp = DC->Bitmap();
  if (Bmp && Bmp->Shadowed()) Bmp->SyncIn();
}

TDrawScope::TDrawScope(HDC dc, bool writes, int y) : DC(LookupDC(dc)), Writes(writes) {
  if (!DC) return;
  if (writes && DC->WriteScopes++ == 0) DC->AreaNoted = false;
  S = DC->Surface();
  Bmp = DC->Bitmap();
  First = y + DC->Offset().Y;
  Last = First + 1;
  if (Bmp && Bmp->Shadowed()) Bmp->SyncIn(First, Last);
}

TDrawScope::~TDrawScope() {
  if (Bmp && Bmp->Shadowed() && Writes) Bmp->SyncOut(First, Last);
  if (DC && Writes && --DC->WriteScopes == 0 && !DC->AreaNoted) DC->NoteWrite();
}

}  // namespace gdi

// ---------------------------------------------------------------------------
// Public object functions

HGDIOBJ GetStockObject(int index) {
  auto o = StockObject(index);
  return o ? o->Handle : nullptr;
}

HBITMAP AllocPatternBitmap() {
  Byte bits[16];
  for (int y = 0; y < 8; ++y) {
    bits[y * 2] = (y & 1) ? 0x55 : 0xAA;
    bits[y * 2 + 1] = 0;
  }
  return CreateBitmap(8, 8, 1, 1, bits);
}

HPEN CreatePen(int style, int width, COLORREF color) {
  UINT st = UINT(style) & PS_STYLE_MASK;
  if (st > PS_INSIDEFRAME) return nullptr;
  // Styled lines exist only for cosmetic pens; wider ones draw solid.
  if (width > 1 && st >= PS_DASH && st <= PS_DASHDOTDOT) st = PS_SOLID;
  return static_cast<HPEN>(AddObject(NewPen(st, width < 0 ? 0 : width, color & 0x00FFFFFF)));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  return lp ? CreatePen(int(lp->lopnStyle), lp->lopnWidth.X, lp->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(AddObject(NewBrush(BS_SOLID, color & 0x00FFFFFF)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto b = NewBrush(BS_HATCHED, color & 0x00FFFFFF);
  b->Log.lbHatch = ULONG_PTR(hatch);
  return static_cast<HBRUSH>(AddObject(b));
}

HBRUSH CreatePatternBrush(HBITMAP bmp) {
  auto bo = LookupBitmap(bmp);
  if (!bo) return nullptr;
  if (bo->Shadowed()) bo->SyncIn();
  auto b = NewBrush(BS_PATTERN, 0);
  b->Log.lbHatch = ULONG_PTR(bmp);
  auto& s = *bo->Surface;
  // A 1-bit DIB section paints in its own colours; only a monochrome DDB
  // takes the text and background colours of the DC it paints in.
  b->MonoPattern = s.Monochrome && !s.MonoTable;
  // Smaller bitmaps repeat, as the platform tiles them.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      uint32_t v = (s.Width && s.Height) ? s.Pixel(x % s.Width, y % s.Height) & 0x00FFFFFF : 0;
      if (s.Monochrome && s.MonoTable) v = s.MonoColors[v ? 1 : 0];
      b->Pattern[size_t(y * 8 + x)] = v;
    }
  return static_cast<HBRUSH>(AddObject(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(AddObject(NewBrush(BS_NULL, 0)));
    case BS_HATCHED: return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default: return nullptr;
  }
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto f = std::make_shared<TFontObj>();
  f->Kind = TKind::Font;
  f->Log = *lf;
  f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(AddObject(f));
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palNumEntries == 0) return nullptr;
  auto p = std::make_shared<TPaletteObj>();
  p->Kind = TKind::Palette;
  p->Entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return static_cast<HPALETTE>(AddObject(p));
}

DWORD GetObjectType(HGDIOBJ obj) {
  auto o = Lookup(obj);
  return o ? DWORD(o->Kind) : 0;
}

int GdiObjectCount(DWORD type) {
  auto& t = gdi::Table();
  std::lock_guard g(t.Lock);
  int n = 0;
  for (auto& s : t.Slots)
    if (s.Obj && !s.Obj->Stock && (type == 0 || DWORD(s.Obj->Kind) == type)) ++n;
  return n;
}

int GetObject(HGDIOBJ obj, int size, void* buffer) {
  auto o = Lookup(obj);
  if (!o) return 0;
  auto put = [&](const void* src, int n) {
    if (!buffer) return n;
    if (size <= 0) return 0;
    int c = std::min(size, n);
    std::memcpy(buffer, src, size_t(c));
    return c;
  };
  switch (o->Kind) {
    case TKind::Pen: return put(&static_cast<TPenObj&>(*o).Log, sizeof(LOGPEN));
    case TKind::Brush: return put(&static_cast<TBrushObj&>(*o).Log, sizeof(LOGBRUSH));
    case TKind::Font: return put(&static_cast<TFontObj&>(*o).Log, sizeof(LOGFONTW));
    case TKind::Palette: {
      WORD n = WORD(static_cast<TPaletteObj&>(*o).Entries.size());
      return put(&n, sizeof n);
    }
    case TKind::Bitmap: {
      auto& b = static_cast<TBitmapObj&>(*o);
      DIBSECTION ds;
      auto& s = *b.Surface;
      ds.dsBm.bmType = 0;
      ds.dsBm.bmWidth = s.Width;
      ds.dsBm.bmHeight = s.Height;
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = WORD(b.BitCount);
      if (b.IsDIB) {
        ds.dsBm.bmWidthBytes = ((s.Width * b.BitCount + 31) / 32) * 4;
        ds.dsBm.bmBits = b.Shadowed() ? b.UserBits : (b.Info.biHeight < 0 ? static_cast<void*>(s.Bits) : static_cast<void*>(s.Scanline(s.Height - 1)));
        ds.dsBmih = b.Info;
        ds.dsBmih.biSizeImage = DWORD(ds.dsBm.bmWidthBytes) * DWORD(s.Height);
        std::memcpy(ds.dsBitfields, b.Masks, sizeof ds.dsBitfields);
        ds.dshSection = b.Section;
        ds.dsOffset = b.Offset;
        if (buffer && size >= int(sizeof(DIBSECTION))) return put(&ds, sizeof(DIBSECTION));
        return put(&ds.dsBm, sizeof(BITMAP));
      }
      ds.dsBm.bmWidthBytes = ((s.Width * b.BitCount + 15) / 16) * 2;
      return put(&ds.dsBm, sizeof(BITMAP));
    }
    default: return 0;
  }
}

BOOL DeleteObject(HGDIOBJ obj) {
  auto o = Lookup(obj);
  if (!o) return 0;
  if (o->Stock) return 1;
  if (o->Kind == TKind::DC || o->Kind == TKind::MemDC) return 0;
  if (o->Kind == TKind::Bitmap && o->SelectCount > 0) return 0;
  return RemoveObject(obj) ? 1 : 0;
}

// ---------------------------------------------------------------------------
// DCs

// The state of a new DC but for a memory DC's bitmap.
static const TDCState& DefaultDCState() {
  static const TDCState s = [] {
    TDCState st;
    st.Pen = StockObject(BLACK_PEN);
    st.Brush = StockObject(WHITE_BRUSH);
    st.Font = StockObject(SYSTEM_FONT);
    st.Palette = StockObject(DEFAULT_PALETTE);
    return st;
  }();
  return s;
}

static std::shared_ptr<TDCObj> NewDC(bool memory) {
  auto d = std::make_shared<TDCObj>();
  d->Kind = memory ? TKind::MemDC : TKind::DC;
  d->Memory = memory;
  d->State = DefaultDCState();
  if (memory) {
    d->State.Bitmap = DefaultBitmap();
    d->State.Bitmap->SelectCount++;
  }
  return d;
}

static void ReleaseStateBitmap(TDCState& st) {
  if (st.Bitmap) st.Bitmap->SelectCount--;
}

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !LookupDC(dc)) return nullptr;
  return static_cast<HDC>(AddObject(NewDC(true)));
}

HDC CreateSurfaceDC(TGdiSurfacePtr surface, TPoint deviceOrigin, HRGN visibleRegion) {
  if (!surface) return nullptr;
  auto d = NewDC(false);
  d->Target = std::move(surface);
  d->DeviceOrigin = deviceOrigin;
  if (visibleRegion) {
    auto r = LookupRgn(visibleRegion);
    if (!r) return nullptr;
    d->VisRgn = r->Rgn;
  }
  return static_cast<HDC>(AddObject(d));
}

HDC CreateSurfaceDC(TGdiSurfacePtr surface, TPoint deviceOrigin, const TRect& visibleRect) {
  if (!surface) return nullptr;
  auto d = NewDC(false);
  d->Target = std::move(surface);
  d->DeviceOrigin = deviceOrigin;
  d->VisRgn.emplace(visibleRect);
  return static_cast<HDC>(AddObject(d));
}

BOOL SetSurfaceDCOrigin(HDC dc, TPoint deviceOrigin, HRGN visibleRegion) {
  auto d = LookupDC(dc);
  if (!d || d->Memory) return 0;
  if (visibleRegion) {
    auto r = LookupRgn(visibleRegion);
    if (!r) return 0;
    d->VisRgn = r->Rgn;
  } else {
    d->VisRgn.reset();
  }
  d->DeviceOrigin = deviceOrigin;
  d->InvalidateClip();
  return 1;
}

BOOL SetSurfaceDCSurface(HDC dc, TGdiSurfacePtr surface, TPoint deviceOrigin, HRGN visibleRegion) {
  auto d = LookupDC(dc);
  if (!d || d->Memory || !surface) return 0;
  if (!SetSurfaceDCOrigin(dc, deviceOrigin, visibleRegion)) return 0;
  d->Target = std::move(surface);
  d->InvalidateClip();
  return 1;
}

TParkedDC ParkSurfaceDC(HDC dc) {
  auto o = TakeObject(dc, TKind::DC);
  if (!o) return nullptr;
  auto d = std::static_pointer_cast<TDCObj>(std::move(o));
  // The clip depends on the DC's own clip region only among the states
  // reset here; the surface, origin and visible region it also depends on stay.
  if (d->State.ClipRgn) d->InvalidateClip();
  // Assigning the same stock objects back costs no reference counting.
  d->State = DefaultDCState();
  d->Saved.clear();
  d->Written.Clear();
  d->ClipWritten = false;
  return d;
}

HDC UnparkSurfaceDC(TParkedDC dc) {
  if (!dc) return nullptr;
  return static_cast<HDC>(AddObject(std::move(dc)));
}

bool TakeDCWrittenRegion(HDC dc, HRGN rgn) {
  auto d = LookupDC(dc);
  auto r = LookupRgn(rgn);
  if (!d || !r || d->Memory || d->Written.Empty()) return false;
  r->Rgn = d->Written;
  d->Written.Clear();
  d->ClipWritten = false;
  return true;
}

bool IsSurfaceDC(HDC dc) {
  auto d = LookupDC(dc);
  return d && !d->Memory;
}

TGdiSurfacePtr GetDCSurface(HDC dc) {
  auto d = LookupDC(dc);
  if (!d) return nullptr;
  if (!d->Memory) return d->Target;
  auto* b = d->Bitmap();
  if (!b) return nullptr;
  if (b->Shadowed()) b->SyncIn();
  return b->Surface;
}

TPoint GetDCDeviceOrigin(HDC dc) {
  auto d = LookupDC(dc);
  return d ? d->DeviceOrigin : TPoint{};
}

TGdiSurfacePtr GetBitmapSurface(HBITMAP bmp) {
  auto b = LookupBitmap(bmp);
  if (!b) return nullptr;
  if (b->Shadowed()) b->SyncIn();
  return b->Surface;
}

HBITMAP CreateBitmapFromSurface(TGdiSurfacePtr surface) {
  if (!surface) return nullptr;
  auto b = std::make_shared<TBitmapObj>();
  b->Kind = TKind::Bitmap;
  b->BitCount = surface->Monochrome ? 1 : 32;
  b->Surface = std::move(surface);
  return static_cast<HBITMAP>(AddObject(b));
}

BOOL DeleteDC(HDC dc) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  ReleaseStateBitmap(d->State);
  for (auto& s : d->Saved) ReleaseStateBitmap(s);
  d->State = TDCState{};
  d->Saved.clear();
  return gdi::RemoveObject(dc) ? 1 : 0;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  auto d = LookupDC(dc);
  auto o = Lookup(obj);
  if (!d || !o) return nullptr;
  auto& st = d->State;
  auto swap = [&](TObjectPtr& slot) -> HGDIOBJ {
    HGDIOBJ old = slot ? slot->Handle : nullptr;
    slot = o;
    return old;
  };
  switch (o->Kind) {
    case TKind::Pen: return swap(st.Pen);
    case TKind::Brush: return swap(st.Brush);
    case TKind::Font: return swap(st.Font);
    case TKind::Palette: return swap(st.Palette);
    case TKind::Bitmap: {
      // Only memory DCs hold bitmaps, and a bitmap lives in one DC at a time.
      if (!d->Memory) return nullptr;
      if (st.Bitmap == o) return obj;
      auto* bo = static_cast<TBitmapObj*>(o.get());
      if (o->SelectCount > 0 && bo->SelectedIn != d.get() && !o->Stock) return nullptr;
      o->SelectCount++;
      bo->SelectedIn = d.get();
      ReleaseStateBitmap(st);
      HGDIOBJ old = swap(st.Bitmap);
      d->InvalidateClip();
      return old;
    }
    case TKind::Region: {
      int r = SelectClipRgn(dc, static_cast<HRGN>(obj));
      return reinterpret_cast<HGDIOBJ>(intptr_t(r));
    }
    default: return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
  auto d = LookupDC(dc);
  if (!d) return nullptr;
  auto& st = d->State;
  TObjectPtr o;
  switch (type) {
    case OBJ_PEN: o = st.Pen; break;
    case OBJ_BRUSH: o = st.Brush; break;
    case OBJ_FONT: o = st.Font; break;
    case OBJ_PAL: o = st.Palette; break;
    case OBJ_BITMAP: o = st.Bitmap; break;
    default: return nullptr;
  }
  return o ? o->Handle : nullptr;
}

int SaveDC(HDC dc) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  d->Saved.push_back(d->State);
  if (d->State.Bitmap) d->State.Bitmap->SelectCount++;
  return int(d->Saved.size());
}

BOOL RestoreDC(HDC dc, int level) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  int n = int(d->Saved.size());
  int target = level < 0 ? n + level + 1 : level;
  if (target < 1 || target > n) return 0;
  ReleaseStateBitmap(d->State);
  d->State = d->Saved[size_t(target - 1)];
  for (int i = target - 1; i < n; ++i) ReleaseStateBitmap(d->Saved[size_t(i)]);
  if (d->State.Bitmap) d->State.Bitmap->SelectCount++;
  d->Saved.resize(size_t(target - 1));
  d->InvalidateClip();
  return 1;
}

#define QN_DC_OR(ret)     \
  auto d = LookupDC(dc); \
  if (!d) return ret;    \
  auto& st = d->State

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old) {
  QN_DC_OR(0);
  if (old) *old = st.ViewportOrg;
  st.ViewportOrg = {x, y};
  return 1;
}
BOOL GetViewportOrgEx(HDC dc, POINT* p) {
  QN_DC_OR(0);
  if (p) *p = st.ViewportOrg;
  return 1;
}
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old) {
  QN_DC_OR(0);
  if (old) *old = st.ViewportOrg;
  st.ViewportOrg.X += dx;
  st.ViewportOrg.Y += dy;
  return 1;
}
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old) {
  QN_DC_OR(0);
  if (old) *old = st.WindowOrg;
  st.WindowOrg = {x, y};
  return 1;
}
BOOL GetWindowOrgEx(HDC dc, POINT* p) {
  QN_DC_OR(0);
  if (p) *p = st.WindowOrg;
  return 1;
}
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old) {
  QN_DC_OR(0);
  if (old) *old = st.WindowOrg;
  st.WindowOrg.X += dx;
  st.WindowOrg.Y += dy;
  return 1;
}
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old) {
  QN_DC_OR(0);
  if (old) *old = st.BrushOrg;
  st.BrushOrg = {x, y};
  return 1;
}
BOOL GetBrushOrgEx(HDC dc, POINT* p) {
  QN_DC_OR(0);
  if (p) *p = st.BrushOrg;
  return 1;
}
BOOL LPtoDP(HDC dc, POINT* pts, int count) {
  QN_DC_OR(0);
  for (int i = 0; i < count; ++i) {
    pts[i].X += st.ViewportOrg.X - st.WindowOrg.X;
    pts[i].Y += st.ViewportOrg.Y - st.WindowOrg.Y;
  }
  return 1;
}
BOOL DPtoLP(HDC dc, POINT* pts, int count) {
  QN_DC_OR(0);
  for (int i = 0; i < count; ++i) {
    pts[i].X -= st.ViewportOrg.X - st.WindowOrg.X;
    pts[i].Y -= st.ViewportOrg.Y - st.WindowOrg.Y;
  }
  return 1;
}
BOOL GetCurrentPositionEx(HDC dc, POINT* p) {
  QN_DC_OR(0);
  if (p) *p = st.CurPos;
  return 1;
}

int SetROP2(HDC dc, int rop2) {
  QN_DC_OR(0);
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  int old = st.Rop2;
  st.Rop2 = rop2;
  return old;
}
int GetROP2(HDC dc) {
  QN_DC_OR(0);
  return st.Rop2;
}
COLORREF SetTextColor(HDC dc, COLORREF c) {
  QN_DC_OR(CLR_INVALID);
  COLORREF old = st.TextColor;
  st.TextColor = c & 0x00FFFFFF;
  return old;
}
COLORREF GetTextColor(HDC dc) {
  QN_DC_OR(CLR_INVALID);
  return st.TextColor;
}
COLORREF SetBkColor(HDC dc, COLORREF c) {
  QN_DC_OR(CLR_INVALID);
  COLORREF old = st.BkColor;
  st.BkColor = c & 0x00FFFFFF;
  return old;
}
COLORREF GetBkColor(HDC dc) {
  QN_DC_OR(CLR_INVALID);
  return st.BkColor;
}
int SetBkMode(HDC dc, int mode) {
  QN_DC_OR(0);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int old = st.BkMode;
  st.BkMode = mode;
  return old;
}
int GetBkMode(HDC dc) {
  QN_DC_OR(0);
  return st.BkMode;
}
int SetStretchBltMode(HDC dc, int mode) {
  QN_DC_OR(0);
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int old = st.StretchMode;
  st.StretchMode = mode;
  return old;
}
int GetStretchBltMode(HDC dc) {
  QN_DC_OR(0);
  return st.StretchMode;
}
int SetPolyFillMode(HDC dc, int mode) {
  QN_DC_OR(0);
  if (mode != ALTERNATE && mode != WINDING) return 0;
  int old = st.PolyFillMode;
  st.PolyFillMode = mode;
  return old;
}
int GetPolyFillMode(HDC dc) {
  QN_DC_OR(0);
  return st.PolyFillMode;
}
int SetMapMode(HDC dc, int mode) {
  QN_DC_OR(0);
  (void)st;
  return mode == MM_TEXT ? MM_TEXT : 0;
}
int GetMapMode(HDC dc) {
  QN_DC_OR(0);
  (void)st;
  return MM_TEXT;
}
BOOL GetDCOrgEx(HDC dc, POINT* p) {
  QN_DC_OR(0);
  (void)st;
  if (p) *p = d->DeviceOrigin;
  return 1;
}

int SetArcDirection(HDC dc, int dir) {
  QN_DC_OR(0);
  if (dir != AD_COUNTERCLOCKWISE && dir != AD_CLOCKWISE) return 0;
  int old = st.ArcDirection;
  st.ArcDirection = dir;
  return old;
}
int GetArcDirection(HDC dc) {
  QN_DC_OR(0);
  return st.ArcDirection;
}

int GetDeviceCaps(HDC dc, int index) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  if (d->Printer) return PrinterDeviceCaps(*d->Printer, index);
  auto* s = d->Surface();
  bool mono = s && s->Monochrome;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: return s ? s->Width : 0;
    case VERTRES: return s ? s->Height : 0;
    case HORZSIZE: return s ? s->Width * 254 / 960 : 0;   // millimetres at 96 DPI
    case VERTSIZE: return s ? s->Height * 254 / 960 : 0;
    case BITSPIXEL: return mono ? 1 : 32;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case SHADEBLENDCAPS: return SB_CONST_ALPHA | SB_PIXEL_ALPHA | SB_PREMULT_ALPHA;
    default: return 0;
  }
}

HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL) {
  auto d = LookupDC(dc);
  auto p = LookupAs<TPaletteObj>(pal, TKind::Palette);
  if (!d || !p) return nullptr;
  HGDIOBJ old = d->State.Palette ? d->State.Palette->Handle : nullptr;
  d->State.Palette = p;
  return static_cast<HPALETTE>(old);
}

UINT RealizePalette(HDC dc) { return LookupDC(dc) ? 0 : UINT(-1); }

COLORREF SetDCBrushColor(HDC dc, COLORREF c) {
  QN_DC_OR(CLR_INVALID);
  COLORREF old = st.DCBrushColor;
  st.DCBrushColor = c & 0x00FFFFFF;
  return old;
}
COLORREF SetDCPenColor(HDC dc, COLORREF c) {
  QN_DC_OR(CLR_INVALID);
  COLORREF old = st.DCPenColor;
  st.DCPenColor = c & 0x00FFFFFF;
  return old;
}

// ---------------------------------------------------------------------------
// Clipping

int GetClipBox(HDC dc, RECT* rc) {
  auto d = LookupDC(dc);
  if (!d || !rc) return ERROR;
  const TRegion& c = d->EffectiveClip();
  TRect b = c.Box();
  TPoint off = d->Offset();
  if (!b.IsEmpty()) OffsetRect(b, -off.X, -off.Y);
  *rc = b;
  return c.Kind();
}

int SelectClipRgn(HDC dc, HRGN rgn) { return ExtSelectClipRgn(dc, rgn, RGN_COPY); }

int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode) {
  auto d = LookupDC(dc);
  if (!d) return ERROR;
  auto& st = d->State;
  if (!rgn) {
    if (mode != RGN_COPY) return ERROR;
    st.ClipRgn.reset();
  } else {
    auto r = LookupRgn(rgn);
    if (!r) return ERROR;
    // Without a clip region the DC's whole device area takes part.
    TRegion cur;
    if (st.ClipRgn) {
      cur = *st.ClipRgn;
    } else if (auto* s = d->Surface()) {
      cur = TRegion(s->BoundsRect());
      cur.Translate(-d->DeviceOrigin.X, -d->DeviceOrigin.Y);
    }
    TRegion res;
    switch (mode) {
      case RGN_COPY: res = r->Rgn; break;
      case RGN_AND: pixman_region32_intersect(res.get(), cur.get(), r->Rgn.mut()); break;
      case RGN_OR: pixman_region32_union(res.get(), cur.get(), r->Rgn.mut()); break;
      case RGN_DIFF: pixman_region32_subtract(res.get(), cur.get(), r->Rgn.mut()); break;
      case RGN_XOR: {
        TRegion a, b;
        pixman_region32_subtract(a.get(), cur.get(), r->Rgn.mut());
        pixman_region32_subtract(b.get(), r->Rgn.mut(), cur.get());
        pixman_region32_union(res.get(), a.get(), b.get());
        break;
      }
      default: return ERROR;
    }
    st.ClipRgn = std::move(res);
  }
  d->InvalidateClip();
  return d->EffectiveClip().Kind();
}

static TRect DeviceRect(TDCObj& d, int l, int t, int r, int b) {
  TPoint o{d.State.ViewportOrg.X - d.State.WindowOrg.X, d.State.ViewportOrg.Y - d.State.WindowOrg.Y};
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return {l + o.X, t + o.Y, r + o.X, b + o.Y};
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
  auto d = LookupDC(dc);
  if (!d) return ERROR;
  HRGN r = CreateRectRgnIndirect(nullptr);
  TRect dr = DeviceRect(*d, left, top, right, bottom);
  SetRectRgn(r, dr.Left, dr.Top, dr.Right, dr.Bottom);
  int res = ExtSelectClipRgn(dc, r, RGN_AND);
  DeleteObject(r);
  return res;
}

int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom) {
  auto d = LookupDC(dc);
  if (!d) return ERROR;
  HRGN r = CreateRectRgnIndirect(nullptr);
  TRect dr = DeviceRect(*d, left, top, right, bottom);
  SetRectRgn(r, dr.Left, dr.Top, dr.Right, dr.Bottom);
  int res = ExtSelectClipRgn(dc, r, RGN_DIFF);
  DeleteObject(r);
  return res;
}

int OffsetClipRgn(HDC dc, int dx, int dy) {
  auto d = LookupDC(dc);
  if (!d) return ERROR;
  if (d->State.ClipRgn) d->State.ClipRgn->Translate(dx, dy);
  d->InvalidateClip();
  return d->EffectiveClip().Kind();
}

int GetClipRgn(HDC dc, HRGN rgn) {
  auto d = LookupDC(dc);
  auto r = LookupRgn(rgn);
  if (!d || !r) return -1;
  if (!d->State.ClipRgn) return 0;
  r->Rgn = *d->State.ClipRgn;
  return 1;
}

BOOL PtVisible(HDC dc, int x, int y) {
  auto d = LookupDC(dc);
  if (!d) return 0;
  TPoint o = d->Offset();
  return pixman_region32_contains_point(d->EffectiveClip().mut(), x + o.X, y + o.Y, nullptr) ? 1 : 0;
}

BOOL RectVisible(HDC dc, const RECT* rc) {
  auto d = LookupDC(dc);
  if (!d || !rc) return 0;
  TPoint o = d->Offset();
  TRect r = *rc;
  if (r.Right < r.Left) std::swap(r.Left, r.Right);
  if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
  OffsetRect(r, o.X, o.Y);
  if (r.IsEmpty()) return 0;
  pixman_box32_t b{r.Left, r.Top, r.Right, r.Bottom};
  return pixman_region32_contains_rectangle(d->EffectiveClip().mut(), &b) != PIXMAN_REGION_OUT ? 1 : 0;
}

BOOL GdiFlush() { return 1; }

void RegisterGdiUnits() {
  RegisterUnit({"Gdi", {"SysUtils"}, [] { (void)GetStockObject(WHITE_BRUSH); }, nullptr});
  RegisterUnit({"GdiText", {"Gdi"}, nullptr, FinalizeFontEngine});
}

}  // namespace vcl
