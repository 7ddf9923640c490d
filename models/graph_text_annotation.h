#pragma once
// A caption pinned to one data point of a data set. The data set owns its captions and saves them
// with itself in the project.

#include "platform/base/cstring.h"
#include "platform/base/types.h"

struct GraphTextAnnotation {
    LONG pointIndex = 0;  // index of the point in the data set's arrays
    CString caption;
    double directionSlope = 1.0;  // screen Y pixels per X pixel from the point to the label
    double length = 100.0;        // twice the on-screen distance from the point to the label
    LONG side = 0;                // 0 label to the right of the point, 1 to the left

    bool operator==(const GraphTextAnnotation&) const = default;
};
