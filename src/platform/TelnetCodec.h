// TelnetCodec: the byte stream of a network port. Raw ports pass bytes through; Telnet ports
// (RFC 854 with the com-port control option of RFC 2217) double 0xFF in data, answer the
// server's option negotiation and skip its sub-negotiations (line and modem state reports).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel {

namespace telnet {
inline constexpr std::uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250,
                              SE = 240;
inline constexpr std::uint8_t BINARY = 0, SGA = 3, COM_PORT = 44;
} // namespace telnet

class TelnetCodec {
public:
    explicit TelnetCodec(bool telnet = false) { reset(telnet); }

    // Starts a new connection: no options agreed, nothing owed.
    void reset(bool telnet);
    bool telnet() const { return m_telnet; }

    // Decodes `n` received bytes in place: the first bytes of `bytes` become the data bytes,
    // their count is returned. Never allocates.
    std::size_t decode(std::uint8_t* bytes, std::size_t n);

    // Answers owed to the server's negotiation; they go out before the next data.
    std::span<const std::uint8_t> pendingReply() const { return {m_reply.data(), m_replySize}; }
    void dropReply(std::size_t n);

    // Encodes data for the wire into out (at most cap bytes); returns the bytes written and
    // sets `used` to the data bytes they carry. Never splits a doubled 0xFF.
    std::size_t encode(const std::uint8_t* in, std::size_t n, std::uint8_t* out, std::size_t cap,
                       std::size_t& used) const;

    // What a Telnet port sends once connected: binary both ways, no go-ahead, and the
    // offer of com-port control.
    static std::vector<std::uint8_t> greeting();
    // The com-port control requests that set the far port to the given settings with no
    // flow control and RTS on. Parity 'N', 'O' or 'E'.
    static std::vector<std::uint8_t> comPortSettings(std::uint32_t baud, int dataBits, char parity,
                                                     int stopBits);

private:
    enum class State : std::uint8_t { Data, Iac, Verb, Sub, SubIac };
    void negotiate(std::uint8_t verb, std::uint8_t option);
    void owe(std::uint8_t verb, std::uint8_t option);

    bool m_telnet = false;
    State m_state = State::Data;
    std::uint8_t m_verb = 0;
    std::array<bool, 256> m_local{};  // options we perform (WILL sent or agreed)
    std::array<bool, 256> m_remote{}; // options the server performs (DO sent or agreed)
    std::array<std::uint8_t, 96> m_reply{};
    std::size_t m_replySize = 0;
};

} // namespace zel
