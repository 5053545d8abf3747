// One copy per session: the lock is held while a copy runs and free once it has crashed.

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_instance.h"

namespace tw::win32_platform {
namespace {

TEST(Win32InstanceLock, ASecondCopyIsRefusedAndACrashedCopyReleasesTheLock) {
    const std::string name = "Local\\TidewellTest." + std::to_string(GetCurrentProcessId());
    const std::string readyName = name + ".ready";
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    ASSERT_NE(ready, nullptr);

    // The other copy: this test program, holding the lock until it is killed.
    Win32Files files;
    // Appended piece by piece: GCC 12 warns wrongly about one long chain of + at -O3.
    std::string command;
    for (const std::string& part :
         {files.ownExecutablePath(), std::string("--hold-instance"), name, readyName}) {
        command.append(command.empty() ? "\"" : " \"").append(part).append("\"");
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &other));
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
