#include "platform/posix/dl_library_loader.h"

#include <dlfcn.h>

namespace vexel {
namespace {

class DlLibrary final : public DynamicLibrary {
 public:
  explicit DlLibrary(void* handle) : handle_(handle) {}
  ~DlLibrary() override { ::dlclose(handle_); }
  void* Symbol(const char* name) override { return ::dlsym(handle_, name); }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<DynamicLibrary> DlLibraryLoader::Load(const std::string& path, std::string* error) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    if (error != nullptr) {
      const char* reason = ::dlerror();
      *error = reason != nullptr ? reason : "cannot load " + path;
    }
    return nullptr;
  }
  return std::make_unique<DlLibrary>(handle);
}

}  // namespace vexel
