// skin-preview: renders a layout file of res/ to a PNG, the way the program
// would show it, so the skin can be looked at without a device or a session.
//
//   skin-preview LAYOUT.xml OUT.png [--lan lan.xml]... [--widget NAME] [--items LIST=A,B]...
//                [--check NAME]... [--close NAME]...
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
// The layout's folder is taken as res/.
#include <QApplication>
#include <QCheckBox>
#include <QHash>
#include <QListWidget>
#include <QStringList>
#include <QWidget>
#include <cstdio>

#include "skin_loader.h"

namespace {

using namespace vexel::skin_preview;

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
void FillLists(QWidget* root, const QStringList& fillings) {
  for (const QString& filling : fillings) {
    const QString name = filling.section('=', 0, 0);
    auto* list = root->findChild<QListWidget*>(name);
    if (!list) {
      std::fprintf(stderr, "no list %s\n", qPrintable(name));
      continue;
    }
    list->addItems(filling.section('=', 1).split(','));
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
  QString error;
  QWidget* window = LoadSkin(options.layout, &error);
  if (!window) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
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
