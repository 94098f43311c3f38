// Pix32_qn: rectangles, drawing onto other bitmaps, alpha reset, rolling,
// flips and quarter turns.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/raster/Pix32_Blend_qn.h"
#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn.h"

namespace qn {

namespace {

size_t PixelCount(Integer W, Integer H) { return static_cast<size_t>(W) * static_cast<size_t>(H); }

}  // namespace

// ---------------------------------------------------------------------------
// Rectangles

namespace {

// Cuts X1..X2 × Y1..Y2 to Clip; false when nothing of it is inside.
bool ClipToRect(const TRect& Clip, Integer& X1, Integer& Y1, Integer& X2, Integer& Y2) {
  if (!(X1 < X2 && Y1 < Y2 && X1 < Clip.Right && Y1 < Clip.Bottom && X2 > Clip.Left && Y2 > Clip.Top)) return false;
  X1 = std::max(X1, Clip.Left);
  Y1 = std::max(Y1, Clip.Top);
  X2 = std::min(X2, Clip.Right);
  Y2 = std::min(Y2, Clip.Bottom);
  return true;
}

}  // namespace

void TCustomBitmap32::FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  if (FBits && Y2 > Y1 && X2 > X1) {
    const Cardinal n = static_cast<Cardinal>(X2 - X1);
    for (Integer y = Y1; y < Y2; ++y) FillLongword(GetPixelPtr(X1, y), n, Value);
  }
  Changed(TRect(X1, Y1, X2, Y2), AREA_RECT_FLAG);
}

void TCustomBitmap32::FillRectS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  if (!FMeasuringMode && ClipToRect(FClipRect, X1, Y1, X2, Y2)) FillRect(X1, Y1, X2, Y2, Value);
  Changed(TRect(X1, Y1, X2, Y2), AREA_RECT_FLAG);
}

void TCustomBitmap32::FillRectS(const TRect& ARect, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(ARect, AREA_RECT_FLAG);
    return;
  }
  FillRectS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

void TCustomBitmap32::FillRectT(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  const Cardinal a = Value >> 24;
  if (a == 255) {
    FillRect(X1, Y1, X2, Y2, Value);
    return;
  }
  if (a == 0) return;
  if (FBits && X2 > X1) {
    std::vector<TColor32> row;
    for (Integer y = Y1; y < Y2; ++y) {
      PColor32 p = GetPixelPtr(X1, y);
      if (FCombineMode == TCombineMode::cmMerge) {
        for (Integer x = X1; x < X2; ++x, ++p) MergeMem(Value, *p);
      } else {
        // One row of the colour, combined a whole line at a time.
        if (row.empty()) row.assign(static_cast<size_t>(X2 - X1), Value);
        CombineLine(row.data(), p, X2 - X1, a);
      }
    }
    EMMS();
  }
  Changed(TRect(X1, Y1, X2, Y2), AREA_RECT_FLAG);
}

void TCustomBitmap32::FillRectTS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  if (!FMeasuringMode && ClipToRect(FClipRect, X1, Y1, X2, Y2)) FillRectT(X1, Y1, X2, Y2, Value);
  Changed(TRect(X1, Y1, X2, Y2), AREA_RECT_FLAG);
}

void TCustomBitmap32::FillRectTS(const TRect& ARect, TColor32 Value) {
  if (FMeasuringMode) {
    Changed(ARect, AREA_RECT_FLAG);
    return;
  }
  FillRectTS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

namespace {

bool OverlapsClip(const TRect& Clip, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  return X2 > X1 && Y2 > Y1 && X1 < Clip.Right && Y1 < Clip.Bottom && X2 > Clip.Left && Y2 > Clip.Top;
}

}  // namespace

void TCustomBitmap32::FrameRectS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  if (!OverlapsClip(FClipRect, X1, Y1, X2, Y2)) return;
  // Every frame pixel once: the side lines stop short of the top and bottom.
  HorzLineS(X1, Y1, X2 - 1, Value);
  if (Y2 - 1 > Y1) HorzLineS(X1, Y2 - 1, X2 - 1, Value);
  if (Y2 - 1 > Y1 + 1) {
    VertLineS(X1, Y1 + 1, Y2 - 2, Value);
    if (X2 - 1 > X1) VertLineS(X2 - 1, Y1 + 1, Y2 - 2, Value);
  }
}

void TCustomBitmap32::FrameRectS(const TRect& ARect, TColor32 Value) {
  FrameRectS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

void TCustomBitmap32::FrameRectTS(Integer X1, Integer Y1, Integer X2, Integer Y2, TColor32 Value) {
  if (!OverlapsClip(FClipRect, X1, Y1, X2, Y2)) return;
  HorzLineTS(X1, Y1, X2 - 1, Value);
  if (Y2 - 1 > Y1) HorzLineTS(X1, Y2 - 1, X2 - 1, Value);
  if (Y2 - 1 > Y1 + 1) {
    VertLineTS(X1, Y1 + 1, Y2 - 2, Value);
    if (X2 - 1 > X1) VertLineTS(X2 - 1, Y1 + 1, Y2 - 2, Value);
  }
}

void TCustomBitmap32::FrameRectTS(const TRect& ARect, TColor32 Value) {
  FrameRectTS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Value);
}

