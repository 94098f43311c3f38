#include "platform/vcl/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/GdiSurface.h"

namespace vcl {

namespace {

constexpr Int64 kMaxPixels = Int64(1) << 28;

Integer StrideOf(Integer w, Integer bpp) { return Integer(((Int64(w) * bpp + 31) / 32) * 4); }

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(u"Bitmap image is not valid"); }

// A memory DC holding a bitmap for the length of a transfer.
struct TTempDC {
  HDC DC = nullptr;
  HGDIOBJ Old = nullptr;
  explicit TTempDC(HBITMAP b) {
    DC = CreateCompatibleDC(nullptr);
    if (DC && b) Old = SelectObject(DC, b);
  }
  ~TTempDC() {
    if (!DC) return;
    if (Old) SelectObject(DC, Old);
    DeleteDC(DC);
  }
  TTempDC(const TTempDC&) = delete;
  TTempDC& operator=(const TTempDC&) = delete;
};

struct TBmpInfo {
  BITMAPINFOHEADER H;
  RGBQUAD Colors[256];
};

DWORD Get32(const Byte* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }
Word Get16(const Byte* p) { return Word(p[0] | (p[1] << 8)); }

int MaskShift(DWORD m) { return m ? __builtin_ctz(m) : 0; }
int MaskBits(DWORD m) { return m ? __builtin_popcount(m >> MaskShift(m)) : 0; }
// A channel scaled to 8 bits, by replicating its top bits.
Byte Channel(DWORD v, DWORD mask) {
  if (!mask) return 0;
  DWORD x = (v & mask) >> MaskShift(mask);
  int n = MaskBits(mask);
  if (n > 8) return Byte(x >> (n - 8));
  if (n == 8) return Byte(x);
  DWORD r = 0;
  for (int got = 0; got < 8; got += n) r = (r << n) | x;
  return Byte(r >> (((8 + n - 1) / n) * n - 8));
}

// A mask is usable when it is one run of bits.
bool ContiguousMask(DWORD m) {
  if (!m) return true;
  DWORD x = m >> MaskShift(m);
  return (x & (x + 1)) == 0;
}

}  // namespace

Integer PixelFormatBits(TPixelFormat Format) {
  switch (Format) {
    case TPixelFormat::pf1bit: return 1;
    case TPixelFormat::pf4bit: return 4;
    case TPixelFormat::pf8bit: return 8;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: return 16;
    case TPixelFormat::pf24bit: return 24;
    default: return 32;
  }
}

// A decoded picture waiting to become the bitmap's image.
struct TBitmap::TImage {
  Integer W = 0, H = 0;
  TPixelFormat Format = TPixelFormat::pf32bit;
  std::vector<RGBQUAD> Colors;
  std::vector<Byte> Bits;  // bottom-up rows of the format's stride
};

// ---------------------------------------------------------------------------
// Construction and the image

TBitmap::TBitmap() = default;

TBitmap::TBitmap(Integer AWidth, Integer AHeight) { SetSize(AWidth, AHeight); }

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FHandle) DeleteObject(FHandle);
  if (FPalette) DeleteObject(FPalette);
}

HPALETTE TBitmap::Palette() {
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
  if (FColors.empty()) return nullptr;
  std::vector<Byte> mem(sizeof(LOGPALETTE) + FColors.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = Word(FColors.size());
  for (size_t i = 0; i < FColors.size(); ++i)
    lp->palPalEntry[i] = {FColors[i].rgbRed, FColors[i].rgbGreen, FColors[i].rgbBlue, 0};
  FPalette = CreatePalette(lp);
  return FPalette;
}

namespace {
bool DIBFormatOf(HBITMAP Bitmap, BITMAP& bm, DWORD& info, DWORD& image) {
  if (!Bitmap || GetObject(Bitmap, sizeof bm, &bm) == 0) return false;
  Integer bpp = bm.bmBitsPixel;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24) bpp = 32;
  bm.bmBitsPixel = Word(bpp);
  info = DWORD(sizeof(BITMAPINFOHEADER)) + (bpp <= 8 ? DWORD(4) << bpp : 0);
  image = DWORD(StrideOf(bm.bmWidth, bpp)) * DWORD(bm.bmHeight);
  return true;
}
}  // namespace

