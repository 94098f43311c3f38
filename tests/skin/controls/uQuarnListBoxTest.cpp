// The skinned list box through the input driver on the virtual clock: the
// bar that exists only while the items overflow, its range against the
// native list's, both directions of the scrolling link, the wheel, item
// painting by pixel probes, the relays to the frame, the drop-down list that
// never takes activation, and form files.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_list_box_test {

using namespace qn;

namespace {

// Counts the thumb positions the frame sends its inner list.
class TProbeListBox : public TQuarnListBox {
  QN_CLASS(TProbeListBox, TQuarnListBox)
 public:
  explicit TProbeListBox(TComponent* AOwner) : TQuarnListBox(AOwner) {}
  Integer ThumbScrolls = 0;
  void ListBoxWProc(TMessage& Message, bool& CallDefault) override {
    if ((Message.Msg == WM_VSCROLL || Message.Msg == WM_HSCROLL) && LOWORD(Message.WParam) == SB_THUMBPOSITION)
      ++ThumbScrolls;
    TQuarnListBox::ListBoxWProc(Message, CallDefault);
  }
};

class uQuarnBoxCtrls_ListBox : public skintest::RootTest {
 protected:
  TProbeListBox* List(Integer Items, Integer X = 20, Integer Y = 20, Integer W = 120, Integer H = 120) {
    auto* l = Make<TProbeListBox>(X, Y, W, H);
    for (Integer i = 0; i < Items; ++i) l->Items()->Add(u"Item " + IntToStr(i));
    usertest::Pump();
    return l;
  }
  static TRect InnerBounds(TQuarnCustomListBox* L) { return L->ListBox->BoundsRect(); }
  // Pixels of the inner list as they stand on the screen.
  static TScreenImage Shot(TQuarnCustomListBox* L) {
    L->ListBox->Invalidate();
    usertest::Pump();
    return CaptureWindow(L->ListBox->Handle(), true);
  }
  static uint32_t Rgb(TColor C) {
    return 0xFF000000u | (Color32(ColorToRGB(C)) & 0xFFFFFFu);
  }
  void Wheel(TControl* Over, Integer Delta) {
    MoveTo(Over, 10, 10);
    InputMouseWheel(Delta);
    usertest::Pump();
  }
};

TEST_F(uQuarnBoxCtrls_ListBox, BarExistsExactlyWhileTheItemsOverflow) {
  TProbeListBox* l = List(5);
  EXPECT_EQ(l->ScrollBar, nullptr);
  EXPECT_EQ(InnerBounds(l), TRect(3, 3, 117, 117));

  l->Items()->Add(u"Item 5");
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);
  TQuarnScrollBar* bar = l->ScrollBar;
  EXPECT_EQ(bar->Kind(), sbVertical);
  EXPECT_EQ(bar->PageSize(), 5);  // (120 - 6) div 20 rows
  EXPECT_EQ(bar->Max(), 5);
  EXPECT_EQ(bar->LargeChange(), 5);
  const Integer b = bar->GetRealSize();
  ASSERT_GT(b, 0);
  EXPECT_EQ(bar->BoundsRect(), TRect(120 - b - 3, 3, 117, 117));
  EXPECT_EQ(InnerBounds(l), TRect(3, 3, bar->Left(), 117));
  EXPECT_EQ(l->HScrollBar, nullptr);

  // A shorter list of the same items overflows more; a taller one fits.
  l->SetHeight(80);
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ScrollBar->PageSize(), 3);
  l->SetHeight(200);
  usertest::Pump();
  EXPECT_EQ(l->ScrollBar, nullptr);
  l->SetHeight(120);
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);

  // Removing items until they fit frees the bar and gives the room back.
  l->Items()->Delete(0);
  usertest::Pump();
  EXPECT_EQ(l->ScrollBar, nullptr);
  EXPECT_EQ(InnerBounds(l), TRect(3, 3, 117, 117));

  l->Items()->Add(u"again");
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);
  l->Clear();
  EXPECT_EQ(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ListBox->Items()->Count(), 0);
}

TEST_F(uQuarnBoxCtrls_ListBox, RowCountSizesTheControlAndFitsWithoutBar) {
  TProbeListBox* l = List(4);
  l->SetRowCount(4);
  usertest::Pump();
  EXPECT_EQ(l->Height(), 84);
  EXPECT_EQ(l->ScrollBar, nullptr);
  l->Items()->Add(u"fifth");
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ScrollBar->PageSize(), 3);  // (84 - 6) div 20
  l->SetDefaultItemHeight(16);
  l->SetRowCount(5);
  usertest::Pump();
  EXPECT_EQ(l->Height(), 84);
  EXPECT_EQ(l->ListBox->ItemHeight(), 16);
  EXPECT_EQ(l->ScrollBar, nullptr);
}

