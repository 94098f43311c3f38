// Gallery page "iconlist": icon button lists on a skinned form. One in
// normal use with a hot, checked and disabled item and its scroll bar; one
// in edit mode with delete badges and shaken cells; one in the middle of a
// reordering drag, its placeholder left empty and the drag image under the
// pointer. Saved as iconlist.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/Math.h"
#include "platform/vcl/Bitmap.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnIconButtonList.h"

namespace gallery {

namespace {

using namespace qn;

// A list held with one cell hot, which one pointer cannot show beside a drag.
class TPosedList : public TQuarnIconButtonList {
  QN_CLASS(TPosedList, TQuarnIconButtonList)
 public:
  explicit TPosedList(TComponent* AOwner) : TQuarnIconButtonList(AOwner) {}
  void PoseHot(Integer Index) {
    FHotItemIndex = Index;
    Invalidate();
  }
};

// Round coloured icons, and a grey one for disabled items (the last).
TImageList* Icons(TComponent* Owner) {
  auto* list = new TImageList(Owner);
  list->SetSize(32, 32);
  const TColor colours[] = {TColor(0x002F6FE0), TColor(0x0040A040), TColor(0x00D08030), TColor(0x003030C0),
                            TColor(0x00A050A0), TColor(0x00909090)};
  for (TColor c : colours) {
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(32, 32);
    b.Canvas()->Brush()->SetColor(clFuchsia);
    b.Canvas()->FillRect(TRect(0, 0, 32, 32));
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->Pen()->SetColor(TColor(0x00FFFFFF));
    b.Canvas()->RoundRect(2, 2, 30, 30, 10, 10);
    list->AddMasked(&b, clFuchsia);
  }
  return list;
}

TPosedList* NewList(TForm* F, Integer X, Integer Y, Integer W, Integer H, Integer Count, TImageList* Images) {
  static const char16_t* names[] = {u"Mail", u"Diary", u"Photos", u"Notes", u"Music", u"Maps", u"Clock",
                                    u"Weather", u"Files", u"Settings", u"Camera", u"Contacts"};
  auto* l = new TPosedList(F);
  l->SetParent(F);
  l->SetBounds(X, Y, W, H);
  l->Font()->SetName(u"DejaVu Sans");
  l->Font()->SetSize(8);
  l->SetImages(Images);
  l->SetColor(TColor(0x00FFF8F0));
  l->SetBorderColor(TColor(0x00C8A078));
  l->SetTabStop(false);
  for (Integer i = 0; i < Count; ++i) {
    auto* it = l->Items()->Add();
    it->SetCaption(names[i % 12]);
    it->SetImageNormalIndex(i % 5);
    it->SetImageDisibleIndex(5);
  }
  // Checked cells get a frame: the list leaves their look to the application.
  l->SetOnDrawItem([](TObject*, TBitmap32* B, TQnIconButtonItemData* D) {
    if (!D || !D->Checked()) return;
    const TRect& r = D->Rect();
    B->FrameRectS(r.Left, r.Top, r.Right, r.Bottom, 0xFF2F6FE0u);
    B->FrameRectS(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1, 0xFF2F6FE0u);
  });
  return l;
}

void MoveTo(TControl* C, Integer X, Integer Y) {
  const TPoint p = C->ClientToScreen(TPoint(X, Y));
  InputMouseMove(p.X, p.Y);
  PumpMessages();
}

}  // namespace

std::vector<std::string> IconListPage(const std::string& outDir) {
  SetScreenSize(1000, 760);
  RandSeed = 7;
  auto form = NewSkinnedForm(TRect(30, 30, 930, 560), u"Icon button lists");
  TForm* f = form.get();
  TImageList* icons = Icons(f);

  // --- normal use -------------------------------------------------------------
  PageLabel(f, 24, 40, u"Normal use, with scroll bar", true);
  auto* a = NewList(f, 24, 64, 270, 300, 12, icons);
  a->Items()->Items(1)->SetChecked(true);
  a->Items()->Items(3)->SetChecked(true);
  a->Items()->Items(4)->SetEnabled(false);
  a->SetItemHotImage(u"QuarnTab_button_hot");
  a->PoseHot(0);
  PageLabel(f, 24, 370, u"Diary, Notes: checked (framed by OnDrawItem)");
  PageLabel(f, 24, 386, u"Music: disabled; Mail: hot under the pointer");

  // --- edit mode ----------------------------------------------------------------
  PageLabel(f, 318, 40, u"Edit mode: badges and shaking", true);
  auto* b = NewList(f, 318, 64, 270, 300, 6, icons);
  b->Items()->Items(2)->SetReadOnly(true);
  b->SetShakeInEdit(true);
  b->EnterEdit();
  PageLabel(f, 318, 370, u"Photos: ReadOnly, no badge");
  PageLabel(f, 318, 386, u"others tilted by up to 2 degrees");

  // --- drag -----------------------------------------------------------------------
  PageLabel(f, 612, 40, u"Reordering drag", true);
  auto* c = NewList(f, 612, 64, 270, 300, 6, icons);
  c->EnterEdit();
  PageLabel(f, 612, 370, u"Maps picked up, held over Mail's left half:");
  PageLabel(f, 612, 386, u"the placeholder stays empty, the image follows");

  LiftContent(f, 24);
  form->Show();
  PumpMessages();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  PumpMessages();
  // A few shake steps, each one paint.
  for (int i = 0; i < 3; ++i) {
    b->Invalidate();
    PumpMessages();
  }
  // The drag: pressed on the last cell, carried to the first.
  const TRect src = c->Items()->Items(5)->Rect();
  const TRect dst = c->Items()->Items(0)->Rect();
  MoveTo(c, (src.Left + src.Right) / 2, src.Top + 50);
  InputMouseDown(VK_LBUTTON);
  PumpMessages();
  MoveTo(c, (src.Left + src.Right) / 2 - 20, src.Top + 50);
  MoveTo(c, dst.Left + 12, dst.Top + 40);
  MoveTo(c, dst.Left + 14, dst.Top + 42);
  PageLabel(f, 24, 420, u"Each list: 60 x 80 cells, 10-pixel spacing and margin, captions wrapped at the cell's bottom;");
  PageLabel(f, 24, 436, u"the scroll bar appears once the rows are as high as the list.");
  PumpMessages();

  // The drag image lives in a window of its own above the form.
  RECT wr;
  GetWindowRect(form->Handle(), &wr);
  TScreenImage screen = CaptureScreen();
  TScreenImage shot;
  shot.Width = wr.Right - wr.Left;
  shot.Height = wr.Bottom - wr.Top;
  for (Integer y = 0; y < shot.Height; ++y)
    for (Integer x = 0; x < shot.Width; ++x) shot.Pixels.push_back(screen.Pixel(wr.Left + x, wr.Top + y));
  const std::string path = outDir + "/iconlist.png";
  SavePng(shot, path);
  InputMouseUp(VK_LBUTTON);
  PumpMessages();
  Hold();
  form.reset();
  PumpMessages();
  return {path};
}

}  // namespace gallery
