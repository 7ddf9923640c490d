#include "platform/base/number_format.h"

#include <QDate>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace platform::graph {
namespace {

bool IsPatternToken(const char* p) {
    static const char* const tokens[] = {"dd", "mm", "yy", "hh", "nn", "ss"};
    for (const char* t : tokens)
        if (p[0] == t[0] && p[1] == t[1]) return true;
    return false;
}

// A number at s[i]: optional sign, digits, optional fraction, optional exponent. Returns the end,
// or -1 when there is none; `fraction` counts the digits after the point.
int ScanNumber(const std::string& s, size_t i, int& fraction) {
    size_t j = i;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const size_t digits = j;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
        ++j;
    if (j == digits) return -1;
    fraction = 0;
    if (j + 1 < s.size() && s[j] == '.' && std::isdigit(static_cast<unsigned char>(s[j + 1]))) {
        ++j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
            ++j, ++fraction;
    }
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        const size_t exp = k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])))
            ++k;
        if (k > exp) j = k;
    }
    return static_cast<int>(j);
}

CString FormatFixed(double v, int decimals) {
    CString s;
    s.Format("%.*f", decimals, v);
    // "-0.00" reads as a fault on an axis.
    bool allZero = true;
    for (char c : s.str())
        if (c >= '1' && c <= '9') allZero = false;
    if (allZero && s.GetLength() > 0 && s[0] == '-') s = s.Mid(1);
    return s;
}

}  // namespace

bool NumberFormat::Parse(const CString& text, NumberFormat& out) {
    const std::string& s = text.str();
    NumberFormat f;
    f.m_text = text;
    const size_t firstOp = s.find_first_of("*+");
    const std::string pattern = s.substr(0, firstOp == std::string::npos ? s.size() : firstOp);
    size_t i = pattern.size();
    if (!pattern.empty()) {
        bool token = false;
        for (size_t k = 0; k + 1 < pattern.size(); ++k)
            if (IsPatternToken(pattern.c_str() + k)) token = true;
        if (!token) {
            // Without a token the text before the operators may only be the trailing ".##".
            if (firstOp != std::string::npos) return false;
            size_t k = 0;
            if (pattern[k] != '.') return false;
            for (++k; k < pattern.size(); ++k)
                if (pattern[k] != '#') return false;
            f.m_decimals = static_cast<int>(pattern.size() - 1);
            out = f;
            return true;
        }
        f.m_pattern = CString(pattern);
    }
    bool firstMultiply = true;
    while (i < s.size() && (s[i] == '*' || s[i] == '+')) {
        const bool multiply = s[i] == '*';
        int fraction = 0;
        const int end = ScanNumber(s, i + 1, fraction);
        if (end < 0) return false;
        const double k =
            std::strtod(s.substr(i + 1, static_cast<size_t>(end) - i - 1).c_str(), nullptr);
        if (!std::isfinite(k) || (multiply && k == 0)) return false;
        f.m_ops.push_back({multiply, k});
        if (multiply) {
            f.m_scale *= k;
            f.m_offset *= k;
            if (firstMultiply && f.m_pattern.IsEmpty()) f.m_decimals = fraction;
            firstMultiply = false;
        } else {
            f.m_offset += k;
        }
        i = static_cast<size_t>(end);
    }
    if (i < s.size()) {
        if (s[i] != '.') return false;
        size_t k = i + 1;
        while (k < s.size() && s[k] == '#')
            ++k;
        if (k != s.size()) return false;
        if (f.m_pattern.IsEmpty()) f.m_decimals = static_cast<int>(k - i - 1);
    }
    out = f;
    return true;
}

double NumberFormat::Apply(double v) const {
    for (const Op& op : m_ops)
        v = op.multiply ? v * op.k : v + op.k;
    return v;
}

double NumberFormat::Invert(double labelValue) const {
    return (labelValue - m_offset) / m_scale;
}

CString NumberFormat::TickLabel(double v, int tickDecimals) const {
    if (m_decimals < 0 || !m_pattern.IsEmpty()) return Label(v, tickDecimals);
    const double shown = Apply(v);
    return std::isfinite(shown) ? FormatFixed(shown, std::max(m_decimals, tickDecimals))
                                : CString();
}

CString NumberFormat::Label(double v, int autoDecimals) const {
    const double shown = Apply(v);
    if (!std::isfinite(shown)) return CString();
    if (m_pattern.IsEmpty()) return FormatFixed(shown, m_decimals >= 0 ? m_decimals : autoDecimals);
    // Days since 30 December 1899, to the nearest second; far outside any calendar shows nothing.
    if (std::fabs(shown) > 3.0e6) return CString();
    const long long total = std::llround(shown * 86400.0);
    long long days = total / 86400;
    long long secs = total % 86400;
    if (secs < 0) secs += 86400, --days;
    const QDate date = QDate(1899, 12, 30).addDays(days);
    const int h = static_cast<int>(secs / 3600), n = static_cast<int>(secs / 60 % 60),
              sec = static_cast<int>(secs % 60);
    CString out;
    const std::string& p = m_pattern.str();
    for (size_t i = 0; i < p.size(); ++i) {
        if (i + 1 < p.size() && IsPatternToken(p.c_str() + i)) {
            int value = 0;
            switch (p[i]) {
                case 'd':
                    value = date.day();
                    break;
                case 'm':
                    value = date.month();
                    break;
                case 'y':
                    value = date.year() % 100;
                    break;
                case 'h':
                    value = h;
                    break;
                case 'n':
                    value = n;
                    break;
                default:
                    value = sec;
                    break;
            }
            out.AppendFormat("%02d", value < 0 ? -value : value);
            ++i;
        } else {
            out += p[i];
        }
    }
    return out;
}

