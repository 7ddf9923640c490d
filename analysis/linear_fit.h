#pragma once
// The least-squares straight line through a data set's samples over a sample range, against time
// or against the values of another data set (Y versus X), and the equation text it carries.

#include <span>

#include "logger/data_tree.h"
#include "platform/base/cstring.h"

// y = slope * x + intercept, fitted to `count` pairs.
struct LineFitStruct {
    double slope = 0;
    double intercept = 0;
    int count = 0;
};

// Fits a line to the pairs (x[i], y[i]) whose x and y are both finite; the longer span's extra
// entries are ignored. Sums are taken about the means, so that x far from 0 against its spread
// keeps its digits. When every x is the same, the slope is 0 and the intercept the mean of y.
// False, `fit` left with the pair count only, for fewer than 2 such pairs or a line that overflows.
bool FitLine(std::span<const double> x, std::span<const double> y, LineFitStruct& fit);

// "0, " for the zero line; else the slope with "X" and the signed intercept, each at 3 decimals
// and left out where it is 0: "2X+1", "1.5X", "3", "-0.8X-2".
CString FormatFitEquation(double slope, double intercept);

// What a fitted line's text begins with, before its equation.
constexpr const char* kFitEquationPrefix = "f(x) =";

// The fitted line of a data set as a new series pair.
struct LinearFitSeries {
    CDataArrayPtr x;  // sample numbers, or in Y versus X the indexes into the X data set
    CDataArrayPtr y;  // the line's values there
    LineFitStruct line;
    CString equation;
};

// The line through `dataSet` over first..last (put in order and clamped to the samples that both
// its series hold). Against time, x is the sample number times `intervalSeconds`. With `xDataSet`,
// x is that data set's value at the same sample number: the two are aligned by the whole parts of
// their first sample numbers and the range shortened so that neither is read past its end.
// The line is given at every index of the range whose x is finite. False when fewer than two
// pairs could be fitted.
bool ComputeLinearFit(const CDataTreeBrench& dataSet, const CDataTreeBrench* xDataSet, int first,
                      int last, double intervalSeconds, LinearFitSeries& out);

// A fitted line's text as the graph shows it: the equation of its series with the values in the
// chosen temperature or pressure unit, against time in seconds or, with `xDataSet`, against that
// data set's values in their chosen unit. The text it was made with when no unit changes it, when
// it holds no equation, or when its series is not that straight line there (a fit shown against
// another axis than the one it was fitted on).
CString ShownFitEquation(const CDataTreeBrench& fit, const CDataTreeBrench* xDataSet,
                         int temperatureUnit, int pressureUnit);
