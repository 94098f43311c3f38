// The form skin: its frame metrics, hit tests and region, the picture it
// paints (gradient, fill styles, tint, frame lines), the background it
// gives transparent skinned controls, the process-wide style, the skin
// configuration message, and the form driven through the input queue.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/PngImage.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_quarn_form_test {

using namespace qn;

namespace {

Cardinal Rgb(TColor C) { return Color32(ColorToRGB(C)) & 0xFFFFFFu; }
Cardinal Rgb(TColor32 C) { return C & 0xFFFFFFu; }
// Blending an opaque picture may be a unit off per channel.
bool Near(TColor32 A, Cardinal B) {
  for (int s : {0, 8, 16})
    if (std::abs(Integer((A >> s) & 0xFF) - Integer((B >> s) & 0xFF)) > 1) return false;
  return true;
}

// A skin configuration that only offers its form settings.
class TTestSkinRes : public TQnCustomSkinRes {
  QN_CLASS(TTestSkinRes, TQnCustomSkinRes)
 public:
  TTestSkinRes() : TQnCustomSkinRes(nullptr), FForm(new TQnFormSkinRes(nullptr)) {}
  void Apply() override {}
  TQnFormSkinRes* Form() const override { return FForm.get(); }

 private:
  std::unique_ptr<TQnFormSkinRes> FForm;
};

class uQuarnForm : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    gHSB = THSB{};
  }
  void TearDown() override {
    FForm.reset();
    gHSB = THSB{};
    usertest::InputServerTest::TearDown();
  }
  // A shown, sizeable form with a skin at 100, 80 of W x H.
  TQuarnForm* Skinned(Integer W = 400, Integer H = 300, TFormBorderStyle Border = bsSizeable) {
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(Border);
    FForm->SetBounds(100, 80, W, H);
    auto* skin = new TQuarnForm(FForm.get());
    FForm->Show();
    usertest::Pump();
    return skin;
  }
  HWND Wnd() const { return FForm->Handle(); }
  TRect WindowRect() const {
    TRect r;
    GetWindowRect(Wnd(), &r);
    return r;
  }
  // The client rectangle in window coordinates.
  TRect ClientInWindow() const {
    TRect c;
    GetClientRect(Wnd(), &c);
    TPoint o(0, 0);
    ClientToScreen(Wnd(), &o);
    const TRect w = WindowRect();
    return TRect(o.X - w.Left, o.Y - w.Top, o.X - w.Left + c.Right, o.Y - w.Top + c.Bottom);
  }
  LRESULT Hit(Integer X, Integer Y) {
    const TRect w = WindowRect();
    return SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(w.Left + X, w.Top + Y));
  }
  static std::string TempFile(const char* Name) {
    return qntest::TempFile(Name);
  }
  // A 40 x 20 picture: left half red, right half blue, one green pixel at
  // (0, 0), written as PNG; its full path.
  static String TwoColourPicture() {
    const std::string path = TempFile("qn_form_two_colour.png");
    TPngImage png(COLOR_RGB, 8, 40, 20);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) {
        Byte* p = png.Scanline(y) + x * 3;
        // Bytes in blue, green, red order.
        const bool green = x == 0 && y == 0;
        p[2] = green ? 0 : (x < 20 ? 255 : 0), p[1] = green ? 255 : 0, p[0] = green ? 0 : (x < 20 ? 0 : 255);
      }
    const String name = FromUtf8(path);
    png.SaveToFile(name);
    return name;
  }
  std::unique_ptr<TForm> FForm;
};

}  // namespace

