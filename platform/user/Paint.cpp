// Painting: update regions, the visible regions of window DCs on the
// top-level surfaces, BeginPaint/EndPaint, erasing, redraw control,
// scrolling, window regions and the default non-client look.
//
// Update regions are kept in client coordinates; invalidation of the frame
// is a flag, served by WM_NCPAINT from BeginPaint.
#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "platform/gdi/WinSpool.h"
#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

constexpr DWORD DCX_USESTYLE = 0x00010000;

struct DCRecord {
  HWND Hwnd = nullptr;
  bool Own = false;
  // A plain window DC (see Keepable): kept for the next GetDC of the
  // window with these flags while VisEpoch stays as it was when it was made.
  bool Keep = false;
  DWORD Flags = 0;
  uint64_t Epoch = 0;
};
using DCMap = std::unordered_map<HDC, DCRecord>;
DCMap& DCs() {
  static auto* m = new DCMap;
  return *m;
}
HWND gLocked = nullptr;

// A window asks for its DC again and again (a paint box copies its buffer to
// the window with GetDC and ReleaseDC every frame): a released DC is kept
// and handed out again while nothing that shapes it can have changed, which
// saves making the DC object, its visible area and its table entries.
// Parking resets what the caller may have changed and withdraws the handle,
// so a kept DC is a new DC to its next caller and dead to its last.
struct KeptDC {
  HWND Hwnd = nullptr;
  DWORD Flags = 0;
  uint64_t Epoch = 0;
  TParkedDC DC;
  DCMap::node_type Node;  // its DCs() entry, reused for the next handle
};
// A few, as a frame asks for one or two DCs; never freed, like DCs(), so
// that a DC released while the program ends finds them.
struct KeptDCs {
  std::array<KeptDC, 4> Slots;
  size_t Next = 0;  // the slot given up next when all are taken
};
KeptDCs& Kept() {
  static auto* k = new KeptDCs;
  return *k;
}

// GetDCEx flags that only choose the area a DC draws in, which a window and
// VisEpoch fix. The update region and clip regions do not.
constexpr DWORD kKeepableFlags =
    DCX_WINDOW | DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS | DCX_PARENTCLIP | DCX_USESTYLE;
bool Keepable(DWORD flags) { return !(flags & ~kKeepableFlags); }

void DropKept(KeptDC& k) {
  k.Hwnd = nullptr;
  k.DC.reset();
  k.Node = DCMap::node_type();
}

HRGN RectRgn(const TRect& r) { return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom); }
HRGN CopyRgn(HRGN src) {
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  if (src) CombineRgn(r, src, nullptr, RGN_COPY);
  return r;
}
bool RgnEmpty(HRGN r) {
  TRect b;
  return !r || GetRgnBox(r, &b) == NULLREGION;
}
void AndRect(HRGN r, const TRect& rc) {
  HRGN t = RectRgn(rc);
  CombineRgn(r, r, t, RGN_AND);
  DeleteObject(t);
}
void DiffRect(HRGN r, const TRect& rc) {
  HRGN t = RectRgn(rc);
  CombineRgn(r, r, t, RGN_DIFF);
  DeleteObject(t);
}
// Takes from a region in screen coordinates what the top-level windows above
// top cover; layered ones are drawn apart and do not.
void CutTopsAbove(HRGN rgn, const Window* top) {
  for (Window* o : S().TopLevels) {
    if (o == top) break;
    if (!(o->Style & WS_VISIBLE) || (o->ExStyle & WS_EX_LAYERED) || o->MessageOnly) continue;
    TRect orc = ScreenRect(o);
    HRGN shape = RectRgn(TRect(0, 0, orc.Width(), orc.Height()));
    if (o->WindowRgn) CombineRgn(shape, shape, o->WindowRgn, RGN_AND);
    OffsetRgn(shape, orc.Left, orc.Top);
    CombineRgn(rgn, rgn, shape, RGN_DIFF);
    DeleteObject(shape);
  }
}

// A top-level window put pixels on the screen in rgn (screen coordinates,
// consumed): what screen DCs drew there is overwritten, as on a real screen,
// whether or not the window's pixels differ from before.
void TopPaintedLocked(const Window* top, HRGN rgn) {
  if (ScreenOverlayInUseLocked()) {
    CutTopsAbove(rgn, top);
    ScreenPaintedLocked(rgn);
  }
  DeleteObject(rgn);
}

TRect LocalClient(const Window* w) { return TRect(0, 0, w->Client.Width(), w->Client.Height()); }

bool Locked(const Window* w) {
  if (!gLocked) return false;
  for (; w; w = w->Parent)
    if (w->Handle == gLocked) return true;
  return false;
}

// A window's rectangle clipped to its window region, in surface coordinates.
HRGN ShapeInSurface(const Window* w) {
  TPoint o = OffsetInTop(w);
  HRGN r = RectRgn(Bounds(o.X, o.Y, w->Rect.Width(), w->Rect.Height()));
  if (w->WindowRgn) {
    HRGN t = CopyRgn(w->WindowRgn);
    OffsetRgn(t, o.X, o.Y);
    CombineRgn(r, r, t, RGN_AND);
    DeleteObject(t);
  }
  return r;
}

void ClipSiblingsAbove(HRGN r, const Window* c) {
  if (!c->Parent) return;
  for (const Window* s : c->Parent->Children) {
    if (s == c) break;
    if (!(s->Style & WS_VISIBLE)) continue;
    HRGN t = ShapeInSurface(s);
    CombineRgn(r, r, t, RGN_DIFF);
    DeleteObject(t);
  }
}

bool AnyVisibleSiblingAbove(const Window* c) {
  if (!c->Parent) return false;
  for (const Window* s : c->Parent->Children) {
    if (s == c) return false;
    if (s->Style & WS_VISIBLE) return true;
  }
  return false;
}

