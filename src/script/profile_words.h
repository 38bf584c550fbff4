// The fixed sets of words and numbers that get prints and set reads back,
// written once for both directions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/profile_record.h"

namespace vexel::script {

// polling_rate index 0-3 in hertz.
inline constexpr std::array<int, 4> kPollingRatesHz = {125, 250, 500, 1000};
// lift_off_distance option index 0-1.
inline constexpr std::array<std::string_view, 2> kLiftOffWords = {"low", "high"};
// macro_mode 0-2: play N times, while the button is held, until pressed again.
inline constexpr std::array<std::string_view, 3> kPlayWords = {"times", "while_held", "toggle"};

// Ranges of the page's sliders and boxes.
inline constexpr int kMinDpi = 100, kMaxDpi = 10000;  // the DPI boxes; stored /100
inline constexpr int kMinBrightness = 1, kMaxBrightness = 8;
inline constexpr int kMinSpeed = 1, kMaxSpeed = 8;
inline constexpr int kMinTimer = 1, kMaxTimer = 60;        // light-off half-minutes, sleep minutes
inline constexpr int kMinDebounce = 1, kMaxDebounce = 15;  // units of 2 ms
inline constexpr int kMinRepeat = 1, kMaxRepeat = 255;
inline constexpr int kScriptButtons = 12;  // buttons 1-12 take a function from the page

// "RRGGBB", lower case.
std::string ColourText(const Colour& colour);

}  // namespace vexel::script
