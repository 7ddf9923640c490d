#pragma once
// Bitmaps 170 (two line styles, 83 pixels each), 171 (three line weights, 80 pixels each) and 172
// (eight marker styles, 60 pixels each), on white.

#include "platform/base/types.h"

constexpr UINT IDB_LINE_STYLES = 170;
constexpr UINT IDB_LINE_WEIGHTS = 171;
constexpr UINT IDB_MARKER_STYLES = 172;

// Makes them known to CBitmap::LoadBitmap; once is enough, more does no harm.
void RegisterPlotStyleBitmaps();
