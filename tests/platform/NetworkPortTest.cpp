// Network port names and the Telnet byte stream, byte for byte.
#include "platform/NetworkPortName.h"
#include "platform/TelnetCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(NetworkPortName, ParsesBothSchemesAndRefusesMalformedNames) {
    struct Case {
        const char* name;
        bool ok;
        bool telnet;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"tcp://127.0.0.1:4001", true, false, "127.0.0.1", 4001},
        {"rfc2217://room7.local:2217", true, true, "room7.local", 2217},
        {"tcp://[::1]:65535", true, false, "::1", 65535},
        {"tcp://127.0.0.1", false, false, "", 0},       // no port
        {"tcp://127.0.0.1:0", false, false, "", 0},     // port out of range
        {"tcp://127.0.0.1:65536", false, false, "", 0}, // port out of range
        {"tcp://127.0.0.1:40x", false, false, "", 0},
        {"tcp://:4001", false, false, "", 0},    // no host
        {"tcp://::1:4001", false, false, "", 0}, // IPv6 needs brackets
        {"telnet://h:23", false, false, "", 0},
        {"/dev/ttyUSB0", false, false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetworkPortName n;
        std::string error;
        ASSERT_EQ(parseNetworkPortName(c.name, n, error), c.ok) << error;
        if (!c.ok) {
            EXPECT_NE(error.find(c.name), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(n.telnet, c.telnet);
        EXPECT_EQ(n.host, c.host);
        EXPECT_EQ(n.port, c.port);
    }
    EXPECT_TRUE(isNetworkPortName("tcp://nonsense"));
    EXPECT_FALSE(isNetworkPortName("/tmp/tcp://x"));
}

TEST(NetworkPortName, PortListKeepsTheColonsOfNetworkNames) {
    using List = std::vector<std::string>;
    EXPECT_EQ(splitPortList("/tmp/a:tcp://10.0.0.5:4001:/tmp/b"),
              (List{"/tmp/a", "tcp://10.0.0.5:4001", "/tmp/b"}));
    EXPECT_EQ(splitPortList("rfc2217://[::1]:2217:tcp://h:1"),
              (List{"rfc2217://[::1]:2217", "tcp://h:1"}));
    EXPECT_EQ(splitPortList("::/tmp/a::"), (List{"/tmp/a"}));
    EXPECT_EQ(splitPortList("tcp://h"), (List{"tcp://h"})); // refused later, when opened
}

Bytes decode(TelnetCodec& codec, Bytes in) {
    in.resize(codec.decode(in.data(), in.size()));
    return in;
}

TEST(TelnetCodec, DataComesThroughAndNegotiationIsAnsweredOnce) {
    using namespace telnet;
    TelnetCodec codec(true);
    // Data with an escaped 0xFF, an IAC split over two reads, a sub-negotiation (a modem
    // state report holding an escaped 0xFF) and a NOP in between.
    EXPECT_EQ(decode(codec, {0x55, IAC, IAC, 0x01, IAC}), (Bytes{0x55, 0xFF, 0x01}));
    EXPECT_EQ(decode(codec, {IAC, 0x02, IAC, SB, COM_PORT, 107, IAC, IAC, IAC, SE, 0x03}),
              (Bytes{0xFF, 0x02, 0x03}));
    EXPECT_EQ(decode(codec, {IAC, 241, 0x04}), (Bytes{0x04}));
    EXPECT_TRUE(codec.pendingReply().empty());

    // The server agrees to what was offered (no answer), asks for echo (refused), and
    // offers an option this side never performs (refused).
    EXPECT_TRUE(
        decode(codec, {IAC, DO, COM_PORT, IAC, WILL, BINARY, IAC, DO, 1, IAC, WILL, 5}).empty());
    const auto reply = codec.pendingReply();
    EXPECT_EQ(Bytes(reply.begin(), reply.end()), (Bytes{IAC, WONT, 1, IAC, DONT, 5}));
    codec.dropReply(reply.size());

    // Withdrawing binary is acknowledged once; asking again is agreed once.
    decode(codec, {IAC, WONT, BINARY, IAC, WONT, BINARY, IAC, WILL, BINARY, IAC, WILL, BINARY});
    const auto again = codec.pendingReply();
    EXPECT_EQ(Bytes(again.begin(), again.end()), (Bytes{IAC, DONT, BINARY, IAC, DO, BINARY}));
}

TEST(TelnetCodec, RawPortsPassEveryByte) {
    TelnetCodec codec(false);
    const Bytes frame = {0xFF, 0x55, 0x03, 0xFF, 0xFA, 0xF0};
    EXPECT_EQ(decode(codec, frame), frame);
    Bytes out(16);
    std::size_t used = 0;
    out.resize(codec.encode(frame.data(), frame.size(), out.data(), out.size(), used));
    EXPECT_EQ(out, frame);
    EXPECT_EQ(used, frame.size());
}

TEST(TelnetCodec, EncodingDoublesIacWithoutSplittingIt) {
    TelnetCodec codec(true);
    const Bytes frame = {0xFF, 0x55, 0x03, 0x30, 0x00, 0x33};
    Bytes out(16);
    std::size_t used = 0;
    out.resize(codec.encode(frame.data(), frame.size(), out.data(), out.size(), used));
    EXPECT_EQ(out, (Bytes{0xFF, 0xFF, 0x55, 0x03, 0x30, 0x00, 0x33}));
    EXPECT_EQ(used, frame.size());
    // Room for one byte only: the doubled 0xFF waits for the next piece.
    std::uint8_t one[1];
    EXPECT_EQ(codec.encode(frame.data(), frame.size(), one, 1, used), 0u);
    EXPECT_EQ(used, 0u);
}

TEST(TelnetCodec, ComPortSettingsForTheLink) {
    using namespace telnet;
    const Bytes expected = {IAC, WILL, BINARY, IAC, DO,  BINARY, IAC,     WILL,
                            SGA, IAC,  DO,     SGA, IAC, WILL,   COM_PORT};
    EXPECT_EQ(TelnetCodec::greeting(), expected);
    // 115200 8N1, no flow control, RTS on.
    EXPECT_EQ(TelnetCodec::comPortSettings(115200, 8, 'N', 1),
              (Bytes{IAC, SB, 44, 1, 0x00, 0x01, 0xC2, 0x00, IAC, SE, //
                     IAC, SB, 44, 2, 8,    IAC,  SE,                  //
                     IAC, SB, 44, 3, 1,    IAC,  SE,                  //
                     IAC, SB, 44, 4, 1,    IAC,  SE,                  //
                     IAC, SB, 44, 5, 1,    IAC,  SE,                  //
                     IAC, SB, 44, 5, 11,   IAC,  SE}));
    // A value byte of 0xFF is doubled inside the sub-negotiation.
    const Bytes odd = TelnetCodec::comPortSettings(0x0000FFFF, 7, 'E', 2);
    EXPECT_EQ(Bytes(odd.begin(), odd.begin() + 12),
              (Bytes{IAC, SB, 44, 1, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, IAC, SE}));
}

} // namespace
} // namespace zel
