// The image manager's pictures: the list's cells (text, bold id, thumbnails
// at their own size or scaled to fit), the checkerboard under the preview,
// the preview's place and dragging, and saving an image as PNG.
#include <algorithm>
#include <cstdlib>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Bitmap.h"
#include "tests/design/ResManagerHost.h"

namespace resmanagertest {
namespace t_frm_quarn_res_manager_preview_test {
namespace {

using frmQuarnResManager_Preview = ResManagerHost;

Integer Lum(uint32_t C) { return Integer(((C >> 16 & 0xFF) * 61 + (C >> 8 & 0xFF) * 174 + (C & 0xFF) * 21) >> 8); }

bool Near(uint32_t A, uint32_t B, int Tol = 2) {
  for (int s : {0, 8, 16})
    if (std::abs(int(A >> s & 0xFF) - int(B >> s & 0xFF)) > Tol) return false;
  return true;
}

// Where pixels of R pass Test: left, top, right, bottom (exclusive); empty
// when none.
template <class T>
TRect Box(const TScreenImage& Img, const TRect& R, T Test) {
  TRect b(R.Right, R.Bottom, R.Left, R.Top);
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x)
      if (Test(Img.Pixel(x, y))) {
        b.Left = std::min(b.Left, x);
        b.Top = std::min(b.Top, y);
        b.Right = std::max(b.Right, x + 1);
        b.Bottom = std::max(b.Bottom, y + 1);
      }
  if (b.Left >= b.Right) return TRect();
  return b;
}

// The pixels of Text drawn with Font at (X, Y) in a W x H box: true where
// the text covers more than half a pixel.
std::vector<bool> TextMask(TFont* Font, TFontStyles Style, const String& Text, Integer W, Integer H, Integer X,
                           Integer Y) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(W, H);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect(0, 0, W, H));
  c->Font()->Assign(Font);
  c->Font()->SetStyle(Style);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->TextOut(X, Y, Text);
  std::vector<bool> m;
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) m.push_back(Lum(uint32_t(ColorToRGB(c->Pixels(x, y)))) < 128);
  return m;
}

// The captured pixels of R that lie nearer to Ink than to Back.
std::vector<bool> InkMask(const TScreenImage& Img, const TRect& R, uint32_t Ink, uint32_t Back) {
  const Integer mid = (Lum(Ink) + Lum(Back)) / 2;
  const bool darkInk = Lum(Ink) < Lum(Back);
  std::vector<bool> m;
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x) {
      const Integer l = Lum(Img.Pixel(x, y));
      m.push_back(darkInk ? l < mid : l > mid);
    }
  return m;
}

Integer Mismatches(const std::vector<bool>& A, const std::vector<bool>& B) {
  Integer n = 0;
  for (size_t i = 0; i < A.size() && i < B.size(); ++i) n += A[i] != B[i];
  return n + Integer(A.size() > B.size() ? A.size() - B.size() : B.size() - A.size());
}

// Two masks side by side, for a failure message.
std::string ShowMasks(const std::vector<bool>& A, const std::vector<bool>& B, Integer W) {
  std::string out = "\n";
  for (size_t y = 0; y * size_t(W) < A.size(); ++y) {
    for (Integer x = 0; x < W; ++x) out += A[y * size_t(W) + size_t(x)] ? '#' : '.';
    out += "  ";
    for (Integer x = 0; x < W; ++x) out += B[y * size_t(W) + size_t(x)] ? '#' : '.';
    out += "\n";
  }
  return out;
}

struct ListShot {
  TScreenImage Img;
  TQuarnLazyDrawTree* Tree;
  // A cell in client pixels: the column's bounds and the row's.
  TRect Cell(PLazyNode Node, Integer Column) const {
    const TRect row = Tree->GetDisplayRect(Node, NoColumn, false);
    TLazyTreeColumn* c = Tree->Header()->Columns()->Items(Column);
    return TRect(c->Left(), row.Top, c->Left() + c->Width(), row.Bottom);
  }
};

ListShot ShootList(TQuarnResManagerForm* f) {
  f->qnvdtImageList->Invalidate();
  Application->ProcessMessages();
  return ListShot{CaptureWindow(f->qnvdtImageList->Handle(), true), f->qnvdtImageList};
}

