// Text as glyph outlines on a path, laid out in a rectangle with line
// breaks, word wrap and alignment, read from the platform's glyph-outline
// service; the bitmap backend's text-to-path support comes through here.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "graphics/raster/Pix32_qn_Types.h"
#include "graphics/vector/Pix32_Paths_qn.h"
#include "platform/gdi/GdiText.h"

namespace qn {

enum class TTextHinting : Byte { thNone, thNoHorz, thHinting };

void SetHinting(TTextHinting Value);
TTextHinting GetHinting();

// Where layout reads its font: text metrics and glyph outlines in the
// platform's records. The device-context form is the real one; tests lay
// out fonts of their own making through it.
class TGlyphSource {
 public:
  virtual ~TGlyphSource() = default;
  virtual bool TextMetrics(TEXTMETRICW& Metrics) = 0;
  // As GetGlyphOutlineW: the size needed (no buffer), the bytes written, 0
  // for a glyph without outline, or GDI_ERROR.
  virtual DWORD GlyphOutline(UINT Glyph, UINT Format, GLYPHMETRICS* Metrics, DWORD Size, void* Buffer,
                             const MAT2* Matrix) = 0;
};

class TDCGlyphSource : public TGlyphSource {
 public:
  explicit TDCGlyphSource(HDC DC) : FDC(DC) {}
  bool TextMetrics(TEXTMETRICW& Metrics) override;
  DWORD GlyphOutline(UINT Glyph, UINT Format, GLYPHMETRICS* Metrics, DWORD Size, void* Buffer,
                     const MAT2* Matrix) override;

 private:
  HDC FDC;
};

// Layout flags: bits 0-1 horizontal alignment (0 left, 1 centre, 2 right,
// 3 justified), 4 vertical centre, 8 bottom, 0x10 word break, 0x20 single
// line.
void TextToPath(HFONT Font, TCustomPath* Path, const TFloatRect& ARect, const String& Text, Cardinal Flags = 0);
TArrayOfArrayOfFloatPoint TextToPolyPolygon(HFONT Font, const TFloatRect& ARect, const String& Text,
                                            Cardinal Flags = 0);
// The bounds of the laid-out text: (Left, Top, right-most pen position,
// text bottom), each rounded.
TFloatRect MeasureText(HFONT Font, const TFloatRect& ARect, const String& Text, Cardinal Flags = 0);
TFloatRect MeasureTextDC(HDC DC, const TFloatRect& ARect, const String& Text, Cardinal Flags = 0);

// Lays Text out into Path (nil: measuring only); ARect comes back as the
// text's bounds before rounding.
void LayoutTextDC(HDC DC, TCustomPath* Path, TFloatRect& ARect, const String& Text, Cardinal Flags);
void LayoutText(TGlyphSource& Source, TCustomPath* Path, TFloatRect& ARect, const String& Text, Cardinal Flags);

// Adds the outline of Glyph with its origin at (X, Y) when its advance fits
// before MaxX; answers whether it fits. Metrics come back zeroed when the
// request fails.
bool AddGlyphOutline(TGlyphSource& Source, TCustomPath* Path, UINT Glyph, TFloat X, TFloat MaxX, TFloat Y,
                     GLYPHMETRICS& Metrics);

void InitPix32TextVCL();
void DonePix32TextVCL();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
