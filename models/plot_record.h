#pragma once
// What the graph view keeps per plot (and for the X axis) beyond what the control holds: the data
// set drawn, how much of it is on the control, its Y range and look, and the plots sharing its
// Y axis. Plain data: no window code.

#include "models/graph_lines_info.h"
#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CDataTreeBrench;

struct PlotRecordStruct {
    // The variant types a plot number is kept and saved as.
    static constexpr WORD kVtEmpty = 0, kVtI2 = 2, kVtI4 = 3;
    static constexpr int kMaxLinks = 8;
    static constexpr WORD kNoChannel = 65535;
    static constexpr SHORT kNoLink = -1;  // 65535 in the project file

    WORD channel = kNoChannel;
    CDataTreeBrench* dataSet = nullptr;
    WORD plotNumberType = kVtEmpty;  // empty, or I2 / I4 with plotNumber
    LONG plotNumber = 0;
    LONG pointsShown = 0;
    CString axisName;
    LONG yAutoscale = 1;
    double yMin = 9999999.0;
    double yMax = -99999999.0;
    LONG lastScaled = 0;
    LONG grid = 0;
    COLORREF colour = 0;
    LONG pointStyle = 1;  // the control's marker style
    WORD lineWidth = 1;
    LONG pointsSwitch = 1;  // markers shown
    LONG lineStyle = 0;     // the control's line style
    LONG fillValue = 0;
    LONG fillSwitch = 0;
    COLORREF markerColour = 0;
    WORD timeFormat = 0;
    WORD decimals = 2;
    CString unit;
    WORD labelValue = 0;
    LONG scratch = 0;
    SHORT linkCount = 0;
    SHORT links[kMaxLinks] = {-1, -1, -1, -1, -1, -1, -1, -1};
    WORD work[3] = {};

    // The seven line settings of a settings row: colour, marker style, width, markers shown, line
    // style, marker colour; fill off.
    void TakeLineRow(const GraphLinesInfoStruct& row);
    bool HasLink(int position) const;
    // Adds a link unless it is there already, is `self` or the list is full; false when not added.
    bool AddLink(int position, int self);
    // Drops the link to `position`; the later links move down.
    void RemoveLink(int position);
    void ClearLinks();
    void SetPlotNumber(LONG n) {
        plotNumberType = kVtI2;
        plotNumber = n;
    }
};

// The X-axis settings as constructed: autoscale on, no channel, no data set.
PlotRecordStruct MakeXAxisSettings();
