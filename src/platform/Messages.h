// Window-message numbers shared by every target: the values the controls, panels and
// the port thread exchange, as offsets from WM_USER.
#pragma once

#include <cstdint>

namespace zel {

using MessageId = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr MessageId WM_USER = 0x400;
inline constexpr MessageId WM_KEYDOWN = 0x100;

inline constexpr MessageId WM_GRAPH_BAND_SELECTED = WM_USER + 100;
inline constexpr MessageId WM_LINK_SYNCED = WM_USER + 110;
// The connection controller's own carriers from the port thread to the window thread: a
// title change (wParam state, lParam online), a port error text waiting to be shown, and
// the fence that marks the end of a closed port thread's reports.
inline constexpr MessageId WM_LINK_STATE = WM_USER + 111;
inline constexpr MessageId WM_LINK_COMM_ERROR = WM_USER + 112;
inline constexpr MessageId WM_LINK_FENCE = WM_USER + 113;
inline constexpr MessageId WM_LINK_FAILED = WM_USER + 114;
inline constexpr MessageId WM_LINK_CONNECT = WM_USER + 115;
// An upload frame was answered; the count is CCommand::uploadAnswered(). Coalesced: one
// is queued at a time.
inline constexpr MessageId WM_SYSTEM_UPLOAD_PROGRESS = WM_USER + 116;
inline constexpr MessageId WM_SYSTEM_SYNCED = WM_USER + 117;
inline constexpr MessageId WM_SYSTEM_UPLOAD_DONE = WM_USER + 118;
inline constexpr MessageId WM_SYSTEM_COMMAND_ACK = WM_USER + 119;
inline constexpr MessageId WM_SELECT_PAGE = WM_USER + 120;
inline constexpr MessageId WM_BAND_SELECTED = WM_USER + 121;
inline constexpr MessageId WM_HOTKEY_KEY = WM_USER + 200;
inline constexpr MessageId WM_APPLY_LANGUAGE = WM_USER + 201;
inline constexpr MessageId WM_BAND_NAVIGATE = WM_USER + 700;
inline constexpr MessageId WM_DROPLIST_SELECTED = WM_USER + 802;
inline constexpr MessageId WM_LABEL_REPAINT = WM_USER + 1616;
inline constexpr MessageId WM_SLIDER_MOVING = WM_USER + 9425;
inline constexpr MessageId WM_SLIDER_MOVED = WM_USER + 9426;
inline constexpr MessageId WM_NUMEDIT_CHANGED = WM_USER + 9500;

} // namespace zel