void GetDIBSizes(HBITMAP Bitmap, DWORD& InfoHeaderSize, DWORD& ImageSize) {
  BITMAP bm;
  if (!DIBFormatOf(Bitmap, bm, InfoHeaderSize, ImageSize)) throw EInvalidGraphic(u"Bitmap image is not valid");
}

bool GetDIB(HBITMAP Bitmap, HPALETTE, void* BitmapInfo, void* Bits) {
  BITMAP bm;
  DWORD info, image;
  if (!BitmapInfo || !Bits || !DIBFormatOf(Bitmap, bm, info, image)) return false;
  std::memset(BitmapInfo, 0, info);
  auto* h = static_cast<BITMAPINFOHEADER*>(BitmapInfo);
  h->biSize = sizeof(BITMAPINFOHEADER);
  h->biWidth = bm.bmWidth;
  h->biHeight = bm.bmHeight;
  h->biPlanes = 1;
  h->biBitCount = bm.bmBitsPixel;
  h->biCompression = BI_RGB;
  h->biSizeImage = image;
  return GetDIBits(nullptr, Bitmap, 0, UINT(bm.bmHeight), Bits, static_cast<BITMAPINFO*>(BitmapInfo),
                   DIB_RGB_COLORS) == bm.bmHeight;
}

void TBitmap::FreeHandle() {
  if (FCanvas) FCanvas->FreeContext();
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FBits = nullptr;
}

void TBitmap::NewImage(Integer W, Integer H, TPixelFormat Format, TBitmapHandleType Type,
                       const std::vector<RGBQUAD>* Colors) {
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP h = nullptr;
  Byte* bits = nullptr;
  std::vector<RGBQUAD> colors;
  Integer bpp = PixelFormatBits(Format);
  if (W > 0 && H > 0) {
    if (Int64(W) * H > kMaxPixels) throw EOutOfResources(u"Out of system resources");
    if (Type == TBitmapHandleType::bmDDB && bpp == 32) {
      h = CreateCompatibleBitmap(nullptr, W, H);
    } else {
      TBmpInfo bi;
      bi.H.biWidth = W;
      bi.H.biHeight = H;
      bi.H.biBitCount = Word(bpp);
      bi.H.biCompression = BI_RGB;
      if (Format == TPixelFormat::pf16bit) {
        bi.H.biCompression = BI_BITFIELDS;
        DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(bi.Colors, masks, sizeof masks);
      } else if (bpp <= 8) {
        colors = Colors && !Colors->empty() ? *Colors : DefaultColorTable(bpp);
        if (colors.size() > (size_t(1) << bpp)) colors.resize(size_t(1) << bpp);
        bi.H.biClrUsed = DWORD(colors.size());
        std::copy(colors.begin(), colors.end(), bi.Colors);
      }
      void* p = nullptr;
      h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &p, nullptr, 0);
      bits = static_cast<Byte*>(p);
      Type = TBitmapHandleType::bmDIB;
    }
    if (!h) throw EOutOfResources(u"Out of system resources");
  }
  if (FHandle) DeleteObject(FHandle);
  FHandle = h;
  FBits = bits;
  FTopDown = false;
  // A bitmap with one side 0 has no pixels but keeps the other side, so
  // setting Width and then Height gives the expected size.
  FWidth = W > 0 ? W : 0;
  FHeight = H > 0 ? H : 0;
  FPixelFormat = Format;
  FHandleType = Type;
  FColors = std::move(colors);
}

void TBitmap::CopyPixels(HBITMAP From, Integer W, Integer H) {
  if (!From || !FHandle) return;
  TTempDC src(From), dst(FHandle);
  BitBlt(dst.DC, 0, 0, std::min(W, FWidth), std::min(H, FHeight), src.DC, 0, 0, SRCCOPY);
}

