#include "ui/macro/macro_rules.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace vexel {

int CapacityUnits(std::span<const MacroAction> actions) {
  int units = 0;
  for (const MacroAction& action : actions) units += action.delay > kLongDelayMs ? 2 : 1;
  return units;
}

int64_t ReadDecimal(std::string_view text) {
  constexpr int64_t kSaturation = int64_t{1} << 40;
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = std::min(kSaturation, value * 10 + (text[i] - '0'));
  }
  return negative ? -value : value;
}

uint16_t BoundedDelay(std::string_view text) {
  return static_cast<uint16_t>(std::clamp<int64_t>(ReadDecimal(text), kMinDelayMs, kMaxDelayMs));
}

bool IsMouseButtonCode(uint8_t code) {
  return ClickItemOfCode(code).has_value();
}

std::optional<int> ClickItemOfCode(uint8_t code) {
  const auto* found = std::find(std::begin(kClickCodes), std::end(kClickCodes), code);
  if (found == std::end(kClickCodes)) return std::nullopt;
  return static_cast<int>(found - std::begin(kClickCodes));
}

}  // namespace vexel
