#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "tests/platform/streaming/TestClasses.h"

namespace t_streaming_test {

using namespace vcl;
using namespace strtest;

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string r;
  for (const char* l : lines) r += std::string(l) + "\r\n";
  return r;
}

class Platform_Streaming : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestClasses();
    Journal().clear();
  }
};

TEST_F(Platform_Streaming, DefaultsAndUnstoredValuesAreNotWritten) {
  TPanelForm form(nullptr);
  form.SetName(u"F");
  auto* w = new TWidget(&form);
  w->SetName(u"W");
  w->SetHidden(5);    // stored false
  w->SetCounter(7);   // the predicate says no for 7
  auto* ww = new TWideWidget(&form);
  ww->SetName(u"WW");
  ww->SetWidth(100);  // TWidget's default, not TWideWidget's: written
  EXPECT_EQ(ComponentToText(&form), Lines({"object F: TPanelForm", "  object W: TWidget", "    Big = 0", "  end",
                                           "  object WW: TWideWidget", "    Width = 100", "    Big = 0", "  end",
                                           "end"}));
  w->SetCounter(8);
  EXPECT_NE(ComponentToText(&form).find("Counter = 8"), std::string::npos);
}

TEST_F(Platform_Streaming, LoadedRunsAfterTheWholeTreeWithStateDuringAssignment) {
  std::unique_ptr<TComponent> root(LoadText(Lines({
      "object Panel: TPanelForm",
      "  object A: TWidget",
      "    Width = 1",
      "    Buddy = C",
      "  end",
      "  object B: TWidget",
      "    Width = 2",
      "  end",
      "  object C: TWidget",
      "    Width = 3",
      "  end",
      "end",
  })));
  EXPECT_EQ(Journal(), (std::vector<std::string>{"set Width loading A", "set Width loading B", "set Width loading C",
                                                 "loaded A", "loaded B", "loaded C"}));
  // The reference to a component defined later in the file is fixed up.
  auto* a = dynamic_cast<TWidget*>(root->FindComponent(u"A"));
  EXPECT_EQ(a->Buddy(), root->FindComponent(u"C"));
  for (Integer i = 0; i < root->ComponentCount(); ++i) {
    EXPECT_FALSE(root->Components(i)->ComponentState().Contains(csLoading));
    EXPECT_FALSE(root->Components(i)->ComponentState().Contains(csReading));
  }
  EXPECT_FALSE(root->ComponentState().Contains(csLoading));
}

TComponent* gOtherForm = nullptr;
TComponent* FindOther(const String& name) {
  return gOtherForm && SameText(gOtherForm->Name(), name) ? gOtherForm : nullptr;
}

TEST_F(Platform_Streaming, ReferencesToFormsReadLaterAreFixedUpThen) {
  RegisterFindGlobalComponentProc(&FindOther);
  std::unique_ptr<TComponent> first(LoadText(Lines({
      "object First: TPanelForm",
      "  object A: TWidget",
      "    Buddy = Second.Target",
      "  end",
      "end",
  })));
  auto* a = dynamic_cast<TWidget*>(first->FindComponent(u"A"));
  EXPECT_EQ(a->Buddy(), nullptr);
  EXPECT_EQ(PendingFixupCount(), 1);
  {
    std::unique_ptr<TComponent> second(LoadText(Lines({"object Second: TPanelForm", "  object Target: TWidget",
                                                        "  end", "end"})));
    gOtherForm = second.get();
    GlobalFixupReferences();
    EXPECT_EQ(a->Buddy(), second->FindComponent(u"Target"));
    EXPECT_EQ(PendingFixupCount(), 0);
    // Written back as a cross-form reference.
    EXPECT_NE(ComponentToText(first.get()).find("Buddy = Second.Target"), std::string::npos);
    gOtherForm = nullptr;
  }
  EXPECT_EQ(a->Buddy(), nullptr);  // freed with its form

  // A form freed while its reference waits takes the entry with it.
  std::unique_ptr<TComponent> third(LoadText(Lines({"object Third: TPanelForm", "  object A: TWidget",
                                                    "    Buddy = Nowhere.X", "  end", "end"})));
  EXPECT_EQ(PendingFixupCount(), 1);
  third.reset();
  EXPECT_EQ(PendingFixupCount(), 0);
  UnregisterFindGlobalComponentProc(&FindOther);
}

