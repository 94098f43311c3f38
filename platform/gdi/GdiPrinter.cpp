// The printer table, printer DCs, documents and pages, and the recording
// backend that keeps every job with its page images.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/GdiPng.h"
#include "platform/gdi/WinSpool.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

// A page is held whole while it is drawn; beyond this many pixels (A3 at
// 600 dpi is about 70 million) a printer is refused.
constexpr Int64 kMaxPagePixels = Int64(80) * 1000 * 1000;

const TPrinterConfig& RecordingPrinter() {
  static const TPrinterConfig c{u"Quarn Recording Printer"};
  return c;
}

struct TKeptPage {
  Integer JobId;
  Integer Number;
};

struct TSpooler {
  std::mutex Lock;
  std::vector<TPrinterConfig> Printers{RecordingPrinter()};
  String Default = RecordingPrinter().Name;
  std::vector<TPrintedJob> Jobs;
  Integer NextJob = 1;
  TPrintRetention Retention;
  // Every kept page, oldest first.
  std::deque<TKeptPage> Kept;
  Int64 KeptBytes = 0;
  // Pages being drawn, raw.
  Int64 DrawingBytes = 0;
  Int64 PeakBytes = 0;
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

void NotePeakLocked() {
  TSpooler& sp = Spooler();
  sp.PeakBytes = std::max(sp.PeakBytes, sp.KeptBytes + sp.DrawingBytes);
}

bool OverRetentionLocked() {
  const TSpooler& sp = Spooler();
  return !sp.Kept.empty() && ((sp.Retention.MaxPages >= 0 && Int64(sp.Kept.size()) > sp.Retention.MaxPages) ||
                              (sp.Retention.MaxBytes >= 0 && sp.KeptBytes > sp.Retention.MaxBytes));
}

// Drops the oldest pages until what is kept fits the retention.
void TrimLocked() {
  TSpooler& sp = Spooler();
  while (OverRetentionLocked()) {
    TKeptPage k = sp.Kept.front();
    sp.Kept.pop_front();
    TPrintedJob* j = JobLocked(k.JobId);
    if (!j) continue;
    auto& pages = j->Pages;
    for (auto it = pages.begin(); it != pages.end(); ++it)
      if ((*it)->Number == k.Number) {
        sp.KeptBytes -= Int64((*it)->KeptBytes());
        pages.erase(it);
        break;
      }
  }
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

void WriteBytes(const std::vector<Byte>& bytes, const std::string& file) {
  std::FILE* f = std::fopen(file.c_str(), "wb");
  bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) throw EFCreateError(u"Cannot create file \"" + FromUtf8(file) + u"\"");
}

std::vector<Byte> ReadBytes(const std::string& file) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (!f) throw EFOpenError(u"Cannot open file \"" + FromUtf8(file) + u"\"");
  std::vector<Byte> bytes;
  Byte buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw EFOpenError(u"Cannot read file \"" + FromUtf8(file) + u"\"");
  return bytes;
}

// A page of the caller's own over the same kept data, not yet decoded.
std::shared_ptr<const TPrintedPage> CallerCopy(const TPrintedPage& p) {
  auto c = std::make_shared<TPrintedPage>();
  c->Width = p.Width;
  c->Height = p.Height;
  c->Number = p.Number;
  c->Png = p.Png;
  c->File = p.File;
  return c;
}

}  // namespace

void TPrintedPage::Decode() const {
  std::lock_guard<std::mutex> lk(FDecodeLock);
  if (FDecoded.load(std::memory_order_relaxed)) return;
  TGdiSurfacePtr s;
  if (Png) {
    s = LoadSurfaceFromPngData(Png->data(), Png->size());
  } else {
    std::vector<Byte> bytes = ReadBytes(File);
    s = LoadSurfaceFromPngData(bytes.data(), bytes.size());
  }
  if (s->Width != Width || s->Height != Height || s->Stride != NativeInt(Width) * 4)
    throw EReadError(u"The printed page does not match its record");
  FBits = s->Scanline(0);
  FPixels = s;
  FDecoded.store(true, std::memory_order_release);
}

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

  // Sets whether a page is being drawn, and counts its pixels as held.
  void SetInPage(bool value) {
    if (value == InPage) return;
    InPage = value;
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    Spooler().DrawingBytes += (value ? 1 : -1) * Int64(HorzRes()) * Int64(VertRes()) * 4;
    NotePeakLocked();
  }

  // A DC deleted with its document open: the job ends as aborted.
  ~TPrinterDC() {
    SetInPage(false);
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
  p.SetInPage(true);
  return 1;
}

