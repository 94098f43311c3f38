// The non-client area: the geometry of the classic frame (border, caption,
// caption buttons, scroll bars) derived from the styles and the system
// metrics, its hit-testing and painting, the default reactions to
// non-client mouse messages and system commands, the maximise limits and the
// window placement.
//
// One layout serves hit-testing and painting, so what is drawn is exactly
// what answers WM_NCHITTEST.
#include <algorithm>

#include "platform/user/Server.h"

namespace vcl::server {

namespace {

struct NcLayout {
  DWORD Style = 0;
  DWORD Ex = 0;
  TRect Whole;   // window coordinates
  TRect Client;  // window coordinates
  int Frame = 0;
  bool Thick = false;
  bool Minimized = false;
  bool Maximized = false;
  bool Active = false;
  bool NoClose = false;
  int Pressed = 0;
  String Text;
  bool Caption = false;
  TRect CaptionBand;  // without the line under it
  TRect SysMenu, Close, Max, Min;  // empty when absent
  TRect VBar, HBar, Grip;          // empty when absent or without room
  ScrollBarState VState, HState;
  TRect ScreenOrigin;              // the window rectangle on the screen
};

bool Has(const TRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

// The window's state; lock held.
NcLayout Snapshot(const Window* w) {
  NcLayout L;
  L.Style = w->Style;
  L.Ex = w->ExStyle;
  L.Whole = TRect(0, 0, w->Rect.Width(), w->Rect.Height());
  L.Client = w->Client;
  L.Minimized = w->Minimized;
  L.Maximized = w->Maximized;
  L.Active = w->NcActive;
  L.Pressed = w->NcPressed;
  L.NoClose = (w->Class->Style & CS_NOCLOSE) != 0;
  L.Text = w->Text;
  L.VState = w->VScroll;
  L.HState = w->HScroll;
  L.ScreenOrigin = ScreenRect(w);
  return L;
}

// The geometry from the metrics; the lock must not be held.
void Compute(NcLayout& L) {
  L.Thick = (L.Style & WS_THICKFRAME) != 0;
  // The frame is the side inset of the full style: a caption brings the
  // fixed frame with it (WS_CAPTION holds WS_DLGFRAME), the edges inside it
  // are drawn apart.
  L.Frame = NonClientInsets(L.Style, L.Ex & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)).Left;
  const int f = L.Frame;
  bool tool = (L.Ex & WS_EX_TOOLWINDOW) != 0;
  L.Caption = (L.Style & WS_CAPTION) == WS_CAPTION;
  if (L.Caption) {
    int capH = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
    L.CaptionBand = TRect(f, f, L.Whole.Right - f, f + capH - 1);
    const TRect& c = L.CaptionBand;
    int bw = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
    int bh = capH - 5;
    bool sys = (L.Style & WS_SYSMENU) != 0;
    if (sys) {
      L.Close = TRect(c.Right - 2 - bw, c.Top + 2, c.Right - 2, c.Top + 2 + bh);
      if (!tool && (L.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) {
        L.Max = TRect(L.Close.Left - 2 - bw, L.Close.Top, L.Close.Left - 2, L.Close.Bottom);
        L.Min = TRect(L.Max.Left - bw, L.Close.Top, L.Max.Left, L.Close.Bottom);
      }
      if (!tool && !(L.Ex & WS_EX_DLGMODALFRAME)) L.SysMenu = TRect(c.Left, c.Top, c.Left + capH - 1, c.Bottom);
    }
    // Buttons that no longer fit are left out, from the left.
    for (TRect* b : {&L.Min, &L.Max, &L.Close})
      if (Has(*b) && b->Left < c.Left + (Has(L.SysMenu) ? L.SysMenu.Width() : 0)) *b = TRect();
  }
  // The bars sit beside the client rectangle the window chose; a window whose
  // client area leaves them no room keeps their state but shows none.
  TRect in = NonClientInsets(L.Style, L.Ex);
  TRect inner(in.Left, in.Top, L.Whole.Right - in.Right, L.Whole.Bottom - in.Bottom);
  auto inside = [&](const TRect& r) {
    return Has(r) && r.Left >= inner.Left && r.Top >= inner.Top && r.Right <= inner.Right && r.Bottom <= inner.Bottom;
  };
  const TRect& cl = L.Client;
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  if ((L.Style & WS_VSCROLL) && !L.Minimized) {
    TRect v = (L.Ex & WS_EX_LEFTSCROLLBAR) ? TRect(cl.Left - cx, cl.Top, cl.Left, cl.Bottom)
                                             : TRect(cl.Right, cl.Top, cl.Right + cx, cl.Bottom);
    if (inside(v)) L.VBar = v;
  }
  if ((L.Style & WS_HSCROLL) && !L.Minimized) {
    TRect hb(cl.Left, cl.Bottom, cl.Right, cl.Bottom + cy);
    if (inside(hb)) L.HBar = hb;
  }
  if (Has(L.VBar) && Has(L.HBar)) L.Grip = TRect(L.VBar.Left, L.HBar.Top, L.VBar.Right, L.HBar.Bottom);
}

bool LayoutFor(HWND h, NcLayout& L) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return false;
    L = Snapshot(w);
  }
  Compute(L);
  return true;
}

// The hit code of a point in window coordinates.
LRESULT HitTest(const NcLayout& L, TPoint p) {
  if (!PtInRect(L.Whole, p)) return HTNOWHERE;
  if (PtInRect(L.Client, p)) return HTCLIENT;
  if (L.Minimized) return HTCAPTION;
  const int f = L.Frame;
  bool onLeft = p.X < L.Whole.Left + f, onRight = p.X >= L.Whole.Right - f;
  bool onTop = p.Y < L.Whole.Top + f, onBottom = p.Y >= L.Whole.Bottom - f;
  if (onLeft || onRight || onTop || onBottom) {
    if (!L.Thick || L.Maximized) return HTBORDER;
    // Corners reach a caption button's width along each edge.
    int corner = GetSystemMetrics(SM_CXSIZE);
    bool nearLeft = p.X < L.Whole.Left + corner, nearRight = p.X >= L.Whole.Right - corner;
    bool nearTop = p.Y < L.Whole.Top + corner, nearBottom = p.Y >= L.Whole.Bottom - corner;
    if (onTop) return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
    if (onBottom) return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
    if (onLeft) return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
    return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
  }
  if (L.Caption && p.Y >= L.CaptionBand.Top && p.Y <= L.CaptionBand.Bottom && p.X >= L.CaptionBand.Left &&
      p.X < L.CaptionBand.Right) {
    auto column = [&](const TRect& b) { return Has(b) && p.X >= b.Left && p.X < b.Right; };
    if (column(L.Close)) return HTCLOSE;
    if (column(L.Max)) return HTMAXBUTTON;
    if (column(L.Min)) return HTMINBUTTON;
    if (column(L.SysMenu)) return HTSYSMENU;
    return HTCAPTION;
  }
  if (Has(L.Grip) && PtInRect(L.Grip, p)) return (L.Thick && !L.Maximized) ? HTBOTTOMRIGHT : HTBORDER;
  if (Has(L.VBar) && PtInRect(L.VBar, p)) return HTVSCROLL;
  if (Has(L.HBar) && PtInRect(L.HBar, p)) return HTHSCROLL;
  return HTBORDER;
}

// ---------------------------------------------------------------------------
// Painting

void Fill(HDC dc, const TRect& r, int color) {
  if (Has(r)) FillRect(dc, &r, GetSysColorBrush(color));
}

void FillColor(HDC dc, const TRect& r, COLORREF c) {
  if (!Has(r)) return;
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
  auto ch = [&](int shift) {
    int x = int((a >> shift) & 0xFF), y = int((b >> shift) & 0xFF);
    return COLORREF(x + (y - x) * num / den) << shift;
  };
  return ch(0) | ch(8) | ch(16);
}

// A caption band from the left colour to the right one.
void Gradient(HDC dc, const TRect& r, COLORREF left, COLORREF right) {
  const int bands = std::max(1, std::min(r.Width() / 4, 96));
  for (int i = 0; i < bands; ++i) {
    TRect b(r.Left + r.Width() * i / bands, r.Top, r.Left + r.Width() * (i + 1) / bands, r.Bottom);
    FillColor(dc, b, Mix(left, right, i, std::max(1, bands - 1)));
  }
}

// The window glyph shown in place of an icon in the system-menu slot.
void SysGlyph(HDC dc, const TRect& slot) {
  int s = std::min(16, std::min(slot.Width(), slot.Height()) - 2);
  if (s < 8) return;
  TRect g = Bounds(slot.Left + (slot.Width() - s) / 2 + 1, slot.Top + (slot.Height() - s) / 2, s, s - 2);
  FillColor(dc, g, RGB(255, 255, 255));
  FrameRect(dc, &g, GetSysColorBrush(COLOR_WINDOWFRAME));
  FillColor(dc, TRect(g.Left + 1, g.Top + 1, g.Right - 1, g.Top + 4), RGB(0, 0, 128));
}

struct BarParts {
  TRect Back, Fore, PageBack, PageFore, Thumb;  // arrows (up/left first), track halves, thumb
  bool Enabled = false;
};

BarParts PartsOf(const TRect& bar, bool vertical, const ScrollBarState& st) {
  BarParts P;
  int len = vertical ? bar.Height() : bar.Width();
  int thick = vertical ? bar.Width() : bar.Height();
  int arrow = std::min(thick, len / 2);
  if (vertical) {
    P.Back = TRect(bar.Left, bar.Top, bar.Right, bar.Top + arrow);
    P.Fore = TRect(bar.Left, bar.Bottom - arrow, bar.Right, bar.Bottom);
  } else {
    P.Back = TRect(bar.Left, bar.Top, bar.Left + arrow, bar.Bottom);
    P.Fore = TRect(bar.Right - arrow, bar.Top, bar.Right, bar.Bottom);
  }
  int track = len - 2 * arrow;
  int range = st.Max - st.Min + 1;
  P.Enabled = st.Max > st.Min && (st.Page == 0 || int(st.Page) < range) && st.Disabled != ESB_DISABLE_BOTH;
  int t0 = (vertical ? bar.Top : bar.Left) + arrow, t1 = t0 + track;
  int thumbLen = st.Page ? std::max(8, int(Int64(track) * st.Page / std::max(1, range))) : thick;
  if (!P.Enabled || thumbLen >= track || track < 8) {
    TRect whole = vertical ? TRect(bar.Left, t0, bar.Right, t1) : TRect(t0, bar.Top, t1, bar.Bottom);
    P.PageBack = whole;
    return P;
  }
  int span = std::max(1, range - std::max(1, int(st.Page)));
  int pos = std::clamp(st.Pos, st.Min, st.Min + span);
  int at = t0 + int(Int64(track - thumbLen) * (pos - st.Min) / span);
  if (vertical) {
    P.PageBack = TRect(bar.Left, t0, bar.Right, at);
    P.Thumb = TRect(bar.Left, at, bar.Right, at + thumbLen);
    P.PageFore = TRect(bar.Left, at + thumbLen, bar.Right, t1);
  } else {
    P.PageBack = TRect(t0, bar.Top, at, bar.Bottom);
    P.Thumb = TRect(at, bar.Top, at + thumbLen, bar.Bottom);
    P.PageFore = TRect(at + thumbLen, bar.Top, t1, bar.Bottom);
  }
  return P;
}

void DrawBar(HDC dc, const TRect& bar, bool vertical, const ScrollBarState& st) {
  BarParts P = PartsOf(bar, vertical, st);
  Fill(dc, P.PageBack, COLOR_SCROLLBAR);
  Fill(dc, P.PageFore, COLOR_SCROLLBAR);
  UINT offBack = (!P.Enabled || (st.Disabled & ESB_DISABLE_LTUP)) ? DFCS_INACTIVE : 0;
  UINT offFore = (!P.Enabled || (st.Disabled & ESB_DISABLE_RTDN)) ? DFCS_INACTIVE : 0;
  TRect a = P.Back, b = P.Fore;
  if (Has(a)) DrawFrameControl(dc, &a, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | offBack);
  if (Has(b)) DrawFrameControl(dc, &b, DFC_SCROLL, (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | offFore);
  if (Has(P.Thumb)) {
    TRect t = P.Thumb;
    Fill(dc, t, COLOR_BTNFACE);
    DrawEdge(dc, &t, EDGE_RAISED, BF_RECT);
  }
}

}  // namespace

void DrawClassicFrame(HWND h, HDC dc, HRGN clip) {
  NcLayout L;
  if (!dc || !LayoutFor(h, L) || L.Client == L.Whole) return;
  int saved = SaveDC(dc);
  if (clip) ExtSelectClipRgn(dc, clip, RGN_AND);
  ExcludeClipRect(dc, L.Client.Left, L.Client.Top, L.Client.Right, L.Client.Bottom);
  const int f = L.Frame;
  TRect inner(f, f, L.Whole.Right - f, L.Whole.Bottom - f);
  // The frame: a raised edge filled with the face for sizing and dialog
  // frames, a line for a plain border.
  if (f >= 2) {
    Fill(dc, L.Whole, L.Thick ? (L.Active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER) : COLOR_BTNFACE);
    TRect e = L.Whole;
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    if (L.Thick && f >= 5) {
      // The inner face line of a sizing frame sets the caption off the border.
      TRect i2(f - 1, f - 1, L.Whole.Right - f + 1, L.Whole.Bottom - f + 1);
      FrameRect(dc, &i2, GetSysColorBrush(COLOR_BTNFACE));
    }
  } else if (f == 1) {
    FrameRect(dc, &L.Whole, GetSysColorBrush(COLOR_WINDOWFRAME));
  }
  // Whatever lies between the frame and the client area and is not a bar.
  Fill(dc, inner, COLOR_BTNFACE);
  if (L.Caption) {
    const TRect& c = L.CaptionBand;
    bool gradient = true;
    {
      BOOL on = 1;
      SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &on, 0);
      gradient = on != 0;
    }
    COLORREF c1 = GetSysColor(L.Active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    COLORREF c2 = gradient ? GetSysColor(L.Active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION) : c1;
    Gradient(dc, c, c1, c2);
    Fill(dc, TRect(c.Left, c.Bottom, c.Right, c.Bottom + 1), COLOR_BTNFACE);
    if (Has(L.SysMenu)) SysGlyph(dc, L.SysMenu);
    int textLeft = (Has(L.SysMenu) ? L.SysMenu.Right : c.Left) + 3;
    int textRight = c.Right - 3;
    for (const TRect* b : {&L.Min, &L.Max, &L.Close})
      if (Has(*b)) textRight = std::min(textRight, int(b->Left) - 3);
    if (!L.Text.empty() && textRight > textLeft) {
      NONCLIENTMETRICSW ncm;
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
      HFONT font = CreateFontIndirectW((L.Ex & WS_EX_TOOLWINDOW) ? &ncm.lfSmCaptionFont : &ncm.lfCaptionFont);
      HGDIOBJ old = SelectObject(dc, font);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(L.Active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
      TRect tr(textLeft, c.Top, textRight, c.Bottom);
      DrawTextW(dc, L.Text.c_str(), int(L.Text.size()), &tr,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
      SelectObject(dc, old);
      DeleteObject(font);
    }
    auto button = [&](const TRect& b, UINT kind, int hit, bool enabled) {
      if (!Has(b)) return;
      TRect r = b;
      DrawFrameControl(dc, &r, DFC_CAPTION,
                       kind | (L.Pressed == hit ? DFCS_PUSHED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    };
    button(L.Min, L.Minimized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN, HTMINBUTTON, (L.Style & WS_MINIMIZEBOX) != 0);
    button(L.Max, L.Maximized ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX, HTMAXBUTTON, (L.Style & WS_MAXIMIZEBOX) != 0);
    button(L.Close, DFCS_CAPTIONCLOSE, HTCLOSE, !L.NoClose);
  }
  if (L.Ex & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) {
    // The edges follow the window's styles, right inside its frame and
    // caption, not the client rectangle: a window that keeps more of its
    // area for itself (a band above the client, a wider border) has that
    // inside its edges.
    TRect in = NonClientInsets(L.Style, L.Ex & ~DWORD(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    TRect e(in.Left, in.Top, L.Whole.Right - in.Right, L.Whole.Bottom - in.Bottom);
    if (L.Ex & WS_EX_CLIENTEDGE) {
      DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    if (L.Ex & WS_EX_STATICEDGE) DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
  }
  if (Has(L.VBar)) DrawBar(dc, L.VBar, true, L.VState);
  if (Has(L.HBar)) DrawBar(dc, L.HBar, false, L.HState);
  if (Has(L.Grip)) {
    Fill(dc, L.Grip, COLOR_BTNFACE);
    if (L.Thick && !L.Maximized) {
      TRect g = L.Grip;
      DrawFrameControl(dc, &g, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
  }
  RestoreDC(dc, saved);
}

MINMAXINFO QueryMinMaxInfo(HWND h) {
  MINMAXINFO mmi{};
  DWORD style = 0;
  TRect area;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return mmi;
    style = w->Style;
    if (w->IsChild()) area = TRect(0, 0, w->Parent->Client.Width(), w->Parent->Client.Height());
  }
  if (!Has(area)) {
    MONITORINFO mi;
    GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &mi);
    area = mi.rcWork;
  }
  // A maximised window fills the area with its frame just outside it.
  const int f = NonClientInsets(style, 0).Left;
  mmi.ptMaxSize = TPoint(area.Width() + 2 * f, area.Height() + 2 * f);
  mmi.ptMaxPosition = TPoint(-f, -f);
  mmi.ptMinTrackSize = TPoint(GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK));
  mmi.ptMaxTrackSize = TPoint(GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK));
  Send(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  return mmi;
}

namespace {

bool IsMouseMsg(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}
bool IsKeyMsg(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

LRESULT HitAtScreen(HWND h, TPoint p) {
  NcLayout L;
  if (!LayoutFor(h, L)) return HTNOWHERE;
  return HitTest(L, TPoint(p.X - L.ScreenOrigin.Left, p.Y - L.ScreenOrigin.Top));
}

void SetPressed(HWND h, int hit) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w || w->NcPressed == hit) return;
    w->NcPressed = hit;
  }
  Send(h, WM_NCPAINT, 1, 0);
}

// A caption button follows the pointer while the button is down; the command
// runs only when it is released over the same button.
void TrackCaptionButton(HWND h, int hit) {
  WPARAM cmd = hit == HTCLOSE ? SC_CLOSE : 0;
  if (hit == HTMINBUTTON) cmd = IsIconic(h) ? SC_RESTORE : SC_MINIMIZE;
  if (hit == HTMAXBUTTON) cmd = IsZoomed(h) ? SC_RESTORE : SC_MAXIMIZE;
  {
    NcLayout L;
    if (!LayoutFor(h, L)) return;
    bool enabled = hit == HTCLOSE ? !L.NoClose : hit == HTMINBUTTON ? (L.Style & WS_MINIMIZEBOX) != 0
                                                                    : (L.Style & WS_MAXIMIZEBOX) != 0;
    if (!enabled) return;
  }
  SetCapture(h);
  SetPressed(h, hit);
  bool over = true, chosen = false;
  TPoint at;
  for (;;) {
    MSG m;
    if (!ModalGetMessage(&m)) break;
    if (IsMouseMsg(m.message)) {
      if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
        over = HitAtScreen(h, m.pt) == hit;
        SetPressed(h, over ? hit : 0);
      } else if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) {
        chosen = HitAtScreen(h, m.pt) == hit;
        at = m.pt;
        break;
      }
    } else if (IsKeyMsg(m.message)) {
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) break;
    } else {
      DispatchMessageW(&m);
    }
    if (GetCapture() != h) break;
  }
  if (GetCapture() == h) ReleaseCapture();
  if (!IsWindow(h)) return;
  SetPressed(h, 0);
  if (chosen) Send(h, WM_SYSCOMMAND, cmd, MAKELPARAM(at.X, at.Y));
}

// Scroll-bar clicks: arrows scroll a line, the track a page, the thumb
// follows the pointer; each press ends with SB_ENDSCROLL.
void TrackScrollBar(HWND h, bool vertical, TPoint screenPt) {
  NcLayout L;
  if (!LayoutFor(h, L)) return;
  const TRect& bar = vertical ? L.VBar : L.HBar;
  ScrollBarState st = vertical ? L.VState : L.HState;
  BarParts P = PartsOf(bar, vertical, st);
  if (!Has(bar) || !P.Enabled) return;
  UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  TPoint p(screenPt.X - L.ScreenOrigin.Left, screenPt.Y - L.ScreenOrigin.Top);
  bool thumb = Has(P.Thumb) && PtInRect(P.Thumb, p);
  if (!thumb) {
    WPARAM code = PtInRect(P.Back, p) ? SB_LINEUP : PtInRect(P.Fore, p) ? SB_LINEDOWN
                  : (Has(P.PageBack) && PtInRect(P.PageBack, p)) ? SB_PAGEUP : SB_PAGEDOWN;
    Send(h, msg, code, 0);
  }
  int track = vertical ? (P.Fore.Top - P.Back.Bottom) : (P.Fore.Left - P.Back.Right);
  int thumbLen = vertical ? P.Thumb.Height() : P.Thumb.Width();
  int grab = vertical ? p.Y - P.Thumb.Top : p.X - P.Thumb.Left;
  int range = st.Max - st.Min + 1;
  int span = std::max(1, range - std::max(1, int(st.Page)));
  int pos = st.Pos;
  SetCapture(h);
  for (;;) {
    MSG m;
    if (!ModalGetMessage(&m)) break;
    if (IsMouseMsg(m.message)) {
      if (thumb && (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE)) {
        int at = vertical ? m.pt.Y - L.ScreenOrigin.Top - P.Back.Bottom : m.pt.X - L.ScreenOrigin.Left - P.Back.Right;
        at -= grab;
        int room = std::max(1, track - thumbLen);
        pos = st.Min + int(Int64(std::clamp(at, 0, room)) * span / room);
        {
          std::lock_guard<std::mutex> lk(S().Lock);
          if (Window* w = Find(h)) (vertical ? w->VScroll : w->HScroll).TrackPos = pos;
        }
        Send(h, msg, MAKEWPARAM(int(SB_THUMBTRACK), pos), 0);
      } else if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) {
        break;
      }
    } else if (!IsKeyMsg(m.message)) {
      DispatchMessageW(&m);
    }
    if (GetCapture() != h) break;
  }
  if (GetCapture() == h) ReleaseCapture();
  if (!IsWindow(h)) return;
  if (thumb) Send(h, msg, MAKEWPARAM(int(SB_THUMBPOSITION), pos), 0);
  Send(h, msg, SB_ENDSCROLL, 0);
}

// The window menu: the system commands the window's state allows.
void SystemMenu(HWND h, TPoint at) {
  NcLayout L;
  if (!LayoutFor(h, L) || !(L.Style & WS_SYSMENU)) return;
  HMENU m = CreatePopupMenu();
  bool normal = !L.Minimized && !L.Maximized;
  auto add = [&](WPARAM cmd, const char16_t* text, bool enabled) {
    AppendMenuW(m, MF_STRING | (enabled ? 0 : MF_GRAYED), cmd, text);
  };
  bool boxes = !(L.Ex & WS_EX_TOOLWINDOW);
  add(SC_RESTORE, u"&Restore", !normal);
  add(SC_MOVE, u"&Move", !L.Maximized);
  add(SC_SIZE, u"&Size", normal && L.Thick);
  if (boxes) {
    add(SC_MINIMIZE, u"Mi&nimize", !L.Minimized && (L.Style & WS_MINIMIZEBOX));
    add(SC_MAXIMIZE, u"Ma&ximize", !L.Maximized && (L.Style & WS_MAXIMIZEBOX));
  }
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  add(SC_CLOSE, u"&Close\tAlt+F4", !L.NoClose);
  int cmd = TrackMenuLoop(m, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at, h, nullptr, true);
  DestroyMenu(m);
  if (cmd) Send(h, WM_SYSCOMMAND, WPARAM(cmd), 0);
}

HWND RootOf(HWND h) {
  HWND r = GetAncestor(h, GA_ROOT);
  return r ? r : h;
}

}  // namespace

bool IsNonClientDefault(UINT msg) {
  switch (msg) {
    case WM_NCHITTEST:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_SYSCOMMAND:
    case WM_SYSCHAR:
    case WM_SYSKEYDOWN:
    case WM_GETMINMAXINFO:
      return true;
    default:
      return false;
  }
}

LRESULT DefNonClientProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HitAtScreen(h, TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
    case WM_NCPAINT: {
      // wp is the frame's update region in screen coordinates, or 1 for all of it.
      HRGN clip = nullptr;
      if (wp > 1) {
        TRect box;
        if (GetRgnBox(reinterpret_cast<HRGN>(wp), &box) != ERROR) {
          TRect wr;
          GetWindowRect(h, &wr);
          clip = CreateRectRgn(0, 0, 0, 0);
          CombineRgn(clip, reinterpret_cast<HRGN>(wp), nullptr, RGN_COPY);
          OffsetRgn(clip, -wr.Left, -wr.Top);
        }
      }
      HDC dc = GetWindowDC(h);
      DrawClassicFrame(h, dc, clip);
      ReleaseDC(h, dc);
      if (clip) DeleteObject(clip);
      return 0;
    }
    case WM_NCACTIVATE: {
      bool caption;
      TRect wr;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return 1;
        bool changed = w->NcActive != (wp != 0);
        w->NcActive = wp != 0;
        caption = changed && (w->Style & WS_CAPTION) == WS_CAPTION && (w->Style & WS_VISIBLE);
        wr = ScreenRect(w);
      }
      // lp == -1 asks for the state without a repaint.
      if (caption && lp != -1) {
        // Only the caption changes look: the frame gets a WM_NCPAINT for it.
        NcLayout L;
        LayoutFor(h, L);
        TRect band = L.CaptionBand;
        HRGN rgn = CreateRectRgn(wr.Left + band.Left, wr.Top + band.Top, wr.Left + band.Right, wr.Top + band.Bottom);
        if (L.Thick) {
          // A sizing frame changes colour with the caption.
          HRGN all = CreateRectRgn(wr.Left, wr.Top, wr.Right, wr.Bottom);
          CombineRgn(rgn, rgn, all, RGN_OR);
          DeleteObject(all);
        }
        Send(h, WM_NCPAINT, reinterpret_cast<WPARAM>(rgn), 0);
        DeleteObject(rgn);
      }
      return 1;
    }
    case WM_NCLBUTTONDOWN: {
      TPoint p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      switch (LRESULT(wp)) {
        case HTCAPTION:
          Send(h, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lp);
          break;
        case HTLEFT: case HTRIGHT: case HTTOP: case HTTOPLEFT:
        case HTTOPRIGHT: case HTBOTTOM: case HTBOTTOMLEFT: case HTBOTTOMRIGHT:
          // The sizing hit codes follow the WMSZ_* edges in the same order.
          Send(h, WM_SYSCOMMAND, SC_SIZE + (wp - HTLEFT + WMSZ_LEFT), lp);
          break;
        case HTCLOSE:
        case HTMINBUTTON:
        case HTMAXBUTTON:
          TrackCaptionButton(h, int(wp));
          break;
        case HTSYSMENU:
          Send(h, WM_SYSCOMMAND, SC_MOUSEMENU | HTSYSMENU, lp);
          break;
        case HTVSCROLL:
        case HTHSCROLL:
          TrackScrollBar(h, wp == WPARAM(HTVSCROLL), p);
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_NCLBUTTONDBLCLK: {
      if (wp == WPARAM(HTCAPTION)) {
        NcLayout L;
        if (!LayoutFor(h, L)) return 0;
        if (L.Minimized || L.Maximized) Send(h, WM_SYSCOMMAND, SC_RESTORE, lp);
        else if (L.Style & WS_MAXIMIZEBOX) Send(h, WM_SYSCOMMAND, SC_MAXIMIZE, lp);
      } else if (wp == WPARAM(HTSYSMENU)) {
        Send(h, WM_SYSCOMMAND, SC_CLOSE, lp);
      }
      return 0;
    }
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_CLOSE: Send(h, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(h, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(h, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(h, SW_RESTORE); return 0;
        case SC_MOVE: SizeMoveLoop(h, wp); return 0;
        case SC_SIZE: {
          NcLayout L;
          if (LayoutFor(h, L) && L.Thick) SizeMoveLoop(h, wp);
          return 0;
        }
        case SC_MOUSEMENU:
        case SC_KEYMENU: {
          // Without a menu bar only Alt+Space (or the icon) has a menu to open.
          if ((wp & 0xFFF0) == SC_KEYMENU && lp != ' ') return 0;
          NcLayout L;
          if (!LayoutFor(h, L)) return 0;
          TRect slot = Has(L.SysMenu) ? L.SysMenu : L.CaptionBand;
          Send(h, WM_NCPAINT, 1, 0);
          SystemMenu(h, TPoint(L.ScreenOrigin.Left + slot.Left, L.ScreenOrigin.Top + slot.Bottom + 1));
          return 0;
        }
        default:
          return 0;
      }
    case WM_SYSCHAR:
      Send(RootOf(h), WM_SYSCOMMAND, SC_KEYMENU, LPARAM(wp));
      return 0;
    case WM_SYSKEYDOWN:
      if (wp == WPARAM(VK_F1 + 3) && (lp & (1 << 29))) Send(RootOf(h), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_GETMINMAXINFO:
      return 0;  // the sender filled in the defaults
    default:
      return 0;
  }
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

namespace {
// Placement rectangles are in workspace coordinates: relative to the primary
// monitor's work area, for top-level windows that are not tool windows.
TPoint WorkspaceShift(const Window* w) {
  if (w->Parent || (w->ExStyle & WS_EX_TOOLWINDOW)) return TPoint();
  for (const Monitor& m : S().Monitors)
    if (m.Primary) return TPoint(m.Work.Left - m.Bounds.Left, m.Work.Top - m.Bounds.Top);
  return TPoint();
}
}  // namespace

bool GetWindowPlacement(HWND h, WINDOWPLACEMENT* wp) {
  if (!wp) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  TRect normal = (w->Minimized || w->Maximized) ? w->RestoreRect : w->Rect;
  TPoint shift = WorkspaceShift(w);
  OffsetRect(normal, -shift.X, -shift.Y);
  wp->length = sizeof(WINDOWPLACEMENT);
  wp->flags = (w->Minimized && w->RestoreMaximized) ? WPF_RESTORETOMAXIMIZED : 0;
  wp->showCmd = w->Minimized ? SW_SHOWMINIMIZED : w->Maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  wp->ptMinPosition = w->MinPosition;
  wp->ptMaxPosition = w->MaxPosition;
  wp->rcNormalPosition = normal;
  return true;
}

bool SetWindowPlacement(HWND h, const WINDOWPLACEMENT* wp) {
  if (!wp || wp->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  bool normalNow;
  TRect normal = wp->rcNormalPosition;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    TPoint shift = WorkspaceShift(w);
    OffsetRect(normal, shift.X, shift.Y);
    normalNow = !w->Minimized && !w->Maximized;
    if (!normalNow) w->RestoreRect = normal;
    if (wp->flags & WPF_SETMINPOSITION) w->MinPosition = wp->ptMinPosition;
  }
  if (normalNow)
    SetWindowPos(h, nullptr, normal.Left, normal.Top, normal.Width(), normal.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  switch (wp->showCmd) {
    case SW_HIDE:
      ShowWindow(h, SW_HIDE);
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: {
      ShowWindow(h, wp->showCmd == SW_SHOWMINIMIZED ? SW_MINIMIZE : int(wp->showCmd));
      std::lock_guard<std::mutex> lk(S().Lock);
      if (Window* w = Find(h)) w->RestoreMaximized = (wp->flags & WPF_RESTORETOMAXIMIZED) != 0;
      break;
    }
    case SW_SHOWMAXIMIZED:
      ShowWindow(h, SW_MAXIMIZE);
      break;
    default: {
      {
        // The normal state asked for: no detour through maximised.
        std::lock_guard<std::mutex> lk(S().Lock);
        if (Window* w = Find(h)) w->RestoreMaximized = false;
      }
      ShowWindow(h, SW_RESTORE);
      break;
    }
  }
  return true;
}

}  // namespace vcl
