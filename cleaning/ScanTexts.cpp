#include "ScanTexts.h"

#include "ListSyntax.h"
#include "PlaceMask.h"

#include <QFile>
#include <QLocale>
#include <chrono>
#include <QCoreApplication>

namespace dm {

QStringList SplitMaskText(const QString &text)
{
    QStringList masks;
    qsizetype start = 0;
    auto take = [&](qsizetype end) {
        const QString mask = text.mid(start, end - start).trimmed();
        if (!mask.isEmpty())
            masks.append(mask);
        start = end + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u';') {
            take(i);
        } else if (text[i] == u',' && i + 1 < text.size()) {
            // "*,v" names files ending in ",v": a comma separates only
            // before a blank or before what can only begin a mask.
            const QChar next = text[i + 1];
            if (next.isSpace() || next == u'*' || next == u'?' || next == u'.')
                take(i);
        }
    }
    take(text.size());
    return masks;
}

QString BuildMaskList(const QList<QStringList> &tickedRows)
{
    QString list;
    for (const QStringList &subItems : tickedRows)
        for (const QString &text : subItems)
            for (const QString &mask : SplitMaskText(text))
                list += QLatin1Char(' ') + mask + QLatin1Char(';');
    return list;
}

std::vector<std::string> ScanTargets(const std::string &folder, const std::string &maskList)
{
    std::vector<std::string> lines;
    if (folder.empty())
        return lines;
    std::string base = ">" + folder;
    if (base.back() != '/')
        base += '/';
    bool places = false;
    for (const std::string &mask : SplitEntries(maskList)) {
        // A mask with "/" names a place, which must not become a folder to
        // search: the engine takes it through its place list.
        if (!PlaceMask::isPlace(mask))
            lines.push_back(base + mask);
        else
            places = true;
    }
    // Place masks alone still need the folder: with an empty name mask, which
    // matches nothing itself.
    if (lines.empty() && places)
        lines.push_back(base);
    return lines;
}

std::vector<std::string> ScanPlaces(const std::string &maskList)
{
    std::vector<std::string> places;
    for (const std::string &mask : SplitEntries(maskList))
        if (PlaceMask::isPlace(mask))
            places.push_back(mask);
    return places;
}

QString PlaceMaskProblem(const QString &maskText)
{
    for (const QString &mask : SplitMaskText(maskText)) {
        const QByteArray bytes = QFile::encodeName(mask);
        if (!PlaceMask::isPlace(bytes.toStdString()))
            continue;
        switch (PlaceMask(bytes.toStdString()).fault()) {
        case PlaceMask::Fault::None:
            continue;
        case PlaceMask::Fault::EmptyComponent:
            return QCoreApplication::translate("Dustmote", "В маске «%1» пустое имя папки (две «/» подряд или «/» в начале): такая маска ничего не найдёт.").arg(mask);
        case PlaceMask::Fault::NoName:
            return QCoreApplication::translate("Dustmote", "Маска «%1» кончается на «/»: после последней «/» должна стоять маска имени файла, например «*».").arg(mask);
        case PlaceMask::Fault::DotComponent:
            return QCoreApplication::translate("Dustmote", "В маске «%1» есть папка «.» или «..»: папок с такими именами при поиске не бывает, маска ничего не найдёт.").arg(mask);
        case PlaceMask::Fault::TooDeep:
            return QCoreApplication::translate("Dustmote", "В маске «%1» больше %2 папок: такая маска ничего не найдёт.")
                .arg(mask)
                .arg(PlaceMask::kMaxComponents);
        }
    }
    return {};
}

QString TotalText(std::optional<std::uint64_t> kiloBytes)
{
    QString text = QCoreApplication::translate("Dustmote", "Файлы занимают: ");
    if (kiloBytes)
        text += QString::number(*kiloBytes) + QStringLiteral("KB");
    return text;
}

QString ScanSummary(int folders, int files, double seconds)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return QCoreApplication::translate("Dustmote", "%1 Папок(ки) просканировано и %2 файлов(ла) найдено - %3 за секунд(ды)")
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
