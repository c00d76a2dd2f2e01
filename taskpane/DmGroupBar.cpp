// The task pane's bar: stacks its groups, scrolls them and follows their
// coming and going. The groups are in DmGroup.cpp (and DmGroupPaint.cpp),
// their links in DmGroupItem.cpp, the keyboard's way through them in
// DmGroupBarKeys.cpp.

#include "DmGroupBar.h"
#include "DmGroupBarAccessible.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

TDmGroupBar::TDmGroupBar(QWidget *parent)
    : QWidget(parent), m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    installDmGroupBarAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    m_scrollBar->hide();
    m_scrollBar->setSingleStep(20);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this] { Realign(); });
}

TDmGroupBar::~TDmGroupBar()
{
    m_groups.clear();
}

QColor TDmGroupBar::Color() const
{
    return m_color.value_or(palette().color(m_colorRole));
}

void TDmGroupBar::setColor(const QColor &color)
{
    m_color = color;
    update();
    for (TDmGroup *group : std::as_const(m_groups))
        group->update();
}

void TDmGroupBar::setColorRole(QPalette::ColorRole role)
{
    m_color.reset();
    m_colorRole = role;
    update();
    for (TDmGroup *group : std::as_const(m_groups))
        group->update();
}

void TDmGroupBar::setStyle(TDmGroupBarStyle style)
{
    m_style = style;
    if (style == gbsTaskList) {
        m_color.reset();
        m_colorRole = QPalette::Base;
        m_groupBorderSize = 4;
        m_useGradients = false;
        for (TDmGroup *group : std::as_const(m_groups))
            group->applyTaskListDefaults();
    }
    Realign();
    update();
}

void TDmGroupBar::setGroupBorderSize(int size)
{
    m_groupBorderSize = std::max(0, size);
    Realign();
}

void TDmGroupBar::setUseGradients(bool use)
{
    m_useGradients = use;
    for (TDmGroup *group : std::as_const(m_groups))
        group->update();
}

void TDmGroupBar::setSmallImages(const QList<QIcon> &images)
{
    m_smallImages = images;
    for (TDmGroup *group : std::as_const(m_groups))
        group->itemsChanged();
}

void TDmGroupBar::addGroup(TDmGroup *group)
{
    if (m_groups.contains(group))
        return;
    m_groups.append(group);
    if (m_style == gbsTaskList)
        group->applyTaskListDefaults();
    if (isVisible() && !group->testAttribute(Qt::WA_WState_ExplicitShowHide))
        group->show();
    Realign();
}

void TDmGroupBar::removeGroup(const QObject *group)
{
    if (m_groups.removeIf([group](TDmGroup *g) { return g == group; }) > 0)
        Realign();
}

int TDmGroupBar::placeGroups(int clientWidth, bool apply)
{
    const int border = m_groupBorderSize;
    const int width = std::max(0, clientWidth - 2 * border);
    const int offset = apply ? m_scrollBar->value() : 0;
    int y = border - offset;
    int content = 0;
    for (TDmGroup *group : std::as_const(m_groups)) {
        if (group->isHidden())
            continue;
        const int h = group->heightForWidth(width);
        if (apply)
            group->setGeometry(border, y, width, h);
        y += h + border;
        content = y + offset;
    }
    return content;
}

void TDmGroupBar::Realign()
{
    // A hidden bar is placed when it is shown: while a window is built,
    // every item added would otherwise measure every group's texts again.
    if (m_realigning || !isVisible())
        return;
    m_realigning = true;
    const int extent = m_scrollBar->sizeHint().width();
    int clientWidth = width();
    int content = placeGroups(clientWidth, false);
    const bool needed = content > height();
    if (needed) {
        clientWidth = std::max(0, width() - extent);
        content = placeGroups(clientWidth, false);
    }
    {
        // Shrinking the range scrolls back so that no empty space is left below.
        const QSignalBlocker blocker(m_scrollBar);
        m_scrollBar->setRange(0, needed ? std::max(0, content - height()) : 0);
        m_scrollBar->setPageStep(std::max(1, height()));
    }
    m_scrollBar->setGeometry(width() - extent, 0, extent, height());
    m_scrollBar->setVisible(needed);
    m_scrollBar->raise();
    placeGroups(clientWidth, true);
    m_realigning = false;
}

void TDmGroupBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Color());
}

void TDmGroupBar::resizeEvent(QResizeEvent *)
{
    Realign();
}

void TDmGroupBar::wheelEvent(QWheelEvent *event)
{
    if (m_scrollBar->isVisible())
        QCoreApplication::sendEvent(m_scrollBar, event);
    else
        event->ignore();
}

void TDmGroupBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void TDmGroupBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        Realign();
    QWidget::changeEvent(event);
}

bool TDmGroupBar::event(QEvent *event)
{
    if (event->type() == QEvent::ChildAdded) {
        // A group moved here through the plain QWidget interface.
        if (auto *group = qobject_cast<TDmGroup *>(static_cast<QChildEvent *>(event)->child()))
            addGroup(group);
    } else if (event->type() == QEvent::ChildRemoved) {
        removeGroup(static_cast<QChildEvent *>(event)->child());
    } else if (event->type() == QEvent::Show) {
        Realign();
    }
    return QWidget::event(event);
}
