// Font families, fonts, string formats, and laying out and drawing strings
// with the glyph outlines of the GDI text engine.
#include <algorithm>
#include <cmath>

#include "platform/gdi/FontEngine.h"
#include "platform/gdiplus/GdiPlusInternal.h"

namespace vcl {

using namespace gdip;

Status GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family) {
  QN_GDIP_ENTER();
  // There are no private collections: only nil, the installed fonts.
  if (!name || !*name || !family || collection) return Status::InvalidParameter;
  auto f = std::make_unique<TFontFamilyObj>();
  f->Name = name;
  if (f->Name.size() >= size_t(LF_FACESIZE)) f->Name.resize(LF_FACESIZE - 1);
  *family = static_cast<GpFontFamily*>(Add(std::move(f)));
  return Status::Ok;
}

Status GdipDeleteFontFamily(GpFontFamily* family) {
  QN_GDIP_ENTER();
  return Remove(family, TKind::FontFamily) ? Status::Ok : Status::InvalidParameter;
}

namespace {
LOGFONTW FaceLog(const String& family) {
  LOGFONTW lf;
  std::copy_n(family.data(), std::min<size_t>(family.size(), LF_FACESIZE - 1), lf.lfFaceName);
  return lf;
}
}  // namespace

Status GdipGetFamilyName(const GpFontFamily* family, WCHAR name[LF_FACESIZE], LANGID language) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TFontFamilyObj>(family, TKind::FontFamily);
  if (!f || !name) return Status::InvalidParameter;
  const String resolved = ResolveFontFamily(FaceLog(f->Name));
  const size_t n = std::min<size_t>(resolved.size(), LF_FACESIZE - 1);
  std::copy_n(resolved.data(), n, name);
  name[n] = 0;
  return Status::Ok;
}

Status GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit, GpFont** font) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TFontFamilyObj>(family, TKind::FontFamily);
  const double px = UnitPixels(unit, true);
  if (!f || !font || !Finite(emSize) || emSize <= 0 || px == 0 || (style & ~15) != 0)
    return Status::InvalidParameter;
  auto o = std::make_unique<TFontObj>();
  o->Family = f->Name;
  o->Size = emSize;
  o->Unit = unit;
  o->Style = style;
  o->EmPixels = REAL(emSize * px);
  *font = static_cast<GpFont*>(Add(std::move(o)));
  return Status::Ok;
}

Status GdipDeleteFont(GpFont* font) {
  QN_GDIP_ENTER();
  return Remove(font, TKind::Font) ? Status::Ok : Status::InvalidParameter;
}

Status GdipGetFontHeightGivenDPI(const GpFont* font, REAL dpi, REAL* height) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TFontObj>(font, TKind::Font);
  if (!f || !height || !Finite(dpi) || dpi <= 0) return Status::InvalidParameter;
  *height = REAL(f->EmPixels * dpi / 96.0);
  return Status::Ok;
}

Status GdipCreateStringFormat(INT formatAttributes, LANGID language, GpStringFormat** format) {
  QN_GDIP_ENTER();
  if (!format) return Status::InvalidParameter;
  auto f = std::make_unique<TStringFormatObj>();
  f->Flags = formatAttributes;
  f->Language = language;
  *format = static_cast<GpStringFormat*>(Add(std::move(f)));
  return Status::Ok;
}

Status GdipDeleteStringFormat(GpStringFormat* format) {
  QN_GDIP_ENTER();
  return Remove(format, TKind::StringFormat) ? Status::Ok : Status::InvalidParameter;
}

Status GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TStringFormatObj>(format, TKind::StringFormat);
  if (!f || align < StringAlignmentNear || align > StringAlignmentFar) return Status::InvalidParameter;
  f->Align = align;
  return Status::Ok;
}

Status GdipGetStringFormatAlign(GpStringFormat* format, StringAlignment* align) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TStringFormatObj>(format, TKind::StringFormat);
  if (!f || !align) return Status::InvalidParameter;
  *align = f->Align;
  return Status::Ok;
}

