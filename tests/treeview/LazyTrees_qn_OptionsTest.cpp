#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/FormText.h"
#include "platform/rtl/Kernel.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Themes.h"
#include "tests/treeview/LazyTreeTestSupport.h"

namespace t_lazy_trees_qn_options_test {

using namespace treetest;

namespace {

// A tree as a form file sees it: the published options class and the few
// published properties the node model has so far.
class TOptTree : public TBaseLazyTree_qn {
  QN_CLASS_CREATE(TOptTree, TBaseLazyTree_qn, TComponent)
 public:
  explicit TOptTree(TComponent* AOwner) : TBaseLazyTree_qn(AOwner) {}
  TTreeOptionsClass GetOptionsClass() const override { return TLazyTreeOptions::StaticClass(); }
  using TBaseLazyTree_qn::CreateParams;
  void Invalidate() override {
    ++Invalidates;
    inherited::Invalidate();
  }
  int Invalidates = 0;

  QN_PUBLISHED(TOptTree) {
    P.Property(u"TreeOptions", &TOptTree::TreeOptions, &TOptTree::SetOptions);
    QN_PROP(NodeDataSize).Default(-1);
    QN_PROP(RootNodeCount).Default(0);
    QN_PROP(ChangeDelay).Default(0);
  }
};

std::string Lines(std::initializer_list<const char*> L) {
  std::string s;
  for (const char* l : L) s += std::string(l) + "\r\n";
  return s;
}

// Reads a text form into Tree, either as text or converted to the binary
// form first.
void LoadForm(TOptTree* Tree, const std::string& Text, bool Binary) {
  if (!Binary) {
    TextToComponent(Text, Tree);
    return;
  }
  TMemoryStream in, bin;
  in.WriteBuffer(Text.data(), Integer(Text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &bin);
  bin.SetPosition(0);
  bin.ReadComponent(Tree);
}

class LazyTrees_qn_Options : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    ClearThemeCallLog();
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override {
    delete Form;
    ResetThemes();
    ResetPlatformVersion();
  }
  TOptTree* MakeTree(bool Window) {
    auto* t = new TOptTree(Form);
    if (Window) {
      t->SetParent(Form);
      t->SetBounds(0, 0, 300, 200);
      Form->Show();
      t->HandleNeeded();
    }
    return t;
  }
  static int ThemeCalls(const char16_t* Function) {
    int n = 0;
    for (const TThemeCall& c : ThemeCallLog()) n += c.Function == Function;
    return n;
  }
  TForm* Form = nullptr;
};

TEST_F(LazyTrees_qn_Options, DefaultsReadOnlyAndFixedIndent) {
  TOptTree* t = MakeTree(false);
  TCustomLazyTreeOptions* o = t->TreeOptions();
  EXPECT_EQ(o->ClassType(), TLazyTreeOptions::StaticClass());
  EXPECT_EQ(o->PaintOptions().Bits(), 7008u);
  EXPECT_EQ(o->AnimationOptions().Bits(), 0u);
  EXPECT_EQ(o->AutoOptions().Bits(), 1369u);
  EXPECT_EQ(o->SelectionOptions().Bits(), 0u);
  EXPECT_EQ(o->MiscOptions().Bits(), 16809u);
  EXPECT_EQ(o->ExportMode(), emAll);

  EXPECT_NE(t->AddChild(nullptr), nullptr);
  TVTMiscOptions misc = o->MiscOptions();
  o->SetMiscOptions(misc + TVTMiscOptions{toReadOnly});
  EXPECT_EQ(t->AddChild(nullptr), nullptr);
  EXPECT_EQ(t->RootNodeCount(), 1u);

  TVTPaintOptions paint = o->PaintOptions();
  paint.Exclude(toShowRoot);
  o->SetPaintOptions(paint);
  EXPECT_FALSE(o->PaintOptions().Contains(toShowRoot));
  o->SetPaintOptions(paint + TVTPaintOptions{toFixedIndent});
  EXPECT_TRUE(o->PaintOptions().Contains(toShowRoot));
}

// Filtered nodes take room exactly while the option shows them; the
// counters moved by the option equal a recomputation from scratch, with
// and without a window (the window brackets the walk in a batch).
TEST_F(LazyTrees_qn_Options, ShowFilteredNodesMovesCountsAndHeights) {
  for (bool window : {false, true}) {
    TOptTree* t = MakeTree(window);
    t->SetRootNodeCount(6);
    PLazyNode a = t->GetFirst();
    t->SetChildCount(a, 3);
    t->SetExpanded(a, true);
    PLazyNode f1 = t->GetNext(a);            // first child of a
    PLazyNode f2 = t->GetNextSibling(a);     // second root node
    PLazyNode hidden = t->GetLastChild(a);   // filtered but not visible
    t->SetNodeHeight(f1, 25);
    t->SetVisible(hidden, false);
    for (PLazyNode n : {f1, f2, hidden}) t->SetFiltered(n, true);
    ExpectConsistent(t, "filtered");
    Cardinal count = t->VisibleCount(), height = t->RootNode()->TotalHeight;

    TCustomLazyTreeOptions* o = t->TreeOptions();
    o->SetPaintOptions(o->PaintOptions() + TVTPaintOptions{toShowFilteredNodes});
    EXPECT_EQ(t->VisibleCount(), count + 2);
    EXPECT_EQ(t->RootNode()->TotalHeight, height + 25 + t->DefaultNodeHeight());
    ExpectConsistent(t, "shown");
    o->SetPaintOptions(o->PaintOptions() - TVTPaintOptions{toShowFilteredNodes});
    EXPECT_EQ(t->VisibleCount(), count);
    EXPECT_EQ(t->RootNode()->TotalHeight, height);
    ExpectConsistent(t, "hidden again");
    EXPECT_EQ(t->UpdateCount(), 0u);
    delete t;
  }
}

TEST_F(LazyTrees_qn_Options, FormsLoadRootCountAndReadOnly) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "text");
    std::unique_ptr<TOptTree> t(new TOptTree(nullptr));
    int inits = 0;
    t->OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode, TLazyNodeInitStates&) { ++inits; };
    LoadForm(t.get(),
             Lines({"object Tree: TOptTree", "  TreeOptions.MiscOptions = [toReadOnly, toWheelPanning]",
                    "  TreeOptions.PaintOptions = [toShowRoot, toShowFilteredNodes]",
                    "  TreeOptions.ExportMode = emChecked", "  NodeDataSize = 8", "  RootNodeCount = 5",
                    "  ChangeDelay = 30", "end"}),
             binary);
    EXPECT_EQ(t->RootNodeCount(), 5u);
    EXPECT_EQ(t->RootNode()->TotalCount, 6u);
    EXPECT_EQ(t->VisibleCount(), 5u);
    EXPECT_EQ(inits, 0) << "the loaded nodes stay uninitialized";
    EXPECT_FALSE(t->TreeStates().Contains(tsNeedRootCountUpdate));
    TCustomLazyTreeOptions* o = t->TreeOptions();
    EXPECT_EQ(o->MiscOptions(), (TVTMiscOptions{toReadOnly, toWheelPanning}));
    EXPECT_EQ(o->PaintOptions(), (TVTPaintOptions{toShowRoot, toShowFilteredNodes}));
    EXPECT_EQ(o->ExportMode(), emChecked);
    EXPECT_EQ(t->NodeDataSize(), 8);
    EXPECT_EQ(t->ChangeDelay(), 30u);
    EXPECT_EQ(t->AddChild(nullptr), nullptr) << "still read-only";
    ExpectConsistent(t.get(), "loaded");
  }
}

