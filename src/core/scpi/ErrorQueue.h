#pragma once

#include <QString>

#include <deque>

// A client's SCPI error queue: the errors its commands met, oldest first,
// each with SCPI's number and text and what happened, read one at a time
// by SYSTem:ERRor?. It holds ten; one more turns the last into -350.
class ErrorQueue
{
public:
    static constexpr std::size_t Capacity = 10;

    void push(int code, const QString &detail = {});
    // The oldest error as SYSTem:ERRor? gives it: -240,"Hardware error; ..."
    // or 0,"No error" when there is none.
    QString next();
    void clear() { m_errors.clear(); }
    bool isEmpty() const { return m_errors.empty(); }

    static QString text(int code);

private:
    std::deque<QString> m_errors;
};
