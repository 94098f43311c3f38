// The GDI+ flat interface of the host layer: graphics over device contexts,
// paths, solid brushes, pens, fonts, string formats and images, drawn with
// cairo. Handles are opaque pointers; every call answers a Status.
//
// Rules every call follows:
// - Calls before GdiplusStartup (or after the last GdiplusShutdown) answer
//   GdiplusNotInitialized. A nil handle or out pointer, a handle that is not
//   a live object of the right kind, a non-finite coordinate and a negative
//   size answer InvalidParameter. A failing call leaves its out pointer and
//   every object as they were.
// - Coordinates are pixels of the device context's logical space. Pixel
//   centres lie on integer coordinates: pixel (x, y) covers x - 0.5 .. x + 0.5,
//   so an unsmoothed 1-pixel pen along y = 5 covers row 5 only, and a filled
//   rectangle from 0 to 10 covers pixels 0 to 9 (anti-aliased: half of 0 and
//   half of 10). Images are the exception: DrawImageRect maps the image's
//   pixel edges onto the rectangle, so an image drawn at its own size at
//   integer coordinates copies pixel for pixel.
// - Smoothing modes 2 (HighQuality), 4 (AntiAlias), 5 (AntiAlias8x8) and 6
//   anti-alias; 0 (Default), 1 (HighSpeed) and 3 (None) do not. Clipping
//   paths are not anti-aliased: a pixel is inside when its centre is.
// - Fill mode 0 is even-odd (alternate), 1 winding. Line joins: 0 miter
//   (a miter longer than the pen's limit, 10 widths unless set, becomes a
//   bevel), 1 bevel, 2 round, 3 miter clipped at the limit. Pens have flat caps; a pen
//   narrower than one pixel draws one pixel wide.
// - Arc angles are degrees, clockwise from the x axis (y grows downwards);
//   an angle names the point of the ellipse in that direction from its
//   centre (the polar angle, not the ellipse's parameter). Sweeps are
//   clamped to +-360. Adding a line or an arc to an open figure joins it to
//   the figure's last point; ellipses and rectangles are figures of their own.
// - Font sizes: unit 3 = points at 96 DPI, 2 (and 0) = pixels, 4 inches,
//   5 document units (1/300 inch), 6 millimetres; unit 1 (display) is not a
//   font unit. Faces are found as GDI text finds them ("Tahoma" draws with
//   the face GDI draws Tahoma with); a family that is not installed falls
//   back the same way, so it never fails. An empty family name is
//   InvalidParameter.
// - DrawString wraps lines at spaces (and breaks words wider than the
//   layout rectangle) unless StringFormatFlagsNoWrap, aligns near, centre or
//   far in both directions, leaves a sixth of an em free at each end of a
//   line, and clips to the layout rectangle unless StringFormatFlagsNoClip.
//   A zero width or height leaves that direction unbounded. Text is always
//   anti-aliased, whatever the smoothing mode.
// - Destination pixels are straight (not premultiplied) ARGB, as the 32-bit
//   bitmaps above keep them. A drawing call converts the box it touches for
//   cairo and writes back only the pixels that changed; an opaque drawn
//   pixel gets alpha 255, translucent paint over alpha 0 keeps its own
//   colour and alpha. The device context's clip region, viewport and window
//   origins are read at each drawing call.
// - Images: PNG (with its transparency), BMP and JPEG are decoded from the
//   stream's current position. A 32-bit BI_RGB BMP is opaque; a BMP with an
//   alpha mask in its header keeps its alpha. An unknown signature answers
//   UnknownImageFormat, damaged data InvalidParameter.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/ComStreams.h"
#include "platform/gdi/Gdi.h"

