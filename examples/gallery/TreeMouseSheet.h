// The tree mouse sheet: string trees driven by scripted mouse input on the
// virtual clock and captured mid-gesture: a rubber band being dragged over
// rows, blended and dotted; a hot node with its hot expand button under the
// mouse; and a check box held down. Shared by the gallery page and its
// golden-image test.
#pragma once

#include <memory>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeStringSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeMouseSheet {
 public:
  static constexpr int kWidth = 820, kHeight = 560;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    ResetInput();

    SheetHeading(c, 16, 10, u"Rubber band, blended, over four rows");
    auto* blended = NewFileTree(form.get(), TRect(16, 32, 396, 262));
    blended->SetDrawSelectionMode(smBlendedRectangle);
    SheetHeading(c, 420, 10, u"Rubber band, dotted: Ctrl held, toggling");
    auto* dotted = NewFileTree(form.get(), TRect(420, 32, 804, 262));
    // Themed trees always blend the band: this one draws it plain.
    dotted->TreeOptions()->SetPaintOptions(dotted->TreeOptions()->PaintOptions() - TVTPaintOptions{toThemeAware});
    SheetHeading(c, 16, 290, u"Hot node, its expand button under the mouse");
    auto* hot = NewFileTree(form.get(), TRect(16, 312, 396, 512));
    TVTSelectionOptions so = hot->TreeOptions()->SelectionOptions();
    hot->TreeOptions()->SetSelectionOptions(so + TVTSelectionOptions{toFullRowSelect});
    SheetHeading(c, 420, 290, u"A check box held down by the mouse");
    auto* checks = NewFileTree(form.get(), TRect(420, 312, 804, 512));
    checks->TreeOptions()->SetMiscOptions(checks->TreeOptions()->MiscOptions() + TVTMiscOptions{toCheckSupport});
    for (PLazyNode n = checks->GetFirst(); n; n = checks->GetNext(n)) {
      checks->SetCheckType(n, ctCheckBox);
      if (n->Index % 3 == 1) checks->SetCheckState(n, csCheckedNormal);
    }

    form->Show();
    PumpRounds(2);
    HDC sdc = c->Handle();
    auto capture = [&](TLazyStringTree_qn* t) {
      PumpRounds(2);
      BlitImage(sdc, CutWindows({t->Handle()}), t->Left(), t->Top());
    };

    // Each gesture is held while its tree is captured, then released.
    PLazyNode second = blended->GetFirst()->FirstChild;
    DragBand(blended, TPoint(250, RowMid(blended, second)), TPoint(70, RowMid(blended, second) + 66), 0);
    capture(blended);
    Release(VK_LBUTTON, 0);
    dotted->SetSelected(dotted->GetFirst()->FirstChild->NextSibling, true);
    dotted->SetSelected(dotted->GetFirst()->FirstChild->NextSibling->NextSibling->NextSibling, true);
    PLazyNode first = dotted->GetFirst()->FirstChild;
    DragBand(dotted, TPoint(250, RowMid(dotted, first) - 4), TPoint(64, RowMid(dotted, first) + 70), VK_CONTROL);
    capture(dotted);
    Release(VK_LBUTTON, VK_CONTROL);

    PLazyNode pictures = hot->GetFirst()->NextSibling;
    hot->SetSelected(hot->GetFirst()->FirstChild, true);
    MoveTo(hot, ButtonCentre(hot, pictures));
    MoveTo(hot, ButtonCentre(hot, pictures));
    capture(hot);

    PLazyNode target = checks->GetFirst()->FirstChild->NextSibling->NextSibling;
    TRect row = checks->GetDisplayRect(target, 0, false);
    MoveTo(checks, TPoint(Integer(checks->Indent()) * 2 + checks->Margin() + checks->CheckImages()->Width() / 2,
                          (row.Top + row.Bottom) / 2));
    InputMouseDown(VK_LBUTTON);
    PumpRounds(1);
    capture(checks);
    // Released away from the item: the press is cancelled.
    MoveTo(checks, TPoint(60, checks->ClientHeight() - 4));
    Release(VK_LBUTTON, 0);

    SheetLabel(c, 16, 268, u"Started beside the text; selected: the names the band crosses");
    SheetLabel(c, 420, 268, u"Ctrl toggles: the two rows selected before flip");
    SheetLabel(c, 16, 518, u"Full-row hot tracking: the row and its button light up");
    SheetLabel(c, 420, 518, u"Pressed until released over the item");
    ResetInput();
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static qn::TLazyStringTree_qn* NewFileTree(vcl::TForm* form, const vcl::TRect& r) {
    using namespace vcl;
    using namespace qn;
    auto* t = TTreeStringSheet::NewStringTree(form, r);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Name", 220);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Size", 130)->SetAlignment(taRightJustify);
    t->TreeOptions()->SetSelectionOptions(t->TreeOptions()->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
    t->Colors()->SetSelectionRectangleBlendColor(TColor(RGB(52, 120, 210)));
    t->Colors()->SetSelectionRectangleBorderColor(TColor(RGB(40, 96, 176)));
    t->SetRootNodeCount(3);
    t->SetChildCount(t->GetFirst(), 6);
    t->SetExpanded(t->GetFirst(), true);
    t->SetChildCount(t->GetFirst()->NextSibling, 3);
    TTreeStringSheet::ShowFiles(t, {u"Project", u"Pictures", u"Archive"},
                                {u"main.cpp", u"tree_mouse.cpp", u"notes.txt", u"hit_test.cpp", u"logo.png",
                                 u"rubber_band.svg"},
                                {u"12 KB", u"48 KB", u"3 KB", u"21 KB", u"40 KB", u"6 KB"});
    return t;
  }

  static vcl::Integer RowMid(qn::TLazyStringTree_qn* t, qn::PLazyNode n) {
    vcl::TRect r = t->GetDisplayRect(n, qn::NoColumn, false);
    return (r.Top + r.Bottom) / 2;
  }

  static vcl::TPoint ButtonCentre(qn::TLazyStringTree_qn* t, qn::PLazyNode n) {
    // The button sits in the node's last indentation level.
    vcl::Integer indent = vcl::Integer(t->Indent());
    return vcl::TPoint(indent * vcl::Integer(t->GetNodeLevel(n)) + indent / 2, RowMid(t, n));
  }

  static void MoveTo(qn::TLazyStringTree_qn* t, vcl::TPoint client) {
    vcl::TPoint s = t->ClientToScreen(client);
    vcl::InputMouseMove(s.X, s.Y);
    PumpRounds(1);
  }

  static void DragBand(qn::TLazyStringTree_qn* t, vcl::TPoint from, vcl::TPoint to, int key) {
    vcl::AdvanceClock(1000);
    if (key) vcl::InputKeyDown(key);
    MoveTo(t, from);
    vcl::InputMouseDown(vcl::VK_LBUTTON);
    PumpRounds(1);
    MoveTo(t, vcl::TPoint((from.X + to.X) / 2, (from.Y + to.Y) / 2));
    MoveTo(t, to);
  }

  static void Release(int button, int key) {
    vcl::InputMouseUp(button);
    if (key) vcl::InputKeyUp(key);
    PumpRounds(1);
  }
};

}  // namespace gallery
