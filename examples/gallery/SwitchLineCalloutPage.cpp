// Gallery page "switch-line-callout": on a skinned form, switch buttons on
// and off in their normal, hot and pressed frames; solid, dotted and dashed
// lines with each gradient anchor, horizontal and vertical; and callout
// panels pointing each way, with a background image. Saved as
// switch-line-callout.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnCalloutPanel.h"
#include "skin/extended/uQuarnLine.h"
#include "skin/extended/uQuarnSwitchButton.h"

namespace gallery {

namespace {

using namespace qn;

// A switch held in one look, which one pointer cannot show for several at once.
class TPosedSwitch : public TQuarnSwitchButton {
  QN_CLASS(TPosedSwitch, TQuarnSwitchButton)
 public:
  TPosedSwitch(TComponent* AOwner, bool Hot, bool Pressed) : TQuarnSwitchButton(AOwner) {
    FMouseIn = Hot;
    FMouseDown = Pressed;
  }

 protected:
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_MOUSELEAVE || M.Msg == CM_MOUSEENTER) return;
    TQuarnSwitchButton::Dispatch(M);
  }
};

}  // namespace

std::vector<std::string> SwitchLineCalloutPage(const std::string& outDir) {
  SetScreenSize(1000, 760);
  auto form = NewSkinnedForm(TRect(30, 30, 900, 690), u"Switches, lines and callouts");
  TForm* f = form.get();

  // --- switches ---------------------------------------------------------------
  PageLabel(f, 24, 40, u"Switch buttons", true);
  const struct {
    const char16_t* Name;
    bool Hot, Pressed;
  } looks[] = {{u"normal", false, false}, {u"hot", true, false}, {u"pressed", false, true}};
  for (Integer i = 0; i < 3; ++i) {
    PageLabel(f, 90 + i * 70, 66, looks[i].Name);
    for (Integer on = 0; on < 2; ++on) {
      auto* s = new TPosedSwitch(f, looks[i].Hot, looks[i].Pressed);
      s->SetParent(f);
      s->SetBounds(90 + i * 70, 86 + on * 30, 34, 18);
      s->SetChecked(on == 1);
      // The page shows looks only: none of them takes the form's focus.
      s->SetTabStop(false);
    }
  }
  PageLabel(f, 24, 88, u"off");
  PageLabel(f, 24, 118, u"on");

  // --- lines --------------------------------------------------------------------
  PageLabel(f, 330, 40, u"Lines: gradient over 30 % from the anchor", true);
  const struct {
    TQuarnLine::TGradientAlign Align;
    const char16_t* Name;
  } anchors[] = {{TQuarnLine::TGradientAlign::gaCenter, u"gaCenter"},
                 {TQuarnLine::TGradientAlign::gaLeft, u"gaLeft"},
                 {TQuarnLine::TGradientAlign::gaRight, u"gaRight"}};
  const struct {
    TQnPenStyle Style;
    const char16_t* Name;
  } styles[] = {{psSolid, u"psSolid"}, {psDot, u"psDot"}, {psDash, u"psDash"}};
  Integer y = 66;
  for (const auto& st : styles) {
    for (const auto& an : anchors) {
      PageLabel(f, 330, y - 2, String(st.Name) + u", " + an.Name);
      auto* l = new TQuarnLine(f);
      l->SetParent(f);
      l->SetBounds(470, y + 3, 260, 3);
      l->SetStyle(st.Style);
      l->SetColor(TColor(0x00C8B8A8));
      l->SetGradientAlign(an.Align);
      l->SetGradientStartColor(TColor(0x00C07020));
      l->SetGradientEndColor(TColor(0x00F6EEE6));
      l->SetGradientSize(30);
      if (st.Style != psSolid) l->SetColor(TColor(0x00C07020));
      y += 20;
    }
  }
  PageLabel(f, 750, 40, u"Vertical", true);
  for (Integer i = 0; i < 3; ++i) {
    auto* l = new TQuarnLine(f);
    l->SetParent(f);
    l->SetBounds(760 + i * 34, 86, 3, 160);
    l->SetKind(lkVertical);
    l->SetGradientAlign(anchors[i].Align);
    l->SetGradientStartColor(TColor(0x00C07020));
    l->SetGradientEndColor(TColor(0x00F6EEE6));
    PageLabel(f, 750 + i * 34, 252, i == 0 ? u"C" : i == 1 ? u"L" : u"R");
  }
  auto* dashed = new TQuarnLine(f);
  dashed->SetParent(f);
  dashed->SetBounds(862, 86, 3, 160);
  dashed->SetKind(lkVertical);
  dashed->SetStyle(psDash);
  dashed->SetActiveGradient(false);
  dashed->SetColor(TColor(0x00C07020));

  // --- callouts -----------------------------------------------------------------
  PageLabel(f, 24, 270, u"Callout panels: pointer on each side (the last two with a background image)", true);
  const struct {
    TQnCalloutPosition Pos;
    const char16_t* Name;
    const char16_t* Image;
  } callouts[] = {{cpTop, u"cpTop", u""},
                  {cpLeft, u"cpLeft, offset 12", u""},
                  {cpBottom, u"cpBottom", u"QuarnMsgIcon_Info"},
                  {cpRight, u"cpRight", u"QuarnMsgIcon_OK"}};
  for (Integer i = 0; i < 4; ++i) {
    auto* c = new TQuarnCalloutPanel(f);
    c->SetParent(f);
    c->SetBounds(24 + i * 210, 300, 180, 130);
    c->SetCalloutPosition(callouts[i].Pos);
    if (callouts[i].Pos == cpLeft) c->SetCalloutOffset(12);
    c->SetAlpha(230);
    c->SetBorderColor(TColor(0x00B08050));
    c->SetColor(TColor(0x00FFF8F0));
    if (callouts[i].Image[0]) {
      c->SetBackgroundImage(callouts[i].Image);
      c->SetBackgroundOffsetX(callouts[i].Pos == cpRight ? 16 : 20);
      c->SetBackgroundOffsetY(callouts[i].Pos == cpBottom ? 20 : 24);
    }
    PageLabel(c, callouts[i].Pos == cpLeft ? 24 : 70, callouts[i].Pos == cpTop ? 60 : 48, callouts[i].Name);
  }
  PageLabel(f, 24, 450, u"The body is translucent (Alpha 230) over the form; the border is one pixel, "
                    u"the pointer's slanted edges anti-aliased.");

  LiftContent(f, 24);
  form->Show();
  PumpMessages();
  // The title-bar controls are adopted through posted messages; the frame
  // is drawn once more with them.
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpMessages();
  const std::string path = outDir + "/switch-line-callout.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();
  form.reset();
  PumpMessages();
  return {path};
}

}  // namespace gallery
