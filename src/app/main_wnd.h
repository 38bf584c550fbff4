// CMainWnd: the program's one top-level window. It embeds the settings page,
// owns the tray icon, the tray menu, the DPI indicator and the hook library,
// and routes every numbered message and timer that the other parts post.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "app/tray_battery.h"
#include "app/window_state.h"
#include "language/language_table.h"
#include "link/arrival_timer.h"
#include "link/ble/device_presence.h"
#include "platform/desktop_notifier.h"
#include "platform/hook_library.h"
#include "store/store_writer.h"
#include "toolkit/menu.h"
#include "toolkit/tray_icon.h"
#include "toolkit/window.h"
#include "ui/page/ms_1_page.h"

namespace vexel {

class CDPIMsg;

inline constexpr char kMainWindowClass[] = "Vexel Gaming Mouse";
// The name of the program's .desktop file, without the suffix.
inline constexpr char kDesktopEntry[] = "io.github.vexel_mouse.VexelMouse";
inline constexpr int kMainWindowWidth = 800;
// The tray's profile items; each carries its profile's position as data.
inline constexpr char kTrayProfileItem[] = "profile";
inline constexpr int kMainWindowHeight = 572;

class CMainWnd : public toolkit::Window, private ArrivalTimer {
 public:
  // `notifier` shows the desktop notifications (low battery, waiting for the
  // mouse); none are shown without one. It must outlive the window.
  // `device_notifications`: where device-change broadcasts come from (none:
  // the BLE link changes only at start-up). The window owns it and stops it
  // first when it goes.
  CMainWnd(toolkit::Toolkit& toolkit, PageServices services, DesktopNotifier* notifier = nullptr,
           std::unique_ptr<link::DeviceNotificationSource> device_notifications = nullptr);
  ~CMainWnd() override;

  // The window's and the tray's icon, relative to the resource folder.
  static constexpr char kIcon[] = "skins/main/logo.svg";

  std::string WindowClassName() const override { return kMainWindowClass; }
  std::string SkinFile() const override { return "main.xml"; }
  void InitWindow() override;
  void Notify(const toolkit::Notification& notification) override;
  void OnClick(const toolkit::Notification& notification) override;
  bool HandleCustomMessage(const toolkit::Message& message) override;
  void OnDestroy() override;

  CMS_1_Page& page() { return page_; }
  const HookEntries& hook_entries() const { return hook_entries_; }
  int window_device_present() const { return window_device_present_; }
  CDPIMsg* dpi_indicator() const { return dpi_indicator_.get(); }
  toolkit::TrayIcon* tray_icon() const { return tray_icon_.get(); }
  toolkit::Menu* tray_menu() const { return tray_menu_.get(); }
  const LanguageTable& language() const { return language_; }
  // Saves asked for on the UI thread (a DPI press on the mouse, a rename) go
  // to the store's writer thread: on from construction. Off, they are
  // written at once on the UI thread. Call before the window is created.
  void SetBackgroundSaves(bool on);
  // Returns once every queued save is written.
  void FlushSaves();

  // Whether the desktop shows the tray icon: without one the window is never
  // hidden and closing it ends the program, so it is never out of reach.
  bool HasTray() const;

  // Gives the window its remembered size (at least the skin's, at most the
  // screen's) and centres it. Call after Create.
  void PlaceOnScreen();
  // The login entry that the tray menu's "Start with the desktop" writes or
  // removes, and its command. Without a file the item does nothing.
  void SetAutostart(std::filesystem::path file, std::string command);

 private:
  void OnTimer(uint32_t id);
  // ArrivalTimer: the links' arrival waits as timers of this window.
  void StartArrivalWait(DriverLink link, Clock::Ms wait) override;
  void StopArrivalWait(DriverLink link) override;
  void OnArrivalWaitOver(uint32_t timer, DriverLink link);
  void OnTrayIcon(intptr_t event);
  void OnMenuCommand(const toolkit::MenuCommand& command);
  void OnDeviceState();
  void ShowDpiIndicator(uintptr_t wparam, intptr_t lparam);
  void CloseDpiIndicator();
  // Brings the window forward when a device is there, else tells the user
  // there is none (one box at a time).
  void ShowOrWarn();
  void ShowNoDeviceBox();
  void LoadHooks();
  // Device presence: broadcasts arrive on the source's thread and wait here
  // for message 537 on the UI thread.
  void RegisterDeviceNotifications();
  void QueueDeviceChange(uint32_t event, const link::DeviceBroadcast& broadcast);
  void OnDeviceChangeMessage();
  // Tray and desktop notifications about the mouse (main_wnd_tray.cpp).
  BatteryReading ReadBattery();
  void RefreshTrayBattery();
  void AnnounceWaitingAtStart();
  void NotifyDesktop(std::string_view body_key, TrayBatteryIcon icon);
  // While the mouse is absent the window shows what to do in place of the
  // page; with a tray it also waits there, hidden.
  void ShowNoMouseState(bool no_mouse);
  void PutAwayForNoDevice();
  // Size and open sections (main_wnd_state.cpp).
  std::filesystem::path WindowStateFile() const;
  void RestoreSections();
  void RememberWindowState();
  void ToggleAutostart();
  // The tray's "Profiles" sub-menu: one check item per profile, the selected
  // one checked (main_wnd_tray.cpp).
  void FillProfilesMenu(toolkit::MenuLayout& layout);

  PageServices services_;
  CMS_1_Page page_;
  // After the page: it goes first, writing what is queued while the store
  // is still there.
  std::unique_ptr<StoreWriter> store_writer_;
  LanguageTable language_;
  std::unique_ptr<toolkit::TrayIcon> tray_icon_;
  std::unique_ptr<toolkit::Menu> tray_menu_;
  std::unique_ptr<HookLibrary> hook_library_;
  HookEntries hook_entries_;
  std::unique_ptr<CDPIMsg> dpi_indicator_;
  int window_device_present_ = 0;
  bool no_device_box_open_ = false;
  // The window hid itself because the mouse went away; it comes back with it.
  bool hidden_for_no_device_ = false;
  DesktopNotifier* notifier_ = nullptr;
  std::optional<WindowState> remembered_;
  std::filesystem::path autostart_file_;
  std::string autostart_command_;
  BatteryReading tray_reading_;
  bool tray_reading_shown_ = false;
  LowBatteryWarning low_battery_warning_;
  bool device_state_seen_ = false;
  link::DevicePresence device_presence_;
  std::mutex device_changes_mutex_;
  std::deque<std::pair<uint32_t, link::DeviceBroadcast>> device_changes_;
  // Last: it stops before anything its broadcasts reach.
  std::unique_ptr<link::DeviceNotificationSource> device_notifications_;
};

}  // namespace vexel
