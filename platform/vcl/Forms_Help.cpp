// The application's help requests. There is no help viewer on this host:
// a request that goes out is recorded in the help log.
#include "platform/vcl/Forms.h"

namespace vcl {

String TApplication::CurrentHelpFile() const { return FHelpFile; }

bool TApplication::DoHelp(Word Command, NativeInt Data, const String& Keyword) {
  bool callHelp = true;
  bool result = false;
  if (OnHelp) result = OnHelp(Command, Data, callHelp);
  if (!callHelp) return result;
  THelpRequest r;
  r.Command = Command;
  r.Data = Data;
  r.Keyword = Keyword;
  r.HelpFile = CurrentHelpFile();
  FHelpLog.push_back(r);
  return !r.HelpFile.empty();
}

bool TApplication::HelpContext(THelpContext Context) { return DoHelp(HELP_CONTEXT, Context, String()); }

bool TApplication::HelpKeyword(const String& Keyword) {
  // The data of a keyword request points at its text while the request is
  // made; the log keeps a copy.
  return DoHelp(HELP_KEY, reinterpret_cast<NativeInt>(Keyword.c_str()), Keyword);
}

bool TApplication::HelpCommand(Integer Command, NativeInt Data) { return DoHelp(Word(Command), Data, String()); }

bool TApplication::HelpJump(const String& JumpID) {
  return DoHelp(HELP_COMMAND, reinterpret_cast<NativeInt>(JumpID.c_str()), JumpID);
}

}  // namespace vcl
