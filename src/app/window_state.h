// The main window's own state between runs: its size and which sections of
// the page were open. A small text file of its own in the store folder, never
// part of pro.data:
//
//   size 900 640
//   open ms_1_check_button
//   open ms_1_check_dpi
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/file_io.h"

namespace vexel {

inline constexpr char kWindowStateFile[] = "window.state";

struct WindowState {
  int width = 0;  // 0: not known
  int height = 0;
  std::vector<std::string> open_sections;  // the check boxes of the open sections

  bool operator==(const WindowState&) const = default;
};

std::string FormatWindowState(const WindowState& state);
// Untrusted text: sizes out of range and malformed lines are left out.
WindowState ParseWindowState(std::string_view text);

// nullopt when there is no readable state file (the skin's defaults hold).
std::optional<WindowState> LoadWindowState(const std::filesystem::path& file);
SaveResult SaveWindowState(const std::filesystem::path& file, const WindowState& state);

}  // namespace vexel