Status GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TStringFormatObj>(format, TKind::StringFormat);
  if (!f || align < StringAlignmentNear || align > StringAlignmentFar) return Status::InvalidParameter;
  f->LineAlign = align;
  return Status::Ok;
}

Status GdipGetStringFormatLineAlign(GpStringFormat* format, StringAlignment* align) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TStringFormatObj>(format, TKind::StringFormat);
  if (!f || !align) return Status::InvalidParameter;
  *align = f->LineAlign;
  return Status::Ok;
}

Status GdipSetStringFormatFlags(GpStringFormat* format, INT flags) {
  QN_GDIP_ENTER();
  auto* f = FindAs<TStringFormatObj>(format, TKind::StringFormat);
  if (!f) return Status::InvalidParameter;
  f->Flags = flags;
  return Status::Ok;
}

// ---------------------------------------------------------------------------
// Layout

namespace {

struct TGlyph {
  char32_t Ch = 0;
  double Advance = 0;
  TGlyphOutline Outline;
  bool HasOutline = false;
};

struct TLine {
  size_t First = 0, Count = 0;  // glyph range, trailing blanks excluded from Width
  double Width = 0;
  double X = 0;                 // left of the ink run, logical coordinates
  double Baseline = 0;
};

struct TLayout {
  std::vector<TGlyph> Glyphs;
  std::vector<TLine> Lines;
  std::vector<int> Units;  // UTF-16 units per glyph
  double Ascent = 0, Descent = 0, LineHeight = 0, Em = 0, Margin = 0;
  double Left = 0, Top = 0, Right = 0, Bottom = 0;  // the text's box
  int UnitsFitted = 0;
  bool Clip = false;
  GpRectF ClipRect;
  // Decorations, as rectangles (x, y, w, h).
  std::vector<GpRectF> Rules;
};

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == 0xA0 || c == 0x3000; }

