#include "tests/platform/ide/IdeTestSupport.h"

namespace t_designer_test {

using namespace idetest;

namespace {

class Platform_Designer : public IdeTest {};

TEST_F(Platform_Designer, UniqueNamesFillTheFirstGapWhateverTheCase) {
  TForm form(nullptr);
  form.SetName(u"Form1");
  TDesigner d(&form);
  EXPECT_EQ(d.UniqueName(u"TQuarnTabSheet"), u"QuarnTabSheet1");
  (new TButton(&form))->SetName(u"Button1");
  (new TButton(&form))->SetName(u"bUTTON3");
  EXPECT_EQ(d.UniqueName(u"TButton"), u"Button2");
  (new TButton(&form))->SetName(u"Button2");
  EXPECT_EQ(d.UniqueName(u"TButton"), u"Button4");
  // Only a leading T with more behind it goes; the root's own name counts.
  EXPECT_EQ(d.UniqueName(u"T"), u"T1");
  EXPECT_EQ(d.UniqueName(u"Form"), u"Form2");
  EXPECT_EQ(d.UniqueName(u"Tab"), u"ab1");
}

TEST_F(Platform_Designer, CreatedComponentsAreNamedPlacedAndAnnounced) {
  TForm form(nullptr);
  form.SetName(u"Form1");
  TRecorder rec;
  auto d = std::make_unique<TDesigner>(&form);
  EXPECT_TRUE(form.ComponentState().Contains(csDesigning));
  auto* b1 = static_cast<TButton*>(d->CreateComponent(TButton::StaticClass(), nullptr, TRect(10, 20, 110, 45)));
  auto* b2 = static_cast<TButton*>(d->CreateComponent(TButton::StaticClass(), &form, TRect(5, 60, 5, 60)));
  EXPECT_EQ(b1->Name(), u"Button1");
  EXPECT_EQ(b2->Name(), u"Button2");
  EXPECT_EQ(b1->Parent(), &form);
  EXPECT_EQ(b1->BoundsRect(), TRect(10, 20, 110, 45));
  // An empty rectangle places the component at its own size.
  EXPECT_EQ(b2->Left(), 5);
  TButton probe(nullptr);
  EXPECT_EQ(b2->Width(), probe.Width());
  EXPECT_TRUE(b1->ComponentState().Contains(csDesigning));
  EXPECT_EQ(d->GetComponent(u"BUTTON2"), b2);
  EXPECT_EQ(d->GetComponent(u"form1"), &form);
  EXPECT_EQ(d->GetComponent(u"Nothing"), nullptr);
  EXPECT_EQ(d->ModifiedCount(), 2);
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"Opened", "Inserted:Button1", "Modified", "Inserted:Button2", "Modified"}));
  EXPECT_THROW(d->CreateComponent(TStringList::StaticClass(), nullptr, TRect()), EInvalidOperation);
  EXPECT_THROW(TDesigner second(&form), EInvalidOperation);
  d.reset();
  EXPECT_EQ(rec.Log.back(), "Closed");
  EXPECT_FALSE(form.ComponentState().Contains(csDesigning));
}

TEST_F(Platform_Designer, AComponentFreedBehindItsBackLeavesSelectionAndEditorsFirst) {
  TForm form(nullptr);
  TDesigner d(&form);
  RegisterComponentEditor(TPart::StaticClass(), TPartEditor::StaticClass());
  auto* a = new TPart(&form);
  a->SetName(u"A");
  auto* b = new TPart(&form);
  b->SetName(u"B");
  d.SetSelections({a, b, a, nullptr});
  TDesignerSelections sel;
  d.GetSelections(sel);
  EXPECT_EQ(sel, (TDesignerSelections{a, b}));
  auto editor = GetComponentEditor(a, &d);
  EXPECT_EQ(editor->GetVerbCount(), 2);

  TRecorder rec;
  bool selectionClean = false, editorClean = false;
  rec.OnDeleted = [&](TPersistent* item) {
    selectionClean = std::find(d.Selection().begin(), d.Selection().end(), item) == d.Selection().end();
    editorClean = editor->Component() == nullptr;
  };
  delete a;
  EXPECT_TRUE(selectionClean);
  EXPECT_TRUE(editorClean);
  EXPECT_EQ(d.Selection(), (TDesignerSelections{b}));
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"Deleted:A", "Selection:1"}));
  EXPECT_EQ(editor->GetVerbCount(), 0);
  editor->Edit();  // nothing to run it on
  EXPECT_EQ(b->Level(), 0);
  // An editor that outlives its designer forgets it.
  auto late = GetComponentEditor(b, &d);
  late.reset();
}

