// CModeLibrary: the PC mode library the System page shows — the mode files of the folder,
// saving the live store as a new mode, deleting one, and loading one into the store and
// uploading it to the device.
#pragma once

#include "modes/ModeUi.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zel {

class CModeLibrary {
public:
    // `folder` is where the modes live; by default the start-up's g_modeFolder.
    explicit CModeLibrary(ModeUi& ui);
    CModeLibrary(ModeUi& ui, std::filesystem::path folder);

    // Rebuilds the list from the files of the folder matching "*.dat", in the order the
    // file system lists them, and tells the UI.
    void listModes();
    // Stores the live store as a mode. `name` is the text of the PC-mode name field; ".dat"
    // is appended unless the name already contains it. Asks before replacing a file.
    void saveMode(const std::string& name);
    // Deletes the file of grid row `row` (1-based; row 0 is the header).
    void deleteMode(int row);
    // Loads the file of grid row `row` with load part `part` (0..5) and, while a port is
    // connected, queues the upload of the whole store.
    void uploadMode(int row, int part);
    // The same for a file given by its path: 1 when the file was applied to the store.
    int uploadModeFile(const std::filesystem::path& path, int part);
    // The same for a file image already read from `path` (which is not opened again).
    int uploadModeImage(std::vector<std::uint8_t> image, const std::filesystem::path& path,
                        int part);
    // The last frame of the upload was answered: the completion message.
    void uploadDone();

    // Grid selection: a row above 0 and within the list becomes the selected row.
    void selectRow(int row);
    int selectedRow() const { return m_selectedRow; }
    const std::string& selectedName() const { return m_selectedName; }
    const std::string& completionName() const { return m_completionName; }

    const std::filesystem::path& folder() const { return m_folder; }
    const std::vector<std::filesystem::path>& paths() const { return m_paths; }
    const std::vector<std::string>& names() const { return m_names; }
    // The grid's header texts, in the language on show.
    static std::string headerNumber();
    static std::string headerName();

    // Whether `name` stays inside the folder: not empty, no separator, drive or "..".
    static bool isSafeName(const std::string& name);
    // The file a name is saved as: the name as it is when it contains ".dat", else
    // name + ".dat".
    static std::string fileNameFor(const std::string& name);

private:
    ModeUi& m_ui;
    std::filesystem::path m_folder;
    std::vector<std::filesystem::path> m_paths;
    std::vector<std::string> m_names;
    int m_selectedRow = 1;
    std::string m_selectedName;
    std::string m_completionName;
};

} // namespace zel
