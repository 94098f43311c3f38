// The lazy tree against a GtkTreeView in the same process, on the same
// shapes: a million top-level rows made and shown, every row initialized and
// read, ten thousand row look-ups by pixel position, and a full expand and
// collapse of a thousand nodes with a thousand children each. GTK is used as
// a new user would after trying it: rows are prepended (appending, or
// attaching the model before the window is shown, turned its fill
// quadratic), the model is attached after gtk_widget_show_all, and the view
// runs in fixed-height mode with one fixed-width column inside an 800x600
// scrolled window of an offscreen window. The paint case draws one 800x600
// screen of a million nodes (a thousand parents of 999 children each, all
// expanded) scrolled to the middle, with tree lines, buttons and a caption
// "Node n" per row: our string tree through PaintTree into a 32-bit bitmap,
// GTK through a queued redraw and the window's pending updates. Prints one
// ratio line per case
// (above 1: ours is faster) and the memory each of our nodes costs.
//
// The export case writes a 100000-node string tree of three columns (1000
// top-level nodes of 99 children) as an HTML table; the peer is libxml2
// building the same table with the same strings through its HTML tree API
// and serializing it with htmlDocDumpMemory.
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <libxml/HTMLtree.h>
#include <libxml/tree.h>
#include <pango/pangocairo.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "package/Quarn.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_StringTree.h"

using namespace qn;

namespace {

constexpr Cardinal kRows = 1000000;
constexpr Cardinal kParents = 1000, kChildren = 1000;
constexpr int kLookups = 10000;

using TClock = std::chrono::steady_clock;
double Seconds(TClock::time_point a, TClock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// --- Ours -------------------------------------------------------------------

struct TOurs {
  TForm* Form;
  TBaseLazyTree_qn* Tree;
  TOurs() {
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 800, 600);
    Tree = new TBaseLazyTree_qn(Form);
    Tree->SetParent(Form);
    Tree->SetBounds(0, 0, 800, 600);
    Form->Show();
    Pump();
  }
  ~TOurs() { delete Form; }
  static void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    CheckSynchronize(0);
  }
  void WaitForCache() {
    while (!Tree->TreeStates().Contains(tsUseCache)) {
      Pump();
      CheckSynchronize(1);
    }
  }
};

TOurs* GOurs = nullptr;

// --- GTK --------------------------------------------------------------------

struct TPeer {
  GtkWidget* Window;
  GtkWidget* View;
  GtkTreeStore* Store = nullptr;
  TPeer() {
    Window = gtk_offscreen_window_new();
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_widget_set_size_request(scrolled, 800, 600);
    gtk_container_add(GTK_CONTAINER(Window), scrolled);
    View = gtk_tree_view_new();
    gtk_tree_view_set_fixed_height_mode(GTK_TREE_VIEW(View), TRUE);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    GtkTreeViewColumn* column = gtk_tree_view_column_new_with_attributes("Name", text, "text", 0, nullptr);
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, 200);
    gtk_tree_view_append_column(GTK_TREE_VIEW(View), column);
    gtk_container_add(GTK_CONTAINER(scrolled), View);
    gtk_widget_show_all(Window);
    Idle();
  }
  ~TPeer() {
    Detach();
    gtk_widget_destroy(Window);
  }
  static void Idle() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }
  void Fill(Cardinal Rows, Cardinal ChildrenEach, const char* ChildCaption = "Child %u") {
    Store = gtk_tree_store_new(1, G_TYPE_STRING);
    char text[32];
    for (Cardinal i = 0; i < Rows; ++i) {
      GtkTreeIter it;
      std::snprintf(text, sizeof text, "Node %u", Rows - 1 - i);
      gtk_tree_store_insert_with_values(Store, &it, nullptr, 0, 0, text, -1);
      for (Cardinal j = 0; j < ChildrenEach; ++j) {
        GtkTreeIter child;
        std::snprintf(text, sizeof text, ChildCaption, ChildrenEach - 1 - j);
        gtk_tree_store_insert_with_values(Store, &child, &it, 0, 0, text, -1);
      }
    }
  }
  void Attach() {
    gtk_tree_view_set_model(GTK_TREE_VIEW(View), GTK_TREE_MODEL(Store));
    Idle();
  }
  void Detach() {
    if (!Store) return;
    gtk_tree_view_set_model(GTK_TREE_VIEW(View), nullptr);
    g_object_unref(Store);
    Store = nullptr;
    Idle();
  }
};

