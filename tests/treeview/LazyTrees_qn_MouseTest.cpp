// Mouse handling of the lazy tree: hit classes of every pixel against the
// layout, scripted presses, drags and double clicks through the input driver
// on the virtual clock, hot tracking and cursors, and rubber-band selection.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "examples/gallery/TreeMouseSheet.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ControlMessages.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "tests/common/Golden.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_mouse_test {

using namespace qn;

namespace {

class TMouseTree : public TLazyStringTree_qn {
  QN_CLASS(TMouseTree, TLazyStringTree_qn)
 public:
  explicit TMouseTree(TComponent* AOwner) : TLazyStringTree_qn(AOwner) {}
  using TBaseLazyTree_qn::DoGetNodeWidth;
  using TBaseLazyTree_qn::DoStateChange;
  using TBaseLazyTree_qn::FDragThreshold;
  using TBaseLazyTree_qn::FHeightTrackNode;
  using TBaseLazyTree_qn::FHotNodeButtonHit;
  using TBaseLazyTree_qn::FNewSelRect;
  using TBaseLazyTree_qn::FPlusBM;
  int Popups = 0, Draggings = 0, Edits = 0;
  PLazyNode PopupNode = nullptr;
  bool Editable = false;
  PLazyNode HotNode() const { return FCurrentHotNode; }
  void DoPopupMenu(PLazyNode Node, TColumnIndex Column, TPoint Position) override {
    ++Popups;
    PopupNode = Node;
    TLazyStringTree_qn::DoPopupMenu(Node, Column, Position);
  }
  // Counts drag starts only: the drag loop itself is the drag tests' matter.
  void DoDragging(TPoint) override {
    ++Draggings;
    DoStateChange({}, {tsOLEDragPending, tsClearPending});
  }
  bool CanEdit(PLazyNode, TColumnIndex) override { return Editable; }
  void DoEdit() override {
    ++Edits;
    TLazyStringTree_qn::DoEdit();
  }
};

class MouseFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetVirtualClock(true);
    ResetInput();
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 520, 420);
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 330, 100, 22);
    T = new TMouseTree(Form);
    T->SetParent(Form);
    T->SetBounds(10, 10, 400, 300);
    T->SetColor(clWhite);
    T->Font()->SetName(u"DejaVu Sans");
    T->Font()->SetSize(9);
    T->SetOnGetText([this](TBaseLazyTree_qn*, PLazyNode Node, TColumnIndex Column, TVSTTextType, String& Text) {
      Text = Caption(Node, Column);
    });
    Form->Show();
    T->HandleNeeded();
    Pump();
  }
  void TearDown() override {
    ResetInput();
    delete Form;
    ResetSystemSettings();
  }
  static void Pump() { Application->ProcessMessages(); }
  // Lets Ms pass on the virtual clock, dispatching what falls due.
  static void Run(DWORD Ms) {
    for (DWORD t = 0; t < Ms; t += 10) {
      AdvanceClock(10);
      Pump();
    }
  }
  virtual String Caption(PLazyNode Node, TColumnIndex Column) {
    if (Column > 0) return u"c" + IntToStr(Integer(Column));
    return u"Node " + IntToStr(Integer(T->AbsoluteIndex(Node)));
  }
  TPoint ScreenOf(TPoint Client) { return T->ClientToScreen(Client); }
  void MoveTo(TPoint Client) {
    TPoint s = ScreenOf(Client);
    InputMouseMove(s.X, s.Y);
    Pump();
  }
  // The cursor is chosen before the move reaches the tree: a second move
  // shows the cursor of what the first one found.
  void Hover(TPoint Client) {
    MoveTo(Client);
    MoveTo(TPoint(Client.X + 1, Client.Y));
  }
  // A press and release at a client point; clicks are spaced so no two make
  // a double click.
  void Click(TPoint Client, int Button = VK_LBUTTON) {
    AdvanceClock(1000);
    MoveTo(Client);
    InputMouseDown(Button);
    Pump();
    InputMouseUp(Button);
    Pump();
  }
  void DoubleClick(TPoint Client) {
    AdvanceClock(1000);
    MoveTo(Client);
    for (int i = 0; i < 2; ++i) {
      InputMouseDown(VK_LBUTTON);
      InputMouseUp(VK_LBUTTON);
      AdvanceClock(50);
    }
    Pump();
  }
  void WithKey(int Vk, const std::function<void()>& F) {
    InputKeyDown(Vk);
    Pump();
    F();
    InputKeyUp(Vk);
    Pump();
  }
  PLazyNode Nth(Cardinal I) {
    PLazyNode n = T->GetFirst();
    while (n && I-- > 0) n = T->GetNextVisible(n);
    return n;
  }
  TRect Row(PLazyNode N) { return T->GetDisplayRect(N, NoColumn, false); }
  TRect Text(PLazyNode N) { return T->GetDisplayRect(N, T->Header()->MainColumn(), true); }
  TPoint LabelOf(PLazyNode N) {
    TRect r = Text(N);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  std::set<PLazyNode> Selected() {
    std::set<PLazyNode> s;
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n))
      if (T->GetSelected(n)) s.insert(n);
    return s;
  }
  void Options(TVTSelectionOptions Add, TVTMiscOptions AddMisc = {}, TVTPaintOptions AddPaint = {}) {
    T->TreeOptions()->SetSelectionOptions(T->TreeOptions()->SelectionOptions() + Add);
    T->TreeOptions()->SetMiscOptions(T->TreeOptions()->MiscOptions() + AddMisc);
    T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() + AddPaint);
  }
  TForm* Form = nullptr;
  TEdit* Other = nullptr;
  TMouseTree* T = nullptr;
};

