#include "PortLink.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

PortLink::PortLink(const std::string &dir, const std::string &name)
    : m_dir(dir)
    , m_name(name)
    , m_path(dir + "/" + name)
{
}

std::string PortLink::prepare()
{
    char resolved[PATH_MAX];
    if (!::realpath(m_dir.c_str(), resolved))
        return "cannot use --dir " + m_dir + ": " + std::strerror(errno);
    struct stat st {};
    if (::stat(resolved, &st) != 0 || !S_ISDIR(st.st_mode))
        return "--dir " + m_dir + " is not a directory";
    m_dir = resolved;
    m_path = m_dir + "/" + m_name;
    return {};
}

std::string PortLink::pointAt(const std::string &target)
{
    const std::string temp = m_dir + "/." + m_name + "." + std::to_string(::getpid()) + ".tmp";
    ::unlink(temp.c_str()); // a leftover from a killed run
    if (::symlink(target.c_str(), temp.c_str()) != 0)
        return "cannot create link " + temp + ": " + std::strerror(errno);
    if (::rename(temp.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return "cannot create link " + m_path + ": " + std::strerror(error);
    }
    return {};
}

void PortLink::removeIfPointsAt(const std::string &target)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(m_path.c_str(), buffer, sizeof buffer - 1);
    if (n < 0)
        return;
    if (std::string(buffer, static_cast<std::size_t>(n)) == target)
        ::unlink(m_path.c_str());
}
