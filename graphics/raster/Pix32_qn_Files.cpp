// Pix32_qn: how a bitmap enters and leaves the system. Its own 32-bit BMP
// reader and writer, the "Data" property of form files, and the exchange
// with the platform's pictures and clipboard through Assign and AssignTo.
#include <cstring>
#include <vector>

#include "graphics/raster/Pix32_Backends_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Streaming.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Graphics.h"

namespace qn {

namespace {

constexpr Word BMP_SIGNATURE = 19778;  // "BM"
constexpr Integer BMP_HEADER_SIZE = 54;

Cardinal Get32(const Byte* P) {
  return Cardinal(P[0]) | Cardinal(P[1]) << 8 | Cardinal(P[2]) << 16 | Cardinal(P[3]) << 24;
}
Word Get16(const Byte* P) { return static_cast<Word>(P[0] | P[1] << 8); }
void Put32(Byte* P, Cardinal V) {
  P[0] = Byte(V);
  P[1] = Byte(V >> 8);
  P[2] = Byte(V >> 16);
  P[3] = Byte(V >> 24);
}
void Put16(Byte* P, Word V) {
  P[0] = Byte(V);
  P[1] = Byte(V >> 8);
}

bool OffersDrawingTarget(TCustomBackend* B) {
  return B && (B->GetInterface(IDeviceContextSupport::IID, nullptr) || B->GetInterface(ICanvasSupport::IID, nullptr));
}

}  // namespace

// ---------------------------------------------------------------------------
// Pixels from outside

void TCustomBitmap32::LoadPixels(TStream* Stream, Integer W, Integer H, bool BottomUp) {
  // The sizes come from the data: checked in 64 bits against what the stream
  // still holds before any storage is taken or the bitmap touched.
  if (W < 0 || H < 0) throw EReadError(u"Invalid bitmap dimensions");
  const UInt64 count = static_cast<UInt64>(W) * static_cast<UInt64>(H);
  if (count > static_cast<UInt64>(MaxGraphicPixels())) throw EReadError(u"Invalid bitmap dimensions");
  const Int64 avail = Stream->Size() - Stream->Position();
  if (avail < 0 || count * 4 > static_cast<UInt64>(avail)) throw EReadError(u"Stream read error");
  const Integer rowBytes = W * 4;
  // Held in memory, the pixels are all there (checked above): they go
  // straight into the new surface.
  auto* mem = dynamic_cast<TCustomMemoryStream*>(Stream);
  if (mem && mem->Position() >= 0) {
    const Int64 at = mem->Position();
    SetSize(W, H);
    const Byte* src = static_cast<const Byte*>(mem->Memory()) + at;
    if (!Empty() && FBits)
      for (Integer y = 0; y < H; ++y) {
        const Integer row = BottomUp ? H - 1 - y : y;
        std::memcpy(FBits + static_cast<size_t>(row) * W, src + static_cast<size_t>(y) * rowBytes, rowBytes);
      }
    mem->Seek(static_cast<Int64>(count) * 4, soCurrent);
    return;
  }
  std::vector<TColor32> pixels(static_cast<size_t>(count));
  if (rowBytes > 0)
    for (Integer y = 0; y < H; ++y) {
      const Integer row = BottomUp ? H - 1 - y : y;
      Stream->ReadBuffer(pixels.data() + static_cast<size_t>(row) * W, rowBytes);
    }
  SetSize(W, H);
  if (!Empty() && FBits) std::memcpy(FBits, pixels.data(), static_cast<size_t>(count) * 4);
}

void TCustomBitmap32::LoadFromStream(TStream* Stream) {
  GuardOutOfMemory([&] {
    Byte h[BMP_HEADER_SIZE];
    const Int64 start = Stream->Position();
    const Integer got = Stream->Read(h, BMP_HEADER_SIZE);
    if (got == BMP_HEADER_SIZE && Get16(h) == BMP_SIGNATURE && Get16(h + 26) == 1 && Get16(h + 28) == 32 &&
        Get32(h + 30) == 0) {
      // The pixel offset is not consulted: the pixels follow the header.
      const Integer w = static_cast<Integer>(Get32(h + 18));
      const Integer hf = static_cast<Integer>(Get32(h + 22));
      if (hf == std::numeric_limits<Integer>::min()) throw EReadError(u"Invalid bitmap dimensions");
      LoadPixels(Stream, w, hf < 0 ? -hf : hf, hf > 0);
    } else {
      Stream->Seek(start, soBeginning);
      TBitmap b;
      b.LoadFromStream(Stream);
      Assign(&b);
    }
    Changed();
  });
}

void TCustomBitmap32::SaveToStream(TStream* Stream, bool BottomUp) {
  Byte h[BMP_HEADER_SIZE] = {};
  const Cardinal imageSize = static_cast<Cardinal>(FWidth) * static_cast<Cardinal>(FHeight) * 4u;
  Put16(h, BMP_SIGNATURE);
  Put32(h + 2, imageSize + BMP_HEADER_SIZE);
  Put32(h + 10, BMP_HEADER_SIZE);
  Put32(h + 14, 40);
  Put32(h + 18, static_cast<Cardinal>(FWidth));
  Put32(h + 22, static_cast<Cardinal>(BottomUp ? FHeight : -FHeight));
  Put16(h + 26, 1);
  Put16(h + 28, 32);
  Put32(h + 34, imageSize);
  Stream->WriteBuffer(h, BMP_HEADER_SIZE);
  if (Empty() || !FBits) return;
  for (Integer y = 0; y < FHeight; ++y)
    Stream->WriteBuffer(GetScanLine(BottomUp ? FHeight - 1 - y : y), FWidth * 4);
}

void TCustomBitmap32::LoadFromFile(const String& FileName) {
  bool bmp;
  {
    TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
    Byte sig[2] = {};
    bmp = fs.Read(sig, 2) == 2 && Get16(sig) == BMP_SIGNATURE;
    if (bmp) {
      fs.SetPosition(0);
      LoadFromStream(&fs);
    }
  }
  if (bmp) return;
  TPicture pic;
  pic.LoadFromFile(FileName);
  Assign(&pic);
}

void TCustomBitmap32::SaveToFile(const String& FileName, bool BottomUp) {
  TFileStream fs(FileName, fmCreate);
  SaveToStream(&fs, BottomUp);
}

void TCustomBitmap32::LoadFromResourceID(NativeUInt Instance, Integer ResID) {
  TBitmap b;
  b.LoadFromResourceID(Instance, ResID);
  Assign(&b);
  Changed();
}

void TCustomBitmap32::LoadFromResourceName(NativeUInt Instance, const String& ResName) {
  TBitmap b;
  b.LoadFromResourceName(Instance, ResName);
  Assign(&b);
  Changed();
}

// ---------------------------------------------------------------------------
// The "Data" property

void TCustomBitmap32::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  bool hasData;
  if (TPersistent* anc = Filer->Ancestor()) {
    auto* b = dynamic_cast<TCustomBitmap32*>(anc);
    hasData = !b || !b->Equal(this);
  } else {
    hasData = !Empty();
  }
  Filer->DefineBinaryProperty(u"Data", MakeEvent(this, &TCustomBitmap32::ReadData),
                              MakeEvent(this, &TCustomBitmap32::WriteData), hasData);
}

