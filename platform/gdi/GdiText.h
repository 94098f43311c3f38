// Fonts and text of the gdi32/user32 subset: font creation, text output,
// text metrics, DrawText and glyph outlines. Included by Gdi.h.
//
// Fonts are real: a LOGFONTW is realised over an installed face found with
// fontconfig and rasterised with FreeType, at 96 DPI, so logical units are
// pixels. Windows face names map to installed faces through this fixed table:
//
//   Tahoma, MS Sans Serif, Microsoft Sans Serif, MS Shell Dlg (2), Segoe UI,
//   Arial, Verdana, System, Default                    -> DejaVu Sans
//   Courier New, Courier, Consolas, Lucida Console,
//   Fixedsys, Terminal                                 -> DejaVu Sans Mono
//   Times New Roman, Times, Georgia                    -> DejaVu Serif
//   SimSun, NSimSun, Microsoft YaHei, SimHei, MingLiU,
//   MS Gothic, 宋体, 微软雅黑, 黑体                     -> WenQuanYi Micro Hei
//
// The CJK character sets (SHIFTJIS, HANGEUL, GB2312, CHINESEBIG5) choose
// WenQuanYi Micro Hei whatever the name. Any other name is looked up as an
// installed family; when there is none, the pitch and family bits choose
// DejaVu Sans Mono (fixed pitch, FF_MODERN), DejaVu Serif (FF_ROMAN) or
// DejaVu Sans. A character the face lacks is drawn with the first installed
// face that has it (Chinese text in a Latin face draws with WenQuanYi Micro
// Hei); a character no face has draws as the face's default glyph.
//
// Weights of 600 and more are bold and italic is italic: a face without a
// bold or italic member is emboldened or slanted. lfQuality
// NONANTIALIASED_QUALITY gives strictly binary coverage; every other quality
// gives grey levels (ClearType is drawn as grey). Every face is TrueType, so
// OUT_TT_ONLY_PRECIS changes nothing.
//
// Text output follows the alpha rule of Gdi.h: glyph coverage blends the text
// colour onto the colour bytes, and every pixel it touches (coverage above 0),
// like every pixel of an opaque background or underline, is left with alpha 0.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/Gdi.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Font constants

constexpr int FW_DONTCARE = 0, FW_THIN = 100, FW_EXTRALIGHT = 200, FW_LIGHT = 300, FW_NORMAL = 400,
              FW_REGULAR = 400, FW_MEDIUM = 500, FW_SEMIBOLD = 600, FW_BOLD = 700, FW_EXTRABOLD = 800,
              FW_HEAVY = 900;
constexpr BYTE ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77,
               SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, HANGUL_CHARSET = 129, JOHAB_CHARSET = 130,
               GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136, GREEK_CHARSET = 161, TURKISH_CHARSET = 162,
               VIETNAMESE_CHARSET = 163, HEBREW_CHARSET = 177, ARABIC_CHARSET = 178, BALTIC_CHARSET = 186,
               RUSSIAN_CHARSET = 204, THAI_CHARSET = 222, EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0, OUT_STRING_PRECIS = 1, OUT_CHARACTER_PRECIS = 2, OUT_STROKE_PRECIS = 3,
               OUT_TT_PRECIS = 4, OUT_DEVICE_PRECIS = 5, OUT_RASTER_PRECIS = 6, OUT_TT_ONLY_PRECIS = 7,
               OUT_OUTLINE_PRECIS = 8;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0, CLIP_CHARACTER_PRECIS = 1, CLIP_STROKE_PRECIS = 2;
constexpr BYTE DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2, NONANTIALIASED_QUALITY = 3,
               ANTIALIASED_QUALITY = 4, CLEARTYPE_QUALITY = 5, CLEARTYPE_NATURAL_QUALITY = 6;
constexpr BYTE DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40,
               FF_DECORATIVE = 0x50;
// tmPitchAndFamily bits. TMPF_FIXED_PITCH set means a variable-pitch font.
constexpr BYTE TMPF_FIXED_PITCH = 0x01, TMPF_VECTOR = 0x02, TMPF_TRUETYPE = 0x04, TMPF_DEVICE = 0x08;

// Text alignment (SetTextAlign).
constexpr UINT TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
               TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256, TA_MASK = TA_BASELINE | TA_CENTER |
                                                                              TA_UPDATECP | TA_RTLREADING;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;

// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10, ETO_RTLREADING = 0x80,
               ETO_IGNORELANGUAGE = 0x1000, ETO_PDY = 0x2000;

// DrawText formats.
constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
               DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
               DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
               DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000,
               DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000,
               DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000, DT_HIDEPREFIX = 0x100000,
               DT_PREFIXONLY = 0x200000;

// GetGlyphOutline formats.
constexpr UINT GGO_METRICS = 0, GGO_BITMAP = 1, GGO_NATIVE = 2, GGO_BEZIER = 3, GGO_GRAY2_BITMAP = 4,
               GGO_GRAY4_BITMAP = 5, GGO_GRAY8_BITMAP = 6, GGO_GLYPH_INDEX = 0x80, GGO_UNHINTED = 0x100;
