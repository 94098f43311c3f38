// The tree's header: its columns (each a collection item with a position in
// display order apart from its index in the collection), the collection that
// keeps the position array, the left edges and the width rules, and the
// header object with its height, options, main and sort column and the
// relays of its events through the tree. Included by LazyTrees_qn.h.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/classes/Collection.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"

namespace qn {

class TBaseLazyTree_qn;
class TVTHeader;
class TLazyTreeColumns;

enum class TVTColumnOption : Byte {
  coAllowClick, coDraggable, coEnabled, coParentBidiMode, coParentColor, coResizable, coShowDropMark, coVisible,
  coAutoSpring, coFixed, coSmartResize, coAllowFocus, coDisableAnimatedResize, coWrapCaption,
  coUseCaptionAlignment
};
using enum TVTColumnOption;
QN_ENUM_NAMES(TVTColumnOption, coAllowClick, coDraggable, coEnabled, coParentBidiMode, coParentColor, coResizable,
              coShowDropMark, coVisible, coAutoSpring, coFixed, coSmartResize, coAllowFocus,
              coDisableAnimatedResize, coWrapCaption, coUseCaptionAlignment)
using TVTColumnOptions = TSet<TVTColumnOption>;
QN_TYPE_NAME(TVTColumnOptions)
inline constexpr TVTColumnOptions DefaultColumnOptions{coAllowClick,   coDraggable,   coEnabled,
                                                       coParentBidiMode, coParentColor, coResizable,
                                                       coShowDropMark, coVisible,     coAllowFocus};

enum class TLazyTreeColumnStyle : Byte { vsText, vsOwnerDraw };
using enum TLazyTreeColumnStyle;
QN_ENUM_NAMES(TLazyTreeColumnStyle, vsText, vsOwnerDraw)

enum class TVTHeaderColumnLayout : Byte { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using enum TVTHeaderColumnLayout;
QN_ENUM_NAMES(TVTHeaderColumnLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)

QN_ENUM_NAMES(TSortDirection, sdAscending, sdDescending)
QN_ENUM_NAMES(TCheckType, ctNone, ctTriStateCheckBox, ctCheckBox, ctRadioButton, ctButton)
QN_ENUM_NAMES(TCheckState, csUncheckedNormal, csUncheckedPressed, csCheckedNormal, csCheckedPressed, csMixedNormal,
              csMixedPressed)

using TIndexArray = std::vector<TColumnIndex>;
using TColumnsArray = std::vector<class TLazyTreeColumn*>;

// ---------------------------------------------------------------------------
// One column

class TLazyTreeColumn : public TCollectionItem {
  QN_CLASS_CREATE(TLazyTreeColumn, TCollectionItem, TCollection)
 public:
  explicit TLazyTreeColumn(TCollection* Collection);
  // The index fix-ups run here, while the column is still in its collection.
  void BeforeDestruction() override;

