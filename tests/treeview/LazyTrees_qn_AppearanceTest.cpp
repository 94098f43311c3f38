// The tree's appearance: the colour set and what each slot repaints, the
// background laid by tiles or once, theme changes and the timer they start,
// the frame's room and pixels, and the setters' rebuilds.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "examples/gallery/TreeFrameSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/Gdi.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace t_lazy_trees_qn_appearance_test {

using namespace qn;

namespace {

// A tree whose client is plain Color (nothing else paints nodes yet), and
// which counts the bitmap rebuilds it is asked for.
class TPlainTree : public TBaseLazyTree_qn {
  QN_CLASS(TPlainTree, TBaseLazyTree_qn)
 public:
  explicit TPlainTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  int ButtonRebuilds = 0, LineRebuilds = 0;
  using TBaseLazyTree_qn::FontChanged;
  using TBaseLazyTree_qn::OriginalWMNCPaint;

 protected:
  void PrepareBitmaps(bool NeedButtons, bool NeedLines) override {
    ButtonRebuilds += NeedButtons;
    LineRebuilds += NeedLines;
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
};

class LazyTrees_qn_Appearance : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    ThemeServices()->ApplyThemeChange();
    SetVirtualClock(true);
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    delete Form;
    ResetThemes();
  }
  TPlainTree* MakeTree() {
    auto* t = new TPlainTree(Form);
    t->SetParent(Form);
    t->SetBounds(10, 10, 120, 90);
    t->SetColor(clWhite);
    Form->Show();
    t->HandleNeeded();
    Application->ProcessMessages();
    return t;
  }
  TForm* Form = nullptr;
};

}  // namespace

TEST_F(LazyTrees_qn_Appearance, ColorSetDefaultsPublishedOrderAndAssignment) {
  TPlainTree* t = MakeTree();
  TVTColors* c = t->Colors();
  const char16_t* order[] = {u"BorderColor",
                             u"DisabledColor",
                             u"DropMarkColor",
                             u"DropTargetColor",
                             u"DropTargetBorderColor",
                             u"FocusedSelectionColor",
                             u"FocusedSelectionBorderColor",
                             u"GridLineColor",
                             u"HeaderHotColor",
                             u"HotColor",
                             u"SelectionRectangleBlendColor",
                             u"SelectionRectangleBorderColor",
                             u"SelectionTextColor",
                             u"TreeLineColor",
                             u"UnfocusedSelectionColor",
                             u"UnfocusedSelectionBorderColor"};
  const TColor defaults[] = {clBtnFace,   clBtnShadow, clHighlight, clHighlight,  clHighlight, clHighlight,
                             clHighlight, clBtnFace,   clBtnShadow, clWindowText, clHighlight, clHighlight,
                             clHighlightText, clBtnShadow, clBtnFace, clBtnFace};
  const auto& props = GetPropInfos(c);
  ASSERT_EQ(props.size(), 16u);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(props[i]->Name(), String(order[i]));
    EXPECT_EQ(TColor(GetOrdProp(c, order[i])), defaults[i]) << i;
    EXPECT_TRUE(IsStoredProp(c, order[i]));
  }
  EXPECT_EQ(c->GetBackgroundColor(), clWhite);
  t->Font()->SetColor(clMaroon);
  EXPECT_EQ(c->GetNodeFontColor(), clMaroon);

  // Assignment copies every slot; inside a batch the tree is not repainted.
  TVTColors other(nullptr);
  for (int i = 0; i < TVTColors::ColorCount; ++i) other.SetColor(i, TColor(RGB(i, 2 * i, 3 * i)));
  t->BeginUpdate();
  ValidateRect(t->Handle(), nullptr);
  t->SetColors(&other);
  EXPECT_FALSE(GetUpdateRect(t->Handle(), nullptr, false));
  t->EndUpdate();
  for (int i = 0; i < TVTColors::ColorCount; ++i) EXPECT_EQ(c->GetColor(i), TColor(RGB(i, 2 * i, 3 * i)));
  other.SetColor(3, clRed);
  t->SetColors(&other);
  EXPECT_TRUE(GetUpdateRect(t->Handle(), nullptr, false));
}

