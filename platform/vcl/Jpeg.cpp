// JPEG over libjpeg. Its errors leave through error_exit by longjmp, so
// every call into the library happens in small functions whose frames hold
// no objects with destructors; the caller owns the buffers and the guard
// that destroys the library's state.
#include "platform/vcl/Jpeg.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csetjmp>

#include <jpeglib.h>
#include <jerror.h>

namespace vcl {

namespace {

struct TJpegErr {
  jpeg_error_mgr Pub;
  jmp_buf Jump;
  bool CutShort;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr c) {
  auto* e = reinterpret_cast<TJpegErr*>(c->err);
  (*c->err->format_message)(c, e->Message);
  longjmp(e->Jump, 1);
}

void EmitMessage(j_common_ptr c, int level) {
  auto* e = reinterpret_cast<TJpegErr*>(c->err);
  // Data that ends early is only a warning to the library; a picture
  // missing its end is not one we accept.
  if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF) e->CutShort = true;
  if (level < 0) ++c->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

void InitErr(TJpegErr& e) {
  jpeg_std_error(&e.Pub);
  e.Pub.error_exit = ErrorExit;
  e.Pub.emit_message = EmitMessage;
  e.Pub.output_message = OutputMessage;
  e.CutShort = false;
  e.Message[0] = 0;
}

struct TDecodeParams {
  int ScaleDenom;
  bool Gray;
  bool Fast;
  bool Smooth;
};

int DecodeHeader(jpeg_decompress_struct* d, TJpegErr* e, const Byte* data, unsigned long size) {
  if (setjmp(e->Jump)) return 0;
  jpeg_create_decompress(d);
  jpeg_mem_src(d, const_cast<Byte*>(data), size);
  jpeg_read_header(d, TRUE);
  return 1;
}

int DecodeStart(jpeg_decompress_struct* d, TJpegErr* e, const TDecodeParams* p) {
  if (setjmp(e->Jump)) return 0;
  d->scale_num = 1;
  d->scale_denom = unsigned(p->ScaleDenom);
  if (p->Gray || d->jpeg_color_space == JCS_GRAYSCALE) d->out_color_space = JCS_GRAYSCALE;
  else if (d->jpeg_color_space == JCS_CMYK || d->jpeg_color_space == JCS_YCCK) d->out_color_space = JCS_CMYK;
  else d->out_color_space = JCS_RGB;
  d->dct_method = p->Fast ? JDCT_IFAST : JDCT_ISLOW;
  d->do_fancy_upsampling = p->Smooth && !p->Fast ? TRUE : FALSE;
  jpeg_start_decompress(d);
  return 1;
}

int DecodeRow(jpeg_decompress_struct* d, TJpegErr* e, Byte* row) {
  if (setjmp(e->Jump)) return 0;
  JSAMPROW r = row;
  jpeg_read_scanlines(d, &r, 1);
  return 1;
}

int DecodeFinish(jpeg_decompress_struct* d, TJpegErr* e) {
  if (setjmp(e->Jump)) return 0;
  jpeg_finish_decompress(d);
  return 1;
}

struct TEncodeParams {
  int Width, Height, Components, Quality;
  bool Progressive;
  const Byte* Rows;
  size_t Stride;
};

int Encode(jpeg_compress_struct* c, TJpegErr* e, const TEncodeParams* p, unsigned char** out, unsigned long* size) {
  if (setjmp(e->Jump)) return 0;
  jpeg_create_compress(c);
  jpeg_mem_dest(c, out, size);
  c->image_width = JDIMENSION(p->Width);
  c->image_height = JDIMENSION(p->Height);
  c->input_components = p->Components;
  c->in_color_space = p->Components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(c);
  jpeg_set_quality(c, p->Quality, TRUE);
  if (p->Progressive) jpeg_simple_progression(c);
  jpeg_start_compress(c, TRUE);
  while (c->next_scanline < c->image_height) {
    JSAMPROW row = const_cast<Byte*>(p->Rows + size_t(c->next_scanline) * p->Stride);
    jpeg_write_scanlines(c, &row, 1);
  }
  jpeg_finish_compress(c);
  return 1;
}

[[noreturn]] void InvalidJpeg(const TJpegErr& e) {
  String msg = u"JPEG image is not valid";
  if (e.Message[0]) msg += u": " + FromUtf8(e.Message);
  throw EInvalidGraphic(msg);
}

}  // namespace

void RegisterJpegFileFormat() {
  for (const char16_t* ext : {u"jpg", u"jpeg", u"jpe", u"jfif"})
    TPicture::RegisterFileFormat(ext, u"JPEG Image File", TJPEGImage::StaticClass());
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::SetWidth(Integer) { throw EInvalidGraphicOperation(u"Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(Integer) { throw EInvalidGraphicOperation(u"Cannot change the size of a JPEG image"); }

std::unique_ptr<TBitmap> TJPEGImage::Decode(const TBytes& Data) const {
  if (Data.size() < 4) throw EInvalidGraphic(u"JPEG image is not valid");
  TJpegErr e;
  InitErr(e);
  jpeg_decompress_struct d;
  std::memset(&d, 0, sizeof d);
  d.err = &e.Pub;
  struct TGuard {
    jpeg_decompress_struct* D;
    ~TGuard() { jpeg_destroy_decompress(D); }
  } guard{&d};
  if (!DecodeHeader(&d, &e, Data.data(), static_cast<unsigned long>(Data.size()))) InvalidJpeg(e);
  if (d.image_width == 0 || d.image_height == 0 ||
      Int64(d.image_width) * Int64(d.image_height) > std::min<Int64>(MaxGraphicPixels(), Int64(1) << 28))
    throw EInvalidGraphic(u"JPEG image is not valid: image too large");
  // Huffman coding spends at least a bit on every 8x8 block of the
  // full-resolution component, so a picture with more blocks than the data
  // has bits cannot come from it; refusing it here keeps a small file from
  // making the decoder and the bitmap take memory for a picture it lacks.
  // Arithmetic coding can spend less than a bit on a flat block, though real
  // files stay far below sixteen blocks a bit over a whole picture; without a
  // bound a few bytes could still demand the largest picture allowed.
  const Int64 blocks = Int64((d.image_width + 7) / 8) * Int64((d.image_height + 7) / 8);
  if (blocks > Int64(Data.size()) * 8 * (d.arith_code ? 16 : 1))
    throw EInvalidGraphic(u"JPEG image is not valid: the data is too short for its size");
  d.mem->max_memory_to_use = 512L << 20;
  TDecodeParams p{1 << static_cast<int>(FScale), FGrayscale || FPixelFormat == TJPEGPixelFormat::jf8Bit,
                  FPerformance == TJPEGPerformance::jpBestSpeed, FSmoothing};
  const auto cutShort = [] { throw EInvalidGraphic(u"JPEG image is not valid: the data ends early"); };
  if (!DecodeStart(&d, &e, &p)) InvalidJpeg(e);
  // A multi-scan picture is read whole before its first row comes out.
  if (e.CutShort) cutShort();
  int comps = d.output_components;
  Integer w = Integer(d.output_width), h = Integer(d.output_height);
  size_t stride = size_t(w) * size_t(comps);
  // The rows grow as they are decoded, and decoding stops at the first row
  // the data does not reach: the decoder would make up the rest.
  std::vector<Byte> buf;
  while (d.output_scanline < d.output_height) {
    size_t at = size_t(d.output_scanline) * stride;
    buf.resize(at + stride);
    JDIMENSION before = d.output_scanline;
    if (!DecodeRow(&d, &e, buf.data() + at)) InvalidJpeg(e);
    if (e.CutShort || d.output_scanline == before) cutShort();
  }
  if (!DecodeFinish(&d, &e)) InvalidJpeg(e);
  if (e.CutShort) cutShort();
  bool adobe = d.saw_Adobe_marker;
  auto b = std::make_unique<TBitmap>();
  if (comps == 1) {
    b->SetPixelFormat(TPixelFormat::pf8bit);
    std::vector<RGBQUAD> grey(256);
    for (int i = 0; i < 256; ++i) grey[size_t(i)] = {Byte(i), Byte(i), Byte(i), 0};
    b->SetColors(grey);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y) std::memcpy(b->ScanLine(y), &buf[size_t(y) * stride], size_t(w));
  } else {
    b->SetPixelFormat(TPixelFormat::pf24bit);
    b->SetSize(w, h);
    for (Integer y = 0; y < h; ++y) {
      auto* out = static_cast<Byte*>(b->ScanLine(y));
      const Byte* in = &buf[size_t(y) * stride];
      for (Integer x = 0; x < w; ++x) {
        Byte r, g, bl;
        if (comps == 4) {
          // Inverted CMYK as the common writers store it.
          unsigned c = in[4 * x], m = in[4 * x + 1], yy = in[4 * x + 2], k = in[4 * x + 3];
          if (!adobe) { c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k; }
          r = Byte(c * k / 255);
          g = Byte(m * k / 255);
          bl = Byte(yy * k / 255);
        } else {
          r = in[3 * x];
          g = in[3 * x + 1];
          bl = in[3 * x + 2];
        }
        out[3 * x] = bl;
        out[3 * x + 1] = g;
        out[3 * x + 2] = r;
      }
    }
  }
  return b;
}

void TJPEGImage::Redecode() {
  if (FData.empty()) return;
  FBitmap = Decode(FData);
  Changed(this);
}

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange Value) {
  FQuality = Value < 1 ? 1 : Value > 100 ? 100 : Value;
}

void TJPEGImage::SetGrayscale(bool Value) {
  if (Value == FGrayscale) return;
  FGrayscale = Value;
  Redecode();
}

void TJPEGImage::SetProgressiveEncoding(bool Value) { FProgressive = Value; }

void TJPEGImage::SetPerformance(TJPEGPerformance Value) {
  if (Value == FPerformance) return;
  FPerformance = Value;
  Redecode();
}

void TJPEGImage::SetScale(TJPEGScale Value) {
  if (Value == FScale) return;
  FScale = Value;
  Redecode();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value) {
  if (Value == FPixelFormat) return;
  FPixelFormat = Value;
  Redecode();
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] {
    Int64 left = Stream->Size() - Stream->Position();
    if (left <= 0 || left > (Int64(1) << 30)) throw EInvalidGraphic(u"JPEG image is not valid");
    TBytes data(static_cast<size_t>(left));
    Stream->ReadBuffer(data.data(), Integer(left));
    std::unique_ptr<TBitmap> b = Decode(data);
    FData.swap(data);
    FBitmap = std::move(b);
    Changed(this);
  });
}

