#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <random>

#include "logger/precise_time.h"
#include "platform/base/archive.h"

namespace {

using namespace std::chrono;
using Span = CPreciseTimeSpan;
using Time = CPreciseDateTime;

constexpr long long kTicksPerDay = Span::kTicksPerDay;
const sys_days k1601 = sys_days(year(1601) / January / 1);

// The oracle: the C++ calendar's day count from 1601-01-01.
long long OracleDays(int y, unsigned m, unsigned d) {
    return (sys_days(year(y) / month(m) / day(d)) - k1601).count();
}

void ExpectFieldsMatchOracle(const Time& t) {
    const long long ticks = t.GetTicks();
    long long dayNumber = ticks / kTicksPerDay;
    if (ticks % kTicksPerDay < 0) --dayNumber;
    const sys_days day = k1601 + days(dayNumber);
    const year_month_day ymd(day);
    const auto rest = static_cast<long long>(static_cast<__int128>(ticks) -
                                             static_cast<__int128>(dayNumber) * kTicksPerDay);
    ASSERT_EQ(t.GetYear(), int(ymd.year())) << ticks;
    ASSERT_EQ(t.GetMonth(), int(unsigned(ymd.month()))) << ticks;
    ASSERT_EQ(t.GetDay(), int(unsigned(ymd.day()))) << ticks;
    ASSERT_EQ(t.GetDayOfWeek(), int(weekday(day).c_encoding()) + 1) << ticks;
    ASSERT_EQ(t.GetDayOfYear(), (day - sys_days(ymd.year() / January / 1)).count() + 1) << ticks;
    ASSERT_EQ(t.GetHour(), rest / Span::kTicksPerHour);
    ASSERT_EQ(t.GetMinute(), rest / Span::kTicksPerMinute % 60);
    ASSERT_EQ(t.GetSecond(), rest / Span::kTicksPerSecond % 60);
    ASSERT_EQ(t.GetMillisecond(), rest / 10000 % 1000);
    ASSERT_EQ(t.GetMicrosecond(), rest / 10 % 1000);
    ASSERT_EQ(t.GetNanosecond(), rest % 10 * 100);
}

TEST(PreciseDateTime, DatesMatchTheCalendarOverTheWholeRange) {
    // Every day of the years around the leap-rule boundaries and the ends of the range.
    for (int y : {Time::kMinYear,
                  -401,
                  -400,
                  -101,
                  -100,
                  -5,
                  -4,
                  -1,
                  0,
                  1,
                  4,
                  100,
                  1600,
                  1601,
                  1700,
                  1900,
                  2000,
                  2024,
                  2100,
                  2400,
                  Time::kMaxYear}) {
        for (sys_days d = sys_days(year(y) / January / 1); d <= sys_days(year(y) / December / 31);
             d += days(1)) {
            const year_month_day ymd(d);
            Time t;
            ASSERT_TRUE(t.SetDate(y, unsigned(ymd.month()), unsigned(ymd.day())));
            ASSERT_EQ(t.GetTicks(), (d - k1601).count() * kTicksPerDay) << y;
            ExpectFieldsMatchOracle(t);
        }
    }
    // Random instants, with times of day, from the first day to the last.
    const long long first = OracleDays(Time::kMinYear, 1, 1) * kTicksPerDay;
    const long long last = (OracleDays(Time::kMaxYear, 12, 31) + 1) * kTicksPerDay - 1;
    std::mt19937_64 random(1601);
    std::uniform_int_distribution<long long> pick(first, last);
    for (int i = 0; i < 200000; ++i)
        ExpectFieldsMatchOracle(Time(pick(random), Time::valid));
    ExpectFieldsMatchOracle(Time(first, Time::valid));
    ExpectFieldsMatchOracle(Time(last, Time::valid));
    ExpectFieldsMatchOracle(Time(-1, Time::valid));  // the last tick before 1601
    // Counts beyond the settable years still decompose.
    ExpectFieldsMatchOracle(Time(LLONG_MIN, Time::valid));
    ExpectFieldsMatchOracle(Time(LLONG_MAX, Time::valid));
}

TEST(PreciseDateTime, EdgeCasesOfSetting) {
    Time t;
    ASSERT_TRUE(t.SetDate(1601, 1, 1));
    EXPECT_EQ(t.GetTicks(), 0);
    EXPECT_EQ(t.GetDayOfWeek(), 2);  // Monday

    EXPECT_TRUE(t.SetDate(2000, 2, 29));
    EXPECT_EQ(t.GetDay(), 29);
    ASSERT_TRUE(t.SetDate(1900, 2, 29));
    EXPECT_EQ(t.GetMonth(), 3);
    EXPECT_EQ(t.GetDay(), 1);

    ASSERT_TRUE(t.SetTime(25, 0, 0));
    EXPECT_EQ(t.Format(0, false), "02/01/1601 01:00:00");

    // Every unit carries, the nanoseconds after rounding to 100 ns; negative parts carry back.
    ASSERT_TRUE(t.SetDateTime(2023, 1, 31, 23, 59, 59, 999, 999, 950));
    EXPECT_EQ(t.FormatTimeMs(), "00:00:00.000");
    EXPECT_EQ(t.Format(0, true), "01/02/2023");
    ASSERT_TRUE(t.SetDateTime(2023, 1, 1, 0, 0, 0, 0, 0, 149));
    EXPECT_EQ(t.GetNanosecond(), 100);
    ASSERT_TRUE(t.SetDateTime(2023, 1, 1, 0, 0, 0, 0, 0, 150));
    EXPECT_EQ(t.GetNanosecond(), 200);
    ASSERT_TRUE(t.SetDateTime(2000, 3, 1, -1, 0, 0));
    EXPECT_EQ(t.Format(0, false), "29/02/2000 23:00:00");
    ASSERT_TRUE(t.SetDateTime(2000, 1, 0, 0, 0, 0));
    EXPECT_EQ(t.Format(0, true), "31/12/1999");
}

TEST(PreciseDateTime, OutOfRangeGivesInvalidAndEveryGetterMinusOne) {
    struct Case {
        int year, month, day, hour;
    };
    const Case cases[] = {
        {2024, 13, 1, 0},
        {2024, 0, 1, 0},
        {Time::kMaxYear + 1, 1, 1, 0},
        {Time::kMinYear - 1, 12, 31, 0},
        {-29000, 1, 1, 0},                  // the count would overflow
        {Time::kMaxYear, 12, 31, INT_MAX},  // carries past the 64-bit count
        {Time::kMinYear, 1, 1, -INT_MAX},
    };
    for (const Case& c : cases) {
        Time t;
        EXPECT_FALSE(t.SetDateTime(c.year, c.month, c.day, c.hour, 0, 0))
            << c.year << "-" << c.month;
        EXPECT_EQ(t.GetStatus(), Time::invalid);
        for (int v : {t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(),
                      t.GetSecond(), t.GetMillisecond(), t.GetMicrosecond(), t.GetNanosecond(),
                      t.GetDayOfWeek(), t.GetDayOfYear()})
            EXPECT_EQ(v, -1);
        SYSTEMTIME st;
        EXPECT_FALSE(t.GetAsSystemTime(st));
        EXPECT_EQ(t.Format(0, false), "");
        EXPECT_EQ(t.FormatFileStamp(0), "");
        EXPECT_EQ(t.FormatTime(), "");
    }
    Time lowest;
    EXPECT_TRUE(lowest.SetDate(Time::kMinYear, 1, 1));
    EXPECT_EQ(lowest.GetYear(), Time::kMinYear);
}

TEST(PreciseDateTime, ArithmeticStatusAndOverflow) {
    const Time valid(1000, Time::valid), invalid(0, Time::invalid), null(0, Time::null);
    const Span spanValid(10), spanInvalid(0, Span::invalid), spanNull(0, Span::null);
    EXPECT_EQ((null + spanValid).GetStatus(), Time::null);
    EXPECT_EQ((invalid + spanNull).GetStatus(), Time::null);
    EXPECT_EQ((invalid + spanValid).GetStatus(), Time::invalid);
    EXPECT_EQ((valid + spanInvalid).GetStatus(), Time::invalid);
    EXPECT_EQ((valid + spanValid).GetTicks(), 1010);
    EXPECT_EQ((valid - spanValid).GetTicks(), 990);
    EXPECT_EQ((valid - Time(400, Time::valid)).GetTicks(), 600);
    EXPECT_EQ((valid - null).GetStatus(), Span::null);
    EXPECT_EQ((spanValid + spanValid).GetTicks(), 20);
    EXPECT_EQ((spanValid - spanNull).GetStatus(), Span::null);

    EXPECT_EQ((Time(LLONG_MAX - 5, Time::valid) + spanValid).GetStatus(), Time::invalid);
    EXPECT_EQ((Time(LLONG_MIN + 5, Time::valid) - spanValid).GetStatus(), Time::invalid);
    EXPECT_EQ((Time(LLONG_MAX, Time::valid) - Time(-1, Time::valid)).GetStatus(), Span::invalid);
    EXPECT_EQ((Span(LLONG_MAX) + Span(1)).GetStatus(), Span::invalid);
    EXPECT_EQ((Span(LLONG_MIN) - Span(1)).GetStatus(), Span::invalid);
}

TEST(PreciseTimeSpan, PartsTotalsAndCarry) {
    const Span s(1, 0, 90, 0);
    EXPECT_EQ(s.GetDays(), 1);
    EXPECT_EQ(s.GetHours(), 1);
    EXPECT_EQ(s.GetMinutes(), 30);
    EXPECT_EQ(s.GetTotalMinutes(), 1530);
    EXPECT_EQ(s.GetTotalSeconds(), 91800);

    const Span t(0, 0, 0, 61, 1500, 2001, 349);
    EXPECT_EQ(t.GetTotalSeconds(), 62);
    EXPECT_EQ(t.GetSeconds(), 2);
    EXPECT_EQ(t.GetMilliseconds(), 502);
    EXPECT_EQ(t.GetMicroseconds(), 1);
    EXPECT_EQ(t.GetNanoseconds(), 300);
    EXPECT_EQ(t.GetTotalNanoseconds(), 62502001300);

    // Half away from zero, both ways; totals and parts truncate toward zero.
    EXPECT_EQ(Span(0, 0, 0, 0, 0, 0, 150).GetTicks(), 2);
    EXPECT_EQ(Span(0, 0, 0, 0, 0, 0, -150).GetTicks(), -2);
    EXPECT_EQ(Span(0, 0, 0, 0, 0, 0, -149).GetTicks(), -1);
    const Span negative(0, 0, -90, 0);
    EXPECT_EQ(negative.GetTotalHours(), -1);
    EXPECT_EQ(negative.GetHours(), -1);
    EXPECT_EQ(negative.GetMinutes(), -30);

    Span huge;
    EXPECT_FALSE(huge.SetTimeSpan(LLONG_MAX / 1000, 0, 0, 0));
    EXPECT_EQ(huge.GetStatus(), Span::invalid);
    EXPECT_EQ(Span(LLONG_MAX).GetTotalNanoseconds(), LLONG_MAX);
    EXPECT_EQ(Span(1, 2, 3, 4).Format("%D %H:%M:%S"), "1 02:03:04");
}

TEST(PreciseDateTime, TextsInEveryStyle) {
    const Time t(2024, 3, 5, 14, 7, 9, 42, 7, 300);
    struct Case {
        int style;
        const char* full;
        const char* date;
        const char* stamp;
    };
    const Case cases[] = {
        {0, "05/03/2024 14:07:09", "05/03/2024", "05.03.24 14.07.09"},
        {1, "03/05/2024 14:07:09", "03/05/2024", "03.05.2024 14.07.09"},
        {2, "05-Mar-24 14:07:09", "05-Mar-24", "05.03.24 14.07.09"},
        {3, "Mar-05-24 14:07:09", "Mar-05-24", "03.05.2024 14.07.09"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t.Format(c.style, false), c.full) << c.style;
        EXPECT_EQ(t.Format(c.style, true), c.date) << c.style;
        EXPECT_EQ(t.FormatFileStamp(c.style), c.stamp) << c.style;
    }
    EXPECT_EQ(t.Format(4, false), "");
    EXPECT_EQ(t.Format(-1, true), "");
    EXPECT_EQ(t.FormatTime(), "14:07:09");
    EXPECT_EQ(t.FormatTimeMs(), "14:07:09.042");
    EXPECT_EQ(t.FormatShortDate(), "05-03-24");
    EXPECT_EQ(Time(2007, 12, 1, 0, 0, 0).Format(2, true), "01-Dec-07");
    EXPECT_EQ(t.FormatStrftime("%Y-%m-%d %H:%M:%S.%s %#u/%n %%s"),
              "2024-03-05 14:07:09.042 7/300 %s");
    EXPECT_EQ(Time(0, Time::null).FormatStrftime("%Y"), "");
    EXPECT_EQ(Time(0, Time::invalid).FormatStrftime("%Y"), "Invalid datetime");
    EXPECT_EQ(Time(0, Time::null).Format(0, false), "");
}

TEST(PreciseDateTime, SystemRecordsAndTheClock) {
    const Time t(2024, 3, 5, 14, 7, 9, 42);
    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 5);
    EXPECT_EQ(st.wDayOfWeek, 2);  // Tuesday
    EXPECT_EQ(st.wMilliseconds, 42);
    EXPECT_EQ(Time(st), t);
    EXPECT_FALSE(Time(-1, 3, 1, 0, 0, 0).GetAsSystemTime(st));

