#include "app/main/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace vexel {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr int kConnectTimeoutMs = 2000;

QString RuntimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  QDir().mkpath(folder);
  return folder;
}

// A plain stream socket at a path: what Qt's local sockets are on Linux, so
// copies of either kind understand each other, without the network library
// and what it loads (Kerberos, proxy lookup) at every start.
bool SocketAddress(const QString& path, sockaddr_un* address) {
  const QByteArray bytes = QFile::encodeName(path);
  *address = {};
  address->sun_family = AF_UNIX;
  if (static_cast<size_t>(bytes.size()) >= sizeof(address->sun_path)) return false;
  std::memcpy(address->sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
  return true;
}

}  // namespace

SingleInstance::SingleInstance(const QString& name)
    : socket_path_(RuntimeFolder() + "/" + name + ".socket"),
      lock_(RuntimeFolder() + "/" + name + ".lock") {
  // A lock left by a crashed copy is taken over at once.
  lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  for (auto& [fd, caller] : callers_) {
    delete caller.readable;
    ::close(fd);
  }
  if (listener_ < 0) return;
  incoming_.reset();
  ::close(listener_);
  ::unlink(QFile::encodeName(socket_path_).constData());
}

bool SingleInstance::BecomeFirst() {
  if (!lock_.tryLock(0)) return false;
  sockaddr_un address;
  if (!SocketAddress(socket_path_, &address)) return true;
  ::unlink(address.sun_path);  // left by a copy that crashed
  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listener_ < 0) return true;
  if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(listener_, SOMAXCONN) != 0) {
    ::close(listener_);
    ::unlink(address.sun_path);
    listener_ = -1;
    return true;  // the first copy, only deaf to later ones
  }
  incoming_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
  connect(incoming_.get(), &QSocketNotifier::activated, this, &SingleInstance::OnConnection);
  return true;
}

bool SingleInstance::AskFirstToShow() {
  sockaddr_un address;
  if (!SocketAddress(socket_path_, &address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // A first copy too busy to take the call is not waited for forever.
  const timeval limit{kConnectTimeoutMs / 1000, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
  const size_t length = sizeof(kShowRequest) - 1;
  const bool sent =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
      ::send(fd, kShowRequest, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
  ::close(fd);
  return sent;
}

void SingleInstance::OnConnection() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    auto* readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    callers_[fd] = Caller{readable, {}, false};
    connect(readable, &QSocketNotifier::activated, this, [this, fd] { OnCallerReadable(fd); });
  }
}

void SingleInstance::OnCallerReadable(int fd) {
  auto it = callers_.find(fd);
  if (it == callers_.end()) return;
  Caller& caller = it->second;
  char chunk[64];
  ssize_t got = 0;
  bool asked = false;
  while ((got = ::read(fd, chunk, sizeof(chunk))) > 0) {
    // A request is a word at the start; the rest of what a caller sends is
    // not kept.
    if (caller.answered) continue;
    caller.received.append(chunk, static_cast<size_t>(got));
    if (caller.received.size() > sizeof(kShowRequest)) caller.received.resize(sizeof(kShowRequest));
    asked = caller.received.find("show") != std::string::npos;
    caller.answered = asked;
  }
  const bool open = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  if (!open) {
    // Deleted once its own signal has returned.
    caller.readable->setEnabled(false);
    caller.readable->deleteLater();
    ::close(fd);
    callers_.erase(it);
  }
  if (asked && on_show_) on_show_();
}

}  // namespace vexel