void LayoutString(const TFontObj& font, const String& text, const GpRectF& rc, const TStringFormatObj* fmt,
                  TLayout& out) {
  const double emPx = font.EmPixels;
  const int emInt = std::max(1, int(std::lround(emPx)));
  const double s = emPx / emInt;
  LOGFONTW lf = FaceLog(font.Family);
  lf.lfHeight = -emInt;
  lf.lfWeight = (font.Style & FontStyleBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.Style & FontStyleItalic) ? 1 : 0;
  lf.lfQuality = ANTIALIASED_QUALITY;
  TFontInstancePtr fi = GetGlyphProvider()->Realize(lf);
  const TFontFaceMetrics& m = fi->Metrics();
  out.Em = emPx;
  out.Ascent = m.Ascent * s;
  out.Descent = m.Descent * s;
  out.LineHeight = (m.Ascent + m.Descent + m.ExternalLeading) * s;
  out.Margin = emPx / 6;

  const INT flags = fmt ? fmt->Flags : 0;
  StringAlignment align = fmt ? fmt->Align : StringAlignmentNear;
  const StringAlignment lineAlign = fmt ? fmt->LineAlign : StringAlignmentNear;
  if (flags & StringFormatFlagsDirectionRightToLeft)
    align = align == StringAlignmentNear ? StringAlignmentFar : align == StringAlignmentFar ? StringAlignmentNear : align;

  std::vector<char32_t> cps;
  DecodeUtf16(text.data(), int(text.size()), cps, &out.Units);
  const TOutlineMatrix mat{s, 0, 0, s};
  const bool hinted = emInt == emPx;
  out.Glyphs.reserve(cps.size());
  for (char32_t c : cps) {
    TGlyph g;
    g.Ch = c;
    if (c == U'\r' || c == U'\n') {
      out.Glyphs.push_back(g);
      continue;
    }
    const char32_t drawn = c == U'\t' ? U' ' : c;
    if (fi->Outline(drawn, false, hinted, mat, g.Outline)) {
      g.HasOutline = !g.Outline.Contours.empty();
      g.Advance = g.Outline.AdvanceX;
    } else {
      g.Advance = fi->Advance(drawn) * s;
    }
    if (c == U'\t') g.Advance *= 4;
    out.Glyphs.push_back(std::move(g));
  }

  const bool wrap = !(flags & StringFormatFlagsNoWrap) && rc.Width > 0;
  const double avail = rc.Width > 0 ? std::max(0.0, rc.Width - 2 * out.Margin) : 0;
  // Break into lines: at line feeds always; at blanks, and inside words
  // wider than the line, when wrapping.
  auto finish = [&](size_t first, size_t end) {
    TLine ln;
    ln.First = first;
    ln.Count = end - first;
    size_t inkEnd = end;
    while (inkEnd > first && IsBlank(out.Glyphs[inkEnd - 1].Ch)) --inkEnd;
    for (size_t i = first; i < inkEnd; ++i) ln.Width += out.Glyphs[i].Advance;
    out.Lines.push_back(ln);
  };
  size_t lineStart = 0, i = 0;
  const size_t n = out.Glyphs.size();
  while (i <= n) {
    if (i == n) {
      finish(lineStart, n);
      break;
    }
    const char32_t c = out.Glyphs[i].Ch;
    if (c == U'\r' || c == U'\n') {
      finish(lineStart, i);
      i += (c == U'\r' && i + 1 < n && out.Glyphs[i + 1].Ch == U'\n') ? 2 : 1;
      lineStart = i;
      continue;
    }
    if (wrap && !IsBlank(c)) {
      // The width up to the end of this word.
      size_t wordEnd = i;
      double w = 0;
      for (size_t k = lineStart; k < i; ++k) w += out.Glyphs[k].Advance;
      while (wordEnd < n && !IsBlank(out.Glyphs[wordEnd].Ch) && out.Glyphs[wordEnd].Ch != U'\n' &&
             out.Glyphs[wordEnd].Ch != U'\r')
        w += out.Glyphs[wordEnd++].Advance;
      if (w > avail + 1e-6) {
        bool lineHasWord = false;
        for (size_t k = lineStart; k < i; ++k)
          if (!IsBlank(out.Glyphs[k].Ch)) lineHasWord = true;
        if (lineHasWord) {
          // The word starts the next line.
          finish(lineStart, i);
          lineStart = i;
          continue;
        }
        // A word wider than the whole line is broken between characters.
        double run = 0;
        size_t k = lineStart;
        while (k < wordEnd && (k == lineStart || run + out.Glyphs[k].Advance <= avail + 1e-6))
          run += out.Glyphs[k++].Advance;
        if (k < wordEnd) {
          finish(lineStart, k);
          lineStart = i = k;
          continue;
        }
      }
      i = wordEnd;
      continue;
    }
    ++i;
  }
  // Leading blanks of a wrapped line are swallowed by the break.
  if (wrap)
    for (size_t l = 1; l < out.Lines.size(); ++l) {
      TLine& ln = out.Lines[l];
      const size_t prevEnd = out.Lines[l - 1].First + out.Lines[l - 1].Count;
      if (ln.First != prevEnd) continue;  // after a line feed
      while (ln.Count > 0 && IsBlank(out.Glyphs[ln.First].Ch)) ++ln.First, --ln.Count;
    }

  // Lines that fit (all, unless the format limits them to whole lines).
  size_t shown = out.Lines.size();
  if ((flags & StringFormatFlagsLineLimit) && rc.Height > 0)
    shown = std::min(shown, size_t(std::max(0.0, std::floor(rc.Height / out.LineHeight + 1e-6))));
  const bool cut = shown < out.Lines.size();
  out.Lines.resize(shown);
  const size_t lastEnd = !cut ? n : shown ? out.Lines.back().First + out.Lines.back().Count : 0;
  out.UnitsFitted = 0;
  for (size_t k = 0; k < lastEnd && k < out.Units.size(); ++k) out.UnitsFitted += out.Units[k];

  const double total = out.LineHeight * double(out.Lines.size());
  double top = rc.Y;
  if (rc.Height > 0)
    top += lineAlign == StringAlignmentCenter ? (rc.Height - total) / 2 : lineAlign == StringAlignmentFar ? rc.Height - total : 0;
  else
    top -= lineAlign == StringAlignmentCenter ? total / 2 : lineAlign == StringAlignmentFar ? total : 0;
  out.Left = 1e300;
  out.Right = -1e300;
  for (size_t l = 0; l < out.Lines.size(); ++l) {
    TLine& ln = out.Lines[l];
    if (rc.Width > 0)
      ln.X = align == StringAlignmentCenter ? rc.X + (rc.Width - ln.Width) / 2
             : align == StringAlignmentFar  ? rc.X + rc.Width - out.Margin - ln.Width
                                            : rc.X + out.Margin;
    else
      ln.X = align == StringAlignmentCenter ? rc.X - ln.Width / 2
             : align == StringAlignmentFar  ? rc.X - out.Margin - ln.Width
                                            : rc.X + out.Margin;
    ln.Baseline = top + out.LineHeight * double(l) + out.Ascent;
    out.Left = std::min(out.Left, ln.X - out.Margin);
    out.Right = std::max(out.Right, ln.X + ln.Width + out.Margin);
    // Underline and strike-out run under the line's ink.
    if (font.Style & (FontStyleUnderline | FontStyleStrikeout)) {
      if (font.Style & FontStyleUnderline)
        out.Rules.push_back({REAL(ln.X), REAL(ln.Baseline + m.UnderlineOffset * s), REAL(ln.Width),
                             REAL(std::max(1.0, m.UnderlineSize * s))});
      if (font.Style & FontStyleStrikeout)
        out.Rules.push_back({REAL(ln.X), REAL(ln.Baseline + m.StrikeOffset * s), REAL(ln.Width),
                             REAL(std::max(1.0, m.StrikeSize * s))});
    }
  }
  if (out.Lines.empty()) out.Left = out.Right = rc.X;
  out.Top = top;
  out.Bottom = top + total;
  out.Clip = !(flags & StringFormatFlagsNoClip) && rc.Width > 0 && rc.Height > 0;
  out.ClipRect = rc;
}

