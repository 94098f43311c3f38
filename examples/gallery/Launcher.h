// The live gallery's first window: a skinned form listing the pages by
// section, each as a card with a thumbnail of its first picture, its title
// and its sentence. Choosing a card hands the page to OnOpen.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "platform/vcl/Forms.h"

namespace qn {
class TQuarnSearchEdit;
}

namespace gallery {

class TLauncherView;

class TLauncher {
 public:
  // The runs give the pages and the pictures their thumbnails come from.
  explicit TLauncher(const std::vector<PageRun>& Runs);
  ~TLauncher();
  TLauncher(const TLauncher&) = delete;
  TLauncher& operator=(const TLauncher&) = delete;

  vcl::TForm* Form() const { return FForm.get(); }
  // The section names in the order the launcher lists them.
  const std::vector<std::string>& Sections() const;
  std::string SelectedSection() const;
  void SelectSection(const std::string& Section);
  // Shows the pages of every section whose name, title or sentence holds
  // the text, as typing into the search edit does; empty: the section again.
  void Search(const std::string& Text);
  qn::TQuarnSearchEdit* SearchEdit() const;
  // The cards on show.
  size_t CardCount() const;
  // On the screen: a section's row and a page's card (its section chosen and
  // the card scrolled into view first); empty when there is none.
  vcl::TRect SectionRect(const std::string& Section) const;
  vcl::TRect CardRect(const std::string& PageName);

  std::function<void(const Page&)> OnOpen;

 private:
  std::unique_ptr<vcl::TForm> FForm;
  TLauncherView* FView = nullptr;
  qn::TQuarnSearchEdit* FSearch = nullptr;
};

// Keeps a thumbnail of the page's first picture for the launcher; called
// before CaptionPictures rewrites the pictures.
void KeepThumbnail(const Page& page, const std::vector<std::string>& paths);

// Runs the pages headless into outDir (their pictures captioned as the
// gallery's), the runs the launcher's thumbnails come from; a page that fails
// is reported and left out.
std::vector<PageRun> RunPages(const std::vector<Page>& Pages, const std::string& outDir);

// The launcher as it opens, as a picture; its path (outDir/launcher.png).
std::string WriteLauncherPicture(const std::vector<PageRun>& Runs, const std::string& outDir);

// Shows the launcher and runs the loop until the launcher is closed, the
// application ends or Stop says so; pages opened from it are live (OpenPage).
void RunLauncher(TLauncher& Launcher, const std::string& outDir, const std::function<bool()>& Stop = {});

// Runs the page live: its windows take input until they are closed (Esc
// closes the one in front); a page that only draws pictures shows them in a
// skinned viewer.
void OpenPage(const Page& page, const std::string& outDir);
// Whether a page opened by OpenPage is still up, and whether its windows
// are shown and waiting for the person.
bool PageOpen();
bool PageWaiting();
// Whether the open page holds its own windows live (rather than showing its
// pictures in the viewer).
bool PageHeld();

}  // namespace gallery
