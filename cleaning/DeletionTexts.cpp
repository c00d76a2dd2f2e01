#include "DeletionTexts.h"

#include <QCoreApplication>
#include <QLocale>

namespace dm {
namespace {

QString where(bool toTrash)
{
    return toTrash ? QCoreApplication::translate("Dustmote", "в Корзину")
                   : QCoreApplication::translate("Dustmote", "безвозвратно");
}

} // namespace

QString DeletionNote(std::uint64_t files, std::uint64_t kiloBytes, bool toTrash)
{
    const QLocale locale;
    return QCoreApplication::translate("Dustmote", "Будет удалено файлов: %1 (%2 KB) — %3.")
        .arg(locale.toString(qulonglong(files)), locale.toString(qulonglong(kiloBytes)), where(toTrash));
}

QString DeletionOutcome(std::uint64_t removed, std::uint64_t failed, bool toTrash,
                        std::optional<std::uint64_t> kiloBytes)
{
    const QLocale locale;
    QString text = kiloBytes ? QCoreApplication::translate("Dustmote", "Удалено файлов: %1 (%2 KB) — %3.")
                                   .arg(locale.toString(qulonglong(removed)),
                                        locale.toString(qulonglong(*kiloBytes)), where(toTrash))
                             : QCoreApplication::translate("Dustmote", "Удалено файлов: %1 — %2.")
                                   .arg(locale.toString(qulonglong(removed)), where(toTrash));
    if (failed > 0)
        text += QLatin1Char(' ')
            + QCoreApplication::translate("Dustmote", "Не удалось удалить файлов: %1.")
                  .arg(locale.toString(qulonglong(failed)));
    return text;
}

} // namespace dm
