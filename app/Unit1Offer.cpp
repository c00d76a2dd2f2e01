// What the window offers beyond the scan's masks and folder: the keep list
// and the found list's menu that fills it, the age limit on the catalog page,
// the "По типам" page, and the ticked files' total beside the found files'.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "DmGroup.h"
#include "ErrorBox.h"
#include "FoundFiles.h"
#include "KeepDialog.h"
#include "MessageBox.h"
#include "Preferences.h"
#include "ScanTexts.h"
#include "DesktopOpen.h"
#include "TypesPage.h"
#include "FoundListView.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace {

// Hands a view's context-menu requests, by mouse or by keys, to a handler
// with the view's row they are for.
class FoundMenuHook : public QObject
{
public:
    FoundMenuHook(QAbstractItemView *view, std::function<void(int row, QPoint global)> show)
        : QObject(view), m_view(view), m_show(std::move(show))
    {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        auto *key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), view, nullptr, nullptr,
                                  Qt::WidgetShortcut);
        connect(key, &QShortcut::activated, this, [this] { byKeys(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto *e = static_cast<QContextMenuEvent *>(event);
        if (e->reason() == QContextMenuEvent::Mouse && watched == m_view->viewport()) {
            const QModelIndex at = m_view->indexAt(e->pos());
            if (at.isValid()) {
                m_view->setCurrentIndex(at);
                m_show(at.row(), e->globalPos());
            }
        } else {
            byKeys();
        }
        return true;
    }

private:
    void byKeys()
    {
        const QModelIndex current = m_view->currentIndex();
        if (!current.isValid())
            return;
        m_view->scrollTo(current);
        const QRect rect = m_view->visualRect(current);
        m_show(current.row(), m_view->viewport()->mapToGlobal(rect.bottomLeft()));
    }

    QAbstractItemView *m_view;
    std::function<void(int, QPoint)> m_show;
};

} // namespace

int TForm1::typesPageIndex()
{
    joinPages();
    return ui->DmPageControl1->indexOf(TypesPage);
}

void TForm1::buildOffer()
{
    // The age limit, beside the catalog's tick-all box.
    auto *ageLabel = new QLabel(QCoreApplication::translate("Dustmote", "Только файлы &старше"), ui->Panel1);
    ageLabel->setObjectName(QStringLiteral("LabelAge"));
    SpinAge = new QSpinBox(ui->Panel1);
    SpinAge->setObjectName(QStringLiteral("SpinAge"));
    SpinAge->setRange(0, dm::kMaxAgeLimitDays);
    SpinAge->setSuffix(QCoreApplication::translate("Dustmote", " дн."));
    SpinAge->setToolTip(QCoreApplication::translate("Dustmote", "0 — файлы любого возраста"));
    ageLabel->setBuddy(SpinAge);
    SpinAge->setValue(dm::ReadAgeLimitDays());
    // Under the tick-all box, so that the strip keeps the page's width.
    const int at = ui->Panel1Layout->indexOf(ui->CheckBox1);
    ui->Panel1Layout->removeWidget(ui->CheckBox1);
    auto *column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(ui->CheckBox1);
    auto *age = new QHBoxLayout;
    age->addWidget(ageLabel);
    age->addWidget(SpinAge);
    age->addStretch();
    column->addLayout(age);
    ui->Panel1Layout->insertLayout(at, column);
    connect(SpinAge, &QSpinBox::valueChanged, this, [](int days) { dm::WriteAgeLimitDays(days); });

    // The ticked files beside the found files' total.
    LabelTicked = new QLabel(dm::TickedText(0, 0), ui->Panel3);
    LabelTicked->setObjectName(QStringLiteral("LabelTicked"));
    // Like the total, it wraps rather than widening the strip (its room is
    // held with the total's, holdTextWidths).
    // Under the total, so that the strip keeps the page's width.
    const int totalAt = ui->Panel3Layout->indexOf(ui->Label3);
    ui->Panel3Layout->removeWidget(ui->Label3);
    auto *totals = new QVBoxLayout;
    totals->setSpacing(0);
    totals->addWidget(ui->Label3);
    totals->addWidget(LabelTicked);
    ui->Panel3Layout->insertLayout(totalAt, totals, 1);
    m_ticked = new dm::TickedTotal(m_found, this);
    connect(m_ticked, &dm::TickedTotal::changed, this,
            [this] { LabelTicked->setText(dm::TickedText(m_ticked->files(), m_ticked->kiloBytes())); });

    // "По типам": a page of its own, for the narrowed list needs the room;
    // made when the later pages join the window.
    ui->DmGroup3->Items().Add(QCoreApplication::translate("Dustmote", "По типам"))->OnClick = [this](TDmGroupItem *) {
        showPageSaying(typesPageIndex());
    };
    connect(ActionTypes, &QAction::triggered, this, [this] { showPageSaying(typesPageIndex()); });

    // The found lists' menu.
    FoundMenu = new QMenu(this);
    FoundMenu->setObjectName(QStringLiteral("FoundMenu"));
    ActionKeepFile = FoundMenu->addAction(QCoreApplication::translate("Dustmote", "Не предлагать этот &файл"));
    ActionKeepFolder = FoundMenu->addAction(QCoreApplication::translate("Dustmote", "Не предлагать эту &папку"));
    hookFoundMenu(ui->ListView1);
    connect(ActionKeepList, &QAction::triggered, this, dm::guarded([this] { ActionKeepListExecute(); }));
}