TEST_F(LazyTrees_qn_Appearance, EachColourRepaintsWhatShowsIt) {
  TPlainTree* t = MakeTree();
  t->SetBorderWidth(4);
  Application->ProcessMessages();
  // The tree line colour rebuilds the buttons.
  int before = t->ButtonRebuilds;
  t->Colors()->SetTreeLineColor(clRed);
  EXPECT_EQ(t->ButtonRebuilds, before + 1);
  EXPECT_TRUE(GetUpdateRect(t->Handle(), nullptr, false));
  Application->ProcessMessages();
  // A colour the client shows invalidates it, without rebuilding anything.
  t->Colors()->SetGridLineColor(clLime);
  EXPECT_EQ(t->ButtonRebuilds, before + 1);
  EXPECT_TRUE(GetUpdateRect(t->Handle(), nullptr, false));
  Application->ProcessMessages();
  // The border colour repaints the frame only.
  t->Colors()->SetBorderColor(clBlue);
  EXPECT_FALSE(GetUpdateRect(t->Handle(), nullptr, false));
  Application->ProcessMessages();
  TScreenImage img = CaptureWindow(t->Handle());
  // Inside the client edge (2 pixels) the four pixels of BorderWidth.
  for (int i = 2; i < 6; ++i) {
    EXPECT_EQ(img.Pixel(i, 40) & 0xFFFFFF, 0x0000FFu) << i;
    EXPECT_EQ(img.Pixel(60, img.Height - 1 - i) & 0xFFFFFF, 0x0000FFu) << i;
  }
  EXPECT_EQ(img.Pixel(6, 40) & 0xFFFFFF, 0xFFFFFFu);
  // Unchanged values do nothing.
  Application->ProcessMessages();
  t->Colors()->SetGridLineColor(clLime);
  EXPECT_FALSE(GetUpdateRect(t->Handle(), nullptr, false));
}

TEST_F(LazyTrees_qn_Appearance, BorderDimensionsFollowTheWindowStyles) {
  TPlainTree* t = MakeTree();
  Integer ex = GetSystemMetrics(SM_CXEDGE), ey = GetSystemMetrics(SM_CYEDGE);
  EXPECT_EQ(t->GetBorderDimensions(), TSize(-ex, -ey));  // single border, Ctl3D: client edge
  t->SetCtl3D(false);
  t->HandleNeeded();
  EXPECT_EQ(t->GetBorderDimensions(), TSize(-1, -1));
  t->SetBorderStyle(bsNone);
  t->HandleNeeded();
  EXPECT_EQ(t->GetBorderDimensions(), TSize(0, 0));
  SetWindowLongW(t->Handle(), GWL_STYLE, GetWindowLongW(t->Handle(), GWL_STYLE) | WS_THICKFRAME | WS_BORDER);
  EXPECT_EQ(t->GetBorderDimensions(), TSize(-1 - GetSystemMetrics(SM_CXFRAME), -1 - GetSystemMetrics(SM_CYFRAME)));
}

