// uQnComm: the drawing helpers the skinned controls share: colours and
// gradients, text measuring, rectangles, monitors, the DPI routines (the
// screen is always at 96 DPI, so they leave values as they are), skin image
// ids with DPI suffixes, the glow behind text, and cutting and resizing of
// skin images.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>

#include "platform/user/User.h"
#include "platform/vcl/Canvas.h"
#include "platform/vcl/Controls.h"
#include "skin/foundation/uQnComm_Gdip.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

// Splits a platform colour into bytes, low byte red; system colours are
// taken as they are, not resolved.
void TColor2RGB(TColor Color, Byte& R, Byte& G, Byte& B);

// Opaque two-colour linear gradient over Rect: step i of n lines is
// Color1 + (Color2 - Color1) * i / (n - 1), rounded, so both ends are exact.
// Left to right when Horizontal, else top to bottom; system colours resolved.
void FillGradient(TCanvas* Canvas, TColor Color1, TColor Color2, const TRect& Rect, bool Horizontal);
// The same over Buffer's canvas, with the same pixels (alpha 0, as the
// canvas leaves it), written straight into the bitmap while its device
// context has neither a clip region nor a moved origin.
void FillGradient(TBitmap32* Buffer, TColor Color1, TColor Color2, const TRect& Rect, bool Horizontal);

// Lays Color over Rect of the DC with constant opacity Alpha (0..255):
// each channel becomes (c * a + d * (255 - a) + 127) div 255; alpha stays.
void ColorBlend(HDC DC, const TRect& Rect, TColor Color, Integer Alpha);
// The same in a picture of our own, in place; Rect is clipped to it.
void ColorBlend(TBitmap32* Buffer, const TRect& Rect, TColor Color, Integer Alpha);

// The DrawText DT_CALCRECT extent of S in the DC's font.
Integer CalcTextWidthW(HDC DC, const WideString& S);
Integer CalcTextHeightW(HDC DC, const WideString& S);

inline Integer GetRectWidth(const TRect& Rect) { return Rect.Right - Rect.Left; }
inline Integer RectWidth(const TRect& Rect) { return Rect.Right - Rect.Left; }
inline Integer RectHeight(const TRect& Rect) { return Rect.Bottom - Rect.Top; }
void IncRect(TRect& Rect, Integer DX, Integer DY);

// The work area (WorkArea) or the whole rectangle of the monitor nearest to
// Wnd; Wnd 0 means the primary monitor.
TRect GetMonitorWorkArea(HWND Wnd, bool WorkArea);

// DPI: high-DPI mode is always off here, so these leave values unchanged.
bool AppIsHighDPIMode();
Integer GetDPIScaledPixels(TControl* Control, Integer Value);
TPoint GetDPIScaledPoint(TControl* Control, const TPoint& Value);
void SetDPIScaledFont(TControl* Control, TFont* Font);
void SetDPIScaledFont(TControl* Control, TFont* Font, Integer DesignPPI);

// Image ids may carry a DPI suffix ("btn@DPI150").
enum class TQnResDPIScale { ds100, ds150, ds200, ds300 };
QN_ENUM_NAMES(TQnResDPIScale, ds100, ds150, ds200, ds300)
using enum TQnResDPIScale;
// The 7 characters from the first "@DPI" (fewer at the end of the id);
// empty when there is none.
String GetDPIScaleTextFromResID(const String& ResID);
TQnResDPIScale GetDPIScaleFromResID(const String& ResID);
// The id without its "@DPI" part, followed by the suffix of Scale.
String IncludeDPIScaleText(const String& ResID, TQnResDPIScale Scale);
// "" for ds100, "@DPI150", "@DPI200", "@DPI300".
String QnResDPIScaleToText(TQnResDPIScale Scale);
// The inverse; anything else is ds100.
TQnResDPIScale TextToQnResDPIScale(const String& Text);

// Glow behind text. Nothing for blank text or an empty rect. The text,
// laid out by DrawText(Format) in the canvas's font, gives a coverage mask
// with a margin of Strength pixels; each of Strength rounds blurs the mask
// with a 3 x 3 box and doubles it (saturating); the mask then lays Color
// over the canvas. The text itself is not drawn. Value and Flag are not
// used.
void DrawEffectText(TCanvas* Canvas, const TRect& Rect, const String& Text, Cardinal Format, Integer Value,
                    TColor Color, Integer Strength, bool Flag);

// New images the caller frees.
// Frees the old frames, then cuts Image into Count frames side by side
// (width div Count); empty for a nil or empty image, Count <= 0 or frames
// narrower than a pixel.
void SpliteImg(const TQuarnImage* Image, Integer Count, TDynQuarnImage& Frames);
// The band of Height rows centred vertically, Width columns from the left;
// a full copy when that does not fit. Nil for nil.
TQuarnImage* SpliteImgCenterPart(const TQuarnImage* Image, Integer Height, Integer Width);
// Image nine-sliced into Width x Height (corners a third of the source).
// Nil for nil; empty for a size of 0.
TQuarnImage* ResizeImg(const TQuarnImage* Image, Integer Width, Integer Height);
// Width x Image.Height: ends of SideWidth (0: thirds) 1:1, middle stretched.
TQuarnImage* ResizeHorzImg(const TQuarnImage* Image, Integer Width, Integer SideWidth);
// Image.Width x Height: ends of a third each 1:1, middle stretched.
TQuarnImage* ResizeVertImg(const TQuarnImage* Image, Integer Height);

// A control that offers its picture to the controls on it: the picture of
// its client area in client coordinates, or nil. Skinned controls answer
// their back buffer; forms with a skin and page controls answer theirs.
class IQnBackgroundProvider {
 public:
  virtual ~IQnBackgroundProvider() = default;
  virtual TBitmap32* GetBackgroundPicture() = 0;
};

// The picture a window's erase lays under its children when the window is
// not a provider itself: a form's skin is a component of the form, not the
// form. Fn answers the picture (client coordinates) or nil while the window
// erases in its own way; an empty Fn removes Owner's entry (another's
// stays). The picture counts as opaque, as the erase leaves it on the
// screen.
using TWindowBackgroundFn = std::function<TBitmap32*()>;
void SetWindowBackground(TWinControl* Window, const void* Owner, TWindowBackgroundFn Fn);

// Rect (parent coordinates) of the picture of Control's parent into Buffer
// at (0, 0): the provider's picture when the parent offers one (or the
// window background registered for the parent), else the
// parent painted into the buffer's device context (background, then its
// painting with its windowless children). What no picture covers takes the
// parent's colour (Control's own without a parent).
void DrawParentImage(TControl* Control, TBitmap32* Buffer, const TRect& Rect);
// The same; at design time always the painted parent.
void GetParentImage(TControl* Control, TBitmap32* Buffer, const TRect& Rect);

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
