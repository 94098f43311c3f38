#include "platform/vcl/Icon.h"

#include <algorithm>
#include <cstring>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/PngImage.h"

namespace vcl {

namespace {

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(u"Icon image is not valid"); }

DWORD LE32(const Byte* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }
Word LE16(const Byte* p) { return Word(p[0] | (p[1] << 8)); }
void Put32(Byte* p, DWORD v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
  p[2] = Byte(v >> 16);
  p[3] = Byte(v >> 24);
}
void Put16(Byte* p, Word v) {
  p[0] = Byte(v);
  p[1] = Byte(v >> 8);
}
size_t Stride(Int64 w, int bpp) { return size_t(((w * bpp + 31) / 32) * 4); }

}  // namespace

TIcon::TIcon() = default;

TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
  if (FHandle) DestroyIcon(FHandle);
  FHandle = nullptr;
}

const TIcon::TImage* TIcon::Current() const {
  const TImage* best = nullptr;
  Int64 bestD = 0;
  for (const TImage& i : FImages) {
    Int64 d = Int64(std::abs(i.W - FRequested.cx)) + std::abs(i.H - FRequested.cy);
    if (!best || d < bestD || (d == bestD && (i.W > best->W || (i.W == best->W && i.Bpp > best->Bpp)))) {
      best = &i;
      bestD = d;
    }
  }
  return best;
}

Integer TIcon::Width() const {
  const TImage* i = Current();
  return i ? i->W : 0;
}

Integer TIcon::Height() const {
  const TImage* i = Current();
  return i ? i->H : 0;
}

void TIcon::SetSize(Integer AWidth, Integer AHeight) {
  if (AWidth == FRequested.cx && AHeight == FRequested.cy) return;
  const TImage* before = Current();
  FRequested = {AWidth, AHeight};
  if (Current() != before) {
    FreeHandle();
    Changed(this);
  }
}

void TIcon::Assign(TPersistent* Source) {
  if (!Source) {
    FreeHandle();
    FImages.clear();
    Changed(this);
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(Source)) {
    if (i == this) return;
    FreeHandle();
    FImages = i->FImages;
    FResType = i->FResType;
    FRequested = i->FRequested;
    Changed(this);
    return;
  }
  inherited::Assign(Source);
}

std::vector<uint32_t> TIcon::Pixels() const {
  const TImage* i = Current();
  if (!i) return {};
  std::vector<uint32_t> out(i->Color.size());
  for (size_t k = 0; k < out.size(); ++k) {
    if (i->HasAlpha) out[k] = i->Color[k];
    else out[k] = i->Mask[k] ? 0u : (i->Color[k] | 0xFF000000u);
  }
  return out;
}

void TIcon::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    const TImage* i = Current();
    b->Assign(nullptr);
    if (!i) return;
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(i->W, i->H);
    std::vector<uint32_t> px = Pixels();
    for (Integer y = 0; y < i->H; ++y)
      std::memcpy(b->ScanLine(y), px.data() + size_t(y) * size_t(i->W), size_t(i->W) * 4);
    b->SetAlphaFormat(TAlphaFormat::afDefined);
    return;
  }
  inherited::AssignTo(Dest);
}

HICON TIcon::Handle() {
  if (FHandle) return FHandle;
  const TImage* i = Current();
  if (!i) return nullptr;
  HBITMAP color = CreateBitmap(i->W, i->H, 1, 32, i->Color.data());
  int ms = ((i->W + 15) / 16) * 2;
  std::vector<Byte> mask(size_t(ms) * size_t(i->H), 0);
  for (Integer y = 0; y < i->H; ++y)
    for (Integer x = 0; x < i->W; ++x)
      if (i->Mask[size_t(y) * size_t(i->W) + size_t(x)]) mask[size_t(y) * size_t(ms) + size_t(x >> 3)] |= Byte(0x80 >> (x & 7));
  HBITMAP m = CreateBitmap(i->W, i->H, 1, 1, mask.data());
  ICONINFO ii;
  ii.fIcon = FResType == 1;
  ii.xHotspot = FResType == 2 ? LE16(i->Entry + 4) : DWORD(i->W / 2);
  ii.yHotspot = FResType == 2 ? LE16(i->Entry + 6) : DWORD(i->H / 2);
  ii.hbmColor = color;
  ii.hbmMask = m;
  FHandle = color && m ? CreateIconIndirect(&ii) : nullptr;
  if (color) DeleteObject(color);
  if (m) DeleteObject(m);
  return FHandle;
}

