// Drag and drop of the control layer, taken in the middle of a drag: an
// order card is dragged from the order list onto the basket, which accepts
// it and shows the card's drag image; the locked archive beside it refuses
// drops (and would hide the image). Below, the bevel kinds the control
// layer draws in the non-client area. dragdrop.png.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

// A panel whose drag shows an image of the card being dragged.
class TCardPanel : public TPanel {
  QN_CLASS(TCardPanel, TPanel)
 public:
  explicit TCardPanel(TComponent* AOwner) : TPanel(AOwner) {}
  TDragImageList* Images = nullptr;
  TDragImageList* GetDragImages() override { return Images; }

 protected:
  // The list's rows, the one being dragged highlighted.
  void Paint() override {
    inherited::Paint();
    const char16_t* rows[] = {u"Order 1040", u"Order 1041", u"Order 1042", u"Order 1043"};
    const char16_t* counts[] = {u"2 items", u"5 items", u"3 items", u"1 item"};
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    for (int i = 0; i < 4; ++i) {
      TRect r(4, 4 + i * 30, Width() - 4, 32 + i * 30);
      c->Brush()->SetColor(i == 2 ? TColor(RGB(204, 226, 250)) : clWindow);
      c->FillRect(r);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->Font()->SetColor(clWindowText);
      c->TextOut(r.Left + 8, r.Top + 7, rows[i]);
      c->Font()->SetColor(clGrayText);
      c->TextOut(r.Right - 60, r.Top + 7, counts[i]);
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
    }
  }
};

// The card: a rounded label on a transparent (masked) ground.
void DrawCard(TBitmap* b) {
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect(TRect(0, 0, b->Width(), b->Height()));
  c->Pen()->SetColor(TColor(RGB(34, 86, 150)));
  c->Brush()->SetColor(TColor(RGB(66, 133, 214)));
  c->RoundRect(TRect(0, 0, b->Width(), b->Height()), 12, 12);
  c->Brush()->SetColor(TColor(RGB(250, 252, 255)));
  c->Pen()->SetColor(TColor(RGB(250, 252, 255)));
  c->Rectangle(TRect(10, 12, 34, 42));
  c->Pen()->SetColor(TColor(RGB(150, 170, 200)));
  for (int y = 18; y <= 36; y += 6) {
    c->MoveTo(14, y);
    c->LineTo(30, y);
  }
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Font()->SetColor(clWhite);
  c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  c->Font()->SetSize(9);
  c->TextOut(42, 10, u"Order 1042");
  c->Font()->SetStyle(TFontStyles());
  c->TextOut(42, 28, u"3 items");
}

TPanel* Box(TWinControl* parent, TComponent* owner, const TRect& r, const String& caption, TColor color) {
  auto* p = new TPanel(owner);
  p->SetParent(parent);
  p->SetBoundsRect(r);
  p->SetCaption(caption);
  p->SetColor(color);
  return p;
}

}  // namespace

