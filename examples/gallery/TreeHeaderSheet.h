// The tree header sheet: real trees on a form, their headers painted in the
// non-client area and captured: the three button styles with hot, pressed
// and sorted cells, images in every layout, check boxes, wrapped, shortened
// and disabled captions, a right-to-left column, both drop marks, themed
// cells and the two owner-draw protocols. Shared by the gallery page and its
// golden-image test.
#pragma once

#include <memory>
#include <vector>

#include "examples/gallery/SheetImage.h"
#include "examples/gallery/SheetBase.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

// The header's mouse handling sets the hot, pressed and drop-target cells;
// previews and tests without a mouse set them here.
struct TLazyTreeColumnsAccess {
  static void SetHover(TLazyTreeColumns* C, TColumnIndex Index) { C->FHoverIndex = Index; }
  static void SetDown(TLazyTreeColumns* C, TColumnIndex Index, bool OnCheckBox = false) {
    C->FDownIndex = Index;
    C->FCheckBoxHit = OnCheckBox;
  }
  static void SetDropTarget(TLazyTreeColumns* C, TColumnIndex Dragged, TColumnIndex Target, bool Before) {
    C->FDragIndex = Dragged;
    C->FDropTarget = Target;
    C->FDropBefore = Before;
  }
};

}  // namespace qn

namespace gallery {

// A tree whose client shows its colour; the header is the subject here.
class THeaderDemoTree : public qn::TBaseLazyTree_qn {
  QN_CLASS(THeaderDemoTree, qn::TBaseLazyTree_qn)
 public:
  explicit THeaderDemoTree(vcl::TComponent* AOwner) : qn::TBaseLazyTree_qn(AOwner) {}
  // The theme use a page wants, whatever the window found at creation.
  bool Themed = false;
  bool Explorer = false;
  void ApplyThemes() {
    if (Themed) DoStateChange({qn::tsUseThemes}, {});
    else DoStateChange({}, {qn::tsUseThemes});
    if (Explorer) DoStateChange({qn::tsUseExplorerTheme}, {});
    else DoStateChange({}, {qn::tsUseExplorerTheme});
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

class TTreeHeaderSheet {
 public:
  static constexpr int kWidth = 800, kHeight = 600;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();

    auto form = NewSheetForm(kWidth, kHeight);
    auto images = MakeImages();
    auto checks = MakeCheckImages();

    struct TCol {
      const char16_t* Text;
      Integer Width;
      TAlignment Align = taLeftJustify;
      TImageIndex Image = -1;
      TVTHeaderColumnLayout Layout = blGlyphLeft;
    };
    auto addColumns = [](THeaderDemoTree* t, std::initializer_list<TCol> cols) {
      for (const TCol& d : cols) {
        TLazyTreeColumn* col = t->Header()->Columns()->Add();
        col->SetText(d.Text);
        col->SetWidth(d.Width);
        col->SetAlignment(d.Align);
        col->SetImageIndex(d.Image);
        col->SetLayout(d.Layout);
      }
    };

    // --- Button styles
    SheetHeading(c, 16, 12, u"Button styles: thick, flat, plates; hot, pressed and sorted cells");
    const TVTHeaderStyle styles[] = {hsThickButtons, hsFlatButtons, hsPlates};
    const char16_t* styleNames[] = {u"hsThickButtons: Size hot, Type pressed, sorted ascending",
                                    u"hsFlatButtons: Size pressed, sorted descending", u"hsPlates: Type hot (raised)"};
    for (int i = 0; i < 3; ++i) {
      auto* t = NewTree(form.get(), TRect(16, 36 + i * 52, 16 + 420, 36 + i * 52 + 30), images.get());
      t->Header()->SetStyle(styles[i]);
      addColumns(t, {{u"Name", 150, taLeftJustify, 0}, {u"Size", 90, taRightJustify}, {u"Type", 110}});
      t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoHotTrack});
      TLazyTreeColumns* cols = t->Header()->Columns();
      if (i == 0) {
        t->Header()->SetSortColumn(0);
        TLazyTreeColumnsAccess::SetHover(cols, 1);
        TLazyTreeColumnsAccess::SetDown(cols, 2);
      } else if (i == 1) {
        t->Header()->SetSortColumn(1);
        t->Header()->SetSortDirection(sdDescending);
        TLazyTreeColumnsAccess::SetDown(cols, 1);
      } else {
        t->Header()->SetSortColumn(0);
        TLazyTreeColumnsAccess::SetHover(cols, 2);
      }
      SheetLabel(c, 16 + 430, 36 + i * 52 + 8, styleNames[i]);
    }

