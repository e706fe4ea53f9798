// SimProcess: spawning, signalling and reading a zel-sim child.
#include "SimProcess.h"

#include <iterator>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zel::test {

using namespace std::chrono_literals;

std::function<bool()> SimProcess::dumpLogOnExit;

SimProcess::SimProcess(const std::string& name, const std::vector<std::string>& args) {
    char pattern[] = "/tmp/zel-link-test-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    m_link = m_dir + "/" + name;
    m_log = m_dir + "/" + name + ".log";
    m_state = m_dir + "/" + name + ".state";
    std::vector<std::string> argv = {ZEL_SIM_PATH, "--link",       m_link, "--log",
                                     m_log,        "--dump-state", m_state};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& a : argv)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&m_pid, ZEL_SIM_PATH, &actions, nullptr, cargs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " ZEL_SIM_PATH);
    struct stat st {};
    for (int i = 0; i < 300 && lstat(m_link.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(10ms);
    if (lstat(m_link.c_str(), &st) != 0)
        throw std::runtime_error("zel-sim did not publish its link " + m_link);
}

SimProcess::~SimProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        // A simulator that hangs on its way out (a sanitizer's exit check) is killed after
        // a while rather than waited for for ever.
        int status = 0;
        for (int i = 0; i < 500 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(10ms);
        if (waitpid(m_pid, &status, WNOHANG) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
    }
    if (dumpLogOnExit && dumpLogOnExit()) {
        std::ifstream in(m_log);
        std::fprintf(stderr, "--- log of zel-sim %s\n%s", m_link.c_str(),
                     std::string(std::istreambuf_iterator<char>(in), {}).c_str());
    }
    for (const std::string& f : {m_log, m_state, m_state + ".new", m_link})
        unlink(f.c_str());
    rmdir(m_dir.c_str());
}

void SimProcess::signal(int sig) const {
    kill(m_pid, sig);
}

std::vector<SimLogLine> SimProcess::log() const {
    std::vector<SimLogLine> lines;
    std::ifstream in(m_log);
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream s(text);
        double seconds = 0;
        std::string frame, word;
        SimLogLine line;
        s >> seconds >> frame >> line.tag;
        line.at = std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(seconds)));
        line.frame = std::atol(frame.c_str() + 1);
        while (s >> word && word[0] != '(')
            line.bytes.push_back(
                static_cast<std::uint8_t>(std::strtoul(word.c_str(), nullptr, 16)));
        if (const auto open = text.find(" ("); open != std::string::npos)
            line.note = text.substr(open + 2, text.size() - open - 3);
        lines.push_back(line);
    }
    return lines;
}

std::vector<SimLogLine> SimProcess::received() const {
    std::vector<SimLogLine> rx;
    for (SimLogLine& l : log())
        if (l.tag == "RX")
            rx.push_back(l);
    return rx;
}

DeviceParams SimProcess::state() const {
    unlink(m_state.c_str());
    signal(SIGUSR2);
    for (int i = 0; i < 200; ++i) {
        std::ifstream in(m_state, std::ios::binary);
        DeviceParams p{};
        if (in.read(reinterpret_cast<char*>(&p), sizeof p))
            return p;
        std::this_thread::sleep_for(10ms);
    }
    throw std::runtime_error("zel-sim wrote no state file");
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    char b[4];
    for (std::uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%s%02X", s.empty() ? "" : " ", v);
        s += b;
    }
    return s;
}

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values) {
    std::vector<std::uint8_t> v;
    for (int x : values)
        v.push_back(static_cast<std::uint8_t>(x));
    return v;
}

} // namespace zel::test
