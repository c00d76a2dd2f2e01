// Benchmark of the program's main job through the real main window, headless:
//   dustmote-scanbench scan FOLDER "MASK;MASK;..."   scan, then sort and tick all
//   dustmote-scanbench delete FOLDER "MASK;..."      scan, tick all, delete
//   dustmote-scanbench trash FOLDER "MASK;..."       scan, tick all, delete to
//                                                   the trash, restore
//   dustmote-scanbench totrash FOLDER "MASK;..."     the same without the restore
// The folder is reached as the user's home, which the folder tree starts at.
// Prints one "name value" line per figure: wall times in ms, the longest gap
// between the main thread's 1 ms probe ticks while the scan runs, and resident
// memory growth per listed row.

#include "DmShellTree.h"
#include "FoundFiles.h"
#include "MessageBox.h"
#include "Sound.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
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

void report(const char *name, double value)
{
    std::printf("%s %.1f\n", name, value);
    std::fflush(stdout);
}

// The longest time the main thread went without serving its event loop.
class StallProbe : public QObject
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_since.restart());
        });
    }
    void start() { m_longest = 0; m_since.start(); m_timer.start(); }
    qint64 stop() { m_timer.stop(); return std::max(m_longest, m_since.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
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
        std::fprintf(stderr, "usage: %s scan|delete|trash|totrash FOLDER \"MASK;MASK;...\"\n", argv[0]);
        return 2;
    }
    const QByteArray mode = argv[1];
    QTemporaryDir settings;
    qputenv("HOME", argv[2]);
    // A folder of the caller's own keeps the statistics for it to read.
    const QByteArray config = qgetenv("DUSTMOTE_BENCH_CONFIG");
    qputenv("XDG_CONFIG_HOME", config.isEmpty() ? QFile::encodeName(settings.path()) : config);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dm::setMessageHandler([](const dm::MessageRequest &) { return QMessageBox::Yes; });
    dm::setSoundHandler([](const QString &) {});

    TForm1 form(settings.filePath("dustmote"));
    for (const QString &mask : QString::fromLocal8Bit(argv[3]).split(';'))
        form.catalog().appendRow({mask, {mask}, 0});
    form.ui->CheckBox1->setChecked(true);
    form.show();
    // The folder tree selects its root, the home folder, once it has filled.
    while (form.ui->DmShellTree1->SelectedPathName().isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    StallProbe probe;
    QElapsedTimer wall;
    double scanMs = 0;
    const auto finish = form.FindFile1->OnSearchFinish;
    form.FindFile1->OnSearchFinish = [&](dm::TFindFile *sender) {
        finish(sender);
        scanMs = double(wall.nsecsElapsed()) / 1e6;
    };
    const long before = residentBytes();
    probe.start();
    wall.start();
    form.ui->Action4->trigger();
    while (form.FindFile1->Searching())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 stall = probe.stop();
    const int rows = form.foundFiles().rowCount();
    report("rows", rows);
    report("scan_ms", scanMs);
    report("longest_stall_ms", double(stall));
    report("bytes_per_row", rows ? double(residentBytes() - before) / rows : 0.0);

    if (mode == "scan") {
        static const char *const names[] = {"sort_name_ms", "sort_folder_ms", "sort_size_ms", "sort_time_ms"};
        for (int column = 0; column < 4; ++column)
            report(names[column], timed([&] { form.ListView1ColumnClick(column); }));
        report("sort_time_descending_ms", timed([&] { form.ListView1ColumnClick(3); }));
        report("tick_all_ms", timed([&] {
            form.ui->CheckBox2->setChecked(true);
            QCoreApplication::processEvents();
        }));
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
