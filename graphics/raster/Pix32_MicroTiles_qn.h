// Pix32_MicroTiles_qn: damage tracking for the back buffers. A micro-tile
// map cuts a rectangle into 32 x 32 tiles, each holding the bounding box of
// what changed inside it in one 32-bit word, so adding a rectangle touches
// only its border tiles one by one and fills the inner ones with one value.
// The maps turn into a short list of rectangles, exact or in whole tiles.
// TMicroTilesRepaintOptimizer collects buffer and layer changes into such
// maps and picks its precision by measuring how long partial paints take
// against full ones.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_Bindings_qn.h"
#include "graphics/raster/Pix32_Containers_qn.h"
#include "graphics/raster/Pix32_RepaintOpt_qn.h"
#include "graphics/raster/Pix32_System_qn.h"

namespace qn {

// Left in bits 24-31, Top 16-23, Right 8-15, Bottom 0-7, tile-local 0..32,
// right and bottom exclusive; 0 is the empty tile.
using TMicroTile = Integer;
using PMicroTile = TMicroTile*;
using TMicroTileArray = TMicroTile[];
using PMicroTileArray = TMicroTile*;

constexpr Integer MICROTILE_SHIFT = 5;
constexpr Integer MICROTILE_SIZE = 1 << MICROTILE_SHIFT;
constexpr TMicroTile MICROTILE_EMPTY = 0;
constexpr TMicroTile MICROTILE_FULL = MICROTILE_SIZE << 8 | MICROTILE_SIZE;

constexpr TMicroTile MakeMicroTile(Integer Left, Integer Top, Integer Right, Integer Bottom) {
  return Left << 24 | Top << 16 | Right << 8 | Bottom;
}
constexpr Integer MicroTileLeft(TMicroTile M) { return static_cast<Integer>(static_cast<Cardinal>(M) >> 24); }
constexpr Integer MicroTileTop(TMicroTile M) { return (M >> 16) & 0xFF; }
constexpr Integer MicroTileRight(TMicroTile M) { return (M >> 8) & 0xFF; }
constexpr Integer MicroTileBottom(TMicroTile M) { return M & 0xFF; }
constexpr Integer MicroTileWidth(TMicroTile M) { return MicroTileRight(M) - MicroTileLeft(M); }
constexpr Integer MicroTileHeight(TMicroTile M) { return MicroTileBottom(M) - MicroTileTop(M); }

struct TMicroTiles {
  TRect BoundsRect;
  Integer Columns = 0;
  Integer Rows = 0;
  // Tile indices that may be non-empty, inclusive; nothing used is
  // (Columns, Rows, 0, 0).
  TRect BoundsUsedTiles;
  Integer Count = 0;
  // Count tiles, followed by the marks of the tiles that may be non-empty
  // that the routines below keep: tiles are written through them only.
  PMicroTileArray Tiles = nullptr;
};
using PMicroTiles = TMicroTiles*;

// Bound through "Pix32_MicroTiles_qn bindings".
extern void (*MicroTileUnion)(TMicroTile& DstTile, TMicroTile SrcTile);
extern void (*MicroTilesUnionCore)(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles);
extern TFunctionRegistry* MicroTilesRegistry;
constexpr Integer FID_MICROTILEUNION = 0;
constexpr Integer FID_MICROTILESUNIONCORE = 1;

TMicroTiles MakeEmptyMicroTiles();
void MicroTilesCreate(TMicroTiles& MicroTiles);
void MicroTilesDestroy(TMicroTiles& MicroTiles);
void MicroTilesSetSize(TMicroTiles& MicroTiles, const TRect& DstRect);
void MicroTilesClear(TMicroTiles& MicroTiles, TMicroTile Value = MICROTILE_EMPTY);
void MicroTilesClearUsed(TMicroTiles& MicroTiles, TMicroTile Value = MICROTILE_EMPTY);
void MicroTilesCopy(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles);
void MicroTilesAddLine(TMicroTiles& MicroTiles, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer LineWidth,
                       bool RoundToWholeTiles = false);
void MicroTilesAddRect(TMicroTiles& MicroTiles, TRect Rect, bool RoundToWholeTiles = false);
void MicroTilesUnion(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles, bool RoundToWholeTiles = false);
Integer MicroTilesCalcRects(const TMicroTiles& MicroTiles, TRectList* DstRects, bool CountOnly = false,
                            bool RoundToWholeTiles = false);
Integer MicroTilesCalcRects(const TMicroTiles& MicroTiles, TRectList* DstRects, const TRect& Clip,
                            bool CountOnly = false, bool RoundToWholeTiles = false);
Integer MicroTilesCountEmptyTiles(const TMicroTiles& MicroTiles);

// The plain and packed-byte forms, for tests that compare them.
void MicroTileUnion_Pas(TMicroTile& DstTile, TMicroTile SrcTile);
void MicroTileUnion_SSE2(TMicroTile& DstTile, TMicroTile SrcTile);
void MicroTilesUnionCore_Pas(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles);
void MicroTilesUnionCore_SSE2(TMicroTiles& DstTiles, const TMicroTiles& SrcTiles);

// A layer's tile map, per layer; the map owns the records and their tiles.
class TMicroTilesMap : public TPointerMap {
  QN_CLASS(TMicroTilesMap, TPointerMap)
 public:
  TMicroTilesMap() = default;
  ~TMicroTilesMap() override;
  // The record of Item, created zeroed with no tiles when it is new.
  PMicroTiles Add(PItem Item);
  PMicroTiles Data(PItem Item) { return static_cast<PMicroTiles>(GetData(Item)); }
  void SetData(PItem Item, PMicroTiles Data) { TPointerMap::SetData(Item, Data); }

