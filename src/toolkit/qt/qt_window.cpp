#include "toolkit/qt/qt_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QWindow>

#include "toolkit/qt/color_palette.h"
#include "toolkit/qt/layout_builder.h"
#include "toolkit/qt/qt_accessible.h"
#include "toolkit/qt/qt_menu.h"
#include "toolkit/qt/qt_text.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/skin_style.h"
#include "toolkit/startup_trace.h"

namespace vexel::toolkit::qt {
namespace {

// A posted message, or a close request (kClose) in the same queue so it
// arrives after what was posted before it.
class MessageEvent final : public QEvent {
 public:
  static QEvent::Type MessageType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  static QEvent::Type CloseType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  MessageEvent(QEvent::Type type, Message message, int close_code)
      : QEvent(type), message(std::move(message)), close_code(close_code) {}
  Message message;
  int close_code;
};

// Rules every window shares (res/skin.qss: the focus ring), read once and
// placed after each window's own rules, so they win ties of specificity.
const QString& SharedStyleSheet(const QString& resource_folder) {
  static QHash<QString, QString> sheets;
  auto it = sheets.find(resource_folder);
  if (it == sheets.end()) {
    QFile file(QDir(resource_folder).filePath("skin.qss"));
    QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    it = sheets.insert(resource_folder, "\n" + AbsoluteUrls(text, resource_folder));
  }
  return *it;
}

Rect ToRect(const QRect& rect) {
  return Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

bool TakesHover(ControlKind kind) {
  return kind == ControlKind::kButton || kind == ControlKind::kOption ||
         kind == ControlKind::kCheck;
}

bool TakesWheelOnlyFocused(ControlKind kind) {
  return kind == ControlKind::kSlider || kind == ControlKind::kCombo;
}

constexpr int kResizeMargin = 5;  // pixels inside each edge that resize the window

Qt::Edges EdgesAt(const QSize& size, const QPointF& position) {
  Qt::Edges edges;
  if (position.x() < kResizeMargin) edges |= Qt::LeftEdge;
  if (position.x() >= size.width() - kResizeMargin) edges |= Qt::RightEdge;
  if (position.y() < kResizeMargin) edges |= Qt::TopEdge;
  if (position.y() >= size.height() - kResizeMargin) edges |= Qt::BottomEdge;
  return edges;
}

Qt::CursorShape ResizeCursor(Qt::Edges edges) {
  const bool sideways = edges & (Qt::LeftEdge | Qt::RightEdge);
  const bool upright = edges & (Qt::TopEdge | Qt::BottomEdge);
  if (sideways && upright) {
    const bool falling =
        edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
    return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
  }
  return sideways ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

QPushButton* DefaultButton(const QWidget* root) {
  for (QPushButton* button : root->findChildren<QPushButton*>()) {
    if (button->isDefault() && button->isVisibleTo(root) && button->isEnabled()) return button;
  }
  return nullptr;
}

}  // namespace

QWidget* LoadLayout(const QString& path, const QString& resource_folder, QWidget* parent,
                    QString* error, const std::function<void(QWidget*)>& prepare) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = "cannot read the file";
    return nullptr;
  }
  // The root's style sheet is set on the finished tree: set first, it would be
  // matched against every widget as it is added, and again when the window
  // flags or a stacked page re-parent a subtree.
  BuiltLayout built = BuildLayout(file.readAll(), parent);
  if (!built.root) {
    *error = built.error;
    return nullptr;
  }
  if (prepare) prepare(built.root);
  built.root->setStyleSheet(AbsoluteUrls(built.root_style_sheet, resource_folder) +
                            SharedStyleSheet(resource_folder));
  return built.root;
}

QtWindowBackend::QtWindowBackend(QtToolkit& toolkit, Window& window)
    : WindowBackend(window), toolkit_(toolkit) {
  toolkit_.Register(this);
}

QtWindowBackend::~QtWindowBackend() {
  toolkit_.Unregister(this);
  if (modal_loop_) modal_loop_->exit(0);
  focus_ = nullptr;
  controls_.clear();
  toolkit_.Bury(root_);
}

bool QtWindowBackend::Build(const std::string& layout_path, Window* parent,
                            const WindowOptions& options, std::string* error) {
  // A window over a parent stays with it (transient, deleted with it).
  auto* parent_backend = dynamic_cast<QtWindowBackend*>(BackendOf(parent));
  QWidget* parent_root = parent_backend ? parent_backend->root() : nullptr;
  QString message;
  // The flags re-parent the root: set before its style sheet.
  auto set_flags = [&options](QWidget* root) {
    Qt::WindowFlags flags = Qt::Window;
    if (options.tool_window) flags |= Qt::Tool;
    if (options.topmost) flags |= Qt::WindowStaysOnTopHint;
    if (root->property("frameless").toBool()) flags |= Qt::FramelessWindowHint;
    root->setWindowFlags(flags);
  };
  QWidget* root = LoadLayout(ToQ(layout_path), ToQ(toolkit_.ResourceFolder()), parent_root,
                             &message, set_flags);
  if (!root) {
    *error = message.toStdString();
    return false;
  }
  StartupTrace::Mark("skin and style (layout built)");
  root_ = root;
  // Without a system frame only the layout can say that the edges resize.
  resizable_edges_ = root->property("frameless").toBool() && root->property("resizable").toBool();
  if (!options.activate) root->setAttribute(Qt::WA_ShowWithoutActivating);
  caption_height_ = root->property("caption").toInt();
  role_ = options.role;
  SetAccessibleRole(root, role_);
  // No control has the focus when a window opens (the root takes it), so
  // showing a window raises no "setfocus". Tab never stops on the root, nor on
  // a scroll area: neither shows a focus, and the area scrolls to the control
  // that has it.
  root->setFocusPolicy(Qt::ClickFocus);
  for (QScrollArea* area : root->findChildren<QScrollArea*>()) area->setFocusPolicy(Qt::NoFocus);
  root->setFocus();
  root->installEventFilter(this);
  std::vector<QWidget*> widgets{root};
  for (QWidget* child : root->findChildren<QWidget*>()) widgets.push_back(child);
  for (QWidget* widget : widgets) {
    if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_")) continue;
    auto control = Wrap(widget);
    controls_.try_emplace(control->Name(), std::move(control));  // the first of a name wins
  }
  open_ = true;
  return true;
}

std::unique_ptr<QtControl> QtWindowBackend::Wrap(QWidget* widget) {
  auto control = std::make_unique<QtControl>(*this, widget);
  by_widget_[widget] = control.get();
  widget->installEventFilter(this);
  // Sliders and combos take the wheel only once focused (below), so the wheel
  // must not hand them the focus either.
  if (TakesWheelOnlyFocused(control->Kind())) widget->setFocusPolicy(Qt::StrongFocus);
  return control;
}

void QtWindowBackend::Forget(const QtControl* control) {
  if (focus_ == control) focus_ = nullptr;
  auto it = by_widget_.find(control->widget());
  if (it != by_widget_.end() && it->second == control) by_widget_.erase(it);
}

QtControl* QtWindowBackend::WrapperFor(QWidget* widget) const {
  auto it = by_widget_.find(widget);
  return it == by_widget_.end() ? nullptr : it->second;
}

Control* QtWindowBackend::FindControl(std::string_view name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second.get();
}

void QtWindowBackend::Show(bool show) {
  if (root_) root_->setVisible(show);
}

bool QtWindowBackend::IsVisible() const {
  return open_ && root_ && root_->isVisible();
}

void QtWindowBackend::Minimize() {
  if (root_) root_->showMinimized();
}

void QtWindowBackend::Restore() {
  if (root_) root_->setWindowState(root_->windowState() & ~Qt::WindowMinimized);
}

bool QtWindowBackend::IsMinimized() const {
  return root_ && root_->isMinimized();
}

void QtWindowBackend::Activate() {
  if (!root_) return;
  root_->raise();
  root_->activateWindow();
}

void QtWindowBackend::Center() {
  if (!root_) return;
  QWidget* parent = root_->parentWidget();
  QRect area = parent ? parent->window()->frameGeometry() : QRect();
  if (!parent || !parent->isVisible()) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) area = screen->availableGeometry();
  }
  const QSize size = root_->size();
  root_->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

