// Glyph outlines from the platform's font engine, laid out into paths.
#include "graphics/vector/Pix32_Text_VCL_qn.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "graphics/raster/Pix32_Backends_VCL_qn.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace qn {

namespace {

// The hinting state. The matrix mirrors y so the outlines come with y
// growing downwards; thNoHorz asks for glyphs 16 times wider, keeping the
// pen's sub-pixel advances while the vertical hinting applies, and the x
// coordinates are divided again at the end.
struct THintingState {
  bool Hinting = false;
  Integer Stretch = 1;
  Single InvStretch = 1.0f;
  MAT2 Matrix{};
  UINT Format = GGO_NATIVE | GGO_UNHINTED;
};
THintingState Hint;

constexpr Single kNoLimit = 3.4e38f;
constexpr Cardinal kAlignMask = 3, kAlignCenter = 1, kAlignRight = 2, kAlignJustify = 3;
constexpr Cardinal kVCenter = 4, kBottom = 8, kWordBreak = 0x10, kSingleLine = 0x20;

inline TFloat FixedValue(const FIXED& F) { return static_cast<TFloat>(F.value + F.fract / 65536.0); }

template <class T>
T Read(const Byte* P) {
  T V;
  std::memcpy(&V, P, sizeof V);
  return V;
}

}  // namespace

void SetHinting(TTextHinting Value) {
  Hint.Hinting = Value != TTextHinting::thNone;
  Hint.Stretch = Value == TTextHinting::thNoHorz ? 16 : 1;
  Hint.InvStretch = 1.0f / static_cast<Single>(Hint.Stretch);
  Hint.Matrix = MAT2{};
  Hint.Matrix.eM11 = FixedFromDouble(Hint.Stretch);
  Hint.Matrix.eM22 = FixedFromDouble(-1);
  Hint.Format = Hint.Hinting ? GGO_NATIVE : (GGO_NATIVE | GGO_UNHINTED);
}

TTextHinting GetHinting() {
  if (Hint.Stretch != 1) return TTextHinting::thNoHorz;
  return Hint.Hinting ? TTextHinting::thHinting : TTextHinting::thNone;
}

// ---- glyph sources ----

bool TDCGlyphSource::TextMetrics(TEXTMETRICW& Metrics) { return GetTextMetricsW(FDC, &Metrics) != 0; }

DWORD TDCGlyphSource::GlyphOutline(UINT Glyph, UINT Format, GLYPHMETRICS* Metrics, DWORD Size, void* Buffer,
                                   const MAT2* Matrix) {
  return GetGlyphOutlineW(FDC, Glyph, Format, Metrics, Size, Buffer, Matrix);
}

// ---- glyph outlines ----

