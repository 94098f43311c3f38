// The launcher: a skinned form with the sections down its left side and the
// chosen section's pages as cards on the right. The cards are drawn by one
// control rather than built from a control each, so ninety pages cost one
// window and scroll as one picture.
#include "examples/gallery/Launcher.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "examples/gallery/SheetImage.h"
#include "examples/gallery/SkinnedForm.h"
#include "graphics/raster/Pix32_Resamplers_qn.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"
#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/raster/uPix32_PNG.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/Bitmap.h"
#include "skin/controls/uQuarnSearchEdit.h"

namespace gallery {

using namespace vcl;

namespace {

// The gallery's one look: the index page's colours, its link blue the one
// selection colour.
constexpr COLORREF kPageBack = RGB(243, 244, 246);
constexpr COLORREF kSide = RGB(226, 231, 238);
constexpr COLORREF kCard = RGB(255, 255, 255);
constexpr COLORREF kRule = RGB(208, 213, 220);
constexpr COLORREF kTitle = RGB(28, 34, 44);
constexpr COLORREF kSentence = RGB(72, 80, 92);
constexpr COLORREF kSelect = RGB(31, 95, 168);

constexpr Integer kSideWidth = 220;
constexpr Integer kRowHeight = 36;
constexpr Integer kRowsTop = 86;
constexpr Integer kCardWidth = 230, kCardHeight = 236, kGap = 16, kMargin = 24, kCardsTop = 64;
constexpr Integer kThumbWidth = kCardWidth - 16, kThumbHeight = 124;

constexpr Integer kSearchWidth = 240;
constexpr Integer kMinColumns = 2, kMaxColumns = 5, kMinHeight = 480, kMaxHeight = 1000;

const char* const kOrder[] = {kGraphics, kSkin, kControls, kForms, kTree, kDesign};
constexpr const char* kMore = "More pages";

std::string SectionOf(const Page& p) {
  for (const char* s : kOrder)
    if (p.Section && std::string(p.Section) == s) return s;
  return kMore;
}

void UseFont(TCanvas* c, int size, bool bold, COLORREF color) {
  c->Font()->SetName(u"DejaVu Sans");
  c->Font()->SetSize(size);
  c->Font()->SetStyle(bold ? TFontStyles{TFontStyle::fsBold} : TFontStyles());
  c->Font()->SetColor(TColor(color));
}

void Write(TCanvas* c, const String& s, const TRect& r, UINT flags) {
  RECT rr{r.Left, r.Top, r.Right, r.Bottom};
  DrawText(c->Handle(), s.c_str(), int(s.size()), &rr, flags | DT_NOPREFIX);
}

bool Inside(const TRect& r, Integer x, Integer y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

void Fill(TCanvas* c, const TRect& r, COLORREF color) {
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(TColor(color));
  c->FillRect(r);
}

void Rounded(TCanvas* c, const TRect& r, COLORREF fill, COLORREF edge, Integer edgeWidth = 1) {
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(TColor(fill));
  c->Pen()->SetColor(TColor(edge));
  c->Pen()->SetWidth(edgeWidth);
  c->RoundRect(r, 10, 10);
  c->Pen()->SetWidth(1);
}

// A thumbnail of the page's first picture, scaled to fit with a smooth
// kernel so that fine lines survive the reduction; empty when there is none.
TScreenImage MakeThumbnail(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0) continue;
    qn::TBitmap32 src;
    try {
      qn::LoadPNGintoBitmap32(&src, FromUtf8(path));
    } catch (...) {
      continue;
    }
    if (src.Width() <= 0 || src.Height() <= 0) continue;
    // The picture fills the thumbnail, cut to its top middle: a sheet's
    // first rows say more at this size than the whole sheet reduced.
    const double scale = std::min(std::max(double(kThumbWidth) / src.Width(), double(kThumbHeight) / src.Height()), 1.0);
    const Integer sw = std::max<Integer>(1, Integer(src.Width() * scale + 0.5));
    const Integer sh = std::max<Integer>(1, Integer(src.Height() * scale + 0.5));
    const Integer w = std::min(sw, kThumbWidth), h = std::min(sh, kThumbHeight);
    auto* resampler = new qn::TKernelResampler(&src);
    resampler->SetKernelClassName(u"TMitchellKernel");
    qn::TBitmap32 dst;
    dst.SetSize(w, h);
    dst.Clear(qn::Color32(TColor(kPageBack)));
    const Integer left = -(sw - w) / 2;
    qn::StretchTransfer(&dst, TRect(left, 0, left + sw, sh), dst.BoundsRect(), &src, src.BoundsRect(), src.Resampler(),
                        qn::TDrawMode::dmBlend);
    TScreenImage thumb;
    thumb.Width = w;
    thumb.Height = h;
    thumb.Pixels.resize(size_t(w) * size_t(h));
    for (Integer y = 0; y < h; ++y)
      for (Integer x = 0; x < w; ++x) thumb.Pixels[size_t(y) * size_t(w) + size_t(x)] = dst.GetPixel(x, y) | 0xFF000000u;
    return thumb;
  }
  return {};
}

// Thumbnails are taken from the pictures as the pages draw them, before the
// caption band repeats the title the card shows anyway.
std::map<std::string, TScreenImage>& Thumbnails() {
  static std::map<std::string, TScreenImage> thumbs;
  return thumbs;
}

}  // namespace

