#include "tests/platform/ide/IdeTestSupport.h"

namespace t_registration_test {

using namespace idetest;

namespace {

class Platform_Ide : public IdeTest {};

TEST_F(Platform_Ide, PalettePagesKeepTheOrderOfTheCalls) {
  RegisterComponents(u"Quarn", {TMidPart::StaticClass(), TPart::StaticClass()});
  RegisterComponents(u"Extra", {TButton::StaticClass()});
  RegisterComponents(u"Quarn", {TLeafPart::StaticClass()});
  EXPECT_EQ(Pages(), (std::vector<String>{u"Quarn", u"Extra"}));
  EXPECT_EQ(PaletteClasses(u"Quarn"),
            (std::vector<TClass>{TMidPart::StaticClass(), TPart::StaticClass(), TLeafPart::StaticClass()}));
  EXPECT_TRUE(PaletteClasses(u"None").empty());
  // Palette classes can be read from form files.
  EXPECT_EQ(GetClass(u"TLeafPart"), TLeafPart::StaticClass());
  // Something that is no component is refused and leaves the page alone.
  EXPECT_THROW(RegisterComponents(u"Quarn", {TStringList::StaticClass()}), EInvalidOperation);
  EXPECT_EQ(PaletteClasses(u"Quarn").size(), 3u);
  ResetRegistrations();
  EXPECT_TRUE(Pages().empty());
}

TEST_F(Platform_Ide, ComponentEditorsComeFromTheNearestAncestorAndTheLatestRegistration) {
  TComponent owner(nullptr);
  auto* leaf = new TLeafPart(&owner);
  auto* mid = new TMidPart(&owner);
  auto* base = new TPart(&owner);
  EXPECT_EQ(GetComponentEditor(leaf, nullptr)->ClassType(), TDefaultEditor::StaticClass());

  RegisterComponentEditor(TPart::StaticClass(), TPartEditor::StaticClass());
  RegisterComponentEditor(TMidPart::StaticClass(), TPartEditor::StaticClass());
  EXPECT_EQ(GetComponentEditor(leaf, nullptr)->ClassType(), TPartEditor::StaticClass());
  // A later registration for the same class wins; a registration for a
  // farther ancestor, however late, does not.
  RegisterComponentEditor(TMidPart::StaticClass(), TOtherPartEditor::StaticClass());
  RegisterComponentEditor(TComponent::StaticClass(), TPartEditor::StaticClass());
  EXPECT_EQ(GetComponentEditor(leaf, nullptr)->ClassType(), TOtherPartEditor::StaticClass());
  EXPECT_EQ(GetComponentEditor(mid, nullptr)->ClassType(), TOtherPartEditor::StaticClass());
  EXPECT_EQ(GetComponentEditor(base, nullptr)->ClassType(), TPartEditor::StaticClass());

  auto ed = GetComponentEditor(base, nullptr);
  EXPECT_EQ(ed->Component(), base);
  EXPECT_EQ(ed->Designer(), nullptr);
  EXPECT_EQ(ed->GetVerbCount(), 2);
  ed->Edit();  // the first verb
  EXPECT_EQ(base->Level(), 1);
  EXPECT_THROW(RegisterComponentEditor(TPart::StaticClass(), TStringProperty::StaticClass()), EInvalidOperation);
}

TEST_F(Platform_Ide, PropertyEditorsAreFilteredByTypeAndName) {
  TComponent owner(nullptr);
  auto* part = new TPart(&owner);
  const TTypeRef resId(tkUString, u"TQnResID");
  RegisterPropertyEditor(resId, nullptr, u"QnResID", TEditorA::StaticClass());
  // The name filter: Image is a TQnResID too, but not named so.
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"QnResID")), TEditorA::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"Image")), TStringProperty::StaticClass());
  // Without a name: every TQnResID property, never a plain string.
  RegisterPropertyEditor(resId, nullptr, u"", TEditorB::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"Image")), TEditorB::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"Caption")), TStringProperty::StaticClass());
  // Named beats unnamed, even when the unnamed one came later.
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"QnResID")), TEditorA::StaticClass());
  // The name compares without case.
  RegisterPropertyEditor(resId, nullptr, u"qnresid", TEditorC::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"QnResID")), TEditorC::StaticClass());
  // A C++ type by its own type reference.
  RegisterPropertyEditor(TypeRefOf<TAboutTag>(), nullptr, u"About", TEditorD::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"About")), TEditorD::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(part, u"Level")), TIntegerProperty::StaticClass());
}

