// Composition of the screen, snapshots and the host settings.
#include "platform/desktop/Desktop.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/rtl/System.h"
#include "platform/rtl/Units.h"
#include "platform/desktop/DesktopInternal.h"
#include "platform/desktop/Display.h"
#include "platform/user/Server.h"
#include "platform/user/ServerInput.h"

namespace vcl {

using namespace server;

namespace desktop {
// The input driver's hook (Input.cpp).
void InstallInput();
void RemoveInput();
}  // namespace desktop

namespace {

COLORREF gDesktopColor = 0xFFFFFFFF;  // unset: the system's desktop colour

TRect VirtualScreenLocked() {
  TRect vs;
  for (auto& m : S().Monitors) UnionRect(vs, vs, m.Bounds);
  return vs;
}

// The soft shadow the platform puts to the right of and below windows of
// CS_DROPSHADOW classes: darkest next to the window, fading over a few pixels.
void DropShadow(const TGdiSurfacePtr& out, const TRect& windowRect, const TRect& limit) {
  constexpr int kOffset = 4, kSpread = 4;
  TRect core = windowRect;
  OffsetRect(core, kOffset, kOffset);
  TRect area = core;
  InflateRect(area, kSpread, kSpread);
  IntersectRect(area, area, limit);
  for (int y = area.Top; y < area.Bottom; ++y) {
    uint32_t* d = out->Scanline(y);
    for (int x = area.Left; x < area.Right; ++x) {
      if (PtInRect(windowRect, TPoint(x, y))) continue;
      int dx = std::max({0, core.Left - x, x - (core.Right - 1)});
      int dy = std::max({0, core.Top - y, y - (core.Bottom - 1)});
      int dist = std::max(dx, dy);
      if (dist >= kSpread) continue;
      uint32_t keep = 256 - uint32_t(90 * (kSpread - dist) / kSpread);  // at most ~35 % darker
      uint32_t p = d[x];
      uint32_t r = ((p >> 16) & 0xFF) * keep >> 8, g = ((p >> 8) & 0xFF) * keep >> 8, b = (p & 0xFF) * keep >> 8;
      d[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
}

// x / 255 rounded to nearest, for x below 65536 * 255.
inline uint32_t Div255(uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

// One screen pixel d under window pixel s of a look: the premultiplied "over"
// with per-pixel alpha scaled by k, else s's colour at constant opacity k.
// The same rounding as AlphaBlend.
inline uint32_t ComposePixel(uint32_t s, uint32_t d, uint32_t k, bool perPixel) {
  if (!perPixel) {
    if (k == 255) return s | 0xFF000000u;
    uint32_t out = 0xFF000000u;
    for (int c = 0; c < 24; c += 8)
      out |= Div255(((s >> c) & 0xFF) * k + ((d >> c) & 0xFF) * (255 - k)) << c;
    return out;
  }
  uint32_t ak = (s >> 24) * k;  // source alpha times k, scaled by 255
  uint32_t out = 0xFF000000u;
  for (int c = 0; c < 24; c += 8) {
    uint32_t sc = (s >> c) & 0xFF, t = (d >> c) & 0xFF;
    out |= std::min<uint32_t>(255, (sc * k * 255 + t * (65025 - ak) + 32512) / 65025) << c;
  }
  return out;
}

// Composes the part area (output coordinates) of the screen into out, whose
// top-left pixel is screen point vs.TopLeft; what lies outside area stays
// as it was. Only the windows behind stop show when it is given, without
// what screen DCs drew. Lock held.
void ComposeInto(const TGdiSurfacePtr& out, const TRect& want, TRect vs, const Window* stop) {
  TRect area;
  if (!IntersectRect(area, want, out->BoundsRect())) return;
  COLORREF bg = gDesktopColor == 0xFFFFFFFF ? GetSysColor(COLOR_DESKTOP) : gDesktopColor;
  uint32_t bgp = ColorRefToPixel(bg) | 0xFF000000u;
  for (int y = area.Top; y < area.Bottom; ++y) std::fill(out->Scanline(y) + area.Left, out->Scanline(y) + area.Right, bgp);
  auto& tops = S().TopLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    Window* t = *it;
    if (t == stop) return;
    if (!(t->Style & WS_VISIBLE) || t->Rect.IsEmpty()) continue;
    ScreenLook look = LookOf(t);
    if (look.Hidden || look.Alpha == 0) continue;
    TRect r = t->Rect;  // screen coordinates
    if ((t->Class->Style & CS_DROPSHADOW) && ParameterLocked(SPI_GETDROPSHADOW) && !t->Animating) {
      TRect onScreen = r;
      OffsetRect(onScreen, -vs.Left, -vs.Top);
      DropShadow(out, onScreen, area);
    }
    // The shown part: the look's clip within the window region, and the
    // source wherever it lies after the look's shift.
    TRect part = look.Clip, src = look.Source->BoundsRect();
    OffsetRect(src, look.Shift.X, look.Shift.Y);
    IntersectRect(part, part, src);
    int ox = r.Left - vs.Left, oy = r.Top - vs.Top;  // the window's origin on the output
    TRect partOut = part;
    OffsetRect(partOut, ox, oy);
    TRect probe;
    if (!IntersectRect(probe, partOut, area)) continue;
    HRGN shape = CreateRectRgn(part.Left, part.Top, part.Right, part.Bottom);
    if (t->WindowRgn) CombineRgn(shape, shape, t->WindowRgn, RGN_AND);
    OffsetRgn(shape, ox, oy);
    HRGN clip = CreateRectRgn(area.Left, area.Top, area.Right, area.Bottom);
    CombineRgn(shape, shape, clip, RGN_AND);
    DeleteObject(clip);
    bool plain = !look.PerPixel && !look.Keyed && look.Alpha == 255;
    for (const TRect& b : GetRegionRects(shape)) {
      for (int y = b.Top; y < b.Bottom; ++y) {
        const uint32_t* sp = look.Source->Scanline(y - oy - look.Shift.Y) + (b.Left - ox - look.Shift.X);
        uint32_t* d = out->Scanline(y) + b.Left;
        int n = b.Width();
        if (plain) {
          // Plain windows are opaque: GDI leaves alpha at 0, the screen shows colour.
          for (int x = 0; x < n; ++x) d[x] = sp[x] | 0xFF000000u;
          continue;
        }
        for (int x = 0; x < n; ++x) {
          if (look.Keyed && (sp[x] & 0x00FFFFFFu) == look.Key) continue;
          d[x] = ComposePixel(sp[x], d[x], look.Alpha, look.PerPixel);
        }
      }
    }
    DeleteObject(shape);
  }
  if (!stop) ApplyScreenOverlayLocked(out, area);
}

// What lies on the screen behind top, into out (top's window rectangle).
void ComposeBehindLocked(const Window* top, const TGdiSurfacePtr& out) {
  TRect at = Bounds(top->Rect.Left, top->Rect.Top, out->Width, out->Height);
  ComposeInto(out, out->BoundsRect(), at, top);
}

}  // namespace

namespace desktop {

void ComposeAreaLocked(const TGdiSurfacePtr& out, const TRect& want) {
  ComposeInto(out, want, VirtualScreenLocked(), nullptr);
}

TRect VirtualScreenBoundsLocked() { return VirtualScreenLocked(); }

}  // namespace desktop

namespace {

// Lock held.
TGdiSurfacePtr ComposeLocked() {
  TRect vs = VirtualScreenLocked();
  auto out = TGdiSurface::Create(std::max(1, vs.Width()), std::max(1, vs.Height()));
  desktop::ComposeAreaLocked(out, out->BoundsRect());
  return out;
}

TScreenImage FromSurface(const TGdiSurfacePtr& s, const TRect& part, bool opaque) {
  TScreenImage img;
  TRect r;
  if (!s || !IntersectRect(r, part, s->BoundsRect())) return img;
  img.Width = r.Width();
  img.Height = r.Height();
  img.Pixels.resize(size_t(img.Width) * size_t(img.Height));
  for (int y = 0; y < img.Height; ++y) {
    const uint32_t* src = s->Scanline(r.Top + y) + r.Left;
    for (int x = 0; x < img.Width; ++x) img.Pixels[size_t(y) * size_t(img.Width) + size_t(x)] = src[x] | (opaque ? 0xFF000000u : 0);
  }
  return img;
}

void InstallHooks() {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    S().Hook.ComposeScreen = ComposeLocked;
    S().Hook.ComposeBehind = ComposeBehindLocked;
  }
  desktop::InstallInput();
}

void RemoveHooks() {
  desktop::StopDisplayAtExit();
  desktop::RemoveInput();
  std::lock_guard<std::mutex> lk(S().Lock);
  S().Hook.ComposeScreen = nullptr;
  S().Hook.ComposeBehind = nullptr;
}

}  // namespace

void RegisterDesktopUnits() { RegisterUnit({"Desktop", {"Windows"}, InstallHooks, RemoveHooks}); }

void SetScreenSize(Integer width, Integer height) {
  TMonitorConfig m;
  m.Bounds = TRect(0, 0, width, height);
  m.Primary = true;
  SetScreenConfiguration({m});
}

void SetScreenConfiguration(const std::vector<TMonitorConfig>& monitors) {
  // A display's screen is its monitor window, which keeps its size.
  if (CurrentDisplay() == TDisplayKind::X11) return;
  std::vector<Monitor> list;
  for (auto& c : monitors) {
    if (c.Bounds.IsEmpty()) throw EArgumentException(u"Invalid monitor bounds");
    Monitor m;
    m.Bounds = c.Bounds;
    m.Work = c.WorkArea.IsEmpty() ? TRect(c.Bounds.Left, c.Bounds.Top, c.Bounds.Right, std::max(c.Bounds.Top, c.Bounds.Bottom - 40))
                                  : c.WorkArea;
    m.Primary = c.Primary;
    list.push_back(m);
  }
  if (list.empty()) throw EArgumentException(u"A screen needs a monitor");
  SetMonitors(list);
}

void ResetScreenConfiguration() { SetScreenSize(1920, 1080); }

void SetDesktopColor(COLORREF color) {
  std::lock_guard<std::mutex> lk(S().Lock);
  gDesktopColor = color;
}

COLORREF GetDesktopColor() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return gDesktopColor == 0xFFFFFFFF ? GetSysColor(COLOR_DESKTOP) : gDesktopColor;
}

TScreenImage CaptureScreen() {
  TGdiSurfacePtr s;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    SyncScreenDCsLocked();
    s = ComposeLocked();
  }
  return FromSurface(s, s->BoundsRect(), false);
}

TScreenImage CaptureWindow(HWND h, bool clientOnly) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return {};
  Window* top = TopOf(w);
  TPoint o = OffsetInTop(w);
  TRect r = clientOnly ? Bounds(o.X + w->Client.Left, o.Y + w->Client.Top, w->Client.Width(), w->Client.Height())
                       : Bounds(o.X, o.Y, w->Rect.Width(), w->Rect.Height());
  if ((top->ExStyle & WS_EX_LAYERED) && top->Layer == Window::LayerMode::Update && top->LayerImage) {
    // What the window shows is the picture it was given, with its alpha.
    TScreenImage img = FromSurface(top->LayerImage, r, false);
    bool perPixel = (top->LayerFlags & ULW_ALPHA) && top->LayerPerPixel;
    for (uint32_t& p : img.Pixels) {
      uint32_t a = p >> 24;
      if (!perPixel) p |= 0xFF000000u;
      else if (a == 0) p = 0;
      else if (a < 255) {
        // Straight alpha, as image files keep it.
        uint32_t out = a << 24;
        for (int c = 0; c < 24; c += 8) out |= std::min<uint32_t>(255, (((p >> c) & 0xFF) * 255 + a / 2) / a) << c;
        p = out;
      }
    }
    return img;
  }
  return FromSurface(SurfaceOf(top), r, true);
}

