// The file drop target under real shell drags on the virtual clock: the
// overlay from the drag's start, hot while the drag is over the control,
// the drop reported once with whole names; drags ending elsewhere, data
// without files, a minimised form, rebinding, controls and components
// freed in either order, two targets side by side; malformed drop blocks;
// and the overlay's picture (golden, premultiplied, pointer let through).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/ole/DragDropQuery.h"
#include "platform/shell/ShellAPI.h"
#include "skin/extended/uQuarnDragFile.h"
#include "skin/foundation/uQnCBTM.h"
#include "tests/common/Golden.h"
#include "tests/platform/ole/OleTestSupport.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

namespace t_u_quarn_drag_file_test {

using namespace qn;

namespace {

const TColor kHot = static_cast<TColor>(0x71CC2F);

// Records what the overlay looked like each time it was made, and what the
// events reported.
class TWatchedDrop : public TQuarnDragFile {
 public:
  struct TShown {
    HWND Image = nullptr;
    TColor Color = clNone;
    TRect Bounds;
    LONG_PTR ExStyle = 0;
    HWND UnderCentre = nullptr;
  };
  explicit TWatchedDrop(TComponent* AOwner) : TQuarnDragFile(AOwner) {
    SetOnDragFiles(TDragFilesEvent(this, &TWatchedDrop::Files_));
    SetOnDragEnter(TNotifyEvent(this, &TWatchedDrop::Enter_));
    SetOnDragLeave(TNotifyEvent(this, &TWatchedDrop::Leave_));
  }
  void Show(HWND H) { DoShowDragFilesLayer(H); }

  std::vector<TShown> Shows;
  std::vector<String> Files;
  std::vector<std::string> Events;

 protected:
  void DoShowDragFilesLayer(HWND H) override {
    TQuarnDragFile::DoShowDragFilesLayer(H);
    if (!Layer()) return;
    TShown s;
    s.Image = Layer()->SysDragImageHandle();
    s.Color = HighLightDotLineColor();
    GetWindowRect(Layer()->Handle(), &s.Bounds);
    s.ExStyle = GetWindowLongPtrW(Layer()->Handle(), GWL_EXSTYLE);
    s.UnderCentre = WindowFromPoint(POINT(s.Bounds.Left + s.Bounds.Width() / 2, s.Bounds.Top + s.Bounds.Height() / 2));
    Shows.push_back(s);
    Events.push_back(HighLightDotLineColor() == kHot ? "show hot" : "show normal");
  }

 private:
  void Files_(TObject*, const String& Names) {
    Files.push_back(Names);
    Events.push_back("files");
  }
  void Enter_(TObject*) { Events.push_back("enter"); }
  void Leave_(TObject*) { Events.push_back("leave"); }
};

class uQuarnDragFile : public skintest::RootTest {
 protected:
  void SetUp() override {
    RootTest::SetUp();
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    FA = MakePanel(60, 40, 200, 150);   // client on screen: (100, 80) - (300, 230)
    FB = MakePanel(280, 40, 180, 150);  // (320, 80) - (500, 230)
    FBaseInstructions = InstructionCount();
  }
  void TearDown() override {
    FDrops.clear();
    FRoot.reset();
    usertest::Pump();
    OleUninitialize();
    RootTest::TearDown();
  }
  TPanel* MakePanel(Integer X, Integer Y, Integer W, Integer H) {
    auto* p = new TPanel(FRoot.get());
    p->SetParent(FRoot.get());
    p->SetBevelOuter(bvNone);
    p->SetCaption(String());
    p->SetColor(static_cast<TColor>(0x00303030));
    p->SetBounds(X, Y, W, H);
    usertest::Pump();
    return p;
  }
  TWatchedDrop* MakeDrop(TWinControl* Control) {
    FDrops.push_back(std::make_unique<TWatchedDrop>(nullptr));
    FDrops.back()->SetBindingControl(Control);
    return FDrops.back().get();
  }
  // Presses at the first point, moves along the others and releases at the
  // last; the drag loop then runs through that input.
  void Path(std::initializer_list<TPoint> Points) {
    auto it = Points.begin();
    InputMouseMove(it->X, it->Y);
    InputMouseDown(VK_LBUTTON);
    usertest::Pump();
    for (++it; it != Points.end(); ++it) InputMouseMove(it->X, it->Y);
    InputMouseUp(VK_LBUTTON);
  }
  HRESULT DragFiles(const std::vector<String>& Files) {
    DWORD effect = 0;
    return ShellDragFiles(Files, DROPEFFECT_COPY, &effect);
  }
  static bool AnyOverlayWindow() { return FindWindowW(u"TDragFilesLayerForm", nullptr) != nullptr; }

