// UserSettings: keys as folders under the XDG config directory, values as small text files.
#include "platform/UserSettings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace zel {

namespace {

namespace fs = std::filesystem;

fs::path configRoot() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        return fs::path(xdg) / "zel";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return fs::path(home) / ".config" / "zel";
    return {};
}

fs::path keyFolder(const std::string& keyPath) {
    fs::path folder = configRoot();
    if (folder.empty())
        return {};
    std::string part;
    std::istringstream parts(keyPath);
    while (std::getline(parts, part, '\\'))
        if (!part.empty() && part != "." && part != "..")
            folder /= part;
    return folder;
}

} // namespace

bool UserSettings::keyExists(const std::string& keyPath) {
    const fs::path folder = keyFolder(keyPath);
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec);
}

bool UserSettings::createKey(const std::string& keyPath) {
    const fs::path folder = keyFolder(keyPath);
    if (folder.empty())
        return false;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

std::optional<std::uint32_t> UserSettings::readDword(const std::string& keyPath,
                                                     const std::string& valueName) {
    if (!keyExists(keyPath))
        return std::nullopt;
    std::ifstream in(keyFolder(keyPath) / valueName);
    std::string text;
    if (!in || !std::getline(in, text))
        return std::nullopt;
    constexpr std::string_view prefix = "dword:";
    if (text.size() != prefix.size() + 8 || text.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text.substr(prefix.size())) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool UserSettings::writeDword(const std::string& keyPath, const std::string& valueName,
                              std::uint32_t value) {
    if (!keyExists(keyPath))
        return false;
    // Written beside and renamed over, so a crash never leaves half a value.
    const fs::path target = keyFolder(keyPath) / valueName;
    fs::path temporary = target;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x\n", value);
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    return !ec;
}

std::string UserSettings::keyLocation(const std::string& keyPath) {
    return keyFolder(keyPath).string();
}

} // namespace zel