 protected:
  PData Delete(Integer BucketIndex, Integer ItemIndex) override;
};

class TMicroTilesRepaintOptimizer : public TCustomRepaintOptimizer {
  QN_REPAINT_OPTIMIZER_CLASS(TMicroTilesRepaintOptimizer, TCustomRepaintOptimizer)
 public:
  TMicroTilesRepaintOptimizer(TBitmap32* Buffer, TRectList* InvalidRects);
  ~TMicroTilesRepaintOptimizer() override;

  void SetEnabled(bool Value) override;
  void RegisterLayerCollection(TLayerCollection* Layers) override;
  void UnregisterLayerCollection(TLayerCollection* Layers) override;
  void BeginPaintBuffer() override;
  void EndPaintBuffer() override;
  void Reset() override;
  bool UpdatesAvailable() override;
  void PerformOptimization() override;
  void AreaUpdateHandler(TObject* Sender, const TRect& Area, Cardinal Info) override;
  void LayerUpdateHandler(TObject* Sender, TCustomLayer* Layer) override;
  void LayerCollectionNotifyHandler(TLayerCollection* Sender, TLayerListNotification Action, TCustomLayer* Layer,
                                    Integer Index) override;
  void BufferResizedHandler(Integer NewWidth, Integer NewHeight) override;

  bool AdaptiveMode() const { return FAdaptiveMode; }
  void SetAdaptiveMode(bool Value);
  Integer PerformanceLevel() const { return FPerformanceLevel; }
  Integer TimeDelta() const { return FTimeDelta; }

 protected:
  void ValidateWorkingTiles();
  void UpdateOldInvalidTiles();
  void AddArea(TMicroTiles& Tiles, const TRect& Area, Cardinal Info);
  void DrawLayerToMicroTiles(TMicroTiles& DstTiles, TCustomLayer* Layer);
  void DrawMeasuringHandler(TObject* Sender, const TRect& Area, Cardinal Info);
  void BeginAdaption();
  void EndAdaption();
  void ResetAdaptiveMode();

  TRect FBufferBounds;
  PMicroTiles FWorkMicroTiles = nullptr;
  TMicroTiles FTempTiles;
  TMicroTiles FInvalidTiles;
  TMicroTiles FForcedInvalidTiles;
  std::vector<TCustomLayer*> FInvalidLayers;
  std::unique_ptr<TMicroTilesMap> FOldInvalidTilesMap;
  bool FWorkingTilesValid = false;
  bool FOldInvalidTilesValid = false;
  bool FUseInvalidTiles = false;
  bool FAdaptiveMode = true;
  std::unique_ptr<TPerfTimer> FPerfTimer;
  Integer FPerformanceLevel = 0;
  Int64 FElapsedTimeForLastRepaint = 0;
  Int64 FElapsedTimeForFullSceneRepaint = 0;
  bool FAdaptionFailed = false;
  bool FTimedCheck = false;
  Integer FTimeDelta = 1000;
  Integer FNextCheck = 0;
  Int64 FElapsedTimeOnLastPenalty = 0;
  Integer FOldInvalidRectsCount = 0;

 private:
  void HookCollection(TLayerCollection* Layers, bool On);
  void ClearOldTiles();
};

void InitPix32MicroTiles();
void DonePix32MicroTiles();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
