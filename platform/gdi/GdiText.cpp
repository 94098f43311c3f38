// Text output and text metrics over the glyph provider.
#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/gdi/GdiTextInternal.h"

namespace vcl {

using namespace gdi;

namespace gdi {

namespace {

// Direction of the baseline (u) and of "down" across it (v) on the surface,
// for an escapement in tenths of a degree counter-clockwise.
struct TFrame {
  double C = 1, S = 0;
  explicit TFrame(int esc) {
    if (esc) {
      double t = esc * M_PI / 1800.0;
      C = std::cos(t);
      S = std::sin(t);
    }
  }
  bool Turned() const { return S != 0 || C != 1; }
  // Surface point at a along the baseline and b down from it.
  void At(double ox, double oy, double a, double b, double& x, double& y) const {
    x = ox + a * C + b * S;
    y = oy - a * S + b * C;
  }
};

int RoundHalfUp(double v) { return int(std::floor(v + 0.5)); }

// Blends the text colour over row[x..end) by the coverage cov[x..end), four
// pixels at a time, and answers where it stopped. Each channel becomes
// d + sign(t - d) * round(|t - d| * a / 255) (halves cannot occur), which is
// the one-pixel rule below for every a, 0 and 255 included; the alpha byte
// is cleared wherever the coverage is not 0, as there.
int BlendCoverageRow(uint32_t* row, const Byte* cov, int x, int end, uint32_t color) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i text = _mm_unpacklo_epi8(_mm_set1_epi32(int(color & 0x00FFFFFFu)), zero);
  const __m128i half = _mm_set1_epi16(127), one = _mm_set1_epi16(1);
  const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
  auto blend2 = [&](__m128i d, __m128i a) {
    // d: two pixels as 16-bit channels; a: each pixel's coverage in its four.
    const __m128i diff = _mm_sub_epi16(_mm_max_epi16(text, d), _mm_min_epi16(text, d));
    const __m128i down = _mm_cmpgt_epi16(d, text);
    __m128i v = _mm_add_epi16(_mm_mullo_epi16(diff, a), half);
    v = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, one), _mm_srli_epi16(v, 8)), 8);
    return _mm_add_epi16(d, _mm_sub_epi16(_mm_xor_si128(v, down), down));
  };
  for (; x + 4 <= end; x += 4) {
    uint32_t c4;
    std::memcpy(&c4, cov + x, 4);
    if (c4 == 0) continue;
    const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    // Each coverage byte spread over its pixel's four channels.
    __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(c4)), zero);
    a = _mm_unpacklo_epi16(a, a);
    const __m128i alo = _mm_unpacklo_epi32(a, a), ahi = _mm_unpackhi_epi32(a, a);
    const __m128i lo = blend2(_mm_unpacklo_epi8(dst, zero), alo);
    const __m128i hi = blend2(_mm_unpackhi_epi8(dst, zero), ahi);
    const __m128i mixed = _mm_and_si128(_mm_packus_epi16(lo, hi), rgb);
    // Pixels without coverage stay as they were, alpha included.
    const __m128i uncovered =
        _mm_cmpeq_epi32(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(c4)), zero), zero), zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x),
                     _mm_or_si128(_mm_and_si128(uncovered, dst), _mm_andnot_si128(uncovered, mixed)));
  }
#endif
  return x;
}

// The band a0..a1 along the baseline, b0..b1 across it, as a region.
TRegion Band(const TFrame& f, int ox, int oy, int a0, int a1, int b0, int b1) {
  if (!f.Turned()) return TRegion(TRect(ox + a0, oy + b0, ox + a1, oy + b1));
  TPoint pts[4];
  double x, y;
  int i = 0;
  for (auto [a, b] : {std::pair{a0, b0}, {a1, b0}, {a1, b1}, {a0, b1}}) {
    f.At(ox, oy, a, b, x, y);
    pts[i++] = TPoint(RoundHalfUp(x), RoundHalfUp(y));
  }
  TSpanList spans;
  int count = 4;
  PolygonSpans(pts, &count, 1, WINDING, spans);
  return spans.Region();
}

