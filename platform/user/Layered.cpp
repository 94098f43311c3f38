// Layered windows: the picture given to UpdateLayeredWindow or the painted
// surface at a constant alpha and colour key, and how the screen and
// hit-testing see a top-level window.
//
// The picture of UpdateLayeredWindow is kept apart from the window's surface,
// so GDI drawing on such a window (which still lands on the surface) does not
// change what is shown.
#include <algorithm>
#include <cstring>

#include "platform/user/Server.h"

namespace vcl::server {

ScreenLook LookOf(Window* top) {
  ScreenLook l;
  l.Clip = TRect(0, 0, top->Rect.Width(), top->Rect.Height());
  if (top->ExStyle & WS_EX_LAYERED) {
    switch (top->Layer) {
      case Window::LayerMode::None:
        l.Hidden = true;
        return l;
      case Window::LayerMode::Attributes:
        l.Source = SurfaceOf(top);
        if (top->LayerFlags & LWA_ALPHA) l.Alpha = top->LayerAlpha;
        l.Keyed = (top->LayerFlags & LWA_COLORKEY) != 0;
        break;
      case Window::LayerMode::Update:
        l.Source = top->LayerImage;
        if (!l.Source) {
          l.Hidden = true;
          return l;
        }
        if (top->LayerFlags & ULW_ALPHA) {
          l.Alpha = top->LayerAlpha;
          l.PerPixel = top->LayerPerPixel;
        }
        l.Keyed = (top->LayerFlags & ULW_COLORKEY) != 0;
        break;
    }
    l.Key = ColorRefToPixel(top->LayerKey & 0xFFFFFF);
  } else {
    l.Source = SurfaceOf(top);
  }
  ApplyAnimation(top, l);
  return l;
}

uint32_t LookAlphaAt(const ScreenLook& look, TPoint p) {
  if (look.Hidden || !look.Source || !PtInRect(look.Clip, p)) return 0;
  TPoint s(p.X - look.Shift.X, p.Y - look.Shift.Y);
  if (!PtInRect(look.Source->BoundsRect(), s)) return 0;
  uint32_t px = look.Source->Pixel(s.X, s.Y);
  if (look.Keyed && (px & 0x00FFFFFFu) == look.Key) return 0;
  // Rounded up: a pixel that shows at all takes the pointer.
  if (look.PerPixel) return ((px >> 24) * look.Alpha + 254) / 255;
  return look.Alpha;
}

void OnExStyleChanged(Window* w, DWORD oldExStyle) {
  if (!((oldExStyle ^ w->ExStyle) & WS_EX_LAYERED)) return;
  w->Layer = Window::LayerMode::None;
  w->LayerImage.reset();
  w->LayerFlags = 0;
  w->LayerAlpha = 255;
  w->LayerPerPixel = false;
  w->LayerKey = 0;
  // Back to a plain window: what it shows is painted afresh, as drawing may
  // have gone to its surface unseen meanwhile.
  if (!(w->ExStyle & WS_EX_LAYERED) && VisibleChain(w)) InvalidateAll(w, true, true);
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

namespace {

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

// A layered top-level window of the server; sets the last error otherwise.
Window* LayeredTop(HWND h) {
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!(w->ExStyle & WS_EX_LAYERED) || w->Parent || w->MessageOnly) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return w;
}

}  // namespace

bool UpdateLayeredWindowIndirect(HWND h, const UPDATELAYEREDWINDOWINFO* info) {
  if (!info || info->cbSize != sizeof(UPDATELAYEREDWINDOWINFO)) return Fail(ERROR_INVALID_PARAMETER);
  const UPDATELAYEREDWINDOWINFO& in = *info;
  if (in.dwFlags & ~(ULW_COLORKEY | ULW_ALPHA | ULW_OPAQUE)) return Fail(ERROR_INVALID_PARAMETER);
  if ((in.dwFlags & ULW_ALPHA) && (!in.pblend || in.pblend->BlendOp != AC_SRC_OVER))
    return Fail(ERROR_INVALID_PARAMETER);
  if (in.psize && (in.psize->cx <= 0 || in.psize->cy <= 0)) return Fail(ERROR_INVALID_PARAMETER);
  TGdiSurfacePtr src;
  TPoint srcAt;
  if (in.hdcSrc) {
    src = GetDCSurface(in.hdcSrc);
    if (!src) return Fail(ERROR_INVALID_PARAMETER);
    TPoint sp = in.pptSrc ? *in.pptSrc : TPoint();
    LPtoDP(in.hdcSrc, &sp, 1);
    TPoint o = GetDCDeviceOrigin(in.hdcSrc);
    srcAt = TPoint(sp.X + o.X, sp.Y + o.Y);
  }
  TPoint pos;
  TSize size;
  bool move, resize;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = LayeredTop(h);
    if (!w) return false;
    if (w->Layer == Window::LayerMode::Attributes) return Fail(ERROR_INVALID_PARAMETER);
    TSize cur(w->Rect.Width(), w->Rect.Height());
    size = in.psize ? *in.psize : cur;
    pos = in.pptDst ? *in.pptDst : w->Rect.TopLeft();
    move = pos != w->Rect.TopLeft();
    resize = size != cur;
    // A new shape needs a new picture.
    if (!src && resize) return Fail(ERROR_INVALID_PARAMETER);
    if (src) {
      TRect need = Bounds(srcAt.X, srcAt.Y, size.cx, size.cy), inside;
      if (!IntersectRect(inside, need, src->BoundsRect()) || inside != need) return Fail(ERROR_INVALID_PARAMETER);
      TRect all(0, 0, size.cx, size.cy), dirty = all;
      if (in.prcDirty && !IntersectRect(dirty, *in.prcDirty, all)) dirty = TRect();
      auto image = TGdiSurface::Create(size.cx, size.cy);
      if (dirty != all && w->LayerImage) {
        // Outside the dirty rectangle the picture stays as it was.
        int cw = std::min(size.cx, w->LayerImage->Width), ch = std::min(size.cy, w->LayerImage->Height);
        for (int y = 0; y < ch; ++y) std::memcpy(image->Scanline(y), w->LayerImage->Scanline(y), size_t(cw) * 4);
      }
      for (int y = dirty.Top; y < dirty.Bottom; ++y)
        std::memcpy(image->Scanline(y) + dirty.Left, src->Scanline(srcAt.Y + y) + srcAt.X + dirty.Left,
                    size_t(dirty.Width()) * 4);
      w->LayerImage = image;
    }
    w->Layer = Window::LayerMode::Update;
    w->LayerFlags = in.dwFlags;
    w->LayerAlpha = (in.dwFlags & ULW_ALPHA) ? in.pblend->SourceConstantAlpha : 255;
    w->LayerPerPixel = (in.dwFlags & ULW_ALPHA) && (in.pblend->AlphaFormat & AC_SRC_ALPHA);
    w->LayerKey = in.crKey;
    ScreenChanged();
  }
  if (move || resize)
    SetWindowPos(h, nullptr, pos.X, pos.Y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | (move ? 0 : SWP_NOMOVE) | (resize ? 0 : SWP_NOSIZE));
  return true;
}