void TBitmap::Commit(TImage& Img) {
  NewImage(Img.W, Img.H, Img.Format, TBitmapHandleType::bmDIB, &Img.Colors);
  if (FBits && !Img.Bits.empty())
    std::memcpy(FBits, Img.Bits.data(), std::min<size_t>(Img.Bits.size(), size_t(BytesPerScanLine()) * size_t(FHeight)));
  Changed(this);
}

void TBitmap::SetSize(Integer AWidth, Integer AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (AWidth == FWidth && AHeight == FHeight) return;
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP old = FHandle;
  Byte* oldBits = FBits;
  bool oldTopDown = FTopDown;
  Integer ow = FWidth, oh = FHeight, ostride = BytesPerScanLine();
  std::vector<RGBQUAD> colors = FColors;
  FHandle = nullptr;
  try {
    NewImage(AWidth, AHeight, FPixelFormat, FHandleType, &colors);
  } catch (...) {
    FHandle = old;
    FBits = oldBits;
    FTopDown = oldTopDown;
    FWidth = ow;
    FHeight = oh;
    FColors = colors;
    throw;
  }
  if (old) {
    if (oldBits && FBits) {
      // Same format: rows move as bytes, so palette indices stay exact.
      Integer stride = BytesPerScanLine();
      for (Integer y = 0; y < std::min(oh, FHeight); ++y)
        std::memcpy(FBits + size_t(FHeight - 1 - y) * size_t(stride),
                    oldBits + size_t(oldTopDown ? y : oh - 1 - y) * size_t(ostride), size_t(std::min(stride, ostride)));
    } else {
      CopyPixels(old, ow, oh);
    }
    DeleteObject(old);
  }
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat || Value == TPixelFormat::pfCustom) return;
  if (Empty() || (PixelFormatBits(Value) == 32 && PixelFormatBits(FPixelFormat) == 32 &&
                  FHandleType == TBitmapHandleType::bmDIB)) {
    FPixelFormat = Value;
    FColors = Value <= TPixelFormat::pf8bit && Value != TPixelFormat::pfDevice ? DefaultColorTable(PixelFormatBits(Value))
                                                                              : std::vector<RGBQUAD>{};
    Changed(this);
    return;
  }
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP old = FHandle;
  FHandle = nullptr;
  Integer w = FWidth, h = FHeight;
  TBitmapHandleType type = Value == TPixelFormat::pfDevice ? FHandleType : TBitmapHandleType::bmDIB;
  try {
    NewImage(w, h, Value, type, nullptr);
  } catch (...) {
    FHandle = old;
    throw;
  }
  CopyPixels(old, w, h);
  DeleteObject(old);
  Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == FHandleType) return;
  if (Empty()) {
    FHandleType = Value;
    if (Value == TBitmapHandleType::bmDDB) FPixelFormat = TPixelFormat::pfDevice;
    return;
  }
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP old = FHandle;
  FHandle = nullptr;
  Integer w = FWidth, h = FHeight;
  TPixelFormat f = Value == TBitmapHandleType::bmDDB ? TPixelFormat::pfDevice : FPixelFormat;
  try {
    NewImage(w, h, f, Value, nullptr);
  } catch (...) {
    FHandle = old;
    throw;
  }
  CopyPixels(old, w, h);
  DeleteObject(old);
  Changed(this);
}

void TBitmap::SetAlphaFormat(TAlphaFormat Value) {
  if (Value == FAlphaFormat) return;
  FAlphaFormat = Value;
  Changed(this);
}

void TBitmap::SetMonochrome(bool Value) {
  if (Value == Monochrome()) return;
  SetPixelFormat(Value ? TPixelFormat::pf1bit : TPixelFormat::pfDevice);
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor && FTransparentMode == (Value == clDefault ? TTransparentMode::tmAuto
                                                                              : TTransparentMode::tmFixed))
    return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == TTransparentMode::tmAuto) FTransparentColor = clDefault;
  else if (FTransparentColor == clDefault) FTransparentColor = TransparentColor();
  FTransparentMode = Value;
  Changed(this);
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = TNotifyEvent(this, &TBitmap::Changed);
  }
  return FCanvas.get();
}

