#pragma once
// The language the program speaks: its Russian texts, or their English
// translation where the desktop's language is neither Russian nor unset.
// Numbers and dates follow the language shown, so one screen never mixes two
// conventions.

#include <QByteArray>
#include <QLocale>
#include <functional>

namespace dm {

enum class Language { Russian, English };

// From the messages' locale (LANGUAGE, then LC_ALL, LC_MESSAGES, LANG, as
// the C library takes them): Russian for Russian, for the C and POSIX
// locales and when nothing is set; English for anything else.
Language chooseLanguage(const std::function<QByteArray(const char *)> &env = qgetenv);

// The locale numbers and dates are written in: the system's where it speaks
// the language shown, else that language's own.
QLocale numbersLocale(Language language, const QLocale &system = QLocale::system());

// Loads the translation (and Qt's own texts in Russian), and makes the
// numbers' locale the default. Returns false when the translation is
// missing. Call it again to switch (tests).
bool installLanguage(Language language);

} // namespace dm
