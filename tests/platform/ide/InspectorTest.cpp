#include "tests/platform/ide/IdeTestSupport.h"

#include "platform/vcl/Dialogs.h"

namespace t_inspector_test {

using namespace idetest;

namespace {

class Platform_Inspector : public IdeTest {
 protected:
  void SetUp() override {
    IdeTest::SetUp();
    Form = std::make_unique<TForm>(nullptr);
    Form->SetName(u"Form1");
    Designer = std::make_unique<TDesigner>(Form.get());
    B1 = static_cast<TButton*>(Designer->CreateComponent(TButton::StaticClass(), nullptr, TRect(8, 8, 88, 33)));
    B2 = static_cast<TButton*>(Designer->CreateComponent(TButton::StaticClass(), nullptr, TRect(8, 40, 88, 65)));
    Inspector = std::make_unique<TInspector>(Designer.get());
  }
  void TearDown() override {
    SetColorDialogResponder(nullptr);
    Inspector.reset();
    Designer.reset();
    Form.reset();
    IdeTest::TearDown();
  }
  TInspectorRow* Row(const char16_t* path) {
    TInspectorRow* r = Inspector->Row(path);
    EXPECT_NE(r, nullptr) << ToUtf8(path);
    return r;
  }
  std::unique_ptr<TForm> Form;
  std::unique_ptr<TDesigner> Designer;
  std::unique_ptr<TInspector> Inspector;
  TButton* B1 = nullptr;
  TButton* B2 = nullptr;
};

TEST_F(Platform_Inspector, RowsShowTheSelectedComponentsProperties) {
  Inspector->Select({B1});
  EXPECT_EQ(Designer->Selection(), (TDesignerSelections{B1}));
  std::vector<String> names;
  for (TInspectorRow* r : Inspector->Rows()) names.push_back(r->Name());
  // Every published property that is not an event, in the class's order.
  EXPECT_EQ(names.front(), u"Name");
  EXPECT_NE(std::find(names.begin(), names.end(), u"Caption"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), u"OnClick"), names.end());
  EXPECT_EQ(Row(u"Name")->Value(), u"Button1");
  EXPECT_EQ(Row(u"Left")->Value(), u"8");
  EXPECT_EQ(Row(u"Default")->Value(), u"False");
  EXPECT_EQ(Row(u"Anchors")->Value(), u"[akLeft,akTop]");
  EXPECT_EQ(Row(u"Font")->Value(), u"(TFont)");
  EXPECT_EQ(Row(u"Cursor")->Value(), u"crDefault");
  EXPECT_EQ(Row(u"Font")->TypeName(), u"TFont");
  EXPECT_EQ(Row(u"Font")->EditorClass(), TFontProperty::StaticClass());
  EXPECT_TRUE(Row(u"Font")->Attributes().Contains(paSubProperties));
  EXPECT_TRUE(Row(u"Default")->Attributes().Contains(paValueList));
  EXPECT_EQ(Row(u"Default")->ValueList(), (std::vector<String>{u"False", u"True"}));
  ASSERT_NE(Inspector->Event(u"OnClick"), nullptr);
  EXPECT_EQ(Inspector->Event(u"OnClick")->Value(), u"");
  // A change made elsewhere shows at once.
  B1->SetLeft(30);
  Designer->Modified();
  EXPECT_EQ(Row(u"Left")->Value(), u"30");
}

TEST_F(Platform_Inspector, TypingSetsEverySelectedComponentAndMarksModifiedOnce) {
  Inspector->Select({B1, B2});
  // Names are one component's own: no row for several.
  EXPECT_EQ(Inspector->Row(u"Name"), nullptr);
  EXPECT_EQ(Row(u"Top")->Value(), u"");  // they differ
  Integer before = Designer->ModifiedCount();
  Row(u"Left")->Type(u"40");
  EXPECT_EQ(B1->Left(), 40);
  EXPECT_EQ(B2->Left(), 40);
  EXPECT_EQ(Designer->ModifiedCount(), before + 1);
  EXPECT_EQ(Row(u"Left")->Value(), u"40");
  Row(u"Caption")->Type(u"Go");
  EXPECT_EQ(B2->Caption(), u"Go");
  // Refused values leave every component as it was and mark nothing.
  before = Designer->ModifiedCount();
  EXPECT_THROW(Row(u"Left")->Type(u"forty"), EPropertyError);
  EXPECT_THROW(Row(u"Default")->Type(u"Maybe"), EPropertyError);
  EXPECT_THROW(Row(u"Anchors")->Editor()->SetValue(u"[akLeft,akNowhere]"), EPropertyError);
  EXPECT_EQ(B1->Left(), 40);
  EXPECT_EQ(B1->Anchors(), (TAnchors{akLeft, akTop}));
  EXPECT_EQ(Designer->ModifiedCount(), before);
  Row(u"Anchors")->Editor()->SetValue(u"[akRight]");
  EXPECT_EQ(B2->Anchors(), TAnchors{akRight});
  EXPECT_EQ(Designer->ModifiedCount(), before + 1);
}

TEST_F(Platform_Inspector, ReadOnlyRowsRefuseTyping) {
  Inspector->Select({B1});
  TInspectorRow* font = Row(u"Font");
  EXPECT_TRUE(font->Attributes().Contains(paReadOnly));
  EXPECT_THROW(font->Type(u"(TFont)"), EPropertyError);
  EXPECT_THROW(Row(u"Left")->ClickEllipsis(), EInvalidOperation);
  EXPECT_THROW(Row(u"Left")->Expand(), EInvalidOperation);
  // Renaming goes through the component's own check.
  EXPECT_THROW(Row(u"Name")->Type(u"Button2"), EComponentError);
  EXPECT_THROW(Row(u"Name")->Type(u"1abc"), EComponentError);
  EXPECT_EQ(B1->Name(), u"Button1");
  Row(u"Name")->Type(u"OkButton");
  EXPECT_EQ(Designer->GetComponent(u"OkButton"), B1);
}

TEST_F(Platform_Inspector, SubPropertiesAndSetElementsExpand) {
  Inspector->Select({B1, B2});
  Row(u"Font")->Expand();
  ASSERT_NE(Inspector->Row(u"Font.Size"), nullptr);
  EXPECT_EQ(Row(u"Font.Size")->Level(), 1);
  // Named integers show and take their names.
  EXPECT_EQ(Row(u"Font.Charset")->Value(), u"DEFAULT_CHARSET");
  Row(u"Font.Charset")->Type(u"SYMBOL_CHARSET");
  EXPECT_EQ(B2->Font()->Charset(), SYMBOL_CHARSET);
  Row(u"Font.Charset")->Type(u"0");
  EXPECT_EQ(Row(u"Font.Charset")->Value(), u"ANSI_CHARSET");
  EXPECT_THROW(Row(u"Font.Charset")->Type(u"NO_CHARSET"), EPropertyError);
  Row(u"Font.Size")->Type(u"14");
  EXPECT_EQ(B1->Font()->Size(), 14);
  EXPECT_EQ(B2->Font()->Size(), 14);
  Row(u"Font.Style")->Expand();
  Row(u"Font.Style.fsBold")->Type(u"True");
  EXPECT_TRUE(B1->Font()->Style().Contains(TFontStyle::fsBold));
  EXPECT_EQ(Row(u"Font.Style")->Value(), u"[fsBold]");
  // Each component keeps the elements it had on its own.
  B2->Font()->SetStyle(TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic});
  Row(u"Font.Style.fsBold")->Type(u"False");
  EXPECT_EQ(B1->Font()->Style(), TFontStyles());
  EXPECT_EQ(B2->Font()->Style(), TFontStyles{TFontStyle::fsItalic});
  // The rows of an expanded row follow it.
  auto rows = Inspector->Rows();
  auto at = std::find(rows.begin(), rows.end(), Inspector->Row(u"Font"));
  ASSERT_NE(at, rows.end());
  EXPECT_EQ((*(at + 1))->Path().substr(0, 5), u"Font.");
}

