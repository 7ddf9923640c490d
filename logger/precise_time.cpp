#include "logger/precise_time.h"

#include <limits>
#include <string>

#include "platform/base/archive.h"

namespace {

using Wide = __int128;

constexpr LONGLONG kTicksPerSecond = CPreciseTimeSpan::kTicksPerSecond;
constexpr LONGLONG kTicksPerDay = CPreciseTimeSpan::kTicksPerDay;
// Day 0 of the count is 1601-01-01, day 584754 after 0000-01-01.
constexpr LONGLONG kDaysTo1601 = 584754;
constexpr int kDaysBeforeMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Division and remainder rounded toward minus infinity, so that dates before 1601 decompose
// into proper calendar fields.
constexpr LONGLONG FloorDiv(LONGLONG a, LONGLONG b) {
    const LONGLONG q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
constexpr LONGLONG FloorMod(LONGLONG a, LONGLONG b) {
    const LONGLONG r = a % b;
    return (r != 0 && ((r < 0) != (b < 0))) ? r + b : r;
}
constexpr Wide FloorDivWide(Wide a, Wide b) {
    const Wide q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr bool IsLeap(LONGLONG year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool FitsTicks(Wide v) {
    return v >= std::numeric_limits<LONGLONG>::min() && v <= std::numeric_limits<LONGLONG>::max();
}

CPreciseTimeSpan::Status CombinedStatus(CPreciseTimeSpan::Status a, CPreciseTimeSpan::Status b) {
    if (a == CPreciseTimeSpan::null || b == CPreciseTimeSpan::null) return CPreciseTimeSpan::null;
    if (a == CPreciseTimeSpan::invalid || b == CPreciseTimeSpan::invalid)
        return CPreciseTimeSpan::invalid;
    return CPreciseTimeSpan::valid;
}

// The result of adding or subtracting two counts, invalid when it leaves the 64-bit range.
template <class Result>
Result Combine(CPreciseTimeSpan::Status a, LONGLONG x, CPreciseTimeSpan::Status b, LONGLONG y,
               bool subtract) {
    const CPreciseTimeSpan::Status status = CombinedStatus(a, b);
    if (status != CPreciseTimeSpan::valid) return Result(0, status);
    LONGLONG out = 0;
    const bool overflow =
        subtract ? __builtin_sub_overflow(x, y, &out) : __builtin_add_overflow(x, y, &out);
    if (overflow) return Result(0, CPreciseTimeSpan::invalid);
    return Result(out, CPreciseTimeSpan::valid);
}

// The sub-second codes shared by both Format routines: %s, %u, %n (three digits) and %#s, %#u,
// %#n (no padding). Other codes are left for the caller's own pass; "%%" stays as it is.
std::string ReplaceSubsecondCodes(const char* format, int ms, int us, int ns) {
    std::string out;
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const bool hash = p[1] == '#';
        const char code = hash ? p[2] : p[1];
        const int value = code == 's' ? ms : code == 'u' ? us : code == 'n' ? ns : -1;
        if (value >= 0) {
            char digits[16];
            std::snprintf(digits, sizeof digits, hash ? "%d" : "%03d", value);
            out += digits;
            p += hash ? 2 : 1;
        } else if (p[1] == '%') {
            out += "%%";
            ++p;
        } else {
            out += '%';
        }
    }
    return out;
}

}  // namespace

// ---- CPreciseTimeSpan ----

bool CPreciseTimeSpan::SetTimeSpan(LONGLONG days, int hours, int minutes, int seconds,
                                   int milliseconds, int microseconds, int nanoseconds) {
    const Wide roundedNs =
        nanoseconds >= 0 ? (Wide(nanoseconds) + 50) / 100 : (Wide(nanoseconds) - 50) / 100;
    const Wide ticks = (((Wide(days) * 86400 + Wide(hours) * 3600 + Wide(minutes) * 60 + seconds) *
                         kTicksPerSecond) +
                        Wide(milliseconds) * 10000 + Wide(microseconds) * 10 + roundedNs);
    if (!FitsTicks(ticks)) {
        m_status = invalid;
        m_ticks = 0;
        return false;
    }
    m_status = valid;
    m_ticks = static_cast<LONGLONG>(ticks);
    return true;
}

LONGLONG CPreciseTimeSpan::GetTotalNanoseconds() const {
    LONGLONG out = 0;
    if (__builtin_mul_overflow(m_ticks, LONGLONG(100), &out))
        return m_ticks < 0 ? std::numeric_limits<LONGLONG>::min()
                           : std::numeric_limits<LONGLONG>::max();
    return out;
}

CPreciseTimeSpan CPreciseTimeSpan::operator+(const CPreciseTimeSpan& other) const {
    return Combine<CPreciseTimeSpan>(m_status, m_ticks, other.m_status, other.m_ticks, false);
}

CPreciseTimeSpan CPreciseTimeSpan::operator-(const CPreciseTimeSpan& other) const {
    return Combine<CPreciseTimeSpan>(m_status, m_ticks, other.m_status, other.m_ticks, true);
}

CString CPreciseTimeSpan::Format(const char* format) const {
    if (m_status == null) return CString();
    if (m_status == invalid) return CString("Invalid datetime");
    const std::string first =
        ReplaceSubsecondCodes(format, GetMilliseconds(), GetMicroseconds(), GetNanoseconds());
    std::string out;
    char digits[32];
    for (size_t i = 0; i < first.size(); ++i) {
        if (first[i] != '%' || i + 1 >= first.size()) {
            out += first[i];
            continue;
        }
        const char code = first[++i];
        switch (code) {
            case 'D':
                std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(GetDays()));
                break;
            case 'H':
                std::snprintf(digits, sizeof digits, "%02d", GetHours());
                break;
            case 'M':
                std::snprintf(digits, sizeof digits, "%02d", GetMinutes());
                break;
            case 'S':
                std::snprintf(digits, sizeof digits, "%02d", GetSeconds());
                break;
            case '%':
                std::snprintf(digits, sizeof digits, "%%");
                break;
            default:
                std::snprintf(digits, sizeof digits, "%%%c", code);
                break;
        }
        out += digits;
    }
    return CString(out);
}

// ---- CPreciseDateTime ----

CPreciseDateTime::CPreciseDateTime(const SYSTEMTIME& time) {
    SetDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                time.wMilliseconds);
}

