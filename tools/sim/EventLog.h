#pragma once

#include <chrono>
#include <string>
#include <string_view>

// Optional event trace: one line per event, "<ms since start> <event>",
// appended to a file so tests can check what the board saw and when.
class EventLog
{
public:
    EventLog();
    ~EventLog();
    EventLog(const EventLog &) = delete;
    EventLog &operator=(const EventLog &) = delete;

    // Returns an error text; an empty path keeps the log off.
    std::string open(const std::string &path);
    void write(std::string_view event);
    void write(std::string_view event, std::string_view data);

    long long elapsedMs() const;

    // Makes received bytes readable in one line: \r, \n, \xNN; long data is cut.
    static std::string printable(std::string_view data, std::size_t limit = 200);

private:
    int m_fd = -1;
    std::chrono::steady_clock::time_point m_start;
};
