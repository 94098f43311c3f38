// Drawing on the screen. A screen DC draws on a copy of the composed screen;
// what it changed there becomes the overlay, which the composition shows on
// top of the windows. A window that puts pixels on the screen overwrites it
// there, as on a real screen, even with the very pixels it showed before: a
// paint takes it back where the painting DC could draw, a top-level window
// moving, sizing, showing or hiding where it was and where it is. Besides,
// each overlay pixel remembers what the windows showed beneath it when it
// was drawn, and goes as soon as they show something else there (a change
// of z-order, a layered picture, a scroll).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

struct TOverlay {
  Integer Width = 0, Height = 0;  // the virtual screen it was made for
  std::vector<uint32_t> Value;    // shown colour, 0x00RRGGBB
  std::vector<uint32_t> Under;    // the windows' colour beneath when drawn
  std::vector<uint8_t> Set;
  TRect Dirty;                    // bounds of the set pixels
  bool Empty() const { return Dirty.IsEmpty(); }
  void Reset() {
    Width = Height = 0;
    Value.clear();
    Under.clear();
    Set.clear();
    Dirty = TRect();
  }
  void Fit(Integer w, Integer h) {
    if (w == Width && h == Height) return;
    Reset();
    Width = w;
    Height = h;
  }
  void Allocate() {
    if (!Set.empty()) return;
    size_t n = size_t(Width) * size_t(Height);
    Value.assign(n, 0);
    Under.assign(n, 0);
    Set.assign(n, 0);
  }
};

struct TLiveDC {
  HDC DC = nullptr;
  TGdiSurfacePtr Surface;
  std::vector<uint32_t> Base;  // the surface as the DC was given it
};

TOverlay& Overlay() {
  static auto* o = new TOverlay;
  return *o;
}
std::vector<TLiveDC>& Live() {
  static auto* v = new std::vector<TLiveDC>;
  return *v;
}

void CopySurface(const TGdiSurface& s, std::vector<uint32_t>& out) {
  out.resize(size_t(s.Width) * size_t(s.Height));
  for (Integer y = 0; y < s.Height; ++y)
    std::copy_n(s.Scanline(y), s.Width, out.data() + size_t(y) * size_t(s.Width));
}

// Takes the pixels a DC changed since its base into the overlay.
void Commit(TLiveDC& l) {
  const TGdiSurface& s = *l.Surface;
  TOverlay& o = Overlay();
  o.Fit(s.Width, s.Height);
  TRect damage;
  for (Integer y = 0; y < s.Height; ++y) {
    const uint32_t* row = s.Scanline(y);
    const uint32_t* base = l.Base.data() + size_t(y) * size_t(s.Width);
    // Most DCs only read, or draw on a few rows.
    if (std::memcmp(row, base, size_t(s.Width) * 4) == 0) continue;
    for (Integer x = 0; x < s.Width; ++x) {
      uint32_t now = row[x] & 0xFFFFFFu;
      if (now == (base[x] & 0xFFFFFFu)) continue;
      o.Allocate();
      size_t i = size_t(y) * size_t(s.Width) + size_t(x);
      // Beneath is what the windows showed: the base unless the base was
      // already overlay.
      uint32_t under = o.Set[i] ? o.Under[i] : base[x] & 0xFFFFFFu;
      if (now == under) {
        o.Set[i] = 0;  // put back what was there
      } else {
        o.Set[i] = 1;
        o.Value[i] = now;
        o.Under[i] = under;
        UnionRect(o.Dirty, o.Dirty, TRect(x, y, x + 1, y + 1));
      }
      UnionRect(damage, damage, TRect(x, y, x + 1, y + 1));
    }
  }
  if (!damage.IsEmpty()) {
    TRect vs;
    for (auto& m : S().Monitors) UnionRect(vs, vs, m.Bounds);
    OffsetRect(damage, vs.Left, vs.Top);
    ScreenDamaged(damage);
  }
  CopySurface(s, l.Base);
}

bool Alive(const TLiveDC& l) { return GetDCSurface(l.DC) == l.Surface; }

}  // namespace

