// The scan: starting and stopping it, the engine's four events, and the
// hand-off of the worker's effects to the window.
//
// The folder and match handlers run on the engine's worker. They change only
// FolderCount and TotalKB and record their effects in the feed; a timer on
// the main thread applies what was recorded as one batch, and the finish
// handler applies the rest before anything else, so every row of a scan is in
// the list when the summary counts them.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "DmGroupBar.h"
#include "DmShellTree.h"
#include "DmTray.h"
#include "ErrorBox.h"
#include "Exception.h"
#include "FoundFiles.h"
#include "Memory.h"
#include "ScanTexts.h"
#include "SearchAnimation.h"
#include "Sound.h"
#include "Statistics.h"

#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QProgressBar>
#include <QSpinBox>
#include <exception>
#include <new>
#include <utility>
#include <QCoreApplication>

namespace {

// Often enough that the list grows smoothly, seldom enough that a fast walk
// hands over thousands of rows per batch.
constexpr int kFeedIntervalMs = 40;

} // namespace

void TForm1::buildScan()
{
    FindFile1->OnSearchBegin = [this](dm::TFindFile *) { FindFile1SearchBegin(); };
    FindFile1->OnFolderChange = [this](dm::TFindFile *, const std::string &folder,
                                       dm::TFolderIgnore &ignore) {
        FindFile1FolderChange(folder, ignore);
    };
    FindFile1->OnFileMatch = [this](dm::TFindFile *, const std::string &folder,
                                    const dm::TSearchRec &info) { FindFile1FileMatch(folder, info); };
    // The engine keeps exceptions from crossing the event loop by dropping
    // them; the window shows them instead.
    FindFile1->OnSearchFinish = [this](dm::TFindFile *) {
        dm::runGuarded([this] { FindFile1SearchFinish(); });
    };
    m_feedTimer.setInterval(kFeedIntervalMs);
    connect(&m_feedTimer, &QTimer::timeout, this, dm::guarded([this] { feedTimerTimer(); }));
}

void TForm1::setScanning(bool scanning)
{
    m_scanActive = scanning;
    updateActions();
    if (scanning)
        Animate1->Play();
    else
        Animate1->Stop();
}

void TForm1::Action4Execute()
{
    // A scan empties the list: never under a deletion or a restore.
    if (busy())
        return;
    const dm::TDateTime start = dm::Now();
    TotalKB = 0;
    // The cleaner is needed most on a full disk: a count that cannot be
    // stored is told once and the scan goes on. A stored value of the wrong
    // type still stops it.
    try {
        dm::CountScan(start);
    } catch (const dm::EWriteError &e) {
        tellStatisticsNotStored(e.message());
    }

    QList<QStringList> ticked;
    QStringList tickedNames;
    for (int i = 0; i < ui->DmListView1->topLevelItemCount(); ++i) {
        if (ui->DmListView1->topLevelItem(i)->checkState(0) == Qt::Checked) {
            const dm::ListRow row = m_catalog->row(i);
            ticked.append(row.subItems);
            tickedNames.append(row.caption);
        }
    }
    const QByteArray location = ui->DmShellTree1->SelectedPathBytes();
    const dm::ScanSetup setup = dm::SetCleanCriteria(FindFile1->Criteria(), ticked, location, SpinAge->value(),
                                                     QDateTime::currentDateTime());
    MaskList = setup.maskList;
    m_scanRoot = dm::ScanRoot::of(location);
    prepareOffer(ticked, tickedNames, location);

    SortColumn = -1;
    ui->ListView1->horizontalHeader()->setSortIndicatorShown(false);
    m_found->reset();
    m_feed.reset(setup.severalLines);
    dm::returnFreedMemory(); // the last list's, before this scan fills a new one
    ui->Label3->setText(dm::TotalText());
    setScanning(true);
    m_feedTimer.start();
    FindFile1->StartSearch();
    showPage(2);
}

void TForm1::chooseFolder(const QByteArray &folder)
{
    // A later start's folder does not tear the window away from a running
    // scan; the window only comes forward.
    if (FindFile1->Searching())
        return;
    showPage(1);
    ui->DmShellTree1->SelectPath(folder, [this, folder](bool found) {
        if (found)
            return;
        ui->StatusBar1->setSimplePanel(true);
        ui->StatusBar1->setSimpleText(QCoreApplication::translate("Dustmote", "Папка «%1» не найдена")
                                          .arg(QFile::decodeName(folder)));
    });
}