// ---------------------------------------------------------------------------
// Hit testing

std::unique_ptr<TImageList> SquareImages(int Side, TColor Color) {
  auto l = std::make_unique<TImageList>(nullptr);
  l->SetSize(Side, Side);
  TBitmap b;
  b.SetSize(Side, Side);
  b.Canvas()->Brush()->SetColor(Color);
  b.Canvas()->FillRect(TRect(0, 0, Side, Side));
  l->Add(&b, nullptr);
  return l;
}

std::string Describe(const THitInfo& H) {
  static const char* names[] = {"Above",      "Below",        "Nowhere",     "OnItem",        "Button",
                                "ButtonExact", "Checkbox",    "Indent",      "Label",         "Left",
                                "Right",      "NormalIcon",   "StateIcon",   "ToLeft",        "ToRight",
                                "Upper",      "Lower"};
  std::ostringstream s;
  s << "col " << H.HitColumn << " [";
  for (int i = 0; i <= int(hiLowerSplitter); ++i)
    if (H.HitPositions.Contains(THitPosition(i))) s << names[i] << " ";
  s << "]";
  return s.str();
}

class LazyTrees_qn_HitTest : public MouseFixture {
 protected:
  void SetUp() override {
    MouseFixture::SetUp();
    Normal = SquareImages(16, clBlue);
    State = SquareImages(11, clRed);
    T->SetImages(Normal.get());
    T->SetStateImages(State.get());
    T->SetOnGetImageIndex([](TBaseLazyTree_qn* Sender, PLazyNode Node, TVTImageKind Kind, TColumnIndex Column, bool&,
                            Integer& Index) {
      Cardinal i = Sender->AbsoluteIndex(Node);
      if (Kind == ikState) Index = (Column <= 0 && i % 3 == 1) ? 0 : -1;
      else if (Kind == ikNormal || Kind == ikSelected) Index = (i % 2 == 0 && Column != 2) ? 0 : -1;
    });
  }
  void TearDown() override {
    MouseFixture::TearDown();
    Normal.reset();
    State.reset();
  }
  String Caption(PLazyNode Node, TColumnIndex Column) override {
    Cardinal i = T->AbsoluteIndex(Node);
    switch (Column) {
      case 1: return i % 4 == 3 ? String() : u"mid " + IntToStr(Integer(i));  // empty cells span
      case 2: return i % 4 == 3 ? String() : u"right";
      case 3: return u"\u05e9\u05dc\u05d5\u05dd " + IntToStr(Integer(i));
      default: return u"Node " + IntToStr(Integer(i * 7 % 23));
    }
  }
  void Build() {
    T->SetRootNodeCount(4);
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) T->SetChildCount(n, n->Index % 2 ? 0 : 3);
    T->FullExpand();
    Integer i = 0;
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n), ++i) {
      T->SetCheckType(n, i % 5 == 4 ? ctNone : ctCheckBox);
      if (i == 2) T->SetNodeHeight(n, 30);
    }
  }
  std::unique_ptr<TImageList> Normal, State;
};

