// Loading and saving a store of 1,000 profiles (33 MB) and 1,000 macros on the
// real file system, saves included flush and rename.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "store/names.h"
#include "store/store_files.h"

namespace vexel {
namespace {

constexpr int kRecords = 1000;

class StoreFolder {
 public:
  StoreFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) paths_.folder = pattern;
    for (int i = 0; i < kRecords; ++i) {
      AddDefaultProfile(profiles_, u"Profile");
      AppendNewMacro(macros_, u"Macro");
    }
  }
  ~StoreFolder() {
    std::error_code ec;
    std::filesystem::remove_all(paths_.folder, ec);
  }
  const StorePaths& paths() const { return paths_; }
  const ProfileList& profiles() const { return profiles_; }
  const MacroLibrary& macros() const { return macros_; }
  const StoreHeader& header() const { return *header_; }

 private:
  StorePaths paths_;
  ProfileList profiles_;
  MacroLibrary macros_;
  StoreHeaderPtr header_ = MakeZeroHeader();
};

void BM_SaveProfiles(benchmark::State& state) {
  StoreFolder store;
  for (auto _ : state) {
    if (!SaveProfiles(store.paths(), store.profiles(), store.header())) state.SkipWithError("save");
  }
}
BENCHMARK(BM_SaveProfiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadProfiles(benchmark::State& state) {
  StoreFolder store;
  if (!SaveProfiles(store.paths(), store.profiles(), store.header())) state.SkipWithError("save");
  ProfileList profiles;
  auto header = MakeZeroHeader();
  for (auto _ : state) {
    LoadProfiles(store.paths(), profiles, *header, u"Profile");
    if (profiles.size() != kRecords) state.SkipWithError("load");
  }
}
BENCHMARK(BM_LoadProfiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveMacros(benchmark::State& state) {
  StoreFolder store;
  for (auto _ : state) {
    if (!SaveMacros(store.paths(), store.macros())) state.SkipWithError("save");
  }
}
BENCHMARK(BM_SaveMacros)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadMacros(benchmark::State& state) {
  StoreFolder store;
  if (!SaveMacros(store.paths(), store.macros())) state.SkipWithError("save");
  MacroLibrary macros;
  for (auto _ : state) {
    LoadMacros(store.paths(), macros);
    if (macros.size() != kRecords) state.SkipWithError("load");
  }
}
BENCHMARK(BM_LoadMacros)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vexel

BENCHMARK_MAIN();
