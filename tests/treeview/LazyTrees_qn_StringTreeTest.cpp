// The string tree: text from events, paths, the width cache and what clears
// it, multi-line heights, the text drawing hooks, auto-spanned cells, and
// the published list with its form-file round trips.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/TreeStringSheet.h"
#include "platform/classes/FormText.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Forms.h"
#include "tests/common/Golden.h"
#include "tests/treeview/LazyTrees_qn_PublishedLists.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_string_tree_test {

using namespace qn;

namespace {

class TTextTree : public TLazyStringTree_qn {
  QN_CLASS(TTextTree, TLazyStringTree_qn)
 public:
  explicit TTextTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TCustomLazyStringTree_qn::AdjustPaintCellRect;
  using TCustomLazyStringTree_qn::DoGetNodeExtraWidth;
  using TCustomLazyStringTree_qn::DoGetNodeWidth;
  using TCustomLazyStringTree_qn::InvalidateNode;
  using TCustomLazyStringTree_qn::MainColumnChanged;
  // What the painter handed to the shortening: the text, the room and the
  // ellipsis width (0: measured anew in the canvas font).
  String DoShortenString(TCanvas* Canvas, PLazyNode Node, TColumnIndex Column, const String& S, Integer Width,
                         Integer EllipsisWidth) override {
    Shortened.push_back({S, EllipsisWidth});
    return inherited::DoShortenString(Canvas, Node, Column, S, Width, EllipsisWidth);
  }
  std::vector<std::pair<String, Integer>> Shortened;
};

struct TTarget {
  std::unique_ptr<TBitmap> B = std::make_unique<TBitmap>();
  TTarget(int w, int h) {
    B->SetPixelFormat(TPixelFormat::pf32bit);
    B->SetSize(w, h);
    B->Canvas()->Brush()->SetColor(clWhite);
    B->Canvas()->FillRect(TRect(0, 0, w, h));
  }
  uint32_t At(int x, int y) const { return static_cast<const uint32_t*>(B->ScanLine(y))[x] & 0xFFFFFF; }
  // Pixels darker than light grey in the rectangle: where text was drawn.
  int Ink(const TRect& R) const {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) {
        uint32_t p = At(x, y);
        if (((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) < 3 * 160) ++n;
      }
    return n;
  }
  bool Same(const TTarget& O) const {
    for (int y = 0; y < B->Height(); ++y)
      for (int x = 0; x < B->Width(); ++x)
        if (At(x, y) != O.At(x, y)) return false;
    return true;
  }
};

class LazyTrees_qn_StringTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetThemes();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 500, 400);
    T = MakeTree();
  }
  void TearDown() override {
    Form.reset();
    ResetThemes();
  }
  TTextTree* MakeTree() {
    auto* t = new TTextTree(Form.get());
    t->SetParent(Form.get());
    t->SetBounds(0, 0, 300, 200);
    t->Font()->SetName(u"DejaVu Sans");
    t->Font()->SetSize(9);
    t->SetColor(clWhite);
    return t;
  }
  void Paint(TTextTree* Tree, TTarget& Target) {
    Tree->PaintTree(Target.B->Canvas(), TRect(0, 0, Target.B->Width(), Target.B->Height()), TPoint(0, 0),
                    {poBackground, poDrawSelection, poDrawFocusRect});
  }
  // Texts by node index and column; counts every OnGetText call.
  void UseTexts(TTextTree* Tree, std::map<std::pair<Cardinal, TColumnIndex>, String> Texts) {
    FTexts = std::move(Texts);
    Tree->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, TVSTTextType Type,
                             String& Text) {
      ++GetTextCalls;
      if (Type == ttStatic) {
        Text = Static;
        return;
      }
      auto it = FTexts.find({Node->Index, Column});
      if (it != FTexts.end()) Text = it->second;
    });
  }
  std::unique_ptr<TForm> Form;
  TTextTree* T = nullptr;
  int GetTextCalls = 0;
  String Static;
  std::map<std::pair<Cardinal, TColumnIndex>, String> FTexts;
};

