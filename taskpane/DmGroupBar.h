#pragma once
// The task pane: a vertical bar (TDmGroupBar) that stacks groups (TDmGroup),
// each a caption band over a list of clickable text links (TDmGroupItem).
// Only the task-list look is drawn. Groups live only inside a bar, so that
// the bar alone decides their places; the bar scrolls when they do not fit.

#include "DmGroup.h"
#include "Exception.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <optional>

class QScrollBar;

/// Raised when a group is put anywhere but in a bar.
class EDmGroupBarError : public dm::Exception
{
public:
    using Exception::Exception;
};

/// The bar: stacks its groups from the top with GroupBorderSize around and
/// between them, and shows a vertical scroll bar when they do not fit.
class TDmGroupBar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TDmGroupBarStyle style READ Style WRITE setStyle)
    Q_PROPERTY(int groupBorderSize READ GroupBorderSize WRITE setGroupBorderSize)
    Q_PROPERTY(bool useGradients READ UseGradients WRITE setUseGradients)
    Q_PROPERTY(int colorAdjustment READ ColorAdjustment WRITE setColorAdjustment)
    Q_PROPERTY(QColor color READ Color WRITE setColor)
    Q_PROPERTY(QPalette::ColorRole colorRole READ ColorRole WRITE setColorRole)
public:
    /// Look of the bar; only the task list is drawn.
    enum TDmGroupBarStyle { gbsCategoryView, gbsTaskList, gbsOutlook };
    Q_ENUM(TDmGroupBarStyle)

    /// Creates an empty bar in the task-list style.
    explicit TDmGroupBar(QWidget *parent = nullptr);
    ~TDmGroupBar() override;

    TDmGroupBarStyle Style() const { return m_style; }
    /// Sets the style; the task list sets the window colour, a border of 4,
    /// no gradients, and gives every group the task-list defaults.
    void setStyle(TDmGroupBarStyle style);
    using QWidget::setStyle;
    /// Background colour: an explicit colour, else the palette colour of ColorRole.
    QColor Color() const;
    void setColor(const QColor &color);
    QPalette::ColorRole ColorRole() const { return m_colorRole; }
    /// Follows a palette colour (and forgets an explicit colour).
    void setColorRole(QPalette::ColorRole role);
    /// Margin around and between groups, in pixels.
    int GroupBorderSize() const { return m_groupBorderSize; }
    void setGroupBorderSize(int size);
    bool UseGradients() const { return m_useGradients; }
    void setUseGradients(bool use);
    /// Kept for the category view; no effect in the task list.
    int ColorAdjustment() const { return m_colorAdjustment; }
    void setColorAdjustment(int value) { m_colorAdjustment = value; }
    /// Images of groups that have none of their own (small: beside item text).
    const QList<QIcon> &SmallImages() const { return m_smallImages; }
    void setSmallImages(const QList<QIcon> &images);
    const QList<QIcon> &LargeImages() const { return m_largeImages; }
    void setLargeImages(const QList<QIcon> &images) { m_largeImages = images; }

    /// The groups in order.
    const QList<TDmGroup *> &Groups() const { return m_groups; }
    /// The vertical scroll bar (shown only while the groups do not fit).
    QScrollBar *VerticalScrollBar() const { return m_scrollBar; }
    /// Places the groups again (after a change of size, fonts or contents).
    void Realign();

    /// The link the keyboard acts on while the bar has the focus: Tab reaches
    /// the bar, the arrow keys move among its enabled links, Enter or Space
    /// clicks the one marked with the focus frame.
    TDmGroupItem *FocusedItem() const { return m_focusItem; }
    void setFocusedItem(TDmGroupItem *item);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    friend class TDmGroup; // a group joins and leaves its bar itself and hands it the wheel
    void addGroup(TDmGroup *group);
    void removeGroup(const QObject *group);
    int placeGroups(int clientWidth, bool apply);
    // Links the keyboard can reach, in the order of the groups.
    QList<TDmGroupItem *> focusableItems() const;
    void updateGroups();

    QList<TDmGroup *> m_groups;
    QScrollBar *m_scrollBar;
    TDmGroupBarStyle m_style = gbsTaskList;
    std::optional<QColor> m_color;
    QPalette::ColorRole m_colorRole = QPalette::Base;
    int m_groupBorderSize = 4, m_colorAdjustment = 0;
    bool m_useGradients = false, m_realigning = false;
    QList<QIcon> m_smallImages, m_largeImages;
    QPointer<TDmGroupItem> m_focusItem;
};
