#include "app/main_wnd.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/autostart.h"
#include "app/dpi_msg.h"
#include "app/msg_wnd.h"
#include "messages/app_messages.h"
#include "store/utf16_name.h"
#include "toolkit/control.h"
#include "toolkit/startup_trace.h"
#include "toolkit/toolkit.h"

namespace vexel {
namespace {

constexpr int kTrayMenuLift = 50;  // the menu opens above the cursor
constexpr char kAutostartItem[] = "autostart";

// Under Wayland the hook library sees only input that goes to X11 windows.
bool WaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return (type != nullptr && std::string_view(type) == "wayland") ||
         (display != nullptr && *display != '\0');
}

}  // namespace

namespace {

// The page's message boxes are the program's CMsgWnd, over the dialog in a
// modal run if there is one (the name dialog's warnings), else this window.
PageServices WithMessageBox(PageServices services, toolkit::Toolkit& toolkit,
                            toolkit::Window* owner) {
  if (!services.message_box) {
    services.message_box = [&toolkit, owner](std::string_view title_key,
                                             std::string_view message_key,
                                             std::string_view detail) {
      toolkit::Window* over = toolkit.TopModalWindow();
      return CMsgWnd::Show(toolkit, over != nullptr ? over : owner, title_key, message_key, detail);
    };
  }
  return services;
}

}  // namespace

CMainWnd::CMainWnd(toolkit::Toolkit& toolkit, PageServices services, DesktopNotifier* notifier,
                   std::unique_ptr<link::DeviceNotificationSource> device_notifications)
    : Window(toolkit),
      services_(services),
      page_(*this, WithMessageBox(std::move(services), toolkit, this)),
      notifier_(notifier),
      device_presence_({[this](bool on) { page_.session().SetBleConnected(on); },
                        [this] { return static_cast<int32_t>(page_.session().links().ble_link); },
                        services_.debug}),
      device_notifications_(std::move(device_notifications)) {
  page_.session().SetArrivalTimer(this);
  SetBackgroundSaves(true);
}

CMainWnd::~CMainWnd() {
  // No broadcast may be queued for a window that is going.
  device_notifications_.reset();
  page_.session().SetArrivalTimer(nullptr);
  // Nothing queued is lost: the writer writes it before it stops.
  SetBackgroundSaves(false);
  // The table goes with this window; the toolkit must not look keys up in it.
  toolkit().SetLanguage(nullptr);
}

void CMainWnd::SetBackgroundSaves(bool on) {
  if (on == (store_writer_ != nullptr)) return;
  if (!on) {
    page_.session().SetStoreWriter(nullptr);
    store_writer_.reset();
    return;
  }
  store_writer_ = std::make_unique<StoreWriter>(page_.store(), [this](const SaveResult& result) {
    page_.session().ReportBackgroundSave(result);
  });
  page_.session().SetStoreWriter(store_writer_.get());
}

void CMainWnd::FlushSaves() {
  if (store_writer_) store_writer_->Flush();
}

void CMainWnd::StartArrivalWait(DriverLink link, Clock::Ms wait) {
  SetTimer(link == DriverLink::kWired ? kTimerWiredArrivalWait : kTimerWirelessArrivalWait,
           static_cast<int>(wait.count()));
}

void CMainWnd::StopArrivalWait(DriverLink link) {
  KillTimer(link == DriverLink::kWired ? kTimerWiredArrivalWait : kTimerWirelessArrivalWait);
}

void CMainWnd::OnArrivalWaitOver(uint32_t timer, DriverLink link) {
  KillTimer(timer);
  page_.session().OnArrivalWaitOver(link);
  RefreshTrayBattery();
}

