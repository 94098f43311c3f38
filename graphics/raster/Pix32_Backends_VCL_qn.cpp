#include "graphics/raster/Pix32_Backends_VCL_qn.h"

#include <cstring>

#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_Image_qn.h"
#include "platform/gdi/FileMapping.h"
#include "platform/gdi/GdiText.h"

namespace qn {

TTextToPathHook TextToPathHook = nullptr;
TMeasureTextHook MeasureTextHook = nullptr;
HFONT StockFont = nullptr;

namespace {

void TopDownInfo(BITMAPINFO& Info, Integer W, Integer H) {
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = -H;
}

}  // namespace

// ---------------------------------------------------------------------------
// TGDIBackend

TGDIBackend::TGDIBackend() : FFont(std::make_unique<TFont>()) {
  auto& h = FBitmapInfo.bmiHeader;
  h.biSize = 40;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  FFont->SetOnChange(MakeEvent(this, &TGDIBackend::FontChangedHandler));
}

TGDIBackend::~TGDIBackend() {
  DeleteCanvas();
  ReleaseSurface();
}

void TGDIBackend::BeforeDestruction() {
  DeleteCanvas();
  inherited::BeforeDestruction();
}

void TGDIBackend::ReleaseSurface() {
  if (FHDC) DeleteDC(FHDC);
  if (FBitmapHandle) DeleteObject(FBitmapHandle);
  FHDC = nullptr;
  FBitmapHandle = nullptr;
  FFontHandle = nullptr;
  FBits = nullptr;
}

void TGDIBackend::InitializeSurface(Integer NewWidth, Integer NewHeight, bool) {
  // A new section starts as the platform delivers it: zeroed.
  TopDownInfo(FBitmapInfo, NewWidth, NewHeight);
  FBitmapInfo.bmiHeader.biSizeImage = static_cast<DWORD>(static_cast<UInt64>(NewWidth) * NewHeight * 4);
  PrepareFileMapping(NewWidth, NewHeight);
  void* bits = nullptr;
  FBitmapHandle = CreateDIBSection(nullptr, &FBitmapInfo, DIB_RGB_COLORS, &bits, FMapHandle, 0);
  FBits = static_cast<PColor32Array>(bits);
  if (!FBits) {
    if (FBitmapHandle) DeleteObject(FBitmapHandle);
    FBitmapHandle = nullptr;
    throw Exception(u"Can't allocate the DIB handle");
  }
  FHDC = CreateCompatibleDC(nullptr);
  if (!FHDC) {
    DeleteObject(FBitmapHandle);
    FBitmapHandle = nullptr;
    FBits = nullptr;
    throw Exception(u"Can't create compatible DC");
  }
  if (!SelectObject(FHDC, FBitmapHandle)) {
    ReleaseSurface();
    throw Exception(u"Can't select an object into DC");
  }
}

void TGDIBackend::FinalizeSurface() { ReleaseSurface(); }

void TGDIBackend::Changed() {
  if (FCanvas) FCanvas->SetHandle(FHDC);
  inherited::Changed();
}

TCanvas* TGDIBackend::GetCanvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TCanvas>();
    FCanvas->SetHandle(FHDC);
    FCanvas->OnChange = MakeEvent(this, &TGDIBackend::CanvasChangedHandler);
  }
  return FCanvas.get();
}

void TGDIBackend::DeleteCanvas() {
  if (!FCanvas) return;
  FCanvas->SetHandle(nullptr);
  FCanvas.reset();
}

void TGDIBackend::SetFont(TFont* Font) {
  FFont->Assign(Font);
  FontChanged();
}

void TGDIBackend::FontChangedHandler(TObject*) {
  if (FFontHandle) {
    if (FHDC && StockFont) SelectObject(FHDC, StockFont);
    FFontHandle = nullptr;
  }
  FontChanged();
}

void TGDIBackend::CanvasChangedHandler(TObject*) { CanvasChanged(); }

void TGDIBackend::FontChanged() {
  if (FOnFontChange) FOnFontChange(this);
}

void TGDIBackend::CanvasChanged() {
  if (FOnCanvasChange) FOnCanvasChange(this);
}