void SavePng(const TScreenImage& image, const std::string& fileName) {
  if (image.Width <= 0 || image.Height <= 0) throw EInOutError(u"Nothing to save: " + FromUtf8(fileName));
  FILE* f = std::fopen(fileName.c_str(), "wb");
  if (!f) throw EInOutError(u"Cannot create file \"" + FromUtf8(fileName) + u"\"");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(size_t(image.Width) * 4);
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    throw EInOutError(u"Cannot write PNG file \"" + FromUtf8(fileName) + u"\"");
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(image.Width), png_uint_32(image.Height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      uint32_t p = image.Pixel(x, y);
      row[size_t(x) * 4 + 0] = png_byte(p >> 16);
      row[size_t(x) * 4 + 1] = png_byte(p >> 8);
      row[size_t(x) * 4 + 2] = png_byte(p);
      row[size_t(x) * 4 + 3] = png_byte(p >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) throw EInOutError(u"Cannot write PNG file \"" + FromUtf8(fileName) + u"\"");
}

void ClearScreenOverlay() {
  std::lock_guard<std::mutex> lk(S().Lock);
  ClearScreenOverlayLocked();
}

void SaveScreenSnapshot(const std::string& fileName) { SavePng(CaptureScreen(), fileName); }

void SaveWindowSnapshot(HWND h, const std::string& fileName, bool clientOnly) {
  SavePng(CaptureWindow(h, clientOnly), fileName);
}

std::vector<std::string> DumpTopLevelWindows(const std::string& tag) {
  std::vector<std::string> out;
  const char* dir = std::getenv("QN_SNAPSHOT_DIR");
  if (!dir || !*dir) return out;
  std::filesystem::create_directories(dir);
  std::vector<HWND> tops;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    for (Window* t : S().TopLevels)
      if ((t->Style & WS_VISIBLE) && !t->Rect.IsEmpty()) tops.push_back(t->Handle);
  }
  int n = 0;
  for (HWND h : tops) {
    std::string cls = ToUtf8(GetClassName(h));
    for (char& c : cls)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    std::string path = (std::filesystem::path(dir) / (tag + "-" + std::to_string(++n) + "-" + cls + ".png")).string();
    SaveWindowSnapshot(h, path);
    out.push_back(path);
  }
  return out;
}

void SetVirtualClock(bool on) {
  // A person's display runs on the real clock.
  if (on && CurrentDisplay() == TDisplayKind::X11) return;
  SetClockVirtual(on);
}
bool IsVirtualClock() { return ClockVirtual(); }
void AdvanceClock(DWORD ms) { server::AdvanceClock(ms); }

void SetSystemMetric(int index, int value) { SetMetricOverride(index, value); }
void SetSystemParameter(UINT spiGet, UINT value) { SetParameterOverride(spiGet, value); }
void ResetSystemSettings() { server::ResetSystemSettings(); }
void SetSystemLocale(LCID lcid) { SetLocale(lcid); }
void SetLocaleInfo(LCTYPE type, const String& value) { SetLocaleOverride(type, value); }
void SetImeResultError(LONG code) { server::SetImeResultError(code); }

}  // namespace vcl
