// The accessibility factory and the tree's WM_GETOBJECT: which provider is
// asked for the tree's object and for its item's, what the message answers
// for each object id, the WinEvents that start once an item object exists,
// and the lifetime of the objects against providers and trees going away.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/vcl/Forms.h"
#include "tests/common/WinEventRecorder.h"
#include "treeview/LazyTrees_qn_StringTree.h"
#include "treeview/VTAccessibilityFactory_qn.h"

namespace t_vtaccessibility_factory_qn_test {

using namespace qn;

namespace {

// Hands out the platform's standard object of the tree's client area (a
// real IAccessible), or nothing when told to.
class TProvider : public TInterfacedObject, public virtual IVTAccessibleProvider {
  QN_CLASS(TProvider, TInterfacedObject)
  QN_INTERFACES(IVTAccessibleProvider)
 public:
  explicit TProvider(bool* Freed = nullptr) : FFreed(Freed) {}
  ~TProvider() override {
    if (FFreed) *FFreed = true;
  }
  TIntf<IAccessible> CreateIAccessible(TBaseLazyTree_qn* ATree) override {
    Asked.push_back(ATree);
    if (!Answers) return nullptr;
    void* p = nullptr;
    if (CreateStdAccessibleObject(ATree->Handle(), OBJID_CLIENT, IID_IAccessible, &p) != S_OK) return nullptr;
    TIntf<IAccessible> result;
    result.Attach(static_cast<IAccessible*>(p));
    Made.push_back(result.get());
    return result;
  }
  bool Answers = true;
  std::vector<TBaseLazyTree_qn*> Asked;
  std::vector<IAccessible*> Made;

 private:
  bool* FFreed;
};

// An object's reference count, read through a reference taken and given
// back.
Integer RefCountOf(IAccessible* A) {
  Integer n = A->_AddRef();
  A->_Release();
  return n - 1;
}

class AccessibilityFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Factory = GetAccessibilityFactory();
    ASSERT_NE(Factory, nullptr);
    ASSERT_EQ(Factory->ProviderCount(), 0);
    Form = new TForm(nullptr);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 30, 400, 300);
    T = MakeTree();
    Form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    for (auto& p : Registered) Factory->UnRegisterAccessibleProvider(p);
    Registered.clear();
    delete Form;
  }
  TLazyStringTree_qn* MakeTree() {
    auto* t = new TLazyStringTree_qn(Form);
    t->SetParent(Form);
    t->SetBounds(10, 10, 300, 200);
    t->HandleNeeded();
    return t;
  }
  TProvider* Register(TProvider* P) {
    TIntf<IVTAccessibleProvider> intf(P);
    Registered.push_back(intf);
    Factory->RegisterAccessibleProvider(intf);
    return P;
  }
  static TMessage GetObjectMessage(LONG ObjectId, LRESULT Result = 0) {
    TMessage m{};
    m.Msg = WM_GETOBJECT;
    m.WParam = 0;
    m.LParam = LPARAM(ObjectId);
    m.Result = Result;
    return m;
  }

  TVTAccessibilityFactory* Factory = nullptr;
  TForm* Form = nullptr;
  TLazyStringTree_qn* T = nullptr;
  std::vector<TIntf<IVTAccessibleProvider>> Registered;
};

class VTAccessibilityFactory_qn : public AccessibilityFixture {};

}  // namespace

TEST_F(VTAccessibilityFactory_qn, WithoutProvidersTheTreeAnswersNoRequest) {
  EXPECT_EQ(GetAccessibilityFactory(), Factory) << "one factory per process";
  EXPECT_EQ(T->Perform(WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT)), 0);
  EXPECT_EQ(T->Accessible(), nullptr);
  EXPECT_EQ(T->AccessibleItem(), nullptr);
  EXPECT_EQ(Factory->CreateIAccessible(T).get(), nullptr);
  EXPECT_EQ(Factory->CreateIAccessible(nullptr).get(), nullptr);
  // A client then gets the platform's standard object.
  void* p = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(T->Handle(), DWORD(OBJID_CLIENT), IID_IAccessible, &p), S_OK);
  static_cast<IAccessible*>(p)->_Release();
  EXPECT_EQ(T->Accessible(), nullptr);
}

