#include "graphics/raster/Pix32_MicroTiles_qn.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "platform/user/User.h"

namespace qn {

void (*MicroTileUnion)(TMicroTile& DstTile, TMicroTile SrcTile) = nullptr;
void (*MicroTilesUnionCore)(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) = nullptr;
TFunctionRegistry* MicroTilesRegistry = nullptr;

namespace {

// The box around two boxes.
inline TMicroTile BoxAround(TMicroTile A, TMicroTile B) {
  return MakeMicroTile(std::min(MicroTileLeft(A), MicroTileLeft(B)), std::min(MicroTileTop(A), MicroTileTop(B)),
                       std::max(MicroTileRight(A), MicroTileRight(B)), std::max(MicroTileBottom(A), MicroTileBottom(B)));
}

inline void UniteTile(TMicroTile& DstTile, TMicroTile SrcTile) {
  if (DstTile == MICROTILE_FULL || SrcTile == MICROTILE_EMPTY || MicroTileWidth(SrcTile) == 0 ||
      MicroTileHeight(SrcTile) == 0)
    return;
  DstTile = DstTile == MICROTILE_EMPTY || SrcTile == MICROTILE_FULL ? SrcTile : BoxAround(DstTile, SrcTile);
}

// ---------------------------------------------------------------------------
// Marked columns
//
// Behind its Count tiles, a map's memory holds one bit per tile of the grid,
// whole 64-bit words per row, set for every tile that may be non-empty. The
// routines below keep the bits and follow them: a few rectangles spread over
// the buffer make used bounds that span nearly every tile, and scanning,
// clearing or uniting those bounds tile by tile would cost far more than the
// rectangles themselves.

using TColumnBits = uint64_t;
constexpr TColumnBits ALL_COLUMNS = ~TColumnBits(0);

Integer WordsPerRow(Integer Columns) { return (Columns + 63) >> 6; }

// In tiles, rounded up so that the words are aligned.
size_t MarksOffset(Integer Count) { return (static_cast<size_t>(Count) + 1) & ~size_t(1); }

size_t MarksSize(Integer Columns, Integer Rows) {
  return static_cast<size_t>(std::max(Rows, 0)) * static_cast<size_t>(WordsPerRow(std::max(Columns, 0)));
}

struct TMarks {
  TColumnBits* Bits;
  size_t Stride;
  TColumnBits* Row(Integer Y) const { return Bits + static_cast<size_t>(Y) * Stride; }
};

TMarks MarksOf(const TMicroTiles& M) {
  return {reinterpret_cast<TColumnBits*>(M.Tiles + MarksOffset(M.Count)), static_cast<size_t>(WordsPerRow(M.Columns))};
}

// The bits of the columns Lo..Hi that fall in word W.
inline TColumnBits WordRange(Integer W, Integer Lo, Integer Hi) {
  TColumnBits bits = ALL_COLUMNS;
  if (W == Lo >> 6) bits &= ALL_COLUMNS << (Lo & 63);
  if (W == Hi >> 6) bits &= ALL_COLUMNS >> (63 - (Hi & 63));
  return bits;
}

// The bits of a word from bit From on; none when From is past the word.
inline TColumnBits BitsFrom(TColumnBits Bits, Integer From) {
  if (From <= 0) return Bits;
  return From >= 64 ? 0 : Bits & (ALL_COLUMNS << From);
}

// Op(first column, count) for each run of set bits of a word whose first
// column is Base.
template <class TOp>
inline void ForRuns(TColumnBits Bits, Integer Base, TOp&& Op) {
  while (Bits) {
    const int s = std::countr_zero(Bits), n = std::countr_one(Bits >> s);
    Op(Base + s, n);
    Bits = BitsFrom(Bits, s + n);
  }
}

void MarkTiles(const TMicroTiles& M, Integer Top, Integer Bottom, Integer Lo, Integer Hi) {
  const TMarks marks = MarksOf(M);
  for (Integer w = Lo >> 6; w <= Hi >> 6; ++w) {
    const TColumnBits bits = WordRange(w, Lo, Hi);
    TColumnBits* m = marks.Row(Top) + w;
    for (Integer y = Top; y <= Bottom; ++y, m += marks.Stride) *m |= bits;
  }
}

// The part of Src's used bounds that lies in both grids; false when none.
bool SharedUsedTiles(const TMicroTiles& Dst, const TMicroTiles& Src, TRect& Used) {
  if (Src.Count == 0 || Dst.Count == 0) return false;
  Used = Src.BoundsUsedTiles;
  Used.Right = std::min({Used.Right, Src.Columns - 1, Dst.Columns - 1});
  Used.Bottom = std::min({Used.Bottom, Src.Rows - 1, Dst.Rows - 1});
  return Used.Left <= Used.Right && Used.Top <= Used.Bottom;
}

// UniteRun(destination, source, count, room) over every marked run of Src
// within Used; Dst's marks follow. Room is the number of tiles from the run's
// start to the end of the row in both grids.
template <class TRun>
void UniteMarkedTiles(TMicroTiles& Dst, const TMicroTiles& Src, const TRect& Used, TRun&& UniteRun) {
  const TMarks sm = MarksOf(Src), dm = MarksOf(Dst);
  const Integer columns = std::min(Src.Columns, Dst.Columns);
  for (Integer y = Used.Top; y <= Used.Bottom; ++y) {
    const TMicroTile* s = Src.Tiles + y * Src.Columns;
    TMicroTile* d = Dst.Tiles + y * Dst.Columns;
    for (Integer w = Used.Left >> 6; w <= Used.Right >> 6; ++w) {
      const TColumnBits bits = sm.Row(y)[w] & WordRange(w, Used.Left, Used.Right);
      dm.Row(y)[w] |= bits;
      ForRuns(bits, w << 6, [&](Integer X, Integer N) { UniteRun(d + X, s + X, N, columns - X); });
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Tile union

void MicroTileUnion_Pas(TMicroTile& DstTile, TMicroTile SrcTile) { UniteTile(DstTile, SrcTile); }

namespace {

// Four tiles at once: byte minimum for left and top, maximum for right and
// bottom, then the union rule's special cases chosen per lane by masks.
inline __m128i UnionLanes(__m128i d, __m128i s) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi32(MICROTILE_FULL);
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  const __m128i hiWords = _mm_set1_epi32(static_cast<int>(0xFFFF0000u));
  const __m128i minMax =
      _mm_or_si128(_mm_and_si128(_mm_min_epu8(d, s), hiWords), _mm_andnot_si128(hiWords, _mm_max_epu8(d, s)));
  const __m128i sl = _mm_srli_epi32(s, 24), st = _mm_and_si128(_mm_srli_epi32(s, 16), byteMask);
  const __m128i sr = _mm_and_si128(_mm_srli_epi32(s, 8), byteMask), sb = _mm_and_si128(s, byteMask);
  // An empty source has zero width too.
  const __m128i keep = _mm_or_si128(_mm_cmpeq_epi32(d, full),
                                    _mm_or_si128(_mm_cmpeq_epi32(sl, sr), _mm_cmpeq_epi32(st, sb)));
  const __m128i take = _mm_or_si128(_mm_cmpeq_epi32(d, zero), _mm_cmpeq_epi32(s, full));
  const __m128i chosen = _mm_or_si128(_mm_and_si128(take, s), _mm_andnot_si128(take, minMax));
  return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, chosen));
}

}  // namespace

void MicroTileUnion_SSE2(TMicroTile& DstTile, TMicroTile SrcTile) {
  DstTile = _mm_cvtsi128_si32(UnionLanes(_mm_cvtsi32_si128(DstTile), _mm_cvtsi32_si128(SrcTile)));
}

// The cores visit the marked runs of the source's used bounds only: an
// unmarked tile is empty, and uniting an empty tile changes nothing.
void MicroTilesUnionCore_Pas(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) {
  TRect u;
  if (!SharedUsedTiles(DstTiles, SrcTiles, u)) return;
  UniteMarkedTiles(DstTiles, SrcTiles, u, [](TMicroTile* D, const TMicroTile* S, Integer N, Integer) {
    for (Integer x = 0; x < N; ++x) UniteTile(D[x], S[x]);
  });
}

namespace {

// Dst's tiles D[0..N) united with Src's S[0..N), in whole blocks of four as
// far as the row has Room. Most runs of a small change are shorter than
// four tiles: the last block takes the run's end in one step, its source
// lanes past the run zeroed (a tile there may be marked outside the used
// bounds), since uniting an empty tile leaves the destination's as it was.
inline void UniteSpan(TMicroTile* D, const TMicroTile* S, Integer N, Integer Room) {
  Integer x = 0;
  for (; x + 4 <= N; x += 4) {
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(D + x));
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(S + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(D + x), UnionLanes(dv, sv));
  }
  if (x < N && x + 4 <= Room) {
    const __m128i keep = _mm_cmpgt_epi32(_mm_set1_epi32(N - x), _mm_setr_epi32(0, 1, 2, 3));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(D + x));
    const __m128i sv = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(S + x)), keep);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(D + x), UnionLanes(dv, sv));
    return;
  }
  // The end of a row: one lane at a time.
  for (; x < N; ++x) D[x] = _mm_cvtsi128_si32(UnionLanes(_mm_cvtsi32_si128(D[x]), _mm_cvtsi32_si128(S[x])));
}

}  // namespace

