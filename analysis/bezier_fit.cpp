#include "analysis/bezier_fit.h"

#include <cmath>

namespace {

// Far above what any real run needs (a few dozen steps), so that only input without a minimum
// reaches them.
constexpr int kMaxSearchSteps = 1000;
constexpr int kMaxRefinements = 100;

void Coefficients(const double p[4], double a[4]) {
    a[3] = (p[3] - p[0] + 3 * (p[1] - p[2])) / 8;
    a[2] = 3 * (p[3] + p[0] - p[1] - p[2]) / 8;
    a[1] = (p[3] - p[0]) / 2 - a[3];
    a[0] = (p[3] + p[0]) / 2 - a[2];
}

}  // namespace

void EvaluateBezierDistance(double u, const double a[4], const double b[4], double px, double py,
                            double& slope, double& distance) {
    const double dx = ((a[3] * u + a[2]) * u + a[1]) * u + a[0] - px;
    const double dy = ((b[3] * u + b[2]) * u + b[1]) * u + b[0] - py;
    const double tx = (2 * a[2] + 3 * u * a[3]) * u + a[1];
    const double ty = (2 * b[2] + 3 * u * b[3]) * u + b[1];
    distance = dx * dx + dy * dy;
    slope = tx * dx + ty * dy;
}

double BezierFitError(const double x[4], const double y[4], const double* points, int c,
                      BezierFitStats* stats) {
    c -= c % 2;
    if (!points || c < 6) return 0;
    double a[4], b[4];
    Coefficients(x, a);
    Coefficients(y, b);
    const double du = 2.0 / c;
    const int count = c / 2;
    double sum = 0;
    for (int i = 1; i < count - 1; ++i) {
        const double px = points[2 * i], py = points[2 * i + 1];
        // Coarse scan for the nearest parameter.
        double u0 = -1, g0 = 0, best = 0;
        bool first = true, exact = false;
        for (double u = -1; u <= 1.01; u += du) {
            double g, d;
            EvaluateBezierDistance(u, a, b, px, py, g, d);
            if (first || d < best) {
                u0 = u, g0 = g, best = d;
                first = false;
            }
            if (d == 0) {
                exact = true;
                break;
            }
        }
        if (exact) continue;
        // Secant steps on the slope from there.
        double u1 = u0 + du;
        if (u1 > 1) u1 = 1 - du;
        double g1, d1;
        EvaluateBezierDistance(u1, a, b, px, py, g1, d1);
        for (int step = 0; d1 != 0 && g1 != 0; ++step) {
            if (step == kMaxRefinements) {
                if (stats) ++stats->cappedRefinements;
                break;
            }
            double u2 = g1 == g0 ? (u0 + u1) / 2 : (g1 * u0 - g0 * u1) / (g1 - g0);
            if (u2 < -1) u2 = -1;
            if (u2 > 1) u2 = 1;
            if (std::fabs(u2 - u1) < 0.001) break;
            u0 = u1, g0 = g1, u1 = u2;
            EvaluateBezierDistance(u1, a, b, px, py, g1, d1);
        }
        sum += d1;
    }
    return sum;
}

void FitCubicBezier(const double* points, int c, double& p1x, double& p1y, double& p2x, double& p2y,
                    BezierFitStats* stats) {
    c -= c % 2;
    if (!points || c < 4) {
        p1x = p1y = p2x = p2y = 0;
        return;
    }
    double x[4], y[4];
    x[0] = points[0], y[0] = points[1];
    x[3] = points[c - 2], y[3] = points[c - 1];
    if (c < 6) {
        p1x = x[0] + (x[3] - x[0]) / 3, p1y = y[0] + (y[3] - y[0]) / 3;
        p2x = x[3] - (x[3] - x[0]) / 3, p2y = y[3] - (y[3] - y[0]) / 3;
        return;
    }
    // Start from the neighbours of the end points reflected outwards.
    x[1] = 2 * points[2] - x[0], y[1] = 2 * points[3] - y[0];
    x[2] = 2 * points[c - 4] - x[3], y[2] = 2 * points[c - 3] - y[3];
    double e = BezierFitError(x, y, points, c, stats);
    double* coordinate[4] = {&x[1], &y[1], &x[2], &y[2]};
    const double anchor[4] = {x[0], y[0], x[3], y[3]};
    for (int pass = 0; pass < 2; ++pass) {
        for (int k = 0; k < 4; ++k) {
            double& v = *coordinate[k];
            double step = 0.5;
            double saved = v;
            for (int n = 0; std::fabs(step) >= 0.01; ++n) {
                if (n == kMaxSearchSteps) {
                    if (stats) ++stats->cappedSearches;
                    v = saved;
                    break;
                }
                v = v + (v - anchor[k]) * step;
                const double e2 = BezierFitError(x, y, points, c, stats);
                if (e2 == e) break;
                if (e2 > e) {
                    v = saved;
                    step /= -3;
                } else {
                    e = e2;
                    saved = v;
                }
            }
        }
    }
    p1x = x[1], p1y = y[1], p2x = x[2], p2y = y[2];
}
