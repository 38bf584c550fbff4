// One profile as the fixed 32992-byte little-endian record that is at once the
// in-memory form, an entry of pro.data and the whole of a *.pro file. Every
// offset below is part of those file formats.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vexel {

static_assert(std::endian::native == std::endian::little,
              "records are copied to and from files byte for byte");

// Stored colour: bytes R, G, B, 0 (as an i32: R + G*256 + B*65536).
struct Colour {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t zero;

  friend bool operator==(const Colour&, const Colour&) = default;
};
static_assert(sizeof(Colour) == 4);

constexpr Colour ColourFromRgb(uint8_t red, uint8_t green, uint8_t blue) {
  return Colour{red, green, blue, 0};
}

// One macro step: a key or mouse-button code, press (1) or release (2), and the
// milliseconds to wait after it.
struct MacroAction {
  uint8_t code;
  uint8_t kind;
  uint16_t delay;

  friend bool operator==(const MacroAction&, const MacroAction&) = default;
};
static_assert(sizeof(MacroAction) == 4);
static_assert(offsetof(MacroAction, code) == 0);
static_assert(offsetof(MacroAction, kind) == 1);
static_assert(offsetof(MacroAction, delay) == 2);

inline constexpr uint8_t kActionPress = 1;
inline constexpr uint8_t kActionRelease = 2;
inline constexpr int kMaxMacroActions = 46;
inline constexpr int kProfileNameUnits = 100;  // 99 characters and the terminator
inline constexpr int kMacroNameUnits = 24;     // 23 characters and the terminator

// Function codes with a meaning of their own in the record and the reports.
inline constexpr uint8_t kFunctionKeyCombination = 16;
inline constexpr uint8_t kFunctionMacro = 17;

// What one button does; 1272 bytes.
struct ButtonSlot {
  uint8_t button_index;
  uint8_t function_code;
  uint8_t reserved_2;
  uint8_t key_usage;
  uint8_t reserved_4[3];  // cleared with key_usage when a slot becomes a key combination
  uint8_t modifiers;      // bit 0 Ctrl, 1 Shift, 2 Alt, 3 Win
  uint16_t reserved_8;
  uint8_t reserved_10[2];
  int32_t macro_mode;
  char16_t macro_name[kMacroNameUnits];
  int32_t macro_repeat;
  uint16_t macro_action_count;
  uint8_t reserved_70[1002];
  int32_t macro_index;  // position of the bound macro in the library, -1 = none
  int32_t reserved_1076;
  uint8_t reserved_1080[4];
  uint8_t macro_reserved;
  uint8_t reserved_1085[3];
  MacroAction macro_actions[kMaxMacroActions];
};
static_assert(sizeof(ButtonSlot) == 1272);
static_assert(offsetof(ButtonSlot, button_index) == 0);
static_assert(offsetof(ButtonSlot, function_code) == 1);
static_assert(offsetof(ButtonSlot, reserved_2) == 2);
static_assert(offsetof(ButtonSlot, key_usage) == 3);
static_assert(offsetof(ButtonSlot, reserved_4) == 4);
static_assert(offsetof(ButtonSlot, modifiers) == 7);
static_assert(offsetof(ButtonSlot, reserved_8) == 8);
static_assert(offsetof(ButtonSlot, macro_mode) == 12);
static_assert(offsetof(ButtonSlot, macro_name) == 16);
static_assert(offsetof(ButtonSlot, macro_repeat) == 64);
static_assert(offsetof(ButtonSlot, macro_action_count) == 68);
static_assert(offsetof(ButtonSlot, reserved_70) == 70);
static_assert(offsetof(ButtonSlot, macro_index) == 1072);
static_assert(offsetof(ButtonSlot, reserved_1076) == 1076);
static_assert(offsetof(ButtonSlot, macro_reserved) == 1084);
static_assert(offsetof(ButtonSlot, macro_actions) == 1088);

inline constexpr int kButtonSlotCount = 24;  // slots 18-23 are reserved and stay zero
inline constexpr int kUsedButtonCount = 18;
inline constexpr int kDpiStageCount = 8;

