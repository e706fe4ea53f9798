// Virtual-key codes that travel in message parameters (band navigation, hotkeys).
#pragma once

#include "platform/Messages.h"

namespace zel {

inline constexpr LPARAM VK_LEFT = 0x25;
inline constexpr LPARAM VK_UP = 0x26;
inline constexpr LPARAM VK_RIGHT = 0x27;
inline constexpr LPARAM VK_DOWN = 0x28;

} // namespace zel
