// Gallery page "dropfiles": the screen caught in the middle of a shell drag
// of three files resting over a panel that a file drop target is bound to
// (its overlay in the hot colour, the shell's drag picture beside the
// pointer), with a small form docked at the top edge of the screen and
// hidden to its 2-pixel strip. Saved as dropfiles.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "platform/ole/ActiveX.h"
#include "platform/shell/ShellAPI.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/extended/uQnQQAlign.h"
#include "skin/extended/uQuarnDragFile.h"

namespace gallery {

namespace {

using namespace qn;

// Photographs the screen once the drag has rested over the target a while.
class TPhotographedDrop : public TQuarnDragFile {
 public:
  explicit TPhotographedDrop(TComponent* AOwner) : TQuarnDragFile(AOwner) {}
  TScreenImage Picture;
  POINTL PicturePoint{};
  Integer Overs = 0;
  HRESULT DragOver(DWORD Keys, POINTL Pt, DWORD* Effect) override {
    if (++Overs == 3) {
      Picture = CaptureScreen();
      PicturePoint = Pt;
    }
    return TQuarnDragFile::DragOver(Keys, Pt, Effect);
  }
};

TQuarnPanel* Panel(TWinControl* Parent, const TRect& R) {
  auto* p = new TQuarnPanel(Parent);
  p->SetParent(Parent);
  p->SetBoundsRect(R);
  p->SetAlpha(235);
  p->SetColor(TColor(RGB(250, 251, 253)));
  return p;
}

// Lays a cursor's opaque pixels over the picture with its hotspot at Pt.
void DrawCursor(TScreenImage& Image, HCURSOR Cursor, POINTL Pt) {
  ICONINFO ii;
  if (!GetIconInfo(Cursor, &ii)) return;
  std::vector<uint32_t> px(32 * 32);
  BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = 32;
  bmi.bmiHeader.biHeight = -32;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, ii.hbmColor, 0, 32, px.data(), &bmi, DIB_RGB_COLORS);
  DeleteDC(dc);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int sx = Pt.x - Integer(ii.xHotspot) + x, sy = Pt.y - Integer(ii.yHotspot) + y;
      const uint32_t c = px[size_t(y * 32 + x)];
      if ((c >> 24) == 0xFF && sx >= 0 && sy >= 0 && sx < Image.Width && sy < Image.Height)
        Image.Pixels[size_t(sy) * size_t(Image.Width) + size_t(sx)] = c;
    }
  DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
}

}  // namespace

