// The tree's decorations sheet: every line type in both reading directions,
// small trees in the three line styles and both line modes, the expand
// buttons of each style and fill mode, all images of the shared check sets
// and node images drawn normal, with an overlay, ghosted, blended, cut and
// disabled. Everything is drawn by the tree's own decoration routines onto
// one bitmap. Shared by the gallery page and its golden-image test.
#pragma once

#include <memory>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace gallery {

// A tree whose decoration routines the sheet calls one by one.
class TDecorationsDemoTree : public qn::TBaseLazyTree_qn {
  QN_CLASS(TDecorationsDemoTree, qn::TBaseLazyTree_qn)
 public:
  explicit TDecorationsDemoTree(vcl::TComponent* AOwner) : qn::TBaseLazyTree_qn(AOwner) {}
  using qn::TBaseLazyTree_qn::DoStateChange;
  using qn::TBaseLazyTree_qn::DrawLineImage;
  using qn::TBaseLazyTree_qn::FHotMinusBM;
  using qn::TBaseLazyTree_qn::FHotPlusBM;
  using qn::TBaseLazyTree_qn::FMinusBM;
  using qn::TBaseLazyTree_qn::FPlusBM;
  using qn::TBaseLazyTree_qn::PaintImage;
  using qn::TBaseLazyTree_qn::PaintNodeButton;
  using qn::TBaseLazyTree_qn::PaintTreeLines;
  using qn::TBaseLazyTree_qn::PrepareBitmaps;
};

class TTreeDecorationsSheet {
 public:
  static constexpr int kWidth = 860, kHeight = 860;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto tree = std::make_unique<TDecorationsDemoTree>(nullptr);
    tree->SetColor(clWhite);
    tree->Colors()->SetTreeLineColor(TColor(RGB(120, 130, 145)));
    tree->Colors()->SetGridLineColor(TColor(RGB(200, 208, 220)));

