// The printer table, printer DCs, documents and pages, and the recording
// backend that keeps every job with its page images.
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiPng.h"
#include "platform/gdi/WinSpool.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

// A page is held whole while it is drawn and kept after it; beyond this many
// pixels (A3 at 600 dpi is about 70 million) a printer is refused.
constexpr Int64 kMaxPagePixels = Int64(80) * 1000 * 1000;

const TPrinterConfig& RecordingPrinter() {
  static const TPrinterConfig c{u"Quarn Recording Printer"};
  return c;
}

struct TSpooler {
  std::mutex Lock;
  std::vector<TPrinterConfig> Printers{RecordingPrinter()};
  String Default = RecordingPrinter().Name;
  std::vector<TPrintedJob> Jobs;
  Integer NextJob = 1;
};

TSpooler& Spooler() {
  static auto* s = new TSpooler;
  return *s;
}

String Upper(const String& s) {
  String r = s;
  for (auto& c : r)
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  return r;
}

// Lock held.
const TPrinterConfig* FindLocked(const String& name) {
  for (const auto& p : Spooler().Printers)
    if (Upper(p.Name) == Upper(name)) return &p;
  return nullptr;
}

TPrintedJob* JobLocked(Integer id) {
  for (auto& j : Spooler().Jobs)
    if (j.JobId == id) return &j;
  return nullptr;
}

// Paper in device pixels for a paper code at a resolution; false for an
// unknown code.
bool PaperPixels(short code, Integer dpi, Integer& w, Integer& h) {
  double mmW, mmH;
  switch (code) {
    case DMPAPER_LETTER: mmW = 215.9; mmH = 279.4; break;
    case DMPAPER_LEGAL: mmW = 215.9; mmH = 355.6; break;
    case DMPAPER_A3: mmW = 297; mmH = 420; break;
    case DMPAPER_A4: mmW = 210; mmH = 297; break;
    case DMPAPER_A5: mmW = 148; mmH = 210; break;
    default: return false;
  }
  w = Integer(mmW * dpi / 25.4 + 0.5);
  h = Integer(mmH * dpi / 25.4 + 0.5);
  return true;
}

bool PageFits(Integer w, Integer h, Integer margin) {
  return w > 2 * margin && h > 2 * margin && margin >= 0 && Int64(w - 2 * margin) * Int64(h - 2 * margin) <= kMaxPagePixels;
}

String SafeFileName(const String& s) {
  String r;
  for (char16_t c : s) r += (c < 32 || c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' ||
                              c == u'"' || c == u'<' || c == u'>' || c == u'|')
                                 ? u'_'
                                 : c;
  return r.empty() ? String(u"document") : r;
}

void WritePage(const TPrintedPage& page, const std::string& file) {
  auto* bits = reinterpret_cast<Byte*>(const_cast<uint32_t*>(page.Pixels.data()));
  auto s = TGdiSurface::Wrap(bits, page.Width, page.Height, NativeInt(page.Width) * 4, nullptr);
  SaveSurfaceToPng(*s, file, true);
}

}  // namespace

namespace gdi {

struct TPrinterDC {
  String Name;
  Integer PaperW = 0, PaperH = 0;  // device pixels as oriented
  Integer Margin = 0;
  Integer Dpi = 300;
  short Orientation = DMORIENT_PORTRAIT;
  short Copies = 1;
  bool InfoOnly = false;
  Integer Job = 0;  // 0: no document open
  String Document;
  bool InPage = false;
  Integer Pages = 0;

  Integer HorzRes() const { return PaperW - 2 * Margin; }
  Integer VertRes() const { return PaperH - 2 * Margin; }

  // A DC deleted with its document open: the job ends as aborted.
  ~TPrinterDC() {
    if (!Job) return;
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    if (TPrintedJob* j = JobLocked(Job)) {
      j->Aborted = true;
      j->Finished = true;
    }
  }
};

int PrinterDeviceCaps(const TPrinterDC& p, int index) {
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASPRINTER;
    case HORZRES: return p.HorzRes();
    case VERTRES: return p.VertRes();
    case HORZSIZE: return Integer((Int64(p.HorzRes()) * 254 / p.Dpi + 5) / 10);
    case VERTSIZE: return Integer((Int64(p.VertRes()) * 254 / p.Dpi + 5) / 10);
    case PHYSICALWIDTH: return p.PaperW;
    case PHYSICALHEIGHT: return p.PaperH;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: return p.Margin;
    case SCALINGFACTORX:
    case SCALINGFACTORY: return 0;
    case LOGPIXELSX:
    case LOGPIXELSY: return p.Dpi;
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case COLORRES: return 24;
    case SIZEPALETTE:
    case NUMRESERVED:
    case SHADEBLENDCAPS: return 0;
    default: return 0;
  }
}

}  // namespace gdi

