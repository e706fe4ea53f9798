// The receive parser: acknowledgements, header hunting, dumps of every length, and a long
// stream of line noise that must never carry it outside its record.
#include "LinkTestSupport.h"

#include <random>

namespace zel::test {
namespace {

class ParserTest : public LinkTest {
protected:
    void frameInFlight(const char* frame) {
        const Bytes b = hex(frame);
        std::memcpy(TxRecord.bytes, b.data(), b.size());
    }
    static Bytes dumpHeader(std::uint16_t n) {
        return {0xFF,
                0x55,
                0x03,
                0xCC,
                static_cast<std::uint8_t>(n >> 8),
                static_cast<std::uint8_t>(n & 0xFF)};
    }
    static bool frameAreaZero() {
        for (std::size_t i = 0; i < kFrameAreaSize; ++i)
            if (RxRecord[i] != 0)
                return false;
        return true;
    }
};

struct AckCase {
    const char* name;
    const char* inFlight;
    const char* reply;
    bool repeat; // the frame must be sent again; nothing cleared
};

TEST_F(ParserTest, AcknowledgementEndsTheExchangeOrAsksForARepeat) {
    const AckCase cases[] = {
        {"status 0 accepts", "FF 55 03 30 00 33", "FF 55 03 30 00 33", false},
        {"status 1 repeats", "FF 55 03 30 00 33", "FF 55 03 30 01 34", true},
        {"status 2 repeats", "FF 55 03 30 00 33", "FF 55 03 30 02 35", true},
        {"status 3 repeats", "FF 55 03 30 00 33", "FF 55 03 30 03 36", true},
        {"status 4 accepts", "FF 55 03 30 00 33", "FF 55 03 30 04 37", false},
        {"a wrong checksum is not checked", "FF 55 03 30 00 33", "FF 55 03 30 00 99", false},
    };
    for (const auto& c : cases) {
        resetRecords();
        frameInFlight(c.inFlight);
        TxRecord[mark::UploadMark] = 1;
        const Bytes reply = hex(c.reply);
        for (std::size_t i = 0; i + 1 < reply.size(); ++i)
            ASSERT_EQ(command.parse(1, &reply[i], 1), 0) << c.name << ", byte " << i;
        ASSERT_EQ(command.parse(1, &reply.back(), 1), 1) << c.name;

        const Bytes inFlight = hex(c.inFlight);
        EXPECT_EQ(toHex(Bytes(TxRecord.bytes, TxRecord.bytes + 4)),
                  toHex(Bytes(inFlight.begin(), inFlight.begin() + 4)))
            << c.name << ": bytes 0..3 of the frame in flight always stay";
        if (c.repeat) {
            EXPECT_EQ(RxRecord[mark::RepeatAfterReply], 1) << c.name;
            EXPECT_EQ(RxRecord.get16(mark::RxLength), 3) << c.name;
            EXPECT_EQ(RxRecord[mark::ChecksumCopy], reply.back()) << c.name;
            EXPECT_EQ(toHex(Bytes(RxRecord.bytes, RxRecord.bytes + 6)), c.reply) << c.name;
            EXPECT_EQ(TxRecord[mark::UploadMark], 1) << c.name << ": marks act until accepted";
        } else {
            EXPECT_TRUE(std::all_of(RxRecord.bytes, RxRecord.bytes + kFrameRecordSize,
                                    [](std::uint8_t b) { return b == 0; }))
                << c.name << ": RxRecord cleared";
            EXPECT_TRUE(std::all_of(TxRecord.bytes + 4, TxRecord.bytes + kFrameRecordSize,
                                    [](std::uint8_t b) { return b == 0; }))
                << c.name << ": TxRecord cleared from byte 4";
        }
    }
}

// A reply that answers another frame - a late second answer to a frame written twice - is no
// answer to the frame in flight: it stays in flight with its marks until its own answer.
TEST_F(ParserTest, AReplyToAnotherFrameDoesNotEndTheExchange) {
    const struct {
        const char* name;
        const char* inFlight;
        const char* stray;
    } cases[] = {
        {"an ack of another command", "FF 55 04 02 05 07 12", "FF 55 03 30 00 33"},
        {"a repeat request for another command", "FF 55 04 02 05 07 12", "FF 55 03 30 02 35"},
        {"a longer reply", "FF 55 03 30 00 33", "FF 55 04 30 02 00 36"},
        {"a dump's header while an ack is due", "FF 55 03 30 00 33", "FF 55 03 CC 05 A4"},
    };
    for (const auto& c : cases) {
        resetRecords();
        frameInFlight(c.inFlight);
        TxRecord[mark::UploadMark] = 1;
        RxRecord[mark::AwaitingReply] = 1;
        RxRecord[mark::RetryCount] = 2;
        EXPECT_EQ(feed(hex(c.stray)), -1) << c.name;
        EXPECT_EQ(TxRecord[mark::UploadMark], 1) << c.name << ": the frame keeps its marks";
        EXPECT_EQ(RxRecord[mark::AwaitingReply], 1) << c.name;
        EXPECT_EQ(RxRecord[mark::RetryCount], 2) << c.name;
        EXPECT_TRUE(frameAreaZero()) << c.name << ": hunting again";

        const Bytes inFlight = hex(c.inFlight);
        const std::uint8_t code = inFlight[3];
        const Bytes ack = {0xFF, 0x55, 0x03, code, 0x00, static_cast<std::uint8_t>(3 + code)};
        EXPECT_EQ(feed(ack), 5) << c.name << ": the frame's own answer still ends it";
        EXPECT_EQ(TxRecord[mark::UploadMark], 0) << c.name;
    }
}

TEST_F(ParserTest, SystemPanelHearsOfModeNameAcksAndModeLoadSyncsOnlyWhileOpen) {
    const Bytes ack = hex("FF 55 03 37 00 3A");
    for (bool open : {false, true}) {
        command.setSystemPanel(open ? &systemPanel : nullptr);
        frameInFlight("FF 55 17 37");
        TxRecord[mark::ModeNameAckMark] = 1;
        ASSERT_EQ(feed(ack), 5);

        frameInFlight("FF 55 03 AA BB 68");
        TxRecord[mark::ModeLoadMark] = 1;
        RxRecord[mark::SyncMark] = 1;
        Bytes dump = dumpHeader(0);
        dump.resize(12);
        ASSERT_EQ(feed(dump), 11);
    }
    auto first = systemPanel.tryTake();
    auto second = systemPanel.tryTake();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->id, WM_SYSTEM_COMMAND_ACK);
    EXPECT_EQ(second->id, WM_SYSTEM_SYNCED);
    EXPECT_FALSE(systemPanel.tryTake().has_value());
    EXPECT_EQ(mainWindow.pending(), 2u) << "the main window hears of both dumps";
}

struct HuntCase {
    const char* name;
    bool dumpDue;
    const char* stream;
    int completesAt; // index of the byte that completes a reply, -1 for none
};

TEST_F(ParserTest, HeaderHuntKeepsOnlyTheHeaderBytesInOrder) {
    const HuntCase cases[] = {
        {"clean acknowledgement", false, "FF 55 03 30 00 33", 5},
        {"noise before the header is dropped", false, "00 12 AB FF 55 03 30 00 33", 8},
        {"stray header bytes restart the hunt", false, "55 03 CC FF 03 FF 55 03 30 00 33", 10},
        {"a repeated FF starts the header again", false, "FF FF FF 55 03 30 00 33", 7},
        {"55 alone does not start a reply", false, "55 03 30 00 33", -1},
        {"a dump is not started by FF 55", true, "FF 55 03 30 00 33", -1},
        {"a dump starts with FF 55 03 CC", true, "FF 55 03 CC 00 00 01 02 03 04 05 06", 11},
        {"noise before a dump header", true, "FF 55 03 30 FF 55 03 CC 00 00 01 02 03 04 05 06", 15},
    };
    for (const auto& c : cases) {
        resetRecords();
        frameInFlight("FF 55 03 30 00 33");
        RxRecord[mark::SyncMark] = c.dumpDue ? 1 : 0;
        EXPECT_EQ(feed(hex(c.stream)), c.completesAt) << c.name;
        EXPECT_LE(RxRecord.get16(mark::RxCount), 4) << c.name;
    }
}

TEST_F(ParserTest, ShortDumpReadsTheMissingPayloadAsZero) {
    frameInFlight("FF 55 03 AA BB 68");
    RxRecord[mark::SyncMark] = 1;
    ASSERT_NE(liveParams.eqBand[0].freq, 0);
    // N = 0: a 12-byte frame carrying scene 2, levels 0 10 0 and two bytes.
    EXPECT_EQ(feed(hex("FF 55 03 CC 00 00 02 00 0A 00 05 06")), 11);
    EXPECT_EQ(liveParams.scene, 2);
    EXPECT_EQ(toHex(Bytes(liveParams.masterVolume, liveParams.masterVolume + 6)),
              "00 0A 00 01 00 01");
    EXPECT_EQ(liveParams.byteParam[0], 5);
    EXPECT_EQ(liveParams.byteParam[1], 6);
    EXPECT_EQ(liveParams.byteParam[2], 0);
    EXPECT_EQ(liveParams.eqBand[0].freq, 0);
    EXPECT_EQ(liveParams.volumeLimit[1], 0);
    EXPECT_EQ(liveParams.danceEqBypass[4], 0);
    EXPECT_EQ(liveParams.lastManualScene, 1) << "not part of the dump";
    EXPECT_EQ(RxRecord.get16(mark::RxCount), 0) << "accepted and cleared";
}

struct DumpLengthCase {
    const char* name;
    std::uint16_t n;
    bool fits;
};

TEST_F(ParserTest, DumpLengthDecidesTheFrameEndAndOversizedDumpsAreDropped) {
    const DumpLengthCase cases[] = {
        {"the device's own dump, 1386 bytes", 0x055E, true},
        {"longer than the payload, still inside the frame area", 1992, true},
        {"one byte more than the frame area holds", 1993, false},
        {"largest length field", 0xFFFF, false},
        {"length field negative as a signed count", 0x8000, false},
    };
    for (const auto& c : cases) {
        resetRecords();
        fillDefaults(liveParams);
        frameInFlight("FF 55 03 AA BB 68");
        RxRecord[mark::SyncMark] = 1;
        Bytes frame = dumpHeader(c.n);
        frame.resize(std::size_t{c.n} + 12 > 3000 ? 3000 : std::size_t{c.n} + 12, 0x07);
        frame[6] = 2; // scene

        const int end = feed(frame);
        if (c.fits) {
            EXPECT_EQ(end, c.n + 11) << c.name;
            EXPECT_EQ(liveParams.scene, 2) << c.name;
            continue;
        }
        EXPECT_EQ(end, -1) << c.name;
        EXPECT_EQ(liveParams.scene, 1) << c.name << ": nothing loaded";
        EXPECT_EQ(RxRecord[mark::ReplyStarted], 0) << c.name << ": hunting again";
        EXPECT_EQ(RxRecord[mark::SyncMark], 1) << c.name << ": still waiting for the dump";
        // The next proper dump is taken as usual.
        Bytes good = dumpHeader(0x055E);
        good.resize(kDumpPayloadEnd);
        good[6] = 2;
        EXPECT_EQ(feed(good), static_cast<int>(kDumpPayloadEnd) - 1) << c.name;
        EXPECT_EQ(liveParams.scene, 2) << c.name;
    }
}

// A dump is taken only from a frame that began FF 55 03 CC while the dump was due, never
// from the bytes of a short reply that was under way when the request changed.
TEST_F(ParserTest, DumpIsLoadedOnlyFromItsOwnHeader) {
    frameInFlight("FF 55 03 AA BB 68");
    EXPECT_EQ(feed(hex("FF 55")), -1); // a short reply begins
    RxRecord[mark::SyncMark] = 1;
    // Read on from offset 2, these bytes would make a 12-byte dump carrying scene 2.
    EXPECT_EQ(feed(hex("03 CC 00 00 02 00 0A 00 05 06")), -1);
    EXPECT_EQ(liveParams.scene, 1) << "nothing loaded";
    EXPECT_EQ(RxRecord[mark::ReplyStarted], 0);

    EXPECT_EQ(feed(hex("FF 55 03 CC 00 00 02 00 0A 00 05 06")), 11);
    EXPECT_EQ(liveParams.scene, 2);
}

TEST_F(ParserTest, IgnoresBytesWhileNoPortIsOpenOrForAnotherPort) {
    const Bytes ack = hex("FF 55 03 30 00 33");
    frameInFlight("FF 55 03 30 00 33");
    g_bConnected = 0;
    EXPECT_EQ(feed(ack), -1);
    g_bConnected = 1;
    for (std::uint8_t b : ack)
        EXPECT_EQ(command.parse(2, &b, 1), 0);
    EXPECT_TRUE(frameAreaZero());
    EXPECT_EQ(RxRecord.get16(mark::RxCount), 0);
}

TEST_F(ParserTest, LineNoiseNeverCarriesTheParserOutsideItsRecord) {
    command.setMainWindow(nullptr);
    frameInFlight("FF 55 03 30 00 33");
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> roll(0, 999);

    // Mostly random bytes, with headers of both kinds and random lengths mixed in so that
    // acknowledgements, repeats, dumps and oversized dumps all occur.
    constexpr int kBytes = 3'000'000;
    int completed = 0;
    int assemblingRun = 0;
    int longestRun = 0;
    Bytes pending;
    std::size_t next = 0;
    for (int i = 0; i < kBytes; ++i) {
        if (next == pending.size()) {
            next = 0;
            const int r = roll(rng);
            if (r < 3)
                pending = {0xFF, 0x55};
            else if (r < 5)
                pending = {0xFF, 0x55, 0x03, 0xCC, static_cast<std::uint8_t>(byte(rng) & 0x0F)};
            else if (r < 6)
                pending = {0xFF, 0x55, 0x03, 0x30, static_cast<std::uint8_t>(byte(rng) & 0x03)};
            else
                pending = {static_cast<std::uint8_t>(byte(rng))};
        }
        const std::uint8_t b = pending[next++];
        // Alternate stretches where acknowledgements and dumps are due; an accepted reply
        // clears the mark, so it is put back as the transport would for the next request.
        RxRecord[mark::SyncMark] = (i / 0x40000) % 2 ? 1 : 0;
        completed += command.parse(1, &b, 1);

        const int count = RxRecord.get16(mark::RxCount);
        ASSERT_GE(count, 0) << "byte " << i;
        ASSERT_LE(count, static_cast<int>(kFrameAreaSize) + 1) << "byte " << i;
        assemblingRun = RxRecord[mark::ReplyStarted] ? assemblingRun + 1 : 0;
        longestRun = std::max(longestRun, assemblingRun);
        if ((i & 0xFFF) == 0) {
            // Nothing is ever stored at or beyond the count.
            for (std::size_t k = static_cast<std::size_t>(count); k < kFrameAreaSize; ++k)
                ASSERT_EQ(RxRecord[k], 0) << "byte " << i << ", frame offset " << k;
        }
    }
    EXPECT_GT(completed, 100);
    EXPECT_LE(longestRun, static_cast<int>(kFrameAreaSize));

    // Whatever state the noise left, filler bytes bring it back to hunting, and the next
    // acknowledgement is understood.
    RxRecord[mark::SyncMark] = 0;
    const Bytes filler(2 * kFrameAreaSize, 0x00);
    feed(filler);
    EXPECT_EQ(RxRecord[mark::ReplyStarted], 0);
    EXPECT_EQ(feed(hex("FF 55 03 30 00 33")), 5);
}

} // namespace
} // namespace zel::test