PLazyNode NodeOf(TQuarnResManagerForm* f, const String& Id) {
  PLazyNode n = f->FindImageNode(Id);
  EXPECT_NE(n, nullptr) << ToUtf8(Id);
  return n;
}

TEST_F(frmQuarnResManager_Preview, CellsShowNumberIdSizeAndText) {
  const String small = Picture("small.png", 8, 6, 0xFF2080C0);
  const String wide = Picture("wide.png", 300, 50, 0xFF20A040);
  Open([&](TQuarnResManagerForm* f) {
    Add(f, u"zz_small_WWW", small);
    f->edtDescription->SetText(u"wide one");
    Add(f, u"zz_wide_MMM", wide);
    f->edtFilter->SetText(u"zz_");
    TQuarnLazyDrawTree* t = f->qnvdtImageList;
    PLazyNode n1 = NodeOf(f, u"zz_small_WWW"), n2 = NodeOf(f, u"zz_wide_MMM");
    ASSERT_TRUE(n1 && n2);
    // Only the second row selected, with the list focused so the selection
    // shows in its strong colour.
    t->SetFocus();
    t->ClearSelection();
    t->SetFocusedNode(n2);
    t->SetSelected(n2, true);
    ASSERT_FALSE(t->GetSelected(n1));
    ListShot s = ShootList(f);
    TFont* font = t->Font();

    struct Probe {
      PLazyNode Node;
      Integer Column;
      String Text;
      TFontStyles Style;
    };
    const TFontStyles bold{TFontStyle::fsBold};
    auto check = [&](const ListShot& s, const Probe& p) {
      const TRect cell = s.Cell(p.Node, p.Column);
      // The background where no text reaches, the ink black or white.
      const uint32_t back = s.Img.Pixel(cell.Right - 3, cell.Top + 2);
      const bool selected = t->GetSelected(p.Node);
      const uint32_t ink = selected ? 0xFFFFFF : 0x000000;
      const Integer textRight = std::min<Integer>(cell.Width() - 1, s.Img.Width - cell.Left);
      const TRect area(cell.Left, cell.Top, cell.Left + textRight, cell.Bottom);
      auto expected = [&](TFontStyles Style, Integer Dx = 0) {
        TBitmap probe;
        probe.Canvas()->Font()->Assign(font);
        probe.Canvas()->Font()->SetStyle(Style);
        const Integer th = probe.Canvas()->TextHeight(p.Text);
        return TextMask(font, Style, p.Text, area.Width(), area.Height(), 2 + Dx, (cell.Height() - th) / 2);
      };
      // Glyph edges may round either way between two canvases; a misplaced,
      // missing or wrongly styled text differs in far more pixels.
      const auto got = InkMask(s.Img, area, ink, back), want = expected(p.Style);
      const Integer ink_ = Integer(std::count(want.begin(), want.end(), true));
      const Integer off = Mismatches(got, want);
      EXPECT_GT(ink_, 20);
      EXPECT_LE(off * 8, ink_) << ToUtf8(p.Text) << ShowMasks(got, want, area.Width());
      // The tolerance cannot hide a text one pixel off its place.
      EXPECT_GT(Mismatches(got, expected(p.Style, 1)), 3 * off + 10) << ToUtf8(p.Text);
      if (p.Style.Contains(TFontStyle::fsBold)) {
        const Integer offRegular = Mismatches(got, expected(TFontStyles()));
        EXPECT_GT(offRegular, 3 * off + 10) << "not bold: " << ToUtf8(p.Text);
      }
    };
    for (const Probe& p : {Probe{n1, 1, u"zz_small_WWW", bold}, Probe{n1, 3, u"8x6", {}},
                           Probe{n2, 1, u"zz_wide_MMM", bold}, Probe{n2, 3, u"300x50", {}}})
      check(s, p);
    // The description, with the id column narrowed so it comes into view.
    t->Header()->Columns()->Items(1)->SetWidth(150);
    const ListShot narrowed = ShootList(f);
    ASSERT_LE(narrowed.Cell(n2, 4).Right, narrowed.Img.Width);
    check(narrowed, Probe{n2, 4, u"wide one", {}});
    check(narrowed, Probe{n1, 1, u"zz_small_WWW", bold});
  });
}

