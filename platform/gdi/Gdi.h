// The gdi32 and msimg32 subset of the host layer: device contexts, bitmaps
// and DIB sections, pens, brushes, regions, drawing with the classic geometry
// and block transfers, plus the user32 drawing helpers that sit on them
// (FillRect, DrawEdge, DrawFrameControl, system colours).
//
// Geometry follows the classic rules: filled shapes leave out their right and
// bottom edges, pens are centred on the figure's outline, LineTo does not draw
// its last point, and a figure drawn with the null pen is one pixel smaller in
// width and height.
//
// The alpha rule. Every drawing operation on a 32-bit surface (lines, shapes,
// fills, FillRect, SetPixel, the ROP2 modes) writes the three colour bytes of
// each pixel it touches and leaves that pixel's alpha byte at 0, as the
// platform does; pixels it does not touch keep all four bytes. Block
// transfers (BitBlt, PatBlt, StretchBlt, MaskBlt, SetDIBitsToDevice,
// StretchDIBits) apply their raster operation to all four bytes: a copy
// carries the source's alpha, a brush contributes alpha 0, DSTINVERT inverts
// alpha too. AlphaBlend and TransparentBlt are the composing exceptions and
// are described at their declarations. Code that draws with GDI into a 32-bit
// bitmap and needs opacity fixes alpha itself.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <cstdint>

#include "platform/rtl/Types.h"

namespace vcl {

// Handles are distinct opaque pointer types, so a pen cannot be passed where
// a brush is expected; HGDIOBJ accepts any of them.
#define QN_DECLARE_HANDLE(name) \
  struct name##__ {             \
    int unused;                 \
  };                            \
  using name = name##__*

QN_DECLARE_HANDLE(HDC);
QN_DECLARE_HANDLE(HBITMAP);
QN_DECLARE_HANDLE(HPEN);
QN_DECLARE_HANDLE(HBRUSH);
QN_DECLARE_HANDLE(HFONT);
QN_DECLARE_HANDLE(HRGN);
QN_DECLARE_HANDLE(HPALETTE);
#undef QN_DECLARE_HANDLE

using HGDIOBJ = void*;
using HANDLE = void*;
using BOOL = Integer;
using UINT = Cardinal;
using LONG = Integer;
using ULONG = Cardinal;
using ULONG_PTR = NativeUInt;
using BYTE = Byte;
using WORD = Word;
using WCHAR = char16_t;
using COLORREF = DWORD;
using RECT = TRect;
using POINT = TPoint;
using SIZE = TSize;

constexpr COLORREF RGB(Byte r, Byte g, Byte b) { return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16); }
constexpr Byte GetRValue(COLORREF c) { return Byte(c); }
constexpr Byte GetGValue(COLORREF c) { return Byte(c >> 8); }
constexpr Byte GetBValue(COLORREF c) { return Byte(c >> 16); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// ---------------------------------------------------------------------------
// Records

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 0;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // negative: top-down rows
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

// The colour table follows the header in memory; callers that pass one
// allocate room for as many entries as the depth needs.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {};
  HANDLE dshSection = nullptr;
  DWORD dsOffset = 0;
};

struct LOGPEN {
  UINT lopnStyle = 0;
  POINT lopnWidth;
  COLORREF lopnColor = 0;
};

struct LOGBRUSH {
  UINT lbStyle = 0;
  COLORREF lbColor = 0;
  ULONG_PTR lbHatch = 0;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  WCHAR lfFaceName[LF_FACESIZE] = {};
};
using LOGFONT = LOGFONTW;

struct PALETTEENTRY {
  BYTE peRed = 0;
  BYTE peGreen = 0;
  BYTE peBlue = 0;
  BYTE peFlags = 0;
};
struct LOGPALETTE {
  WORD palVersion = 0x300;
  WORD palNumEntries = 0;
  PALETTEENTRY palPalEntry[1];
};

struct BLENDFUNCTION {
  BYTE BlendOp = 0;
  BYTE BlendFlags = 0;
  BYTE SourceConstantAlpha = 255;
  BYTE AlphaFormat = 0;
};