// What the cell layout says a point is: the positions and column, worked
// out from the columns' bounds, the node's level and images and its text
// width, independently of the tree's hit test.
THitInfo Reference(TMouseTree* T, Integer X, Integer Y) {
  THitInfo h;
  TLazyTreeColumns* cols = T->Header()->Columns();
  bool useColumns = T->Header()->UseColumns();
  Integer fixedWidth = 0;
  for (TColumnIndex i : cols->PositionToIndex()) {
    TLazyTreeColumn* c = cols->Items(i);
    if (c->Options().Contains(coVisible) && c->Options().Contains(coFixed)) fixedWidth += c->Width();
  }
  Integer ax = X >= fixedWidth ? X + T->EffectiveOffsetX() : X, ay = Y - T->OffsetY();
  PLazyNode node = nullptr;
  Integer top = 0;
  for (PLazyNode n = T->GetFirstVisible(); n; n = T->GetNextVisible(n)) {
    if (ay >= top && ay < top + Integer(n->NodeHeight)) {
      node = n;
      break;
    }
    top += Integer(n->NodeHeight);
  }
  h.HitNode = node;
  if (!node) {
    h.HitPositions = THitPositions{hiNowhere};
    return h;
  }
  Integer left = 0, right = std::max(T->ClientWidth(), T->RangeX());
  TColumnIndex column = NoColumn;
  std::vector<TColumnIndex> visible;
  if (useColumns) {
    column = InvalidColumn;
    Integer x = 0;
    for (TColumnIndex i : cols->PositionToIndex()) {
      TLazyTreeColumn* c = cols->Items(i);
      if (!c->Options().Contains(coVisible)) continue;
      visible.push_back(i);
      if (ax >= x && ax < x + c->Width()) {
        column = i;
        left = x;
        right = x + c->Width();
      }
      x += c->Width();
    }
  }
  h.HitColumn = column;
  if (column == InvalidColumn) {
    h.HitPositions = THitPositions{hiNowhere};
    return h;
  }
  auto empty = [&](TColumnIndex c) { return T->Text(node, c).empty(); };
  if (useColumns && T->TreeOptions()->AutoOptions().Contains(toAutoSpanColumns)) {
    size_t p = size_t(std::find(visible.begin(), visible.end(), column) - visible.begin());
    for (size_t q = p + 1; q < visible.size() && empty(visible[q]); ++q) right += cols->Items(visible[q])->Width();
    while (p > 0 && empty(visible[p])) {
      --p;
      left -= cols->Items(visible[p])->Width();
    }
    h.HitColumn = column = visible[p];
  }
  h.HitPositions = THitPositions{hiOnItem};
  Integer bottom = top + Integer(node->NodeHeight);
  if (T->TreeOptions()->MiscOptions().Contains(toNodeHeightResize)) {
    if (ay <= top + 1) h.HitPositions.Include(hiUpperSplitter);
    else if (ay >= bottom - 3) h.HitPositions.Include(hiLowerSplitter);
  }
  Integer width = right - left, offset = ax - left;
  bool rtl = useColumns && cols->Items(column)->BiDiMode() != bdLeftToRight;
  if (rtl) offset = width - 1 - offset;  // measured from the start edge
  bool main = column == T->Header()->MainColumn();
  Integer indent = main ? Integer(T->Indent()) * Integer(T->GetNodeLevel(node) + 1) : 0;  // toShowRoot
  auto span = [&](Integer from, Integer w) { return offset >= from && offset < from + w; };
  if (main && offset < T->Margin() + indent) {
    if (node->ChildCount > 0) {
      if (offset >= indent - Integer(T->Indent())) h.HitPositions.Include(hiOnItemButton);
      // Where the button is painted: centred in the last level, one right.
      Integer bw = T->FPlusBM->Width();
      if (span(indent - Integer(T->Indent()) + (Integer(T->Indent()) - bw) / 2 + 1, bw))
        h.HitPositions.Include(hiOnItemButtonExact);
    }
    if (!h.HitPositions.Contains(hiOnItemButton)) h.HitPositions.Include(hiOnItemIndent);
    return h;
  }
  Integer pos = T->Margin() + indent;
  if (main && node->CheckType != ctNone) {
    pos += T->CheckImages()->Width() + 2;
    if (offset < pos) {
      h.HitPositions = THitPositions{hiOnItem, hiOnItemCheckbox};
      return h;
    }
  }
  Integer i = Integer(T->AbsoluteIndex(node));
  if (column <= 0 && i % 3 == 1) {
    pos += 11 + 2;
    if (offset < pos) {
      h.HitPositions.Include(hiOnStateIcon);
      return h;
    }
  }
  if (i % 2 == 0 && column != 2) {
    pos += 16 + 2;
    if (offset < pos) {
      h.HitPositions.Include(hiOnNormalIcon);
      return h;
    }
  }
  Integer tw = T->DoGetNodeWidth(node, column);
  TAlignment a = useColumns ? cols->Items(column)->Alignment() : T->Alignment();
  if (rtl) {
    // Back to screen order: the text's room is left of the decorations.
    offset = width - 1 - offset;
    Integer room = width - pos;
    a = a == taLeftJustify ? taRightJustify : a == taRightJustify ? taLeftJustify : a;
    if (room < tw) h.HitPositions.Include(hiOnItemLabel);
    else if (a == taRightJustify) h.HitPositions.Include(offset < room - tw ? hiOnItemLeft : hiOnItemLabel);
    else if (a == taCenter)
      h.HitPositions.Include(offset < (room - tw) / 2                ? hiOnItemLeft
                             : offset < (room - tw) / 2 + tw ? hiOnItemLabel
                                                             : hiOnItemRight);
    else h.HitPositions.Include(offset < tw ? hiOnItemLabel : hiOnItemRight);
    return h;
  }
  if (width - pos < tw) h.HitPositions.Include(hiOnItemLabel);
  else if (a == taRightJustify) h.HitPositions.Include(offset < width - tw ? hiOnItemLeft : hiOnItemLabel);
  else if (a == taCenter) {
    Integer l = (width + pos - tw) / 2;
    h.HitPositions.Include(offset < l ? hiOnItemLeft : offset < l + tw ? hiOnItemLabel : hiOnItemRight);
  } else h.HitPositions.Include(offset < pos + tw ? hiOnItemLabel : hiOnItemRight);
  return h;
}

}  // namespace

