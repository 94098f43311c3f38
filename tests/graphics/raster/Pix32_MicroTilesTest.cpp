// Micro tiles: the documented tile cases, random rectangle sets against a
// per-pixel reference (exact rectangles, whole tiles, union and copy, both
// union variants), lines, and the repaint optimizer: a random scene whose
// screen is repainted only where the optimizer says, compared with a full
// render after every step, and the adaptive levels on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "graphics/raster/Pix32_Layers_qn.h"
#include "graphics/raster/Pix32_MicroTiles_qn.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "platform/desktop/Desktop.h"
#include "tests/graphics/raster/RasterTestSupport.h"

namespace t_pix32_micro_tiles_test {

using namespace qn;

namespace {

// Owns a tile map for a test.
struct TMap {
  TMicroTiles M;
  explicit TMap(TRect Bounds) { MicroTilesSetSize(M, Bounds); }
  ~TMap() { MicroTilesDestroy(M); }
  TMicroTile Tile(Integer C, Integer R) const { return M.Tiles[R * M.Columns + C]; }
};

std::vector<TRect> Rects(const TMicroTiles& M, bool Whole) {
  TRectList list;
  const Integer n = MicroTilesCalcRects(M, &list, false, Whole);
  EXPECT_EQ(n, list.Count());
  EXPECT_EQ(MicroTilesCalcRects(M, nullptr, true, Whole), n);
  std::vector<TRect> v;
  for (Integer i = 0; i < list.Count(); ++i) v.push_back(*list.Items(i));
  return v;
}

// A pixel mask of a W x H area.
struct TMask {
  Integer W, H;
  std::vector<char> Bits;
  TMask(Integer AW, Integer AH) : W(AW), H(AH), Bits(size_t(AW) * size_t(AH), 0) {}
  void Add(TRect R) {
    R.Left = std::max(R.Left, 0);
    R.Top = std::max(R.Top, 0);
    R.Right = std::min(R.Right, W);
    R.Bottom = std::min(R.Bottom, H);
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x) Bits[size_t(y) * size_t(W) + size_t(x)] = 1;
  }
  bool operator==(const TMask& O) const { return Bits == O.Bits; }
  bool Covers(const TMask& O) const {
    for (size_t i = 0; i < Bits.size(); ++i)
      if (O.Bits[i] && !Bits[i]) return false;
    return true;
  }
};

// The per-pixel reference: the bounding box of the added pixels per tile.
TMask ReferenceTileBoxes(const std::vector<TRect>& Added, Integer W, Integer H, bool Whole) {
  const Integer cols = (W >> 5) + 1, rows = (H >> 5) + 1;
  TMask pixels(cols * 32, rows * 32);
  for (TRect r : Added) {
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    pixels.Add(r);
  }
  TMask out(W, H);
  for (Integer ty = 0; ty < rows; ++ty)
    for (Integer tx = 0; tx < cols; ++tx) {
      Integer l = 32, t = 32, r = 0, b = 0;
      for (Integer y = 0; y < 32; ++y)
        for (Integer x = 0; x < 32; ++x)
          if (pixels.Bits[size_t(ty * 32 + y) * size_t(pixels.W) + size_t(tx * 32 + x)]) {
            l = std::min(l, x);
            t = std::min(t, y);
            r = std::max(r, x + 1);
            b = std::max(b, y + 1);
          }
      if (r == 0) continue;
      if (Whole) out.Add(TRect(tx * 32, ty * 32, tx * 32 + 32, ty * 32 + 32));
      else out.Add(TRect(tx * 32 + l, ty * 32 + t, tx * 32 + r, ty * 32 + b));
    }
  return out;
}

TMask MaskOf(const std::vector<TRect>& Rs, Integer W, Integer H) {
  TMask m(W, H);
  for (const TRect& r : Rs) m.Add(r);
  return m;
}

TRect RandomRect(std::mt19937& Rng, Integer W, Integer H) {
  const Integer x = Integer(Rng() % unsigned(W + 60)) - 30, y = Integer(Rng() % unsigned(H + 60)) - 30;
  const Integer w = Integer(Rng() % 90), h = Integer(Rng() % 90);
  // Some reversed, as the end points of lines drawn backwards are.
  if (Rng() % 6 == 0) return TRect(x + w, y + h, x, y);
  return TRect(x, y, x + w, y + h);
}

}  // namespace

