// The deletion of the ticked files on its worker, its Stop control, the
// closing steps, and the way back from a deletion to the trash.
//
// While a deletion or a restore runs, every action that could change the
// list, the catalog, the tree or the statistics is disabled, and their
// handlers refuse to run, so that nothing (a tray menu, a task-pane link, a
// screen reader) can pull the list from under the pass. Progress is shown
// every 50 ms, never per file, and the deleted-files count is stored beside
// the pass as it goes, so that a killed program loses only the files of the
// store in flight.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "DeferredIcon.h"
#include "DeletionTexts.h"
#include "DmGroupBar.h"
#include "DmShellTree.h"
#include "ErrorBox.h"
#include "Exception.h"
#include "FoundFiles.h"
#include "ImageList.h"
#include "Memory.h"
#include "MessageBox.h"
#include "Preferences.h"
#include "ScanTexts.h"
#include "Statistics.h"
#include "TrashRestore.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QCoreApplication>

namespace {

constexpr int kProgressIntervalMs = 50;

QString pathText(const dm::DeletionTarget &t)
{
    return QFile::decodeName(t.folder + t.name);
}

} // namespace

void TForm1::buildDeletion()
{
    StopButton = new QPushButton(QCoreApplication::translate("Dustmote", "Остановить"), ui->Panel3);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setToolTip(QCoreApplication::translate("Dustmote", "Остановить удаление после текущего файла (Esc)"));
    // The theme is looked up when a deletion first shows the button, not at
    // start; our own image stands in where the theme has none.
    StopButton->setIcon(dm::deferredIcon([] {
        return QIcon::fromTheme(QStringLiteral("process-stop"), dm::ImageList1(8));
    }));
    StopButton->setMinimumSize(ui->BitBtn1->minimumSize());
    // The Stop control takes the place of the button that started the pass,
    // in one slot as wide as the wider of the two, so the page keeps its
    // width whichever shows.
    m_deleteOrStop = new QStackedWidget(ui->Panel3);
    delete ui->Panel3->layout()->replaceWidget(ui->BitBtn1, m_deleteOrStop);
    m_deleteOrStop->addWidget(ui->BitBtn1);
    m_deleteOrStop->addWidget(StopButton);
    connect(StopButton, &QPushButton::clicked, this, dm::guarded([this] { StopButtonClick(); }));
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_stopKey->setEnabled(false);
    connect(m_stopKey, &QShortcut::activated, this, dm::guarded([this] { StopButtonClick(); }));

    ActionTrash->setChecked(dm::ReadDeleteToTrash());
    connect(ActionTrash, &QAction::triggered, this, dm::guarded([this] { ActionTrashExecute(); }));
    connect(ActionRestore, &QAction::triggered, this, dm::guarded([this] { ActionRestoreExecute(); }));

    m_taskTimer.setInterval(kProgressIntervalMs);
    connect(&m_taskTimer, &QTimer::timeout, this, dm::guarded([this] { showTaskProgress(); }));
    updateActions();
}

void TForm1::updateActions()
{
    const bool idle = !busy();
    ui->Action4->setEnabled(idle && !m_scanActive);
    ui->DmGroup3->Items(0)->setEnabled(idle && !m_scanActive);
    ui->Action5->setEnabled(m_scanActive);
    ui->DmGroup3->Items(1)->setEnabled(m_scanActive);
    ActionTrash->setEnabled(idle);
    ActionRestore->setEnabled(idle && dm::hasTrashRecord());
    if (ActionEmptyTrash)
        ActionEmptyTrash->setEnabled(idle && !m_emptyAfterSurvey);
}

void TForm1::showTaskProgress(int maximum, const QString &status)
{
    ProgressBar1->setMaximum(maximum);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    ui->StatusBar1->setSimplePanel(true);
    ui->StatusBar1->setSimpleText(status);
}

void TForm1::endTaskProgress()
{
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
    ui->StatusBar1->setSimpleText(QString());
    setBusy(false);
}

void TForm1::setBusy(bool on)
{
    // The catalog, the tree and the found list take no input meanwhile; the
    // pages stay readable.
    for (QWidget *w : {ui->TabSheet1, ui->TabSheet2, static_cast<QWidget *>(ui->ListView1),
                       static_cast<QWidget *>(ui->CheckBox2), static_cast<QWidget *>(ui->BitBtn1)})
        w->setEnabled(!on);
    m_deleteOrStop->setCurrentWidget(on && m_deletion ? StopButton : static_cast<QWidget *>(ui->BitBtn1));
    m_stopKey->setEnabled(on && m_deletion);
    if (on && m_deletion)
        StopButton->setFocus();
    if (on) {
        m_taskTimer.start();
    } else {
        m_taskTimer.stop();
    }
    updateActions();
}

