// The page's start-up load of the store and the profile list.
#include <gtest/gtest.h>

#include "store/names.h"
#include "store/store_files.h"
#include "store/utf16_name.h"
#include "support/main_window_harness.h"

namespace vexel::testing {
namespace {

// Three profiles A, B, C with the third selected, written before start.
void WriteThreeProfiles(const StorePaths& paths) {
  ProfileList profiles;
  for (const char16_t* name : {u"A", u"B", u"C"}) {
    ProfileRecord& profile = AddDefaultProfile(profiles, u"Profile");
    SetName(profile.name, name);
  }
  profiles[2]->dpi_stage_current = 4;
  auto header = MakeZeroHeader();
  header->selected_profile = 2;
  ASSERT_TRUE(SaveProfiles(paths, profiles, *header));
}

TEST(PageProfiles, StoredSelectionIsEditedAndSelected) {
  MainWindowHarness h;
  WriteThreeProfiles(StorePaths{h.data.path()});
  h.Start();
  toolkit::Control& list = h.Control("ms_1_list_profile");
  ASSERT_EQ(list.ItemCount(), 3);
  EXPECT_EQ(list.ItemText(1), "B");
  EXPECT_EQ(list.ItemHeight(0), 22);
  EXPECT_EQ(list.SelectedItem(), 2);
  EXPECT_EQ(NameView(h.Edited().name), u"C");
  EXPECT_TRUE(h.Control("ms_1_option_dpi_step_5").IsChecked());
  const ProfileRecord baseline = h.page().session().apply_cycle().Baseline();
  EXPECT_EQ(NameView(baseline.name), u"C");
  EXPECT_TRUE(h.page().session().apply_cycle().full_apply_pending());
}

TEST(PageProfiles, TheUsersFirstChoiceSwitchesProfiles) {
  MainWindowHarness h;
  WriteThreeProfiles(StorePaths{h.data.path()});
  h.Start();
  h.Settle();
  const std::size_t sent = h.wired.Sent().size();
  // Filling the list raised no selection, so this first one is the user's.
  ASSERT_TRUE(h.toolkit.Input().ChooseItem(h.Control("ms_1_list_profile"), 0));
  h.Settle();
  EXPECT_EQ(NameView(h.Edited().name), u"A");
  {
    auto access = h.page().store().Lock();
    EXPECT_EQ(access->header->selected_profile, 0);
  }
  // A switch sends a full apply: the reset report leads.
  ASSERT_GT(h.wired.Sent().size(), sent);
  EXPECT_EQ(h.wired.Sent()[sent][0], 0x0C);
}

}  // namespace
}  // namespace vexel::testing