void TGDIBackend::UpdateFont() {
  if (!FHDC) return;
  if (!FFontHandle) {
    FFontHandle = FFont->Handle();
  }
  SelectObject(FHDC, FFontHandle);
  SetTextColor(FHDC, ColorToRGB(FFont->Color()));
  SetBkMode(FHDC, TRANSPARENT);
}

void TGDIBackend::TextChanged(Integer X, Integer Y, const String& Text) {
  // While the owner holds its updates back nobody hears of the area, and
  // measuring it would cost as much as drawing the text again.
  if (FOwner->UpdateCount() != 0 && !FOwner->MeasuringMode()) return;
  const TSize e = TextExtent(Text);
  FOwner->Changed(TRect(X, Y, X + e.cx + 1, Y + e.cy + 1), AREA_RECT_FLAG);
}

void TGDIBackend::Textout(Integer X, Integer Y, const String& Text) {
  UpdateFont();
  if (!FOwner->MeasuringMode() && FHDC) {
    if (FOwner->Clipping()) {
      const TRect clip = FOwner->ClipRect();
      ExtTextOutW(FHDC, X, Y, ETO_CLIPPED, &clip, Text.data(), UINT(Text.size()), nullptr);
    } else {
      ExtTextOutW(FHDC, X, Y, 0, nullptr, Text.data(), UINT(Text.size()), nullptr);
    }
  }
  TextChanged(X, Y, Text);
}

void TGDIBackend::Textout(Integer X, Integer Y, const TRect& ClipRect, const String& Text) {
  UpdateFont();
  if (!FOwner->MeasuringMode() && FHDC)
    ExtTextOutW(FHDC, X, Y, ETO_CLIPPED, &ClipRect, Text.data(), UINT(Text.size()), nullptr);
  TextChanged(X, Y, Text);
}

void TGDIBackend::Textout(TRect& DstRect, Cardinal Flags, const String& Text) {
  UpdateFont();
  if (!FOwner->MeasuringMode() && FHDC) DrawTextW(FHDC, Text.data(), Integer(Text.size()), &DstRect, Flags);
  FOwner->Changed(DstRect, AREA_RECT_FLAG);
}

TSize TGDIBackend::TextExtent(const String& Text) {
  TSize result{0, 0};
  UpdateFont();
  if (FHDC) {
    GetTextExtentPoint32W(FHDC, Text.data(), Integer(Text.size()), &result);
    return result;
  }
  // Without a surface the shared stock bitmap measures.
  TCanvas* c = StockBitmap->Canvas();
  c->Lock();
  try {
    const HDC dc = c->Handle();
    const HGDIOBJ old = SelectObject(dc, FFont->Handle());
    GetTextExtentPoint32W(dc, Text.data(), Integer(Text.size()), &result);
    SelectObject(dc, old);
  } catch (...) {
    c->Unlock();
    throw;
  }
  c->Unlock();
  return result;
}

void TGDIBackend::TextToPath(TCustomPath* Path, TFloat X, TFloat Y, const String& Text) {
  TextToPath(Path, TFloatRect{X, Y, X, Y}, Text, 0);
}

void TGDIBackend::TextToPath(TCustomPath* Path, const TFloatRect& DstRect, const String& Text, Cardinal Flags) {
  if (TextToPathHook) TextToPathHook(FFont->Handle(), Path, DstRect, Text, Flags);
}

TFloatRect TGDIBackend::MeasureText(const TFloatRect& DstRect, const String& Text, Cardinal Flags) {
  if (MeasureTextHook) return MeasureTextHook(FFont->Handle(), DstRect, Text, Flags);
  return TFloatRect{DstRect.Left, DstRect.Top, DstRect.Left, DstRect.Top};
}

void TGDIBackend::DrawTo(HDC hDst, Integer DstX, Integer DstY) {
  const Integer w = FOwner ? FOwner->Width() : 0, h = FOwner ? FOwner->Height() : 0;
  StretchDIBits(hDst, DstX, DstY, w, h, 0, 0, w, h, FBits, &FBitmapInfo, DIB_RGB_COLORS, SRCCOPY);
}