TEST_F(Platform_Ide, ClassSpecificRegistrationsBeatGeneralOnes) {
  TComponent owner(nullptr);
  auto* leaf = new TLeafPart(&owner);
  auto* base = new TPart(&owner);
  const TTypeRef resId(tkUString, u"TQnResID");
  const TPropInfo* image = Prop(leaf, u"Image");
  RegisterPropertyEditor(resId, TMidPart::StaticClass(), u"", TEditorA::StaticClass());
  RegisterPropertyEditor(resId, nullptr, u"Image", TEditorB::StaticClass());
  // A class beats nil whatever the name says.
  EXPECT_EQ(GetPropertyEditorClass(TLeafPart::StaticClass(), image), TEditorA::StaticClass());
  // Not an ancestor: the class registration does not apply.
  EXPECT_EQ(GetPropertyEditorClass(TPart::StaticClass(), Prop(base, u"Image")), TEditorB::StaticClass());
  // A nearer class beats a farther one registered later.
  RegisterPropertyEditor(resId, TLeafPart::StaticClass(), u"", TEditorC::StaticClass());
  RegisterPropertyEditor(resId, TPart::StaticClass(), u"", TEditorD::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TLeafPart::StaticClass(), image), TEditorC::StaticClass());
  // Same class: named beats unnamed; the same standing goes to the later.
  RegisterPropertyEditor(resId, TLeafPart::StaticClass(), u"Image", TEditorD::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TLeafPart::StaticClass(), image), TEditorD::StaticClass());
  RegisterPropertyEditor(resId, TLeafPart::StaticClass(), u"Image", TEditorB::StaticClass());
  EXPECT_EQ(GetPropertyEditorClass(TLeafPart::StaticClass(), image), TEditorB::StaticClass());
}

TEST_F(Platform_Ide, EveryKindAndTheHostTypesHaveTheirOwnEditor) {
  TForm form(nullptr);
  auto* button = new TButton(&form);
  auto* edit = new TEdit(&form);
  auto cls = [&](TObject* o, const char16_t* name) { return GetPropertyEditorClass(o->ClassType(), Prop(o, name)); };
  EXPECT_EQ(cls(button, u"Caption"), TStringProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Left"), TIntegerProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Default"), TBoolProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Anchors"), TSetProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Font"), TFontProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Margins"), TClassProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Cursor"), TCursorProperty::StaticClass());
  EXPECT_EQ(cls(button, u"OnClick"), TMethodProperty::StaticClass());
  EXPECT_EQ(cls(button, u"Name"), TComponentNameProperty::StaticClass());
  EXPECT_EQ(cls(edit, u"Color"), TColorProperty::StaticClass());
  EXPECT_EQ(cls(edit, u"CharCase"), TEnumProperty::StaticClass());
  EXPECT_EQ(cls(edit, u"PasswordChar"), TCharProperty::StaticClass());
  // A registration replaces a host editor; a reset brings it back.
  RegisterPropertyEditor(TTypeRef(tkInteger, u"TColor"), nullptr, u"", TEditorA::StaticClass());
  EXPECT_EQ(cls(edit, u"Color"), TEditorA::StaticClass());
  ResetRegistrations();
  EXPECT_EQ(cls(edit, u"Color"), TColorProperty::StaticClass());
  // A class type matches its descendants.
  RegisterPropertyEditor(TTypeRef(TPersistent::StaticClass()), nullptr, u"", TEditorB::StaticClass());
  EXPECT_EQ(cls(button, u"Margins"), TEditorB::StaticClass());
  EXPECT_THROW(RegisterPropertyEditor(TTypeRef(), nullptr, u"", TEditorA::StaticClass()), EInvalidOperation);
  EXPECT_THROW(RegisterPropertyEditor(TTypeRef(tkInteger, u"X"), nullptr, u"", TButton::StaticClass()),
               EInvalidOperation);
}

}  // namespace

}  // namespace t_registration_test
