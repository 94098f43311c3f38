// uQnPix32Lib: the bitmap routines skinned controls fill their buffers with:
// nine-slice stretching of skin frames, tiling, fitting, fading and the
// "shake" of a picture that trembles when edited.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

// Src over Dst in one of the fill types: ftNormal at (0, 0), ftTile tiled,
// ftAutoStretch nine-slice stretched, ftCenter centred (negative offsets
// clamped to 0), ftStretch stretched, ftGradient nothing. Src draws with its
// own draw mode.
void DrawImage(TBitmap32* Src, TBitmap32* Dst, TQnPngFillType FillType);

// Nine-slice stretch of Src over the whole of Dst: corners of a third of
// each dimension (at least 1 pixel) copied 1:1, edges and centre stretched
// linearly, corners shrunk proportionally when Dst is too small for them.
// Src draws with its own draw mode. ViaDC composes the same picture through
// the device contexts of the two bitmaps instead.
void StretchBitmap(TBitmap32* Src, TBitmap32* Dst, bool ViaDC);

// What StretchBitmap would draw of Src over DstRect of Dst, drawn only in
// the band of Width pixels along DstRect's edges; the inside stays as it is.
void StretchBitmapEdges(TBitmap32* Src, TBitmap32* Dst, const TRect& DstRect, Integer Width);

// Part of Src (a frame of a state strip) nine-sliced over the whole of Dst
// as StretchBitmap draws a copy of that part made into a new skin image:
// blended at full opacity. Nothing for a part outside Src.
void StretchBitmapPart(TBitmap32* Src, const TRect& Part, TBitmap32* Dst);

// The general form: SrcRect of Src nine-sliced into DstRect of Dst with the
// given corner sizes (left, top, right, bottom of the source); Opaque copies
// instead of blending. Nothing is read outside SrcRect nor written outside
// DstRect and Dst.
void NineSliceTransfer(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, TBitmap32* Dst,
                       const TRect& DstRect, bool Opaque);
// The corner sizes StretchBitmap uses for a source of that size.
TRect ThirdCaps(Integer Width, Integer Height);

// Src scaled to cover Dst (factor: the larger of the two axis ratios plus
// Extra), centred. Flag has no effect.
void AutoStretchBitmap(TBitmap32* Src, TBitmap32* Dst, bool Flag, Single Extra = 0);

// Alpha 0..255 makes the bitmap draw blended with that master alpha; other
// values are ignored.
void ApplyAlpha(TBitmap32* Bitmap, Integer Alpha);

// Rotates the picture in place by Amount degrees about a pivot at the same
// fraction of width and height, drawn from the run-time library's seedable
// Random among 0.3, 0.4 ... 0.9. Uncovered pixels become opaque white; the
// bitmap draws opaque afterwards.
void ShakeBitmap(TBitmap32* Bitmap, Single Amount);

// Src repeated over the whole of Dst from (0, 0).
void TileBitmap(TBitmap32* Src, TBitmap32* Dst);

// Box blur of the colour channels in place: each pixel becomes the mean of
// the (2 Radius + 1) square around it, rows then columns, with the edge
// pixels repeated beyond the border; alpha is kept. Radius <= 0 does nothing.
void BoxBlurBitmap(TBitmap32* Bitmap, Integer Radius);

// The tint of skinned pictures, in place: each colour is taken to hue,
// saturation and brightness (hexcone model), the hue turned by H degrees,
// saturation and brightness moved by S and B percentage points, each held
// in range, and taken back; alpha is kept. 0, 0, 0 changes no pixel.
void TintBitmapHSB(TBitmap32* Bitmap, Integer H, Integer S, Integer B);

// ---------------------------------------------------------------------------
// The cache of stretched frames. Skinned controls stretch the same frames to
// the same sizes on every paint; with the cache on (the default), a result
// is kept by (source image, source rectangle, slice sizes, target size) and
// copied out, for the nine- and three-slice routines alike. Only images the store handed out are kept, and
// the whole cache is dropped once the store's generation moves (an image
// replaced, reloaded or deleted). Pixels are the same either way.

void SetStretchCacheEnabled(bool Value);
bool StretchCacheEnabled();
void ClearStretchCache();
Integer StretchCacheCount();
// At most this many results, of at most this many pixels together, are
// kept; the least recently used goes first.
inline constexpr Integer StretchCacheCapacity = 64;
inline constexpr Int64 StretchCachePixels = Int64(4) << 20;

// Every cache of the skinned controls' painting at once (the stretched
// frames and the edit's character advances), on by default; off, each
// picture is made afresh, for tests that compare the two.
void SetSkinCachesEnabled(bool Value);
bool SkinCachesEnabled();

namespace detail {
// The cached nine-slice of SrcRect of Src (Caps) to W x H as an opaque
// copy, or nil when the cache is off or does not keep Src; the result
// belongs to the cache.
TBitmap32* CachedNineSlice(TBitmap32* Src, const TRect& SrcRect, const TRect& Caps, Integer W, Integer H);
// ShakeBitmap's turn with the pivot fraction given. General samples every
// pixel through the linear resampler; the others give the same pixels bit
// for bit, several times faster, where they can: Best with the widest
// vectors the processor has, Narrow with 128-bit ones (tests compare them).
enum class TShakeLoopKind { Best, Narrow, General };
void RotateBitmapAbout(TBitmap32* Bitmap, Single Amount, Single Pivot, TShakeLoopKind Loop);
}  // namespace detail

void DoneQnPix32Lib();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
