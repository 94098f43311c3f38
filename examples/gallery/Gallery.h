// The gallery: each page draws one sheet and writes it into the output folder.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Types.h"

namespace gallery {

struct Page {
  const char* Name;
  // Writes the page's pictures into outDir and returns their paths.
  std::vector<std::string> (*Run)(const std::string& outDir);
};

// A scratch folder for the files pages make on their way (pictures they
// load, skin folders), outside the gallery folder so that it holds only the
// pages; created on first use, removed by RemoveWorkFolder at the end.
std::string WorkFolder();
void RemoveWorkFolder();

// A 240 x 150 landscape (sky, sun, hills, lake) written as PNG; its path.
vcl::String MakeLandscape(const std::string& FileName);

// Every page, in the order the gallery runs them (Pages.cpp).
std::vector<Page> AllPages();

// The live gallery (Live.cpp): whether it runs, and the point where a page
// that built its windows hands them to the person until they close them (a
// no-op when writing pictures).
bool Live();
void Hold();
// Shows the launcher on the display; the program's exit code.
int RunLive(const std::string& outDir);

}  // namespace gallery
