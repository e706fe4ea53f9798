// CCommand: the receive parser, the transmit queue, the frame builders and the change
// detector of the link. One instance for the whole run, reachable through g_pCommand.
#pragma once

#include "link/FrameRecord.h"
#include "model/DeviceParams.h"
#include "platform/MessageTarget.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zel {

// The one program-wide lock: the port thread holds it while it handles one wait result;
// the window thread takes it to queue commands and uploads and around mode-file loads.
extern std::recursive_mutex g_frameLock;
// A serial port is open. Written on the window thread only; read by the port thread.
extern std::atomic<int> g_bConnected;

// One frame waiting in the transmit queue: its own zero-filled record starting FF 55.
class CSendData {
public:
    CSendData();
    FrameRecord& record() { return *m_record; }
    const FrameRecord& record() const { return *m_record; }

private:
    std::unique_ptr<FrameRecord> m_record;
};

// Device command codes.
namespace cmd {
inline constexpr std::uint8_t MasterVolume = 0x01, ByteParam = 0x02, EqBand = 0x03,
                              Filter = 0x04, TimeParam = 0x05, FbeMode = 0x06,
                              Compressor = 0x07, OutputMute = 0x08, EqBypass = 0x09,
                              NoiseGate = 0x0A, Phase = 0x0B, KeepAlive = 0x30,
                              MusicInput = 0x31, KeyLockPassword = 0x32, KeyLockOff = 0x33,
                              AdminPassword = 0x34, UserMode = 0x35, VolumeLimit = 0x36,
                              ModeName = 0x37, ModeLoad = 0x38, Scene = 0x3A, Sync = 0xAA,
                              DumpMarker = 0xCC;
} // namespace cmd

inline constexpr std::size_t kDumpPayloadEnd = 1386; // frame bytes 6..1385 carry the store
inline constexpr std::size_t kUploadFrameCount = 347;

class CCommand {
public:
    CCommand();  // publishes g_pCommand
    ~CCommand(); // withdraws it and frees every queued frame

    CCommand(const CCommand&) = delete;
    CCommand& operator=(const CCommand&) = delete;

    // Receive path (port thread, under g_frameLock).
    int parse(int port, const std::uint8_t* bytes, int count);
    int onReply();
    void loadDump();
    void clearRecords(int port, int alsoTx);
    // Writes the checksum of the short frame in `record` into byte L + 2 and ChecksumCopy.
    static void checksum(FrameRecord& record);

    // Transmit queue (window thread adds, port thread takes; both under g_frameLock).
    void enqueue(std::unique_ptr<CSendData> frame);
    int queuedCount() const;
    int takeHead(FrameRecord& destination);
    void clearQueue();

    // Builders (window thread).
    void queueProbe();
    void queueSync(int afterModeLoad);
    void queueCommand(int code, int arg);
    void queueUploadAll();

    // Change detector (port thread): builds the next frame in TxRecord; always returns 1.
    int nextChange();

    // Where the receive path posts its messages. The System panel target is null while
    // the panel is closed.
    void setMainWindow(MessageTarget* target) { m_mainWindow = target; }
    void setSystemPanel(MessageTarget* target) { m_systemPanel = target; }
    MessageTarget* systemPanel() const { return m_systemPanel.load(); }
    // The pause after a keep-alive (300 ms); tests put a recorder in its place.
    using Sleeper = void (*)(std::chrono::milliseconds);
    void setKeepAliveSleeper(Sleeper sleeper) { m_sleep = sleeper; }

private:
    std::vector<std::unique_ptr<CSendData>> m_queue;
    MessageTarget* m_mainWindow = nullptr;
    std::atomic<MessageTarget*> m_systemPanel{nullptr};
    Sleeper m_sleep;
};

extern CCommand* g_pCommand;

// The device side of the dump, shared with the processor simulator: writes the dump frame
// of `params` (FF 55 03 CC, N = 1374, payload) into `out` and returns its length (1386).
std::size_t buildDumpFrame(const DeviceParams& params, std::uint8_t* out, std::size_t capacity);
// Writes a received dump frame's payload (frame bytes 6..1385) into `params`, master
// volumes through setMasterVolume. Fields not in the dump keep their values.
void loadDumpPayload(DeviceParams& params, const std::uint8_t* frame);

} // namespace zel
