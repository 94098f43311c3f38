// TBitmap: a picture in a DIB section (or a device-dependent bitmap) of one
// of the platform's pixel formats, with a canvas that draws into it and BMP
// files of every depth for storage.
//
// DIB rows are kept bottom-up, as the platform does: ScanLine(0) is the top
// row and lies at the end of the pixel memory. GDI drawing leaves the alpha
// byte of every pixel it touches at 0 (see Gdi.h); code that needs opacity
// in a pf32bit bitmap after drawing with the canvas sets alpha itself.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/vcl/Graphic.h"

namespace vcl {

enum class TPixelFormat : Byte { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TBitmapHandleType : Byte { bmDIB, bmDDB };
enum class TAlphaFormat : Byte { afIgnored, afDefined, afPremultiplied };
enum class TTransparentMode : Byte { tmAuto, tmFixed };

// Bits per pixel of a format (pfDevice: the device's 32).
Integer PixelFormatBits(TPixelFormat Format);

class TBitmapCanvas;

class TBitmap : public TGraphic {
  QN_GRAPHIC_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  TBitmap(Integer AWidth, Integer AHeight);
  ~TBitmap() override;

  void Assign(TPersistent* Source) override;

  bool Empty() const override { return FWidth <= 0 || FHeight <= 0; }
  Integer Width() const override { return FWidth; }
  Integer Height() const override { return FHeight; }
  void SetWidth(Integer Value) override { SetSize(Value, FHeight); }
  void SetHeight(Integer Value) override { SetSize(FWidth, Value); }
  // Keeps the picture's top-left part; new pixels are 0.
  void SetSize(Integer AWidth, Integer AHeight) override;

  // Changing the format converts the pixels (palettes by nearest colour;
  // alpha survives only between 32-bit forms).
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  TBitmapHandleType HandleType() const { return FHandleType; }
  void SetHandleType(TBitmapHandleType Value);
  // How Draw treats the alpha bytes of a pf32bit bitmap: afIgnored copies,
  // afDefined blends straight alpha, afPremultiplied blends the bytes as they
  // are. The pixels themselves are never rewritten.
  TAlphaFormat AlphaFormat() const { return FAlphaFormat; }
  void SetAlphaFormat(TAlphaFormat Value);
  bool Monochrome() const { return FPixelFormat == TPixelFormat::pf1bit; }
  void SetMonochrome(bool Value);

  // tmAuto takes the bottom-left pixel's colour; setting a colour fixes it
  // (clDefault returns to tmAuto).
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  TCanvas* Canvas();
  // The bitmap's GDI handle (nullptr while empty). Setting one takes it
  // over: a 32-bit DIB section is used as it is (its memory stays the
  // pixels); other bitmaps are copied into a bitmap of ours and deleted.
  HBITMAP Handle();
  void SetHandle(HBITMAP Value);
  // Gives the handle to the caller, who then owns it; the bitmap is empty.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The colour table of a palette format (empty for the others).
  const std::vector<RGBQUAD>& Colors() const { return FColors; }
  // A logical palette of the colour table (nullptr for formats without
  // one); the bitmap owns it.
  HPALETTE Palette();
  // Replaces the colour table of a palette format; the indices are kept.
  void SetColors(const std::vector<RGBQUAD>& Value);

  // Row 0 is the top row. A device-dependent bitmap becomes a DIB first.
  // EInvalidGraphic "Scan line index out of range" outside 0..Height-1.
  void* ScanLine(Integer Row);
  Integer BytesPerScanLine() const;

  // BMP files: BITMAPCOREHEADER, BITMAPINFOHEADER and the V4/V5 headers;
  // depths 1, 4, 8, 16, 24 and 32; BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS;
  // rows in either order. Saving writes BITMAPINFOHEADER files, bottom-up,
  // uncompressed (pf16bit as BI_BITFIELDS 5-6-5).
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // A bitmap resource: a packed DIB without the file header.
  void LoadFromResourceName(NativeUInt Instance, const String& ResName);
  void LoadFromResourceID(NativeUInt Instance, Integer ResID);
  void Dormant() {}
  void FreeImage() {}

  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void DrawTransparent(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) override;

 protected:
  void Changed(TObject* Sender) override;
  void AssignTo(TPersistent* Dest) override;
  void ReadData(TStream* Stream) override { ReadSized(Stream); }
  void WriteData(TStream* Stream) override { WriteSized(Stream); }

 private:
  friend class TBitmapCanvas;
  struct TImage;
  void Commit(TImage& Img);
  void NewImage(Integer W, Integer H, TPixelFormat Format, TBitmapHandleType Type,
                const std::vector<RGBQUAD>* Colors);
  void FreeHandle();
  void CopyPixels(HBITMAP From, Integer W, Integer H);
  void LoadDIB(TStream* Stream, bool FileHeader);
  // A 32-bit DC holding the picture for drawing (premultiplied when asked).
  HBITMAP MakeAlphaSource(bool Premultiply);

  Integer FWidth = 0;
  Integer FHeight = 0;
  TPixelFormat FPixelFormat = TPixelFormat::pfDevice;
  TBitmapHandleType FHandleType = TBitmapHandleType::bmDIB;
  TAlphaFormat FAlphaFormat = TAlphaFormat::afIgnored;
  TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
  TColor FTransparentColor = clDefault;
  HBITMAP FHandle = nullptr;
  Byte* FBits = nullptr;  // DIB memory (bottom row first unless FTopDown)
  bool FTopDown = false;  // an adopted top-down DIB section
  std::vector<RGBQUAD> FColors;
  HPALETTE FPalette = nullptr;
  std::unique_ptr<TBitmapCanvas> FCanvas;
};

// The sizes of a bitmap's BITMAPINFO (header and colour table) and pixel
// rows at its own depth, for GetDIB.
void GetDIBSizes(HBITMAP Bitmap, DWORD& InfoHeaderSize, DWORD& ImageSize);
// Fills BitmapInfo (InfoHeaderSize bytes) and Bits (ImageSize bytes) with
// the bitmap as a bottom-up BI_RGB DIB of its depth. The palette is
// accepted for the platform's signature; colour tables are the DIB's.
bool GetDIB(HBITMAP Bitmap, HPALETTE Palette, void* BitmapInfo, void* Bits);

// The canvas of a bitmap: its DC is a memory DC holding the bitmap, made on
// first use and dropped when the bitmap changes its handle.
class TBitmapCanvas : public TCanvas {
  QN_CLASS(TBitmapCanvas, TCanvas)
 public:
  explicit TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}
  ~TBitmapCanvas() override;
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap;
  HDC FDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
