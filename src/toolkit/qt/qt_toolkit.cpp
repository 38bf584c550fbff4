#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QScreen>
#include <algorithm>

#include "toolkit/qt/qt_accessible.h"
#include "toolkit/qt/qt_input.h"
#include "toolkit/qt/qt_menu.h"
#include "toolkit/qt/qt_text.h"
#include "toolkit/qt/qt_window.h"

namespace vexel::toolkit::qt {
namespace {

// Posted events, closes and timers can chain (a message starts a timer of 0
// ms...); ProcessEvents stops after this many rounds so a loop in a window
// cannot hang the caller.
constexpr int kMaxProcessRounds = 1000;

Rect ToRect(const QRect& rect) {
  return Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

void EnsureApplication() {
  if (QApplication::instance()) return;
  // Lives as long as the process: Qt does not support making it twice.
  static int argc = 1;
  static char name[] = "vexel-mouse";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace

QtToolkit::QtToolkit(Clock& clock) : Toolkit(clock) {
  EnsureApplication();
  InstallAccessibleNames();
  // The program lives in the tray: hiding or closing windows must not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  input_ = std::make_unique<QtUserInput>(*this);
  wake_ = std::make_unique<QTimer>();
  wake_->setSingleShot(true);
  wake_->setTimerType(Qt::PreciseTimer);
  QObject::connect(wake_.get(), &QTimer::timeout, [this] { RunTimers(); });
  timers().SetOnChange([this] { ArmWake(); });
}

QtToolkit::~QtToolkit() {
  timers().SetOnChange(nullptr);
  depth_ = 0;
  DeleteRetiredWhenIdle();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QtToolkit::DispatchScope::~DispatchScope() {
  if (--toolkit_.depth_ == 0) toolkit_.DeleteRetiredWhenIdle();
}

void QtToolkit::ArmWake() {
  const auto next = timers().NextDue();
  if (!next) {
    wake_->stop();
    return;
  }
  const auto wait = std::max<Clock::Ms>(*next - clock().Now(), Clock::Ms(0));
  wake_->start(static_cast<int>(std::min<int64_t>(wait.count(), 24 * 3600 * 1000)));
}

void QtToolkit::RunTimers() {
  {
    DispatchScope scope(*this);
    timers().RunDue();
  }
  ArmWake();
}

void QtToolkit::OnBackendRetired() {
  if (depth_ == 0) QTimer::singleShot(0, wake_.get(), [this] { DeleteRetiredWhenIdle(); });
}

void QtToolkit::Bury(QWidget* widget) {
  if (!widget) return;
  widget->hide();
  graveyard_.emplace_back(widget);
  OnBackendRetired();
}

void QtToolkit::DeleteRetiredWhenIdle() {
  if (depth_ != 0) return;
  DeleteRetired();
  std::vector<QPointer<QWidget>> graveyard;
  graveyard.swap(graveyard_);
  // Never deleted here directly: Qt may be firing a batch of timers that
  // includes timers of these widgets.
  for (QPointer<QWidget>& widget : graveyard) {
    if (widget) widget->deleteLater();
  }
}

void QtToolkit::ProcessEvents() {
  {
    DispatchScope scope(*this);
    for (int round = 0; round < kMaxProcessRounds; ++round) {
      const uint64_t before = deliveries_;
      QCoreApplication::sendPostedEvents();
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      const int fired = timers().RunDue();
      if (deliveries_ == before && fired == 0) break;
    }
  }
  if (depth_ == 0) {
    DeleteRetiredWhenIdle();
    // Called from outside any loop (tests): nothing else would run the
    // deletions of closed windows.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

int QtToolkit::RunMessageLoop() {
  if (!quit_requested_) {
    QEventLoop loop;
    main_loop_ = &loop;
    loop.exec();
    main_loop_ = nullptr;
  }
  quit_requested_ = false;
  return quit_code_;
}

void QtToolkit::Quit(int code) {
  quit_code_ = code;
  quit_requested_ = true;
  if (main_loop_) main_loop_->exit(code);
}

Point QtToolkit::CursorPosition() const {
  const QPoint position = QCursor::pos();
  return Point{position.x(), position.y()};
}

Rect QtToolkit::ScreenRect() const {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToRect(screen->geometry()) : Rect{};
}

Rect QtToolkit::WorkArea() const {
  QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? ToRect(screen->availableGeometry()) : Rect{};
}

std::unique_ptr<TrayIcon> QtToolkit::CreateTrayIcon(Window& owner, std::string_view icon,
                                                    std::string_view tip,
                                                    uint32_t callback_message) {
  return std::make_unique<QtTrayIcon>(*this, owner, icon, ToQ(tip), callback_message);
}

std::optional<std::string> QtToolkit::RunFileDialog(Window* /*owner*/,
                                                    const FileDialogRequest& request) {
  if (auto scripted = TakeFileDialogAnswer(request)) return *scripted;
  QString patterns = ToQ(request.patterns);
  patterns.replace(';', ' ');
  const QString filter = ToQ(request.filter_name) + " (" + patterns + ")";
  // No parent: the dialog keeps the system's look instead of inheriting the
  // skin's style sheet (light texts on its light panels). Modal to the whole
  // program and placed over the window that asked.
  QFileDialog dialog(nullptr, QString(), ToQ(request.initial_folder), filter);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (const QWidget* over = QApplication::activeWindow()) {
    dialog.adjustSize();
    dialog.move(over->frameGeometry().center() - dialog.rect().center());
  }
  if (request.mode == FileDialogRequest::Mode::kSave) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension gets the request's, else the first
    // pattern's ("*.pro": pro).
    QString suffix = ToQ(request.default_extension);
    const QString first = ToQ(request.patterns).section(';', 0, 0);
    if (suffix.isEmpty() && first.startsWith("*.") && !first.mid(2).contains('*')) {
      suffix = first.mid(2);
    }
    dialog.setDefaultSuffix(suffix);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  DispatchScope scope(*this);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

UserInput& QtToolkit::Input() {
  return *input_;
}

std::unique_ptr<WindowBackend> QtToolkit::CreateWindowBackend(Window& window) {
  return std::make_unique<QtWindowBackend>(*this, window);
}

QIcon QtToolkit::Icon(const QString& path) {
  auto it = icons_.find(path);
  if (it == icons_.end()) it = icons_.insert(path, QIcon(path));
  return *it;
}

QButtonGroup* QtToolkit::ButtonGroup(QWidget* root, const QString& name) {
  const QString object_name = "option group " + name;
  if (auto* group = root->findChild<QButtonGroup*>(object_name)) return group;
  auto* group = new QButtonGroup(root);
  group->setObjectName(object_name);
  group->setExclusive(true);
  return group;
}

void QtToolkit::OnLanguageChanged() {
  for (QtWindowBackend* backend : backends_) backend->RefreshTexts();
}

}  // namespace vexel::toolkit::qt