  TPanel* FA = nullptr;
  TPanel* FB = nullptr;
  Integer FBaseInstructions = 0;
  std::vector<std::unique_ptr<TWatchedDrop>> FDrops;
};

TEST_F(uQuarnDragFile, ThreeFilesDroppedFromTheShellArriveOnceInOrder) {
  TWatchedDrop* d = MakeDrop(FA);
  EXPECT_TRUE(IsDragDropRegistered(FA->Handle()));
  EXPECT_EQ(InstructionCount(), FBaseInstructions + 1);
  const String longName = u"C:\\" + String(290, u'd') + u"\\long.txt";
  ASSERT_GT(longName.size(), 300u);
  const std::vector<String> files = {u"C:\\one.txt", longName, u"D:\\three"};
  // Starts outside, enters, leaves below the control, comes back, drops.
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(200, 150), TPoint(200, 300), TPoint(210, 160)});
  ASSERT_EQ(DragFiles(files), DRAGDROP_S_DROP);

  EXPECT_EQ(d->Events, (std::vector<std::string>{"show normal", "show hot", "enter", "show normal", "leave",
                                                  "show hot", "enter", "files"}));
  ASSERT_EQ(d->Files.size(), 1u);
  EXPECT_EQ(d->Files[0], files[0] + u"\r\n" + files[1] + u"\r\n" + files[2] + u"\r\n");
  ASSERT_FALSE(d->Shows.empty());
  for (const auto& s : d->Shows) {
    // Over the control's client area, knowing the drag picture, letting
    // the pointer through to the control.
    EXPECT_EQ(s.Bounds, TRect(100, 80, 300, 230));
    ASSERT_NE(s.Image, nullptr);
    EXPECT_EQ(s.Image, d->Shows[0].Image);
    EXPECT_EQ(s.ExStyle & (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT),
              WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT);
    EXPECT_EQ(s.UnderCentre, FA->Handle());
  }
  EXPECT_FALSE(IsWindow(d->Shows[0].Image));  // the drag is over
  // The drop closed it at once; it is freed once its messages are done.
  EXPECT_EQ(d->Layer(), nullptr);
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());
}

TEST_F(uQuarnDragFile, ADragEndingElsewhereClosesTheOverlayWithin100Ms) {
  TWatchedDrop* d = MakeDrop(FA);
  Path({TPoint(450, 300), TPoint(720, 520), TPoint(760, 560)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  ASSERT_NE(d->Layer(), nullptr);
  EXPECT_EQ(d->Events, (std::vector<std::string>{"show normal"}));
  EXPECT_TRUE(IsWindowVisible(d->Layer()->Handle()));
  Wait(100);
  EXPECT_EQ(d->Layer(), nullptr);
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());
  EXPECT_TRUE(d->Files.empty());
}

TEST_F(uQuarnDragFile, WhileTheButtonIsHeldOverTheFormTheOverlayStays) {
  TWatchedDrop* d = MakeDrop(FA);
  d->Show(nullptr);  // no drag picture known
  ASSERT_NE(d->Layer(), nullptr);
  MoveTo(FRoot.get(), 400, 250);
  Press();
  Wait(250);
  EXPECT_NE(d->Layer(), nullptr);
  Release();
  Wait(100);
  EXPECT_EQ(d->Layer(), nullptr);
}

TEST_F(uQuarnDragFile, DataWithoutFilesReportsNothingAndClosesTheOverlay) {
  TWatchedDrop* d = MakeDrop(FA);
  TIntf<IDataObject> text = oletest::NewDataObject();
  oletest::SetBytes(text.get(), CF_UNICODETEXT, std::string("h\0i\0\0\0", 6));
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(200, 150)});
  DWORD effect = 0;
  ASSERT_EQ(ShellDragData(text.get(), DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(d->Events, (std::vector<std::string>{"show normal", "show hot", "enter"}));
  EXPECT_TRUE(d->Files.empty());
  EXPECT_EQ(d->Layer(), nullptr);
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());
}

