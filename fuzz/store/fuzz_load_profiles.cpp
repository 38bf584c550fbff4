// pro.data bytes of any shape: the load never reads out of bounds, and what it
// keeps saves and loads back unchanged.
#include "fuzz_input.h"
#include "store/names.h"
#include "store/store_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexel;
  static const Bytes sound = [] {
    ProfileList profiles;
    AddDefaultProfile(profiles, u"Profile");
    AddDefaultProfile(profiles, u"Profile");
    return SerializeProfiles(profiles, *MakeZeroHeader());
  }();
  ProfileList profiles;
  auto header = MakeZeroHeader();
  ParseProfiles(fuzz::RawOrPatched(data, size, sound), profiles, *header, u"Profile");
  fuzz::Require(header->selected_profile >= 0 &&
                static_cast<std::size_t>(header->selected_profile) < profiles.size());
  const Bytes saved = SerializeProfiles(profiles, *header);
  ProfileList again;
  auto header_again = MakeZeroHeader();
  fuzz::Require(!ParseProfiles(saved, again, *header_again, u"Profile").repaired);
  fuzz::Require(fuzz::SameBytes(SerializeProfiles(again, *header_again), saved));
  return 0;
}
