#include "logger/helpers.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>

#include "logger/data_tree.h"
#include "logger/user_prompt.h"
#include "platform/base/log.h"
#include "platform/base/registry.h"
#include "platform/comm/port_list.h"

// ---- ports and messages ----

namespace {

bool ContainsNoCase(CString text, const char* part) {
    return text.MakeLower().Find(CString(part).MakeLower()) >= 0;
}

}  // namespace

void EnumerateBluetoothComPorts(BYTE flags[256], const CString& sysRoot) {
    std::fill(flags, flags + 256, BYTE(0));
    for (const platform::SerialPortEntry& port : platform::EnumerateSerialPorts(sysRoot)) {
        const CString& name = port.valueName;
        if (!(ContainsNoCase(name, "btport") || ContainsNoCase(name, "porte")) ||
            ContainsNoCase(name, "VCP"))
            continue;
        // The value's data is "COM<n>".
        if (port.comNumber >= 0 && port.comNumber <= 255) flags[port.comNumber] = 1;
    }
}

BYTE ShowMessageEx(const CString& text, UINT buttonSet, BOOL& showAgain) {
    if (CUserPrompt* prompt = GetUserPrompt())
        return prompt->ShowMessage(text, buttonSet, showAgain);
    qCWarning(lcLogger).noquote() << "message not shown:" << text.ToQString();
    return 0;
}

BYTE ShowMessage(const CString& text, UINT buttonSet) {
    BOOL showAgain = TRUE;
    return ShowMessageEx(text, buttonSet, showAgain);
}

// ---- texts ----

namespace {

// Fills the numeric conversions of a caller's pattern with `args`, in order. Only flags, a width
// and a precision of at most two digits each and the conversions d, i, u, f, e, g are taken; every
// other '%' sequence, and a conversion with no argument left, is copied as plain text.
CString FillNumericPattern(const CString& pattern, const std::vector<double>& args) {
    const std::string& p = pattern.str();
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] != '%') {
            out += p[i];
            continue;
        }
        if (i + 1 < p.size() && p[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t j = i + 1;
        std::string flags;
        while (j < p.size() && std::string_view("-+ 0").find(p[j]) != std::string_view::npos &&
               flags.size() < 4)
            flags += p[j++];
        std::string width;
        while (j < p.size() && std::isdigit(static_cast<unsigned char>(p[j])) && width.size() < 2)
            width += p[j++];
        std::string precision;
        bool hasPrecision = false;
        if (j < p.size() && p[j] == '.') {
            hasPrecision = true;
            ++j;
            while (j < p.size() && std::isdigit(static_cast<unsigned char>(p[j])) &&
                   precision.size() < 2)
                precision += p[j++];
        }
        const char conv = j < p.size() ? p[j] : '\0';
        const bool integer = conv == 'd' || conv == 'i' || conv == 'u';
        const bool floating =
            conv == 'f' || conv == 'F' || conv == 'e' || conv == 'E' || conv == 'g' || conv == 'G';
        if ((!integer && !floating) || next >= args.size()) {
            out += '%';  // the rest of the sequence follows as text
            continue;
        }
        const std::string spec = "%" + flags + width + (hasPrecision ? "." + precision : "");
        char buffer[160];
        const double v = args[next++];
        if (integer) {
            const double whole = std::trunc(v);
            const long long n = !std::isfinite(whole) ? 0
                                : whole >= 9.2e18     ? 9200000000000000000LL
                                : whole <= -9.2e18    ? -9200000000000000000LL
                                                      : static_cast<long long>(whole);
            std::snprintf(buffer, sizeof buffer, (spec + "lld").c_str(), n);
        } else {
            std::snprintf(buffer, sizeof buffer, (spec + conv).c_str(), v);
        }
        out += buffer;
        i = j;
    }
    return CString(out);
}

// The time of day that is `offsetSeconds` after the start's time of day; hours past 23 carry
// into the following days, from the start's date when `onStartDate`, else from 1601-01-01.
bool TimeOfDayAfter(const CPreciseDateTime& start, double offsetSeconds, bool onStartDate,
                    CPreciseDateTime& out) {
    if (start.GetStatus() != CPreciseDateTime::valid || !std::isfinite(offsetSeconds)) return false;
    const double total =
        start.GetHour() * 3600.0 + start.GetMinute() * 60.0 + start.GetSecond() + offsetSeconds;
    if (std::fabs(total) > 3.6e12) return false;  // keeps the hour count an int
    const auto seconds = static_cast<long long>(std::floor(total));
    const auto hour = static_cast<int>(seconds / 3600);
    const auto minute = static_cast<int>(seconds % 3600 / 60);
    const auto second = static_cast<int>(seconds % 60);
    if (onStartDate)
        return out.SetDateTime(start.GetYear(), start.GetMonth(), start.GetDay(), hour, minute,
                               second);
    return out.SetTime(hour, minute, second);
}

}  // namespace