TEST_F(Platform_Designer, DeleteSelectionFreesTheComponentsAndSelectsTheRoot) {
  TForm form(nullptr);
  form.SetName(u"Form1");
  TDesigner d(&form);
  auto* panel = d.CreateComponent(TPart::StaticClass(), nullptr, TRect());
  auto* inner = new TPart(panel);  // owned by the first: goes with it
  inner->SetName(u"Inner");
  auto* other = d.CreateComponent(TPart::StaticClass(), nullptr, TRect());
  d.SetSelections({panel, inner, &form});
  TRecorder rec;
  Integer before = d.ModifiedCount();
  d.DeleteSelection();
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), other);
  EXPECT_EQ(d.Selection(), (TDesignerSelections{&form}));
  EXPECT_EQ(d.ModifiedCount(), before + 1);
  EXPECT_EQ(std::count(rec.Log.begin(), rec.Log.end(), "Deleted:Inner"), 1);
  EXPECT_EQ(std::count(rec.Log.begin(), rec.Log.end(), "Deleted:Part1"), 1);
  // Only the root selected: nothing to delete, nothing modified.
  d.DeleteSelection();
  EXPECT_EQ(d.ModifiedCount(), before + 1);
}

TEST_F(Platform_Designer, TheDefaultEditorAsksForTheDefaultEvent) {
  TForm form(nullptr);
  TDesigner d(&form);
  auto* button = d.CreateComponent(TButton::StaticClass(), nullptr, TRect());
  auto* part = d.CreateComponent(TPart::StaticClass(), nullptr, TRect());
  auto* plain = d.CreateComponent(TComponent::StaticClass(), nullptr, TRect());
  GetComponentEditor(button, &d)->Edit();
  GetComponentEditor(part, &d)->Edit();   // OnChange before OnClick
  GetComponentEditor(plain, &d)->Edit();  // no events at all
  auto r = DefaultEventRequests();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].EventName, u"OnClick");
  EXPECT_EQ(r[0].MethodName, u"Button1Click");
  EXPECT_EQ(r[1].EventName, u"OnChange");
  EXPECT_EQ(r[1].MethodName, u"Part1Change");
}

TEST_F(Platform_Designer, TheCollectionEditorIsTheHostsToShow) {
  TForm form(nullptr);
  TDesigner d(&form);
  auto* part = d.CreateComponent(TPart::StaticClass(), nullptr, TRect());
  TCollection items(TCollectionItem::StaticClass());
  Integer shown = 0;
  auto old = SetCollectionEditorHook([&](const TCollectionEditorCall& c) {
    ++shown;
    EXPECT_EQ(c.Collection, &items);
  });
  ShowCollectionEditorClass(&d, TCollectionEditor::StaticClass(), part, &items, u"Items", {coAdd, coMove});
  SetCollectionEditorHook(old);
  auto calls = CollectionEditorCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(calls[0].Designer, &d);
  EXPECT_EQ(calls[0].EditorClass, TCollectionEditor::StaticClass());
  EXPECT_EQ(calls[0].PropertyName, u"Items");
  EXPECT_EQ(calls[0].Options, (TColOptions{coAdd, coMove}));
  EXPECT_THROW(ShowCollectionEditorClass(&d, TCollectionEditor::StaticClass(), part, nullptr, u"Items"),
               EInvalidOperation);
}

TEST_F(Platform_Designer, TheRootGoingFirstClosesNothingTwice) {
  TRecorder rec;
  auto* form = new TForm(nullptr);
  auto d = std::make_unique<TDesigner>(form);
  d->CreateComponent(TPart::StaticClass(), nullptr, TRect());
  d->SelectComponent(form);
  delete form;
  EXPECT_EQ(d->Root(), nullptr);
  EXPECT_TRUE(d->Selection().empty());
  EXPECT_EQ(d->GetComponent(u"Part1"), nullptr);
  EXPECT_THROW(d->CreateComponent(TPart::StaticClass(), nullptr, TRect()), EInvalidOperation);
  d.reset();
  EXPECT_EQ(rec.Log.back(), "Closed");
}

}  // namespace

}  // namespace t_designer_test