    const auto ticks = static_cast<ULONGLONG>(t.GetTicks());
    const FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    EXPECT_EQ(Time(ft).Format(0, false), "05/03/2024 14:07:09");
    EXPECT_EQ(Time(FILETIME{0, 0x80000000u}).GetStatus(), Time::invalid);

    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(Time(std::time_t(86400 * 365)).Format(0, false), "01/01/1971 00:00:00");
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();

    const Span drift = Time::GetCurrentTime() - Time(std::time(nullptr));
    EXPECT_LT(std::llabs(drift.GetTotalSeconds()), 5);
}

TEST(PreciseDateTime, ArchiveFormIsStatusHighLow) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << Time(0x0000000100000002LL, Time::valid) << Time(-5, Time::null)
           << Span(-123456789012345LL) << Span(7, Span::invalid);
        ar.Close();
    }
    const std::vector<BYTE> head(file.Bytes().begin(), file.Bytes().begin() + 12);
    EXPECT_EQ(head, (std::vector<BYTE>{0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}));
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    Time a, b;
    Span c, d;
    ar >> a >> b >> c >> d;
    EXPECT_EQ(a, Time(0x0000000100000002LL, Time::valid));
    EXPECT_EQ(b, Time(-5, Time::null));
    EXPECT_EQ(c, Span(-123456789012345LL));
    EXPECT_EQ(d, Span(7, Span::invalid));

    // An unknown stored status loads as invalid; a cut record throws.
    CMemFile odd(std::vector<BYTE>{9, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 3, 0});
    CArchive oddAr(&odd, CArchive::load);
    Time e;
    oddAr >> e;
    EXPECT_EQ(e.GetStatus(), Time::invalid);
    EXPECT_THROW(oddAr >> e, CArchiveException);
}

}  // namespace
