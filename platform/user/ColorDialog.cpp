#include <algorithm>
#include <mutex>

#include "platform/user/CommonDialogs.h"
#include "platform/rtl/SysUtils.h"
#include "platform/user/DialogKit.h"

namespace vcl {

namespace dialogkit {
void ClearMessageBoxCalls();
}
void ClearFileDialogCalls();

namespace {

std::mutex gColorLock;
TColorDialogResponder gColorResponder;
std::vector<TColorDialogCall> gColorCalls;

constexpr COLORREF Hex(uint32_t rrggbb) { return RGB(Byte(rrggbb >> 16), Byte(rrggbb >> 8), Byte(rrggbb)); }

// Tints, full colours, shades and greys, eight to a row.
const COLORREF kBasic[48] = {
    Hex(0xFF8080), Hex(0xFFFF80), Hex(0x80FF80), Hex(0x00FF80), Hex(0x80FFFF), Hex(0x0080FF), Hex(0xFF80C0), Hex(0xFF80FF),
    Hex(0xFF0000), Hex(0xFFFF00), Hex(0x80FF00), Hex(0x00FF40), Hex(0x00FFFF), Hex(0x0080C0), Hex(0x8080C0), Hex(0xFF00FF),
    Hex(0x804040), Hex(0xFF8040), Hex(0x00FF00), Hex(0x008080), Hex(0x004080), Hex(0x8080FF), Hex(0x800040), Hex(0xFF0080),
    Hex(0x800000), Hex(0xFF8000), Hex(0x008000), Hex(0x008040), Hex(0x0000FF), Hex(0x0000A0), Hex(0x800080), Hex(0x8000FF),
    Hex(0x400000), Hex(0x804000), Hex(0x004000), Hex(0x004040), Hex(0x000080), Hex(0x000040), Hex(0x400040), Hex(0x400080),
    Hex(0x000000), Hex(0x808000), Hex(0x808040), Hex(0x808080), Hex(0x408080), Hex(0xC0C0C0), Hex(0x404040), Hex(0xFFFFFF),
};

constexpr int kDefine = 100, kAdd = 101;
constexpr Integer kMargin = 12, kCellW = 22, kCellH = 18, kStepX = 28, kStepY = 24, kLeftW = 8 * kStepX - 6;
constexpr Integer kBasicTop = 32, kCustomTop = kBasicTop + 6 * kStepY + 28, kLeftBottom = kCustomTop + 2 * kStepY + 46;
constexpr Integer kRightLeft = kMargin * 2 + kLeftW + 8, kRightW = 236, kBarW = 140;

class ColorDialog : public dialogkit::Dialog {
 public:
  ColorDialog(HWND owner, CHOOSECOLORW& cc) : FCC(cc) {
    Font = dialogkit::MakeMessageFont();
    FColor = (cc.Flags & CC_RGBINIT) ? cc.rgbResult : RGB(0, 0, 0);
    for (int i = 0; i < 16; ++i) FCustom[i] = cc.lpCustColors ? cc.lpCustColors[i] : RGB(0xFF, 0xFF, 0xFF);
    for (int i = 0; i < 48; ++i)
      if (kBasic[i] == FColor) FSelected = i;
    FFull = (cc.Flags & CC_FULLOPEN) && !(cc.Flags & CC_PREVENTFULLOPEN);
    Buttons.push_back({TRect(), u"OK", IDOK, true});
    Buttons.push_back({TRect(), u"Cancel", IDCANCEL, true});
    Buttons.push_back({TRect(), u"&Define Custom Colors >>", kDefine, !(cc.Flags & CC_PREVENTFULLOPEN) && !FFull});
    Buttons.push_back({TRect(), u"&Add to Custom Colors", kAdd, FFull});
    Default = Focus = 0;
    TSize s = Layout();
    Create(owner, u"Color", s, true, false);
  }

  int DefaultResult() const override { return IDCANCEL; }
  int EscapeResult() const override { return IDCANCEL; }
  COLORREF Color() const { return FColor; }

  void Command(int id) override {
    switch (id) {
      case kDefine: {
        FFull = true;
        Buttons[2].Enabled = false;
        Buttons[3].Enabled = true;
        TSize s = Layout();
        RECT r{0, 0, s.cx, s.cy};
        AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrW(Hwnd, GWL_STYLE)), false,
                           DWORD(GetWindowLongPtrW(Hwnd, GWL_EXSTYLE)));
        SetWindowPos(Hwnd, nullptr, 0, 0, r.Right - r.Left, r.Bottom - r.Top, SWP_NOMOVE | SWP_NOZORDER);
        Focus = Default = 0;
        Invalidate();
        return;
      }
      case kAdd:
        FCustom[FNextCustom] = FColor;
        FNextCustom = (FNextCustom + 1) % 16;
        Invalidate();
        return;
      case IDOK:
        FCC.rgbResult = FColor;
        if (FCC.lpCustColors) std::copy(FCustom, FCustom + 16, FCC.lpCustColors);
        End(IDOK);
        return;
      default: End(IDCANCEL); return;
    }
  }

