// Gallery page "tags-pager": tags boxes with wrapped chips, one scrolled
// with a hot chip whose delete button is lit, and count bars at the first
// page, in the middle, at the end and one whose pages all fit. Saved as
// tags-pager.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnCountBar.h"
#include "skin/extended/uQuarnTagsBox.h"

namespace gallery {

namespace {

using namespace qn;

TQuarnTagsBox* Tags(TForm* F, Integer X, Integer Y, Integer W, Integer H, const String& Text) {
  auto* t = new TQuarnTagsBox(F);
  t->SetParent(F);
  t->SetBounds(X, Y, W, H);
  t->Font()->SetName(u"DejaVu Sans");
  t->Font()->SetSize(9);
  t->SetBorderColor(TColor(0x00C8A078));
  t->SetText(Text);
  return t;
}

TQuarnCountBar* Pager(TForm* F, Integer Y, Cardinal Pages, Integer Page) {
  auto* b = new TQuarnCountBar(F);
  b->SetParent(F);
  b->SetBounds(330, Y, 390, 34);
  b->Font()->SetName(u"DejaVu Sans");
  b->FontFocus()->SetName(u"DejaVu Sans");
  b->SetNumCount(Pages);
  b->SkipTo(Page);
  return b;
}

}  // namespace

std::vector<std::string> TagsPagerPage(const std::string& outDir) {
  SetScreenSize(1000, 760);
  auto form = NewSkinnedForm(TRect(30, 30, 800, 470), u"Tags and pagers");
  TForm* f = form.get();

  PageLabel(f, 24, 40, u"Tags box", true);
  Tags(f, 24, 64, 280, 116, u"red,green,\"blue, dark\",yellow,a rather long tag,cyan,magenta");
  PageLabel(f, 24, 184, u"\"blue, dark\" is one chip: Text quotes it");
  PageLabel(f, 24, 212, u"Scrolled, hot chip with lit button", true);
  auto* hot = Tags(f, 24, 236, 280, 80, u"alpha,beta,gamma,delta,epsilon,zeta,eta,theta,iota,kappa,lambda");

  PageLabel(f, 330, 40, u"Count bars (20 pages unless noted)", true);
  PageLabel(f, 330, 64, u"page 1:");
  Pager(f, 80, 20, 1);
  PageLabel(f, 330, 124, u"page 10 (middle):");
  Pager(f, 140, 20, 10);
  PageLabel(f, 330, 184, u"page 18 (window at the end):");
  Pager(f, 200, 20, 18);
  PageLabel(f, 330, 244, u"6 pages, all fit, no \"...\"; page 4:");
  Pager(f, 260, 6, 4);
  PageLabel(f, 330, 304, u"first and last cells too; page 7 of 50:");
  auto* full = Pager(f, 320, 50, 1);
  full->SetKinds(TCountKinds{ckNum, ckFirst, ckPrevious, ckNext, ckLast, ckSkip});
  full->SkipTo(7);

  LiftContent(f, 24);
  form->Show();
  PumpMessages();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpMessages();
  if (hot->ScrollBar()) hot->ScrollBar()->SetPosition(20);
  PumpMessages();
  // Over the delete button of "epsilon".
  hot->Repaint();
  PumpMessages();
  const TRect& d = hot->Items()->Items(4)->DeleteBtnRect();
  const TPoint p = hot->ClientToScreen(TPoint((d.Left + d.Right) / 2, (d.Top + d.Bottom) / 2));
  InputMouseMove(p.X, p.Y);
  PumpMessages();
  const std::string path = outDir + "/tags-pager.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();
  form.reset();
  PumpMessages();
  return {path};
}

}  // namespace gallery