// Cells without a handler show the default text, static text stays empty,
// and paths run from the top-level node down, each text followed by the
// delimiter.
TEST_F(LazyTrees_qn_StringTree, TextsAndPaths) {
  T->SetRootNodeCount(2);
  PLazyNode first = T->GetFirst();
  EXPECT_EQ(T->Text(first, NoColumn), u"Node");
  EXPECT_EQ(T->StaticText(first, 0), u"");
  T->SetDefaultText(u"Item");
  EXPECT_EQ(T->Text(first->NextSibling, 3), u"Item");

  EXPECT_EQ(T->Path(nullptr, NoColumn, ttNormal, u'/'), u"/");
  EXPECT_EQ(T->Path(T->RootNode(), NoColumn, ttNormal, u'/'), u"/");
  T->SetChildCount(first, 1);
  PLazyNode child = first->FirstChild;
  T->SetOnGetText([](TBaseLazyTree_qn* Sender, PLazyNode Node, TColumnIndex, TVSTTextType Type, String& Text) {
    Text = (Type == ttNormal ? u"n" : u"s") + String(1, char16_t(u'0' + Node->Index)) +
           (Sender->GetNodeLevel(Node) == 0 ? u"" : u"c");
  });
  EXPECT_EQ(T->Path(first, NoColumn, ttNormal, u'\\'), u"n0\\");
  EXPECT_EQ(T->Path(child, NoColumn, ttStatic, u'|'), u"s0|s0c|");
  EXPECT_EQ(T->Text(child, 0), u"n0c");
  EXPECT_THROW(T->Text(nullptr, 0), EAssertionFailed);
  EXPECT_THROW(T->StaticText(nullptr, 0), EAssertionFailed);
}

// A node's main-column width is measured once and kept until the node is
// invalidated, re-initialized, given a new text, the main column changes or
// the font does; other columns are measured on every query.
TEST_F(LazyTrees_qn_StringTree, WidthCache) {
  auto* cols = T->Header()->Columns();
  cols->Add()->SetWidth(120);
  cols->Add()->SetWidth(80);
  T->SetRootNodeCount(3);
  UseTexts(T, {{{0, 0}, u"Alpha"}, {{0, 1}, u"Beta"}, {{1, 0}, u"Gamma"}});
  PLazyNode n = T->GetFirst();
  auto measuresOf = [&](TColumnIndex Column) {
    GetTextCalls = 0;
    T->DoGetNodeWidth(n, Column);
    return GetTextCalls;
  };
  Integer width = T->DoGetNodeWidth(n, 0);
  EXPECT_EQ(width, T->Canvas()->TextWidth(u"Alpha") + 2 * T->TextMargin());
  EXPECT_EQ(measuresOf(0), 0) << "cached";
  EXPECT_EQ(measuresOf(1), 1) << "not the main column";
  EXPECT_EQ(measuresOf(1), 1);

  T->InvalidateNode(n);
  EXPECT_EQ(measuresOf(0), 1);
  T->ReinitNode(n, false);
  EXPECT_EQ(measuresOf(0), 1);
  T->SetText(n, 0, u"New");
  EXPECT_EQ(measuresOf(0), 1);
  EXPECT_EQ(measuresOf(0), 0);

  T->Header()->SetMainColumn(1);
  EXPECT_EQ(measuresOf(1), 1) << "main column changed";
  EXPECT_EQ(measuresOf(1), 0);
  T->Header()->SetMainColumn(0);
  EXPECT_EQ(measuresOf(0), 1);
  Integer before = T->DoGetNodeWidth(n, 0);
  T->Font()->SetSize(18);
  EXPECT_EQ(measuresOf(0), 1) << "font changed";
  EXPECT_GT(T->DoGetNodeWidth(n, 0), before);

  // A multi-line cell is as wide as its column, without asking for text.
  T->SetMultiline(n, true);
  EXPECT_EQ(measuresOf(1), 0);
  EXPECT_EQ(T->DoGetNodeWidth(n, 1), 80);
  // A column that does not exist has no width to give: the text is measured.
  Integer missing = T->DoGetNodeWidth(n, 5);
  EXPECT_EQ(missing, 2 * T->TextMargin() + T->Canvas()->TextWidth(u"Node"));

  // An empty text measures the two margins alone; the handler may correct.
  UseTexts(T, {});
  T->SetDefaultText(u"");
  PLazyNode last = n->NextSibling->NextSibling;
  EXPECT_EQ(T->DoGetNodeWidth(last, 1), 2 * T->TextMargin());
  T->SetDefaultText(u"abc");
  T->SetOnMeasureTextWidth([](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex, const String&, Integer& Extent) {
    Extent = 100;
  });
  EXPECT_EQ(T->DoGetNodeWidth(last, 1), 100 + 2 * T->TextMargin());
}

