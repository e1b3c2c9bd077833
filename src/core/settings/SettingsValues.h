#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The nine values kept in the settings file, in file order.
struct SettingsValues
{
    std::int16_t commPort = 1;
    QString baudRate = QStringLiteral("9600");
    QString deviceId = QStringLiteral("1");
    std::int16_t sampleTime = 0;
    QString ucAppName = QStringLiteral("-");
    // Captions of the value displays; index 1 to 4, element 0 unused.
    std::array<QString, 5> tempNames{QString(), QStringLiteral("PWM(%):"), QStringLiteral("Label2"),
                                     QStringLiteral("nc"), QStringLiteral("nc")};

    static SettingsValues defaults() { return {}; }
    bool operator==(const SettingsValues &) const = default;
};
