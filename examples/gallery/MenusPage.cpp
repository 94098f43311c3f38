// A context menu of an editor window, opened by a right click and walked
// with the keyboard into its submenu while the screen is taken: images
// from an image list, shortcuts, a disabled item, separators, a check, a
// radio group in the open submenu and an owner-drawn row of colour chips.
// The captions follow the system locale, here 2052, as the library's own
// edit chooses its menu captions. Beside the editor, a window shows one
// image drawn in each of the image list's styles. Written as menus.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/desktop/Desktop.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"

namespace gallery {

namespace {

using namespace vcl;

// A 16 x 16 glyph with soft (alpha) edges: a disc, a rounded square, a
// ring, a cross or a small corner badge in one colour.
std::unique_ptr<TBitmap> Glyph(int kind, uint32_t rgb) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(16, 16);
  for (int y = 0; y < 16; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (int x = 0; x < 16; ++x) {
      // Coverage from 4 x 4 samples of the shape.
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          double px = x + (sx + 0.5) / 4 - 8, py = y + (sy + 0.5) / 4 - 8;
          double r2 = px * px + py * py;
          bool in = false;
          switch (kind) {
            case 0: in = r2 < 6.5 * 6.5; break;
            case 1: in = std::abs(px) < 6 && std::abs(py) < 6 && !(std::abs(px) > 4 && std::abs(py) > 4 && (std::abs(px) - 4) * (std::abs(px) - 4) + (std::abs(py) - 4) * (std::abs(py) - 4) > 4); break;
            case 2: in = r2 < 7 * 7 && r2 > 3.5 * 3.5; break;
            case 4: in = (px - 3.5) * (px - 3.5) + (py - 3.5) * (py - 3.5) < 3.6 * 3.6; break;
            default: in = (std::abs(px - py) < 1.8 || std::abs(px + py) < 1.8) && std::abs(px) < 6.5 && std::abs(py) < 6.5; break;
          }
          hits += in;
        }
      uint32_t a = uint32_t(hits * 255 / 16);
      row[x] = (a << 24) | rgb;
    }
  }
  return b;
}

// The editor's text area: a white panel with a few lines.
class TPage : public TCustomControl {
  QN_CLASS(TPage, TCustomControl)
 public:
  explicit TPage(TComponent* AOwner) : TCustomControl(AOwner) {}
  std::vector<String> Lines;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWindow);
    c->FillRect(TRect(0, 0, Width(), Height()));
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    for (size_t i = 0; i < Lines.size(); ++i) c->TextOut(10, 8 + Integer(i) * 20, Lines[i]);
    // The selection the menu acts on.
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  }
};

// One image in every drawing style, with the style's name under it.
class TStyleStrip : public TCustomControl {
  QN_CLASS(TStyleStrip, TCustomControl)
 public:
  explicit TStyleStrip(TComponent* AOwner) : TCustomControl(AOwner) {}
  TCustomImageList* Images = nullptr;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(TRect(0, 0, Width(), Height()));
    struct Cell {
      const char16_t* Name;
      UINT Style;
      DWORD State;
      COLORREF Bk, Fg;
    };
    const COLORREF plum = RGB(120, 60, 160), sand = RGB(255, 206, 110);
    const Cell cells[] = {
        {u"normal", ILD_NORMAL, ILS_NORMAL, sand, CLR_NONE},
        {u"transparent", ILD_TRANSPARENT, ILS_NORMAL, CLR_NONE, CLR_NONE},
        {u"blend 25 %", ILD_TRANSPARENT | ILD_BLEND25, ILS_NORMAL, CLR_NONE, CLR_DEFAULT},
        {u"blend 50 %", ILD_TRANSPARENT | ILD_BLEND50, ILS_NORMAL, CLR_NONE, CLR_DEFAULT},
        {u"DrawEx", ILD_BLEND50, ILS_NORMAL, sand, plum},
        {u"mask", ILD_MASK, ILS_NORMAL, RGB(255, 255, 255), CLR_NONE},
        {u"saturate", ILD_TRANSPARENT, ILS_SATURATE, CLR_NONE, CLR_NONE},
        {u"overlay", ILD_TRANSPARENT | INDEXTOOVERLAYMASK(1), ILS_NORMAL, CLR_NONE, CLR_NONE},
    };
    c->Font()->Assign(Font());
    const int cellW = 72;
    for (size_t k = 0; k < std::size(cells); ++k) {
      int x = 8 + int(k % 4) * cellW, y = 10 + int(k / 4) * 86;
      // A checkerboard shows what is transparent.
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
          c->Brush()->SetColor((i + j) % 2 ? TColor(0xE8E8E8) : TColor(0xFFFFFF));
          c->FillRect(TRect(x + 12 + i * 12, y + j * 12, x + 24 + i * 12, y + 12 + j * 12));
        }
      for (int img = 0; img < 2; ++img) {
        IMAGELISTDRAWPARAMS p;
        p.himl = Images->Handle();
        p.i = img == 0 ? 0 : 2;
        p.hdcDst = c->Handle();
        p.x = x + 14 + img * 22;
        p.y = y + 6 + img * 20;
        p.rgbBk = cells[k].Bk;
        p.rgbFg = cells[k].Fg;
        p.fStyle = cells[k].Style;
        p.fState = cells[k].State;
        ImageList_DrawIndirect(&p);
      }
      c->Brush()->SetStyle(TBrushStyle::bsClear);
      TRect r(x - 4, y + 52, x + cellW - 4, y + 70);
      String t = cells[k].Name;
      c->TextRect(r, t, TTextFormat{TTextFormats::tfCenter, TTextFormats::tfSingleLine, TTextFormats::tfVerticalCenter});
      c->Brush()->SetStyle(TBrushStyle::bsSolid);
    }
  }
};

