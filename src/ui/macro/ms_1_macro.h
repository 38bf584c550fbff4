// CMS_1_Macro: the modal macro editor. It keeps the macro library of the
// store (add, delete, rename, import, export) and edits the steps of one macro
// at a time in a working copy that every change commits at once: back into the
// library and into macro.data, or, when the macro would no longer fit the
// mouse (46 steps, 47 units), not at all (the macro is reloaded).
//
// Recording turns the hook library's key and button reports into steps with
// the pauses between them (ms_1_macro_recording.cpp); the key field of the
// action editor takes the next key pressed the same way.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/macro_record.h"
#include "store/profile_store.h"
#include "toolkit/window.h"
#include "ui/macro/hook_arrivals.h"
#include "ui/macro/key_naming.h"
#include "ui/macro/macro_editor_host.h"
#include "ui/macro/ms_1_macro_controls.h"

#include "post_target.h"

namespace vexel {

enum class DelayMode : int32_t { kRecorded = 0, kDefault = 1, kNone = 2 };
enum class HookTarget { kNone, kRecording, kKeyCapture };

class CMS_1_Macro : public toolkit::Window {
 public:
  static constexpr int kClosedByExit = 1;

  CMS_1_Macro(toolkit::Toolkit& toolkit, ProfileStore& store, MacroEditorHost host);
  ~CMS_1_Macro() override;

  // Creates the editor over `parent`, centred, runs it modally and returns its
  // close code.
  int Run(toolkit::Window& parent);

  std::string WindowClassName() const override { return "MS_1_Macro"; }
  std::string SkinFile() const override { return "MS/MS_1/ms_1_macropage.xml"; }
  void InitWindow() override;
  void Notify(const toolkit::Notification& notification) override;
  void OnClick(const toolkit::Notification& notification) override;
  bool HandleCustomMessage(const toolkit::Message& message) override;
  void OnDestroy() override;
  void OnFinalMessage() override;

  // ---- Operations ----
  void LoadMacro(int index);
  void CommitMacro();
  void InsertAction(const MacroAction& action);
  void RedrawActionList();
  void ShowActionEditor(bool open);
  void ShowEditPage(int page);

  // ---- Recording: the hook library's reports (message 1034) ----
  void StartRecording();
  // Ends the recording and commits what it added.
  void StopRecording();
  // `arrival_tick`: when the report reached the editor's queue.
  void RecordEvent(const toolkit::Message& message, uint32_t arrival_tick);
  // While "ms_1_macro_action_edit" has the focus, the next key pressed becomes
  // the selected step's key.
  void StartKeyCapture();
  void StopKeyCapture();

  // ---- State, for the page and for tests ----
  const MacroRecord* current_macro() const { return current_macro_; }
  int selected_macro() const { return selected_macro_; }
  int selected_action() const { return selected_action_; }
  int working_count() const { return working_count_; }
  const MacroAction& working_action(int index) const { return working_actions_.at(index); }
  DelayMode delay_mode() const { return delay_mode_; }
  int insert_position() const { return insert_position_; }
  bool recording() const { return recording_ != 0; }
  // Row `index` of the action list (its "key", "action" and "delay" are
  // reached with FindChild), or null.
  toolkit::Control* ActionRow(int index) const {
    return index >= 0 && index < static_cast<int>(action_rows_.size()) ? action_rows_[index]
                                                                       : nullptr;
  }

  // When set, the window deletes itself after its final message; the page
  // keeps the editor on its stack and leaves it false.
  bool delete_on_close = false;

 private:
  // Library operations (user operations on the macro list).
  void AddNewMacro();
  void DeleteSelectedMacro();
  void RenameCurrentMacro();
  void ImportMacroFile();
  void ExportCurrentMacro();
  void FillMacroList();
  // The one way the library reaches macro.data. A failed save keeps the
  // library as it is in memory; the next successful save writes it.
  void SaveLibrary();
  // Shows a failed save once per streak of failures.
  void Report(const SaveResult& saved);
  int Ask(std::string_view message_key);

  // Step operations.
  void OnActionSelected(int row);
  void OnEditCheck(bool checked);
  void MoveSelectedAction(int step);
  void DeleteSelectedAction();
  void ClearActions();
  void InsertClick(uint8_t code);
  void OnMouseComboSelected(int item);
  void OnActionDelayEdited(toolkit::Control& field);
  void OnDefaultDelayEdited();
  void SaveActionEdit();
  void CancelActionEdit();
  void OnScrollTimer(uint32_t id);
  void OnRecordCheck(bool checked);

  // Recording (ms_1_macro_recording.cpp).
  void OnRecordButtonHover(bool inside);
  void CaptureKey(const toolkit::Message& message);
  std::optional<MacroAction> StepOfReport(uintptr_t wparam, intptr_t lparam) const;
  void InstallKeyHook();
  void RemoveHooks();
  void ShowCaptureLimit();
  // The record button's text and tick.
  void ShowRecording(bool on);
  // Low 32 bits of the millisecond tick: pauses wrap as the tick does.
  uint32_t Tick() const;
  // Hook library thread: notes the report's arrival and queues it.
  static void PostHookReport(void* editor, uint32_t message, uintptr_t wparam, intptr_t lparam);

  // Rows of the action list.
  void DrawRow(toolkit::Control& row, int index, bool moved);
  void RedrawRow(int index, bool moved);
  std::string KeyName(uint8_t code) const;
  void Debug(std::string_view line) const;

  ProfileStore& store_;
  MacroEditorHost host_;
  // A failed save was shown; not again until a save succeeds.
  bool save_failure_shown_ = false;
  std::unique_ptr<KeyboardLayout> no_layout_;
  KeyNaming key_naming_;
  std::unique_ptr<MacroEditorControls> c_;
  // The rows of the action list, in list order (owned by the list).
  std::vector<toolkit::Control*> action_rows_;

  MacroRecord* current_macro_ = nullptr;
  int selected_macro_ = -1;
  std::array<MacroAction, kMaxMacroActions> working_actions_{};
  int working_count_ = 0;
  uint8_t recording_ = 0;
  uint8_t recording_active_ = 0;
  int first_insert_position_ = -1;
  uint8_t insert_mode_ = 0;
  uint16_t default_delay_ = 10;
  DelayMode delay_mode_ = DelayMode::kDefault;
  int selected_action_ = -1;
  uint8_t edit_panel_open_ = 0;
  int insert_position_ = -1;
  uint8_t cancelling_ = 0;
  HookTarget hook_target_ = HookTarget::kNone;

  // Recording state.
  uint32_t last_event_tick_ = 0;
  // The report taken last by RecordEvent: the same one again is a held key.
  std::pair<uintptr_t, intptr_t> previous_event_{0, 0};
  // The hooks this editor installed and has not removed yet.
  bool keys_hooked_ = false;
  bool buttons_hooked_ = false;
  // Button reports are switched on: recording, with the pointer off the
  // record button.
  bool buttons_enabled_ = false;
  // The "window" the hook library posts to: this editor's message queue.
  VexelPostTarget hook_window_{};
  HookArrivals hook_arrivals_;
};

}  // namespace vexel
