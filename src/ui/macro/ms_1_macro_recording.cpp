// Recording: the hook library reports key and mouse-button presses and
// releases made anywhere on the desktop as message 1034 to the editor, which
// turns them into steps of the open macro with the pauses between them. The
// key field of the action editor takes the next key pressed the same way.
#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "messages/app_messages.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "ui/macro/macro_rules.h"
#include "ui/macro/ms_1_macro.h"

namespace vexel {
namespace {

constexpr char kStartRecordingText[] = "start_recording_text";
constexpr char kStopRecordingText[] = "stop_recording_text";
// Virtual-key codes are below this; the hook's button reports lie above.
constexpr uintptr_t kVirtualKeyLimit = 256;
constexpr intptr_t kAnySideButton = 0;
// Pauses beyond this are reports that arrived before the tick they are
// measured from (half the 32-bit tick range).
constexpr uint32_t kLatestArrival = 0x7FFFFFFF;

struct ButtonReport {
  uintptr_t wparam;
  intptr_t side;  // lParam of the side-button reports; kAnySideButton otherwise
  uint8_t code;
  uint8_t kind;
};

constexpr ButtonReport kButtonReports[] = {
    {kHookLeftButtonDown, kAnySideButton, kMacroCodeLeftButton, kActionPress},
    {kHookLeftButtonUp, kAnySideButton, kMacroCodeLeftButton, kActionRelease},
    {kHookRightButtonDown, kAnySideButton, kMacroCodeRightButton, kActionPress},
    {kHookRightButtonUp, kAnySideButton, kMacroCodeRightButton, kActionRelease},
    {kHookMiddleButtonDown, kAnySideButton, kMacroCodeMiddleButton, kActionPress},
    {kHookMiddleButtonUp, kAnySideButton, kMacroCodeMiddleButton, kActionRelease},
    {kHookSideButtonDown, 2, kMacroCodeSideButton2, kActionPress},
    {kHookSideButtonDown, 1, kMacroCodeSideButton1, kActionPress},
    {kHookSideButtonUp, 2, kMacroCodeSideButton2, kActionRelease},
    {kHookSideButtonUp, 1, kMacroCodeSideButton1, kActionRelease},
};

template <class Entry, class... Args>
void CallHook(Entry entry, Args... args) {
  if (entry != nullptr) entry(args...);
}

}  // namespace

// The step a hook report stands for: a button from the table, else a key by
// its usage (0 for a key the table lacks). Button reports the table does not
// know (the wheel, a third side button) are not steps.
std::optional<MacroAction> CMS_1_Macro::StepOfReport(uintptr_t wparam, intptr_t lparam) const {
  for (const ButtonReport& report : kButtonReports) {
    if (report.wparam == wparam && (report.side == kAnySideButton || report.side == lparam)) {
      return MacroAction{report.code, report.kind, kMinDelayMs};
    }
  }
  if (wparam >= kVirtualKeyLimit) return std::nullopt;
  const auto usage = static_cast<uint8_t>(key_naming_.UsageFromVirtualKey(wparam).usage);
  return MacroAction{usage, lparam == kKeyPressed ? kActionPress : kActionRelease, kMinDelayMs};
}

// The hook library's thread posts into the editor's queue; the UI thread
// takes the report from there.
void CMS_1_Macro::PostHookReport(void* context, uint32_t message, uintptr_t wparam,
                                 intptr_t lparam) {
  auto* editor = static_cast<CMS_1_Macro*>(context);
  editor->hook_arrivals_.Note(wparam, lparam, editor->Tick());
  editor->PostMessage(message, wparam, lparam);
}

uint32_t CMS_1_Macro::Tick() const {
  return static_cast<uint32_t>(toolkit().clock().Now().count());
}

void CMS_1_Macro::InstallKeyHook() {
  if (host_.hooks == nullptr) return;
  hook_window_ = VexelPostTarget{&PostHookReport, this};
  CallHook(host_.hooks->installhook, &hook_window_);
  CallHook(host_.hooks->enablehook, 1);
  keys_hooked_ = true;
}

void CMS_1_Macro::RemoveHooks() {
  if (host_.hooks != nullptr && keys_hooked_) {
    CallHook(host_.hooks->removehook);
    CallHook(host_.hooks->enablehook, 0);
  }
  if (host_.hooks != nullptr && buttons_hooked_) {
    CallHook(host_.hooks->removemousehook);
    CallHook(host_.hooks->enablemousehook, 0);
  }
  keys_hooked_ = buttons_hooked_ = buttons_enabled_ = false;
  hook_target_ = HookTarget::kNone;
}

void CMS_1_Macro::ShowRecording(bool on) {
  if (!c_->record_btn) return;
  c_->record_btn->SetText(on ? kStopRecordingText : kStartRecordingText);
  c_->record_btn->SetChecked(on);
}

void CMS_1_Macro::ShowCaptureLimit() {
  if (c_->record_x11_label) c_->record_x11_label->SetVisible(host_.input_capture_x11_only);
}

void CMS_1_Macro::OnRecordCheck(bool /*checked*/) {
  if (recording_) {
    StopRecording();
    return;
  }
  if (host_.hooks == nullptr || host_.hooks->installhook == nullptr) {
    // Without the hook library nothing would ever be captured: say so rather
    // than record silence.
    if (c_->record_btn) c_->record_btn->SetChecked(false);
    Ask("macro_record_no_hook_text");
    return;
  }
  if (current_macro_ == nullptr) AddNewMacro();
  if (current_macro_ == nullptr) {
    // No macro could be added: there is nothing to record into.
    if (c_->record_btn) c_->record_btn->SetChecked(false);
    return;
  }
  if (selected_action_ < 0) {
    working_actions_.fill(MacroAction{});
    working_count_ = 0;
    insert_mode_ = 0;
    insert_position_ = first_insert_position_ = -1;
    RedrawActionList();
  } else {
    insert_mode_ = 1;
    insert_position_ = first_insert_position_ = selected_action_ + 1;
  }
  StartRecording();
}

void CMS_1_Macro::StartRecording() {
  recording_ = 1;
  recording_active_ = 1;
  ShowRecording(true);
  // Bounded as the delay fields are: a 16-bit cut of a larger entry would
  // give any value at all.
  if (c_->default_delay_edit) default_delay_ = BoundedDelay(c_->default_delay_edit->Text());
  // A report left from an earlier recording must not swallow the first one.
  previous_event_ = {0, 0};
  hook_target_ = HookTarget::kRecording;
  // Button reports start only when the pointer leaves the record button, so
  // the click that started the recording is not recorded.
  InstallKeyHook();
  if (host_.hooks) CallHook(host_.hooks->mousewheelenable, 0);
  last_event_tick_ = Tick();
}

void CMS_1_Macro::StopRecording() {
  last_event_tick_ = 0;
  recording_ = 0;
  ShowRecording(false);
  if (const HookEntries* hooks = host_.hooks) {
    CallHook(hooks->removehook);
    CallHook(hooks->removemousehook);
    CallHook(hooks->enablemousehook, 0);
    CallHook(hooks->enablehook, 0);
    CallHook(hooks->mousewheelenable, 0);
  }
  keys_hooked_ = buttons_hooked_ = buttons_enabled_ = false;
  recording_active_ = 0;
  // Reports still queued behind the stop are dropped.
  if (hook_target_ == HookTarget::kRecording) hook_target_ = HookTarget::kNone;
  CommitMacro();
}

void CMS_1_Macro::OnRecordButtonHover(bool inside) {
  if (!recording_ || host_.hooks == nullptr) return;
  CallHook(host_.hooks->enablemousehook, inside ? 0 : 1);
  buttons_enabled_ = !inside;
  if (!inside) buttons_hooked_ = true;
}

void CMS_1_Macro::RecordEvent(const toolkit::Message& message, uint32_t arrival_tick) {
  if (!recording_) return;
  const std::pair report{message.wparam, message.lparam};
  if (report == previous_event_) return;  // a key held down
  previous_event_ = report;
  const int units = CapacityUnits(std::span(working_actions_.data(), working_count_));
  Debug("iTotalNum = " + std::to_string(units) + "\r\n");
  if (units >= kMaxMacroActions) {
    StopRecording();
    return;
  }
  const std::optional<MacroAction> step = StepOfReport(message.wparam, message.lparam);
  if (!step) return;
  uint16_t pause = kMinDelayMs;
  if (recording_active_) {
    if (delay_mode_ == DelayMode::kRecorded) {
      // A report that arrived before the recording started took no time.
      uint32_t elapsed = arrival_tick - last_event_tick_;
      if (elapsed > kLatestArrival) elapsed = 0;
      pause = static_cast<uint16_t>(std::min<uint32_t>(elapsed, kMaxDelayMs));
    } else if (delay_mode_ == DelayMode::kDefault) {
      pause = default_delay_;
    }
    // The pause belongs to the step recorded before this one. The first step
    // has none: the time from the start click to it is not part of the macro,
    // and the step after an inserted block keeps its own delay.
    if (insert_position_ == -1) {
      if (working_count_ >= 1 && working_count_ <= kMaxMacroActions) {
        working_actions_[working_count_ - 1].delay = pause;
      }
    } else if (insert_position_ != first_insert_position_ && insert_position_ >= 1) {
      working_actions_[insert_position_ - 1].delay = pause;
    }
  }
  InsertAction(*step);
  const int newest = insert_position_ == -1 ? working_count_ - 1 : insert_position_ - 1;
  if (newest >= 0) working_actions_[newest].delay = kMinDelayMs;
  last_event_tick_ = arrival_tick;
  recording_active_ = 1;
  if (working_count_ >= kMaxMacroActions) StopRecording();
  RedrawActionList();
}

void CMS_1_Macro::StartKeyCapture() {
  hook_target_ = HookTarget::kKeyCapture;
  InstallKeyHook();
}

void CMS_1_Macro::StopKeyCapture() {
  if (hook_target_ != HookTarget::kKeyCapture) return;
  if (host_.hooks != nullptr && keys_hooked_) {
    CallHook(host_.hooks->removehook);
    CallHook(host_.hooks->enablehook, 0);
  }
  keys_hooked_ = false;
  hook_target_ = HookTarget::kNone;
  // A recording under way gets the keyboard back instead of going deaf, and
  // the buttons too: the library switched them off with the last window.
  if (recording_) {
    hook_target_ = HookTarget::kRecording;
    InstallKeyHook();
    if (buttons_enabled_) CallHook(host_.hooks->enablemousehook, 1);
  }
}

void CMS_1_Macro::CaptureKey(const toolkit::Message& message) {
  // Button reports of a recording under way are no keys.
  if (message.wparam >= kVirtualKeyLimit) return;
  const auto usage = static_cast<uint8_t>(key_naming_.UsageFromVirtualKey(message.wparam).usage);
  const std::string name = KeyName(usage);
  if (c_->action_edit) c_->action_edit->SetText(name);
  if (selected_action_ >= 0 && selected_action_ < working_count_) {
    working_actions_[selected_action_].code = usage;
    RedrawRow(selected_action_, false);
  }
  CommitMacro();
}

}  // namespace vexel
