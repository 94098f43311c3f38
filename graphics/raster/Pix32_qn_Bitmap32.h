// Pix32_qn, TBitmap32: the bitmap of every back buffer and skin image. Its
// pixels live in a DIB section (TGDIBackend) so that the platform can draw
// into them and copy them to windows; device context, canvas, font and text
// are reached through the backend's interfaces.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Bitmap.h"

namespace qn {

class TBitmap32 : public TCustomBitmap32 {
  QN_CLASS(TBitmap32, TCustomBitmap32)
 public:
  TBitmap32();
  explicit TBitmap32(TCustomBackendClass Backend);

  using TCustomBitmap32::Draw;
  using TCustomBitmap32::DrawTo;

  TCustomBackendClass GetPlatformBackendClass() const override;
  void SetBackend(TCustomBackend* Backend) override;
  void CopyPropertiesTo(TCustomBitmap32* Dst) override;

  // Each of these goes through the backend's interface; a backend without
  // it raises EInvalidCast.
  TCanvas* Canvas() { return GetCanvas(); }
  TCanvas* GetCanvas();
  bool CanvasAllocated();
  // Only when the backend has a canvas at all.
  void DeleteCanvas();
  TFont* Font() { return GetFont(); }
  TFont* GetFont();
  // Takes the font's attributes.
  void SetFont(TFont* Value);
  void UpdateFont();
  HBITMAP Handle();
  BITMAPINFO BitmapInfo();
  HDC GetHDC();

  // From a device context into the bitmap, stretched.
  void Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc);
  // Onto a device context; nothing for an empty bitmap.
  void DrawTo(HDC hDst, Integer DstX = 0, Integer DstY = 0);
  void DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect);
  // SrcRect scaled to DstRect through the resampler, in tiles of at most
  // 1024 x 1024 pixels.
  void TileTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect);

  void Textout(Integer X, Integer Y, const String& Text);
  void Textout(Integer X, Integer Y, const TRect& ClipRect, const String& Text);
  void Textout(TRect& DstRect, Cardinal Flags, const String& Text);
  void TextoutW(Integer X, Integer Y, const WideString& Text);
  void TextoutW(Integer X, Integer Y, const TRect& ClipRect, const WideString& Text);
  void TextoutW(TRect& DstRect, Cardinal Flags, const WideString& Text);
  TSize TextExtent(const String& Text);
  TSize TextExtentW(const WideString& Text);
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }
  Integer TextWidthW(const WideString& Text) { return TextExtentW(Text).cx; }
  Integer TextHeightW(const WideString& Text) { return TextExtentW(Text).cy; }

  // Anti-aliased text in Color (its alpha is the opacity), blended at
  // (X, Y). AALevel -1 uses the font engine's own anti-aliasing, 0 none,
  // 1 ... 4 supersample by 2^AALevel in each direction.
  void RenderText(Integer X, Integer Y, const String& Text, Integer AALevel, TColor32 Color);
  void RenderTextW(Integer X, Integer Y, const WideString& Text, Integer AALevel, TColor32 Color);
  // Text laid out in DstRect by draw-text Flags, at font quality 3 or the
  // quality given; the font is back at quality 0 afterwards.
  void RenderText(const TRect& DstRect, Cardinal Flags, const String& Text, TColor32 Color);
  void RenderText(const TRect& DstRect, Cardinal Flags, const String& Text, Byte Quality, TColor32 Color);

  const TNotifyEvent& OnHandleChanged() const { return FOnHandleChanged; }
  void SetOnHandleChanged(const TNotifyEvent& Value) { FOnHandleChanged = Value; }

 protected:
  void FinalizeBackend() override;
  void BackendChangingHandler(TObject* Sender) override;
  void BackendChangedHandler(TObject* Sender) override;
  virtual void HandleChanged();
  virtual void FontChanged(TObject* Sender) {}
  // A drawing on the canvas changes the whole bitmap.
  virtual void CanvasChanged(TObject* Sender) { Changed(); }

  TNotifyEvent FOnHandleChanged;

 private:
  void HookBackend(TCustomBackend* Backend, bool Hook);
  void RenderTextAt(Integer X, Integer Y, const String& Text, Integer AALevel, TColor32 Color, bool StockMeasure);
  void RenderTextInRect(const TRect& DstRect, Cardinal Flags, const String& Text, Byte Quality, TColor32 Color);
};

// Replaces Font's handle by one made with the given output quality (3: no
// anti-aliasing, 4: anti-aliased, 0: the default).
void SetFontAntialiasing(TFont* Font, Cardinal Quality);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
