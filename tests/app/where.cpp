// Test helper: prints the program folder and the catalog path that the
// program would use if it were this executable.
#include "AppFolder.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = dm::programFolderOf(dm::executablePath());
    QTextStream(stdout) << folder << '\n' << dm::catalogPathFor(folder) << '\n';
    return 0;
}
