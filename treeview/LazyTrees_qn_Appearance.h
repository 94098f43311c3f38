// The lazy tree's appearance at unit level: the colour set the painting
// reads, blending of 32-bit DIB sections, the rectangles a moving drag image
// scrolls and repaints, and a thin adapter over the theme services.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "treeview/LazyTrees_qn.h"
#include "platform/vcl/Themes.h"

namespace qn {

// ---------------------------------------------------------------------------
// Colours

class TVTColors : public TPersistent {
  QN_CLASS(TVTColors, TPersistent)
 public:
  explicit TVTColors(TBaseLazyTree_qn* AOwner);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  // The slot indices (the order of the colour array, not the published one).
  enum : Integer {
    DisabledColorIndex, DropMarkColorIndex, DropTargetColorIndex, FocusedSelectionColorIndex,
    GridLineColorIndex, TreeLineColorIndex, UnfocusedSelectionColorIndex, BorderColorIndex, HotColorIndex,
    FocusedSelectionBorderColorIndex, UnfocusedSelectionBorderColorIndex, DropTargetBorderColorIndex,
    SelectionRectangleBlendColorIndex, SelectionRectangleBorderColorIndex, HeaderHotColorIndex,
    SelectionTextColorIndex, ColorCount
  };
  TColor GetColor(Integer Index) const;
  void SetColor(Integer Index, TColor Value);
  TColor GetBackgroundColor() const;
  TColor GetHeaderFontColor() const;
  TColor GetNodeFontColor() const;
  TColor BackGroundColor() const { return GetBackgroundColor(); }
  TColor HeaderFontColor() const { return GetHeaderFontColor(); }
  TColor NodeFontColor() const { return GetNodeFontColor(); }

#define QN_VT_COLOR(Name)                                           \
  TColor Name() const { return GetColor(Name##Index); }             \
  void Set##Name(TColor Value) { SetColor(Name##Index, Value); }
  QN_VT_COLOR(BorderColor)
  QN_VT_COLOR(DisabledColor)
  QN_VT_COLOR(DropMarkColor)
  QN_VT_COLOR(DropTargetColor)
  QN_VT_COLOR(DropTargetBorderColor)
  QN_VT_COLOR(FocusedSelectionColor)
  QN_VT_COLOR(FocusedSelectionBorderColor)
  QN_VT_COLOR(GridLineColor)
  QN_VT_COLOR(HeaderHotColor)
  QN_VT_COLOR(HotColor)
  QN_VT_COLOR(SelectionRectangleBlendColor)
  QN_VT_COLOR(SelectionRectangleBorderColor)
  QN_VT_COLOR(SelectionTextColor)
  QN_VT_COLOR(TreeLineColor)
  QN_VT_COLOR(UnfocusedSelectionColor)
  QN_VT_COLOR(UnfocusedSelectionBorderColor)
#undef QN_VT_COLOR

  // Always stored: no defaults given.
  QN_PUBLISHED_DECL(TVTColors) {
    QN_PROP(BorderColor);
    QN_PROP(DisabledColor);
    QN_PROP(DropMarkColor);
    QN_PROP(DropTargetColor);
    QN_PROP(DropTargetBorderColor);
    QN_PROP(FocusedSelectionColor);
    QN_PROP(FocusedSelectionBorderColor);
    QN_PROP(GridLineColor);
    QN_PROP(HeaderHotColor);
    QN_PROP(HotColor);
    QN_PROP(SelectionRectangleBlendColor);
    QN_PROP(SelectionRectangleBorderColor);
    QN_PROP(SelectionTextColor);
    QN_PROP(TreeLineColor);
    QN_PROP(UnfocusedSelectionColor);
    QN_PROP(UnfocusedSelectionBorderColor);
  }

 private:
  TBaseLazyTree_qn* FOwner;
  TColor FColors[ColorCount];
};

// ---------------------------------------------------------------------------
// Alpha blending straight on the bits of 32-bit DIB sections

enum class TBlendMode : Byte { bmConstantAlpha, bmPerPixelAlpha, bmMasterAlpha, bmConstantAlphaAndColor };
using enum TBlendMode;

// Blends R of the bitmap selected into Source to Target in the one selected
// into Destination (for bmConstantAlphaAndColor: lays the COLORREF in Bias
// over R of Destination). R and the target area are clipped to both bitmaps.
void AlphaBlend(HDC Source, HDC Destination, const TRect& R, TPoint Target, TBlendMode Mode,
                Integer ConstantAlpha, Integer Bias);

// One row of Count pixels; Source is unused by the colour line.
using TAlphaLineProc = void (*)(const Cardinal* Source, Cardinal* Destination, Integer Count, Integer ConstantAlpha,
                                Integer Bias);
// The four line routines as bound now (plain or SSE2), and their plain forms.
struct TAlphaLineSet {
  TAlphaLineProc ConstantAlpha, PerPixelAlpha, MasterAlpha, MasterAndColor;
};
TAlphaLineSet AlphaLines();
TAlphaLineSet PlainAlphaLines();
// The SSE2 forms (the plain ones where the build has no SSE2).
TAlphaLineSet SSE2AlphaLines();
// Binds the plain forms (ForcePlain) or the best the processor runs.
void RebindAlphaLines(bool ForcePlain = false);

// The processor has the packed-integer unit the blending was made for; set
// at the global set-up, tests may override it.
extern bool MMXAvailable;
bool DetectMMX();

// ---------------------------------------------------------------------------
// Drag image moves: R1 the whole image, R2 what scrolls, R3..R6 the strips
// to restore and redraw (Left/Top an offset, Right/Bottom a width and height).
void GetDragImageUpdateRects(Integer Width, Integer Height, Integer DeltaX, Integer DeltaY, TRect& R1, TRect& R2,
                             TRect& R3, TRect& R4, TRect& R5, TRect& R6);

// ---------------------------------------------------------------------------
// The theme services as the tree uses them.
namespace TreeThemes {
bool Enabled();
bool DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags);
bool DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R, const TRect* ClipRect = nullptr);
TThemedElementDetails GetElementDetails(TThemedHeader Detail);
TThemedElementDetails GetElementDetails(TThemedTreeview Detail);
TThemedElementDetails GetElementDetails(TThemedButton Detail);
bool GetElementSize(HDC DC, const TThemedElementDetails& Details, const TRect& R, TElementSize ElementSize,
                    TSize& Size);
void PaintBorder(TWinControl* Control, bool EraseLRCorner);
// The themed edge of Control's frame onto DC, whose origin is the window's
// top-left corner (a printed window).
void PaintBorderOn(TWinControl* Control, HDC DC);
}  // namespace TreeThemes

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
