// ManualResetEvent on Windows: a manual-reset event object.
#include "platform/ManualResetEvent.h"

#include <windows.h>

namespace zel {

namespace {
HANDLE handleOf(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}
} // namespace

ManualResetEvent::ManualResetEvent()
    : m_native(reinterpret_cast<std::intptr_t>(::CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

ManualResetEvent::~ManualResetEvent() {
    if (m_native)
        ::CloseHandle(handleOf(m_native));
}

bool ManualResetEvent::valid() const {
    return m_native != 0;
}

bool ManualResetEvent::set() {
    return m_native && ::SetEvent(handleOf(m_native)) != 0;
}

void ManualResetEvent::reset() {
    if (m_native)
        ::ResetEvent(handleOf(m_native));
}

bool ManualResetEvent::isSet() const {
    return m_native && ::WaitForSingleObject(handleOf(m_native), 0) == WAIT_OBJECT_0;
}

bool ManualResetEvent::waitFor(std::chrono::milliseconds timeout) const {
    return m_native && ::WaitForSingleObject(handleOf(m_native),
                                             static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

} // namespace zel
