#include "DmGroupBar.h"
#include "DmGroupBarAccessible.h"
#include "ErrorBox.h"

#include <QAccessible>
#include <QAction>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

namespace {

const int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
const int ImageSize = 16;

TDmGroupBar *requireBar(QWidget *parent)
{
    auto *bar = qobject_cast<TDmGroupBar *>(parent);
    if (!bar)
        throw EDmGroupBarError(
            QStringLiteral("TDmGroup components can only be placed in a TDmGroupBar component"));
    return bar;
}

// Menu texts mark their shortcut letter with "&" ("&&" is a literal "&");
// a link shows the text without the marks.
QString withoutMnemonics(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out += text[i];
    }
    return out;
}

// Screen readers learn of changes only when told.
void notifyName(QObject *object, QAccessible::Event what)
{
    if (QAccessible::isActive()) {
        QAccessibleEvent event(object, what);
        QAccessible::updateAccessibility(&event);
    }
}

void notifyState(QObject *object, bool enabledChanged, bool visibleChanged)
{
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.disabled = enabledChanged;
        changed.invisible = visibleChanged;
        QAccessibleStateChangeEvent event(object, changed);
        QAccessible::updateAccessibility(&event);
    }
}

QColor blend(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

// ---------------------------------------------------------------- items

TDmGroupItem::TDmGroupItem(TDmGroup *group) : QObject(group), m_group(group) {}

TDmGroupItem::~TDmGroupItem()
{
    // Deleted directly rather than through the collection: leave it and relayout.
    if (m_group->m_items.m_items.removeOne(this))
        m_group->contentChanged();
}

void TDmGroupItem::changed(bool layout)
{
    if (layout)
        m_group->contentChanged();
    else
        m_group->update();
}

void TDmGroupItem::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    changed(true);
    notifyName(this, QAccessible::NameChanged);
}

void TDmGroupItem::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        m_marked = false;
        m_state = gisNormal;
    }
    changed(false);
    notifyState(this, true, false);
}

void TDmGroupItem::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    changed(true);
    notifyState(this, false, true);
}

void TDmGroupItem::setImageIndex(int index)
{
    if (index != m_imageIndex) {
        m_imageIndex = index;
        changed(true);
    }
}

void TDmGroupItem::setDisabledIndex(int index)
{
    if (index != m_disabledIndex) {
        m_disabledIndex = index;
        changed(false);
    }
}

void TDmGroupItem::setIndentLevel(int level)
{
    if (level != m_indentLevel) {
        m_indentLevel = std::max(0, level);
        changed(true);
    }
}

void TDmGroupItem::setSelected(bool selected)
{
    if (selected != m_selected) {
        m_selected = selected;
        changed(false);
    }
}

void TDmGroupItem::setAction(QAction *action)
{
    if (m_action)
        disconnect(m_action, nullptr, this, nullptr);
    m_action = action;
    if (!action)
        return;
    connect(action, &QAction::changed, this, &TDmGroupItem::actionChanged);
    // Everything is shared at binding time.
    m_linkedCaption = m_caption;
    m_linkedHint = m_hint;
    m_linkedEnabled = m_enabled;
    m_linkedVisible = m_visible;
    actionChanged();
}

void TDmGroupItem::actionChanged()
{
    if (!m_action)
        return;
    const QString caption = withoutMnemonics(m_action->text());
    const QString hint = m_action->toolTip();
    // A property the program set on the item itself no longer follows the action.
    if (m_caption == m_linkedCaption)
        setCaption(caption);
    if (m_hint == m_linkedHint && m_hint != hint) {
        m_hint = hint;
        notifyName(this, QAccessible::DescriptionChanged);
    }
    if (m_enabled == m_linkedEnabled)
        setEnabled(m_action->isEnabled());
    if (m_visible == m_linkedVisible)
        setVisible(m_action->isVisible());
    m_linkedCaption = caption;
    m_linkedHint = hint;
    m_linkedEnabled = m_action->isEnabled();
    m_linkedVisible = m_action->isVisible();
}

bool TDmGroupItem::HasClickHandler() const
{
    return OnClick || m_action;
}

void TDmGroupItem::Click()
{
    if (OnClick)
        OnClick(this);
    else if (m_action)
        m_action->trigger(); // does nothing while the action is disabled
}

int TDmGroupItem::Index() const
{
    return m_group->m_items.IndexOf(this);
}

TDmGroupItem *TDmGroupItems::Add(const QString &caption)
{
    auto *item = new TDmGroupItem(m_group);
    item->m_caption = caption;
    m_items.append(item);
    m_group->contentChanged();
    return item;
}

void TDmGroupItems::Delete(int index)
{
    delete m_items.takeAt(index);
    m_group->contentChanged();
}

