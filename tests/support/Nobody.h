#pragma once

#include <grp.h>
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
