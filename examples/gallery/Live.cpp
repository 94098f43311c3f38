// The gallery on a real display (--live): the launcher lists the pages; a
// page chosen there builds its windows as it does for its pictures and then
// stays live (Hold) until its windows are closed. Pages that only draw
// pictures show them in a skinned viewer.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/Launcher.h"
#include "examples/gallery/SheetImage.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/PngImage.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/forms/uQuarnForm.h"

namespace gallery {

using namespace vcl;

namespace {

bool gLive = false;
bool gHeld = false;
std::map<HWND, WNDPROC>& Subclassed() {
  static std::map<HWND, WNDPROC> m;
  return m;
}
HWND gLauncher = nullptr;
bool gWaiting = false;
// The page OpenPage runs, whose title names the windows it holds.
const Page* gPage = nullptr;

// Closing a page's window hides it: the page frees its windows itself once
// it is no longer held.
LRESULT HideOnClose(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = Subclassed().find(h);
  WNDPROC old = it == Subclassed().end() ? DefWindowProcW : it->second;
  if (msg == WM_CLOSE) {
    ShowWindow(h, SW_HIDE);
    return 0;
  }
  return CallWindowProcW(old, h, msg, wp, lp);
}

std::vector<HWND> PageWindows() {
  std::vector<HWND> v;
  EnumWindows(
      [](HWND h, LPARAM p) {
        if (IsWindowVisible(h) && h != gLauncher && (GetWindowLongW(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
          reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return true;
      },
      reinterpret_cast<LPARAM>(&v));
  return v;
}

// The top-level windows on the screen, and those that were there before the
// page opened (OpenPage): the page's own are the others.
std::vector<HWND> ShownTopLevelWindows() {
  std::vector<HWND> v;
  EnumWindows(
      [](HWND h, LPARAM p) {
        if (IsWindowVisible(h) && h != gLauncher) reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return true;
      },
      reinterpret_cast<LPARAM>(&v));
  return v;
}
std::set<HWND> gBefore;

// The shown one of the windows nearest the top.
HWND FrontWindow(const std::vector<HWND>& windows) {
  std::pair<const std::vector<HWND>*, HWND> ctx{&windows, nullptr};
  EnumWindows(
      [](HWND h, LPARAM p) {
        auto* c = reinterpret_cast<std::pair<const std::vector<HWND>*, HWND>*>(p);
        if (!IsWindowVisible(h) || std::find(c->first->begin(), c->first->end(), h) == c->first->end()) return true;
        c->second = h;
        return false;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.second;
}

// Runs the loop while any of the windows shows.
void RunWhileShown(const std::vector<HWND>& windows) {
  for (HWND h : windows) {
    if (Subclassed().count(h)) continue;
    Subclassed()[h] = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HideOnClose));
  }
  gWaiting = true;
  auto anyShown = [&] {
    for (HWND h : windows)
      if (IsWindow(h) && IsWindowVisible(h)) return true;
    return false;
  };
  HWND closing = nullptr;
  while (anyShown() && !Application->Terminated()) {
    // Once a window Esc closed is gone, the page's next window has the keys
    // (not a pop-up that happens to be next on the screen).
    if (closing && !IsWindowVisible(closing)) {
      closing = nullptr;
      if (HWND front = FrontWindow(windows)) SetForegroundWindow(front);
    }
    // Esc closes the page window it was pressed in, whichever control has
    // the focus there.
    MSG m;
    if (PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && m.wParam == VK_ESCAPE) {
      HWND root = m.hwnd ? GetAncestor(m.hwnd, GA_ROOT) : nullptr;
      // Pressed while the launcher still has the keys, it closes the page's
      // front window all the same.
      if (!root || root == gLauncher) root = FrontWindow(windows);
      if (root && std::find(windows.begin(), windows.end(), root) != windows.end()) {
        PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
        PostMessageW(root, WM_CLOSE, 0, 0);
        closing = root;
        continue;
      }
    }
    Application->HandleMessage();
  }
  gWaiting = false;
  for (HWND h : windows) {
    auto it = Subclassed().find(h);
    if (it == Subclassed().end()) continue;
    if (IsWindow(h)) SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second));
    Subclassed().erase(it);
  }
}

// The pictures a page wrote, one at a time, scaled to fit the viewer's
// client and named under it; a click or Right shows the next, Left the one
// before.
class TPictureView : public TCustomControl {
 public:
  TPictureView(TComponent* AOwner, const Page& page) : TCustomControl(AOwner), FPage(page) { SetTabStop(true); }
  std::vector<TScreenImage> Pictures;
  std::vector<std::string> Names;
  size_t Current = 0;

 protected:
  void Paint() override {
    const Integer w = ClientWidth(), h = ClientHeight();
    if (w <= 0 || h <= 0) return;
    TBitmap sheet;
    sheet.SetPixelFormat(TPixelFormat::pf32bit);
    sheet.SetSize(w, h);
    TCanvas* c = sheet.Canvas();
    c->Brush()->SetColor(TColor(RGB(243, 244, 246)));
    c->FillRect(TRect(0, 0, w, h));
    const Integer band = 30;
    if (!Pictures.empty()) {
      const TScreenImage& p = Pictures[Current];
      const double scale = std::min({double(w - 24) / p.Width, double(h - band - 24) / p.Height, 1.0});
      const Integer pw = std::max<Integer>(1, Integer(p.Width * scale)), ph = std::max<Integer>(1, Integer(p.Height * scale));
      const Integer x = (w - pw) / 2, y = 12 + (h - band - 24 - ph) / 2;
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof bi.bmiHeader;
      bi.bmiHeader.biWidth = p.Width;
      bi.bmiHeader.biHeight = -p.Height;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      SetStretchBltMode(c->Handle(), HALFTONE);
      StretchDIBits(c->Handle(), x, y, pw, ph, 0, 0, p.Width, p.Height, p.Pixels.data(), &bi, DIB_RGB_COLORS,
                    SRCCOPY);
    }
    c->Brush()->SetColor(TColor(RGB(251, 251, 252)));
    c->FillRect(TRect(0, h - band, w, h));
    c->Brush()->SetColor(TColor(RGB(208, 213, 220)));
    c->FillRect(TRect(0, h - band, w, h - band + 1));
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetName(u"DejaVu Sans");
    c->Font()->SetSize(8);
    c->Font()->SetColor(TColor(RGB(72, 80, 92)));
    std::string name = FPage.Title ? FPage.Title : FPage.Name;
    if (!Names.empty()) name += "  \u00b7  " + Names[Current];
    if (Pictures.size() > 1)
      name += "  \u00b7  picture " + std::to_string(Current + 1) + " of " + std::to_string(Pictures.size()) +
              " (click or Right for the next)";
    const String text = FromUtf8(name);
    // Every page with controls stays live; the viewer shows the pages that
    // only draw, and says so, lest the person look for something to click.
    const String note = u"A picture only: this page draws, it has no controls to try";
    const Integer noteWidth = c->TextWidth(note);
    RECT n{w - 12 - noteWidth, h - band, w - 12, h};
    DrawText(c->Handle(), note.c_str(), int(note.size()), &n, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT r{12, h - band, w - 24 - noteWidth, h};
    DrawText(c->Handle(), text.c_str(), int(text.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    BitBlt(Canvas()->Handle(), 0, 0, w, h, c->Handle(), 0, 0, SRCCOPY);
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    SetFocus();
    if (Button == TMouseButton::mbLeft) Step(1);
  }
  void KeyDown(Word& Key, TShiftState Shift) override {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_RIGHT || Key == VK_SPACE) Step(1);
    else if (Key == VK_LEFT) Step(-1);
  }

 private:
  void Step(int by) {
    if (Pictures.size() < 2) return;
    Current = (Current + Pictures.size() + size_t(by + int(Pictures.size()))) % Pictures.size();
    Invalidate();
  }
  Page FPage;
};

TScreenImage LoadPicture(const std::string& path) {
  TPngImage png;
  png.LoadFromFile(FromUtf8(path));
  TBitmap sheet;
  sheet.SetPixelFormat(TPixelFormat::pf32bit);
  sheet.SetSize(png.Width(), png.Height());
  sheet.Canvas()->Brush()->SetColor(TColor(RGB(243, 244, 246)));
  sheet.Canvas()->FillRect(TRect(0, 0, png.Width(), png.Height()));
  sheet.Canvas()->Draw(0, 0, &png);
  return BitmapImage(sheet.Canvas()->Handle(), sheet.Handle(), png.Width(), png.Height());
}

void ShowPictures(const Page& page, const std::vector<std::string>& paths) {
  const String title = FromUtf8(page.Title ? page.Title : page.Name);
  auto form = NewSkinnedForm(TRect(120, 60, 120 + 860, 60 + 640), title);
  if (gLauncher && IsWindow(gLauncher)) {
    RECT home;
    GetWindowRect(gLauncher, &home);
    form->SetLeft((home.Left + home.Right - form->Width()) / 2);
    form->SetTop(std::max<Integer>(0, (home.Top + home.Bottom - form->Height()) / 2));
  }
  auto* view = new TPictureView(form.get(), page);
  view->SetParent(form.get());
  view->SetAlign(TAlign::alClient);
  for (const std::string& p : paths) {
    if (p.size() < 4 || p.compare(p.size() - 4, 4, ".png") != 0) continue;
    try {
      view->Pictures.push_back(LoadPicture(p));
      view->Names.push_back(std::filesystem::path(p).filename().string());
    } catch (...) {
      // A picture that does not read back is left out of the viewer.
    }
  }
  if (view->Pictures.empty()) return;
  form->Show();
  view->SetFocus();
  RunWhileShown({form->Handle()});
}

}  // namespace

bool Live() { return gLive; }

namespace {

// A page that shows its skinned controls in a bare host window gets a
// skinned frame while it is live: the window moves into a skinned form as
// its client, and back out before the page frees it.
struct TDressed {
  HWND Window = nullptr;
  LONG Style = 0;
  RECT Bounds{};
  std::unique_ptr<TForm> Frame;
};

std::unique_ptr<TDressed> Dress(HWND h) {
  auto d = std::make_unique<TDressed>();
  d->Window = h;
  d->Style = GetWindowLongW(h, GWL_STYLE);
  GetWindowRect(h, &d->Bounds);
  RECT client;
  GetClientRect(h, &client);
  char16_t caption[256] = {};
  GetWindowTextW(h, caption, 256);
  d->Frame = NewSkinnedForm(TRect(d->Bounds.Left, d->Bounds.Top, d->Bounds.Right, d->Bounds.Bottom), String(caption));
  d->Frame->SetClientWidth(client.Right - client.Left);
  d->Frame->SetClientHeight(client.Bottom - client.Top);
  SetWindowLongW(h, GWL_STYLE, LONG((DWORD(d->Style) & ~DWORD(WS_CAPTION | WS_THICKFRAME | WS_POPUP)) | WS_CHILD));
  SetParent(h, d->Frame->Handle());
  SetWindowPos(h, nullptr, 0, 0, client.Right - client.Left, client.Bottom - client.Top,
               SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  d->Frame->Show();
  return d;
}

void Undress(TDressed& d) {
  if (IsWindow(d.Window)) {
    ShowWindow(d.Window, SW_HIDE);
    SetParent(d.Window, nullptr);
    SetWindowLongW(d.Window, GWL_STYLE, LONG(DWORD(d.Style) & ~DWORD(WS_VISIBLE)));
    SetWindowPos(d.Window, nullptr, d.Bounds.Left, d.Bounds.Top, d.Bounds.Right - d.Bounds.Left,
                 d.Bounds.Bottom - d.Bounds.Top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  d.Frame.reset();
}

// A page opened from the launcher shows its windows centred over it, as they
// lie to each other, and inside the work area where they fit.
void CentreOverLauncher(const std::vector<HWND>& windows) {
  if (!gLauncher || !IsWindow(gLauncher) || windows.empty()) return;
  RECT all{}, home{}, work{};
  bool first = true;
  for (HWND h : windows) {
    RECT r;
    GetWindowRect(h, &r);
    if (first) all = r;
    all = RECT{std::min(all.Left, r.Left), std::min(all.Top, r.Top), std::max(all.Right, r.Right),
               std::max(all.Bottom, r.Bottom)};
    first = false;
  }
  GetWindowRect(gLauncher, &home);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const Integer w = all.Right - all.Left, h = all.Bottom - all.Top;
  Integer x = (home.Left + home.Right - w) / 2, y = (home.Top + home.Bottom - h) / 2;
  x = std::max<Integer>(work.Left, std::min<Integer>(x, work.Right - w));
  y = std::max<Integer>(work.Top, std::min<Integer>(y, work.Bottom - h));
  for (HWND win : windows) {
    RECT r;
    GetWindowRect(win, &r);
    SetWindowPos(win, nullptr, r.Left + x - all.Left, r.Top + y - all.Top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

bool HasSkin(TForm* form) {
  for (Integer i = 0; i < form->ComponentCount(); ++i)
    if (dynamic_cast<qn::TQuarnForm*>(form->Components(i))) return true;
  return false;
}

bool HoldsLibraryControls(TWinControl* parent) {
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (dynamic_cast<qn::TQuarnCustomControl*>(c)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && HoldsLibraryControls(w)) return true;
  }
  return false;
}

}  // namespace

void Hold() {
  if (!gLive) return;
  gHeld = true;
  std::vector<std::unique_ptr<TDressed>> dressed;
  std::vector<HWND> windows;
  // A form of library-drawn controls in the host's frame wears the skinned
  // frame while it is live; forms that show the host's own look keep it.
  // The skins laid on, with the form they are on: a page may free a form
  // while it is live (a drop-down that closes), and its skin with it.
  std::vector<std::pair<TForm*, std::vector<TComponent*>>> skins;
  std::vector<HWND> found = PageWindows();
  if (found.empty()) {
    // A page whose windows have no caption (shaped windows, a borderless
    // form): the top-level windows it made, a borderless form of library
    // controls given a frame with its title and close button.
    for (HWND h : ShownTopLevelWindows()) {
      if (gBefore.count(h)) continue;
      auto* form = dynamic_cast<TForm*>(FindControl(h));
      if (form && form->BorderStyle() == bsNone && HoldsLibraryControls(form)) {
        form->SetBorderStyle(bsSizeable);
        form->SetCaption(FromUtf8(gPage ? (gPage->Title ? gPage->Title : gPage->Name) : ""));
        h = form->Handle();
      }
      found.push_back(h);
    }
  }
  for (HWND h : found) {
    if (TWinControl* c = FindControl(h)) {
      auto* form = dynamic_cast<TForm*>(c);
      const bool framed = (GetWindowLongW(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
      if (form && framed && !HasSkin(form) && HoldsLibraryControls(form))
        skins.push_back({form, SkinForm(form, form->Caption())});
      windows.push_back(h);
      continue;
    }
    dressed.push_back(Dress(h));
    windows.push_back(dressed.back()->Frame->Handle());
  }
  CentreOverLauncher(windows);
  // The page's front window has the keys, not the launcher it was opened
  // from nor a pop-up the page made last.
  const HWND front = FrontWindow(windows);
  if (front && std::find(windows.begin(), windows.end(), GetForegroundWindow()) == windows.end())
    SetForegroundWindow(front);
  RunWhileShown(windows);
  for (auto& d : dressed) Undress(*d);
  for (auto& [form, made] : skins) {
    bool alive = false;
    for (Integer i = 0; i < Screen->FormCount() && !alive; ++i) alive = Screen->Forms(i) == form;
    if (alive)
      for (TComponent* c : made) delete c;
  }
}

namespace {

// A sheet's picture under its live controls: the headings and notes the
// sheet drew stay where they were, and the controls take input over the
// places they were drawn at.
class TSheetBackdrop : public TGraphicControl {
 public:
  TSheetBackdrop(TComponent* AOwner, const TScreenImage& Picture) : TGraphicControl(AOwner), FPicture(Picture) {}

 protected:
  void Paint() override { BlitImage(Canvas()->Handle(), FPicture, 0, 0); }

 private:
  TScreenImage FPicture;
};

}  // namespace

void HoldSheet(TForm* Form, const TScreenImage& Picture) {
  if (!gLive || !Form) return;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  auto* backdrop = new TSheetBackdrop(Form, Picture);
  backdrop->SetParent(Form);
  backdrop->SetBounds(0, 0, Picture.Width, Picture.Height);
  backdrop->SendToBack();
  const String caption = FromUtf8(gPage ? (gPage->Title ? gPage->Title : gPage->Name) : "");
  Form->SetBorderStyle(bsSizeable);
  Form->SetCaption(caption);
  std::vector<TComponent*> skin;
  if (!HasSkin(Form)) skin = SkinForm(Form, caption);
  Form->SetClientWidth(std::min<Integer>(Picture.Width, work.Right - work.Left - 16));
  Form->SetClientHeight(std::min<Integer>(Picture.Height, work.Bottom - work.Top - 40));
  Form->Show();
  Hold();
  for (TComponent* c : skin) delete c;
  delete backdrop;
}

void HoldModal(TForm* Form) {
  if (!gLive || !Form) return;
  gHeld = true;
  CentreOverLauncher({Form->Handle()});
  gWaiting = true;
  Form->ShowModal();
  gWaiting = false;
}

namespace {
bool gBusy = false;

// What a page may change for the whole program on its way (the screen, the
// desktop colour, the hint window class and the application's hint settings,
// the clock, the locale, the drag threshold), taken before it opens and put
// back once it is closed, so that the next page and the launcher start from
// the same screen.
class TGlobalState {
 public:
  TGlobalState() {
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR m, HDC, RECT*, LPARAM p) {
          MONITORINFO info{};
          info.cbSize = sizeof info;
          GetMonitorInfoW(m, &info);
          reinterpret_cast<std::vector<TMonitorConfig>*>(p)->push_back(
              {TRect(info.rcMonitor.Left, info.rcMonitor.Top, info.rcMonitor.Right, info.rcMonitor.Bottom),
               TRect(info.rcWork.Left, info.rcWork.Top, info.rcWork.Right, info.rcWork.Bottom),
               (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
          return true;
        },
        reinterpret_cast<LPARAM>(&FMonitors));
    FDesktop = GetDesktopColor();
    FHintClass = HintWindowClass;
    FShowHint = Application->ShowHint();
    FHintColor = Application->HintColor();
    FHintPause = Application->HintPause();
    FHintShortPause = Application->HintShortPause();
    FHintHidePause = Application->HintHidePause();
    FHintShortCuts = Application->HintShortCuts();
    FHintFont.Assign(Screen->HintFont());
    FCursor = Screen->Cursor();
    FVirtualClock = IsVirtualClock();
    FLocale = GetSystemDefaultLCID();
    FDragThreshold = Mouse ? Mouse->DragThreshold() : 0;
  }

  void Restore() {
    Application->CancelHint();
    // A hint window class the page installed goes with the windows made of it.
    Application->SetShowHint(false);
    HintWindowClass = FHintClass;
    Application->SetShowHint(FShowHint);
    Application->SetHintColor(FHintColor);
    Application->SetHintPause(FHintPause);
    Application->SetHintShortPause(FHintShortPause);
    Application->SetHintHidePause(FHintHidePause);
    Application->SetHintShortCuts(FHintShortCuts);
    Screen->SetHintFont(&FHintFont);
    Screen->SetCursor(FCursor);
    if (Mouse) Mouse->SetDragThreshold(FDragThreshold);
    if (GetSystemDefaultLCID() != FLocale) SetSystemLocale(FLocale);
    SetVirtualClock(FVirtualClock);
    ResetInput();
    if (!FMonitors.empty()) SetScreenConfiguration(FMonitors);
    SetDesktopColor(FDesktop);
  }

 private:
  std::vector<TMonitorConfig> FMonitors;
  COLORREF FDesktop = 0;
  TClass FHintClass = nullptr;
  bool FShowHint = true, FHintShortCuts = true, FVirtualClock = false;
  TColor FHintColor = clInfoBk;
  Integer FHintPause = 0, FHintShortPause = 0, FHintHidePause = 0, FDragThreshold = 0;
  TFont FHintFont;
  TCursor FCursor = crDefault;
  LCID FLocale = 0;
};

}  // namespace

bool PageOpen() { return gBusy; }
bool PageWaiting() { return gBusy && gWaiting; }
bool PageHeld() { return gBusy && gHeld; }

void OpenPage(const Page& page, const std::string& outDir) {
  // One page at a time: its windows are live until closed.
  bool& busy = gBusy;
  if (busy) return;
  busy = true;
  const bool wasLive = gLive;
  gLive = true;
  gHeld = false;
  gPage = &page;
  TGlobalState before;
  const std::vector<HWND> shown = ShownTopLevelWindows();
  gBefore = std::set<HWND>(shown.begin(), shown.end());
  try {
    auto paths = page.Run(outDir);
    CaptionPictures(page, paths);
    if (!gHeld && !Application->Terminated()) ShowPictures(page, paths);
  } catch (Exception& e) {
    std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, ToUtf8(e.Message()).c_str());
  } catch (std::exception& e) {
    std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, e.what());
  }
  before.Restore();
  gPage = nullptr;
  gLive = wasLive;
  busy = false;
}

void RunLauncher(TLauncher& Launcher, const std::string& outDir, const std::function<bool()>& Stop) {
  TForm* form = Launcher.Form();
  bool closed = false;
  Launcher.OnOpen = [&](const Page& page) {
    OpenPage(page, outDir);
    // Back to the launcher the page was opened from.
    if (IsWindow(form->Handle())) {
      SetForegroundWindow(form->Handle());
      form->SetFocus();
    }
  };
  form->SetOnClose([&closed](TObject*, TCloseAction& Action) {
    closed = true;
    Action = caHide;
  });
  form->Show();
  gLauncher = form->Handle();
  while (!closed && !Application->Terminated() && !(Stop && Stop())) Application->HandleMessage();
  gLauncher = nullptr;
  Launcher.OnOpen = nullptr;
}

int RunLive(const std::string& outDir) {
  // Asked for a display: a clear message when none opens.
  if (!std::getenv("QN_DISPLAY")) setenv("QN_DISPLAY", "x11", 1);
  if (std::string(std::getenv("QN_DISPLAY")) == "headless") {
    std::fprintf(stderr, "gallery --live needs a display: QN_DISPLAY says headless\n");
    return 1;
  }
  try {
    if (ChooseDisplay() != TDisplayKind::X11) {
      std::fprintf(stderr, "gallery --live needs a display: QN_DISPLAY says headless\n");
      return 1;
    }
  } catch (Exception& e) {
    std::fprintf(stderr, "gallery --live: %s\n", ToUtf8(e.Message()).c_str());
    return 1;
  }
  // The thumbnails come from the pages drawn headless, as the gallery draws
  // them, so the display waits until they are done.
  StopDisplay();
  std::printf("drawing the pages for the launcher's thumbnails...\n");
  const auto runs = RunPages(AllPages(), outDir);
  // Pages may leave a screen of their own size behind; the display shows
  // the usual one.
  ResetScreenConfiguration();
  SetVirtualClock(false);
  try {
    StartX11Display();
  } catch (Exception& e) {
    std::fprintf(stderr, "gallery --live: %s\n", ToUtf8(e.Message()).c_str());
    return 1;
  }
  {
    TLauncher launcher(runs);
    RunLauncher(launcher, outDir);
  }
  return DisplayError().empty() ? 0 : 1;
}

}  // namespace gallery