bool AddGlyphOutline(TGlyphSource& Source, TCustomPath* Path, UINT Glyph, TFloat X, TFloat MaxX, TFloat Y,
                     GLYPHMETRICS& Metrics) {
  // Metrics of a failed request mean nothing: the advance of a glyph the
  // font cannot give is 0.
  Metrics = GLYPHMETRICS{};
  const DWORD Need = Source.GlyphOutline(Glyph, Hint.Format, &Metrics, 0, nullptr, &Hint.Matrix);
  if (Need == GDI_ERROR) Metrics = GLYPHMETRICS{};
  const bool Fits = X + Metrics.gmCellIncX <= MaxX;
  if (!Fits || !Path || Need == GDI_ERROR || Need == 0) return Fits;
  std::vector<Byte> Buffer(Need);
  GLYPHMETRICS Again{};
  const DWORD Got = Source.GlyphOutline(Glyph, Hint.Format, &Again, Need, Buffer.data(), &Hint.Matrix);
  if (Got == GDI_ERROR || Got == 0) return Fits;
  const DWORD Size = std::min(Got, Need);
  const Byte* Data = Buffer.data();
  auto Point = [&](const Byte* P) {
    const POINTFX Fx = Read<POINTFX>(P);
    return FloatPoint(FixedValue(Fx.x) + X, FixedValue(Fx.y) + Y);
  };
  // Every record's size is checked against what the source returned before
  // it is read: a short or inconsistent buffer ends the glyph there.
  DWORD Offset = 0;
  while (Offset + sizeof(TTPOLYGONHEADER) <= Size) {
    const TTPOLYGONHEADER Header = Read<TTPOLYGONHEADER>(Data + Offset);
    if (Header.dwType != TT_POLYGON_TYPE || Header.cb < sizeof(TTPOLYGONHEADER) || Header.cb > Size - Offset) break;
    Path->MoveTo(Point(Data + Offset + offsetof(TTPOLYGONHEADER, pfxStart)));
    const DWORD End = Offset + Header.cb;
    DWORD P = Offset + sizeof(TTPOLYGONHEADER);
    std::vector<TFloatPoint> Pts;
    while (P + 4 <= End) {
      const WORD Type = Read<WORD>(Data + P), Count = Read<WORD>(Data + P + 2);
      if (Count == 0 || 4 + 8 * DWORD(Count) > End - P) break;
      Pts.resize(Count);
      for (WORD K = 0; K < Count; ++K) Pts[K] = Point(Data + P + 4 + 8 * DWORD(K));
      switch (Type) {
        case TT_PRIM_LINE:
          for (const TFloatPoint& Q : Pts) Path->LineTo(Q);
          break;
        case TT_PRIM_QSPLINE:
          // Implied on-curve points halfway between consecutive controls.
          for (Integer K = 0; K + 1 < Count; ++K) {
            const TFloatPoint& C = Pts[K];
            const TFloatPoint E = K + 2 == Count ? Pts[K + 1]
                                                 : FloatPoint((Pts[K].X + Pts[K + 1].X) * 0.5f,
                                                              (Pts[K].Y + Pts[K + 1].Y) * 0.5f);
            Path->ConicTo(C, E);
          }
          break;
        case TT_PRIM_CSPLINE:
          for (Integer K = 0; K + 2 < Count; K += 3) Path->CurveTo(Pts[K], Pts[K + 1], Pts[K + 2]);
          break;
        default:
          break;
      }
      P += 4 + 8 * DWORD(Count);
    }
    Path->ClosePath();
    Offset = End;
  }
  return Fits;
}

// ---- layout ----

struct TTextLayout {
  TGlyphSource& Source;
  TFlattenedPath* Work;  // nil when measuring
  TFloatRect& Rect;
  const String& Text;
  Cardinal Flags;
  TEXTMETRICW Tm{};
  TFloat X = 0, Y = 0, MaxX = kNoLimit, RightMost = 0, SpaceWidth = 0;
  Integer SpaceCount = 0, LineStart = 0;
  std::vector<Integer> Counts;  // closed outlines after each character

  TFloat Stretched(TFloat V) const { return V * static_cast<TFloat>(Hint.Stretch); }
  Integer Outlines() const { return Work ? static_cast<Integer>(Work->FPath.size()) : 0; }
  bool SingleLine() const { return (Flags & kSingleLine) != 0; }

  TFloat Advance(UINT Ch) {
    GLYPHMETRICS Gm{};
    if (Source.GlyphOutline(Ch, GGO_METRICS, &Gm, 0, nullptr, &Hint.Matrix) == GDI_ERROR) return 0;
    return Gm.gmCellIncX;
  }

  void Move(Integer First, Integer Last, TFloat Dx, TFloat Dy) {
    if (!Work) return;
    for (Integer I = std::max(First, 0); I < Last && I < Outlines(); ++I)
      for (TFloatPoint& P : Work->FPath[static_cast<size_t>(I)]) {
        P.X += Dx;
        P.Y += Dy;
      }
  }

  void JustifyLine(Integer I) {
    if (SpaceCount <= 0 || (I >= 1 && I <= static_cast<Integer>(Text.size()) && Text[I - 1] == u'\n')) return;
    const TFloat Gap = (Stretched(Rect.Right) - X - 1) / static_cast<TFloat>(SpaceCount);
    auto Ch = [&](Integer K) { return Text[static_cast<size_t>(K - 1)]; };
    Integer P = LineStart + 1;
    while (P <= I && Ch(P) == u' ') ++P;
    while (P <= I && Ch(P) != u' ') ++P;
    Integer Word = 0;
    while (P <= I) {
      while (P <= I && Ch(P) == u' ') ++P;
      if (P > I) break;
      const Integer Start = P;
      while (P <= I && Ch(P) != u' ') ++P;
      ++Word;
      Move(Counts[static_cast<size_t>(Start - 1)], Counts[static_cast<size_t>(P - 1)], Gap * Word, 0);
    }
  }

