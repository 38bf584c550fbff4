// Loads a layout of res/ the way the program shows it: style-sheet images
// resolved against res/, language keys replaced by their texts.
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

namespace vexel::skin_preview {

// The layout's folder is taken as res/. nullptr and `error` set on failure.
QWidget* LoadSkin(const QString& layout_path, QString* error);

// lan.xml: <language><text key="KEY">TEXT</text>...</language>.
QHash<QString, QString> LoadLanguage(const QString& path);

// Widgets with textmode="key" show the text of their key (a combo box every
// item's); a key without a text stays visible as the key.
void ShowLanguageTexts(QWidget* root, const QHash<QString, QString>& texts);

}  // namespace vexel::skin_preview
