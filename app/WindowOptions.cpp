#include "WindowOptions.h"

#include <QCoreApplication>
#include <QFile>

namespace dm {

WindowOptions ParseWindowOptions(const QList<QByteArray> &args)
{
    WindowOptions o;
    bool optionsEnded = false;
    for (const QByteArray &word : args) {
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (word == "-h" || word == "--help")) {
            o.action = WindowOptions::Action::Help;
        } else if (!optionsEnded && word == "--version") {
            if (o.action != WindowOptions::Action::Help)
                o.action = WindowOptions::Action::Version;
        } else if (!optionsEnded && word.startsWith('-') && word != "-") {
            return {WindowOptions::Action::Usage, {},
                    QCoreApplication::translate("Dustmote", "неизвестный параметр «%1»").arg(QFile::decodeName(word))};
        } else if (!o.folder.isEmpty()) {
            return {WindowOptions::Action::Usage, {},
                    QCoreApplication::translate("Dustmote", "папка может быть только одна")};
        } else {
            o.folder = word;
        }
    }
    return o;
}

QString WindowHelpText()
{
    return QCoreApplication::translate("Dustmote",
                                       "Использование: dustmote [ПАРАМЕТР]... [ПАПКА]\n"
                                       "Ищет ненужные файлы по списку типов и удаляет отмеченные. ПАПКА сразу\n"
                                       "выбирается в дереве папок.\n"
                                       "\n"
                                       "  -h, --help     показать эту справку и выйти\n"
                                       "      --version  показать версию и выйти\n"
                                       "\n"
                                       "Чистка без окна: dustmote-clean --help\n");
}

QString WindowVersionText()
{
    return QStringLiteral("dustmote " DUSTMOTE_VERSION "\n");
}

QString WindowUsageText()
{
    return QCoreApplication::translate("Dustmote", "Использование: dustmote [ПАРАМЕТР]... [ПАПКА]\n"
                                                   "Подробнее: dustmote --help\n");
}

} // namespace dm