// Static text is measured and painted only with toShowStaticText, and never
// in a centred tree or for a multi-line node.
TEST_F(LazyTrees_qn_StringTree, StaticText) {
  T->SetRootNodeCount(1);
  PLazyNode n = T->GetFirst();
  UseTexts(T, {{{0, NoColumn}, u"Main"}});
  Static = u"(static)";
  EXPECT_EQ(T->DoGetNodeExtraWidth(n, NoColumn), 0) << "off by default";
  TTarget off(300, 30);
  Paint(T, off);
  T->TreeOptions()->SetStringOptions(T->TreeOptions()->StringOptions() + TVTStringOptions{toShowStaticText});
  Integer extra = T->DoGetNodeExtraWidth(n, NoColumn);
  EXPECT_EQ(extra, T->Canvas()->TextWidth(u"(static)") + T->TextMargin());
  TTarget on(300, 30);
  Paint(T, on);
  Integer textRight = T->GetDisplayRect(n, NoColumn, true).Right;
  TRect beyond(textRight + 2, 0, 300, 18);
  EXPECT_EQ(off.Ink(beyond), 0);
  EXPECT_GT(on.Ink(beyond), 20) << "static text right of the normal text";

  T->SetAlignment(taCenter);
  EXPECT_EQ(T->DoGetNodeExtraWidth(n, NoColumn), 0);
  int calls = 0;
  T->SetOnPaintText([&](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex, TVSTTextType Type) {
    if (Type == ttStatic) ++calls;
  });
  TTarget centred(300, 30);
  Paint(T, centred);
  EXPECT_EQ(calls, 0) << "a centred tree neither measures nor paints static text";
  T->SetAlignment(taLeftJustify);
  T->SetMultiline(n, true);
  EXPECT_EQ(T->DoGetNodeExtraWidth(n, NoColumn), 0);
}

// Multi-line cells grow with their wrapped lines; painting centres the
// text block vertically.
TEST_F(LazyTrees_qn_StringTree, MultilineHeight) {
  T->Header()->Columns()->Add()->SetWidth(90);
  T->SetRootNodeCount(1);
  PLazyNode n = T->GetFirst();
  T->SetMultiline(n, true);
  Integer one = T->ComputeNodeHeight(T->Canvas(), n, 0, u"short");
  Integer three = T->ComputeNodeHeight(T->Canvas(), n, 0, u"one two three four five six seven");
  EXPECT_GT(one, 0);
  EXPECT_GE(three, 3 * one);
  T->Header()->Columns()->Items(0)->SetWidth(300);
  EXPECT_EQ(T->ComputeNodeHeight(T->Canvas(), n, 0, u"one two three four five six seven"), one);
  // Without S the cell's own text is measured.
  UseTexts(T, {{{0, 0}, u"alpha beta gamma delta epsilon zeta eta theta iota kappa lambda"}});
  EXPECT_GT(T->ComputeNodeHeight(T->Canvas(), n, 0), one);
}