TEST(Pix32_MicroTiles_qn, DocumentedTileCases) {
  TMap m(TRect(0, 0, 100, 70));
  EXPECT_EQ(m.M.Columns, 4);
  EXPECT_EQ(m.M.Rows, 3);
  EXPECT_EQ(m.M.Count, 20);
  EXPECT_EQ(MicroTilesCountEmptyTiles(m.M), 12);
  EXPECT_TRUE(Rects(m.M, false).empty());

  MicroTilesAddRect(m.M, TRect(10, 10, 20, 20));
  EXPECT_EQ(m.Tile(0, 0), MakeMicroTile(10, 10, 20, 20));
  EXPECT_EQ(m.M.BoundsUsedTiles, TRect(0, 0, 0, 0));

  MicroTilesClear(m.M);
  MicroTilesAddRect(m.M, TRect(30, 5, 40, 8));
  EXPECT_EQ(m.Tile(0, 0), MakeMicroTile(30, 5, 32, 8));
  EXPECT_EQ(m.Tile(1, 0), MakeMicroTile(0, 5, 8, 8));
  EXPECT_EQ(Rects(m.M, false), std::vector<TRect>{TRect(30, 5, 40, 8)});

  // Ending on a tile border leaves the next tile alone.
  MicroTilesClear(m.M);
  MicroTilesAddRect(m.M, TRect(40, 40, 64, 50));
  EXPECT_EQ(m.Tile(2, 1), MICROTILE_EMPTY);
  EXPECT_EQ(Rects(m.M, false), std::vector<TRect>{TRect(40, 40, 64, 50)});

  MicroTilesClear(m.M);
  MicroTilesAddRect(m.M, TRect(1, 1, 2, 2), true);
  EXPECT_EQ(m.Tile(0, 0), MICROTILE_FULL);
  EXPECT_EQ(Rects(m.M, true), std::vector<TRect>{TRect(0, 0, 32, 32)});

  // Vertically adjacent tiles with the same extent merge.
  MicroTilesClear(m.M);
  MicroTilesAddRect(m.M, TRect(10, 20, 30, 50));
  EXPECT_EQ(Rects(m.M, false), std::vector<TRect>{TRect(10, 20, 30, 50)});
  // Clipped to the bounds, not to the tile grid.
  MicroTilesAddRect(m.M, TRect(90, 60, 200, 200));
  EXPECT_EQ(Rects(m.M, false), (std::vector<TRect>{TRect(10, 20, 30, 50), TRect(90, 60, 100, 70)}));

  MicroTilesClearUsed(m.M);
  EXPECT_EQ(MicroTilesCountEmptyTiles(m.M), 12);
  TMicroTiles none = MakeEmptyMicroTiles();
  MicroTilesAddRect(none, TRect(0, 0, 10, 10));
  EXPECT_EQ(MicroTilesCalcRects(none, nullptr, true), 0);
  EXPECT_EQ(MicroTilesCountEmptyTiles(none), 0);
}

TEST(Pix32_MicroTiles_qn, RandomRectsMatchPixelReference) {
  std::mt19937 rng(11);
  for (int round = 0; round < 60; ++round) {
    const Integer w = 40 + Integer(rng() % 200), h = 30 + Integer(rng() % 150);
    TMap exact(TRect(0, 0, w, h)), whole(TRect(0, 0, w, h));
    std::vector<TRect> added;
    const int n = 1 + int(rng() % 8);
    for (int i = 0; i < n; ++i) {
      const TRect r = RandomRect(rng, w, h);
      added.push_back(r);
      MicroTilesAddRect(exact.M, r, false);
      MicroTilesAddRect(whole.M, r, true);
    }
    const std::vector<TRect> er = Rects(exact.M, false);
    ASSERT_TRUE(MaskOf(er, w, h) == ReferenceTileBoxes(added, w, h, false)) << "round " << round;
    // The exact rectangles never overlap: their areas add up to the mask.
    Integer area = 0;
    for (const TRect& r : er) area += (r.Right - r.Left) * (r.Bottom - r.Top);
    const TMask m = MaskOf(er, w, h);
    ASSERT_EQ(area, Integer(std::count(m.Bits.begin(), m.Bits.end(), 1))) << "round " << round;
    const TMask wm = MaskOf(Rects(whole.M, true), w, h);
    ASSERT_TRUE(wm.Covers(ReferenceTileBoxes(added, w, h, true))) << "round " << round;
    // Exact tiles asked for whole tiles give the reference's whole tiles.
    ASSERT_TRUE(MaskOf(Rects(exact.M, true), w, h) == ReferenceTileBoxes(added, w, h, true)) << "round " << round;
  }
}