TEST_F(uQuarnForm, ClientAreaIsTheWindowLessFrameAndTitle) {
  TQuarnForm* skin = Skinned(400, 300);
  struct Case {
    Integer Fram, Title;
  };
  for (const Case c : {Case{2, 27}, Case{0, 0}, Case{6, 40}, Case{1, 60}}) {
    skin->SetFramWidth(c.Fram);
    skin->SetTitleHeight(c.Title);
    usertest::Pump();
    EXPECT_EQ(ClientInWindow(), TRect(c.Fram, c.Title, 400 - c.Fram, 300 - c.Fram)) << c.Fram << " " << c.Title;
  }
  // Negative metrics are ignored.
  skin->SetFramWidth(-3);
  skin->SetTitleHeight(-1);
  EXPECT_EQ(skin->FramWidth(), 1);
  EXPECT_EQ(skin->TitleHeight(), 60);
  // A window smaller than its frame and title: an empty client, not an
  // inverted one.
  skin->SetFramWidth(4);
  skin->SetTitleHeight(27);
  for (const TRect r : {skin->ClientRectFor(6, 10), skin->ClientRectFor(0, 0), skin->ClientRectFor(9, 30)}) {
    EXPECT_LE(r.Left, r.Right);
    EXPECT_LE(r.Top, r.Bottom);
  }
  EXPECT_EQ(skin->ClientRectFor(6, 10), TRect(4, 10, 4, 10));
  EXPECT_EQ(skin->ClientRectFor(9, 30), TRect(4, 27, 5, 27));
}

TEST_F(uQuarnForm, HitTestBandsTitleBorderAndClient) {
  TQuarnForm* skin = Skinned(400, 300);
  skin->SetHitTestWidth(5);
  skin->SetFramWidth(3);
  struct Case {
    Integer X, Y;
    LRESULT Want;
  };
  const Case cases[] = {
      {0, 0, HTTOPLEFT},        {4, 4, HTTOPLEFT},        {5, 0, HTTOP},          {399, 0, HTTOPRIGHT},
      {395, 4, HTTOPRIGHT},     {0, 299, HTBOTTOMLEFT},   {399, 299, HTBOTTOMRIGHT}, {395, 295, HTBOTTOMRIGHT},
      {0, 150, HTLEFT},         {4, 150, HTLEFT},         {399, 150, HTRIGHT},    {200, 0, HTTOP},
      {200, 4, HTTOP},          {200, 299, HTBOTTOM},     {200, 5, HTCAPTION},    {200, 26, HTCAPTION},
      {200, 27, HTCLIENT},      {5, 150, HTCLIENT},       {394, 294, HTCLIENT},   {400, 150, HTNOWHERE},
  };
  for (const Case& c : cases) EXPECT_EQ(Hit(c.X, c.Y), c.Want) << c.X << "," << c.Y;
  // A wide frame shows as border beyond the sizing band.
  skin->SetFramWidth(12);
  EXPECT_EQ(Hit(8, 150), HTBORDER);
  EXPECT_EQ(Hit(200, 292), HTBORDER);
  EXPECT_EQ(Hit(12, 150), HTCLIENT);

  // Maximised: no sizing codes anywhere.
  ShowWindow(Wnd(), SW_MAXIMIZE);
  usertest::Pump();
  EXPECT_EQ(Hit(0, 0), HTCAPTION);
  EXPECT_EQ(Hit(0, 150), HTBORDER);
}

TEST_F(uQuarnForm, DialogBorderHasNoSizingBands) {
  Skinned(300, 200, bsDialog);
  EXPECT_EQ(Hit(0, 0), HTCAPTION);
  EXPECT_EQ(Hit(0, 100), HTBORDER);
  EXPECT_EQ(Hit(150, 199), HTBORDER);
  EXPECT_EQ(Hit(150, 100), HTCLIENT);
}

