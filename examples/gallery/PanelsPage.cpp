// Gallery page "panels": translucent panels over a picture in every fill
// type, each gradient direction and anchor, with single and double
// borders, border panels in their normal and hot frames, labels and group
// boxes. Saved as panels.png.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/PictureSheet.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnPanel.h"

namespace gallery {

namespace {

using namespace qn;

}  // namespace

std::vector<std::string> PanelsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnPanelsPage";
  RegisterClassExW(&wc);
  const Integer w = 820, h = 800;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnPanelsPage", u"Panels", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(),
                              wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TPictureSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);

  auto add = [&](Integer X, Integer Y, const String& Caption) {
    auto* p = new TQuarnPanel(sheet.get());
    p->SetParent(sheet.get());
    p->SetBounds(X, Y, 185, 114);
    p->SetCaption(Caption);
    p->SetCaptionVisible(true);
    return p;
  };
  // Row 1: body opacity and borders.
  add(15, 15, u"Alpha 192 (default)");
  auto* p = add(215, 15, u"Alpha 96, single border");
  p->SetAlpha(96);
  p->SetDoubleBorder(false);
  p = add(415, 15, u"Alpha 255, blue");
  p->SetAlpha(255);
  p->SetColor(TColor(RGB(220, 232, 250)));
  p = add(615, 15, u"Alpha 0, top+bottom");
  p->SetAlpha(0);
  p->SetBorderSides(TSides{sdTop, sdBottom});
  // Row 2: gradients, vertical then horizontal, each anchor.
  const TGradientAlign aligns[3] = {gaCenter, gaLeft, gaRight};
  const char16_t* names[3] = {u"center", u"left", u"right"};
  for (Integer i = 0; i < 3; ++i) {
    p = add(15 + i * 200, 145, String(u"vertical ") + names[i]);
    p->SetBackgroundFillType(ftGradient);
    p->SetGradientAlign(aligns[i]);
    p = add(15 + i * 200, 275, String(u"horizontal ") + names[i]);
    p->SetBackgroundFillType(ftGradient);
    p->SetGradientDirection(gdHorizontal);
    p->SetGradientAlign(aligns[i]);
  }
  p = add(615, 145, u"gradient 30%");
  p->SetBackgroundFillType(ftGradient);
  p->SetGradientSize(30);
  p->SetGradientStartColor(TColor(RGB(90, 200, 120)));
  // Image fill types.
  const TQnPngFillType fills[4] = {ftNormal, ftTile, ftCenter, ftStretch};
  const char16_t* fillNames[4] = {u"image normal", u"image tile", u"image center", u"image stretch"};
  for (Integer i = 0; i < 4; ++i) {
    p = add(15 + i * 200, 405, fillNames[i]);
    p->SetHeight(100);
    p->SetBackgroundImage(u"QuarnCheckBox");
    p->SetBackgroundFillType(fills[i]);
    p->SetBackgroundOffsetX(10);
    p->SetBackgroundOffsetY(10);
  }
  // Border panels: normal, and hot from its inner control.
  auto* bn = new TQuarnBorderPanel(sheet.get());
  bn->SetParent(sheet.get());
  bn->SetBounds(615, 275, 185, 50);
  bn->SetTransparent(false);
  bn->SetAlpha(230);
  auto* bh = new TQuarnBorderPanel(sheet.get());
  bh->SetParent(sheet.get());
  bh->SetBounds(615, 335, 185, 50);
  bh->SetTransparent(false);
  bh->SetAlpha(230);
  bh->UpdateFrame(false, true);
  for (auto [panel, text] : {std::pair{bn, u"border panel, normal frame"}, std::pair{bh, u"border panel, hot frame"}}) {
    auto* t = new TQuarnLabel(panel);
    t->SetParent(panel);
    t->SetLeft(12);
    t->SetTop(16);
    t->SetCaption(text);
  }
  // Labels: alignments, ellipsis, wrap, glow and rounded backgrounds.
  auto label = [&](Integer X, Integer Y, Integer W, Integer H, const String& Caption) {
    auto* l = new TQuarnLabel(sheet.get());
    l->SetParent(sheet.get());
    l->SetAutoSize(false);
    l->SetBounds(X, Y, W, H);
    l->SetCaption(Caption);
    return l;
  };
  auto* l = new TQuarnLabel(sheet.get());
  l->SetParent(sheet.get());
  l->SetLeft(15);
  l->SetTop(520);
  l->SetCaption(u"Auto-sized label");
  l = label(15, 545, 185, 40, u"right, bottom");
  l->SetAlpha(120);
  l->SetAlignmentHorizontal(taRightJustify);
  l->SetAlignmentVertical(taAlignBottom);
  l = label(15, 590, 185, 40, u"centred both ways");
  l->SetAlpha(120);
  l->SetAlignmentHorizontal(taCenter);
  l->SetAlignmentVertical(taVerticalCenter);
  l = label(215, 520, 185, 20, u"An end ellipsis cuts this long caption short");
  l->SetEllipsisPosition(epEndEllipsis);
  l = label(215, 545, 185, 85, u"Word wrap lays a long caption over several lines of the label.");
  l->SetWordWap(true);
  l->SetAlpha(120);
  l = label(415, 520, 185, 40, u"Glowing caption");
  l->Font()->SetSize(14);
  l->Light()->SetActive(true);
  l->Light()->SetBlurRadius(4);
  l->SetAlignmentHorizontal(taCenter);
  l->SetAlignmentVertical(taVerticalCenter);
  l = label(415, 575, 185, 40, u"Rounded background");
  l->SetRoundBackground(true);
  l->SetRoundSize(10);
  l->SetColor(TColor(RGB(255, 240, 200)));
  l->SetAlignmentHorizontal(taCenter);
  l->SetAlignmentVertical(taVerticalCenter);
  l = label(615, 520, 185, 95, u"Rounded, translucent");
  l->SetRoundBackground(true);
  l->SetRoundSize(18);
  l->SetAlpha(140);
  l->SetColor(TColor(RGB(20, 40, 80)));
  l->Font()->SetColor(clWhite);
  l->SetAlignmentHorizontal(taCenter);
  l->SetAlignmentVertical(taVerticalCenter);
  // Group boxes on a dark glass panel, where the line's shine shows; the
  // lines fade from the accent into the glass.
  auto* tray = new TQuarnPanel(sheet.get());
  tray->SetParent(sheet.get());
  tray->SetBounds(15, 645, 785, 140);
  tray->SetAlpha(170);
  tray->SetColor(TColor(RGB(20, 40, 80)));
  tray->SetBorderColor(TColor(RGB(20, 40, 80)));
  tray->SetBorderAlpha(120);
  tray->Font()->SetColor(clWhite);
  auto group = [&](Integer X, const String& Caption) {
    auto* g = new TQuarnGroupBox(tray);
    g->SetParent(tray);
    g->SetBounds(X, 10, 180, 118);
    g->SetCaption(Caption);
    g->Font()->SetColor(clWhite);
    g->SetLineStartColor(TColor(RGB(70, 196, 255)));
    g->SetLineStopColor(TColor(RGB(40, 62, 98)));
    return g;
  };
  auto inner = [&](TQuarnGroupBox* G, Integer Y, const String& Caption) {
    auto* l = new TQuarnLabel(G);
    l->SetParent(G);
    l->SetLeft(12);
    l->SetTop(Y);
    l->SetCaption(Caption);
    l->Font()->SetColor(TColor(RGB(225, 235, 245)));
    return l;
  };
  auto* g = group(12, u"Line with shine");
  g->SetLight(true);
  inner(g, 28, u"The line fades away");
  inner(g, 50, u"from its caption.");
  g = group(205, u"Centred, glowing");
  g->SetCaptionAlignment(taCenter);
  g->CaptionLight()->SetActive(true);
  g->CaptionLight()->SetColor(TColor(RGB(0, 60, 120)));
  g->CaptionLight()->SetBlurRadius(2);
  g->CheckBox()->SetVisible(true);
  inner(g, 28, u"Checked: children on");
  g = group(398, u"Right caption");
  g->SetCaptionAlignment(taRightJustify);
  g->SetLight(true);
  inner(g, 28, u"The line leads in.");
  g = group(591, u"Box, unchecked");
  g->SetFrameStyle(fsBox);
  g->CheckBox()->SetVisible(true);
  inner(g, 28, u"Unchecked: children off");
  g->CheckBox()->SetChecked(false);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

  const std::string path = outDir + "/panels.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its windows are closed
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  return {path};
}

}  // namespace gallery