TEST_F(LazyTrees_qn_Appearance, BevelAndBorderWidthFramePixels) {
  struct Case {
    TBevelKind Kind;
    TBevelCut Inner, Outer;
    Integer BevelWidth, BorderWidth;
    bool Ctl3D;
  };
  const Case cases[] = {{bkTile, bvRaised, bvLowered, 1, 3, true}, {bkSoft, bvNone, bvRaised, 2, 0, true},
                        {bkFlat, bvLowered, bvNone, 1, 2, false}, {bkNone, bvRaised, bvLowered, 1, 5, true},
                        {bkTile, bvLowered, bvRaised, 3, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int(c.Kind) << " border " << c.BorderWidth << " ctl3d " << c.Ctl3D);
    TPlainTree* t = MakeTree();
    t->Colors()->SetBorderColor(TColor(RGB(200, 30, 90)));
    t->SetCtl3D(c.Ctl3D);
    t->SetBevelKind(c.Kind);
    t->SetBevelInner(c.Inner);
    t->SetBevelOuter(c.Outer);
    t->SetBevelWidth(c.BevelWidth);
    t->SetBorderWidth(c.BorderWidth);
    t->HandleNeeded();
    RedrawWindow(t->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Application->ProcessMessages();
    TScreenImage img = CaptureWindow(t->Handle());
    // The same frame drawn by the edge routine into a picture of our own.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = img.Width;
    bi.bmiHeader.biHeight = -img.Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    std::fill(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + img.Width * img.Height, 0xFF123456u);
    t->OriginalWMNCPaint(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    TSize b = t->GetBorderDimensions();
    Integer bevel = c.Kind == bkNone ? 0 : c.BevelWidth * ((c.Inner != bvNone) + (c.Outer != bvNone));
    Integer inset = -b.cx + bevel + c.BorderWidth;
    int compared = 0;
    for (int y = -b.cy; y < img.Height + b.cy; ++y)
      for (int x = -b.cx; x < img.Width + b.cx; ++x) {
        if (x >= inset && y >= inset && x < img.Width - inset && y < img.Height - inset) continue;
        uint32_t want = static_cast<uint32_t*>(bits)[y * img.Width + x] & 0xFFFFFF;
        if (want == 0x123456) continue;  // nothing drawn there by the frame code
        ASSERT_EQ(img.Pixel(x, y) & 0xFFFFFF, want) << x << "," << y << " of " << img.Width << "x" << img.Height;
        ++compared;
      }
    EXPECT_GT(compared, 0);
    // The BorderWidth band is in BorderColor; the bevel band is not.
    if (c.BorderWidth > 0) {
      Integer mid = -b.cx + bevel;
      EXPECT_EQ(img.Pixel(mid, img.Height / 2) & 0xFFFFFF, 0xC81E5Au);
      EXPECT_EQ(img.Pixel(img.Width / 2, img.Height - 1 + b.cy - bevel) & 0xFFFFFF, 0xC81E5Au);
    }
    if (bevel > 0) {
      EXPECT_NE(img.Pixel(-b.cx, img.Height / 2) & 0xFFFFFF, 0xC81E5Au);
    }
    // The client keeps its own colour.
    EXPECT_EQ(img.Pixel(inset, inset) & 0xFFFFFF, 0xFFFFFFu);
    DeleteObject(bmp);
    delete t;
  }
}

TEST_F(LazyTrees_qn_Appearance, OnlyForeignThemeChangesStartTheTimerThatRebuildsTheWindow) {
  TPlainTree* t = MakeTree();
  EXPECT_TRUE(t->TreeStates().Contains(tsUseThemes));
  HWND first = t->Handle();
  // The tree's own theme change: no timer, the window stays.
  t->SetWindowTheme(u"explorer");
  AdvanceClock(1000);
  Application->ProcessMessages();
  EXPECT_EQ(t->Handle(), first);
  // A theme change from outside re-evaluates the themed state, and half a
  // second later the window is made anew.
  SetThemeMode(TThemeMode::Absent);
  EXPECT_FALSE(t->TreeStates().Contains(tsUseThemes));
  Application->ProcessMessages();
  EXPECT_EQ(t->Handle(), first);
  AdvanceClock(600);
  Application->ProcessMessages();
  EXPECT_NE(t->Handle(), first);
  HWND second = t->Handle();
  AdvanceClock(2000);
  Application->ProcessMessages();
  EXPECT_EQ(t->Handle(), second);  // the timer stopped
  SetThemeMode(TThemeMode::Present);
  EXPECT_TRUE(t->TreeStates().Contains(tsUseThemes));
  // Not theme-aware: themes on or not, no themed state.
  t->TreeOptions()->SetPaintOptions(DefaultPaintOptions - TVTPaintOptions{toThemeAware});
  SetThemeMode(TThemeMode::Trimmed);
  EXPECT_FALSE(t->TreeStates().Contains(tsUseThemes));
  t->VclStyleChanged();
  EXPECT_FALSE(t->VclStyleEnabled());
}

namespace {

// A bitmap whose pixel (x, y) tells where it came from.
std::unique_ptr<TBitmap> Coded(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = uint32_t(0x010000 * (x + 1) + 0x000100 * (y + 1) + 0x40);
  }
  return b;
}

std::unique_ptr<TBitmap> Target(int w, int h, uint32_t fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = fill;
  }
  return b;
}

uint32_t At(TBitmap* b, int x, int y) { return static_cast<uint32_t*>(b->ScanLine(y))[x] & 0xFFFFFF; }

}  // namespace