TEST_F(uQuarnForm, RoundRegionFollowsSizeAndLeavesWhenMaximisedOrSquare) {
  TQuarnForm* skin = Skinned(300, 200);
  auto inRegion = [&](Integer X, Integer Y) {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(Wnd(), r);
    const bool in = kind != ERROR && PtInRegion(r, X, Y);
    DeleteObject(r);
    return kind == ERROR ? -1 : int(in);
  };
  EXPECT_EQ(inRegion(0, 0), 0);
  EXPECT_EQ(inRegion(299, 0), 0);
  EXPECT_EQ(inRegion(0, 199), 0);
  EXPECT_EQ(inRegion(299, 199), 0);
  EXPECT_EQ(inRegion(4, 4), 1);
  EXPECT_EQ(inRegion(295, 195), 1);
  EXPECT_EQ(inRegion(150, 0), 1);
  EXPECT_EQ(inRegion(299, 100), 1);
  EXPECT_EQ(inRegion(150, 199), 1);
  // The four corners are cut alike.
  for (Integer y = 0; y < 6; ++y)
    for (Integer x = 0; x < 6; ++x) {
      const int tl = inRegion(x, y);
      EXPECT_EQ(inRegion(299 - x, y), tl) << x << "," << y;
      EXPECT_EQ(inRegion(x, 199 - y), tl) << x << "," << y;
      EXPECT_EQ(inRegion(299 - x, 199 - y), tl) << x << "," << y;
    }
  FForm->SetBounds(100, 80, 360, 240);
  usertest::Pump();
  EXPECT_EQ(inRegion(359, 239), 0);
  EXPECT_EQ(inRegion(355, 235), 1);

  ShowWindow(Wnd(), SW_MAXIMIZE);
  usertest::Pump();
  EXPECT_EQ(inRegion(0, 0), -1);
  ShowWindow(Wnd(), SW_RESTORE);
  usertest::Pump();
  EXPECT_EQ(inRegion(0, 0), 0);
  skin->SetRoundWindow(false);
  EXPECT_EQ(inRegion(0, 0), -1);
}

TEST_F(uQuarnForm, ColourPictureGradientTitleAndFrameLines) {
  TQuarnForm* skin = Skinned(400, 300);
  skin->SetRoundWindow(false);
  SetActiveWindow(Wnd());
  usertest::Pump();
  ASSERT_TRUE(skin->FormActive());
  skin->SetGradientHeight(120);
  TBitmap32* p = skin->Picture();
  // Rows 0 and 1 carry the frame lines; every row below follows the
  // gradient from the title colour (row 0) to the form colour (row 119).
  const Cardinal tc = Rgb(skin->TitlerColor()), fc = Rgb(skin->Color());
  for (Integer y = 2; y < 120; ++y) {
    Cardinal want = 0;
    for (int shift : {0, 8, 16}) {
      const double a = (tc >> shift) & 0xFF, b = (fc >> shift) & 0xFF;
      want |= Cardinal(std::lround(a + (b - a) * y / 119.0)) << shift;
    }
    ASSERT_EQ(Rgb(p->GetPixel(200, y)), want) << y;
  }
  EXPECT_EQ(Rgb(p->GetPixel(200, 119)), fc);
  EXPECT_EQ(Rgb(p->GetPixel(200, 200)), fc);
  // The frame: an edge line at 60 % of the title colour, a white line at
  // alpha 96 inside it.
  const Cardinal t = Rgb(skin->TitlerColor());
  auto pct = [](Cardinal c, int shift) { return (((c >> shift) & 0xFF) * 60 + 50) / 100; };
  const Cardinal edge = (pct(t, 16) << 16) | (pct(t, 8) << 8) | pct(t, 0);
  const Cardinal c = Rgb(skin->Color());
  auto white96 = [&](int shift) { return ((255 * 96 + ((c >> shift) & 0xFF) * 159 + 127) / 255) << shift; };
  const Cardinal inner = white96(16) | white96(8) | white96(0);
  EXPECT_EQ(Rgb(p->GetPixel(0, 200)), edge);
  EXPECT_EQ(Rgb(p->GetPixel(399, 200)), edge);
  EXPECT_EQ(Rgb(p->GetPixel(200, 299)), edge);
  EXPECT_EQ(Rgb(p->GetPixel(1, 200)), inner);
  EXPECT_EQ(Rgb(p->GetPixel(200, 298)), inner);
  EXPECT_EQ(Rgb(p->GetPixel(2, 200)), c);
  skin->SetFlatFrame(true);
  p = skin->Picture();
  EXPECT_EQ(Rgb(p->GetPixel(0, 200)), edge);
  EXPECT_EQ(Rgb(p->GetPixel(1, 200)), c);

  // Inactive: a flat title band of the title colour.
  SendMessageW(Wnd(), WM_NCACTIVATE, 0, 0);
  EXPECT_FALSE(skin->FormActive());
  p = skin->Picture();
  EXPECT_EQ(Rgb(p->GetPixel(200, 5)), t);
  EXPECT_EQ(Rgb(p->GetPixel(200, 26)), t);
  EXPECT_EQ(Rgb(p->GetPixel(200, 27)), c);
  EXPECT_EQ(Rgb(p->GetPixel(200, 100)), c);
}

