#include "graphics/raster/Pix32_MicroTiles_qn.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "graphics/raster/Pix32_Math_qn.h"
#include "platform/user/User.h"

namespace qn {

void (*MicroTileUnion)(TMicroTile& DstTile, TMicroTile SrcTile) = nullptr;
void (*MicroTilesUnionCore)(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) = nullptr;
TFunctionRegistry* MicroTilesRegistry = nullptr;

// ---------------------------------------------------------------------------
// Tile union

void MicroTileUnion_Pas(TMicroTile& DstTile, TMicroTile SrcTile) {
  if (DstTile == MICROTILE_FULL || SrcTile == MICROTILE_EMPTY || MicroTileWidth(SrcTile) == 0 ||
      MicroTileHeight(SrcTile) == 0)
    return;
  if (DstTile == MICROTILE_EMPTY || SrcTile == MICROTILE_FULL) {
    DstTile = SrcTile;
    return;
  }
  DstTile = MakeMicroTile(std::min(MicroTileLeft(DstTile), MicroTileLeft(SrcTile)),
                          std::min(MicroTileTop(DstTile), MicroTileTop(SrcTile)),
                          std::max(MicroTileRight(DstTile), MicroTileRight(SrcTile)),
                          std::max(MicroTileBottom(DstTile), MicroTileBottom(SrcTile)));
}

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

void MicroTilesUnionCore_Pas(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) {
  const TRect& u = SrcTiles.BoundsUsedTiles;
  for (Integer y = u.Top; y <= u.Bottom; ++y) {
    const TMicroTile* s = SrcTiles.Tiles + y * SrcTiles.Columns + u.Left;
    TMicroTile* d = DstTiles.Tiles + y * DstTiles.Columns + u.Left;
    for (Integer x = u.Left; x <= u.Right; ++x) MicroTileUnion_Pas(*d++, *s++);
  }
}

void MicroTilesUnionCore_SSE2(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) {
  const TRect& u = SrcTiles.BoundsUsedTiles;
  const Integer n = u.Right - u.Left + 1;
  for (Integer y = u.Top; y <= u.Bottom; ++y) {
    const TMicroTile* s = SrcTiles.Tiles + y * SrcTiles.Columns + u.Left;
    TMicroTile* d = DstTiles.Tiles + y * DstTiles.Columns + u.Left;
    Integer x = 0;
    for (; x + 4 <= n; x += 4) {
      const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), UnionLanes(dv, sv));
    }
    for (; x < n; ++x) MicroTileUnion_SSE2(d[x], s[x]);
  }
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

void ReallocTiles(TMicroTiles& M, Integer Count) {
  if (Count <= 0) {
    std::free(M.Tiles);
    M.Tiles = nullptr;
    M.Count = 0;
    return;
  }
  auto* p = static_cast<PMicroTileArray>(std::realloc(M.Tiles, static_cast<size_t>(Count) * sizeof(TMicroTile)));
  if (!p) throw EOutOfMemory(u"Out of memory");
  M.Tiles = p;
  M.Count = Count;
}

void ResetUsed(TMicroTiles& M) { M.BoundsUsedTiles = TRect(M.Columns, M.Rows, 0, 0); }

void GrowUsed(TMicroTiles& M, Integer L, Integer T, Integer R, Integer B) {
  TRect& u = M.BoundsUsedTiles;
  u.Left = std::min(u.Left, L);
  u.Top = std::min(u.Top, T);
  u.Right = std::max(u.Right, R);
  u.Bottom = std::max(u.Bottom, B);
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
  if (MicroTiles.Count > 0) FillLongword(MicroTiles.Tiles, static_cast<Cardinal>(MicroTiles.Count), Value);
  ResetUsed(MicroTiles);
}

void MicroTilesClearUsed(TMicroTiles& MicroTiles, TMicroTile Value) {
  const TRect& u = MicroTiles.BoundsUsedTiles;
  if (MicroTiles.Count > 0 && u.Right >= u.Left && u.Bottom >= u.Top)
    for (Integer y = u.Top; y <= u.Bottom; ++y)
      FillLongword(MicroTiles.Tiles + y * MicroTiles.Columns + u.Left, static_cast<Cardinal>(u.Right - u.Left + 1),
                   Value);
  ResetUsed(MicroTiles);
}

