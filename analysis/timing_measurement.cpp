#include "analysis/timing_measurement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const char* const kTimingMismatchMessage =
    "Please verify data displayed matches selected measurement and/or method";

namespace {

// One gate's current pass: the event indexes of its rise (blocking) and fall (clearing).
struct Pass {
    int r = -2;
    int f = -1;

    // True when the event completes a pass. A blocking starts only after the previous one ended.
    bool Update(int i, double state) {
        if (state == 1.0 && f > r) r = i;
        if (state == 0.0 && f < r) {
            f = i;
            return true;
        }
        return false;
    }
    bool Complete() const { return r > -1 && f > r; }
};

// Appends a result unless it came from a division by a zero time.
bool Append(const TimingResultPair& pair, double ordinal, double value) {
    if (!std::isfinite(value)) return false;
    pair.x->push_back(ordinal);
    pair.y->push_back(value);
    return true;
}

double Velocity(double width, const std::vector<double>& t, const Pass& pass) {
    return width / (t[pass.f] - t[pass.r]);
}

// The change of speed between two passes over the time between their mid-points.
double Acceleration(double width, const std::vector<double>& t, const Pass& p1, const Pass& p2) {
    const double s1 = Velocity(width, t, p1);
    const double s2 = Velocity(width, t, p2);
    // Sums first, so that equal mid-points give exactly 0 and the result is dropped.
    const double dt = ((t[p2.f] + t[p2.r]) - (t[p1.f] + t[p1.r])) / 2;
    return (s2 - s1) / dt;
}

bool ReadsGate2(int code) {
    return code == 10 || code == 11 || code == 12 || code == 21;
}

}  // namespace

bool ComputeTimingMeasurement(const TimingResultPair& first, const TimingResultPair& second,
                              const std::vector<double>& times, const std::vector<double>& gate1,
                              const std::vector<double>& gate2, int code, double widthCm,
                              double distanceCm) {
    const bool fits = (!ReadsGate2(code) || gate1.size() == gate2.size()) && first.Exists() &&
                      (code != 21 || second.Exists());
    if (!fits) return false;

    const double width = widthCm / 100;
    const double distance = distanceCm / 100;
    const std::vector<double>& t = times;
    size_t count = std::min(t.size(), gate1.size());
    if (ReadsGate2(code)) count = std::min(count, gate2.size());
    const int events = static_cast<int>(count);

    switch (code) {
        case 0:
        case 1: {
            Pass pass;
            int n = 0;
            for (int i = 0; i < events; ++i) {
                if (!pass.Update(i, gate1[i])) continue;
                const double value = code == 0 ? t[pass.f] - t[pass.r] : Velocity(width, t, pass);
                if (Append(first, n, value)) ++n;
            }
            break;
        }
        case 2: {
            Pass p1, p2;
            int n = 0;
            for (int i = 0; i < events; ++i) {
                if (!p1.Complete()) {
                    p1.Update(i, gate1[i]);
                } else if (p2.Update(i, gate1[i])) {
                    if (Append(first, n, Acceleration(width, t, p1, p2))) ++n;
                    p1.r = p2.r = -1;
                }
            }
            break;
        }
        case 10:
        case 11:
        case 12: {
            Pass p1, p2;
            int n = 0;
            // The time from blocking gate 1 to blocking gate 2, negative when gate 2 came first.
            auto betweenGates = [&] {
                const double dt = t[p2.r] - t[p1.r];
                return code == 10 ? std::fabs(dt) : distance / dt;
            };
            for (int i = 0; i < events; ++i) {
                p1.Update(i, gate1[i]);
                p2.Update(i, gate2[i]);
                if (!p1.Complete() || !p2.Complete()) continue;
                double value;
                if (code == 12) {
                    value = Acceleration(width, t, p1, p2);
                    if (p2.r < p1.r) value = -value;
                } else {
                    value = betweenGates();
                }
                if (Append(first, n, value)) ++n;
                p1.r = p2.r = -1;
            }
            // Both gates were blocked but the flag has not cleared the last one yet.
            if (code != 12 && p1.r > -1 && p2.r > -1) Append(first, n, betweenGates());
            break;
        }
        case 20: {
            int p = -2, q = -2;
            int n = 0;
            double previous = 0.0;  // the first event counts as preceded by a clear gate
            for (int i = 0; i < events; ++i) {
                const bool rising = gate1[i] == 1.0 && previous == 0.0;
                previous = gate1[i];
                if (!rising) continue;
                if (p < q) {
                    if (Append(first, n, t[i] - t[p])) ++n;
                    p = i;
                } else if (p > q) {
                    q = i;
                } else {
                    p = i;
                }
            }
            break;
        }
        case 21: {
            Pass p1, p2;
            for (int i = 0; i < events; ++i) {
                if (p1.Update(i, gate1[i]))
                    Append(first, static_cast<double>(first.x->size()), Velocity(width, t, p1));
                if (p2.Update(i, gate2[i]))
                    Append(second, static_cast<double>(second.x->size()), Velocity(width, t, p2));
            }
            break;
        }
        default:
            break;
    }
    return true;
}
