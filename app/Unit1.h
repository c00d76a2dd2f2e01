#pragma once
// The main window: task pane on the left, four tab-less pages on the right,
// menu bar, status bar and tray icon. Logic that needs no window lives in its
// own units (list file, action links); this class wires them to the controls.

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "DeletionPass.h"
#include "FileDeletion.h"
#include "FindFile.h"
#include "ListViewRows.h"
#include "CleanScan.h"
#include "KeepList.h"
#include "ScanFeed.h"
#include "ScanOffer.h"
#include "TrashEmpty.h"

namespace Ui { class TForm1; }
namespace dm { class CleanSchedule; class DeletionCounter; class FoundFilesModel; class TickedTotal; class TypesPage; struct ScheduleAnswer; }
class QAbstractItemView;
class QLabel;
class QMenu;
class QSpinBox;
class QProgressBar;
class QPushButton;
class QShortcut;
class QStackedWidget;
class TAnimate;
class TDmTrayIcon;
class TImageList;
class TAnnouncer;
class TForm2;
class TForm3;
class TForm4;

class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Builds the window from its description and runs FormCreate; an error in
    // FormCreate is shown in the error box and leaves the window usable.
    // executablePath decides the application folder (tests pass their own).
    // With Pages::WhenDrawn the pages not shown at the start (the folder, the
    // found files, the information, "По типам") join the window only once it
    // has been drawn, or when one is asked for first: the window appears
    // sooner. The program starts so; tests have the whole window at once.
    enum class Pages { AtOnce, WhenDrawn };
    explicit TForm1(const QString &executablePath, QWidget *parent = nullptr, Pages pages = Pages::AtOnce);
    ~TForm1() override;

    std::unique_ptr<Ui::TForm1> ui;
    QMenu *PopupMenu1 = nullptr;
    QAction *N1 = nullptr, *N2 = nullptr, *N3 = nullptr, *N4 = nullptr;
    // The menu, task-pane and tray images; the tray shows image 7.
    TImageList *ImageList1 = nullptr;
    TDmTrayIcon *DmTrayIcon1 = nullptr;
    TAnimate *Animate1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    // The search engine of the scan; its walk runs on a worker thread.
    std::unique_ptr<dm::TFindFile> FindFile1;

    // The other windows, created by the program's entry: through
    // MakeDialogs, on the first use of any (most starts open none, and making
    // them delayed the window's first appearance), or set directly.
    TForm2 *Form2 = nullptr;
    TForm3 *Form3 = nullptr;
    TForm4 *Form4 = nullptr;
    std::function<void()> MakeDialogs;
    void ensureDialogs()
    {
        if (MakeDialogs)
            std::exchange(MakeDialogs, nullptr)();
    }

    // Folder of the program's own files with one trailing "/" (beside the
    // executable, or <prefix>/share/dustmote/ when installed); empty when the
    // executable's folder cannot be named.
    QString AppFolder;

    // The scan's state (see Unit1Scan.cpp).
    QString MaskList;
    std::int32_t FolderCount = 0;
    std::uint32_t StartTick = 0;
    std::uint64_t TotalKB = 0;
    // Column the found files were last sorted by (-1: none since the scan) and how.
    int SortColumn = 0;
    bool SortDescending = false;

    // The catalog's file: List.lst in AppFolder, or the user's own copy where
    // AppFolder cannot be written.
    QString listFilePath() const { return m_listFile; }
    dm::ListViewRows &catalog() { return *m_catalog; }
    dm::FoundFilesModel &foundFiles() { return *m_found; }

    // "Сервис": deletion to the trash (checkable, kept per user) and the way
    // back from the last such deletion.
    QAction *ActionTrash = nullptr;
    QAction *ActionRestore = nullptr;
    // What is offered (Unit1Offer.cpp): "Вид → По типам", "Сервис →
    // Исключения…", the found list's menu and its two actions, the age limit
    // and the ticked files' total.
    QAction *ActionTypes = nullptr;
    QAction *ActionKeepList = nullptr;
    QMenu *FoundMenu = nullptr;
    QAction *ActionKeepFile = nullptr;
    QAction *ActionKeepFolder = nullptr;
    QSpinBox *SpinAge = nullptr;
    QLabel *LabelTicked = nullptr;
    dm::TypesPage *TypesPage = nullptr;
    // The page index of "По типам" (the later pages join first).
    int typesPageIndex();
    // Puts the later pages into the window, once; see Pages.
    void joinPages();
    // Stores the row's file (or its folder) as never offered and takes every
    // row it covers from the list; false when it could not be stored.
    bool keepRow(int row, bool folder);
    void ActionKeepListExecute();
    // Ends a deletion after the current file (Esc does the same).
    QPushButton *StopButton = nullptr;

    // Whether a deletion or a restore runs; the window's actions that could
    // change the list, the catalog, the tree or the statistics wait for it.
    bool busy() const { return m_deletion || m_restore || m_emptying; }

    // The trash at a glance (Unit1Trash.cpp): its count and size on the
    // Information page, and "Сервис → Очистить Корзину…".
    QAction *ActionEmptyTrash = nullptr;
    QLabel *LabelTrash = nullptr;
    void ActionEmptyTrashExecute();
    // Counts the trash again, off the main thread; the label follows.
    void refreshTrashSize();
    // "Сервис → Чистить по расписанию" and the last clean under it
    // (Unit1Schedule.cpp); the check follows what systemctl answers.
    QAction *ActionSchedule = nullptr;
    QAction *ActionLastClean = nullptr;
    dm::CleanSchedule *Schedule = nullptr;

    // Every action of the window's action list, Action1 to Action12.
    QList<QAction *> actions12() const;

    void FormCreate();
    // Throws when the catalog cannot be saved; closeEvent then offers to
    // quit without saving.
    void FormClose();
    // Tells, once per session, that a counter of the statistics could not be
    // stored (a full disk); the work that counted goes on.
    void tellStatisticsNotStored(const QString &error);
    // Shows the stored statistics on the Information page, as at start; a
    // failing read is shown in the error box and stops nothing.
    void refreshStatistics();
    // The scan's closing step: stops a running scan and returns once it has
    // ended and its finish handler has run.
    void StopScanForClose();

    void Action1Execute();
    void Action2Execute();
    void Action3Execute();
    void Action8Execute();
    void Action9Execute();
    void Action10Execute();
    void N2Click();
    // The scan (Unit1Scan.cpp). The folder and match handlers run on the
    // engine's worker and touch no widget.
    void Action4Execute();
    // The folder named on the command line, chosen in the tree once its way
    // there has been read; the status bar says so when there is none.
    void chooseFolder(const QByteArray &folder);
    void Action5Execute();
    void FindFile1SearchBegin();
    void FindFile1FolderChange(const std::string &Folder, dm::TFolderIgnore &IgnoreFolder);
    void FindFile1FileMatch(const std::string &Folder, const dm::TSearchRec &FileInfo);
    void FindFile1SearchFinish();
    // The found-files page (Unit1Found.cpp).
    void ListView1ColumnClick(int column);
    void ListView1DblClick();
    // Opens the row's file with the desktop's program; a failure is told.
    void openFoundFile(int row);
    void CheckBox2Click();
    void BitBtn1Click();
    // The deletion's Stop control and the restore (Unit1Delete.cpp).
    void StopButtonClick();
    void ActionTrashExecute();
    void ActionRestoreExecute();
    // The catalog page (Unit1Catalog.cpp).
    void DmLabel1MouseEnter();
    void DmLabel1Click();
    void Label4Click();
    void CheckBox1Click();

    // Tells a screen reader `text` once (Unit1Look.cpp); spoken() is the
    // last text told.
    void say(const QString &text);
    QString spoken() const;
    // Keeps the window, and its smallest size, within the screen's room.
    void fitInto(const QRect &available);

    void DmGroup1Items0Click();
    void DmGroup2Items0Click();
    void DmGroup3Items2Click();
    void DmGroup3Items3Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildTaskPane();
    void buildOverlays();
    void holdTextWidths();
    void holdStripHeights();
    void pagesResized();
    void buildCatalog();
    void buildScan();
    void buildFoundFiles();
    void buildOffer();
    void buildTypesPage();
    // The found list's menu on a view of it (right click, menu key).
    void hookFoundMenu(QAbstractItemView *view);
    // The engine's criteria and the worker's filters for the next scan.
    void prepareOffer(const QList<QStringList> &tickedMasks, const QStringList &tickedNames,
                      const QByteArray &location);
    void bindHandlers();
    void placeOverlays();
    void showPage(int index);
    // A page the user asked for, named to a screen reader.
    void showPageSaying(int index);
    void buildLook();
    // Names each page in the stack to screen readers by its title.
    void namePages();
    // The status bar's summary of the last scan with `rows` files listed.
    QString scanSummaryText(int rows) const;
    void applyPaletteColours();
    // Reads the statistics and sets the Information page's labels; throws.
    void showStatistics();
    void setScanning(bool scanning);
    // Writes the catalog to its file, or to the user's own copy when a
    // device node, FIFO or socket has taken the file's place.
    void saveCatalog();
    // Asks whether to quit although the catalog could not be saved.
    bool quitWithoutSaving(const QString &error);
    // Applies the worker's effects handed over since the last call; once the
    // walk has ended, all of them.
    void applyScanFeed(bool walkEnded = false);
    // The deletion and the restore on their worker (Unit1Delete.cpp).
    void buildDeletion();
    void startDeletion(std::vector<dm::DeletionTarget> targets);
    void showTaskProgress();
    void endDeletion();
    void endRestore();
    // The deletion's closing steps, after a No as after a pass.
    void deletionClosingSteps();
    void storeDeletionCount();
    void setBusy(bool busy);
    // A restore's or an emptying's progress bar and status text, shown as it
    // starts on its own thread; hidden, and the window given back, as it ends.
    void showTaskProgress(int maximum, const QString &status);
    void endTaskProgress();
    void updateActions();
    void buildTrash();
    void buildSchedule();
    void scheduleAnswered(const dm::ScheduleAnswer &answer);
    void trashSurveyEnded();
    void showEmptyingProgress();
    void endEmptying();
    // The line naming the browsers that run while the ticked files include
    // their cache; empty when none.
    QString runningBrowsersLine() const;
    // The feed timer's handler: applies the feed; out of memory, stops the scan.
    void feedTimerTimer();
    // Whether the last scan's walk ended because memory ran out.
    bool ranOutOfMemory();

    std::unique_ptr<dm::ListViewRows> m_catalog;
    dm::FoundFilesModel *m_found = nullptr;
    dm::ScanFeed m_feed;
    dm::ScanExclusions m_exclusions; // read by the worker during a scan
    dm::TypeMatcher m_typeMatcher; // read by the worker during a scan
    bool m_severalTypes = false;
    dm::TickedTotal *m_ticked = nullptr;
    QTimer m_feedTimer;
    std::unique_ptr<dm::DeletionPass> m_deletion;
    std::unique_ptr<dm::RestorePass> m_restore;
    std::unique_ptr<dm::TrashEmptying> m_emptying;
    std::unique_ptr<dm::TrashSurvey> m_trashSurvey;
    QTimer m_trashTimer;          // watches the survey
    bool m_emptyAfterSurvey = false; // the survey is for the emptying's confirmation
    bool m_surveyAgain = false;      // asked for while one ran
    std::unique_ptr<dm::DeletionCounter> m_dels; // of the deletion in progress
    QTimer m_taskTimer;                          // shows a deletion's or restore's progress
    QShortcut *m_stopKey = nullptr;
    QStackedWidget *m_deleteOrStop = nullptr; // "Удалить выделенные", or Stop while a pass runs
    bool m_closeAfterTask = false;               // a close waits for the deletion to stop
    bool m_scanActive = false;
    dm::ScanRoot m_scanRoot;                     // the folder the last scan searched
    bool m_closing = false; // FormClose runs (and may wait for the scan)
    bool m_statisticsNotStoredTold = false;
    bool m_scanOutOfMemory = false; // the feed could not be applied
    QString m_caption; // the window's caption at rest
    QString m_listFile;
    TAnnouncer *m_announcer = nullptr;
    bool m_applyingColours = false;
    QList<QWidget *> m_laterPages; // built, not yet in the page stack
    // The last scan's summary parts, told again as rows leave the list.
    double m_scanSeconds = 0;
    bool m_scanStopped = false;
};