// What a tree writes it reads back: every set through its name table, the
// defaults left out.
TEST_F(LazyTrees_qn_Options, FormRoundTrip) {
  std::unique_ptr<TOptTree> a(new TOptTree(nullptr));
  a->SetName(u"Tree");
  TCustomLazyTreeOptions* o = a->TreeOptions();
  o->SetPaintOptions({toHotTrack, toShowFilteredNodes, toHideTreeLinesIfThemed});
  o->SetAnimationOptions({toAdvancedAnimatedToggle});
  o->SetAutoOptions({toAutoBidiColumnOrdering, toAutoExpand});
  o->SetSelectionOptions({toSimpleDrawSelection, toMultiSelect});
  o->SetMiscOptions({toReverseFullExpandHotKey, toAcceptOLEDrop});
  o->SetExportMode(emUnchecked);
  a->SetRootNodeCount(3);
  std::string text = ComponentToText(a.get());
  EXPECT_NE(text.find("toReverseFullExpandHotKey"), std::string::npos) << text;

  std::unique_ptr<TOptTree> b(new TOptTree(nullptr));
  TextToComponent(text, b.get());
  TCustomLazyTreeOptions* p = b->TreeOptions();
  EXPECT_EQ(p->PaintOptions(), o->PaintOptions());
  EXPECT_EQ(p->AnimationOptions(), o->AnimationOptions());
  EXPECT_EQ(p->AutoOptions(), o->AutoOptions());
  EXPECT_EQ(p->SelectionOptions(), o->SelectionOptions());
  EXPECT_EQ(p->MiscOptions(), o->MiscOptions());
  EXPECT_EQ(p->ExportMode(), emUnchecked);
  EXPECT_EQ(b->RootNodeCount(), 3u);

  std::unique_ptr<TOptTree> fresh(new TOptTree(nullptr));
  fresh->SetName(u"Tree");
  EXPECT_EQ(ComponentToText(fresh.get()).find("TreeOptions"), std::string::npos) << "defaults are not written";
}