std::vector<std::string> DragDropPage(const std::string& outDir) {
  SetScreenSize(760, 560);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  std::string path = outDir + "/dragdrop.png";

  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSingle);
  form->SetCaption(u"Drag and drop");
  form->SetBounds(20, 20, 720, 520);
  form->SetColor(clBtnFace);

  // The card image the drag shows.
  std::unique_ptr<TImageList> images(new TImageList(nullptr));
  images->SetSize(120, 54);
  std::unique_ptr<TBitmap> card(new TBitmap());
  card->SetSize(120, 54);
  DrawCard(card.get());
  images->AddMasked(card.get(), clFuchsia);
  images->SetDragImage(0, 20, 24);

  auto* orders = new TCardPanel(form.get());
  orders->SetParent(form.get());
  orders->SetBounds(16, 40, 200, 230);
  orders->SetBevelOuter(bvLowered);
  orders->SetColor(clWindow);
  orders->SetCaption(u"");
  orders->Images = images.get();

  TPanel* basket = Box(form.get(), form.get(), TRect(240, 40, 480, 270), u"Basket", TColor(RGB(226, 244, 226)));
  basket->SetBevelOuter(bvNone);
  basket->SetBevelKind(bkSoft);
  basket->SetBevelInner(bvRaised);
  basket->SetBevelOuter(bvNone);
  basket->SetControlStyle(basket->ControlStyle() + TControlStyle{csDisplayDragImage});
  TPanel* archive = Box(form.get(), form.get(), TRect(496, 40, 700, 270), u"Archive (locked)", TColor(RGB(232, 226, 226)));
  archive->SetBevelOuter(bvNone);
  archive->SetBevelKind(bkFlat);
  archive->SetBevelInner(bvNone);
  archive->SetBevelOuter(bvLowered);
  archive->Font()->SetColor(clGrayText);

  // A heading over each box, at the box's left edge.
  for (auto [x, text] : {std::pair{16, u"Orders"}, std::pair{240, u"Drop target: accepts"},
                         std::pair{496, u"Refuses drops"}}) {
    auto* title = new TLabel(form.get());
    title->SetParent(form.get());
    title->SetLeft(x);
    title->SetTop(18);
    title->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    title->SetCaption(text);
  }
  auto* note = new TLabel(form.get());
  note->SetParent(form.get());
  note->SetLeft(16);
  note->SetTop(280);
  note->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
  note->SetCaption(u"Bevel kinds of the non-client frame");

  bool accepted = false;
  basket->SetOnDragOver([&](TObject*, TObject*, Integer, Integer, TDragState State, bool& Accept) {
    Accept = true;
    accepted = State != dsDragLeave;
    basket->SetColor(State == dsDragLeave ? TColor(RGB(226, 244, 226)) : TColor(RGB(190, 232, 190)));
    basket->SetCaption(State == dsDragLeave ? u"Basket" : u"Drop to add to the basket");
  });
  archive->SetOnDragOver([](TObject*, TObject*, Integer, Integer, TDragState, bool& Accept) { Accept = false; });

  // Bevel kinds along the bottom.
  struct TKind {
    const char16_t* Caption;
    TBevelKind Kind;
    TBevelCut Inner, Outer;
    Integer Width, Border;
    bool Ctl3D;
  };
  const TKind kinds[] = {
      {u"bkNone", bkNone, bvNone, bvNone, 1, 0, true},
      {u"bkTile lowered", bkTile, bvNone, bvLowered, 1, 0, true},
      {u"bkTile raised + lowered", bkTile, bvRaised, bvLowered, 1, 0, true},
      {u"bkSoft raised", bkSoft, bvRaised, bvRaised, 1, 0, true},
      {u"bkFlat", bkFlat, bvNone, bvLowered, 1, 0, true},
      {u"bkTile, BorderWidth 6", bkTile, bvRaised, bvLowered, 2, 6, true},
      {u"bkTile without Ctl3D", bkTile, bvRaised, bvLowered, 1, 0, false},
      {u"bkSoft lowered, left + top", bkSoft, bvNone, bvLowered, 1, 0, true},
  };
  for (int i = 0; i < 8; ++i) {
    int col = i % 4, row = i / 4;
    TPanel* p = Box(form.get(), form.get(), TRect(16 + col * 172, 300 + row * 92, 16 + col * 172 + 160, 300 + row * 92 + 76),
                    kinds[i].Caption, TColor(RGB(236, 240, 246)));
    p->SetBevelOuter(bvNone);  // the panel's own bevel off: only the frame's shows
    p->SetBevelKind(kinds[i].Kind);
    p->TWinControl::SetBevelInner(kinds[i].Inner);
    p->TWinControl::SetBevelOuter(kinds[i].Outer);
    p->TWinControl::SetBevelWidth(kinds[i].Width);
    p->TWinControl::SetBorderWidth(kinds[i].Border);
    if (i == 5) p->SetColor(TColor(RGB(255, 240, 200)));
    if (i == 7) p->SetBevelEdges(TBevelEdges{beLeft, beTop});
    p->SetCtl3D(kinds[i].Ctl3D);
  }

  form->Show();
  Application->ProcessMessages();

  // Pick up order 1042 and carry it over the basket.
  orders->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, Integer, Integer) { orders->BeginDrag(false); });
  TPoint from = orders->ClientToScreen(TPoint(40, 80));
  InputMouseMove(from.X, from.Y);
  Application->ProcessMessages();
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  for (int step = 1; step <= 6; ++step) {
    TPoint to = basket->ClientToScreen(TPoint(70 + step * 4, 160));
    TPoint p(from.X + (to.X - from.X) * step / 6, from.Y + (to.Y - from.Y) * step / 6);
    InputMouseMove(p.X, p.Y);
    Application->ProcessMessages();
  }
  bool dragging = Mouse->IsDragging() && accepted && ImageList_DragImageVisible();
  SaveScreenSnapshot(path);
  Hold();  // live: the page stays up until its windows are closed
  InputMouseUp(VK_LBUTTON);
  Application->ProcessMessages();
  form.reset();
  images.reset();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (!dragging) throw Exception(u"the drag-and-drop page did not come together");
  return {path};
}

}  // namespace gallery