HBITMAP TBitmap::Handle() { return FHandle; }

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  if (!Value) {
    FreeHandle();
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  BITMAP bm;
  if (GetObject(Value, sizeof bm, &bm) == 0) throw EInvalidGraphic(u"Bitmap image is not valid");
  DIBSECTION ds;
  if (GetObject(Value, sizeof ds, &ds) == int(sizeof ds) && ds.dsBm.bmBits && ds.dsBm.bmBitsPixel == 32 &&
      (ds.dsBmih.biCompression == BI_RGB ||
       (ds.dsBitfields[0] == 0xFF0000 && ds.dsBitfields[1] == 0xFF00 && ds.dsBitfields[2] == 0xFF))) {
    FreeHandle();
    FHandle = Value;
    FBits = static_cast<Byte*>(ds.dsBm.bmBits);
    FTopDown = ds.dsBmih.biHeight < 0;
    FWidth = ds.dsBm.bmWidth;
    FHeight = ds.dsBm.bmHeight;
    FPixelFormat = TPixelFormat::pf32bit;
    FHandleType = TBitmapHandleType::bmDIB;
    FColors.clear();
    Changed(this);
    return;
  }
  // Any other picture becomes a bitmap of ours; the handle is then ours to
  // delete.
  TPixelFormat f = bm.bmBitsPixel == 1 ? TPixelFormat::pf1bit : TPixelFormat::pf32bit;
  FreeHandle();
  NewImage(bm.bmWidth, bm.bmHeight, f, TBitmapHandleType::bmDIB, nullptr);
  CopyPixels(Value, bm.bmWidth, bm.bmHeight);
  DeleteObject(Value);
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  Changed(this);
  return h;
}

void TBitmap::SetColors(const std::vector<RGBQUAD>& Value) {
  if (PixelFormatBits(FPixelFormat) > 8) return;
  if (Empty()) {
    FColors = Value;
    return;
  }
  std::vector<Byte> bits(FBits, FBits + size_t(BytesPerScanLine()) * size_t(FHeight));
  NewImage(FWidth, FHeight, FPixelFormat, TBitmapHandleType::bmDIB, &Value);
  std::memcpy(FBits, bits.data(), bits.size());
  Changed(this);
}

Integer TBitmap::BytesPerScanLine() const { return StrideOf(FWidth, PixelFormatBits(FPixelFormat)); }

void* TBitmap::ScanLine(Integer Row) {
  if (Empty() || Row < 0 || Row >= FHeight) throw EInvalidGraphic(u"Scan line index out of range");
  if (FHandleType == TBitmapHandleType::bmDDB) SetHandleType(TBitmapHandleType::bmDIB);
  GdiFlush();
  return FBits + size_t(FTopDown ? Row : FHeight - 1 - Row) * size_t(BytesPerScanLine());
}

void TBitmap::Changed(TObject* Sender) { inherited::Changed(Sender); }

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    FreeHandle();
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    FAlphaFormat = b->FAlphaFormat;
    NewImage(b->FWidth, b->FHeight, b->FPixelFormat, b->FHandleType, &b->FColors);
    if (FBits && b->FBits) {
      for (Integer y = 0; y < FHeight; ++y) std::memcpy(ScanLine(y), b->ScanLine(y), size_t(BytesPerScanLine()));
    } else {
      CopyPixels(b->FHandle, b->FWidth, b->FHeight);
    }
    if (b->FPixelFormat != FPixelFormat) FPixelFormat = b->FPixelFormat;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

void TBitmap::AssignTo(TPersistent* Dest) { inherited::AssignTo(Dest); }

// ---------------------------------------------------------------------------
// Drawing

