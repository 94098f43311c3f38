// Printing: the printer table and DCs, documents and their recorded pages,
// and TPrinter over them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/gdi/GdiPng.h"
#include "platform/gdi/WinSpool.h"
#include "platform/user/User.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Printers.h"
#include "tests/common/TestSupport.h"

namespace t_printer_test {

namespace {

using namespace vcl;

class Platform_Printer : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPrinters();
    ClearPrintedJobs();
  }
  void TearDown() override {
    ResetPrinters();
    SetPrintRetention(TPrintRetention());
    ClearPrintedJobs();
    unsetenv("QN_PRINT_DIR");
  }
};

// Copies a bitmap to a printer canvas as a device-independent bitmap.
void StretchDrawDIB(TCanvas* canvas, const TRect& dest, TBitmap* bmp) {
  DWORD infoSize = 0, imageSize = 0;
  GetDIBSizes(bmp->Handle(), infoSize, imageSize);
  std::vector<Byte> info(infoSize), bits(imageSize);
  ASSERT_TRUE(GetDIB(bmp->Handle(), bmp->Palette(), info.data(), bits.data()));
  int lines = StretchDIBits(canvas->Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), 0, 0, bmp->Width(),
                            bmp->Height(), bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                            SRCCOPY);
  EXPECT_GT(lines, 0);
}

// The rows of a page that hold any non-white pixel, as [first, last].
std::pair<int, int> InkRows(const TPrintedPage& p, const TRect& area) {
  int first = -1, last = -1;
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x)
      if (p.Pixel(x, y) != 0xFFFFFF) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

TEST_F(Platform_Printer, DeviceCapsOfTheRecordingPrinterAndLandscape) {
  HDC dc = CreateDCW(u"WINSPOOL", nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  struct Cap {
    int Index, Portrait, Landscape;
  };
  const Cap caps[] = {{TECHNOLOGY, DT_RASPRINTER, DT_RASPRINTER},
                      {PHYSICALWIDTH, 2480, 3508},
                      {PHYSICALHEIGHT, 3508, 2480},
                      {PHYSICALOFFSETX, 75, 75},
                      {PHYSICALOFFSETY, 75, 75},
                      {HORZRES, 2330, 3358},
                      {VERTRES, 3358, 2330},
                      {LOGPIXELSX, 300, 300},
                      {LOGPIXELSY, 300, 300},
                      {HORZSIZE, 197, 284},
                      {VERTSIZE, 284, 197},
                      {BITSPIXEL, 24, 24}};
  DEVMODEW dm;
  dm.dmFields = DM_ORIENTATION;
  dm.dmOrientation = DMORIENT_LANDSCAPE;
  HDC land = CreateDCW(nullptr, u"Quarn Recording Printer", nullptr, &dm);
  ASSERT_NE(land, nullptr);
  for (const Cap& c : caps) {
    EXPECT_EQ(GetDeviceCaps(dc, c.Index), c.Portrait) << c.Index;
    EXPECT_EQ(GetDeviceCaps(land, c.Index), c.Landscape) << c.Index;
  }
  EXPECT_TRUE(GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHDIB);
  DeleteDC(land);
  DeleteDC(dc);
  // Paper chosen by code; an unknown printer gives no DC.
  dm.dmFields = DM_PAPERSIZE;
  dm.dmPaperSize = DMPAPER_LETTER;
  dc = CreateICW(u"WINSPOOL", u"quarn recording printer", nullptr, &dm);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 2550);
  EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 3300);
  DeleteDC(dc);
  EXPECT_EQ(CreateDCW(u"WINSPOOL", u"No such printer", nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateDCW(u"BOGUS", nullptr, nullptr, nullptr), nullptr);

  // The same through TPrinter.
  TPrinter p;
  EXPECT_EQ(p.PageWidth(), 2330);
  EXPECT_EQ(p.PageHeight(), 3358);
  p.SetOrientation(TPrinterOrientation::poLandscape);
  EXPECT_EQ(p.PageWidth(), 3358);
  EXPECT_EQ(p.PageHeight(), 2330);
  p.SetTitle(u"Wide");
  p.SetCopies(3);
  p.BeginDoc();
  p.EndDoc();
  auto jobs = PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].Orientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(jobs[0].Copies, 3);
  ASSERT_EQ(jobs[0].Pages.size(), 1u);
  EXPECT_EQ(jobs[0].Pages[0]->Width, 3358);
  EXPECT_EQ(jobs[0].Pages[0]->Height, 2330);
}

