// The QtDBus desktop notifier against python-dbusmock's notification daemon
// on a private session bus: the call must arrive with the program's texts.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "platform/linux/bluez/private_bus.h"
#include "platform/linux/dbus_desktop_notifier.h"

namespace vexel {
namespace {

TEST(DesktopNotifierDbus, NotifyArrivesWithTheTexts) {
  bluez::PrivateSystemBus bus{"DBUS_SESSION_BUS_ADDRESS"};  // first: the mock uses it
  testing::ChildProcess mock{
      {"/usr/bin/python3", "-m", "dbusmock", "--session", "--template", "notification_daemon"}};
  ASSERT_TRUE(bus.running() && mock.started());
  // QtDBus needs an application object; only this test of the program runs Qt.
  int argc = 1;
  char name[] = "platform_e2e_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  const QString service = "org.freedesktop.Notifications";
  // The mock takes its name a moment after it starts.
  ASSERT_TRUE(testing::WaitFor(
      [&] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(service); }));

  DBusDesktopNotifier notifier("Vexel Gaming Mouse", "io.github.vexel_mouse.VexelMouse");
  ASSERT_TRUE(notifier.Notify({.summary = "Vexel Gaming Mouse - 12 %",
                               .body = "The mouse battery is low. Grüße",
                               .icon = "/res/skins/tray/battery_low.svg"}));
  // What the mock was called with (a synchronous call: every message sent
  // before it has been handled): (time, method, arguments) each.
  const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
      service, "/org/freedesktop/Notifications", "org.freedesktop.DBus.Mock", "GetCalls"));
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage);
  const auto list = reply.arguments().at(0).value<QDBusArgument>();
  QStringList calls;
  list.beginArray();
  while (!list.atEnd()) {
    qulonglong time = 0;
    QString method;
    QVariantList args;
    list.beginStructure();
    list >> time >> method >> args;
    list.endStructure();
    calls << method << QString::number(args.size());
    for (int i : {0, 2, 3, 4}) calls << args.value(i).toString();
  }
  list.endArray();
  EXPECT_EQ(calls, (QStringList{"Notify", "8", "Vexel Gaming Mouse",
                                "/res/skins/tray/battery_low.svg", "Vexel Gaming Mouse - 12 %",
                                QString::fromUtf8("The mouse battery is low. Grüße")}));
}

}  // namespace
}  // namespace vexel
