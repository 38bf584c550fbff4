// Shows the message box from the committed skin and language on the real X
// display (ctest runs under xvfb-run), answers it through its OK button, and
// saves what it looked like as message-box.png in the screenshot folder.
#include <gtest/gtest.h>

#include <QPixmap>
#include <QWidget>
#include <cstdlib>

#include "app/msg_wnd.h"
#include "language/language_table.h"
#include "toolkit/control.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/qt_window.h"
#include "toolkit/user_input.h"

namespace vexel {
namespace {

TEST(MessageBoxScreenshot, RendersTheNoDeviceBoxAndAnswersOk) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (xvfb-run)";
  LanguageTable texts;
  std::string error;
  ASSERT_TRUE(texts.LoadFile(VEXEL_SOURCE_DIR "/res/lan.xml", &error)) << error;

  SteadyClock clock;
  toolkit::qt::QtToolkit toolkit(clock);
  toolkit.SetResourceFolder(VEXEL_SOURCE_DIR "/res");
  toolkit.SetLanguageTable(texts);

  QPixmap shot;
  std::string title;
  std::string ok;
  toolkit.ScriptModal([&](toolkit::Window& box) {
    auto* backend =
        dynamic_cast<toolkit::qt::QtWindowBackend*>(toolkit::WindowBackend::BackendOf(&box));
    ASSERT_NE(backend, nullptr);
    toolkit.ProcessEvents();
    shot = backend->root()->grab();
    title = box.FindControl("warning_title")->ShownText();
    ok = box.FindControl("btn_ok")->ShownText();
    toolkit.Input().Click(*box.FindControl("btn_ok"));
  });
  EXPECT_EQ(CMsgWnd::Show(toolkit, nullptr, "warning_title_text", "no_device_text"), CMsgWnd::kOk);
  EXPECT_EQ(title, texts.Text("warning_title_text"));
  EXPECT_EQ(ok, "OK");
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(VEXEL_SCREENSHOT_DIR "/message-box.png"));
}

}  // namespace
}  // namespace vexel