struct ProfileRecord {
  char16_t name[kProfileNameUnits];
  char16_t reserved_text_a[500];
  char16_t reserved_text_b[500];
  int32_t reserved_2200;
  int32_t reserved_2204;
  uint8_t reserved_2208;
  uint8_t reserved_2209[3];
  int32_t reserved_2212;
  uint8_t reserved_2216[8];
  int32_t reserved_2224;
  int32_t lift_off_distance;
  int32_t performance_reserved;
  uint8_t reserved_2236[8];
  int32_t dpi_x[kDpiStageCount];  // units of 100 DPI
  int32_t dpi_y[kDpiStageCount];
  int32_t dpi_stage_enabled[kDpiStageCount];  // 1 = in use
  int32_t light_brightness;
  int32_t light_breath_speed;
  int32_t sleep_timer;
  int32_t light_off_timer;
  int32_t dpi_stage_current;
  int32_t polling_rate;
  int32_t movement_mode;
  int32_t ripple_control;
  int32_t angle_snap;
  int32_t reserved_2376;
  int32_t light_mode;
  int32_t light_mode_ble;
  uint8_t reserved_2388;
  uint8_t reserved_2389[3];
  int32_t key_debounce;
  Colour light_colour;
  Colour dpi_colour[kDpiStageCount];
  Colour reserved_colour[kDpiStageCount];
  ButtonSlot button[kButtonSlotCount];
};
static_assert(sizeof(ProfileRecord) == 32992);
static_assert(std::is_standard_layout_v<ProfileRecord>);
static_assert(std::is_trivial_v<ProfileRecord>);
static_assert(offsetof(ProfileRecord, name) == 0);
static_assert(offsetof(ProfileRecord, reserved_text_a) == 200);
static_assert(offsetof(ProfileRecord, reserved_text_b) == 1200);
static_assert(offsetof(ProfileRecord, reserved_2200) == 2200);
static_assert(offsetof(ProfileRecord, reserved_2204) == 2204);
static_assert(offsetof(ProfileRecord, reserved_2208) == 2208);
static_assert(offsetof(ProfileRecord, reserved_2212) == 2212);
static_assert(offsetof(ProfileRecord, reserved_2216) == 2216);
static_assert(offsetof(ProfileRecord, reserved_2224) == 2224);
static_assert(offsetof(ProfileRecord, lift_off_distance) == 2228);
static_assert(offsetof(ProfileRecord, performance_reserved) == 2232);
static_assert(offsetof(ProfileRecord, reserved_2236) == 2236);
static_assert(offsetof(ProfileRecord, dpi_x) == 2244);
static_assert(offsetof(ProfileRecord, dpi_y) == 2276);
static_assert(offsetof(ProfileRecord, dpi_stage_enabled) == 2308);
static_assert(offsetof(ProfileRecord, light_brightness) == 2340);
static_assert(offsetof(ProfileRecord, light_breath_speed) == 2344);
static_assert(offsetof(ProfileRecord, sleep_timer) == 2348);
static_assert(offsetof(ProfileRecord, light_off_timer) == 2352);
static_assert(offsetof(ProfileRecord, dpi_stage_current) == 2356);
static_assert(offsetof(ProfileRecord, polling_rate) == 2360);
static_assert(offsetof(ProfileRecord, movement_mode) == 2364);
static_assert(offsetof(ProfileRecord, ripple_control) == 2368);
static_assert(offsetof(ProfileRecord, angle_snap) == 2372);
static_assert(offsetof(ProfileRecord, reserved_2376) == 2376);
static_assert(offsetof(ProfileRecord, light_mode) == 2380);
static_assert(offsetof(ProfileRecord, light_mode_ble) == 2384);
static_assert(offsetof(ProfileRecord, reserved_2388) == 2388);
static_assert(offsetof(ProfileRecord, key_debounce) == 2392);
static_assert(offsetof(ProfileRecord, light_colour) == 2396);
static_assert(offsetof(ProfileRecord, dpi_colour) == 2400);
static_assert(offsetof(ProfileRecord, reserved_colour) == 2432);
static_assert(offsetof(ProfileRecord, button) == 2464);

// Profiles in list order; the list owns its records.
using ProfileList = std::vector<std::unique_ptr<ProfileRecord>>;

// Function of slots 0-17 after a reset: left, right, wheel click, DPI cycle,
// DPI cycle, DPI down, forward, backward, eight times off, scroll down, scroll up.
inline constexpr std::array<uint8_t, kUsedButtonCount> default_function_table = {
    1, 2, 3, 6, 6, 8, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 12, 11};

// A zero-filled record (the state every record starts from).
std::unique_ptr<ProfileRecord> MakeZeroProfile();

// Writes the default values into `record`; keeps its name, movement_mode and the
// reserved bytes no default covers, and clears every button assignment.
void ApplyProfileDefaults(ProfileRecord& record);

// The DPI reset: dpi_stage_current, dpi_x, dpi_y, dpi_stage_enabled and
// dpi_colour get their defaults; nothing else changes.
void ApplyDpiDefaults(ProfileRecord& record);

// Stored colour <-> the toolkit's 0xFFRRGGBB.
uint32_t ColourToArgb(Colour colour);
Colour ArgbToColour(uint32_t argb);

// A colour as the i32 the record holds (R + G*256 + B*65536 + zero*2^24).
int32_t ColourAsInt(Colour colour);
Colour ColourFromInt(int32_t value);

}  // namespace vexel
