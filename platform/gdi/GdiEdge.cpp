// DrawEdge and DrawFrameControl in the classic three-dimensional look,
// painted with brush copies in the system colours.
#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiInternal.h"

namespace vcl {

using namespace gdi;

namespace {

// Pure black and white, whatever the system colours are.
constexpr int kBlack = 1000, kWhite = 1001;

void Fill(HDC dc, int l, int t, int r, int b, int color) {
  if (r <= l || b <= t) return;
  RECT rc{l, t, r, b};
  HBRUSH br = color == kBlack   ? static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))
              : color == kWhite ? static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))
                                : GetSysColorBrush(color);
  FillRect(dc, &rc, br);
}
void Dot(HDC dc, int x, int y, int color) { Fill(dc, x, y, x + 1, y + 1, color); }

// One ring of an edge: top-left colour on the top row and left column,
// bottom-right colour on the bottom row and right column (which own the
// two corners they share with the other colour).
void Ring(HDC dc, RECT& rc, UINT flags, int tl, int br) {
  if (tl >= 0) {
    if (flags & BF_TOP) Fill(dc, rc.Left, rc.Top, rc.Right - ((flags & BF_RIGHT) ? 1 : 0), rc.Top + 1, tl);
    if (flags & BF_LEFT) Fill(dc, rc.Left, rc.Top, rc.Left + 1, rc.Bottom - ((flags & BF_BOTTOM) ? 1 : 0), tl);
  }
  if (br >= 0) {
    if (flags & BF_BOTTOM) Fill(dc, rc.Left, rc.Bottom - 1, rc.Right, rc.Bottom, br);
    if (flags & BF_RIGHT) Fill(dc, rc.Right - 1, rc.Top, rc.Right, rc.Bottom, br);
  }
  if (flags & BF_LEFT) ++rc.Left;
  if (flags & BF_TOP) ++rc.Top;
  if (flags & BF_RIGHT) --rc.Right;
  if (flags & BF_BOTTOM) --rc.Bottom;
}

void Diagonal(HDC dc, const RECT& rc, UINT flags, int tl, int br) {
  // A line between two corners of the square in the rectangle's top-left.
  int n = std::min(rc.Right - rc.Left, rc.Bottom - rc.Top);
  bool rising = (flags & BF_RECT) == BF_DIAGONAL_ENDTOPRIGHT - BF_DIAGONAL ||
                (flags & BF_RECT) == BF_DIAGONAL_ENDBOTTOMLEFT - BF_DIAGONAL;
  int color = (flags & (BF_TOP | BF_LEFT)) == (BF_TOP | BF_LEFT) || (flags & BF_TOP) ? tl : br;
  if (color < 0) color = tl >= 0 ? tl : br;
  for (int i = 0; i < n; ++i) {
    int x = rc.Left + i;
    int y = rising ? rc.Bottom - 1 - i : rc.Top + i;
    Dot(dc, x, y, color);
  }
}

}  // namespace

