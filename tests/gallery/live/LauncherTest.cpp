// The live gallery on a private X server: the launcher opens as a skinned
// form listing every section, and a person opens a form page, a picture page
// and a tree page from it, closes each with Esc and is back at the launcher.
// Skipped with a message where no Xvfb starts or the build has no X11 display.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "examples/gallery/Launcher.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/Display.h"
#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "tests/common/Xvfb.h"

namespace t_launcher_test {

namespace {

using namespace vcl;
using namespace gallery;
namespace fs = std::filesystem;

// The launcher headless: which cards show for a section and for a search,
// and that a card far down is scrolled into view.
std::vector<std::string> Noop(const std::string&) { return {}; }

TEST(Gallery_Launcher, SectionsAndSearchChooseTheCardsAndFarCardsScrollIntoView) {
  std::vector<PageRun> runs;
  static std::vector<std::string> names;
  names.clear();
  for (int i = 0; i < 14; ++i) names.push_back("control" + std::to_string(i));
  for (int i = 0; i < 14; ++i) runs.push_back({Page{names[size_t(i)].c_str(), Noop, kControls, "A control", "Plain."}, {}});
  runs.push_back({Page{"lines", Noop, kGraphics, "Line kinds", "Rays in every line kind."}, {}});
  runs.push_back({Page{"tree", Noop, kTree, "The lazy tree", "Columns and check boxes."}, {}});
  runs.push_back({Page{"loose", Noop, nullptr, nullptr, nullptr}, {}});
  TLauncher launcher(runs);
  // Sections in reading order, empty ones left out, pages without one last.
  EXPECT_EQ(launcher.Sections(), (std::vector<std::string>{kGraphics, kControls, kTree, "More pages"}));
  EXPECT_EQ(launcher.SelectedSection(), kGraphics);
  EXPECT_EQ(launcher.CardCount(), 1u);
  launcher.SelectSection(kControls);
  EXPECT_EQ(launcher.CardCount(), 14u);
  EXPECT_THROW(launcher.SelectSection("Nowhere"), Exception);
  EXPECT_EQ(launcher.SelectedSection(), kControls);

  // A search runs over every section, in names, titles and sentences alike,
  // whatever the case; choosing a section ends it.
  launcher.Search("CHECK BOX");
  EXPECT_EQ(launcher.CardCount(), 1u);
  launcher.Search("line");
  EXPECT_EQ(launcher.CardCount(), 1u);
  launcher.Search("zzz");
  EXPECT_EQ(launcher.CardCount(), 0u);
  launcher.Search("");
  EXPECT_EQ(launcher.CardCount(), 14u);
  launcher.Search("a");
  launcher.SelectSection(kTree);
  EXPECT_EQ(launcher.CardCount(), 1u);
  EXPECT_TRUE(launcher.SearchEdit()->TextProp().empty());

  // The last of fourteen cards lies below the form until it is asked for.
  launcher.Form()->Show();
  const TRect form = launcher.Form()->BoundsRect();
  const TRect last = launcher.CardRect("control13");
  EXPECT_EQ(launcher.SelectedSection(), kControls);
  EXPECT_GE(last.Top, form.Top);
  EXPECT_LE(last.Bottom, form.Bottom);
  const TRect first = launcher.CardRect("control0");
  EXPECT_GT(first.Top, form.Top);
  EXPECT_LT(first.Bottom, last.Top);
  EXPECT_TRUE(launcher.CardRect("nothing").IsEmpty());
}

#ifdef QN_HAVE_X11

// One page of each section, the three the person opens among them.
std::vector<Page> SomePages() {
  const std::set<std::string> names = {"lines", "skinutils", "buttons", "titlebar", "treeskinned", "design"};
  std::vector<Page> pages;
  for (const Page& p : AllPages())
    if (names.count(p.Name)) pages.push_back(p);
  return pages;
}

std::vector<HWND> ShownPageWindows(HWND launcher) {
  std::vector<HWND> v;
  std::pair<HWND, std::vector<HWND>*> ctx{launcher, &v};
  EnumWindows(
      [](HWND h, LPARAM p) {
        auto* c = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(p);
        if (h != c->first && IsWindowVisible(h) && (GetWindowLongW(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
          c->second->push_back(h);
        return true;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return v;
}

// Pixels of the rectangle on the screen that pass the test.
int Count(const TScreenImage& s, const TRect& r, const std::function<bool(uint32_t)>& is) {
  int n = 0;
  for (Integer y = std::max<Integer>(r.Top, 0); y < std::min(r.Bottom, s.Height); ++y)
    for (Integer x = std::max<Integer>(r.Left, 0); x < std::min(r.Right, s.Width); ++x)
      if (is(s.Pixel(x, y) & 0x00FFFFFF)) ++n;
  return n;
}

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }
bool Dark(uint32_t p) { return ((p >> 16 & 255) + (p >> 8 & 255) + (p & 255)) < 3 * 90; }

// The skinned title bar, not the host's classic caption: its band holds none
// of the classic caption's or face's colour.
void ExpectSkinnedTitle(const TScreenImage& screen, const TRect& frame, const char* what) {
  const TRect title(frame.Left + 150, frame.Top + 4, frame.Right - 60, frame.Top + 24);
  auto rgb = [](DWORD c) { return uint32_t((c & 255) << 16 | (c & 0xFF00) | (c >> 16 & 255)); };
  const uint32_t caption = rgb(GetSysColor(COLOR_ACTIVECAPTION)), face = rgb(GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(Count(screen, title, [&](uint32_t p) { return p == caption || p == face; }), 0) << what;
  // and it is not empty screen either
  EXPECT_GT(Count(screen, title, [](uint32_t p) { return p != 0; }), title.Width() * title.Height() / 2) << what;
}

TRect FrameOf(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return TRect(r.Left, r.Top, r.Right, r.Bottom);
}

class Gallery_Live : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("qn-gallery-live-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    std::string why;
    if (!Server.Start(why)) GTEST_SKIP() << "no X server for the live gallery: " << why;
  }
  void TearDown() override {
    PersonP.reset();
    StopDisplay();
    Server.Kill();
    ResetScreenConfiguration();
    RemoveWorkFolder();
    fs::remove_all(Dir);
  }
  void Click(const TRect& r) {
    PersonP->MoveTo(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
    PersonP->Button(1, true);
    PersonP->Button(1, false);
  }
  void Escape() {
    PersonP->Focus(Info.Window);
    PersonP->Key(0xff1b, true);
    PersonP->Key(0xff1b, false);
  }
  fs::path Dir;
  xtest::Xvfb Server;
  std::unique_ptr<xtest::Person> PersonP;
  TDisplayInfo Info;
};

TEST_F(Gallery_Live, LauncherOpensSkinnedWithEverySectionAndPagesOfEachKindReturnToIt) {
  // The thumbnails are drawn headless first, as the gallery does.
  const auto runs = RunPages(SomePages(), Dir.string());
  ASSERT_EQ(runs.size(), 6u);
  SetVirtualClock(false);
  SetScreenSize(1024, 768);
  StartX11Display(Server.Name());
  Info = DisplayInfo();
  PersonP = std::make_unique<xtest::Person>(Server.Name());
  ASSERT_TRUE(PersonP->Ok());

  auto launcher = std::make_unique<TLauncher>(runs);
  const std::vector<std::string> sections = launcher->Sections();
  EXPECT_EQ(sections, (std::vector<std::string>{kGraphics, kSkin, kControls, kForms, kTree, kDesign}));
  HWND home = nullptr;
  TScreenImage opened;

  // The person's script, one step a tick once what it waits for is there;
  // each step names what it waits for, for the message when time runs out.
  struct TStep {
    const char* Waits;
    std::function<bool()> Ready;
    std::function<void()> Act;
  };
  std::vector<HWND> page;
  std::vector<std::string> captions;
  TScreenImage treeBefore;
  auto onePageShows = [&] {
    page = ShownPageWindows(home);
    return !page.empty() && PageWaiting();
  };
  auto backHome = [&] {
    if (!PageOpen()) return true;
    // A page with more than one window takes an Esc for each.
    if (!ShownPageWindows(home).empty()) Escape();
    return false;
  };
  auto noteCaption = [&] {
    char16_t buf[200] = {};
    GetWindowTextW(page.front(), buf, 200);
    captions.push_back(ToUtf8(String(buf)));
  };
  std::vector<TStep> steps = {
      {"the launcher on the screen", [&] { return home && IsWindowVisible(home); },
       [&] {
         PresentDisplay(true);
         opened = CaptureScreen();
         const TScreenImage shown = PersonP->Read(Info.Window, Info.Width, Info.Height);
         const TRect frame = launcher->Form()->BoundsRect();
         // What the X server shows is the composed screen.
         int differ = 0;
         for (Integer y = frame.Top; y < frame.Bottom; y += 7)
           for (Integer x = frame.Left; x < frame.Right; x += 7)
             differ += (opened.Pixel(x, y) & 0xFFFFFF) != shown.Pixel(x, y);
         EXPECT_EQ(differ, 0);
         ExpectSkinnedTitle(opened, frame, "the launcher");
         // Every section is listed in readable ink; the chosen one on the
         // selection colour with white letters.
         for (const std::string& s : sections) {
           const TRect r = launcher->SectionRect(s);
           if (s == launcher->SelectedSection()) {
             EXPECT_GT(Count(opened, r, [](uint32_t p) { return p == Rgb(31, 95, 168); }), r.Width() * r.Height() / 2)
                 << s;
             EXPECT_GT(Count(opened, r, [](uint32_t p) { return p == 0xFFFFFF; }), 20) << s;
           } else {
             EXPECT_GT(Count(opened, r, Dark), 20) << s;
           }
         }
         Click(launcher->CardRect("buttons"));
       }},
      {"the buttons page's windows", onePageShows,
       [&] {
         noteCaption();
         PresentDisplay(true);
         ExpectSkinnedTitle(CaptureScreen(), FrameOf(page.front()), "the buttons page");
         Escape();
       }},
      // The picture page is found by typing into the search edit.
      {"the launcher again", backHome,
       [&] {
         auto* edit = launcher->SearchEdit();
         const TPoint at = edit->ClientToScreen(TPoint(0, 0));
         Click(TRect(at.X, at.Y, at.X + edit->Width(), at.Y + edit->Height()));
       }},
      {"the search edit focused", [&] { return launcher->SearchEdit()->Focused(); },
       [&] {
         PersonP->Focus(Info.Window);
         for (char ch : std::string("lines")) {
           PersonP->Key(uint32_t(ch), true);
           PersonP->Key(uint32_t(ch), false);
         }
       }},
      {"the one card that matches", [&] { return launcher->CardCount() == 1; },
       [&] { Click(launcher->CardRect("lines")); }},
      {"the picture viewer", onePageShows,
       [&] {
         noteCaption();
         EXPECT_EQ(page.size(), 1u);
         PresentDisplay(true);
         ExpectSkinnedTitle(CaptureScreen(), FrameOf(page.front()), "the picture viewer");
         Escape();
       }},
      {"the launcher again", backHome, [&] { Click(launcher->SectionRect(kTree)); }},
      {"the tree section", [&] { return launcher->SelectedSection() == kTree; },
       [&] { Click(launcher->CardRect("treeskinned")); }},
      {"the skinned tree page", onePageShows,
       [&] {
         noteCaption();
         // The tree is live: Down moves its focus, which the screen shows.
         treeBefore = CaptureWindow(page.front());
         PersonP->Focus(Info.Window);
         PersonP->Key(0xff54, true);  // Down
         PersonP->Key(0xff54, false);
       }},
      {"the tree answering Down", [&] { return CaptureWindow(page.front()).Pixels != treeBefore.Pixels; },
       [&] { Escape(); }},
      {"the launcher at the end", backHome, [] {}},
  };
  size_t next = 0;
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(60);
  timer->SetOnTimer([&](TObject*) {
    if (next < steps.size() && steps[next].Ready()) {
      steps[next++].Act();
    }
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  home = launcher->Form()->Handle();
  RunLauncher(*launcher, Dir.string(),
              [&] { return next == steps.size() || std::chrono::steady_clock::now() > until; });
  delete timer;
  ASSERT_EQ(next, steps.size()) << "waited in vain for " << steps[std::min(next, steps.size() - 1)].Waits;
  ASSERT_EQ(captions.size(), 3u);
  EXPECT_EQ(captions[1], "Line kinds");  // the viewer names the picture's page
  EXPECT_EQ(captions[0], "Buttons");
  EXPECT_EQ(captions[2], "Skinned trees with the skin's own scroll bars");
  EXPECT_TRUE(ShownPageWindows(home).empty());
  EXPECT_TRUE(IsWindowVisible(home));
  launcher.reset();
}

#else

TEST(Gallery_Live, NeedsTheX11Display) { GTEST_SKIP() << "this build has no X11 display"; }

#endif

}  // namespace

}  // namespace t_launcher_test
