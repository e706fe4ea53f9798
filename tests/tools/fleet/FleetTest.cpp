// zelctl fleet: the rooms file and twenty simulators on pseudo-terminals and behind
// ser2net, some silent and one stalling.
#include "RoomsFile.h"
#include "Ser2net.h"
#include "SimProcess.h"
#include "ToolRun.h"

#include "model/Defaults.h"
#include "model/FieldTable.h"
#include "modes/ModeFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <memory>
#include <set>
#include <sstream>

namespace zel::test {
namespace {

namespace fs = std::filesystem;
using ctl::Room;

TEST(RoomsFile, ReadsRoomsAndNamesTheLineOfABadOne) {
    std::vector<Room> rooms;
    std::string error;
    ASSERT_TRUE(ctl::parseRooms("# venue\n\n"
                                "r1 /dev/ttyUSB0 modes/r1.dat  # the big room\n"
                                "  r2\ttcp://10.0.0.5:4001\n"
                                "r3 rfc2217://[::1]:2217 /srv/approved.dat\n",
                                "/site/rooms.txt", rooms, error))
        << error;
    ASSERT_EQ(rooms.size(), 3u);
    EXPECT_EQ(rooms[0].name, "r1");
    EXPECT_EQ(rooms[0].approved, "/site/modes/r1.dat");
    EXPECT_EQ(rooms[0].line, 3);
    EXPECT_EQ(rooms[1].port, "tcp://10.0.0.5:4001");
    EXPECT_EQ(rooms[1].approved, "");
    EXPECT_EQ(rooms[2].approved, "/srv/approved.dat");

    struct Case {
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"r1 /dev/a\nlonely\n", "rooms.txt:2: expected NAME PORT [MODE-FILE], found 1 field"},
        {"r1 /dev/a m.dat extra\n", "rooms.txt:1: expected NAME PORT [MODE-FILE], found 4 fields"},
        {"r1 /dev/a\n#\nr1 /dev/b\n", "rooms.txt:3: room r1 is already on line 1"},
        {"r1 /dev/a\nr2 /dev/a\n", "rooms.txt:2: port /dev/a is already room r1's"},
        {"r1 /dev/a\nr2 tcp://10.0.0.5\n", "rooms.txt:2: 'tcp://10.0.0.5' needs HOST:PORT"},
        {"# nothing\n", "rooms.txt: no rooms"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ctl::parseRooms(c.text, "rooms.txt", rooms, error)) << c.text;
        EXPECT_EQ(error.rfind(c.says, 0), 0u) << error;
    }
}

// The fields a processor holds and sends back in its dump.
std::vector<const Field*> deviceFields() {
    std::vector<const Field*> v;
    for (const Field& f : allFields())
        if ((f.delivery == Delivery::ChangeDetector || f.delivery == Delivery::Command) &&
            !f.isText() && f.offset >= kModeStoreFirstByte)
            v.push_back(&f);
    return v;
}

// Twenty rooms: every third on a pseudo-terminal, the others behind ser2net, raw and
// RFC 2217 in turn; two silent, one stalling in the middle of every upload.
class Fleet : public ::testing::Test {
protected:
    static constexpr int kRooms = 20;
    static constexpr int kSilent[] = {4, 9};
    static constexpr int kStalling = 14;

    void SetUp() override {
        char pattern[] = "/tmp/zel-fleet-test-XXXXXX";
        dir = mkdtemp(pattern);
        fillDefaults(mode);
        mode.byteParam[12] = 99;
        mode.eqBand[40].freq = 200;
        mode.filter[15].slope = 2;
        mode.dance.eqBand[12].gain = 200;
        // Selected on the PC only: the processors keep theirs, and no room drifts by it.
        mode.currentMode = 3;
        const ModeBytes b = encodeMode(mode);
        std::ofstream(dir / "approved.dat", std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));

