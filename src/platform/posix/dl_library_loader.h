#pragma once

#include "platform/library_loader.h"

namespace vexel {

// dlopen with immediate binding and local symbols: the two driver libraries
// export the same names and must not see each other's.
class DlLibraryLoader final : public LibraryLoader {
 public:
  std::unique_ptr<DynamicLibrary> Load(const std::string& path, std::string* error) override;
};

}  // namespace vexel