TEST_F(uQuarnForm, RoundFrameLinesTraceTheCorner) {
  TQuarnForm* skin = Skinned(300, 200);
  TBitmap32* p = skin->Picture();
  const Cardinal c = Rgb(skin->Color());
  // Along the diagonal of the top-left corner the first pixel inside the
  // region carries the edge line, the corner outside stays the picture.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  GetWindowRgn(Wnd(), rgn);
  Integer d = 0;
  while (!PtInRegion(rgn, d, d)) ++d;
  DeleteObject(rgn);
  ASSERT_GT(d, 0);
  EXPECT_NE(Rgb(p->GetPixel(d, d)), c);
  EXPECT_NE(Rgb(p->GetPixel(d, d)), Rgb(skin->TitlerColor()));
}

TEST_F(uQuarnForm, PictureFillStylesAndMissingPicture) {
  TQuarnForm* skin = Skinned(400, 300);
  skin->SetRoundWindow(false);
  skin->SetFramWidth(2);
  const TBitmap32* colour = skin->Picture();
  std::vector<TColor32> colourPixels(colour->Bits(), colour->Bits() + 400 * 300);

  skin->SetCustomPicture(TwoColourPicture());
  skin->SetStyle(ssPicture);
  skin->SetFillStyle(mfsTile);
  TBitmap32* p = skin->Picture();
  // Tiled from (0, 0): 40 x 20 repeats.
  EXPECT_PRED2(Near, p->GetPixel(40, 40), 0x00FF00u);
  EXPECT_PRED2(Near, p->GetPixel(45, 45), 0xFF0000u);
  EXPECT_PRED2(Near, p->GetPixel(65, 45), 0x0000FFu);
  EXPECT_PRED2(Near, p->GetPixel(85, 65), 0xFF0000u);

  skin->SetFillStyle(mfsStretch);
  p = skin->Picture();
  EXPECT_PRED2(Near, p->GetPixel(100, 150), 0xFF0000u);
  EXPECT_PRED2(Near, p->GetPixel(300, 150), 0x0000FFu);

  skin->SetFillStyle(mfs9Block);
  p = skin->Picture();
  EXPECT_PRED2(Near, p->GetPixel(100, 150), 0xFF0000u);
  EXPECT_PRED2(Near, p->GetPixel(300, 150), 0x0000FFu);

  skin->SetFillStyle(mfsBlur);
  p = skin->Picture();
  // Cover-scaled and blurred: deep inside each half the colour is pure,
  // across the middle it runs smoothly from red to blue.
  EXPECT_PRED2(Near, p->GetPixel(60, 150), 0xFF0000u);
  EXPECT_PRED2(Near, p->GetPixel(340, 150), 0x0000FFu);
  Integer prevRed = 256;
  for (Integer x = 170; x < 230; ++x) {
    const Integer red = (p->GetPixel(x, 150) >> 16) & 0xFF;
    EXPECT_LE(red, prevRed);
    prevRed = red;
  }
  const TColor32 mid = p->GetPixel(200, 150);
  EXPECT_GT((mid >> 16) & 0xFF, 60u);
  EXPECT_GT(mid & 0xFF, 60u);

  // A picture that cannot be found: the colour look.
  skin->SetCustomPicture(u"no such picture id");
  p = skin->Picture();
  EXPECT_TRUE(std::equal(colourPixels.begin(), colourPixels.end(), p->Bits()));
}