TPeer* GPeer = nullptr;

// --- Cases ------------------------------------------------------------------

void OursCreate(benchmark::State& st) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  for (auto _ : st) {
    auto a = TClock::now();
    t->SetRootNodeCount(kRows);
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    t->Clear();
  }
}

void PeerCreate(benchmark::State& st) {
  for (auto _ : st) {
    auto a = TClock::now();
    GPeer->Fill(kRows, 0);
    GPeer->Attach();
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    GPeer->Detach();
  }
}

void OursValidate(benchmark::State& st) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  t->SetNodeDataSize(Integer(sizeof(Cardinal)));
  t->OnInitNode = [](TBaseLazyTree_qn* S, PLazyNode, PLazyNode N, TLazyNodeInitStates&) {
    *S->GetNodeData<Cardinal>(N) = N->Index;
  };
  for (auto _ : st) {
    t->SetRootNodeCount(kRows);
    auto a = TClock::now();
    t->ValidateNode(nullptr, true);
    GOurs->WaitForCache();
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    t->Clear();
  }
  t->OnInitNode = nullptr;
  t->SetNodeDataSize(-1);
}

void PeerValidate(benchmark::State& st) {
  GPeer->Fill(kRows, 0);
  GPeer->Attach();
  for (auto _ : st) {
    size_t total = 0;
    auto a = TClock::now();
    gtk_tree_model_foreach(
        GTK_TREE_MODEL(GPeer->Store),
        [](GtkTreeModel* model, GtkTreePath*, GtkTreeIter* it, gpointer data) -> gboolean {
          gchar* text = nullptr;
          gtk_tree_model_get(model, it, 0, &text, -1);
          *static_cast<size_t*>(data) += text ? 1 : 0;
          g_free(text);
          return FALSE;
        },
        &total);
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    benchmark::DoNotOptimize(total);
  }
  GPeer->Detach();
}

std::vector<Integer> Lookups(Integer Height) {
  std::mt19937 rng(7);
  std::vector<Integer> ys(kLookups);
  for (Integer& y : ys) y = Integer(rng() % Cardinal(Height));
  return ys;
}

void OursNodeAt(benchmark::State& st) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  t->SetRootNodeCount(kRows);
  GOurs->WaitForCache();
  std::vector<Integer> ys = Lookups(Integer(kRows * t->DefaultNodeHeight()));
  for (auto _ : st) {
    size_t found = 0;
    auto a = TClock::now();
    for (Integer y : ys) {
      Integer top;
      found += t->GetNodeAt(0, y, false, top) != nullptr;
    }
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    if (found != ys.size()) st.SkipWithError("a look-up found no node");
  }
  t->Clear();
}

void PeerNodeAt(benchmark::State& st) {
  GPeer->Fill(kRows, 0);
  GPeer->Attach();
  GdkRectangle cell;
  GtkTreePath* first = gtk_tree_path_new_first();
  gtk_tree_view_get_background_area(GTK_TREE_VIEW(GPeer->View), first, nullptr, &cell);
  gtk_tree_path_free(first);
  std::vector<Integer> ys = Lookups(Integer(kRows) * std::max(cell.height, 1));
  for (auto _ : st) {
    size_t found = 0;
    auto a = TClock::now();
    for (Integer y : ys) {
      gint bx, by;
      gtk_tree_view_convert_tree_to_bin_window_coords(GTK_TREE_VIEW(GPeer->View), 0, y, &bx, &by);
      GtkTreePath* path = nullptr;
      if (gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(GPeer->View), bx, by, &path, nullptr, nullptr, nullptr)) {
        ++found;
        gtk_tree_path_free(path);
      }
    }
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    if (found != ys.size()) st.SkipWithError("a look-up found no row");
  }
  GPeer->Detach();
}

