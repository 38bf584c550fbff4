// The shared behaviour suite on the Qt toolkit (offscreen platform), and what
// only the Qt toolkit has.
#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QWheelEvent>

#include "tests/toolkit/toolkit_behaviour_suite.h"
#include "toolkit/tray_icon.h"

namespace vexel::toolkit::testing {
namespace {

struct QtEnv {
  static std::unique_ptr<Toolkit> Make(Clock& clock) {
    return std::make_unique<qt::QtToolkit>(clock);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ToolkitBehaviour, QtEnv);

TEST(QtToolkitTest, TrayIconDegradesQuietlyWithoutATray) {
  ManualClock clock;
  qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
  TestWindow window(toolkit);
  ASSERT_TRUE(window.Create());
  std::unique_ptr<TrayIcon> tray = toolkit.CreateTrayIcon(window, "none.png", "Tip", 1025);
  EXPECT_EQ(tray->IsAvailable(), QSystemTrayIcon::isSystemTrayAvailable());
  EXPECT_EQ(tray->ToolTip(), "Tip");
  tray->SetIcon("other.png");
  EXPECT_EQ(tray->Icon(), "other.png");
  if (!tray->IsAvailable()) {
    EXPECT_FALSE(toolkit.Input().ClickTrayIcon(*tray, false));
  }
}

TEST(QtToolkitTest, MessageLoopEndsWithTheQuitCode) {
  ManualClock clock;
  qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
  struct QuitOnApply : TestWindow {
    using TestWindow::TestWindow;
    bool HandleCustomMessage(const Message& m) override {
      TestWindow::HandleCustomMessage(m);
      if (m.id == kTestMessage) toolkit().Quit(6);
      return true;
    }
  };
  QuitOnApply window(toolkit);
  ASSERT_TRUE(window.Create());
  std::thread poster([&] { window.PostMessage(kTestMessage); });
  poster.join();
  EXPECT_EQ(toolkit.RunMessageLoop(), 6);
  toolkit.Quit(2);  // a quit before the loop ends it at once
  EXPECT_EQ(toolkit.RunMessageLoop(), 2);
}

TEST(QtToolkitTest, ClosedWindowsAreHiddenAndTheirWidgetsDeleted) {
  ManualClock clock;
  qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
  toolkit.ProcessEvents();
  const int before = static_cast<int>(QApplication::topLevelWidgets().size());
  {
    TestWindow window(toolkit);
    ASSERT_TRUE(window.Create());
    EXPECT_TRUE(window.IsVisible());
    window.Close(0);
    toolkit.ProcessEvents();
    EXPECT_FALSE(window.IsVisible());
  }
  toolkit.ProcessEvents();
  EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), before);
}

// Scrolling over an unfocused slider or combo leaves its value alone; once the
// user has given it the focus, the wheel changes it.
TEST(QtToolkitTest, WheelChangesSlidersAndCombosOnlyWhenFocused) {
  ManualClock clock;
  qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/tests/toolkit/layouts");
  TestWindow window(toolkit);
  ASSERT_TRUE(window.Create());
  toolkit.ProcessEvents();
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
      toolkit.ProcessEvents();
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
    toolkit.ProcessEvents();
    if (!widget->hasFocus()) GTEST_SKIP() << "no focus on this platform";
    wheel();
    EXPECT_NE(state(), before);
  }
}

}  // namespace
}  // namespace vexel::toolkit::testing
