#include "Statistics.h"

#include "Convert.h"
#include "Cp1251.h"
#include "Exception.h"

#include <QtEndian>
#include <bit>
#include <cmath>
#include <cstdio>
#include <QCoreApplication>

namespace dm {

namespace {

const QString kKey = QStringLiteral("Software\\Dustmote");
const QString kQuantity = QStringLiteral("Quantity");
const QString kScans = QStringLiteral("Scans");
const QString kDels = QStringLiteral("Dels");
const QString kLastScan = QStringLiteral("LastScan");

// The range of dates the date-time texts can show (years 1 to 9999).
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

[[noreturn]] void fail(const char *format, const QString &name)
{
    throw Exception(QCoreApplication::translate("Dustmote", format).arg(name));
}

// A value that could not be stored (a full disk, an unusable store file):
// told apart from a wrong stored value, because it need not stop the work.
[[noreturn]] void failWrite(const char *format, const QString &name)
{
    throw EWriteError(QCoreApplication::translate("Dustmote", format).arg(name));
}

StatisticsNotice &statisticsNotice()
{
    static StatisticsNotice notice = [](const QString &text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    return notice;
}

// The store tells of a damaged file once per run; here it reaches the user.
void installDamageNotice()
{
    static const bool installed = [] {
        Registry::setDamageNotice([](const QString &file, const QString &kept) {
            statisticsNotice()(QCoreApplication::translate("Dustmote", "Файл статистики «%1» повреждён и не может быть прочитан. "
                                                           "Он сохранён под именем «%2», статистика начата заново.")
                                   .arg(file, kept));
        });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

void setStatisticsNotice(StatisticsNotice notice)
{
    statisticsNotice() = std::move(notice);
}

StatisticsKey::StatisticsKey()
{
    installDamageNotice();
    // A failure leaves the key closed: reads then find nothing, writes fail.
    m_store.createKey(Registry::currentUser(), kKey, &m_key);
}

std::int32_t StatisticsKey::ReadCounter(const QString &subKey, const QString &name,
                                        std::int32_t fallback)
{
    RegKey sub;
    if (m_store.openKey(m_key, subKey, &sub) != ERROR_SUCCESS)
        return fallback;
    quint32 type = REG_NONE;
    QByteArray data;
    const RegResult r = m_store.readValue(sub, name, &type, &data);
    Registry::closeKey(sub);
    if (r != ERROR_SUCCESS)
        return fallback;
    if (data.isEmpty())
        return fallback; // an empty text
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        fail(QT_TRANSLATE_NOOP("Dustmote", "Неверный тип данных «%1»"), name);
    const qsizetype end = data.indexOf('\0');
    return StrToIntDef(cp1251::decode(end < 0 ? data : data.first(end)), fallback);
}

void StatisticsKey::WriteCounter(const QString &subKey, const QString &name,
                                 std::int32_t value)
{
    RegKey sub;
    if (m_store.createKey(m_key, subKey, &sub) != ERROR_SUCCESS)
        failWrite(QT_TRANSLATE_NOOP("Dustmote", "Не удалось создать раздел %1"), subKey);
    QByteArray text = QByteArray::number(value);
    text.append('\0');
    const RegResult r = m_store.setValue(sub, name, REG_SZ, text);
    Registry::closeKey(sub);
    if (r != ERROR_SUCCESS)
        failWrite(QT_TRANSLATE_NOOP("Dustmote", "Не удалось записать данные «%1»"), name);
}

TDateTime StatisticsKey::ReadDateTime(const QString &name)
{
    char bytes[8];
    quint32 type = REG_NONE;
    quint32 size = sizeof bytes;
    if (m_store.queryValue(m_key, name, &type, bytes, &size) != ERROR_SUCCESS)
        fail(QT_TRANSLATE_NOOP("Dustmote", "Не удалось прочитать данные «%1»"), name);
    if (type != REG_BINARY || size != sizeof bytes)
        fail(QT_TRANSLATE_NOOP("Dustmote", "Неверный тип данных «%1»"), name);
    const double value = std::bit_cast<double>(qFromLittleEndian<quint64>(bytes));
    // Eight bytes written by another program need not be a date at all; they
    // must not reach the date texts, which hold years 1 to 9999 only.
    if (!std::isfinite(value) || value < kMinDateTime || value >= kMaxDateTime)
        fail(QT_TRANSLATE_NOOP("Dustmote", "Неверный тип данных «%1»"), name);
    return value;
}

std::optional<TDateTime> StatisticsKey::ReadDateTimeIfStored(const QString &name)
{
    // A key that could not be opened holds nothing either.
    if (m_store.queryValue(m_key, name, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return ReadDateTime(name);
}

void StatisticsKey::WriteDateTime(const QString &name, TDateTime value)
{
    char bytes[8];
    qToLittleEndian(std::bit_cast<quint64>(value), bytes);
    if (m_store.setValue(m_key, name, REG_BINARY, QByteArrayView(bytes, sizeof bytes))
        != ERROR_SUCCESS)
        failWrite(QT_TRANSLATE_NOOP("Dustmote", "Не удалось записать данные «%1»"), name);
}

namespace {

StatisticsTexts statisticsTexts(std::int32_t scans, std::optional<TDateTime> last, std::int32_t dels)
{
    StatisticsTexts texts;
    texts.DmLabel2 = QCoreApplication::translate("Dustmote", "Дата последнего сканирования системы: ")
        + (last ? DateTimeToText(*last) : QCoreApplication::translate("Dustmote", "сканирований ещё не было"));
    texts.DmLabel3 = QCoreApplication::translate("Dustmote", "Общее число сканирований: ") + QString::number(scans);
    texts.DmLabel4 = QCoreApplication::translate("Dustmote", "Общее число удаленных файлов: ")
        + QString::number(std::uint32_t(dels));
    return texts;
}

} // namespace

StatisticsTexts ReadStartupStatistics()
{
    StatisticsKey key;
    const std::int32_t scans = key.ReadCounter(kQuantity, kScans, 0);
    const std::optional<TDateTime> last = key.ReadDateTimeIfStored(kLastScan);
    const std::int32_t dels = key.ReadCounter(kQuantity, kDels, 0);
    return statisticsTexts(scans, last, dels);
}

StatisticsTexts WidestStatisticsTexts()
{
    return statisticsTexts(INT32_MIN, EncodeDateTime(2028, 12, 28, 20, 48, 58, 0), -1);
}

void CountScan(TDateTime start)
{
    StatisticsKey key;
    const std::int32_t scans = key.ReadCounter(kQuantity, kScans, 0);
    key.WriteCounter(kQuantity, kScans, std::int32_t(std::uint32_t(scans) + 1u));
    key.WriteDateTime(kLastScan, start);
}

DeletionCounter::DeletionCounter() : m_dels(m_key.ReadCounter(kQuantity, kDels, 0)) {}

void DeletionCounter::write()
{
    m_key.WriteCounter(kQuantity, kDels, m_dels);
}

namespace {

const QString kLastClean = QStringLiteral("LastClean");
// The date as LastScan keeps it, then the files (4 bytes) and the kilobytes
// (8 bytes), little-endian.
constexpr qsizetype kLastCleanSize = 8 + 4 + 8;

} // namespace

void WriteLastClean(const LastClean &clean)
{
    installDamageNotice();
    char bytes[kLastCleanSize];
    qToLittleEndian(std::bit_cast<quint64>(clean.when), bytes);
    qToLittleEndian(clean.files, bytes + 8);
    qToLittleEndian(clean.kiloBytes, bytes + 12);
    Registry store;
    RegKey key;
    if (store.createKey(Registry::currentUser(), kKey, &key) != ERROR_SUCCESS)
        failWrite(QT_TRANSLATE_NOOP("Dustmote", "Не удалось создать раздел %1"), kKey);
    if (store.setValue(key, kLastClean, REG_BINARY, QByteArrayView(bytes, kLastCleanSize)) != ERROR_SUCCESS)
        failWrite(QT_TRANSLATE_NOOP("Dustmote", "Не удалось записать данные «%1»"), kLastClean);
}

std::optional<LastClean> ReadLastClean()
{
    const Registry store;
    RegKey key;
    if (store.openKey(Registry::currentUser(), kKey, &key) != ERROR_SUCCESS)
        return std::nullopt;
    quint32 type = REG_NONE;
    QByteArray data;
    if (store.readValue(key, kLastClean, &type, &data) != ERROR_SUCCESS || type != REG_BINARY
        || data.size() != kLastCleanSize)
        return std::nullopt;
    LastClean clean;
    clean.when = std::bit_cast<double>(qFromLittleEndian<quint64>(data.constData()));
    clean.files = qFromLittleEndian<std::int32_t>(data.constData() + 8);
    clean.kiloBytes = qFromLittleEndian<std::int64_t>(data.constData() + 12);
    if (!std::isfinite(clean.when) || clean.when < kMinDateTime || clean.when >= kMaxDateTime
        || clean.files < 0 || clean.kiloBytes < 0)
        return std::nullopt;
    return clean;
}

} // namespace dm
