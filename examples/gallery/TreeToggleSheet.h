// The toggle animation sheet: a tree expanding a folder with two regions
// (the rows above slide up while the rows below slide down) and a tree
// collapsing one (the rows below slide up over the children), each as four
// frames taken from the animation's own steps and the finished picture.
// Shared by the gallery page and its golden-image test.
#pragma once

#include <memory>
#include <vector>

#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/TreeSheet.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/vcl/Forms.h"

namespace gallery {

// A showcase tree that keeps a picture of its window after every animation
// step.
class TToggleDemoTree : public TShowcaseTree {
  QN_CLASS(TToggleDemoTree, TShowcaseTree)
 public:
  explicit TToggleDemoTree(vcl::TComponent* AOwner) : TShowcaseTree(AOwner) {}
  std::vector<vcl::TScreenImage> Frames;

 protected:
  void Animate(vcl::Cardinal Steps, vcl::Cardinal Duration, const qn::TVTAnimationCallback& Callback,
               vcl::Pointer Data) override {
    TShowcaseTree::Animate(
        Steps, Duration,
        [&](vcl::Integer Step, vcl::Integer StepSize, vcl::Pointer P) {
          bool go = Callback(Step, StepSize, P);
          if (StepSize > 0) Frames.push_back(vcl::CaptureWindow(Handle(), false));
          return go;
        },
        Data);
  }
};

class TTreeToggleSheet {
 public:
  static constexpr int kFrameW = 196, kFrameH = 232, kGap = 18, kLeft = 20;
  static constexpr int kWidth = kLeft * 2 + 5 * kFrameW + 4 * kGap, kHeight = 640;

  static vcl::TScreenImage Render(const TSheetLive& Live = nullptr) {
    using namespace vcl;
    using namespace qn;
    auto sheet = NewSheetBitmap(kWidth, kHeight);
    TCanvas* c = sheet->Canvas();
    auto form = NewSheetForm(kWidth, kHeight);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, kWidth, kHeight);

    auto* expand = NewTree(form.get(), 0);
    TVTAutoOptions au = expand->TreeOptions()->AutoOptions();
    au.Include(toAutoScrollOnExpand);
    expand->TreeOptions()->SetAutoOptions(au);
    expand->TreeOptions()->SetAnimationOptions(TVTAnimationOptions{toAnimatedToggle, toAdvancedAnimatedToggle});
    auto* collapse = NewTree(form.get(), 1);
    form->Show();
    PumpRounds(2);

    SheetHeading(c, kLeft, 14, u"Expanding \u201cReports\u201d: the rows above slide up, the rows below slide down");
    PLazyNode reports = Nth(expand, 6);
    expand->ToggleNode(reports);
    Row(c, expand, 40);

    SheetHeading(c, kLeft, 330, u"Collapsing \u201cMusic\u201d: the rows below slide up over its files");
    collapse->ToggleNode(Nth(collapse, 3));
    collapse->Frames.clear();
    PumpRounds(1);
    collapse->ToggleNode(Nth(collapse, 3));
    Row(c, collapse, 356);

    // Live, the trees take the places of their finished pictures and toggle
    // with the animation at the person's clicks.
    if (Live) {
      const int x = kLeft + 4 * (kFrameW + kGap);
      expand->SetBounds(x, 40, kFrameW, kFrameH);
      collapse->SetBounds(x, 356, kFrameW, kFrameH);
      Live(form.get(), BitmapImage(c->Handle(), sheet->Handle(), kWidth, kHeight));
    }
    form.reset();
    return BitmapImage(c->Handle(), sheet->Handle(), kWidth, kHeight);
  }

 private:
  // Four frames spread over the animation, then the finished tree, each in
  // a thin frame with its caption below.
  static void Row(vcl::TCanvas* c, TToggleDemoTree* t, int y) {
    using namespace vcl;
    UpdateWindow(t->Handle());
    TScreenImage done = CaptureWindow(t->Handle(), false);
    size_t n = t->Frames.size();
    for (int i = 0; i < 5; ++i) {
      int x = kLeft + i * (kFrameW + kGap);
      c->Brush()->SetColor(TColor(RGB(176, 184, 196)));
      c->FrameRect(TRect(x - 1, y - 1, x + kFrameW + 1, y + kFrameH + 1));
      String caption;
      if (i < 4 && n > 0) {
        size_t k = (n * size_t(i + 1)) / 5;
        BlitImage(c->Handle(), t->Frames[k], x, y);
        caption = u"step " + IntToStr(Integer(k + 1)) + u" of " + IntToStr(Integer(n));
      } else {
        BlitImage(c->Handle(), done, x, y);
        caption = u"done, painted afresh";
      }
      SheetLabel(c, x, y + kFrameH + 8, caption);
    }
  }

  static qn::PLazyNode Nth(TToggleDemoTree* t, vcl::Cardinal I) {
    qn::PLazyNode n = t->GetFirst();
    while (I-- > 0) n = t->GetNextSibling(n);
    return n;
  }

  // Twelve folders of nine files each, in a borderless client of the frame's
  // size (the trees stand beside each other off the picture).
  static TToggleDemoTree* NewTree(vcl::TForm* form, int Index) {
    using namespace vcl;
    using namespace qn;
    auto* t = new TToggleDemoTree(form);
    t->SetParent(form);
    t->SetBorderStyle(bsNone);
    t->SetBounds(10 + Index * (kFrameW + 20), 10, kFrameW, kFrameH);
    t->SetColor(clWhite);
    t->Font()->SetName(u"DejaVu Sans");
    t->Font()->SetSize(9);
    t->Font()->SetColor(TColor(RGB(30, 36, 46)));
    t->SetDefaultNodeHeight(18);
    t->Colors()->SetTreeLineColor(TColor(RGB(150, 160, 175)));
    t->TreeOptions()->SetAnimationOptions(TVTAnimationOptions{toAnimatedToggle});
    t->SetRootNodeCount(12);
    for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n)) t->SetChildCount(n, 9);
    t->Caption = [t](PLazyNode N, TColumnIndex) -> String {
      static const char16_t* folders[] = {u"Project", u"Documents", u"Pictures", u"Music", u"Videos", u"Downloads",
                                          u"Reports", u"Archive", u"Templates", u"Backups", u"Shared", u"Notes"};
      static const char16_t* files[] = {u"overview.txt", u"budget.xlsx", u"photo_0142.jpg",
                                        u"notes.md",     u"toggle.cpp",  u"sketch.svg",
                                        u"readme.txt",   u"q3-sales.pdf", u"minutes.docx"};
      return t->GetNodeLevel(N) == 0 ? String(folders[N->Index % 12]) : String(files[N->Index % 9]);
    };
    return t;
  }
};

}  // namespace gallery