TEST_F(VTAccessibilityFactory_qn, OneProviderMakesTheTreeObjectThenTheItemObject) {
  TProvider* p = Register(new TProvider);
  LRESULT r = T->Perform(WM_GETOBJECT, 7, LPARAM(OBJID_CLIENT));
  ASSERT_GT(r, 0);
  ASSERT_EQ(p->Asked.size(), 2u);
  EXPECT_EQ(p->Asked[0], T);
  EXPECT_EQ(p->Asked[1], T);
  EXPECT_EQ(T->Accessible(), p->Made[0]);
  EXPECT_EQ(T->AccessibleItem(), p->Made[1]);
  // The answer redeems to the tree's own object, once.
  void* got = nullptr;
  ASSERT_EQ(ObjectFromLresult(r, IID_IAccessible, 7, &got), S_OK);
  EXPECT_EQ(got, static_cast<void*>(T->Accessible()));
  static_cast<IAccessible*>(got)->_Release();
  EXPECT_NE(ObjectFromLresult(r, IID_IAccessible, 7, &got), S_OK);
  // Later requests reuse both objects.
  LRESULT again = T->Perform(WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT));
  EXPECT_GT(again, 0);
  EXPECT_EQ(p->Asked.size(), 2u);
  ASSERT_EQ(ObjectFromLresult(again, IID_IAccessible, 0, &got), S_OK);
  static_cast<IAccessible*>(got)->_Release();
  // With an item object present the factory hands that one out.
  EXPECT_EQ(Factory->CreateIAccessible(T).get(), T->AccessibleItem());
  EXPECT_EQ(p->Asked.size(), 2u);
}

TEST_F(VTAccessibilityFactory_qn, ProvidersAreKeptOnceAndLaterOnesWinForTheItem) {
  auto* first = new TProvider;
  Register(first);
  Factory->RegisterAccessibleProvider(Registered[0]);
  EXPECT_EQ(Factory->ProviderCount(), 1) << "the same provider twice is kept once";
  Factory->RegisterAccessibleProvider(nullptr);
  EXPECT_EQ(Factory->ProviderCount(), 1);
  TProvider* second = Register(new TProvider);
  TProvider* third = Register(new TProvider);
  EXPECT_EQ(Factory->ProviderCount(), 3);
  third->Answers = false;

  // The tree's object comes from the first provider; the item's from the
  // latest one that has one.
  T->Perform(WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT));
  ASSERT_EQ(first->Made.size(), 1u);
  EXPECT_EQ(T->Accessible(), first->Made[0]);
  ASSERT_EQ(second->Made.size(), 1u);
  EXPECT_EQ(T->AccessibleItem(), second->Made[0]);
  EXPECT_EQ(third->Asked.size(), 1u);

  // When no later provider answers, the first makes the item too.
  TLazyStringTree_qn* other = MakeTree();
  second->Answers = false;
  other->Perform(WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT));
  ASSERT_EQ(first->Made.size(), 3u);
  EXPECT_EQ(other->Accessible(), first->Made[1]);
  EXPECT_EQ(other->AccessibleItem(), first->Made[2]);
  EXPECT_EQ(second->Asked.size(), 2u);
  EXPECT_EQ(third->Asked.size(), 2u);

  // Unregistering: an unknown provider changes nothing.
  TIntf<IVTAccessibleProvider> stranger(new TProvider);
  Factory->UnRegisterAccessibleProvider(stranger);
  EXPECT_EQ(Factory->ProviderCount(), 3);
  Factory->UnRegisterAccessibleProvider(Registered[1]);
  Factory->UnRegisterAccessibleProvider(Registered[1]);
  EXPECT_EQ(Factory->ProviderCount(), 2);
}