TEST_F(LazyTrees_qn_HitTest, EveryPixelMatchesTheCellLayout) {
  Options({}, {toCheckSupport, toNodeHeightResize}, {toShowButtons, toShowRoot});
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoSpanColumns});
  struct TCol {
    Integer Width;
    TAlignment Align;
    bool Fixed, RTL;
  };
  for (const TCol& c : {TCol{150, taLeftJustify, true, false}, TCol{70, taCenter, false, false},
                        TCol{60, taRightJustify, false, false}, TCol{110, taLeftJustify, false, true}}) {
    TLazyTreeColumn* col = T->Header()->Columns()->Add();
    col->SetWidth(c.Width);
    col->SetAlignment(c.Align);
    if (c.Fixed) col->SetOptions(col->Options() + TVTColumnOptions{coFixed});
    if (c.RTL) col->SetBiDiMode(bdRightToLeft);
  }
  T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
  Build();
  Pump();
  // Scrolled and not: fixed columns are hit where they are on screen.
  for (TPoint offset : {TPoint(0, 0), TPoint(-45, -40)}) {
    T->SetOffsetXY(offset);
    Pump();
    int mismatches = 0;
    for (Integer y = 0; y < T->ClientHeight(); ++y)
      for (Integer x = 0; x < T->ClientWidth(); ++x) {
        THitInfo got, want = Reference(T, x, y);
        T->GetHitTestInfoAt(x, y, true, got);
        if (got.HitNode != want.HitNode || got.HitColumn != want.HitColumn ||
            got.HitPositions != want.HitPositions) {
          if (++mismatches < 10)
            ADD_FAILURE() << "at " << x << "," << y << " offset " << offset.X << ": got " << Describe(got)
                          << " want " << Describe(want);
        }
      }
    EXPECT_EQ(mismatches, 0);
    // The picture really has every kind of place in it.
    std::set<THitPosition> kinds;
    for (Integer y = 0; y < T->ClientHeight(); y += 1)
      for (Integer x = 0; x < T->ClientWidth(); x += 1) {
        THitInfo h;
        T->GetHitTestInfoAt(x, y, true, h);
        for (int k = 0; k <= int(hiLowerSplitter); ++k)
          if (h.HitPositions.Contains(THitPosition(k))) kinds.insert(THitPosition(k));
      }
    for (THitPosition k : {hiNowhere, hiOnItem, hiOnItemButton, hiOnItemButtonExact, hiOnItemCheckbox,
                           hiOnItemIndent, hiOnItemLabel, hiOnItemLeft, hiOnItemRight, hiOnNormalIcon, hiOnStateIcon,
                           hiUpperSplitter, hiLowerSplitter})
      EXPECT_TRUE(kinds.count(k)) << "no pixel of kind " << int(k);
  }
  T->SetOffsetXY(TPoint(0, 0));
  Pump();

  // The painted pieces are where the hit test says: the text rectangle is
  // label, the painted button is the exact button.
  for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n)) {
    THitInfo h;
    TPoint c = LabelOf(n);
    T->GetHitTestInfoAt(c.X, c.Y, true, h);
    EXPECT_EQ(h.HitNode, n);
    EXPECT_TRUE(h.HitPositions.Contains(hiOnItemLabel)) << Describe(h);
    if (n->ChildCount > 0) {
      TRect row = Row(n);
      Integer level = Integer(T->GetNodeLevel(n));
      Integer bx = Integer(T->Indent()) * level + (Integer(T->Indent()) - T->FPlusBM->Width()) / 2 + 1;
      T->GetHitTestInfoAt(bx + T->FPlusBM->Width() / 2, (row.Top + row.Bottom) / 2, true, h);
      EXPECT_TRUE(h.HitPositions.Contains(hiOnItemButtonExact)) << Describe(h);
    }
  }

  // Outside the client area and the canvas.
  THitInfo h;
  T->GetHitTestInfoAt(-1, 10, true, h);
  EXPECT_EQ(h.HitPositions, THitPositions{hiToLeft});
  EXPECT_EQ(h.HitNode, nullptr);
  T->GetHitTestInfoAt(std::max(T->ClientWidth(), T->RangeX()) + 1, 10, true, h);
  EXPECT_EQ(h.HitPositions, THitPositions{hiToRight});
  T->GetHitTestInfoAt(10, -3, true, h);
  EXPECT_EQ(h.HitPositions, THitPositions{hiAbove});
  T->GetHitTestInfoAt(-2, std::max(T->ClientHeight(), T->RangeY()) + 5, true, h);
  EXPECT_EQ(h.HitPositions, (THitPositions{hiToLeft, hiBelow}));
}

TEST_F(LazyTrees_qn_HitTest, WithoutColumnsAndInReportMode) {
  Options({}, {toCheckSupport}, {toShowButtons, toShowRoot});
  Build();
  Pump();
  for (Integer y = 0; y < T->ClientHeight(); y += 3)
    for (Integer x = 0; x < T->ClientWidth(); ++x) {
      THitInfo got, want = Reference(T, x, y);
      T->GetHitTestInfoAt(x, y, true, got);
      ASSERT_EQ(got.HitColumn, NoColumn);
      ASSERT_TRUE(got.HitNode == want.HitNode && got.HitPositions == want.HitPositions)
          << x << "," << y << " got " << Describe(got) << " want " << Describe(want);
    }
  // Report mode: cells of other columns are plain items, the main column
  // keeps its parts.
  T->Header()->Columns()->Add()->SetWidth(200);
  T->Header()->Columns()->Add()->SetWidth(150);
  Options({}, {toReportMode});
  Pump();
  PLazyNode n = Nth(0);
  TRect row = Row(n);
  THitInfo h;
  T->GetHitTestInfoAt(205, row.Top + 5, true, h);
  EXPECT_EQ(h.HitColumn, 1);
  EXPECT_EQ(h.HitPositions, THitPositions{hiOnItem});
  T->GetHitTestInfoAt(LabelOf(n).X, LabelOf(n).Y, true, h);
  EXPECT_TRUE(h.HitPositions.Contains(hiOnItemLabel));
  // Right of the last column: no column at all.
  T->GetHitTestInfoAt(360, row.Top + 5, true, h);
  EXPECT_EQ(h.HitColumn, InvalidColumn);
  EXPECT_EQ(h.HitPositions, THitPositions{hiNowhere});
}

// ---------------------------------------------------------------------------
// Scripted mouse input

namespace {

class LazyTrees_qn_Mouse : public MouseFixture {
 protected:
  void SetUp() override {
    MouseFixture::SetUp();
    Options({toMultiSelect}, {}, {toShowButtons, toShowRoot});
    T->SetRootNodeCount(6);
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNextSibling(n)) T->SetChildCount(n, 2);
    Pump();
  }
  // The left edge of a node's button, where it is painted.
  TPoint ButtonOf(PLazyNode N) {
    TRect r = Row(N);
    Integer x = Integer(T->Indent()) * Integer(T->GetNodeLevel(N)) +
                (Integer(T->Indent()) - T->FPlusBM->Width()) / 2 + 1 + T->FPlusBM->Width() / 2;
    return TPoint(x, (r.Top + r.Bottom) / 2);
  }
};

}  // namespace

