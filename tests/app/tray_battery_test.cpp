// The tray's battery tooltip and icon, and when the low-battery notification
// is due.
#include "app/tray_battery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace vexel {
namespace {

class TrayBattery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(language_.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
  }
  LanguageTable language_;
};

TEST_F(TrayBattery, ToolTipAndIconFollowTheReading) {
  struct Case {
    BatteryReading reading;
    std::string tip;
    TrayBatteryIcon icon;
  };
  const std::vector<Case> cases = {
      {{true, false, 57}, "Vexel Gaming Mouse - 57 %", TrayBatteryIcon::kHalf},
      {{true, false, 100}, "Vexel Gaming Mouse - 100 %", TrayBatteryIcon::kFull},
      {{true, false, 60}, "Vexel Gaming Mouse - 60 %", TrayBatteryIcon::kFull},
      {{true, false, 59}, "Vexel Gaming Mouse - 59 %", TrayBatteryIcon::kHalf},
      {{true, false, 15}, "Vexel Gaming Mouse - 15 %", TrayBatteryIcon::kHalf},
      {{true, false, 14}, "Vexel Gaming Mouse - 14 %", TrayBatteryIcon::kLow},
      {{true, false, 0}, "Vexel Gaming Mouse - 0 %", TrayBatteryIcon::kLow},
      {{true, true, 8}, "Vexel Gaming Mouse - charging", TrayBatteryIcon::kCharging},
      {{true, false, -1}, "Vexel Gaming Mouse", TrayBatteryIcon::kUnknown},
      {{false, true, 57}, "Vexel Gaming Mouse - not connected", TrayBatteryIcon::kDisconnected},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tip);
    EXPECT_EQ(TrayToolTip(language_, c.reading), c.tip);
    EXPECT_EQ(IconFor(c.reading), c.icon);
  }
}

TEST_F(TrayBattery, EveryIconFileExists) {
  for (auto icon :
       {TrayBatteryIcon::kUnknown, TrayBatteryIcon::kFull, TrayBatteryIcon::kHalf,
        TrayBatteryIcon::kLow, TrayBatteryIcon::kCharging, TrayBatteryIcon::kDisconnected}) {
    const std::string file = std::string(VEXEL_SOURCE_DIR) + "/res/" + std::string(IconFile(icon));
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
  }
}

TEST_F(TrayBattery, LowBatteryWarningIsDueOncePerDischarge) {
  // Each step: the reading and whether it calls for the notification.
  struct Step {
    BatteryReading reading;
    bool due;
  };
  const std::vector<Step> steps = {
      {{true, false, -1}, false},                               // no level yet
      {{true, false, 20}, false},  {{true, false, 14}, true},   // first below 15 %
      {{true, false, 12}, false},  {{true, false, 14}, false},  // same discharge
      {{false, false, 14}, false}, {{true, false, 13}, false},  // dropped out and back
      {{true, true, 13}, false},   {{true, false, 13}, true},   // re-armed by charging
      {{true, false, 15}, false},  {{true, false, 9}, true},    // re-armed by 15 %
  };
  LowBatteryWarning warning;
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(warning.Update(steps[i].reading), steps[i].due) << "step " << i;
  }
}

}  // namespace
}  // namespace vexel
