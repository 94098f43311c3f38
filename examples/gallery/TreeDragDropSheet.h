// The tree drag-and-drop sheet: one scripted OLE drag on the virtual clock
// from a string tree into another, photographed inside the drag loop: the
// source with the dragged node, the target with the node under the pointer
// highlighted, the drop mark below a row, and a folder the hover opened.
// The pointer is the loop's copy cursor, drawn into each picture (screen
// pictures have none). Shared by the gallery page and its golden-image test.
#pragma once

#include <memory>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeStringSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/ole/ActiveX.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

class TTreeDragDropSheet {
 public:
  static constexpr int kWidth = 820, kHeight = 540;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight + 60);
    const bool oleStarted = OleInitialize(nullptr) >= 0;
    ResetInput();

    SheetHeading(c, 16, 10, u"Source: logo.png picked up and dragged");
    auto* source = NewFileTree(form.get(), TRect(16, 32, 396, 240), false);
    SheetHeading(c, 420, 10, u"Over a folder's caption: the target highlighted");
    auto* target = NewFileTree(form.get(), TRect(420, 32, 804, 240), true);
    SheetHeading(c, 16, 276, u"Right of a caption, lower half: the drop mark below");
    SheetHeading(c, 420, 276, u"Rested on Pictures: opened by the hover");
    source->OnDragAllowed = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, bool& Allowed) { Allowed = true; };
    // The drag picture has its own page; here it would cover the target's highlight.
    source->SetDragImageKind(diNoImage);
    target->SetAutoExpandDelay(600);
    // The target's drop mark in the colour the tree page gives it.
    target->Colors()->SetDropMarkColor(TColor(RGB(230, 120, 30)));

    PLazyNode documents = target->GetFirst();
    PLazyNode letter = documents->LastChild;
    PLazyNode pictures = documents->NextSibling;
    PLazyNode music = pictures->NextSibling;
    PLazyNode logo = source->GetFirst()->FirstChild->NextSibling->NextSibling->NextSibling;

    form->Show();
    PumpRounds(2);

    // Each moment is caught the first time the target reports it, while the
    // loop still runs and the target has painted it.
    TScreenImage shotSource, shotOn, shotBelow, shotOpened;
    TPoint atOn, atBelow, atOpened;
    auto take = [&](TScreenImage& Shot, TPoint& At, TBaseLazyTree_qn* T, TPoint Pt, DWORD Effect) {
      if (!Shot.Pixels.empty()) return;
      Shot = CutWindows({T->Handle()});
      RECT w;
      GetWindowRect(T->Handle(), &w);
      TPoint s = T->ClientToScreen(Pt);
      At = TPoint(s.X - w.Left, s.Y - w.Top);
      DrawCursor(Shot, OleDragCursor(Effect), At);
    };
    target->OnDragOver = [&](TBaseLazyTree_qn* T, TObject*, TShiftState, TDragState State, TPoint Pt, TDropMode Mode,
                             DWORD& Effect, bool& Accept) {
      Accept = true;
      if (State != dsDragMove) return;
      PLazyNode over = T->DropTargetNode();
      if (over == music && Mode == dmOnNode) {
        if (shotSource.Pixels.empty()) shotSource = CutWindows({source->Handle()});
        take(shotOn, atOn, T, Pt, Effect);
      } else if (over == letter && Mode == dmBelow) {
        take(shotBelow, atBelow, T, Pt, Effect);
      } else if (over == pictures && T->Expanded(pictures)) {
        take(shotOpened, atOpened, T, Pt, Effect);
      }
    };

    // Pressed on logo.png's caption, dragged out of its tree and over the
    // other one, resting on each place; Escape ends the drag without a drop.
    TPoint start = source->ClientToScreen(CaptionPoint(source, logo));
    InputMouseMove(start.X, start.Y);
    InputMouseDown(VK_LBUTTON);
    for (int step = 1; step <= 3; ++step) InputMouseMove(start.X + 8 * step, start.Y);
    auto restAt = [&](TPoint client, int ms) {
      TPoint s = target->ClientToScreen(client);
      InputMouseMove(s.X - 2, s.Y);
      InputMouseMove(s.X, s.Y);
      InputPause(ms);
    };
    restAt(CaptionPoint(target, music), 200);
    TRect letterRow = target->GetDisplayRect(letter, NoColumn, false);
    restAt(TPoint(280, letterRow.Bottom - 4), 200);
    restAt(CaptionPoint(target, pictures), 900);
    InputKeyDown(VK_ESCAPE);
    InputKeyUp(VK_ESCAPE);
    InputMouseUp(VK_LBUTTON);
    PumpRounds(3);

    HDC sdc = c->Handle();
    BlitImage(sdc, shotSource, source->Left(), source->Top());
    BlitImage(sdc, shotOn, target->Left(), target->Top());
    BlitImage(sdc, shotBelow, source->Left(), 298);
    BlitImage(sdc, shotOpened, target->Left(), 298);

    SheetLabel(c, 16, 246, u"Selected when pressed; the drag began past the threshold");
    SheetLabel(c, 420, 246, u"dmOnNode: a drop here would go into Music (copy cursor)");
    SheetLabel(c, 16, 512, u"dmBelow: a drop here would follow letter.txt");
    SheetLabel(c, 420, 512, u"toAutoDropExpand after AutoExpandDelay (600 ms)");
    ResetInput();
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    if (oleStarted) OleUninitialize();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static vcl::TPoint CaptionPoint(qn::TLazyStringTree_qn* t, qn::PLazyNode n) {
    vcl::TRect r = t->GetDisplayRect(n, 0, true);
    return vcl::TPoint(r.Right - 8, (r.Top + r.Bottom) / 2);
  }

  static qn::TLazyStringTree_qn* NewFileTree(vcl::TForm* form, const vcl::TRect& r, bool archive) {
    using namespace vcl;
    using namespace qn;
    auto* t = TTreeStringSheet::NewStringTree(form, r);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Name", 220);
    TTreeStringSheet::AddColumn(t->Header()->Columns(), u"Size", 130)->SetAlignment(taRightJustify);
    if (archive) {
      t->SetRootNodeCount(3);
      t->SetChildCount(t->GetFirst(), 3);
      t->SetExpanded(t->GetFirst(), true);
      t->SetChildCount(t->GetFirst()->NextSibling, 3);
      t->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex Column, TVSTTextType Type, String& Text) {
        static const char16_t* top[] = {u"Documents", u"Pictures", u"Music"};
        static const char16_t* docs[] = {u"report.odt", u"budget.ods", u"letter.txt"};
        static const char16_t* pics[] = {u"holiday.jpg", u"scan.png", u"sketch.svg"};
        static const char16_t* sizes[] = {u"84 KB", u"27 KB", u"2 KB", u"3 MB", u"640 KB", u"9 KB"};
        if (Type != ttNormal) return;
        if (T->GetNodeLevel(N) == 0) {
          Text = Column == 1 ? String() : String(top[N->Index % 3]);
          return;
        }
        bool inDocs = N->Parent == T->GetFirst();
        if (Column == 1) Text = sizes[(inDocs ? 0 : 3) + N->Index % 3];
        else Text = inDocs ? docs[N->Index % 3] : pics[N->Index % 3];
      });
    } else {
      t->SetRootNodeCount(2);
      t->SetChildCount(t->GetFirst(), 6);
      t->SetExpanded(t->GetFirst(), true);
      t->SetChildCount(t->GetFirst()->NextSibling, 2);
      TTreeStringSheet::ShowFiles(t, {u"Project", u"Assets"},
                                  {u"main.cpp", u"tree_drag.cpp", u"notes.txt", u"logo.png", u"drop_mark.svg",
                                   u"build.log"},
                                  {u"12 KB", u"36 KB", u"3 KB", u"40 KB", u"6 KB", u"2 MB"});
    }
    return t;
  }
};

}  // namespace gallery
