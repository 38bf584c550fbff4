// The page's way into the macro editor: it lends the editor its store and the
// main window's services, and refreshes the macro bindings when it closes.
#include <cstring>

#include "store/macro_record.h"
#include "store/utf16_name.h"
#include "ui/macro/ms_1_macro.h"
#include "ui/page/ms_1_page.h"

namespace vexel {
namespace {

constexpr int kMacroBindingSlots = 12;  // the buttons the page can bind to a macro

void ClearMacroCopy(ButtonSlot& slot) {
  std::memset(slot.macro_name, 0, sizeof(slot.macro_name));
  slot.macro_action_count = 0;
  std::memset(slot.macro_actions, 0, sizeof(slot.macro_actions));
  slot.macro_index = -1;
}

}  // namespace

void CMS_1_Page::SetMacroEditorHost(MacroEditorHost host) {
  macro_editor_host_ = std::move(host);
}

void CMS_1_Page::SetMacroKeyboardLayout(std::shared_ptr<const KeyboardLayout> layout) {
  macro_editor_host_.keyboard_layout = std::move(layout);
}

void CMS_1_Page::OpenMacroEditor() {
  MacroEditorHost host = macro_editor_host_;
  if (!host.debug) host.debug = services_.debug;
  {
    CMS_1_Macro editor(main_window_.toolkit(), store_, std::move(host));
    editor.Run(main_window_);
  }
  RevalidateMacroBindings();
}

void CMS_1_Page::RevalidateMacroBindings() {
  // Buttons carry a copy of their macro; after the editor the copies follow
  // the library by name, and a name the library lost gives the button back
  // its default function.
  bool edited_examined = false;
  {
    auto access = store_.Lock();
    const ProfileRecord* edited = access->EditedProfile();
    for (const auto& profile : access->profiles) {
      for (int k = 0; k < kMacroBindingSlots; ++k) {
        ButtonSlot& slot = profile->button[k];
        const std::u16string_view name = NameView(slot.macro_name);
        if (slot.function_code != kFunctionMacro && name.empty()) continue;
        if (profile.get() == edited) edited_examined = true;
        const int found = FindMacroByName(access->macros, name);
        if (found >= 0) {
          // Renumbered with the list, so the binding dialog opens on it.
          BindMacroCopy(slot, *access->macros[found], found);
        } else if (slot.function_code != kFunctionMacro) {
          // A button given another function since keeps it; only the stale
          // copy of its old macro goes.
          ClearMacroCopy(slot);
        } else {
          std::memset(&slot, 0, sizeof(slot));
          // The slot keeps its own number, which every slot carries.
          slot.button_index = static_cast<uint8_t>(k);
          slot.function_code = default_function_table[k];
          slot.macro_index = -1;
        }
      }
    }
  }
  if (!edited_examined) return;
  RefreshButtonLabels();
  RequestApply();
}

}  // namespace vexel