  void StartNewLine(Integer I) {
    if (SingleLine()) return;
    if (Work) {
      const Integer First = Counts[static_cast<size_t>(LineStart)], Last = Counts[static_cast<size_t>(I)];
      switch (Flags & kAlignMask) {
        case kAlignCenter:
          Move(First, Last, static_cast<TFloat>(std::nearbyint((Stretched(Rect.Right) - X - 1) * 0.5)), 0);
          break;
        case kAlignRight:
          Move(First, Last, static_cast<TFloat>(std::nearbyint(Stretched(Rect.Right) - X - 1)), 0);
          break;
        case kAlignJustify:
          JustifyLine(I);
          break;
        default:
          break;
      }
    }
    X = Stretched(Rect.Left);
    Y += static_cast<TFloat>(Tm.tmHeight);
    LineStart = I;
    SpaceCount = 0;
  }

  void Run() {
    Source.TextMetrics(Tm);
    const Integer Len = static_cast<Integer>(Text.size());
    Counts.assign(static_cast<size_t>(Len) + 1, 0);
    X = Stretched(Rect.Left);
    Y = Rect.Top + static_cast<TFloat>(Tm.tmAscent);
    RightMost = X;
    MaxX = (!Work || Rect.Right == Rect.Left) ? kNoLimit : Stretched(Rect.Right);
    SpaceWidth = Advance(u' ');
    if (SingleLine() || Rect.Left == Rect.Right) {
      if ((Flags & kAlignMask) == kAlignJustify) Flags &= ~kAlignMask;
      Flags &= ~kWordBreak;
      MaxX = kNoLimit;
    }
    const bool WordBreak = (Flags & kWordBreak) != 0;
    const TFloat RightEdge = Stretched(Rect.Right);
    GLYPHMETRICS Gm{};
    for (Integer I = 1; I <= Len; ++I) {
      char16_t Ch = Text[static_cast<size_t>(I - 1)];
      if (Ch <= 0x20) {
        if (SingleLine()) Ch = u' ';
        Counts[static_cast<size_t>(I)] = Outlines();
        if (Ch == u'\n') {
          StartNewLine(I);
        } else if (Ch == u' ') {
          TFloat Width = SpaceWidth;
          if (WordBreak)
            for (Integer J = I + 1; J <= Len; ++J) {
              const char16_t C = Text[static_cast<size_t>(J - 1)];
              if (C == u'\n' || C == u'\r' || C == u' ') break;
              Width += Advance(C);
            }
          if (Rect.Right > Rect.Left && X + Width > RightEdge) {
            StartNewLine(I);  // the space is dropped
          } else {
            X += SpaceWidth;
            ++SpaceCount;
          }
        }
        continue;
      }
      bool Fits = AddGlyphOutline(Source, Work, Ch, X, MaxX, Y, Gm);
      if (!Fits) {
        if (I > 1 && Text[static_cast<size_t>(I - 2)] == u' ') {
          X -= SpaceWidth;
          --SpaceCount;
        }
        StartNewLine(I - 1);
        // A glyph wider than a whole line ends the layout here.
        if (!AddGlyphOutline(Source, Work, Ch, X, MaxX, Y, Gm)) {
          for (Integer K = I; K <= Len; ++K) Counts[static_cast<size_t>(K)] = Outlines();
          break;
        }
      }
      Counts[static_cast<size_t>(I)] = Outlines();
      X += Gm.gmCellIncX;
      RightMost = std::max(RightMost, X);
    }
    const Cardinal Align = Flags & kAlignMask;
    if (Align == kAlignCenter || Align == kAlignRight) StartNewLine(Len);
    const TFloat Bottom = Y + static_cast<TFloat>(Tm.tmHeight - Tm.tmAscent);
    if (Work && Hint.Stretch != 1)
      for (auto& Outline : Work->FPath)
        for (TFloatPoint& P : Outline) P.X *= Hint.InvStretch;
    if (Work && (Flags & (kVCenter | kBottom)) != 0) {
      TFloat Dy = Rect.Bottom - Bottom;
      if (Flags & kVCenter) Dy *= 0.5f;
      Move(0, Outlines(), 0, Dy);
    }
    // The text's bounds for the measuring callers.
    Rect.Right = RightMost * Hint.InvStretch;
    Rect.Bottom = Bottom;
  }
};

