#include "DateTime.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <ctime>
#include <limits>

namespace dm {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsecPerDay = 86400000.0;

// Calendar fields of a POSIX time in the local zone.
bool localFields(std::int64_t seconds, std::tm &out)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    return localtime_r(&t, &out) != nullptr;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

TDateTime EncodeDate(int year, int month, int day)
{
    const QDate d(year, month, day);
    return d.isValid() ? static_cast<double>(kEpoch.daysTo(d)) : 0.0;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    return ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 / kMsecPerDay
        + msec / kMsecPerDay;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute,
                         int second, int msec)
{
    const double date = EncodeDate(year, month, day);
    const double time = EncodeTime(hour, minute, second, msec);
    // Before the epoch the fraction still counts forward from midnight.
    return date < 0 ? date - time : date + time;
}

QDate DateOf(TDateTime value)
{
    return kEpoch.addDays(static_cast<qint64>(std::trunc(value)));
}

QTime TimeOf(TDateTime value)
{
    const double frac = std::fabs(value - std::trunc(value));
    qint64 ms = std::llround(frac * kMsecPerDay);
    if (ms >= 86400000)
        ms = 86399999;
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

std::int64_t UnixToFileTime(std::int64_t seconds, std::int64_t nanoseconds)
{
    // A far-off stamp (touch -d @9000000000000) saturates instead of wrapping
    // into a time of the wrong sign.
    std::int64_t t;
    if (__builtin_mul_overflow(seconds, kFileTicksPerSecond, &t)
        || __builtin_add_overflow(t, nanoseconds / 100, &t)
        || __builtin_add_overflow(t, kUnixEpochAsFileTime, &t))
        return seconds < 0 ? std::numeric_limits<std::int64_t>::min()
                           : std::numeric_limits<std::int64_t>::max();
    return t;
}

TDateTime FileTimeToLocalDateTime(std::int64_t fileTime)
{
    // Whole seconds first, so that no file time can overflow the arithmetic.
    std::int64_t seconds = fileTime / kFileTicksPerSecond;
    std::int64_t rest = fileTime % kFileTicksPerSecond;
    if (rest < 0) {
        rest += kFileTicksPerSecond;
        --seconds;
    }
    const int msec = static_cast<int>(rest / 10000);
    std::tm tm{};
    if (!localFields(seconds - kUnixEpochAsFileTime / kFileTicksPerSecond, tm))
        return 0.0;
    return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                          tm.tm_min, tm.tm_sec, msec);
}

std::int32_t UnixToDosDateTime(std::int64_t seconds)
{
    constexpr std::int32_t first = (1 << 21) | (1 << 16); // 1980-01-01 00:00:00
    constexpr std::int32_t last = static_cast<std::int32_t>(
        (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
    std::tm tm{};
    // A time the C library cannot break down lies beyond either end.
    if (!localFields(seconds, tm))
        return seconds < 0 ? first : last;
    if (tm.tm_year + 1900 < 1980)
        return first;
    if (tm.tm_year + 1900 > 2107)
        return last;
    const std::uint32_t date = (static_cast<std::uint32_t>(tm.tm_year + 1900 - 1980) << 9)
        | (static_cast<std::uint32_t>(tm.tm_mon + 1) << 5)
        | static_cast<std::uint32_t>(tm.tm_mday);
    // A leap second (60) would overflow the 5-bit field.
    const int sec = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    const std::uint32_t time = (static_cast<std::uint32_t>(tm.tm_hour) << 11)
        | (static_cast<std::uint32_t>(tm.tm_min) << 5)
        | static_cast<std::uint32_t>(sec / 2);
    return static_cast<std::int32_t>((date << 16) | time);
}

std::int32_t FileTimeToDosDateTime(std::int64_t fileTime)
{
    return UnixToDosDateTime(floorDiv(fileTime, kFileTicksPerSecond)
                             - kUnixEpochAsFileTime / kFileTicksPerSecond);
}

QString LongTimeFormat(const QLocale &locale)
{
    // The locale's long time names the time zone ("t"), which is the zone in
    // force now, not at the stored moment; the text keeps the clock time only.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    return locale.timeFormat(QLocale::LongFormat).replace(zone, QStringLiteral(" ")).trimmed();
}

QString DateTimeToText(TDateTime value)
{
    return DateTimeToText(DateOf(value), TimeOf(value));
}

QString DateTimeToText(const QDate &date, const QTime &time)
{
    const QLocale locale;
    QString text = locale.toString(date, QLocale::ShortFormat);
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += QLatin1Char(' ') + locale.toString(time, LongTimeFormat(locale));
    return text;
}

TDateTime Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec());
}

} // namespace dm
