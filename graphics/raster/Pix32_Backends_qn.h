// Backend capabilities: the interfaces a backend may offer beyond plain
// pixel memory, and switching a bitmap to the platform backend while an
// operation needs one of them.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <initializer_list>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/gdi/Gdi.h"

namespace vcl {
class TCanvas;
class TFont;
}  // namespace vcl

namespace qn {

class TCustomPath;
class TCustomPaintBox32_qn;
class TRectList;

struct ITextToPathSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{6C4037E4-FF4D-4EE2-9C20-B9DB9C64B42D}");
  virtual void TextToPath(TCustomPath* Path, TFloat X, TFloat Y, const String& Text) = 0;
  virtual void TextToPath(TCustomPath* Path, const TFloatRect& DstRect, const String& Text, Cardinal Flags) = 0;
  virtual TFloatRect MeasureText(const TFloatRect& DstRect, const String& Text, Cardinal Flags) = 0;
};

struct ICanvasSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{5ACFEEC7-0123-4AD8-8AE6-145718438E01}");
  virtual TNotifyEvent GetCanvasChange() = 0;
  virtual void SetCanvasChange(const TNotifyEvent& Handler) = 0;
  virtual TCanvas* GetCanvas() = 0;
  virtual void DeleteCanvas() = 0;
  virtual bool CanvasAllocated() = 0;
};

struct IFontSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{67C73044-1EFF-4FDE-AEA2-56BFADA50A48}");
  virtual TNotifyEvent GetOnFontChange() = 0;
  virtual void SetOnFontChange(const TNotifyEvent& Handler) = 0;
  virtual TFont* GetFont() = 0;
  virtual void SetFont(TFont* Font) = 0;
  virtual void UpdateFont() = 0;
};

struct ITextSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{225997CC-958A-423E-8B60-9EDE0D3B53B5}");
  virtual void Textout(Integer X, Integer Y, const String& Text) = 0;
  virtual void Textout(Integer X, Integer Y, const TRect& ClipRect, const String& Text) = 0;
  virtual void Textout(TRect& DstRect, Cardinal Flags, const String& Text) = 0;
  virtual TSize TextExtent(const String& Text) = 0;
  virtual void TextoutW(Integer X, Integer Y, const WideString& Text) = 0;
  virtual void TextoutW(Integer X, Integer Y, const TRect& ClipRect, const WideString& Text) = 0;
  virtual void TextoutW(TRect& DstRect, Cardinal Flags, const WideString& Text) = 0;
  virtual TSize TextExtentW(const WideString& Text) = 0;
};

struct IDeviceContextSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{DD1109DA-4019-4A5C-A450-3631A73CF288}");
  virtual HDC GetHandle() = 0;
  virtual void Draw(const TRect& DstRect, const TRect& SrcRect, HDC hSrc) = 0;
  virtual void DrawTo(HDC hDst, Integer DstX, Integer DstY) = 0;
  virtual void DrawTo(HDC hDst, const TRect& DstRect, const TRect& SrcRect) = 0;
};

struct IBitmapContextSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{DF0F9475-BA13-4C6B-81C3-D138624C4D08}");
  virtual BITMAPINFO GetBitmapInfo() = 0;
  virtual HBITMAP GetBitmapHandle() = 0;
};

struct IPaintSupport : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{CE64DBEE-C4A9-4E8E-ABCA-1B1FD6F45924}");
  virtual void ImageNeeded() = 0;
  virtual void CheckPixmap() = 0;
  virtual void DoPaint(TCustomBitmap32* ABuffer, TRectList* AInvalidRects, TCanvas* ACanvas,
                       TCustomPaintBox32_qn* APaintBox) = 0;
};

enum class TRequireOperatorMode : Byte { romAnd, romOr };

// Makes sure Bitmap's backend offers the interfaces listed (all of them with
// romAnd, one with romOr); otherwise switches Bitmap to its platform backend
// and hands out the old one, detached but alive, in ReleasedBackend (nil
// when nothing changed). With DestructiveSwitch the pixels are dropped
// rather than carried over. An empty list always switches.
void RequireBackendSupport(TCustomBitmap32* TargetBitmap, const std::vector<TGUID>& RequiredInterfaces,
                           TRequireOperatorMode Mode, bool DestructiveSwitch, TCustomBackend*& ReleasedBackend);
// Attaches a saved backend again (its Assign copies the pixels back); nil
// does nothing.
void RestoreBackend(TCustomBitmap32* TargetBitmap, TCustomBackend* SavedBackend);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
