// Checking mode files and assignments before anything is sent.
#include "Inputs.h"

#include "eq/CurveModels.h"
#include "modes/ModeFile.h"
#include "modes/ModePaths.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

namespace zel::ctl {

bool readModeInput(const std::string& path, DeviceParams& out, std::string& error) {
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec) ||
        !readModeFile(pathFromUtf8(path), bytes)) {
        error = "cannot read the mode file " + path;
        return false;
    }
    if (!decodeMode(bytes, out)) {
        error = path + " is not a mode file: expected 1427 bytes starting with length byte 8 " +
                "and \"ZEL_3.00\", found " +
                (bytes.size() > kModeFileSize ? std::string("more than 1427")
                                              : std::to_string(bytes.size())) +
                " bytes" + (bytes.size() == kModeFileSize ? " with another header" : "");
        return false;
    }
    return true;
}

bool checkWritable(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    const fs::path p = pathFromUtf8(path);
    std::error_code ec;
    fs::path dir = p.parent_path();
    if (dir.empty())
        dir = ".";
    if (p.filename().empty() || fs::is_directory(p, ec)) {
        error = "cannot write " + path + ": it names a folder, not a file";
        return false;
    }
    if (!fs::is_directory(dir, ec)) {
        error = "cannot write " + path + ": the folder " + utf8FromPath(dir) + " does not exist";
        return false;
    }
    // The file itself is written through a temporary file in its folder, so the folder is
    // what must take new files; find out now, before the port is opened.
    std::mt19937_64 rng(
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::path probe = p;
    probe += ".probe" + std::to_string(rng() % 1000000000ULL);
    bool created = false;
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        created = static_cast<bool>(out);
    }
    fs::remove(probe, ec);
    if (!created) {
        error = "cannot write " + path + ": the folder " + utf8FromPath(dir) +
                " does not take new files (read-only or no permission)";
        return false;
    }
    return true;
}

bool parseAssignment(const std::string& arg, Assignment& out, std::string& error) {
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "'" + arg + "' is not FIELD=VALUE";
        return false;
    }
    const std::string name = arg.substr(0, eq);
    const std::string value = arg.substr(eq + 1);
    const Field* f = findField(name);
    if (!f) {
        error = "unknown field '" + name + "' (zelctl show FILE lists the field names)";
        return false;
    }
    if (f->delivery == Delivery::Derived) {
        error = name + " follows the master volume; set masterVolume[" +
                std::string(1, name[name.size() - 2]) + "] instead";
        return false;
    }
    if (f->delivery == Delivery::Never) {
        error = name + " is kept on the PC only; the processor never receives it";
        return false;
    }
    out = {};
    out.field = f;
    if (f->isText()) {
        if (value.size() > f->size()) {
            error = name + " takes at most " + std::to_string(f->size()) + " characters, not " +
                    std::to_string(value.size());
            return false;
        }
        out.text = value;
        return true;
    }
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
        error = name + ": '" + value + "' is not a decimal number";
        return false;
    }
    if (!inRange(*f, v)) {
        error = name + "=" + value + " is out of range (" + std::to_string(f->min) + ".." +
                std::to_string(f->max) + ")";
        return false;
    }
    out.value = v;
    return true;
}

bool parseBlock(const std::string& text, int& block, std::string& error) {
    block = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), block);
    if (ec != std::errc() || end != text.data() + text.size() || block < 0 ||
        block >= kEqBlockCount) {
        error = "BLOCK must be an EQ block number 0..14, not '" + text + "'";
        return false;
    }
    return true;
}

bool danceBankOf(const DeviceParams& file, int block, const std::string& bank) {
    if (!isSceneBlock(block))
        return false;
    if (!bank.empty())
        return bank == "dance";
    return (file.scene == 0 ? file.lastManualScene : file.scene) == 2;
}

} // namespace zel::ctl
