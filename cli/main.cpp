// dustmote-clean: the cleaning without a window (see CleanRun.h).

#include "AppFolder.h"
#include "CleanOptions.h"
#include "CleanRun.h"
#include "FindFile.h"
#include "Languages.h"

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_stop{false};

void askToStop(int)
{
    g_stop.store(true, std::memory_order_relaxed);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Dustmote"));
    dm::installLanguage(dm::chooseLanguage());
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    const dm::ParsedCleanOptions parsed = dm::ParseCleanOptions(args);
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "dustmote-clean: %s\n%s", qPrintable(parsed.error), qPrintable(dm::CleanUsageText()));
        return dm::kCleanUsage;
    }
    using Action = dm::CleanOptions::Action;
    if (parsed.options.action == Action::Help || parsed.options.action == Action::Version) {
        const QByteArray text = (parsed.options.action == Action::Help ? dm::CleanHelpText() : dm::CleanVersionText()).toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return dm::kCleanDone;
    }

    // Ctrl+C ends the clean after the current file; the counts and the way
    // back are stored as for a finished one.
    struct sigaction stop {};
    stop.sa_handler = askToStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);

    dm::TFindFile::RaiseOpenFileLimit();
    dm::CleanIo io;
    io.progress = ::isatty(STDERR_FILENO) == 1;
    winsize size {};
    if (io.progress && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        io.columns = size.ws_col;
    io.catalogPath = dm::catalogPathFor(dm::programFolderOf(dm::executablePath()));
    const int code = dm::RunClean(parsed.options, io, g_stop);
    std::fflush(stdout);
    return code;
}
