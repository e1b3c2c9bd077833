#pragma once

#include <QString>

class QSerialPort;

// Another program's hold on a serial port is respected. On Linux two
// customs say that a program holds a port:
//  - a UUCP lock file, /var/lock/LCK..<name>, whose first line is the
//    holder's PID: "%10d\n" as minicom and the lockdev family write it,
//    "PID\nprogram\nhost\n..." as Qt's QLockFile does (so QSerialPort, and
//    another Tavermund);
//  - an exclusive flock() on the device, as picocom and pyserial's
//    exclusive mode take it.
// QSerialPort honours neither fully: its QLockFile deletes a lock file of a
// live process at once when the file names no program or another program
// than the one running under that PID (so every minicom lock file), and any
// lock file once it is 30 s old; and it takes no flock. So a lock file whose
// process is alive refuses the open before QSerialPort sees it, and the
// opened port is flocked, or closed again when someone else has it.
// A lock file of a process that is gone is left to QSerialPort, which
// replaces it.
//
// Windows opens a COM port for one program only: nothing to do there.
//
// A refusal throws CommError PortAlreadyOpen; its reason names the holder
// when it is known and says what to do.
class PortLock
{
public:
    // The lock file QSerialPort uses for `device` (a path under /dev).
    static QString lockFilePath(const QString &device);

    // Before opening `device`: refuses when a live process's lock file is
    // in place.
    static void checkLockFile(const QString &device);

    // After opening: takes the exclusive flock on the port's descriptor,
    // refusing when another process holds it. Other failures of flock (a
    // device that does not support it) are no hold and let the port be.
    void take(const QSerialPort &port, const QString &device);
    // Before closing.
    void release();

private:
    int m_descriptor = -1;
};
