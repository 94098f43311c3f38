// Image lists as components.
#include "platform/vcl/ImgList.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/Resources.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/PngImage.h"

namespace vcl {

namespace {

[[noreturn]] void ImageIndexError(Integer Index) {
  throw EInvalidOperation(Format(u"Invalid ImageList Index (%d)", {Index}));
}

COLORREF ListColor(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return ColorToColorRef(c);
}

// The pixels of image i as straight 0xAARRGGBB (alpha 0 where masked).
std::vector<uint32_t> ImagePixels(HIMAGELIST h, Integer i, Integer w, Integer hgt) {
  std::vector<uint32_t> px(size_t(w) * size_t(hgt));
  IMAGEINFO info;
  if (!ImageList_GetImageInfo(h, i, &info)) return px;
  auto read = [](HBITMAP b, Integer& bw, Integer& bh) {
    BITMAP bm;
    GetObjectW(b, sizeof bm, &bm);
    bw = bm.bmWidth;
    bh = std::abs(bm.bmHeight);
    std::vector<uint32_t> out(size_t(bw) * size_t(bh));
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = bw;
    bi.bmiHeader.biHeight = -bh;
    bi.bmiHeader.biBitCount = 32;
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, b, 0, UINT(bh), out.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(dc);
    return out;
  };
  Integer sw, sh, mw = 0, mh = 0;
  std::vector<uint32_t> strip = read(info.hbmImage, sw, sh);
  std::vector<uint32_t> mask;
  if (info.hbmMask) mask = read(info.hbmMask, mw, mh);
  bool alpha = false;
  for (Integer y = 0; y < hgt; ++y)
    for (Integer x = 0; x < w; ++x) alpha = alpha || (strip[size_t(y) * size_t(sw) + size_t(info.rcImage.Left + x)] >> 24) != 0;
  for (Integer y = 0; y < hgt; ++y)
    for (Integer x = 0; x < w; ++x) {
      size_t s = size_t(y) * size_t(sw) + size_t(info.rcImage.Left + x);
      uint32_t c = strip[s];
      bool masked = !mask.empty() && (mask[size_t(y) * size_t(mw) + size_t(info.rcImage.Left + x)] & 0xFFFFFF) != 0;
      if (!alpha) c |= 0xFF000000u;
      px[size_t(y) * size_t(w) + size_t(x)] = masked ? 0 : c;
    }
  return px;
}

// A 32-bit bitmap with alpha and the matching mask (1 where alpha is 0).
void MakeBitmaps(const std::vector<uint32_t>& px, Integer w, Integer h, HBITMAP& color, HBITMAP& mask) {
  color = CreateBitmap(w, h, 1, 32, px.data());
  int stride = ((w + 15) / 16) * 2;
  std::vector<Byte> bits(size_t(stride) * size_t(h), 0);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x)
      if ((px[size_t(y) * size_t(w) + size_t(x)] >> 24) == 0) bits[size_t(y * stride + (x >> 3))] |= Byte(0x80 >> (x & 7));
  mask = CreateBitmap(w, h, 1, 1, bits.data());
}

uint32_t ReadU32(const Byte* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint32_t GetBE32(const Byte* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

constexpr Integer kMaxStreamSide = 1024;
constexpr Integer kMaxStreamCount = 65536;

}  // namespace

// ---------------------------------------------------------------------------
// TChangeLink

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

// ---------------------------------------------------------------------------
// TCustomImageList

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList* TCustomImageList::CreateSize(Integer AWidth, Integer AHeight) {
  auto* l = new TCustomImageList(nullptr);
  l->FWidth = std::max(1, AWidth);
  l->FHeight = std::max(1, AHeight);
  return l;
}

TCustomImageList::~TCustomImageList() {
  // Links outlive the list: they forget it rather than point at nothing.
  std::vector<TChangeLink*> clients = std::move(FClients);
  for (TChangeLink* l : clients) l->SetSender(nullptr);
  FreeHandle();
}

void TCustomImageList::FreeHandle() {
  if (FHandle && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

UINT TCustomImageList::CreateFlags() const {
  UINT f = FMasked ? ILC_MASK : 0;
  switch (FColorDepth) {
    case cdDeviceDependent: f |= ILC_COLORDDB; break;
    case cd4Bit: f |= ILC_COLOR4; break;
    case cd8Bit: f |= ILC_COLOR8; break;
    case cd16Bit: f |= ILC_COLOR16; break;
    case cd24Bit: f |= ILC_COLOR24; break;
    default: f |= ILC_COLOR32; break;
  }
  return f;
}

void TCustomImageList::CreateImageList() {
  FHandle = ImageList_Create(FWidth, FHeight, CreateFlags(), FAllocBy, FAllocBy);
  if (!FHandle) throw EInvalidOperation(u"Error creating window device context");
  ImageList_SetBkColor(FHandle, ListColor(FBkColor));
}

HIMAGELIST TCustomImageList::Handle() {
  if (!FHandle) CreateImageList();
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == FHandle) return;
  FreeHandle();
  FHandle = Value;
  if (FHandle) {
    int cx, cy;
    ImageList_GetIconSize(FHandle, &cx, &cy);
    FWidth = cx;
    FHeight = cy;
    COLORREF bk = ImageList_GetBkColor(FHandle);
    FBkColor = bk == CLR_NONE ? clNone : TColor(bk);
  }
  Change();
}

void TCustomImageList::RecreateHandle() {
  bool had = HasImages();
  FreeHandle();
  CreateImageList();
  if (had) Change();
}

bool TCustomImageList::HasImages() { return FHandle && ImageList_GetImageCount(FHandle) > 0; }

Integer TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::CheckIndex(Integer Index) const {
  if (Index < 0 || !FHandle || Index >= ImageList_GetImageCount(FHandle)) ImageIndexError(Index);
}

void TCustomImageList::SetSize(Integer AWidth, Integer AHeight) {
  AWidth = std::max(1, AWidth);
  AHeight = std::max(1, AHeight);
  if (AWidth == FWidth && AHeight == FHeight) return;
  bool had = HasImages();
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle) ImageList_SetIconSize(FHandle, FWidth, FHeight);
  if (had) Change();
}

void TCustomImageList::SetWidth(Integer Value) { SetSize(Value, FHeight); }
void TCustomImageList::SetHeight(Integer Value) { SetSize(FWidth, Value); }

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  if (FHandle) ImageList_SetBkColor(FHandle, ListColor(Value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == FBlendColor) return;
  FBlendColor = Value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Change();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  if (FHandle) RecreateHandle();
}

void TCustomImageList::SetColorDepth(TColorDepth Value) {
  if (Value == FColorDepth) return;
  FColorDepth = Value;
  if (FHandle) RecreateHandle();
}

void TCustomImageList::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  auto* src = dynamic_cast<TCustomImageList*>(Source);
  if (!src) {
    TComponent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    FMasked = src->FMasked;
    FColorDepth = src->FColorDepth;
    FImageType = src->FImageType;
    FDrawingStyle = src->FDrawingStyle;
    FBkColor = src->FBkColor;
    FBlendColor = src->FBlendColor;
    FAllocBy = src->FAllocBy;
    FWidth = src->FWidth;
    FHeight = src->FHeight;
    FreeHandle();
    if (src->FHandle) FHandle = ImageList_Duplicate(src->FHandle);
    FChanged = true;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// --- Images

Integer TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image) return -1;
  Integer r = ImageList_Add(Handle(), Image->Handle(), Mask ? Mask->Handle() : nullptr);
  if (r >= 0) Change();
  return r;
}

Integer TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image) return -1;
  if (MaskColor == clNone) return Add(Image, nullptr);
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  Integer r = ImageList_AddMasked(Handle(), Image->Handle(), ColorToColorRef(MaskColor));
  if (r >= 0) Change();
  return r;
}