CPreciseDateTime::CPreciseDateTime(const FILETIME& time) {
    SYSTEMTIME st{};
    if (FileTimeToSystemTime(&time, &st)) {
        *this = CPreciseDateTime(st);
    } else {
        m_status = invalid;
    }
}

CPreciseDateTime::CPreciseDateTime(std::time_t time) {
    std::tm local{};
    if (!::localtime_r(&time, &local)) {
        m_status = invalid;
        return;
    }
    SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
}

bool CPreciseDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second,
                                   int millisecond, int microsecond, int nanosecond) {
    m_ticks = 0;
    if (year > kMaxYear || year < kMinYear || month < 1 || month > 12) {
        m_status = invalid;
        return false;
    }
    const LONGLONG y = year;
    LONGLONG dayNumber = y * 365 + FloorDiv(y, 4) - FloorDiv(y, 100) + FloorDiv(y, 400) +
                         kDaysBeforeMonth[month - 1] - kDaysTo1601;
    if (month <= 2 && IsLeap(y)) --dayNumber;
    // The day of the month and every smaller unit carry; in wide arithmetic that is one sum.
    const Wide ticks = (Wide(dayNumber) + day) * kTicksPerDay +
                       Wide(hour) * CPreciseTimeSpan::kTicksPerHour +
                       Wide(minute) * CPreciseTimeSpan::kTicksPerMinute +
                       Wide(second) * kTicksPerSecond + Wide(millisecond) * 10000 +
                       Wide(microsecond) * 10 + FloorDivWide(Wide(nanosecond) + 50, 100);
    if (!FitsTicks(ticks)) {
        m_status = invalid;
        return false;
    }
    m_ticks = static_cast<LONGLONG>(ticks);
    m_status = valid;
    return true;
}

CPreciseDateTime CPreciseDateTime::GetCurrentTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return CPreciseDateTime(now);
}

