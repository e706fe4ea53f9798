// Numbers of the images the widgets and pages ask for; the numbers are the resource ids.
#pragma once

namespace zel {

inline constexpr int IDB_STRIP_CHANNEL = 146;        // band strip gain slider, vertical
inline constexpr int IDB_STRIP_THUMB = 154;          // its thumb
inline constexpr int IDB_STRIP_THUMB_ACTIVE = 155;   // its thumb while dragged or focused
inline constexpr int IDB_PANEL_CHANNEL = 157;        // level slider of every page, horizontal
inline constexpr int IDB_PANEL_THUMB_ACTIVE = 158;   //
inline constexpr int IDB_PANEL_THUMB = 159;          //
inline constexpr int IDB_DROP_BUTTON = 173;          // drop-down button (band type)
inline constexpr int IDB_DROP_BUTTON_OPEN = 175;     // drop-down button while its list is open
inline constexpr int IDB_MASTER_CHANNEL_LIT = 2000;  // master level, part below the thumb
inline constexpr int IDB_MASTER_THUMB_ACTIVE = 2001; //
inline constexpr int IDB_MASTER_CHANNEL = 2002;      // master level, part above the thumb
inline constexpr int IDB_MASTER_THUMB = 2003;        //
inline constexpr int IDB_VOLUME_CHANNEL_LIT = 2008;  // Volume panel level, part below the thumb
inline constexpr int IDB_VOLUME_CHANNEL = 2009;      // Volume panel level, part above the thumb

} // namespace zel
