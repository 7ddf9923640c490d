#include "platform/base/systemtime.h"

#include <ctime>

namespace {

platform::LocalTimeSource g_source = nullptr;
void* g_context = nullptr;

}  // namespace

void platform::SetLocalTimeSource(LocalTimeSource source, void* context) {
    g_source = source;
    g_context = context;
}

void GetLocalTime(SYSTEMTIME* time) {
    if (g_source) {
        g_source(time, g_context);
        return;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    const std::time_t seconds = now.tv_sec;
    ::localtime_r(&seconds, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    time->wSecond = static_cast<WORD>(local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime) {
    if (!fileTime || !systemTime || (fileTime->dwHighDateTime & 0x80000000u)) return FALSE;
    const long long ticks =
        static_cast<long long>((static_cast<unsigned long long>(fileTime->dwHighDateTime) << 32) |
                               fileTime->dwLowDateTime);
    long long seconds = ticks / 10000000;
    const int ms = static_cast<int>((ticks % 10000000) / 10000);
    long long days = seconds / 86400;
    seconds %= 86400;
    const int weekday = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
    // Civil date from days since 1601-01-01, through the 400-year cycle that starts there.
    const long long cycles = days / 146097;
    days %= 146097;
    long long centuries = days / 36524;
    if (centuries == 4) centuries = 3;
    days -= centuries * 36524;
    const long long quads = days / 1461;
    days -= quads * 1461;
    long long years = days / 365;
    if (years == 4) years = 3;
    days -= years * 365;
    const long long year = 1601 + cycles * 400 + centuries * 100 + quads * 4 + years;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (true) {
        const int length = kMonthDays[month] + (month == 1 && leap ? 1 : 0);
        if (days < length) break;
        days -= length;
        ++month;
    }
    systemTime->wYear = static_cast<WORD>(year);
    systemTime->wMonth = static_cast<WORD>(month + 1);
    systemTime->wDayOfWeek = static_cast<WORD>(weekday);
    systemTime->wDay = static_cast<WORD>(days + 1);
    systemTime->wHour = static_cast<WORD>(seconds / 3600);
    systemTime->wMinute = static_cast<WORD>(seconds % 3600 / 60);
    systemTime->wSecond = static_cast<WORD>(seconds % 60);
    systemTime->wMilliseconds = static_cast<WORD>(ms);
    return TRUE;
}
