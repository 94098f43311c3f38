// The skinned trees sheet: a skinned form holding a focused, scrolled string
// tree framed by a border panel with the skin's bars beside and below it,
// and an owner-draw tree of swatches with a vertical bar only. Shared by the
// gallery page and its golden-image test.
#pragma once

#include <functional>
#include <memory>

#include "examples/gallery/SkinnedForm.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Themes.h"
#include "skin/controls/uQuarnLabel.h"
#include "treeview/uQuarnLazyTree.h"

namespace gallery {

class TTreeSkinnedSheet {
 public:
  // Live, when given, runs while the form is still up (the live gallery
  // hands the trees to the person there).
  static vcl::TScreenImage Render(const std::function<void()>& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    SetVirtualClock(true);
    // Theme handles opened before the theme library last changed are stale:
    // the header would fall back to the classic look.
    ThemeServices()->ApplyThemeChange();
    auto form = NewSkinnedForm(TRect(20, 20, 800, 460), u"Skinned trees with the skin's own scroll bars");
    TForm* f = form.get();

    // --- Files: string tree, border panel, both bars
    Heading(f, 20, 14, u"String tree in a border panel, both bars outside it");
    auto* files = Framed<TQuarnLazyStringTree>(f, TRect(20, 40, 460, 330), true, true);
    auto* cols = files->Header()->Columns();
    for (auto [text, width] : {std::pair<const char16_t*, Integer>{u"Name", 190}, {u"Kind", 130}, {u"Size", 80},
                               {u"Modified", 140}}) {
      TLazyTreeColumn* col = cols->Add();
      col->SetText(text);
      col->SetWidth(width);
      if (width == 80) col->SetAlignment(taRightJustify);
    }
    files->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex Column, TVSTTextType, String& Text) {
      static const char16_t* folders[] = {u"Documents", u"Pictures", u"Music", u"Projects", u"Downloads",
                                          u"Archive", u"Desktop", u"Templates"};
      static const char16_t* files[] = {u"report.odt", u"holiday.jpg", u"budget.ods", u"notes.txt",
                                        u"song.ogg", u"tree.cpp", u"sketch.svg"};
      static const char16_t* kinds[] = {u"Document", u"JPEG picture", u"Spreadsheet", u"Plain text",
                                        u"Ogg audio", u"C++ source", u"Vector drawing"};
      const bool folder = T->GetNodeLevel(N) == 0;
      const Cardinal i = folder ? N->Index % 8 : (N->Index + N->Parent->Index * 3) % 7;
      switch (Column) {
        case 0: Text = folder ? folders[i] : files[i]; break;
        case 1: Text = folder ? u"Folder" : kinds[i]; break;
        case 2: Text = folder ? String() : IntToStr(Integer(4 + i * 37 + N->Index * 11)) + u" KB"; break;
        default: Text = u"2026-0" + IntToStr(Integer(1 + (i + N->Index) % 9)) + u"-1" + IntToStr(Integer(i % 10)); break;
      }
    });
    files->SetRootNodeCount(8);
    for (PLazyNode n = files->GetFirst(); n; n = n->NextSibling) files->SetChildCount(n, 5);
    PLazyNode pictures = files->GetFirst()->NextSibling;
    PLazyNode projects = pictures->NextSibling->NextSibling;
    files->SetExpanded(pictures, true);
    files->SetExpanded(projects, true);

    // --- Swatches: owner-draw tree, vertical bar only
    Heading(f, 500, 14, u"Owner-draw tree, a vertical bar");
    auto* swatches = Framed<TQuarnLazyDrawTree>(f, TRect(500, 40, 730, 366), true, false);
    swatches->SetDefaultNodeHeight(24);
    swatches->SetOnGetNodeWidth([](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex, Integer& Width) {
      Width = 150;
    });
    swatches->SetOnDrawNode([](TBaseLazyTree_qn* T, const TVTPaintInfo& Info) {
      static const char16_t* names[] = {u"Vermilion", u"Apricot", u"Saffron", u"Fern", u"Jade",
                                        u"Azure",     u"Indigo",  u"Violet",  u"Rose", u"Slate"};
      const Cardinal k = Info.Node->Index % 10;
      static const TColor tones[] = {TColor(RGB(227, 66, 52)),  TColor(RGB(242, 160, 100)), TColor(RGB(244, 196, 48)),
                                     TColor(RGB(79, 121, 66)),  TColor(RGB(0, 168, 107)),   TColor(RGB(0, 127, 255)),
                                     TColor(RGB(75, 0, 130)),   TColor(RGB(143, 94, 190)),  TColor(RGB(230, 80, 130)),
                                     TColor(RGB(112, 128, 144))};
      const TColor tone = tones[k];
      TCanvas* cv = Info.Canvas;
      const TRect r = Info.ContentRect;
      cv->Brush()->SetColor(tone);
      cv->Pen()->SetColor(TColor(RGB(90, 98, 110)));
      cv->Rectangle(r.Left + 2, r.Top + 4, r.Left + 34, r.Bottom - 4);
      cv->Brush()->SetStyle(TBrushStyle::bsClear);
      cv->Font()->Assign(T->Font());
      cv->TextOut(r.Left + 42, r.Top + (r.Height() - cv->TextHeight(u"W")) / 2,
                  String(names[k]) + u" " + IntToStr(Integer(Info.Node->Index / 10 + 1)));
      cv->Brush()->SetStyle(TBrushStyle::bsSolid);
    });
    swatches->SetRootNodeCount(30);
    PLazyNode azure = swatches->GetFirst();
    for (int i = 0; i < 5; ++i) azure = azure->NextSibling;
    swatches->SetSelected(azure, true);

