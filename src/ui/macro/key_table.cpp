#include "ui/macro/key_table.h"

#include <algorithm>
#include <array>

namespace vexel {
namespace {

constexpr std::size_t kPositionalRowCount = 66;

constexpr auto kRows = std::to_array<KeyTableRow>({
    // {virtual key, usage, scan code}
    {65, 4, 30},    // A
    {66, 5, 48},    // B
    {67, 6, 46},    // C
    {68, 7, 32},    // D
    {69, 8, 18},    // E
    {70, 9, 33},    // F
    {71, 10, 34},   // G
    {72, 11, 35},   // H
    {73, 12, 23},   // I
    {74, 13, 36},   // J
    {75, 14, 37},   // K
    {76, 15, 38},   // L
    {77, 16, 50},   // M
    {78, 17, 49},   // N
    {79, 18, 24},   // O
    {80, 19, 25},   // P
    {81, 20, 16},   // Q
    {82, 21, 19},   // R
    {83, 22, 31},   // S
    {84, 23, 20},   // T
    {85, 24, 22},   // U
    {86, 25, 47},   // V
    {87, 26, 17},   // W
    {88, 27, 45},   // X
    {89, 28, 21},   // Y
    {90, 29, 44},   // Z
    {49, 30, 2},    // 1
    {50, 31, 3},    // 2
    {51, 32, 4},    // 3
    {52, 33, 5},    // 4
    {53, 34, 6},    // 5
    {54, 35, 7},    // 6
    {55, 36, 8},    // 7
    {56, 37, 9},    // 8
    {57, 38, 10},   // 9
    {48, 39, 11},   // 0
    {13, 40, 28},   // Enter
    {27, 41, 1},    // Esc
    {8, 42, 14},    // BackSpace
    {9, 43, 15},    // Tab
    {32, 44, 57},   // Space
    {189, 45, 12},  // -
    {187, 46, 13},  // =
    {219, 47, 26},  // [
    {221, 48, 27},  // ]
    {220, 49, 43},  // backslash
    {186, 51, 39},  // ;
    {222, 52, 40},  // '
    {192, 53, 41},  // `
    {188, 54, 51},  // ,
    {190, 55, 52},  // .
    {191, 56, 53},  // /
    {223, 56, 53},  // OEM 8
    {20, 57, 58},   // Caps Lock
    {112, 58, 59},  // F1
    {113, 59, 60},  // F2
    {114, 60, 61},  // F3
    {115, 61, 62},  // F4
    {116, 62, 63},  // F5
    {117, 63, 64},  // F6
    {118, 64, 65},  // F7
    {119, 65, 66},  // F8
    {120, 66, 67},  // F9
    {121, 67, 68},  // F10
    {122, 68, 87},  // F11
    {123, 69, 88},  // F12
    // Keys named by the language table, carrying no scan code.
    {44, 70, 0},
    {145, 71, 0},
    {19, 72, 0},
    {45, 73, 0},
    {36, 74, 0},
    {33, 75, 0},
    {46, 76, 0},
    {35, 77, 0},
    {34, 78, 0},
    {39, 79, 0},
    {37, 80, 0},
    {40, 81, 0},
    {38, 82, 0},
    {144, 83, 0},
    {111, 84, 0},
    {106, 85, 0},
    {109, 86, 0},
    {107, 87, 0},
    {108, 88, 0},
    {97, 89, 0},
    {98, 90, 0},
    {99, 91, 0},
    {100, 92, 0},
    {101, 93, 0},
    {103, 95, 0},
    {102, 94, 0},
    {104, 96, 0},
    {105, 97, 0},
    {96, 98, 0},
    {110, 99, 0},
    {93, 101, 0},
    {162, 224, 0},
    {160, 225, 0},
    {164, 226, 0},
    {91, 227, 0},
    {163, 228, 0},
    {161, 229, 0},
    {165, 230, 0},
    {92, 231, 0},
    {240, 240, 0},
    {241, 241, 0},
    {242, 242, 0},
    {243, 243, 0},
    {244, 244, 0},
    {247, 247, 0},
    {248, 248, 0},
});
static_assert(kRows.size() == 112);
static_assert(std::all_of(kRows.begin(), kRows.begin() + kPositionalRowCount,
                          [](const KeyTableRow& row) { return row.scan_code != 0; }));

const KeyTableRow* FindFirst(std::span<const KeyTableRow> rows, uint32_t KeyTableRow::*field,
                             uint32_t value) {
  const auto found = std::find_if(rows.begin(), rows.end(),
                                  [&](const KeyTableRow& row) { return row.*field == value; });
  return found == rows.end() ? nullptr : &*found;
}

}  // namespace

std::span<const KeyTableRow> KeyTable() {
  return kRows;
}

std::span<const KeyTableRow> PositionalKeyRows() {
  return KeyTable().first(kPositionalRowCount);
}

const KeyTableRow* FindRowByVirtualKey(uint32_t virtual_key) {
  return FindFirst(KeyTable(), &KeyTableRow::virtual_key, virtual_key);
}

const KeyTableRow* FindRowByUsage(uint32_t usage) {
  return FindFirst(KeyTable(), &KeyTableRow::usage, usage);
}

const KeyTableRow* FindPositionalRowByScanCode(uint32_t scan_code) {
  if (scan_code == 0) return nullptr;
  return FindFirst(PositionalKeyRows(), &KeyTableRow::scan_code, scan_code);
}

}  // namespace vexel
