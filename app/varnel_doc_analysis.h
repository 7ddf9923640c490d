#pragma once
// The document's analysis commands: the chosen stretch of a plot is fitted and the result becomes
// a data set of the project, in the data map's "Linear fit" group, on the graph and in the table.

#include "logger/data_tree.h"
#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CVarnelDoc;

// Analysis codes of RunAnalysisFunction.
constexpr WORD kAnalysisLinearFit = 98;

constexpr const char* kSelectPlotText = "You should select a plot first !";
constexpr const char* kAnalysisFailedText =
    "The function could not be calculated for the input data was out of range or incomplete";

// Runs analysis `code` over the graph's chosen plot and range: the stretch between the cursors,
// the whole plot with one cursor, else the only plot. The result is shown on the graph and in the
// table. Null when nothing was added; the user has been told why, unless they chose to stay in
// predict mode.
CDataTreeBrench* RunAnalysisFunction(CVarnelDoc* doc, WORD code);

// Fits a straight line to `dataSet` over first..last, against the values of `xDataSet` when given
// (Y versus X), and adds it under "Linear fit" with its equation as comment. Null, the project
// unchanged, when there is no such group or fewer than two points to fit.
CDataTreeBrench* LinearFit(CVarnelDoc* doc, CDataTreeBrench* dataSet, CDataTreeBrench* xDataSet,
                           int first, int last);

// Adds a computed series pair as a data set of the group `groupId`, which takes the arrays over,
// with the range marks unset and the data map's picture of a computed series. Null when the
// group is gone or the data map refuses it.
CDataTreeBrench* AddResultSeries(CVarnelDoc* doc, DWORD groupId, CDataArrayPtr x, CDataArrayPtr y,
                                 const CString& name, WORD rateCode, const CString& unit,
                                 const CPreciseDateTime& startTime, WORD originCode,
                                 SHORT secondValue, WORD identityValue, const CString& videoFile,
                                 WORD inputKind, BYTE sensorId, BYTE modelCode);
