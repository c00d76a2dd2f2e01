// The found-files page: sorting by a header click, opening a file, ticking all
// rows, and deleting the ticked files.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "ErrorBox.h"
#include "FileDeletion.h"
#include "FoundFiles.h"
#include "MessageBox.h"
#include "Shell.h"
#include "ScanTexts.h"
#include "Statistics.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QUrl>
#include <cerrno>

namespace {

// How often a long deletion shows its progress.
constexpr int kProgressIntervalMs = 50;

} // namespace

void TForm1::buildFoundFiles()
{
    m_found = new dm::FoundFilesModel(this);
    ui->ListView1->setModel(m_found);
    QHeaderView *header = ui->ListView1->horizontalHeader();
    connect(header, &QHeaderView::sectionClicked, this,
            dm::guarded([this](int column) { ListView1ColumnClick(column); }));
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
    ui->ListView1->scrollTo(ui->ListView1->currentIndex());
}

void TForm1::ListView1DblClick()
{
    const QModelIndexList selected = ui->ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    // From the file's own bytes: a name that is not valid UTF-8 would not
    // survive a text path. The opener runs in the file's folder.
    const int row = selected.first().row();
    dm::shellOpenFile(m_found->folderBytes(row), m_found->nameBytes(row));
}

void TForm1::CheckBox2Click()
{
    m_found->setAllChecked(ui->CheckBox2->isChecked());
}

void TForm1::BitBtn1Click()
{
    dm::DeletionCounter counter;
    if (m_found->rowCount() == 0) {
        dm::messageBox({this, QStringLiteral("Внимание!"), QStringLiteral("Нет файлов для удаления!"),
                        QMessageBox::Information, QMessageBox::Ok});
        showPage(3);
    }
    const QMessageBox::StandardButton answer = dm::messageBox(
        {this, QStringLiteral("Внимание!!!"),
         QStringLiteral("Вы уверены, что хотите удалить выбраные файлы?"), QMessageBox::Warning,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
    if (answer == QMessageBox::Yes) {
        ProgressBar1->show();
        const QList<dm::DeletionFailure> failures = deleteTickedFiles(counter);
        if (!failures.isEmpty())
            dm::messageBox({this, QStringLiteral("Внимание!"), dm::DeletionReport(failures),
                            QMessageBox::Warning, QMessageBox::Ok});
    }

    counter.write();
    setWindowTitle(m_caption);
    ui->StatusBar1->setSimpleText(QString());
    ui->CheckBox2->setChecked(false);
    ui->Label3->setText(dm::TotalText());
    showPage(3);
    m_found->removeAllRows();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
}

QList<dm::DeletionFailure> TForm1::deleteTickedFiles(dm::DeletionCounter &counter)
{
    // The pass shows its progress now and then; the user's input waits.
    const QScopedValueRollback busy(m_deleting, true);

    QList<dm::DeletionFailure> failures;
    dm::FoundEntryRemover remover;
    QElapsedTimer shown;
    shown.start();
    const int count = m_found->rowCount();
    // Rows that a running scan added since its maximum was set count too.
    ProgressBar1->setMaximum(std::max(ProgressBar1->maximum(), count));
    int last = -1;
    for (int row = 0; row < count; ++row) {
        if (!m_found->isChecked(row))
            continue;
        const dm::FoundFile &file = m_found->file(row);
        const int error = remover.remove(m_found->folderBytes(row), m_found->nameBytes(row),
                                         file.volumeId, file.fileId);
        if (error == 0)
            counter.add();
        else if (error != ENOENT) // gone already: what the user wanted
            failures.append({m_found->fullPath(row), error});
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        last = row;
        if (shown.elapsed() >= kProgressIntervalMs) {
            setWindowTitle(QStringLiteral("Удаление файла: ") + m_found->fullPath(row));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            shown.restart();
        }
    }
    if (last >= 0)
        setWindowTitle(QStringLiteral("Удаление файла: ") + m_found->fullPath(last));
    return failures;
}