// An old single option set is spread over the five new sets by name;
// unknown names are skipped and a value that is no set is read past.
TEST_F(LazyTrees_qn_Options, OldOptionsProperty) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "text");
    std::unique_ptr<TOptTree> t(new TOptTree(nullptr));
    LoadForm(t.get(),
             Lines({"object Tree: TOptTree",
                    "  Options = [voAcceptOLEDrop, voAnimatedToggle, voAutoSort, voFullRowSelect, voShowRoot,",
                    "    voNoSuchOption, voEditable, voHotTrack, voSiblingSelectConstraint]",
                    "  RootNodeCount = 2", "end"}),
             binary);
    TCustomLazyTreeOptions* o = t->TreeOptions();
    EXPECT_EQ(o->MiscOptions(), (TVTMiscOptions{toAcceptOLEDrop, toEditable}));
    EXPECT_EQ(o->AnimationOptions(), TVTAnimationOptions{toAnimatedToggle});
    EXPECT_EQ(o->AutoOptions(), TVTAutoOptions{toAutoSort});
    EXPECT_EQ(o->SelectionOptions(), (TVTSelectionOptions{toFullRowSelect, toSiblingSelectConstraint}));
    EXPECT_EQ(o->PaintOptions(), (TVTPaintOptions{toShowRoot, toHotTrack}));
    EXPECT_EQ(t->RootNodeCount(), 2u);

    // Not a set: the rest of the form loads and the options keep their
    // defaults.
    std::unique_ptr<TOptTree> u(new TOptTree(nullptr));
    LoadForm(u.get(),
             Lines({"object Tree: TOptTree", "  Options = 12", "  RootNodeCount = 4", "  ChangeDelay = 7", "end"}),
             binary);
    EXPECT_EQ(u->RootNodeCount(), 4u);
    EXPECT_EQ(u->ChangeDelay(), 7u);
    EXPECT_EQ(u->TreeOptions()->PaintOptions(), DefaultPaintOptions);
    EXPECT_EQ(u->TreeOptions()->MiscOptions(), DefaultMiscOptions);
  }
}

