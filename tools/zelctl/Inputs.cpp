// Checking mode files and assignments before anything is sent.
#include "Inputs.h"

#include "eq/CurveModels.h"
#include "modes/ModeFile.h"
#include "modes/ModeName.h"
#include "modes/ModePaths.h"
#include "platform/NetworkPortName.h"
#include "platform/PortName.h"

#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

namespace zel::ctl {

std::string escapedText(const std::string& text) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kDigits[u >> 4];
            out += kDigits[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool readModeInput(const std::string& path, DeviceParams& out, std::string& error) {
    std::vector<std::uint8_t> bytes;
    return readModeInput(path, out, bytes, error);
}

bool readModeInput(const std::string& path, DeviceParams& out, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
    std::error_code ec;
    const auto status = std::filesystem::status(pathFromUtf8(path), ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        // Opening a FIFO would wait for a writer, a device would never end.
        error = escapedText(path) +
                " is not a mode file: it is a folder, FIFO or device, not a regular file";
        return false;
    }
    if (ec || !readModeFile(pathFromUtf8(path), bytes)) {
        error = "cannot read the mode file " + escapedText(path);
        return false;
    }
    if (!decodeMode(bytes, out)) {
        error = escapedText(path) +
                " is not a mode file: expected 1427 bytes starting with length byte 8 " +
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
        error = "cannot write " + escapedText(path) + ": it names a folder, not a file";
        return false;
    }
    if (!fs::is_directory(dir, ec)) {
        error = "cannot write " + escapedText(path) + ": the folder " +
                escapedText(utf8FromPath(dir)) + " does not exist";
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
        error = "cannot write " + escapedText(path) + ": the folder " +
                escapedText(utf8FromPath(dir)) +
                " does not take new files (read-only or no permission)";
        return false;
    }
    return true;
}

bool parseAssignment(const std::string& arg, Assignment& out, std::string& error) {
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
        // Built by append: GCC 12 misreads a short literal assigned here at -O3 (-Wrestrict).
        error.assign(1, '\'').append(escapedText(arg)).append("' is not FIELD=VALUE");
        return false;
    }
    const std::string name = arg.substr(0, eq);
    const std::string value = arg.substr(eq + 1);
    const Field* f = findField(name);
    if (!f) {
        error =
            "unknown field '" + escapedText(name) + "' (zelctl show FILE lists the field names)";
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
        // The store keeps names in the processor's code page; the terminal speaks UTF-8.
        std::string reason;
        if (!encodeModeName(value, out.text, reason)) {
            error = name + ": " + reason;
            return false;
        }
        return true;
    }
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
        error = name + ": '" + escapedText(value) + "' is not a decimal number";
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

bool checkPortName(const std::string& name, std::string& error) {
    if (name.empty())
        return true; // the ports of the machine, searched in discovery order
    if (isNetworkPortName(name))
        return true; // a serial device server; the name was checked when it was parsed
    std::string reason;
    if (isTerminalDevice(name, reason))
        return true;
    error = "--port " + escapedText(name) + " is not a serial port: " + reason;
    return false;
}

bool parseAssignments(const std::vector<std::string>& args, std::vector<Assignment>& out,
                      std::string& error) {
    out.clear();
    for (const std::string& arg : args) {
        Assignment a;
        if (!parseAssignment(arg, a, error))
            return false;
        // Two values for one field in one command are almost certainly a script's mistake.
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (out[i].field == a.field) {
                error = a.field->name + " is given twice ('" + escapedText(args[i]) + "' and '" +
                        escapedText(arg) + "'); give each field once";
                return false;
            }
        }
        out.push_back(a);
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
