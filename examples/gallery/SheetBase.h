// The pieces every GDI-drawn sheet starts from: a light page, a form for
// the controls it shows, and the two text styles of its headings and
// captions.
#pragma once

#include <memory>

#include "platform/desktop/Desktop.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Themes.h"

namespace gallery {

// A page of Width x Height in the sheets' background colour, its canvas in
// the sheets' font. Drawing runs on the virtual clock, and theme handles
// opened before the theme library last changed are dropped.
inline std::unique_ptr<vcl::TBitmap> NewSheetBitmap(int Width, int Height) {
  using namespace vcl;
  SetVirtualClock(true);
  ThemeServices()->ApplyThemeChange();
  auto sheet = std::make_unique<TBitmap>();
  sheet->SetPixelFormat(TPixelFormat::pf32bit);
  sheet->SetSize(Width, Height);
  TCanvas* c = sheet->Canvas();
  c->Brush()->SetColor(TColor(RGB(243, 244, 246)));
  c->FillRect(TRect(0, 0, Width, Height));
  c->Font()->SetName(u"DejaVu Sans");
  c->Font()->SetSize(9);
  return sheet;
}

// A form in the page's colour for the controls a sheet captures.
inline std::unique_ptr<vcl::TForm> NewSheetForm(int Width, int Height) {
  using namespace vcl;
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetPosition(poDesigned);
  form->SetBounds(0, 0, Width, Height);
  // The sheet's controls are laid out in client coordinates up to Width, so
  // the client, not the window with its frame, must be that wide.
  form->SetClientWidth(Width);
  form->SetClientHeight(Height);
  form->SetColor(TColor(RGB(243, 244, 246)));
  return form;
}

inline void SheetHeading(vcl::TCanvas* c, int x, int y, const vcl::String& s) {
  c->Brush()->SetStyle(vcl::TBrushStyle::bsClear);
  c->Font()->SetStyle(vcl::TFontStyles{vcl::TFontStyle::fsBold});
  c->Font()->SetColor(vcl::TColor(vcl::RGB(40, 48, 60)));
  c->TextOut(x, y, s);
  c->Font()->SetStyle(vcl::TFontStyles());
  c->Brush()->SetStyle(vcl::TBrushStyle::bsSolid);
}

inline void SheetLabel(vcl::TCanvas* c, int x, int y, const vcl::String& s) {
  c->Brush()->SetStyle(vcl::TBrushStyle::bsClear);
  c->Font()->SetColor(vcl::TColor(vcl::RGB(90, 98, 110)));
  c->TextOut(x, y, s);
  c->Brush()->SetStyle(vcl::TBrushStyle::bsSolid);
}

}  // namespace gallery