TEST_F(LazyTrees_qn_Mouse, ButtonsChecksAndTheFirstClick) {
  Other->SetFocus();
  Pump();
  ASSERT_FALSE(T->Focused());
  // A click on an unfocused tree's label focuses the tree and the node.
  PLazyNode a = Nth(1);
  Click(LabelOf(a));
  EXPECT_TRUE(T->Focused());
  EXPECT_EQ(T->FocusedNode(), a);
  EXPECT_EQ(Selected(), std::set<PLazyNode>{a});
  // The expand button toggles and leaves selection and focus alone.
  PLazyNode b = Nth(3);
  Click(ButtonOf(b));
  EXPECT_TRUE(T->Expanded(b));
  EXPECT_EQ(T->FocusedNode(), a);
  EXPECT_EQ(Selected(), std::set<PLazyNode>{a});
  Click(ButtonOf(b));
  EXPECT_FALSE(T->Expanded(b));

  // A check box: pressed while the button is down, checked on release over
  // the item; released outside, it comes back unchanged.
  Options({}, {toCheckSupport});
  PLazyNode c = Nth(2);
  T->SetCheckType(c, ctCheckBox);
  int checked = 0;
  T->OnChecked = [&](TBaseLazyTree_qn*, PLazyNode) { ++checked; };
  Pump();
  TRect row = Row(c);
  TPoint box(Integer(T->Indent()) + T->Margin() + T->CheckImages()->Width() / 2, (row.Top + row.Bottom) / 2);
  THitInfo h;
  T->GetHitTestInfoAt(box.X, box.Y, true, h);
  ASSERT_TRUE(h.HitPositions.Contains(hiOnItemCheckbox));
  AdvanceClock(1000);
  MoveTo(box);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_EQ(T->GetCheckState(c), csUncheckedPressed);
  EXPECT_TRUE(T->TreeStates().Contains(tsMouseCheckPending));
  MoveTo(TPoint(box.X, T->ClientHeight() - 2));  // below every node
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_EQ(T->GetCheckState(c), csUncheckedNormal);
  EXPECT_FALSE(T->TreeStates().Contains(tsMouseCheckPending));
  EXPECT_EQ(checked, 0);
  Click(box);
  EXPECT_EQ(T->GetCheckState(c), csCheckedNormal);
  EXPECT_EQ(checked, 1);
  EXPECT_EQ(Selected(), std::set<PLazyNode>{a});
  // Two quick clicks toggle twice.
  DoubleClick(box);
  EXPECT_EQ(T->GetCheckState(c), csCheckedNormal);
  EXPECT_EQ(checked, 3);
}

TEST_F(LazyTrees_qn_Mouse, SelectionWithModifiersAndAlt) {
  PLazyNode n1 = Nth(1), n2 = Nth(2), n4 = Nth(4);
  Click(LabelOf(n1));
  // Shift: the range from the anchor.
  WithKey(VK_SHIFT, [&] { Click(LabelOf(n4)); });
  EXPECT_EQ(Selected(), (std::set<PLazyNode>{n1, n2, Nth(3), n4}));
  EXPECT_EQ(T->FocusedNode(), n4);
  // Ctrl toggles at once when no drag can start...
  WithKey(VK_CONTROL, [&] { Click(LabelOf(n2)); });
  EXPECT_EQ(Selected(), (std::set<PLazyNode>{n1, Nth(3), n4}));
  // ...and only on release when one could.
  T->OnDragAllowed = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, bool& Allowed) { Allowed = true; };
  WithKey(VK_CONTROL, [&] {
    AdvanceClock(1000);
    MoveTo(LabelOf(n1));
    InputMouseDown(VK_LBUTTON);
    Pump();
    EXPECT_TRUE(T->GetSelected(n1));
    EXPECT_TRUE(T->TreeStates().Contains(tsToggleFocusedSelection));
    InputMouseUp(VK_LBUTTON);
    Pump();
  });
  EXPECT_EQ(Selected(), (std::set<PLazyNode>{Nth(3), n4}));
  T->OnDragAllowed = nullptr;
  // Alt+click on the main column's text keeps only that node.
  WithKey(VK_MENU, [&] { Click(LabelOf(n4)); });
  EXPECT_EQ(Selected(), std::set<PLazyNode>{n4});
  // A plain click on another label selects it alone.
  Click(LabelOf(n2));
  EXPECT_EQ(Selected(), std::set<PLazyNode>{n2});
}

TEST_F(LazyTrees_qn_Mouse, RightAndMiddleButtons) {
  PLazyNode n1 = Nth(1), n3 = Nth(3);
  Click(LabelOf(n1));
  // Without toRightClickSelect the right button selects nothing, but asks
  // for the node's popup (no PopupMenu is assigned).
  Click(LabelOf(n3), VK_RBUTTON);
  EXPECT_EQ(Selected(), std::set<PLazyNode>{n1});
  EXPECT_EQ(T->Popups, 1);
  EXPECT_EQ(T->PopupNode, n3);
  Options({toRightClickSelect});
  Click(LabelOf(n3), VK_RBUTTON);
  EXPECT_EQ(Selected(), std::set<PLazyNode>{n3});
  EXPECT_EQ(T->FocusedNode(), n3);
  EXPECT_EQ(T->Popups, 2);
  // With a menu assigned the tree asks nothing: the platform shows it.
  auto* menu = new TPopupMenu(Form);
  menu->SetAutoPopup(false);
  T->SetPopupMenu(menu);
  Click(LabelOf(n1), VK_RBUTTON);
  EXPECT_EQ(T->Popups, 2);
  T->SetPopupMenu(static_cast<TPopupMenu*>(nullptr));

  // The middle button pans only when there is something to pan to.
  Options({}, {toWheelPanning});
  Click(TPoint(100, 100), VK_MBUTTON);
  EXPECT_FALSE(T->TreeStates().Contains(tsWheelPanning) || T->TreeStates().Contains(tsWheelScrolling));
  T->SetRootNodeCount(60);
  Pump();
  ASSERT_GT(T->RangeY(), T->ClientHeight());
  Click(TPoint(100, 100), VK_MBUTTON);
  // Released without moving: the view follows the mouse until the next click.
  EXPECT_TRUE(T->TreeStates().Contains(tsWheelScrolling));
  EXPECT_FALSE(T->TreeStates().Contains(tsWheelPanning));
  Click(TPoint(100, 100), VK_MBUTTON);
  EXPECT_FALSE(T->TreeStates().Contains(tsWheelPanning) || T->TreeStates().Contains(tsWheelScrolling));
  // Held and dragged: panning ends with the release.
  AdvanceClock(1000);
  MoveTo(TPoint(100, 100));
  InputMouseDown(VK_MBUTTON);
  Pump();
  MoveTo(TPoint(100, 140));
  EXPECT_TRUE(T->TreeStates().Contains(tsWheelPanning));
  EXPECT_FALSE(T->TreeStates().Contains(tsWheelScrolling));
  InputMouseUp(VK_MBUTTON);
  Pump();
  EXPECT_FALSE(T->TreeStates().Contains(tsWheelPanning) || T->TreeStates().Contains(tsWheelScrolling));
}