TEST(Pix32_MicroTiles_qn, UnionAndCopyMatchReferenceInBothVariants) {
  std::mt19937 rng(5);
  for (PFunctionInfo core : rastertest::Variants(MicroTilesRegistry, FID_MICROTILESUNIONCORE)) {
    rastertest::ForceVariant useCore(MicroTilesRegistry, core);
    for (PFunctionInfo one : rastertest::Variants(MicroTilesRegistry, FID_MICROTILEUNION)) {
      rastertest::ForceVariant useOne(MicroTilesRegistry, one);
      for (int round = 0; round < 40; ++round) {
        const Integer w = 64 + Integer(rng() % 200), h = 48 + Integer(rng() % 120);
        TMap a(TRect(0, 0, w, h)), b(TRect(0, 0, w, h)), both(TRect(0, 0, w, h));
        std::vector<TRect> ra, rb;
        for (int i = 0, n = 1 + int(rng() % 6); i < n; ++i) ra.push_back(RandomRect(rng, w, h));
        for (int i = 0, n = int(rng() % 6); i < n; ++i) rb.push_back(RandomRect(rng, w, h));
        for (const TRect& r : ra) MicroTilesAddRect(a.M, r);
        for (const TRect& r : rb) MicroTilesAddRect(b.M, r);
        for (const TRect& r : ra) MicroTilesAddRect(both.M, r);
        for (const TRect& r : rb) MicroTilesAddRect(both.M, r);
        // Copy into a map of another size, then unite.
        TMap c(TRect(0, 0, 10, 10));
        MicroTilesCopy(c.M, a.M);
        ASSERT_EQ(c.M.Columns, a.M.Columns);
        for (Integer i = 0; i < a.M.Columns * a.M.Rows; ++i) ASSERT_EQ(c.M.Tiles[i], a.M.Tiles[i]);
        MicroTilesUnion(c.M, b.M);
        for (Integer i = 0; i < a.M.Columns * a.M.Rows; ++i)
          ASSERT_EQ(c.M.Tiles[i], both.M.Tiles[i]) << core->Name << "/" << one->Name << " round " << round;
        std::vector<TRect> all = ra;
        all.insert(all.end(), rb.begin(), rb.end());
        ASSERT_TRUE(MaskOf(Rects(c.M, false), w, h) == ReferenceTileBoxes(all, w, h, false));
        TMap wholeUnion(TRect(0, 0, w, h));
        MicroTilesUnion(wholeUnion.M, c.M, true);
        ASSERT_TRUE(MaskOf(Rects(wholeUnion.M, false), w, h) == ReferenceTileBoxes(all, w, h, true));
      }
    }
  }
  // The single-tile forms agree on every pair of a spread of tiles.
  std::vector<TMicroTile> tiles{MICROTILE_EMPTY, MICROTILE_FULL};
  for (int i = 0; i < 60; ++i) {
    const Integer l = Integer(rng() % 33), t = Integer(rng() % 33);
    tiles.push_back(MakeMicroTile(l, t, l + Integer(rng() % unsigned(33 - l)), t + Integer(rng() % unsigned(33 - t))));
  }
  for (TMicroTile d : tiles)
    for (TMicroTile s : tiles) {
      TMicroTile p = d, q = d;
      MicroTileUnion_Pas(p, s);
      MicroTileUnion_SSE2(q, s);
      ASSERT_EQ(p, q) << std::hex << d << " " << s;
    }
}