Rect QtWindowBackend::ScreenRect() const {
  return root_ ? ToRect(root_->geometry()) : Rect{};
}

void QtWindowBackend::SetScreenRect(const Rect& rect) {
  if (root_) root_->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
}

void QtWindowBackend::SetTitle(std::string_view title) {
  if (root_) root_->setWindowTitle(ToQ(title));
}

std::string QtWindowBackend::Title() const {
  return root_ ? root_->windowTitle().toStdString() : std::string();
}

void QtWindowBackend::SetIcon(const std::string& image_path) {
  if (root_) root_->setWindowIcon(toolkit_.Icon(ToQ(image_path)));
}

int QtWindowBackend::RunModal() {
  if (!open_ || !root_) return 0;
  QEventLoop loop;
  modal_loop_ = &loop;
  root_->setWindowModality(Qt::ApplicationModal);
  if (role_ != WindowRole::kWindow && root_->focusWidget() == root_) {
    if (QPushButton* button = DefaultButton(root_)) button->setFocus(Qt::OtherFocusReason);
  }
  root_->show();
  root_->activateWindow();  // keys go to the dialog, also without a window manager
  // The test script of this run, once the loop turns.
  QTimer::singleShot(0, this, [this] {
    QtToolkit::DispatchScope scope(toolkit_);
    if (Window* owner = window()) toolkit_.AnswerModal(*owner);
  });
  const int code = loop.exec();
  modal_loop_ = nullptr;
  return code;
}

