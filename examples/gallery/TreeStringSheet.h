// The string tree sheet: real string trees on a form, painted through their
// windows and captured. Three columns with a caption shortened by an
// ellipsis in the narrow one, static text beside the names, a right-to-left
// column, a hot underlined node, selected and disabled text; multi-line
// nodes whose heights follow their wrapped text; a disabled tree; and an
// owner-draw tree painting colour swatches through OnDrawNode. Shared by
// the gallery page and its golden-image test.
#pragma once

#include <memory>
#include <vector>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_DrawTree.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeStringSheet {
 public:
  static constexpr int kWidth = 820, kHeight = 600;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    // Taller than the page: the frame and caption take room from the client.
    auto form = NewSheetForm(kWidth, kHeight + 60);
    std::vector<TBaseLazyTree_qn*> trees;

    // --- Files: three columns, static text, ellipsis, RTL, hot, disabled
    SheetHeading(c, 16, 10, u"Captions from OnGetText: static text, ellipsis, right-to-left column");
    auto* files = NewStringTree(form.get(), TRect(16, 32, 516, 292));
    trees.push_back(files);
    auto* cols = files->Header()->Columns();
    AddColumn(cols, u"Name", 200);
    AddColumn(cols, u"Kind", 84);
    AddColumn(cols, u"Size", 64)->SetAlignment(taRightJustify);
    TLazyTreeColumn* owner = AddColumn(cols, u"Owner (RTL)", 136);
    owner->SetBiDiMode(bdRightToLeft);
    owner->SetAlignment(taLeftJustify);
    files->TreeOptions()->SetStringOptions(files->TreeOptions()->StringOptions() + TVTStringOptions{toShowStaticText});
    files->SetRootNodeCount(3);
    PLazyNode project = files->GetFirst();
    files->SetChildCount(project, 5);
    files->SetExpanded(project, true);
    files->SetChildCount(project->NextSibling, 2);
    files->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex Column, TVSTTextType Type, String& Text) {
      static const char16_t* top[] = {u"Project", u"Pictures", u"Archive"};
      static const char16_t* names[] = {u"main.cpp", u"tree_painting.cpp", u"notes.txt", u"build.log", u"logo.png"};
      static const char16_t* kinds[] = {u"C++ source", u"C++ source file with a long description", u"Text",
                                        u"Build output log", u"Image"};
      static const char16_t* sizes[] = {u"12 KB", u"148 KB", u"3 KB", u"2 MB", u"40 KB"};
      static const char16_t* owners[] = {u"Ada L.", u"Grace H.", u"Edsger D.", u"Build server", u"Margaret H."};
      bool top_level = T->GetNodeLevel(N) == 0;
      Cardinal i = N->Index % 5;
      if (Type == ttStatic) {
        if (Column == 0 && top_level) Text = u"(" + IntToStr(Integer(T->ChildCount(N))) + u" items)";
        return;
      }
      switch (Column) {
        case 0: Text = top_level ? String(top[N->Index % 3]) : String(names[i]); break;
        case 1: Text = top_level ? String(u"Folder") : String(kinds[i]); break;
        case 2: Text = top_level ? String() : String(sizes[i]); break;
        default: Text = top_level ? String(u"Team") : String(owners[i]); break;
      }
    });
    // Static text in a quieter colour through OnPaintText.
    files->SetOnPaintText([](TBaseLazyTree_qn*, TCanvas* Canvas, PLazyNode, TColumnIndex, TVSTTextType Type) {
      if (Type == ttStatic) Canvas->Font()->SetColor(TColor(RGB(128, 136, 150)));
    });
    PLazyNode selected = project->FirstChild->NextSibling;
    files->SetFocusedNode(selected);
    files->SetSelected(selected, true);
    files->SetCurrentHot(project->FirstChild->NextSibling->NextSibling, 0);
    files->SetDisabled(project->LastChild->PrevSibling, true);
    SheetLabel(c, 16, 298, u"Selected tree_painting.cpp; hot notes.txt (underlined); build.log disabled");

    // --- Notes: multi-line nodes of variable height
    SheetHeading(c, 540, 10, u"Multi-line nodes, heights from their text");
    auto* notes = NewStringTree(form.get(), TRect(540, 32, 804, 292));
    trees.push_back(notes);
    AddColumn(notes->Header()->Columns(), u"Notes", 260);
    notes->TreeOptions()->SetMiscOptions(notes->TreeOptions()->MiscOptions() + TVTMiscOptions{toVariableNodeHeight});
    notes->OnInitNode = [](TBaseLazyTree_qn* T, PLazyNode, PLazyNode N, TLazyNodeInitStates& States) {
      if (N->Index != 0) States.Include(ivsMultiline);
      (void)T;
    };
    notes->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TVSTTextType Type, String& Text) {
      static const char16_t* texts[] = {
          u"A single line",
          u"Rows measure their wrapped text and grow to fit it.",
          u"Long notes wrap at word boundaries inside the column and are centred in their row.",
          u"Short note",
          u"The height comes from ComputeNodeHeight, called by OnMeasureItem for every node once."};
      if (Type == ttNormal) Text = texts[N->Index % 5];
    });
    notes->OnMeasureItem = [](TBaseLazyTree_qn* T, TCanvas* Canvas, PLazyNode N, Integer& Height) {
      auto* s = static_cast<TCustomLazyStringTree_qn*>(T);
      if (T->GetMultiline(N)) Height = std::max(Height, s->ComputeNodeHeight(Canvas, N, 0) + 8);
    };
    notes->SetRootNodeCount(5);
    PLazyNode third = notes->GetFirst()->NextSibling->NextSibling;
    notes->SetFocusedNode(third);
    notes->SetSelected(third, true);

    // --- Swatches: the owner-draw tree
    SheetHeading(c, 16, 326, u"Owner-draw tree: swatches painted by OnDrawNode");
    auto* swatches = new TLazyDrawTree_qn(form.get());
    swatches->SetParent(form.get());
    swatches->SetBoundsRect(TRect(16, 348, 396, 584));
    trees.push_back(swatches);
    Style(swatches);
    AddColumn(swatches->Header()->Columns(), u"Palette", 376);
    swatches->SetRootNodeCount(2);
    swatches->SetChildCount(swatches->GetFirst(), 4);
    swatches->SetChildCount(swatches->GetFirst()->NextSibling, 2);
    swatches->FullExpand();
    swatches->SetOnGetNodeWidth([](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex, Integer& Width) {
      Width = 300;
    });
    swatches->SetOnDrawNode([](TBaseLazyTree_qn* T, const TVTPaintInfo& Info) {
      static const TColor tones[2][4] = {
          {TColor(RGB(214, 69, 65)), TColor(RGB(242, 153, 74)), TColor(RGB(247, 202, 24)), TColor(RGB(84, 160, 90))},
          {TColor(RGB(52, 120, 210)), TColor(RGB(120, 86, 190)), TColor(), TColor()}};
      static const char16_t* groups[] = {u"Warm and earth", u"Cool"};
      static const char16_t* names[2][4] = {{u"Vermilion", u"Apricot", u"Saffron", u"Fern"},
                                            {u"Azure", u"Violet", u"", u""}};
      TCanvas* cv = Info.Canvas;
      PLazyNode n = Info.Node;
      TRect r = Info.ContentRect;
      cv->Brush()->SetStyle(TBrushStyle::bsClear);
      cv->Font()->Assign(T->Font());
      if (T->GetNodeLevel(n) == 0) {
        cv->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
        cv->TextOut(r.Left + 4, r.Top + (r.Height() - cv->TextHeight(u"W")) / 2, groups[n->Index % 2]);
      } else {
        TColor tone = tones[n->Parent->Index % 2][n->Index % 4];
        TRect sw(r.Left + 4, r.Top + 4, r.Left + 40, r.Bottom - 4);
        cv->Brush()->SetStyle(TBrushStyle::bsSolid);
        cv->Brush()->SetColor(tone);
        cv->Pen()->SetColor(TColor(RGB(90, 98, 110)));
        cv->Rectangle(sw.Left, sw.Top, sw.Right, sw.Bottom);
        cv->Brush()->SetStyle(TBrushStyle::bsClear);
        Cardinal rgb = Cardinal(ColorToRGB(tone));
        String hex = u"#" + IntToHex(Integer(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF)), 6);
        Integer ty = r.Top + (r.Height() - cv->TextHeight(u"W")) / 2;
        cv->TextOut(sw.Right + 10, ty, names[n->Parent->Index % 2][n->Index % 4]);
        cv->Font()->SetColor(TColor(RGB(110, 118, 130)));
        cv->TextOut(sw.Right + 110, ty, hex);
      }
      cv->Brush()->SetStyle(TBrushStyle::bsSolid);
    });
    for (PLazyNode n = swatches->GetFirst(); n; n = swatches->GetNext(n)) swatches->SetNodeHeight(n, 25);

    // --- A disabled tree
    SheetHeading(c, 420, 326, u"A disabled tree: every caption greyed");
    auto* off = NewStringTree(form.get(), TRect(420, 348, 804, 470));
    trees.push_back(off);
    AddColumn(off->Header()->Columns(), u"Setting", 220);
    AddColumn(off->Header()->Columns(), u"Value", 160);
    off->SetRootNodeCount(4);
    off->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex Column, TVSTTextType Type, String& Text) {
      static const char16_t* keys[] = {u"Auto save", u"Interval", u"Backups kept", u"Location"};
      static const char16_t* values[] = {u"On", u"5 minutes", u"10", u"~/backups"};
      if (Type == ttNormal) Text = Column == 0 ? keys[N->Index % 4] : values[N->Index % 4];
    });
    off->SetEnabled(false);
    SheetLabel(c, 420, 478, u"Text in Colors.DisabledColor while the tree is disabled");

    form->Show();
    Application->ProcessMessages();
    HDC sdc = c->Handle();
    for (TBaseLazyTree_qn* t : trees) RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Application->ProcessMessages();
    for (TBaseLazyTree_qn* t : trees) BlitImage(sdc, CaptureWindow(t->Handle()), t->Left(), t->Top());
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

  // The sheets' look of a tree, a string tree in it, and a captioned column.
  static void Style(qn::TBaseLazyTree_qn* t) {
    using namespace vcl;
    using namespace qn;
    t->SetColor(clWhite);
    t->Font()->SetName(u"DejaVu Sans");
    t->Font()->SetSize(9);
    t->Font()->SetColor(TColor(RGB(30, 36, 46)));
    t->SetDefaultNodeHeight(20);
    t->ScrollBarOptions()->SetScrollBars(ssNone);
    t->SetSelectionCurveRadius(4);
    t->Colors()->SetFocusedSelectionColor(TColor(RGB(52, 120, 210)));
    t->Colors()->SetFocusedSelectionBorderColor(TColor(RGB(40, 96, 176)));
    t->Colors()->SetUnfocusedSelectionColor(TColor(RGB(52, 120, 210)));
    t->Colors()->SetUnfocusedSelectionBorderColor(TColor(RGB(40, 96, 176)));
    t->Colors()->SetTreeLineColor(TColor(RGB(150, 160, 175)));
    t->Colors()->SetGridLineColor(TColor(RGB(222, 227, 235)));
    t->Colors()->SetHotColor(TColor(RGB(0, 96, 184)));
    t->Colors()->SetDisabledColor(TColor(RGB(160, 166, 176)));
    t->Colors()->SetHeaderHotColor(TColor(RGB(0, 96, 184)));
    t->Header()->Font()->SetName(u"DejaVu Sans");
    t->Header()->Font()->SetSize(8);
    t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible});
    TVTPaintOptions po = t->TreeOptions()->PaintOptions();
    po += TVTPaintOptions{toPopupMode, toShowHorzGridLines, toShowVertGridLines, toHotTrack};
    t->TreeOptions()->SetPaintOptions(po);
  }

  static qn::TLazyStringTree_qn* NewStringTree(vcl::TForm* form, const vcl::TRect& r) {
    auto* t = new qn::TLazyStringTree_qn(form);
    t->SetParent(form);
    t->SetBoundsRect(r);
    Style(t);
    return t;
  }

  static qn::TLazyTreeColumn* AddColumn(qn::TLazyTreeColumns* cols, const vcl::String& text, vcl::Integer width) {
    qn::TLazyTreeColumn* col = cols->Add();
    col->SetText(text);
    col->SetWidth(width);
    return col;
  }

  // Folders at the top level, files below them: column 0 names either, column
  // 1 gives a file's size. Files and sizes are picked by the node's index.
  static void ShowFiles(qn::TLazyStringTree_qn* t, std::vector<const char16_t*> folders,
                        std::vector<const char16_t*> files, std::vector<const char16_t*> sizes) {
    using namespace vcl;
    using namespace qn;
    t->SetOnGetText([folders, files, sizes](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex Column, TVSTTextType Type,
                                             String& Text) {
      if (Type != ttNormal) return;
      bool folder = T->GetNodeLevel(N) == 0;
      if (Column == 1) Text = folder ? String() : String(sizes[N->Index % sizes.size()]);
      else Text = folder ? String(folders[N->Index % folders.size()]) : String(files[N->Index % files.size()]);
    });
  }
};

}  // namespace gallery
