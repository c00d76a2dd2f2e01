#include "CleanProgress.h"

#include "DeletionTexts.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

namespace dm {

bool CleanProgress::due()
{
    if (!m_io.progress || m_clock.elapsed() - m_last < 100)
        return false;
    m_last = m_clock.elapsed();
    return true;
}

void CleanProgress::scanning(std::uint32_t folders, std::size_t files, std::uint64_t kiloBytes,
                             const std::string &folder)
{
    if (!due())
        return;
    const QLocale locale;
    show(QCoreApplication::translate("Dustmote", "Папок: %1, найдено файлов: %2 (%3 KB) — ")
             .arg(locale.toString(folders), locale.toString(qulonglong(files)),
                  locale.toString(qulonglong(kiloBytes))),
         QByteArray::fromStdString(folder));
}

void CleanProgress::deleting(std::size_t done, std::size_t total, const QByteArray &folder)
{
    if (!due())
        return;
    const QLocale locale;
    show(QCoreApplication::translate("Dustmote", "Удалено: %1 из %2 — ")
             .arg(locale.toString(qulonglong(done)), locale.toString(qulonglong(total))),
         folder);
}

void CleanProgress::show(const QString &head, const QByteArray &folder)
{
    // The folder's end tells most: its start is cut when the line is too long.
    QString line = head + QFile::decodeName(folder);
    const int room = std::max(m_io.columns - 1, 10);
    if (line.size() > room)
        line = head + QStringLiteral("…") + line.right(std::max(room - int(head.size()) - 1, 0));
    const QByteArray bytes = ("\r\033[K" + line).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_io.err);
    std::fflush(m_io.err);
    m_shown = true;
}

void CleanProgress::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\033[K", m_io.err);
    std::fflush(m_io.err);
    m_shown = false;
}

} // namespace dm
