// The tree's first picture: a three-column tree painted by PaintTree with
// tree lines, both button states, every check type and state, state and
// normal images with an overlay, a blended full-row selection and a rounded
// one, the focus rectangle, a hot node, grid lines, column colours, drop
// marks above and below, a dotted and a blended rubber band and a fixed
// column kept in place while scrolled; beside it an empty tree with its
// message. Captions come from the page's own DoPaintNode. Shared by the
// gallery page and its golden-image test.
#pragma once

#include <functional>
#include <memory>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace gallery {

// A tree whose cells show a caption per column (the page draws them).
class TShowcaseTree : public qn::TBaseLazyTree_qn {
  QN_CLASS(TShowcaseTree, qn::TBaseLazyTree_qn)
 public:
  explicit TShowcaseTree(vcl::TComponent* AOwner) : qn::TBaseLazyTree_qn(AOwner) {}
  using qn::TBaseLazyTree_qn::DoStateChange;
  using qn::TBaseLazyTree_qn::FEffectiveOffsetX;
  using qn::TBaseLazyTree_qn::PaintSelectionRectangle;
  std::function<vcl::String(qn::PLazyNode, qn::TColumnIndex)> Caption;

 protected:
  vcl::Integer DoGetNodeWidth(qn::PLazyNode Node, qn::TColumnIndex Column, vcl::TCanvas* C) override {
    if (!Caption) return 0;
    vcl::TCanvas* canvas = C ? C : Canvas();
    canvas->Font()->Assign(Font());
    return canvas->TextWidth(Caption(Node, Column)) + 4;
  }
  void DoPaintNode(qn::TVTPaintInfo& Info) override {
    using namespace vcl;
    if (!Caption) return;
    TCanvas* c = Info.Canvas;
    c->Font()->Assign(Font());
    bool selected = Info.Node->States.Contains(qn::vsSelected) &&
                    Info.PaintOptions.Contains(qn::poDrawSelection) &&
                    (Info.Column == FocusedColumn() || TreeOptions()->SelectionOptions().Contains(qn::toFullRowSelect));
    if (selected && !TreeOptions()->PaintOptions().Contains(qn::toUseBlendedSelection)) c->Font()->SetColor(clWhite);
    if (Info.Node->States.Contains(qn::vsDisabled)) c->Font()->SetColor(clGrayText);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    String s = Caption(Info.Node, Info.Column);
    Integer x = Info.ContentRect.Left + 2;
    if (Info.Alignment == taRightJustify) x = Info.ContentRect.Right - c->TextWidth(s) - 2;
    c->TextOut(x, Info.CellRect.Top + (Info.CellRect.Height() - c->TextHeight(s)) / 2, s);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

class TTreeSheet {
 public:
  static constexpr int kWidth = 900, kHeight = 560;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    SetVirtualClock(true);
    ThemeServices()->ApplyThemeChange();
    auto sheet = std::make_unique<TBitmap>();
    sheet->SetPixelFormat(TPixelFormat::pf32bit);
    sheet->SetSize(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    c->Brush()->SetColor(TColor(RGB(243, 244, 246)));
    c->FillRect(TRect(0, 0, kWidth, kHeight));
    c->Font()->SetName(u"DejaVu Sans");
    c->Font()->SetSize(9);
    auto images = MakeImages();

    // --- The main tree
    Heading(c, 16, 10, u"Three columns: checks, images, selection, focus, grid, drop marks");
    auto t = NewTree(images.get());
    auto* cols = t->Header()->Columns();
    const char16_t* heads[] = {u"Name", u"Kind", u"Size"};
    const Integer widths[] = {250, 130, 90};
    for (int i = 0; i < 3; ++i) cols->Add()->SetWidth(widths[i]);
    cols->Items(1)->SetColor(TColor(RGB(246, 249, 253)));
    cols->Items(1)->SetOptions(cols->Items(1)->Options() - TVTColumnOptions{coParentColor});
    cols->Items(2)->SetAlignment(taRightJustify);
    t->SetBounds(0, 0, 470, 330);
    Build(t.get());
    PLazyNode project = t->GetFirst();
    PLazyNode sources = project->FirstChild;
    PLazyNode sel = sources->FirstChild->NextSibling;
    t->SetFocusedColumn(0);
    t->SetFocusedNode(sel);
    t->SetSelected(sel, true);
    t->SetCurrentHot(sources->FirstChild->NextSibling->NextSibling, 0);
    PLazyNode docs = project->NextSibling;
    t->SetDropTarget(docs, dmAbove);
    ColumnHeads(c, 16, 34, widths, heads, 3);
    Place(c, t.get(), 16, 54, 470, 330, {});
    // Drop mark below another node, painted as a second pass over its row.
    t->SetDropTarget(docs->NextSibling->NextSibling, dmBelow);
    Place(c, t.get(), 16, 54, 470, 330, RowOf(t.get(), docs->NextSibling->NextSibling));
    Label(c, 16, 390, u"Rounded selection with focus; drop marks above Documents, below Music");

    // --- Full-row blended selection with a blended rubber band
    Heading(c, 506, 10, u"Blended full-row selection and band");
    auto b = NewTree(images.get());
    b->SetBounds(0, 0, 370, 150);
    b->TreeOptions()->SetSelectionOptions(TVTSelectionOptions{toFullRowSelect, toMultiSelect});
    b->TreeOptions()->SetPaintOptions(b->TreeOptions()->PaintOptions() + TVTPaintOptions{toUseBlendedSelection});
    b->SetDrawSelectionMode(smBlendedRectangle);
    Build(b.get());
    PLazyNode bs = b->GetFirst()->FirstChild;
    b->SetSelected(bs, true);
    b->SetSelected(bs->NextSibling, true);
    Place(c, b.get(), 506, 34, 370, 150, {}, TRect(150, 40, 330, 120));

    // --- Fixed column, scrolled, dotted rubber band
    Heading(c, 506, 200, u"Fixed column, scrolled by 60; dotted band");
    auto f = NewTree(images.get());
    f->SetBounds(0, 0, 370, 150);
    auto* fc = f->Header()->Columns();
    const Integer fw[] = {170, 150, 150};
    for (int i = 0; i < 3; ++i) fc->Add()->SetWidth(fw[i]);
    fc->Items(0)->SetOptions(fc->Items(0)->Options() + TVTColumnOptions{coFixed});
    fc->Items(0)->SetColor(TColor(RGB(250, 246, 236)));
    fc->Items(0)->SetOptions(fc->Items(0)->Options() - TVTColumnOptions{coParentColor});
    Build(f.get());
    f->FEffectiveOffsetX = 60;
    Place(c, f.get(), 506, 224, 370, 150, {}, TRect(40, 30, 200, 100));

    // --- Empty tree
    Heading(c, 506, 392, u"An empty tree");
    auto e = NewTree(nullptr);
    e->SetBounds(0, 0, 370, 110);
    e->SetEmptyListMessage(u"No files match the filter. Clear the search box to show every file again.");
    Place(c, e.get(), 506, 414, 370, 110, {});
    const TScreenImage picture = BitmapImage(c->Handle(), sheet->Handle(), kWidth, kHeight);
    // Live, the painted trees become windows on a form at the places they
    // were painted at, and take the mouse and keys.
    if (Live) {
      auto form = NewSheetForm(kWidth, kHeight);
      const std::pair<TShowcaseTree*, TRect> at[] = {{t.get(), TRect(16, 54, 486, 384)},
                                                     {b.get(), TRect(506, 34, 876, 184)},
                                                     {f.get(), TRect(506, 224, 876, 374)},
                                                     {e.get(), TRect(506, 414, 876, 524)}};
      for (const auto& [tree, r] : at) {
        tree->SetParent(form.get());
        tree->SetBoundsRect(r);
      }
      Live(form.get(), picture);
      for (const auto& [tree, r] : at) tree->SetParent(nullptr);
    }
    return picture;
  }

 private:
  static std::unique_ptr<TShowcaseTree> NewTree(vcl::TCustomImageList* Images) {
    using namespace vcl;
    using namespace qn;
    auto t = std::make_unique<TShowcaseTree>(nullptr);
    t->SetColor(clWhite);
    t->Font()->SetName(u"DejaVu Sans");
    t->Font()->SetSize(9);
    t->Font()->SetColor(TColor(RGB(30, 36, 46)));
    t->SetDefaultNodeHeight(20);
    t->SetImages(Images);
    t->SetStateImages(Images);
    t->SetCheckImageKind(ckXP);
    t->SetSelectionCurveRadius(6);
    t->Colors()->SetFocusedSelectionColor(TColor(RGB(52, 120, 210)));
    t->Colors()->SetFocusedSelectionBorderColor(TColor(RGB(40, 96, 176)));
    t->Colors()->SetTreeLineColor(TColor(RGB(150, 160, 175)));
    t->Colors()->SetGridLineColor(TColor(RGB(222, 227, 235)));
    t->Colors()->SetDropMarkColor(TColor(RGB(230, 120, 30)));
    t->Colors()->SetSelectionRectangleBlendColor(TColor(RGB(52, 120, 210)));
    t->Colors()->SetSelectionRectangleBorderColor(TColor(RGB(40, 96, 176)));
    TVTPaintOptions po = t->TreeOptions()->PaintOptions();
    po += TVTPaintOptions{toPopupMode, toShowHorzGridLines, toShowVertGridLines, toHotTrack};
    t->TreeOptions()->SetPaintOptions(po);
    t->TreeOptions()->SetMiscOptions(t->TreeOptions()->MiscOptions() + TVTMiscOptions{toCheckSupport});
    t->SetLineStyle(lsDotted);
    return t;
  }

  // Project (Sources (four files), Tests), Documents, Pictures, Music (collapsed).
  static void Build(TShowcaseTree* t) {
    using namespace vcl;
    using namespace qn;
    t->SetRootNodeCount(4);
    PLazyNode project = t->GetFirst();
    t->SetChildCount(project, 2);
    PLazyNode sources = project->FirstChild;
    t->SetChildCount(sources, 4);
    t->SetChildCount(project->LastChild, 1);
    t->SetChildCount(t->GetLastChild(nullptr), 3);
    t->SetExpanded(project, true);
    t->SetExpanded(sources, true);
    const TCheckType types[] = {ctCheckBox, ctRadioButton, ctRadioButton, ctTriStateCheckBox, ctButton};
    const TCheckState states[] = {csCheckedNormal, csCheckedNormal, csUncheckedNormal, csMixedNormal,
                                  csUncheckedNormal};
    int k = 0;
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNext(n)) {
      if (t->GetNodeLevel(n) == 2) {
        n->CheckType = types[k % 5];
        n->CheckState = states[k % 5];
        ++k;
      } else {
        n->CheckType = ctTriStateCheckBox;
        n->CheckState = n == project ? csMixedNormal : csUncheckedNormal;
      }
    }
    t->SetDisabled(sources->LastChild, true);
    t->SetOnGetImageIndex([](TBaseLazyTree_qn* T, PLazyNode N, TVTImageKind Kind, TColumnIndex Column, bool& Ghosted,
                            Integer& Index) {
      if (Column > 0) return;
      // Top-level entries are folders even when empty (Documents, Pictures).
      bool folder = T->GetHasChildren(N) || T->GetNodeLevel(N) == 0;
      switch (Kind) {
        case ikState: Index = N->Index == 1 && T->GetNodeLevel(N) == 2 ? 3 : -1; break;
        case ikOverlay: Index = N->Index == 0 && T->GetNodeLevel(N) == 2 ? 0 : -1; break;
        default: Index = folder ? 0 : 1; break;
      }
      Ghosted = N->Index == 3 && T->GetNodeLevel(N) == 2;
    });
    t->Caption = [t](PLazyNode N, TColumnIndex Column) -> String {
      static const char16_t* top[] = {u"Project", u"Documents", u"Pictures", u"Music"};
      static const char16_t* files[] = {u"main.cpp", u"tree.cpp", u"paint.cpp", u"notes.txt"};
      Cardinal level = t->GetNodeLevel(N);
      String name = level == 0 ? String(top[N->Index % 4])
                    : level == 1 ? String(N->Parent->Index == 0 ? (N->Index == 0 ? u"Sources" : u"Tests") : u"Album")
                                 : String(N->Parent->Index == 0 ? files[N->Index % 4] : u"check_all.cpp");
      if (N->Parent->Index == 3 && level == 1) name = u"Track " + IntToStr(Integer(N->Index) + 1);
      const bool folder = t->GetHasChildren(N) || level == 0;
      auto ends = [&](const char16_t* ext) { return name.size() > 4 && name.compare(name.size() - 4, 4, ext) == 0; };
      switch (Column) {
        case 1:
          return folder           ? String(u"Folder")
                 : ends(u".txt") ? String(u"Text")
                 : ends(u".cpp") ? String(u"C++ source")
                                 : String(u"Audio");
        case 2: return folder ? String() : IntToStr(Integer(12 + N->Index * 7)) + u" KB";
        default: return name;
      }
    };
  }

  static void ColumnHeads(vcl::TCanvas* c, int x, int y, const vcl::Integer* widths, const char16_t** heads, int n) {
    using namespace vcl;
    for (int i = 0; i < n; ++i) {
      c->Brush()->SetColor(TColor(RGB(232, 236, 242)));
      c->FillRect(TRect(x, y, x + widths[i] - 1, y + 20));
      Label(c, x + 6, y + 3, heads[i]);
      x += widths[i];
    }
  }

  // The client rectangle of the node's row, for a pass over that row only.
  static vcl::TRect RowOf(TShowcaseTree* t, qn::PLazyNode n) { return t->GetDisplayRect(n, qn::NoColumn, false); }

  // Paints the tree (or one band of it) the way its window would: onto a
  // client-sized canvas, fixed columns first, then the scrolled rest; the
  // rubber band on top when given. The client is then copied into the sheet.
  static void Place(vcl::TCanvas* c, TShowcaseTree* t, int x, int y, int w, int h, vcl::TRect only,
                    vcl::TRect band = vcl::TRect()) {
    using namespace vcl;
    using namespace qn;
    const TVTInternalPaintOptions options{poBackground, poColumnColor, poDrawFocusRect,
                                          poDrawSelection, poDrawDropMark, poGridLines};
    auto client = std::make_unique<TBitmap>();
    client->SetPixelFormat(TPixelFormat::pf32bit);
    client->SetSize(w, h);
    TCanvas* cc = client->Canvas();
    BitBlt(cc->Handle(), 0, 0, w, h, c->Handle(), x, y, SRCCOPY);
    TRect area(0, 0, w, h);
    if (!IsRectEmpty(only)) area = TRect(0, only.Top, w, only.Bottom);
    Integer fixed = t->Header()->Columns()->GetVisibleFixedWidth();
    if (fixed > 0) {
      TRect window(0, area.Top, fixed, area.Bottom);
      t->PaintTree(cc, window, TPoint(0, area.Top), options, TPixelFormat::pf32bit);
      TRect rest(fixed, area.Top, w, area.Bottom);
      OffsetRect(rest, t->EffectiveOffsetX(), 0);
      t->PaintTree(cc, rest, TPoint(fixed, area.Top), options, TPixelFormat::pf32bit);
    } else {
      t->PaintTree(cc, area, TPoint(0, area.Top), options, TPixelFormat::pf32bit);
    }
    if (!IsRectEmpty(band)) t->PaintSelectionRectangle(cc, 0, band, TRect(0, 0, w, h));
    BitBlt(c->Handle(), x, y, w, h, cc->Handle(), 0, 0, SRCCOPY);
    c->Brush()->SetColor(TColor(RGB(190, 198, 210)));
    c->FrameRect(TRect(x - 1, y - 1, x + w + 1, y + h + 1));
  }

  static void Heading(vcl::TCanvas* c, int x, int y, const vcl::String& s) {
    c->Brush()->SetStyle(vcl::TBrushStyle::bsClear);
    c->Font()->SetStyle(vcl::TFontStyles{vcl::TFontStyle::fsBold});
    c->Font()->SetColor(vcl::TColor(vcl::RGB(40, 48, 60)));
    c->TextOut(x, y, s);
    c->Font()->SetStyle(vcl::TFontStyles());
    c->Brush()->SetStyle(vcl::TBrushStyle::bsSolid);
  }

  static void Label(vcl::TCanvas* c, int x, int y, const vcl::String& s) {
    c->Brush()->SetStyle(vcl::TBrushStyle::bsClear);
    c->Font()->SetColor(vcl::TColor(vcl::RGB(70, 78, 90)));
    c->TextOut(x, y, s);
    c->Brush()->SetStyle(vcl::TBrushStyle::bsSolid);
  }

  // Folder, page, star overlay and a small green state dot.
  static std::unique_ptr<vcl::TImageList> MakeImages() {
    using namespace vcl;
    auto list = std::make_unique<TImageList>(nullptr);
    list->SetSize(16, 16);
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(16, 16);
    TCanvas* bc = b->Canvas();
    auto clear = [&] {
      bc->Brush()->SetColor(clFuchsia);
      bc->FillRect(TRect(0, 0, 16, 16));
    };
    clear();
    bc->Brush()->SetColor(TColor(RGB(232, 176, 60)));
    bc->Pen()->SetColor(TColor(RGB(176, 120, 24)));
    bc->Rectangle(1, 3, 8, 6);
    bc->Brush()->SetColor(TColor(RGB(250, 206, 96)));
    bc->Rectangle(1, 5, 15, 14);
    list->AddMasked(b.get(), clFuchsia);
    clear();
    bc->Brush()->SetColor(clWhite);
    bc->Pen()->SetColor(TColor(RGB(90, 110, 140)));
    bc->Rectangle(3, 1, 13, 15);
    bc->Pen()->SetColor(TColor(RGB(70, 130, 200)));
    for (int yy = 4; yy <= 11; yy += 2) {
      bc->MoveTo(5, yy);
      bc->LineTo(11, yy);
    }
    list->AddMasked(b.get(), clFuchsia);
    clear();
    bc->Brush()->SetColor(TColor(RGB(220, 40, 60)));
    bc->Pen()->SetColor(TColor(RGB(150, 20, 30)));
    bc->Polygon({TPoint(4, 8), TPoint(5, 11), TPoint(8, 11), TPoint(6, 13), TPoint(7, 15), TPoint(4, 14),
                 TPoint(1, 15), TPoint(2, 13), TPoint(0, 11), TPoint(3, 11)});
    list->AddMasked(b.get(), clFuchsia);
    list->Overlay(2, 0);
    clear();
    bc->Brush()->SetColor(TColor(RGB(60, 170, 90)));
    bc->Pen()->SetColor(TColor(RGB(30, 120, 60)));
    bc->Ellipse(4, 4, 12, 12);
    list->AddMasked(b.get(), clFuchsia);
    return list;
  }
};

}  // namespace gallery