void TJPEGImage::Compress() {
  if (!FData.empty() || Empty()) return;
  TBitmap tmp;
  tmp.Assign(FBitmap.get());
  bool grey = FGrayscale;
  tmp.SetHandleType(TBitmapHandleType::bmDIB);
  tmp.SetPixelFormat(TPixelFormat::pf24bit);
  Integer w = tmp.Width(), h = tmp.Height();
  int comps = grey ? 1 : 3;
  size_t stride = size_t(w) * size_t(comps);
  std::vector<Byte> rows(stride * size_t(h));
  for (Integer y = 0; y < h; ++y) {
    auto* in = static_cast<const Byte*>(tmp.ScanLine(y));
    Byte* out = &rows[size_t(y) * stride];
    for (Integer x = 0; x < w; ++x) {
      Byte b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
      if (grey) {
        out[x] = Byte((r * 77u + g * 150u + b * 29u + 128) >> 8);
      } else {
        out[3 * x] = r;
        out[3 * x + 1] = g;
        out[3 * x + 2] = b;
      }
    }
  }
  TJpegErr e;
  InitErr(e);
  jpeg_compress_struct c;
  std::memset(&c, 0, sizeof c);
  c.err = &e.Pub;
  unsigned char* out = nullptr;
  unsigned long size = 0;
  TEncodeParams p{w, h, comps, FQuality, FProgressive, rows.data(), stride};
  int ok = Encode(&c, &e, &p, &out, &size);
  jpeg_destroy_compress(&c);
  if (ok && out) FData.assign(out, out + size);
  std::free(out);
  if (!ok) throw EInvalidGraphicOperation(FromUtf8(e.Message));
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  Compress();
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), Integer(FData.size()));
}

void TJPEGImage::Assign(TPersistent* Source) {
  if (auto* j = dynamic_cast<TJPEGImage*>(Source)) {
    if (j == this) return;
    FData = j->FData;
    FBitmap.reset();
    if (j->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(j->FBitmap.get());
    }
    FQuality = j->FQuality;
    FGrayscale = j->FGrayscale;
    FProgressive = j->FProgressive;
    FPerformance = j->FPerformance;
    FScale = j->FScale;
    FPixelFormat = j->FPixelFormat;
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    auto nb = std::make_unique<TBitmap>();
    nb->Assign(b);
    if (!nb->Empty()) {
      nb->SetHandleType(TBitmapHandleType::bmDIB);
      nb->SetPixelFormat(TPixelFormat::pf24bit);
    }
    nb->SetTransparent(false);
    FBitmap = std::move(nb);
    FData.clear();
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    if (FBitmap) b->Assign(FBitmap.get());
    else b->Assign(nullptr);
    return;
  }
  inherited::AssignTo(Dest);
}

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FBitmap) FBitmap->Draw(ACanvas, Rect);
}

}  // namespace vcl
