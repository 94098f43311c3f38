// The tree unit's process-wide resources: the bitmaps and cursors the tree
// draws with (pixel art made here and registered in the module's resource
// table when the unit starts), the shared check image sets, OLE start-up and
// the clipboard formats, all made once by the first tree and released when
// the unit finishes.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/gdi/Gdi.h"
#include "platform/ole/Ole2.h"
#include "platform/user/Clipboard.h"
#include "platform/user/Resources.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn_Appearance.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace qn {

Word CF_LAZYTREE = 0, CF_VTREFERENCE = 0, CF_HTML = 0, CF_VRTF = 0, CF_VRTFNOOBJS = 0, CF_CSV = 0;

namespace {

// ---------------------------------------------------------------------------
// Pixel art. Pixels are 0x00RRGGBB, the order a DIB keeps them in memory.

constexpr uint32_t Px(int R, int G, int B) { return uint32_t(R) << 16 | uint32_t(G) << 8 | uint32_t(B); }
// The colours a mapped load replaces by system colours, and the key colour
// that stays transparent.
constexpr uint32_t kWhite = Px(255, 255, 255), kSilver = Px(192, 192, 192), kGrey = Px(128, 128, 128),
                   kBlack = 0, kKey = Px(255, 0, 255);

struct TArt {
  int W, H;
  std::vector<uint32_t> P;
  TArt(int AW, int AH, uint32_t Fill) : W(AW), H(AH), P(size_t(AW) * size_t(AH), Fill) {}
  void Set(int X, int Y, uint32_t C) {
    if (X >= 0 && Y >= 0 && X < W && Y < H) P[size_t(Y) * size_t(W) + size_t(X)] = C;
  }
  void Fill(int L, int T, int R, int B, uint32_t C) {  // inclusive corners
    for (int y = T; y <= B; ++y)
      for (int x = L; x <= R; ++x) Set(x, y, C);
  }
  void Frame(int L, int T, int R, int B, uint32_t C) {
    for (int x = L; x <= R; ++x) Set(x, T, C), Set(x, B, C);
    for (int y = T; y <= B; ++y) Set(L, y, C), Set(R, y, C);
  }
  // A line Thick pixels tall, stamped downwards from each point.
  void Line(int X0, int Y0, int X1, int Y1, int Thick, uint32_t C) {
    int dx = std::abs(X1 - X0), dy = -std::abs(Y1 - Y0), sx = X0 < X1 ? 1 : -1, sy = Y0 < Y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
      for (int t = 0; t < Thick; ++t) Set(X0, Y0 + t, C);
      if (X0 == X1 && Y0 == Y1) break;
      int e2 = 2 * err;
      if (e2 >= dy) err += dy, X0 += sx;
      if (e2 <= dx) err += dx, Y0 += sy;
    }
  }
  // A packed DIB: 32 bits, bottom-up, alpha 0 so the key colour decides
  // what is transparent.
  std::vector<Byte> Dib() const {
    std::vector<Byte> out(40 + P.size() * 4, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(out.data() + at, &v, 4); };
    put32(0, 40);
    put32(4, uint32_t(W));
    put32(8, uint32_t(H));
    out[12] = 1;
    out[14] = 32;
    for (int y = 0; y < H; ++y)
      std::memcpy(out.data() + 40 + size_t(H - 1 - y) * size_t(W) * 4, P.data() + size_t(y) * size_t(W),
                  size_t(W) * 4);
    return out;
  }
};

// How one check set looks: colours per state (normal, hot, pressed,
// disabled) and the shape of its mark.
struct TCheckLook {
  uint32_t Fill[4];
  uint32_t Border[4];
  uint32_t HotRing;  // inner ring of the hot box (kKey: none)
  uint32_t Mark, MarkDisabled;
  bool Sunken;   // a 3-D well instead of a flat border
  bool Tick;     // a thin tick instead of the bold check
  bool Shaded;   // fills run from the state colour to white
};

constexpr int kCell = 16;

uint32_t Mix(uint32_t A, uint32_t B, int Num, int Den) {
  auto ch = [&](int s) {
    int a = int(A >> s & 0xFF), b = int(B >> s & 0xFF);
    return uint32_t(a + (b - a) * Num / Den) << s;
  };
  return ch(16) | ch(8) | ch(0);
}

void BoxFill(TArt& A, int Ox, const TCheckLook& L, int State, int Lo, int Hi) {
  for (int y = Lo; y <= Hi; ++y)
    for (int x = Lo; x <= Hi; ++x) {
      uint32_t c = L.Fill[State];
      if (L.Shaded) c = Mix(c, kWhite, (x - Lo) + (y - Lo), 2 * (Hi - Lo));
      A.Set(Ox + x, y, c);
    }
}

