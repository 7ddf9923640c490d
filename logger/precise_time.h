#pragma once
// Date-times and time spans as signed counts of 100-nanosecond ticks with a status. Date-times
// count from 1601-01-01 00:00:00 in the proleptic Gregorian calendar. Arithmetic that would leave
// the 64-bit count gives an invalid value instead of wrapping.

#include <ctime>

#include "platform/base/cstring.h"
#include "platform/base/systemtime.h"

class CArchive;

class CPreciseTimeSpan {
public:
    enum Status : LONG { valid = 0, invalid = 1, null = 2 };

    CPreciseTimeSpan() = default;
    CPreciseTimeSpan(LONGLONG ticks, Status status = valid) : m_status(status), m_ticks(ticks) {}
    CPreciseTimeSpan(LONGLONG days, int hours, int minutes, int seconds, int milliseconds = 0,
                     int microseconds = 0, int nanoseconds = 0) {
        SetTimeSpan(days, hours, minutes, seconds, milliseconds, microseconds, nanoseconds);
    }

    // Every unit may be out of its range or negative: it carries into the next. Nanoseconds are
    // rounded to 100 ns, half away from zero.
    bool SetTimeSpan(LONGLONG days, int hours, int minutes, int seconds, int milliseconds = 0,
                     int microseconds = 0, int nanoseconds = 0);

    Status GetStatus() const { return m_status; }
    void SetStatus(Status status) { m_status = status; }
    LONGLONG GetTicks() const { return m_ticks; }

    // Totals, truncated toward zero. Total nanoseconds saturate at the 64-bit limits.
    LONGLONG GetDays() const { return m_ticks / kTicksPerDay; }
    LONGLONG GetTotalHours() const { return m_ticks / kTicksPerHour; }
    LONGLONG GetTotalMinutes() const { return m_ticks / kTicksPerMinute; }
    LONGLONG GetTotalSeconds() const { return m_ticks / kTicksPerSecond; }
    LONGLONG GetTotalMilliseconds() const { return m_ticks / kTicksPerMillisecond; }
    LONGLONG GetTotalMicroseconds() const { return m_ticks / 10; }
    LONGLONG GetTotalNanoseconds() const;

    // Parts within the next larger unit (negative for negative spans).
    int GetHours() const { return static_cast<int>(GetTotalSeconds() % 86400 / 3600); }
    int GetMinutes() const { return static_cast<int>(GetTotalSeconds() % 3600 / 60); }
    int GetSeconds() const { return static_cast<int>(GetTotalSeconds() % 60); }
    int GetMilliseconds() const { return static_cast<int>(m_ticks % kTicksPerSecond / 10000); }
    int GetMicroseconds() const { return static_cast<int>(m_ticks % 10000 / 10); }
    int GetNanoseconds() const { return static_cast<int>(m_ticks % 10 * 100); }

    CPreciseTimeSpan operator+(const CPreciseTimeSpan& other) const;
    CPreciseTimeSpan operator-(const CPreciseTimeSpan& other) const;
    bool operator==(const CPreciseTimeSpan& other) const = default;

    // %D days, %H hours, %M minutes, %S seconds of the span; %s, %u, %n the millisecond,
    // microsecond and nanosecond parts as three digits (%#s, %#u, %#n without padding); %% a '%'.
    CString Format(const char* format) const;

    static constexpr LONGLONG kTicksPerMillisecond = 10000;
    static constexpr LONGLONG kTicksPerSecond = 10000000;
    static constexpr LONGLONG kTicksPerMinute = 60 * kTicksPerSecond;
    static constexpr LONGLONG kTicksPerHour = 60 * kTicksPerMinute;
    static constexpr LONGLONG kTicksPerDay = 24 * kTicksPerHour;

private:
    Status m_status = valid;
    LONGLONG m_ticks = 0;
};