TEST_F(uQuarnDragFile, AMinimisedFormShowsNoOverlayButDropsAreReported) {
  TWatchedDrop* d = MakeDrop(FA);
  FRoot->SetWindowState(wsMinimized);
  usertest::Pump();
  Path({TPoint(450, 300), TPoint(720, 520)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  EXPECT_TRUE(d->Shows.empty());
  EXPECT_EQ(d->Layer(), nullptr);
  EXPECT_FALSE(AnyOverlayWindow());

  TIntf<IDataObject> obj = oletest::NewDataObject();
  FORMATETC f = oletest::Fe(CF_HDROP);
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = CreateHDrop({u"C:\\x", u"C:\\y"}, POINT(), false);
  ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
  IDropTarget* target = d;
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(obj.get(), 0, POINTL{150, 150}, &effect), S_OK);
  ASSERT_EQ(d->Files.size(), 1u);
  EXPECT_EQ(d->Files[0], u"C:\\x\r\nC:\\y\r\n");
}

TEST_F(uQuarnDragFile, RebindingMovesTheRegistrationAndTheHooks) {
  TWatchedDrop* d = MakeDrop(FA);
  d->SetBindingControl(FB);
  EXPECT_FALSE(IsDragDropRegistered(FA->Handle()));
  EXPECT_TRUE(IsDragDropRegistered(FB->Handle()));
  EXPECT_EQ(InstructionCount(), FBaseInstructions + 1);
  // Onto the old control: nothing enters, nothing is dropped; the overlay
  // lies over the new one.
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(200, 150)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  EXPECT_EQ(d->Events, (std::vector<std::string>{"show normal"}));
  ASSERT_EQ(d->Shows.size(), 1u);
  EXPECT_EQ(d->Shows[0].Bounds, TRect(320, 80, 500, 230));
  Wait(100);
  d->Events.clear();
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(400, 150)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  EXPECT_EQ(d->Events, (std::vector<std::string>{"show normal", "show hot", "enter", "files"}));

  d->SetBindingControl(nullptr);
  EXPECT_FALSE(d->Bound());
  EXPECT_FALSE(IsDragDropRegistered(FB->Handle()));
  EXPECT_EQ(InstructionCount(), FBaseInstructions);
}

TEST_F(uQuarnDragFile, AControlThatCannotHaveAWindowIsRefusedAndNothingChanges) {
  TWatchedDrop* d = MakeDrop(FA);
  TPanel orphan(nullptr);
  EXPECT_THROW(d->SetBindingControl(&orphan), EInvalidOperation);
  EXPECT_EQ(d->BindingControl(), FA);
  EXPECT_TRUE(IsDragDropRegistered(FA->Handle()));
  // A second target for the same window is refused the same way.
  auto other = std::make_unique<TWatchedDrop>(nullptr);
  EXPECT_THROW(other->SetBindingControl(FA), EComponentError);
  EXPECT_EQ(other->BindingControl(), nullptr);
  EXPECT_FALSE(other->Bound());
  EXPECT_EQ(InstructionCount(), FBaseInstructions + 1);
}

TEST_F(uQuarnDragFile, ABoundControlFreedFirstTakesItsBindingAlong) {
  TWatchedDrop* d = MakeDrop(FA);
  d->Show(nullptr);
  ASSERT_NE(d->Layer(), nullptr);
  delete FA;
  FA = nullptr;
  EXPECT_EQ(d->BindingControl(), nullptr);
  EXPECT_FALSE(d->Bound());
  EXPECT_EQ(d->Layer(), nullptr);
  EXPECT_EQ(InstructionCount(), FBaseInstructions);
  // A drag now finds nothing to show or drop on.
  Path({TPoint(450, 300), TPoint(200, 150)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  EXPECT_TRUE(d->Shows.size() == 1u && d->Files.empty());
  FDrops.clear();
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());

  // The other order: the component goes first, the control stays no target.
  auto* c = new TWatchedDrop(nullptr);
  c->SetBindingControl(FB);
  c->Show(nullptr);
  delete c;
  EXPECT_FALSE(IsDragDropRegistered(FB->Handle()));
  EXPECT_EQ(InstructionCount(), FBaseInstructions);
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());
  Path({TPoint(450, 300), TPoint(400, 150)});
  EXPECT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
}

TEST_F(uQuarnDragFile, AHiddenControlGetsNoOverlayAndARemadeWindowIsTheTarget) {
  TWatchedDrop* d = MakeDrop(FB);
  FB->SetVisible(false);
  usertest::Pump();
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(200, 150)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  EXPECT_TRUE(d->Events.empty());
  EXPECT_EQ(d->Layer(), nullptr);

  FB->SetVisible(true);
  const HWND old = FB->Handle();
  FB->RecreateWnd();
  usertest::Pump();
  ASSERT_NE(FB->Handle(), old);
  EXPECT_FALSE(IsDragDropRegistered(FB->Handle()));
  // The drag's start registers the new window, so the drop arrives.
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(400, 150)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  EXPECT_EQ(d->Events, (std::vector<std::string>{"show normal", "show hot", "enter", "files"}));
  EXPECT_TRUE(IsDragDropRegistered(FB->Handle()));
  d->SetBindingControl(nullptr);
  EXPECT_FALSE(IsDragDropRegistered(FB->Handle()));
}

TEST_F(uQuarnDragFile, FreedWhileADragIsOverItTheDragEndsSafely) {
  // The application frees the target from its own OnDragEnter.
  struct TFreer : TObject {
    TWatchedDrop* Victim = nullptr;
    void Free(TObject*) {
      delete Victim;
      Victim = nullptr;
    }
  } freer;
  freer.Victim = new TWatchedDrop(nullptr);
  freer.Victim->SetBindingControl(FA);
  freer.Victim->SetOnDragEnter(TNotifyEvent(&freer, &TFreer::Free));
  TWatchedDrop*& d = freer.Victim;
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(200, 150), TPoint(210, 160)});
  DWORD effect = 7;
  EXPECT_EQ(ShellDragFiles({u"C:\\a.txt"}, DROPEFFECT_COPY, &effect), DRAGDROP_S_DROP);
  EXPECT_EQ(d, nullptr);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_FALSE(IsDragDropRegistered(FA->Handle()));
  EXPECT_EQ(InstructionCount(), FBaseInstructions);
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());
}