void MicroTilesUnionCore_SSE2(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) {
  TRect u;
  if (!SharedUsedTiles(DstTiles, SrcTiles, u)) return;
  const Integer w0 = u.Left >> 6, w1 = u.Right >> 6;
  if (w0 == w1) {
    // Up to 64 columns in use (a layer or two moved): one word a row, and
    // the row's tiles from its first marked one to its last as one span,
    // the unmarked ones between them being empty in the source. Wide gaps
    // between runs are still skipped run by run.
    const TMarks sm = MarksOf(SrcTiles), dm = MarksOf(DstTiles);
    const TColumnBits range = WordRange(w0, u.Left, u.Right);
    const Integer base = w0 << 6, room = std::min(SrcTiles.Columns, DstTiles.Columns) - base;
    const TColumnBits* sRow = sm.Row(u.Top) + w0;
    TColumnBits* dRow = dm.Row(u.Top) + w0;
    const TMicroTile* s = SrcTiles.Tiles + u.Top * SrcTiles.Columns + base;
    TMicroTile* d = DstTiles.Tiles + u.Top * DstTiles.Columns + base;
    for (Integer y = u.Top; y <= u.Bottom;
         ++y, sRow += sm.Stride, dRow += dm.Stride, s += SrcTiles.Columns, d += DstTiles.Columns) {
      const TColumnBits bits = *sRow & range;
      if (!bits) continue;
      *dRow |= bits;
      const Integer from = std::countr_zero(bits), to = 63 - std::countl_zero(bits);
      if (to - from < 16) {
        UniteSpan(d + from, s + from, to - from + 1, room - from);
      } else {
        ForRuns(bits, 0, [&](Integer X, Integer N) { UniteSpan(d + X, s + X, N, room - X); });
      }
    }
    return;
  }
  UniteMarkedTiles(DstTiles, SrcTiles, u,
                   [](TMicroTile* D, const TMicroTile* S, Integer N, Integer Room) { UniteSpan(D, S, N, Room); });
}

// ---------------------------------------------------------------------------
// Tile maps

TMicroTiles MakeEmptyMicroTiles() { return TMicroTiles{}; }

void MicroTilesCreate(TMicroTiles& MicroTiles) { MicroTiles = TMicroTiles{}; }

void MicroTilesDestroy(TMicroTiles& MicroTiles) {
  std::free(MicroTiles.Tiles);
  MicroTiles.Tiles = nullptr;
  MicroTiles.Count = 0;
}

namespace {

// Count tiles and the marks of the map's Columns x Rows grid; the marks'
// contents are left to the caller.
void ReallocTiles(TMicroTiles& M, Integer Count) {
  if (Count <= 0) {
    std::free(M.Tiles);
    M.Tiles = nullptr;
    M.Count = 0;
    return;
  }
  const size_t bytes = MarksOffset(Count) * sizeof(TMicroTile) + MarksSize(M.Columns, M.Rows) * sizeof(TColumnBits);
  auto* p = static_cast<PMicroTileArray>(std::realloc(M.Tiles, bytes));
  if (!p) throw EOutOfMemory(u"Out of memory");
  M.Tiles = p;
  M.Count = Count;
}

void ResetUsed(TMicroTiles& M) { M.BoundsUsedTiles = TRect(M.Columns, M.Rows, 0, 0); }

// Once a few rectangles are in, the bounds seldom grow: tests that are
// rarely taken cost less than rewriting all four sides every time.
void GrowUsed(TMicroTiles& M, Integer L, Integer T, Integer R, Integer B) {
  TRect& u = M.BoundsUsedTiles;
  if (L < u.Left) u.Left = L;
  if (T < u.Top) u.Top = T;
  if (R > u.Right) u.Right = R;
  if (B > u.Bottom) u.Bottom = B;
}

// N tiles set to Value with vector stores, the last one overlapping the
// one before it: rows of a few tiles cost less than a call to the C library
// or a vectorised loop's set-up.
inline void FillSpan(TMicroTile* P, Integer N, TMicroTile Value) {
  if (N < 4) {
    if (N > 0) P[0] = Value;
    if (N > 1) P[1] = Value;
    if (N > 2) P[2] = Value;
    return;
  }
  const __m128i v = _mm_set1_epi32(Value);
  TMicroTile* const last = P + N - 4;
  for (; P < last; P += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(P), v);
    // The compiler would turn a loop of zeros into a call to the C
    // library's fill, which costs more than the few stores of a row.
    __asm__("" : "+r"(P));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), v);
}

// The used bounds within the grid; false when nothing is used.
bool UsedTiles(const TMicroTiles& M, TRect& Used) {
  if (M.Count == 0) return false;
  Used = M.BoundsUsedTiles;
  Used.Right = std::min(Used.Right, M.Columns - 1);
  Used.Bottom = std::min(Used.Bottom, M.Rows - 1);
  return Used.Left <= Used.Right && Used.Top <= Used.Bottom;
}

}  // namespace

void MicroTilesSetSize(TMicroTiles& MicroTiles, const TRect& DstRect) {
  MicroTiles.BoundsRect = DstRect;
  const Integer w = DstRect.Right - DstRect.Left, h = DstRect.Bottom - DstRect.Top;
  MicroTiles.Columns = (std::max(w, 0) >> MICROTILE_SHIFT) + 1;
  MicroTiles.Rows = (std::max(h, 0) >> MICROTILE_SHIFT) + 1;
  ReallocTiles(MicroTiles, (MicroTiles.Columns + 1) * (MicroTiles.Rows + 1));
  MicroTilesClear(MicroTiles, MICROTILE_EMPTY);
}

void MicroTilesClear(TMicroTiles& MicroTiles, TMicroTile Value) {
  if (MicroTiles.Count > 0) {
    FillLongword(MicroTiles.Tiles, static_cast<Cardinal>(MicroTiles.Count), Value);
    std::fill_n(MarksOf(MicroTiles).Bits, MarksSize(MicroTiles.Columns, MicroTiles.Rows), TColumnBits(0));
    if (Value != MICROTILE_EMPTY) MarkTiles(MicroTiles, 0, MicroTiles.Rows - 1, 0, MicroTiles.Columns - 1);
  }
  ResetUsed(MicroTiles);
}

void MicroTilesClearUsed(TMicroTiles& MicroTiles, TMicroTile Value) {
  TRect u;
  if (UsedTiles(MicroTiles, u)) {
    if (Value == MICROTILE_EMPTY) {
      // Unmarked tiles are empty already: each row is cleared from its
      // first marked tile to its last in one go, which costs less than
      // following the marks run by run.
      const size_t stride = static_cast<size_t>(WordsPerRow(MicroTiles.Columns));
      TColumnBits* rowMarks = MarksOf(MicroTiles).Bits + static_cast<size_t>(u.Top) * stride;
      // The fills below could alias the map's own fields: the width is read once.
      const Integer cols = MicroTiles.Columns;
      TMicroTile* row = MicroTiles.Tiles + u.Top * cols;
      const Integer w0 = u.Left >> 6, w1 = u.Right >> 6;
      if (w0 == w1) {
        // Up to 64 columns in use: one word a row.
        const TColumnBits range = WordRange(w0, u.Left, u.Right);
        rowMarks += w0;
        for (Integer y = u.Top; y <= u.Bottom; ++y, rowMarks += stride, row += cols) {
          const TColumnBits bits = *rowMarks & range;
          if (!bits) continue;
          *rowMarks &= ~range;
          const Integer from = (w0 << 6) + std::countr_zero(bits), to = (w0 << 6) + 63 - std::countl_zero(bits);
          FillSpan(row + from, to - from + 1, MICROTILE_EMPTY);
        }
      } else {
        for (Integer y = u.Top; y <= u.Bottom; ++y, rowMarks += stride, row += cols) {
          Integer from = -1, to = -1;
          for (Integer w = w0; w <= w1; ++w) {
            const TColumnBits range = WordRange(w, u.Left, u.Right), bits = rowMarks[w] & range;
            if (!bits) continue;
            rowMarks[w] &= ~range;
            if (from < 0) from = (w << 6) + std::countr_zero(bits);
            to = (w << 6) + 63 - std::countl_zero(bits);
          }
          if (from >= 0) FillSpan(row + from, to - from + 1, MICROTILE_EMPTY);
        }
      }
    } else {
      for (Integer y = u.Top; y <= u.Bottom; ++y)
        std::fill_n(MicroTiles.Tiles + y * MicroTiles.Columns + u.Left, u.Right - u.Left + 1, Value);
      MarkTiles(MicroTiles, u.Top, u.Bottom, u.Left, u.Right);
    }
  }
  ResetUsed(MicroTiles);
}