void FillBand(TDCObj& dc, TGdiSurface& s, const TRegion& band, const TRegion& clip, COLORREF c) {
  TRegion r = band;
  r.Intersect(clip);
  if (!r.Empty()) PaintRegionRop2(dc, s, r, SolidPaint(dc, c), R2_COPYPEN);
}

void BlendGlyph(TGdiSurface& s, const TGlyphImage& img, int gx, int gy, const TRegion& clip, uint32_t color) {
  if (img.Width <= 0 || img.Height <= 0) return;
  const TRect glyph(gx, gy, gx + img.Width, gy + img.Height);
  uint32_t mono = MonoPixel(s, color);
  int tr = (color >> 16) & 0xFF, tg = (color >> 8) & 0xFF, tb = color & 0xFF;
  auto paint = [&](const TRect& b) {
    for (int y = b.Top; y < b.Bottom; ++y) {
      uint32_t* row = s.Scanline(y);
      const Byte* cov = img.Coverage.data() + size_t(y - gy) * size_t(img.Width) - gx;
      int x = b.Left;
      if (!s.Monochrome) x = BlendCoverageRow(row, cov, x, b.Right, color);
      for (; x < b.Right; ++x) {
        unsigned a = cov[x];
        if (!a) continue;
        if (s.Monochrome) {
          if (a >= 128) row[x] = mono;
          continue;
        }
        if (a == 255) {
          row[x] = color & 0x00FFFFFFu;
          continue;
        }
        uint32_t d = row[x];
        int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
        auto mix = [a](int dv, int tv) { return uint32_t(dv + ((tv - dv) * int(a) + (tv >= dv ? 127 : -127)) / 255); };
        row[x] = (mix(dr, tr) << 16) | (mix(dg, tg) << 8) | mix(db, tb);
      }
    }
  };
  // A clip of one rectangle, the usual case, is met without a region per
  // glyph.
  if (clip.Count() == 1) {
    const TRect c = clip.Box();
    const TRect b(std::max(glyph.Left, c.Left), std::max(glyph.Top, c.Top), std::min(glyph.Right, c.Right),
                  std::min(glyph.Bottom, c.Bottom));
    if (b.Left < b.Right && b.Top < b.Bottom) paint(b);
    return;
  }
  TRegion r(glyph);
  r.Intersect(clip);
  if (r.Empty()) return;
  for (const TRect& b : r.Rects()) paint(b);
}

}  // namespace

void RunAdvances(TDCObj& dc, TFontInstance& font, TTextRun& run) {
  run.Advances.resize(run.Chars.size());
  for (size_t i = 0; i < run.Chars.size(); ++i)
    run.Advances[i] = font.Advance(run.Chars[i]) + dc.State.TextCharExtra;
}

void PaintTextRun(TDCObj& dc, TGdiSurface& s, TFontInstance& font, int ox, int oy, const TTextRun& run,
                  const TRegion& clip) {
  const TFontFaceMetrics& m = font.Metrics();
  TFrame f(font.Escapement());
  int total = run.Total();
  if (dc.State.BkMode == OPAQUE && total > 0 && !run.NoGlyphs)
    FillBand(dc, s, Band(f, ox, oy, 0, total, -m.Ascent, m.Descent), clip, dc.State.BkColor);
  uint32_t color = ColorRefToPixel(dc.State.TextColor);
  if (!run.NoGlyphs) {
    int pen = 0;
    for (size_t i = 0; i < run.Chars.size(); ++i) {
      const TGlyphImage& img = font.Image(run.Chars[i]);
      double x, y;
      f.At(ox, oy, pen, 0, x, y);
      int px = RoundHalfUp(x), py = RoundHalfUp(y);
      BlendGlyph(s, img, px + img.Left, py + img.Top, clip, color);
      pen += run.Advances[i];
    }
  }
  auto line = [&](int a0, int a1, int off, int size) {
    if (a1 > a0) FillBand(dc, s, Band(f, ox, oy, a0, a1, off, off + size), clip, dc.State.TextColor);
  };
  if (m.Underline && !run.NoGlyphs) line(0, total, m.UnderlineOffset, m.UnderlineSize);
  if (m.StrikeOut && !run.NoGlyphs) line(0, total, m.StrikeOffset, m.StrikeSize);
  for (auto [a0, a1] : run.Underlines) line(a0, a1, m.UnderlineOffset, m.UnderlineSize);
}

}  // namespace gdi