namespace vcl {

using REAL = Single;
using INT = Integer;
using ARGB = DWORD;
using LANGID = Word;

enum class Status : Integer {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
  ProfileNotFound = 21,
};
using GpStatus = Status;
// "Ok", "InvalidParameter", ...; "Unknown" for a value outside the list.
const char16_t* StatusName(Status s);

// Enumerations are plain integers, as callers pass them by number.
using GpFillMode = Integer;
constexpr GpFillMode FillModeAlternate = 0, FillModeWinding = 1;

using SmoothingMode = Integer;
constexpr SmoothingMode SmoothingModeInvalid = -1, SmoothingModeDefault = 0, SmoothingModeHighSpeed = 1,
                        SmoothingModeHighQuality = 2, SmoothingModeNone = 3, SmoothingModeAntiAlias = 4,
                        SmoothingModeAntiAlias8x4 = 4, SmoothingModeAntiAlias8x8 = 5;

using InterpolationMode = Integer;
constexpr InterpolationMode InterpolationModeInvalid = -1, InterpolationModeDefault = 0,
                            InterpolationModeLowQuality = 1, InterpolationModeHighQuality = 2,
                            InterpolationModeBilinear = 3, InterpolationModeBicubic = 4,
                            InterpolationModeNearestNeighbor = 5, InterpolationModeHighQualityBilinear = 6,
                            InterpolationModeHighQualityBicubic = 7;

using CombineMode = Integer;
constexpr CombineMode CombineModeReplace = 0, CombineModeIntersect = 1, CombineModeUnion = 2,
                      CombineModeXor = 3, CombineModeExclude = 4, CombineModeComplement = 5;

using GpUnit = Integer;
constexpr GpUnit UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3, UnitInch = 4, UnitDocument = 5,
                 UnitMillimeter = 6;

using GpLineJoin = Integer;
constexpr GpLineJoin LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3;

using FontStyle = Integer;
constexpr FontStyle FontStyleRegular = 0, FontStyleBold = 1, FontStyleItalic = 2, FontStyleBoldItalic = 3,
                    FontStyleUnderline = 4, FontStyleStrikeout = 8;

using StringAlignment = Integer;
constexpr StringAlignment StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2;

using StringFormatFlags = Integer;
constexpr StringFormatFlags StringFormatFlagsDirectionRightToLeft = 0x1, StringFormatFlagsDirectionVertical = 0x2,
                            StringFormatFlagsNoFitBlackBox = 0x4, StringFormatFlagsDisplayFormatControl = 0x20,
                            StringFormatFlagsNoFontFallback = 0x400, StringFormatFlagsMeasureTrailingSpaces = 0x800,
                            StringFormatFlagsNoWrap = 0x1000, StringFormatFlagsLineLimit = 0x2000,
                            StringFormatFlagsNoClip = 0x4000;

struct GpPointF {
  REAL X = 0, Y = 0;
};
struct GpRectF {
  REAL X = 0, Y = 0, Width = 0, Height = 0;
};
struct GpRect {
  INT X = 0, Y = 0, Width = 0, Height = 0;
};

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = 0;
  BOOL SuppressExternalCodecs = 0;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

// Opaque objects. A solid fill is a brush; the font collection is only ever
// nil (the installed fonts).
struct GpGraphics;
struct GpPath;
struct GpBrush;
struct GpSolidFill;
struct GpPen;
struct GpFontFamily;
struct GpFontCollection;
struct GpFont;
struct GpStringFormat;
struct GpImage;

// Start-up is counted: each successful GdiplusStartup hands out a token and
// needs its GdiplusShutdown; the last one frees every object still alive.
// Version 1 is the only one (others: UnsupportedGdiplusVersion).
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);
// Live objects of all kinds, for leak checks in tests.
int LiveGraphicsObjectCount();

// Graphics.
Status GdipCreateFromHDC(HDC hdc, GpGraphics** graphics);
Status GdipDeleteGraphics(GpGraphics* graphics);
Status GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
Status GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode);
Status GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
Status GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode);
// Combines the path's area with the clip: Replace, Intersect, Union, Xor,
// Exclude (clip less path) and Complement (path less clip). The clip starts
// unbounded, so Union with it changes nothing and Complement empties it.
Status GdipSetClipPath(GpGraphics* graphics, GpPath* path, CombineMode mode);
Status GdipResetClip(GpGraphics* graphics);

