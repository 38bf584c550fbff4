// The layout builder reads a skin's .ui file as Qt's own loader did, and
// refuses, without leaking a window, what it cannot build.
#include "toolkit/qt/layout_builder.h"
#include "toolkit/qt/skin_style.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QStackedWidget>
#include <memory>

namespace vexel::toolkit::qt {
namespace {

constexpr char kLayout[] = R"(<ui version="4.0"><widget class="QWidget" name="root">
 <property name="geometry"><rect><x>5</x><y>6</y><width>300</width><height>200</height></rect></property>
 <property name="styleSheet"><string>QLabel { color: red; }</string></property>
 <property name="role" stdset="0"><string>panel</string></property>
 <property name="toolTip"/>
 <layout class="QGridLayout" name="grid">
  <property name="leftMargin"><number>3</number></property>
  <property name="topMargin"><number>0</number></property>
  <property name="rightMargin"><number>5</number></property>
  <property name="bottomMargin"><number>6</number></property>
  <property name="spacing"><number>4</number></property>
  <item row="1" column="2" colspan="2" alignment="Qt::AlignRight">
   <widget class="QLabel" name="label">
    <property name="alignment"><enum>Qt::AlignRight|Qt::AlignVCenter</enum></property>
    <property name="textInteractionFlags"><set>Qt::TextSelectableByMouse|Qt::LinksAccessibleByMouse</set></property>
    <property name="visible"><bool>false</bool></property>
   </widget>
  </item>
  <item row="0" column="0"><spacer name="gap">
   <property name="orientation"><enum>Qt::Vertical</enum></property>
   <property name="sizeType"><enum>QSizePolicy::Fixed</enum></property>
   <property name="sizeHint" stdset="0"><size><width>5</width><height>7</height></size></property>
  </spacer></item>
  <item row="0" column="1"><widget class="QStackedWidget" name="stack">
   <property name="currentIndex"><number>1</number></property>
   <widget class="QWidget" name="first"/><widget class="QWidget" name="second"/>
  </widget></item>
  <item row="2" column="0"><layout class="QHBoxLayout" name="row">
   <item><spacer name="push"/></item>
   <item><layout class="QVBoxLayout" name="column"><item><widget class="QLabel" name="inner"/></item></layout></item>
  </layout></item>
  <item row="0" column="2"><widget class="QComboBox" name="combo">
   <item><property name="text"><string>a</string></property></item>
   <item><property name="text"><string>b</string></property></item>
  </widget></item>
 </layout></widget></ui>)";

class LayoutBuilder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "toolkit_gui_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);  // lives as long as the process
  }
};

TEST_F(LayoutBuilder, ReadsEachKindOfValueAsQtsLoaderDid) {
  const BuiltLayout built = BuildLayout(kLayout, nullptr);
  ASSERT_NE(built.root, nullptr) << built.error.toStdString();
  const std::unique_ptr<QWidget> root(built.root);
  EXPECT_EQ(root->size(), QSize(300, 200));  // a window's place is not the file's
  EXPECT_EQ(built.root_style_sheet, "QLabel { color: red; }");
  EXPECT_TRUE(root->styleSheet().isEmpty());
  EXPECT_EQ(root->property("role").toString(), "panel");
  auto* grid = qobject_cast<QGridLayout*>(root->layout());
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->contentsMargins(), QMargins(3, 0, 5, 6));
  EXPECT_EQ(grid->spacing(), 4);

  auto* label = root->findChild<QLabel*>("label");
  ASSERT_NE(label, nullptr);
  // An enum is its last name, however many are written.
  EXPECT_EQ(label->alignment(), Qt::AlignVCenter);
  EXPECT_EQ(label->textInteractionFlags(), Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
  EXPECT_TRUE(label->isHidden());
  int row = 0, column = 0, rows = 0, columns = 0;
  grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
  EXPECT_EQ((std::vector{row, column, rows, columns}), (std::vector{1, 2, 1, 2}));
  EXPECT_EQ(grid->itemAtPosition(1, 2)->alignment(), Qt::AlignRight);

  QSpacerItem* gap = grid->itemAtPosition(0, 0)->spacerItem();
  ASSERT_NE(gap, nullptr);
  EXPECT_EQ(gap->sizeHint(), QSize(5, 7));
  EXPECT_EQ(gap->expandingDirections(), Qt::Orientations());
  EXPECT_EQ(gap->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

  // Layouts nest in grids and boxes, with spacers in either.
  QLayout* row_layout = grid->itemAtPosition(2, 0)->layout();
  ASSERT_NE(row_layout, nullptr);
  ASSERT_EQ(row_layout->count(), 2);
  EXPECT_NE(row_layout->itemAt(0)->spacerItem(), nullptr);
  ASSERT_NE(row_layout->itemAt(1)->layout(), nullptr);
  EXPECT_EQ(row_layout->itemAt(1)->layout()->itemAt(0)->widget()->objectName(), "inner");

  auto* stack = root->findChild<QStackedWidget*>("stack");
  ASSERT_NE(stack, nullptr);
  ASSERT_EQ(stack->count(), 2);
  EXPECT_EQ(stack->currentWidget()->objectName(), "second");
  auto* combo = root->findChild<QComboBox*>("combo");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "b");
}