void DrawMark(TArt& A, int Ox, const TCheckLook& L, int State, int Kind) {
  uint32_t m = State == 3 ? L.MarkDisabled : L.Mark;
  if (Kind == 1) {  // checked
    if (L.Tick) {
      A.Line(Ox + 4, 7, Ox + 6, 10, 2, m);
      A.Line(Ox + 7, 9, Ox + 11, 3, 2, m);
    } else {
      A.Line(Ox + 4, 6, Ox + 6, 8, 3, m);
      A.Line(Ox + 7, 7, Ox + 11, 3, 3, m);
    }
  } else if (Kind == 2) {  // mixed
    A.Fill(Ox + 5, 5, Ox + 10, 10, m);
  }
}

void DrawCheckBox(TArt& A, int Ox, const TCheckLook& L, int State, int Kind) {
  if (L.Sunken) {
    // A well: dark above and left, light below and right.
    A.Fill(Ox + 1, 1, Ox + 14, 1, kGrey);
    A.Fill(Ox + 1, 1, Ox + 1, 14, kGrey);
    A.Fill(Ox + 2, 2, Ox + 13, 2, kBlack);
    A.Fill(Ox + 2, 2, Ox + 2, 13, kBlack);
    A.Fill(Ox + 1, 14, Ox + 14, 14, kWhite);
    A.Fill(Ox + 14, 1, Ox + 14, 14, kWhite);
    A.Fill(Ox + 2, 13, Ox + 13, 13, kSilver);
    A.Fill(Ox + 13, 2, Ox + 13, 13, kSilver);
    BoxFill(A, Ox, L, State, 3, 12);
    if (L.HotRing != kKey && State == 1) A.Frame(Ox + 3, 3, Ox + 12, 12, L.HotRing);
  } else {
    BoxFill(A, Ox, L, State, 2, 13);
    A.Frame(Ox + 1, 1, Ox + 14, 14, L.Border[State]);
    if (L.HotRing != kKey && State == 1) A.Frame(Ox + 2, 2, Ox + 13, 13, L.HotRing);
  }
  DrawMark(A, Ox, L, State, Kind);
}

void DrawRadio(TArt& A, int Ox, const TCheckLook& L, int State, bool Checked) {
  const double c = 7.5;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      double d = std::hypot(x - c, y - c);
      if (d > 6.6) continue;
      uint32_t col;
      if (d > 5.6) {
        col = L.Border[State];
        if (L.Sunken) col = (x + y < 15) ? kGrey : kWhite;
      } else if (d > 4.6 && L.HotRing != kKey && State == 1) {
        col = L.HotRing;
      } else {
        col = L.Fill[State];
        if (L.Shaded) col = Mix(col, kWhite, x + y, 2 * kCell);
      }
      A.Set(Ox + x, y, col);
    }
  if (Checked) {
    uint32_t m = State == 3 ? L.MarkDisabled : L.Mark;
    for (int y = 0; y < kCell; ++y)
      for (int x = 0; x < kCell; ++x)
        if (std::hypot(x - c, y - c) <= 2.6) A.Set(Ox + x, y, m);
  }
}

// A push button: raised, or sunk while pressed; flat grey when disabled.
void DrawPush(TArt& A, int Ox, const TCheckLook& L, int State) {
  uint32_t face = State == 1 ? kWhite : kSilver;
  if (L.Shaded) face = L.Fill[State];
  A.Fill(Ox + 1, 1, Ox + 14, 14, face);
  if (L.Shaded) BoxFill(A, Ox, L, State, 2, 13);
  bool down = State == 2;
  uint32_t light = down ? kGrey : kWhite, dark = down ? kWhite : kGrey, outer = down ? kWhite : kBlack;
  if (State == 3) light = dark = outer = kGrey;
  if (L.Shaded) {
    A.Frame(Ox + 1, 1, Ox + 14, 14, L.Border[State]);
    return;
  }
  A.Fill(Ox + 1, 1, Ox + 13, 1, light);
  A.Fill(Ox + 1, 1, Ox + 1, 13, light);
  A.Fill(Ox + 1, 14, Ox + 14, 14, outer);
  A.Fill(Ox + 14, 1, Ox + 14, 14, outer);
  A.Fill(Ox + 2, 13, Ox + 13, 13, dark);
  A.Fill(Ox + 13, 2, Ox + 13, 13, dark);
}

// The 25 images of a check set in the index layout: 0 empty, 1-8 radio
// buttons, 9-20 check boxes (unchecked, checked, mixed), 21-24 push buttons;
// each group of four normal, hot, pressed, disabled.
TArt CheckStrip(const TCheckLook& L) {
  TArt a(25 * kCell, kCell, kKey);
  for (int i = 1; i <= 24; ++i) {
    int ox = i * kCell, state = (i - 1) % 4;
    if (i <= 8) DrawRadio(a, ox, L, state, i >= 5);
    else if (i <= 20) DrawCheckBox(a, ox, L, state, (i - 9) / 4);
    else DrawPush(a, ox, L, state);
  }
  return a;
}

