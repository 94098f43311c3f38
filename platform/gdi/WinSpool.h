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
// context (CreateICW) always does. Every job is kept with its pages; with
// QN_PRINT_DIR set, EndPage also writes the page there as
// "<document>-<n>.png".
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
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
struct TPrintedPage {
  Integer Width = 0;
  Integer Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, rows top-down
  uint32_t Pixel(Integer x, Integer y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)] & 0xFFFFFF; }
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
  std::vector<std::shared_ptr<const TPrintedPage>> Pages;
};
std::vector<TPrintedJob> PrintedJobs();
void ClearPrintedJobs();
// Writes page n (1-based) of a job as PNG; raises EArgumentException for a
// job or page that is not there, EFCreateError when the file cannot be written.
void SavePrintedPage(Integer jobId, Integer page, const std::string& fileName);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