TEST_F(Platform_Streaming, UnknownPropertyRaisesUnlessOnErrorAcceptsIt) {
  std::string text = Lines({"object P: TPanelForm", "  object A: TWidget", "    Width = 5", "    Hue = 3",
                            "    Shade = shDeep", "  end", "end"});
  try {
    std::unique_ptr<TComponent> c(LoadText(text));
    ADD_FAILURE() << "accepted";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Error reading A.Hue: Property Hue does not exist on line 4");
  }
  // From a binary form the message says where the property starts.
  TMemoryStream in, bin;
  in.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
  in.SetPosition(0);
  ObjectTextToBinary(&in, &bin);
  bin.SetPosition(0);
  try {
    delete bin.ReadComponent(nullptr);
    ADD_FAILURE() << "accepted";
  } catch (const EReadError& e) {
    std::string bytes(static_cast<const char*>(bin.Memory()), static_cast<size_t>(bin.Size()));
    size_t at = bytes.find("\x03Hue");
    EXPECT_EQ(e.Message(), u"Error reading A.Hue: Property Hue does not exist at offset " +
                               FromUtf8(std::to_string(at)));
  }
  // The handler sees the message and lets the read go on past the value.
  bin.SetPosition(0);
  TReader reader(&bin);
  std::vector<String> seen;
  reader.OnError = [&](TReader*, const String& msg, bool& handled) {
    seen.push_back(msg);
    handled = true;
  };
  std::unique_ptr<TComponent> root(reader.ReadRootComponent(nullptr));
  auto* a = dynamic_cast<TWidget*>(root->FindComponent(u"A"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Width(), 5);
  EXPECT_EQ(a->Shade(), shDeep);
  EXPECT_EQ(seen.size(), 1u);
}

// Every way a form can be wrong, read into an existing root that must stay
// as it was, with nothing leaked (the sanitizer build checks the latter).
TEST_F(Platform_Streaming, MalformedFormsLeaveAnExistingRootUnchanged) {
  const std::string good = Lines({
      "object P: TPanelForm",
      "  Tag = 9",
      "  object A: TWidget",
      "    Width = 5",
      "    Caption = 'Wide '#1234",
      "    Ratio = 2.5",
      "    Columns = <",
      "      item",
      "        Title = 'x'",
      "      end>",
      "    Blob = {0102}",
      "    Big = 5000000000",
      "    Scale = 2s",
      "    Price = 5c",
      "    When = 3d",
      "    Shades = [shDark]",
      "  end",
      "  object B: TWidget",
      "    Buddy = A",
      "    OnClick = WidgetClick",
      "  end",
      "end",
  });
  std::string bin = TextToBinary(good);
  auto fresh = [] {
    auto form = std::make_unique<TPanelForm>(nullptr);
    form->SetName(u"P");
    form->SetTag(1);
    auto* keep = new TWidget(form.get());
    keep->SetName(u"Keep");
    keep->SetWidth(33);
    return form;
  };
  auto check = [](TPanelForm* form, const std::string& what) {
    EXPECT_EQ(form->ComponentCount(), 1) << what;
    EXPECT_EQ(form->Tag(), 1) << what;
    EXPECT_EQ(form->Name(), u"P") << what;
    EXPECT_EQ(dynamic_cast<TWidget*>(form->Components(0))->Width(), 33) << what;
    EXPECT_FALSE(form->ComponentState().Contains(csLoading)) << what;
  };
  // Every truncation: each value tag cut short somewhere.
  for (size_t n = 0; n < bin.size(); ++n) {
    auto form = fresh();
    TMemoryStream ms;
    if (n) ms.WriteBuffer(bin.data(), static_cast<Integer>(n));
    ms.SetPosition(0);
    EXPECT_THROW(ms.ReadComponent(form.get()), EReadError) << n;
    check(form.get(), "truncated at " + std::to_string(n));
  }
  // Semantic faults found after components were created and values assigned.
  const char* faults[][2] = {
      {"OnClick = WidgetClick", "OnClick = NoSuchMethod"},
      {"Buddy = A", "Buddy = Nobody"},
      {"Shades = [shDark]", "Shades = [shBlue]"},
      {"Width = 5", "Width = 'five'"},
      {"Ratio = 2.5", "Oops = 1"},
      {"Ratio = 2.5", "Ratio = 1E400"},
      {"Width = 5", "Width = 5000000000"},
      {"object B: TWidget", "object B: TNoSuchClass"},
      {"object B: TWidget", "object A: TWidget"},
      {"object B: TWidget", "inherited B: TWidget"},
      {"Title = 'x'", "Tilte = 'x'"},
      {"Blob = {0102}", "Blob = 5"},
      {"object P: TPanelForm", "object P: TWidget"},
  };
  for (auto& f : faults) {
    std::string text = good;
    text.replace(text.find(f[0]), std::strlen(f[0]), f[1]);
    auto form = fresh();
    EXPECT_THROW(TextToComponent(text, form.get()), EFilerError) << f[1];
    check(form.get(), f[1]);
  }
  // The good form does read.
  auto form = fresh();
  TextToComponent(good, form.get());
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(form->Tag(), 9);
}

TEST_F(Platform_Streaming, HugeLengthsAreRejectedBeforeAllocation) {
  std::string head = TextToBinary(Lines({"object A: TWidget", "end"})).substr(0, 4 + 8 + 2);
  for (char tag : {'\x0C', '\x12', '\x14', '\x0A'}) {  // vaLString, vaWString, vaUTF8String, vaBinary
    std::string bin = head + "\x07" "Caption" + tag + std::string("\xFF\xFF\xFF\x7F", 4) + "abc";
    TMemoryStream ms;
    ms.WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
    ms.SetPosition(0);
    try {
      delete ms.ReadComponent(nullptr);
      ADD_FAILURE() << "accepted tag " << int(tag);
    } catch (const EReadError& e) {
      EXPECT_NE(std::string(e.what()).find("at offset 23"), std::string::npos) << e.what();
    }
  }
  // Nesting deeper than the guard allows.
  std::string deep = head + "\x04List" + std::string(1000, '\x01') + std::string(1000, '\x00') + std::string(2, '\0');
  TMemoryStream ms;
  ms.WriteBuffer(deep.data(), static_cast<Integer>(deep.size()));
  ms.SetPosition(0);
  EXPECT_THROW(delete ms.ReadComponent(nullptr), EReadError);
  EXPECT_THROW(BinaryToText(deep), EReadError);
}

TEST_F(Platform_Streaming, UnknownClassRaisesClassNotFound) {
  EXPECT_THROW(delete LoadText(Lines({"object A: TNotRegistered", "end"})), EClassNotFound);
  EXPECT_THROW(delete LoadText(Lines({"object P: TPanelForm", "  object X: TNotRegistered", "  end", "end"})),
               EClassNotFound);
}

// Inherited forms: the ancestor's resource first, then the descendant's.
class TBaseModule : public TDataModule {
  QN_CLASS_CREATE(TBaseModule, TDataModule, TComponent)
 public:
  using TDataModule::TDataModule;
  Integer Created = 0;
  void ModuleCreate(TObject*) { ++Created; }
  void WidgetClick(TObject*) {}
  QN_PUBLISHED(TBaseModule) {
    QN_METHOD(ModuleCreate);
    QN_METHOD(WidgetClick);
  }
};

class TDerivedModule : public TBaseModule {
  QN_CLASS_CREATE(TDerivedModule, TBaseModule, TComponent)
 public:
  using TBaseModule::TBaseModule;
};

const char kBaseForm[] =
    "object BaseModule: TBaseModule\n"
    "  OnCreate = ModuleCreate\n"
    "  object Header: TWidget\n"
    "    Width = 10\n"
    "    Caption = 'Base'\n"
    "  end\n"
    "  object Footer: TWidget\n"
    "    Width = 20\n"
    "  end\n"
    "end\n";

const char kDerivedForm[] =
    "inherited DerivedModule: TDerivedModule\r\n"
    "  inherited Header: TWidget\r\n"
    "    Caption = 'Derived'\r\n"
    "    OnClick = WidgetClick\r\n"
    "  end\r\n"
    "  object Extra: TWidget\r\n"
    "    Big = 0\r\n"
    "    Buddy = Footer\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(Platform_Streaming, InheritedFormsReadInOrderAndWriteOnlyDifferences) {
  RegisterFormResource(u"TBaseModule", kBaseForm);
  RegisterFormResource(u"TDerivedModule", kDerivedForm);
  std::unique_ptr<TDerivedModule> m(CreateFromForm<TDerivedModule>(nullptr));
  EXPECT_EQ(m->Name(), u"DerivedModule");
  EXPECT_EQ(m->Created, 1);
  ASSERT_EQ(m->ComponentCount(), 3);
  auto* header = dynamic_cast<TWidget*>(m->FindComponent(u"Header"));
  auto* extra = dynamic_cast<TWidget*>(m->FindComponent(u"Extra"));
  ASSERT_TRUE(header && extra);
  EXPECT_EQ(header->Width(), 10);
  EXPECT_EQ(header->Caption(), u"Derived");
  EXPECT_EQ(extra->Buddy(), m->FindComponent(u"Footer"));

  std::unique_ptr<TBaseModule> base(CreateFromForm<TBaseModule>(nullptr));
  std::string text = ComponentToText(m.get(), base.get());
  EXPECT_EQ(text, kDerivedForm);
  EXPECT_EQ(BinaryToText(TextToBinary(text)), text);

  UnregisterResource(u"TDerivedModule", u"#10");
  UnregisterResource(u"TBaseModule", u"#10");
}