    LineTypes(c, tree.get(), 16, 12);
    LineStyles(c, tree.get(), 16, 196);
    Buttons(c, tree.get(), 16, 396);
    CheckSets(c, 16, 512);
    NodeImages(c, tree.get(), 16, 772);
    const TScreenImage picture = BitmapImage(c->Handle(), sheet->Handle(), kWidth, kHeight);
    if (Live) {
      // Live, the four small trees are string trees in the same line style
      // and mode over their pictures, to be opened and closed.
      auto form = NewSheetForm(kWidth, kHeight);
      const struct {
        TVTLineStyle Style;
        TVTLineMode Mode;
      } kinds[] = {{lsDotted, lmNormal}, {lsSolid, lmNormal}, {lsCustomStyle, lmNormal}, {lsSolid, lmBands}};
      for (int k = 0; k < 4; ++k)
        LiveMiniTree(form.get(), TRect(16 + k * 210, 220, 16 + k * 210 + 196, 366), kinds[k].Style, kinds[k].Mode);
      Live(form.get(), picture);
    }
    return picture;
  }

 private:
  static std::unique_ptr<vcl::TBitmap> Scratch(int w, int h, vcl::TColor fill) {
    using namespace vcl;
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(TPixelFormat::pf32bit);
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(fill);
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    return b;
  }

  // A framed card at 1:1 or magnified, so single pixels can be seen.
  static void Card(vcl::TCanvas* c, vcl::TBitmap* b, int x, int y, int scale) {
    using namespace vcl;
    int w = b->Width() * scale, h = b->Height() * scale;
    StretchBlt(c->Handle(), x, y, w, h, b->Canvas()->Handle(), 0, 0, b->Width(), b->Height(), SRCCOPY);
    c->Brush()->SetColor(TColor(RGB(200, 206, 216)));
    c->FrameRect(TRect(x - 1, y - 1, x + w + 1, y + h + 1));
  }

  static void LineTypes(vcl::TCanvas* c, TDecorationsDemoTree* t, int x0, int y0) {
    using namespace vcl;
    using namespace qn;
    SheetHeading(c, x0, y0, u"Line types, left to right (top) and right to left (bottom), three times enlarged");
    const char16_t* names[] = {u"None",     u"BottomRight", u"TopDown", u"TopDownRight",
                               u"Right",    u"TopRight",    u"Left",    u"LeftBottom"};
    t->SetLineStyle(lsSolid);
    t->PrepareBitmaps(false, true);
    for (int rtl = 0; rtl < 2; ++rtl)
      for (int i = 0; i < 8; ++i) {
        auto b = Scratch(18, 18, clWhite);
        TVTPaintInfo info;
        info.Canvas = b->Canvas();
        b->Canvas()->Font()->SetColor(TColor(RGB(50, 90, 160)));
        t->DrawLineImage(info, 0, 0, 17, 8, TVTLineType(i), rtl == 1);
        int x = x0 + i * 104, y = y0 + 24 + rtl * 76;
        Card(c, b.get(), x, y, 3);
        Card(c, b.get(), x + 62, y + 18, 1);
        SheetLabel(c, x, y + 56, names[i]);
      }
  }

  // Small trees: lines in the given style and mode, buttons and captions.
  static void MiniTree(vcl::TCanvas* c, TDecorationsDemoTree* t, int x, int y, qn::TVTLineStyle style,
                       qn::TVTLineMode mode, const vcl::String& caption) {
    using namespace vcl;
    using namespace qn;
    static const Word dashes[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0xF0, 0xF0, 0xF0, 0xF0};
    t->OnGetLineStyle = [](TBaseLazyTree_qn*, Pointer& Bits) { Bits = const_cast<Word*>(dashes); };
    t->SetLineStyle(style);
    t->SetLineMode(mode);
    t->PrepareBitmaps(true, true);
    const int w = 196, h = 146;
    auto b = Scratch(w, h, clWhite);
    TCanvas* bc = b->Canvas();
    bc->Font()->SetName(u"DejaVu Sans");
    bc->Font()->SetSize(8);
    // Captions by the node's place: top level, under Documents, under
    // Reports, under Pictures.
    auto text = [t](PLazyNode n) -> const char16_t* {
      static const char16_t* top[] = {u"Documents", u"Music", u"Pictures"};
      static const char16_t* docs[] = {u"Letters", u"Reports", u"Drafts"};
      static const char16_t* years[] = {u"2025", u"2026"};
      switch (t->GetNodeLevel(n)) {
        case 0: return top[n->Index];
        case 1: return n->Parent->Index == 0 ? docs[n->Index] : u"Holidays";
        default: return years[n->Index];
      }
    };
    int row = 0;
    for (PLazyNode n = t->GetFirstVisible(); n; n = t->GetNextVisible(n), ++row) {
      TLineImage lines;
      t->DetermineLineImageAndSelectLevel(n, lines);
      Integer indentSize = Integer(lines.size());
      TVTPaintInfo info;
      info.Canvas = bc;
      info.Node = n;
      info.PaintOptions = TVTInternalPaintOptions{poGridLines};
      info.CellRect = TRect(0, row * 18, w, row * 18 + 18);
      if (mode == lmBands) {
        bc->Brush()->SetColor(TColor(RGB(200, 208, 220)));
        bc->FillRect(TRect(indentSize * 18, row * 18 + 17, w, row * 18 + 18));
      }
      t->PaintTreeLines(info, 9, indentSize, lines);
      if (t->GetHasChildren(n))
        t->PaintNodeButton(bc, n, -1, info.CellRect, (indentSize - 1) * 18 + 5, 4, bdLeftToRight);
      bc->Brush()->SetStyle(TBrushStyle::bsClear);
      bc->Font()->SetColor(TColor(RGB(30, 36, 46)));
      bc->TextOut(indentSize * 18 + 4, row * 18 + 2, text(n));
      bc->Brush()->SetStyle(TBrushStyle::bsSolid);
    }
    Card(c, b.get(), x, y, 1);
    SheetLabel(c, x, y + h + 6, caption);
  }

  // Documents (Letters, Reports (2025, 2026), Drafts), Music, Pictures
  // (Holidays), with Documents and Reports open.
  static void GrowSampleFolders(qn::TBaseLazyTree_qn* t) {
    using namespace qn;
    t->SetRootNodeCount(3);
    PLazyNode docs = t->GetFirst();
    t->SetChildCount(docs, 3);
    PLazyNode reports = docs->FirstChild->NextSibling;
    t->SetChildCount(reports, 2);
    t->SetChildCount(docs->NextSibling->NextSibling, 1);
    t->SetExpanded(docs, true);
    t->SetExpanded(reports, true);
  }

  // The small tree of LineStyles as a window.
  static void LiveMiniTree(vcl::TForm* form, const vcl::TRect& r, qn::TVTLineStyle style, qn::TVTLineMode mode) {
    using namespace vcl;
    using namespace qn;
    static const Word dashes[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0xF0, 0xF0, 0xF0, 0xF0};
    auto* t = new TLazyStringTree_qn(form);
    t->SetParent(form);
    t->SetBoundsRect(r);
    t->SetBorderStyle(bsNone);
    t->SetColor(clWhite);
    t->Font()->SetName(u"DejaVu Sans");
    t->Font()->SetSize(8);
    t->SetDefaultNodeHeight(18);
    t->Colors()->SetTreeLineColor(TColor(RGB(120, 130, 145)));
    t->OnGetLineStyle = [](TBaseLazyTree_qn*, Pointer& Bits) { Bits = const_cast<Word*>(dashes); };
    t->SetLineStyle(style);
    t->SetLineMode(mode);
    t->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode n, TColumnIndex, TVSTTextType, String& Text) {
      static const char16_t* top[] = {u"Documents", u"Music", u"Pictures"};
      static const char16_t* docs[] = {u"Letters", u"Reports", u"Drafts"};
      static const char16_t* years[] = {u"2025", u"2026"};
      switch (T->GetNodeLevel(n)) {
        case 0: Text = top[n->Index]; break;
        case 1: Text = n->Parent->Index == 0 ? docs[n->Index] : u"Holidays"; break;
        default: Text = years[n->Index];
      }
    });
    GrowSampleFolders(t);
  }

  static void LineStyles(vcl::TCanvas* c, TDecorationsDemoTree* t, int x0, int y0) {
    using namespace vcl;
    using namespace qn;
    SheetHeading(c, x0, y0, u"Tree lines: dotted, solid and a custom dash; normal lines and bands");
    GrowSampleFolders(t);
    MiniTree(c, t, x0, y0 + 24, lsDotted, lmNormal, u"dotted");
    MiniTree(c, t, x0 + 210, y0 + 24, lsSolid, lmNormal, u"solid");
    MiniTree(c, t, x0 + 420, y0 + 24, lsCustomStyle, lmNormal, u"custom dash");
    MiniTree(c, t, x0 + 630, y0 + 24, lsSolid, lmBands, u"bands");
    t->SetLineMode(lmNormal);
    t->SetLineStyle(lsDotted);
  }

  static void Buttons(vcl::TCanvas* c, TDecorationsDemoTree* t, int x0, int y0) {
    using namespace vcl;
    using namespace qn;
    SheetHeading(c, x0, y0, u"Buttons: style and fill mode, collapsed and expanded, plain and hot (enlarged and 1:1)");
    struct TKind {
      TVTButtonStyle Style;
      TVTButtonFillMode Fill;
      const char16_t* Name;
    };
    const TKind kinds[] = {{bsRectangle, fmTreeColor, u"tree colour"},
                           {bsRectangle, fmWindowColor, u"window colour"},
                           {bsRectangle, fmShaded, u"shaded"},
                           {bsRectangle, fmTransparent, u"transparent"},
                           {bsTriangle, fmTreeColor, u"triangle"}};
    t->SetColor(TColor(RGB(236, 242, 250)));
    for (int k = 0; k < 5; ++k) {
      t->SetButtonStyle(kinds[k].Style);
      t->SetButtonFillMode(kinds[k].Fill);
      t->PrepareBitmaps(true, false);
      int x = x0 + k * 166;
      TBitmap* pics[] = {t->FPlusBM.get(), t->FMinusBM.get(), t->FHotPlusBM.get(), t->FHotMinusBM.get()};
      for (int i = 0; i < 4; ++i) {
        auto b = Scratch(11, 11, t->Color());
        b->Canvas()->Draw(1, 1, pics[i]);
        Card(c, b.get(), x + i * 38, y0 + 24, 3);
        Card(c, b.get(), x + i * 38 + 11, y0 + 62, 1);
      }
      SheetLabel(c, x, y0 + 78, kinds[k].Name);
    }
    t->SetColor(clWhite);
    t->SetButtonStyle(bsRectangle);
    t->SetButtonFillMode(fmTreeColor);
  }

  static void CheckSets(vcl::TCanvas* c, int x0, int y0) {
    using namespace vcl;
    using namespace qn;
    SheetHeading(c, x0, y0, u"Check image sets: 0 empty, radio 1-8, check box 9-20, push button 21-24");
    const struct {
      TCheckImageKind Kind;
      const char16_t* Name;
    } sets[] = {{ckLightCheck, u"light check"}, {ckDarkCheck, u"dark check"},   {ckLightTick, u"light tick"},
                {ckDarkTick, u"dark tick"},     {ckFlat, u"flat"},              {ckXP, u"colour"},
                {ckSystemDefault, u"system"},   {ckSystemFlat, u"system flat"}};
    int y = y0 + 22;
    for (const auto& s : sets) {
      TCustomImageList* l = SharedCheckImages(s.Kind);
      SheetLabel(c, x0, y + 3, s.Name);
      for (int i = 0; i < l->Count(); ++i) l->Draw(c, x0 + 100 + i * 25, y, i, dsTransparent, itImage);
      y += 22;
    }
    SheetLabel(c, x0, y + 3, u"utilities");
    TCustomImageList* u = UtilityImages();
    for (int i = 0; i < u->Count(); ++i) u->Draw(c, x0 + 100 + i * 25, y, i, dsTransparent, itImage);
  }

  // A 16 x 16 folder and page, and a small star used as an overlay.
  static std::unique_ptr<vcl::TImageList> MakeImages() {
    using namespace vcl;
    auto list = std::make_unique<TImageList>(nullptr);
    list->SetSize(16, 16);
    auto b = Scratch(16, 16, clFuchsia);
    TCanvas* bc = b->Canvas();
    // Folder.
    bc->Brush()->SetColor(TColor(RGB(232, 176, 60)));
    bc->Pen()->SetColor(TColor(RGB(176, 120, 24)));
    bc->Rectangle(1, 3, 8, 6);
    bc->Brush()->SetColor(TColor(RGB(250, 206, 96)));
    bc->Rectangle(1, 5, 15, 14);
    list->AddMasked(b.get(), clFuchsia);
    // Page.
    bc->Brush()->SetColor(clFuchsia);
    bc->FillRect(TRect(0, 0, 16, 16));
    bc->Brush()->SetColor(clWhite);
    bc->Pen()->SetColor(TColor(RGB(90, 110, 140)));
    bc->Rectangle(3, 1, 13, 15);
    bc->Pen()->SetColor(TColor(RGB(70, 130, 200)));
    for (int yy = 4; yy <= 11; yy += 2) {
      bc->MoveTo(5, yy);
      bc->LineTo(11, yy);
    }
    list->AddMasked(b.get(), clFuchsia);
    // Star overlay, bottom left.
    bc->Brush()->SetColor(clFuchsia);
    bc->FillRect(TRect(0, 0, 16, 16));
    bc->Brush()->SetColor(TColor(RGB(220, 40, 60)));
    bc->Pen()->SetColor(TColor(RGB(150, 20, 30)));
    bc->Polygon({TPoint(4, 8), TPoint(5, 11), TPoint(8, 11), TPoint(6, 13), TPoint(7, 15), TPoint(4, 14),
                 TPoint(1, 15), TPoint(2, 13), TPoint(0, 11), TPoint(3, 11)});
    list->AddMasked(b.get(), clFuchsia);
    list->Overlay(2, 0);
    return list;
  }

  static void NodeImages(vcl::TCanvas* c, TDecorationsDemoTree* t, int x0, int y0) {
    using namespace vcl;
    using namespace qn;
    SheetHeading(c, x0, y0 - 20, u"Node images: plain, overlay, ghosted, selected (blended), cut and disabled");
    auto images = MakeImages();
    t->SetImages(images.get());
    TVTPaintOptions po = t->TreeOptions()->PaintOptions();
    po.Include(toGhostedIfUnfocused);
    t->TreeOptions()->SetPaintOptions(po);
    t->SetRootNodeCount(1);
    PLazyNode n = t->GetFirst();
    struct TCase {
      const char16_t* Name;
      Integer Overlay;
      bool Ghosted, Selected, Cut, Disabled;
    };
    const TCase cases[] = {{u"plain", -1, false, false, false, false},   {u"overlay", 0, false, false, false, false},
                           {u"ghosted", -1, true, false, false, false},  {u"selected", -1, false, true, false, false},
                           {u"cut", -1, false, false, true, false},      {u"disabled", 0, false, false, false, true}};
    Integer index = 0, overlay = -1;
    bool ghost = false;
    t->SetOnGetImageIndex([&](TBaseLazyTree_qn*, PLazyNode, TVTImageKind Kind, TColumnIndex, bool& Ghosted,
                             Integer& Index) {
      if (Kind == ikOverlay) {
        Index = overlay;
        return;
      }
      Index = index;
      Ghosted = ghost;
    });
    for (int i = 0; i < 6; ++i) {
      const TCase& k = cases[i];
      for (int img = 0; img < 2; ++img) {
        auto b = Scratch(20, 20, clWhite);
        index = img;
        overlay = k.Overlay;
        ghost = k.Ghosted;
        t->SetSelected(n, k.Selected);
        t->SetDisabled(n, k.Disabled);
        if (k.Cut) {
          n->States.Include(vsCutOrCopy);
          t->DoStateChange({tsCutPending});
        }
        TVTPaintInfo info;
        info.Canvas = b->Canvas();
        info.Node = n;
        info.ImageInfo[std::size_t(iiNormal)].Index = img;
        info.ImageInfo[std::size_t(iiNormal)].Images = images.get();
        info.ImageInfo[std::size_t(iiNormal)].Ghosted = k.Ghosted;
        info.ImageInfo[std::size_t(iiNormal)].XPos = 2;
        info.ImageInfo[std::size_t(iiNormal)].YPos = 2;
        t->PaintImage(info, iiNormal, true);
        n->States.Exclude(vsCutOrCopy);
        t->DoStateChange({}, {tsCutPending});
        int x = x0 + i * 138 + img * 66;
        Card(c, b.get(), x, y0, 3);
      }
      SheetLabel(c, x0 + i * 138, y0 + 62, k.Name);
    }
    t->SetSelected(n, false);
    t->SetDisabled(n, false);
    t->SetOnGetImageIndex({});
    t->SetImages(nullptr);
  }
};

}  // namespace gallery
