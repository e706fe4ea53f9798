// MainWindowFixture: the program's main window on the off-screen platform, off-line (no
// ports listed), with factory defaults, its own settings folder and working directory.
#pragma once

#include "GuiTestEnv.h"

#include "gui/shell/ZELDlgDlg.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace zel::test {

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the window and lets its posted start-up steps run.
    void openWindow();
    // Creates the window with `link` as the only port it finds, and shows it.
    void openWindowOn(const std::string& link);
    // Runs what was posted so far (page selection, hotkeys, language).
    static void deliver();

    QTemporaryDir dir;
    std::filesystem::path oldCwd;
    std::unique_ptr<CZELDlgDlg> window;
};

} // namespace zel::test
