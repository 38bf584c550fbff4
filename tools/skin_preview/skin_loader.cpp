#include "skin_loader.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUiLoader>
#include <QXmlStreamReader>

namespace vexel::skin_preview {
namespace {

QString Lookup(const QHash<QString, QString>& texts, const QString& key) {
  return texts.value(key, key);
}

// Style sheets name images relative to res/ ("url(skins/main/x.svg)"); Qt reads
// relative paths from the working folder, so they are made absolute first.
QByteArray ResolveSkinUrls(const QByteArray& layout, const QString& resource_folder) {
  const QString absolute = QDir(resource_folder).absolutePath() + "/";
  QString text = QString::fromUtf8(layout);
  text.replace(QRegularExpression(R"(url\((?![/:]|[a-z]+:))"), "url(" + absolute);
  return text.toUtf8();
}

}  // namespace

QWidget* LoadSkin(const QString& layout_path, QString* error) {
  QFile file(layout_path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = "cannot read " + layout_path;
    return nullptr;
  }
  const QString resource_folder = QFileInfo(layout_path).absolutePath();
  QByteArray layout = ResolveSkinUrls(file.readAll(), resource_folder);
  QBuffer buffer(&layout);
  buffer.open(QIODevice::ReadOnly);
  QUiLoader loader;
  loader.setWorkingDirectory(QDir(resource_folder));
  QWidget* window = loader.load(&buffer);
  if (!window) *error = "cannot load " + layout_path + ": " + loader.errorString();
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
