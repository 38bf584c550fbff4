// A named control of a window built from a layout file. The same interface is
// served by the headless implementation (tests, vexelctl) and by the Qt one.
//
// Programmatic changes never raise notifications unless a call says so
// (`notify`); notifications come from the user, or from toolkit::UserInput.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/geometry.h"

namespace vexel::toolkit {

// What a layout class becomes. Qt Designer classes in brackets.
enum class ControlKind {
  kContainer,  // [QWidget, QFrame, QGroupBox]; kScrollContainer: [QScrollArea]
  kScrollContainer,
  kLabel,         // [QLabel]
  kButton,        // [QPushButton, QToolButton]: "click"
  kOption,        // [QRadioButton, checkable QPushButton]: "selectchanged", one per group
  kCheck,         // [QCheckBox]: "checkclick"
  kEdit,          // [QLineEdit, QTextEdit, QPlainTextEdit]: "textchanged", "return", focus
  kSlider,        // [QSlider]: "valuechanged"
  kProgress,      // [QProgressBar]
  kList,          // [QListWidget]: "itemselect"
  kCombo,         // [QComboBox]: "itemselect"
  kTab,           // [QStackedWidget, QTabWidget]: pages, no notification
  kColorPalette,  // [ColorPalette]: "colorchanged" while dragging, "colorchangedbuttonup"
};

std::string_view ControlKindName(ControlKind kind);
// The kind a Designer class name stands for (checkable: its "checkable"
// property). Unknown classes are containers.
ControlKind ControlKindOfClass(std::string_view class_name, bool checkable);

// How a control's text is shown. kLanguageKey: the text is a language key and
// the user sees the language table's text for it. The skin chooses the start
// mode with the string property "textmode" = "key" (default "plain").
enum class TextMode { kPlain, kLanguageKey };

// Height of a list or combo item when nobody says otherwise.
inline constexpr int kDefaultItemHeight = 22;

class Control {
 public:
  virtual ~Control() = default;

  virtual const std::string& Name() const = 0;
  virtual ControlKind Kind() const = 0;

  virtual bool IsVisible() const = 0;  // its own flag, not the parents'
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsEnabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual void SetFocus() = 0;

  // Text as set (the key in language-key mode) and as shown to the user.
  virtual std::string Text() const = 0;
  virtual void SetText(std::string_view text) = 0;
  virtual std::string ShownText() const = 0;
  virtual TextMode GetTextMode() const = 0;
  virtual void SetTextMode(TextMode mode) = 0;
  // Edits: caret position in characters (UTF-8 code points) from the start.
  virtual int CaretPosition() const = 0;
  virtual void SetCaretPosition(int position) = 0;
  // Edits: the words offered while the user types (any letter case, matching
  // from the start); empty offers none.
  virtual void SetCompletions(const std::vector<std::string>& words) = 0;
  virtual std::vector<std::string> Completions() const = 0;

  // Sliders and progress bars.
  virtual int Value() const = 0;
  virtual void SetValue(int value) = 0;  // clamped to the range; no notification
  virtual int Minimum() const = 0;
  virtual int Maximum() const = 0;
  virtual void SetRange(int minimum, int maximum) = 0;

  // Options and check boxes. Selecting an option clears the others of its group
  // (same "group" property, else same parent). notify: raise "selectchanged"
  // (option becoming selected) or "checkclick" (check box).
  virtual bool IsChecked() const = 0;
  virtual void SetChecked(bool checked, bool notify = false) = 0;

  // Lists and combos. Items have a fixed height in pixels. Indices are 0-based;
  // -1 means none. SelectItem with notify raises "itemselect" when the
  // selection changes.
  virtual int AddItem(std::string_view text, int height = kDefaultItemHeight) = 0;
  // A list row built from a layout file (its named sub-controls are reached with
  // FindChild on the returned row). nullptr when the layout cannot be loaded.
  virtual Control* AddLayoutItem(std::string_view layout_file, int height) = 0;
  virtual void RemoveItem(int index) = 0;
  virtual void RemoveAllItems() = 0;
  virtual int ItemCount() const = 0;
  virtual std::string ItemText(int index) const = 0;
  virtual void SetItemText(int index, std::string_view text) = 0;
  virtual int ItemHeight(int index) const = 0;
  virtual int SelectedItem() const = 0;
  virtual void SelectItem(int index, bool notify) = 0;
  virtual void EnsureItemVisible(int index) = 0;
  // A named control inside this one (rows of AddLayoutItem), or nullptr.
  virtual Control* FindChild(std::string_view name) = 0;

  // Tab layouts: the page shown, -1 for none.
  virtual int SelectedPage() const = 0;
  virtual void SelectPage(int index) = 0;
  virtual int PageCount() const = 0;

  // Scroll containers: bring the end of the content into view.
  virtual void ScrollToEnd() = 0;

  // Colours are 0xAARRGGBB. Background 0 means the skin's own background.
  virtual uint32_t BackgroundColour() const = 0;
  virtual void SetBackgroundColour(uint32_t argb) = 0;
  // Colour palettes: the colour picked.
  virtual uint32_t SelectedColour() const = 0;
  virtual void SetSelectedColour(uint32_t argb) = 0;
  // An image drawn behind the control: path relative to res/ ("skins/mouse.png").
  virtual void SetBackgroundImage(std::string_view image) = 0;

  // Position and size in the coordinates of the control's top-level window.
  virtual Rect Position() const = 0;

  // What a screen reader says: the name (the skin's "accessibleName") and a
  // description that follows what the control stands for at the moment (a
  // button's current function, say).
  virtual std::string AccessibleName() const = 0;
  virtual std::string AccessibleDescription() const = 0;
  virtual void SetAccessibleDescription(std::string_view description) = 0;

  // Control-bound timer: every period_ms the window receives a "timer"
  // notification from this control with wparam = id. A second SetTimer with the
  // same id restarts it.
  virtual void SetTimer(uint32_t id, int period_ms) = 0;
  virtual void KillTimer(uint32_t id) = 0;
};

}  // namespace vexel::toolkit
