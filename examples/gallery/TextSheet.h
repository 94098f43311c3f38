// The text sheet: faces, sizes, styles, qualities, turned text, DrawText
// layouts with ellipses and prefixes, and a Chinese line, drawn with the host
// layer's GDI into a 32-bit DIB. Shared by the gallery page and its
// golden-image test.
#pragma once

#include <string>

#include "examples/gallery/SheetImage.h"
#include "platform/gdi/Gdi.h"

namespace gallery {

using namespace vcl;

class TTextSheet {
 public:
  static constexpr int kWidth = 760, kHeight = 700;

  // Renders the sheet into an opaque image.
  static TScreenImage Render() {
    TTextSheet s;
    s.Draw();
    return BitmapImage(s.FDC, s.FBmp, kWidth, kHeight);
  }

  ~TTextSheet() {
    SelectObject(FDC, FOld);
    DeleteDC(FDC);
    DeleteObject(FBmp);
  }

 private:
  HDC FDC = nullptr;
  HBITMAP FBmp = nullptr;
  HGDIOBJ FOld = nullptr;

  TTextSheet() {
    FBmp = CreateCompatibleBitmap(nullptr, kWidth, kHeight);
    FDC = CreateCompatibleDC(nullptr);
    FOld = SelectObject(FDC, FBmp);
  }
  TTextSheet(const TTextSheet&) = delete;
  TTextSheet& operator=(const TTextSheet&) = delete;

  static HFONT Font(const char16_t* face, int height, int weight = FW_NORMAL, bool italic = false,
                    BYTE quality = ANTIALIASED_QUALITY, int escapement = 0, bool underline = false,
                    bool strike = false, BYTE charset = DEFAULT_CHARSET) {
    return CreateFontW(height, 0, escapement, escapement, weight, italic, underline, strike, charset,
                       OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH, face);
  }

  void Text(HFONT f, int x, int y, const std::u16string& s, COLORREF c = RGB(0, 0, 0)) {
    HGDIOBJ old = SelectObject(FDC, f);
    SetTextColor(FDC, c);
    TextOutW(FDC, x, y, s.c_str(), int(s.size()));
    SelectObject(FDC, old);
    DeleteObject(f);
  }

  void Heading(int x, int y, const char16_t* s) { Text(Font(u"Tahoma", -12, FW_BOLD), x, y, s, RGB(0, 0, 128)); }

  void Box(const RECT& r, const std::u16string& s, UINT format, HFONT f) {
    HBRUSH frame = CreateSolidBrush(RGB(160, 160, 200));
    RECT fr{r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1};
    FrameRect(FDC, &fr, frame);
    DeleteObject(frame);
    HGDIOBJ old = SelectObject(FDC, f);
    SetTextColor(FDC, RGB(0, 0, 0));
    RECT rr = r;
    DrawTextW(FDC, s.c_str(), int(s.size()), &rr, format);
    SelectObject(FDC, old);
    DeleteObject(f);
  }

