// Printing the tree onto the recording printer: how many pages across and
// down, the header on the first row only, the pages laid side by side against
// one painting of the whole tree, a long tree on a coarse printer, and a
// failure in the middle that leaves the tree as it was and the job closed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/desktop/Desktop.h"
#include "platform/gdi/WinSpool.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Printers.h"
#include "treeview/LazyTrees_qn_StringTree.h"

using namespace qn;

namespace qn {
void PrtStretchDrawDIB(TCanvas* Canvas, const TRect& DestRect, TBitmap* ABitmap);
}

namespace t_lazy_trees_qn_print_test {

namespace {

class LazyTrees_qn_Print : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetPrinters();
    ClearPrintedJobs();
    // 96 dpi: the printer's text is as tall as the screen's, one device
    // pixel per screen pixel; pages of 300 x 400.
    TPrinterConfig c;
    c.Name = u"Screen-sized printer";
    c.PaperWidth = 300;
    c.PaperHeight = 400;
    c.Dpi = 96;
    c.Margin = 0;
    AddPrinter(c);
    SetDefaultPrinterW(c.Name.c_str());
    Prn = std::make_unique<TPrinter>();
    Form = new TForm(nullptr);
    Form->SetBounds(20, 20, 300, 200);
    T = new TLazyStringTree_qn(Form);
    T->SetParent(Form);
    T->SetBounds(0, 0, 200, 120);
    T->Font()->SetName(u"DejaVu Sans");
    T->Font()->SetSize(9);
    T->SetDefaultNodeHeight(20);
    T->SetOnGetText([](TBaseLazyTree_qn* Tree, PLazyNode N, TColumnIndex Column, TVSTTextType, String& Text) {
      Text = u"Node " + IntToStr(Integer(Tree->AbsoluteIndex(N))) + u"/" + IntToStr(Integer(Column));
    });
    Form->Show();
    T->HandleNeeded();
    Application->ProcessMessages();
  }
  void TearDown() override {
    delete Form;
    Prn.reset();
    ClearPrintedJobs();
    ResetPrinters();
  }
  void AddColumns(std::initializer_list<Integer> Widths) {
    for (Integer w : Widths) T->Header()->Columns()->Add()->SetWidth(w);
  }
  TPrintedJob LastJob() {
    auto jobs = PrintedJobs();
    EXPECT_FALSE(jobs.empty());
    return jobs.empty() ? TPrintedJob() : jobs.back();
  }
  // The whole tree painted once, as printing paints it, under the header
  // when asked.
  std::unique_ptr<TBitmap> Reference(bool WithHeader) {
    TRect tree = T->GetTreeRect();
    Integer hh = WithHeader ? T->Header()->Height() : 0;
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(tree.Width(), tree.Height() + hh);
    b->Canvas()->Brush()->SetColor(clWhite);
    b->Canvas()->FillRect(TRect(0, 0, b->Width(), b->Height()));
    TColor old = T->Color();
    T->SetColor(clWhite);
    if (WithHeader) T->Header()->Columns()->PaintHeader(b->Canvas()->Handle(), TRect(0, 0, tree.Width(), hh), 0);
    T->PaintTree(b->Canvas(), tree, TPoint(0, hh), {poGridLines}, TPixelFormat::pf32bit);
    T->SetColor(old);
    return b;
  }
  static bool Near(uint32_t A, uint32_t B) {
    for (int s = 0; s < 24; s += 8)
      if (std::abs(int((A >> s) & 255) - int((B >> s) & 255)) > 8) return false;
    return true;
  }
  // Every page pixel against the reference: the page is stretched from
  // 400 rows onto 399, so a row may come from its source row or the next.
  void ExpectPagesShow(TBitmap* Ref, Integer Across) {
    TPrintedJob job = LastJob();
    int bad = 0;
    for (size_t i = 0; i < job.Pages.size(); ++i) {
      const TPrintedPage& p = *job.Pages[i];
      Integer px = Integer(i) % Across, py = Integer(i) / Across;
      for (Integer y = 0; y < 399; ++y)
        for (Integer x = 0; x < 300; ++x) {
          Integer rx = px * 300 + x;
          uint32_t got = p.Pixel(x, y);
          bool ok = false;
          for (Integer dy = 0; dy <= 1 && !ok; ++dy) {
            Integer ry = py * 400 + y * 400 / 399 + dy;
            uint32_t want = 0xFFFFFF;
            if (rx < Ref->Width() && ry < Ref->Height())
              want = static_cast<uint32_t*>(Ref->ScanLine(ry))[rx] & 0xFFFFFF;
            ok = Near(got, want);
          }
          if (!ok) ++bad;
        }
    }
    EXPECT_EQ(bad, 0);
  }