void QtWindowBackend::RequestClose(int code) {
  if (!open_ || closing_) return;
  QCoreApplication::postEvent(this, new MessageEvent(MessageEvent::CloseType(), Message{}, code));
}

void QtWindowBackend::Post(Message message) {
  QCoreApplication::postEvent(this,
                              new MessageEvent(MessageEvent::MessageType(), std::move(message), 0));
}

std::unique_ptr<Menu> QtWindowBackend::CreateMenu(const MenuLayout& layout, Point screen_position) {
  return std::make_unique<QtMenu>(toolkit_, this, layout, screen_position);
}

void QtWindowBackend::Detach() {
  ClearWindow();
  open_ = false;
  for (auto& [name, control] : controls_) control->StopTimers();
  if (modal_loop_) modal_loop_->exit(0);
  toolkit_.Bury(root_);
}

void QtWindowBackend::ProcessClose(int code) {
  if (!open_ || closing_) return;
  closing_ = true;
  for (auto& [name, control] : controls_) control->StopTimers();
  focus_ = nullptr;
  {
    QtToolkit::DispatchScope scope(toolkit_);
    DeliverDestroyed();  // may delete the window object and retire this backend
  }
  open_ = false;
  toolkit_.Bury(root_);
  if (modal_loop_) modal_loop_->exit(code);
}

bool QtWindowBackend::event(QEvent* event) {
  if (event->type() == MessageEvent::MessageType()) {
    toolkit_.CountDelivery();
    QtToolkit::DispatchScope scope(toolkit_);
    if (open_) DeliverMessage(static_cast<MessageEvent*>(event)->message);
    return true;
  }
  if (event->type() == MessageEvent::CloseType()) {
    toolkit_.CountDelivery();
    ProcessClose(static_cast<MessageEvent*>(event)->close_code);
    return true;
  }
  return QObject::event(event);
}

void QtWindowBackend::WatchEdges() {
  if (!resizable_edges_ || edge_window_ || !root_ || !root_->windowHandle()) return;
  // The native window sees every move and press before the child under it.
  edge_window_ = root_->windowHandle();
  edge_window_->installEventFilter(this);
}