namespace {

// The tile maps as a plain grid, every routine walking all of it: what the
// map routines must give, however they find their way to the tiles.
struct TRefTiles {
  Integer Cols, Rows;
  std::vector<TMicroTile> Grid;
  TRect Used;
  TRefTiles(Integer W, Integer H)
      : Cols((W >> 5) + 1), Rows((H >> 5) + 1), Grid(size_t(Cols) * size_t(Rows)), Used(Cols, Rows, 0, 0) {}
  TMicroTile& At(Integer C, Integer R) { return Grid[size_t(R) * size_t(Cols) + size_t(C)]; }
  void Grow(Integer L, Integer T, Integer R, Integer B) {
    Used = TRect(std::min(Used.Left, L), std::min(Used.Top, T), std::max(Used.Right, R), std::max(Used.Bottom, B));
  }
  void Clear(TMicroTile V) {
    std::fill(Grid.begin(), Grid.end(), V);
    Used = TRect(Cols, Rows, 0, 0);
  }
  void ClearUsed(TMicroTile V) {
    for (Integer y = Used.Top; y <= Used.Bottom; ++y)
      for (Integer x = Used.Left; x <= Used.Right; ++x) At(x, y) = V;
    Used = TRect(Cols, Rows, 0, 0);
  }
  // Every tile the rectangle reaches gets the box of its part of it; tiles
  // past the grid do not exist.
  void AddRect(TRect R, bool Whole) {
    if (R.Left > R.Right) std::swap(R.Left, R.Right);
    if (R.Top > R.Bottom) std::swap(R.Top, R.Bottom);
    R = TRect(std::max(R.Left, 0), std::max(R.Top, 0), std::min(R.Right, Cols * 32), std::min(R.Bottom, Rows * 32));
    if (R.Left > R.Right || R.Top > R.Bottom) return;
    const Integer ml = R.Left >> 5, mt = R.Top >> 5;
    const Integer mr = std::min(R.Right >> 5, Cols - 1), mb = std::min(R.Bottom >> 5, Rows - 1);
    if (ml > mr || mt > mb) return;
    for (Integer y = mt; y <= mb; ++y)
      for (Integer x = ml; x <= mr; ++x) {
        if (Whole) {
          At(x, y) = MICROTILE_FULL;
          continue;
        }
        const Integer l = std::max(R.Left - x * 32, 0), t = std::max(R.Top - y * 32, 0);
        const Integer r = std::min(R.Right - x * 32, 32), b = std::min(R.Bottom - y * 32, 32);
        MicroTileUnion_Pas(At(x, y), MakeMicroTile(l, t, r, b));
      }
    Grow(ml, mt, mr, mb);
  }
  // The used tiles only: the rest keeps what it held after the clear.
  void Copy(const TRefTiles& Src) {
    ClearUsed(MICROTILE_EMPTY);
    for (Integer y = Src.Used.Top; y <= Src.Used.Bottom; ++y)
      for (Integer x = Src.Used.Left; x <= Src.Used.Right; ++x)
        At(x, y) = Src.Grid[size_t(y) * size_t(Cols) + size_t(x)];
    Used = Src.Used;
  }
  void Union(const TRefTiles& Src, bool Whole) {
    if (Src.Used.Right < Src.Used.Left || Src.Used.Bottom < Src.Used.Top) return;
    for (Integer y = Src.Used.Top; y <= Src.Used.Bottom; ++y)
      for (Integer x = Src.Used.Left; x <= Src.Used.Right; ++x) {
        const TMicroTile s = Src.Grid[size_t(y) * size_t(Cols) + size_t(x)];
        if (!Whole) MicroTileUnion_Pas(At(x, y), s);
        else if (s != MICROTILE_EMPTY && MicroTileWidth(s) > 0 && MicroTileHeight(s) > 0) At(x, y) = MICROTILE_FULL;
      }
    Grow(Src.Used.Left, Src.Used.Top, Src.Used.Right, Src.Used.Bottom);
  }
  // Row by row, runs of tiles, each run merged into the rectangle above it
  // when that one has the same sides and ends where it starts.
  std::vector<TRect> CalcRects(const TRect& Clip, bool Whole) {
    std::vector<TRect> rects;
    if (Used.Right < Used.Left || Used.Bottom < Used.Top) return rects;
    std::vector<Integer> index(Grid.size(), -1);
    auto cx = [&](Integer v) { return std::clamp(v, Clip.Left, std::max(Clip.Left, Clip.Right)); };
    auto cy = [&](Integer v) { return std::clamp(v, Clip.Top, std::max(Clip.Top, Clip.Bottom)); };
    for (Integer y = Used.Top; y <= Used.Bottom; ++y)
      for (Integer x = Used.Left; x <= Used.Right;) {
        const TMicroTile t = At(x, y);
        if (t == MICROTILE_EMPTY) {
          ++x;
          continue;
        }
        Integer last = x;
        TRect r;
        if (Whole) {
          while (last < Cols - 1 && At(last + 1, y) != MICROTILE_EMPTY) ++last;
          r = TRect(cx(x * 32), cy(y * 32), cx(last * 32 + 32), cy(y * 32 + 32));
        } else {
          while (MicroTileRight(At(last, y)) == 32 && last < Cols - 1) {
            const TMicroTile n = At(last + 1, y);
            if (n == MICROTILE_EMPTY || MicroTileLeft(n) != 0 || MicroTileTop(n) != MicroTileTop(t) ||
                MicroTileBottom(n) != MicroTileBottom(t))
              break;
            ++last;
          }
          r = TRect(cx(x * 32 + MicroTileLeft(t)), cy(y * 32 + MicroTileTop(t)),
                    cx(last * 32 + MicroTileRight(At(last, y))), cy(y * 32 + MicroTileBottom(t)));
        }
        const size_t i = size_t(y) * size_t(Cols) + size_t(x);
        Integer target = index[i];
        if (target >= 0 && rects[size_t(target)].Left == r.Left && rects[size_t(target)].Right == r.Right &&
            rects[size_t(target)].Bottom == r.Top) {
          rects[size_t(target)].Bottom = r.Bottom;
        } else {
          rects.push_back(r);
          target = Integer(rects.size()) - 1;
        }
        if (y < Rows - 1) index[i + size_t(Cols)] = target;
        x = last + 1;
      }
    return rects;
  }
};

void ExpectSameMaps(const TMap& M, TRefTiles& Ref, std::mt19937& Rng, const std::string& Where) {
  ASSERT_EQ(M.M.Columns, Ref.Cols) << Where;
  for (Integer y = 0; y < Ref.Rows; ++y)
    for (Integer x = 0; x < Ref.Cols; ++x)
      ASSERT_EQ(M.Tile(x, y), Ref.At(x, y)) << Where << " tile " << x << "," << y;
  ASSERT_EQ(M.M.BoundsUsedTiles, Ref.Used) << Where;
  const TRect b = M.M.BoundsRect;
  const TRect clip = Rng() % 2 ? b
                                : TRect(Integer(Rng() % 80) - 10, Integer(Rng() % 60) - 10,
                                        b.Right - Integer(Rng() % 80) + 10, b.Bottom - Integer(Rng() % 60) + 10);
  for (bool whole : {false, true}) {
    // After what the list holds already.
    TRectList list;
    list.Add(TRect(1, 2, 3, 4));
    const Integer n = MicroTilesCalcRects(M.M, &list, clip, false, whole);
    const std::vector<TRect> want = Ref.CalcRects(clip, whole);
    ASSERT_EQ(n, Integer(want.size())) << Where << " whole " << whole;
    ASSERT_EQ(list.Count(), n + 1) << Where;
    ASSERT_EQ(*list.Items(0), TRect(1, 2, 3, 4)) << Where;
    for (Integer i = 0; i < n; ++i) ASSERT_EQ(*list.Items(i + 1), want[size_t(i)]) << Where << " rect " << i;
    ASSERT_EQ(MicroTilesCalcRects(M.M, &list, clip, true, whole), n) << Where;
    ASSERT_EQ(list.Count(), n + 1) << Where;
  }
}

}  // namespace

