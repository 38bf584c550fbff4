#include "platform/linux/x11_active_window.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

namespace vexel {
namespace {

// Generous for WM_CLASS and the client list; longer values are cut, never overrun.
constexpr uint32_t kMaxPropertyWords = 4096;

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeDeleter>;
using EventPtr = std::unique_ptr<xcb_generic_event_t, FreeDeleter>;

struct ConnectionDeleter {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using ConnectionPtr = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

ConnectionPtr Connect(const std::string& display_name, xcb_window_t& root, std::string& error) {
  int screen_number = 0;
  ConnectionPtr connection(
      xcb_connect(display_name.empty() ? nullptr : display_name.c_str(), &screen_number));
  if (xcb_connection_has_error(connection.get())) {
    error = "cannot open the X display " + display_name;
    return nullptr;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
  for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    error = "the X display has no screen";
    return nullptr;
  }
  root = screens.data->root;
  return connection;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
      nullptr));
  return reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

PropertyReply Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                       xcb_atom_t type) {
  return PropertyReply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, property, type, 0, kMaxPropertyWords),
      nullptr));
}

// The 32-bit values of a WINDOW or CARDINAL property; empty when missing.
// Any type is taken: tools such as xprop set these with their own.
std::vector<uint32_t> Words(xcb_connection_t* connection, xcb_window_t window,
                            xcb_atom_t property) {
  const PropertyReply reply = Property(connection, window, property, XCB_GET_PROPERTY_TYPE_ANY);
  if (reply == nullptr || reply->format != 32) return {};
  const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
  const int count = xcb_get_property_value_length(reply.get()) / 4;
  return std::vector<uint32_t>(values, values + (count > 0 ? count : 0));
}

// "comm" of a process, without its line end; empty when it cannot be read.
std::string ProcessName(uint32_t pid) {
  if (pid == 0) return {};
  const std::string path = "/proc/" + std::to_string(pid) + "/comm";
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "r"),
                                                             &std::fclose);
  char line[64] = {};
  if (!file || std::fgets(line, sizeof(line), file.get()) == nullptr) return {};
  std::string name(line);
  if (name.ends_with('\n')) name.pop_back();
  return name;
}

struct Atoms {
  xcb_atom_t active_window = XCB_ATOM_NONE;
  xcb_atom_t client_list = XCB_ATOM_NONE;
  xcb_atom_t wm_pid = XCB_ATOM_NONE;

  explicit Atoms(xcb_connection_t* connection)
      : active_window(Atom(connection, "_NET_ACTIVE_WINDOW")),
        client_list(Atom(connection, "_NET_CLIENT_LIST")),
        wm_pid(Atom(connection, "_NET_WM_PID")) {}
};

// The names of the application of `window`: WM_CLASS is two strings, each
// ended by a NUL that a careless client may leave out.
AppInFront AppOfWindow(xcb_connection_t* connection, const Atoms& atoms, xcb_window_t window) {
  AppInFront app;
  if (window == XCB_WINDOW_NONE) return app;
  if (const PropertyReply wm_class =
          Property(connection, window, XCB_ATOM_WM_CLASS, XCB_GET_PROPERTY_TYPE_ANY);
      wm_class != nullptr && wm_class->format == 8) {
    const auto* text = static_cast<const char*>(xcb_get_property_value(wm_class.get()));
    const std::string value(text,
                            static_cast<size_t>(xcb_get_property_value_length(wm_class.get())));
    const size_t end_of_instance = value.find('\0');
    app.instance = value.substr(0, end_of_instance);
    if (end_of_instance != std::string::npos) {
      const std::string rest = value.substr(end_of_instance + 1);
      app.class_name = rest.substr(0, rest.find('\0'));
    }
  }
  const std::vector<uint32_t> pid = Words(connection, window, atoms.wm_pid);
  if (!pid.empty()) app.process = ProcessName(pid.front());
  return app;
}

AppInFront ActiveApp(xcb_connection_t* connection, const Atoms& atoms, xcb_window_t root) {
  const std::vector<uint32_t> active = Words(connection, root, atoms.active_window);
  return AppOfWindow(connection, atoms,
                     active.empty() ? xcb_window_t{XCB_WINDOW_NONE} : active.front());
}

}  // namespace

struct X11ActiveWindow::Watch {
  ConnectionPtr connection;
  xcb_window_t root = XCB_WINDOW_NONE;
  Atoms atoms;
  int wake_fd = -1;
  Listener listener;
  std::thread thread;

  Watch(ConnectionPtr connection_in, xcb_window_t root_in)
      : connection(std::move(connection_in)), root(root_in), atoms(connection.get()) {}

  ~Watch() {
    if (wake_fd >= 0) close(wake_fd);
  }

  void Run() {
    AppInFront reported = ActiveApp(connection.get(), atoms, root);
    listener(reported);
    const int x_fd = xcb_get_file_descriptor(connection.get());
    while (!xcb_connection_has_error(connection.get())) {
      bool active_changed = false;
      while (EventPtr event{xcb_poll_for_event(connection.get())}) {
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) continue;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
        active_changed |= notify->window == root && notify->atom == atoms.active_window;
      }
      if (active_changed) {
        AppInFront app = ActiveApp(connection.get(), atoms, root);
        if (app != reported) listener(app);
        reported = std::move(app);
        continue;  // the replies may have brought further events
      }
      pollfd fds[2] = {{x_fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
      if ((fds[1].revents & POLLIN) != 0) return;
    }
  }
};

X11ActiveWindow::X11ActiveWindow(std::string display_name)
    : display_name_(std::move(display_name)) {}

X11ActiveWindow::~X11ActiveWindow() {
  Stop();
}

bool X11ActiveWindow::Start(Listener listener, std::string& error) {
  Stop();
  xcb_window_t root = XCB_WINDOW_NONE;
  ConnectionPtr connection = Connect(display_name_, root, error);
  if (connection == nullptr) return false;
  auto watch = std::make_unique<Watch>(std::move(connection), root);
  if (watch->atoms.active_window == XCB_ATOM_NONE) {
    error = "the X display does not answer for its atoms";
    return false;
  }
  watch->wake_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (watch->wake_fd < 0) {
    error = "cannot make a wake-up descriptor";
    return false;
  }
  const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(watch->connection.get(), root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(watch->connection.get());
  watch->listener = std::move(listener);
  watch->thread = std::thread(&Watch::Run, watch.get());
  watch_ = std::move(watch);
  return true;
}

void X11ActiveWindow::Stop() {
  if (watch_ == nullptr) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(watch_->wake_fd, &one, sizeof one);
  watch_->thread.join();
  watch_.reset();
}

std::vector<AppInFront> X11ActiveWindow::ClientApps(const std::string& display_name) {
  xcb_window_t root = XCB_WINDOW_NONE;
  std::string error;
  const ConnectionPtr connection = Connect(display_name, root, error);
  if (connection == nullptr) return {};
  const Atoms atoms(connection.get());
  std::vector<AppInFront> apps;
  for (uint32_t window : Words(connection.get(), root, atoms.client_list)) {
    apps.push_back(AppOfWindow(connection.get(), atoms, window));
  }
  return apps;
}

}  // namespace vexel
