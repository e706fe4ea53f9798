// UserSettings: small per-user settings addressed like the registry under HKEY_CURRENT_USER -
// a key path ("Software\ZEL.exe\Language") holding named 32-bit values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zel {

// Windows: the registry key under HKEY_CURRENT_USER, values of type REG_DWORD. Elsewhere: a
// folder per key under the XDG config directory ($XDG_CONFIG_HOME, else ~/.config) in
// "zel/", the backslashes of the path becoming folders, and a file per value holding
// "dword:" and eight hex digits. Every operation fails silently with its result only.
class UserSettings {
public:
    // Whether the key exists and can be opened for reading and writing.
    static bool keyExists(const std::string& keyPath);
    // Creates the key and its parents; true when it exists afterwards.
    static bool createKey(const std::string& keyPath);
    // The value when the key exists and the value is a 4-byte DWORD; nothing otherwise.
    static std::optional<std::uint32_t> readDword(const std::string& keyPath,
                                                  const std::string& valueName);
    // Writes the value into an existing key; false when the key does not exist or the
    // value cannot be written.
    static bool writeDword(const std::string& keyPath, const std::string& valueName,
                           std::uint32_t value);
    // Where a key lives, for messages and tests ("HKEY_CURRENT_USER\..." or a folder).
    static std::string keyLocation(const std::string& keyPath);
};

} // namespace zel
