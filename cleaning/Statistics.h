#pragma once
// Usage statistics kept in the per-user settings store: how many scans were
// started, on how many files a deletion was carried out, and when the last
// scan started. Nothing is kept in memory between steps: each step opens the
// key anew and works on what is stored at that moment.
//
// Every failure is a dm::Exception with one of the texts
// "Неверный тип данных «%s»", "Не удалось создать раздел %s",
// "Не удалось прочитать данные «%s»", "Не удалось записать данные «%s»"; the
// two failures to store (the key, the data) are
// dm::EWriteError, so that a caller can go on without the count.
// A value of the wrong type fails only the operation that reads it.

#include "DateTime.h"
#include "Registry.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace dm {

// Who is told, once per run, that the store's file was damaged and kept
// aside: the window shows a message box, the command line writes to stderr
// (the default).
using StatisticsNotice = std::function<void(const QString &text)>;
void setStatisticsNotice(StatisticsNotice notice);

// The statistics key "Software\Dustmote" below the current user's root, with
// the four operations the steps below are made of.
class StatisticsKey
{
public:
    // Opens the key, creating it when missing. Never fails: when the store
    // cannot be written the reads find nothing and the writes fail.
    StatisticsKey();

    // The counter's decimal text in subKey, or `fallback` when the subkey or
    // value is missing or the text does not convert (see StrToIntDef).
    // Throws "Неверный тип данных" when it has data but is not a string.
    std::int32_t ReadCounter(const QString &subKey, const QString &name,
                             std::int32_t fallback);
    // Stores the value's signed decimal text as a string, creating subKey.
    // Throws "Не удалось создать раздел" or "Не удалось записать данные".
    void WriteCounter(const QString &subKey, const QString &name, std::int32_t value);
    // The 8-byte date-time value in the key itself. Throws "Не удалось
    // прочитать данные" when it is missing or longer than 8 bytes, "Неверный тип данных"
    // when it is not 8 binary bytes or no date of the years 1 to 9999.
    TDateTime ReadDateTime(const QString &name);
    // As ReadDateTime, but nullopt when no such value is stored yet.
    std::optional<TDateTime> ReadDateTimeIfStored(const QString &name);
    // Stores the value as 8 binary bytes; throws "Не удалось записать данные".
    void WriteDateTime(const QString &name, TDateTime value);

private:
    Registry m_store;
    RegKey m_key;
};

// The three texts of the Information page.
struct StatisticsTexts
{
    QString DmLabel2; // date and time of the last scan
    QString DmLabel3; // number of scans
    QString DmLabel4; // number of deleted files
};

// Reading at start-up: "Scans", then "LastScan", then "Dels". Throws at the
// first failure, so that the caller changes none of its labels. Before the
// first scan the date text says that no scan has been made yet.
StatisticsTexts ReadStartupStatistics();

// The texts with the widest figures they can hold (the lowest count of
// scans, the highest of deletions, a date with two-digit day and month): the
// room the Information page keeps for them.
StatisticsTexts WidestStatisticsTexts();

// Counting a scan: "Scans" + 1 (wrapping in 32 bits), then "LastScan" := start,
// the local time the scan was started. Throws; a stored value of the wrong
// type means the scan must not start, while EWriteError (the count could
// not be stored) need not stop it.
void CountScan(TDateTime start);

// Counting deletions: made at the start of a deletion (reads "Dels"; throws,
// and the deletion must not start), add() for every ticked row whose file the
// deletion tried to delete, write() in its closing steps, also when nothing
// was added.
class DeletionCounter
{
public:
    // Opens the key and reads "Dels"; throws "Неверный тип данных «Dels»".
    DeletionCounter();
    // Files the deletion removed (wraps in 32 bits).
    void add(std::uint32_t files = 1) { m_dels = std::int32_t(std::uint32_t(m_dels) + files); }
    // The count so far: the value read plus the files added.
    std::int32_t value() const { return m_dels; }
    // Stores the count; throws "Не удалось создать раздел" / "Не удалось записать данные".
    void write();

private:
    StatisticsKey m_key;
    std::int32_t m_dels = 0;
};

// The last clean made without the window (the command-line cleaner, run by
// hand or by its timer): when it ended and what it removed. Kept as one value,
// so a reader never meets the date of one clean with the figures of another.
struct LastClean
{
    TDateTime when = 0;
    std::int32_t files = 0;
    std::int64_t kiloBytes = 0;
};

// Stores the clean as "LastClean"; throws EWriteError ("Не удалось создать
// раздел" / "Не удалось записать данные") when it cannot be stored.
void WriteLastClean(const LastClean &clean);

// The stored clean; nullopt when none was stored, or when what is stored is
// not one (another type or length, no date of the years 1 to 9999, negative
// figures). Never throws and never shows anything: it only feeds a text.
std::optional<LastClean> ReadLastClean();

} // namespace dm
