"""Accessible names of the main window's controls, for screen readers (Orca
reads them through AT-SPI). A control that shows its own text is named by that
text and is not listed; these show a number, a swatch, a slider or a short word
that does not say enough on its own. Each name is a language key of lan.xml;
a numbered control fills the "%d" of its text with its number.
"""

RATES = ['125_hz', '250_hz', '500_hz', '1000_hz']

NAMES = {
    'ms_1_btn_apply_dpi': 'dpi_apply_text',
    'ms_1_btn_reset_dpi': 'dpi_reset_text',
    'ms_1_slider_key_debounce': 'section_key_debounce_text',
    'ms_1_check_movemode': 'movemode_text',
    'ms_1_combo_light': 'name_lighting_effect_text',
    'ms_1_combo_light_ble': 'name_lighting_effect_over_bluetooth_text',
    'ms_1_slider_brightness': 'brightness_text',
    'ms_1_slider_breathspeed': 'name_breathing_speed_text',
    'ms_1_slider_light_off': 'name_light_off_timer_text',
    'ms_1_slider_sleep_timer': 'name_sleep_timer_text',
    'ms_1_btn_light_color': 'name_light_colour_text',
    'ms_1_list_profile': 'section_profile_text',
    'ms_1_profile_add_btn': 'name_new_profile_text',
    'ms_1_profile_delete_btn': 'name_delete_profile_text',
    'ms_1_profile_rename_btn': 'profile_name_2_text',
    'ms_1_profile_import_btn': 'name_import_profile_text',
    'ms_1_profile_export_btn': 'name_export_profile_text',
    'ms_1_profile_reset_btn': 'restore_defaults_text',
    'ms_1_btn_reset': 'restore_defaults_text',
    'ms_1_apply_btn': 'apply_text',
    'ms_1_btn_macro': 'macro_list_text',
    'ms_1_btn_mouse_attribute': 'mouse_attribute_text',
    'skin_btn': 'name_skin_text',
    'main_menu_btn': 'name_menu_text',
    'min_btn': 'name_minimise_text',
    'exit_btn': 'name_close_text',
}
for stage in range(1, 9):
    NAMES[f'ms_1_edit_dpi_{stage}'] = 'name_stage_n_dpi_text'
    NAMES[f'ms_1_slider_dpi_{stage}'] = 'name_stage_n_dpi_slider_text'
    NAMES[f'ms_1_option_dpi_step_{stage}'] = 'name_use_stage_n_text'
    NAMES[f'ms_1_btn_dpi_color_{stage}'] = 'name_stage_n_colour_text'
# A button shows its function; its name says which button it is.
for number in range(1, 19):
    NAMES[f'ms_1_btn_key_{number}'] = 'name_button_n_text'
for index, rate in enumerate(RATES, start=1):
    NAMES[f'ms_1_btn_prate_{index}'] = f'name_polling_rate_{rate}_text'
# Options are named by what they show.
for k, (lift, state) in enumerate((('low', 'off'), ('high', 'on')), start=1):
    NAMES[f'ms_1_option_lift_of_distance_{k}'] = f'name_lift_off_distance_{lift}_text'
    NAMES[f'ms_1_option_ripple_control_{k}'] = f'name_ripple_control_{state}_text'
    NAMES[f'ms_1_option_angle_snap_{k}'] = f'name_angle_snap_{state}_text'
# Icons that show a state say it, to the eye (tooltip) and to the ear.
TOOLTIPS = {
    'ms_1_wired': 'link_cable_text',
    'ms_1_wireless': 'link_receiver_text',
    'ms_1_BLE': 'link_bluetooth_text',
    'ms_1_progress_power': 'battery_tip_text',
}
NAMES.update({name: key for name, key in TOOLTIPS.items() if name != 'ms_1_progress_power'})
NAMES['ms_1_progress_power'] = 'section_power_text'


def name_controls(root, write_property):
    """Adds an accessibleName (and toolTip) property to every listed widget under root."""
    for element in root.iter('widget'):
        name = NAMES.get(element.get('name'))
        if name is not None:
            write_property(element, 'accessibleName', name)
        tip = TOOLTIPS.get(element.get('name'))
        if tip is not None:
            write_property(element, 'toolTip', tip)
