// Gallery page "listview": the host's list view on a form. A report view of
// a small harbour's vessels across the top, with column captions, small
// images, grid lines and a row picked with the mouse; below it the same
// vessels as large icons, and with their tenders as a list running down
// columns, side by side.
// Saved as listview.png. A second picture, listview-skinned.png, shows the
// skinned list view: the same report with its flat header and the skin's
// own scroll bars beside and below it.
#include <cmath>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinSelection.h"
#include "examples/gallery/PlainControls.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/uQuarnListView.h"

namespace gallery {

namespace {

using namespace vcl;

// A hull seen from the side with a mast and a sail in one colour, soft at
// its edges: the vessel's image at any size.
std::unique_ptr<TBitmap> Vessel(int size, uint32_t rgb, bool sail) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(size, size);
  const double s = size / 16.0;
  // The sail is the hull's colour washed towards white.
  auto wash = [rgb](int shift) { return uint32_t((((rgb >> shift) & 0xFF) * 2 + 255 * 3) / 5) << shift; };
  const uint32_t sailColour = wash(16) | wash(8) | wash(0);
  auto inside = [&](double px, double py, uint32_t& colour) {
    px /= s;
    py /= s;
    // Hull: a trapezoid along the bottom.
    if (py > 10 && py < 14 && px > 1.5 + (py - 10) * 0.6 && px < 14.5 - (py - 10) * 0.9) {
      colour = rgb;
      return true;
    }
    if (px > 7.3 && px < 8.2 && py > 2 && py <= 10) {
      colour = 0x5A4A3A;
      return true;
    }
    if (sail && py > 3 && py < 9.5 && px > 8.4 && px < 8.4 + (py - 3) * 0.85) {
      colour = sailColour;
      return true;
    }
    if (!sail && px > 3.5 && px < 7.2 && py > 6.5 && py <= 10) {
      colour = 0xE9E2D0;
      return true;
    }
    return false;
  };
  for (int y = 0; y < size; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (int x = 0; x < size; ++x) {
      int hits = 0;
      uint32_t colour = 0, last = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
          if (inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4, colour)) {
            ++hits;
            last = colour;
          }
      uint32_t a = uint32_t(hits * 255 / 16);
      // Premultiplied by nothing: the image list takes straight alpha.
      row[x] = hits ? ((a << 24) | last) : 0;
    }
  }
  return b;
}

struct Boat {
  const char16_t* Name;
  const char16_t* Kind;
  const char16_t* Berth;
  const char16_t* Length;
  const char16_t* Skipper;
  uint32_t Colour;
  bool Sail;
};

const Boat kBoats[] = {
    {u"Kittiwake", u"Sloop", u"A4", u"9.2 m", u"M. Ferris", 0x2F6DB5, true},
    {u"Morning Star", u"Trawler", u"B1", u"14.8 m", u"J. Hale", 0xC0463A, false},
    {u"Selkie", u"Ketch", u"A7", u"11.5 m", u"R. Innes", 0x2E8B6F, true},
    {u"Grey Heron", u"Launch", u"C2", u"7.1 m", u"T. Quayle", 0x6C7A89, false},
    {u"Puffin", u"Dinghy", u"D9", u"4.3 m", u"S. Lowrie", 0xE0A030, true},
    {u"Boreas", u"Schooner", u"A1", u"18.0 m", u"K. Mowat", 0x7A4FA0, true},
    {u"Tern", u"Sloop", u"A5", u"8.6 m", u"E. Garth", 0x2F6DB5, true},
    {u"Harvester", u"Trawler", u"B3", u"16.2 m", u"D. Tulloch", 0xC0463A, false},
    {u"Curlew", u"Cutter", u"A9", u"10.4 m", u"F. Sinclair", 0x3F9FBF, true},
    {u"Skerry", u"Launch", u"C5", u"6.8 m", u"H. Rendall", 0x6C7A89, false},
    {u"Guillemot", u"Ketch", u"A2", u"12.3 m", u"A. Flett", 0x2E8B6F, true},
};