    // --- Images in every layout
    SheetHeading(c, 16, 196, u"Images: glyph left, right, top, bottom; centred and right-aligned");
    {
      auto* t = NewTree(form.get(), TRect(16, 220, 16 + 768, 220 + 56), images.get());
      t->Header()->SetHeight(44);
      t->Header()->SetStyle(hsFlatButtons);
      addColumns(t, {{u"Left", 120, taLeftJustify, 0, blGlyphLeft},
                     {u"Right", 120, taLeftJustify, 1, blGlyphRight},
                     {u"Top", 120, taCenter, 2, blGlyphTop},
                     {u"Bottom", 120, taCenter, 3, blGlyphBottom},
                     {u"Centred", 140, taCenter, 1, blGlyphLeft},
                     {u"Right-aligned", 144, taRightJustify, 2, blGlyphLeft}});
    }

    // --- Check boxes and captions
    SheetHeading(c, 16, 292, u"Check boxes; wrapped, shortened, disabled and right-to-left captions");
    {
      auto* t = NewTree(form.get(), TRect(16, 316, 16 + 768, 316 + 52), images.get());
      t->SetCustomCheckImages(checks.get());
      t->SetCheckImageKind(ckCustom);
      t->Header()->SetHeight(40);
      addColumns(t, {{u"Off", 70}, {u"On", 70}, {u"Mixed", 84},
                     {u"A caption wrapped onto two lines", 140},
                     {u"A caption too long for its column", 134},
                     {u"Disabled", 100},
                     {u"\u05E2\u05DE\u05D5\u05D3\u05D4 \u05D9\u05DE\u05E0\u05D9\u05EA", 170}});
      TLazyTreeColumns* cols = t->Header()->Columns();
      const TCheckState states[] = {csUncheckedNormal, csCheckedNormal, csMixedNormal};
      for (int i = 0; i < 3; ++i) {
        cols->Items(i)->SetCheckType(i == 2 ? ctTriStateCheckBox : ctCheckBox);
        cols->Items(i)->SetCheckBox(true);
        cols->Items(i)->SetCheckState(states[i]);
      }
      cols->Items(3)->SetOptions(cols->Items(3)->Options() + TVTColumnOptions{coWrapCaption});
      cols->Items(5)->SetOptions(cols->Items(5)->Options() - TVTColumnOptions{coEnabled});
      TLazyTreeColumn* rtl = cols->Items(6);
      rtl->SetOptions(rtl->Options() - TVTColumnOptions{coParentBidiMode});
      rtl->SetBiDiMode(bdRightToLeft);
      t->Header()->SetSortColumn(6);
    }

    // --- Dragging
    SheetHeading(c, 16, 384, u"Dragging a column: drop marks before and after the target");
    for (int i = 0; i < 2; ++i) {
      auto* t = NewTree(form.get(), TRect(16 + i * 392, 408, 16 + i * 392 + 376, 408 + 30), images.get());
      addColumns(t, {{u"First", 120, taCenter}, {u"Second", 130, taCenter}, {u"Third", 120, taCenter}});
      TLazyTreeColumnsAccess::SetDropTarget(t->Header()->Columns(), 2 - 2 * i, 1, i == 0);
    }