void MicroTilesCopy(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles) {
  if (&DstTiles == &SrcTiles) return;
  if (DstTiles.Count > 0) MicroTilesClearUsed(DstTiles);
  DstTiles.BoundsRect = SrcTiles.BoundsRect;
  DstTiles.Columns = SrcTiles.Columns;
  DstTiles.Rows = SrcTiles.Rows;
  DstTiles.BoundsUsedTiles = SrcTiles.BoundsUsedTiles;
  const Integer old = DstTiles.Count;
  ReallocTiles(DstTiles, SrcTiles.Count);
  if (DstTiles.Count > old) FillLongword(DstTiles.Tiles + old, static_cast<Cardinal>(DstTiles.Count - old), 0);
  // The clear above used the old layout; a changed one starts empty.
  if (old > 0 && DstTiles.Count > 0 && old != DstTiles.Count)
    FillLongword(DstTiles.Tiles, static_cast<Cardinal>(DstTiles.Count), 0);
  const TRect& u = SrcTiles.BoundsUsedTiles;
  if (SrcTiles.Count <= 0 || u.Right < u.Left || u.Bottom < u.Top) return;
  for (Integer y = u.Top; y <= u.Bottom; ++y)
    std::memcpy(DstTiles.Tiles + y * DstTiles.Columns + u.Left, SrcTiles.Tiles + y * SrcTiles.Columns + u.Left,
                static_cast<size_t>(u.Right - u.Left + 1) * sizeof(TMicroTile));
}

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
  const Integer cols = MicroTiles.Columns;
  TMicroTile* tiles = MicroTiles.Tiles;
  auto at = [&](Integer c, Integer r) -> TMicroTile& { return tiles[r * cols + c]; };

  if (RoundToWholeTiles) {
    for (Integer r = mt; r <= mb; ++r)
      for (Integer c = ml; c <= mr; ++c) at(c, r) = MICROTILE_FULL;
  } else {
    const Integer l = Rect.Left & 31, t = Rect.Top & 31, r = Rect.Right & 31, b = Rect.Bottom & 31;
    const Integer cs = ((Rect.Right + MICROTILE_SIZE) >> MICROTILE_SHIFT) - ml;
    const Integer rs = ((Rect.Bottom + MICROTILE_SIZE) >> MICROTILE_SHIFT) - mt;
    if (cs == 1 && rs == 1) {
      MicroTileUnion(at(ml, mt), MakeMicroTile(l, t, r, b));
    } else if (cs == 1) {
      MicroTileUnion(at(ml, mt), MakeMicroTile(l, t, r, 32));
      for (Integer y = mt + 1; y < mb; ++y) MicroTileUnion(at(ml, y), MakeMicroTile(l, 0, r, 32));
      MicroTileUnion(at(ml, mb), MakeMicroTile(l, 0, r, b));
    } else if (rs == 1) {
      MicroTileUnion(at(ml, mt), MakeMicroTile(l, t, 32, b));
      for (Integer x = ml + 1; x < mr; ++x) MicroTileUnion(at(x, mt), MakeMicroTile(0, t, 32, b));
      MicroTileUnion(at(mr, mt), MakeMicroTile(0, t, r, b));
    } else {
      MicroTileUnion(at(ml, mt), MakeMicroTile(l, t, 32, 32));
      for (Integer x = ml + 1; x < mr; ++x) MicroTileUnion(at(x, mt), MakeMicroTile(0, t, 32, 32));
      MicroTileUnion(at(mr, mt), MakeMicroTile(0, t, r, 32));
      for (Integer y = mt + 1; y < mb; ++y) {
        MicroTileUnion(at(ml, y), MakeMicroTile(l, 0, 32, 32));
        for (Integer x = ml + 1; x < mr; ++x) at(x, y) = MICROTILE_FULL;
        MicroTileUnion(at(mr, y), MakeMicroTile(0, 0, r, 32));
      }
      MicroTileUnion(at(ml, mb), MakeMicroTile(l, 0, 32, b));
      for (Integer x = ml + 1; x < mr; ++x) MicroTileUnion(at(x, mb), MakeMicroTile(0, 0, 32, b));
      MicroTileUnion(at(mr, mb), MakeMicroTile(0, 0, r, b));
    }
  }
  GrowUsed(MicroTiles, ml, mt, mr, mb);
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
  if (SrcTiles.Count == 0 || DstTiles.Count == 0) return;
  const TRect& u = SrcTiles.BoundsUsedTiles;
  if (u.Right < u.Left || u.Bottom < u.Top) return;
  if (RoundToWholeTiles) {
    for (Integer y = u.Top; y <= u.Bottom; ++y) {
      const TMicroTile* s = SrcTiles.Tiles + y * SrcTiles.Columns;
      TMicroTile* d = DstTiles.Tiles + y * DstTiles.Columns;
      for (Integer x = u.Left; x <= u.Right; ++x)
        if (s[x] != MICROTILE_EMPTY && MicroTileWidth(s[x]) > 0 && MicroTileHeight(s[x]) > 0) d[x] = MICROTILE_FULL;
    }
  } else {
    MicroTilesUnionCore(DstTiles, SrcTiles);
  }
  GrowUsed(DstTiles, u.Left, u.Top, u.Right, u.Bottom);
}