TEST_F(LazyTrees_qn_Options, CreateParamsStyles) {
  TOptTree* t = MakeTree(false);
  t->SetParent(Form);
  const TScrollStyle bars[] = {ssNone, TScrollStyle::ssHorizontal, ssVertical, ssBoth};
  const DWORD barBits[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  for (int b = 0; b < 4; ++b)
    for (TBorderStyle border : {bsNone, bsSingle})
      for (bool ctl3d : {false, true}) {
        SCOPED_TRACE(testing::Message() << "bars " << b << " border " << int(border) << " 3d " << ctl3d);
        t->ScrollBarOptions()->SetScrollBars(bars[b]);
        t->SetBorderStyle(border);
        t->SetCtl3D(ctl3d);
        TCreateParams p;
        t->CreateParams(p);
        EXPECT_EQ(p.Style & (WS_HSCROLL | WS_VSCROLL), barBits[b]);
        EXPECT_EQ(p.Style & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS), DWORD(WS_CLIPCHILDREN | WS_CLIPSIBLINGS));
        bool single = border == bsSingle;
        EXPECT_EQ((p.Style & WS_BORDER) != 0, single && !ctl3d);
        EXPECT_EQ((p.ExStyle & WS_EX_CLIENTEDGE) != 0, single && ctl3d);
        EXPECT_EQ(p.WindowClass.style & (CS_HREDRAW | CS_VREDRAW), UINT(CS_HREDRAW | CS_VREDRAW));
        EXPECT_EQ(p.ExStyle & (WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT), 0u);
      }
  t->SetBiDiMode(bdRightToLeft);
  TCreateParams p;
  t->CreateParams(p);
  EXPECT_EQ(p.ExStyle & (WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT),
            DWORD(WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT));
}

