// The tree scrolling sheet: real trees on a form with their native scroll
// bars: one scrolled both ways, one with a fixed column beside scrolled
// ones, a fitting tree whose bars stay (disabled) with AlwaysVisible, and
// the three wheel-panning markers over the trees that show them. Shared by
// the gallery page and its golden-image test.
#pragma once

#include <memory>
#include <vector>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"

namespace gallery {

// A showcase tree that can start and stop wheel panning for the picture.
class TScrollDemoTree : public TShowcaseTree {
  QN_CLASS(TScrollDemoTree, TShowcaseTree)
 public:
  explicit TScrollDemoTree(vcl::TComponent* AOwner) : TShowcaseTree(AOwner) {}
  void Pan(vcl::TPoint At) {
    FLastClickPos = At;
    StartWheelPanning(At);
  }
  void EndPan() { StopWheelPanning(); }
};

class TTreeScrollSheet {
 public:
  static constexpr int kWidth = 900, kHeight = 560;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, kWidth, kHeight);

    // --- Scrolled both ways
    SheetHeading(c, 16, 12, u"Scrolled both ways, with the native bars");
    auto* both = NewTree(form.get(), TRect(16, 36, 436, 296));
    AddColumns(both, {{u"Name", 200}, {u"Kind", 130}, {u"Size", 80}, {u"Modified", 150}});
    Fill(both, 9, 6);

    // --- Fixed column
    SheetHeading(c, 464, 12, u"A fixed column beside scrolled ones");
    auto* fixed = NewTree(form.get(), TRect(464, 36, 884, 296));
    AddColumns(fixed, {{u"Name", 150}, {u"Kind", 130}, {u"Size", 80}, {u"Modified", 150}, {u"Owner", 110}});
    auto* first = fixed->Header()->Columns()->Items(0);
    first->SetOptions(first->Options() + TVTColumnOptions{coFixed});
    first->SetColor(TColor(RGB(250, 246, 236)));
    first->SetOptions(first->Options() - TVTColumnOptions{coParentColor});
    Fill(fixed, 9, 6);
    SheetLabel(c, 464, 302, u"Name stays put while the other columns scroll by 170");

    // --- Fitting, AlwaysVisible
    SheetHeading(c, 16, 336, u"Fits: AlwaysVisible keeps the bars, disabled");
    auto* fits = NewTree(form.get(), TRect(16, 360, 316, 500));
    AddColumns(fits, {{u"Name", 150}, {u"Kind", 110}});
    fits->ScrollBarOptions()->SetAlwaysVisible(true);
    Fill(fits, 3, 0);
    SheetLabel(c, 16, 506, u"three rows, two columns: nothing to scroll");

    // --- Panning markers
    SheetHeading(c, 340, 336, u"Wheel panning: where the view can go");
    auto* all = NewTree(form.get(), TRect(340, 360, 510, 500));
    AddColumns(all, {{u"Name", 160}, {u"Kind", 120}});
    Fill(all, 9, 6);
    auto* ew = NewTree(form.get(), TRect(527, 360, 697, 500));
    AddColumns(ew, {{u"Name", 160}, {u"Kind", 120}});
    Fill(ew, 3, 0);
    auto* ns = NewTree(form.get(), TRect(714, 360, 884, 500));
    Fill(ns, 9, 6);
    SheetLabel(c, 340, 506, u"both ways");
    SheetLabel(c, 527, 506, u"sideways only");
    SheetLabel(c, 714, 506, u"up and down only");

