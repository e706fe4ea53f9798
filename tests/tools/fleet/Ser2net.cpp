// Ser2net: its YAML configuration, start, readiness from the kernel's socket table, stop.
#include "Ser2net.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::test {

namespace {

// Whether 127.0.0.1:port is in the listening state, read without connecting (a connect
// would make the server open the serial device).
bool listening(std::uint16_t port) {
    std::ifstream in("/proc/net/tcp");
    char want[32];
    std::snprintf(want, sizeof want, "0100007F:%04X", port);
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        std::string slot, local, remote, state;
        s >> slot >> local >> remote >> state;
        if (local == want && state == "0A")
            return true;
    }
    return false;
}

} // namespace

Ser2net::Ser2net() {
    char pattern[] = "/tmp/zel-ser2net-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
}

Ser2net::~Ser2net() {
    stop();
    std::remove((m_dir + "/ser2net.yaml").c_str());
    std::remove((m_dir + "/ser2net.out").c_str());
    ::rmdir(m_dir.c_str());
}

std::uint16_t Ser2net::freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

std::string Ser2net::publish(const std::string& path, bool telnet) {
    std::uint16_t port;
    bool taken;
    do {
        port = freePort();
        taken = false;
        for (const Entry& e : m_entries)
            taken = taken || e.port == port;
    } while (taken);
    m_entries.push_back({path, telnet, port});
    return std::string(telnet ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port);
}

void Ser2net::start() {
    const std::string config = m_dir + "/ser2net.yaml";
    {
        std::ofstream out(config);
        out << "%YAML 1.1\n---\n";
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const Entry& e = m_entries[i];
            out << "connection: &room" << i << "\n"
                << "  accepter: " << (e.telnet ? "telnet(rfc2217),tcp" : "tcp") << ",127.0.0.1,"
                << e.port << "\n"
                << "  connector: serialdev," << e.path << ",115200n81,local\n";
        }
    }
    const std::string out = m_dir + "/ser2net.out";
    // -u: no UUCP lock files, which would tie the test to /var/lock and to link names.
    std::vector<std::string> argv = {"ser2net", "-n", "-u", "-c", config};
    std::vector<char*> cargs;
    for (std::string& a : argv)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = posix_spawnp(&m_pid, "ser2net", &actions, nullptr, cargs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start ser2net (scripts/deps.sh installs it)");
    }
    for (int i = 0; i < 500; ++i) {
        bool all = true;
        for (const Entry& e : m_entries)
            all = all && listening(e.port);
        if (all)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream log(out);
    throw std::runtime_error("ser2net did not listen on every port: " +
                             std::string(std::istreambuf_iterator<char>(log), {}));
}

void Ser2net::stop() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

} // namespace zel::test