int EndPage(HDC dc) {
  auto d = LookupDC(dc);
  if (!d || !d->Printer || !d->Printer->InPage) return SP_ERROR;
  TPrinterDC& p = *d->Printer;
  // The page leaves its raw pixels here: only the PNG, or the file, stays.
  auto page = std::make_shared<TPrintedPage>();
  page->Width = d->Target->Width;
  page->Height = d->Target->Height;
  std::vector<Byte> png;
  try {
    png = EncodeSurfaceToPngRgb(*d->Target);
  } catch (const Exception&) {
    png.clear();
  }
  d->Target.reset();
  d->InvalidateClip();
  p.SetInPage(false);
  page->Number = ++p.Pages;
  if (png.empty()) return SP_ERROR;  // out of memory: the page is lost
  int result = 1;
  if (const char* dir = std::getenv("QN_PRINT_DIR"); dir && *dir) {
    std::string file = (std::filesystem::path(dir) / (ToUtf8(SafeFileName(p.Document)) + "-" +
                                                      std::to_string(p.Pages) + ".png"))
                           .string();
    try {
      std::error_code ec;
      std::filesystem::create_directories(dir, ec);
      WriteBytes(png, file);
      page->File = file;
    } catch (const Exception&) {
      result = SP_ERROR;  // the page is kept; only its file is missing
    }
  }
  if (page->File.empty()) page->Png = std::make_shared<const std::vector<Byte>>(std::move(png));
  {
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    TSpooler& sp = Spooler();
    if (TPrintedJob* j = JobLocked(p.Job)) {
      j->PageCount = page->Number;
      j->Pages.push_back(page);
      sp.Kept.push_back({j->JobId, page->Number});
      sp.KeptBytes += Int64(page->KeptBytes());
      NotePeakLocked();
      TrimLocked();
    }
  }
  return result;
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
      p.SetInPage(false);
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

void SetPrintRetention(const TPrintRetention& retention) {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  Spooler().Retention = retention;
  TrimLocked();
}

TPrintRetention PrintRetention() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  return Spooler().Retention;
}

TPrintSpoolUsage PrintSpoolUsage() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  const TSpooler& sp = Spooler();
  return {Integer(sp.Kept.size()), sp.KeptBytes, sp.PeakBytes};
}

std::vector<TPrintedJob> PrintedJobs() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  std::vector<TPrintedJob> jobs = Spooler().Jobs;
  for (auto& j : jobs)
    for (auto& page : j.Pages) page = CallerCopy(*page);
  return jobs;
}

void ClearPrintedJobs() {
  std::lock_guard<std::mutex> lk(Spooler().Lock);
  TSpooler& sp = Spooler();
  sp.Jobs.clear();
  sp.Kept.clear();
  sp.KeptBytes = 0;
  sp.PeakBytes = sp.DrawingBytes;
}

void SavePrintedPage(Integer jobId, Integer page, const std::string& fileName) {
  std::shared_ptr<const TPrintedPage> p;
  {
    std::lock_guard<std::mutex> lk(Spooler().Lock);
    TPrintedJob* j = JobLocked(jobId);
    if (!j) throw EArgumentException(Format(u"No printed job %d", {jobId}));
    if (page < 1 || page > j->PageCount) throw EArgumentException(Format(u"Job %d has no page %d", {jobId, page}));
    for (const auto& k : j->Pages)
      if (k->Number == page) p = k;
    if (!p) throw EArgumentException(Format(u"Page %d of job %d is no longer kept", {page, jobId}));
  }
  if (p->Png) {
    WriteBytes(*p->Png, fileName);
    return;
  }
  std::error_code ec;
  if (std::filesystem::equivalent(p->File, fileName, ec)) return;
  WriteBytes(ReadBytes(p->File), fileName);
}

}  // namespace vcl