void TCustomBitmap32::FrameRectTSP(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  if (!(X1 < X2 && Y1 < Y2 && X1 < FWidth && Y1 < FHeight && X2 >= 1 && Y2 >= 1)) return;
  const Integer w = X2 - X1, h = Y2 - Y1;
  if (w > 1 && h > 1) {
    HorzLineTSP(X1, Y1, X2 - 2);
    VertLineTSP(X2 - 1, Y1, Y2 - 2);
    HorzLineTSP(X2 - 1, Y2 - 1, X1 + 1);
    VertLineTSP(X1, Y2 - 1, Y1 + 1);
  } else if (h == 1 && w > 1) {
    HorzLineTSP(X1, Y1, X2 - 1);
  } else if (w == 1 && h > 1) {
    VertLineTSP(X1, Y1, Y2 - 1);
  } else {
    SetPixelT(X1, Y1, GetStippleColor());
    Changed(TRect(X1, Y1, X1 + 1, Y1 + 1), AREA_RECT_FLAG);
  }
}

void TCustomBitmap32::RaiseRectTS(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Contrast) {
  if (!OverlapsClip(FClipRect, X1, Y1, X2, Y2) || Contrast == 0) return;
  TColor32 light, dark;
  if (Contrast > 0) {
    light = 0x00FFFFFFu | static_cast<Cardinal>(Clamp(Contrast * 512 / 100)) << 24;
    dark = static_cast<Cardinal>(Clamp(Contrast * 255 / 100)) << 24;
  } else {
    const Integer c = -Contrast;
    light = static_cast<Cardinal>(Clamp(c * 255 / 100)) << 24;
    dark = 0x00FFFFFFu | static_cast<Cardinal>(Clamp(c * 512 / 100)) << 24;
  }
  HorzLineTS(X1, Y1, X2 - 1, light);
  HorzLineTS(X1, Y2 - 1, X2 - 1, dark);
  VertLineTS(X1, Y1 + 1, Y2 - 2, light);
  VertLineTS(X2 - 1, Y1 + 1, Y2 - 2, dark);
}

void TCustomBitmap32::RaiseRectTS(const TRect& ARect, Integer Contrast) {
  RaiseRectTS(ARect.Left, ARect.Top, ARect.Right, ARect.Bottom, Contrast);
}