Integer TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || !Image->Handle()) return -1;
  Integer r = ImageList_AddIcon(Handle(), Image->Handle());
  if (r >= 0) Change();
  return r;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value || Value == this || !Value->FHandle) return;
  BeginUpdate();
  try {
    for (Integer i = 0; i < Value->Count(); ++i) {
      std::vector<uint32_t> px = ImagePixels(Value->FHandle, i, Value->FWidth, Value->FHeight);
      // Copies are scaled to this list's size when the sizes differ.
      std::vector<uint32_t> out(size_t(FWidth) * size_t(FHeight));
      for (Integer y = 0; y < FHeight; ++y)
        for (Integer x = 0; x < FWidth; ++x)
          out[size_t(y) * size_t(FWidth) + size_t(x)] =
              px[size_t(Int64(y) * Value->FHeight / FHeight) * size_t(Value->FWidth) +
                 size_t(Int64(x) * Value->FWidth / FWidth)];
      HBITMAP c, m;
      MakeBitmaps(out, FWidth, FHeight, c, m);
      if (ImageList_Add(Handle(), c, m) >= 0) Change();
      DeleteObject(c);
      DeleteObject(m);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCustomImageList::Insert(Integer Index, TBitmap* Image, TBitmap* Mask) {
  if (Index < 0 || Index > Count()) ImageIndexError(Index);
  BeginUpdate();
  Integer at = Add(Image, Mask);
  if (at >= 0) Move(at, Index);
  EndUpdate();
}

void TCustomImageList::InsertMasked(Integer Index, TBitmap* Image, TColor MaskColor) {
  if (Index < 0 || Index > Count()) ImageIndexError(Index);
  BeginUpdate();
  Integer at = AddMasked(Image, MaskColor);
  if (at >= 0) Move(at, Index);
  EndUpdate();
}

void TCustomImageList::InsertIcon(Integer Index, TIcon* Image) {
  if (Index < 0 || Index > Count()) ImageIndexError(Index);
  BeginUpdate();
  Integer at = AddIcon(Image);
  if (at >= 0) Move(at, Index);
  EndUpdate();
}

void TCustomImageList::Replace(Integer Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!Image || !ImageList_Replace(FHandle, Index, Image->Handle(), Mask ? Mask->Handle() : nullptr))
    throw EInvalidOperation(u"Unable to Replace Image");
  Change();
}

void TCustomImageList::ReplaceMasked(Integer Index, TBitmap* NewImage, TColor MaskColor) {
  CheckIndex(Index);
  if (!NewImage) throw EInvalidOperation(u"Unable to Replace Image");
  if (MaskColor == clDefault) MaskColor = NewImage->TransparentColor();
  HIMAGELIST tmp = ImageList_Create(FWidth, FHeight, CreateFlags(), 1, 1);
  bool ok = MaskColor == clNone ? ImageList_Add(tmp, NewImage->Handle(), nullptr) >= 0
                                : ImageList_AddMasked(tmp, NewImage->Handle(), ColorToColorRef(MaskColor)) >= 0;
  ok = ok && ImageList_Copy(FHandle, Index, tmp, 0, ILCF_MOVE);
  ImageList_Destroy(tmp);
  if (!ok) throw EInvalidOperation(u"Unable to Replace Image");
  Change();
}

void TCustomImageList::ReplaceIcon(Integer Index, TIcon* Image) {
  CheckIndex(Index);
  if (!Image || !Image->Handle() || ImageList_ReplaceIcon(FHandle, Index, Image->Handle()) < 0)
    throw EInvalidOperation(u"Unable to Replace Image");
  Change();
}

void TCustomImageList::Delete(Integer Index) {
  if (Index == -1) {
    Clear();
    return;
  }
  CheckIndex(Index);
  ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (!HasImages()) return;
  ImageList_RemoveAll(FHandle);
  Change();
}

void TCustomImageList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  // Neighbour swaps carry the image along and keep the others in order.
  Integer step = NewIndex > CurIndex ? 1 : -1;
  for (Integer i = CurIndex; i != NewIndex; i += step) ImageList_Copy(FHandle, i, FHandle, i + step, ILCF_SWAP);
  Change();
}

