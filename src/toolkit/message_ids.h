// Numbers of the window messages, thread messages and timers that the windows
// and the worker exchange. They are wire values between components: keep them.
#pragma once

#include <cstdint>

namespace vexel {

inline constexpr uint32_t kMsgUser = 1024;

// Main window messages.
inline constexpr uint32_t kMsgDestroy = 2;
inline constexpr uint32_t kMsgTimer = 275;
inline constexpr uint32_t kMsgDeviceChange = 537;
inline constexpr uint32_t kMsgTrayIcon = 1025;  // lParam 514 left up, 517 right up
inline constexpr uint32_t kMsgMenuCommand = 1027;
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

inline constexpr intptr_t kTrayLeftButtonUp = 514;
inline constexpr intptr_t kTrayRightButtonUp = 517;

// Thread message of the apply worker.
inline constexpr uint32_t kThreadMsgApply = 1536;

// Main window timers.
inline constexpr uint32_t kTimerDpiIndicator = 52;        // 2000 ms
inline constexpr uint32_t kTimerWirelessTimeout = 512;    // 6000 ms
inline constexpr uint32_t kTimerDelayedApply = 513;       // 200 or 500 ms
inline constexpr uint32_t kTimerScrollSettings = 514;     // 10 ms
inline constexpr uint32_t kTimerChargingAnimation = 515;  // 30 ms

// Control-bound timer of the page on "ms_1_progress_power".
inline constexpr uint32_t kTimerWiredChargingAnimation = 53;  // 30 ms

inline constexpr int kWirelessTimeoutMs = 6000;
inline constexpr int kDpiIndicatorMs = 2000;
inline constexpr int kChargingAnimationMs = 30;

}  // namespace vexel
