// CCommand: receive parser, transmit queue, frame builders and change detector.
#include "link/Command.h"

#include "link/ParamFrame.h"
#include "model/StoreWrite.h"

#include <cstring>
#include <thread>

namespace zel {

std::recursive_mutex g_frameLock;
std::atomic<int> g_bConnected{0};
CCommand* g_pCommand = nullptr;

namespace {

constexpr int kParserPort = 1;
// A short reply starts FF 55, a dump FF 55 03 CC.
constexpr std::uint8_t kHeader[4] = {kFrameStart0, kFrameStart1, 0x03, cmd::DumpMarker};
constexpr int kShortHeaderLength = 2;
constexpr int kDumpHeaderLength = 4;
constexpr int kFrameArea = static_cast<int>(kFrameAreaSize);
constexpr std::size_t kMarksSize = kFrameRecordSize - kFrameAreaSize;

void realSleep(std::chrono::milliseconds pause) {
    std::this_thread::sleep_for(pause);
}

// The scene a frame selects, or -1 when it is no scene frame.
int sceneOf(const FrameRecord& frame) {
    return frame[2] == 3 && frame[3] == cmd::Scene ? frame[4] : -1;
}

bool isHeaderByte(std::uint8_t b) {
    return b == kHeader[0] || b == kHeader[1] || b == kHeader[2] || b == kHeader[3];
}

// Forgets the reply being assembled (its bytes, count, length and start flag) and goes back
// to hunting. The transport's marks and counters stay.
void restartHunt(FrameRecord& rx, int count) {
    const int stored = count < 0 ? kFrameArea : (count < kFrameArea ? count : kFrameArea);
    std::memset(rx.bytes, 0, static_cast<std::size_t>(stored));
    rx.set16(mark::RxCount, 0);
    rx.set16(mark::RxLength, 0);
    rx[mark::ReplyStarted] = 0;
    rx[mark::ChecksumCopy] = 0;
}

// Whether the reply being assembled starts with the first `headerLength` bytes of the
// header, in order: FF 55 for a short reply, FF 55 03 CC for a dump.
bool holdsHeader(const FrameRecord& rx, int count, int headerLength) {
    return count >= headerLength &&
           std::memcmp(rx.bytes, kHeader, static_cast<std::size_t>(headerLength)) == 0;
}

// Feeds one byte to the assembler in RxRecord; true when it completed a reply.
bool takeByte(std::uint8_t b) {
    FrameRecord& rx = RxRecord;
    const bool dumpDue = rx[mark::SyncMark] != 0;
    int count = rx.get16(mark::RxCount);
    if (count < 0 || count >= kFrameArea) {
        // Bytes beyond a completed reply that was kept for a repeat, or a count that no
        // reply can reach: nothing may be stored past the frame area.
        restartHunt(rx, count);
        count = 0;
    }

    const int headerLength = dumpDue ? kDumpHeaderLength : kShortHeaderLength;
    if (rx[mark::ReplyStarted] != 0 && !holdsHeader(rx, count, headerLength)) {
        // A reply started for another request (a dump became due half-way in, or the records
        // outlived a lost link): its bytes are no header of the reply now due.
        restartHunt(rx, count);
        count = 0;
    }

    if (rx[mark::ReplyStarted] == 0) {
        // Keep only the header's own bytes, in order; an out-of-place header byte starts the
        // hunt again, anything else on the line is dropped.
        if (count >= headerLength) {
            restartHunt(rx, count);
            count = 0;
        }
        if (b == kHeader[count]) {
            rx[static_cast<std::size_t>(count++)] = b;
            if (count == headerLength)
                rx[mark::ReplyStarted] = 1;
        } else if (isHeaderByte(b)) {
            restartHunt(rx, count);
            count = 0;
            if (b == kHeader[0])
                rx[static_cast<std::size_t>(count++)] = b;
        }
        rx.set16(mark::RxCount, static_cast<std::int16_t>(count));
        return false;
    }

    int frameLength;
    if (dumpDue) {
        // The dump's length N is the one big-endian field; the frame is N + 12 bytes.
        if (count == 4)
            rx[mark::RxLength + 1] = b;
        else if (count == 5)
            rx[mark::RxLength] = b;
        rx[static_cast<std::size_t>(count++)] = b;
        const int n = rx[mark::RxLength] | (rx[mark::RxLength + 1] << 8);
        frameLength = n + 12;
        if (count == 6 && frameLength > kFrameArea) {
            restartHunt(rx, count);
            return false;
        }
    } else {
        if (count == 2)
            rx.set16(mark::RxLength, b);
        rx[static_cast<std::size_t>(count++)] = b;
        frameLength = rx[mark::RxLength] + 3;
    }

    if (count == frameLength) {
        rx[mark::ChecksumCopy] = b;
        rx.set16(mark::RxCount, static_cast<std::int16_t>(count + 1));
        return true;
    }
    if (count >= kFrameArea) {
        // A reply whose length test can no longer be met would run off the record.
        restartHunt(rx, count);
        return false;
    }
    rx.set16(mark::RxCount, static_cast<std::int16_t>(count));
    return false;
}

// Whether a completed reply answers the frame in flight: the dump when one is due (the
// assembler took nothing else), otherwise an acknowledgement of the frame's command.
bool answersFrameInFlight(const FrameRecord& rx) {
    return rx[mark::SyncMark] != 0 || (rx[2] == 3 && rx[3] == TxRecord[3]);
}

// Two password digits share a byte, the first in the low nibble.
std::uint8_t packDigits(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint8_t>(first + 16 * second);
}

std::unique_ptr<CSendData> shortFrame(std::uint8_t command, const std::uint8_t* data,
                                      std::size_t size) {
    auto frame = std::make_unique<CSendData>();
    FrameRecord& r = frame->record();
    r[2] = static_cast<std::uint8_t>(size + 2);
    r[3] = command;
    std::memcpy(&r[4], data, size);
    writeChecksum(r);
    return frame;
}

std::unique_ptr<CSendData> shortFrame(std::uint8_t command, std::uint8_t value) {
    return shortFrame(command, &value, 1);
}

// A queued frame of an element's live value. From here on that value counts as sent: a
// field left with an older sentParams value (a music-only mode load keeps them for the
// fields it does not apply) would be taken for sent if it were edited back to that value
// while the frame waits, though the device gets what the frame carries.
std::unique_ptr<CSendData> paramFrame(ParamGroup group, int element) {
    auto frame = std::make_unique<CSendData>();
    buildParamFrame(frame->record(), liveParams, group, element);
    const ParamGroupInfo& g = paramGroupInfo(group);
    const std::size_t at = g.offset + static_cast<std::size_t>(element) * g.stride;
    std::memcpy(reinterpret_cast<std::uint8_t*>(&sentParams) + at,
                reinterpret_cast<const std::uint8_t*>(&liveParams) + at, g.size);
    return frame;
}

} // namespace

CCommand::CCommand() : m_sleep(realSleep) {
    g_pCommand = this;
}

CCommand::~CCommand() {
    clearQueue();
    if (g_pCommand == this)
        g_pCommand = nullptr;
}

void CCommand::setKeepAliveSleeper(Sleeper sleeper) {
    m_sleep = sleeper ? sleeper : realSleep;
}

// ---- receive path ----

int CCommand::parse(int port, const std::uint8_t* bytes, int count) {
    if (port != kParserPort || g_bConnected.load() == 0 || bytes == nullptr)
        return 0;
    for (int i = 0; i < count; ++i) {
        if (!takeByte(bytes[i]))
            continue;
        if (!answersFrameInFlight(RxRecord)) {
            // The device answers a frame with the frame's own command byte, so this reply
            // belongs to another frame: typically the second answer to a frame that went
            // out twice, come after the next frame was written. Taken as this frame's
            // answer, it would count the frame as delivered though the device may never
            // have had it; the frame's own answer, or its reply wait, decides instead.
            restartHunt(RxRecord, RxRecord.get16(mark::RxCount));
            continue;
        }
        if (onReply() == 1)
            clearRecords(kParserPort, 1);
        return 1;
    }
    return 0;
}

int CCommand::onReply() {
    FrameRecord& rx = RxRecord;
    if (rx[2] == 3 && rx[3] == TxRecord[3]) {
        // The acknowledgement of the frame in flight; status 1..3 asks for it again.
        const std::uint8_t status = rx[4];
        if (status >= 1 && status <= 3) {
            rx[mark::RepeatAfterReply] = 1;
            return 0;
        }
        if (TxRecord[mark::ModeNameAckMark] != 0)
            if (MessageTarget* panel = m_systemPanel.load())
                panel->post(WM_SYSTEM_COMMAND_ACK, 0, 0);
        if (sceneOf(TxRecord) == storeRead(liveParams.scene))
            m_sceneBorrowed = false; // the device is back in the operator's scene
        if (const int place = TxRecord.get16(mark::UploadOrdinal); place > 0) {
            m_uploadAnswered = place;
            // One message in flight at most: the panel reads the latest count when it
            // arrives, so a burst of answers costs one post.
            if (MessageTarget* panel = m_systemPanel.load())
                if (!m_progressPosted.exchange(true))
                    panel->post(WM_SYSTEM_UPLOAD_PROGRESS, 0, 0);
        }
        return 1;
    }
    if (rx[mark::SyncMark] != 0)
        loadDump();
    return 1;
}

void CCommand::loadDump() {
    // The dump replaces the store in one write section, so a page's edit lands either
    // before it (and is overwritten, as the device's values win) or after it (and is sent).
    // Nothing of the dump is sent back. The window thread re-attaches the curve models
    // when it handles WM_LINK_SYNCED: they belong to it.
    //
    // One exception: a device the PC left in a borrowed bank (the link went before the
    // scene went back) reports that bank as its scene. The operator's scene stays, and as
    // sentParams keeps the device's, the detector sends it back. After a device mode load
    // the scene is the mode's.
    struct Load {
        const std::uint8_t* frame;
        bool keepScene;
        std::uint8_t deviceScene;
    } load{RxRecord.bytes, m_sceneBorrowed && TxRecord[mark::ModeLoadMark] == 0, 0};
    storeUpdate(
        liveParams, sentParams,
        [](DeviceParams& p, const void* context) {
            auto& dump = *static_cast<Load*>(const_cast<void*>(context));
            const std::uint8_t operatorScene = p.scene;
            loadDumpPayload(p, dump.frame);
            dump.deviceScene = p.scene;
            if (dump.keepScene)
                p.scene = operatorScene;
        },
        &load);
    sentParams.scene = load.deviceScene;
    m_sceneBorrowed = false;
    if (m_mainWindow)
        m_mainWindow->post(WM_LINK_SYNCED, 0, 0);
    if (TxRecord[mark::ModeLoadMark] != 0)
        if (MessageTarget* panel = m_systemPanel.load())
            panel->post(WM_SYSTEM_SYNCED, 0, 0);
}

void CCommand::noteSceneSent(const FrameRecord& frame) {
    if (const int scene = sceneOf(frame); scene >= 0 && scene != storeRead(liveParams.scene))
        m_sceneBorrowed = true;
}

void CCommand::clearRecords(int port, int alsoTx) {
    if (port != kParserPort)
        return;
    RxRecord.clear();
    // Bytes 0..3 (FF 55, length, command) of the frame in flight stay for the next reply.
    if (alsoTx)
        std::memset(&TxRecord[4], 0, kFrameRecordSize - 4);
}

void CCommand::checksum(FrameRecord& record) {
    writeChecksum(record);
}

// ---- transmit queue ----

void CCommand::enqueue(std::unique_ptr<CSendData> frame) {
    if (frame)
        m_queue.push_back(std::move(frame));
}

int CCommand::queuedCount() const {
    return static_cast<int>(m_queue.size());
}

int CCommand::takeHead(FrameRecord& destination) {
    if (m_queue.empty())
        return 0;
    destination = m_queue.front()->record(); // the marks travel with the frame
    noteSceneSent(destination);              // an upload's bank switch
    m_queue.erase(m_queue.begin());
    return 1;
}

void CCommand::clearQueue() {
    m_queue.clear();
}

// ---- builders ----

void CCommand::queueProbe() {
    auto probe = shortFrame(cmd::KeepAlive, 0x00);
    probe->record()[mark::NoRetry] = 1; // an unanswered probe means no device on this port
    enqueue(std::move(probe));
}

void CCommand::queueSync(int afterModeLoad) {
    if (afterModeLoad == 0)
        queueProbe();
    auto sync = shortFrame(cmd::Sync, 0xBB);
    sync->record()[mark::SyncMark] = 1;
    sync->record()[mark::ModeLoadMark] = afterModeLoad ? 1 : 0;
    enqueue(std::move(sync));
}

void CCommand::queueCommand(int code, int arg) {
    const DeviceParams& p = liveParams;
    const bool modeValid = arg >= 0 && arg < kModeCount;
    const auto mode = static_cast<std::uint8_t>(arg);
    switch (code) {
    case cmd::KeyLockPassword: {
        const std::uint8_t data[2] = {packDigits(p.keyLockPassword[0], p.keyLockPassword[1]),
                                      packDigits(p.keyLockPassword[2], p.keyLockPassword[3])};
        enqueue(shortFrame(cmd::KeyLockPassword, data, sizeof data));
        break;
    }
    case cmd::KeyLockOff:
        enqueue(shortFrame(cmd::KeyLockOff, p.keyLockOff));
        break;
    case cmd::AdminPassword: {
        const std::uint8_t data[3] = {packDigits(p.adminPassword[0], p.adminPassword[1]),
                                      packDigits(p.adminPassword[2], p.adminPassword[3]),
                                      packDigits(p.adminPassword[4], p.adminPassword[5])};
        enqueue(shortFrame(cmd::AdminPassword, data, sizeof data));
        break;
    }
    case cmd::UserMode:
        enqueue(shortFrame(cmd::UserMode, p.userMode));
        break;
    case cmd::ModeName: {
        if (!modeValid)
            return;
        std::uint8_t data[1 + kModeNameLength];
        data[0] = mode;
        std::memcpy(&data[1], p.modeName[arg], kModeNameLength);
        auto frame = shortFrame(cmd::ModeName, data, sizeof data);
        frame->record()[mark::ModeNameAckMark] = 1; // the System panel waits for this ack
        enqueue(std::move(frame));
        break;
    }
    case cmd::ModeLoad:
        if (modeValid)
            enqueue(shortFrame(cmd::ModeLoad, mode));
        break;
    default:
        break;
    }
}

void CCommand::queueUploadAll() {
    const std::size_t first = m_queue.size();
    m_queue.reserve(first + kUploadFrameCount);
    auto queueGroup = [this](ParamGroup group) {
        for (int k = 0; k < paramGroupInfo(group).count; ++k)
            enqueue(paramFrame(group, k));
    };
    // The device applies scene-dependent frames to the bank of the last scene frame, so
    // each bank's values follow a switch to that bank.
    auto bankSwitch = [this](std::uint8_t scene) {
        auto frame = shortFrame(cmd::Scene, scene);
        frame->record()[mark::UploadMark] = 1;
        enqueue(std::move(frame));
    };

    bankSwitch(1);
    for (ParamGroup g :
         {ParamGroup::ByteParam, ParamGroup::EqBand, ParamGroup::Filter, ParamGroup::TimeParam,
          ParamGroup::FbeMode, ParamGroup::Compressor, ParamGroup::OutputMute, ParamGroup::EqBypass,
          ParamGroup::NoiseGate, ParamGroup::Phase})
        queueGroup(g);
    queueGroup(ParamGroup::MusicInput);
    queueGroup(ParamGroup::MusicInput);
    queueGroup(ParamGroup::VolumeLimit);

    bankSwitch(2);
    for (ParamGroup g :
         {ParamGroup::DanceByteParam, ParamGroup::DanceEqBand, ParamGroup::DanceFilter,
          ParamGroup::DanceEqBypass, ParamGroup::DancePhase})
        queueGroup(g);

    // Back to the live scene; its reply ends the upload.
    auto last = paramFrame(ParamGroup::Scene, 0);
    last->record()[mark::OnlineMark] = 1;
    last->record()[mark::NotifySystemPanel] = 1;
    enqueue(std::move(last));

    for (int code : {cmd::KeyLockPassword, cmd::KeyLockOff, cmd::AdminPassword, cmd::UserMode})
        queueCommand(code, 0);

    // Each frame knows its place, so the answers can be shown as the upload's progress.
    m_uploadAnswered = 0;
    for (std::size_t i = first; i < m_queue.size(); ++i)
        m_queue[i]->record().set16(mark::UploadOrdinal, static_cast<std::int16_t>(i - first + 1));
}

// ---- change detector ----

namespace {

// The first element whose bytes in `live` differ from sentParams, in the detector's order.
struct Difference {
    ParamGroup group;
    int element;
};

bool firstDifference(const std::uint8_t* live, Difference& found) {
    const auto* sent = reinterpret_cast<const std::uint8_t*>(&sentParams);
    for (int gi = 0; gi < kParamGroupCount; ++gi) {
        const auto group = static_cast<ParamGroup>(gi);
        const ParamGroupInfo& g = paramGroupInfo(group);
        const std::uint8_t* liveGroup = live + g.offset;
        const std::uint8_t* sentGroup = sent + g.offset;
        if (g.stride == g.size &&
            std::memcmp(liveGroup, sentGroup, std::size_t{g.count} * g.stride) == 0)
            continue;
        for (int k = 0; k < g.count; ++k) {
            const std::size_t at = static_cast<std::size_t>(k) * g.stride;
            if (std::memcmp(liveGroup + at, sentGroup + at, g.size) != 0) {
                found = {group, k};
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool CCommand::findChange() {
    // Pages write the store without the lock: work on one snapshot, and send and record
    // exactly what it holds, so a later edit shows up as a new difference.
    DeviceParams snapshot;
    storeSnapshot(&snapshot, &liveParams, sizeof snapshot);
    const auto* live = reinterpret_cast<const std::uint8_t*>(&snapshot);
    auto* sent = reinterpret_cast<std::uint8_t*>(&sentParams);

    Difference d{};
    if (firstDifference(live, d)) {
        const ParamGroupInfo& g = paramGroupInfo(d.group);
        const std::size_t at = g.offset + static_cast<std::size_t>(d.element) * g.stride;
        std::memset(&TxRecord[kFrameAreaSize], 0, kMarksSize); // no marks on these
        const int bank = paramSceneBank(d.group, d.element);
        if (bank != 0 && sentParams.scene != bank) {
            // The device applies this frame to the bank of the last scene frame it got:
            // switch it to the field's bank first (after a scene copy, or an edit made
            // before the new scene went out), or the value lands in the other bank.
            const auto scene = static_cast<std::uint8_t>(bank);
            buildParamFrame(TxRecord, ParamGroup::Scene, 0, &scene);
            sentParams.scene = scene;
            noteSceneSent(TxRecord);
            return true;
        }
        std::uint8_t wire[8];
        std::memcpy(wire, live + at, g.size);
        if (d.group == ParamGroup::MasterMute) {
            // Only the mute flag is recorded; the volume is its own group.
            wire[0] = live[at] ? std::uint8_t{0} : snapshot.masterVolume[d.element];
        }
        buildParamFrame(TxRecord, d.group, d.element, wire);
        std::memcpy(sent + at, live + at, g.size);
        return true;
    }

    std::memset(&TxRecord[kFrameAreaSize], 0, kMarksSize);
    TxRecord[0] = kFrameStart0;
    TxRecord[1] = kFrameStart1;
    TxRecord[2] = 3;
    TxRecord[3] = cmd::KeepAlive;
    TxRecord[4] = 0x00;
    writeChecksum(TxRecord);
    return false;
}

int CCommand::nextChange() {
    if (!findChange())
        m_sleep(kKeepAlivePause);
    return 1;
}

} // namespace zel