// ---------------------------------------------------------------------------
// Drawing onto another bitmap

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst) {
  BlockTransfer(Dst, 0, 0, Dst->ClipRect(), this, BoundsRect(), FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, Integer DstX, Integer DstY) {
  BlockTransfer(Dst, DstX, DstY, Dst->ClipRect(), this, BoundsRect(), FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, Integer DstX, Integer DstY, const TRect& SrcRect) {
  BlockTransfer(Dst, DstX, DstY, Dst->ClipRect(), this, SrcRect, FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, const TRect& DstRect) {
  StretchTransfer(Dst, DstRect, Dst->ClipRect(), this, BoundsRect(), FResampler, FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect) {
  StretchTransfer(Dst, DstRect, Dst->ClipRect(), this, SrcRect, FResampler, FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::Draw(Integer DstX, Integer DstY, TCustomBitmap32* Src) {
  if (Src) Src->DrawTo(this, DstX, DstY);
}

void TCustomBitmap32::Draw(Integer DstX, Integer DstY, const TRect& SrcRect, TCustomBitmap32* Src) {
  if (Src) Src->DrawTo(this, DstX, DstY, SrcRect);
}

void TCustomBitmap32::Draw(const TRect& DstRect, const TRect& SrcRect, TCustomBitmap32* Src) {
  if (Src) Src->DrawTo(this, DstRect, SrcRect);
}

// ---------------------------------------------------------------------------
// Whole-bitmap operations

void TCustomBitmap32::ResetAlpha(Byte AlphaValue) {
  if (!FMeasuringMode && FBits) {
    const size_t n = PixelCount(FWidth, FHeight);
    const Cardinal a = static_cast<Cardinal>(AlphaValue) << 24;
    for (size_t i = 0; i < n; ++i) FBits[i] = (FBits[i] & 0x00FFFFFFu) | a;
  }
  Changed();
}

void TCustomBitmap32::Roll(Integer Dx, Integer Dy, bool FillBack, TColor32 FillColor) {
  if (Empty() || (Dx == 0 && Dy == 0)) return;
  if (std::abs(Dx) >= FWidth || std::abs(Dy) >= FHeight) {
    if (FillBack) Clear(FillColor);
    return;
  }
  const Int64 n = static_cast<Int64>(PixelCount(FWidth, FHeight));
  const Int64 shift = static_cast<Int64>(Dy) * FWidth + Dx;
  const Int64 len = n - (shift < 0 ? -shift : shift);
  if (shift < 0)
    std::memmove(FBits, FBits - shift, static_cast<size_t>(len) * sizeof(TColor32));
  else
    std::memmove(FBits + shift, FBits, static_cast<size_t>(len) * sizeof(TColor32));
  if (FillBack) {
    TRect r = BoundsRect();
    OffsetRect(r, Dx, Dy);
    Pix32_qn::IntersectRect(r, r, BoundsRect());
    if (r.Top > 0)
      FillRect(0, 0, FWidth, r.Top, FillColor);
    else if (r.Top == 0)
      FillRect(0, r.Bottom, FWidth, FHeight, FillColor);
    if (r.Left > 0)
      FillRect(0, r.Top, r.Left, r.Bottom, FillColor);
    else if (r.Left == 0)
      FillRect(r.Right, r.Top, FWidth, r.Bottom, FillColor);
  }
  Changed();
}

void TCustomBitmap32::FlipHorz(TCustomBitmap32* Dst) {
  if (!Dst || Dst == this) {
    for (Integer y = 0; y < FHeight; ++y) {
      PColor32 row = GetScanLine(y);
      std::reverse(row, row + FWidth);
    }
    Changed();
    return;
  }
  Dst->BeginUpdate();
  try {
    Dst->SetSize(FWidth, FHeight);
    for (Integer y = 0; y < FHeight; ++y) std::reverse_copy(GetScanLine(y), GetScanLine(y) + FWidth, Dst->GetScanLine(y));
  } catch (...) {
    Dst->EndUpdate();
    throw;
  }
  Dst->EndUpdate();
  Dst->Changed();
}

void TCustomBitmap32::FlipVert(TCustomBitmap32* Dst) {
  if (!Dst || Dst == this) {
    std::vector<TColor32> buf(static_cast<size_t>(FWidth));
    const size_t rowBytes = static_cast<size_t>(FWidth) * sizeof(TColor32);
    for (Integer y = 0; y < FHeight / 2; ++y) {
      PColor32 a = GetScanLine(y), b = GetScanLine(FHeight - 1 - y);
      std::memcpy(buf.data(), a, rowBytes);
      std::memcpy(a, b, rowBytes);
      std::memcpy(b, buf.data(), rowBytes);
    }
    Changed();
    return;
  }
  Dst->SetSize(FWidth, FHeight);
  const size_t rowBytes = static_cast<size_t>(FWidth) * sizeof(TColor32);
  for (Integer y = 0; y < FHeight; ++y) std::memcpy(Dst->GetScanLine(FHeight - 1 - y), GetScanLine(y), rowBytes);
  Dst->Changed();
}

namespace {

// Source (x, y) goes to (H - 1 - y, x) clockwise, (y, W - 1 - x) otherwise;
// the target is H wide and W high.
void QuarterTurn(const TColor32* Src, Integer W, Integer H, TColor32* Dst, bool Clockwise) {
  for (Integer y = 0; y < H; ++y) {
    const TColor32* s = Src + static_cast<size_t>(y) * W;
    for (Integer x = 0; x < W; ++x) {
      const Integer tx = Clockwise ? H - 1 - y : y;
      const Integer ty = Clockwise ? x : W - 1 - x;
      Dst[static_cast<size_t>(ty) * H + tx] = s[x];
    }
  }
}

}  // namespace

void TCustomBitmap32::TurnQuarter(TCustomBitmap32* Dst, bool Clockwise) {
  if (Dst && Dst != this) {
    Dst->BeginUpdate();
    try {
      Dst->SetSize(FHeight, FWidth);
      if (!Empty()) QuarterTurn(FBits, FWidth, FHeight, Dst->FBits, Clockwise);
    } catch (...) {
      Dst->EndUpdate();
      throw;
    }
    Dst->EndUpdate();
    Dst->Changed();
    return;
  }
  TCustomBitmap32 tmp;
  tmp.SetSize(FHeight, FWidth);
  if (!Empty()) QuarterTurn(FBits, FWidth, FHeight, tmp.FBits, Clockwise);
  tmp.CopyMapTo(this);
  // A square bitmap keeps its size, so CopyMapTo reported nothing.
  Changed();
}

void TCustomBitmap32::Rotate90(TCustomBitmap32* Dst) { TurnQuarter(Dst, true); }

void TCustomBitmap32::Rotate270(TCustomBitmap32* Dst) { TurnQuarter(Dst, false); }

void TCustomBitmap32::Rotate180(TCustomBitmap32* Dst) {
  const size_t n = FBits ? PixelCount(FWidth, FHeight) : 0;
  if (!Dst || Dst == this) {
    std::reverse(FBits, FBits + n);
    Changed();
    return;
  }
  Dst->SetSize(FWidth, FHeight);
  if (n && Dst->FBits) std::reverse_copy(FBits, FBits + n, Dst->FBits);
  Dst->Changed();
}

}  // namespace qn