TEST_F(Platform_Inspector, ColoursArePickedByNameListOrDialog) {
  auto* edit = static_cast<TEdit*>(Designer->CreateComponent(TEdit::StaticClass(), nullptr, TRect()));
  Inspector->Select({edit});
  TInspectorRow* color = Row(u"Color");
  EXPECT_EQ(color->Value(), u"clWindow");
  auto list = color->ValueList();
  EXPECT_NE(std::find(list.begin(), list.end(), u"clBtnFace"), list.end());
  color->Type(u"clRed");
  EXPECT_EQ(edit->Color(), clRed);
  color->Type(u"$00123456");
  EXPECT_EQ(edit->Color(), TColor(0x123456));
  // The "..." button opens the colour dialog with the value it has.
  SetColorDialogResponder([](TColorDialogCall& c) {
    EXPECT_EQ(c.Color, COLORREF(0x123456));
    c.Ok = true;
    c.Result = RGB(0, 0x80, 0);
    return true;
  });
  Row(u"Color")->ClickEllipsis();
  EXPECT_EQ(edit->Color(), TColor(RGB(0, 0x80, 0)));
  EXPECT_EQ(Row(u"Color")->Value(), u"clGreen");
  // Cancelled: nothing changes.
  Integer before = Designer->ModifiedCount();
  SetColorDialogResponder([](TColorDialogCall& c) {
    c.Ok = false;
    return true;
  });
  Row(u"Color")->ClickEllipsis();
  EXPECT_EQ(edit->Color(), TColor(RGB(0, 0x80, 0)));
  EXPECT_EQ(Designer->ModifiedCount(), before);
}

