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
#include "FoundFiles.h"
#include "ScanTexts.h"
#include "SearchAnimation.h"
#include "Sound.h"
#include "Statistics.h"

#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QProgressBar>

namespace {

// Often enough that the list grows smoothly, seldom enough that a fast walk
// hands over thousands of rows per batch.
constexpr int kFeedIntervalMs = 40;

dm::TDateTime nowAsDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return dm::EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                              t.msec());
}

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
    connect(&m_feedTimer, &QTimer::timeout, this, [this] { applyScanFeed(); });
}

QString TForm1::scanLocation() const
{
    return ui->DmShellTree1->SelectedPathName();
}

void TForm1::setScanning(bool scanning)
{
    ui->Action4->setEnabled(!scanning);
    ui->Action5->setEnabled(scanning);
    ui->DmGroup3->Items(0)->setEnabled(!scanning);
    ui->DmGroup3->Items(1)->setEnabled(scanning);
    if (scanning)
        Animate1->Play();
    else
        Animate1->Stop();
}

void TForm1::Action4Execute()
{
    const dm::TDateTime start = nowAsDateTime();
    TotalKB = 0;
    dm::CountScan(start);

    QList<QStringList> ticked;
    for (int i = 0; i < ui->DmListView1->topLevelItemCount(); ++i) {
        if (ui->DmListView1->topLevelItem(i)->checkState(0) == Qt::Checked)
            ticked.append(m_catalog->row(i).subItems);
    }
    MaskList = dm::BuildMaskList(ticked);

    dm::TFileCriteria &files = FindFile1->Criteria().Files();
    files.setFileName(QFile::encodeName(MaskList).toStdString());
    files.setLocation(QFile::encodeName(scanLocation()).toStdString());
    files.setSubfolders(true);

    SortColumn = -1;
    ui->ListView1->horizontalHeader()->setSortIndicatorShown(false);
    m_found->reset();
    m_feed.reset();
    ui->Label3->setText(dm::TotalText());
    setScanning(true);
    m_feedTimer.start();
    FindFile1->StartSearch();
    showPage(2);
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

void TForm1::FindFile1FolderChange(const std::string &Folder, dm::TFolderIgnore &)
{
    ++FolderCount;
    m_feed.folderEntered(Folder);
}

void TForm1::FindFile1FileMatch(const std::string &Folder, const dm::TSearchRec &FileInfo)
{
    TotalKB += dm::KiloBytes(FileInfo.FindData.FileSize);
    m_feed.fileFound(Folder, FileInfo, TotalKB);
}

void TForm1::applyScanFeed()
{
    dm::ScanFeed::Batch batch = m_feed.take();
    if (batch.folderEntered) {
        ui->StatusBar1->setSimplePanel(true);
        ui->StatusBar1->setSimpleText(QStringLiteral("Ищем файлы в: ") + batch.lastFolder);
    }
    const bool rows = !batch.rows.empty();
    m_found->append(std::move(batch.folders), std::move(batch.rows));
    if (rows)
        ui->Label3->setText(dm::TotalText(batch.totalKB));
}

void TForm1::FindFile1SearchFinish()
{
    m_feedTimer.stop();
    applyScanFeed();
    const int rows = m_found->rowCount();

    dm::playSound(AppFolder + QStringLiteral("alert.wav"));
    DmTrayIcon1->RestoreApp();
    showPage(2);
    ui->StatusBar1->setSimpleText(
        dm::ScanSummary(FolderCount, rows, dm::ElapsedSeconds(StartTick, dm::TickCount())));
    // The balloon keeps the plain summary, also after a stop.
    DmTrayIcon1->ShowBalloonHint(QStringLiteral("Сканирование окончено"),
                                 ui->StatusBar1->SimpleText(), tbiInfo, 10);
    if (FindFile1->AbortRequested())
        ui->StatusBar1->setSimpleText(QString::fromUtf16(dm::kStoppedPrefix)
                                      + ui->StatusBar1->SimpleText());
    setScanning(false);
    ui->ListView1->horizontalHeader()->setSectionsClickable(true);
    ui->CheckBox1->setChecked(false);
    ProgressBar1->setMaximum(rows);
    refreshStatistics();
}