  std::unique_ptr<TPrinter> Prn;
  TForm* Form = nullptr;
  TLazyStringTree_qn* T = nullptr;
};

TEST_F(LazyTrees_qn_Print, PagesAcrossAndDown) {
  AddColumns({250});
  T->SetRootNodeCount(5);  // fits one page
  T->Print(Prn.get(), false);
  EXPECT_EQ(LastJob().Pages.size(), 1u);
  EXPECT_TRUE(LastJob().Finished);
  // Exactly two page heights, then one pixel more.
  T->SetRootNodeCount(40);
  T->Print(Prn.get(), false);
  EXPECT_EQ(LastJob().Pages.size(), 2u);
  T->SetNodeHeight(T->GetLast(), 21);
  T->Print(Prn.get(), false);
  EXPECT_EQ(LastJob().Pages.size(), 3u);
  // Three columns of pages by three rows, in row order.
  T->Header()->Columns()->Add()->SetWidth(250);
  T->Header()->Columns()->Add()->SetWidth(200);
  T->Print(Prn.get(), false);
  EXPECT_EQ(LastJob().Pages.size(), 9u);
  ExpectPagesShow(Reference(false).get(), 3);
  // A nil printer prints nothing.
  size_t jobs = PrintedJobs().size();
  T->Print(nullptr, true);
  EXPECT_EQ(PrintedJobs().size(), jobs);
}

TEST_F(LazyTrees_qn_Print, TheHeaderOnlyOnTheFirstRowAndNoSelectionOrFocus) {
  AddColumns({180, 150});
  T->SetRootNodeCount(30);
  T->SetSelected(T->GetFirst()->NextSibling, true);
  T->SetFocusedNode(T->GetFirst()->NextSibling);
  T->Colors()->SetFocusedSelectionColor(clRed);
  T->Header()->Columns()->Items(1)->SetColor(clYellow);
  T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + TVTPaintOptions{toShowVertGridLines});
  // Hidden header: no header and no room for it.
  T->Print(Prn.get(), true);
  ExpectPagesShow(Reference(false).get(), 2);
  T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
  Application->ProcessMessages();
  T->Print(Prn.get(), true);
  TPrintedJob job = LastJob();
  ASSERT_EQ(job.Pages.size(), 4u);
  ExpectPagesShow(Reference(true).get(), 2);
  EXPECT_EQ(T->Color(), clWindow);
  EXPECT_EQ(T->UpdateCount(), 0u);
}

TEST_F(LazyTrees_qn_Print, ALongTreeOnACoarsePrinterAndAFailureMidway) {
  TPrinterConfig c;
  c.Name = u"Coarse printer";
  c.PaperWidth = 100;
  c.PaperHeight = 150;
  c.Dpi = 12;
  c.Margin = 0;
  AddPrinter(c);
  SetDefaultPrinterW(c.Name.c_str());
  TPrinter coarse;
  AddColumns({150});
  T->SetDefaultNodeHeight(18);
  T->SetRootNodeCount(20000);
  T->Print(&coarse, true);
  TPrintedJob job = LastJob();
  EXPECT_TRUE(job.Finished);
  EXPECT_FALSE(job.Aborted);
  // Far more pages than one band holds: the picture was never made whole.
  EXPECT_GT(job.Pages.size(), 20u);

  // OnGetText raises on the second page: font, colour and batch come back,
  // the job is closed.
  T->SetRootNodeCount(60);
  String face = T->Font()->Name();
  int calls = 0;
  T->SetOnGetText([&](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TVSTTextType, String& Text) {
    if (N->Index == 45 && ++calls > 0) throw std::runtime_error("host failure");
    Text = u"x";
  });
  EXPECT_THROW(T->Print(Prn.get(), false), std::runtime_error);
  EXPECT_EQ(T->Color(), clWindow);
  EXPECT_EQ(T->Font()->Name(), face);
  EXPECT_EQ(T->UpdateCount(), 0u);
  EXPECT_TRUE(LastJob().Finished);
  EXPECT_TRUE(LastJob().Aborted);
  EXPECT_FALSE(Prn->Printing());
}

TEST_F(LazyTrees_qn_Print, StretchDrawOntoABadDeviceFreesItsBuffers) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(40, 30);
  TCanvas canvas;
  canvas.SetHandle(reinterpret_cast<HDC>(0x5157));
  // Nothing drawn, nothing kept (the leak checker watches the buffers).
  PrtStretchDrawDIB(&canvas, TRect(0, 0, 80, 60), &b);
  canvas.SetHandle(nullptr);
}

}  // namespace

}  // namespace t_lazy_trees_qn_print_test
