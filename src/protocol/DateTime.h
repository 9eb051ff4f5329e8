// The date-time value: days since 30 December 1899 as a double, the time of day as its fraction.
#pragma once

namespace vxt {

struct TDateTime {
    double Value = 0;
    friend bool operator==(const TDateTime &, const TDateTime &) = default;
};

struct TDateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
    friend bool operator==(const TDateTimeParts &, const TDateTimeParts &) = default;
};

// False for a combination that is no valid date or time (month 13, 31 April, hour 24, second 60).
bool TryEncodeDateTime(const TDateTimeParts &parts, TDateTime &result);
TDateTimeParts DecodeDateTime(TDateTime value);   // rounded to the nearest millisecond
bool IsLeapYear(int year);
TDateTime Now();                                   // local time

}  // namespace vxt
