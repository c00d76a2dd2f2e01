#include "CleanRun.h"

#include "CatalogRows.h"
#include "CleanProgress.h"
#include "CleanScan.h"
#include "DateTime.h"
#include "DeletionPass.h"
#include "DeletionTexts.h"
#include "ErrorTexts.h"
#include "Exception.h"
#include "FindFile.h"
#include "Preferences.h"
#include "Statistics.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unordered_set>

namespace dm {

void say(std::FILE *f, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
}

void sayLine(std::FILE *f, const QString &text)
{
    say(f, text + QLatin1Char('\n'));
}

namespace {

void tellError(const CleanIo &io, const QString &text)
{
    sayLine(io.err, QStringLiteral("dustmote-clean: ") + text);
}

// The folders as the walk must name them: real paths, so that the deletion,
// which never follows a link, reaches their files again. nullopt after
// telling which one is not a folder.
std::optional<QList<QByteArray>> realFolders(const CleanOptions &options, const CleanIo &io)
{
    QList<QByteArray> real;
    for (const QByteArray &folder : options.folders) {
        char buffer[PATH_MAX];
        struct stat st {};
        if (!::realpath(folder.constData(), buffer) || ::stat(buffer, &st) != 0 || !S_ISDIR(st.st_mode)) {
            tellError(io, QCoreApplication::translate("Dustmote", "«%1» — не папка или не найдена").arg(QFile::decodeName(folder)));
            return std::nullopt;
        }
        real.append(QByteArray(buffer));
    }
    return real;
}

struct Found
{
    std::vector<DeletionTarget> targets;
    std::uint64_t kiloBytes = 0; // each file's rounded up, as the window counts
    bool stopped = false;
};

Found scan(const QList<QStringList> &ticked, const QList<QByteArray> &folders, int ageDays,
           const CleanIo &io, const std::atomic<bool> &stop)
{
    Found found;
    CleanProgress progress(io);
    std::unordered_set<std::string> seen; // overlapping folders list a file once
    std::uint32_t folderCount = 0;
    TFindFile finder;
    ScanExclusions exclusions;
    finder.OnFolderChange = [&](TFindFile *engine, const std::string &folder, TFolderIgnore &ignore) {
        if (stop.load(std::memory_order_relaxed)) {
            engine->AbortSearch();
            ignore = fiThisAndSubfolders;
            return;
        }
        if (exclusions.skipsFolder(folder)) {
            ignore = fiThisAndSubfolders;
            return;
        }
        ++folderCount;
        progress.scanning(folderCount, found.targets.size(), found.kiloBytes, folder);
    };
    finder.OnFileMatch = [&](TFindFile *, const std::string &folder, const TSearchRec &info) {
        if (exclusions.skipsFile(folder, info.Name) || !seen.insert(folder + info.Name).second)
            return;
        found.targets.push_back({QByteArray::fromStdString(folder), QByteArray::fromStdString(info.Name),
                                 FileVersion::of(info.FindData)});
        found.kiloBytes += KiloBytes(info.FindData.FileSize);
    };
    const QDateTime now = QDateTime::currentDateTime();
    for (const QByteArray &folder : folders) {
        SetCleanCriteria(finder.Criteria(), ticked, folder, ageDays, now);
        exclusions = ScanExclusions::forScan(folder);
        finder.StartSearch();
        if (stop.load(std::memory_order_relaxed))
            break;
    }
    progress.clear();
    found.stopped = stop.load(std::memory_order_relaxed);
    return found;
}

int preview(const Found &found, const CleanOptions &options, const CleanIo &io)
{
    const QLocale locale;
    for (const DeletionTarget &t : found.targets) {
        const QByteArray path = t.folder + t.name;
        if (options.print0) {
            std::fwrite(path.constData(), 1, size_t(path.size()) + 1, io.out); // with its '\0'
            continue;
        }
        std::fwrite(path.constData(), 1, size_t(path.size()), io.out);
        say(io.out, QStringLiteral("\t%1 KB\n").arg(locale.toString(qulonglong(KiloBytes(t.version.size)))));
    }
    // Scripts read the paths; the total goes where people look.
    sayLine(options.print0 ? io.err : io.out,
            DeletionNote(found.targets.size(), found.kiloBytes, !options.permanent));
    return kCleanDone;
}

int clean(Found found, const CleanOptions &options, const CleanIo &io, const std::atomic<bool> &stop)
{
    const bool toTrash = !options.permanent;
    if (found.targets.empty()) {
        sayLine(io.out, QCoreApplication::translate("Dustmote", "Ненужных файлов не найдено."));
        return kCleanDone;
    }
    std::unique_ptr<DeletionCounter> counter;
    try {
        counter = std::make_unique<DeletionCounter>();
    } catch (const Exception &e) {
        tellError(io, e.message());
        return kCleanSomeFailed;
    }
    // The count is stored as the pass goes: a killed clean loses only the
    // files of the store in flight.
    auto checkpoint = [c = counter.get(), counted = std::size_t(0)](std::size_t removed) mutable {
        c->add(std::uint32_t(removed - counted));
        counted = removed;
        try {
            c->write();
        } catch (const Exception &) {
            // Told once below, where it is stored again.
        }
    };
    // The folders are real paths: the pass reaches them from "/" without
    // following a link.
    DeletionPass pass(ScanRoot{}, std::move(found.targets),
                      toTrash ? DeletionPass::Mode::ToTrash : DeletionPass::Mode::Permanent, checkpoint);
    CleanProgress progress(io);
    pass.start();
    while (!pass.finished()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (stop.load(std::memory_order_relaxed))
            pass.stop();
        const std::size_t done = pass.done();
        progress.deleting(done, pass.targets().size(), done ? pass.targets()[done - 1].folder : QByteArray());
    }
    progress.clear();

    std::uint64_t freed = 0; // KB
    std::vector<bool> failed(pass.targets().size());
    for (const DeletionPass::Failure &f : pass.failures()) {
        failed[f.target] = true;
        const DeletionTarget &t = pass.targets()[f.target];
        tellError(io, QFile::decodeName(t.folder + t.name) + QStringLiteral(": ") + systemErrorText(f.error));
    }
    for (std::size_t i = 0; i < pass.done() && i < failed.size(); ++i)
        if (!failed[i])
            freed += KiloBytes(pass.targets()[i].version.size);
    if (!pass.recordKept())
        tellError(io, QCoreApplication::translate("Dustmote", "Не удалось сохранить список файлов, удалённых в Корзину: "
                         "вернуть их можно будет только из Корзины"));
    try {
        counter->write();
        // What the window's schedule menu tells of the last clean without it.
        WriteLastClean({Now(), std::int32_t(std::min<std::size_t>(pass.removed(), INT32_MAX)), std::int64_t(freed)});
    } catch (const Exception &e) {
        tellError(io, e.message());
    }
    sayLine(io.out, DeletionOutcome(pass.removed(), pass.failures().size(), toTrash, freed));
    if (pass.stopRequested() && pass.done() < pass.targets().size()) {
        sayLine(io.err, QCoreApplication::translate("Dustmote", "Остановлено: остальные файлы не тронуты."));
        return kCleanStopped;
    }
    return pass.failures().empty() ? kCleanDone : kCleanSomeFailed;
}

} // namespace

int RunClean(const CleanOptions &options, const CleanIo &io, const std::atomic<bool> &stop)
{
    CatalogRows catalog(io.err);
    if (!catalog.load(io.catalogPath))
        return kCleanUsage;
    if (options.action == CleanOptions::Action::ListTypes) {
        for (int i = 0; i < catalog.rowCount(); ++i)
            sayLine(io.out, catalog.describe(i));
        return kCleanDone;
    }
    const std::optional<QList<QStringList>> ticked = catalog.masksOf(options.types);
    if (!ticked)
        return kCleanUsage;
    const std::optional<QList<QByteArray>> folders = realFolders(options, io);
    if (!folders)
        return kCleanUsage;
    const int ageDays = options.olderThanDays.value_or(ReadAgeLimitDays());

    try {
        CountScan(Now());
    } catch (const Exception &e) {
        // A count that cannot be stored must not stop a clean.
        tellError(io, e.message());
    }
    Found found = scan(*ticked, *folders, ageDays, io, stop);
    if (found.stopped) {
        sayLine(io.err, QCoreApplication::translate("Dustmote", "Остановлено: ничего не удалено."));
        return kCleanStopped;
    }
    if (options.preview)
        return preview(found, options, io);
    return clean(std::move(found), options, io, stop);
}

} // namespace dm