TEST_F(uQuarnBoxCtrls_ListBox, KeysMoveTheThumbWithoutEcho_ThumbDragMovesTheList) {
  TProbeListBox* l = List(30);
  ASSERT_NE(l->ScrollBar, nullptr);
  l->ListBox->SetFocus();
  l->SetItemIndex(0);
  usertest::Pump();
  for (int i = 0; i < 12; ++i) Key(VK_DOWN);
  EXPECT_EQ(l->ItemIndex(), 12);
  const Integer top = l->TopIndex();
  EXPECT_EQ(top, 12 - 5 + 1);
  EXPECT_EQ(l->ScrollBar->Position(), top);
  EXPECT_EQ(l->ThumbScrolls, 0);

  // The thumb dragged to the far end shows the last page.
  TQuarnScrollBar* bar = l->ScrollBar;
  bar->Invalidate();
  usertest::Pump();
  const TRect thumb = bar->Button(TQuarnScrollBar::BtnThumb).Rect;
  MoveTo(bar, thumb.Left + thumb.Width() / 2, thumb.Top + thumb.Height() / 2);
  Press();
  MoveTo(bar, thumb.Left + thumb.Width() / 2, bar->Height() + 40);
  Release();
  EXPECT_EQ(bar->Position(), 25);
  EXPECT_EQ(l->TopIndex(), 25);
  EXPECT_GT(l->ThumbScrolls, 0);
  l->SetTopIndex(3);
  usertest::Pump();
  Shot(l);
  EXPECT_EQ(l->ScrollBar->Position(), 3);
}

TEST_F(uQuarnBoxCtrls_ListBox, WheelScrollsOneLineMoreThanThePlatformAndResyncs) {
  TProbeListBox* l = List(40);
  l->ListBox->SetFocus();
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  Wheel(l->ListBox, -120);
  EXPECT_EQ(l->TopIndex(), Integer(lines) + 1);
  EXPECT_EQ(l->ScrollBar->Position(), l->TopIndex());
  Wheel(l->ListBox, 120);
  EXPECT_EQ(l->TopIndex(), 0);
  EXPECT_EQ(l->ScrollBar->Position(), 0);
}

// A notch draws the rows it scrolled in and moves the rest once, and the bar
// is drawn again only when its thumb moves: in any order of notches both
// ways, selections and jumps, the rows and the bar on the screen are those
// of a new list standing at the same place.
TEST_F(uQuarnBoxCtrls_ListBox, WheelNotchesShowWhatANewListShows) {
  std::mt19937 rng(105);
  constexpr Integer kItems = 600;
  TProbeListBox* l = List(kItems);
  ASSERT_NE(l->ScrollBar, nullptr);
  for (Integer step = 0; step < 36; ++step) {
    l->ListBox->SetFocus();
    const Integer kind = Integer(rng() % 8);
    if (kind < 5) {
      Wheel(l->ListBox, l->TopIndex() > kItems - 10 ? 120 : -120);
    } else if (kind == 5) {
      Wheel(l->ListBox, 120);
    } else if (kind == 6) {
      l->ListBox->SetItemIndex(l->TopIndex() + Integer(rng() % 5));
      usertest::Pump();
    } else {
      l->ListBox->SetTopIndex(Integer(rng() % kItems));
      l->UpDateScrollBar();
      usertest::Pump();
    }
    const TScreenImage rows = CaptureWindow(l->ListBox->Handle(), true);
    const TScreenImage bar = CaptureWindow(l->ScrollBar->Handle());
    TProbeListBox* fresh = List(kItems, 200, 20);
    fresh->ListBox->SetItemIndex(l->ListBox->ItemIndex());
    fresh->ListBox->SetTopIndex(l->TopIndex());
    fresh->UpDateScrollBar();
    fresh->ListBox->SetFocus();
    usertest::Pump();
    ASSERT_EQ(fresh->TopIndex(), l->TopIndex());
    EXPECT_TRUE(CaptureWindow(fresh->ListBox->Handle(), true).Pixels == rows.Pixels)
        << "step " << step << " kind " << kind << " top " << l->TopIndex();
    EXPECT_TRUE(CaptureWindow(fresh->ScrollBar->Handle()).Pixels == bar.Pixels)
        << "step " << step << " kind " << kind << " top " << l->TopIndex();
    delete fresh;
    usertest::Pump();
  }
}