TEST_F(LayoutBuilder, BuildsAComboBoxsPopupStyledWhenFirstOpened) {
  const std::unique_ptr<QWidget> root(
      BuildLayout(R"(<ui><widget class="QWidget"><layout class="QVBoxLayout"><item>
        <widget class="QComboBox" name="combo"><item><property name="text"><string>a</string>
        </property></item></widget></item></layout></widget></ui>)",
                  nullptr)
          .root);
  ASSERT_NE(root, nullptr);
  root->setStyleSheet("QComboBox { font-size: 17px; }");
  root->show();
  auto* combo = root->findChild<QComboBox*>("combo");
  EXPECT_EQ(combo->findChild<QFrame*>(), nullptr);
  combo->showPopup();
  const auto* popup = combo->findChild<QFrame*>();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->font().pixelSize(), 17);
  combo->hidePopup();
}

TEST_F(LayoutBuilder, RefusesWhatItCannotBuildAndLeavesNoWindow) {
  const auto windows_before = QApplication::topLevelWidgets().size();
  for (const char* text : {
           "<ui><widget class=\"QWidget\">",  // cut short
           "<ui/>",
           "<ui><widget class=\"QTreeView\"/></ui>",
           "<ui><widget class=\"QWidget\"><layout class=\"QFormLayout\"/></widget></ui>",
           "<ui><widget class=\"QStackedWidget\"><widget class=\"QWidget\"/>"
           "<widget class=\"QDial\"/></widget></ui>",
       }) {
    const BuiltLayout built = BuildLayout(text, nullptr);
    EXPECT_EQ(built.root, nullptr) << text;
    EXPECT_FALSE(built.error.isEmpty()) << text;
  }
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows_before);
}

TEST(SkinStyle, AbsoluteUrlsResolvesOnlyRelativeImages) {
  const struct {
    const char* text;
    const char* expected;
  } rows[] = {
      {"a { image: url(skins/x.svg); }", "a { image: url(/res/skins/x.svg); }"},
      {"url(a.svg) url(b.svg)", "url(/res/a.svg) url(/res/b.svg)"},
      {"url(/abs.svg) url(:/qrc.svg) url(file:x.svg)",
       "url(/abs.svg) url(:/qrc.svg) url(file:x.svg)"},
      {"url(Drive:x) url(x:) url(", "url(/res/Drive:x) url(x:) url(/res/"},
      {"no images", "no images"},
  };
  for (const auto& row : rows) EXPECT_EQ(AbsoluteUrls(row.text, "/res"), row.expected) << row.text;
}

}  // namespace
}  // namespace vexel::toolkit::qt
