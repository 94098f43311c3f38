// A program built against the installed package: a form with a button and a
// paint box. Clicking the button (through the input driver, as a person
// would) turns the box's picture from blue to green. The program checks the
// form's pixels for that and exits 0 when the click reached the picture.
//   consumer [picture.png]   also writes the form's picture there
#include <cstdio>
#include <string>

#include "graphics/raster/Pix32_Image_qn.h"
#include "package/Quarn.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

using namespace vcl;

namespace {

constexpr uint32_t Blue = 0xFF2E548C;
constexpr uint32_t Green = 0xFF2E8C54;

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// The colour at the middle of a control, read from the composed screen.
uint32_t ScreenColourAt(TControl* c) {
  const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
  return CaptureScreen().Pixel(p.X, p.Y);
}

int Run(const char* pictureFile) {
  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetCaption(u"Consumer");
  form->SetBounds(40, 40, 320, 240);

  int clicks = 0;
  auto* box = new qn::TPaintBox32(form);
  box->SetParent(form);
  box->SetBounds(12, 12, 200, 120);
  box->SetOnPaintBuffer([&](TObject*) {
    qn::TBitmap32* b = box->Buffer();
    b->Clear(clicks == 0 ? Blue : Green);
    b->FillRectS(10, 10, 40, 40, qn::Color32(255, 255, 255));
  });

  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetCaption(u"Turn green");
  button->SetBounds(12, 148, 120, 28);
  button->SetOnClick([&](TObject*) {
    ++clicks;
    box->Invalidate();
  });

  form->Show();
  Pump();
  const uint32_t before = ScreenColourAt(box);

  const TPoint at = button->ClientToScreen(TPoint(button->Width() / 2, button->Height() / 2));
  InputMouseMove(at.X, at.Y);
  InputMouseDown(VK_LBUTTON);
  InputMouseUp(VK_LBUTTON);
  Pump();
  const uint32_t after = ScreenColourAt(box);

  if (pictureFile) SaveWindowSnapshot(form->Handle(), pictureFile);
  delete form;

  if (before != Blue || after != Green || clicks != 1) {
    std::fprintf(stderr, "consumer: box %08X before the click, %08X after, %d click(s)\n", before, after, clicks);
    return 1;
  }
  std::printf("consumer: %s, the click turned the box green\n", qn::BuildInfo().c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qn::Initialize();
  int rc = 1;
  try {
    rc = Run(argc > 1 ? argv[1] : nullptr);
  } catch (const Exception& e) {
    std::fprintf(stderr, "consumer: %s\n", e.what());
  }
  qn::Finalize();
  return rc;
}