// Glyph outlines are pixel-designed with edges on whole pixels, so each run
// starts on a pixel edge: logical x + 0.5 (where the pixel grid lies) is
// rounded to a whole number.
double Snap(double v) { return std::floor(v + 0.5 + 0.5) - 0.5; }

void BuildText(cairo_t* cr, const void* ctx) {
  const auto& lay = *static_cast<const TLayout*>(ctx);
  for (const TLine& ln : lay.Lines) {
    double x = Snap(ln.X);
    const double base = Snap(ln.Baseline);
    for (size_t i = ln.First; i < ln.First + ln.Count; ++i) {
      const TGlyph& g = lay.Glyphs[i];
      if (g.HasOutline)
        for (const TOutlineContour& c : g.Outline.Contours) {
          double cx = x + c.Start.X, cy = base - c.Start.Y;
          cairo_move_to(cr, cx, cy);
          for (const TOutlineSeg& sgm : c.Segs) {
            switch (sgm.Kind) {
              case TOutlineSegKind::Line:
                cx = x + sgm.P[0].X, cy = base - sgm.P[0].Y;
                cairo_line_to(cr, cx, cy);
                break;
              case TOutlineSegKind::Conic: {
                const double qx = x + sgm.P[0].X, qy = base - sgm.P[0].Y;
                const double ex = x + sgm.P[1].X, ey = base - sgm.P[1].Y;
                cairo_curve_to(cr, cx + 2.0 / 3 * (qx - cx), cy + 2.0 / 3 * (qy - cy), ex + 2.0 / 3 * (qx - ex),
                               ey + 2.0 / 3 * (qy - ey), ex, ey);
                cx = ex, cy = ey;
                break;
              }
              case TOutlineSegKind::Cubic:
                cairo_curve_to(cr, x + sgm.P[0].X, base - sgm.P[0].Y, x + sgm.P[1].X, base - sgm.P[1].Y,
                               x + sgm.P[2].X, base - sgm.P[2].Y);
                cx = x + sgm.P[2].X, cy = base - sgm.P[2].Y;
                break;
            }
          }
          cairo_close_path(cr);
        }
      x += g.Advance;
    }
  }
}

