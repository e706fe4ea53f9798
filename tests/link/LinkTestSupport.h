// Shared fixture and helpers of the link tests: hex byte strings and a reset of the
// program-wide link state around every test.
#pragma once

#include "link/Command.h"
#include "model/Defaults.h"
#include "platform/MessageTarget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace zel::test {

using Bytes = std::vector<std::uint8_t>;

// "FF 55 03 30 00 33" -> bytes.
inline Bytes hex(const std::string& text) {
    Bytes out;
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

inline std::string toHex(const Bytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// The short frame held in a record: bytes 0 .. L + 2.
inline Bytes frameOf(const FrameRecord& r) {
    return Bytes(r.bytes, r.bytes + r.shortFrameLength());
}

inline const std::uint8_t* bytesOf(const DeviceParams& p) {
    return reinterpret_cast<const std::uint8_t*>(&p);
}

// Every test starts from a known link state: empty records (TxRecord FF 55), the factory
// store in step with sentParams, a port open, and the keep-alive pause recorded, not slept.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetRecords();
        fillDefaults(liveParams);
        sentParams = liveParams;
        g_bConnected = 1;
        command.setMainWindow(&mainWindow);
        command.setSystemPanel(nullptr);
        command.setKeepAliveSleeper(&recordSleep);
        s_sleeps.clear();
    }
    void TearDown() override {
        g_bConnected = 0;
        resetRecords();
    }

    static void resetRecords() {
        TxRecord.clear();
        TxRecord[0] = 0xFF;
        TxRecord[1] = 0x55;
        RxRecord.clear();
    }
    static void recordSleep(std::chrono::milliseconds pause) { s_sleeps.push_back(pause); }

    // Feeds `bytes` one at a time, as the transport does; returns the index of the byte on
    // which parse reported a completed reply, or -1.
    int feed(const Bytes& bytes) {
        int completedAt = -1;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (command.parse(1, &bytes[i], 1) == 1 && completedAt < 0)
                completedAt = static_cast<int>(i);
        return completedAt;
    }

    // Takes every queued frame, in order.
    std::vector<FrameRecord> drainQueue() {
        std::vector<FrameRecord> frames;
        FrameRecord r;
        while (command.takeHead(r) == 1)
            frames.push_back(r);
        return frames;
    }

    static inline std::vector<std::chrono::milliseconds> s_sleeps;

    CCommand command;
    QueuedMessageTarget mainWindow;
    QueuedMessageTarget systemPanel;
};

} // namespace zel::test