// The launcher's face: sections on the left, cards on the right.
class TLauncherView : public TCustomControl {
 public:
  struct TEntry {
    Page Info;
    TScreenImage Thumb;
  };

  TLauncherView(TComponent* AOwner, const std::vector<PageRun>& Runs) : TCustomControl(AOwner) {
    for (const char* s : kOrder) Sections.push_back(s);
    Sections.push_back(kMore);
    for (const PageRun& r : Runs) {
      const auto kept = Thumbnails().find(r.Info.Name);
      Entries.push_back({r.Info, kept != Thumbnails().end() ? kept->second : MakeThumbnail(r.Paths)});
    }
    // Sections without pages are not listed.
    Sections.erase(std::remove_if(Sections.begin(), Sections.end(),
                                  [&](const std::string& s) { return PagesOf(s).empty(); }),
                   Sections.end());
    if (!Sections.empty()) Selected = Sections.front();
    SetTabStop(true);
  }

  std::vector<const TEntry*> PagesOf(const std::string& section) const {
    std::vector<const TEntry*> v;
    for (const TEntry& e : Entries)
      if (SectionOf(e.Info) == section) v.push_back(&e);
    return v;
  }

  // The cards on show: the chosen section's pages, or while a search is
  // typed, the pages of every section whose name, title or sentence holds it.
  std::vector<const TEntry*> Shown() const {
    if (Query.empty()) return PagesOf(Selected);
    auto lower = [](std::string t) {
      for (char& ch : t) ch = char(std::tolower(static_cast<unsigned char>(ch)));
      return t;
    };
    const std::string q = lower(Query);
    std::vector<const TEntry*> v;
    for (const TEntry& e : Entries) {
      const std::string text = lower(std::string(e.Info.Name) + "\n" + (e.Info.Title ? e.Info.Title : "") + "\n" +
                                     (e.Info.Sentence ? e.Info.Sentence : ""));
      if (text.find(q) != std::string::npos) v.push_back(&e);
    }
    return v;
  }

  void Search(const std::string& query) {
    if (query == Query) return;
    Query = query;
    Scroll = 0;
    Hot = -1;
    Invalidate();
  }

  void Select(const std::string& section) {
    if (std::find(Sections.begin(), Sections.end(), section) == Sections.end())
      throw Exception(u"the launcher has no section " + FromUtf8(section));
    if (OnSectionChosen) OnSectionChosen();
    if (section == Selected && Query.empty()) return;
    Selected = section;
    Query.clear();
    Scroll = 0;
    Hot = -1;
    Invalidate();
  }

  TRect RowRect(size_t i) const {
    return TRect(12, kRowsTop + Integer(i) * kRowHeight, kSideWidth - 12, kRowsTop + Integer(i) * kRowHeight + 30);
  }
  Integer Columns() {
    return std::max<Integer>(1, (ClientWidth() - kSideWidth - 2 * kMargin + kGap) / (kCardWidth + kGap));
  }
  // In client coordinates, scrolled.
  TRect CardRectAt(size_t i) {
    const Integer cols = Columns();
    const Integer x = kSideWidth + kMargin + Integer(i % size_t(cols)) * (kCardWidth + kGap);
    const Integer y = kCardsTop + Integer(i / size_t(cols)) * (kCardHeight + kGap) - Scroll;
    return TRect(x, y, x + kCardWidth, y + kCardHeight);
  }
  Integer MaxScroll() {
    const size_t n = Shown().size();
    if (n == 0) return 0;
    const Integer rows = Integer((n + size_t(Columns()) - 1) / size_t(Columns()));
    return std::max<Integer>(0, kCardsTop + rows * (kCardHeight + kGap) - ClientHeight());
  }
  void ScrollBy(Integer dy) {
    const Integer s = std::clamp<Integer>(Scroll + dy, 0, MaxScroll());
    if (s == Scroll) return;
    Scroll = s;
    Invalidate();
  }
  // Scrolls the card into view; its index in the section, or -1.
  int Reveal(const std::string& name) {
    const auto pages = Shown();
    for (size_t i = 0; i < pages.size(); ++i) {
      if (pages[i]->Info.Name != name) continue;
      const TRect r = CardRectAt(i);
      if (r.Top < kCardsTop) ScrollBy(r.Top - kCardsTop);
      else if (r.Bottom > ClientHeight()) ScrollBy(r.Bottom - ClientHeight() + kGap);
      return int(i);
    }
    return -1;
  }

