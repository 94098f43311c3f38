// Gallery page "ticker": on a skinned form, one slide of a message bar with
// icons caught at several of its steps, a hovered message in the hot font,
// and frame animations in each play mode over the form's picture, tick by
// tick. Saved as ticker.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnAnimation.h"
#include "skin/extended/uQuarnScrollMsgBar.h"

namespace gallery {

namespace {

using namespace qn;

// A bar that remembers where its items stood at one step of its slides, so
// the page can show that moment.
class TPosedBar : public TQuarnScrollMsgBar {
  QN_CLASS(TPosedBar, TQuarnScrollMsgBar)
 public:
  TPosedBar(TComponent* AOwner, Integer Step) : TQuarnScrollMsgBar(AOwner), FStep(Step) {}
  void Pose() {
    for (size_t i = 0; i < FTops.size(); ++i) {
      TScrollMsgBarItem* It = GetItem(Integer(i));
      const TFloatRect& L = It->Location();
      It->SetLocation(TFloatRect(L.Left, Single(FTops[i]), L.Right, Single(FTops[i] + It->ItemSize().cy)));
    }
  }
  Integer FSeen = 0;

 protected:
  void SlideStepMessages() override {
    if (++FSeen == FStep) {
      FTops.clear();
      for (Integer i = 0; i < Count(); ++i) FTops.push_back(GetItem(i)->Location().Top);
    }
    TQuarnScrollMsgBar::SlideStepMessages();
  }