  void Assign(TPersistent* Source) override;
  virtual bool Equals(TLazyTreeColumn* Other);
  void GetAbsoluteBounds(Integer& Left, Integer& Right) const;
  virtual TRect GetRect();
  void ParentBiDiModeChanged();
  void ParentColorChanged();
  void RestoreLastWidth();
  // The column's record of the header stream (LazyTrees_qn_HeaderStream.cpp).
  virtual void SaveToStream(TStream* Stream);
  virtual void LoadFromStream(TStream* Stream, Integer Version);
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  TLazyTreeColumns* Owner() const;
  TBaseLazyTree_qn* Tree() const;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  TAlignment CaptionAlignment() const {
    return FOptions.Contains(coUseCaptionAlignment) ? FCaptionAlignment : FAlignment;
  }
  void SetCaptionAlignment(TAlignment Value);
  String CaptionText() const { return FCaptionText; }
  bool CheckBox() const { return FCheckBox; }
  void SetCheckBox(bool Value);
  TCheckState CheckState() const { return FCheckState; }
  void SetCheckState(TCheckState Value);
  TCheckType CheckType() const { return FCheckType; }
  void SetCheckType(TCheckType Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TSortDirection DefaultSortDirection() const { return FDefaultSortDirection; }
  void SetDefaultSortDirection(TSortDirection Value) { FDefaultSortDirection = Value; }
  String Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex Value);
  TVTHeaderColumnLayout Layout() const { return FLayout; }
  void SetLayout(TVTHeaderColumnLayout Value);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  Integer MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer Value);
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value);
  TVTColumnOptions Options() const { return FOptions; }
  void SetOptions(TVTColumnOptions Value);
  TColumnPosition Position() const { return FPosition; }
  void SetPosition(TColumnPosition Value);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  TLazyTreeColumnStyle Style() const { return FStyle; }
  void SetStyle(TLazyTreeColumnStyle Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  String Text() const { return FText; }
  void SetText(const String& Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  // The left edge in the tree's client, scrolled unless the column is fixed.
  Integer Left() const;
  Integer LastWidth() const { return FLastWidth; }
  Single SpringRest() const { return FSpringRest; }
  bool BonusPixel() const { return FBonusPixel; }
  // Places the header glyph (image or check box), the sort glyph and the
  // caption inside Client, a cell's rectangle less its frame: positions
  // relative to the cell first, clamped to its margins, then moved into
  // place. With coWrapCaption the caption is wrapped to the room left.
  void ComputeHeaderLayout(HDC DC, const TRect& Client, bool UseHeaderGlyph, bool UseSortGlyph,
                           TPoint& HeaderGlyphPos, TPoint& SortGlyphPos, TSize& SortGlyphSize, TRect& TextBounds,
                           Cardinal DrawFormat, bool CalculateTextRect = false);
  // Where the last paint put the cell's image or check box (mouse hits).
  bool HasImage() const { return FHasImage; }
  TRect ImageRect() const { return FImageRect; }

  QN_PUBLISHED_DECL(TLazyTreeColumn) {
    QN_PROP(Alignment).Default(taLeftJustify);
    QN_PROP(BiDiMode).Stored(&TLazyTreeColumn::IsBiDiModeStored);
    QN_PROP(CaptionAlignment).Default(taLeftJustify).Stored(&TLazyTreeColumn::IsCaptionAlignmentStored);
    QN_PROP_RO(CaptionText).Stored(false);
    QN_PROP(CheckType).Default(ctCheckBox);
    QN_PROP(CheckState).Default(csUncheckedNormal);
    QN_PROP(CheckBox).Default(false);
    QN_PROP(Color).TypeName(u"TColor").Stored(&TLazyTreeColumn::IsColorStored);
    QN_PROP(DefaultSortDirection).Default(sdAscending);
    QN_PROP(Hint).Stored(false);
    QN_PROP(ImageIndex).TypeName(u"TImageIndex").Default(-1);
    QN_PROP(Layout).Default(blGlyphLeft);
    QN_PROP(Margin).Default(4);
    QN_PROP(MaxWidth).Default(10000);
    QN_PROP(MinWidth).Default(10);
    QN_PROP(Options).Default(DefaultColumnOptions);
    QN_PROP(Position).NoDefault();
    QN_PROP(Spacing).Default(3);
    QN_PROP(Style).Default(vsText);
    QN_PROP(Tag).Default(0);
    QN_PROP(Text).Stored(false);
    QN_PROP(Width).Default(50);
  }

 protected:
  friend class TLazyTreeColumns;
  friend class TVTHeader;
  String GetDisplayName() override;
  void DefineProperties(TFiler* Filer) override;
  void ReadText(TReader* Reader);
  void WriteText(TWriter* Writer);
  void ReadHint(TReader* Reader);
  void WriteHint(TWriter* Writer);
  bool IsBiDiModeStored() const { return !FOptions.Contains(coParentBidiMode); }
  bool IsCaptionAlignmentStored() const { return FOptions.Contains(coUseCaptionAlignment); }
  bool IsColorStored() const { return !FOptions.Contains(coParentColor); }
  bool TreeLoading() const;

 private:
  String FText;
  String FHint;
  Integer FLeft = 0;
  Integer FWidth = 50;
  TColumnPosition FPosition = 0;
  Integer FMinWidth = 10;
  Integer FMaxWidth = 10000;
  TLazyTreeColumnStyle FStyle = vsText;
  TImageIndex FImageIndex = -1;
  TBiDiMode FBiDiMode = bdLeftToRight;
  TVTHeaderColumnLayout FLayout = blGlyphLeft;
  Integer FMargin = 4;
  Integer FSpacing = 3;
  TVTColumnOptions FOptions = DefaultColumnOptions;
  Integer FTag = 0;
  TAlignment FAlignment = taLeftJustify;
  TAlignment FCaptionAlignment = taLeftJustify;
  Integer FLastWidth = 50;
  TColor FColor = clWindow;
  bool FBonusPixel = false;
  Single FSpringRest = 0;
  String FCaptionText;
  bool FCheckBox = false;
  TCheckType FCheckType = ctCheckBox;
  TCheckState FCheckState = csUncheckedNormal;
  TRect FImageRect;
  bool FHasImage = false;
  TSortDirection FDefaultSortDirection = sdAscending;
};

// ---------------------------------------------------------------------------
// The columns

class TLazyTreeColumns : public TCollection {
  QN_CLASS(TLazyTreeColumns, TCollection)
 public:
  explicit TLazyTreeColumns(TVTHeader* AOwner);
  ~TLazyTreeColumns() override;

  virtual TLazyTreeColumn* Add();
  virtual void Clear();
  TLazyTreeColumn* Items(TColumnIndex Index) const { return static_cast<TLazyTreeColumn*>(GetItem(Index)); }
  TLazyTreeColumn* operator[](TColumnIndex Index) const { return Items(Index); }
  Integer DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(Integer Value) { FDefaultWidth = Value; }
  TVTHeader* Header() const { return FHeader; }
  TBaseLazyTree_qn* Tree() const;
  TPersistent* GetOwner() override;
  void Assign(TPersistent* Source) override;
  virtual bool Equals(TLazyTreeColumns* Other);
  // The columns block of the header stream.
  void SaveToStream(TStream* Stream);
  void LoadFromStream(TStream* Stream, Integer Version);

  virtual TColumnIndex ColumnFromPosition(const TPoint& P, bool Relative = true);
  virtual TColumnIndex ColumnFromPosition(TColumnPosition PositionIndex);
  TColumnIndex GetColumnAndBounds(const TPoint& P, Integer& ColumnLeft, Integer& ColumnRight, bool Relative = true);
  void GetColumnBounds(TColumnIndex Column, Integer& Left, Integer& Right);
  TColumnIndex GetFirstColumn();
  TColumnIndex GetNextColumn(TColumnIndex Column);
  TColumnIndex GetPreviousColumn(TColumnIndex Column);
  TColumnIndex GetFirstVisibleColumn(bool ConsiderAllowFocus = false);
  TColumnIndex GetLastVisibleColumn(bool ConsiderAllowFocus = false);
  TColumnIndex GetNextVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false);
  TColumnIndex GetPreviousVisibleColumn(TColumnIndex Column, bool ConsiderAllowFocus = false);
  TColumnsArray GetVisibleColumns();
  Integer GetVisibleFixedWidth();
  Integer GetScrollWidth();
  Integer TotalWidth();
  bool IsValidColumn(TColumnIndex Column) const { return Column >= 0 && Column < Count(); }

  void AdjustAutoSize(TColumnIndex CurrentIndex, bool Force = false);
  void AnimatedResize(TColumnIndex Column, Integer NewWidth);
  void FixPositions();
  void InitializePositionArray();
  void ReorderColumns(bool RTL);
  void UpdatePositions(bool Force = false);
  void AdjustPosition(TLazyTreeColumn* Column, TColumnPosition Position);
  void IndexChanged(Integer OldIndex, Integer NewIndex);
  bool CanSplitterResize(TPoint P, TColumnIndex Column);
  const TIndexArray& PositionToIndex() const { return FPositionToIndex; }
  bool NeedPositionsFix() const { return FNeedPositionsFix; }

  // Paints the header band R (window coordinates) onto DC through the
  // header bitmap; HOffset is the horizontal scroll offset.
  virtual void PaintHeader(HDC DC, const TRect& R, Integer HOffset);
  // Paints the columns covering R (header coordinates, not scrolled) onto
  // TargetCanvas with R's top-left corner at Target.
  virtual void PaintHeader(TCanvas* TargetCanvas, TRect R, const TPoint& Target, Integer RTLOffset = 0);
  // A caption in its state's colours: shortened to Bounds unless wrapped,
  // embossed when disabled.
  void DrawButtonText(HDC DC, const String& Caption, TRect Bounds, bool Enabled, bool Hot, Cardinal DrawFormat,
                      bool WrapCaption);
  TColumnIndex HoverIndex() const { return FHoverIndex; }
  TColumnIndex DownIndex() const { return FDownIndex; }
  TColumnIndex TrackIndex() const { return FTrackIndex; }
  TColumnIndex ClickIndex() const { return FClickIndex; }
  TColumnIndex DragIndex() const { return FDragIndex; }
  TColumnIndex DropTarget() const { return FDropTarget; }
  bool DropBefore() const { return FDropBefore; }

  // A click on the header at P (client point), reported through the tree;
  // Force clicks a cell that was not pressed first.
  virtual void HandleClick(TPoint P, TMouseButton Button, bool Force, bool DblClick);
  // Presses the clickable cell under P (client point); answers the column
  // there.
  TColumnIndex AdjustDownColumn(TPoint P);
  // Makes the cell under P (client point) the hot one; True when it changed.
  bool AdjustHoverColumn(TPoint P);
  bool GetNewIndex(TPoint P, TColumnIndex& OldIndex);

 protected:
  friend class TLazyTreeColumn;
  friend class TVTHeader;
  friend class TBaseLazyTree_qn;
  // Sets the hot, pressed and drop-target cells the way the header's mouse
  // handling does, for previews and tests that have no mouse.
  friend struct TLazyTreeColumnsAccess;
  virtual void DoCanSplitterResize(TPoint P, TColumnIndex Column, bool& Allowed);
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  void Update(TCollectionItem* Item) override;

 private:
  TVTHeader* FHeader;
  TColumnIndex FHoverIndex = NoColumn;
  TColumnIndex FDownIndex = NoColumn;
  TColumnIndex FTrackIndex = NoColumn;
  TColumnIndex FClickIndex = NoColumn;
  bool FCheckBoxHit = false;
  TIndexArray FPositionToIndex;
  Integer FDefaultWidth = 50;
  bool FNeedPositionsFix = false;
  bool FClearing = false;
  TColumnIndex FDragIndex = NoColumn;
  TColumnIndex FDropTarget = NoColumn;
  bool FDropBefore = false;
  std::unique_ptr<TBitmap> FHeaderBitmap;
  void PaintHeaderCell(THeaderPaintInfo& PaintInfo, TLazyTreeColumn* Column, bool AdvancedOwnerDraw, bool OwnerDraw);
};

// ---------------------------------------------------------------------------
// The header

enum class TVTHeaderOption : Byte {
  hoAutoResize, hoColumnResize, hoDblClickResize, hoDrag, hoHotTrack, hoOwnerDraw, hoRestrictDrag, hoShowHint,
  hoShowImages, hoShowSortGlyphs, hoVisible, hoAutoSpring, hoFullRepaintOnResize, hoDisableAnimatedResize,
  hoHeightResize, hoHeightDblClickResize, hoHeaderClickAutoSort
};
using enum TVTHeaderOption;
QN_ENUM_NAMES(TVTHeaderOption, hoAutoResize, hoColumnResize, hoDblClickResize, hoDrag, hoHotTrack, hoOwnerDraw,
              hoRestrictDrag, hoShowHint, hoShowImages, hoShowSortGlyphs, hoVisible, hoAutoSpring,
              hoFullRepaintOnResize, hoDisableAnimatedResize, hoHeightResize, hoHeightDblClickResize,
              hoHeaderClickAutoSort)
using TVTHeaderOptions = TSet<TVTHeaderOption>;
QN_TYPE_NAME(TVTHeaderOptions)
inline constexpr TVTHeaderOptions DefaultHeaderOptions{hoColumnResize, hoDrag, hoShowSortGlyphs};

enum class THeaderState : Byte {
  hsAutoSizing, hsDragging, hsDragPending, hsLoading, hsColumnWidthTracking, hsColumnWidthTrackPending,
  hsHeightTracking, hsHeightTrackPending, hsResizing, hsScaling, hsNeedScaling
};
using enum THeaderState;
using THeaderStates = TSet<THeaderState>;

enum class TVTHeaderStyle : Byte { hsThickButtons, hsFlatButtons, hsPlates };
using enum TVTHeaderStyle;
QN_ENUM_NAMES(TVTHeaderStyle, hsThickButtons, hsFlatButtons, hsPlates)

enum class TSmartAutoFitType : Byte { smaAllColumns, smaNoColumn, smaUseColumnOption };
using enum TSmartAutoFitType;

enum class TVTHeaderHitPosition : Byte { hhiNoWhere, hhiOnColumn, hhiOnIcon, hhiOnCheckbox };
using enum TVTHeaderHitPosition;
using TVTHeaderHitPositions = TSet<TVTHeaderHitPosition>;

struct TVTHeaderHitInfo {
  Integer X = 0, Y = 0;
  TMouseButton Button = TMouseButton::mbLeft;
  TShiftState Shift;
  TColumnIndex Column = NoColumn;
  TVTHeaderHitPositions HitPosition;
};

using TVTConstraintPercent = Byte;

class TVTFixedAreaConstraints : public TPersistent {
  QN_CLASS(TVTFixedAreaConstraints, TPersistent)
 public:
  explicit TVTFixedAreaConstraints(TVTHeader* AOwner) : FHeader(AOwner) {}
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;
  TVTConstraintPercent GetConstraint(Integer Index) const;
  void SetConstraints(Integer Index, TVTConstraintPercent Value);
  TVTConstraintPercent MaxHeightPercent() const { return FMaxHeightPercent; }
  TVTConstraintPercent MaxWidthPercent() const { return FMaxWidthPercent; }
  TVTConstraintPercent MinHeightPercent() const { return FMinHeightPercent; }
  TVTConstraintPercent MinWidthPercent() const { return FMinWidthPercent; }
  TNotifyEvent OnChange;

