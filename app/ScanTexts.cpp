#include "ScanTexts.h"

#include <QLocale>
#include <QRegularExpression>
#include <chrono>

namespace dm {

QString BuildMaskList(const QList<QStringList> &tickedRows)
{
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    QString list;
    for (const QStringList &subItems : tickedRows) {
        for (const QString &text : subItems) {
            for (const QString &piece : text.split(separators)) {
                const QString mask = piece.trimmed();
                if (!mask.isEmpty())
                    list += QLatin1Char(' ') + mask + QLatin1Char(';');
            }
        }
    }
    return list;
}

QString TotalText(std::optional<std::uint64_t> kiloBytes)
{
    QString text = QStringLiteral("Файлы занимают: ");
    if (kiloBytes)
        text += QString::number(*kiloBytes) + QStringLiteral("KB");
    return text;
}

QString ScanSummary(int folders, int files, double seconds)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return QStringLiteral("%1 Папок(ки) просканировано и %2 файлов(ла) найдено - %3 за секунд(ды)")
        .arg(folders)
        .arg(files)
        .arg(locale.toString(seconds, 'f', 3));
}

std::uint32_t TickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace dm