// OnDrawText may take over: with DefaultDraw false nothing is drawn, and it
// is handed the cell's text and rectangle.
TEST_F(LazyTrees_qn_StringTree, DrawTextHook) {
  T->SetRootNodeCount(1);
  TTarget plain(300, 30);
  T->SetDefaultText(u"");
  Paint(T, plain);
  T->SetDefaultText(u"Some caption");
  TTarget drawn(300, 30);
  Paint(T, drawn);
  EXPECT_FALSE(drawn.Same(plain));
  String seen;
  TRect where;
  T->SetOnDrawText([&](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex, const String& Text, const TRect& R,
                      bool& DefaultDraw) {
    seen = Text;
    where = R;
    DefaultDraw = false;
  });
  TTarget skipped(300, 30);
  Paint(T, skipped);
  EXPECT_TRUE(skipped.Same(plain));
  EXPECT_EQ(seen, u"Some caption");
  EXPECT_EQ(where.Height(), Integer(T->DefaultNodeHeight()));
}

// A caption wider than its column is shortened with the tree's ellipsis
// width, unless OnPaintText switched the font: then it is measured anew.
TEST_F(LazyTrees_qn_StringTree, EllipsisFollowsPaintTextFont) {
  T->Header()->Columns()->Add()->SetWidth(90);
  T->Header()->Columns()->Add()->SetWidth(90);
  T->SetRootNodeCount(1);
  UseTexts(T, {{{0, 1}, u"A caption far too long for its column"}});
  TTarget a(200, 20);
  Paint(T, a);
  ASSERT_EQ(T->Shortened.size(), 1u);
  EXPECT_EQ(T->Shortened[0].second, T->EllipsisWidth());
  EXPECT_GT(T->EllipsisWidth(), 0);
  T->Shortened.clear();
  T->SetOnPaintText([](TBaseLazyTree_qn*, TCanvas* Canvas, PLazyNode, TColumnIndex, TVSTTextType) {
    Canvas->Font()->SetSize(14);
  });
  TTarget b(200, 20);
  Paint(T, b);
  ASSERT_EQ(T->Shortened.size(), 1u);
  EXPECT_EQ(T->Shortened[0].second, 0) << "measured in the handler's font";
  // A handler of OnShortenString replaces the built-in shortening.
  T->SetOnShortenString([](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex, const String&, Integer,
                          String& Result, bool& Done) {
    Result = u"X";
    Done = true;
  });
  T->SetOnDrawText([](TBaseLazyTree_qn*, TCanvas*, PLazyNode, TColumnIndex Column, const String& Text, const TRect&,
                     bool&) {
    if (Column == 1) {
      EXPECT_EQ(Text, u"X");
    }
  });
  TTarget c(200, 20);
  Paint(T, c);
}

// With toAutoSpanColumns a cell takes in the following visible columns
// while they are empty and left to right; the walk stops at the first one
// with text.
TEST_F(LazyTrees_qn_StringTree, AutoSpanColumns) {
  auto* cols = T->Header()->Columns();
  for (Integer w : {100, 50, 60, 70}) cols->Add()->SetWidth(w);
  T->SetRootNodeCount(1);
  PLazyNode n = T->GetFirst();
  UseTexts(T, {{{0, 0}, u"wide"}, {{0, 2}, u"c"}});
  T->SetDefaultText(u"");
  TVTPaintInfo info;
  info.Node = n;
  info.Column = 0;
  info.CellRect = TRect(0, 0, 100, 18);
  TColumnIndex next = NoColumn;
  T->AdjustPaintCellRect(info, next);
  EXPECT_EQ(info.CellRect.Right, 100) << "off by default";
  EXPECT_EQ(next, 1);
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoSpanColumns});
  T->AdjustPaintCellRect(info, next);
  EXPECT_EQ(info.CellRect.Right, 150) << "over the empty column 1 only";
  EXPECT_EQ(next, 2);
  info.Column = 2;
  info.CellRect = TRect(150, 0, 210, 18);
  T->AdjustPaintCellRect(info, next);
  EXPECT_EQ(info.CellRect.Right, 280) << "the empty last column";
  EXPECT_EQ(next, InvalidColumn);
  cols->Items(3)->SetBiDiMode(bdRightToLeft);
  info.CellRect = TRect(150, 0, 210, 18);
  T->AdjustPaintCellRect(info, next);
  EXPECT_EQ(info.CellRect.Right, 210) << "a right-to-left column stops the walk";
}

