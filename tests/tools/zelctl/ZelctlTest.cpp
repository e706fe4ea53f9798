// zelctl end to end: every command against zel-sim on a real pseudo-terminal, with the
// simulator's own parameter set as the judge.
#include "link/DumpFrame.h"
#include "model/Defaults.h"
#include "model/FieldTable.h"
#include "modes/ModeDiff.h"
#include "modes/ModeFile.h"

#include "ReferenceResponse.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bytes slurpBytes(const fs::path& p) {
    const std::string s = slurp(p);
    return {s.begin(), s.end()};
}

void spit(const fs::path& p, const Bytes& b) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

std::string shq(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

// A folder with one simulator in it; every program runs bounded in time.
class Zelctl : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937_64 rng(static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count()));
        dir = fs::temp_directory_path() / ("zelctl-test-" + std::to_string(rng()));
        fs::create_directories(dir);
        port = (dir / "port").string();
        fillDefaults(defaults);
    }
    void TearDown() override {
        stopSim();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // Starts zel-sim with the extra arguments and waits for its ready line.
    void startSim(const std::string& extra = "") {
        // -k: a simulator that hangs on its way out (a sanitizer's exit check) is killed
        // rather than left to spin through the rest of the run.
        const std::string cmd = "timeout -k 5 120 " + shq(ZELSIM_PATH) + " --link " + shq(port) +
                                " --log " + shq((dir / "sim.log").string()) + " --dump-state " +
                                shq((dir / "sim.state").string()) + " " + extra + " >" +
                                shq((dir / "sim.out").string()) + " 2>&1 & echo $! >" +
                                shq((dir / "sim.pid").string());
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        for (int i = 0; i < 200; ++i) {
            if (slurp(dir / "sim.out").find(" -> ") != std::string::npos)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        FAIL() << "zel-sim did not start: " << slurp(dir / "sim.out");
    }

    // Ends the simulator (it writes its parameter set on the way out) and returns that set.
    DeviceParams stopSim() {
        DeviceParams state{};
        if (!fs::exists(dir / "sim.pid"))
            return state;
        const std::string pid = slurp(dir / "sim.pid");
        const std::string id = pid.substr(0, pid.find('\n'));
        const std::string kill = "kill -TERM " + id + " 2>/dev/null";
        const std::string alive = "kill -0 " + id + " 2>/dev/null";
        std::system(kill.c_str());
        fs::remove(dir / "sim.pid");
        // It writes its parameter set on the way out.
        for (int i = 0; i < 250 && std::system(alive.c_str()) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const Bytes raw = slurpBytes(dir / "sim.state");
        if (raw.size() == sizeof state)
            std::memcpy(&state, raw.data(), sizeof state);
        else
            ADD_FAILURE() << "no simulator state written";
        return state;
    }

    // Frames the simulator received, one log line each.
    std::vector<std::string> simFramesReceived() {
        std::vector<std::string> rx;
        std::istringstream in(slurp(dir / "sim.log"));
        for (std::string line; std::getline(in, line);)
            if (line.find("RX") != std::string::npos)
                rx.push_back(line);
        return rx;
    }

    CtlRun zelctl(const std::string& args, const std::string& env = "") {
        CtlRun r;
        const fs::path out = dir / "ctl.out", err = dir / "ctl.err";
        const std::string cmd = "cd " + shq(dir.string()) + " && ZEL_EXTRA_PORTS=" + shq(port) +
                                " " + env + " timeout 60 " + shq(ZELCTL_PATH) + " " + args + " >" +
                                shq(out.string()) + " 2>" + shq(err.string());
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(out);
        r.err = slurp(err);
        return r;
    }

    // A mode file image of `p`, written into the test folder.
    fs::path writeMode(const std::string& name, const DeviceParams& p) {
        const ModeBytes b = encodeMode(p);
        spit(dir / name, Bytes(b.begin(), b.end()));
        return dir / name;
    }

    // A store unlike the defaults in many fields a device keeps.
    DeviceParams distinctive() const {
        DeviceParams p = defaults;
        p.byteParam[2] = 55;
        p.byteParam[12] = 99;
        p.eqBand[3].gain = 300;
        p.eqBand[40].freq = 200;
        p.eqBand[75].q = 30;
        p.filter[0].freq = 100;
        p.filter[15].slope = 2;
        p.timeParam[4] = 123;
        p.compressor[3].ratio = 4;
        p.eqBypass[0] = 0;
        p.phase[9] = 1;
        p.musicInputPort = 3;
        p.volumeLimit[1] = 70;
        p.dance.byteParam[3] = 77;
        p.dance.eqBand[12].gain = 200;
        p.danceEqBypass[2] = 0;
        p.keyLockPassword[0] = 9;
        p.adminPassword[5] = 1;
        p.userMode = 1;
        return p;
    }

    // The fields the processor holds and sends back in its dump.
    static std::vector<const Field*> deviceFields() {
        std::vector<const Field*> v;
        for (const Field& f : allFields())
            if ((f.delivery == Delivery::ChangeDetector || f.delivery == Delivery::Command) &&
                !f.isText() && f.offset >= kModeStoreFirstByte)
                v.push_back(&f);
        return v;
    }

    fs::path dir;
    std::string port;
    DeviceParams defaults{};
};

std::string firstLine(const std::string& s) {
    return s.substr(0, s.find('\n'));
}

TEST_F(Zelctl, PullWritesTheSimulatorsParametersWithDefaultsOutsideTheDump) {
    DeviceParams state = distinctive();
    state.outputSolo[1] = 1; // never in a dump: the pulled file keeps the default
    startSim("--state " + shq(writeMode("start.dat", state).string()));
    const CtlRun r = zelctl("pull --port " + shq(port) + " pulled.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    const DeviceParams sim = stopSim();

    // What the program's store holds after the dump of the simulator's set.
    DeviceParams expected = defaults;
    std::vector<std::uint8_t> frame(2048);
    buildDumpFrame(sim, frame.data(), frame.size());
    loadDumpPayload(expected, frame.data());
    const ModeBytes want = encodeMode(expected);
    EXPECT_EQ(slurpBytes(dir / "pulled.dat"), Bytes(want.begin(), want.end()));
    DeviceParams pulled{};
    ASSERT_TRUE(decodeMode(slurpBytes(dir / "pulled.dat"), pulled));
    EXPECT_EQ(pulled.byteParam[12], 99);
    EXPECT_EQ(pulled.outputSolo[1], 0);
}

TEST_F(Zelctl, PushAllLeavesTheSimulatorWithTheFilesParameters) {
    startSim();
    const DeviceParams file = distinctive();
    const CtlRun r = zelctl("push " + shq(writeMode("m.dat", file).string()));
    ASSERT_EQ(r.status, 0) << r.err;
    const DeviceParams sim = stopSim();
    for (const Field* f : deviceFields())
        EXPECT_EQ(readField(sim, *f), readField(file, *f)) << f->name;
}

TEST_F(Zelctl, PushOfOnePartChangesOnlyThatPart) {
    startSim();
    const DeviceParams file = distinctive();
    const CtlRun r = zelctl("push --part 1 " + shq(writeMode("m.dat", file).string()));
    ASSERT_EQ(r.status, 0) << r.err;
    const DeviceParams sim = stopSim();
    std::vector<bool> music(kDeviceParamsSize);
    for (const StoreRange& range : modePartRanges(PartMusic))
        for (std::size_t i = 0; i < range.size; ++i)
            music[range.offset + i] = true;
    for (const Field* f : deviceFields()) {
        const DeviceParams& from = music[f->offset] ? file : defaults;
        EXPECT_EQ(readField(sim, *f), readField(from, *f)) << f->name;
    }
    // The music limit of 70 came with the mode, but only the system part applies limits:
    // the simulator keeps its own.
    EXPECT_EQ(sim.volumeLimit[1], defaults.volumeLimit[1]);
}

TEST_F(Zelctl, SetChangesExactlyTheNamedFields) {
    startSim();
    const CtlRun r =
        zelctl("set 'eqBand[5].gain=300' 'byteParam[12]=99' 'volumeLimit[3]=50' "
               "'masterVolume[1]=80' 'keyLockPassword[0]=5' 'keyLockPassword[3]=7' "
               "'timeParam[3]=42' 'modeName[2]=KTV 3' 'modeName[4]=客厅一二三四五六七八'");
    ASSERT_EQ(r.status, 0) << r.err;
    const DeviceParams sim = stopSim();

    DeviceParams expected = defaults;
    expected.eqBand[5].gain = 300;
    expected.byteParam[12] = 99;
    expected.volumeLimit[3] = 50;
    setMasterVolume(expected, 1, 50); // clipped to the new microphone limit
    expected.keyLockPassword[0] = 5;
    expected.keyLockPassword[3] = 7;
    expected.timeParam[3] = 42;
    std::memcpy(expected.modeName[2], "KTV 3               ", 20);
    // Ten Chinese characters fill the name's 20 bytes in the processor's code page.
    std::memcpy(expected.modeName[4],
                "\xBF\xCD\xCC\xFC\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5\xC1\xF9\xC6\xDF\xB0\xCB",
                20);
    expected.currentMode = sim.currentMode; // the device's own business
    for (const Field& f : allFields()) {
        if (f.isText())
            EXPECT_EQ(readText(sim, f), readText(expected, f)) << f.name;
        else
            EXPECT_EQ(readField(sim, f), readField(expected, f)) << f.name;
    }
    // The four digits travel in one password frame.
    int passwordFrames = 0;
    for (const std::string& line : simFramesReceived())
        passwordFrames += line.find("FF 55 04 32") != std::string::npos;
    EXPECT_EQ(passwordFrames, 1);
}

TEST_F(Zelctl, SetOfADanceFieldWhileSingingReachesTheDanceBank) {
    ASSERT_EQ(defaults.scene, 1);
    startSim();
    // dance.eqBand[12] travels with the index of its Singing twin, eqBand[72].
    const CtlRun r = zelctl("set 'dance.eqBand[12].gain=300' 'eqBand[72].gain=100' "
                            "'dance.byteParam[3]=77' 'dance.eqBypass[2]=0'");
    ASSERT_EQ(r.status, 0) << r.err;
    const DeviceParams sim = stopSim();
    EXPECT_EQ(sim.dance.eqBand[12].gain, 300);
    EXPECT_EQ(sim.eqBand[72].gain, 100);
    EXPECT_EQ(sim.dance.byteParam[3], 77);
    EXPECT_EQ(sim.byteParam[13], defaults.byteParam[13]);
    EXPECT_EQ(sim.danceEqBypass[2], 0);
    EXPECT_EQ(sim.eqBypass[8], defaults.eqBypass[8]);
    EXPECT_EQ(sim.scene, 1) << "the device is left in the scene it was in";
}

TEST_F(Zelctl, BadInputIsRefusedBeforeThePortIsOpened) {
    startSim();
    DeviceParams p = defaults;
    Bytes truncated;
    {
        const ModeBytes b = encodeMode(p);
        truncated.assign(b.begin(), b.end() - 1);
    }
    spit(dir / "short.dat", truncated);
    Bytes badMagic(truncated);
    badMagic.push_back(0);
    badMagic[8] = '1';
    spit(dir / "magic.dat", badMagic);
    const Bytes room = slurpBytes(writeMode("room.dat", p));
    ASSERT_EQ(std::system(("mkfifo " + shq((dir / "fifo").string())).c_str()), 0);

    struct Case {
        const char* args;
        const char* says;
    };
    const Case cases[] = {
        {"set 'nosuch[1]=3'", "unknown field 'nosuch[1]'"},
        {"set 'scene=3'", "scene=3 is out of range (0..2)"},
        {"set 'eqBand[5].gain=361'", "out of range"},
        {"set 'byteParam[12]=x'", "not a decimal number"},
        {"set 'masterMute[0]=1'", "follows the master volume"},
        {"set 'outputSolo[2]=1'", "never receives it"},
        {"set 'byteParam[12]=5' 'scene=9'", "scene=9 is out of range"},
        {"set 'modeName[0]=123456789012345678901'",
         "at most 20 bytes (10 Chinese characters), not 21"},
        {"set 'modeName[0]=一二三四五六七八九十一'", "at most 20 bytes"},
        {"set 'modeName[0]=\xF0\x9F\x8E\xA4'", "cannot store"},
        {"set \"modeName[0]=$(printf 'x\\nscene=9')\"", "must not contain control characters"},
        {"set 'modeName[0]=a\tb'", "must not contain control characters"},
        {"set 'scene=1' 'scene=2'", "scene is given twice ('scene=1' and 'scene=2')"},
        {"set 'eqBand[5].gain=1' 'scene=1' 'eqBand[5].gain=1'", "eqBand[5].gain is given twice"},
        {"set --port room.dat 'scene=1'",
         "--port room.dat is not a serial port: it is a regular file"},
        {"pull --port fifo x.dat", "--port fifo is not a serial port: it is a FIFO"},
        {"push --port /dev/null room.dat", "it is a device but not a terminal"},
        {"push fifo", "fifo is not a mode file: it is a folder, FIFO or device"},
        {"show fifo", "not a regular file"},
        {"curve fifo 0", "not a regular file"},
        {"push short.dat", "short.dat is not a mode file"},
        {"push magic.dat", "magic.dat is not a mode file"},
        {"push missing.dat", "cannot read the mode file missing.dat"},
        {"push --part 6 short.dat", "--part must be 0..5"},
        {"show short.dat", "not a mode file"},
        {"curve short.dat 0", "not a mode file"},
        {"curve magic.dat 15", "BLOCK must be an EQ block number 0..14"},
        {"pull no/such/folder/x.dat", "does not exist"},
        {"pull /proc/zel.dat", "does not take new files"}, // a folder no one may write in
        {"frobnicate", "unknown command 'frobnicate'"},
        {"", "no command given"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const CtlRun r = zelctl(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("zelctl: ", 0), 0u);
    }
    EXPECT_TRUE(simFramesReceived().empty()) << "nothing reached the simulator";
    EXPECT_FALSE(fs::exists(dir / "no"));
    EXPECT_EQ(slurpBytes(dir / "room.dat"), room) << "a file given as a port is left alone";
}

// A link lost half-way through an upload leaves the processor with part of the mode; the
// tool says how much and that the upload must be repeated.
TEST_F(Zelctl, FailedPushSaysTheUploadWasPartial) {
    startSim("--silent-after 100");
    writeMode("m.dat", distinctive());
    const CtlRun r = zelctl("push m.dat");
    EXPECT_EQ(r.status, 1);
    // Of the 100 frames answered, the probe, the synchronisation request and any keep-alive
    // sent before the upload was queued are no upload frames.
    const std::vector<std::string> rx = simFramesReceived();
    ASSERT_GT(rx.size(), 100u);
    int answered = 100;
    for (std::size_t i = 0; i < 100; ++i)
        answered -= rx[i].find("FF 55 03 30 00 33") != std::string::npos ||
                    rx[i].find("FF 55 03 AA BB 68") != std::string::npos;
    EXPECT_GE(answered, 97);
    EXPECT_EQ(r.err, "zelctl: the link to " + port +
                         " failed during the upload: the processor answered " +
                         std::to_string(answered) +
                         " of the 347 frames and now holds a partial mode; repeat the push\n");
}

TEST_F(Zelctl, NoProcessorIsExitOne) {
    // No such port.
    CtlRun r = zelctl("set --port " + shq((dir / "nothing").string()) + " 'scene=2'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot open"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;

    // A port whose device never answers the probe: only the probe goes out.
    startSim("--silent");
    r = zelctl("pull --port " + shq(port) + " x.dat");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(firstLine(r.err), "zelctl: no processor answered on " + port) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.dat"));
    for (const std::string& line : simFramesReceived())
        EXPECT_NE(line.find("FF 55 03 30 00 33"), std::string::npos) << line;
}

TEST_F(Zelctl, PortsListsTheSimulatorAndSkipsMissingExtraPorts) {
    startSim();
    const CtlRun r =
        zelctl("ports", "ZEL_EXTRA_PORTS=" + shq((dir / "gone").string() + ":" + port));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(port + "\t"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find((dir / "gone").string()), std::string::npos) << r.out;
}

TEST_F(Zelctl, ShowAndCurveReadAModeFile) {
    DeviceParams p = defaults;
    std::memcpy(p.modeName[0], "KTV 1               ", 20);
    std::memcpy(p.modeName[1], "x\"\nscene=9\\\x01        ", 20); // a name forging a field
    std::memcpy(p.modeName[2], "\xBF\xCD\xCC\xFC KTV\0\0\0\0\0\0\0\0\0\0\0\0",
                20);                                              // GBK, NUL-padded
    std::memcpy(p.modeName[3], "A\xFF\x80Z                ", 20); // no GBK character at FF
    p.eqBand[5].gain = 300;                                       // +6 dB at the band's frequency
    p.filter[15].slope = 3;
    const fs::path file = writeMode("m.dat", p);

    CtlRun r = zelctl("show m.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nmodeName[0]=\"KTV 1\"\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nmodeName[1]=\"x\\\"\\nscene=9\\\\\\x01\"\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nmodeName[2]=\"客厅 KTV\"\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nmodeName[3]=\"A\uFFFD\uFFFDZ\"\n"), std::string::npos) << r.out;
    std::istringstream fields(r.out);
    int sceneLines = 0;
    for (std::string line; std::getline(fields, line);) {
        EXPECT_NE(line.find('='), std::string::npos) << "every line is one field: " << line;
        sceneLines += line.rfind("scene=", 0) == 0;
    }
    EXPECT_EQ(sceneLines, 1);
    EXPECT_NE(r.out.find("\neqBand[5].gain=300 "), std::string::npos);
    EXPECT_NE(r.out.find("\nfilter[15].slope=3"), std::string::npos);
    EXPECT_NE(r.out.find("\ndance.eqBand[12].freq="), std::string::npos);
    EXPECT_EQ(r.out.find("masterVolume"), std::string::npos) << "not part of a mode file";

    r = zelctl("curve m.dat 0");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out);
    int lines = 0;
    double peak = -1e9, peakHz = 0;
    for (std::string line; std::getline(in, line); ++lines) {
        double hz = 0, db = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf", &hz, &db), 2) << line;
        if (db > peak) {
            peak = db;
            peakHz = hz;
        }
    }
    EXPECT_EQ(lines, 420);
    EXPECT_NEAR(peak, 6.0, 0.2);
    EXPECT_NEAR(peakHz, 779, 30);

    // The Dance bank of the music block is flat.
    r = zelctl("curve m.dat 0 --bank dance");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find(" 5."), std::string::npos);
}

TEST_F(Zelctl, HelpForTheToolAndEachCommand) {
    for (const char* args : {"--help", "set --help", "push --help", "curve --help", "diff --help",
                             "import-eq --help"}) {
        const CtlRun r = zelctl(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.out.rfind("usage: zelctl", 0), 0u) << args;
    }
}

// --- diff, import-eq and --json ---

void spitText(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

std::vector<std::string> outLines(const std::string& s) {
    std::vector<std::string> v;
    std::istringstream in(s);
    for (std::string line; std::getline(in, line);)
        v.push_back(line);
    return v;
}

TEST_F(Zelctl, DiffOfTwoFilesListsEveryDifferenceAndExitsOne) {
    DeviceParams b = distinctive();
    std::memcpy(b.modeName[1], "Party               ", 20);
    b.eqBand[3].q = 20; // a second member of an already differing band
    b.dance.filter[3].freq = 100;
    writeMode("a.dat", defaults);
    writeMode("b.dat", b);

    CtlRun r = zelctl("diff a.dat b.dat");
    EXPECT_EQ(r.status, 1) << r.err;
    const StoreDiff want = diffStores(defaults, b);
    std::vector<std::string> lines = outLines(r.out);
    ASSERT_EQ(lines.size(), want.records.size() + 1) << r.out;
    EXPECT_EQ(lines[0], "byteParam[2]: 0 -> 55");
    for (const char* line :
         {"eqBand[3]: gain 240 (0.0 dB) -> 300 (6.0 dB), q 10 (0.71) -> 20 (1.26)",
          "filter[15].slope: 0 -> 2", "phase[9]: 0 (-) -> 1 (+)", "modeName[1]: \"\" -> \"Party\"",
          "dance.eqBand[12].gain: 240 (0.0 dB) -> 200 (-4.0 dB)",
          "dance.filter[3].freq: 143 (303 Hz) -> 100 (132 Hz)"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\n"
                                                                            << r.out;
    EXPECT_EQ(lines.back(), summaryLine(want));
    EXPECT_EQ(
        lines.back().rfind(std::to_string(want.fieldCount) + " fields differ: byteParam 2, ", 0),
        0u);

    r = zelctl("diff --part 1 a.dat b.dat");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(outLines(r.out),
              (std::vector<std::string>{
                  "eqBand[3]: gain 240 (0.0 dB) -> 300 (6.0 dB), q 10 (0.71) -> 20 (1.26)",
                  "filter[0].freq: 0 (OFF) -> 100 (132 Hz)", "eqBypass[0]: 1 -> 0",
                  "musicInputPort: 0 -> 3",
                  "5 fields differ: eqBand 2, filter 1, eqBypass 1, musicInputPort 1"}))
        << r.out;

    r = zelctl("diff --json b.dat a.dat");
    EXPECT_EQ(r.status, 1);
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["a"], "b.dat");
    EXPECT_FALSE(j["same"].get<bool>());
    EXPECT_TRUE(j["part"].is_null());
    EXPECT_EQ(j["fieldCount"], want.fieldCount);
    EXPECT_EQ(j["records"].size(), want.records.size());
    EXPECT_EQ(j["blocks"][0]["block"], "byteParam");
    const nlohmann::json& band = j["records"][2];
    EXPECT_EQ(band["record"], "eqBand[3]");
    EXPECT_EQ(band["fields"][0]["name"], "eqBand[3].gain");
    EXPECT_EQ(band["fields"][0]["a"], 300);
    EXPECT_EQ(band["fields"][0]["bText"], "0.0 dB");

    DeviceParams micB = defaults;
    micB.eqBand[40].gain = 250;
    writeMode("c.dat", micB);
    for (const char* same : {"diff a.dat a.dat", "diff --part 2 a.dat c.dat"}) {
        r = zelctl(same);
        EXPECT_EQ(r.status, 0) << same;
        EXPECT_EQ(r.out, "no differences\n") << same;
    }
    r = zelctl("diff --json --part 2 a.dat c.dat");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(nlohmann::json::parse(r.out)["same"].get<bool>());
    EXPECT_EQ(nlohmann::json::parse(r.out)["part"], 2);
}

TEST_F(Zelctl, DiffAgainstTheSimulatorComparesWhatItsDumpReports) {
    const DeviceParams room = distinctive();
    startSim("--state " + shq(writeMode("room.dat", room).string()));
    DeviceParams approved = room;
    approved.eqBand[5].gain = 270;
    approved.outputSolo[2] = 1; // the processor does not report it: not compared
    writeMode("approved.dat", approved);

    CtlRun r = zelctl("diff device approved.dat");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "eqBand[5].gain: 240 (0.0 dB) -> 270 (3.0 dB)\n1 field differs: eqBand 1\n");
    r = zelctl("diff --port " + shq(port) + " --part 4 approved.dat device");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "no differences\n");
    EXPECT_EQ(stopSim().eqBand[5].gain, 240) << "diff changes nothing on the processor";
}

TEST_F(Zelctl, DiffTroubleIsExitTwo) {
    writeMode("a.dat", defaults);
    startSim("--silent");
    struct Case {
        std::string args;
        const char* says;
    };
    const Case cases[] = {
        {"diff a.dat", "diff needs two sides"},
        {"diff device device", "not with itself"},
        {"diff a.dat missing.dat", "cannot read the mode file missing.dat"},
        {"diff --part 7 a.dat a.dat", "--part must be 0..5"},
        {"diff --port " + shq((dir / "nothing").string()) + " a.dat device", "cannot open"},
        {"diff --port " + shq(port) + " device a.dat", "no processor answered"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const CtlRun r = zelctl(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST_F(Zelctl, ImportEqPutsEachTypeOnAMicrophoneBlockAndReportsTheFit) {
    const fs::path mode = writeMode("m.dat", defaults);
    spitText(dir / "eq.txt", "Filter Settings file\r\n"
                             "Preamp: -3.5 dB\r\n"
                             "Filter 1: ON PK Fc 1000 Hz Gain -3.0 dB Q 1.41\r\n"
                             "Filter 2: ON LSC Fc 105 Hz Gain 4.0 dB Q 0.71\r\n"
                             "Filter 3: OFF PK Fc 200 Hz Gain -6.0 dB Q 2\r\n"
                             "Filter 4: ON HS Fc 8050 Hz Gain -2.5 dB\r\n");
    CtlRun r = zelctl("import-eq --json eq.txt 1 m.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    DeviceParams p{};
    ASSERT_TRUE(decodeMode(slurpBytes(mode), p));

    // Nearest steps of the tables: FreqTable[204] = 1000 Hz, [87] = 105 Hz, [312] = 8000 Hz;
    // QTable[22] = 1.4, [10] = 0.71; gain index = (dB + 24) * 10.
    struct Want {
        int freq, gain, q, type;
    };
    const Want want[] = {{204, 210, 22, 0}, {87, 280, 10, 1}, {312, 215, 10, 2}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const EqBand& b = p.eqBand[10 + i];
        EXPECT_EQ(b.freq, want[i].freq);
        EXPECT_EQ(b.gain, want[i].gain);
        EXPECT_EQ(b.q, want[i].q);
        EXPECT_EQ(b.type, want[i].type);
    }
    EXPECT_EQ(j["block"], 1);
    EXPECT_TRUE(j["bank"].is_null());
    EXPECT_EQ(j["bands"], 20);
    EXPECT_EQ(j["preamp"]["db"], -3.5);
    ASSERT_EQ(j["filters"].size(), 4u);
    EXPECT_EQ(j["filters"][1]["stored"]["freq"], 87);
    EXPECT_EQ(j["filters"][1]["band"], 1);
    EXPECT_FALSE(j["filters"][2]["enabled"].get<bool>());
    EXPECT_TRUE(j["filters"][2]["band"].is_null());
    EXPECT_EQ(j["filters"][3]["band"], 2);

    std::vector<TextFilter> asked(3);
    asked[0] = {3, 1, true, "PK", kPeaking, 1000, -3.0, 1.41};
    asked[1] = {4, 2, true, "LSC", kLowShelf, 105, 4.0, 0.71};
    asked[2] = {6, 4, true, "HS", kHighShelf, 8050, -2.5, kShelfDefaultQ};
    const ReferenceDeviation dev =
        referenceDeviation(asked, std::span<const EqBand>(&p.eqBand[10], 20));
    EXPECT_NEAR(j["deviation"]["db"].get<double>(), dev.db, 1e-6);
    EXPECT_EQ(j["deviation"]["hz"], CurveGrid[static_cast<std::size_t>(dev.point)]);

    // Nothing else of the file changed.
    DeviceParams rest = p;
    for (int i = 0; i < 20; ++i)
        rest.eqBand[10 + i] = defaults.eqBand[10 + i];
    EXPECT_EQ(encodeMode(rest), encodeMode(defaults));

    // The text report says the same in lines.
    r = zelctl("import-eq eq.txt 1 m.dat --out copy.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurpBytes(dir / "copy.dat"), slurpBytes(mode));
    EXPECT_NE(r.out.find("filter 2: LSC 105 Hz +4.0 dB Q 0.71 -> band 2: Ls 105 Hz +4.0 dB Q 0.71 "
                         "(freq 87, gain 280, q 10, type 1)\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("filter 3: OFF, not imported\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("preamp -3.5 dB: not applied"), std::string::npos) << r.out;
    char deviation[96];
    std::snprintf(deviation, sizeof deviation, "largest deviation %.2f dB at %g Hz", dev.db,
                  CurveGrid[static_cast<std::size_t>(dev.point)]);
    EXPECT_NE(r.out.find(deviation), std::string::npos) << r.out;
}

TEST_F(Zelctl, ImportEqOfMoreFiltersThanBandsIntoTheDanceBankOfAnOutput) {
    const fs::path mode = writeMode("m.dat", defaults); // scene Singing
    const std::string text = "Filter  1: ON  PK  Fc   42.5 Hz  Gain  -7.5 dB  Q  4.20\n"
                             "Filter  2: ON  PK  Fc   63.0 Hz  Gain  -5.0 dB  Q  6.00\n"
                             "Filter  3: ON  LSC Fc   105 Hz   Gain   4.0 dB  Q  0.71\n"
                             "Filter  4: ON  PK  Fc   180 Hz   Gain  -3.5 dB  Q  2.50\n"
                             "Filter  5: ON  PK  Fc   315 Hz   Gain   2.0 dB  Q  1.80\n"
                             "Filter  6: ON  PK  Fc   820 Hz   Gain  -2.5 dB  Q  3.00\n"
                             "Filter  7: ON  PK  Fc  1650 Hz   Gain   1.5 dB  Q  1.20\n"
                             "Filter  8: ON  PK  Fc  3200 Hz   Gain  -3.0 dB  Q  2.20\n"
                             "Filter  9: ON  PK  Fc  6300 Hz   Gain   2.5 dB  Q  1.50\n"
                             "Filter 10: ON  HSC Fc 10000 Hz   Gain  -3.0 dB  Q  0.71\n";
    spitText(dir / "eq.txt", text);
    const CtlRun r = zelctl("import-eq --json - 7 m.dat --bank dance < eq.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["bank"], "dance");
    EXPECT_EQ(j["text"], "-");
    DeviceParams p{};
    ASSERT_TRUE(decodeMode(slurpBytes(mode), p));
    for (int i = 70; i < 75; ++i)
        EXPECT_EQ(std::memcmp(&p.eqBand[i], &defaults.eqBand[i], sizeof(EqBand)), 0) << i;

    // The five that move the curve most stay, in text order: both deep cuts, the shelves and
    // the 180 Hz cut.
    const int kept[] = {0, 1, 2, 3, 9};
    std::vector<TextFilter> asked = parseFilterText(text).filters;
    ASSERT_EQ(asked.size(), 10u);
    int dropped = 0;
    for (std::size_t i = 0; i < 10; ++i)
        dropped += j["filters"][i]["dropped"].get<bool>();
    EXPECT_EQ(dropped, 5);
    for (int band = 0; band < 5; ++band) {
        SCOPED_TRACE(band);
        const TextFilter& f = asked[static_cast<std::size_t>(kept[band])];
        EXPECT_EQ(j["filters"][kept[band]]["band"], band);
        const EqBand& b = p.dance.eqBand[10 + band];
        EXPECT_EQ(b.freq, nearestIndex(FreqTable, f.hz));
        EXPECT_EQ(b.q, nearestIndex(QTable, f.q));
        EXPECT_EQ(b.gain, static_cast<int>(std::lround((f.db + 24) * 10)));
        EXPECT_EQ(b.type, f.type);
    }
    const ReferenceDeviation dev =
        referenceDeviation(asked, std::span<const EqBand>(&p.dance.eqBand[10], 5));
    EXPECT_NEAR(j["deviation"]["db"].get<double>(), dev.db, 1e-6);
    EXPECT_EQ(j["deviation"]["hz"], CurveGrid[static_cast<std::size_t>(dev.point)]);
}

TEST_F(Zelctl, ImportEqRefusesBadInputAndWritesNothing) {
    const fs::path mode = writeMode("m.dat", defaults);
    const Bytes before = slurpBytes(mode);
    spitText(dir / "good.txt", "Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 1\n");
    spitText(dir / "malformed.txt", "Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 1\n"
                                    "Filter 2: ON PK Fc 1000 Hz Gian -3 dB Q 1\n");
    spitText(dir / "unknown.txt", "Filter 1: ON XQ Fc 1000 Hz Gain -3 dB Q 1\n");
    spitText(dir / "pass.txt", "Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 1\n"
                               "Filter 2: ON HP Fc 40 Hz\n");
    spitText(dir / "off.txt", "Filter 1: OFF PK Fc 1000 Hz Gain -3 dB Q 1\n");
    struct Case {
        const char* args;
        const char* says;
    };
    const Case cases[] = {
        {"import-eq malformed.txt 0 m.dat", "malformed.txt:2: unknown parameter 'Gian'"},
        {"import-eq unknown.txt 0 m.dat", "unknown.txt:1: unknown filter type 'XQ'"},
        {"import-eq pass.txt 0 m.dat", "pass.txt:2: pass filters (HP) are not offered"},
        {"import-eq - 0 m.dat < pass.txt", "<stdin>:2: pass filters (HP)"},
        {"import-eq off.txt 0 m.dat", "holds no ON filter"},
        {"import-eq good.txt 15 m.dat", "BLOCK must be an EQ block number 0..14"},
        {"import-eq good.txt music m.dat", "BLOCK must be an EQ block number 0..14"},
        {"import-eq missing.txt 0 m.dat", "cannot read the filter text missing.txt"},
        {"import-eq good.txt 0 missing.dat", "cannot read the mode file missing.dat"},
        {"import-eq good.txt 0 m.dat --out no/such/x.dat", "does not exist"},
        {"import-eq good.txt 0 m.dat --bank party", "--bank must be singing or dance"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const CtlRun r = zelctl(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(slurpBytes(mode), before);
    }
    // No stray output or temporary file either.
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().extension() == ".dat", entry.path().filename() == "m.dat")
            << entry.path();
}

TEST_F(Zelctl, JsonOfShowCurveAndPortsParsesBack) {
    DeviceParams p = defaults;
    std::memcpy(p.modeName[0], "KTV 1               ", 20);
    p.eqBand[5].gain = 300;
    writeMode("m.dat", p);

    CtlRun r = zelctl("show --json m.dat");
    ASSERT_EQ(r.status, 0) << r.err;
    nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["file"], "m.dat");
    std::size_t fields = 0;
    for (const Field& f : allFields())
        fields += f.offset >= kModeStoreFirstByte;
    ASSERT_EQ(j["fields"].size(), fields);
    bool sawGain = false, sawName = false;
    for (const nlohmann::json& f : j["fields"]) {
        if (f["name"] == "eqBand[5].gain") {
            sawGain = true;
            EXPECT_EQ(f["value"], 300);
            EXPECT_EQ(f["text"], "6.0 dB");
        } else if (f["name"] == "modeName[0]") {
            sawName = true;
            EXPECT_EQ(f["value"], "KTV 1");
        } else if (f["name"] == "scene") {
            EXPECT_FALSE(f.contains("text"));
        }
    }
    EXPECT_TRUE(sawGain && sawName);

    r = zelctl("curve m.dat 0 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["block"], 0);
    EXPECT_EQ(j["bank"], "singing");
    const CtlRun plain = zelctl("curve m.dat 0");
    const std::vector<std::string> rows = outLines(plain.out);
    ASSERT_EQ(j["points"].size(), 420u);
    ASSERT_EQ(rows.size(), 420u);
    for (std::size_t k = 0; k < 420; k += 37) {
        double hz = 0, db = 0;
        ASSERT_EQ(std::sscanf(rows[k].c_str(), "%lf %lf", &hz, &db), 2);
        EXPECT_EQ(j["points"][k]["hz"], CurveGrid[k]);
        EXPECT_NEAR(j["points"][k]["db"].get<double>(), db, 1e-6);
    }
    r = zelctl("curve m.dat 3 --json");
    EXPECT_TRUE(nlohmann::json::parse(r.out)["bank"].is_null());

    startSim();
    r = zelctl("ports --json");
    ASSERT_EQ(r.status, 0) << r.err;
    j = nlohmann::json::parse(r.out);
    bool sawPort = false;
    for (const nlohmann::json& entry : j["ports"])
        sawPort = sawPort || (entry["name"] == port && entry.contains("description"));
    EXPECT_TRUE(sawPort) << r.out;

    r = zelctl("pull --json x.dat");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--json belongs to"), std::string::npos) << r.err;
}

} // namespace
} // namespace zel