struct RGNDATAHEADER {
  DWORD dwSize = sizeof(RGNDATAHEADER);
  DWORD iType = 1;  // RDH_RECTANGLES
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECT rcBound;
};
// The rectangles follow the header in Buffer.
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};

// ---------------------------------------------------------------------------
// Constants

// Object types (GetObjectType).
constexpr DWORD OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_PAL = 5, OBJ_FONT = 6, OBJ_BITMAP = 7,
                OBJ_REGION = 8, OBJ_MEMDC = 10, OBJ_EXTPEN = 11;

// Stock objects.
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
              NULL_BRUSH = 5, HOLLOW_BRUSH = NULL_BRUSH, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
              OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
              DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17,
              DC_BRUSH = 18, DC_PEN = 19;

// SelectObject's failure value for regions; other objects fail with nullptr.
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3, RGN_ERROR = ERROR;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
constexpr int ALTERNATE = 1, WINDING = 2;
constexpr DWORD RDH_RECTANGLES = 1;

// Pen styles.
constexpr UINT PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
               PS_INSIDEFRAME = 6, PS_STYLE_MASK = 0xF;

// Brush styles and hatches.
constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = BS_NULL, BS_HATCHED = 2, BS_PATTERN = 3,
               BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6, BS_PATTERN8X8 = 7;
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
              HS_DIAGCROSS = 5;

// Binary raster operations (SetROP2).
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
              R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
              R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;

// Ternary raster operations. Bits 16..23 hold the truth table over
// pattern (0xF0), source (0xCC) and destination (0xAA); every code works.
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
                MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
                PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
                WHITENESS = 0x00FF0062, NOMIRRORBITMAP = 0x80000000, CAPTUREBLT = 0x40000000;
// MaskBlt's code: foreground operation in the low 24 bits, background in the high byte.
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) { return ((back << 8) & 0xFF000000) | fore; }

constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4,
              STRETCH_ANDSCANS = BLACKONWHITE, STRETCH_ORSCANS = WHITEONBLACK,
              STRETCH_DELETESCANS = COLORONCOLOR, STRETCH_HALFTONE = HALFTONE;

// Bitmaps and DIBs.
constexpr DWORD BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;

// AlphaBlend.
constexpr BYTE AC_SRC_OVER = 0, AC_SRC_ALPHA = 1;

// Arc directions.
constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;

// GetDeviceCaps.
constexpr int DRIVERVERSION = 0, TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10,
              BITSPIXEL = 12, PLANES = 14, NUMBRUSHES = 16, NUMPENS = 18, NUMFONTS = 22, NUMCOLORS = 24,
              RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90, SIZEPALETTE = 104, NUMRESERVED = 106,
              COLORRES = 108, SHADEBLENDCAPS = 120;
constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 1, RC_BITMAP64 = 8, RC_DI_BITMAP = 0x80, RC_DIBTODEV = 0x200, RC_STRETCHBLT = 0x800,
              RC_STRETCHDIB = 0x2000;
constexpr int SB_CONST_ALPHA = 1, SB_PIXEL_ALPHA = 2, SB_PREMULT_ALPHA = 4;

// ExtSelectClipRgn modes (RGN_*), and the result of GetClipRgn without a clip region is 0.

// DrawEdge.
constexpr UINT BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
               BDR_OUTER = 0x3, BDR_INNER = 0xC, BDR_RAISED = 0x5, BDR_SUNKEN = 0xA,
               EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
               EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3,
               BF_TOPRIGHT = 0x6, BF_BOTTOMLEFT = 0x9, BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF,
               BF_DIAGONAL = 0x10, BF_DIAGONAL_ENDTOPRIGHT = 0x16, BF_DIAGONAL_ENDTOPLEFT = 0x13,
               BF_DIAGONAL_ENDBOTTOMLEFT = 0x19, BF_DIAGONAL_ENDBOTTOMRIGHT = 0x1C, BF_MIDDLE = 0x800,
               BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// DrawFrameControl.
