// What the settings page needs from the platform and the program; tests hand
// in fakes.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/device_session.h"
#include "platform/clock.h"
#include "platform/hid_probe.h"
#include "platform/library_loader.h"
#include "platform/mouse_settings.h"
#include "store/store_folder.h"

namespace vexel {

struct PageServices {
  Clock& clock;
  LibraryLoader& libraries;
  HidProbe& hid_probe;
  std::filesystem::path program_folder;  // where the driver libraries are
  StorePaths store_paths;
  // Debug output ("Wireless Send = %d\n", ...); nowhere when empty.
  std::function<void(std::string_view)> debug;
  // The program's message box: title and message as language keys, `detail`
  // as plain text under the message (may be empty). 1 for OK, 0 otherwise.
  // Without one nothing is shown.
  std::function<int(std::string_view title_key, std::string_view message_key,
                    std::string_view detail)>
      message_box = nullptr;
  // The system's Bluetooth stack for the BLE link (outlives the page); none
  // without Bluetooth.
  link::GattPlatform* gatt_platform = nullptr;
  // The desktop's mouse settings; without one the page's button is hidden.
  MouseSettings* mouse_settings = nullptr;
  // Names of the windows and processes running now, offered while the user
  // types the application of a rule; without it nothing is offered.
  std::function<std::vector<std::string>()> running_app_names = nullptr;

  SessionServices Session() const {
    return SessionServices{clock, libraries, hid_probe, program_folder, debug, gatt_platform};
  }
};

}  // namespace vexel
