#include "platform/linux/dbus_desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace vexel {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr uchar kUrgencyNormal = 1;
constexpr int kServerDefaultTimeout = -1;

QString ToQ(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DBusDesktopNotifier::DBusDesktopNotifier(std::string app_name, std::string desktop_entry)
    : app_name_(std::move(app_name)), desktop_entry_(std::move(desktop_entry)) {}

bool DBusDesktopNotifier::Notify(const DesktopNotification& notification) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  QVariantMap hints;
  hints.insert("urgency", QVariant::fromValue(kUrgencyNormal));
  if (!desktop_entry_.empty()) hints.insert("desktop-entry", ToQ(desktop_entry_));
  const uint replaces_none = 0;
  call << ToQ(app_name_) << replaces_none << ToQ(notification.icon) << ToQ(notification.summary)
       << ToQ(notification.body) << QStringList() << hints << kServerDefaultTimeout;
  // The id it answers with is of no use here: nothing is replaced or closed.
  call.setAutoStartService(true);
  return bus.send(call);
}

}  // namespace vexel
