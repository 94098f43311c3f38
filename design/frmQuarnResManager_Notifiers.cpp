// Keeps the skin store in step with the project being worked on: every form
// opened in the host gets a notifier, and activating a form of another
// project reloads the store from that project's image list.
#include <cstdint>

#include "design/frmQuarnResManager.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

namespace {

struct TNotifierState {
  Integer InitCount = 0;
  Integer IdeNotifier = -1;
  // Open files with a form notifier; Objects hold the notifier's index in
  // the file's form editors.
  std::unique_ptr<TStringList> Files;
  String LastProjectPath;
  Integer FormNotifiers = 0;
};

TNotifierState& NotifierState() {
  static TNotifierState s;
  return s;
}

TObject* IndexAsObject(Integer Index) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(Index)); }
Integer ObjectAsIndex(TObject* O) { return static_cast<Integer>(reinterpret_cast<intptr_t>(O)); }

TIdeServices* NeedServices() {
  TIdeServices* s = IdeServices();
  Assert(s != nullptr, u"IOTAServices not available");
  return s;
}

template <class F>
void ForEachFormEditor(TIdeServices* Services, const String& FileName, F Do) {
  TOTAModule* module = Services ? Services->FindModule(FileName) : nullptr;
  if (!module) return;
  for (Integer i = 0; i < module->ModuleFileCount(); ++i) {
    TOTAEditor* editor = module->ModuleFileEditors(i);
    if (editor && editor->IsFormEditor())
      if (auto* form = dynamic_cast<TOTAFormEditor*>(editor)) Do(form);
  }
}

// Takes every form notifier of FileName off its form editors and forgets
// the file.
void DropFile(TIdeServices* Services, const String& FileName) {
  TStringList* files = NotifierState().Files.get();
  Integer at = files->IndexOf(FileName);
  while (at >= 0) {
    const Integer index = ObjectAsIndex(files->Objects(at));
    ForEachFormEditor(Services, FileName, [index](TOTAFormEditor* Form) { Form->RemoveNotifier(index); });
    files->Delete(at);
    at = files->IndexOf(FileName);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The form notifier

TQuarnFormNotifier::TQuarnFormNotifier(const String& FileName) : FDestFileName(FileName) { ++NotifierState().FormNotifiers; }

TQuarnFormNotifier::~TQuarnFormNotifier() { --NotifierState().FormNotifiers; }

Integer TQuarnFormNotifier::InstanceCount() { return NotifierState().FormNotifiers; }

void TQuarnFormNotifier::FormActivated() {
  const String folder = GetDestProjectPath(FDestFileName);
  TNotifierState& s = NotifierState();
  if (folder == s.LastProjectPath) return;
  s.LastProjectPath = folder;
  const String tmp = folder + kDesignTimeRes;
  if (!folder.empty() && FileExists(tmp)) TQuarnResManagerObj()->Refresh(tmp);
}

// ---------------------------------------------------------------------------
// The IDE notifier

void TQnIdeNotifier::FileNotification(TOTAFileNotification NotifyCode, const String& FileName, bool&) {
  TStringList* files = NotifierState().Files.get();
  if (!files) return;
  switch (NotifyCode) {
    case ofnFileOpened:
      ForEachFormEditor(IdeServices(), FileName, [&](TOTAFormEditor* Form) {
        auto notifier = std::make_shared<TQuarnFormNotifier>(FileName);
        const Integer index = Form->AddNotifier(notifier);
        // A refused notifier dies with the last reference, here.
        if (index >= 0) files->AddObject(FileName, IndexAsObject(index));
      });
      break;
    case ofnFileClosing: DropFile(IdeServices(), FileName); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------
// The unit

Integer QnIdeNotifierIndex() { return NotifierState().IdeNotifier; }

Integer FormNotifierFileCount() { return NotifierState().Files ? NotifierState().Files->Count() : 0; }

String LastRefreshedProjectPath() { return NotifierState().LastProjectPath; }

void InitQuarnResManagerUnit() {
  TNotifierState& s = NotifierState();
  if (s.InitCount++ > 0) return;
  try {
    InitQuarnResManagerForm();
    auto files = std::make_unique<TStringList>();
    files->SetSorted(true);
    // One entry per form editor: a module could have more than one.
    files->SetDuplicates(dupAccept);
    s.Files = std::move(files);
    s.IdeNotifier = NeedServices()->AddNotifier(std::make_shared<TQnIdeNotifier>());
  } catch (...) {
    // A start that failed leaves nothing behind for a finalization that
    // will not come.
    s.Files.reset();
    s.IdeNotifier = -1;
    --s.InitCount;
    throw;
  }
}

void FinalQuarnResManagerUnit() {
  TNotifierState& s = NotifierState();
  if (s.InitCount == 0 || --s.InitCount > 0) return;
  struct TCleanUp {
    TNotifierState& S;
    ~TCleanUp() {
      S.Files.reset();
      S.LastProjectPath.clear();
      S.IdeNotifier = -1;
    }
  } cleanUp{s};
  TIdeServices* services = IdeServices();
  // Form notifiers still hanging on open forms would outlive the code they
  // belong to.
  if (s.Files) {
    while (s.Files->Count() > 0) DropFile(services, s.Files->Strings(0));
  }
  if (s.IdeNotifier >= 0) NeedServices()->RemoveNotifier(s.IdeNotifier);
}

}  // namespace qn