constexpr WORD TT_PRIM_LINE = 1, TT_PRIM_QSPLINE = 2, TT_PRIM_CSPLINE = 3;
constexpr DWORD TT_POLYGON_TYPE = 24;

// ---------------------------------------------------------------------------
// Records

struct TEXTMETRICW {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  WCHAR tmFirstChar = 0;
  WCHAR tmLastChar = 0;
  WCHAR tmDefaultChar = 0;
  WCHAR tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};
using TEXTMETRIC = TEXTMETRICW;

struct ABC {
  int abcA = 0;
  UINT abcB = 0;
  int abcC = 0;
};

// A 16.16 fixed-point number, fraction first as the platform stores it.
struct FIXED {
  WORD fract = 0;
  short value = 0;
};
static_assert(sizeof(FIXED) == 4);
inline FIXED FixedFromDouble(double v) {
  auto i = static_cast<int32_t>(v * 65536.0 + (v < 0 ? -0.5 : 0.5));
  FIXED f;
  f.fract = WORD(uint32_t(i) & 0xFFFF);
  f.value = static_cast<short>(i >> 16);
  return f;
}
inline double FixedToDouble(FIXED f) { return f.value + f.fract / 65536.0; }

struct MAT2 {
  FIXED eM11, eM12, eM21, eM22;
};
struct POINTFX {
  FIXED x, y;
};
// Native outline records: each polygon is a TTPOLYGONHEADER (cb = its bytes
// including the curves that follow) and TTPOLYCURVE records of 4 + 8 * cpfx bytes.
struct TTPOLYGONHEADER {
  DWORD cb = 0;
  DWORD dwType = 0;
  POINTFX pfxStart;
};
struct TTPOLYCURVE {
  WORD wType = 0;
  WORD cpfx = 0;
  POINTFX apfx[1];
};
static_assert(sizeof(TTPOLYGONHEADER) == 16 && sizeof(TTPOLYCURVE) == 12);

struct GLYPHMETRICS {
  UINT gmBlackBoxX = 0;
  UINT gmBlackBoxY = 0;
  POINT gmptGlyphOrigin;
  short gmCellIncX = 0;
  short gmCellIncY = 0;
};

struct PANOSE {
  BYTE bFamilyType = 0, bSerifStyle = 0, bWeight = 0, bProportion = 0, bContrast = 0, bStrokeVariation = 0,
       bArmStyle = 0, bLetterform = 0, bMidline = 0, bXHeight = 0;
};

// The four name pointers hold offsets from the start of the record to
// null-terminated UTF-16 names stored after it, as the platform does.
struct OUTLINETEXTMETRICW {
  UINT otmSize = 0;
  TEXTMETRICW otmTextMetrics;
  BYTE otmFiller = 0;
  PANOSE otmPanoseNumber;
  UINT otmfsSelection = 0;
  UINT otmfsType = 0;
  int otmsCharSlopeRise = 0;
  int otmsCharSlopeRun = 0;
  int otmItalicAngle = 0;
  UINT otmEMSquare = 0;
  int otmAscent = 0;
  int otmDescent = 0;
  UINT otmLineGap = 0;
  UINT otmsCapEmHeight = 0;
  UINT otmsXHeight = 0;
  RECT otmrcFontBox;
  int otmMacAscent = 0;
  int otmMacDescent = 0;
  UINT otmMacLineGap = 0;
  UINT otmusMinimumPPEM = 0;
  POINT otmptSubscriptSize;
  POINT otmptSubscriptOffset;
  POINT otmptSuperscriptSize;
  POINT otmptSuperscriptOffset;
  UINT otmsStrikeoutSize = 0;
  int otmsStrikeoutPosition = 0;
  int otmsUnderscoreSize = 0;
  int otmsUnderscorePosition = 0;
  char* otmpFamilyName = nullptr;
  char* otmpFaceName = nullptr;
  char* otmpStyleName = nullptr;
  char* otmpFullName = nullptr;
};
// The name stored at one of the offsets above.
inline const WCHAR* OutlineMetricsName(const OUTLINETEXTMETRICW* otm, const char* offset) {
  return reinterpret_cast<const WCHAR*>(reinterpret_cast<const char*>(otm) + reinterpret_cast<uintptr_t>(offset));
}

struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  int iTabLength = 0;
  int iLeftMargin = 0;
  int iRightMargin = 0;
  UINT uiLengthDrawn = 0;
};

// ---------------------------------------------------------------------------
// Fonts

// lfHeight < 0 asks for that character (em) height, > 0 for that cell height
// (ascent + descent), 0 for the default 16-pixel cell. lfWidth is ignored.
// lfEscapement (tenths of a degree, counter-clockwise) turns the text and its
// glyphs; lfOrientation is not used on its own, as in the compatible
// graphics mode.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, const WCHAR* faceName);
inline HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                        DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                        DWORD quality, DWORD pitchAndFamily, const WCHAR* faceName) {
  return CreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                     outPrecision, clipPrecision, quality, pitchAndFamily, faceName);
}

