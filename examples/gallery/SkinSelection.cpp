#include "examples/gallery/SkinSelection.h"

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ImgList.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnListView.h"

namespace gallery {

namespace {

using namespace vcl;

// One row of a report view: the small image and caption in the first
// column, the sub-items in the others, each cut with an ellipsis to its
// column; the whole row in the skin's blue when selected.
void DrawSkinListRow(TCustomListView* View, TListItem* Item, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = View->Canvas();
  const bool selected = State.Contains(odSelected);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(selected ? TColor(kSkinSelection) : View->Color());
  c->FillRect(Rect);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(selected ? TColor(kSkinSelectionText) : View->Font()->Color());
  Integer left = Rect.Left;
  for (Integer col = 0; col < View->Columns()->Count(); ++col) {
    TListColumn* column = View->Column(col);
    TRect cell(left + 6, Rect.Top, left + column->Width() - 6, Rect.Bottom);
    left += column->Width();
    if (col == 0 && View->SmallImages() && Item->ImageIndex() >= 0) {
      TCustomImageList* images = View->SmallImages();
      images->Draw(c, cell.Left - 4, (Rect.Top + Rect.Bottom - images->Height()) / 2, Item->ImageIndex());
      cell.Left += images->Width();
    }
    const String text = col == 0 ? Item->Caption()
                        : col - 1 < Item->SubItems()->Count() ? Item->SubItems()->Strings(col - 1)
                                                               : String();
    if (text.empty() || cell.Right <= cell.Left) continue;
    const UINT align = column->Alignment() == taRightJustify ? DT_RIGHT
                       : column->Alignment() == taCenter     ? DT_CENTER
                                                             : DT_LEFT;
    RECT r{cell.Left, cell.Top, cell.Right, cell.Bottom};
    DrawTextW(c->Handle(), text.c_str(), int(text.size()), &r,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  if (State.Contains(odFocused)) c->DrawFocusRect(Rect);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
}

}  // namespace

void UseSkinSelection(TWinControl* Root) {
  using namespace qn;
  if (auto* list = dynamic_cast<TQuarnCustomListBox*>(Root)) {
    list->ListBox->SetItemSelectedColor(TColor(kSkinSelection));
    list->ListBox->SetItemSelectedFontColor(TColor(kSkinSelectionText));
  } else if (auto* combo = dynamic_cast<TQuarnCustomComboBox*>(Root)) {
    combo->SetMenuItemSeletedColor(TColor(kSkinSelection));
    combo->SetMenuItemSeletedFontColor(TColor(kSkinSelectionText));
  } else if (auto* view = dynamic_cast<TQuarnListView*>(Root); view && view->ViewStyle() == vsReport) {
    view->SetOwnerDraw(true);
    view->SetOnDrawItem(TLVDrawItemEvent(&DrawSkinListRow));
  }
  for (Integer i = 0; i < Root->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(Root->Controls(i))) UseSkinSelection(child);
}

}  // namespace gallery