// Our children come from OnInitChildren during the expand; GTK's are in
// its store beforehand.
void OursExpandCollapse(benchmark::State& st, bool Expand) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  t->OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode, TLazyNodeInitStates& S) {
    if (!Parent) S.Include(ivsHasChildren);
  };
  t->OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = kChildren; };
  for (auto _ : st) {
    t->SetRootNodeCount(kParents);
    if (!Expand) t->FullExpand();
    auto a = TClock::now();
    if (Expand) t->FullExpand();
    else t->FullCollapse();
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    t->Clear();
  }
  t->OnInitNode = nullptr;
  t->OnInitChildren = nullptr;
}
void OursExpandAll(benchmark::State& st) { OursExpandCollapse(st, true); }
void OursCollapseAll(benchmark::State& st) { OursExpandCollapse(st, false); }

void PeerExpandCollapse(benchmark::State& st, bool Expand) {
  GPeer->Fill(kParents, kChildren);
  GPeer->Attach();
  for (auto _ : st) {
    if (!Expand) {
      gtk_tree_view_expand_all(GTK_TREE_VIEW(GPeer->View));
      TPeer::Idle();
    }
    auto a = TClock::now();
    if (Expand) gtk_tree_view_expand_all(GTK_TREE_VIEW(GPeer->View));
    else gtk_tree_view_collapse_all(GTK_TREE_VIEW(GPeer->View));
    TPeer::Idle();
    auto b = TClock::now();
    st.SetIterationTime(Seconds(a, b));
    if (Expand) {
      gtk_tree_view_collapse_all(GTK_TREE_VIEW(GPeer->View));
      TPeer::Idle();
    }
  }
  GPeer->Detach();
}
void PeerExpandAll(benchmark::State& st) { PeerExpandCollapse(st, true); }
void PeerCollapseAll(benchmark::State& st) { PeerExpandCollapse(st, false); }

// --- Sorting 10^5 siblings by a random 32-bit key in their user data ------
// Ours: Sort with an OnCompareNodes that compares the keys. The peer:
// std::stable_sort of pointers to records of the same size, with the key at
// the same offset, compared through the same event type.

constexpr Cardinal kSortRows = 100000;

std::vector<uint32_t> SortKeys() {
  std::mt19937 rng(77);
  std::vector<uint32_t> keys(kSortRows);
  for (auto& k : keys) k = uint32_t(rng());
  return keys;
}

TVTCompareEvent KeyComparison(Cardinal Offset) {
  return [Offset](TBaseLazyTree_qn*, PLazyNode A, PLazyNode B, TColumnIndex, Integer& R) {
    uint32_t a = *reinterpret_cast<const uint32_t*>(reinterpret_cast<const Byte*>(A) + Offset);
    uint32_t b = *reinterpret_cast<const uint32_t*>(reinterpret_cast<const Byte*>(B) + Offset);
    R = a < b ? -1 : a > b ? 1 : 0;
  };
}

// One sort of fresh siblings, laid out in the order they were made, as the
// peer's records are; the time of the sort alone.
double OneOursSort(const std::vector<uint32_t>& keys) {
  auto* t = new TBaseLazyTree_qn(nullptr);
  t->SetNodeDataSize(Integer(sizeof(uint32_t)));
  t->SetRootNodeCount(kSortRows);
  t->OnCompareNodes = KeyComparison(t->UserDataOffset());
  size_t i = 0;
  for (PLazyNode n = t->RootNode()->FirstChild; n; n = n->NextSibling) *t->GetNodeData<uint32_t>(n) = keys[i++];
  // The position cache of the new nodes is rebuilt by the worker; that is
  // not the sort's time.
  t->InterruptValidation();
  t->BeginUpdate();
  auto a = TClock::now();
  t->Sort(nullptr, NoColumn, sdAscending, false);
  double seconds = Seconds(a, TClock::now());
  t->EndUpdate();
  delete t;
  return seconds;
}

struct TPeerSortRecords {
  const Cardinal Offset = TreeNodeSize;
  const size_t Size = (Offset + sizeof(uint32_t) + 7) & ~size_t(7);
  std::vector<Byte> Block = std::vector<Byte>(Size * kSortRows);
  std::vector<PLazyNode> Records = std::vector<PLazyNode>(kSortRows);
  TVTCompareEvent Compare = KeyComparison(Offset);
};

