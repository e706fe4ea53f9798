// Where the PC mode library lives: the folder MusicData of the current directory at
// start-up, and the "*.dat" files in it.
#pragma once

#include <filesystem>
#include <string>

namespace zel {

// Set once at start-up by initModePaths (right after initDefaults); empty before.
extern std::filesystem::path g_modeFolder;        // <current directory>/MusicData/
extern std::filesystem::path g_modeSearchPattern; // <current directory>/MusicData/*.dat

// Sets both paths from the current directory, with the platform's separator.
void initModePaths();
// Creates the folder when it does not exist; false when it cannot be created.
bool createModeFolder();
// Whether a file name matches the search pattern "*.dat" (the extension in any case, as
// the Windows file search matches it).
bool matchesModePattern(const std::filesystem::path& fileName);

// Text to path and back, in UTF-8 on every platform, so Chinese mode names survive.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

} // namespace zel
