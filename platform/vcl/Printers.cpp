#include "platform/vcl/Printers.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/user/User.h"

namespace vcl {

namespace {

TPrinter*& GlobalPrinter() {
  static TPrinter* p = nullptr;
  return p;
}

}  // namespace

// ---------------------------------------------------------------------------
// TPrinterCanvas

TPrinterCanvas::TPrinterCanvas(TPrinter* APrinter) : FPrinter(APrinter) { UpdateFont(); }

void TPrinterCanvas::UpdateFont() {
  // Points at the printer's resolution; an assigned font keeps its size in points.
  HDC dc = FPrinter->Handle();
  Integer ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (ppi > 0 && ppi != Font()->PixelsPerInch()) {
    Integer size = Font()->Size();
    Font()->SetPixelsPerInch(ppi);
    Font()->SetSize(size);
  }
}

void TPrinterCanvas::ReleaseHandle() {
  if (FHandle) SetHandle(nullptr);
}

void TPrinterCanvas::CreateHandle() {
  UpdateFont();
  SetHandle(FPrinter->Handle());
}

// ---------------------------------------------------------------------------
// TPrinter

TPrinter::TPrinter() : FPrinters(new TStringList), FFonts(new TStringList) {
  FCanvas.reset(new TPrinterCanvas(this));
}

TPrinter::~TPrinter() {
  if (FPrinting) {
    AbortDoc(FDC);
    FPrinting = false;
  }
  FCanvas.reset();
  FreeDC();
}

void TPrinter::CheckPrinting(bool Value) {
  if (FPrinting == Value) return;
  throw EPrinter(Value ? u"Printer is not currently printing" : u"Printing in progress");
}

void TPrinter::FreeDC() {
  if (FCanvas) FCanvas->ReleaseHandle();
  if (FDC) DeleteDC(FDC);
  FDC = nullptr;
}

void TPrinter::RefreshPrinters() {
  FPrinters->Clear();
  for (const String& n : PrinterNames()) FPrinters->Add(n);
}

String TPrinter::CurrentName() {
  RefreshPrinters();
  if (FPrinters->Count() == 0) throw EPrinter(u"There is no default printer currently selected");
  if (FPrinterIndex >= FPrinters->Count()) FPrinterIndex = -1;  // the printer went away
  if (FPrinterIndex >= 0) return FPrinters->Strings(FPrinterIndex);
  String def = DefaultPrinterName();
  if (def.empty()) throw EPrinter(u"There is no default printer currently selected");
  return def;
}

HDC TPrinter::Handle() {
  if (!FDC) {
    String name;
    try {
      name = CurrentName();
    } catch (const EPrinter&) {
      return nullptr;
    }
    DEVMODEW dm;
    dm.dmFields = DM_ORIENTATION | DM_COPIES;
    dm.dmOrientation = FOrientation == TPrinterOrientation::poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    dm.dmCopies = short(std::clamp(FCopies, 1, 32767));
    FDC = CreateDCW(u"WINSPOOL", name.c_str(), nullptr, &dm);
  }
  return FDC;
}

void TPrinter::BeginDoc() {
  CheckPrinting(false);
  CurrentName();  // raises without printers
  HDC dc = Handle();
  if (!dc) throw EPrinter(u"Printer selected is not valid");
  DOCINFOW di;
  di.lpszDocName = FTitle.c_str();
  if (StartDocW(dc, &di) <= 0) throw EPrinter(u"Printing could not be started on \"" + CurrentName() + u"\"");
  if (StartPage(dc) <= 0) {
    AbortDoc(dc);
    throw EPrinter(u"Printing could not be started on \"" + CurrentName() + u"\"");
  }
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
  FCanvas->Refresh();
}

void TPrinter::EndDoc() {
  CheckPrinting(true);
  EndPage(FDC);
  ::vcl::EndDoc(FDC);
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
  FCanvas->Refresh();
}

void TPrinter::NewPage() {
  CheckPrinting(true);
  EndPage(FDC);
  StartPage(FDC);
  ++FPageNumber;
  // A new page starts with the DC's objects to be chosen again.
  FCanvas->Refresh();
}

void TPrinter::Abort() {
  CheckPrinting(true);
  AbortDoc(FDC);
  FAborted = true;
  FPrinting = false;
  FPageNumber = 0;
  FCanvas->Refresh();
}

Integer TPrinter::PageWidth() {
  HDC dc = Handle();
  if (!dc) throw EPrinter(u"There is no default printer currently selected");
  return GetDeviceCaps(dc, HORZRES);
}

Integer TPrinter::PageHeight() {
  HDC dc = Handle();
  if (!dc) throw EPrinter(u"There is no default printer currently selected");
  return GetDeviceCaps(dc, VERTRES);
}

void TPrinter::SetCopies(Integer Value) {
  CheckPrinting(false);
  if (Value < 1) throw EPrinter(Format(u"Invalid number of copies: %d", {Value}));
  if (Value == FCopies) return;
  FCopies = Value;
  FreeDC();
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
  CheckPrinting(false);
  if (Value == FOrientation) return;
  FOrientation = Value;
  FreeDC();
  FCanvas->UpdateFont();
}

TStrings* TPrinter::Printers() {
  RefreshPrinters();
  return FPrinters.get();
}

Integer TPrinter::PrinterIndex() {
  RefreshPrinters();
  if (FPrinterIndex >= FPrinters->Count()) FPrinterIndex = -1;
  if (FPrinterIndex >= 0) return FPrinterIndex;
  return FPrinters->IndexOf(DefaultPrinterName());
}

void TPrinter::SetPrinterIndex(Integer Value) {
  CheckPrinting(false);
  RefreshPrinters();
  if (Value < -1 || Value >= FPrinters->Count()) throw EPrinter(u"Printer selected is not valid");
  FPrinterIndex = Value;
  FreeDC();
  FCanvas->UpdateFont();
}

TStrings* TPrinter::Fonts() {
  // The faces the font mapping resolves to the installed families.
  if (FFonts->Count() == 0)
    for (const char16_t* f : {u"Arial", u"Courier New", u"Georgia", u"Segoe UI", u"Tahoma", u"Times New Roman",
                              u"Verdana"})
      FFonts->Add(f);
  return FFonts.get();
}

TPrinterCapabilities TPrinter::Capabilities() {
  return TPrinterCapabilities{TPrinterCapability::pcCopies, TPrinterCapability::pcOrientation};
}

void TPrinter::GetPrinter(String& ADevice, String& ADriver, String& APort, DEVMODEW& ADeviceMode) {
  ADevice = CurrentName();
  ADriver = u"WINSPOOL";
  APort = String();
  ADeviceMode = DEVMODEW();
  size_t n = std::min<size_t>(ADevice.size(), 31);
  std::copy_n(ADevice.begin(), n, ADeviceMode.dmDeviceName);
  ADeviceMode.dmFields = DM_ORIENTATION | DM_COPIES | DM_PAPERSIZE;
  ADeviceMode.dmOrientation =
      FOrientation == TPrinterOrientation::poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  ADeviceMode.dmCopies = short(std::clamp(FCopies, 1, 32767));
}

void TPrinter::SetPrinter(const String& ADevice, const String&, const String&, const DEVMODEW* ADeviceMode) {
  CheckPrinting(false);
  RefreshPrinters();
  Integer i = FPrinters->IndexOf(ADevice);
  if (i < 0) throw EPrinter(u"Printer selected is not valid");
  FPrinterIndex = i;
  if (ADeviceMode) {
    if ((ADeviceMode->dmFields & DM_ORIENTATION))
      FOrientation = ADeviceMode->dmOrientation == DMORIENT_LANDSCAPE ? TPrinterOrientation::poLandscape
                                                                      : TPrinterOrientation::poPortrait;
    if ((ADeviceMode->dmFields & DM_COPIES) && ADeviceMode->dmCopies > 0) FCopies = ADeviceMode->dmCopies;
  }
  FreeDC();
  FCanvas->UpdateFont();
}

TPrinter* Printer() {
  if (!GlobalPrinter()) GlobalPrinter() = new TPrinter;
  return GlobalPrinter();
}

TPrinter* SetPrinter(TPrinter* NewPrinter) {
  TPrinter* old = GlobalPrinter();
  GlobalPrinter() = NewPrinter;
  return old;
}

void DonePrinters() {
  delete GlobalPrinter();
  GlobalPrinter() = nullptr;
}

}  // namespace vcl