// VisibleRegion below without its intermediate regions, for the common case
// where it is a rectangle: no window on the chain has a window region and
// nothing is cut out (no visible sibling above where siblings clip, no
// visible child where children do). A DC is made for every paint, so this
// is worth its few lines. False when the general way is needed.
bool PlainVisibleRect(const Window* w, DWORD flags, const TRect& Area, TRect& Out) {
  if (w->WindowRgn) return false;
  if ((flags & DCX_CLIPSIBLINGS) && AnyVisibleSiblingAbove(w)) return false;
  if (flags & DCX_CLIPCHILDREN)
    for (const Window* c : w->Children)
      if (c->Style & WS_VISIBLE) return false;
  const TPoint o = OffsetInTop(w);
  TRect r = Area;
  auto clip = [&r](const TRect& b) {
    r = TRect(std::max(r.Left, b.Left), std::max(r.Top, b.Top), std::min(r.Right, b.Right), std::min(r.Bottom, b.Bottom));
  };
  clip(Bounds(o.X, o.Y, w->Rect.Width(), w->Rect.Height()));
  for (const Window *c = w, *p = w->Parent; p; c = p, p = p->Parent) {
    if (p->WindowRgn) return false;
    if (c != w && (c->Style & WS_CLIPSIBLINGS) && AnyVisibleSiblingAbove(c)) return false;
    const TPoint po = OffsetInTop(p);
    clip(Bounds(po.X + p->Client.Left, po.Y + p->Client.Top, p->Client.Width(), p->Client.Height()));
    clip(Bounds(po.X, po.Y, p->Rect.Width(), p->Rect.Height()));
  }
  Out = r.Left < r.Right && r.Top < r.Bottom ? r : TRect(0, 0, 0, 0);
  return true;
}

// The rectangle of w's surface a DC of these flags draws in, before clipping.
TRect DCArea(const Window* w, DWORD flags) {
  const TPoint o = OffsetInTop(w);
  return (flags & DCX_WINDOW) ? Bounds(o.X, o.Y, w->Rect.Width(), w->Rect.Height())
                              : Bounds(o.X + w->Client.Left, o.Y + w->Client.Top, w->Client.Width(), w->Client.Height());
}

