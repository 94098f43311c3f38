// A two-page document printed on the recording printer: three fonts, rules,
// a page-number footer and, on the second page, a form's picture copied by
// StretchDIBits. Both pages are shown side by side at one fifth, as
// printing.png.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SheetBase.h"
#include "examples/gallery/SheetImage.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Printers.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

namespace gallery {

namespace {

using namespace vcl;

constexpr int kShrink = 5;  // printer pixels per sheet pixel

// Copies a bitmap to a printer canvas as a device-independent bitmap.
void PrintBitmap(TCanvas* canvas, const TRect& dest, TBitmap* bmp) {
  DWORD infoSize = 0, imageSize = 0;
  GetDIBSizes(bmp->Handle(), infoSize, imageSize);
  std::vector<Byte> info(infoSize), bits(imageSize);
  GetDIB(bmp->Handle(), bmp->Palette(), info.data(), bits.data());
  StretchDIBits(canvas->Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), 0, 0, bmp->Width(),
                bmp->Height(), bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
}

void UseFont(TCanvas* c, const String& face, int size, TFontStyles style = TFontStyles(),
             TColor color = TColor(RGB(20, 24, 32))) {
  c->Font()->SetName(face);
  c->Font()->SetSize(size);
  c->Font()->SetStyle(style);
  c->Font()->SetColor(color);
}

void Rule(TCanvas* c, int x0, int x1, int y, int width, TColor color) {
  c->Pen()->SetColor(color);
  c->Pen()->SetWidth(width);
  c->MoveTo(x0, y);
  c->LineTo(x1, y);
}

void Footer(TPrinter& p, int left, int right) {
  TCanvas* c = p.Canvas();
  int y = p.PageHeight() - 200;
  Rule(c, left, right, y, 3, TColor(RGB(150, 156, 166)));
  UseFont(c, u"Arial", 9, TFontStyles(), TColor(RGB(90, 98, 110)));
  String s = Format(u"Page %d of 2", {p.PageNumber()});
  c->TextOut((left + right - c->TextWidth(s)) / 2, y + 40, s);
}

// The small entry form whose picture the second page prints.
std::unique_ptr<TBitmap> FormPicture() {
  std::unique_ptr<TForm> form = NewSheetForm(292, 186);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"Entry");
  auto add = [&](TControl* ctl, int x, int y, int w, int h) {
    ctl->SetParent(form.get());
    ctl->SetBounds(x, y, w, h);
  };
  auto* head = new TPanel(form.get());
  head->SetCaption(u"Contact details");
  add(head, 10, 8, 264, 24);
  auto* e = new TEdit(form.get());
  e->SetText(u"Ada Lovelace");
  add(e, 10, 40, 264, 22);
  auto* memo = new TMemo(form.get());
  add(memo, 10, 68, 264, 44);
  memo->Lines()->Add(u"Analyst, London");
  memo->Lines()->Add(u"Sends the report monthly");
  auto* ok = new TButton(form.get());
  ok->SetCaption(u"OK");
  add(ok, 118, 120, 75, 25);
  auto* cancel = new TButton(form.get());
  cancel->SetCaption(u"Cancel");
  add(cancel, 199, 120, 75, 25);
  form->Show();
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  TScreenImage shot = CaptureWindow(form->Handle());
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(TPixelFormat::pf32bit);
  bmp->SetSize(shot.Width, shot.Height);
  for (int y = 0; y < shot.Height; ++y) {
    auto* row = static_cast<uint32_t*>(bmp->ScanLine(y));
    for (int x = 0; x < shot.Width; ++x) row[x] = shot.Pixel(x, y);
  }
  return bmp;
}

void PrintDocument(TPrinter& p) {
  std::unique_ptr<TBitmap> picture = FormPicture();
  p.SetTitle(u"Field report");
  p.BeginDoc();
  TCanvas* c = p.Canvas();
  const int left = 150, right = p.PageWidth() - 150;
  c->Brush()->SetStyle(TBrushStyle::bsClear);

  UseFont(c, u"Times New Roman", 30, TFontStyles{TFontStyle::fsBold}, TColor(RGB(24, 48, 96)));
  c->TextOut(left, 160, u"Field report");
  Rule(c, left, right, 330, 8, TColor(RGB(24, 48, 96)));
  UseFont(c, u"Arial", 12);
  const char16_t* body[] = {u"The survey covered the northern meadow and both banks of the stream.",
                            u"Water levels stayed within the seasonal range; two culverts need clearing.",
                            u"The table below lists the readings taken at each station."};
  int y = 400;
  for (const char16_t* line : body) {
    c->TextOut(left, y, line);
    y += c->TextHeight(line) + 24;
  }
  y += 40;
  Rule(c, left, right, y, 3, TColor(RGB(150, 156, 166)));
  y += 40;
  UseFont(c, u"Courier New", 10);
  const char16_t* table[] = {u"Station  Depth  Temp  Flow", u"N-1      0.42   11.8  slow", u"N-2      0.57   11.6  slow",
                             u"S-1      0.88   12.1  fast", u"S-2      0.73   12.0  fast"};
  for (const char16_t* line : table) {
    c->TextOut(left + 40, y, line);
    y += c->TextHeight(line) + 8;
  }
  y += 40;
  Rule(c, left, right, y, 3, TColor(RGB(150, 156, 166)));
  Footer(p, left, right);

  p.NewPage();
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  UseFont(c, u"Times New Roman", 22, TFontStyles{TFontStyle::fsBold}, TColor(RGB(24, 48, 96)));
  c->TextOut(left, 160, u"The entry form");
  Rule(c, left, right, 290, 8, TColor(RGB(24, 48, 96)));
  // At the printer's resolution the picture keeps its size on paper.
  const double scale = double(GetDeviceCaps(p.Handle(), LOGPIXELSX)) / 96.0;
  TRect dest = Bounds(left, 380, int(picture->Width() * scale), int(picture->Height() * scale));
  PrintBitmap(c, dest, picture.get());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Pen()->SetWidth(2);
  c->Pen()->SetColor(TColor(RGB(60, 66, 76)));
  c->Rectangle(dest.Left - 2, dest.Top - 2, dest.Right + 2, dest.Bottom + 2);
  UseFont(c, u"Arial", 10, TFontStyles{TFontStyle::fsItalic}, TColor(RGB(70, 78, 90)));
  c->TextOut(left, dest.Bottom + 40, u"The form as shown on screen, copied with StretchDIBits at 300 dpi.");
  Footer(p, left, right);
  p.EndDoc();
}

// One printed page at 1/kShrink on white paper, pixels averaged per block.
void DrawPage(TCanvas* sheet, const TPrintedPage& page, int paperW, int paperH, int margin, int x0, int y0) {
  const int w = page.Width / kShrink, h = page.Height / kShrink;
  TBitmap small;
  small.SetPixelFormat(TPixelFormat::pf32bit);
  small.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint32_t*>(small.ScanLine(y));
    for (int x = 0; x < w; ++x) {
      uint32_t r = 0, g = 0, b = 0;
      for (int dy = 0; dy < kShrink; ++dy)
        for (int dx = 0; dx < kShrink; ++dx) {
          uint32_t p = page.Pixel(x * kShrink + dx, y * kShrink + dy);
          r += p >> 16;
          g += (p >> 8) & 0xFF;
          b += p & 0xFF;
        }
      const uint32_t n = kShrink * kShrink;
      row[x] = 0xFF000000u | ((r / n) << 16) | ((g / n) << 8) | (b / n);
    }
  }
  // Shadow, paper, then the printable area at the margins.
  sheet->Brush()->SetStyle(TBrushStyle::bsSolid);
  sheet->Brush()->SetColor(TColor(RGB(200, 204, 212)));
  sheet->FillRect(TRect(x0 + 4, y0 + 4, x0 + paperW + 4, y0 + paperH + 4));
  sheet->Brush()->SetColor(clWhite);
  sheet->FillRect(TRect(x0, y0, x0 + paperW, y0 + paperH));
  sheet->Draw(x0 + margin, y0 + margin, &small);
  sheet->Brush()->SetColor(TColor(RGB(150, 156, 166)));
  sheet->FrameRect(TRect(x0, y0, x0 + paperW, y0 + paperH));
}

}  // namespace