TEST_F(VTAccessibilityFactory_qn, OtherObjectIdsLeaveTheResultAlone) {
  TProvider* p = Register(new TProvider);
  for (LONG id : {OBJID_WINDOW, OBJID_TITLEBAR, LONG(-12), LONG(1)}) {
    TMessage m = GetObjectMessage(id, 4321);
    T->Dispatch(m);
    EXPECT_EQ(m.Result, 4321) << id;
  }
  // The objects were made all the same, on the first request.
  EXPECT_EQ(p->Asked.size(), 2u);
  EXPECT_NE(T->Accessible(), nullptr);
  TMessage m = GetObjectMessage(OBJID_CLIENT, 4321);
  T->Dispatch(m);
  EXPECT_NE(m.Result, 4321);
  void* got = nullptr;
  ASSERT_EQ(ObjectFromLresult(m.Result, IID_IAccessible, 0, &got), S_OK);
  static_cast<IAccessible*>(got)->_Release();
  // A provider that makes no tree object: the client answer is 0.
  TLazyStringTree_qn* other = MakeTree();
  p->Answers = false;
  TMessage none = GetObjectMessage(OBJID_CLIENT, 4321);
  other->Dispatch(none);
  EXPECT_EQ(none.Result, 0);
  EXPECT_EQ(other->Accessible(), nullptr);
}

TEST_F(VTAccessibilityFactory_qn, ItemEventsStartOnceTheItemObjectExists) {
  for (int i = 0; i < 2; ++i) T->Header()->Columns()->Add();
  T->SetRootNodeCount(3);
  qntest::TWinEventRecorder recorder(0x8000, 0x80FF);
  auto events = [&] {
    std::vector<DWORD> r;
    for (const auto& e : recorder.EventsOf(T->Handle())) r.push_back(e.Event);
    recorder.Clear();
    return r;
  };
  T->Header()->SetMainColumn(1);
  T->SetFocusedNode(T->GetFirst());
  EXPECT_TRUE(events().empty());

  Register(new TProvider);
  T->Perform(WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT));
  ASSERT_NE(T->AccessibleItem(), nullptr);
  recorder.Clear();
  T->Header()->SetMainColumn(0);
  std::vector<DWORD> seen = events();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], 0x800Cu);
  T->SetFocusedNode(T->GetNext(T->GetFirst()));
  EXPECT_EQ(events(), (std::vector<DWORD>{0x800B, 0x800C, 0x800E, 0x800A, 0x8006, 0x8005}));
}

TEST_F(VTAccessibilityFactory_qn, ObjectsOutliveTheirProviderAndGoWithTheTree) {
  bool providerFreed = false;
  Register(new TProvider(&providerFreed));
  LRESULT answer = T->Perform(WM_GETOBJECT, 0, LPARAM(OBJID_CLIENT));
  TIntf<IAccessible> tree(T->Accessible()), item(T->AccessibleItem());
  // The client redeems the answer and lets it go.
  void* got = nullptr;
  ASSERT_EQ(ObjectFromLresult(answer, IID_IAccessible, 0, &got), S_OK);
  static_cast<IAccessible*>(got)->_Release();
  ASSERT_TRUE(tree && item);
  Factory->UnRegisterAccessibleProvider(Registered[0]);
  Registered.clear();
  EXPECT_TRUE(providerFreed);
  // Still whole: the objects answer.
  VARIANT role;
  VariantInit(&role);
  EXPECT_EQ(tree->get_accRole(VariantI4(CHILDID_SELF), &role), S_OK);
  LONG count = -1;
  EXPECT_EQ(item->get_accChildCount(&count), S_OK);
  // The tree holds one reference to each; freeing it gives them back.
  Integer treeRefs = RefCountOf(tree.get()), itemRefs = RefCountOf(item.get());
  delete T;
  T = nullptr;
  EXPECT_EQ(RefCountOf(tree.get()), treeRefs - 1);
  EXPECT_EQ(RefCountOf(item.get()), itemRefs - 1);
  EXPECT_EQ(RefCountOf(tree.get()), 1);
}

}  // namespace t_vtaccessibility_factory_qn_test
