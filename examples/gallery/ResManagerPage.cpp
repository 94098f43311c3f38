// Gallery page "resmanager": the design-time image manager on a project
// holding the default skin, the button image selected (its row, its
// thumbnail among the others), its preview dragged off-centre on the
// checkerboard, and the DPI controls switched on. Saved as resmanager.png.
#include <filesystem>
#include <string>
#include <vector>

#include "design/DesignUnits.h"
#include "design/frmQuarnResManager.h"
#include "examples/gallery/Gallery.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/ide/DesignPackage.h"
#include "platform/user/WinReg.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Registry.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;
using namespace qn;
namespace fs = std::filesystem;

TLabel* SheetText(TForm* Sheet, Integer X, Integer Y, Integer W, const String& Text, bool Strong = false) {
  auto* l = new TLabel(Sheet);
  l->SetParent(Sheet);
  l->SetAutoSize(false);
  l->SetWordWrap(true);
  l->SetBounds(X, Y, W, 48);
  l->SetCaption(Text);
  l->Font()->SetColor(TColor(0x40302A));
  if (Strong) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  return l;
}

const TColor kBadgeColor = TColor(0x7A5A2E);

// A numbered mark: on the sheet beside a caption, or as a small window of
// its own over the part of the dialog it names.
TPanel* Badge(TWinControl* Parent, Integer X, Integer Y, Integer N) {
  auto* p = new TPanel(Parent);
  p->SetParent(Parent);
  p->SetBevelOuter(bvNone);
  p->SetParentBackground(false);
  p->SetColor(kBadgeColor);
  p->Font()->SetColor(clWhite);
  p->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  p->SetCaption(IntToStr(N));
  p->SetBounds(X, Y, 18, 18);
  return p;
}

TForm* BadgeWindow(const TPoint& Screen, Integer N) {
  auto* f = new TForm(Application);
  f->SetPosition(poDesigned);
  f->SetBorderStyle(bsNone);
  f->SetFormStyle(fsStayOnTop);
  f->SetBounds(Screen.X, Screen.Y, 18, 18);
  Badge(f, 0, 0, N)->SetAlign(alClient);
  return f;
}

}  // namespace

std::vector<std::string> ResManagerPage(const std::string& outDir) {
  SetScreenSize(1200, 900);
  SetVirtualClock(true);
  const std::string path = outDir + "/resmanager.png";

  // A project folder and an install folder with the default skin, as the
  // design package would find them.
  const fs::path work = fs::temp_directory_path() / ("qn_gallery_resmanager_" + std::to_string(::getpid()));
  fs::remove_all(work);
  for (const char* d : {"install", "project", "reg"}) fs::create_directories(work / d);
  SetRegistryFolder((work / "reg").string());
  {
    TRegistry r;
    r.OpenKey(u"Software\\Quarn", true);
    r.WriteString(u"Path21", FromUtf8((work / "install").string()));
  }
  WriteDesignInstallFiles(FromUtf8((work / "install").string()));
  TQuarnResManagerObj()->Reload();
  TIdeServices host;
  RegisterDesignUnits();
  LoadDesignPackage(&host);
  const String unit = FromUtf8((work / "project" / "Unit1.pas").string());
  host.AddProject(FromUtf8((work / "project" / "Demo.dproj").string()), {unit});
  host.OpenFile(unit, true);

  // The sheet: the dialog, and a caption per part.
  auto* sheet = new TForm(Application);
  sheet->SetPosition(poDesigned);
  sheet->SetBorderStyle(bsNone);
  sheet->SetBounds(10, 10, 1080, 780);
  sheet->SetColor(TColor(0xF4F1EE));

  auto* dlg = TCustomForm::Create<TQuarnResManagerForm>(nullptr);
  dlg->SetImageID(u"QuarnButton");
  TQuarnResManagerObj()->SetDesigning(true);
  dlg->SetPosition(poDesigned);
  dlg->SetLeft(30);
  dlg->SetTop(30);
  dlg->Show();
  PumpRounds();
  dlg->qnvdtImageList->SetFocus();
  dlg->chkActiveMoreDPI->SetChecked(true);
  dlg->cbbDPIScale->SetItemIndex(1);
  PumpRounds();

  // Drag the preview up and to the left with the pointer.
  TImage32* im = dlg->ImageControl();
  const TFloatRect at = dlg->ImageLayer()->Location();
  const TPoint from =
      im->ClientToScreen(TPoint(Integer(at.Left + at.Right) / 2, Integer(at.Top + at.Bottom) / 2));
  InputMouseMove(from.X, from.Y);
  InputMouseDown(VK_LBUTTON);
  PumpRounds(1);
  InputMouseMove(from.X - 60, from.Y - 40);
  PumpRounds(1);
  InputMouseMove(from.X - 110, from.Y - 90);
  InputMouseUp(VK_LBUTTON);
  InputMouseMove(from.X + 150, from.Y + 160);
  PumpRounds();

  // Numbered marks on the parts, and their captions below the dialog.
  RECT wr;
  GetWindowRect(dlg->Handle(), &wr);
  const Integer captionTop = wr.Bottom - sheet->Top() + 14;
  TQuarnLazyDrawTree* list = dlg->qnvdtImageList;
  RECT lr;
  GetWindowRect(list->Handle(), &lr);
  TLazyTreeColumn* previewCol = list->Header()->Columns()->Items(2);
  struct Part {
    TPoint At;  // screen
    const Char* Text;
  };
  const Part parts[] = {
      {TPoint(lr.Right - 22, lr.Top + 4), u"List: number, id in bold, thumbnail, size; the selected row in white."},
      {TPoint(lr.Left + 2 + previewCol->Left() + 76, lr.Top + 4),
       u"Thumbnails: small images at their own size, large ones scaled to fit the cell."},
      {dlg->pnl1->ClientToScreen(TPoint(366, 36)), u"DPI Scale: switched on with 150%, for the ids of images added next."},
      {im->ClientToScreen(TPoint(8, 8)), u"Preview: the image at full size on the checkerboard, dragged off-centre."},
  };
  std::vector<TForm*> badges;
  Integer n = 0;
  for (const Part& p : parts) {
    ++n;
    badges.push_back(BadgeWindow(p.At, n));
    const Integer x = 30 + (n - 1) * 262;
    Badge(sheet, x, captionTop, n);
    SheetText(sheet, x + 24, captionTop, 226, p.Text);
  }
  sheet->SetHeight(captionTop + 56);
  sheet->Show();
  for (TForm* b : badges) b->Show();
  // The dialog active, its list focused: the selection in its strong colour.
  dlg->BringToFront();
  SetForegroundWindow(dlg->Handle());
  list->SetFocus();
  PumpRounds();
  sheet->Update();
  dlg->Update();
  SavePng(CutWindows({sheet->Handle(), dlg->Handle()}), path);
  Hold();

  for (TForm* b : badges) delete b;
  delete dlg;
  delete sheet;
  TQuarnResManagerObj()->SetDesigning(false);
  UnloadDesignPackage();
  SetRegistryFolder("");
  TQuarnResManagerObj()->Reload();
  fs::remove_all(work);
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path};
}

}  // namespace gallery