std::vector<std::string> PrintingPage(const std::string& outDir) {
  ResetPrinters();
  ClearPrintedJobs();
  TPrinter printer;
  PrintDocument(printer);
  const TPrintedJob job = PrintedJobs().back();

  HDC ic = CreateICW(nullptr, nullptr, nullptr, nullptr);
  const int paperW = GetDeviceCaps(ic, PHYSICALWIDTH) / kShrink, paperH = GetDeviceCaps(ic, PHYSICALHEIGHT) / kShrink;
  const int margin = GetDeviceCaps(ic, PHYSICALOFFSETX) / kShrink;
  DeleteDC(ic);

  const int gap = 40, top = 32;
  const int width = gap * 3 + paperW * 2, height = top + paperH + 64;
  auto sheet = NewSheetBitmap(width, height);
  TCanvas* c = sheet->Canvas();
  for (size_t i = 0; i < job.Pages.size() && i < 2; ++i) {
    const int x = gap + int(i) * (paperW + gap);
    DrawPage(c, *job.Pages[i], paperW, paperH, margin, x, top);
  }
  SheetHeading(c, gap, top + paperH + 14, u"Page 1");
  SheetLabel(c, gap, top + paperH + 34, u"Three fonts (Times New Roman, Arial, Courier New), rules, page-number footer");
  SheetHeading(c, gap * 2 + paperW, top + paperH + 14, u"Page 2");
  SheetLabel(c, gap * 2 + paperW, top + paperH + 34, u"A form's picture by StretchDIBits, its frame, caption and footer");

  const std::string path = outDir + "/printing.png";
  SavePng(BitmapImage(c->Handle(), sheet->Handle(), width, height), path);
  ClearPrintedJobs();
  SetVirtualClock(false);
  return {path};
}

}  // namespace gallery