TEST_F(uQuarnDragFile, TwoTargetsKeepTheirOwnOverlays) {
  TWatchedDrop* a = MakeDrop(FA);
  TWatchedDrop* b = MakeDrop(FB);
  EXPECT_EQ(InstructionCount(), FBaseInstructions + 2);
  Path({TPoint(450, 300), TPoint(430, 320), TPoint(200, 150)});
  ASSERT_EQ(DragFiles({u"C:\\a.txt"}), DRAGDROP_S_DROP);
  // A's drop closed A's overlay only.
  EXPECT_EQ(a->Layer(), nullptr);
  ASSERT_NE(b->Layer(), nullptr);
  EXPECT_TRUE(IsWindowVisible(b->Layer()->Handle()));
  EXPECT_EQ(b->Events, (std::vector<std::string>{"show normal"}));
  ASSERT_EQ(a->Files.size(), 1u);
  EXPECT_TRUE(b->Files.empty());
  Wait(100);
  EXPECT_EQ(b->Layer(), nullptr);
  usertest::Pump();
  EXPECT_FALSE(AnyOverlayWindow());
}

TEST_F(uQuarnDragFile, ShowingAgainClosesTheControlsEarlierOverlay) {
  TWatchedDrop* d = MakeDrop(FA);
  d->Show(nullptr);
  TDragFilesLayerForm* first = d->Layer();
  ASSERT_NE(first, nullptr);
  const HWND firstWnd = first->Handle();
  d->Show(nullptr);
  EXPECT_NE(d->Layer(), first);
  EXPECT_FALSE(IsWindowVisible(firstWnd));
  usertest::Pump();
  EXPECT_FALSE(IsWindow(firstWnd));
  // Found by its caption too: one from elsewhere for the same control.
  auto* stray = TCustomForm::Create<TDragFilesLayerForm>(nullptr);
  stray->SetCaption(d->Layer()->Caption());
  const HWND strayWnd = stray->Handle();
  d->Show(nullptr);
  usertest::Pump();
  EXPECT_FALSE(IsWindow(strayWnd));
  // Closing an overlay twice frees it once.
  SendMessageW(d->Layer()->Handle(), WM_CLOSE, 0, 0);
  SendMessageW(d->Layer() ? d->Layer()->Handle() : strayWnd, WM_CLOSE, 0, 0);
  usertest::Pump();
  EXPECT_EQ(d->Layer(), nullptr);
  EXPECT_FALSE(AnyOverlayWindow());
}