  void Draw() {
    RECT all{0, 0, kWidth, kHeight};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(FDC, &all, white);
    DeleteObject(white);
    SetBkMode(FDC, TRANSPARENT);

    // Faces.
    Heading(10, 8, u"Faces");
    const char16_t* faces[] = {u"Tahoma", u"Segoe UI", u"Courier New", u"Times New Roman", u"Verdana"};
    int x = 10;
    for (const char16_t* f : faces) {
      Text(Font(f, -14), x, 26, f);
      x += 150;
    }

    // Sizes.
    Heading(10, 50, u"Sizes (em pixels)");
    x = 10;
    for (int h : {8, 10, 11, 13, 16, 20, 26, 34}) {
      const std::string n = std::to_string(h);
      Text(Font(u"Tahoma", -h), x, 68, u"Ag " + std::u16string(n.begin(), n.end()));
      x += h * 3 + 24;
    }

    // Styles.
    Heading(10, 110, u"Styles");
    Text(Font(u"Tahoma", -16), 10, 128, u"Regular");
    Text(Font(u"Tahoma", -16, FW_BOLD), 110, 128, u"Bold");
    Text(Font(u"Tahoma", -16, FW_NORMAL, true), 190, 128, u"Italic");
    Text(Font(u"Tahoma", -16, FW_BOLD, true), 270, 128, u"Bold italic");
    Text(Font(u"Tahoma", -16, FW_NORMAL, false, ANTIALIASED_QUALITY, 0, true), 390, 128, u"Underline");
    Text(Font(u"Tahoma", -16, FW_NORMAL, false, ANTIALIASED_QUALITY, 0, false, true), 500, 128, u"Strike-out");
    Text(Font(u"SimSun", -16, FW_BOLD, true), 620, 128, u"Synth");
    // Opaque background.
    SetBkMode(FDC, OPAQUE);
    SetBkColor(FDC, RGB(255, 240, 160));
    Text(Font(u"Courier New", -16), 10, 154, u"Opaque background");
    RECT orc{250, 152, 470, 176};
    HGDIOBJ old = SelectObject(FDC, Font(u"Tahoma", -14));
    SetBkColor(FDC, RGB(200, 230, 255));
    const std::u16string clipped = u"ETO_OPAQUE | ETO_CLIPPED cut here";
    ExtTextOutW(FDC, 254, 156, ETO_OPAQUE | ETO_CLIPPED, &orc, clipped.c_str(), UINT(clipped.size()), nullptr);
    DeleteObject(SelectObject(FDC, old));
    SetBkMode(FDC, TRANSPARENT);

    // Qualities, large enough to see the edges.
    Heading(10, 186, u"Quality: non-antialiased, antialiased, ClearType (grey)");
    Text(Font(u"Tahoma", -22, FW_NORMAL, false, NONANTIALIASED_QUALITY), 10, 204, u"Quality 3");
    Text(Font(u"Tahoma", -22, FW_NORMAL, false, ANTIALIASED_QUALITY), 200, 204, u"Quality 4");
    Text(Font(u"Tahoma", -22, FW_NORMAL, false, CLEARTYPE_QUALITY), 390, 204, u"Quality 5");
    Text(Font(u"Tahoma", -22, FW_NORMAL, false, DEFAULT_QUALITY), 580, 204, u"Quality 0");

    // Turned text around one point, with alignment.
    Heading(10, 240, u"Escapement");
    for (int e = 0; e < 3600; e += 450)
      Text(Font(u"Tahoma", -13, FW_NORMAL, false, ANTIALIASED_QUALITY, e), 130, 360,
           u"  " + std::u16string(1, char16_t(u'0' + e / 450)) + u" turned", RGB(128, 0, 0));
    HGDIOBJ oldf = SelectObject(FDC, Font(u"Times New Roman", -18, FW_NORMAL, false, ANTIALIASED_QUALITY, 900));
    SetTextColor(FDC, RGB(0, 96, 0));
    TextOutW(FDC, 290, 455, u"Upwards", 7);
    DeleteObject(SelectObject(FDC, Font(u"Times New Roman", -18, FW_NORMAL, false, ANTIALIASED_QUALITY, 2700)));
    TextOutW(FDC, 360, 262, u"Downwards", 9);
    DeleteObject(SelectObject(FDC, oldf));
    // Alignment marks.
    HGDIOBJ oldf2 = SelectObject(FDC, Font(u"Tahoma", -14));
    SetTextColor(FDC, RGB(0, 0, 0));
    const UINT aligns[] = {TA_LEFT | TA_TOP, TA_CENTER | TA_BASELINE, TA_RIGHT | TA_BOTTOM};
    const char16_t* names[] = {u"left top", u"center baseline", u"right bottom"};
    for (int i = 0; i < 3; ++i) {
      int ay = 280 + i * 50;
      HBRUSH mark = CreateSolidBrush(RGB(255, 0, 0));
      RECT mr{520 - 2, ay - 2, 520 + 3, ay + 3};
      FillRect(FDC, &mr, mark);
      DeleteObject(mark);
      SetTextAlign(FDC, aligns[i]);
      std::u16string n = names[i];
      TextOutW(FDC, 520, ay, n.c_str(), int(n.size()));
    }
    SetTextAlign(FDC, TA_LEFT | TA_TOP);
    DeleteObject(SelectObject(FDC, oldf2));

    // DrawText layouts.
    Heading(10, 466, u"DrawText");
    auto f13 = [] { return Font(u"Tahoma", -13); };
    Box({10, 486, 190, 560}, u"Word wrap breaks lines at blanks and keeps words whole, centred.",
        DT_WORDBREAK | DT_CENTER, f13());
    Box({200, 486, 300, 560}, u"Unbreakable_long_word overflows", DT_WORDBREAK, f13());
    Box({310, 486, 410, 560}, u"Unbreakable_long_word is broken", DT_WORDBREAK | DT_EDITCONTROL, f13());
    Box({420, 486, 600, 560}, u"Line one\r\nLine two\nLine three\rLine four", DT_RIGHT, f13());
    Box({610, 486, 750, 560}, u"One line, centred", DT_SINGLELINE | DT_CENTER | DT_VCENTER, f13());
    Box({10, 574, 190, 594}, u"End ellipsis cuts this long caption", DT_SINGLELINE | DT_END_ELLIPSIS, f13());
    Box({200, 574, 410, 594}, u"C:\\Program Files\\Quarn\\Skins\\Default.skin", DT_SINGLELINE | DT_PATH_ELLIPSIS,
        f13());
    Box({420, 574, 600, 594}, u"Word ellipsis cuts at whole words", DT_SINGLELINE | DT_WORD_ELLIPSIS, f13());
    Box({610, 574, 750, 594}, u"&File  A&&B  &Options", DT_SINGLELINE, f13());
    Box({10, 606, 190, 626}, u"Name:\tValue\tMore", DT_SINGLELINE | DT_EXPANDTABS, f13());
    Box({200, 606, 410, 646}, u"Edit control hides the partly visible last line and ends with dots",
        DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS, f13());
    Box({420, 606, 600, 626}, u"&Hidden prefix", DT_SINGLELINE | DT_HIDEPREFIX, f13());
    Box({610, 606, 750, 626}, u"&Prefix only", DT_SINGLELINE | DT_PREFIXONLY, f13());

    // Chinese: a Latin face falls back per character, a Chinese face draws all.
    Heading(10, 652, u"Chinese");
    Text(Font(u"Tahoma", -16), 10, 672, u"Tahoma: \u4E2D\u6587\u6807\u9898 \u4F60\u597D\uFF0C\u4E16\u754C");
    Text(Font(u"\u5B8B\u4F53", -16, FW_NORMAL, false, ANTIALIASED_QUALITY, 0, false, false, GB2312_CHARSET), 300, 672,
         u"\u5B8B\u4F53: \u6587\u4EF6(&F) \u7F16\u8F91 \u5E2E\u52A9 ABC");
  }
};

}  // namespace gallery
