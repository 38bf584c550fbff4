// The skin rendered by Qt, offscreen: images that load and style sheets that
// parse, with the English texts in place.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
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

// Every image loads, the sheets parse and the main window has its size. The
// toolkit shows a chosen colour by adding a rule to the button's own sheet;
// the skin's sheets must leave it in force.
TEST_F(SkinRenderTest, ImagesLoadSheetsParseAndColourButtonsShowTheirColour) {
  const QDir images(kResFolder + "/skins/main");
  const QStringList files = images.entryList({"*.svg", "*.png"}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    EXPECT_FALSE(QImage(images.filePath(file)).isNull()) << file.toStdString();
  }
  ASSERT_TRUE(Show("DPImsg.xml"));
  auto window = Show("main.xml");
  ASSERT_TRUE(window);
  EXPECT_EQ(window->size(), QSize(800, 572));
  for (int stage = 0; stage <= 8; ++stage) {
    const QString name =
        stage ? QString("ms_1_btn_dpi_color_%1").arg(stage) : "ms_1_btn_light_color";
    auto* button = window->findChild<QPushButton*>(name);
    button->setVisible(true);
    button->setStyleSheet(button->styleSheet() + "\n#" + name +
                          " { background-color: rgba(18, 52, 86, 255); }");
    const QImage image = button->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.rect().center()), QColor(18, 52, 86)) << name.toStdString();
  }
  window->grab();  // polishes every widget, which parses the style sheet
  EXPECT_TRUE(style_warnings.isEmpty()) << style_warnings.join("\n").toStdString();
}

}  // namespace