double OnePeerSort(const std::vector<uint32_t>& keys, TPeerSortRecords& p) {
  for (Cardinal i = 0; i < kSortRows; ++i) {
    Byte* r = &p.Block[p.Size * i];
    *reinterpret_cast<uint32_t*>(r + p.Offset) = keys[i];
    p.Records[i] = reinterpret_cast<PLazyNode>(r);
  }
  auto a = TClock::now();
  std::stable_sort(p.Records.begin(), p.Records.end(), [&](PLazyNode x, PLazyNode y) {
    Integer r = 0;
    p.Compare(nullptr, x, y, NoColumn, r);
    return r < 0;
  });
  double seconds = Seconds(a, TClock::now());
  benchmark::DoNotOptimize(p.Records.data());
  return seconds;
}

// Both sides sort in turns, five times each, and each reports its fastest:
// a busy moment of the machine then falls on both, and a busy machine slows
// single runs, never speeds them up. The ratio is taken from the fastest
// sorts of all the turns.
double GSortBest[2] = {1e30, 1e30};

void SortInTurns(benchmark::State& st, bool Ours) {
  std::vector<uint32_t> keys = SortKeys();
  TPeerSortRecords peer;
  for (auto _ : st) {
    double ours = 1e30, theirs = 1e30;
    for (int run = 0; run < 5; ++run) {
      ours = std::min(ours, OneOursSort(keys));
      theirs = std::min(theirs, OnePeerSort(keys, peer));
    }
    GSortBest[0] = std::min(GSortBest[0], ours);
    GSortBest[1] = std::min(GSortBest[1], theirs);
    st.SetIterationTime(Ours ? ours : theirs);
  }
}
void OursSort(benchmark::State& st) { SortInTurns(st, true); }
void PeerSort(benchmark::State& st) { SortInTurns(st, false); }

// --- One screen painted: a million nodes scrolled to the middle -----------

constexpr Cardinal kPaintParents = 1000, kPaintChildren = 999;
constexpr int kPaintFrames = 20;

// The best of five timed runs of Frames: a busy machine slows single runs,
// never speeds them up.
// Frames that time only part of themselves return the seconds that count.
template <class F>
double LowestOfFive(F&& Frames) {
  double best = 1e30;
  for (int run = 0; run < 5; ++run) {
    auto a = TClock::now();
    if constexpr (std::is_same_v<decltype(Frames()), double>) {
      best = std::min(best, Frames());
    } else {
      Frames();
      best = std::min(best, Seconds(a, TClock::now()));
    }
  }
  return best;
}

void OursPaint(benchmark::State& st) {
  auto* t = new TLazyStringTree_qn(GOurs->Form);
  t->SetParent(GOurs->Form);
  t->SetBounds(0, 0, 800, 600);
  t->Font()->SetName(u"DejaVu Sans");
  t->Font()->SetSize(9);
  t->OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode, TLazyNodeInitStates& S) {
    if (!Parent) S += TLazyNodeInitStates{ivsHasChildren, ivsExpanded};
  };
  t->OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = kPaintChildren; };
  t->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex, TVSTTextType, String& Text) {
    Text = u"Node " + IntToStr(Integer(N->Index));
  });
  t->SetRootNodeCount(kPaintParents);
  t->FullExpand();
  Integer middle = Integer(t->RootNode()->TotalHeight / 2);
  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf32bit);
  target.SetSize(800, 600);
  const TVTInternalPaintOptions options{poBackground, poColumnColor, poDrawFocusRect, poDrawSelection,
                                        poDrawDropMark, poGridLines};
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      for (int i = 0; i < kPaintFrames; ++i)
        t->PaintTree(target.Canvas(), TRect(0, middle, 800, middle + 600), TPoint(0, 0), options,
                     TPixelFormat::pf32bit);
    }));
  // The frame must show the captions: count the dark text pixels.
  int ink = 0;
  for (int y = 0; y < 600; ++y) {
    auto* row = static_cast<const uint32_t*>(target.ScanLine(y));
    for (int x = 0; x < 800; ++x) ink += (row[x] & 0xFF) < 96;
  }
  if (ink < 2000) st.SkipWithError("the painted frame shows no captions");
  delete t;
}

