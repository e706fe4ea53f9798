// Fleet figures against zel-sim (paced at 115200 8N1), each set measured in one run and
// given as a ratio to its baseline: one upload by zelctl push over tcp:// and rfc2217://
// (ser2net on 127.0.0.1) against the pseudo-terminal, and zelctl fleet push with read-back
// of twenty rooms against one room.
#include "Ser2net.h"
#include "SimProcess.h"

#include "model/Defaults.h"
#include "modes/ModeFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace zel;
using namespace zel::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRounds = 3;
constexpr int kRooms = 20;

double run(const std::string& args, const fs::path& dir) {
    const std::string cmd = "cd '" + dir.string() + "' && ZEL_EXTRA_PORTS= '" ZELCTL_PATH "' " +
                            args + " >/dev/null 2>bench.err";
    const auto start = Clock::now();
    const int status = std::system(cmd.c_str());
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
        std::fprintf(stderr, "failed: zelctl %s\n", args.c_str());
        std::exit(1);
    }
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string roomsFile(const fs::path& dir, const std::string& name,
                      const std::vector<std::string>& ports) {
    std::ofstream out(dir / name);
    for (std::size_t i = 0; i < ports.size(); ++i)
        out << "room" << i << " " << ports[i] << " mode.dat\n";
    return name;
}

} // namespace

int main() {
    char pattern[] = "/tmp/zel-fleet-bench-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    DeviceParams mode{};
    fillDefaults(mode);
    mode.byteParam[12] = 99;
    mode.eqBand[3].gain = 300;
    const ModeBytes bytes = encodeMode(mode);
    std::ofstream(dir / "mode.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    // One upload: the three transports in turn, each round, so that the machine's load
    // falls on all of them alike.
    {
        SimProcess viaPty("pty", {"--pace"}), viaRaw("raw", {"--pace"}),
            viaTelnet("telnet", {"--pace"});
        Ser2net server;
        const std::string raw = server.publish(viaRaw.link(), false);
        const std::string telnet = server.publish(viaTelnet.link(), true);
        server.start();
        std::vector<double> pty, tcp, rfc;
        for (int i = 0; i < kRounds; ++i) {
            pty.push_back(run("push --port '" + viaPty.link() + "' mode.dat", dir));
            tcp.push_back(run("push --port '" + raw + "' mode.dat", dir));
            rfc.push_back(run("push --port '" + telnet + "' mode.dat", dir));
        }
        const double base = median(pty);
        std::printf("upload (zelctl push, 347 frames, paced), median of %d:\n", kRounds);
        std::printf("  pseudo-terminal  %.3f s  1.00\n", base);
        std::printf("  tcp://           %.3f s  %.2f\n", median(tcp), median(tcp) / base);
        std::printf("  rfc2217://       %.3f s  %.2f\n", median(rfc), median(rfc) / base);
    }

    // Push and verify: one room, then twenty (a third on pseudo-terminals, the rest behind
    // ser2net, raw and RFC 2217 in turn), -j 20.
    {
        std::vector<std::unique_ptr<SimProcess>> sims;
        std::vector<std::string> ports;
        Ser2net server;
        for (int i = 0; i < kRooms; ++i) {
            sims.push_back(std::make_unique<SimProcess>("room" + std::to_string(i),
                                                        std::vector<std::string>{"--pace"}));
            ports.push_back(i % 3 == 0 ? sims.back()->link()
                                       : server.publish(sims.back()->link(), i % 3 == 2));
        }
        server.start();
        const std::string one = roomsFile(dir, "one.txt", {ports[1]});
        const std::string all = roomsFile(dir, "all.txt", ports);
        std::vector<double> single, twenty;
        for (int i = 0; i < kRounds; ++i) {
            single.push_back(run("fleet push " + one, dir));
            twenty.push_back(run("fleet push -j 20 " + all, dir));
        }
        const double base = median(single);
        std::printf("fleet push with read-back, median of %d:\n", kRounds);
        std::printf("  1 room (tcp://)   %.3f s  1.00\n", base);
        std::printf("  %d rooms, -j %d   %.3f s  %.2f\n", kRooms, kRooms, median(twenty),
                    median(twenty) / base);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