  std::vector<std::string> Sections;
  std::vector<TEntry> Entries;
  std::string Selected;
  Integer Scroll = 0;
  int Hot = -1;
  std::function<void(const Page&)> OnOpen;
  std::function<void()> OnSectionChosen;
  std::string Query;

 protected:
  void Paint() override {
    const Integer w = ClientWidth(), h = ClientHeight();
    if (w <= 0 || h <= 0) return;
    // Drawn aside and put on the screen at once, so nothing flickers.
    TBitmap sheet;
    sheet.SetPixelFormat(TPixelFormat::pf32bit);
    sheet.SetSize(w, h);
    TCanvas* c = sheet.Canvas();
    DrawSide(c, h);
    DrawCards(c, w, h);
    BitBlt(Canvas()->Handle(), 0, 0, w, h, c->Handle(), 0, 0, SRCCOPY);
  }

  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != TMouseButton::mbLeft) return;
    SetFocus();
    for (size_t i = 0; i < Sections.size(); ++i)
      if (Inside(RowRect(i), X, Y)) {
        Select(Sections[i]);
        return;
      }
    Pressed = CardAt(X, Y);
  }

  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    const int card = CardAt(X, Y);
    const bool open = Button == TMouseButton::mbLeft && card >= 0 && card == Pressed;
    Pressed = -1;
    if (!open || !OnOpen) return;
    const Page page = Shown()[size_t(card)]->Info;
    Hot = -1;
    Invalidate();
    OnOpen(page);
  }

  void MouseMove(TShiftState Shift, Integer X, Integer Y) override {
    TCustomControl::MouseMove(Shift, X, Y);
    const int hot = CardAt(X, Y);
    if (hot == Hot) return;
    Hot = hot;
    Invalidate();
  }

  void MouseLeave() override {
    TCustomControl::MouseLeave();
    if (Hot < 0) return;
    Hot = -1;
    Invalidate();
  }

  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    ScrollBy(-WheelDelta * 3 * 20 / 120);
    return true;
  }

  // Up and Down change the section, so the view keeps the arrows instead of
  // letting the form's dialog keys move the focus with them; Tab still goes
  // on to the search edit.
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_GETDLGCODE) {
      Message.Result = DLGC_WANTARROWS;
      return;
    }
    TCustomControl::WndProc(Message);
  }

  void KeyDown(Word& Key, TShiftState Shift) override {
    TCustomControl::KeyDown(Key, Shift);
    const auto at = std::find(Sections.begin(), Sections.end(), Selected);
    if (at == Sections.end()) return;
    if (Key == VK_UP && at != Sections.begin()) Select(*(at - 1));
    else if (Key == VK_DOWN && at + 1 != Sections.end()) Select(*(at + 1));
    else if (Key == VK_NEXT) ScrollBy(ClientHeight() - kCardsTop);
    else if (Key == VK_PRIOR) ScrollBy(kCardsTop - ClientHeight());
    else return;
    Key = 0;
  }

 private:
  int CardAt(Integer X, Integer Y) {
    if (Y < kCardsTop) return -1;  // under the heading, cards are scrolled away
    const size_t n = Shown().size();
    for (size_t i = 0; i < n; ++i)
      if (Inside(CardRectAt(i), X, Y)) return int(i);
    return -1;
  }

  void DrawSide(TCanvas* c, Integer h) {
    Fill(c, TRect(0, 0, kSideWidth, h), kSide);
    Fill(c, TRect(kSideWidth - 1, 0, kSideWidth, h), kRule);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    UseFont(c, 14, true, kTitle);
    Write(c, u"Quarn", TRect(20, 18, kSideWidth - 12, 44), DT_LEFT | DT_SINGLELINE);
    UseFont(c, 8, false, kSentence);
    Write(c, FromUtf8(std::to_string(Entries.size()) + " pages in " + std::to_string(Sections.size()) + " sections"),
         TRect(20, 46, kSideWidth - 12, 64), DT_LEFT | DT_SINGLELINE);
    for (size_t i = 0; i < Sections.size(); ++i) {
      const TRect r = RowRect(i);
      const bool on = Sections[i] == Selected && Query.empty();
      if (on) Rounded(c, r, kSelect, kSelect);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      UseFont(c, 10, on, on ? RGB(255, 255, 255) : kTitle);
      Write(c, FromUtf8(Sections[i]), TRect(r.Left + 12, r.Top, r.Right - 40, r.Bottom),
           DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      UseFont(c, 8, false, on ? RGB(255, 255, 255) : kSentence);
      Write(c, FromUtf8(std::to_string(PagesOf(Sections[i]).size())), TRect(r.Right - 40, r.Top, r.Right - 12, r.Bottom),
           DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    UseFont(c, 8, false, kSentence);
    Write(c,
         u"Click a card to open its page live; Esc or the close button brings you back here. Up and Down change "
         u"the section; Search finds pages in every section.",
         TRect(20, h - 110, kSideWidth - 16, h - 16), DT_LEFT | DT_WORDBREAK);
  }

  void DrawCards(TCanvas* c, Integer w, Integer h) {
    Fill(c, TRect(kSideWidth, 0, w, h), kPageBack);
    const auto pages = Shown();
    for (size_t i = 0; i < pages.size(); ++i) {
      const TRect r = CardRectAt(i);
      if (r.Bottom < kCardsTop || r.Top > h) continue;
      const bool hot = int(i) == Hot;
      Rounded(c, r, kCard, hot ? kSelect : kRule, hot ? 2 : 1);
      const TRect thumb(r.Left + 8, r.Top + 8, r.Right - 8, r.Top + 8 + kThumbHeight);
      Fill(c, thumb, kPageBack);
      const TScreenImage& t = pages[i]->Thumb;
      if (t.Width == 0) {
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        UseFont(c, 8, false, kSentence);
        Write(c, u"no picture", thumb, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      } else
        BlitImage(c->Handle(), t, thumb.Left + (thumb.Width() - t.Width) / 2, thumb.Top + (thumb.Height() - t.Height) / 2);
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      const Page& p = pages[i]->Info;
      UseFont(c, 10, true, hot ? kSelect : kTitle);
      const TRect title(r.Left + 12, thumb.Bottom + 8, r.Right - 12, thumb.Bottom + 26);
      Write(c, FromUtf8(p.Title ? p.Title : p.Name), title, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
      UseFont(c, 8, false, kSentence);
      // A sentence longer than the card ends in an ellipsis on its last line,
      // not mid-phrase.
      Write(c, FromUtf8(p.Sentence ? p.Sentence : ""), TRect(r.Left + 12, title.Bottom + 4, r.Right - 12, r.Bottom - 8),
            DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
    }
    // The heading stays while the cards scroll under it.
    Fill(c, TRect(kSideWidth, 0, w, kCardsTop - 8), kPageBack);
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    UseFont(c, 14, true, kTitle);
    Write(c, FromUtf8(Query.empty() ? Selected : "Pages with \u201c" + Query + "\u201d"),
          TRect(kSideWidth + kMargin, 18, w - kMargin - kSearchWidth - 12, 44), DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (!Query.empty() && pages.empty()) {
      UseFont(c, 10, false, kSentence);
      Write(c, u"No page's name, title or sentence holds this text.",
            TRect(kSideWidth + kMargin, kCardsTop, w - kMargin, kCardsTop + 24), DT_LEFT | DT_SINGLELINE);
    }
    if (MaxScroll() > 0) {
      // Where the view is in the section: a thin bar at the right edge.
      const Integer track = h - kCardsTop - 16;
      const Integer total = track + MaxScroll();
      const Integer len = std::max<Integer>(24, track * track / total);
      const Integer top = kCardsTop + (track - len) * Scroll / MaxScroll();
      Rounded(c, TRect(w - 9, top, w - 4, top + len), RGB(150, 160, 174), RGB(150, 160, 174));
    }
  }

  int Pressed = -1;
};

namespace {

// The launcher's place: centred in the work area, as many columns of cards
// as fit in nine tenths of its width (two to five: more would make a wall of
// cards rather than a view), and nine tenths of its height up to 1000.
void PlaceLauncher(TForm* form) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const Integer workW = work.Right - work.Left, workH = work.Bottom - work.Top;
  const Integer frameW = form->Width() - form->ClientWidth();
  const Integer room = workW * 9 / 10 - frameW - kSideWidth - 2 * kMargin;
  const Integer cols = std::clamp<Integer>((room + kGap) / (kCardWidth + kGap), kMinColumns, kMaxColumns);
  const Integer w =
      std::min<Integer>(workW, frameW + kSideWidth + 2 * kMargin + cols * kCardWidth + (cols - 1) * kGap + 2 * 8);
  const Integer h = std::min<Integer>(workH, std::clamp<Integer>(workH * 9 / 10, kMinHeight, kMaxHeight));
  form->SetBounds(work.Left + (workW - w) / 2, work.Top + (workH - h) / 2, w, h);
}

}  // namespace

TLauncher::TLauncher(const std::vector<PageRun>& Runs) {
  FForm = NewSkinnedForm(TRect(0, 0, 1000, 700), u"Quarn gallery");
  PlaceLauncher(FForm.get());
  FView = new TLauncherView(FForm.get(), Runs);
  FView->SetParent(FForm.get());
  FView->SetAlign(TAlign::alClient);
  FView->OnOpen = [this](const Page& p) {
    if (OnOpen) OnOpen(p);
  };
  FSearch = new qn::TQuarnSearchEdit(FForm.get());
  FSearch->SetParent(FForm.get());
  FSearch->SetBounds(FForm->ClientWidth() - kMargin - kSearchWidth, 16, kSearchWidth, 28);
  FSearch->SetAnchors(TAnchors{TAnchorKind::akTop, TAnchorKind::akRight});
  FSearch->Font()->SetName(u"DejaVu Sans");
  FSearch->Font()->SetSize(9);
  FSearch->SetOnChange([this](TObject*) { FView->Search(ToUtf8(FSearch->TextProp())); });
  // The cards have the keys first (Up and Down for the sections); a click
  // puts the caret in the search edit.
  FForm->SetActiveControl(FView);
  FView->OnSectionChosen = [this] {
    if (!FSearch->TextProp().empty()) FSearch->SetTextProp(u"");
  };
}

TLauncher::~TLauncher() = default;

const std::vector<std::string>& TLauncher::Sections() const { return FView->Sections; }
std::string TLauncher::SelectedSection() const { return FView->Selected; }
void TLauncher::SelectSection(const std::string& Section) { FView->Select(Section); }
void TLauncher::Search(const std::string& Text) { FSearch->SetTextProp(FromUtf8(Text)); }
qn::TQuarnSearchEdit* TLauncher::SearchEdit() const { return FSearch; }
size_t TLauncher::CardCount() const { return FView->Shown().size(); }

TRect TLauncher::SectionRect(const std::string& Section) const {
  for (size_t i = 0; i < FView->Sections.size(); ++i)
    if (FView->Sections[i] == Section) {
      const TRect r = FView->RowRect(i);
      const TPoint at = FView->ClientToScreen(TPoint(r.Left, r.Top));
      return TRect(at.X, at.Y, at.X + r.Width(), at.Y + r.Height());
    }
  return TRect();
}

TRect TLauncher::CardRect(const std::string& PageName) {
  for (const auto& e : FView->Entries) {
    if (e.Info.Name != PageName) continue;
    int i = FView->Query.empty() ? -1 : FView->Reveal(PageName);
    if (i < 0) {
      FView->Select(SectionOf(e.Info));
      i = FView->Reveal(PageName);
    }
    const TRect r = FView->CardRectAt(size_t(i));
    const TPoint at = FView->ClientToScreen(TPoint(r.Left, r.Top));
    return TRect(at.X, at.Y, at.X + r.Width(), at.Y + r.Height());
  }
  return TRect();
}

void KeepThumbnail(const Page& page, const std::vector<std::string>& paths) {
  Thumbnails()[page.Name] = MakeThumbnail(paths);
}

std::vector<PageRun> RunPages(const std::vector<Page>& Pages, const std::string& outDir) {
  std::vector<PageRun> runs;
  for (const Page& page : Pages) {
    try {
      auto paths = page.Run(outDir);
      KeepThumbnail(page, paths);
      CaptionPictures(page, paths);
      runs.push_back({page, paths});
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gallery page %s failed: %s\n", page.Name, e.what());
    }
  }
  return runs;
}

std::string WriteLauncherPicture(const std::vector<PageRun>& Runs, const std::string& outDir) {
  TLauncher launcher(Runs);
  launcher.Form()->Show();
  PumpMessages();
  launcher.Form()->Update();
  const std::string path = outDir + "/launcher.png";
  SavePng(CaptureWindow(launcher.Form()->Handle()), path);
  return path;
}

}  // namespace gallery
