// Pix32_qn: TBitmap32 over the device-context backends, GDI text and
// anti-aliased text by supersampling.
#include <algorithm>

#include "graphics/raster/Pix32_Backends_VCL_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"
#include "platform/gdi/GdiText.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

namespace {

template <class I>
TIntf<I> Need(TCustomBackend* B) {
  TIntf<I> r;
  if (!Supports(B, r)) throw EInvalidCast(u"Interface not supported");
  return r;
}

}  // namespace

TBitmap32::TBitmap32() : TBitmap32(TGDIBackend::StaticClass()) {}

TBitmap32::TBitmap32(TCustomBackendClass Backend) : TCustomBitmap32(Backend) {
  // The base constructor attached the backend before this class existed.
  HookBackend(FBackend, true);
}

TCustomBackendClass TBitmap32::GetPlatformBackendClass() const { return TGDIBackend::StaticClass(); }

void TBitmap32::HookBackend(TCustomBackend* Backend, bool Hook) {
  if (!Backend) return;
  TIntf<IFontSupport> font;
  if (Supports(Backend, font))
    font->SetOnFontChange(Hook ? MakeEvent(this, &TBitmap32::FontChanged) : TNotifyEvent());
  TIntf<ICanvasSupport> canvas;
  if (Supports(Backend, canvas))
    canvas->SetCanvasChange(Hook ? MakeEvent(this, &TBitmap32::CanvasChanged) : TNotifyEvent());
}

void TBitmap32::SetBackend(TCustomBackend* Backend) {
  if (!Backend || Backend == FBackend) return;
  HookBackend(Backend, true);
  inherited::SetBackend(Backend);
}

void TBitmap32::FinalizeBackend() {
  HookBackend(FBackend, false);
  inherited::FinalizeBackend();
}

void TBitmap32::BackendChangingHandler(TObject* Sender) {
  inherited::BackendChangingHandler(Sender);
  FontChanged(this);
  DeleteCanvas();
}

void TBitmap32::BackendChangedHandler(TObject* Sender) {
  inherited::BackendChangedHandler(Sender);
  HandleChanged();
}

void TBitmap32::HandleChanged() {
  if (FOnHandleChanged) FOnHandleChanged(this);
}

void TBitmap32::CopyPropertiesTo(TCustomBitmap32* Dst) {
  inherited::CopyPropertiesTo(Dst);
  auto* b = dynamic_cast<TBitmap32*>(Dst);
  if (!b) return;
  TIntf<IFontSupport> mine, theirs;
  if (Supports(FBackend, mine) && Supports(b->FBackend, theirs)) theirs->SetFont(mine->GetFont());
}

TCanvas* TBitmap32::GetCanvas() { return Need<ICanvasSupport>(FBackend)->GetCanvas(); }
bool TBitmap32::CanvasAllocated() { return Need<ICanvasSupport>(FBackend)->CanvasAllocated(); }

void TBitmap32::DeleteCanvas() {
  TIntf<ICanvasSupport> c;
  if (Supports(FBackend, c)) c->DeleteCanvas();
}

TFont* TBitmap32::GetFont() { return Need<IFontSupport>(FBackend)->GetFont(); }
void TBitmap32::SetFont(TFont* Value) { Need<IFontSupport>(FBackend)->SetFont(Value); }
void TBitmap32::UpdateFont() { Need<IFontSupport>(FBackend)->UpdateFont(); }
HBITMAP TBitmap32::Handle() { return Need<IBitmapContextSupport>(FBackend)->GetBitmapHandle(); }
BITMAPINFO TBitmap32::BitmapInfo() { return Need<IBitmapContextSupport>(FBackend)->GetBitmapInfo(); }
HDC TBitmap32::GetHDC() { return Need<IDeviceContextSupport>(FBackend)->GetHandle(); }

void TBitmap32::Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) {
  Need<IDeviceContextSupport>(FBackend)->Draw(DstRect, SrcRect, hSrc);
}

void TBitmap32::DrawTo(HDC hDst, Integer DstX, Integer DstY) {
  if (Empty()) return;
  Need<IDeviceContextSupport>(FBackend)->DrawTo(hDst, DstX, DstY);
}

void TBitmap32::DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  if (Empty()) return;
  Need<IDeviceContextSupport>(FBackend)->DrawTo(hDst, DstRect, SrcRect);
}