// ---------------------------------------------------------------------------
// Text output

UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
// Extra pixels after every character, in output and measurement.
int SetTextCharacterExtra(HDC dc, int extra);
int GetTextCharacterExtra(HDC dc);

BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count);
// dx, when given, holds each UTF-16 unit's advance (pairs with ETO_PDY);
// ETO_OPAQUE fills rc with the background colour, ETO_CLIPPED clips the text
// to rc. With OPAQUE background mode the text cell is filled too.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rc, const WCHAR* text, UINT count,
                 const int* dx);
inline BOOL TextOut(HDC dc, int x, int y, const WCHAR* text, int count) { return TextOutW(dc, x, y, text, count); }
inline BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rc, const WCHAR* text, UINT count,
                       const int* dx) {
  return ExtTextOutW(dc, x, y, options, rc, text, count, dx);
}

// ---------------------------------------------------------------------------
// Metrics. Extents are the sums of the advances the output uses; their
// height is tmHeight.

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm);
BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int count, SIZE* size);
inline BOOL GetTextExtentPointW(HDC dc, const WCHAR* text, int count, SIZE* size) {
  return GetTextExtentPoint32W(dc, text, count, size);
}
// fit: how many UTF-16 units fit in maxExtent (when fit is given); dx: the
// extent after each unit.
BOOL GetTextExtentExPointW(HDC dc, const WCHAR* text, int count, int maxExtent, int* fit, int* dx, SIZE* size);
BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, int* widths);
inline BOOL GetCharWidthW(HDC dc, UINT first, UINT last, int* widths) {
  return GetCharWidth32W(dc, first, last, widths);
}
// abcA + abcB + abcC is the advance; B is the inked width.
BOOL GetCharABCWidthsW(HDC dc, UINT first, UINT last, ABC* abc);
// The installed family that draws the selected font ("DejaVu Sans" for
// Tahoma). Returns the characters copied including the terminator; with
// buffer nullptr the length needed.
int GetTextFaceW(HDC dc, int count, WCHAR* buffer);
// Size needed with otm nullptr; 0 on failure or when size is too small.
UINT GetOutlineTextMetricsW(HDC dc, UINT size, OUTLINETEXTMETRICW* otm);
UINT GetTextCharset(HDC dc);

// ---------------------------------------------------------------------------
// DrawText. Lines break at CR, LF and CR LF (not with DT_SINGLELINE); with
// DT_WORDBREAK also at blanks (and between full-width characters unless
// DT_NOFULLWIDTHCHARBREAK); a word wider than the line is broken only with
// DT_EDITCONTROL and otherwise overflows (or is cut with an ellipsis).
// DT_VCENTER and DT_BOTTOM apply to DT_SINGLELINE. DT_CALCRECT draws nothing
// and sets the rectangle's bottom to the text's and its right to the widest
// line's right. DT_RTLREADING right-aligns lines that would be left-aligned
// (no reordering). Returns the text height (with DT_VCENTER or DT_BOTTOM the
// distance from the rectangle's top to the text's bottom), 0 on failure.
// DT_MODIFYSTRING writes an ellipsised single line back into text, which
// must then have room for count + 4 characters. Without DT_NOPREFIX, "&x"
// shows x and "&&" shows "&"; a line underlines its last such x.
// DT_TABSTOP's count takes bits 8..15, so DT_CALCRECT, DT_NOPREFIX and the
// other flags there cannot go with it.
int DrawTextW(HDC dc, const WCHAR* text, int count, RECT* rc, UINT format);
int DrawTextExW(HDC dc, WCHAR* text, int count, RECT* rc, UINT format, DRAWTEXTPARAMS* params);
inline int DrawText(HDC dc, const WCHAR* text, int count, RECT* rc, UINT format) {
  return DrawTextW(dc, text, count, rc, format);
}

// ---------------------------------------------------------------------------
// Glyph outlines. Coordinates are pixels relative to the glyph origin on the
// baseline, y up, transformed by the matrix. GGO_NATIVE gives lines and
// quadratic splines, GGO_BEZIER lines and cubic splines; GGO_UNHINTED takes
// the outline as designed; the bitmap formats are not offered. Returns the buffer
// size needed (buffer nullptr or size 0), the bytes written, 0 for a glyph
// without outline (a space) whose metrics are still given, or GDI_ERROR
// (no font, a lone surrogate, a too small buffer).
DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* gm, DWORD size, void* buffer,
                       const MAT2* mat);
inline DWORD GetGlyphOutline(HDC dc, UINT ch, UINT format, GLYPHMETRICS* gm, DWORD size, void* buffer,
                             const MAT2* mat) {
  return GetGlyphOutlineW(dc, ch, format, gm, size, buffer, mat);
}

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
