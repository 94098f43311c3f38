// The live gallery on a private X server: the launcher opens as a skinned
// form listing every section, and a person opens a form page, a picture page
// and a tree page from it, closes each with Esc and is back at the launcher.
// Skipped with a message where no Xvfb starts or the build has no X11 display.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "examples/gallery/ControlsForm.h"
#include "examples/gallery/Launcher.h"
#include "platform/desktop/Desktop.h"
#include "platform/desktop/Display.h"
#include "platform/vcl/ExtCtrls.h"
#include "skin/controls/uQuarnBoxCtrls_ComboBox.h"
#include "skin/controls/uQuarnEditTips.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "skin/extended/uQuarnHint.h"
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

// Centred in the work area of any screen, growing with it up to a largest
// size; every column of cards it shows is whole.
TEST(Gallery_Launcher, GrowsWithTheScreenUpToItsLargestCentredWithWholeColumns) {
  std::vector<PageRun> runs;
  static std::vector<std::string> names;
  names.clear();
  for (int i = 0; i < 12; ++i) names.push_back("card" + std::to_string(i));
  for (const std::string& n : names) runs.push_back({Page{n.c_str(), Noop, kControls, "A card", "Plain."}, {}});
  struct TSize {
    Integer W, H;
  };
  const TSize screens[] = {{800, 600}, {1024, 768}, {1600, 1000}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
  std::vector<TRect> seen;
  for (const TSize& s : screens) {
    SetScreenSize(s.W, s.H);
    TLauncher launcher(runs);
    launcher.Form()->Show();
    const TRect f = launcher.Form()->BoundsRect();
    const TRect work = Screen->WorkAreaRect();
    const std::string at = std::to_string(s.W) + "x" + std::to_string(s.H);
    EXPECT_LE(std::abs((f.Left + f.Right) - (work.Left + work.Right)), 1) << at;
    EXPECT_LE(std::abs((f.Top + f.Bottom) - (work.Top + work.Bottom)), 1) << at;
    EXPECT_TRUE(f.Left >= work.Left && f.Top >= work.Top && f.Right <= work.Right && f.Bottom <= work.Bottom) << at;
    // The right-most card of the first row ends inside the view.
    const TPoint client = launcher.Form()->ClientToScreen(TPoint(launcher.Form()->ClientWidth(), 0));
    Integer right = 0;
    for (const std::string& n : names) {
      const TRect c = launcher.CardRect(n);
      if (c.Top == launcher.CardRect(names[0]).Top) right = std::max(right, c.Right);
    }
    EXPECT_LE(right, client.X - 8) << at;
    if (!seen.empty()) {
      EXPECT_GE(f.Width(), seen.back().Width()) << at;
      EXPECT_GE(f.Height(), seen.back().Height()) << at;
    }
    seen.push_back(f);
  }
  // The largest screens get the same, largest launcher, well inside them.
  EXPECT_EQ(seen[4].Width(), seen[5].Width());
  EXPECT_EQ(seen[4].Height(), seen[5].Height());
  EXPECT_LT(seen[5].Width(), 3840 / 2);
  // and the small screen a smaller one than the large.
  EXPECT_LT(seen[0].Width(), seen[4].Width());
  ResetScreenConfiguration();
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

// The keys reach the launcher as a display delivers them: through the
// input driver, the application's dialog-key handling and the focus.
TEST_F(Gallery_Live, UpAndDownChangeTheSectionAndTabGoesToTheSearchAndBack) {
  std::vector<PageRun> runs;
  runs.push_back({Page{"lines", Noop, kGraphics, "Line kinds", "Rays."}, {}});
  runs.push_back({Page{"skin", Noop, kSkin, "The skin", "Images."}, {}});
  runs.push_back({Page{"buttons", Noop, kControls, "Buttons", "Buttons."}, {}});
  SetVirtualClock(false);
  SetScreenSize(1024, 768);
  StartX11Display(Server.Name());
  Info = DisplayInfo();
  PersonP = std::make_unique<xtest::Person>(Server.Name());
  ASSERT_TRUE(PersonP->Ok());
  TLauncher launcher(runs);
  HWND home = launcher.Form()->Handle();
  auto press = [&](uint32_t key, bool shift = false) {
    PersonP->Focus(Info.Window);
    if (shift) PersonP->Key(0xffe1, true);
    PersonP->Key(key, true);
    PersonP->Key(key, false);
    if (shift) PersonP->Key(0xffe1, false);
  };
  constexpr uint32_t kDown = 0xff54, kUp = 0xff52, kTab = 0xff09;
  struct TStep {
    const char* Waits;
    std::function<bool()> Ready;
    std::function<void()> Act;
  };
  auto in = [&](const char* section) { return [&launcher, section] { return launcher.SelectedSection() == section; }; };
  auto searching = [&] { return launcher.SearchEdit()->Focused(); };
  const std::vector<TStep> steps = {
      {"the launcher on the screen", [&] { return IsWindowVisible(home) && GetForegroundWindow() == home; },
       [&] { press(kDown); }},
      {"Down: the second section", in(kSkin), [&] { press(kDown); }},
      {"Down again: the third", in(kControls), [&] { press(kDown); }},
      // Down on the last section stays there; Up goes back.
      {"Down on the last section", in(kControls), [&] { press(kUp); }},
      {"Up: the second section", in(kSkin), [&] { press(kTab); }},
      {"Tab: the search edit", searching, [&] { press(kTab, true); }},
      {"Shift+Tab: the cards again", [&] { return !searching(); }, [&] { press(kUp); }},
      {"Up: the first section", in(kGraphics), [] {}},
  };
  size_t next = 0;
  int settle = 0;
  TTimer timer(nullptr);
  timer.SetInterval(60);
  timer.SetOnTimer([&](TObject*) {
    // A step is taken once what it waits for holds for a few ticks, so that
    // a key that would go on too far shows.
    if (next >= steps.size()) return;
    if (!steps[next].Ready()) {
      settle = 0;
      return;
    }
    if (++settle < 3) return;
    settle = 0;
    steps[next++].Act();
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  RunLauncher(launcher, Dir.string(), [&] { return next == steps.size() || std::chrono::steady_clock::now() > until; });
  ASSERT_EQ(next, steps.size()) << "waited in vain for " << steps[std::min(next, steps.size() - 1)].Waits;
  EXPECT_FALSE(launcher.SearchEdit()->Focused());
  EXPECT_TRUE(launcher.SearchEdit()->TextProp().empty());
}

// The pages that only draw: the viewer shows them, and says so.
const std::set<std::string> kDrawnPages = {"processor", "gdi",         "text",      "lines",    "resample",
                                           "bitmap-text", "vector",    "geometry",  "fillers",  "paths",
                                           "gradients", "gdiplus",     "skin",      "easing",   "skinutils",
                                           "rasterizers", "transforms", "printing"};

TRect UnionOf(const std::vector<HWND>& windows) {
  TRect u;
  for (size_t i = 0; i < windows.size(); ++i) {
    const TRect r = FrameOf(windows[i]);
    u = i == 0 ? r
               : TRect(std::min(u.Left, r.Left), std::min(u.Top, r.Top), std::max(u.Right, r.Right),
                       std::max(u.Bottom, r.Bottom));
  }
  return u;
}

// Every page opened from the launcher in turn and closed with Esc: the page
// with components holds them live, one that only draws opens in the viewer;
// either shows centred over the launcher, and once it is closed the screen
// is what it was before it opened (the screen set-up, the desktop colour and
// the hint window class are the launcher's again).
TEST_F(Gallery_Live, EveryPageOpensLiveOrAsAPictureCentredAndLeavesTheScreenAsItWas) {
  SetVirtualClock(false);
  SetScreenSize(1024, 768);
  StartX11Display(Server.Name());
  Info = DisplayInfo();
  PersonP = std::make_unique<xtest::Person>(Server.Name());
  ASSERT_TRUE(PersonP->Ok());
  // No thumbnails: the cards are not what this test looks at.
  std::vector<PageRun> runs;
  for (const Page& p : AllPages()) runs.push_back({p, {}});
  TLauncher launcher(runs);
  HWND home = launcher.Form()->Handle();
  const TClass hintClass = HintWindowClass;
  const COLORREF desktop = GetDesktopColor();
  // A live page's modal loops wait for the person, as on a display.
  const TModalIdleHook idle = SetModalIdleHook(nullptr);

  enum class TPhase { Open, Wait, TipGone, Close, Settle, Done };
  TPhase phase = TPhase::Open;
  size_t index = 0;
  int ticks = 0;
  TScreenImage before;
  std::vector<std::string> opened;
  auto page = [&]() -> const Page& { return runs[index].Info; };
  auto escape = [&] {
    PersonP->Focus(Info.Window);
    PersonP->Key(0xff1b, true);
    PersonP->Key(0xff1b, false);
  };
  qn::TQuarnCustomEditTips* tips = nullptr;
  // The page opens from a timer of its own: its loop runs inside that
  // timer's tick, and a timer does not tick again inside its own tick.
  TTimer opener(nullptr);
  opener.SetEnabled(false);
  opener.SetInterval(10);
  opener.SetOnTimer([&](TObject*) {
    opener.SetEnabled(false);
    launcher.OnOpen(page());
    phase = TPhase::Settle;
    ticks = 0;
  });
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    switch (phase) {
      case TPhase::Open: {
        if (index >= runs.size()) {
          phase = TPhase::Done;
          return;
        }
        if (ticks < 3) return;
        PresentDisplay(true);
        before = CaptureScreen();
        phase = TPhase::Wait;
        ticks = 0;
        opener.SetEnabled(true);
        return;
      }
      case TPhase::Wait: {
        if (!PageWaiting()) {
          // A page that asks a question on its way (the messages page's
          // box) has the person answer it with Enter.
          char16_t kind[64] = {};
          GetClassNameW(GetForegroundWindow(), kind, 64);
          if (ticks % 20 == 19 && (String(kind) == u"TQuarnMessageForm" || String(kind) == u"#32770")) {
            PersonP->Focus(Info.Window);
            PersonP->Key(0xff0d, true);
            PersonP->Key(0xff0d, false);
          }
          return;
        }
        const std::string name = page().Name;
        opened.push_back(name);
        EXPECT_EQ(PageHeld(), !kDrawnPages.count(name)) << name << (PageHeld() ? " is live" : " opens as a picture");
        const std::vector<HWND> shown = ShownPageWindows(home);
        EXPECT_FALSE(shown.empty()) << name;
        if (!shown.empty()) {
          const TRect u = UnionOf(shown), l = FrameOf(home), work = Screen->WorkAreaRect();
          if (u.Width() <= work.Width() && u.Height() <= work.Height()) {
            const bool fits = u.Left >= work.Left && u.Top >= work.Top && u.Right <= work.Right && u.Bottom <= work.Bottom;
            EXPECT_TRUE(fits) << name;
            // Centred over the launcher where the work area lets it be.
            const Integer dx = std::clamp<Integer>((l.Left + l.Right - u.Width()) / 2, work.Left, work.Right - u.Width());
            const Integer dy = std::clamp<Integer>((l.Top + l.Bottom - u.Height()) / 2, work.Top, work.Bottom - u.Height());
            EXPECT_LE(std::abs(u.Left - dx), 1) << name;
            EXPECT_LE(std::abs(u.Top - dy), 1) << name;
          }
        }
        phase = TPhase::Close;
        if (name == "controls") {
          // The live form shows the state its last picture shows, its hints
          // in the skin's balloon, and the edit tip goes with the focus.
          auto* form = dynamic_cast<TControlsForm*>(FindControl(shown.front()));
          ASSERT_NE(form, nullptr);
          EXPECT_EQ(form->Get<qn::TQuarnComboBox>(u"CmbCity")->Text(), u"Ljubljana");
          EXPECT_EQ(HintWindowClass, qn::TQuarnHintWindow::StaticClass());
          tips = form->PasswordTips;
          EXPECT_EQ(tips->List()->Count(), 1);
          PersonP->Focus(Info.Window);
          PersonP->Key(0xff09, true);
          PersonP->Key(0xff09, false);
          phase = TPhase::TipGone;
          ticks = 0;
        }
        return;
      }
      case TPhase::TipGone:
        if (tips->List()->Count() == 0) {
          phase = TPhase::Close;
        } else if (ticks > 100) {
          ADD_FAILURE() << "the edit tip stays after its edit lost the focus";
          phase = TPhase::Close;
        }
        return;
      case TPhase::Close:
        // A page with several windows takes an Esc for each.
        if (PageOpen() && ticks % 4 == 0) escape();
        return;
      case TPhase::Settle: {
        if (ticks < 4) return;
        PresentDisplay(true);
        const TScreenImage after = CaptureScreen();
        int differ = 0;
        TRect where(after.Width, after.Height, 0, 0);
        if (after.Width == before.Width && after.Height == before.Height) {
          for (Integer y = 0; y < after.Height; ++y)
            for (Integer x = 0; x < after.Width; ++x)
              if ((after.Pixel(x, y) & 0xFFFFFF) != (before.Pixel(x, y) & 0xFFFFFF)) {
                ++differ;
                where = TRect(std::min(where.Left, x), std::min(where.Top, y), std::max(where.Right, x + 1),
                              std::max(where.Bottom, y + 1));
              }
        } else {
          differ = -1;
        }
        EXPECT_EQ(differ, 0) << page().Name << " changed the screen in (" << where.Left << ", " << where.Top << ")-("
                             << where.Right << ", " << where.Bottom << ")";
        EXPECT_EQ(HintWindowClass, hintClass) << page().Name;
        EXPECT_EQ(GetDesktopColor(), desktop) << page().Name;
        ++index;
        phase = TPhase::Open;
        ticks = 0;
        return;
      }
      case TPhase::Done:
        return;
    }
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(20);
  RunLauncher(launcher, Dir.string(),
              [&] { return phase == TPhase::Done || std::chrono::steady_clock::now() > until; });
  SetModalIdleHook(idle);
  ASSERT_EQ(phase, TPhase::Done) << "stopped at page " << page().Name;
  std::string missing;
  for (const PageRun& r : runs)
    if (std::find(opened.begin(), opened.end(), r.Info.Name) == opened.end()) missing += std::string(" ") + r.Info.Name;
  EXPECT_EQ(missing, "") << "pages that never waited for the person";
}

#else

TEST(Gallery_Live, NeedsTheX11Display) { GTEST_SKIP() << "this build has no X11 display"; }

#endif

}  // namespace

}  // namespace t_launcher_test
