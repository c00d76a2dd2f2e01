// Benchmark harness: the shell folder tree filling a desktop folder of many
// subfolders (10,000 by default), then refreshing it. Reports the time from
// the start of each to its last folder read being shown, and the longest
// stall of the main thread meanwhile, taken by a 1 ms timer that records the
// gaps between its ticks.
//   dustmote-shelltree-fill [COUNT]

#include "DmShellTree.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

// The longest gap between ticks of a 1 ms timer since the last reset.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setInterval(1);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    void reset()
    {
        m_last = m_clock.nsecsElapsed();
        m_longest = 0;
    }
    double longestMs() const { return m_longest / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0, m_longest = 0;
};

// Runs the event loop until the tree's pending reads have ended, then on for
// another 200 ms so that laying out and painting the new rows are counted.
double runUntilFilled(TDmShellTree &tree, const std::function<void()> &start)
{
    QEventLoop loop;
    QElapsedTimer clock;
    double filled = 0;
    tree.OnFillComplete = [&](TDmShellTree *) {
        filled = clock.nsecsElapsed() / 1e6;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
    };
    clock.start();
    start();
    loop.exec();
    return filled;
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir home;
    const QString desktop = home.path() + QStringLiteral("/Desktop");
    for (int i = 0; i < count; ++i)
        QDir().mkpath(desktop + QStringLiteral("/папка %1").arg(i));
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TDmShellTree tree;
    tree.resize(400, 600);
    tree.show();
    StallProbe probe;
    const double fillMs = runUntilFilled(tree, [] {});  // the tree fills itself
    const double fillStall = probe.longestMs();
    const int rows = tree.ShellModel()->rowCount(tree.ShellModel()->rootIndex());

    probe.reset();
    const double refreshMs = runUntilFilled(tree, [&] { tree.RefreshTree(); });
    const double refreshStall = probe.longestMs();

    std::printf("subfolders %d, rows under the root %d\n", count, rows);
    std::printf("fill:    %.0f ms, longest main-thread stall %.1f ms\n", fillMs, fillStall);
    std::printf("refresh: %.0f ms, longest main-thread stall %.1f ms\n", refreshMs, refreshStall);
    return rows >= count ? 0 : 1;
}