class CPreciseDateTime {
public:
    using Status = CPreciseTimeSpan::Status;
    static constexpr Status valid = CPreciseTimeSpan::valid;
    static constexpr Status invalid = CPreciseTimeSpan::invalid;
    static constexpr Status null = CPreciseTimeSpan::null;

    // The years a date can be set in: the lower limit is where the tick count still fits in 64
    // bits (year -29000 would not).
    static constexpr int kMinYear = -27000;
    static constexpr int kMaxYear = 29000;

    CPreciseDateTime() = default;  // valid, 1601-01-01 00:00:00
    CPreciseDateTime(LONGLONG ticks, Status status) : m_status(status), m_ticks(ticks) {}
    CPreciseDateTime(int year, int month, int day, int hour, int minute, int second,
                     int millisecond = 0, int microsecond = 0, int nanosecond = 0) {
        SetDateTime(year, month, day, hour, minute, second, millisecond, microsecond, nanosecond);
    }
    explicit CPreciseDateTime(const SYSTEMTIME& time);
    explicit CPreciseDateTime(const FILETIME& time);
    // Local time of a time_t; invalid when the system cannot convert it.
    explicit CPreciseDateTime(std::time_t time);

    // Fails (status invalid) for a year outside kMinYear..kMaxYear, a month outside 1..12, or a
    // result beyond the 64-bit count. Smaller units are not range-checked: they carry, also
    // backwards when negative.
    bool SetDateTime(int year, int month, int day, int hour, int minute, int second,
                     int millisecond = 0, int microsecond = 0, int nanosecond = 0);
    bool SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    bool SetTime(int hour, int minute, int second) {
        return SetDateTime(1601, 1, 1, hour, minute, second);
    }

    static CPreciseDateTime GetCurrentTime();

    Status GetStatus() const { return m_status; }
    void SetStatus(Status status) { m_status = status; }
    LONGLONG GetTicks() const { return m_ticks; }

    // Each gives -1 unless the value is valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetMillisecond() const;
    int GetMicrosecond() const;
    int GetNanosecond() const;
    int GetDayOfWeek() const;  // 1 Sunday to 7 Saturday
    int GetDayOfYear() const;  // 1 to 366
    // False when the value is not valid or its year does not fit the record (before year 0).
    bool GetAsSystemTime(SYSTEMTIME& time) const;

    CPreciseDateTime operator+(const CPreciseTimeSpan& span) const;
    CPreciseDateTime operator-(const CPreciseTimeSpan& span) const;
    CPreciseTimeSpan operator-(const CPreciseDateTime& other) const;
    bool operator==(const CPreciseDateTime& other) const = default;

    // Texts; each is empty unless the value is valid. Date styles: 0 day/month/year, 1
    // month/day/year, 2 day-Mon-yy, 3 Mon-day-yy; any other style gives an empty text.
    CString Format(int dateStyle, bool dateOnly) const;
    CString FormatFileStamp(int dateStyle) const;
    CString FormatTime() const;
    CString FormatTimeMs() const;
    CString FormatShortDate() const;
    // strftime codes, with %s, %u, %n for the millisecond, microsecond and nanosecond parts
    // (three digits; %#s, %#u, %#n without padding). Null gives "", invalid "Invalid datetime".
    CString FormatStrftime(const char* format) const;

private:
    struct Fields {
        LONGLONG year;
        int month, day, hour, minute, second, millisecond, microsecond, nanosecond;
        int dayOfWeek, dayOfYear;
    };
    bool Decompose(Fields& fields) const;  // false unless valid

    Status m_status = valid;
    LONGLONG m_ticks = 0;
};

// The archive form: three 32-bit words, the status, then the high and the low half of the count.
// A stored status other than valid, invalid or null loads as invalid.
CArchive& operator<<(CArchive& ar, const CPreciseDateTime& value);
CArchive& operator>>(CArchive& ar, CPreciseDateTime& value);
CArchive& operator<<(CArchive& ar, const CPreciseTimeSpan& value);
CArchive& operator>>(CArchive& ar, CPreciseTimeSpan& value);
