#pragma once

#include <string>

// The com<N> symbolic link the tool opens as its serial port.
class PortLink
{
public:
    PortLink(const std::string &dir, const std::string &name);

    // Makes dir absolute and checks it is a directory; returns an error text.
    std::string prepare();
    // Points the link at target, replacing any old link in one rename so the
    // tool never sees it missing. Returns an error text.
    std::string pointAt(const std::string &target);
    // Removes the link unless someone else has repointed it since.
    void removeIfPointsAt(const std::string &target);

    const std::string &path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_name;
    std::string m_path;
};
