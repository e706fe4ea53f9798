// The simulated processor: replies, the scene-bank rule, device modes and passwords.
#include "Processor.h"
#include "FaultPlan.h"
#include "FrameAssembler.h"

#include "link/DumpFrame.h"
#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zel::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A short frame with its checksum.
Bytes frame(std::uint8_t command, const Bytes& data) {
    Bytes f(data.size() + 5);
    f[0] = 0xFF;
    f[1] = 0x55;
    f[2] = static_cast<std::uint8_t>(data.size() + 2);
    f[3] = command;
    std::uint8_t sum = static_cast<std::uint8_t>(f[2] + command);
    for (std::size_t i = 0; i < data.size(); ++i) {
        f[4 + i] = data[i];
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    f.back() = sum;
    return f;
}

Bytes send(CProcessor& p, const Bytes& f, std::uint8_t status = 0) {
    std::uint8_t out[CProcessor::kMaxReply];
    const std::size_t n = p.handleFrame(f.data(), f.size(), status, out);
    return Bytes(out, out + n);
}

TEST(Processor, AnswersFramesWithAcknowledgementsAndTheSyncRequestWithTheDumpAlone) {
    CProcessor p;
    EXPECT_EQ(send(p, {0xFF, 0x55, 0x03, 0x30, 0x00, 0x33}),
              (Bytes{0xFF, 0x55, 0x03, 0x30, 0x00, 0x33}));
    EXPECT_EQ(send(p, frame(0x02, {5, 77}), 2), (Bytes{0xFF, 0x55, 0x03, 0x02, 0x02, 0x07}));
    EXPECT_EQ(p.params().byteParam[5], 0) << "a frame asked for again is not applied";
    // A wrong checksum asks for the frame again.
    EXPECT_EQ(send(p, {0xFF, 0x55, 0x04, 0x02, 0x05, 0x4D, 0x00}),
              (Bytes{0xFF, 0x55, 0x03, 0x02, 0x01, 0x06}));
    EXPECT_EQ(p.params().byteParam[5], 0);

    const Bytes dump = send(p, {0xFF, 0x55, 0x03, 0xAA, 0xBB, 0x68});
    ASSERT_EQ(dump.size(), kDumpPayloadEnd);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 6), (Bytes{0xFF, 0x55, 0x03, 0xCC, 0x05, 0x5E}));
    std::uint8_t expected[kDumpPayloadEnd];
    buildDumpFrame(p.params(), expected, sizeof expected);
    EXPECT_EQ(std::memcmp(dump.data(), expected, sizeof expected), 0);
}

// Scene-dependent frames go to the bank of the last scene frame; the others ignore it.
TEST(Processor, AppliesSceneDependentCommandsToTheBankOfTheLastSceneFrame) {
    struct Case {
        Bytes frame;
        std::size_t singingOffset, danceOffset; // danceOffset 0: not scene-dependent
    };
    const Case cases[] = {
        {frame(0x02, {12, 9}), offsetof(DeviceParams, byteParam) + 12,
         offsetof(DeviceParams, dance) + 2},
        {frame(0x02, {3, 9}), offsetof(DeviceParams, byteParam) + 3, 0},
        {frame(0x03, {72, 9, 0, 0, 0, 0, 0}), offsetof(DeviceParams, eqBand) + 72 * 6,
         offsetof(DeviceParams, dance.eqBand) + 12 * 6},
        {frame(0x03, {40, 9, 0, 0, 0, 0, 0}), offsetof(DeviceParams, eqBand) + 40 * 6, 0},
        {frame(0x04, {15, 9, 0, 0, 0}), offsetof(DeviceParams, filter) + 15 * 4,
         offsetof(DeviceParams, dance.filter) + 3 * 4},
        {frame(0x09, {8, 9}), offsetof(DeviceParams, eqBypass) + 8,
         offsetof(DeviceParams, danceEqBypass) + 2},
        {frame(0x0B, {23, 9}), offsetof(DeviceParams, phase) + 23,
         offsetof(DeviceParams, dance.phase) + 15},
        {frame(0x0B, {24, 9}), offsetof(DeviceParams, phase) + 24, 0},
    };
    for (const Case& c : cases) {
        for (int scene : {1, 2}) {
            CProcessor p;
            send(p, frame(0x3A, {static_cast<std::uint8_t>(scene)}));
            send(p, c.frame);
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(&p.params());
            const bool toDance = scene == 2 && c.danceOffset != 0;
            EXPECT_EQ(bytes[toDance ? c.danceOffset : c.singingOffset], 9)
                << "command " << int(c.frame[3]) << " index " << int(c.frame[4]) << " scene "
                << scene;
            if (c.danceOffset != 0) {
                EXPECT_NE(bytes[toDance ? c.singingOffset : c.danceOffset], 9);
            }
        }
    }
}