// Long random sequences of every map routine, each followed by the whole
// map and its rectangles compared with the plain grid. Rectangles reach
// past the map, the grids are wide enough for more than one word of marks
// per row, and clears with a non-empty value leave tiles outside the used
// bounds that later runs may reach.
TEST(Pix32_MicroTiles_qn, MapRoutinesMatchAPlainGrid) {
  std::mt19937 rng(29);
  for (PFunctionInfo core : rastertest::Variants(MicroTilesRegistry, FID_MICROTILESUNIONCORE)) {
    rastertest::ForceVariant useCore(MicroTilesRegistry, core);
    for (int round = 0; round < 12; ++round) {
      const Integer w = 40 + Integer(rng() % (round % 3 == 0 ? 2600 : 400)), h = 30 + Integer(rng() % 300);
      TMap a(TRect(0, 0, w, h)), b(TRect(0, 0, w, h));
      TRefTiles ra(w, h), rb(w, h);
      for (int step = 0; step < 150; ++step) {
        const int op = int(rng() % 21);
        std::string what;
        const bool whole = rng() % 4 == 0;
        if (op < 9) {
          const bool big = rng() % 5 == 0;
          TRect r = RandomRect(rng, w, h);
          if (big) r = TRect(r.Left, r.Top, r.Left + Integer(rng() % unsigned(w + 100)), r.Top + Integer(rng() % 200));
          MicroTilesAddRect(a.M, r, whole);
          ra.AddRect(r, whole);
          what = "add";
        } else if (op < 12) {
          const TRect r = RandomRect(rng, w, h);
          MicroTilesAddRect(b.M, r, whole);
          rb.AddRect(r, whole);
          what = "add to b";
        } else if (op < 14) {
          MicroTilesUnion(a.M, b.M, whole);
          ra.Union(rb, whole);
          what = "union";
        } else if (op == 14) {
          MicroTilesCopy(b.M, a.M);
          rb.Copy(ra);
          what = "copy";
        } else if (op == 15) {
          MicroTilesCopy(a.M, b.M);
          ra.Copy(rb);
          what = "copy back";
        } else if (op < 18) {
          const TMicroTile v = rng() % 4 == 0 ? MakeMicroTile(3, 4, 20, 30) : MICROTILE_EMPTY;
          MicroTilesClearUsed(a.M, v);
          ra.ClearUsed(v);
          what = "clear used";
        } else if (op == 18) {
          MicroTilesClearUsed(b.M);
          rb.ClearUsed(MICROTILE_EMPTY);
          what = "clear used b";
        } else if (op == 19) {
          const TMicroTile v = rng() % 3 == 0 ? MICROTILE_FULL : MICROTILE_EMPTY;
          MicroTilesClear(a.M, v);
          ra.Clear(v);
          what = "clear";
        } else {
          // A source whose clears left filled tiles past its used bounds,
          // right beside the runs united.
          MicroTilesUnion(b.M, a.M, whole);
          rb.Union(ra, whole);
          what = "union into b";
        }
        const std::string where = core->Name + std::string(" round ") + std::to_string(round) + " step " +
                                  std::to_string(step) + " " + what;
        ExpectSameMaps(a, ra, rng, where);
        ExpectSameMaps(b, rb, rng, where + " (b)");
        if (HasFatalFailure()) return;
      }
    }
  }
}

// Tall rectangles whose sides come from a few values, stacked, side by side
// and overlapping: rows of tiles that repeat the row above, rows that break
// the repetition only by their top, their bottom or a neighbour joining
// from either side, against the plain grid's rectangles.
TEST(Pix32_MicroTiles_qn, StackedRectanglesMatchAPlainGrid) {
  std::mt19937 rng(41);
  // Two rectangles with the same sides, one ending on a tile row's border
  // and the next starting below it, or one ending inside a row and the
  // next starting at the following row: two rectangles, not one.
  for (const auto& pair : {std::pair(TRect(10, 5, 100, 64), TRect(10, 70, 100, 150)),
                           std::pair(TRect(10, 5, 100, 80), TRect(10, 96, 100, 150))}) {
    TMap a(TRect(0, 0, 300, 400));
    TRefTiles ra(300, 400);
    for (const TRect& r : {pair.first, pair.second}) {
      MicroTilesAddRect(a.M, r, false);
      ra.AddRect(r, false);
    }
    EXPECT_EQ(Rects(a.M, false), (std::vector<TRect>{pair.first, pair.second}));
    ExpectSameMaps(a, ra, rng, "pair");
  }
  const Integer sides[] = {0, 10, 32, 40, 64, 100, 128, 150, 224, 300};
  for (int round = 0; round < 300; ++round) {
    const Integer w = round % 4 == 0 ? 2200 : 300, h = 400;
    TMap a(TRect(0, 0, w, h));
    TRefTiles ra(w, h);
    const int n = 1 + int(rng() % 6);
    // Three sides a round, so that many rectangles share both.
    const Integer mine[] = {sides[rng() % 10], sides[rng() % 10], sides[rng() % 10]};
    for (int i = 0; i < n; ++i) {
      Integer l = mine[rng() % 3], r = mine[rng() % 3];
      if (l > r) std::swap(l, r);
      if (round % 4 == 0 && rng() % 2) l += 1920, r += 1920;
      // Tops and bottoms on and off the tile rows.
      const Integer row = Integer(rng() % 12), t = row * 16 + Integer(rng() % 3);
      const Integer b = (row + 1 + Integer(rng() % 10)) * 16 + Integer(rng() % 3);
      const bool whole = rng() % 5 == 0;
      MicroTilesAddRect(a.M, TRect(l, t, r, b), whole);
      ra.AddRect(TRect(l, t, r, b), whole);
    }
    ExpectSameMaps(a, ra, rng, "round " + std::to_string(round));
    if (HasFatalFailure()) return;
  }
}