int DecimalsForStep(double step) {
    step = std::fabs(step);
    if (!std::isfinite(step) || step == 0) return 0;
    for (int d = 0; d < 6; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, scaled)) return d;
    }
    return 6;
}

namespace {

constexpr size_t kMaxTicks = 2000;

// Multiples of `step` within [lo, hi], as label values; empty when there would be too many.
std::vector<double> Multiples(double lo, double hi, double step) {
    std::vector<double> out;
    if (!(step > 0) || !std::isfinite(lo) || !std::isfinite(hi)) return out;
    const double first = std::ceil(lo / step - 1e-9);
    const double last = std::floor(hi / step + 1e-9);
    if (!(last - first < static_cast<double>(kMaxTicks))) return out;
    // Counted, not stepped: far from zero, k + 1 can equal k.
    const auto count = static_cast<size_t>(std::max(0.0, last - first + 1));
    for (size_t i = 0; i < count; ++i) {
        const double v = (first + static_cast<double>(i)) * step;
        if (out.empty() || v > out.back()) out.push_back(v);
    }
    return out;
}

// The smallest 1, 2 or 5 times a power of ten that is at least `minimum` and `floorStep`; 0 when
// no normal, finite double is (a range narrower than doubles resolve, or wider than they hold).
double NiceNumberStep(double minimum, double floorStep, int& mantissa) {
    if (!(minimum > 0) || !std::isfinite(minimum)) return 0;
    const double e = std::floor(std::log10(minimum));
    if (e < std::numeric_limits<double>::min_exponent10) return 0;
    for (double p = std::pow(10.0, e); std::isfinite(p); p *= 10)
        for (int m : {1, 2, 5}) {
            const double s = m * p;
            if (!std::isfinite(s)) return 0;
            if (s >= minimum * (1 - 1e-12) && s >= floorStep * (1 - 1e-12)) {
                mantissa = m;
                return s;
            }
        }
    return 0;
}

}  // namespace

TickSet ChooseTicks(const NumberFormat& format, double min, double max, double pixels,
                    double minSpacing, double spacing, bool logarithmic) {
    TickSet t;
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max) || !(pixels > 1)) return t;
    const double maxTicks = std::max(1.0, std::floor(pixels / minSpacing));

    if (spacing > 0) {
        const std::vector<double> raw = Multiples(min, max, spacing);
        if (!raw.empty() && raw.size() <= static_cast<size_t>(pixels / 2) + 1) {
            t.major = raw;
            t.decimals = DecimalsForStep(spacing * std::fabs(format.Apply(1) - format.Apply(0)));
            return t;
        }
    }
    if (logarithmic && min > 0) {
        const int e0 = static_cast<int>(std::ceil(std::log10(min) - 1e-9));
        const int e1 = static_cast<int>(std::floor(std::log10(max) + 1e-9));
        for (int e = static_cast<int>(std::floor(std::log10(min)));
             e <= e1 && t.minor.size() < kMaxTicks; ++e) {
            const double p = std::pow(10.0, e);
            if (e >= e0) t.major.push_back(p);
            for (int m = 2; m <= 9; ++m)
                if (m * p >= min && m * p <= max) t.minor.push_back(m * p);
        }
        t.decimals = std::clamp(-static_cast<int>(std::floor(std::log10(min))), 0, 6);
        return t;
    }

    const double l0 = format.Apply(min), l1 = format.Apply(max);
    const double lo = std::min(l0, l1), hi = std::max(l0, l1);
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi)) return t;
    std::vector<double> labels, minorLabels;
    if (format.HasPattern()) {
        static const double steps[] = {1,     2,     5,     10,    15,     30,    60,
                                       120,   300,   600,   900,   1800,   3600,  7200,
                                       10800, 21600, 43200, 86400, 172800, 604800};
        const double seconds = (hi - lo) * 86400.0;
        const double wanted = seconds / maxTicks;
        double step = 0;
        for (double s : steps)
            if (s >= wanted * (1 - 1e-9)) {
                step = s;
                break;
            }
        if (step == 0)
            for (step = 604800; step < wanted;)
                step *= 2;
        for (double sec : Multiples(lo * 86400.0, hi * 86400.0, step))
            labels.push_back(sec / 86400.0);
    } else {
        const int fixed = format.FixedDecimals();
        int mantissa = 1;
        double step = 0;
        if (fixed >= 0) {
            // The format's decimals bound the step while it still leaves the axis two labels;
            // a finer span gets the finer step and the decimals it needs.
            step = NiceNumberStep((hi - lo) / maxTicks, std::pow(10.0, -fixed), mantissa);
            if (step > 0) labels = Multiples(lo, hi, step);
            if (labels.size() < 2) step = 0;
        }
        if (step == 0) {
            step = NiceNumberStep((hi - lo) / maxTicks, 0, mantissa);
            if (step > 0) labels = Multiples(lo, hi, step);
        }
        if (step > 0) {
            minorLabels = Multiples(lo, hi, step / (mantissa == 2 ? 4 : 5));
            t.decimals = std::max(fixed, DecimalsForStep(step));
        } else {
            labels = {lo, hi};  // no round step fits: the two ends
            t.decimals = 6;
        }
    }
    const bool flipped = l1 < l0;
    // Through a tiny scale, label values can map back to no finite axis value.
    for (double l : labels)
        if (const double v = format.Invert(l); std::isfinite(v)) t.major.push_back(v);
    for (double l : minorLabels)
        if (const double v = format.Invert(l); std::isfinite(v)) t.minor.push_back(v);
    if (flipped) {
        std::reverse(t.major.begin(), t.major.end());
        std::reverse(t.minor.begin(), t.minor.end());
    }
    return t;
}

}  // namespace platform::graph
