#pragma once
// The launch file that goes with a worksheet. For now, the record of one sensor's display
// settings; the file itself comes with the launch settings.

#include "platform/base/types.h"

// One sensor's display settings in a launch file. Records 0 to 6 are the sensors in colour-index
// order; record 7 is the X axis, whose `index` is the X sensor's position in the selected list (-1
// for time) and whose `sensorBit` is that sensor's basic mask bit.
struct LaunchChannelStruct {
    DWORD selected = 0;
    short index = 0;
    LONG color = 0;
    // The settings' plot-line record of the sensor, after its colour.
    LONG lineStyle = 1;
    WORD lineWidth = 1;
    DWORD lineVisible = 1;
    LONG markerColor = 0;
    LONG markerStyle = 0;
    DWORD markerVisible = 0;
    DWORD autoScale = 0;
    double minimum = 0;
    double maximum = 0;
    WORD sensorBit = 0;

    bool operator==(const LaunchChannelStruct&) const = default;
};
