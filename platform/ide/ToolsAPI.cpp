#include "platform/ide/ToolsAPI.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

TIdeServices*& Current() {
  static TIdeServices* s = nullptr;
  return s;
}

// The slot of an index, or nullptr.
template <class T>
std::shared_ptr<T>* Slot(std::vector<std::shared_ptr<T>>& v, Integer Index) {
  if (Index < 0 || Index >= Integer(v.size()) || !v[size_t(Index)]) return nullptr;
  return &v[size_t(Index)];
}

template <class T>
Integer Live(const std::vector<std::shared_ptr<T>>& v) {
  return Integer(std::count_if(v.begin(), v.end(), [](const auto& p) { return p != nullptr; }));
}

String FormFileOf(const String& FileName) { return ChangeFileExt(FileName, u".dfm"); }

}  // namespace

TIdeServices* IdeServices() { return Current(); }

TIdeServices* SetIdeServices(TIdeServices* Services) {
  TIdeServices* old = Current();
  Current() = Services;
  return old;
}

// ---------------------------------------------------------------------------
// Editors, modules, projects

TOTAFormEditor::~TOTAFormEditor() {
  for (auto& n : FNotifiers)
    if (n) n->Destroyed();
}

Integer TOTAFormEditor::AddNotifier(std::shared_ptr<IOTAFormNotifier> Notifier) {
  if (!Notifier || (IdeServices() && IdeServices()->RefuseFormNotifiers())) return -1;
  FNotifiers.push_back(std::move(Notifier));
  return Integer(FNotifiers.size()) - 1;
}

void TOTAFormEditor::RemoveNotifier(Integer Index) {
  if (auto* s = Slot(FNotifiers, Index)) s->reset();
}

Integer TOTAFormEditor::NotifierCount() const { return Live(FNotifiers); }

void TOTAFormEditor::Activate() {
  // Copies: a notifier may remove itself.
  auto list = FNotifiers;
  for (auto& n : list)
    if (n) n->FormActivated();
}

void TOTAFormEditor::Saving() {
  auto list = FNotifiers;
  for (auto& n : list)
    if (n) n->FormSaving();
}

void TOTAFormEditor::Renamed(TComponent* Component, const String& OldName, const String& NewName) {
  auto list = FNotifiers;
  for (auto& n : list)
    if (n) n->ComponentRenamed(Component, OldName, NewName);
}

TOTAModule::TOTAModule(const String& AFileName, bool HasForm) : FFileName(AFileName) {
  FEditors.push_back(std::make_unique<TOTAEditor>(AFileName, false));
  if (HasForm) FEditors.push_back(std::make_unique<TOTAFormEditor>(FormFileOf(AFileName)));
}

TOTAEditor* TOTAModule::ModuleFileEditors(Integer Index) const {
  if (Index < 0 || Index >= ModuleFileCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FEditors[size_t(Index)].get();
}

const String& TOTAProject::GetModule(Integer Index) const {
  if (Index < 0 || Index >= GetModuleCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FModules[size_t(Index)];
}

TOTAProject* TOTAProjectGroup::Projects(Integer Index) const {
  if (Index < 0 || Index >= ProjectCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FProjects[size_t(Index)].get();
}

// ---------------------------------------------------------------------------
// Services

TIdeServices::TIdeServices() = default;

TIdeServices::~TIdeServices() {
  if (Current() == this) Current() = nullptr;
  for (auto& n : FNotifiers)
    if (n) n->Destroyed();
}

Integer TIdeServices::AddNotifier(std::shared_ptr<IOTAIDENotifier> Notifier) {
  if (!Notifier) throw EInvalidOperation(u"A notifier is needed");
  FNotifiers.push_back(std::move(Notifier));
  return Integer(FNotifiers.size()) - 1;
}

void TIdeServices::RemoveNotifier(Integer Index) {
  if (auto* s = Slot(FNotifiers, Index)) s->reset();
}

Integer TIdeServices::NotifierCount() const { return Live(FNotifiers); }

void TIdeServices::Tell(const std::function<void(IOTAIDENotifier&)>& f) {
  auto list = FNotifiers;
  for (auto& n : list)
    if (n) f(*n);
}

TOTAModule* TIdeServices::FindModule(const String& FileName) const {
  for (auto& m : FModules)
    if (SameText(m->FileName(), FileName)) return m.get();
  return nullptr;
}

TOTAProject* TIdeServices::AddProject(const String& FileName, std::vector<String> Modules) {
  FGroup.FProjects.push_back(std::make_unique<TOTAProject>(FileName, std::move(Modules)));
  return FGroup.FProjects.back().get();
}

bool TIdeServices::OpenFile(const String& FileName, bool HasForm) {
  if (FindModule(FileName)) {
    SetCurrentModule(FileName);
    return true;
  }
  bool cancel = false;
  Tell([&](IOTAIDENotifier& n) { n.FileNotification(ofnFileOpening, FileName, cancel); });
  if (cancel) return false;
  FModules.push_back(std::make_unique<TOTAModule>(FileName, HasForm));
  FCurrent = FModules.back().get();
  Tell([&](IOTAIDENotifier& n) {
    bool ignored = false;
    n.FileNotification(ofnFileOpened, FileName, ignored);
  });
  return true;
}

bool TIdeServices::CloseFile(const String& FileName) {
  TOTAModule* m = FindModule(FileName);
  if (!m) return false;
  bool cancel = false;
  Tell([&](IOTAIDENotifier& n) { n.FileNotification(ofnFileClosing, FileName, cancel); });
  if (cancel) return false;
  // A notifier may have closed it meanwhile.
  auto it = std::find_if(FModules.begin(), FModules.end(), [&](auto& p) { return p.get() == m; });
  if (it == FModules.end()) return true;
  if (FCurrent == m) FCurrent = nullptr;
  FModules.erase(it);
  return true;
}

void TIdeServices::ActivateForm(const String& FileName) {
  TOTAModule* m = FindModule(FileName);
  if (!m) throw EInvalidOperation(u"File " + FileName + u" is not open");
  FCurrent = m;
  for (Integer i = 0; i < m->ModuleFileCount(); ++i)
    if (auto* f = dynamic_cast<TOTAFormEditor*>(m->ModuleFileEditors(i))) f->Activate();
}

void TIdeServices::SetCurrentModule(const String& FileName) {
  TOTAModule* m = FindModule(FileName);
  if (!m) throw EInvalidOperation(u"File " + FileName + u" is not open");
  FCurrent = m;
}

bool TIdeServices::Compile(TOTAProject* Project, bool Succeeds) {
  bool cancel = false;
  Tell([&](IOTAIDENotifier& n) { n.BeforeCompile(Project, cancel); });
  if (cancel) return false;
  Tell([&](IOTAIDENotifier& n) { n.AfterCompile(Succeeds); });
  return Succeeds;
}

}  // namespace vcl
