// Benchmark of the program's main job through the real main window, headless:
//   dustmote-scanbench scan FOLDER "MASK;MASK;..."   scan, then sort and tick all
//   dustmote-scanbench delete FOLDER "MASK;..."      scan, tick all, delete
//   dustmote-scanbench trash FOLDER "MASK;..."       scan, tick all, delete to
//                                                   the trash, restore
//   dustmote-scanbench totrash FOLDER "MASK;..."     the same without the restore
//   dustmote-scanbench restore FOLDER ""             only "Вернуть удалённое"
// The folder is reached as the user's home, which the folder tree starts at.
// Prints one "name value" line per figure: wall times in ms, the longest gap
// between the main thread's 1 ms probe ticks while the scan runs, the main
// thread's processor time during the scan (the window's own work), resident
// memory growth per listed row, and the peak (the kernel's VmHWM, sorts
// included) over the resident memory before the scan, per row. A sort is
// timed until its order is shown (a long list is sorted on a worker), beside
// the longest stall meanwhile; emptying is the stall of the next scan's start.

#include "DmShellTree.h"
#include "FindFile.h"
#include "FoundFiles.h"
#include "Memory.h"
#include "MessageBox.h"
#include "Sound.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

long residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

// The kernel's figure for the most memory the process ever held.
long peakBytes()
{
    long kb = 0;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1)
                break;
        std::fclose(f);
    }
    return kb * 1024;
}

void report(const char *name, double value)
{
    std::printf("%s %.2f\n", name, value);
    std::fflush(stdout);
}

double threadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The longest time the main thread went without serving its event loop, and
// the longest stretch of its own work between two ticks: on a busy machine
// the first also counts the waits for a processor.
class StallProbe : public QObject
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }
    void start()
    {
        m_longest = 0;
        m_longestCpu = 0;
        m_since.start();
        m_cpu = threadCpuMs();
        m_timer.start();
    }
    qint64 stop()
    {
        m_timer.stop();
        tick();
        return m_longest;
    }
    double longestCpu() const { return m_longestCpu; }

private:
    void tick()
    {
        m_longest = std::max(m_longest, m_since.restart());
        const double cpu = threadCpuMs();
        m_longestCpu = std::max(m_longestCpu, cpu - m_cpu);
        m_cpu = cpu;
    }
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
    double m_cpu = 0;
    double m_longestCpu = 0;
};