void TForm1::Action5Execute()
{
    FindFile1->AbortSearch();
    Animate1->Stop();
}

void TForm1::FindFile1SearchBegin()
{
    FolderCount = 0;
    ui->ListView1->horizontalHeader()->setSectionsClickable(false);
    StartTick = dm::TickCount();
}

void TForm1::FindFile1FolderChange(const std::string &Folder, dm::TFolderIgnore &IgnoreFolder)
{
    // A kept folder is neither read nor counted, nor anything below it; nor
    // is a trash folder.
    if (m_exclusions.skipsFolder(Folder)) {
        IgnoreFolder = dm::fiThisAndSubfolders;
        return;
    }
    ++FolderCount;
    m_feed.folderEntered(Folder);
}

void TForm1::FindFile1FileMatch(const std::string &Folder, const dm::TSearchRec &FileInfo)
{
    // A file that several ticked masks match is listed and counted once.
    if (m_feed.isRepeat(Folder, FileInfo.Name) || m_exclusions.skipsFile(Folder, FileInfo.Name))
        return;
    TotalKB += dm::KiloBytes(FileInfo.FindData.FileSize);
    m_feed.fileFound(Folder, FileInfo, TotalKB, m_severalTypes ? m_typeMatcher.typeOf(Folder, FileInfo.Name) : 0);
}

void TForm1::applyScanFeed(bool walkEnded)
{
    m_feed.take(
        [this](dm::ScanFeed::Batch &batch) {
            if (batch.folderEntered) {
                ui->StatusBar1->setSimplePanel(true);
                ui->StatusBar1->setSimpleText(QCoreApplication::translate("Dustmote", "Ищем файлы в: ")
                                              + QFile::decodeName(QByteArray::fromStdString(batch.lastFolder)));
            }
            const bool rows = batch.found.rowCount() != 0;
            m_found->append(batch.found);
            if (rows)
                ui->Label3->setText(dm::TotalText(batch.totalKB));
        },
        walkEnded);
}

void TForm1::feedTimerTimer()
{
    try {
        applyScanFeed();
    } catch (const std::bad_alloc &) {
        // Out of memory: the scan stops, and its finish tells why.
        m_feedTimer.stop();
        m_scanOutOfMemory = true;
        FindFile1->AbortSearch();
    }
}

bool TForm1::ranOutOfMemory()
{
    const std::exception_ptr failure = FindFile1->WalkFailure();
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::bad_alloc &) {
            return true;
        } catch (...) {
        }
    }
    return false;
}

QString TForm1::scanSummaryText(int rows) const
{
    const QString summary = dm::ScanSummary(FolderCount, rows, m_scanSeconds);
    return m_scanStopped ? QCoreApplication::translate("Dustmote", dm::kStoppedPrefix) + summary : summary;
}

void TForm1::FindFile1SearchFinish()
{
    m_feedTimer.stop();
    bool outOfMemory = std::exchange(m_scanOutOfMemory, false) || ranOutOfMemory();
    try {
        applyScanFeed(true);
    } catch (const std::bad_alloc &) {
        outOfMemory = true; // what is left is let go
    }
    const int rows = m_found->rowCount();

    dm::playSound(AppFolder + QStringLiteral("alert.wav"));
    DmTrayIcon1->RestoreApp();
    showPage(2);
    m_scanSeconds = dm::ElapsedSeconds(StartTick, dm::TickCount());
    m_scanStopped = false;
    ui->StatusBar1->setSimpleText(scanSummaryText(rows));
    // The balloon keeps the plain summary, also after a stop.
    DmTrayIcon1->ShowBalloonHint(QCoreApplication::translate("Dustmote", "Сканирование окончено"),
                                 ui->StatusBar1->SimpleText(), tbiInfo, 10);
    m_scanStopped = FindFile1->AbortRequested();
    ui->StatusBar1->setSimpleText(scanSummaryText(rows));
    say(ui->StatusBar1->SimpleText() + QStringLiteral(". ") + ui->Label3->text());
    setScanning(false);
    ui->ListView1->horizontalHeader()->setSectionsClickable(true);
    ui->CheckBox1->setChecked(false);
    // A deletion in progress keeps its own maximum.
    if (!m_deletion)
        ProgressBar1->setMaximum(rows);
    if (outOfMemory)
        dm::showErrorBox(QCoreApplication::translate("Dustmote", "Не хватило памяти: сканирование остановлено. В списке "
                                        "только файлы, найденные до остановки"),
                         this);
    refreshStatistics();
}