// Grids of one word of marks a row whose marks and tiles disagree both
// ways: a clear with full tiles leaves them filled and marked past the used
// bounds, and a copy over it empties tiles that keep their marks. Runs of
// tiles then end before or after their runs of marks. Rectangles of one to
// a dozen tiles a row, added whole and exact, against the plain grid.
TEST(Pix32_MicroTiles_qn, RunsThatEndBeforeOrAfterTheirMarksMatchAPlainGrid) {
  std::mt19937 rng(53);
  for (int round = 0; round < 200; ++round) {
    const Integer w = 64 + Integer(rng() % 1980), h = 40 + Integer(rng() % 400);
    TMap a(TRect(0, 0, w, h)), b(TRect(0, 0, w, h));
    TRefTiles ra(w, h), rb(w, h);
    if (round % 4 != 0) {
      MicroTilesClear(a.M, MICROTILE_FULL);
      ra.Clear(MICROTILE_FULL);
    }
    auto add = [&](TMap& M, TRefTiles& Ref) {
      const Integer x = Integer(rng() % unsigned(w)) - 20, y = Integer(rng() % unsigned(h)) - 20;
      const TRect r(x, y, x + 1 + Integer(rng() % 380), y + 1 + Integer(rng() % 200));
      const bool whole = rng() % 2 == 0;
      MicroTilesAddRect(M.M, r, whole);
      Ref.AddRect(r, whole);
    };
    for (int i = 0, n = 1 + int(rng() % 8); i < n; ++i) add(b, rb);
    MicroTilesCopy(a.M, b.M);
    ra.Copy(rb);
    for (int i = 0, n = int(rng() % 6); i < n; ++i) add(a, ra);
    ExpectSameMaps(a, ra, rng, "round " + std::to_string(round));
    if (HasFatalFailure()) return;
  }
}

// Maps filled with boxes of the sides the rectangles take, some of them
// without height or reaching only part way down, by clears of the whole map
// and of its used bounds: runs whose rows below repeat their sides with the
// top at the row's top, narrow and wide ones, meeting tile borders or not,
// ending inside a row or in a box of no height. Rectangles added exact
// against the plain grid.
TEST(Pix32_MicroTiles_qn, RunsOverFilledRowsMatchAPlainGrid) {
  std::mt19937 rng(67);
  const TMicroTile fills[] = {MakeMicroTile(0, 0, 32, 0),  MakeMicroTile(5, 0, 32, 0),   MakeMicroTile(0, 0, 20, 7),
                              MakeMicroTile(5, 0, 20, 32), MakeMicroTile(0, 0, 32, 32), MakeMicroTile(5, 0, 32, 17),
                              MakeMicroTile(0, 0, 20, 0),  MakeMicroTile(0, 3, 32, 32)};
  const Integer inTile[] = {0, 5, 20};
  for (int round = 0; round < 400; ++round) {
    const Integer w = 64 + Integer(rng() % (round % 3 == 0 ? 2200 : 500)), h = 64 + Integer(rng() % 300);
    TMap a(TRect(0, 0, w, h));
    TRefTiles ra(w, h);
    const TMicroTile fill = fills[rng() % 8];
    MicroTilesClear(a.M, fill);
    ra.Clear(fill);
    for (int i = 0, n = 1 + int(rng() % 6); i < n; ++i) {
      // Sides on the fill's edges or the tiles' borders, one to ten tiles
      // wide, tops on a row's top or below it.
      const Integer l = Integer(rng() % unsigned(w / 32 + 1)) * 32 + inTile[rng() % 3];
      const Integer r = l + Integer(rng() % 10) * 32 + inTile[rng() % 3] + 1;
      const Integer t = Integer(rng() % unsigned(h / 32 + 1)) * 32 + (rng() % 2 ? 0 : Integer(rng() % 32));
      const Integer b = t + 1 + Integer(rng() % 200);
      if (rng() % 4 == 0) {
        const TMicroTile v = fills[rng() % 8];
        MicroTilesClearUsed(a.M, v);
        ra.ClearUsed(v);
      }
      MicroTilesAddRect(a.M, TRect(l, t, r, b), false);
      ra.AddRect(TRect(l, t, r, b), false);
    }
    ExpectSameMaps(a, ra, rng, "round " + std::to_string(round));
    if (HasFatalFailure()) return;
  }
}