  QN_PUBLISHED_DECL(TVTFixedAreaConstraints) {
    P.Property(u"MaxHeightPercent", &TVTFixedAreaConstraints::GetConstraint, &TVTFixedAreaConstraints::SetConstraints)
        .Index(0).Default(0);
    P.Property(u"MaxWidthPercent", &TVTFixedAreaConstraints::GetConstraint, &TVTFixedAreaConstraints::SetConstraints)
        .Index(1).Default(0);
    P.Property(u"MinHeightPercent", &TVTFixedAreaConstraints::GetConstraint, &TVTFixedAreaConstraints::SetConstraints)
        .Index(2).Default(0);
    P.Property(u"MinWidthPercent", &TVTFixedAreaConstraints::GetConstraint, &TVTFixedAreaConstraints::SetConstraints)
        .Index(3).Default(0);
  }

 protected:
  // The header stream puts the percentages straight back.
  friend class TVTHeader;
  void Change();

 private:
  TVTHeader* FHeader;
  TVTConstraintPercent FMaxHeightPercent = 0, FMaxWidthPercent = 0, FMinHeightPercent = 0, FMinWidthPercent = 0;
};

// ---------------------------------------------------------------------------
// The translucent picture that follows the mouse while something of the tree
// is dragged. It is painted straight onto the screen; the screen area under
// it is kept so a move restores only what it uncovers.

using TVTTransparency = Byte;
using TVTBias = ShortInt;

enum class TVTDragMoveRestriction : Byte { dmrNone, dmrHorizontalOnly, dmrVerticalOnly };
using enum TVTDragMoveRestriction;

enum class TVTDragImageState : Byte { disHidden, disInDrag, disPrepared, disSystemSupport };
using enum TVTDragImageState;
using TVTDragImageStates = TSet<TVTDragImageState>;

class TVTDragImage : public TObject {
  QN_CLASS(TVTDragImage, TObject)
 public:
  explicit TVTDragImage(TBaseLazyTree_qn* AOwner);
  ~TVTDragImage() override;
  TBaseLazyTree_qn* Owner() const { return FOwner; }

