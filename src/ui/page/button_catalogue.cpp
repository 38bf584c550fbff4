#include "ui/page/button_catalogue.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "store/profile_record.h"

namespace vexel {
namespace {

constexpr auto kCatalogue = std::to_array<ButtonFunction>({
    {0, "ms_1_button_off", "button_off_text"},
    {1, "ms_1_click", "left_click_text"},
    {2, "ms_1_menu", "right_click_text"},
    {3, "ms_1_scroll", "wheel_click_text"},
    {4, "ms_1_forward", "forward_text"},
    {5, "ms_1_backward", "backward_text"},
    {6, "ms_1_dpi_cycle", "dpi_cycle_text"},
    {7, "ms_1_dpi_up", "dpi_up_text"},
    {8, "ms_1_dpi_down", "dpi_down_text"},
    {9, "ms_1_double_click", "double_click_text"},
    {10, "ms_1_fire_button", "fire_button_text"},
    {11, "ms_1_scroll_up", "scroll_up_text"},
    {12, "ms_1_scroll_down", "scroll_down_text"},
    {13, "ms_1_titl_left", "titl_left_text"},
    {14, "ms_1_titl_right", "titl_right_text"},
    {kFunctionKeyCombination, "ms_1_shortcut", ""},
    {kFunctionMacro, "ms_1_select_macro", ""},
    {22, "ms_1_easy_aim", "easy_aim_text"},
    {23, "ms_1_led_loop", "led_loop_text"},
    {32, "ms_1_cut", "cut_text"},
    {33, "ms_1_copy", "copy_text"},
    {34, "ms_1_paste", "paste_text"},
    {35, "ms_1_open", "open_text"},
    {36, "ms_1_save", "save_text"},
    {37, "ms_1_find", "find_text"},
    {38, "ms_1_redo", "redo_text"},
    {39, "", "undo_text"},
    {40, "ms_1_select_all", "select_all_text"},
    {41, "ms_1_print", "print_text"},
    {42, "ms_1_close_window", "close_window_text"},
    {43, "ms_1_swap_windows", "swap_windows_text"},
    {44, "ms_1_show_desktop", "show_desktop_text"},
    {45, "ms_1_run_command", "run_command_text"},
    {46, "ms_1_lock_pc", "lock_pc_text"},
    {50, "ms_1_screen_capture", "screen_capture_text"},
    {51, "", "task_view_text"},
    {54, "", "profile_cycle_text"},
    {55, "", "profile_up_text"},
    {56, "", "profile_down_text"},
    {64, "ms_1_media_player", "media_player_text"},
    {65, "ms_1_play_pause", "play_pause_text"},
    {66, "ms_1_media_stop", "media_stop_text"},
    {67, "ms_1_pre_track", "previous_track_text"},
    {68, "ms_1_next_track", "next_track_text"},
    {69, "ms_1_volume_up", "volume_up_text"},
    {70, "ms_1_volume_down", "volume_down_text"},
    {71, "ms_1_mute", "mute_text"},
    {80, "ms_1_browser_home", "browser_home_text"},
    {81, "ms_1_browser_favorites", "browser_favorites_text"},
    {82, "ms_1_browser_forward", "browser_forward_text"},
    {83, "ms_1_browser_backward", "browser_backward_text"},
    {84, "ms_1_browser_stop", "browser_stop_text"},
    {85, "ms_1_browser_refresh", "browser_refresh_text"},
    {86, "ms_1_browser_search", "browser_search_text"},
    {87, "ms_1_email", "email_text"},
    {88, "ms_1_calculator", "calculator_text"},
    {89, "ms_1_my_computer", "my_computer_text"},
});

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

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