bool CPreciseDateTime::Decompose(Fields& f) const {
    if (m_status != valid) return false;
    const LONGLONG seconds = FloorDiv(m_ticks, kTicksPerSecond);
    const LONGLONG subsecond = FloorMod(m_ticks, kTicksPerSecond);
    f.millisecond = static_cast<int>(subsecond / 10000);
    f.microsecond = static_cast<int>(subsecond % 10000 / 10);
    f.nanosecond = static_cast<int>(subsecond % 10 * 100);
    const LONGLONG dayNumber = FloorDiv(seconds, 86400);
    const LONGLONG secondOfDay = FloorMod(seconds, 86400);
    f.hour = static_cast<int>(secondOfDay / 3600);
    f.minute = static_cast<int>(secondOfDay % 3600 / 60);
    f.second = static_cast<int>(secondOfDay % 60);
    f.dayOfWeek = static_cast<int>(FloorMod(dayNumber + 584753, 7)) + 1;

    // Days since 0000-01-01 through the 400-, 100-, 4- and 1-year cycles. Each cycle begins with
    // its leap year (years divisible by 400, 100 not 400, 4), so the first century of a 400-year
    // cycle and the first year of a 4-year cycle are one day longer.
    LONGLONG n = dayNumber + kDaysTo1601;
    LONGLONG year = FloorDiv(n, 146097) * 400;
    n = FloorMod(n, 146097);
    bool leap = true;
    if (n >= 36525) {
        n -= 36525;
        year += 100 + n / 36524 * 100;
        n %= 36524;
        leap = false;  // a century year that is not a 400th
        if (n >= 1460) {
            n -= 1460;
            year += 4 + n / 1461 * 4;
            n %= 1461;
            leap = true;
        }
    } else {
        year += n / 1461 * 4;
        n %= 1461;
    }
    if (leap) {
        if (n >= 366) {
            n -= 366;
            year += 1 + n / 365;
            n %= 365;
            leap = false;
        }
    } else {
        year += n / 365;
        n %= 365;
    }
    f.year = year;
    f.dayOfYear = static_cast<int>(n) + 1;
    // 29 February is day 59 of a leap year; later days shift back by one to use the common table.
    int day = static_cast<int>(n);
    if (leap && day == 59) {
        f.month = 2;
        f.day = 29;
        return true;
    }
    if (leap && day > 59) --day;
    int month = 1;
    while (month < 12 && day >= kDaysBeforeMonth[month])
        ++month;
    f.month = month;
    f.day = day - kDaysBeforeMonth[month - 1] + 1;
    return true;
}

int CPreciseDateTime::GetYear() const {
    Fields f;
    return Decompose(f) ? static_cast<int>(f.year) : -1;
}
int CPreciseDateTime::GetMonth() const {
    Fields f;
    return Decompose(f) ? f.month : -1;
}
int CPreciseDateTime::GetDay() const {
    Fields f;
    return Decompose(f) ? f.day : -1;
}
int CPreciseDateTime::GetHour() const {
    Fields f;
    return Decompose(f) ? f.hour : -1;
}
int CPreciseDateTime::GetMinute() const {
    Fields f;
    return Decompose(f) ? f.minute : -1;
}
int CPreciseDateTime::GetSecond() const {
    Fields f;
    return Decompose(f) ? f.second : -1;
}
int CPreciseDateTime::GetMillisecond() const {
    Fields f;
    return Decompose(f) ? f.millisecond : -1;
}
int CPreciseDateTime::GetMicrosecond() const {
    Fields f;
    return Decompose(f) ? f.microsecond : -1;
}
int CPreciseDateTime::GetNanosecond() const {
    Fields f;
    return Decompose(f) ? f.nanosecond : -1;
}
int CPreciseDateTime::GetDayOfWeek() const {
    Fields f;
    return Decompose(f) ? f.dayOfWeek : -1;
}
int CPreciseDateTime::GetDayOfYear() const {
    Fields f;
    return Decompose(f) ? f.dayOfYear : -1;
}

bool CPreciseDateTime::GetAsSystemTime(SYSTEMTIME& time) const {
    Fields f;
    if (!Decompose(f) || f.year < 0 || f.year > 0xFFFF) return false;
    time.wYear = static_cast<WORD>(f.year);
    time.wMonth = static_cast<WORD>(f.month);
    time.wDayOfWeek = static_cast<WORD>(f.dayOfWeek - 1);
    time.wDay = static_cast<WORD>(f.day);
    time.wHour = static_cast<WORD>(f.hour);
    time.wMinute = static_cast<WORD>(f.minute);
    time.wSecond = static_cast<WORD>(f.second);
    time.wMilliseconds = static_cast<WORD>(f.millisecond);
    return true;
}

CPreciseDateTime CPreciseDateTime::operator+(const CPreciseTimeSpan& span) const {
    return Combine<CPreciseDateTime>(m_status, m_ticks, span.GetStatus(), span.GetTicks(), false);
}

CPreciseDateTime CPreciseDateTime::operator-(const CPreciseTimeSpan& span) const {
    return Combine<CPreciseDateTime>(m_status, m_ticks, span.GetStatus(), span.GetTicks(), true);
}

CPreciseTimeSpan CPreciseDateTime::operator-(const CPreciseDateTime& other) const {
    return Combine<CPreciseTimeSpan>(m_status, m_ticks, other.m_status, other.m_ticks, true);
}

