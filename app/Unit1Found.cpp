// The found-files page: sorting by a header click, opening a file, ticking all
// rows, and deleting the ticked files.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "ErrorBox.h"
#include "FileDeletion.h"
#include "FoundFiles.h"
#include "MessageBox.h"
#include "DesktopOpen.h"
#include "ScanTexts.h"
#include "Statistics.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QUrl>

void TForm1::buildFoundFiles()
{
    m_found = new dm::FoundFilesModel(this);
    ui->ListView1->setModel(m_found);
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
    const int row = selected.first().row();
    dm::shellOpenFile(m_found->folderBytes(row), m_found->nameBytes(row));
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
        dm::messageBox({this, QStringLiteral("Внимание!"), QStringLiteral("Нет файлов для удаления!"),
                        QMessageBox::Information, QMessageBox::Ok});
        showPage(3);
    }
    QString question = QStringLiteral("Вы уверены, что хотите удалить выбраные файлы?");
    // Nothing is refused: a running browser's cache is only named.
    if (const QString browsers = runningBrowsersLine(); !browsers.isEmpty())
        question += QStringLiteral("\n\n") + browsers;
    const QMessageBox::StandardButton answer = dm::messageBox(
        {this, QStringLiteral("Внимание!!!"), question, QMessageBox::Warning,
         QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
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
