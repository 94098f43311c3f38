// The document: its options with their defaults, its top-level nodes and the
// skeleton a fresh document gets.
#include "xml/PlainXml_qn.h"

namespace qn {

namespace {
// The key the binary form uses when none is set; a placeholder, since no
// coder ships with the library.
const char kDefaultAesKeyHex[] = "5175617270584D4C4B65794465666175";
}  // namespace

TPlainXml::TPlainXml(TComponent* AOwner, bool HasDeclaration, bool HasDocType, bool HasRoot, const UTF8String& RootName)
    : TDebugComponent(AOwner) {
  FSymbolTable = new TsdSymbolTable(this);
  FRootNodes = std::make_unique<TsdNodeList>(true);
  FHasDeclaration = HasDeclaration;
  FHasDocType = HasDocType;
  FHasRoot = HasRoot;
  FRootName = RootName;
  ResetDefaults();
  ClearData(HasDeclaration, HasDocType, HasRoot);
}

TPlainXml::TPlainXml(TComponent* AOwner) : TPlainXml(AOwner, false, false, true, UTF8String()) {}

TPlainXml::TPlainXml(const UTF8String& RootName, TComponent* AOwner) : TPlainXml(AOwner, true, false, true, RootName) {}

TPlainXml::~TPlainXml() {
  FRootNodes.reset();
  delete FSymbolTable;
  FSymbolTable = nullptr;
}

void TPlainXml::ResetDefaults() {
  FDirectCloseTag = "/>";
  FDropCommentsOnParse = false;
  FEolStyle = esCRLF;
  FFloatAllowScientific = true;
  FFloatSignificantDigits = 6;
  FExternalBomInfo = TsdBomInfo();
  FExternalCodePage = 0;
  FExternalEncoding = seUTF8;
  FFixStructuralErrors = false;
  FIndentString = "\t";
  FNodeClosingStyle = ncClose;
  FParserWarnings = false;
  FSplitSecondDigits = 0;
  FXmlFormat = xfPreserve;
  FUseLocalBias = false;
  FWriteOnDefault = true;
  FBinaryMethod = bmDefault;
  FAesKeyHex = kDefaultAesKeyHex;
}

void TPlainXml::ClearData(bool HasDeclaration, bool HasDocType, bool HasRoot) {
  FRootNodes->Clear();
  FSymbolTable->Clear();
  if (HasDeclaration) {
    auto d = std::make_unique<TsdDeclaration>(this);
    d->SetVersion("1.0");
    d->SetEncoding("utf-8");
    FRootNodes->Add(d.release());
  }
  if (HasDocType) {
    auto t = std::make_unique<TsdDocType>(this);
    t->SetName(FRootName);
    t->ExternalID()->SetCoreValue("SYSTEM");
    FRootNodes->Add(t.release());
  }
  if (HasRoot) {
    std::unique_ptr<TXmlNode> r(static_cast<TXmlNode*>(GetRootNodeClass()->Create(this)));
    r->SetName(FRootName);
    FRootNodes->Add(r.release());
  }
}

void TPlainXml::Clear() { ClearData(FHasDeclaration, FHasDocType, FHasRoot); }

void TPlainXml::New() {
  FHasDeclaration = true;
  Clear();
}

TsdDeclaration* TPlainXml::GetOrCreateDeclarationNode() {
  TXmlNode* first = FRootNodes->GetItems(0);
  if (first && first->ElementType() == xeDeclaration) return static_cast<TsdDeclaration*>(first);
  auto d = std::make_unique<TsdDeclaration>(this);
  FRootNodes->Insert(0, d.get());
  return d.release();
}

TsdElement* TPlainXml::Root() const {
  TXmlNode* n = FRootNodes ? FRootNodes->ByType(xeElement) : nullptr;
  return n && n->Is<TsdElement>() ? static_cast<TsdElement*>(n) : nullptr;
}

TsdDeclaration* TPlainXml::Declaration() const {
  TXmlNode* n = FRootNodes ? FRootNodes->ByType(xeDeclaration) : nullptr;
  return static_cast<TsdDeclaration*>(n);
}

TsdDocType* TPlainXml::DocType() const {
  TXmlNode* n = FRootNodes ? FRootNodes->ByType(xeDocType) : nullptr;
  return static_cast<TsdDocType*>(n);
}

void TPlainXml::DoNodeNew(TXmlNode* ANode) {
  if (Assigned(FOnNodeNew)) FOnNodeNew(this, ANode);
}

void TPlainXml::DoNodeLoaded(TXmlNode* ANode) {
  if (Assigned(FOnNodeLoaded)) FOnNodeLoaded(this, ANode);
}

void TPlainXml::DoProgress(Int64 Position) {
  if (Assigned(FOnProgress)) FOnProgress(this, Position);
}

}  // namespace qn