void TBitmap32::TileTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) {
  constexpr Integer TILE = 1024;
  const Integer w = DstRect.Width(), h = DstRect.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap32 scratch;
  for (Integer y = 0; y < (h + TILE - 1) / TILE; ++y)
    for (Integer x = 0; x < (w + TILE - 1) / TILE; ++x) {
      const Integer tw = std::min((x + 1) * TILE, w) - x * TILE;
      const Integer th = std::min((y + 1) * TILE, h) - y * TILE;
      scratch.SetSize(tw, th);
      StretchTransfer(&scratch, TRect(-x * TILE, -y * TILE, w - x * TILE, h - y * TILE), TRect(0, 0, tw, th), this,
                      SrcRect, FResampler, FDrawMode, FOnPixelCombine);
      const Integer left = DstRect.Left + x * TILE, top = DstRect.Top + y * TILE;
      scratch.DrawTo(hDst, TRect(left, top, left + tw, top + th), scratch.BoundsRect());
    }
}

void TBitmap32::Textout(Integer X, Integer Y, const String& Text) { Need<ITextSupport>(FBackend)->Textout(X, Y, Text); }
void TBitmap32::Textout(Integer X, Integer Y, const TRect& ClipRect, const String& Text) {
  Need<ITextSupport>(FBackend)->Textout(X, Y, ClipRect, Text);
}
void TBitmap32::Textout(TRect& DstRect, Cardinal Flags, const String& Text) {
  Need<ITextSupport>(FBackend)->Textout(DstRect, Flags, Text);
}
void TBitmap32::TextoutW(Integer X, Integer Y, const WideString& Text) {
  Need<ITextSupport>(FBackend)->TextoutW(X, Y, Text);
}
void TBitmap32::TextoutW(Integer X, Integer Y, const TRect& ClipRect, const WideString& Text) {
  Need<ITextSupport>(FBackend)->TextoutW(X, Y, ClipRect, Text);
}
void TBitmap32::TextoutW(TRect& DstRect, Cardinal Flags, const WideString& Text) {
  Need<ITextSupport>(FBackend)->TextoutW(DstRect, Flags, Text);
}
TSize TBitmap32::TextExtent(const String& Text) { return Need<ITextSupport>(FBackend)->TextExtent(Text); }
TSize TBitmap32::TextExtentW(const WideString& Text) { return Need<ITextSupport>(FBackend)->TextExtentW(Text); }

// ---------------------------------------------------------------------------
// Anti-aliased text

void SetFontAntialiasing(TFont* Font, Cardinal Quality) {
  LOGFONTW lf{};
  lf.lfHeight = Font->Height();
  lf.lfWidth = 0;
  lf.lfEscapement = lf.lfOrientation = Font->Orientation();
  const TFontStyles style = Font->Style();
  lf.lfWeight = style.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style.Contains(TFontStyle::fsItalic);
  lf.lfUnderline = style.Contains(TFontStyle::fsUnderline);
  lf.lfStrikeOut = style.Contains(TFontStyle::fsStrikeOut);
  lf.lfCharSet = Font->Charset();
  String face = SameText(Font->Name(), u"Default") ? DefFontData().Name : Font->Name();
  if (face.size() >= LF_FACESIZE) face.resize(LF_FACESIZE - 1);
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  lf.lfOutPrecision = Font->Orientation() != 0 ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = 0;
  lf.lfQuality = static_cast<BYTE>(Quality);
  switch (Font->Pitch()) {
    case TFontPitch::fpVariable: lf.lfPitchAndFamily = VARIABLE_PITCH; break;
    case TFontPitch::fpFixed: lf.lfPitchAndFamily = FIXED_PITCH; break;
    default: lf.lfPitchAndFamily = DEFAULT_PITCH; break;
  }
  Font->SetHandle(CreateFontIndirectW(&lf));
}

namespace {

// White text drawn by GDI on a cleared surface: the blue byte is the
// coverage. Untouched pixels stay fully transparent.
void CoverageToColour(TCustomBitmap32& B, TColor32 Color) {
  const size_t n = static_cast<size_t>(B.Width()) * static_cast<size_t>(B.Height());
  PColor32Array p = B.Bits();
  for (size_t i = 0; i < n; ++i)
    if (p[i] != 0) p[i] = (p[i] & 0xFFu) << 24 | Color;
}

void BlendText(TCustomBitmap32& Text, TCustomBitmap32* Target, Integer X, Integer Y, Cardinal Alpha) {
  Text.SetDrawMode(TDrawMode::dmBlend);
  Text.SetMasterAlpha(Alpha);
  Text.SetCombineMode(Target->CombineMode());
  Text.DrawTo(Target, X, Y);
}

}  // namespace

void TBitmap32::RenderText(Integer X, Integer Y, const String& Text, Integer AALevel, TColor32 Color) {
  RenderTextAt(X, Y, Text, AALevel, Color, false);
}

