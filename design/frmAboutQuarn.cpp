#include "design/frmAboutQuarn.h"

#include <algorithm>
#include <memory>

#include "platform/classes/Streaming.h"
#include "platform/vcl/Bitmap.h"

namespace qn {

namespace {

const char* const kAboutForm = R"(object AbountQuarnForm: TAbountQuarnForm
  Left = 0
  Top = 0
  BorderStyle = bsNone
  Caption = 'About Quarn'
  ClientHeight = 335
  ClientWidth = 600
  Color = clWhite
  Position = poScreenCenter
  OnCreate = FormCreate
  object pnlBack: TQuarnPanel
    Left = 0
    Top = 0
    Width = 600
    Height = 335
    Align = alClient
    Alpha = 255
    GradientSize = 84
    object imgLogo: TImage
      Left = 18
      Top = 18
      Width = 200
      Height = 299
      Center = True
    end
    object lblTitle: TLabel
      Left = 244
      Top = 34
      Width = 320
      Height = 36
      AutoSize = False
      Caption = 'Quarn'
      Font.Color = 4210752
      Font.Height = -30
      Font.Style = [fsBold]
      ParentFont = False
      Transparent = True
    end
    object lblVersion: TLabel
      Left = 246
      Top = 80
      Width = 320
      Height = 20
      AutoSize = False
      Caption = 'Component Package, version 5.0'
      Font.Color = 8405056
      Font.Height = -15
      ParentFont = False
      Transparent = True
    end
    object lblText: TLabel
      Left = 246
      Top = 122
      Width = 326
      Height = 110
      AutoSize = False
      Caption = 'Skinned, alpha-blended components with their own 32-bit graphics, an XML library and a lazy tree view. Each component on the Quarn palette page shows this window from its About row.'
      Font.Color = 4210752
      Font.Height = -13
      ParentFont = False
      Transparent = True
      WordWrap = True
    end
    object lblCopyright: TLabel
      Left = 246
      Top = 246
      Width = 326
      Height = 18
      AutoSize = False
      Caption = 'The Quarn developers'
      Font.Color = 8421504
      Font.Height = -12
      ParentFont = False
      Transparent = True
    end
    object btnClose: TQuarnColorButton
      Left = 482
      Top = 284
      Width = 96
      Height = 30
      Caption = 'Close'
      RoundFrame = True
      OnClick = btnCloseClick
    end
  end
end
)";

template <class T>
T* Part(TComponent* Form, const Char* Name) {
  T* c = dynamic_cast<T*>(Form->FindComponent(Name));
  if (!c) throw EComponentError(u"The About window lacks " + String(Name));
  return c;
}

Integer gInitCount = 0;

}  // namespace

// ---------------------------------------------------------------------------
// The property editor

TPropertyAttributes TQnAboutBoxProperty::GetAttributes() { return TPropertyAttributes{paDialog, paReadOnly}; }

String TQnAboutBoxProperty::GetValue() { return kAboutQuarnValue; }

void TQnAboutBoxProperty::Edit() {
  std::unique_ptr<TAbountQuarnForm> form(TCustomForm::Create<TAbountQuarnForm>(Application));
  form->ShowModal();
}

// ---------------------------------------------------------------------------
// The window

void TAbountQuarnForm::FormCreate(TObject*) {
  pnlBack = Part<TQuarnPanel>(this, u"pnlBack");
  imgLogo = Part<TImage>(this, u"imgLogo");
  lblTitle = Part<TLabel>(this, u"lblTitle");
  lblVersion = Part<TLabel>(this, u"lblVersion");
  lblText = Part<TLabel>(this, u"lblText");
  lblCopyright = Part<TLabel>(this, u"lblCopyright");
  btnClose = Part<TQuarnColorButton>(this, u"btnClose");
  DrawQuarnLogo(imgLogo->Picture()->Bitmap(), imgLogo->Width(), imgLogo->Height());
}

void TAbountQuarnForm::btnCloseClick(TObject*) { Close(); }

void DrawQuarnLogo(TBitmap* Bitmap, Integer Width, Integer Height) {
  if (Width <= 0 || Height <= 0) throw EArgumentException(u"The logo needs a positive size");
  Bitmap->SetSize(Width, Height);
  TCanvas* c = Bitmap->Canvas();
  // A vertical gradient from deep to light blue, a row at a time.
  const Byte top[3] = {0x2E, 0x5A, 0x9A}, bottom[3] = {0x8C, 0xC4, 0xF0};
  for (Integer y = 0; y < Height; ++y) {
    Byte rgb[3];
    for (int i = 0; i < 3; ++i) rgb[i] = Byte(top[i] + (bottom[i] - top[i]) * y / std::max<Integer>(Height - 1, 1));
    c->Brush()->SetColor(TColor(rgb[0] | (rgb[1] << 8) | (rgb[2] << 16)));
    c->FillRect(0, y, Width, y + 1);
  }
  const Integer d = std::min(Width, Height) * 3 / 5;
  const Integer x0 = (Width - d) / 2, y0 = (Height - d) / 2 - d / 8;
  const Integer ring = std::max<Integer>(d / 9, 2);
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetWidth(ring);
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->Ellipse(x0 + ring / 2, y0 + ring / 2, x0 + d - ring / 2, y0 + d - ring / 2);
  // The tail, from inside the ring out past its lower right.
  c->MoveTo(x0 + d * 3 / 5, y0 + d * 3 / 5);
  c->LineTo(x0 + d + d / 8, y0 + d + d / 8);
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Pen()->SetWidth(1);
}

const char* AboutQuarnFormText() { return kAboutForm; }

void InitAboutQuarnUnit() {
  if (gInitCount++ > 0) return;
  RegisterClasses({TAbountQuarnForm::StaticClass(), TQuarnPanel::StaticClass(), TImage::StaticClass(),
                   TLabel::StaticClass(), TQuarnColorButton::StaticClass()});
  RegisterFormResource(kAboutQuarnFormClass, kAboutForm);
}

void FinalAboutQuarnUnit() {
  if (gInitCount > 0) --gInitCount;
}

}  // namespace qn
