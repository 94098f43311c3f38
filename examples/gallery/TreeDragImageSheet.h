// The node drag image sheet: three selected nodes of one string tree
// dragged by the scripted mouse over another, caught while the faded
// picture hangs over the target with its drop mark showing through, and
// the picture on its own over a checkerboard. Shared by the gallery page
// and its golden-image test.
#pragma once

#include <algorithm>
#include <memory>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeStringSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeDragImageSheet {
 public:
  static constexpr int kWidth = 820, kHeight = 484;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    ResetInput();

    SheetHeading(c, 16, 10, u"Source tree: three selected nodes");
    auto* source = NewTree(form.get(), TRect(16, 32, 396, 272), u"Project", u"Project files", kProject);
    SheetHeading(c, 420, 10, u"Target tree with the picture over it");
    auto* target = NewTree(form.get(), TRect(420, 32, 804, 272), u"Archive", u"Archive", kArchive);
    // The source lets drags start on its nodes: a press on a selected node
    // of its multi-selection keeps the selection for the drag.
    source->OnDragAllowed = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, bool& Allowed) { Allowed = true; };
    source->SetDragWidth(230);
    source->SetDragHeight(120);
    form->Show();
    PumpRounds(2);

    PLazyNode folder = source->GetFirst();
    PLazyNode rows[7];
    PLazyNode n = folder->FirstChild;
    for (PLazyNode& r : rows) {
      r = n;
      n = n ? n->NextSibling : nullptr;
    }
    source->SetFocus();
    source->ClearSelection();
    for (int i : {1, 2, 4}) source->AddToSelection(rows[i]);
    source->SetFocusedNode(rows[2]);
    PumpRounds(1);

    // The pointer comes to rest right of a row's caption in its lower half:
    // a drop below that row.
    PLazyNode below = target->GetFirst()->FirstChild->NextSibling->NextSibling;
    TRect row = target->GetDisplayRect(below, NoColumn, false);
    const TPoint rest = target->ClientToScreen(TPoint(200, row.Top + row.Height() * 3 / 4));
    TScreenImage screen;
    TScreenImage picture;
    target->OnDragOver = [&](TBaseLazyTree_qn*, TObject*, TShiftState, TDragState State, TPoint Pt, TDropMode,
                                 DWORD&, bool& Accept) {
      Accept = true;
      if (State != dsDragMove || target->ClientToScreen(Pt) != rest || !screen.Pixels.empty()) return;
      screen = CutWindows({source->Handle(), target->Handle()});
      if (TBitmap* p = source->DragImage()->Picture()) {
        // Read with its alpha bytes, which the picture's fade lives in.
        picture.Width = p->Width();
        picture.Height = p->Height();
        picture.Pixels.resize(size_t(picture.Width) * size_t(picture.Height));
        for (Integer y = 0; y < picture.Height; ++y)
          std::copy_n(static_cast<const uint32_t*>(p->ScanLine(y)), picture.Width,
                      picture.Pixels.begin() + std::ptrdiff_t(y) * picture.Width);
      }
    };
    TRect text = source->GetDisplayRect(rows[2], NoColumn, true);
    const TPoint start = source->ClientToScreen(TPoint((text.Left + text.Right) / 2, (text.Top + text.Bottom) / 2));
    InputMouseMove(start.X, start.Y);
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
    for (int i = 1; i <= 12; ++i)
      InputMouseMove(start.X + (rest.X - start.X) * i / 12, start.Y + (rest.Y - start.Y) * i / 12);
    InputMouseMove(rest.X, rest.Y);
    InputKeyDown(VK_ESCAPE);
    InputKeyUp(VK_ESCAPE);
    InputMouseUp(VK_LBUTTON);
    source->Drag(source->ScreenToClient(start));
    PumpRounds(1);
    HDC sdc = c->Handle();
    if (!screen.Pixels.empty()) BlitImage(sdc, screen, 16, 32);

    SheetLabel(c, 16, 280, u"Rows 2, 3 and 5 are selected; the drag");
    SheetLabel(c, 16, 296, u"started on row 3, in the middle of its caption");
    SheetLabel(c, 420, 280, u"The picture of the dragged rows follows the pointer;");
    SheetLabel(c, 420, 296, u"the drop mark below \u201cbackup.zip\u201d shows through it");

    SheetHeading(c, 16, 332, u"The picture alone, over a checkerboard");
    const int px = 16, py = 354;
    if (!picture.Pixels.empty()) {
      TScreenImage board = Checkerboard(picture.Width, picture.Height);
      for (size_t i = 0; i < board.Pixels.size(); ++i) board.Pixels[i] = Over(picture.Pixels[i], board.Pixels[i]);
      BlitImage(sdc, board, px, py);
      c->Brush()->SetColor(TColor(RGB(200, 205, 214)));
      c->FrameRect(TRect(px - 1, py - 1, px + picture.Width + 1, py + picture.Height + 1));
    }
    const int lx = px + 230 + 24;
    SheetLabel(c, lx, py + 4, u"Only the selected rows are painted into it (230 \u00d7 120,");
    SheetLabel(c, lx, py + 20, u"DragWidth \u00d7 DragHeight, centred on where the drag began).");
    SheetLabel(c, lx, py + 44, u"Its opacity fades from the centre towards the corners.");
    SheetLabel(c, lx, py + 68, u"Pixels in the tree's background colour are fully clear,");
    SheetLabel(c, lx, py + 84, u"so only the rows themselves lie over the target.");
    ResetInput();
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static constexpr const char16_t* kProject[] = {u"main.cpp",  u"drag_image.cpp", u"drop_target.cpp", u"notes.txt",
                                                 u"picture.png", u"build.log",    u"readme.md"};
  static constexpr const char16_t* kArchive[] = {u"2023",      u"2024",       u"backup.zip", u"old_notes.txt",
                                                 u"photos.tar", u"invoices.pdf", u"plan.odt"};

  // A string tree whose drag the sheet runs itself.
  class TDragTree : public qn::TLazyStringTree_qn {
    QN_CLASS(TDragTree, qn::TLazyStringTree_qn)
   public:
    using qn::TLazyStringTree_qn::TLazyStringTree_qn;
    void Drag(vcl::TPoint P) { DoDragging(P); }
  };

  static TDragTree* NewTree(vcl::TForm* form, const vcl::TRect& r, const char16_t* Folder, const char16_t* Column,
                            const char16_t* const* Names) {
    using namespace vcl;
    using namespace qn;
    auto* t = new TDragTree(form);
    t->SetParent(form);
    t->SetBoundsRect(r);
    TTreeStringSheet::Style(t);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), Column, r.Width() - 4);
    auto sel = t->TreeOptions()->SelectionOptions();
    sel.Include(toMultiSelect);
    t->TreeOptions()->SetSelectionOptions(sel);
    t->SetRootNodeCount(1);
    t->SetChildCount(t->GetFirst(), 7);
    t->SetExpanded(t->GetFirst(), true);
    t->SetOnGetText([Folder, Names](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex, TVSTTextType Type, String& Text) {
      if (Type != ttNormal) return;
      Text = T->GetNodeLevel(N) == 0 ? String(Folder) : String(Names[N->Index % 7]);
    });
    return t;
  }

  static vcl::TScreenImage Checkerboard(int W, int H) {
    vcl::TScreenImage b;
    b.Width = W;
    b.Height = H;
    b.Pixels.resize(size_t(W) * size_t(H));
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        b.Pixels[size_t(y) * size_t(W) + size_t(x)] = ((x / 8 + y / 8) % 2) ? 0xFFE4E7EC : 0xFFFFFFFF;
    return b;
  }

  // Straight alpha over an opaque pixel.
  static uint32_t Over(uint32_t Top, uint32_t Under) {
    const uint32_t a = Top >> 24;
    uint32_t out = 0xFF000000u;
    for (int shift : {0, 8, 16}) {
      const uint32_t t = (Top >> shift) & 0xFF, u = (Under >> shift) & 0xFF;
      out |= ((t * a + u * (255 - a) + 127) / 255) << shift;
    }
    return out;
  }
};

}  // namespace gallery