TEST_F(uQuarnDragFile, ReadFromFormTextItBindsOnceTheFormIsLoaded) {
  RegisterClasses({TPanel::StaticClass()});
  const std::string text =
      "object Host: TForm\n"
      "  Left = 600\n"
      "  Top = 300\n"
      "  Width = 300\n"
      "  Height = 200\n"
      "  object Target: TPanel\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Width = 120\n"
      "    Height = 90\n"
      "  end\n"
      "  object Drop1: TQuarnDragFile\n"
      "    BindingControl = Target\n"
      "    TipText = 'Drop the invoices here'\n"
      "    HighLightDotLineHotColor = 255\n"
      "  end\n"
      "end\n";
  auto host = std::make_unique<TForm>(nullptr);
  TextToComponent(text, host.get());
  auto* drop = dynamic_cast<TQuarnDragFile*>(host->FindComponent(u"Drop1"));
  auto* target = dynamic_cast<TPanel*>(host->FindComponent(u"Target"));
  ASSERT_TRUE(drop && target);
  EXPECT_EQ(drop->BindingControl(), target);
  EXPECT_TRUE(drop->Bound());
  EXPECT_TRUE(IsDragDropRegistered(target->Handle()));
  EXPECT_EQ(drop->TipText(), u"Drop the invoices here");
  EXPECT_EQ(drop->HighLightDotLineHotColor(), static_cast<TColor>(255));
  EXPECT_EQ(drop->HighLightDotLineNormalColor(), static_cast<TColor>(0x0FC4F1));
  // Written back: what differs from the defaults, and nothing else.
  const std::string back = ComponentToText(drop);
  EXPECT_NE(back.find("BindingControl = Host.Target"), std::string::npos) << back;
  EXPECT_NE(back.find("TipText = 'Drop the invoices here'"), std::string::npos) << back;
  EXPECT_EQ(back.find("HighLightDotLineNormalColor"), std::string::npos) << back;
  TQuarnDragFile plain(nullptr);
  const std::string defaults = ComponentToText(&plain);
  EXPECT_EQ(defaults.find("TipText"), std::string::npos) << defaults;
  EXPECT_EQ(defaults.find("HighLightDotLine"), std::string::npos) << defaults;
  host.reset();
  EXPECT_EQ(InstructionCount(), FBaseInstructions);
}

