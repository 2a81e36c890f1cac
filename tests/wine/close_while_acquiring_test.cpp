// The real k7r2-console.exe, its window closed while continuous acquisition runs, must end at
// once with status 0: neither the worker blocked in its wait for a silent module nor the
// worker's synchronous message to a window on its way out may hold the process open.
// The console is a separate process on COM1; the module answers in this process on COM20
// (tests/wine/run_gtests.sh joins the two).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "link/commands.h"
#include "res/resource.h"
#include "sim/simulated_module.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The worker waits this long for a reply's header; a close that waited for it is too late.
constexpr milliseconds kSilentWait{3000};
constexpr milliseconds kStartDeadline{30000};
constexpr milliseconds kRequestDeadline{10000};

// k7r2-console.exe beside this build's tests: <build>\console\, this program in <build>\tests\wine\.
std::wstring ConsolePath() {
    wchar_t own[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path(own, length);
    for (int up = 0; up < 3; ++up) path.erase(path.find_last_of(L'\\'));
    return path + L"\\console\\k7r2-console.exe";
}

struct WindowSearch {
    DWORD process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    if (owner == search.process && ::IsWindowVisible(window) &&
        std::wstring(title).rfind(L"QEV-K7R2", 0) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// Polls `holds` every 20 ms until it is true or the deadline passes; ends early (false) when
// the console process has ended.
template <typename Predicate>
bool WaitWhileRunning(HANDLE process, milliseconds deadline, Predicate holds) {
    const auto end = Clock::now() + deadline;
    while (!holds()) {
        if (Clock::now() >= end) return false;
        if (::WaitForSingleObject(process, 20) == WAIT_OBJECT_0) return holds();
    }
    return true;
}

struct CloseCase {
    const char* name;
    bool silent;
};

class CloseWhileAcquiring : public ::testing::TestWithParam<CloseCase> {
protected:
    void SetUp() override {
        if (std::getenv("K7R2_SIM_COM") == nullptr) GTEST_SKIP() << "needs tests/wine/run_gtests.sh";
        SimOptions options;
        options.paceBytes = false;
        options.probeCount = 64;
        if (GetParam().silent) options.faults.push_back({FaultKind::Silence, kEveryReply});
        sim = std::make_unique<SimulatedModule>(options);
        ASSERT_TRUE(sim->Start()) << sim->LastError();
        ASSERT_TRUE(::CreateDirectoryW(L"close-start", nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        if (process.hProcess != nullptr) {
            if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
                ::TerminateProcess(process.hProcess, 99);
                ::WaitForSingleObject(process.hProcess, 5000);
            }
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
        if (sim) sim->Stop();
    }

    std::unique_ptr<SimulatedModule> sim;
    PROCESS_INFORMATION process{};
};

TEST_P(CloseWhileAcquiring, EndsAtOnceWithStatusZero) {
    std::wstring command = L"\"" + ConsolePath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 L"close-start", &startup, &process))
        << "cannot start the console (error " << ::GetLastError() << ")";

    WindowSearch search{process.dwProcessId};
    ASSERT_TRUE(WaitWhileRunning(process.hProcess, kStartDeadline, [&] {
        ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    })) << "no visible console window";
    const HWND button = ::GetDlgItem(search.found, IDC_CONTINUOUS_ACQUISITION);
    ASSERT_NE(button, nullptr);
    ::PostMessageW(button, BM_CLICK, 0, 0);

    // Mid-acquisition: the module has the first block request (and, when healthy, has answered
    // it, so the worker is handing readings to the window).
    ASSERT_TRUE(WaitWhileRunning(process.hProcess, kRequestDeadline, [&] {
        return sim->RequestsSeen(CMD_READ_TEMPERATURES) >= (GetParam().silent ? 1 : 2);
    })) << "the module saw no temperature-block request";
    const auto requested = Clock::now();

    ASSERT_TRUE(::PostMessageW(search.found, WM_CLOSE, 0, 0));
    const auto closed = Clock::now();
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 10000);
    const auto exitMs =
        std::chrono::duration_cast<milliseconds>(Clock::now() - closed).count();
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the console still runs 10 s after the close";
    DWORD status = 99;
    ASSERT_TRUE(::GetExitCodeProcess(process.hProcess, &status));
    EXPECT_EQ(status, 0u);
    std::printf("the console ended %lld ms after the close, status %lu\n",
                static_cast<long long>(exitMs), static_cast<unsigned long>(status));
    // Ended while the worker would still be waiting for the silent module's reply.
    EXPECT_LT(Clock::now() - requested, kSilentWait);
    if (GetParam().silent) {
        EXPECT_EQ(sim->RequestsSeen(CMD_READ_TEMPERATURES), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Module, CloseWhileAcquiring,
                         ::testing::Values(CloseCase{"Silent", true}, CloseCase{"Healthy", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