void TIcon::ImagesFromHandle(HICON h) {
  ICONINFO ii;
  if (!GetIconInfo(h, &ii)) throw EInvalidGraphic(u"Icon image is not valid");
  TImage img;
  auto readBits = [](HBITMAP b, Integer& w, Integer& hh, std::vector<uint32_t>& px) {
    BITMAP bm;
    GetObject(b, sizeof bm, &bm);
    w = bm.bmWidth;
    hh = bm.bmHeight;
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[4];
    } bi;
    bi.h.biWidth = w;
    bi.h.biHeight = -hh;
    bi.h.biBitCount = 32;
    px.assign(size_t(w) * size_t(hh), 0);
    GetDIBits(nullptr, b, 0, UINT(hh), px.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  };
  std::vector<uint32_t> mask;
  Integer mw = 0, mh = 0;
  readBits(ii.hbmMask, mw, mh, mask);
  if (ii.hbmColor) {
    readBits(ii.hbmColor, img.W, img.H, img.Color);
  } else {
    img.W = mw;
    img.H = mh / 2;
    img.Color.assign(mask.begin() + Int64(img.W) * img.H, mask.end());
    for (auto& c : img.Color) c &= 0x00FFFFFF;
  }
  img.Mask.resize(size_t(img.W) * size_t(img.H));
  for (size_t k = 0; k < img.Mask.size(); ++k) img.Mask[k] = (mask[k] & 0x00FFFFFF) ? 1 : 0;
  for (uint32_t c : img.Color)
    if (c >> 24) { img.HasAlpha = true; break; }
  img.Bpp = 32;
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  FResType = ii.fIcon ? 1 : 2;
  Put16(img.Entry + 4, Word(ii.xHotspot));
  Put16(img.Entry + 6, Word(ii.yHotspot));
  FImages.clear();
  FImages.push_back(std::move(img));
  FRequested = {FImages[0].W, FImages[0].H};
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  if (Value) {
    std::vector<TImage> keep = FImages;
    try {
      ImagesFromHandle(Value);
    } catch (...) {
      FImages = keep;
      throw;
    }
  } else {
    FImages.clear();
  }
  FreeHandle();
  FHandle = Value;
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = Handle();
  FHandle = nullptr;
  return h;
}