void TDmGroupItems::Clear()
{
    qDeleteAll(std::exchange(m_items, {}));
    m_group->contentChanged();
}

int TDmGroupItems::IndexOf(const TDmGroupItem *item) const
{
    return int(m_items.indexOf(const_cast<TDmGroupItem *>(item)));
}

// ---------------------------------------------------------------- bar

TDmGroupBar::TDmGroupBar(QWidget *parent)
    : QWidget(parent), m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    installDmGroupBarAccessibility();
    setFocusPolicy(Qt::ClickFocus);
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
        group->contentChanged();
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
    if (m_realigning)
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

// ---------------------------------------------------------------- groups

TDmGroup::TDmGroup(QWidget *parent) : QWidget(requireBar(parent))
{
    setMouseTracking(true);
    static_cast<TDmGroupBar *>(parentWidget())->addGroup(this);
}

TDmGroup::~TDmGroup()
{
    if (TDmGroupBar *bar = GroupBar())
        bar->removeGroup(this);
    qDeleteAll(std::exchange(m_items.m_items, {}));
}

void TDmGroup::setParent(QWidget *parent)
{
    setParent(parent, windowFlags() & ~Qt::WindowType_Mask);
}

void TDmGroup::setParent(QWidget *parent, Qt::WindowFlags flags)
{
    TDmGroupBar *bar = requireBar(parent);
    const bool hidden = testAttribute(Qt::WA_WState_ExplicitShowHide) && isHidden();
    QWidget::setParent(bar, flags);
    bar->addGroup(this);
    if (!hidden)
        show();
}

TDmGroupBar *TDmGroup::GroupBar() const
{
    return qobject_cast<TDmGroupBar *>(parentWidget());
}

void TDmGroup::applyTaskListDefaults()
{
    m_captionHeight = 20;
    m_captionFont.reset();
    m_captionImageIndex = -1;
    m_color.reset();
    m_canClose = false;
    m_dividerVisible = true;
    m_dividerColor.reset();
    m_itemHeight = 20;
    m_itemIndent = 20;
    m_itemStyle = isSmall;
    m_itemHotColor.reset();
    m_showItemSelection = false;
    contentChanged();
}

void TDmGroup::relayout()
{
    int height = 0;
    const QList<Row> rows = layoutRows(width(), &height);
    for (TDmGroupItem *item : m_items) {
        item->m_textRect = QRect();
        item->m_imageRect = QRect();
    }
    for (const Row &row : rows) {
        row.item->m_textRect = row.text;
        row.item->m_imageRect = row.image;
    }
}

void TDmGroup::contentChanged()
{
    relayout();
    update();
    if (TDmGroupBar *bar = GroupBar())
        bar->Realign();
}

bool TDmGroup::hasImages() const
{
    const TDmGroupBar *bar = GroupBar();
    if (!bar || bar->SmallImages().isEmpty())
        return false;
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const TDmGroupItem *item) { return item->ImageIndex() >= 0; });
}

// Rows of the visible items at the given width; *height receives the group's
// height (OpenedHeight when no item is visible).
QList<TDmGroup::Row> TDmGroup::layoutRows(int width, int *height) const
{
    const QFontMetrics fm(font());
    const int p = (m_itemHeight - fm.height()) / 2;
    const bool images = hasImages();
    const int textStart = 8 + (images ? ImageSize + 4 : 0);
    QList<Row> rows;
    int top = m_captionHeight + 4;
    *height = m_openedHeight;
    for (TDmGroupItem *item : m_items) {
        if (!item->Visible())
            continue;
        const int indent = m_itemIndent * item->IndentLevel();
        const int x = textStart + indent;
        const int wrap = std::max(1, width - 8 - x);
        const QString &text = item->Caption();
        const int textHeight = fm.boundingRect(QRect(x, 0, wrap, 1 << 20), TextFlags, text).height();
        Row row{item, top, std::max(2 * p + textHeight, m_itemHeight), QRect(), QRect()};
        if (text != QLatin1String("-")) {
            const int lineWidth =
                fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs, text).width();
            const int right = lineWidth <= wrap ? x + lineWidth : width - 8;
            row.text = QRect(QPoint(x, top + p), QPoint(right - 1, top + p + textHeight - 1));
            const int image = item->Enabled() || item->DisabledIndex() < 0 ? item->ImageIndex()
                                                                            : item->DisabledIndex();
            if (images && image >= 0)
                row.image = QRect(8 + indent, top + std::max(0, (row.height - ImageSize) / 2), 20,
                                  ImageSize);
        }
        *height = top + 2 * p + textHeight + 4;
        top += row.height;
        rows.append(row);
    }
    return rows;
}