void BuildRules(cairo_t* cr, const void* ctx) {
  // Rules cover whole pixel rows below the snapped baseline.
  for (const GpRectF& r : *static_cast<const std::vector<GpRectF>*>(ctx))
    cairo_rectangle(cr, Snap(r.X), Snap(r.Y), std::round(r.Width), std::round(r.Height));
}

Status Prepare(const WCHAR* string, INT length, const GpFont* font, const GpRectF* layoutRect,
               const GpStringFormat* format, TFontObj*& f, TStringFormatObj*& fmt, String& text) {
  f = FindAs<TFontObj>(font, TKind::Font);
  fmt = format ? FindAs<TStringFormatObj>(format, TKind::StringFormat) : nullptr;
  if (!string || !f || !layoutRect || (format && !fmt) || length < -1) return Status::InvalidParameter;
  if (!Finite(layoutRect->X) || !Finite(layoutRect->Y) || !SizeOk(layoutRect->Width, layoutRect->Height))
    return Status::InvalidParameter;
  if (length == -1) {
    length = 0;
    while (string[length]) ++length;
  }
  text.assign(string, size_t(length));
  return Status::Ok;
}

}  // namespace

Status GdipDrawString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                      const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  auto* b = FindAs<TBrushObj>(brush, TKind::Brush);
  TFontObj* f;
  TStringFormatObj* fmt;
  String text;
  if (!g || !b) return Status::InvalidParameter;
  if (Status st = Prepare(string, length, font, layoutRect, format, f, fmt, text); st != Status::Ok) return st;
  TLayout lay;
  LayoutString(*f, text, *layoutRect, fmt, lay);
  TDrawOp op;
  op.Mode = TDrawOp::Fill;
  op.AntiAlias = true;
  op.Color = b->Color;
  op.FillRule = CAIRO_FILL_RULE_WINDING;
  op.HasClipRect = lay.Clip;
  op.ClipRect = lay.ClipRect;
  Status st = Draw(*g, op, BuildText, &lay);
  if (st == Status::Ok && !lay.Rules.empty()) {
    op.AntiAlias = false;
    st = Draw(*g, op, BuildRules, &lay.Rules);
  }
  return st;
}

Status GdipMeasureString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                         const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                         INT* codepointsFitted, INT* linesFilled) {
  QN_GDIP_ENTER();
  auto* g = FindAs<TGraphicsObj>(graphics, TKind::Graphics);
  TFontObj* f;
  TStringFormatObj* fmt;
  String text;
  if (!g || !boundingBox) return Status::InvalidParameter;
  if (Status st = Prepare(string, length, font, layoutRect, format, f, fmt, text); st != Status::Ok) return st;
  TLayout lay;
  LayoutString(*f, text, *layoutRect, fmt, lay);
  *boundingBox = {REAL(lay.Left), REAL(lay.Top), REAL(lay.Right - lay.Left), REAL(lay.Bottom - lay.Top)};
  if (codepointsFitted) *codepointsFitted = lay.UnitsFitted;
  if (linesFilled) *linesFilled = INT(lay.Lines.size());
  return Status::Ok;
}

}  // namespace vcl
