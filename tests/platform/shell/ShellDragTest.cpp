// Shell drags by queued input: files onto a drop target and onto a window
// that only accepts files, the drag picture's window seen by a WinEvent
// hook, and a cancelled drag; the drag-image helpers, absent and present.
#include "platform/shell/ShellAPI.h"
#include "tests/platform/ole/OleTestSupport.h"
#include "tests/platform/user/UserTestSupport.h"

namespace t_shell_drag_test {

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
    RevokeDragDropHelper();
    TakeDragHelperLog();
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

namespace {

template <class I>
TIntf<I> MakeHelper(HRESULT* hr, IUnknown* outer = nullptr) {
  void* p = nullptr;
  *hr = CoCreateInstance(CLSID_DragDropHelper, outer, CLSCTX_INPROC_SERVER, I::IID, &p);
  TIntf<I> out;
  out.Attach(static_cast<I*>(p));
  return out;
}

// A drop target that lets the shell's helper show the picture over it.
class THelpedTarget : public TInterfacedObject, public virtual IDropTarget {
  QN_CLASS(THelpedTarget, TInterfacedObject)
  QN_INTERFACES(IDropTarget)
 public:
  THelpedTarget(HWND wnd, IDropTargetHelper* helper) : FWnd(wnd), FHelper(helper) {}
  std::function<void(POINT)> OnOver;
  HRESULT DragEnter(IDataObject* obj, DWORD, POINTL pt, DWORD* effect) override {
    POINT p(pt.x, pt.y);
    *effect = DROPEFFECT_COPY;
    return FHelper->DragEnter(FWnd, obj, &p, *effect);
  }
  HRESULT DragOver(DWORD, POINTL pt, DWORD* effect) override {
    POINT p(pt.x, pt.y);
    *effect = DROPEFFECT_COPY;
    FHelper->DragOver(&p, *effect);
    if (OnOver) OnOver(p);
    return S_OK;
  }
  HRESULT DragLeave() override { return FHelper->DragLeave(); }
  HRESULT Drop(IDataObject* obj, DWORD, POINTL pt, DWORD* effect) override {
    POINT p(pt.x, pt.y);
    *effect = DROPEFFECT_COPY;
    return FHelper->Drop(obj, &p, *effect);
  }

 private:
  HWND FWnd;
  TIntf<IDropTargetHelper> FHelper;
};

constexpr COLORREF Key = RGB(255, 0, 255), Mark = RGB(0, 160, 60);

// A 40 x 30 picture: key colour round a mark of 20 x 10 in the middle.
HBITMAP MakePicture() {
  std::vector<uint32_t> px(40 * 30, 0xFF00FFu);
  for (int y = 10; y < 20; ++y)
    for (int x = 10; x < 30; ++x) px[size_t(y * 40 + x)] = 0x00A03Cu;
  return CreateBitmap(40, 30, 1, 32, px.data());
}

TIntf<IDataObject> TextObject() {
  void* p = nullptr;
  SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p);
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  FORMATETC f;
  f.cfFormat = CF_TEXT;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = Block("text");
  obj->SetData(&f, &m, TRUE);
  return obj;
}

std::vector<std::string> Methods(const std::vector<TDragHelperCall>& log) {
  std::vector<std::string> v;
  for (auto& c : log)
    if (v.empty() || v.back() != c.Method) v.push_back(c.Method);  // runs of DragOver count once
  return v;
}

}  // namespace

TEST_F(Platform_ShellDrag, WithoutTheHelperTheClassIsNotRegistered) {
  HRESULT hr = S_OK;
  EXPECT_FALSE(MakeHelper<IDropTargetHelper>(&hr));
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(MakeHelper<IDragSourceHelper>(&hr));
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
  ASSERT_EQ(RegisterDragDropHelper(), S_OK);
  EXPECT_EQ(RegisterDragDropHelper(), S_FALSE);
  EXPECT_TRUE(MakeHelper<IDragSourceHelper2>(&hr));
  bool alive = false;
  TIntf<IUnknown> outer(new TWatched(&alive));
  EXPECT_FALSE(MakeHelper<IDropTargetHelper>(&hr, outer.get()));
  EXPECT_EQ(hr, CLASS_E_NOAGGREGATION);
  EXPECT_EQ(RevokeDragDropHelper(), S_OK);
  EXPECT_EQ(RevokeDragDropHelper(), S_FALSE);
  EXPECT_FALSE(MakeHelper<IDropTargetHelper>(&hr));
  EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
}