void CMainWnd::InitWindow() {
  AddVirtualWindow(kPageVirtualWindow, &page_);
  page_.Initialise();
  // Before the store's first refresh, which closes what the links rule out.
  remembered_ = LoadWindowState(WindowStateFile());
  RestoreSections();
  toolkit::StartupTrace::Mark("links (worker, driver libraries, links)");

  SetIcon(kIcon);
  std::string error;
  if (LoadLanguageTables(language_, toolkit().ResourcePath(""), MessagesLanguage(std::getenv),
                         &error)) {
    toolkit().SetLanguageTable(language_);
  }
  if (!error.empty()) toolkit().Trace("language: " + error);
  const std::string title = language_.Text("mouse_name_text");
  tray_icon_ = toolkit().CreateTrayIcon(*this, kIcon, title, kMsgTrayIcon);
  SetTitle(title);

  for (const char* name : {"skin_btn", "main_menu_btn", "min_btn", "exit_btn", "apply_progress",
                           "device_tab_switch"}) {
    FindControl(name);
  }
  LoadHooks();
  toolkit::StartupTrace::Mark("icon, language, tray and hook library");
  MacroEditorHost macro_host{&hook_entries_, &CMsgWnd::Show};
  macro_host.input_capture_x11_only = WaylandSession();
  page_.SetMacroEditorHost(std::move(macro_host));
  page_.LoadStoreAtStartup(Utf8ToUtf16(language_.Text("add_profile_text")));
  RegisterDeviceNotifications();
  toolkit::StartupTrace::Mark("store load");
}

void CMainWnd::RegisterDeviceNotifications() {
  // A failed registration is not reported: the BLE link then changes only at
  // start-up.
  if (!device_notifications_) return;
  device_notifications_->RegisterDeviceNotifications(
      [this](uint32_t event, const link::DeviceBroadcast& broadcast) {
        QueueDeviceChange(event, broadcast);
      });
}

void CMainWnd::QueueDeviceChange(uint32_t event, const link::DeviceBroadcast& broadcast) {
  {
    std::lock_guard lock(device_changes_mutex_);
    device_changes_.emplace_back(event, broadcast);
  }
  PostMessage(kMsgDeviceChange, event, 0);
}

void CMainWnd::OnDeviceChangeMessage() {
  std::optional<std::pair<uint32_t, link::DeviceBroadcast>> change;
  {
    std::lock_guard lock(device_changes_mutex_);
    if (device_changes_.empty()) return;
    change = std::move(device_changes_.front());
    device_changes_.pop_front();
  }
  // Event 7 carries no broadcast.
  const bool with_broadcast = change->first != link::kDbtDevNodesChanged;
  device_presence_.OnDeviceChange(change->first, with_broadcast ? &change->second : nullptr);
}

void CMainWnd::LoadHooks() {
  std::string error;
  const std::string path = (services_.program_folder / kHookLibraryFile).string();
  hook_library_ = LoadHookLibrary(services_.libraries, path, &error);
  if (!hook_library_) {
    if (services_.debug) services_.debug("GetError:" + error + "\n");
    return;
  }
  hook_entries_ = hook_library_->entries;
}

void CMainWnd::Notify(const toolkit::Notification& notification) {
  // Notifications of the page's controls reach the page directly (virtual
  // window); "selectchanged" and "timer" of the frame are of no interest.
  if (notification.Is(toolkit::kNotifyClick)) OnClick(notification);
}

void CMainWnd::OnClick(const toolkit::Notification& notification) {
  const std::string_view name = notification.SenderName();
  if (name == "exit_btn") {
    if (!HasTray()) {
      Close(0);  // nowhere to wait: the program ends and frees the store
      return;
    }
    Show(false);
    hidden_for_no_device_ = false;
  } else if (name == "min_btn") {
    Minimize();
  }
}

bool CMainWnd::HandleCustomMessage(const toolkit::Message& message) {
  if (page_.HandleSessionMessage(message.id, message.wparam, message.lparam)) {
    RefreshTrayBattery();  // battery reports and link changes come this way
    return true;
  }
  switch (message.id) {
    case kMsgDestroy:
      toolkit().Quit(0);
      return true;
    case kMsgTimer:
      OnTimer(static_cast<uint32_t>(message.wparam));
      return true;
    case kMsgDeviceChange:
      OnDeviceChangeMessage();
      return true;
    case kMsgHookEvent:
    case kMsgIgnored1130:
    case kMsgIgnored1542:
    case kMsgIgnored5121:
      return true;
    case kMsgTrayIcon:
      OnTrayIcon(message.lparam);
      return true;
    case kMsgMenuCommand:
      if (message.menu_command) OnMenuCommand(*message.menu_command);
      return true;
    case kMsgShowInstance:
      ShowOrWarn();
      return true;
    case kMsgDeviceState:
      OnDeviceState();
      return true;
    case kMsgDpiIndicator:
      ShowDpiIndicator(message.wparam, message.lparam);
      return true;
    default:
      return false;
  }
}