        for (int i = 0; i < kRooms; ++i) {
            std::vector<std::string> args;
            if (i == kSilent[0] || i == kSilent[1])
                args = {"--silent"};
            if (i == kStalling)
                args = {"--stall", "cmd:02xall/3/forever"};
            sims.push_back(std::make_unique<SimProcess>("room" + std::to_string(i), args));
            ports.push_back(i % 3 == 0 ? sims.back()->link()
                                       : server.publish(sims.back()->link(), i % 3 == 2));
        }
        server.start();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    static std::string roomName(int i) { return "room" + std::to_string(i); }
    static bool silent(int i) { return i == kSilent[0] || i == kSilent[1]; }

    // A rooms file of the given rooms, each with the approved mode.
    std::string roomsFile(const std::string& name, const std::vector<int>& which) {
        std::ofstream out(dir / name);
        out << "# test venue\n";
        for (int i : which)
            out << roomName(i) << "  " << ports[static_cast<std::size_t>(i)] << "  approved.dat\n";
        return name;
    }

    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> v;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            v.push_back(line);
        return v;
    }

    // The rooms of a --json result, by name.
    static std::map<std::string, nlohmann::json> byRoom(const std::string& out) {
        std::map<std::string, nlohmann::json> m;
        const auto all = nlohmann::json::parse(out, nullptr, false);
        EXPECT_TRUE(all.is_array()) << out;
        if (all.is_array())
            for (const auto& r : all)
                m[r.value("room", std::string())] = r;
        return m;
    }

    fs::path dir;
    DeviceParams mode{};
    Ser2net server;
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::string> ports;
};

TEST_F(Fleet, PushVerifiesEveryAnsweringRoomAndStatusFindsTheOnesChangedBehindItsBack) {
    std::vector<int> all;
    for (int i = 0; i < kRooms; ++i)
        all.push_back(i);
    ToolRun r = runZelctl(dir, "fleet push " + roomsFile("all.txt", all) + " -j 20");
    EXPECT_EQ(r.status, 1) << r.err;
    // The table: a header, then one row per room in the file's order.
    std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRooms + 1)) << r.out;
    EXPECT_EQ(rows[0].rfind("ROOM ", 0), 0u) << rows[0];
    for (int i = 0; i < kRooms; ++i) {
        const std::string& row = rows[static_cast<std::size_t>(i + 1)];
        const std::string& port = ports[static_cast<std::size_t>(i)];
        SCOPED_TRACE(row);
        EXPECT_EQ(row.rfind(roomName(i) + " ", 0), 0u);
        EXPECT_NE(row.find(" " + port + " "), std::string::npos);
        if (silent(i)) {
            EXPECT_NE(row.find(" no answer "), std::string::npos);
            EXPECT_NE(row.find("no processor answered on " + port), std::string::npos);
        } else if (i == kStalling) {
            EXPECT_NE(row.find(" link failed "), std::string::npos);
            EXPECT_NE(row.find("the link to " + port + " failed"), std::string::npos);
        } else {
            EXPECT_NE(row.find(" on-line "), std::string::npos);
            EXPECT_EQ(row.substr(row.size() - 19), "pushed and verified");
            const DeviceParams sim = sims[static_cast<std::size_t>(i)]->state();
            for (const Field* f : deviceFields())
                EXPECT_EQ(readField(sim, *f), readField(mode, *f)) << f->name;
        }
    }

    // Three rooms tuned behind the tool's back, one of each kind of port.
    const std::pair<int, const char*> tuned[] = {
        {0, "'eqBand[5].gain=300'"},
        {1, "'filter[15].slope=3'"},
        {2, "'eqBand[5].gain=300' 'filter[3].freq=50'"},
    };
    for (const auto& [room, fields] : tuned) {
        const ToolRun set = runZelctl(
            dir, "set --port " + shellQuoted(ports[static_cast<std::size_t>(room)]) + " " + fields);
        ASSERT_EQ(set.status, 0) << set.err;
    }
    std::vector<int> answering;
    for (int i = 0; i < kRooms; ++i)
        if (i != kStalling)
            answering.push_back(i);
    const std::string file = roomsFile("status.txt", answering);

    r = runZelctl(dir, "fleet status " + file + " --json");
    EXPECT_EQ(r.status, 1) << r.err;
    auto rooms = byRoom(r.out);
    EXPECT_EQ(rooms.size(), answering.size()) << r.out;
    std::set<std::string> differing, offline;
    for (const auto& [name, room] : rooms) {
        if (room.value("link", "") != "on-line")
            offline.insert(name);
        else if (!room.value("ok", false))
            differing.insert(name);
        else
            EXPECT_EQ(room["differences"], nlohmann::json::parse(R"({"fieldCount":0,"blocks":[]})"))
                << name;
    }
    EXPECT_EQ(differing, (std::set<std::string>{"room0", "room1", "room2"}));
    EXPECT_EQ(offline, (std::set<std::string>{"room4", "room9"}));
    const std::pair<const char*, const char*> drift[] = {
        {"room0", R"({"fieldCount":1,"blocks":[{"block":"eqBand","fields":1}]})"},
        {"room1", R"({"fieldCount":1,"blocks":[{"block":"filter","fields":1}]})"},
        {"room2", R"({"fieldCount":2,"blocks":[{"block":"eqBand","fields":1},)"
                  R"({"block":"filter","fields":1}]})"},
    };
    for (const auto& [name, differences] : drift)
        EXPECT_EQ(rooms[name]["differences"], nlohmann::json::parse(differences)) << name;

    r = runZelctl(dir, "fleet status " + file);
    EXPECT_EQ(r.status, 1) << r.err;
    rows = lines(r.out);
    ASSERT_EQ(rows.size(), answering.size() + 1) << r.out;
    for (std::size_t k = 0; k < answering.size(); ++k) {
        const int i = answering[k];
        const std::string& row = rows[k + 1];
        SCOPED_TRACE(row);
        EXPECT_EQ(row.rfind(roomName(i) + " ", 0), 0u);
        const char* const differs[] = {"differs: eqBand 1", "differs: filter 1",
                                       "differs: eqBand 1, filter 1"};
        EXPECT_NE(row.find(silent(i) ? " no answer "
                           : i <= 2  ? differs[i]
                                     : " matches the approved mode"),
                  std::string::npos);
    }
}

