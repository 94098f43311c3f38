// Form files naming the package's own components (every class of the
// palette is registered): any text read into a form. A read either raises
// one of the library's exceptions, leaving a form that still shows and
// frees, or gives a form that shows, paints, and writes a text which reads
// into a fresh form with the same components.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "design/uQnReg.h"
#include "package/Quarn.h"
#include "platform/classes/FormText.h"
#include "platform/gdi/FontEngine.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace vcl;

namespace {

// Forms much larger than the screen only make the paint slow.
constexpr Integer kMaxSide = 2000;

bool Plausible(TForm* Form) {
  return Form->Width() <= kMaxSide && Form->Height() <= kMaxSide && Form->Left() > -kMaxSide &&
         Form->Top() > -kMaxSide && Form->Left() < kMaxSide && Form->Top() < kMaxSide;
}

void ShowAndPaint(TForm* Form) {
  if (!Plausible(Form)) return;
  Form->Show();
  Application->ProcessMessages();
  TBitmap target;
  target.SetPixelFormat(TPixelFormat::pf32bit);
  target.SetSize(64, 64);
  Form->PaintTo(target.Canvas(), 0, 0);
  Form->Hide();
  Application->ProcessMessages();
}

// The "object Name: TClass" lines of a form text, in order. Values may
// settle on a second read (anchored controls follow a skinned frame that
// changes the client area after them), the components may not.
std::string Objects(const std::string& Text) {
  std::string r;
  size_t at = 0;
  while ((at = Text.find("object ", at)) != std::string::npos) {
    const size_t end = Text.find('\n', at);
    r += Text.substr(at, end - at) + "\n";
    at = end;
  }
  return r;
}

std::unique_ptr<TForm> Read(const std::string& Text) {
  auto form = std::make_unique<TForm>(nullptr);
  try {
    TextToComponent(Text, form.get());
  } catch (const Exception&) {
    // What was read so far stays: the form must still show and free.
    ShowAndPaint(form.get());
    return nullptr;
  }
  return form;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialized = [] {
    qn::Initialize();
    // Box glyphs keep runs fast and independent of the installed fonts.
    SetGlyphProvider(BoxGlyphProvider());
    // The palette's registration puts every class it lists in reach of
    // the reader.
    qn::Register();
    return true;
  }();
  (void)initialized;
  fuzz::PixelCap(Int64(1) << 20);
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<TForm> form = Read(text);
  if (!form) return 0;
  ShowAndPaint(form.get());
  // Once written, a form reads back to what it wrote.
  const std::string written = ComponentToText(form.get());
  form.reset();
  std::unique_ptr<TForm> again = Read(written);
  if (!again || Objects(ComponentToText(again.get())) != Objects(written)) std::abort();
  return 0;
}