CString CPreciseDateTime::Format(int dateStyle, bool dateOnly) const {
    Fields f;
    if (!Decompose(f) || dateStyle < 0 || dateStyle > 3) return CString();
    const int year = static_cast<int>(f.year);
    const int shortYear = static_cast<int>(FloorMod(f.year, 100));
    const char* month = kMonthNames[f.month - 1];
    CString s;
    switch (dateStyle) {
        case 0:
            s.Format("%02d/%02d/%04d", f.day, f.month, year);
            break;
        case 1:
            s.Format("%02d/%02d/%04d", f.month, f.day, year);
            break;
        case 2:
            s.Format("%02d-%s-%02d", f.day, month, shortYear);
            break;
        default:
            s.Format("%s-%02d-%02d", month, f.day, shortYear);
            break;
    }
    if (!dateOnly) s.AppendFormat(" %02d:%02d:%02d", f.hour, f.minute, f.second);
    return s;
}

CString CPreciseDateTime::FormatFileStamp(int dateStyle) const {
    Fields f;
    if (!Decompose(f)) return CString();
    if (dateStyle == 0 || dateStyle == 2)
        return CString::Formatted("%02d.%02d.%02d %02d.%02d.%02d", f.day, f.month,
                                  static_cast<int>(FloorMod(f.year, 100)), f.hour, f.minute,
                                  f.second);
    return CString::Formatted("%02d.%02d.%04d %02d.%02d.%02d", f.month, f.day,
                              static_cast<int>(f.year), f.hour, f.minute, f.second);
}

CString CPreciseDateTime::FormatTime() const {
    Fields f;
    if (!Decompose(f)) return CString();
    return CString::Formatted("%02d:%02d:%02d", f.hour, f.minute, f.second);
}

CString CPreciseDateTime::FormatTimeMs() const {
    Fields f;
    if (!Decompose(f)) return CString();
    return CString::Formatted("%02d:%02d:%02d.%03d", f.hour, f.minute, f.second, f.millisecond);
}

CString CPreciseDateTime::FormatShortDate() const {
    Fields f;
    if (!Decompose(f)) return CString();
    return CString::Formatted("%02d-%02d-%02d", f.day, f.month,
                              static_cast<int>(FloorMod(f.year, 100)));
}

CString CPreciseDateTime::FormatStrftime(const char* format) const {
    if (m_status == null) return CString();
    Fields f;
    if (!Decompose(f)) return CString("Invalid datetime");
    const std::string pattern =
        ReplaceSubsecondCodes(format, f.millisecond, f.microsecond, f.nanosecond);
    std::tm tm{};
    tm.tm_year = static_cast<int>(f.year - 1900);
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_wday = f.dayOfWeek - 1;
    tm.tm_yday = f.dayOfYear - 1;
    tm.tm_isdst = -1;
    char buffer[129];
    const size_t n = std::strftime(buffer, sizeof buffer, pattern.c_str(), &tm);
    return CString(buffer, static_cast<int>(n));
}

// ---- archive form ----

namespace {

void Store(CArchive& ar, CPreciseTimeSpan::Status status, LONGLONG ticks) {
    const auto bits = static_cast<ULONGLONG>(ticks);
    ar << static_cast<DWORD>(status) << static_cast<DWORD>(bits >> 32)
       << static_cast<DWORD>(bits & 0xFFFFFFFFu);
}

void Load(CArchive& ar, CPreciseTimeSpan::Status& status, LONGLONG& ticks) {
    DWORD s = 0, high = 0, low = 0;
    ar >> s >> high >> low;
    status = s <= CPreciseTimeSpan::null ? static_cast<CPreciseTimeSpan::Status>(s)
                                         : CPreciseTimeSpan::invalid;
    ticks = static_cast<LONGLONG>((static_cast<ULONGLONG>(high) << 32) | low);
}

}  // namespace

CArchive& operator<<(CArchive& ar, const CPreciseDateTime& value) {
    Store(ar, value.GetStatus(), value.GetTicks());
    return ar;
}

CArchive& operator>>(CArchive& ar, CPreciseDateTime& value) {
    CPreciseTimeSpan::Status status;
    LONGLONG ticks;
    Load(ar, status, ticks);
    value = CPreciseDateTime(ticks, status);
    return ar;
}

CArchive& operator<<(CArchive& ar, const CPreciseTimeSpan& value) {
    Store(ar, value.GetStatus(), value.GetTicks());
    return ar;
}

CArchive& operator>>(CArchive& ar, CPreciseTimeSpan& value) {
    CPreciseTimeSpan::Status status;
    LONGLONG ticks;
    Load(ar, status, ticks);
    value = CPreciseTimeSpan(ticks, status);
    return ar;
}
