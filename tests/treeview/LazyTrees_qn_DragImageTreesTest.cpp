// The picture of dragged nodes: what the source paints into it, a scripted
// drag across two trees (one scrolling, one expanding under the picture)
// checked against freshly painted screens at its steps and after the drop,
// a source freed in the middle of a drag, the repaint around the picture,
// and the shell's drag-image helper taking the picture or failing to.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/TreeDragImageSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/ole/ActiveX.h"
#include "platform/shell/ShellAPI.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_drag_image_trees_test {

using namespace qn;

namespace {

class TPictureTree : public TLazyStringTree_qn {
  QN_CLASS(TPictureTree, TLazyStringTree_qn)
 public:
  using TBaseLazyTree_qn::CanShowDragImage;
  using TBaseLazyTree_qn::DoDragging;
  using TBaseLazyTree_qn::DoSetOffsetXY;
  using TBaseLazyTree_qn::PrepareDragImage;

  // A tree of Count rows (every fourth with three children) on a form of
  // its own at Left.
  TPictureTree(Integer Left, Cardinal Count) : TLazyStringTree_qn(nullptr), Form(new TForm(nullptr)) {
    Form->SetPosition(poDesigned);
    Form->SetBounds(Left, 20, 300, 330);
    SetParent(Form.get());
    SetBounds(8, 8, 270, 270);
    Font()->SetName(u"DejaVu Sans");
    SetDefaultNodeHeight(18);
    auto misc = TreeOptions()->MiscOptions();
    misc.Include(toAcceptOLEDrop);
    TreeOptions()->SetMiscOptions(misc);
    auto sel = TreeOptions()->SelectionOptions();
    sel.Include(toMultiSelect);
    TreeOptions()->SetSelectionOptions(sel);
    TreeOptions()->SetAutoOptions({toAutoScroll, toAutoDropExpand});
    FOnGetText = [this](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex Column, TVSTTextType, String& Text) {
      Text = (Column == 1 ? u"Column two " : Prefix) + IntToStr(Integer(AbsoluteIndex(N)));
    };
    OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode Node, TLazyNodeInitStates& States) {
      if (!Parent && Node->Index % 4 == 1) States.Include(ivsHasChildren);
    };
    OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = 3; };
    OnDragOver = [](TBaseLazyTree_qn*, TObject*, TShiftState, TDragState, TPoint, TDropMode, DWORD&,
                        bool& Accept) { Accept = true; };
    SetRootNodeCount(Count);
    Form->Show();
  }
  ~TPictureTree() override { SetParent(nullptr); }

  HRESULT DragOver(TObject* Source, Integer KeyState, TDragState State, TPoint Pt, DWORD& Effect) override {
    HRESULT r = TLazyStringTree_qn::DragOver(Source, KeyState, State, Pt, Effect);
    if (AfterDragOver) AfterDragOver(this);
    return r;
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_PRINT) Printed.push_back(Message.LParam);
    TLazyStringTree_qn::WndProc(Message);
  }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = GetFirst();
    while (n && I-- > 0) n = GetNextSibling(n);
    return n;
  }
  // A point on the row's caption, in screen coordinates.
  TPoint On(PLazyNode Node) {
    TRect r = GetDisplayRect(Node, NoColumn, true);
    return ClientToScreen(TPoint(r.Left + 6, (r.Top + r.Bottom) / 2));
  }

  std::unique_ptr<TForm> Form;
  String Prefix = u"Row ";
  std::function<void(TPictureTree*)> AfterDragOver;
  std::vector<LPARAM> Printed;
};

uint32_t Rgb(uint32_t Pixel) { return Pixel & 0xFFFFFFu; }

// Every window painted afresh and nothing the screen DCs drew left: what
// the screen must look like wherever no picture is.
vcl::TScreenImage FreshScreen() {
  RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ClearScreenOverlay();
  return CaptureScreen();
}

// Pixels that differ between two screens, outside Skip.
size_t Differences(const vcl::TScreenImage& A, const vcl::TScreenImage& B, const TRect& Skip = TRect()) {
  size_t n = 0;
  for (Integer y = 0; y < A.Height; ++y)
    for (Integer x = 0; x < A.Width; ++x)
      if (!PtInRect(Skip, TPoint(x, y)) && Rgb(A.Pixel(x, y)) != Rgb(B.Pixel(x, y))) ++n;
  return n;
}

