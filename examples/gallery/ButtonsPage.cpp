// Gallery page "buttons": the five buttons in their normal, hot, pressed
// and disabled looks, one with a drop-down arrow; check and radio boxes in
// every state; a right-to-left pair. The pointer can hover or press only one
// control at a time, so each hot and pressed look is brought about by the
// input driver, taken from the control's picture at that moment, and laid
// into the final window picture. Saved as buttons.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/ControlsForm.h"
#include "examples/gallery/Gallery.h"
#include "graphics/raster/uPix32_PNG.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnRadioBox.h"

namespace gallery {

namespace {

using namespace qn;

// The window's client: a soft form background with a header band.
class TButtonSheet : public TCustomControl {
  QN_CLASS(TButtonSheet, TCustomControl)
 public:
  explicit TButtonSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
  }

 protected:
  void Paint() override {
    const TRect r = ClientRect();
    FillGradient(Canvas(), TColor(RGB(250, 252, 254)), TColor(RGB(230, 237, 244)), r, false);
    Canvas()->Brush()->SetColor(TColor(RGB(234, 242, 249)));
    Canvas()->FillRect(TRect(0, 0, r.Width(), 30));
    Canvas()->Pen()->SetColor(TColor(RGB(206, 219, 230)));
    Canvas()->MoveTo(0, 30);
    Canvas()->LineTo(r.Width(), 30);
    Canvas()->Pen()->SetColor(TColor(RGB(214, 225, 234)));
    Canvas()->MoveTo(0, 318);
    Canvas()->LineTo(r.Width(), 318);
  }
};

struct TShot {
  Integer X, Y;
  std::unique_ptr<TBitmap32> Picture;
};

void Pump() {
  MSG m;
  for (int i = 0; i < 5000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&m);
}

}  // namespace

