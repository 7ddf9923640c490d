#pragma once
// One cubic Bezier curve through a run of outline points: it starts at the first point, ends at
// the last and passes as close as it can to the points between. Points are a flat array x0, y0,
// x1, y1, ... and c is its length (twice the number of points).

// How often a search stopped at its step limit instead of converging; only hostile input (not a
// number, endless slopes) gets there.
struct BezierFitStats {
    int cappedSearches = 0;
    int cappedRefinements = 0;
};

// The two inner control points; the outer ones are the first and last points. With fewer than
// three points the curve is the straight chord.
void FitCubicBezier(const double* points, int c, double& p1x, double& p1y, double& p2x, double& p2y,
                    BezierFitStats* stats = nullptr);

// The sum of the squared distances from the points between the first and the last to the curve
// with control points (x[i], y[i]).
double BezierFitError(const double x[4], const double y[4], const double* points, int c,
                      BezierFitStats* stats = nullptr);

// For the curve with power-basis coefficients a (x) and b (y) over u in [-1, 1]: the squared
// distance from B(u) to (px, py), and half its derivative in u.
void EvaluateBezierDistance(double u, const double a[4], const double b[4], double px, double py,
                            double& slope, double& distance);