TCheckLook Look(bool Dark, bool Tick) {
  TCheckLook l{};
  for (int s = 0; s < 4; ++s) l.Fill[s] = kWhite, l.Border[s] = Dark ? kBlack : kGrey;
  l.Fill[2] = l.Fill[3] = kSilver;
  l.Border[1] = kBlack;
  l.Border[3] = kGrey;
  l.HotRing = kSilver;
  l.Mark = kBlack;
  l.MarkDisabled = kGrey;
  l.Sunken = Dark;
  l.Tick = Tick;
  return l;
}

TCheckLook FlatLook() {
  TCheckLook l = Look(false, false);
  for (uint32_t& b : l.Border) b = kBlack;
  l.Border[3] = kGrey;
  l.HotRing = kGrey;
  return l;
}

// The colourful set: blue frame, soft fill, green mark, amber hot ring.
TCheckLook XPLook() {
  TCheckLook l{};
  const uint32_t frame = Px(28, 81, 128), off = Px(202, 200, 187);
  uint32_t fills[4] = {Px(220, 220, 215), Px(232, 232, 226), Px(176, 176, 167), Px(250, 250, 248)};
  for (int s = 0; s < 4; ++s) l.Fill[s] = fills[s], l.Border[s] = s == 3 ? off : frame;
  l.HotRing = Px(248, 179, 48);
  l.Mark = Px(33, 161, 33);
  l.MarkDisabled = off;
  l.Tick = true;
  l.Shaded = true;
  return l;
}

// Utility glyphs: 0-1 drop marks, 2-3 sort glyphs (up, down), 4-5 their
// themed forms (thin chevrons).
TArt UtilityStrip() {
  TArt a(6 * kCell, kCell, kKey);
  // Drop marks: an arrow pointing right, and one pointing left.
  for (int i = 0; i < 2; ++i) {
    int ox = i * kCell;
    for (int y = 3; y <= 12; ++y) {
      int reach = 5 - std::abs(y - 7) + (y > 7 ? 1 : 0);
      if (reach < 0) continue;
      for (int k = 0; k <= reach; ++k) a.Set(i == 0 ? ox + 6 + k : ox + 9 - k, y, kBlack);
    }
    a.Fill(i == 0 ? ox + 2 : ox + 9, 6, i == 0 ? ox + 6 : ox + 13, 8, kBlack);
  }
  // Sort glyphs: solid triangles in the shadow colour.
  for (int i = 0; i < 2; ++i) {
    int ox = (2 + i) * kCell;
    for (int r = 0; r < 5; ++r) {
      int y = i == 0 ? 5 + r : 10 - r;
      a.Fill(ox + 7 - r, y, ox + 8 + r, y, kGrey);
    }
  }
  // Themed sort glyphs: chevrons.
  for (int i = 0; i < 2; ++i) {
    int ox = (4 + i) * kCell;
    for (int r = 0; r < 4; ++r) {
      int y = i == 0 ? 6 + r : 9 - r;
      a.Set(ox + 7 - r, y, kGrey);
      a.Set(ox + 8 + r, y, kGrey);
      a.Set(ox + 7 - r, y + (i == 0 ? 1 : -1), kGrey);
      a.Set(ox + 8 + r, y + (i == 0 ? 1 : -1), kGrey);
    }
  }
  return a;
}

// The shaded expand buttons: a blue-grey frame with rounded corners around
// a fill that darkens downwards, the sign in black.
TArt ShadedButton(bool Plus) {
  TArt a(9, 9, Px(255, 255, 255));
  for (int y = 1; y < 8; ++y) a.Fill(1, y, 7, y, Mix(Px(255, 255, 255), Px(198, 198, 189), y - 1, 6));
  a.Frame(0, 0, 8, 8, Px(120, 152, 181));
  uint32_t corner = Px(214, 224, 232);
  a.Set(0, 0, corner), a.Set(8, 0, corner), a.Set(0, 8, corner), a.Set(8, 8, corner);
  a.Fill(2, 4, 6, 4, kBlack);
  if (Plus) a.Fill(4, 2, 4, 6, kBlack);
  return a;
}

