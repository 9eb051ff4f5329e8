#include "DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace vxt {

namespace {

// Days from 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int &y, int &m, int &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = (long long)yoe + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yy + (m <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);  // negative: days of 1899-12-30 from 1970
const long long kMSecPerDay = 86400000LL;
const double kFirstDay = double(DaysFromCivil(1, 1, 1) - kEpochOffset);
const double kLastDay = double(DaysFromCivil(9999, 12, 31) - kEpochOffset);

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDateTime(const TDateTimeParts &p, TDateTime &result)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1) return false;
    int dim = kDays[p.Month - 1] + (p.Month == 2 && IsLeapYear(p.Year) ? 1 : 0);
    if (p.Day > dim) return false;
    if (p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 || p.Second < 0 || p.Second > 59 || p.MSec < 0 ||
        p.MSec > 999)
        return false;
    double days = double(DaysFromCivil(p.Year, unsigned(p.Month), unsigned(p.Day)) - kEpochOffset);
    double frac = (((p.Hour * 60.0 + p.Minute) * 60.0 + p.Second) * 1000.0 + p.MSec) / double(kMSecPerDay);
    // Before the epoch the fraction still counts forward from midnight.
    result.Value = days >= 0 ? days + frac : days - frac;
    return true;
}

TDateTimeParts DecodeDateTime(TDateTime value)
{
    TDateTimeParts p;
    double v = value.Value;
    // Only years 1 to 9999 are dates; anything else decodes as the zero date, as a NaN does.
    if (!(v > kFirstDay - 1 && v < kLastDay + 1)) return p;
    double whole = std::trunc(v);
    long long ms = std::llround(std::fabs(v - whole) * double(kMSecPerDay));
    long long days = (long long)whole;
    if (ms >= kMSecPerDay) {
        ms -= kMSecPerDay;
        days += v < 0 ? -1 : 1;
    }
    CivilFromDays(days + kEpochOffset, p.Year, p.Month, p.Day);
    p.Hour = int(ms / 3600000);
    p.Minute = int(ms / 60000 % 60);
    p.Second = int(ms / 1000 % 60);
    p.MSec = int(ms % 1000);
    return p;
}

TDateTime Now()
{
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    TDateTimeParts p{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms)};
    if (p.Second > 59) p.Second = 59;  // leap second
    TDateTime r;
    TryEncodeDateTime(p, r);
    return r;
}

}  // namespace vxt