bool TCustomImageList::GetBitmap(Integer Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return false;
  std::vector<uint32_t> px = ImagePixels(FHandle, Index, FWidth, FHeight);
  Image->SetPixelFormat(TPixelFormat::pf32bit);
  Image->SetSize(FWidth, FHeight);
  for (Integer y = 0; y < FHeight; ++y)
    std::memcpy(Image->ScanLine(y), px.data() + size_t(y) * size_t(FWidth), size_t(FWidth) * 4);
  return true;
}

void TCustomImageList::GetIcon(Integer Index, TIcon* Image) { GetIcon(Index, Image, FDrawingStyle, FImageType); }

void TCustomImageList::GetIcon(Integer Index, TIcon* Image, TDrawingStyle ADrawingStyle, TImageType AImageType) {
  if (!Image || Index < 0 || Index >= Count()) return;
  Image->SetHandle(ImageList_GetIcon(FHandle, Index, DrawStyle(ADrawingStyle, AImageType)));
}

bool TCustomImageList::Overlay(Integer ImageIndex, TOverlay Overlay) {
  if (!FHandle || Overlay > 14) return false;
  return ImageList_SetOverlayImage(FHandle, ImageIndex, Overlay + 1);
}

// --- Drawing

UINT TCustomImageList::DrawStyle(TDrawingStyle ADrawingStyle, TImageType AImageType) const {
  UINT s = ILD_NORMAL;
  switch (ADrawingStyle) {
    case dsFocus: s = ILD_FOCUS; break;
    case dsSelected: s = ILD_SELECTED; break;
    case dsTransparent: s = ILD_TRANSPARENT; break;
    default: break;
  }
  if (AImageType == itMask) s |= ILD_MASK;
  return s;
}