void PeerPaint(benchmark::State& st) {
  GPeer->Fill(kPaintParents, kPaintChildren, "Node %u");
  GPeer->Attach();
  GtkTreeView* view = GTK_TREE_VIEW(GPeer->View);
  gtk_tree_view_set_enable_tree_lines(view, TRUE);
  gtk_tree_view_expand_all(view);
  TPeer::Idle();
  GtkAdjustment* adj = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(view));
  gtk_adjustment_set_value(adj, (gtk_adjustment_get_upper(adj) - gtk_adjustment_get_page_size(adj)) / 2);
  TPeer::Idle();
  GdkWindow* window = gtk_widget_get_window(GPeer->View);
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      for (int i = 0; i < kPaintFrames; ++i) {
        gtk_widget_queue_draw(GPeer->View);
        G_GNUC_BEGIN_IGNORE_DEPRECATIONS
        gdk_window_process_updates(window, TRUE);
        G_GNUC_END_IGNORE_DEPRECATIONS
      }
    }));
  GPeer->Detach();
}

// --- Node stream: a million nodes with 16 bytes of user data each ---------
//
// Three levels (100 top-level nodes of 100 children of 99 children), every
// node initialized, its 16 bytes handed through OnSaveNode and OnLoadNode.
// The peer is a GtkTreeStore of the same shape with two 64-bit columns: it
// saves by gtk_tree_model_foreach writing each row's depth and values into
// a buffer, and loads by filling a new store from that buffer, prepending
// as the create case does.

constexpr Cardinal kStreamTop = 100, kStreamMiddle = 100, kStreamLeaves = 99;

struct TStreamData {
  uint64_t A, B;
};

void SetUpStreamTree(TBaseLazyTree_qn* T) {
  T->SetNodeDataSize(Integer(sizeof(TStreamData)));
  T->OnInitNode = [](TBaseLazyTree_qn* S, PLazyNode Parent, PLazyNode N, TLazyNodeInitStates& States) {
    Cardinal level = Parent ? S->GetNodeLevel(Parent) + 1 : 0;
    if (level < 2) States.Include(ivsHasChildren);
    *S->GetNodeData<TStreamData>(N) = TStreamData{uint64_t(N->Index) * 2654435761u, level};
  };
  T->OnInitChildren = [](TBaseLazyTree_qn* S, PLazyNode N, Cardinal& Count) {
    Count = S->GetNodeLevel(N) == 0 ? kStreamMiddle : kStreamLeaves;
  };
  T->OnSaveNode = [](TBaseLazyTree_qn* S, PLazyNode N, TStream* Stream) {
    Stream->Write(S->GetNodeData(N), Integer(sizeof(TStreamData)));
  };
  T->OnLoadNode = [](TBaseLazyTree_qn* S, PLazyNode N, TStream* Stream) {
    Stream->Read(S->GetNodeData(N), Integer(sizeof(TStreamData)));
  };
}

void ResetStreamTree(TBaseLazyTree_qn* T) {
  T->Clear();
  T->OnInitNode = nullptr;
  T->OnInitChildren = nullptr;
  T->OnSaveNode = nullptr;
  T->OnLoadNode = nullptr;
  T->SetNodeDataSize(-1);
}

// The peer's store and its buffer: per row one depth byte and 16 bytes.
GtkTreeStore* StreamStore() {
  GtkTreeStore* store = gtk_tree_store_new(2, G_TYPE_UINT64, G_TYPE_UINT64);
  for (Cardinal i = 0; i < kStreamTop; ++i) {
    GtkTreeIter top;
    gtk_tree_store_insert_with_values(store, &top, nullptr, 0, 0, guint64(i), 1, guint64(0), -1);
    for (Cardinal j = 0; j < kStreamMiddle; ++j) {
      GtkTreeIter mid;
      gtk_tree_store_insert_with_values(store, &mid, &top, 0, 0, guint64(j), 1, guint64(1), -1);
      for (Cardinal k = 0; k < kStreamLeaves; ++k) {
        GtkTreeIter leaf;
        gtk_tree_store_insert_with_values(store, &leaf, &mid, 0, 0, guint64(k), 1, guint64(2), -1);
      }
    }
  }
  return store;
}

