#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnComm_Install.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "platform/gdi/Gdi.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/GraphicsColor.h"
#include "platform/vcl/Registry.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

void TColor2RGB(TColor Color, Byte& R, Byte& G, Byte& B) {
  const Cardinal c = static_cast<Cardinal>(Color);
  R = static_cast<Byte>(c & 0xFF);
  G = static_cast<Byte>((c >> 8) & 0xFF);
  B = static_cast<Byte>((c >> 16) & 0xFF);
}

void FillGradient(TCanvas* Canvas, TColor Color1, TColor Color2, const TRect& Rect, bool Horizontal) {
  if (!Canvas || Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top) return;
  Byte r1, g1, b1, r2, g2, b2;
  TColor2RGB(ColorToRGB(Color1), r1, g1, b1);
  TColor2RGB(ColorToRGB(Color2), r2, g2, b2);
  const Integer n = Horizontal ? Rect.Right - Rect.Left : Rect.Bottom - Rect.Top;
  auto step = [n](Byte a, Byte b, Integer i) {
    if (n <= 1) return static_cast<Integer>(a);
    return static_cast<Integer>(std::lround(a + (static_cast<double>(b) - a) * i / (n - 1)));
  };
  TBrush* brush = Canvas->Brush();
  const TColor savedColor = brush->Color();
  const TBrushStyle savedStyle = brush->Style();
  brush->SetStyle(TBrushStyle::bsSolid);
  auto colorAt = [&](Integer i) {
    return static_cast<TColor>(step(r1, r2, i) | (step(g1, g2, i) << 8) | (step(b1, b2, i) << 16));
  };
  // Neighbouring lines of one colour go out as one solid rectangle: the
  // same pixels at a fraction of the calls on a gentle gradient.
  for (Integer i = 0; i < n;) {
    const TColor c = colorAt(i);
    Integer j = i + 1;
    while (j < n && colorAt(j) == c) ++j;
    brush->SetColor(c);
    if (Horizontal)
      Canvas->FillRect(TRect(Rect.Left + i, Rect.Top, Rect.Left + j, Rect.Bottom));
    else
      Canvas->FillRect(TRect(Rect.Left, Rect.Top + i, Rect.Right, Rect.Top + j));
    i = j;
  }
  brush->SetColor(savedColor);
  brush->SetStyle(savedStyle);
}

void FillGradient(TBitmap32* Buffer, TColor Color1, TColor Color2, const TRect& Rect, bool Horizontal) {
  if (!Buffer || Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top) return;
  HDC dc = Buffer->Canvas()->Handle();
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  const int clipped = GetClipRgn(dc, clip);
  DeleteObject(clip);
  POINT view{}, window{};
  GetViewportOrgEx(dc, &view);
  GetWindowOrgEx(dc, &window);
  if (clipped != 0 || GetMapMode(dc) != MM_TEXT || view.X || view.Y || window.X || window.Y) {
    FillGradient(Buffer->Canvas(), Color1, Color2, Rect, Horizontal);
    return;
  }
  Byte r1, g1, b1, r2, g2, b2;
  TColor2RGB(ColorToRGB(Color1), r1, g1, b1);
  TColor2RGB(ColorToRGB(Color2), r2, g2, b2);
  const Integer n = Horizontal ? Rect.Right - Rect.Left : Rect.Bottom - Rect.Top;
  auto step = [n](Byte a, Byte b, Integer i) {
    if (n <= 1) return static_cast<TColor32>(a);
    return static_cast<TColor32>(std::lround(a + (static_cast<double>(b) - a) * i / (n - 1)));
  };
  const TRect box(std::max(Rect.Left, 0), std::max(Rect.Top, 0), std::min(Rect.Right, Buffer->Width()),
                  std::min(Rect.Bottom, Buffer->Height()));
  if (box.Right <= box.Left || box.Bottom <= box.Top) return;
  // The colour of every visible line, indexed from the first one.
  const Integer first = Horizontal ? box.Left - Rect.Left : box.Top - Rect.Top;
  std::vector<TColor32> line(static_cast<size_t>(Horizontal ? box.Right - box.Left : box.Bottom - box.Top));
  for (size_t k = 0; k < line.size(); ++k) {
    const Integer i = first + static_cast<Integer>(k);
    line[k] = (step(r1, r2, i) << 16) | (step(g1, g2, i) << 8) | step(b1, b2, i);
  }
  for (Integer y = box.Top; y < box.Bottom; ++y) {
    PColor32Array row = Buffer->ScanLine(y) + box.Left;
    if (Horizontal)
      std::memcpy(row, line.data(), line.size() * sizeof(TColor32));
    else
      std::fill(row, row + (box.Right - box.Left), line[static_cast<size_t>(y - box.Top)]);
  }
  Buffer->Changed();
}

