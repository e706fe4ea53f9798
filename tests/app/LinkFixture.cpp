// LinkFixture: set-up of the link stack for the integration tests.
#include "LinkFixture.h"

#include "model/Defaults.h"
#include "model/Globals.h"
#include "platform/PortDiscovery.h"

#include <cstring>

namespace zel::test {

LinkFixture::LinkFixture() {
    SimProcess::dumpLogOnExit = [] { return ::testing::Test::HasFailure(); };
    fillDefaults(liveParams);
    sentParams = liveParams;
    g_bConnected = 0;
    g_bChinese = 0;
    TxRecord.clear();
    TxRecord[0] = kFrameStart0;
    TxRecord[1] = kFrameStart1;
    RxRecord.clear();
    loop.setMessageHandler([this](const Message& m) {
        messages.push_back({m, Clock::now()});
        if (controller)
            controller->handleMessage(m);
    });
    loop.setTimerHandler([this](int id) {
        if (controller)
            controller->onTimer(id);
    });
}

LinkFixture::~LinkFixture() {
    controller.reset();
}

void LinkFixture::useSimulators(const std::vector<const SimProcess*>& sims) {
    std::string extra;
    for (const SimProcess* s : sims)
        extra += (extra.empty() ? "" : ":") + s->link();
    // The real discovery, with the hardware sources pointed at nothing: the machine's own
    // ports must not take part.
    auto lister = [extra](std::vector<SerialPortInfo>& list) {
        PortDiscoveryRoots roots;
        roots.sysClassTty = "/nonexistent";
        roots.serialById = "/nonexistent";
        roots.extraPorts = extra;
        EnumerateSerialPorts(list, roots);
    };
    controller = std::make_unique<CConnectionController>(host, port, command, lister);
}

bool LinkFixture::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end)
        if (loop.runUntil(done, 10ms))
            return true;
    return done();
}

std::vector<SeenMessage> LinkFixture::seen(MessageId id) const {
    std::vector<SeenMessage> out;
    for (const SeenMessage& m : messages)
        if (m.message.id == id)
            out.push_back(m);
    return out;
}

bool LinkFixture::idle() const {
    std::lock_guard guard(g_frameLock);
    // The frame in flight is a keep-alive: nothing differed when it was made.
    return command.queuedCount() == 0 && TxRecord[3] == 0x30 &&
           std::memcmp(&liveParams, &sentParams, sizeof liveParams) == 0;
}

} // namespace zel::test
