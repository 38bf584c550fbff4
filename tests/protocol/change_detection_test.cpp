#include "protocol/change_detection.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <vector>

namespace vexel::protocol {
namespace {

DirtyFlags Only(std::function<void(DirtyFlags&)> set) {
  DirtyFlags flags;
  set(flags);
  return flags;
}

// The button area, and with `button` >= 0 that button's macro.
DirtyFlags ButtonArea(int button = -1) {
  return Only([button](DirtyFlags& f) {
    f.button_map = true;
    if (button >= 0) f.button[button] = true;
  });
}

class ChangeDetection : public ::testing::Test {
 protected:
  ChangeDetection() : baseline_(MakeZeroProfile()) { ApplyProfileDefaults(*baseline_); }
  // What an edit of `baseline_` marks.
  DirtyFlags Marked(const std::function<void(ProfileRecord&)>& edit) {
    auto edited = std::make_unique<ProfileRecord>(*baseline_);
    edit(*edited);
    return DetectChanges(*edited, *baseline_);
  }
  // What flipping bits of the byte at `offset` marks.
  DirtyFlags MarkedAt(std::size_t offset) {
    return Marked(
        [offset](ProfileRecord& p) { reinterpret_cast<unsigned char*>(&p)[offset] ^= 0x5A; });
  }
  std::unique_ptr<ProfileRecord> baseline_;
};

#define AT(field) offsetof(ProfileRecord, field)

TEST_F(ChangeDetection, EachListedFieldMarksOnlyItsBlockAndOthersNothing) {
  const struct {
    DirtyFlags expected;
    std::vector<std::size_t> fields;
  } blocks[] = {
      {Only([](DirtyFlags& f) { f.polling_rate = true; }), {AT(polling_rate)}},
      {Only([](DirtyFlags& f) { f.performance = true; }),
       {AT(dpi_stage_current), AT(reserved_2224), AT(lift_off_distance), AT(performance_reserved),
        AT(ripple_control), AT(angle_snap), AT(dpi_x[7]), AT(dpi_y[0]), AT(dpi_stage_enabled[6]),
        AT(dpi_colour[3].green)}},
      {Only([](DirtyFlags& f) { f.lighting = true; }),
       {AT(light_mode), AT(light_mode_ble), AT(light_breath_speed), AT(light_brightness),
        AT(key_debounce), AT(light_colour.red), AT(sleep_timer), AT(light_off_timer)}},
      {{},
       {AT(name), AT(reserved_text_a[3]), AT(reserved_2200), AT(reserved_2212),
        AT(reserved_2216[7]), AT(reserved_2236[0]), AT(movement_mode), AT(reserved_2376),
        AT(reserved_2388), AT(reserved_colour[5].blue)}},
  };
  for (const auto& block : blocks) {
    for (const std::size_t offset : block.fields)
      EXPECT_EQ(MarkedAt(offset), block.expected) << "offset " << offset;
  }
  EXPECT_EQ(Marked([](ProfileRecord&) {}), DirtyFlags{});
}

TEST_F(ChangeDetection, ButtonAreaAndPerButtonMacros) {
  const struct {
    std::function<void(ProfileRecord&)> edit;
    DirtyFlags expected;
  } cases[] = {
      {[](ProfileRecord& p) { p.button[4].macro_actions[45].delay = 10; }, ButtonArea(4)},
      {[](ProfileRecord& p) { p.button[17].macro_mode = 1; }, ButtonArea(17)},
      {[](ProfileRecord& p) { p.button[17].macro_repeat = 5; }, ButtonArea(17)},
      {[](ProfileRecord& p) { p.button[17].macro_reserved = 1; }, ButtonArea(17)},
      {[](ProfileRecord& p) { p.button[17].reserved_1085[2] = 1; }, ButtonArea(17)},
      // The action count lies in the button area but is not part of the macro.
      {[](ProfileRecord& p) { p.button[2].macro_action_count = 3; }, ButtonArea()},
      // Reserved slots 18-23 belong to the button area.
      {[](ProfileRecord& p) { p.button[23].reserved_70[0] = 1; }, ButtonArea()},
  };
  for (const auto& c : cases) EXPECT_EQ(Marked(c.edit), c.expected);
}

TEST_F(ChangeDetection, EveryWordBeforeTheButtonAreaMarksAtMostOneBlock) {
  for (std::size_t offset = 0; offset < AT(button); offset += 4) {
    const DirtyFlags flags = MarkedAt(offset);
    EXPECT_LE(flags.performance + flags.polling_rate + flags.lighting, 1) << "offset " << offset;
    EXPECT_FALSE(flags.button_map) << "offset " << offset;
  }
}

#undef AT

}  // namespace
}  // namespace vexel::protocol