std::vector<uint8_t> PeerSaveOnce(GtkTreeStore* Store) {
  std::vector<uint8_t> buffer;
  gtk_tree_model_foreach(
      GTK_TREE_MODEL(Store),
      [](GtkTreeModel* Model, GtkTreePath* Path, GtkTreeIter* It, gpointer Data) -> gboolean {
        auto* out = static_cast<std::vector<uint8_t>*>(Data);
        guint64 v[2];
        gtk_tree_model_get(Model, It, 0, &v[0], 1, &v[1], -1);
        out->push_back(uint8_t(gtk_tree_path_get_depth(Path)));
        const uint8_t* b = reinterpret_cast<const uint8_t*>(v);
        out->insert(out->end(), b, b + sizeof(v));
        return FALSE;
      },
      &buffer);
  return buffer;
}

GtkTreeStore* PeerLoadOnce(const std::vector<uint8_t>& Buffer) {
  GtkTreeStore* store = gtk_tree_store_new(2, G_TYPE_UINT64, G_TYPE_UINT64);
  GtkTreeIter parents[4];
  for (size_t at = 0; at + 17 <= Buffer.size(); at += 17) {
    int depth = Buffer[at];
    guint64 v[2];
    std::memcpy(v, &Buffer[at + 1], sizeof(v));
    GtkTreeIter it;
    gtk_tree_store_insert_with_values(store, &it, depth > 1 ? &parents[depth - 1] : nullptr, 0, 0, v[0], 1, v[1],
                                      -1);
    if (depth < 4) parents[depth] = it;
  }
  return store;
}

void OursStreamSave(benchmark::State& st) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  SetUpStreamTree(t);
  t->SetRootNodeCount(kStreamTop);
  t->ValidateNode(nullptr, true);
  if (t->TotalCount() != kStreamTop * (1 + kStreamMiddle * (1 + kStreamLeaves)))
    st.SkipWithError("the tree does not have the planned shape");
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      TMemoryStream s;
      t->SaveToStream(&s);
      benchmark::DoNotOptimize(s.Memory());
    }));
  ResetStreamTree(t);
}

void PeerStreamSave(benchmark::State& st) {
  GtkTreeStore* store = StreamStore();
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      std::vector<uint8_t> buffer = PeerSaveOnce(store);
      benchmark::DoNotOptimize(buffer.data());
    }));
  g_object_unref(store);
}

// The best of five loads of Saved into T, emptied before each.
double LowestLoadOfFive(TBaseLazyTree_qn* T, TMemoryStream& Saved) {
  return LowestOfFive([&] {
    T->Clear();
    Saved.SetPosition(0);
    auto a = TClock::now();
    T->LoadFromStream(&Saved);
    return Seconds(a, TClock::now());
  });
}

void OursStreamLoad(benchmark::State& st) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  SetUpStreamTree(t);
  t->SetRootNodeCount(kStreamTop);
  t->ValidateNode(nullptr, true);
  TMemoryStream saved;
  t->SaveToStream(&saved);
  for (auto _ : st) st.SetIterationTime(LowestLoadOfFive(t, saved));
  if (t->TotalCount() != kStreamTop * (1 + kStreamMiddle * (1 + kStreamLeaves)))
    st.SkipWithError("the loaded tree does not have the saved shape");
  ResetStreamTree(t);
}

void PeerStreamLoad(benchmark::State& st) {
  GtkTreeStore* source = StreamStore();
  std::vector<uint8_t> buffer = PeerSaveOnce(source);
  g_object_unref(source);
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      auto a = TClock::now();
      GtkTreeStore* store = PeerLoadOnce(buffer);
      double seconds = Seconds(a, TClock::now());
      g_object_unref(store);
      return seconds;
    }));
}

// Loading a million top-level nodes, all of them selected, against the
// same nodes unselected: each selected node joins the selection, which must
// not cost more than reading it. No peer: the two are compared.

void StreamLoadSelection(benchmark::State& st, bool Selected) {
  TBaseLazyTree_qn* t = GOurs->Tree;
  TVTSelectionOptions options = t->TreeOptions()->SelectionOptions();
  TVTSelectionOptions multi = options;
  multi.Include(toMultiSelect);
  t->TreeOptions()->SetSelectionOptions(multi);
  t->SetRootNodeCount(kRows);
  if (Selected) t->SelectAll(false);
  TMemoryStream saved;
  t->SaveToStream(&saved);
  for (auto _ : st) st.SetIterationTime(LowestLoadOfFive(t, saved));
  if (t->RootNodeCount() != kRows || t->SelectedCount() != (Selected ? Integer(kRows) : 0))
    st.SkipWithError("the loaded tree does not have the saved nodes and selection");
  t->Clear();
  t->TreeOptions()->SetSelectionOptions(options);
}