namespace {

WCHAR WChar(char32_t c) { return c > 0xFFFF ? WCHAR(0xFFFD) : WCHAR(c); }

}  // namespace

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const WCHAR* faceName) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic != 0);
  lf.lfUnderline = BYTE(underline != 0);
  lf.lfStrikeOut = BYTE(strikeOut != 0);
  lf.lfCharSet = BYTE(charSet);
  lf.lfOutPrecision = BYTE(outPrecision);
  lf.lfClipPrecision = BYTE(clipPrecision);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitchAndFamily);
  for (int i = 0; faceName && i < LF_FACESIZE - 1 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  return CreateFontIndirectW(&lf);
}

UINT SetTextAlign(HDC dc, UINT align) {
  auto d = LookupDC(dc);
  if (!d) return GDI_ERROR;
  UINT old = d->State.TextAlign;
  d->State.TextAlign = align & TA_MASK;
  return old;
}

UINT GetTextAlign(HDC dc) {
  auto d = LookupDC(dc);
  return d ? d->State.TextAlign : GDI_ERROR;
}

int SetTextCharacterExtra(HDC dc, int extra) {
  auto d = LookupDC(dc);
  if (!d) return int(0x80000000);
  int old = d->State.TextCharExtra;
  d->State.TextCharExtra = extra;
  return old;
}

int GetTextCharacterExtra(HDC dc) {
  auto d = LookupDC(dc);
  return d ? d->State.TextCharExtra : int(0x80000000);
}

BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count) {
  return ExtTextOutW(dc, x, y, 0, nullptr, text, count < 0 ? 0 : UINT(count), nullptr);
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rc, const WCHAR* text, UINT count,
                 const int* dx) {
  TDrawScope scope(dc);
  if (!scope.DC) return 0;
  if (count > 0 && !text) return 0;
  TDCObj& d = *scope.DC;
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font) return 0;
  TTextRun run;
  std::vector<int> units;
  DecodeUtf16(text, int(std::min<UINT>(count, 0x7FFFFFFF)), run.Chars, &units);
  if (dx) {
    // One advance per UTF-16 unit (x and y pairs with ETO_PDY; the y steps
    // are not followed); a surrogate pair takes the sum of its two.
    run.Advances.resize(run.Chars.size());
    size_t u = 0;
    int step = (options & ETO_PDY) ? 2 : 1;
    for (size_t i = 0; i < run.Chars.size(); ++i) {
      int a = 0;
      for (int k = 0; k < units[i]; ++k, ++u) a += dx[u * size_t(step)];
      run.Advances[i] = a;
    }
  } else {
    RunAdvances(d, *font, run);
  }
  const TFontFaceMetrics& m = font->Metrics();
  int total = run.Total();
  UINT align = d.State.TextAlign;
  TPoint ref(x, y);
  if (align & TA_UPDATECP) ref = d.State.CurPos;
  if (align & TA_UPDATECP) {
    // The current position follows the text's far end along the baseline.
    double t = font->Escapement() * M_PI / 1800.0;
    int ddx = int(std::lround(total * std::cos(t))), ddy = int(std::lround(-total * std::sin(t)));
    switch (align & TA_CENTER) {
      case TA_RIGHT: d.State.CurPos = TPoint(ref.X - ddx, ref.Y - ddy); break;
      case TA_CENTER: break;
      default: d.State.CurPos = TPoint(ref.X + ddx, ref.Y + ddy); break;
    }
  }
  if (!scope.S) return 1;
  TGdiSurface& s = *scope.S;
  TPoint off = d.Offset();
  const TRegion& dcClip = d.EffectiveClip();
  TRect rcS;
  if (rc) rcS = TRect(rc->Left + off.X, rc->Top + off.Y, rc->Right + off.X, rc->Bottom + off.Y);
  if (rc && (options & ETO_OPAQUE)) {
    TRegion r(rcS);
    r.Intersect(dcClip);
    if (!r.Empty()) PaintRegionRop2(d, s, r, SolidPaint(d, d.State.BkColor), R2_COPYPEN);
  }
  TRegion clip = dcClip;
  if (rc && (options & ETO_CLIPPED)) clip.IntersectRect(rcS);
  if (run.Chars.empty() || clip.Empty()) return 1;
  // Alignment moves the baseline origin along and across the baseline.
  int along = 0;
  switch (align & TA_CENTER) {
    case TA_RIGHT: along = -total; break;
    case TA_CENTER: along = -(total / 2); break;
    default: break;
  }
  int across = 0;
  switch (align & TA_BASELINE) {
    case TA_BASELINE: across = 0; break;
    case TA_BOTTOM: across = -m.Descent; break;
    default: across = m.Ascent; break;
  }
  int ox = ref.X + off.X, oy = ref.Y + off.Y;
  if (font->Escapement()) {
    double t = font->Escapement() * M_PI / 1800.0, c = std::cos(t), sn = std::sin(t);
    ox = int(std::floor(ox + along * c + across * sn + 0.5));
    oy = int(std::floor(oy - along * sn + across * c + 0.5));
  } else {
    ox += along;
    oy += across;
  }
  PaintTextRun(d, s, *font, ox, oy, run, clip);
  return 1;
}