// A DROPFILES head with the given offset and flags, then the payload.
std::string DropBlock(DWORD Offset, bool Wide, const std::string& Payload) {
  DROPFILES h;
  h.pFiles = Offset;
  h.fWide = Wide ? TRUE : FALSE;
  std::string s(sizeof h, '\0');
  std::memcpy(s.data(), &h, sizeof h);
  return s + Payload;
}

std::string Wide(const std::u16string& S) {
  std::string s(S.size() * 2, '\0');
  std::memcpy(s.data(), S.data(), s.size());
  return s;
}

TEST_F(uQuarnDragFile, MalformedDropBlocksReportOnlyWholeNames) {
  const std::string z2("\0\0", 2);
  const struct {
    const char* Why;
    std::string Block;
    std::vector<String> Names;
  } cases[] = {
      {"well formed", DropBlock(20, true, Wide(u"C:\\a") + z2 + Wide(u"C:\\b") + z2 + z2), {u"C:\\a", u"C:\\b"}},
      {"no list terminator", DropBlock(20, true, Wide(u"C:\\a") + z2 + Wide(u"C:\\b") + z2), {u"C:\\a", u"C:\\b"}},
      {"last name cut by the block", DropBlock(20, true, Wide(u"C:\\a") + z2 + Wide(u"C:\\bbb")), {u"C:\\a"}},
      {"odd byte at the end", DropBlock(20, true, Wide(u"C:\\a") + z2 + "x"), {u"C:\\a"}},
      {"offset past the block", DropBlock(400, true, Wide(u"C:\\a") + z2 + z2), {}},
      {"offset inside the head", DropBlock(8, true, Wide(u"C:\\a") + z2 + z2), {}},
      {"shorter than a head", std::string(12, 'x'), {}},
      {"narrow names", DropBlock(20, false, std::string("C:\\n1\0C:\\n2\0\0", 13)), {u"C:\\n1", u"C:\\n2"}},
      {"narrow, cut", DropBlock(20, false, std::string("C:\\n1\0C:\\n2", 11)), {u"C:\\n1"}},
      {"empty list", DropBlock(20, true, z2), {}},
  };
  for (const auto& c : cases) {
    HGLOBAL h = oletest::Block(c.Block);
    EXPECT_EQ(TQuarnDragFile::ReadDropNames(reinterpret_cast<HDROP>(h)), c.Names) << c.Why;
    GlobalFree(h);
  }
  // Through Drop: a block with nothing whole reports nothing.
  TWatchedDrop* d = MakeDrop(FA);
  TIntf<IDataObject> obj = oletest::NewDataObject();
  oletest::SetBytes(obj.get(), CF_HDROP, DropBlock(20, true, Wide(u"C:\\cut")));
  IDropTarget* target = d;
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(obj.get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_TRUE(d->Files.empty());
  oletest::SetBytes(obj.get(), CF_HDROP, DropBlock(20, true, Wide(u"C:\\ok") + z2 + Wide(u"C:\\cut")));
  EXPECT_EQ(target->Drop(obj.get(), 0, POINTL{0, 0}, &effect), S_OK);
  EXPECT_EQ(d->Files, (std::vector<String>{u"C:\\ok\r\n"}));
}

TEST_F(uQuarnDragFile, AnExceptionInTheHandlerAnswersUnexpected) {
  TWatchedDrop* d = MakeDrop(FA);
  d->SetOnDragFiles(TDragFilesEvent([](TObject*, const String&) { throw Exception(u"handler failed"); }));
  TIntf<IDataObject> obj = oletest::NewDataObject();
  FORMATETC f = oletest::Fe(CF_HDROP);
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = CreateHDrop({u"C:\\x"}, POINT(), false);
  ASSERT_EQ(obj->SetData(&f, &m, TRUE), S_OK);
  IDropTarget* target = d;
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->Drop(obj.get(), 0, POINTL{0, 0}, &effect), E_UNEXPECTED);
  // No lifetime counting: the registry's references never free it.
  EXPECT_EQ(target->_AddRef(), -1);
  EXPECT_EQ(target->_Release(), -1);
  void* p = nullptr;
  EXPECT_EQ(target->QueryInterface(IDropTarget::IID, &p), S_OK);
  EXPECT_EQ(p, static_cast<void*>(target));
}

