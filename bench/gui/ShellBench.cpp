// The desktop program's own costs: process start to the synchronised On-Line title against
// zel-sim (baseline: zelctl pulling the same parameters through the same port search, the link
// work without a window), a page switch with its refresh (baseline: repainting the whole
// window), and one master-slider move from its message to label and store (baseline:
// delivering a message the window ignores).
#include "OffscreenApp.h"
#include "SimProcess.h"

#include "app/Startup.h"
#include "gui/shell/ZELDlgDlg.h"
#include "gui/widgets/BitmapSlider.h"
#include "model/Defaults.h"
#include "model/DeviceParams.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel {
namespace {

using Clock = std::chrono::steady_clock;

test::SimProcess& simulator() {
    static test::SimProcess sim("bench", {});
    return sim;
}

// Starts a program with its stderr on a pipe; reads lines until `done` says so, then ends it.
// Returns the seconds from spawn to that line, or a negative value when it never came.
template <class Done> double runUntilLine(std::vector<std::string> args, Done done) {
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return -1.0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    std::vector<char*> cargs;
    for (std::string& a : args)
        cargs.push_back(a.data());
    cargs.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, cargs[0], &actions, nullptr, cargs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFd[1]);
    double seconds = -1.0;
    if (rc == 0) {
        FILE* in = fdopen(pipeFd[0], "r");
        char line[512];
        while (std::fgets(line, sizeof line, in) != nullptr)
            if (done(std::string(line))) {
                seconds = std::chrono::duration<double>(Clock::now() - start).count();
                break;
            }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        std::fclose(in);
    } else {
        close(pipeFd[0]);
    }
    return seconds;
}

void BM_ZelStartToOnLine(benchmark::State& state) {
    const std::string link = simulator().link();
    setenv("ZEL_EXTRA_PORTS", link.c_str(), 1);
    setenv("ZEL_TITLE_LOG", "1", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir dir;
    setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1);
    for (auto _ : state) {
        bool waited = false;
        const double s = runUntilLine({ZEL_PATH}, [&](const std::string& line) {
            waited = waited || line.find("Waiting for synchronization") != std::string::npos;
            return waited && line.find("State:On-Line") != std::string::npos;
        });
        if (s < 0) {
            state.SkipWithError("zel never showed the On-Line title");
            return;
        }
        state.SetIterationTime(s);
    }
    unsetenv("ZEL_TITLE_LOG"); // the in-process windows below stay quiet
}
BENCHMARK(BM_ZelStartToOnLine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ZelctlPullBaseline(benchmark::State& state) {
    setenv("ZEL_EXTRA_PORTS", simulator().link().c_str(), 1);
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("room.dat")).toStdString();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        // Every port discovery lists, then the simulator, as zel searches them.
        const std::string command = std::string(ZELCTL_PATH) + " pull " + file + " 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("zelctl pull failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_ZelctlPullBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// One main window, off-line, for the in-process figures.
CZELDlgDlg& window() {
    static std::unique_ptr<CZELDlgDlg> w = [] {
        offscreenApplication();
        static QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        startUp();
        auto made = std::make_unique<CZELDlgDlg>([](std::vector<SerialPortInfo>&) {});
        made->show();
        QCoreApplication::processEvents();
        return made;
    }();
    return *w;
}

void BM_PageSwitchWithRefresh(benchmark::State& state) {
    CZELDlgDlg& w = window();
    for (auto _ : state) {
        w.send(WM_SELECT_PAGE, 0, -1);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PageSwitchWithRefresh)->Unit(benchmark::kMillisecond);

void BM_WholeWindowRepaintBaseline(benchmark::State& state) {
    CZELDlgDlg& w = window();
    for (auto _ : state) {
        w.update();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WholeWindowRepaintBaseline)->Unit(benchmark::kMillisecond);

void BM_MasterSliderMove(benchmark::State& state) {
    CZELDlgDlg& w = window();
    CBitmapSlider* slider = w.masterSlider(0);
    int pos = 10;
    for (auto _ : state) {
        pos = pos == 10 ? 50 : 10;
        slider->setPos(pos);
        w.send(WM_SLIDER_MOVING, 1002, pos);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(liveParams.masterVolume[0]);
    }
}
BENCHMARK(BM_MasterSliderMove)->Unit(benchmark::kMicrosecond);

void BM_IgnoredMessageBaseline(benchmark::State& state) {
    CZELDlgDlg& w = window();
    for (auto _ : state) {
        w.send(WM_USER + 9999, 0, 0);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_IgnoredMessageBaseline)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zel
