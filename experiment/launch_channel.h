#pragma once
// LaunchChannelStruct: how one sensor of a launch set-up is plotted, as a launch file keeps it.
// Records 0 to 6 are the sensors in colour-index order; record 7 holds the X axis.

#include "platform/base/types.h"

struct LaunchChannelStruct {
    DWORD selected = 0;  // switched on in the launch settings
    WORD index = 0;      // the sensor's colour index
    LONG lineColor = 0;  // COLORREF
    LONG lineStyle = 1;  // 1 solid, 4 the second style (its weight fixed)
    WORD lineWidth = 1;  // 1, 3 or 5
    DWORD lineVisible = 1;
    LONG markerColor = 0;  // COLORREF
    LONG markerStyle = 0;  // 0 while the markers are off
    DWORD markerVisible = 0;
    DWORD autoScale = 0;
    double minimum = 0;  // in the sensor's base unit (Celsius, kPa)
    double maximum = 0;
    WORD spare = 0;  // the X axis record's sensor bit

    bool operator==(const LaunchChannelStruct&) const = default;
};
