"""Small helpers that write Qt Designer .ui XML, so a layout with many
repeated rows can be described in a few lines of Python.

A property value is written by its Python type: str -> <string>, bool -> <bool>,
int -> <number>, Enum -> <enum>, Size -> <size>, Rect -> <rect>,
SizePolicy -> <sizepolicy>.
"""
from dataclasses import dataclass
import xml.etree.ElementTree as ET


@dataclass
class Enum:
    value: str


@dataclass
class Size:
    width: int
    height: int


@dataclass
class Rect:
    x: int
    y: int
    width: int
    height: int


@dataclass
class SizePolicy:
    horizontal: str  # QSizePolicy names: Fixed, Preferred, Expanding, Ignored, ...
    vertical: str


def _value(parent, value):
    if isinstance(value, bool):
        ET.SubElement(parent, 'bool').text = 'true' if value else 'false'
    elif isinstance(value, int):
        ET.SubElement(parent, 'number').text = str(value)
    elif isinstance(value, Enum):
        ET.SubElement(parent, 'enum').text = value.value
    elif isinstance(value, Size):
        size = ET.SubElement(parent, 'size')
        ET.SubElement(size, 'width').text = str(value.width)
        ET.SubElement(size, 'height').text = str(value.height)
    elif isinstance(value, Rect):
        rect = ET.SubElement(parent, 'rect')
        for field in ('x', 'y', 'width', 'height'):
            ET.SubElement(rect, field).text = str(getattr(value, field))
    elif isinstance(value, SizePolicy):
        policy = ET.SubElement(parent, 'sizepolicy',
                               {'hsizetype': value.horizontal, 'vsizetype': value.vertical})
        ET.SubElement(policy, 'horstretch').text = '0'
        ET.SubElement(policy, 'verstretch').text = '0'
    else:
        ET.SubElement(parent, 'string', {'notr': 'true'}).text = str(value)


def _property(parent, name, value, dynamic):
    attributes = {'name': name}
    if dynamic:
        attributes['stdset'] = '0'
    _value(ET.SubElement(parent, 'property', attributes), value)


def widget(cls, name, props=None, dyn=None, layout=None, children=(), items=()):
    """A <widget>. props: Qt properties; dyn: dynamic properties (textmode,
    role, group, section); layout: from box()/grid(); children: widgets placed
    without a layout; items: combo box entries."""
    element = ET.Element('widget', {'class': cls, 'name': name})
    # Dynamic properties first: style sheet selectors match on them, and a
    # widget made visible while it is built is styled at that moment.
    for key, value in (dyn or {}).items():
        _property(element, key, value, dynamic=True)
    for key, value in (props or {}).items():
        _property(element, key, value, dynamic=False)
    for text in items:
        item = ET.SubElement(element, 'item')
        _property(item, 'text', text, dynamic=False)
    if layout is not None:
        element.append(layout)
    for child in children:
        element.append(child)
    return element


def named(root, name_controls):
    """root after name_controls(root, write_property) added its accessible names."""
    def write_property(element, key, value):
        # Before the element's layout and children, where Designer puts properties.
        holder = ET.Element('holder')
        _property(holder, key, value, dynamic=False)
        element.insert(0, holder[0])
    name_controls(root, write_property)
    return root


def spacer(name, horizontal=False, size=0):
    """An expanding spacer, or a fixed one when size is given."""
    element = ET.Element('spacer', {'name': name})
    _property(element, 'orientation', Enum('Qt::Horizontal' if horizontal else 'Qt::Vertical'),
              dynamic=False)
    if size:
        _property(element, 'sizeType', Enum('QSizePolicy::Fixed'), dynamic=False)
    extent = size or 20
    _property(element, 'sizeHint', Size(extent, 1) if horizontal else Size(1, extent), dynamic=True)
    return element


def _margins(layout, margins, spacing):
    left, top, right, bottom = margins
    for side, value in (('leftMargin', left), ('topMargin', top), ('rightMargin', right),
                        ('bottomMargin', bottom)):
        _property(layout, side, value, dynamic=False)
    if spacing is not None:
        _property(layout, 'spacing', spacing, dynamic=False)


def box(name, vertical, entries, margins=(0, 0, 0, 0), spacing=None):
    """A QVBoxLayout or QHBoxLayout of widgets and spacers."""
    layout = ET.Element('layout', {'class': 'QVBoxLayout' if vertical else 'QHBoxLayout',
                                   'name': name})
    _margins(layout, margins, spacing)
    for entry in entries:
        ET.SubElement(layout, 'item').append(entry)
    return layout


def grid(name, cells, margins=(0, 0, 0, 0), spacing=None, hspacing=None):
    """A QGridLayout; cells are (row, column, element) or (row, column, element, colspan)."""
    layout = ET.Element('layout', {'class': 'QGridLayout', 'name': name})
    _margins(layout, margins, spacing)
    if hspacing is not None:
        _property(layout, 'horizontalSpacing', hspacing, dynamic=False)
    for cell in cells:
        row, column, element = cell[:3]
        attributes = {'row': str(row), 'column': str(column)}
        if len(cell) > 3:
            attributes['colspan'] = str(cell[3])
        ET.SubElement(layout, 'item', attributes).append(element)
    return layout


def document(root, class_name, header_comment):
    """The whole .ui file as text, with a comment before <ui>."""
    ui = ET.Element('ui', {'version': '4.0'})
    ET.SubElement(ui, 'class').text = class_name
    ui.append(root)
    ET.SubElement(ui, 'resources')
    ET.SubElement(ui, 'connections')
    ET.indent(ui, space=' ')
    body = ET.tostring(ui, encoding='unicode')
    return f'<?xml version="1.0" encoding="UTF-8"?>\n<!--\n{header_comment}\n-->\n{body}\n'