// VisibleRegion below where it is one rectangle (empty for a window that
// shows nothing): true with that rectangle, false where a region is needed.
bool VisibleRect(Window* w, DWORD flags, TRect& Out) {
  if (!VisibleChain(w) || (Locked(w) && !(flags & DCX_LOCKWINDOWUPDATE))) {
    Out = TRect(0, 0, 0, 0);
    return true;
  }
  if ((flags & DCX_PARENTCLIP) && w->Parent) {
    Window* p = w->Parent;
    return VisibleRect(p, (p->Style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0, Out);
  }
  return PlainVisibleRect(w, flags, DCArea(w, flags), Out);
}

// The part of w's surface its DC may touch, in surface coordinates.
HRGN VisibleRegion(Window* w, DWORD flags) {
  TRect plain;
  if (VisibleRect(w, flags, plain)) return RectRgn(plain);
  if ((flags & DCX_PARENTCLIP) && w->Parent) {
    Window* p = w->Parent;
    return VisibleRegion(p, (p->Style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0);
  }
  HRGN r = RectRgn(DCArea(w, flags));
  HRGN shape = ShapeInSurface(w);
  CombineRgn(r, r, shape, RGN_AND);
  DeleteObject(shape);
  if (flags & DCX_CLIPSIBLINGS) ClipSiblingsAbove(r, w);
  for (Window *c = w, *p = w->Parent; p; c = p, p = p->Parent) {
    TPoint po = OffsetInTop(p);
    AndRect(r, Bounds(po.X + p->Client.Left, po.Y + p->Client.Top, p->Client.Width(), p->Client.Height()));
    HRGN ps = ShapeInSurface(p);
    CombineRgn(r, r, ps, RGN_AND);
    DeleteObject(ps);
    if (c != w && (c->Style & WS_CLIPSIBLINGS)) ClipSiblingsAbove(r, c);
  }
  if (flags & DCX_CLIPCHILDREN) {
    for (Window* c : w->Children) {
      if (!(c->Style & WS_VISIBLE)) continue;
      HRGN t = ShapeInSurface(c);
      CombineRgn(r, r, t, RGN_DIFF);
      DeleteObject(t);
    }
  }
  return r;
}

DWORD StyleFlags(const Window* w, DWORD flags) {
  if (!(flags & DCX_USESTYLE)) return flags;
  flags &= ~(DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS | DCX_PARENTCLIP);
  if (w->Style & WS_CLIPSIBLINGS) flags |= DCX_CLIPSIBLINGS;
  if (!(flags & DCX_WINDOW)) {
    if (w->Class->Style & CS_PARENTDC) flags |= DCX_PARENTCLIP;
    if ((w->Style & WS_CLIPCHILDREN) && !w->Minimized) flags |= DCX_CLIPCHILDREN;
  }
  return flags;
}

// Makes (or refreshes the window's own) DC; lock held. extra is in surface
// coordinates and intersected with the visible region.
HDC MakeDC(Window* w, DWORD flags, HRGN extra) {
  flags = StyleFlags(w, flags);
  Window* top = TopOf(w);
  auto surface = SurfaceOf(top);
  bool own = (w->Class->Style & (CS_OWNDC | CS_CLASSDC)) && !(flags & DCX_CACHE);
  // A DC for a paint is made on every paint: where its visible region is a
  // rectangle, the DC takes it without a region object made and freed.
  TRect visRect;
  const bool plain = !extra && !own && VisibleRect(w, flags, visRect);
  HRGN vis = plain ? nullptr : VisibleRegion(w, flags);
  if (extra) CombineRgn(vis, vis, extra, RGN_AND);
  TPoint o = OffsetInTop(w);
  if (!(flags & DCX_WINDOW)) o = TPoint(o.X + w->Client.Left, o.Y + w->Client.Top);
  HDC dc;
  if (own && w->OwnDC) {
    dc = w->OwnDC;
    SetSurfaceDCSurface(dc, surface, o, vis);
  } else {
    dc = plain ? CreateSurfaceDC(surface, o, visRect) : CreateSurfaceDC(surface, o, vis);
    if (own) w->OwnDC = dc;
  }
  if (vis) DeleteObject(vis);
  DCs()[dc] = DCRecord{w->Handle, own, false, 0, 0};
  return dc;
}

// A kept DC of w for these (not yet styled) flags, or nullptr; lock held.
HDC TakeKeptDC(Window* w, DWORD flags) {
  for (KeptDC& k : Kept().Slots) {
    if (k.Hwnd != w->Handle || k.Flags != flags) continue;
    if (k.Epoch != S().VisEpoch) {
      DropKept(k);
      return nullptr;
    }
    HDC dc = UnparkSurfaceDC(std::move(k.DC));
    k.Node.key() = dc;
    k.Node.mapped() = DCRecord{w->Handle, false, true, flags, k.Epoch};
    DCs().insert(std::move(k.Node));
    DropKept(k);
    return dc;
  }
  return nullptr;
}

// Keeps a released plain window DC; false where it has to be deleted. Lock held.
bool KeepDC(DCMap::iterator it) {
  const DCRecord& rec = it->second;
  if (!rec.Keep || !rec.Hwnd || rec.Epoch != S().VisEpoch || !Find(rec.Hwnd)) return false;
  TParkedDC parked = ParkSurfaceDC(it->first);
  if (!parked) return false;  // deleted behind the server's back
  KeptDC* slot = nullptr;
  KeptDCs& kept = Kept();
  for (KeptDC& k : kept.Slots) {
    if (k.Hwnd && k.Epoch != rec.Epoch) DropKept(k);  // can never be handed out again
    if (!slot && !k.Hwnd) slot = &k;
  }
  if (!slot) {
    slot = &kept.Slots[kept.Next];
    kept.Next = (kept.Next + 1) % kept.Slots.size();
  }
  slot->Hwnd = rec.Hwnd;
  slot->Flags = rec.Flags;
  slot->Epoch = rec.Epoch;
  slot->DC = std::move(parked);
  slot->Node = DCs().extract(it);
  return true;
}

HRGN ToSurface(Window* w, HRGN clientRgn) {
  HRGN r = CopyRgn(clientRgn);
  TPoint o = OffsetInTop(w);
  OffsetRgn(r, o.X + w->Client.Left, o.Y + w->Client.Top);
  return r;
}

void AddUpdate(Window* w, HRGN area) {
  if (!w->Update) w->Update = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(w->Update, w->Update, area, RGN_OR);
  if (RgnEmpty(w->Update)) {
    DeleteObject(w->Update);
    w->Update = nullptr;
  }
}

void ClearUpdate(Window* w) {
  if (w->Update) DeleteObject(w->Update);
  w->Update = nullptr;
  w->EraseNeeded = false;
  w->InternalPaint = false;
  w->NcPaintNeeded = false;
}

bool NcArea(const Window* w) { return w->Client != TRect(0, 0, w->Rect.Width(), w->Rect.Height()); }

// area: client coordinates of w, nullptr for the whole client area. Lock held.
void RedrawLocked(Window* w, HRGN area, UINT flags) {
  HRGN a = area ? CopyRgn(area) : RectRgn(LocalClient(w));
  AndRect(a, LocalClient(w));
  if (flags & RDW_INVALIDATE) {
    if (!RgnEmpty(a)) {
      AddUpdate(w, a);
      if (flags & RDW_ERASE) w->EraseNeeded = true;
    }
    if ((flags & RDW_FRAME) && NcArea(w)) w->NcPaintNeeded = true;
    if (w->Queue) Wake(*w->Queue, QS_PAINT);
  } else if (flags & RDW_VALIDATE) {
    if (w->Update) {
      CombineRgn(w->Update, w->Update, a, RGN_DIFF);
      if (RgnEmpty(w->Update)) {
        DeleteObject(w->Update);
        w->Update = nullptr;
        w->EraseNeeded = false;
      }
    }
    if (flags & RDW_NOFRAME) w->NcPaintNeeded = false;
    if (flags & RDW_NOERASE) w->EraseNeeded = false;
  }
  if (flags & RDW_INTERNALPAINT) {
    w->InternalPaint = true;
    if (w->Queue) Wake(*w->Queue, QS_PAINT);
  }
  if (flags & RDW_NOINTERNALPAINT) w->InternalPaint = false;
  bool kids = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->Style & WS_CLIPCHILDREN));
  if (kids) {
    for (Window* c : w->Children) {
      if (!(c->Style & WS_VISIBLE)) continue;
      HRGN ca = CopyRgn(a);
      AndRect(ca, c->Rect);
      if (!RgnEmpty(ca)) {
        OffsetRgn(ca, -(c->Rect.Left + c->Client.Left), -(c->Rect.Top + c->Client.Top));
        UINT cf = flags;
        if (flags & RDW_INVALIDATE) cf |= RDW_FRAME;  // the frame lies inside the parent's area
        RedrawLocked(c, ca, cf);
      }
      DeleteObject(ca);
    }
  }
  DeleteObject(a);
}

