// The tree keyboard sheet: string trees on a form, each driven by a short
// typed sequence through the input driver and captured right after it: a
// Shift range selection, grid focus moved cell by cell, a check box held
// down by the space bar, and a folder closed by a sign before an
// incremental search jump. The keys typed are drawn as key caps above each
// tree. Shared by the gallery page and its
// golden-image test.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeStringSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeKeyboardSheet {
 public:
  static constexpr int kWidth = 900, kHeight = 600;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, kWidth, kHeight);
    ResetInput();

    // --- Range selection
    SheetHeading(c, 16, 12, u"Range selection: the anchor stays, Shift moves the other end");
    KeyCaps(c, 16, 34, {u"\u2193", u"\u2193", u"Shift+\u2193", u"Shift+\u2193", u"Shift+\u2193"});
    auto* range = FileTree(form.get(), TRect(16, 64, 436, 274));
    range->TreeOptions()->SetSelectionOptions(range->TreeOptions()->SelectionOptions() +
                                              TVTSelectionOptions{toMultiSelect, toFullRowSelect});

    // --- Grid focus
    SheetHeading(c, 464, 12, u"Grid focus: Tab walks the cells, rows follow");
    KeyCaps(c, 464, 34, {u"Tab", u"Tab", u"\u2193", u"Shift+Tab"});
    auto* grid = FileTree(form.get(), TRect(464, 64, 884, 274));
    grid->TreeOptions()->SetSelectionOptions(grid->TreeOptions()->SelectionOptions() +
                                             TVTSelectionOptions{toExtendedFocus});
    grid->TreeOptions()->SetMiscOptions(grid->TreeOptions()->MiscOptions() + TVTMiscOptions{toGridExtensions});
    grid->SetWantTabs(true);

    // --- Space-bar check
    SheetHeading(c, 16, 312, u"Check boxes: Space ticks on release, held it shows pressed");
    KeyCaps(c, 16, 334, {u"Space", u"\u2193", u"\u2193", u"Space", u"\u2193", u"Space (held)"});
    auto* checks = FileTree(form.get(), TRect(16, 364, 436, 574));
    checks->TreeOptions()->SetMiscOptions(checks->TreeOptions()->MiscOptions() + TVTMiscOptions{toCheckSupport});
    // Folders take three states and follow their files.
    for (PLazyNode n = checks->GetFirst(); n; n = checks->GetNext(n))
      checks->SetCheckType(n, checks->GetNodeLevel(n) == 0 ? ctTriStateCheckBox : ctCheckBox);

    // --- Incremental search, after the signs closed a folder
    SheetHeading(c, 464, 312, u"Signs close folders; typing jumps to the match");
    KeyCaps(c, 464, 334, {u"End", u"\u232B", u"/", u"s", u"u", u"m"});
    auto* search = FileTree(form.get(), TRect(464, 364, 884, 574));
    search->SetIncrementalSearch(TVTIncrementalSearch::isVisibleOnly);

    form->Show();
    Application->ProcessMessages();
    std::vector<std::pair<TBaseLazyTree_qn*, TScreenImage>> shots;
    auto shoot = [&](TBaseLazyTree_qn* t) {
      RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
      Application->ProcessMessages();
      shots.emplace_back(t, CaptureWindow(t->Handle()));
    };

    range->SetFocus();
    Type({VK_DOWN, VK_DOWN});
    Type({VK_DOWN, VK_DOWN, VK_DOWN}, VK_SHIFT);
    shoot(range);

    grid->SetFocus();
    grid->SetFocusedNodeAndColumn(grid->GetFirst(), 0);
    Type({VK_TAB, VK_TAB, VK_DOWN});
    Type({VK_TAB}, VK_SHIFT);
    shoot(grid);

    checks->SetFocus();
    checks->SetFocusedNode(checks->GetFirst());
    Type({VK_SPACE, VK_DOWN, VK_DOWN, VK_SPACE, VK_DOWN});
    InputKeyDown(VK_SPACE);
    Application->ProcessMessages();
    shoot(checks);
    InputKeyUp(VK_SPACE);
    Application->ProcessMessages();

    // Backspace climbs to the pictures, the main keyboard's slash closes
    // them, and the search wraps round to the first match.
    search->SetFocus();
    Type({VK_END, VK_BACK, VK_OEM_2});
    InputType(u"sum");
    Application->ProcessMessages();
    shoot(search);

    HDC sdc = c->Handle();
    for (auto& [t, img] : shots) BlitImage(sdc, img, t->Left(), t->Top());
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    ResetInput();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  // Keys pressed and released in turn, with a modifier held around them.
  static void Type(std::initializer_list<int> Keys, int Modifier = 0) {
    using namespace vcl;
    if (Modifier) InputKeyDown(Modifier);
    for (int k : Keys) {
      InputKeyDown(k);
      InputKeyUp(k);
    }
    if (Modifier) InputKeyUp(Modifier);
    Application->ProcessMessages();
  }

  // A row of key caps: light rounded keys with a darker lower edge.
  static void KeyCaps(vcl::TCanvas* c, int x, int y, std::initializer_list<const char16_t*> Keys) {
    using namespace vcl;
    c->Font()->SetSize(8);
    for (const char16_t* k : Keys) {
      Integer w = std::max(c->TextWidth(k) + 14, 24);
      c->Pen()->SetColor(TColor(RGB(176, 184, 196)));
      c->Brush()->SetColor(TColor(RGB(214, 219, 227)));
      c->RoundRect(x, y, x + w, y + 22, 6, 6);
      c->Brush()->SetColor(clWhite);
      c->Pen()->SetColor(TColor(RGB(226, 230, 236)));
      c->RoundRect(x + 1, y + 1, x + w - 1, y + 19, 5, 5);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->Font()->SetColor(TColor(RGB(52, 60, 74)));
      c->TextOut(x + (w - c->TextWidth(k)) / 2, y + (19 - c->TextHeight(k)) / 2, k);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      x += w + 6;
    }
    c->Font()->SetSize(9);
  }

  // Two folders of files with a kind and a size column, both open.
  static qn::TLazyStringTree_qn* FileTree(vcl::TForm* form, const vcl::TRect& r) {
    using namespace vcl;
    using namespace qn;
    auto* t = TTreeStringSheet::NewStringTree(form, r);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Name", 200);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Kind", 120);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Size", 76)->SetAlignment(taRightJustify);
    t->TreeOptions()->SetPaintOptions(t->TreeOptions()->PaintOptions() - TVTPaintOptions{toHotTrack});
    t->SetRootNodeCount(2);
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) {
      t->SetChildCount(n, n->Index == 0 ? 4 : 3);
      t->SetExpanded(n, true);
    }
    t->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex Column, TVSTTextType Type, String& Text) {
      static const char16_t* folders[] = {u"Reports", u"Pictures"};
      static const char16_t* files[2][4] = {{u"annual.pdf", u"budget.xlsx", u"minutes.txt", u"summary.md"},
                                            {u"harbour.jpg", u"logo.png", u"sketch.svg", u""}};
      static const char16_t* kinds[2][4] = {{u"PDF document", u"Spreadsheet", u"Text", u"Markdown"},
                                            {u"JPEG image", u"PNG image", u"Vector image", u""}};
      static const char16_t* sizes[2][4] = {{u"1.2 MB", u"86 KB", u"4 KB", u"9 KB"},
                                            {u"2.4 MB", u"40 KB", u"12 KB", u""}};
      if (Type != ttNormal) return;
      bool folder = T->GetNodeLevel(N) == 0;
      Cardinal f = folder ? N->Index % 2 : N->Parent->Index % 2, i = N->Index % 4;
      switch (Column) {
        case 0: Text = folder ? folders[f] : files[f][i]; break;
        case 1: Text = folder ? u"Folder" : kinds[f][i]; break;
        default: Text = folder ? u"" : sizes[f][i]; break;
      }
    });
    return t;
  }
};

}  // namespace gallery
