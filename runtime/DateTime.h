#pragma once
// Date-time values as the rest of the program sees them: a double counting days
// since 30 December 1899, the fraction being the time of day (0.5 = noon).
// Negative values count days before that date, their fraction still being a
// positive time of day. File times are 64-bit counts of 100-nanosecond
// intervals since 1 January 1601, UTC.

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <cstdint>

namespace dm {

using TDateTime = double;

// Days of 1601-01-01 .. 1970-01-01 in 100-ns units.
inline constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;
inline constexpr std::int64_t kFileTicksPerSecond = 10000000LL;

// The date part only (midnight). Invalid dates give 0.
TDateTime EncodeDate(int year, int month, int day);
// The time part only, as a fraction of a day.
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
// A date plus a time of day.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute,
                         int second, int msec = 0);

// The local date and time now.
TDateTime Now();

QDate DateOf(TDateTime value);
// Rounded to the millisecond.
QTime TimeOf(TDateTime value);

// File time from a POSIX time (seconds and nanoseconds since 1970, UTC);
// times beyond the 64-bit range give its nearest end.
std::int64_t UnixToFileTime(std::int64_t seconds, std::int64_t nanoseconds);

// UTC file time to the local date-time value, through the C library's time zone.
TDateTime FileTimeToLocalDateTime(std::int64_t fileTime);

// Packed local date and time: high 16 bits (year - 1980) * 512 + month * 32 + day,
// low 16 bits hour * 2048 + minute * 32 + seconds / 2. Times before 1980 give
// 1980-01-01 00:00:00, times after 2107 give 2107-12-31 23:59:58, so the result
// is always a valid packed value.
std::int32_t FileTimeToDosDateTime(std::int64_t fileTime);

// The same packing of a POSIX time, without going through a file time.
std::int32_t UnixToDosDateTime(std::int64_t seconds);

// The locale's long time format without its time-zone field.
QString LongTimeFormat(const QLocale &locale);

// The locale's short date, then, unless the time is exactly midnight to the
// second, one blank and the locale's long time.
QString DateTimeToText(TDateTime value);
QString DateTimeToText(const QDate &date, const QTime &time);

} // namespace dm
