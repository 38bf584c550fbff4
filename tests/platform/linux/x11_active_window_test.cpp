// The application in front on a private Xvfb: the test plays the window
// manager, setting _NET_ACTIVE_WINDOW and _NET_CLIENT_LIST on the root.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/linux/bluez/private_bus.h"
#include "platform/linux/x11_active_window.h"
#include "support/private_x_server.h"

namespace vexel {
namespace {

class WindowManagerStandIn {
 public:
  explicit WindowManagerStandIn(const std::string& display)
      : connection_(xcb_connect(display.c_str(), nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~WindowManagerStandIn() { xcb_disconnect(connection_); }

  // A window whose WM_CLASS holds `wm_class` as given (NULs included).
  xcb_window_t Window(const std::string& wm_class, uint32_t pid) {
    const xcb_window_t window = xcb_generate_id(connection_);
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(wm_class.size()),
                        wm_class.data());
    if (pid != 0) SetWords(window, "_NET_WM_PID", XCB_ATOM_CARDINAL, {pid});
    return window;
  }

  void SetWords(xcb_window_t window, const char* name, xcb_atom_t type,
                const std::vector<uint32_t>& words) {
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom->atom, type, 32,
                        static_cast<uint32_t>(words.size()), words.data());
    free(atom);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

  void Activate(xcb_window_t window) {
    SetWords(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, {window});
  }
  xcb_window_t root() const { return root_; }

 private:
  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

TEST(X11ActiveWindowTest, ReportsEachApplicationTheWindowManagerActivatesOnlyWithAServer) {
  std::string error;
  EXPECT_FALSE(X11ActiveWindow(":65000").Start([](const AppInFront&) {}, error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(X11ActiveWindow::ClientApps(":65000").empty());
  vexel::testing::PrivateXServer server;
  if (server.display().empty()) GTEST_SKIP() << "Xvfb could not be started";
  WindowManagerStandIn manager(server.display());
  std::string own_name;
  std::getline(std::ifstream("/proc/self/comm"), own_name);
  const xcb_window_t gimp = manager.Window(std::string("gimp\0Gimp\0", 10), getpid());
  // No closing NUL and no _NET_WM_PID, as careless clients leave them.
  const xcb_window_t term = manager.Window(std::string("xterm\0XTerm", 11), 0);
  manager.SetWords(manager.root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, {gimp, term});

  bluez::Inbox<AppInFront> reports;
  X11ActiveWindow source(server.display());
  ASSERT_TRUE(source.Start([&](const AppInFront& app) { reports.Put(app); }, error)) << error;
  reports.WaitFor(1);  // nothing active yet
  manager.Activate(gimp);
  reports.WaitFor(2);
  manager.Activate(gimp);  // the same again is no change
  manager.Activate(term);
  const AppInFront gimp_app{"gimp", "Gimp", own_name}, term_app{"xterm", "XTerm", ""};
  EXPECT_EQ(reports.WaitFor(3), (std::vector<AppInFront>{{}, gimp_app, term_app}));
  source.Stop();
  manager.Activate(gimp);
  EXPECT_EQ(reports.WaitFor(0).size(), 3u);  // the source's thread is gone
  EXPECT_EQ(X11ActiveWindow::ClientApps(server.display()),
            (std::vector<AppInFront>{gimp_app, term_app}));
}

}  // namespace
}  // namespace vexel
