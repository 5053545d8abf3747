// One copy per session: the lock is held while a copy runs and free once it has crashed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_instance.h"
#include "services_test_window.h"

namespace tw::win32_platform {
namespace {

// Runs this test program with `arguments`; returns its exit code.
DWORD runSelf(const std::vector<std::string>& arguments, PROCESS_INFORMATION* keep = nullptr) {
    Win32Files files;
    // Appended piece by piece: GCC 12 warns wrongly about one long chain of + at -O3.
    std::string command;
    command.append("\"").append(files.ownExecutablePath()).append("\"");
    for (const std::string& argument : arguments) {
        command.append(" \"").append(argument).append("\"");
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 1000;
    }
    if (keep) {
        *keep = process;
        return 0;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1001;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(Win32InstanceLock, ASecondLaunchAsksTheRunningCopyToShowItsWindow) {
    const std::string name = "Local\\TidewellShowTest." + std::to_string(GetCurrentProcessId());
    Win32InstanceLock running(name);
    ASSERT_FALSE(running.anotherCopyRunning());
    win32_test::TestWindow mainWindow("Tidewell running copy");
    const UINT request = running.showRequestMessage();
    ASSERT_NE(request, 0u);

    EXPECT_EQ(runSelf({"--second-copy", name}), 0u);
    // The broadcast reaches the running copy's top-level windows.
    const ULONGLONG deadline = GetTickCount64() + 20000;
    MSG msg;
    while (mainWindow.seen(request) == 0 && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    ASSERT_EQ(mainWindow.seen(request), 1);
    EXPECT_TRUE(running.isShowRequest(request, mainWindow.lastWParam(request)));
    // Not its own request, nor one for a copy that does not hold the lock.
    EXPECT_FALSE(running.isShowRequest(request, GetCurrentProcessId()));
    Win32InstanceLock refused(name);
    EXPECT_TRUE(refused.anotherCopyRunning());
    EXPECT_FALSE(refused.isShowRequest(request, mainWindow.lastWParam(request)));
}

TEST(Win32InstanceLock, ASecondCopyIsRefusedAndACrashedCopyReleasesTheLock) {
    const std::string name = "Local\\TidewellTest." + std::to_string(GetCurrentProcessId());
    const std::string readyName = name + ".ready";
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    ASSERT_NE(ready, nullptr);

    // The other copy: this test program, holding the lock until it is killed.
    PROCESS_INFORMATION other{};
    ASSERT_EQ(runSelf({"--hold-instance", name, readyName}, &other), 0u);
    ASSERT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);

    {
        Win32InstanceLock second(name);
        EXPECT_TRUE(second.anotherCopyRunning());
    }

    // Killed without a chance to clean up, as a crash would end it.
    TerminateProcess(other.hProcess, 1);
    WaitForSingleObject(other.hProcess, 30000);
    CloseHandle(other.hThread);
    CloseHandle(other.hProcess);
    CloseHandle(ready);

    Win32InstanceLock next(name);
    EXPECT_FALSE(next.anotherCopyRunning());
    EXPECT_FALSE(next.anotherCopyRunning());  // asking again does not trip over itself
    Win32InstanceLock third(name);
    EXPECT_TRUE(third.anotherCopyRunning());
}

}  // namespace
}  // namespace tw::win32_platform