  // Takes the picture (any size; copied, so the caller keeps its bitmap),
  // its screen position and the mouse position the moves are measured
  // from. With a data object the shell's drag-image helper is asked to show
  // the picture for its drag; where it does, this object draws nothing.
  // Otherwise the picture stays hidden until ShowDragImage.
  void PrepareDrag(TBitmap* DragImage, TPoint ImagePosition, TPoint HotSpot, IDataObject* DataObject = nullptr);
  // Follows the mouse to P (screen); True when the picture moved or was
  // repainted.
  bool DragTo(TPoint P, bool ForceRepaint = false);
  void ShowDragImage();
  void HideDragImage();
  void EndDrag();
  TRect GetDragImageRect() const;
  bool GetVisible() const;
  bool WillMove(TPoint P) const;
  // Tree, under the picture, paints R (its client coordinates) into the
  // saved background instead of onto the screen, clipped to VisibleRegion
  // (screen coordinates); with CaptureNCArea its frame too.
  void RecaptureBackground(TBaseLazyTree_qn* Tree, TRect R, HRGN VisibleRegion, bool CaptureNCArea,
                           bool ReshowDragImage);
  // Fills the alpha bytes of Target: a radial fade from the centre, zero
  // where Source has the key colour.
  void MakeAlphaChannel(TBitmap* Source, TBitmap* Target);

