// UserSettings: the registry under HKEY_CURRENT_USER, opened and created with full access,
// values of type REG_DWORD.
#include "platform/UserSettings.h"

#include <windows.h>

#include <string>

namespace zel {

namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

HKEY openKey(const std::string& keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(keyPath).c_str(), 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

bool UserSettings::keyExists(const std::string& keyPath) {
    HKEY key = openKey(keyPath);
    if (key == nullptr)
        return false;
    RegCloseKey(key);
    return true;
}

bool UserSettings::createKey(const std::string& keyPath) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, wide(keyPath).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::uint32_t> UserSettings::readDword(const std::string& keyPath,
                                                     const std::string& valueName) {
    HKEY key = openKey(keyPath);
    if (key == nullptr)
        return std::nullopt;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LONG rc = RegQueryValueExW(key, wide(valueName).c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data)
        return std::nullopt;
    return static_cast<std::uint32_t>(data);
}

bool UserSettings::writeDword(const std::string& keyPath, const std::string& valueName,
                              std::uint32_t value) {
    HKEY key = openKey(keyPath);
    if (key == nullptr)
        return false;
    const DWORD data = value;
    const LONG rc = RegSetValueExW(key, wide(valueName).c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

std::string UserSettings::keyLocation(const std::string& keyPath) {
    return "HKEY_CURRENT_USER\\" + keyPath;
}

} // namespace zel