void MicroTilesCopy(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) {
  if (&DstTiles == &SrcTiles) return;
  if (DstTiles.Count > 0) MicroTilesClearUsed(DstTiles);
  const bool sameGrid = DstTiles.Count == SrcTiles.Count && DstTiles.Columns == SrcTiles.Columns &&
                        DstTiles.Rows == SrcTiles.Rows;
  DstTiles.BoundsRect = SrcTiles.BoundsRect;
  DstTiles.Columns = SrcTiles.Columns;
  DstTiles.Rows = SrcTiles.Rows;
  // A map of the same grid (a layer's map from one paint to the next) keeps
  // its block as it is.
  if (!sameGrid) ReallocTiles(DstTiles, SrcTiles.Count);
  // The clear above used the old layout; a map of another grid starts empty.
  if (!sameGrid && DstTiles.Count > 0) MicroTilesClear(DstTiles);
  DstTiles.BoundsUsedTiles = SrcTiles.BoundsUsedTiles;
  TRect u;
  if (!UsedTiles(SrcTiles, u)) return;
  const TMarks dm = MarksOf(DstTiles), sm = MarksOf(SrcTiles);
  for (Integer y = u.Top; y <= u.Bottom; ++y) {
    std::memcpy(DstTiles.Tiles + y * DstTiles.Columns + u.Left, SrcTiles.Tiles + y * SrcTiles.Columns + u.Left,
                static_cast<size_t>(u.Right - u.Left + 1) * sizeof(TMicroTile));
    for (Integer w = u.Left >> 6; w <= u.Right >> 6; ++w) dm.Row(y)[w] |= sm.Row(y)[w] & WordRange(w, u.Left, u.Right);
  }
}

namespace {

// The union rule for a source box of non-zero width and height, which is
// what the rectangle routine unites: such a box within a full tile, or a
// full box, leaves the minimum and maximum full anyway.
inline void UniteBox(TMicroTile& DstTile, TMicroTile Box) {
  DstTile = DstTile == MICROTILE_EMPTY ? Box : BoxAround(DstTile, Box);
}

}  // namespace

void MicroTilesAddRect(TMicroTiles& MicroTiles, TRect Rect, bool RoundToWholeTiles) {
  if (MicroTiles.Count == 0) return;
  if (Rect.Left > Rect.Right) std::swap(Rect.Left, Rect.Right);
  if (Rect.Top > Rect.Bottom) std::swap(Rect.Top, Rect.Bottom);
  Rect.Left = std::max(Rect.Left, 0);
  Rect.Top = std::max(Rect.Top, 0);
  Rect.Right = std::min(Rect.Right, MicroTiles.Columns * MICROTILE_SIZE);
  Rect.Bottom = std::min(Rect.Bottom, MicroTiles.Rows * MICROTILE_SIZE);
  if (Rect.Left > Rect.Right || Rect.Top > Rect.Bottom) return;

  const Integer ml = Rect.Left >> MICROTILE_SHIFT, mt = Rect.Top >> MICROTILE_SHIFT;
  const Integer mr = Rect.Right >> MICROTILE_SHIFT, mb = Rect.Bottom >> MICROTILE_SHIFT;
  // An edge on the far border of the grid names the tile past it, which the
  // map does not have: in the row-major array, column Columns is the first
  // tile of the next row. Whole tiles must not fill it; exact boxes there
  // have no width or height anyway.
  const Integer lastCol = std::min(mr, MicroTiles.Columns - 1), lastRow = std::min(mb, MicroTiles.Rows - 1);
  if (ml > lastCol || mt > lastRow) return;
  const Integer cols = MicroTiles.Columns;
  TMicroTile* tiles = MicroTiles.Tiles;

  if (RoundToWholeTiles) {
    // A row of one to eight tiles is a fixed set of stores, overlapping
    // where it is shorter: no loop and no branch on its width per row.
    const Integer n = lastCol - ml + 1;
    TMicroTile* row = tiles + mt * cols + ml;
    TMicroTile* const end = row + (lastRow - mt + 1) * cols;
    if (n < 4) {
      for (; row != end; row += cols) row[0] = row[n >> 1] = row[n - 1] = MICROTILE_FULL;
    } else if (n <= 8) {
      const __m128i full = _mm_set1_epi32(MICROTILE_FULL);
      for (; row != end; row += cols) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row), full);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + n - 4), full);
      }
    } else {
      for (; row != end; row += cols) FillSpan(row, n, MICROTILE_FULL);
    }
    if (ml >> 6 == lastCol >> 6) {
      const size_t stride = static_cast<size_t>(WordsPerRow(cols));
      const TColumnBits range = (ALL_COLUMNS << (ml & 63)) & (ALL_COLUMNS >> (63 - (lastCol & 63)));
      TColumnBits* m = MarksOf(MicroTiles).Bits + static_cast<size_t>(mt) * stride + (ml >> 6);
      for (Integer y = mt; y <= lastRow; ++y, m += stride) *m |= range;
    } else {
      MarkTiles(MicroTiles, mt, lastRow, ml, lastCol);
    }
  } else if (Rect.Left < Rect.Right && Rect.Top < Rect.Bottom) {
    // Each tile is united with its part of the rectangle: the first and
    // last column get the left and right edges, the first and last row the
    // top and bottom; inner tiles of inner rows are full. A rectangle
    // without width or height changes no tile; an edge on a tile border
    // gives the tile past it nothing, so the last column and row are those
    // of the last pixel inside.
    const Integer ce = (Rect.Right - 1) >> MICROTILE_SHIFT, re = (Rect.Bottom - 1) >> MICROTILE_SHIFT;
    const Integer right = Rect.Right - ce * MICROTILE_SIZE, bottom = Rect.Bottom - re * MICROTILE_SIZE;
    // The boxes of a row differ from those of another only in top and
    // bottom: a column part per kind of tile, and a row part per row.
    const TMicroTile first = (Rect.Left & 31) << 24 | (ml == ce ? right : MICROTILE_SIZE) << 8;
    const TMicroTile inner = MICROTILE_SIZE << 8, last = right << 8;
    const TMicroTile topRow = (Rect.Top & 31) << 16 | (mt == re ? bottom : MICROTILE_SIZE), bottomRow = bottom;
    const size_t stride = static_cast<size_t>(WordsPerRow(cols));
    TColumnBits* const marks = MarksOf(MicroTiles).Bits + static_cast<size_t>(mt) * stride;
    TMicroTile* const rows = tiles + mt * cols;
    const Integer w0 = ml >> 6, w1 = ce >> 6, height = re - mt + 1;
    // Mark every row first; rows that had no marks there are empty and
    // take the boxes as they are.
    TColumnBits marked = 0;
    auto mark = [&](Integer W, TColumnBits Range) __attribute__((always_inline)) {
      TColumnBits* m = marks + W;
      for (Integer y = 0; y < height; ++y, m += stride) {
        marked |= *m & Range;
        *m |= Range;
      }
    };
    if (w0 == w1) {
      mark(w0, (ALL_COLUMNS << (ml & 63)) & (ALL_COLUMNS >> (63 - (ce & 63))));
    } else {
      for (Integer w = w0; w <= w1; ++w) mark(w, WordRange(w, ml, ce));
    }
    // The first row, the middle rows (all alike), the last row.
    auto putRows = [&](auto&& Put) __attribute__((always_inline)) {
      Put(rows, topRow);
      TMicroTile* row = rows + cols;
      for (Integer y = 1; y < height - 1; ++y, row += cols) Put(row, MICROTILE_SIZE);
      if (height > 1) Put(row, bottomRow);
    };
    if (!marked && ce - ml >= 3) {
      // Four tiles or more a row: the first four and the last four are
      // each one store of the row's edges with its top and bottom, the two
      // overlapping where the row is shorter than eight.
      const Integer n = ce - ml + 1;
      auto tileAt = [&](Integer I) { return I == 0 ? first : I == n - 1 ? last : inner; };
      const __m128i head = _mm_setr_epi32(static_cast<int>(first), static_cast<int>(tileAt(1)),
                                          static_cast<int>(tileAt(2)), static_cast<int>(tileAt(3)));
      const __m128i tail = _mm_setr_epi32(static_cast<int>(tileAt(n - 4)), static_cast<int>(tileAt(n - 3)),
                                          static_cast<int>(tileAt(n - 2)), static_cast<int>(last));
      putRows([&](TMicroTile* Row, TMicroTile Rp) __attribute__((always_inline)) {
        const __m128i rp = _mm_set1_epi32(static_cast<int>(Rp));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + ml), _mm_or_si128(head, rp));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + ce - 3), _mm_or_si128(tail, rp));
        if (n > 8) [[unlikely]]
          FillSpan(Row + ml + 4, n - 8, inner | Rp);
      });
    } else if (!marked) {
      // One to three tiles a row.
      putRows([&](TMicroTile* Row, TMicroTile Rp) __attribute__((always_inline)) {
        Row[ml] = first | Rp;
        if (ce > ml) {
          if (ce - ml == 2) Row[ml + 1] = inner | Rp;
          Row[ce] = last | Rp;
        }
      });
    } else {
      TMicroTile* row = rows;
      for (Integer y = 0; y < height; ++y, row += cols) {
        const TMicroTile rp = y == 0 ? topRow : (y == height - 1 ? bottomRow : static_cast<TMicroTile>(MICROTILE_SIZE));
        UniteBox(row[ml], first | rp);
        if (ce > ml) {
          if ((inner | rp) == MICROTILE_FULL) {
            for (Integer x = ml + 1; x < ce; ++x) row[x] = MICROTILE_FULL;
          } else {
            for (Integer x = ml + 1; x < ce; ++x) UniteBox(row[x], inner | rp);
          }
          UniteBox(row[ce], last | rp);
        }
      }
    }
  }
  GrowUsed(MicroTiles, ml, mt, lastCol, lastRow);
}