class LazyTrees_qn_DragImageTrees : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(OleInitialize(nullptr), 0);
    SetVirtualClock(true);
    ResetInput();
    ClearScreenOverlay();
    SavedMMX = MMXAvailable;
    MMXAvailable = true;
  }
  void TearDown() override {
    ResetInput();
    Trees.clear();
    Application->ProcessMessages();
    RevokeDragDropHelper();
    TakeDragHelperLog();
    MMXAvailable = SavedMMX;
    ClearScreenOverlay();
    OleUninitialize();
  }
  TPictureTree* Make(Integer Left, Cardinal Count) {
    Trees.push_back(std::make_unique<TPictureTree>(Left, Count));
    Application->ProcessMessages();
    return Trees.back().get();
  }
  // Selects rows I (in order) and focuses the first.
  static void Select(TPictureTree* T, std::initializer_list<Cardinal> Rows) {
    T->ClearSelection();
    for (Cardinal i : Rows) T->AddToSelection(T->Nth(i));
    T->SetFocusedNode(T->Nth(*Rows.begin()));
    T->SetFocus();
    Application->ProcessMessages();
  }
  std::vector<std::unique_ptr<TPictureTree>> Trees;
  bool SavedMMX = false;
};

}  // namespace

TEST_F(LazyTrees_qn_DragImageTrees, ThePictureHoldsTheSelectedNodesAroundTheHotSpot) {
  TPictureTree* t = Make(20, 30);
  auto* column = t->Header()->Columns()->Add();
  column->SetText(u"Name");
  column->SetWidth(110);
  column = t->Header()->Columns()->Add();
  column->SetText(u"More");
  column->SetWidth(140);
  t->Header()->SetOptions(t->Header()->Options() + TVTHeaderOptions{hoVisible});
  t->SetDragWidth(160);
  t->SetDragHeight(90);
  Select(t, {2, 3, 7});
  const TColor background = t->Colors()->BackGroundColor();
  const COLORREF ref = ColorToColorRef(background);
  const uint32_t key = uint32_t(GetRValue(ref)) << 16 | uint32_t(GetGValue(ref)) << 8 | GetBValue(ref);
  for (TVTDragImageKind kind : {diComplete, diMainColumnOnly}) {
    t->SetDragImageKind(kind);
    // The reference: the selected nodes of the whole tree as the picture
    // paints them, over the background colour.
    const Integer treeW = 400, treeH = Integer(t->RootNodeCount()) * 18 + 40;
    TBitmap whole;
    whole.SetPixelFormat(TPixelFormat::pf32bit);
    whole.SetSize(treeW, treeH);
    whole.Canvas()->Brush()->SetColor(background);
    whole.Canvas()->FillRect(TRect(0, 0, treeW, treeH));
    TVTInternalPaintOptions options{poDrawSelection, poSelectedOnly};
    if (kind == diMainColumnOnly) options.Include(poMainOnly);
    t->PaintTree(whole.Canvas(), TRect(0, 0, treeW, treeH), TPoint(0, 0), options, TPixelFormat::pf32bit);
    // Hot spots near the edges clip the painted part; scrolled views shift it.
    struct TCase {
      TPoint Hot;
      Integer OffsetY;
    } cases[] = {{{60, 50}, 0}, {{10, 5}, 0}, {{200, 120}, 0}, {{30, 20}, -54}, {{120, 200}, -90}};
    size_t shown = 0;
    for (const TCase& c : cases) {
      t->DoSetOffsetXY(TPoint(0, c.OffsetY), {suoScrollClientArea});
      ASSERT_EQ(t->OffsetY(), c.OffsetY);
      t->PrepareDragImage(c.Hot, nullptr);
      TVTDragImage* img = t->DragImage();
      ASSERT_EQ(img->States(), (TVTDragImageStates{disHidden, disInDrag, disPrepared}));
      TBitmap* pic = img->Picture();
      ASSERT_EQ(pic->Width(), 160);
      ASSERT_EQ(pic->Height(), 90);
      const TPoint hotScreen = t->ClientToScreen(c.Hot);
      EXPECT_EQ(img->ImagePosition(), TPoint(hotScreen.X - 80, hotScreen.Y - 45));
      for (Integer y = 0; y < 90; ++y) {
        const auto* row = static_cast<const uint32_t*>(pic->ScanLine(y));
        for (Integer x = 0; x < 160; ++x) {
          const Integer tx = c.Hot.X + x - 80, ty = c.Hot.Y - c.OffsetY + y - 45;
          uint32_t want = key;
          if (tx >= 0 && ty >= 0 && tx < treeW && ty < treeH)
            want = Rgb(static_cast<const uint32_t*>(whole.ScanLine(ty))[tx]);
          ASSERT_EQ(Rgb(row[x]), want) << "kind " << int(kind) << " hot " << c.Hot.X << "," << c.Hot.Y << " at "
                                       << x << "," << y;
          // The background is see-through even inside the fade.
          if (Rgb(row[x]) == key) ASSERT_EQ(row[x] >> 24, 0u) << x << "," << y;
          else ++shown;
        }
      }
      img->EndDrag();
    }
    EXPECT_GT(shown, 1000u);
    // Only the selected rows reach the picture; the second column only for
    // the complete kind.
    auto inked = [&](Integer Left, Integer Right, Integer Top, Integer Bottom) {
      size_t n = 0;
      for (Integer y = Top; y < Bottom; ++y)
        for (Integer x = Left; x < Right; ++x)
          if (Rgb(static_cast<const uint32_t*>(whole.ScanLine(y))[x]) != key) ++n;
      return n;
    };
    EXPECT_EQ(inked(0, treeW, 0, 2 * 18), 0u) << "rows 0 and 1 are not selected";
    EXPECT_GT(inked(0, 110, 2 * 18, 4 * 18), 0u);
    EXPECT_EQ(inked(0, treeW, 4 * 18, 7 * 18), 0u);
    if (kind == diComplete) EXPECT_GT(inked(112, 250, 7 * 18, 8 * 18), 0u);
    else EXPECT_EQ(inked(112, 250, 7 * 18, 8 * 18), 0u);
  }
  t->SetDragImageKind(diNoImage);
  EXPECT_FALSE(t->CanShowDragImage());
  t->PrepareDragImage(TPoint(60, 50), nullptr);
  EXPECT_TRUE(t->DragImage()->States().Empty());
  EXPECT_EQ(t->DragImage()->Picture(), nullptr);
}