void ColorBlend(TBitmap32* Buffer, const TRect& Rect, TColor Color, Integer Alpha) {
  if (!Buffer) return;
  const TRect box(std::max(Rect.Left, 0), std::max(Rect.Top, 0), std::min(Rect.Right, Buffer->Width()),
                  std::min(Rect.Bottom, Buffer->Height()));
  if (box.Right <= box.Left || box.Bottom <= box.Top) return;
  const Cardinal a = static_cast<Cardinal>(std::clamp(Alpha, 0, 255));
  Byte r, g, b;
  TColor2RGB(ColorToRGB(Color), r, g, b);
  auto mix = [a](Cardinal c, Cardinal d) { return (c * a + d * (255 - a) + 127) / 255; };
#if defined(__SSE2__)
  // Four pixels at a time in 16-bit lanes: c * a + d * (255 - a) + 127 stays
  // below 65153, where (x + 1 + (x >> 8)) >> 8 is x / 255 exactly. The alpha
  // lane takes d * 255 + 127, which gives d back.
  const __m128i mul = _mm_set_epi16(255, short(255 - a), short(255 - a), short(255 - a), 255, short(255 - a),
                                    short(255 - a), short(255 - a));
  const __m128i add = _mm_set_epi16(127, short(r * a + 127), short(g * a + 127), short(b * a + 127), 127,
                                    short(r * a + 127), short(g * a + 127), short(b * a + 127));
  const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi16(1);
  auto blend8 = [&](__m128i d) {
    const __m128i x = _mm_add_epi16(_mm_mullo_epi16(d, mul), add);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
  };
#endif
  for (Integer y = box.Top; y < box.Bottom; ++y) {
    TColor32* row = Buffer->ScanLine(y);
    Integer x = box.Left;
#if defined(__SSE2__)
    for (; x + 4 <= box.Right; x += 4) {
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
      const __m128i lo = blend8(_mm_unpacklo_epi8(d, zero)), hi = blend8(_mm_unpackhi_epi8(d, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < box.Right; ++x) {
      const TColor32 d = row[x];
      row[x] = (d & 0xFF000000u) | (mix(r, (d >> 16) & 0xFF) << 16) | (mix(g, (d >> 8) & 0xFF) << 8) |
               mix(b, d & 0xFF);
    }
  }
  Buffer->Changed();
}

void ColorBlend(HDC DC, const TRect& Rect, TColor Color, Integer Alpha) {
  const Integer w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
  if (!DC || w <= 0 || h <= 0) return;
  // The pixels go out to a bitmap of our own and back, so the arithmetic is
  // ours and exact.
  TBitmap32 tmp;
  tmp.SetSize(w, h);
  HDC mem = tmp.GetHDC();
  BitBlt(mem, 0, 0, w, h, DC, Rect.Left, Rect.Top, SRCCOPY);
  ColorBlend(&tmp, tmp.BoundsRect(), Color, Alpha);
  BitBlt(DC, Rect.Left, Rect.Top, w, h, mem, 0, 0, SRCCOPY);
}

namespace {
RECT CalcRect(HDC DC, const WideString& S) {
  RECT r(0, 0, 0, 0);
  if (DC) DrawTextW(DC, S.c_str(), static_cast<int>(S.size()), &r, DT_CALCRECT);
  return r;
}
}  // namespace

Integer CalcTextWidthW(HDC DC, const WideString& S) {
  const RECT r = CalcRect(DC, S);
  return r.Right - r.Left;
}

Integer CalcTextHeightW(HDC DC, const WideString& S) {
  const RECT r = CalcRect(DC, S);
  return r.Bottom - r.Top;
}

void IncRect(TRect& Rect, Integer DX, Integer DY) {
  Rect.Left += DX;
  Rect.Right += DX;
  Rect.Top += DY;
  Rect.Bottom += DY;
}

TRect GetMonitorWorkArea(HWND Wnd, bool WorkArea) {
  HMONITOR m = Wnd ? MonitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST)
                   : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info;
  if (m && GetMonitorInfoW(m, &info)) {
    const RECT& r = WorkArea ? info.rcWork : info.rcMonitor;
    return TRect(r.Left, r.Top, r.Right, r.Bottom);
  }
  RECT r;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return TRect(r.Left, r.Top, r.Right, r.Bottom);
}

bool AppIsHighDPIMode() { return false; }
Integer GetDPIScaledPixels(TControl*, Integer Value) { return Value; }
TPoint GetDPIScaledPoint(TControl*, const TPoint& Value) { return Value; }
void SetDPIScaledFont(TControl*, TFont*) {}
void SetDPIScaledFont(TControl*, TFont*, Integer) {}

String GetDPIScaleTextFromResID(const String& ResID) {
  const size_t p = ResID.find(u"@DPI");
  if (p == String::npos) return String();
  return ResID.substr(p, std::min<size_t>(7, ResID.size() - p));
}

TQnResDPIScale GetDPIScaleFromResID(const String& ResID) {
  return TextToQnResDPIScale(GetDPIScaleTextFromResID(ResID));
}

String IncludeDPIScaleText(const String& ResID, TQnResDPIScale Scale) {
  String id = ResID;
  const size_t p = id.find(u"@DPI");
  if (p != String::npos) id.erase(p, std::min<size_t>(7, id.size() - p));
  return id + QnResDPIScaleToText(Scale);
}

String QnResDPIScaleToText(TQnResDPIScale Scale) {
  switch (Scale) {
    case ds150: return u"@DPI150";
    case ds200: return u"@DPI200";
    case ds300: return u"@DPI300";
    default: return String();
  }
}

TQnResDPIScale TextToQnResDPIScale(const String& Text) {
  if (Text == u"@DPI150") return ds150;
  if (Text == u"@DPI200") return ds200;
  if (Text == u"@DPI300") return ds300;
  return ds100;
}

void DrawEffectText(TCanvas* Canvas, const TRect& Rect, const String& Text, Cardinal Format, Integer Value,
                    TColor Color, Integer Strength, bool Flag) {
  if (!Canvas || Trim(Text).empty() || Rect.Right <= Rect.Left || Rect.Bottom <= Rect.Top) return;
  const Integer m = std::max(0, Strength);
  const Integer w = Rect.Right - Rect.Left + 2 * m, h = Rect.Bottom - Rect.Top + 2 * m;

  // Coverage: the text in white on black, in the canvas's font, anti-aliased.
  TBitmap32 cover;
  cover.SetSize(w, h);
  cover.Clear(0xFF000000u);
  HDC dc = cover.GetHDC();
  HGDIOBJ oldFont = SelectObject(dc, Canvas->Font()->Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, 0x00FFFFFF);
  RECT r(m, m, m + Rect.Right - Rect.Left, m + Rect.Bottom - Rect.Top);
  DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, Format & ~static_cast<Cardinal>(DT_CALCRECT));
  SelectObject(dc, oldFont);
  std::vector<Integer> mask(static_cast<size_t>(w) * h), tmp(mask.size());
  for (Integer i = 0; i < w * h; ++i) {
    const TColor32 c = cover.Bits()[i];
    mask[i] = std::max({(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF});
  }

  // Each round spreads the glow by one pixel with a 1-2-1 kernel (rows, then
  // columns), which after a few rounds approaches a gaussian: the halo fades
  // smoothly instead of ending in a hard edge. The values carry 8 extra bits
  // so the faint outer ring is not rounded away.
  for (Integer i = 0; i < w * h; ++i) mask[i] <<= 8;
  for (Integer round = 0; round < Strength; ++round) {
    for (Integer y = 0; y < h; ++y) {
      const Integer* row = &mask[static_cast<size_t>(y) * w];
      Integer* out = &tmp[static_cast<size_t>(y) * w];
      for (Integer x = 0; x < w; ++x)
        out[x] = (2 * row[x] + (x > 0 ? row[x - 1] : 0) + (x + 1 < w ? row[x + 1] : 0) + 2) >> 2;
    }
    for (Integer y = 0; y < h; ++y) {
      const Integer* up = y > 0 ? &tmp[static_cast<size_t>(y - 1) * w] : nullptr;
      const Integer* mid = &tmp[static_cast<size_t>(y) * w];
      const Integer* down = y + 1 < h ? &tmp[static_cast<size_t>(y + 1) * w] : nullptr;
      Integer* out = &mask[static_cast<size_t>(y) * w];
      for (Integer x = 0; x < w; ++x) out[x] = (2 * mid[x] + (up ? up[x] : 0) + (down ? down[x] : 0) + 2) >> 2;
    }
  }
  // Strengthening: blurring thins the strokes' coverage out, so a gain that
  // grows with the strength keeps the halo dense next to the glyphs; one
  // bounded gain (not a doubling per round) keeps the outer fall-off soft.
  const Integer gain = 256 + 96 * std::min<Integer>(m, 10);  // 8.8 fixed point
  for (Integer i = 0; i < w * h; ++i) mask[i] = std::min<Integer>(255, (mask[i] * gain) >> 16);

  // The colour laid on by the mask, premultiplied as the platform's blend
  // takes it.
  Byte cr, cg, cb;
  TColor2RGB(ColorToRGB(Color), cr, cg, cb);
  TBitmap32 glow;
  glow.SetSize(w, h);
  for (Integer i = 0; i < w * h; ++i) {
    const Cardinal a = static_cast<Cardinal>(mask[i]);
    auto pm = [a](Cardinal c) { return (c * a + 127) / 255; };
    glow.Bits()[i] = (a << 24) | (pm(cr) << 16) | (pm(cg) << 8) | pm(cb);
  }
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(Canvas->Handle(), Rect.Left - m, Rect.Top - m, w, h, glow.GetHDC(), 0, 0, w, h, bf);
}

void SpliteImg(const TQuarnImage* Image, Integer Count, TDynQuarnImage& Frames) {
  FreeDynImg(Frames);
  if (!Image || Image->Empty() || Count <= 0) return;
  const Integer fw = Image->Width() / Count, h = Image->Height();
  if (fw <= 0) return;
  for (Integer k = 0; k < Count; ++k) {
    auto* f = new TQuarnImage();
    f->SetSize(fw, h);
    for (Integer y = 0; y < h; ++y)
      std::memcpy(f->ScanLine(y), Image->ScanLine(y) + k * fw, static_cast<size_t>(fw) * sizeof(TColor32));
    Frames.push_back(f);
  }
}

TQuarnImage* SpliteImgCenterPart(const TQuarnImage* Image, Integer Height, Integer Width) {
  if (!Image) return nullptr;
  auto* r = new TQuarnImage();
  if (Height <= 0 || Width <= 0 || Height > Image->Height() || Width > Image->Width()) {
    r->Assign(const_cast<TQuarnImage*>(Image));
    r->SetDrawMode(TDrawMode::dmBlend);
    return r;
  }
  r->SetSize(Width, Height);
  const Integer top = (Image->Height() - Height) / 2;
  for (Integer y = 0; y < Height; ++y)
    std::memcpy(r->ScanLine(y), Image->ScanLine(top + y), static_cast<size_t>(Width) * sizeof(TColor32));
  return r;
}

namespace {
TQuarnImage* Resized(const TQuarnImage* Image, Integer Width, Integer Height, const TRect& Caps) {
  if (!Image) return nullptr;
  auto* r = new TQuarnImage();
  if (Width <= 0 || Height <= 0 || Image->Empty()) return r;
  r->SetSize(Width, Height);
  auto* src = const_cast<TQuarnImage*>(Image);
  if (TBitmap32* done = detail::CachedNineSlice(src, src->BoundsRect(), Caps, Width, Height)) {
    std::memcpy(r->Bits(), done->Bits(), static_cast<size_t>(Width) * Height * sizeof(TColor32));
  } else {
    NineSliceTransfer(src, src->BoundsRect(), Caps, r, r->BoundsRect(), true);
  }
  return r;
}
}  // namespace

TQuarnImage* ResizeImg(const TQuarnImage* Image, Integer Width, Integer Height) {
  if (!Image) return nullptr;
  return Resized(Image, Width, Height, ThirdCaps(Image->Width(), Image->Height()));
}

TQuarnImage* ResizeHorzImg(const TQuarnImage* Image, Integer Width, Integer SideWidth) {
  if (!Image) return nullptr;
  TRect caps = ThirdCaps(Image->Width(), Image->Height());
  if (SideWidth > 0) {
    caps.Left = std::min(SideWidth, Image->Width());
    caps.Right = std::min(SideWidth, Image->Width() - caps.Left);
  }
  // Only the width changes: the rows map 1:1.
  caps.Top = Image->Height();
  caps.Bottom = 0;
  return Resized(Image, Width, Image->Height(), caps);
}

TQuarnImage* ResizeVertImg(const TQuarnImage* Image, Integer Height) {
  if (!Image) return nullptr;
  TRect caps = ThirdCaps(Image->Width(), Image->Height());
  caps.Left = Image->Width();
  caps.Right = 0;
  return Resized(Image, Image->Width(), Height, caps);
}

namespace {

struct TWindowBackground {
  const void* Owner;
  TWindowBackgroundFn Fn;
};

std::unordered_map<const TWinControl*, TWindowBackground>& WindowBackgrounds() {
  static auto* map = new std::unordered_map<const TWinControl*, TWindowBackground>();
  return *map;
}

// Rect of Pic into Buffer at (0, 0), what Pic does not cover in Fill;
// Opaque sets every copied pixel's alpha to 255.
void CopyPicture(TBitmap32* Pic, TBitmap32* Buffer, const TRect& Rect, TColor32 Fill, bool Opaque) {
  const TRect src(std::max(Rect.Left, 0), std::max(Rect.Top, 0), std::min(Rect.Right, Pic->Width()),
                  std::min(Rect.Bottom, Pic->Height()));
  const TRect dst(src.Left - Rect.Left, src.Top - Rect.Top, src.Right - Rect.Left, src.Bottom - Rect.Top);
  if (dst.Left > 0 || dst.Top > 0 || dst.Right < Buffer->Width() || dst.Bottom < Buffer->Height() ||
      src.Right <= src.Left || src.Bottom <= src.Top)
    Buffer->Clear(Fill);
  const TRect clip(std::max(dst.Left, 0), std::max(dst.Top, 0), std::min(dst.Right, Buffer->Width()),
                   std::min(dst.Bottom, Buffer->Height()));
  const Integer n = std::max(0, clip.Right - clip.Left);
  for (Integer y = clip.Top; y < clip.Bottom; ++y) {
    const TColor32* from = Pic->ScanLine(y + Rect.Top) + clip.Left + Rect.Left;
    TColor32* to = Buffer->ScanLine(y) + clip.Left;
#if defined(__SSE2__)
    // A picture as wide as a form puts each row on pages of its own, where
    // the processor's prefetch does not follow: the next row is asked for
    // while this one is copied.
    if (y + 1 < clip.Bottom) {
      const char* next = reinterpret_cast<const char*>(Pic->ScanLine(y + 1 + Rect.Top) + clip.Left + Rect.Left);
      for (Integer b = 0; b < n * Integer(sizeof(TColor32)); b += 64) _mm_prefetch(next + b, _MM_HINT_T0);
    }
#endif
    if (Opaque) {
      for (Integer x = 0; x < n; ++x) to[x] = from[x] | 0xFF000000u;
    } else {
      std::memcpy(to, from, static_cast<size_t>(n) * sizeof(TColor32));
    }
  }
  Buffer->Changed();
}

void ParentImage(TControl* Control, TBitmap32* Buffer, const TRect& Rect, bool AskProvider) {
  if (!Control || !Buffer || Buffer->Empty()) return;
  TWinControl* parent = Control->Parent();
  const TColor32 fill = Color32(ColorToRGB(parent ? parent->Color() : Control->Color()));
  if (!parent) {
    Buffer->Clear(fill);
    return;
  }
  if (AskProvider) {
    if (auto* provider = dynamic_cast<IQnBackgroundProvider*>(parent)) {
      if (TBitmap32* pic = provider->GetBackgroundPicture(); pic && !pic->Empty()) {
        CopyPicture(pic, Buffer, Rect, fill, false);
        return;
      }
    }
    auto& backgrounds = WindowBackgrounds();
    if (auto it = backgrounds.find(parent); it != backgrounds.end()) {
      // What the window's erase would lay into the buffer's device context,
      // without the trip through it.
      if (TBitmap32* pic = it->second.Fn(); pic && !pic->Empty()) {
        CopyPicture(pic, Buffer, Rect, fill, true);
        return;
      }
    }
  }
  Buffer->Clear(fill);
  HDC dc = Buffer->GetHDC();
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -Rect.Left, -Rect.Top, nullptr);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
  // GDI leaves the alpha byte at 0 where it drew; the picture is opaque.
  Buffer->ResetAlpha();
  Buffer->Changed();
}

}  // namespace

void SetWindowBackground(TWinControl* Window, const void* Owner, TWindowBackgroundFn Fn) {
  if (!Window) return;
  auto& backgrounds = WindowBackgrounds();
  if (Fn) {
    backgrounds[Window] = {Owner, std::move(Fn)};
  } else if (auto it = backgrounds.find(Window); it != backgrounds.end() && it->second.Owner == Owner) {
    backgrounds.erase(it);
  }
}

void DrawParentImage(TControl* Control, TBitmap32* Buffer, const TRect& Rect) {
  ParentImage(Control, Buffer, Rect, true);
}

void GetParentImage(TControl* Control, TBitmap32* Buffer, const TRect& Rect) {
  ParentImage(Control, Buffer, Rect, !(Control && Control->ComponentState().Contains(csDesigning)));
}

String GetQuarnInstallPath() {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKeyReadOnly(u"Software\\Quarn")) return String();
  // The value name carries the design host's version, so installs for
  // several hosts live side by side.
  String path = reg.ReadString(Format(u"Path%.0f", {21.0}));
  reg.CloseKey();
  // An empty value would otherwise become the root folder "/".
  return path.empty() ? String() : IncludeTrailingPathDelimiter(path);
}

}  // namespace qn
