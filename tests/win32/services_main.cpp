// The host tests' main. Run as "--hold-instance <mutex> <event>", the program is instead the
// other copy of an instance test: it takes the lock, says so and waits to be killed; run as
// "--second-copy <mutex>" it is a second launch: exit code 0 when it found a copy running.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/win32_instance.h"

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--hold-instance") == 0) {
        tw::win32_platform::Win32InstanceLock lock(argv[2]);
        if (lock.anotherCopyRunning()) return 2;
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[3]);
        if (ready == nullptr) return 3;
        SetEvent(ready);
        Sleep(INFINITE);
    }
    if (argc == 3 && std::strcmp(argv[1], "--second-copy") == 0) {
        tw::win32_platform::Win32InstanceLock lock(argv[2]);
        return lock.anotherCopyRunning() ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