HBITMAP TBitmap::MakeAlphaSource(bool Premultiply) {
  TBmpInfo bi;
  bi.H.biWidth = FWidth;
  bi.H.biHeight = -FHeight;
  bi.H.biBitCount = 32;
  void* p = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &p, nullptr, 0);
  if (!h) return nullptr;
  auto* px = static_cast<uint32_t*>(p);
  for (Integer y = 0; y < FHeight; ++y) {
    auto* src = static_cast<const uint32_t*>(ScanLine(y));
    uint32_t* dst = px + size_t(y) * size_t(FWidth);
    for (Integer x = 0; x < FWidth; ++x) {
      uint32_t c = src[x], a = c >> 24;
      if (Premultiply && a != 255) {
        uint32_t r = ((c >> 16) & 0xFF) * a, g = ((c >> 8) & 0xFF) * a, b = (c & 0xFF) * a;
        c = (a << 24) | (((r + 127) / 255) << 16) | (((g + 127) / 255) << 8) | ((b + 127) / 255);
      }
      dst[x] = c;
    }
  }
  return h;
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC dst = ACanvas->Handle();
  bool alpha = PixelFormatBits(FPixelFormat) == 32 && FAlphaFormat != TAlphaFormat::afIgnored;
  if (Transparent()) {
    HDC src = Canvas()->Handle();
    TransparentBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth, FHeight,
                   ColorToColorRef(TransparentColor()));
  } else if (alpha) {
    HBITMAP tmp = FAlphaFormat == TAlphaFormat::afDefined ? MakeAlphaSource(true) : nullptr;
    TTempDC pre(tmp);
    HDC src = tmp ? pre.DC : Canvas()->Handle();
    BLENDFUNCTION bf;
    bf.AlphaFormat = AC_SRC_ALPHA;
    AlphaBlend(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth, FHeight, bf);
    if (tmp) {
      SelectObject(pre.DC, pre.Old);
      pre.Old = nullptr;
      DeleteObject(tmp);
    }
  } else {
    HDC src = Canvas()->Handle();
    StretchBlt(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth, FHeight,
               DWORD(ACanvas->CopyMode()));
  }
}

void TBitmap::DrawTransparent(TCanvas* ACanvas, const TRect& Rect, Byte Opacity) {
  if (Empty()) return;
  if (Transparent()) return inherited::DrawTransparent(ACanvas, Rect, Opacity);
  HDC dst = ACanvas->Handle();
  bool alpha = PixelFormatBits(FPixelFormat) == 32 && FAlphaFormat != TAlphaFormat::afIgnored;
  HBITMAP tmp = alpha && FAlphaFormat == TAlphaFormat::afDefined ? MakeAlphaSource(true) : nullptr;
  TTempDC pre(tmp);
  HDC src = tmp ? pre.DC : Canvas()->Handle();
  BLENDFUNCTION bf;
  bf.SourceConstantAlpha = Opacity;
  bf.AlphaFormat = alpha ? AC_SRC_ALPHA : 0;
  AlphaBlend(dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), src, 0, 0, FWidth, FHeight, bf);
  if (tmp) {
    SelectObject(pre.DC, pre.Old);
    pre.Old = nullptr;
    DeleteObject(tmp);
  }
}

// ---------------------------------------------------------------------------
// BMP files

void TBitmap::LoadFromStream(TStream* Stream) { LoadDIB(Stream, true); }

void TBitmap::LoadFromResourceName(NativeUInt Instance, const String& ResName) {
  TResourceStream s(Instance, ResName, u"#2");
  LoadDIB(&s, false);
}

void TBitmap::LoadFromResourceID(NativeUInt Instance, Integer ResID) {
  std::unique_ptr<TResourceStream> s(TResourceStream::CreateFromID(Instance, ResID, u"#2"));
  LoadDIB(s.get(), false);
}