// Parent-client-coordinates area of a parent exposed by a child.
void Expose(Window* parent, const TRect& r) {
  HRGN a = RectRgn(r);
  RedrawLocked(parent, a, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  DeleteObject(a);
}

bool PaintBlocked(const Window* w) {
  for (const Window* p = w; p; p = p->Parent)
    if (!(p->Style & WS_VISIBLE) || !p->Redraw) return true;
  return Locked(w);
}

Window* FindPaintIn(Window* w, ThreadQueue& q, HWND filter) {
  if (!(w->Style & WS_VISIBLE) || !w->Redraw || (gLocked && w->Handle == gLocked)) return nullptr;
  if (w->ThreadId == q.ThreadId && NeedsPaint(w)) {
    bool match = !filter || w->Handle == filter;
    for (Window* p = w->Parent; !match && p; p = p->Parent) match = p->Handle == filter;
    if (match) return w;
  }
  for (Window* c : w->Children)
    if (Window* f = FindPaintIn(c, q, filter)) return f;
  return nullptr;
}

// Paints w (and its children as the flags say) now. No lock held.
void PaintNow(HWND h, UINT flags, bool eraseOnly) {
  std::vector<HWND> kids;
  bool paint = false, kidsToo;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return;
    paint = NeedsPaint(w) && !PaintBlocked(w) && w->ThreadId == CurrentThreadId();
    kidsToo = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->Style & WS_CLIPCHILDREN));
  }
  if (paint) {
    if (eraseOnly) {
      bool nc, erase;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return;
        nc = w->NcPaintNeeded;
        erase = w->EraseNeeded && w->Update;
        w->NcPaintNeeded = false;
        w->EraseNeeded = false;
      }
      if (nc) Send(h, WM_NCPAINT, 1, 0);
      if (erase) {
        HDC dc = GetDCEx(h, nullptr, DCX_USESTYLE | DCX_INTERSECTUPDATE);
        Send(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        ReleaseDC(h, dc);
      }
    } else {
      Send(h, WM_PAINT, 0, 0);
    }
  }
  if (!kidsToo) return;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return;
    for (Window* c : w->Children) kids.push_back(c->Handle);
  }
  for (HWND c : kids) PaintNow(c, flags, eraseOnly);
}

int RegionType(HRGN r) {
  TRect b;
  return GetRgnBox(r, &b);
}

}  // namespace

TGdiSurfacePtr SurfaceOf(Window* top) {
  int cx = std::max(1, top->Rect.Width()), cy = std::max(1, top->Rect.Height());
  if (!top->Surface || top->Surface->Width != cx || top->Surface->Height != cy) {
    auto s = TGdiSurface::Create(cx, cy);
    if (top->Surface) {
      // Keep what was painted; a resize only adds or cuts at the right and bottom.
      int w = std::min(cx, top->Surface->Width), h = std::min(cy, top->Surface->Height);
      for (int y = 0; y < h; ++y)
        std::memcpy(s->Scanline(y), top->Surface->Scanline(y), size_t(w) * 4);
    }
    top->Surface = s;
    VisibilityChanged();
  }
  return top->Surface;
}

namespace {

// A window shows what was on the screen under it until it paints there: a
// window of no background brush that copies the screen under itself finds
// that, not black. Layered windows have their own pictures.
void StartFromScreenBehind(const Window* top, const TGdiSurfacePtr& s) {
  if ((top->ExStyle & WS_EX_LAYERED) || !S().Hook.ComposeBehind) return;
  S().Hook.ComposeBehind(top, s);
  // Window pixels carry no alpha, as what GDI draws.
  for (Integer y = 0; y < s->Height; ++y) {
    uint32_t* row = s->Scanline(y);
    for (Integer x = 0; x < s->Width; ++x) row[x] &= 0x00FFFFFFu;
  }
}

}  // namespace

bool NeedsPaint(const Window* w) { return w->Update || w->InternalPaint || w->NcPaintNeeded; }

Window* FindPaintWindow(ThreadQueue& q, HWND filter) {
  for (Window* t : S().TopLevels)
    if (Window* f = FindPaintIn(t, q, filter)) return f;
  return nullptr;
}

void ValidateAfterPaint(Window* w) { ClearUpdate(w); }

void OnWindowDestroyed(Window* w) {
  VisibilityChanged();
  for (KeptDC& k : Kept().Slots)
    if (k.Hwnd == w->Handle) DropKept(k);
  ClearUpdate(w);
  if (w->WindowRgn) DeleteObject(w->WindowRgn);
  w->WindowRgn = nullptr;
  if (w->OwnDC) {
    DCs().erase(w->OwnDC);
    DeleteDC(w->OwnDC);
    w->OwnDC = nullptr;
  }
  for (auto it = DCs().begin(); it != DCs().end(); ++it)
    if (it->second.Hwnd == w->Handle) it->second.Hwnd = nullptr;  // released later, by the DC
  if (gLocked == w->Handle) gLocked = nullptr;
  w->Surface.reset();
}

void InvalidateAll(Window* w, bool erase, bool children) {
  RedrawLocked(w, nullptr,
               RDW_INVALIDATE | RDW_FRAME | (erase ? RDW_ERASE : 0) | (children ? RDW_ALLCHILDREN : RDW_NOCHILDREN));
}