void TCustomImageList::DoDraw(Integer Index, TCanvas* Canvas, Integer X, Integer Y, UINT Style, bool Enabled) {
  if (!Canvas || !FHandle || Index < 0 || Index >= Count()) return;
  IMAGELISTDRAWPARAMS p;
  p.himl = FHandle;
  p.i = Index;
  p.hdcDst = Canvas->Handle();
  p.x = X;
  p.y = Y;
  p.rgbBk = ListColor(FBkColor);
  p.rgbFg = ListColor(FBlendColor);
  p.fStyle = Style;
  p.fState = Enabled ? ILS_NORMAL : ILS_SATURATE;
  ImageList_DrawIndirect(&p);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, Integer X, Integer Y, Integer Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  DoDraw(Index, Canvas, X, Y, DrawStyle(ADrawingStyle, AImageType), Enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                                   bool Enabled) {
  DrawOverlay(Canvas, X, Y, ImageIndex, Overlay, FDrawingStyle, FImageType, Enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, Integer X, Integer Y, Integer ImageIndex, TOverlay Overlay,
                                   TDrawingStyle ADrawingStyle, TImageType AImageType, bool Enabled) {
  if (Overlay > 14) return;
  DoDraw(ImageIndex, Canvas, X, Y, DrawStyle(ADrawingStyle, AImageType) | INDEXTOOVERLAYMASK(Overlay + 1u),
         Enabled);
}

// --- Loading

bool TCustomImageList::GetInstRes(HINSTANCE Instance, TResType ResType, const String& Name, Integer AWidth,
                                  TLoadResources LoadFlags, TColor MaskColor) {
  UINT flags = 0;
  if (LoadFlags.Contains(lrDefaultSize)) flags |= LR_DEFAULTSIZE;
  if (LoadFlags.Contains(lrFromFile)) flags |= LR_LOADFROMFILE;
  if (LoadFlags.Contains(lrMap3DColors)) flags |= LR_LOADMAP3DCOLORS;
  if (LoadFlags.Contains(lrTransparent)) flags |= LR_LOADTRANSPARENT;
  if (LoadFlags.Contains(lrMonoChrome)) flags |= LR_MONOCHROME;
  if (ResType == rtBitmap) {
    HBITMAP b = static_cast<HBITMAP>(LoadImageW(Instance, Name.c_str(), IMAGE_BITMAP, 0, 0, flags));
    if (!b) return false;
    BITMAP bm;
    GetObjectW(b, sizeof bm, &bm);
    // The strip's height is the image height; a width of 0 makes square images.
    Integer h = std::abs(bm.bmHeight), w = AWidth > 0 ? AWidth : h;
    BeginUpdate();
    Clear();
    SetSize(w, h);
    Integer r = MaskColor == clNone ? ImageList_Add(Handle(), b, nullptr)
                                    : ImageList_AddMasked(Handle(), b, ColorToColorRef(MaskColor));
    DeleteObject(b);
    if (r >= 0) Change();
    EndUpdate();
    return r >= 0;
  }
  UINT type = ResType == rtIcon ? IMAGE_ICON : IMAGE_CURSOR;
  HICON icon = static_cast<HICON>(LoadImageW(Instance, Name.c_str(), type, AWidth, AWidth, flags));
  if (!icon) return false;
  ICONINFO ii;
  Integer w = AWidth, h = AWidth;
  if (GetIconInfo(icon, &ii)) {
    BITMAP bm;
    GetObjectW(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof bm, &bm);
    w = bm.bmWidth;
    h = ii.hbmColor ? std::abs(bm.bmHeight) : std::abs(bm.bmHeight) / 2;
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
  }
  BeginUpdate();
  Clear();
  SetSize(w, h);
  Integer r = ImageList_AddIcon(Handle(), icon);
  DestroyIcon(icon);
  if (r >= 0) Change();
  EndUpdate();
  return r >= 0;
}

bool TCustomImageList::GetResource(TResType ResType, const String& Name, Integer AWidth, TLoadResources LoadFlags,
                                   TColor MaskColor) {
  return GetInstRes(HInstance, ResType, Name, AWidth, LoadFlags, MaskColor);
}

bool TCustomImageList::ResourceLoad(TResType ResType, const String& Name, TColor MaskColor) {
  return GetInstRes(HInstance, ResType, Name, FWidth, TLoadResources(), MaskColor);
}

bool TCustomImageList::FileLoad(TResType ResType, const String& Name, TColor MaskColor) {
  return GetInstRes(HInstance, ResType, Name, FWidth, TLoadResources{lrFromFile}, MaskColor);
}

// --- Change notices

void TCustomImageList::BeginUpdate() { ++FUpdateCount; }

void TCustomImageList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) {
    FChanged = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value || std::find(FClients.begin(), FClients.end(), Value) != FClients.end()) return;
  if (Value->Sender() && Value->Sender() != this) Value->Sender()->UnRegisterChanges(Value);
  Value->SetSender(this);
  FClients.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(FClients.begin(), FClients.end(), Value);
  if (it == FClients.end()) return;
  FClients.erase(it);
  Value->SetSender(nullptr);
}

