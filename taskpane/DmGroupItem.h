#pragma once
// One link of a task-pane group (see DmGroupBar.h for the whole pane).

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

class QAction;
class TDmGroup;

/// Display state of an item while the mouse is over its group.
enum TDmGroupItemState { gisNormal, gisHot, gisPressed };

/// Item layout of a group; only the small style (text beside a small image) is drawn.
enum TDmGroupItemStyle { isSmall, isLarge };

/// One link of a group. Created only through TDmGroupItems::Add; owned by its group.
class TDmGroupItem : public QObject
{
    Q_OBJECT
public:
    /// Text of the link; "-" draws a divider line instead.
    const QString &Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    /// A disabled item is drawn in the shadow colour and ignores the mouse.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    /// A hidden item takes no row.
    bool Visible() const { return m_visible; }
    void setVisible(bool visible);
    /// Image in the bar's small images (-1: none); DisabledIndex is shown while disabled.
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    int DisabledIndex() const { return m_disabledIndex; }
    void setDisabledIndex(int index);
    /// Extra indent in steps of the group's ItemIndent.
    int IndentLevel() const { return m_indentLevel; }
    void setIndentLevel(int level);
    /// Tool tip text (also the accessible description).
    const QString &Hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }
    /// Selection mark; drawn only by groups that show a selection.
    bool Selected() const { return m_selected; }
    void setSelected(bool selected);
    /// Free value for the program.
    qintptr Tag() const { return m_tag; }
    void setTag(qintptr tag) { m_tag = tag; }

    /// Called with the item on a click; when empty, a bound action is triggered instead.
    std::function<void(TDmGroupItem *sender)> OnClick;
    /// Called on a right-button click with the item's index and the screen position.
    std::function<void(TDmGroupItem *sender, int index, QPoint screenPos)> OnPopupClick;

    /// Binds the item to an action (nullptr unbinds): the item takes the action's
    /// text (without "&" marks), enabled state, tool tip and visibility now and
    /// on every later change, for each of them it has not been given otherwise;
    /// a click then triggers the action, which does nothing while it is disabled.
    QAction *Action() const { return m_action; }
    void setAction(QAction *action);

    /// True when a click would run something (OnClick or a bound action).
    bool HasClickHandler() const;
    /// Runs the click: OnClick, else the bound action. Dispatch point for subclasses.
    virtual void Click();

    /// The group that owns the item.
    TDmGroup *Group() const { return m_group; }
    /// Position in the group's items (0-based).
    int Index() const;
    // The group lays its items out and tracks the mouse over them:
    /// Current display state (normal, hot, pressed).
    TDmGroupItemState State() const;
    /// Box of the drawn text in group coordinates (empty while hidden).
    QRect TextRect() const;
    /// Box of the drawn image in group coordinates (empty when no image is drawn).
    QRect ImageRect() const;

private:
    friend class TDmGroupItems; // only the collection creates items, so each is in one
    TDmGroupItem(TDmGroup *group, const QString &caption);
    void changed(bool layout);
    void actionChanged();

    TDmGroup *m_group;
    QString m_caption, m_hint;
    bool m_enabled = true, m_visible = true, m_selected = false;
    int m_imageIndex = -1, m_disabledIndex = -1, m_indentLevel = 0;
    qintptr m_tag = 0;
    QPointer<QAction> m_action;
    // What the action last gave, so that only properties still shared follow it.
    QString m_linkedCaption, m_linkedHint;
    bool m_linkedEnabled = true, m_linkedVisible = true;
};
