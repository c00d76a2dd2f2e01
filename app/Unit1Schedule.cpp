// The cleaning timer from the window: "Сервис → Чистить по расписанию" turns
// it on and off through systemctl, and the line under it tells the last clean
// made without the window. The timer's state is asked whenever the menu
// opens, since it may have been switched from a terminal; the check shows
// only a state systemctl has confirmed, and a request that failed is told.

#include "Unit1.h"

#include "CleanSchedule.h"
#include "DateTime.h"
#include "ErrorBox.h"
#include "MessageBox.h"
#include "Statistics.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMenu>

namespace {

QString lastCleanText(const std::optional<dm::LastClean> &clean)
{
    if (!clean)
        return QCoreApplication::translate("Dustmote", "Чисток без окна ещё не было");
    const QLocale locale;
    return QCoreApplication::translate("Dustmote", "Последняя чистка без окна: %1, удалено файлов: %2 (%3 KB)")
        .arg(dm::DateTimeToText(clean->when), locale.toString(clean->files),
             locale.toString(qlonglong(clean->kiloBytes)));
}

} // namespace

void TForm1::buildSchedule()
{
    Schedule = new dm::CleanSchedule(this);
    Schedule->setObjectName(QStringLiteral("Schedule"));
    ActionSchedule = new QAction(QCoreApplication::translate("Dustmote", "Чистить по расписанию"), this);
    ActionSchedule->setObjectName(QStringLiteral("ActionSchedule"));
    ActionSchedule->setCheckable(true);
    // A line to read, nothing to do.
    ActionLastClean = new QAction(lastCleanText(dm::ReadLastClean()), this);
    ActionLastClean->setObjectName(QStringLiteral("ActionLastClean"));
    ActionLastClean->setEnabled(false);
    // At the end of "Сервис", after the keep list.
    for (QObject *owner : ActionKeepList->associatedObjects())
        if (auto *menu = qobject_cast<QMenu *>(owner)) {
            menu->addSeparator();
            menu->addAction(ActionSchedule);
            menu->addAction(ActionLastClean);
            connect(menu, &QMenu::aboutToShow, this, dm::guarded([this] {
                ActionLastClean->setText(lastCleanText(dm::ReadLastClean()));
                Schedule->ask();
            }));
        }
    connect(ActionSchedule, &QAction::triggered, this, dm::guarded([this](bool on) {
        // The check waits for systemctl to confirm.
        ActionSchedule->setChecked(!on);
        ActionSchedule->setEnabled(false);
        Schedule->turn(on);
    }));
    connect(Schedule, &dm::CleanSchedule::answered, this,
            dm::guarded([this](const dm::ScheduleAnswer &answer) { scheduleAnswered(answer); }));
}

void TForm1::scheduleAnswered(const dm::ScheduleAnswer &answer)
{
    ActionSchedule->setEnabled(true);
    if (answer.state != dm::ScheduleState::Unknown)
        ActionSchedule->setChecked(answer.state == dm::ScheduleState::On);
    QString tip;
    if (answer.nextRun)
        tip = QCoreApplication::translate("Dustmote", "Следующая чистка: %1")
                  .arg(dm::DateTimeToText(answer.nextRun->date(), answer.nextRun->time()));
    else if (!answer.error.isEmpty())
        tip = answer.error;
    ActionSchedule->setStatusTip(tip);
    if (!answer.turnedOn)
        return; // only asked: the menu shows it, nothing to tell
    if (answer.error.isEmpty()) {
        say(*answer.turnedOn ? QCoreApplication::translate("Dustmote", "Чистка по расписанию включена.")
                             : QCoreApplication::translate("Dustmote", "Чистка по расписанию выключена."));
        return;
    }
    dm::MessageRequest box;
    box.owner = this;
    box.title = QString::fromUtf16(dm::kApplicationTitle);
    box.icon = QMessageBox::Warning;
    box.text = *answer.turnedOn ? QCoreApplication::translate("Dustmote", "Не удалось включить чистку по расписанию.")
                                : QCoreApplication::translate("Dustmote", "Не удалось выключить чистку по расписанию.");
    box.informative = answer.error;
    dm::messageBox(box);
}