namespace {

// Liang-Barsky in doubles: the part of the segment inside the box, false
// when none is.
bool ClipSegment(double& X1, double& Y1, double& X2, double& Y2, double MinX, double MinY, double MaxX,
                 double MaxY) {
  double t0 = 0, t1 = 1;
  const double dx = X2 - X1, dy = Y2 - Y1;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double r = q / p;
    if (p < 0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
    return true;
  };
  if (!edge(-dx, X1 - MinX) || !edge(dx, MaxX - X1) || !edge(-dy, Y1 - MinY) || !edge(dy, MaxY - Y1)) return false;
  const double x0 = X1 + t0 * dx, y0 = Y1 + t0 * dy;
  X2 = X1 + t1 * dx;
  Y2 = Y1 + t1 * dy;
  X1 = x0;
  Y1 = y0;
  return true;
}

}  // namespace

void MicroTilesAddLine(TMicroTiles& MicroTiles, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer LineWidth,
                       bool RoundToWholeTiles) {
  if (MicroTiles.Count == 0) return;
  LineWidth *= 2;
  Integer dx = X2 - X1, dy = Y2 - Y1;
  if (dx == 0 || dy == 0) {
    TRect r(X1, Y1, X2, Y2);
    InflateArea(r, LineWidth, LineWidth);
    MicroTilesAddRect(MicroTiles, r, RoundToWholeTiles);
    return;
  }
  // Only the part near the map can add anything; far ends would overflow
  // the 16.16 steps and long lines would take millions of them.
  const Integer reach = std::abs(LineWidth) + MICROTILE_SIZE;
  const double minX = -reach, minY = -reach;
  const double maxX = double(MicroTiles.Columns) * MICROTILE_SIZE + reach;
  const double maxY = double(MicroTiles.Rows) * MICROTILE_SIZE + reach;
  if (X1 < minX || X1 > maxX || X2 < minX || X2 > maxX || Y1 < minY || Y1 > maxY || Y2 < minY || Y2 > maxY) {
    double x1 = X1, y1 = Y1, x2 = X2, y2 = Y2;
    if (!ClipSegment(x1, y1, x2, y2, minX, minY, maxX, maxY)) return;
    X1 = static_cast<Integer>(std::floor(x1));
    Y1 = static_cast<Integer>(std::floor(y1));
    X2 = static_cast<Integer>(std::floor(x2));
    Y2 = static_cast<Integer>(std::floor(y2));
    dx = X2 - X1;
    dy = Y2 - Y1;
    if (dx == 0 || dy == 0) {
      TRect r(X1, Y1, X2, Y2);
      InflateArea(r, LineWidth, LineWidth);
      MicroTilesAddRect(MicroTiles, r, RoundToWholeTiles);
      return;
    }
  }
  const TFixed sx = dx < 0 ? -0x10000 : 0x10000, sy = dy < 0 ? -0x10000 : 0x10000;
  const Integer adx = std::abs(dx), ady = std::abs(dy);
  TFixed stepX, stepY, len;
  if (adx >= ady) {
    len = adx << 16;
    stepX = MICROTILE_SIZE * sx;
    stepY = FixedMul(FixedDiv(ady << 16, (adx << 16) / MICROTILE_SIZE), sy);
  } else {
    len = ady << 16;
    stepY = MICROTILE_SIZE * sy;
    stepX = FixedMul(FixedDiv(adx << 16, (ady << 16) / MICROTILE_SIZE), sx);
  }
  const Integer steps = FixedCeil(len / MICROTILE_SIZE);
  if (steps < 1) return;
  TFixed x = X1 << 16, y = Y1 << 16;
  for (Integer i = 0; i < steps; ++i) {
    const TFixed nx = x + stepX, ny = y + stepY;
    TRect r(FixedRound(x), FixedRound(y), FixedRound(nx), FixedRound(ny));
    InflateArea(r, LineWidth, LineWidth);
    MicroTilesAddRect(MicroTiles, r, RoundToWholeTiles);
    x = nx;
    y = ny;
  }
}

void MicroTilesUnion(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles, bool RoundToWholeTiles) {
  TRect u;
  if (!SharedUsedTiles(DstTiles, SrcTiles, u)) return;
  if (RoundToWholeTiles) {
    UniteMarkedTiles(DstTiles, SrcTiles, u, [](TMicroTile* D, const TMicroTile* S, Integer N, Integer) {
      for (Integer x = 0; x < N; ++x)
        if (S[x] != MICROTILE_EMPTY && MicroTileWidth(S[x]) > 0 && MicroTileHeight(S[x]) > 0) D[x] = MICROTILE_FULL;
    });
  } else {
    MicroTilesUnionCore(DstTiles, SrcTiles);
  }
  GrowUsed(DstTiles, u.Left, u.Top, u.Right, u.Bottom);
}

Integer MicroTilesCalcRects(const TMicroTiles& MicroTiles, TRectList* DstRects, bool CountOnly,
                            bool RoundToWholeTiles) {
  return MicroTilesCalcRects(MicroTiles, DstRects, MicroTiles.BoundsRect, CountOnly, RoundToWholeTiles);
}

namespace {

// For the tile below a run's first one: the rectangle that may grow down
// into it, and the row for which that holds.
struct TBelow {
  Integer Row, Rect;
};

// Room for N records on the stack, taken from the heap beyond that. The
// records are plain: nothing is cleared first.
template <class T, Integer N>
class TScratch {
 public:
  T* Data() { return FHeap.empty() ? FLocal : FHeap.data(); }
  Integer Capacity() const { return FHeap.empty() ? N : static_cast<Integer>(FHeap.size()); }
  // At least Count records, the first Keep of them kept.
  T* Reserve(Integer Count, Integer Keep) {
    if (Count > Capacity()) Grow(Count, Keep);
    return Data();
  }

 private:
  // Out of line: the scans that call Reserve keep their registers.
  [[gnu::noinline]] void Grow(Integer Count, Integer Keep) {
    std::vector<T> heap(static_cast<size_t>(std::max(Count, 2 * Capacity())));
    std::copy_n(Data(), Keep, heap.data());
    FHeap.swap(heap);
  }
  T FLocal[N];
  std::vector<T> FHeap;
};

struct TCalcRect {
  Integer Left, Top, Right, Bottom;
};
static_assert(sizeof(TCalcRect) == sizeof(TRect) && offsetof(TRect, Left) == 0 && offsetof(TRect, Top) == 4 &&
              offsetof(TRect, Right) == 8 && offsetof(TRect, Bottom) == 12 && std::is_trivially_copyable_v<TRect>);

// The last of the tiles after X (at most Limit, X <= Limit) that equal
// Inner, four at a time. A map holds a spare row of tiles behind its grid, so the loads stay
// inside it; what they see past Limit is not used.
inline Integer InnerRunEnd(const TMicroTile* Row, Integer X, Integer Limit, TMicroTile Inner) {
  const __m128i v = _mm_set1_epi32(Inner);
  Integer last = X;
  while (last < Limit) {
    const __m128i same = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + last + 1)), v);
    const int n = std::countr_one(static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(same))));
    last += n;
    if (n < 4) break;
  }
  return std::min(last, Limit);
}

