#!/usr/bin/env python3
"""Writes res/main.xml (the main window) and res/DPImsg.xml (the DPI indicator).

    python3 tools/skin_preview/make_main_skin.py [RES_FOLDER]

The layouts are Qt Designer .ui files; edit this script rather than the output,
since the 18 button rows and 8 DPI stages are written in loops. Then look at
the result with skin-preview (see tools/skin_preview/README.md).
"""
import os
import sys
from xml.sax.saxutils import escape

from accessible_names import name_controls
from make_color_dialog import color_dialog_document
from main_skin_style import dpi_message_style, main_style
from ui_writer import Enum, Rect, Size, SizePolicy, box, document, grid, spacer, widget, named

HERE = os.path.dirname(os.path.abspath(__file__))

# Texts that the main window shows through the language table, with the
# English text for lan.xml. Keys the program already uses elsewhere (button
# functions, polling rates, charging) are not repeated here.
SKIN_KEYS = {
    'section_power_text': 'Battery',
    'section_buttons_text': 'Buttons',
    'section_profile_text': 'Profiles',
    'section_dpi_text': 'DPI stages',
    'section_prate_text': 'Polling rate',
    'section_light_text': 'Lighting',
    'section_mouse_attribute_text': 'Pointer',
    'section_power_setting_text': 'Power saving',
    'section_lift_off_text': 'Lift-off distance',
    'section_key_debounce_text': 'Key debounce',
    'section_ripple_text': 'Ripple control',
    'section_angle_snap_text': 'Angle snap',
    'sleep_text': 'Asleep',
    'low_power_text': 'Low battery',
    'macro_editor_text': 'Macros',
    'restore_defaults_text': 'Restore defaults',
    'apply_text': 'Apply',
    'profile_new_text': 'New',
    'profile_rename_text': 'Rename',
    'profile_delete_text': 'Delete',
    'profile_import_text': 'Import',
    'profile_export_text': 'Export',
    'dpi_reset_text': 'Reset stages',
    'dpi_apply_text': 'Apply DPI',
    'dpi_hint_text': 'Click a number to make that stage active.',
    'light_effect_text': 'Effect',
    'light_effect_ble_text': 'Effect over Bluetooth',
    'brightness_text': 'Brightness',
    'breath_speed_text': 'Speed',
    'light_colour_text': 'Colour',
    'light_off_effect_text': 'Off',
    'light_static_text': 'Static',
    'light_breathing_text': 'Breathing',
    'light_neon_text': 'Neon',
    'light_spectrum_text': 'Spectrum',
    'light_wave_text': 'Wave',
    'light_flash_text': 'Flash',
    'light_rainbow_text': 'Rainbow',
    'light_marquee_text': 'Marquee',
    'light_reactive_text': 'Reactive',
    'light_starlight_text': 'Starlight',
    'light_colour_cycle_text': 'Colour cycle',
    'movemode_text': 'Movement mode',
    'mouse_attribute_text': 'System mouse settings',
    'lift_off_low_text': 'Low (1 mm)',
    'lift_off_high_text': 'High (2 mm)',
    'option_off_text': 'Off',
    'option_on_text': 'On',
}

# Effect list items in index order: the index is what the profile stores.
# 0 shows no rows, 1 brightness and colour, 2 speed and colour, 3-11 speed.
LIGHT_EFFECTS = [
    'light_off_effect_text', 'light_static_text', 'light_breathing_text', 'light_neon_text',
    'light_spectrum_text', 'light_wave_text', 'light_flash_text', 'light_rainbow_text',
    'light_marquee_text', 'light_reactive_text', 'light_starlight_text',
    'light_colour_cycle_text',
]

# Function keys of slots 0-17 under the default profile (the page relabels them).
DEFAULT_BUTTON_KEYS = (
    ['left_click_text', 'right_click_text', 'wheel_click_text', 'dpi_cycle_text',
     'dpi_cycle_text', 'dpi_down_text', 'forward_text', 'backward_text'] +
    ['button_off_text'] * 8 + ['scroll_down_text', 'scroll_up_text'])

# Centres of the numbered spots on skins/main/mouse.svg, buttons 1-12, in the
# drawing's own coordinates; the view is MOUSE_MARGIN wider on each side so that
# a hover mark over an outer spot is not cut off.
MOUSE_SPOTS = [(38, 60), (82, 60), (60, 24), (60, 80), (60, 98), (8, 99), (8, 129), (8, 157),
               (8, 185), (8, 209), (112, 129), (112, 157)]
