// The gallery: each page draws one sheet and writes it into the output folder.
#pragma once

#include <string>
#include <vector>

namespace gallery {

struct Page {
  const char* Name;
  // Writes the page's pictures into outDir and returns their paths.
  std::vector<std::string> (*Run)(const std::string& outDir);
};

// Every page, in the order the gallery runs them (Pages.cpp).
std::vector<Page> AllPages();

}  // namespace gallery
