#pragma once
// The look of one plot's line and markers, as the graph format sheet edits it and the settings
// keep it for each channel.

#include "platform/base/types.h"

struct GraphLinesInfoStruct {
    COLORREF lineColor = 0;
    LONG lineStyle = 0;  // 1 solid, 4 the second line picture, 0 none; -1 for the X axis
    WORD lineWidth = 0;  // 1, 3 or 5 pixels; 0xFFFF for the X axis
    BOOL lineVisible = FALSE;
    COLORREF markerColor = 0;
    LONG markerStyle = 0;  // 0 none; -1 for the X axis
    BOOL markerVisible = FALSE;

    bool operator==(const GraphLinesInfoStruct&) const = default;
};