std::vector<std::string> DropFilesPage(const std::string& outDir) {
  SetScreenSize(960, 640);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  OleInitialize(nullptr);
  const std::string path = outDir + "/dropfiles.png";

  auto form = NewSkinnedForm(TRect(40, 70, 920, 610), u"File drop target and edge docking");
  TForm* f = form.get();
  PageLabel(f, 24, 44, u"Drag source: three files", true);
  TQuarnPanel* source = Panel(f, TRect(24, 70, 264, 250));
  PageLabel(source, 16, 16, u"report.pdf");
  PageLabel(source, 16, 40, u"photo.png");
  PageLabel(source, 16, 64, u"notes.txt");
  PageLabel(source, 16, 150, u"The drag starts on these names");

  PageLabel(f, 300, 44, u"Drop target: a panel bound to TQuarnDragFile", true);
  TQuarnPanel* target = Panel(f, TRect(300, 70, 840, 330));
  target->SetColor(TColor(RGB(46, 52, 64)));
  auto* drop = new TPhotographedDrop(f);
  drop->SetBindingControl(target);

  PageLabel(f, 300, 344, u"Overlay: a layered window over the panel; the pointer passes through it");
  PageLabel(f, 300, 364, u"Dashed 4-pixel band: $0FC4F1 while a drag is elsewhere, $71CC2F over the panel");
  PageLabel(f, 300, 384, u"Tip: TipText in TipFont (20 pt bold), centred");
  PageLabel(f, 300, 404, u"By the pointer: the shell's drag picture (SysDragImage) with the file count");
  PageLabel(f, 24, 446, u"Edge docking (TQnQQAlign)", true);
  PageLabel(f, 24, 470, u"The form \"Notes\" was dragged against the top edge of the screen; with the pointer away "
                        u"it hides to a 2-pixel strip (marked at the top).");
  PageLabel(f, 24, 490, u"It comes back when the pointer returns over the strip.");
  LiftContent(f, 24);
  form->Show();
  PumpMessages();

  // The docked form: dragged by its caption against the top edge, then
  // left alone until it hides.
  auto notes = std::make_unique<TForm>(nullptr);
  notes->SetPosition(poDesigned);
  notes->SetBorderStyle(bsSingle);
  notes->SetCaption(u"Notes");
  notes->SetBounds(560, 120, 260, 160);
  notes->SetColor(TColor(RGB(255, 244, 200)));
  new TQnQQAlign(notes.get());
  notes->Show();
  PumpMessages();
  const TPoint grab(690, 128);
  InputMouseMove(grab.X, grab.Y);
  InputMouseDown(VK_LBUTTON);
  for (Integer i = 1; i <= 4; ++i) InputMouseMove(grab.X, grab.Y - 40 * i);
  InputMouseUp(VK_LBUTTON);
  PumpMessages();
  InputMouseMove(150, 300);
  PumpMessages();
  for (Integer ms = 0; ms < 40; ++ms) {
    // Live, the clock is real and the docking's delay passes in earnest.
    if (IsVirtualClock()) AdvanceClock(1);
    else Sleep(1);
    PumpMessages();
  }
  // A marker under the strip, in the page's label style.
  auto marker = std::make_unique<TForm>(nullptr);
  marker->SetPosition(poDesigned);
  marker->SetBorderStyle(bsNone);
  marker->SetColor(TColor(RGB(250, 251, 253)));
  marker->SetBounds(notes->Left(), 8, 300, 22);
  PageLabel(marker.get(), 6, 4, u"\u25B2 Docked form \"Notes\", hidden to its strip");
  marker->Show();
  PumpMessages();

  // The shell drag: pressed on the source, resting over the target.
  const TPoint from = source->ClientToScreen(TPoint(80, 45));
  const TPoint to = target->ClientToScreen(TPoint(150, 190));
  InputMouseMove(from.X, from.Y);
  InputMouseDown(VK_LBUTTON);
  PumpMessages();
  for (Integer step = 1; step <= 6; ++step)
    InputMouseMove(from.X + (to.X - from.X) * step / 6, from.Y + (to.Y - from.Y) * step / 6);
  InputPause(400);
  InputMouseUp(VK_LBUTTON);
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = ShellDragFiles({u"C:\\Users\\ann\\Downloads\\report.pdf", u"C:\\Users\\ann\\Downloads\\photo.png",
                                     u"C:\\Users\\ann\\Downloads\\notes.txt"},
                                    DROPEFFECT_COPY, &effect);
  const bool hidden = notes->Top() == 2 - notes->Height();
  bool hot = false;
  if (!drop->Picture.Pixels.empty()) {
    const TPoint band = target->ClientToScreen(TPoint(1, 1));
    hot = (drop->Picture.Pixel(band.X, band.Y) & 0xFFFFFFu) == 0x2FCC71u;
    DrawCursor(drop->Picture, OleDragCursor(DROPEFFECT_COPY), drop->PicturePoint);
    SavePng(drop->Picture, path);
  }
  Hold();
  marker.reset();
  notes.reset();
  form.reset();
  PumpMessages();
  OleUninitialize();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (hr != DRAGDROP_S_DROP || !hot || !hidden) throw Exception(u"the drop files page did not come together");
  return {path};
}

}  // namespace gallery
