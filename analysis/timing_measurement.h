#pragma once
// Photogate timing: the results of the measurement chosen in the timing wizard (blocked times,
// times between gates, pendulum periods, velocities, accelerations), from a run's gate events.

#include <vector>

// One result series pair of a run: the result's ordinal in x, its value in y.
struct TimingResultPair {
    std::vector<double>* x = nullptr;
    std::vector<double>* y = nullptr;
    bool Exists() const { return x && y; }
};

// The message shown when the events do not fit the measurement.
extern const char* const kTimingMismatchMessage;

// Appends to the result pairs the results of measurement `code` (method x 10 + measurement:
// 0, 1, 2 at one gate; 10, 11, 12 between gates; 20 pendulum; 21 collision, gate 2 into the second
// pair) over all events: their times in seconds and the states of gate 1 and gate 2 (1 blocked,
// 0 clear). Widths and distances are in centimetres. A result that would divide by a zero time
// is left out. Events beyond the shortest series read are ignored.
//
// False when the data does not fit the measurement: nothing is appended, and the caller tells
// the user (kTimingMismatchMessage) as often as it sees fit; a run tells it once.
bool ComputeTimingMeasurement(const TimingResultPair& first, const TimingResultPair& second,
                              const std::vector<double>& times, const std::vector<double>& gate1,
                              const std::vector<double>& gate2, int code, double widthCm,
                              double distanceCm);
