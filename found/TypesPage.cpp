#include "TypesPage.h"

#include "FoundListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QHideEvent>
#include <QShowEvent>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace dm {

namespace {

// The size column: a bar as long as the type's share of the largest, the
// number after it.
class BarDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem base = option;
        initStyleOption(&base, index);
        const QString text = base.text;
        base.text.clear();
        // Background, selection and focus, without the text.
        const QWidget *view = option.widget;
        (view ? view->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &base, painter, view);
        const QRect area = option.rect.adjusted(3, 3, -3, -3);
        const int textWidth = option.fontMetrics.horizontalAdvance(text) + 6;
        const double share = index.data(TypeTotalsModel::ShareRole).toDouble();
        const int length = int(std::max(0, area.width() - textWidth) * share);
        painter->save();
        const bool whole = index.row() == index.model()->rowCount() - 1;
        painter->fillRect(QRect(area.left(), area.top(), length, area.height()),
                          whole ? QColor(128, 128, 128) : QColor(0, 128, 0));
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected
                                                 ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRect(area.left() + length + 4, area.top(), textWidth, area.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }
};

} // namespace

TypesPage::TypesPage(FoundFilesModel *files, QWidget *parent)
    : QWidget(parent), m_files(files), m_totals(new TypeTotalsModel(files, this)),
      m_filter(new TypeFilterModel(files, this))
{
    setObjectName(QStringLiteral("TypesPage"));
    setWindowTitle(QCoreApplication::translate("Dustmote", "По типам"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_bars = new QTableView(this);
    m_bars->setObjectName(QStringLiteral("TypeBars"));
    m_bars->setAccessibleName(QCoreApplication::translate("Dustmote", "Место по типам файлов"));
    m_bars->setModel(m_totals);
    m_bars->setItemDelegateForColumn(TypeTotalsModel::SizeColumn, new BarDelegate(m_bars));
    m_bars->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_bars->setSelectionMode(QAbstractItemView::SingleSelection);
    m_bars->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_bars->verticalHeader()->hide();
    m_bars->verticalHeader()->setDefaultSectionSize(m_bars->fontMetrics().height() + 6);
    m_bars->setShowGrid(false);
    m_bars->horizontalHeader()->setSectionResizeMode(TypeTotalsModel::SizeColumn, QHeaderView::Stretch);
    m_bars->setColumnWidth(TypeTotalsModel::TypeColumn, 170);
    m_bars->setColumnWidth(TypeTotalsModel::FilesColumn, 60);
    connect(m_bars->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showType(m_totals->typeAt(current.row())); });
    layout->addWidget(m_bars, 2);

    m_shown = new QLabel(this);
    m_shown->setObjectName(QStringLiteral("TypeShown"));
    layout->addWidget(m_shown);

    m_list = new TFoundListView(this);
    m_list->setObjectName(QStringLiteral("TypeList"));
    m_list->setModel(m_filter);
    m_list->setAccessibleName(QCoreApplication::translate("Dustmote", "Найденные файлы выбранного типа"));
    m_shown->setBuddy(m_list);
    connect(m_list, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &i) { emit fileOpened(m_filter->mapToSource(i).row()); });
    layout->addWidget(m_list, 3);

    m_tickAll = new QCheckBox(QCoreApplication::translate("Dustmote", "Отметить/Снять всё"), this);
    m_tickAll->setObjectName(QStringLiteral("TypeTickAll"));
    m_tickAll->setAccessibleName(QCoreApplication::translate("Dustmote", "Отметить или снять все файлы выбранного типа"));
    connect(m_tickAll, &QCheckBox::clicked, this, &TypesPage::tickAllClicked);
    layout->addWidget(m_tickAll);
    showType(-1);
    window()->installEventFilter(this);
}

void TypesPage::showType(int type)
{
    m_filter->setType(type);
    m_tickAll->setChecked(false);
    const QString name = type < 0 ? QString() : m_totals->index(m_bars->currentIndex().row(), 0).data().toString();
    m_shown->setText(type < 0 ? QCoreApplication::translate("Dustmote", "Все найденные файлы:")
                              : QCoreApplication::translate("Dustmote", "Файлы типа «%1»:").arg(name));
}

// Spontaneous events (the user minimising the window) change nothing.
void TypesPage::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        followIfSeen();
    QWidget::showEvent(event);
}

void TypesPage::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        followIfSeen();
    QWidget::hideEvent(event);
}

bool TypesPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && event->type() == QEvent::Show && !event->spontaneous()) {
        m_windowShown = true;
        followIfSeen();
    }
    return QWidget::eventFilter(watched, event);
}

void TypesPage::followIfSeen()
{
    m_filter->follow(isVisible() || !m_windowShown);
}

void TypesPage::tickAllClicked()
{
    const bool on = m_tickAll->isChecked();
    if (m_filter->type() < 0)
        m_files->setAllChecked(on);
    else
        m_files->setTypeChecked(std::uint16_t(m_filter->type()), on);
}

} // namespace dm
