// The script core: get's JSON against its golden file, set by the page's rules
// (each kind of key lands in what get prints; refusals change nothing), and
// how select names a profile.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>

#include "language/language_table.h"
#include "script/profile_script.h"
#include "store/utf16_name.h"

namespace vexel::script {
namespace {

class ProfileScript : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(language.LoadFile(VEXEL_SOURCE_DIR "/res/lan.xml"));
    ApplyProfileDefaults(*profile);
    SetName(profile->name, u"Profile 1");
    macros.push_back(MakeZeroMacro());
    SetName(macros.back()->name, u"Burst");
    macros.back()->action_count = 2;
  }

  std::string Get() {
    return ProfileJson(*profile, [this](std::string_view key) { return language.Text(key); });
  }

  LanguageTable language;
  std::unique_ptr<ProfileRecord> profile = MakeZeroProfile();
  MacroLibrary macros;
};

TEST_F(ProfileScript, GetOfADefaultProfileIsTheGoldenFile) {
  std::ifstream golden(VEXEL_SOURCE_DIR "/tests/data/script/get_default_profile.json");
  EXPECT_EQ(Get(), std::string(std::istreambuf_iterator<char>(golden), {}));
}

TEST_F(ProfileScript, EachKindOfKeyIsClampedOrTakenAsTheWindowTakesIt) {
  const std::tuple<std::vector<std::string>, std::string, nlohmann::json> cases[] = {
      {{"dpi.3=1299"}, "/dpi/2/dpi", 1200},  // cut to what "Apply DPI" sends
      {{"dpi.1.dpi=25000"}, "/dpi/0/dpi", 10000},
      {{"dpi.1=50"}, "/dpi/0/dpi", 100},
      {{"dpi.8=800"}, "/dpi/7/dpi", 800},
      {{"dpi.7.enabled=true"}, "/dpi/6/enabled", true},
      {{"dpi.2.color=00FF00"}, "/dpi/1/color", "00ff00"},
      {{"dpi_stage=3"}, "/dpi_stage", 3},
      {{"polling_rate_hz=500"}, "/polling_rate_hz", 500},
      {{"light.effect=Breathing"}, "/light/effect", "breathing"},
      {{"light.effect_ble=wave"}, "/light/effect_ble", "wave"},
      {{"light.brightness=99"}, "/light/brightness", 8},
      {{"light.speed=0"}, "/light/speed", 1},
      {{"light.color=#ff8000"}, "/light/color", "ff8000"},
      {{"light.off_after_min=2.5"}, "/light/off_after_min", 2.5},
      {{"light.sleep_after_min=61"}, "/light/sleep_after_min", 60},
      {{"debounce_ms=7"}, "/debounce_ms", 6},
      {{"ripple=true"}, "/ripple", true},
      {{"angle_snap=on"}, "/angle_snap", true},
      {{"lift_off=high"}, "/lift_off", "high"},
      {{"button.9=forward"}, "/buttons/8/function", "forward"},
      {{"button.10=key:Ctrl+Shift+F5"}, "/buttons/9/function", "key:ctrl+shift+f5"},
      {{"button.10=key:ctrl+c"}, "/buttons/9/label", "Ctrl+C"},
      {{"button.10=key:win+enter"}, "/buttons/9/function", "key:win+enter"},
      {{"button.11=macro:burst"}, "/buttons/10/function", "macro:Burst"},
      {{"button.11=macro:Burst", "button.11.play=toggle"}, "/buttons/10/play", "toggle"},
      {{"button.1=right_click", "button.2=left_click"}, "/buttons/1/function", "left_click"},
  };
  for (const auto& [assignments, pointer, expected] : cases) {
    SCOPED_TRACE(assignments.front());
    ApplyProfileDefaults(*profile);
    ASSERT_EQ(ApplyAssignments(*profile, macros, assignments), "");
    EXPECT_EQ(nlohmann::json::parse(Get()).at(nlohmann::json::json_pointer(pointer)), expected);
  }
}

TEST_F(ProfileScript, ABadKeyOrValueIsRefusedWithNothingChanged) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"dpi.9=800"}, "dpi.9=800: no such key"},
      {{"dpi.1=800", "colour=ff0000"}, "colour=ff0000: no such key"},
      {{"dpi_stage"}, "dpi_stage: not KEY=VALUE"},
      {{"dpi.1=800", "polling_rate_hz=300"}, "polling_rate_hz=300: not one of 125, 250, 500, 1000"},
      {{"dpi.1=fast"}, "dpi.1=fast: not a whole number"},
      {{"dpi_stage=9"}, "dpi_stage=9: not a stage 1-8"},
      {{"light.effect=disco"}, "light.effect=disco: not an effect (see vexelctl effects)"},
      {{"light.color=12345"}, "light.color=12345: not a colour RRGGBB"},
      {{"ripple=maybe"}, "ripple=maybe: not true or false"},
      {{"button.9=teleport"}, "button.9=teleport: not a function (see vexelctl functions)"},
      {{"button.9=key:ctrl+ctrl"},
       "button.9=key:ctrl+ctrl: not a key combination such as key:ctrl+c"},
      {{"button.9=macro:none"},
       "button.9=macro:none: no macro of that name in the library (see vexelctl macros)"},
      {{"button.9.play=toggle"}, "button.9.play=toggle: the button plays no macro"},
      {{"button.1=forward"}, "buttons: one button must stay the left click"},
      {{"dpi.2.enabled=false"}, "dpi_stage: the stage in use must be enabled"},
  };
  for (const auto& [assignments, error] : cases) {
    const auto before = std::make_unique<ProfileRecord>(*profile);
    EXPECT_EQ(ApplyAssignments(*profile, macros, assignments), error);
    EXPECT_EQ(std::memcmp(before.get(), profile.get(), sizeof(ProfileRecord)), 0);
  }
}

TEST(ProfileSelector, NamesAPositionOrANameInAnyCase) {
  ProfileList profiles;
  for (const char16_t* name : {u"Game", u"Office", u"7"})
    SetName(profiles.emplace_back(MakeZeroProfile())->name, name);
  const std::pair<std::string, int> cases[] = {{"1", 1},  {"OFFICE", 1}, {"7", 2},
                                               {"3", -1}, {"Photo", -1}, {"-1", -1}};
  for (const auto& [selector, expected] : cases) {
    SCOPED_TRACE(selector);
    std::string error;
    EXPECT_EQ(FindProfile(profiles, selector, error).value_or(-1), expected);
    EXPECT_EQ(error.empty(), expected >= 0);
  }
}

}  // namespace
}  // namespace vexel::script