using gdi::LookupDC;
using gdi::TPrinterDC;

HDC CreatePrinterDC(const WCHAR* device, const DEVMODEW* dm, bool infoOnly) {
  auto p = std::make_shared<TPrinterDC>();
  {
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    String name = device && *device ? String(device) : Spooler().Default;
    const TPrinterConfig* c = FindLocked(name);
    if (!c) return nullptr;
    p->Name = c->Name;
    p->PaperW = c->PaperWidth;
    p->PaperH = c->PaperHeight;
    p->Margin = c->Margin;
    p->Dpi = c->Dpi;
  }
  if (dm) {
    if (dm->dmFields & DM_PAPERSIZE) {
      Integer w, h;
      if (PaperPixels(dm->dmPaperSize, p->Dpi, w, h)) {
        p->PaperW = w;
        p->PaperH = h;
      }
    }
    if ((dm->dmFields & DM_PAPERWIDTH) && dm->dmPaperWidth > 0)
      p->PaperW = Integer(Int64(dm->dmPaperWidth) * p->Dpi / 254);
    if ((dm->dmFields & DM_PAPERLENGTH) && dm->dmPaperLength > 0)
      p->PaperH = Integer(Int64(dm->dmPaperLength) * p->Dpi / 254);
    if ((dm->dmFields & DM_COPIES) && dm->dmCopies > 0) p->Copies = dm->dmCopies;
    if ((dm->dmFields & DM_ORIENTATION) && dm->dmOrientation == DMORIENT_LANDSCAPE) {
      p->Orientation = DMORIENT_LANDSCAPE;
      std::swap(p->PaperW, p->PaperH);
    }
  }
  if (!PageFits(p->PaperW, p->PaperH, p->Margin)) return nullptr;
  p->InfoOnly = infoOnly;
  // A surface DC without a surface: nothing can be drawn until a page starts.
  HDC dc = CreateSurfaceDC(TGdiSurface::Create(1, 1), TPoint(), TRect(0, 0, 1, 1));
  auto d = LookupDC(dc);
  d->Target.reset();
  d->VisRgn.reset();
  d->Printer = std::move(p);
  d->InvalidateClip();
  return dc;
}

bool IsPrinterDC(HDC dc) {
  auto d = LookupDC(dc);
  return d && d->Printer;
}

int StartDocW(HDC dc, const DOCINFOW* info) {
  auto d = LookupDC(dc);
  if (!d || !d->Printer || d->Printer->InfoOnly || d->Printer->Job) return SP_ERROR;
  TPrinterDC& p = *d->Printer;
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  const TPrinterConfig* c = FindLocked(p.Name);
  if (!c || c->FailStartDoc) return SP_ERROR;
  TPrintedJob j;
  j.JobId = Spooler().NextJob++;
  j.Printer = p.Name;
  j.Document = info && info->lpszDocName ? String(info->lpszDocName) : String();
  j.Output = info && info->lpszOutput ? String(info->lpszOutput) : String();
  j.Copies = p.Copies;
  j.Orientation = p.Orientation;
  Spooler().Jobs.push_back(j);
  p.Job = j.JobId;
  p.Document = j.Document;
  p.Pages = 0;
  p.InPage = false;
  return j.JobId;
}

int StartPage(HDC dc) {
  auto d = LookupDC(dc);
  if (!d || !d->Printer || !d->Printer->Job || d->Printer->InPage) return SP_ERROR;
  TPrinterDC& p = *d->Printer;
  auto page = TGdiSurface::Create(p.HorzRes(), p.VertRes());
  std::fill_n(page->Scanline(0), size_t(page->Width) * size_t(page->Height), 0x00FFFFFFu);
  d->Target = std::move(page);
  d->DeviceOrigin = TPoint();
  d->VisRgn.reset();
  d->InvalidateClip();
  p.InPage = true;
  return 1;
}