TEST_F(frmQuarnResManager_Preview, ThumbnailsFitTheCellCentred) {
  const String small = Picture("small.png", 8, 6, 0xFF2080C0);
  const String tall = Picture("tall.png", 10, 100, 0xFFC02020);
  const String wide = Picture("wide.png", 300, 50, 0xFF20A040);
  const String clear = Picture("clear.png", 8, 6, 0x00FF00FF);
  const String half = Picture("half.png", 8, 6, 0x80FF0000);
  Open([&](TQuarnResManagerForm* f) {
    Add(f, u"zz_a_small", small);
    Add(f, u"zz_b_tall", tall);
    Add(f, u"zz_c_wide", wide);
    Add(f, u"zz_d_clear", clear);
    Add(f, u"zz_e_half", half);
    f->edtFilter->SetText(u"zz_");
    TQuarnLazyDrawTree* t = f->qnvdtImageList;
    t->ClearSelection();
    t->SetFocusedNode(nullptr);
    ListShot s = ShootList(f);
    auto cellOf = [&](const String& id) { return s.Cell(NodeOf(f, id), 2); };
    auto painted = [&](const TRect& cell) {
      const uint32_t back = s.Img.Pixel(cell.Left + 1, cell.Top + 1);
      return Box(s.Img, cell, [back](uint32_t p) { return !Near(p, back, 0); });
    };

    // At its own size, centred.
    TRect c = cellOf(u"zz_a_small");
    ASSERT_EQ(c.Height(), 23);
    ASSERT_EQ(c.Width(), 100);
    EXPECT_EQ(Box(s.Img, c, [](uint32_t p) { return Near(p, 0x2080C0); }),
              TRect(c.Left + 46, c.Top + 8, c.Left + 54, c.Top + 14));
    EXPECT_EQ(painted(c), TRect(c.Left + 46, c.Top + 8, c.Left + 54, c.Top + 14));

    // 10 x 100: the height decides (0.23), the whole cell height, centred.
    c = cellOf(u"zz_b_tall");
    TRect b = painted(c);
    EXPECT_EQ(b.Top, c.Top);
    EXPECT_EQ(b.Bottom, c.Bottom);
    EXPECT_LE(b.Width(), 3);
    EXPECT_GE(b.Width(), 2);
    EXPECT_LE(std::abs((b.Left + b.Right) - (c.Left + c.Right)), 1);
    EXPECT_TRUE(Near(s.Img.Pixel(c.Left + 49, c.Top + 11), 0xC02020, 40));

    // 300 x 50: the width decides (1/3), the whole cell width, centred.
    c = cellOf(u"zz_c_wide");
    b = painted(c);
    EXPECT_EQ(b.Left, c.Left);
    EXPECT_EQ(b.Right, c.Right);
    EXPECT_GE(b.Height(), 16);
    EXPECT_LE(b.Height(), 17);
    EXPECT_LE(std::abs((b.Top + b.Bottom) - (c.Top + c.Bottom)), 1);
    EXPECT_TRUE(Near(s.Img.Pixel(c.Left + 50, c.Top + 11), 0x20A040));

    // Alpha is blended with the cell, not copied: a clear picture leaves the
    // cell as it was, a half-clear one mixes with it.
    c = cellOf(u"zz_d_clear");
    EXPECT_EQ(painted(c), TRect());
    c = cellOf(u"zz_e_half");
    const uint32_t back = s.Img.Pixel(c.Left + 1, c.Top + 1);
    const uint32_t mixed = s.Img.Pixel(c.Left + 50, c.Top + 11);
    for (int sh : {0, 8, 16}) {
      const int fg = sh == 16 ? 0xFF : 0, bg = int(back >> sh & 0xFF);
      EXPECT_LE(std::abs(int(mixed >> sh & 0xFF) - (fg * 128 + bg * 127) / 255), 2) << sh;
    }
  });
}

