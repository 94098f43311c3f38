// The Printers unit: TPrinter over the host's printers (platform/gdi/WinSpool.h).
//
// The canvas draws on the printer's DC; its fonts count points at the
// printer's resolution (PixelsPerInch = LOGPIXELSY), so a font assigned from
// a screen canvas keeps its point size and grows in pixels. Before BeginDoc
// the canvas only measures. A printing error leaves the printer consistent:
// a document that cannot start raises EPrinter with Printing False, and
// Abort keeps the pages ended so far, marked aborted.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/Strings.h"
#include "platform/gdi/WinSpool.h"
#include "platform/vcl/Canvas.h"

namespace vcl {

QN_EXCEPTION(EPrinter, Exception)

enum class TPrinterOrientation : Byte { poPortrait, poLandscape };
enum class TPrinterCapability : Byte { pcCopies, pcOrientation, pcCollation };
using TPrinterCapabilities = TSet<TPrinterCapability>;

class TPrinter;

// The printer's canvas: its DC is the printer's.
class TPrinterCanvas : public TCanvas {
  QN_CLASS(TPrinterCanvas, TCanvas)
 public:
  explicit TPrinterCanvas(TPrinter* APrinter);
  // Drops the DC (the printer is changing it) and reselects on the next use.
  void UpdateFont();
  void ReleaseHandle();

 protected:
  void CreateHandle() override;

 private:
  TPrinter* FPrinter;
};

class TPrinter : public TObject {
  QN_CLASS(TPrinter, TObject)
 public:
  TPrinter();
  ~TPrinter() override;

  // Raises EPrinter "Printing in progress" while printing, "There is no
  // default printer currently selected" without printers, and a failure to
  // start the document as EPrinter with Printing left False.
  void BeginDoc();
  // Raise EPrinter "Printer is not currently printing" when not printing.
  void EndDoc();
  void NewPage();
  void Abort();

  bool Aborted() const { return FAborted; }
  bool Printing() const { return FPrinting; }
  Integer PageNumber() const { return FPageNumber; }
  // The printable area in device pixels.
  Integer PageWidth();
  Integer PageHeight();
  String Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  Integer Copies() const { return FCopies; }
  void SetCopies(Integer Value);
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value);
  // The printers by name; PrinterIndex -1 is the default printer.
  TStrings* Printers();
  Integer PrinterIndex();
  // Raises EPrinter "Printer selected is not valid" outside -1..Count-1.
  void SetPrinterIndex(Integer Value);
  // The face names the printer can print.
  TStrings* Fonts();
  // The printer's DC (made at need).
  HDC Handle();
  TPrinterCapabilities Capabilities();
  TCanvas* Canvas() { return FCanvas.get(); }

  // The current printer and its settings; SetPrinter selects by device name
  // (EPrinter "Printer selected is not valid" for an unknown one) and takes
  // the orientation and copies a DEVMODEW carries.
  void GetPrinter(String& ADevice, String& ADriver, String& APort, DEVMODEW& ADeviceMode);
  void SetPrinter(const String& ADevice, const String& ADriver, const String& APort, const DEVMODEW* ADeviceMode);

 private:
  friend class TPrinterCanvas;
  void CheckPrinting(bool Value);
  void FreeDC();
  String CurrentName();
  void RefreshPrinters();

  std::unique_ptr<TPrinterCanvas> FCanvas;
  std::unique_ptr<TStringList> FPrinters;
  std::unique_ptr<TStringList> FFonts;
  HDC FDC = nullptr;
  Integer FPrinterIndex = -1;
  String FTitle;
  Integer FCopies = 1;
  TPrinterOrientation FOrientation = TPrinterOrientation::poPortrait;
  bool FPrinting = false;
  bool FAborted = false;
  Integer FPageNumber = 0;
};

// The application's printer, made on first use; SetPrinter replaces it and
// answers the old one, which the caller then owns.
TPrinter* Printer();
TPrinter* SetPrinter(TPrinter* NewPrinter);
// Unit finalisation.
void DonePrinters();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
