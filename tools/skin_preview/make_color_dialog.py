"""The colour dialog (res/DpiColorDialog.xml), written by make_main_skin.py.

250 x 200: the palette with the preview and the red, green and blue boxes
beside it, the sixteen preset swatches under it, OK and Cancel at the bottom.
"""
from ui_writer import Enum, Rect, Size, box, document, grid, spacer, widget

# Swatch colours in the order of their numbers 1-16 (the dialog's presets).
PRESETS = ['#00ffff', '#6cff00', '#7f00ff', '#007fff', '#0000ff', '#7fff00', '#ff5400',
           '#ff7f00', '#ffb400', '#ffff00', '#ff0000', '#ff00ff', '#1eb40a', '#48b1ff',
           '#ff48b0', '#ffffff']

STYLE = """#DpiColorWnd { background: #12141a; }
#color_frame { background: #1a1d24; border: 1px solid #2e3340; }
QLabel { color: #c9cdd6; font: 9pt "DejaVu Sans"; }
QLineEdit { background: #0d1014; color: #f2f4f8; border: 1px solid #3a3f4c; border-radius: 3px;
            font: 9pt "DejaVu Sans"; padding: 1px 3px; }
QLineEdit:focus { border-color: #1fc7e6; }
#color_show_control { border: 1px solid #3a3f4c; border-radius: 3px; }
QPushButton[role="preset"] { border: 1px solid #3a3f4c; border-radius: 2px; }
QPushButton[role="preset"]:hover { border-color: #f2f4f8; }
#confirm_btn, #cancel_btn { font: 9pt "DejaVu Sans"; min-width: 64px; min-height: 24px;
                            border-radius: 4px; }
#confirm_btn { background: #1fc7e6; color: #0d1014; border: 1px solid #1fc7e6; font-weight: bold; }
#cancel_btn { background: #252a35; color: #e8eaf0; border: 1px solid #3a3f4c; }
"""


def _swatch_rules():
    return '\n'.join(f'#mouse_dpi_color_{n} {{ background-color: {colour}; }}'
                     for n, colour in enumerate(PRESETS, start=1))


def _channel_cells():
    cells = []
    for row, (letter, name, spoken) in enumerate(
            [('R', 'r_edit', 'name_red_text'), ('G', 'g_edit', 'name_green_text'),
             ('B', 'b_edit', 'name_blue_text')]):
        cells.append((row, 0, widget('QLabel', f'{name}_caption', {'text': letter})))
        cells.append((row, 1, widget('QLineEdit', name, {
            'text': '0', 'maxLength': 3, 'accessibleName': spoken,
            'minimumSize': Size(40, 0), 'maximumSize': Size(48, 16777215)})))
    return cells


def color_dialog_window():
    palette = widget('ColorPalette', 'ColorPallet', {
        'minimumSize': Size(150, 104), 'accessibleName': 'name_colour_palette_text',
        'cursor': 'CrossCursor'})
    side = widget('QWidget', 'color_side', layout=box('color_side_layout', True, [
        widget('QLabel', 'color_show_control', {'text': '', 'minimumSize': Size(0, 26)}),
        widget('QWidget', 'color_channels',
               layout=grid('color_channels_layout', _channel_cells(), spacing=3)),
    ], spacing=4))
    top = box('color_top_layout', False, [palette, side], spacing=8)
    swatches = [(i // 8, i % 8, widget('QPushButton', f'mouse_dpi_color_{n}', {
        'text': '', 'accessibleName': 'name_colour_preset_n_text', 'cursor': 'PointingHandCursor',
        'minimumSize': Size(22, 14), 'maximumSize': Size(26, 14)}, {'role': 'preset'}))
        for i, n in enumerate(range(1, len(PRESETS) + 1))]
    buttons = box('color_button_layout', False, [
        spacer('color_button_stretch', horizontal=True),
        widget('QPushButton', 'confirm_btn', {'text': 'ok_text', 'accessibleName': 'ok_text',
                                              'default': True}, {'textmode': 'key'}),
        widget('QPushButton', 'cancel_btn', {'text': 'cancel_text', 'accessibleName': 'cancel_text'},
               {'textmode': 'key'}),
    ], spacing=8)
    frame = widget('QFrame', 'color_frame', layout=box('color_frame_layout', True, [
        widget('QWidget', 'color_top', layout=top),
        widget('QWidget', 'color_presets',
               layout=grid('color_presets_layout', swatches, spacing=4)),
        widget('QWidget', 'color_buttons', layout=buttons),
    ], (8, 8, 8, 8), 6))
    return widget('QWidget', 'DpiColorWnd', {
        'geometry': Rect(0, 0, 250, 200), 'windowTitle': 'Colour',
        'styleSheet': STYLE + _swatch_rules()}, dyn={'frameless': True},
        layout=box('color_root_layout', True, [frame]))


COMMENT = """  DpiColorDialog.xml: the colour dialog (CDpiColorWnd), 250 x 200, opened from
  the DPI stage colour buttons and the light colour button.
  "ColorPallet" is the toolkit's colour palette; "color_show_control" the
  preview; "r_edit", "g_edit", "b_edit" the channels; "mouse_dpi_color_1" to
  "_16" the presets in the dialog's order.
  Written by tools/skin_preview/make_color_dialog.py; change the script, not this file."""


def color_dialog_document():
    return document(color_dialog_window(), 'DpiColorWnd', COMMENT)