// Incremental search compares the focused column's text from its start,
// case-sensitively, unless a handler decides.
TEST_F(LazyTrees_qn_StringTree, IncrementalSearchAndHints) {
  T->SetRootNodeCount(1);
  PLazyNode n = T->GetFirst();
  UseTexts(T, {{{0, NoColumn}, u"Documents"}});
  EXPECT_EQ(T->DoIncrementalSearch(n, u"Doc"), 0);
  EXPECT_EQ(T->DoIncrementalSearch(n, u"doc"), 1);
  EXPECT_EQ(T->DoIncrementalSearch(n, u"Documents and more"), 1);
  T->OnIncrementalSearch = [](TBaseLazyTree_qn*, PLazyNode, const String&, Integer& Result) { Result = 0; };
  EXPECT_EQ(T->DoIncrementalSearch(n, u"xyz"), 0);

  TVTTooltipLineBreakStyle style = hlbDefault;
  EXPECT_EQ(T->DoGetNodeTooltip(n, NoColumn, style), u"Documents") << "the cell text without a handler";
  EXPECT_EQ(T->DoGetNodeHint(n, NoColumn, style), u"");
  T->SetOnGetHint([](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, TVTTooltipLineBreakStyle& S, String& Hint) {
    Hint = u"hint";
    S = hlbForceMultiLine;
  });
  EXPECT_EQ(T->DoGetNodeTooltip(n, NoColumn, style), u"hint");
  EXPECT_EQ(style, hlbForceMultiLine);
}

// --- Published metadata and form files