MOUSE_MARGIN = 3
MOUSE_VIEW = (126, 280)
REASSIGNABLE_BUTTONS = 12
BUTTON_COUNT = 18
HOVER_MARK_SIZE = 22

# Stage s: default DPI / 100 and stored colour, as the DPI reset writes them.
DPI_DEFAULTS = [(5, '#ff0000'), (10, '#00ff00'), (20, '#0000ff'), (30, '#00ffff'),
                (40, '#ffff00'), (50, '#ff00ff'), (0, '#ff4000'), (0, '#ffffff')]
DPI_STAGES = 8
LIGHT_COLOUR = '#0000ff'


def key_label(name, key, role=None, visible=True):
    dyn = {'textmode': 'key'}
    if role:
        dyn['role'] = role
    props = {'text': key}
    if not visible:
        props['visible'] = False
    return widget('QLabel', name, props, dyn)


def label(name, text='', role=None, visible=True):
    props = {'text': text}
    if not visible:
        props['visible'] = False
    return widget('QLabel', name, props, {'role': role} if role else None)


def key_button(name, key, role=None, cls='QPushButton', props=None, dyn=None):
    all_dyn = {'textmode': 'key'}
    if role:
        all_dyn['role'] = role
    all_dyn.update(dyn or {})
    return widget(cls, name, {'text': key, 'cursor': 'PointingHandCursor', **(props or {})},
                  all_dyn)


def plain_button(name, role, visible=True):
    props = {'text': ''} if visible else {'text': '', 'visible': False}
    return widget('QPushButton', name, props, {'role': role})


def slider(name, minimum, maximum, value, page_step=1):
    return widget('QSlider', name, {
        'minimum': minimum, 'maximum': maximum, 'value': value, 'pageStep': page_step,
        'orientation': Enum('Qt::Horizontal'), 'cursor': 'PointingHandCursor'})


def section(check, container, key, is_open, layout):
    """A collapsible section: the check box header and the container it shows."""
    header = key_button(check, key, 'section', cls='QCheckBox', props={'checked': is_open})
    body_props = {} if is_open else {'visible': False}
    body = widget('QWidget', container, body_props, {'section': check}, layout=layout)
    return [header, body]


def options(prefix, keys, group):
    return [key_button(f'{prefix}_{i}', key, cls='QRadioButton',
                       props={'checked': i == 1}, dyn={'group': group})
            for i, key in enumerate(keys, start=1)]


# ---------------------------------------------------------------- title bar

TITLE_BAR_HEIGHT = 48


def title_bar():
    entries = [
        label('title_logo'),
        key_label('title_text', 'mouse_name_text'),
        spacer('title_gap', horizontal=True, size=14),
        widget('QFrame', 'title_separator'),
        spacer('title_gap_2', horizontal=True, size=6),
        label('ms_1_wired', role='link'),
        label('ms_1_wireless', role='link'),
        label('ms_1_BLE', role='link', visible=False),
        key_label('ms_1_sleep_label', 'sleep_text', visible=False),
        spacer('title_stretch', horizontal=True),
    ]
    # The skin and menu buttons do nothing yet: hidden until the window gives
    # them a function, rather than sitting there dead.
    entries += [plain_button(name, 'titlebutton', visible=name in ('min_btn', 'exit_btn'))
                for name in ('skin_btn', 'main_menu_btn', 'min_btn', 'exit_btn')]
    return widget('QFrame', 'title_bar',
                  {'minimumSize': Size(0, TITLE_BAR_HEIGHT),
                   'maximumSize': Size(16777215, TITLE_BAR_HEIGHT)},
                  layout=box('title_layout', False, entries, (14, 0, 8, 0), 6))


# ---------------------------------------------------------------- left panel

def power_section():
    cells = [
        (0, 0, label('ms_1_battery_icon')),
        (0, 1, widget('QProgressBar', 'ms_1_progress_power',
                      {'value': 100, 'textVisible': False})),
        (0, 2, widget('QLabel', 'ms_1_label_power',
                      {'text': '100%', 'minimumSize': Size(64, 0),
                       'alignment': Enum('Qt::AlignRight|Qt::AlignVCenter')},
                      {'role': 'value'})),
        (1, 0, key_label('ms_1_low_power_label', 'low_power_text', visible=False), 3),
    ]
    return section('ms_1_check_power', 'ms_1_ver_power', 'section_power_text', True,
                   grid('ms_1_power_layout', cells, (2, 6, 2, 4), 4, 10))


