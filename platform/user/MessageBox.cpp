#include <algorithm>
#include <mutex>

#include "platform/user/CommonDialogs.h"
#include "platform/user/DialogKit.h"

namespace vcl {

namespace {

std::mutex gBoxLock;
TMessageBoxResponder gBoxResponder;
std::vector<TMessageBoxCall> gBoxCalls;

using dialogkit::Button;

class MessageBoxDialog : public dialogkit::Dialog {
 public:
  MessageBoxDialog(HWND owner, const String& text, const String& caption, UINT type) : FText(text), FType(type) {
    switch (type & MB_TYPEMASK) {
      case MB_OKCANCEL: Add({{u"OK", IDOK}, {u"Cancel", IDCANCEL}}); break;
      case MB_ABORTRETRYIGNORE: Add({{u"&Abort", IDABORT}, {u"&Retry", IDRETRY}, {u"&Ignore", IDIGNORE}}); break;
      case MB_YESNOCANCEL: Add({{u"&Yes", IDYES}, {u"&No", IDNO}, {u"Cancel", IDCANCEL}}); break;
      case MB_YESNO: Add({{u"&Yes", IDYES}, {u"&No", IDNO}}); break;
      case MB_RETRYCANCEL: Add({{u"&Retry", IDRETRY}, {u"Cancel", IDCANCEL}}); break;
      case MB_CANCELTRYCONTINUE: Add({{u"Cancel", IDCANCEL}, {u"&Try Again", IDTRYAGAIN}, {u"&Continue", IDCONTINUE}}); break;
      default: Add({{u"OK", IDOK}}); break;
    }
    if (type & MB_HELP) Buttons.push_back(Button{TRect(), u"Help", IDHELP, true});
    int def = int((type & MB_DEFMASK) >> 8);
    Default = Focus = def < int(Buttons.size()) ? def : 0;
    FIcon = int(type & MB_ICONMASK);
    Font = dialogkit::MakeMessageFont();

    // Layout: icon and text in the white body, buttons in the strip.
    constexpr Integer margin = 24, iconSize = 32, iconGap = 14, maxText = 420;
    HDC dc = GetDC(nullptr);
    HGDIOBJ of = SelectObject(dc, Font);
    TSize t = dialogkit::TextSize(dc, FText.empty() ? String(u" ") : FText, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS,
                                  maxText);
    SelectObject(dc, of);
    ReleaseDC(nullptr, dc);
    Integer textLeft = margin + (FIcon ? iconSize + iconGap : 0);
    Integer bodyH = std::max<Integer>(FIcon ? iconSize : 0, t.cy) + 2 * margin;
    Integer buttonsW = Integer(Buttons.size()) * 88 + (Integer(Buttons.size()) - 1) * 8 + 2 * 12;
    Integer w = std::max({textLeft + t.cx + margin, buttonsW, Integer(200)});
    Integer h = bodyH + StripHeight;
    Integer textTop = margin + (FIcon && t.cy < iconSize ? (iconSize - t.cy) / 2 : 0);
    FTextRect = TRect(textLeft, textTop, textLeft + t.cx, textTop + t.cy);
    FIconRect = TRect(margin, margin, margin + iconSize, margin + iconSize);
    PlaceButtons(w, h);
    // Without a way to cancel there is no close box (Yes/No, Abort/Retry/Ignore).
    Create(owner, caption, TSize(w, h), EscapeResult() != 0, (type & (MB_TOPMOST | MB_SYSTEMMODAL)) != 0);
  }

  int DefaultResult() const override {
    if (Has(IDCANCEL)) return IDCANCEL;
    if (Has(IDNO)) return IDNO;
    // Abort stands for "stop" where there is no cancel.
    if (Has(IDABORT)) return IDABORT;
    return IDOK;
  }
  int EscapeResult() const override {
    if (Has(IDCANCEL)) return IDCANCEL;
    if ((FType & MB_TYPEMASK) == MB_OK) return IDOK;
    return 0;
  }
  void Command(int id) override {
    // Help asks the owner and leaves the box open.
    if (id == IDHELP) return;
    End(id);
  }