void LayoutText(TGlyphSource& Source, TCustomPath* Path, TFloatRect& ARect, const String& Text, Cardinal Flags) {
  std::unique_ptr<TFlattenedPath> Temporary;
  TFlattenedPath* Work = nullptr;
  if (Path) {
    Work = dynamic_cast<TFlattenedPath*>(Path);
    if (Work) {
      Work->Clear();
      Work->BeginPath();
    } else {
      Temporary = std::make_unique<TFlattenedPath>();
      Work = Temporary.get();
    }
  }
  TFloatRect Bounds = ARect;
  TTextLayout Layout{Source, Work, Bounds, Text, Flags, {}, 0, 0, kNoLimit, 0, 0, 0, 0, {}};
  Layout.Run();
  ARect.Right = Bounds.Right;
  ARect.Bottom = Bounds.Bottom;
  if (Temporary)
    Path->Assign(Temporary.get());
  else if (Work)
    Work->EndPath();
}

void LayoutTextDC(HDC DC, TCustomPath* Path, TFloatRect& ARect, const String& Text, Cardinal Flags) {
  TDCGlyphSource Source(DC);
  LayoutText(Source, Path, ARect, Text, Flags);
}

namespace {
// The screen's device context with Font selected for the duration of Fn.
template <class Fn>
void WithFont(HFONT Font, Fn F) {
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Font);
  try {
    F(DC);
  } catch (...) {
    SelectObject(DC, Old);
    ReleaseDC(nullptr, DC);
    throw;
  }
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
}

TFloatRect Rounded(const TFloatRect& R) {
  auto Rd = [](TFloat V) { return std::isfinite(V) ? static_cast<TFloat>(std::nearbyint(V)) : V; };
  return TFloatRect{Rd(R.Left), Rd(R.Top), Rd(R.Right), Rd(R.Bottom)};
}
}  // namespace

void TextToPath(HFONT Font, TCustomPath* Path, const TFloatRect& ARect, const String& Text, Cardinal Flags) {
  WithFont(Font, [&](HDC DC) {
    TFloatRect R = ARect;
    LayoutTextDC(DC, Path, R, Text, Flags);
  });
}

TArrayOfArrayOfFloatPoint TextToPolyPolygon(HFONT Font, const TFloatRect& ARect, const String& Text,
                                            Cardinal Flags) {
  TFlattenedPath Path;
  TextToPath(Font, &Path, ARect, Text, Flags);
  return Path.Path();
}

TFloatRect MeasureTextDC(HDC DC, const TFloatRect& ARect, const String& Text, Cardinal Flags) {
  TFloatRect R = ARect;
  LayoutTextDC(DC, nullptr, R, Text, Flags);
  return Rounded(R);
}

TFloatRect MeasureText(HFONT Font, const TFloatRect& ARect, const String& Text, Cardinal Flags) {
  TFloatRect Result = ARect;
  WithFont(Font, [&](HDC DC) { Result = MeasureTextDC(DC, ARect, Text, Flags); });
  return Result;
}

// ---- unit ----

void InitPix32TextVCL() {
  SetHinting(TTextHinting::thNone);
  TextToPathHook = [](HFONT Font, TCustomPath* Path, const TFloatRect& DstRect, const String& Text, Cardinal Flags) {
    TextToPath(Font, Path, DstRect, Text, Flags);
  };
  MeasureTextHook = [](HFONT Font, const TFloatRect& DstRect, const String& Text, Cardinal Flags) {
    return MeasureText(Font, DstRect, Text, Flags);
  };
}

void DonePix32TextVCL() {
  TextToPathHook = nullptr;
  MeasureTextHook = nullptr;
}

}  // namespace qn
