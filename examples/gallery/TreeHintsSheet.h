// The tree hints sheet: string trees hovered by the scripted mouse on the
// virtual clock, each captured with the hint the application's hint timer
// brought up: a tooltip laid exactly over a cut-off cell, a node hint of
// several lines, an owner-drawn hint and a column hint of the header.
// Shared by the gallery page and its golden-image test.
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
#include "treeview/LazyTrees_qn_Hints.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeHintsSheet {
 public:
  static constexpr int kWidth = 820, kHeight = 530;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    ResetInput();
    Application->SetShowHint(true);
    const Integer savedPause = Application->HintPause(), savedHidePause = Application->HintHidePause();
    Application->SetHintPause(500);
    Application->SetHintHidePause(60000);

    SheetHeading(c, 16, 10, u"Tooltip over a cut-off cell (HintMode hmTooltip)");
    auto* tips = NewFileTree(form.get(), TRect(16, 32, 396, 192));
    tips->SetHintMode(hmTooltip);
    SheetHeading(c, 420, 10, u"Node hint of several lines (hmHint)");
    auto* notes = NewFileTree(form.get(), TRect(420, 32, 804, 192));
    notes->SetHintMode(hmHint);
    notes->SetOnGetHint([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex, TVTTooltipLineBreakStyle&, String& Text) {
      Text = u"main.cpp\nModified today at 09:40\nOwner: build team";
      (void)T;
      (void)N;
    });
    SheetHeading(c, 16, 260, u"Owner-drawn hint (OnGetHintSize, OnDrawHint)");
    auto* drawn = NewFileTree(form.get(), TRect(16, 282, 396, 442));
    drawn->SetHintMode(hmHint);
    drawn->OnGetHintKind = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TVTHintKind& K) { K = vhkOwnerDraw; };
    drawn->OnGetHintSize = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TRect& R) { R = TRect(0, 0, 150, 44); };
    drawn->OnDrawHint = [](TBaseLazyTree_qn*, TCanvas* C, PLazyNode, const TRect& R, TColumnIndex) {
      C->Brush()->SetColor(TColor(RGB(255, 250, 225)));
      C->Pen()->SetColor(TColor(RGB(160, 120, 30)));
      C->Rectangle(R);
      C->Brush()->SetColor(TColor(RGB(52, 120, 210)));
      C->Pen()->SetColor(TColor(RGB(40, 96, 176)));
      C->Ellipse(TRect(8, 8, 36, 36));
      C->Brush()->SetStyle(TBrushStyle::bsClear);
      C->Font()->SetColor(TColor(RGB(40, 48, 60)));
      C->TextOut(44, 7, u"logo.png");
      C->TextOut(44, 23, u"64 x 64, 40 KB");
    };
    SheetHeading(c, 420, 260, u"Column hint of the header (hoShowHint)");
    auto* header = NewFileTree(form.get(), TRect(420, 282, 804, 442));
    header->Header()->Columns()->Items(1)->SetHint(u"Size on disk, in KB");

    form->Show();
    Settle(2);
    HDC sdc = c->Handle();
    auto capture = [&](TLazyStringTree_qn* t) {
      auto* w = Application->ActiveHintWindow();
      TRect tr, hr;
      GetWindowRect(t->Handle(), &tr);
      TRect u = tr;
      if (w && w->HandleAllocated() && IsWindowVisible(w->Handle())) {
        GetWindowRect(w->Handle(), &hr);
        u = TRect(std::min(tr.Left, hr.Left), std::min(tr.Top, hr.Top), std::max(tr.Right, hr.Right),
                  std::max(tr.Bottom, hr.Bottom));
        BlitImage(sdc, CutWindows({t->Handle(), w->Handle()}), t->Left() + u.Left - tr.Left, t->Top() + u.Top - tr.Top);
      } else {
        BlitImage(sdc, CutWindows({t->Handle()}), t->Left(), t->Top());
      }
      Application->CancelHint();
      Settle(1);
    };

    // The second row's name is wider than its column: the tooltip shows it whole.
    PLazyNode cut = tips->GetFirst()->FirstChild->NextSibling;
    Hover(tips, TextPoint(tips, cut, 0), 60);
    capture(tips);
    Hover(notes, TextPoint(notes, notes->GetFirst()->FirstChild, 0), 700);
    capture(notes);
    Hover(drawn, TextPoint(drawn, drawn->GetFirst()->FirstChild->NextSibling->NextSibling->NextSibling->NextSibling, 0),
          700);
    capture(drawn);
    Hover(header, TPoint(170, -header->Header()->Height() / 2), 700);
    capture(header);

    SheetLabel(c, 16, 200, u"At once, without a pause, covering the cell text exactly");
    SheetLabel(c, 420, 200, u"Below the row, text from OnGetHint");
    SheetLabel(c, 16, 488, u"The size OnGetHintSize asks for, painted by OnDrawHint");
    SheetLabel(c, 420, 488, u"Over the Size column; the Name column has no hint");
    ResetInput();
    Application->CancelHint();
    Application->SetHintPause(savedPause);
    Application->SetHintHidePause(savedHidePause);
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  // Application hint handling runs only through the application's own pump.
  static void Settle(int Rounds) {
    for (int i = 0; i < Rounds; ++i) {
      vcl::Application->ProcessMessages();
      vcl::AdvanceClock(60);
      vcl::Application->ProcessMessages();
    }
  }

  static void Hover(qn::TLazyStringTree_qn* t, vcl::TPoint client, int waitMs) {
    vcl::TPoint s = t->ClientToScreen(client);
    vcl::InputMouseMove(s.X, s.Y);
    vcl::Application->ProcessMessages();
    for (int ms = 0; ms < waitMs; ms += 10) {
      vcl::AdvanceClock(10);
      vcl::Application->ProcessMessages();
    }
  }

  static vcl::TPoint TextPoint(qn::TLazyStringTree_qn* t, qn::PLazyNode n, qn::TColumnIndex col) {
    vcl::TRect r = t->GetDisplayRect(n, col, true);
    return vcl::TPoint(r.Left + 6, (r.Top + r.Bottom) / 2);
  }

  static qn::TLazyStringTree_qn* NewFileTree(vcl::TForm* form, const vcl::TRect& r) {
    using namespace vcl;
    using namespace qn;
    auto* t = TTreeStringSheet::NewStringTree(form, r);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Name", 150);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Size", 130)->SetAlignment(taRightJustify);
    t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoShowHint});
    t->SetShowHint(true);
    t->SetHintAnimation(hatNone);
    t->SetRootNodeCount(2);
    t->SetChildCount(t->GetFirst(), 6);
    t->SetExpanded(t->GetFirst(), true);
    TTreeStringSheet::ShowFiles(t, {u"Project", u"Pictures"},
                                {u"main.cpp", u"tree_hint_window_painting.cpp", u"notes.txt", u"hit_test.cpp",
                                 u"logo.png", u"rubber_band.svg"},
                                {u"12 KB", u"48 KB", u"3 KB", u"21 KB", u"40 KB", u"6 KB"});
    return t;
  }
};

}  // namespace gallery
