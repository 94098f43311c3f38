// Backends over the platform's device contexts: a DIB section with a memory
// device context, canvas and font (TGDIBackend, also over a memory-mapped
// file as TGDIMMFBackend), and heap pixels drawn to device contexts with
// DIB calls (TGDIMemoryBackend).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_Backends_Generic_qn.h"
#include "graphics/raster/Pix32_Backends_qn.h"
#include "platform/vcl/Graphics.h"

namespace qn {

// Text to path goes to the text-outline unit, which installs these when it
// is initialised; until then TextToPath adds nothing and MeasureText answers
// an empty rectangle at the rectangle's top-left.
using TTextToPathHook = void (*)(HFONT Font, TCustomPath* Path, const TFloatRect& DstRect, const String& Text,
                                 Cardinal Flags);
using TMeasureTextHook = TFloatRect (*)(HFONT Font, const TFloatRect& DstRect, const String& Text, Cardinal Flags);
extern TTextToPathHook TextToPathHook;
extern TMeasureTextHook MeasureTextHook;

class TGDIBackend : public TCustomBackend,
                    public ITextToPathSupport,
                    public ICanvasSupport,
                    public IFontSupport,
                    public ITextSupport,
                    public IDeviceContextSupport,
                    public IBitmapContextSupport,
                    public IPaintSupport {
  QN_BACKEND_CLASS(TGDIBackend, TCustomBackend)
  QN_INTERFACES(ITextToPathSupport, ICanvasSupport, IFontSupport, ITextSupport, IDeviceContextSupport,
                IBitmapContextSupport, IPaintSupport)
 public:
  TGDIBackend();
  ~TGDIBackend() override;
  void BeforeDestruction() override;

  bool Empty() const override { return FBitmapHandle == nullptr; }
  void Changed() override;

  // ITextToPathSupport
  void TextToPath(TCustomPath* Path, TFloat X, TFloat Y, const String& Text) override;
  void TextToPath(TCustomPath* Path, const TFloatRect& DstRect, const String& Text, Cardinal Flags) override;
  TFloatRect MeasureText(const TFloatRect& DstRect, const String& Text, Cardinal Flags) override;
  // ICanvasSupport
  TNotifyEvent GetCanvasChange() override { return FOnCanvasChange; }
  void SetCanvasChange(const TNotifyEvent& Handler) override { FOnCanvasChange = Handler; }
  TCanvas* GetCanvas() override;
  void DeleteCanvas() override;
  bool CanvasAllocated() override { return FCanvas != nullptr; }
  // IFontSupport
  TNotifyEvent GetOnFontChange() override { return FOnFontChange; }
  void SetOnFontChange(const TNotifyEvent& Handler) override { FOnFontChange = Handler; }
  TFont* GetFont() override { return FFont.get(); }
  void SetFont(TFont* Font) override;
  void UpdateFont() override;
  // ITextSupport. In measuring mode nothing is drawn; the area is reported
  // all the same.
  void Textout(Integer X, Integer Y, const String& Text) override;
  void Textout(Integer X, Integer Y, const TRect& ClipRect, const String& Text) override;
  void Textout(TRect& DstRect, Cardinal Flags, const String& Text) override;
  TSize TextExtent(const String& Text) override;
  void TextoutW(Integer X, Integer Y, const WideString& Text) override { Textout(X, Y, Text); }
  void TextoutW(Integer X, Integer Y, const TRect& ClipRect, const WideString& Text) override {
    Textout(X, Y, ClipRect, Text);
  }
  void TextoutW(TRect& DstRect, Cardinal Flags, const WideString& Text) override { Textout(DstRect, Flags, Text); }
  TSize TextExtentW(const WideString& Text) override { return TextExtent(Text); }
  // IDeviceContextSupport
  HDC GetHandle() override { return FHDC; }
  void Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) override;
  void DrawTo(HDC hDst, Integer DstX, Integer DstY) override;
  void DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) override;
  // IBitmapContextSupport
  BITMAPINFO GetBitmapInfo() override { return FBitmapInfo; }
  HBITMAP GetBitmapHandle() override { return FBitmapHandle; }
  // IPaintSupport
  void ImageNeeded() override {}
  void CheckPixmap() override {}
  void DoPaint(TCustomBitmap32* ABuffer, TRectList* AInvalidRects, TCanvas* ACanvas,
               TCustomPaintBox32_qn* APaintBox) override;

 protected:
  void InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) override;
  void FinalizeSurface() override;
  // Called before the DIB section is made; TGDIMMFBackend creates its
  // mapping here.
  virtual void PrepareFileMapping(Integer NewWidth, Integer NewHeight) {}
  void FontChangedHandler(TObject* Sender);
  void CanvasChangedHandler(TObject* Sender);
  void FontChanged();
  void CanvasChanged();

  BITMAPINFO FBitmapInfo{};
  HBITMAP FBitmapHandle = nullptr;
  HDC FHDC = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TCanvas> FCanvas;
  HFONT FFontHandle = nullptr;
  HANDLE FMapHandle = nullptr;
  TNotifyEvent FOnFontChange;
  TNotifyEvent FOnCanvasChange;

 private:
  void ReleaseSurface();
  // Reports the area text drawn at (X, Y) covers.
  void TextChanged(Integer X, Integer Y, const String& Text);
};

class TGDIMMFBackend : public TGDIBackend {
  QN_BACKEND_CLASS(TGDIMMFBackend, TGDIBackend)
 public:
  // Attach with TCustomBackend::Create<TGDIMMFBackend>(Owner, ...).
  explicit TGDIMMFBackend(bool IsTemporary = true, const String& MapFileName = String());
  ~TGDIMMFBackend() override;
  void BeforeDestruction() override;

  const String& MapFileName() const { return FMapFileName; }
  bool MapIsTemporary() const { return FMapIsTemporary; }

 protected:
  void PrepareFileMapping(Integer NewWidth, Integer NewHeight) override;

 private:
  HANDLE FMapFileHandle;
  bool FMapIsTemporary;
  String FMapFileName;
};

class TGDIMemoryBackend : public TMemoryBackend, public IDeviceContextSupport, public IPaintSupport {
  QN_BACKEND_CLASS(TGDIMemoryBackend, TMemoryBackend)
  QN_INTERFACES(IDeviceContextSupport, IPaintSupport)
 public:
  TGDIMemoryBackend();

  // No device context of its own: GetHandle is 0, and drawing from another
  // device context raises "Not supported!".
  HDC GetHandle() override { return nullptr; }
  void Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) override;
  void DrawTo(HDC hDst, Integer DstX, Integer DstY) override;
  void DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) override;
  void ImageNeeded() override {}
  void CheckPixmap() override {}
  void DoPaint(TCustomBitmap32* ABuffer, TRectList* AInvalidRects, TCanvas* ACanvas,
               TCustomPaintBox32_qn* APaintBox) override;

 protected:
  void InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) override;
  void DoPaintRect(TCustomBitmap32* ABuffer, const TRect& ARect, TCanvas* ACanvas);

 private:
  // SetDIBitsToDevice of (SrcX, SrcY, W, H) of Bits to (X, Y), through a
  // temporary DIB section when the direct call fails.
  void CopyToDevice(HDC hDst, Integer X, Integer Y, Integer W, Integer H, Integer SrcX, Integer SrcY,
                    const TColor32* Bits);
  BITMAPINFO FBitmapInfo{};
};

// The stock system font, selected into a device context to release a font.
extern HFONT StockFont;
void InitPix32BackendsVCL();
void DonePix32BackendsVCL();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