int TDmGroup::heightForWidth(int width) const
{
    int height = 0;
    layoutRows(width, &height);
    return height;
}

QSize TDmGroup::sizeHint() const
{
    const int w = width() > 0 ? width() : 169;
    return QSize(w, heightForWidth(w));
}

// The item whose text or image box holds pos and that a click would reach.
TDmGroupItem *TDmGroup::itemAt(const QPoint &pos) const
{
    for (TDmGroupItem *item : m_items) {
        if (item->Visible() && item->Enabled() && item->HasClickHandler()
            && (item->m_textRect.contains(pos) || item->m_imageRect.contains(pos)))
            return item;
    }
    return nullptr;
}

void TDmGroup::setItemState(TDmGroupItem *item, TDmGroupItemState state)
{
    if (item->m_state != state) {
        item->m_state = state;
        update();
    }
}

void TDmGroup::updateHover(const QPoint &pos)
{
    TDmGroupItem *under = itemAt(pos);
    for (TDmGroupItem *item : m_items)
        setItemState(item, item != under ? gisNormal : item->m_marked ? gisPressed : gisHot);
    // Over a link the hand shows whatever the group's own cursor is.
    if (under && !m_handCursor) {
        m_ownCursorSet = testAttribute(Qt::WA_SetCursor);
        m_ownCursor = cursor();
        m_handCursor = true;
        setCursor(Qt::PointingHandCursor);
    } else if (!under && m_handCursor) {
        m_handCursor = false;
        if (m_ownCursorSet)
            setCursor(m_ownCursor);
        else
            unsetCursor();
    }
}

void TDmGroup::mouseMoveEvent(QMouseEvent *event)
{
    updateHover(event->position().toPoint());
}

void TDmGroup::mousePressEvent(QMouseEvent *event)
{
    TDmGroupItem *item = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && item) {
        item->m_marked = true;
        setItemState(item, gisPressed);
    } else if (event->button() == Qt::RightButton) {
        m_popupItem = item;
    }
}

void TDmGroup::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        TDmGroupItem *item = std::exchange(m_popupItem, nullptr);
        if (item && item == itemAt(pos) && item->OnPopupClick) {
            const QPoint screen = event->globalPosition().toPoint();
            dm::runGuarded([&] { item->OnPopupClick(item, item->Index(), screen); });
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    TDmGroupItem *marked = nullptr;
    for (TDmGroupItem *item : m_items) {
        if (std::exchange(item->m_marked, false))
            marked = item;
    }
    // Released outside the item that was pressed: nothing runs.
    if (!marked || itemAt(pos) != marked) {
        updateHover(pos);
        return;
    }
    setItemState(marked, gisHot);
    QPointer<TDmGroup> self(this);
    dm::runGuarded([marked] { marked->Click(); });
    if (self)
        self->updateHover(pos);
}

void TDmGroup::leaveEvent(QEvent *)
{
    updateHover(QPoint(-1, -1));
}

void TDmGroup::wheelEvent(QWheelEvent *event)
{
    // The wheel over a group scrolls the bar.
    if (TDmGroupBar *bar = GroupBar())
        bar->wheelEvent(event);
    else
        event->ignore();
}

void TDmGroup::resizeEvent(QResizeEvent *)
{
    relayout();
}

void TDmGroup::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        contentChanged();
    QWidget::changeEvent(event);
}

