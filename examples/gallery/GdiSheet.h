// The GDI sheet: primitives, pens, brushes, raster operations, regions,
// edges, frame controls and transfers, drawn with the host layer's GDI into a
// 32-bit DIB. Shared by the gallery page and its golden-image test.
#pragma once

#include <cmath>
#include <vector>

#include "examples/gallery/SheetImage.h"
#include "platform/gdi/Gdi.h"

namespace gallery {

using namespace vcl;

class TGdiSheet {
 public:
  static constexpr int kCell = 80, kLabel = 16, kWidth = 720, kHeight = 8 + 7 * (kCell + 8 + kLabel);

  // Renders the sheet into an opaque image.
  static TScreenImage Render() {
    TGdiSheet s;
    s.Draw();
    return BitmapImage(s.FDC, s.FBmp, kWidth, kHeight);
  }

  ~TGdiSheet() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
    DeleteObject(FBmp);
  }

 private:
  HDC FDC = nullptr;
  HBITMAP FBmp = nullptr;
  HGDIOBJ FOld = nullptr;

  TGdiSheet() {
    FBmp = CreateCompatibleBitmap(nullptr, kWidth, kHeight);
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, FBmp);
  }

  // What each cell shows, row by row. Rows 3 and 4 are raster operations of
  // a source of horizontal bands on a destination of vertical bands, with a
  // green diagonal-cross brush as the pattern.
  static constexpr const WCHAR* kLabels[7][8] = {
      {u"Rectangle", u"RoundRect", u"Ellipse", u"Arc", u"Pie", u"Chord", u"alternate", u"winding"},
      {u"pen styles", u"LineTo rays", u"pen width 3", u"pen width 4", u"pen width 6", u"inside frame",
       u"centred pen", u"null pen"},
      {u"horizontal", u"vertical", u"fdiagonal", u"bdiagonal", u"cross", u"diagcross", u"mono pattern",
       u"colour pattern"},
      {u"SRCCOPY", u"SRCPAINT", u"SRCAND", u"SRCINVERT", u"SRCERASE", u"NOTSRCCOPY", u"NOTSRCERASE", u"MERGECOPY"},
      {u"MERGEPAINT", u"PATCOPY", u"PATPAINT", u"PATINVERT", u"DSTINVERT", u"BLACKNESS", u"WHITENESS",
       u"PSDPxax"},
      {u"RGN_AND", u"RGN_OR", u"RGN_XOR", u"RGN_DIFF", u"polygon region", u"clip region", u"InvertRgn",
       u"R2_XORPEN"},
      {u"DrawEdge", u"edge flags", u"scroll arrows", u"check, radio", u"caption", u"menu, grip", u"StretchBlt",
       u"AlphaBlend"},
  };

  // Cell (col, row) of the grid, its origin as the viewport origin, a light
  // frame around it and its label under it; drawing inside uses cell
  // coordinates 0..kCell-1.
  void Cell(int col, int row) {
    SetViewportOrgEx(FDC, 0, 0, nullptr);
    SelectClipRgn(FDC, nullptr);
    int x = 8 + col * (kCell + 8), y = 8 + row * (kCell + 8 + kLabel);
    {
      HGDIOBJ of = SelectObject(FDC, FLabelFont);
      const int oldMode = SetBkMode(FDC, TRANSPARENT);
      const COLORREF oldColor = SetTextColor(FDC, RGB(40, 48, 60));
      RECT label{x - 4, y + kCell + 2, x + kCell + 4, y + kCell + kLabel};
      const WCHAR* text = kLabels[row][col];
      DrawText(FDC, text, -1, &label, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
      SetTextColor(FDC, oldColor);
      SetBkMode(FDC, oldMode);
      SelectObject(FDC, of);
    }
    RECT frame{x - 1, y - 1, x + kCell + 1, y + kCell + 1};
    FrameRect(FDC, &frame, FFrame);
    RECT inside{x, y, x + kCell, y + kCell};
    FillRect(FDC, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    IntersectClipRect(FDC, x, y, x + kCell, y + kCell);
    SetViewportOrgEx(FDC, x, y, nullptr);
    SetBrushOrgEx(FDC, x, y, nullptr);
  }

  HBRUSH FFrame = nullptr;
  HFONT FLabelFont = nullptr;

  template <class F>
  void WithPen(HPEN pen, HBRUSH brush, F&& f) {
    HGDIOBJ op = SelectObject(FDC, pen);
    HGDIOBJ ob = SelectObject(FDC, brush);
    f();
    SelectObject(FDC, op);
    SelectObject(FDC, ob);
  }

  void Draw() {
    RECT all{0, 0, kWidth, kHeight};
    FillRect(FDC, &all, GetSysColorBrush(COLOR_BTNFACE));
    FFrame = CreateSolidBrush(RGB(160, 160, 160));
    FLabelFont = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"DejaVu Sans");
    HBRUSH blue = CreateSolidBrush(RGB(80, 140, 220));
    HBRUSH yellow = CreateSolidBrush(RGB(250, 210, 60));
    HPEN black = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    HPEN red = CreatePen(PS_SOLID, 1, RGB(200, 30, 30));

    // Row 0: primitives with a 1-pixel pen.
    WithPen(black, blue, [&] {
      Cell(0, 0); Rectangle(FDC, 10, 10, 70, 50); Rectangle(FDC, 20, 56, 30, 66); Rectangle(FDC, 40, 56, 43, 70);
      Cell(1, 0); RoundRect(FDC, 8, 8, 72, 48, 20, 20); RoundRect(FDC, 8, 54, 72, 74, 30, 12);
      Cell(2, 0); Ellipse(FDC, 6, 6, 74, 50); Ellipse(FDC, 10, 56, 20, 66); Ellipse(FDC, 30, 56, 33, 59);
      Ellipse(FDC, 44, 54, 64, 74);
      Cell(3, 0); Arc(FDC, 6, 6, 74, 74, 74, 40, 40, 0); Arc(FDC, 20, 20, 60, 60, 20, 40, 60, 40);
      Cell(4, 0); Pie(FDC, 6, 6, 74, 74, 74, 20, 20, 0);
      Cell(5, 0); Chord(FDC, 6, 6, 74, 74, 74, 20, 0, 40);
    });
    POINT star[5] = {{40, 4}, {62, 74}, {4, 30}, {76, 30}, {18, 74}};
    WithPen(black, yellow, [&] {
      Cell(6, 0); SetPolyFillMode(FDC, ALTERNATE); Polygon(FDC, star, 5);
      Cell(7, 0); SetPolyFillMode(FDC, WINDING); Polygon(FDC, star, 5);
      SetPolyFillMode(FDC, ALTERNATE);
    });

    // Row 1: pens.
    const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    Cell(0, 1);
    for (int i = 0; i < 5; ++i) {
      HPEN p = CreatePen(styles[i], 1, RGB(0, 0, 0));
      HGDIOBJ o = SelectObject(FDC, p);
      MoveToEx(FDC, 6, 8 + i * 8, nullptr);
      LineTo(FDC, 74, 8 + i * 8);
      SelectObject(FDC, o);
      DeleteObject(p);
    }
    SetBkMode(FDC, OPAQUE);
    SetBkColor(FDC, RGB(255, 170, 170));
    {
      HPEN p = CreatePen(PS_DOT, 1, RGB(0, 0, 160));
      HGDIOBJ o = SelectObject(FDC, p);
      MoveToEx(FDC, 6, 56, nullptr);
      LineTo(FDC, 74, 56);
      SetBkMode(FDC, TRANSPARENT);
      MoveToEx(FDC, 6, 64, nullptr);
      LineTo(FDC, 74, 70);
      SelectObject(FDC, o);
      DeleteObject(p);
    }
    SetBkMode(FDC, OPAQUE);
    SetBkColor(FDC, RGB(255, 255, 255));
    Cell(1, 1);
    for (int i = 0; i < 16; ++i) {
      double a = i * 3.14159265358979 / 8;
      MoveToEx(FDC, 40, 40, nullptr);
      HGDIOBJ o = SelectObject(FDC, red);
      LineTo(FDC, 40 + int(std::lround(36 * std::cos(a))), 40 - int(std::lround(36 * std::sin(a))));
      SelectObject(FDC, o);
    }
    for (int w = 2, col = 2; w <= 6; w += 2, ++col) {
      HPEN p = CreatePen(PS_SOLID, w + (w == 2 ? 1 : 0), RGB(30, 90, 30));
      Cell(col, 1);
      WithPen(p, blue, [&] {
        Rectangle(FDC, 10, 10, 40, 40);
        Ellipse(FDC, 44, 10, 72, 40);
        POINT zig[4] = {{8, 70}, {28, 50}, {48, 70}, {72, 48}};
        Polyline(FDC, zig, 4);
      });
      DeleteObject(p);
    }
    {
      HPEN inside = CreatePen(PS_INSIDEFRAME, 7, RGB(160, 60, 160));
      HPEN centred = CreatePen(PS_SOLID, 7, RGB(160, 60, 160));
      Cell(5, 1);
      WithPen(inside, blue, [&] { Rectangle(FDC, 10, 10, 70, 36); Ellipse(FDC, 10, 44, 70, 72); });
      Cell(6, 1);
      WithPen(centred, blue, [&] { Rectangle(FDC, 10, 10, 70, 36); Ellipse(FDC, 10, 44, 70, 72); });
      DeleteObject(inside);
      DeleteObject(centred);
      Cell(7, 1);
      WithPen(static_cast<HPEN>(GetStockObject(NULL_PEN)), blue, [&] {
        Rectangle(FDC, 10, 10, 70, 36);
        RoundRect(FDC, 10, 44, 70, 72, 16, 16);
      });
    }

    // Row 2: brushes: hatches, patterns, DC brush colour.
    for (int h = 0; h < 6; ++h) {
      HBRUSH b = CreateHatchBrush(h, RGB(0, 0, 128));
      Cell(h, 2);
      SetBkColor(FDC, RGB(255, 255, 200));
      WithPen(black, b, [&] {
        SetBkMode(FDC, OPAQUE);
        Rectangle(FDC, 6, 6, 74, 38);
        SetBkMode(FDC, TRANSPARENT);
        Ellipse(FDC, 6, 42, 74, 74);
      });
      DeleteObject(b);
    }
    SetBkMode(FDC, OPAQUE);
    {
      HBITMAP checker = AllocPatternBitmap();
      HBRUSH pb = CreatePatternBrush(checker);
      Cell(6, 2);
      SetTextColor(FDC, RGB(0, 100, 0));
      SetBkColor(FDC, RGB(220, 255, 220));
      RECT r{6, 6, 74, 74};
      FillRect(FDC, &r, pb);
      SetTextColor(FDC, RGB(0, 0, 0));
      SetBkColor(FDC, RGB(255, 255, 255));
      DeleteObject(pb);
      DeleteObject(checker);
      // A colour pattern from an 8x8 bitmap.
      HBITMAP bmp = CreateCompatibleBitmap(nullptr, 8, 8);
      HDC m = CreateCompatibleDC(nullptr);
      HGDIOBJ o = SelectObject(m, bmp);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          SetPixel(m, x, y, (x < 4) == (y < 4) ? RGB(230, 120, 40) : RGB(250, 240, 200));
      SelectObject(m, o);
      DeleteDC(m);
      HBRUSH cb = CreatePatternBrush(bmp);
      Cell(7, 2);
      WithPen(black, cb, [&] { Ellipse(FDC, 6, 6, 74, 74); });
      DeleteObject(cb);
      DeleteObject(bmp);
    }

    // Row 3: raster operations of a source (horizontal bands) on a
    // destination (vertical bands) with a hatched brush.
    {
      HBITMAP sb = CreateCompatibleBitmap(nullptr, 32, 32);
      HDC sdc = CreateCompatibleDC(nullptr);
      HGDIOBJ so = SelectObject(sdc, sb);
      const COLORREF bands[4] = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 160, 255), RGB(255, 255, 255)};
      for (int i = 0; i < 4; ++i) {
        HBRUSH b = CreateSolidBrush(bands[i]);
        RECT r{0, i * 8, 32, i * 8 + 8};
        FillRect(sdc, &r, b);
        DeleteObject(b);
      }
      const DWORD rops[16] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE, MERGECOPY,
                              MERGEPAINT, PATCOPY, PATPAINT, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS, 0x00B8074A};
      HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 128, 0));
      HGDIOBJ ob = SelectObject(FDC, hatch);
      for (int i = 0; i < 16; ++i) {
        Cell(i % 8, 3 + i / 8);
        for (int k = 0; k < 4; ++k) {
          HBRUSH b = CreateSolidBrush(bands[(k + 1) % 4]);
          RECT r{8 + k * 16, 8, 8 + k * 16 + 16, 72};
          FillRect(FDC, &r, b);
          DeleteObject(b);
        }
        StretchBlt(FDC, 8, 8, 64, 64, sdc, 0, 0, 32, 32, rops[i]);
      }
      SelectObject(FDC, ob);
      DeleteObject(hatch);
      SelectObject(sdc, so);
      DeleteDC(sdc);
      DeleteObject(sb);
    }

    // Row 5: regions.
    {
      HRGN a = CreateEllipticRgn(6, 6, 52, 52);
      HRGN b = CreateRoundRectRgn(28, 28, 74, 74, 16, 16);
      HRGN r = CreateRectRgn(0, 0, 0, 0);
      const int modes[4] = {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF};
      for (int i = 0; i < 4; ++i) {
        Cell(i, 5);
        CombineRgn(r, a, b, modes[i]);
        FillRgn(FDC, r, blue);
        FrameRgn(FDC, r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
      }
      POINT pts[5] = {{40, 4}, {62, 74}, {4, 30}, {76, 30}, {18, 74}};
      HRGN p = CreatePolygonRgn(pts, 5, WINDING);
      Cell(4, 5);
      FillRgn(FDC, p, yellow);
      FrameRgn(FDC, p, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 2, 1);
      Cell(5, 5);
      SelectClipRgn(FDC, nullptr);
      HRGN clip = CreateEllipticRgn(0, 0, 80, 80);
      POINT vo;
      GetViewportOrgEx(FDC, &vo);
      OffsetRgn(clip, vo.X, vo.Y);
      SelectClipRgn(FDC, clip);
      for (int y = 0; y < 80; y += 8) {
        RECT band{0, y, 80, y + 4};
        FillRect(FDC, &band, (y / 8) % 2 ? blue : yellow);
      }
      DeleteObject(clip);
      Cell(6, 5);
      HRGN e = CreateEllipticRgn(10, 10, 70, 70);
      FillRgn(FDC, e, yellow);
      InvertRgn(FDC, e);
      RECT fr{16, 16, 64, 64};
      DrawFocusRect(FDC, &fr);
      DeleteObject(e);
      Cell(7, 5);
      SetROP2(FDC, R2_XORPEN);
      WithPen(red, blue, [&] {
        Ellipse(FDC, 6, 6, 56, 56);
        Ellipse(FDC, 24, 24, 74, 74);
      });
      SetROP2(FDC, R2_COPYPEN);
      for (HRGN h : {a, b, r, p}) DeleteObject(h);
    }

    // Row 6: edges and frame controls.
    {
      Cell(0, 6);
      const UINT edges[4] = {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP};
      for (int i = 0; i < 4; ++i) {
        RECT r{4 + (i % 2) * 38, 4 + (i / 2) * 38, 38 + (i % 2) * 38, 38 + (i / 2) * 38};
        DrawEdge(FDC, &r, edges[i], BF_RECT | BF_MIDDLE);
      }
      Cell(1, 6);
      RECT r1{4, 4, 38, 38}, r2{42, 4, 76, 38}, r3{4, 42, 38, 76}, r4{42, 42, 76, 76};
      DrawEdge(FDC, &r1, EDGE_RAISED, BF_RECT | BF_FLAT | BF_MIDDLE);
      DrawEdge(FDC, &r2, EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE);
      DrawEdge(FDC, &r3, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
      FillRect(FDC, &r4, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(FDC, &r4, EDGE_RAISED, BF_DIAGONAL_ENDTOPRIGHT);
      Cell(2, 6);
      const UINT arrows[4] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
      const UINT looks[4] = {0, DFCS_PUSHED, DFCS_INACTIVE, DFCS_FLAT};
      for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
          RECT r{2 + i * 19, 2 + j * 19, 2 + i * 19 + 17, 2 + j * 19 + 17};
          DrawFrameControl(FDC, &r, DFC_SCROLL, arrows[i] | looks[j]);
        }
      Cell(3, 6);
      for (int j = 0; j < 4; ++j) {
        RECT c{4, 4 + j * 19, 17, 17 + j * 19};
        DrawFrameControl(FDC, &c, DFC_BUTTON, DFCS_BUTTONCHECK | (j % 2 ? DFCS_CHECKED : 0) | (j > 1 ? DFCS_INACTIVE : 0));
        RECT rr{24, 4 + j * 19, 36, 16 + j * 19};
        DrawFrameControl(FDC, &rr, DFC_BUTTON, DFCS_BUTTONRADIO | (j % 2 ? DFCS_CHECKED : 0) | (j > 1 ? DFCS_INACTIVE : 0));
        RECT pb{42, 4 + j * 19, 76, 20 + j * 19};
        DrawFrameControl(FDC, &pb, DFC_BUTTON, DFCS_BUTTONPUSH | (j == 1 ? DFCS_PUSHED : 0) | (j == 2 ? DFCS_FLAT : 0));
      }
      Cell(4, 6);
      // Caption buttons: the five glyphs, then pushed and inactive looks.
      const UINT caps[9] = {DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX,
                            DFCS_CAPTIONRESTORE, DFCS_CAPTIONHELP, DFCS_CAPTIONCLOSE | DFCS_PUSHED,
                            DFCS_CAPTIONCLOSE | DFCS_INACTIVE, DFCS_CAPTIONMAX | DFCS_PUSHED,
                            DFCS_CAPTIONMIN | DFCS_INACTIVE};
      for (int i = 0; i < 9; ++i) {
        RECT r{6 + (i % 3) * 24, 8 + (i / 3) * 24, 6 + (i % 3) * 24 + 18, 8 + (i / 3) * 24 + 16};
        DrawFrameControl(FDC, &r, DFC_CAPTION, caps[i]);
      }
      Cell(5, 6);
      const UINT menus[4] = {DFCS_MENUCHECK, DFCS_MENUBULLET, DFCS_MENUARROW, DFCS_MENUARROWRIGHT};
      for (int i = 0; i < 4; ++i) {
        RECT r{4 + i * 18, 4, 4 + i * 18 + 15, 19};
        DrawFrameControl(FDC, &r, DFC_MENU, menus[i]);
      }
      RECT grip{44, 44, 76, 76};
      DrawFrameControl(FDC, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }

    // Row 6, right: transfers: nearest and halftone stretching, AlphaBlend.
    {
      HBITMAP tb = CreateCompatibleBitmap(nullptr, 8, 8);
      HDC t = CreateCompatibleDC(nullptr);
      HGDIOBJ to = SelectObject(t, tb);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) SetPixel(t, x, y, ((x + y) & 1) ? RGB(40, 40, 160) : RGB(x * 32, 200, y * 32));
      Cell(6, 6);
      StretchBlt(FDC, 4, 4, 36, 36, t, 0, 0, 8, 8, SRCCOPY);
      SetStretchBltMode(FDC, HALFTONE);
      StretchBlt(FDC, 42, 4, 36, 36, t, 0, 0, 8, 8, SRCCOPY);
      StretchBlt(FDC, 4, 44, 12, 12, t, 0, 0, 8, 8, SRCCOPY);
      SetStretchBltMode(FDC, COLORONCOLOR);
      StretchBlt(FDC, 20, 44, 12, 12, t, 0, 0, 8, 8, SRCCOPY);
      StretchBlt(FDC, 76, 44, -36, 30, t, 0, 0, 8, 8, SRCCOPY);
      SelectObject(t, to);
      DeleteDC(t);
      DeleteObject(tb);

      // A premultiplied radial ball over stripes, with per-pixel and constant alpha.
      BITMAPINFO bi{};
      bi.bmiHeader.biWidth = 40;
      bi.bmiHeader.biHeight = -40;
      bi.bmiHeader.biBitCount = 32;
      void* bits = nullptr;
      HBITMAP ball = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      auto* px = static_cast<uint32_t*>(bits);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          double d = std::hypot(x - 19.5, y - 19.5) / 20.0;
          uint32_t a = d >= 1 ? 0 : uint32_t(std::lround(255 * (1 - d * d)));
          uint32_t r = a * 230 / 255, g = a * 80 / 255, b = a * 40 / 255;
          px[y * 40 + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
      HDC bdc = CreateCompatibleDC(nullptr);
      HGDIOBJ bo = SelectObject(bdc, ball);
      Cell(7, 6);
      for (int y = 0; y < 80; y += 10) {
        RECT band{0, y, 80, y + 5};
        FillRect(FDC, &band, blue);
      }
      BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      AlphaBlend(FDC, 0, 0, 40, 40, bdc, 0, 0, 40, 40, bf);
      bf.SourceConstantAlpha = 128;
      AlphaBlend(FDC, 40, 0, 40, 40, bdc, 0, 0, 40, 40, bf);
      BLENDFUNCTION plain{AC_SRC_OVER, 0, 96, 0};
      AlphaBlend(FDC, 10, 44, 60, 32, bdc, 0, 0, 40, 40, plain);
      SelectObject(bdc, bo);
      DeleteDC(bdc);
      DeleteObject(ball);
    }

    SetViewportOrgEx(FDC, 0, 0, nullptr);
    SelectClipRgn(FDC, nullptr);
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(blue), static_cast<HGDIOBJ>(yellow), static_cast<HGDIOBJ>(red),
                      static_cast<HGDIOBJ>(FFrame), static_cast<HGDIOBJ>(FLabelFont)})
      DeleteObject(o);
  }
};

}  // namespace gallery
