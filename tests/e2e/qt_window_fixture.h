// The program's main window on the real Qt toolkit under X, with the real
// driver libraries: what the GUI end-to-end tests share.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <memory>
#include <string>

#include "app/main_wnd.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/hidapi_probe.h"
#include "support/run_command.h"
#include "toolkit/control.h"
#include "toolkit/qt/qt_toolkit.h"

namespace vexel::testing {

class QtWindowFixture : public ::testing::Test {
 protected:
  // Skips the test without an X display.
  bool StartToolkit() {
    if (std::getenv("DISPLAY") == nullptr) return false;
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    toolkit = std::make_unique<toolkit::qt::QtToolkit>(clock);
    toolkit->SetResourceFolder(std::string(VEXEL_BIN_DIR) + "/res");
    return true;
  }
  PageServices Services() {
    return PageServices{clock, loader, probe, VEXEL_BIN_DIR, StorePaths{data.path()}, {}};
  }
  void TearDown() override {
    window.reset();
    toolkit.reset();
  }

  // Runs the UI until `done` holds or `seconds` pass.
  template <typename Done>
  bool PumpUntil(Done done, double seconds = 5) {
    return WaitFor(
        [&] {
          toolkit->ProcessEvents();
          return done();
        },
        seconds);
  }

  bool Visible(const char* control) {
    toolkit::Control* found = window->FindControl(control);
    return found != nullptr && found->IsVisible();
  }

  void SaveScreenshot(const std::string& path) { SaveScreenshot(path, window->ScreenRect()); }
  void SaveScreenshot(const std::string& path, toolkit::Rect rect) {
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, rect.left, rect.top,
                                                                rect.Width(), rect.Height());
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(QString::fromStdString(path), "PNG"));
  }

  TempDir data;
  SteadyClock clock;
  DlLibraryLoader loader;
  HidapiProbe probe;
  std::unique_ptr<toolkit::qt::QtToolkit> toolkit;
  std::unique_ptr<CMainWnd> window;
};

}  // namespace vexel::testing
