// The store folder beside the program, and the fallback below the data home.
#include "store/store_folder.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace vexel {
namespace {

using testing::TempFolder;

TEST(StoreFolder, TheProgramFolderIsTheExecutablesFolder) {
  EXPECT_TRUE(std::filesystem::exists(ProgramFolder() / "store_tests"));
}

TEST(StoreFolder, FallsBackToTheDataHomeWhenTheProgramFolderCannotHoldData) {
  TempFolder temp;
  const auto program = temp.path() / "program";
  std::filesystem::create_directories(program);
  testing::WriteAll(program / "Data", {});  // a file where the folder should be
  const std::string xdg = (temp.path() / "xdg").string();
  const std::string home = (temp.path() / "home").string();

  struct Case {
    const char* xdg_data_home;
    const char* home;
    std::filesystem::path expected;
  };
  const Case table[] = {
      {xdg.c_str(), home.c_str(), temp.path() / "xdg/vexel-mouse/Data"},
      {nullptr, home.c_str(), temp.path() / "home/.local/share/vexel-mouse/Data"},
      {"relative/ignored", home.c_str(), temp.path() / "home/.local/share/vexel-mouse/Data"},
      {nullptr, nullptr, {}},
  };
  for (const Case& c : table) {
    const auto folder = ResolveStoreFolder(program, c.xdg_data_home, c.home);
    EXPECT_EQ(folder, c.expected);
    if (!c.expected.empty()) {
      EXPECT_TRUE(std::filesystem::is_directory(folder));
    }
  }
  EXPECT_EQ(ResolveStoreFolder(temp.path() / "writable", nullptr, nullptr),
            temp.path() / "writable/Data");
}

TEST(StoreFolder, AnInstalledCopyKeepsTheStoreAtHomeEvenWhenItCouldWriteItsFolder) {
  TempFolder temp;
  const auto program = temp.path() / "usr/lib/vexel-mouse";
  std::filesystem::create_directories(program);
  testing::WriteAll(program / kInstalledMarker, {});
  const std::string home = (temp.path() / "home").string();
  EXPECT_EQ(ResolveStoreFolder(program, nullptr, home.c_str()),
            temp.path() / "home/.local/share/vexel-mouse/Data");
  EXPECT_FALSE(std::filesystem::exists(program / "Data"));
}

}  // namespace
}  // namespace vexel