void TCustomBitmap32::ReadData(TStream* Stream) {
  Integer w = 0, h = 0;
  Stream->ReadBufferData(w);
  Stream->ReadBufferData(h);
  LoadPixels(Stream, w, h, false);
  Changed();
}

void TCustomBitmap32::WriteData(TStream* Stream) {
  Stream->WriteBufferData(FWidth);
  Stream->WriteBufferData(FHeight);
  if (Empty() || !FBits) return;
  for (Integer y = 0; y < FHeight; ++y) Stream->WriteBuffer(GetScanLine(y), FWidth * 4);
}

// ---------------------------------------------------------------------------
// Assign and AssignTo

void TCustomBitmap32::Assign(TPersistent* Source) {
  BeginUpdate();
  try {
    if (!Source) {
      SetSize(0, 0);
    } else if (auto* src = dynamic_cast<TCustomBitmap32*>(Source)) {
      src->CopyMapTo(this);
      src->CopyPropertiesTo(this);
    } else if (auto* pic = dynamic_cast<TPicture*>(Source)) {
      AssignFromGraphic(pic->Graphic());
    } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
      AssignFromGraphic(g);
    } else if (auto* clip = dynamic_cast<TClipboard*>(Source)) {
      TPicture p;
      p.Assign(clip);
      AssignFromGraphic(p.Graphic());
    } else {
      inherited::Assign(Source);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Changed();
}

void TCustomBitmap32::AssignFromGraphic(TGraphic* G) {
  if (auto* b = dynamic_cast<TBitmap*>(G)) {
    if (b->Transparent()) {
      // A transparent bitmap would leave out its key-coloured pixels when
      // drawn; they are drawn as they are and made transparent below.
      TBitmap opaque;
      opaque.Assign(b);
      opaque.SetTransparent(false);
      ImportGraphic(&opaque, 0, b->PixelFormat() != TPixelFormat::pf32bit);
    } else {
      ImportGraphic(b, 0, b->PixelFormat() != TPixelFormat::pf32bit);
    }
    if (Empty()) return;
    if (b->Transparent()) {
      const TColor32 key = Color32(b->TransparentColor()) & 0x00FFFFFFu;
      const size_t n = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
      for (size_t i = 0; i < n; ++i)
        if ((FBits[i] & 0x00FFFFFFu) == key) FBits[i] &= 0x00FFFFFFu;
    }
    TIntf<IFontSupport> font;
    if (Supports(FBackend, font)) font->SetFont(b->Canvas()->Font());
  } else if (auto* icon = dynamic_cast<TIcon*>(G)) {
    ImportGraphic(icon, 0, false);
    if (Empty()) return;
    const size_t n = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
    bool anyAlpha = false;
    for (size_t i = 0; i < n && !anyAlpha; ++i) anyAlpha = (FBits[i] >> 24) != 0;
    if (!anyAlpha) ImportGraphicMasked(icon);
  } else if (auto* meta = dynamic_cast<TMetafile*>(G)) {
    ImportGraphicMasked(meta);
  } else {
    ImportGraphic(G, 0xFFFFFFFFu, true);
  }
}

void TCustomBitmap32::ImportGraphic(TGraphic* G, TColor32 F, bool ResetAlphaAfter) {
  if (!G) return;
  // Refused before anything changes when no backend of this bitmap could
  // take the drawing.
  if (!OffersDrawingTarget(FBackend)) {
    TCustomBitmap32 probe(GetPlatformBackendClass());
    if (!OffersDrawingTarget(probe.Backend())) throw Exception(u"Inpropriate Backend");
  }
  TCustomBackend* saved = nullptr;
  RequireBackendSupport(this, {IDeviceContextSupport::IID, ICanvasSupport::IID}, TRequireOperatorMode::romOr, true,
                        saved);
  try {
    SetSize(G->Width(), G->Height());
    if (!Empty()) {
      Clear(F);
      TIntf<IDeviceContextSupport> dc;
      TIntf<ICanvasSupport> cs;
      if (Supports(FBackend, dc)) {
        TCanvas canvas;
        canvas.SetHandle(dc->GetHandle());
        G->Draw(&canvas, BoundsRect());
        canvas.SetHandle(nullptr);
      } else if (Supports(FBackend, cs)) {
        G->Draw(cs->GetCanvas(), BoundsRect());
      } else {
        throw Exception(u"Inpropriate Backend");
      }
      if (ResetAlphaAfter) ResetAlpha();
    }
  } catch (...) {
    RestoreBackend(this, saved);
    throw;
  }
  RestoreBackend(this, saved);
}

void TCustomBitmap32::ImportGraphicMasked(TGraphic* G) {
  ImportGraphic(G, 0xFFFFFFFFu, false);
  if (Empty()) {
    Clear();
    return;
  }
  // Drawn once on white and once on red: where the two differ the graphic
  // left the background showing.
  TCustomBitmap32 red(GetPlatformBackendClass());
  red.ImportGraphic(G, 0xFFFF0000u, false);
  const size_t n = static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight);
  for (size_t i = 0; i < n; ++i) {
    if ((FBits[i] ^ red.FBits[i]) & 0x00FFFFFFu)
      FBits[i] &= 0x00FFFFFFu;
    else
      FBits[i] |= 0xFF000000u;
  }
}