constexpr UINT DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5;
constexpr UINT DFCS_CAPTIONCLOSE = 0x0, DFCS_CAPTIONMIN = 0x1, DFCS_CAPTIONMAX = 0x2,
               DFCS_CAPTIONRESTORE = 0x3, DFCS_CAPTIONHELP = 0x4;
constexpr UINT DFCS_MENUARROW = 0x0, DFCS_MENUCHECK = 0x1, DFCS_MENUBULLET = 0x2,
               DFCS_MENUARROWRIGHT = 0x4;
constexpr UINT DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
               DFCS_SCROLLCOMBOBOX = 0x5, DFCS_SCROLLSIZEGRIP = 0x8, DFCS_SCROLLSIZEGRIPRIGHT = 0x10;
constexpr UINT DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIOIMAGE = 0x1, DFCS_BUTTONRADIOMASK = 0x2,
               DFCS_BUTTONRADIO = 0x4, DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10;
constexpr UINT DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_TRANSPARENT = 0x800,
               DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;

// System colours.
constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_DESKTOP = 1, COLOR_ACTIVECAPTION = 2,
              COLOR_INACTIVECAPTION = 3, COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6,
              COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10,
              COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13,
              COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_3DFACE = 15, COLOR_BTNSHADOW = 16,
              COLOR_3DSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19,
              COLOR_BTNHIGHLIGHT = 20, COLOR_3DHIGHLIGHT = 20, COLOR_3DHILIGHT = 20, COLOR_BTNHILIGHT = 20,
              COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
              COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
              COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30, COLOR_ENDCOLORS = 30;

// ---------------------------------------------------------------------------
// Objects. Functions that the platform declares BOOL return nonzero on success.

HGDIOBJ GetStockObject(int index);
// Returns the previously selected object, or nullptr when the handle is not a
// valid object for the DC (for a region: the region type, or ERROR).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
// Copies the object's description (BITMAP or DIBSECTION, LOGPEN, LOGBRUSH,
// LOGFONTW); with buffer nullptr returns the size needed. 0 on failure.
int GetObject(HGDIOBJ obj, int size, void* buffer);
inline int GetObjectW(HGDIOBJ obj, int size, void* buffer) { return GetObject(obj, size, buffer); }
DWORD GetObjectType(HGDIOBJ obj);
// Stock objects survive deletion. A bitmap selected into a DC cannot be
// deleted (returns 0); a pen, brush or font that is still selected stays
// alive for that DC until it is replaced.
BOOL DeleteObject(HGDIOBJ obj);
// Number of live objects of a type (0: all), for leak checks in tests.
int GdiObjectCount(DWORD type = 0);

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// The pattern is the bitmap's top-left 8x8 pixels; a monochrome bitmap takes
// the DC's text colour for 0 bits and background colour for 1 bits.
HBRUSH CreatePatternBrush(HBITMAP bmp);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HFONT CreateFontIndirectW(const LOGFONTW* lf);
inline HFONT CreateFontIndirect(const LOGFONTW* lf) { return CreateFontIndirectW(lf); }
HPALETTE CreatePalette(const LOGPALETTE* lp);

// The 8x8 50 % checker used for dotted lines and disabled looks: pixel (x, y)
// is white where x + y is even. The caller owns the bitmap.
HBITMAP AllocPatternBitmap();

// ---------------------------------------------------------------------------
// Bitmaps and memory DCs

// A memory DC starts with a 1x1 monochrome bitmap selected, as on the
// platform, so CreateCompatibleBitmap on it makes a monochrome bitmap.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// 32 bits per pixel for a colour DC (or dc nullptr), 1 bit for a monochrome
// one. Pixels start at 0.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// planes 1 and 1 or 32 bits per pixel; 1-bit rows are word aligned.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// 32 bpp BI_RGB (or BI_BITFIELDS with the standard masks): rows are not
// padded, top-down for a negative height and bottom-up otherwise, zero-filled.
// Other depths (1, 4, 8, 16, 24) are accepted and kept in their own format;
// GDI draws into them after converting to 32 bits and back. A section
// handle (a file mapping of FileMapping.h) places the pixels at offset in
// the mapping's memory, through a view that lives as long as the bitmap; a
// mapper registered with SetDIBSectionMapper supplies the memory instead.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// Copies scan lines of a bitmap to bits in the format of bmi (1, 4, 8, 24 or
// 32 bpp; a negative height asks for top-down rows). With bits nullptr and a
// zero biBitCount fills in the header. Returns the lines copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage);
int SetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi,
              UINT usage);