TEST_F(Platform_Printer, DrawingGoesToPagesOnlyAndInformationContextsMeasure) {
  HDC ic = CreateICW(nullptr, nullptr, nullptr, nullptr);  // the default printer
  ASSERT_NE(ic, nullptr);
  SIZE sz{};
  EXPECT_TRUE(GetTextExtentPoint32W(ic, u"Measure", 7, &sz));
  EXPECT_GT(sz.cx, 0);
  EXPECT_FALSE(Rectangle(ic, 0, 0, 10, 10));
  DOCINFOW di;
  di.lpszDocName = u"never";
  EXPECT_EQ(StartDocW(ic, &di), SP_ERROR);
  DeleteDC(ic);

  HDC dc = CreateDCW(u"WINSPOOL", nullptr, nullptr, nullptr);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 10, 10, BLACKNESS));  // no page yet
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  di.lpszDocName = u"Raw";
  di.lpszOutput = u"out.prn";
  int job = StartDocW(dc, &di);
  ASSERT_GT(job, 0);
  EXPECT_EQ(StartDocW(dc, &di), SP_ERROR);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 10, 10, BLACKNESS));  // a document but no page
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_TRUE(PatBlt(dc, 10, 20, 30, 40, BLACKNESS));
  ASSERT_GT(EndPage(dc), 0);
  EXPECT_FALSE(PatBlt(dc, 0, 0, 10, 10, BLACKNESS));
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DeleteDC(dc);

  auto jobs = PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0].JobId, job);
  EXPECT_EQ(jobs[0].Document, u"Raw");
  EXPECT_EQ(jobs[0].Output, u"out.prn");
  EXPECT_TRUE(jobs[0].Finished);
  EXPECT_FALSE(jobs[0].Aborted);
  const TPrintedPage& page = *jobs[0].Pages.at(0);
  EXPECT_EQ(page.Pixel(10, 20), 0u);
  EXPECT_EQ(page.Pixel(39, 59), 0u);
  EXPECT_EQ(page.Pixel(40, 59), 0xFFFFFFu);
  EXPECT_EQ(page.Pixel(9, 20), 0xFFFFFFu);
  EXPECT_EQ(page.Pixel(2329, 3357), 0xFFFFFFu);

  // A DC deleted in the middle of a document leaves its job aborted.
  dc = CreateDCW(u"WINSPOOL", nullptr, nullptr, nullptr);
  di.lpszDocName = u"Dropped";
  StartDocW(dc, &di);
  StartPage(dc);
  DeleteDC(dc);
  jobs = PrintedJobs();
  EXPECT_TRUE(jobs.back().Aborted);
  EXPECT_TRUE(jobs.back().Pages.empty());
}

TEST_F(Platform_Printer, TwoPageDocumentWithScaledTextAndAPicture) {
  TPrinter p;
  p.SetTitle(u"Two pages");
  p.BeginDoc();
  EXPECT_TRUE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 1);

  // The printer's text of a screen font is its height times 300 / 96.
  TBitmap screen;
  screen.SetSize(10, 10);
  screen.Canvas()->Font()->SetName(u"Arial");
  screen.Canvas()->Font()->SetSize(12);
  p.Canvas()->Font()->Assign(screen.Canvas()->Font());
  EXPECT_EQ(p.Canvas()->Font()->Size(), 12);
  double ratio = double(p.Canvas()->TextHeight(u"Tj")) / screen.Canvas()->TextHeight(u"Tj");
  EXPECT_NEAR(ratio, 3.125, 0.2);
  p.Canvas()->Brush()->SetStyle(TBrushStyle::bsClear);
  p.Canvas()->TextOut(100, 200, u"Heading");
  int textH = p.Canvas()->TextHeight(u"Heading");

  p.NewPage();
  EXPECT_EQ(p.PageNumber(), 2);
  TBitmap pic;
  pic.SetPixelFormat(TPixelFormat::pf24bit);
  pic.SetSize(40, 30);
  pic.Canvas()->Brush()->SetColor(clRed);
  pic.Canvas()->FillRect(TRect(0, 0, 20, 30));
  pic.Canvas()->Brush()->SetColor(clBlue);
  pic.Canvas()->FillRect(TRect(20, 0, 40, 30));
  StretchDrawDIB(p.Canvas(), TRect(400, 600, 800, 900), &pic);
  p.Canvas()->Pen()->SetWidth(3);
  p.Canvas()->MoveTo(0, 1000);
  p.Canvas()->LineTo(p.PageWidth(), 1000);
  p.EndDoc();
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 0);

  auto jobs = PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  const TPrintedJob& j = jobs[0];
  EXPECT_EQ(j.Document, u"Two pages");
  EXPECT_EQ(j.Printer, u"Quarn Recording Printer");
  EXPECT_FALSE(j.Aborted);
  ASSERT_EQ(j.Pages.size(), 2u);
  // Page 1: ink only in the text's rows, about as high as measured.
  auto rows = InkRows(*j.Pages[0], TRect(0, 0, 2330, 3358));
  EXPECT_GE(rows.first, 200);
  EXPECT_LE(rows.second, 200 + textH);
  EXPECT_GT(rows.second - rows.first, textH / 2);
  // Page 2: the picture fills its rectangle, red then blue; the rule below.
  const TPrintedPage& p2 = *j.Pages[1];
  EXPECT_EQ(p2.Pixel(410, 610), 0xFF0000u);
  EXPECT_EQ(p2.Pixel(590, 890), 0xFF0000u);
  EXPECT_EQ(p2.Pixel(610, 610), 0x0000FFu);
  EXPECT_EQ(p2.Pixel(799, 899), 0x0000FFu);
  EXPECT_EQ(p2.Pixel(399, 700), 0xFFFFFFu);
  EXPECT_EQ(p2.Pixel(800, 700), 0xFFFFFFu);
  EXPECT_EQ(p2.Pixel(600, 900), 0xFFFFFFu);
  EXPECT_EQ(p2.Pixel(1200, 1000), 0u);
  EXPECT_EQ(InkRows(p2, TRect(0, 0, 2330, 600)).first, -1);
}

