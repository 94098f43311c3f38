// Printing the tree: the visible nodes (and the header) rendered at screen
// resolution, scaled by how much taller the printer's text is than the
// screen's, and laid over a grid of pages. The picture is rendered one row of
// pages at a time, so a tree of any length prints in the memory of one band.
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/vcl/Printers.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

// Copies ABitmap onto Canvas, stretched to DestRect, as a device-independent
// bitmap (printer drivers take those, not screen bitmaps).
void PrtStretchDrawDIB(TCanvas* Canvas, const TRect& DestRect, TBitmap* ABitmap) {
  HBITMAP bitmap = ABitmap->Handle();
  DWORD headerSize = 0, imageSize = 0;
  GetDIBSizes(bitmap, headerSize, imageSize);
  // Owned buffers: freed however the drawing ends.
  std::unique_ptr<Byte[]> header(new Byte[std::max<DWORD>(headerSize, sizeof(BITMAPINFOHEADER))]());
  std::unique_ptr<Byte[]> bits(new Byte[std::max<DWORD>(imageSize, 1)]());
  if (!GetDIB(bitmap, ABitmap->Palette(), header.get(), bits.get()))
    throw EInvalidGraphicOperation(u"The bitmap cannot be read as a device-independent bitmap");
  StretchDIBits(Canvas->Handle(), DestRect.Left, DestRect.Top, DestRect.Width(), DestRect.Height(), 0, 0,
                ABitmap->Width(), ABitmap->Height(), bits.get(), reinterpret_cast<BITMAPINFO*>(header.get()),
                DIB_RGB_COLORS, SRCCOPY);
}

namespace {

// Makes the font's handle again from the same description, drawn
// antialiased (the font keeps owning it).
void MakeAntialiased(TFont* Font) { Font->SetQuality(TFontQuality::fqAntialiased); }

Integer PagesFor(Integer Size, Integer Page) { return std::max<Integer>(1, (Size + Page - 1) / Page); }

std::unique_ptr<TBitmap> WhiteBitmap(Integer W, Integer H) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(TRect(0, 0, W, H));
  return b;
}

}  // namespace

void TBaseLazyTree_qn::Print(TPrinter* Printer, bool PrintHeader) {
  if (!Printer) return;
  BeginUpdate();
  TFont savedFont;
  savedFont.Assign(Font());
  TColor savedColor = Color();
  std::unique_ptr<TFont> savedHeaderFont;
  try {
    MakeAntialiased(Font());
    TRect treeRect = GetTreeRect();
    bool withHeader = PrintHeader && FHeader->Options().Contains(hoVisible);
    Integer headerHeight = withHeader ? FHeader->Height() : 0;
    Integer imageWidth = treeRect.Width(), imageHeight = treeRect.Height() + headerHeight;

    Printer->BeginDoc();
    try {
      Printer->Canvas()->Font()->Assign(Font());
      auto measure = WhiteBitmap(1, 1);
      measure->Canvas()->Font()->Assign(Font());
      Integer screenText = std::max<Integer>(1, measure->Canvas()->TextHeight(u"Tj"));
      double scale = double(Printer->Canvas()->TextHeight(u"Tj")) / double(screenText);
      if (!(scale > 0)) scale = 1;
      Integer pageWidth = std::max<Integer>(1, Integer(std::lround(Printer->PageWidth() / scale)));
      Integer pageHeight = std::max<Integer>(1, Integer(std::lround(Printer->PageHeight() / scale)));
      Integer across = PagesFor(imageWidth, pageWidth), down = PagesFor(imageHeight, pageHeight);

      SetColor(clWhite);
      auto band = WhiteBitmap(across * pageWidth, pageHeight);
      auto page = WhiteBitmap(pageWidth, pageHeight);
      for (Integer y = 0; y < down; ++y) {
        // One row of pages: the part of the picture from Top down.
        Integer top = y * pageHeight;
        TCanvas* bc = band->Canvas();
        bc->Brush()->SetColor(clWhite);
        bc->FillRect(TRect(0, 0, band->Width(), band->Height()));
        if (withHeader && top < headerHeight) {
          savedHeaderFont = std::make_unique<TFont>();
          savedHeaderFont->Assign(FHeader->Font());
          MakeAntialiased(FHeader->Font());
          FHeader->Columns()->PaintHeader(bc->Handle(), TRect(0, -top, imageWidth, headerHeight - top), 0);
          FHeader->SetFont(savedHeaderFont.get());
          savedHeaderFont.reset();
        }
        Integer treeTop = std::max<Integer>(0, top - headerHeight);
        Integer treeBottom = std::min<Integer>(treeRect.Height(), top + pageHeight - headerHeight);
        if (treeBottom > treeTop)
          PaintTree(bc, TRect(0, treeTop, imageWidth, treeBottom), TPoint(0, treeTop + headerHeight - top),
                    {poGridLines}, TPixelFormat::pf32bit);
        for (Integer x = 0; x < across; ++x) {
          TCanvas* pc = page->Canvas();
          pc->Brush()->SetColor(clWhite);
          pc->FillRect(TRect(0, 0, pageWidth, pageHeight));
          pc->CopyRect(TRect(0, 0, pageWidth, pageHeight), bc,
                       TRect(x * pageWidth, 0, x * pageWidth + pageWidth, pageHeight));
          PrtStretchDrawDIB(Printer->Canvas(), TRect(0, 0, Printer->PageWidth(), Printer->PageHeight() - 1),
                            page.get());
          if (x < across - 1 || y < down - 1) Printer->NewPage();
        }
      }
    } catch (...) {
      if (Printer->Printing()) Printer->Abort();
      throw;
    }
    SetColor(savedColor);
    Font()->Assign(&savedFont);
    Printer->EndDoc();
  } catch (...) {
    if (savedHeaderFont) FHeader->SetFont(savedHeaderFont.get());
    SetColor(savedColor);
    Font()->Assign(&savedFont);
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace qn
