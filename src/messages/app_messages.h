// Numbers of the window messages and timers that the program's windows, the
// device session, the driver libraries and the hook library exchange. They are
// wire values between components: keep them. The toolkit's own numbers
// (destroy, timer, menu command, tray clicks) are in toolkit/message_ids.h.
#pragma once

#include <cstdint>

namespace vexel {

// Main window messages.
inline constexpr uint32_t kMsgDeviceChange = 537;
inline constexpr uint32_t kMsgTrayIcon = 1025;   // lParam 514 left up, 517 right up
inline constexpr uint32_t kMsgHookEvent = 1034;  // hook library -> macro editor / shortcut dialog
inline constexpr uint32_t kMsgShowInstance = 1037;  // sent by a second instance
inline constexpr uint32_t kMsgDeviceState = 1128;
inline constexpr uint32_t kMsgDpiIndicator = 1129;
inline constexpr uint32_t kMsgIgnored1130 = 1130;
inline constexpr uint32_t kMsgWirelessStatus = 1537;
inline constexpr uint32_t kMsgWirelessConnection = 1538;
inline constexpr uint32_t kMsgWiredStatus = 1539;
inline constexpr uint32_t kMsgWiredConnection = 1540;
inline constexpr uint32_t kMsgApplyRequest = 1541;
inline constexpr uint32_t kMsgIgnored1542 = 1542;
inline constexpr uint32_t kMsgIgnored5121 = 5121;
// Private: the apply worker asks the UI thread for its timers and busy
// indicator (wparam says which).
inline constexpr uint32_t kMsgWorkerEffect = 1624;
// Private: a status value of the BLE link arrived on the Bluetooth stack's
// thread; the session holds the bytes until the UI thread takes them.
inline constexpr uint32_t kMsgBleNotification = 1625;
// Private: the store's writer thread wrote a file; the session holds the
// results until the UI thread takes them.
inline constexpr uint32_t kMsgStoreSaved = 1626;

// Main window timers.
inline constexpr uint32_t kTimerDpiIndicator = 52;        // 2000 ms
inline constexpr uint32_t kTimerWirelessTimeout = 512;    // 6000 ms
inline constexpr uint32_t kTimerDelayedApply = 513;       // 200 or 500 ms
inline constexpr uint32_t kTimerScrollSettings = 514;     // 10 ms
inline constexpr uint32_t kTimerChargingAnimation = 515;  // 30 ms
// The arrival waits of the cable and the receiver before their device opens.
inline constexpr uint32_t kTimerWiredArrivalWait = 516;     // 1000 ms
inline constexpr uint32_t kTimerWirelessArrivalWait = 517;  // 1000 ms

// Control-bound timer of the page on "ms_1_progress_power".
inline constexpr uint32_t kTimerWiredChargingAnimation = 53;  // 30 ms

// Control-bound timers of the macro editor: scroll the inserted rows into view.
inline constexpr uint32_t kTimerMacroScrollInsert = 6;        // 50 ms, row insert_position - 1
inline constexpr uint32_t kTimerMacroScrollFirstInsert = 28;  // 50 ms, row first_insert_position
inline constexpr int kMacroScrollTimerMs = 50;

// wParam of kMsgHookEvent for mouse buttons (keys carry their virtual-key code).
inline constexpr uintptr_t kHookLeftButtonDown = 513;
inline constexpr uintptr_t kHookLeftButtonUp = 514;
inline constexpr uintptr_t kHookRightButtonDown = 516;
inline constexpr uintptr_t kHookRightButtonUp = 517;
inline constexpr uintptr_t kHookMiddleButtonDown = 519;
inline constexpr uintptr_t kHookMiddleButtonUp = 520;
inline constexpr uintptr_t kHookSideButtonDown = 523;  // lParam: side button 1 or 2
inline constexpr uintptr_t kHookSideButtonUp = 524;
inline constexpr uintptr_t kHookWheel = 522;            // lParam: +120 up, -120 down
inline constexpr uintptr_t kHookHorizontalWheel = 526;  // lParam: +120 right, -120 left
inline constexpr intptr_t kWheelStep = 120;
// lParam of a key's kMsgHookEvent (wParam: its virtual-key code).
inline constexpr intptr_t kKeyPressed = 0;
inline constexpr intptr_t kKeyReleased = 1;

inline constexpr int kDelayedApplyShortMs = 200;
inline constexpr int kDelayedApplyLongMs = 500;
inline constexpr int kScrollSettingsMs = 10;
inline constexpr int kWirelessTimeoutMs = 6000;
inline constexpr int kDpiIndicatorMs = 2000;
inline constexpr int kChargingAnimationMs = 30;

}  // namespace vexel
