#pragma once

#include "platform/base/cstring.h"
#include "platform/base/types.h"

// The time column's format, chosen by the owner from the sampling interval; the grid only keeps it
// to print the time column.
struct TimeColumnFormat {
    int m_nMode = 3;    // the time unit: how FormatTimeValue writes the time
    CString m_strUnit;  // the unit's text
    SHORT m_nDecimals = 0;
    SHORT m_nReserved = 0;
    CString m_strFormat;  // the number pattern of the time texts
};
