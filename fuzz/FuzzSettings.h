#pragma once
// The regional settings a fuzz input runs under: the Brazilian settings the
// program is used with, the United States ones (month first, "." decimals)
// and the fallback of a system that configures nothing.
#include "RegionalSettings.h"

#include <QLocale>

inline const RegionalSettings& FuzzSettings(std::uint8_t choice) {
    static const RegionalSettings kSettings[] = {
        RegionalSettings::FromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)),
        RegionalSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates)),
        RegionalSettings(),
    };
    return kSettings[choice % 3];
}