  TVTTransparency Transparency() const { return FTransparency; }
  void SetTransparency(TVTTransparency Value) { FTransparency = Value; }
  TVTBias PreBlendBias() const { return FPreBlendBias; }
  void SetPreBlendBias(TVTBias Value) { FPreBlendBias = Value; }
  TVTBias PostBlendBias() const { return FPostBlendBias; }
  void SetPostBlendBias(TVTBias Value) { FPostBlendBias = Value; }
  bool Fade() const { return FFade; }
  void SetFade(bool Value) { FFade = Value; }
  TColor ColorKey() const { return FColorKey; }
  void SetColorKey(TColor Value) { FColorKey = Value; }
  TVTDragMoveRestriction MoveRestriction() const { return FRestriction; }
  void SetMoveRestriction(TVTDragMoveRestriction Value) { FRestriction = Value; }
  TVTDragImageStates States() const { return FStates; }
  TPoint ImagePosition() const { return FImagePosition; }
  // The mouse position the next move is measured from (screen).
  TPoint LastPosition() const { return FLastPosition; }
  // The picture with its alpha bytes (nullptr outside a drag).
  TBitmap* Picture() const { return FDragImage.get(); }
  // What lies under the picture on the screen (nullptr outside a drag).
  TBitmap* BackImage() const { return FBackImage.get(); }