 private:
  Integer FStep;
  std::vector<double> FTops;
};

void Icon(TBitmap32* B, TColor32 C) {
  B->SetSize(16, 16);
  B->Clear(0);
  for (Integer y = 0; y < 16; ++y)
    for (Integer x = 0; x < 16; ++x) {
      const Integer dx = 2 * x - 15, dy = 2 * y - 15;
      if (dx * dx + dy * dy <= 15 * 15) B->SetPixel(x, y, C);
    }
  B->FillRect(7, 3, 9, 10, 0xFFFFFFFFu);
  B->FillRect(7, 11, 9, 13, 0xFFFFFFFFu);
}

void Fill(TQuarnScrollMsgBar* B) {
  B->SetAutoScroll(false);
  B->SetColor(TColor(0x00FFF8F0));
  B->SetAnimateStep(15);
  TScrollMsgBarItem* a = B->AddItem();
  Icon(a->Icon(), 0xFF2E8B57u);
  a->Text()->SetText(u"Build finished without warnings");
  TScrollMsgBarItem* b = B->AddItem();
  Icon(b->Icon(), 0xFF3070C0u);
  b->Text()->SetText(u"Three new messages in the team inbox");
  for (Integer i = 0; i < 2; ++i) {
    B->GetItem(i)->Text()->Font()->SetName(u"DejaVu Sans");
    B->GetItem(i)->Text()->FontHot()->SetName(u"DejaVu Sans");
    B->GetItem(i)->Text()->FontHot()->SetStyle(TFontStyles{TFontStyle::fsUnderline});
  }
}

// Frames 0..N-1: a disc whose colour and digit tell the frame, on a masked
// (transparent) ground.
TCustomImageList* Frames(TComponent* Owner, Integer N) {
  auto* list = new TCustomImageList(Owner);
  list->SetSize(40, 40);
  const TColor colours[] = {TColor(0x003050D0), TColor(0x0030A0E0), TColor(0x0040B060), TColor(0x00C08030),
                            TColor(0x00A04090), TColor(0x00606060)};
  for (Integer i = 0; i < N; ++i) {
    TBitmap bmp;
    bmp.SetSize(40, 40);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(TColor(0x00FF00FF));
    c->FillRect(TRect(0, 0, 40, 40));
    c->Brush()->SetColor(colours[i % 6]);
    c->Pen()->SetColor(TColor(0x00FFFFFF));
    c->Ellipse(4 + i * 2, 4 + i * 2, 36 - i * 2, 36 - i * 2);
    c->Font()->SetName(u"DejaVu Sans");
    c->Font()->SetSize(11);
    c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    c->Font()->SetColor(TColor(0x00FFFFFF));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->TextOut(15, 11, IntToStr(i));
    list->AddMasked(&bmp, TColor(0x00FF00FF));
  }
  return list;
}

}  // namespace

std::vector<std::string> TickerPage(const std::string& outDir) {
  SetScreenSize(1000, 780);
  SetVirtualClock(true);
  auto form = NewSkinnedForm(TRect(30, 30, 930, 740), u"Message bar and frame animation");
  TForm* f = form.get();
  form->Show();
  PumpMessages();

  // --- one slide, step by step ------------------------------------------------
  PageLabel(f, 24, 40, u"One slide of 15 steps (aeQuad): the shown message leaves upwards, the next comes in", true);
  const Integer steps[] = {1, 4, 8, 12, 15};
  for (Integer i = 0; i < 5; ++i) {
    auto* b = new TPosedBar(f, 15 + steps[i]);
    b->SetParent(f);
    b->SetBounds(150, 66 + i * 46, 380, 36);
    Fill(b);
    b->Next();  // brings the first message in
    b->Next();  // the slide the page shows
    b->Pose();
    PageLabel(f, 24, 76 + i * 46, u"step " + IntToStr(steps[i]) + u" of 15");
  }
  PageLabel(f, 540, 76, u"the outgoing message accelerates out");
  PageLabel(f, 540, 76 + 4 * 46, u"the incoming one has settled");

  // --- hover ----------------------------------------------------------------------
  PageLabel(f, 24, 310, u"Pointer on the text: hot font (red, underlined), hand cursor, slides paused", true);
  auto* hot = new TQuarnScrollMsgBar(f);
  hot->SetParent(f);
  hot->SetBounds(150, 336, 380, 36);
  Fill(hot);
  hot->Next();
  PageLabel(f, 24, 346, u"hovered");
  PumpMessages();
  const TRect& tr = hot->GetItem(0)->Text()->Rect();
  const TPoint p = hot->ClientToScreen(TPoint(tr.Left + 20, Integer(hot->GetItem(0)->Location().Top) + tr.Top + 6));
  ResetInput();
  InputMouseMove(p.X, p.Y);
  PumpMessages();
  auto* centred = new TQuarnScrollMsgBar(f);
  centred->SetParent(f);
  centred->SetBounds(150, 382, 380, 36);
  Fill(centred);
  centred->SetAlignment(taCenter);
  centred->SetBounds(150, 382, 381, 36);  // laid out again for the new alignment
  centred->Next();
  PageLabel(f, 24, 392, u"centred, not hovered");

  // --- animations -------------------------------------------------------------
  PageLabel(f, 24, 436, u"Frame animation, 4 frames, over the form's picture: the frame after each tick", true);
  TCustomImageList* list = Frames(f, 4);
  const struct {
    const char16_t* Name;
    bool Loop, Reverse;
  } modes[] = {{u"forward once", false, false},
               {u"loop", true, false},
               {u"reverse once", false, true},
               {u"bounce", true, true}};
  for (Integer t = 0; t < 9; ++t) PageLabel(f, 168 + t * 56, 460, u"tick " + IntToStr(t));
  for (Integer m = 0; m < 4; ++m) {
    PageLabel(f, 24, 494 + m * 52, modes[m].Name);
    for (Integer t = 0; t < 9; ++t) {
      auto* a = new TQuarnAnimation(f);
      a->SetParent(f);
      a->SetImages(list);
      a->SetBounds(160 + t * 56, 478 + m * 52, 48, 48);
      a->SetLoop(modes[m].Loop);
      a->SetReverse(modes[m].Reverse);
      a->SetDelay(50);
      a->Start();
      for (Integer k = 0; k < t; ++k) {
        for (Integer ms = 0; ms < 50; ++ms) {
          AdvanceClock(1);
          PumpMessages();
        }
      }
      a->Pause();
    }
  }
  PumpMessages();

  // The caption band gives the page's sentence: the content moves up into its room.
  LiftContent(f, 24);
  PumpMessages();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  const std::string path = outDir + "/ticker.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();
  form.reset();
  PumpMessages();
  ResetInput();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