TEST_F(uQuarnBoxCtrls_ListBox, MultiColumnListGetsABottomBarPagedByColumns) {
  TProbeListBox* l = List(40, 20, 20, 200, 120);
  l->SetColumns(2);
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);
  TQuarnScrollBar* bar = l->ScrollBar;
  EXPECT_EQ(bar->Kind(), sbHorizontal);
  EXPECT_EQ(bar->PageSize(), 2);
  const Integer b = bar->GetRealSize();
  EXPECT_EQ(bar->BoundsRect(), TRect(3, 120 - b - 3, 197, 117));
  EXPECT_EQ(InnerBounds(l).Bottom, bar->Top());
  const Integer rows = InnerBounds(l).Height() / 20;
  EXPECT_EQ(bar->Max(), (40 + rows - 1) / rows - 1);
  bar->SetPosition(3);
  usertest::Pump();
  EXPECT_EQ(l->TopIndex(), 3 * rows);
}

TEST_F(uQuarnBoxCtrls_ListBox, ItemsPaintInTheItemColoursAndOwnerDrawingReplacesTheText) {
  TProbeListBox* l = List(3);
  TQnListBox* in = l->ListBox;
  in->SetItemBackgroundColor(static_cast<TColor>(0x00E0F0FF));
  in->SetItemSelectedColor(static_cast<TColor>(0x00804000));
  in->SetItemNormalFontColor(clBlack);
  l->SetItemIndex(1);
  TScreenImage s = Shot(l);
  // Row 0 background (away from the text), row 1 selected, below the items the list's own fill.
  EXPECT_EQ(s.Pixel(s.Width - 4, 5), Rgb(static_cast<TColor>(0x00E0F0FF)));
  EXPECT_EQ(s.Pixel(s.Width - 4, 25), Rgb(static_cast<TColor>(0x00804000)));
  // The default text is drawn: some dark pixels in row 0's text band.
  Integer dark = 0;
  for (Integer x = 4; x < 60; ++x)
    for (Integer y = 4; y < 16; ++y)
      if ((s.Pixel(x, y) & 0xFF) < 0x80) ++dark;
  EXPECT_GT(dark, 10);

  std::vector<Integer> drawn;
  l->SetOnDrawItem(TQnDrawSkinItemEvent([&](TObject* Sender, TCanvas*, Integer Index, Integer W, Integer H,
                                            TRect Txt, TOwnerDrawState State) {
    EXPECT_EQ(Sender, in);
    EXPECT_EQ(W, in->ClientWidth());
    EXPECT_EQ(H, 20);
    EXPECT_EQ(Txt, TRect(2, 0, W - 2, 20));
    EXPECT_EQ(State.Contains(odSelected), Index == 1);
    drawn.push_back(Index);
  }));
  s = Shot(l);
  EXPECT_EQ(drawn.size(), 3u);
  for (Integer x = 0; x < s.Width; ++x) {
    ASSERT_EQ(s.Pixel(x, 8), Rgb(static_cast<TColor>(0x00E0F0FF))) << x;
    ASSERT_EQ(s.Pixel(x, 28), Rgb(static_cast<TColor>(0x00804000))) << x;
  }
}

TEST_F(uQuarnBoxCtrls_ListBox, RelaysCarryTheFrameAndHoverOrFocusMakeItHot) {
  TProbeListBox* l = List(8);
  std::vector<std::string> log;
  l->SetOnListBoxMouseDown(TMouseEvent([&](TObject* S, TMouseButton, TShiftState, Integer, Integer) {
    EXPECT_EQ(S, l);
    log.push_back("down");
  }));
  l->SetOnListBoxMouseUp(TMouseEvent([&](TObject* S, TMouseButton, TShiftState, Integer, Integer) {
    EXPECT_EQ(S, l);
    log.push_back("up");
  }));
  l->SetOnListBoxClick(TNotifyEvent([&](TObject* S) {
    EXPECT_EQ(S, l);
    log.push_back("click");
  }));
  l->SetOnListBoxDblClick(TNotifyEvent([&](TObject* S) {
    EXPECT_EQ(S, l);
    log.push_back("dbl");
  }));
  l->SetOnListBoxKeyDown(TKeyEvent([&](TObject* S, Word& K, TShiftState) {
    EXPECT_EQ(S, l);
    if (K == VK_DOWN) log.push_back("key");
  }));
  EXPECT_FALSE(l->Hot());
  MoveTo(l->ListBox, 20, 30);
  EXPECT_TRUE(l->Hot());
  Press();
  Release();
  EXPECT_EQ(l->ItemIndex(), 1);
  Press();
  Release();
  Key(VK_DOWN);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "down", "up", "click", "down", "dbl", "up", "key", "click"}));
  EXPECT_TRUE(l->InControl());
  MoveTo(l, 300, 200);
  EXPECT_FALSE(l->OverControl());
  EXPECT_TRUE(l->Hot());  // still focused
  auto* other = Make<TProbeListBox>(300, 20, 100, 100);
  other->ListBox->SetFocus();
  usertest::Pump();
  EXPECT_FALSE(l->Hot());
}