void OnWindowMoved(Window* w, const TRect& oldRect, const TRect& oldClient, UINT flags) {
  VisibilityChanged();
  bool sized = oldRect.Width() != w->Rect.Width() || oldRect.Height() != w->Rect.Height();
  bool moved = oldRect.Left != w->Rect.Left || oldRect.Top != w->Rect.Top;
  if (!w->Parent && !w->MessageOnly && sized) SurfaceOf(w);
  if (!w->Parent && !w->MessageOnly && (moved || sized) && (w->Style & WS_VISIBLE) && !(flags & SWP_SHOWWINDOW)) {
    // The window shows itself where it is now, and what lay beneath it
    // shows again where it was.
    HRGN both = RectRgn(w->Rect);
    HRGN old = RectRgn(oldRect);
    CombineRgn(both, both, old, RGN_OR);
    DeleteObject(old);
    TopPaintedLocked(w, both);
  }
  if ((flags & SWP_NOREDRAW) || !VisibleChain(w)) return;
  if (w->Parent && (moved || sized)) {
    Expose(w->Parent, oldRect);
    InvalidateAll(w, true, true);
    return;
  }
  bool clientChanged = oldClient != w->Client;
  if (!sized && !clientChanged && !(flags & SWP_FRAMECHANGED)) return;
  UINT cs = w->Class->Style;
  bool full = ((cs & CS_HREDRAW) && oldRect.Width() != w->Rect.Width()) ||
              ((cs & CS_VREDRAW) && oldRect.Height() != w->Rect.Height()) ||
              oldClient.Left != w->Client.Left || oldClient.Top != w->Client.Top;
  if (full) {
    InvalidateAll(w, true, true);
    return;
  }
  // Only the newly uncovered strips of the client area need painting.
  HRGN a = RectRgn(LocalClient(w));
  DiffRect(a, TRect(0, 0, oldClient.Width(), oldClient.Height()));
  RedrawLocked(w, a, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  DeleteObject(a);
  if (NcArea(w)) w->NcPaintNeeded = true;
  if (w->Queue) Wake(*w->Queue, QS_PAINT);
}

void OnWindowShown(Window* w, bool shown) {
  VisibilityChanged();
  if (!w->Parent && !w->MessageOnly) TopPaintedLocked(w, RectRgn(w->Rect));
  if (shown) {
    if (!w->Parent && !w->MessageOnly) StartFromScreenBehind(w, SurfaceOf(w));
    if (VisibleChain(w)) InvalidateAll(w, true, true);
  } else if (w->Parent && VisibleChain(w->Parent)) {
    Expose(w->Parent, w->Rect);
  }
}

void ScreenChanged() {
  VisibilityChanged();
  // Screen DCs still open read the screen as it is now, not as it was when
  // they were taken.
  RefreshReadingScreenDCsLocked();
  if (S().Hook.ScreenChanged) S().Hook.ScreenChanged();
}

void ScreenDamaged(const TRect& screenRect) {
  if (S().Hook.ScreenDamaged) S().Hook.ScreenDamaged(screenRect);
}

void DrawNonClient(HWND h, HDC dc) { DrawClassicFrame(h, dc, nullptr); }

LRESULT DefPaintProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(h);
      DrawNonClient(h, dc);
      ReleaseDC(h, dc);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH br;
      TRect cr;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return 0;
        br = w->Class->Background;
        cr = LocalClient(w);
      }
      if (!br || !wp) return 0;
      FillRect(reinterpret_cast<HDC>(wp), &cr, br);
      return 1;
    }
    case WM_SETREDRAW: {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      w->Redraw = wp != 0;
      if (w->Redraw && w->Queue) Wake(*w->Queue, QS_PAINT);
      return 0;
    }
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if ((lp & PRF_CHECKVISIBLE) && !IsWindowVisible(h)) return 0;
      TRect cl;
      std::vector<HWND> kids;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return 0;
        cl = w->Client;
        for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
          if ((*it)->Style & WS_VISIBLE) kids.push_back((*it)->Handle);
      }
      // The DC's origin is the window's top-left corner with PRF_NONCLIENT,
      // its client area's otherwise.
      TPoint co = (lp & PRF_NONCLIENT) ? cl.TopLeft() : TPoint();
      if (lp & PRF_NONCLIENT) DrawNonClient(h, dc);
      int saved = SaveDC(dc);
      OffsetViewportOrgEx(dc, co.X, co.Y, nullptr);
      IntersectClipRect(dc, 0, 0, cl.Width(), cl.Height());
      if (lp & PRF_ERASEBKGND) Send(h, WM_ERASEBKGND, wp, 0);
      if (lp & PRF_CLIENT) Send(h, WM_PRINTCLIENT, wp, lp);
      if (lp & PRF_CHILDREN) {
        for (HWND c : kids) {
          TRect r;
          {
            std::lock_guard<std::mutex> lk(S().Lock);
            Window* cw = Find(c);
            if (!cw) continue;
            r = cw->Rect;
          }
          int s2 = SaveDC(dc);
          IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
          OffsetViewportOrgEx(dc, r.Left, r.Top, nullptr);
          Send(c, WM_PRINT, wp, lp | PRF_NONCLIENT);
          RestoreDC(dc, s2);
        }
      }
      RestoreDC(dc, saved);
      return 0;
    }
    default:
      return 0;
  }
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

bool RedrawWindow(HWND h, const RECT* r, HRGN rgn, UINT flags) {
  if (!h || h == GetDesktopWindow()) {
    std::vector<HWND> tops;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      for (Window* t : S().TopLevels) tops.push_back(t->Handle);
    }
    for (HWND t : tops) RedrawWindow(t, nullptr, nullptr, flags | RDW_FRAME | RDW_ALLCHILDREN);
    return true;
  }
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (flags & (RDW_INVALIDATE | RDW_VALIDATE | RDW_INTERNALPAINT | RDW_NOINTERNALPAINT | RDW_NOERASE | RDW_NOFRAME)) {
      HRGN area = nullptr;
      if (rgn) area = CopyRgn(rgn);
      else if (r) area = RectRgn(*r);
      // RDW_FRAME with the whole window asks for the frame; with a part, only
      // when the caller says so too.
      RedrawLocked(w, area, flags);
      if (area) DeleteObject(area);
    }
  }
  if (flags & RDW_UPDATENOW) PaintNow(h, flags, false);
  else if (flags & RDW_ERASENOW) PaintNow(h, flags, true);
  return true;
}

bool InvalidateRect(HWND h, const RECT* r, bool erase) {
  return RedrawWindow(h, r, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0) | (h ? 0 : RDW_ERASENOW));
}

