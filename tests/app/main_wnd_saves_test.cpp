// The main window's background saves and arrival waits, as the program runs
// them: a DPI press on the mouse is written by the writer thread, a failure
// still reaches the user, and leaving the program writes what is queued.
#include <gtest/gtest.h>

#include <fstream>

#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

int StoredStage(const std::filesystem::path& folder) {
  ProfileList profiles;
  auto header = MakeZeroHeader();
  (void)LoadProfiles(StorePaths{folder}, profiles, *header, u"x", {.save_new_store = false});
  return profiles.empty() ? -1 : profiles[0]->dpi_stage_current;
}

class MainWindowSaves : public ::testing::Test {
 protected:
  void SetUp() override {
    h.background_saves = true;
    h.Start();
  }
  void PressDpi(uint16_t stage) {
    h.wired.PostStatus(0x1010, stage);
    h.toolkit.ProcessEvents();
  }
  MainWindowHarness h;
};

// Presses on the mouse are written by the writer thread; what is still
// queued when the program is left is on disk when the window is destroyed.
TEST_F(MainWindowSaves, APressOnTheMouseIsWrittenInTheBackgroundAndOnLeaving) {
  for (uint16_t stage = 2; stage <= 6; ++stage) PressDpi(stage);
  h.window->FlushSaves();
  EXPECT_EQ(StoredStage(h.data.path()), 5);
  PressDpi(7);
  h.window->Show();
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
  h.toolkit.ProcessEvents();
  ASSERT_TRUE(h.window->tray_menu()->Trigger("exit"));
  h.toolkit.ProcessEvents();
  ASSERT_EQ(h.toolkit.quit_code(), 0);
  EXPECT_EQ(StoredStage(h.data.path()), 6);
}

TEST_F(MainWindowSaves, AFailedBackgroundSaveIsShown) {
  const std::filesystem::path file = h.page().store().paths().ProfilesFile();
  // A directory where pro.data belongs: no save can replace it, root or not.
  std::filesystem::remove(file);
  std::filesystem::create_directories(file / "blocker");
  int boxes = 0;
  h.toolkit.ScriptModal([&](toolkit::Window& box) {
    ++boxes;
    box.Close(0);
  });
  PressDpi(3);
  h.window->FlushSaves();
  h.toolkit.ProcessEvents();  // the result comes back as a message
  EXPECT_EQ(boxes, 1);
}

// The next start comes back at the size the window had and with the same
// sections open; what the state file says is clamped to what fits.
TEST_F(MainWindowSaves, SizeAndOpenSectionsComeBackWithinLimits) {
  h.window->PlaceOnScreen();
  h.window->SetScreenRect({0, 0, 900, 700});
  h.toolkit.Input().Click(h.Control("ms_1_check_light"));
  h.toolkit.Input().Click(h.Control("ms_1_check_dpi"));
  h.window->Close(0);
  h.toolkit.ProcessEvents();
  const std::filesystem::path file = h.data.path() / kWindowStateFile;
  const struct {
    std::string text;  // empty: as the window left it
    int width, height;
    bool light_open, dpi_open;
  } rows[] = {
      {"", 900, 700, true, false},
      {"size 10 10\nopen ms_1_check_dpi\nopen ../x\n", 800, 572, false, true},
      {"size 5000 4000\n", 1920, 1040, false, false},
      {"size -1 x9\nopen", 800, 572, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    h.window.reset();
    if (!row.text.empty()) std::ofstream(file) << row.text;
    h.Start();
    h.window->PlaceOnScreen();
    EXPECT_EQ(h.window->ScreenRect().Width(), row.width);
    EXPECT_EQ(h.window->ScreenRect().Height(), row.height);
    EXPECT_EQ(h.window->ScreenRect().left, (1920 - row.width) / 2) << "centred";
    EXPECT_EQ(h.Control("ms_1_check_light").IsChecked(), row.light_open);
    EXPECT_EQ(h.Control("ms_1_ver_light").IsVisible(), row.light_open);
    EXPECT_EQ(h.Control("ms_1_ver_dpi").IsVisible(), row.dpi_open);
  }
}

TEST_F(MainWindowSaves, ARemovalInsideTheArrivalWaitLeavesTheCableClosed) {
  h.wired.PostConnection(false);
  h.toolkit.ProcessEvents();
  const int opens = h.wired.CountCalls("Open_FeatureDevice");
  h.wired.PostConnection(true);
  h.toolkit.ProcessEvents();
  EXPECT_TRUE(h.TimerSet(kTimerWiredArrivalWait));
  h.Advance(500);
  h.wired.PostConnection(false);
  h.toolkit.ProcessEvents();
  EXPECT_FALSE(h.TimerSet(kTimerWiredArrivalWait));
  h.Advance(1000);
  EXPECT_EQ(h.wired.CountCalls("Open_FeatureDevice"), opens);
  EXPECT_EQ(h.page().session().links().wired_link, 2);
}

}  // namespace
}  // namespace vexel::testing