TForm* MakeWindow(const String& caption, Integer x, Integer y, Integer w, Integer h) {
  auto* f = new TForm(nullptr);
  f->SetPosition(poDesigned);
  f->SetBorderStyle(bsSingle);
  f->SetCaption(caption);
  f->SetBounds(x, y, w, h);
  return f;
}

}  // namespace

std::vector<std::string> MenusPage(const std::string& outDir) {
  std::vector<std::string> out;
  std::string path = outDir + "/menus.png";
  SetScreenSize(760, 460);
  SetDesktopColor(RGB(66, 100, 128));
  SetVirtualClock(true);
  ResetInput();
  SetSystemLocale(2052);
  const bool chinese = GetSystemDefaultLCID() == 2052;

  // The images: soft glyphs with alpha; the last one, a corner badge, is
  // the overlay mark.
  auto images = std::make_unique<TImageList>(nullptr);
  const std::pair<int, uint32_t> glyphs[] = {{3, 0xD04040}, {1, 0x3070D0}, {1, 0x40A060}, {0, 0xE0A020}, {2, 0x8050C0}, {4, 0xE05030}};
  for (auto [kind, rgb] : glyphs) images->Add(Glyph(kind, rgb).get(), nullptr);
  images->Overlay(5, 0);

  std::unique_ptr<TForm> editor(MakeWindow(chinese ? u"笔记 - 编辑器" : u"Notes - Editor", 24, 30, 400, 300));
  auto* page = new TPage(editor.get());
  page->SetParent(editor.get());
  page->SetAlign(alClient);
  page->Lines = {u"Quarterly notes, draft 3", u"", u"Ship the layered pop-ups first,", u"then the image-list styles.",
                 u"Review on Thursday."};

  auto* menu = new TPopupMenu(editor.get());
  menu->SetImages(images.get());
  auto add = [&](TMenuItem* parent, const char16_t* en, const char16_t* zh, TShortCut sc, int image) {
    auto* i = new TMenuItem(editor.get());
    i->SetCaption(chinese ? zh : en);
    i->SetShortCut(sc);
    i->SetImageIndex(image);
    parent->Add(i);
    return i;
  };
  TMenuItem* root = menu->Items();
  add(root, u"Cu&t", u"剪切(&T)", ShortCut('X', TShiftState{ssCtrl}), 0);
  add(root, u"&Copy", u"复制(&C)", ShortCut('C', TShiftState{ssCtrl}), 1);
  add(root, u"&Paste", u"粘贴(&P)", ShortCut('V', TShiftState{ssCtrl}), 2)->SetEnabled(false);
  add(root, u"&Delete", u"删除(&D)", ShortCut(VK_DELETE, TShiftState()), 4);
  add(root, u"-", u"-", 0, -1);
  add(root, u"Select &All", u"全选(&A)", ShortCut('A', TShiftState{ssCtrl}), -1);
  add(root, u"-", u"-", 0, -1);
  add(root, u"&Word wrap", u"自动换行(&W)", 0, -1)->SetChecked(true);
  TMenuItem* encoding = add(root, u"&Encoding", u"编码(&E)", 0, 3);
  for (auto [en, zh] : {std::pair{u"UTF-8", u"UTF-8"}, std::pair{u"GBK", u"GBK"}, std::pair{u"Big5", u"Big5"}}) {
    TMenuItem* r = add(encoding, en, zh, 0, -1);
    r->SetRadioItem(true);
    r->SetGroupIndex(1);
  }
  encoding->Items(0)->SetChecked(true);
  add(encoding, u"-", u"-", 0, -1);
  add(encoding, u"&Detect", u"自动检测(&D)", 0, -1);
  add(root, u"-", u"-", 0, -1);
  // The owner-drawn row: colour chips instead of a caption.
  TMenuItem* chips = add(root, u"Highlight", u"高亮颜色", 0, -1);
  chips->SetOnMeasureItem([](TObject*, TCanvas*, Integer& w, Integer& h) {
    w = 150;
    h = 26;
  });
  chips->SetOnAdvancedDrawItem([chinese](TObject*, TCanvas* c, TRect r, TOwnerDrawState s) {
    c->Brush()->SetColor(s.Contains(odSelected) ? clHighlight : clMenu);
    c->FillRect(r);
    const TColor colours[] = {TColor(0x60D0FF), TColor(0x80F080), TColor(0xFFC080), TColor(0xC0A0FF), TColor(0x8080F0)};
    Integer x = r.Left + 8;
    for (TColor col : colours) {
      c->Pen()->SetColor(clBtnShadow);
      c->Brush()->SetColor(col);
      c->RoundRect(x, r.Top + 5, x + 16, r.Bottom - 5, 5, 5);
      x += 21;
    }
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->SetColor(s.Contains(odSelected) ? clHighlightText : clMenuText);
    TRect t(x + 4, r.Top, r.Right - 4, r.Bottom);
    String label = chinese ? u"高亮" : u"Highlight";
    c->TextRect(t, label, TTextFormat{TTextFormats::tfLeft, TTextFormats::tfVerticalCenter, TTextFormats::tfSingleLine});
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
  });
  page->SetPopupMenu(menu);

  std::unique_ptr<TForm> styles(MakeWindow(chinese ? u"图像列表样式" : u"Image list styles", 444, 150, 300, 212));
  auto* strip = new TStyleStrip(styles.get());
  strip->SetParent(styles.get());
  strip->SetAlign(alClient);
  strip->Images = images.get();
  styles->Show();
  editor->Show();
  Application->ProcessMessages();

  // A right click on the text opens the menu; the keyboard walks down to
  // the submenu and opens it, the screen is taken, Escape closes both.
  TPoint at = page->ClientToScreen(TPoint(120, 50));
  InputMouseMove(at.X, at.Y);
  InputMouseDown(VK_RBUTTON);
  InputMouseUp(VK_RBUTTON);
  int step = 0;
  bool shot = false;
  TModalIdleHook saved = SetModalIdleHook([&] {
    switch (step++) {
      case 0:
        // Seven steps down reach the submenu: the arrows pass over separators.
        for (int i = 0; i < 7; ++i) {
          InputKeyDown(VK_DOWN);
          InputKeyUp(VK_DOWN);
        }
        InputKeyDown(VK_RIGHT);
        InputKeyUp(VK_RIGHT);
        InputKeyDown(VK_DOWN);
        InputKeyUp(VK_DOWN);
        return true;
      case 1:
        SaveScreenSnapshot(path);
        shot = true;
        for (int i = 0; i < 2; ++i) {
          InputKeyDown(VK_ESCAPE);
          InputKeyUp(VK_ESCAPE);
        }
        return true;
      default:
        return false;
    }
  });
  Application->ProcessMessages();
  SetModalIdleHook(saved);
  if (Live()) {
    // Live, the person opens the menu with a right click on the text.
    page->Lines.push_back(u"");
    page->Lines.push_back(chinese ? u"右键单击此处打开菜单。" : u"Right-click here for the menu.");
    page->Invalidate();
    Hold();
  }
  editor.reset();
  styles.reset();
  images.reset();
  SetSystemLocale(0x0409);
  ResetInput();
  SetVirtualClock(false);
  ResetScreenConfiguration();
  if (!shot) throw Exception(u"the context menu did not open");
  out.push_back(path);
  return out;
}

}  // namespace gallery