// Whole tiles of a rectangle reaching past the right end of the grid stop
// at its last column: the first tile of the next row, which follows it in
// memory, stays as it is.
TEST(Pix32_MicroTiles_qn, WholeTilesStopAtTheEndOfTheGrid) {
  TMap m(TRect(0, 0, 100, 70));
  MicroTilesAddRect(m.M, TRect(90, 10, 400, 40), true);
  EXPECT_EQ(m.Tile(3, 0), MICROTILE_FULL);
  EXPECT_EQ(m.Tile(0, 1), MICROTILE_EMPTY);
  EXPECT_EQ(m.Tile(0, 2), MICROTILE_EMPTY);
  EXPECT_EQ(Rects(m.M, true), (std::vector<TRect>{TRect(64, 0, 100, 64)}));
}

TEST(Pix32_MicroTiles_qn, LinesCoverTheirPixelsAndFarEndsAreClipped) {
  std::mt19937 rng(9);
  for (int round = 0; round < 40; ++round) {
    TMap m(TRect(0, 0, 300, 200));
    const Integer x1 = Integer(rng() % 300), y1 = Integer(rng() % 200), x2 = Integer(rng() % 300),
                  y2 = Integer(rng() % 200);
    MicroTilesAddLine(m.M, x1, y1, x2, y2, 1);
    const TMask mask = MaskOf(Rects(m.M, false), 300, 200);
    const int steps = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (int i = 0; i <= steps; ++i) {
      const double t = steps ? double(i) / steps : 0;
      const int x = int(std::lround(x1 + (x2 - x1) * t)), y = int(std::lround(y1 + (y2 - y1) * t));
      if (x >= 300 || y >= 200) continue;
      ASSERT_TRUE(mask.Bits[size_t(y) * 300 + size_t(x)]) << round << ": " << x << "," << y;
    }
  }
  // A line with far-off ends: only the diagonal tiles, and quickly.
  TMap m(TRect(0, 0, 200, 150));
  MicroTilesAddLine(m.M, -2000000, -2000000, 2000000, 2000000, 1);
  for (Integer k = 0; k < 4; ++k) EXPECT_NE(m.Tile(k, k), MICROTILE_EMPTY) << k;
  EXPECT_EQ(m.Tile(5, 0), MICROTILE_EMPTY);
  EXPECT_EQ(m.Tile(0, 4), MICROTILE_EMPTY);
  TMap off(TRect(0, 0, 200, 150));
  MicroTilesAddLine(off.M, -3000000, 5000, 3000000, 5001, 2);
  EXPECT_EQ(MicroTilesCalcRects(off.M, nullptr, true), 0);
}

namespace {

// A scene of layers over a background, painted in full into Buffer; the
// optimizer tells which rectangles of Screen must be refreshed from it.
struct TScene {
  TBitmap32 Buffer, Screen;
  TRectList Invalid;
  TLayerCollection Layers{nullptr};
  std::unique_ptr<TMicroTilesRepaintOptimizer> Opt;
  std::mt19937 Rng{23};

  TScene() {
    Buffer.SetSize(160, 120);
    Screen.SetSize(160, 120);
    Opt = std::make_unique<TMicroTilesRepaintOptimizer>(&Buffer, &Invalid);
    Opt->RegisterLayerCollection(&Layers);
    Opt->SetEnabled(true);
    Buffer.SetOnAreaChanged(MakeEvent(Opt.get(), &TMicroTilesRepaintOptimizer::AreaUpdateHandler));
  }
  ~TScene() {
    Opt->UnregisterLayerCollection(&Layers);
    Opt.reset();
  }
  void RenderFull() {
    // The background carries no damage of its own: drawn unmeasured.
    for (Integer y = 0; y < 120; ++y)
      for (Integer x = 0; x < 160; ++x) Buffer.SetPixel(x, y, 0xFF000000u | Cardinal(x * 1.5) << 8 | Cardinal(y * 2));
    Buffer.BeginUpdate();
    for (TCustomLayer* l : Layers)
      if (l->Visible()) l->DoPaint(&Buffer);
    Buffer.EndUpdate();
  }
  TBitmapLayer* AddLayer() {
    auto* l = Layers.Add<TBitmapLayer>();
    l->Bitmap()->SetSize(8 + Integer(Rng() % 30), 8 + Integer(Rng() % 30));
    l->Bitmap()->Clear(0x80000000u | (Rng() & 0xFFFFFF));
    l->Bitmap()->SetDrawMode(TDrawMode::dmBlend);
    const float x = float(Integer(Rng() % 180) - 20), y = float(Integer(Rng() % 140) - 20);
    const float s = (Rng() % 3 == 0) ? 1.5f : 1.0f;
    if (s != 1.0f) new TLinearResampler(l->Bitmap());
    l->SetLocation(TFloatRect(x, y, x + l->Bitmap()->Width() * s, y + l->Bitmap()->Height() * s));
    return l;
  }
  // One paint cycle: what the paint box does around its buffer paint.
  void Paint() {
    Opt->BeginPaint();
    const bool any = Opt->UpdatesAvailable();
    Opt->PerformOptimization();
    Opt->BeginPaintBuffer();
    RenderFull();
    Opt->EndPaintBuffer();
    if (any && Invalid.Count() == 0) {
      // Level 2 asks for the whole viewport.
      BlockTransfer(&Screen, 0, 0, Screen.BoundsRect(), &Buffer, Buffer.BoundsRect(), TDrawMode::dmOpaque);
    }
    for (Integer i = 0; i < Invalid.Count(); ++i) {
      const TRect r = *Invalid.Items(i);
      BlockTransfer(&Screen, r.Left, r.Top, Screen.BoundsRect(), &Buffer, r, TDrawMode::dmOpaque);
    }
    Invalid.Clear();
    Opt->EndPaint();
  }
};

}  // namespace

