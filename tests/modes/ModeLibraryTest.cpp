// The PC mode library on a real folder: naming, replacing, refusing unsafe names, listing,
// deleting, and loading a row into the store with or without an upload.
#include "modes/ModeLibrary.h"
#include "link/Command.h"
#include "model/Defaults.h"
#include "model/Globals.h"
#include "modes/ModeFile.h"
#include "modes/ModePaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace zel {
namespace {

namespace fs = std::filesystem;

class RecordingUi : public ModeUi {
public:
    void message(const std::string& text) override { messages.push_back(text); }
    bool confirm(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    void listChanged() override { ++lists; }
    void uploadStarted() override { ++uploads; }
    void storeChanged() override { ++refreshes; }
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = true;
    int lists = 0, uploads = 0, refreshes = 0;
};

// A fresh folder under the system's temporary directory, removed afterwards; the mode
// folder is a subfolder so that a file escaping it would be seen.
class ModeLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_bChinese = 0;
        g_bConnected = 0;
        initDefaults();
        std::mt19937_64 rng(static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count()));
        root = fs::temp_directory_path() / ("zel-modes-" + std::to_string(rng()));
        folder = root / "MusicData";
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    std::vector<std::string> filesIn(const fs::path& dir) const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::uint8_t> contents(const fs::path& p) const {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(const fs::path& p, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    int rowOf(const CModeLibrary& lib, const std::string& name) const {
        const auto& n = lib.names();
        const auto it = std::find(n.begin(), n.end(), name);
        return it == n.end() ? 0 : static_cast<int>(it - n.begin()) + 1;
    }

    fs::path root, folder;
    RecordingUi ui;
};

TEST_F(ModeLibraryTest, SaveNamesTheFileAfterTheNameField) {
    struct Case {
        const char* name;
        const char* file;
    };
    const Case cases[] = {{"abc", "abc.dat"},
                          {"abc.dat", "abc.dat"},
                          {"a.dat.x", "a.dat.x"},
                          {"KTV 1", "KTV 1.dat"},
                          {"演唱会", "演唱会.dat"}};
    CModeLibrary lib(ui, folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui.messages.clear();
        lib.saveMode(c.name);
        EXPECT_TRUE(fs::exists(folder / pathFromUtf8(c.file)));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0], std::string("Save mode") + c.name + "success");
    }
    EXPECT_EQ(filesIn(folder).size(), 4u) << "abc.dat saved twice, no abc.dat.dat, no temp";
    EXPECT_EQ(ui.questions.size(), 1u) << "the second abc.dat asked before replacing";
    EXPECT_EQ(ui.questions[0], "Whether to replace the original modeabc.dat");
    // a.dat.x does not match "*.dat", so it is not listed.
    EXPECT_EQ(rowOf(lib, "a.dat.x"), 0);
    EXPECT_NE(rowOf(lib, "演唱会.dat"), 0);

    g_bChinese = 1;
    ui.messages.clear();
    lib.saveMode("xyz");
    EXPECT_EQ(ui.messages.at(0), "存储模式xyz成功");
}

TEST_F(ModeLibraryTest, SavedFileIsTheImageOfTheLiveStore) {
    liveParams.byteParam[3] = 42;
    CModeLibrary lib(ui, folder);
    lib.saveMode("m");
    const ModeBytes expected = encodeMode(liveParams);
    EXPECT_EQ(contents(folder / "m.dat"),
              std::vector<std::uint8_t>(expected.begin(), expected.end()));
}

TEST_F(ModeLibraryTest, CancelledReplaceKeepsTheOldFile) {
    write(folder / "old.dat", {1, 2, 3});
    ui.answer = false;
    CModeLibrary lib(ui, folder);
    lib.saveMode("old");
    EXPECT_EQ(contents(folder / "old.dat"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.questions.size(), 1u);
}

TEST_F(ModeLibraryTest, NamesThatLeaveTheFolderAreRefused) {
    CModeLibrary lib(ui, folder);
    for (const char* name :
         {"", "..", ".", "../escape", "sub/x", "sub\\x", "/tmp/abs", "C:x", "tab\there"}) {
        SCOPED_TRACE(name);
        ui.messages.clear();
        lib.saveMode(name);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].find("Invalid mode name"), std::string::npos);
    }
    EXPECT_TRUE(filesIn(folder).empty());
    EXPECT_EQ(filesIn(root), std::vector<std::string>{"MusicData"});
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(ModeLibraryTest, FailedSaveReportsItAndLeavesNoTemporaryFile) {
    // A folder in the way of the target: the rename over it fails.
    fs::create_directory(folder / "busy.dat");
    CModeLibrary lib(ui, folder);
    lib.saveMode("busy");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Data file save error");
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"busy.dat"});

    // No folder at all: the temporary file cannot be created.
    CModeLibrary gone(ui, root / "missing");
    ui.messages.clear();
    gone.saveMode("x");
    EXPECT_EQ(ui.messages.at(0), "Data file save error");
    EXPECT_FALSE(fs::exists(root / "missing"));
}