void Caption(TWinControl* parent, TComponent* owner, Integer x, Integer y, const String& text) {
  auto* c = MakePlain<TPlainCaption>(parent, owner, x, y, 300, 18);
  c->SetCaption(text);
  c->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
}

// The dinghies and tenders that fill the list's second column.
const char16_t* const kTenders[] = {u"Fulmar", u"Gannet", u"Eider", u"Merlin", u"Osprey",
                                    u"Plover", u"Razorbill", u"Sanderling", u"Whimbrel", u"Dunlin"};

void Fill(TCustomListView* v, bool details, bool tenders = false) {
  v->Items()->BeginUpdate();
  for (size_t i = 0; i < std::size(kBoats); ++i) {
    const Boat& b = kBoats[i];
    TListItem* it = v->Items()->Add();
    it->SetCaption(b.Name);
    it->SetImageIndex(Integer(i));
    if (details)
      for (auto s : {b.Kind, b.Berth, b.Length, b.Skipper}) it->SubItems()->Add(s);
  }
  if (tenders)
    for (size_t i = 0; i < std::size(kTenders); ++i) {
      TListItem* it = v->Items()->Add();
      it->SetCaption(kTenders[i]);
      it->SetImageIndex(Integer((i * 4) % std::size(kBoats)));
      if (details)
        for (const String& t : {String(u"Tender"), u"T" + IntToStr(Integer(i) + 1),
                                FloatToStrF(2.6 + 0.3 * double(i % 4), TFloatFormat::ffFixed, 4, 1) + u" m", String(u"Harbour trust")})
          it->SubItems()->Add(t);
    }
  v->Items()->EndUpdate();
}

struct Col {
  const char16_t* Caption;
  Integer Width;
  TAlignment Align;
};

}  // namespace

