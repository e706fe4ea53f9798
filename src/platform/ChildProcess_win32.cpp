// ChildProcess on Windows: CreateProcess with inheritable handles of the output files, and
// a zero-time wait on the process handle.
#include "platform/ChildProcess.h"

#include <windows.h>

namespace zel {

namespace {

// One argument quoted for the C runtime's command-line parser.
std::string quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

HANDLE createOutput(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

struct ChildProcess::Native {
    HANDLE process = nullptr;
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
    std::string line = quoted(program);
    for (const std::string& a : args) {
        line += ' ';
        line += quoted(a);
    }
    const HANDLE out = createOutput(outFile);
    const HANDLE err = createOutput(errFile);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const BOOL ok = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
                    ::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, nullptr, &si, &pi);
    const DWORD code = ::GetLastError();
    if (out != INVALID_HANDLE_VALUE)
        ::CloseHandle(out);
    if (err != INVALID_HANDLE_VALUE)
        ::CloseHandle(err);
    if (!ok) {
        error = "cannot start " + program + " (error " + std::to_string(code) + ")";
        return false;
    }
    ::CloseHandle(pi.hThread);
    m_native->process = pi.hProcess;
    return true;
}

bool ChildProcess::finished(int& exitStatus) {
    exitStatus = -1;
    if (!m_native || !m_native->process)
        return true;
    if (::WaitForSingleObject(m_native->process, 0) == WAIT_TIMEOUT)
        return false;
    DWORD code = 0;
    if (::GetExitCodeProcess(m_native->process, &code))
        exitStatus = static_cast<int>(code);
    ::CloseHandle(m_native->process);
    m_native->process = nullptr;
    return true;
}

void ChildProcess::kill() {
    if (!m_native || !m_native->process)
        return;
    ::TerminateProcess(m_native->process, 1);
    ::WaitForSingleObject(m_native->process, INFINITE);
    ::CloseHandle(m_native->process);
    m_native->process = nullptr;
}

std::string ChildProcess::selfPath() {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

} // namespace zel
