// skin-preview: renders a layout file of res/ to a PNG, the way the program
// would show it, so the skin can be looked at without a device or a session.
//
//   skin-preview LAYOUT.xml OUT.png [--lan lan.xml]... [--widget NAME] [--check NAME]...
//
// --lan      shows the texts behind the language keys (widgets with textmode="key");
//            may be given more than once, a later file's texts win
// --widget   renders only the named widget at its full natural height (for
//            example the content of a scroll area)
// --items    NAME=A,B,C fills the list NAME with sample rows
// --check    checks the named check box and shows the sections it opens
//            (widgets whose "section" property names the check box)
// --close    unchecks it and hides its sections
//
// Images in style sheets are named relative to res/ ("url(skins/main/x.svg)");
// the layout's folder is taken as res/.
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QStringList>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

struct Options {
  QString layout;
  QString output;
  QStringList languages;
  QString widget;
  QStringList checks;
  QStringList closes;
  QStringList items;  // NAME=TEXT,TEXT,...
};

bool ParseArguments(const QStringList& args, Options* options) {
  QStringList positional;
  for (int i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--lan" && has_value) {
      options->languages << args[++i];
    } else if (arg == "--widget" && has_value) {
      options->widget = args[++i];
    } else if (arg == "--items" && has_value) {
      options->items << args[++i];
    } else if (arg == "--check" && has_value) {
      options->checks << args[++i];
    } else if (arg == "--close" && has_value) {
      options->closes << args[++i];
    } else if (arg.startsWith("--")) {
      return false;
    } else {
      positional << arg;
    }
  }
  if (positional.size() != 2) return false;
  options->layout = positional[0];
  options->output = positional[1];
  return true;
}

// lan.xml: <language><text key="KEY">TEXT</text>...</language>.
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

QString Lookup(const QHash<QString, QString>& texts, const QString& key) {
  return texts.value(key, key);  // a missing text stays visible as its key
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

// Style sheets name images relative to res/; Qt reads relative paths from the
// working folder, so they are made absolute before loading.
QByteArray ResolveSkinUrls(QByteArray layout, const QString& resource_folder) {
  const QString absolute = QDir(resource_folder).absolutePath() + "/";
  QString text = QString::fromUtf8(layout);
  text.replace(QRegularExpression(R"(url\((?![/:]|[a-z]+:))"), "url(" + absolute);
  return text.toUtf8();
}

void SetSections(QWidget* root, const QStringList& checks, bool open) {
  for (const QString& name : checks) {
    auto* check = root->findChild<QCheckBox*>(name);
    if (!check) {
      std::fprintf(stderr, "no check box %s\n", qPrintable(name));
      continue;
    }
    check->setChecked(open);
    for (QWidget* widget : root->findChildren<QWidget*>()) {
      if (widget->property("section").toString() == name) widget->setVisible(open);
    }
  }
}

// Sample rows for lists that the program fills at run time (profiles).
void FillLists(QWidget* root, const QStringList& specs) {
  for (const QString& spec : specs) {
    const QString name = spec.section('=', 0, 0);
    auto* list = root->findChild<QListWidget*>(name);
    if (!list) {
      std::fprintf(stderr, "no list %s\n", qPrintable(name));
      continue;
    }
    list->addItems(spec.section('=', 1).split(','));
    list->setCurrentRow(0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Options options;
  if (!ParseArguments(app.arguments(), &options)) {
    std::fprintf(stderr,
                 "usage: skin-preview LAYOUT.xml OUT.png [--lan lan.xml]... [--widget NAME] "
                 "[--check NAME]... [--close NAME]... [--items LIST=A,B]...\n");
    return 2;
  }
  QFile file(options.layout);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(options.layout));
    return 1;
  }
  const QString resource_folder = QFileInfo(options.layout).absolutePath();
  QByteArray layout = ResolveSkinUrls(file.readAll(), resource_folder);
  QBuffer buffer(&layout);
  buffer.open(QIODevice::ReadOnly);
  QUiLoader loader;
  loader.setWorkingDirectory(QDir(resource_folder));
  QWidget* window = loader.load(&buffer);
  if (!window) {
    std::fprintf(stderr, "cannot load %s: %s\n", qPrintable(options.layout),
                 qPrintable(loader.errorString()));
    return 1;
  }
  QHash<QString, QString> texts;
  for (const QString& path : options.languages) texts.insert(LoadLanguage(path));
  if (!options.languages.isEmpty()) ShowLanguageTexts(window, texts);
  SetSections(window, options.checks, true);
  SetSections(window, options.closes, false);
  FillLists(window, options.items);
  window->show();
  app.processEvents();

  QWidget* target = window;
  if (!options.widget.isEmpty()) {
    target = window->findChild<QWidget*>(options.widget);
    if (!target) {
      std::fprintf(stderr, "no widget %s\n", qPrintable(options.widget));
      return 1;
    }
    target->resize(target->width(), target->sizeHint().height());
    app.processEvents();
  }
  if (!target->grab().save(options.output)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(options.output));
    return 1;
  }
  std::printf("%s\n", qPrintable(options.output));
  return 0;
}