TEST_F(LazyTrees_qn_Mouse, NodeHeightTrackingAndReset) {
  Options({}, {toNodeHeightResize, toNodeHeightDblClickResize});
  TLazyTreeColumn* fixed = T->Header()->Columns()->Add();
  fixed->SetWidth(200);
  fixed->SetOptions(fixed->Options() + TVTColumnOptions{coFixed});
  T->Header()->Columns()->Add()->SetWidth(150);
  T->Header()->SetOptions(T->Header()->Options() + TVTHeaderOptions{hoVisible});
  Pump();
  PLazyNode n = Nth(2);
  TRect row = Row(n);
  // The splitter cursor over the lower edge of a fixed cell only.
  Hover(TPoint(80, row.Bottom - 2));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crVertSplit));
  Hover(TPoint(280, row.Bottom - 2));
  EXPECT_NE(GetCursor(), Screen->Cursors(crVertSplit));
  // Dragging the lower edge: the height follows, never below one pixel.
  AdvanceClock(1000);
  MoveTo(TPoint(80, row.Bottom - 2));
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(T->TreeStates().Contains(tsNodeHeightTrackPending));
  MoveTo(TPoint(80, row.Top + 30));
  EXPECT_EQ(T->GetNodeHeight(n), 30u);
  MoveTo(TPoint(80, row.Top - 10));
  EXPECT_EQ(T->GetNodeHeight(n), 1u);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_FALSE(T->TreeStates().Contains(tsNodeHeightTracking));
  // The upper edge of the next node is this node's lower edge.
  T->SetNodeHeight(n, 25);
  Pump();
  TRect next = Row(Nth(3));
  AdvanceClock(1000);
  MoveTo(TPoint(80, next.Top + 1));
  InputMouseDown(VK_LBUTTON);
  Pump();
  MoveTo(TPoint(80, next.Top + 11));
  EXPECT_EQ(T->GetNodeHeight(n), 36u);
  // Deleting the node mid-gesture leaves nothing behind to resize.
  T->DeleteNode(n);
  EXPECT_EQ(T->FHeightTrackNode, nullptr);
  MoveTo(TPoint(80, next.Top + 20));
  InputMouseUp(VK_LBUTTON);
  Pump();
  // A double click on a splitter gives the default height back.
  PLazyNode m = Nth(1);
  T->SetNodeHeight(m, 40);
  Pump();
  DoubleClick(TPoint(80, Row(m).Bottom - 1));
  EXPECT_EQ(T->GetNodeHeight(m), T->DefaultNodeHeight());
}

TEST_F(LazyTrees_qn_Mouse, HotTrackingCursorsAndLeaving) {
  Options({}, {}, {toHotTrack});
  T->SetHotCursor(crHandPoint);
  std::vector<std::pair<PLazyNode, PLazyNode>> changes;
  T->OnHotChange = [&](TBaseLazyTree_qn*, PLazyNode Old, PLazyNode New) { changes.push_back({Old, New}); };
  PLazyNode a = Nth(0), b = Nth(2);
  Hover(LabelOf(a));
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], std::make_pair(PLazyNode(nullptr), a));
  EXPECT_EQ(T->HotNode(), a);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  // Moving within the same label changes nothing.
  MoveTo(TPoint(LabelOf(a).X + 2, LabelOf(a).Y));
  EXPECT_EQ(changes.size(), 1u);
  // The button is hot, not the node.
  MoveTo(ButtonOf(b));
  EXPECT_EQ(T->HotNode(), nullptr);
  EXPECT_FALSE(T->FHotNodeButtonHit);
  MoveTo(LabelOf(b));
  EXPECT_EQ(T->HotNode(), b);
  // Full-row selection makes the whole row hot, the button included.
  Options({toFullRowSelect});
  MoveTo(ButtonOf(b));
  EXPECT_EQ(T->HotNode(), b);
  EXPECT_TRUE(T->FHotNodeButtonHit);
  MoveTo(TPoint(ButtonOf(b).X + 30, ButtonOf(b).Y));
  EXPECT_FALSE(T->FHotNodeButtonHit);
  // Empty space below the nodes: the control's own cursor.
  T->SetCursor(crIBeam);
  Hover(TPoint(100, T->ClientHeight() - 3));
  EXPECT_EQ(T->HotNode(), nullptr);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crIBeam));
  // OnGetCursor has the last word.
  T->OnGetCursor = [](TBaseLazyTree_qn*, TCursor& C) { C = crCross; };
  Hover(TPoint(103, T->ClientHeight() - 3));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crCross));
  // Leaving the control clears the hot node.
  MoveTo(LabelOf(a));
  EXPECT_EQ(T->HotNode(), a);
  int leaves = 0;
  T->SetOnMouseLeave([&](TObject*) { ++leaves; });
  TPoint outside = Form->ClientToScreen(TPoint(450, 380));
  InputMouseMove(outside.X, outside.Y);
  Pump();
  EXPECT_EQ(T->HotNode(), nullptr);
  EXPECT_EQ(changes.back(), std::make_pair(a, PLazyNode(nullptr)));
  EXPECT_EQ(leaves, 1);
  // Deleting the hot node leaves no stale reference.
  MoveTo(LabelOf(b));
  ASSERT_EQ(T->HotNode(), b);
  T->DeleteNode(b);
  EXPECT_EQ(T->HotNode(), nullptr);
  MoveTo(LabelOf(a));
  EXPECT_EQ(T->HotNode(), a);
}