void TForm1::startDeletion(std::vector<dm::DeletionTarget> targets)
{
    const auto mode = ActionTrash->isChecked() ? dm::DeletionPass::Mode::ToTrash
                                               : dm::DeletionPass::Mode::Permanent;
    // Rows that a running scan added since the maximum was set count too.
    ProgressBar1->setMaximum(std::max(ProgressBar1->maximum(), m_found->rowCount()));
    ProgressBar1->setValue(0);
    // The count is stored as the pass goes, on its thread: the window never
    // waits for the disk, and the counter is the pass's alone until it ends.
    auto checkpoint = [counter = m_dels.get(), counted = std::size_t(0)](std::size_t removed) mutable {
        counter->add(std::uint32_t(removed - counted));
        counted = removed;
        try {
            counter->write();
        } catch (const dm::Exception &) {
            // Told once by the closing steps, which store it again.
        }
    };
    m_deletion = std::make_unique<dm::DeletionPass>(m_scanRoot, std::move(targets), mode, checkpoint);
    m_deletion->start();
    setBusy(true);
}

void TForm1::StopButtonClick()
{
    if (m_deletion)
        m_deletion->stop();
}

void TForm1::showTaskProgress()
{
    if (m_emptying) {
        showEmptyingProgress();
        return;
    }
    if (m_restore) {
        if (ProgressBar1->maximum() == 0 && m_restore->total() > 0)
            ProgressBar1->setMaximum(int(m_restore->total()));
        ProgressBar1->setValue(int(m_restore->done()));
        if (m_restore->finished())
            endRestore();
        return;
    }
    if (!m_deletion)
        return;
    const bool finished = m_deletion->finished();
    const std::size_t done = m_deletion->done();
    if (int(done) != ProgressBar1->value())
        ProgressBar1->setValue(int(done));
    if (done > 0)
        setWindowTitle(QCoreApplication::translate("Dustmote", "Удаление файла: ") + pathText(m_deletion->targets()[done - 1]));
    if (finished)
        endDeletion();
}

void TForm1::storeDeletionCount()
{
    if (!m_dels)
        return;
    try {
        m_dels->write();
    } catch (const dm::EWriteError &e) {
        // A full disk must not stop a cleaning: told once, then carried on.
        tellStatisticsNotStored(e.message());
    }
}

void TForm1::endDeletion()
{
    const std::unique_ptr<dm::DeletionPass> pass = std::move(m_deletion);
    if (!pass->recordKept())
        dm::showErrorBox(QCoreApplication::translate("Dustmote", "Не удалось сохранить список файлов, удалённых в Корзину: "
                                        "вернуть их можно будет только из Корзины"),
                         this);
    QList<dm::DeletionFailure> failures;
    for (const dm::DeletionPass::Failure &f : pass->failures())
        failures.append({pathText(pass->targets()[f.target]), f.error});
    setBusy(false);
    // A close asked for during the pass is carried out now; the report then
    // would only hold it up.
    if (!failures.isEmpty() && !m_closeAfterTask)
        dm::messageBox({this, QCoreApplication::translate("Dustmote", "Внимание!"), dm::DeletionReport(failures),
                        QMessageBox::Warning, QMessageBox::Ok});
    const QString outcome = dm::DeletionOutcome(pass->removed(), pass->failures().size(), ActionTrash->isChecked());
    deletionClosingSteps();
    // The closing steps have cleared the status bar; a screen reader still
    // hears what became of the files.
    say(outcome);
    if (std::exchange(m_closeAfterTask, false))
        close();
}

void TForm1::deletionClosingSteps()
{
    storeDeletionCount();
    m_dels.reset();
    setWindowTitle(m_caption);
    ui->StatusBar1->setSimpleText(QString());
    ui->CheckBox2->setChecked(false);
    ui->Label3->setText(dm::TotalText());
    showPage(3);
    m_found->removeAllRows();
    dm::returnFreedMemory();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
    // The page just shown tells the count as it now is.
    refreshStatistics();
}

void TForm1::ActionTrashExecute()
{
    // The action has already inverted its check mark.
    if (!dm::WriteDeleteToTrash(ActionTrash->isChecked()))
        dm::showErrorBox(QCoreApplication::translate("Dustmote", "Не удалось сохранить настройку «Удалять в Корзину»: "
                                        "она действует до выхода из программы"),
                         this);
}

void TForm1::ActionRestoreExecute()
{
    if (busy())
        return;
    // The maximum is told once the record is read.
    showTaskProgress(0, QCoreApplication::translate("Dustmote", "Возвращаем удалённые файлы из Корзины…"));
    m_restore = std::make_unique<dm::RestorePass>();
    m_restore->start();
    setBusy(true);
}

void TForm1::endRestore()
{
    const std::unique_ptr<dm::RestorePass> pass = std::move(m_restore);
    const dm::RestoreOutcome &outcome = pass->outcome();
    endTaskProgress();
    QString text = QCoreApplication::translate("Dustmote", "Возвращено файлов: %1.").arg(outcome.restored);
    if (!outcome.failures.empty())
        text += QStringLiteral("\n\n") + dm::RestoreReport(outcome.failures);
    dm::messageBox({this, QCoreApplication::translate("Dustmote", "Вернуть удалённое"), text,
                    outcome.failures.empty() ? QMessageBox::Information : QMessageBox::Warning,
                    QMessageBox::Ok});
    if (std::exchange(m_closeAfterTask, false))
        close();
}