bool InvalidateRgn(HWND h, HRGN rgn, bool erase) {
  return RedrawWindow(h, nullptr, rgn, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

bool ValidateRect(HWND h, const RECT* r) { return RedrawWindow(h, r, nullptr, RDW_VALIDATE | RDW_NOCHILDREN); }

bool ValidateRgn(HWND h, HRGN rgn) { return RedrawWindow(h, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN); }

bool GetUpdateRect(HWND h, RECT* r, bool erase) {
  bool any;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return false;
    TRect b;
    if (w->Update) GetRgnBox(w->Update, &b);
    if (r) *r = b;
    any = w->Update != nullptr;
  }
  if (any && erase) RedrawWindow(h, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  return any;
}

int GetUpdateRgn(HWND h, HRGN rgn, bool erase) {
  int type;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w || !rgn) return ERROR;
    if (w->Update) CombineRgn(rgn, w->Update, nullptr, RGN_COPY);
    else SetRectRgn(rgn, 0, 0, 0, 0);
    type = RegionType(rgn);
  }
  if (type != NULLREGION && erase) RedrawWindow(h, nullptr, nullptr, RDW_ERASENOW | RDW_NOCHILDREN);
  return type;
}

bool UpdateWindow(HWND h) {
  if (!IsWindow(h)) return false;
  PaintNow(h, RDW_ALLCHILDREN, false);
  return true;
}

HDC BeginPaint(HWND h, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  bool nc;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return nullptr;
    CaretPaintBegin(h);
    nc = w->NcPaintNeeded;
    w->NcPaintNeeded = false;
  }
  if (nc) Send(h, WM_NCPAINT, 1, 0);
  HDC dc;
  bool erase;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return nullptr;
    HRGN paint = w->Update ? w->Update : CreateRectRgn(0, 0, 0, 0);
    w->Update = nullptr;
    erase = w->EraseNeeded;
    w->EraseNeeded = false;
    w->InternalPaint = false;
    HRGN extra = ToSurface(w, paint);
    dc = MakeDC(w, DCX_USESTYLE, extra);
    DeleteObject(extra);
    TRect box;
    GetRgnBox(paint, &box);
    IntersectRect(ps->rcPaint, box, LocalClient(w));
    DeleteObject(paint);
  }
  ps->hdc = dc;
  ps->fErase = false;
  if (erase) ps->fErase = Send(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
  return dc;
}

bool EndPaint(HWND h, const PAINTSTRUCT* ps) {
  if (!ps) return false;
  ReleaseDC(h, ps->hdc);
  std::lock_guard<std::mutex> lk(S().Lock);
  CaretPaintEnd(h);
  return true;
}

namespace {

String UpperName(const char16_t* s) {
  String up;
  for (; s && *s; ++s) up += (*s >= u'a' && *s <= u'z') ? char16_t(*s - 32) : *s;
  return up;
}

bool IsDisplayName(const String& up) { return up == u"DISPLAY" || up.rfind(u"\\\\.\\DISPLAY", 0) == 0; }

// "WINSPOOL" or no driver, with a printer's name (none: the default printer).
HDC MakePrinterDC(const char16_t* driver, const char16_t* device, const void* devMode, bool infoOnly) {
  String drv = UpperName(driver);
  if (!drv.empty() && drv != u"WINSPOOL") return nullptr;
  return CreatePrinterDC(device, static_cast<const DEVMODEW*>(devMode), infoOnly);
}

}  // namespace

HDC CreateDCW(const char16_t* driver, const char16_t* device, const char16_t*, const void* devMode) {
  String d = UpperName(driver ? driver : device);
  if (!IsDisplayName(d)) return MakePrinterDC(driver, device, devMode, false);
  std::lock_guard<std::mutex> lk(S().Lock);
  // What other screen DCs drew shows in this one.
  SyncScreenDCsLocked();
  TRect vs;
  for (auto& m : S().Monitors) UnionRect(vs, vs, m.Bounds);
  TPoint origin(-vs.Left, -vs.Top);
  TGdiSurfacePtr screen;
  if (S().Hook.ComposeScreen) screen = S().Hook.ComposeScreen();
  if (!screen) screen = TGdiSurface::Create(std::max(1, vs.Width()), std::max(1, vs.Height()));
  HDC dc = CreateSurfaceDC(screen, origin, nullptr);
  if (dc) TrackScreenDCLocked(dc, screen);
  return dc;
}

HDC CreateICW(const char16_t* driver, const char16_t* device, const char16_t* output, const void* devMode) {
  String d = UpperName(driver ? driver : device);
  if (IsDisplayName(d)) return CreateDCW(driver, device, output, devMode);
  return MakePrinterDC(driver, device, devMode, true);
}

int GetRandomRgn(HDC dc, HRGN rgn, int which) {
  if (which == CLIPRGN || which == METARGN || which == APIRGN) return GetClipRgn(dc, rgn);
  if (which != SYSRGN) return -1;
  int r = GetDCVisibleRegion(dc, rgn);
  if (r < 0) return -1;
  std::lock_guard<std::mutex> lk(S().Lock);
  auto it = DCs().find(dc);
  Window* w = it != DCs().end() ? Find(it->second.Hwnd) : nullptr;
  if (!w) {
    // A screen DC: its surface is the virtual screen, so surface
    // coordinates move to screen coordinates.
    if (IsScreenDCLocked(dc)) {
      TRect vs;
      for (auto& m : S().Monitors) UnionRect(vs, vs, m.Bounds);
      OffsetRgn(rgn, vs.Left, vs.Top);
      return r;
    }
    // A window DC whose window is gone shows nothing.
    if (it != DCs().end()) {
      CombineRgn(rgn, rgn, rgn, RGN_DIFF);
      return 0;
    }
    return r;  // memory and printer DCs: their own surface
  }
  Window* top = TopOf(w);
  TRect t = ScreenRect(top);
  OffsetRgn(rgn, t.Left, t.Top);
  CutTopsAbove(rgn, top);
  return RgnEmpty(rgn) ? 0 : 1;
}

