// The design host's services as a package sees them: notifiers on files
// opening and closing and on compiling, the modules and projects that are
// open, and the editors of a module's files (a form editor takes form
// notifiers). A test or demo plays the developer through AddProject,
// OpenFile, CloseFile, ActivateForm and SetCurrentModule.
//
// Notifiers belong to the services once added and go when removed (or when
// the services are reset); an editor that refuses one (SetRefuseFormNotifiers)
// answers -1 and keeps nothing.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include <functional>

#include "platform/classes/Component.h"
#include "platform/rtl/TypInfo.h"

namespace vcl {

enum class TOTAFileNotification {
  ofnFileOpening, ofnFileOpened, ofnFileClosing, ofnDefaultDesktopLoad, ofnDefaultDesktopSave,
  ofnProjectDesktopLoad, ofnProjectDesktopSave, ofnPackageInstalled, ofnPackageUninstalled,
  ofnActiveProjectChanged
};
QN_ENUM_NAMES(TOTAFileNotification, ofnFileOpening, ofnFileOpened, ofnFileClosing, ofnDefaultDesktopLoad,
              ofnDefaultDesktopSave, ofnProjectDesktopLoad, ofnProjectDesktopSave, ofnPackageInstalled,
              ofnPackageUninstalled, ofnActiveProjectChanged)
using enum TOTAFileNotification;

class TOTAProject;

// What every notifier can be told.
class IOTANotifier {
 public:
  virtual ~IOTANotifier() = default;
  virtual void AfterSave() {}
  virtual void BeforeSave() {}
  virtual void Destroyed() {}
  virtual void Modified() {}
};

// The base a package's notifier classes derive from (beside the notifier
// interface they implement): an object of the class model, so a notifier
// has a class reference, with the do-nothing answers of IOTANotifier.
class TNotifierObject : public TObject {
  QN_CLASS(TNotifierObject, TObject)
 public:
  TNotifierObject() = default;
};

class IOTAIDENotifier : public IOTANotifier {
 public:
  virtual void FileNotification(TOTAFileNotification NotifyCode, const String& FileName, bool& Cancel) = 0;
  virtual void BeforeCompile(TOTAProject* Project, bool& Cancel) = 0;
  virtual void AfterCompile(bool Succeeded) = 0;
};

class IOTAFormNotifier : public IOTANotifier {
 public:
  virtual void FormActivated() = 0;
  virtual void FormSaving() = 0;
  virtual void ComponentRenamed(TComponent* Component, const String& OldName, const String& NewName) = 0;
};

// The editor of one file of a module: the source, or the form.
class TOTAEditor {
 public:
  TOTAEditor(const String& AFileName, bool AIsForm) : FFileName(AFileName), FIsForm(AIsForm) {}
  virtual ~TOTAEditor() = default;
  const String& FileName() const { return FFileName; }
  bool IsFormEditor() const { return FIsForm; }

 private:
  String FFileName;
  bool FIsForm;
};

class TOTAFormEditor : public TOTAEditor {
 public:
  explicit TOTAFormEditor(const String& AFileName) : TOTAEditor(AFileName, true) {}
  ~TOTAFormEditor() override;
  // The notifier's index, or -1 when the editor refuses it.
  Integer AddNotifier(std::shared_ptr<IOTAFormNotifier> Notifier);
  // Unknown indexes are ignored.
  void RemoveNotifier(Integer Index);
  Integer NotifierCount() const;
  void Activate();
  void Saving();
  void Renamed(TComponent* Component, const String& OldName, const String& NewName);

 private:
  std::vector<std::shared_ptr<IOTAFormNotifier>> FNotifiers;  // nil where removed
};

// An open unit: its source file and, for a form unit, the form file.
class TOTAModule {
 public:
  TOTAModule(const String& AFileName, bool HasForm);
  const String& FileName() const { return FFileName; }
  Integer ModuleFileCount() const { return Integer(FEditors.size()); }
  TOTAEditor* ModuleFileEditors(Integer Index) const;

 private:
  String FFileName;
  std::vector<std::unique_ptr<TOTAEditor>> FEditors;
};

class TOTAProject {
 public:
  TOTAProject(const String& AFileName, std::vector<String> AModules)
      : FFileName(AFileName), FModules(std::move(AModules)) {}
  const String& FileName() const { return FFileName; }
  // The files of the project's units (".pas" and ".dfm" as listed).
  Integer GetModuleCount() const { return Integer(FModules.size()); }
  const String& GetModule(Integer Index) const;

 private:
  String FFileName;
  std::vector<String> FModules;
};

class TOTAProjectGroup {
 public:
  Integer ProjectCount() const { return Integer(FProjects.size()); }
  TOTAProject* Projects(Integer Index) const;
  TOTAProject* ActiveProject() const { return FProjects.empty() ? nullptr : FProjects.back().get(); }

 private:
  friend class TIdeServices;
  std::vector<std::unique_ptr<TOTAProject>> FProjects;
};

class TIdeServices {
 public:
  TIdeServices();
  ~TIdeServices();

  // IDE notifiers: the index to remove it by.
  Integer AddNotifier(std::shared_ptr<IOTAIDENotifier> Notifier);
  void RemoveNotifier(Integer Index);
  Integer NotifierCount() const;

  // Modules.
  TOTAModule* CurrentModule() const { return FCurrent; }
  // By file name, ignoring case; nil when the file is not open.
  TOTAModule* FindModule(const String& FileName) const;
  Integer ModuleCount() const { return Integer(FModules.size()); }
  TOTAProjectGroup* MainProjectGroup() { return &FGroup; }

  // Playing the developer.
  TOTAProject* AddProject(const String& FileName, std::vector<String> Modules);
  // ofnFileOpening (a notifier may cancel: the file then stays shut), the
  // module opens (with a form editor for its ".dfm" when HasForm) and
  // becomes current, then ofnFileOpened. False when cancelled.
  bool OpenFile(const String& FileName, bool HasForm = true);
  // ofnFileClosing, then the module goes. False when not open or cancelled.
  bool CloseFile(const String& FileName);
  // The module's form editors tell their notifiers FormActivated.
  void ActivateForm(const String& FileName);
  void SetCurrentModule(const String& FileName);
  // BeforeCompile (cancellable) and AfterCompile to every notifier.
  bool Compile(TOTAProject* Project, bool Succeeds = true);
  // Form editors opened from now on refuse notifiers.
  void SetRefuseFormNotifiers(bool Value) { FRefuseFormNotifiers = Value; }
  bool RefuseFormNotifiers() const { return FRefuseFormNotifiers; }

 private:
  void Tell(const std::function<void(IOTAIDENotifier&)>& f);
  std::vector<std::shared_ptr<IOTAIDENotifier>> FNotifiers;  // nil where removed
  std::vector<std::unique_ptr<TOTAModule>> FModules;
  TOTAModule* FCurrent = nullptr;
  TOTAProjectGroup FGroup;
  bool FRefuseFormNotifiers = false;
};

// The services of the running host; nil in no-services mode.
TIdeServices* IdeServices();
// Installs Services (the caller keeps it) or nil for no-services mode; the
// services set before are returned.
TIdeServices* SetIdeServices(TIdeServices* Services);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
