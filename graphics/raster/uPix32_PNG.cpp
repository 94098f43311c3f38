#include "graphics/raster/uPix32_PNG.h"

#include <cstring>
#include <vector>

namespace qn {

namespace {

// One decode gives both the picture and its transparency: the stream is
// read once, from wherever it stands, so a PNG embedded at an offset loads
// as well as one at the start. Palette alpha (tRNS) is applied per pixel
// like an alpha channel.
bool LoadPng(TBitmap32* Dst, TStream* Src) {
  return GuardOutOfMemory([&]() -> bool {
    TPngImage png;
    png.LoadFromStream(Src);
    std::vector<uint32_t> px;
    png.GetARGB(px);
    const bool alpha = png.TransparencyMode() != TPNGTransparencyMode::ptmNone;
    if (!alpha)
      for (uint32_t& p : px) p |= 0xFF000000u;
    const Integer w = png.Width(), h = png.Height();
    Dst->BeginUpdate();
    try {
      Dst->SetSize(w, h);
      if (!Dst->Empty()) std::memcpy(Dst->Bits(), px.data(), size_t(w) * size_t(h) * 4);
    } catch (...) {
      Dst->EndUpdate();
      throw;
    }
    Dst->EndUpdate();
    Dst->Changed();
    return alpha;
  });
}

}  // namespace

void LoadPNGintoBitmap32(TBitmap32* DstBitmap, TStream* SrcStream, bool& AlphaChannelUsed) {
  AlphaChannelUsed = LoadPng(DstBitmap, SrcStream);
}

void LoadPNGintoBitmap32(TBitmap32* DstBitmap, const String& Filename, bool& AlphaChannelUsed) {
  TFileStream fs(Filename, fmOpenRead | fmShareDenyWrite);
  LoadPNGintoBitmap32(DstBitmap, &fs, AlphaChannelUsed);
}

void LoadPNGintoBitmap32(TBitmap32* DstBitmap, TStream* SrcStream) {
  const bool alpha = LoadPng(DstBitmap, SrcStream);
  DstBitmap->SetDrawMode(alpha ? TDrawMode::dmBlend : TDrawMode::dmOpaque);
}

void LoadPNGintoBitmap32(TBitmap32* DstBitmap, const String& Filename) {
  TFileStream fs(Filename, fmOpenRead | fmShareDenyWrite);
  LoadPNGintoBitmap32(DstBitmap, &fs);
}

bool BitmapToPngImage(TBitmap32* Bitmap, bool ToPalette, bool WithAlpha, TColor TransparentColor, TPngImage* Png,
                      ShortInt CompressionLevel, TInterlaceMethod InterlaceMethod) {
  if (!Bitmap || !Png) return false;
  try {
    TBitmap b;
    b.Assign(Bitmap);
    if (ToPalette) b.SetPixelFormat(TPixelFormat::pf8bit);
    Png->SetInterlaceMethod(InterlaceMethod);
    Png->SetCompressionLevel(CompressionLevel);
    Png->Assign(&b);
    if (WithAlpha) {
      Byte type = Png->Header()->ColorType();
      if (type == COLOR_PALETTE) {
        if (!Png->HasTransparencyChunk()) Png->CreateAlpha();
        if (Png->HasTransparencyChunk()) Png->SetTransparentColor(TransparentColor);
      } else if (type == COLOR_GRAYSCALE || type == COLOR_RGB) {
        Png->CreateAlpha();
      }
      type = Png->Header()->ColorType();
      if (type == COLOR_GRAYSCALEALPHA || type == COLOR_RGBALPHA) {
        const Integer w = std::min(Png->Header()->Width(), Bitmap->Width());
        const Integer h = std::min(Png->Header()->Height(), Bitmap->Height());
        for (Integer y = 0; y < h; ++y) {
          Byte* a = Png->AlphaScanline(y);
          for (Integer x = 0; x < w; ++x) a[x] = Byte(Bitmap->GetPixel(x, y) >> 24);
        }
      }
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool SaveBitmap32ToPNG(TBitmap32* Bitmap, bool Paletted, TColor32 TransparentColor, const String& FileName,
                       ShortInt CompressionLevel, TInterlaceMethod InterlaceMethod) {
  try {
    TPngImage png;
    bool result = BitmapToPngImage(Bitmap, false, Paletted, WinColor(TransparentColor), &png, CompressionLevel,
                                   InterlaceMethod);
    png.SaveToFile(FileName);
    return result;
  } catch (...) {
    return false;
  }
}

bool SaveBitmap32ToPNG(TBitmap32* Bitmap, TPngImage* Png) {
  return BitmapToPngImage(Bitmap, false, true, 0, Png, 9, TInterlaceMethod::imNone);
}

}  // namespace qn
