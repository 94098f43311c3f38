// Host-internal: the glyph provider behind every text function of the GDI
// layer. The default provider realises fonts with fontconfig and FreeType; a
// test can install another one (BoxGlyphProvider: every character a box of
// known size) to check layout code with exact arithmetic.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/GdiText.h"

namespace vcl {

// Metrics of a realised font, in whole pixels.
struct TFontFaceMetrics {
  int EmHeight = 0;
  int Ascent = 0;
  int Descent = 0;
  int InternalLeading = 0;
  int ExternalLeading = 0;
  int AveCharWidth = 0;
  int MaxCharWidth = 0;
  int Weight = FW_NORMAL;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  bool FixedPitch = false;
  BYTE Family = FF_SWISS;  // FF_* bits of tmPitchAndFamily
  BYTE CharSet = ANSI_CHARSET;
  // Rows of the underline and strike-out strokes: the first row's offset
  // below the baseline (negative: above) and the thickness.
  int UnderlineOffset = 1;
  int UnderlineSize = 1;
  int StrikeOffset = -4;
  int StrikeSize = 1;
  // Outline metrics (pixels; y up from the baseline where it applies).
  int UnitsPerEm = 2048;
  int CapHeight = 0;
  int XHeight = 0;
  TRect FontBox;  // Left, Bottom (as Top), Right, Top (as Bottom): y up
  int MacAscent = 0;
  int MacDescent = 0;
  int MacLineGap = 0;
  int ItalicAngle = 0;  // tenths of a degree
  String FamilyName;
  String StyleName;
  String FullName;
  int Height() const { return Ascent + Descent; }
};

// A glyph's coverage image in device orientation (turned by the font's
// escapement). Left/Top place the image's top-left pixel relative to the pen
// position on the baseline (y down). Coverage is 0..255 per pixel, rows of
// Width bytes.
struct TGlyphImage {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  std::vector<Byte> Coverage;
};

// Outlines in pixels relative to the glyph origin, y up.
struct TOutlinePoint {
  double X = 0, Y = 0;
};
enum class TOutlineSegKind : Byte { Line, Conic, Cubic };
struct TOutlineSeg {
  TOutlineSegKind Kind = TOutlineSegKind::Line;
  // Line: P[0] end; Conic: P[0] control, P[1] end; Cubic: P[0], P[1] controls, P[2] end.
  TOutlinePoint P[3];
  const TOutlinePoint& End() const {
    return P[Kind == TOutlineSegKind::Line ? 0 : Kind == TOutlineSegKind::Conic ? 1 : 2];
  }
};
struct TOutlineContour {
  TOutlinePoint Start;
  std::vector<TOutlineSeg> Segs;  // the last one ends at Start
};
struct TGlyphOutline {
  std::vector<TOutlineContour> Contours;
  double AdvanceX = 0;  // transformed advance, pixels
  double AdvanceY = 0;
  // Black box of the transformed glyph in whole pixels (y up); empty for a
  // glyph without contours.
  int BoxLeft = 0, BoxBottom = 0, BoxRight = 0, BoxTop = 0;
};

// 2x2 transform applied to outlines: x' = M11 x + M21 y, y' = M12 x + M22 y.
struct TOutlineMatrix {
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1;
  bool IsIdentity() const { return M11 == 1 && M12 == 0 && M21 == 0 && M22 == 1; }
};

class TFontInstance {
 public:
  virtual ~TFontInstance() = default;
  virtual const TFontFaceMetrics& Metrics() const = 0;
  // Escapement of the font in tenths of a degree.
  virtual int Escapement() const = 0;
  // Advance of a character in whole pixels, unturned.
  virtual int Advance(char32_t ch) = 0;
  // The character's image. The reference stays valid as long as the
  // instance, except for glyphs above a million pixels, which are not kept:
  // theirs lasts until the thread's next Image call.
  virtual const TGlyphImage& Image(char32_t ch) = 0;
  // The character's outline (or glyph index's with glyphIndex). False when
  // the font cannot give one.
  virtual bool Outline(char32_t ch, bool glyphIndex, bool hinted, const TOutlineMatrix& m,
                       TGlyphOutline& out) = 0;
  // True when some face draws the character (false: the default glyph).
  virtual bool HasChar(char32_t ch) = 0;
  // The family that draws the character (the fall-back face for characters
  // the font's own face lacks).
  virtual String FamilyFor(char32_t ch) = 0;
  virtual char32_t FirstChar() const { return 0x20; }
  virtual char32_t LastChar() const { return 0xFFFC; }
};
using TFontInstancePtr = std::shared_ptr<TFontInstance>;

class TGlyphProvider {
 public:
  virtual ~TGlyphProvider() = default;
  // A realised font for the description; never nullptr. Instances are cached
  // by the provider.
  virtual TFontInstancePtr Realize(const LOGFONTW& lf) = 0;
};
using TGlyphProviderPtr = std::shared_ptr<TGlyphProvider>;

// The provider every text function uses. Setting nullptr restores the
// FreeType provider. Returns the previous one.
TGlyphProviderPtr SetGlyphProvider(TGlyphProviderPtr provider);
TGlyphProviderPtr GetGlyphProvider();
TGlyphProviderPtr FreeTypeGlyphProvider();
// Boxes: em = |lfHeight| (16 for 0), ascent = em * 3 / 4, descent = em - ascent,
// every character advance em / 2; each non-blank character inks the pixels
// 1 .. advance - 2 across and the rows from ascent - 1 above the baseline to
// the row just above it; blanks (controls, space, no-break and ideographic
// space) ink nothing. Outlines are that rectangle.
TGlyphProviderPtr BoxGlyphProvider();

// Releases the faces, FreeType and fontconfig (unit finalisation); they come
// back on the next use.
void FinalizeFontEngine();

// The installed family a LOGFONTW maps to before per-character fall-back.
String ResolveFontFamily(const LOGFONTW& lf);

// The realised font selected into a DC (nullptr for an invalid DC).
TFontInstancePtr DCFontInstance(HDC dc);

// Decodes UTF-16 into code points; a lone surrogate stays as its own value.
// units receives, per code point, how many UTF-16 units it took.
void DecodeUtf16(const WCHAR* text, int count, std::vector<char32_t>& out, std::vector<int>* units = nullptr);

}  // namespace vcl
