// The found-files page: sorting by a header click, opening a file, ticking all
// rows, and deleting the ticked files.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "DeletionTexts.h"
#include "ErrorBox.h"
#include "FileDeletion.h"
#include "FoundFiles.h"
#include "MessageBox.h"
#include "DesktopOpen.h"
#include "ScanTexts.h"
#include "Statistics.h"
#include "TypeTotals.h"

#include <QFile>
#include <QHeaderView>
#include <QProgressBar>
#include <QUrl>
#include <QCoreApplication>

void TForm1::buildFoundFiles()
{
    // The view takes the model when its page joins the window (joinPages).
    m_found = new dm::FoundFilesModel(this);
    QHeaderView *header = ui->ListView1->horizontalHeader();
    connect(header, &QHeaderView::sectionClicked, this,
            dm::guarded([this](int column) { ListView1ColumnClick(column); }));
    // A long list is sorted on a worker: the current row is sought once the
    // order is shown.
    connect(m_found, &dm::FoundFilesModel::sorted, this,
            [this] { ui->ListView1->scrollTo(ui->ListView1->currentIndex()); });
    connect(m_found, &dm::FoundFilesModel::sortingChanged, this, [this](bool sorting) {
        if (sorting)
            ui->ListView1->viewport()->setCursor(Qt::BusyCursor);
        else
            ui->ListView1->viewport()->unsetCursor();
    });
    connect(ui->ListView1, &QAbstractItemView::doubleClicked, this,
            dm::guarded([this] { ListView1DblClick(); }));
    connect(ui->CheckBox2, &QCheckBox::toggled, this, dm::guarded([this] { CheckBox2Click(); }));
    connect(ui->BitBtn1, &QPushButton::clicked, this, dm::guarded([this] { BitBtn1Click(); }));
}

void TForm1::ListView1ColumnClick(int column)
{
    if (column == SortColumn) {
        SortDescending = !SortDescending;
    } else {
        SortColumn = column;
        SortDescending = false;
    }
    m_found->sortBy(SortColumn, SortDescending);
    QHeaderView *header = ui->ListView1->horizontalHeader();
    header->setSortIndicator(SortColumn, SortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    header->setSortIndicatorShown(true);
}

void TForm1::ListView1DblClick()
{
    const QModelIndexList selected = ui->ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    // From the file's own bytes: a name that is not valid UTF-8 would not
    // survive a text path. The opener runs in the file's folder.
    openFoundFile(selected.first().row());
}

void TForm1::openFoundFile(int row)
{
    const QString name = QFile::decodeName(m_found->nameBytes(row));
    const auto tell = [this, name](int status) {
        dm::messageBox({this, QString::fromUtf16(dm::kApplicationTitle),
                        tr("Не удалось открыть файл «%1»: %2.").arg(name, dm::openFailureReason(status)),
                        QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
    };
    if (!dm::shellOpenFile(m_found->folderBytes(row), m_found->nameBytes(row), dm::guarded(tell)))
        tell(dm::kOpenerMissing);
}

void TForm1::CheckBox2Click()
{
    if (busy())
        return;
    m_found->setAllChecked(ui->CheckBox2->isChecked());
}

void TForm1::BitBtn1Click()
{
    if (busy())
        return;
    auto counter = std::make_unique<dm::DeletionCounter>();
    if (m_found->rowCount() == 0) {
        dm::messageBox({this, QCoreApplication::translate("Dustmote", "Внимание!"), QCoreApplication::translate("Dustmote", "Нет файлов для удаления!"),
                        QMessageBox::Information, QMessageBox::Ok});
        showPage(3);
    }
    dm::MessageRequest confirmation{this, QCoreApplication::translate("Dustmote", "Внимание!!!"),
                                    QCoreApplication::translate("Dustmote", "Вы уверены, что хотите удалить выбраные файлы?"),
                                    QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
    m_ticked->recount(); // ticks of this very turn count too
    QStringList notes{dm::DeletionNote(m_ticked->files(), m_ticked->kiloBytes(), ActionTrash->isChecked())};
    // Nothing is refused: a running browser's cache is only named.
    if (const QString browsers = runningBrowsersLine(); !browsers.isEmpty())
        notes << browsers;
    confirmation.informative = dm::ConfirmationNotes(notes);
    const QMessageBox::StandardButton answer = dm::messageBox(confirmation);
    m_dels = std::move(counter);
    if (answer != QMessageBox::Yes) {
        deletionClosingSteps();
        return;
    }
    // The pass works on a copy of the ticked rows, so nothing done to the
    // list meanwhile (rows a running scan adds) can reach it.
    std::vector<dm::DeletionTarget> targets;
    for (int row = 0; row < m_found->rowCount(); ++row)
        if (m_found->isChecked(row))
            targets.push_back({m_found->folderBytes(row), m_found->nameBytes(row), m_found->version(row)});
    if (targets.empty()) {
        deletionClosingSteps();
        return;
    }
    ProgressBar1->show();
    startDeletion(std::move(targets));
}
