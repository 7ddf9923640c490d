// The archive's loads on any bytes: counts, arrays of doubles, strings in every length form, 64-bit
// values, date-times and time spans. Each load either throws the archive's own exception or gives a
// value that, stored again, loads back the same; a count never exceeds what the file could hold.
//
// Each step is one byte choosing the load; the loads read the bytes that follow.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "logger/precise_time.h"
#include "platform/base/archive.h"
#include "platform/base/file.h"

// Names the line of a failed check, for the person reading the finding.
#define CHECK(ok) ((ok) ? void() : Fail(__LINE__))

namespace {

[[noreturn]] void Fail(int line) {
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}

// Stores a value and loads it back through a fresh archive.
template <class T>
T RoundTrip(const T& value, const std::function<void(CArchive&, const T&)>& store,
            const std::function<void(CArchive&, T&)>& load) {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        store(ar, value);
        ar.Close();
    }
    CMemFile again(file.Detach());
    CArchive ar(&again, CArchive::load);
    T back{};
    load(ar, back);
    CHECK(ar.Remaining() == 0);
    return back;
}

template <class T>
void CheckPlain(CArchive& ar) {
    T v{};
    ar >> v;
    const T back = RoundTrip<T>(
        v, [](CArchive& a, const T& x) { a << x; }, [](CArchive& a, T& x) { a >> x; });
    CHECK(std::memcmp(&back, &v, sizeof v) == 0);
}

void ExerciseDateTime(const CPreciseDateTime& t) {
    for (int style = 0; style < 5; ++style) {
        t.Format(style, false);
        t.Format(style, true);
        t.FormatFileStamp(style);
    }
    t.FormatTime();
    t.FormatTimeMs();
    t.FormatShortDate();
    t.FormatStrftime("%Y-%m-%d %H:%M:%S.%s%u%n %a %j %#s");
    SYSTEMTIME st{};
    // Years past the settable range are held but cannot be set again.
    if (t.GetAsSystemTime(st) && st.wYear <= CPreciseDateTime::kMaxYear)
        CHECK(CPreciseDateTime(st).GetStatus() == CPreciseDateTime::valid);
    const bool valid = t.GetStatus() == CPreciseDateTime::valid;
    if (!valid) CHECK(t.GetYear() == -1 && t.FormatTime().IsEmpty());
    if (valid) {
        CHECK(t.GetMonth() >= 1 && t.GetMonth() <= 12 && t.GetDay() >= 1 && t.GetDay() <= 31);
        CHECK(t.GetHour() >= 0 && t.GetHour() < 24 && t.GetMinute() >= 0 && t.GetMinute() < 60);
        CHECK(t.GetSecond() >= 0 && t.GetSecond() < 60 && t.GetDayOfWeek() >= 1 &&
              t.GetDayOfWeek() <= 7 && t.GetDayOfYear() >= 1 && t.GetDayOfYear() <= 366);
    }
}

void ExerciseSpan(const CPreciseTimeSpan& s) {
    s.Format("%D %H:%M:%S.%s%u%n %#s%#u%#n %%");
    s.GetTotalNanoseconds();
    s.GetHours();
    s.GetNanoseconds();
    (s + s).Format("%D");
    (s - s).Format("%S");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    try {
        for (;;) {
            BYTE op = 0;
            ar >> op;
            switch (op % 13) {
                case 0: {
                    const DWORD_PTR n = ar.ReadCount();
                    const DWORD_PTR back = RoundTrip<DWORD_PTR>(
                        n, [](CArchive& a, const DWORD_PTR& x) { a.WriteCount(x); },
                        [](CArchive& a, DWORD_PTR& x) { x = a.ReadCount(); });
                    CHECK(back == n);
                    break;
                }
                case 1: {
                    const size_t element = size_t(op / 13) % 16 + 1;
                    const size_t n = ar.ReadCountOf(element);
                    CHECK(n <= ar.Remaining() / element);
                    break;
                }
                case 2: {
                    const std::vector<double> v = ar.ReadDoubles();
                    const std::vector<double> back = RoundTrip<std::vector<double>>(
                        v, [](CArchive& a, const std::vector<double>& x) { a.WriteDoubles(x); },
                        [](CArchive& a, std::vector<double>& x) { x = a.ReadDoubles(); });
                    CHECK(back.size() == v.size() &&
                          (v.empty() ||
                           std::memcmp(back.data(), v.data(), v.size() * sizeof(double)) == 0));
                    break;
                }
                case 3: {
                    CString s;
                    ar >> s;
                    const CString back = RoundTrip<CString>(
                        s, [](CArchive& a, const CString& x) { a << x; },
                        [](CArchive& a, CString& x) { a >> x; });
                    CHECK(back == s);
                    break;
                }
                case 4:
                    CheckPlain<LONGLONG>(ar);
                    break;
                case 5:
                    CheckPlain<ULONGLONG>(ar);
                    break;
                case 6:
                    CheckPlain<long long>(ar);
                    break;
                case 7:
                    CheckPlain<double>(ar);
                    break;
                case 8:
                    CheckPlain<DWORD>(ar);
                    break;
                case 9:
                    CheckPlain<WORD>(ar);
                    break;
                case 10:
                    CheckPlain<int>(ar);
                    break;
                case 11: {
                    CPreciseDateTime t;
                    ar >> t;
                    const CPreciseDateTime back = RoundTrip<CPreciseDateTime>(
                        t, [](CArchive& a, const CPreciseDateTime& x) { a << x; },
                        [](CArchive& a, CPreciseDateTime& x) { a >> x; });
                    CHECK(back == t);
                    ExerciseDateTime(t);
                    break;
                }
                default: {
                    CPreciseTimeSpan s;
                    ar >> s;
                    const CPreciseTimeSpan back = RoundTrip<CPreciseTimeSpan>(
                        s, [](CArchive& a, const CPreciseTimeSpan& x) { a << x; },
                        [](CArchive& a, CPreciseTimeSpan& x) { a >> x; });
                    CHECK(back == s);
                    ExerciseSpan(s);
                    CPreciseDateTime t;
                    ExerciseDateTime(t + s);
                    ExerciseDateTime(t - s);
                    break;
                }
            }
        }
    } catch (const CArchiveException&) {
    }
    return 0;
}