TEST_F(LazyTrees_qn_DragImageTrees, ADragAcrossTwoTreesAndBackLeavesTheScreenAsPainted) {
  TPictureTree* src = Make(20, 10);
  TPictureTree* scroller = Make(340, 60);
  TPictureTree* expander = Make(660, 12);
  for (TPictureTree* t : {src, scroller, expander}) {
    t->SetDragWidth(180);
    t->SetDragHeight(100);
    t->SetAutoScrollDelay(40);
    t->SetAutoExpandDelay(200);
  }
  scroller->Prefix = u"Scroll ";
  expander->Prefix = u"Fold ";
  // The windows show their new captions before the drag starts.
  FreshScreen();
  Select(src, {1, 2, 5});
  size_t steps = 0, checked = 0;
  bool expanding = false;
  auto check = [&](TPictureTree* Over) {
    ++steps;
    TVTDragImage* img = src->DragImage();
    if (steps % 2 != 0 || !img->GetVisible()) return;
    ++checked;
    const TRect pic = img->GetDragImageRect();
    const vcl::TScreenImage now = CaptureScreen();
    img->HideDragImage();
    const vcl::TScreenImage fresh = FreshScreen();
    EXPECT_EQ(Differences(now, fresh, pic), 0u) << "outside the picture, step " << steps << " over "
                                                << std::string(Over->Prefix.begin(), Over->Prefix.end());
    // Shown afresh over the fresh screen, the picture looks as it did: what
    // it kept of the screen under it was right too.
    img->ShowDragImage();
    EXPECT_EQ(Differences(CaptureScreen(), now), 0u) << "under the picture, step " << steps;
    if (Over == expander && Over->Expanded(Over->Nth(1))) expanding = true;
  };
  for (TPictureTree* t : {src, scroller, expander}) t->AfterDragOver = check;

  TPoint start = src->On(src->Nth(1));
  InputMouseMove(start.X, start.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  Select(src, {1, 2, 5});
  // Across to the first tree and down into its bottom scroll zone.
  TPoint p = start;
  auto walk = [&](TPoint To, Integer Steps) {
    for (Integer i = 1; i <= Steps; ++i)
      InputMouseMove(p.X + (To.X - p.X) * i / Steps, p.Y + (To.Y - p.Y) * i / Steps);
    p = To;
  };
  TPoint zone = scroller->ClientToScreen(TPoint(120, scroller->ClientHeight() - 6));
  walk(scroller->On(scroller->Nth(3)), 8);
  walk(zone, 6);
  for (int i = 0; i < 8; ++i) {
    InputPause(50);
    InputMouseMove(zone.X + (i % 2), zone.Y);
  }
  // Over the second tree's first parent until it opens.
  walk(expander->On(expander->Nth(1)), 8);
  for (int i = 0; i < 4; ++i) {
    InputPause(100);
    InputMouseMove(p.X + (i % 2), p.Y);
  }
  walk(expander->On(expander->Nth(6)), 3);
  // Back to the source and dropped there.
  walk(src->On(src->Nth(8)), 10);
  InputMouseUp(VK_LBUTTON);
  src->DoDragging(src->ScreenToClient(start));
  Application->ProcessMessages();

  EXPECT_LT(scroller->OffsetY(), 0) << "the first tree scrolled under the picture";
  EXPECT_TRUE(expanding) << "the second tree opened its parent under the picture";
  EXPECT_GE(checked, 10u);
  EXPECT_TRUE(src->DragImage()->States().Empty());
  // After the drop nothing of the picture is left anywhere.
  const vcl::TScreenImage after = CaptureScreen();
  EXPECT_EQ(Differences(after, FreshScreen()), 0u);
}

TEST_F(LazyTrees_qn_DragImageTrees, ASourceFreedInTheDragGivesTheScreenBack) {
  TPictureTree* src = Make(20, 10);
  TPictureTree* dst = Make(340, 10);
  src->SetDragWidth(160);
  src->SetDragHeight(80);
  Select(src, {2, 3});
  const vcl::TScreenImage before = FreshScreen();
  TIntf<IDataObject> data = src->DragManager()->GetDataObject();
  src->PrepareDragImage(src->ScreenToClient(src->On(src->Nth(2))), data.get());
  TIntf<IDropTarget> target(static_cast<IDropTarget*>(dst->DragManager()));
  TPoint over = dst->On(dst->Nth(4));
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragEnter(data.get(), MK_LBUTTON, POINTL{over.X, over.Y}, &effect), S_OK);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(target->DragOver(MK_LBUTTON, POINTL{over.X + 5, over.Y + 18}, &effect), S_OK);
  ASSERT_TRUE(src->DragImage()->GetVisible());
  EXPECT_GT(Differences(CaptureScreen(), before), 0u) << "the picture shows over the target";
  // The source goes (the application closed its form) while the drag runs.
  Trees.erase(Trees.begin());
  Application->ProcessMessages();
  const vcl::TScreenImage gone = CaptureScreen();
  EXPECT_EQ(Differences(gone, FreshScreen()), 0u) << "the picture went with its tree";
  // The target finds no source through the data object any more and draws
  // nothing of the freed picture.
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{over.X + 9, over.Y + 40}, &effect), S_OK);
  EXPECT_EQ(target->DragLeave(), S_OK);
  Application->ProcessMessages();
  const vcl::TScreenImage left = CaptureScreen();
  EXPECT_EQ(Differences(left, FreshScreen()), 0u);
}