// A handler that empties the list from inside the bar's own drag must not
// pull the bar out from under its running code.
TEST_F(uQuarnBoxCtrls_ListBox, ClearingFromInsideTheBarsEventIsSafe) {
  TProbeListBox* l = List(30);
  TQuarnScrollBar* bar = l->ScrollBar;
  ASSERT_NE(bar, nullptr);
  l->SetOnListBoxKeyDown(TKeyEvent());
  bool cleared = false;
  l->SetOnListBoxMouseMove(TMouseMoveEvent([&](TObject*, TShiftState, Integer, Integer) {}));
  const TNotifyEvent scroll = bar->OnChange();
  bar->SetOnChange(TNotifyEvent([&, scroll](TObject* S) {
    scroll(S);
    if (!cleared && l->TopIndex() > 5) {
      cleared = true;
      l->Clear();
    }
  }));
  const TRect thumb = bar->Button(TQuarnScrollBar::BtnThumb).Rect;
  MoveTo(bar, thumb.Left + 4, thumb.Top + 4);
  Press();
  // The bar leaves at the clear and is freed soon after: only its place is kept.
  const TPoint origin = bar->ClientToScreen(TPoint(thumb.Left + 4, 0));
  const Integer length = bar->Height();
  for (Integer y = thumb.Top + 8; y < length; y += 8) {
    InputMouseMove(origin.X, origin.Y + y);
    usertest::Pump();
  }
  Release();
  EXPECT_TRUE(cleared);
  EXPECT_EQ(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ListBox->Items()->Count(), 0);
  EXPECT_EQ(l->ComponentCount(), 1);  // the hidden bar was freed once its drag had returned
}

TEST_F(uQuarnBoxCtrls_ListBox, SeventyThousandRowsScrollToTheEnd) {
  TProbeListBox* l = List(0);
  TStringList items;
  for (Integer i = 0; i < 70000; ++i) items.Add(IntToStr(i));
  l->SetItems(&items);
  usertest::Pump();
  ASSERT_NE(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ScrollBar->Max(), 69999);
  l->ScrollBar->SetPosition(l->ScrollBar->Max());
  usertest::Pump();
  EXPECT_EQ(l->TopIndex(), 70000 - 5);
  l->ScrollBar->SetPosition(65535);
  usertest::Pump();
  EXPECT_EQ(l->TopIndex(), 65535);
  l->ScrollBar->SetPosition(65536 + 7);
  usertest::Pump();
  EXPECT_EQ(l->TopIndex(), 65543);
}

TEST_F(uQuarnBoxCtrls_ListBox, DropDownListShowsOnTopWithoutTakingActivation) {
  FRoot->SetBorderStyle(bsSingle);
  auto* edit = Make<TEdit>(20, 20, 120, 22);
  edit->SetFocus();
  usertest::Pump();
  // The owner gives the pop-up a parent control (so it paints) and places
  // it; its window stays a top-level one.
  auto popup = std::make_unique<TQnPopupListBox>(FRoot.get());
  popup->SetParent(FRoot.get());
  popup->SetBounds(0, 0, 140, 86);
  for (Integer i = 0; i < 10; ++i) popup->Items()->Add(u"Choice " + IntToStr(i));
  const TPoint at = edit->ClientToScreen(TPoint(0, 22));
  popup->Show(at);
  usertest::Pump();
  HWND h = popup->Handle();
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetParent(h), nullptr);
  EXPECT_TRUE(GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(DWORD(GetWindowLongW(h, GWL_STYLE)) & (WS_CHILD | WS_CAPTION), 0u);
  RECT wr;
  GetWindowRect(h, &wr);
  EXPECT_EQ(TPoint(wr.Left, wr.Top), at);
  EXPECT_TRUE(popup->ListBox->PopupListBox());
  ASSERT_NE(popup->ScrollBar, nullptr);

  HWND active = GetActiveWindow();
  MoveTo(popup->ListBox, 20, 30);
  Press();
  Release();
  EXPECT_EQ(popup->ItemIndex(), 1);
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_EQ(GetFocus(), edit->Handle());

  // The frame in the default colour; one pixel inside it white.
  const TScreenImage s = CaptureWindow(h);
  EXPECT_EQ(s.Pixel(10, 0), Rgb(QnPopupListFrameColor));
  EXPECT_EQ(s.Pixel(0, 10), Rgb(QnPopupListFrameColor));
  EXPECT_EQ(s.Pixel(10, 1), 0xFFFFFFFFu);
  popup->Hide();
  usertest::Pump();
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_FALSE(popup->Visible());
}

