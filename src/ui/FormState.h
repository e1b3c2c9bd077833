#pragma once

#include "LineAssembler.h"

#include <QString>

#include <array>
#include <cstdint>

// Everything the window remembers between events. Empty or zero until the
// first LoadSettings; arrays are indexed from 1 (element 0 unused).
struct FormState
{
    // From the settings file.
    std::int16_t commPort = 0;
    QString baudRate;
    QString deviceId;
    std::int16_t sampleTime = 0; // poll period in StTimer ticks; 0 or less: no polling
    QString ucAppName;
    std::array<QString, 5> tempNames;
    QString settingsPath;

    // The link and the PWM controls.
    QString pendingCommand;         // the next command for SendAction
    std::int16_t dutyPercent = 0;   // last number taken from the duty box
    std::array<float, 3> reportedValues{}; // 1: duty, 2: frequency index
    std::int16_t pollCount = 0;     // StTimer ticks since the last poll
    std::int16_t queryStep = 0;     // Timer2 ticks since the last discovery
    LineAssembler rxLine;           // the reply line being received
};