CString FormatValue(double x, int decimals, bool sign) {
    if (x != 0) {
        for (int k = 3; k <= 7; ++k) {
            if (std::fabs(x) < std::pow(10.0, -k) && decimals < k) {
                return CString::Formatted(sign ? "%+.0e" : "%.0e", x);
            }
        }
    }
    // The trailing zeros are those of the rounded text: the digits of x itself can hide them
    // (67.99999999999999 is 68) or make them up (7.5006 is not 7.5 at 3 decimals).
    CString s = CString::Formatted(sign ? "%+.*f" : "%.*f", std::clamp(decimals, 0, 20), x);
    if (s.Find('.') >= 0) {
        while (s[s.GetLength() - 1] == '0')
            s = s.Left(s.GetLength() - 1);
        if (s[s.GetLength() - 1] == '.') s = s.Left(s.GetLength() - 1);
    }
    return s;
}

CString FormatNumber(double x, int extraDecimals) {
    // The zeros are counted on the value's digits at the finest precision the rule shows, so that
    // noise of a unit conversion (1546 kept as 1545.9999999999998) is neither a fraction nor a
    // run of zeros.
    const int finest = std::clamp(5 + extraDecimals, 0, 15);
    const long long scale = std::llround(std::pow(10.0, finest));
    if (std::isfinite(x) && std::fabs(x) * static_cast<double>(scale) < 9e15) {
        const long long digits = std::llround(std::fabs(x) * static_cast<double>(scale));
        long long fraction = digits % scale;
        if (fraction == 0) {
            const long long whole = digits / scale;
            return CString::Formatted("%lld", x < 0 ? -whole : whole);
        }
        int k = finest;
        for (; fraction > 0; fraction /= 10)
            --k;
        return CString::Formatted("%.*f", std::clamp(std::min(k, 5) + extraDecimals, 0, 20), x);
    }
    // Past that every double is whole, or too large to hold a digit after the point.
    const double whole = std::trunc(x);
    double f = (x - whole) * 10;
    if (f == 0 || !std::isfinite(f)) {
        if (std::isfinite(whole) && std::fabs(whole) < 9.2e18)
            return CString::Formatted("%lld", static_cast<long long>(whole));
        return CString::Formatted("%.0f", x);
    }
    int k = 0;
    while (k < 5 && std::trunc(f) == 0) {
        ++k;
        f *= 10;
    }
    return CString::Formatted("%.*f", std::clamp(k + extraDecimals, 0, 20), x);
}

CString FormatTimeValue(int index, const CPreciseDateTime& start, double interval,
                        double unitFactor, int mode, const CString& format) {
    const double t = index * interval * unitFactor;
    CPreciseDateTime time;
    switch (mode) {
        case 1:
        case 2:
        case 3:
            return FormatValue(t, 3, false);
        case 4:
            if (!TimeOfDayAfter(start, t, false, time)) return CString();
            return FillNumericPattern(format, {double(time.GetMinute()), double(time.GetSecond())});
        case 5:
            if (!TimeOfDayAfter(start, t, false, time)) return CString();
            return time.FormatTime();
        case 6: {
            if (!TimeOfDayAfter(start, t, true, time)) return CString();
            char* end = nullptr;
            const long style = std::strtol(format.GetString(), &end, 10);
            if (end == format.GetString()) return CString();
            return time.Format(static_cast<int>(std::clamp(style, -1L, 4L)), false);
        }
        case 7:
            // The sample number itself, as the graph's samples axis and the export number it.
            return FillNumericPattern(format, {t});
        default:
            return CString();
    }
}

int BitMaskToIndex(int bit) {
    switch (bit) {
        case 1:
            return 0;
        case 2:
            return 1;
        case 8:
            return 3;
        case 16:
            return 4;
        case 32:
            return 5;
        case 64:
            return 6;
        case 128:
            return 7;
        default:
            return 2;
    }
}

bool IsSingleChar(const CString& text, char ch) {
    return text.GetLength() == 1 && text[0] == ch;
}

CString GraphTimeFormat(int mode, WORD rateCode, const CPreciseDateTime& start) {
    const char* pattern = mode == 4   ? "nn:ss*%.15f+%f"
                          : mode == 5 ? "hh:nn:ss*%.15f+%f"
                          : mode == 6 ? "mm/dd/yy hh:nn:ss*%.15f+%f"
                                      : nullptr;
    if (!pattern) return CString();
    // The graph control counts time in days from 1899-12-30.
    const double scale = RateInfo(rateCode).intervalSeconds / 86400.0;
    const CPreciseDateTime epoch(1899, 12, 30, 0, 0, 0);
    const double offset =
        start.GetStatus() == CPreciseDateTime::valid
            ? static_cast<double>((start - epoch).GetTicks()) / CPreciseTimeSpan::kTicksPerDay
            : 0.0;
    return CString::Formatted(pattern, scale, offset);
}

