// uPix32_PNG: between TBitmap32 and the platform's PNG images. Loading gives
// straight (not premultiplied) alpha and says whether the picture carries
// transparency; saving writes the bitmap's alpha along.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn.h"
#include "platform/vcl/PngImage.h"

namespace qn {

// From the stream's current position; the stream is left after the PNG. A
// stream that holds no valid PNG raises the platform's error and leaves the
// bitmap as it was.
void LoadPNGintoBitmap32(TBitmap32* DstBitmap, TStream* SrcStream, bool& AlphaChannelUsed);
void LoadPNGintoBitmap32(TBitmap32* DstBitmap, const String& Filename, bool& AlphaChannelUsed);
// Without the flag the bitmap's draw mode says it: dmBlend with
// transparency, dmOpaque without.
void LoadPNGintoBitmap32(TBitmap32* DstBitmap, TStream* SrcStream);
void LoadPNGintoBitmap32(TBitmap32* DstBitmap, const String& Filename);

// Paletted means "with alpha": the bitmap's alpha goes into the file. The
// file is written whatever the conversion gave; False when either failed.
bool SaveBitmap32ToPNG(TBitmap32* Bitmap, bool Paletted, TColor32 TransparentColor, const String& FileName,
                       ShortInt CompressionLevel = 9, TInterlaceMethod InterlaceMethod = TInterlaceMethod::imNone);
// Fills Png with the picture and its alpha.
bool SaveBitmap32ToPNG(TBitmap32* Bitmap, TPngImage* Png);

// The converter under both: never raises, answers False instead.
bool BitmapToPngImage(TBitmap32* Bitmap, bool ToPalette, bool WithAlpha, TColor TransparentColor, TPngImage* Png,
                      ShortInt CompressionLevel, TInterlaceMethod InterlaceMethod);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