def mouse_view():
    marks = []
    for number in range(1, BUTTON_COUNT + 1):
        # Buttons 13-18 have no spot on the drawing; their marks stay hidden in a corner.
        x, y = 0, 0
        if number <= REASSIGNABLE_BUTTONS:
            spot_x, spot_y = MOUSE_SPOTS[number - 1]
            x, y = spot_x + MOUSE_MARGIN - HOVER_MARK_SIZE // 2, spot_y - HOVER_MARK_SIZE // 2
        marks.append(widget('QLabel', f'ms_1_key_control_{number}', {
            'geometry': Rect(x, y, HOVER_MARK_SIZE, HOVER_MARK_SIZE),
            'visible': False}, {'role': 'hovermark'}))
    return widget('QWidget', 'ms_1_mouse_view',
                  {'minimumSize': Size(*MOUSE_VIEW), 'maximumSize': Size(*MOUSE_VIEW)},
                  children=marks)


def button_rows():
    cells = []
    for number in range(1, BUTTON_COUNT + 1):
        shown = number <= REASSIGNABLE_BUTTONS
        badge = label(f'ms_1_key_badge_{number}', str(number), 'badge', visible=shown)
        # A long shortcut or macro name is cut off rather than widening the column.
        props = {'sizePolicy': SizePolicy('Ignored', 'Fixed')}
        if not shown:
            props['visible'] = False
        button = key_button(f'ms_1_btn_key_{number}', DEFAULT_BUTTON_KEYS[number - 1], 'assign',
                            props=props)
        cells += [(number - 1, 0, badge), (number - 1, 1, button)]
    return widget('QWidget', 'ms_1_button_rows',
                  layout=grid('ms_1_button_rows_layout', cells, (0, 0, 0, 0), 2, 6))


def button_section():
    layout = box('ms_1_button_layout', False, [mouse_view(), button_rows()], (0, 6, 0, 2), 8)
    return section('ms_1_check_button', 'ms_1_hor_button', 'section_buttons_text', True, layout)


def left_panel():
    tools = box('ms_1_tools_layout', False, [
        key_button('ms_1_btn_macro', 'macro_editor_text', 'tool'),
        key_button('ms_1_btn_reset', 'restore_defaults_text', 'tool'),
    ], spacing=8)
    apply_row = box('ms_1_apply_layout', False, [
        label('apply_ring', visible=False),
        key_button('ms_1_apply_btn', 'apply_text'),
    ], spacing=8)
    entries = (power_section() + button_section() + [
        spacer('ms_1_left_stretch'),
        widget('QWidget', 'ms_1_tools', layout=tools),
        widget('QWidget', 'ms_1_apply_row', layout=apply_row),
    ])
    return widget('QFrame', 'ms_1_left_panel',
                  {'minimumSize': Size(300, 0), 'maximumSize': Size(300, 16777215)},
                  {'role': 'panel'},
                  layout=box('ms_1_left_layout', True, entries, (12, 2, 12, 10), 3))


# ---------------------------------------------------------------- settings column

