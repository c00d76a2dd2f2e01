#include "CleanOptions.h"

#include "Preferences.h"

#include <QCoreApplication>
#include <QFile>

namespace dm {
namespace {

// "--name=value" or "--name value": the value, and how many words it took.
std::optional<QByteArray> valueOf(const QList<QByteArray> &args, qsizetype &i, const QByteArray &name)
{
    const QByteArray &word = args[i];
    if (word.startsWith(name + '='))
        return word.mid(name.size() + 1);
    if (word == name && i + 1 < args.size())
        return args[++i];
    return std::nullopt;
}

} // namespace

ParsedCleanOptions ParseCleanOptions(const QList<QByteArray> &args)
{
    ParsedCleanOptions parsed;
    CleanOptions &o = parsed.options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QByteArray &word = args[i];
        if (optionsEnded || !word.startsWith('-') || word == "-") {
            o.folders.append(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "-h" || word == "--help") {
            o.action = CleanOptions::Action::Help;
        } else if (word == "--version") {
            o.action = CleanOptions::Action::Version;
        } else if (word == "--list-types") {
            o.action = CleanOptions::Action::ListTypes;
        } else if (word == "--preview") {
            o.preview = true;
        } else if (word == "--print0") {
            o.print0 = true;
        } else if (word == "--permanent") {
            o.permanent = true;
        } else if (word == "--types" || word.startsWith("--types=")) {
            const std::optional<QByteArray> value = valueOf(args, i, "--types");
            if (!value || value->trimmed().isEmpty())
                return {{}, QCoreApplication::translate("Dustmote", "после --types нужны названия типов через запятую или all")};
            o.types.clear();
            for (const QString &name : QString::fromUtf8(*value).split(QLatin1Char(','), Qt::SkipEmptyParts))
                if (name.trimmed().compare(QLatin1String("all"), Qt::CaseInsensitive) != 0)
                    o.types.append(name.trimmed());
        } else if (word == "--older-than" || word.startsWith("--older-than=")) {
            const std::optional<QByteArray> value = valueOf(args, i, "--older-than");
            bool ok = false;
            const int days = value ? value->toInt(&ok) : 0;
            if (!ok || days < 0 || days > kMaxAgeLimitDays)
                return {{}, QCoreApplication::translate("Dustmote", "после --older-than нужно число дней от 0 до %1").arg(kMaxAgeLimitDays)};
            o.olderThanDays = days;
        } else {
            return {{}, QCoreApplication::translate("Dustmote", "неизвестный параметр «%1»").arg(QFile::decodeName(word))};
        }
    }
    if (o.action == CleanOptions::Action::Clean && o.folders.isEmpty())
        return {{}, QCoreApplication::translate("Dustmote", "не указана папка для чистки")};
    if (o.print0 && !o.preview)
        return {{}, QCoreApplication::translate("Dustmote", "--print0 действует только вместе с --preview")};
    return parsed;
}

QString CleanHelpText()
{
    return QCoreApplication::translate("Dustmote", "Использование: dustmote-clean [ПАРАМЕТР]... ПАПКА...\n"
              "Удаляет ненужные файлы в ПАПКАХ и всех папках под ними по списку типов\n"
              "файлов Dustmote, без окна: по умолчанию в Корзину, без файлов и папок из\n"
              "исключений и без самой Корзины.\n"
              "\n"
              "      --list-types       показать типы файлов из списка с их номерами и выйти\n"
              "      --types=ТИПЫ       чистить только эти типы: названия или номера через\n"
              "                         запятую; all — все типы списка (по умолчанию)\n"
              "      --older-than=ДНИ   только файлы старше стольких дней (0 — любые);\n"
              "                         по умолчанию — как «Только файлы старше» в окне\n"
              "      --preview          только показать, что будет удалено (путь и размер)\n"
              "                         и сколько всего; ничего не удалять\n"
              "      --print0           вместе с --preview: только пути, каждый с нулевым\n"
              "                         байтом в конце, для других программ\n"
              "      --permanent        удалять безвозвратно, не в Корзину\n"
              "  -h, --help             показать эту справку и выйти\n"
              "      --version          показать версию и выйти\n"
              "\n"
              "Удалённое в Корзину возвращает «Сервис → Вернуть удалённое» в окне Dustmote.\n"
              "Ctrl+C останавливает чистку после текущего файла.\n"
              "\n"
              "Коды выхода: 0 — готово; 1 — часть файлов удалить не удалось (они названы\n"
              "с причиной); 2 — ошибка в параметрах или списке типов; 130 — остановлено.\n");
}

QString CleanVersionText()
{
    return QStringLiteral("dustmote-clean " DUSTMOTE_VERSION "\n");
}

QString CleanUsageText()
{
    return QCoreApplication::translate("Dustmote", "Использование: dustmote-clean [ПАРАМЕТР]... ПАПКА...\n"
              "Подробнее: dustmote-clean --help\n");
}

} // namespace dm