// Paths.
Status GdipCreatePath(GpFillMode fillMode, GpPath** path);
Status GdipDeletePath(GpPath* path);
Status GdipResetPath(GpPath* path);
Status GdipGetPointCount(GpPath* path, INT* count);
Status GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
Status GdipAddPathLineI(GpPath* path, INT x1, INT y1, INT x2, INT y2);
Status GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
Status GdipAddPathArcI(GpPath* path, INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle);
Status GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height);
Status GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height);
Status GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height);
Status GdipAddPathRectangleI(GpPath* path, INT x, INT y, INT width, INT height);
Status GdipClosePathFigure(GpPath* path);
Status GdipSetPathFillMode(GpPath* path, GpFillMode fillMode);
Status GdipGetPathFillMode(GpPath* path, GpFillMode* fillMode);

// Brushes.
Status GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
Status GdipSetSolidFillColor(GpSolidFill* brush, ARGB color);
Status GdipGetSolidFillColor(GpSolidFill* brush, ARGB* color);
Status GdipDeleteBrush(GpBrush* brush);
inline GpBrush* AsBrush(GpSolidFill* b) { return reinterpret_cast<GpBrush*>(b); }

// Pens. Width is in the pen's unit (World and Pixel: pixels).
Status GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
Status GdipCreatePen2(GpBrush* brush, REAL width, GpUnit unit, GpPen** pen);
Status GdipDeletePen(GpPen* pen);
Status GdipSetPenWidth(GpPen* pen, REAL width);
Status GdipGetPenWidth(GpPen* pen, REAL* width);
Status GdipSetPenColor(GpPen* pen, ARGB color);
Status GdipGetPenColor(GpPen* pen, ARGB* color);
Status GdipSetPenLineJoin(GpPen* pen, GpLineJoin lineJoin);
Status GdipGetPenLineJoin(GpPen* pen, GpLineJoin* lineJoin);
// The longest miter, in pen widths (from the inner to the outer corner);
// values below 1 count as 1.
Status GdipSetPenMiterLimit(GpPen* pen, REAL miterLimit);
Status GdipGetPenMiterLimit(GpPen* pen, REAL* miterLimit);

// Drawing.
Status GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
Status GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
Status GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
Status GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
Status GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
Status GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);

// Text.
Status GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection, GpFontFamily** family);
Status GdipDeleteFontFamily(GpFontFamily* family);
// The installed family that draws it ("DejaVu Sans" for Tahoma), at most
// LF_FACESIZE characters with the terminator.
Status GdipGetFamilyName(const GpFontFamily* family, WCHAR name[LF_FACESIZE], LANGID language);
Status GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit, GpFont** font);
Status GdipDeleteFont(GpFont* font);
// The em size in pixels.
Status GdipGetFontHeightGivenDPI(const GpFont* font, REAL dpi, REAL* height);
Status GdipCreateStringFormat(INT formatAttributes, LANGID language, GpStringFormat** format);
Status GdipDeleteStringFormat(GpStringFormat* format);
Status GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
Status GdipGetStringFormatAlign(GpStringFormat* format, StringAlignment* align);
Status GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);
Status GdipGetStringFormatLineAlign(GpStringFormat* format, StringAlignment* align);
Status GdipSetStringFormatFlags(GpStringFormat* format, INT flags);
// length -1: up to the terminating zero. format may be nil (near, near, wrapping).
Status GdipDrawString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                      const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush);
// The box the text takes (before clipping) and how many characters and
// lines fit.
Status GdipMeasureString(GpGraphics* graphics, const WCHAR* string, INT length, const GpFont* font,
                         const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                         INT* codepointsFitted, INT* linesFilled);

// Images.
Status GdipLoadImageFromStream(IStream* stream, GpImage** image);
Status GdipLoadImageFromStreamICM(IStream* stream, GpImage** image);
Status GdipDisposeImage(GpImage* image);
Status GdipGetImageWidth(GpImage* image, UINT* width);
Status GdipGetImageHeight(GpImage* image, UINT* height);
Status GdipDrawImage(GpGraphics* graphics, GpImage* image, REAL x, REAL y);
Status GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y);
Status GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
Status GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
// The decoded picture as straight 0xAARRGGBB pixels, top row first (tests).
Status GdipGetImagePixels(GpImage* image, const uint32_t** pixels);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
