// ModeUi: how the mode library talks to whoever hosts it — message boxes and the System
// page in the desktop program, stderr lines in the command-line tool.
#pragma once

#include <string>

namespace zel {

class ModeUi {
public:
    virtual ~ModeUi() = default;
    // A modal message with an OK button.
    virtual void message(const std::string& text) = 0;
    // A question with OK and Cancel; true means OK.
    virtual bool confirm(const std::string& text) = 0;
    // The PC mode list was rebuilt: refill the grid.
    virtual void listChanged() {}
    // An upload was queued: the System page stays disabled until it is answered.
    virtual void uploadStarted() {}
    // A mode file was applied to the store: the main window brings its controls in line.
    virtual void storeChanged() {}
};

} // namespace zel