 protected:
  void InternalShowDragImage(HDC DC);

 private:
  // Hands the picture to the shell's drag-image helper for DataObject's
  // drag; disSystemSupport tells whether it took it.
  void PrepareSystemDrag(TBitmap* DragImage, IDataObject* DataObject);

 private:
  TBaseLazyTree_qn* FOwner;
  std::unique_ptr<TBitmap> FBackImage;
  std::unique_ptr<TBitmap> FAlphaImage;
  std::unique_ptr<TBitmap> FDragImage;
  TPoint FImagePosition;
  TPoint FLastPosition;
  TVTTransparency FTransparency = 128;
  TVTBias FPreBlendBias = 0;
  TVTBias FPostBlendBias = 0;
  bool FFade = false;
  TVTDragMoveRestriction FRestriction = dmrNone;
  TColor FColorKey = clNone;
  TVTDragImageStates FStates;
  void CaptureBackground(HDC ScreenDC, const TRect& Part);
  void RestoreBackground(HDC ScreenDC, const TRect& Part);
};

class TVTHeader : public TPersistent {
  QN_CLASS(TVTHeader, TPersistent)
 public:
  explicit TVTHeader(TBaseLazyTree_qn* AOwner);
  ~TVTHeader() override;
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;
  TBaseLazyTree_qn* Treeview() const { return FOwner; }