void TCustomImageList::Change() {
  if (FUpdateCount > 0) {
    FChanged = true;
    return;
  }
  FChanged = false;
  // A link's handler may unregister links; walk a copy and skip the gone.
  std::vector<TChangeLink*> clients = FClients;
  for (TChangeLink* l : clients)
    if (std::find(FClients.begin(), FClients.end(), l) != FClients.end()) l->Change();
  if (OnChange) OnChange(this);
}

// --- Streaming

void TCustomImageList::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(u"Bitmap", TStreamProc(this, &TCustomImageList::ReadData),
                              TStreamProc(this, &TCustomImageList::WriteData), Count() > 0);
}

void TCustomImageList::WriteData(TStream* Stream) {
  Integer n = Count();
  Byte head[18] = {'Q', 'n', 'I', 'L', 1, 0};
  auto put32 = [](Byte* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = Byte(v >> (8 * i));
  };
  put32(head + 6, uint32_t(FWidth));
  put32(head + 10, uint32_t(FHeight));
  put32(head + 14, uint32_t(n));
  Stream->WriteBuffer(head, sizeof head);
  for (Integer i = 0; i < n; ++i) {
    std::vector<uint32_t> px = ImagePixels(FHandle, i, FWidth, FHeight);
    TPngImage png(COLOR_RGBALPHA, 8, FWidth, FHeight);
    for (Integer y = 0; y < FHeight; ++y) {
      Byte* c = png.Scanline(y);
      Byte* a = png.AlphaScanline(y);
      for (Integer x = 0; x < FWidth; ++x) {
        uint32_t v = px[size_t(y) * size_t(FWidth) + size_t(x)];
        c[x * 3] = Byte(v);
        c[x * 3 + 1] = Byte(v >> 8);
        c[x * 3 + 2] = Byte(v >> 16);
        a[x] = Byte(v >> 24);
      }
    }
    TBytesStream data;
    png.SaveToStream(&data);
    Byte len[4];
    put32(len, uint32_t(data.Size()));
    Stream->WriteBuffer(len, 4);
    Stream->WriteBuffer(data.Bytes().data(), Integer(data.Size()));
  }
}

