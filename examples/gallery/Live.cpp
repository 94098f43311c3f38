// The gallery on a real display (--live): a launcher form lists the pages;
// a page chosen there builds its windows as it does for its pictures and then
// stays live (Hold) until its windows are closed. Pages that only draw
// pictures show them in a viewer window.
#include <cstdio>
#include <map>
#include <memory>

#include "examples/gallery/Gallery.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/Display.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

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

// Runs the loop while any of the windows shows.
void RunWhileShown(const std::vector<HWND>& windows) {
  for (HWND h : windows) {
    if (Subclassed().count(h)) continue;
    Subclassed()[h] = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HideOnClose));
  }
  auto anyShown = [&] {
    for (HWND h : windows)
      if (IsWindow(h) && IsWindowVisible(h)) return true;
    return false;
  };
  while (anyShown() && !Application->Terminated()) Application->HandleMessage();
  for (HWND h : windows) {
    auto it = Subclassed().find(h);
    if (it == Subclassed().end()) continue;
    if (IsWindow(h)) SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second));
    Subclassed().erase(it);
  }
}

// A window showing pictures a page wrote, one beside the other.
struct TViewer {
  std::vector<std::unique_ptr<qn::TBitmap32>> Pictures;
};

LRESULT ViewerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    auto* v = reinterpret_cast<TViewer*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    HBRUSH b = CreateSolidBrush(RGB(236, 240, 244));
    FillRect(dc, &r, b);
    DeleteObject(b);
    Integer x = 8;
    if (v)
      for (auto& p : v->Pictures) {
        p->DrawTo(dc, x, 8);
        x += p->Width() + 8;
      }
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void ShowPictures(const char* page, const std::vector<std::string>& paths) {
  TViewer v;
  Integer w = 8, hgt = 0;
  for (auto& p : paths) {
    if (p.size() < 4 || p.substr(p.size() - 4) != ".png") continue;
    auto b = std::make_unique<qn::TBitmap32>();
    try {
      qn::LoadPNGintoBitmap32(b.get(), FromUtf8(p));
    } catch (...) {
      continue;
    }
    w += b->Width() + 8;
    hgt = std::max(hgt, b->Height());
    v.Pictures.push_back(std::move(b));
    if (w > 1400) break;
  }
  if (v.Pictures.empty()) return;
  static bool registered = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = ViewerProc;
    wc.lpszClassName = u"QnGalleryViewer";
    RegisterClassExW(&wc);
    return true;
  }();
  (void)registered;
  RECT wr(0, 0, w, hgt + 16);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND h = CreateWindowExW(0, u"QnGalleryViewer", FromUtf8(std::string(page)).c_str(), WS_OVERLAPPEDWINDOW,
                           300, 40, wr.Width(), wr.Height(), nullptr, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&v));
  ShowWindow(h, SW_SHOW);
  RunWhileShown({h});
  DestroyWindow(h);
}

}  // namespace

bool Live() { return gLive; }

void Hold() {
  if (!gLive) return;
  gHeld = true;
  RunWhileShown(PageWindows());
}

int RunLive(const std::string& outDir) {
  gLive = true;
  // Asked for a display: a clear message when none opens.
  if (!std::getenv("QN_DISPLAY")) setenv("QN_DISPLAY", "x11", 1);
  try {
    if (ChooseDisplay() != TDisplayKind::X11) {
      std::fprintf(stderr, "gallery --live needs a display: QN_DISPLAY says headless\n");
      return 1;
    }
  } catch (Exception& e) {
    std::fprintf(stderr, "gallery --live: %s\n", ToUtf8(e.Message()).c_str());
    return 1;
  }
  auto* launcher = new TForm(Application);
  launcher->SetPosition(poDesigned);
  launcher->SetCaption(u"Quarn gallery");
  const auto pages = AllPages();
  const Integer cols = 3, bw = 132, bh = 26, gap = 6;
  const Integer rows = Integer((pages.size() + cols - 1) / cols);
  launcher->SetClientWidth(cols * (bw + gap) + gap);
  launcher->SetClientHeight(rows * (bh + gap) + gap);
  launcher->SetBounds(16, 16, launcher->Width(), launcher->Height());
  bool busy = false;
  for (size_t i = 0; i < pages.size(); ++i) {
    auto* b = new TButton(launcher);
    b->SetParent(launcher);
    b->SetCaption(FromUtf8(pages[i].Name));
    b->SetBounds(gap + Integer(i % cols) * (bw + gap), gap + Integer(i / cols) * (bh + gap), bw, bh);
    const Page page = pages[i];
    b->SetOnClick([page, outDir, &busy](TObject*) {
      // One page at a time: its windows are live until closed.
      if (busy) return;
      busy = true;
      gHeld = false;
      try {
        auto paths = page.Run(outDir);
        CaptionPictures(page, paths);
        if (!gHeld && !Application->Terminated()) ShowPictures(page.Name, paths);
      } catch (Exception& e) {
        std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, ToUtf8(e.Message()).c_str());
      } catch (std::exception& e) {
        std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, e.what());
      }
      busy = false;
    });
  }
  launcher->SetOnClose([](TObject*, TCloseAction&) { Application->Terminate(); });
  launcher->Show();
  gLauncher = launcher->Handle();
  while (!Application->Terminated()) Application->HandleMessage();
  delete launcher;
  return DisplayError().empty() ? 0 : 1;
}

}  // namespace gallery