void TCustomBitmap32::AssignTo(TPersistent* Dst) {
  if (auto* pic = dynamic_cast<TPicture*>(Dst)) {
    ExportToBitmap(pic->Bitmap());
  } else if (auto* bmp = dynamic_cast<TBitmap*>(Dst)) {
    ExportToBitmap(bmp);
  } else if (auto* clip = dynamic_cast<TClipboard*>(Dst)) {
    TBitmap b;
    ExportToBitmap(&b);
    clip->Assign(&b);
  } else {
    inherited::AssignTo(Dst);
  }
}

void TCustomBitmap32::ExportToBitmap(TBitmap* B) {
  TCustomBackend* saved = nullptr;
  RequireBackendSupport(this, {IDeviceContextSupport::IID}, TRequireOperatorMode::romOr, false, saved);
  try {
    B->SetPixelFormat(TPixelFormat::pf32bit);
    B->SetHandleType(TBitmapHandleType::bmDIB);
    B->SetSize(FWidth, FHeight);
    TIntf<IFontSupport> font;
    if (Supports(FBackend, font)) B->Canvas()->Font()->Assign(font->GetFont());
    if (!Empty()) {
      TIntf<IDeviceContextSupport> dc;
      if (Supports(FBackend, dc)) {
        TCanvas* c = B->Canvas();
        c->Lock();
        try {
          dc->DrawTo(c->Handle(), BoundsRect(), BoundsRect());
        } catch (...) {
          c->Unlock();
          throw;
        }
        c->Unlock();
      } else {
        // A backend without a device context: the rows are copied as they are.
        for (Integer y = 0; y < FHeight; ++y) std::memcpy(B->ScanLine(y), GetScanLine(y), size_t(FWidth) * 4);
      }
    }
  } catch (...) {
    RestoreBackend(this, saved);
    throw;
  }
  RestoreBackend(this, saved);
}

}  // namespace qn
