// CMS_1_Page: the controller of the mouse's settings page. It is registered in
// the main window as the virtual window "MS_1_Page", owns the profile store and
// the device session (links, delivery, apply worker, status model), and turns
// user actions and what the session reports into changes of the edited
// profile and of its controls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "autoprofile/app_rules.h"
#include "link/device_session.h"
#include "store/profile_store.h"
#include "toolkit/geometry.h"
#include "toolkit/menu.h"
#include "toolkit/notification.h"
#include "ui/macro/macro_editor_host.h"
#include "ui/page/page_controls.h"
#include "ui/page/page_services.h"

namespace vexel::toolkit {
class Window;
}

namespace vexel {

inline constexpr char kPageVirtualWindow[] = "MS_1_Page";

class CMS_1_Page : public toolkit::NotificationSink, private SessionObserver {
 public:
  CMS_1_Page(toolkit::Window& main_window, PageServices services);
  // Closes the links (the worker is stopped before the driver libraries go).
  ~CMS_1_Page() override;

  // Controls, worker thread, driver libraries, links, BLE probe; posts 1128.
  void Initialise();
  // The start-up load of the store into the page (list filled, stored
  // selection edited, baseline set, BLE link state, refresh).
  void LoadStoreAtStartup(std::u16string_view add_profile_text);

  void Notify(const toolkit::Notification& notification) override;

  // ---- Routed by the main window ----
  // The messages of the links and the apply worker; false for others.
  bool HandleSessionMessage(uint32_t id, uintptr_t wparam, intptr_t lparam) {
    return session_.HandleMessage(id, wparam, lparam);
  }
  void OnWirelessTimeout() { session_.OnWirelessTimeout(); }  // timer 512
  void OnChargingAnimationTick();                             // timer 515, and the page's timer 53
  // A command of the button menu (a name starting with "ms_1"): gives the
  // function it names to the button whose menu was opened last
  // (page_buttons.cpp).
  void AssignButtonFunction(const std::string& name);
  const std::string& last_button_command() const { return last_button_command_; }

  // ---- Shown from the session's state ----
  void ShowBatteryLevel(int percent) override;
  void RefreshLinkControls() override;

  // ---- Macro editor (page_macros.cpp) ----
  // What the main window lends every macro editor (hook table, message box).
  void SetMacroEditorHost(MacroEditorHost host);
  // The layout that names keys in the editor (the program's X keyboard).
  void SetMacroKeyboardLayout(std::shared_ptr<const KeyboardLayout> layout);
  // "ms_1_btn_macro": the editor, modal and centred; the bindings follow after.
  void OpenMacroEditor();
  void RevalidateMacroBindings();
  void RefreshLightRows();

  // ---- Buttons (page_buttons.cpp) ----
  // Shows slot `slot` (0-17) of the edited profile on its button, and says it
  // to screen readers as the button's description.
  void UpdateButtonLabel(int slot);
  int selected_button() const { return selected_button_; }
  toolkit::Menu* button_menu() const { return button_menu_.get(); }

  // ---- Page operations ----
  void RefreshPage();
  // Saves pro.data through the store writer, then asks for an apply:
  // delay_ms 0 posts 1541 now; otherwise timer 513 restarts with that period.
  void RequestApply(int delay_ms = 0);

  // ---- Requests from outside the window (page_script.cpp) ----
  // Each is made as the same edit in the window would be: the list, the
  // controls and the apply request. `profile` is a 0-based position or a
  // name; empty means the selected profile.
  struct ScriptEdit {
    std::string error;      // why nothing was done; empty on success
    bool changed = false;   // false: the profile already was so
    bool selected = false;  // the selected profile changed, so an apply was requested
    bool linked = false;    // a link was open for that apply; without one the store was saved
  };
  ScriptEdit SetFromScript(std::string_view profile, std::span<const std::string> assignments);
  ScriptEdit SelectFromScript(std::string_view profile);
  // A *.pro file added as the window's import adds it: listed, selected and
  // sent; the message boxes are the caller's.
  StoreChange<ProfileImport> ImportProfileFile(const std::filesystem::path& path);
  // The profile's JSON (schema 1), or std::nullopt with `error` set.
  std::optional<std::string> ProfileJsonForScript(std::string_view profile, std::string& error);

  // ---- Automatic profiles (page_rules.cpp) ----
  const AppRules& app_rules() const { return app_rules_; }
  // `vexelctl rule` words made as the same edit in the section would be:
  // saved to rules.json and shown. Nothing changes on a refusal (`error`).
  ScriptEdit EditRulesFromScript(std::span<const std::string> words);
  // Selects the profile named `profile` exactly as choosing it in the list
  // does (full apply), unless it is selected already; its row in the profile
  // list then shows that a rule chose it, until another profile is selected.
  ScriptEdit SelectByRule(std::string_view profile);