TEST_F(uQuarnBoxCtrls_ListBox, FormFileRoundTrip) {
  auto* l = Make<TQuarnListBox>(10, 10, 150, 100);
  l->SetName(u"List1");
  l->Items()->Add(u"one");
  l->Items()->Add(u"two");
  l->SetDefaultItemHeight(18);
  l->SetColumns(2);
  l->SetMultiSelect(true);
  l->SetAlignment(taCenter);
  const std::string text = ComponentToText(l);
  EXPECT_EQ(text.find("TQnListBox"), std::string::npos);  // made by the constructor, not stored
  EXPECT_NE(text.find("DefaultItemHeight = 18"), std::string::npos);
  EXPECT_EQ(text.find("RowCount"), std::string::npos);
  auto back = std::make_unique<TQuarnListBox>(nullptr);
  TextToComponent(text, back.get());
  EXPECT_EQ(back->Items()->Count(), 2);
  EXPECT_EQ(back->Items()->Strings(1), u"two");
  EXPECT_EQ(back->DefaultItemHeight(), 18);
  EXPECT_EQ(back->ListBox->ItemHeight(), 18);
  EXPECT_EQ(back->Columns(), 2);
  EXPECT_TRUE(back->MultiSelect());
  EXPECT_EQ(back->Alignment(), taCenter);
  EXPECT_EQ(back->ListBox->Owner(), back.get());
  EXPECT_EQ(back->ControlCount(), 1);  // the inner list only: no bar, nothing doubled
}

// A list read from a form file into a form that is shown afterwards gets the
// same working bar as one built in code: a window, a thumb sized to the page
// and a drag that scrolls the list.
TEST_F(uQuarnBoxCtrls_ListBox, ListFromAFormFileShowsAWorkingBar) {
  std::string text =
      "object FormCities: TForm\n"
      "  Left = 60\n  Top = 60\n  Width = 320\n  Height = 260\n"
      "  object LstCities: TQuarnListBox\n"
      "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 186\n"
      "    Items.Strings = (\n";
  for (int i = 0; i < 30; ++i) text += "      'City " + std::to_string(i) + "'\n";
  text += "    )\n  end\nend\n";
  auto form = std::make_unique<TForm>(nullptr);
  TextToComponent(text, form.get());
  form->SetPosition(poDesigned);
  form->Show();
  usertest::Pump();
  auto* l = dynamic_cast<TQuarnListBox*>(form->FindComponent(u"LstCities"));
  ASSERT_NE(l, nullptr);
  ASSERT_EQ(l->Items()->Count(), 30);
  TQuarnScrollBar* bar = l->ScrollBar;
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(bar->Handle()));
  bar->Invalidate();
  usertest::Pump();
  const Integer rows = l->ListBox->Height() / l->ListBox->ItemHeight();
  EXPECT_EQ(bar->LargeChange(), rows);
  const TRect thumb = bar->Button(TQuarnScrollBar::BtnThumb).Rect;
  ASSERT_FALSE(IsRectEmpty(thumb));
  // The same list built in code has a thumb of the same size.
  TProbeListBox* ref = List(30, 240, 10, 200, 186);
  ASSERT_NE(ref->ScrollBar, nullptr);
  ref->ScrollBar->Invalidate();
  usertest::Pump();
  const TRect refThumb = ref->ScrollBar->Button(TQuarnScrollBar::BtnThumb).Rect;
  EXPECT_EQ(thumb.Width(), refThumb.Width());
  EXPECT_EQ(thumb.Height(), refThumb.Height());
  EXPECT_LT(thumb.Height(), bar->Height() / 2);
  // On screen the bar is painted: its pixels are not all one colour.
  const TScreenImage shot = CaptureWindow(bar->Handle(), true);
  std::set<uint32_t> colours(shot.Pixels.begin(), shot.Pixels.end());
  EXPECT_GT(colours.size(), 2u);

  MoveTo(bar, thumb.Left + thumb.Width() / 2, thumb.Top + thumb.Height() / 2);
  Press();
  MoveTo(bar, thumb.Left + thumb.Width() / 2, bar->Height() + 40);
  Release();
  EXPECT_EQ(l->TopIndex(), 30 - rows);
  EXPECT_EQ(bar->Position(), 30 - rows);
}

}  // namespace

}  // namespace t_u_quarn_list_box_test