TEST_F(uQuarnForm, TintTurnsTheWholePicture) {
  TQuarnForm* skin = Skinned(300, 200);
  skin->SetCustomPicture(TwoColourPicture());
  skin->SetStyle(ssPicture);
  skin->SetFillStyle(mfsStretch);
  skin->SetRoundWindow(false);
  EXPECT_PRED2(Near, skin->Picture()->GetPixel(60, 100), 0xFF0000u);
  gHSB = THSB{120, 0, 0};
  // The tint is taken at the next use of the picture.
  EXPECT_PRED2(Near, skin->Picture()->GetPixel(60, 100), 0x00FF00u);
  EXPECT_PRED2(Near, skin->Picture()->GetPixel(240, 100), 0xFF0000u);
}

// The tint against its reference: a turn of 120 degrees in the hexcone
// model moves each channel to the next (red to green, green to blue, blue
// to red); a full turn and no tint keep every colour.
TEST(uQuarnForm_Pix, TintRotatesChannelsAndKeepsColoursUnderFullTurn) {
  TBitmap32 b, ref;
  b.SetSize(64, 16);
  uint32_t seed = 12345;
  for (Integer i = 0; i < 64 * 16; ++i) {
    seed = seed * 1664525u + 1013904223u;
    b.Bits()[i] = 0xFF000000u | (seed >> 8);
  }
  ref.Assign(&b);
  TintBitmapHSB(&b, 0, 0, 0);
  EXPECT_TRUE(std::equal(b.Bits(), b.Bits() + 64 * 16, ref.Bits()));
  TintBitmapHSB(&b, 360, 0, 0);
  for (Integer i = 0; i < 64 * 16; ++i)
    for (int s : {0, 8, 16})
      ASSERT_LE(std::abs(Integer((b.Bits()[i] >> s) & 0xFF) - Integer((ref.Bits()[i] >> s) & 0xFF)), 1) << i;
  b.Assign(&ref);
  TintBitmapHSB(&b, 120, 0, 0);
  for (Integer i = 0; i < 64 * 16; ++i) {
    const TColor32 o = ref.Bits()[i], n = b.Bits()[i];
    const Integer r = (o >> 16) & 0xFF, g = (o >> 8) & 0xFF, bl = o & 0xFF;
    ASSERT_LE(std::abs(Integer((n >> 8) & 0xFF) - r), 1) << i;
    ASSERT_LE(std::abs(Integer(n & 0xFF) - g), 1) << i;
    ASSERT_LE(std::abs(Integer((n >> 16) & 0xFF) - bl), 1) << i;
    ASSERT_EQ(n >> 24, o >> 24);
  }
  // Brightness down by 100 points is black; saturation down by 100 is grey.
  b.Assign(&ref);
  TintBitmapHSB(&b, 0, 0, -100);
  EXPECT_EQ(Rgb(b.Bits()[7]), 0u);
  b.Assign(&ref);
  TintBitmapHSB(&b, 0, -100, 0);
  const TColor32 g = b.Bits()[9];
  EXPECT_EQ((g >> 16) & 0xFF, g & 0xFF);
  EXPECT_EQ((g >> 8) & 0xFF, g & 0xFF);
}