LONG GetBitmapBits(HBITMAP bmp, LONG size, void* bits);
LONG SetBitmapBits(HBITMAP bmp, DWORD size, const void* bits);
BOOL GetBitmapDimensionEx(HBITMAP bmp, SIZE* size);

// ---------------------------------------------------------------------------
// DC state

int SaveDC(HDC dc);
// level > 0: that saved state; level < 0: relative to the current one.
BOOL RestoreDC(HDC dc, int level);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC dc, POINT* p);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC dc, POINT* p);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC dc, POINT* p);
BOOL LPtoDP(HDC dc, POINT* pts, int count);
BOOL DPtoLP(HDC dc, POINT* pts, int count);
BOOL GetCurrentPositionEx(HDC dc, POINT* p);

// Clipping. Clip regions are given in device coordinates and copied.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
// The visible part of the DC in logical coordinates.
int GetClipBox(HDC dc, RECT* rc);
// 1 and a copy of the clip region in rgn, 0 when the DC has none, -1 on error.
int GetClipRgn(HDC dc, HRGN rgn);
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* rc);

int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF c);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
COLORREF SetDCBrushColor(HDC dc, COLORREF c);
COLORREF SetDCPenColor(HDC dc, COLORREF c);

// Only MM_TEXT exists: other modes are refused (0).
constexpr int MM_TEXT = 1;
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);
// Where the DC's device (0, 0) lies on its surface (a window DC: the
// client area's offset in the top-level window).
BOOL GetDCOrgEx(HDC dc, POINT* p);
int SetArcDirection(HDC dc, int dir);
int GetArcDirection(HDC dc);
// A true-colour display at 96 DPI; memory DCs report their bitmap's depth and size.
int GetDeviceCaps(HDC dc, int index);
// Palettes are objects only: selecting one is remembered, realising maps nothing.
HPALETTE SelectPalette(HDC dc, HPALETTE pal, BOOL forceBackground);
UINT RealizePalette(HDC dc);

COLORREF SetPixel(HDC dc, int x, int y, COLORREF c);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC dc, int x, int y);

// ---------------------------------------------------------------------------
// Regions

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rc);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rc);
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* pts, const int* counts, int polyCount, int fillMode);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
BOOL EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rc);
int GetRgnBox(HRGN rgn, RECT* rc);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
// Size needed with data nullptr or a too small count; otherwise the size written.
DWORD GetRegionData(HRGN rgn, DWORD count, RGNDATA* data);
// Transforms other than none are not supported (nullptr). Bad data fails with nullptr.
HRGN ExtCreateRegion(const void* xform, DWORD count, const RGNDATA* data);

// ---------------------------------------------------------------------------
// Fills and transfers

// hbr may be a brush or (COLOR_* + 1) cast to HBRUSH, as the platform allows.
int FillRect(HDC dc, const RECT* rc, HBRUSH hbr);
int FrameRect(HDC dc, const RECT* rc, HBRUSH hbr);
BOOL InvertRect(HDC dc, const RECT* rc);
// XOR with the 50 % checker on the rectangle's edges; drawing it twice restores.
BOOL DrawFocusRect(HDC dc, const RECT* rc);
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
// Stretches with the DC's stretch mode: HALFTONE averages the covered source
// area (all four bytes), the others take the nearest source pixel. Opposite
// signs of the widths (heights) mirror the picture.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop);
// A DIB's source rectangle is measured from its first stored row: the bottom
// row of a bottom-up DIB. Returns the number of scan lines drawn, 0 on failure.
int StretchDIBits(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop);
// A bottom-up DIB's bits hold scan lines startScan .. startScan + lines - 1
// (from the bottom) and only those are drawn; a top-down DIB's bits hold the
// whole picture. Returns the number of scan lines, 0 on failure.
int SetDIBitsToDevice(HDC dc, int x, int y, DWORD w, DWORD h, int sx, int sy, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage);
// Test hook: while set, SetDIBitsToDevice fails (returns 0) so that callers'
// fall-back paths can be exercised.
void GdiForceSetDIBitsToDeviceFailure(bool fail);
// Where the monochrome mask has a 1 the foreground raster operation (low 24
// bits of rop4) applies, elsewhere the background one (MAKEROP4). Without a
// mask it is BitBlt with the foreground operation.
BOOL MaskBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, HBITMAP mask, int mx, int my,
             DWORD rop4);