  // --- Operations in the order of the class's virtual slots
  virtual bool CanWriteColumns() { return true; }
  virtual void ChangeScale(Integer M, Integer D);
  virtual bool DetermineSplitterIndex(const TPoint& P);
  virtual void DoAfterAutoFitColumn(TColumnIndex Column);
  virtual void DoAfterColumnWidthTracking(TColumnIndex Column);
  virtual void DoAfterHeightTracking();
  virtual bool DoBeforeAutoFitColumn(TColumnIndex Column, TSmartAutoFitType SmartAutoFitType);
  virtual void DoBeforeColumnWidthTracking(TColumnIndex Column, TShiftState Shift);
  virtual void DoBeforeHeightTracking(TShiftState Shift);
  virtual void DoCanSplitterResize(TPoint P, bool& Allowed);
  virtual bool DoColumnWidthDblClickResize(TColumnIndex Column, TPoint P, TShiftState Shift);
  virtual bool DoColumnWidthTracking(TColumnIndex Column, TShiftState Shift, TPoint& TrackPoint, TPoint P);
  virtual TPopupMenu* DoGetPopupMenu(TColumnIndex Column, TPoint Position);
  virtual bool DoHeightTracking(TPoint& P, TShiftState Shift);
  virtual bool DoHeightDblClickResize(TPoint& P, TShiftState Shift);
  virtual void DoSetSortColumn(TColumnIndex Value);
  virtual TClass GetColumnsClass() { return TLazyTreeColumns::StaticClass(); }
  // Messages of the header area; the header's mouse handling answers them.
  virtual bool HandleMessage(TMessage& Message);
  virtual void RecalculateHeader();
  virtual void AutoFitColumns(bool Animated = true, TSmartAutoFitType SmartAutoFitType = smaUseColumnOption,
                              Integer RangeStartCol = NoColumn, Integer RangeEndCol = NoColumn);
  virtual bool InHeader(const TPoint& P);
  virtual bool InHeaderSplitterArea(TPoint P);
  // The whole header layout as a binary stream; every older layout reads.
  virtual void SaveToStream(TStream* Stream);
  virtual void LoadFromStream(TStream* Stream);

  // --- Others
  // Mouse moves while a button is held on the header (client point).
  bool HandleHeaderMouseMove(TMessage& Message);
  // Starts a column drag: P the mouse, Start where the button went down
  // (both screen points).
  void PrepareDrag(TPoint P, TPoint Start);
  // Follows a column drag to P (screen): the drop target and its side.
  void DragTo(TPoint P);
  void Invalidate(TLazyTreeColumn* Column, bool ExpandToBorder = false);
  bool CanSplitterResize(TPoint P);
  bool AllowFocus(TColumnIndex ColumnIndex);
  Integer ResizeColumns(Integer ChangeBy, TColumnIndex RangeStartCol, TColumnIndex RangeEndCol,
                        TVTColumnOptions Options = {coVisible});
  void RestoreColumns();
  void RescaleHeader();
  void UpdateMainColumn();
  void UpdateSpringColumns();
  void FixedAreaConstraintsChanged(TObject* Sender);
  void FontChanged(TObject* Sender);
  void ImageListChange(TObject* Sender);
  static TShiftState GetShiftState();
  bool UseColumns() const { return FColumns->Count() > 0; }
  void ReadColumns(TReader* Reader);
  void WriteColumns(TWriter* Writer);

