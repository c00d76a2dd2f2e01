// The main window's close: the scan stopped, the catalog saved (or, when it
// cannot be, the user asked whether to quit anyway), and what the statistics
// could not store told once.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "AppFolder.h"
#include "ErrorTexts.h"
#include "Exception.h"
#include "FileStream.h"
#include "MessageBox.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <utility>

void TForm1::StopScanForClose()
{
    if (FindFile1->Searching())
        FindFile1->AbortSearch();
}

void TForm1::FormClose()
{
    StopScanForClose();
    // A description still being edited is kept, as leaving the editor would.
    ui->DmListView1->CommitEdit();
    saveCatalog();
}

void TForm1::saveCatalog()
{
    if (!dm::isSpecialFile(listFilePath())) {
        // The user's own copy may have no folder yet (nothing was copied there).
        QDir().mkpath(QFileInfo(listFilePath()).path());
        dm::SaveListViewToFile(*m_catalog, listFilePath());
        return;
    }
    // Never written over: the catalog moves to the user's own copy, which
    // the next start reads (see catalogPathFor).
    const QString own = dm::userCatalogPath();
    QDir().mkpath(QFileInfo(own).path());
    dm::SaveListViewToFile(*m_catalog, own);
    const QString old = std::exchange(m_listFile, own);
    dm::messageBox({this, QString::fromUtf16(dm::kApplicationTitle),
                    QCoreApplication::translate("Dustmote", "На месте файла «%1» находится не обычный файл (устройство, "
                                   "канал или сокет), и список типов файлов не записан поверх "
                                   "него. Список сохранён в «%2»; программа будет читать его "
                                   "оттуда.").arg(old, own),
                    QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
}

bool TForm1::quitWithoutSaving(const QString &error)
{
    return dm::messageBox({this, QString::fromUtf16(dm::kApplicationTitle),
                           dm::withFullStop(error)
                               + QCoreApplication::translate("Dustmote", "\n\nСписок типов файлов не сохранён. Выйти из "
                                                "программы без сохранения? Файл списка останется "
                                                "прежним."),
                           QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No})
        == QMessageBox::Yes;
}

void TForm1::tellStatisticsNotStored(const QString &error)
{
    if (std::exchange(m_statisticsNotStoredTold, true))
        return;
    dm::messageBox({this, QString::fromUtf16(dm::kApplicationTitle),
                    QCoreApplication::translate("Dustmote", "Статистика не сохранена: %1 Работа продолжается; до конца "
                                   "сеанса это сообщение больше не появится.")
                        .arg(dm::withFullStop(error)),
                    QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A deletion in progress is stopped after its current file; its closing
    // steps store the count, then the close is carried out.
    if (busy()) {
        m_closeAfterTask = true;
        if (m_deletion)
            m_deletion->stop();
        event->ignore();
        return;
    }
    // The close's own wait for the scan to stop serves events: a close
    // request arriving meanwhile is left to it.
    if (m_closing) {
        event->ignore();
        return;
    }
    // The program ends here, once the catalog is saved, and nowhere else:
    // closing a message box while this window hides in the tray must not.
    // A catalog that cannot be saved (a full disk) must not keep the user
    // in: they may quit anyway, the file staying as it was.
    const QScopedValueRollback<bool> closing(m_closing, true);
    QString failure;
    try {
        FormClose();
    } catch (const dm::Exception &e) {
        failure = e.message();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QCoreApplication::translate("Dustmote", "Неизвестная ошибка");
    }
    if (!failure.isEmpty() && !quitWithoutSaving(failure)) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}
