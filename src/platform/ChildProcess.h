// ChildProcess: another program run beside this one, its output and error output going to
// files, watched without blocking so that many can run at once.
#pragma once

#include <string>
#include <vector>

namespace zel {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess(); // a child still running is killed and reaped
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` with `args` (without the program name), stdout into `outFile` and
    // stderr into `errFile` (both replaced). False with a reason in `error`.
    bool start(const std::string& program, const std::vector<std::string>& args,
               const std::string& outFile, const std::string& errFile, std::string& error);
    // Whether the child has ended; then `exitStatus` is its exit status, or -1 when it was
    // ended by a signal or could not be waited for. Never blocks.
    bool finished(int& exitStatus);
    // Ends the child at once.
    void kill();

    // The path of the running program, to start more of itself.
    static std::string selfPath();

private:
    struct Native;
    Native* m_native = nullptr;
};

} // namespace zel