bool UpdateLayeredWindow(HWND h, HDC hdcDst, const POINT* pptDst, const SIZE* psize, HDC hdcSrc,
                         const POINT* pptSrc, COLORREF crKey, const BLENDFUNCTION* pblend, DWORD dwFlags) {
  UPDATELAYEREDWINDOWINFO info;
  info.hdcDst = hdcDst;
  info.pptDst = pptDst;
  info.psize = psize;
  info.hdcSrc = hdcSrc;
  info.pptSrc = pptSrc;
  info.crKey = crKey;
  info.pblend = pblend;
  info.dwFlags = dwFlags;
  return UpdateLayeredWindowIndirect(h, &info);
}

bool SetLayeredWindowAttributes(HWND h, COLORREF crKey, Byte bAlpha, DWORD dwFlags) {
  if (dwFlags & ~(LWA_COLORKEY | LWA_ALPHA)) return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = LayeredTop(h);
  if (!w) return false;
  if (w->Layer == Window::LayerMode::Update) {
    // From a given picture back to the painted surface: paint it anew.
    w->LayerImage.reset();
    if (VisibleChain(w)) InvalidateAll(w, true, true);
  }
  w->Layer = Window::LayerMode::Attributes;
  w->LayerFlags = dwFlags;
  w->LayerAlpha = bAlpha;
  w->LayerPerPixel = false;
  w->LayerKey = crKey;
  ScreenChanged();
  return true;
}

bool GetLayeredWindowAttributes(HWND h, COLORREF* pcrKey, Byte* pbAlpha, DWORD* pdwFlags) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = LayeredTop(h);
  if (!w) return false;
  if (w->Layer != Window::LayerMode::Attributes) return Fail(ERROR_INVALID_PARAMETER);
  if (pcrKey) *pcrKey = w->LayerKey;
  if (pbAlpha) *pbAlpha = w->LayerAlpha;
  if (pdwFlags) *pdwFlags = w->LayerFlags;
  return true;
}

}  // namespace vcl
