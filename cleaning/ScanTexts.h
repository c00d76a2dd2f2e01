#pragma once
// The scan's texts and numbers that need no window: the mask list handed to
// the engine, the summary, and the millisecond tick that times a scan.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include <QCoreApplication>

namespace dm {

// The masks of one mask text as typed: separated by ";", and by "," where a
// blank follows it or the next mask begins with "*", "?" or "." ("*.txt,
// *.bmp" and "*.txt,*.bmp" are two masks, "*,v" is one); each trimmed, empty
// ones dropped.
QStringList SplitMaskText(const QString &text);

// The mask list of the ticked catalog rows (each row given by its sub-items,
// the first being the mask text as typed): for every mask, in order, one
// blank, the mask and ";".
QString BuildMaskList(const QList<QStringList> &tickedRows);

// The engine's included lines that search folder (bytes, as the file system
// names it) and its subfolders with each mask of maskList: the folder is
// never cut at ";" or trimmed, whatever its name holds. None without a folder.
// Masks that name a place (holding "/") are not among them: see ScanPlaces.
std::vector<std::string> ScanTargets(const std::string &folder, const std::string &maskList);

// The masks of maskList that name a place, for the engine's place list.
std::vector<std::string> ScanPlaces(const std::string &maskList);

// What is wrong with the first mask of a mask text that names a place and
// can never match, in the user's words; empty when every mask can match.
QString PlaceMaskProblem(const QString &maskText);

// "N Папок(ки) просканировано и M файлов(ла) найдено - S за секунд(ды)", the
// seconds with three decimals and the locale's decimal separator.
QString ScanSummary(int folders, int files, double seconds);

// The found files' running total, "Файлы занимают: " followed by the
// kilobytes and "KB"; without a total, the caption alone.
QString TotalText(std::optional<std::uint64_t> kiloBytes = std::nullopt);

// Prefixed to the summary in the status bar when the scan was stopped.
inline constexpr char kStoppedPrefix[] = QT_TRANSLATE_NOOP("Dustmote", "Сканирование остановлено - ");

// A millisecond count that wraps at 2^32, like the platform's tick counter.
std::uint32_t TickCount();
// Seconds between two tick counts, correct across one wrap of the counter.
inline double ElapsedSeconds(std::uint32_t start, std::uint32_t now)
{
    return double(std::uint32_t(now - start)) / 1000.0;
}

} // namespace dm
