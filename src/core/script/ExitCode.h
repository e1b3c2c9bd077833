#pragma once

// How a run of the command line ends, as its exit status.
enum ExitCode : int {
    Done = 0,
    UsageError = 2,    // an unknown option or command, a missing or malformed argument
    ValueRefused = 3,  // a duty or frequency value the bench refuses
    NoResponse = 4,    // the board did not answer in time
    PortError = 5,     // the port is missing, busy or not ours, went away, or a send failed
    BadAnswer = 6,     // the board answered, but not as asked: a set with another value, a
                       // reading that is not a number or outside the protocol's range
    LogFailed = 7,     // the work was done, but the log could not be written
    Interrupted = 130, // stopped by Ctrl+C or a stop signal before the work was done
    OutputClosed = 141, // standard output was closed (a reader such as head ended), as SIGPIPE would end it
};
