"""Accessible names of the main window's controls, for screen readers (Orca
reads them through AT-SPI). A control that shows its own text is named by that
text and is not listed; these show a number, a swatch, a slider or a short word
that does not say enough on its own.
"""

RATES = ['125 Hz', '250 Hz', '500 Hz', '1000 Hz']

NAMES = {
    'ms_1_btn_apply_dpi': 'Apply DPI',
    'ms_1_btn_reset_dpi': 'Reset stages',
    'ms_1_slider_key_debounce': 'Key debounce',
    'ms_1_check_movemode': 'Movement mode',
    'ms_1_combo_light': 'Lighting effect',
    'ms_1_combo_light_ble': 'Lighting effect over Bluetooth',
    'ms_1_slider_brightness': 'Brightness',
    'ms_1_slider_breathspeed': 'Breathing speed',
    'ms_1_slider_light_off': 'Light-off timer',
    'ms_1_slider_sleep_timer': 'Sleep timer',
    'ms_1_btn_light_color': 'Light colour',
    'ms_1_list_profile': 'Profiles',
    'ms_1_profile_add_btn': 'New profile',
    'ms_1_profile_delete_btn': 'Delete profile',
    'ms_1_profile_rename_btn': 'Rename profile',
    'ms_1_profile_import_btn': 'Import profile',
    'ms_1_profile_export_btn': 'Export profile',
    'ms_1_profile_reset_btn': 'Restore defaults',
    'ms_1_btn_reset': 'Restore defaults',
    'ms_1_apply_btn': 'Apply',
    'ms_1_btn_macro': 'Macros',
    'ms_1_btn_mouse_attribute': 'System mouse settings',
    'skin_btn': 'Skin',
    'main_menu_btn': 'Menu',
    'min_btn': 'Minimise',
    'exit_btn': 'Close',
}
for stage in range(1, 9):
    NAMES[f'ms_1_edit_dpi_{stage}'] = f'Stage {stage} DPI'
    NAMES[f'ms_1_slider_dpi_{stage}'] = f'Stage {stage} DPI slider'
    NAMES[f'ms_1_option_dpi_step_{stage}'] = f'Use stage {stage}'
    NAMES[f'ms_1_btn_dpi_color_{stage}'] = f'Stage {stage} colour'
# A button shows its function; its name says which button it is.
for number in range(1, 19):
    NAMES[f'ms_1_btn_key_{number}'] = f'Button {number}'
for index, rate in enumerate(RATES, start=1):
    NAMES[f'ms_1_btn_prate_{index}'] = f'Polling rate {rate}'
for k in (1, 2):
    NAMES[f'ms_1_option_lift_of_distance_{k}'] = f'Lift-off distance {k}'
    NAMES[f'ms_1_option_ripple_control_{k}'] = f'Ripple control {k}'
    NAMES[f'ms_1_option_angle_snap_{k}'] = f'Angle snap {k}'


def name_controls(root, write_property):
    """Adds an accessibleName property to every listed widget under root."""
    for element in root.iter('widget'):
        name = NAMES.get(element.get('name'))
        if name is not None:
            write_property(element, 'accessibleName', name)
