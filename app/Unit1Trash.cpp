// The trash at a glance: how much the user's trash holds (home trash and the
// trashes of mounted volumes) on the Information page, and emptying it after
// a confirmation that names the count and size. Counting and emptying run on
// threads of their own, so a trash of a few hundred thousand files freezes
// nothing; the actions that could meet the emptying wait for it.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "ErrorBox.h"
#include "ErrorTexts.h"
#include "FoundFiles.h"
#include "MessageBox.h"
#include "RunningBrowsers.h"
#include "TrashRestore.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace {

constexpr int kTrashPollMs = 100;

} // namespace

void TForm1::buildTrash()
{
    ActionEmptyTrash = new QAction(QCoreApplication::translate("Dustmote", "Очистить &Корзину…"), this);
    ActionEmptyTrash->setObjectName(QStringLiteral("ActionEmptyTrash"));
    // On "Сервис", right after the way back from the last deletion.
    for (QObject *owner : ActionRestore->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(owner)) {
            const QList<QAction *> items = menu->actions();
            const qsizetype at = items.indexOf(ActionRestore);
            menu->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, ActionEmptyTrash);
        }
    connect(ActionEmptyTrash, &QAction::triggered, this, dm::guarded([this] { ActionEmptyTrashExecute(); }));

    LabelTrash = new QLabel(ui->StatisticsArea);
    LabelTrash->setObjectName(QStringLiteral("LabelTrash"));
    LabelTrash->setFont(ui->DmLabel4->font());
    auto *layout = static_cast<QVBoxLayout *>(ui->StatisticsArea->layout());
    layout->insertWidget(layout->indexOf(ui->DmLabel4) + 1, LabelTrash);

    m_trashTimer.setInterval(kTrashPollMs);
    connect(&m_trashTimer, &QTimer::timeout, this, dm::guarded([this] {
        if (m_trashSurvey && m_trashSurvey->finished())
            trashSurveyEnded();
    }));
}

void TForm1::refreshTrashSize()
{
    if (m_trashSurvey) {
        m_surveyAgain = true;
        return;
    }
    if (LabelTrash->text().isEmpty())
        LabelTrash->setText(QCoreApplication::translate("Dustmote", "Корзина: подсчёт…"));
    m_trashSurvey = std::make_unique<dm::TrashSurvey>();
    m_trashSurvey->start();
    m_trashTimer.start();
    updateActions();
}

void TForm1::trashSurveyEnded()
{
    const std::unique_ptr<dm::TrashSurvey> survey = std::move(m_trashSurvey);
    m_trashTimer.stop();
    const dm::TrashContents contents = survey->contents();
    LabelTrash->setText(dm::TrashText(contents));
    if (std::exchange(m_surveyAgain, false)) {
        refreshTrashSize();
        return;
    }
    const bool confirm = std::exchange(m_emptyAfterSurvey, false);
    updateActions();
    if (!confirm || busy())
        return;
    if (contents.files == 0) {
        dm::messageBox({this, QCoreApplication::translate("Dustmote", "Очистить Корзину"), QCoreApplication::translate("Dustmote", "Корзина пуста."),
                        QMessageBox::Information, QMessageBox::Ok});
        return;
    }
    QString text = QCoreApplication::translate("Dustmote", "Удалить из Корзины навсегда %1 файлов(ла), %2KB?")
                       .arg(contents.files)
                       .arg((contents.bytes + 1023) / 1024);
    if (dm::hasTrashRecord())
        text += QCoreApplication::translate("Dustmote", "\n\nСреди них файлы, удалённые в Корзину последним удалением: вернуть их командой «Вернуть удалённое» будет нельзя.");
    if (dm::messageBox({this, QCoreApplication::translate("Dustmote", "Очистить Корзину"), text, QMessageBox::Warning,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No})
        != QMessageBox::Yes)
        return;
    showTaskProgress(int(std::min<std::uint64_t>(contents.files, INT_MAX)),
                     QCoreApplication::translate("Dustmote", "Очищаем Корзину…"));
    m_emptying = std::make_unique<dm::TrashEmptying>();
    m_emptying->start();
    setBusy(true);
}

void TForm1::ActionEmptyTrashExecute()
{
    if (busy() || m_emptyAfterSurvey)
        return;
    // The confirmation names what is there now: counted afresh first.
    m_emptyAfterSurvey = true;
    if (m_trashSurvey)
        m_surveyAgain = true;
    else
        refreshTrashSize();
}

void TForm1::showEmptyingProgress()
{
    ProgressBar1->setValue(int(std::min<std::size_t>(m_emptying->done(), INT_MAX)));
    if (m_emptying->finished())
        endEmptying();
}

void TForm1::endEmptying()
{
    const std::unique_ptr<dm::TrashEmptying> pass = std::move(m_emptying);
    const dm::EmptyOutcome &outcome = pass->outcome();
    endTaskProgress();
    if (!m_closeAfterTask && (outcome.failed != 0 || !pass->recordCleared())) {
        QString text;
        if (outcome.failed != 0)
            text = QCoreApplication::translate("Dustmote", "Не удалось удалить из Корзины %1 файлов(ла) или папок: %2")
                       .arg(outcome.failed)
                       .arg(dm::systemErrorText(outcome.firstError));
        if (!pass->recordCleared())
            text += QCoreApplication::translate("Dustmote", "%1Не удалось очистить список файлов, удалённых в Корзину («%2»).")
                        .arg(text.isEmpty() ? QString() : QStringLiteral("\n\n"), dm::trashRecordFile());
        dm::messageBox({this, QCoreApplication::translate("Dustmote", "Очистить Корзину"), text, QMessageBox::Warning, QMessageBox::Ok});
    }
    refreshTrashSize();
    if (std::exchange(m_closeAfterTask, false))
        close();
}

QString TForm1::runningBrowsersLine() const
{
    const dm::BrowserCaches caches(QFile::encodeName(QDir::homePath()));
    std::vector<char> seen(std::size_t(caches.count()), 0);
    QByteArray last;
    for (int row = 0; row < m_found->rowCount(); ++row) {
        if (!m_found->isChecked(row))
            continue;
        const QByteArray folder = m_found->folderBytes(row);
        if (folder == last)
            continue;
        last = folder;
        const int browser = caches.browserOf(folder);
        if (browser >= 0)
            seen[std::size_t(browser)] = 1;
    }
    QStringList names;
    for (int b = 0; b < caches.count(); ++b)
        if (seen[std::size_t(b)] && caches.running(b) && !names.contains(caches.name(b)))
            names.append(caches.name(b));
    return dm::RunningBrowsersLine(names);
}
