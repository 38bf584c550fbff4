#include "app/main/program_bus_service.h"

#include <QDBusError>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>
#include <mutex>
#include <vector>

#include "platform/program_bus.h"
#include "program_bus_introspection.h"
#include "protocol/frame.h"
#include "protocol/status_codes.h"
#include "store/utf16_name.h"

namespace vexel {
namespace {

constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
// How often the properties are compared with what was last announced.
constexpr int kPropertyWatchMs = 500;
// How often a pending answer looks whether its apply has run, and for how
// long at most (a full apply over the receiver with every re-send).
constexpr int kApplyPollMs = 20;
constexpr int kApplyLimitMs = 90000;

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

// {"index": N, "name": "..."}, as vexelctl prints a store entry.
QString IndexedName(int index, std::u16string_view name) {
  const QString text = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
  const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString("{\"index\": %1, \"name\": %2}")
      .arg(index)
      .arg(QString::fromUtf8(quoted.mid(1, quoted.size() - 2)));
}

}  // namespace

// The reports the worker handed to SendReport, in order.
struct ProgramBusService::SentLog {
  std::mutex mutex;
  std::vector<std::pair<std::string, std::string>> reports;  // hex, delivery
};

ProgramBusService::ProgramBusService(CMS_1_Page& page, LanguageText language_text,
                                     AppFollowerHost* follower)
    : page_(page),
      language_text_(std::move(language_text)),
      follower_(follower),
      bus_(QDBusConnection::sessionBus()),
      sent_(std::make_shared<SentLog>()) {
  // Never unset: the worker may be calling it while the service goes.
  page_.session().SetSendObserver(
      [sent = sent_](std::span<const uint8_t> report, protocol::Delivery delivery) {
        std::lock_guard lock(sent->mutex);
        sent->reports.emplace_back(protocol::ToHex(report),
                                   std::string(protocol::DeliveryName(delivery)));
      });
  registered_ = bus_.isConnected() &&
                bus_.registerVirtualObject(kProgramObjectPath, this, QDBusConnection::SingleNode) &&
                bus_.registerService(kProgramBusName);
  announced_ = Properties();
  property_watch_.setInterval(kPropertyWatchMs);
  QObject::connect(&property_watch_, &QTimer::timeout, [this] { AnnounceChangedProperties(); });
  property_watch_.start();
}

ProgramBusService::~ProgramBusService() {
  if (!registered_) return;
  bus_.unregisterService(kProgramBusName);
  bus_.unregisterObject(kProgramObjectPath);
}

QString ProgramBusService::introspect(const QString& /*path*/) const {
  // The interface element of the packaged introspection file.
  const QString xml = QString::fromUtf8(kProgramBusIntrospection);
  const qsizetype begin = xml.indexOf("<interface");
  const qsizetype end = xml.lastIndexOf("</interface>");
  return begin < 0 || end < 0 ? QString() : xml.mid(begin, end + 12 - begin);
}

bool ProgramBusService::handleMessage(const QDBusMessage& message,
                                      const QDBusConnection& connection) {
  if (message.interface() == kPropertiesInterface) return HandleProperties(message, connection);
  if (!message.interface().isEmpty() && message.interface() != kProgramInterface) return false;
  const QList<QVariant> args = message.arguments();
  const QString member = message.member();
  const auto refuse = [&](const std::string& why) {
    connection.send(message.createErrorReply(QDBusError::InvalidArgs, Utf8(why)));
    return true;
  };
  if (HandleRules(message, connection)) return true;
  const QString profile = args.value(0).toString();
  if (member == "Get" && message.signature() == "s") {
    std::string error;
    const auto json = page_.ProfileJsonForScript(profile.toStdString(), error);
    if (!json) return refuse(error);
    connection.send(message.createReply(Utf8(*json)));
    return true;
  }
  if ((member == "ImportProfile" || member == "ImportMacro") && message.signature() == "s") {
    std::string error;
    const QString json =
        member == "ImportProfile" ? ImportProfile(profile, error) : ImportMacro(profile, error);
    if (json.isEmpty()) return refuse(error);
    connection.send(message.createReply(json));
    return true;
  }
  CMS_1_Page::ScriptEdit edit;
  if (member == "SelectProfile" && message.signature() == "s") {
    edit = page_.SelectFromScript(profile.toStdString());
  } else if (member == "Set" && message.signature() == "sas") {
    std::vector<std::string> assignments;
    for (const QString& assignment : args.value(1).toStringList()) {
      assignments.push_back(assignment.toStdString());
    }
    edit = page_.SetFromScript(profile.toStdString(), assignments);
  } else {
    return false;
  }
  if (!edit.error.empty()) return refuse(edit.error);
  AnswerAfterApply(message, connection, edit);
  return true;
}

bool ProgramBusService::HandleRules(const QDBusMessage& message,
                                    const QDBusConnection& connection) {
  const QString member = message.member();
  const QString first = message.arguments().value(0).toString();
  if (member == "ApplicationFocused" && message.signature() == "s") {
    if (follower_ != nullptr) follower_->OnCompositorFocus(first.toStdString());
    connection.send(message.createReply());
    return true;
  }
  if (member == "EditRules" && message.signature() == "as") {
    std::vector<std::string> words;
    for (const QString& word : message.arguments().value(0).toStringList()) {
      words.push_back(word.toStdString());
    }
    const CMS_1_Page::ScriptEdit edit = page_.EditRulesFromScript(words);
    if (!edit.error.empty()) {
      connection.send(message.createErrorReply(QDBusError::InvalidArgs, Utf8(edit.error)));
      return true;
    }
    if (follower_ != nullptr) follower_->OnRulesChanged();
  } else if (member != "Rules" || !message.signature().isEmpty()) {
    return false;
  }
  connection.send(message.createReply(Utf8(AppRulesJson(page_.app_rules()))));
  return true;
}

void ProgramBusService::AnswerAfterApply(const QDBusMessage& message,
                                         const QDBusConnection& connection,
                                         const CMS_1_Page::ScriptEdit& edit) {
  protocol::ApplyWorker* worker = page_.session().worker();
  std::size_t first_report = 0;
  {
    std::lock_guard lock(sent_->mutex);
    first_report = sent_->reports.size();
  }
  const uint64_t before = worker != nullptr ? worker->ProcessedCount() : 0;
  const bool waits = worker != nullptr && edit.changed && edit.selected && edit.linked;
  auto answer = [this, message, connection, edit, first_report] {
    QString reports;
    {
      std::lock_guard lock(sent_->mutex);
      for (std::size_t i = first_report; i < sent_->reports.size(); ++i) {
        reports += QString("%1{\"hex\": \"%2\", \"delivery\": \"%3\"}")
                       .arg(i > first_report ? ", " : "", Utf8(sent_->reports[i].first),
                            Utf8(sent_->reports[i].second));
      }
    }
    const auto flag = [](bool on) { return on ? "true" : "false"; };
    const QString json =
        QString(
            "{\"changed\": %1, \"selected\": %2, \"linked\": %3, "
            "\"reports\": [%4], \"save_error\": \"\"}")
            .arg(flag(edit.changed), flag(edit.selected), flag(edit.linked), reports);
    QDBusConnection(connection).send(message.createReply(json));
  };
  if (!waits) {
    answer();
    return;
  }
  // The apply request is a posted message: the worker has run it once it has
  // taken a message more and is idle again.
  auto* poll = new QTimer();
  auto waited_ms = std::make_shared<int>(0);
  poll->setInterval(kApplyPollMs);
  QObject::connect(poll, &QTimer::timeout, [poll, worker, before, waited_ms, answer] {
    *waited_ms += kApplyPollMs;
    if ((worker->ProcessedCount() > before && worker->IsIdle()) || *waited_ms >= kApplyLimitMs) {
      poll->stop();
      poll->deleteLater();
      answer();
    }
  });
  QObject::connect(this, &QObject::destroyed, poll, &QObject::deleteLater);
  poll->start();
}

QString ProgramBusService::ImportProfile(const QString& file, std::string& error) {
  const StoreChange<ProfileImport> change = page_.ImportProfileFile(file.toStdString());
  if (!change) {
    error = change.result.file.string() + ": " + change.result.error;
    return {};
  }
  auto access = page_.store().Lock();
  const auto entry = [&](int index, const auto& list) {
    const auto& record = *list[static_cast<std::size_t>(index)];
    return IndexedName(index, NameView(record.name));
  };
  QStringList macros;
  for (const int index : change.added->macro_indexes) macros << entry(index, access->macros);
  return QString("{\"profile\": %1, \"macros\": [%2]}")
      .arg(entry(change.added->profile_index, access->profiles), macros.join(", "));
}

QString ProgramBusService::ImportMacro(const QString& file, std::string& error) {
  const StoreChange<int> change =
      page_.store().ImportMacro(file.toStdString(), Utf8ToUtf16(language_text_("add_macro_text")));
  if (!change) {
    error = change.result.file.string() + ": " + change.result.error;
    return {};
  }
  auto access = page_.store().Lock();
  const MacroRecord& macro = *access->macros[static_cast<std::size_t>(*change.added)];
  return QString("{\"macro\": %1}").arg(IndexedName(*change.added, NameView(macro.name)));
}

bool ProgramBusService::HandleProperties(const QDBusMessage& message,
                                         const QDBusConnection& connection) {
  const QList<QVariant> args = message.arguments();
  if (args.value(0).toString() != kProgramInterface) return false;
  const QVariantMap properties = Properties();
  if (message.member() == "GetAll") {
    connection.send(message.createReply(properties));
    return true;
  }
  if (message.member() == "Get" && properties.contains(args.value(1).toString())) {
    connection.send(message.createReply(
        QVariant::fromValue(QDBusVariant(properties.value(args.value(1).toString())))));
    return true;
  }
  if (message.member() == "Set") {
    connection.send(
        message.createErrorReply(QDBusError::PropertyReadOnly, "the properties are read-only"));
    return true;
  }
  connection.send(message.createErrorReply(QDBusError::UnknownProperty,
                                           "no property " + args.value(1).toString()));
  return true;
}

QVariantMap ProgramBusService::Properties() {
  QStringList profiles;
  int selected = 0;
  {
    auto access = page_.store().Lock();
    for (const auto& profile : access->profiles) {
      profiles << (profile ? QString::fromStdU16String(std::u16string(NameView(profile->name)))
                           : QString());
    }
    selected = access->header->selected_profile;
  }
  const DeviceSession& session = page_.session();
  const auto battery = session.battery();
  const protocol::LinkFlags& links = session.links();
  QStringList open;
  if (links.wired_link == 1) open << "cable";
  if (links.wireless_link == 1) open << "receiver";
  if (links.ble_link != 0) open << "bluetooth";
  return {{"Profiles", profiles},
          {"SelectedProfile", selected},
          {"Battery", battery.percent > 100 ? 100 : battery.percent},
          {"Charging", battery.state == static_cast<int>(protocol::BatteryState::kCharging)},
          {"Links", open}};
}

void ProgramBusService::AnnounceChangedProperties() {
  const QVariantMap now = Properties();
  QVariantMap changed;
  for (auto it = now.begin(); it != now.end(); ++it) {
    if (announced_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
  }
  announced_ = now;
  if (changed.isEmpty() || !registered_) return;
  QDBusMessage signal =
      QDBusMessage::createSignal(kProgramObjectPath, kPropertiesInterface, "PropertiesChanged");
  signal << QString(kProgramInterface) << changed << QStringList();
  bus_.send(signal);
}

}  // namespace vexel
