#pragma once

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// Root reads and writes anywhere, so a test that needs a folder or a device
// to refuse the user runs that part in a child process that becomes the
// unprivileged user nobody first. Ends the child (status 99) if it cannot.
inline void becomeNobody()
{
    constexpr uid_t Nobody = 65534;
    const gid_t nogroup = Nobody;
    if (geteuid() == 0 && (setgroups(1, &nogroup) != 0 || setgid(nogroup) != 0 || setuid(Nobody) != 0))
        _exit(99);
}

// Runs `work` in a child process as nobody: whether it returned true.
inline bool asNobody(const std::function<bool()> &work)
{
    const pid_t child = fork();
    if (child == 0) {
        becomeNobody();
        _exit(work() ? 0 : 1);
    }
    int status = -1;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