// Reads a text form into Tree, as text or converted to the binary form.
void LoadForm(TComponent* Tree, const std::string& Text, bool Binary) {
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

TEST_F(LazyTrees_qn_StringTree, PublishedLists) {
  EXPECT_EQ(publishedlists::OwnNames(T, TLazyStringTree_qn::StaticClass(), false), publishedlists::StringTreeProperties());
  EXPECT_EQ(publishedlists::OwnNames(T, TLazyStringTree_qn::StaticClass(), true), publishedlists::StringTreeEvents());
  EXPECT_EQ(T->TreeOptions()->ClassType(), TStringTreeOptions::StaticClass());
  EXPECT_EQ(T->TreeOptions()->StringOptions(), (TVTStringOptions{toSaveCaptions, toAutoAcceptEditChange}));
}

// Every writable ordinal, set and string property of the tree and its
// options gets a value other than its default; the tree written in text
// and binary form reads back equal.
TEST_F(LazyTrees_qn_StringTree, EveryPropertyRoundTrips) {
  T->SetName(u"Tree");
  T->SetParentFont(false);
  T->SetParentColor(false);
  T->SetParentShowHint(false);
  T->SetParentCtl3D(false);
  T->SetParentBiDiMode(false);
  std::vector<std::pair<TObject*, const TPropInfo*>> changed;
  auto changeAll = [&](TObject* Object) {
    for (const TPropInfo* p : GetPropInfos(Object)) {
      if (!p->IsWritable() || p->Name().starts_with(u"Parent") || p->Name() == u"DefaultText" ||
          p->Name() == u"Name")
        continue;
      switch (p->Kind()) {
        case tkInteger: {
          Int64 v = p->HasDefault() ? p->Default() + 3 : 7;
          if (p->Name() == u"TabOrder" || p->Name() == u"NodeDataSize") continue;  // taken from elsewhere
          if (p->Name() == u"SelectionBlendFactor") v = 99;
          if (p->Name() == u"AutoScrollInterval") v = 40;
          if (p->Name().find(u"Cursor") != String::npos) v = -3;
          if (p->Name() == u"Color") v = 0x00336699;
          p->SetValue(Object, TPropValue::FromOrdinal(v));
          break;
        }
        case tkEnumeration: {
          Int64 v = p->HasDefault() ? (p->Default() + 1) % (p->PropType().MaxValue + 1) : 1;
          if (p->Name() == u"Align" || p->Name() == u"DragKind" || p->Name() == u"Visible") continue;
          p->SetValue(Object, TPropValue::FromOrdinal(v));
          break;
        }
        case tkSet: {
          Int64 v = p->HasDefault() ? p->Default() ^ 1 : 1;
          if (p->Name() == u"Anchors") continue;
          p->SetValue(Object, TPropValue::FromOrdinal(v));
          break;
        }
        case tkUString: p->SetValue(Object, TPropValue::FromString(u"text of " + p->Name())); break;
        default: continue;
      }
      changed.push_back({Object, p});
    }
  };
  changeAll(T);
  changeAll(T->TreeOptions());
  changeAll(T->ScrollBarOptions());
  T->SetDefaultText(u"Unnamed");
  T->SetRootNodeCount(0);
  ASSERT_GT(changed.size(), 60u);
  std::string text = ComponentToText(T);
  T->SetName(u"Written");  // the copies read the name
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "text");
    TTextTree* b = MakeTree();
    LoadForm(b, text, binary);
    for (auto& [object, p] : changed) {
      TObject* mirror = object == T                       ? static_cast<TObject*>(b)
                        : object == T->TreeOptions()      ? static_cast<TObject*>(b->TreeOptions())
                                                          : static_cast<TObject*>(b->ScrollBarOptions());
      TPropValue x = p->GetValue(object), y = p->GetValue(mirror);
      EXPECT_EQ(x.Ordinal, y.Ordinal) << ToUtf8(p->Name());
      EXPECT_EQ(x.Str, y.Str) << ToUtf8(p->Name());
    }
    EXPECT_EQ(b->DefaultText(), u"Unnamed");
    delete b;
  }
  EXPECT_NE(text.find("WideDefaultText = 'Unnamed'"), std::string::npos) << text;
  EXPECT_EQ(text.find("  DefaultText"), std::string::npos);
}

// The default text is written only when changed, under its old name; an
// old string option set loads into the new options.
TEST_F(LazyTrees_qn_StringTree, DefaultTextAndOldStringOptions) {
  T->SetName(u"Tree");
  EXPECT_EQ(ComponentToText(T).find("WideDefaultText"), std::string::npos);
  T->SetName(u"Written");
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "text");
    std::string form =
        "object Tree: TTextTree\r\n  StringOptions = [soShowStaticText, soUnknown]\r\n"
        "  WideDefaultText = 'Old'\r\n  RootNodeCount = 2\r\nend\r\n";
    TTextTree* b = MakeTree();
    LoadForm(b, form, binary);
    EXPECT_EQ(b->TreeOptions()->StringOptions(), TVTStringOptions{toShowStaticText});
    EXPECT_EQ(b->DefaultText(), u"Old");
    EXPECT_EQ(b->RootNodeCount(), 2u);
    delete b;
  }
}

TEST_F(LazyTrees_qn_StringTree, GallerySheetMatchesItsGoldenImage) {
  auto sheet = gallery::TTreeStringSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-string", 8,
                              gallery::TTreeStringSheet::kWidth * gallery::TTreeStringSheet::kHeight / 200);
}

}  // namespace

}  // namespace t_lazy_trees_qn_string_tree_test