TIcon::TImage TIcon::DecodeImage(const Byte* p, size_t n) {
  TImage img;
  static const Byte kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && std::equal(p, p + 8, kPng)) {
    TBytesStream s(TBytes(p, p + n));
    TPngImage png;
    try {
      png.LoadFromStream(&s);
    } catch (const EInvalidGraphic&) {
      InvalidIcon();
    } catch (const EReadError&) {
      InvalidIcon();
    }
    img.W = png.Width();
    img.H = png.Height();
    png.GetARGB(img.Color);
    img.HasAlpha = true;
    img.Bpp = 32;
    img.Mask.resize(img.Color.size());
    for (size_t k = 0; k < img.Color.size(); ++k) img.Mask[k] = (img.Color[k] >> 24) == 0;
    return img;
  }
  if (n < 40) InvalidIcon();
  DWORD hsize = LE32(p);
  if (hsize < 40 || hsize > n) InvalidIcon();
  Int64 w = Integer(LE32(p + 4)), h2 = Integer(LE32(p + 8));
  int bpp = LE16(p + 14);
  DWORD compression = LE32(p + 16), clrUsed = LE32(p + 32);
  if (w <= 0 || h2 <= 0 || compression != BI_RGB) InvalidIcon();
  Int64 h = h2 / 2;
  if (h <= 0 || w * h > MaxGraphicPixels() || w > 4096 || h > 4096) InvalidIcon();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) InvalidIcon();
  size_t entries = bpp <= 8 ? (clrUsed ? clrUsed : (size_t(1) << bpp)) : 0;
  if (bpp <= 8 && clrUsed > (DWORD(1) << bpp)) InvalidIcon();
  size_t pos = hsize;
  if (entries * 4 > n - pos) InvalidIcon();
  const Byte* table = p + pos;
  pos += entries * 4;
  size_t xs = Stride(w, bpp), ms = Stride(w, 1);
  if (xs * size_t(h) > n - pos) InvalidIcon();
  const Byte* xorBits = p + pos;
  pos += xs * size_t(h);
  // 32-bit images may leave the AND mask out; their alpha then decides.
  const Byte* andBits = nullptr;
  if (ms * size_t(h) <= n - pos) andBits = p + pos;
  else if (bpp != 32) InvalidIcon();
  img.W = Integer(w);
  img.H = Integer(h);
  img.Bpp = bpp;
  img.Color.resize(size_t(w) * size_t(h));
  img.Mask.resize(img.Color.size());
  for (Int64 y = 0; y < h; ++y) {
    const Byte* row = xorBits + size_t(h - 1 - y) * xs;  // bottom-up
    uint32_t* out = img.Color.data() + size_t(y) * size_t(w);
    for (Int64 x = 0; x < w; ++x) {
      uint32_t c;
      if (bpp <= 8) {
        unsigned idx = bpp == 8 ? row[x] : bpp == 4 ? unsigned((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15)
                                                    : unsigned((row[x >> 3] >> (7 - (x & 7))) & 1);
        if (idx >= entries) InvalidIcon();
        const Byte* q = table + idx * 4;
        c = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16);
      } else if (bpp == 16) {
        Word v = LE16(row + 2 * x);
        auto ex = [](unsigned v5) { return (v5 << 3) | (v5 >> 2); };
        c = ex(v & 31) | (ex((v >> 5) & 31) << 8) | (ex((v >> 10) & 31) << 16);
      } else if (bpp == 24) {
        c = uint32_t(row[3 * x]) | (uint32_t(row[3 * x + 1]) << 8) | (uint32_t(row[3 * x + 2]) << 16);
      } else {
        c = LE32(row + 4 * x);
      }
      out[x] = c;
    }
  }
  if (bpp == 32)
    for (uint32_t c : img.Color)
      if (c >> 24) { img.HasAlpha = true; break; }
  if (!img.HasAlpha)
    for (auto& c : img.Color) c &= 0x00FFFFFF;
  for (Int64 y = 0; y < h; ++y)
    for (Int64 x = 0; x < w; ++x) {
      size_t k = size_t(y) * size_t(w) + size_t(x);
      if (andBits) img.Mask[k] = (andBits[size_t(h - 1 - y) * ms + size_t(x >> 3)] >> (7 - (x & 7))) & 1;
      else img.Mask[k] = (img.Color[k] >> 24) == 0;
    }
  return img;
}

