// ChildProcess on POSIX: posix_spawn with the output files opened by the spawn itself, and
// waitpid with WNOHANG.
#include "platform/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

namespace zel {

struct ChildProcess::Native {
    pid_t pid = -1;
};

ChildProcess::~ChildProcess() {
    kill();
    delete m_native;
}

bool ChildProcess::start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& outFile, const std::string& errFile,
                         std::string& error) {
    if (!m_native)
        m_native = new Native;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int r = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) {
        error = "cannot start " + program + ": " + std::system_category().message(r);
        return false;
    }
    m_native->pid = pid;
    return true;
}

bool ChildProcess::finished(int& exitStatus) {
    exitStatus = -1;
    if (!m_native || m_native->pid < 0)
        return true;
    int status = 0;
    pid_t r;
    while ((r = ::waitpid(m_native->pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (r == 0)
        return false;
    m_native->pid = -1;
    if (r > 0 && WIFEXITED(status))
        exitStatus = WEXITSTATUS(status);
    return true;
}

void ChildProcess::kill() {
    if (!m_native || m_native->pid < 0)
        return;
    ::kill(m_native->pid, SIGKILL);
    while (::waitpid(m_native->pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_native->pid = -1;
}

std::string ChildProcess::selfPath() {
    std::error_code ec;
    const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

} // namespace zel