    form->Show();
    Application->ProcessMessages();
    both->SetOffsetXY(TPoint(-90, -150));
    SheetLabel(c, 16, 302,
               u"OffsetX " + IntToStr(both->OffsetX()) + u", OffsetY " + IntToStr(both->OffsetY()) + u" over a " +
                   IntToStr(both->RangeX()) + u" x " + IntToStr(both->RangeY()) + u" canvas");
    fixed->SetOffsetXY(TPoint(-170, -60));
    for (auto* t : {all, ew, ns}) t->Pan(TPoint(t->ClientWidth() / 2, t->ClientHeight() / 2));
    PumpRounds(2);
    HDC sdc = c->Handle();
    for (auto* t : {both, fixed, fits, all, ew, ns}) BlitImage(sdc, CutWindows({t->Handle()}), t->Left(), t->Top());
    for (auto* t : {all, ew, ns}) t->EndPan();
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  struct TColumnSpec {
    const char16_t* Text;
    vcl::Integer Width;
  };

  static TScrollDemoTree* NewTree(vcl::TForm* form, const vcl::TRect& r) {
    using namespace vcl;
    using namespace qn;
    auto* t = new TScrollDemoTree(form);
    t->SetParent(form);
    t->SetBoundsRect(r);
    t->SetColor(clWhite);
    t->Font()->SetName(u"DejaVu Sans");
    t->Font()->SetSize(9);
    t->Font()->SetColor(TColor(RGB(30, 36, 46)));
    t->Header()->Font()->SetName(u"DejaVu Sans");
    t->Header()->Font()->SetSize(8);
    t->Colors()->SetTreeLineColor(TColor(RGB(150, 160, 175)));
    t->Colors()->SetGridLineColor(TColor(RGB(226, 230, 237)));
    TVTPaintOptions po = t->TreeOptions()->PaintOptions();
    po += TVTPaintOptions{toShowHorzGridLines, toShowVertGridLines};
    t->TreeOptions()->SetPaintOptions(po);
    return t;
  }

  static void AddColumns(TScrollDemoTree* t, std::initializer_list<TColumnSpec> specs) {
    using namespace qn;
    for (const TColumnSpec& s : specs) {
      TLazyTreeColumn* col = t->Header()->Columns()->Add();
      col->SetText(s.Text);
      col->SetWidth(s.Width);
      if (vcl::String(s.Text) == u"Size") col->SetAlignment(vcl::taRightJustify);
    }
    t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible});
  }

  // Folders of files: Folders top-level nodes, the first Expanded of them
  // open with seven files each.
  static void Fill(TScrollDemoTree* t, int Folders, int Expanded) {
    using namespace vcl;
    using namespace qn;
    t->SetRootNodeCount(Cardinal(Folders));
    int i = 0;
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n), ++i) {
      t->SetChildCount(n, 7);
      if (i < Expanded) t->SetExpanded(n, true);
    }
    t->Caption = [t](PLazyNode N, TColumnIndex Column) -> String {
      static const char16_t* folders[] = {u"Project", u"Documents", u"Pictures", u"Music", u"Videos",
                                          u"Downloads", u"Archive", u"Reports", u"Templates"};
      static const char16_t* files[] = {u"overview.txt", u"budget.xlsx", u"photo_0142.jpg", u"notes.md",
                                        u"scroll.cpp", u"sketch.svg", u"readme.txt"};
      static const char16_t* kinds[] = {u"Text file", u"Spreadsheet", u"JPEG image", u"Markdown", u"C++ source",
                                        u"Vector image", u"Text file"};
      bool folder = t->GetNodeLevel(N) == 0;
      Cardinal k = N->Index % 7;
      switch (Column) {
        case 1: return folder ? String(u"Folder") : String(kinds[k]);
        case 2: return folder ? String() : IntToStr(Integer(3 + (N->Index * 37 + N->Parent->Index * 11) % 900)) + u" KB";
        case 3: return u"2026-0" + IntToStr(Integer(1 + (N->Index + N->Parent->Index) % 9)) + u"-1" +
                       IntToStr(Integer(N->Index % 10)) + u" 09:" + IntToStr(Integer(10 + N->Index * 7 % 50));
        case 4: return folder ? String(u"team") : String(N->Index % 2 ? u"ana" : u"lee");
        default: return folder ? String(folders[N->Index % 9]) : String(files[k]);
      }
    };
  }
};

}  // namespace gallery