TEST_F(Platform_ShellDrag, HelperPictureRidesTheDragAndIsFreedAtItsEnd) {
  ASSERT_EQ(RegisterDragDropHelper(), S_OK);
  HRESULT hr = S_OK;
  TIntf<IDragSourceHelper2> source = MakeHelper<IDragSourceHelper2>(&hr);
  TIntf<IDropTargetHelper> targetHelper = MakeHelper<IDropTargetHelper>(&hr);
  ASSERT_TRUE(source && targetHelper);
  RevokeDragDrop(OleWnd);
  TIntf<THelpedTarget> target(new THelpedTarget(OleWnd, targetHelper.get()));
  ASSERT_EQ(RegisterDragDrop(OleWnd, target.get()), S_OK);
  TIntf<IDataObject> obj = TextObject();
  EXPECT_EQ(source->SetFlags(DSH_ALLOWDROPDESCRIPTIONTEXT), S_OK);
  EXPECT_EQ(source->SetFlags(8), E_INVALIDARG);
  HBITMAP picture = MakePicture();
  SHDRAGIMAGE image;
  image.sizeDragImage = SIZE(40, 30);
  image.ptOffset = POINT(20, 15);
  image.hbmpDragImage = picture;
  image.crColorKey = Key;
  ASSERT_EQ(source->InitializeFromBitmap(&image, obj.get()), S_OK);
  // Over the target: the mark is centred on the pointer, the key shows what
  // lies beneath.
  usertest::Pump();
  TScreenImage before = CaptureScreen();
  uint32_t seenMark = 0, seenKey = 0, beneath = 0;
  HWND seenWindow = nullptr;
  String seenClass;
  target->OnOver = [&](POINT p) {
    seenWindow = ShellDragImageWindow();
    seenClass = GetClassName(seenWindow);
    TScreenImage s = CaptureScreen();
    seenMark = s.Pixel(p.X, p.Y) & 0xFFFFFF;
    seenKey = s.Pixel(p.X - 18, p.Y - 13) & 0xFFFFFF;
    beneath = before.Pixel(p.X - 18, p.Y - 13) & 0xFFFFFF;
  };
  Script({POINT(20, 20), POINT(240, 40), POINT(250, 50)});
  TIntf<TSource> src(new TSource);
  DWORD effect = 0;
  ASSERT_EQ(DoDragDrop(obj.get(), src.get(), DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  ASSERT_NE(seenWindow, nullptr);
  EXPECT_EQ(seenClass, u"SysDragImage");
  EXPECT_EQ(seenMark, uint32_t(GetRValue(Mark) << 16 | GetGValue(Mark) << 8 | GetBValue(Mark)));
  EXPECT_EQ(seenKey, beneath);
  // The drag is over: window and bitmap are gone.
  EXPECT_FALSE(IsWindow(seenWindow));
  EXPECT_EQ(ShellDragImageWindow(), nullptr);
  EXPECT_EQ(GetObjectType(picture), 0u);
  auto log = TakeDragHelperLog();
  EXPECT_EQ(Methods(log), (std::vector<std::string>{"SetFlags", "InitializeFromBitmap", "DragEnter", "DragOver",
                                                    "Drop"}));
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(log[1].Result, E_INVALIDARG);
  EXPECT_EQ(log[2].ImageSize, SIZE(40, 30));
  EXPECT_EQ(log[2].Offset, POINT(20, 15));
  EXPECT_EQ(log[2].ColorKey, Key);
  EXPECT_EQ(log[3].Wnd, OleWnd);
  EXPECT_EQ(log.back().Pt, POINT(250, 50));
  EXPECT_EQ(log.back().Effect, DROPEFFECT_COPY);
  RevokeDragDrop(OleWnd);
}

TEST_F(Platform_ShellDrag, HelperRefusalsLeaveTheBitmapWithTheCaller) {
  ASSERT_EQ(RegisterDragDropHelper(), S_OK);
  HRESULT hr = S_OK;
  TIntf<IDragSourceHelper> source = MakeHelper<IDragSourceHelper>(&hr);
  TIntf<IDropTargetHelper> target = MakeHelper<IDropTargetHelper>(&hr);
  ASSERT_TRUE(source && target);
  TIntf<IDataObject> obj = TextObject();
  HBITMAP picture = MakePicture();
  SHDRAGIMAGE image;
  image.sizeDragImage = SIZE(41, 30);  // larger than the bitmap
  image.hbmpDragImage = picture;
  EXPECT_EQ(source->InitializeFromBitmap(&image, obj.get()), E_INVALIDARG);
  image.sizeDragImage = SIZE(40, 30);
  EXPECT_EQ(source->InitializeFromBitmap(&image, nullptr), E_INVALIDARG);
  EXPECT_EQ(source->InitializeFromBitmap(nullptr, obj.get()), E_INVALIDARG);
  image.hbmpDragImage = reinterpret_cast<HBITMAP>(CreateSolidBrush(Key));
  EXPECT_EQ(source->InitializeFromBitmap(&image, obj.get()), E_INVALIDARG);
  DeleteObject(image.hbmpDragImage);
  EXPECT_EQ(GetObjectType(picture), OBJ_BITMAP);
  // Taken, then replaced before any drag: the first bitmap is freed then.
  image.hbmpDragImage = picture;
  ASSERT_EQ(source->InitializeFromBitmap(&image, obj.get()), S_OK);
  HBITMAP second = MakePicture();
  image.hbmpDragImage = second;
  ASSERT_EQ(source->InitializeFromBitmap(&image, obj.get()), S_OK);
  EXPECT_EQ(GetObjectType(picture), 0u);
  // Text data has no files for the shell to draw.
  EXPECT_EQ(source->InitializeFromWindow(nullptr, nullptr, obj.get()), E_FAIL);
  POINT p(5, 5);
  EXPECT_EQ(target->DragEnter(OleWnd, nullptr, &p, DROPEFFECT_COPY), E_INVALIDARG);
  EXPECT_EQ(target->DragOver(nullptr, DROPEFFECT_COPY), E_INVALIDARG);
  EXPECT_EQ(target->Drop(obj.get(), nullptr, DROPEFFECT_COPY), E_INVALIDARG);
  // A picture never dragged goes with the helper's class.
  EXPECT_EQ(RevokeDragDropHelper(), S_OK);
  EXPECT_EQ(GetObjectType(second), 0u);
}

TEST_F(Platform_ShellDrag, FilesPictureFromTheHelperAndShowHidesIt) {
  ASSERT_EQ(RegisterDragDropHelper(), S_OK);
  HRESULT hr = S_OK;
  TIntf<IDragSourceHelper> source = MakeHelper<IDragSourceHelper>(&hr);
  TIntf<IDropTargetHelper> targetHelper = MakeHelper<IDropTargetHelper>(&hr);
  ASSERT_TRUE(source && targetHelper);
  void* p = nullptr;
  ASSERT_EQ(SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p), S_OK);
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  FORMATETC f;
  f.cfFormat = CF_HDROP;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = CreateHDrop(Files, POINT(), false);
  ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
  ASSERT_EQ(source->InitializeFromWindow(nullptr, nullptr, obj.get()), S_OK);
  // The shell drag shows the helper's picture, not a second one of its own;
  // a target hiding it for a moment takes it off the screen.
  RevokeDragDrop(OleWnd);
  TIntf<THelpedTarget> target(new THelpedTarget(OleWnd, targetHelper.get()));
  ASSERT_EQ(RegisterDragDrop(OleWnd, target.get()), S_OK);
  int pictures = 0;
  bool shownThenHidden = false;
  target->OnOver = [&](POINT) {
    int n = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
      if (GetClassName(h) == u"SysDragImage") ++n;
    pictures = std::max(pictures, n);
    HWND w = ShellDragImageWindow();
    bool shown = w && IsWindowVisible(w);
    targetHelper->Show(FALSE);
    shownThenHidden = shown && !IsWindowVisible(w);
    targetHelper->Show(TRUE);
  };
  Script({POINT(20, 20), POINT(240, 40), POINT(250, 50)});
  DWORD effect = 0;
  ASSERT_EQ(ShellDragData(obj.get(), DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_EQ(pictures, 1);
  EXPECT_TRUE(shownThenHidden);
  EXPECT_EQ(ShellDragImageWindow(), nullptr);
  auto log = TakeDragHelperLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front().Method, "InitializeFromWindow");
  RevokeDragDrop(OleWnd);
}

}  // namespace t_shell_drag_test