namespace {

[[noreturn]] void ImageListDataError(const char16_t* why) {
  throw EReadError(String(u"Failed to read ImageList data: ") + why);
}

uint16_t ReadU16(const Byte* p) { return uint16_t(p[0] | (p[1] << 8)); }

// The common controls' stream of an image list, as the designer stores it:
// a 28-byte header (the bytes "IL", the version 0x101, the image count, the
// capacity, the growth step, the image width and height as 16-bit numbers,
// the background colour, the ILC_* flags and four overlay indexes), then
// the images as one BMP file, four images to a row, and with ILC_MASK the
// mask as another (set bits are transparent). Answers straight 0xAARRGGBB
// pixels per image: a 32-bit image that has alpha keeps it, any other is
// opaque where the mask is clear.
std::vector<std::vector<uint32_t>> ReadCommonControlsStream(TStream* Stream, Int64 Left, Integer& W, Integer& H) {
  Byte head[28];
  if (Left < Int64(sizeof head)) ImageListDataError(u"header");
  Stream->ReadBuffer(head, sizeof head);
  if (head[0] != 'I' || head[1] != 'L' || ReadU16(head + 2) != 0x101) ImageListDataError(u"format");
  const Integer n = int16_t(ReadU16(head + 4));
  W = int16_t(ReadU16(head + 10));
  H = int16_t(ReadU16(head + 12));
  const uint16_t flags = ReadU16(head + 18);  // ILC_*
  if (W < 1 || H < 1 || W > kMaxStreamSide || H > kMaxStreamSide || n < 0) ImageListDataError(u"size");
  std::vector<std::vector<uint32_t>> images;
  if (n == 0 && Stream->Position() >= Stream->Size()) return images;
  // Answers whether the file was 32-bit: only such an image carries alpha.
  auto load = [&](TBitmap& b) {
    try {
      b.LoadFromStream(Stream);
    } catch (const EOutOfMemory&) {
      throw;
    } catch (const Exception&) {
      ImageListDataError(u"bitmap");
    }
    if (b.Empty()) ImageListDataError(u"bitmap");
    const bool was32 = b.PixelFormat() == TPixelFormat::pf32bit;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    return was32;
  };
  TBitmap image, mask;
  const bool deep = load(image);
  const bool masked = (flags & ILC_MASK) != 0;
  if (masked) {
    load(mask);
    if (mask.Width() != image.Width() || mask.Height() != image.Height()) ImageListDataError(u"mask");
  }
  const Integer columns = image.Width() / W, rows = image.Height() / H;
  if (columns < 1 || Int64(columns) * rows < n) ImageListDataError(u"count");
  for (Integer i = 0; i < n; ++i) {
    const Integer x0 = (i % columns) * W, y0 = (i / columns) * H;
    std::vector<uint32_t> px(size_t(W) * size_t(H));
    bool alpha = false;
    for (Integer y = 0; y < H; ++y) {
      auto* row = static_cast<const uint32_t*>(image.ScanLine(y0 + y)) + x0;
      for (Integer x = 0; x < W; ++x) alpha = alpha || (deep && (row[x] >> 24) != 0);
    }
    for (Integer y = 0; y < H; ++y) {
      auto* row = static_cast<const uint32_t*>(image.ScanLine(y0 + y)) + x0;
      auto* m = masked ? static_cast<const uint32_t*>(mask.ScanLine(y0 + y)) + x0 : nullptr;
      for (Integer x = 0; x < W; ++x) {
        uint32_t c = alpha ? row[x] : (row[x] | 0xFF000000u);
        if (m && (m[x] & 0xFFFFFF) != 0) c = 0;
        px[size_t(y) * size_t(W) + size_t(x)] = c;
      }
    }
    images.push_back(std::move(px));
  }
  return images;
}

}  // namespace

