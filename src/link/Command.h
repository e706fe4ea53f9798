// CCommand: the receive parser, the transmit queue, the frame builders and the change
// detector of the link. One instance for the whole run, reachable through g_pCommand.
#pragma once

#include "link/DumpFrame.h"
#include "link/FrameRecord.h"
#include "link/SendData.h"
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

// Device command codes.
namespace cmd {
inline constexpr std::uint8_t MasterVolume = 0x01, ByteParam = 0x02, EqBand = 0x03, Filter = 0x04,
                              TimeParam = 0x05, FbeMode = 0x06, Compressor = 0x07,
                              OutputMute = 0x08, EqBypass = 0x09, NoiseGate = 0x0A, Phase = 0x0B,
                              KeepAlive = 0x30, MusicInput = 0x31, KeyLockPassword = 0x32,
                              KeyLockOff = 0x33, AdminPassword = 0x34, UserMode = 0x35,
                              VolumeLimit = 0x36, ModeName = 0x37, ModeLoad = 0x38, Scene = 0x3A,
                              Sync = 0xAA, DumpMarker = 0xCC;
} // namespace cmd

inline constexpr std::size_t kUploadFrameCount = 347;

class CCommand {
public:
    CCommand();  // publishes g_pCommand
    ~CCommand(); // withdraws it and frees every queued frame

    CCommand(const CCommand&) = delete;
    CCommand& operator=(const CCommand&) = delete;

    // Receive path (port thread, under g_frameLock).
    // Feeds received bytes to the reply assembler in RxRecord; returns 1 when a reply was
    // completed and handled (cleared when accepted), 0 otherwise. Ignores everything unless
    // port is 1 and a port is open. A reply that would not fit the frame area is dropped
    // and the assembler hunts for the next header.
    int parse(int port, const std::uint8_t* bytes, int count);
    // Interprets the completed answer to the frame in flight: 1 = the exchange is finished,
    // 0 = send the frame again.
    int onReply();
    // Writes the dump in RxRecord into the live store, makes sentParams equal to it and
    // tells the main window (and, after a mode load, the System panel). A scene the PC
    // borrowed and had not yet given back is not taken as the operator's: that scene stays
    // in the store, and sentParams holds the device's.
    void loadDump();
    // Port 1 only: zeroes RxRecord and, when alsoTx is non-zero, TxRecord from byte 4 on.
    void clearRecords(int port, int alsoTx);
    // Writes the checksum of the short frame in `record` into byte L + 2 and ChecksumCopy.
    static void checksum(FrameRecord& record);

    // Transmit queue (window thread adds, port thread takes; both under g_frameLock).
    void enqueue(std::unique_ptr<CSendData> frame);
    int queuedCount() const;
    int takeHead(FrameRecord& destination);
    void clearQueue();

    // Builders (window thread, under g_frameLock once the port thread runs).
    void queueProbe();
    // The synchronisation request, after a probe unless it follows a device mode load.
    void queueSync(int afterModeLoad);
    // One device command, 0x32 0x33 0x34 0x35 0x37 or 0x38, with its data from the live
    // store; arg is the mode number 0..5 for 0x37 and 0x38. Other codes, and a mode number
    // out of range, queue nothing.
    void queueCommand(int code, int arg);
    // The whole upload of the live store: kUploadFrameCount frames.
    void queueUploadAll();

    // Change detector (port thread, under g_frameLock): builds the frame of the first field
    // that differs from sentParams in TxRecord and records it as sent, or builds the
    // keep-alive and pauses. Always returns 1. Never allocates.
    int nextChange();
    // The same without the pause: true when a field's frame was built, false for the
    // keep-alive, whose pause is then the caller's to take (the port thread takes it
    // without holding g_frameLock).
    bool findChange();

    // Where the receive path posts its messages. The System panel target is null while
    // the panel is closed. The port thread posts to the panel only while it holds
    // g_frameLock, so taking the lock here means that once the panel has unregistered,
    // nothing is posted to it any more and it may be destroyed.
    void setMainWindow(MessageTarget* target) { m_mainWindow = target; }
    void setSystemPanel(MessageTarget* target) {
        std::lock_guard<std::recursive_mutex> lock(g_frameLock);
        m_systemPanel = target;
        m_progressPosted = false; // a message queued for a closed panel is never taken
    }
    MessageTarget* systemPanel() const { return m_systemPanel.load(); }
    // Frames of the latest upload the device has answered, 0..kUploadFrameCount. Read on
    // the window thread when WM_SYSTEM_UPLOAD_PROGRESS arrives; it takes no lock.
    int uploadAnswered() const { return m_uploadAnswered.load(); }
    // The System panel has taken the progress message: the next answer posts another.
    void uploadProgressTaken() { m_progressPosted = false; }
    // The pause after a keep-alive (300 ms); tests put a recorder in its place, null puts
    // the real sleep back.
    using Sleeper = void (*)(std::chrono::milliseconds);
    void setKeepAliveSleeper(Sleeper sleeper);

private:
    std::vector<std::unique_ptr<CSendData>> m_queue;
    MessageTarget* m_mainWindow = nullptr;
    std::atomic<MessageTarget*> m_systemPanel{nullptr};
    std::atomic<int> m_uploadAnswered{0};
    std::atomic<bool> m_progressPosted{false};
    // The PC moved the device to another bank than the operator's scene to send a banked
    // field (the change detector) or a bank (an upload), and has not yet had the move back
    // answered. Port thread, under g_frameLock; it outlives a lost link.
    bool m_sceneBorrowed = false;
    // A scene frame about to go out that is not the operator's scene borrows a bank.
    void noteSceneSent(const FrameRecord& frame);
    Sleeper m_sleep;
};
inline constexpr std::chrono::milliseconds kKeepAlivePause{300};

extern CCommand* g_pCommand;

} // namespace zel