TEST_F(Platform_Printer, ErrorsLeaveThePrinterConsistent) {
  TPrinter p;
  auto raises = [](auto&& f, const String& msg) {
    try {
      f();
      ADD_FAILURE() << "no exception, expected " << ToUtf8(msg);
    } catch (const EPrinter& e) {
      EXPECT_EQ(e.Message(), msg);
    }
  };
  raises([&] { p.EndDoc(); }, u"Printer is not currently printing");
  raises([&] { p.NewPage(); }, u"Printer is not currently printing");
  raises([&] { p.Abort(); }, u"Printer is not currently printing");
  raises([&] { p.SetPrinterIndex(1); }, u"Printer selected is not valid");
  raises([&] { p.SetPrinterIndex(-2); }, u"Printer selected is not valid");
  EXPECT_EQ(p.PrinterIndex(), 0);
  p.BeginDoc();
  raises([&] { p.BeginDoc(); }, u"Printing in progress");
  raises([&] { p.SetPrinterIndex(0); }, u"Printing in progress");
  EXPECT_EQ(p.PageNumber(), 1);
  // Aborting mid-page keeps the pages ended so far, marked aborted.
  p.Canvas()->Rectangle(0, 0, 50, 50);
  p.NewPage();
  p.Canvas()->Rectangle(0, 0, 50, 50);
  p.Abort();
  EXPECT_TRUE(p.Aborted());
  EXPECT_FALSE(p.Printing());
  auto jobs = PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_TRUE(jobs[0].Aborted);
  EXPECT_EQ(jobs[0].Pages.size(), 1u);
  EXPECT_EQ(jobs[0].Pages[0]->Pixel(0, 0), 0u);
  // It prints again afterwards.
  p.BeginDoc();
  EXPECT_FALSE(p.Aborted());
  p.EndDoc();
  EXPECT_EQ(PrintedJobs().size(), 2u);

  // A printer whose spooler refuses the document.
  TPrinterConfig jammed;
  jammed.Name = u"Jammed";
  jammed.FailStartDoc = true;
  AddPrinter(jammed);
  p.SetPrinterIndex(p.Printers()->IndexOf(u"Jammed"));
  EXPECT_THROW(p.BeginDoc(), EPrinter);
  EXPECT_FALSE(p.Printing());
  EXPECT_EQ(p.PageNumber(), 0);
  raises([&] { p.EndDoc(); }, u"Printer is not currently printing");
  EXPECT_EQ(PrintedJobs().size(), 2u);

  // Without printers.
  RemovePrinter(u"Jammed");
  RemovePrinter(u"Quarn Recording Printer");
  EXPECT_EQ(DefaultPrinterName(), u"");
  TPrinter none;
  raises([&] { none.BeginDoc(); }, u"There is no default printer currently selected");
  EXPECT_FALSE(none.Printing());
  EXPECT_THROW(AddPrinter(TPrinterConfig{u"Tiny", 100, 100, 300, 60}), EArgumentException);
  EXPECT_THROW(AddPrinter(TPrinterConfig{u""}), EArgumentException);
}

