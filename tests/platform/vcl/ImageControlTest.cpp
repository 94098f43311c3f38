// TImage: where its picture goes for every combination of Center, Stretch
// and Proportional (against a plain reference), AutoSize, Transparent
// handed to the graphic, and the pixels it paints on its parent.
#include <memory>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/vcl/FormsTestSupport.h"

namespace t_image_control_test {

using namespace vcl;
using namespace formstest;

namespace {

class Platform_Image : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    root = new TForm(nullptr);
    root->SetBorderStyle(bsNone);
    root->SetBounds(100, 100, 400, 300);
    root->SetColor(clBlue);
    root->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    delete root;
    FormsTest::TearDown();
  }
  // A W x H picture: red left half, lime right half.
  static void Fill(TPicture* P, Integer W, Integer H) {
    auto* b = P->Bitmap();
    b->SetSize(W, H);
    b->Canvas()->Brush()->SetColor(clRed);
    b->Canvas()->FillRect(0, 0, W / 2, H);
    b->Canvas()->Brush()->SetColor(clLime);
    b->Canvas()->FillRect(W / 2, 0, W, H);
  }
  uint32_t At(int x, int y) {
    root->Repaint();
    Application->ProcessMessages();
    return CaptureWindow(root->Handle(), true).Pixel(x, y) & 0xFFFFFF;
  }
  TForm* root = nullptr;
};

// The reference: the rectangle a picture of W x H takes in a client of
// CW x CH, worked out the long way with floating point.
TRect Reference(int W, int H, int CW, int CH, bool Center, bool Stretch, bool Prop) {
  double w = W, h = H;
  if (Stretch || (Prop && (W > CW || H > CH))) {
    if (Prop) {
      const double k = std::min(double(CW) / W, double(CH) / H);
      w = W * k;
      h = H * k;
    } else {
      w = CW;
      h = CH;
    }
  }
  int iw = int(w + 1e-9), ih = int(h + 1e-9);
  int x = Center ? (CW - iw) / 2 : 0, y = Center ? (CH - ih) / 2 : 0;
  return TRect(x, y, x + iw, y + ih);
}

TEST_F(Platform_Image, DestRectFollowsCenterStretchAndProportional) {
  auto* im = new TImage(root);
  im->SetParent(root);
  const int sizes[][2] = {{10, 10}, {40, 20}, {20, 40}, {300, 50}, {50, 300}, {150, 100}, {1, 7}};
  const int clients[][2] = {{100, 100}, {120, 60}, {33, 90}};
  for (auto [cw, ch] : clients) {
    im->SetBounds(0, 0, cw, ch);
    for (auto [w, h] : sizes) {
      Fill(im->Picture(), w, h);
      for (int bits = 0; bits < 8; ++bits) {
        const bool c = bits & 1, s = bits & 2, p = bits & 4;
        im->SetCenter(c);
        im->SetStretch(s);
        im->SetProportional(p);
        const TRect want = Reference(w, h, cw, ch, c, s, p);
        const TRect got = im->DestRect();
        SCOPED_TRACE(testing::Message() << w << "x" << h << " in " << cw << "x" << ch << " c" << c << " s" << s
                                        << " p" << p);
        EXPECT_EQ(got.Left, want.Left);
        EXPECT_EQ(got.Top, want.Top);
        // Integer scaling may fall one pixel short of the floating one.
        EXPECT_NEAR(got.Width(), want.Width(), 1);
        EXPECT_NEAR(got.Height(), want.Height(), 1);
        EXPECT_LE(got.Width(), std::max(cw, w));
        EXPECT_LE(got.Height(), std::max(ch, h));
      }
    }
  }
  im->Picture()->SetGraphic(nullptr);
  EXPECT_EQ(im->DestRect(), TRect(0, 0, 0, 0));
}

TEST_F(Platform_Image, PaintsThePictureWhereItGoesAndAutoSizes) {
  auto* im = new TImage(root);
  im->SetParent(root);
  im->SetBounds(20, 20, 100, 60);
  Fill(im->Picture(), 40, 20);
  EXPECT_EQ(At(25, 25), 0xFF0000u);     // red half at the top-left
  EXPECT_EQ(At(45, 25), 0x00FF00u);     // lime half
  EXPECT_EQ(At(90, 70), 0x0000FFu);     // the parent shows around it
  im->SetStretch(true);
  EXPECT_EQ(At(110, 70), 0x00FF00u);    // the whole control now
  EXPECT_EQ(At(25, 75), 0xFF0000u);

  im->SetStretch(false);
  im->SetAutoSize(true);
  EXPECT_EQ(im->Width(), 40);
  EXPECT_EQ(im->Height(), 20);
  Fill(im->Picture(), 30, 50);  // a new picture resizes it again
  EXPECT_EQ(im->Width(), 30);
  EXPECT_EQ(im->Height(), 50);

  // Transparent goes to the graphic, now and for pictures assigned later.
  im->SetTransparent(true);
  EXPECT_TRUE(im->Picture()->Graphic()->Transparent());
  TPicture other;
  Fill(&other, 8, 8);
  im->SetPicture(&other);
  EXPECT_TRUE(im->Picture()->Graphic()->Transparent());
  EXPECT_FALSE(other.Graphic()->Transparent());
}

}  // namespace

}  // namespace t_image_control_test
