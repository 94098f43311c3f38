// The picture side of the image manager: thumbnails in the list, the
// full-size preview on its checkerboard (draggable), and saving one image as
// a PNG file.
#include <algorithm>
#include <cmath>

#include "design/frmQuarnResManager.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/rtl/SysUtils.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

// ---------------------------------------------------------------------------
// The checkerboard

void TAlphaBgLayer::Paint(TBitmap32* Buffer) {
  inherited::Paint(Buffer);
  TBitmap32 tile;
  tile.SetSize(16, 16);
  const TColor32 white = Color32(TColor(0xFFFFFF)), grey = Color32(TColor(0xCCCCCC));
  tile.FillRectS(0, 0, 8, 8, white);
  tile.FillRectS(8, 8, 16, 16, white);
  tile.FillRectS(8, 0, 16, 8, grey);
  tile.FillRectS(0, 8, 8, 16, grey);
  TileBitmap(&tile, Buffer);
}

// ---------------------------------------------------------------------------
// The preview

void TQuarnResManagerForm::CreatePreview() {
  using F = TQuarnResManagerForm;
  FTransformation = std::make_unique<TAffineTransformation>();
  FImage32 = new TImage32(this);
  FImage32->SetParent(grp2);
  FImage32->SetAlign(alClient);
  FImage32->SetBitmapAlign(baCustom);
  FBgLayer = FImage32->Layers()->Add<TAlphaBgLayer>();
  FImageLayer = FImage32->Layers()->Add<TBitmapLayer>();
  FImageLayer->SetVisible(false);
  FImage32->SetOnResize(TNotifyEvent(this, &F::ImageResize));
  FImage32->SetOnMouseDown(TImgMouseEvent(this, &F::ImageMouseDown));
  FImage32->SetOnMouseMove(TImgMouseMoveEvent(this, &F::ImageMouseMove));
  FImage32->SetOnMouseUp(TImgMouseEvent(this, &F::ImageMouseUp));
  FDragging = false;
  ImageResize(FImage32);
}

void TQuarnResManagerForm::DoPreview() {
  if (!FImageLayer || !qnvdtImageList) return;
  TQuarnImageNodeRec* rec = NodeRec(qnvdtImageList->FocusedNode());
  if (!rec || !rec->Image) {
    FImageLayer->SetVisible(false);
    return;
  }
  const Integer w = rec->Image->Width(), h = rec->Image->Height();
  const Integer left = (FImage32->Width() - w) / 2, top = (FImage32->Height() - h) / 2;
  FImage32->Layers()->BeginUpdate();
  try {
    FImageLayer->SetLocation(TFloatRect(Single(left), Single(top), Single(left + w), Single(top + h)));
    FImageLayer->Bitmap()->Assign(rec->Image);
    FImageLayer->SetVisible(true);
  } catch (...) {
    FImage32->Layers()->EndUpdate();
    throw;
  }
  FImage32->Layers()->EndUpdate();
}

void TQuarnResManagerForm::ImageResize(TObject*) {
  if (!FImage32) return;
  FBgLayer->SetLocation(TFloatRect(0, 0, Single(FImage32->Width()), Single(FImage32->Height())));
  DoPreview();
}

void TQuarnResManagerForm::ImageMouseDown(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y,
                                          TCustomLayer*) {
  // Only the left button drags: a right click opens the popup menu, which
  // takes the release, and the drag would never end.
  if (Button != TMouseButton::mbLeft) return;
  FDragging = true;
  FFromPt = TPoint(X, Y);
}

void TQuarnResManagerForm::ImageMouseMove(TObject*, TShiftState, Integer X, Integer Y, TCustomLayer*) {
  if (!FDragging) return;
  const Single dx = Single(X - FFromPt.X), dy = Single(Y - FFromPt.Y);
  FFromPt = TPoint(X, Y);
  if (dx == 0 && dy == 0) return;
  TFloatRect r = FImageLayer->Location();
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
  FImageLayer->SetLocation(r);
}

void TQuarnResManagerForm::ImageMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                        Integer Y, TCustomLayer* Layer) {
  if (Button != TMouseButton::mbLeft || !FDragging) return;
  // The last stretch up to the release point counts as well.
  ImageMouseMove(Sender, Shift, X, Y, Layer);
  FDragging = false;
}

// ---------------------------------------------------------------------------
// The list's cells

