#include "examples/gallery/ControlsForm.h"
#include "examples/gallery/SkinSelection.h"

#include <algorithm>
#include <cmath>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/classes/FormText.h"
#include "platform/desktop/Desktop.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "skin/controls/uQnHLSTrackBar.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/controls/uQuarnEditTips.h"
#include "skin/controls/uQuarnExpandBox.h"
#include "skin/controls/uQuarnHtmlLabel.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnListView.h"
#include "skin/controls/uQuarnMemo.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnPasswordEdit.h"
#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQuarnRadioBox.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "skin/controls/uQuarnScrollBox.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "skin/controls/uQuarnSizeGrip.h"
#include "skin/controls/uQuarnSpinEdit.h"
#include "skin/controls/uQuarnSplitter.h"
#include "skin/controls/uQuarnTabs.h"
#include "skin/controls/uQuarnTips.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "skin/foundation/uQuarnResManager.h"

#ifndef QN_GALLERY_DIR
#error "QN_GALLERY_DIR names the folder of Controls.dfm"
#endif

namespace gallery {

using namespace qn;

namespace {

struct TCity {
  const char16_t* Name;
  const char16_t* Country;
  const char16_t* People;
  const char16_t* Area;
  int Pin;  // the marker's colour, one per country
};

const TCity kCities[] = {
    {u"Amsterdam", u"Netherlands", u"921,000", u"219 km\u00B2", 0},
    {u"Athens", u"Greece", u"643,000", u"39 km\u00B2", 1},
    {u"Barcelona", u"Spain", u"1,660,000", u"101 km\u00B2", 2},
    {u"Berlin", u"Germany", u"3,850,000", u"892 km\u00B2", 3},
    {u"Bordeaux", u"France", u"261,000", u"49 km\u00B2", 4},
    {u"Bruges", u"Belgium", u"119,000", u"138 km\u00B2", 5},
    {u"Budapest", u"Hungary", u"1,690,000", u"525 km\u00B2", 6},
    {u"Cork", u"Ireland", u"224,000", u"187 km\u00B2", 7},
    {u"Dresden", u"Germany", u"563,000", u"328 km\u00B2", 3},
    {u"Dublin", u"Ireland", u"592,000", u"118 km\u00B2", 7},
    {u"Edinburgh", u"Scotland", u"514,000", u"264 km\u00B2", 5},
    {u"Florence", u"Italy", u"361,000", u"102 km\u00B2", 1},
};

// A map pin in one of eight colours: a round head with a white eye over a
// point, drawn at 16 pixels with soft edges.
void AddPins(TImageList* List) {
  static const TColor32 kPins[] = {Color32(226, 114, 40, 255),  Color32(47, 118, 205, 255),
                                   Color32(207, 62, 62, 255),   Color32(60, 60, 70, 255),
                                   Color32(92, 84, 196, 255),   Color32(222, 176, 34, 255),
                                   Color32(46, 150, 96, 255),   Color32(38, 160, 150, 255)};
  for (TColor32 c : kPins) {
    TBitmap32 pin;
    pin.SetSize(16, 16);
    pin.Clear(0);
    TArrayOfFloatPoint head = Circle(8.0f, 6.5f, 5.5f, 48);
    PolygonFS(&pin, {FloatPoint(3.4f, 9.2f), FloatPoint(12.6f, 9.2f), FloatPoint(8.0f, 15.5f)}, c);
    PolygonFS(&pin, head, c);
    PolygonFS(&pin, Circle(8.0f, 6.5f, 2.1f, 24), Color32(255, 255, 255, 235));
    auto bmp = std::make_unique<TBitmap>();
    bmp->Assign(&pin);
    List->Add(bmp.get(), nullptr);
  }
}

}  // namespace

TControlsForm::TControlsForm(TComponent* AOwner) : TForm(AOwner) {}

TControlsForm::~TControlsForm() = default;

void TControlsForm::Loaded() {
  TForm::Loaded();
  auto* view = dynamic_cast<TQuarnListView*>(FindComponent(u"LvCities"));
  if (!view) return;
  if (!FCityImages) {
    FCityImages = std::make_unique<TImageList>(nullptr);
    AddPins(FCityImages.get());
  }
  view->SetSmallImages(FCityImages.get());
  view->Items()->BeginUpdate();
  for (const TCity& c : kCities) {
    TListItem* it = view->Items()->Add();
    it->SetCaption(c.Name);
    it->SetImageIndex(c.Pin);
    it->SubItems()->Add(c.Country);
    it->SubItems()->Add(c.People);
    it->SubItems()->Add(c.Area);
  }
  view->Items()->EndUpdate();
  UseSkinSelection(this);
}

void TControlsForm::Missing(const String& Name) {
  throw EComponentError(u"The controls form has no component " + Name + u" of the expected class");
}

void TControlsForm::BtnCancelClick(TObject*) { ++CancelClicks; }

void TControlsForm::HtmlInfoHyperLinkClick(TObject*, String Link) {
  ++LinkClicks;
  LastLink = Link;
}

// The animated button's strip, as an application would hand it to the
// store: eight frames of a spinner whose bright dot runs round.
void GallerySpinnerStrip(TObject*, const TQnResID& Id, TQuarnImage* Image, bool& Handled) {
  if (Id != u"GallerySpinner") return;
  const Integer n = 8, s = 40;
  Image->SetSize(n * s, s);
  Image->Clear(0);
  for (Integer k = 0; k < n; ++k) {
    const TFloat cx = TFloat(k * s) + s / 2.0f, cy = s / 2.0f;
    PolygonFS(Image, Circle(cx, cy, 18, 96), Color32(180, 205, 224, 255));
    PolygonFS(Image, Circle(cx, cy, 17, 96), Color32(246, 250, 253, 255));
    for (Integer d = 0; d < n; ++d) {
      const TFloat a = TFloat(d) * 2 * 3.14159265f / n - 3.14159265f / 2;
      const Integer age = (k - d + n) % n;  // 0: the lit dot, then its trail
      const Byte alpha = Byte(age == 0 ? 255 : age < 3 ? 200 - age * 50 : 60);
      const TFloat r = age == 0 ? 3.2f : 2.4f;
      PolygonFS(Image, Circle(cx + 10.5f * std::cos(a), cy + 10.5f * std::sin(a), r, 24), Color32(31, 156, 221, alpha));
    }
  }
  Handled = true;
}

String ControlsFormFile() { return FromUtf8(QN_GALLERY_DIR "/Controls.dfm"); }

std::unique_ptr<TControlsForm> LoadControlsForm() {
  // Some units leave registering to the program, as a form's own field
  // types would; the form file names these.
  RegisterClasses({TControlsForm::StaticClass(), TQuarnForm::StaticClass(), TPopupMenu::StaticClass(),
                   TMenuItem::StaticClass(), TQuarnGroupBox::StaticClass(), TQuarnButton::StaticClass(),
                   TQuarnToolButton::StaticClass(), TQuarnImageButton::StaticClass(),
                   TQuarnAnimateButton::StaticClass(), TQnURLButton::StaticClass(), TQuarnLabel::StaticClass(),
                   TQuarnCheckBox::StaticClass(), TQuarnRadioBox::StaticClass(), TQuarnPanel::StaticClass(),
                   TQuarnBorderPanel::StaticClass(), TQuarnNCImage::StaticClass(), TQuarnNCLabel::StaticClass(),
                   TQuarnSystemButton::StaticClass()});
  if (!TQuarnResManagerObj()->OnGetImage()) TQuarnResManagerObj()->SetOnGetImage(TQnGetImageEvent(&GallerySpinnerStrip));
  auto form = std::make_unique<TControlsForm>(nullptr);
  LoadFormFile(ControlsFormFile(), form.get());
  form->SetPosition(poDesigned);
  auto* tips = new TQuarnEditTips(form->Get<TQuarnPasswordEdit>(u"EdPassword"));
  tips->SetPauseTime(0);
  form->PasswordTips = tips;
  return form;
}

void TControlsDriver::Pump() {
  MSG m;
  for (int i = 0; i < 100000 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void TControlsDriver::Wait(Integer Ms) {
  // On a real display the clock is real: the pauses the script waits for
  // (completion, hints, fades) must pass in earnest there.
  for (Integer t = 0; t < Ms; t += 10) {
    if (IsVirtualClock()) AdvanceClock(10);
    else Sleep(10);
    Pump();
  }
}

void TControlsDriver::MoveTo(TControl* C, Integer X, Integer Y) {
  const TPoint to = C->ClientToScreen(TPoint(X, Y));
  if (FAt.X >= 0) {
    for (Integer i = 1; i < 4; ++i) {
      InputMouseMove(FAt.X + (to.X - FAt.X) * i / 4, FAt.Y + (to.Y - FAt.Y) * i / 4);
      Pump();
    }
  }
  InputMouseMove(to.X, to.Y);
  FAt = to;
  Pump();
}

void TControlsDriver::Press(int Button) {
  InputMouseDown(Button == 1 ? VK_LBUTTON : VK_RBUTTON);
  Pump();
}

void TControlsDriver::Release(int Button) {
  InputMouseUp(Button == 1 ? VK_LBUTTON : VK_RBUTTON);
  Pump();
}

void TControlsDriver::Click(TControl* C, Integer X, Integer Y) {
  MoveTo(C, X, Y);
  Press();
  Wait(30);
  Release();
}

void TControlsDriver::Drag(TControl* C, TPoint From, TPoint To, Integer Steps) {
  MoveTo(C, From.X, From.Y);
  Press();
  for (Integer i = 1; i <= Steps; ++i) {
    const TPoint p = C->ClientToScreen(
        TPoint(From.X + (To.X - From.X) * i / Steps, From.Y + (To.Y - From.Y) * i / Steps));
    InputMouseMove(p.X, p.Y);
    FAt = p;
    Wait(20);
  }
  Release();
}

void TControlsDriver::Key(int VK) {
  InputKeyDown(VK);
  InputKeyUp(VK);
  Pump();
}

void TControlsDriver::Chord(int Modifier, int VK) {
  InputKeyDown(Modifier);
  Key(VK);
  InputKeyUp(Modifier);
  Pump();
}

void TControlsDriver::Type(const String& Text) {
  for (Char c : Text) {
    InputType(String(1, c));
    Wait(20);
  }
}

void TControlsDriver::Wheel(Integer Notches) {
  InputMouseWheel(Notches * WHEEL_DELTA);
  Pump();
}

namespace {

TPoint Centre(TControl* C) { return TPoint(C->Width() / 2, C->Height() / 2); }

TPoint RectCentre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

}  // namespace

std::vector<TControlsStep> ControlsScript() {
  std::vector<TControlsStep> s;
  s.push_back({"hover a push button", [](TControlsDriver& D) {
                 auto* b = D.F->Get<TQuarnButton>(u"BtnCancel");
                 D.MoveTo(b, b->Width() / 2, b->Height() / 2);
                 D.Wait(300);
               }});
  s.push_back({"press it", [](TControlsDriver& D) {
                 D.Press();
                 D.Wait(100);
               }});
  s.push_back({"release it: a click", [](TControlsDriver& D) {
                 D.Release();
                 D.Wait(300);
               }});
  s.push_back({"open and cancel the drop-down menu", [](TControlsDriver& D) {
                 auto* b = D.F->Get<TQuarnButton>(u"BtnSave");
                 D.MoveTo(b, b->Width() - 8, b->Height() / 2);
                 D.Wait(100);
                 D.OpenMenuAndCancel();
               }});
  s.push_back({"type into the edit, Ctrl+Left and select a word", [](TControlsDriver& D) {
                 auto* e = D.F->Get<TQuarnEdit>(u"EdName");
                 D.Click(e, e->Width() / 2, e->Height() / 2);
                 D.Type(u"Grace Hopper");
                 D.Chord(VK_CONTROL, VK_LEFT);
                 InputKeyDown(VK_SHIFT);
                 D.Chord(VK_CONTROL, VK_RIGHT);
                 InputKeyUp(VK_SHIFT);
                 D.Wait(100);
               }});
  s.push_back({"type a prefix into the editor combo and accept the completion", [](TControlsDriver& D) {
                 auto* c = D.F->Get<TQuarnComboBox>(u"CmbCity");
                 D.Click(c, c->Width() / 3, c->Height() / 2);
                 // Completion comes once per 200 ms: a pause between the
                 // letters as a person makes, then Enter takes the rest.
                 D.Type(u"L");
                 D.Wait(250);
                 D.Type(u"j");
                 D.Wait(250);
                 D.Key(VK_RETURN);
                 D.Wait(100);
               }});
  s.push_back({"press the list combo's button and drag down its list", [](TControlsDriver& D) {
                 auto* c = D.F->Get<TQuarnComboBox>(u"CmbSort");
                 const TRect& r = c->DropButton().R;
                 D.MoveTo(c, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
                 D.Press();
                 TQnListBox* inner = c->ListBox()->ListBox;
                 for (Integer row = 0; row <= 3; ++row) D.MoveTo(inner, 30, row * inner->ItemHeight() + inner->ItemHeight() / 2);
                 D.Wait(100);
               }});
  s.push_back({"release on a row: it is picked", [](TControlsDriver& D) {
                 D.Release();
                 D.Wait(100);
               }});
  s.push_back({"wheel the list box", [](TControlsDriver& D) {
                 auto* l = D.F->Get<TQuarnListBox>(u"LstCities");
                 D.Click(l->ListBox, 40, 10);
                 for (int i = 0; i < 3; ++i) {
                   D.Wheel(-1);
                   D.Wait(20);
                 }
               }});
  s.push_back({"drag the list box's thumb", [](TControlsDriver& D) {
                 TQuarnScrollBar* bar = D.F->Get<TQuarnListBox>(u"LstCities")->ScrollBar;
                 const TPoint from = RectCentre(bar->Button(TQuarnScrollBar::BtnThumb).Rect);
                 D.Drag(bar, from, TPoint(from.X, from.Y + 30));
                 D.Wait(50);
               }});
  s.push_back({"drag the scroll box's bar to the end: its check box comes into view", [](TControlsDriver& D) {
                 auto* box = D.F->Get<TQuarnScrollBox>(u"BoxScroll");
                 TQuarnScrollBar* bar = box->VScrollBar();
                 const TPoint from = RectCentre(bar->Button(TQuarnScrollBar::BtnThumb).Rect);
                 D.Drag(bar, from, TPoint(from.X, bar->Height()));
                 D.Wait(50);
               }});
  s.push_back({"toggle a check box and pick a radio", [](TControlsDriver& D) {
                 auto* c = D.F->Get<TQuarnCheckBox>(u"ChkSpell");
                 D.Click(c, 9, c->Height() / 2);
                 auto* r = D.F->Get<TQuarnRadioBox>(u"RadLarge");
                 D.Click(r, 9, r->Height() / 2);
                 D.Wait(100);
               }});
  s.push_back({"drag the splitter up", [](TControlsDriver& D) {
                 auto* sp = D.F->Get<TQuarnSplitter>(u"SplNotes");
                 const TPoint from = Centre(sp);
                 D.Drag(sp, from, TPoint(from.X, from.Y - 40));
                 D.Wait(50);
               }});
  s.push_back({"switch to another tab", [](TControlsDriver& D) {
                 auto* pc = D.F->Get<TQuarnPageControl>(u"PgSettings");
                 const TRect r = pc->GetItemRect(1);
                 D.Click(pc, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
                 D.Wait(100);
               }});
  s.push_back({"drag the track bar", [](TControlsDriver& D) {
                 auto* t = D.F->Get<TQnHLSTrackBar>(u"TrkHue");
                 const TPoint from = RectCentre(t->ThumbRect());
                 D.Drag(t, from, TPoint(t->Width() / 4, from.Y));
                 D.Wait(50);
               }});
  s.push_back({"drag the progress thumb", [](TControlsDriver& D) {
                 auto* p = D.F->Get<TQuarnProgressBar>(u"PrgUpload");
                 D.MoveTo(p, p->Width() / 2, p->Height() / 2);
                 D.Wait(100);
                 const TPoint from = RectCentre(p->ThumbRect());
                 D.Drag(p, from, TPoint(p->Width() * 3 / 4, from.Y));
                 D.Wait(50);
               }});
  s.push_back({"collapse the expand box", [](TControlsDriver& D) {
                 auto* x = D.F->Get<TQuarnExpandBox>(u"ExpDetails");
                 D.Click(x, x->Width() / 2, x->TitleHeight() / 2);
                 D.Wait(300);
               }});
  s.push_back({"hover a link of the HTML label", [](TControlsDriver& D) {
                 auto* h = D.F->Get<TQuarnHtmlLabel>(u"HtmlInfo");
                 // Along the first line until the pointer turns into a hand.
                 for (Integer x = 4; x < h->Width() - 4; x += 3) {
                   D.MoveTo(h, x, 9);
                   if (h->Cursor() == crHandPoint) break;
                 }
                 D.Wait(100);
               }});
  s.push_back({"show an edit tip", [](TControlsDriver& D) {
                 auto* e = D.F->Get<TQuarnPasswordEdit>(u"EdPassword");
                 D.Click(e, e->Width() / 2, e->Height() / 2);
                 D.F->PasswordTips->Show(u"Eight characters or more, please.");
                 D.Wait(100);
               }});
  return s;
}

void TControlsDriver::OpenMenuAndCancel() {
  // The menu runs its own loop: the idle hook takes the picture with the
  // menu open, then Escape closes it.
  int step = 0;
  TModalIdleHook saved = SetModalIdleHook([&] {
    switch (step++) {
      case 0:
        InputKeyDown(VK_DOWN);
        InputKeyUp(VK_DOWN);
        return true;
      case 1:
        MenuShown = true;
        if (OnMenuShown) OnMenuShown();
        InputKeyDown(VK_ESCAPE);
        InputKeyUp(VK_ESCAPE);
        return true;
      default:
        return false;
    }
  });
  Press();
  Release();
  SetModalIdleHook(saved);
  Wait(100);
}

}  // namespace gallery

QN_PUBLISHED_IMPL(gallery::TControlsForm)
