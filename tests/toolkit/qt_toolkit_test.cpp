// The shared behaviour suite on the Qt toolkit (offscreen platform), and what
// only the Qt toolkit has.
#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

#include "tests/toolkit/toolkit_behaviour_suite.h"

namespace vexel::toolkit::testing {
namespace {

std::unique_ptr<Toolkit> MakeQt(Clock& clock) {
  return std::make_unique<qt::QtToolkit>(clock);
}
INSTANTIATE_TEST_SUITE_P(Qt, ToolkitBehaviour, ::testing::Values(&MakeQt));

// A closed window's widgets are deleted. Scrolling over an unfocused slider or
// combo leaves its value alone; once the user has given it the focus, the wheel
// changes it.
TEST(QtToolkitTest, ClosedWindowsGoAndTheWheelNeedsTheFocus) {
  ManualClock clock;
  qt::QtToolkit toolkit{clock};
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
  const auto before = QApplication::topLevelWidgets().size();
  TestWindow(toolkit).Create();  // closed when the object goes
  toolkit.ProcessEvents();
  EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
  TestWindow window(toolkit);
  ASSERT_TRUE(window.Create());
  for (const char* name : {"slider_one", "combo_one"}) {
    QWidget* widget = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      widget = widget != nullptr ? widget : top->findChild<QWidget*>(name);
    ASSERT_NE(widget, nullptr) << name;
    EXPECT_EQ(widget->focusPolicy(), Qt::StrongFocus);
    Control& control = *window.FindControl(name);
    control.SetValue(5);
    control.SelectItem(1, false);
    const int unchanged = control.Value() + control.SelectedItem();
    for (bool focused : {false, true}) {
      if (focused) widget->window()->activateWindow();
      if (focused) widget->setFocus(Qt::OtherFocusReason);
      toolkit.ProcessEvents();
      if (focused && !widget->hasFocus()) GTEST_SKIP() << "no focus on this platform";
      const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
      QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(widget, &event);
      toolkit.ProcessEvents();
      EXPECT_EQ(control.Value() + control.SelectedItem() != unchanged, focused) << name;
    }
  }
}

}  // namespace
}  // namespace vexel::toolkit::testing