  DeviceSession& session() { return session_; }
  ProfileStore& store() { return store_; }
  int device_present() const { return session_.device_present(); }
  const PageControls& controls() const { return controls_; }
  int charge_anim_value() const { return charge_anim_value_; }

 private:
  // SessionObserver: what the session asks to be shown.
  void ShowLinkIcon(LinkIcon icon, bool visible) override;
  void ShowSleepLabel(bool visible) override;
  void OnDevicePresenceChanged() override;
  void SetWirelessTimeout(bool running) override;
  void ShowWiredCharging(bool on, bool restart) override;
  void ShowCharging() override;
  void StopChargingAnimation() override;
  void OnDpiStageFromMouse(int stage, int32_t dpi) override;
  void OnPollingRateFromMouse(int rate) override;
  void OnLightModeFromMouse(int mode) override;
  void ShowBusyIndicator(bool visible) override;
  void OnProfilesSaved(std::string_view file, std::string_view error) override;

  // Refresh helpers.
  void WriteSpokenValues(const ProfileRecord& profile, const std::string& light_off);
  void WriteSliderLabels(const ProfileRecord& profile);
  void ShowDpiStage(int stage, int units);

  // Settings edits (page_settings.cpp); false when the sender is not theirs.
  void EditProfile(const std::function<void(ProfileRecord&)>& edit);
  std::unique_ptr<ProfileRecord> EditedCopy();
  bool OnOptionSelected(toolkit::Control* sender);
  bool OnSliderMoved(toolkit::Control* sender, int value);
  bool OnDpiEditConfirmed(toolkit::Control* sender);
  bool OnDpiEditTyped(toolkit::Control* sender);
  void ConfirmTypedDpiValues();
  // The box's text differs from the value it shows (the user typed in it).
  bool DpiTextChanged(int stage);
  bool OnEffectChosen(toolkit::Control* sender, int index);
  void OnMovementMode(bool checked);
  void OnDpiReset();

  // Buttons (page_buttons.cpp); false when the sender is not a button.
  bool OnButtonClick(toolkit::Control* sender);
  bool OnButtonHover(toolkit::Control* sender, bool inside);
  void OpenButtonMenu(int slot);
  bool KeepsLeftClick(uint8_t code);
  void AssignShortcut();
  void AssignMacro();
  void StoreFunction(uint8_t code);
  std::string ShortcutLabel(const ButtonSlot& slot) const;
  void RefreshButtonLabels();

  // Colour buttons (page_colours.cpp).
  toolkit::Point ColourDialogOrigin(const toolkit::Control& button) const;
  bool OnColourButton(toolkit::Control* sender);

  // Profile commands (page_profiles.cpp).
  bool OnProfileCommand(toolkit::Control* sender);
  int ShowMessage(std::string_view message_key, std::string_view detail = {});
  std::u16string AskProfileName(const char* title_key, std::u16string initial_name = {});
  void SwitchToProfile(int index);
  void SelectListEntry(int index);
  void AddProfile();
  void DeleteProfile();
  void RenameProfile();
  void RestoreProfile();
  void ExportProfile();
  void ImportProfile();
  void OnSectionCheck(const toolkit::Notification& notification);
  void OnPageClick(toolkit::Control* sender);
  void OnProfileSelected(int index);

  // Automatic profiles (page_rules.cpp).
  void LoadRulesAtStartup();
  // The section from the rules and the profile names.
  void ShowRules();
  // Handles the section's notifications; false for other senders.
  bool OnRulesNotification(const toolkit::Notification& notification);
  void AddRuleFromSection();
  // An edit of the section; a failed save is shown. False when it did not hold.
  bool EditRulesFromSection(std::span<const std::string> words);
  ScriptEdit EditRules(std::span<const std::string> words);
  // Keeps the rules in step with a renamed or deleted profile.
  void UpdateRules(const std::function<void(AppRules&)>& update);
  void OfferRunningApps();
  std::vector<std::string> ProfileNames();
  // The profile list row a rule chose: its name and a mark, or the name alone.
  void MarkRuleRow(int row, bool marked);

  toolkit::Window& main_window_;
  PageServices services_;
  PageControls controls_;
  ProfileStore store_;
  DeviceSession session_;  // after the store it uses
  int skip_first_profile_select_ = 1;
  int charge_anim_value_ = 0;
  // A failed save was shown; the next failure is not shown again until a
  // save succeeds.
  bool save_failure_shown_ = false;
  std::string last_button_command_;
  int selected_button_ = -1;  // the slot whose menu was opened last
  std::unique_ptr<toolkit::Menu> button_menu_;
  MacroEditorHost macro_editor_host_;
  AppRules app_rules_;
  int rule_marked_row_ = -1;  // the profile list row a rule selected, or -1
};

}  // namespace vexel
