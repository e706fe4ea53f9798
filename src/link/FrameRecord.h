// FrameRecord: the 2028-byte record in which a frame travels through the program: frame
// bytes 0..2003, then the marks that tell the transport and the parser how to handle it.
// The same layout serves every queued frame, TxRecord (the frame in flight) and RxRecord
// (the reply being assembled, with the link counters).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zel {

inline constexpr std::size_t kFrameRecordSize = 2028;
inline constexpr std::size_t kFrameAreaSize = 2004;
inline constexpr std::size_t kMaxShortFrame = 258;
// Every frame in either direction starts FF 55.
inline constexpr std::uint8_t kFrameStart0 = 0xFF;
inline constexpr std::uint8_t kFrameStart1 = 0x55;

// Byte offsets of the marks.
namespace mark {
inline constexpr std::size_t ChecksumCopy = 2004;
inline constexpr std::size_t ReplyStarted = 2007;
inline constexpr std::size_t RepeatAfterReply = 2008;
inline constexpr std::size_t AwaitingReply = 2009;
inline constexpr std::size_t UploadMark = 2010;
inline constexpr std::size_t OnlineMark = 2011;
inline constexpr std::size_t SyncMark = 2012;
inline constexpr std::size_t ModeLoadMark = 2014;
inline constexpr std::size_t NotifySystemPanel = 2015;
inline constexpr std::size_t ModeNameAckMark = 2016;
inline constexpr std::size_t UploadRewritten = 2018; // in a frame to send
inline constexpr std::size_t RetryCount = 2018;      // in RxRecord
inline constexpr std::size_t NoRetry = 2019;
// Signed 16-bit: the place 1..kUploadFrameCount of a frame in its upload, 0 outside one.
inline constexpr std::size_t UploadOrdinal = 2020;
inline constexpr std::size_t RxCount = 2022;   // signed 16-bit
inline constexpr std::size_t RxLength = 2024;  // signed 16-bit
inline constexpr std::size_t IdlePolls = 2026; // signed 16-bit
} // namespace mark

struct FrameRecord {
    std::uint8_t bytes[kFrameRecordSize];

    std::uint8_t& operator[](std::size_t i) { return bytes[i]; }
    std::uint8_t operator[](std::size_t i) const { return bytes[i]; }

    // The signed 16-bit counters, stored low byte first.
    std::int16_t get16(std::size_t at) const {
        return static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
    }
    void set16(std::size_t at, std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        bytes[at] = static_cast<std::uint8_t>(u & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(u >> 8);
    }
    void clear() { std::memset(bytes, 0, sizeof bytes); }
    // Length of the short frame held: bytes 0 .. L + 2.
    std::size_t shortFrameLength() const { return std::size_t{bytes[2]} + 3; }
};
static_assert(sizeof(FrameRecord) == kFrameRecordSize);

// For L = byte 2, writes the sum modulo 256 of bytes 2 .. L + 1 (length, command, data)
// into byte L + 2 and into ChecksumCopy. L is at most 255, so this stays in the frame area.
inline void writeChecksum(FrameRecord& r) {
    const std::size_t length = r[2];
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i <= length + 1; ++i)
        sum = static_cast<std::uint8_t>(sum + r[i]);
    r[length + 2] = sum;
    r[mark::ChecksumCopy] = sum;
}

// The frame in flight (bytes 0 and 1 hold FF 55 for the whole run) and the reply being
// assembled. Guarded by g_frameLock.
extern FrameRecord TxRecord;
extern FrameRecord RxRecord;

} // namespace zel
