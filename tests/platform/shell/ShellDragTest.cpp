// Shell drags by queued input: files onto a drop target and onto a window
// that only accepts files, the drag picture's window seen by a WinEvent
// hook, and a cancelled drag.
#include "platform/shell/ShellAPI.h"
#include "tests/platform/ole/OleTestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

using namespace vcl;
using namespace oletest;

namespace {

std::vector<std::pair<DWORD, HWND>> gEvents;

void CALLBACK_WinEvent(HWINEVENTHOOK, DWORD event, HWND h, LONG, LONG, DWORD, DWORD) {
  gEvents.push_back({event, h});
}

class Platform_ShellDrag : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    SetVirtualClock(true);
    ResetInput();
    usertest::ClearLog();
    gEvents.clear();
    OleWnd = usertest::MakeTop(200, 0, 100, 100);
    FileWnd = usertest::MakeTop(0, 200, 200, 100);
    FileChild = usertest::MakeChild(FileWnd, 10, 10, 50, 50);
    DragAcceptFiles(FileWnd, true);
    Target = new TRecordingTarget("ole", &Journal);
    ASSERT_EQ(RegisterDragDrop(OleWnd, Target.get()), S_OK);
    Hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_DESTROY, nullptr, CALLBACK_WinEvent, 0, 0,
                           WINEVENT_OUTOFCONTEXT);
  }
  void TearDown() override {
    UnhookWinEvent(Hook);
    RevokeDragDrop(OleWnd);
    for (HWND h : {FileWnd, OleWnd})
      if (IsWindow(h)) DestroyWindow(h);
    ResetInput();
    usertest::Pump();
    Target = nullptr;
    OleUninitialize();
  }
  // Presses at the start, moves along the points and releases at the last.
  void Script(std::initializer_list<POINT> path) {
    auto it = path.begin();
    InputMouseMove(it->X, it->Y);
    InputMouseDown(VK_LBUTTON);
    usertest::Pump();  // the press is retrieved, as a real drag starts from it
    for (++it; it != path.end(); ++it) InputMouseMove(it->X, it->Y);
    InputMouseUp(VK_LBUTTON);
  }
  HWND OleWnd = nullptr, FileWnd = nullptr, FileChild = nullptr;
  HWINEVENTHOOK Hook = nullptr;
  std::vector<std::string> Journal;
  TIntf<TRecordingTarget> Target;
  const std::vector<String> Files = {u"C:\\one.txt", u"C:\\two.png", u"D:\\three"};
};

}  // namespace

TEST_F(Platform_ShellDrag, FilesOntoADropTargetArriveAsHDrop) {
  HWND seenImage = nullptr;
  bool seenLayered = false;
  Target->OnOver = [&] {
    seenImage = ShellDragImageWindow();
    seenLayered = seenImage && (GetWindowLongPtrW(seenImage, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) ==
                                   (WS_EX_LAYERED | WS_EX_TRANSPARENT);
  };
  Script({POINT(20, 20), POINT(230, 30), POINT(240, 40), POINT(250, 50)});
  DWORD effect = 0;
  ASSERT_EQ(ShellDragFiles(Files, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  ASSERT_FALSE(Journal.empty());
  EXPECT_EQ(Journal.back().substr(0, 8), "ole drop");
  EXPECT_NE(seenImage, nullptr);
  EXPECT_TRUE(seenLayered);
  EXPECT_EQ(ShellDragImageWindow(), nullptr);
  EXPECT_FALSE(IsWindow(seenImage));
  usertest::Pump();
  std::vector<DWORD> ofImage;
  for (auto& e : gEvents)
    if (e.second == seenImage) ofImage.push_back(e.first);
  EXPECT_EQ(ofImage, (std::vector<DWORD>{EVENT_OBJECT_CREATE, EVENT_OBJECT_DESTROY}));
  EXPECT_TRUE(usertest::MessagesOf(FileWnd, {WM_DROPFILES}).empty());
}

TEST_F(Platform_ShellDrag, FilesOntoAWindowThatAcceptsFilesArriveAsWmDropFiles) {
  HDROP got = nullptr;
  HWND gotBy = nullptr;
  usertest::SetHandler(FileWnd, [&](HWND h, UINT msg, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    handled = msg == WM_DROPFILES;
    if (handled) {
      got = reinterpret_cast<HDROP>(wp);
      gotBy = h;
    }
    return 0;
  });
  // Dropped over the child: the accepting parent gets it.
  Script({POINT(20, 20), POINT(25, 215), POINT(30, 225)});
  DWORD effect = 0;
  ASSERT_EQ(ShellDragFiles(Files, DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  usertest::Pump();
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(gotBy, FileWnd);
  ASSERT_EQ(DragQueryFileW(got, 0xFFFFFFFF, nullptr, 0), 3u);
  for (UINT i = 0; i < 3; ++i) {
    char16_t buf[64];
    DragQueryFileW(got, i, buf, 64);
    EXPECT_EQ(String(buf), Files[i]);
  }
  POINT p;
  EXPECT_TRUE(DragQueryPoint(got, &p));
  EXPECT_EQ(p, POINT(30, 25));
  DragFinish(got);
  for (auto& j : Journal) EXPECT_EQ(j.find("drop"), std::string::npos);
}

TEST_F(Platform_ShellDrag, DroppedElsewhereOrCancelledNothingArrives) {
  Script({POINT(20, 20), POINT(400, 400), POINT(410, 410)});
  DWORD effect = 7;
  EXPECT_EQ(ShellDragFiles(Files, DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  InputMouseMove(20, 20);
  InputMouseDown(VK_LBUTTON);
  usertest::Pump();
  InputMouseMove(30, 215);
  InputKeyDown(VK_ESCAPE);
  EXPECT_EQ(ShellDragFiles(Files, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
  InputKeyUp(VK_ESCAPE);
  InputMouseUp(VK_LBUTTON);
  usertest::Pump();
  EXPECT_TRUE(usertest::MessagesOf(FileWnd, {WM_DROPFILES}).empty());
  EXPECT_EQ(ShellDragImageWindow(), nullptr);
  EXPECT_EQ(ShellDragFiles({}, DROPEFFECT_COPY, &effect), E_INVALIDARG);
}