TEST_F(LazyTrees_qn_DragImageTrees, RepaintsLeaveThePictureAndGoIntoItsBackground) {
  TPictureTree* src = Make(20, 10);
  TPictureTree* dst = Make(340, 40);
  dst->Header()->Columns()->Add()->SetWidth(200);
  dst->Header()->SetOptions(dst->Header()->Options() + TVTHeaderOptions{hoVisible});
  src->SetDragWidth(240);
  src->SetDragHeight(120);
  Select(src, {1, 2});
  Application->ProcessMessages();
  src->PrepareDragImage(TPoint(60, 40), nullptr);
  TVTDragImage* img = src->DragImage();
  // Over the target's top right: client rows, the header and the scroll bar.
  RECT window;
  GetWindowRect(dst->Handle(), &window);
  TPoint hot(window.Left + 160, window.Top + 50);
  img->DragTo(hot, false);
  img->ShowDragImage();
  const TRect pic = img->GetDragImageRect();
  ASSERT_EQ(pic.Left, hot.X - 120);
  const vcl::TScreenImage old = CaptureWindow(dst->Handle(), true);
  // The rows change without the window knowing, and the view scrolls with
  // only the frame told: everything must come from the repaint.
  dst->Prefix = u"Changed ";
  dst->DoSetOffsetXY(TPoint(0, -36), {suoUpdateNCArea});
  dst->Printed.clear();
  dst->UpdateWindowAndDragImage(src, dst->ClientRect(), true, true);
  ASSERT_FALSE(dst->Printed.empty());
  EXPECT_TRUE(dst->Printed.back() & PRF_NONCLIENT);
  const vcl::TScreenImage now = CaptureWindow(dst->Handle(), true);
  const vcl::TScreenImage withPicture = CaptureScreen();
  // Client pixels under the picture were not painted on the window.
  const TPoint client = dst->ClientToScreen(TPoint(0, 0));
  size_t under = 0, changedUnder = 0;
  for (Integer y = 0; y < now.Height; ++y)
    for (Integer x = 0; x < now.Width; ++x) {
      if (!PtInRect(pic, TPoint(client.X + x, client.Y + y))) continue;
      ++under;
      if (Rgb(now.Pixel(x, y)) != Rgb(old.Pixel(x, y))) ++changedUnder;
    }
  EXPECT_GT(under, 1000u);
  EXPECT_EQ(changedUnder, 0u) << "the window painted under the picture";
  // What the window shows outside the picture and what the picture saved
  // under it are both the new rows, the frame included.
  img->HideDragImage();
  const vcl::TScreenImage hidden = CaptureScreen();
  const vcl::TScreenImage fresh = FreshScreen();
  size_t inside = 0;
  for (Integer y = window.Top; y < window.Bottom; ++y)
    for (Integer x = window.Left; x < window.Right; ++x)
      if (Rgb(hidden.Pixel(x, y)) != Rgb(fresh.Pixel(x, y))) ++inside;
  EXPECT_EQ(inside, 0u) << "the printed frame is the window's own, themed edge included";
  EXPECT_EQ(Differences(withPicture, fresh, pic), 0u) << "outside the picture";
  size_t rowsChanged = 0;
  const vcl::TScreenImage freshClient = CaptureWindow(dst->Handle(), true);
  for (Integer y = 0; y < old.Height; ++y)
    for (Integer x = 0; x < old.Width; ++x)
      if (PtInRect(pic, TPoint(client.X + x, client.Y + y)) && Rgb(old.Pixel(x, y)) != Rgb(freshClient.Pixel(x, y)))
        ++rowsChanged;
  EXPECT_GT(rowsChanged, 50u) << "the rows under the picture did change";
  img->EndDrag();
}