TEST_F(LazyTrees_qn_Mouse, EditTimerAndDragStart) {
  Options({}, {toEditOnClick});
  T->Editable = true;
  T->SetEditDelay(400);
  PLazyNode a = Nth(1);
  Click(LabelOf(a));
  EXPECT_FALSE(T->TreeStates().Contains(tsEditPending));
  // A second click on the selected label arms the edit timer; editing
  // starts when EditDelay has passed.
  Click(LabelOf(a));
  EXPECT_TRUE(T->TreeStates().Contains(tsEditPending));
  Run(390);
  EXPECT_EQ(T->Edits, 0);
  Run(20);
  EXPECT_EQ(T->Edits, 1);
  // The editor that opened covers the label; it goes before the next click.
  EXPECT_TRUE(T->IsEditing());
  T->CancelEditNode();
  T->SetFocus();
  // A press elsewhere disarms it.
  Click(LabelOf(a));
  EXPECT_TRUE(T->TreeStates().Contains(tsEditPending));
  AdvanceClock(100);
  MoveTo(LabelOf(Nth(3)));
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_FALSE(T->TreeStates().Contains(tsEditPending));
  Run(500);
  EXPECT_EQ(T->Edits, 1);

  // A drag starts once the mouse has moved DragThreshold pixels.
  T->OnDragAllowed = [](TBaseLazyTree_qn*, PLazyNode, TColumnIndex, bool& Allowed) { Allowed = true; };
  T->SetDragThreshold(8);
  AdvanceClock(1000);
  TPoint p = LabelOf(a);
  MoveTo(p);
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(T->TreeStates().Contains(tsOLEDragPending));
  EXPECT_EQ(T->FDragThreshold, Mouse->DragThreshold());
  T->FDragThreshold = 8;
  MoveTo(TPoint(p.X + 7, p.Y));
  EXPECT_EQ(T->Draggings, 0);
  MoveTo(TPoint(p.X + 8, p.Y));
  EXPECT_EQ(T->Draggings, 1);
  MoveTo(TPoint(p.X + 20, p.Y + 5));
  EXPECT_EQ(T->Draggings, 1);
  InputMouseUp(VK_LBUTTON);
  Pump();
  // BeginDrag itself: immediate starts at once, a threshold is kept.
  T->BeginDrag(false, 3);
  EXPECT_EQ(T->FDragThreshold, 3);
  EXPECT_TRUE(T->TreeStates().Contains(tsOLEDragPending));
  T->BeginDrag(true);  // already pending: nothing new
  EXPECT_EQ(T->Draggings, 1);
  T->DoStateChange({}, {tsOLEDragPending});
  T->BeginDrag(true);
  EXPECT_EQ(T->Draggings, 2);
}

// ---------------------------------------------------------------------------
// Rubber-band selection

namespace {

class LazyTrees_qn_RubberBand : public MouseFixture {
 protected:
  void SetUp() override {
    MouseFixture::SetUp();
    Options({toMultiSelect}, {}, {});
    T->TreeOptions()->SetPaintOptions(T->TreeOptions()->PaintOptions() - TVTPaintOptions{toShowButtons});
    T->SetRootNodeCount(14);
    Pump();
  }
  String Caption(PLazyNode Node, TColumnIndex) override {
    static const char16_t* words[] = {u"a", u"Documents", u"x", u"Reports for the year", u"mid", u"Music library"};
    return words[Node->Index % 6];
  }
  // Drags from A over Via to B with the left button, Keys held.
  void Band(TPoint A, TPoint Via, TPoint B, int Key = 0) {
    AdvanceClock(1000);
    if (Key) InputKeyDown(Key);
    MoveTo(A);
    InputMouseDown(VK_LBUTTON);
    Pump();
    MoveTo(Via);
    MoveTo(B);
    InputMouseUp(VK_LBUTTON);
    if (Key) InputKeyUp(Key);
    Pump();
  }
  // The nodes whose text (or, with simple draw selection, row) the band
  // from A to B crosses.
  std::set<PLazyNode> Crossed(TPoint A, TPoint B) {
    TRect band(std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y));
    bool simple = T->TreeOptions()->SelectionOptions().Contains(toSimpleDrawSelection);
    std::set<PLazyNode> s;
    for (PLazyNode n = T->GetFirst(); n; n = T->GetNextVisible(n)) {
      TRect row = Row(n), text = Text(n);
      bool rows = row.Top < band.Bottom && row.Bottom > band.Top;
      if (rows && (simple || (text.Left < band.Right && text.Right > band.Left))) s.insert(n);
    }
    return s;
  }
};

}  // namespace