  bool BodyMouseDown(const TPoint& p, bool dbl) override {
    for (int i = 0; i < 64; ++i)
      if (PtInRect(Cell(i), p)) {
        Select(i);
        if (dbl) Command(IDOK);
        return true;
      }
    if (FFull)
      for (int c = 0; c < 3; ++c) {
        TRect bar = Bar(c);
        bar.Top -= 2;
        bar.Bottom += 2;
        if (PtInRect(bar, p)) {
          int v = std::clamp((p.X - bar.Left) * 255 / std::max<Integer>(1, bar.Width() - 1), 0, 255);
          Byte r = GetRValue(FColor), g = GetGValue(FColor), b = GetBValue(FColor);
          (c == 0 ? r : c == 1 ? g : b) = Byte(v);
          FColor = RGB(r, g, b);
          FSelected = -1;
          return true;
        }
      }
    return false;
  }

  bool BodyKey(WPARAM vk) override {
    if (FSelected < 0 || FSelected >= 48) return false;
    int x = FSelected % 8, y = FSelected / 8;
    switch (vk) {
      case VK_LEFT: x = (x + 7) % 8; break;
      case VK_RIGHT: x = (x + 1) % 8; break;
      case VK_UP: y = (y + 5) % 6; break;
      case VK_DOWN: y = (y + 1) % 6; break;
      default: return false;
    }
    Select(y * 8 + x);
    return true;
  }

  void PaintBody(HDC dc, const TRect& client) override {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    Label(dc, u"&Basic colors:", kMargin, kBasicTop - 20);
    Label(dc, u"&Custom colors:", kMargin, kCustomTop - 20);
    for (int i = 0; i < 64; ++i) PaintCell(dc, i);
    // The colour the dialog will answer, beside the custom colours.
    TRect sw = Swatch();
    Box(dc, sw, FColor, RGB(0x80, 0x80, 0x80));
    if (!FFull) return;
    HPEN sep = CreatePen(PS_SOLID, 1, RGB(0xDD, 0xDD, 0xDD));
    HGDIOBJ op = SelectObject(dc, sep);
    MoveToEx(dc, kRightLeft - 10, kMargin, nullptr);
    LineTo(dc, kRightLeft - 10, client.Bottom - StripHeight - kMargin);
    SelectObject(dc, op);
    DeleteObject(sep);
    const char16_t* names[3] = {u"&Red:", u"&Green:", u"Bl&ue:"};
    for (int c = 0; c < 3; ++c) {
      TRect bar = Bar(c);
      Label(dc, names[c], kRightLeft, bar.Top);
      PaintBar(dc, c, bar);
      String value = IntToStr(int(c == 0 ? GetRValue(FColor) : c == 1 ? GetGValue(FColor) : GetBValue(FColor)));
      RECT vr{bar.Right + 8, bar.Top - 2, kRightLeft + kRightW, bar.Bottom + 2};
      DrawTextW(dc, value.c_str(), int(value.size()), &vr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    Label(dc, u"Color|Solid", kRightLeft, kBasicTop + 3 * 34 + 4);
    Box(dc, TRect(kRightLeft, kBasicTop + 3 * 34 + 24, kRightLeft + kRightW, kBasicTop + 3 * 34 + 84), FColor,
        RGB(0x80, 0x80, 0x80));
  }

 private:
  TSize Layout() {
    Integer w = FFull ? kRightLeft + kRightW + kMargin : kMargin * 2 + kLeftW;
    Integer h = kLeftBottom + StripHeight;
    PlaceButtons(w, h);
    // OK and Cancel go to the strip; the other two live in the body.
    Buttons.resize(4);
    Integer bw = 88, gap = 8, y = Buttons[0].Rect.Top, bh = Buttons[0].Rect.Height();
    Buttons[1].Rect = TRect(w - 12 - bw, y, w - 12, y + bh);
    Buttons[0].Rect = TRect(w - 12 - 2 * bw - gap, y, w - 12 - bw - gap, y + bh);
    Integer dy = kCustomTop + 2 * kStepY + 8;
    Buttons[2].Rect = TRect(kMargin + 58, dy, kMargin + kLeftW, dy + 26);
    Buttons[3].Rect = FFull ? TRect(kRightLeft, dy, kRightLeft + kRightW, dy + 26) : TRect();
    return TSize(w, h);
  }
  TRect Swatch() const {
    Integer dy = kCustomTop + 2 * kStepY + 8;
    return TRect(kMargin, dy, kMargin + 50, dy + 26);
  }
  TRect Cell(int i) const {
    Integer top = i < 48 ? kBasicTop : kCustomTop;
    int k = i < 48 ? i : i - 48;
    Integer x = kMargin + (k % 8) * kStepX, y = top + (k / 8) * kStepY;
    return TRect(x, y, x + kCellW, y + kCellH);
  }
  TRect Bar(int c) const {
    Integer y = kBasicTop + c * 34;
    return TRect(kRightLeft + 48, y + 2, kRightLeft + 48 + kBarW, y + 16);
  }
  COLORREF CellColor(int i) const { return i < 48 ? kBasic[i] : FCustom[i - 48]; }
  void Select(int i) {
    FSelected = i;
    FColor = CellColor(i);
  }
  static void Box(HDC dc, const TRect& r, COLORREF fill, COLORREF line) {
    HBRUSH br = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, line);
    HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
    Rectangle(dc, r.Left, r.Top, r.Right, r.Bottom);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(br);
    DeleteObject(pen);
  }
  static void Label(HDC dc, const String& text, Integer x, Integer y) {
    RECT r{x, y, x + 200, y + 18};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_LEFT);
  }
  void PaintCell(HDC dc, int i) {
    TRect r = Cell(i);
    Box(dc, r, CellColor(i), RGB(0x80, 0x80, 0x80));
    if (i != FSelected) return;
    // The chosen cell: a black frame around it and a white one inside.
    TRect o(r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3);
    HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HPEN black = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
    HGDIOBJ op = SelectObject(dc, black);
    Rectangle(dc, o.Left, o.Top, o.Right, o.Bottom);
    SelectObject(dc, op);
    DeleteObject(black);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(0xFF, 0xFF, 0xFF));
    op = SelectObject(dc, white);
    Rectangle(dc, r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(white);
  }
  void PaintBar(HDC dc, int c, const TRect& bar) {
    Byte r = GetRValue(FColor), g = GetGValue(FColor), b = GetBValue(FColor);
    for (Integer x = bar.Left; x < bar.Right; ++x) {
      Byte v = Byte((x - bar.Left) * 255 / std::max<Integer>(1, bar.Width() - 1));
      COLORREF col = c == 0 ? RGB(v, g, b) : c == 1 ? RGB(r, v, b) : RGB(r, g, v);
      HBRUSH br = CreateSolidBrush(col);
      RECT line{x, bar.Top, x + 1, bar.Bottom};
      FillRect(dc, &line, br);
      DeleteObject(br);
    }
    // The current value's marker under the bar.
    Byte cur = c == 0 ? r : c == 1 ? g : b;
    Integer mx = bar.Left + cur * (bar.Width() - 1) / 255;
    POINT tri[3] = {{mx, bar.Bottom + 1}, {mx + 4, bar.Bottom + 6}, {mx - 4, bar.Bottom + 6}};
    HBRUSH ink = CreateSolidBrush(RGB(0x33, 0x33, 0x33));
    HGDIOBJ ob = SelectObject(dc, ink);
    HGDIOBJ op = SelectObject(dc, GetStockObject(NULL_PEN));
    Polygon(dc, tri, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(ink);
  }

  CHOOSECOLORW& FCC;
  COLORREF FColor = 0;
  COLORREF FCustom[16];
  int FSelected = -1;
  int FNextCustom = 0;
  bool FFull = false;
};

}  // namespace