std::vector<std::string> ButtonsPage(const std::string& outDir) {
  WNDCLASSEXW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"QnButtonsPage";
  RegisterClassExW(&wc);
  const Integer w = 600, h = 470;
  RECT wr(0, 0, w, h);
  AdjustWindowRectEx(&wr, WS_OVERLAPPEDWINDOW, false, 0);
  HWND host = CreateWindowExW(0, u"QnButtonsPage", u"Buttons", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, wr.Width(),
                              wr.Height(), nullptr, nullptr, nullptr, nullptr);
  const TQnGetImageEvent oldHook = TQuarnResManagerObj()->OnGetImage();
  TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent(&GallerySpinnerStrip));
  auto sheet = std::make_unique<TButtonSheet>(nullptr);
  sheet->SetBounds(0, 0, w, h);
  sheet->SetParentWindow(host);
  TButtonSheet* s = sheet.get();

  auto label = [&](Integer X, Integer Y, const String& Text, bool Strong = false) {
    auto* l = new TQuarnLabel(s);
    l->SetParent(s);
    l->Font()->SetColor(TColor(RGB(60, 72, 84)));
    if (Strong) l->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    l->SetLeft(X);
    l->SetTop(Y);
    l->SetCaption(Text);
    return l;
  };
  const Integer col[4] = {130, 245, 360, 475};
  const char16_t* heads[4] = {u"normal", u"hot", u"pressed", u"disabled"};
  for (Integer i = 0; i < 4; ++i) label(col[i], 8, heads[i], true);

  // One row per button class, four of a kind each; the second goes hot,
  // the third pressed, the fourth disabled.
  std::vector<std::vector<TQuarnCustomButton*>> rows;
  auto row = [&](Integer Y, const String& Name, auto Make) {
    label(15, Y + 6, Name);
    std::vector<TQuarnCustomButton*> r;
    for (Integer i = 0; i < 4; ++i) {
      TQuarnCustomButton* b = Make(s);
      b->SetParent(s);
      b->SetLeft(col[i]);
      b->SetTop(Y);
      if (i == 3) b->SetEnabled(false);
      r.push_back(b);
    }
    rows.push_back(r);
  };
  row(42, u"Push button", [](TComponent* O) {
    auto* b = new TQuarnButton(O);
    b->SetBounds(0, 0, 96, 27);
    b->SetCaption(u"Button");
    return static_cast<TQuarnCustomButton*>(b);
  });
  auto* menu = new TPopupMenu(s);
  menu->Items()->Add(NewItem(u"First", 0, false, true, TNotifyEvent(), 0, u""));
  row(84, u"Drop-down", [&](TComponent* O) {
    auto* b = new TQuarnButton(O);
    b->SetBounds(0, 0, 96, 27);
    b->SetCaption(u"Options");
    b->SetDropdownMenu(menu);
    return static_cast<TQuarnCustomButton*>(b);
  });
  row(126, u"Tool button", [](TComponent* O) {
    auto* b = new TQuarnToolButton(O);
    b->SetBounds(0, 0, 96, 26);
    b->SetImage(u"QuarnCalendar_18_N");
    b->ImageOffset()->SetX(5);
    b->ImageOffset()->SetY(4);
    b->SetCaption(u"Calendar");
    b->SetCaptionVisible(true);
    b->CaptionOffset()->SetX(29);
    b->CaptionOffset()->SetY(6);
    b->Font()->SetColor(TColor(RGB(40, 52, 64)));
    return static_cast<TQuarnCustomButton*>(b);
  });
  row(168, u"Image button", [](TComponent* O) {
    auto* b = new TQuarnImageButton(O);
    b->SetBounds(0, 0, 30, 29);
    b->Pictures()->SetImage(u"QuarnBrower_back");
    b->Pictures()->SetCount(4);
    b->Pictures()->SetDisable(3);
    b->Pictures()->SetActive(true);
    return static_cast<TQuarnCustomButton*>(b);
  });
  row(212, u"Animated", [](TComponent* O) {
    auto* b = new TQuarnAnimateButton(O);
    b->SetBounds(0, 0, 42, 42);
    b->Animate()->SetPicture(u"GallerySpinner");
    b->Animate()->SetCount(8);
    return static_cast<TQuarnCustomButton*>(b);
  });
  label(15, 274, u"Link");
  auto* link = new TQnURLButton(s);
  link->SetParent(s);
  link->SetLeft(col[0]);
  link->SetTop(274);
  link->SetCaption(u"Help page");
  link->Font()->SetColor(TColor(RGB(40, 52, 64)));
  link->Font()->SetStyle(TFontStyles{TFontStyle::fsUnderline});
  auto* linkHot = new TQnURLButton(s);
  linkHot->SetParent(s);
  linkHot->SetLeft(col[1]);
  linkHot->SetTop(274);
  linkHot->SetCaption(u"Help page");
  linkHot->Font()->SetStyle(TFontStyles{TFontStyle::fsUnderline});
  linkHot->FontHot()->SetStyle(TFontStyles{TFontStyle::fsUnderline});

  // Check and radio boxes: unchecked, unchecked hot, checked, checked hot,
  // then disabled ones.
  label(15, 334, u"Check box");
  label(15, 364, u"Radio box");
  label(15, 394, u"Disabled");
  label(15, 432, u"Right to left");
  std::vector<TQuarnCustomControl*> boxes, hotBoxes;
  const char16_t* boxCaps[4] = {u"Unchecked", u"Hot", u"Checked", u"Checked, hot"};
  for (Integer i = 0; i < 4; ++i) {
    auto* c = new TQuarnCheckBox(s);
    c->SetParent(s);
    c->SetBounds(col[0] + i * 115, 334, 110, 17);
    c->SetCaption(boxCaps[i]);
    c->SetChecked(i >= 2);
    auto* r = new TQuarnRadioBox(s);
    r->SetParent(s);
    r->SetBounds(col[0] + i * 115, 364, 110, 17);
    r->SetCaption(boxCaps[i]);
    r->SetGroupIndex(i);  // each its own group, so several can be checked
    r->SetChecked(i >= 2);
    if (i % 2 == 1) {
      hotBoxes.push_back(c);
      hotBoxes.push_back(r);
    }
  }
  for (Integer i = 0; i < 4; ++i) {
    TQuarnCustomControl* d;
    if (i < 2) {
      auto* c = new TQuarnCheckBox(s);
      c->SetChecked(i == 1);
      c->SetCaption(i == 1 ? u"Checked" : u"Unchecked");
      d = c;
    } else {
      auto* r = new TQuarnRadioBox(s);
      r->SetGroupIndex(10 + i);
      r->SetChecked(i == 3);
      r->SetCaption(i == 3 ? u"Checked" : u"Unchecked");
      d = r;
    }
    d->SetParent(s);
    d->SetBounds(col[0] + i * 115, 394, 110, 17);
    d->SetEnabled(false);
  }
  auto* rtlCheck = new TQuarnCheckBox(s);
  rtlCheck->SetParent(s);
  rtlCheck->SetBiDiMode(bdRightToLeft);
  rtlCheck->SetBounds(col[0], 432, 150, 17);
  rtlCheck->SetCaption(u"Box at the right");
  rtlCheck->SetChecked(true);
  auto* rtlRadio = new TQuarnRadioBox(s);
  rtlRadio->SetParent(s);
  rtlRadio->SetBiDiMode(bdRightToLeft);
  rtlRadio->SetBounds(col[0] + 170, 432, 150, 17);
  rtlRadio->SetCaption(u"Radio at the right");
  rtlRadio->SetChecked(true);
  Pump();

  // The looks the pointer brings about, one at a time.
  ResetInput();
  SetVirtualClock(true);
  std::vector<TShot> shots;
  auto pointAt = [&](TControl* C, Integer X, Integer Y) {
    const TPoint p = C->ClientToScreen(TPoint(X, Y));
    InputMouseMove(p.X, p.Y);
    Pump();
  };
  auto away = [&] { pointAt(s, w - 5, h - 5); };
  auto shoot = [&](TQuarnCustomControl* C) {
    C->Invalidate();
    Pump();
    auto pic = std::make_unique<TBitmap32>();
    pic->Assign(C->Buffer());
    shots.push_back({C->Left(), C->Top(), std::move(pic)});
  };
  for (auto& r : rows) {
    TQuarnCustomButton* hot = r[1];
    // The drop-down button shows its hot arrow area.
    const bool arrow = hot->DropdownMenu() != nullptr;
    pointAt(hot, arrow ? hot->Width() - 7 : hot->Width() / 2, hot->Height() / 2);
    if (dynamic_cast<TQuarnAnimateButton*>(hot)) {
      for (Integer t = 0; t < 5; ++t) {  // a frame into the run
        AdvanceClock(10);
        Pump();
      }
    }
    shoot(hot);
    TQuarnCustomButton* pressed = r[2];
    pointAt(pressed, pressed->Width() / 2 - (arrow ? 10 : 0), pressed->Height() / 2);
    if (!arrow) {
      InputMouseDown(VK_LBUTTON);
      Pump();
      shoot(pressed);
      away();
      InputMouseUp(VK_LBUTTON);
      Pump();
    } else {
      // A press on this face would open the menu; shown held down instead.
      pressed->SetGroupIndex(99);
      pressed->SetDown(true);
      shoot(pressed);
    }
  }
  pointAt(linkHot, 4, 4);
  shoot(linkHot);
  for (TQuarnCustomControl* b : hotBoxes) {
    pointAt(b, 6, 8);
    shoot(b);
  }
  away();
  SetVirtualClock(false);
  ResetInput();

  const std::string path = outDir + "/buttons.png";
  vcl::SaveWindowSnapshot(host, path, true);
  Hold();  // live: the page stays up until its windows are closed
  TBitmap32 page;
  LoadPNGintoBitmap32(&page, String(path.begin(), path.end()));
  for (TShot& shot : shots) {
    shot.Picture->SetDrawMode(TDrawMode::dmOpaque);
    shot.Picture->DrawTo(&page, shot.X, shot.Y);
  }
  SaveBitmap32ToPNG(&page, false, 0, String(path.begin(), path.end()), 6);
  sheet.reset();
  TQuarnResManagerObj()->SetOnGetImage(oldHook);
  DestroyWindow(host);
  Pump();
  return {path};
}

}  // namespace gallery
