// Gallery page "html": HTML labels on a soft sheet: every tag the renderer
// knows, a link under the pointer in its hot colour, a disabled label
// drawn embossed, and a centred block on a rounded background. Saved as
// html.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnHtmlLabel.h"
#include "skin/controls/uQuarnPanel.h"

namespace gallery {

namespace {

using namespace qn;

// A quiet paper-coloured sheet with a faint grid, so translucent bodies
// and the embossed text both have something to sit on.
class TPaperSheet : public TCustomControl {
  QN_CLASS(TPaperSheet, TCustomControl)
 public:
  explicit TPaperSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    Canvas()->Brush()->SetColor(TColor(RGB(246, 244, 238)));
    Canvas()->FillRect(r);
    Canvas()->Pen()->SetColor(TColor(RGB(232, 229, 220)));
    for (Integer x = 0; x < r.Width(); x += 20) {
      Canvas()->MoveTo(x, 0);
      Canvas()->LineTo(x, r.Height());
    }
    for (Integer y = 0; y < r.Height(); y += 20) {
      Canvas()->MoveTo(0, y);
      Canvas()->LineTo(r.Width(), y);
    }
  }
};

}  // namespace

std::vector<std::string> HtmlPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnHtmlPage";
  RegisterClassExW(&wc);
  const Integer w = 760, h = 520;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnHtmlPage", u"HTML labels", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(),
                              wr.Height(), nullptr, nullptr, nullptr, nullptr);
  auto sheet = std::make_unique<TPaperSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);

  auto panel = [&](Integer X, Integer Y, Integer W, Integer H, const String& Caption) {
    auto* p = new TQuarnPanel(sheet.get());
    p->SetParent(sheet.get());
    p->SetBounds(X, Y, W, H);
    p->SetAlpha(235);
    p->SetCaption(Caption);
    return p;
  };
  auto label = [&](TWinControl* Parent, Integer X, Integer Y, const String& Caption) {
    auto* l = new TQuarnHtmlLabel(sheet.get());
    l->SetParent(Parent);
    l->SetLeft(X);
    l->SetTop(Y);
    l->Font()->SetName(u"Tahoma");
    l->Font()->SetSize(11);
    l->Font()->SetColor(TColor(RGB(40, 44, 52)));
    l->SetCaption(Caption);
    return l;
  };
  auto heading = [&](TWinControl* Parent, const String& Text) {
    auto* l = label(Parent, 14, 10, u"<b>" + Text + u"</b>");
    l->Font()->SetColor(TColor(RGB(30, 100, 170)));
    return l;
  };

  // Every tag and entity, one line each.
  auto* tags = panel(20, 20, 350, 300, u"");
  heading(tags, u"Tags");
  label(tags, 14, 40,
        u"<b>Bold</b>, <i>italic</i>, <u>underlined</u> and <s>struck</s> text<br>"
        u"E = mc<sup>2</sup> and x<sup>n+1</sup> raised<br>"
        u"<font color=#2E8B57>Sea green</font>, <font color=clRed>clRed</font> and "
        u"<font color=$B04000>steel blue</font><br>"
        u"Entities: &lt;tag&gt; &amp; &quot;quotes&quot; &copy; &reg; &trade; &euro;<hr>"
        u"A <a href=\"manual.pdf\">link to the manual</a> after a rule");
  // Bottom-aligned runs sit on the bottom of the label, so they get a
  // one-line label of their own; so do the sizes, whose line height is
  // the size the line ends with.
  label(tags, 14, 192, u"H<sub>2</sub>O and CO<sub>2</sub> at the bottom");
  label(tags, 14, 226, u"Sizes <font size=3>compound: <font size=2>larger still");
  // A link under the pointer, drawn hot with the hand cursor.
  auto* links = panel(390, 20, 350, 120, u"");
  heading(links, u"Links");
  auto* hovered = label(links, 14, 40,
                        u"Open the <a href=\"orders.txt\">order list</a> or<br>"
                        u"read the <a href=\"help.htm\">help pages</a>.");
  hovered->SetHyperLinkFontHotColor(TColor(RGB(220, 60, 40)));
  // Disabled: twice, embossed in the system's light and shadow.
  auto* off = panel(390, 160, 350, 160, u"");
  heading(off, u"Disabled");
  off->SetColor(TColor(RGB(226, 229, 234)));
  auto* dis = label(off, 14, 40, u"");
  dis->Font()->SetSize(12);
  dis->SetCaption(u"<b>Shipping</b> is not available<br>for <a href=\"x\">this address</a>, "
                  u"<font color=clRed>sorry</font>.");
  dis->SetEnabled(false);
  // A centred block on a rounded body: the lines stay left-aligned inside
  // the block, the block sits in the middle.
  auto* centred = label(sheet.get(), 20, 350, u"");
  centred->SetAutoSize(false);
  centred->SetBounds(20, 350, 720, 150);
  centred->SetRoundBackground(true);
  centred->SetRoundSize(14);
  centred->SetAlpha(230);
  centred->SetColor(TColor(RGB(34, 52, 84)));
  centred->Font()->SetColor(TColor(RGB(236, 240, 246)));
  centred->Font()->SetSize(13);
  centred->SetAlignmentHorizontal(taCenter);
  centred->SetAlignmentVertical(taVerticalCenter);
  centred->SetCaption(
      u"<b>A centred block</b><br>laid out as one piece, its lines<br>"
      u"left-aligned inside it: <font color=#5AC8FA>colour</font> and <i>style</i> carry on.");

  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  // The pointer on "help pages".
  const TPoint at = hovered->ClientToScreen(TPoint(hovered->Width() - 30, hovered->Height() - 8));
  InputMouseMove(at.X, at.Y);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  const bool hot = hovered->HyperlinkHovered();

  const std::string path = outDir + "/html.png";
  // The client only: the caption band names the page, and the host's
  // classic frame would sit oddly around the skinned controls.
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its windows are closed
  ResetInput();
  sheet.reset();
  DestroyWindow(host);
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  if (!hot) throw Exception(u"the html page's link is not under the pointer");
  return {path};
}

}  // namespace gallery
