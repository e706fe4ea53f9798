// PanelHost: what a page asks of the main window that hosts it.
#pragma once

namespace zel {

class PanelHost {
public:
    virtual ~PanelHost() = default;
    // Output mute and solo with the rules of the master strip (outputs 0..5).
    virtual void SetOutputMute(int output, int value) = 0;
    virtual void SetOutputSolo(int output, int value) = 0;
    // A device command (passwords, keyboard lock, user mode, mode load) while on-line.
    virtual void SendCommand(int code, int value) = 0;
    // Master group 0..2 back in line with the store, after its limit or level changed.
    virtual void RefreshMasterLevel(int group) = 0;
};

// The main window, published while it initialises; null before and after.
inline PanelHost* g_pPanelHost = nullptr;

} // namespace zel