void ApplyScreenOverlayLocked(const TGdiSurfacePtr& out, const TRect& area) {
  TOverlay& o = Overlay();
  if (o.Empty()) return;
  if (out->Width != o.Width || out->Height != o.Height) {
    o.Reset();  // the screen was reconfigured
    return;
  }
  TRect r;
  if (!IntersectRect(r, area, o.Dirty)) return;
  for (Integer y = r.Top; y < r.Bottom; ++y) {
    uint32_t* row = out->Scanline(y);
    for (Integer x = r.Left; x < r.Right; ++x) {
      size_t i = size_t(y) * size_t(o.Width) + size_t(x);
      if (!o.Set[i]) continue;
      if ((row[x] & 0xFFFFFFu) != o.Under[i]) {
        o.Set[i] = 0;  // the window beneath shows something new here
        continue;
      }
      row[x] = o.Value[i] | 0xFF000000u;
    }
  }
}

bool ScreenOverlayInUseLocked() { return !Overlay().Empty() || !Live().empty(); }

void ScreenPaintedLocked(HRGN screenRgn) {
  // What the DCs still open drew so far was drawn before this paint.
  for (auto& l : Live())
    if (Alive(l)) Commit(l);
  TOverlay& o = Overlay();
  if (o.Empty()) return;
  TRect vs;
  for (auto& m : S().Monitors) UnionRect(vs, vs, m.Bounds);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(r, screenRgn, nullptr, RGN_COPY);
  OffsetRgn(r, -vs.Left, -vs.Top);
  TRect damage;
  for (const TRect& b : GetRegionRects(r)) {
    TRect part;
    if (!IntersectRect(part, b, o.Dirty)) continue;
    for (Integer y = part.Top; y < part.Bottom; ++y) {
      uint8_t* set = o.Set.data() + size_t(y) * size_t(o.Width);
      if (std::find(set + part.Left, set + part.Right, uint8_t(1)) == set + part.Right) continue;
      std::fill(set + part.Left, set + part.Right, uint8_t(0));
      UnionRect(damage, damage, TRect(part.Left, y, part.Right, y + 1));
    }
  }
  DeleteObject(r);
  if (!damage.IsEmpty()) {
    OffsetRect(damage, vs.Left, vs.Top);
    ScreenDamaged(damage);
  }
}

void TrackScreenDCLocked(HDC dc, const TGdiSurfacePtr& surface) {
  TLiveDC l{dc, surface, {}};
  CopySurface(*surface, l.Base);
  Live().push_back(std::move(l));
}

void SyncScreenDCsLocked() {
  auto& live = Live();
  if (live.empty()) return;
  for (auto& l : live) Commit(l);
  live.erase(std::remove_if(live.begin(), live.end(), [](const TLiveDC& l) { return !Alive(l); }), live.end());
  if (live.empty() || !S().Hook.ComposeScreen) return;
  // The DCs still open see the screen as it is now, their own drawing included.
  TGdiSurfacePtr now = S().Hook.ComposeScreen();
  for (auto& l : live) {
    if (now->Width != l.Surface->Width || now->Height != l.Surface->Height) continue;
    for (Integer y = 0; y < now->Height; ++y) std::copy_n(now->Scanline(y), now->Width, l.Surface->Scanline(y));
    CopySurface(*l.Surface, l.Base);
  }
}

void RefreshReadingScreenDCsLocked() {
  auto& live = Live();
  if (live.empty() || !S().Hook.ComposeScreen) return;
  // A DC that drew keeps its copy until it is released: what it drew is
  // measured against that copy (a drag picture restores what it saved).
  TGdiSurfacePtr now;
  for (auto& l : live) {
    if (!Alive(l)) continue;
    const TGdiSurface& s = *l.Surface;
    bool drew = false;
    for (Integer y = 0; y < s.Height && !drew; ++y)
      drew = std::memcmp(s.Scanline(y), l.Base.data() + size_t(y) * size_t(s.Width), size_t(s.Width) * 4) != 0;
    if (drew) continue;
    if (!now) now = S().Hook.ComposeScreen();
    if (now->Width != s.Width || now->Height != s.Height) continue;
    for (Integer y = 0; y < now->Height; ++y) std::copy_n(now->Scanline(y), now->Width, l.Surface->Scanline(y));
    CopySurface(*l.Surface, l.Base);
  }
}

void ReleaseScreenDCLocked(HDC dc) {
  auto& live = Live();
  for (auto it = live.begin(); it != live.end(); ++it)
    if (it->DC == dc && Alive(*it)) {
      Commit(*it);
      live.erase(it);
      // The DCs still open see what this one drew.
      SyncScreenDCsLocked();
      return;
    }
}

bool IsScreenDCLocked(HDC dc) {
  for (const auto& l : Live())
    if (l.DC == dc && Alive(l)) return true;
  return false;
}

void ClearScreenOverlayLocked() {
  Overlay().Reset();
  Live().clear();
}

}  // namespace vcl::server