bool TestIdentToInt(const String& ident, Integer& v) {
  if (SameText(ident, u"clRed")) v = 1;
  else if (SameText(ident, u"clBlue")) v = 2;
  else return false;
  return true;
}
bool TestIntToIdent(Integer v, String& ident) {
  if (v == 1) ident = u"clRed";
  else if (v == 2) ident = u"clBlue";
  else return false;
  return true;
}

TEST_F(Platform_Streaming, NamedIntegerValuesUseTheirTypesNames) {
  RegisterIntegerConsts(u"TTestColour", &TestIdentToInt, &TestIntToIdent);
  TWidget w(nullptr);
  w.SetName(u"W");
  w.SetColour(2);
  EXPECT_NE(ComponentToText(&w).find("Colour = clBlue"), std::string::npos);
  w.SetColour(7);
  EXPECT_NE(ComponentToText(&w).find("Colour = 7"), std::string::npos);
  TextToComponent(Lines({"object W: TWidget", "  Colour = clRed", "end"}), &w);
  EXPECT_EQ(w.Colour(), 1);
  EXPECT_THROW(TextToComponent(Lines({"object W: TWidget", "  Colour = clGreen", "end"}), &w), EReadError);
  EXPECT_EQ(w.Colour(), 1);
  UnregisterIntegerConsts(u"TTestColour");
  EXPECT_THROW(TextToComponent(Lines({"object W: TWidget", "  Colour = clRed", "end"}), &w), EReadError);
}

