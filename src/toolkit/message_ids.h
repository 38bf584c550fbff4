// The numbered messages the toolkit itself sends to windows. The program's
// own numbers live with the program (messages/app_messages.h).
#pragma once

#include <cstdint>

namespace vexel {

inline constexpr uint32_t kMsgUser = 1024;  // first number free for applications

inline constexpr uint32_t kMsgDestroy = 2;
inline constexpr uint32_t kMsgTimer = 275;         // wparam: timer id
inline constexpr uint32_t kMsgMenuCommand = 1027;  // a menu item was chosen

// lparam of a tray icon's callback message.
inline constexpr intptr_t kTrayLeftButtonUp = 514;
inline constexpr intptr_t kTrayRightButtonUp = 517;

}  // namespace vexel
