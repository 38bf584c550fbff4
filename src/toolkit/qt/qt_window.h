// One window of the Qt toolkit: the widget tree built from a layout file, its
// named controls, a mailbox object that receives posted
// messages as QEvents (QCoreApplication::postEvent is thread-safe and keeps
// order), modal runs in a nested QEventLoop, and the event filter that turns
// focus, hover and close events into notifications.
#pragma once

#include <QEventLoop>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "toolkit/qt/qt_control.h"
#include "toolkit/window_backend.h"

namespace vexel::toolkit::qt {

class QtToolkit;

// Loads a layout file into widgets: style sheet image urls made absolute
// against the resource folder, the ColorPalette class known. `prepare` runs on
// the built tree before the root's style sheet is set. nullptr (and `error`)
// when it cannot be read.
QWidget* LoadLayout(const QString& path, const QString& resource_folder, QWidget* parent,
                    QString* error, const std::function<void(QWidget*)>& prepare = {});

class QtWindowBackend final : public WindowBackend, public QObject {
 public:
  QtWindowBackend(QtToolkit& toolkit, Window& window);
  ~QtWindowBackend() override;

  bool Build(const std::string& layout_path, Window* parent, const WindowOptions& options,
             std::string* error) override;
  bool IsOpen() const override { return open_; }
  Control* FindControl(std::string_view name) const override;

  void Show(bool show) override;
  bool IsVisible() const override;
  void Minimize() override;
  void Restore() override;
  bool IsMinimized() const override;
  void Activate() override;
  void Center() override;
  Rect ScreenRect() const override;
  void SetScreenRect(const Rect& rect) override;
  void SetTitle(std::string_view title) override;
  std::string Title() const override;
  void SetIcon(const std::string& image_path) override;

  int RunModal() override;
  void RequestClose(int code) override;
  void Post(Message message) override;
  std::unique_ptr<Menu> CreateMenu(const MenuLayout& layout, Point screen_position) override;
  void Detach() override;

  // ---- For controls, menus and UserInput ----
  QtToolkit& toolkit() const { return toolkit_; }
  QWidget* root() const { return root_; }
  QObject* mailbox() { return this; }
  void Notify(const Notification& notification) { DeliverNotification(notification); }
  // Moves the focus the window reports; with notify, "killfocus" / "setfocus".
  void MoveFocus(QtControl* control, bool notify);
  QtControl* WrapperFor(QWidget* widget) const;
  // Wraps a widget made after Build (rows of lists); the caller owns it.
  std::unique_ptr<QtControl> Wrap(QWidget* widget);
  void Forget(const QtControl* control);
  void RefreshTexts();
  // Window-manager close: the user closed the window.
  void CloseByUser() { RequestClose(0); }

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ProcessClose(int code);
  // A frameless window whose layout says resizable="true" is resized from its
  // edges: the window manager does it once asked (startSystemResize).
  void WatchEdges();
  bool OnEdgeMouse(QEvent* event);
  // Enter and Escape of a dialog; true when taken.
  bool AnswerKey(const QKeyEvent& key);

  QtToolkit& toolkit_;
  QPointer<QWidget> root_;
  std::map<std::string, std::unique_ptr<QtControl>, std::less<>> controls_;
  std::map<const QWidget*, QtControl*> by_widget_;
  QtControl* focus_ = nullptr;
  QPointer<QEventLoop> modal_loop_;
  WindowRole role_ = WindowRole::kWindow;
  int caption_height_ = 0;
  bool resizable_edges_ = false;
  bool edge_cursor_ = false;
  QPointer<QWindow> edge_window_;
  bool open_ = false;
  bool closing_ = false;
};

}  // namespace vexel::toolkit::qt