TEST(Pix32_MicroTiles_qn, OptimizerRepaintsEverythingThatChanged) {
  TScene s;
  for (int i = 0; i < 6; ++i) s.AddLayer();
  s.Paint();  // the first paint after enabling covers the whole buffer
  ASSERT_EQ(std::memcmp(s.Screen.Bits(), s.Buffer.Bits(), 160 * 120 * 4), 0);
  for (int step = 0; step < 300; ++step) {
    const Integer count = s.Layers.Count();
    auto* l = count ? static_cast<TBitmapLayer*>(s.Layers.Items(Integer(s.Rng() % unsigned(count)))) : nullptr;
    const int op = int(s.Rng() % 8);
    std::string what;
    if (!l || op == 0) {
      s.AddLayer();
      what = "add";
    } else if (op == 1 && count > 2) {
      delete l;
      what = "delete";
    } else if (op == 2) {
      TFloatRect r = l->Location();
      const float dx = float(Integer(s.Rng() % 21) - 10), dy = float(Integer(s.Rng() % 21) - 10);
      l->SetLocation(TFloatRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy));
      what = "move";
    } else if (op == 3) {
      l->SetVisible(!l->Visible());
      what = "visibility";
    } else if (op == 4) {
      l->SetIndex(Integer(s.Rng() % unsigned(count + 2)) - 1);
      what = "index";
    } else if (op == 5) {
      l->Bitmap()->FillRectS(1, 1, 5, 4, 0xFFFFFF00u);
      what = "fill";
    } else if (op == 6) {
      l->Bitmap()->LineS(0, 0, l->Bitmap()->Width() - 1, l->Bitmap()->Height() - 1, 0xFF00FFFFu);
      what = "line";
    } else {
      const Integer x = Integer(s.Rng() % 150), y = Integer(s.Rng() % 110);
      s.Buffer.FillRectS(x, y, x + 10, y + 10, 0xFFFF0000u);  // the host's own drawing
      what = "buffer";
    }
    s.Paint();
    ASSERT_EQ(std::memcmp(s.Screen.Bits(), s.Buffer.Bits(), 160 * 120 * 4), 0) << "step " << step << " " << what;
  }
}

TEST(Pix32_MicroTiles_qn, AdaptiveLevelsOnTheVirtualClock) {
  SetVirtualClock(true);
  TScene s;
  s.AddLayer()->SetLocation(TFloatRect(20, 20, 60, 50));
  TMicroTilesRepaintOptimizer& o = *s.Opt;
  // A paint cycle that takes Ms on the clock, with or without a change.
  auto cycle = [&](DWORD Ms, bool Change) {
    if (Change) {
      auto* l = static_cast<TPositionedLayer*>(s.Layers.Items(0));
      TFloatRect r = l->Location();
      l->SetLocation(TFloatRect(r.Left + 1, r.Top, r.Right + 1, r.Bottom));
    }
    o.UpdatesAvailable();
    o.PerformOptimization();
    o.BeginPaintBuffer();
    AdvanceClock(Ms);
    const Integer n = s.Invalid.Count();
    o.EndPaintBuffer();
    s.Invalid.Clear();
    return n;
  };
  s.Invalid.Clear();
  o.BeginPaintBuffer();
  AdvanceClock(10);
  o.EndPaintBuffer();  // a full paint: 10 ms
  EXPECT_EQ(o.PerformanceLevel(), 0);
  EXPECT_GT(cycle(20, true), 0);  // slower than full: up
  EXPECT_EQ(o.PerformanceLevel(), 1);
  AdvanceClock(0x7FFFFFFFu);  // far past any due time, and the tick wraps on the way
  AdvanceClock(0x7FFFFFFFu);
  cycle(20, true);  // the timed retry lowers first, the slow paint raises again
  EXPECT_EQ(o.PerformanceLevel(), 1);
  EXPECT_EQ(o.TimeDelta(), 1250);
  cycle(20, true);
  EXPECT_EQ(o.PerformanceLevel(), 2);
  // At level 2 with no retry due, the invalid list is dropped: full paints.
  EXPECT_EQ(cycle(5, true), 0);
  EXPECT_EQ(o.PerformanceLevel(), 2);
  // Once the retry is due, a fast partial paint stays at the lower level.
  AdvanceClock(1300);
  EXPECT_GT(cycle(2, true), 0);
  EXPECT_EQ(o.PerformanceLevel(), 1);
  EXPECT_EQ(o.TimeDelta(), 1000);
  o.SetAdaptiveMode(false);
  EXPECT_EQ(o.PerformanceLevel(), 0);
  SetVirtualClock(false);
}

}  // namespace t_pix32_micro_tiles_test