  void PaintBody(HDC dc, const TRect&) override {
    if (FIcon) PaintIcon(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT r = FTextRect;
    DrawTextW(dc, FText.c_str(), int(FText.size()), &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }

 private:
  struct B {
    const char16_t* Text;
    int Id;
  };
  void Add(std::initializer_list<B> list) {
    for (auto& b : list) Buttons.push_back(Button{TRect(), b.Text, b.Id, true});
  }
  bool Has(int id) const {
    return std::any_of(Buttons.begin(), Buttons.end(), [id](const Button& b) { return b.Id == id; });
  }

  // The four icons, drawn: a red disc with a cross (stop), a blue disc with
  // "?" or "i", an amber triangle with "!".
  void PaintIcon(HDC dc) {
    const TRect& r = FIconRect;
    COLORREF fill;
    const char16_t* glyph;
    switch (FIcon) {
      case MB_ICONHAND: fill = RGB(0xE8, 0x11, 0x23); glyph = nullptr; break;
      case MB_ICONQUESTION: fill = RGB(0x00, 0x63, 0xB1); glyph = u"?"; break;
      case MB_ICONEXCLAMATION: fill = RGB(0xFF, 0xB9, 0x00); glyph = u"!"; break;
      default: fill = RGB(0x00, 0x63, 0xB1); glyph = u"i"; break;
    }
    HBRUSH br = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, fill);
    HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
    if (FIcon == MB_ICONEXCLAMATION) {
      POINT tri[3] = {{r.Left + 16, r.Top + 1}, {r.Right - 1, r.Bottom - 3}, {r.Left, r.Bottom - 3}};
      Polygon(dc, tri, 3);
    } else {
      Ellipse(dc, r.Left, r.Top, r.Right, r.Bottom);
    }
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(br);
    DeleteObject(pen);
    COLORREF ink = FIcon == MB_ICONEXCLAMATION ? RGB(0x1F, 0x1F, 0x1F) : RGB(0xFF, 0xFF, 0xFF);
    if (!glyph) {
      HPEN cross = CreatePen(PS_SOLID, 3, ink);
      op = SelectObject(dc, cross);
      MoveToEx(dc, r.Left + 11, r.Top + 11, nullptr);
      LineTo(dc, r.Right - 11, r.Bottom - 11);
      MoveToEx(dc, r.Right - 12, r.Top + 11, nullptr);
      LineTo(dc, r.Left + 10, r.Bottom - 11);
      SelectObject(dc, op);
      DeleteObject(cross);
      return;
    }
    HFONT big = dialogkit::MakeMessageFont(-22, 700);
    HGDIOBJ of = SelectObject(dc, big);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    RECT tr = r;
    if (FIcon == MB_ICONEXCLAMATION) tr.Top += 5;
    DrawTextW(dc, glyph, 1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, of);
    DeleteObject(big);
  }

  String FText;
  UINT FType;
  int FIcon = 0;
  TRect FTextRect, FIconRect;
};

}  // namespace

int MessageBoxW(HWND owner, const Char* text, const Char* caption, UINT type) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  TMessageBoxCall call;
  call.Owner = owner;
  call.Text = text ? text : u"";
  call.Caption = caption ? caption : u"Error";
  call.Flags = type;
  TMessageBoxResponder responder;
  {
    std::lock_guard<std::mutex> lk(gBoxLock);
    responder = gBoxResponder;
  }
  MessageBoxDialog dlg(owner, call.Text, call.Caption, type);
  int result = dlg.Run(owner, [&] {
    if (!responder) return false;
    int answer = responder(call);
    if (answer == 0) return false;
    dlg.End(answer);
    return true;
  });
  call.Result = result;
  std::lock_guard<std::mutex> lk(gBoxLock);
  gBoxCalls.push_back(call);
  return result;
}

TMessageBoxResponder SetMessageBoxResponder(TMessageBoxResponder responder) {
  std::lock_guard<std::mutex> lk(gBoxLock);
  TMessageBoxResponder old = std::move(gBoxResponder);
  gBoxResponder = std::move(responder);
  return old;
}

std::vector<TMessageBoxCall> MessageBoxCalls() {
  std::lock_guard<std::mutex> lk(gBoxLock);
  return gBoxCalls;
}

namespace dialogkit {
// Shared with the colour dialog's record.
void ClearMessageBoxCalls() {
  std::lock_guard<std::mutex> lk(gBoxLock);
  gBoxCalls.clear();
}
}  // namespace dialogkit

}  // namespace vcl