// Copies (stretching to nearest) every source pixel whose colour bytes differ
// from transparent, all four bytes of it.
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                    UINT transparent);
// Composes the source over the destination, all four bytes, with
// k = SourceConstantAlpha / 255:
//   without AC_SRC_ALPHA:  D = S * k + D * (1 - k)
//   with AC_SRC_ALPHA:     S' = S * k (premultiplied source), D = S' + D * (1 - S'.alpha / 255)
// rounded to nearest and saturated at 255. The rectangles are clipped to both
// surfaces; negative sizes fail.
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION blend);
inline BOOL GdiAlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                          BLENDFUNCTION blend) {
  return AlphaBlend(dst, x, y, w, h, src, sx, sy, sw, sh, blend);
}
BOOL GdiFlush();

// ---------------------------------------------------------------------------
// Drawing with the pen and brush of the DC, in its ROP2 mode.

BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
// Draws from the current position to (x, y), leaving out (x, y) for pens of
// width 1; wider pens have round ends and draw it.
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* pts, int count);
BOOL PolylineTo(HDC dc, const POINT* pts, int count);
BOOL PolyPolyline(HDC dc, const POINT* pts, const DWORD* counts, DWORD polyCount);
// Filled in the DC's poly fill mode; the outline closes itself.
BOOL Polygon(HDC dc, const POINT* pts, int count);
BOOL PolyPolygon(HDC dc, const POINT* pts, const int* counts, int polyCount);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// The curve runs counter-clockwise from the ray through (xs, ys) to the ray
// through (xe, ye); equal rays draw the whole ellipse.
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);
BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xs, int ys, int xe, int ye);

// Fills with the DC's brush the 4-connected area around (x, y): with
// FLOODFILLBORDER up to pixels of colour, with FLOODFILLSURFACE the pixels of
// colour. Fails (0) when the start is outside the clip region or not part of
// such an area.
constexpr UINT FLOODFILLBORDER = 0, FLOODFILLSURFACE = 1;
BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF color, UINT type);
inline BOOL FloodFill(HDC dc, int x, int y, COLORREF border) { return ExtFloodFill(dc, x, y, border, FLOODFILLBORDER); }

// Regions in logical coordinates. FillRgn and FrameRgn are brush copies
// (alpha 0 like every brush); PaintRgn follows the DC's ROP2.
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH hbr);
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH hbr, int width, int height);
BOOL PaintRgn(HDC dc, HRGN rgn);
BOOL InvertRgn(HDC dc, HRGN rgn);

// The classic three-dimensional edges and frame controls, in the system colours.
BOOL DrawEdge(HDC dc, RECT* rc, UINT edge, UINT flags);
BOOL DrawFrameControl(HDC dc, RECT* rc, UINT type, UINT state);

// ---------------------------------------------------------------------------
// System colours: the classic defaults, overridable per process (tests).

DWORD GetSysColor(int index);
// A stock brush of the colour; never delete it.
HBRUSH GetSysColorBrush(int index);
BOOL SetSysColors(int count, const int* indexes, const COLORREF* values);
// Back to the classic defaults.
void ResetSysColors();

}  // namespace vcl

// Fonts and text.
#include "platform/gdi/GdiText.h"

#include "platform/rtl/MacroShieldEnd.h"
