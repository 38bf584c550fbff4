// Builds widgets from a layout file in Qt Designer's form (.ui): the part of
// it the skins use. Widgets of the classes below, box and grid layouts,
// spacers, combo and list items, stacked and scroll-area pages, and properties
// of the types string, number, bool, size, rect, enum, set and sizepolicy. A
// property the class does not have becomes a dynamic property, as with Qt's
// own loader, whose results this matches; it is not used because it reads the
// file into a second tree and pulls in its OpenGL dependencies, which cost the
// start-up a tenth of its time and a megabyte.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

namespace vexel::toolkit::qt {

struct BuiltLayout {
  QWidget* root = nullptr;   // nullptr when the file is not a layout
  QString root_style_sheet;  // the root's own style sheet, left for the caller
  QString error;
};

BuiltLayout BuildLayout(const QByteArray& text, QWidget* parent);

}  // namespace vexel::toolkit::qt
