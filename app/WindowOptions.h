#pragma once
// The window program's command line: --help and --version are answered
// without a display; an unknown option is a usage error; a folder is chosen
// in the folder tree once the window shows.

#include <QByteArray>
#include <QList>
#include <QString>

namespace dm {

struct WindowOptions
{
    enum class Action { Open, Help, Version, Usage };
    Action action = Action::Open;
    QByteArray folder; // empty: the tree's own choice
    QString error;     // Usage: why
};

// args without the program's name.
WindowOptions ParseWindowOptions(const QList<QByteArray> &args);

QString WindowHelpText();
QString WindowVersionText();
QString WindowUsageText();

// Exit codes: what a usage error returns, as the command-line cleaner does.
inline constexpr int kWindowUsageExit = 2;

} // namespace dm
