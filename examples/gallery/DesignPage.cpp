// Gallery page "design": a form in design mode (its grid of dots and the
// grab handles of the selected button) beside the design host's inspector,
// whose rows for the button are drawn from the inspector itself: names,
// values, the drop-down and "..." marks and the expanded font. Saved as
// design.png.
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/WindowShot.h"
#include "platform/desktop/Desktop.h"
#include "platform/ide/Inspector.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

// The form being designed: the design grid, and handles around what the
// designer has selected.
class TDesignSurface : public TForm {
  QN_CLASS(TDesignSurface, TForm)
 public:
  explicit TDesignSurface(TComponent* AOwner) : TForm(AOwner) {}
  TDesigner* Designer = nullptr;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    for (Integer y = 0; y < ClientHeight(); y += 8)
      for (Integer x = 0; x < ClientWidth(); x += 8) c->SetPixels(x, y, clBlack);
    if (!Designer) return;
    for (TPersistent* p : Designer->Selection()) {
      auto* ctl = dynamic_cast<TControl*>(p);
      if (!ctl || ctl == this) continue;
      TRect r = ctl->BoundsRect();
      Integer xs[3] = {r.Left - 3, (r.Left + r.Right) / 2 - 3, r.Right - 3};
      Integer ys[3] = {r.Top - 3, (r.Top + r.Bottom) / 2 - 3, r.Bottom - 3};
      c->Brush()->SetColor(clBlack);
      for (Integer i = 0; i < 3; ++i)
        for (Integer j = 0; j < 3; ++j)
          if (i != 1 || j != 1) c->FillRect(TRect(xs[i], ys[j], xs[i] + 6, ys[j] + 6));
    }
  }
};

// The inspector's rows as a two-column grid.
class TInspectorView : public TCustomControl {
  QN_CLASS(TInspectorView, TCustomControl)
 public:
  explicit TInspectorView(TComponent* AOwner) : TCustomControl(AOwner) {}
  TInspector* Inspector = nullptr;
  String Heading;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetColor(clWindow);
    c->FillRect(ClientRect());
    // The selected component, as the box above the grid names it.
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, Width(), 26));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    c->TextOut(6, 5, Heading);
    c->Font()->SetStyle(TFontStyles());
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    const Integer rowH = 19, split = 118, top = 28;
    Integer y = top;
    c->Pen()->SetColor(TColor(0xDDDDDD));
    for (TInspectorRow* row : Inspector->Rows()) {
      if (y + rowH > Height()) break;
      bool selected = row->Name() == u"Caption";
      c->Brush()->SetColor(selected ? TColor(0xF3DCC4) : clWindow);
      c->FillRect(TRect(0, y, Width(), y + rowH));
      Integer indent = 14 + row->Level() * 12;
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      if (row->Attributes().Contains(paSubProperties))
        c->TextOut(indent - 12, y + 2, row->Expanded() ? u"\u2212" : u"+");
      c->Font()->SetColor(row->Level() > 0 ? TColor(0x7A5A2E) : clWindowText);
      c->TextRect(TRect(indent, y, split - 2, y + rowH), indent, y + 2, row->Name());
      c->Font()->SetColor(row->Attributes().Contains(paReadOnly) ? clGrayText : TColor(0x7F2000));
      Integer valueRight = Width() - 4;
      if (row->Attributes().Contains(paDialog)) valueRight -= 18;
      else if (row->Attributes().Contains(paValueList)) valueRight -= 16;
      c->TextRect(TRect(split + 4, y, valueRight, y + rowH), split + 4, y + 2, row->Value());
      c->Font()->SetColor(clWindowText);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
      if (row->Attributes().Contains(paDialog)) {
        RECT b{Width() - 20, y + 2, Width() - 3, y + rowH - 2};
        DrawFrameControl(c->Handle(), &b, DFC_BUTTON, DFCS_BUTTONPUSH);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->TextOut(Width() - 16, y + 1, u"...");
        c->Brush()->SetStyle(TBrushStyle::bsSolid);
      } else if (row->Attributes().Contains(paValueList)) {
        RECT b{Width() - 18, y + 2, Width() - 3, y + rowH - 2};
        DrawFrameControl(c->Handle(), &b, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
      }
      c->MoveTo(0, y + rowH - 1);
      c->LineTo(Width(), y + rowH - 1);
      c->MoveTo(split, y);
      c->LineTo(split, y + rowH - 1);
      y += rowH;
    }
  }
};

}  // namespace

