// Pop-up menus built from menu layout files, and the command a chosen item
// sends to the owning window (message kMsgMenuCommand, 1027).
//
// Menu layout format (res/traymenu.xml, res/MS/MS_1/ms_1_menu.xml):
//
//   <menu>
//     <item name="configuration" text="configuration_text"/>
//     <separator/>
//     <menu text="media_text">                   <!-- a sub-menu -->
//       <item name="ms_1_play_pause" text="play_pause_text" data="65"/>
//     </menu>
//     <item name="autostart" text="autostart_text" checked="false"/>
//     <item name="exit" text="exit_text" visible="false"/>
//   </menu>
//
// `name` is what the command carries; `text` is a language key; `data` is free
// user data handed back with the command; `visible` defaults to true; an item
// with `checked` is a check item (its owner sets the state once the menu is
// open, Menu::SetChecked). Items are
// 22 pixels high and the menu frame adds 4 (kMenuItemHeight, kMenuFrameHeight).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/geometry.h"

namespace vexel::toolkit {

inline constexpr int kMenuItemHeight = 22;
inline constexpr int kMenuFrameHeight = 4;

struct MenuItem {
  std::string name;
  std::string text;  // language key
  std::string data;
  bool visible = true;
  bool separator = false;
  // A check item: from the layout's "checked" attribute, or filled in by the
  // program (the tray's profiles).
  bool checkable = false;
  bool checked = false;
  std::vector<MenuItem> children;  // non-empty for a sub-menu
  // Filled in by the program, never read from a layout file: a text shown as
  // it stands (a profile name) instead of a language key.
  bool literal_text = false;
};

struct MenuLayout {
  std::vector<MenuItem> items;
  // Items of the top level that are shown (separators do not count).
  int VisibleItemCount() const;
  // The item with this name anywhere in the tree (case-insensitive), or nullptr.
  const MenuItem* Find(std::string_view name) const;
  MenuItem* Find(std::string_view name) {
    return const_cast<MenuItem*>(static_cast<const MenuLayout*>(this)->Find(name));
  }
};

// Untrusted input: false and `error` set on anything malformed.
bool ParseMenuLayout(std::string_view xml, MenuLayout* layout, std::string* error);
bool LoadMenuLayout(const std::string& path, MenuLayout* layout, std::string* error);

// What the window receives with kMsgMenuCommand (Message::menu_command).
struct MenuCommand {
  std::string name;
  std::string text;  // the language text shown on the item
  std::string data;
};

// An open pop-up menu. Destroying the object closes the menu.
class Menu {
 public:
  virtual ~Menu() = default;
  virtual int VisibleItemCount() const = 0;
  virtual Point Position() const = 0;  // screen position of the top-left corner
  virtual void MoveTo(Point screen_position) = 0;
  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  // Acts as if the user chose the item: closes the menu and posts the command.
  // False when no visible item has this name.
  virtual bool Trigger(std::string_view name) = 0;
  // Ticks or clears a check item; nothing for other items.
  virtual void SetChecked(std::string_view name, bool checked) = 0;
};

}  // namespace vexel::toolkit