bool TDmGroup::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (TDmGroupBar *bar = GroupBar())
            bar->Realign();
        break;
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        for (TDmGroupItem *item : m_items) {
            if (item->Visible() && item->m_textRect.contains(help->pos()) && !item->Hint().isEmpty()) {
                QToolTip::showText(help->globalPos(), item->Hint(), this, item->m_textRect);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- group properties

void TDmGroup::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
    notifyName(this, QAccessible::NameChanged);
}

void TDmGroup::setCaptionHeight(int height)
{
    m_captionHeight = std::max(0, height);
    contentChanged();
}

QFont TDmGroup::CaptionFont() const
{
    if (m_captionFont)
        return *m_captionFont;
    QFont bold = font();
    bold.setBold(true);
    return bold;
}

void TDmGroup::setCaptionFont(const QFont &font)
{
    m_captionFont = font;
    update();
}

QColor TDmGroup::Color() const
{
    if (m_color)
        return *m_color;
    const TDmGroupBar *bar = GroupBar();
    return bar ? bar->Color() : palette().color(QPalette::Button);
}

void TDmGroup::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void TDmGroup::setColorDefault(bool useBarColor)
{
    if (useBarColor)
        m_color.reset();
    else
        m_color = Color();
    update();
}

void TDmGroup::setOpenedHeight(int height)
{
    m_openedHeight = std::max(0, height);
    contentChanged();
}

void TDmGroup::setDividerVisible(bool visible)
{
    m_dividerVisible = visible;
    update();
}

QColor TDmGroup::DividerColor() const
{
    return m_dividerColor.value_or(palette().color(QPalette::Highlight));
}

void TDmGroup::setDividerColor(const QColor &color)
{
    m_dividerColor = color;
    update();
}

void TDmGroup::setItemHeight(int height)
{
    m_itemHeight = std::max(0, height);
    contentChanged();
}

void TDmGroup::setItemIndent(int indent)
{
    m_itemIndent = std::max(0, indent);
    contentChanged();
}

void TDmGroup::setItemStyle(TDmGroupItemStyle style)
{
    m_itemStyle = style;
    contentChanged();
}

QColor TDmGroup::ItemHotColor() const
{
    return m_itemHotColor.value_or(palette().color(QPalette::Link));
}

void TDmGroup::setItemHotColor(const QColor &color)
{
    m_itemHotColor = color;
    update();
}

void TDmGroup::setShowItemSelection(bool show)
{
    m_showItemSelection = show;
    update();
}

void TDmGroup::setUseGradients(bool use)
{
    m_useGradients = use;
    update();
}

QStringList TDmGroup::itemCaptions() const
{
    QStringList captions;
    for (const TDmGroupItem *item : m_items)
        captions << item->Caption();
    return captions;
}

void TDmGroup::setItemCaptions(const QStringList &captions)
{
    m_items.Clear();
    for (const QString &caption : captions)
        m_items.Add(caption);
}

// ---------------------------------------------------------------- painting

void TDmGroup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor background = Color();
    painter.fillRect(rect(), background);

    const QFont captionFont = CaptionFont();
    const int captionTextHeight = QFontMetrics(captionFont).height();
    painter.setFont(captionFont);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(8, (m_captionHeight - captionTextHeight) / 2, width() - 24 - 8,
                           captionTextHeight),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);

    if (m_dividerVisible) {
        const QRect line(0, m_captionHeight - 1, width(), 1);
        const TDmGroupBar *bar = GroupBar();
        if (bar && bar->UseGradients() && m_useGradients && depth() >= 24) {
            QLinearGradient gradient(0, 0, width(), 0);
            gradient.setColorAt(0, background);
            gradient.setColorAt(1, DividerColor());
            painter.fillRect(line, gradient);
        } else {
            painter.fillRect(line, DividerColor());
        }
    }

    int height = 0;
    const QList<Row> rows = layoutRows(width(), &height);
    const int p = (m_itemHeight - QFontMetrics(font()).height()) / 2;
    painter.setFont(font());
    for (const Row &row : rows)
        paintItem(painter, row, p);
}

void TDmGroup::paintItem(QPainter &painter, const Row &row, int p) const
{
    const TDmGroupItem *item = row.item;
    if (item->Caption() == QLatin1String("-")) {
        painter.fillRect(QRect(8, row.top + row.height / 2, width() - 16, 1), DividerColor());
        return;
    }
    const QPalette &pal = palette();
    QColor color = pal.color(QPalette::WindowText);
    bool underline = false;
    if (!item->Enabled()) {
        const QColor shadow = pal.color(QPalette::Dark);
        color = Color() == shadow ? pal.color(QPalette::Button) : shadow;
    } else if (item->State() == gisHot) {
        color = ItemHotColor();
        underline = true;
    } else if (item->State() == gisPressed) {
        color = blend(pal.color(QPalette::Dark), ItemHotColor());
        underline = true;
    }
    if (!row.image.isNull()) {
        const QList<QIcon> &images = GroupBar()->SmallImages();
        const bool useDisabled = !item->Enabled() && item->DisabledIndex() >= 0;
        const int index = useDisabled ? item->DisabledIndex() : item->ImageIndex();
        if (index < images.size())
            images[index].paint(&painter, QRect(row.image.topLeft(), QSize(ImageSize, ImageSize)),
                                Qt::AlignCenter,
                                item->Enabled() || useDisabled ? QIcon::Normal : QIcon::Disabled);
    }
    if (m_showItemSelection && item->Selected()) {
        painter.setPen(pal.color(QPalette::Highlight));
        painter.drawRect(QRect(4, row.top, width() - 9, row.height - 1));
    }
    QFont font = painter.font();
    font.setUnderline(underline);
    painter.setFont(font);
    painter.setPen(color);
    const int x = row.text.left();
    painter.drawText(QRect(x, row.top + p, std::max(1, width() - 8 - x), row.text.height()), TextFlags,
                     item->Caption());
}
