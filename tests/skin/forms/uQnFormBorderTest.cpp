// The layered image border: four windows around a skinned form that follow
// its moves, sizes and state, go with FreeLayerWindow, and compose their
// alpha over what lies beneath.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/PngImage.h"
#include "skin/forms/uQnFormBorder.h"
#include "skin/forms/uQuarnForm.h"
#include "tests/common/TestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_u_qn_form_border_test {

using namespace qn;

namespace {

class uQnFormBorder : public usertest::InputServerTest {
 protected:
  void SetUp() override {
    usertest::InputServerTest::SetUp();
    SetScreenSize(1024, 768);
    SetDesktopColor(RGB(255, 255, 255));
    FBorder.reset(new TQnFormLayerBorder(nullptr));
    FForm.reset(new TForm(nullptr));
    FForm->SetPosition(poDesigned);
    FForm->SetBorderStyle(bsSizeable);
    FForm->SetBounds(100, 80, 400, 300);
    FSkin = new TQuarnForm(FForm.get());
    FSkin->SetImageBorder(FBorder.get());
    FForm->Show();
    usertest::Pump();
  }
  void TearDown() override {
    FForm.reset();
    FBorder.reset();
    usertest::InputServerTest::TearDown();
  }
  static TRect RectOf(HWND h) {
    TRect r;
    GetWindowRect(h, &r);
    return r;
  }
  static Integer TopLevelCount() {
    std::vector<HWND> tops;
    EnumThreadWindows(GetCurrentThreadId(), usertest::EnumCollect, reinterpret_cast<LPARAM>(&tops));
    return Integer(tops.size());
  }
  void ExpectAround(const TRect& F, Integer B) {
    const std::vector<HWND> w = FBorder->WindowsOf(FForm.get());
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(RectOf(w[0]), TRect(F.Left - B, F.Top - B, F.Right + B, F.Top));
    EXPECT_EQ(RectOf(w[1]), TRect(F.Left - B, F.Bottom, F.Right + B, F.Bottom + B));
    EXPECT_EQ(RectOf(w[2]), TRect(F.Left - B, F.Top, F.Left, F.Bottom));
    EXPECT_EQ(RectOf(w[3]), TRect(F.Right, F.Top, F.Right + B, F.Bottom));
    for (HWND h : w) {
      EXPECT_TRUE(IsWindowVisible(h));
      EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LAYERED);
      EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
      EXPECT_EQ(GetWindow(h, GW_OWNER), FForm->Handle());
    }
  }
  std::unique_ptr<TQnFormLayerBorder> FBorder;
  std::unique_ptr<TForm> FForm;
  TQuarnForm* FSkin = nullptr;
};

}  // namespace

TEST_F(uQnFormBorder, FourWindowsFollowDragSizeAndState) {
  ExpectAround(TRect(100, 80, 500, 380), 10);
  // Dragged by the title.
  InputMouseMove(300, 92);
  InputMouseDown(VK_LBUTTON);
  InputMouseMove(340, 122);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  ExpectAround(TRect(140, 110, 540, 410), 10);
  FForm->SetBounds(140, 110, 300, 200);
  usertest::Pump();
  ExpectAround(TRect(140, 110, 440, 310), 10);
  FBorder->SetBorderWidth(6);
  ExpectAround(TRect(140, 110, 440, 310), 6);

  ShowWindow(FForm->Handle(), SW_MINIMIZE);
  usertest::Pump();
  for (HWND h : FBorder->WindowsOf(FForm.get())) EXPECT_FALSE(IsWindowVisible(h));
  ShowWindow(FForm->Handle(), SW_RESTORE);
  usertest::Pump();
  ExpectAround(TRect(140, 110, 440, 310), 6);
  ShowWindow(FForm->Handle(), SW_MAXIMIZE);
  usertest::Pump();
  for (HWND h : FBorder->WindowsOf(FForm.get())) EXPECT_FALSE(IsWindowVisible(h));
}

TEST_F(uQnFormBorder, FreeLayerWindowRestoresTheWindowCountAndIsRepeatable) {
  FBorder->FreeLayerWindow();
  const Integer without = TopLevelCount();
  // The skin makes the set again at its next frame paint.
  SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(TopLevelCount(), without + 4);
  FBorder->FreeLayerWindow();
  FBorder->FreeLayerWindow();
  EXPECT_EQ(TopLevelCount(), without);
  // A skin that stops naming the border takes its windows away.
  SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
  EXPECT_EQ(TopLevelCount(), without + 4);
  FSkin->SetImageBorder(nullptr);
  EXPECT_EQ(TopLevelCount(), without);
  // A border freed while named is forgotten by the skin.
  FSkin->SetImageBorder(FBorder.get());
  FBorder.reset();
  EXPECT_EQ(FSkin->ImageBorder(), nullptr);
  EXPECT_EQ(TopLevelCount(), without);
}

TEST_F(uQnFormBorder, HalfTransparentShadowComposesOverWhite) {
  // A picture of black at alpha 128 everywhere.
  const std::string path = qntest::TempFile("qn_border_half.png");
  TPngImage png(COLOR_RGBALPHA, 8, 40, 40);
  for (int y = 0; y < 40; ++y) {
    std::fill_n(png.Scanline(y), 40 * 3, Byte(0));
    std::fill_n(png.AlphaScanline(y), 40, Byte(128));
  }
  png.SaveToFile(FromUtf8(path));
  FBorder->SetImage(FromUtf8(path));
  usertest::Pump();
  const TScreenImage s = CaptureScreen();
  // Black at 128/255 over white: 255 * 127 / 255 = 127 in each channel.
  const uint32_t grey = s.Pixel(95, 200) & 0xFFFFFFu;
  for (int sh : {0, 8, 16}) EXPECT_NEAR(Integer((grey >> sh) & 0xFF), 127, 1);
  EXPECT_EQ(s.Pixel(80, 200) & 0xFFFFFFu, 0xFFFFFFu);
}

}  // namespace t_u_qn_form_border_test
