// TJPEGImage over libjpeg: the compressed data and its decoded bitmap. A
// stream is decoded as soon as it is loaded, so bad data is rejected at once
// and the image keeps what it had.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/Bitmap.h"

namespace vcl {

enum class TJPEGPerformance : Byte { jpBestQuality, jpBestSpeed };
enum class TJPEGScale : Byte { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum class TJPEGPixelFormat : Byte { jf24Bit, jf8Bit };
using TJPEGQualityRange = Integer;  // 1..100

class TJPEGImage : public TGraphic {
  QN_GRAPHIC_CLASS(TJPEGImage, TGraphic)
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return !FBitmap || FBitmap->Empty(); }
  Integer Width() const override { return FBitmap ? FBitmap->Width() : 0; }
  Integer Height() const override { return FBitmap ? FBitmap->Height() : 0; }
  // A JPEG's size comes from its data.
  void SetWidth(Integer) override;
  void SetHeight(Integer) override;

  TJPEGQualityRange CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(TJPEGQualityRange Value);
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool Value);
  bool ProgressiveEncoding() const { return FProgressive; }
  void SetProgressiveEncoding(bool Value);
  TJPEGPerformance Performance() const { return FPerformance; }
  void SetPerformance(TJPEGPerformance Value);
  TJPEGScale Scale() const { return FScale; }
  void SetScale(TJPEGScale Value);
  TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat Value);
  bool Smoothing() const { return FSmoothing; }
  void SetSmoothing(bool Value) { FSmoothing = Value; }

  // The decoded picture (pf24bit, or pf8bit grey).
  TBitmap* Bitmap() const { return FBitmap.get(); }
  // Encodes the bitmap with the current quality when there is no data.
  void Compress();
  void JPEGNeeded() { Compress(); }
  void DIBNeeded() {}

  // Reads everything from the stream's position to its end.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 protected:
  void AssignTo(TPersistent* Dest) override;
  void ReadData(TStream* Stream) override { ReadSized(Stream); }
  void WriteData(TStream* Stream) override { WriteSized(Stream); }

 private:
  std::unique_ptr<TBitmap> Decode(const TBytes& Data) const;
  void Redecode();

  TBytes FData;
  std::unique_ptr<TBitmap> FBitmap;
  TJPEGQualityRange FQuality = 90;
  bool FGrayscale = false;
  bool FProgressive = false;
  bool FSmoothing = true;
  TJPEGPerformance FPerformance = TJPEGPerformance::jpBestQuality;
  TJPEGScale FScale = TJPEGScale::jsFullSize;
  TJPEGPixelFormat FPixelFormat = TJPEGPixelFormat::jf24Bit;
};

void RegisterJpegFileFormat();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