namespace {

// A source helper of the test's own: it keeps what it was given and fails
// or succeeds as told.
class TOwnHelper : public TInterfacedObject, public virtual IDragSourceHelper {
  QN_CLASS(TOwnHelper, TInterfacedObject)
  QN_INTERFACES(IDragSourceHelper)
 public:
  HRESULT InitializeFromBitmap(SHDRAGIMAGE* pshdi, IDataObject*) override {
    Given = pshdi->hbmpDragImage;
    return Answer;
  }
  HRESULT InitializeFromWindow(HWND, POINT*, IDataObject*) override { return E_FAIL; }
  static inline HBITMAP Given = nullptr;
  static inline HRESULT Answer = E_FAIL;
};

class TOwnFactory : public TInterfacedObject, public virtual IClassFactory {
  QN_CLASS(TOwnFactory, TInterfacedObject)
  QN_INTERFACES(IClassFactory)
 public:
  HRESULT CreateInstance(IUnknown*, const TGUID& riid, void** ppv) override {
    TIntf<IDragSourceHelper> helper(new TOwnHelper);
    return helper->QueryInterface(riid, ppv);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

// The tree's data object that also offers files.
class TFilesData : public TInterfacedObject, public virtual IDataObject {
  QN_CLASS(TFilesData, TInterfacedObject)
  QN_INTERFACES(IDataObject)
 public:
  explicit TFilesData(TIntf<IDataObject> Inner) : FInner(std::move(Inner)) {}
  HRESULT QueryGetData(const FORMATETC* f) override {
    return f && f->cfFormat == CF_HDROP ? S_OK : FInner->QueryGetData(f);
  }
  HRESULT GetData(const FORMATETC* f, STGMEDIUM* m) override { return FInner->GetData(f, m); }
  HRESULT GetDataHere(const FORMATETC* f, STGMEDIUM* m) override { return FInner->GetDataHere(f, m); }
  HRESULT GetCanonicalFormatEtc(const FORMATETC* f, FORMATETC* o) override {
    return FInner->GetCanonicalFormatEtc(f, o);
  }
  HRESULT SetData(const FORMATETC* f, STGMEDIUM* m, BOOL r) override { return FInner->SetData(f, m, r); }
  HRESULT EnumFormatEtc(DWORD d, IEnumFORMATETC** e) override { return FInner->EnumFormatEtc(d, e); }
  HRESULT DAdvise(const FORMATETC* f, DWORD a, IAdviseSink* s, DWORD* c) override {
    return FInner->DAdvise(f, a, s, c);
  }
  HRESULT DUnadvise(DWORD c) override { return FInner->DUnadvise(c); }
  HRESULT EnumDAdvise(IEnumSTATDATA** e) override { return FInner->EnumDAdvise(e); }

 private:
  TIntf<IDataObject> FInner;
};

}  // namespace

TEST_F(LazyTrees_qn_DragImageTrees, TheShellHelperTakesThePictureOrTheTreeDrawsIt) {
  // No helper in the class table: the tree draws its own picture.
  TPictureTree* t = Make(20, 10);
  t->SetDragWidth(150);
  t->SetDragHeight(70);
  Select(t, {1, 2});
  TIntf<IDataObject> data = t->DragManager()->GetDataObject();
  t->PrepareDragImage(TPoint(50, 30), data.get());
  EXPECT_EQ(t->DragImage()->States(), (TVTDragImageStates{disHidden, disInDrag, disPrepared}));
  t->DragImage()->EndDrag();

  // A helper that refuses the bitmap: its copy is freed and the tree draws.
  DWORD cookie = 0;
  TIntf<IClassFactory> own(new TOwnFactory);
  ASSERT_EQ(CoRegisterClassObject(CLSID_DragDropHelper, own.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  TOwnHelper::Answer = E_FAIL;
  t->PrepareDragImage(TPoint(50, 30), data.get());
  EXPECT_EQ(t->DragImage()->States(), (TVTDragImageStates{disHidden, disInDrag, disPrepared}));
  ASSERT_NE(TOwnHelper::Given, nullptr);
  EXPECT_EQ(GetObjectType(TOwnHelper::Given), 0u) << "the refused copy was deleted";
  t->DragImage()->EndDrag();
  // Taken, the bitmap is the helper's own and outlives the tree's picture.
  TOwnHelper::Answer = S_OK;
  t->PrepareDragImage(TPoint(50, 30), data.get());
  EXPECT_EQ(t->DragImage()->States(), TVTDragImageStates{disSystemSupport});
  ASSERT_NE(TOwnHelper::Given, nullptr);
  EXPECT_EQ(GetObjectType(TOwnHelper::Given), DWORD(OBJ_BITMAP));
  DeleteObject(TOwnHelper::Given);
  t->DragImage()->EndDrag();
  CoRevokeClassObject(cookie);

  // The recording helper: a bitmap for the tree's own data, the shell's
  // picture of the files for data that offers them.
  ASSERT_EQ(RegisterDragDropHelper(), S_OK);
  TakeDragHelperLog();
  t->PrepareDragImage(TPoint(50, 30), data.get());
  EXPECT_EQ(t->DragImage()->States(), TVTDragImageStates{disSystemSupport});
  std::vector<TDragHelperCall> log = TakeDragHelperLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].Method, "SetFlags");
  EXPECT_EQ(log[0].Effect, 1u);
  EXPECT_EQ(log[1].Method, "InitializeFromBitmap");
  EXPECT_EQ(log[1].ImageSize.cx, 150);
  EXPECT_EQ(log[1].ImageSize.cy, 70);
  EXPECT_EQ(log[1].Offset.X, 75);
  EXPECT_EQ(log[1].Offset.Y, 35);
  EXPECT_EQ(log[1].ColorKey, ColorToColorRef(t->Colors()->BackGroundColor()));
  // With the shell's support the tree draws nothing.
  const vcl::TScreenImage before = CaptureScreen();
  TVTDragImage* img = t->DragImage();
  EXPECT_FALSE(img->WillMove(TPoint(400, 300)));
  img->ShowDragImage();
  img->DragTo(TPoint(400, 300), true);
  EXPECT_FALSE(img->GetVisible());
  EXPECT_EQ(Differences(CaptureScreen(), before), 0u);
  img->EndDrag();

  TIntf<IDataObject> files(new TFilesData(data));
  t->PrepareDragImage(TPoint(50, 30), files.get());
  EXPECT_EQ(t->DragImage()->States(), TVTDragImageStates{disSystemSupport});
  log = TakeDragHelperLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].Method, "InitializeFromWindow");
  EXPECT_EQ(log[1].Wnd, nullptr);
  EXPECT_EQ(log[1].Pt.X, 0);
  EXPECT_EQ(log[1].Pt.Y, 0);
  t->DragImage()->EndDrag();
}

