// The in-process shell photographed at work: two icons in the taskbar's
// notification area with one icon's tip, a balloon above the other, and a
// shell drag of three files resting over a window that accepts files, its
// "SysDragImage" picture beside the pointer. shell.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/shell/ShellAPI.h"
#include "platform/vcl/ExtCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

TPanel* Box(TWinControl* parent, const TRect& r, const String& caption, TColor color) {
  auto* p = new TPanel(parent);
  p->SetParent(parent);
  p->SetBoundsRect(r);
  p->SetCaption(caption);
  p->SetColor(color);
  p->SetBevelOuter(bvLowered);
  return p;
}

// A 16 x 16 icon: a disc in the colour with a white dot in its middle.
HICON DiscIcon(COLORREF c) {
  std::vector<uint32_t> px(16 * 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      int dx = 2 * x - 15, dy = 2 * y - 15, d = dx * dx + dy * dy;
      if (d <= 15 * 15)
        px[size_t(y * 16 + x)] = d <= 4 * 4 ? 0xFFFFFFFFu
                                            : 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  ICONINFO ii;
  ii.hbmColor = CreateBitmap(16, 16, 1, 32, px.data());
  ii.hbmMask = CreateBitmap(16, 16, 1, 1, nullptr);
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  return icon;
}

struct TInbox {
  TPanel* Panel = nullptr;
  UINT Files = 0;
};

// The inbox takes the files the shell posts it and says how many came.
LRESULT InboxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  if (msg != WM_DROPFILES) return DefSubclassProc(h, msg, wp, lp);
  auto* inbox = reinterpret_cast<TInbox*>(data);
  auto drop = reinterpret_cast<HDROP>(wp);
  inbox->Files = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  DragFinish(drop);
  inbox->Panel->SetCaption(u"Three files received");
  return 0;
}

template <size_t N>
void Copy(char16_t (&to)[N], const String& from) {
  size_t n = std::min(from.size(), N - 1);
  std::copy_n(from.begin(), n, to);
  to[n] = 0;
}

}  // namespace

