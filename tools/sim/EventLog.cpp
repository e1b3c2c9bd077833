#include "EventLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

EventLog::EventLog()
    : m_start(std::chrono::steady_clock::now())
{
}

EventLog::~EventLog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string EventLog::open(const std::string &path)
{
    if (path.empty())
        return {};
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return "cannot open log " + path + ": " + std::strerror(errno);
    return {};
}

long long EventLog::elapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now()
                                                                 - m_start)
        .count();
}

void EventLog::write(std::string_view event)
{
    write(event, {});
}

void EventLog::write(std::string_view event, std::string_view data)
{
    if (m_fd < 0)
        return;
    std::string line = std::to_string(elapsedMs());
    line += ' ';
    line += event;
    if (!data.empty()) {
        line += ' ';
        line += data;
    }
    line += '\n';
    // One write per line: with O_APPEND the line lands whole even if the file
    // is shared. A full disk is not worth stopping the board for.
    const char *p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::string EventLog::printable(std::string_view data, std::size_t limit)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    const std::size_t shown = data.size() > limit ? limit : data.size();
    for (std::size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    if (shown < data.size())
        out += "...(" + std::to_string(data.size()) + " bytes)";
    return out;
}