void TBitmap32::RenderTextW(Integer X, Integer Y, const WideString& Text, Integer AALevel, TColor32 Color) {
  RenderTextAt(X, Y, Text, AALevel, Color, true);
}

void TBitmap32::RenderTextAt(Integer X, Integer Y, const String& Text, Integer AALevel, TColor32 Color,
                             bool StockMeasure) {
  if (Empty()) return;
  const Cardinal alpha = Color >> 24;
  Color &= 0x00FFFFFFu;
  AALevel = std::clamp(AALevel, -1, 4);
  TFont* font = GetFont();
  SetFontAntialiasing(font, AALevel == -1 ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY);
  const String padded = Text + u" ";
  try {
    TBitmap32 text;
    if (AALevel > 0) {
      const Integer scale = 1 << AALevel;
      TBitmap32 scratch;
      scratch.SetFont(font);
      scratch.Font()->SetHeight(font->Height() * scale);
      scratch.Font()->SetColor(clWhite);
      TSize size;
      if (StockMeasure) {
        // Measured on the shared stock bitmap, each axis rounded up to
        // whole target pixels.
        TCanvas* c = StockBitmap->Canvas();
        c->Lock();
        try {
          c->Font()->Assign(scratch.Font());
          size = c->TextExtent(padded);
        } catch (...) {
          c->Unlock();
          throw;
        }
        c->Unlock();
        size.cx = ((size.cx >> AALevel) + 1) << AALevel;
        size.cy = ((size.cy >> AALevel) + 1) << AALevel;
      } else {
        size = scratch.TextExtent(padded);
        size.cx += scale;
        size.cy += scale;
      }
      scratch.SetSize(size.cx, size.cy);
      scratch.Clear(0);
      scratch.Textout(0, 0, Text);
      text.SetSize(size.cx >> AALevel, size.cy >> AALevel);
      const Integer shift = 2 * AALevel;
      for (Integer y = 0; y < text.Height(); ++y)
        for (Integer x = 0; x < text.Width(); ++x) {
          Cardinal sum = 0;
          for (Integer sy = 0; sy < scale; ++sy) {
            const TColor32* row = scratch.GetPixelPtr(x * scale, y * scale + sy);
            for (Integer sx = 0; sx < scale; ++sx) sum += row[sx] & 0xFFu;
          }
          text.SetPixel(x, y, (sum >> shift) << 24 | Color);
        }
    } else {
      TSize size = TextExtent(padded);
      size.cx = std::min(size.cx, FWidth);
      size.cy = std::min(size.cy, FHeight);
      text.SetSize(size.cx, size.cy);
      text.SetFont(font);
      text.Clear(0);
      text.Font()->SetColor(clWhite);
      text.Textout(0, 0, Text);
      CoverageToColour(text, Color);
    }
    BlendText(text, this, X, Y, alpha);
  } catch (...) {
    SetFontAntialiasing(font, DEFAULT_QUALITY);
    throw;
  }
  SetFontAntialiasing(font, DEFAULT_QUALITY);
}

void TBitmap32::RenderText(const TRect& DstRect, Cardinal Flags, const String& Text, TColor32 Color) {
  // Rendered without anti-aliasing, and the font goes back to its default
  // quality afterwards so that later text on this bitmap is smooth again.
  RenderTextInRect(DstRect, Flags, Text, NONANTIALIASED_QUALITY, Color);
}

void TBitmap32::RenderText(const TRect& DstRect, Cardinal Flags, const String& Text, Byte Quality, TColor32 Color) {
  RenderTextInRect(DstRect, Flags, Text, Quality, Color);
}

void TBitmap32::RenderTextInRect(const TRect& DstRect, Cardinal Flags, const String& Text, Byte Quality,
                                 TColor32 Color) {
  if (Empty()) return;
  const Cardinal alpha = Color >> 24;
  Color &= 0x00FFFFFFu;
  TFont* font = GetFont();
  SetFontAntialiasing(font, Quality);
  try {
    TBitmap32 text;
    text.SetSize(DstRect.Width(), DstRect.Height());
    text.SetFont(font);
    text.Clear(0);
    text.Font()->SetColor(clWhite);
    TRect r(0, 0, text.Width(), text.Height());
    if (!text.Empty()) text.Textout(r, Flags, Text);
    CoverageToColour(text, Color);
    BlendText(text, this, DstRect.Left, DstRect.Top, alpha);
  } catch (...) {
    SetFontAntialiasing(font, DEFAULT_QUALITY);
    throw;
  }
  SetFontAntialiasing(font, DEFAULT_QUALITY);
}

}  // namespace qn
