// The tree edit sheet: captions edited in place, captured while their
// editors are open. A single-line editor over the middle column of a file
// list, grown with what was typed and with part of its text selected, and a
// multi-line editor over a wrapped note, wrapping and scrolling like the
// cell. The keys typed are driven through the input driver. Shared by the
// gallery page and its golden-image test.
#pragma once

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

class TTreeEditSheet {
 public:
  static constexpr int kWidth = 860, kHeight = 254;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, kWidth, kHeight);
    ResetInput();

    // --- Single line over the middle column
    SheetHeading(c, 16, 10, u"Single line: the editor grows with its text");
    SheetLabel(c, 16, 30, u"F2 on \u201CSpreadsheet\u201D, typed \u201CBudget sheet\u201D, Shift+\u2190 five times");
    auto* files = TTreeStringSheet::NewStringTree(form.get(), TRect(16, 54, 436, 234));
    TTreeStringSheet::AddColumn(files->Header()->Columns(), u"Name", 150);
    TTreeStringSheet::AddColumn(files->Header()->Columns(), u"Kind", 150);
    TTreeStringSheet::AddColumn(files->Header()->Columns(), u"Size", 96)->SetAlignment(taRightJustify);
    files->TreeOptions()->SetPaintOptions(files->TreeOptions()->PaintOptions() - TVTPaintOptions{toHotTrack});
    files->TreeOptions()->SetSelectionOptions(files->TreeOptions()->SelectionOptions() +
                                              TVTSelectionOptions{toExtendedFocus});
    files->TreeOptions()->SetMiscOptions(files->TreeOptions()->MiscOptions() + TVTMiscOptions{toEditable});
    files->SetRootNodeCount(6);
    files->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex Column, TVSTTextType, String& Text) {
      static const char16_t* names[] = {u"annual.pdf", u"budget.xlsx", u"minutes.txt",
                                        u"summary.md", u"logo.png",    u"sketch.svg"};
      static const char16_t* kinds[] = {u"PDF document", u"Spreadsheet", u"Text",
                                        u"Markdown",     u"PNG image",   u"Vector image"};
      static const char16_t* sizes[] = {u"1.2 MB", u"86 KB", u"4 KB", u"9 KB", u"40 KB", u"12 KB"};
      Cardinal i = N->Index % 6;
      Text = Column == 0 ? names[i] : Column == 1 ? kinds[i] : sizes[i];
    });

    // --- Multi-line over a wrapped note
    SheetHeading(c, 460, 10, u"Multi-line: the editor wraps like the cell");
    SheetLabel(c, 460, 30, u"F2 on the long note, then Ctrl+End; Ctrl+Return ends it");
    auto* notes = TTreeStringSheet::NewStringTree(form.get(), TRect(460, 54, 844, 234));
    TTreeStringSheet::AddColumn(notes->Header()->Columns(), u"Notes", 364);
    notes->TreeOptions()->SetMiscOptions(notes->TreeOptions()->MiscOptions() +
                                         TVTMiscOptions{toVariableNodeHeight, toEditable});
    notes->TreeOptions()->SetPaintOptions(notes->TreeOptions()->PaintOptions() - TVTPaintOptions{toHotTrack});
    notes->OnInitNode = [](TBaseLazyTree_qn*, PLazyNode, PLazyNode N, TLazyNodeInitStates& States) {
      if (N->Index != 0) States.Include(ivsMultiline);
    };
    notes->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TVSTTextType, String& Text) {
      static const char16_t* texts[] = {
          u"Agenda for Monday",
          u"Bring the signed contracts to the meeting and ask the printer for the revised proofs before noon.",
          u"Call the venue about the projector."};
      Text = texts[N->Index % 3];
    });
    notes->OnMeasureItem = [](TBaseLazyTree_qn* T, TCanvas* Canvas, PLazyNode N, Integer& Height) {
      auto* s = static_cast<TCustomLazyStringTree_qn*>(T);
      if (T->GetMultiline(N)) Height = std::max(Height, s->ComputeNodeHeight(Canvas, N, 0) + 8);
    };
    notes->SetRootNodeCount(3);

    form->Show();
    Application->ProcessMessages();

    files->SetFocus();
    files->SetFocusedNodeAndColumn(files->GetFirst()->NextSibling, 1);
    files->SetSelected(files->GetFirst()->NextSibling, true);
    Keys({VK_F2});
    InputType(u"Budget sheet");
    Application->ProcessMessages();
    for (int i = 0; i < 5; ++i) Keys({VK_LEFT}, VK_SHIFT);
    std::vector<std::pair<TBaseLazyTree_qn*, TScreenImage>> shots;
    shots.emplace_back(files, Shoot(files));
    files->CancelEditNode();

    notes->SetFocus();
    notes->SetFocusedNode(notes->GetFirst()->NextSibling);
    notes->SetSelected(notes->GetFirst()->NextSibling, true);
    Keys({VK_F2});
    Keys({VK_END}, VK_CONTROL);
    shots.emplace_back(notes, Shoot(notes));
    notes->CancelEditNode();

    HDC sdc = c->Handle();
    for (auto& [t, img] : shots) BlitImage(sdc, img, t->Left(), t->Top());
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    Application->ProcessMessages();
    ResetInput();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static void Keys(std::initializer_list<int> Vks, int Modifier = 0) {
    using namespace vcl;
    if (Modifier) InputKeyDown(Modifier);
    for (int k : Vks) {
      InputKeyDown(k);
      InputKeyUp(k);
    }
    if (Modifier) InputKeyUp(Modifier);
    Application->ProcessMessages();
  }

  // The tree and its open editor as the screen shows them.
  static vcl::TScreenImage Shoot(qn::TBaseLazyTree_qn* t) {
    using namespace vcl;
    RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Application->ProcessMessages();
    return CaptureWindow(t->Handle());
  }
};

}  // namespace gallery