// The last of the non-empty tiles that follow X without a gap (at most
// Limit), four at a time as above. A copied map may keep marks on tiles
// that are empty now, so the tiles decide, not the marks.
inline Integer NonEmptyRunEnd(const TMicroTile* Row, Integer X, Integer Limit) {
  const __m128i zero = _mm_setzero_si128();
  Integer last = X;
  while (last < Limit) {
    const __m128i empty = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + last + 1)), zero);
    const int n = std::countr_zero(static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(empty))) | 16u);
    last += n;
    if (n < 4) break;
  }
  return std::min(last, Limit);
}

// Clamps a run's rectangle to the clip. Out of line: only runs that touch
// the clip's border get here, and the scan keeps its registers.
[[gnu::noinline, gnu::cold]] __m128i ClampToClip(__m128i V, const TCalcRect& Clip) {
  TCalcRect R;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&R), V);
  return _mm_setr_epi32(std::clamp(R.Left, Clip.Left, Clip.Right), std::clamp(R.Top, Clip.Top, Clip.Bottom),
                        std::clamp(R.Right, Clip.Left, Clip.Right), std::clamp(R.Bottom, Clip.Top, Clip.Bottom));
}

// The rectangles of a map, in the order the scan makes them.
//
// Runs start at marked tiles only (an unmarked tile is empty) and follow
// the tiles themselves, four at a time. Rectangles of tiles wholly inside
// the clip need no clamping, which is most of them. An exact run that the
// rows below repeat takes them in at once (see GrowDown).
template <bool Whole>
class TRectCollector {
 public:
  TRectCollector(const TMicroTiles& M, const TRect& Clip, TScratch<TCalcRect, 64>& Rects)
      : FLastCol(M.Columns - 1),
        FClip{Clip.Left, Clip.Top, std::max(Clip.Left, Clip.Right), std::max(Clip.Top, Clip.Bottom)},
        FRects(Rects) {
    // Columns FSafeL .. FSafeR - 1 and rows FSafeT .. FSafeB - 1 lie inside
    // the clip.
    FSafeL = FClip.Left <= 0 ? 0 : (FClip.Left + MICROTILE_SIZE - 1) >> MICROTILE_SHIFT;
    FSafeT = FClip.Top <= 0 ? 0 : (FClip.Top + MICROTILE_SIZE - 1) >> MICROTILE_SHIFT;
    FSafeR = FClip.Right >> MICROTILE_SHIFT;
    FSafeB = FClip.Bottom >> MICROTILE_SHIFT;
    FBelow = FBelowStore.Reserve(M.Columns, 0);
    // Every byte set is {-1, -1}, no row: the C library's fill takes a row of
    // tiles' worth in a few wide stores where a loop of records would take one
    // store a record.
    static_assert(std::is_trivially_copyable_v<TBelow>);
    std::memset(static_cast<void*>(FBelow), 0xFF, static_cast<size_t>(M.Columns) * sizeof(TBelow));
  }

  Integer Collect(const TMicroTiles& M, const TRect& Used) {
    TCalcRect* rects = FRects.Data();
    Integer count = 0, capacity = FRects.Capacity();
    const size_t stride = static_cast<size_t>(WordsPerRow(M.Columns));
    FStride = stride;
    FFirstCol = Used.Left;
    FRowsEnd = std::min(Used.Bottom + 1, FSafeB);
    // Exact runs start at the marks of rows from the first used one on,
    // less those of runs taken down from above, which leave theirs here;
    // whole runs are cheap enough as they are.
    const TColumnBits* rowSkip = nullptr;
    if (!Whole) {
      const size_t skipWords = static_cast<size_t>(Used.Bottom - Used.Top + 1) * stride;
      FSkip = FSkipStore.Reserve(static_cast<Integer>(skipWords), 0);
      FSkipTop = Used.Top;
      std::memcpy(FSkip, MarksOf(M).Bits + static_cast<size_t>(Used.Top) * stride, skipWords * sizeof(TColumnBits));
      rowSkip = FSkip;
    }
    const size_t skipStride = Whole ? 0 : stride;
    const TColumnBits* rowMarks = MarksOf(M).Bits + static_cast<size_t>(Used.Top) * stride;
    const TMicroTile* row = M.Tiles + Used.Top * M.Columns;
    const Integer w0 = Used.Left >> 6, w1 = Used.Right >> 6;
    const TColumnBits firstWord = ALL_COLUMNS << (Used.Left & 63), lastWord = ALL_COLUMNS >> (63 - (Used.Right & 63));
    // Copies the scan's stores through the record pointers cannot reach.
    const TLimits lim{FLastCol, FSafeR, FBelow};
    const Integer safeT = FSafeT, safeB = FSafeB, safeL = FSafeL;
    // A run wholly in columns from the row's first safe column to
    // lim.SafeR - 1 needs no clamping.
    auto safeFrom = [&](Integer Y) { return Y >= safeT && Y < safeB ? safeL : lim.LastCol + 1; };
    if (w0 == w1) {
      const TColumnBits mask = firstWord & lastWord;
      rowMarks += w0;
      if (Whole) {
        // Nearly every row in use starts runs: no search for the next one.
        for (Integer y = Used.Top; y <= Used.Bottom; ++y, row += M.Columns, rowMarks += stride)
          if (const TColumnBits bits = *rowMarks & mask)
            ScanWord(lim, row, bits, w0 << 6, y, safeFrom(y), rects, count, capacity);
        return count;
      }
      // Most rows of exact runs are taken down from above: the next row
      // with runs to start is found in a loop of its own, whose few values
      // stay in registers, where the scan of a row needs them all and would
      // keep the row's place on the stack.
      const TColumnBits* const skip = FSkip + w0;
      const size_t end = static_cast<size_t>(Used.Bottom - Used.Top + 1) * stride;
      size_t at = 0;
      for (;;) {
        TColumnBits bits = 0;
        for (; at != end; at += stride)
          if ((bits = skip[at] & mask)) break;
        if (at == end) break;
        const Integer y = Used.Top + static_cast<Integer>(stride == 1 ? at : at / stride);
        at += stride;
        ScanWord(lim, M.Tiles + y * M.Columns, bits, w0 << 6, y, safeFrom(y), rects, count, capacity);
      }
      return count;
    }
    for (Integer y = Used.Top; y <= Used.Bottom; ++y, row += M.Columns, rowMarks += stride, rowSkip += skipStride) {
      // Runs of tiles may reach past the marked columns and past the used
      // bounds; the next run starts after them.
      Integer next = 0;
      for (Integer w = w0; w <= w1; ++w) {
        TColumnBits bits = BitsFrom(Whole ? rowMarks[w] : rowSkip[w], next - (w << 6));
        if (w == w0) bits &= firstWord;
        if (w == w1) bits &= lastWord;
        if (bits) next = ScanWord(lim, row, bits, w << 6, y, safeFrom(y), rects, count, capacity);
      }
    }
    return count;
  }

 private:
  struct TLimits {
    Integer LastCol, SafeR;
    TBelow* Below;
  };

