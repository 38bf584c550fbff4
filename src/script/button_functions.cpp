#include "script/button_functions.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "store/profile_record.h"

namespace vexel {
namespace {

constexpr auto kCatalogue = std::to_array<ButtonFunction>({
    {0, "ms_1_button_off", "button_off_text", "off"},
    {1, "ms_1_click", "left_click_text", "left_click"},
    {2, "ms_1_menu", "right_click_text", "right_click"},
    {3, "ms_1_scroll", "wheel_click_text", "wheel_click"},
    {4, "ms_1_forward", "forward_text", "forward"},
    {5, "ms_1_backward", "backward_text", "backward"},
    {6, "ms_1_dpi_cycle", "dpi_cycle_text", "dpi_cycle"},
    {7, "ms_1_dpi_up", "dpi_up_text", "dpi_up"},
    {8, "ms_1_dpi_down", "dpi_down_text", "dpi_down"},
    {9, "ms_1_double_click", "double_click_text", "double_click"},
    {10, "ms_1_fire_button", "fire_button_text", "fire"},
    {11, "ms_1_scroll_up", "scroll_up_text", "scroll_up"},
    {12, "ms_1_scroll_down", "scroll_down_text", "scroll_down"},
    {13, "ms_1_titl_left", "titl_left_text", "tilt_left"},
    {14, "ms_1_titl_right", "titl_right_text", "tilt_right"},
    {kFunctionKeyCombination, "ms_1_shortcut", "", "key"},
    {kFunctionMacro, "ms_1_select_macro", "", "macro"},
    {22, "ms_1_easy_aim", "easy_aim_text", "easy_aim"},
    {23, "ms_1_led_loop", "led_loop_text", "led_loop"},
    {32, "ms_1_cut", "cut_text", "cut"},
    {33, "ms_1_copy", "copy_text", "copy"},
    {34, "ms_1_paste", "paste_text", "paste"},
    {35, "ms_1_open", "open_text", "open"},
    {36, "ms_1_save", "save_text", "save"},
    {37, "ms_1_find", "find_text", "find"},
    {38, "ms_1_redo", "redo_text", "redo"},
    {39, "", "undo_text", "undo"},
    {40, "ms_1_select_all", "select_all_text", "select_all"},
    {41, "ms_1_print", "print_text", "print"},
    {42, "ms_1_close_window", "close_window_text", "close_window"},
    {43, "ms_1_swap_windows", "swap_windows_text", "swap_windows"},
    {44, "ms_1_show_desktop", "show_desktop_text", "show_desktop"},
    {45, "ms_1_run_command", "run_command_text", "run_command"},
    {46, "ms_1_lock_pc", "lock_pc_text", "lock_pc"},
    {50, "ms_1_screen_capture", "screen_capture_text", "screen_capture"},
    {51, "", "task_view_text", "task_view"},
    {54, "", "profile_cycle_text", "profile_cycle"},
    {55, "", "profile_up_text", "profile_up"},
    {56, "", "profile_down_text", "profile_down"},
    {64, "ms_1_media_player", "media_player_text", "media_player"},
    {65, "ms_1_play_pause", "play_pause_text", "play_pause"},
    {66, "ms_1_media_stop", "media_stop_text", "media_stop"},
    {67, "ms_1_pre_track", "previous_track_text", "previous_track"},
    {68, "ms_1_next_track", "next_track_text", "next_track"},
    {69, "ms_1_volume_up", "volume_up_text", "volume_up"},
    {70, "ms_1_volume_down", "volume_down_text", "volume_down"},
    {71, "ms_1_mute", "mute_text", "mute"},
    {80, "ms_1_browser_home", "browser_home_text", "browser_home"},
    {81, "ms_1_browser_favorites", "browser_favorites_text", "browser_favorites"},
    {82, "ms_1_browser_forward", "browser_forward_text", "browser_forward"},
    {83, "ms_1_browser_backward", "browser_backward_text", "browser_backward"},
    {84, "ms_1_browser_stop", "browser_stop_text", "browser_stop"},
    {85, "ms_1_browser_refresh", "browser_refresh_text", "browser_refresh"},
    {86, "ms_1_browser_search", "browser_search_text", "browser_search"},
    {87, "ms_1_email", "email_text", "email"},
    {88, "ms_1_calculator", "calculator_text", "calculator"},
    {89, "ms_1_my_computer", "my_computer_text", "my_computer"},
});

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const ButtonFunction* FindButtonFunctionById(std::string_view id) {
  for (const ButtonFunction& row : kCatalogue) {
    if (EqualsNoCase(row.id, id)) return &row;
  }
  return nullptr;
}

std::span<const ButtonFunction> ButtonFunctionCatalogue() {
  return kCatalogue;
}

uint8_t FunctionCodeOfMenuItem(std::string_view name) {
  for (const ButtonFunction& row : kCatalogue) {
    if (!row.menu_item.empty() && EqualsNoCase(row.menu_item, name)) return row.code;
  }
  return kFunctionLeftClick;
}

const ButtonFunction* FindButtonFunction(uint8_t code) {
  for (const ButtonFunction& row : kCatalogue) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace vexel
