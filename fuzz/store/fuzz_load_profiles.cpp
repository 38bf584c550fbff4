// pro.data bytes of any shape: the load never reads out of bounds, and what it
// keeps saves and loads back unchanged.
#include <cstdlib>

#include "fuzz_input.h"
#include "store/names.h"
#include "store/store_files.h"

namespace {

vexel::Bytes SoundStore() {
  vexel::ProfileList profiles;
  vexel::AddDefaultProfile(profiles, u"Profile");
  vexel::AddDefaultProfile(profiles, u"Profile");
  return vexel::SerializeProfiles(profiles, *vexel::MakeZeroHeader());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexel;
  static const Bytes sound = SoundStore();
  const Bytes bytes = fuzz::RawOrPatched(data, size, sound);
  ProfileList profiles;
  auto header = MakeZeroHeader();
  ParseProfiles(bytes, profiles, *header, u"Profile");
  if (profiles.empty() || header->selected_profile < 0 ||
      static_cast<std::size_t>(header->selected_profile) >= profiles.size()) {
    std::abort();
  }
  const Bytes saved = SerializeProfiles(profiles, *header);
  ProfileList again;
  auto header_again = MakeZeroHeader();
  if (ParseProfiles(saved, again, *header_again, u"Profile").repaired) std::abort();
  if (!fuzz::SameBytes(SerializeProfiles(again, *header_again), saved)) std::abort();
  return 0;
}