TEST(FleetInput, BadRoomsModeFilesOrPortNamesTouchNoRoom) {
    char pattern[] = "/tmp/zel-fleet-test-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    SimProcess sim("room0", {});
    std::ofstream(dir / "bad.txt") << "room0 " << sim.link() << "\nroom1\n";
    std::ofstream(dir / "nomode.txt") << "room0 " << sim.link() << "\n";
    std::ofstream(dir / "short.dat") << "ZEL";
    struct Case {
        std::string args;
        std::string says;
    };
    const Case cases[] = {
        {"fleet push bad.txt",
         "zelctl: bad.txt:2: expected NAME PORT [MODE-FILE], found 1 field\n"},
        {"fleet push nomode.txt",
         "zelctl: nomode.txt:1: room room0 names no mode file; name one or give FILE\n"},
        {"fleet push nomode.txt short.dat", "zelctl: short.dat is not a mode file"},
        {"fleet status missing.txt", "zelctl: cannot read the rooms file missing.txt\n"},
        {"fleet status nomode.txt --part 1",
         "zelctl: --part belongs to push, diff or fleet push\n"},
        {"fleet status nomode.txt -j 0", "zelctl: -j must be 1..64, not '0'\n"},
        {"pull --port tcp://127.0.0.1:0 x.dat",
         "zelctl: 'tcp://127.0.0.1:0' needs a TCP port 1..65535\n"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runZelctl(dir, c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.err.substr(0, c.says.size()), c.says) << c.args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(sim.received().empty());
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
} // namespace zel::test