    // --- Themes and owner drawing
    SheetHeading(c, 16, 456, u"Themed cells, an owner-drawn cell and advanced owner drawing");
    {
      auto* t = NewTree(form.get(), TRect(16, 480, 16 + 376, 480 + 30), images.get());
      addColumns(t, {{u"Normal", 120, taLeftJustify, 0}, {u"Hot", 120}, {u"Pressed", 130}});
      t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoHotTrack});
      t->Header()->SetSortColumn(0);
      TLazyTreeColumnsAccess::SetHover(t->Header()->Columns(), 1);
      TLazyTreeColumnsAccess::SetDown(t->Header()->Columns(), 2);
      t->Themed = true;
      SheetLabel(c, 16, 480 + 36, u"themed: normal, hot, pressed, sorted");
    }
    {
      auto* t = NewTree(form.get(), TRect(408, 480, 408 + 376, 480 + 30), images.get());
      addColumns(t, {{u"Owner drawn", 130}, {u"Plain", 110}, {u"Status", 130}});
      t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoOwnerDraw});
      t->Header()->Columns()->Items(0)->SetStyle(vsOwnerDraw);
      t->OnHeaderDraw = [](TVTHeader*, TCanvas* Canvas, TLazyTreeColumn* Column, const TRect& R, bool, bool,
                           TVTDropMarkMode) {
        HDC dc = Canvas->Handle();
        for (int y = R.Top; y < R.Bottom; ++y) {
          int k = (y - R.Top) * 255 / std::max(1, R.Height() - 1);
          Canvas->Pen()->SetColor(TColor(RGB(64 + k / 5, 112 + k / 6, 196 - k / 8)));
          Canvas->MoveTo(R.Left, y);
          Canvas->LineTo(R.Right, y);
        }
        dc = Canvas->Handle();
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        RECT r = R;
        String s = Column->Text();
        DrawTextW(dc, s.c_str(), Integer(s.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      };
      SheetLabel(c, 408, 480 + 36, u"OnHeaderDraw paints the first cell");
    }
    {
      auto* t = NewTree(form.get(), TRect(16, 536, 16 + 376, 536 + 30), images.get());
      addColumns(t, {{u"Advanced", 130, taLeftJustify, 3}, {u"Text only", 110}, {u"Plain", 130}});
      t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoOwnerDraw});
      t->OnHeaderDrawQueryElements = [](TVTHeader*, THeaderPaintInfo& Info, THeaderPaintElements& Elements) {
        if (!Info.Column) return;
        if (Info.Column->Index() == 0) Elements = {hpeBackground, hpeText};
        else if (Info.Column->Index() == 1) Elements = {hpeText};
      };
      t->OnAdvancedHeaderDraw = [](TVTHeader*, THeaderPaintInfo& Info, const THeaderPaintElements& Elements) {
        TCanvas* cv = Info.TargetCanvas;
        if (Elements.Contains(hpeBackground)) {
          cv->Brush()->SetColor(TColor(RGB(255, 243, 214)));
          cv->FillRect(Info.PaintRectangle);
          cv->Brush()->SetColor(TColor(RGB(232, 160, 48)));
          cv->FillRect(TRect(Info.PaintRectangle.Left, Info.PaintRectangle.Bottom - 3, Info.PaintRectangle.Right,
                             Info.PaintRectangle.Bottom));
        }
        if (Elements.Contains(hpeText)) {
          HDC dc = cv->Handle();
          SetBkMode(dc, TRANSPARENT);
          SetTextColor(dc, RGB(176, 60, 20));
          RECT r = Info.TextRectangle;
          String s = Info.Column->Text();
          s = u"\u2605 " + s;
          r.Right += 40;
          DrawTextW(dc, s.c_str(), Integer(s.size()), &r, DT_LEFT | DT_NOPREFIX);
        }
      };
      SheetLabel(c, 408, 536 + 8, u"OnAdvancedHeaderDraw: own background and text");
    }

    form->Show();
    for (int i = 0; i < form->ControlCount(); ++i) static_cast<THeaderDemoTree*>(form->Controls(i))->ApplyThemes();
    Application->ProcessMessages();
    HDC sdc = c->Handle();
    for (int i = 0; i < form->ControlCount(); ++i) {
      auto* t = static_cast<THeaderDemoTree*>(form->Controls(i));
      RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    Application->ProcessMessages();
    for (int i = 0; i < form->ControlCount(); ++i) {
      auto* t = static_cast<THeaderDemoTree*>(form->Controls(i));
      BlitImage(sdc, CaptureWindow(t->Handle()), t->Left(), t->Top());
    }
    // Live, the trees stay up in their form until the person closes it.
    if (Live) Live(form.get(), BitmapImage(sdc, sheet->Handle(), kWidth, kHeight));
    form.reset();
    return BitmapImage(sdc, sheet->Handle(), kWidth, kHeight);
  }

 private:
  static THeaderDemoTree* NewTree(vcl::TForm* form, const vcl::TRect& r, vcl::TCustomImageList* images) {
    using namespace vcl;
    using namespace qn;
    auto* t = new THeaderDemoTree(form);
    t->SetParent(form);
    t->SetBoundsRect(r);
    t->SetColor(TColor(RGB(252, 252, 253)));
    // A hot caption in an accent colour rather than the default grey, which
    // reads as disabled.
    t->Colors()->SetHeaderHotColor(TColor(RGB(0, 96, 184)));
    t->ScrollBarOptions()->SetScrollBars(ssNone);
    t->Header()->Font()->SetName(u"DejaVu Sans");
    t->Header()->Font()->SetSize(8);
    t->Header()->SetImages(images);
    t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible, hoShowImages});
    return t;
  }



  // Four 16 x 16 glyphs drawn here: a folder, a page, a clock and a star.
  static std::unique_ptr<vcl::TCustomImageList> MakeImages() {
    using namespace vcl;
    auto list = std::make_unique<TCustomImageList>(nullptr);
    list->SetSize(16, 16);
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetSize(16, 16);
    TCanvas* c = b.Canvas();
    auto clear = [&] {
      c->Brush()->SetColor(clFuchsia);
      c->Pen()->SetColor(clFuchsia);
      c->FillRect(TRect(0, 0, 16, 16));
    };
    // Folder.
    clear();
    c->Brush()->SetColor(TColor(RGB(240, 190, 80)));
    c->Pen()->SetColor(TColor(RGB(176, 128, 32)));
    c->Rectangle(TRect(1, 3, 8, 6));
    c->Rectangle(TRect(1, 5, 15, 14));
    list->AddMasked(&b, clFuchsia);
    // Page with a folded corner and lines.
    clear();
    c->Brush()->SetColor(clWhite);
    c->Pen()->SetColor(TColor(RGB(90, 110, 140)));
    c->Polygon({TPoint(3, 1), TPoint(10, 1), TPoint(13, 4), TPoint(13, 14), TPoint(3, 14)});
    c->Pen()->SetColor(TColor(RGB(120, 150, 200)));
    for (int y = 6; y <= 11; y += 2) {
      c->MoveTo(5, y);
      c->LineTo(11, y);
    }
    list->AddMasked(&b, clFuchsia);
    // Clock.
    clear();
    c->Brush()->SetColor(TColor(RGB(222, 236, 252)));
    c->Pen()->SetColor(TColor(RGB(46, 100, 170)));
    c->Ellipse(TRect(1, 1, 15, 15));
    c->MoveTo(8, 4);
    c->LineTo(8, 8);
    c->LineTo(11, 10);
    list->AddMasked(&b, clFuchsia);
    // Star.
    clear();
    c->Brush()->SetColor(TColor(RGB(250, 200, 60)));
    c->Pen()->SetColor(TColor(RGB(200, 130, 20)));
    c->Polygon({TPoint(8, 1), TPoint(10, 6), TPoint(15, 6), TPoint(11, 9), TPoint(13, 14), TPoint(8, 11),
                TPoint(3, 14), TPoint(5, 9), TPoint(1, 6), TPoint(6, 6)});
    list->AddMasked(&b, clFuchsia);
    return list;
  }

  // A custom check set in the tree's index layout (0 empty; 9-12 unchecked,
  // 13-16 checked, 17-20 mixed; normal, hot, pressed, disabled each).
  static std::unique_ptr<vcl::TCustomImageList> MakeCheckImages() {
    using namespace vcl;
    auto list = std::make_unique<TCustomImageList>(nullptr);
    list->SetSize(14, 14);
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetSize(14, 14);
    TCanvas* c = b.Canvas();
    for (int i = 0; i < 25; ++i) {
      c->Brush()->SetColor(clFuchsia);
      c->Pen()->SetColor(clFuchsia);
      c->FillRect(TRect(0, 0, 14, 14));
      if (i >= 1) {
        int state = (i - 1) % 4;
        bool disabled = state == 3;
        c->Brush()->SetColor(disabled ? TColor(RGB(236, 236, 236)) : state == 1 ? TColor(RGB(232, 242, 255))
                                                                                : clWhite);
        c->Pen()->SetColor(disabled ? TColor(RGB(170, 170, 170)) : TColor(RGB(70, 110, 170)));
        c->Rectangle(TRect(1, 1, 13, 13));
        TColor mark = disabled ? TColor(RGB(150, 150, 150)) : TColor(RGB(30, 90, 170));
        if ((i >= 13 && i <= 16) || (i >= 5 && i <= 8)) {
          c->Pen()->SetColor(mark);
          for (int d = 0; d < 2; ++d) {
            c->MoveTo(3, 6 + d);
            c->LineTo(5, 8 + d);
            c->LineTo(10, 3 + d);
          }
        } else if (i >= 17 && i <= 20) {
          c->Brush()->SetColor(mark);
          c->FillRect(TRect(4, 4, 10, 10));
        }
      }
      list->AddMasked(&b, clFuchsia);
    }
    return list;
  }
};

}  // namespace gallery
