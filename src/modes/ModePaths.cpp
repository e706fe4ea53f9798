// Paths of the PC mode library.
#include "modes/ModePaths.h"

#include <system_error>

namespace zel {

std::filesystem::path g_modeFolder;
std::filesystem::path g_modeSearchPattern;

void initModePaths() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::current_path(ec);
    g_modeFolder = (dir / "MusicData" / "").make_preferred();
    g_modeSearchPattern = (g_modeFolder / "*.dat").make_preferred();
}

bool createModeFolder() {
    std::error_code ec;
    if (std::filesystem::is_directory(g_modeFolder, ec))
        return true;
    std::filesystem::create_directories(g_modeFolder, ec);
    return std::filesystem::is_directory(g_modeFolder, ec);
}

bool matchesModePattern(const std::filesystem::path& fileName) {
    const std::string name = utf8FromPath(fileName.filename());
    if (name.size() < 4)
        return false;
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext == ".dat";
}

std::filesystem::path pathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

} // namespace zel
