// A link of a group: properties, action binding and the click. Layout, the
// mouse over the links and their painting are the group's (DmGroup.cpp,
// DmGroupPaint.cpp).

#include "DmGroupItem.h"
#include "DmGroup.h"

#include <QAccessible>
#include <QAction>
#include <algorithm>
#include <utility>

namespace {

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

} // namespace

TDmGroupItem::TDmGroupItem(TDmGroup *group, const QString &caption)
    : QObject(group), m_group(group), m_caption(caption)
{
}

void TDmGroupItem::changed(bool layout)
{
    m_group->itemChanged(this, layout);
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
    // Its image may change with it (and its hit box); a disabled item also
    // loses its hover look.
    changed(true);
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
        changed(true);
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
    return m_group->Items().IndexOf(this);
}

TDmGroupItemState TDmGroupItem::State() const
{
    return m_group->itemView(this).state;
}

QRect TDmGroupItem::TextRect() const
{
    return m_group->itemView(this).text;
}

QRect TDmGroupItem::ImageRect() const
{
    return m_group->itemView(this).image;
}