void TGDIBackend::DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  StretchBlt(hDst, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), FHDC, SrcRect.Left, SrcRect.Top,
             SrcRect.Width(), SrcRect.Height(), SRCCOPY);
}

void TGDIBackend::Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) {
  if (!FOwner || FOwner->Empty()) return;
  if (!FOwner->MeasuringMode())
    StretchBlt(FHDC, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), hSrc, SrcRect.Left, SrcRect.Top,
               SrcRect.Width(), SrcRect.Height(), SRCCOPY);
  FOwner->Changed(DstRect, AREA_RECT_FLAG);
}

void TGDIBackend::DoPaint(TCustomBitmap32* ABuffer, TRectList* AInvalidRects, TCanvas* ACanvas,
                          TCustomPaintBox32_qn* APaintBox) {
  // A paint outside the window's own paint cycle finds the canvas without a
  // device context. The canvas would get the window's one, select its font,
  // pen and brush into it and keep it until the message loop frees it; the
  // copies need none of that, so they take the window's device context
  // themselves and give it back at once.
  struct TWindowDC {
    HWND Wnd = nullptr;
    HDC DC = nullptr;
    ~TWindowDC() {
      if (DC) ReleaseDC(Wnd, DC);
    }
  } own;
  if (!ACanvas->HandleAllocated() && APaintBox && ACanvas == APaintBox->Canvas() && APaintBox->HandleAllocated()) {
    own.Wnd = APaintBox->Handle();
    own.DC = GetDC(own.Wnd);
  }
  // Within the window's paint the canvas holds the paint's device context;
  // taking it from the canvas would first select the canvas's font, pen and
  // brush into it, which a copy does not use.
  const HDC painting = APaintBox && ACanvas == APaintBox->Canvas() ? APaintBox->PaintDC() : nullptr;
  const HDC dst = own.DC ? own.DC : painting ? painting : ACanvas->Handle();
  if (!AInvalidRects || AInvalidRects->Count() == 0) {
    const TRect r = APaintBox ? APaintBox->GetViewportRect() : ABuffer->BoundsRect();
    BitBlt(dst, r.Left, r.Top, r.Width(), r.Height(), FHDC, r.Left, r.Top, SRCCOPY);
    return;
  }
  for (Integer i = 0; i < AInvalidRects->Count(); ++i) {
    const TRect& r = *AInvalidRects->Items(i);
    BitBlt(dst, r.Left, r.Top, r.Width(), r.Height(), FHDC, r.Left, r.Top, SRCCOPY);
  }
}

// ---------------------------------------------------------------------------
// TGDIMMFBackend

TGDIMMFBackend::TGDIMMFBackend(bool IsTemporary, const String& MapFileName)
    : FMapFileHandle(INVALID_FILE_HANDLE), FMapIsTemporary(IsTemporary), FMapFileName(MapFileName) {
  FMapHandle = INVALID_FILE_HANDLE;
  TMMFBackend::InitializeFileMapping(FMapHandle, FMapFileHandle, FMapFileName);
  FMapHandle = nullptr;
}

void TGDIMMFBackend::BeforeDestruction() {
  // The section goes first (inherited: Clear), then the handles and the file.
  inherited::BeforeDestruction();
  HANDLE m = FMapHandle ? FMapHandle : INVALID_FILE_HANDLE;
  TMMFBackend::DeinitializeFileMapping(m, FMapFileHandle, FMapFileName);
  FMapHandle = nullptr;
}

TGDIMMFBackend::~TGDIMMFBackend() {
  DeleteCanvas();
  if (FHDC) DeleteDC(FHDC);
  if (FBitmapHandle) DeleteObject(FBitmapHandle);
  FHDC = nullptr;
  FBitmapHandle = nullptr;
  FBits = nullptr;
  HANDLE m = FMapHandle ? FMapHandle : INVALID_FILE_HANDLE;
  TMMFBackend::DeinitializeFileMapping(m, FMapFileHandle, FMapFileName);
  FMapHandle = nullptr;
}