TEST_F(uQuarnDragFile, TheOverlayPicture) {
  // Room for the whole tip at its default size.
  FB->SetVisible(false);
  FA->SetBounds(60, 40, 400, 200);
  usertest::Pump();
  TWatchedDrop* d = MakeDrop(FA);
  d->Show(nullptr);
  TDragFilesLayerForm* layer = d->Layer();
  ASSERT_NE(layer, nullptr);
  usertest::Pump();
  const TScreenImage screen = CaptureScreen();
  const TRect r(100, 80, 500, 280);
  TScreenImage part;
  part.Width = r.Width();
  part.Height = r.Height();
  for (Integer y = r.Top; y < r.Bottom; ++y)
    for (Integer x = r.Left; x < r.Right; ++x) part.Pixels.push_back(screen.Pixel(x, y) | 0xFF000000u);
  qntest::ExpectMatchesGolden(part, "drop-files-overlay", 2, 12);

  const uint32_t panel = 0xFF303030u, dash = 0xFFF1C40Fu;
  auto at = [&](Integer x, Integer y) { return part.Pixels[size_t(y * part.Width + x)]; };
  // The top band: 4 pixels deep, dashes of 7 with gaps of 5 from the corner.
  EXPECT_EQ(at(1, 1), dash);
  EXPECT_EQ(at(6, 3), dash);
  EXPECT_EQ(at(9, 1), panel);
  EXPECT_EQ(at(13, 2), dash);
  EXPECT_EQ(at(20, 4), panel);
  EXPECT_EQ(at(30, 30), panel);
  // The tip: its ink centred in the overlay.
  Integer l = part.Width, t = part.Height, rr = -1, b = -1;
  for (Integer y = 8; y < part.Height - 8; ++y)
    for (Integer x = 8; x < part.Width - 8; ++x)
      if (at(x, y) != panel) {
        l = std::min(l, x);
        rr = std::max(rr, x);
        t = std::min(t, y);
        b = std::max(b, y);
      }
  ASSERT_GE(rr, 0);
  EXPECT_NEAR((l + rr) / 2.0, part.Width / 2.0, 3.0);
  EXPECT_NEAR((t + b) / 2.0, part.Height / 2.0, 4.0);

  // Premultiplied: no colour above its alpha, and the screen shows exactly
  // the picture over the panel.
  TBitmap32 pic;
  layer->BuildPicture(r.Width(), r.Height(), &pic);
  Integer partial = 0;
  for (Integer y = 0; y < pic.Height(); ++y)
    for (Integer x = 0; x < pic.Width(); ++x) {
      const TColor32 p = pic.Bits()[y * pic.Width() + x];
      const Cardinal a = p >> 24;
      for (int s : {0, 8, 16}) {
        const Cardinal c = (p >> s) & 0xFF;
        ASSERT_LE(c, a) << x << "," << y;
        const Cardinal under = (panel >> s) & 0xFF;
        const double expect = c + under * (255.0 - a) / 255.0;
        ASSERT_NEAR(double((at(x, y) >> s) & 0xFF), expect, 2.0) << x << "," << y;
      }
      if (a > 0 && a < 255) ++partial;
    }
  EXPECT_GT(partial, 50);  // the tip's soft edges
}

}  // namespace

}  // namespace t_u_quarn_drag_file_test
