// The rooms file of zelctl fleet: one room per line - a name, a port name and optionally
// the room's approved mode file - with '#' starting a comment.
#pragma once

#include <string>
#include <vector>

namespace zel::ctl {

struct Room {
    std::string name;
    std::string port;     // a device path or a tcp:// / rfc2217:// name
    std::string approved; // the approved mode file, relative to the rooms file's folder
                          // resolved; empty when the line names none
    int line = 0;         // where the room is in the file, for messages
};

// Parses the text of a rooms file; `origin` names it in messages and its folder anchors
// relative mode-file names. False with "ORIGIN:LINE: what is wrong" in `error`.
bool parseRooms(const std::string& text, const std::string& origin, std::vector<Room>& rooms,
                std::string& error);

// Reads and parses the rooms file at `path`.
bool readRooms(const std::string& path, std::vector<Room>& rooms, std::string& error);

} // namespace zel::ctl
