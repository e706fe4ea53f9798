// Fuzzes the receive parser the way the port thread drives it: frames taken into flight,
// reply bytes with line noise, dumps, acknowledgements, resends and reconnects, in an order
// the input chooses. After every byte it checks that the store changed only through a
// complete dump that began FF 55 03 CC, that the records' marks changed only when a reply
// was accepted, and that nothing was stored at or beyond the reply count.
#include "link/Command.h"
#include "link/DumpFrame.h"
#include "model/Defaults.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using namespace zel;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok)
        fail(what);
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    bool empty() const { return size == 0; }
    std::uint8_t next() {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
};

bool allZero(const std::uint8_t* p, std::size_t n) {
    static const std::uint8_t zeros[kFrameRecordSize] = {};
    return std::memcmp(p, zeros, n) == 0;
}

// Marks the assembler itself keeps while a reply is under way.
bool parserOwned(std::size_t at) {
    return at == mark::ChecksumCopy || at == mark::ReplyStarted || at == mark::RxCount ||
           at == mark::RxCount + 1 || at == mark::RxLength || at == mark::RxLength + 1;
}

struct World {
    CCommand command;
    QueuedMessageTarget mainWindow{1024};
    QueuedMessageTarget systemPanel{1024};
    DeviceParams factory{};

    World() {
        fillDefaults(factory);
        command.setMainWindow(&mainWindow);
        command.setKeepAliveSleeper([](std::chrono::milliseconds) {});
    }

    void reset() {
        liveParams = factory;
        sentParams = factory;
        TxRecord.clear();
        TxRecord[0] = kFrameStart0;
        TxRecord[1] = kFrameStart1;
        RxRecord.clear();
        g_bConnected = 1;
        command.setSystemPanel(nullptr);
        while (mainWindow.tryTake()) {
        }
        while (systemPanel.tryTake()) {
        }
    }

    // A frame of each kind the port thread sends, with the marks it carries.
    void takeIntoFlight(std::uint8_t kind) {
        std::memset(&TxRecord[2], 0, kFrameRecordSize - 2);
        static constexpr std::uint8_t kCommands[] = {0x30, 0x02, 0xAA, 0x30, 0x37,
                                                     0x3A, 0xAA, 0x38, 0x03, 0x01};
        const std::uint8_t code = kCommands[kind % sizeof kCommands];
        TxRecord[2] = 3;
        TxRecord[3] = code;
        TxRecord[4] = static_cast<std::uint8_t>(kind >> 4);
        writeChecksum(TxRecord);
        switch (kind % sizeof kCommands) {
        case 2:
            TxRecord[mark::SyncMark] = 1;
            break;
        case 3:
            TxRecord[mark::NoRetry] = 1;
            break;
        case 4:
            TxRecord[mark::ModeNameAckMark] = 1;
            break;
        case 5:
            TxRecord[mark::UploadMark] = 1;
            TxRecord[mark::OnlineMark] = 1;
            break;
        case 6:
            TxRecord[mark::SyncMark] = 1;
            TxRecord[mark::ModeLoadMark] = 1;
            break;
        default:
            break;
        }
        RxRecord[mark::SyncMark] = TxRecord[mark::SyncMark];
        RxRecord[mark::AwaitingReply] = 1;
    }

