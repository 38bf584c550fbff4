#include "skin_loader.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "toolkit/qt/qt_window.h"

namespace vexel::skin_preview {
namespace {

QString Lookup(const QHash<QString, QString>& texts, const QString& key) {
  return texts.value(key, key);
}

}  // namespace

// Built as the program builds it, so the preview and the render test see
// what the program shows.
QWidget* LoadSkin(const QString& layout_path, QString* error) {
  QString why;
  QWidget* window = vexel::toolkit::qt::LoadLayout(
      layout_path, QFileInfo(layout_path).absolutePath(), nullptr, &why);
  if (!window) *error = "cannot load " + layout_path + ": " + why;
  return window;
}

QHash<QString, QString> LoadLanguage(const QString& path) {
  QHash<QString, QString> texts;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return texts;
  QXmlStreamReader xml(&file);
  while (xml.readNextStartElement() || !xml.atEnd()) {
    if (xml.isStartElement() && xml.name() == QLatin1String("text")) {
      const QString key = xml.attributes().value("key").toString();
      texts.insert(key, xml.readElementText());
    } else if (xml.hasError()) {
      break;
    } else {
      xml.readNext();
    }
  }
  return texts;
}

void ShowLanguageTexts(QWidget* root, const QHash<QString, QString>& texts) {
  const QList<QWidget*> widgets = root->findChildren<QWidget*>();
  for (QWidget* widget : widgets) {
    if (widget->property("textmode").toString() != "key") continue;
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      for (int i = 0; i < combo->count(); ++i)
        combo->setItemText(i, Lookup(texts, combo->itemText(i)));
    } else if (widget->metaObject()->indexOfProperty("text") >= 0) {
      widget->setProperty("text", Lookup(texts, widget->property("text").toString()));
    }
  }
}

}  // namespace vexel::skin_preview