void TGDIMMFBackend::PrepareFileMapping(Integer NewWidth, Integer NewHeight) {
  HANDLE m = FMapHandle ? FMapHandle : INVALID_FILE_HANDLE;
  FMapHandle = nullptr;
  TMMFBackend::CreateFileMapping(m, FMapFileHandle, FMapFileName, FMapIsTemporary, NewWidth, NewHeight);
  FMapHandle = m;
}

// ---------------------------------------------------------------------------
// TGDIMemoryBackend

TGDIMemoryBackend::TGDIMemoryBackend() {
  auto& h = FBitmapInfo.bmiHeader;
  h.biSize = 40;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  h.biXPelsPerMeter = 96;
  h.biYPelsPerMeter = 96;
  h.biClrUsed = 0;
}

void TGDIMemoryBackend::InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) {
  inherited::InitializeSurface(NewWidth, NewHeight, ClearBuffer);
  TopDownInfo(FBitmapInfo, NewWidth, NewHeight);
}

void TGDIMemoryBackend::CopyToDevice(HDC hDst, Integer X, Integer Y, Integer W, Integer H, Integer SrcX,
                                     Integer SrcY, const TColor32* Bits) {
  if (W <= 0 || H <= 0 || !Bits) return;
  if (SetDIBitsToDevice(hDst, X, Y, DWORD(W), DWORD(H), SrcX, SrcY, 0, UINT(H), Bits, &FBitmapInfo,
                        DIB_RGB_COLORS) != 0)
    return;
  // The device refused the DIB: the same area goes through a section.
  const HDC dc = CreateCompatibleDC(nullptr);
  void* sectionBits = nullptr;
  const HBITMAP section = CreateDIBSection(nullptr, &FBitmapInfo, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
  if (!section || !sectionBits || !dc) {
    if (section) DeleteObject(section);
    if (dc) DeleteDC(dc);
    throw Exception(u"Can't create compatible DC'");
  }
  const Integer bw = FBitmapInfo.bmiHeader.biWidth, bh = -FBitmapInfo.bmiHeader.biHeight;
  std::memcpy(sectionBits, Bits, size_t(bw) * size_t(bh) * 4);
  const HGDIOBJ old = SelectObject(dc, section);
  BitBlt(hDst, X, Y, W, H, dc, SrcX, SrcY, SRCCOPY);
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

void TGDIMemoryBackend::DrawTo(HDC hDst, Integer DstX, Integer DstY) {
  if (!FOwner) return;
  CopyToDevice(hDst, DstX, DstY, FOwner->Width(), FOwner->Height(), 0, 0, FBits);
}

void TGDIMemoryBackend::DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  // No stretching: the destination's size from the source's top-left.
  CopyToDevice(hDst, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), SrcRect.Left, SrcRect.Top,
               FBits);
}

void TGDIMemoryBackend::Draw(const TRect& DstRect, const TRect&, HDC) {
  if (!FOwner || FOwner->Empty()) return;
  if (!FOwner->MeasuringMode()) throw Exception(u"Not supported!");
  FOwner->Changed(DstRect, AREA_RECT_FLAG);
}

void TGDIMemoryBackend::DoPaint(TCustomBitmap32* ABuffer, TRectList* AInvalidRects, TCanvas* ACanvas,
                                TCustomPaintBox32_qn* APaintBox) {
  if (!AInvalidRects || AInvalidRects->Count() == 0) {
    DoPaintRect(ABuffer, APaintBox ? APaintBox->GetViewportRect() : ABuffer->BoundsRect(), ACanvas);
    return;
  }
  for (Integer i = 0; i < AInvalidRects->Count(); ++i) DoPaintRect(ABuffer, *AInvalidRects->Items(i), ACanvas);
}

void TGDIMemoryBackend::DoPaintRect(TCustomBitmap32* ABuffer, const TRect& ARect, TCanvas* ACanvas) {
  CopyToDevice(ACanvas->Handle(), ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), ARect.Left, ARect.Top,
               ABuffer->Bits());
}

void InitPix32BackendsVCL() { StockFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

void DonePix32BackendsVCL() { StockFont = nullptr; }

}  // namespace qn
