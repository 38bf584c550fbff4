// The global hook library ("Hook.so" beside the executable): its seven entry
// points in the order the program resolves them. Results are never used; a
// missing library leaves every entry null and macro recording unavailable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/library_loader.h"

extern "C" {
struct VexelPostTarget;
}

namespace vexel {

struct HookEntries {
  using InstallFn = int32_t (*)(const VexelPostTarget* window);
  using RemoveFn = int32_t (*)();
  using EnableFn = int32_t (*)(int32_t enable);

  InstallFn installmousehook = nullptr;
  RemoveFn removemousehook = nullptr;
  EnableFn enablemousehook = nullptr;
  InstallFn installhook = nullptr;
  RemoveFn removehook = nullptr;
  EnableFn enablehook = nullptr;
  EnableFn mousewheelenable = nullptr;
};

struct HookLibrary {
  std::unique_ptr<DynamicLibrary> library;
  HookEntries entries;
};

inline constexpr char kHookLibraryFile[] = "Hook.so";

// Loads the library and resolves the entry points that it has (a missing one
// stays null). nullptr and `error` when the library cannot be loaded.
inline std::unique_ptr<HookLibrary> LoadHookLibrary(LibraryLoader& loader, const std::string& path,
                                                    std::string* error) {
  auto hook = std::make_unique<HookLibrary>();
  hook->library = loader.Load(path, error);
  if (!hook->library) return nullptr;
  DynamicLibrary& library = *hook->library;
  auto resolve = [&library](auto& entry, const char* name) {
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(library.Symbol(name));
  };
  HookEntries& e = hook->entries;
  resolve(e.installmousehook, "installmousehook");
  resolve(e.removemousehook, "removemousehook");
  resolve(e.enablemousehook, "enablemousehook");
  resolve(e.installhook, "installhook");
  resolve(e.removehook, "removehook");
  resolve(e.enablehook, "enablehook");
  resolve(e.mousewheelenable, "mousewheelenable");
  return hook;
}

}  // namespace vexel