  // The runs that start at the set bits of one word of marks; the column
  // after the last run.
  Integer ScanWord(const TLimits L, const TMicroTile* Row, TColumnBits Bits, Integer Base, Integer Y, Integer SafeFrom,
                   TCalcRect*& Rects, Integer& Count, Integer& Capacity) __attribute__((always_inline)) {
    // The next tile continues an exact run when it starts at its left edge
    // with the same top and bottom.
    constexpr Cardinal rowsOf = 0x00FF00FFu, leftAndRowsOf = 0xFF000000u | rowsOf;
    const Integer top = Y * MICROTILE_SIZE;
    const __m128i rowAt = _mm_setr_epi32(0, top, 0, top);
    Integer next = Base;
    do {
      const Integer x = Base + std::countr_zero(Bits);
      const TMicroTile t = Row[x];
      if (t == MICROTILE_EMPTY) {
        Bits &= Bits - 1;
        continue;
      }
      Integer last = x;
      // The rectangle lives in one vector register (Left, Top, Right,
      // Bottom) from here to its store: as four integers the scan runs out
      // of registers and spills them on every run.
      __m128i r;
      if (Whole) {
        last = NonEmptyRunEnd(Row, x, L.LastCol);
        r = _mm_setr_epi32(x * MICROTILE_SIZE, top, (last + 1) * MICROTILE_SIZE, top + MICROTILE_SIZE);
      } else {
        TMicroTile lastTile = t;
        if (MicroTileRight(t) == MICROTILE_SIZE) {
          // Over the tiles as wide as a tile, then one that ends earlier.
          const Cardinal want = static_cast<Cardinal>(t) & rowsOf;
          const TMicroTile inner = static_cast<TMicroTile>(want) | MICROTILE_SIZE << 8;
          last = InnerRunEnd(Row, x, L.LastCol, inner);
          if (last > x) lastTile = inner;
          if (last < L.LastCol) {
            const TMicroTile n = Row[last + 1];
            if (n != MICROTILE_EMPTY && (static_cast<Cardinal>(n) & leftAndRowsOf) == want) {
              ++last;
              lastTile = n;
            }
          }
        }
        // The first tile's left, top and bottom with the last one's right,
        // spread from bytes (Bottom, Right, Top, Left) to lanes (Left, Top,
        // Right, Bottom), plus the tiles' places.
        const Cardinal box = (static_cast<Cardinal>(t) & 0xFFFF00FFu) | (static_cast<Cardinal>(lastTile) & 0xFF00u);
        const __m128i zero = _mm_setzero_si128();
        const __m128i bytes = _mm_unpacklo_epi16(
            _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(box)), zero), zero);
        const __m128i at = _mm_unpacklo_epi64(_mm_cvtsi32_si128(x * MICROTILE_SIZE),
                                              _mm_cvtsi32_si128(last * MICROTILE_SIZE));
        r = _mm_add_epi32(_mm_add_epi32(_mm_shuffle_epi32(bytes, _MM_SHUFFLE(0, 1, 2, 3)), at), rowAt);
      }
      if (x < SafeFrom || last >= L.SafeR) [[unlikely]]
        r = ClampToClip(r, FClip);
      TBelow& b = L.Below[x];
      // The rectangle above grows down into this one when its left and
      // right are the same and its bottom is this one's top.
      if (b.Row == Y) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Rects + b.Rect));
        const __m128i same = _mm_cmpeq_epi32(a, _mm_shuffle_epi32(r, _MM_SHUFFLE(1, 2, 0, 0)));
        if ((_mm_movemask_ps(_mm_castsi128_ps(same)) & 0xD) == 0xD) {
          // Its left and top with this one's right and bottom.
          r = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(a), _mm_castsi128_ps(r), _MM_SHUFFLE(3, 2, 1, 0)));
          goto merged;
        }
      }
      if (Count == Capacity) [[unlikely]] {
        Rects = FRects.Reserve(Count + 1, Count);
        Capacity = FRects.Capacity();
      }
      b.Rect = Count++;
    merged:
      b.Row = Y + 1;
      if (!Whole && x >= SafeFrom && last < L.SafeR && MicroTileBottom(t) == MICROTILE_SIZE && last - x < 8)
        r = GrowDown(Row, t, x, last, Y, b, r);
      // Stored whole: a later row loads it whole, and a load over a
      // narrower store waits for the store to retire.
      _mm_storeu_si128(reinterpret_cast<__m128i*>(Rects + b.Rect), r);
      next = last + 1;
      if (Whole) {
        // A run of whole tiles is, nearly always, the run of marks it
        // starts: the next run then starts at the next mark, found from
        // the marks alone, so that it does not wait for the scan of the
        // tiles of this one.
        const TColumnBits rest = Bits & (Bits + (Bits & (TColumnBits(0) - Bits)));
        if (last == Base + 63 - std::countl_zero(Bits ^ rest)) [[likely]] {
          Bits = rest;
          continue;
        }
        // Kept a branch: as a selected value, the update below would put
        // every run back on the chain of the one before.
        __asm__("");
      }
      // The bits after the run; none when it reaches the word's end.
      Bits &= ~((TColumnBits(2) << std::min(last - Base, 63)) - 1);
    } while (Bits);
    return next;
  }

  // The rows below row Y that repeat its exact run from X to Last (no
  // wider than eight tiles, its first tile T reaching the bottom of the
  // row, no clamping) are taken into the run's rectangle R, as long as the
  // rectangle reaches the bottom of each; their columns are left out when
  // the scan comes to them. A row repeats the run when its tiles there have
  // the same left and right edges with one top and bottom, the top at the
  // row's top, and the run neither continues one from the left (unless it
  // starts at the first column the scan starts runs at) nor goes on to the
  // right.
  __m128i GrowDown(const TMicroTile* Row, TMicroTile T, Integer X, Integer Last, Integer Y, TBelow& B, __m128i R) {
    const TColumnBits runBits = X >> 6 == Last >> 6 ? WordRange(X >> 6, X, Last) : 0;
    if (!runBits) return R;
    const unsigned want = (2u << (Last - X)) - 1;
    const __m128i edges = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
    const __m128i lo = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + X)), edges);
    const __m128i hi = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + X + 4)), edges);
    // The tiles below have the run's left and right edges, so a run joins
    // from the left only into a first tile at its left edge, and goes on to
    // the right only from a last tile at its right edge.
    const bool fromLeft = X > FFirstCol && MicroTileLeft(T) == 0;
    const bool toRight = Last < FLastCol && MicroTileRight(Row[Last]) == MICROTILE_SIZE;
    const Integer columns = FLastCol + 1;
    TColumnBits* k = FSkip + static_cast<size_t>(Y + 1 - FSkipTop) * FStride + (X >> 6);
    const TMicroTile* b = Row + columns;
    const TColumnBits keep = ~runBits;
    const Integer rowsEnd = FRowsEnd;
    const size_t stride = FStride;
    Integer below = Y + 1, bottom = -1;
    // A row repeats the run when its tiles there are the run's left and
    // right edges with top 0 and the bottom of its first tile. Runs of four
    // tiles or fewer compare one block a row, and the rare runs that meet a
    // tile border on the side where another may join get their own loop.
    auto scan = [&](auto Wide, auto Edges) __attribute__((always_inline)) {
      for (; below < rowsEnd; ++below, b += columns, k += stride) {
        const Cardinal bottomOf = static_cast<Cardinal>(b[X]) & 0xFFu;
        const __m128i v = _mm_set1_epi32(static_cast<int>(bottomOf));
        unsigned m = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(
            _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + X)), _mm_or_si128(lo, v)))));
        if constexpr (Wide)
          m |= static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + X + 4)), _mm_or_si128(hi, v)))))
               << 4;
        if ((m & want) != want) break;
        if constexpr (Edges) {
          // A tile before that reaches its right edge with the same top and
          // bottom; a non-empty tile after that starts at its left edge with
          // them.
          if (fromLeft && (static_cast<Cardinal>(b[X - 1]) & 0x00FFFFFFu) == (bottomOf | MICROTILE_SIZE << 8)) break;
          if (toRight && b[Last + 1] != MICROTILE_EMPTY &&
              (static_cast<Cardinal>(b[Last + 1]) & 0xFFFF00FFu) == bottomOf)
            break;
        }
        *k &= keep;
        if (bottomOf != MICROTILE_SIZE) {
          bottom = below * MICROTILE_SIZE + static_cast<Integer>(bottomOf);
          ++below;
          break;
        }
      }
    };
    if (fromLeft | toRight) [[unlikely]]
      scan(std::true_type(), std::true_type());
    else if (Last - X >= 4)
      scan(std::true_type(), std::false_type());
    else
      scan(std::false_type(), std::false_type());
    // The rows taken in are whole but for a last one that ends earlier.
    if (bottom < 0) bottom = below * MICROTILE_SIZE;
    if (below == Y + 1) return R;
    B.Row = below;
    // R with the new bottom.
    const __m128i rightAndBottom = _mm_unpacklo_epi32(_mm_unpackhi_epi64(R, R), _mm_cvtsi32_si128(bottom));
    return _mm_unpacklo_epi64(R, rightAndBottom);
  }

  Integer FLastCol;
  TCalcRect FClip;
  Integer FSafeL = 0, FSafeT = 0, FSafeR = 0, FSafeB = 0;
  Integer FFirstCol = 0, FRowsEnd = 0, FSkipTop = 0;
  size_t FStride = 0;
  TColumnBits* FSkip = nullptr;
  TScratch<TColumnBits, 256> FSkipStore;
  TScratch<TBelow, 256> FBelowStore;
  TBelow* FBelow = nullptr;
  TScratch<TCalcRect, 64>& FRects;
};

}  // namespace

Integer MicroTilesCalcRects(const TMicroTiles& MicroTiles, TRectList* DstRects, const TRect& Clip, bool CountOnly,
                            bool RoundToWholeTiles) {
  TRect u;
  if (!UsedTiles(MicroTiles, u)) return 0;
  TScratch<TCalcRect, 64> rects;
  const Integer count = RoundToWholeTiles ? TRectCollector<true>(MicroTiles, Clip, rects).Collect(MicroTiles, u)
                                          : TRectCollector<false>(MicroTiles, Clip, rects).Collect(MicroTiles, u);
  // The scan's records are laid out as the list's rectangles: one block copy.
  if (!CountOnly && DstRects) DstRects->AddRects(reinterpret_cast<const TRect*>(rects.Data()), count);
  return count;
}

