"""The style sheet of the main window and of the DPI indicator.

One accent colour on dark panels. Widgets pick their look through the dynamic
property "role" (panel, section, caption, value, badge, stage, swatch, segment,
assign, tool, titlebutton, toggle). Images are named relative to res/.
"""

ACCENT = '#1fc7e6'
ACCENT_HOVER = '#58d9f0'
INK = '#0d1014'  # text on the accent colour

MAIN_STYLE = """
* { font-family: "DejaVu Sans"; font-size: 12px; color: #d7dae2; }
QWidget#main { background: #0f1116; }
QPushButton, QCheckBox, QRadioButton, QComboBox, QListWidget { outline: none; }
QToolTip { background: #1b1e26; color: #e8eaf0; border: 1px solid #2e3340; }

/* Title bar */
QFrame#title_bar { background: #15181e; border: none; border-bottom: 1px solid #22262f; }
QLabel#title_logo { image: url(skins/main/logo.svg); min-width: 28px; max-width: 28px;
  min-height: 28px; max-height: 28px; }
QLabel#title_text { font-size: 14px; font-weight: bold; color: #f2f4f8; }
QFrame#title_separator { background: #2a2e38; min-width: 1px; max-width: 1px;
  min-height: 22px; max-height: 22px; border: none; }
QPushButton[role="titlebutton"] { background: transparent; border: none; border-radius: 6px;
  padding: 0; min-width: 34px; max-width: 34px; min-height: 30px; max-height: 30px; }
QPushButton[role="titlebutton"]:hover { background: #232733; }
QPushButton#exit_btn:hover { background: #c8323f; }
QPushButton#skin_btn { image: url(skins/main/skin.svg); }
QPushButton#main_menu_btn { image: url(skins/main/menu.svg); }
QPushButton#min_btn { image: url(skins/main/minimize.svg); }
QPushButton#exit_btn { image: url(skins/main/close.svg); }
QProgressBar#apply_progress { background: #15181e; border: none; border-radius: 0;
  min-height: 2px; max-height: 2px; }
QProgressBar#apply_progress::chunk { background: ACCENT; border-radius: 0; }

/* Connection state */
QLabel[role="link"] { min-width: 22px; max-width: 22px; min-height: 22px; max-height: 22px;
  border-radius: 5px; background: #1d2029; }
QLabel#ms_1_wired { image: url(skins/main/wired.svg); }
QLabel#ms_1_wireless { image: url(skins/main/wireless.svg); }
QLabel#ms_1_BLE { image: url(skins/main/ble.svg); }
QLabel#ms_1_sleep_label { color: #f0b429; background: #2a2417; border-radius: 5px;
  min-height: 22px; max-height: 22px; padding: 0 8px 0 24px;
  background-image: url(skins/main/sleep.svg);
  background-repeat: no-repeat; background-position: left center; background-origin: border; }

/* Panels and sections */
QStackedWidget#device_tab_switch, QWidget#ms_1_page { background: #0f1116; }
QLabel#no_device_label { color: #eef0f4; font-size: 18px; font-weight: bold; }
QLabel#no_device_hint_label { color: #a3a8b5; font-size: 14px; }
QFrame[role="panel"] { background: #171a21; border: 1px solid #232732; border-radius: 10px; }
QCheckBox[role="section"] { font-size: 12px; font-weight: bold; color: #eef0f4; spacing: 8px;
  padding: 8px 2px 7px 2px; border: none; border-bottom: 1px solid #252a35; }
QCheckBox[role="section"]:hover { color: ACCENT; }
QCheckBox[role="section"]::indicator { width: 14px; height: 14px;
  image: url(skins/main/chevron_right.svg); }
QCheckBox[role="section"]::indicator:checked { image: url(skins/main/chevron_down.svg); }
QLabel[role="caption"] { color: #8a90a0; }
QLabel[role="fixedcaption"] { color: #8a90a0; min-width: 150px; max-width: 150px; }
QLabel[role="value"] { color: ACCENT; font-weight: bold; }
QLabel#ms_1_low_power_label { color: #ff5d5d; }
QLabel#ms_1_battery_icon { image: url(skins/main/battery.svg); min-width: 20px; max-width: 20px; }
QLabel#apply_ring { image: url(skins/main/apply_ring.svg); min-width: 20px; max-width: 20px; }

/* Buttons */
QPushButton { background: #232733; border: 1px solid #2e3340; border-radius: 6px;
  padding: 5px 12px; color: #e2e5ec; }
QPushButton:hover { background: #2b303d; border-color: ACCENT; }
QPushButton:pressed { background: #1a1d25; }
QPushButton:checked { background: ACCENT; border-color: ACCENT; color: INK; }
QPushButton#ms_1_apply_btn { background: ACCENT; color: INK; font-size: 13px; font-weight: bold;
  border: none; padding: 8px 18px; }
QPushButton#ms_1_apply_btn:hover { background: ACCENT_HOVER; }
QPushButton#ms_1_btn_apply_dpi { color: ACCENT; border-color: ACCENT; font-weight: bold; }
QPushButton[role="tool"] { text-align: left; padding: 5px 10px; }
QPushButton[role="tool"]:hover { color: #ffffff; }
QPushButton[role="assign"] { text-align: left; padding: 2px 22px 2px 9px; background: #1d2029;
  border-color: #262a35; min-height: 18px; max-height: 18px;
  background-image: url(skins/main/combo_arrow.svg); background-repeat: no-repeat;
  background-position: right center; background-origin: content; }
QPushButton[role="assign"]:hover { background-color: #252a35; border-color: ACCENT; }
QPushButton[role="assign"]:disabled { color: #5a6072; }
QPushButton[role="stage"] { min-width: 24px; max-width: 24px; min-height: 24px; max-height: 24px;
  padding: 0; border-radius: 13px; font-weight: bold; background: #12141a; border-color: #3a3f4c; }
QPushButton[role="stage"]:checked { background: ACCENT; border-color: ACCENT; color: INK; }
QPushButton[role="swatch"] { min-width: 20px; max-width: 20px; min-height: 14px; max-height: 14px;
  padding: 0; border: 2px solid #343a48; border-radius: 5px; }
QPushButton[role="swatch"]:hover { border-color: #f2f4f8; }
QPushButton[role="segment"] { padding: 6px 0; min-width: 68px; font-weight: bold; }
QLabel[role="badge"] { background: #12141a; border: 1px solid #3a3f4c; border-radius: 9px;
  min-width: 18px; max-width: 18px; min-height: 18px; max-height: 18px; font-size: 10px;
  font-weight: bold; color: #c8ccd6; qproperty-alignment: AlignCenter; }
QLabel[role="hovermark"] { image: url(skins/main/hover_mark.svg); background: transparent; }
QWidget#ms_1_mouse_view { background-image: url(skins/main/mouse.svg);
  background-repeat: no-repeat; background-position: top left; }

QPushButton#ms_1_profile_add_btn { qproperty-icon: url(skins/main/add.svg); }
QPushButton#ms_1_profile_rename_btn { qproperty-icon: url(skins/main/rename.svg); }
QPushButton#ms_1_profile_delete_btn { qproperty-icon: url(skins/main/delete.svg); }
QPushButton#ms_1_profile_import_btn { qproperty-icon: url(skins/main/import.svg); }
QPushButton#ms_1_profile_export_btn { qproperty-icon: url(skins/main/export.svg); }
QPushButton#ms_1_profile_reset_btn, QPushButton#ms_1_btn_reset, QPushButton#ms_1_btn_reset_dpi {
  qproperty-icon: url(skins/main/restore.svg); }
QPushButton#ms_1_btn_macro { qproperty-icon: url(skins/main/macro.svg); }
QPushButton#ms_1_btn_mouse_attribute { qproperty-icon: url(skins/main/settings.svg); }

/* Inputs */
QLineEdit { background: #12141a; border: 1px solid #2e3340; border-radius: 5px; padding: 3px 6px;
  color: #e8eaf0; selection-background-color: ACCENT; selection-color: INK; }
QLineEdit:focus { border-color: ACCENT; }
QSlider { min-height: 20px; }
QSlider::groove:horizontal { height: 4px; background: #2a2e38; border-radius: 2px; }
QSlider::sub-page:horizontal { background: ACCENT; border-radius: 2px; }
QSlider::handle:horizontal { width: 12px; height: 12px; margin: -6px 0; border-radius: 8px;
  background: #eef0f4; border: 2px solid ACCENT; }
QSlider::handle:horizontal:hover { background: ACCENT; }
QProgressBar { background: #12141a; border: 1px solid #2e3340; border-radius: 5px;
  min-height: 10px; max-height: 10px; }
QProgressBar::chunk { border-radius: 4px; background: qlineargradient(x1:0, y1:0, x2:1, y2:0,
  stop:0 #1592a8, stop:1 ACCENT); }
QComboBox { background: #12141a; border: 1px solid #2e3340; border-radius: 6px;
  padding: 4px 10px; min-width: 170px; }
QComboBox:hover { border-color: ACCENT; }
QComboBox::drop-down { border: none; width: 26px; }
QComboBox::down-arrow { image: url(skins/main/combo_arrow.svg); }
QComboBox QAbstractItemView { background: #1b1e26; border: 1px solid #2e3340; outline: none;
  selection-background-color: ACCENT; selection-color: INK; }
QListWidget { background: #12141a; border: 1px solid #2e3340; border-radius: 6px; padding: 3px;
  outline: none; }
QListWidget::item { padding: 2px 8px; border-radius: 4px; }
QListWidget::item:hover { background: #1f232c; }
QListWidget::item:selected { background: ACCENT; color: INK; }
QRadioButton { spacing: 8px; padding: 2px 14px 2px 0; }
QRadioButton::indicator { width: 16px; height: 16px; image: url(skins/main/radio_off.svg); }
QRadioButton::indicator:checked { image: url(skins/main/radio_on.svg); }
QCheckBox[role="toggle"] { spacing: 10px; }
QCheckBox[role="toggle"]::indicator { width: 34px; height: 18px;
  image: url(skins/main/toggle_off.svg); }
QCheckBox[role="toggle"]::indicator:checked { image: url(skins/main/toggle_on.svg); }

/* The scrolling column */
QScrollArea { background: transparent; border: none; }
QWidget#ms_1_setting_body { background: transparent; }
QScrollBar:vertical { background: transparent; width: 8px; margin: 4px 0; }
QScrollBar::handle:vertical { background: #2e3340; border-radius: 4px; min-height: 30px; }
QScrollBar::handle:vertical:hover { background: ACCENT; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
"""

DPI_MESSAGE_STYLE = """
* { font-family: "DejaVu Sans"; }
QWidget#DPImsg { background: #15181e; }
QFrame#dpi_frame { background: #15181e; border: 1px solid #2e3340; border-left: 4px solid ACCENT;
  border-radius: 4px; }
QLabel#dpi_icon { image: url(skins/main/dpi.svg); min-width: 24px; max-width: 24px;
  background: transparent; border: none; }
QLabel#dpi_label { color: #f2f4f8; font-size: 20px; font-weight: bold; background: transparent;
  border: none; }
"""


def _fill(style):
    return (style.replace('ACCENT_HOVER', ACCENT_HOVER).replace('ACCENT', ACCENT)
            .replace('INK', INK).strip())


def main_style():
    return _fill(MAIN_STYLE)


def dpi_message_style():
    return _fill(DPI_MESSAGE_STYLE)