int EndPage(HDC dc) {
  auto d = LookupDC(dc);
  if (!d || !d->Printer || !d->Printer->InPage) return SP_ERROR;
  TPrinterDC& p = *d->Printer;
  auto page = std::make_shared<TPrintedPage>();
  const TGdiSurface& s = *d->Target;
  page->Width = s.Width;
  page->Height = s.Height;
  page->Pixels.resize(size_t(s.Width) * size_t(s.Height));
  for (Integer y = 0; y < s.Height; ++y) {
    const uint32_t* row = s.Scanline(y);
    uint32_t* out = page->Pixels.data() + size_t(y) * size_t(s.Width);
    for (Integer x = 0; x < s.Width; ++x) out[x] = row[x] & 0x00FFFFFFu;
  }
  d->Target.reset();
  d->InvalidateClip();
  p.InPage = false;
  ++p.Pages;
  {
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    if (TPrintedJob* j = JobLocked(p.Job)) j->Pages.push_back(page);
  }
  if (const char* dir = std::getenv("QN_PRINT_DIR"); dir && *dir) {
    std::filesystem::create_directories(dir);
    std::string file = (std::filesystem::path(dir) / (ToUtf8(SafeFileName(p.Document)) + "-" +
                                                      std::to_string(p.Pages) + ".png"))
                           .string();
    try {
      WritePage(*page, file);
    } catch (const Exception&) {
      return SP_ERROR;  // the page is kept; only its file is missing
    }
  }
  return 1;
}

namespace {

int FinishDoc(HDC dc, bool aborted) {
  auto d = LookupDC(dc);
  if (!d || !d->Printer || !d->Printer->Job) return SP_ERROR;
  TPrinterDC& p = *d->Printer;
  if (p.InPage) {
    if (aborted) {
      // The page under way is dropped; those ended before stay.
      d->Target.reset();
      d->InvalidateClip();
      p.InPage = false;
    } else {
      EndPage(dc);
    }
  }
  {
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    if (TPrintedJob* j = JobLocked(p.Job)) {
      j->Aborted = aborted;
      j->Finished = true;
    }
  }
  p.Job = 0;
  return 1;
}

}  // namespace

int EndDoc(HDC dc) { return FinishDoc(dc, false); }
int AbortDoc(HDC dc) { return FinishDoc(dc, true); }

bool GetDefaultPrinterW(WCHAR* buffer, DWORD* size) {
  if (!size) return false;
  String name = DefaultPrinterName();
  if (name.empty()) return false;
  DWORD need = DWORD(name.size() + 1);
  if (!buffer || *size < need) {
    *size = need;
    return false;
  }
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = 0;
  *size = need;
  return true;
}

void AddPrinter(const TPrinterConfig& config) {
  if (config.Name.empty()) throw EArgumentException(u"A printer needs a name");
  if (config.Dpi <= 0 || !PageFits(config.PaperWidth, config.PaperHeight, config.Margin))
    throw EArgumentException(u"Invalid paper size for printer \"" + config.Name + u"\"");
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  auto& list = Spooler().Printers;
  for (auto& p : list)
    if (Upper(p.Name) == Upper(config.Name)) {
      p = config;
      return;
    }
  list.push_back(config);
  if (Spooler().Default.empty()) Spooler().Default = config.Name;
}

bool RemovePrinter(const String& name) {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  auto& list = Spooler().Printers;
  for (auto it = list.begin(); it != list.end(); ++it)
    if (Upper(it->Name) == Upper(name)) {
      bool wasDefault = Upper(Spooler().Default) == Upper(name);
      list.erase(it);
      if (wasDefault) Spooler().Default = list.empty() ? String() : list.front().Name;
      return true;
    }
  return false;
}

bool SetDefaultPrinterW(const WCHAR* name) {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  const TPrinterConfig* c = name ? FindLocked(name) : nullptr;
  if (!c) return false;
  Spooler().Default = c->Name;
  return true;
}

String DefaultPrinterName() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  return Spooler().Default;
}

std::vector<String> PrinterNames() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  std::vector<String> r;
  for (const auto& p : Spooler().Printers) r.push_back(p.Name);
  return r;
}

void ResetPrinters() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  Spooler().Printers = {RecordingPrinter()};
  Spooler().Default = RecordingPrinter().Name;
}

std::vector<TPrintedJob> PrintedJobs() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  return Spooler().Jobs;
}

void ClearPrintedJobs() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  Spooler().Jobs.clear();
}

void SavePrintedPage(Integer jobId, Integer page, const std::string& fileName) {
  std::shared_ptr<const TPrintedPage> p;
  {
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    TPrintedJob* j = JobLocked(jobId);
    if (!j) throw EArgumentException(Format(u"No printed job %d", {jobId}));
    if (page < 1 || page > Integer(j->Pages.size()))
      throw EArgumentException(Format(u"Job %d has no page %d", {jobId, page}));
    p = j->Pages[size_t(page - 1)];
  }
  WritePage(*p, fileName);
}

}  // namespace vcl
