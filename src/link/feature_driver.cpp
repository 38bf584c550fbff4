#include "link/feature_driver.h"

namespace vexel {
namespace {

template <typename Fn>
bool Resolve(DynamicLibrary& library, const char* name, Fn& entry, std::string* error) {
  entry = reinterpret_cast<Fn>(library.Symbol(name));
  if (entry == nullptr && error != nullptr) *error = std::string("missing entry point ") + name;
  return entry != nullptr;
}

}  // namespace

std::unique_ptr<FeatureDriver> LoadFeatureDriver(LibraryLoader& loader,
                                                 const std::filesystem::path& path,
                                                 std::string* error) {
  auto driver = std::make_unique<FeatureDriver>();
  driver->library = loader.Load(path.string(), error);
  if (!driver->library) return nullptr;
  DynamicLibrary& library = *driver->library;
  // In the order the library's interface lists them.
  const bool complete =
      Resolve(library, "Set_VIDPID", driver->set_vidpid, error) &&
      Resolve(library, "Open_DevMonitor", driver->open_dev_monitor, error) &&
      Resolve(library, "Close_DevMonitor", driver->close_dev_monitor, error) &&
      Resolve(library, "Open_FeatureDevice", driver->open_feature_device, error) &&
      Resolve(library, "Close_FeatureDevice", driver->close_feature_device, error) &&
      Resolve(library, "SetFeature", driver->set_feature, error) &&
      Resolve(library, "GetFeature", driver->get_feature, error);
  if (!complete) return nullptr;
  return driver;
}

}  // namespace vexel
