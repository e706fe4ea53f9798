// The store's write sections: writers take turns on a small lock held only while bytes are
// copied (never across I/O or a pause), and a sequence counter, odd while a section runs,
// lets the port thread read without any lock.
#include "model/StoreWrite.h"

#include <mutex>
#include <thread>

namespace zel {

namespace {

std::mutex g_writers;
std::atomic<std::uint32_t> g_sequence{0};
// Set while a reader that could not get a clean copy waits for the writers' lock: writers
// let it have the lock first, or a stream of edits could keep it waiting.
std::atomic<bool> g_readerWaiting{false};

std::unique_lock<std::mutex> writerLock() {
    while (g_readerWaiting.load(std::memory_order_relaxed))
        std::this_thread::yield();
    return std::unique_lock<std::mutex>(g_writers);
}

class WriteSection {
public:
    WriteSection() : m_lock(writerLock()), m_start(g_sequence.load(std::memory_order_relaxed)) {
        g_sequence.store(m_start + 1, std::memory_order_relaxed);
        // The odd count is visible before any byte of the section.
        std::atomic_thread_fence(std::memory_order_release);
    }
    ~WriteSection() { g_sequence.store(m_start + 2, std::memory_order_release); }
    WriteSection(const WriteSection&) = delete;
    WriteSection& operator=(const WriteSection&) = delete;

private:
    std::unique_lock<std::mutex> m_lock;
    std::uint32_t m_start;
};

void copyBytes(std::uint8_t* to, const std::uint8_t* from, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        storeWrite(to[i], storeRead(from[i]));
}

} // namespace

void storeWrite(U16le& field, std::uint16_t value) {
    WriteSection section;
    storeWrite(field.bytes[0], static_cast<std::uint8_t>(value & 0xFF));
    storeWrite(field.bytes[1], static_cast<std::uint8_t>(value >> 8));
}

void storeWrite(EqBand& record, const EqBand& value) {
    storeCopy(&record, &value, sizeof record);
}

void storeWrite(FilterParams& record, const FilterParams& value) {
    storeCopy(&record, &value, sizeof record);
}

void storeCopy(void* to, const void* from, std::size_t size) {
    WriteSection section;
    copyBytes(static_cast<std::uint8_t*>(to), static_cast<const std::uint8_t*>(from), size);
}

void storeUpdate(DeviceParams& store, DeviceParams& updated,
                 void (*change)(DeviceParams& updated, const void* context), const void* context) {
    WriteSection section;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&store);
    auto* copy = reinterpret_cast<std::uint8_t*>(&updated);
    for (std::size_t i = 0; i < sizeof store; ++i)
        copy[i] = storeRead(bytes[i]);
    change(updated, context);
    for (std::size_t i = 0; i < sizeof store; ++i)
        storeWrite(bytes[i], copy[i]);
}

void storeSnapshot(void* to, const void* from, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(to);
    const auto* in = static_cast<const std::uint8_t*>(from);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::uint32_t before = g_sequence.load(std::memory_order_acquire);
        if ((before & 1) == 0) {
            for (std::size_t i = 0; i < size; ++i)
                out[i] = storeRead(in[i]);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (g_sequence.load(std::memory_order_relaxed) == before)
                return;
        }
    }
    // Edits keep coming faster than a copy takes (a drag of several fields at once): wait
    // for the section under way and copy with the writers held off.
    g_readerWaiting.store(true, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> writers(g_writers);
        for (std::size_t i = 0; i < size; ++i)
            out[i] = storeRead(in[i]);
    }
    g_readerWaiting.store(false, std::memory_order_relaxed);
}

} // namespace zel