// A 32 x 32 cursor file (.cur) from an ink grid (0 clear, 1 black, 2
// white), 32-bit colour with its AND mask, the hot spot at (Hot, Hot).
constexpr int kCursor = 32;
std::vector<Byte> CursorFile(const std::vector<int>& Ink, int Hot) {
  const int n = kCursor;
  std::vector<Byte> out;
  auto w16 = [&](uint32_t v) { out.push_back(Byte(v)), out.push_back(Byte(v >> 8)); };
  auto w32 = [&](uint32_t v) { w16(v & 0xFFFF), w16(v >> 16); };
  w16(0), w16(2), w16(1);
  out.push_back(Byte(n)), out.push_back(Byte(n)), out.push_back(0), out.push_back(0);
  w16(uint32_t(Hot)), w16(uint32_t(Hot));
  const uint32_t imageBytes = 40 + n * n * 4 + n * 4;
  w32(imageBytes), w32(22);
  w32(40), w32(n), w32(2 * n), w16(1), w16(32);
  for (int i = 0; i < 6; ++i) w32(0);
  for (int y = n - 1; y >= 0; --y)
    for (int x = 0; x < n; ++x) {
      int v = Ink[size_t(y * n + x)];
      w32(v == 0 ? 0 : v == 1 ? 0xFF000000u : 0xFFFFFFFFu);
    }
  for (int y = n - 1; y >= 0; --y) {
    uint32_t bits = 0;
    for (int x = 0; x < n; ++x)
      if (Ink[size_t(y * n + x)] == 0) bits |= 0x80000000u >> x;
    // The mask rows are big-endian bit strings.
    out.push_back(Byte(bits >> 24)), out.push_back(Byte(bits >> 16)), out.push_back(Byte(bits >> 8)),
        out.push_back(Byte(bits));
  }
  return out;
}

// A split mark: a double bar with arrows to both sides, horizontal
// (Vertical = false: the header's column splitter) or turned upright. Black
// with a white outline; the hot spot in the middle.
std::vector<Byte> SplitCursor(bool Vertical) {
  const int n = kCursor;
  std::vector<int> ink(n * n, 0);
  auto put = [&](int x, int y, int v) {
    if (Vertical) std::swap(x, y);
    if (x >= 0 && y >= 0 && x < n && y < n) ink[size_t(y * n + x)] = v;
  };
  auto shape = [&](int v, int grow) {
    // Two bars.
    for (int y = 8 - grow; y <= 23 + grow; ++y)
      for (int x = 14 - grow; x <= 17 + grow; ++x) put(x, y, v);
    // The arrows and their shafts.
    for (int y = 15 - grow; y <= 16 + grow; ++y) {
      for (int x = 6 - grow; x <= 25 + grow; ++x) put(x, y, v);
    }
    for (int r = 0; r <= 4 + grow; ++r)
      for (int y = 15 - r; y <= 16 + r; ++y) {
        put(5 + r - grow, y, v);
        put(26 - r + grow, y, v);
      }
  };
  shape(2, 1);
  shape(1, 0);
  // The gap between the two bars.
  for (int y = 8; y <= 23; ++y)
    if (y < 15 || y > 16) put(15, y, 2), put(16, y, 2);
  return CursorFile(ink, 15);
}

// ---------------------------------------------------------------------------
// Wheel panning: the marker bitmaps and the direction cursors share one
// drawing of arrow heads pointing away from the middle of a 32 x 32 cell.

// The eight directions, clockwise from north, as unit steps.
struct TPanDir {
  const char16_t* Name;
  int Dx, Dy;
};
constexpr TPanDir kPanDirs[8] = {{u"VT_MOVEN", 0, -1},  {u"VT_MOVENE", 1, -1}, {u"VT_MOVEE", 1, 0},
                                 {u"VT_MOVESE", 1, 1},  {u"VT_MOVES", 0, 1},   {u"VT_MOVESW", -1, 1},
                                 {u"VT_MOVEW", -1, 0},  {u"VT_MOVENW", -1, -1}};

// Whether the pixel (X, Y) of a 32 x 32 cell lies in the arrow head that
// points along (Dx, Dy): its tip Tip pixels from the middle, its base Base
// pixels out and HalfWidth to each side.
bool InArrowHead(int X, int Y, int Dx, int Dy, double Tip, double Base, double HalfWidth) {
  double len = std::hypot(double(Dx), double(Dy));
  double ux = Dx / len, uy = Dy / len;
  double px = X + 0.5 - 16.0, py = Y + 0.5 - 16.0;
  double along = px * ux + py * uy, across = std::abs(-px * uy + py * ux);
  if (along < Base || along > Tip) return false;
  return across <= HalfWidth * (Tip - along) / (Tip - Base);
}