bool QtWindowBackend::OnEdgeMouse(QEvent* event) {
  const bool press = event->type() == QEvent::MouseButtonPress;
  if (!root_ || (!press && event->type() != QEvent::MouseMove)) return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  const Qt::Edges edges =
      root_->isMaximized() ? Qt::Edges() : EdgesAt(root_->size(), mouse->position());
  if (!press) {
    if (mouse->buttons() != Qt::NoButton) return false;
    if (edges) {
      root_->setCursor(ResizeCursor(edges));
    } else if (edge_cursor_) {
      root_->unsetCursor();
    }
    edge_cursor_ = edges != Qt::Edges();
    return false;
  }
  return edges && mouse->button() == Qt::LeftButton && edge_window_->startSystemResize(edges);
}

void QtWindowBackend::MoveFocus(QtControl* control, bool notify) {
  if (focus_ == control) return;
  QtControl* previous = focus_;
  focus_ = control;
  if (!notify) return;
  QtToolkit::DispatchScope scope(toolkit_);
  if (previous) previous->Raise(kNotifyKillFocus);
  if (control && focus_ == control) control->Raise(kNotifySetFocus);
}

bool QtWindowBackend::eventFilter(QObject* watched, QEvent* event) {
  if (edge_window_ && watched == edge_window_) return OnEdgeMouse(event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget && widget == root_) {
    if (event->type() == QEvent::Show) WatchEdges();
    // Marked once the whole first frame is painted and flushed.
    if (event->type() == QEvent::Paint && StartupTrace::Enabled()) {
      QTimer::singleShot(0, [] { StartupTrace::FirstPaint(); });
    }
    if (event->type() == QEvent::Close && open_ && !closing_) {
      // The window manager's close: the window closes with 0 through the loop.
      event->ignore();
      CloseByUser();
      return true;
    }
    if (event->type() == QEvent::MouseButtonPress && caption_height_ > 0) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton && mouse->position().y() < caption_height_ &&
          root_->windowHandle()) {
        root_->windowHandle()->startSystemMove();
        return true;
      }
    }
    // Keys reach the root when the focused control leaves them.
    if (event->type() == QEvent::KeyPress && role_ != WindowRole::kWindow && open_ &&
        AnswerKey(*static_cast<QKeyEvent*>(event))) {
      return true;
    }
  }
  QtControl* control = WrapperFor(widget);
  if (!control) return false;
  QtToolkit::DispatchScope scope(toolkit_);
  switch (event->type()) {
    case QEvent::FocusIn:
      if (control->Kind() == ControlKind::kEdit) MoveFocus(control, true);
      break;
    case QEvent::FocusOut:
      if (focus_ == control) MoveFocus(nullptr, true);
      break;
    case QEvent::Enter:
      if (TakesHover(control->Kind())) control->Raise(kNotifyMouseEnter);
      break;
    case QEvent::Leave:
      if (TakesHover(control->Kind())) control->Raise(kNotifyMouseLeave);
      break;
    case QEvent::Wheel:
      // Scrolling the page over a slider or combo must not change a setting:
      // unfocused, the wheel goes on to the scroll area around it.
      if (TakesWheelOnlyFocused(control->Kind()) && !widget->hasFocus()) {
        event->ignore();
        return true;
      }
      break;
    default:
      break;
  }
  return false;
}

bool QtWindowBackend::AnswerKey(const QKeyEvent& key) {
  if (key.modifiers() & ~Qt::KeypadModifier) return false;
  // A read-only field is a key-capture field (the shortcut's key): there
  // Enter and Escape are keys to capture, not answers.
  auto* line = qobject_cast<QLineEdit*>(root_->focusWidget());
  if (line && line->isReadOnly()) return false;
  if (key.key() == Qt::Key_Escape) {
    CloseByUser();
    return true;
  }
  if ((key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) || key.isAutoRepeat()) {
    return false;
  }
  auto* button = qobject_cast<QPushButton*>(root_->focusWidget());
  if (!button || !button->isEnabled()) button = DefaultButton(root_);
  if (!button) return false;
  // The field being left raises "killfocus" first, as with a click.
  button->setFocus(Qt::OtherFocusReason);
  QtToolkit::DispatchScope scope(toolkit_);
  button->click();
  return true;
}

void QtWindowBackend::RefreshTexts() {
  for (auto& [widget, control] : by_widget_) control->RefreshText();
}

}  // namespace vexel::toolkit::qt