bool ChooseColorW(CHOOSECOLORW* cc) {
  if (!cc || cc->lStructSize != sizeof(CHOOSECOLORW) || (cc->hwndOwner && !IsWindow(cc->hwndOwner))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  TColorDialogCall call;
  call.Owner = cc->hwndOwner;
  call.Color = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : RGB(0, 0, 0);
  call.Flags = cc->Flags;
  TColorDialogResponder responder;
  {
    std::lock_guard<std::mutex> lk(gColorLock);
    responder = gColorResponder;
  }
  ColorDialog dlg(cc->hwndOwner, *cc);
  int result = dlg.Run(cc->hwndOwner, [&] {
    if (!responder || !responder(call)) return false;
    if (call.Ok) cc->rgbResult = call.Result;
    dlg.End(call.Ok ? IDOK : IDCANCEL);
    return true;
  });
  call.Ok = result == IDOK;
  call.Result = call.Ok ? cc->rgbResult : call.Color;
  std::lock_guard<std::mutex> lk(gColorLock);
  gColorCalls.push_back(call);
  return call.Ok;
}

TColorDialogResponder SetColorDialogResponder(TColorDialogResponder responder) {
  std::lock_guard<std::mutex> lk(gColorLock);
  TColorDialogResponder old = std::move(gColorResponder);
  gColorResponder = std::move(responder);
  return old;
}

const COLORREF* ColorDialogBasicColors() { return kBasic; }

std::vector<TColorDialogCall> ColorDialogCalls() {
  std::lock_guard<std::mutex> lk(gColorLock);
  return gColorCalls;
}

void ClearDialogCalls() {
  dialogkit::ClearMessageBoxCalls();
  ClearFileDialogCalls();
  std::lock_guard<std::mutex> lk(gColorLock);
  gColorCalls.clear();
}

}  // namespace vcl
