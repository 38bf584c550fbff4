// What the settings page needs from the platform; tests hand in fakes.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

#include "platform/clock.h"
#include "platform/hid_probe.h"
#include "platform/library_loader.h"
#include "store/store_folder.h"

namespace vexel {

struct PageServices {
  Clock& clock;
  LibraryLoader& libraries;
  HidProbe& hid_probe;
  std::filesystem::path program_folder;  // where the driver libraries are
  StorePaths store_paths;
  // Debug output ("Wireless Send = %d", ...); nowhere when empty.
  std::function<void(std::string_view)> debug;
};

}  // namespace vexel
