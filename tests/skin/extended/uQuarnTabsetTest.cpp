// The tab set under the input driver: close buttons (frames, hover, the
// veto, handlers that close), widths, and dragging tabs to a new place.
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/comctl/CommCtrl.h"
#include "skin/extended/uQuarnTabset.h"
#include "tests/skin/extended/ToolbarTestSupport.h"

namespace t_u_quarn_tabset_test {

using namespace qn;

namespace {

class uQuarnTabset : public toolbartest::ToolbarTest {
 protected:
  void TearDown() override {
    CancelDrag();
    toolbartest::ToolbarTest::TearDown();
  }
  TQuarnTabset* Tabs(Integer Count, Integer W = 600) {
    auto* t = new TQuarnTabset(FRoot.get());
    t->SetParent(FRoot.get());
    t->SetAlign(alNone);
    t->SetBounds(10, 10, W, 38);
    for (Integer i = 0; i < Count; ++i) {
      TQuarnToolbarItem* it = t->Items()->Add();
      it->Text()->SetText(u"Tab " + IntToStr(i + 1));
      it->SetTag(i + 1);
      it->SetGroupIndex(1);
    }
    Wait(12);
    Shot(t);
    return t;
  }
  static std::vector<Integer> Order(TQuarnCustomTabset* T) {
    std::vector<Integer> o;
    for (Integer i = 0; i < T->Items()->Count(); ++i) o.push_back(T->Items()->Items(i)->Tag());
    return o;
  }
  void MoveToItem(TControl* C, const TRect& R, Integer DX = 0, Integer DY = 0) {
    MoveTo(C, (R.Left + R.Right) / 2 + DX, (R.Top + R.Bottom) / 2 + DY);
  }
};

class TCloser : public TObject {
 public:
  TQuarnCustomTabset* Tabs = nullptr;
  std::vector<Integer> Closed;
  Integer Veto = -1;
  void Close(TObject*, const Integer Index) {
    Closed.push_back(Index);
    Tabs->Items()->Delete(Index);
  }
  void Paint(TObject*, TQuarnToolbarItem* Item, bool& Show) {
    if (Item->Index() == Veto) Show = false;
  }
};

TEST_F(uQuarnTabset, DefaultsAndTheCloseRectangle) {
  TQuarnTabset* t = Tabs(3);
  EXPECT_EQ(t->ButtonWidth(), 110);
  EXPECT_EQ(t->ButtonHeight(), 38);
  EXPECT_EQ(t->Height(), 38);
  EXPECT_EQ(t->Alpha(), 255);
  EXPECT_EQ(t->ButtonImage()->Image(), u"QuarnColor_tabs");
  EXPECT_EQ(t->Items()->Items(0)->Rect(), TRect(0, 0, 110, 38));
  EXPECT_EQ(t->CloseButtonRect(t->Items()->Items(0)), TRect(94, 3, 106, 15));
  EXPECT_EQ(t->Items()->Items(1)->Rect().Left, 110);
}

TEST_F(uQuarnTabset, CloseButtonsHoverPressVetoAndClose) {
  TQuarnTabset* t = Tabs(3);
  const auto without = Shot(t);
  t->SetCloseButtonVisible(true);
  const auto with = Shot(t);
  const TRect c0 = t->CloseButtonRect(t->Items()->Items(0));
  EXPECT_GT([&] {
    Integer n = 0;
    for (Integer y = c0.Top; y < c0.Bottom; ++y)
      for (Integer x = c0.Left; x < c0.Right; ++x) n += Rgb(with->GetPixel(x, y)) != Rgb(without->GetPixel(x, y));
    return n;
  }(), 10);
  // Hovering the close button makes it hot and changes its frame.
  MoveToItem(t, c0);
  EXPECT_EQ(t->CBHotIndex(), 0);
  const auto hot = Shot(t);
  Integer changed = 0;
  for (Integer y = c0.Top; y < c0.Bottom; ++y)
    for (Integer x = c0.Left; x < c0.Right; ++x) changed += Rgb(hot->GetPixel(x, y)) != Rgb(with->GetPixel(x, y));
  EXPECT_GT(changed, 5);
  // Without a handler a press there neither selects nor closes.
  Press();
  Release();
  EXPECT_FALSE(t->Items()->Items(0)->Down());
  EXPECT_EQ(t->Items()->Count(), 3);

  // A vetoed tab shows no button and has no hit area.
  TCloser closer;
  closer.Tabs = t;
  closer.Veto = 1;
  t->SetOnPaintCloseButton(TPaintCloseButtonEvent(&closer, &TCloser::Paint));
  const auto vetoed = Shot(t);
  const TRect c1 = t->CloseButtonRect(t->Items()->Items(1));
  for (Integer y = c1.Top; y < c1.Bottom; ++y)
    for (Integer x = c1.Left; x < c1.Right; ++x) ASSERT_EQ(Rgb(vetoed->GetPixel(x, y)), Rgb(without->GetPixel(x, y)));
  MoveToItem(t, c1);
  EXPECT_EQ(t->CBHotIndex(), -1);
  EXPECT_EQ(t->HotItemIndex(), 1);

  // A handler that closes its tab; no drag comes from that press.
  t->SetAllowDragTab(true);
  t->SetOnCloseButtonClick(TToolbarClickEvent(&closer, &TCloser::Close));
  const TRect c2 = t->CloseButtonRect(t->Items()->Items(2));
  MoveToItem(t, c2);
  EXPECT_EQ(t->CBHotIndex(), 2);
  Press();
  MoveToItem(t, c2, -40, 0);
  Release();
  EXPECT_EQ(closer.Closed, (std::vector<Integer>{2}));
  EXPECT_EQ(Order(t), (std::vector<Integer>{1, 2}));
  EXPECT_EQ(t->PlaceholderItem(), nullptr);
  EXPECT_TRUE(t->Items()->Items(0)->Visible() && t->Items()->Items(1)->Visible());
}

TEST_F(uQuarnTabset, CloseButtonsWidenAutomaticTabs) {
  TQuarnTabset* t = Tabs(2);
  EXPECT_EQ(t->GetExWidth(), 0);
  t->SetCloseButtonVisible(true);
  EXPECT_EQ(t->GetExWidth(), 16);
  t->SetAutoButtonWidth(true);
  Shot(t);
  TBitmap32 probe;
  probe.SetSize(4, 4);
  probe.Font()->Assign(t->Font());
  EXPECT_EQ(t->Items()->Items(0)->Rect().Width(), probe.TextExtent(u"Tab 1").cx + 14 + 22);
}

TEST_F(uQuarnTabset, DragStartsPastTenPixels) {
  TQuarnTabset* t = Tabs(3);
  t->SetAllowDragTab(true);
  const TRect r = t->Items()->Items(1)->Rect();
  MoveToItem(t, r);
  Press();
  MoveToItem(t, r, 10, 10);
  MoveToItem(t, r, -10, -10);
  EXPECT_EQ(t->DragObject(), nullptr);
  EXPECT_TRUE(t->Items()->Items(1)->Visible());
  TQuarnToolbarItem* dragged = t->Items()->Items(1);
  MoveToItem(t, r, 11, 0);
  ASSERT_NE(t->DragObject(), nullptr);
  EXPECT_EQ(t->SourceDragItem(), dragged);
  EXPECT_FALSE(dragged->Visible());
  EXPECT_NE(t->PlaceholderItem(), nullptr);
  EXPECT_FALSE(t->PlaceholderItem()->Text()->Visible());
  Release();
  EXPECT_EQ(t->DragObject(), nullptr);
  EXPECT_EQ(t->PlaceholderItem(), nullptr);
  EXPECT_EQ(t->Items()->Count(), 3);
  EXPECT_TRUE(dragged->Visible());
  EXPECT_EQ(Order(t), (std::vector<Integer>{1, 2, 3}));
}

TEST_F(uQuarnTabset, DroppedTabTakesThePlaceholdersPlace) {
  TQuarnTabset* t = Tabs(5);
  t->SetAllowDragTab(true);
  const TRect third = t->Items()->Items(2)->Rect();
  const TRect first = t->Items()->Items(0)->Rect();
  MoveToItem(t, third);
  Press();
  const auto pressed = Shot(t);
  MoveToItem(t, third, 15, 0);
  ASSERT_NE(t->DragObject(), nullptr);
  // The drag image is the tab as it was drawn, fuchsia for transparent.
  TDragImageList* images = t->DragObject()->GetDragImages();
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Width(), third.Width());
  EXPECT_EQ(images->Height(), third.Height());
  {
    // Drawn over black: the tab's own pixels, black where the tab was fuchsia.
    const TBitmap32* buffer = pressed.get();
    TBitmap bmp;
    bmp.SetSize(third.Width(), third.Height());
    bmp.Canvas()->Brush()->SetColor(clBlack);
    bmp.Canvas()->FillRect(TRect(0, 0, third.Width(), third.Height()));
    images->Draw(bmp.Canvas(), 0, 0, 0, true);
    Integer mismatches = 0;
    for (Integer y = 0; y < third.Height(); ++y)
      for (Integer x = 0; x < third.Width(); ++x) {
        TColor32 want = Rgb(buffer->GetPixel(third.Left + x, third.Top + y));
        if (want == 0xFF00FFu) want = 0;
        const TColor got = bmp.Canvas()->Pixels(x, y);
        if (Rgb(Color32(ColorToRGB(got))) != want) ++mismatches;
      }
    EXPECT_EQ(mismatches, 0);
  }
  Shot(t);
  MoveToItem(t, first, -20, 0);
  MoveToItem(t, first, -30, 0);
  Shot(t);
  ASSERT_NE(t->PlaceholderItem(), nullptr);
  EXPECT_EQ(t->PlaceholderItem()->Index(), 0);
  Release();
  EXPECT_EQ(Order(t), (std::vector<Integer>{3, 1, 2, 4, 5}));
  for (Integer i = 0; i < 5; ++i) EXPECT_TRUE(t->Items()->Items(i)->Visible());
}

TEST_F(uQuarnTabset, PictureShowsEverywhereAndAnOutsideDropStillMoves) {
  TQuarnTabset* t = Tabs(4);
  t->SetAllowDragTab(true);
  const TRect r = t->Items()->Items(3)->Rect();
  MoveToItem(t, r);
  Press();
  MoveToItem(t, r, 15, 0);
  ASSERT_NE(t->DragObject(), nullptr);
  MoveToItem(t, t->Items()->Items(1)->Rect(), 0, 0);
  Shot(t);
  MoveToItem(t, t->Items()->Items(1)->Rect(), 4, 0);
  ASSERT_NE(t->PlaceholderItem(), nullptr);
  const Integer at = t->PlaceholderItem()->Index();
  // Over the form, which asks for no drag images, the picture still shows.
  MoveTo(FRoot.get(), 300, 250);
  EXPECT_TRUE(ImageList_DragImageVisible());
  Release();
  EXPECT_FALSE(ImageList_DragImageVisible());
  // Dropped outside: the tab lands where the placeholder stood last.
  EXPECT_EQ(t->Items()->Items(at)->Tag(), 4);
  EXPECT_EQ(t->Items()->Count(), 4);
}

// A tab set whose every DragOver refuses, as a descendant may decide.
class TRefusingTabset : public TQuarnTabset {
 public:
  using TQuarnTabset::TQuarnTabset;
  void DragOver(TObject*, Integer, Integer, TDragState, bool& Accept) override { Accept = false; }
};

TEST_F(uQuarnTabset, ADragNeverAcceptedPutsTheTabBack) {
  // No DragOver accepts: no placeholder is made, and at the drop the hidden
  // tab comes back where it was.
  auto* t = new TRefusingTabset(FRoot.get());
  t->SetParent(FRoot.get());
  t->SetAlign(alNone);
  t->SetBounds(10, 10, 600, 38);
  for (Integer i = 0; i < 4; ++i) {
    TQuarnToolbarItem* it = t->Items()->Add();
    it->Text()->SetText(u"Tab " + IntToStr(i + 1));
    it->SetTag(i + 1);
  }
  Wait(12);
  Shot(t);
  t->SetAllowDragTab(true);
  const TRect r = t->Items()->Items(1)->Rect();
  MoveToItem(t, r);
  Press();
  MoveToItem(t, r, 15, 0);
  ASSERT_NE(t->DragObject(), nullptr);
  EXPECT_FALSE(t->Items()->Items(1)->Visible());
  MoveToItem(t, t->Items()->Items(3)->Rect(), 5, 0);
  EXPECT_EQ(t->PlaceholderItem(), nullptr);
  Release();
  EXPECT_EQ(Order(t), (std::vector<Integer>{1, 2, 3, 4}));
  for (Integer i = 0; i < 4; ++i) EXPECT_TRUE(t->Items()->Items(i)->Visible());
}

TEST_F(uQuarnTabset, TabsDeletedDuringADragAreForgotten) {
  TQuarnTabset* t = Tabs(4);
  t->SetAllowDragTab(true);
  const TRect r = t->Items()->Items(1)->Rect();
  MoveToItem(t, r);
  Press();
  MoveToItem(t, r, 20, 0);
  ASSERT_NE(t->SourceDragItem(), nullptr);
  // The application deletes the dragged tab and the placeholder.
  delete t->SourceDragItem();
  EXPECT_EQ(t->SourceDragItem(), nullptr);
  if (t->PlaceholderItem()) delete t->PlaceholderItem();
  MoveToItem(t, r, 60, 0);
  Release();
  EXPECT_EQ(Order(t), (std::vector<Integer>{1, 3, 4}));
}

TEST_F(uQuarnTabset, WithoutDragTabsPressAndMoveActAsAToolbar) {
  TQuarnTabset* t = Tabs(3);
  const TRect r = t->Items()->Items(0)->Rect();
  MoveToItem(t, r);
  Press();
  MoveToItem(t, r, 40, 0);
  EXPECT_EQ(t->DragObject(), nullptr);
  EXPECT_EQ(t->PlaceholderItem(), nullptr);
  EXPECT_EQ(t->Items()->Count(), 3);
  Release();
  EXPECT_TRUE(t->Items()->Items(0)->Down());
}

TEST_F(uQuarnTabset, FormFileKeepsDelayRefreshAndAlign) {
  TQuarnTabset a(nullptr);
  const std::string plain = ComponentToText(&a);
  for (const char* name : {"DelayRefresh", "Align", "ButtonWidth", "Alpha", "CloseButtonOffset"})
    EXPECT_EQ(plain.find(name), std::string::npos) << name << "\n" << plain;
  a.SetDelayRefresh(false);
  a.SetAlign(alNone);
  a.CloseButtonOffset()->SetX(7);
  a.SetCloseButtonVisible(true);
  const std::string text = ComponentToText(&a);
  TQuarnTabset b(nullptr);
  TextToComponent(text, &b);
  EXPECT_FALSE(b.DelayRefresh());
  EXPECT_EQ(b.Align(), alNone);
  EXPECT_EQ(b.CloseButtonOffset()->X(), 7);
  EXPECT_EQ(b.CloseButtonOffset()->Y(), 3);
  EXPECT_TRUE(b.CloseButtonVisible());
}

}  // namespace

}  // namespace t_u_quarn_tabset_test
