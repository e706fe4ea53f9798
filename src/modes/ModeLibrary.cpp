// The PC mode library: listing, saving, deleting and uploading mode files.
#include "modes/ModeLibrary.h"

#include "link/Command.h"
#include "modes/ModeFile.h"
#include "modes/ModePaths.h"
#include "modes/ModeTexts.h"

#include <mutex>
#include <system_error>
#include <utility>

namespace zel {

namespace {

// Holds back the loader's messages while g_frameLock is held: a modal box shown under
// the lock would stall the port thread for as long as the operator leaves it open.
class DeferredUi : public ModeUi {
public:
    void message(const std::string& text) override { m_messages.push_back(text); }
    bool confirm(const std::string&) override { return false; }
    void replay(ModeUi& ui) const {
        for (const std::string& m : m_messages)
            ui.message(m);
    }

private:
    std::vector<std::string> m_messages;
};

} // namespace

CModeLibrary::CModeLibrary(ModeUi& ui) : CModeLibrary(ui, g_modeFolder) {}

CModeLibrary::CModeLibrary(ModeUi& ui, std::filesystem::path folder)
    : m_ui(ui), m_folder(std::move(folder)) {}

std::string CModeLibrary::headerNumber() {
    return pick(modetext::HeaderNumber);
}
std::string CModeLibrary::headerName() {
    return pick(modetext::HeaderName);
}

bool CModeLibrary::isSafeName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        // Both separators everywhere, and the drive colon, so that a name valid on one
        // platform is valid on the other.
        if (c == '/' || c == '\\' || c == ':' || u < 0x20)
            return false;
    }
    return true;
}

std::string CModeLibrary::fileNameFor(const std::string& name) {
    return name.find(".dat") != std::string::npos ? name : name + ".dat";
}

void CModeLibrary::listModes() {
    m_paths.clear();
    m_names.clear();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc) || !matchesModePattern(it->path()))
            continue;
        m_paths.push_back(it->path());
        m_names.push_back(utf8FromPath(it->path().filename()));
    }
    m_ui.listChanged();
}

void CModeLibrary::saveMode(const std::string& name) {
    if (!isSafeName(name)) {
        m_ui.message(pick(modetext::BadName));
        return;
    }
    const std::filesystem::path path = m_folder / pathFromUtf8(fileNameFor(name));

    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !m_ui.confirm(pick(modetext::ReplacePrefix) + name))
        return;

    ModeArchive ar;
    ar.storing = true;
    {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        serializeMode(ar, PartAll, m_ui);
    }
    if (!writeModeFile(path, ar.bytes)) {
        m_ui.message(pick(modetext::SaveError));
        return;
    }
    listModes();
    m_ui.message(pick(modetext::SavedPrefix) + name + pick(modetext::SavedSuffix));
}

void CModeLibrary::deleteMode(int row) {
    if (row <= 0 || m_paths.size() < static_cast<std::size_t>(row))
        return;
    const auto k = static_cast<std::size_t>(row - 1);
    std::error_code ec;
    std::filesystem::remove(m_paths[k], ec); // a failure still takes the entry off the list
    m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(k));
    m_names.erase(m_names.begin() + static_cast<std::ptrdiff_t>(k));
    m_selectedRow = 1;
    m_selectedName = m_names.empty() ? std::string() : m_names.front();
    m_ui.listChanged();
}

void CModeLibrary::uploadMode(int row, int part) {
    if (row <= 0 || m_paths.size() < static_cast<std::size_t>(row))
        return;
    uploadModeFile(m_paths[static_cast<std::size_t>(row - 1)], part);
}

int CModeLibrary::uploadModeFile(const std::filesystem::path& path, int part) {
    std::vector<std::uint8_t> bytes;
    if (!readModeFile(path, bytes)) {
        m_ui.message(pick(modetext::ReadError));
        return 0;
    }
    return uploadModeImage(std::move(bytes), path, part);
}

int CModeLibrary::uploadModeImage(std::vector<std::uint8_t> image,
                                  const std::filesystem::path& path, int part) {
    ModeArchive ar;
    ar.bytes = std::move(image);
    DeferredUi deferred;
    int applied = 0;
    bool uploading = false;
    {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        applied = serializeMode(ar, part, deferred);
        if (applied == 1 && g_bConnected && g_pCommand) {
            m_completionName = utf8FromPath(path.filename());
            g_pCommand->queueUploadAll();
            uploading = true;
        }
    }
    deferred.replay(m_ui);
    if (uploading)
        m_ui.uploadStarted();
    listModes();
    m_ui.storeChanged();
    return applied;
}

void CModeLibrary::uploadDone() {
    m_ui.message(pick(modetext::UploadedPrefix) + m_completionName +
                 pick(modetext::UploadedSuffix));
}

void CModeLibrary::selectRow(int row) {
    if (row <= 0 || m_names.size() < static_cast<std::size_t>(row))
        return;
    m_selectedRow = row;
    m_selectedName = m_names[static_cast<std::size_t>(row - 1)];
}

} // namespace zel
