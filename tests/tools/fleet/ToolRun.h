// Running zelctl from a test: bounded in time, stdout and stderr kept apart.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>

namespace zel::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string slurpText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs zelctl with `args` (already quoted) in `dir`, with `env` assignments before it.
inline ToolRun runZelctl(const std::filesystem::path& dir, const std::string& args,
                         const std::string& env = "") {
    const auto out = dir / "ctl.out", err = dir / "ctl.err";
    const std::string cmd = "cd " + shellQuoted(dir.string()) + " && ZEL_EXTRA_PORTS= " + env +
                            " timeout 120 " + shellQuoted(ZELCTL_PATH) + " " + args + " >" +
                            shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const int raw = std::system(cmd.c_str());
    ToolRun r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurpText(out);
    r.err = slurpText(err);
    return r;
}

} // namespace zel::test