TEST_F(Platform_Printer, TableDefaultAndPrintDirectory) {
  TPrinterConfig label{u"Label Printer", 800, 1200, 200, 20};
  AddPrinter(label);
  EXPECT_EQ(PrinterNames(), (std::vector<String>{u"Quarn Recording Printer", u"Label Printer"}));
  EXPECT_FALSE(SetDefaultPrinterW(u"Nobody"));
  ASSERT_TRUE(SetDefaultPrinterW(u"Label Printer"));
  WCHAR buf[64];
  DWORD size = 3;
  EXPECT_FALSE(GetDefaultPrinterW(buf, &size));
  EXPECT_EQ(size, 14u);
  size = 64;
  ASSERT_TRUE(GetDefaultPrinterW(buf, &size));
  EXPECT_EQ(String(buf), u"Label Printer");

  std::string dir = qntest::MakeTempDir("printdir");
  setenv("QN_PRINT_DIR", dir.c_str(), 1);
  TPrinter p;
  EXPECT_EQ(p.PrinterIndex(), 1);
  EXPECT_EQ(p.PageWidth(), 760);
  EXPECT_EQ(p.Canvas()->Font()->PixelsPerInch(), 200);
  p.SetTitle(u"Labels/2");
  p.BeginDoc();
  p.Canvas()->Rectangle(10, 10, 100, 100);
  p.NewPage();
  p.EndDoc();
  for (int n = 1; n <= 2; ++n) {
    std::string f = dir + "/Labels_2-" + std::to_string(n) + ".png";
    ASSERT_TRUE(std::filesystem::exists(f)) << f;
    auto s = LoadSurfaceFromPng(f);
    EXPECT_EQ(s->Width, 760);
    EXPECT_EQ(s->Height, 1160);
  }
  // Saved on demand too; a page that is not there is an error.
  auto jobs = PrintedJobs();
  SavePrintedPage(jobs[0].JobId, 1, dir + "/again.png");
  EXPECT_EQ(LoadSurfaceFromPng(dir + "/again.png")->Pixel(10, 10) & 0xFFFFFF, 0u);
  EXPECT_THROW(SavePrintedPage(jobs[0].JobId, 3, dir + "/x.png"), EArgumentException);
  EXPECT_THROW(SavePrintedPage(9999, 1, dir + "/x.png"), EArgumentException);
  std::filesystem::remove_all(dir);

  // The application's printer can be swapped.
  TPrinter* mine = new TPrinter;
  TPrinter* old = SetPrinter(mine);
  EXPECT_EQ(Printer(), mine);
  delete SetPrinter(old);
}

// The colour of page n of a job printed by PrintPlainJob.
COLORREF PageColour(int job, int n) { return RGB(job * 40, n * 30, 200); }
uint32_t Rgb(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c); }

// A job of pages filled with their own colours, a black square at the
// page's number; its id.
int PrintPlainJob(int job, int pages) {
  HDC dc = CreateDCW(u"WINSPOOL", u"Small", nullptr, nullptr);
  DOCINFOW di;
  String name = u"Job" + IntToStr(job);
  di.lpszDocName = name.c_str();
  int id = StartDocW(dc, &di);
  for (int n = 1; n <= pages; ++n) {
    StartPage(dc);
    HBRUSH b = CreateSolidBrush(PageColour(job, n));
    RECT all(0, 0, 120, 160);
    FillRect(dc, &all, b);
    DeleteObject(b);
    RECT mark(n * 10, 10, n * 10 + 8, 18);
    FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPage(dc);
  }
  EndDoc(dc);
  DeleteDC(dc);
  return id;
}

// Whether the page shows what PrintPlainJob drew on it.
bool ShowsItsPicture(const TPrintedPage& p, int job) {
  int n = p.Number;
  return p.Pixel(0, 0) == Rgb(PageColour(job, n)) && p.Pixel(119, 159) == Rgb(PageColour(job, n)) &&
         p.Pixel(n * 10 + 4, 14) == 0u && p.Pixel(n * 10 + 4, 20) == Rgb(PageColour(job, n));
}

