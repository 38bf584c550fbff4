// Loading shared libraries by path and resolving their entry points.
#pragma once

#include <memory>
#include <string>

namespace vexel {

class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;  // unloads the library
  // The address of an exported symbol, or nullptr.
  virtual void* Symbol(const char* name) = 0;
};

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // nullptr (and `error`) when the library cannot be loaded.
  virtual std::unique_ptr<DynamicLibrary> Load(const std::string& path,
                                               std::string* error = nullptr) = 0;
};

}  // namespace vexel