// The marker the panning window shows: a light disc with a grey rim, a dot
// in the middle and arrow heads for the directions the view can pan in
// (Horizontal and Vertical); magenta outside the disc is transparent.
TArt PanningImage(bool Horizontal, bool Vertical) {
  TArt a(kCursor, kCursor, kKey);
  const uint32_t rim = Px(112, 118, 128), face = Px(250, 250, 251), ink = Px(58, 64, 74);
  for (int y = 0; y < kCursor; ++y)
    for (int x = 0; x < kCursor; ++x) {
      double d = std::hypot(x + 0.5 - 16.0, y + 0.5 - 16.0);
      if (d <= 15.0) a.Set(x, y, d > 13.8 ? rim : face);
      if (d <= 2.3) a.Set(x, y, ink);
      for (int i = 0; i < 8; i += 2) {
        const TPanDir& dir = kPanDirs[i];
        if ((dir.Dx != 0 && !Horizontal) || (dir.Dy != 0 && !Vertical)) continue;
        if (InArrowHead(x, y, dir.Dx, dir.Dy, 12.5, 6.0, 5.0)) a.Set(x, y, ink);
      }
    }
  return a;
}

// A panning cursor: a ring in the middle and the arrow heads of the given
// directions (indices into kPanDirs), black with a white outline.
std::vector<Byte> PanningCursor(std::initializer_list<int> Directions) {
  const int n = kCursor;
  std::vector<int> shape(n * n, 0);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      double d = std::hypot(x + 0.5 - 16.0, y + 0.5 - 16.0);
      bool in = d >= 1.6 && d <= 3.6;
      for (int i : Directions) {
        const TPanDir& dir = kPanDirs[i];
        bool diagonal = dir.Dx != 0 && dir.Dy != 0;
        in = in || InArrowHead(x, y, dir.Dx, dir.Dy, diagonal ? 14.0 : 13.0, 6.0, 4.5);
      }
      if (in) shape[size_t(y * n + x)] = 1;
    }
  std::vector<int> ink = shape;
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      if (shape[size_t(y * n + x)]) continue;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          int xx = x + dx, yy = y + dy;
          if (xx >= 0 && yy >= 0 && xx < n && yy < n && shape[size_t(yy * n + xx)]) ink[size_t(y * n + x)] = 2;
        }
    }
  return CursorFile(ink, 16);
}

// The registered bytes must live as long as their registration.
struct TResourceBlock {
  String Name, Type;
  std::vector<Byte> Bytes;
};
std::vector<TResourceBlock>* GResources = nullptr;

void AddResource(const char16_t* Name, const char16_t* Type, std::vector<Byte> Bytes) {
  GResources->push_back({Name, Type, std::move(Bytes)});
  TResourceBlock& b = GResources->back();
  RegisterResource(b.Name, b.Type, b.Bytes.data(), b.Bytes.size());
}

// ---------------------------------------------------------------------------
// Shared state

bool GSetupDone = false;
bool GOleInitialized = false;
// The nine shared sets, in the order the set-up makes them.
enum TSharedSet { ssLightCheck, ssDarkCheck, ssLightTick, ssDarkTick, ssFlat, ssXP, ssUtilities, ssSystem,
                  ssSystemFlat, ssCount };
TImageList* GSets[ssCount] = {};
TClipboardFormatList* GFormats = nullptr;

struct TSetSource {
  const char16_t* Name;
  bool Mapped;
};
constexpr TSetSource kSetSources[ssSystem] = {
    {u"VT_CHECK_LIGHT", true}, {u"VT_CHECK_DARK", true}, {u"VT_TICK_LIGHT", true}, {u"VT_TICK_DARK", true},
    {u"VT_FLAT", true},        {u"VT_XP", false},        {u"VT_UTILITIES", true}};

TImageList* NewSharedList() {
  auto* l = new TImageList(nullptr);
  l->SetMasked(true);
  l->SetColorDepth(cd32Bit);
  return l;
}

