// CConnectionController: port search, probe and synchronisation start, link-state titles
// and recovery after a lost link.
#include "app/ConnectionController.h"

#include "link/Command.h"
#include "model/Defaults.h"
#include "model/Globals.h"
#include "platform/Messages.h"

#include <algorithm>

namespace zel {

namespace {

void dropUnnamed(std::vector<SerialPortInfo>& list) {
    std::erase_if(list, [](const SerialPortInfo& p) { return p.openName.empty(); });
}

} // namespace

CConnectionController::CConnectionController(ConnectionHost& host, CSerialPort& port,
                                             CCommand& command, PortLister lister)
    : m_host(host), m_port(port), m_command(command), m_lister(std::move(lister)) {
    m_port.setStatusSink(this);
    m_command.setMainWindow(&m_host.messageTarget());
}

CConnectionController::~CConnectionController() {
    if (g_bConnected) {
        m_port.Close();
        g_bConnected = 0;
    }
    m_port.setStatusSink(nullptr);
}

const char* CConnectionController::linkTitle(int state, int online, bool chinese) {
    if (online == 0)
        return chinese ? "ZEL软件V1.2.9----状态：离线" : "ZEL V1.2.9----State:OFF-Line";
    switch (state) {
    case -1:
        return chinese ? "ZEL软件V1.2.9----状态：联机" : "ZEL V1.2.9----State:On-Line";
    case 1:
        return chinese ? "ZEL软件V1.2.9----等待同步数据"
                       : "ZEL V1.2.9----Waiting for synchronization data";
    case 2:
        return chinese ? "ZEL软件V1.2.9----等待上传数据" : "ZEL V1.2.9----Waiting to upload data";
    default:
        return nullptr;
    }
}

void CConnectionController::requestStartupSearch() {
    m_host.messageTarget().post(WM_LINK_CONNECT, 0, 0);
}

bool CConnectionController::handleMessage(const Message& m) {
    switch (m.id) {
    case WM_LINK_CONNECT:
        onLinkConnect(m.wParam);
        return true;
    case WM_LINK_FAILED:
        if (m_fencesPending == 0)
            onLinkFailed(m.lParam);
        return true;
    case WM_LINK_SYNCED:
        // The port thread wrote a dump into the store; the curve models are the window
        // thread's to bring in line with it, whatever became of the link since.
        reattachCurveModels();
        if (m_fencesPending == 0 && g_bConnected)
            onLinkSynced();
        return true;
    case WM_LINK_STATE: {
        // Take the latest request; a title asked for by a closed port thread is dropped.
        m_titlePosted = false;
        const int code = m_requestedTitle.load();
        if (m_fencesPending == 0 && g_bConnected)
            ShowLinkState(code >> 1, code & 1);
        return true;
    }
    case WM_LINK_COMM_ERROR: {
        std::vector<std::string> errors;
        {
            std::lock_guard guard(m_errorLock);
            errors.swap(m_errors);
        }
        for (const std::string& text : errors)
            m_host.showCommError(text);
        return true;
    }
    case WM_LINK_FENCE:
        if (m_fencesPending > 0)
            --m_fencesPending;
        return true;
    default:
        return false;
    }
}

void CConnectionController::listPorts(std::vector<SerialPortInfo>& list) {
    list.clear();
    try {
        if (m_lister)
            m_lister(list);
        else
            EnumerateSerialPorts(list);
    } catch (const PortDiscoveryError&) {
        // A failing source is no reason to stop searching: use what was found.
    }
    dropUnnamed(list);
}

bool CConnectionController::TryOpenPort() {
    const bool opened =
        m_port.Open(&m_host.messageTarget(), portOpenName(m_portName), kLinkBaud, kLinkParity,
                    kLinkDataBits, kLinkStopBits, kLinkEventMask, kLinkWriteBufferSize);
    if (opened)
        g_bConnected = 1;
    return opened;
}

bool CConnectionController::search(bool refill) {
    if (refill)
        listPorts(m_searchList);
    while (!m_searchList.empty()) {
        m_portName = m_searchList.front().openName;
        m_searchList.erase(m_searchList.begin());
        if (TryOpenPort()) {
            m_command.queueSync(0);
            m_port.Start();
            return true;
        }
    }
    return false;
}

void CConnectionController::closePort() {
    m_port.Close();
    // Close has joined the port thread, so everything it posted is queued before this.
    // A title carrier of that thread will be dropped; the next thread posts its own.
    m_titlePosted = false;
    ++m_fencesPending;
    m_host.messageTarget().post(WM_LINK_FENCE, 0, 0);
}

void CConnectionController::startSearchTimer() {
    m_host.startTimer(kPortSearchTimerId, kPortSearchPeriod);
}

void CConnectionController::onLinkConnect(WPARAM reopen) {
    if (reopen == 0) {
        search(true);
        return;
    }
    if (TryOpenPort()) {
        m_command.queueSync(0);
        m_port.Start();
    } else {
        startSearchTimer();
    }
}

void CConnectionController::onLinkFailed(LPARAM noRetry) {
    if (noRetry != 0) {
        // The probe of the port just opened went unanswered: try the next one.
        closePort();
        if (search(false))
            return;
        if (m_startupSearch) {
            closePort();
            g_bConnected = 0;
            startSearchTimer();
            return;
        }
        if (g_bConnected) {
            closePort();
            g_bConnected = 0;
            m_host.enableSystemPanel();
            // Armed may still be set from the loss that led to this reopen (the timer stopped
            // itself to reopen); it must not keep the port from being watched again.
            startSearchTimer();
            m_searchArmed = true;
        }
        ShowLinkState(-1, 0);
        return;
    }
    if (!g_bConnected)
        return;
    closePort();
    g_bConnected = 0;
    m_host.enableSystemPanel();
    ShowLinkState(-1, 0);
    if (!m_searchArmed) {
        startSearchTimer();
        m_searchArmed = true;
    }
}

void CConnectionController::onLinkSynced() {
    RefreshFromStore();
    ShowLinkState(-1, 1);
}

void CConnectionController::onTimer(int id) {
    if (id != kPortSearchTimerId)
        return;
    m_host.trace("查找 COM 定时器\n");
    if (g_bConnected)
        return;
    listPorts(m_timerList);
    for (const SerialPortInfo& p : m_timerList) {
        if (p.openName == m_portName) {
            m_host.messageTarget().post(WM_LINK_CONNECT, 1, 0);
            m_host.trace("关闭定时器  查找 COM 定时器\n");
            m_host.stopTimer(kPortSearchTimerId);
            break;
        }
    }
}

void CConnectionController::onConnect() {
    m_startupSearch = false;
    if (m_searchArmed) {
        m_host.stopTimer(kPortSearchTimerId);
        closePort();
        g_bConnected = 0;
        m_host.enableSystemPanel();
        ShowLinkState(-1, 0);
    }
    if (g_bConnected)
        return;
    search(true);
}

void CConnectionController::onDisconnect() {
    if (!g_bConnected)
        return;
    closePort();
    g_bConnected = 0;
    ShowLinkState(-1, 0);
}

void CConnectionController::onExit() {
    if (g_bConnected) {
        closePort();
        g_bConnected = 0;
    }
    m_host.closeMainWindow();
}

void CConnectionController::ShowLinkState(int state, int online) {
    if (const char* title = linkTitle(state, online, g_bChinese != 0))
        m_host.setTitle(title);
    m_searchArmed = false;
}

void CConnectionController::SendCommand(int code, int value) {
    if (!g_bConnected)
        return;
    std::lock_guard guard(g_frameLock);
    m_command.queueCommand(code, value);
    if (code == 0x38)
        m_command.queueSync(1);
}

void CConnectionController::showLinkState(int state, int online) {
    m_requestedTitle = state * 2 + (online != 0 ? 1 : 0);
    if (!m_titlePosted.exchange(true))
        m_host.messageTarget().post(WM_LINK_STATE, 0, 0);
}

void CConnectionController::showCommError(const std::string& text) {
    {
        std::lock_guard guard(m_errorLock);
        m_errors.push_back(text);
    }
    m_host.messageTarget().post(WM_LINK_COMM_ERROR, 0, 0);
}

} // namespace zel