// Finished pages are kept compressed and decoded on demand, and what is kept
// is bounded: the oldest pages, of any job, go first.
TEST_F(Platform_Printer, PagesAreKeptCompressedWithinTheRetentionOldestDroppedFirst) {
  AddPrinter(TPrinterConfig{u"Small", 120, 160, 96, 0});
  constexpr Int64 kRaw = 120 * 160 * 4;
  EXPECT_EQ(PrintRetention().MaxPages, 1000);
  EXPECT_EQ(PrintRetention().MaxBytes, Int64(256) << 20);

  struct Step {
    const char* Name;
    TPrintRetention Retention;
    int NewJobPages;  // 0: none printed, the new retention alone trims
    // Pages kept afterwards, per job (1-based), by number.
    std::vector<std::vector<int>> Kept;
  };
  const Step steps[] = {
      {"the defaults keep everything", {}, 3, {{1, 2, 3}}},
      {"a second job", {}, 2, {{1, 2, 3}, {1, 2}}},
      {"a page bound drops the oldest of every job", {4, -1}, 2, {{}, {1, 2}, {1, 2}}},
      {"a lower bound trims at once", {2, -1}, 0, {{}, {}, {1, 2}}},
      {"a byte bound", {-1, 0}, 0, {{}, {}, {}}},
      {"nothing kept: pages are still counted", {0, 0}, 2, {{}, {}, {}, {}}},
      {"no bound", {-1, -1}, 3, {{}, {}, {}, {}, {1, 2, 3}}},
  };
  std::vector<int> ids;
  std::vector<int> printed;
  for (const Step& st : steps) {
    SCOPED_TRACE(st.Name);
    SetPrintRetention(st.Retention);
    if (st.NewJobPages) {
      ids.push_back(PrintPlainJob(int(ids.size()) + 1, st.NewJobPages));
      printed.push_back(st.NewJobPages);
    }
    auto jobs = PrintedJobs();
    ASSERT_EQ(jobs.size(), st.Kept.size());
    Integer kept = 0;
    Int64 bytes = 0;
    for (size_t j = 0; j < jobs.size(); ++j) {
      EXPECT_EQ(jobs[j].PageCount, printed[j]);
      std::vector<int> numbers;
      for (const auto& page : jobs[j].Pages) {
        numbers.push_back(page->Number);
        EXPECT_TRUE(ShowsItsPicture(*page, int(j) + 1)) << "job " << j + 1 << " page " << page->Number;
        // A plain page compresses far below its raw pixels.
        EXPECT_LT(Int64(page->KeptBytes()) * 20, kRaw);
        bytes += Int64(page->KeptBytes());
        ++kept;
      }
      EXPECT_EQ(numbers, st.Kept[j]) << "job " << j + 1;
    }
    EXPECT_EQ(PrintSpoolUsage().Pages, kept);
    EXPECT_EQ(PrintSpoolUsage().Bytes, bytes);
  }
  // A dropped page cannot be saved; a kept one can, as the PNG it is.
  std::string dir = qntest::MakeTempDir("retention");
  EXPECT_THROW(SavePrintedPage(ids[0], 1, dir + "/gone.png"), EArgumentException);
  EXPECT_THROW(SavePrintedPage(ids[4], 4, dir + "/none.png"), EArgumentException);
  SavePrintedPage(ids[4], 2, dir + "/kept.png");
  EXPECT_EQ(LoadSurfaceFromPng(dir + "/kept.png")->Pixel(5, 5) & 0xFFFFFF, Rgb(PageColour(5, 2)));
  // The most held at once: one page being drawn over a few compressed ones.
  EXPECT_GE(PrintSpoolUsage().PeakBytes, kRaw);
  EXPECT_LT(PrintSpoolUsage().PeakBytes, kRaw + kRaw / 2);

  // Pages written to QN_PRINT_DIR are kept as their files only, read back
  // when asked for; a file removed since leaves the page unreadable.
  ClearPrintedJobs();
  setenv("QN_PRINT_DIR", dir.c_str(), 1);
  int id = PrintPlainJob(2, 2);
  auto jobs = PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  ASSERT_EQ(jobs[0].Pages.size(), 2u);
  EXPECT_EQ(PrintSpoolUsage().Bytes, 0);
  for (const auto& page : jobs[0].Pages) {
    EXPECT_EQ(page->KeptBytes(), 0u);
    EXPECT_EQ(page->File, dir + "/Job2-" + std::to_string(page->Number) + ".png");
    EXPECT_TRUE(ShowsItsPicture(*page, 2));
  }
  SavePrintedPage(id, 1, dir + "/copy.png");
  EXPECT_EQ(LoadSurfaceFromPng(dir + "/copy.png")->Pixel(5, 5) & 0xFFFFFF, Rgb(PageColour(2, 1)));
  std::filesystem::remove(jobs[0].Pages[1]->File);
  EXPECT_THROW(PrintedJobs()[0].Pages[1]->Pixel(0, 0), EFOpenError);
  EXPECT_THROW(SavePrintedPage(id, 2, dir + "/lost.png"), EFOpenError);
  // The copy handed out before keeps what it decoded.
  EXPECT_TRUE(ShowsItsPicture(*jobs[0].Pages[1], 2));
  std::filesystem::remove_all(dir);
}

}  // namespace

}  // namespace t_printer_test
