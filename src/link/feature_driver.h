// A feature-report driver library ("hiddriver_2.so" for the cable,
// "hiddriver_1.so" for the receiver) and its seven entry points.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "hiddriver/hiddriver.h"
#include "platform/library_loader.h"

namespace vexel {

inline constexpr char kWiredDriverFile[] = "hiddriver_2.so";
inline constexpr char kWirelessDriverFile[] = "hiddriver_1.so";

struct FeatureDriver {
  std::unique_ptr<DynamicLibrary> library;
  Set_VIDPID_Fn set_vidpid = nullptr;
  Open_DevMonitor_Fn open_dev_monitor = nullptr;
  Close_DevMonitor_Fn close_dev_monitor = nullptr;
  Open_FeatureDevice_Fn open_feature_device = nullptr;
  Close_FeatureDevice_Fn close_feature_device = nullptr;
  SetFeature_Fn set_feature = nullptr;
  GetFeature_Fn get_feature = nullptr;  // resolved, never called

  int32_t SetFeature(std::span<const uint8_t> report) const {
    return set_feature(report.data(), static_cast<int32_t>(report.size()));
  }
};

// Loads the library and resolves the seven entry points by name. nullptr when
// the library or any entry point is missing: that transport is then absent.
std::unique_ptr<FeatureDriver> LoadFeatureDriver(LibraryLoader& loader,
                                                 const std::filesystem::path& path,
                                                 std::string* error = nullptr);

}  // namespace vexel
