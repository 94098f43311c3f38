// Gallery page "processor": what the raster layer found on this machine, the
// processor's features and, for every function binding, the implementation
// bound to it, as a table in columns; printed too.
#include <algorithm>
#include <cstdio>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "graphics/raster/Pix32_Bindings_qn.h"
#include "platform/rtl/SysUtils.h"

namespace gallery {

namespace {

struct TBindingRow {
  bool Registry = false;  // a registry's name heading its bindings
  std::string Name, Bound;
  int Id = 0;
};

}  // namespace

std::vector<std::string> ProcessorPage(const std::string& outDir) {
  using namespace qn;
  using namespace vcl;
  std::string features;
  for (TCPUInstructionSet s : CPUFeatures()) {
    if (!features.empty()) features += ' ';
    features += CPUInstructionSetName(s);
  }
  if (features.empty()) features = "(none)";
  std::printf("processor: %u logical processors; features: %s\n", GetProcessorCount(), features.c_str());
  std::vector<TBindingRow> rows;
  if (const auto* list = RegistryList()) {
    for (TFunctionRegistry* r : *list) {
      std::printf("%s:\n", ToUtf8(r->Name()).c_str());
      rows.push_back({true, ToUtf8(r->Name()), "", 0});
      for (Integer b = 0; b < r->BindingCount(); ++b) {
        PFunctionInfo info = r->BoundInfo(b);
        const std::string bound = info ? (*info->Name ? info->Name : "(unnamed)") : "(none)";
        std::printf("  %2d %-16s %s\n", r->Bindings(b)->FunctionID, r->Bindings(b)->Name, bound.c_str());
        rows.push_back({false, r->Bindings(b)->Name, bound, int(r->Bindings(b)->FunctionID)});
      }
    }
  }

  // Three columns of about the same length; a registry's heading never ends
  // a column on its own.
  constexpr int kRowH = 20, kTop = 64, kColW = 360, kLeft = 24;
  const size_t perColumn = std::max<size_t>(12, (rows.size() + 2) / 3 + 1);
  std::vector<std::vector<const TBindingRow*>> columns(1);
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool lonelyHeading = rows[i].Registry && columns.back().size() + 1 >= perColumn;
    if (columns.back().size() >= perColumn || lonelyHeading) columns.emplace_back();
    columns.back().push_back(&rows[i]);
  }
  const int width = std::max(760, kLeft * 2 + int(columns.size()) * kColW);
  const int longest = int(std::max_element(columns.begin(), columns.end(), [](const auto& a, const auto& b) {
                            return a.size() < b.size();
                          })->size());
  const int height = kTop + std::max(1, longest) * kRowH + 24;
  auto sheet = NewSheetBitmap(width, height);
  TCanvas* c = sheet->Canvas();
  // The gallery's caption band heads the page; the sheet starts with the facts.
  c->Font()->SetSize(9);
  SheetLabel(c, kLeft, 16,
             FromUtf8(std::to_string(GetProcessorCount()) + " logical processors; instruction sets: " + features));
  SheetLabel(c, kLeft, 34, u"Each raster function is bound to the fastest implementation these instruction sets allow.");
  if (rows.empty()) SheetLabel(c, kLeft, kTop, u"No function registry is loaded.");
  for (size_t col = 0; col < columns.size(); ++col) {
    const int x = kLeft + int(col) * kColW;
    for (size_t i = 0; i < columns[col].size(); ++i) {
      const TBindingRow& r = *columns[col][i];
      const int y = kTop + int(i) * kRowH;
      if (r.Registry) {
        c->Brush()->SetColor(TColor(RGB(226, 231, 238)));
        c->FillRect(TRect(x, y, x + kColW - 16, y + kRowH - 2));
        SheetHeading(c, x + 6, y + 2, FromUtf8(r.Name));
        continue;
      }
      if (i % 2) {
        c->Brush()->SetColor(TColor(RGB(250, 250, 251)));
        c->FillRect(TRect(x, y, x + kColW - 16, y + kRowH));
      }
      SheetLabel(c, x + 6, y + 3, IntToStr(r.Id));
      SheetLabel(c, x + 34, y + 3, FromUtf8(r.Name));
      c->Font()->SetColor(TColor(RGB(31, 95, 168)));
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      c->TextOut(x + 226, y + 3, FromUtf8(r.Bound));
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
    }
  }
  const std::string path = outDir + "/processor.png";
  SavePng(BitmapImage(c->Handle(), sheet->Handle(), width, height), path);
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
