// Benchmark of what a scan offers, through the real main window, headless:
//   dustmote-offerbench FOLDER "MASK;MASK;..." KEPT_FOLDER
// FOLDER is reached as the user's home. Prints "name value" lines:
//  - scans with every mask a type of its own, with all masks one type (what
//    deciding each file's type costs), and with a keep list of 1,000 entries
//    (KEPT_FOLDER, 499 other folders, 500 listed files) and an age limit of
//    30 days; each with its rows and the folders read;
//  - on 100,000 rows of nine types: tick all, untick all, a type's tick-all,
//    a switch of the narrowed list between two types and back to all, each
//    until the window has served its events; the ticked total counted again
//    on 1,000,000 rows.

#include "DmShellTree.h"
#include "FoundFiles.h"
#include "KeepList.h"
#include "MessageBox.h"
#include "ScanOffer.h"
#include "Sound.h"
#include "TypeTotals.h"
#include "TypesPage.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void report(const char *name, double value)
{
    std::printf("%s %.1f\n", name, value);
    std::fflush(stdout);
}

template <typename Step>
double timed(Step step)
{
    QElapsedTimer t;
    t.start();
    step();
    QCoreApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

void setTypes(TForm1 &form, const QList<QStringList> &types)
{
    while (form.catalog().rowCount() > 0)
        delete form.ui->DmListView1->topLevelItem(0);
    for (const QStringList &masks : types)
        form.catalog().appendRow({masks.join(u';'), {masks.join(u';')}, 0});
    form.ui->CheckBox1->setChecked(false);
    form.ui->CheckBox1->setChecked(true);
}

double scan(TForm1 &form, const char *name)
{
    const double ms = timed([&] {
        form.ui->Action4->trigger();
        while (form.FindFile1->Searching())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    std::printf("%s_ms %.1f\n%s_rows %d\n%s_folders %d\n", name, ms, name, form.foundFiles().rowCount(),
                name, form.FolderCount);
    std::fflush(stdout);
    return ms;
}

// count rows of nine types in 1,000 folders, the folders added with them
// when withFolders.
void appendSynthetic(dm::FoundFilesModel &model, int count, bool withFolders)
{
    dm::FoundBatch batch;
    for (int i = 0; withFolders && i < 1000; ++i)
        batch.addFolder("/home/u/folder" + std::to_string(i) + '/');
    for (int i = 0; i < count; ++i)
        batch.addRow("f" + std::to_string(i) + ".tmp", std::uint32_t(i % 1000),
                     {.size = quint64(i % 5000), .modified = i}, std::uint16_t(i % 9));
    model.append(batch);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER \"MASK;MASK;...\" KEPT_FOLDER\n", argv[0]);
        return 2;
    }
    QTemporaryDir settings;
    qputenv("HOME", argv[1]);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(settings.filePath("data")));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    dm::setMessageHandler([](const dm::MessageRequest &) { return QMessageBox::Yes; });
    dm::setSoundHandler([](const QString &) {});

    TForm1 form(settings.filePath("dustmote"));
    form.show();
    while (form.ui->DmShellTree1->SelectedPathName().isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const QStringList masks = QString::fromLocal8Bit(argv[2]).split(u';');
    QList<QStringList> perMask;
    for (const QString &m : masks)
        perMask.append({m});

    // The same scan, the type of each file decided or not.
    setTypes(form, {masks});
    const double oneType = scan(form, "one_type");
    setTypes(form, perMask);
    const double types = scan(form, "types");
    report("types_over_one_type", types / oneType);
    // What the worker spends deciding types, alone: the same matcher over
    // every listed name.
    {
        dm::TypeMatcher matcher(perMask);
        std::vector<std::pair<std::string, std::string>> files;
        for (int row = 0; row < form.foundFiles().rowCount(); ++row)
            files.emplace_back(form.foundFiles().folderBytes(row).toStdString(),
                               form.foundFiles().nameBytes(row).toStdString());
        unsigned sum = 0;
        const double ms = timed([&] {
            for (const auto &[folder, name] : files)
                sum += matcher.typeOf(folder, name);
        });
        report("type_decisions_ms", ms);
        report("type_decisions_percent_of_scan", 100.0 * ms / types);
        std::fprintf(stderr, "%u\n", sum);
    }

    // A keep list of 1,000 entries and an age limit against neither.
    dm::KeepList kept;
    kept.add({QByteArray(argv[3]), true});
    for (int i = 0; kept.items().size() < 500; ++i)
        kept.add({QByteArray(argv[1]) + "/d" + QByteArray::number(10 + i % 40) + "/m0"
                      + QByteArray::number(10 + i / 40 % 30) + "/l" + QByteArray::number(10 + i % 15),
                  true});
    for (int row = 0; kept.items().size() < 1000 && row < form.foundFiles().rowCount(); row += 37)
        kept.add({form.foundFiles().folderBytes(row) + form.foundFiles().nameBytes(row), false});
    report("keep_entries", double(kept.items().size()));
    setTypes(form, perMask);
    form.SpinAge->setValue(0);
    const double plain = scan(form, "plain");
    // 1,000 entries that keep nothing here: the lookups alone.
    dm::KeepList absent;
    for (int i = 0; absent.items().size() < 1000; ++i)
        absent.add({QByteArray(argv[1]) + "/absent/" + QByteArray::number(i) + (i % 2 ? ".tmp" : ""), i % 2 == 0});
    absent.save();
    setTypes(form, perMask);
    const double lookups = scan(form, "kept_absent");
    report("kept_absent_over_plain", lookups / plain);
    // The worker's keep lookups timed alone: every folder read, every file found.
    {
        dm::KeepFilter filter(kept, argv[1]);
        std::vector<std::pair<std::string, std::string>> found;
        for (int row = 0; row < form.foundFiles().rowCount(); ++row)
            found.emplace_back(form.foundFiles().folderBytes(row).toStdString(),
                               form.foundFiles().nameBytes(row).toStdString());
        unsigned hits = 0;
        const double ms = timed([&] {
            for (std::size_t i = 0; i < found.size(); ++i) {
                if (i == 0 || found[i].first != found[i - 1].first)
                    hits += filter.skipsFolder(found[i].first);
                hits += filter.skipsFile(found[i].first, found[i].second);
            }
        });
        report("keep_lookups_ms", ms);
        report("keep_lookups_percent_of_scan", 100.0 * ms / plain);
        std::fprintf(stderr, "%u\n", hits);
    }
    // Long keep lists read at a scan's start: the first read after a change
    // (linear in the entries), then a start with the list unchanged.
    for (const int entries : {10000, 30000, 60000}) {
        QByteArray text = "Dustmote keep list 1\n";
        for (int i = 0; i < entries; ++i)
            text += (i % 2 ? "F " : "D ") + QByteArray(argv[1]) + "/long/" + QByteArray::number(i) + (i % 2 ? "" : "/") + '\n';
        QFile file(dm::KeepList::file());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
            return 1;
        file.close();
        std::size_t loaded = 0;
        const QByteArray key = "keep_load_" + QByteArray::number(entries);
        report((key + "_ms").constData(), timed([&] { loaded = dm::KeepList::load().items().size(); }));
        report((key + "_again_ms").constData(), timed([&] { loaded += dm::KeepList::load().items().size(); }));
        std::fprintf(stderr, "%zu\n", loaded);
    }
    if (!kept.save())
        std::fprintf(stderr, "the keep list could not be stored\n");
    setTypes(form, perMask);
    form.SpinAge->setValue(30);
    const double offered = scan(form, "kept_and_aged");
    report("kept_and_aged_over_plain", offered / plain);
    int underKept = 0;
    for (int row = 0; row < form.foundFiles().rowCount(); ++row)
        underKept += form.foundFiles().folderBytes(row).startsWith(argv[3]);
    report("rows_under_kept_folder", underKept);

    // 100,000 rows of nine types.
    form.foundFiles().reset();
    form.TypesPage->totals().setTypes({"1", "2", "3", "4", "5", "6", "7", "8", "9"});
    appendSynthetic(form.foundFiles(), 100'000, true);
    form.ui->DmPageControl1->setCurrentIndex(2);
    QCoreApplication::processEvents();
    report("tick_all_ms", timed([&] { form.ui->CheckBox2->setChecked(true); }));
    report("untick_all_ms", timed([&] { form.ui->CheckBox2->setChecked(false); }));
    form.ui->DmPageControl1->setCurrentIndex(form.typesPageIndex());
    QCoreApplication::processEvents();
    QTableView *bars = form.TypesPage->bars();
    report("filter_switch_ms", timed([&] { bars->setCurrentIndex(form.TypesPage->totals().index(0, 0)); }));
    report("filter_switch_again_ms", timed([&] { bars->setCurrentIndex(form.TypesPage->totals().index(1, 0)); }));
    report("filter_all_ms", timed([&] { bars->setCurrentIndex(form.TypesPage->totals().index(9, 0)); }));
    bars->setCurrentIndex(form.TypesPage->totals().index(0, 0));
    QCoreApplication::processEvents();
    report("type_tick_all_ms", timed([&] { form.TypesPage->tickAll()->click(); }));
    report("narrowed_rows", form.TypesPage->filter().rowCount());
    report("tick_all_narrowed_ms", timed([&] { form.ui->CheckBox2->setChecked(true); }));
    std::printf("ticked_text %s\n", qPrintable(form.LabelTicked->text()));

    // The ticked total at a million rows.
    appendSynthetic(form.foundFiles(), 900'000, false);
    form.foundFiles().setAllChecked(true);
    dm::TickedTotal ticked(&form.foundFiles());
    report("ticked_recount_1m_ms", timed([&] { ticked.recount(); }));
    report("tick_all_1m_ms", timed([&] { form.ui->CheckBox2->setChecked(false); }));
    form.close();
    return 0;
}
