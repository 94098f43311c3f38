// The process-wide registry of clipboard formats and a tree's published
// choice among them: priority order whatever order the names come in,
// names refused for the wrong tree class, registration by number, and
// look-ups by number and by name.
#include <gtest/gtest.h>

#include <memory>

#include "platform/classes/Strings.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_DrawTree.h"
#include "treeview/LazyTrees_qn_StringTree.h"

namespace t_lazy_trees_qn_clipboard_formats_test {

using namespace qn;

namespace {

std::vector<Word> Offered(TBaseLazyTree_qn* Tree) {
  TFormatEtcArray formats;
  Tree->GetNativeClipboardFormats(formats);
  std::vector<Word> ids;
  for (const TFormatEtc& f : formats) ids.push_back(f.cfFormat);
  return ids;
}

std::vector<String> Names(TStrings* List) {
  std::vector<String> v;
  for (Integer i = 0; i < List->Count(); ++i) v.push_back(List->Strings(i));
  return v;
}

// Registrations stay until the unit's end: tests that add formats take the
// shared set-up down afterwards so that others start from the seven.
struct TFreshRegistry {
  ~TFreshRegistry() { FinalizeGlobalStructures(); }
};

}  // namespace

TEST(LazyTrees_qn_ClipboardFormats, ATreeOffersWhatItNamesInPriorityOrder) {
  TLazyStringTree_qn tree(nullptr);
  EXPECT_TRUE(Offered(&tree).empty()) << "a new tree names no format";
  for (auto order : {std::vector<String>{u"Plain text", u"CSV", u"Lazy Tree Data"},
                     std::vector<String>{u"csv", u"lazy tree data", u"PLAIN TEXT"},
                     std::vector<String>{u"Lazy Tree Data", u"Plain text", u"CSV"}}) {
    tree.ClipboardFormats()->Clear();
    for (const String& s : order) EXPECT_GE(tree.ClipboardFormats()->Add(s), 0) << std::string(s.begin(), s.end());
    EXPECT_EQ(Offered(&tree), (std::vector<Word>{CF_LAZYTREE, CF_CSV, Word(CF_TEXT)}));
  }
  // The application's formats follow the registry's.
  tree.OnGetUserClipboardFormats = [](TBaseLazyTree_qn*, TFormatEtcArray& Formats) {
    TFormatEtc f;
    f.cfFormat = 0xC123;
    f.tymed = TYMED_HGLOBAL;
    Formats.push_back(f);
  };
  EXPECT_EQ(Offered(&tree), (std::vector<Word>{CF_LAZYTREE, CF_CSV, Word(CF_TEXT), 0xC123}));
  // So does the data object's enumeration.
  TIntf<IDataObject> obj(new TVTDataObject(&tree, false));
  IEnumFORMATETC* raw = nullptr;
  ASSERT_EQ(obj->EnumFormatEtc(DATADIR_GET, &raw), S_OK);
  TIntf<IEnumFORMATETC> e;
  e.Attach(raw);
  FORMATETC got[8];
  ULONG n = 0;
  EXPECT_EQ(e->Next(8, got, &n), S_FALSE);
  ASSERT_EQ(n, 4u);
  EXPECT_EQ(got[0].cfFormat, CF_LAZYTREE);
  EXPECT_EQ(got[2].cfFormat, Word(CF_TEXT));
  EXPECT_EQ(got[3].cfFormat, 0xC123);
}

TEST(LazyTrees_qn_ClipboardFormats, NamesOfOtherClassesOrUnknownNamesAreRefused) {
  TLazyDrawTree_qn draw(nullptr);
  TClipboardFormats* formats = draw.ClipboardFormats();
  EXPECT_EQ(formats->Add(u"HTML Format"), -1);
  EXPECT_EQ(formats->Add(u"No such format"), -1);
  formats->Insert(0, u"CSV");
  EXPECT_EQ(formats->Count(), 0);
  EXPECT_GE(formats->Add(u"Lazy Tree Data"), 0);
  EXPECT_EQ(formats->Add(u"Lazy Tree Data"), 0) << "a duplicate is ignored";
  EXPECT_EQ(formats->Count(), 1);
  EXPECT_EQ(Offered(&draw), std::vector<Word>{CF_LAZYTREE});

  // The setter drops what the tree may not offer; Assign and AddStrings too.
  TStringList given;
  for (const char16_t* s : {u"HTML Format", u"bogus", u"lazy tree data", u"Unicode text"}) given.Add(s);
  TLazyStringTree_qn strings(nullptr);
  TClipboardFormats wanted(&strings);
  wanted.AddStrings(&given);
  EXPECT_EQ(Names(&wanted), (std::vector<String>{u"HTML Format", u"lazy tree data", u"Unicode text"}));
  draw.SetClipboardFormats(&wanted);
  EXPECT_EQ(Names(formats), std::vector<String>{u"lazy tree data"});
  formats->Assign(&given);
  EXPECT_EQ(Names(formats), std::vector<String>{u"lazy tree data"});
  strings.SetClipboardFormats(&wanted);
  EXPECT_EQ(Offered(&strings), (std::vector<Word>{CF_LAZYTREE, CF_HTML, Word(CF_UNICODETEXT)}));
}

TEST(LazyTrees_qn_ClipboardFormats, DescriptionsAndRegistrationByNumber) {
  TFreshRegistry fresh;
  auto tree = std::make_unique<TLazyStringTree_qn>(nullptr);
  TClipboardFormatList* list = ClipboardFormatList();
  EXPECT_EQ(GetVTClipboardFormatDescription(Word(CF_UNICODETEXT)), u"Unicode text");
  EXPECT_EQ(GetVTClipboardFormatDescription(CF_LAZYTREE), u"Lazy Tree Data");
  EXPECT_EQ(GetVTClipboardFormatDescription(CF_VTREFERENCE), u"") << "the reference is not a registry entry";
  EXPECT_EQ(GetVTClipboardFormatDescription(0xBEEF), u"");

  const Integer before = list->Count();
  const TLazyTreeClass base = TBaseLazyTree_qn::StaticClass();
  RegisterVTClipboardFormat(Word(0), base, 10);
  EXPECT_EQ(list->Count(), before) << "0 names no format";
  RegisterVTClipboardFormat(Word(0xFEDC), base, 10);
  EXPECT_EQ(list->Count(), before) << "nor does a number the platform never registered";
  // A predefined number is named from the table, and the last entry with a
  // number answers for it.
  RegisterVTClipboardFormat(Word(13), base, 10);
  ASSERT_EQ(list->Count(), before + 1);
  EXPECT_EQ(list->Items(0).Description, u"Unicode text");
  EXPECT_EQ(list->Items(0).FormatEtc.cfFormat, 13);
  EXPECT_EQ(list->Items(0).FormatEtc.tymed, TYMED_HGLOBAL);
  EXPECT_EQ(list->Items(0).FormatEtc.ptd, nullptr);
  EXPECT_EQ(list->FindFormat(Word(13))->TreeClass, TCustomLazyStringTree_qn::StaticClass());
  RegisterVTClipboardFormat(Word(16), base, 300);
  EXPECT_EQ(GetVTClipboardFormatDescription(16), u"Locale descriptor");
  // A registered number takes the platform's name of it.
  const Word mine = Word(RegisterClipboardFormatW(u"Quarn Test Format"));
  RegisterVTClipboardFormat(mine, base, 60);
  EXPECT_EQ(GetVTClipboardFormatDescription(mine), u"Quarn Test Format");
  Word found = 0;
  EXPECT_EQ(list->FindFormat(u"quarn test FORMAT", found), base);
  EXPECT_EQ(found, mine);
  String description;
  EXPECT_EQ(list->FindFormat(mine, description), base);
  EXPECT_EQ(description, u"Quarn Test Format");
  EXPECT_EQ(list->FindFormat(u"nothing", found), nullptr);
  EXPECT_EQ(found, 0);

  // By name with a medium and aspect of its own; the registry is ordered.
  const Word streamed = RegisterVTClipboardFormat(u"Quarn Streamed", base, 55, TYMED_ISTREAM, nullptr,
                                                  DVASPECT_THUMBNAIL, 2);
  EXPECT_EQ(streamed, RegisterClipboardFormatW(u"Quarn Streamed"));
  const TClipboardFormatListEntry* e = list->FindFormat(u"Quarn Streamed");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->FormatEtc.tymed, TYMED_ISTREAM);
  EXPECT_EQ(e->FormatEtc.dwAspect, DVASPECT_THUMBNAIL);
  EXPECT_EQ(e->FormatEtc.lindex, 2);
  for (Integer i = 1; i < list->Count(); ++i) EXPECT_LE(list->Items(i - 1).Priority, list->Items(i).Priority);

