#include "toolkit/toolkit.h"

#include <cstdio>
#include <filesystem>

#include "toolkit/control.h"
#include "toolkit/user_input.h"
#include "toolkit/window.h"
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

std::string Toolkit::ControlText(std::string_view key, std::string_view control_name) const {
  std::string text = LanguageText(key);
  const std::size_t number = control_name.find_last_not_of("0123456789") + 1;
  const std::size_t slot = text.find("%d");
  if (slot != std::string::npos && number < control_name.size()) {
    text.replace(slot, 2, control_name.substr(number));
  }
  return text;
}

void Toolkit::SetTraceSink(std::function<void(std::string_view)> sink) {
  trace_ = std::move(sink);
}

void Toolkit::Trace(std::string_view line) const {
  if (trace_) {
    trace_(line);
  } else {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  }
}

void Toolkit::Retire(std::unique_ptr<WindowBackend> backend) {
  retired_.push_back(std::move(backend));
  OnBackendRetired();
}

void Toolkit::DeleteRetired() {
  // Deleting a backend may retire nothing new, but be safe with a swap.
  std::vector<std::unique_ptr<WindowBackend>> retired;
  retired.swap(retired_);
}

void Toolkit::ScriptModal(ModalScript script) {
  modal_scripts_.push_back(std::move(script));
}

void Toolkit::ScriptModalClick(std::string control_name) {
  ScriptModal([this, name = std::move(control_name)](Window& window) {
    if (Control* control = window.FindControl(name)) Input().Click(*control);
  });
}

bool Toolkit::RunModalScript(Window& window) {
  modal_log_.push_back(window.WindowClassName());
  if (modal_scripts_.empty()) return false;
  ModalScript script = std::move(modal_scripts_.front());
  modal_scripts_.pop_front();
  script(window);
  return true;
}

void Toolkit::ScriptFileDialog(std::optional<std::string> answer) {
  file_answers_.push_back(std::move(answer));
}

std::optional<std::optional<std::string>> Toolkit::TakeFileDialogAnswer(
    const FileDialogRequest& request) {
  file_requests_.push_back(request);
  if (file_answers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(file_answers_.front());
  file_answers_.pop_front();
  if (answer && request.mode == FileDialogRequest::Mode::kSave &&
      !request.default_extension.empty() &&
      !std::filesystem::path(*answer).filename().has_extension()) {
    *answer += "." + request.default_extension;
  }
  return answer;
}

}  // namespace vexel::toolkit
