// The gallery: each page draws one sheet and writes it into the output folder.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Types.h"

namespace vcl {
class TForm;
struct TScreenImage;
}  // namespace vcl

namespace gallery {

struct Page {
  const char* Name;
  // Writes the page's pictures into outDir and returns their paths.
  std::vector<std::string> (*Run)(const std::string& outDir);
  // Where the index lists the page, its title and the one sentence that says
  // what its pictures show. A page without them is listed by its name last.
  const char* Section = nullptr;
  const char* Title = nullptr;
  const char* Sentence = nullptr;
};

// The sections of the index, in the order a reader should meet them.
inline constexpr const char* kGraphics = "Graphics";
inline constexpr const char* kSkin = "Skin";
inline constexpr const char* kControls = "Controls";
inline constexpr const char* kForms = "Forms and windows";
inline constexpr const char* kTree = "Tree";
inline constexpr const char* kDesign = "Design";

// Puts a band with the page's title and sentence above each of its pictures,
// rewriting the files: the one heading every page has.
void CaptionPictures(const Page& page, const std::vector<std::string>& paths);

// A line of its own for one picture of a page, shown under its thumbnail in
// the index and, unless the picture shows it already, in its caption band.
void NotePicture(const std::string& path, const std::string& note, bool inPicture = false);

struct PageRun {
  Page Info;
  std::vector<std::string> Paths;
};
// Writes outDir/index.html: every picture as a thumbnail linked to the full
// picture, with its page's title and sentence, grouped by section; its path.
std::string WriteIndex(const std::string& outDir, const std::vector<PageRun>& runs);

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
// Hold for a sheet: the form that holds the sheet's controls where the
// picture shows them is shown live with the picture under them.
void HoldSheet(vcl::TForm* Form, const vcl::TScreenImage& Picture);
// Hold for a modal form: shown modally until the person closes it.
void HoldModal(vcl::TForm* Form);
// Shows the launcher on the display; the program's exit code.
int RunLive(const std::string& outDir);

}  // namespace gallery