void CMainWnd::OnTimer(uint32_t id) {
  switch (id) {
    case kTimerDpiIndicator:
      KillTimer(kTimerDpiIndicator);
      CloseDpiIndicator();
      break;
    case kTimerWirelessTimeout:
      page_.OnWirelessTimeout();
      break;
    case kTimerDelayedApply:
      KillTimer(kTimerDelayedApply);
      PostMessage(kMsgApplyRequest);
      break;
    case kTimerScrollSettings:
      KillTimer(kTimerScrollSettings);
      if (toolkit::Control* column = FindControl("ms_1_ver_setting")) column->ScrollToEnd();
      break;
    case kTimerChargingAnimation:
      page_.OnChargingAnimationTick();
      break;
    case kTimerWiredArrivalWait:
      OnArrivalWaitOver(id, DriverLink::kWired);
      break;
    case kTimerWirelessArrivalWait:
      OnArrivalWaitOver(id, DriverLink::kWireless);
      break;
    default:
      break;
  }
}

void CMainWnd::OnTrayIcon(intptr_t event) {
  if (event == kTrayLeftButtonUp) {
    ShowOrWarn();
  } else if (event == kTrayRightButtonUp) {
    tray_menu_.reset();
    toolkit::Point at = toolkit().CursorPosition();
    at.y -= kTrayMenuLift;
    tray_menu_ = CreateMenu("traymenu.xml", at,
                            [this](toolkit::MenuLayout& layout) { FillProfilesMenu(layout); });
    if (tray_menu_) tray_menu_->SetChecked(kAutostartItem, AutostartEnabled(autostart_file_));
  }
}

void CMainWnd::OnMenuCommand(const toolkit::MenuCommand& command) {
  if (EqualsIgnoringCase(Utf8ToUtf16(command.name), u"configuration")) {
    ShowOrWarn();
  } else if (command.name == kTrayProfileItem) {
    // As choosing the profile in the page's list.
    page_.SelectFromScript(command.data);
  } else if (command.name == "exit") {
    Close(0);
  } else if (command.name == kAutostartItem) {
    ToggleAutostart();
  } else if (command.name.compare(0, 4, "ms_1") == 0) {
    page_.AssignButtonFunction(command.name);
  }
}

void CMainWnd::ShowOrWarn() {
  // Without a tray the window itself says that the mouse is missing.
  if (window_device_present_ != 1 && HasTray()) {
    ShowNoDeviceBox();
    return;
  }
  // Shows it when hidden, restores it when minimised, and brings it forward.
  BringToFront();
}

void CMainWnd::ShowNoDeviceBox() {
  if (no_device_box_open_) return;
  no_device_box_open_ = true;
  CMsgWnd::Show(toolkit(), this, "warning_title_text", "no_device_text",
                language_.Text("no_device_hint_text"));
  no_device_box_open_ = false;
}

void CMainWnd::OnDeviceState() {
  window_device_present_ = page_.device_present();
  RefreshTrayBattery();
  AnnounceWaitingAtStart();
  ShowNoMouseState(window_device_present_ == 0);
  if (window_device_present_ != 0) {
    if (hidden_for_no_device_) {
      hidden_for_no_device_ = false;
      BringToFront();
    }
    return;
  }
  PutAwayForNoDevice();
}

void CMainWnd::ShowDpiIndicator(uintptr_t wparam, intptr_t lparam) {
  std::string text = "DPI :";
  if (wparam <= 2) text += std::to_string(lparam * 100);
  KillTimer(kTimerDpiIndicator);
  SetTimer(kTimerDpiIndicator, kDpiIndicatorMs);
  if (dpi_indicator_) {
    dpi_indicator_->SetText(text);
    return;
  }
  dpi_indicator_ = std::make_unique<CDPIMsg>(toolkit(), text);
  dpi_indicator_->Create(this, {.tool_window = true, .topmost = true, .activate = false});
}

void CMainWnd::CloseDpiIndicator() {
  if (!dpi_indicator_) return;
  dpi_indicator_.reset();  // destroys the window
}

void CMainWnd::OnDestroy() {
  // The program ends (exit, closing, SIGTERM): what the user changed is on
  // disk before anything else goes.
  FlushSaves();
  RememberWindowState();
  CloseDpiIndicator();
  if (hook_entries_.removemousehook != nullptr) hook_entries_.removemousehook();
  if (hook_entries_.removehook != nullptr) hook_entries_.removehook();
  hook_entries_ = {};
  hook_library_.reset();
  tray_menu_.reset();
  tray_icon_.reset();
  toolkit().Quit(0);
}

}  // namespace vexel