def profile_section():
    buttons = [
        ('ms_1_profile_add_btn', 'profile_new_text'),
        ('ms_1_profile_rename_btn', 'profile_rename_text'),
        ('ms_1_profile_delete_btn', 'profile_delete_text'),
        ('ms_1_profile_import_btn', 'profile_import_text'),
        ('ms_1_profile_export_btn', 'profile_export_text'),
    ]
    cells = [(i // 2, i % 2, key_button(name, key, 'tool'))
             for i, (name, key) in enumerate(buttons)]
    # The bottom bar's "Restore defaults" does the same; one visible copy is enough.
    cells.append((2, 1, key_button('ms_1_profile_reset_btn', 'restore_defaults_text', 'tool',
                                   props={'visible': False})))
    tools = widget('QWidget', 'ms_1_profile_tools',
                   layout=grid('ms_1_profile_tools_layout', cells, spacing=6))
    profile_list = widget('QListWidget', 'ms_1_list_profile',
                          {'minimumSize': Size(0, 100), 'maximumSize': Size(16777215, 100)})
    layout = box('ms_1_profile_layout', False, [profile_list, tools], (0, 8, 0, 8), 10)
    return section('ms_1_check_profile', 'ms_1_ver_profile', 'section_profile_text', True, layout)


def dpi_section():
    cells = []
    for stage in range(1, DPI_STAGES + 1):
        value = DPI_DEFAULTS[stage - 1][0]
        dpi = str(value * 100)
        row = stage - 1
        cells += [
            (row, 0, widget('QPushButton', f'ms_1_option_dpi_step_{stage}', {
                'text': str(stage), 'checkable': True, 'autoExclusive': True,
                'checked': stage == 2, 'cursor': 'PointingHandCursor'},
                {'role': 'stage', 'group': 'dpi_stage'})),
            (row, 1, widget('QLabel', f'ms_1_label_dpi_{stage}', {
                'text': dpi, 'minimumSize': Size(46, 0),
                'alignment': Enum('Qt::AlignRight|Qt::AlignVCenter')}, {'role': 'value'})),
            (row, 2, slider(f'ms_1_slider_dpi_{stage}', 1, 100, max(value, 1), 5)),
            (row, 3, widget('QLineEdit', f'ms_1_edit_dpi_{stage}', {
                'text': dpi, 'maxLength': 5, 'minimumSize': Size(62, 0),
                'maximumSize': Size(62, 16777215)})),
            (row, 4, widget('QPushButton', f'ms_1_btn_dpi_color_{stage}', {
                'cursor': 'PointingHandCursor'},
                {'role': 'swatch'})),
        ]
    table = widget('QWidget', 'ms_1_dpi_table',
                   layout=grid('ms_1_dpi_table_layout', cells, spacing=6, hspacing=10))
    actions = widget('QWidget', 'ms_1_dpi_actions', layout=box('ms_1_dpi_actions_layout', False, [
        widget('QLabel', 'ms_1_dpi_hint', {'text': 'dpi_hint_text', 'wordWrap': True},
               {'textmode': 'key', 'role': 'caption'}),
        key_button('ms_1_btn_reset_dpi', 'dpi_reset_text', 'tool'),
        key_button('ms_1_btn_apply_dpi', 'dpi_apply_text'),
    ], spacing=8))
    layout = box('ms_1_dpi_layout', True, [table, actions], (0, 8, 0, 8), 10)
    return section('ms_1_check_dpi', 'ms_1_ver_dpi', 'section_dpi_text', True, layout)


def prate_section():
    rates = [key_button(f'ms_1_btn_prate_{i}', f'prate_{i}_text', 'segment',
                        props={'checkable': True, 'autoExclusive': True, 'checked': i == 4},
                        dyn={'group': 'prate'})
             for i in range(1, 5)]
    layout = box('ms_1_prate_layout', False, rates + [
        spacer('ms_1_prate_stretch', horizontal=True),
        key_label('ms_1_label_prate', 'prate_4_text', 'value'),
    ], (0, 8, 0, 8), 6)
    return section('ms_1_check_prate', 'ms_1_ver_prate', 'section_prate_text', True, layout)


def captioned_row(name, caption_key, *controls):
    layout = box(f'{name}_layout', False,
                 [key_label(f'{name}_caption', caption_key, 'fixedcaption'), *controls], spacing=10)
    return widget('QWidget', name, layout=layout)


def light_section():
    def effect_combo(name):
        return widget('QComboBox', name, {'cursor': 'PointingHandCursor'}, {'textmode': 'key'},
                      items=LIGHT_EFFECTS)
    swatch = widget('QPushButton', 'ms_1_btn_light_color', {
        'cursor': 'PointingHandCursor'},
        {'role': 'swatch'})
    rows = [
        captioned_row('ms_1_hor_light_effect', 'light_effect_text',
                      effect_combo('ms_1_combo_light')),
        captioned_row('ms_1_hor_light_effect_ble', 'light_effect_ble_text',
                      effect_combo('ms_1_combo_light_ble')),
        captioned_row('ms_1_ver_brightness', 'brightness_text',
                      slider('ms_1_slider_brightness', 1, 8, 8)),
        captioned_row('ms_1_ver_breathspeed', 'breath_speed_text',
                      slider('ms_1_slider_breathspeed', 1, 8, 6)),
        captioned_row('ms_1_hor_light_color', 'light_colour_text', swatch,
                      spacer('ms_1_light_color_stretch', horizontal=True)),
    ]
    layout = box('ms_1_light_layout', True, rows, (0, 8, 0, 8), 8)
    return section('ms_1_check_light', 'ms_1_ver_light', 'section_light_text', False, layout)


def mouse_attribute_section():
    layout = box('ms_1_mouse_attribute_layout', False, [
        key_button('ms_1_check_movemode', 'movemode_text', 'toggle', cls='QCheckBox'),
        spacer('ms_1_mouse_attribute_stretch', horizontal=True),
        key_button('ms_1_btn_mouse_attribute', 'mouse_attribute_text', 'tool'),
    ], (0, 8, 0, 8), 8)
    return section('ms_1_check_mouse_attribute', 'ms_1_ver_mouse_attribute',
                   'section_mouse_attribute_text', False, layout)


def power_setting_section():
    # The page writes both labels as plain text ("Light off after 1.0 min").
    cells = [
        (0, 0, key_label('ms_1_label_light_off', 'sleep_timer_1_text', 'fixedcaption')),
        (0, 1, slider('ms_1_slider_light_off', 1, 60, 2, 4)),
        (1, 0, key_label('ms_1_label_sleep_timer', 'sleep_timer_3_text', 'fixedcaption')),
        (1, 1, slider('ms_1_slider_sleep_timer', 1, 60, 10, 5)),
    ]
    return section('ms_1_check_power_setting', 'ms_1_ver_power_setting',
                   'section_power_setting_text', False,
                   grid('ms_1_power_setting_layout', cells, (0, 8, 0, 8), 8, 10))


def option_section(check, container, title, prefix, keys, group):
    layout = box(f'{container}_layout', False,
                 options(prefix, keys, group) + [spacer(f'{container}_stretch', horizontal=True)],
                 (0, 8, 0, 8), 8)
    return section(check, container, title, False, layout)


def key_debounce_section():
    layout = box('ms_1_key_debounce_layout', False, [
        slider('ms_1_slider_key_debounce', 1, 15, 4),
        widget('QLabel', 'ms_1_label_key_debounce', {
            'text': '8 MS', 'minimumSize': Size(56, 0),
            'alignment': Enum('Qt::AlignRight|Qt::AlignVCenter')}, {'role': 'value'}),
    ], (0, 8, 0, 8), 10)
    return section('ms_1_check_key_debounce', 'ms_1_hor_key_debounce',
                   'section_key_debounce_text', False, layout)


def settings_column():
    on_off = ['option_off_text', 'option_on_text']
    entries = (
        profile_section() + dpi_section() + prate_section() + light_section() +
        mouse_attribute_section() + power_setting_section() +
        # These five open at the end of the column, which scrolls to show them.
        option_section('ms_1_check_lift_of_distance', 'ms_1_hor_lift_of_distance',
                       'section_lift_off_text', 'ms_1_option_lift_of_distance',
                       ['lift_off_low_text', 'lift_off_high_text'], 'lift_off') +
        key_debounce_section() +
        option_section('ms_1_check_ripple_control', 'ms_1_hor_ripple_control',
                       'section_ripple_text', 'ms_1_option_ripple_control', on_off, 'ripple') +
        option_section('ms_1_check_angle_snap', 'ms_1_hor_angle_snap', 'section_angle_snap_text',
                       'ms_1_option_angle_snap', on_off, 'angle_snap') +
        [spacer('ms_1_setting_stretch')])
    body = widget('QWidget', 'ms_1_setting_body', {'geometry': Rect(0, 0, 440, 900)},
                  layout=box('ms_1_setting_layout', True, entries, (10, 0, 12, 10), 2))
    scroll = widget('QScrollArea', 'ms_1_ver_setting', {
        'widgetResizable': True,
        'horizontalScrollBarPolicy': Enum('Qt::ScrollBarAlwaysOff'),
        'frameShape': Enum('QFrame::NoFrame')}, children=[body])
    return widget('QFrame', 'ms_1_right_panel', dyn={'role': 'panel'},
                  layout=box('ms_1_right_layout', True, [scroll], (2, 4, 2, 4), 0))


# ---------------------------------------------------------------- windows

def swatch_colours():
    """Start colours of the colour buttons, as rules of the window's sheet: the
    toolkit sets a chosen colour in the button's own sheet, which wins."""
    rules = [f'QPushButton#ms_1_btn_dpi_color_{stage} {{ background-color: {colour}; }}'
             for stage, (_, colour) in enumerate(DPI_DEFAULTS, start=1)]
    rules.append(f'QPushButton#ms_1_btn_light_color {{ background-color: {LIGHT_COLOUR}; }}')
    return '\n'.join(rules)


def main_window():
    # Notifications of this branch go to the settings page, registered under this name.
    page = widget('QWidget', 'ms_1_page', dyn={'virtualwnd': 'MS_1_Page'}, layout=box(
        'ms_1_page_layout', False, [left_panel(), settings_column()], (12, 12, 12, 12), 12))
    tabs = widget('QStackedWidget', 'device_tab_switch', {'currentIndex': 0}, children=[page])
    progress = widget('QProgressBar', 'apply_progress', {'value': 0, 'textVisible': False})
    # Shown in place of the page while no mouse is connected.
    centred = {'alignment': Enum('Qt::AlignCenter'), 'wordWrap': True}
    no_device = widget('QWidget', 'no_device_box', {'visible': False}, layout=box(
        'no_device_layout', True, [
            spacer('no_device_top'),
            widget('QLabel', 'no_device_label', {'text': 'no_device_text', **centred},
                   {'textmode': 'key'}),
            widget('QLabel', 'no_device_hint_label', {'text': 'no_device_hint_text', **centred},
                   {'textmode': 'key'}),
            spacer('no_device_bottom'),
        ], (48, 24, 48, 24), 12))
    # The skin draws its own title bar: no system frame, and the bar drags the window.
    # The window grows from its edges; it never gets smaller than this.
    return named(widget('QWidget', 'main', {
        'geometry': Rect(0, 0, 800, 572), 'minimumSize': Size(800, 572),
        'styleSheet': main_style() + '\n' + swatch_colours()},
        dyn={'frameless': True, 'caption': TITLE_BAR_HEIGHT, 'resizable': True},
        layout=box('main_layout', True, [title_bar(), progress, no_device, tabs], spacing=0)),
        name_controls)


def dpi_message_window():
    frame = widget('QFrame', 'dpi_frame', layout=box('dpi_frame_layout', False, [
        label('dpi_icon'),
        widget('QLabel', 'dpi_label', {'text': 'DPI :', 'alignment': Enum('Qt::AlignCenter')}),
    ], (12, 0, 12, 0), 6))
    return widget('QWidget', 'DPImsg', {
        'geometry': Rect(0, 0, 200, 50), 'styleSheet': dpi_message_style()},
        dyn={'frameless': True},
        layout=box('dpi_layout', False, [frame]))


MAIN_COMMENT = """  main.xml: the main window of the Vexel Gaming Mouse utility, 800 x 572.
  Written by tools/skin_preview/make_main_skin.py; change the script, not this file.

  Conventions:
    - Widgets whose text is a language key carry the dynamic property
      textmode="key" (labels, buttons, check boxes; for combo boxes every item).
    - Options of one group share the dynamic property "group".
    - The page's branch ("ms_1_page") carries virtualwnd="MS_1_Page": the
      notifications of its controls go to the settings page.
    - Images are named relative to res/ in the style sheet: url(skins/main/...).
    - Each section container carries the dynamic property "section" naming the
      check box that shows it.
    - "ms_1_btn_key_13" to "_18" and their badges are hidden rows; hover marks
      "ms_1_key_control_%d" sit over the numbered spots of skins/main/mouse.svg.

  Language keys this skin introduces (key: English text):
""" + '\n'.join(f'    {key}: {text}' for key, text in SKIN_KEYS.items())

DPI_COMMENT = """  DPImsg.xml: the DPI indicator, 200 x 50, shown at the bottom-right corner of
  the screen. The program writes its text ("DPI :1600") into the label "dpi_label".
  Written by tools/skin_preview/make_main_skin.py."""


def skin_keys_language_file():
    """The skin's own keys in the lan.xml format, to merge into res/lan.xml and
    to preview the skin before they are there."""
    lines = [f'  <text key="{key}">{escape(text)}</text>' for key, text in SKIN_KEYS.items()]
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<!-- Texts of the language keys that res/main.xml introduces. -->\n'
            '<language name="English">\n' + '\n'.join(lines) + '\n</language>\n')


def main():
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', 'res')
    outputs = {
        os.path.join(res, 'main.xml'): document(main_window(), 'MainWindow', MAIN_COMMENT),
        os.path.join(res, 'DPImsg.xml'): document(dpi_message_window(), 'DPImsg', DPI_COMMENT),
        os.path.join(res, 'DpiColorDialog.xml'): color_dialog_document(),
        os.path.join(HERE, 'skin_keys.lan.xml'): skin_keys_language_file(),
    }
    for path, text in outputs.items():
        with open(path, 'w', encoding='utf-8') as out:
            out.write(text)


if __name__ == '__main__':
    main()
