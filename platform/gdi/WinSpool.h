// Printers: a table of printers standing in for the spooler, printer DCs,
// documents and pages, and the recording backend that keeps every job.
//
// The table starts with one printer, "Quarn Recording Printer" (the default):
// A4 at 300 dpi, 2480 x 3508 device pixels with 75-pixel margins, so the
// printable area is 2330 x 3358. Tests add others and pick the default.
//
// A printer DC draws only between StartPage and EndPage, onto a white page
// of the printable area (device point (0, 0) is its top-left corner);
// elsewhere drawing fails and the DC only measures, as an information
// context (CreateICW) always does. Every job is kept with its pages,
// compressed: a finished page is held as PNG bytes, or, with QN_PRINT_DIR
// set, only as the file EndPage writes there ("<document>-<n>.png"). What
// is kept is bounded (SetPrintRetention): the oldest pages go first.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace vcl {

constexpr int PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113,
              SCALINGFACTORX = 114, SCALINGFACTORY = 115;
constexpr int DT_PLOTTER = 0, DT_RASPRINTER = 2;
constexpr int SP_ERROR = -1;

constexpr DWORD DM_ORIENTATION = 0x00000001, DM_PAPERSIZE = 0x00000002, DM_PAPERLENGTH = 0x00000004,
                DM_PAPERWIDTH = 0x00000008, DM_SCALE = 0x00000010, DM_COPIES = 0x00000100,
                DM_DEFAULTSOURCE = 0x00000200, DM_PRINTQUALITY = 0x00000400, DM_COLOR = 0x00000800,
                DM_DUPLEX = 0x00001000, DM_YRESOLUTION = 0x00002000, DM_COLLATE = 0x00008000;
constexpr short DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2;
constexpr short DMPAPER_LETTER = 1, DMPAPER_LEGAL = 5, DMPAPER_A3 = 8, DMPAPER_A4 = 9, DMPAPER_A5 = 11;
constexpr WORD DM_SPECVERSION = 0x0401;

struct DEVMODEW {
  WCHAR dmDeviceName[32] = {};
  WORD dmSpecVersion = DM_SPECVERSION;
  WORD dmDriverVersion = 0;
  WORD dmSize = sizeof(DEVMODEW);
  WORD dmDriverExtra = 0;
  DWORD dmFields = 0;
  short dmOrientation = DMORIENT_PORTRAIT;
  short dmPaperSize = DMPAPER_A4;
  short dmPaperLength = 0;  // tenths of a millimetre
  short dmPaperWidth = 0;
  short dmScale = 100;
  short dmCopies = 1;
  short dmDefaultSource = 0;
  short dmPrintQuality = 0;
  short dmColor = 0;
  short dmDuplex = 0;
  short dmYResolution = 0;
  short dmTTOption = 0;
  short dmCollate = 0;
  WCHAR dmFormName[32] = {};
  WORD dmLogPixels = 0;
  DWORD dmBitsPerPel = 0;
  DWORD dmPelsWidth = 0;
  DWORD dmPelsHeight = 0;
  DWORD dmDisplayFlags = 0;
  DWORD dmDisplayFrequency = 0;
  DWORD dmICMMethod = 0;
  DWORD dmICMIntent = 0;
  DWORD dmMediaType = 0;
  DWORD dmDitherType = 0;
  DWORD dmReserved1 = 0;
  DWORD dmReserved2 = 0;
  DWORD dmPanningWidth = 0;
  DWORD dmPanningHeight = 0;
};

struct DOCINFOW {
  int cbSize = sizeof(DOCINFOW);
  const WCHAR* lpszDocName = nullptr;
  const WCHAR* lpszOutput = nullptr;
  const WCHAR* lpszDatatype = nullptr;
  DWORD fwType = 0;
};

// A printer DC (infoOnly: an information context) for the named printer,
// nullptr or "" meaning the default; a DEVMODEW chooses orientation, copies
// and paper by its dmFields. nullptr for an unknown printer or a page too
// large to hold.
HDC CreatePrinterDC(const WCHAR* device, const DEVMODEW* devMode, bool infoOnly);
bool IsPrinterDC(HDC dc);

