#include "ui/macro/ms_1_macro_controls.h"

#include <string>

namespace vexel {

MacroEditorControls::MacroEditorControls(const toolkit::Window& window)
    : btn_exit(window.FindControl("btn_exit")),
      macro_list(window.FindControl("ms_1_macro_list")),
      name_edit(window.FindControl("ms_1_macro_name_edit")),
      add_btn(window.FindControl("ms_1_macro_add_btn")),
      delete_btn(window.FindControl("ms_1_macro_delete_btn")),
      insert_mouse_btn(window.FindControl("ms_1_macro_insert_mouse_btn")),
      record_btn(window.FindControl("ms_1_macro_record_btn")),
      record_x11_label(window.FindControl("ms_1_macro_record_x11_label")),
      action_list(window.FindControl("ms_1_macro_action_list")),
      record_delay_btn(window.FindControl("ms_1_record_delay_btn")),
      default_delay_btn(window.FindControl("ms_1_default_delay_btn")),
      no_delay_btn(window.FindControl("ms_1_no_delay_btn")),
      default_delay_edit(window.FindControl("ms_1_default_delay_edit")),
      up_btn(window.FindControl("ms_1_macro_up_btn")),
      down_btn(window.FindControl("ms_1_macro_down_btn")),
      delete_action_btn(window.FindControl("ms_1_macro_delete_action_btn")),
      clear_action_btn(window.FindControl("ms_1_macro_clear_action_btn")),
      action_edit_check(window.FindControl("ms_1_macro_action_edit_check")),
      action_edit_tab(window.FindControl("ms_1_macro_action_edit_tab")),
      action_edit(window.FindControl("ms_1_macro_action_edit")),
      delay_edit(window.FindControl("ms_1_macro_delay_edit")),
      mouse_action_combo(window.FindControl("ms_1_macro_mouse_action_combo")),
      mouseaction_delay_edit(window.FindControl("ms_1_macro_mouseaction_delay_edit")),
      save_btn(window.FindControl("ms_1_macro_save_btn")),
      cancel_btn(window.FindControl("ms_1_macro_cancel_btn")),
      import_btn(window.FindControl("ms_1_macro_import_btn")),
      export_btn(window.FindControl("ms_1_macro_export_btn")),
      name_tab(window.FindControl("ms_1_macro_name_tab")),
      mouse_event_tab(window.FindControl("ms_1_macro_mouse_event_tab")),
      savedata_tab(window.FindControl("ms_1_macro_savedata_tab")),
      exportorimport_tab(window.FindControl("ms_1_macro_exportorimport_tab")),
      click_btns{} {
  for (std::size_t i = 0; i < click_btns.size(); ++i) {
    click_btns[i] = window.FindControl("ms_1_macro_key" + std::to_string(i + 1) + "_btn");
  }
}

}  // namespace vexel
