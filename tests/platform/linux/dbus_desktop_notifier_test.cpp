// The QtDBus desktop notifier against python-dbusmock's notification daemon
// on a private session bus: the call must arrive with the program's texts.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>
#include <memory>

#include "platform/linux/bluez/private_bus.h"
#include "platform/linux/dbus_desktop_notifier.h"

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
    ASSERT_TRUE(bus_.running() && mock_.started());
    // The mock takes its name a moment after it starts.
    QDeadlineTimer deadline(10000);
    while (!QDBusConnection::sessionBus().interface()->isServiceRegistered(kService) &&
           !deadline.hasExpired()) {
      QThread::msleep(50);
    }
    ASSERT_TRUE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kService));
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
  bluez::PrivateSystemBus bus_{"DBUS_SESSION_BUS_ADDRESS"};  // first: the mock uses it
  testing::ChildProcess mock_{
      {"/usr/bin/python3", "-m", "dbusmock", "--session", "--template", "notification_daemon"}};
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