void TIcon::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] {
    Int64 start = Stream->Position();
    Int64 avail = Stream->Size() - start;
    if (avail < 6) InvalidIcon();
    Byte head[6];
    Stream->ReadBuffer(head, 6);
    Word type = LE16(head + 2), count = LE16(head + 4);
    if (LE16(head) != 0 || (type != 1 && type != 2) || count == 0) InvalidIcon();
    Int64 dirEnd = 6 + Int64(count) * 16;
    if (dirEnd > avail) InvalidIcon();
    std::vector<Byte> dir(size_t(count) * 16);
    Stream->ReadBuffer(dir.data(), Integer(dir.size()));
    Int64 end = dirEnd;
    for (Word i = 0; i < count; ++i) {
      const Byte* e = &dir[size_t(i) * 16];
      Int64 size = LE32(e + 8), off = LE32(e + 12);
      if (off < dirEnd || size < 8 || off + size > avail) InvalidIcon();
      end = std::max(end, off + size);
    }
    std::vector<Byte> data(size_t(end - dirEnd));
    Stream->ReadBuffer(data.data(), Integer(data.size()));
    std::vector<TImage> images;
    for (Word i = 0; i < count; ++i) {
      const Byte* e = &dir[size_t(i) * 16];
      size_t size = LE32(e + 8), off = size_t(LE32(e + 12) - dirEnd);
      TImage img = DecodeImage(data.data() + off, size);
      std::memcpy(img.Entry, e, 16);
      img.Raw.assign(data.begin() + Int64(off), data.begin() + Int64(off + size));
      images.push_back(std::move(img));
    }
    FreeHandle();
    FImages = std::move(images);
    FResType = type;
    Changed(this);
  });
}

void TIcon::SaveToStream(TStream* Stream) {
  if (FImages.empty()) return;
  std::vector<TBytes> raws;
  for (TImage& img : FImages) {
    if (!img.Raw.empty()) {
      raws.push_back(img.Raw);
      continue;
    }
    // A picture of our own: 32-bit BGRA rows bottom-up, then the AND mask.
    size_t xs = Stride(img.W, 32), ms = Stride(img.W, 1);
    TBytes r(40 + xs * size_t(img.H) + ms * size_t(img.H), 0);
    Put32(&r[0], 40);
    Put32(&r[4], DWORD(img.W));
    Put32(&r[8], DWORD(img.H * 2));
    Put16(&r[12], 1);
    Put16(&r[14], 32);
    Put32(&r[20], DWORD(r.size() - 40));
    for (Integer y = 0; y < img.H; ++y) {
      Byte* row = &r[40 + size_t(img.H - 1 - y) * xs];
      Byte* mrow = &r[40 + xs * size_t(img.H) + size_t(img.H - 1 - y) * ms];
      for (Integer x = 0; x < img.W; ++x) {
        size_t k = size_t(y) * size_t(img.W) + size_t(x);
        Put32(row + 4 * x, img.Color[k]);
        if (img.Mask[k]) mrow[x >> 3] |= Byte(0x80 >> (x & 7));
      }
    }
    img.Entry[0] = Byte(img.W >= 256 ? 0 : img.W);
    img.Entry[1] = Byte(img.H >= 256 ? 0 : img.H);
    if (FResType == 1) {
      Put16(img.Entry + 4, 1);
      Put16(img.Entry + 6, 32);
    }
    raws.push_back(std::move(r));
  }
  TBytes out(6 + 16 * FImages.size(), 0);
  Put16(&out[2], FResType);
  Put16(&out[4], Word(FImages.size()));
  DWORD off = DWORD(out.size());
  for (size_t i = 0; i < FImages.size(); ++i) {
    Byte* e = &out[6 + 16 * i];
    std::memcpy(e, FImages[i].Entry, 16);
    Put32(e + 8, DWORD(raws[i].size()));
    Put32(e + 12, off);
    off += DWORD(raws[i].size());
  }
  for (auto& r : raws) out.insert(out.end(), r.begin(), r.end());
  Stream->WriteBuffer(out.data(), Integer(out.size()));
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  HICON h = Handle();
  if (!h) return;
  DrawIconEx(ACanvas->Handle(), Rect.Left, Rect.Top, h, Rect.Width(), Rect.Height(), 0, nullptr, DI_NORMAL);
}

}  // namespace vcl
