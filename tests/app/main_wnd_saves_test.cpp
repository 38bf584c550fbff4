// The main window's background saves and arrival waits, as the program runs
// them: a DPI press on the mouse is written by the writer thread, a failure
// still reaches the user, and leaving the program writes what is queued.
#include <gtest/gtest.h>

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

TEST_F(MainWindowSaves, APressOnTheMouseIsWrittenInTheBackground) {
  for (uint16_t stage = 2; stage <= 6; ++stage) PressDpi(stage);
  h.window->FlushSaves();
  EXPECT_EQ(StoredStage(h.data.path()), 5);
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

TEST_F(MainWindowSaves, LeavingTheProgramWritesWhatIsQueued) {
  PressDpi(7);
  h.window->Show();
  h.toolkit.Input().ClickTrayIcon(*h.window->tray_icon(), true);
  h.toolkit.ProcessEvents();
  ASSERT_TRUE(h.window->tray_menu()->Trigger("exit"));
  h.toolkit.ProcessEvents();
  ASSERT_EQ(h.toolkit.quit_code(), 0);
  EXPECT_EQ(StoredStage(h.data.path()), 6) << "on disk when the window is destroyed";
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
