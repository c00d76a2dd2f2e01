#include "Languages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace dm {
namespace {

bool russianOrUnset(const QByteArray &locale)
{
    return locale.isEmpty() || locale == "C" || locale.startsWith("C.") || locale == "POSIX"
        || locale.startsWith("ru");
}

QPointer<QTranslator> &installed(int which)
{
    static QPointer<QTranslator> translators[2];
    return translators[which];
}

void replaceTranslator(int which, const QString &file, const QString &folder)
{
    if (QTranslator *old = installed(which)) {
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    if (file.isEmpty())
        return;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file, folder)) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    installed(which) = translator;
}

} // namespace

Language chooseLanguage(const std::function<QByteArray(const char *)> &env)
{
    QByteArray messages = env("LC_ALL");
    if (messages.isEmpty())
        messages = env("LC_MESSAGES");
    if (messages.isEmpty())
        messages = env("LANG");
    // The C library heeds LANGUAGE's list only where a locale is set.
    const QByteArray list = env("LANGUAGE");
    if (!list.isEmpty() && !messages.isEmpty() && messages != "C" && messages != "POSIX"
        && !messages.startsWith("C."))
        messages = list.split(':').first();
    return russianOrUnset(messages) ? Language::Russian : Language::English;
}

QLocale numbersLocale(Language language, const QLocale &system)
{
    const QLocale::Language wanted = language == Language::Russian ? QLocale::Russian : QLocale::English;
    if (system.language() == wanted)
        return system;
    return language == Language::Russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                         : QLocale(QLocale::English, QLocale::UnitedStates);
}

bool installLanguage(Language language)
{
    QLocale::setDefault(numbersLocale(language));
    const bool russian = language == Language::Russian;
    replaceTranslator(0, russian ? QStringLiteral("qtbase_ru") : QString(),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    replaceTranslator(1, russian ? QString() : QStringLiteral("dustmote_en"), QStringLiteral(":/i18n"));
    return russian || installed(1);
}

} // namespace dm
