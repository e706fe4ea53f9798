// CConnectionController: finds the port the processor is on, opens and probes it, shows the
// link state in the title, and reconnects by itself after the link is lost. Window thread.
#pragma once

#include "app/ConnectionHost.h"
#include "link/SerialPort.h"
#include "platform/PortDiscovery.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace zel {

class CCommand;

// Menu command ids.
inline constexpr int ID_LINK_CONNECT = 32771;
inline constexpr int ID_LINK_DISCONNECT = 32773;
inline constexpr int ID_APP_EXIT_LINK = 32774;

class CConnectionController : public LinkStatusSink {
public:
    static constexpr int kPortSearchTimerId = 100;
    static constexpr std::chrono::milliseconds kPortSearchPeriod{300};

    // Lists the ports present, in discovery order (EnumerateSerialPorts by default; a
    // failing discovery yields what it found before the failure).
    using PortLister = std::function<void(std::vector<SerialPortInfo>&)>;

    // Becomes the port's status sink and the command object's main-window target.
    CConnectionController(ConnectionHost& host, CSerialPort& port, CCommand& command,
                          PortLister lister = {});
    ~CConnectionController() override;
    CConnectionController(const CConnectionController&) = delete;
    CConnectionController& operator=(const CConnectionController&) = delete;

    // Handles WM_LINK_CONNECT, WM_LINK_FAILED, WM_LINK_SYNCED and the controller's own
    // messages; false for any other message.
    bool handleMessage(const Message& message);
    // The host's timer callback.
    void onTimer(int id);
    // Start-up: posts the request to search all ports.
    void requestStartupSearch();

    // Menu commands Connect, Disconnect, Exit.
    void onConnect();
    void onDisconnect();
    void onExit();

    // Opens the port named portName() with the fixed settings; sets g_bConnected on success.
    bool TryOpenPort();
    // Title for (state, online), then the search is no longer armed.
    void ShowLinkState(int state, int online);
    // A device command (0x32..0x38) while a port is open; 0x38 is followed by a
    // synchronisation request so the loaded mode is read back.
    void SendCommand(int code, int value);
    void RefreshFromStore() { m_host.refreshFromStore(); }

    // The title for (state, online) in the given language; null leaves the title as it is.
    static const char* linkTitle(int state, int online, bool chinese);

    const std::string& portName() const { return m_portName; }
    bool searchArmed() const { return m_searchArmed; }
    bool startupSearch() const { return m_startupSearch; }

    // LinkStatusSink, called on the port thread: both are posted, never waited for.
    void showLinkState(int state, int online) override;
    void showCommError(const std::string& text) override;

private:
    bool search(bool refill);
    void onLinkConnect(WPARAM reopen);
    void onLinkFailed(LPARAM noRetry);
    void onLinkSynced();
    void closePort();
    void startSearchTimer();
    void listPorts(std::vector<SerialPortInfo>& list);

    ConnectionHost& m_host;
    CSerialPort& m_port;
    CCommand& m_command;
    PortLister m_lister;

    std::string m_portName;  // g_strPortName: the port tried last, the one a reconnect reopens
    bool m_searchArmed = false;  // g_bSearchArmed
    bool m_startupSearch = true; // g_bStartupSearch
    std::vector<SerialPortInfo> m_searchList;
    std::vector<SerialPortInfo> m_timerList;
    // Reports of a port thread that has been closed are still queued until the fence
    // posted after its Close comes through; they are dropped.
    int m_fencesPending = 0;

    // The port thread's latest title request, and whether a carrier message is queued.
    std::atomic<int> m_requestedTitle{0}; // state * 2 + (online != 0)
    std::atomic<bool> m_titlePosted{false};
    std::mutex m_errorLock;
    std::vector<std::string> m_errors;
};

} // namespace zel
