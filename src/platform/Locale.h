// Locale: the system's default locale as a Windows locale id (LCID), on every platform.
#pragma once

#include <cstdint>
#include <string_view>

namespace zel {

inline constexpr std::uint32_t kLcidChinesePrc = 0x0804;
inline constexpr std::uint32_t kLcidChineseTaiwan = 0x0404;
inline constexpr std::uint32_t kLcidEnglishUs = 0x0409;

// The system default locale id: GetSystemDefaultLCID on Windows; elsewhere the locale the
// environment names (LC_ALL, then LANG) mapped with lcidFromLocaleName.
std::uint32_t systemDefaultLcid();

// A POSIX locale name ("zh_CN.UTF-8", "en_GB", "de_DE@euro") as its LCID; 0x0409 for "C",
// "POSIX", an empty name and any language not in the table.
std::uint32_t lcidFromLocaleName(std::string_view name);

} // namespace zel
