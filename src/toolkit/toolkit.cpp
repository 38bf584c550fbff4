#include "toolkit/toolkit.h"

#include <iostream>

#include "toolkit/window_backend.h"

namespace vexel::toolkit {

Toolkit::Toolkit(Clock& clock) : clock_(clock), timers_(clock) {}

Toolkit::~Toolkit() = default;

void Toolkit::SetResourceFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  resource_folder_ = std::move(folder);
}

std::string Toolkit::ResourcePath(std::string_view relative) const {
  if (!relative.empty() && relative.front() == '/') return std::string(relative);
  return resource_folder_ + std::string(relative);
}

void Toolkit::SetLanguage(TextLookup lookup) {
  language_ = std::move(lookup);
  OnLanguageChanged();
}

std::string Toolkit::LanguageText(std::string_view key) const {
  return language_ ? language_(key) : std::string(key);
}

void Toolkit::SetTraceSink(std::function<void(std::string_view)> sink) {
  trace_ = std::move(sink);
}

void Toolkit::Trace(std::string_view line) const {
  if (trace_) {
    trace_(line);
  } else {
    std::cerr << line << '\n';
  }
}

void Toolkit::Retire(std::unique_ptr<WindowBackend> backend) {
  retired_.push_back(std::move(backend));
}

void Toolkit::DeleteRetired() {
  // Deleting a backend may retire nothing new, but be safe with a swap.
  std::vector<std::unique_ptr<WindowBackend>> retired;
  retired.swap(retired_);
}

}  // namespace vexel::toolkit
