// CMS_1_ProfileName: the modal dialog that asks for a profile name when a
// profile is added or renamed. It refuses an empty name and a name already in
// use (without regard to case) with a message box and stays open.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "toolkit/window.h"

namespace vexel {

class CMS_1_ProfileName : public toolkit::Window {
 public:
  // True when a profile already carries that name (compared without case).
  using NameTaken = std::function<bool(std::u16string_view name)>;
  // Shows a message box with the title "warning_title_text" and that text key.
  using Warn = std::function<void(std::string_view message_key)>;

  // `initial_name` fills the field, selected, so typing replaces it.
  CMS_1_ProfileName(toolkit::Toolkit& toolkit, std::string title_key, NameTaken name_taken,
                    Warn warn, std::u16string initial_name = {});

  // Creates the dialog over `parent`, centred, runs it modally; the entered
  // name when confirmed, empty otherwise.
  static std::u16string Ask(toolkit::Toolkit& toolkit, toolkit::Window* parent,
                            std::string title_key, NameTaken name_taken, Warn warn,
                            std::u16string initial_name = {});

  std::string WindowClassName() const override { return "MS_1_ProfileName"; }
  std::string SkinFile() const override { return "MS/MS_1/profilename.xml"; }
  void InitWindow() override;
  void OnClick(const toolkit::Notification& notification) override;
  void OnFinalMessage() override;

  const std::u16string& entered_name() const { return entered_name_; }
  bool delete_on_close = false;

 private:
  std::string title_key_;
  NameTaken name_taken_;
  Warn warn_;
  std::u16string initial_name_;
  std::u16string entered_name_;
  toolkit::Control* btn_ok_ = nullptr;
  toolkit::Control* btn_cancel_ = nullptr;
  toolkit::Control* btn_exit_ = nullptr;
  toolkit::Control* title_string_ = nullptr;
  toolkit::Control* edit_name_ = nullptr;
};

}  // namespace vexel