  // What a class may offer: its own entries and its ancestors'.
  TStringList drawNames, stringNames;
  EnumerateVTClipboardFormats(TLazyDrawTree_qn::StaticClass(), &drawNames);
  EnumerateVTClipboardFormats(TLazyStringTree_qn::StaticClass(), &stringNames);
  EXPECT_EQ(Names(&drawNames), (std::vector<String>{u"Unicode text", u"Lazy Tree Data", u"Quarn Streamed",
                                                    u"Quarn Test Format", u"Locale descriptor"}));
  EXPECT_EQ(stringNames.Count(), list->Count());
  TFormatEtcArray drawFormats;
  EnumerateVTClipboardFormats(TLazyDrawTree_qn::StaticClass(), drawFormats);
  ASSERT_EQ(drawFormats.size(), 5u);
  EXPECT_EQ(drawFormats[2].cfFormat, streamed);

  // Registering for something that is not a tree class is an error that
  // changes nothing.
  const Integer count = list->Count();
  EXPECT_THROW(RegisterVTClipboardFormat(u"Form Format", TForm::StaticClass(), 1), EArgumentException);
  EXPECT_THROW(RegisterVTClipboardFormat(Word(1), nullptr, 1), EArgumentException);
  EXPECT_THROW(RegisterVTClipboardFormat(u"", base, 1), EArgumentException);
  EXPECT_EQ(list->Count(), count);
  tree.reset();
}

}  // namespace t_lazy_trees_qn_clipboard_formats_test
