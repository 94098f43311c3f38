// The XML layer's units.
#include "platform/rtl/Units.h"
#include "xml/PlainXml_qn.h"
#include "xml/uQuarnRes.h"

namespace qn {

void RegisterXmlUnits() {
  RegisterUnit({"sdDebug_qn", {"Classes"}, nullptr, nullptr});
  RegisterUnit({"sdStreams_qn", {"Classes"}, nullptr, nullptr});
  RegisterUnit({"sdStringTable_qn", {"sdDebug_qn", "sdStreams_qn"}, nullptr, nullptr});
  RegisterUnit({"PlainXml_qn", {"sdStringTable_qn", "SysUtils"}, InitPlainXml, DonePlainXml});
  RegisterUnit({"uQuarnRes", {"PlainXml_qn", "uQnFormSkinVar", "uQuarnForm"}, InitQuarnRes, DoneQuarnRes});
}

}  // namespace qn
