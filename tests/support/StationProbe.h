#pragma once

#include "app/BenchStation.h"

// The tests' one view of what a bench station keeps to itself: the serial
// component MSComm1, the four timers and the state (pendingCommand, the
// reported values, the read-back and poll counters), by the names the
// tool's design gives them. Tests drive the station through its calls and
// watch its reports; they look here only where a rule is about a timer or
// a piece of state, or to set the scene (an open port, a poll period).
class StationProbe
{
public:
    explicit StationProbe(BenchStation &station)
        : m_station(station)
    {
    }

    SerialComponent &MSComm1() { return m_station.MSComm1; }
    WindowTimer &Timer1() { return m_station.Timer1; }
    WindowTimer &TimerCom() { return m_station.TimerCom; }
    WindowTimer &Timer2() { return m_station.Timer2; }
    WindowTimer &StTimer() { return m_station.StTimer; }
    BenchState &state() { return m_station.state; }

    // A timer's tick, now, as if its interval had passed.
    static void tick(WindowTimer &timer) { emit timer.Timer(); }

private:
    BenchStation &m_station;
};