BOOL DrawEdge(HDC dc, RECT* rcp, UINT edge, UINT flags) {
  if (!rcp || !LookupDC(dc)) return 0;
  RECT rc = *rcp;
  UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  int otl = -1, obr = -1, itl = -1, ibr = -1;
  if (flags & BF_MONO) {
    if (outer) otl = obr = COLOR_WINDOWFRAME;
    if (inner) itl = ibr = COLOR_WINDOW;
  } else if (flags & BF_FLAT) {
    if (outer) otl = obr = COLOR_BTNSHADOW;
    if (inner) itl = ibr = COLOR_BTNFACE;
  } else {
    bool soft = flags & BF_SOFT;
    if (outer & BDR_RAISEDOUTER) { otl = soft ? COLOR_3DHILIGHT : COLOR_3DLIGHT; obr = COLOR_3DDKSHADOW; }
    if (outer & BDR_SUNKENOUTER) { otl = soft ? COLOR_3DDKSHADOW : COLOR_3DSHADOW; obr = COLOR_3DHILIGHT; }
    if (inner & BDR_RAISEDINNER) { itl = soft ? COLOR_3DLIGHT : COLOR_3DHILIGHT; ibr = COLOR_3DSHADOW; }
    if (inner & BDR_SUNKENINNER) { itl = soft ? COLOR_3DSHADOW : COLOR_3DDKSHADOW; ibr = COLOR_3DLIGHT; }
  }
  if (flags & BF_DIAGONAL) {
    if (outer) Diagonal(dc, rc, flags, otl, obr);
    if (inner) {
      RECT in{rc.Left + 1, rc.Top + 1, rc.Right - 1, rc.Bottom - 1};
      Diagonal(dc, in, flags, itl, ibr);
    }
    if (flags & BF_ADJUST) *rcp = rc;
    return 1;
  }
  if (outer) Ring(dc, rc, flags, otl, obr);
  if (inner) Ring(dc, rc, flags, itl, ibr);
  if (flags & BF_MIDDLE) Fill(dc, rc.Left, rc.Top, rc.Right, rc.Bottom, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
  if (flags & BF_ADJUST) *rcp = rc;
  return 1;
}

namespace {

// Glyphs as rows of '#', drawn centred in a rectangle.
void Glyph(HDC dc, const RECT& rc, const char* const* rows, int n, int color, int dx = 0, int dy = 0) {
  int w = 0;
  for (int i = 0; i < n; ++i) w = std::max(w, int(std::char_traits<char>::length(rows[i])));
  int x0 = rc.Left + (rc.Right - rc.Left - w) / 2 + dx, y0 = rc.Top + (rc.Bottom - rc.Top - n) / 2 + dy;
  for (int y = 0; y < n; ++y)
    for (int x = 0; rows[y][x]; ++x)
      if (rows[y][x] == '#') Dot(dc, x0 + x, y0 + y, color);
}

const char* const kCheck[] = {"......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#...."};
const char* const kBullet[] = {".##.", "####", "####", ".##."};
const char* const kClose[] = {"##....##", ".##..##.", "..####..", "...##...", "..####..", ".##..##.", "##....##"};
const char* const kMin[] = {"######", "######"};
const char* const kMax[] = {"#########", "#########", "#.......#", "#.......#", "#.......#",
                            "#.......#", "#.......#", "#.......#", "#########"};
const char* const kRestore[] = {"...######", "...######", "...#....#", "######..#", "######..#",
                                "#....####", "#....#...", "#....#...", "######..."};
const char* const kHelp[] = {".####.", "##..##", "....##", "...##.", "..##..", "..##..", "......", "..##.."};

// A solid triangle pointing in dir (0 up, 1 down, 2 left, 3 right).
void Arrow(HDC dc, const RECT& rc, int dir, int color, int dx, int dy) {
  int size = std::min(rc.Right - rc.Left, rc.Bottom - rc.Top);
  int h = std::clamp((size + 1) / 4, 1, 256), w = 2 * h - 1;
  bool vertical = dir < 2;
  int cx = rc.Left + (rc.Right - rc.Left) / 2 + dx, cy = rc.Top + (rc.Bottom - rc.Top) / 2 + dy;
  for (int i = 0; i < h; ++i) {
    int len = w - 2 * i;  // the base row first
    int along = (dir == 0 || dir == 2) ? h - 1 - i : i;
    if (vertical) {
      int y = cy - h / 2 + along, x = cx - w / 2 + i;
      Fill(dc, x, y, x + len, y + 1, color);
    } else {
      int x = cx - h / 2 + along, y = cy - w / 2 + i;
      Fill(dc, x, y, x + 1, y + len, color);
    }
  }
}

// Push buttons have the soft edge: a white outer highlight.
void Button(HDC dc, RECT& rc, UINT state, bool soft = false) {
  UINT softFlag = soft ? BF_SOFT : 0;
  if (state & DFCS_MONO) {
    DrawEdge(dc, &rc, BDR_OUTER, BF_RECT | BF_MONO | BF_ADJUST);
  } else if (state & DFCS_FLAT) {
    DrawEdge(dc, &rc, BDR_OUTER, BF_RECT | BF_FLAT | BF_ADJUST);
  } else if (state & (DFCS_PUSHED | DFCS_CHECKED)) {
    if (soft) DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT | BF_SOFT | BF_ADJUST);
    else DrawEdge(dc, &rc, BDR_OUTER, BF_RECT | BF_FLAT | BF_ADJUST);
  } else {
    DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT | BF_ADJUST | softFlag);
  }
  Fill(dc, rc.Left, rc.Top, rc.Right, rc.Bottom, COLOR_BTNFACE);
}