int PairByIndex(const std::vector<double>& first, const std::vector<double>& second,
                const std::vector<double>& third, std::vector<double>& out1,
                std::vector<double>& out2, std::vector<double>& out3) {
    std::vector<double> a, b, c;
    for (size_t i = 0; i < first.size() && i < third.size(); ++i) {
        const double whole = std::trunc(first[i]);
        if (!(whole >= 0 && whole < static_cast<double>(second.size()))) break;
        const auto j = static_cast<size_t>(whole);
        a.push_back(second[j]);
        b.push_back(third[i]);
        c.push_back(static_cast<double>(j));
    }
    std::vector<size_t> order(a.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t l, size_t r) { return a[l] < a[r]; });
    out1.clear();
    out2.clear();
    out3.clear();
    for (size_t k : order) {
        out1.push_back(a[k]);
        out2.push_back(b[k]);
        out3.push_back(c[k]);
    }
    return static_cast<int>(order.size());
}

// ---- rates and units ----

RateInfoStruct RateInfo(WORD rateCode) {
    switch (rateCode) {
        case 0:
            return {1, 1, kTimeUnitSamples};
        case 1:
        case 34:
            return {1800, 0.5, kTimeUnitHours};
        case 2:
            return {600, 1.0 / 6, kTimeUnitHours};
        case 4:
            return {120, 1.0 / 30, kTimeUnitHours};
        case 8:
        case 37:
            return {60, 1.0 / 60, kTimeUnitHours};
        case 16:
            return {10, 10, kTimeUnitSeconds};
        case 32:
            return {2, 2, kTimeUnitSeconds};
        case 33:
            return {3600, 1, kTimeUnitHours};
        case 35:
            return {900, 0.25, kTimeUnitHours};
        case 36:
            return {300, 1.0 / 12, kTimeUnitHours};
        case 38:
            return {30, 30, kTimeUnitSeconds};
        case 39:
            return {15, 15, kTimeUnitSeconds};
        case 40:
            return {5, 5, kTimeUnitSeconds};
        case 41:
        case 64:
            return {1, 1, kTimeUnitSeconds};
        case 48:
            return {0.2, 0.2, kTimeUnitSeconds};
        case 49:
        case 128:
            return {0.1, 0.1, kTimeUnitSeconds};
        case 50:
            return {0.05, 0.05, kTimeUnitSeconds};
        case 51:
            return {0.02, 0.02, kTimeUnitSeconds};
        case 255:
            return {0.001, 1, kTimeUnitMilliseconds};
        default:
            return {};
    }
}

double RateUnitFactor(int fromUnit, int toUnit) {
    if (toUnit == kTimeUnitMilliseconds) {
        switch (fromUnit) {
            case 2:
                return 1;
            case 3:
                return 1000;
            case 4:
            case 5:
                return 3600000;
            default:
                return 0;
        }
    }
    if (toUnit == kTimeUnitSeconds) {
        switch (fromUnit) {
            case 2:
                return 0.001;
            case 3:
                return 1;
            case 4:
            case 5:
                return 3600;
            default:
                return 0;
        }
    }
    return 0;
}

namespace {

constexpr BYTE kModelQK = 100;

// An external input: kinds 5 and 6 on the QK model, 0 and 1 on the basic one.
bool IsExternalInput(const CDataTreeBrench& d) {
    return (d.m_modelCode == kModelQK && (d.m_inputKind == 5 || d.m_inputKind == 6)) ||
           (d.m_modelCode == 0 && (d.m_inputKind == 0 || d.m_inputKind == 1));
}

}  // namespace

bool IsTemperatureSensor(const CDataTreeBrench* d) {
    if (!d) return false;
    const int id = d->m_sensorId;
    if (IsExternalInput(*d) && (id == 9 || id == 10 || id == 16 || id == 24)) return true;
    return (d->m_modelCode == 0 && d->m_inputKind == 4) ||
           (d->m_modelCode == kModelQK && d->m_inputKind == 0);
}

bool IsPressureSensor(const CDataTreeBrench* d) {
    if (!d) return false;
    const int id = d->m_sensorId;
    if (IsExternalInput(*d) && (id == 18 || id == 19)) return true;
    return (d->m_modelCode == 0 && d->m_inputKind == 6) ||
           (d->m_modelCode == kModelQK && d->m_inputKind == 4);
}