// The system sets: frame controls drawn by the platform, the push buttons
// borrowed from a resource set.
void BuildSystemCheckImages(TImageList* List, bool Flat) {
  Integer w = GetSystemMetrics(SM_CXMENUCHECK) + 3, h = GetSystemMetrics(SM_CYMENUCHECK) + 3;
  List->Clear();
  List->SetSize(w, h);
  List->SetBkColor(clWhite);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(TPixelFormat::pf32bit);
  bmp->SetSize(w, h);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(TRect(0, 0, w, h));
  List->AddMasked(bmp.get(), clRed);
  for (Integer i = 0; i < 20; ++i) {
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, w, h));
    UINT flags = i <= 7 ? DFCS_BUTTONRADIO : i <= 15 ? DFCS_BUTTONCHECK : DFCS_BUTTON3STATE;
    switch (i % 4) {
      case 1: flags |= DFCS_HOT; break;
      case 2: flags |= DFCS_PUSHED; break;
      case 3: flags |= DFCS_INACTIVE; break;
      default: break;
    }
    if ((i >= 4 && i <= 7) || (i >= 12 && i <= 19)) flags |= DFCS_CHECKED;
    if (Flat) flags |= DFCS_FLAT;
    RECT r{1, 2, w - 2, h - 1};
    DrawFrameControl(c->Handle(), &r, DFC_BUTTON, flags);
    List->AddMasked(bmp.get(), clRed);
  }
  TImageList* source = GSets[Flat ? ssFlat : ssDarkCheck];
  TImageList* dark = GSets[ssDarkCheck];
  for (Integer i = 21; i <= 24; ++i) {
    c->Brush()->SetColor(clRed);
    c->FillRect(TRect(0, 0, w, h));
    if (source && i < source->Count())
      source->Draw(c, (w - dark->Width()) / 2, (h - dark->Height()) / 2, i, dsTransparent, itImage);
    List->AddMasked(bmp.get(), clRed);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Resource sets

void LoadLazyTreeImageSet(TCustomImageList* List, const String& ResName, bool Mapped) {
  TCriticalSection* lock = LazyTreesLock();
  if (lock) lock->Enter();
  try {
    auto bmp = std::make_unique<TBitmap>();
    HBITMAP h;
    if (Mapped) {
      COLORMAP map[4] = {{RGB(255, 255, 255), COLORREF(ColorToRGB(clWindow))},
                         {RGB(192, 192, 192), COLORREF(ColorToRGB(clBtnFace))},
                         {RGB(128, 128, 128), COLORREF(ColorToRGB(clBtnShadow))},
                         {RGB(0, 0, 0), COLORREF(ColorToRGB(clBtnText))}};
      h = CreateMappedBitmap(FindClassHInstance(TBaseLazyTree_qn::StaticClass()),
                             reinterpret_cast<intptr_t>(ResName.c_str()), 0, map, 4);
    } else {
      h = LoadBitmapW(FindClassHInstance(TBaseLazyTree_qn::StaticClass()), ResName.c_str());
    }
    if (h) bmp->SetHandle(h);
    if (bmp->Height() < 1) Assert(false, u"Internal image \"" + ResName + u"\" is missing or corrupt.");
    List->Clear();
    List->SetSize(bmp->Height(), bmp->Height());
    TColor mask = bmp->Canvas()->Pixels(0, 0);
    List->AddMasked(bmp.get(), mask);
  } catch (...) {
    if (lock) lock->Leave();
    throw;
  }
  if (lock) lock->Leave();
}

void ReloadMappedCheckImages() {
  if (!GSetupDone) return;
  for (int i = 0; i < ssSystem; ++i)
    if (GSets[i] && kSetSources[i].Mapped) LoadLazyTreeImageSet(GSets[i], kSetSources[i].Name, true);
}

TCustomImageList* SharedCheckImages(TCheckImageKind Kind) {
  switch (Kind) {
    case ckLightCheck: return GSets[ssLightCheck];
    case ckDarkCheck: return GSets[ssDarkCheck];
    case ckLightTick: return GSets[ssLightTick];
    case ckDarkTick: return GSets[ssDarkTick];
    case ckFlat: return GSets[ssFlat];
    case ckXP: return GSets[ssXP];
    case ckSystemFlat: return GSets[ssSystemFlat];
    case ckSystemDefault: return GSets[ssSystem];
    case ckCustom: return nullptr;
  }
  return nullptr;
}

TCustomImageList* UtilityImages() { return GSets[ssUtilities]; }

// ---------------------------------------------------------------------------
// Clipboard formats

void TClipboardFormatList::Add(const String& FormatString, TLazyTreeClass AClass, Cardinal Priority,
                               const TFormatEtc& AFormatEtc) {
  FList.push_back(TClipboardFormatListEntry{FormatString, AClass, Priority, AFormatEtc});
  // Stable, so equal priorities keep the order they were registered in.
  std::stable_sort(FList.begin(), FList.end(),
                   [](const TClipboardFormatListEntry& A, const TClipboardFormatListEntry& B) {
                     return A.Priority < B.Priority;
                   });
}

void TClipboardFormatList::EnumerateFormats(TLazyTreeClass TreeClass, TFormatEtcArray& Formats,
                                            TStrings* AllowedFormats) const {
  auto allowed = [AllowedFormats](const String& Description) {
    if (!AllowedFormats) return true;
    for (Integer i = 0; i < AllowedFormats->Count(); ++i)
      if (SameText(AllowedFormats->Strings(i), Description)) return true;
    return false;
  };
  for (const TClipboardFormatListEntry& e : FList)
    if (e.OfferedBy(TreeClass) && allowed(e.Description)) Formats.push_back(e.FormatEtc);
}

void TClipboardFormatList::EnumerateFormats(TLazyTreeClass TreeClass, TStrings* Formats) const {
  for (const TClipboardFormatListEntry& e : FList)
    if (e.OfferedBy(TreeClass)) Formats->Add(e.Description);
}

const TClipboardFormatListEntry* TClipboardFormatList::FindFormat(const String& FormatString) const {
  // From the end: a later registration of a name overrides an earlier one.
  for (auto it = FList.rbegin(); it != FList.rend(); ++it)
    if (SameText(it->Description, FormatString)) return &*it;
  return nullptr;
}

TLazyTreeClass TClipboardFormatList::FindFormat(const String& FormatString, Word& Fmt) const {
  const TClipboardFormatListEntry* e = FindFormat(FormatString);
  Fmt = e ? e->FormatEtc.cfFormat : Word(0);
  return e ? e->TreeClass : nullptr;
}

const TClipboardFormatListEntry* TClipboardFormatList::FindFormat(Word Format) const {
  for (auto it = FList.rbegin(); it != FList.rend(); ++it)
    if (it->FormatEtc.cfFormat == Format) return &*it;
  return nullptr;
}

TLazyTreeClass TClipboardFormatList::FindFormat(Word Fmt, String& Description) const {
  const TClipboardFormatListEntry* e = FindFormat(Fmt);
  Description = e ? e->Description : String();
  return e ? e->TreeClass : nullptr;
}

bool TClipboardFormatListEntry::OfferedBy(TClass ATreeClass) const {
  return ATreeClass && TreeClass && ATreeClass->InheritsFrom(TreeClass);
}

TClipboardFormatList* ClipboardFormatList() {
  if (!GFormats) GFormats = new TClipboardFormatList;
  return GFormats;
}

namespace {

const TClipboardFormatEntry kPredefinedFormats[16] = {
    {1, u"Plain text"},        {2, u"Windows bitmap"},       {3, u"Windows metafile"},
    {4, u"Symbolic link"},     {5, u"Data interchange format"}, {6, u"Tiff image"},
    {7, u"OEM text"},          {8, u"DIB image"},            {9, u"Palette data"},
    {10, u"Pen data"},         {11, u"Riff audio data"},     {12, u"Wav audio data"},
    {13, u"Unicode text"},     {14, u"Enhanced metafile image"}, {15, u"File name(s)"},
    {16, u"Locale descriptor"}};

void CheckTreeClass(TLazyTreeClass TreeClass) {
  if (!TreeClass || !TreeClass->InheritsFrom(TBaseLazyTree_qn::StaticClass()))
    throw EArgumentException(u"A clipboard format must belong to a tree class.");
}

}  // namespace

Word RegisterVTClipboardFormat(const String& Description, TLazyTreeClass TreeClass, Cardinal Priority, DWORD tymed,
                               DVTARGETDEVICE* ptd, DWORD dwAspect, LONG lindex) {
  CheckTreeClass(TreeClass);
  if (Description.empty()) throw EArgumentException(u"A clipboard format needs a name.");
  TFormatEtc f;
  f.cfFormat = Word(RegisterClipboardFormatW(Description.c_str()));
  if (f.cfFormat == 0) throw EArgumentException(u"The clipboard format could not be registered.");
  f.ptd = ptd;
  f.dwAspect = dwAspect;
  f.lindex = lindex;
  f.tymed = tymed;
  ClipboardFormatList()->Add(Description, TreeClass, Priority, f);
  return f.cfFormat;
}

void RegisterVTClipboardFormat(Word AFormat, TLazyTreeClass TreeClass, Cardinal Priority) {
  CheckTreeClass(TreeClass);
  String description;
  if (AFormat < 17) {
    for (const TClipboardFormatEntry& e : kPredefinedFormats)
      if (e.ID == AFormat) description = e.Description;
    if (description.empty()) return;
  } else {
    Char buffer[2049] = {};
    Integer n = GetClipboardFormatNameW(AFormat, buffer, 2049);
    if (n > 0) description.assign(buffer, std::size_t(n));
    // A number the platform has no name for could never be chosen by name.
    if (description.empty()) return;
  }
  TFormatEtc f;
  f.cfFormat = AFormat;
  f.tymed = TYMED_HGLOBAL;
  ClipboardFormatList()->Add(description, TreeClass, Priority, f);
}

void EnumerateVTClipboardFormats(TLazyTreeClass TreeClass, TStrings* List) {
  if (!List) throw EArgumentException(u"No list to enumerate the clipboard formats into.");
  ClipboardFormatList()->EnumerateFormats(TreeClass, List);
}

void EnumerateVTClipboardFormats(TLazyTreeClass TreeClass, TFormatEtcArray& Formats) {
  ClipboardFormatList()->EnumerateFormats(TreeClass, Formats);
}

String GetVTClipboardFormatDescription(Word AFormat) {
  const TClipboardFormatListEntry* e = ClipboardFormatList()->FindFormat(AFormat);
  return e ? e->Description : String();
}

// ---------------------------------------------------------------------------
// Set-up and teardown

void RegisterLazyTreeResources() {
  if (GResources) return;
  GResources = new std::vector<TResourceBlock>;
  GResources->reserve(32);
  const struct {
    const char16_t* Name;
    TCheckLook L;
  } sets[] = {{u"VT_CHECK_LIGHT", Look(false, false)}, {u"VT_CHECK_DARK", Look(true, false)},
              {u"VT_TICK_LIGHT", Look(false, true)},   {u"VT_TICK_DARK", Look(true, true)},
              {u"VT_FLAT", FlatLook()},                {u"VT_XP", XPLook()}};
  for (const auto& s : sets) AddResource(s.Name, u"#2", CheckStrip(s.L).Dib());
  AddResource(u"VT_UTILITIES", u"#2", UtilityStrip().Dib());
  AddResource(u"VT_XPBUTTONPLUS", u"#2", ShadedButton(true).Dib());
  AddResource(u"VT_XPBUTTONMINUS", u"#2", ShadedButton(false).Dib());
  AddResource(u"VT_HEADERSPLIT", u"#12", SplitCursor(false));
  AddResource(u"VT_VERTSPLIT", u"#12", SplitCursor(true));
  AddResource(u"VT_MOVEALL", u"#2", PanningImage(true, true).Dib());
  AddResource(u"VT_MOVEEW", u"#2", PanningImage(true, false).Dib());
  AddResource(u"VT_MOVENS", u"#2", PanningImage(false, true).Dib());
  AddResource(u"VT_MOVEALL", u"#12", PanningCursor({0, 2, 4, 6}));
  AddResource(u"VT_MOVEEW", u"#12", PanningCursor({2, 6}));
  AddResource(u"VT_MOVENS", u"#12", PanningCursor({0, 4}));
  for (int i = 0; i < 8; ++i) AddResource(kPanDirs[i].Name, u"#12", PanningCursor({i}));
}

void InitializeGlobalStructures() {
  if (GSetupDone) return;
  GSetupDone = true;
  MMXAvailable = DetectMMX();
  if (!IsLibrary()) GOleInitialized = OleInitialize(nullptr) >= 0;
  CF_VTREFERENCE = Word(RegisterClipboardFormatW(u"Lazy Tree Reference"));
  RegisterLazyTreeResources();
  for (int i = 0; i < ssSystem; ++i) {
    GSets[i] = NewSharedList();
    LoadLazyTreeImageSet(GSets[i], kSetSources[i].Name, kSetSources[i].Mapped);
  }
  GSets[ssSystem] = NewSharedList();
  BuildSystemCheckImages(GSets[ssSystem], false);
  GSets[ssSystemFlat] = NewSharedList();
  BuildSystemCheckImages(GSets[ssSystemFlat], true);
  if (Screen) {
    HINSTANCE inst = FindClassHInstance(TBaseLazyTree_qn::StaticClass());
    Screen->SetCursors(crHeaderSplit, LoadCursorW(inst, u"VT_HEADERSPLIT"));
    Screen->SetCursors(crVertSplit, LoadCursorW(inst, u"VT_VERTSPLIT"));
  }
  const TLazyTreeClass base = TBaseLazyTree_qn::StaticClass(), strings = TCustomLazyStringTree_qn::StaticClass();
  CF_LAZYTREE = RegisterVTClipboardFormat(u"Lazy Tree Data", base, 50);
  CF_HTML = RegisterVTClipboardFormat(u"HTML Format", strings, 80);
  CF_VRTFNOOBJS = RegisterVTClipboardFormat(u"Rich Text Format Without Objects", strings, 84);
  CF_VRTF = RegisterVTClipboardFormat(u"Rich Text Format", strings, 85);
  CF_CSV = RegisterVTClipboardFormat(u"CSV", strings, 90);
  RegisterVTClipboardFormat(Word(CF_UNICODETEXT), strings, 95);
  RegisterVTClipboardFormat(Word(CF_TEXT), strings, 100);
}

bool GlobalStructuresInitialized() { return GSetupDone; }
bool LazyTreesOleInitialized() { return GOleInitialized; }

void FinalizeGlobalStructures() {
  if (GSetupDone) {
    for (TImageList*& l : GSets) {
      delete l;
      l = nullptr;
    }
    if (GOleInitialized) OleUninitialize();
    GOleInitialized = false;
  }
  delete GFormats;
  GFormats = nullptr;
  GSetupDone = false;
  if (GResources) {
    for (const TResourceBlock& b : *GResources) UnregisterResource(b.Name, b.Type);
    delete GResources;
    GResources = nullptr;
  }
}

}  // namespace qn
