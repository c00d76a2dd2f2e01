#pragma once
// The command line of dustmote-clean: what the user asked for, or why the
// words given cannot be understood.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace dm {

struct CleanOptions
{
    enum class Action { Clean, ListTypes, Help, Version };
    Action action = Action::Clean;
    // The types named by --types, as given (names or numbers from
    // --list-types); empty for every type of the catalog ("all", the default).
    QStringList types;
    // --older-than; nullopt: the age limit the window keeps.
    std::optional<int> olderThanDays;
    bool preview = false;
    bool print0 = false;
    bool permanent = false;
    // The folders to clean, as the file system's bytes.
    QList<QByteArray> folders;
};

struct ParsedCleanOptions
{
    CleanOptions options;
    QString error; // not empty: the words cannot be understood (exit 2)
};

// args without the program's name.
ParsedCleanOptions ParseCleanOptions(const QList<QByteArray> &args);

// The texts of --help and --version, and the short usage told after an error.
QString CleanHelpText();
QString CleanVersionText();
QString CleanUsageText();

} // namespace dm