// The job id, or SP_ERROR (not a printer DC, an information context, a
// document already open, or a printer set to fail).
int StartDocW(HDC dc, const DOCINFOW* info);
// Each answers a positive value, or SP_ERROR out of order.
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);
// Ends the document as aborted: the pages ended so far are kept.
int AbortDoc(HDC dc);
// The default printer's name; size holds the buffer's length in characters
// and receives the length needed (with the terminating NUL).
bool GetDefaultPrinterW(WCHAR* buffer, DWORD* size);

// The printer table (our own).
struct TPrinterConfig {
  String Name;
  Integer PaperWidth = 2480;  // device pixels, portrait
  Integer PaperHeight = 3508;
  Integer Dpi = 300;
  Integer Margin = 75;  // on every side
  // StartDocW fails on this printer.
  bool FailStartDoc = false;
};
// Adds or replaces by name; raises EArgumentException for an empty name,
// sizes that leave no printable area or pages too large to hold.
void AddPrinter(const TPrinterConfig& config);
bool RemovePrinter(const String& name);
// False for a name not in the table.
bool SetDefaultPrinterW(const WCHAR* name);
String DefaultPrinterName();  // empty without printers
std::vector<String> PrinterNames();
// Back to the one recording printer, as default.
void ResetPrinters();

// The recording backend.
//
// A page as the spooler keeps it: PNG bytes in memory, or only the file
// QN_PRINT_DIR got. Its pixels are decoded when first asked for, into this
// object; PrintedJobs hands out objects of the caller's own, so decoded
// pixels live as long as the caller keeps the page and no longer.
class TPrintedPage {
 public:
  TPrintedPage() = default;
  TPrintedPage(const TPrintedPage&) = delete;
  TPrintedPage& operator=(const TPrintedPage&) = delete;

  Integer Width = 0;
  Integer Height = 0;
  Integer Number = 0;  // 1-based within its job
  std::shared_ptr<const std::vector<Byte>> Png;  // nil when only the file holds the page
  std::string File;  // the file QN_PRINT_DIR got, or empty

  // The bytes the page holds in memory while it is kept.
  size_t KeptBytes() const { return Png ? Png->size() : 0; }
  // 0x00RRGGBB. The first call decodes the page; it raises EFOpenError or
  // EReadError when the file it was left in is gone or damaged.
  uint32_t Pixel(Integer x, Integer y) const {
    if (!FDecoded.load(std::memory_order_acquire)) Decode();
    return FBits[size_t(y) * size_t(Width) + size_t(x)] & 0xFFFFFFu;
  }

 private:
  void Decode() const;
  mutable std::mutex FDecodeLock;
  mutable std::atomic<bool> FDecoded{false};
  mutable std::shared_ptr<const void> FPixels;  // keeps FBits alive
  mutable const uint32_t* FBits = nullptr;      // rows top-down, Width apart
};
struct TPrintedJob {
  Integer JobId = 0;
  String Printer;
  String Document;
  String Output;
  Integer Copies = 1;
  Integer Orientation = DMORIENT_PORTRAIT;
  bool Aborted = false;
  bool Finished = false;  // EndDoc or AbortDoc came
  // Every page ended, kept or dropped since.
  Integer PageCount = 0;
  // The pages still kept, in order; Number tells where each stood.
  std::vector<std::shared_ptr<const TPrintedPage>> Pages;
};
// How much the recording backend keeps over all jobs: at most MaxPages
// pages and MaxBytes bytes of page data in memory (a page left in a
// QN_PRINT_DIR file holds none). A page that would go over either drops the
// oldest pages first; a negative value is no bound, 0 keeps nothing.
struct TPrintRetention {
  Integer MaxPages = 1000;
  Int64 MaxBytes = Int64(256) << 20;
};
void SetPrintRetention(const TPrintRetention& retention);
TPrintRetention PrintRetention();
// What is kept now, and the most page data held at once since the last
// ClearPrintedJobs (the pages being drawn at that moment included).
struct TPrintSpoolUsage {
  Integer Pages = 0;
  Int64 Bytes = 0;
  Int64 PeakBytes = 0;
};
TPrintSpoolUsage PrintSpoolUsage();
std::vector<TPrintedJob> PrintedJobs();
// Forgets every job and the pages kept; the retention stays.
void ClearPrintedJobs();
// Writes page n (1-based) of a job as PNG; raises EArgumentException for a
// job or page that is not there or no longer kept, EFOpenError when the
// page's file is gone, EFCreateError when the file cannot be written.
void SavePrintedPage(Integer jobId, Integer page, const std::string& fileName);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
