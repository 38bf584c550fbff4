// What the tray says about the mouse: a tooltip with the battery level or
// charging state and an icon in a few steps, and when a low battery is worth a
// desktop notification. Plain values, so that every case is easy to check.
#pragma once

#include <string>
#include <string_view>

#include "language/language_table.h"

namespace vexel {

// Below this level the battery counts as low: the icon says so and the user
// is told once per discharge.
inline constexpr int kLowBatteryPercent = 15;
// From this level on the icon shows a full battery.
inline constexpr int kFullBatteryIconPercent = 60;

struct BatteryReading {
  bool connected = false;
  bool charging = false;
  int percent = -1;  // 0-100; -1 while the mouse has not reported it

  bool operator==(const BatteryReading&) const = default;
};

enum class TrayBatteryIcon { kUnknown, kFull, kHalf, kLow, kCharging, kDisconnected };

TrayBatteryIcon IconFor(const BatteryReading& reading);
// The icon's file relative to the resource folder.
std::string_view IconFile(TrayBatteryIcon icon);
// "<mouse_name_text> - 57 %", "... - charging", "... - not connected", or the
// name alone while the level is not known yet.
std::string TrayToolTip(const LanguageTable& language, const BatteryReading& reading);

// Decides when the low-battery notification is due: the first reading below
// kLowBatteryPercent while discharging, then not again until charging or a
// level of kLowBatteryPercent or more re-arms it. Readings without a device or
// without a level change nothing, so a mouse that drops out and comes back
// low is not announced twice.
class LowBatteryWarning {
 public:
  // True when this reading calls for the notification.
  bool Update(const BatteryReading& reading);

 private:
  bool armed_ = true;
};

}  // namespace vexel