std::vector<std::string> ListViewPage(const std::string& outDir) {
  SetScreenSize(1000, 700);
  SetVirtualClock(true);
  std::string path = outDir + "/listview.png";
  NotePicture(path, "the host's list view in report, icon and list views");

  auto* form = new TForm(Application);
  form->SetPosition(poDesigned);
  form->SetBorderStyle(bsDialog);
  form->SetCaption(u"List views");
  form->SetBounds(30, 30, 100, 100);
  form->SetClientWidth(760);
  form->SetClientHeight(560);

  auto small = std::make_unique<TImageList>(nullptr);
  auto large = std::make_unique<TImageList>(nullptr);
  large->SetWidth(32);
  large->SetHeight(32);
  for (const Boat& b : kBoats) {
    small->Add(Vessel(16, b.Colour, b.Sail).get(), nullptr);
    large->Add(Vessel(32, b.Colour, b.Sail).get(), nullptr);
  }

  Caption(form, form, 16, 10, u"Report view: vessels in harbour");
  auto* report = MakePlain<TListView>(form, form, 16, 30, 728, 250);
  report->SetViewStyle(vsReport);
  report->SetSmallImages(small.get());
  report->SetGridLines(true);
  report->SetRowSelect(true);
  report->SetHideSelection(false);
  for (const Col& c : {Col{u"Vessel", 190, taLeftJustify}, Col{u"Kind", 130, taLeftJustify},
                       Col{u"Berth", 90, taCenter}, Col{u"Length", 110, taRightJustify},
                       Col{u"Skipper", 180, taLeftJustify}}) {
    TListColumn* col = report->Columns()->Add();
    col->SetCaption(c.Caption);
    col->SetWidth(c.Width);
    col->SetAlignment(c.Align);
  }
  Fill(report, true);

  Caption(form, form, 16, 296, u"Large icons");
  auto* icons = MakePlain<TListView>(form, form, 16, 316, 356, 228);
  icons->SetViewStyle(vsIcon);
  icons->SetLargeImages(large.get());
  icons->SetHideSelection(false);
  Fill(icons, false);

  Caption(form, form, 388, 296, u"List");
  auto* list = MakePlain<TListView>(form, form, 388, 316, 356, 228);
  list->SetViewStyle(vsList);
  list->SetSmallImages(small.get());
  list->SetHideSelection(false);
  list->SetMultiSelect(true);
  Fill(list, false, true);

  form->Show();
  Application->ProcessMessages();

  // Pick as a user would: a row in the report, an icon, and two list items
  // with Ctrl.
  auto click = [](TWinControl* c, TPoint at, bool ctrl = false) {
    TPoint p = c->ClientToScreen(at);
    if (ctrl) InputKeyDown(VK_CONTROL);
    InputMouseMove(p.X, p.Y);
    InputMouseDown(VK_LBUTTON);
    InputMouseUp(VK_LBUTTON);
    if (ctrl) InputKeyUp(VK_CONTROL);
    Application->ProcessMessages();
  };
  auto centre = [](TListItem* it, TDisplayCode code) {
    TRect r = it->DisplayRect(code);
    return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  click(list, centre(list->Items()->Item(2), drLabel));
  click(list, centre(list->Items()->Item(15), drLabel), true);
  click(icons, centre(icons->Items()->Item(5), drIcon));
  click(report, centre(report->Items()->Item(2), drLabel));
  Application->ProcessMessages();
  form->Update();
  SaveWindowSnapshot(form->Handle(), path);

  // The skinned report: flat header, images, and external bars.
  std::string skinned = outDir + "/listview-skinned.png";
  NotePicture(skinned, "the skinned list view with its flat header and the skin's bars");
  auto* sform = new TForm(Application);
  sform->SetPosition(poDesigned);
  sform->SetBorderStyle(bsDialog);
  sform->SetCaption(u"Skinned list view");
  sform->SetBounds(30, 30, 100, 100);
  sform->SetClientWidth(520);
  sform->SetClientHeight(300);
  sform->SetColor(TColor(0x00F4EFEA));
  auto* sv = MakePlain<qn::TQuarnListView>(sform, sform, 16, 16, 478, 258);
  sv->SetBorderStyle(bsNone);
  sv->SetViewStyle(vsReport);
  sv->SetSmallImages(small.get());
  sv->SetRowSelect(true);
  sv->SetHideSelection(false);
  for (const Col& c : {Col{u"Vessel", 170, taLeftJustify}, Col{u"Kind", 120, taLeftJustify},
                       Col{u"Berth", 80, taCenter}, Col{u"Length", 100, taRightJustify},
                       Col{u"Skipper", 160, taLeftJustify}}) {
    TListColumn* col = sv->Columns()->Add();
    col->SetCaption(c.Caption);
    col->SetWidth(c.Width);
    col->SetAlignment(c.Align);
  }
  Fill(sv, true, true);
  auto* vbar = MakePlain<qn::TQuarnScrollBar>(sform, sform, 494, 16, 10, 258);
  vbar->SetKind(sbVertical);
  auto* hbar = MakePlain<qn::TQuarnScrollBar>(sform, sform, 16, 274, 478, 10);
  sv->SetVScrollBar(vbar);
  sv->SetHScrollBar(hbar);
  UseSkinSelection(sform);
  sform->Show();
  Application->ProcessMessages();
  sv->Items()->Item(4)->SetSelected(true);
  sv->Items()->Item(4)->SetFocused(true);
  sv->Scroll(0, 2 * sv->Items()->Item(0)->DisplayRect(drBounds).Height());
  sv->UpDateScrollBars();
  Application->ProcessMessages();
  sform->Update();
  SaveWindowSnapshot(sform->Handle(), skinned, true);
  if (Live()) {
    // Live, both views side by side, the host's on the left.
    sform->SetLeft(form->Left() + form->Width() + 16);
    Hold();
  }
  delete sform;
  delete form;

  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  return {path, skinned};
}

}  // namespace gallery
