// The tray's battery tooltip and icon, and when the low-battery notification
// is due.
#include "app/tray_battery.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexel {
namespace {

TEST(TrayBattery, ToolTipAndIconFollowTheReading) {
  LanguageTable language;
  ASSERT_TRUE(language.LoadFile(std::string(VEXEL_SOURCE_DIR) + "/res/lan.xml"));
  using enum TrayBatteryIcon;
  const struct {
    BatteryReading reading;
    std::string tip;
    TrayBatteryIcon icon;
  } cases[] = {
      {{true, false, 100}, "Vexel Gaming Mouse - 100 %", kFull},
      {{true, false, 60}, "Vexel Gaming Mouse - 60 %", kFull},
      {{true, false, 59}, "Vexel Gaming Mouse - 59 %", kHalf},
      {{true, false, 15}, "Vexel Gaming Mouse - 15 %", kHalf},
      {{true, false, 14}, "Vexel Gaming Mouse - 14 %", kLow},
      {{true, true, 8}, "Vexel Gaming Mouse - charging", kCharging},
      {{true, false, -1}, "Vexel Gaming Mouse", kUnknown},
      {{false, true, 57}, "Vexel Gaming Mouse - not connected", kDisconnected},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrayToolTip(language, c.reading), c.tip);
    EXPECT_EQ(IconFor(c.reading), c.icon) << c.tip;
  }
}

TEST(TrayBattery, LowBatteryWarningIsDueOncePerDischarge) {
  const struct {
    BatteryReading reading;
    bool due;
  } steps[] = {
      {{true, false, -1}, false},                               // no level yet
      {{true, false, 20}, false}, {{true, false, 14}, true},    // first below 15 %
      {{true, false, 12}, false}, {{false, false, 12}, false},  // same discharge, dropped out
      {{true, false, 12}, false}, {{true, true, 12}, false},    // back; charging re-arms
      {{true, false, 13}, true},  {{true, false, 15}, false},   // 15 % re-arms
      {{true, false, 9}, true},
  };
  LowBatteryWarning warning;
  int step = 0;
  for (const auto& s : steps) EXPECT_EQ(warning.Update(s.reading), s.due) << "step " << step++;
}

}  // namespace
}  // namespace vexel