HDC GetDCEx(HWND h, HRGN clip, DWORD flags) {
  if (!h || h == GetDesktopWindow()) {
    HDC dc = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    std::lock_guard<std::mutex> lk(S().Lock);
    DCs()[dc] = DCRecord{nullptr, false};
    return dc;
  }
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const bool keepable = Keepable(flags) && !((w->Class->Style & (CS_OWNDC | CS_CLASSDC)) && !(flags & DCX_CACHE));
  if (keepable)
    if (HDC dc = TakeKeptDC(w, flags)) return dc;
  HRGN extra = nullptr;
  if (flags & (DCX_INTERSECTUPDATE | DCX_EXCLUDEUPDATE)) {
    HRGN u = w->Update ? ToSurface(w, w->Update) : CreateRectRgn(0, 0, 0, 0);
    if (flags & DCX_INTERSECTUPDATE) {
      extra = u;
    } else {
      extra = RectRgn(TRect(0, 0, INT32_MAX / 2, INT32_MAX / 2));
      CombineRgn(extra, extra, u, RGN_DIFF);
      DeleteObject(u);
    }
    if ((flags & DCX_VALIDATE) && (flags & DCX_INTERSECTUPDATE)) ClearUpdate(w);
  }
  if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    // The clip region is in screen coordinates.
    TRect t = ScreenRect(TopOf(w));
    HRGN c = CopyRgn(clip);
    OffsetRgn(c, -t.Left, -t.Top);
    if (flags & DCX_EXCLUDERGN) {
      HRGN all = RectRgn(TRect(0, 0, INT32_MAX / 2, INT32_MAX / 2));
      CombineRgn(c, all, c, RGN_DIFF);
      DeleteObject(all);
    }
    if (extra) {
      CombineRgn(extra, extra, c, RGN_AND);
      DeleteObject(c);
    } else {
      extra = c;
    }
  }
  HDC dc = MakeDC(w, flags, extra);
  if (keepable && dc) {
    DCRecord& rec = DCs()[dc];
    rec.Keep = true;
    rec.Flags = flags;
    rec.Epoch = S().VisEpoch;
  }
  if (extra) DeleteObject(extra);
  if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) DeleteObject(clip);  // the DC consumed it
  return dc;
}

HDC GetDC(HWND h) { return GetDCEx(h, nullptr, h ? DCX_USESTYLE : 0); }

HDC GetWindowDC(HWND h) { return GetDCEx(h, nullptr, DCX_WINDOW | DCX_USESTYLE); }

int ReleaseDC(HWND, HDC dc) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto it = DCs().find(dc);
  if (it == DCs().end()) return 0;
  if (!it->second.Hwnd) ReleaseScreenDCLocked(dc);
  // What a window's DC drew stays inside the window; a display shows it, and
  // so do the screen DCs still open.
  if (Window* w = Find(it->second.Hwnd); w && !w->MessageOnly) {
    Window* top = TopOf(w);
    HRGN drawn = CreateRectRgn(0, 0, 0, 0);
    const bool wrote = TakeDCWrittenRegion(dc, drawn);
    if (wrote && !top->MessageOnly && (top->Style & WS_VISIBLE)) {
      TRect t = ScreenRect(top);
      OffsetRgn(drawn, t.Left, t.Top);
      TopPaintedLocked(top, drawn);
    } else {
      DeleteObject(drawn);
    }
    RefreshReadingScreenDCsLocked();
    if (S().Hook.ScreenDamaged) ScreenDamaged(ScreenRect(w));
  }
  if (it->second.Own) {
    Window* w = Find(it->second.Hwnd);
    if (w && w->OwnDC == dc) return 1;  // an own DC stays with its window
  }
  if (KeepDC(it)) return 1;
  DCs().erase(it);
  DeleteDC(dc);
  return 1;
}

HWND WindowFromDC(HDC dc) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto it = DCs().find(dc);
  return it == DCs().end() ? nullptr : it->second.Hwnd;
}

namespace {

// Moves the pixels of block src by (dx, dy) on a surface, writing only inside
// allowed (surface coordinates).
void MovePixels(const TGdiSurfacePtr& s, const TRect& dst, int dx, int dy, HRGN allowed) {
  if (IsRectEmpty(dst)) return;
  std::vector<uint32_t> tmp(size_t(dst.Width()) * size_t(dst.Height()));
  for (int y = dst.Top; y < dst.Bottom; ++y)
    std::memcpy(&tmp[size_t(y - dst.Top) * size_t(dst.Width())], s->Scanline(y - dy) + (dst.Left - dx),
                size_t(dst.Width()) * 4);
  for (const TRect& r : GetRegionRects(allowed)) {
    TRect c;
    if (!IntersectRect(c, r, dst)) continue;
    for (int y = c.Top; y < c.Bottom; ++y)
      std::memcpy(s->Scanline(y) + c.Left, &tmp[size_t(y - dst.Top) * size_t(dst.Width()) + size_t(c.Left - dst.Left)],
                  size_t(c.Width()) * 4);
  }
}

void ReturnUpdate(HRGN band, HRGN update, RECT* updateRect) {
  if (update) CombineRgn(update, band, nullptr, RGN_COPY);
  if (updateRect) GetRgnBox(band, updateRect);
}

}  // namespace

