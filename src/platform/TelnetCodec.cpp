// TelnetCodec: data escaping, option negotiation and the com-port control requests.
#include "platform/TelnetCodec.h"

#include <cstring>

namespace zel {

using namespace telnet;

namespace {

// Com-port control sub-option codes sent by the client.
constexpr std::uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4,
                       kSetControl = 5;
constexpr std::uint8_t kControlNoFlow = 1, kControlRtsOn = 11;

bool wanted(std::uint8_t option) {
    return option == BINARY || option == SGA || option == COM_PORT;
}

void subOption(std::vector<std::uint8_t>& out, std::uint8_t code,
               std::initializer_list<std::uint8_t> value) {
    out.insert(out.end(), {IAC, SB, COM_PORT, code});
    for (std::uint8_t b : value) {
        out.push_back(b);
        if (b == IAC)
            out.push_back(IAC);
    }
    out.insert(out.end(), {IAC, SE});
}

} // namespace

void TelnetCodec::reset(bool isTelnet) {
    m_telnet = isTelnet;
    m_state = State::Data;
    m_local.fill(false);
    m_remote.fill(false);
    m_replySize = 0;
    if (isTelnet) {
        // What greeting() asks for counts as agreed unless the server refuses it.
        m_local[BINARY] = m_local[SGA] = m_local[COM_PORT] = true;
        m_remote[BINARY] = m_remote[SGA] = true;
    }
}

void TelnetCodec::owe(std::uint8_t verb, std::uint8_t option) {
    // A server that floods negotiation gets no more answers than fit.
    if (m_replySize + 3 > m_reply.size())
        return;
    m_reply[m_replySize++] = IAC;
    m_reply[m_replySize++] = verb;
    m_reply[m_replySize++] = option;
}

void TelnetCodec::negotiate(std::uint8_t verb, std::uint8_t option) {
    // Answer only a change of state, so that two sides never loop on agreements.
    switch (verb) {
    case DO:
        if (!wanted(option)) {
            owe(WONT, option);
        } else if (!m_local[option]) {
            m_local[option] = true;
            owe(WILL, option);
        }
        break;
    case DONT:
        if (m_local[option]) {
            m_local[option] = false;
            owe(WONT, option);
        }
        break;
    case WILL:
        if (option != BINARY && option != SGA) {
            owe(DONT, option);
        } else if (!m_remote[option]) {
            m_remote[option] = true;
            owe(DO, option);
        }
        break;
    case WONT:
        if (m_remote[option]) {
            m_remote[option] = false;
            owe(DONT, option);
        }
        break;
    default:
        break;
    }
}

std::size_t TelnetCodec::decode(std::uint8_t* bytes, std::size_t n) {
    if (!m_telnet)
        return n;
    std::size_t out = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = bytes[i];
        switch (m_state) {
        case State::Data:
            if (b == IAC)
                m_state = State::Iac;
            else
                bytes[out++] = b;
            break;
        case State::Iac:
            if (b == IAC) {
                bytes[out++] = IAC;
                m_state = State::Data;
            } else if (b >= WILL && b <= DONT) {
                m_verb = b;
                m_state = State::Verb;
            } else {
                m_state = b == SB ? State::Sub : State::Data; // NOP, GA and the like
            }
            break;
        case State::Verb:
            negotiate(m_verb, b);
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == IAC)
                m_state = State::SubIac;
            break;
        case State::SubIac:
            // IAC IAC is a 0xFF inside the sub-negotiation; anything else ends it.
            m_state = b == IAC ? State::Sub : State::Data;
            break;
        }
    }
    return out;
}

void TelnetCodec::dropReply(std::size_t n) {
    if (n >= m_replySize) {
        m_replySize = 0;
        return;
    }
    std::memmove(m_reply.data(), m_reply.data() + n, m_replySize - n);
    m_replySize -= n;
}

std::size_t TelnetCodec::encode(const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                                std::size_t cap, std::size_t& used) const {
    std::size_t written = 0;
    used = 0;
    while (used < n) {
        const bool doubled = m_telnet && in[used] == IAC;
        if (written + (doubled ? 2 : 1) > cap)
            break;
        out[written++] = in[used];
        if (doubled)
            out[written++] = IAC;
        ++used;
    }
    return written;
}

std::vector<std::uint8_t> TelnetCodec::greeting() {
    return {IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, SGA, IAC, DO, SGA, IAC, WILL, COM_PORT};
}

std::vector<std::uint8_t> TelnetCodec::comPortSettings(std::uint32_t baud, int dataBits,
                                                       char parity, int stopBits) {
    std::vector<std::uint8_t> out;
    subOption(out, kSetBaudRate,
              {static_cast<std::uint8_t>(baud >> 24), static_cast<std::uint8_t>(baud >> 16),
               static_cast<std::uint8_t>(baud >> 8), static_cast<std::uint8_t>(baud)});
    subOption(out, kSetDataSize, {static_cast<std::uint8_t>(dataBits)});
    const std::uint8_t parityCode = parity == 'O' || parity == 'o'   ? 2
                                    : parity == 'E' || parity == 'e' ? 3
                                                                     : 1;
    subOption(out, kSetParity, {parityCode});
    subOption(out, kSetStopSize, {static_cast<std::uint8_t>(stopBits == 2 ? 2 : 1)});
    subOption(out, kSetControl, {kControlNoFlow});
    subOption(out, kSetControl, {kControlRtsOn});
    return out;
}

} // namespace zel