// The running-sum blur against the direct mean over the clamped square.
TEST(uQuarnForm_Pix, BoxBlurMatchesTheDirectMean) {
  for (Integer radius : {1, 2, 6}) {
    TBitmap32 b, ref;
    b.SetSize(23, 17);
    uint32_t seed = 99u + Cardinal(radius);
    for (Integer i = 0; i < 23 * 17; ++i) {
      seed = seed * 1664525u + 1013904223u;
      b.Bits()[i] = seed;
    }
    ref.Assign(&b);
    BoxBlurBitmap(&b, radius);
    // Rows first, then columns, each rounded: the reference does the same.
    const Integer n = 2 * radius + 1;
    auto at = [](std::vector<TColor32>& v, Integer W, Integer x, Integer y) -> TColor32& { return v[size_t(y * W + x)]; };
    std::vector<TColor32> rows(ref.Bits(), ref.Bits() + 23 * 17), cols(rows);
    for (Integer y = 0; y < 17; ++y)
      for (Integer x = 0; x < 23; ++x) {
        Integer s[3] = {0, 0, 0};
        for (Integer k = -radius; k <= radius; ++k) {
          const TColor32 c = ref.Bits()[y * 23 + std::clamp(x + k, 0, 22)];
          for (int j = 0; j < 3; ++j) s[j] += (c >> (8 * j)) & 0xFF;
        }
        TColor32& d = at(rows, 23, x, y);
        d &= 0xFF000000u;
        for (int j = 0; j < 3; ++j) d |= TColor32((s[j] + n / 2) / n) << (8 * j);
      }
    for (Integer y = 0; y < 17; ++y)
      for (Integer x = 0; x < 23; ++x) {
        Integer s[3] = {0, 0, 0};
        for (Integer k = -radius; k <= radius; ++k) {
          const TColor32 c = at(rows, 23, x, std::clamp(y + k, 0, 16));
          for (int j = 0; j < 3; ++j) s[j] += (c >> (8 * j)) & 0xFF;
        }
        TColor32& d = at(cols, 23, x, y);
        d &= 0xFF000000u;
        for (int j = 0; j < 3; ++j) d |= TColor32((s[j] + n / 2) / n) << (8 * j);
      }
    for (Integer i = 0; i < 23 * 17; ++i) ASSERT_EQ(b.Bits()[i], cols[size_t(i)]) << radius << " " << i;
  }
}

TEST_F(uQuarnForm, TransparentSkinnedControlShowsTheFormPicture) {
  TQuarnForm* skin = Skinned(400, 300);
  auto* ctl = new TQuarnCustomControl(FForm.get());
  ctl->SetParent(FForm.get());
  ctl->SetBounds(40, 30, 120, 90);
  usertest::Pump();
  SetActiveWindow(Wnd());
  usertest::Pump();
  auto check = [&] {
    const TScreenImage screen = CaptureScreen();
    TBitmap32* bg = skin->GetBackgroundPicture();
    TPoint o(0, 0);
    ClientToScreen(Wnd(), &o);
    for (Integer y = 30; y < 120; y += 7)
      for (Integer x = 40; x < 160; x += 9)
        ASSERT_EQ(screen.Pixel(o.X + x, o.Y + y) & 0xFFFFFFu, Rgb(bg->GetPixel(x, y))) << x << "," << y;
  };
  check();
  // A setting change reaches the control through the form's notice.
  skin->SetColor(0x3050A0);
  skin->SetGradientHeight(10);
  usertest::Pump();
  EXPECT_EQ(Rgb(skin->GetBackgroundPicture()->GetPixel(100, 100)), Rgb(TColor(0x3050A0)));
  check();
}

