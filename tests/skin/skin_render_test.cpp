// The skin rendered by Qt, offscreen: images that load, style sheets that parse,
// and layouts that fit their windows with the English texts in place.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScrollArea>
#include <memory>

#include "skin_loader.h"

namespace {

using vexel::skin_preview::LoadLanguage;
using vexel::skin_preview::LoadSkin;
using vexel::skin_preview::ShowLanguageTexts;

const QString kSourceDir = VEXEL_SOURCE_DIR;
const QString kResFolder = kSourceDir + "/res";

QStringList style_warnings;

void CollectStyleWarnings(QtMsgType, const QMessageLogContext&, const QString& message) {
  if (message.contains("style", Qt::CaseInsensitive)) style_warnings << message;
}

class SkinRenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "toolkit_gui_tests";
    static char* argv[] = {name, nullptr};
    // The Qt toolkit's tests in the same program may have made it already; it
    // lives as long as the process, as Qt cannot make it twice.
    if (!QApplication::instance()) new QApplication(argc, argv);
    qInstallMessageHandler(CollectStyleWarnings);
  }
  static void TearDownTestSuite() { qInstallMessageHandler(nullptr); }

  // The layout shown with English texts (the skin's own keys may not be in
  // lan.xml yet, so their file comes second).
  std::unique_ptr<QWidget> Show(const QString& layout) {
    QString error;
    std::unique_ptr<QWidget> window(LoadSkin(kResFolder + "/" + layout, &error));
    EXPECT_TRUE(window) << error.toStdString();
    if (!window) return window;
    auto texts = LoadLanguage(kSourceDir + "/tools/skin_preview/skin_keys.lan.xml");
    texts.insert(LoadLanguage(kResFolder + "/lan.xml"));
    ShowLanguageTexts(window.get(), texts);
    window->show();
    QApplication::processEvents();
    return window;
  }
};

// Every image loads and the sheets parse. With every section open and the
// longest labels (a macro name of 23 characters on the buttons) the main
// window keeps its size, the settings column scrolls down, never sideways, and
// the left column is not squeezed below what its rows need; the DPI indicator
// holds its largest value. The toolkit shows a chosen colour by adding a rule
// to the button's own sheet; the skin's sheets leave it in force.
TEST_F(SkinRenderTest, ImagesLoadSheetsParseAndTheLongestTextsFit) {
  const QDir images(kResFolder + "/skins/main");
  const QStringList files = images.entryList({"*.svg", "*.png"}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    EXPECT_FALSE(QImage(images.filePath(file)).isNull()) << file.toStdString();
  }
  auto indicator = Show("DPImsg.xml");
  ASSERT_TRUE(indicator);
  auto* dpi = indicator->findChild<QLabel*>("dpi_label");
  dpi->setText("DPI :10000");
  auto window = Show("main.xml");
  ASSERT_TRUE(window);
  EXPECT_EQ(window->size(), QSize(800, 572));
  for (int button = 1; button <= 18; ++button) {
    window->findChild<QPushButton*>(QString("ms_1_btn_key_%1").arg(button))
        ->setText("Macro: WWWWWWWWWWWWWWWWWWWWWWW");
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const QString check = widget->property("section").toString();
    if (check.isEmpty()) continue;
    widget->setVisible(true);
    window->findChild<QCheckBox*>(check)->setChecked(true);
  }
  // The longest texts the page writes into its plain-text labels.
  const std::pair<const char*, const char*> longest[] = {
      {"ms_1_label_light_off", "Light off after 30.0 min"},
      {"ms_1_label_sleep_timer", "Sleep after 60 min"},
      {"ms_1_label_key_debounce", "30 MS"},
      {"ms_1_label_dpi_1", "10000"},
      {"ms_1_label_power", "Charging"},
  };
  for (const auto& [name, text] : longest) window->findChild<QLabel*>(name)->setText(text);
  // Layout requests travel up one level per event-loop pass; drop every cached
  // size so the hints below are computed afresh.
  for (QLayout* layout : window->findChildren<QLayout*>()) layout->invalidate();
  QApplication::processEvents();
  EXPECT_LE(dpi->sizeHint().width(), dpi->width());
  auto* column = window->findChild<QScrollArea*>("ms_1_ver_setting");
  EXPECT_LE(column->widget()->minimumSizeHint().width(), column->viewport()->width());
  auto* left = window->findChild<QWidget*>("ms_1_left_panel");
  EXPECT_LE(left->minimumSizeHint().height(), left->height());
  EXPECT_LE(left->minimumSizeHint().width(), left->width());
  for (const auto& [name, text] : longest) {
    const QLabel* label = window->findChild<QLabel*>(name);
    EXPECT_LE(label->sizeHint().width(), label->width()) << name;
  }
  for (int stage = 0; stage <= 8; ++stage) {
    const QString name =
        stage ? QString("ms_1_btn_dpi_color_%1").arg(stage) : "ms_1_btn_light_color";
    auto* button = window->findChild<QPushButton*>(name);
    button->setVisible(true);
    button->setStyleSheet(button->styleSheet() + "\n#" + name +
                          " { background-color: rgba(18, 52, 86, 255); }");
    const QImage image = button->grab().toImage();  // polishes it, which parses its sheet
    EXPECT_EQ(image.pixelColor(image.rect().center()), QColor(18, 52, 86)) << name.toStdString();
  }
  window->grab();  // polishes every widget, which parses the style sheet
  EXPECT_TRUE(style_warnings.isEmpty()) << style_warnings.join("\n").toStdString();
}

}  // namespace