// ---------------------------------------------------------------------------
// Metrics

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm) {
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font || !tm) return 0;
  const TFontFaceMetrics& m = font->Metrics();
  *tm = TEXTMETRICW{};
  tm->tmAscent = m.Ascent;
  tm->tmDescent = m.Descent;
  tm->tmHeight = m.Ascent + m.Descent;
  tm->tmInternalLeading = m.InternalLeading;
  tm->tmExternalLeading = m.ExternalLeading;
  tm->tmAveCharWidth = m.AveCharWidth;
  tm->tmMaxCharWidth = m.MaxCharWidth;
  tm->tmWeight = m.Weight;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = WChar(font->FirstChar());
  tm->tmLastChar = WChar(font->LastChar());
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = m.Italic ? 255 : 0;
  tm->tmUnderlined = m.Underline ? 255 : 0;
  tm->tmStruckOut = m.StrikeOut ? 255 : 0;
  tm->tmPitchAndFamily = BYTE(m.Family | TMPF_TRUETYPE | TMPF_VECTOR | (m.FixedPitch ? 0 : TMPF_FIXED_PITCH));
  tm->tmCharSet = m.CharSet;
  return 1;
}

BOOL GetTextExtentExPointW(HDC dc, const WCHAR* text, int count, int maxExtent, int* fit, int* dx, SIZE* size) {
  auto d = LookupDC(dc);
  TFontInstancePtr font = DCFontInstance(dc);
  if (!d || !font || count < 0 || (count > 0 && !text)) return 0;
  TTextRun run;
  std::vector<int> units;
  DecodeUtf16(text, count, run.Chars, &units);
  RunAdvances(*d, *font, run);
  int ext = 0, fitted = 0, u = 0;
  bool fits = true;
  for (size_t i = 0; i < run.Chars.size(); ++i) {
    ext += run.Advances[i];
    if (fits && ext <= maxExtent) fitted += units[i];
    else fits = false;
    for (int k = 0; k < units[i]; ++k, ++u)
      if (dx) dx[u] = ext;
  }
  if (fit) *fit = fitted;
  if (size) *size = SIZE(ext, font->Metrics().Height());
  return 1;
}

BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int count, SIZE* size) {
  return GetTextExtentExPointW(dc, text, count, 0, nullptr, nullptr, size);
}

BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths) {
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font || !widths || last < first || last - first > 0x10FFFF) return 0;
  for (UINT c = first; c <= last; ++c) widths[c - first] = font->Advance(char32_t(c));
  return 1;
}

BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, ABC* abc) {
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font || !abc || last < first || last - first > 0x10FFFF) return 0;
  for (UINT c = first; c <= last; ++c) {
    int adv = font->Advance(char32_t(c));
    TGlyphOutline o;
    ABC& r = abc[c - first];
    r = ABC{};
    if (font->Outline(char32_t(c), false, true, TOutlineMatrix{}, o) && !o.Contours.empty()) {
      r.abcA = o.BoxLeft;
      r.abcB = UINT(std::max(0, o.BoxRight - o.BoxLeft));
    }
    r.abcC = adv - r.abcA - int(r.abcB);
  }
  return 1;
}