Integer MicroTilesCountEmptyTiles(const TMicroTiles& MicroTiles) {
  if (MicroTiles.Count < 1) return 0;
  Integer n = 0;
  for (Integer i = 0; i < MicroTiles.Rows * MicroTiles.Columns; ++i)
    if (MicroTiles.Tiles[i] == MICROTILE_EMPTY) ++n;
  return n;
}

// ---------------------------------------------------------------------------
// TMicroTilesMap

TMicroTilesMap::~TMicroTilesMap() { Clear(); }

PMicroTiles TMicroTilesMap::Add(PItem Item) {
  bool isNew = false;
  PPData slot = TPointerMap::Add(Item, isNew);
  if (isNew || !*slot) *slot = new TMicroTiles();
  return static_cast<PMicroTiles>(*slot);
}

PData TMicroTilesMap::Delete(Integer BucketIndex, Integer ItemIndex) {
  auto* tiles = static_cast<PMicroTiles>(Bucket(BucketIndex).Items[static_cast<size_t>(ItemIndex)].Data);
  if (tiles) {
    MicroTilesDestroy(*tiles);
    delete tiles;
  }
  TPointerMap::Delete(BucketIndex, ItemIndex);
  return nullptr;
}

// ---------------------------------------------------------------------------
// TMicroTilesRepaintOptimizer

TMicroTilesRepaintOptimizer::TMicroTilesRepaintOptimizer(TBitmap32* Buffer, TRectList* InvalidRects)
    : TCustomRepaintOptimizer(Buffer, InvalidRects),
      FOldInvalidTilesMap(std::make_unique<TMicroTilesMap>()),
      FPerfTimer(std::make_unique<TPerfTimer>()),
      // The first timed retry is due at once.
      FNextCheck(static_cast<Integer>(GetTickCount())) {}

TMicroTilesRepaintOptimizer::~TMicroTilesRepaintOptimizer() {
  for (TLayerCollection* layers : FLayerCollections) HookCollection(layers, false);
  MicroTilesDestroy(FInvalidTiles);
  MicroTilesDestroy(FTempTiles);
  MicroTilesDestroy(FForcedInvalidTiles);
}

void TMicroTilesRepaintOptimizer::HookCollection(TLayerCollection* Layers, bool On) {
  if (On) {
    Layers->SetOnLayerUpdated(MakeEvent(this, &TMicroTilesRepaintOptimizer::LayerUpdateHandler));
    Layers->SetOnAreaUpdated(MakeEvent(this, &TMicroTilesRepaintOptimizer::AreaUpdateHandler));
    Layers->SetOnListNotify(MakeEvent(this, &TMicroTilesRepaintOptimizer::LayerCollectionNotifyHandler));
  } else {
    Layers->SetOnLayerUpdated({});
    Layers->SetOnAreaUpdated({});
    Layers->SetOnListNotify({});
  }
}

void TMicroTilesRepaintOptimizer::ClearOldTiles() {
  FOldInvalidTilesMap->Clear();
  for (TCustomLayer* l : FInvalidLayers) l->SetInvalid(false);
  FInvalidLayers.clear();
}

void TMicroTilesRepaintOptimizer::SetEnabled(bool Value) {
  if (Value == Enabled()) return;
  if (Value) {
    for (TLayerCollection* layers : FLayerCollections) HookCollection(layers, true);
    BufferResizedHandler(FBuffer->Width(), FBuffer->Height());
  } else {
    for (TLayerCollection* layers : FLayerCollections) HookCollection(layers, false);
    MicroTilesDestroy(FInvalidTiles);
    MicroTilesDestroy(FTempTiles);
    MicroTilesDestroy(FForcedInvalidTiles);
    FWorkingTilesValid = false;
    FUseInvalidTiles = false;
    FOldInvalidTilesValid = false;
    ClearOldTiles();
  }
  inherited::SetEnabled(Value);
}

void TMicroTilesRepaintOptimizer::RegisterLayerCollection(TLayerCollection* Layers) {
  inherited::RegisterLayerCollection(Layers);
  if (Layers && Enabled()) HookCollection(Layers, true);
}

void TMicroTilesRepaintOptimizer::UnregisterLayerCollection(TLayerCollection* Layers) {
  if (!Layers) return;
  HookCollection(Layers, false);
  // Its layers leave with it: nothing may point at them any more.
  for (TCustomLayer* l : *Layers) {
    FOldInvalidTilesMap->Remove(l);
    auto it = std::find(FInvalidLayers.begin(), FInvalidLayers.end(), l);
    if (it != FInvalidLayers.end()) FInvalidLayers.erase(it);
  }
  inherited::UnregisterLayerCollection(Layers);
}

void TMicroTilesRepaintOptimizer::AreaUpdateHandler(TObject*, const TRect& Area, Cardinal Info) {
  ValidateWorkingTiles();
  AddArea(FForcedInvalidTiles, Area, Info);
  FUseInvalidTiles = true;
}

void TMicroTilesRepaintOptimizer::AddArea(TMicroTiles& Tiles, const TRect& Area, Cardinal Info) {
  const bool round = FPerformanceLevel > 0;
  if (Info & AREA_LINE_FLAG) {
    const Integer w = static_cast<Integer>(Info & 0x00FFFFFFu);
    TRect r = Area;
    InflateArea(r, w, w);
    MicroTilesAddLine(Tiles, r.Left, r.Top, r.Right, r.Bottom, w, round);
  } else {
    MicroTilesAddRect(Tiles, Area, round);
  }
}

void TMicroTilesRepaintOptimizer::LayerUpdateHandler(TObject*, TCustomLayer* Layer) {
  if (FOldInvalidTilesValid && !Layer->Invalid()) {
    FInvalidLayers.push_back(Layer);
    Layer->SetInvalid(true);
    FUseInvalidTiles = true;
  }
}

void TMicroTilesRepaintOptimizer::LayerCollectionNotifyHandler(TLayerCollection* Sender, TLayerListNotification Action,
                                                               TCustomLayer* Layer, Integer) {
  switch (Action) {
    case lnLayerAdded:
    case lnLayerInserted: {
      PMicroTiles tiles = FOldInvalidTilesMap->Add(Layer);
      MicroTilesSetSize(*tiles, FBufferBounds);
      // A new layer shows up even if nothing about it changes afterwards;
      // measured at the next optimization, once it is whole.
      if (std::find(FInvalidLayers.begin(), FInvalidLayers.end(), Layer) == FInvalidLayers.end())
        FInvalidLayers.push_back(Layer);
      FUseInvalidTiles = true;
      FOldInvalidTilesValid = true;
      break;
    }
    case lnLayerDeleted: {
      if (FOldInvalidTilesValid) {
        PPData slot = nullptr;
        if (FOldInvalidTilesMap->Find(Layer, slot) && slot && *slot) {
          ValidateWorkingTiles();
          MicroTilesUnion(FInvalidTiles, *static_cast<PMicroTiles>(*slot), false);
          FUseInvalidTiles = true;
        }
      }
      FInvalidLayers.erase(std::remove(FInvalidLayers.begin(), FInvalidLayers.end(), Layer), FInvalidLayers.end());
      FOldInvalidTilesMap->Remove(Layer);
      break;
    }
    case lnCleared: {
      if (FOldInvalidTilesValid) {
        ValidateWorkingTiles();
        for (TCustomLayer* l : *Sender) {
          PPData slot = nullptr;
          if (FOldInvalidTilesMap->Find(l, slot) && slot && *slot)
            MicroTilesUnion(FInvalidTiles, *static_cast<PMicroTiles>(*slot), false);
        }
        FUseInvalidTiles = true;
        ResetAdaptiveMode();
      }
      ClearOldTiles();
      FOldInvalidTilesValid = true;
      break;
    }
  }
}

void TMicroTilesRepaintOptimizer::ValidateWorkingTiles() {
  if (FWorkingTilesValid) return;
  MicroTilesSetSize(FTempTiles, FBufferBounds);
  MicroTilesSetSize(FInvalidTiles, FBufferBounds);
  MicroTilesSetSize(FForcedInvalidTiles, FBufferBounds);
  FWorkingTilesValid = true;
}

void TMicroTilesRepaintOptimizer::BufferResizedHandler(Integer NewWidth, Integer NewHeight) {
  FBufferBounds = TRect(0, 0, NewWidth, NewHeight);
  Reset();
}

