// What the shell's units share.
#pragma once

#include <vector>

#include "platform/shell/ShellAPI.h"

namespace vcl::shell {

// A file-drop block as read within its size.
struct TDropContent {
  std::vector<String> Files;
  POINT Point;
  bool NonClient = false;
  bool Wide = false;
};
// False when the block is missing or shorter than its head.
bool ReadDrop(HDROP hDrop, TDropContent& out);
HGLOBAL MakeDropBlock(const std::vector<String>& files, POINT pt, bool nonClient);

}  // namespace vcl::shell