TEST(Processor, KeepsDeviceModesAndPasswords) {
    CProcessor p;
    send(p, frame(0x32, {0x21, 0x43}));       // 1 2 3 4
    send(p, frame(0x34, {0x65, 0x87, 0x09})); // 5 6 7 8 9 0
    EXPECT_EQ(Bytes(p.params().keyLockPassword, p.params().keyLockPassword + 4),
              (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(Bytes(p.params().adminPassword, p.params().adminPassword + 6),
              (Bytes{5, 6, 7, 8, 9, 0}));

    // Mode 3 stores the working set under its name; loading it brings that set back but
    // leaves the names and passwords of the device alone.
    send(p, frame(0x02, {0, 42}));
    Bytes name(21, ' ');
    name[0] = 3;
    name[1] = 'K', name[2] = 'T', name[3] = 'V';
    send(p, frame(0x37, name));
    send(p, frame(0x02, {0, 7}));
    send(p, frame(0x34, {0x11, 0x11, 0x11}));
    send(p, frame(0x38, {0}));
    EXPECT_EQ(p.params().byteParam[0], 0) << "mode 0 still holds the factory set";
    send(p, frame(0x38, {3}));
    EXPECT_EQ(p.params().byteParam[0], 42);
    EXPECT_EQ(p.params().currentMode, 3);
    EXPECT_EQ(std::string(p.params().modeName[3], 20), "KTV                 ");
    EXPECT_EQ(p.params().adminPassword[0], 1);
}

TEST(Processor, RefusesAnythingButAModeFile) {
    CProcessor p;
    std::vector<std::uint8_t> image(1427, 0);
    image[0] = 8;
    std::memcpy(image.data() + 1, "ZEL_3.00", 8);
    image[9 + 2] = 55; // store byte 8 = byteParam[2]
    EXPECT_EQ(p.loadModeFile(image.data(), image.size()), "");
    EXPECT_EQ(p.params().byteParam[2], 55);
    EXPECT_NE(p.loadModeFile(image.data(), 1426), "");
    image[1] = 'X';
    EXPECT_NE(p.loadModeFile(image.data(), image.size()), "");
}

TEST(FrameAssembler, SkipsNoiseAndFindsFramesBackToBack) {
    CFrameAssembler a;
    const Bytes stream = {0x00, 0xFF, 0xFF, 0x55, 0x03, 0x30, 0x00, 0x33,
                          0xFF, 0x55, 0x04, 0x02, 0x05, 0x4D, 0x58};
    std::vector<Bytes> frames;
    for (std::uint8_t b : stream)
        if (a.feed(b))
            frames.emplace_back(a.frame(), a.frame() + a.length());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Bytes{0xFF, 0x55, 0x03, 0x30, 0x00, 0x33}));
    EXPECT_EQ(frames[1], (Bytes{0xFF, 0x55, 0x04, 0x02, 0x05, 0x4D, 0x58}));
}

TEST(FaultPlan, SelectsByFrameNumberOrByCommandForAsManyFramesAsAsked) {
    CFaultPlan plan;
    FaultRule drop;
    ASSERT_EQ(parseSelector("3", drop.which), "");
    plan.add(drop);
    FaultRule repeat;
    repeat.kind = FaultRule::Kind::Repeat;
    repeat.status = 3;
    ASSERT_EQ(parseSelector("cmd:35x2", repeat.which), "");
    plan.add(repeat);
    EXPECT_FALSE(plan.decide(3, 0x30).reply);
    EXPECT_TRUE(plan.decide(4, 0x30).reply);
    EXPECT_EQ(plan.decide(5, 0x35).status, 3);
    EXPECT_EQ(plan.decide(6, 0x35).status, 3);
    EXPECT_EQ(plan.decide(7, 0x35).status, 0);
    FrameSelector s;
    EXPECT_NE(parseSelector("cmd:zz", s), "");
    EXPECT_NE(parseSelector("0", s), "");
}

} // namespace
} // namespace zel::sim