// Every pixel of the image control is the checkerboard's.
void ExpectCheckerboard(TQuarnResManagerForm* f) {
  TImage32* im = f->ImageControl();
  im->Invalidate();
  Application->ProcessMessages();
  const TScreenImage img = CaptureWindow(im->Handle(), true);
  ASSERT_EQ(img.Width, im->ClientWidth());
  ASSERT_EQ(img.Height, im->ClientHeight());
  Integer wrong = 0;
  for (Integer y = 0; y < img.Height; ++y)
    for (Integer x = 0; x < img.Width; ++x) {
      const uint32_t want = ((x / 8 + y / 8) % 2 == 0) ? 0xFFFFFF : 0xCCCCCC;
      if ((img.Pixel(x, y) & 0xFFFFFF) != want && wrong++ < 5)
        ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << img.Pixel(x, y);
    }
  EXPECT_EQ(wrong, 0);
  const TFloatRect l = f->BgLayer()->Location();
  EXPECT_EQ(l.Left, 0);
  EXPECT_EQ(l.Top, 0);
  EXPECT_EQ(l.Right, Single(im->Width()));
  EXPECT_EQ(l.Bottom, Single(im->Height()));
}

TEST_F(frmQuarnResManager_Preview, CheckerboardCoversTheControlAfterResizes) {
  Open([&](TQuarnResManagerForm* f) {
    f->qnvdtImageList->SetFocusedNode(nullptr);
    EXPECT_FALSE(f->ImageLayer()->Visible());
    ExpectCheckerboard(f);
    const Integer w0 = f->ImageControl()->Width(), h0 = f->ImageControl()->Height();
    for (TSize sz : {TSize{1213, 677}, TSize{901, 503}}) {
      f->SetClientWidth(sz.cx);
      f->SetClientHeight(sz.cy);
      Application->ProcessMessages();
      EXPECT_NE(f->ImageControl()->Width(), w0);
      EXPECT_NE(f->ImageControl()->Height(), h0);
      ExpectCheckerboard(f);
    }
  });
}

TEST_F(frmQuarnResManager_Preview, PreviewIsCentredAndHiddenWithoutFocus) {
  const String even = Picture("even.png", 8, 6, 0xFF2080C0);
  const String odd = Picture("odd.png", 9, 7, 0xFF2080C0);
  Open([&](TQuarnResManagerForm* f) {
    Add(f, u"zz_even", even);
    Add(f, u"zz_odd", odd);
    TImage32* im = f->ImageControl();
    for (const Char* id : {u"zz_even", u"zz_odd"}) {
      PLazyNode n = NodeOf(f, id);
      f->qnvdtImageList->SetFocusedNode(n);
      const Integer w = f->NodeRec(n)->Image->Width(), h = f->NodeRec(n)->Image->Height();
      const Integer left = (im->Width() - w) / 2, top = (im->Height() - h) / 2;
      EXPECT_TRUE(f->ImageLayer()->Visible());
      const TFloatRect l = f->ImageLayer()->Location();
      EXPECT_EQ(TRect(Integer(l.Left), Integer(l.Top), Integer(l.Right), Integer(l.Bottom)),
                TRect(left, top, left + w, top + h));
      im->Invalidate();
      Application->ProcessMessages();
      const TScreenImage img = CaptureWindow(im->Handle(), true);
      EXPECT_EQ(Box(img, TRect(0, 0, img.Width, img.Height), [](uint32_t p) { return Near(p, 0x2080C0); }),
                TRect(left, top, left + w, top + h))
          << ToUtf8(id);
    }
    // Both parities of the size difference came up.
    EXPECT_NE((im->Width() - 8) % 2, (im->Width() - 9) % 2);
    f->qnvdtImageList->SetFocusedNode(nullptr);
    EXPECT_FALSE(f->ImageLayer()->Visible());
    im->Invalidate();
    Application->ProcessMessages();
    const TScreenImage img = CaptureWindow(im->Handle(), true);
    EXPECT_EQ(Box(img, TRect(0, 0, img.Width, img.Height), [](uint32_t p) { return Near(p, 0x2080C0); }),
              TRect());
  });
}

