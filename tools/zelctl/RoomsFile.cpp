// Reading the rooms file of zelctl fleet.
#include "RoomsFile.h"

#include "modes/ModePaths.h"
#include "platform/NetworkPortName.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zel::ctl {

bool parseRooms(const std::string& text, const std::string& origin, std::vector<Room>& rooms,
                std::string& error) {
    rooms.clear();
    const std::filesystem::path folder = pathFromUtf8(origin).parent_path();
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (const auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string w; words >> w;)
            fields.push_back(w);
        if (fields.empty())
            continue;
        const std::string at = origin + ":" + std::to_string(number) + ": ";
        if (fields.size() < 2 || fields.size() > 3) {
            error = at + "expected NAME PORT [MODE-FILE], found " + std::to_string(fields.size()) +
                    (fields.size() == 1 ? " field" : " fields");
            return false;
        }
        for (const Room& r : rooms) {
            if (r.name == fields[0]) {
                error = at + "room " + fields[0] + " is already on line " + std::to_string(r.line);
                return false;
            }
            if (r.port == fields[1]) {
                error = at + "port " + fields[1] + " is already room " + r.name + "'s";
                return false;
            }
        }
        if (NetworkPortName net;
            isNetworkPortName(fields[1]) && !parseNetworkPortName(fields[1], net, error)) {
            error = at + error;
            return false;
        }
        Room room;
        room.name = fields[0];
        room.port = fields[1];
        room.line = number;
        if (fields.size() == 3) {
            const std::filesystem::path p = pathFromUtf8(fields[2]);
            room.approved = utf8FromPath(p.is_absolute() ? p : folder / p);
        }
        rooms.push_back(std::move(room));
    }
    if (rooms.empty()) {
        error = origin + ": no rooms (one line per room: NAME PORT [MODE-FILE])";
        return false;
    }
    return true;
}

bool readRooms(const std::string& path, std::vector<Room>& rooms, std::string& error) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(pathFromUtf8(path), ec)) {
        error = "cannot read the rooms file " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseRooms(text.str(), path, rooms, error);
}

} // namespace zel::ctl