namespace {

// Blends what Paint draws into a bitmap of the canvas's own pixels under
// Dest, then puts the result back: a device context knows no alpha, so the
// image's transparent parts must be resolved against the cell first.
template <class P>
void BlendOntoCanvas(TCanvas* Canvas, const TRect& Dest, P Paint) {
  if (Dest.Width() <= 0 || Dest.Height() <= 0) return;
  TBitmap32 under;
  under.SetSize(Dest.Width(), Dest.Height());
  under.Draw(TRect(0, 0, Dest.Width(), Dest.Height()), Dest, Canvas->Handle());
  under.ResetAlpha();
  Paint(under);
  under.DrawTo(Canvas->Handle(), Dest.Left, Dest.Top);
}

}  // namespace

void TQuarnResManagerForm::DrawThumbnail(TCanvas* Canvas, TBitmap32* Image, const TRect& Cell) {
  if (!Image || Image->Empty()) return;
  const Integer w = Image->Width(), h = Image->Height();
  const Integer cw = Cell.Width(), ch = Cell.Height();
  if (cw <= 0 || ch <= 0) return;
  if (w <= cw && h <= ch) {
    const Integer x = Cell.Left + (cw - w) / 2, y = Cell.Top + (ch - h) / 2;
    BlendOntoCanvas(Canvas, TRect(x, y, x + w, y + h), [&](TBitmap32& Under) { Image->DrawTo(&Under, 0, 0); });
    return;
  }
  // One factor for both axes, the smaller: the image keeps its shape and
  // both sides fit.
  const double s = std::min(double(cw) / w, double(ch) / h);
  FTransformation->Clear();
  FTransformation->Scale(Single(s), Single(s));
  FTransformation->SetSrcRect(TFloatRect(0, 0, Single(w), Single(h)));
  const TFloatRect b = FTransformation->GetTransformedBounds();
  const Integer tw = std::clamp<Integer>(Integer(std::lround(b.Right - b.Left)), 1, cw);
  const Integer th = std::clamp<Integer>(Integer(std::lround(b.Bottom - b.Top)), 1, ch);
  const Integer x = Cell.Left + (cw - tw) / 2, y = Cell.Top + (ch - th) / 2;
  BlendOntoCanvas(Canvas, TRect(x, y, x + tw, y + th),
                  [&](TBitmap32& Under) { Transform(&Under, Image, FTransformation.get()); });
}

void TQuarnResManagerForm::qnvdtImageListDrawNode(TBaseLazyTree_qn* Sender, const TVTPaintInfo& PaintInfo) {
  TQuarnImageNodeRec* rec = NodeRec(PaintInfo.Node);
  if (!rec) return;
  TCanvas* c = PaintInfo.Canvas;
  c->Font()->SetStyle(TFontStyles());
  String text;
  switch (PaintInfo.Column) {
    case 0: text = IntToStr(Integer(PaintInfo.Node->Index) + 1); break;
    case 1:
      text = rec->ID;
      c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
      break;
    case 2: DrawThumbnail(c, rec->Image, PaintInfo.CellRect); return;
    case 3:
      if (rec->Image) text = Format(u"%dx%d", {rec->Image->Width(), rec->Image->Height()});
      break;
    case 4: text = rec->Description; break;
    default: return;
  }
  // Columns answer in the tree's own x, as the row's canvas is set up; the
  // row's canvas starts at the row's top.
  TRect r = Sender->GetDisplayRect(PaintInfo.Node, PaintInfo.Column, false);
  if (r.Width() <= 0 || r.Height() <= 0) r = PaintInfo.CellRect;
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(Sender->GetSelected(PaintInfo.Node) ? clWhite : clBlack);
  const Integer y = PaintInfo.CellRect.Top + (r.Height() - c->TextHeight(text)) / 2;
  c->TextRect(PaintInfo.CellRect, r.Left + 2, y, text);
}

// ---------------------------------------------------------------------------
// Save As

void TQuarnResManagerForm::actItem_SaveAsExecute(TObject*) {
  TQuarnImageNodeRec* rec = NodeRec(qnvdtImageList->FocusedNode());
  if (!rec || !rec->Image) return;
  auto dlg = std::make_unique<TSaveDialog>(nullptr);
  dlg->SetDefaultExt(u".png");
  dlg->SetFilter(u"PngImage(*.Png)|*.png");
  if (!dlg->Execute()) return;
  if (!SaveBitmap32ToPNG(rec->Image, true, Color32(clNone), dlg->FileName(), 9, TInterlaceMethod::imNone))
    throw EWriteError(u"Cannot save the image as \"" + dlg->FileName() + u"\"");
}

}  // namespace qn