  // --- Properties
  TColumnIndex AutoSizeIndex() const { return FAutoSizeIndex; }
  void SetAutoSizeIndex(TColumnIndex Value);
  TColor Background() const { return FBackground; }
  void SetBackground(TColor Value);
  TLazyTreeColumns* Columns() const { return FColumns.get(); }
  void SetColumns(TLazyTreeColumns* Value) { FColumns->Assign(Value); }
  Integer DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(Integer Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  TVTFixedAreaConstraints* FixedAreaConstraints() const { return FFixedAreaConstraints.get(); }
  void SetFixedAreaConstraints(TVTFixedAreaConstraints* Value) { FFixedAreaConstraints->Assign(Value); }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TColumnIndex MainColumn() const { return FColumns->Count() > 0 ? FMainColumn : NoColumn; }
  void SetMainColumn(TColumnIndex Value);
  Integer MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(Integer Value);
  Integer MinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer Value);
  TVTHeaderOptions Options() const { return FOptions; }
  void SetOptions(TVTHeaderOptions Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  TColumnIndex SortColumn() const { return FSortColumn; }
  void SetSortColumn(TColumnIndex Value);
  TSortDirection SortDirection() const { return FSortDirection; }
  void SetSortDirection(TSortDirection Value);
  TVTHeaderStyle Style() const { return FStyle; }
  void SetStyle(TVTHeaderStyle Value);
  THeaderStates States() const { return FStates; }
  TVTDragImage* DragImage() const { return FDragImage.get(); }

  QN_PUBLISHED_DECL(TVTHeader) {
    QN_PROP(AutoSizeIndex).NoDefault();
    QN_PROP(Background).TypeName(u"TColor").Default(clBtnFace);
    QN_PROP(Columns).Stored(false);
    QN_PROP(DefaultHeight).Default(19);
    QN_PROP(Font).Stored(&TVTHeader::IsFontStored);
    QN_PROP(FixedAreaConstraints);
    QN_PROP(Height).Default(19);
    QN_PROP(Images);
    QN_PROP(MainColumn).Default(0);
    QN_PROP(MaxHeight).Default(10000);
    QN_PROP(MinHeight).Default(10);
    QN_PROP(Options).Default(DefaultHeaderOptions);
    QN_PROP(ParentFont).Default(false);
    QN_PROP(PopupMenu);
    QN_PROP(SortColumn).Default(NoColumn);
    QN_PROP(SortDirection).Default(sdAscending);
    QN_PROP(Style).Default(hsThickButtons);
  }

 protected:
  friend class TBaseLazyTree_qn;
  friend class TLazyTreeColumns;
  friend class TLazyTreeColumn;
  bool IsFontStored() const { return !FParentFont; }
  bool TreeLoading() const;

 private:
  TBaseLazyTree_qn* FOwner;
  std::unique_ptr<TLazyTreeColumns> FColumns;
  Integer FHeight = 19;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = false;
  TVTHeaderOptions FOptions = DefaultHeaderOptions;
  TVTHeaderStyle FStyle = hsThickButtons;
  TColor FBackground = clBtnFace;
  TColumnIndex FAutoSizeIndex = 0;
  TPopupMenu* FPopupMenu = nullptr;
  TColumnIndex FMainColumn = NoColumn;
  Integer FMaxHeight = 10000, FMinHeight = 10, FDefaultHeight = 19;
  std::unique_ptr<TVTFixedAreaConstraints> FFixedAreaConstraints;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImageChangeLink;
  TColumnIndex FSortColumn = NoColumn;
  TSortDirection FSortDirection = sdAscending;
  std::unique_ptr<TVTDragImage> FDragImage;
  Integer FLastWidth = 0;
  THeaderStates FStates;
  TPoint FDragStart;
  TPoint FTrackStart;
  TPoint FTrackPoint;
  bool ColumnSplitterHit(TPoint P);
  void LeftButtonDown(TMessage& Message, bool NonClient);
  void LeftButtonUp(TMessage& Message, bool NonClient);
  bool DoubleClick(TMessage& Message, bool NonClient);
  bool RightButtonUp(TMessage& Message);
  void Hover(TMessage& Message);
  bool HeaderTimerFired(TMessage& Message);
  bool SetHeaderCursor(TMessage& Message);
  bool CancelGesture(TMessage& Message);
  void EndColumnDrag();
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
