#pragma once
// The number format of a graph axis and the choice of its ticks. Pure arithmetic, no widgets.
//
//   format = [pattern] {("*" | "+") number} ["." {"#"}]
//
// The operators apply from left to right to the axis value. A pattern (the text before the first
// operator) holds at least one of dd mm yy hh nn ss and turns the result, read as days since
// 30 December 1899, into a date or time; without one the label is the number with the decimals
// of the trailing ".##", else of the first "*" number, else the fewest that show the tick step;
// tick labels take more decimals where the axis spans less than the fixed ones can show.

#include <vector>

#include "platform/base/cstring.h"

namespace platform::graph {

class NumberFormat {
public:
    NumberFormat() = default;
    // False for a text outside the grammar; `out` is then unchanged.
    static bool Parse(const CString& text, NumberFormat& out);

    const CString& Text() const { return m_text; }
    bool HasPattern() const { return !m_pattern.IsEmpty(); }
    // Decimals fixed by the format, or -1 when they follow the ticks.
    int FixedDecimals() const { return m_decimals; }

    double Apply(double v) const;  // the value the label shows (days for a pattern)
    // The axis value that gives label value `labelValue`, through the affine form of the operators.
    double Invert(double labelValue) const;
    // The label of v; `autoDecimals` is used when the format fixes none.
    CString Label(double v, int autoDecimals) const;
    // The label of a tick: the format's decimals, or the tick set's where its step needs more.
    CString TickLabel(double v, int tickDecimals) const;

private:
    struct Op {
        bool multiply;
        double k;
    };
    CString m_text;
    CString m_pattern;
    std::vector<Op> m_ops;
    int m_decimals = -1;
    double m_scale = 1, m_offset = 0;  // Apply(v) == m_scale * v + m_offset, up to rounding
};

struct TickSet {
    std::vector<double> major;  // axis values, ascending
    std::vector<double> minor;
    // The decimals the labels need: the fewest that show the step, never fewer than the format's.
    int decimals = 0;
};

// Ticks for an axis from min to max drawn over `pixels`, at least `minSpacing` pixels apart.
// A positive `spacing` (raw axis units) wins; a logarithmic axis ticks at powers of ten.
TickSet ChooseTicks(const NumberFormat& format, double min, double max, double pixels,
                    double minSpacing, double spacing, bool logarithmic);

// The fewest decimals, 0 to 6, that show `step` exactly.
int DecimalsForStep(double step);

}  // namespace platform::graph
