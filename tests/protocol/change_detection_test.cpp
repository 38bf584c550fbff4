#include "protocol/change_detection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace vexel::protocol {
namespace {

DirtyFlags Only(std::function<void(DirtyFlags&)> set) {
  DirtyFlags flags;
  set(flags);
  return flags;
}

class ChangeDetection : public ::testing::Test {
 protected:
  void SetUp() override {
    baseline_ = MakeZeroProfile();
    ApplyProfileDefaults(*baseline_);
    edited_ = std::make_unique<ProfileRecord>(*baseline_);
  }
  std::unique_ptr<ProfileRecord> baseline_;
  std::unique_ptr<ProfileRecord> edited_;
};

TEST_F(ChangeDetection, EachListedFieldMarksOnlyItsBlockAndOthersNothing) {
  const DirtyFlags performance = Only([](DirtyFlags& f) { f.performance = true; });
  const DirtyFlags lighting = Only([](DirtyFlags& f) { f.lighting = true; });
  const DirtyFlags polling = Only([](DirtyFlags& f) { f.polling_rate = true; });
  const struct {
    const char* name;
    std::function<void(ProfileRecord&)> edit;
    DirtyFlags expected;
  } cases[] = {
      {"polling_rate", [](ProfileRecord& p) { p.polling_rate = 0; }, polling},
      {"dpi_stage_current", [](ProfileRecord& p) { p.dpi_stage_current = 4; }, performance},
      {"reserved_2224", [](ProfileRecord& p) { p.reserved_2224 = 1; }, performance},
      {"lift_off_distance", [](ProfileRecord& p) { p.lift_off_distance = 1; }, performance},
      {"performance_reserved", [](ProfileRecord& p) { p.performance_reserved = 1; }, performance},
      {"ripple_control", [](ProfileRecord& p) { p.ripple_control = 1; }, performance},
      {"angle_snap", [](ProfileRecord& p) { p.angle_snap = 1; }, performance},
      {"dpi_x[7]", [](ProfileRecord& p) { p.dpi_x[7] = 9; }, performance},
      {"dpi_y[0]", [](ProfileRecord& p) { p.dpi_y[0] = 9; }, performance},
      {"dpi_stage_enabled[6]", [](ProfileRecord& p) { p.dpi_stage_enabled[6] = 1; }, performance},
      {"dpi_colour[3]", [](ProfileRecord& p) { p.dpi_colour[3].green = 1; }, performance},
      {"light_mode", [](ProfileRecord& p) { p.light_mode = 1; }, lighting},
      {"light_mode_ble", [](ProfileRecord& p) { p.light_mode_ble = 1; }, lighting},
      {"light_breath_speed", [](ProfileRecord& p) { p.light_breath_speed = 1; }, lighting},
      {"light_brightness", [](ProfileRecord& p) { p.light_brightness = 1; }, lighting},
      {"key_debounce", [](ProfileRecord& p) { p.key_debounce = 1; }, lighting},
      {"light_colour", [](ProfileRecord& p) { p.light_colour.red = 1; }, lighting},
      {"sleep_timer", [](ProfileRecord& p) { p.sleep_timer = 1; }, lighting},
      {"light_off_timer", [](ProfileRecord& p) { p.light_off_timer = 1; }, lighting},
      {"identical", [](ProfileRecord&) {}, {}},
      {"name", [](ProfileRecord& p) { p.name[0] = u'X'; }, {}},
      {"reserved_text_a", [](ProfileRecord& p) { p.reserved_text_a[3] = u'X'; }, {}},
      {"reserved_2200", [](ProfileRecord& p) { p.reserved_2200 = 1; }, {}},
      {"reserved_2212", [](ProfileRecord& p) { p.reserved_2212 = 1; }, {}},
      {"reserved_2216", [](ProfileRecord& p) { p.reserved_2216[7] = 1; }, {}},
      {"reserved_2236", [](ProfileRecord& p) { p.reserved_2236[0] = 1; }, {}},
      {"movement_mode", [](ProfileRecord& p) { p.movement_mode = 1; }, {}},
      {"reserved_2376", [](ProfileRecord& p) { p.reserved_2376 = 7; }, {}},
      {"reserved_2388", [](ProfileRecord& p) { p.reserved_2388 = 7; }, {}},
      {"reserved_colour", [](ProfileRecord& p) { p.reserved_colour[5].blue = 7; }, {}},
  };
  for (const auto& c : cases) {
    auto edited = std::make_unique<ProfileRecord>(*baseline_);
    c.edit(*edited);
    EXPECT_EQ(DetectChanges(*edited, *baseline_), c.expected) << c.name;
  }
}

TEST_F(ChangeDetection, ButtonAreaAndPerButtonMacros) {
  // A macro step: the button area and that button's macro, nothing else.
  edited_->button[4].macro_actions[45].delay = 10;
  DirtyFlags expected = Only([](DirtyFlags& f) {
    f.button_map = true;
    f.button[4] = true;
  });
  EXPECT_EQ(DetectChanges(*edited_, *baseline_), expected);

  // The action count lies in the button area but is not part of the macro.
  *edited_ = *baseline_;
  edited_->button[2].macro_action_count = 3;
  EXPECT_EQ(DetectChanges(*edited_, *baseline_), Only([](DirtyFlags& f) { f.button_map = true; }));

  // mode, repeat and the macro_reserved word each mark the button.
  for (auto edit :
       {+[](ButtonSlot& s) { s.macro_mode = 1; }, +[](ButtonSlot& s) { s.macro_repeat = 5; },
        +[](ButtonSlot& s) { s.macro_reserved = 1; },
        +[](ButtonSlot& s) { s.reserved_1085[2] = 1; }}) {
    *edited_ = *baseline_;
    edit(edited_->button[17]);
    const DirtyFlags flags = DetectChanges(*edited_, *baseline_);
    EXPECT_TRUE(flags.button_map);
    EXPECT_TRUE(flags.button[17]);
  }

  // Reserved slots 18-23 belong to the button area.
  *edited_ = *baseline_;
  edited_->button[23].reserved_70[0] = 1;
  EXPECT_EQ(DetectChanges(*edited_, *baseline_), Only([](DirtyFlags& f) { f.button_map = true; }));
}

TEST_F(ChangeDetection, EveryWordBeforeTheButtonAreaMarksAtMostOneBlock) {
  constexpr std::size_t kButtonArea = offsetof(ProfileRecord, button);
  for (std::size_t offset = 0; offset < kButtonArea; offset += 4) {
    auto edited = std::make_unique<ProfileRecord>(*baseline_);
    reinterpret_cast<unsigned char*>(edited.get())[offset] ^= 0x5A;
    const DirtyFlags flags = DetectChanges(*edited, *baseline_);
    const int marked = flags.performance + flags.polling_rate + flags.lighting + flags.button_map;
    EXPECT_LE(marked, 1) << "offset " << offset;
    EXPECT_FALSE(flags.button_map) << "offset " << offset;
  }
}

}  // namespace
}  // namespace vexel::protocol