// What lies under a control on a skinned form is taken from the form's
// picture without painting the form, and is what the form's erase lays into
// a device context: for a rectangle inside the client and one hanging over
// its edge; with the skin's erase off and with the skin gone, the form is
// painted as any other parent.
TEST_F(uQuarnForm, ParentImageOfASkinnedFormIsWhatItsErasePaints) {
  TQuarnForm* skin = Skinned(400, 300);
  auto* ctl = new TQuarnCustomControl(FForm.get());
  ctl->SetParent(FForm.get());
  ctl->SetBounds(40, 30, 120, 90);
  usertest::Pump();
  // The parent painted through a device context, as the fallback does.
  auto painted = [&](const TRect& r) {
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(r.Width(), r.Height());
    b->Clear(Color32(ColorToRGB(FForm->Color())));
    HDC dc = b->GetHDC();
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -r.Left, -r.Top, nullptr);
    FForm->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    FForm->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
    b->ResetAlpha();
    return b;
  };
  auto taken = [&](const TRect& r) {
    auto b = std::make_unique<TBitmap32>();
    b->SetSize(r.Width(), r.Height());
    GetParentImage(ctl, b.get(), r);
    return b;
  };
  const TRect client = FForm->ClientRect();
  const TRect inside(40, 30, 160, 120), over(client.Right - 50, client.Bottom - 40, client.Right + 30, client.Bottom + 20);
  for (const TRect& r : {inside, over}) EXPECT_TRUE(taken(r)->Equal(painted(r).get())) << r.Left;
  // The picture, not the form's plain colour: the title gradient shows.
  skin->SetGradientHeight(200);
  EXPECT_TRUE(taken(inside)->Equal(painted(inside).get()));
  EXPECT_NE(taken(inside)->GetPixel(0, 0), taken(TRect(40, 250, 160, 260))->GetPixel(0, 0));
  skin->SetEraseBackGround(false);
  for (const TRect& r : {inside, over}) EXPECT_TRUE(taken(r)->Equal(painted(r).get())) << r.Left;
  skin->SetEraseBackGround(true);
  delete skin;
  for (const TRect& r : {inside, over}) EXPECT_TRUE(taken(r)->Equal(painted(r).get())) << r.Left;
}

TEST_F(uQuarnForm, ProcessWideStyleIsWrittenUnlessPrivate) {
  ASSERT_NE(gQnFormStyle, nullptr);
  TQnFormSkinRes saved(nullptr);
  saved.Assign(gQnFormStyle);
  Integer notices = 0;
  struct TCounter {
    Integer* N;
    void Changed(TObject*) { ++*N; }
  } counter{&notices};
  gQnFormStyle->SetOnChanged(TNotifyEvent(&counter, &TCounter::Changed));

  TQuarnForm* skin = Skinned(300, 200);
  skin->SetTag(QnPrivateFormSkinTag);
  skin->SetColor(0x123456);
  skin->SetFramWidth(7);
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(gQnFormStyle->Color(), saved.Color());

  skin->SetTag(0);
  skin->SetTitlerColor(0x654321);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(gQnFormStyle->Color(), TColor(0x123456));
  EXPECT_EQ(gQnFormStyle->TitlerColor(), TColor(0x654321));
  EXPECT_EQ(gQnFormStyle->FramWidth(), 7);
  EXPECT_EQ(gQnFormStyle->HitTestWidth(), skin->HitTestWidth());
  EXPECT_EQ(gQnFormStyle->Style(), skin->Style());
  EXPECT_EQ(gQnFormStyle->CustomPicture(), skin->CustomPicture());
  // A setting outside the six writes nothing.
  skin->SetTitleHeight(33);
  EXPECT_EQ(notices, 1);

  gQnFormStyle->SetOnChanged(TNotifyEvent());
  gQnFormStyle->Assign(&saved);
}

TEST_F(uQuarnForm, SkinResChangedCopiesFiveSettings) {
  TQuarnForm* skin = Skinned(300, 200);
  skin->SetTag(QnPrivateFormSkinTag);
  // Without a skin configuration the message only repaints.
  SendMessageW(Wnd(), MM_SKINRESCHANGED, 0, 0);
  EXPECT_EQ(skin->Color(), TColor(0xF2ECE1));

  auto* res = new TTestSkinRes();
  TQnFormSkinRes* f = res->Form();
  f->SetColor(0x112233);
  f->SetTitlerColor(0x445566);
  f->SetCustomPicture(u"QuarnSomething");
  f->SetGradientHeight(50);
  f->SetStyle(ssPicture);
  f->SetFramWidth(9);
  f->SetTitleHeight(41);
  f->SetHitTestWidth(8);
  skin->SetSkinRes(res);
  SendMessageW(Wnd(), MM_SKINRESCHANGED, 0, 0);
  EXPECT_EQ(skin->Color(), TColor(0x112233));
  EXPECT_EQ(skin->TitlerColor(), TColor(0x445566));
  EXPECT_EQ(skin->CustomPicture(), u"QuarnSomething");
  EXPECT_EQ(skin->GradientHeight(), 50);
  EXPECT_EQ(skin->Style(), ssPicture);
  EXPECT_EQ(skin->FramWidth(), 2);
  EXPECT_EQ(skin->TitleHeight(), 27);
  EXPECT_EQ(skin->HitTestWidth(), 5);
  // A freed configuration is forgotten.
  delete res;
  EXPECT_EQ(skin->SkinRes(), nullptr);
  SendMessageW(Wnd(), MM_SKINRESCHANGED, 0, 0);
  EXPECT_EQ(skin->Color(), TColor(0x112233));
}