int ScrollWindowEx(HWND h, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect,
                   UINT flags) {
  std::vector<std::pair<HWND, TRect>> kids;
  int type;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return ERROR;
    }
    VisibilityChanged();
    TRect cr = LocalClient(w), area, clipR;
    IntersectRect(area, scroll ? *scroll : cr, cr);
    IntersectRect(clipR, clip ? *clip : cr, cr);
    TRect moved = area;
    OffsetRect(moved, dx, dy);
    TRect dst;
    IntersectRect(dst, moved, area);
    IntersectRect(dst, dst, clipR);
    // Pixels move where both their old and new places are visible.
    TPoint o = OffsetInTop(w);
    o = TPoint(o.X + w->Client.Left, o.Y + w->Client.Top);
    HRGN vis = VisibleRegion(w, StyleFlags(w, DCX_USESTYLE));
    HRGN visShift = CopyRgn(vis);
    OffsetRgn(visShift, dx, dy);
    HRGN valid = RectRgn(Bounds(o.X + dst.Left, o.Y + dst.Top, dst.Width(), dst.Height()));
    CombineRgn(valid, valid, vis, RGN_AND);
    CombineRgn(valid, valid, visShift, RGN_AND);
    if (!RgnEmpty(valid)) {
      TRect sd = dst;
      OffsetRect(sd, o.X, o.Y);
      MovePixels(SurfaceOf(TopOf(w)), sd, dx, dy, valid);
    }
    // The band: the scrolled area inside the clip that received no pixels.
    HRGN band = RectRgn(area);
    AndRect(band, clipR);
    OffsetRgn(valid, -o.X, -o.Y);
    CombineRgn(band, band, valid, RGN_DIFF);
    // What was already invalid moves with the pixels.
    if (w->Update) {
      HRGN part = CopyRgn(w->Update);
      AndRect(part, area);
      CombineRgn(w->Update, w->Update, part, RGN_DIFF);
      OffsetRgn(part, dx, dy);
      AndRect(part, area);
      AndRect(part, clipR);
      CombineRgn(w->Update, w->Update, part, RGN_OR);
      DeleteObject(part);
      if (RgnEmpty(w->Update)) {
        DeleteObject(w->Update);
        w->Update = nullptr;
      }
    }
    if (flags & SW_INVALIDATE)
      RedrawLocked(w, band, RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) |
                                (flags & SW_SCROLLCHILDREN ? RDW_ALLCHILDREN : 0));
    type = RegionType(band);
    ReturnUpdate(band, update, updateRect);
    DeleteObject(band);
    DeleteObject(valid);
    DeleteObject(visShift);
    DeleteObject(vis);
    if (flags & SW_SCROLLCHILDREN)
      for (Window* c : w->Children) {
        TRect i;
        if (!scroll || IntersectRect(i, c->Rect, area)) kids.emplace_back(c->Handle, c->Rect);
      }
    ScreenChanged();
  }
  for (auto& [c, r] : kids)
    SetWindowPos(c, nullptr, r.Left + dx, r.Top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return type;
}

bool ScrollWindow(HWND h, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(h, dx, dy, scroll, clip, nullptr, nullptr,
                        SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN)) != ERROR;
}

bool ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect) {
  auto s = GetDCSurface(dc);
  if (!s) return false;
  TPoint o = GetDCDeviceOrigin(dc);
  TRect box;
  if (GetClipBox(dc, &box) == ERROR) return false;
  TRect area, clipR;
  IntersectRect(area, scroll ? *scroll : box, box);
  IntersectRect(clipR, clip ? *clip : area, box);
  TRect moved = area, dst;
  OffsetRect(moved, dx, dy);
  IntersectRect(dst, moved, area);
  IntersectRect(dst, dst, clipR);
  TRect sd = dst;
  OffsetRect(sd, o.X, o.Y);
  TRect surf = s->BoundsRect(), src = sd;
  OffsetRect(src, -dx, -dy);
  IntersectRect(sd, sd, surf);
  TRect srcIn;
  IntersectRect(srcIn, src, surf);
  OffsetRect(srcIn, dx, dy);
  IntersectRect(sd, sd, srcIn);
  HRGN allowed = RectRgn(sd);
  MovePixels(s, sd, dx, dy, allowed);
  DeleteObject(allowed);
  HRGN band = RectRgn(area);
  AndRect(band, clipR);
  OffsetRect(sd, -o.X, -o.Y);
  DiffRect(band, sd);
  ReturnUpdate(band, update, updateRect);
  DeleteObject(band);
  return true;
}

bool LockWindowUpdate(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (h) {
    if (gLocked || !Find(h)) return false;
    gLocked = h;
    VisibilityChanged();
    return true;
  }
  if (!gLocked) return false;
  if (Window* w = Find(gLocked)) InvalidateAll(w, true, true);
  gLocked = nullptr;
  VisibilityChanged();
  return true;
}

int SetWindowRgn(HWND h, HRGN rgn, bool redraw) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (rgn && GetObjectType(rgn) != OBJ_REGION) {
      SetLastError(ERROR_INVALID_PARAMETER);  // the caller keeps whatever it passed
      return 0;
    }
    if (w->WindowRgn && w->WindowRgn != rgn) DeleteObject(w->WindowRgn);
    w->WindowRgn = rgn;
    VisibilityChanged();
    if (redraw && VisibleChain(w)) {
      if (w->Parent) Expose(w->Parent, w->Rect);
      InvalidateAll(w, true, true);
    }
    if (!w->Parent) ScreenChanged();
  }
  return 1;
}

int GetWindowRgn(HWND h, HRGN rgn) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w || !w->WindowRgn || !rgn) return ERROR;
  return CombineRgn(rgn, w->WindowRgn, nullptr, RGN_COPY);
}

int GetWindowRgnBox(HWND h, RECT* r) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w || !w->WindowRgn || !r) return ERROR;
  return GetRgnBox(w->WindowRgn, r);
}

bool EnumDisplayMonitors(HDC, const RECT* clip, MONITORENUMPROC proc, LPARAM data) {
  std::vector<std::pair<HMONITOR, TRect>> list;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    for (auto& m : S().Monitors) {
      TRect r = m.Bounds;
      if (clip && !IntersectRect(r, r, *clip)) continue;
      list.emplace_back(m.Handle, r);
    }
  }
  for (auto& [m, r] : list)
    if (!proc(m, nullptr, &r, data)) return false;
  return true;
}

}  // namespace vcl