double ToShownValue(const CDataTreeBrench* d, double value, int temperatureUnit, int pressureUnit) {
    if (IsTemperatureSensor(d)) return ConvertTemperatureValue(value, temperatureUnit);
    if (IsPressureSensor(d)) return ConvertPressureValue(value, pressureUnit);
    return value;
}

double FromShownValue(const CDataTreeBrench* d, double shown, int temperatureUnit,
                      int pressureUnit) {
    if (IsTemperatureSensor(d)) return ConvertTemperatureToCelsius(shown, temperatureUnit);
    if (IsPressureSensor(d)) return ConvertPressureToKPa(shown, pressureUnit);
    return shown;
}

double ConvertTemperature(double celsius, int unit, CString& expression, CString& unitText) {
    switch (unit) {
        case 0:
            expression.Empty();
            unitText = "°C";
            break;
        case 1:
            expression = "*1.8+32";
            unitText = "°F";
            break;
        case 2:
            expression = "+273";
            unitText = "°K";
            break;
        default:
            return celsius;
    }
    return ConvertTemperatureValue(celsius, unit);
}

double ConvertTemperatureValue(double celsius, int unit) {
    if (unit == 1) return celsius * 1.8 + 32;
    if (unit == 2) return celsius + 273.15;
    return celsius;
}

double ConvertTemperatureToCelsius(double value, int unit) {
    if (unit == 1) return (value - 32) * 5 / 9;
    if (unit == 2) return value - 273.15;
    return value;
}

namespace {

struct PressureUnit {
    const char* expression;
    const char* unit;
    double factor;
};
constexpr PressureUnit kPressureUnits[] = {
    {"", "kPa", 1},
    {"*0.1450377", "psi", 0.1450377},
    {"*7.5006156", "mm Hg", 7.5006156},
    {"*0.2952998", "Inches Hg", 0.2952998},
    {"*0.0098692", "atm", 0.0098692},
    {"*10", "mBar", 10},
};

const PressureUnit* FindPressureUnit(int unit) {
    return unit >= 0 && unit < static_cast<int>(std::size(kPressureUnits)) ? &kPressureUnits[unit]
                                                                           : nullptr;
}

}  // namespace

double ConvertPressure(double kPa, int unit, CString& expression, CString& unitText) {
    const PressureUnit* u = FindPressureUnit(unit);
    if (!u) return kPa;
    expression = u->expression;
    unitText = u->unit;
    return kPa * u->factor;
}

double ConvertPressureValue(double kPa, int unit) {
    const PressureUnit* u = FindPressureUnit(unit);
    return u ? kPa * u->factor : kPa;
}

double ConvertPressureToKPa(double value, int unit) {
    const PressureUnit* u = FindPressureUnit(unit);
    return u ? value / u->factor : value;
}

// ---- folders and registry ----

namespace {

const CString kInstallKey =
    CString::Formatted("%s\\%s\\%s", "SOFTWARE", "Mercant Systems", "Varnel");

CString WithTrailingSeparator(CString folder) {
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != '/') folder += '/';
    return folder;
}

}  // namespace

void SetInstallPath(const CString& path) {
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, kInstallKey) != ERROR_SUCCESS) return;
    key.SetStringValue("Path", path);
    platform::SyncRegistry();
}

CString GetInstallPath() {
    CRegKey key;
    CString path;
    if (key.Open(HKEY_LOCAL_MACHINE, kInstallKey) != ERROR_SUCCESS ||
        key.QueryStringValue("Path", path) != ERROR_SUCCESS)
        return CString();
    const int last = path.GetLength() - 1;
    if (last >= 0 && (path[last] == '\\' || path[last] == '/')) path = path.Left(last);
    return path;
}

CString GetDataRoot() {
    const CString stored = GetInstallPath();
    if (!stored.IsEmpty()) return WithTrailingSeparator(stored);
    // Without a stored path the data lives in the user's own folder, never the file system's root.
    return WithTrailingSeparator(
        CString(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
}

CString GetExeFolder() {
    return WithTrailingSeparator(CString(QCoreApplication::applicationDirPath()));
}

void MoveDataFiles(const CString&, const CString&) {}

CString LaunchFilePath(const CString& worksheetPath, int model) {
    const std::string path = worksheetPath.str();
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    const std::string base =
        dot != std::string::npos && dot >= nameStart ? path.substr(0, dot + 1) : path + ".";
    return CString(base + (model ? "qdr" : "hdr"));
}

void LogSaveError(const char* where, const CString& reason) {
    qCWarning(lcDoc).noquote()
        << QString("Error (%1): %2").arg(QString::fromUtf8(where), reason.ToQString());
}