TEST_F(LazyTrees_qn_Options, FullRepaintOnResizeRecreatesTheWindow) {
  TOptTree* t = MakeTree(true);
  HWND before = t->Handle();
  EXPECT_EQ(GetClassLongPtrW(before, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), ULONG_PTR(CS_HREDRAW | CS_VREDRAW));
  TCustomLazyTreeOptions* o = t->TreeOptions();
  o->SetMiscOptions(o->MiscOptions() - TVTMiscOptions{toFullRepaintOnResize});
  HWND after = t->Handle();
  EXPECT_NE(after, before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(GetClassLongPtrW(after, GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW), 0u);
  o->SetMiscOptions(o->MiscOptions() + TVTMiscOptions{toFullRepaintOnResize});
  EXPECT_NE(t->Handle(), after);
  EXPECT_EQ(GetClassLongPtrW(t->Handle(), GCL_STYLE) & (CS_HREDRAW | CS_VREDRAW),
            ULONG_PTR(CS_HREDRAW | CS_VREDRAW));
  // Other options leave the window alone.
  HWND same = t->Handle();
  o->SetMiscOptions(o->MiscOptions() + TVTMiscOptions{toCheckSupport, toEditable});
  EXPECT_EQ(t->Handle(), same);
}

// Window creation takes the theme states from the theme services, and the
// explorer look only on systems of version 6 or later.
TEST_F(LazyTrees_qn_Options, CreateWndThemeStates) {
  struct Case {
    TThemeMode Mode;
    DWORD Major;
    bool Explorer;
    bool Themes, ExplorerState;
    int SetThemeCalls;
  };
  const Case cases[] = {
      {TThemeMode::Absent, 10, true, false, false, 0},  {TThemeMode::Present, 10, false, true, false, 0},
      {TThemeMode::Present, 10, true, true, true, 1},   {TThemeMode::Trimmed, 6, true, true, true, 1},
      {TThemeMode::Present, 5, true, true, false, 0},   {TThemeMode::Trimmed, 10, false, true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << int(c.Mode) << " version " << c.Major << " explorer "
                                    << c.Explorer);
    SetThemeMode(c.Mode);
    SetPlatformVersion(c.Major, 1);
    ClearThemeCallLog();
    TOptTree* t = MakeTree(false);
    if (c.Explorer) t->TreeOptions()->SetPaintOptions(DefaultPaintOptions + TVTPaintOptions{toUseExplorerTheme});
    t->SetParent(Form);
    Form->Show();
    t->HandleNeeded();
    EXPECT_EQ(t->TreeStates().Contains(tsUseThemes), c.Themes);
    EXPECT_EQ(t->TreeStates().Contains(tsUseExplorerTheme), c.ExplorerState);
    EXPECT_FALSE(t->TreeStates().Contains(tsWindowCreating));
    EXPECT_EQ(ThemeCalls(u"SetWindowTheme"), c.SetThemeCalls);
    delete t;
  }
  // Not theme-aware: no theme states at all.
  SetThemeMode(TThemeMode::Present);
  TOptTree* t = MakeTree(false);
  t->TreeOptions()->SetPaintOptions(DefaultPaintOptions - TVTPaintOptions{toThemeAware});
  t->SetParent(Form);
  t->HandleNeeded();
  EXPECT_FALSE(t->TreeStates().Contains(tsUseThemes));

  // Switching the explorer look on a themed window applies it and takes
  // it away again.
  TOptTree* u = MakeTree(true);
  ClearThemeCallLog();
  TCustomLazyTreeOptions* o = u->TreeOptions();
  o->SetPaintOptions(o->PaintOptions() + TVTPaintOptions{toUseExplorerTheme});
  EXPECT_TRUE(u->TreeStates().Contains(tsUseExplorerTheme));
  o->SetPaintOptions(o->PaintOptions() - TVTPaintOptions{toUseExplorerTheme});
  EXPECT_FALSE(u->TreeStates().Contains(tsUseExplorerTheme));
  EXPECT_EQ(ThemeCalls(u"SetWindowTheme"), 2);
  // Dropping theme awareness leaves the themed state.
  o->SetPaintOptions(o->PaintOptions() - TVTPaintOptions{toThemeAware});
  EXPECT_FALSE(u->TreeStates().Contains(tsUseThemes));
  o->SetPaintOptions(o->PaintOptions() + TVTPaintOptions{toThemeAware});
  EXPECT_TRUE(u->TreeStates().Contains(tsUseThemes));
}

TEST_F(LazyTrees_qn_Options, NotificationOfFreedImageLists) {
  TOptTree* t = MakeTree(true);
  auto* images = new TImageList(Form);
  auto* states = new TImageList(Form);
  auto* checks = new TImageList(Form);
  t->SetImages(images);
  t->SetStateImages(states);
  t->SetCustomCheckImages(checks);
  t->SetCheckImageKind(ckCustom);

  t->Invalidates = 0;
  delete images;
  EXPECT_EQ(t->Images(), nullptr);
  EXPECT_GT(t->Invalidates, 0);
  EXPECT_EQ(t->StateImages(), states);

  t->Invalidates = 0;
  delete checks;
  EXPECT_EQ(t->CustomCheckImages(), nullptr);
  EXPECT_EQ(t->CheckImageKind(), ckSystemDefault);
  EXPECT_GT(t->Invalidates, 0);

  // A change of a list still referenced repaints; one no longer referenced
  // is not listened to.
  auto* other = new TImageList(Form);
  t->SetImages(other);
  t->SetImages(nullptr);
  t->Invalidates = 0;
  other->SetBkColor(clRed);
  EXPECT_EQ(t->Invalidates, 0);
  states->SetBkColor(clRed);
  EXPECT_GT(t->Invalidates, 0);

  // The tree going first leaves the list without a dangling client.
  delete t;
  states->SetBkColor(clBlue);
}

TEST_F(LazyTrees_qn_Options, AssignBetweenTrees) {
  std::unique_ptr<TOptTree> src(new TOptTree(nullptr));
  auto* images = new TImageList(Form);
  src->SetNodeDataSize(12);
  src->SetRootNodeCount(4);
  src->SetImages(images);
  src->SetChangeDelay(40);
  src->SetDefaultNodeHeight(22);
  src->SetBorderStyle(bsNone);
  src->SetCheckImageKind(ckFlat);
  src->ScrollBarOptions()->SetScrollBars(ssVertical);
  src->TreeOptions()->SetSelectionOptions({toMultiSelect, toFullRowSelect});
  src->TreeOptions()->SetExportMode(emChecked);

  TOptTree* dst = MakeTree(true);
  int inits = 0;
  dst->OnInitNode = [&](TBaseLazyTree_qn*, PLazyNode, PLazyNode, TLazyNodeInitStates&) { ++inits; };
  dst->SetRootNodeCount(4);
  for (PLazyNode n = dst->GetFirst(); n; n = dst->GetNext(n)) {}
  EXPECT_EQ(inits, 4);
  inits = 0;
  dst->Assign(src.get());
  EXPECT_EQ(dst->NodeDataSize(), 12);
  EXPECT_EQ(dst->ChangeDelay(), 40u);
  EXPECT_EQ(dst->DefaultNodeHeight(), 22u);
  EXPECT_EQ(dst->Images(), images);
  EXPECT_EQ(dst->BorderStyle(), bsNone);
  EXPECT_EQ(dst->CheckImageKind(), ckFlat);
  EXPECT_EQ(dst->ScrollBarOptions()->ScrollBars(), ssVertical);
  EXPECT_EQ(dst->TreeOptions()->SelectionOptions(), (TVTSelectionOptions{toMultiSelect, toFullRowSelect}));
  EXPECT_EQ(dst->TreeOptions()->ExportMode(), emAll) << "the export mode is not copied";
  EXPECT_EQ(dst->RootNodeCount(), 4u);
  // Fresh nodes: any initialized one was initialized by this tree's own
  // handler afterwards (the scroll range measures the nodes in view).
  int initialized = 0;
  for (PLazyNode n = dst->RootNode()->FirstChild; n; n = n->NextSibling)
    initialized += n->States.Contains(vsInitialized);
  EXPECT_EQ(inits, initialized) << "fresh nodes";
  ExpectConsistent(dst, "assigned");

  // A read-only tree takes nothing.
  std::unique_ptr<TOptTree> ro(new TOptTree(nullptr));
  ro->TreeOptions()->SetMiscOptions({toReadOnly});
  ro->Assign(src.get());
  EXPECT_EQ(ro->RootNodeCount(), 0u);
  EXPECT_EQ(ro->ChangeDelay(), 0u);
}

// Assigning options runs the destination's side effects on its own tree.
TEST_F(LazyTrees_qn_Options, AssignToRunsDestinationSideEffects) {
  TOptTree* a = MakeTree(false);
  a->SetRootNodeCount(3);
  PLazyNode first = a->GetFirst();
  a->SetFiltered(first, true);
  Cardinal visible = a->VisibleCount();
  TOptTree* b = MakeTree(false);
  b->TreeOptions()->SetPaintOptions(DefaultPaintOptions + TVTPaintOptions{toShowFilteredNodes, toFixedIndent} -
                                    TVTPaintOptions{toShowRoot});
  a->SetOptions(b->TreeOptions());
  EXPECT_EQ(a->VisibleCount(), visible + 1);
  EXPECT_TRUE(a->TreeOptions()->PaintOptions().Contains(toShowRoot));
  ExpectConsistent(a, "after assigning options");
}

}  // namespace

}  // namespace t_lazy_trees_qn_options_test