TEST_F(Platform_Streaming, StringListsStreamAsLists) {
  std::string text = Lines({"object W: TWidget", "  Big = 0", "  Lines.Strings = (", "    'first'",
                            "    ''", "    'th'#39'ird')", "end"});
  std::unique_ptr<TComponent> c(LoadText(text));
  auto* w = dynamic_cast<TWidget*>(c.get());
  ASSERT_EQ(w->Lines()->Count(), 3);
  EXPECT_EQ(w->Lines()->Strings(2), u"th'ird");
  EXPECT_EQ(ComponentToText(w), text);
  // A failed read puts the lines back.
  std::string bad = text;
  bad.replace(bad.find("end"), 3, "  Nope = 1\r\nend");
  EXPECT_THROW(TextToComponent(bad, w), EReadError);
  EXPECT_EQ(ComponentToText(w), text);
  w->Lines()->Clear();
  EXPECT_THROW(TextToComponent(bad, w), EReadError);
  EXPECT_EQ(w->Lines()->Count(), 0);
}

TEST_F(Platform_Streaming, StreamReadAndWriteComponent) {
  TPanelForm form(nullptr);
  form.SetName(u"F");
  auto* w = new TWidget(&form);
  w->SetName(u"W");
  w->SetCaption(u"\u00E9t\u00E9");
  w->SetWhen(123.5);
  w->Blob = {1, 2, 3};
  TMemoryStream ms;
  ms.WriteComponent(&form);
  ms.SetPosition(0);
  EXPECT_EQ(TestStreamFormat(&ms), sofBinary);
  TPanelForm copy(nullptr);
  ms.ReadComponent(&copy);
  EXPECT_EQ(ms.Position(), ms.Size());
  auto* w2 = dynamic_cast<TWidget*>(copy.FindComponent(u"W"));
  ASSERT_NE(w2, nullptr);
  EXPECT_EQ(w2->Caption(), w->Caption());
  EXPECT_EQ(w2->When(), 123.5);
  EXPECT_EQ(w2->Blob, w->Blob);
  EXPECT_EQ(copy.Name(), u"F");
}

}  // namespace

}  // namespace t_streaming_test
