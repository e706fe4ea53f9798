// Language: the UI language chosen from the system locale and kept per user.
#pragma once

#include <cstdint>

namespace zel {

// Where the choice is kept: the registry key under HKEY_CURRENT_USER (a settings folder of
// the same path elsewhere) and its DWORD value, 1 Chinese, 0 English.
inline constexpr const char* kLanguageKey = "Software\\ZEL.exe\\Language";
inline constexpr const char* kLanguageValue = "Language";

// Start-up: g_systemLcid = lcid; Chinese exactly when it is the PRC locale 0x0804.
void chooseLanguageFromLocale(std::uint32_t lcid);

// Reads the stored choice into g_bChinese (any non-zero value means Chinese). A key without a
// readable DWORD keeps the locale default; a missing key is created with it.
void loadLanguage();

// Flips g_bChinese and stores it when the key exists (only loadLanguage creates it).
void toggleLanguage();

} // namespace zel
