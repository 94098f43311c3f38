// TPngImage: PNG pictures over libpng. Every colour type and bit depth is
// kept as the file has it, so an image saves back without loss:
//   Scanline(y)       colour samples, one byte each: BGR triples for colour
//                     types 2 and 6, one grey sample or palette index for the
//                     others (depths below 8 unpacked, not scaled);
//   ExtraScanline(y)  the low bytes of 16-bit samples (nullptr otherwise);
//   AlphaScanline(y)  alpha for colour types 4 and 6 (high byte at 16 bits).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/vcl/Graphic.h"

namespace vcl {

enum class TPNGTransparencyMode : Byte { ptmNone, ptmBit, ptmPartial };
enum class TInterlaceMethod : Byte { imNone, imAdam7 };

constexpr Byte COLOR_GRAYSCALE = 0, COLOR_RGB = 2, COLOR_PALETTE = 3, COLOR_GRAYSCALEALPHA = 4,
               COLOR_RGBALPHA = 6;

class TPngImage;

// The image header.
class TChunkIHDR {
 public:
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  Byte BitDepth() const { return FBitDepth; }
  Byte ColorType() const { return FColorType; }
  Byte CompressionMethod() const { return 0; }
  Byte FilterMethod() const { return 0; }
  Byte InterlaceMethod() const { return FInterlaceMethod; }

 private:
  friend class TPngImage;
  Integer FWidth = 0, FHeight = 0;
  Byte FBitDepth = 8, FColorType = COLOR_RGB, FInterlaceMethod = 0;
};

class TPngImage : public TGraphic {
  QN_GRAPHIC_CLASS(TPngImage, TGraphic)
 public:
  TPngImage() = default;
  // A blank (all-zero) image; EInvalidGraphic for a combination PNG has not.
  TPngImage(Byte ColorType, Byte BitDepth, Integer AWidth, Integer AHeight);
  static TPngImage* CreateBlank(Byte ColorType, Byte BitDepth, Integer AWidth, Integer AHeight) {
    return new TPngImage(ColorType, BitDepth, AWidth, AHeight);
  }
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return FHeader.FWidth == 0 || FHeader.FHeight == 0; }
  Integer Width() const override { return FHeader.FWidth; }
  Integer Height() const override { return FHeader.FHeight; }
  void SetWidth(Integer Value) override { Resize(Value, FHeader.FHeight); }
  void SetHeight(Integer Value) override { Resize(FHeader.FWidth, Value); }
  // Keeps the top-left part; new pixels are 0.
  void Resize(Integer CX, Integer CY);
  void SetSize(Integer AWidth, Integer AHeight) override { Resize(AWidth, AHeight); }

  TChunkIHDR* Header() { return &FHeader; }
  const TChunkIHDR* Header() const { return &FHeader; }
  TPNGTransparencyMode TransparencyMode() const;
  bool Transparent() const override { return TransparencyMode() != TPNGTransparencyMode::ptmNone; }
  // The colour made transparent by a tRNS chunk (clNone without one).
  // Setting it writes the tRNS chunk; colour types with alpha ignore it.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);
  // Whether the image carries a tRNS chunk (a transparent colour or palette
  // alpha).
  bool HasTransparencyChunk() const { return FHasTrns; }
  // Types 0 and 2 gain an alpha channel (types 4 and 6), opaque except
  // where the tRNS colour was; a palette gains an all-opaque tRNS chunk.
  void CreateAlpha();
  // Drops the alpha channel or the tRNS chunk.
  void RemoveTransparency();

  Byte* Scanline(Integer Row);
  Byte* ExtraScanline(Integer Row);
  Byte* AlphaScanline(Integer Row);
  // Palette entries (colour type 3).
  const std::vector<RGBQUAD>& Palette() const { return FPalette; }
  void SetPalette(const std::vector<RGBQUAD>& Value);
  TColor Pixels(Integer X, Integer Y) const;
  void SetPixels(Integer X, Integer Y, TColor Value);
  // The picture as straight-alpha 0xAARRGGBB pixels, top row first, with
  // any transparency applied.
  void GetARGB(std::vector<uint32_t>& Pixels) const;

  Integer CompressionLevel() const { return FCompressionLevel; }
  void SetCompressionLevel(Integer Value) { FCompressionLevel = Value < 0 ? 0 : Value > 9 ? 9 : Value; }
  TInterlaceMethod InterlaceMethod() const { return static_cast<TInterlaceMethod>(FHeader.FInterlaceMethod); }
  void SetInterlaceMethod(TInterlaceMethod Value) { FHeader.FInterlaceMethod = static_cast<Byte>(Value); }

  // Reads one PNG from the stream's position and leaves the stream after
  // its IEND chunk.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Blends with the image's transparency over the canvas.
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  struct TData;
  Integer ColorBytes() const;  // bytes of Scanline per pixel
  bool HasAlpha() const {
    return FHeader.FColorType == COLOR_GRAYSCALEALPHA || FHeader.FColorType == COLOR_RGBALPHA;
  }
  Byte Scale8(unsigned v) const;  // a grey sample of the bit depth to 8 bits
  void AssignBitmap(class TBitmap* B);
  void ReadPng(TStream* Stream);

  TChunkIHDR FHeader;
  std::vector<Byte> FData, FExtra, FAlpha, FAlphaExtra;
  std::vector<RGBQUAD> FPalette;
  std::vector<Byte> FTrnsAlpha;  // palette tRNS
  bool FHasTrns = false;
  Word FTrnsGrey = 0, FTrnsRed = 0, FTrnsGreen = 0, FTrnsBlue = 0;  // raw sample values
  Integer FCompressionLevel = 7;
};

void RegisterPngFileFormat();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