void TCustomImageList::ReadData(TStream* Stream) {
  auto bad = ImageListDataError;
  Int64 left = Stream->Size() - Stream->Position();
  Byte head[18];
  if (left >= 2) {
    const Int64 at = Stream->Position();
    Stream->ReadBuffer(head, 2);
    Stream->SetPosition(at);
    if (head[0] == 'I' && head[1] == 'L') {
      Integer w = 0, h = 0;
      std::vector<std::vector<uint32_t>> images = ReadCommonControlsStream(Stream, left, w, h);
      CommitImages(images, w, h);
      return;
    }
  }
  if (left < Int64(sizeof head)) bad(u"header");
  Stream->ReadBuffer(head, sizeof head);
  left -= sizeof head;
  if (std::memcmp(head, "QnIL", 4) != 0 || head[4] != 1 || head[5] != 0) bad(u"format");
  Integer w = Integer(ReadU32(head + 6)), h = Integer(ReadU32(head + 10)), n = Integer(ReadU32(head + 14));
  if (w < 1 || h < 1 || w > kMaxStreamSide || h > kMaxStreamSide || n < 0 || n > kMaxStreamCount) bad(u"size");
  // Each image needs at least its length field; a count beyond that is a lie.
  if (Int64(n) * 4 > left) bad(u"count");
  std::vector<std::vector<uint32_t>> images;
  for (Integer i = 0; i < n; ++i) {
    Byte len[4];
    if (left < 4) bad(u"count");
    Stream->ReadBuffer(len, 4);
    left -= 4;
    uint32_t size = ReadU32(len);
    if (Int64(size) > left || size < 33) bad(u"image size");
    std::vector<Byte> bytes(size);
    Stream->ReadBuffer(bytes.data(), Integer(size));
    left -= size;
    // The PNG must be the 8-bit RGBA picture of one image, checked before
    // anything is decoded.
    static const Byte kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::memcmp(bytes.data(), kSig, 8) != 0 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0 ||
        GetBE32(bytes.data() + 16) != uint32_t(w) || GetBE32(bytes.data() + 20) != uint32_t(h) || bytes[24] != 8 ||
        bytes[25] != COLOR_RGBALPHA)
      bad(u"image");
    TPngImage png;
    try {
      TBytesStream s(TBytes(bytes.begin(), bytes.end()));
      png.LoadFromStream(&s);
    } catch (const Exception&) {
      bad(u"image");
    }
    if (png.Width() != w || png.Height() != h || png.Header()->ColorType() != COLOR_RGBALPHA ||
        png.Header()->BitDepth() != 8)
      bad(u"image");
    std::vector<uint32_t> px(size_t(w) * size_t(h));
    for (Integer y = 0; y < h; ++y) {
      const Byte* c = png.Scanline(y);
      const Byte* a = png.AlphaScanline(y);
      for (Integer x = 0; x < w; ++x)
        px[size_t(y) * size_t(w) + size_t(x)] =
            (uint32_t(a[x]) << 24) | (uint32_t(c[x * 3 + 2]) << 16) | (uint32_t(c[x * 3 + 1]) << 8) | c[x * 3];
    }
    images.push_back(std::move(px));
  }
  CommitImages(images, w, h);
}

void TCustomImageList::CommitImages(const std::vector<std::vector<uint32_t>>& images, Integer w, Integer h) {
  // Everything read: only now does the list change.
  BeginUpdate();
  try {
    if (FHandle) ImageList_RemoveAll(FHandle);
    FWidth = w;
    FHeight = h;
    if (FHandle) ImageList_SetIconSize(FHandle, w, h);
    for (auto& px : images) {
      HBITMAP c, m;
      MakeBitmaps(px, w, h, c, m);
      ImageList_Add(Handle(), c, m);
      DeleteObject(c);
      DeleteObject(m);
    }
    FChanged = true;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TImageList)
