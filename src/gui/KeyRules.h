// KeyRules: the keys the main window and the pages take away from normal dialog handling.
#pragma once

#include <Qt>

namespace zel {

// Enter and Escape end an entry (the focus moves away, which commits it); they close nothing.
inline bool endsEntry(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// Tab moves no focus in the program's windows.
inline bool isDialogNavigation(int key) {
    return key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

} // namespace zel
