#pragma once

#include <QString>

#include <array>

// The command lines the tool sends, without their final carriage return
// (except the search request, which is written whole), and the texts it
// shows for the link on the status line.
//
// Every command but "PV1?" starts with the device ID; numbers are plain
// decimal.
class Protocol
{
public:
    // CR, id, "BS?", CR: the only command that also begins with a CR.
    static QString searchRequest(const QString &deviceId);

    static QString setDuty(const QString &deviceId, int percent);
    static QString dutyReadback(); // "PV1?", without the device ID
    static QString setFrequency(const QString &deviceId, int index);
    static QString queryDuty(const QString &deviceId);
    static QString queryFrequency(const QString &deviceId);
    static QString poll(const QString &deviceId);

    static QString dutyPrefix(const QString &deviceId);
    static QString frequencyPrefix(const QString &deviceId);

    // "COM:3 Baud:9600 COM data: 1SV2=4"
    static QString receivedStatus(int commPort, const QString &baudRate, const QString &line);
    // "COM:3 Baud:9600 COM data: ", what comes before the line
    static QString receivedStatusPrefix(int commPort, const QString &baudRate);
    // "STime:5 STimer:4"
    static QString pollStatus(int sampleTime, int pollCount);
    // "Invalid Port Number!", "Port already open!", "COM Port comm-error! 8012"
    static QString portErrorStatus(int errorNumber);

    // The PWM frequency each index selects, in hertz (index 0 unused), as
    // the frequency buttons show them: "31372" ... "30.6".
    static constexpr std::array<double, 8> FrequencyHz{0, 31372, 3921, 980, 490, 245, 122, 30.6};
    static QString frequencyText(int index);
    // "31372, 3921, 980, 490, 245, 122 and 30.6 Hz"
    static QString frequencyList();
    // The index whose frequency lies within 1 % of `hz`, or 0.
    static int frequencyIndexNear(double hz);

    static constexpr QChar CR = u'\r';
};
