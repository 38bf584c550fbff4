// The QtDBus desktop notifier against python-dbusmock's notification daemon
// on a private session bus: the call must arrive with the program's texts.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>
#include <memory>

#include "platform/linux/dbus_desktop_notifier.h"
#include "support/run_command.h"

extern char** environ;

namespace vexel {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";

struct Call {
  QString method;
  QVariantList args;
};

class DesktopNotifierDbus : public ::testing::Test {
 protected:
  // QtDBus needs an application object; only this suite of the program runs Qt.
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "platform_e2e_tests";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QCoreApplication>(argc, argv);
  }
  static void TearDownTestSuite() { application_.reset(); }

  void SetUp() override {
    const auto lines = testing::Lines(
        testing::RunCommand("dbus-daemon --session --fork --print-address=1 --print-pid=1").out);
    ASSERT_EQ(lines.size(), 2u);
    bus_pid_ = std::stoi(lines[1]);
    setenv("DBUS_SESSION_BUS_ADDRESS", lines[0].c_str(), 1);
    const char* argv[] = {"/usr/bin/python3",    "-m",   "dbusmock", "--session", "--template",
                          "notification_daemon", nullptr};
    ASSERT_EQ(posix_spawn(&mock_pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    // The mock takes its name a moment after it starts.
    QDeadlineTimer deadline(10000);
    while (!QDBusConnection::sessionBus().interface()->isServiceRegistered(kService) &&
           !deadline.hasExpired()) {
      QThread::msleep(50);
    }
    ASSERT_TRUE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kService));
  }
  void TearDown() override {
    if (mock_pid_ > 0) {
      kill(mock_pid_, SIGTERM);
      waitpid(mock_pid_, nullptr, 0);
    }
    if (bus_pid_ > 0) kill(bus_pid_, SIGTERM);
  }

  // What the mock was called with, in order (a synchronous call, so every
  // message sent before it has been handled).
  std::vector<Call> MockCalls() {
    QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        kService, "/org/freedesktop/Notifications", "org.freedesktop.DBus.Mock", "GetCalls"));
    std::vector<Call> calls;
    if (reply.type() != QDBusMessage::ReplyMessage) return calls;
    const auto list = reply.arguments().at(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
      qulonglong time = 0;
      Call call;
      list.beginStructure();
      list >> time >> call.method >> call.args;
      list.endStructure();
      calls.push_back(std::move(call));
    }
    list.endArray();
    return calls;
  }

  static inline std::unique_ptr<QCoreApplication> application_;
  pid_t bus_pid_ = -1;
  pid_t mock_pid_ = -1;
};

TEST_F(DesktopNotifierDbus, NotifyArrivesWithTheTexts) {
  DBusDesktopNotifier notifier("Vexel Gaming Mouse", "io.github.vexel_mouse.VexelMouse");
  ASSERT_TRUE(notifier.Notify({.summary = "Vexel Gaming Mouse - 12 %",
                               .body = "The mouse battery is low. Grüße",
                               .icon = "/res/skins/tray/battery_low.svg"}));
  const std::vector<Call> calls = MockCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].method, "Notify");
  ASSERT_EQ(calls[0].args.size(), 8);
  EXPECT_EQ(calls[0].args[0].toString(), "Vexel Gaming Mouse");
  EXPECT_EQ(calls[0].args[2].toString(), "/res/skins/tray/battery_low.svg");
  EXPECT_EQ(calls[0].args[3].toString(), "Vexel Gaming Mouse - 12 %");
  EXPECT_EQ(calls[0].args[4].toString(), QString::fromUtf8("The mouse battery is low. Grüße"));
}

}  // namespace
}  // namespace vexel
