// Gallery page "design-package": the design host with the Quarn package
// loaded. The palette page it registered (all 72 components in their
// order), a form in design mode with a skinned button selected, the
// inspector's rows for that button (image ids and About with their "..."
// buttons), and the About window that About's "..." opens. Saved as
// design-package.png.
#include <filesystem>
#include <string>
#include <vector>

#include "design/DesignUnits.h"
#include "design/frmAboutQuarn.h"
#include "design/frmQuarnResManager.h"
#include "design/uQnReg.h"
#include "examples/gallery/Gallery.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/ide/DesignPackage.h"
#include "platform/ide/Inspector.h"
#include "platform/user/WinReg.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Registry.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/extended/uQuarnColorButton.h"

namespace gallery {

namespace {

using namespace vcl;
using namespace qn;
namespace fs = std::filesystem;

const TColor kInk = TColor(0x40302A);
const TColor kBadgeColor = TColor(0x7A5A2E);

TLabel* SheetText(TWinControl* Sheet, Integer X, Integer Y, Integer W, const String& Text, bool Strong = false) {
  auto* l = new TLabel(Sheet);
  l->SetParent(Sheet);
  l->SetAutoSize(false);
  l->SetWordWrap(true);
  l->SetBounds(X, Y, W, 34);
  l->SetCaption(Text);
  l->Font()->SetColor(kInk);
  if (Strong) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  return l;
}

// A numbered mark beside a part's caption.
void Badge(TWinControl* Parent, Integer X, Integer Y, Integer N) {
  auto* p = new TPanel(Parent);
  p->SetParent(Parent);
  p->SetBevelOuter(bvNone);
  p->SetParentBackground(false);
  p->SetColor(kBadgeColor);
  p->Font()->SetColor(clWhite);
  p->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  p->SetCaption(IntToStr(N));
  p->SetBounds(X, Y, 18, 18);
}

// The palette page as the host lists it: the classes in registration
// order, column by column.
class TPaletteView : public TCustomControl {
  QN_CLASS(TPaletteView, TCustomControl)
 public:
  explicit TPaletteView(TComponent* AOwner) : TCustomControl(AOwner) {}
  std::vector<TComponentClass> Classes;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetColor(clWindow);
    c->FillRect(ClientRect());
    c->Brush()->SetColor(TColor(0xE8DCCF));
    c->FillRect(TRect(0, 0, Width(), 24));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    c->Font()->SetColor(kInk);
    c->TextOut(8, 4, u"Quarn  (" + IntToStr(Integer(Classes.size())) + u" components)");
    c->Font()->SetStyle(TFontStyles());
    const Integer rows = 24, rowH = 17, colW = (Width() - 6) / 3, top = 30;
    for (size_t i = 0; i < Classes.size(); ++i) {
      const Integer col = Integer(i) / rows, row = Integer(i) % rows;
      const Integer x = 6 + col * colW, y = top + row * rowH;
      c->Font()->SetColor(clGrayText);
      c->TextOut(x, y, IntToStr(Integer(i) + 1));
      c->Font()->SetColor(kInk);
      c->TextOut(x + 22, y, Classes[i]->ClassName());
    }
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

// The inspector's rows as a two-column grid, "..." on the dialog rows.
class TInspectorView : public TCustomControl {
  QN_CLASS(TInspectorView, TCustomControl)
 public:
  explicit TInspectorView(TComponent* AOwner) : TCustomControl(AOwner) {}
  TInspector* Inspector = nullptr;
  String Heading;
  // The grid scrolled so that this row is at the top.
  size_t FirstRow = 0;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetColor(clWindow);
    c->FillRect(ClientRect());
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, Width(), 26));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    c->TextOut(6, 5, Heading);
    c->Font()->SetStyle(TFontStyles());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    const Integer rowH = 19, split = 130, top = 28;
    Integer y = top;
    c->Pen()->SetColor(TColor(0xDDDDDD));
    const auto rows = Inspector->Rows();
    size_t shown = 0;
    for (size_t i = FirstRow; i < rows.size(); ++i) {
      TInspectorRow* row = rows[i];
      if (y + rowH > Height() - 22) break;
      ++shown;
      const bool special = row->TypeName() == u"TQnResID" || row->Name() == u"About";
      c->Brush()->SetColor(special ? TColor(0xF3E6D8) : clWindow);
      c->FillRect(TRect(0, y, Width(), y + rowH));
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      if (row->Attributes().Contains(paSubProperties)) c->TextOut(2, y + 2, u"+");
      c->Font()->SetColor(clWindowText);
      c->TextRect(TRect(14, y, split - 2, y + rowH), 14, y + 2, row->Name());
      c->Font()->SetColor(row->Attributes().Contains(paReadOnly) ? clGrayText : TColor(0x7F2000));
      Integer valueRight = Width() - 4;
      if (row->Attributes().Contains(paDialog)) valueRight -= 18;
      else if (row->Attributes().Contains(paValueList)) valueRight -= 16;
      c->TextRect(TRect(split + 4, y, valueRight, y + rowH), split + 4, y + 2, row->Value());
      c->Font()->SetColor(clWindowText);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      if (row->Attributes().Contains(paDialog)) {
        RECT b{Width() - 20, y + 2, Width() - 3, y + rowH - 2};
        DrawFrameControl(c->Handle(), &b, DFC_BUTTON, DFCS_BUTTONPUSH);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->TextOut(Width() - 16, y + 1, u"...");
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
      } else if (row->Attributes().Contains(paValueList)) {
        RECT b{Width() - 18, y + 2, Width() - 3, y + rowH - 2};
        DrawFrameControl(c->Handle(), &b, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
      }
      c->MoveTo(0, y + rowH - 1);
      c->LineTo(Width(), y + rowH - 1);
      c->MoveTo(split, y);
      c->LineTo(split, y + rowH - 1);
      y += rowH;
    }
    // Where the grid stands, as its scroll bar would tell.
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, Height() - 22, Width(), Height()));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetColor(kInk);
    c->TextOut(6, Height() - 19, u"Rows " + IntToStr(Integer(FirstRow) + 1) + u"\u2013" +
                                     IntToStr(Integer(FirstRow + shown)) + u" of " + IntToStr(Integer(rows.size())) +
                                     u", scrolled to About");
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

// The form being designed: the design grid and the selection's handles.
class TDesignSurface : public TForm {
  QN_CLASS(TDesignSurface, TForm)
 public:
  explicit TDesignSurface(TComponent* AOwner) : TForm(AOwner) {}
  TDesigner* Designer = nullptr;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    for (Integer y = 0; y < ClientHeight(); y += 8)
      for (Integer x = 0; x < ClientWidth(); x += 8) c->SetPixels(x, y, TColor(0x808080));
    if (!Designer) return;
    for (TPersistent* p : Designer->Selection()) {
      auto* ctl = dynamic_cast<TControl*>(p);
      if (!ctl || ctl == this) continue;
      const TRect r = ctl->BoundsRect();
      const Integer xs[3] = {r.Left - 3, (r.Left + r.Right) / 2 - 3, r.Right - 3};
      const Integer ys[3] = {r.Top - 3, (r.Top + r.Bottom) / 2 - 3, r.Bottom - 3};
      c->Brush()->SetColor(clBlack);
      for (Integer i = 0; i < 3; ++i)
        for (Integer j = 0; j < 3; ++j)
          if (i != 1 || j != 1) c->FillRect(TRect(xs[i], ys[j], xs[i] + 6, ys[j] + 6));
    }
  }
};

}  // namespace