TEST_F(Platform_Inspector, AComponentFreedBehindItsBackLeavesTheRows) {
  Inspector->Select({B1, B2});
  Row(u"Font")->Expand();
  delete B2;
  EXPECT_EQ(Inspector->Selection(), (TDesignerSelections{B1}));
  // The rows now are B1's alone (its name among them) and read nothing freed.
  ASSERT_NE(Inspector->Row(u"Name"), nullptr);
  EXPECT_EQ(Row(u"Name")->Value(), u"Button1");
  Row(u"Left")->Type(u"12");
  EXPECT_EQ(B1->Left(), 12);
  delete B1;
  EXPECT_TRUE(Inspector->Rows().empty());
  EXPECT_TRUE(Inspector->Verbs().empty());
}

TEST_F(Platform_Inspector, VerbsAndDoubleClickGoToTheComponentEditor) {
  RegisterComponentEditor(TPart::StaticClass(), TPartEditor::StaticClass());
  auto* part = static_cast<TPart*>(Designer->CreateComponent(TPart::StaticClass(), nullptr, TRect()));
  Inspector->Select({part});
  EXPECT_EQ(Inspector->Verbs(), (std::vector<String>{u"Raise level", u"Reset"}));
  Inspector->ExecuteVerb(0);
  Inspector->ExecuteVerb(0);
  EXPECT_EQ(part->Level(), 2);
  EXPECT_EQ(Row(u"Level")->Value(), u"2");
  Inspector->DoubleClick();
  EXPECT_EQ(Row(u"Level")->Value(), u"3");
  Inspector->ExecuteVerb(1);
  EXPECT_EQ(part->Level(), 0);
  EXPECT_THROW(Inspector->ExecuteVerb(2), EListError);
  // The default editor's double-click asks for a handler.
  Inspector->Select({B1});
  EXPECT_TRUE(Inspector->Verbs().empty());
  Inspector->DoubleClick();
  ASSERT_EQ(DefaultEventRequests().size(), 1u);
  EXPECT_EQ(DefaultEventRequests()[0].MethodName, u"Button1Click");
}

