// Button assignment: the menu that opens on a button, the left-click rule, the
// two dialogs that complete a key combination or a macro binding, and the
// labels that show what each button does.
#include <string>
#include <vector>

#include "store/macro_record.h"
#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "ui/macro/key_naming.h"
#include "ui/macro/select_macro_wnd.h"
#include "ui/macro/shortcut_wnd.h"
#include "ui/page/button_catalogue.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

constexpr char kButtonMenuFile[] = "MS/MS_1/ms_1_menu.xml";
constexpr int kMenuButtons = 12;     // buttons 13-18 show a label but open no menu
constexpr int kLeftClickSlots = 16;  // slots 16 and 17 do not keep the left click
// A menu that opens upwards ends this far below the top of its button.
constexpr int kUpwardMenuBottomBelowButtonTop = 25;

constexpr const char* kModifierTextKeys[] = {"keyboard_ctrl_text", "keyboard_shift_text",
                                             "keyboard_alt_text", "keyboard_win_text"};
constexpr uint8_t kModifierBits = 4;

}  // namespace

bool CMS_1_Page::OnButtonClick(toolkit::Control* sender) {
  const int slot = IndexIn(controls_.button_key, sender);
  if (slot < 0) return false;
  if (slot < kMenuButtons) OpenButtonMenu(slot);
  return true;
}

bool CMS_1_Page::OnButtonHover(toolkit::Control* sender, bool inside) {
  const int slot = IndexIn(controls_.button_key, sender);
  if (slot < 0) return false;
  ShowControl(controls_.key_control[slot], inside);
  return true;
}

void CMS_1_Page::OpenButtonMenu(int slot) {
  selected_button_ = slot;
  button_menu_.reset();  // one menu at a time
  const toolkit::Rect window = main_window_.ScreenRect();
  const toolkit::Rect button = controls_.button_key[slot]->Position();
  toolkit::Point at{window.left + button.right, window.top + button.top};
  button_menu_ = main_window_.CreateMenu(kButtonMenuFile, at);
  if (!button_menu_) return;
  const int height =
      toolkit::kMenuItemHeight * button_menu_->VisibleItemCount() + toolkit::kMenuFrameHeight;
  if (at.y + height >= main_window_.toolkit().ScreenRect().Height()) {
    at.y = window.top + button.top + kUpwardMenuBottomBelowButtonTop - height;
    button_menu_->MoveTo(at);
  }
}

void CMS_1_Page::AssignButtonFunction(const std::string& name) {
  last_button_command_ = name;
  // Chosen through a screen reader, an item leaves its menu open; its work is
  // done either way.
  if (button_menu_) button_menu_->Close();
  // A command with no menu opened before it has no button to go to.
  if (selected_button_ < 0 || selected_button_ >= kUsedButtonCount) return;
  const uint8_t code = FunctionCodeOfMenuItem(name);
  if (!KeepsLeftClick(code)) {
    ShowMessage("one_click_text");
    return;
  }
  if (code == kFunctionKeyCombination) {
    AssignShortcut();
  } else if (code == kFunctionMacro) {
    AssignMacro();
  } else {
    StoreFunction(code);
  }
}

bool CMS_1_Page::KeepsLeftClick(uint8_t code) {
  const std::unique_ptr<ProfileRecord> profile = EditedCopy();
  if (!profile) return false;
  for (int k = 0; k < kLeftClickSlots; ++k) {
    const uint8_t held = k == selected_button_ ? code : profile->button[k].function_code;
    if (held == kFunctionLeftClick) return true;
  }
  return false;
}

// The end of every accepted assignment: the mouse is told and the label follows.
void CMS_1_Page::StoreFunction(uint8_t code) {
  EditProfile([&](ProfileRecord& p) { p.button[selected_button_].function_code = code; });
  RequestApply();
  UpdateButtonLabel(selected_button_);
}

