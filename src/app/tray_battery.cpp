#include "app/tray_battery.h"

namespace vexel {

TrayBatteryIcon IconFor(const BatteryReading& reading) {
  if (!reading.connected) return TrayBatteryIcon::kDisconnected;
  if (reading.charging) return TrayBatteryIcon::kCharging;
  if (reading.percent < 0) return TrayBatteryIcon::kUnknown;
  if (reading.percent < kLowBatteryPercent) return TrayBatteryIcon::kLow;
  if (reading.percent < kFullBatteryIconPercent) return TrayBatteryIcon::kHalf;
  return TrayBatteryIcon::kFull;
}

std::string_view IconFile(TrayBatteryIcon icon) {
  switch (icon) {
    case TrayBatteryIcon::kFull:
      return "skins/tray/battery_full.svg";
    case TrayBatteryIcon::kHalf:
      return "skins/tray/battery_half.svg";
    case TrayBatteryIcon::kLow:
      return "skins/tray/battery_low.svg";
    case TrayBatteryIcon::kCharging:
      return "skins/tray/battery_charging.svg";
    case TrayBatteryIcon::kDisconnected:
      return "skins/tray/disconnected.svg";
    case TrayBatteryIcon::kUnknown:
      break;
  }
  return "skins/main/logo.svg";
}

std::string TrayToolTip(const LanguageTable& language, const BatteryReading& reading) {
  std::string tip = language.Text("mouse_name_text");
  if (!reading.connected) return tip + " - " + language.Text("tray_not_connected_text");
  if (reading.charging) return tip + " - " + language.Text("tray_charging_text");
  if (reading.percent < 0) return tip;
  return tip + " - " + std::to_string(reading.percent) + " %";
}

bool LowBatteryWarning::Update(const BatteryReading& reading) {
  if (!reading.connected || (reading.percent < 0 && !reading.charging)) return false;
  if (reading.charging || reading.percent >= kLowBatteryPercent) {
    armed_ = true;
    return false;
  }
  const bool due = armed_;
  armed_ = false;
  return due;
}

}  // namespace vexel
