// CMS_1_SelectMacro: the modal dialog that completes binding a button to a
// macro: one macro of the library, one of three play modes and, for the first
// mode, a repeat count of 1-255. It only returns the choice; the opener copies
// it into the button slot when the dialog ends with 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/window.h"

namespace vexel {

inline constexpr int kMinLoopCount = 1;
inline constexpr int kMaxLoopCount = 255;

class CMS_1_SelectMacro : public toolkit::Window {
 public:
  // `macro_names` in library order, UTF-8. The opener passes a copy so that no
  // lock on the store is held across the modal run.
  CMS_1_SelectMacro(toolkit::Toolkit& toolkit, std::vector<std::string> macro_names);

  // Creates the dialog over `parent`, centred, runs it modally and returns its
  // close code (1 OK, 0 cancel or close).
  int Run(toolkit::Window& parent);

  std::string WindowClassName() const override { return "MS_1_SelectMacro"; }
  std::string SkinFile() const override { return "MS/MS_1/selectmacro.xml"; }
  void InitWindow() override;
  void Notify(const toolkit::Notification& notification) override;
  void OnClick(const toolkit::Notification& notification) override;
  void OnFinalMessage() override;

  // Start values from the opener, results after the run.
  int32_t repeat_mode = 0;       // 0, 1 or 2
  int32_t macro_selection = -1;  // row of the chosen macro; -1 none
  int32_t loop_count = 1;        // 1-255
  bool delete_on_close = false;  // the opener keeps the dialog on its stack

 private:
  void ShowLoopRow();
  // Reads the count field as the field's "killfocus" does, correcting it.
  void SettleLoopCount();

  std::vector<std::string> macro_names_;
  toolkit::Control* btn_ok_ = nullptr;
  toolkit::Control* btn_cancel_ = nullptr;
  toolkit::Control* btn_exit_ = nullptr;
  toolkit::Control* list_macro_ = nullptr;
  std::array<toolkit::Control*, 3> repeat_{};
  toolkit::Control* hor_loop_time_ = nullptr;
  toolkit::Control* edit_loop_time_ = nullptr;
};

}  // namespace vexel