// An editor with a "..." button that shows a modal form, the way a
// package's About box does.
Integer gDialogResult = -1;
class TAboutBoxProperty : public TPropertyEditor {
  QN_CLASS_CREATE(TAboutBoxProperty, TPropertyEditor, TPropertyEditorArgs)
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paDialog, paReadOnly}; }
  String GetValue() override { return u"(About)"; }
  void Edit() override {
    std::unique_ptr<TForm> box(new TForm(Application));
    box->SetName(u"AboutBox");
    auto* ok = new TButton(box.get());
    ok->SetName(u"btnClose");
    ok->SetParent(box.get());
    ok->SetModalResult(mrOk);
    gDialogResult = box->ShowModal();
  }
};

TEST_F(Platform_Inspector, TheEllipsisRunsAScriptedModalForm) {
  RegisterPropertyEditor(TypeRefOf<TAboutTag>(), nullptr, u"About", TAboutBoxProperty::StaticClass());
  auto* part = static_cast<TPart*>(Designer->CreateComponent(TPart::StaticClass(), nullptr, TRect()));
  Inspector->Select({part});
  TInspectorRow* about = Row(u"About");
  EXPECT_EQ(about->Value(), u"(About)");
  EXPECT_THROW(about->Type(u"x"), EPropertyError);
  ClearModalRuns();
  String seenName;
  SetModalScript([&](TCustomForm* form) {
    seenName = form->Name();
    static_cast<TButton*>(form->FindComponent(u"btnClose"))->Click();
  });
  EXPECT_EQ(PendingModalScripts(), 1);
  about->ClickEllipsis();
  EXPECT_EQ(seenName, u"AboutBox");
  EXPECT_EQ(gDialogResult, mrOk);
  EXPECT_EQ(PendingModalScripts(), 0);
  // Unscripted, the loop runs dry and cancels.
  Inspector->Row(u"About")->ClickEllipsis();
  EXPECT_EQ(gDialogResult, mrCancel);
  auto runs = ModalRuns();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(runs[0].Scripted);
  EXPECT_EQ(runs[0].Result, mrOk);
  EXPECT_EQ(runs[0].FormName, u"AboutBox");
  EXPECT_FALSE(runs[1].Scripted);
  EXPECT_EQ(runs[1].Result, mrCancel);
  // A script that leaves the form open still ends the same way.
  SetModalScript([](TCustomForm*) {});
  Inspector->Row(u"About")->ClickEllipsis();
  EXPECT_EQ(gDialogResult, mrCancel);
  EXPECT_THROW(SetModalScript(nullptr), EInvalidOperation);
}

// A form with a published handler, for the event rows.
class THandlerForm : public TForm {
  QN_CLASS_CREATE(THandlerForm, TForm, TComponent)
 public:
  explicit THandlerForm(TComponent* AOwner) : TForm(AOwner) {}
  void OkClick(TObject*) { ++Clicks; }
  void Other(TObject*) {}
  Integer Clicks = 0;
  QN_PUBLISHED(THandlerForm) {
    QN_METHOD(OkClick);
    QN_METHOD(Other);
  }
};

TEST_F(Platform_Inspector, EventRowsBindPublishedMethodsOfTheRoot) {
  THandlerForm form(nullptr);
  TDesigner d(&form);
  TInspector inspector(&d);
  auto* button = static_cast<TButton*>(d.CreateComponent(TButton::StaticClass(), nullptr, TRect()));
  inspector.Select({button});
  TInspectorRow* click = inspector.Event(u"OnClick");
  ASSERT_NE(click, nullptr);
  EXPECT_EQ(click->ValueList(), (std::vector<String>{u"OkClick", u"Other"}));
  click->Type(u"OkClick");
  EXPECT_EQ(click->Value(), u"OkClick");
  button->OnClick()(button);
  EXPECT_EQ(form.Clicks, 1);
  EXPECT_THROW(click->Type(u"Missing"), EPropertyError);
  click->Type(u"");
  EXPECT_FALSE(Assigned(button->OnClick()));
}

}  // namespace

}  // namespace t_inspector_test
