// Gallery page "treeprint": a three-column string tree of 400 nodes printed
// with its header onto A4 pages of the recording printer; the recorded pages
// reduced and laid out in order, each framed, so the page grid shows.
#include <algorithm>
#include <memory>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeStringSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/WinSpool.h"
#include "platform/vcl/Printers.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

std::vector<std::string> TreePrintPage(const std::string& outDir) {
  using namespace vcl;
  using namespace qn;
  constexpr int kFactor = 14, kPagesAcross = 4;
  ResetPrinters();
  ClearPrintedJobs();
  auto form = NewSheetForm(520, 360);
  auto* t = TTreeStringSheet::NewStringTree(form.get(), TRect(10, 10, 500, 340));
  TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Item", 220);
  TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Quantity", 110)->SetAlignment(taRightJustify);
  TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Warehouse", 160);
  t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible});
  t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() +
                                    TVTPaintOptions{toShowHorzGridLines, toShowVertGridLines});
  t->SetRootNodeCount(40);
  for (PLazyNode n = t->GetFirst(); n; n = n->NextSibling) {
    t->SetChildCount(n, 9);
    t->SetExpanded(n, true);
  }
  t->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex Column, TVSTTextType Type, String& Text) {
    static const char16_t* stores[] = {u"North", u"Harbour", u"East gate", u"Central"};
    if (Type != ttNormal) return;
    Integer i = Integer(T->AbsoluteIndex(N));
    bool group = T->GetNodeLevel(N) == 0;
    if (Column == 0) Text = (group ? u"Group " : u"Part ") + IntToStr(i);
    else if (Column == 1) Text = group ? String() : IntToStr((i * 37) % 500 + 1);
    else Text = group ? String() : String(stores[i % 4]);
  });
  form->Show();
  PumpRounds(2);
  TPrinter printer;
  printer.SetTitle(u"Tree print");
  t->Print(&printer, true);
  std::vector<TPrintedJob> jobs = PrintedJobs();
  const TPrintedJob& job = jobs.back();

  int pages = int(job.Pages.size());
  int pw = job.Pages[0]->Width / kFactor, ph = job.Pages[0]->Height / kFactor;
  int rows = (pages + kPagesAcross - 1) / kPagesAcross;
  int width = 32 + kPagesAcross * (pw + 24), height = 16 + rows * (ph + 34) + 10;
  auto sheet = NewSheetBitmap(width, height);
  TCanvas* c = sheet->Canvas();
  for (int i = 0; i < pages; ++i) {
    const TPrintedPage& p = *job.Pages[size_t(i)];
    int x0 = 16 + (i % kPagesAcross) * (pw + 24), y0 = 16 + (i / kPagesAcross) * (ph + 34);
    // Each reduced pixel is the mean of its square of page pixels.
    for (int y = 0; y < ph; ++y) {
      auto* row = static_cast<uint32_t*>(sheet->ScanLine(y0 + y));
      for (int x = 0; x < pw; ++x) {
        uint32_t r = 0, g = 0, b = 0;
        for (int dy = 0; dy < kFactor; ++dy)
          for (int dx = 0; dx < kFactor; ++dx) {
            uint32_t v = p.Pixel(x * kFactor + dx, y * kFactor + dy);
            r += (v >> 16) & 255;
            g += (v >> 8) & 255;
            b += v & 255;
          }
        constexpr uint32_t n = kFactor * kFactor;
        row[x0 + x] = 0xFF000000u | (r / n) << 16 | (g / n) << 8 | (b / n);
      }
    }
    c->Brush()->SetColor(TColor(RGB(90, 98, 110)));
    c->FrameRect(TRect(x0 - 1, y0 - 1, x0 + pw + 1, y0 + ph + 1));
    SheetLabel(c, x0, y0 + ph + 6, u"Page " + IntToStr(i + 1));
  }
  if (Live()) {
    // Live, the tree that was printed, to be scrolled and opened.
    HoldSheet(form.get(), CaptureWindow(form->Handle(), true));
  }
  form.reset();
  ClearPrintedJobs();
  std::string path = outDir + "/tree-print.png";
  SavePng(BitmapImage(c->Handle(), sheet->Handle(), width, height), path);
  return {path};
}

}  // namespace gallery