TEST_F(ModeLibraryTest, ReplacingWritesTheNewModeWhole) {
    const ModeBytes oldImage = encodeMode(liveParams);
    write(folder / "m.dat", {oldImage.begin(), oldImage.end()});
    liveParams.scene = 2;
    CModeLibrary lib(ui, folder);
    lib.saveMode("m");
    const ModeBytes newImage = encodeMode(liveParams);
    EXPECT_EQ(contents(folder / "m.dat"),
              std::vector<std::uint8_t>(newImage.begin(), newImage.end()));
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"m.dat"});
}

TEST_F(ModeLibraryTest, ListShowsOnlyDatFilesAndDeleteRemovesARow) {
    write(folder / "a.dat", {});
    write(folder / "B.DAT", {});
    write(folder / "notes.txt", {});
    fs::create_directory(folder / "dir.dat");
    CModeLibrary lib(ui, folder);
    lib.listModes();
    std::vector<std::string> names = lib.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.DAT", "a.dat"}));
    ASSERT_EQ(lib.paths().size(), 2u);
    EXPECT_EQ(lib.paths()[0].parent_path(), folder);

    for (int row : {0, -1, 3}) // the header and rows past the list do nothing
        lib.deleteMode(row);
    EXPECT_EQ(lib.names().size(), 2u);

    const int row = rowOf(lib, "a.dat");
    lib.selectRow(2);
    lib.deleteMode(row);
    EXPECT_FALSE(fs::exists(folder / "a.dat"));
    EXPECT_EQ(lib.names(), std::vector<std::string>{"B.DAT"});
    EXPECT_EQ(lib.selectedRow(), 1);
    EXPECT_EQ(lib.selectedName(), "B.DAT");
}

TEST_F(ModeLibraryTest, UploadOfflineAppliesTheFileAndSendsNothing) {
    DeviceParams mode = liveParams;
    mode.eqBand[0].gain = 300;
    mode.scene = 2;
    const ModeBytes image = encodeMode(mode);
    write(folder / "m.dat", {image.begin(), image.end()});
    CModeLibrary lib(ui, folder);
    lib.listModes();
    lib.uploadMode(0, PartAll);
    lib.uploadMode(2, PartAll);
    EXPECT_EQ(ui.refreshes, 0) << "rows outside the list do nothing";

    lib.uploadMode(1, PartMusic);
    EXPECT_EQ(liveParams.eqBand[0].gain, 300);
    EXPECT_EQ(liveParams.scene, 1) << "the music part leaves the scene";
    EXPECT_EQ(ui.uploads, 0);
    EXPECT_EQ(ui.refreshes, 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ModeLibraryTest, UploadReportsUnreadableAndMalformedFiles) {
    write(folder / "short.dat", std::vector<std::uint8_t>(100, 8));
    CModeLibrary lib(ui, folder);
    lib.listModes();
    fs::path missing = folder / "gone.dat";
    EXPECT_EQ(lib.uploadModeFile(missing, PartAll), 0);
    EXPECT_EQ(ui.messages.at(0), "Data File read Error");

    const DeviceParams before = liveParams;
    lib.uploadMode(1, PartAll);
    EXPECT_EQ(ui.messages.at(1), "Data file error");
    EXPECT_EQ(std::memcmp(&before, &liveParams, sizeof before), 0);
}

TEST_F(ModeLibraryTest, UploadWhileConnectedQueuesTheWholeStore) {
    CCommand command;
    g_bConnected = 1;
    const ModeBytes image = encodeMode(liveParams);
    write(folder / "Party.dat", {image.begin(), image.end()});
    CModeLibrary lib(ui, folder);
    lib.listModes();
    lib.uploadMode(1, PartOutputs);
    EXPECT_EQ(command.queuedCount(), static_cast<int>(kUploadFrameCount));
    EXPECT_EQ(ui.uploads, 1);
    EXPECT_EQ(lib.completionName(), "Party.dat");
    lib.uploadDone();
    EXPECT_EQ(ui.messages.back(), "LoadParty.datsuccess");
    g_bChinese = 1;
    lib.uploadDone();
    EXPECT_EQ(ui.messages.back(), "上传Party.dat模式成功");

    g_bConnected = 0;
}

TEST(ModePaths, FollowTheCurrentDirectory) {
    initModePaths();
    const fs::path cwd = fs::current_path();
    EXPECT_EQ(g_modeFolder.parent_path().parent_path(), cwd);
    EXPECT_EQ(g_modeFolder.parent_path().filename(), "MusicData");
    EXPECT_EQ(g_modeSearchPattern.filename(), "*.dat");
    EXPECT_EQ(g_modeSearchPattern.parent_path(), g_modeFolder.parent_path());
}

} // namespace
} // namespace zel