TEST_F(uQuarnForm, TitleDragsBandSizesDoubleClickMaximises) {
  TQuarnForm* skin = Skinned(400, 300);
  (void)skin;
  // Drag by the title.
  InputMouseMove(100 + 200, 80 + 12);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(100 + 260, 80 + 52);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(), TRect(160, 120, 560, 420));
  // Size by the bottom-right corner band, inside the rounding.
  InputMouseMove(557, 417);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(597, 447);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(WindowRect(), TRect(160, 120, 600, 450));
  EXPECT_EQ(ClientInWindow(), TRect(2, 27, 438, 328));
  // A double click on the title fills the work area, another restores.
  const TRect work = GetMonitorWorkArea(Wnd(), true);
  auto dbl = [](Integer X, Integer Y) {
    InputMouseMove(X, Y);
    for (int i = 0; i < 2; ++i) {
      InputMouseDown(VK_LBUTTON);
      InputMouseUp(VK_LBUTTON);
    }
    usertest::Pump();
  };
  dbl(300, 130);
  EXPECT_TRUE(IsZoomed(Wnd()));
  EXPECT_EQ(WindowRect(), work);
  dbl(300, work.Top + 10);
  EXPECT_FALSE(IsZoomed(Wnd()));
  EXPECT_EQ(WindowRect(), TRect(160, 120, 600, 450));
}

TEST_F(uQuarnForm, TitleStaysSkinnedAfterTextAndIconAndSkinLeavesCleanly) {
  TQuarnForm* skin = Skinned(400, 300);
  skin->SetRoundWindow(false);
  SetActiveWindow(Wnd());
  usertest::Pump();
  auto titleMatches = [&] {
    const TScreenImage s = CaptureScreen();
    TBitmap32* p = skin->Picture();
    for (Integer x = 10; x < 390; x += 13)
      for (Integer y = 2; y < 27; y += 5)
        if ((s.Pixel(100 + x, 80 + y) & 0xFFFFFFu) != Rgb(p->GetPixel(x, y))) return false;
    return true;
  };
  EXPECT_TRUE(titleMatches());
  FForm->SetCaption(u"A new caption that the classic frame would draw");
  SendMessageW(Wnd(), WM_SETICON, 0, 0);
  RedrawWindow(Wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  usertest::Pump();
  EXPECT_TRUE(titleMatches());

  const Integer before = TQnFormSkinHelperObj()->GetCount();
  delete skin;
  usertest::Pump();
  EXPECT_EQ(TQnFormSkinHelperObj()->GetCount(), before - 1);
  // The platform's frame is back: its client area is not the skin's.
  EXPECT_NE(ClientInWindow(), TRect(2, 27, 398, 298));
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(Wnd(), r), ERROR);
  DeleteObject(r);
  EXPECT_EQ(Hit(200, 150), HTCLIENT);
}

TEST_F(uQuarnForm, TaskbarEntryFollowsTheOption) {
  TQuarnForm* skin = Skinned(300, 200);
  EXPECT_TRUE(GetWindowLongPtrW(Wnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  skin->Options()->SetMinimizeToTaskbar(false);
  EXPECT_FALSE(GetWindowLongPtrW(Wnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
  skin->Options()->SetMinimizeToTaskbar(true);
  EXPECT_TRUE(GetWindowLongPtrW(Wnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

}  // namespace t_u_quarn_form_test