std::vector<std::string> ShellPage(const std::string& outDir) {
  SetScreenSize(640, 400);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  ResetInput();
  OleInitialize(nullptr);
  const std::string path = outDir + "/shell.png";

  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSingle);
  form->SetCaption(u"Files");
  form->SetBounds(20, 20, 600, 300);
  form->SetColor(clBtnFace);
  auto* files = Box(form.get(), TRect(16, 16, 216, 236), u"report.pdf, chart.png, notes.txt", TColor(RGB(204, 226, 250)));
  TInbox inbox;
  inbox.Panel = Box(form.get(), TRect(240, 16, 576, 236), u"Inbox: drop files here", TColor(RGB(232, 238, 246)));
  form->Show();
  Application->ProcessMessages();
  HWND inboxWnd = inbox.Panel->Handle();
  DragAcceptFiles(inboxWnd, true);
  SetWindowSubclass(inboxWnd, InboxProc, 1, reinterpret_cast<DWORD_PTR>(&inbox));

  // Two icons, each with a tip, photographed with the form out of the way.
  form->Hide();
  Application->ProcessMessages();
  HICON red = DiscIcon(RGB(210, 60, 50)), blue = DiscIcon(RGB(40, 110, 210));
  HWND owner = form->Handle();
  auto record = [&](UINT id) {
    NOTIFYICONDATAW d;
    d.hWnd = owner;
    d.uID = id;
    d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    d.uCallbackMessage = WM_APP + 1;
    d.hIcon = id == 1 ? red : blue;
    Copy(d.szTip, id == 1 ? String(u"Backup: idle") : String(u"Sync: 3 files waiting"));
    d.uVersion = NOTIFYICON_VERSION;
    return d;
  };
  bool trayOk = true;
  for (UINT id : {1u, 2u}) {
    NOTIFYICONDATAW d = record(id);
    trayOk = Shell_NotifyIconW(NIM_ADD, &d) && Shell_NotifyIconW(NIM_SETVERSION, &d) && trayOk;
  }
  NOTIFYICONIDENTIFIER ni;
  ni.hWnd = owner;
  ni.uID = 2;
  RECT cell;
  Shell_NotifyIconGetRect(&ni, &cell);
  InputMouseMove((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  Application->ProcessMessages();
  UINT hover = 400;
  SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hover, 0);
  // Live, the clock is real and the hover time passes in earnest.
  if (IsVirtualClock()) AdvanceClock(hover + 10);
  else Sleep(hover + 10);
  Application->ProcessMessages();
  const bool tipShown = ShellTooltipWindow() && IsWindowVisible(ShellTooltipWindow());
  const TScreenImage tipShot = CaptureScreen();

  // The pointer leaves; a balloon comes up above the red icon.
  InputMouseMove(300, 200);
  Application->ProcessMessages();
  NOTIFYICONDATAW info = record(1);
  info.uFlags = NIF_INFO;
  Copy(info.szInfoTitle, u"Backup finished");
  Copy(info.szInfo, u"3 files copied to D:\\Backup.");
  info.uTimeout = 10000;
  info.dwInfoFlags = NIIF_INFO;
  trayOk = Shell_NotifyIconW(NIM_MODIFY, &info) && trayOk;
  Application->ProcessMessages();
  const bool balloonShown = ShellBalloonWindow() != nullptr;
  const TScreenImage balloonShot = CaptureScreen();
  Copy(info.szInfo, u"");
  Shell_NotifyIconW(NIM_MODIFY, &info);

  // A shell drag of three files, photographed while it rests over the inbox.
  form->Show();
  Application->ProcessMessages();
  TScreenImage dragShot;
  TPoint dragPoint;
  HWND camera = AllocateHWnd([&](TMessage& m) {
    if (m.Msg == WM_TIMER && ShellDragImageWindow() && dragShot.Pixels.empty()) {
      dragShot = CaptureScreen();
      POINT p;
      GetCursorPos(&p);
      dragPoint = TPoint(p.X, p.Y);
    }
  });
  TPoint from(120, 160), to(440, 170);
  InputMouseMove(from.X, from.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  for (int step = 1; step <= 5; ++step)
    InputMouseMove(from.X + (to.X - from.X) * step / 5, from.Y + (to.Y - from.Y) * step / 5);
  InputPause(400);
  InputMouseUp(VK_LBUTTON);
  SetTimer(camera, 1, 250, nullptr);
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = ShellDragFiles({u"C:\\Reports\\report.pdf", u"C:\\Reports\\chart.png", u"C:\\Reports\\notes.txt"},
                              DROPEFFECT_COPY, &effect);
  KillTimer(camera, 1);
  DeallocateHWnd(camera);
  Application->ProcessMessages();
  if (!dragShot.Pixels.empty()) DrawCursor(dragShot, OleDragCursor(DROPEFFECT_COPY), dragPoint);

  // The sheet: the two tray pictures side by side, the drag below.
  const int gap = 40, cropW = 290, cropH = 140, top = 24;
  const int width = gap * 2 + 600, dragTop = top + cropH + 64, height = dragTop + 300 + 64;
  auto sheet = NewSheetBitmap(width, height);
  TCanvas* c = sheet->Canvas();
  const TRect trayPart(640 - cropW, 400 - cropH, 640, 400);
  BlitImage(c->Handle(), CropImage(tipShot, trayPart), gap, top);
  BlitImage(c->Handle(), CropImage(balloonShot, trayPart), gap + cropW + 20, top);
  BlitImage(c->Handle(), CropImage(dragShot, TRect(20, 20, 620, 320)), gap, dragTop);
  SheetHeading(c, gap, top + cropH + 10, u"Tip");
  SheetLabel(c, gap, top + cropH + 28, u"Two icons on the taskbar; the blue one's tip");
  SheetHeading(c, gap + cropW + 20, top + cropH + 10, u"Balloon");
  SheetLabel(c, gap + cropW + 20, top + cropH + 28, u"Title, info icon and text above the red icon");
  SheetHeading(c, gap, dragTop + 300 + 10, u"Shell file drag");
  SheetLabel(c, gap, dragTop + 300 + 28,
             u"Three files over a window that accepts files: the \"SysDragImage\" picture with their count.");
  SavePng(BitmapImage(c->Handle(), sheet->Handle(), width, height), path);

  const int filesByScript = inbox.Files;
  if (Live()) {
    // Live, the person drags the three files from the left onto the inbox.
    files->SetOnMouseDown([&](TObject*, TMouseButton Button, TShiftState, Integer, Integer) {
      if (Button != TMouseButton::mbLeft) return;
      DWORD done = DROPEFFECT_NONE;
      ShellDragFiles({u"C:\\Reports\\report.pdf", u"C:\\Reports\\chart.png", u"C:\\Reports\\notes.txt"},
                     DROPEFFECT_COPY, &done);
    });
    Hold();
  }
  RemoveWindowSubclass(inboxWnd, InboxProc, 1);
  RestartShell();
  DestroyIcon(red);
  DestroyIcon(blue);
  form.reset();
  Application->ProcessMessages();
  OleUninitialize();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (!trayOk || !tipShown || !balloonShown || dragShot.Pixels.empty() || hr != DRAGDROP_S_DROP ||
      effect != DROPEFFECT_COPY || filesByScript != 3)
    throw Exception(u"the shell page did not come together");
  return {path};
}

}  // namespace gallery