    form->Show();
    PumpRounds();
    // The string tree is the one in use: focused, a file picked, scrolled
    // down and to the right.
    files->SetFocus();
    PLazyNode picked = projects->FirstChild->NextSibling->NextSibling;
    files->SetFocusedNode(picked);
    files->SetSelected(picked, true);
    files->SetOffsetXY(TPoint(-16, -110));
    swatches->SetOffsetY(-48);
    PumpRounds();
    form->Update();
    vcl::TScreenImage shot = CaptureWindow(form->Handle());
    if (Live) Live();
    form.reset();
    PumpRounds(1);
    return shot;
  }

 private:
  static void Heading(vcl::TWinControl* Parent, vcl::Integer X, vcl::Integer Y, const vcl::String& Text) {
    using namespace vcl;
    auto* l = new qn::TQuarnLabel(Parent);
    l->SetParent(Parent);
    l->Font()->SetName(u"DejaVu Sans");
    l->Font()->SetSize(9);
    l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->Font()->SetColor(TColor(0x00463A2E));
    l->SetCaption(Text);
    l->SetLeft(X);
    l->SetTop(Y);
  }

  // A tree filling a border panel at R, with the skin's bars outside the
  // panel's right and bottom edges.
  template <class T>
  static T* Framed(vcl::TWinControl* Parent, const vcl::TRect& R, bool Vertical, bool Horizontal) {
    using namespace vcl;
    using namespace qn;
    auto* panel = new TQuarnBorderPanel(Parent);
    panel->SetParent(Parent);
    panel->SetBoundsRect(R);
    auto* tree = new T(Parent);
    tree->SetParent(panel);
    tree->SetAlign(alClient);
    tree->SetColor(clWhite);
    tree->Font()->SetName(u"DejaVu Sans");
    tree->Font()->SetSize(9);
    tree->Font()->SetColor(TColor(RGB(30, 36, 46)));
    tree->SetDefaultNodeHeight(22);
    tree->SetSelectionCurveRadius(4);
    tree->Colors()->SetFocusedSelectionColor(TColor(RGB(52, 120, 210)));
    tree->Colors()->SetFocusedSelectionBorderColor(TColor(RGB(40, 96, 176)));
    tree->Colors()->SetUnfocusedSelectionColor(TColor(RGB(180, 196, 218)));
    tree->Colors()->SetUnfocusedSelectionBorderColor(TColor(RGB(160, 178, 204)));
    tree->Colors()->SetTreeLineColor(TColor(RGB(150, 160, 175)));
    tree->Colors()->SetGridLineColor(TColor(RGB(226, 230, 237)));
    tree->Header()->Font()->SetName(u"DejaVu Sans");
    tree->Header()->Font()->SetSize(8);
    if (Horizontal) {
      tree->Header()->SetOptions(tree->Header()->Options() + TVTHeaderOptions{hoVisible});
      tree->TreeOptions()->SetPaintOptions(tree->TreeOptions()->PaintOptions() +
                                           TVTPaintOptions{toShowHorzGridLines, toShowVertGridLines});
    }
    tree->SetQuarnBorderPanel(panel);
    if (Vertical) {
      auto* bar = new TQuarnScrollBar(Parent);
      bar->SetParent(Parent);
      bar->SetKind(sbVertical);
      bar->SetBounds(R.Right + 2, R.Top, bar->GetRealSize(), R.Height());
      tree->SetVScrollBar(bar);
    }
    if (Horizontal) {
      auto* bar = new TQuarnScrollBar(Parent);
      bar->SetParent(Parent);
      bar->SetBounds(R.Left, R.Bottom + 2, R.Width(), bar->GetRealSize());
      tree->SetHScrollBar(bar);
    }
    return tree;
  }
};

}  // namespace gallery
