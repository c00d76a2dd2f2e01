// A group's properties: its caption, colours, heights and items' captions;
// each change lays out or repaints what it affects.

#include "DmGroup.h"
#include "DmGroupBar.h"

#include <QAccessible>
#include <utility>

void TDmGroup::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
    // Screen readers learn of a new name only when told.
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void TDmGroup::setCaptionHeight(int height)
{
    m_captionHeight = std::max(0, height);
    itemsChanged();
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
    itemsChanged();
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
    itemsChanged();
}

void TDmGroup::setItemIndent(int indent)
{
    m_itemIndent = std::max(0, indent);
    itemsChanged();
}

void TDmGroup::setItemStyle(TDmGroupItemStyle style)
{
    m_itemStyle = style;
    itemsChanged();
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
