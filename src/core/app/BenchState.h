#pragma once

#include "link/ReplyState.h"
#include "pwm/PwmState.h"
#include "settings/SettingsValues.h"

#include <QString>

// Everything the bench remembers between events, in the parts that each
// subsystem keeps. Empty or zero until the first LoadSettings.
struct BenchState
{
    SettingsValues settings{0, QString(), QString(), 0, QString(), {}}; // from the settings file
    QString settingsPath;
    QString pendingCommand; // the next command for SendAction
    ReplyState replies;     // the receive path
    PwmState pwm;           // the PWM controls, the read-back and the poll
};
