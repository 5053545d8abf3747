#pragma once

// Runs a piece of a test in a child process, optionally as the unprivileged user nobody (the
// tests run as root, which ignores file permissions). The child reports through its exit
// code: 0 is success, anything else names the check that failed.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace tw::test {

inline constexpr uid_t kNobody = 65534;

// Returns the child's exit code, or -1 when it did not exit normally.
inline int runInChild(const std::function<int()>& body, bool asNobody = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 0;
        if (asNobody && (setresgid(kNobody, kNobody, kNobody) != 0 ||
                         setresuid(kNobody, kNobody, kNobody) != 0)) {
            code = 100;
        } else {
            code = body();
        }
        _exit(code);  // no destructors, no atexit handlers of the parent's
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace tw::test