void TBitmap::LoadDIB(TStream* Stream, bool FileHeader) {
  GuardOutOfMemory([&] {
    Int64 start = Stream->Position();
    Int64 avail = Stream->Size() - start;
    if (avail <= 0) {
      // Nothing to read is an empty bitmap, as an empty bitmap saves nothing.
      FreeHandle();
      FWidth = FHeight = 0;
      Changed(this);
      return;
    }
    Int64 consumed = 0;
    auto read = [&](void* buf, Int64 n) {
      if (n < 0 || consumed + n > avail) InvalidBitmap();
      Stream->ReadBuffer(buf, Integer(n));
      consumed += n;
    };
    DWORD offBits = 0;
    if (FileHeader) {
      Byte fh[14];
      read(fh, 14);
      if (fh[0] != 'B' || fh[1] != 'M') InvalidBitmap();
      offBits = Get32(fh + 10);
    }
    Byte hs[4];
    read(hs, 4);
    DWORD hsize = Get32(hs);
    if (hsize != 12 && (hsize < 40 || hsize > 1024)) InvalidBitmap();
    std::vector<Byte> hdr(hsize);
    std::memcpy(hdr.data(), hs, 4);
    read(hdr.data() + 4, hsize - 4);
    Int64 width, height;
    Integer bpp;
    DWORD compression = BI_RGB, sizeImage = 0, clrUsed = 0;
    bool core = hsize == 12;
    if (core) {
      width = Get16(&hdr[4]);
      height = Get16(&hdr[6]);
      bpp = Get16(&hdr[10]);
    } else {
      width = Integer(Get32(&hdr[4]));
      height = Integer(Get32(&hdr[8]));
      bpp = Get16(&hdr[14]);
      compression = Get32(&hdr[16]);
      sizeImage = Get32(&hdr[20]);
      clrUsed = Get32(&hdr[32]);
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width * height > std::min(kMaxPixels, MaxGraphicPixels())) InvalidBitmap();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) InvalidBitmap();
    switch (compression) {
      case BI_RGB: break;
      case BI_RLE8: if (bpp != 8 || topDown) InvalidBitmap(); break;
      case BI_RLE4: if (bpp != 4 || topDown) InvalidBitmap(); break;
      case BI_BITFIELDS: if (bpp != 16 && bpp != 32) InvalidBitmap(); break;
      default: InvalidBitmap();
    }
    DWORD masks[4] = {0, 0, 0, 0};
    if (compression == BI_BITFIELDS) {
      if (hsize >= 52) {
        for (int i = 0; i < 3; ++i) masks[i] = Get32(&hdr[size_t(40 + 4 * i)]);
        if (hsize >= 56) masks[3] = Get32(&hdr[52]);
      } else {
        Byte m[12];
        read(m, 12);
        for (int i = 0; i < 3; ++i) masks[i] = Get32(m + 4 * i);
      }
      for (DWORD m : masks)
        if (!ContiguousMask(m)) InvalidBitmap();
    }
    // The colour table.
    if (clrUsed > 65536) InvalidBitmap();
    size_t entries = clrUsed ? clrUsed : (bpp <= 8 ? (size_t(1) << bpp) : 0);
    size_t entrySize = core ? 3 : 4;
    std::vector<Byte> table(entries * entrySize);
    read(table.data(), Int64(table.size()));
    TImage img;
    img.W = Integer(width);
    img.H = Integer(height);
    if (bpp <= 8) {
      size_t n = std::min(entries, size_t(1) << bpp);
      if (n == 0) InvalidBitmap();
      for (size_t i = 0; i < n; ++i) {
        const Byte* q = &table[i * entrySize];
        img.Colors.push_back({q[0], q[1], q[2], 0});
      }
    }
    // The pixels start at the file header's offset when it gives one.
    if (FileHeader && offBits) {
      if (offBits < consumed) InvalidBitmap();
      Int64 gap = Int64(offBits) - consumed;
      if (gap > avail - consumed) InvalidBitmap();
      std::vector<Byte> skip(size_t(std::min<Int64>(gap, 65536)));
      while (gap > 0) {
        Int64 n = std::min<Int64>(gap, Int64(skip.size()));
        read(skip.data(), n);
        gap -= n;
      }
    }
    Integer srcStride = StrideOf(img.W, bpp);
    std::vector<Byte> data;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
      Int64 left = avail - consumed;
      Int64 n = sizeImage ? Int64(sizeImage) : left;
      if (n > left) InvalidBitmap();
      // A code of two bytes sets at most 255 pixels. Line ends, deltas and
      // the end of the picture may leave the rest blank, but a picture far
      // beyond what its codes could set is refused before its pixels exist,
      // so a small file cannot make the reader take gigabytes.
      if (width * height > std::max<Int64>(Int64(1) << 22, n / 2 * 255)) InvalidBitmap();
      data.resize(size_t(n));
      read(data.data(), n);
    } else {
      Int64 n = Int64(srcStride) * height;
      if (n > avail - consumed) InvalidBitmap();
      data.resize(size_t(n));
      read(data.data(), n);
    }

    // Formats.
    bool convert32 = false;  // decode through the masks into pf32bit
    if (bpp == 1) img.Format = TPixelFormat::pf1bit;
    else if (bpp == 4) img.Format = TPixelFormat::pf4bit;
    else if (bpp == 8) img.Format = TPixelFormat::pf8bit;
    else if (bpp == 24) img.Format = TPixelFormat::pf24bit;
    else if (bpp == 16) {
      if (compression == BI_RGB || (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F)) {
        img.Format = TPixelFormat::pf15bit;
      } else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) {
        img.Format = TPixelFormat::pf16bit;
      } else {
        img.Format = TPixelFormat::pf32bit;
        convert32 = true;
      }
    } else {
      img.Format = TPixelFormat::pf32bit;
      convert32 = compression == BI_BITFIELDS && !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
    }
    Integer dstStride = StrideOf(img.W, PixelFormatBits(img.Format));
    img.Bits.assign(size_t(dstStride) * size_t(img.H), 0);
    auto dstRow = [&](Integer bottomUpRow) { return img.Bits.data() + size_t(bottomUpRow) * size_t(dstStride); };

    if (compression == BI_RLE8 || compression == BI_RLE4) {
      // Straight into the packed rows, bottom row first. Pixels the codes skip
      // (line ends, deltas, the end of the picture) keep index 0.
      bool rle4 = compression == BI_RLE4;
      Int64 x = 0, y = 0;
      size_t p = 0;
      auto put = [&](Byte v) {
        if (x < img.W && y < img.H) {
          if (v >= img.Colors.size()) InvalidBitmap();
          Byte* out = dstRow(Integer(y));
          if (rle4) out[x >> 1] |= Byte(v << ((x & 1) ? 0 : 4));
          else out[x] = v;
        }
        ++x;
      };
      bool done = false;
      while (!done) {
        if (y >= img.H) break;
        if (p + 2 > data.size()) InvalidBitmap();
        Byte n = data[p], v = data[p + 1];
        p += 2;
        if (n) {
          for (int i = 0; i < n; ++i) put(rle4 ? Byte((i & 1) ? (v & 15) : (v >> 4)) : v);
          continue;
        }
        switch (v) {
          case 0: x = 0; ++y; break;
          case 1: done = true; break;
          case 2:
            if (p + 2 > data.size()) InvalidBitmap();
            x += data[p];
            y += data[p + 1];
            p += 2;
            break;
          default: {
            size_t bytes = rle4 ? (size_t(v) + 1) / 2 : v;
            size_t padded = bytes + (bytes & 1);
            if (p + padded > data.size()) InvalidBitmap();
            for (int i = 0; i < v; ++i) put(rle4 ? Byte((i & 1) ? (data[p + size_t(i / 2)] & 15) : (data[p + size_t(i / 2)] >> 4)) : data[p + size_t(i)]);
            p += padded;
            break;
          }
        }
      }
    } else {
      for (Integer row = 0; row < img.H; ++row) {
        const Byte* in = data.data() + size_t(row) * size_t(srcStride);
        Byte* out = dstRow(topDown ? img.H - 1 - row : row);
        if (convert32) {
          auto* o = reinterpret_cast<uint32_t*>(out);
          for (Integer i = 0; i < img.W; ++i) {
            DWORD v = bpp == 16 ? Get16(in + 2 * i) : Get32(in + 4 * i);
            o[i] = (uint32_t(Channel(v, masks[3])) << 24) | (uint32_t(Channel(v, masks[0])) << 16) |
                   (uint32_t(Channel(v, masks[1])) << 8) | Channel(v, masks[2]);
          }
        } else {
          std::memcpy(out, in, size_t(srcStride));
        }
      }
      // Every palette index must name a colour of the table.
      if (bpp <= 8 && img.Colors.size() < (size_t(1) << bpp)) {
        for (Integer row = 0; row < img.H; ++row) {
          const Byte* r = dstRow(row);
          for (Integer i = 0; i < img.W; ++i) {
            unsigned v = bpp == 8 ? r[i] : bpp == 4 ? unsigned((r[i >> 1] >> ((i & 1) ? 0 : 4)) & 15)
                                                    : unsigned((r[i >> 3] >> (7 - (i & 7))) & 1);
            if (v >= img.Colors.size()) InvalidBitmap();
          }
        }
      }
    }
    Commit(img);
  });
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  Integer bpp = PixelFormatBits(FPixelFormat);
  Integer stride = StrideOf(FWidth, bpp);
  std::vector<Byte> ddb;
  const Byte* bits = FBits;
  if (bits && FTopDown) {
    ddb.resize(size_t(stride) * size_t(FHeight));
    for (Integer y = 0; y < FHeight; ++y)
      std::memcpy(&ddb[size_t(FHeight - 1 - y) * size_t(stride)], ScanLine(y), size_t(stride));
    bits = ddb.data();
  } else if (!bits) {
    // A device-dependent bitmap: its pixels through GetDIBits, bottom-up.
    TBmpInfo bi;
    bi.H.biWidth = FWidth;
    bi.H.biHeight = FHeight;
    bi.H.biBitCount = 32;
    ddb.resize(size_t(stride) * size_t(FHeight));
    GetDIBits(nullptr, FHandle, 0, UINT(FHeight), ddb.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    bits = ddb.data();
  } else {
    GdiFlush();
  }
  DWORD tableBytes = bpp <= 8 ? DWORD(FColors.size() * 4) : FPixelFormat == TPixelFormat::pf16bit ? 12 : 0;
  DWORD imageBytes = DWORD(stride) * DWORD(FHeight);
  DWORD off = 14 + 40 + tableBytes;
  Byte fh[14] = {'B', 'M'};
  auto put32 = [](Byte* p, DWORD v) {
    p[0] = Byte(v);
    p[1] = Byte(v >> 8);
    p[2] = Byte(v >> 16);
    p[3] = Byte(v >> 24);
  };
  put32(fh + 2, off + imageBytes);
  put32(fh + 10, off);
  BITMAPINFOHEADER h;
  h.biWidth = FWidth;
  h.biHeight = FHeight;
  h.biBitCount = Word(bpp);
  h.biCompression = FPixelFormat == TPixelFormat::pf16bit ? BI_BITFIELDS : BI_RGB;
  h.biSizeImage = imageBytes;
  h.biXPelsPerMeter = h.biYPelsPerMeter = 3780;  // 96 DPI
  h.biClrUsed = bpp <= 8 ? DWORD(FColors.size()) : 0;
  std::vector<Byte> out(off + imageBytes);
  std::memcpy(out.data(), fh, 14);
  std::memcpy(out.data() + 14, &h, 40);
  Byte* t = out.data() + 54;
  if (bpp <= 8) {
    for (const RGBQUAD& q : FColors) {
      t[0] = q.rgbBlue;
      t[1] = q.rgbGreen;
      t[2] = q.rgbRed;
      t[3] = 0;
      t += 4;
    }
  } else if (FPixelFormat == TPixelFormat::pf16bit) {
    put32(t, 0xF800);
    put32(t + 4, 0x07E0);
    put32(t + 8, 0x001F);
  }
  std::memcpy(out.data() + off, bits, imageBytes);
  Stream->WriteBuffer(out.data(), Integer(out.size()));
}

// ---------------------------------------------------------------------------
// TBitmapCanvas

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::FreeContext() {
  if (!FDC) return;
  HDC dc = FDC;
  SetHandle(nullptr);
  if (FOldBitmap) SelectObject(dc, FOldBitmap);
  DeleteDC(dc);
  FDC = nullptr;
  FOldBitmap = nullptr;
}

void TBitmapCanvas::CreateHandle() {
  if (FDC) return;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return;
  if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
  FDC = dc;
  SetHandle(dc);
}

}  // namespace vcl