Integer MicroTilesCalcRects(const TMicroTiles& MicroTiles, TRectList* DstRects, bool CountOnly,
                            bool RoundToWholeTiles) {
  return MicroTilesCalcRects(MicroTiles, DstRects, MicroTiles.BoundsRect, CountOnly, RoundToWholeTiles);
}

Integer MicroTilesCalcRects(const TMicroTiles& MicroTiles, TRectList* DstRects, const TRect& Clip, bool CountOnly,
                            bool RoundToWholeTiles) {
  const TRect& u = MicroTiles.BoundsUsedTiles;
  if (MicroTiles.Count == 0 || u.Right < u.Left || u.Bottom < u.Top) return 0;
  const Integer cols = MicroTiles.Columns, rows = MicroTiles.Rows;
  std::vector<TRect> rects;
  std::vector<Integer> index(static_cast<size_t>(cols) * static_cast<size_t>(rows), -1);
  auto clampX = [&](Integer v) { return std::clamp(v, Clip.Left, std::max(Clip.Left, Clip.Right)); };
  auto clampY = [&](Integer v) { return std::clamp(v, Clip.Top, std::max(Clip.Top, Clip.Bottom)); };
  const TMicroTile* tiles = MicroTiles.Tiles;
  for (Integer y = u.Top; y <= std::min(u.Bottom, rows - 1); ++y) {
    Integer x = u.Left;
    while (x <= std::min(u.Right, cols - 1)) {
      const Integer i = y * cols + x;
      const TMicroTile t = tiles[i];
      if (t == MICROTILE_EMPTY) {
        ++x;
        continue;
      }
      TRect r;
      Integer last = x;
      if (!RoundToWholeTiles) {
        r.Top = clampY(y * 32 + MicroTileTop(t));
        r.Bottom = clampY(y * 32 + MicroTileBottom(t));
        r.Left = clampX(x * 32 + MicroTileLeft(t));
        TMicroTile lastTile = t;
        if (MicroTileRight(t) == 32) {
          while (last < cols - 1) {
            const TMicroTile n = tiles[y * cols + last + 1];
            if (n == MICROTILE_EMPTY || MicroTileLeft(n) != 0 || MicroTileTop(n) != MicroTileTop(t) ||
                MicroTileBottom(n) != MicroTileBottom(t))
              break;
            ++last;
            lastTile = n;
            if (MicroTileRight(n) != 32) break;
          }
        }
        r.Right = clampX(last * 32 + MicroTileRight(lastTile));
      } else {
        r.Top = clampY(y * 32);
        r.Bottom = clampY(y * 32 + 32);
        r.Left = clampX(x * 32);
        while (last < cols - 1 && tiles[y * cols + last + 1] != MICROTILE_EMPTY) ++last;
        r.Right = clampX(last * 32 + 32);
      }
      const Integer prev = index[static_cast<size_t>(i)];
      Integer target;
      if (prev >= 0 && rects[static_cast<size_t>(prev)].Left == r.Left &&
          rects[static_cast<size_t>(prev)].Right == r.Right && rects[static_cast<size_t>(prev)].Bottom == r.Top) {
        rects[static_cast<size_t>(prev)].Bottom = r.Bottom;
        target = prev;
      } else {
        rects.push_back(r);
        target = static_cast<Integer>(rects.size()) - 1;
      }
      if (y < rows - 1) index[static_cast<size_t>(i + cols)] = target;
      x = last + 1;
    }
  }
  if (!CountOnly && DstRects)
    for (const TRect& r : rects) DstRects->Add(r);
  return static_cast<Integer>(rects.size());
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
  if (FForcedInvalidTiles.Count > 0)
    FillLongword(FForcedInvalidTiles.Tiles, static_cast<Cardinal>(FForcedInvalidTiles.Count), MICROTILE_FULL);
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
    for (TCustomLayer* l : FInvalidLayers) {
      MicroTilesClearUsed(FTempTiles);
      DrawLayerToMicroTiles(FTempTiles, l);
      MicroTilesUnion(FInvalidTiles, FTempTiles, round);
      PMicroTiles old = FOldInvalidTilesMap->Add(l);
      if (old->Count == 0) MicroTilesSetSize(*old, FBufferBounds);
      MicroTilesUnion(FInvalidTiles, *old, round);
      MicroTilesCopy(*old, FTempTiles);
      l->SetInvalid(false);
    }
    FInvalidLayers.clear();
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