std::vector<std::string> DesignPage(const std::string& outDir) {
  SetScreenSize(1000, 800);
  SetVirtualClock(true);
  std::string path = outDir + "/design.png";

  // The sheet: a caption over each of the two windows on it.
  auto* sheet = new TForm(Application);
  sheet->SetPosition(poDesigned);
  sheet->SetBorderStyle(bsNone);
  sheet->SetBounds(20, 20, 760, 688);
  sheet->SetColor(TColor(0xF4F1EE));
  auto* left = new TLabel(sheet);
  left->SetParent(sheet);
  left->SetBounds(20, 20, 200, 17);
  left->SetCaption(u"Form1, designed");
  auto* rightLabel = new TLabel(sheet);
  rightLabel->SetParent(sheet);
  rightLabel->SetBounds(444, 20, 200, 17);
  rightLabel->SetCaption(u"Inspector rows of Button1");
  sheet->Show();

  auto* designed = new TDesignSurface(Application);
  designed->SetName(u"Form1");
  designed->SetPosition(poDesigned);
  designed->SetCaption(u"Form1");
  designed->SetBounds(40, 60, 400, 300);
  auto* designer = new TDesigner(designed);
  designed->Designer = designer;
  auto* label = static_cast<TLabel*>(designer->CreateComponent(TLabel::StaticClass(), nullptr, TRect(24, 24, 24, 24)));
  label->SetCaption(u"&Name:");
  auto* edit = static_cast<TEdit*>(designer->CreateComponent(TEdit::StaticClass(), nullptr, TRect(80, 20, 280, 41)));
  edit->SetText(u"Edit1");
  auto* check = static_cast<TCheckBox*>(designer->CreateComponent(TCheckBox::StaticClass(), nullptr,
                                                                  TRect(24, 60, 200, 80)));
  check->SetCaption(u"Remember me");
  auto* combo = static_cast<TComboBox*>(designer->CreateComponent(TComboBox::StaticClass(), nullptr,
                                                                  TRect(24, 96, 200, 120)));
  combo->SetText(u"ComboBox1");
  auto* button = static_cast<TButton*>(designer->CreateComponent(TButton::StaticClass(), nullptr,
                                                                 TRect(184, 200, 284, 230)));
  button->SetCaption(u"Button1");
  TInspector inspector(designer);
  inspector.Select({button});
  inspector.Row(u"Caption")->Type(u"&Start");
  inspector.Row(u"Font")->Expand();
  inspector.Row(u"Font.Style")->Expand();
  inspector.Row(u"Font.Style.fsBold")->Type(u"True");

  auto* window = new TForm(Application);
  window->SetPosition(poDesigned);
  window->SetBorderStyle(bsToolWindow);
  window->SetCaption(u"Object Inspector");
  window->SetBounds(464, 60, 296, 640);
  auto* view = new TInspectorView(window);
  view->SetParent(window);
  view->SetAlign(alClient);
  view->Inspector = &inspector;
  view->Heading = button->Name() + u": " + button->ClassName();

  designed->Show();
  window->Show();
  PumpRounds();
  sheet->Update();
  designed->Update();
  window->Update();
  SavePng(CutWindows({sheet->Handle(), designed->Handle(), window->Handle()}), path);
  Hold();

  delete window;
  delete designer;
  delete designed;
  delete sheet;
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path};
}

}  // namespace gallery
