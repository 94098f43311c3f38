// The OLE drag loop, photographed while a drag rests over a drop target:
// the source offers a copy or a move, the target takes the copy and lights
// up, and the loop shows the standard copy cursor at the pointer (drawn into
// the picture, since the screen image has no pointer). ole-drag.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetImage.h"
#include "platform/desktop/Desktop.h"
#include "platform/gdi/GdiIcon.h"
#include "platform/ole/ActiveX.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

namespace gallery {

namespace {

using namespace vcl;

const TColor kIdle = TColor(RGB(232, 238, 246));
const TColor kLit = TColor(RGB(186, 230, 186));

TPanel* Text(TWinControl* parent, const TRect& r, const String& caption, bool bold = false, TColor color = clWindowText) {
  auto* p = new TPanel(parent);
  p->SetParent(parent);
  p->SetBoundsRect(r);
  p->SetBevelOuter(bvNone);
  p->SetAlignment(taLeftJustify);
  p->SetCaption(caption);
  p->SetParentColor(true);
  p->Font()->SetColor(color);
  if (bold) {
    p->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    p->Font()->SetSize(11);
  }
  return p;
}

TPanel* Box(TWinControl* parent, const TRect& r, const String& caption, TColor color) {
  auto* p = new TPanel(parent);
  p->SetParent(parent);
  p->SetBoundsRect(r);
  p->SetCaption(caption);
  p->SetColor(color);
  p->SetBevelOuter(bvLowered);
  return p;
}

// The target: lights up while a drag that it can copy is over it; takes a
// screen picture once the pointer has rested a while.
class TPanelTarget : public TInterfacedObject, public virtual IDropTarget {
  QN_CLASS(TPanelTarget, TInterfacedObject)
  QN_INTERFACES(IDropTarget)
 public:
  explicit TPanelTarget(TPanel* panel) : FPanel(panel) {}
  TScreenImage Picture;
  POINTL PicturePoint;
  int Overs = 0;

  HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    FPanel->SetColor(kLit);
    FPanel->SetCaption(u"Release to copy here");
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragOver(DWORD, POINTL pt, DWORD* effect) override {
    // The repeats while the pointer rests come after the highlight painted.
    if (++Overs == 4) {
      Picture = CaptureScreen();
      PicturePoint = pt;
    }
    *effect &= DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DragLeave() override {
    FPanel->SetColor(kIdle);
    FPanel->SetCaption(u"Drop here");
    return S_OK;
  }
  HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    FPanel->SetColor(kIdle);
    FPanel->SetCaption(u"Order 1042 copied");
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }

 private:
  TPanel* FPanel;
};

class TPageSource : public TInterfacedObject, public virtual IDropSource {
  QN_CLASS(TPageSource, TInterfacedObject)
  QN_INTERFACES(IDropSource)
 public:
  HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

std::vector<std::string> OleDragPage(const std::string& outDir) {
  SetScreenSize(640, 360);
  SetDesktopColor(RGB(58, 96, 136));
  SetVirtualClock(true);
  OleInitialize(nullptr);
  std::string path = outDir + "/ole-drag.png";

  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsSingle);
  form->SetCaption(u"OLE drag and drop");
  form->SetBounds(20, 20, 600, 320);
  form->SetColor(clBtnFace);
  Text(form.get(), TRect(16, 8, 580, 30), u"A drag resting over a drop target", true);
  Text(form.get(), TRect(16, 30, 580, 50),
       u"The source offers a copy or a move; the target takes the copy and lights up.");
  Text(form.get(), TRect(16, 64, 180, 84), u"Drag source");
  Text(form.get(), TRect(208, 64, 380, 84), u"Drop target (takes copies)");
  Text(form.get(), TRect(420, 64, 580, 84), u"Not a drop target");
  TPanel* source = Box(form.get(), TRect(16, 88, 180, 240), u"Order 1042", TColor(RGB(204, 226, 250)));
  TPanel* target = Box(form.get(), TRect(208, 88, 392, 240), u"Drop here", kIdle);
  Box(form.get(), TRect(420, 88, 580, 240), u"Archive (locked)", TColor(RGB(232, 226, 226)))->Font()->SetColor(clGrayText);
  Text(form.get(), TRect(16, 252, 580, 272),
       u"Pointer: the loop's copy cursor, an arrow with a plus (DROPEFFECT_COPY).");
  Text(form.get(), TRect(16, 272, 580, 292), u"Highlight: the target's colour from DragEnter until DragLeave or Drop.", false,
       clWindowText);
  form->Show();
  Application->ProcessMessages();

  TIntf<TPanelTarget> dropTarget(new TPanelTarget(target));
  RegisterDragDrop(target->Handle(), dropTarget.get());
  TIntf<TPageSource> dropSource(new TPageSource);
  void* p = nullptr;
  SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p);
  TIntf<IDataObject> data;
  data.Attach(static_cast<IDataObject*>(p));

  TPoint from = source->ClientToScreen(TPoint(80, 70));
  TPoint to = target->ClientToScreen(TPoint(120, 100));
  InputMouseMove(from.X, from.Y);
  InputMouseDown(VK_LBUTTON);
  Application->ProcessMessages();
  for (int step = 1; step <= 5; ++step)
    InputMouseMove(from.X + (to.X - from.X) * step / 5, from.Y + (to.Y - from.Y) * step / 5);
  InputPause(400);
  InputMouseUp(VK_LBUTTON);
  DWORD effect = DROPEFFECT_NONE;
  HRESULT hr = DoDragDrop(data.get(), dropSource.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  bool lit = false;
  if (!dropTarget->Picture.Pixels.empty()) {
    TPoint probe = target->ClientToScreen(TPoint(20, 20));
    uint32_t c = dropTarget->Picture.Pixel(probe.X, probe.Y) & 0xFFFFFF;
    lit = c == ((uint32_t(GetRValue(COLORREF(kLit))) << 16) | (uint32_t(GetGValue(COLORREF(kLit))) << 8) |
                uint32_t(GetBValue(COLORREF(kLit))));
    DrawCursor(dropTarget->Picture, OleDragCursor(DROPEFFECT_COPY), TPoint(dropTarget->PicturePoint.x, dropTarget->PicturePoint.y));
    SavePng(dropTarget->Picture, path);
  }
  if (Live()) {
    // Live, the person drags the order from the source onto the target.
    source->SetOnMouseDown([&](TObject*, TMouseButton Button, TShiftState, Integer, Integer) {
      if (Button != TMouseButton::mbLeft) return;
      DWORD done = DROPEFFECT_NONE;
      DoDragDrop(data.get(), dropSource.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &done);
    });
    Hold();
  }
  RevokeDragDrop(target->Handle());
  form.reset();
  OleUninitialize();
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (hr != DRAGDROP_S_DROP || effect != DROPEFFECT_COPY || !lit)
    throw Exception(u"the OLE drag page did not come together");
  return {path};
}

}  // namespace gallery
