#include "app/window_state.h"

#include <algorithm>
#include <charconv>
#include <span>

namespace vexel {
namespace {

// Far beyond any real file: a larger one is not ours.
constexpr std::size_t kMaxStateBytes = 4096;
constexpr std::size_t kMaxSections = 32;
constexpr std::size_t kMaxNameLength = 64;
constexpr int kMaxSide = 16384;

bool ReadSide(std::string_view word, int* side) {
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, *side);
  return error == std::errc() && stop == end && *side > 0 && *side <= kMaxSide;
}

bool IsControlName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxNameLength &&
         std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_';
         });
}

// The words of a line, split at spaces.
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  while (!line.empty()) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    line.remove_prefix(start);
    const std::size_t stop = std::min(line.find(' '), line.size());
    words.push_back(line.substr(0, stop));
    line.remove_prefix(stop);
  }
  return words;
}

}  // namespace

std::string FormatWindowState(const WindowState& state) {
  std::string text;
  if (state.width > 0 && state.height > 0) {
    text += "size " + std::to_string(state.width) + " " + std::to_string(state.height) + "\n";
  }
  for (const std::string& name : state.open_sections) text += "open " + name + "\n";
  return text;
}

WindowState ParseWindowState(std::string_view text) {
  WindowState state;
  while (!text.empty()) {
    const std::size_t stop = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> words = Words(text.substr(0, stop));
    text.remove_prefix(std::min(stop + 1, text.size()));
    int width = 0;
    int height = 0;
    if (words.size() == 3 && words[0] == "size" && ReadSide(words[1], &width) &&
        ReadSide(words[2], &height)) {
      state.width = width;
      state.height = height;
    } else if (words.size() == 2 && words[0] == "open" && IsControlName(words[1]) &&
               state.open_sections.size() < kMaxSections) {
      state.open_sections.emplace_back(words[1]);
    }
  }
  return state;
}

std::optional<WindowState> LoadWindowState(const std::filesystem::path& file) {
  const FileRead read = ReadFileBytes(file, kMaxStateBytes);
  if (!read) return std::nullopt;
  return ParseWindowState(
      std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()));
}

SaveResult SaveWindowState(const std::filesystem::path& file, const WindowState& state) {
  const std::string text = FormatWindowState(state);
  return WriteFileAtomically(file, std::as_bytes(std::span(text)));
}

}  // namespace vexel