TEST_F(frmQuarnResManager_Preview, DraggingMovesTheImageByThePointersMovement) {
  const String pic = Picture("pic.png", 20, 12, 0xFF2080C0);
  Open([&](TQuarnResManagerForm* f) {
    Add(f, u"zz_pic", pic);
    TImage32* im = f->ImageControl();
    const TFloatRect l0 = f->ImageLayer()->Location();
    auto at = [&](Integer dx, Integer dy) {
      const TFloatRect l = f->ImageLayer()->Location();
      EXPECT_EQ(l.Left - l0.Left, Single(dx));
      EXPECT_EQ(l.Top - l0.Top, Single(dy));
      EXPECT_EQ(l.Right - l.Left, 20);
      EXPECT_EQ(l.Bottom - l.Top, 12);
    };
    const TPoint p = im->ClientToScreen(TPoint(30, 40));
    InputMouseMove(p.X, p.Y);
    Application->ProcessMessages();
    at(0, 0);
    InputMouseDown(VK_LBUTTON);
    Application->ProcessMessages();
    EXPECT_TRUE(f->Dragging());
    InputMouseMove(p.X + 13, p.Y + 7);
    Application->ProcessMessages();
    at(13, 7);
    InputMouseMove(p.X + 10, p.Y + 20);
    Application->ProcessMessages();
    at(10, 20);
    // Far outside the control, over the list: the control holds the mouse.
    const TPoint outside = f->qnvdtImageList->ClientToScreen(TPoint(40, 40));
    ASSERT_LT(outside.X, im->ClientToScreen(TPoint(0, 0)).X);
    InputMouseMove(outside.X, outside.Y);
    Application->ProcessMessages();
    at(outside.X - p.X, outside.Y - p.Y);
    InputMouseUp(VK_LBUTTON);
    Application->ProcessMessages();
    EXPECT_FALSE(f->Dragging());
    at(outside.X - p.X, outside.Y - p.Y);
    // Released: moving on moves nothing.
    InputMouseMove(p.X, p.Y);
    Application->ProcessMessages();
    at(outside.X - p.X, outside.Y - p.Y);
    // A right click does not start a drag (its menu is sent away).
    InputMouseDown(VK_RBUTTON);
    InputMouseUp(VK_RBUTTON);
    InputKeyDown(VK_ESCAPE);
    InputKeyUp(VK_ESCAPE);
    Application->ProcessMessages();
    EXPECT_FALSE(f->Dragging());
    InputMouseMove(p.X + 5, p.Y + 5);
    Application->ProcessMessages();
    at(outside.X - p.X, outside.Y - p.Y);
    ResetInput();
  });
}

TEST_F(frmQuarnResManager_Preview, SaveAsWritesThePixelsAndCancelWritesNothing) {
  // Every alpha level and colour differs, so the file must carry them all.
  TBitmap32 src;
  src.SetSize(17, 9);
  for (Integer y = 0; y < 9; ++y)
    for (Integer x = 0; x < 17; ++x)
      src.SetPixel(x, y, Color32(Byte(x * 15), Byte(y * 28), Byte(x * y), Byte(x * 16 + y)));
  src.SetPixel(0, 0, 0);
  const String file = SavePicture("varied.png", src);
  const std::string out = Root + "/out.png", cancelled = Root + "/cancelled.png";
  Open([&](TQuarnResManagerForm* f) {
    f->qnvdtImageList->SetFocusedNode(nullptr);
    bool handled = false;
    f->actlst1Update(f->actItem_SaveAs, handled);
    EXPECT_FALSE(f->actItem_SaveAs->Enabled());
    Add(f, u"zz_varied", file);
    f->actlst1Update(f->actItem_SaveAs, handled);
    EXPECT_TRUE(f->actItem_SaveAs->Enabled());

    AnswerFiles({FromUtf8(out)});
    f->actItem_SaveAs->Execute();
    EXPECT_TRUE(LastCall.Save);
    EXPECT_EQ(LastCall.DefaultExt, u"png");
    EXPECT_EQ(LastCall.Filter, (std::vector<String>{u"PngImage(*.Png)", u"*.png"}));
    ASSERT_TRUE(fs::exists(out));
    TBitmap32 back;
    LoadPNGintoBitmap32(&back, FromUtf8(out));
    TBitmap32* kept = f->NodeRec(f->qnvdtImageList->FocusedNode())->Image;
    ASSERT_EQ(back.Width(), 17);
    ASSERT_EQ(back.Height(), 9);
    for (Integer y = 0; y < 9; ++y)
      for (Integer x = 0; x < 17; ++x) {
        ASSERT_EQ(back.GetPixel(x, y), kept->GetPixel(x, y)) << x << "," << y;
        ASSERT_EQ(back.GetPixel(x, y), src.GetPixel(x, y)) << x << "," << y;
      }

    AnswerFiles({});
    f->actItem_SaveAs->Execute();
    EXPECT_FALSE(fs::exists(cancelled));
  });
}

}  // namespace
}  // namespace t_frm_quarn_res_manager_preview_test
}  // namespace resmanagertest