std::vector<std::string> DesignPackagePage(const std::string& outDir) {
  SetScreenSize(1320, 1000);
  SetVirtualClock(true);
  const std::string path = outDir + "/design-package.png";

  // An install folder the registry names, as an installed package has.
  const fs::path work = fs::temp_directory_path() / ("qn_gallery_designpkg_" + std::to_string(::getpid()));
  fs::remove_all(work);
  for (const char* d : {"install", "reg"}) fs::create_directories(work / d);
  SetRegistryFolder((work / "reg").string());
  {
    TRegistry r;
    r.OpenKey(kQuarnRegKey, true);
    r.WriteString(u"Path21", FromUtf8((work / "install").string()));
  }
  WriteDesignInstallFiles(FromUtf8((work / "install").string()));
  TIdeServices host;
  RegisterDesignUnits();
  LoadDesignPackage(&host);

  auto* sheet = new TForm(Application);
  sheet->SetPosition(poDesigned);
  sheet->SetBorderStyle(bsNone);
  sheet->SetBounds(10, 10, 1290, 904);
  sheet->SetColor(TColor(0xF4F1EE));

  const Integer capY = 20;
  Badge(sheet, 20, capY, 1);
  SheetText(sheet, 44, capY, 400, u"Palette page \"Quarn\": the 72 components in their registration order.");
  Badge(sheet, 526, capY, 2);
  SheetText(sheet, 550, capY, 300, u"Form1 in design mode, the skinned QuarnColorButton1 selected.");
  Badge(sheet, 870, capY, 3);
  SheetText(sheet, 894, capY, 380,
            u"Inspector rows of QuarnColorButton1: image ids and About (shaded) open dialogs with \"...\".");

  auto* palette = new TPaletteView(sheet);
  palette->SetParent(sheet);
  palette->SetBounds(20, 60, 486, 444);
  palette->Classes = PaletteClasses(kQuarnPalettePage);

  // The designed form, with a skinned panel and button on it.
  auto* designed = new TDesignSurface(Application);
  designed->SetName(u"Form1");
  designed->SetPosition(poDesigned);
  designed->SetCaption(u"Form1");
  designed->SetColor(TColor(0xFAF7F4));
  designed->SetBounds(526, 70, 330, 260);
  auto* designer = new TDesigner(designed);
  designed->Designer = designer;
  auto* panel = static_cast<TQuarnPanel*>(
      designer->CreateComponent(TQuarnPanel::StaticClass(), nullptr, TRect(16, 16, 298, 96)));
  panel->SetCaption(u"QuarnPanel1");
  panel->SetCaptionVisible(true);
  auto* button = static_cast<TQuarnColorButton*>(
      designer->CreateComponent(TQuarnColorButton::StaticClass(), nullptr, TRect(100, 140, 220, 172)));
  button->SetCaption(u"Start");
  TInspector inspector(designer);
  inspector.Select({button});

  auto* window = new TForm(Application);
  window->SetPosition(poDesigned);
  window->SetBorderStyle(bsToolWindow);
  window->SetCaption(u"Object Inspector");
  window->SetBounds(880, 70, 390, 820);
  auto* view = new TInspectorView(window);
  view->SetParent(window);
  view->SetAlign(alClient);
  view->Inspector = &inspector;
  view->Heading = button->Name() + u": " + button->ClassName();
  const auto rows = inspector.Rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i]->Name() == u"About") view->FirstRow = i > 2 ? i - 2 : 0;

  const Integer aboutCapY = 534;
  Badge(sheet, 20, aboutCapY, 4);
  SheetText(sheet, 44, aboutCapY, 800,
            u"The About window, from the About row's \"...\": 600 x 335, borderless, closed by its Close button.");
  auto* about = TCustomForm::Create<TAbountQuarnForm>(Application);
  about->SetPosition(poDesigned);
  about->SetLeft(40);
  about->SetTop(10 + aboutCapY + 34);

  sheet->Show();
  designed->Show();
  window->Show();
  about->Show();
  PumpRounds();
  sheet->Update();
  designed->Update();
  window->Update();
  about->Update();
  SavePng(CutWindows({sheet->Handle(), designed->Handle(), window->Handle(), about->Handle()}), path);
  Hold();

  delete about;
  delete window;
  delete designer;
  delete designed;
  delete sheet;
  UnloadDesignPackage();
  SetRegistryFolder("");
  fs::remove_all(work);
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path};
}

}  // namespace gallery