void TMicroTilesRepaintOptimizer::Reset() {
  FWorkingTilesValid = false;
  FOldInvalidTilesValid = false;
  UpdateOldInvalidTiles();
  MicroTilesClear(FForcedInvalidTiles, MICROTILE_FULL);
  FForcedInvalidTiles.BoundsUsedTiles =
      TRect(0, 0, FForcedInvalidTiles.Columns - 1, FForcedInvalidTiles.Rows - 1);
  FUseInvalidTiles = true;
}

bool TMicroTilesRepaintOptimizer::UpdatesAvailable() {
  UpdateOldInvalidTiles();
  return FUseInvalidTiles;
}

void TMicroTilesRepaintOptimizer::UpdateOldInvalidTiles() {
  if (FOldInvalidTilesValid) return;
  ValidateWorkingTiles();
  for (TLayerCollection* layers : FLayerCollections)
    for (TCustomLayer* l : *layers) {
      PMicroTiles tiles = FOldInvalidTilesMap->Add(l);
      MicroTilesSetSize(*tiles, FBufferBounds);
      DrawLayerToMicroTiles(*tiles, l);
      l->SetInvalid(false);
    }
  FInvalidLayers.clear();
  FOldInvalidTilesValid = true;
  FUseInvalidTiles = false;
}

void TMicroTilesRepaintOptimizer::DrawLayerToMicroTiles(TMicroTiles& DstTiles, TCustomLayer* Layer) {
  if (!FBuffer) return;
  FBuffer->BeginMeasuring(MakeEvent(this, &TMicroTilesRepaintOptimizer::DrawMeasuringHandler));
  FWorkMicroTiles = &DstTiles;
  try {
    Layer->DoPaint(FBuffer);
  } catch (...) {
    FWorkMicroTiles = nullptr;
    FBuffer->EndMeasuring();
    throw;
  }
  FWorkMicroTiles = nullptr;
  FBuffer->EndMeasuring();
}

void TMicroTilesRepaintOptimizer::DrawMeasuringHandler(TObject*, const TRect& Area, Cardinal Info) {
  if (FWorkMicroTiles) AddArea(*FWorkMicroTiles, Area, Info);
}

void TMicroTilesRepaintOptimizer::PerformOptimization() {
  if (FUseInvalidTiles) {
    ValidateWorkingTiles();
    const bool round = FPerformanceLevel > 0;
    // Measuring runs the layers' paint handlers, which may change other
    // layers. Those join the list while it is walked (so it is walked by
    // index, up to the layers it held) and stay pending for the next paint:
    // dropped, they would keep their mark and never be measured again.
    const size_t pending = FInvalidLayers.size();
    for (size_t i = 0; i < pending && i < FInvalidLayers.size(); ++i) {
      TCustomLayer* l = FInvalidLayers[i];
      MicroTilesClearUsed(FTempTiles);
      DrawLayerToMicroTiles(FTempTiles, l);
      MicroTilesUnion(FInvalidTiles, FTempTiles, round);
      PMicroTiles old = FOldInvalidTilesMap->Add(l);
      if (old->Count == 0) MicroTilesSetSize(*old, FBufferBounds);
      MicroTilesUnion(FInvalidTiles, *old, round);
      // The scratch map is cleared before its next use, so the layer's new
      // tiles can change places with its old ones instead of being copied.
      if (old->Count == FTempTiles.Count && old->Columns == FTempTiles.Columns && old->Rows == FTempTiles.Rows &&
          old->BoundsRect == FTempTiles.BoundsRect)
        std::swap(*old, FTempTiles);
      else
        MicroTilesCopy(*old, FTempTiles);
      l->SetInvalid(false);
    }
    FInvalidLayers.erase(FInvalidLayers.begin(),
                         FInvalidLayers.begin() + std::min(pending, FInvalidLayers.size()));
    MicroTilesCalcRects(FInvalidTiles, FInvalidRects, FInvalidTiles.BoundsRect, false, round);
    MicroTilesCalcRects(FForcedInvalidTiles, FInvalidRects, FForcedInvalidTiles.BoundsRect, false, round);
  }
  BeginAdaption();
  MicroTilesClearUsed(FInvalidTiles);
  MicroTilesClearUsed(FForcedInvalidTiles);
}

void TMicroTilesRepaintOptimizer::BeginPaintBuffer() {
  if (FAdaptiveMode) FPerfTimer->Start();
}

void TMicroTilesRepaintOptimizer::EndPaintBuffer() {
  // Layers changed since the last optimization (while the buffer was being
  // painted, say) are still to be shown: they keep the updates pending.
  FUseInvalidTiles = !FInvalidLayers.empty();
  EndAdaption();
}

namespace {

// The millisecond tick wraps after 49 days; a due time is compared by
// signed difference so that it stays due across the wrap.
bool TickPast(Integer Due) { return static_cast<Integer>(static_cast<Cardinal>(GetTickCount()) - Due) > 0; }
Integer TickIn(Integer Ms) { return static_cast<Integer>(static_cast<Cardinal>(GetTickCount()) + Ms); }

}  // namespace

void TMicroTilesRepaintOptimizer::BeginAdaption() {
  if (!FAdaptiveMode || FPerformanceLevel < 1) return;
  if (TickPast(FNextCheck)) {
    FPerformanceLevel = std::max(FPerformanceLevel - 1, 0);
    FTimedCheck = true;
  } else if (!FAdaptionFailed && FInvalidRects->Count() < FOldInvalidRectsCount - 10) {
    FPerformanceLevel = std::max(FPerformanceLevel - 1, 0);
  } else if (FPerformanceLevel == 2) {
    FInvalidRects->Clear();
  }
}

void TMicroTilesRepaintOptimizer::EndAdaption() {
  const Int64 t = FPerfTimer->ReadValue();
  const Integer n = FInvalidRects->Count();
  if (n == 0) {
    FElapsedTimeForFullSceneRepaint = t;
  } else if (FAdaptiveMode) {
    if (t > FElapsedTimeForFullSceneRepaint) {
      const Integer level = std::min(FPerformanceLevel + 1, 2);
      if (level != FPerformanceLevel) {
        FOldInvalidRectsCount = n;
        FPerformanceLevel = level;
        if (FTimedCheck) {
          FTimeDelta = std::clamp(FTimeDelta + 250, 1000, 5000);
          FNextCheck = TickIn(FTimeDelta);
          FElapsedTimeOnLastPenalty = t;
          FTimedCheck = false;
        }
        FAdaptionFailed = true;
      }
    } else if (t < FElapsedTimeForFullSceneRepaint) {
      if (FTimedCheck) {
        FTimeDelta = 1000;
        FNextCheck = TickIn(1000);
        FTimedCheck = false;
      } else if (FTimeDelta > 1000) {
        FTimeDelta = std::clamp(FTimeDelta - 1000, 1000, 5000);
        FNextCheck = TickIn(FTimeDelta);
      }
      FAdaptionFailed = false;
    } else if (t < FElapsedTimeOnLastPenalty && FTimedCheck) {
      FTimeDelta = std::clamp(FTimeDelta - 250, 1000, 5000);
      FNextCheck = TickIn(FTimeDelta);
      FTimedCheck = false;
    }
  }
  FElapsedTimeForLastRepaint = t;
}

void TMicroTilesRepaintOptimizer::SetAdaptiveMode(bool Value) {
  if (Value == FAdaptiveMode) return;
  FAdaptiveMode = Value;
  ResetAdaptiveMode();
}

void TMicroTilesRepaintOptimizer::ResetAdaptiveMode() {
  FTimeDelta = 1000;
  FAdaptionFailed = false;
  FPerformanceLevel = 0;
}

// ---------------------------------------------------------------------------

void InitPix32MicroTiles() {
  MicroTilesRegistry = NewRegistry(u"Pix32_MicroTiles_qn bindings");
  MicroTilesRegistry->RegisterBinding(FID_MICROTILEUNION, &MicroTileUnion, "MicroTileUnion");
  MicroTilesRegistry->RegisterBinding(FID_MICROTILESUNIONCORE, &MicroTilesUnionCore, "MicroTilesUnionCore");
  MicroTilesRegistry->Add(FID_MICROTILEUNION, &MicroTileUnion_Pas, {}, 0, "plain");
  MicroTilesRegistry->Add(FID_MICROTILEUNION, &MicroTileUnion_SSE2, {TCPUInstructionSet::ciEMMX}, 0, "packed bytes");
  MicroTilesRegistry->Add(FID_MICROTILESUNIONCORE, &MicroTilesUnionCore_Pas, {}, 0, "plain");
  MicroTilesRegistry->Add(FID_MICROTILESUNIONCORE, &MicroTilesUnionCore_SSE2, {TCPUInstructionSet::ciEMMX}, 0,
                          "packed bytes");
  MicroTilesRegistry->RebindAll();
}

void DonePix32MicroTiles() { MicroTilesRegistry = nullptr; }

}  // namespace qn
