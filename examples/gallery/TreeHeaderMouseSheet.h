// The tree header mouse sheet: string trees driven by scripted mouse input
// on the virtual clock and captured mid-gesture: a column dragged halfway
// across its header, its translucent picture over the drop mark, and a cell
// held down while the mouse lights up its neighbour. Shared by the gallery
// page and its golden-image test.
#pragma once

#include <memory>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeStringSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeHeaderMouseSheet {
 public:
  static constexpr int kWidth = 820, kHeight = 258;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    ResetInput();
    ClearScreenOverlay();
    if (Mouse) Mouse->SetDragThreshold(5);

    SheetHeading(c, 16, 10, u"Column \"Name\" dragged halfway, dropped after \"Size\"");
    auto* dragged = NewTree(form.get(), TRect(16, 32, 396, 202));
    SheetHeading(c, 420, 10, u"\"Size\" held down, the mouse over \"Type\"");
    auto* pressed = NewTree(form.get(), TRect(420, 32, 804, 202));
    pressed->Header()->SetOptions(pressed->Header()->Options() - TVTHeaderOptions{hoDrag});

    form->Show();
    PumpRounds(2);
    HDC sdc = c->Handle();

    // The drag: pressed on "Name", moved over the right half of "Size".
    Integer y = -dragged->Header()->Height() / 2;
    MoveTo(dragged, TPoint(70, y));
    InputMouseDown(VK_LBUTTON);
    PumpRounds(1);
    MoveTo(dragged, TPoint(100, y));
    MoveTo(dragged, TPoint(150, y));
    MoveTo(dragged, TPoint(205, y));
    PumpRounds(1);
    BlitImage(sdc, CutWindows({dragged->Handle()}), dragged->Left(), dragged->Top());
    InputKeyDown(VK_ESCAPE);
    InputKeyUp(VK_ESCAPE);
    InputMouseUp(VK_LBUTTON);
    PumpRounds(1);

    // The press: no timer may run between the move and the picture, or the
    // pressed look would go (the mouse left the pressed cell).
    y = -pressed->Header()->Height() / 2;
    MoveTo(pressed, TPoint(190, y));
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
    MoveTo(pressed, TPoint(300, y), false);
    MoveTo(pressed, TPoint(301, y), false);
    BlitImage(sdc, CutWindows({pressed->Handle()}), pressed->Left(), pressed->Top());
    InputMouseUp(VK_LBUTTON);
    PumpRounds(1);

    SheetLabel(c, 16, 210, u"Translucent picture of the column; drop mark after \"Size\"");
    SheetLabel(c, 420, 210, u"\"Size\" drawn pressed, \"Type\" drawn hot");
    ResetInput();
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    ClearScreenOverlay();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static qn::TLazyStringTree_qn* NewTree(vcl::TForm* form, const vcl::TRect& r) {
    using namespace vcl;
    using namespace qn;
    auto* t = TTreeStringSheet::NewStringTree(form, r);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Name", 140);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Size", 90)->SetAlignment(taRightJustify);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Type", 120);
    t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible, hoHotTrack, hoDrag});
    t->SetRootNodeCount(6);
    t->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex Column, TVSTTextType Type, String& Text) {
      static const char16_t* names[] = {u"main.cpp", u"header.cpp", u"notes.txt", u"logo.png", u"drag.svg",
                                        u"tree.h"};
      static const char16_t* sizes[] = {u"12 KB", u"48 KB", u"3 KB", u"40 KB", u"6 KB", u"9 KB"};
      static const char16_t* types[] = {u"C++ source", u"C++ source", u"Text", u"Picture", u"Drawing",
                                        u"C++ header"};
      if (Type != ttNormal) return;
      Text = Column == 1 ? sizes[N->Index % 6] : Column == 2 ? types[N->Index % 6] : names[N->Index % 6];
    });
    return t;
  }

  static void MoveTo(qn::TLazyStringTree_qn* t, vcl::TPoint client, bool pump = true) {
    vcl::TPoint s = t->ClientToScreen(client);
    vcl::InputMouseMove(s.X, s.Y);
    if (pump) PumpRounds(1);
    else vcl::Application->ProcessMessages();
  }
};

}  // namespace gallery