TEST_F(LazyTrees_qn_RubberBand, SelectsExactlyTheCrossedTexts) {
  std::mt19937 rng(82);
  auto rnd = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Integer bottom = Row(T->GetLastVisible()).Bottom;
  for (bool rtl : {false, true})
    for (bool simple : {false, true}) {
      T->SetBiDiMode(rtl ? bdRightToLeft : bdLeftToRight);
      TVTSelectionOptions so = T->TreeOptions()->SelectionOptions();
      T->TreeOptions()->SetSelectionOptions(simple ? so + TVTSelectionOptions{toSimpleDrawSelection}
                                                   : so - TVTSelectionOptions{toSimpleDrawSelection});
      Pump();
      for (int round = 0; round < 25; ++round) {
        // Start away from every text: in the empty side of a row.
        TPoint a(rtl ? rnd(2, 60) : rnd(300, T->ClientWidth() - 3), rnd(1, bottom - 2));
        TPoint via(rnd(1, T->ClientWidth() - 2), rnd(1, T->ClientHeight() - 2));
        TPoint b(rnd(1, T->ClientWidth() - 2), rnd(1, bottom + 20));
        if (std::abs(b.X - a.X) < 8 && std::abs(b.Y - a.Y) < 8) b.X = a.X > 150 ? a.X - 40 : a.X + 40;
        bool ctrl = round % 3 == 2;
        std::set<PLazyNode> before = Selected(), want = Crossed(a, b);
        if (ctrl) {
          // Ctrl toggles what the band ends over.
          std::set<PLazyNode> x;
          for (PLazyNode n = T->GetFirst(); n; n = T->GetNext(n))
            if (before.count(n) != want.count(n)) x.insert(n);
          want = x;
        }
        Band(a, via, b, ctrl ? VK_CONTROL : 0);
        EXPECT_EQ(Selected(), want) << "rtl " << rtl << " simple " << simple << " round " << round << " from "
                                    << a.X << "," << a.Y << " to " << b.X << "," << b.Y;
        EXPECT_FALSE(T->TreeStates().Contains(tsDrawSelecting) || T->TreeStates().Contains(tsDrawSelPending));
      }
    }
}

TEST_F(LazyTrees_qn_RubberBand, PendingBandRepaintsAndScrollsAtTheEdge) {
  T->SetRootNodeCount(60);
  T->TreeOptions()->SetAutoOptions(T->TreeOptions()->AutoOptions() + TVTAutoOptions{toAutoScroll});
  T->SetAutoScrollDelay(100);
  T->SetAutoScrollInterval(20);
  Pump();
  // A move within the drag threshold keeps the band pending and selects
  // nothing.
  AdvanceClock(1000);
  MoveTo(TPoint(300, 30));
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_TRUE(T->TreeStates().Contains(tsDrawSelPending));
  EXPECT_EQ(GetCapture(), T->Handle());
  MoveTo(TPoint(302, 32));
  EXPECT_TRUE(T->TreeStates().Contains(tsDrawSelPending));
  EXPECT_TRUE(Selected().empty());
  // At the bottom edge the view scrolls on the scroll timer (no drag wait
  // first) and the band follows the content.
  MoveTo(TPoint(40, T->ClientHeight() - 2));
  EXPECT_TRUE(T->TreeStates().Contains(tsDrawSelecting));
  MoveTo(TPoint(41, T->ClientHeight() - 2));
  Run(200);
  EXPECT_LT(T->OffsetY(), 0);
  MoveTo(TPoint(40, T->ClientHeight() - 3));
  PLazyNode last = T->GetNodeAt(40, T->ClientHeight() - 3);
  ASSERT_NE(last, nullptr);
  EXPECT_TRUE(T->GetSelected(last));
  EXPECT_TRUE(T->GetSelected(Nth(1)));
  InputMouseUp(VK_LBUTTON);
  Pump();
  EXPECT_FALSE(T->IsMouseSelecting());
  EXPECT_NE(GetCapture(), T->Handle());
  // The band is clamped to the tree: dragging far outside stops at its edge.
  T->SetOffsetY(0);
  Pump();
  AdvanceClock(1000);
  MoveTo(TPoint(300, 30));
  InputMouseDown(VK_LBUTTON);
  Pump();
  TPoint far = T->ClientToScreen(TPoint(-200, -200));
  InputMouseMove(far.X, far.Y);
  Pump();
  EXPECT_EQ(T->FNewSelRect.Right, 0);
  EXPECT_EQ(T->FNewSelRect.Bottom, 0);
  // Escape ends the band before the button goes up.
  EXPECT_TRUE(T->IsMouseSelecting());
  InputKeyDown(VK_ESCAPE);
  InputKeyUp(VK_ESCAPE);
  Pump();
  EXPECT_FALSE(T->IsMouseSelecting());
  InputMouseUp(VK_LBUTTON);
  Pump();
  // With a label under the press, no band starts.
  AdvanceClock(1000);
  MoveTo(LabelOf(Nth(3)));
  InputMouseDown(VK_LBUTTON);
  Pump();
  EXPECT_FALSE(T->IsMouseSelecting());
  InputMouseUp(VK_LBUTTON);
  Pump();
}

TEST_F(LazyTrees_qn_Mouse, GallerySheetMatchesItsGoldenImage) {
  delete Form;
  Form = nullptr;
  vcl::TScreenImage sheet = gallery::TTreeMouseSheet::Render();
  qntest::ExpectMatchesGolden(sheet, "tree-mouse", 8,
                              gallery::TTreeMouseSheet::kWidth * gallery::TTreeMouseSheet::kHeight / 200);
}

}  // namespace t_lazy_trees_qn_mouse_test
