// The named controls of the macro editor's layout, found once when it opens.
#pragma once

#include <array>

#include "toolkit/control.h"
#include "toolkit/window.h"

namespace vexel {

struct MacroEditorControls {
  explicit MacroEditorControls(const toolkit::Window& window);

  toolkit::Control* btn_exit;
  toolkit::Control* macro_list;
  toolkit::Control* name_edit;
  toolkit::Control* add_btn;
  toolkit::Control* delete_btn;
  toolkit::Control* insert_mouse_btn;
  toolkit::Control* record_btn;
  toolkit::Control* record_x11_label;
  toolkit::Control* action_list;
  toolkit::Control* record_delay_btn;
  toolkit::Control* default_delay_btn;
  toolkit::Control* no_delay_btn;
  toolkit::Control* default_delay_edit;
  toolkit::Control* up_btn;
  toolkit::Control* down_btn;
  toolkit::Control* delete_action_btn;
  toolkit::Control* clear_action_btn;
  toolkit::Control* action_edit_check;
  toolkit::Control* action_edit_tab;
  toolkit::Control* action_edit;
  toolkit::Control* delay_edit;
  toolkit::Control* mouse_action_combo;
  toolkit::Control* mouseaction_delay_edit;
  toolkit::Control* save_btn;
  toolkit::Control* cancel_btn;
  toolkit::Control* import_btn;
  toolkit::Control* export_btn;
  toolkit::Control* name_tab;
  toolkit::Control* mouse_event_tab;
  toolkit::Control* savedata_tab;
  toolkit::Control* exportorimport_tab;
  // "ms_1_macro_key1_btn" ... "ms_1_macro_key5_btn".
  std::array<toolkit::Control*, 5> click_btns;
};

}  // namespace vexel