TEST_F(LazyTrees_qn_DragImageTrees, AShellHelperShowsTheDragAndTheTreesDrawNothing) {
  ASSERT_EQ(RegisterDragDropHelper(), S_OK);
  TPictureTree* src = Make(20, 10);
  TPictureTree* dst = Make(340, 10);
  Select(src, {1, 2});
  size_t overDst = 0;
  dst->AfterDragOver = [&](TPictureTree*) {
    ++overDst;
    EXPECT_NE(ShellDragImageWindow(), nullptr);
    EXPECT_EQ(src->DragImage()->States(), TVTDragImageStates{disSystemSupport});
  };
  const vcl::TScreenImage fresh = FreshScreen();
  TPoint start = src->On(src->Nth(1));
  InputMouseMove(start.X, start.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  Select(src, {1, 2});
  TPoint to = dst->On(dst->Nth(5));
  for (int i = 1; i <= 6; ++i) InputMouseMove(start.X + (to.X - start.X) * i / 6, start.Y + (to.Y - start.Y) * i / 6);
  // Entering the target is not yet moving over it.
  InputMouseMove(to.X + 4, to.Y + 6);
  InputMouseMove(to.X + 8, to.Y + 12);
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  InputMouseUp(VK_LBUTTON);
  src->DoDragging(src->ScreenToClient(start));
  Application->ProcessMessages();
  EXPECT_GT(overDst, 0u);
  EXPECT_EQ(ShellDragImageWindow(), nullptr);
  EXPECT_EQ(Differences(CaptureScreen(), fresh), 0u);
}

TEST_F(LazyTrees_qn_DragImageTrees, GallerySheetMatchesItsGoldenImage) {
  vcl::TScreenImage sheet = gallery::TTreeDragImageSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-dragimage", 8,
                              gallery::TTreeDragImageSheet::kWidth * gallery::TTreeDragImageSheet::kHeight / 200);
}

}  // namespace t_lazy_trees_qn_drag_image_trees_test