void TForm1::hookFoundMenu(QAbstractItemView *view)
{
    new FoundMenuHook(view, [this, view](int row, QPoint global) {
        const auto *proxy = qobject_cast<const QSortFilterProxyModel *>(view->model());
        const int listRow = proxy ? proxy->mapToSource(proxy->index(row, 0)).row() : row;
        const bool idle = !busy() && !m_scanActive;
        ActionKeepFile->setEnabled(idle);
        ActionKeepFolder->setEnabled(idle);
        QAction *chosen = FoundMenu->exec(global);
        if (chosen == ActionKeepFile || chosen == ActionKeepFolder)
            dm::runGuarded([&] { keepRow(listRow, chosen == ActionKeepFolder); });
    });
}

void TForm1::buildTypesPage()
{
    TypesPage = new dm::TypesPage(m_found, ui->DmPageControl1);
    ui->DmPageControl1->addWidget(TypesPage);
    connect(TypesPage, &dm::TypesPage::fileOpened, this, [this](int row) { openFoundFile(row); });
    hookFoundMenu(TypesPage->list());
    // The found list's enabled state reaches the narrowed list.
    TypesPage->list()->setEnabled(ui->ListView1->isEnabled());
    TypesPage->tickAll()->setEnabled(ui->ListView1->isEnabled());
    ui->ListView1->installEventFilter(this);
}

void TForm1::prepareOffer(const QList<QStringList> &tickedMasks, const QStringList &tickedNames,
                          const QByteArray &location)
{
    m_exclusions = dm::ScanExclusions::forScan(location);
    m_typeMatcher = dm::TypeMatcher(tickedMasks);
    m_severalTypes = tickedMasks.size() > 1;
    joinPages();
    TypesPage->totals().setTypes(tickedNames);
    TypesPage->showType(-1);
}

bool TForm1::keepRow(int row, bool folder)
{
    if (busy() || m_scanActive || row < 0 || row >= m_found->rowCount())
        return false;
    const QByteArray folderBytes = m_found->folderBytes(row);
    const dm::KeptItem item = folder ? dm::KeptItem{folderBytes, true}
                                     : dm::KeptItem{folderBytes + m_found->nameBytes(row), false};
    dm::KeepList kept = dm::KeepList::load();
    kept.add(item);
    if (!kept.save()) {
        dm::messageBox({this, QString::fromUtf16(dm::kApplicationTitle),
                        QCoreApplication::translate("Dustmote", "Список исключений не сохранён в «%1»; файлы остаются в списке.")
                            .arg(dm::KeepList::file()),
                        QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
        return false;
    }
    // Only the new item can cover rows still listed.
    dm::KeepList added;
    added.add(item);
    m_found->removeRowsIf([&](int r) { return added.keeps(m_found->folderBytes(r), m_found->nameBytes(r)); });
    TotalKB = 0;
    for (int r = 0; r < m_found->rowCount(); ++r)
        TotalKB += dm::KiloBytes(m_found->version(r).size);
    ui->Label3->setText(dm::TotalText(TotalKB));
    // The scan's summary counts the files still listed.
    if (!ui->StatusBar1->SimpleText().isEmpty())
        ui->StatusBar1->setSimpleText(scanSummaryText(m_found->rowCount()));
    return true;
}

void TForm1::ActionKeepListExecute()
{
    dm::KeepDialog dialog(this);
    dialog.exec();
}