TEST_F(LazyTrees_qn_Appearance, TilesFollowTheScrolledSpaceForAnyOffset) {
  std::mt19937 rng(8);
  auto* t = new TPlainTree(Form);
  for (int round = 0; round < 150; ++round) {
    int pw = 1 + int(rng() % 13), ph = 1 + int(rng() % 11);
    auto pic = Coded(pw, ph);
    auto dst = Target(40, 30, 0x00ABCDEF);
    t->SetBackgroundOffsetX(int(rng() % 61) - 30);
    t->SetBackgroundOffsetY(int(rng() % 61) - 30);
    TPoint offset(int(rng() % 201) - 100, int(rng() % 201) - 100);
    TRect r(int(rng() % 20), int(rng() % 15), 0, 0);
    r.Right = r.Left + int(rng() % 21);
    r.Bottom = r.Top + int(rng() % 16);
    t->TileBackground(pic.get(), dst->Canvas(), offset, r);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        uint32_t want = 0xABCDEF;
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
          int sx = ((x + offset.X + t->BackgroundOffsetX()) % pw + pw) % pw;
          int sy = ((y + offset.Y + t->BackgroundOffsetY()) % ph + ph) % ph;
          want = At(pic.get(), sx, sy);
        }
        ASSERT_EQ(At(dst.get(), x, y), want) << "round " << round << " at " << x << "," << y;
      }
  }
  // A picture without pixels lays nothing (and divides by nothing).
  auto empty = std::make_unique<TBitmap>();
  auto dst = Target(8, 8, 0x00102030);
  t->TileBackground(empty.get(), dst->Canvas(), TPoint(3, 3), TRect(0, 0, 8, 8));
  EXPECT_EQ(At(dst.get(), 4, 4), 0x102030u);
}

TEST_F(LazyTrees_qn_Appearance, AStaticPictureSitsAtTheOffsetOverTheColour) {
  auto* t = new TPlainTree(Form);
  t->SetColor(TColor(RGB(0, 0x80, 0)));
  t->SetBackgroundOffsetX(5);
  t->SetBackgroundOffsetY(4);
  for (bool transparent : {false, true}) {
    SCOPED_TRACE(transparent);
    auto pic = Coded(10, 8);
    // Pixel (2, 3) of the picture is the transparent colour.
    uint32_t key = 0x00FF00FF;
    static_cast<uint32_t*>(pic->ScanLine(3))[2] = key;
    pic->SetTransparentColor(TColor(RGB(0xFF, 0, 0xFF)));
    pic->SetTransparent(transparent);
    auto dst = Target(30, 20, 0x00FFFFFF);
    // R = (1, 1)-(25, 18) in the target; its origin is (3, 2) of the
    // visible client area.
    TRect r(1, 1, 25, 18);
    TPoint offset(2, 1);
    t->StaticBackground(pic.get(), dst->Canvas(), offset, r);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) {
        uint32_t want = 0xFFFFFF;
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) {
          want = 0x008000;
          int px = x + offset.X - 5, py = y + offset.Y - 4;
          if (px >= 0 && py >= 0 && px < 10 && py < 8) {
            uint32_t p = At(pic.get(), px, py);
            if (!(transparent && p == (key & 0xFFFFFF))) want = p;
          }
        }
        ASSERT_EQ(At(dst.get(), x, y), want) << x << "," << y;
      }
  }
}