void OursLoadSelected(benchmark::State& st) { StreamLoadSelection(st, true); }
void OursLoadUnselected(benchmark::State& st) { StreamLoadSelection(st, false); }

// --- HTML export: 100000 nodes in three columns ----------------------------

constexpr Cardinal kExportTop = 1000, kExportChildren = 99;

String ExportCell(PLazyNode N, TColumnIndex Column) {
  static const char16_t* const kPrefix[] = {u"Node ", u"Size ", u"Note "};
  return kPrefix[Column < 0 ? 0 : Column] + IntToStr(Integer(N->Index));
}

void OursExportHtml(benchmark::State& st) {
  auto* t = new TLazyStringTree_qn(GOurs->Form);
  t->SetParent(GOurs->Form);
  t->SetBounds(0, 0, 800, 600);
  for (const char16_t* caption : {u"Name", u"Size", u"Note"}) {
    TLazyTreeColumn* c = t->Header()->Columns()->Add();
    c->SetText(caption);
    c->SetWidth(150);
  }
  t->OnInitNode = [](TBaseLazyTree_qn*, PLazyNode Parent, PLazyNode, TLazyNodeInitStates& S) {
    if (!Parent) S += TLazyNodeInitStates{ivsHasChildren, ivsExpanded};
  };
  t->OnInitChildren = [](TBaseLazyTree_qn*, PLazyNode, Cardinal& Count) { Count = kExportChildren; };
  t->SetOnGetText([](TBaseLazyTree_qn*, PLazyNode N, TColumnIndex Column, TVSTTextType, String& Text) {
    Text = ExportCell(N, Column);
  });
  t->SetRootNodeCount(kExportTop);
  t->ValidateNode(nullptr, true);
  std::size_t bytes = 0;
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      AnsiString html = t->ContentToHTML(tstAll);
      bytes = html.size();
      benchmark::DoNotOptimize(html.data());
    }));
  if (t->TotalCount() != kExportTop * (1 + kExportChildren) || bytes < 100000)
    st.SkipWithError("the export does not hold the planned tree");
  delete t;
}

void PeerExportHtml(benchmark::State& st) {
  auto attr = [](xmlNodePtr Node, const char* Name, const char* Value) {
    xmlNewProp(Node, BAD_CAST Name, BAD_CAST Value);
  };
  const char* const prefix[] = {"Node ", "Size ", "Note "};
  for (auto _ : st)
    st.SetIterationTime(LowestOfFive([&] {
      htmlDocPtr doc = htmlNewDocNoDtD(nullptr, nullptr);
      xmlNodePtr table = xmlNewNode(nullptr, BAD_CAST "table");
      xmlDocSetRootElement(doc, table);
      attr(table, "class", "default");
      attr(table, "bgcolor", "#FFFFFF");
      attr(table, "cellspacing", "0");
      attr(table, "cellpadding", "4");
      xmlNodePtr header = xmlNewChild(table, nullptr, BAD_CAST "tr", nullptr);
      attr(header, "class", "header");
      for (const char* caption : {"Name", "Size", "Note"}) {
        xmlNodePtr th = xmlNewChild(header, nullptr, BAD_CAST "th", BAD_CAST caption);
        attr(th, "height", "19px");
        attr(th, "align", "left");
        attr(th, "bgcolor", "#D4D0C8");
        attr(th, "width", "150px");
      }
      char text[32];
      for (Cardinal top = 0; top < kExportTop; ++top)
        for (Cardinal k = 0; k <= kExportChildren; ++k) {
          const bool child = k > 0;
          const Cardinal index = child ? k - 1 : top;
          xmlNodePtr tr = xmlNewChild(table, nullptr, BAD_CAST "tr", nullptr);
          attr(tr, "class", "default");
          if (child) {
            xmlNodePtr indent = xmlNewChild(tr, nullptr, BAD_CAST "td", BAD_CAST "\xC2\xA0");
            attr(indent, "height", "18px");
            attr(indent, "class", "normalborder");
          }
          for (int column = 0; column < 3; ++column) {
            std::snprintf(text, sizeof text, "%s%u", prefix[column], index);
            xmlNodePtr td = xmlNewTextChild(tr, nullptr, BAD_CAST "td", BAD_CAST text);
            attr(td, "class", "normalborder");
            attr(td, "height", "18px");
            attr(td, "align", "left");
            if (column == 0 && !child) attr(td, "colspan", "2");
          }
        }
      xmlChar* out = nullptr;
      int size = 0;
      htmlDocDumpMemory(doc, &out, &size);
      benchmark::DoNotOptimize(out);
      xmlFree(out);
      xmlFreeDoc(doc);
    }));
}

class TimeReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred) seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

size_t HeapInUse() {
  struct mallinfo2 mi = mallinfo2();
  return mi.uordblks + mi.hblkhd;
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  qn::Initialize();
  GOurs = new TOurs;
  GPeer = new TPeer;

  // What one node costs: the heap grown by a million fresh nodes.
  {
    size_t before = HeapInUse();
    GOurs->Tree->SetRootNodeCount(kRows);
    size_t after = HeapInUse();
    size_t record = TreeNodeSize + GOurs->Tree->TotalInternalDataSize() + size_t(GOurs->Tree->NodeDataSize());
    std::printf("memory per node: %zu bytes (record %zu)\n", (after - before) / kRows, record);
    GOurs->Tree->Clear();
  }

  const std::pair<const char*, void (*)(benchmark::State&)> cases[] = {
      {"create/ours", OursCreate},        {"create/peer", PeerCreate},       {"validate/ours", OursValidate},
      {"validate/peer", PeerValidate},    {"getnodeat/ours", OursNodeAt},    {"getnodeat/peer", PeerNodeAt},
      {"expandall/ours", OursExpandAll},  {"expandall/peer", PeerExpandAll}, {"collapseall/ours", OursCollapseAll},
      {"collapseall/peer", PeerCollapseAll}, {"sort/ours", OursSort},         {"sort/peer", PeerSort},
      {"paint/ours", OursPaint},          {"paint/peer", PeerPaint},
      {"stream-save/ours", OursStreamSave}, {"stream-save/peer", PeerStreamSave},
      {"stream-load/ours", OursStreamLoad}, {"stream-load/peer", PeerStreamLoad},
      {"stream-load-selected/ours", OursLoadSelected}, {"stream-load-unselected/ours", OursLoadUnselected},
      {"export-html/ours", OursExportHtml}, {"export-html/peer", PeerExportHtml}};
  for (auto& c : cases)
    benchmark::RegisterBenchmark(c.first, c.second)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  TimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* name : {"create", "validate", "getnodeat", "expandall", "collapseall", "sort", "paint",
                           "stream-save", "stream-load", "export-html"}) {
    auto& s = reporter.seconds;
    std::string ours = std::string(name) + "/ours/iterations:3/manual_time";
    std::string peer = std::string(name) + "/peer/iterations:3/manual_time";
    double o = s.count(ours) ? s[ours] : 0, p = s.count(peer) ? s[peer] : 0;
    if (std::string(name) == "sort" && GSortBest[0] < 1e30) {
      o = GSortBest[0];
      p = GSortBest[1];
    }
    const std::string n = name;
    std::printf("ratio %s: %.2f (%s)\n", name, o > 0 ? p / o : 0,
                n == "sort" ? "std::stable_sort" : n == "export-html" ? "libxml2" : "GTK");
  }
  {
    auto& s = reporter.seconds;
    const std::string sel = "stream-load-selected/ours/iterations:3/manual_time";
    const std::string unsel = "stream-load-unselected/ours/iterations:3/manual_time";
    double a = s.count(sel) ? s[sel] : 0, b = s.count(unsel) ? s[unsel] : 0;
    std::printf("selected load: %.1f ms for %u selected nodes, %.1f ms unselected (%.2f times)\n", a, kRows, b,
                b > 0 ? a / b : 0);
  }
  std::fflush(stdout);
  delete GPeer;
  delete GOurs;
  // Both libraries draw text through fontconfig; ours lets it go at the end
  // only once pango no longer holds its caches.
  pango_cairo_font_map_set_default(nullptr);
  qn::Finalize();
  return 0;
}