void CMS_1_Page::AssignShortcut() {
  CShortcutWnd dialog(main_window_.toolkit(), macro_editor_host_);
  bool edited = false;
  EditProfile([&](ProfileRecord& p) {
    ButtonSlot& slot = p.button[selected_button_];
    if (slot.function_code != kFunctionKeyCombination) {
      slot.key_usage = 0;
      std::fill(std::begin(slot.reserved_4), std::end(slot.reserved_4), 0);
    }
    const uint8_t bits = slot.modifiers;
    dialog.ctrl_flag = bits & 1;
    dialog.shift_flag = (bits >> 1) & 1;
    dialog.alt_flag = (bits >> 2) & 1;
    dialog.win_flag = (bits >> 3) & 1;
    dialog.shortcut_key = slot.key_usage;
    edited = true;
  });
  if (!edited || dialog.Run(main_window_) != 1) return;
  const uint8_t modifiers = static_cast<uint8_t>(dialog.ctrl_flag | dialog.shift_flag << 1 |
                                                 dialog.alt_flag << 2 | dialog.win_flag << 3);
  EditProfile([&](ProfileRecord& p) {
    p.button[selected_button_].key_usage = dialog.shortcut_key;
    p.button[selected_button_].modifiers = modifiers;
  });
  // Neither a modifier nor a key: the button keeps the function it had.
  if (modifiers != 0 || dialog.shortcut_key != 0) StoreFunction(kFunctionKeyCombination);
}

void CMS_1_Page::AssignMacro() {
  std::vector<std::string> names;
  int32_t selection = -1, mode = 0, repeat = 1;
  {
    auto access = store_.Lock();
    const ProfileRecord* profile = access->EditedProfile();
    if (profile == nullptr) return;
    for (const auto& macro : access->macros) {
      names.push_back(macro ? Utf16ToUtf8(NameView(macro->name)) : std::string());
    }
    const ButtonSlot& slot = profile->button[selected_button_];
    if (slot.function_code == kFunctionMacro) {
      selection = slot.macro_index;
      mode = slot.macro_mode;
      repeat = slot.macro_repeat;
    }
  }
  CMS_1_SelectMacro dialog(main_window_.toolkit(), std::move(names));
  dialog.macro_selection = selection;
  dialog.repeat_mode = mode;
  dialog.loop_count = repeat;
  if (dialog.Run(main_window_) != 1) return;
  {
    auto access = store_.Lock();
    ProfileRecord* profile = access->EditedProfile();
    const int chosen = dialog.macro_selection;
    if (profile == nullptr || chosen < 0 || chosen >= static_cast<int>(access->macros.size()) ||
        !access->macros[chosen]) {
      return;
    }
    ButtonSlot& slot = profile->button[selected_button_];
    slot.macro_mode = dialog.repeat_mode;
    slot.macro_repeat = dialog.loop_count;
    BindMacroCopy(slot, *access->macros[chosen], chosen);
  }
  StoreFunction(kFunctionMacro);
}

std::string CMS_1_Page::ShortcutLabel(const ButtonSlot& slot) const {
  const toolkit::Toolkit& kit = main_window_.toolkit();
  std::string text;
  for (uint8_t bit = 0; bit < kModifierBits; ++bit) {
    if (slot.modifiers & (1u << bit)) text += kit.LanguageText(kModifierTextKeys[bit]) + "+";
  }
  const KeyboardLayout& layout = macro_editor_host_.keyboard_layout
                                     ? *macro_editor_host_.keyboard_layout
                                     : BlankKeyboardLayout();
  const KeyNaming naming(
      layout, [&kit](std::string_view key) { return kit.LanguageText(key); }, services_.debug);
  return text + naming.KeyNameFromUsage(slot.key_usage);
}

void CMS_1_Page::UpdateButtonLabel(int slot) {
  if (slot < 0 || slot >= kUsedButtonCount) return;
  toolkit::Control* button = controls_.button_key[slot];
  if (button == nullptr) return;
  const std::unique_ptr<ProfileRecord> profile = EditedCopy();
  if (!profile) return;
  const ButtonSlot& held = profile->button[slot];
  if (held.function_code == kFunctionKeyCombination) {
    SetPlainText(button, ShortcutLabel(held));
  } else if (held.function_code == kFunctionMacro) {
    SetPlainText(button, main_window_.toolkit().LanguageText("assign_macro_text") +
                             Utf16ToUtf8(NameView(held.macro_name)));
  } else {
    const ButtonFunction* function = FindButtonFunction(held.function_code);
    SetKeyText(button, function != nullptr ? function->text_key : std::string_view());
  }
  button->SetAccessibleDescription(button->ShownText());
}

void CMS_1_Page::RefreshButtonLabels() {
  for (int slot = 0; slot < kUsedButtonCount; ++slot) UpdateButtonLabel(slot);
}

}  // namespace vexel
