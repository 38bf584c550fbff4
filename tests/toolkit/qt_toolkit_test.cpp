// The shared behaviour suite on the Qt toolkit (offscreen platform), and what
// only the Qt toolkit has.
#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QWheelEvent>

#include "tests/toolkit/toolkit_behaviour_suite.h"

namespace vexel::toolkit::testing {
namespace {

struct QtEnv {
  static std::unique_ptr<Toolkit> Make(Clock& clock) {
    return std::make_unique<qt::QtToolkit>(clock);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ToolkitBehaviour, QtEnv);

class QtToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override { toolkit_.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts"); }
  ManualClock clock_;
  qt::QtToolkit toolkit_{clock_};
};

TEST_F(QtToolkitTest, ClosedWindowsAreHiddenAndTheirWidgetsDeleted) {
  toolkit_.ProcessEvents();
  const int before = static_cast<int>(QApplication::topLevelWidgets().size());
  {
    TestWindow window(toolkit_);
    ASSERT_TRUE(window.Create());
    EXPECT_TRUE(window.IsVisible());
    window.Close(0);
    toolkit_.ProcessEvents();
    EXPECT_FALSE(window.IsVisible());
  }
  toolkit_.ProcessEvents();
  EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), before);
}

// Scrolling over an unfocused slider or combo leaves its value alone; once the
// user has given it the focus, the wheel changes it.
TEST_F(QtToolkitTest, WheelChangesSlidersAndCombosOnlyWhenFocused) {
  TestWindow window(toolkit_);
  ASSERT_TRUE(window.Create());
  toolkit_.ProcessEvents();
  for (const char* name : {"slider_one", "combo_one"}) {
    SCOPED_TRACE(name);
    QWidget* widget = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (!widget) widget = top->findChild<QWidget*>(name);
    }
    ASSERT_NE(widget, nullptr);
    Control& control = *window.FindControl(name);
    if (control.Kind() == ControlKind::kCombo && control.ItemCount() < 3) {
      for (const char* item : {"a", "b", "c"}) control.AddItem(item);
    }
    control.SetValue(5);
    control.SelectItem(1, false);
    auto wheel = [&] {
      const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
      QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(widget, &event);
      toolkit_.ProcessEvents();
    };
    auto state = [&] {
      return control.Kind() == ControlKind::kSlider ? control.Value() : control.SelectedItem();
    };
    const int before = state();
    wheel();
    EXPECT_EQ(state(), before);
    EXPECT_EQ(widget->focusPolicy(), Qt::StrongFocus);
    widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    toolkit_.ProcessEvents();
    if (!widget->hasFocus()) GTEST_SKIP() << "no focus on this platform";
    wheel();
    EXPECT_NE(state(), before);
  }
}

}  // namespace
}  // namespace vexel::toolkit::testing