// Disabled glyphs are embossed: highlight one pixel down-right, grey on top.
template <class F>
void Emboss(UINT state, F&& draw) {
  if (state & DFCS_INACTIVE) {
    draw(COLOR_BTNHIGHLIGHT, 1);
    draw(COLOR_BTNSHADOW, 0);
  } else {
    draw(COLOR_BTNTEXT, 0);
  }
}

void RadioButton(HDC dc, const RECT& rc, UINT state) {
  int size = std::clamp(std::min(rc.Right - rc.Left, rc.Bottom - rc.Top), 0, 1024);
  int l = rc.Left, t = rc.Top + (rc.Bottom - rc.Top - size) / 2;
  auto ring = [&](int inset, int tl, int br, int inside) {
    auto rows = EllipseRows(l + inset, t + inset, l + size - inset, t + size - inset);
    double c = (2 * l + size - 1) / 2.0, cy = (2 * t + size - 1) / 2.0;
    for (size_t i = 0; i < rows.Spans.size(); ++i) {
      int y = rows.Top + int(i);
      for (int x = rows.Spans[i].first; x < rows.Spans[i].second; ++x) {
        bool edge = !rows.Contains(x - 1, y) || !rows.Contains(x + 1, y) || !rows.Contains(x, y - 1) ||
                    !rows.Contains(x, y + 1);
        if (edge) Dot(dc, x, y, (x - c) + (y - cy) < 0 ? tl : br);
        else if (inside >= 0) Dot(dc, x, y, inside);
      }
    }
  };
  int face = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ? COLOR_BTNFACE : COLOR_WINDOW;
  if (state & DFCS_MONO) {
    ring(0, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, face);
  } else if (state & DFCS_FLAT) {
    ring(0, COLOR_BTNSHADOW, COLOR_BTNSHADOW, face);
  } else {
    ring(0, COLOR_3DSHADOW, COLOR_3DHILIGHT, -1);
    ring(1, COLOR_3DDKSHADOW, COLOR_3DLIGHT, face);
  }
  if (state & DFCS_CHECKED) {
    RECT box{l, t, l + size, t + size};
    Glyph(dc, box, kBullet, 4, (state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  }
}

void CheckBox(HDC dc, const RECT& rc, UINT state) {
  int size = std::min(rc.Right - rc.Left, rc.Bottom - rc.Top);
  RECT box{rc.Left, rc.Top + (rc.Bottom - rc.Top - size) / 2, 0, 0};
  box.Right = box.Left + size;
  box.Bottom = box.Top + size;
  if (state & DFCS_MONO) DrawEdge(dc, &box, BDR_OUTER, BF_RECT | BF_MONO | BF_ADJUST);
  else if (state & DFCS_FLAT) DrawEdge(dc, &box, BDR_OUTER, BF_RECT | BF_FLAT | BF_ADJUST);
  else DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  // A checked three-state box is the greyed, indeterminate one.
  bool third = (state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED);
  bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) || third;
  if (!(state & DFCS_TRANSPARENT)) Fill(dc, box.Left, box.Top, box.Right, box.Bottom, grey ? COLOR_BTNFACE : COLOR_WINDOW);
  if (state & DFCS_CHECKED)
    Glyph(dc, box, kCheck, 7, (state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : third ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
}

void SizeGrip(HDC dc, const RECT& rc) {
  Fill(dc, rc.Left, rc.Top, rc.Right, rc.Bottom, COLOR_BTNFACE);
  int size = std::min(rc.Right - rc.Left, rc.Bottom - rc.Top);
  // Three ridges of a highlight line and two shadow lines, bottom-right.
  for (int k = 0; k < std::min(size - 1, 12); ++k) {
    int phase = k % 4;
    int color = phase == 0 ? COLOR_BTNHIGHLIGHT : phase == 3 ? -1 : COLOR_BTNSHADOW;
    if (color < 0) continue;
    int d = size - 1 - k;  // distance from the corner along the diagonal
    for (int i = 0; i < size - d; ++i) {
      int x = rc.Right - 1 - i, y = rc.Bottom - (size - d) + i;
      if (x >= rc.Left && y >= rc.Top && y < rc.Bottom) Dot(dc, x, y, color);
    }
  }
}

}  // namespace

BOOL DrawFrameControl(HDC dc, RECT* rcp, UINT type, UINT state) {
  if (!rcp || !LookupDC(dc)) return 0;
  RECT rc = *rcp;
  switch (type) {
    case DFC_BUTTON: {
      UINT kind = state & 0xFF;
      if (kind & DFCS_BUTTONPUSH) {
        Button(dc, rc, state, true);
        if (state & DFCS_ADJUSTRECT) *rcp = rc;
      } else if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
        if (kind & DFCS_BUTTONRADIOMASK) {
          Fill(dc, rc.Left, rc.Top, rc.Right, rc.Bottom, kWhite);
          if (HRGN e = CreateEllipticRgn(rc.Left, rc.Top, rc.Right, rc.Bottom)) {
            FillRgn(dc, e, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            DeleteObject(e);
          }
        } else {
          RadioButton(dc, rc, state);
        }
      } else {
        CheckBox(dc, rc, state);
      }
      return 1;
    }
    case DFC_SCROLL: {
      UINT kind = state & 0xFF;
      if (kind == DFCS_SCROLLSIZEGRIP || kind == DFCS_SCROLLSIZEGRIPRIGHT) {
        SizeGrip(dc, rc);
        return 1;
      }
      RECT face = rc;
      Button(dc, face, state);
      int dir = kind == DFCS_SCROLLUP ? 0 : kind == DFCS_SCROLLLEFT ? 2 : kind == DFCS_SCROLLRIGHT ? 3 : 1;
      int shift = (state & DFCS_PUSHED) ? 1 : 0;
      Emboss(state, [&](int color, int off) { Arrow(dc, rc, dir, color, shift + off, shift + off); });
      return 1;
    }
    case DFC_CAPTION: {
      Button(dc, rc, state);
      int shift = (state & DFCS_PUSHED) ? 1 : 0;
      const char* const* g = kClose;
      int n = 7;
      switch (state & 0xFF) {
        case DFCS_CAPTIONMIN: g = kMin; n = 2; break;
        case DFCS_CAPTIONMAX: g = kMax; n = 9; break;
        case DFCS_CAPTIONRESTORE: g = kRestore; n = 9; break;
        case DFCS_CAPTIONHELP: g = kHelp; n = 8; break;
        default: break;
      }
      int dy = g == kMin ? (rc.Bottom - rc.Top) / 4 : 0;
      Emboss(state, [&](int color, int off) { Glyph(dc, rc, g, n, color, shift + off, shift + off + dy); });
      return 1;
    }
    case DFC_MENU:
    case DFC_POPUPMENU: {
      // Menu glyphs are masks: black on white.
      Fill(dc, rc.Left, rc.Top, rc.Right, rc.Bottom, kWhite);
      switch (state & 0xFF) {
        case DFCS_MENUCHECK: Glyph(dc, rc, kCheck, 7, kBlack); break;
        case DFCS_MENUBULLET: Glyph(dc, rc, kBullet, 4, kBlack); break;
        case DFCS_MENUARROWRIGHT: Arrow(dc, rc, 2, kBlack, 0, 0); break;
        default: Arrow(dc, rc, 3, kBlack, 0, 0); break;
      }
      return 1;
    }
    default: return 0;
  }
}

}  // namespace vcl