TEST_F(LazyTrees_qn_Appearance, SettersRebuildAndRepaintAsTheyShould) {
  TPlainTree* t = MakeTree();
  EXPECT_EQ(t->ButtonStyle(), bsRectangle);
  EXPECT_EQ(t->ButtonFillMode(), fmTreeColor);
  EXPECT_EQ(t->LineStyle(), lsDotted);
  EXPECT_EQ(t->LineMode(), lmNormal);
  EXPECT_EQ(t->NodeAlignment(), naProportional);
  EXPECT_EQ(t->DrawSelectionMode(), smDottedRectangle);
  EXPECT_EQ(t->SelectionBlendFactor(), 128);
  EXPECT_EQ(t->Margin(), 4);
  EXPECT_EQ(t->TextMargin(), 4);
  EXPECT_EQ(t->Indent(), 18u);
  t->SetDoubleBuffered(false);
  EXPECT_TRUE(t->DoubleBuffered());

  struct Step {
    const char* Name;
    std::function<void()> Change;
    int Buttons, Lines;
  };
  const Step steps[] = {
      {"button style", [&] { t->SetButtonStyle(bsTriangle); }, 1, 0},
      {"fill mode", [&] { t->SetButtonFillMode(fmShaded); }, 1, 0},
      {"line style", [&] { t->SetLineStyle(lsSolid); }, 0, 1},
      {"line mode", [&] { t->SetLineMode(lmBands); }, 0, 0},
      {"margin", [&] { t->SetMargin(7); }, 0, 0},
      {"text margin", [&] { t->SetTextMargin(9); }, 0, 0},
      {"indent", [&] { t->SetIndent(24); }, 0, 0},
      {"alignment", [&] { t->SetAlignment(taCenter); }, 0, 0},
      {"node alignment", [&] { t->SetNodeAlignment(naFromTop); }, 0, 0},
      {"empty message", [&] { t->SetEmptyListMessage(u"Nothing here"); }, 0, 0},
      {"offset", [&] { t->SetBackgroundOffsetX(3); }, 0, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Name);
    Application->ProcessMessages();
    int b = t->ButtonRebuilds, l = t->LineRebuilds;
    s.Change();
    EXPECT_EQ(t->ButtonRebuilds - b, s.Buttons);
    EXPECT_EQ(t->LineRebuilds - l, s.Lines);
    EXPECT_TRUE(GetUpdateRect(t->Handle(), nullptr, false));
    // The same value again changes nothing.
    Application->ProcessMessages();
    s.Change();
    EXPECT_EQ(t->ButtonRebuilds - b, s.Buttons);
    EXPECT_FALSE(GetUpdateRect(t->Handle(), nullptr, false));
  }
  // A colour or font change of the control rebuilds the buttons.
  int b = t->ButtonRebuilds;
  t->SetColor(clYellow);
  t->Font()->SetSize(13);
  EXPECT_EQ(t->ButtonRebuilds - b, 2);
}

TEST_F(LazyTrees_qn_Appearance, FontChangesInsideHandlersAreNoticedAndChained) {
  TPlainTree* t = MakeTree();
  auto bmp = Target(4, 4, 0);
  TCanvas* c = bmp->Canvas();
  int chained = 0;
  c->Font()->OnChange = [&](TObject*) { ++chained; };
  t->RedirectFontChangeEvent(c);
  EXPECT_FALSE(t->FontChangedDuringEvent());
  c->Font()->SetSize(20);
  EXPECT_TRUE(t->FontChangedDuringEvent());
  EXPECT_EQ(chained, 1);
  t->RestoreFontChangeEvent(c);
  c->Font()->SetSize(21);
  EXPECT_EQ(chained, 2);
  // The tree's own font still reaches the control.
  int b = t->ButtonRebuilds;
  t->Font()->SetColor(clNavy);
  EXPECT_EQ(t->ButtonRebuilds - b, 1);
}

// Frames, tiles, the static picture and the blend modes as the gallery
// shows them; every step is integer arithmetic, so the picture is exact.
TEST_F(LazyTrees_qn_Appearance, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeFrameSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-frame", 0, 0);
}

}  // namespace t_lazy_trees_qn_appearance_test