    void feed(std::uint8_t b) {
        static FrameRecord rxBefore, txBefore;
        static DeviceParams liveBefore;
        rxBefore = RxRecord;
        txBefore = TxRecord;
        liveBefore = liveParams;

        const int completed = command.parse(1, &b, 1);
        const bool storeChanged = std::memcmp(&liveParams, &liveBefore, sizeof liveParams) != 0;

        const int count = RxRecord.get16(mark::RxCount);
        check(count >= 0 && count <= static_cast<int>(kFrameAreaSize) + 1, "count in range");
        if (count < static_cast<int>(kFrameAreaSize))
            check(allZero(RxRecord.bytes + count, kFrameAreaSize - static_cast<std::size_t>(count)),
                  "nothing stored beyond the count");

        if (g_bConnected == 0) {
            check(completed == 0 && !storeChanged, "no port: nothing taken");
            check(std::memcmp(&RxRecord, &rxBefore, sizeof RxRecord) == 0, "no port: Rx kept");
            return;
        }
        if (completed == 0) {
            check(!storeChanged, "the store changes only when a reply completes");
            check(std::memcmp(&TxRecord, &txBefore, sizeof TxRecord) == 0,
                  "the frame in flight keeps its marks while no reply completed");
            for (std::size_t at = kFrameAreaSize; at < kFrameRecordSize; ++at)
                if (!parserOwned(at))
                    check(RxRecord[at] == rxBefore[at], "link marks kept while assembling");
            return;
        }

        // A completed reply: the frame is what was held plus this byte.
        FrameRecord frame = rxBefore;
        const int held = rxBefore.get16(mark::RxCount);
        check(held >= 0 && held < static_cast<int>(kFrameAreaSize), "completed inside the area");
        frame[static_cast<std::size_t>(held)] = b;
        const bool ackOfInFlight = frame[2] == 3 && frame[3] == txBefore[3];
        const bool repeat = ackOfInFlight && frame[4] >= 1 && frame[4] <= 3;
        if (repeat) {
            check(!storeChanged, "a repeat request loads nothing");
            check(RxRecord[mark::RepeatAfterReply] == 1, "repeat marked");
            check(std::memcmp(&TxRecord, &txBefore, sizeof TxRecord) == 0,
                  "a repeat keeps the frame in flight");
            return;
        }
        check(ackOfInFlight || rxBefore[mark::SyncMark] != 0,
              "only the answer to the frame in flight ends the exchange");
        if (!ackOfInFlight) {
            static constexpr std::uint8_t kDumpHeader[4] = {0xFF, 0x55, 0x03, 0xCC};
            check(std::memcmp(frame.bytes, kDumpHeader, 4) == 0, "a dump begins FF 55 03 CC");
            const int n = (frame[4] << 8) | frame[5];
            check(held + 1 == n + 12, "a dump is complete at N + 12 bytes");
            DeviceParams expected = liveBefore;
            loadDumpPayload(expected, frame.bytes);
            check(std::memcmp(&expected, &liveParams, sizeof expected) == 0,
                  "the store holds exactly the dump");
            check(std::memcmp(&sentParams, &liveParams, sizeof expected) == 0,
                  "nothing of the dump is sent back");
        } else {
            check(!storeChanged, "only a dump changes the store");
        }
        check(allZero(RxRecord.bytes, kFrameRecordSize), "an accepted reply clears RxRecord");
        check(std::memcmp(TxRecord.bytes, txBefore.bytes, 4) == 0, "bytes 0..3 stay");
        check(allZero(TxRecord.bytes + 4, kFrameRecordSize - 4),
              "an accepted reply clears TxRecord's marks");
    }
};

World& world() {
    static World w;
    return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& w = world();
    w.reset();
    Input in{data, size};
    while (!in.empty()) {
        const std::uint8_t op = in.next();
        switch (op % 8) {
        case 0:
            w.takeIntoFlight(in.next());
            break;
        case 1:
        case 2: { // raw bytes off the line
            const int n = 1 + in.next() % 64;
            for (int i = 0; i < n && !in.empty(); ++i)
                w.feed(in.next());
            break;
        }
        case 3: { // a dump with the length field and leading payload from the input
            const std::uint8_t hi = in.next() % 8, lo = in.next();
            for (std::uint8_t b : {std::uint8_t{0xFF}, std::uint8_t{0x55}, std::uint8_t{0x03},
                                   std::uint8_t{0xCC}, hi, lo})
                w.feed(b);
            const int n = (hi << 8 | lo) + 6;
            const int fromInput = in.next();
            for (int i = 0; i < n; ++i)
                w.feed(i < fromInput ? in.next() : static_cast<std::uint8_t>(i * 7));
            break;
        }
        case 4: { // the acknowledgement of the frame in flight
            const std::uint8_t status = in.next() % 5;
            const std::uint8_t code = TxRecord[3];
            for (std::uint8_t b : {std::uint8_t{0xFF}, std::uint8_t{0x55}, std::uint8_t{0x03}, code,
                                   status, static_cast<std::uint8_t>(3 + code + status)})
                w.feed(b);
            break;
        }
        case 5: // the transport writes the same frame again
            RxRecord.clear();
            RxRecord[mark::SyncMark] = TxRecord[mark::SyncMark];
            RxRecord[mark::AwaitingReply] = 1;
            break;
        case 6: // the link failed and a new connection starts
            RxRecord.clear();
            std::memset(&TxRecord[4], 0, kFrameRecordSize - 4);
            break;
        default:
            if (op & 0x80)
                g_bConnected = g_bConnected ? 0 : 1;
            else
                w.command.setSystemPanel(op & 0x40 ? &w.systemPanel : nullptr);
            break;
        }
    }
    while (w.mainWindow.tryTake()) {
    }
    while (w.systemPanel.tryTake()) {
    }
    return 0;
}