int GetTextFaceW(HDC dc, int count, WCHAR* buffer) {
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font) return 0;
  const String& name = font->Metrics().FamilyName;
  if (!buffer) return int(name.size()) + 1;
  if (count <= 0) return 0;
  int n = std::min<int>(count - 1, int(name.size()));
  std::copy_n(name.data(), n, buffer);
  buffer[n] = 0;
  return n + 1;
}

UINT GetTextCharset(HDC dc) {
  TFontInstancePtr font = DCFontInstance(dc);
  return font ? font->Metrics().CharSet : DEFAULT_CHARSET;
}

UINT GetOutlineTextMetricsW(HDC dc, UINT size, OUTLINETEXTMETRICW* otm) {
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font) return 0;
  const TFontFaceMetrics& m = font->Metrics();
  const String* names[4] = {&m.FamilyName, &m.FamilyName, &m.StyleName, &m.FullName};
  UINT need = sizeof(OUTLINETEXTMETRICW);
  for (const String* n : names) need += UINT((n->size() + 1) * sizeof(WCHAR));
  if (!otm) return need;
  if (size < need) return 0;
  OUTLINETEXTMETRICW r;
  r.otmSize = need;
  GetTextMetricsW(dc, &r.otmTextMetrics);
  r.otmPanoseNumber.bFamilyType = 2;
  r.otmfsSelection = (m.Italic ? 1u : 0u) | (m.Underline ? 2u : 0u) | (m.StrikeOut ? 16u : 0u) |
                     (m.Weight >= FW_SEMIBOLD ? 32u : 0u);
  r.otmsCharSlopeRise = 1;
  r.otmsCharSlopeRun = 0;
  if (m.ItalicAngle) {
    r.otmsCharSlopeRise = 1000;
    r.otmsCharSlopeRun = int(std::lround(-1000 * std::tan(m.ItalicAngle * M_PI / 1800.0)));
  }
  r.otmItalicAngle = m.ItalicAngle;
  r.otmEMSquare = UINT(m.UnitsPerEm);
  r.otmAscent = m.MacAscent;
  r.otmDescent = m.MacDescent;
  r.otmLineGap = UINT(std::max(0, m.MacLineGap));
  r.otmsCapEmHeight = UINT(std::max(0, m.CapHeight));
  r.otmsXHeight = UINT(std::max(0, m.XHeight));
  r.otmrcFontBox = TRect(m.FontBox.Left, m.FontBox.Bottom, m.FontBox.Right, m.FontBox.Top);
  r.otmMacAscent = m.MacAscent;
  r.otmMacDescent = m.MacDescent;
  r.otmMacLineGap = UINT(std::max(0, m.MacLineGap));
  r.otmusMinimumPPEM = 9;
  int sub = std::max(1, m.EmHeight * 2 / 3);
  r.otmptSubscriptSize = TPoint(sub, sub);
  r.otmptSubscriptOffset = TPoint(0, m.EmHeight / 7);
  r.otmptSuperscriptSize = TPoint(sub, sub);
  r.otmptSuperscriptOffset = TPoint(0, m.EmHeight * 12 / 25);
  r.otmsStrikeoutSize = UINT(m.StrikeSize);
  r.otmsStrikeoutPosition = -m.StrikeOffset;
  r.otmsUnderscoreSize = m.UnderlineSize;
  r.otmsUnderscorePosition = -m.UnderlineOffset;
  auto* base = reinterpret_cast<char*>(otm);
  size_t at = sizeof(OUTLINETEXTMETRICW);
  char** slots[4] = {&r.otmpFamilyName, &r.otmpFaceName, &r.otmpStyleName, &r.otmpFullName};
  for (int i = 0; i < 4; ++i) {
    *slots[i] = reinterpret_cast<char*>(at);
    size_t bytes = (names[i]->size() + 1) * sizeof(WCHAR);
    std::memcpy(base + at, names[i]->c_str(), bytes);
    at += bytes;
  }
  std::memcpy(static_cast<void*>(otm), &r, sizeof(r));
  return need;
}

}  // namespace vcl