template <typename Step>
double timed(Step step)
{
    QElapsedTimer t;
    t.start();
    step();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s scan|delete|trash|totrash|restore FOLDER \"MASK;MASK;...\"\n", argv[0]);
        return 2;
    }
    const QByteArray mode = argv[1];
    QTemporaryDir settings;
    qputenv("HOME", argv[2]);
    // A folder of the caller's own keeps the statistics for it to read.
    const QByteArray config = qgetenv("DUSTMOTE_BENCH_CONFIG");
    qputenv("XDG_CONFIG_HOME", config.isEmpty() ? QFile::encodeName(settings.path()) : config);
    // Headless unless told otherwise (the real window under Xvfb: xcb).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does (NOTUNE=1: as the C library does by itself).
    if (!qEnvironmentVariableIsSet("NOTUNE"))
        dm::tuneAllocator();
    dm::TFindFile::RaiseOpenFileLimit();
    QApplication app(argc, argv);
    // Every box answered Yes, and told on stderr (what a restore reports).
    dm::setMessageHandler([](const dm::MessageRequest &box) {
        std::fprintf(stderr, "box: %s\n", qPrintable(box.text));
        return QMessageBox::Yes;
    });
    dm::setSoundHandler([](const QString &) {});

    TForm1 form(settings.filePath("dustmote"));
    for (const QString &mask : QString::fromLocal8Bit(argv[3]).split(';'))
        form.catalog().appendRow({mask, {mask}, 0});
    form.ui->CheckBox1->setChecked(true);
    form.show();
    // The folder tree selects its root, the home folder, once it has filled.
    while (form.ui->DmShellTree1->SelectedPathName().isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The window as the user sees it before a scan: mapped and painted (on
    // a display that takes a moment after the tree has filled).
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    if (mode == "restore") {
        report("restoring", 1);
        report("restore_ms", timed([&] {
            form.ActionRestore->trigger();
            while (form.busy())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }));
        form.close();
        return 0;
    }

    StallProbe probe;
    QElapsedTimer wall;
    double scanMs = 0, finishMs = 0;
    const auto finish = form.FindFile1->OnSearchFinish;
    form.FindFile1->OnSearchFinish = [&](dm::TFindFile *sender) {
        finishMs = timed([&] { finish(sender); });
        scanMs = double(wall.nsecsElapsed()) / 1e6;
    };
    // The longest insertion of a batch, the view's share included: the
    // window's own part of a stall, apart from waits for a busy machine.
    QElapsedTimer inserting;
    double longestInsert = 0;
    QObject::connect(&form.foundFiles(), &QAbstractItemModel::rowsAboutToBeInserted, [&] { inserting.start(); });
    QObject::connect(&form.foundFiles(), &QAbstractItemModel::rowsInserted,
                     [&] { longestInsert = std::max(longestInsert, double(inserting.nsecsElapsed()) / 1e6); });
    const long before = residentBytes();
    probe.start();
    const double cpuBefore = threadCpuMs();
    wall.start();
    form.ui->Action4->trigger();
    // The start (the statistics stored, the list emptied) apart from the
    // walk's hand-offs that follow.
    const qint64 startStall = probe.stop();
    probe.start();
    while (form.FindFile1->Searching())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 stall = probe.stop();
    // The window's own work during the scan: the main thread's processor time.
    const double ownMs = threadCpuMs() - cpuBefore;
    const int rows = form.foundFiles().rowCount();
    report("rows", rows);
    report("scan_ms", scanMs);
    report("first_start_ms", double(startStall));
    report("finish_ms", finishMs);
    report("longest_stall_ms", double(stall));
    report("longest_stall_cpu_ms", probe.longestCpu());
    report("longest_insert_ms", longestInsert);
    report("own_work_ms", ownMs);
    report("bytes_per_row", rows ? double(residentBytes() - before) / rows : 0.0);
    report("peak_scan_bytes_per_row", rows ? double(peakBytes() - before) / rows : 0.0);

    if (mode == "scan") {
        // Name, folder, size, time, each clicked twice: both directions.
        static const char *const names[] = {"name", "folder", "size", "time"};
        for (int column = 0; column < 4; ++column) {
            for (const char *direction : {"", "_descending"}) {
                probe.start();
                const double ms = timed([&] {
                    form.ListView1ColumnClick(column);
                    while (form.foundFiles().sorting())
                        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                });
                const QByteArray key = QByteArray("sort_") + names[column] + direction;
                report((key + "_ms").constData(), ms);
                report((key + "_stall_ms").constData(), double(probe.stop()));
                report((key + "_stall_cpu_ms").constData(), probe.longestCpu());
                // Which sort sets the peak.
                report((key + "_peak_bytes_per_row").constData(),
                       rows ? double(peakBytes() - before) / rows : 0.0);
            }
        }
        report("tick_all_ms", timed([&] {
            form.ui->CheckBox2->setChecked(true);
            QCoreApplication::processEvents();
        }));
        report("peak_bytes_per_row", rows ? double(peakBytes() - before) / rows : 0.0);
        // The next scan empties the list first: the emptying itself (the
        // model and the view's reset) and the whole start of the scan.
        QElapsedTimer emptying;
        double emptyMs = 0;
        QObject::connect(&form.foundFiles(), &QAbstractItemModel::modelAboutToBeReset, [&] { emptying.start(); });
        QObject::connect(&form.foundFiles(), &QAbstractItemModel::modelReset,
                         [&] { emptyMs = std::max(emptyMs, double(emptying.nsecsElapsed()) / 1e6); });
        probe.start();
        form.ui->Action4->trigger();
        QCoreApplication::processEvents();
        report("scan_start_stall_ms", double(probe.stop()));
        report("scan_start_stall_cpu_ms", probe.longestCpu());
        report("empty_ms", emptyMs);
        form.ui->Action5->trigger();
        while (form.FindFile1->Searching())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // A scan of an empty folder leaves the list empty: what the program
        // still holds then, against what it held before the first scan.
        QTemporaryDir empty;
        bool chosen = false;
        form.ui->DmShellTree1->SelectPath(QFile::encodeName(empty.path()), [&](bool found) { chosen = found; });
        while (!chosen)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        form.ui->Action4->trigger();
        while (form.FindFile1->Searching())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        report("rows_after_empty", form.foundFiles().rowCount());
        report("resident_after_empty_mb", double(residentBytes()) / 1048576);
        report("resident_before_mb", double(before) / 1048576);
        report("resident_after_empty_ratio", double(residentBytes()) / double(before));
    } else {
        // The deletion and the restore run on a worker; the window is timed
        // until it is idle again, its stalls measured meanwhile.
        const auto untilIdle = [&] {
            while (form.busy())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        };
        form.ui->CheckBox2->setChecked(true);
        form.ActionTrash->setChecked(mode != "delete");
        probe.start();
        report("delete_ms", timed([&] { form.BitBtn1Click(); untilIdle(); }));
        report("delete_stall_ms", double(probe.stop()));
        report("rows_left", form.foundFiles().rowCount());
        if (mode == "trash") {
            probe.start();
            report("restore_ms", timed([&] { form.ActionRestore->trigger(); untilIdle(); }));
            report("restore_stall_ms", double(probe.stop()));
        }
    }
    form.close();
    return 0;
}
